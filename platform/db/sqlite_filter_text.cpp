// The Filter text of the engine's datasets: an SQL condition on the dataset's
// columns that runs no query of its own, with two readings of its own: "="
// with a quoted literal ending in "*" matches by prefix, a date or time
// literal compared with such a field is read with the format settings and
// written in the stored form, and so is "True" or "False" compared with a
// Boolean field. The statement made from it is fenced (sqlite_fence.cpp): it
// reads only the dataset's own tables and calls only allow-listed functions.
#include <cstdio>

#include "platform/core/datetime.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"

namespace {

enum TTokKind { ftkBlank, ftkString, ftkName, ftkOp, ftkOther };

struct TTok {
    TTokKind Kind;
    std::string Text;
};

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

[[noreturn]] void Invalid(const std::string& Why) {
    throw EDBEngineError("Invalid filter expression: " + Why, DBIERR_INVALIDFILTER);
}

std::vector<TTok> Tokens(const std::string& s) {
    std::vector<TTok> out;
    size_t i = 0;
    int depth = 0;
    while (i < s.size()) {
        const char c = s[i];
        size_t j = i + 1;
        TTokKind kind = ftkOther;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            while (j < s.size() && (s[j] == ' ' || s[j] == '\t' || s[j] == '\r' || s[j] == '\n')) ++j;
            kind = ftkBlank;
        } else if (c == '\'') {
            for (;; ++j) {
                if (j >= s.size()) Invalid("unterminated string");
                if (s[j] == '\'') {
                    if (j + 1 < s.size() && s[j + 1] == '\'') {
                        ++j;
                        continue;
                    }
                    ++j;
                    break;
                }
            }
            kind = ftkString;
        } else if (c == '[' || c == '"' || c == '`') {
            const char close = c == '[' ? ']' : c;
            while (j < s.size() && s[j] != close) ++j;
            if (j >= s.size()) Invalid("unterminated name");
            ++j;
            kind = ftkName;
        } else if (IsWordChar(c)) {
            while (j < s.size() && IsWordChar(s[j])) ++j;
            kind = ftkName;
        } else if (c == '=' || c == '<' || c == '>' || c == '!') {
            while (j < s.size() && (s[j] == '=' || s[j] == '<' || s[j] == '>')) ++j;
            kind = ftkOp;
        } else if (c == ';') {
            Invalid("';'");
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            Invalid("comment");
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            Invalid("comment");
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth < 0) Invalid("')'");
        }
        out.push_back({kind, s.substr(i, j - i)});
        i = j;
    }
    if (depth != 0) Invalid("'('");
    return out;
}

std::string Unquote(const std::string& Literal) {
    std::string v;
    for (size_t i = 1; i + 1 < Literal.size(); ++i) {
        v += Literal[i];
        if (Literal[i] == '\'') ++i;
    }
    return v;
}

std::string NameOf(const std::string& Token) {
    if (!Token.empty() && (Token[0] == '[' || Token[0] == '"' || Token[0] == '`'))
        return Token.substr(1, Token.size() - 2);
    return Token;
}

// The stored form of a date or time literal; the literal itself when it does
// not read as one.
std::string StoredDateText(TFieldType Type, const std::string& Literal) {
    const std::string v = Unquote(Literal);
    TDateTime t;
    bool ok = false;
    if (Type == ftDate) ok = TryStrToDate(v, t);
    if (Type == ftTime) ok = TryStrToTime(v, t);
    if (Type == ftDateTime) ok = TryStrToDateTime(v, t) || TryStrToDate(v, t);
    if (!ok) return Literal;
    int y, m, d, h, mi, s, ms;
    DecodeDate(t, y, m, d);
    DecodeTime(t, h, mi, s, ms);
    char buf[40];
    if (Type == ftDate)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    else if (Type == ftTime)
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, mi, s);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, mi, s);
    return QuotedStr(buf);
}

// The stored form (1 or 0) of a literal "True" or "False" (any case)
// compared with a Boolean field; the literal itself otherwise.
std::string StoredBooleanText(const std::string& Literal) {
    const std::string v = UpperCase(Unquote(Literal));
    if (v == "TRUE") return "1";
    if (v == "FALSE") return "0";
    return Literal;
}

// The literal's prefix as a GLOB pattern, its own wildcard characters taken
// literally.
std::string PrefixPattern(const std::string& Literal) {
    const std::string v = Unquote(Literal);
    std::string pattern;
    for (size_t i = 0; i + 1 < v.size(); ++i) {
        const char c = v[i];
        if (c == '*' || c == '?' || c == '[')
            pattern += std::string("[") + c + "]";
        else
            pattern += c;
    }
    return QuotedStr(pattern + "*");
}

bool IsCompare(const std::string& Op) {
    return Op == "=" || Op == "==" || Op == "<>" || Op == "!=" || Op == "<" || Op == ">" || Op == "<=" ||
           Op == ">=";
}

// A filter is a condition on the record itself: no query of its own (a
// subquery, a WITH, a VALUES list) that reads other tables or runs on.
void RefuseQueries(const std::vector<TTok>& Toks) {
    for (const TTok& t : Toks) {
        if (t.Kind != ftkName) continue;
        const std::string word = UpperCase(t.Text);
        if (word == "SELECT" || word == "WITH" || word == "VALUES")
            Invalid("'" + t.Text + "': a filter is a condition on the record and runs no query");
    }
}

}  // namespace

std::string TDBDataSet::FilterCondition() {
    if (!Filtered() || Filter().empty()) return std::string();
    std::vector<TTok> toks = Tokens(Filter());
    RefuseQueries(toks);
    // positions of the tokens that are not blanks
    std::vector<size_t> at;
    for (size_t i = 0; i < toks.size(); ++i)
        if (toks[i].Kind != ftkBlank) at.push_back(i);
    auto fieldType = [&](const TTok& t) {
        if (t.Kind != ftkName) return ftUnknown;
        const int n = FieldDefs()->IndexOf(NameOf(t.Text));
        return n < 0 ? ftUnknown : FieldDefs()->Items(n)->DataType();
    };
    auto isDate = [](TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; };
    for (size_t k = 0; k < at.size(); ++k) {
        TTok& op = toks[at[k]];
        if (op.Kind != ftkOp || !IsCompare(op.Text) || k == 0 || k + 1 >= at.size()) continue;
        TTok& left = toks[at[k - 1]];
        TTok& right = toks[at[k + 1]];
        if (right.Kind == ftkString && isDate(fieldType(left)))
            right.Text = StoredDateText(fieldType(left), right.Text);
        else if (left.Kind == ftkString && isDate(fieldType(right)))
            left.Text = StoredDateText(fieldType(right), left.Text);
        else if (right.Kind == ftkString && fieldType(left) == ftBoolean)
            right.Text = StoredBooleanText(right.Text);
        else if (left.Kind == ftkString && fieldType(right) == ftBoolean)
            left.Text = StoredBooleanText(left.Text);
        if ((op.Text == "=" || op.Text == "==") && right.Kind == ftkString && right.Text.size() > 2 &&
            right.Text[right.Text.size() - 2] == '*') {
            op.Text = "GLOB";
            right.Text = PrefixPattern(right.Text);
        }
    }
    std::string out;
    for (const TTok& t : toks) out += t.Text;
    return out;
}
