// Filter-dialog criteria for tests: a match of one field, and a range.
#pragma once

#include <string>

#include "suite/data/qzfilterdialog.h"

inline TqzFieldInfo Crit(const std::string& Field, TqzFilterMatchType Match, const std::string& Value,
                         bool CaseSensitive = false, bool NonMatching = false) {
    TqzFieldInfo i;
    i.FieldName = Field;
    i.DisplayLabel = Field;
    i.MatchType = Match;
    i.FilterValue = Value;
    i.CaseSensitive = CaseSensitive;
    i.NonMatching = NonMatching;
    return i;
}

inline TqzFieldInfo Range(const std::string& Field, const std::string& Min, const std::string& Max) {
    TqzFieldInfo i = Crit(Field, fdMatchRange, "");
    i.MinValue = Min;
    i.MaxValue = Max;
    return i;
}
