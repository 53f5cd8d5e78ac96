// The operator words and rounding settings, published, and the splitting and padding
// of value-list items.
#include "suite/data/qzfilterinfo.h"

#include <cmath>

#include "platform/core/case_fold.h"
#include "platform/core/datetime.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/ui/dialogs.h"

void TqzFieldOperators::SetWord(std::string& Word, const std::string& Value) {
    const std::string trimmed = Trim(Value);
    if (trimmed == Word) return;
    Word = trimmed;
    const std::string o = FoldCase(FOrChar), a = FoldCase(FAndChar), n = FoldCase(FNullChar);
    if (o == a || o == n || a == n)
        MessageDlg("Operators do not have a unique value.", mtWarning, TMsgDlgButtons{mbOK}, 0);
}

void TqzFieldOperators::Publish(TPublisher<TqzFieldOperators>& p) {
    p.Property("OrChar", &TqzFieldOperators::OrChar, &TqzFieldOperators::SetOrChar);
    p.Property("AndChar", &TqzFieldOperators::AndChar, &TqzFieldOperators::SetAndChar);
    p.Property("NullChar", &TqzFieldOperators::NullChar, &TqzFieldOperators::SetNullChar);
}

void TqzFilterDialogRounding::Publish(TPublisher<TqzFilterDialogRounding>& p) {
    p.Property("Epsilon", &TqzFilterDialogRounding::Epsilon, &TqzFilterDialogRounding::SetEpsilon);
    p.Property("RoundingMethod", &TqzFilterDialogRounding::RoundingMethod,
               &TqzFilterDialogRounding::SetRoundingMethod);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A one-character operator word stands alone even without blanks around it.
bool IsSingleOperatorChar(char c, const std::string& OrWord, const std::string& AndWord) {
    return (OrWord.size() == 1 && OrWord[0] == c) || (AndWord.size() == 1 && AndWord[0] == c);
}

// The next word of Text from Pos (0-based); false at the end. Pos moves past it.
bool NextWord(const std::string& Text, size_t& Pos, std::string& Word, const std::string& OrWord,
              const std::string& AndWord) {
    while (Pos < Text.size() && IsBlank(Text[Pos])) ++Pos;
    if (Pos >= Text.size()) return false;
    const size_t start = Pos;
    if (Text[Pos] == '"') {
        const size_t close = Text.find('"', Pos + 1);
        Pos = close == std::string::npos ? Text.size() : close + 1;
    } else if (IsSingleOperatorChar(Text[Pos], OrWord, AndWord)) {
        ++Pos;
    } else {
        while (Pos < Text.size() && !IsBlank(Text[Pos]) && !IsSingleOperatorChar(Text[Pos], OrWord, AndWord))
            ++Pos;
    }
    Word = Text.substr(start, Pos - start);
    return true;
}

bool SameWord(const std::string& A, const std::string& B) { return !B.empty() && SameFolded(A, B); }

}  // namespace

void qzFindListOperator(const std::string& Text, const TqzFieldOperators* Operators, bool& IsOr,
                        std::string& Separator, bool& IsAnd) {
    IsOr = IsAnd = false;
    Separator.clear();
    const std::string orWord = Operators ? Operators->OrChar() : "or";
    const std::string andWord = Operators ? Operators->AndChar() : "and";
    size_t pos = 0;
    std::string word;
    bool first = true;
    while (NextWord(Text, pos, word, orWord, andWord)) {
        if (!first) {
            // Equal words read as OR first.
            if (SameWord(word, orWord)) {
                IsOr = true;
                Separator = orWord;
                return;
            }
            if (SameWord(word, andWord)) {
                IsAnd = true;
                Separator = andWord;
                return;
            }
        }
        first = false;
    }
}

void qzNextListItem(const std::string& Text, const std::string& Separator, int& Position, std::string& Item) {
    Item.clear();
    if (Position < 1 || static_cast<size_t>(Position - 1) > Text.size()) {
        Position = -1;
        return;
    }
    // Separator as its own word when it is one character long.
    const std::string single = Separator.size() == 1 ? Separator : std::string();
    size_t pos = static_cast<size_t>(Position - 1);
    std::string word;
    while (true) {
        if (!NextWord(Text, pos, word, single, std::string())) {
            Position = -1;
            return;
        }
        // A separator word that starts an item is a word of the item.
        if (SameWord(word, Separator) && !Item.empty()) {
            Position = static_cast<int>(pos) + 1;
            return;
        }
        if (!Item.empty()) Item += ' ';
        Item += word;
    }
}

std::string qzPadRight(int Length, const std::string& Text, char16_t PadChar) {
    if (PadChar == 0) return Text;
    std::string out = Text;
    for (size_t n = Utf8Length(Text); static_cast<int>(n) < Length; ++n) AppendUtf8(out, PadChar);
    return out;
}

bool qzFilterValuesEqual(const std::string& Item, const std::string& ValueText, TFieldType DataType,
                         const std::string& NullWord) {
    if (Item == ValueText) return true;
    if (DataType == ftString) return false;
    const bool itemBlank = Trim(Item).empty(), valueBlank = Trim(ValueText).empty();
    if (itemBlank && valueBlank) return true;
    if (itemBlank != valueBlank) return false;
    if (SameWord(Item, NullWord)) return false;
    switch (DataType) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: {
        const int64_t item = DataType == ftLargeint ? StrToInt64(Trim(Item)) : StrToInt(Trim(Item));
        int64_t value;
        return TryStrToInt64(Trim(ValueText), value) && value == item;
    }
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: {
        // a record's value that reads as no number (an infinity) equals none
        const double item = StrToFloat(Trim(Item));
        double value;
        return TryStrToFloat(Trim(ValueText), value) && value == item;
    }
    case ftDate: return StrToDate(Trim(Item)) == StrToDate(Trim(ValueText));
    case ftTime: return StrToTime(Trim(Item)) == StrToTime(Trim(ValueText));
    case ftDateTime:
    case ftTimeStamp: return StrToDateTime(Trim(Item)) == StrToDateTime(Trim(ValueText));
    default: return false;
    }
}
