// The platform's one case fold with the upper and lower case that follow it.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/case_fold.h"
#include "platform/core/text.h"

TEST(CaseFoldTexts, FoldUpperAndLowerBeyondLatin) {
    // Greek, Armenian, Georgian, Cherokee (folded to its capitals),
    // Glagolitic, Latin Extended.
    EXPECT_EQ("ωmega աբ ⴀ Ꭰ ⰰ ǆ", FoldCase("ΩMEGA ԱԲ Ⴀ ꭰ Ⰰ ǅ"));
    EXPECT_EQ("ΩMEGA ԱԲ Ⴀ Ꭰ Ⰰ Ǆ", UnicodeUpperCase("ωmega աբ ⴀ ꭰ ⰰ ǆ"));
    EXPECT_EQ("ωmega աբ ⴀ ꭰ ⰰ ǆ", UnicodeLowerCase("ΩMEGA ԱԲ Ⴀ Ꭰ Ⰰ Ǆ"));
    EXPECT_TRUE(SameFolded("ωMEGA", "Ωmega"));
    EXPECT_FALSE(SameFolded("ωMEGA", "Ωmeg"));
    // Final sigma goes up as sigma; sharp s has no upper case of its width.
    EXPECT_EQ("ΣΑΣ", UnicodeUpperCase("σας"));
    EXPECT_EQ("ß", UnicodeUpperCase("ß"));
    // Bytes that are not UTF-8 stay.
    EXPECT_EQ("A\xFF\xC3", UnicodeUpperCase("a\xFF\xC3"));
    EXPECT_EQ("a\xFF\xC3", FoldCase("A\xFF\xC3"));
}

// Texts equal under the fold have one upper and one lower case and the
// other way round; nothing changes a character's UTF-8 length.
TEST(CaseFoldTexts, UpperAndLowerFollowTheFoldForEveryCharacter) {
    int changed = 0;
    for (char32_t c = 0; c < 0x110000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const char32_t f = FoldChar(c), u = UpperChar(c), l = LowerChar(c);
        ASSERT_EQ(f, FoldChar(u)) << std::hex << static_cast<uint32_t>(c);
        ASSERT_EQ(f, FoldChar(l)) << std::hex << static_cast<uint32_t>(c);
        ASSERT_EQ(u, UpperChar(f)) << std::hex << static_cast<uint32_t>(c);
        ASSERT_EQ(l, LowerChar(f)) << std::hex << static_cast<uint32_t>(c);
        ASSERT_EQ(Utf8Of(c).size(), Utf8Of(u).size());
        ASSERT_EQ(Utf8Of(c).size(), Utf8Of(l).size());
        changed += u != c;
    }
    EXPECT_GT(changed, 1300);
}
