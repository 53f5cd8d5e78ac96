// The engine grid right to left over an engine table: drawn as the
// left-to-right grid mirrored, clicks, column sizing and the cell editor
// following the mirrored layout.
#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/core/properties.h"
#include "platform/ui/drawing.h"
#include "support/engine-controls/dbgrid_fixture.h"
#include "support/ui/mirror_compare.h"

namespace {

using DBGridRightToLeft = DBGridTest;

TEST_F(DBGridRightToLeft, DrawsTheLeftToRightGridMirrored) {
    ShowTasks(3);
    const auto ltr = ClientPart(*Render("dbgrid_ltr"), Grid);
    Grid->SetBiDiMode(bdRightToLeft);
    const auto rtl = ClientPart(*Render("dbgrid_rtl"), Grid);
    const int w = Grid->ClientWidth(), h = Grid->ClientHeight();
    // The indicator at the right edge, the check-box column beside it.
    EXPECT_EQ(w, Grid->GridToClientRect(Grid->CellRect(0, 1)).Right);
    EXPECT_EQ(Grid->GridToClientRect(Grid->CellRect(0, 1)).Left - 1, ShownCellRect(0, 0).Right);
    // Only the text runs may differ (in their glyphs); the lines, the
    // indicator and the check boxes are the mirror of the other picture.
    std::vector<TRect> text;
    for (int c = 0; c < Grid->Columns()->Count(); ++c)
        for (int r = -1; r < 3; ++r) {
            const TRect cell = ShownCellRect(c, r);
            if (IsRectEmpty(cell) || (c == 0 && r >= 0)) continue;
            text.push_back(Rect(cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom - 2));
        }
    EXPECT_EQ(0, MirrorDifferences(*ltr, *rtl, w, h, text));
    for (const TRect& r : text) {
        const TInkSpan got = InkSpan(*rtl, r);
        const TInkSpan want = InkSpan(*ltr, MirroredRect(r, w));
        ASSERT_EQ(want.Empty(), got.Empty());
        if (want.Empty()) continue;
        EXPECT_NEAR(w - 1 - want.Right, got.Left, 2);
        EXPECT_NEAR(w - 1 - want.Left, got.Right, 2);
    }
    // A left-aligned action reads from the right edge of its cell.
    const TRect action = ShownCellRect(1, 0);
    const TInkSpan ink =
        InkSpan(*rtl, Rect(action.Left + 2, action.Top + 2, action.Right - 2, action.Bottom - 2));
    EXPECT_GT(ink.Left, (action.Left + action.Right) / 2);
}

TEST_F(DBGridRightToLeft, ClickAndSizingFollowTheMirroredColumns) {
    ShowTasks(3);
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    ClickCell(3, 2);
    EXPECT_EQ(Grid->DataToRawColumn(3), Grid->Col());
    EXPECT_EQ("Task 3", Action());
    ClickCell(1, 1);
    EXPECT_EQ(Grid->DataToRawColumn(1), Grid->Col());
    EXPECT_EQ("Task 2", Action());
    // Left is the next column, Right the one before.
    SendKey(Grid, VK_LEFT);
    EXPECT_EQ(Grid->DataToRawColumn(2), Grid->Col());
    // Action's far edge shows at its left: dragging it 15 pixels further
    // left widens the column by 15 and reports Action as resized.
    TOstraColumn* resized = nullptr;
    Grid->SetOnColumnResized([&](TObject*, TOstraColumn* c) { resized = c; });
    const int edge = ShownCellRect(1, -1).Left - 1;
    const int y = ShownCellRect(1, -1).Top + 4;
    SendMouseDown(Grid, mbLeft, edge, y);
    SendMouseMove(Grid, edge - 15, y, {ssLeft});
    SendMouseUp(Grid, mbLeft, edge - 15, y);
    EXPECT_EQ(175, Grid->Columns()->GetColumn(1)->Width());
    EXPECT_EQ(Grid->Columns()->GetColumn(1), resized);
}

TEST_F(DBGridRightToLeft, EditorSitsOverTheMirroredCell) {
    ShowTasks(3);
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    ClickCell(1, 0);
    SendKey(Grid, VK_F2);
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    const TRect cell = ShownCellRect(1, 0);
    EXPECT_EQ(cell.Left, editor->Left());
    EXPECT_EQ(cell.Right, editor->Left() + editor->Width());
    SendKey(editor, VK_END);
    SendText(editor, " done");
    SendKey(editor, VK_RETURN);
    EXPECT_EQ("Task 1 done", Action());
}

TEST_F(DBGridRightToLeft, EditorPassesEdgeArrowsAsTheGridReads) {
    ShowTasks(3);
    Grid->SetOptions(Grid->Options() + dgAlwaysShowEditor);
    Grid->SetBiDiMode(bdRightToLeft);
    ClickCell(1, 0);
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    EXPECT_TRUE(editor->UseRightToLeftAlignment());
    // Inside the text Left stays in the editor; at its start it goes to the
    // grid: the next column, to the left.
    editor->SetSelStart(2);
    editor->SetSelLength(0);
    SendKey(editor, VK_LEFT);
    EXPECT_EQ(Grid->DataToRawColumn(1), Grid->Col());
    editor->SetSelStart(0);
    editor->SetSelLength(0);
    SendKey(editor, VK_LEFT);
    EXPECT_EQ(Grid->DataToRawColumn(2), Grid->Col());
    // At the end Right goes back.
    Grid->InplaceEditor()->SetSelStart(static_cast<int>(Grid->InplaceEditor()->Text().size()));
    Grid->InplaceEditor()->SetSelLength(0);
    SendKey(Grid->InplaceEditor(), VK_RIGHT);
    EXPECT_EQ(Grid->DataToRawColumn(1), Grid->Col());
}

// The direction changed while the editor shows, either way: the editor moves
// over its cell and keeps its text, its caret and the focus.
TEST_F(DBGridRightToLeft, EditorFollowsADirectionChange) {
    ShowTasks(3);
    ClickCell(1, 0);
    SendKey(Grid, VK_F2);
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    SendKey(editor, VK_END);
    SendKey(editor, VK_LEFT);
    for (const TBiDiMode mode : {bdRightToLeft, bdLeftToRight}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Grid->SetBiDiMode(mode);
        ProcessEvents();
        Render(mode == bdRightToLeft ? "dbgrid_turned_rtl" : "dbgrid_turned_ltr");
        ASSERT_TRUE(editor->Visible());
        const TRect cell = ShownCellRect(1, 0);
        EXPECT_EQ(cell.Left, editor->Left());
        EXPECT_EQ(cell.Right, editor->Left() + editor->Width());
        EXPECT_EQ(mode == bdRightToLeft, editor->UseRightToLeftAlignment());
        EXPECT_EQ(editor, FocusedControl());
        SendText(editor, "x");
    }
    SendKey(editor, VK_RETURN);
    EXPECT_EQ("Task xx1", Action());
}

// Turned while its pick list is open: the list closes taking nothing, the
// editor moves over the mirrored cell with its button on the side the grid
// now reads from, and that button opens the list again.
TEST_F(DBGridRightToLeft, AnOpenPickListClosesOnADirectionChange) {
    ShowTasks(3);
    ClickCell(2, 0);
    SendKey(Grid, VK_F2);
    ProcessEvents();
    auto* editor = dynamic_cast<TOstraDBGridInplaceEdit*>(Grid->InplaceEditor());
    ASSERT_NE(nullptr, editor);
    SendKey(editor, VK_DOWN, {ssAlt});
    ASSERT_TRUE(editor->ListVisible());
    SendKey(editor, VK_DOWN);
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    Render("dbgrid_turned_picklist");
    EXPECT_FALSE(editor->ListVisible());
    ASSERT_TRUE(editor->Visible());
    EXPECT_EQ(ShownCellRect(2, 0), editor->BoundsRect());
    EXPECT_EQ(0, editor->ButtonRect().Left);
    EXPECT_EQ("Urgent", editor->Text());
    SendClick(editor, editor->ButtonWidth() / 2, editor->Height() / 2);
    EXPECT_TRUE(editor->ListVisible());
    SendKey(editor, VK_ESCAPE);
    EXPECT_EQ("0", Table->FieldByName("Priority")->AsString());
}

TEST_F(DBGridRightToLeft, FollowsTheFormsDirectionUnlessGivenItsOwn) {
    ShowTasks(3);
    EXPECT_EQ(1, GetOrdProp(Grid, "ParentBiDiMode"));
    Grid->SetBiDiMode(bdRightToLeft);
    const auto own = Render();
    SetOrdProp(Grid, "ParentBiDiMode", 1);
    EXPECT_EQ(bdLeftToRight, Grid->BiDiMode());
    Form->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(bdRightToLeft, Grid->BiDiMode());
    // Drawn as when it was set on the grid itself.
    const auto byForm = Render("dbgrid_rtl_by_form");
    int differences = 0;
    for (int y = 0; y < own->Height(); ++y)
        for (int x = 0; x < own->Width(); ++x)
            if (own->Canvas()->Pixels(x, y) != byForm->Canvas()->Pixels(x, y)) ++differences;
    EXPECT_EQ(0, differences);
    // Read so: Left is the next column.
    ClickCell(1, 0);
    SendKey(Grid, VK_LEFT);
    EXPECT_EQ(Grid->DataToRawColumn(2), Grid->Col());
    // Its own direction, by name, stays through the form's changes.
    SetEnumProp(Grid, "BiDiMode", "bdLeftToRight");
    EXPECT_EQ(0, GetOrdProp(Grid, "ParentBiDiMode"));
    Form->SetBiDiMode(bdLeftToRight);
    Form->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(bdLeftToRight, Grid->BiDiMode());
    SendKey(Grid, VK_LEFT);
    EXPECT_EQ(Grid->DataToRawColumn(1), Grid->Col());
}

TEST_F(DBGridRightToLeft, TheVerticalScrollBarStandsAtTheLeftAndTakesClicks) {
    ShowTasks(40);
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    const int w = Grid->Width(), h = Grid->ClientHeight();
    ASSERT_TRUE(Grid->ScrollBarVisible(SB_VERT));
    const auto ltr = Render("dbgrid_bar_ltr");
    const TRect barLtr = Rect(w - t, 0, w, h);
    ASSERT_GT(BlockDifferences(*ltr, barLtr, *ltr, {0, 0}), 0);  // the left edge shows cells
    Grid->SetBiDiMode(bdRightToLeft);
    const auto rtl = Render("dbgrid_bar_rtl");
    // The bar drawn at the left edge, the cells beside it mirrored.
    EXPECT_EQ(0, BlockDifferences(*ltr, barLtr, *rtl, {0, 0}));
    EXPECT_EQ(t, Grid->NonClientMargins().Left);
    EXPECT_EQ(w - t, Grid->ClientWidth());
    EXPECT_EQ(Grid->ClientWidth(), ShownCellRect(-1, 0).Right);  // the indicator at the right edge

    // A real click on the bar under its thumb pages down the records.
    SendScreenClick(Grid->ClientToScreen({-t / 2, h - 2 * t}));
    EXPECT_NE("Task 1", Action());
    EXPECT_GT(Grid->GetScrollPos(SB_VERT), 0);
    // A click on a cell lands on the record drawn there.
    SendScreenClick(Grid->ClientToScreen(CellCenter(1, 2)));
    EXPECT_EQ(Grid->DataToRawColumn(1), Grid->Col());
    const std::string third = Action();
    SendScreenClick(Grid->ClientToScreen(CellCenter(1, 0)));
    EXPECT_NE(third, Action());

    // Back to left to right while shown: the bar goes back to the right.
    const auto before = Render();
    Grid->SetBiDiMode(bdLeftToRight);
    const auto back = Render("dbgrid_bar_back");
    EXPECT_EQ(0, Grid->NonClientMargins().Left);
    EXPECT_EQ(0, BlockDifferences(*before, Rect(0, 0, t, h), *back, {w - t, 0}));
    const int at = Table->RecNo();
    SendScreenClick(Grid->ClientToScreen({Grid->ClientWidth() + t / 2, t + 2}));
    EXPECT_LT(Table->RecNo(), at);  // above the thumb: back up
}

}  // namespace
