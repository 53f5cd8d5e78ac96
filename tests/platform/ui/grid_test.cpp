// The generic grid: layout and CellRect, hit tests, keys, the wheel, scroll
// requests and scroll bars, sizing and moving columns with the mouse, timed
// scrolling, painting, and a grid of a million rows.
#include <gtest/gtest.h>
#include "support/environment.h"

#include <map>
#include <string>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/testing.h"

namespace {

int TGridScrollBarsThickness() { return GetSystemMetrics(SM_CXVSCROLL); }

// A grid whose cells show "col,row" on a colour of their own.
class TCellGrid : public TCustomGrid {
public:
    explicit TCellGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    int DrawCount = 0;
    int MaxRowDrawn = -1;
    std::vector<std::pair<int, int>> Moves;
    int WidthChanges = 0;
    int TopLeftChanges = 0;
    std::map<std::pair<int, int>, bool> Refused;
    std::vector<TGridScrollDirection> TimedScrolls;

    using TCustomGrid::CalcMaxTopLeft;
    using TCustomGrid::MoveColumn;
    void ScrollTimed(TGridScrollDirection Direction) { TimedScroll(Direction); }

    static TColor CellColor(int ACol, int ARow) { return RGB(40 + ACol * 30, 200 - (ARow % 5) * 20, 120); }

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
        ++DrawCount;
        MaxRowDrawn = std::max(MaxRowDrawn, ARow);
        TCanvas* c = Canvas();
        if (!AState.Contains(gdFixed) && !AState.Contains(gdSelected)) {
            c->Brush()->SetColor(CellColor(ACol, ARow));
            c->FillRect(ARect);
        }
        c->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, IntToStr(ACol) + "," + IntToStr(ARow));
    }
    bool SelectCell(int ACol, int ARow) override { return !Refused.count({ACol, ARow}); }
    void ColumnMoved(int FromIndex, int ToIndex) override { Moves.emplace_back(FromIndex, ToIndex); }
    void ColWidthsChanged() override {
        ++WidthChanges;
        TCustomGrid::ColWidthsChanged();
    }
    void TopLeftChanged() override {
        ++TopLeftChanges;
        TCustomGrid::TopLeftChanged();
    }
    void TimedScroll(TGridScrollDirection Direction) override {
        TimedScrolls.push_back(Direction);
        TCustomGrid::TimedScroll(Direction);
    }
};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        form = CreateForm<TForm>(Application);
        form->SetBounds(30, 30, 560, 420);
        grid = new TCellGrid(form);
        grid->SetParent(form);
        grid->SetBorderStyle(bsNone);
        grid->SetScrollBars(ssNone);
        grid->SetDefaultColWidth(50);
        grid->SetDefaultRowHeight(20);
        grid->SetColCount(8);
        grid->SetRowCount(30);
        // 5 columns (4 whole) and 10 rows (9 whole) of 51 x 21 pixels show.
        grid->SetBounds(0, 0, 230, 200);
        form->Show();
        ActivateForm(form);
        grid->SetFocus();
        ProcessEvents();
    }
    void TearDown() override { delete form; }

    TForm* form = nullptr;
    TCellGrid* grid = nullptr;
};

// ---- Layout --------------------------------------------------------------------------------

TEST_F(GridTest, CellRectsFollowWidthsLinesAndFixedCells) {
    EXPECT_EQ(grid->CellRect(0, 0), Rect(0, 0, 50, 20));
    EXPECT_EQ(grid->CellRect(1, 0), Rect(51, 0, 101, 20));
    EXPECT_EQ(grid->CellRect(0, 1), Rect(0, 21, 50, 41));
    EXPECT_EQ(grid->CellRect(2, 3), Rect(102, 63, 152, 83));
    // The last column shown is cut at the client edge; those beyond are empty.
    EXPECT_EQ(grid->CellRect(4, 1), Rect(204, 21, 230, 41));
    EXPECT_EQ(grid->CellRect(5, 1), TRect{});
    EXPECT_EQ(grid->CellRect(1, 29), TRect{});

    grid->SetColWidths(1, 80);
    EXPECT_EQ(grid->CellRect(1, 1), Rect(51, 21, 131, 41));
    EXPECT_EQ(grid->CellRect(2, 1), Rect(132, 21, 182, 41));
}

TEST_F(GridTest, ScrollingHidesScrollingCellsButNotFixedOnes) {
    grid->SetLeftCol(3);
    grid->SetTopRow(5);
    EXPECT_EQ(grid->CellRect(1, 1), TRect{});  // scrolled out to the left and top
    EXPECT_EQ(grid->CellRect(3, 5), Rect(51, 21, 101, 41));
    EXPECT_EQ(grid->CellRect(0, 5), Rect(0, 21, 50, 41));   // fixed column stays
    EXPECT_EQ(grid->CellRect(3, 0), Rect(51, 0, 101, 20));  // fixed row stays
    EXPECT_EQ(grid->CellRect(0, 0), Rect(0, 0, 50, 20));
}

TEST_F(GridTest, LinesTakeNoSpaceWithoutLineOptions) {
    grid->SetOptions(grid->Options() - goVertLine - goHorzLine);
    EXPECT_EQ(grid->CellRect(2, 3), Rect(100, 60, 150, 80));
    grid->SetOptions(grid->Options() + goVertLine + goHorzLine);
    grid->SetGridLineWidth(3);
    EXPECT_EQ(grid->CellRect(2, 3), Rect(106, 69, 156, 89));
}

TEST_F(GridTest, MouseCoordFindsCellsAndLinesBelongToTheCellBefore) {
    EXPECT_EQ(grid->MouseCoord(10, 10), (TGridCoord{0, 0}));
    EXPECT_EQ(grid->MouseCoord(60, 30), (TGridCoord{1, 1}));
    EXPECT_EQ(grid->MouseCoord(50, 20), (TGridCoord{0, 0}));  // on the lines after cell (0, 0)
    EXPECT_EQ(grid->MouseCoord(51, 21), (TGridCoord{1, 1}));
    EXPECT_EQ(grid->MouseCoord(-1, 10), (TGridCoord{-1, -1}));
    EXPECT_EQ(grid->MouseCoord(10, 500), (TGridCoord{-1, -1}));
    grid->SetTopRow(10);
    EXPECT_EQ(grid->MouseCoord(60, 30), (TGridCoord{1, 10}));
    int c = 0, r = 0;
    grid->MouseToCell(5, 5, c, r);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 0);
}

TEST_F(GridTest, VisibleCountsAndLastTopLeft) {
    EXPECT_EQ(grid->VisibleColCount(), 3);  // columns 1..3 whole, 4 cut
    EXPECT_EQ(grid->VisibleRowCount(), 8);  // rows 1..8 whole (9 ends at 209 > 200)
    // The last top row keeps the grid full: rows 22..29 are 8 rows.
    grid->SetTopRow(1000);
    EXPECT_EQ(grid->TopRow(), 22);
    grid->SetLeftCol(99);
    EXPECT_EQ(grid->LeftCol(), 5);
}

TEST_F(GridTest, BadIndexesAndFixedCountsRaise) {
    EXPECT_THROW(grid->SetColWidths(8, 10), EInvalidGridOperation);
    EXPECT_THROW(grid->RowHeights(-1), EInvalidGridOperation);
    try {
        grid->SetFixedRows(30);
        FAIL();
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message(), "Fixed row count must be less than row count");
    }
    EXPECT_THROW(grid->SetFixedCols(8), EInvalidGridOperation);
    EXPECT_THROW(grid->SetRow(30), EInvalidGridOperation);
}

TEST_F(GridTest, ShrinkingTheGridKeepsTheCurrentCellInside) {
    grid->SetRow(25);
    grid->SetCol(7);
    grid->SetRowCount(10);
    grid->SetColCount(3);
    EXPECT_EQ(grid->Row(), 9);
    EXPECT_EQ(grid->Col(), 2);
    // Fewer rows than fixed ones takes the fixed rows down with them.
    grid->SetRowCount(1);
    EXPECT_EQ(grid->FixedRows(), 0);
    EXPECT_EQ(grid->Row(), 0);
}

// ---- Keys --------------------------------------------------------------------------------

TEST_F(GridTest, ArrowKeysMoveTheCurrentCellAndScrollItIntoView) {
    ASSERT_EQ(grid->Col(), 1);
    ASSERT_EQ(grid->Row(), 1);
    SendKey(grid, VK_DOWN);
    SendKey(grid, VK_RIGHT);
    SendKey(grid, VK_RIGHT);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 3);
    SendKey(grid, VK_RIGHT);  // column 4 is cut: the grid scrolls by one
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_EQ(grid->LeftCol(), 2);
    SendKey(grid, VK_LEFT);
    SendKey(grid, VK_LEFT);
    SendKey(grid, VK_LEFT);
    SendKey(grid, VK_LEFT);  // never into the fixed column
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->LeftCol(), 1);
    SendKey(grid, VK_UP);
    SendKey(grid, VK_UP);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridTest, PageHomeAndEndKeys) {
    struct Step {
        uint16_t key;
        TShiftState shift;
        int col, row, top;
    };
    const Step steps[] = {
        {VK_NEXT, {}, 1, 9, 9}, {VK_PRIOR, {}, 1, 1, 1},       {VK_END, {}, 7, 1, 1},
        {VK_HOME, {}, 1, 1, 1}, {VK_END, {ssCtrl}, 7, 29, 22}, {VK_HOME, {ssCtrl}, 1, 1, 1},
    };
    for (const Step& s : steps) {
        SendKey(grid, s.key, s.shift);
        EXPECT_EQ((std::vector<int>{grid->Col(), grid->Row(), grid->TopRow()}),
                  (std::vector<int>{s.col, s.row, s.top}))
            << s.key;
    }
}

TEST_F(GridTest, ShiftArrowsExtendTheSelectionFromTheCurrentCell) {
    SendKey(grid, VK_DOWN, {ssShift});
    SendKey(grid, VK_RIGHT, {ssShift});
    SendKey(grid, VK_RIGHT, {ssShift});
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 3, 2}));
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    SendKey(grid, VK_DOWN);  // a plain move collapses it
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 1, 2}));
    grid->SetOptions(grid->Options() - goRangeSelect);
    SendKey(grid, VK_DOWN, {ssShift});
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 3, 1, 3}));
}

TEST_F(GridTest, RowSelectSelectsWholeRowsAndLeftRightScroll) {
    grid->SetOptions(grid->Options() + goRowSelect);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 7, 1}));
    SendKey(grid, VK_RIGHT);
    EXPECT_EQ(grid->LeftCol(), 2);
    EXPECT_EQ(grid->Row(), 1);
    SendKey(grid, VK_DOWN);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 7, 2}));
}

TEST_F(GridTest, TabMovesThroughTabStopsAndWrapsToTheNextRow) {
    // Without goTabs Tab is not the grid's.
    TMessage m;
    m.Msg = WM_GETDLGCODE;
    grid->WndProc(m);
    EXPECT_EQ(m.Result & DLGC_WANTTAB, 0);
    grid->SetOptions(grid->Options() + goTabs);
    grid->SetTabStops(2, false);
    grid->SetCol(6);
    SendKey(grid, VK_TAB);
    EXPECT_EQ(grid->Col(), 7);
    SendKey(grid, VK_TAB);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 2);
    SendKey(grid, VK_TAB);
    EXPECT_EQ(grid->Col(), 3);  // column 2 is no tab stop
    SendKey(grid, VK_TAB, {ssShift});
    SendKey(grid, VK_TAB, {ssShift});
    EXPECT_EQ(grid->Col(), 7);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridTest, RefusedCellsStayUnselected) {
    grid->Refused[{1, 2}] = true;
    SendKey(grid, VK_DOWN);
    EXPECT_EQ(grid->Row(), 1);
    grid->SetRow(3);
    EXPECT_EQ(grid->Row(), 3);
}

// ---- Wheel and scroll requests -------------------------------------------------------------

TEST_F(GridTest, WheelMovesTheCurrentRow) {
    SendMouseWheel(grid, -120, 60, 60);
    SendMouseWheel(grid, -120, 60, 60);
    EXPECT_EQ(grid->Row(), 3);
    SendMouseWheel(grid, 120, 60, 60);
    EXPECT_EQ(grid->Row(), 2);
    grid->SetRow(29);
    SendMouseWheel(grid, -120, 60, 60);
    EXPECT_EQ(grid->Row(), 29);
    EXPECT_EQ(grid->TopRow(), 22);
}

TEST_F(GridTest, ScrollRequestsMoveTheTopRowAndLeaveTheCurrentCell) {
    struct Step {
        unsigned message;
        int code, position;
        bool thumbTracking;
        int top, left;
    };
    // Tracking the thumb scrolls only with goThumbTracking.
    const Step steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, 0, false, 2, 1},      {WM_VSCROLL, SB_PAGEDOWN, 0, false, 10, 1},
        {WM_VSCROLL, SB_LINEUP, 0, false, 9, 1},        {WM_VSCROLL, SB_BOTTOM, 0, false, 22, 1},
        {WM_VSCROLL, SB_THUMBPOSITION, 4, false, 5, 1}, {WM_VSCROLL, SB_THUMBTRACK, 10, false, 5, 1},
        {WM_VSCROLL, SB_THUMBTRACK, 10, true, 11, 1},   {WM_VSCROLL, SB_TOP, 0, true, 1, 1},
        {WM_HSCROLL, SB_LINERIGHT, 0, true, 1, 2},      {WM_HSCROLL, SB_LINERIGHT, 0, true, 1, 3},
        {WM_HSCROLL, SB_RIGHT, 0, true, 1, 5},
    };
    for (const Step& s : steps) {
        grid->SetOptions(s.thumbTracking ? grid->Options() + goThumbTracking
                                         : grid->Options() - goThumbTracking);
        grid->Perform(s.message, MakeWParam(s.code, s.position), 0);
        EXPECT_EQ(grid->TopRow(), s.top) << s.message << " " << s.code;
        EXPECT_EQ(grid->LeftCol(), s.left) << s.message << " " << s.code;
    }
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridTest, ScrollBarsShowRangePageAndPosition) {
    grid->SetScrollBars(ssBoth);
    ProcessEvents();
    ASSERT_TRUE(grid->ScrollBarVisible(SB_VERT));
    ASSERT_TRUE(grid->ScrollBarVisible(SB_HORZ));
    TScrollInfo si;
    grid->GetScrollInfo(SB_VERT, si);
    // The bars take client space: fewer rows show, so the last top row is later.
    const TGridCoord last = grid->CalcMaxTopLeft({100, 100}, [&] {
        TGridDrawInfo di;
        grid->CalcDrawInfo(di);
        return di;
    }());
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 28);  // rows 1..29
    EXPECT_EQ(si.nMax - static_cast<int>(si.nPage) + 1,
              last.Y - 1);  // the thumb's last place: the last top row
    EXPECT_EQ(si.nPos, 0);
    grid->SetTopRow(7);
    grid->GetScrollInfo(SB_VERT, si);
    EXPECT_EQ(si.nPos, 6);
    EXPECT_EQ(grid->GetScrollPos(SB_VERT), 6);
    // A grid whose rows all fit has no vertical bar.
    grid->SetRowCount(4);
    EXPECT_FALSE(grid->ScrollBarVisible(SB_VERT));
    EXPECT_TRUE(grid->ScrollBarVisible(SB_HORZ));
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(GridTest, ScrollBarsNarrowTheClientArea) {
    const int width = grid->ClientWidth();
    grid->SetScrollBars(ssVertical);
    EXPECT_LT(grid->ClientWidth(), width);
    grid->SetRowCount(3);
    EXPECT_EQ(grid->ClientWidth(), width);
}

// ---- Mouse: selecting, sizing, moving -------------------------------------------------------

TEST_F(GridTest, ClickAndDragSelect) {
    SendClick(grid, 130, 70);  // cell (2, 3)
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 3);
    SendMouseDown(grid, mbLeft, 60, 30);
    SendMouseMove(grid, 170, 110, {ssLeft});
    SendMouseUp(grid, mbLeft, 170, 110);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 3, 5}));
    SendClick(grid, 170, 70, mbLeft, {ssShift});
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 3, 3}));
    // Clicks on fixed cells move nothing.
    SendClick(grid, 10, 70);
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridTest, SizingAColumnWithTheMouse) {
    grid->SetOptions(grid->Options() + goColSizing);
    const int before = grid->WidthChanges;
    // The line after column 1 is at x = 101 in the title row.
    SendMouseDown(grid, mbLeft, 100, 10);
    EXPECT_EQ(grid->GridState(), gsColSizing);
    SendMouseMove(grid, 130, 10, {ssLeft});
    SendMouseUp(grid, mbLeft, 130, 10);
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_EQ(grid->ColWidths(1), 80);
    EXPECT_GT(grid->WidthChanges, before);
    EXPECT_EQ(grid->CellRect(2, 1).Left, 132);
    // Sizing to nothing keeps the width.
    SendMouseDown(grid, mbLeft, 131, 10);
    SendMouseMove(grid, 40, 10, {ssLeft});
    SendMouseUp(grid, mbLeft, 40, 10);
    EXPECT_EQ(grid->ColWidths(1), 80);
}

TEST_F(GridTest, NoSizingWithoutTheOptionOrOutsideTheFixedRows) {
    SendMouseDown(grid, mbLeft, 100, 10);
    EXPECT_NE(grid->GridState(), gsColSizing);
    SendMouseUp(grid, mbLeft, 100, 10);
    grid->SetOptions(grid->Options() + goColSizing);
    SendMouseDown(grid, mbLeft, 100, 50);  // a data row: a click
    EXPECT_EQ(grid->GridState(), gsSelecting);
    SendMouseUp(grid, mbLeft, 100, 50);
    EXPECT_EQ(grid->ColWidths(1), 50);
}

TEST_F(GridTest, SizingARowWithTheMouse) {
    grid->SetOptions(grid->Options() + goRowSizing);
    SendMouseDown(grid, mbLeft, 20, 41);  // the line after row 1
    EXPECT_EQ(grid->GridState(), gsRowSizing);
    SendMouseMove(grid, 20, 56, {ssLeft});
    SendMouseUp(grid, mbLeft, 20, 56);
    EXPECT_EQ(grid->RowHeights(1), 35);
}

TEST_F(GridTest, MovingAColumnByItsTitle) {
    grid->SetOptions(grid->Options() + goColMoving);
    grid->SetColWidths(1, 40);
    grid->SetCol(1);
    // Drag the title of column 1 onto column 3.
    SendMouseDown(grid, mbLeft, 20 + 51, 10);
    EXPECT_EQ(grid->GridState(), gsColMoving);
    SendMouseMove(grid, 150, 10, {ssLeft});
    SendMouseUp(grid, mbLeft, 150, 10);
    ASSERT_EQ(grid->Moves.size(), 1u);
    EXPECT_EQ(grid->Moves[0], std::make_pair(1, 3));
    // The width and the current cell went along.
    EXPECT_EQ(grid->ColWidths(3), 40);
    EXPECT_EQ(grid->ColWidths(1), 50);
    EXPECT_EQ(grid->Col(), 3);
    // Pressing and releasing on the same title moves nothing.
    SendClick(grid, 75, 10);
    EXPECT_EQ(grid->Moves.size(), 1u);
}

TEST_F(GridTest, MoveColumnKeepsWidthsAndTabStopsInStep) {
    grid->SetColWidths(2, 70);
    grid->SetTabStops(2, false);
    grid->MoveColumn(2, 5);
    EXPECT_EQ(grid->ColWidths(5), 70);
    EXPECT_FALSE(grid->TabStops(5));
    EXPECT_TRUE(grid->TabStops(2));
    grid->MoveColumn(5, 1);
    EXPECT_EQ(grid->ColWidths(1), 70);
    EXPECT_FALSE(grid->TabStops(1));
}

TEST_F(GridTest, SelectingBeyondTheBottomScrollsOnATimer) {
    SendMouseDown(grid, mbLeft, 60, 30);
    SendMouseMove(grid, 60, 260, {ssLeft});
    EXPECT_TRUE(WaitUntil([&] { return grid->TopRow() >= 4; }, 60000));
    SendMouseUp(grid, mbLeft, 60, 260);
    ASSERT_FALSE(grid->TimedScrolls.empty());
    EXPECT_TRUE(grid->TimedScrolls[0].Contains(sdDown));
    // The selection followed down to the last row shown.
    EXPECT_EQ(grid->Selection().Bottom, grid->TopRow() + grid->VisibleRowCount() - 1);
    const int top = grid->TopRow();
    const size_t ticks = grid->TimedScrolls.size();
    WaitUntil([] { return false; }, 200);
    EXPECT_EQ(grid->TopRow(), top);  // released: no more scrolling
    EXPECT_EQ(grid->TimedScrolls.size(), ticks);
}

TEST_F(GridTest, TimedScrollUpAndLeftStopsAtTheFixedCells) {
    grid->SetLeftCol(3);
    grid->SetTopRow(3);
    grid->ScrollTimed({sdUp, sdLeft});
    EXPECT_EQ(grid->TopRow(), 2);
    EXPECT_EQ(grid->LeftCol(), 2);
    grid->ScrollTimed({sdUp, sdLeft});
    grid->ScrollTimed({sdUp, sdLeft});
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(grid->LeftCol(), 1);
    EXPECT_EQ(grid->Selection().Top, 1);
}

// ---- Painting ---------------------------------------------------------------------------

TEST_F(GridTest, PaintsCellsFixedCellsLinesAndTheSelection) {
    grid->SetFixedColor(clBtnFace);
    SendKey(grid, VK_DOWN, {ssShift});
    TBitmap bmp;
    RenderControl(grid, &bmp);
    RenderControlToPng(grid, TestRunPath("grid_test_grid.png"));
    TCanvas* c = bmp.Canvas();
    EXPECT_EQ(c->Pixels(25, 15), ColorToRGB(clBtnFace));         // fixed corner
    EXPECT_EQ(c->Pixels(140, 100), TCellGrid::CellColor(2, 4));  // a plain cell (away from its text)
    EXPECT_EQ(c->Pixels(50, 100), ColorToRGB(clBlack));          // the fixed column's line
    EXPECT_EQ(c->Pixels(101, 100), ColorToRGB(clSilver));        // a data line
    // The second selected cell (not the focused one) is highlighted.
    EXPECT_EQ(c->Pixels(90, 55), ColorToRGB(clHighlight));
    EXPECT_NE(c->Pixels(90, 35), ColorToRGB(clHighlight));
}

TEST_F(GridTest, BorderAndScrollBarsFrameTheCells) {
    grid->SetBorderStyle(bsSingle);
    grid->SetScrollBars(ssBoth);
    grid->SetTopRow(3);
    ProcessEvents();
    EXPECT_EQ(grid->ClientWidth(), 230 - 4 - TGridScrollBarsThickness());
    TBitmap bmp;
    RenderControl(grid, &bmp);
    RenderControlToPng(grid, TestRunPath("grid_test_grid_bars.png"));
    TCanvas* c = bmp.Canvas();
    // The cells start inside the 2-pixel sunken edge; the corner between
    // the bars is button face.
    EXPECT_EQ(c->Pixels(2 + 25, 2 + 15), ColorToRGB(clBtnFace));
    EXPECT_EQ(c->Pixels(230 - 4, 200 - 4), ColorToRGB(clBtnFace));
    EXPECT_EQ(grid->MouseCoord(25, 15), (TGridCoord{0, 0}));
}

TEST_F(GridTest, AMillionRowsPaintOnlyWhatShows) {
    grid->SetScrollBars(ssBoth);
    grid->SetRowCount(1000000);
    grid->SetRow(999999);
    EXPECT_GE(grid->TopRow(), 999990);
    EXPECT_EQ(grid->CellRect(1, 999999).Bottom <= grid->ClientHeight(), true);
    grid->DrawCount = 0;
    grid->Repaint();
    EXPECT_GT(grid->DrawCount, 0);
    EXPECT_LE(grid->DrawCount, 5 * 11);
    EXPECT_EQ(grid->MaxRowDrawn, 999999);
    grid->Perform(WM_VSCROLL, MakeWParam(SB_TOP, 0), 0);
    EXPECT_EQ(grid->TopRow(), 1);
    TScrollInfo si;
    grid->GetScrollInfo(SB_VERT, si);
    EXPECT_EQ(si.nMax, 999998);
    SendKey(grid, VK_END, {ssCtrl});
    EXPECT_EQ(grid->Row(), 999999);
}

}  // namespace
