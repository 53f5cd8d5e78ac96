// Sorting lists of records by fields. Each record's sort values are first
// turned into fixed-width keys (texts by their first bytes), so most
// comparisons touch no record at all; the texts themselves only break ties
// the keys cannot decide. A sort whose first field is a text goes sixteen bytes per
// pass instead, reading each text a few times rather than once per comparison,
// and orders equal texts by the other fields. The order is a strict weak order: live records
// in field order, equal ones keeping their previous order, and deleted or
// new-then-deleted records after all live ones, in their previous order.
#pragma once

#include <span>
#include <vector>

#include "engine/field_types.h"
#include "engine/record_list.h"

struct TOstraRecord;

// Sorts `records` in place by `fields`, each comparison negated when
// `descending`, texts compared without regard to case when `caseInsensitive`.
// When `viewKeys` is given it receives the records' view keys (OstViewKey)
// in their sorted order, made while the records are read for the sort.
void OstraSortRecords(std::span<TOstraRecord*> records, std::span<const TOstraField* const> fields,
                      bool caseInsensitive, bool descending, TOstraViewKeys* viewKeys = nullptr);

// The sort comparison of two records (negative, 0, positive): deleted ones
// after live ones, otherwise field by field.
int CompareRecordsForSort(const TOstraRecord* a, const TOstraRecord* b,
                          std::span<const TOstraField* const> fields, bool caseInsensitive, bool descending);
