// The one case fold: the letters it folds, and that LIKE, "=", Locate and
// the sort all take the same texts as equal.
#include <gtest/gtest.h>

#include <string>

#include "engine/case_fold.h"
#include "engine/ostra_mask.h"
#include "platform/core/text.h"
#include "support/engine/dataset_fixture.h"

namespace {

std::string Folded(const std::string& s) {
    std::string out(s.size(), '\0');
    OstraFoldBytes(s, 0, reinterpret_cast<uint8_t*>(out.data()), out.size());
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
        EXPECT_EQ(p.Lower, OstraFoldChar(p.Upper)) << std::hex << static_cast<uint32_t>(p.Upper);
        EXPECT_EQ(p.Lower, OstraFoldChar(p.Lower));
        // A letter and its fold take the same bytes.
        EXPECT_EQ(Utf8Of(p.Upper).size(), Utf8Of(p.Lower).size());
    }
    // Not letters, or letters without a pair of the same width: unchanged.
    for (char32_t c : {char32_t{'1'}, char32_t{'_'}, char32_t{0xD7}, char32_t{0xDF}, char32_t{0x130},
                       char32_t{0x131}, char32_t{0x17F}, char32_t{0x4E2D}})
        EXPECT_EQ(c, OstraFoldChar(c));
    EXPECT_EQ(char32_t{0x3C3}, OstraFoldChar(0x3C2));  // final sigma
}

TEST(CaseFold, ComparesFoldedTextsAndKeepsBrokenBytes) {
    EXPECT_EQ(0, OstraCompareFolded("\xC3\x89"
                                    "cole",
                                    "\xC3\xA9"
                                    "COLE"));                          // École, éCOLE
    EXPECT_EQ(0, OstraCompareFolded("\xC5\x92UVRE", "\xC5\x93uvre"));  // Œuvre
    EXPECT_LT(OstraCompareFolded("ab", "ABC"), 0);
    EXPECT_GT(OstraCompareFolded("b", "A\xC3\xA9"), 0);
    // ASCII letters sort below every accented one, whatever their case.
    EXPECT_LT(OstraCompareFolded("Z", "\xC3\xA0"), 0);
    // Bytes that are not UTF-8 stay as they are and only equal themselves.
    EXPECT_EQ(0, OstraCompareFolded("A\xFF", "a\xFF"));
    EXPECT_NE(0, OstraCompareFolded("\xC3", "\xC3\x83"));
    EXPECT_EQ("\xC3\xA9t\xC3\xA9", Folded("\xC3\x89T\xC3\x89"));
    // A window that starts inside a character folds it whole.
    uint8_t w[3];
    OstraFoldBytes("x\xC3\x89y", 2, w, 3);
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
