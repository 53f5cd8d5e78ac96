// The rich-text document: RTF read and written, formats kept exact.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/core/rtf.h"

namespace {

TRtfDocument Read(std::string_view rtf) {
    TRtfDocument d;
    const TRtfReadResult r = RtfRead(rtf, d);
    EXPECT_TRUE(r.Ok) << r.Error << " in " << rtf;
    return d;
}

TRtfDocument OneRun(const TRtfParaFormat& p, const TRtfCharFormat& f, const std::string& text = "text") {
    TRtfDocument d;
    d.Paragraphs.push_back({p, {d.Run(text, f)}});
    return d;
}

void ExpectRoundTrip(const TRtfDocument& d, const std::string& what) {
    const std::string rtf = RtfWrite(d);
    EXPECT_EQ(Read(rtf), d) << what << "\n" << rtf;
    for (char c : rtf) ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80) << what;
}

TEST(Rtf, EveryParagraphPropertyRoundTripsInExactTwips) {
    struct Case {
        const char* what;
        void (*set)(TRtfParaFormat&);
    };
    const Case cases[] = {
        {"right", [](TRtfParaFormat& p) { p.Alignment = TRtfAlign::Right; }},
        {"center", [](TRtfParaFormat& p) { p.Alignment = TRtfAlign::Center; }},
        {"justify", [](TRtfParaFormat& p) { p.Alignment = TRtfAlign::Justify; }},
        {"first indent", [](TRtfParaFormat& p) { p.FirstIndent = -357; }},
        {"left indent", [](TRtfParaFormat& p) { p.LeftIndent = 1441; }},
        {"right indent", [](TRtfParaFormat& p) { p.RightIndent = 31680; }},
        {"space before", [](TRtfParaFormat& p) { p.SpaceBefore = 113; }},
        {"space after", [](TRtfParaFormat& p) { p.SpaceAfter = 7; }},
        {"line spacing exact", [](TRtfParaFormat& p) { p.LineSpacing = -300; }},
        {"line spacing multiple",
         [](TRtfParaFormat& p) {
             p.LineSpacing = 360;
             p.LineSpacingMultiple = true;
         }},
        {"tabs",
         [](TRtfParaFormat& p) {
             p.Tabs = {{720, TRtfTabAlign::Left},
                       {1441, TRtfTabAlign::Center},
                       {2882, TRtfTabAlign::Right},
                       {4000, TRtfTabAlign::Decimal}};
         }},
        {"bullet", [](TRtfParaFormat& p) { p.Bullet = true; }},
    };
    for (const Case& c : cases) {
        TRtfParaFormat p;
        c.set(p);
        ExpectRoundTrip(OneRun(p, {}), c.what);
    }
}

TEST(Rtf, EveryCharacterPropertyRoundTrips) {
    struct Case {
        const char* what;
        void (*set)(TRtfCharFormat&);
    };
    const Case cases[] = {
        {"font", [](TRtfCharFormat& f) { f.FontName = "Times New Roman"; }},
        {"font charset and pitch",
         [](TRtfCharFormat& f) {
             f.FontName = "Courier New";
             f.Charset = 238;
             f.Pitch = 1;
         }},
        {"size", [](TRtfCharFormat& f) { f.Size = 37; }},
        {"bold", [](TRtfCharFormat& f) { f.Bold = true; }},
        {"italic", [](TRtfCharFormat& f) { f.Italic = true; }},
        {"underline", [](TRtfCharFormat& f) { f.Underline = true; }},
        {"strike", [](TRtfCharFormat& f) { f.StrikeOut = true; }},
        {"raised", [](TRtfCharFormat& f) { f.Offset = 6; }},
        {"lowered", [](TRtfCharFormat& f) { f.Offset = -4; }},
        {"colour", [](TRtfCharFormat& f) { f.Color = 0x0000FF; }},
        {"black is a colour", [](TRtfCharFormat& f) { f.Color = 0; }},
        {"highlight", [](TRtfCharFormat& f) { f.BackColor = 0x00FFFF; }},
        {"link", [](TRtfCharFormat& f) { f.Link = "https://example.org/a?b=c"; }},
        {"protected", [](TRtfCharFormat& f) { f.Protected = true; }},
    };
    for (const Case& c : cases) {
        TRtfCharFormat f;
        c.set(f);
        ExpectRoundTrip(OneRun({}, f), c.what);
    }
}

TEST(Rtf, ProtectedRunsAreReadAndWrittenWhereTheyAre) {
    // \protect on, \protect0 off, a group's end and \plain restore it
    const TRtfDocument d = Read(
        "{\\rtf1\\ansi open \\protect locked\\protect0 free {\\protect\\b inner} after "
        "\\protect x \\plain y\\par}");
    ASSERT_EQ(d.Paragraphs.size(), 1u);
    std::string locked, free;
    for (const TRtfRun& r : d.Paragraphs[0].Runs) (d.FormatOf(r).Protected ? locked : free) += r.Text + "|";
    EXPECT_EQ(locked, "locked|inner|x |");
    EXPECT_EQ(free, "open |free | after |y|");
    // bold and protected stay one run, written back with both
    const std::string rtf = RtfWrite(d);
    EXPECT_NE(rtf.find("\\protect locked"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b\\protect inner"), std::string::npos) << rtf;
    EXPECT_EQ(Read(rtf), d);
    // protection makes a format of its own, and the plain text leaves it out
    TRtfCharFormat p;
    p.Protected = true;
    TRtfDocument t;
    EXPECT_NE(t.FormatIndex(p), t.FormatIndex(TRtfCharFormat{}));
    EXPECT_EQ(RtfToPlainText(rtf), d.PlainText());
    EXPECT_EQ(d.PlainText(), "open lockedfree inner after x y");
}

TEST(Rtf, MixedDocumentRoundTrips) {
    TRtfDocument d;
    TRtfCharFormat a;
    a.FontName = "Arial";
    a.Size = 20;
    TRtfCharFormat b = a;
    b.Bold = true;
    b.Color = 0x008000;
    TRtfParagraph p1{{}, {d.Run("Plain ", a), d.Run("bold green", b)}};
    p1.Format.LeftIndent = 720;
    TRtfParagraph empty;
    TRtfParagraph p3{
        {},
        {d.Run("{braces} \\ back\tslash\nbreak caf\xc3\xa9 \xe2\x82\xac \xe4\xb8\xad \xf0\x9f\x98\x80", a)}};
    TRtfRun pic;
    pic.Raw = "{\\pict\\pngblip\\picwgoal100\\pichgoal50 89504e47}";
    TRtfParagraph p4{{}, {d.Run("before ", a), pic, d.Run(" after", a)}};
    d.Paragraphs = {p1, empty, p3, p4, empty};
    ExpectRoundTrip(d, "mixed");
    EXPECT_EQ(
        d.PlainText(),
        "Plain bold green\r\n\r\n{braces} \\ back\tslash\r\nbreak caf\xc3\xa9 \xe2\x82\xac \xe4\xb8\xad "
        "\xf0\x9f\x98\x80\r\nbefore  after\r\n");
    EXPECT_EQ(RtfToPlainText(RtfWrite(d)), d.PlainText());
}

TEST(Rtf, HandWrittenDocuments) {
    const TRtfDocument d = Read(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman "
        "Times;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
        "\\viewkind4\\uc1\\pard\\qc\\li720\\fi-360\\f0\\fs20 Hello \\b\\cf1 red\\b0\\cf0  \\f1\\cf2 "
        "blue\\par\r\n\\pard\\tx1440\\tqr\\tx2880 a\\tab b\\'e9\\u8364?\\par}");
    ASSERT_EQ(d.Paragraphs.size(), 2u);
    const TRtfParagraph& p = d.Paragraphs[0];
    EXPECT_EQ(p.Format.Alignment, TRtfAlign::Center);
    EXPECT_EQ(p.Format.LeftIndent, 720);
    EXPECT_EQ(p.Format.FirstIndent, -360);
    ASSERT_EQ(p.Runs.size(), 4u);
    EXPECT_EQ(p.Runs[0].Text, "Hello ");
    EXPECT_EQ(d.FormatOf(p.Runs[0]).FontName, "Arial");
    EXPECT_EQ(d.FormatOf(p.Runs[0]).Size, 20);
    EXPECT_EQ(p.Runs[1].Text, "red");
    EXPECT_TRUE(d.FormatOf(p.Runs[1]).Bold);
    EXPECT_EQ(d.FormatOf(p.Runs[1]).Color, 0x0000FF);
    EXPECT_EQ(d.FormatOf(p.Runs[2]).Color, kRtfNoColor);  // \cf0: the empty first entry
    EXPECT_EQ(d.FormatOf(p.Runs[3]).FontName, "Times");
    EXPECT_EQ(d.FormatOf(p.Runs[3]).Color, 0xFF0000);
    const TRtfParagraph& q = d.Paragraphs[1];
    EXPECT_EQ(q.Format.Alignment, TRtfAlign::Left);  // \pard resets
    EXPECT_EQ(q.Format.LeftIndent, 0);
    ASSERT_EQ(q.Format.Tabs.size(), 2u);
    EXPECT_EQ(q.Format.Tabs[1], (TRtfTab{2880, TRtfTabAlign::Right}));
    EXPECT_EQ(q.Runs[0].Text, "a\tb\xc3\xa9\xe2\x82\xac");
}

TEST(Rtf, FieldsTablesObjectsAndUnknownDestinations) {
    const TRtfDocument d = Read(
        "{\\rtf1{\\*\\unknown hidden{\\nested x}}"
        "see {\\field{\\*\\fldinst{HYPERLINK \"http://a.example/\"}}{\\fldrslt{\\ul link}}} and "
        "{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}\\par"
        "\\trowd\\cellx1000\\cellx2000\\intbl one\\cell two\\cell\\row"
        "{\\object\\objemb{\\*\\objdata 0102}{\\result{\\pict\\pngblip 89}}}\\par"
        "{\\*\\shppict{\\pict\\jpegblip ff}}{\\nonshppict{\\pict\\wmetafile8 00}}}");
    ASSERT_EQ(d.Paragraphs.size(), 4u);
    const auto& runs = d.Paragraphs[0].Runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].Text, "see ");
    EXPECT_EQ(runs[1].Text, "link");
    EXPECT_EQ(d.FormatOf(runs[1]).Link, "http://a.example/");
    EXPECT_TRUE(d.FormatOf(runs[1]).Underline);
    EXPECT_EQ(runs[2].Text, " and 7");  // a field other than a link shows its result
    EXPECT_EQ(d.FormatOf(runs[2]).Link, "");
    EXPECT_EQ(d.Paragraphs[1].Runs[0].Text, "one\ttwo");
    ASSERT_EQ(d.Paragraphs[2].Runs.size(), 1u);
    EXPECT_EQ(d.Paragraphs[2].Runs[0].Raw,
              "{\\object\\objemb{\\*\\objdata 0102}{\\result{\\pict\\pngblip 89}}}");
    ASSERT_EQ(d.Paragraphs[3].Runs.size(), 1u);
    EXPECT_EQ(d.Paragraphs[3].Runs[0].Raw, "{\\*\\shppict{\\pict\\jpegblip ff}}");
    // objects and pictures are written back unchanged
    const std::string again = RtfWrite(d);
    EXPECT_NE(again.find("{\\object\\objemb{\\*\\objdata 0102}{\\result{\\pict\\pngblip 89}}}"),
              std::string::npos);
    EXPECT_EQ(Read(again), d);
    const TRtfPicture pic = RtfPictureOf(d.Paragraphs[2].Runs[0].Raw);
    EXPECT_TRUE(pic.IsObject);
    EXPECT_EQ(pic.Kind, "png");
    EXPECT_EQ(pic.Bytes, "\x89");
}

// A picture word after a symbol that already made text or ended a
// paragraph in its group does not keep the group raw (written back, the
// copy would make that text again): as after "\\par", the picture is passed
// over. "\\*" before it keeps the group whole.
TEST(Rtf, SymbolsBeforeAPictureWordAreReadOnce) {
    for (const char* in : {"{\\rtf1 a{\\\n\\pict 89}b}", "{\\rtf1 a{\\\r\\pict 89}b}",
                           "{\\rtf1 a{\\~\\pict 89}b}", "{\\rtf1 a{\\_\\object 89}b}"}) {
        const TRtfDocument d = Read(in);
        EXPECT_EQ(Read(RtfWrite(d)), d) << in;
        for (const TRtfParagraph& p : d.Paragraphs)
            for (const TRtfRun& r : p.Runs) EXPECT_TRUE(r.Raw.empty()) << in;
    }
    EXPECT_EQ(Read("{\\rtf1 a{\\\n\\pict 89}b}").PlainText(), "a\r\nb");
    EXPECT_EQ(Read("{\\rtf1 a{\\~\\pict 89}b}").PlainText(), "a\u00a0b");
    EXPECT_EQ(Read("{\\rtf1{\\*\\shppict{\\pict\\jpegblip ff}}}").Paragraphs[0].Runs[0].Raw,
              "{\\*\\shppict{\\pict\\jpegblip ff}}");
}

TEST(Rtf, BrokenInput) {
    TRtfDocument d;
    // cut input is closed
    EXPECT_TRUE(RtfRead("{\\rtf1 {\\b cut", d).Ok);
    ASSERT_EQ(d.Paragraphs.size(), 1u);
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[0]).Bold);
    EXPECT_TRUE(RtfRead("{\\rtf1 a{\\pict\\pngblip 8950", d).Ok);
    ASSERT_EQ(d.Paragraphs[0].Runs.size(), 2u);
    EXPECT_EQ(d.Paragraphs[0].Runs[1].Raw, "{\\pict\\pngblip 8950}");
    // binary data is skipped; past the end it is an error
    EXPECT_TRUE(RtfRead(std::string("{\\rtf1 a{\\*\\x\\bin3 }}}}b}", 25), d).Ok);
    EXPECT_EQ(d.PlainText(), "ab");
    const TRtfReadResult bad = RtfRead("{\\rtf1 a\\bin99 xy}", d);
    EXPECT_FALSE(bad.Ok);
    EXPECT_FALSE(bad.Error.empty());
    EXPECT_FALSE(RtfRead("{\\rtf1 {\\pict\\bin99 xy}}", d).Ok);
    // huge parameters are clamped
    EXPECT_TRUE(RtfRead("{\\rtf1\\li99999999999999999999\\fs-5\\f999999999999 x\\par}", d).Ok);
    EXPECT_EQ(d.Paragraphs[0].Format.LeftIndent, 1 << 30);
    EXPECT_EQ(d.FormatOf(d.Paragraphs[0].Runs[0]).Size, 1);
    // plain text is read line by line
    EXPECT_TRUE(RtfRead("one\r\ntwo\nthree\rfour", d).Ok);
    ASSERT_EQ(d.Paragraphs.size(), 4u);
    EXPECT_EQ(d.PlainText(), "one\r\ntwo\r\nthree\r\nfour");
    EXPECT_TRUE(RtfRead("end\n", d).Ok);
    ASSERT_EQ(d.Paragraphs.size(), 2u);  // the line break ends an empty last line
    EXPECT_EQ(d.PlainText(), "end\r\n");
}

TEST(Rtf, DeepNestingStaysBounded) {
    std::string deep = "{\\rtf1 ";
    for (int i = 0; i < 5000; ++i) deep += "{\\b";
    deep += "{\\*\\skipme gone}x";
    for (int i = 0; i < 5000; ++i) deep += "}";
    deep += "y}";
    TRtfDocument d;
    EXPECT_TRUE(RtfRead(deep, d).Ok);
    EXPECT_EQ(d.PlainText(), "xy");
    EXPECT_EQ(RtfToPlainText(deep), "xy");
}

TEST(Rtf, DataBlock) {
    const std::string block = RtfWriteDataBlock("{\\rtf1 x}");
    EXPECT_EQ(block.substr(0, 4), std::string("\x09\x00\x00\x00", 4));
    std::size_t pos = 0;
    std::string data;
    EXPECT_TRUE(RtfReadDataBlock(block + "next", pos, data));
    EXPECT_EQ(data, "{\\rtf1 x}");
    EXPECT_EQ(pos, block.size());
    // a length past the bytes left: what is there is consumed, and it is reported
    pos = 0;
    EXPECT_FALSE(RtfReadDataBlock(std::string("\xff\xff\xff\x7f"
                                              "abc",
                                              7),
                                  pos, data));
    EXPECT_EQ(pos, 7u);
    EXPECT_EQ(data, "abc");
    pos = 0;
    EXPECT_FALSE(RtfReadDataBlock("ab", pos, data));
    EXPECT_EQ(pos, 2u);
}

// A read limited to the start of the text gives the full read's first
// paragraphs, the last one cut, and stops early; plain text is cut on a
// character boundary.
TEST(Rtf, ReadingOnlyTheStart) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\pard\\f0 ";
    for (int i = 0; i < 2000; ++i)
        rtf += "\\pard\\li" + std::to_string(i % 7 * 120) + " para {\\b " + std::to_string(i) + "}\\par ";
    rtf += "}";
    TRtfDocument full, start, unlimited;
    ASSERT_TRUE(RtfRead(rtf, full).Ok);
    ASSERT_EQ(full.Paragraphs.size(), 2000u);
    ASSERT_TRUE(RtfRead(rtf, unlimited, SIZE_MAX).Ok);
    EXPECT_EQ(unlimited, full);
    ASSERT_TRUE(RtfRead(rtf, start, 100).Ok);
    const std::string text = start.PlainText(), all = full.PlainText();
    EXPECT_EQ(all.compare(0, text.size(), text), 0);
    EXPECT_GE(text.size(), 90u);
    EXPECT_LT(start.Paragraphs.size(), 20u);
    ASSERT_FALSE(start.Paragraphs.empty());
    TRtfDocument startWhole = start, fullHead = full;  // the paragraphs read whole
    startWhole.Paragraphs.pop_back();
    fullHead.Paragraphs.resize(startWhole.Paragraphs.size());
    EXPECT_EQ(startWhole, fullHead);
    EXPECT_EQ(RtfWrite(full), RtfWrite(unlimited));

    TRtfDocument plain;
    ASSERT_TRUE(RtfRead("ab\xC3\xA9"
                        "cd\r\nef",
                        plain, 3)
                    .Ok);
    EXPECT_EQ(plain.PlainText(), "ab");
    ASSERT_TRUE(RtfRead("ab\xC3\xA9"
                        "cd\r\nef",
                        plain, 0)
                    .Ok);
    EXPECT_EQ(plain.PlainText(), "");
}

}  // namespace

// Runs share their formats: one table entry per distinct format, however many
// runs use it, and documents compare and merge by format, not by index.
TEST(Rtf, RunsShareOneTableEntryPerFormat) {
    std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}{\\colortbl ;\\red200\\green0\\blue0;}\\f0 ";
    for (int i = 0; i < 1000; ++i) rtf += "{\\b bold} {\\cf1 red} plain ";
    rtf += "{\\field{\\*\\fldinst HYPERLINK \"http://a.example/\"}{\\fldrslt here}}\\par}";
    TRtfDocument d = Read(rtf);
    ASSERT_EQ(d.Paragraphs.size(), 1u);
    EXPECT_EQ(d.Paragraphs[0].Runs.size(), 4001u);
    // the default, plain, bold, red and the link
    EXPECT_EQ(d.Formats.size(), 5u);
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[0]).Bold);
    EXPECT_EQ(d.FormatOf(d.Paragraphs[0].Runs[2]).Color, 200);
    EXPECT_EQ(d.Paragraphs[0].Runs[0].Format, d.Paragraphs[0].Runs[4].Format);
    EXPECT_EQ(d.FormatOf(d.Paragraphs[0].Runs.back()).Link, "http://a.example/");

    // the same document with its table in another order is equal, and writes the same bytes
    TRtfDocument other;
    TRtfCharFormat red = d.FormatOf(d.Paragraphs[0].Runs[2]);
    other.FormatIndex(red);
    other.Paragraphs.push_back({d.Paragraphs[0].Format, {}});
    for (const TRtfRun& r : d.Paragraphs[0].Runs)
        other.Paragraphs[0].Runs.push_back(other.Run(r.Text, d.FormatOf(r)));
    EXPECT_NE(other.Paragraphs[0].Runs[2].Format, d.Paragraphs[0].Runs[2].Format);
    EXPECT_EQ(other, d);
    EXPECT_EQ(RtfWrite(other), RtfWrite(d));
    other.Paragraphs[0].Runs[1].Format = other.FormatIndex(red);
    EXPECT_FALSE(other == d);

    // interning: an equal format answers its first index; a table set by hand is searched too
    TRtfDocument t;
    TRtfCharFormat b;
    b.Bold = true;
    EXPECT_EQ(t.FormatIndex(TRtfCharFormat{}), 0u);
    const std::uint32_t bi = t.FormatIndex(b);
    EXPECT_EQ(t.FormatIndex(b), bi);
    t.Formats.push_back(red);
    EXPECT_EQ(t.FormatIndex(red), 2u);
    EXPECT_EQ(t.Formats.size(), 3u);
    // a run whose index is past the table reads the default format
    TRtfRun stray{"x", {}, 99};
    EXPECT_EQ(t.FormatOf(stray), TRtfCharFormat{});

    // runs of one format under two indexes merge
    t.Formats.push_back(b);
    t.Paragraphs.push_back({{}, {TRtfRun{"a", {}, bi}, TRtfRun{"b", {}, 3}, TRtfRun{"", {}, 2}}});
    t.Normalize();
    ASSERT_EQ(t.Paragraphs[0].Runs.size(), 1u);
    EXPECT_EQ(t.Paragraphs[0].Runs[0].Text, "ab");
}
