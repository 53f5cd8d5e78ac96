// The filter dialog's criteria written as text: the condition of a Filter
// text or of an SQL WHERE clause, and the merge of a condition into the
// SELECTs of an SQL text.
//
// The SQL road writes a field qualified by the alias its table has in the
// dialog's SQLTables pairs, else as the field list has it; a field of the
// query's own result (no table) as the query's select list writes it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "suite/data/qzfilterinfo.h"

struct TqzDBFieldInfo;

// A criterion that cannot be written: its field is not in the field list
// (FieldNotFound) or a value does not fit the field.
class EqzFilterText : public Exception {
public:
    EqzFilterText(const std::string& Message, bool FieldNotFound = false)
        : Exception(Message), FFieldNotFound(FieldNotFound) {}
    const char* ClassName() const override { return "EqzFilterText"; }
    bool FieldNotFound() const { return FFieldNotFound; }

private:
    bool FFieldNotFound;
};

struct TqzCriteriaTextOptions {
    // The SQL road; else the Filter text road.
    bool SQLRoad = false;
    bool UseLikeOperator = false;
    std::string LikeWildcardChar = "%";
    bool LikeSupportsUpperKeyword = false;
    bool UseBracketsAroundFields = true;
    std::string UpperString = "Upper";
    int DateMode = 0;  // a TqzQueryFormatDateMode
    char16_t UpperRangePadChar = 122;
    // SQL road: the alias a field's table is written with (empty: none).
    std::function<std::string(const std::string&)> TableAlias;
    // SQL road: a result column of the query as its select list writes it
    // (empty: the field list's name).
    std::function<std::string(const TqzDBFieldInfo&)> ColumnText;
    // SQL road: beside a case-sensitive start match on a table's column
    // (Ref as written, Start the text it begins with), a condition true
    // wherever the match is that reads an index on the column (empty: none).
    std::function<std::string(const TqzDBFieldInfo&, const std::string&, const std::string&)> PrefixRange;
    // The database keeps its texts in UTF-16: text ranges compare their
    // UTF-8 bytes (text_utf8), as the record test compares them.
    bool RangesByUtf8 = false;
    // (field type, field name, var value): may replace an item's value.
    std::function<void(TFieldType, const std::string&, std::string&)> EncodeValue;
    // (value, field type, field name, var text): may replace a date's text.
    std::function<void(TDateTime, TFieldType, const std::string&, std::string&)> EncodeDateTime;
};

// The criteria as one condition, one line per criterion; empty when no
// criterion writes anything. Raises EqzFilterText.
std::string qzCriteriaText(const TqzFieldInfoList& Criteria, const std::vector<TqzDBFieldInfo>& Fields,
                           const TqzFieldOperators* Operators, const TqzCriteriaTextOptions& Options);

// SqlText with Condition added to the WHERE clause of each of its SELECTs:
// WHERE (old) AND (Condition), or WHERE (Condition). An empty condition
// leaves the text as it is. Raises EqzFilterText for a text whose quotes,
// comments or parentheses do not close.
std::string qzMergeWhereClause(const std::string& SqlText, const std::string& Condition);
// The same with a condition of each SELECT's own (by its place, from 0).
std::string qzMergeWhereClause(const std::string& SqlText,
                               const std::function<std::string(size_t Select)>& ConditionOf);

// The result columns of each SELECT of SqlText as written, their aliases
// left out: "*" or "t.*" for the columns of a star. Raises EqzFilterText as
// the merge does.
std::vector<std::vector<std::string>> qzSelectLists(const std::string& SqlText);
