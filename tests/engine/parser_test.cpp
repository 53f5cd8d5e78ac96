// The filter parser: its lexer and the conditions it builds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ostra_parser.h"
#include "platform/core/sysutils.h"
#include "support/engine/dataset_fixture.h"

namespace {

std::vector<TOstraToken> Tokens(const std::string& text) {
    TOstraParser parser;
    parser.Tokenize(text);
    return parser.Tokens();
}

std::string Kinds(const std::string& text) {
    std::string out;
    for (const TOstraToken& t : Tokens(text)) out += (out.empty() ? "" : " ") + std::to_string(t.Kind);
    return out;
}

}  // namespace

TEST(OstraParserLexer, TokenKinds) {
    EXPECT_EQ("1 10 2", Kinds("Flag='True'"));
    EXPECT_EQ("1 4 1 10 6", Kinds("t.A >= 12"));
    EXPECT_EQ("5 7 3 1 5 1", Kinds("select * , a FROM b"));
    EXPECT_EQ("11 1 8 1 12 8 1", Kinds("(a + b) / c"));
    EXPECT_EQ("1 10 13 9 1 10 20 9 9 1 10 21", Kinds("a = null AND b = true or not c = False"));
    EXPECT_EQ("1 10 1 10 1 10 1", Kinds("a<>b <= c *= d"));
    EXPECT_EQ("1 10 10 1", Kinds("a < = b"));
}

TEST(OstraParserLexer, ReservedWordsAreUpperCased) {
    const auto tokens = Tokens("a like 'x' group by b");
    ASSERT_EQ(6u, tokens.size());
    EXPECT_EQ("LIKE", tokens[1].Text);
    EXPECT_EQ(otkReserved, tokens[1].Kind);
    EXPECT_EQ("GROUP", tokens[3].Text);
    EXPECT_EQ("a", tokens[0].Text);
}

TEST(OstraParserLexer, QuotedStrings) {
    auto tokens = Tokens("Name = 'O''Brien'");
    ASSERT_EQ(3u, tokens.size());
    EXPECT_EQ("O'Brien", tokens[2].Text);
    tokens = Tokens("\"say \"\"hi\"\"\" 'it''s'");
    ASSERT_EQ(2u, tokens.size());
    EXPECT_EQ("say \"hi\"", tokens[0].Text);
    EXPECT_EQ("it's", tokens[1].Text);
    tokens = Tokens("'a\"b' \"c'd\" ''");
    ASSERT_EQ(3u, tokens.size());
    EXPECT_EQ("a\"b", tokens[0].Text);
    EXPECT_EQ("c'd", tokens[1].Text);
    EXPECT_EQ("", tokens[2].Text);
}

TEST(OstraParserLexer, NumbersUseTheDecimalSeparator) {
    ResetFormatSettings();
    auto tokens = Tokens("Price > 12.5");
    ASSERT_EQ(3u, tokens.size());
    EXPECT_EQ("12.5", tokens[2].Text);
    FormatSettings().DecimalSeparator = ',';
    tokens = Tokens("Price > 12,5");
    ResetFormatSettings();
    ASSERT_EQ(3u, tokens.size());
    EXPECT_EQ("12,5", tokens[2].Text);
    EXPECT_EQ(otkNumber, tokens[2].Kind);
}

TEST(OstraParserLexer, AggregatesTakeTheirArgument) {
    const auto tokens = Tokens("SUM(t.x) > 3");
    ASSERT_EQ(6u, tokens.size());  // SUM t . x > 3: the parentheses make no tokens
    EXPECT_EQ(otkSum, tokens[0].Kind);
    EXPECT_EQ("t", tokens[1].Text);
    EXPECT_EQ(otkDot, tokens[2].Kind);
    EXPECT_EQ("x", tokens[3].Text);
    EXPECT_EQ(otkComparison, tokens[4].Kind);
    EXPECT_EQ("14 1", Kinds("count(a)"));
    EXPECT_EQ("16 1 17 1 18 1", Kinds("MAX(a) MIN(b) AVG(c)"));
}

TEST(OstraParserLexer, Errors) {
    EXPECT_RAISES(Tokens("(A = 1"), EDatabaseError, "Unmatched parentheses");
    EXPECT_RAISES(Tokens("A = 1)"), EDatabaseError, "Unmatched parentheses");
    EXPECT_RAISES(Tokens("SUM(a"), EDatabaseError, "Unmatched parentheses");
    EXPECT_RAISES(Tokens("A = 'x"), EDatabaseError, "Unmatched quote");
    EXPECT_RAISES(Tokens("A = \"x'"), EDatabaseError, "Unmatched quote");
    EXPECT_RAISES(Tokens("A # 1"), EDatabaseError, "Invalid symbol in parameter/identificator/reserved word");
    EXPECT_RAISES(Tokens("Na\xC3\xAFve = 1"), EDatabaseError,
                  "Invalid symbol in parameter/identificator/reserved word");
    EXPECT_RAISES(Tokens("A = 12x"), EDatabaseError, "Token 12x is invalid number");
    EXPECT_RAISES(Tokens("A = 1.2.3"), EDatabaseError, "Token 1.2.3 is invalid number");
    EXPECT_RAISES(Tokens("WHERE(a)"), EDatabaseError, "Unsupported function WHERE in query");
    EXPECT_RAISES(Tokens("$a = 1"), EDatabaseError, "Parameter $a is not valid identifier");
    EXPECT_RAISES(Tokens("SUM(a + b)"), EDatabaseError,
                  "Symbol + is not supported in aggregate function argument");
}

TEST(OstraParserConditions, ComparisonsJoinedByAnd) {
    const auto conds = TOstraParser::ParseFilter("Category = 'Home' AND Priority <> '4'");
    ASSERT_EQ(2u, conds.size());
    EXPECT_EQ("Category", conds[0].LeftOperand);
    EXPECT_EQ(ofoEqual, conds[0].Operator);
    EXPECT_EQ("Home", conds[0].ValueText);
    EXPECT_EQ(otkString, conds[0].RightKind);
    EXPECT_EQ("Priority", conds[1].LeftOperand);
    EXPECT_EQ(ofoNotEqual, conds[1].Operator);
    EXPECT_EQ("4", conds[1].ValueText);
}

TEST(OstraParserConditions, EveryOperator) {
    const char* ops[] = {"=", ">", "<", ">=", "<=", "<>", "LIKE", "*="};
    for (int i = 0; i < 8; ++i) {
        const auto conds = TOstraParser::ParseFilter(std::string("a ") + ops[i] + " 'x'");
        ASSERT_EQ(1u, conds.size()) << ops[i];
        EXPECT_EQ(i + 1, conds[0].Operator) << ops[i];
    }
}

TEST(OstraParserConditions, OperandForms) {
    auto conds = TOstraParser::ParseFilter("Price > -5");
    ASSERT_EQ(1u, conds.size());
    EXPECT_EQ("-5", conds[0].ValueText);
    EXPECT_EQ(otkNumber, conds[0].RightKind);

    conds = TOstraParser::ParseFilter("t.A = u.B");
    ASSERT_EQ(1u, conds.size());
    EXPECT_EQ("t", conds[0].LeftQualifier);
    EXPECT_EQ("A", conds[0].LeftOperand);
    EXPECT_EQ("u", conds[0].RightQualifier);
    EXPECT_EQ("B", conds[0].RightOperand);
    EXPECT_EQ(otkIdentifier, conds[0].RightKind);

    conds = TOstraParser::ParseFilter("'Due Date' = NULL");
    ASSERT_EQ(1u, conds.size());
    EXPECT_EQ("Due Date", conds[0].LeftOperand);
    EXPECT_EQ(otkString, conds[0].LeftKind);
    EXPECT_EQ(otkNull, conds[0].RightKind);
    EXPECT_EQ("", conds[0].ValueText);

    conds = TOstraParser::ParseFilter("Name = 'O''Brien'");
    EXPECT_EQ("O'Brien", conds[0].ValueText);
}

TEST(OstraParserConditions, TrueAndFalseMeanTheBooleans) {
    auto conds = TOstraParser::ParseFilter("Flag = True AND Done = FALSE");
    ASSERT_EQ(2u, conds.size());
    EXPECT_EQ("True", conds[0].ValueText);
    EXPECT_EQ(otkTrue, conds[0].RightKind);
    EXPECT_EQ("False", conds[1].ValueText);
}

TEST(OstraParserConditions, GroupByEndsTheConditions) {
    TOstraParser parser;
    parser.Tokenize("a = 1 AND b = 2 GROUP BY c");
    TOstraFilterConditions conds;
    EXPECT_EQ(9, parser.BuildConditions(conds, 0));  // the token after BY
    EXPECT_EQ(2u, conds.size());
    TOstraFilterConditions none;
    parser.Tokenize("a = 1");
    EXPECT_EQ(0, parser.BuildConditions(none, 0));
    EXPECT_EQ(1u, none.size());
    EXPECT_TRUE(TOstraParser::ParseFilter("").empty());
    EXPECT_TRUE(TOstraParser::ParseFilter("  \t\r\n").empty());
}

TEST(OstraParserConditions, QueryFormsAreRejected) {
    for (const char* text : {"A = 1 OR B = 2", "NOT A = 1", "(A = 1)", "A = 1 + 2", "A = B / 2", "SUM(a) = 1",
                             "A = 1 AND", "A =", "A", "= 1", "A LIKE", "A NOT 1", "A = 1 B = 2",
                             "SELECT a FROM b", "A = 1 GROUP c", "A IS NULL", "A = *", "A = (1)", "1 = A"}) {
        EXPECT_RAISES(TOstraParser::ParseFilter(text), EDatabaseError, "Error in comparison expression");
    }
}

TEST(OstraParserConditions, ConditionText) {
    const auto conds = TOstraParser::ParseFilter("t.Name LIKE 'a%' AND Price >= -2");
    EXPECT_EQ("t.Name LIKE 'a%'", conds[0].Text());
    EXPECT_EQ("Price >= -2", conds[1].Text());
}
