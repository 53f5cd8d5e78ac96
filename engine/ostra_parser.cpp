// The filter text's tokenizer, identifier and operator checks, and the building of
// conditions from the tokens.
#include "engine/ostra_parser.h"

#include <array>
#include <cstring>

#include "engine/messages.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

namespace {

constexpr std::array<const char*, 22> ReservedWords = {
    "SELECT", "FROM",  "WHERE", "AS",  "AND", "OR",  "NOT", "NULL", "JOIN",  "LEFT",     "ON",
    "LIKE",   "GROUP", "BY",    "SUM", "MAX", "MIN", "AVG", "TRUE", "FALSE", "DISTINCT", "COUNT"};

[[noreturn]] void Fail(const std::string& message) { throw EDatabaseError(message); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSymbol(char c) { return c != 0 && std::strchr("()*+,-./<=>", c) != nullptr; }
bool IsQuote(char c) { return c == '\'' || c == '"'; }
// Ends a number or a word.
bool IsDelimiter(char c) { return IsBlank(c) || IsSymbol(c) || IsQuote(c); }

bool IsReserved(const std::string& upper) {
    for (const char* w : ReservedWords)
        if (upper == w) return true;
    return false;
}

bool IsValidIdentifier(const std::string& s) {
    if (s.empty() || !(IsLetter(s[0]) || s[0] == '_')) return false;
    for (char c : s)
        if (!(IsLetter(c) || IsDigit(c) || c == '_')) return false;
    return true;
}

const char* OperatorText(TOstraFilterOperator op) {
    switch (op) {
    case ofoEqual: return "=";
    case ofoGreater: return ">";
    case ofoLess: return "<";
    case ofoGreaterEqual: return ">=";
    case ofoLessEqual: return "<=";
    case ofoNotEqual: return "<>";
    case ofoLike: return "LIKE";
    case ofoAny: return "*=";
    default: return "?";
    }
}

std::string OperandText(const std::string& qualifier, const std::string& operand, TOstraTokenKind kind) {
    std::string s = qualifier.empty() ? std::string() : qualifier + ".";
    switch (kind) {
    case otkString: return s + QuotedStr(operand);
    case otkNull: return s + "NULL";
    case otkTrue: return s + "TRUE";
    case otkFalse: return s + "FALSE";
    default: return s + operand;
    }
}

}  // namespace

std::string TOstraFilterCondition::Text() const {
    return OperandText(LeftQualifier, LeftOperand, LeftKind) + " " + OperatorText(Operator) + " " +
           OperandText(RightQualifier, RightOperand, RightKind);
}

namespace {

// A quoted string from the quote at I, a doubled quote standing for one; returns where it ends.
std::size_t ScanQuoted(const std::string& Text, std::size_t I, std::string& S) {
    const char q = Text[I];
    std::size_t k = I + 1;
    for (;;) {
        if (k >= Text.size()) Fail(SUnmatchedQuote);
        if (Text[k] == q) {
            if (k + 1 < Text.size() && Text[k + 1] == q) {
                S += q;
                k += 2;
                continue;
            }
            return k + 1;
        }
        S += Text[k++];
    }
}

// A number from I: digits with at most one decimal separator; returns where it ends.
std::size_t ScanNumber(const std::string& Text, std::size_t I, char Decimal, std::string& S) {
    std::size_t k = I;
    bool valid = true;
    int separators = 0;
    while (k < Text.size() && (Text[k] == Decimal || !IsDelimiter(Text[k]))) {
        if (Text[k] == Decimal)
            ++separators;
        else if (!IsDigit(Text[k]))
            valid = false;
        ++k;
    }
    S = Text.substr(I, k - I);
    if (!valid || separators > 1) Fail(Format(SInvalidNumberToken, S));
    return k;
}

// A symbol's kind; parentheses are counted.
TOstraTokenKind SymbolKind(const std::string& S, int& Opens, int& Closes) {
    const char c = S[0];
    if (S.size() == 2 || c == '<' || c == '=' || c == '>') return otkComparison;
    if (c == '(') {
        ++Opens;
        return otkOpen;
    }
    if (c == ')') {
        ++Closes;
        return otkClose;
    }
    if (c == '*') return otkStar;
    if (c == ',') return otkComma;
    if (c == '.') return otkDot;
    return otkArithmetic;
}

// A reserved word's kind, aggregate functions aside.
TOstraTokenKind ReservedKind(const std::string& Upper) {
    if (Upper == "OR" || Upper == "AND" || Upper == "NOT") return otkLogical;
    if (Upper == "NULL") return otkNull;
    if (Upper == "TRUE") return otkTrue;
    if (Upper == "FALSE") return otkFalse;
    return otkReserved;
}

TOstraTokenKind AggregateKind(const std::string& Upper) {
    if (Upper == "SUM") return otkSum;
    if (Upper == "MAX") return otkMax;
    if (Upper == "MIN") return otkMin;
    if (Upper == "AVG") return otkAvg;
    if (Upper == "COUNT") return otkCount;
    Fail(Format(SUnsupportedFunction, Upper));
}

}  // namespace

void TOstraParser::Tokenize(const std::string& Text) {
    FTokens.clear();
    const char decimal = FormatSettings().DecimalSeparator;
    const std::size_t n = Text.size();
    std::size_t i = 0;
    bool inAggregate = false;  // inside the argument of an aggregate function
    int opens = 0, closes = 0;
    auto at = [&](std::size_t k) -> char { return k < n ? Text[k] : '\0'; };

    while (i < n) {
        const char c = Text[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (IsQuote(c)) {
            std::string s;
            i = ScanQuoted(Text, i, s);
            FTokens.push_back({std::move(s), otkString});
            continue;
        }
        if (IsDigit(c)) {
            std::string s;
            i = ScanNumber(Text, i, decimal, s);
            FTokens.push_back({std::move(s), otkNumber});
            continue;
        }
        if (IsSymbol(c)) {
            const char d = at(i + 1);
            std::string s(1, c);
            if ((c == '>' && d == '=') || (c == '<' && (d == '=' || d == '>')) || (c == '*' && d == '='))
                s += d;
            if (inAggregate) {
                if (s == ")") {
                    inAggregate = false;  // the closing parenthesis makes no token
                    ++i;
                    continue;
                }
                if (s != ".") Fail(Format(SAggregateSymbol, s));
            }
            const TOstraTokenKind kind = SymbolKind(s, opens, closes);
            i += s.size();
            FTokens.push_back({std::move(s), kind});
            continue;
        }
        // A word.
        std::size_t k = i;
        while (k < n && !IsDelimiter(Text[k])) {
            const char w = Text[k];
            if (!(IsLetter(w) || IsDigit(w) || w == '_' || w == '$')) Fail(SInvalidSymbol);
            ++k;
        }
        std::string word = Text.substr(i, k - i);
        i = k;
        const std::string upper = UpperCase(word);
        if (!IsReserved(upper)) {
            if (!IsValidIdentifier(word)) Fail(Format(SInvalidIdentifier, word));
            FTokens.push_back({std::move(word), otkIdentifier});
            continue;
        }
        TOstraTokenKind kind = ReservedKind(upper);
        if (kind == otkReserved && at(i) == '(' && !inAggregate) {
            kind = AggregateKind(upper);
            ++i;  // the "(" opens the argument
            inAggregate = true;
        }
        FTokens.push_back({upper, kind});
    }
    if (inAggregate || opens != closes) Fail(SUnmatchedParentheses);
}

int TOstraParser::BuildConditions(TOstraFilterConditions& Conditions, int StartToken) const {
    const int count = static_cast<int>(FTokens.size());
    int i = StartToken < 0 ? 0 : StartToken;
    auto kindAt = [&](int k) {
        return k < count ? FTokens[static_cast<std::size_t>(k)].Kind : TOstraTokenKind(0);
    };
    auto textAt = [&](int k) -> const std::string& { return FTokens[static_cast<std::size_t>(k)].Text; };
    auto error = []() { Fail(SComparisonError); };

    while (i < count) {
        TOstraFilterCondition cond;
        // Qualifier and left operand.
        if (kindAt(i) == otkIdentifier && kindAt(i + 1) == otkDot) {
            cond.LeftQualifier = textAt(i);
            i += 2;
        }
        if (kindAt(i) != otkIdentifier && kindAt(i) != otkString) error();
        cond.LeftOperand = textAt(i);
        cond.LeftKind = kindAt(i);
        ++i;
        // Operator.
        if (kindAt(i) == otkReserved && textAt(i) == "LIKE") {
            cond.Operator = ofoLike;
        } else if (kindAt(i) == otkComparison) {
            const std::string& op = textAt(i);
            if (op == "=")
                cond.Operator = ofoEqual;
            else if (op == ">")
                cond.Operator = ofoGreater;
            else if (op == "<")
                cond.Operator = ofoLess;
            else if (op == ">=")
                cond.Operator = ofoGreaterEqual;
            else if (op == "<=")
                cond.Operator = ofoLessEqual;
            else if (op == "<>")
                cond.Operator = ofoNotEqual;
            else
                cond.Operator = ofoAny;
        } else {
            error();
        }
        ++i;
        // Right qualifier or sign.
        bool negative = false;
        if (kindAt(i) == otkIdentifier && kindAt(i + 1) == otkDot) {
            cond.RightQualifier = textAt(i);
            i += 2;
        } else if (kindAt(i) == otkArithmetic && textAt(i) == "-" && kindAt(i + 1) == otkNumber) {
            negative = true;
            ++i;
        }
        // Value.
        switch (kindAt(i)) {
        case otkIdentifier:
        case otkString:
        case otkNumber:
            cond.RightOperand = (negative ? "-" : "") + textAt(i);
            cond.ValueText = cond.RightOperand;
            break;
        case otkNull: cond.RightOperand = "NULL"; break;
        // TRUE and FALSE mean the Boolean values, as their quoted forms do.
        case otkTrue: cond.RightOperand = cond.ValueText = "True"; break;
        case otkFalse: cond.RightOperand = cond.ValueText = "False"; break;
        default: error();
        }
        cond.RightKind = kindAt(i);
        ++i;
        Conditions.push_back(std::move(cond));
        // Joined by AND, or ended by GROUP BY or the end.
        if (i >= count) break;
        if (kindAt(i) == otkLogical && textAt(i) == "AND") {
            ++i;
            if (i >= count) error();
            continue;
        }
        if (kindAt(i) == otkReserved && textAt(i) == "GROUP" && kindAt(i + 1) == otkReserved &&
            textAt(i + 1) == "BY")
            return i + 2;
        error();
    }
    return 0;
}

TOstraFilterConditions TOstraParser::ParseFilter(const std::string& Text) {
    TOstraParser parser;
    parser.Tokenize(Text);
    TOstraFilterConditions conditions;
    parser.BuildConditions(conditions, 0);
    return conditions;
}
