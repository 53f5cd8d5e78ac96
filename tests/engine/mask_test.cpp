#include <gtest/gtest.h>

#include <string>

#include "engine/ostra_mask.h"
#include "platform/core/exceptions.h"

namespace {

bool Like(const std::string& pattern, const std::string& text) { return TOstraMask(pattern).Matches(text); }

}  // namespace

TEST(OstraMask, Matches) {
    const struct {
        std::string Pattern, Text;
        bool Match;
    } cases[] = {
        // Letters compare without case; % and * run, _ and ? take one character.
        {"A%", "apple", true},
        {"A%", "Avocado", true},
        {"a*", "A", true},
        {"A%", "banana", false},
        {"A%", "", false},
        {"_b*", "abc", true},
        {"_b*", "bc", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a?c", "abbc", false},
        {"___", "xyz", true},
        {"___", "xy", false},
        {"home", "HOME", true},
        {"home", "homes", false},
        {"home", "hom", false},
        {"", "", true},
        {"", "x", false},
        // Runs need backtracking; a single after a run still needs a character.
        {"*ab", "aab", true},
        {"*a*b*c", "xaxxbxxbxc", true},
        {"*a*b*c", "xaxxbxxbx", false},
        {"%issi%ppi", "mississippi", true},
        {"*", "", true},
        {"%%", "anything", true},
        {"a*", "a", true},
        {"*x", "abc", false},
        {"*?", "", false},
        {"*?", "a", true},
        {"a*_", "a", false},
        {"a*_", "ab", true},
        {"%_x", "abx", true},
        {"%_x", "x", false},
        // Accented letters compare without case (octal escapes: UTF-8 bytes).
        {"caf\303\211", "caf\303\251", true},  // É against é
        {"_a", "\303\251a", true},             // one character, two bytes
        {"__a", "\303\251a", false},
        // Broken UTF-8 is matched byte for byte.
        {"a\377b", "A\377B", true},
        {"a?b", "a\377b", true},
        {"a\376b", "a\377b", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.Match, Like(c.Pattern, c.Text)) << c.Pattern << " / " << c.Text;
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
