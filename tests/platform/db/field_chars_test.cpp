// Whether a field takes a typed character, for any character.
#include <gtest/gtest.h>

#include "platform/db/field_chars.h"
#include "platform/db/fieldtypes.h"

namespace {

TEST(FieldCharsTest, FieldsTakeTheirOwnCharacters) {
    TStringField text(nullptr);
    TIntegerField number(nullptr);
    TFloatField real(nullptr);
    struct Case {
        TField* Field;
        char32_t Ch;
        bool Takes;
    };
    const Case cases[] = {
        {&text, U'a', true},   {&text, U'\u00E9', true}, {&text, U'\u20AC', true},    {&number, U'7', true},
        {&number, U'-', true}, {&number, U'.', false},   {&number, U'\u00E9', false}, {&real, U'.', true},
        {&real, U'e', true},   {&real, U'x', false},     {nullptr, U'x', true},
    };
    for (const Case& c : cases) EXPECT_EQ(FieldAcceptsChar(c.Field, c.Ch), c.Takes) << static_cast<int>(c.Ch);
    // A field told to take only some bytes refuses what lies beyond them.
    TFieldChars ascii;
    for (int i = 32; i < 128; ++i) ascii.set(static_cast<size_t>(i));
    text.SetValidChars(ascii);
    EXPECT_TRUE(FieldAcceptsChar(&text, U'a'));
    EXPECT_FALSE(FieldAcceptsChar(&text, U'\u00E9'));
}

}  // namespace
