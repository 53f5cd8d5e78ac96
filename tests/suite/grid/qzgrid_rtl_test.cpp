// A right-to-left grid over an engine table: drawn as the left-to-right grid
// mirrored, with the arrows, clicks, column sizing and the editor following
// the mirrored layout.
#include "platform/ui/drawing.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"
#include "support/ui/mirror_compare.h"

namespace {

class QzRightToLeft : public QzGridTest {
protected:
    // Records 1..3 with a check-box column Done (Y, N, Y) after Code.
    void OpenWithChecks() {
        Table->FieldDefs()->Add("Done", ftString, 1);
        Open(3);
        const char* done[] = {"Y", "N", "Y"};
        for (const char* d : done) {
            Table->Edit();
            Table->FieldByName("Done")->SetAsString(d);
            Table->Post();
            Table->Next();
        }
        Table->First();
        Grid->ControlType()->SetText("Done;CheckBox;Y;N\n");
        Show();
    }
    // The cell's rectangle where the window shows it.
    TRect ShownCell(int ACol, int ARow) { return Grid->GridToClientRect(Grid->CellRect(ACol, ARow)); }
    static TPoint Centre(const TRect& R) { return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2}; }
    void ClickCell(int ACol, int ARow) {
        const TRect r = ShownCell(ACol, ARow);
        SendClick(Grid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
};

TEST_F(QzRightToLeft, DrawsTheLeftToRightGridMirrored) {
    OpenWithChecks();
    TBitmap ltrWhole, rtlWhole;
    RenderControl(Grid, &ltrWhole);
    ltrWhole.SaveToFile(TestRunPath("qzgrid_ltr.png"));
    const auto ltrPart = ClientPart(ltrWhole, Grid);
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    RenderControl(Grid, &rtlWhole);
    rtlWhole.SaveToFile(TestRunPath("qzgrid_rtl.png"));
    const auto rtlPart = ClientPart(rtlWhole, Grid);
    TBitmap &ltr = *ltrPart, &rtl = *rtlPart;
    const int w = Grid->ClientWidth(), h = Grid->ClientHeight();
    const int doneCol = Grid->IndicatorOffset() + 5;
    ASSERT_EQ("Done", Grid->GetColField(5)->FieldName());
    // The indicator column at the right edge, the first data column beside it.
    EXPECT_EQ(w, ShownCell(0, 1).Right);
    EXPECT_EQ(ShownCell(0, 1).Left - 1, ShownCell(1, 1).Right);
    // Text runs may differ in their glyphs only: every other pixel (lines,
    // backgrounds, indicator, check boxes) is the mirror of the other's.
    std::vector<TRect> text;
    for (int c = Grid->IndicatorOffset(); c < Grid->ColCount(); ++c)
        for (int r = 0; r < Grid->RowCount(); ++r) {
            const TRect cell = ShownCell(c, r);
            if (IsRectEmpty(cell) || (c == doneCol && r >= Grid->TitleOffset())) continue;
            text.push_back(Rect(cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom - 2));
        }
    EXPECT_EQ(0, MirrorDifferences(ltr, rtl, w, h, text));
    // Each run's ink lies where the mirror puts it: a left-aligned name at
    // the right of its cell, a right-aligned amount at the left.
    for (const TRect& r : text) {
        const TInkSpan got = InkSpan(rtl, r);
        const TInkSpan want = InkSpan(ltr, MirroredRect(r, w));
        ASSERT_EQ(want.Empty(), got.Empty());
        if (want.Empty()) continue;
        EXPECT_NEAR(w - 1 - want.Right, got.Left, 2);
        EXPECT_NEAR(w - 1 - want.Left, got.Right, 2);
    }
    const TRect name = ShownCell(2, 1);
    const TInkSpan nameInk = InkSpan(rtl, Rect(name.Left + 2, name.Top + 2, name.Right - 2, name.Bottom - 2));
    EXPECT_GT(nameInk.Left, (name.Left + name.Right) / 2);
    const TRect amount = ShownCell(3, 1);
    const TInkSpan amountInk =
        InkSpan(rtl, Rect(amount.Left + 2, amount.Top + 2, amount.Right - 2, amount.Bottom - 2));
    EXPECT_LT(amountInk.Right, (amount.Left + amount.Right) / 2);
}

TEST_F(QzRightToLeft, FooterIsMirroredWithItsCells) {
    OpenWithChecks();
    Grid->SetOptions(Grid->Options() + dgShowFooter);
    Grid->Columns(1)->SetFooterValue("Total");
    Grid->Columns(2)->SetFooterValue("4.5");
    ProcessEvents();
    TBitmap ltrWhole, rtlWhole;
    RenderControl(Grid, &ltrWhole);
    const auto ltrPart = ClientPart(ltrWhole, Grid);
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    RenderControl(Grid, &rtlWhole);
    rtlWhole.SaveToFile(TestRunPath("qzgrid_rtl_footer.png"));
    const auto rtlPart = ClientPart(rtlWhole, Grid);
    TBitmap &ltr = *ltrPart, &rtl = *rtlPart;
    const int w = Grid->ClientWidth();
    const TRect footer = Host().FooterRect();
    ASSERT_FALSE(IsRectEmpty(footer));
    // The footer's frames and fills mirror; its texts keep their place in
    // the mirrored cells: "Total" (left-aligned) at the right of its cell.
    std::vector<TRect> text;
    for (int c : {2, 3}) {
        const TRect cell = ShownCell(c, 1);
        text.push_back(Rect(cell.Left + 2, footer.Top + 3, cell.Right - 2, footer.Bottom - 3));
    }
    // Above the footer the cells were compared by the drawing test.
    std::vector<TRect> skipped = text;
    skipped.push_back(Rect(0, 0, w, footer.Top));
    EXPECT_EQ(0, MirrorDifferences(ltr, rtl, w, footer.Bottom, skipped));
    for (const TRect& r : text) {
        const TInkSpan got = InkSpan(rtl, r);
        const TInkSpan want = InkSpan(ltr, MirroredRect(r, w));
        ASSERT_FALSE(got.Empty());
        EXPECT_NEAR(w - 1 - want.Right, got.Left, 2);
        EXPECT_NEAR(w - 1 - want.Left, got.Right, 2);
    }
    EXPECT_GT(InkSpan(rtl, text[0]).Left, (text[0].Left + text[0].Right) / 2);
}

TEST_F(QzRightToLeft, ArrowsFollowTheMirroredColumns) {
    OpenWithChecks();
    Grid->SetBiDiMode(bdRightToLeft);
    ClickCell(2, 1);
    ASSERT_EQ(2, Grid->Col());
    SendKey(Grid, VK_LEFT);
    EXPECT_EQ(3, Grid->Col());
    SendKey(Grid, VK_RIGHT);
    SendKey(Grid, VK_RIGHT);
    EXPECT_EQ(1, Grid->Col());
    // With Ctrl the keys keep their meaning: the first and the last column.
    SendKey(Grid, VK_RIGHT, {ssCtrl});
    EXPECT_EQ(Grid->ColCount() - 1, Grid->Col());
    SendKey(Grid, VK_LEFT, {ssCtrl});
    EXPECT_EQ(1, Grid->Col());
    // Left to right again, Left goes back a column.
    Grid->SetBiDiMode(bdLeftToRight);
    SendKey(Grid, VK_RIGHT);
    SendKey(Grid, VK_LEFT);
    EXPECT_EQ(1, Grid->Col());
}

TEST_F(QzRightToLeft, ClickLandsInTheCellUnderThePointer) {
    OpenWithChecks();
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    ClickCell(3, 3);
    EXPECT_EQ(3, Grid->Col());
    EXPECT_EQ(3, Id());
    ClickCell(1, 2);
    EXPECT_EQ(1, Grid->Col());
    EXPECT_EQ(2, Id());
    // The left edge of the client area is past the last column: no cell.
    EXPECT_EQ(-1, Grid->MouseCoord(0, 30).X);
    EXPECT_EQ(2, Grid->MouseCoord(ShownCell(2, 1).Left, 30).X);
    EXPECT_EQ(2, Grid->MouseCoord(ShownCell(2, 1).Right - 1, 30).X);
}

TEST_F(QzRightToLeft, ColumnSizesAtItsMirroredEdge) {
    OpenWithChecks();
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    const int before = Grid->ColWidths(2);
    // Name's far edge shows at its left: dragging it 20 pixels further
    // left widens the column by 20.
    const int edge = ShownCell(2, 0).Left - 1;
    const int y = Grid->RowHeights(0) / 2;
    SendMouseDown(Grid, mbLeft, edge, y);
    EXPECT_EQ(gsColSizing, Grid->GridState());
    SendMouseMove(Grid, edge - 20, y, {ssLeft});
    SendMouseUp(Grid, mbLeft, edge - 20, y);
    EXPECT_EQ(before + 20, Grid->ColWidths(2));
    // The cell just right of the edge is Name, the one 5 pixels left of it
    // the next column: the edge belongs to the cell before it in reading order.
    EXPECT_EQ(2, Grid->MouseCoordBefore(ShownCell(2, 0).Left + 2, y, 5).X);
}

TEST_F(QzRightToLeft, DoubleClickOnTheMirroredEdgeFitsTheColumn) {
    OpenWithChecks();
    Grid->SetOptions(Grid->Options() + dgDblClickColSizing);
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    const int name = Grid->ColWidths(2), amount = Grid->ColWidths(3);
    // Name's far edge shows at its left, on the line before Amount.
    const int edge = ShownCell(2, 0).Left - 1;
    SendDoubleClick(Grid, edge, Grid->RowHeights(0) / 2);
    ProcessEvents();
    EXPECT_LT(Grid->ColWidths(2), name);
    EXPECT_EQ(amount, Grid->ColWidths(3));
}

TEST_F(QzRightToLeft, TitleDraggedLeftMovesTheColumnOnward) {
    OpenWithChecks();
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    const TRect name = ShownCell(2, 0), amount = ShownCell(3, 0);
    const int y = name.Top + 4;
    SendMouseDown(Grid, mbLeft, (name.Left + name.Right) / 2, y);
    SendMouseMove(Grid, name.Left + 2, y, {ssLeft});
    SendMouseMove(Grid, (amount.Left + amount.Right) / 2, y, {ssLeft});
    // While it is dragged the title's picture follows the pointer, read as shown.
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_rtl_drag.png"));
    SendMouseUp(Grid, mbLeft, (amount.Left + amount.Right) / 2, y);
    EXPECT_EQ("Amount", Grid->GetColField(1)->FieldName());
    EXPECT_EQ("Name", Grid->GetColField(2)->FieldName());
}

TEST_F(QzRightToLeft, EditorSitsOverTheCellAndPassesEdgeArrows) {
    OpenWithChecks();
    Grid->SetOptions(Grid->Options() + dgAlwaysShowEditor);
    Grid->SetBiDiMode(bdRightToLeft);
    ClickCell(2, 1);
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    EXPECT_TRUE(editor->UseRightToLeftAlignment());
    const TRect cell = ShownCell(2, 1);
    EXPECT_GE(editor->Left(), cell.Left);
    EXPECT_LE(editor->Left() + editor->Width(), cell.Right + 1);
    // The caret inside the text: Left stays in the editor.
    editor->SetSelStart(2);
    editor->SetSelLength(0);
    SendKey(editor, VK_LEFT);
    EXPECT_EQ(2, Grid->Col());
    // At the start of the text Left goes to the grid: the next column.
    editor->SetSelStart(0);
    editor->SetSelLength(0);
    SendKey(editor, VK_LEFT);
    EXPECT_EQ(3, Grid->Col());
    // The whole text selected counts as the right side: Right goes back.
    Grid->InplaceEditor()->SelectAll();
    SendKey(Grid->InplaceEditor(), VK_RIGHT);
    EXPECT_EQ(2, Grid->Col());
    // With Ctrl the key goes to the grid wherever the caret is, unswapped:
    // Ctrl+Right is the last column.
    Grid->InplaceEditor()->SetSelStart(1);
    Grid->InplaceEditor()->SetSelLength(0);
    SendKey(Grid->InplaceEditor(), VK_RIGHT, {ssCtrl});
    EXPECT_EQ(Grid->ColCount() - 1, Grid->Col());
}

// The direction changed while the editor shows, either way: the editor moves
// over its cell and keeps its text, its caret and the focus.
TEST_F(QzRightToLeft, EditorFollowsADirectionChange) {
    OpenWithChecks();
    Grid->SetOptions(Grid->Options() + dgAlwaysShowEditor);
    ClickCell(2, 1);
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->Visible());
    const std::string text = editor->Text();
    ASSERT_GE(text.size(), 2u);
    editor->SetSelStart(1);
    editor->SetSelLength(0);
    for (const TBiDiMode mode : {bdRightToLeft, bdLeftToRight}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Grid->SetBiDiMode(mode);
        ProcessEvents();
        RenderControlToPng(
            Grid, TestRunPath(mode == bdRightToLeft ? "qzgrid_turned_rtl.png" : "qzgrid_turned_ltr.png"));
        ASSERT_TRUE(editor->Visible());
        const TRect cell = ShownCell(2, 1);
        EXPECT_GE(editor->Left(), cell.Left);
        EXPECT_LE(editor->Left(), cell.Left + 2);
        EXPECT_LE(editor->Left() + editor->Width(), cell.Right + 1);
        EXPECT_GE(editor->Left() + editor->Width(), cell.Right - 2);
        EXPECT_EQ(mode == bdRightToLeft, editor->UseRightToLeftAlignment());
        EXPECT_EQ(editor, FocusedControl());
        SendText(editor, "Q");
    }
    EXPECT_EQ(text.substr(0, 1) + "QQ" + text.substr(1), editor->Text());
}

TEST_F(QzRightToLeft, TheVerticalScrollBarStandsAtTheLeftAndTakesClicks) {
    Open(40);
    Show();
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    const int w = Grid->Width(), h = Grid->ClientHeight();
    ASSERT_TRUE(Grid->ScrollBarVisible(SB_VERT));
    TBitmap ltr, rtl;
    RenderControl(Grid, &ltr);
    const TRect barLtr = Rect(w - t, 0, w, h);
    ASSERT_GT(BlockDifferences(ltr, barLtr, ltr, {0, 0}), 0);  // the left edge shows cells
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    RenderControl(Grid, &rtl);
    rtl.SaveToFile(TestRunPath("qzgrid_bar_rtl.png"));
    // The bar drawn at the left edge, the indicator at the right one.
    EXPECT_EQ(0, BlockDifferences(ltr, barLtr, rtl, {0, 0}));
    EXPECT_EQ(t, Grid->NonClientMargins().Left);
    EXPECT_EQ(w - t, Grid->ClientWidth());
    EXPECT_EQ(Grid->ClientWidth(), ShownCell(0, 1).Right);

    // A real click on the bar under its thumb pages down the records.
    SendScreenClick(Grid->ClientToScreen({-t / 2, h - 2 * t}));
    EXPECT_GT(Id(), 1);
    // A click on a cell lands on the record and column drawn there.
    const int top = Id() - Grid->Row() + Grid->TitleOffset();
    SendScreenClick(Grid->ClientToScreen(Centre(ShownCell(2, 3))));
    EXPECT_EQ(2, Grid->Col());
    EXPECT_EQ(top + 3 - Grid->TitleOffset(), Id());

    // Back to left to right while shown: the bar goes back to the right.
    TBitmap before, back;
    RenderControl(Grid, &before);
    Grid->SetBiDiMode(bdLeftToRight);
    ProcessEvents();
    RenderControl(Grid, &back);
    back.SaveToFile(TestRunPath("qzgrid_bar_back.png"));
    EXPECT_EQ(0, Grid->NonClientMargins().Left);
    EXPECT_EQ(0, BlockDifferences(before, Rect(0, 0, t, h), back, {w - t, 0}));
    const int at = Id();
    SendScreenClick(Grid->ClientToScreen({Grid->ClientWidth() + t / 2, t + 2}));
    EXPECT_LT(Id(), at);  // above the thumb: back up
}

}  // namespace
