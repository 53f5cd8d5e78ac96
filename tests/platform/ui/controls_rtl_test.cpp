// Small controls run right to left: buttons swap the glyph's side, edits
// read and align from the right, check boxes, lists, labels, radio groups
// and the navigator mirror.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/files.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/drawing.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/radiogroup.h"
#include "platform/ui/richedit.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "support/environment.h"
#include "support/ui/mirror_compare.h"
#include "support/ui/ui_probes.h"

namespace {

template <class T>
T* PlaceRtl(TWinControl* Parent, int X, int Y, int W, int H) {
    auto* c = new T(Parent);
    c->SetParent(Parent);
    c->SetBounds(X, Y, W, H);
    return c;
}

// The columns holding pixels of Color; Left > Right when there are none.
TInkSpan ColorSpan(TBitmap& Shot, TColor Color) {
    TInkSpan s{Shot.Width(), -1};
    for (int y = 0; y < Shot.Height(); ++y)
        for (int x = 0; x < Shot.Width(); ++x)
            if (Shot.Canvas()->Pixels(x, y) == Color) {
                s.Left = std::min(s.Left, x);
                s.Right = std::max(s.Right, x);
            }
    return s;
}

// A 16 x 16 glyph: olive with a red square in the middle.
std::unique_ptr<TBitmap> RedSquareGlyph() {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(16, 16);
    b->Canvas()->Brush()->SetColor(clOlive);
    b->Canvas()->FillRect(Rect(0, 0, 16, 16));
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(Rect(4, 4, 12, 12));
    return b;
}

class ControlsRtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Form->SetColor(clBtnFace);
        f.Show();
    }
    std::string RtlPng(const std::string& Name) { return TestRunPath("controls_rtl_" + Name + ".png"); }
    TShownForm f;
};

TEST_F(ControlsRtlTest, ButtonGlyphsSwapSidesRightToLeft) {
    auto glyph = RedSquareGlyph();
    struct Case {
        TButtonLayout Layout;
        TBiDiMode Mode;
        bool GlyphOnTheRight;
    } cases[] = {{blGlyphLeft, bdLeftToRight, false},
                 {blGlyphLeft, bdRightToLeft, true},
                 {blGlyphRight, bdLeftToRight, true},
                 {blGlyphRight, bdRightToLeft, false},
                 {blGlyphLeft, bdRightToLeftReadingOnly, false}};
    int n = 0;
    for (const Case& c : cases) {
        auto* speed = PlaceRtl<TSpeedButton>(f.Form, 10, 10 + 30 * n, 100, 25);
        auto* bit = PlaceRtl<TBitBtn>(f.Form, 120, 10 + 30 * n++, 100, 25);
        for (TControl* b : {static_cast<TControl*>(speed), static_cast<TControl*>(bit)}) {
            b->SetCaption("Save");
            b->SetBiDiMode(c.Mode);
        }
        speed->SetGlyph(glyph.get());
        speed->SetLayout(c.Layout);
        bit->SetGlyph(glyph.get());
        bit->SetLayout(c.Layout);
        for (TControl* b : {static_cast<TControl*>(speed), static_cast<TControl*>(bit)}) {
            TBitmap shot;
            RenderControl(b, &shot);
            const TInkSpan red = ColorSpan(shot, clRed);
            ASSERT_FALSE(red.Empty()) << b->ClassName() << " " << n;
            EXPECT_EQ(red.Left >= 50, c.GlyphOnTheRight) << b->ClassName() << " " << n << " at " << red.Left;
        }
        if (c.Mode == bdRightToLeft && c.Layout == blGlyphLeft) {
            EXPECT_TRUE(RenderControlToPng(speed, RtlPng("speed_button")));
            EXPECT_TRUE(RenderControlToPng(bit, RtlPng("bit_button")));
        }
    }
}

TEST_F(ControlsRtlTest, EditReadsAndAlignsFromTheRight) {
    auto* edit = PlaceRtl<TEdit>(f.Form, 10, 10, 200, 21);
    edit->SetText("abc");
    TBitmap ltr;
    RenderControl(edit, &ltr);
    const TInkSpan before = InkSpan(ltr, Rect(3, 3, 197, 18));
    ASSERT_FALSE(before.Empty());
    EXPECT_LT(before.Right, 100);

    edit->SetBiDiMode(bdRightToLeft);  // on a shown edit: its window follows
    ASSERT_NE(edit->Widget(), nullptr);
    EXPECT_EQ(edit->Widget()->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(edit->Text(), "abc");
    TBitmap rtl;
    RenderControl(edit, &rtl);
    const TInkSpan after = InkSpan(rtl, Rect(3, 3, 197, 18));
    ASSERT_FALSE(after.Empty());
    EXPECT_GT(after.Left, 100);
    EXPECT_TRUE(RenderControlToPng(edit, RtlPng("edit")));

    // Reading only: from the right, the text stays on the left.
    edit->SetBiDiMode(bdRightToLeftReadingOnly);
    EXPECT_EQ(edit->Widget()->layoutDirection(), Qt::RightToLeft);
    TBitmap reading;
    RenderControl(edit, &reading);
    EXPECT_LT(InkSpan(reading, Rect(3, 3, 197, 18)).Right, 100);

    edit->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(edit->Widget()->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(edit->Text(), "abc");

    // Typed text still lands in the edit.
    edit->SetBiDiMode(bdRightToLeft);
    edit->SetFocus();
    edit->SelectAll();
    SendText(edit, "xy");
    EXPECT_EQ(edit->Text(), "xy");
}

TEST_F(ControlsRtlTest, CheckBoxPutsItsBoxOnTheOtherSide) {
    auto* check = PlaceRtl<TCheckBox>(f.Form, 10, 10, 120, 17);
    check->SetCaption("");
    check->SetState(cbChecked);
    TBitmap ltr;
    RenderControl(check, &ltr);
    const TInkSpan left = InkSpan(ltr, Rect(0, 0, 120, 17));
    ASSERT_FALSE(left.Empty());
    EXPECT_LT(left.Right, 60);

    check->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(check->Widget()->layoutDirection(), Qt::RightToLeft);
    TBitmap rtl;
    RenderControl(check, &rtl);
    const TInkSpan right = InkSpan(rtl, Rect(0, 0, 120, 17));
    ASSERT_FALSE(right.Empty());
    EXPECT_GT(right.Left, 60);

    // A left-justified caption already puts the box on the right: right to
    // left it comes back to the left.
    check->SetAlignment(taLeftJustify);
    EXPECT_EQ(check->Widget()->layoutDirection(), Qt::LeftToRight);
    check->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(check->Widget()->layoutDirection(), Qt::RightToLeft);

    // Made before its window: the window starts right to left.
    auto* later = new TCheckBox(f.Form);
    later->SetBiDiMode(bdRightToLeft);
    later->SetParent(f.Form);
    later->SetBounds(10, 40, 120, 17);
    later->SetCaption("Flag");
    later->HandleNeeded();
    EXPECT_EQ(later->Widget()->layoutDirection(), Qt::RightToLeft);
    EXPECT_TRUE(RenderControlToPng(later, RtlPng("check_box")));
}

TEST_F(ControlsRtlTest, ListBoxItemsStartAtTheRight) {
    auto* list = PlaceRtl<TListBox>(f.Form, 10, 10, 160, 80);
    list->Items()->Add("ab");
    list->Items()->Add("cd");
    list->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(list->Widget()->layoutDirection(), Qt::RightToLeft);
    TBitmap shot;
    RenderControl(list, &shot);
    const TInkSpan row = InkSpan(shot, Rect(3, 3, 150, 14));
    ASSERT_FALSE(row.Empty());
    EXPECT_GT(row.Left, 80);
    list->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(list->Widget()->layoutDirection(), Qt::LeftToRight);
}

TEST_F(ControlsRtlTest, LabelAlignmentMirrors) {
    struct Case {
        TAlignment Alignment;
        TBiDiMode Mode;
        bool OnTheRight;
    } cases[] = {{taLeftJustify, bdLeftToRight, false},
                 {taLeftJustify, bdRightToLeft, true},
                 {taRightJustify, bdRightToLeft, false},
                 {taLeftJustify, bdRightToLeftReadingOnly, false}};
    for (const Case& c : cases) {
        auto* label = PlaceRtl<TLabel>(f.Form, 10, 10, 160, 16);
        label->SetAutoSize(false);
        label->SetCaption("ab");
        label->SetAlignment(c.Alignment);
        label->SetBiDiMode(c.Mode);
        TBitmap shot;
        RenderControl(label, &shot);
        const TInkSpan ink = InkSpan(shot, Rect(0, 0, 160, 16));
        ASSERT_FALSE(ink.Empty());
        EXPECT_EQ(ink.Left > 80, c.OnTheRight) << c.Alignment << " " << c.Mode;
        delete label;
    }
    // An auto-sized right-to-left label keeps its right edge.
    auto* label = PlaceRtl<TLabel>(f.Form, 10, 10, 160, 16);
    label->SetAutoSize(false);
    label->SetBiDiMode(bdRightToLeft);
    label->SetAutoSize(true);
    label->SetCaption("ab");
    EXPECT_EQ(label->Left() + label->Width(), 170);
}

TEST_F(ControlsRtlTest, RadioGroupMirrorsItsItemsClicksAndArrows) {
    auto* group = PlaceRtl<TRadioGroup>(f.Form, 10, 10, 200, 80);
    group->SetCaption("Priority");
    group->Items()->SetCommaText("High,Medium,Low,None");
    group->SetColumns(2);
    group->SetBiDiMode(bdRightToLeft);
    // The first column's first item sits at the right now.
    SendClick(group, 200 - 1 - 20, 28);
    EXPECT_EQ(group->ItemIndex(), 0);
    SendClick(group, 20, 28);
    EXPECT_EQ(group->ItemIndex(), 2);
    // Left goes on to the next column, Right back.
    SendKey(group, VK_RIGHT);
    EXPECT_EQ(group->ItemIndex(), 0);
    SendKey(group, VK_LEFT);
    EXPECT_EQ(group->ItemIndex(), 2);

    TBitmap rtl;
    RenderControl(group, &rtl);
    group->SetBiDiMode(bdLeftToRight);
    TBitmap ltr;
    RenderControl(group, &ltr);
    // Text reads the same way both ways; the rest is the mirror image.
    std::vector<TRect> text;
    for (int i = 0; i < 4; ++i) text.push_back(MirroredRect(group->ItemRect(i), 200));
    text.push_back(Rect(0, 0, 200, 16));  // the caption in the frame
    EXPECT_EQ(MirrorDifferences(ltr, rtl, 200, 80, text), 0);
}

TEST_F(ControlsRtlTest, NavigatorButtonsRunFromTheRight) {
    auto* nav = PlaceRtl<TDBNavigator>(f.Form, 10, 10, 200, 25);
    nav->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    nav->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(nav->Buttons(nbFirst)->Left(), 150);
    EXPECT_EQ(nav->Buttons(nbLast)->Left(), 0);
    nav->SetBounds(10, 10, 160, 25);  // sizing keeps the order
    EXPECT_EQ(nav->Buttons(nbFirst)->Left(), 120);
    EXPECT_EQ(nav->Buttons(nbPrior)->Left(), 80);
    EXPECT_TRUE(RenderControlToPng(nav, RtlPng("navigator")));
    nav->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(nav->Buttons(nbFirst)->Left(), 0);
    EXPECT_EQ(nav->Buttons(nbLast)->Left(), 120);
}

TEST_F(ControlsRtlTest, ChildrenTakeTheirParentsDirection) {
    auto* panel = PlaceRtl<TPanel>(f.Form, 10, 10, 300, 100);
    auto* edit = PlaceRtl<TEdit>(panel, 10, 10, 200, 21);  // inside the panel
    edit->SetText("abc");
    auto* own = PlaceRtl<TEdit>(f.Form, 10, 150, 200, 21);
    own->SetBiDiMode(bdLeftToRight);  // the mode it has: still its own
    EXPECT_FALSE(own->ParentBiDiMode());
    edit->HandleNeeded();

    f.Form->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(edit->BiDiMode(), bdRightToLeft);
    EXPECT_TRUE(edit->ParentBiDiMode());
    EXPECT_EQ(edit->Widget()->layoutDirection(), Qt::RightToLeft);
    TBitmap shot;
    RenderControl(edit, &shot);
    EXPECT_GT(InkSpan(shot, Rect(3, 3, 197, 18)).Left, 100);
    f.Form->SetBiDiMode(bdRightToLeftReadingOnly);
    EXPECT_EQ(edit->BiDiMode(), bdRightToLeftReadingOnly);
    EXPECT_EQ(own->BiDiMode(), bdLeftToRight);
    own->SetParentBiDiMode(true);
    EXPECT_EQ(own->BiDiMode(), bdRightToLeftReadingOnly);

    // Put into a parent, before its window is made; moved to another.
    panel->SetBiDiMode(bdRightToLeft);
    auto* later = new TEdit(f.Form);
    later->SetParent(panel);
    EXPECT_EQ(later->BiDiMode(), bdRightToLeft);
    later->HandleNeeded();
    EXPECT_EQ(later->Widget()->layoutDirection(), Qt::RightToLeft);
    later->SetParent(f.Form);
    EXPECT_EQ(later->BiDiMode(), bdRightToLeftReadingOnly);
    later->SetParentBiDiMode(false);
    later->SetParent(panel);
    EXPECT_EQ(later->BiDiMode(), bdRightToLeftReadingOnly);
}

// The vertical scroll bar a control's window shows (nullptr when none).
QScrollBar* VerticalBar(TWinControl* Control) {
    for (QScrollBar* b : Control->Widget()->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Vertical && b->isVisible()) return b;
    return nullptr;
}

TEST_F(ControlsRtlTest, ScrollBoxKeepsItsVerticalBarAtTheLeft) {
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    auto* box = PlaceRtl<TScrollBox>(f.Form, 10, 10, 200, 120);
    box->SetBorderStyle(bsNone);
    auto* tall = PlaceRtl<TPanel>(box, 0, 0, 150, 400);
    tall->SetColor(clRed);
    tall->SetBevelOuter(bvNone);
    box->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    QScrollBar* v = VerticalBar(box);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->geometry(), QRect(0, 0, t, 120));
    EXPECT_EQ(box->NonClientMargins().Left, t);
    TBitmap shot;
    RenderControl(box, &shot);
    RenderControlToPng(box, RtlPng("scrollbox"));
    EXPECT_EQ(ColorSpan(shot, ColorToRGB(clRed)).Left, t);  // the child starts beside the bar
    // A real click under the thumb of the bar at the left scrolls down.
    SendScreenClick(box->ClientToScreen({-t / 2, 100}));
    EXPECT_GT(box->VertScrollBar()->Position(), 0);
    // Left to right while shown: the bar goes back to the right.
    box->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(v->geometry(), QRect(200 - t, 0, t, 120));
    RenderControl(box, &shot);
    EXPECT_EQ(ColorSpan(shot, ColorToRGB(clRed)).Left, 0);
    EXPECT_EQ(box->NonClientMargins().Left, 0);
}

TEST_F(ControlsRtlTest, ListBoxScrollBarTakesTheLeftSideRightToLeft) {
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    auto* list = PlaceRtl<TListBox>(f.Form, 10, 10, 160, 80);
    list->SetBorderStyle(bsNone);
    for (int i = 0; i < 20; ++i) list->Items()->Add("item " + std::to_string(i));
    struct Case {
        TBiDiMode Mode;
        bool BarLeft, TextRight;
    } cases[] = {{bdRightToLeftNoAlign, true, false},
                 {bdRightToLeft, true, true},
                 {bdRightToLeftReadingOnly, false, false},
                 {bdLeftToRight, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Mode));
        list->SetBiDiMode(c.Mode);
        ProcessEvents();
        QScrollBar* v = VerticalBar(list);
        ASSERT_NE(v, nullptr);
        const int barX = v->mapTo(list->Widget(), QPoint(v->width() / 2, 0)).x();
        EXPECT_EQ(barX < 80, c.BarLeft);
        TBitmap shot;
        RenderControl(list, &shot);
        RenderControlToPng(list, RtlPng("listbox_bar" + std::to_string(static_cast<int>(c.Mode))));
        const TInkSpan row = InkSpan(shot, Rect(c.BarLeft ? t + 1 : 1, 2, c.BarLeft ? 159 : 159 - t, 12));
        ASSERT_FALSE(row.Empty());
        EXPECT_EQ(row.Left > 80, c.TextRight);
        // The bar is clicked where it is drawn: under its thumb pages down.
        list->SetTopIndex(0);
        SendScreenClick(list->ClientToScreen({barX, 70}));
        EXPECT_GT(list->TopIndex(), 0);
    }
}

// Where the vertical bar of a scroll area's window stands, in the window.
QRect BarPlace(TWinControl* Control) {
    QScrollBar* v = VerticalBar(Control);
    if (!v) return QRect();
    return QRect(v->mapTo(Control->Widget(), QPoint(0, 0)), v->size());
}

template <class T>
void CheckTextAreaBar(TWinControl* Parent, const std::string& Name) {
    // the pointer rests off the window (a bar under it is drawn hovered)
    MovePointerTo({Screen->Width() - 1, Screen->Height() - 1});
    auto* edit = PlaceRtl<T>(Parent, 10, 10, 200, 100);
    edit->SetScrollBars(ssVertical);
    for (int i = 0; i < 30; ++i) edit->Lines()->Add("line " + std::to_string(i));
    ProcessEvents();
    const QRect right = BarPlace(edit);
    ASSERT_FALSE(right.isEmpty());
    EXPECT_GT(right.left(), 100);
    TBitmap ltr, rtl;
    RenderControl(edit, &ltr);
    edit->SetBiDiMode(bdRightToLeft);  // shown: the window is made again
    ProcessEvents();
    const QRect left = BarPlace(edit);
    ASSERT_FALSE(left.isEmpty());
    EXPECT_LT(left.right(), 100);
    EXPECT_EQ(left.size(), right.size());
    RenderControl(edit, &rtl);
    RenderControlToPng(edit, TestRunPath("controls_rtl_" + Name + "_bar.png"));
    // The fresh picture shows the same bar at the left edge.
    EXPECT_EQ(0, BlockDifferences(ltr, Rect(right.left(), right.top(), right.right() + 1, right.bottom() + 1),
                                  rtl, {left.left(), left.top()}));
    EXPECT_GT(BlockDifferences(ltr, Rect(right.left(), right.top(), right.right() + 1, right.bottom() + 1),
                               rtl, {right.left(), right.top()}),
              0);
    // A real click under the thumb of the bar at the left scrolls the text.
    SendScreenClick(edit->ClientToScreen({left.center().x(), left.bottom() - 20}));
    EXPECT_GT(VerticalBar(edit)->value(), 0);
    edit->SetBiDiMode(bdRightToLeftNoAlign);
    EXPECT_LT(BarPlace(edit).right(), 100);
    edit->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(BarPlace(edit), right);
}

TEST_F(ControlsRtlTest, MemoAndRichEditKeepTheirScrollBarAtTheLeftRightToLeft) {
    CheckTextAreaBar<TMemo>(f.Form, "memo");
    CheckTextAreaBar<TRichEdit>(f.Form, "richedit");
}

TEST_F(ControlsRtlTest, TreeViewKeepsItsRowsAndPutsItsScrollBarAtTheLeft) {
    auto* tree = PlaceRtl<TTreeView>(f.Form, 10, 10, 200, 120);
    for (int i = 0; i < 30; ++i) tree->Items()->Add(nullptr, "node " + std::to_string(i));
    ProcessEvents();
    const QRect right = BarPlace(tree);
    ASSERT_FALSE(right.isEmpty());
    EXPECT_GT(right.left(), 100);
    TBitmap ltr, rtl;
    RenderControl(tree, &ltr);
    const TRect firstLtr = tree->Items()->GetFirstNode()->DisplayRect(true);

    tree->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    const QRect left = BarPlace(tree);
    ASSERT_FALSE(left.isEmpty());
    EXPECT_EQ(left.size(), right.size());
    EXPECT_EQ(left.top(), right.top());
    EXPECT_LT(left.right(), 20);
    RenderControl(tree, &rtl);
    RenderControlToPng(tree, RtlPng("tree_bar"));
    // The fresh picture: the same bar at the left edge, the rows moved right
    // by its width, read as before.
    const TRect barLtr = Rect(right.left(), right.top(), right.right() + 1, right.bottom() + 1);
    EXPECT_EQ(0, BlockDifferences(ltr, barLtr, rtl, {left.left(), left.top()}));
    const TRect first = tree->Items()->GetFirstNode()->DisplayRect(true);
    EXPECT_EQ(firstLtr.Left + left.width(), first.Left);
    const TRect nc = tree->NonClientMargins();
    EXPECT_EQ(0, BlockDifferences(ltr,
                                  Rect(firstLtr.Left + nc.Left, firstLtr.Top + nc.Top,
                                       firstLtr.Right + nc.Left, firstLtr.Bottom + nc.Top),
                                  rtl, {first.Left + nc.Left, first.Top + nc.Top}));
    // Clicks land where things are drawn: a row selects its node, the bar scrolls.
    TTreeNode* third = tree->Items()->GetFirstNode()->GetNext()->GetNext();
    const TRect r = third->DisplayRect(true);
    EXPECT_EQ(third, tree->GetNodeAt(r.Left + 3, r.Top + 3));
    SendScreenClick(tree->ClientToScreen({r.Left + 3, r.Top + 3}));
    EXPECT_EQ(third, tree->Selected());
    SendScreenClick(tree->ClientToScreen({left.center().x() - tree->NonClientMargins().Left,
                                          left.bottom() - 20 - tree->NonClientMargins().Top}));
    EXPECT_NE(tree->Items()->GetFirstNode(), tree->TopItem());
    EXPECT_EQ(third, tree->Selected());

    // Back to left to right while shown.
    tree->SetBiDiMode(bdLeftToRight);
    ProcessEvents();
    EXPECT_EQ(BarPlace(tree), right);
    EXPECT_EQ(firstLtr.Left, tree->Items()->GetFirstNode()->DisplayRect(true).Left);
}

// Reading right to left alone: the memo's lines read from the right (a
// closing "." leads) and stay at the left; its scroll bar stays at the right.
TEST_F(ControlsRtlTest, MemoReadingRightToLeftAloneKeepsItsScrollBarAtTheRight) {
    auto* memo = PlaceRtl<TMemo>(f.Form, 10, 10, 200, 100);
    memo->SetScrollBars(ssVertical);
    memo->SetText("Hi.");
    ProcessEvents();
    const QRect right = BarPlace(memo);
    ASSERT_FALSE(right.isEmpty());
    const TRect line = Rect(3, 3, right.left() - 1, 20);
    struct Case {
        TBiDiMode Mode;
        bool BarLeft, Reads, TextRight;
    } cases[] = {{bdRightToLeftReadingOnly, false, true, false},
                 {bdRightToLeft, true, true, true},
                 {bdRightToLeftNoAlign, true, true, false},
                 {bdLeftToRight, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Mode));
        memo->SetBiDiMode(c.Mode);
        ProcessEvents();
        EXPECT_EQ(c.BarLeft, BarPlace(memo).right() < 100);
        TBitmap shot;
        RenderControl(memo, &shot);
        RenderControlToPng(memo, RtlPng("memo_reading_" + std::to_string(static_cast<int>(c.Mode))));
        const TRect text = c.BarLeft ? Rect(right.width() + 3, 3, 197, 20) : line;
        const TInkSpan ink = InkSpan(shot, text);
        ASSERT_FALSE(ink.Empty());
        EXPECT_EQ(c.TextRight, ink.Left > 100);
        const int lead = LeadingInkRows(shot, text);
        EXPECT_TRUE(c.Reads ? lead <= 3 : lead >= 6) << lead;
    }
}

}  // namespace
