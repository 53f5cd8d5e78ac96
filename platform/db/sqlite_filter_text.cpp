// The Filter text of the engine's datasets: an SQL condition on the dataset's
// columns that runs no query of its own, with two readings of its own: "="
// with a quoted literal ending in "*" matches by prefix, a date or time
// literal compared with such a field is read with the format settings and
// written in the stored form, and so is "True" or "False" compared with a
// Boolean field. The statement made from it is fenced (sqlite_fence.cpp): it
// reads only the dataset's own tables and calls only allow-listed functions.
#include <cstdio>
#include <functional>

#include <sqlite3.h>

#include "platform/core/datetime.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/sqlite_connection.h"

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

// The bytes that begin every text a LIKE (Glob: GLOB) pattern matches, as
// far as they are ASCII other than the wildcards (a character outside ASCII
// may match other bytes: a form of it the pattern functions read the same).
// Escape: like's escape character (0: none). Whole: the pattern is that
// start and one or more '%' ('*') only (it matches exactly the texts that
// begin with it).
std::string LiteralStart(const std::string& Pattern, bool Glob, char Escape, bool* Whole = nullptr) {
    std::string out;
    const char all = Glob ? '*' : '%';
    if (Whole) *Whole = false;
    for (size_t i = 0; i < Pattern.size(); ++i) {
        char c = Pattern[i];
        if (Escape != 0 && c == Escape) {
            if (++i >= Pattern.size()) break;
            c = Pattern[i];
        } else if (Glob ? (c == '*' || c == '?' || c == '[') : (c == '%' || c == '_')) {
            if (Whole) *Whole = Pattern.find_first_not_of(all, i) == std::string::npos;
            break;
        }
        if (c == 0 || static_cast<unsigned char>(c) >= 0x7F) break;
        out += c;
    }
    return out;
}

std::string HexOf(const std::string& Bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "x'";
    for (unsigned char c : Bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out + "'";
}

// The texts (and BLOBs, with Blobs) whose bytes begin with Start (not
// empty, below 0x7F), by ranges an index on Ref's column in BINARY order
// serves: a text in [Start, Start's last byte + 1) begins with Start.
std::string PrefixRangeSql(const std::string& Ref, const std::string& Start, bool Blobs = true) {
    std::string end = Start;
    end.back() = static_cast<char>(end.back() + 1);
    return "(" + Ref + " >= " + QuotedStr(Start) + " COLLATE BINARY AND " + Ref + " < " + QuotedStr(end) +
           " COLLATE BINARY" +
           (Blobs ? " OR " + Ref + " >= " + HexOf(Start) + " AND " + Ref + " < " + HexOf(end)
                  : std::string()) +
           ")";
}

// Whether a declared type gives a column SQLite's TEXT affinity.
bool TextAffinity(const std::string& DeclType) {
    const std::string t = UpperCase(DeclType);
    if (t.find("INT") != std::string::npos) return false;
    return t.find("CHAR") != std::string::npos || t.find("CLOB") != std::string::npos ||
           t.find("TEXT") != std::string::npos;
}

bool IsWord(const TTok& t, const char* Word) { return t.Kind == ftkName && UpperCase(t.Text) == Word; }

// SQLite's planner reads an index for a LIKE or GLOB only when they are its
// own functions; the connection's own (sqlite_text_match.cpp) are not. So a
// LIKE or GLOB on a column of TEXT affinity whose pattern begins with
// characters gets the range of the texts that begin with them beside it:
// `c LIKE 'a_%'` becomes `(c LIKE 'a_%' AND (c >= 'a' AND c < 'b' OR c >=
// x'61' AND c < x'62'))`, the same rows (a BLOB's bytes are matched as a
// text's, and BLOBs order after texts), an index on c read for them; a
// pattern of such characters and a trailing '%' only is the range alone. Only
// where the call stands alone between AND, OR, NOT and parentheses (no
// BETWEEN in the text), and in a
// database of UTF-8 (the bounds compare as bytes): DeclaredType answers
// "" elsewhere.
void AddPrefixRanges(std::vector<TTok>& Toks, const std::vector<size_t>& At,
                     const std::function<std::string(const std::string&)>& DeclaredType) {
    // (BETWEEN's AND binds as LIKE does: not taken apart)
    for (size_t k : At)
        if (IsWord(Toks[k], "BETWEEN")) return;
    const auto joinsBefore = [&](size_t k) {
        const TTok& t = Toks[At[k]];
        return t.Text == "(" || IsWord(t, "AND") || IsWord(t, "OR") || IsWord(t, "NOT");
    };
    const auto joinsAfter = [&](size_t k) {
        if (k >= At.size()) return true;
        const TTok& t = Toks[At[k]];
        return t.Text == ")" || IsWord(t, "AND") || IsWord(t, "OR");
    };
    for (size_t k = 0; k + 2 < At.size(); ++k) {
        TTok& name = Toks[At[k]];
        const TTok& op = Toks[At[k + 1]];
        TTok& pattern = Toks[At[k + 2]];
        const bool glob = UpperCase(op.Text) == "GLOB", like = UpperCase(op.Text) == "LIKE";
        if (name.Kind != ftkName || pattern.Kind != ftkString || !(glob || like)) continue;
        if (k > 0 && !joinsBefore(k - 1)) continue;
        size_t last = k + 2;
        char escape = 0;
        if (like && last + 1 < At.size() && IsWord(Toks[At[last + 1]], "ESCAPE")) {
            if (last + 2 >= At.size() || Toks[At[last + 2]].Kind != ftkString) continue;
            const std::string e = Unquote(Toks[At[last + 2]].Text);
            if (e.size() != 1 || static_cast<unsigned char>(e[0]) >= 0x80) continue;
            escape = e[0];
            last += 2;
        }
        if (!joinsAfter(last + 1)) continue;
        bool whole = false;
        const std::string text = Unquote(pattern.Text);
        const std::string start = LiteralStart(text, glob, escape, &whole);
        if (start.empty()) continue;
        if (!TextAffinity(DeclaredType(name.Text))) continue;
        const std::string c = name.Text;
        // (a BLOB never matches where the library was built so)
        static const bool blobs = sqlite3_compileoption_used("LIKE_DOESNT_MATCH_BLOBS") == 0;
        if (whole && text.size() < 1000) {
            // the range alone is the match: no call a row
            name.Text = PrefixRangeSql(c, start, blobs);
            for (size_t t = At[k] + 1; t <= At[last]; ++t) Toks[t].Text.clear();
        } else {
            name.Text = "(" + c;
            Toks[At[last]].Text += " AND " + PrefixRangeSql(c, start, blobs) + ")";
        }
        k = last;
    }
}

}  // namespace

std::string TDBDataSet::PrefixRange(const std::string& Table, const std::string& Column,
                                    const std::string& Ref, const std::string& Text, bool* Exact) {
    if (Exact) *Exact = false;
    // the characters up to the first outside ASCII (wildcards are characters here)
    std::string ascii;
    for (char c : Text) {
        if (c == 0 || static_cast<unsigned char>(c) >= 0x7F) break;
        ascii += c;
    }
    if (ascii.empty() || !Connection() || !IsUtf8Database(Connection()->Db())) return std::string();
    const char* declared = nullptr;
    if (sqlite3_table_column_metadata(Connection()->Db(), nullptr, Table.c_str(), Column.c_str(), &declared,
                                      nullptr, nullptr, nullptr, nullptr) != SQLITE_OK ||
        !declared || !TextAffinity(declared))
        return std::string();
    if (Exact) *Exact = ascii.size() == Text.size();
    return PrefixRangeSql(Ref, ascii);
}

bool TDBDataSet::TextsInUtf8() { return !Connection() || IsUtf8Database(Connection()->Db()); }

void TDBDataSet::CheckFilterTextLength(const std::string& Text) {
    if (Text.size() > MaxFilterTextLength)
        Invalid("the filter text is " + std::to_string(Text.size()) +
                " bytes long; a filter text holds at most " + std::to_string(MaxFilterTextLength) + " bytes");
}

std::string TDBDataSet::FilterCondition() {
    if (!Filtered() || Filter().empty()) return std::string();
    CheckFilterTextLength(Filter());
    std::vector<TTok> toks = Tokens(Filter());
    RefuseQueries(toks);
    if (!FilterRowsHaveRowid()) {
        for (const TTok& t : toks) {
            if (t.Kind != ftkName) continue;
            const std::string name = UpperCase(NameOf(t.Text));
            if ((name == "ROWID" || name == "OID" || name == "_ROWID_") &&
                FieldDefs()->IndexOf(NameOf(t.Text)) < 0)
                Invalid("'" + t.Text + "': a query's rows have no rowid; filter by one of its fields");
        }
    }
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
    std::string source;
    int utf8 = -1;
    // the declared type of a column the filter names (empty: none known)
    const auto declaredType = [&](const std::string& NameToken) {
        if (utf8 < 0) {
            utf8 = Connection() && IsUtf8Database(Connection()->Db()) ? 1 : 0;
            source = FilterRowSource();
        }
        std::string declared;
        if (!utf8 || source.empty() || FieldDefs()->IndexOf(NameOf(NameToken)) < 0) return declared;
        // through a view or a query's own columns as the filter reads them
        sqlite3_stmt* probe = nullptr;
        const std::string sql = "SELECT " + NameToken + " FROM " + source;
        if (sqlite3_prepare_v2(Connection()->Db(), sql.c_str(), static_cast<int>(sql.size()), &probe,
                               nullptr) == SQLITE_OK &&
            probe && sqlite3_column_count(probe) == 1 && sqlite3_column_decltype(probe, 0))
            declared = sqlite3_column_decltype(probe, 0);
        sqlite3_finalize(probe);
        return declared;
    };
    AddPrefixRanges(toks, at, declaredType);
    std::string out;
    for (const TTok& t : toks) out += t.Text;
    return out;
}
