// The rich edit's resize requests, the clipboard it leaves behind when it is
// freed, its scroll bars and its lines at a fixed width.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/richedit.h"
#include "platform/ui/testing.h"
#include "support/environment.h"
#include "support/ui/rich_edit_qt.h"
#include "support/ui/ui_probes.h"

namespace {

class RichEditEventsTest : public TRichEditOnFormTest {
protected:
    void SetUp() override {
        Place(200, 60);
        f.Show();
        r->SetFocus();
    }
    int ContentHeight() const {
        return static_cast<int>(std::ceil(Edit()->document()->documentLayout()->documentSize().height()));
    }
    // The lines the paragraph's layout has.
    int LinesOf(int Paragraph) const {
        const QTextBlock b = Edit()->document()->findBlockByNumber(Paragraph);
        return b.layout() ? b.layout()->lineCount() : 0;
    }
    qreal FirstLineWidth() const {
        const QTextBlock b = Edit()->document()->firstBlock();
        return b.layout() && b.layout()->lineCount() > 0 ? b.layout()->lineAt(0).naturalTextWidth() : 0;
    }
};

// Typing lines grows the content: each request holds the text's rectangle
// down to where the content ends, and a control sized from it shows every
// line without scrolling; deleting them shrinks it again.
TEST_F(RichEditEventsTest, TypedLinesAskForTheHeightTheyTake) {
    std::vector<TRect> asked;
    r->SetOnResizeRequest([&](TObject* Sender, const TRect& R) {
        EXPECT_EQ(Sender, r);
        asked.push_back(R);
        // grows with its content: the frame around the text stays
        r->SetHeight(R.Bottom + (r->Height() - r->ClientHeight()) + 2);
    });
    SendText(r, "first");
    Application->ProcessMessages();
    for (int i = 0; i < 6; ++i) {
        SendKey(r, VK_RETURN);
        SendText(r, "line " + std::to_string(i));
        Application->ProcessMessages();
    }
    ASSERT_GE(asked.size(), 6u);
    const QRect vp = Edit()->viewport()->geometry();
    for (std::size_t i = 1; i < asked.size(); ++i) EXPECT_GT(asked[i].Bottom, asked[i - 1].Bottom);
    const TRect last = asked.back();
    EXPECT_EQ(last.Left, vp.left());
    EXPECT_EQ(last.Top, vp.top());
    EXPECT_EQ(last.Right, vp.left() + vp.width());
    EXPECT_EQ(last.Bottom - last.Top, ContentHeight());
    // seven lines of the default font
    const int line = r->PosFromChar(r->LineIndex(1)).Y - r->PosFromChar(0).Y;
    EXPECT_GT(line, 8);
    EXPECT_NEAR(last.Bottom - last.Top, 7 * line, line / 2 + 4);
    // the control grew to show them all: nothing to scroll
    EXPECT_EQ(Edit()->verticalScrollBar()->maximum(), 0);
    EXPECT_GE(r->ClientHeight(), last.Bottom);
    // the same height again asks nothing
    const std::size_t before = asked.size();
    SendText(r, "x");
    Application->ProcessMessages();
    EXPECT_EQ(asked.size(), before);
    // deleted lines ask for less
    SendKey(r, 'A', TShiftState{ssCtrl});
    SendKey(r, VK_DELETE);
    Application->ProcessMessages();
    ASSERT_GT(asked.size(), before);
    EXPECT_LT(asked.back().Bottom - asked.back().Top, 2 * line);
    // without the request in the event mask nothing is asked
    r->SetEventMask(r->EventMask() & ~enmRequestResize);
    const std::size_t masked = asked.size();
    SendKey(r, VK_RETURN);
    SendKey(r, VK_RETURN);
    Application->ProcessMessages();
    EXPECT_EQ(asked.size(), masked);
}

// Freed while the clipboard holds its copy, the control asks whether the
// copy stays: no takes it off, yes keeps it; a clipboard that holds
// something else since is not asked about.
TEST_F(RichEditEventsTest, AFreedControlAsksWhetherItsCopyStaysOnTheClipboard) {
    TTestClipboard clip;
    struct TAsked {
        int Objects, Chars;
    };
    std::vector<TAsked> asked;
    bool answer = false;
    auto make = [&] {
        auto* e = new TRichEdit(f.Form);
        e->SetParent(f.Form);
        e->SetBounds(10, 80, 200, 60);
        e->SetOnSaveClipboard([&](TObject*, int Objects, int Chars, bool& Save) {
            asked.push_back({Objects, Chars});
            Save = answer;
        });
        TRtfDocument d;
        TRtfRun pic;
        pic.Raw = "{\\pict\\wmetafile8\\picwgoal720\\pichgoal360 0102}";
        d.Paragraphs = {{{}, {{"Hello ", {}, {}}, pic, {" w\xC3\xB6rld", {}, {}}}}};
        e->SetDocument(d);
        e->SetFocus();
        return e;
    };
    // the picture and "Hello " and " wö": one object, nine characters
    TRichEdit* e = make();
    e->SetSelStart(0);
    e->SetSelLength(13);
    SendKey(e, 'C', TShiftState{ssCtrl});
    ASSERT_EQ(clip.GetData().at(CF_TEXT).substr(0, 6), "Hello ");
    delete e;
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Objects, 1);
    EXPECT_EQ(asked[0].Chars, 9);
    EXPECT_TRUE(clip.GetData().empty());
    // kept
    answer = true;
    e = make();
    e->SetSelStart(0);
    e->SetSelLength(5);
    SendKey(e, 'X', TShiftState{ssCtrl});  // a cut is a copy too
    delete e;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].Objects, 0);
    EXPECT_EQ(asked[1].Chars, 5);
    EXPECT_EQ(clip.GetData().at(CF_TEXT), "Hello");
    // the clipboard took something else since: not asked, not cleared
    e = make();
    e->SetSelStart(0);
    e->SetSelLength(5);
    SendKey(e, 'C', TShiftState{ssCtrl});
    clip.SetData({{CF_TEXT, "other"}});
    delete e;
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(clip.GetData().at(CF_TEXT), "other");
    // a control that copied nothing is not asked
    e = make();
    delete e;
    EXPECT_EQ(asked.size(), 2u);
}

// HideScrollBars (the default) shows a named scroll bar only while the
// content needs it; off, the bar shows disabled on short content and comes
// to life when the content passes the window.
TEST_F(RichEditEventsTest, ScrollBarsNotNeededAreHiddenOrShownDisabled) {
    r->SetScrollBars(ssVertical);  // set on a window that exists
    SendText(r, "short");
    Application->ProcessMessages();
    QScrollBar* bar = Edit()->verticalScrollBar();
    EXPECT_TRUE(r->HideScrollBars());
    EXPECT_FALSE(bar->isVisible());
    r->SetHideScrollBars(false);
    Application->ProcessMessages();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->isEnabled());
    TBitmap shot;
    GrabShownControl(r, &shot);
    shot.SaveToFile(TestRunPath("richedit_disabled_scrollbar.png"));
    for (int i = 0; i < 8; ++i) SendKey(r, VK_RETURN);
    Application->ProcessMessages();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_GT(bar->maximum(), 0);
    // hidden again while needed it shows, enabled
    r->SetHideScrollBars(true);
    Application->ProcessMessages();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->isEnabled());
    // no bar named: none shows however long the content
    r->SetScrollBars(ssNone);
    Application->ProcessMessages();
    EXPECT_FALSE(bar->isVisible());
}

// Lines wrap at a fixed width past the window's and scroll sideways; back
// at 0 they wrap at the window again.
TEST_F(RichEditEventsTest, LinesWrapAtAFixedWidthPastTheWindow) {
    r->SetBounds(10, 10, 300, 120);
    std::string words;
    for (int i = 0; i < 60; ++i) words += "word" + std::to_string(i) + " ";
    SendText(r, words);
    Application->ProcessMessages();
    const int atWindow = LinesOf(0);
    r->SetLineWidth(628);
    Application->ProcessMessages();
    const int atWidth = LinesOf(0);
    EXPECT_GT(atWindow, atWidth * 2 - 1);
    // the first line ends past the window, within the width
    ASSERT_GT(LinesOf(0), 1);
    const qreal first = FirstLineWidth();
    EXPECT_GT(first, r->ClientWidth());
    EXPECT_LE(first, 628);
    EXPECT_GT(first, 628 - 80);
    QScrollBar* h = Edit()->horizontalScrollBar();
    EXPECT_TRUE(h->isVisible());
    EXPECT_GT(h->maximum(), 628 - r->ClientWidth() - 40);
    TBitmap shot;
    GrabShownControl(r, &shot);
    shot.SaveToFile(TestRunPath("richedit_line_width.png"));
    // a new window keeps it
    r->SetParent(nullptr);
    r->SetParent(f.Form);
    r->HandleNeeded();
    Application->ProcessMessages();
    EXPECT_EQ(Edit()->lineWrapColumnOrWidth(), 628);
    EXPECT_GT(FirstLineWidth(), r->ClientWidth());
    EXPECT_LE(FirstLineWidth(), 628);
    r->SetLineWidth(0);
    Application->ProcessMessages();
    EXPECT_LE(FirstLineWidth(), r->ClientWidth());
    EXPECT_GT(LinesOf(0), atWidth * 2 - 1);
    EXPECT_FALSE(Edit()->horizontalScrollBar()->isVisible());
}

}  // namespace
