// Writing criteria as filter text or an SQL condition with quoting and LIKE escapes,
// and merging the condition into a query's WHERE clause.
#include "suite/data/qzfiltertext.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/core/case_fold.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/params.h"
#include "platform/ui/dialogs.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzproputils.h"
#include "suite/data/qzfilterdialog.h"

namespace {

bool IsStringOrMemoType(TFieldType t) {
    return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo || t == ftFmtMemo;
}

bool IsNumberType(TFieldType t) { return IsWholeNumberType(t) || t == ftFloat || t == ftCurrency; }

bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }

// The first Size characters (UTF-8) of Text.
std::string CutToSize(const std::string& Text, int Size) {
    if (Size <= 0) return Text;
    int chars = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
        if ((static_cast<unsigned char>(Text[i]) & 0xC0) != 0x80 && chars++ == Size) return Text.substr(0, i);
    }
    return Text;
}

// "%", "_" and the escape character itself taken literally by LIKE ... ESCAPE '\'.
std::string LikeEscaped(const std::string& Text) {
    std::string out;
    for (char c : Text) {
        if (c == '%' || c == '_' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

// The characters a quoted LIKE pattern (escape '\') begins with.
std::string LikeStart(const std::string& Quoted) {
    std::string out;
    for (size_t i = 1; i + 1 < Quoted.size(); ++i) {
        char c = Quoted[i];
        if (c == '%' || c == '_') break;
        if (c == '\\' || c == '\'') c = Quoted[++i];
        out += c;
    }
    return out;
}

// Name qualified by Alias in place of its own qualifier (what precedes its
// last "." outside quotes and brackets); an expression is left as written.
std::string Qualified(const std::string& Name, const std::string& Alias) {
    size_t dot = std::string::npos;
    char close = 0;
    for (size_t i = 0; i < Name.size(); ++i) {
        const char c = Name[i];
        if (close) {
            if (c == close) close = 0;
        } else if (c == '"' || c == '`' || c == '\'') {
            close = c;
        } else if (c == '[') {
            close = ']';
        } else if (c == '.') {
            dot = i;
        } else if (c == '(' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            return Name;
        }
    }
    return Alias + "." + (dot == std::string::npos ? Name : Name.substr(dot + 1));
}

std::string FieldRef(const TqzDBFieldInfo& Field, const TqzCriteriaTextOptions& Options) {
    std::string name = Options.SQLRoad ? Field.SQLFieldName : Field.FieldName;
    if (Options.SQLRoad && Options.TableAlias) {
        const std::string alias = Options.TableAlias(Field.TableName);
        if (!alias.empty()) name = Qualified(name, alias);
    }
    if (!Options.UseBracketsAroundFields) return name;
    if (!Options.SQLRoad) return "[" + name + "]";
    // a qualified SQL name: each part in its brackets
    std::string out = "[";
    for (char c : name) out += c == '.' ? std::string("].[") : std::string(1, c);
    return out + "]";
}

// A result column as the select list writes it: a name (qualified or not)
// in the road's brackets, anything else as an expression in parentheses.
std::string ColumnRef(const std::string& Text, const TqzCriteriaTextOptions& Options) {
    bool plain = !Text.empty() && Text.front() != '.' && Text.back() != '.';
    for (char c : Text)
        plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '_' || c == '$' || c == '.' || static_cast<unsigned char>(c) >= 0x80);
    if (!plain) return "(" + Text + ")";
    if (!Options.UseBracketsAroundFields) return Text;
    std::string out = "[";
    for (char c : Text) out += c == '.' ? std::string("].[") : std::string(1, c);
    return out + "]";
}

std::string NumberText(const std::string& Item, const TqzDBFieldInfo& Field) {
    const std::string text = Trim(Item);
    if (IsWholeNumberType(Field.DataType)) {
        int64_t v;
        if (TryStrToInt64(text, v)) return std::to_string(v);
    } else {
        double v;
        if (TryStrToFloat(text, v) && std::isfinite(v)) {
            char buf[64];
            const auto r = std::to_chars(buf, buf + sizeof buf, v);
            return std::string(buf, r.ptr);
        }
    }
    throw EqzFilterText("'" + Item + "' is not a valid value for field '" + Field.FieldName + "'");
}

std::string DateText(const std::string& Item, const TqzDBFieldInfo& Field,
                     const TqzCriteriaTextOptions& Options) {
    const std::string text = Trim(Item);
    TDateTime t = 0;
    bool ok = false;
    if (Field.DataType == ftDate) ok = TryStrToDate(text, t);
    if (Field.DataType == ftTime) ok = TryStrToTime(text, t);
    if (Field.DataType == ftDateTime) ok = TryStrToDateTime(text, t) || TryStrToDate(text, t);
    if (!ok) throw EqzFilterText("'" + Item + "' is not a valid value for field '" + Field.FieldName + "'");
    int y, m, d, h, mi, s, ms;
    DecodeDate(t, y, m, d);
    DecodeTime(t, h, mi, s, ms);
    char date[40], time[40];
    if (Options.SQLRoad) {
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", y, m, d);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", h, mi, s);
    } else {
        // the year in four digits: a year below 100 written short is read back in another century
        switch (Options.DateMode) {
        case qfdDayMonthYear: std::snprintf(date, sizeof date, "%d/%d/%04d", d, m, y); break;
        case qfdYearMonthDay: std::snprintf(date, sizeof date, "%04d/%d/%d", y, m, d); break;
        default: std::snprintf(date, sizeof date, "%d/%d/%04d", m, d, y); break;
        }
        std::snprintf(time, sizeof time, "%d:%d:%d", h, mi, s);
    }
    std::string out = Field.DataType == ftDate   ? std::string(date)
                      : Field.DataType == ftTime ? std::string(time)
                                                 : std::string(date) + " " + time;
    if (Options.EncodeDateTime) Options.EncodeDateTime(t, Field.DataType, Field.FieldName, out);
    return out;
}

// How a value is written: as of the field's type, as a LIKE pattern, as a
// quoted text whatever the type, or as a text already upper-cased where the
// field is (not wrapped in the upper-case function).
enum TValueMode { vmTyped, vmLike, vmText, vmUpperCased };

class TWriter {
public:
    TWriter(const TqzFieldInfo& Info, const TqzDBFieldInfo& Field, const TqzCriteriaTextOptions& Options)
        : FInfo(Info), FField(Field), FOptions(Options) {
        const std::string column = Options.SQLRoad && Options.ColumnText ? Options.ColumnText(Field) : "";
        FRef = column.empty() ? FieldRef(Field, Options) : ColumnRef(column, Options);
        FOwnColumn = column.empty() && !Field.TableName.empty();
        FUpper = IsStringOrMemoType(Field.DataType) && !Info.CaseSensitive &&
                 (Options.SQLRoad || (Options.UseLikeOperator && Options.LikeSupportsUpperKeyword));
        if (FUpper) FRef = Upper(FRef);
    }

    // A value in the text: a number, a date's form or a quoted string.
    std::string Value(std::string Item, TValueMode Mode = vmTyped, const std::string& Before = "",
                      const std::string& After = "") const {
        if (FOptions.EncodeValue) FOptions.EncodeValue(FField.DataType, FField.FieldName, Item);
        // the text of a statement ends at a NUL
        if (Item.find('\0') != std::string::npos)
            throw EqzFilterText("A value for field '" + FField.FieldName + "' holds a NUL character");
        if (Mode == vmTyped && IsNumberType(FField.DataType)) return NumberText(Item, FField);
        if (Mode == vmTyped && IsDateType(FField.DataType))
            return QuotedStr(DateText(Item, FField, FOptions));
        // cut where the field keeps no longer text
        if (IsStringOrMemoType(FField.DataType) && !FField.Whole) Item = CutToSize(Item, FField.Size);
        if (Mode == vmLike) Item = LikeEscaped(Item);
        const std::string q = QuotedStr(Before + Item + After);
        return FUpper && Mode != vmUpperCased ? Upper(q) : q;
    }

    // The condition of one list item; empty when the item is not written.
    std::string Item(const std::string& Item, const std::string& NullWord) const {
        if (!NullWord.empty() && AnsiSameText(Item, NullWord)) {
            // the record test takes an empty text as it takes a null
            if (IsStringOrMemoType(FField.DataType)) return "(" + FRef + " is NULL or " + FRef + " = '')";
            return FRef + " is NULL";
        }
        const bool sql = FOptions.SQLRoad;
        const bool like = sql || FOptions.UseLikeOperator;
        const std::string w = sql ? "%" : FOptions.LikeWildcardChar;
        const bool text = !IsNumberType(FField.DataType) && !IsDateType(FField.DataType);
        switch (FInfo.MatchType) {
        case fdMatchExact: return FRef + " = " + Value(Item);
        case fdMatchStart: {
            // a number by its text, as the record test reads it
            if (!text && !IsNumberType(FField.DataType)) return FRef + " = " + Value(Item);
            if (!like) return FRef + " = " + Value(Item, text ? vmTyped : vmText, "", "*");
            const std::string pattern = Value(Item, vmLike, "", w);
            std::string out = FRef + " like " + pattern + Escape();
            if (sql && !FUpper && FOwnColumn && IsStringOrMemoType(FField.DataType) && FOptions.PrefixRange) {
                const std::string range = FOptions.PrefixRange(FField, FRef, LikeStart(pattern));
                if (!range.empty()) out += " and " + range;
            }
            return out;
        }
        case fdMatchAny:
            if (!like) return std::string();
            return FRef + " like " + Value(Item, vmLike, w, w) + Escape();
        case fdMatchEnd: {
            if (!like) return FRef + " = " + Value(Item);
            // as the record test: the item's first occurrence ends the text
            const std::string v = Value(Item, vmText), at = "instr(" + FRef + ", " + v + ")";
            return at + " > 0 and " + at + " + length(" + v + ") = length(" + FRef + ") + 1";
        }
        default: return std::string();
        }
    }

    std::string Range() const {
        std::string lower, upper;
        // texts by their UTF-8 bytes where SQLite would compare UTF-16 ones
        const bool utf8 = FOptions.RangesByUtf8 && IsStringOrMemoType(FField.DataType);
        const auto bound = [&](const char* Op, const std::string& Value) {
            if (!utf8) return "(" + FRef + Op + Value + ")";
            return "(text_utf8(" + FRef + ")" + Op + "text_utf8(" + Value + "))";
        };
        if (!Trim(FInfo.MinValue).empty()) lower = bound(" >= ", Value(FInfo.MinValue));
        if (!Trim(FInfo.MaxValue).empty()) {
            std::string max = FInfo.MaxValue;
            TValueMode mode = vmTyped;
            if (IsStringOrMemoType(FField.DataType)) {
                // upper-cased before it is padded, as the record test does it:
                // the pad takes in every text that begins with the bound
                if (FUpper) {
                    max = UnicodeUpperCase(max);
                    mode = vmUpperCased;
                }
                max = qzPadRight(FField.Size, max, FOptions.UpperRangePadChar);
            }
            upper = bound(" <= ", Value(max, mode));
            // an empty text lies in no bounded range, as for the record test
            if (lower.empty() && IsStringOrMemoType(FField.DataType)) lower = "(" + FRef + " <> '')";
        }
        if (lower.empty() || upper.empty()) return lower + upper;
        return "(" + lower + " and " + upper + ")";
    }

private:
    std::string Upper(const std::string& Text) const {
        return (FOptions.UpperString.empty() ? std::string("Upper") : FOptions.UpperString) + "(" + Text +
               ")";
    }
    std::string Escape() const { return " ESCAPE '\\'"; }

    const TqzFieldInfo& FInfo;
    const TqzDBFieldInfo& FField;
    const TqzCriteriaTextOptions& FOptions;
    std::string FRef;
    bool FUpper = false;
    bool FOwnColumn = false;  // FRef names a column of the field's table
};

const TqzDBFieldInfo* FindField(const std::vector<TqzDBFieldInfo>& Fields, const std::string& Name) {
    for (const TqzDBFieldInfo& f : Fields)
        if (AnsiSameText(f.FieldName, Name)) return &f;
    return nullptr;
}

}  // namespace

std::string qzCriteriaText(const TqzFieldInfoList& Criteria, const std::vector<TqzDBFieldInfo>& Fields,
                           const TqzFieldOperators* Operators, const TqzCriteriaTextOptions& Options) {
    std::string out;
    const std::string nullWord = Operators ? Operators->NullChar() : std::string("null");
    for (const TqzFieldInfo& info : Criteria) {
        const TqzDBFieldInfo* field = FindField(Fields, info.FieldName);
        if (!field) throw EqzFilterText(info.FieldName, true);
        TWriter writer(info, *field, Options);
        std::string condition;
        if (info.MatchType == fdMatchRange) {
            condition = writer.Range();
        } else if (info.MatchType != fdMatchNone) {
            bool isOr = false, isAnd = false;
            std::string separator;
            qzFindListOperator(info.FilterValue, Operators, isOr, separator, isAnd);
            std::vector<std::string> items;
            int position = 1;
            std::string item;
            while (position != -1) {
                qzNextListItem(info.FilterValue, separator, position, item);
                if (item.empty()) continue;
                const std::string c = writer.Item(item, nullWord);
                if (!c.empty()) items.push_back("(" + c + ")");
            }
            for (size_t i = 0; i < items.size(); ++i)
                condition += (i ? (isOr ? " or " : " and ") : "") + items[i];
            if (!condition.empty()) condition = "(" + condition + ")";
        }
        if (condition.empty()) continue;
        const bool negate = info.NonMatching && info.MatchType != fdMatchRange;
        // a null value is no match, as an empty text is none for the record filter
        if (negate) condition = "not coalesce(" + condition + ", 0)";
        if (!out.empty()) out += "\n and ";
        out += condition;
    }
    return out;
}

// ---------------------------------------------------------------------------
// The merge

namespace {

struct TWord {
    std::string Upper;
    size_t Start;
    size_t End;
};

// The words of the text at depth 0, quoted texts and comments skipped.
std::vector<TWord> TopWords(const std::string& s) {
    std::vector<TWord> words;
    int depth = 0;
    size_t i = 0;
    auto isWord = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '$' || static_cast<unsigned char>(c) >= 0x80;
    };
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            size_t j = i + 1;
            for (;; ++j) {
                if (j >= s.size()) throw EqzFilterText("Unterminated quoted text in SQL");
                if (s[j] == close) {
                    if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {
                        ++j;
                        continue;
                    }
                    break;
                }
            }
            i = j + 1;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            const size_t end = s.find("*/", i + 2);
            if (end == std::string::npos) throw EqzFilterText("Unterminated comment in SQL");
            i = end + 2;
        } else if (c == '(') {
            ++depth;
            ++i;
        } else if (c == ')') {
            if (--depth < 0) throw EqzFilterText("Unbalanced parentheses in SQL");
            ++i;
        } else if (c == ',' && depth == 0) {
            // the select list's separators
            words.push_back({",", i, i + 1});
            ++i;
        } else if (isWord(c)) {
            size_t j = i;
            while (j < s.size() && isWord(s[j])) ++j;
            if (depth == 0) words.push_back({UpperCase(s.substr(i, j - i)), i, j});
            i = j;
        } else {
            ++i;
        }
    }
    if (depth != 0) throw EqzFilterText("Unbalanced parentheses in SQL");
    return words;
}

bool IsSetOperator(const std::string& w) { return w == "UNION" || w == "INTERSECT" || w == "EXCEPT"; }

bool EndsWhere(const std::string& w) {
    return w == "GROUP" || w == "ORDER" || w == "HAVING" || w == "WINDOW" || w == "LIMIT" || w == "PLAN" ||
           w == "FOR";
}

// Each SELECT of the text: its words from its first to the one before the
// set operator that ends it (or the end of the text).
struct TSelectSpan {
    size_t First, Last;  // words [First, Last)
    bool HasSelect;
};

std::vector<TSelectSpan> SelectSpans(const std::vector<TWord>& words) {
    std::vector<TSelectSpan> spans;
    size_t k = 0;
    for (;;) {
        const size_t first = k;
        bool seenSelect = false;
        for (; k < words.size(); ++k) {
            if (IsSetOperator(words[k].Upper) && seenSelect) break;
            if (words[k].Upper == "SELECT") seenSelect = true;
        }
        spans.push_back({first, k, seenSelect});
        if (k >= words.size()) return spans;
        ++k;
    }
}

bool IsExpressionWord(const std::string& w) {
    static const char* const words[] = {
        "END", "NULL", "TRUE", "FALSE", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP"};
    for (const char* x : words)
        if (w == x) return true;
    return false;
}

bool IsOperatorWord(const std::string& w) {
    static const char* const words[] = {"COLLATE", "IS",     "NOT",      "AND",  "OR",   "ESCAPE", "LIKE",
                                        "GLOB",    "IN",     "BETWEEN",  "WHEN", "THEN", "ELSE",   "CASE",
                                        "MATCH",   "REGEXP", "DISTINCT", "ALL",  "AS",   "SELECT", "EXISTS"};
    for (const char* x : words)
        if (w == x) return true;
    return false;
}

// A result column without its alias ("expr AS name" or "expr name").
std::string WithoutAlias(const std::string& s, size_t From, size_t To, const std::vector<TWord>& words,
                         size_t First, size_t Last) {
    auto trimmed = [&](size_t a, size_t b) {
        while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
        while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
        return s.substr(a, b - a);
    };
    size_t end = To;
    while (end > From && std::isspace(static_cast<unsigned char>(s[end - 1]))) --end;
    if (end == From) return std::string();
    // where the last name begins: a word of the list, or a quoted name
    size_t aliasAt = std::string::npos;
    const char last = s[end - 1];
    if (last == '"' || last == ']' || last == '`') {
        const char open = last == ']' ? '[' : last;
        const size_t at = end >= 2 ? s.rfind(open, end - 2) : std::string::npos;
        if (at != std::string::npos && at > From) aliasAt = at;
    } else if (Last > First && words[Last - 1].End == end && !IsExpressionWord(words[Last - 1].Upper)) {
        aliasAt = words[Last - 1].Start;
    }
    if (aliasAt == std::string::npos || aliasAt == From) return trimmed(From, end);
    // the word before the name, when it is one
    const TWord* before = nullptr;
    for (size_t k = First; k < Last; ++k)
        if (words[k].End <= aliasAt) before = &words[k];
    size_t p = aliasAt;
    while (p > From && std::isspace(static_cast<unsigned char>(s[p - 1]))) --p;
    if (p == aliasAt || p == From) return trimmed(From, end);  // "t.name", or a lone name
    if (before && before->End == p) {
        if (before->Upper == "AS") return trimmed(From, before->Start);
        if (IsOperatorWord(before->Upper)) return trimmed(From, end);
        return trimmed(From, aliasAt);
    }
    const char c = s[p - 1];
    if (c == ')' || c == '\'' || c == '"' || c == ']' || c == '`') return trimmed(From, aliasAt);
    return trimmed(From, end);
}

}  // namespace

std::string qzMergeWhereClause(const std::string& SqlText,
                               const std::function<std::string(size_t Select)>& ConditionOf) {
    const std::vector<TWord> words = TopWords(SqlText);
    struct TInsert {
        size_t At;
        std::string Text;
    };
    std::vector<TInsert> inserts;
    size_t selects = 0;
    for (const TSelectSpan& span : SelectSpans(words)) {
        if (!span.HasSelect) continue;
        // where its WHERE begins and where its condition ends
        size_t where = std::string::npos,
               end = span.Last < words.size() ? words[span.Last].Start : SqlText.size();
        bool seenSelect = false, ended = false;
        for (size_t k = span.First; k < span.Last; ++k) {
            const std::string& w = words[k].Upper;
            if (w == "SELECT") seenSelect = true;
            if (!seenSelect) continue;
            if (w == "WHERE" && where == std::string::npos) {
                where = words[k].Start + 5;
            } else if (EndsWhere(w) && !ended) {
                end = words[k].Start;
                ended = true;
            }
        }
        const std::string condition = ConditionOf(selects++);
        if (Trim(condition).empty()) continue;
        if (where != std::string::npos) {
            inserts.push_back({where, " ("});
            inserts.push_back({end, "\n) AND (" + condition + "\n) "});
        } else {
            inserts.push_back({end, "\nWHERE (" + condition + "\n) "});
        }
    }
    if (selects == 0) throw EqzFilterText("No SELECT in SQL text");
    std::string out = SqlText;
    for (auto it = inserts.rbegin(); it != inserts.rend(); ++it) out.insert(it->At, it->Text);
    return out;
}

std::string qzMergeWhereClause(const std::string& SqlText, const std::string& Condition) {
    if (Trim(Condition).empty()) {
        TopWords(SqlText);  // the text is checked all the same
        return SqlText;
    }
    return qzMergeWhereClause(SqlText, [&](size_t) { return Condition; });
}

std::vector<std::vector<std::string>> qzSelectLists(const std::string& SqlText) {
    const std::vector<TWord> words = TopWords(SqlText);
    std::vector<std::vector<std::string>> lists;
    for (const TSelectSpan& span : SelectSpans(words)) {
        if (!span.HasSelect) continue;
        size_t k = span.First;
        while (words[k].Upper != "SELECT") ++k;
        ++k;
        if (k < span.Last && (words[k].Upper == "DISTINCT" || words[k].Upper == "ALL")) ++k;
        size_t from = words[k - 1].End;
        std::vector<std::string> columns;
        size_t first = k;
        for (;; ++k) {
            const bool over = k >= span.Last || words[k].Upper == "FROM" || words[k].Upper == "WHERE" ||
                              EndsWhere(words[k].Upper);
            if (over || words[k].Upper == ",") {
                const size_t to = k < words.size() ? words[k].Start : SqlText.size();
                columns.push_back(WithoutAlias(SqlText, from, to, words, first, k));
                if (over) break;
                from = words[k].End;
                first = k + 1;
            }
        }
        lists.push_back(std::move(columns));
    }
    return lists;
}

// ---------------------------------------------------------------------------
// The dialog's roads

std::string TqzFilterDialog::CriteriaText(bool SQLRoad, const std::vector<std::string>* SelectList) {
    if (FFieldList.empty()) LoadFields();
    TqzCriteriaTextOptions options;
    options.SQLRoad = SQLRoad;
    TDataSet* ds = GetDataSet();
    if (SQLRoad && SelectList && ds) {
        // a field of the query's own result (no table): the column at its
        // place, unless a star comes first (then the name alone)
        options.ColumnText = [ds, SelectList](const TqzDBFieldInfo& Field) -> std::string {
            if (!Field.TableName.empty()) return std::string();
            const int at = ds->FieldDefs()->IndexOf(Field.FieldName);
            if (at < 0 || static_cast<size_t>(at) >= SelectList->size()) return std::string();
            for (int i = 0; i <= at; ++i) {
                const std::string& column = (*SelectList)[static_cast<size_t>(i)];
                if (column == "*" || (column.size() >= 2 && column.compare(column.size() - 2, 2, ".*") == 0))
                    return std::string();
            }
            return (*SelectList)[static_cast<size_t>(at)];
        };
    }
    if (auto* db = dynamic_cast<TDBDataSet*>(ds)) options.RangesByUtf8 = !db->TextsInUtf8();
    if (auto* db = dynamic_cast<TDBDataSet*>(ds); SQLRoad && db) {
        options.PrefixRange = [db](const TqzDBFieldInfo& Field, const std::string& Ref,
                                   const std::string& Start) {
            // the column: the SQL name's last part, out of its quotes
            std::string column = Field.SQLFieldName.substr(Field.SQLFieldName.rfind('.') + 1);
            if (column.size() >= 2 && (column[0] == '[' || column[0] == '"' || column[0] == '`'))
                column = column.substr(1, column.size() - 2);
            return db->PrefixRange(Field.TableName, column, Ref, Start);
        };
    }
    options.UseLikeOperator = FFilterPropertyOptions->UseLikeOperator;
    options.LikeWildcardChar = FFilterPropertyOptions->LikeWildcardChar;
    options.LikeSupportsUpperKeyword = FFilterPropertyOptions->LikeSupportsUpperKeyword;
    options.UseBracketsAroundFields = FFilterPropertyOptions->UseBracketsAroundFields;
    options.UpperString = FSQLUpperString;
    options.DateMode = FQueryFormatDateMode;
    options.UpperRangePadChar = FUpperRangePadChar;
    if (FSQLTables->Count() > 0)
        options.TableAlias = [this](const std::string& Table) { return FSQLTables->AliasOf(Table); };
    if (FOnEncodeValue)
        options.EncodeValue = [this](TFieldType Type, const std::string& Name, std::string& Value) {
            FOnEncodeValue(this, Type, Name, Value);
        };
    if (FOnEncodeDateTime)
        options.EncodeDateTime = [this](TDateTime Value, TFieldType Type, const std::string& Name,
                                        std::string& Text) {
            FOnEncodeDateTime(this, Value, Type, Name, Text);
        };
    return qzCriteriaText(FCriteria, FFieldList, FFieldOperators.get(), options);
}

std::string TqzFilterDialog::ReadSQLText(TDataSet* DataSet) {
    std::string name;
    GetSQLPropertyName(name);
    if (!IsPublishedProp(DataSet, name)) return std::string();
    if (PropType(DataSet, name) == tkString) return GetStrProp(DataSet, name);
    if (auto* lines = dynamic_cast<TStrings*>(GetObjectProp(DataSet, name))) return lines->Text();
    return std::string();
}

void TqzFilterDialog::WriteSQLText(TDataSet* DataSet, const std::string& Text) {
    std::string name;
    GetSQLPropertyName(name);
    if (!IsPublishedProp(DataSet, name)) return;
    if (PropType(DataSet, name) == tkString) {
        SetStrProp(DataSet, name, Text);
    } else if (auto* lines = dynamic_cast<TStrings*>(GetObjectProp(DataSet, name))) {
        TStringList text;
        text.SetText(Text);
        lines->Assign(&text);
    }
}

void TqzFilterDialog::MergeWhereClause(const std::string& Condition) {
    MergeWhereClauses(std::vector<std::string>{Condition});
}

void TqzFilterDialog::MergeWhereClauses(const std::vector<std::string>& Conditions) {
    TDataSet* ds = GetDataSet();
    if (!ds || Conditions.empty()) return;
    // the parameter values stay through the change of text
    TParams aside;
    TParams* params = qzGetParams(ds);
    if (params) aside.Assign(params);
    WriteSQLText(ds, qzMergeWhereClause(ReadSQLText(ds), [&Conditions](size_t Select) {
                     return Conditions[std::min(Select, Conditions.size() - 1)];
                 }));
    if (params) qzSetParams(ds, &aside);
}

std::vector<std::string> TqzFilterDialog::SelectConditions(TDataSet* DataSet) {
    const std::string text = FSavedSQL.empty() ? ReadSQLText(DataSet) : FSavedSQL;
    std::vector<std::vector<std::string>> lists;
    try {
        lists = qzSelectLists(text);
    } catch (const EqzFilterText&) {
        // the merge tells what is wrong with the text
    }
    if (lists.empty()) return {CriteriaText(true)};
    std::vector<std::string> conditions;
    for (const std::vector<std::string>& list : lists) conditions.push_back(CriteriaText(true, &list));
    return conditions;
}

bool TqzFilterDialog::ApplyFilterText(TDataSet* DataSet) {
    std::string text;
    try {
        text = CriteriaText(false);
    } catch (const EqzFilterText& e) {
        MessageDlg(e.FieldNotFound() ? "Field Name not found in referenced tables. \r" + e.Message()
                                     : "Unable to Execute Filter:\r" + e.Message(),
                   mtError, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    try {
        TqzHourGlass hourGlass;
        if (FFilteredDataSet == DataSet) TakeFilterOff();
        SetFilteredBusy(DataSet, false);
        DataSet->SetFilter(text);
        SetFilteredBusy(DataSet, true);
        if (!DataSet->Active()) DataSet->Open();
    } catch (const Exception& e) {
        MessageDlg("Unable to Execute Filter:\r" + e.Message(), mtError, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    return true;
}

bool TqzFilterDialog::ApplySQL(TDataSet* DataSet) {
    const std::string before = ReadSQLText(DataSet);
    const bool wasActive = DataSet->Active();
    TParams aside;
    TParams* params = qzGetParams(DataSet);
    if (params) aside.Assign(params);
    // puts back the text found and its records
    auto restore = [&]() {
        try {
            DataSet->Close();
            WriteSQLText(DataSet, before);
            if (params) qzSetParams(DataSet, &aside);
            if (wasActive) DataSet->Open();
        } catch (...) {}
    };
    std::vector<std::string> conditions;
    try {
        conditions = SelectConditions(DataSet);
    } catch (const EqzFilterText& e) {
        MessageDlg(e.FieldNotFound() ? "TqzFilterDialog: Field not found (" + e.Message() + ")"
                                     : "Unable to Execute SQL:\r" + e.Message(),
                   mtError, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    try {
        DataSet->Close();
        if (FSavedSQL.empty()) {
            FSavedSQL = before;
        } else {
            WriteSQLText(DataSet, FSavedSQL);
            if (params) qzSetParams(DataSet, &aside);
        }
        // one condition for every SELECT goes through the overridable merge
        if (std::all_of(conditions.begin(), conditions.end(),
                        [&](const std::string& c) { return c == conditions.front(); }))
            MergeWhereClause(conditions.front());
        else
            MergeWhereClauses(conditions);
        // the condition reads and calls only what the text did, or the allow list holds
        if (auto* db = dynamic_cast<TDBDataSet*>(DataSet))
            CheckFencedText(db->DatabaseName(), FSavedSQL, ReadSQLText(DataSet));
        if (FOnExecuteSQL && qzClassInheritsFrom(DataSet, "TQuery")) FOnExecuteSQL(this, FForm, DataSet);
        DataSet->Open();
    } catch (const Exception& e) {
        restore();
        MessageDlg("Unable to Execute SQL:\r" + e.Message(), mtError, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    return true;
}
