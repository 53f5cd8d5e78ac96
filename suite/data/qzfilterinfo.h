// Filter criteria of the filter dialog: one TqzFieldInfo per searched field,
// the words of value lists (TqzFieldOperators), the rounding of float ranges,
// and the value-list scanner shared by every road that reads a criterion.
#pragma once

#include <string>
#include <vector>

#include "platform/core/enums.h"
#include "platform/core/object.h"
#include "platform/core/properties.h"
#include "platform/db/dbtypes.h"

TASKMOOR_ENUM(TqzFilterMatchType, fdMatchStart, fdMatchAny, fdMatchExact, fdMatchEnd, fdMatchRange,
              fdMatchNone)
TASKMOOR_ENUM(TqzFilterDialogRoundingMethod, fdrmFixed, fdrmRelative)

// One criterion. A value list in FilterValue is read with the dialog's words.
class TqzFieldInfo {
public:
    std::string FieldName;
    std::string DisplayLabel;
    TqzFilterMatchType MatchType = fdMatchStart;
    std::string FilterValue;
    std::string MinValue;
    std::string MaxValue;
    bool CaseSensitive = false;
    bool NonMatching = false;
};
using TqzFieldInfoList = std::vector<TqzFieldInfo>;

// The OR, AND and null words of value lists. Setters trim blanks; three words
// that are not pairwise different (ignoring case) bring a warning, and the
// value stays.
class TqzFieldOperators : public TPersistent {
    TASKMOOR_CLASS(TqzFieldOperators, TPersistent)
public:
    std::string OrChar() const { return FOrChar; }
    void SetOrChar(const std::string& Value) { SetWord(FOrChar, Value); }
    std::string AndChar() const { return FAndChar; }
    void SetAndChar(const std::string& Value) { SetWord(FAndChar, Value); }
    std::string NullChar() const { return FNullChar; }
    void SetNullChar(const std::string& Value) { SetWord(FNullChar, Value); }
    static void Publish(TPublisher<TqzFieldOperators>& p);

private:
    void SetWord(std::string& Word, const std::string& Value);
    std::string FOrChar = "or", FAndChar = "and", FNullChar = "null";
};

class TqzFilterDialogRounding : public TPersistent {
    TASKMOOR_CLASS(TqzFilterDialogRounding, TPersistent)
public:
    double Epsilon() const { return FEpsilon; }
    void SetEpsilon(double Value) { FEpsilon = Value; }
    TqzFilterDialogRoundingMethod RoundingMethod() const { return FRoundingMethod; }
    void SetRoundingMethod(TqzFilterDialogRoundingMethod Value) { FRoundingMethod = Value; }
    static void Publish(TPublisher<TqzFilterDialogRounding>& p);

private:
    double FEpsilon = 0.0001;
    TqzFilterDialogRoundingMethod FRoundingMethod = fdrmFixed;
};

// Reads Text as words: the first later word equal to the OR word makes an OR
// list, to the AND word an AND list (the first met decides); without either,
// one item and an empty Separator. The first word is never an operator.
void qzFindListOperator(const std::string& Text, const TqzFieldOperators* Operators, bool& IsOr,
                        std::string& Separator, bool& IsAnd);
// The words from Position (1 = the start) up to the next Separator word,
// joined by single blanks; Position moves past the separator, or becomes -1
// after the last item. A separator word that starts an item is a word of it.
void qzNextListItem(const std::string& Text, const std::string& Separator, int& Position, std::string& Item);
// Text followed by PadChar up to Length characters; unchanged when as long or
// PadChar is 0.
std::string qzPadRight(int Length, const std::string& Text, char16_t PadChar);
// Equal texts, or equal values of the type (integers, floats, dates, times,
// date-times). An Item that does not convert raises EConvertError; a number
// ValueText that does not is equal to no item.
bool qzFilterValuesEqual(const std::string& Item, const std::string& ValueText, TFieldType DataType,
                         const std::string& NullWord = "null");
