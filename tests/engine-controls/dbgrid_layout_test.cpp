// The engine grid's layout: options and their normalisation, frozen columns,
// row and title heights, the record window that holds only the visible rows,
// the vertical scroll bar and its requests, and the wheel.
#include "support/engine-controls/dbgrid_fixture.h"

namespace {

class DBGridLayoutTest : public DBGridTest {};

TEST_F(DBGridLayoutTest, OptionsAreNormalised) {
    EXPECT_EQ(OstraDBGridDefaultOptions, Grid->Options());
    TOstraDBGridOptions o = Grid->Options();
    o += dgDragOutRows;
    o += dgAlwaysShowEditor;
    o += dgEnterToTab;
    Grid->SetOptions(o);
    const TOstraDBGridOptions got = Grid->Options();
    EXPECT_TRUE(got.Contains(dgRowSelect));
    EXPECT_FALSE(got.Contains(dgEditing));
    EXPECT_FALSE(got.Contains(dgAlwaysShowEditor));
    EXPECT_FALSE(got.Contains(dgEnterToTab));
    const TGridOptions generic = static_cast<TCustomGrid*>(Grid)->Options();
    EXPECT_TRUE(generic.Contains(goRowSelect));
    EXPECT_FALSE(generic.Contains(goEditing));

    Grid->SetOptions({dgTitles, dgEditing, dgAlwaysShowEditor});
    const TGridOptions bare = static_cast<TCustomGrid*>(Grid)->Options();
    EXPECT_FALSE(bare.Contains(goVertLine));
    EXPECT_FALSE(bare.Contains(goHorzLine));
    EXPECT_FALSE(bare.Contains(goColSizing));
    EXPECT_FALSE(bare.Contains(goTabs));
    EXPECT_TRUE(bare.Contains(goEditing));
    EXPECT_TRUE(bare.Contains(goAlwaysShowEditor));
}

TEST_F(DBGridLayoutTest, AllowInsertAndDeleteNeedEditing) {
    EXPECT_TRUE(Grid->AllowInsert());
    EXPECT_TRUE(Grid->AllowDelete());
    Grid->SetOptions(Grid->Options() - dgEditing);
    EXPECT_FALSE(Grid->AllowInsert());
    EXPECT_FALSE(Grid->AllowDelete());
    Grid->SetAllowInsert(true);
    Grid->SetAllowDelete(true);
    EXPECT_FALSE(Grid->AllowInsert());
    EXPECT_FALSE(Grid->AllowDelete());
    Grid->SetOptions(Grid->Options() + dgEditing);
    EXPECT_FALSE(Grid->AllowInsert());
    Grid->SetAllowInsert(true);
    Grid->SetAllowDelete(true);
    EXPECT_TRUE(Grid->AllowInsert());
    EXPECT_TRUE(Grid->AllowDelete());
}

TEST_F(DBGridLayoutTest, IndicatorAndTitlesSetTheOffsets) {
    ShowTasks(3);
    EXPECT_EQ(1, Grid->IndicatorOffset());
    EXPECT_EQ(1, Grid->TitleOffset());
    EXPECT_EQ(5, Grid->ColCount());
    EXPECT_EQ(TOstraCustomDBGrid::IndicatorWidth, Grid->ColWidths(0));
    EXPECT_EQ(4, Grid->RowCount());
    Grid->SetOptions(Grid->Options() - dgIndicator - dgTitles);
    EXPECT_EQ(0, Grid->IndicatorOffset());
    EXPECT_EQ(0, Grid->TitleOffset());
    EXPECT_EQ(4, Grid->ColCount());
    EXPECT_EQ(3, Grid->RowCount());
    EXPECT_EQ(0, Grid->FixedRows());
    EXPECT_EQ(0, static_cast<TCustomGrid*>(Grid)->FixedCols());
}

TEST_F(DBGridLayoutTest, FrozenColumnsAreNeverNegative) {
    ShowTasks(3);
    Grid->SetFixedCols(-4);
    EXPECT_EQ(0, Grid->FixedCols());
    EXPECT_EQ(1, static_cast<TCustomGrid*>(Grid)->FixedCols());
    Grid->SetFixedCols(1);
    EXPECT_EQ(1, Grid->FixedCols());
    EXPECT_EQ(2, static_cast<TCustomGrid*>(Grid)->FixedCols());
    EXPECT_FALSE(Grid->TabStops(1));
    EXPECT_TRUE(Grid->TabStops(2));
    EXPECT_GE(Grid->Col(), 2);
    // More frozen columns than there are leave the layout unfrozen.
    Grid->SetFixedCols(10);
    EXPECT_EQ(10, Grid->FixedCols());
    EXPECT_EQ(1, static_cast<TCustomGrid*>(Grid)->FixedCols());
}

TEST_F(DBGridLayoutTest, RowsHeightWinsOnlyOverALowerTextHeight) {
    OpenTasks(3);
    UseTaskColumns();
    TFont font;
    font.SetSize(8);
    Grid->SetParentFont(false);
    Grid->SetFont(&font);
    ShowGrid();
    const int textRow = Grid->DefaultRowHeight();
    Grid->Canvas()->SetFont(Grid->Font());
    EXPECT_EQ(Grid->Canvas()->TextHeight("Wg") + 3 + Grid->GridLineWidth(), textRow);
    Grid->SetRowsHeight(28);
    EXPECT_EQ(28, Grid->DefaultRowHeight());
    EXPECT_EQ(28, Grid->RowHeights(1));
    EXPECT_EQ(28, DataCellRect(0, 0).Height());
    Grid->SetRowsHeight(4);
    EXPECT_EQ(textRow, Grid->DefaultRowHeight());

    const int title = Grid->RowHeights(0);
    Grid->SetTitleHeight(40);
    EXPECT_EQ(40, Grid->RowHeights(0));
    Grid->SetTitleHeight(2);
    EXPECT_EQ(title, Grid->RowHeights(0));
}

TEST_F(DBGridLayoutTest, OnlyTheVisibleRowsAreBuffered) {
    ShowTasks(5000);
    const int rows = Grid->VisibleDataRows();
    EXPECT_GT(rows, 5);
    EXPECT_LT(rows, 40);
    EXPECT_EQ(rows, Grid->DataLink()->BufferCount());
    EXPECT_EQ(rows + 1, Grid->RowCount());
    EXPECT_EQ(1, Grid->TopRow());
    // Taller grid, more rows.
    Grid->SetHeight(Grid->Height() + 5 * Grid->DefaultRowHeight());
    ProcessEvents();
    EXPECT_GE(Grid->DataLink()->BufferCount(), rows + 4);
    EXPECT_EQ(Grid->DataLink()->BufferCount() + 1, Grid->RowCount());
}

TEST_F(DBGridLayoutTest, CurrentRowFollowsTheDataset) {
    ShowTasks(200);
    EXPECT_EQ(1, Grid->Row());
    Table->MoveBy(3);
    EXPECT_EQ(4, Grid->Row());
    Table->Last();
    EXPECT_EQ(Grid->RowCount() - 1, Grid->Row());
    EXPECT_EQ("Task 200", Action());
}

TEST_F(DBGridLayoutTest, ScrollBarFollowsTheRecordNumber) {
    ShowTasks(500);
    TScrollInfo si;
    Grid->GetScrollInfo(SB_VERT, si);
    const int page = Grid->VisibleRowCount();
    EXPECT_EQ(1, si.nMin);
    EXPECT_EQ(static_cast<unsigned>(page), si.nPage);
    EXPECT_EQ(500 + page - 1, si.nMax);
    EXPECT_EQ(1, si.nPos);
    EXPECT_TRUE(Grid->ScrollBarVisible(SB_VERT));
    Table->MoveBy(41);
    Grid->GetScrollInfo(SB_VERT, si);
    EXPECT_EQ(42, si.nPos);
    Table->Last();
    Grid->GetScrollInfo(SB_VERT, si);
    EXPECT_EQ(500, si.nPos);
    Table->Close();
    EXPECT_FALSE(Grid->ScrollBarVisible(SB_VERT));
}

TEST_F(DBGridLayoutTest, ScrollRequestsMoveTheDataset) {
    ShowTasks(300);
    Grid->Perform(WM_VSCROLL, MakeWParam(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(2, Table->RecNo());
    Grid->Perform(WM_VSCROLL, MakeWParam(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(2 + Grid->VisibleRowCount(), Table->RecNo());
    Grid->Perform(WM_VSCROLL, MakeWParam(SB_LINEUP, 0), 0);
    EXPECT_EQ(1 + Grid->VisibleRowCount(), Table->RecNo());
    Grid->Perform(WM_VSCROLL, MakeWParam(SB_BOTTOM, 0), 0);
    EXPECT_EQ(300, Table->RecNo());
    Grid->Perform(WM_VSCROLL, MakeWParam(SB_TOP, 0), 0);
    EXPECT_EQ(1, Table->RecNo());
    Grid->Perform(WM_VSCROLL, MakeWParam(SB_THUMBPOSITION, 150), 0);
    EXPECT_EQ(150, Table->RecNo());
    EXPECT_EQ("Task 150", Action());
}

TEST_F(DBGridLayoutTest, WheelMovesOneRecord) {
    ShowTasks(30);
    const TPoint p = CellCenter(1, 2);
    SendMouseWheel(Grid, -120, p.X, p.Y);
    EXPECT_EQ(2, Table->RecNo());
    SendMouseWheel(Grid, -120, p.X, p.Y);
    SendMouseWheel(Grid, 120, p.X, p.Y);
    EXPECT_EQ(2, Table->RecNo());
}

TEST_F(DBGridLayoutTest, EmptyAndClosedDatasets) {
    UseTaskColumns();
    Table->Open();
    ShowGrid();
    EXPECT_EQ(2, Grid->RowCount());
    EXPECT_EQ(5, Grid->ColCount());
    Table->Close();
    EXPECT_EQ(2, Grid->RowCount());
    // Stored columns stay, unbound.
    EXPECT_EQ(4, Grid->Columns()->Count());
    EXPECT_EQ(nullptr, Grid->SelectedField());
    Table->Open();
    EXPECT_EQ(Table->FieldByName("Flag"), Grid->Columns()->GetColumn(0)->Field());
}

TEST_F(DBGridLayoutTest, DataSourceRemovalUnbindsTheGrid) {
    OpenTasks(3);
    ShowGrid();
    EXPECT_GT(Grid->Columns()->Count(), 1);
    delete Source;
    Source = nullptr;
    EXPECT_EQ(nullptr, Grid->DataSource());
    EXPECT_EQ(1, Grid->Columns()->Count());
    EXPECT_EQ(2, Grid->RowCount());
}

}  // namespace
