// TOstraParser: splits a filter text into tokens and turns the tokens into
// filter conditions, simple comparisons joined by AND such as
// Category = 'Home' AND Priority <> '4'.
//
// The lexer knows a wider, query-like vocabulary (reserved words, aggregate
// functions, GROUP BY) than the condition builder accepts; OR, NOT,
// parentheses, arithmetic and aggregates are rejected by the builder.
// Every error is an EDatabaseError.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_mask.h"

enum TOstraTokenKind {
    otkIdentifier = 1,
    otkString = 2,  // quoted string, text without the quotes
    otkComma = 3,
    otkDot = 4,
    otkReserved = 5,  // any other reserved word
    otkNumber = 6,
    otkStar = 7,
    otkArithmetic = 8,   // "+", "-", "/"
    otkLogical = 9,      // "OR", "AND", "NOT"
    otkComparison = 10,  // "=", "<", ">", ">=", "<=", "<>", "*="
    otkOpen = 11,
    otkClose = 12,
    otkNull = 13,
    otkCount = 14,  // aggregate function names followed by "("
    otkSum = 15,
    otkMax = 16,
    otkMin = 17,
    otkAvg = 18,
    otkTrue = 20,
    otkFalse = 21,
};

struct TOstraToken {
    std::string Text;  // reserved words upper-cased
    TOstraTokenKind Kind;
};

enum TOstraFilterOperator {
    ofoNone = 0,
    ofoEqual = 1,
    ofoGreater = 2,
    ofoLess = 3,
    ofoGreaterEqual = 4,
    ofoLessEqual = 5,
    ofoNotEqual = 6,
    ofoLike = 7,
    ofoAny = 8,  // "*=": holds for every record
};

// One comparison of a filter.
struct TOstraFilterCondition {
    std::string LeftQualifier;
    std::string LeftOperand;
    std::string RightQualifier;
    std::string RightOperand;
    TOstraTokenKind LeftKind = otkIdentifier;
    TOstraTokenKind RightKind = otkIdentifier;
    TOstraFilterOperator Operator = ofoNone;
    // The constant compared with: the string or number (a negative number
    // with its "-"); "True"/"False" for TRUE/FALSE; empty for NULL.
    std::string ValueText;
    // Made from ValueText for LIKE when the filter is prepared.
    std::shared_ptr<TOstraMask> Mask;

    // The condition as text, for messages.
    std::string Text() const;
};

using TOstraFilterConditions = std::vector<TOstraFilterCondition>;

class TOstraParser {
public:
    // Fills the token list from Text, replacing what it held. Raises
    // "Unmatched quote", "Token %s is invalid number", "Invalid symbol in
    // parameter/identificator/reserved word", "Unsupported function %s in
    // query", "Parameter %s is not valid identifier", "Symbol %s is not
    // supported in aggregate function argument" or "Unmatched parentheses".
    void Tokenize(const std::string& Text);
    const std::vector<TOstraToken>& Tokens() const { return FTokens; }

    // Appends the conditions found from token StartToken on to Conditions;
    // answers the index of the token after GROUP BY, 0 when there is none.
    // Raises "Error in comparison expression" for anything else.
    int BuildConditions(TOstraFilterConditions& Conditions, int StartToken = 0) const;

    // Tokenize and BuildConditions over a whole filter text.
    static TOstraFilterConditions ParseFilter(const std::string& Text);

private:
    std::vector<TOstraToken> FTokens;
};
