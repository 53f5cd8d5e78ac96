// The wildcard matcher of LIKE conditions: matching, the run limit and contains patterns.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/ostra_mask.h"
#include "platform/core/case_fold.h"
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
        // Runs need backtracking; a single after a run still needs a character
        // (it is not dropped).
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
        {"\320\226*?A", "\320\226A", false},  // Ж*?A: one character between
        {"\320\226*?A", "\320\226\320\266a", true},
        {"%??", "a", false},
        {"%??", "ab", true},
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

namespace {

// The model of "%text%": the folded text holds the folded literal.
std::string MaskFolded(const std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t from = i;
        const char32_t c = NextFoldedChar(text, i);
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
            const bool expected = MaskFolded(text).find(MaskFolded(literal)) != std::string::npos;
            ASSERT_EQ(expected, Like("%" + literal + "%", text)) << literal << " in " << text;
        }
    }
}

TEST(OstraMask, ContainsReadsTextsEndingAnywhereNearAPageEnd) {
    // Short texts are read in sixteen-byte blocks past their end, within the
    // page: texts ending at every place before a page's end (and crossing it)
    // answer as the folded search does, whatever bytes follow them.
    constexpr std::size_t Page = 4096;
    std::vector<unsigned char> memory(3 * Page);
    auto* page = reinterpret_cast<unsigned char*>(
        (reinterpret_cast<std::uintptr_t>(memory.data()) + Page - 1) & ~std::uintptr_t{Page - 1});
    std::mt19937 rng(11);
    const std::string letters = "rRePpOoTt x";
    for (const std::string literal : {"report", "r", "rt", "eport x"}) {
        const TOstraMask mask("%" + literal + "%");
        for (std::size_t length = 0; length <= 70; ++length) {
            for (std::size_t before = 0; before <= 80; ++before) {
                std::string text;
                for (std::size_t i = 0; i < length; ++i) text += letters[rng() % letters.size()];
                if (length >= literal.size() && rng() % 3 == 0)
                    text.replace(rng() % (length - literal.size() + 1), literal.size(), "RePoRt x", 0,
                                 literal.size());
                // Ends from 8 bytes past the page end to 72 bytes before it.
                unsigned char* at = page + Page + 8 - before - length;
                std::memcpy(at, text.data(), text.size());
                // What follows the text would match if it were read as text.
                std::memcpy(page + Page + 8 - before, "report xreport x", 16);
                const bool expected = MaskFolded(text).find(MaskFolded(literal)) != std::string::npos;
                ASSERT_EQ(expected, mask.Matches({reinterpret_cast<const char*>(at), length}))
                    << literal << " in " << text << " ending " << before << " before";
            }
        }
    }
}
