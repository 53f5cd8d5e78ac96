// The one case fold: the letters it folds, and that LIKE, "=", Locate and
// the sort all take the same texts as equal.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "engine/ostra_mask.h"
#include "platform/core/case_fold.h"
#include "platform/core/text.h"
#include "support/engine/dataset_fixture.h"

namespace {

std::string Folded(const std::string& s) {
    std::string out(s.size(), '\0');
    FoldBytes(s, 0, reinterpret_cast<uint8_t*>(out.data()), out.size());
    return out;
}

}  // namespace

TEST(CaseFold, FoldsTheLettersOfTheLatinBlocksGreekAndCyrillic) {
    const struct {
        char32_t Upper, Lower;
    } pairs[] = {{'A', 'a'},     {'Z', 'z'},     {0xC0, 0xE0},     {0xC9, 0xE9},    {0xDE, 0xFE},
                 {0x100, 0x101}, {0x139, 0x13A}, {0x152, 0x153},   {0x160, 0x161},  {0x178, 0xFF},
                 {0x17D, 0x17E}, {0x1CD, 0x1CE}, {0x218, 0x219},   {0x391, 0x3B1},  {0x3A3, 0x3C3},
                 {0x401, 0x451}, {0x414, 0x434}, {0x1E00, 0x1E01}, {0x1EA0, 0x1EA1}};
    for (const auto& p : pairs) {
        EXPECT_EQ(p.Lower, FoldChar(p.Upper)) << std::hex << static_cast<uint32_t>(p.Upper);
        EXPECT_EQ(p.Lower, FoldChar(p.Lower));
        // A letter and its fold take the same bytes.
        EXPECT_EQ(Utf8Of(p.Upper).size(), Utf8Of(p.Lower).size());
    }
    // Not letters, or letters without a pair of the same width: unchanged.
    for (char32_t c : {char32_t{'1'}, char32_t{'_'}, char32_t{0xD7}, char32_t{0xDF}, char32_t{0x130},
                       char32_t{0x131}, char32_t{0x17F}, char32_t{0x4E2D}})
        EXPECT_EQ(c, FoldChar(c));
    EXPECT_EQ(char32_t{0x3C3}, FoldChar(0x3C2));  // final sigma
}

TEST(CaseFold, ComparesFoldedTextsAndKeepsBrokenBytes) {
    EXPECT_EQ(0, CompareFolded("\xC3\x89"
                               "cole",
                               "\xC3\xA9"
                               "COLE"));                          // École, éCOLE
    EXPECT_EQ(0, CompareFolded("\xC5\x92UVRE", "\xC5\x93uvre"));  // Œuvre
    EXPECT_LT(CompareFolded("ab", "ABC"), 0);
    EXPECT_GT(CompareFolded("b", "A\xC3\xA9"), 0);
    // ASCII letters sort below every accented one, whatever their case.
    EXPECT_LT(CompareFolded("Z", "\xC3\xA0"), 0);
    // Bytes that are not UTF-8 stay as they are and only equal themselves.
    EXPECT_EQ(0, CompareFolded("A\xFF", "a\xFF"));
    EXPECT_NE(0, CompareFolded("\xC3", "\xC3\x83"));
    EXPECT_EQ("\xC3\xA9t\xC3\xA9", Folded("\xC3\x89T\xC3\x89"));
    // A window that starts inside a character folds it whole.
    uint8_t w[3];
    FoldBytes("x\xC3\x89y", 2, w, 3);
    EXPECT_EQ(0xA9, w[0]);
    EXPECT_EQ('y', w[1]);
    EXPECT_EQ(0, w[2]);
}

// Every case-insensitive rule of the dataset over the same texts.
TEST(CaseFold, LikeEqualsLocateAndTheSortAgree) {
    TTestDataset ds;
    ds.Layout = {MakeField("Name", oftString, 40), MakeField("Code", oftSmallStr, 10)};
    const char* const names[] = {
        "\xC3\xA9"
        "cole",
        "zoo",
        "\xC3\x89"
        "COLE",
        "Abc",
        "\xC5\x92uvre",
        "\xC3\x89"
        "cole",
        "\xC5\x93UVRE"};
    for (const char* n : names) ds.Seed.push_back({{"Name", n}, {"Code", n}});
    ds.Open();
    for (const char* field : {"Name", "Code"}) {
        ds.SetFilterOptions({foCaseInsensitive});
        ds.SetFilter(std::string(field) +
                     " = '\xC3\x89"
                     "COLE'");
        ds.SetFiltered(true);
        EXPECT_EQ(3, ds.RecordCount()) << field;
        ds.SetFilter(std::string(field) +
                     " LIKE '\xC3\x89"
                     "CO%'");
        EXPECT_EQ(3, ds.RecordCount()) << field;
        ds.SetFiltered(false);
        ASSERT_TRUE(ds.Locate(field,
                              "\xC3\xA9"
                              "COLE",
                              {loCaseInsensitive}))
            << field;
        EXPECT_EQ(
            "\xC3\xA9"
            "cole",
            ds.FieldByName(field)->AsString());
        ASSERT_TRUE(ds.Locate(field, "\xC5\x93uv", {loCaseInsensitive, loPartialKey}));
        EXPECT_EQ("\xC5\x92uvre", ds.FieldByName(field)->AsString());
        // The case-insensitive sort keeps equal texts together, in store order.
        ds.SetSortOptions({osoCaseInsensitive});
        ds.SetIndexFieldNames(field);
        EXPECT_EQ((std::vector<std::string>{"Abc", "zoo",
                                            "\xC3\xA9"
                                            "cole",
                                            "\xC3\x89"
                                            "COLE",
                                            "\xC3\x89"
                                            "cole",
                                            "\xC5\x92uvre", "\xC5\x93UVRE"}),
                  Column(ds, field))
            << field;
        ds.SetIndexFieldNames("");
    }
}

// The fold is Unicode's simple case folding, less the folds that would
// change a character's UTF-8 length; every other character stays itself.
TEST(CaseFold, FollowsUnicodesCaseFoldingWhereTheLengthStays) {
    std::ifstream data("/usr/share/unicode/CaseFolding.txt");
    ASSERT_TRUE(data) << "CaseFolding.txt is missing: scripts/deps.sh installs unicode-data";
    std::map<char32_t, char32_t> folds;
    int leftOut = 0;
    std::string line;
    while (std::getline(data, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream in(line);
        std::string code, status, mapping;
        if (!std::getline(in, code, ';') || !std::getline(in, status, ';') || !std::getline(in, mapping, ';'))
            continue;
        if (status.find('C') == std::string::npos && status.find('S') == std::string::npos) continue;
        const auto c = static_cast<char32_t>(std::stoul(code, nullptr, 16));
        const auto m = static_cast<char32_t>(std::stoul(mapping, nullptr, 16));
        if (Utf8Of(c).size() == Utf8Of(m).size())
            folds[c] = m;
        else
            ++leftOut;
    }
    ASSERT_GT(folds.size(), 1400u);
    EXPECT_GT(leftOut, 0);  // the Kelvin sign, long s, capital sharp s, ...
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const auto it = folds.find(c);
        const char32_t expected = it == folds.end() ? c : it->second;
        ASSERT_EQ(expected, FoldChar(c)) << std::hex << static_cast<uint32_t>(c);
    }
    // Letters of the blocks folded before, now complete.
    EXPECT_EQ(0, CompareFolded("\xC6\xA0\xC6\xAF", "\xC6\xA1\xC6\xB0"));  // Ơ Ư, ơ ư
    EXPECT_EQ(0, CompareFolded("\xC7\x84\xC7\x85", "\xC7\x86\xC7\x86"));  // Ǆ ǅ, ǆ ǆ
    EXPECT_EQ(0, CompareFolded("\xCF\x90\xCF\xB4", "\xCE\xB2\xCE\xB8"));  // ϐ ϴ, β θ
    EXPECT_EQ(0, CompareFolded("\xD3\x80", "\xD3\x8F"));                  // Ӏ, ӏ
    EXPECT_EQ(0, CompareFolded("\xE1\xBA\x9B", "\xE1\xB9\xA1"));          // ẛ, ṡ
    EXPECT_NE(0, CompareFolded("\xE2\x84\xAA", "k"));                     // Kelvin sign
}
