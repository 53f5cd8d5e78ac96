// Bound edits and combo buttons running right to left.
#include <algorithm>
#include <string>

#include "platform/ui/bitmaps.h"
#include "suite/edit/qzcombobutton.h"
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

}  // namespace
