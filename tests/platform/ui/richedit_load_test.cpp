// Large documents in the rich edit: laid out in steps from the event loop
// (what shows first), words too long for a line, and a paragraph too tall
// for the toolkit's layout; the content is whole in every case.
#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/richedit.h"
#include "platform/ui/testing.h"
#include "support/environment.h"
#include "support/ui/rich_edit_qt.h"
#include "support/ui/ui_probes.h"

namespace {

TRtfCharFormat Face(int halfPoints, bool bold = false) {
    TRtfCharFormat f;
    f.FontName = "DejaVu Sans";
    f.Size = halfPoints;
    f.Bold = bold;
    return f;
}

// Paragraphs of a plain and a bold run, indented every other one.
TRtfDocument ManyParagraphs(int Count) {
    TRtfDocument d;
    for (int i = 0; i < Count; ++i) {
        TRtfParagraph p;
        p.Format.LeftIndent = i % 2 ? 360 : 0;
        p.Runs = {d.Run("Paragraph " + std::to_string(i) + " of the long document, ", Face(20)),
                  d.Run("bold words " + std::to_string(i), Face(20, true))};
        d.Paragraphs.push_back(std::move(p));
    }
    return d;
}

class RichEditLoadTest : public TRichEditOnFormTest {
protected:
    void SetUp() override {
        Place(360, 200);
        f.Show();
    }
    static bool LaidOut(const QTextBlock& b) { return b.layout() && b.layout()->lineCount() > 0; }
    bool AllLaidOut() const { return LaidOut(Edit()->document()->lastBlock()); }
    // Dark pixels of the edit's visible text.
    int InkPixels() const {
        const QImage img = Edit()->viewport()->grab().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128) ++n;
        return n;
    }
};

// What shows is laid out at once; the rest from the event loop, in steps
// with other events between them, and the content is whole all along.
TEST_F(RichEditLoadTest, ALargeDocumentIsLaidOutInStepsWhatShowsFirst) {
    const TRtfDocument d = ManyParagraphs(4000);
    for (const bool viaRtf : {false, true}) {
        SCOPED_TRACE(viaRtf ? "RTF" : "document");
        if (viaRtf)
            ASSERT_TRUE(r->StreamIn(RtfWrite(d), true, false));
        else
            r->SetDocument(d);
        QTextDocument* doc = Edit()->document();
        EXPECT_TRUE(LaidOut(doc->firstBlock()));
        EXPECT_FALSE(AllLaidOut());
        EXPECT_GT(InkPixels(), 500);
        EXPECT_FALSE(AllLaidOut());
        if (viaRtf) {
            EXPECT_TRUE(RenderControlToPng(f.Form, TestRunPath("richedit_large.png")));
        }
        EXPECT_EQ(r->Document(), d);
        EXPECT_EQ(r->LineCount(), 4000);
        EXPECT_EQ(r->Line(3999), "Paragraph 3999 of the long document, bold words 3999");

        // an event posted now is handled before the layout ends
        bool handled = false, laidOutWhenHandled = true;
        QTimer::singleShot(0, [&] {
            handled = true;
            laidOutWhenHandled = AllLaidOut();
        });
        int passes = 0;
        EXPECT_TRUE(WaitUntil(
            [&] {
                ++passes;
                return AllLaidOut();
            },
            600000));
        EXPECT_TRUE(handled);
        EXPECT_FALSE(laidOutWhenHandled);
        EXPECT_GT(passes, 2);
        // the end is where the scroll bar takes it
        r->SetSelStart(static_cast<int>(r->Text().size()));
        EXPECT_GT(r->PosFromChar(static_cast<int>(r->Text().size())).Y, 0);
        EXPECT_EQ(r->Document(), d);
    }
}

// A word longer than any line breaks anywhere (found once, not again for
// each of its lines); the next document without one breaks between words.
TEST_F(RichEditLoadTest, AWordLongerThanAnyLineBreaksAnywhere) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\pard\\f0\\fs20 start ";
    for (int i = 0; i < 20000; ++i) rtf += "{\\b x}";
    rtf += " end\\par}";
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    EXPECT_EQ(Edit()->wordWrapMode(), QTextOption::WrapAnywhere);
    EXPECT_EQ(r->Text(), "start " + std::string(20000, 'x') + " end");
    const TRtfDocument d = r->Document();
    ASSERT_EQ(d.Paragraphs.size(), 1u);
    ASSERT_EQ(d.Paragraphs[0].Runs.size(), 3u);
    EXPECT_TRUE(d.FormatOf(d.Paragraphs[0].Runs[1]).Bold);
    EXPECT_EQ(d.Paragraphs[0].Runs[1].Text.size(), 20000u);
    EXPECT_FALSE(d.FormatOf(d.Paragraphs[0].Runs[2]).Bold);
    // the word takes many lines of the edit
    EXPECT_GT(r->PosFromChar(6 + 20000).Y - r->PosFromChar(6).Y, 100);
    // round trip through RTF
    const std::string out = r->StreamOut(true, false);
    ASSERT_TRUE(r->StreamIn(out, true, false));
    EXPECT_EQ(r->Document(), d);

    ASSERT_TRUE(r->StreamIn("{\\rtf1 two words}", true, false));
    EXPECT_EQ(Edit()->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    EXPECT_EQ(r->Text(), "two words");
}

// A paragraph that could pass the height the toolkit's layout holds (whose
// layout would then never end) is wrapped at a width that keeps it under
// that height, not shown on one line (which every paint drew whole); the
// others wrap there too, and the content is whole.
TEST_F(RichEditLoadTest, AParagraphTooTallToWrapIsWrappedWideEnough) {
    r->SetBounds(10, 10, 80, 120);
    TRtfDocument d;
    TRtfParagraph tall, small;
    std::string words;
    while (words.size() < 45000) words += "ab ";
    tall.Runs = {d.Run(words, Face(144))};
    small.Runs = {d.Run("short words that wrap", Face(20))};
    d.Paragraphs = {small, tall, small};
    r->SetDocument(d);
    EXPECT_EQ(r->Document(), d);
    const int tallStart = static_cast<int>(small.Runs[0].Text.size()) + 1;
    const int tallEnd = tallStart + static_cast<int>(words.size()) - 1;
    EXPECT_GT(r->PosFromChar(tallEnd).Y, r->PosFromChar(tallStart).Y);
    EXPECT_GT(r->PosFromChar(tallStart - 2).Y, r->PosFromChar(0).Y);  // the first still wraps
    ASSERT_TRUE(WaitUntil([&] { return AllLaidOut(); }, 600000));
    const QTextLayout* layout = Edit()->document()->findBlockByNumber(1).layout();
    EXPECT_GT(layout->lineCount(), 1000);
    EXPECT_LT(layout->boundingRect().height(), 4e6);
    const std::string rtf = r->StreamOut(true, false);
    r->Clear();
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    EXPECT_EQ(r->Document(), d);

    // lines of a fixed width, or none, are as wide as it needs too
    const qreal wide = Edit()->document()->pageSize().width();
    for (const bool wrap : {true, false}) {
        SCOPED_TRACE(wrap ? "fixed width" : "no wrap");
        r->SetWordWrap(wrap);
        r->SetLineWidth(wrap ? 40 : 0);
        EXPECT_EQ(Edit()->lineWrapMode(), QTextEdit::FixedPixelWidth);
        EXPECT_EQ(Edit()->document()->pageSize().width(), wide);
        ASSERT_TRUE(WaitUntil([&] { return AllLaidOut(); }, 600000));
        EXPECT_GT(Edit()->document()->findBlockByNumber(1).layout()->lineCount(), 1000);
    }
    EXPECT_EQ(r->Document(), d);
}

// A paragraph too tall to wrap, in a shown edit with the focus, loaded or
// pasted: its lines are no wider than it needs and scroll sideways,
// the keys move and type in it, and it saves back as it was typed. A
// document without one wraps at the window's width again.
TEST_F(RichEditLoadTest, TypingInAParagraphTooTallToWrap) {
    std::string words;
    while (words.size() < 300000) words += "abc de ";
    TRtfDocument d;
    TRtfParagraph tall, small;
    tall.Runs = {d.Run(words, Face(144))};
    small.Runs = {d.Run("end", Face(20))};
    d.Paragraphs = {tall, small};
    QTextDocument* doc = Edit()->document();
    auto check = [&](const char* how) {
        SCOPED_TRACE(how);
        ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
        const int view = Edit()->viewport()->width();
        const qreal width = doc->pageSize().width();
        EXPECT_GT(width, view);
        EXPECT_LT(width, 4 * view);
        const QTextLayout* layout = doc->firstBlock().layout();
        ASSERT_GT(layout->lineCount(), 5000);
        qreal widest = 0;
        for (int i = 0; i < layout->lineCount(); ++i)
            widest = std::max(widest, layout->lineAt(i).naturalTextWidth());
        EXPECT_LE(widest, width);
        EXPECT_LT(layout->boundingRect().height(), 4e6);
        EXPECT_GT(Edit()->horizontalScrollBar()->maximum(), 0);
        EXPECT_TRUE(Edit()->horizontalScrollBar()->isVisible());
        EXPECT_GT(InkPixels(), 100);
    };
    r->SetFocus();
    r->SetDocument(d);
    check("document");
    // a key moves the caret and a letter goes in where it is
    r->SetSelStart(7);
    SendKey(r, VK_RIGHT);
    SendText(r, "X");
    EXPECT_EQ(r->SelStart(), 9);
    EXPECT_EQ(r->Line(0).substr(0, 14), "abc de aXbc de");
    SendKey(r, VK_END, TShiftState{ssCtrl});
    SendText(r, "!");
    EXPECT_EQ(r->Line(1), "end!");
    TRtfDocument typed = d;
    typed.Paragraphs[0].Runs[0].Text.insert(8, "X");
    typed.Paragraphs[1].Runs[0].Text += "!";
    const std::string rtf = r->StreamOut(true, false);
    EXPECT_EQ(r->Document(), typed);

    ASSERT_TRUE(r->StreamIn("{\\rtf1 two words}", true, false));
    EXPECT_EQ(Edit()->lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(doc->pageSize().width(), Edit()->viewport()->width());

    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    check("RTF");
    EXPECT_EQ(r->Document(), typed);

    r->SetText("start end");
    r->SetSelStart(6);
    ASSERT_TRUE(r->StreamIn(rtf, true, true));
    check("paste");
    EXPECT_EQ(r->Line(0).substr(0, 10), "start abc ");
    EXPECT_EQ(r->Line(1), "end!end");
}

// Two paragraphs that wrap, joined into one too tall to wrap by Delete or
// Backspace, or by an undo: the joined one is wrapped wide before its layout.
TEST_F(RichEditLoadTest, AParagraphJoinedTooTallToWrapIsWrappedWide) {
    r->SetBounds(10, 10, 80, 120);
    std::string words;
    while (words.size() < 30000) words += "ab ";
    TRtfDocument d;
    TRtfParagraph half;
    half.Runs = {d.Run(words, Face(144))};
    d.Paragraphs = {half, half};
    QTextDocument* doc = Edit()->document();
    auto check = [&](const char* how, int paragraphs) {
        SCOPED_TRACE(how);
        EXPECT_EQ(doc->blockCount(), paragraphs);
        EXPECT_EQ(Edit()->lineWrapMode(), QTextEdit::FixedPixelWidth);
        EXPECT_GT(doc->pageSize().width(), Edit()->viewport()->width());
        ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
        EXPECT_LT(doc->firstBlock().layout()->boundingRect().height(), 4e6);
    };
    const int joint = static_cast<int>(words.size());
    r->SetFocus();
    for (const uint16_t key : {VK_DELETE, VK_BACK}) {
        r->SetDocument(d);
        ASSERT_EQ(Edit()->lineWrapMode(), QTextEdit::WidgetWidth);  // each wraps at the window's width
        r->SetSelStart(key == VK_DELETE ? joint : joint + 1);
        SendKey(r, key);
        check(key == VK_DELETE ? "Delete" : "Backspace", 1);
        EXPECT_EQ(r->Line(0), words + words);
    }
    // split again by Enter and joined by its undo
    r->SetDocument(d);
    r->SetSelStart(joint);
    SendKey(r, VK_DELETE);
    r->SetSelStart(joint);
    SendKey(r, VK_RETURN);
    EXPECT_EQ(doc->blockCount(), 2);
    SendKey(r, 'Z', TShiftState{ssCtrl});
    check("undo", 1);
    EXPECT_EQ(r->Text(), words + words);
}

// A letter typed, deleted or pasted where the toolkit lays a long paragraph
// out again whole shows the busy cursor meanwhile; in a short one it does not.
TEST_F(RichEditLoadTest, ChangingALongParagraphShowsTheBusyCursor) {
    TTestClipboard clip;
    std::string words;
    while (words.size() < 300000) words += "abc de ";
    r->SetText(words + "\nshort");
    std::vector<TCursor> during;
    r->SetOnChange([&](TObject*) { during.push_back(Screen->Cursor()); });
    r->SetFocus();
    r->SetSelStart(10);
    SendText(r, "x");
    SendKey(r, VK_BACK);
    SendKey(r, VK_DELETE);
    Clipboard()->SetAsText("pasted");
    SendKey(r, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(during, std::vector<TCursor>(4, crHourGlass));
    EXPECT_EQ(r->Line(0).substr(0, 16), "abc de abcpasted");
    during.clear();
    r->SetSelStart(static_cast<int>(words.size()) + 6);  // the second line
    SendText(r, "y");
    SendKey(r, VK_BACK);
    EXPECT_EQ(during, std::vector<TCursor>(2, crDefault));
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(r->Line(1), "short");
}

// Plain text of a line too tall to wrap in a narrow edit is wrapped wide too.
TEST_F(RichEditLoadTest, APlainLineTooTallToWrapIsWrappedWide) {
    r->SetBounds(10, 10, 80, 120);
    r->Font()->SetSize(10);  // plain text takes the Font's size: too tall at 10 points
    std::string words;
    while (words.size() < 3400000) words += "abc de ";
    r->SetText(words + "\nend");
    QTextDocument* doc = Edit()->document();
    EXPECT_GT(doc->pageSize().width(), Edit()->viewport()->width() + 50);
    EXPECT_EQ(Edit()->lineWrapMode(), QTextEdit::FixedPixelWidth);
    EXPECT_GT(Edit()->horizontalScrollBar()->maximum(), 0);
    ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
    EXPECT_LT(doc->firstBlock().layout()->boundingRect().height(), 4e6);
    EXPECT_EQ(r->Line(0), words);
    EXPECT_EQ(r->Line(1), "end");
}

// Printing and cells take a paragraph too tall to wrap in lines wrapped at
// their own width, as they take a paragraph of the same words short enough
// to wrap: from its start and from a word within it, page and cell alike.
TEST_F(RichEditLoadTest, PagesAndCellsOfAParagraphTooTallToWrapHoldItsWrappedLines) {
    // words bold and plain by turns
    auto words = [](std::size_t chars) {
        TRtfDocument d;
        TRtfParagraph p;
        for (std::size_t i = 0; 3 * i < chars; ++i) p.Runs.push_back(d.Run("ab ", Face(144, i % 2 == 0)));
        d.Paragraphs = {p};
        return d;
    };
    struct TPage {
        int Next = 0;
        std::vector<TColor> Pixels;
    };
    // a 4 x 4 inch page and a cell of 1.5 x 1.1 inches, the last line cut
    auto draw = [&](int From, bool Page) {
        TBitmap bmp;
        bmp.SetSize(400, 400);
        bmp.Canvas()->Brush()->SetColor(clWhite);
        bmp.Canvas()->FillRect(TRect{0, 0, 400, 400});
        TPage page;
        if (Page)
            page.Next = r->FormatRange(bmp.Canvas(), 96, From, TRect{144, 144, 144 + 5760, 144 + 5760});
        else
            r->DrawRange(bmp.Canvas(), 96, From, TRect{144, 144, 144 + 2160, 144 + 1584});
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x) page.Pixels.push_back(bmp.Canvas()->Pixels(x, y));
        bmp.SaveToFile(TestRunPath(std::string("richedit_tall_") + (Page ? "page_" : "cell_") +
                                   std::to_string(From) + ".png"));
        return page;
    };
    auto inked = [](const TPage& p) {
        return std::count_if(p.Pixels.begin(), p.Pixels.end(), [](TColor c) { return (c & 0xFF) < 128; });
    };
    r->SetDocument(words(3000));
    ASSERT_EQ(Edit()->lineWrapMode(), QTextEdit::WidgetWidth);  // short enough to wrap
    const TPage page = draw(0, true), cell = draw(0, false);
    ASSERT_GT(page.Next, 10);
    EXPECT_GT(inked(page), 1000);
    EXPECT_GT(inked(cell), 1000);

    r->SetDocument(words(72000));
    ASSERT_EQ(Edit()->lineWrapMode(), QTextEdit::FixedPixelWidth);  // too tall: wrapped wide
    const TPage tallPage = draw(0, true);
    EXPECT_EQ(tallPage.Next, page.Next);
    EXPECT_TRUE(tallPage.Pixels == page.Pixels);
    EXPECT_TRUE(draw(0, false).Pixels == cell.Pixels);
    // from a word within it: the same words, the same page
    const TPage within = draw(30000, true);
    EXPECT_EQ(within.Next, 30000 + page.Next);
    EXPECT_TRUE(within.Pixels == page.Pixels);
    EXPECT_TRUE(draw(30000, false).Pixels == cell.Pixels);
    // the last page ends the document
    EXPECT_EQ(r->FormatRange(nullptr, 96, 71990, TRect{0, 0, 5760, 5760}, false), 72000);
}

// A document taller than the toolkit's layout holds on a page of unbounded
// height (whose layout would never end there) is laid out to its end; a
// narrower window lays it out again. The content is whole.
TEST_F(RichEditLoadTest, ADocumentTallerThanAnUnboundedPageHoldsIsLaidOutToItsEnd) {
    TRtfDocument d;
    for (int i = 0; i < 10000; ++i) {
        TRtfParagraph p;
        p.Format.SpaceAfter = 20000;  // 1333 pixels
        p.Runs = {d.Run("tall " + std::to_string(i), Face(20))};
        d.Paragraphs.push_back(std::move(p));
    }
    r->SetDocument(d);
    for (const int width : {360, 200}) {
        r->SetBounds(10, 10, width, 200);
        ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000)) << width;
        QTextDocument* doc = Edit()->document();
        EXPECT_GT(doc->size().height(), 13e6);
        EXPECT_TRUE(doc->lastBlock().isVisible());
        EXPECT_GT(InkPixels(), 20);
    }
    EXPECT_EQ(r->Document(), d);
    EXPECT_EQ(r->Line(9999), "tall 9999");
}

// A long paragraph keeps its shaped glyphs after its layout, so painting a
// part of it (the caret's blink, a key) does not shape it whole again; short
// ones do not hold theirs. Every road in: document, RTF, plain text, paste.
TEST_F(RichEditLoadTest, ALongParagraphKeepsItsShapedGlyphs) {
    TRtfDocument d;
    TRtfParagraph small, longOne;
    small.Runs = {d.Run("a short paragraph", Face(20))};
    std::string words;
    while (words.size() < 70000) words += "word ";
    longOne.Runs = {d.Run(words.substr(0, 30000), Face(20)), d.Run(words.substr(0, 40000), Face(20, true))};
    d.Paragraphs = {small, longOne, small};
    auto kept = [&](int block) {
        const QTextBlock b = Edit()->document()->findBlockByNumber(block);
        return b.isValid() && b.layout() && b.layout()->cacheEnabled();
    };
    auto check = [&](const char* how, int longBlock) {
        SCOPED_TRACE(how);
        ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
        EXPECT_FALSE(kept(0));
        EXPECT_TRUE(kept(longBlock));
        EXPECT_FALSE(kept(longBlock + 1));
    };
    r->SetDocument(d);
    check("document", 1);
    EXPECT_EQ(r->Document(), d);
    // a key in the long paragraph keeps it so; the content is whole
    r->SetSelStart(20);
    SendText(r, "x");
    EXPECT_TRUE(kept(1));
    EXPECT_EQ(r->Line(1).substr(0, 4), "woxr");

    const std::string rtf = RtfWrite(d);
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    check("RTF", 1);
    EXPECT_EQ(r->Document(), d);

    r->SetText("short\n" + words + "\nshort");
    check("plain text", 1);
    EXPECT_EQ(r->Line(1), words);

    r->SetText("start end");
    r->SetSelStart(6);
    ASSERT_TRUE(r->StreamIn(rtf, true, true));
    check("paste", 1);
    EXPECT_EQ(r->Line(0), "start a short paragraph");
    EXPECT_EQ(r->Line(1), words.substr(0, 30000) + words.substr(0, 40000));
}

// Long paragraphs keep their glyphs only within the budget of all rich edits
// together: at the load while it has room, then the ones shown or typed in
// last, the one shown longest ago giving its glyphs up. Past the budget a
// paragraph not shown is shaped when painted; the document shows, edits and
// saves the same.
TEST_F(RichEditLoadTest, LongParagraphsKeepTheirGlyphsWithinTheBudget) {
    struct TRestore {
        ~TRestore() { TCustomRichEdit::SetGlyphBudget(0); }
    } restore;
    std::string words;
    while (words.size() < 70000) words += "word ";
    TRtfDocument d;
    for (int i = 0; i < 5; ++i) {
        TRtfParagraph longOne, small;
        longOne.Runs = {d.Run(std::to_string(i) + words, Face(20))};
        small.Runs = {d.Run("short " + std::to_string(i), Face(20))};
        d.Paragraphs.push_back(longOne);
        if (i < 4) d.Paragraphs.push_back(small);
    }
    // room for two and a half long paragraphs
    TCustomRichEdit::SetGlyphBudget(words.size() * 5 / 2 * TCustomRichEdit::GlyphBytesPerChar);
    QTextDocument* doc = Edit()->document();
    auto kept = [&] {
        std::vector<int> blocks;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            if (b.layout() && b.layout()->cacheEnabled()) blocks.push_back(b.blockNumber());
        return blocks;
    };
    auto show = [&](int Paragraph, int Offset) {
        r->SetSelStart(r->LineIndex(Paragraph) + Offset);
        EXPECT_GT(InkPixels(), 100);  // painted
    };
    r->SetDocument(d);
    ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
    EXPECT_GT(InkPixels(), 100);
    EXPECT_EQ(kept(), (std::vector<int>{0, 2}));
    show(8, 50000);
    EXPECT_EQ(kept(), (std::vector<int>{0, 8}));  // 2 was shown longest ago
    show(4, 10);
    SendText(r, "x");
    EXPECT_EQ(kept(), (std::vector<int>{4, 8}));
    EXPECT_EQ(r->Line(4).substr(0, 12), "2word wordx ");
    show(8, 10);
    show(0, 10);
    EXPECT_EQ(kept(), (std::vector<int>{0, 8}));
    TRtfDocument typed = d;
    typed.Paragraphs[4].Runs[0].Text.insert(10, "x");
    EXPECT_EQ(r->Document(), typed);
    const std::string rtf = r->StreamOut(true, false);
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    EXPECT_EQ(r->Document(), typed);

    // a smaller budget gives glyphs up at once; the paragraph shown keeps
    // its own past it (shaped at every paint it would hold the window)
    TCustomRichEdit::SetGlyphBudget(words.size() * 3 / 2 * TCustomRichEdit::GlyphBytesPerChar);
    EXPECT_EQ(kept().size(), 1u);
    TCustomRichEdit::SetGlyphBudget(1000);
    EXPECT_TRUE(kept().empty());
    show(2, 10);  // scrolled down to it: the end of 0 shows above it
    EXPECT_EQ(kept(), (std::vector<int>{0, 2}));
    show(6, 10);
    EXPECT_EQ(kept(), (std::vector<int>{4, 6}));
    show(2, 10);  // scrolled up to it: it alone shows
    SendText(r, "y");
    EXPECT_EQ(kept(), (std::vector<int>{2}));
    // two shown at once (the end of one, the start of the next) both keep theirs
    show(0, static_cast<int>(words.size()) - 10);
    EXPECT_EQ(kept(), (std::vector<int>{0, 2}));
    EXPECT_EQ(r->Line(2).substr(0, 12), "1word wordy ");
}

// Paragraphs of one format in a row go in together: what loads is the
// document as it was, paragraph by paragraph and format by format, through
// empty paragraphs, line breaks, tabs, Unicode and changes of either format;
// it saves back the same and pastes whole.
TEST_F(RichEditLoadTest, RowsOfPlainParagraphsLoadAsTheyWere) {
    TRtfDocument d;
    auto para = [&](std::vector<TRtfRun> runs, int indent = 0, bool bullet = false) {
        TRtfParagraph p;
        p.Format.LeftIndent = indent;
        p.Format.Bullet = bullet;
        p.Runs = std::move(runs);
        d.Paragraphs.push_back(std::move(p));
    };
    const TRtfCharFormat plain = Face(20), bold = Face(20, true), big = Face(28);
    for (int i = 0; i < 300; ++i) {
        switch (i % 10) {
        case 3: para({}); break;  // empty
        case 4: para({d.Run("caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80 " + std::to_string(i), plain)}); break;
        case 5: para({d.Run("two\nlines\tand a tab", plain)}); break;  // a line break
        case 6: para({d.Run("indented " + std::to_string(i), plain)}, 720); break;
        case 7: para({d.Run("bold " + std::to_string(i), bold)}); break;
        case 8: para({d.Run("big " + std::to_string(i), big)}); break;
        case 9: para({d.Run("item " + std::to_string(i), plain)}, 0, true); break;
        default: para({d.Run("line " + std::to_string(i), plain)}); break;
        }
    }
    para({d.Run("mixed ", plain), d.Run("runs", bold)});
    para({d.Run("after", plain)});
    para({});
    r->SetDocument(d);
    EXPECT_EQ(r->Document(), d);
    EXPECT_EQ(Edit()->document()->blockCount(), 303);
    EXPECT_EQ(r->Line(4), "caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80 4");
    const std::string rtf = r->StreamOut(true, false);
    r->Clear();
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    EXPECT_EQ(r->Document(), d);
    EXPECT_EQ(r->StreamOut(true, false), rtf);

    // plain text: a line a paragraph, empty lines kept
    ASSERT_TRUE(r->StreamIn("one\r\ntwo\r\n\r\nfour\r\n", false, false));
    EXPECT_EQ(r->Text(), "one\ntwo\n\nfour\n");
    EXPECT_EQ(Edit()->document()->blockCount(), 5);

    // pasted inside a line: its first paragraph joins that line, the rest follow whole
    r->SetText("startend");
    r->SetSelStart(5);
    ASSERT_TRUE(r->StreamIn(rtf, true, true));
    const TRtfDocument pasted = r->Document();
    ASSERT_EQ(pasted.Paragraphs.size(), d.Paragraphs.size());
    EXPECT_EQ(r->Line(0), "startline 0");
    for (std::size_t i = 1; i + 1 < d.Paragraphs.size(); ++i) {
        EXPECT_EQ(pasted.Paragraphs[i].Format, d.Paragraphs[i].Format) << i;
        EXPECT_EQ(pasted.Paragraphs[i].Runs.size(), d.Paragraphs[i].Runs.size()) << i;
        for (std::size_t k = 0; k < d.Paragraphs[i].Runs.size() && k < pasted.Paragraphs[i].Runs.size();
             ++k) {
            EXPECT_EQ(pasted.Paragraphs[i].Runs[k].Text, d.Paragraphs[i].Runs[k].Text) << i;
            EXPECT_EQ(pasted.FormatOf(pasted.Paragraphs[i].Runs[k]), d.FormatOf(d.Paragraphs[i].Runs[k]))
                << i;
        }
    }
    EXPECT_EQ(r->Line(302), "end");
}

}  // namespace
