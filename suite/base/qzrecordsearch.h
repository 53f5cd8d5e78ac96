// The record search: moves a dataset to the first or the next record whose
// field text matches a value.
#pragma once

#include <string>

#include "suite/base/qzdbutils.h"

class TDataSet;

// FromFirst searches from the first record (itself a candidate), else from
// the record after the current one. Texts compare upper-cased unless
// CaseSensitive; an empty value matches only an empty text, and only
// exactly. An exact match on a float, currency or BCD field compares numbers
// (a value that is no number matches nothing). Memo fields match their
// plain text (rich text read as text). With UseLocateMethod (or the suite's
// ADO option for ADO datasets) an exact or start search from the first record
// uses the dataset's Locate. A missing field shows the warning
// "Field <name> not found." and answers False. When nothing matches the
// dataset goes back to the record it started on and the answer is False.
bool qzFindRecordByValue(bool FromFirst, TDataSet* DataSet, const std::string& FieldName,
                         const std::string& Value, TqzLocateMatchType MatchType, bool CaseSensitive,
                         bool UseLocateMethod);
