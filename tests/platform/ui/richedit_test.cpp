// The rich-edit control with real keys and mouse: formats kept in twips,
// masks, find, the typing limit, the clipboard, links and drawing.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/richedit.h"
#include "platform/ui/shell_open.h"
#include "support/environment.h"
#include "support/ui/rich_edit_qt.h"
#include "support/ui/ui_probes.h"

namespace {

TRtfCharFormat Font(const char* name, int halfPoints) {
    TRtfCharFormat f;
    f.FontName = name;
    f.Size = halfPoints;
    return f;
}

// Two paragraphs with odd twips that pixels cannot hold.
TRtfDocument Sample() {
    TRtfDocument d;
    TRtfParagraph p1;
    p1.Format.LeftIndent = 721;
    p1.Format.FirstIndent = -357;
    p1.Format.RightIndent = 143;
    p1.Format.SpaceBefore = 61;
    p1.Format.SpaceAfter = 119;
    p1.Format.LineSpacing = 300;
    p1.Format.Tabs = {{1441, TRtfTabAlign::Right}};
    TRtfCharFormat bold = Font("DejaVu Sans", 24);
    bold.Bold = true;
    bold.Color = 0x0000C0;
    p1.Runs = {d.Run("Hello ", Font("DejaVu Sans", 24)), d.Run("bold", bold)};
    TRtfParagraph p2;
    p2.Format.Alignment = TRtfAlign::Center;
    p2.Format.Bullet = true;
    p2.Format.LeftIndent = 720;
    p2.Runs = {d.Run("second", Font("DejaVu Serif", 30))};
    d.Paragraphs = {p1, p2};
    return d;
}

// RTF holds the control word with exactly that parameter.
bool HasControlWord(const std::string& Rtf, const std::string& Word) {
    for (std::size_t at = Rtf.find("\\" + Word); at != std::string::npos;
         at = Rtf.find("\\" + Word, at + 1)) {
        const std::size_t end = at + 1 + Word.size();
        if (end == Rtf.size() || !std::isdigit(static_cast<unsigned char>(Rtf[end]))) return true;
    }
    return false;
}

class RichEditTest : public TRichEditOnFormTest {
protected:
    void SetUp() override { Place(360, 200); }
};

TEST_F(RichEditTest, DocumentRoundTripsWithExactTwips) {
    const TRtfDocument d = Sample();
    r->SetDocument(d);
    EXPECT_EQ(r->Document(), d);
    EXPECT_EQ(r->Text(), "Hello bold\nsecond");
    // through RTF both ways
    const std::string rtf = r->StreamOut(true, false);
    r->Clear();
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    EXPECT_EQ(r->Document(), d);
    EXPECT_FALSE(r->Modified());
}

TEST_F(RichEditTest, TwipsSurviveTypingEnterAndUndo) {
    r->SetDocument(Sample());
    f.Show();
    r->SetFocus();
    r->SetSelStart(10);  // after "bold"
    SendText(r, "er");
    SendKey(r, VK_RETURN);
    SendText(r, "new");
    ASSERT_EQ(r->LineCount(), 3);
    EXPECT_EQ(r->Line(0), "Hello bolder");
    EXPECT_EQ(r->Line(1), "new");
    const TRtfDocument d = r->Document();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(d.Paragraphs[i].Format.LeftIndent, 721) << i;
        EXPECT_EQ(d.Paragraphs[i].Format.FirstIndent, -357) << i;
        EXPECT_EQ(d.Paragraphs[i].Format.SpaceAfter, 119) << i;
        EXPECT_EQ(d.Paragraphs[i].Format.Tabs, Sample().Paragraphs[0].Format.Tabs) << i;
    }
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[1].Runs[0]).Bold);  // typing goes on in the format at the caret
    EXPECT_TRUE(r->Modified());
    EXPECT_TRUE(r->CanUndo());
    while (r->CanUndo()) r->Undo();
    EXPECT_EQ(r->Document(), Sample());
    EXPECT_TRUE(r->CanRedo());
}

TEST_F(RichEditTest, FormatsOfASelectionReportMixedAttributes) {
    r->SetDocument(Sample());
    r->SetSelStart(0);
    r->SetSelLength(10);  // "Hello bold"
    unsigned mask = 0;
    TRtfCharFormat f = r->SelAttributes(&mask);
    EXPECT_FALSE(mask & cfmBold);
    EXPECT_FALSE(mask & cfmColor);
    EXPECT_TRUE(mask & cfmFace);
    EXPECT_TRUE(mask & cfmSize);
    EXPECT_EQ(f.FontName, "DejaVu Sans");
    // setting only italic keeps each run's bold
    TRtfCharFormat italic;
    italic.Italic = true;
    r->SetSelAttributes(italic, cfmItalic);
    TRtfDocument d = r->Document();
    ASSERT_EQ(d.Paragraphs[0].Runs.size(), 2u);
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[0]).Italic);
    EXPECT_FALSE(d.FormatOf(d.Paragraphs[0].Runs[0]).Bold);
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[1]).Bold);
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[1]).Italic);
    r->SelAttributes(&mask);
    EXPECT_TRUE(mask & cfmItalic);
    // paragraphs: both selected differ in alignment and indent
    r->SetSelStart(0);
    r->SetSelLength(14);
    TRtfParaFormat p = r->Paragraph(&mask);
    EXPECT_EQ(mask & (pfmAlignment | pfmLeftIndent | pfmRightIndent | pfmBullet), 0u);
    EXPECT_EQ(p.LeftIndent, 721);  // the first paragraph's
    TRtfParaFormat indent;
    indent.LeftIndent = 1001;
    r->SetParagraph(indent, pfmLeftIndent);
    d = r->Document();
    EXPECT_EQ(d.Paragraphs[0].Format.LeftIndent, 1001);
    EXPECT_EQ(d.Paragraphs[1].Format.LeftIndent, 1001);
    EXPECT_EQ(d.Paragraphs[1].Format.Alignment, TRtfAlign::Center);  // kept
    EXPECT_TRUE(d.Paragraphs[1].Format.Bullet);
    r->Paragraph(&mask);
    EXPECT_TRUE(mask & pfmLeftIndent);
}

TEST_F(RichEditTest, SelectionStreamsOutAndIn) {
    r->SetDocument(Sample());
    r->SetSelStart(6);
    r->SetSelLength(4);
    const std::string part = r->StreamOut(true, true);
    TRtfDocument d;
    ASSERT_TRUE(RtfRead(part, d).Ok);
    ASSERT_EQ(d.Paragraphs.size(), 1u);
    EXPECT_EQ(d.Paragraphs[0].Runs[0].Text, "bold");
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[0]).Bold);
    EXPECT_EQ(r->StreamOut(false, true), "bold");
    r->SetSelStart(0);
    r->SetSelLength(0);
    ASSERT_TRUE(r->StreamIn(part, true, true));
    EXPECT_EQ(r->Line(0), "boldHello bold");
    // RTF that does not read is refused and changes nothing
    EXPECT_FALSE(r->StreamIn("{\\rtf1 x\\bin99 y}", true, false));
    EXPECT_FALSE(r->StreamIn("plain words", true, false));
    EXPECT_EQ(r->Line(0), "boldHello bold");
    ASSERT_TRUE(r->StreamIn("plain\r\nwords", false, false));
    EXPECT_EQ(r->LineCount(), 2);
}

// Byte positions in a long document of characters of one to four bytes,
// paragraph and line ends (a byte each): lines, searches and pages answer
// the bytes of its text, from every start, before and after an edit.
TEST_F(RichEditTest, BytePositionsOfALongDocument) {
    std::string text, rtf = "{\\rtf1\\ansi ";
    std::vector<std::size_t> starts;
    for (int i = 0; text.size() < 300000; ++i) {
        if (i) {
            text += "\n";
            rtf += "\\par ";
        }
        starts.push_back(text.size());
        const std::string words = " line " + std::to_string(i) + " marker" + std::to_string(i) + ";";
        text += "\u00e9\u20ac\U0001F600" + words;
        rtf += "\\u233?\\u8364?\\u-10179?\\u-8704?" + words;
        if (i % 3 == 0) {  // a line break within every third
            text += "\na";
            rtf += "\\line a";
        }
    }
    ASSERT_TRUE(r->StreamIn(rtf + "}", true, false));
    ASSERT_EQ(r->Text().size(), text.size());
    auto check = [&](const char* how) {
        SCOPED_TRACE(how);
        for (std::size_t i = 0; i < starts.size(); i += 97) {
            const auto start = static_cast<int>(starts[i]);
            EXPECT_EQ(r->LineIndex(static_cast<int>(i)), start) << i;
            EXPECT_EQ(r->LineFromChar(start), static_cast<int>(i));
            const std::string marker = "marker" + std::to_string(i) + ";";
            const auto at = static_cast<int>(text.find(marker));
            EXPECT_EQ(r->FindText(marker, 0, -1, 0), at);
            EXPECT_EQ(r->FindText(marker, start + 2, -1, 0), at);                  // inside the first letter
            EXPECT_EQ(r->FindText(marker, start + 5, at + 3 - start - 5, 0), -1);  // ends before it does
            EXPECT_EQ(r->FindText(marker, start + 5, at + static_cast<int>(marker.size()) - start - 5, 0),
                      at);
        }
        // a page from a line's start ends at a later line's start
        const int next =
            r->FormatRange(nullptr, 96, static_cast<int>(starts[300]), TRect{0, 0, 14400, 2880}, false);
        EXPECT_TRUE(std::find(starts.begin(), starts.end(), static_cast<std::size_t>(next)) != starts.end());
        EXPECT_GT(next, static_cast<int>(starts[300]));
        EXPECT_EQ(
            r->FormatRange(nullptr, 96, static_cast<int>(starts.back()), TRect{0, 0, 14400, 2880}, false),
            static_cast<int>(text.size()));
    };
    check("loaded");
    r->SetSelStart(0);
    r->SetSelText("\u00e9\U0001F600");  // six bytes more before everything
    text.insert(0, "\u00e9\U0001F600");
    for (std::size_t& s : starts) s += s ? 6 : 0;
    check("after an edit");

    // edits anywhere, of every size, typed, pasted, taken back: every
    // marker is found where the text has it, also from within its line
    auto found = [&](const char* how) {
        SCOPED_TRACE(how);
        const std::string now = r->Text();
        for (std::size_t i = 0; i < starts.size(); i += 397) {
            const std::string marker = "marker" + std::to_string(i) + ";";
            const auto at = now.find(marker);
            if (at == std::string::npos) continue;
            EXPECT_EQ(r->FindText(marker, 0, -1, 0), static_cast<int>(at)) << marker;
            EXPECT_EQ(r->FindText(marker, static_cast<int>(at) - 3, -1, 0), static_cast<int>(at)) << marker;
        }
    };
    r->SetSelStart(static_cast<int>(starts[5000]) + 3);
    SendText(r, "\u00fcber \u20ac");
    found("typed in the middle");
    r->SetSelStart(static_cast<int>(starts[2000]));
    r->SetSelLength(static_cast<int>(starts[2400] - starts[2000]));
    SendKey(r, VK_DELETE);
    found("a range across many marks deleted");
    std::string pasted;
    for (int i = 0; i < 2000; ++i) pasted += "\u00e9\U0001F600 pasted " + std::to_string(i) + "\n";
    r->SetSelStart(static_cast<int>(starts[100]));
    r->SetSelText(pasted);
    found("a long text pasted");
    SendKey(r, 'Z', TShiftState{ssCtrl});
    found("the paste taken back");
    SendKey(r, 'Z', TShiftState{ssCtrl});
    found("the deletion taken back");
    r->SetSelStart(static_cast<int>(r->Text().size()));
    SendText(r, "end \U0001F600");
    found("typed at the end");
    r->SelectAll();
    TRtfCharFormat bold;
    bold.Bold = true;
    r->SetSelAttributes(bold, cfmBold);
    found("made bold");
}

TEST_F(RichEditTest, FindInARange) {
    r->SetText("Alpha beta alphabet\nBETA gamma");
    struct Case {
        const char* text;
        int start, length;
        unsigned options;
        int found;
    };
    const Case cases[] = {
        {"beta", 0, -1, 0, 6},
        {"beta", 7, -1, 0, 20},
        {"BETA", 0, -1, frMatchCase, 20},
        {"alpha", 1, -1, 0, 11},
        {"alpha", 0, -1, frWholeWord, 0},
        {"alpha", 1, -1, frWholeWord, -1},
        {"beta", 0, 9, 0, -1},  // the match must end inside the range
        {"beta", 0, 10, 0, 6},
        {"beta", 0, -1, frBackward, 20},
        {"beta", 0, 19, frBackward, 6},
        {"gamma", 0, -1, frMatchCase | frWholeWord, 25},
        {"", 0, -1, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(r->FindText(c.text, c.start, c.length, c.options), c.found) << c.text << " " << c.start;
}

TEST_F(RichEditTest, TypingLimitCutsTypingAndPastingButNeverALoad) {
    TTestClipboard clip;
    r->SetMaxLength(5);
    const std::string long_rtf = "{\\rtf1 {\\b 0123456789}\\par more}";
    ASSERT_TRUE(r->StreamIn(long_rtf, true, false));
    EXPECT_EQ(r->Text(), "0123456789\nmore");  // a load is never cut
    r->Clear();
    f.Show();
    r->SetFocus();
    SendText(r, "abcdefg");
    EXPECT_EQ(r->Text(), "abcde");
    r->SetSelStart(2);
    r->SetSelLength(2);  // "cd": room for 2 more
    clip.SetData({{CF_TEXT, "XYZ"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "abXYe");
    r->SelectAll();
    clip.SetData({{CF_RTF(), long_rtf}, {CF_TEXT, "ignored"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "01234");
    EXPECT_TRUE(r->Document().FormatOf(r->Document().Paragraphs[0].Runs[0]).Bold);
}

TEST_F(RichEditTest, PasteNeverGrowsTheTextPastTheLimit) {
    TTestClipboard clip;
    r->SetMaxLength(5);
    ASSERT_TRUE(r->StreamIn("0123456789", false, false));  // a load is never cut
    f.Show();
    r->SetFocus();
    for (const auto& data : std::vector<std::map<unsigned, std::string>>{
             {{CF_TEXT, "XYZ"}}, {{CF_RTF(), "{\\rtf1 {\\b XYZ}}"}, {CF_TEXT, "XYZ"}}}) {
        r->SetSelStart(2);
        r->SetSelLength(1);  // nine would stay: no room at all
        clip.SetData(data);
        SendKey(r, 'V', TShiftState{ssCtrl});
        EXPECT_LE(r->Text().size(), 10u) << r->Text();
        EXPECT_EQ(r->Text().find('X'), std::string::npos) << r->Text();
    }
    // bytes that are no UTF-8 are counted as the characters they become
    r->SetText("");
    r->SetMaxLength(6);
    clip.SetData({{CF_TEXT, "ab\xC3\xC3"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "ab\xC3\x83\xC3\x83");
}

TEST_F(RichEditTest, ClipboardCarriesTextAndRichText) {
    TTestClipboard clip;
    r->SetDocument(Sample());
    f.Show();
    r->SetFocus();
    r->SetSelStart(6);
    r->SetSelLength(4);
    SendKey(r, 'C', TShiftState{ssCtrl});
    const auto data = clip.GetData();
    ASSERT_TRUE(data.count(CF_TEXT));
    EXPECT_EQ(data.at(CF_TEXT), "bold");
    ASSERT_TRUE(data.count(CF_RTF()));
    EXPECT_EQ(ClipboardFormatName(CF_RTF()), "Rich Text Format");
    // pasted back as rich text at the start of the second line
    r->SetSelStart(r->LineIndex(1));
    r->SetSelLength(0);
    SendKey(r, 'V', TShiftState{ssCtrl});
    TRtfDocument d = r->Document();
    EXPECT_EQ(r->Line(1), "boldsecond");
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[1].Runs[0]).Bold);
    EXPECT_EQ(d.FormatOf(d.Paragraphs[1].Runs[0]).Color, 0x0000C0);
    // without rich text the text is pasted as usual; a bitmap alone pastes nothing
    clip.SetData({{CF_TEXT, "t"}, {CF_BITMAP, "png"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Line(1), "boldtsecond");
    clip.SetData({{CF_BITMAP, "png"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Line(1), "boldtsecond");
    // cut takes the selection out
    r->SetSelStart(0);
    r->SetSelLength(6);
    SendKey(r, 'X', TShiftState{ssCtrl});
    EXPECT_EQ(r->Line(0), "bold");
    EXPECT_EQ(clip.GetData().at(CF_TEXT), "Hello ");
}

// One undo step per typing run and per paste, plain or rich; typing over a
// selection is one step with the run it starts.
TEST_F(RichEditTest, UndoTakesBackOneTypingRunOrPasteAtATime) {
    TTestClipboard clip;
    f.Show();
    r->SetText("Start");
    r->SetFocus();
    r->SelectAll();
    SendText(r, "Hi");
    clip.SetData({{CF_TEXT, " world"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "Hi world");
    SendKey(r, 'Z', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "Hi");
    SendKey(r, 'Z', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "Start");
    // two pastes and one undo leave the first; typing after a paste is a step of its own
    SendKey(r, VK_END);
    clip.SetData({{CF_TEXT, "1"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    clip.SetData({{CF_TEXT, "2"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    SendText(r, "ab");
    EXPECT_EQ(r->Text(), "Start12ab");
    SendKey(r, 'Z', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "Start12");
    SendKey(r, 'Z', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "Start1");
    // a rich paste is one step as well
    clip.SetData({{CF_RTF(), "{\\rtf1\\ansi {\\b x}y\\par}"}});
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text().substr(0, 8), "Start1xy");
    SendKey(r, 'Z', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "Start1");
}

TEST_F(RichEditTest, LinksAreClickedWithTheLeftButton) {
    TRtfDocument d;
    TRtfCharFormat link = Font("DejaVu Sans", 24);
    link.Link = "https://example.org/x";
    d.Paragraphs = {{{}, {d.Run("go to ", Font("DejaVu Sans", 24)), d.Run("the site", link)}},
                    {{}, {d.Run("see www.example.com now", Font("DejaVu Sans", 24))}}};
    r->SetDocument(d);
    std::vector<std::string> clicked;
    r->SetOnLinkClick(TRichLinkEvent([&](TObject*, const std::string& l) { clicked.push_back(l); }));
    f.Show();
    const TPoint onLink = r->PosFromChar(8);
    const TPoint onText = r->PosFromChar(2);
    SendClick(r, onLink.X + 2, onLink.Y + 5);
    SendClick(r, onText.X + 2, onText.Y + 5);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], "https://example.org/x");
    // press on the link, release elsewhere: no click
    SendMouseDown(r, mbLeft, onLink.X + 2, onLink.Y + 5);
    SendMouseUp(r, mbLeft, onText.X + 2, onText.Y + 5);
    EXPECT_EQ(clicked.size(), 1u);
    // web addresses in the text only with AutoURLDetect
    const TPoint www = r->PosFromChar(r->LineIndex(1) + 6);
    SendClick(r, www.X + 2, www.Y + 5);
    EXPECT_EQ(clicked.size(), 1u);
    r->SetAutoURLDetect(true);
    SendClick(r, www.X + 2, www.Y + 5);
    ASSERT_EQ(clicked.size(), 2u);
    EXPECT_EQ(clicked[1], "www.example.com");
    // links are not written for detected addresses
    EXPECT_EQ(r->Document(), d);
    // the event mask turns link notifications off
    r->SetEventMask(enmChange);
    SendClick(r, onLink.X + 2, onLink.Y + 5);
    EXPECT_EQ(clicked.size(), 2u);
}

TEST_F(RichEditTest, PositionsAndSelectionTypes) {
    TRtfDocument d;
    TRtfRun pic;
    pic.Raw = "{\\pict\\wmetafile8\\picwgoal720\\pichgoal360 0102}";
    d.Paragraphs = {{{}, {{"ab", {}, {}}, pic, {"c", {}, {}}}}};
    r->SetDocument(d);
    EXPECT_EQ(r->Document(), d);  // the picture is written back unchanged
    f.Show();
    for (int pos : {0, 1, 2, 5}) {  // the picture takes the three bytes of U+FFFC
        const TPoint p = r->PosFromChar(pos);
        EXPECT_EQ(r->CharFromPos({p.X + 1, p.Y + 3}), pos);
    }
    r->SetSelStart(0);
    r->SetSelLength(0);
    EXPECT_EQ(r->SelectionType(), 0u);
    r->SetSelLength(1);
    EXPECT_EQ(r->SelectionType(), selText);
    r->SetSelLength(2);
    EXPECT_EQ(r->SelectionType(), selText | selMultiChar);
    r->SetSelStart(2);
    r->SetSelLength(3);  // the picture is one U+FFFC
    EXPECT_EQ(r->SelectionType(), selObject);
    EXPECT_EQ(r->LineIndex(0), 0);
    EXPECT_EQ(r->LineIndex(1), -1);
    // an object without a picture of its own shows as a labelled box
    ASSERT_TRUE(RenderControlToPng(r, TestRunPath("richedit_object.png")));
}

TEST_F(RichEditTest, FormatRangeDrawsIntoTwipsAndAnswersTheNextCharacter) {
    TRtfDocument d;
    TRtfCharFormat red = Font("DejaVu Sans", 24);
    red.Color = 0x0000FF;
    for (int i = 0; i < 20; ++i) d.Paragraphs.push_back({{}, {d.Run("line " + std::to_string(i), red)}});
    r->SetDocument(d);
    TBitmap bmp;
    bmp.SetSize(200, 200);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect{0, 0, 200, 200});
    // one inch square at (0.25in, 0.25in): some lines fit, the rest is answered
    const int next = r->FormatRange(bmp.Canvas(), 96, 0, TRect{360, 360, 1800, 1800});
    EXPECT_GT(next, 0);
    EXPECT_LT(next, static_cast<int>(r->Text().size()));
    EXPECT_EQ(r->LineIndex(r->LineFromChar(next)), next);  // whole lines
    bool redInside = false, outside = false;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            const TColor c = bmp.Canvas()->Pixels(x, y);
            const bool reddish = (c & 0xFF) > 150 && ((c >> 8) & 0xFF) < 100;
            if (!reddish) continue;
            if (x >= 24 && x < 120 && y >= 24 && y < 120)
                redInside = true;
            else
                outside = true;
        }
    EXPECT_TRUE(redInside);
    EXPECT_FALSE(outside);
    bmp.SaveToFile(TestRunPath("richedit_format_range.png"));
    // measuring goes on from there to the end
    EXPECT_EQ(r->FormatRange(nullptr, 96, next, TRect{0, 0, 14400, 14400}, false),
              static_cast<int>(r->Text().size()));
}

// A paragraph reads left to right whatever its letters, on screen and in the
// copy printing draws: a Hebrew line starts at the left edge as a Latin one does.
TEST_F(RichEditTest, ParagraphsReadLeftToRightWhateverTheirLetters) {
    f.Show();
    TRtfDocument d;
    TRtfCharFormat red = Font("DejaVu Sans", 24);
    red.Color = 0x0000FF;
    d.Paragraphs.push_back({{}, {d.Run("\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd", red)}});
    d.Paragraphs.push_back({{}, {d.Run("Latin", red)}});
    r->SetDocument(d);
    const QRectF first =
        Edit()->document()->documentLayout()->blockBoundingRect(Edit()->document()->firstBlock());
    // the leftmost red column of the first line, and the rightmost
    auto span = [&first](auto&& Red, int Width, int Top) {
        int left = Width, right = -1;
        for (int y = Top; y < Top + static_cast<int>(first.height()); ++y)
            for (int x = 0; x < Width; ++x)
                if (Red(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return std::pair{left, right};
    };
    const QImage screen = Edit()->viewport()->grab().toImage();
    screen.save(QString::fromStdString(TestRunPath("richedit_hebrew_screen.png")));
    const auto [sl, sr] = span(
        [&screen](int x, int y) {
            const QColor c = screen.pixelColor(x, y);
            return c.red() > 150 && c.green() < 100;
        },
        screen.width(), static_cast<int>(first.top()));
    ASSERT_GE(sr, 0);
    EXPECT_LT(sl, 10);
    EXPECT_LT(sr, screen.width() / 2);
    TBitmap bmp;
    bmp.SetSize(360, 200);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect{0, 0, 360, 200});
    r->FormatRange(bmp.Canvas(), 96, 0, TRect{0, 0, 5400, 3000});
    bmp.SaveToFile(TestRunPath("richedit_hebrew_copy.png"));
    const auto [pl, pr] = span(
        [&bmp](int x, int y) {
            const TColor c = bmp.Canvas()->Pixels(x, y);
            return (c & 0xFF) > 150 && ((c >> 8) & 0xFF) < 100;
        },
        360, 0);
    ASSERT_GE(pr, 0);
    EXPECT_LT(pl, 10);
    EXPECT_LT(pr, 180);
}

// A rich edit that reads right to left holds its paragraphs at the right,
// Latin letters too.
TEST_F(RichEditTest, ARightToLeftEditHoldsItsParagraphsAtTheRight) {
    delete r;
    r = new TRichEdit(f.Form);
    r->SetBiDiMode(bdRightToLeft);
    r->SetParent(f.Form);
    r->SetBounds(10, 10, 360, 200);
    f.Show();
    r->SetText("Latin");
    const QImage screen = Edit()->viewport()->grab().toImage();
    int left = screen.width(), right = -1;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (qGray(screen.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0);
    EXPECT_GT(left, screen.width() / 2);
    EXPECT_GT(right, screen.width() - 12);
}

// A line taller than the rectangle: FormatRange takes no line (it does not
// fit whole) and draws nothing; DrawRange shows what fits of it, clipped.
TEST_F(RichEditTest, DrawRangeShowsWhatFitsOfALineTallerThanTheRectangle) {
    TRtfDocument d;
    TRtfCharFormat red = Font("DejaVu Sans", 48);
    red.Color = 0x0000FF;
    d.Paragraphs.push_back({{}, {d.Run("Tall line", red)}});
    d.Paragraphs.push_back({{}, {d.Run("Next", red)}});
    r->SetDocument(d);
    // 20 pixels high at 96 dpi, the line about 37
    const TRect twips{0, 150, 2400, 450};
    auto redRows = [](TBitmap& B) {
        std::vector<int> rows;
        for (int y = 0; y < B.Height(); ++y)
            for (int x = 0; x < B.Width(); ++x) {
                const TColor c = B.Canvas()->Pixels(x, y);
                if ((c & 0xFF) > 150 && ((c >> 8) & 0xFF) < 100) {
                    rows.push_back(y);
                    break;
                }
            }
        return rows;
    };
    TBitmap bmp;
    bmp.SetSize(200, 60);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect{0, 0, 200, 60});
    EXPECT_EQ(r->FormatRange(bmp.Canvas(), 96, 0, twips), 0);
    EXPECT_TRUE(redRows(bmp).empty());
    r->DrawRange(bmp.Canvas(), 96, 0, twips);
    bmp.SaveToFile(TestRunPath("richedit_draw_range_tall.png"));
    const std::vector<int> rows = redRows(bmp);
    ASSERT_GT(rows.size(), 5u);
    EXPECT_GE(rows.front(), 10);
    EXPECT_LT(rows.back(), 30);
}

// A long paragraph of many formats, and many paragraphs, load as one change
// each: laid out once, not once per run (which grows with the square of the
// runs in one paragraph). Typing afterwards is a change of its own and undoes.
TEST_F(RichEditTest, ALoadIsOneChangeOfTheDocument) {
    f.Show();
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\pard\\f0\\fs20 ";
    for (int i = 0; i < 400; ++i) rtf += "{\\b x" + std::to_string(i) + "} y ";
    rtf += "\\par ";
    for (int i = 0; i < 300; ++i) rtf += "\\pard\\li360 line {\\i " + std::to_string(i) + "}\\par ";
    rtf += "}";
    for (int pass = 0; pass < 2; ++pass) {
        const int before = r->DocumentChanges();
        ASSERT_TRUE(r->StreamIn(rtf, true, false));
        EXPECT_LE(r->DocumentChanges() - before, 3) << "pass " << pass;  // the clearing and the load
        EXPECT_EQ(r->LineCount(), 301);
        EXPECT_FALSE(r->CanUndo());
        const TRtfDocument d = r->Document();
        ASSERT_EQ(d.Paragraphs.size(), 301u);
        EXPECT_EQ(d.Paragraphs[0].Runs.size(), 800u);
        EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[0]).Bold);
        EXPECT_FALSE(d.FormatOf(d.Paragraphs[0].Runs[1]).Bold);
        EXPECT_EQ(d.Paragraphs[300].Format.LeftIndent, 360);
    }
    // the same through the stream
    TMemoryStream s;
    s.WriteBuffer(rtf.data(), static_cast<int64_t>(rtf.size()));
    s.SetPosition(0);
    const int before = r->DocumentChanges();
    ASSERT_TRUE(r->LoadFromStream(&s));
    EXPECT_LE(r->DocumentChanges() - before, 3);
    r->SetFocus();
    r->SetSelStart(0);
    SendText(r, "z");
    EXPECT_TRUE(r->CanUndo());
    EXPECT_EQ(r->Line(0).substr(0, 4), "zx0 ");
}

// A long load shows the busy cursor (the change it sends sees it) and gives
// the cursor back; a short one leaves it alone. A load limit keeps the start.
TEST_F(RichEditTest, ALongLoadShowsTheBusyCursorAndALimitKeepsTheStart) {
    std::string rtf = "{\\rtf1\\ansi\\pard ";
    while (rtf.size() < 300 * 1024) rtf += "{\\b word} word\\par ";
    rtf += "}";
    std::vector<TCursor> seen;
    r->SetOnChange(TNotifyEvent([&](TObject*) { seen.push_back(Screen->Cursor()); }));
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    ASSERT_TRUE(r->StreamIn("{\\rtf1 short}", true, false));
    EXPECT_EQ(seen, (std::vector<TCursor>{crHourGlass, crDefault}));
    EXPECT_EQ(Screen->Cursor(), crDefault);

    r->SetLoadLimit(1000);
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    EXPECT_GE(r->Text().size(), 990u);
    EXPECT_LT(r->Text().size(), 1100u);
    EXPECT_EQ(r->Line(0), "word word");
    ASSERT_TRUE(r->StreamIn(std::string(5000, 'x'), false, false));
    EXPECT_EQ(r->Text(), std::string(1000, 'x'));
    r->SetLoadLimit(0);
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    EXPECT_GT(r->Text().size(), 150000u);
}

// A long text is written out under the busy cursor, as it loads; a short
// one leaves the cursor alone.
TEST_F(RichEditTest, ALongSaveShowsTheBusyCursor) {
    class TCursorStream : public TMemoryStream {
    public:
        std::vector<TCursor> Seen;
        int64_t Write(const void* Buffer, int64_t Count) override {
            Seen.push_back(Screen->Cursor());
            return TMemoryStream::Write(Buffer, Count);
        }
    };
    std::string rtf = "{\\rtf1\\ansi\\pard ";
    while (rtf.size() < 600 * 1024) rtf += "{\\b word} word\\par ";
    rtf += "}";
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    TCursorStream long_, short_;
    r->SaveToStream(&long_);
    ASSERT_TRUE(r->StreamIn("{\\rtf1 short}", true, false));
    r->SaveToStream(&short_);
    EXPECT_EQ(long_.Seen, std::vector<TCursor>{crHourGlass});
    EXPECT_EQ(short_.Seen, std::vector<TCursor>{crDefault});
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

// Plain text comes in at the Font's size however it comes: a plain load,
// Lines, the text, typing into the empty edit and a plain paste. It shows as
// tall as the Font's text and saves with the Font's size.
TEST_F(RichEditTest, PlainTextTakesTheFontSize) {
    TTestClipboard clip;
    f.Show();
    const auto lineHeight = [&] {
        return Edit()->document()->documentLayout()->blockBoundingRect(Edit()->document()->begin()).height();
    };
    const auto check = [&](const std::string& Way, const std::string& Text, int HalfPoints, double Height) {
        SCOPED_TRACE(Way);
        EXPECT_EQ(r->Line(0), Text);
        const TRtfDocument d = r->Document();
        ASSERT_FALSE(d.Paragraphs.empty());
        ASSERT_FALSE(d.Paragraphs[0].Runs.empty());
        EXPECT_EQ(d.FormatOf(d.Paragraphs[0].Runs[0]).Size, HalfPoints);
        EXPECT_TRUE(HasControlWord(r->StreamOut(true, false), "fs" + std::to_string(HalfPoints)));
        EXPECT_NEAR(lineHeight(), Height, 1.5);
    };
    // each way in, at a point size, a character height and a cell height
    for (const int height : {0, -24, 30}) {
        SCOPED_TRACE(height);
        delete r;
        Place(360, 200);
        r->SetFocus();
        if (height == 0)
            r->Font()->SetSize(14);
        else
            r->Font()->SetHeight(height);
        // the height of text typed in the Font
        r->Clear();
        SendText(r, "Typed");
        const double typed = lineHeight();
        const int halfPoints = r->SelAttributes().Size;
        if (height == 0) {
            EXPECT_EQ(halfPoints, 28);
        }
        if (height == -24) {
            EXPECT_EQ(halfPoints, 36);
        }
        if (height == 30) {  // the character height of a 30-pixel cell
            EXPECT_GT(halfPoints, 30);
            EXPECT_LT(halfPoints, 46);
        }
        check("typed", "Typed", halfPoints, typed);

        r->SetPlainText(true);
        TStringStream s("Loaded\r\nplain");
        ASSERT_TRUE(r->LoadFromStream(&s));
        r->SetPlainText(false);
        check("plain load", "Loaded", halfPoints, typed);

        r->Lines()->SetText("From lines\r\n");
        check("lines", "From lines", halfPoints, typed);

        r->SetText("Set text");
        check("text", "Set text", halfPoints, typed);

        r->Clear();
        clip.SetData({{CF_TEXT, "Pasted"}});
        SendKey(r, 'V', TShiftState{ssCtrl});
        check("paste", "Pasted", halfPoints, typed);
    }
    ASSERT_TRUE(RenderControlToPng(f.Form, TestRunPath("richedit_font_size.png")));
    // RTF keeps its own size
    ASSERT_TRUE(r->StreamIn("{\\rtf1\\ansi\\fs20 small\\par}", true, false));
    EXPECT_EQ(r->SelAttributes().Size, 20);
}

TEST_F(RichEditTest, ContentSurvivesANewWindow) {
    r->SetDocument(Sample());
    r->SetParent(nullptr);
    r->SetParent(f.Form);
    f.Show();
    EXPECT_EQ(r->Document(), Sample());
    ASSERT_TRUE(RenderControlToPng(f.Form, TestRunPath("richedit.png")));
}

TEST(ShellOpen, OnlyWebAddressesOpen) {
    struct Case {
        const char* link;
        const char* address;
    };
    const Case cases[] = {
        {"http://example.org/", "http://example.org/"},
        {"HTTPS://example.org/a?b", "HTTPS://example.org/a?b"},
        {"ftp://files.example.org/x", "ftp://files.example.org/x"},
        {"mailto:someone@example.org", "mailto:someone@example.org"},
        {"www.example.org", "http://www.example.org"},
        {"  www.example.org  ", "http://www.example.org"},
        {"file:///etc/passwd", ""},
        {"/usr/bin/xterm", ""},
        {"C:\\Windows\\system32\\cmd.exe", ""},
        {"javascript:alert(1)", ""},
        {"http://", ""},
        {"http://exa mple.org", ""},
        {"", ""},
    };
    TTestShell shell;
    for (const Case& c : cases) {
        EXPECT_EQ(ShellWebAddress(c.link), c.address) << c.link;
        EXPECT_EQ(ShellOpenLink(c.link), *c.address != 0) << c.link;
    }
    EXPECT_EQ(shell.Opened().size(), 6u);
    EXPECT_EQ(shell.Opened()[4], "http://www.example.org");
}

}  // namespace

namespace {

// A rich edit whose drop rule a test sets, and which records what it was asked.
class TRuleRichEdit : public TRichEdit {
public:
    using TRichEdit::TRichEdit;
    unsigned Force = 0;  // 0: leave the effect
    std::vector<std::pair<bool, unsigned>> Asked;

protected:
    void DragDropEffect(bool Drop, TShiftState, unsigned& Effect) override {
        Asked.push_back({Drop, Effect});
        if (Drop && Force) Effect = Force;
    }
};

class RichEditDragTest : public ::testing::Test {
protected:
    TShownForm f;
    TRuleRichEdit* r = nullptr;
    void SetUp() override {
        r = new TRuleRichEdit(f.Form);
        r->SetParent(f.Form);
        r->SetBounds(10, 10, 360, 200);
        f.Show();
        TRtfDocument d;
        TRtfCharFormat bold = Font("DejaVu Sans", 24);
        bold.Bold = true;
        TRtfParagraph p;
        p.Runs = {d.Run("one ", Font("DejaVu Sans", 24)), d.Run("two", bold),
                  d.Run(" three", Font("DejaVu Sans", 24))};
        d.Paragraphs = {p};
        r->SetDocument(d);
        r->SetFocus();
    }
    // Selects "two" and starts dragging it with the mouse as the user does.
    // The toolkit's drag loop (which takes the button's release) ends at
    // once offscreen, so the test delivers the drop itself.
    void PressAndDrag() {
        r->SetSelStart(4);
        r->SetSelLength(3);
        const TPoint in = r->PosFromChar(5);
        SendMouseDown(r, mbLeft, in.X, in.Y + 3);
        SendMouseMove(r, in.X + 40, in.Y + 3, TShiftState{ssLeft});
        ASSERT_EQ(r->SelStart(), 4);
        ASSERT_EQ(r->SelLength(), 3);
    }
    TPoint At(int Pos) {
        const TPoint p = r->PosFromChar(Pos);
        return {p.X, p.Y + 3};
    }
};

}  // namespace

TEST_F(RichEditDragTest, AMoveWithinTheControlKeepsFormatsAndUndoesInOneStep) {
    PressAndDrag();
    const TPoint to = At(0);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, r), static_cast<unsigned>(deMove));
    EXPECT_EQ(r->Text(), "twoone  three");
    ASSERT_FALSE(r->Asked.empty());
    EXPECT_TRUE(r->Asked.back().first);
    EXPECT_EQ(r->Asked.back().second, static_cast<unsigned>(deCopy | deMove));
    r->SetSelStart(0);
    r->SetSelLength(3);
    unsigned mask = 0;
    EXPECT_TRUE(r->SelAttributes(&mask).Bold);
    EXPECT_TRUE(mask & cfmBold);
    EXPECT_EQ(r->SelLength(), 3);
    SendKey(r, 'Z', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "one two three");
}

TEST_F(RichEditDragTest, TheRuleDecidesBetweenCopyAndMove) {
    // Ctrl proposes a copy; the control's rule leaves it
    PressAndDrag();
    TPoint to = At(13);
    EXPECT_EQ(SendTextDrop(r, to.X + 2, to.Y, TShiftState{ssCtrl}, r), static_cast<unsigned>(deCopy));
    EXPECT_EQ(r->Text(), "one two threetwo");
    SendKey(r, 'Z', TShiftState{ssCtrl});
    EXPECT_EQ(r->Text(), "one two three");
    // a rule that copies turns a plain drop into a copy
    r->Force = deCopy;
    PressAndDrag();
    to = At(0);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, r), static_cast<unsigned>(deCopy));
    EXPECT_EQ(r->Text(), "twoone two three");
    // a rule asking for a link, which text never allows, refuses the drop
    r->Force = deLink;
    PressAndDrag();
    to = At(0);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, r), 0u);
    EXPECT_EQ(r->Text(), "twoone two three");
}

TEST_F(RichEditDragTest, RefusedDrops) {
    // onto its own selection
    PressAndDrag();
    TPoint to = At(5);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, r), 0u);
    EXPECT_EQ(r->Text(), "one two three");
    // beyond MaxLength a copy is refused; a move keeps the length and goes
    r->SetMaxLength(14);
    to = At(0);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, TShiftState{ssCtrl}, r), 0u);
    EXPECT_EQ(r->Text(), "one two three");
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, r), static_cast<unsigned>(deMove));
    EXPECT_EQ(r->Text(), "twoone  three");
    // another program's rich text counts a picture as the control holds it
    r->SetMaxLength(15);  // room for two bytes, not for a picture's three
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, nullptr, "x", "{\\rtf1 {\\pict\\pngblip 89504e47}}"), 0u);
    EXPECT_EQ(r->Text(), "twoone  three");
    r->SetMaxLength(0);
    // a read-only control takes nothing
    r->SetReadOnly(true);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, nullptr, "x"), 0u);
    EXPECT_EQ(r->Text(), "twoone  three");
}

TEST_F(RichEditDragTest, TextFromElsewhereIsInserted) {
    TRichEdit* other = new TRichEdit(f.Form);
    other->SetParent(f.Form);
    other->SetBounds(10, 220, 360, 60);
    other->SetText("from");
    const TPoint to = At(0);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, {}, nullptr, "plain\r\n"), static_cast<unsigned>(deMove));
    EXPECT_EQ(r->Text(), "plain\none two three");
    // another rich edit's selection comes with its rich text; its own text
    // stays (a move takes it away only when the drag ends at the source)
    other->SelectAll();
    other->SetSelAttributes(
        [] {
            TRtfCharFormat c;
            c.Italic = true;
            return c;
        }(),
        cfmItalic);
    EXPECT_EQ(SendTextDrop(r, to.X, to.Y, TShiftState{ssCtrl}, other), static_cast<unsigned>(deCopy));
    EXPECT_EQ(r->Text(), "fromplain\none two three");
    r->SetSelStart(0);
    r->SetSelLength(4);
    EXPECT_TRUE(r->SelAttributes().Italic);
    EXPECT_EQ(other->Text(), "from");
}
