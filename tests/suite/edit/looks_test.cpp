// The edit's looks rendered to PNG: unfocused, framed, invalid with the
// validity colours, and the grid's copy and selected-cell look.
#include <initializer_list>
#include <map>

#include "platform/core/properties.h"
#include "platform/ui/bitmaps.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombobox.h"
#include "support/suite/edit_fixture.h"

namespace {

class LooksTest : public EditTest {
protected:
    // Colour of most pixels inside R.
    static int CountColour(TBitmap& B, const TRect& R, TColor C) {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (B.Canvas()->Pixels(x, y) == C) ++n;
        return n;
    }
};

TEST_F(LooksTest, UnfocusedEditShowsTheDisplayText) {
    static_cast<TFloatField*>(T.FieldByName("Amount"))->SetDisplayFormat("#,##0.00");
    T.Append();
    T.FieldByName("Amount")->SetAsFloat(1234.5);
    TqzDBEdit* e = MakeEdit("Amount");
    ShowAndFocus(Other);
    EXPECT_EQ(e->Text(), "1,234.50");
    TBitmap bmp;
    RenderControl(e, &bmp);
    ASSERT_TRUE(RenderControlToPng(e, PngPath("unfocused")));
    // Right-aligned number: ink in the right half only.
    int left = 0, right = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const TColor c = bmp.Canvas()->Pixels(x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) (x < bmp.Width() / 2 ? left : right)++;
        }
    EXPECT_GT(right, 10);
    EXPECT_LT(left, right / 4 + 1) << "the frame is all the ink on the left";
}

TEST_F(LooksTest, FramedEditDrawsItsNonFocusColour) {
    TqzDBEdit* e = MakeEdit("");
    e->SetText("framed");
    e->Frame()->SetEnabled(true);
    e->Frame()->SetNonFocusColor(clYellow);
    ShowAndFocus(Other);
    TBitmap bmp;
    RenderControl(e, &bmp);
    ASSERT_TRUE(RenderControlToPng(e, PngPath("framed")));
    EXPECT_GT(CountColour(bmp, Rect(0, 0, bmp.Width(), bmp.Height()), clYellow),
              bmp.Width() * bmp.Height() / 3);
    // The non-focus frame is the bottom edge only.
    const int bottom = bmp.Height() - 1;
    EXPECT_EQ(CountColour(bmp, Rect(0, bottom, bmp.Width(), bottom + 1), clYellow), 0);
    EXPECT_GT(CountColour(bmp, Rect(0, 0, bmp.Width(), 1), clYellow), bmp.Width() / 2);
}

TEST_F(LooksTest, InvalidTextShowsTheValidityColours) {
    ASSERT_NE(qzIntl(), nullptr);
    qzIntl()->ValidationFeedback()->SetErrorBackColor(clRed);
    qzIntl()->ValidationFeedback()->SetErrorForeColor(clWhite);
    TqzDBEdit* e = MakeEdit("");
    e->Picture()->SetPictureMask("###");
    ShowAndFocus(e);
    SendText(e, "1");
    EXPECT_EQ(e->Color(), clRed);
    EXPECT_EQ(e->Font()->Color(), clWhite);
    TBitmap bmp;
    RenderControl(e, &bmp);
    ASSERT_TRUE(RenderControlToPng(e, PngPath("invalid")));
    EXPECT_GT(CountColour(bmp, Rect(4, 4, bmp.Width() - 4, bmp.Height() - 4), clRed), 100);
    EXPECT_GT(CountColour(bmp, Rect(4, 4, bmp.Width() - 4, bmp.Height() - 4), clWhite), 5);  // the digit
    SendText(e, "23");
    EXPECT_EQ(e->Color(), clWindow);  // the saved colours come back
    EXPECT_EQ(e->Font()->Color(), clWindowText);
}

TEST_F(LooksTest, GridCopyAndSelectedCellLookWithRecolouring) {
    T.Append();
    T.FieldByName("Code")->SetAsString("cell");
    auto* grid = new TqzDBGrid(&Form);
    grid->SetParent(&Form);
    grid->SetBounds(10, 10, 300, 150);
    TqzDBEdit* e = MakeEdit("Code", grid);
    e->SetBorderStyle(bsNone);
    e->SetBounds(2, 2, 120, 20);
    int calls = 0;
    grid->SetOnCalcCellColors(TqzCalcCellColorsEvent(
        [&](TObject* g, TField* f, TGridDrawState, bool hl, TFont* font, TBrush* brush) {
            ++calls;
            EXPECT_EQ(g, grid);
            EXPECT_EQ(f, T.FieldByName("Code"));
            EXPECT_TRUE(hl);
            brush->SetColor(clLime);
            font->SetColor(clBlue);
        }));
    ShowAndFocus(grid);
    TBitmap sel;
    RenderControl(e, &sel);
    ASSERT_TRUE(RenderControlToPng(e, PngPath("grid_selected")));
    EXPECT_GT(calls, 0);
    EXPECT_GT(CountColour(sel, Rect(2, 2, sel.Width() - 2, sel.Height() - 2), clLime), 200);

    // The grid's copy of the editor: plain colours, no recolouring.
    calls = 0;
    e->SetControlState(e->ControlState() + csPaintCopy);
    TBitmap copy;
    RenderControl(e, &copy);
    e->SetControlState(e->ControlState() - csPaintCopy);
    copy.SaveToFile(PngPath("grid_copy"));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(CountColour(copy, Rect(0, 0, copy.Width(), copy.Height()), clLime), 0);
    EXPECT_GT(CountColour(copy, Rect(2, 2, copy.Width() - 2, copy.Height() - 2), clWhite), 200);
}

}  // namespace

namespace {

TEST_F(LooksTest, ABevelledEditDrawsItsEdgeAroundTheFieldText) {
    T.Append();
    T.FieldByName("Code")->SetAsString("ROOF-12");
    TqzDBEdit* e = MakeEdit("Code");
    ShowAndFocus(Other);
    const int w = e->Width(), h = e->Height();
    const TRect before = e->ClientRect();
    SetEnumProp(e, "BevelKind", "bkFlat");
    SetSetProp(e, "BevelEdges", "[beLeft,beRight]");
    EXPECT_EQ(e->ClientRect().Width(), before.Width() - 2);
    EXPECT_EQ(e->ClientRect().Height(), before.Height());
    TBitmap bmp;
    RenderControl(e, &bmp);
    ASSERT_TRUE(RenderControlToPng(e, PngPath("bevel_flat")));
    const TColor shadow = ColorToRGB(clBtnShadow);
    EXPECT_EQ(CountColour(bmp, Rect(0, 0, 1, h), shadow), h);
    EXPECT_EQ(CountColour(bmp, Rect(w - 1, 0, w, h), shadow), h);
    // Lowered outside, raised inside, on every edge.
    SetEnumProp(e, "BevelKind", "bkSoft");
    SetSetProp(e, "BevelEdges", "[beLeft,beTop,beRight,beBottom]");
    SetEnumProp(e, "BevelOuter", "bvLowered");
    SetEnumProp(e, "BevelInner", "bvRaised");
    EXPECT_EQ(e->ClientRect().Width(), before.Width() - 4);
    EXPECT_EQ(e->ClientRect().Height(), before.Height() - 4);
    RenderControl(e, &bmp);
    ASSERT_TRUE(RenderControlToPng(e, PngPath("bevel_soft")));
    const TColor light = ColorToRGB(clBtnHighlight);
    EXPECT_EQ(CountColour(bmp, Rect(0, 0, w - 1, 1), shadow), w - 1);
    EXPECT_EQ(CountColour(bmp, Rect(1, h - 1, w, h), light), w - 1);
    EXPECT_EQ(CountColour(bmp, Rect(1, 1, 2, h - 2), light), h - 3);
    EXPECT_EQ(CountColour(bmp, Rect(w - 2, 2, w - 1, h - 2), shadow), h - 4);
    // The field's text is still there, inside the edge.
    EXPECT_EQ(e->Text(), "ROOF-12");
    EXPECT_GT(CountColour(bmp, Rect(2, 2, w - 2, h - 2), clBlack), 10);
}

TEST_F(LooksTest, CombosAndPickersPublishTheBevelledEdge) {
    auto* combo = new TqzDBComboBox(&Form);
    auto* picker = new TqzDBDateTimePicker(&Form);
    for (TWinControl* c : std::initializer_list<TWinControl*>{combo, picker}) {
        SetEnumProp(c, "BevelKind", "bkTile");
        EXPECT_EQ(c->BevelKind(), bkTile) << c->ClassName();
        SetEnumProp(c, "BevelOuter", "bvRaised");
        EXPECT_EQ(GetEnumProp(c, "BevelOuter"), "bvRaised") << c->ClassName();
        EXPECT_NE(GetPropInfo(c, "BevelEdges"), nullptr) << c->ClassName();
        EXPECT_NE(GetPropInfo(c, "BevelInner"), nullptr) << c->ClassName();
    }
    // Drawn on their windows, with the contents inside the edge.
    combo->SetParent(&Form);
    combo->SetBounds(10, 60, 150, 22);
    picker->SetParent(&Form);
    picker->SetBounds(10, 100, 150, 22);
    ShowAndFocus(Other);
    const TColor shadow = ColorToRGB(clBtnShadow);
    std::map<TWinControl*, int> before;
    for (TWinControl* c : std::initializer_list<TWinControl*>{combo, picker}) {
        SetEnumProp(c, "BevelKind", "bkNone");
        before[c] = c->ClientRect().Width();
    }
    for (TWinControl* c : std::initializer_list<TWinControl*>{combo, picker}) {
        SetEnumProp(c, "BevelKind", "bkFlat");
        const int w = c->Width(), h = c->Height();
        TBitmap bmp;
        RenderControl(c, &bmp);
        ASSERT_TRUE(RenderControlToPng(c, PngPath("bevel_" + c->ClassName())));
        EXPECT_EQ(CountColour(bmp, Rect(0, 0, 1, h), shadow), h) << c->ClassName();
        EXPECT_EQ(CountColour(bmp, Rect(0, h - 1, w, h), shadow), w) << c->ClassName();
        EXPECT_EQ(CountColour(bmp, Rect(w - 1, 0, w, h), shadow), h) << c->ClassName();
        EXPECT_EQ(CountColour(bmp, Rect(0, 0, w, 1), shadow), w) << c->ClassName();
        // The client area gives a pixel a side to the edge.
        EXPECT_EQ(c->ClientRect().Width(), before[c] - 2) << c->ClassName();
    }
}

}  // namespace
