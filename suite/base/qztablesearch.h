// The indexed searches of the suite table (TqzTable in suite/data) for the
// controls of lower layers: the suite table registers them when it is
// created, and a lookup control asks for them by dataset.
#pragma once

#include <string>
#include <vector>

#include "platform/core/variant.h"

class TDataSet;
class TStrings;

struct TqzTableSearch {
    // Switches to an index led by FieldName, staying on the record.
    bool (*SelectIndexForField)(TDataSet* Table, const std::string& FieldName);
    // The same for the field of the first Selected line.
    void (*SelectIndexForSelected)(TDataSet* Table, TStrings* Selected);
    // A key search of one to three values on the active index.
    bool (*FindKeyValues)(TDataSet* Table, const std::vector<Variant>& Values);
    // The nearest key to Text; whether the record reached matches it.
    bool (*FindNearestText)(TDataSet* Table, const std::string& Text, int KeyPosition);
    // The record search on one field (MatchType: TqzLocateMatchType).
    bool (*FindFieldValue)(TDataSet* Table, const std::string& Value, const std::string& FieldName,
                           int MatchType, bool CaseSensitive);
};

void qzSetTableSearch(const TqzTableSearch* Search);
// The registered searches when DataSet is a suite table whose rows come from
// its table (no Query text), else nil.
const TqzTableSearch* qzTableSearchFor(TDataSet* DataSet);
