// Right to left: the mirrored canvas, and the generic grid drawn, clicked,
// sized, keyed and edited as the left-to-right grid mirrored.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/testing.h"
#include "support/environment.h"
#include "support/ui/mirror_compare.h"

namespace {

TEST(MirroredCanvas, ShapesAndPicturesMirrorTextBoxesOnly) {
    InitializeApplication(0, nullptr);
    TBitmap plain, mirrored;
    for (TBitmap* b : {&plain, &mirrored}) {
        b->SetSize(100, 30);
        TCanvas* c = b->Canvas();
        if (b == &mirrored) c->SetMirrorWidth(100);
        c->Brush()->SetColor(clWhite);
        c->FillRect(Rect(0, 0, 100, 30));
        c->Brush()->SetColor(clRed);
        c->FillRect(Rect(0, 0, 10, 5));
        c->Pen()->SetColor(clBlue);
        c->MoveTo(20, 10);
        c->LineTo(40, 10);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clBlack);
        c->TextOut(50, 12, "Ab");
        TRect r = Rect(50, 0, 98, 30);
        DrawText(c, "x", r, DT_RIGHT | DT_SINGLELINE);
        c->Brush()->SetStyle(bsSolid);
        c->SetMirrorWidth(0);
    }
    TCanvas* m = mirrored.Canvas();
    // Pixel x comes out at 99 - x; reading the canvas maps back while mirrored.
    EXPECT_EQ(ColorToRGB(clRed), m->Pixels(99, 0));
    EXPECT_EQ(ColorToRGB(clRed), m->Pixels(90, 4));
    EXPECT_EQ(ColorToRGB(clWhite), m->Pixels(89, 0));
    EXPECT_EQ(ColorToRGB(clBlue), m->Pixels(99 - 20, 10));
    EXPECT_EQ(ColorToRGB(clBlue), m->Pixels(99 - 39, 10));
    m->SetMirrorWidth(100);
    EXPECT_EQ(ColorToRGB(clRed), m->Pixels(0, 0));
    m->SetMirrorWidth(0);
    // The text's ink lies where the mirror puts its box, read left to right.
    const TRect textBand = Rect(40, 12, 60, 28);
    const TInkSpan want = InkSpan(plain, MirroredRect(textBand, 100));
    const TInkSpan got = InkSpan(mirrored, textBand);
    ASSERT_FALSE(want.Empty());
    EXPECT_NEAR(99 - want.Right, got.Left, 2);
    EXPECT_NEAR(99 - want.Left, got.Right, 2);
    // Right-aligned text ends near the mirrored right edge: the left one.
    const TInkSpan x = InkSpan(mirrored, Rect(0, 0, 20, 12));
    ASSERT_FALSE(x.Empty());
    EXPECT_LT(x.Left, 10);
    // A negative width is no mirror.
    m->SetMirrorWidth(-5);
    EXPECT_EQ(0, m->MirrorWidth());
}

// A grid whose cells show "col,row" on colours of their own.
class TRtlGrid : public TCustomGrid {
public:
    explicit TRtlGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
    std::string Text;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
        TCanvas* c = Canvas();
        if (!AState.Contains(gdFixed) && !AState.Contains(gdSelected)) {
            c->Brush()->SetColor(RGB(40 + ACol * 30, 200 - ARow * 20, 120));
            c->FillRect(ARect);
        }
        c->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, IntToStr(ACol) + "," + IntToStr(ARow));
    }
    std::string GetEditText(int ACol, int ARow) override { return IntToStr(ACol) + IntToStr(ARow) + "x"; }
    void SetEditText(int, int, const std::string& Value) override { Text = Value; }
};

class GridRightToLeft : public ::testing::Test {
protected:
    void SetUp() override {
        form = CreateForm<TForm>(Application);
        form->SetBounds(30, 30, 400, 300);
        grid = new TRtlGrid(form);
        grid->SetParent(form);
        grid->SetBorderStyle(bsNone);
        grid->SetScrollBars(ssNone);
        grid->SetDefaultColWidth(50);
        grid->SetDefaultRowHeight(20);
        grid->SetColCount(5);
        grid->SetRowCount(6);
        grid->SetBounds(0, 0, 300, 160);
        form->Show();
        ActivateForm(form);
        grid->SetFocus();
        ProcessEvents();
    }
    void TearDown() override { delete form; }
    TRect Shown(int ACol, int ARow) const { return grid->GridToClientRect(grid->CellRect(ACol, ARow)); }
    TPoint Centre(int ACol, int ARow) const {
        const TRect r = Shown(ACol, ARow);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

    TForm* form = nullptr;
    TRtlGrid* grid = nullptr;
};

TEST_F(GridRightToLeft, DrawsTheLeftToRightGridMirrored) {
    SendKey(grid, VK_DOWN, {ssShift});
    TBitmap ltr, rtl;
    RenderControl(grid, &ltr);
    grid->SetBiDiMode(bdRightToLeft);
    RenderControl(grid, &rtl);
    RenderControlToPng(grid, TestRunPath("grid_rtl.png"));
    const int w = grid->ClientWidth(), h = grid->ClientHeight();
    EXPECT_EQ(w, Shown(0, 0).Right);
    std::vector<TRect> text;
    for (int c = 0; c < grid->ColCount(); ++c)
        for (int r = 0; r < grid->RowCount(); ++r) {
            const TRect cell = Shown(c, r);
            if (!IsRectEmpty(cell))
                text.push_back(Rect(cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom - 2));
        }
    // Fills, lines, selection and the focus frame: the mirror, pixel for pixel.
    EXPECT_EQ(0, MirrorDifferences(ltr, rtl, w, h, text));
    for (const TRect& r : text) {
        const TInkSpan got = InkSpan(rtl, r);
        const TInkSpan want = InkSpan(ltr, MirroredRect(r, w));
        ASSERT_FALSE(got.Empty());
        EXPECT_NEAR(w - 1 - want.Right, got.Left, 2);
        EXPECT_NEAR(w - 1 - want.Left, got.Right, 2);
    }
    // The paint leaves the canvas unmirrored.
    EXPECT_EQ(0, grid->Canvas()->MirrorWidth());
}

TEST_F(GridRightToLeft, ClicksKeysAndSizingFollowTheMirror) {
    grid->SetBiDiMode(bdRightToLeft);
    const TPoint p = Centre(3, 2);
    SendClick(grid, p.X, p.Y);
    EXPECT_EQ(3, grid->Col());
    EXPECT_EQ(2, grid->Row());
    EXPECT_EQ(grid->MouseCoord(p.X, p.Y), (TGridCoord{3, 2}));
    EXPECT_EQ(grid->MouseCoord(0, p.Y).X, -1);  // beyond the last column
    // Left is the next column, Right the one before; Ctrl keeps them.
    SendKey(grid, VK_LEFT);
    EXPECT_EQ(4, grid->Col());
    SendKey(grid, VK_RIGHT);
    SendKey(grid, VK_RIGHT);
    EXPECT_EQ(2, grid->Col());
    SendKey(grid, VK_LEFT, {ssCtrl});
    EXPECT_EQ(1, grid->Col());
    // Column 1's far edge shows at its left; dragging it left widens it.
    grid->SetOptions(grid->Options() + goColSizing);
    const int edge = Shown(1, 0).Left - 1;
    SendMouseDown(grid, mbLeft, edge, 10);
    EXPECT_EQ(gsColSizing, grid->GridState());
    SendMouseMove(grid, edge - 25, 10, {ssLeft});
    SendMouseUp(grid, mbLeft, edge - 25, 10);
    EXPECT_EQ(75, grid->ColWidths(1));
    EXPECT_EQ(grid->MouseCoordBefore(Shown(2, 1).Right - 2, 30, 5).X, 1);
}

TEST_F(GridRightToLeft, EditorShowsOverTheMirroredCell) {
    grid->SetOptions(grid->Options() + goEditing + goAlwaysShowEditor);
    grid->SetBiDiMode(bdRightToLeft);
    const TPoint p = Centre(2, 1);
    SendClick(grid, p.X, p.Y);
    ProcessEvents();
    TInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    EXPECT_TRUE(editor->UseRightToLeftAlignment());
    EXPECT_EQ(Shown(2, 1), editor->BoundsRect());
    // Its text reads from the right edge.
    TBitmap shot;
    RenderControl(editor, &shot);
    const TInkSpan ink = InkSpan(shot, Rect(0, 0, shot.Width(), shot.Height()));
    ASSERT_FALSE(ink.Empty());
    EXPECT_GT(ink.Left, shot.Width() / 2);
    // At the start of the text Left leaves for the next column.
    editor->SetSelStart(0);
    editor->SetSelLength(0);
    SendKey(editor, VK_LEFT);
    EXPECT_EQ(3, grid->Col());
    EXPECT_EQ(Shown(3, 1), grid->InplaceEditor()->BoundsRect());
    // Scrolled sideways, the editor stays over its cell, now further right.
    grid->SetColCount(12);
    grid->SetLeftCol(2);
    ProcessEvents();
    ASSERT_TRUE(grid->InplaceEditor()->Visible());
    EXPECT_EQ(Shown(3, 1), grid->InplaceEditor()->BoundsRect());
    EXPECT_EQ(grid->ClientWidth() - 51 - 51, Shown(3, 1).Right);
}

// The direction changed while the editor shows, either way: the editor moves
// over its cell, reads as the grid now does and keeps its text, its caret
// and the focus.
TEST_F(GridRightToLeft, EditorFollowsADirectionChange) {
    grid->SetOptions(grid->Options() + goEditing);
    const TPoint p = Centre(2, 1);
    SendClick(grid, p.X, p.Y);
    SendKey(grid, VK_F2);
    TInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    EXPECT_EQ(Shown(2, 1), editor->BoundsRect());
    SendKey(editor, VK_HOME);
    SendKey(editor, VK_RIGHT);
    for (const TBiDiMode mode : {bdRightToLeft, bdLeftToRight}) {
        SCOPED_TRACE(static_cast<int>(mode));
        grid->SetBiDiMode(mode);
        ProcessEvents();
        RenderControlToPng(
            grid, TestRunPath(mode == bdRightToLeft ? "grid_turned_rtl.png" : "grid_turned_ltr.png"));
        ASSERT_TRUE(editor->Visible());
        EXPECT_EQ(Shown(2, 1), editor->BoundsRect());
        EXPECT_EQ(mode == bdRightToLeft, editor->UseRightToLeftAlignment());
        EXPECT_EQ(editor, FocusedControl());
        SendText(editor, "Q");
    }
    EXPECT_EQ("2QQ1x", editor->Text());
}

// The first and last pixel columns of a fresh picture holding a cell's own
// colour (blue 120, red unlike green): where the cells lie beside the bars.
std::pair<int, int> CellColumns(TControl* Grid, const std::string& Png) {
    TBitmap shot;
    RenderControl(Grid, &shot);
    RenderControlToPng(Grid, TestRunPath(Png));
    int first = shot.Width(), last = -1;
    for (int x = 0; x < shot.Width(); ++x)
        for (int y = 0; y < shot.Height(); y += 3) {
            const TColor c = shot.Canvas()->Pixels(x, y);
            if (GetBValue(c) == 120 && GetRValue(c) != GetGValue(c)) {
                first = std::min(first, x);
                last = std::max(last, x);
                break;
            }
        }
    return {first, last};
}

TEST_F(GridRightToLeft, TheVerticalScrollBarStandsAtTheLeftAndTakesClicks) {
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    grid->SetScrollBars(ssBoth);
    grid->SetFixedCols(0);  // every column in a cell's colour
    grid->SetColCount(9);
    grid->SetRowCount(14);
    ProcessEvents();
    const auto ltr = CellColumns(grid, "grid_bars_ltr.png");
    EXPECT_LE(ltr.first, 1);
    EXPECT_EQ(ltr.second, 299 - t);
    grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    const auto rtl = CellColumns(grid, "grid_bars_rtl.png");
    EXPECT_EQ(rtl.first, t);
    EXPECT_GE(rtl.second, 298);
    EXPECT_EQ(grid->ClientWidth(), 300 - t);
    EXPECT_EQ(grid->NonClientMargins().Left, t);

    // A real click on the bar at the left, under its thumb, pages down.
    ASSERT_EQ(grid->TopRow(), 1);
    SendScreenClick(grid->ClientToScreen({-t / 2, grid->ClientHeight() - 2 * t}));
    EXPECT_GT(grid->TopRow(), 1);
    // A click on a cell selects the cell drawn there.
    const int row = grid->TopRow() + 1;
    SendScreenClick(grid->ClientToScreen(Centre(2, row)));
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), row);
    const TPoint first = Centre(1, row);
    EXPECT_GT(first.X, Centre(2, row).X);  // the first column lies at the right
    SendScreenClick(grid->ClientToScreen(first));
    EXPECT_EQ(grid->Col(), 1);

    // Back to left to right while shown, and right to left again.
    grid->SetBiDiMode(bdLeftToRight);
    EXPECT_EQ(CellColumns(grid, "grid_bars_back.png"), ltr);
    EXPECT_EQ(grid->NonClientMargins().Left, 0);
    SendScreenClick(grid->ClientToScreen({grid->ClientWidth() + t / 2, t + 2}));
    EXPECT_EQ(grid->TopRow(), 1);  // above the thumb: back to the top
    form->SetBiDiMode(bdRightToLeft);
    grid->SetParentBiDiMode(true);
    EXPECT_EQ(CellColumns(grid, "grid_bars_again.png").first, t);
}

}  // namespace
