// The rich-text reader: what of a document shows as text.
#include <gtest/gtest.h>

#include "suite/base/qzrtftext.h"

namespace {

struct RtfCase {
    const char* rtf;
    const char* text;
};

TEST(RtfText, DocumentsToText) {
    const RtfCase cases[] = {
        {"{\\rtf1 Hello}", "Hello"},
        {"{\\rtf1 Hello\\par}", "Hello"},  // the closing paragraph mark shows nothing
        {"{\\rtf1 a\\par b\\par\n}", "a\r\nb"},
        {"{\\rtf1 a\\par\\par b}", "a\r\n\r\nb"},
        {"{\\rtf1 one\\line two\\tab three}", "one\r\ntwo\tthree"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\cf1 Red}",
         "Red"},
        {"{\\rtf1{\\*\\generator Writer 5;}{\\info{\\title Secret}}Body}", "Body"},
        {"{\\rtf1{\\*\\unknowndest hidden}shown}", "shown"},
        {"{\\rtf1 \\{braces\\} and \\\\slash}", "{braces} and \\slash"},
        {"{\\rtf1 caf\\'e9 \\'80}", "caf\xc3\xa9 \xe2\x82\xac"},
        {"{\\rtf1 \\u8364?\\u233?x}", "\xe2\x82\xac\xc3\xa9x"},  // the fallback "?" is skipped
        {"{\\rtf1\\uc2 \\u8364??x}", "\xe2\x82\xacx"},
        {"{\\rtf1\\uc0 \\u233 x}", "\xc3\xa9x"},
        {"{\\rtf1 \\u-3913?}", "\xef\x82\xb7"},                // negative values count from 65536
        {"{\\rtf1 \\u-10179?\\u-8704?}", "\xf0\x9f\x98\x80"},  // a surrogate pair becomes one character
        {"{\\rtf1 \\u233\\'e9 x}", "\xc3\xa9 x"},              // a \'hh fallback is skipped too
        {"{\\rtf1 non\\~break\\_dash\\-soft}",
         "non\xc2\xa0"
         "break\xe2\x80\x91"
         "dashsoft"},
        {"{\\rtf1 \\ldblquote q\\rdblquote  \\emdash \\bullet}",
         "\xe2\x80\x9cq\xe2\x80\x9d \xe2\x80\x94\xe2\x80\xa2"},
        {"{\\rtf1 {\\b bold} {\\i it}}", "bold it"},
        {"{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}", "link"},
        {"{\\rtf1{\\pict\\pngblip 89504e47}after}", "after"},
        {"{\\rtf1 line\\\nbreak}", "line\r\nbreak"},
        {"{\\rtf1 unclosed {group", "unclosed group"},
        {"{\\rtf1 extra}}} close}", "extra close"},
        {"{\\rtf1 trailing\\", "trailing"},
        {"{\\rtf1 bad\\'zz hex}", "badzz hex"},
        {"{\\rtf1 \\fs240000000000000000 big}", "big"},
        {"plain text", "plain text"},
        {"", ""},
    };
    for (const RtfCase& c : cases) EXPECT_EQ(qzRtfToPlainText(c.rtf), c.text) << c.rtf;
}

TEST(RtfText, RecognisesRichText) {
    EXPECT_TRUE(qzLooksLikeRichText("{\\rtf1}"));
    EXPECT_TRUE(qzLooksLikeRichText("{\\rtf"));
    EXPECT_FALSE(qzLooksLikeRichText("{\\rt"));
    EXPECT_FALSE(qzLooksLikeRichText(" {\\rtf1}"));
}

TEST(RtfText, DeepNestingAndLongInput) {
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i) deep += "{";
    deep += "x";
    for (int i = 0; i < 100000; ++i) deep += "}";
    EXPECT_EQ(qzRtfToPlainText(deep), "x");
}

}  // namespace
