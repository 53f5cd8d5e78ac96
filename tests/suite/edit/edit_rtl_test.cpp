// Bound edits and combo buttons running right to left.
#include <algorithm>
#include <string>

#include "platform/core/properties.h"
#include "platform/ui/bitmaps.h"
#include "suite/edit/qzcombobutton.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzspinedit.h"
#include "support/environment.h"
#include "support/suite/edit_fixture.h"
#include "support/ui/mirror_compare.h"

namespace {

using EditRtlTest = EditTest;

std::string RtlPng(const std::string& Name) { return TestRunPath("edit_rtl_" + Name + ".png"); }

// The columns of the edit's text area that hold ink.
TInkSpan TextInk(TWinControl* Edit) {
    TBitmap shot;
    RenderControl(Edit, &shot);
    return InkSpan(shot, Rect(4, 4, Edit->Width() - 4, Edit->Height() - 4));
}

TEST_F(EditRtlTest, BoundEditAlignsItsTextToTheRight) {
    T.Append();
    T.FieldByName("Code")->SetAsString("abc");
    T.Post();
    TqzDBEdit* e = MakeEdit("Code");
    ShowAndFocus(e);
    const TInkSpan ltr = TextInk(e);
    ASSERT_FALSE(ltr.Empty());
    EXPECT_LT(ltr.Right, 80);

    e->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(e->Text(), "abc");
    const TInkSpan rtl = TextInk(e);
    ASSERT_FALSE(rtl.Empty());
    EXPECT_GT(rtl.Left, 80);
    EXPECT_TRUE(RenderControlToPng(e, RtlPng("edit")));

    // Typing and posting work as before.
    T.Edit();
    e->SetFocus();
    e->SelectAll();
    SendText(e, "xyz");
    TabAway(e);
    T.Post();
    EXPECT_EQ(T.FieldByName("Code")->AsString(), "xyz");

    e->SetBiDiMode(bdLeftToRight);
    EXPECT_LT(TextInk(e).Right, 80);
}

TEST_F(EditRtlTest, SpinEditAlignsItsTextToTheRightOfItsTextArea) {
    auto* spin = new TqzDBSpinEdit(&Form);
    spin->SetParent(&Form);
    spin->SetBounds(10, 10, 160, 24);
    spin->SetBiDiMode(bdRightToLeft);
    spin->SetValue(7);
    ShowAndFocus(spin);
    const TInkSpan ink = TextInk(spin);
    ASSERT_FALSE(ink.Empty());
    EXPECT_GT(ink.Left, 80);
}

// A combo button drawn right to left puts its glyph on the other side.
TEST_F(EditRtlTest, ComboButtonGlyphSwapsSidesRightToLeft) {
    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clOlive);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(Rect(4, 4, 12, 12));
    struct Case {
        TButtonLayout Layout;
        TBiDiMode Mode;
        bool OnTheRight;
    } cases[] = {{blGlyphLeft, bdLeftToRight, false},
                 {blGlyphLeft, bdRightToLeft, true},
                 {blGlyphRight, bdRightToLeft, false},
                 {blGlyphLeft, bdRightToLeftReadingOnly, false}};
    Form.Show();
    int n = 0;
    for (const Case& c : cases) {
        auto* b = new TqzComboButton(&Form);
        b->SetParent(&Form);
        b->SetBounds(10, 10 + 30 * n++, 100, 25);
        b->SetCaption("Save");
        b->SetGlyph(&glyph);
        b->SetLayout(c.Layout);
        b->SetBiDiMode(c.Mode);
        TBitmap shot;
        RenderControl(b, &shot);
        int left = shot.Width();
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x)
                if (shot.Canvas()->Pixels(x, y) == clRed) left = std::min(left, x);
        ASSERT_LT(left, shot.Width()) << n;
        EXPECT_EQ(left >= 50, c.OnTheRight) << n << " at " << left;
        if (c.Mode == bdRightToLeft && c.Layout == blGlyphLeft) {
            EXPECT_TRUE(RenderControlToPng(b, RtlPng("combo_button")));
        }
    }
}

// The first column of the glyph's red square in a fresh picture of Button.
int RedLeft(TControl* Button) {
    TBitmap shot;
    RenderControl(Button, &shot);
    for (int x = 0; x < shot.Width(); ++x)
        for (int y = 0; y < shot.Height(); ++y)
            if (shot.Canvas()->Pixels(x, y) == clRed) return x;
    return -1;
}

// The edit, the combo box, the picker and the combo button follow the form's
// direction; one given its own direction keeps it.
TEST_F(EditRtlTest, ControlsTakeTheFormsDirection) {
    T.Append();
    T.FieldByName("Code")->SetAsString("abc");
    T.Post();
    TqzDBEdit* e = MakeEdit("Code");
    auto* combo = new TqzDBComboBox(&Form);
    combo->SetParent(&Form);
    combo->SetBounds(10, 40, 160, 24);
    combo->SetText("abc");
    auto* picker = new TqzDBDateTimePicker(&Form);
    picker->SetParent(&Form);
    picker->SetBounds(10, 70, 180, 24);
    picker->SetDate(EncodeDate(2026, 3, 9));
    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clOlive);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(Rect(4, 4, 12, 12));
    auto* button = new TqzComboButton(&Form);
    button->SetParent(&Form);
    button->SetBounds(10, 100, 100, 25);
    button->SetCaption("Go");
    button->SetGlyph(&glyph);
    const std::vector<TWinControl*> edits{e, combo, picker};
    for (TControl* c : {static_cast<TControl*>(e), static_cast<TControl*>(combo),
                        static_cast<TControl*>(picker), static_cast<TControl*>(button)})
        EXPECT_EQ(1, GetOrdProp(c, "ParentBiDiMode")) << c->ClassName();
    for (TWinControl* c : edits) {
        ShowAndFocus(c);
        EXPECT_LT(TextInk(c).Left, c->Width() / 2) << c->ClassName();
    }
    const int ltrGlyph = RedLeft(button);
    ASSERT_GE(ltrGlyph, 0);
    ASSERT_LT(ltrGlyph, 50);

    // The text of the focused control reads from the right, the glyph
    // changes sides.
    Form.SetBiDiMode(bdRightToLeft);
    for (TWinControl* c : edits) {
        EXPECT_EQ("bdRightToLeft", GetEnumProp(c, "BiDiMode")) << c->ClassName();
        ShowAndFocus(c);
        EXPECT_GT(TextInk(c).Left, c->Width() / 2) << c->ClassName();
    }
    EXPECT_TRUE(RenderControlToPng(picker, RtlPng("picker_by_form")));
    EXPECT_GE(RedLeft(button), 50);

    // Own directions, by name in either order with ParentBiDiMode, stay.
    SetEnumProp(e, "BiDiMode", "bdLeftToRight");
    SetOrdProp(e, "ParentBiDiMode", 0);
    SetOrdProp(button, "ParentBiDiMode", 0);
    SetEnumProp(button, "BiDiMode", "bdLeftToRight");
    SetEnumProp(picker, "BiDiMode", "bdRightToLeft");
    for (TControl* c :
         {static_cast<TControl*>(e), static_cast<TControl*>(button), static_cast<TControl*>(picker)})
        EXPECT_EQ(0, GetOrdProp(c, "ParentBiDiMode")) << c->ClassName();
    Form.SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(bdLeftToRight, combo->BiDiMode());
    EXPECT_EQ(bdRightToLeft, picker->BiDiMode());
    Form.SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(bdLeftToRight, e->BiDiMode());
    EXPECT_EQ(ltrGlyph, RedLeft(button));
    ShowAndFocus(e);
    EXPECT_LT(TextInk(e).Left, e->Width() / 2);
    // Following again takes the form's at once.
    SetOrdProp(e, "ParentBiDiMode", 1);
    EXPECT_EQ(bdRightToLeft, e->BiDiMode());
    EXPECT_GT(TextInk(e).Left, e->Width() / 2);
}

// The open list of a combo reads as the combo does: right to left its
// scroll bar stands at the left edge and takes the clicks there.
TEST_F(EditRtlTest, ComboListTakesTheCombosDirectionAndItsScrollBarSide) {
    auto* c = new TqzDBComboBox(&Form);
    c->SetParent(&Form);
    c->SetBounds(10, 10, 160, 24);
    for (int i = 0; i < 30; ++i) c->Items()->Add("item " + std::to_string(i));
    c->SetBiDiMode(bdRightToLeft);
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    TqzPopupListbox* list = c->List();
    EXPECT_EQ(bdRightToLeft, list->BiDiMode());
    const int w = list->ClientWidth(), h = list->ClientHeight();
    TBitmap shot;
    RenderControl(list, &shot);
    RenderControlToPng(list, RtlPng("combo_list"));
    // The rows read from the right, clear of the bar at the left.
    const TInkSpan row = InkSpan(shot, Rect(w / 2, 3, w - 1, 12));
    ASSERT_FALSE(row.Empty());
    EXPECT_GT(row.Left, w / 2 + 20);
    // A real click at the left edge, low in the list, is the bar's: the
    // list scrolls and stays open, nothing is picked.
    SendScreenClick(list->ClientToScreen({7, h - 24}));
    EXPECT_TRUE(c->IsDroppedDown());
    EXPECT_GT(list->TopIndex(), 0);
    EXPECT_EQ("", c->Text());
    SendKey(c, VK_ESCAPE);
    ASSERT_FALSE(c->IsDroppedDown());

    // Turned left to right while open: the bar goes to the right edge.
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    c->SetBiDiMode(bdLeftToRight);
    ProcessEvents();
    ASSERT_TRUE(c->IsDroppedDown());
    EXPECT_EQ(bdLeftToRight, list->BiDiMode());
    list->SetTopIndex(0);
    SendScreenClick(list->ClientToScreen({list->ClientWidth() - 7, h - 24}));
    EXPECT_TRUE(c->IsDroppedDown());
    EXPECT_GT(list->TopIndex(), 0);
    SendKey(c, VK_ESCAPE);
}

}  // namespace
