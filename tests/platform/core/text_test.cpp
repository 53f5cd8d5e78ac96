// UTF-8 validation, truncation, length and encoding, and Windows-1252 decoding.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/text.h"

TEST(Utf8Validation, AcceptsWellFormedText) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));       // é
    EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC"));      // €
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));  // U+1F600
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
}

TEST(Utf8Validation, RejectsMalformedSequences) {
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));           // 1252 byte
    EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut short
    EXPECT_FALSE(IsValidUtf8("\x80"));              // lone continuation
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong, 3 bytes
    EXPECT_FALSE(IsValidUtf8("\xF0\x80\x80\xAF"));  // overlong, 4 bytes
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(
        IsValidUtf8("\xE2\x82"
                    "a"));  // bad continuation
    EXPECT_FALSE(IsValidUtf8("\xFF"));
}

TEST(Cp1252, DecodesTheWholeHighHalf) {
    EXPECT_EQ(Cp1252ToUtf8("abc"), "abc");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // €
    EXPECT_EQ(Cp1252ToUtf8("\x93quote\x94"), "\xE2\x80\x9Cquote\xE2\x80\x9D");
    EXPECT_EQ(Cp1252ToUtf8("\x8A\x9F"), "\xC5\xA0\xC5\xB8");              // Š Ÿ
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");                          // undefined byte
    EXPECT_EQ(Cp1252ToUtf8("\xA0\xE9\xFF"), "\xC2\xA0\xC3\xA9\xC3\xBF");  // Latin-1 part
    // Every byte gives valid UTF-8.
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string decoded = Cp1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(decoded));
    EXPECT_EQ(Utf8Length(decoded), 255u);
}

TEST(Cp1252, EnsureUtf8KeepsUtf8AndDecodesTheRest) {
    EXPECT_EQ(EnsureUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(EnsureUtf8("caf\xE9"), "caf\xC3\xA9");
    // One bad byte makes the whole text 1252: the valid-looking pair is
    // decoded byte by byte too.
    EXPECT_EQ(EnsureUtf8("\xC3\xA9 \xE9"), "\xC3\x83\xC2\xA9 \xC3\xA9");
}

TEST(Utf8Truncate, NeverSplitsACharacter) {
    EXPECT_EQ(Utf8Truncate("a\xC3\xA9", 2), "a");
    EXPECT_EQ(Utf8Truncate("a\xC3\xA9", 3), "a\xC3\xA9");
    EXPECT_EQ(Utf8Truncate("\xE2\x82\xACuro", 1), "");
    EXPECT_EQ(Utf8Truncate("\xE2\x82\xACuro", 2), "");
    EXPECT_EQ(Utf8Truncate("\xE2\x82\xACuro", 3), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8Truncate("\xF0\x9F\x98\x80!", 3), "");
    EXPECT_EQ(Utf8Truncate("\xF0\x9F\x98\x80!", 4), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8Truncate("abc", 0), "");
    EXPECT_EQ(Utf8Truncate("abc", 10), "abc");
}

TEST(Utf8Truncate, EveryCutIsTheLongestValidPrefix) {
    const std::string s = "x\xC3\xA9y\xE2\x82\xAC\xF0\x9F\x98\x80z";
    const size_t starts[] = {0, 1, 3, 4, 7, 11, 12};  // character boundaries
    for (size_t max = 0; max <= s.size(); ++max) {
        const std::string t = Utf8Truncate(s, max);
        size_t expected = 0;
        for (const size_t b : starts)
            if (b <= max) expected = b;
        EXPECT_EQ(t, s.substr(0, expected)) << "max " << max;
        EXPECT_TRUE(IsValidUtf8(t));
    }
}

TEST(Utf8Truncate, InvalidBytesAreCutLikeSingleBytes) {
    EXPECT_EQ(Utf8Truncate("ab\xE9\xE9", 3), "ab\xE9");
    EXPECT_EQ(Utf8Truncate("ab\x80\x80\x80\x80", 5), "ab\x80\x80\x80");
}

TEST(Utf8Length, CountsCharactersNotBytes) {
    EXPECT_EQ(Utf8Length(""), 0u);
    EXPECT_EQ(Utf8Length("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), 4u);
    EXPECT_EQ(Utf8Length("\xFF\xFE"
                         "a"),
              3u);
    EXPECT_EQ(Utf8Length("\xE2\x82"), 2u);  // cut-off sequence: two stray bytes
}

TEST(Utf8Encode, EveryLengthAndInvalidCodePoints) {
    EXPECT_EQ(Utf8Of(U'A'), "A");
    EXPECT_EQ(Utf8Of(0xE9), "\xC3\xA9");
    EXPECT_EQ(Utf8Of(0x20AC), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8Of(0x1F600), "\xF0\x9F\x98\x80");
    // surrogates and values past the last code point cannot be written
    EXPECT_EQ(Utf8Of(0xD800), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf8Of(0x110000), "\xEF\xBF\xBD");
    for (char32_t c : {char32_t(0x7F), char32_t(0x80), char32_t(0x7FF), char32_t(0x800), char32_t(0xFFFF),
                       char32_t(0x10000), char32_t(0x10FFFF)}) {
        const std::string s = Utf8Of(c);
        EXPECT_TRUE(IsValidUtf8(s)) << std::hex << uint32_t(c);
        EXPECT_EQ(Utf8Length(s), 1u);
    }
}

// The check skips ASCII sixteen bytes at a time: a sequence that is not UTF-8,
// or one that is, at every offset of three blocks and the bytes after them.
TEST(Utf8Validation, FindsASequenceAtEveryOffsetOfABlock) {
    const std::string bad[] = {"\xE9",
                               "\x80",
                               "\xC3",
                               "\xC0\xAF",
                               "\xED\xA0\x80",
                               "\xFF",
                               "\xE2\x82"
                               "a",
                               "\xF4\x90\x80\x80"};
    const std::string good[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"};
    for (std::size_t length : {std::size_t{16}, std::size_t{17}, std::size_t{31}, std::size_t{53}}) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const std::string& sequence : bad) {
                if (at + sequence.size() > length) continue;
                std::string text(length, 'q');
                text.replace(at, sequence.size(), sequence);
                EXPECT_FALSE(IsValidUtf8(text))
                    << length << " " << at << " " << testing::PrintToString(sequence);
                // Behind a valid character in the block before it as well.
                if (at >= 2) {
                    text.replace(0, 2, "\xC3\xA9");
                    EXPECT_FALSE(IsValidUtf8(text)) << length << " " << at;
                }
            }
            for (const std::string& sequence : good) {
                if (at + sequence.size() > length) continue;
                std::string text(length, 'q');
                text.replace(at, sequence.size(), sequence);
                EXPECT_TRUE(IsValidUtf8(text))
                    << length << " " << at << " " << testing::PrintToString(sequence);
            }
        }
    }
    // A sequence cut by the end of the text, right after a block of ASCII.
    EXPECT_FALSE(IsValidUtf8(std::string(16, 'q') + "\xE2\x82"));
    EXPECT_TRUE(IsValidUtf8(std::string(16, 'q') + "\xE2\x82\xAC"));
}
