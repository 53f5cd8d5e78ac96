// Format and the string helpers.
#include <gtest/gtest.h>

#include <random>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "support/core/core_test_support.h"

namespace {

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFormatSettings(); }
    void TearDown() override { ResetFormatSettings(); }
};

}  // namespace

TEST_F(FormatTest, IntegersWidthPrecisionAndJustification) {
    EXPECT_EQ(Format("%d", 42), "42");
    EXPECT_EQ(Format("[%5d]", 42), "[   42]");
    EXPECT_EQ(Format("[%-5d]", 42), "[42   ]");
    EXPECT_EQ(Format("%.3d", 7), "007");
    EXPECT_EQ(Format("%.3d", -7), "-007");
    EXPECT_EQ(Format("%d", INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(Format("%u", -1), "4294967295");
    EXPECT_EQ(Format("[%2d]", 12345), "[12345]");  // width never truncates
}

TEST_F(FormatTest, Hexadecimal) {
    EXPECT_EQ(Format("%x", 255), "ff");
    EXPECT_EQ(Format("%X", 255), "FF");
    EXPECT_EQ(Format("%4.4x%4.4x", 0x409, 0x4E4), "040904e4");
    EXPECT_EQ(Format("%2.2x%2.2x%2.2x", 255, 0, 16), "ff0010");
    EXPECT_EQ(Format("%x", -1), "ffffffff");
    EXPECT_EQ(Format("%x", int64_t{-1}), "ffffffffffffffff");
}

TEST_F(FormatTest, StringsAndStars) {
    EXPECT_EQ(Format("%s", "abc"), "abc");
    EXPECT_EQ(Format("%s", std::string("abc")), "abc");
    EXPECT_EQ(Format("[%5s]", "abc"), "[  abc]");
    EXPECT_EQ(Format("[%-5s]", "abc"), "[abc  ]");
    EXPECT_EQ(Format("%.2s", "abcdef"), "ab");
    EXPECT_EQ(Format("%s", 'x'), "x");
    EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "");
    EXPECT_EQ(Format("%*s%s", 8, "#", " "), "       # ");
    EXPECT_EQ(Format("[%-*d]", 4, 7), "[7   ]");
    EXPECT_EQ(Format("[%*d]", -4, 7), "[7   ]");
    EXPECT_EQ(Format("%.*f", 3, 3.14159), "3.142");
    EXPECT_EQ(Format("100%%"), "100%");
}

TEST_F(FormatTest, Utf8TextIsPaddedByCharactersAndNeverCut) {
    EXPECT_EQ(Format("[%3s]", "\xC3\xA9"), "[  \xC3\xA9]");
    EXPECT_EQ(Format("%.1s", "\xC3\xA9x"), "");
    EXPECT_EQ(Format("%.2s", "\xC3\xA9x"), "\xC3\xA9");
}

TEST_F(FormatTest, FloatingPoint) {
    EXPECT_EQ(Format("%f", 1.5), "1.50");
    EXPECT_EQ(Format("%.0f", 2.5), "3");
    EXPECT_EQ(Format("%.2f", -0.001), "0.00");
    EXPECT_EQ(Format("%.2f", 1e17), "100000000000000000.00");
    EXPECT_EQ(Format("%n", 1234567.891), "1,234,567.89");
    EXPECT_EQ(Format("%m", 12.5), "$12.50");
    EXPECT_EQ(Format("%m", -12.5), "($12.50)");
    EXPECT_EQ(Format("%e", 1.0), "1.00000000000000E+000");
    EXPECT_EQ(Format("%.3e", 1234.5), "1.23E+003");
    EXPECT_EQ(Format("%g", 0.5), "0.5");
    EXPECT_EQ(Format("[%8.2f]", 3.14159), "[    3.14]");
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    EXPECT_EQ(Format("%.1f", 2.25), "2,3");
    EXPECT_EQ(Format("%n", 1234.5), "1.234,50");
}

TEST_F(FormatTest, IndexSpecifiers) {
    EXPECT_EQ(Format("%1:s %0:s", "a", "b"), "b a");
    EXPECT_EQ(Format("%0:s %s", "a", "b"), "a b");
    EXPECT_EQ(Format("%1:s %s %0:s", "a", "b", "c"), "b c a");
    EXPECT_EQ(Format("%0:s-%0:s", "x"), "x-x");
    EXPECT_EQ(Format("[%0:-3d]", 5), "[5  ]");
}

TEST_F(FormatTest, WrongArgumentsRaiseConvertError) {
    EXPECT_EQ(ErrorOf([] { Format("%d", "x"); }), "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("%s", 5); }), "Format '%s' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("%f", 5); }), "Format '%f' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("%x", 1.5); }), "Format '%x' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("%p", 5); }), "Format '%p' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("%q", 5); }), "Format '%q' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("abc %"); }), "Format 'abc %' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("%*d", "w", 5); }), "Format '%*d' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("%99999999d", 5); }),
              "Format '%99999999d' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf([] { Format("%d %d", 5); }), "No argument for format '%d %d'");
    EXPECT_EQ(ErrorOf([] { Format("%3:d", 5); }), "No argument for format '%3:d'");
}

// Random formats either format or raise one of the two format errors naming
// the format; text without a directive comes back as it is.
TEST_F(FormatTest, RandomFormatsEitherFormatOrRaise) {
    std::mt19937 rng(7);
    const std::string alphabet = "%%%-*.:0123456789dsxXfgenmpu ab";
    int formatted = 0, raised = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string fmt;
        const int len = static_cast<int>(rng() % 12);
        for (int k = 0; k < len; ++k) fmt += alphabet[rng() % alphabet.size()];
        try {
            const std::string out = Format(fmt, 3, "str", 2.5, int64_t{-9}, 'c', nullptr);
            ++formatted;
            if (fmt.find('%') == std::string::npos) {
                ASSERT_EQ(out, fmt);
            }
        } catch (const EConvertError& e) {
            ++raised;
            ASSERT_TRUE(e.Message() == "Format '" + fmt + "' invalid or incompatible with argument" ||
                        e.Message() == "No argument for format '" + fmt + "'")
                << fmt << ": " << e.Message();
        }
    }
    EXPECT_GT(formatted, 1000);
    EXPECT_GT(raised, 1000);
}

// ---------------------------------------------------------------------------
// String helpers

TEST_F(FormatTest, CaseConversion) {
    EXPECT_EQ(UpperCase("abc\xC3\xA9"), "ABC\xC3\xA9");
    EXPECT_EQ(LowerCase("ABC\xC3\x89"), "abc\xC3\x89");
    EXPECT_EQ(AnsiUpperCase("abc\xC3\xA9\xC3\xBF"), "ABC\xC3\x89\xC5\xB8");              // é ÿ -> É Ÿ
    EXPECT_EQ(AnsiLowerCase("\xC3\x80\xC3\x9C \xC5\xA0"), "\xC3\xA0\xC3\xBC \xC5\xA1");  // À Ü Š
    EXPECT_EQ(AnsiUpperCase("stra\xC3\x9F"
                            "e"),
              "STRA\xC3\x9F"
              "E");                                                    // ß has no capital
    EXPECT_EQ(AnsiUpperCase("\xC3\xB7\xC3\x97"), "\xC3\xB7\xC3\x97");  // ÷ × are not letters
    EXPECT_EQ(AnsiUpperCase("a\xE9z"), "A\xE9Z");                      // a stray byte is kept
}

TEST_F(FormatTest, Comparison) {
    EXPECT_LT(CompareStr("a", "b"), 0);
    EXPECT_LT(CompareStr("A", "a"), 0);
    EXPECT_GT(CompareStr("ab", "a"), 0);
    EXPECT_EQ(CompareStr("", ""), 0);
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_LT(CompareText("ab", "ABC"), 0);
    EXPECT_TRUE(SameText("Due_Date", "DUE_date"));
    EXPECT_FALSE(SameText("Due", "Due "));
}

TEST_F(FormatTest, AnsiComparisonIsAlphabetic) {
    EXPECT_LT(AnsiCompareText("\xC3\xA9"
                              "crire",
                              "edition"),
              0);  // écrire < edition
    EXPECT_GT(AnsiCompareText("\xC3\xA9"
                              "crire",
                              "ecoute"),
              0);
    EXPECT_NE(AnsiCompareText("\xC3\xA9"
                              "cole",
                              "ecole"),
              0);
    EXPECT_TRUE(
        AnsiSameText("\xC3\x89"
                     "COLE",
                     "\xC3\xA9"
                     "cole"));
    EXPECT_EQ(AnsiCompareText("a", "A"), 0);
    EXPECT_LT(AnsiCompareStr("a", "A"), 0);
    EXPECT_GT(AnsiCompareStr("B", "a"), 0);
    EXPECT_LT(AnsiCompareText("1", "a"), 0);
    EXPECT_LT(AnsiCompareText("-", "1"), 0);
    EXPECT_GT(AnsiCompareText("Zebra", "\xC3\xA4pfel"), 0);  // äpfel sorts with a
    EXPECT_LT(AnsiCompareText("abc", "abcd"), 0);
}

TEST_F(FormatTest, TrimPosCopy) {
    EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \n"), "  a");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Pos("b", "abc"), 2);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("a", "aba", 2), 3);
    EXPECT_EQ(Pos("a", "aba", 9), 0);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(Copy("hello", 10, 2), "");
    EXPECT_EQ(Copy("hello", 3, 100), "llo");
    EXPECT_EQ(Copy("hello", 2, -1), "");
    EXPECT_EQ(Copy("hello", INT32_MIN, INT32_MAX), "hello");
    EXPECT_EQ(StringOfChar('-', 3), "---");
    EXPECT_EQ(StringOfChar('x', -1), "");
}

TEST_F(FormatTest, StringReplace) {
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfReplaceAll), "aXb-c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfReplaceAll | rfIgnoreCase), "a-b-c");
    EXPECT_EQ(StringReplace("axbxc", "x", "-", 0), "a-bxc");
    EXPECT_EQ(StringReplace("abc", "", "-", rfReplaceAll), "abc");
    EXPECT_EQ(StringReplace("aa", "a", "aa", rfReplaceAll), "aaaa");
    EXPECT_EQ(StringReplace("Due Date", " ", "_", rfReplaceAll), "Due_Date");
    EXPECT_EQ(StringReplace("\xC3\x89t\xC3\xA9", "\xC3\xA9", "e", rfReplaceAll | rfIgnoreCase), "ete");
}

TEST_F(FormatTest, QuotingAndDelimiters) {
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(AnsiDequotedStr("'it''s'", '\''), "it's");
    EXPECT_EQ(AnsiDequotedStr("abc", '\''), "abc");
    EXPECT_EQ(AnsiDequotedStr("''", '\''), "");
    EXPECT_EQ(AnsiDequotedStr("'abc", '\''), "abc");
    EXPECT_EQ(AnsiDequotedStr("'a' tail", '\''), "a");
    EXPECT_EQ(AnsiDequotedStr(QuotedStr("x''y'"), '\''), "x''y'");
    EXPECT_TRUE(IsDelimiter("\\/", "a/b", 2));
    EXPECT_FALSE(IsDelimiter("\\/", "a/b", 1));
    EXPECT_FALSE(IsDelimiter("\\/", "a/b", 0));
    EXPECT_FALSE(IsDelimiter("\\/", "a/b", 4));
    EXPECT_EQ(LastDelimiter("/\\", "a/b\\c"), 4);
    EXPECT_EQ(LastDelimiter(".", "name"), 0);
    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false), "0");
    EXPECT_EQ(BoolToStr(true, true), "True");
    EXPECT_EQ(BoolToStr(false, true), "False");
}

TEST_F(FormatTest, RandomIsReproducibleAndInRange) {
    SetRandSeed(42);
    std::vector<int> first;
    for (int k = 0; k < 20; ++k) first.push_back(Random(1000));
    SetRandSeed(42);
    for (int k = 0; k < 20; ++k) EXPECT_EQ(Random(1000), first[k]);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-5), 0);
    int buckets[10] = {};
    for (int k = 0; k < 10000; ++k) {
        const int r = Random(10);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 10);
        ++buckets[r];
    }
    for (int b : buckets) {
        EXPECT_GT(b, 800);
        EXPECT_LT(b, 1200);
    }
    SetRandSeed(7);
    EXPECT_EQ(RandSeed(), 7u);
    Randomize();
}
