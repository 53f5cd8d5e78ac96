#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/case_fold.h"
#include "engine/ostra_mask.h"
#include "platform/core/exceptions.h"

namespace {

bool Like(const std::string& pattern, const std::string& text) { return TOstraMask(pattern).Matches(text); }

}  // namespace

TEST(OstraMask, PrefixPatternsIgnoreCase) {
    EXPECT_TRUE(Like("A%", "apple"));
    EXPECT_TRUE(Like("A%", "Avocado"));
    EXPECT_TRUE(Like("a*", "A"));
    EXPECT_FALSE(Like("A%", "banana"));
    EXPECT_FALSE(Like("A%", ""));
}

TEST(OstraMask, SingleCharacterWildcards) {
    EXPECT_TRUE(Like("_b*", "abc"));
    EXPECT_FALSE(Like("_b*", "bc"));
    EXPECT_TRUE(Like("a?c", "abc"));
    EXPECT_FALSE(Like("a?c", "ac"));
    EXPECT_FALSE(Like("a?c", "abbc"));
    EXPECT_TRUE(Like("___", "xyz"));
    EXPECT_FALSE(Like("___", "xy"));
}

TEST(OstraMask, LiteralPatternMatchesWholeText) {
    EXPECT_TRUE(Like("home", "HOME"));
    EXPECT_FALSE(Like("home", "homes"));
    EXPECT_FALSE(Like("home", "hom"));
    EXPECT_TRUE(Like("", ""));
    EXPECT_FALSE(Like("", "x"));
}

TEST(OstraMask, RunsNeedBacktracking) {
    EXPECT_TRUE(Like("*ab", "aab"));
    EXPECT_TRUE(Like("*a*b*c", "xaxxbxxbxc"));
    EXPECT_FALSE(Like("*a*b*c", "xaxxbxxbx"));
    EXPECT_TRUE(Like("%issi%ppi", "mississippi"));
    EXPECT_TRUE(Like("*", ""));
    EXPECT_TRUE(Like("%%", "anything"));
    EXPECT_TRUE(Like("a*", "a"));
    EXPECT_FALSE(Like("*x", "abc"));
}

TEST(OstraMask, SingleAfterRunStillNeedsACharacter) {
    // "*?" is a run followed by exactly one more character.
    EXPECT_FALSE(Like("*?", ""));
    EXPECT_TRUE(Like("*?", "a"));
    EXPECT_FALSE(Like("a*_", "a"));
    EXPECT_TRUE(Like("a*_", "ab"));
    EXPECT_TRUE(Like("%_x", "abx"));
    EXPECT_FALSE(Like("%_x", "x"));
}

TEST(OstraMask, AccentedLettersCompareWithoutCase) {
    EXPECT_TRUE(Like("caf\xC3\x89", "caf\xC3\xA9"));  // É against é
    EXPECT_TRUE(Like("_a",
                     "\xC3\xA9"
                     "a"));  // one character, two bytes
    EXPECT_FALSE(Like("__a",
                      "\xC3\xA9"
                      "a"));
}

TEST(OstraMask, BrokenUtf8IsMatchedByteForByte) {
    EXPECT_TRUE(
        Like("a\xFF"
             "b",
             "A\xFF"
             "B"));
    EXPECT_TRUE(Like("a?b",
                     "a\xFF"
                     "b"));
    EXPECT_FALSE(
        Like("a\xFE"
             "b",
             "a\xFF"
             "b"));
}

TEST(OstraMask, ThirtyRunsAreTheLimit) {
    std::string thirty;
    for (int i = 0; i < 30; ++i) thirty += "*x";
    EXPECT_NO_THROW(TOstraMask{thirty});
    std::string pattern;
    for (int i = 0; i < 31; ++i) pattern += "%a";
    try {
        TOstraMask mask(pattern);
        FAIL() << "no error for 31 runs";
    } catch (const Exception& e) {
        // The 31st run wildcard is the 61st character.
        EXPECT_EQ("'" + pattern + "' is an invalid mask at (61)", e.Message());
    }
    // Adjacent wildcards make one run.
    EXPECT_NO_THROW(TOstraMask{std::string(100, '*')});
}

TEST(OstraMask, LongTextsWithManyRunsStayFast) {
    std::string pattern;
    for (int i = 0; i < 30; ++i) pattern += "*a";
    pattern += "b";
    const std::string text(20000, 'a');
    EXPECT_FALSE(TOstraMask(pattern).Matches(text));
}

namespace {

// The model of "%text%": the folded text holds the folded literal.
std::string Folded(const std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t from = i;
        const char32_t c = OstraNextFolded(text, i);
        if (c < 0x80)
            out += static_cast<char>(c);
        else
            out += text.substr(from, i - from) + '\x01';  // never part of an ASCII literal's match
    }
    return out;
}

}  // namespace

TEST(OstraMask, ContainsPatternsAreOneSearch) {
    EXPECT_TRUE(TOstraMask("%report%").IsAsciiContains());
    EXPECT_TRUE(TOstraMask("*A b*").IsAsciiContains());
    for (const char* general : {"report%", "%report", "%re_ort%", "%re%ort%", "%%", "%\xC3\xA9t\xC3\xA9%"})
        EXPECT_FALSE(TOstraMask(general).IsAsciiContains()) << general;
}

TEST(OstraMask, ContainsAgreesWithTheFoldedText) {
    // Texts of all lengths around the sixteen-byte steps, with letters of
    // both cases, other characters and bytes that are not UTF-8.
    const std::vector<std::string> pieces = {"a", "A", "r",        "R",        "e",    " ", "t",
                                             "@", "`", "\xC3\x89", "\xC3\xA9", "\xFF", "[", "{"};
    const std::vector<std::string> literals = {
        "r", "R", "re", "rep", "are", "a r", "@", "`", "[", "{", "eee", "ReT", "tttttttttttttttttt"};
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 90);
        for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
        for (const std::string& literal : literals) {
            const bool expected = Folded(text).find(Folded(literal)) != std::string::npos;
            ASSERT_EQ(expected, Like("%" + literal + "%", text)) << literal << " in " << text;
        }
    }
}
