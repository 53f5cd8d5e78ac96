// The regular-expression binding: whole-text matches of real mask patterns,
// ignoring case, bad patterns, the backtracking limit and a missing library.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/regex.h"
#include "platform/ui/testing.h"
#include "suite/base/qzregex.h"

namespace {

const char* kDate = R"((0[1-9]|1[0-2])/(0[1-9]|[12][0-9]|3[01])/(19|20)[0-9]{2})";
const char* kPostalCode = R"([0-9]{5}(-[0-9]{4})?)";
const char* kMail = R"([a-z0-9._%+-]+@[a-z0-9.-]+\.[a-z]{2,})";
const char* kCanadianPostal = R"([a-z][0-9][a-z] ?[0-9][a-z][0-9])";

class QzRegexTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRegexLibraryLoadFails(false);
        qzUnloadRegexLibrary();
    }
    void TearDown() override {
        SetRegexLibraryLoadFails(false);
        qzUnloadRegexLibrary();
    }
    TTestDialogs dialogs;
};

TEST_F(QzRegexTest, MasksAcceptAndRefuseWholeValues) {
    struct TCase {
        const char* Pattern;
        const char* Text;
        bool IgnoreCase;
        bool Match;
    } cases[] = {
        {kDate, "12/31/1999", false, true},
        {kDate, "02/29/2024", false, true},
        {kDate, "13/01/2000", false, false},
        {kDate, "12/31/1999x", false, false},  // the whole text must match
        {kDate, " 12/31/1999", false, false},
        {kDate, "1/2/2000", false, false},
        {kPostalCode, "12345", false, true},
        {kPostalCode, "12345-6789", false, true},
        {kPostalCode, "1234", false, false},
        {kPostalCode, "123456", false, false},
        {kPostalCode, "12345-", false, false},
        {kMail, "ann@example.com", false, true},
        {kMail, "Ann@Example.COM", false, false},
        {kMail, "Ann@Example.COM", true, true},
        {kMail, "ann@example", true, false},
        {kMail, "ann example.com", true, false},
        {kCanadianPostal, "K1A 0B1", true, true},
        {kCanadianPostal, "K1A 0B1", false, false},
        {kCanadianPostal, "k1a0b1", false, true},
        {"a|ab", "ab", false, true},  // alternatives are tried for the whole text
        {"a|b", "ab", false, false},
        {"äpfel", "ÄPFEL", true, true},  // folding beyond ASCII
        {"äpfel", "ÄPFEL", false, false},
        {"..", "äö", false, true},  // one dot, one character
        {"(?i)milk", "MILK", false, true},
        {"\\d", "\u0663", false, false},  // digits are ASCII digits
        {"\\p{L}+", "\u00e9t\u00e9", false, true},
        {".", "\n", false, false},
        {"a(*ACCEPT)b", "abc", false, false},
        // a pattern that ends in a comment or a quote keeps its anchors
        {"(?x)a#", "a", false, true},
        {"(?x)a # comment", "a", false, true},
        {"(?x) a  b # c", "ab", false, true},
        {"(?x)a#", "a#", false, false},
        {"(?x)a # x", "ab", false, false},
        {"(?x)a#\\Q", "a", false, true},
        {"\\Qa+", "a+", false, true},
        {"\\Qa+", "aa", false, false},
        {"\\Qa#", "a#", false, true},
    };
    for (const TCase& k : cases) {
        EXPECT_EQ(qzMatchRegex(k.Pattern, k.IgnoreCase, k.Text), k.Match)
            << k.Pattern << " / " << k.Text << (k.IgnoreCase ? " (any case)" : "");
        EXPECT_EQ(RegexMatch(k.Pattern, k.IgnoreCase ? -1 : 0, k.Text), k.Match ? 1 : 0);
    }
    EXPECT_EQ(dialogs.Count(), 0);
}

TEST_F(QzRegexTest, EmptyTextMatchesAnyPatternOnceTheLibraryIsLoaded) {
    EXPECT_TRUE(qzMatchRegex(kPostalCode, false, ""));
    EXPECT_TRUE(qzMatchRegex("((unbalanced", false, ""));
    EXPECT_TRUE(qzRegexLibraryLoaded());
    // The library itself answers for the pattern.
    EXPECT_EQ(RegexMatch(kPostalCode, 0, ""), 0);
    EXPECT_EQ(RegexMatch("x*", 0, ""), 1);
    EXPECT_EQ(RegexMatch(nullptr, 0, nullptr), 1);
}

TEST_F(QzRegexTest, BadPatternsAndRunawayBacktrackingAnswerNoMatch) {
    const char* bad[] = {"((unbalanced", "[a-",     "a{2,1}", "\\",
                         "*a",           "(?<name", "a)|(b",  "(*LIMIT_MATCH=999999999)a"};
    for (const char* p : bad) {
        EXPECT_FALSE(qzMatchRegex(p, false, "a")) << p;
        EXPECT_EQ(RegexSyntaxValid(p), 0) << p;
    }
    // a quote or a comment may run to the pattern's end
    for (const char* p : {"\\Qabc", "(?x)a#", "(?x)a # comment"}) EXPECT_EQ(RegexSyntaxValid(p), 1) << p;
    EXPECT_EQ(RegexSyntaxValid(kMail), 1);
    EXPECT_EQ(RegexSyntaxValid(""), 1);
    // Exponential backtracking gives up at the limit instead of hanging.
    const std::string text = std::string(40, 'a') + "!";
    EXPECT_FALSE(qzMatchRegex("(a+)+$", false, text));
    EXPECT_FALSE(qzMatchRegex("(a|aa)*(a|aa)*(a|aa)*b", false, std::string(200, 'a')));
    // The limit leaves room for ordinary texts.
    EXPECT_TRUE(qzMatchRegex("(a+)+", false, std::string(1000, 'a')));
    // Bytes that are not UTF-8 are read, not trusted.
    EXPECT_TRUE(qzMatchRegex(".", false, "\xff"));
    EXPECT_FALSE(qzMatchRegex("a", false, "\xc3"));
}

TEST_F(QzRegexTest, MissingLibraryIsReportedOncePerRunAndEveryMatchFails) {
    qzResetRegexLoadReport();
    SetRegexLibraryLoadFails(true);
    EXPECT_FALSE(qzMatchRegex(kPostalCode, false, "12345"));
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, qzRegexLoadErrorMessage);
    EXPECT_EQ(std::string(qzRegexLoadErrorMessage),
              "Unable to load QZREGEX.DLL for regular expression support.");
    EXPECT_FALSE(qzMatchRegex(kPostalCode, false, "12345"));
    EXPECT_FALSE(qzMatchRegex(kPostalCode, false, ""));  // even empty text needs the library
    EXPECT_FALSE(qzLoadRegexLibrary());
    EXPECT_EQ(dialogs.Count(), 1);
    // Every later call tries again.
    SetRegexLibraryLoadFails(false);
    EXPECT_TRUE(qzMatchRegex(kPostalCode, false, "12345"));
    qzUnloadRegexLibrary();
    EXPECT_FALSE(qzRegexLibraryLoaded());
    SetRegexLibraryLoadFails(true);
    EXPECT_FALSE(qzMatchRegex(kPostalCode, false, "12345"));
    EXPECT_EQ(dialogs.Count(), 1);
}

TEST_F(QzRegexTest, LibraryHandsOutItsTwoEntryPointsByName) {
    EXPECT_EQ(LoadRegexLibrary("OTHER.DLL"), 0u);
    const uintptr_t lib = LoadRegexLibrary("qzregex.dll");
    ASSERT_GE(lib, 32u);
    EXPECT_EQ(GetRegexProcAddress(lib, "RegexMatch"), reinterpret_cast<void*>(&RegexMatch));
    EXPECT_EQ(GetRegexProcAddress(lib, "RegexSyntaxValid"), reinterpret_cast<void*>(&RegexSyntaxValid));
    EXPECT_EQ(GetRegexProcAddress(lib, "RegexReplace"), nullptr);
    EXPECT_EQ(GetRegexProcAddress(0, "RegexMatch"), nullptr);
    FreeRegexLibrary(lib);
}

}  // namespace
