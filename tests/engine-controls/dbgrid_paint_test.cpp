// The engine grid's drawing, read back from rendered images: each row's own
// colours from the colouring event, check boxes, sort markers and the
// indicator glyphs, highlighted selected rows and empty datasets. The
// images are also written into the run's folder (dbgrid_*.png) to be looked at.
#include "support/engine-controls/dbgrid_fixture.h"

#include <map>
#include <set>

#include "platform/ui/imagelist.h"
#include "platform/ui/stdctrls.h"

namespace {

constexpr TColor AltRowColour = 0xF8FFC6;

class DBGridPaintTest : public DBGridTest {
protected:
    // Pixels of the glyph's dark parts found at (X, Y) in Bmp.
    int GlyphMatches(TBitmap* Bmp, int Index, int X, int Y, int& Dark) {
        TBitmap glyph;
        glyph.LoadFromResourceName(OstraGridGlyphNames[Index]);
        int match = 0;
        Dark = 0;
        for (int y = 0; y < glyph.Height(); ++y)
            for (int x = 0; x < glyph.Width(); ++x)
                if (glyph.Canvas()->Pixels(x, y) == 0) {
                    ++Dark;
                    if (Bmp->Canvas()->Pixels(X + x, Y + y) == 0) ++match;
                }
        return match;
    }
    // Where the grid draws a glyph in a cell rectangle (right-aligned, centred).
    TPoint GlyphSpot(const TRect& Cell) {
        TRect r = Cell;
        InflateRect(r, -1, -1);
        return {r.Right - Grid->Indicators()->Width() - 1,
                (r.Top + r.Bottom - Grid->Indicators()->Height()) / 2};
    }
};

TEST_F(DBGridPaintTest, EachRowIsColouredByItsOwnRecord) {
    OpenTasks(12);
    UseTaskColumns();
    std::map<int, std::string> seen;  // RecNo -> priority seen while drawing
    Grid->SetOnDrawCellAttr(
        [&](TObject*, TOstraColumn* Column, TFont* AFont, TColor& AColor, TGridDrawState) {
            const int recNo = Table->RecNo();
            const std::string priority = Table->FieldByName("Priority")->AsString();
            if (Column->FieldName() == "Category") seen[recNo] = priority;
            if (recNo % 2 == 0) AColor = AltRowColour;
            if (priority == "0")
                AFont->SetColor(clRed);
            else if (priority == "4")
                AFont->SetColor(clGray);
        });
    ShowGrid();
    Grid->Columns()->GetColumn(0)->SetSortMarker(0);
    Grid->Columns()->GetColumn(1)->SetSortMarker(1);
    Grid->Columns()->GetColumn(2)->SetSortMarker(2);
    Form->FocusControl(nullptr);
    auto bmp = Render("dbgrid_rows");

    ASSERT_EQ(12u, seen.size());
    for (int recNo = 1; recNo <= 12; ++recNo)
        EXPECT_EQ(std::to_string((recNo - 1) % 5), seen[recNo]) << recNo;
    for (int row = 0; row < 12; ++row) {
        // The Category cell's far right is background only.
        const TRect cell = DataCellRect(3, row);
        const int x = cell.Right - 3, y = (cell.Top + cell.Bottom) / 2;
        const int recNo = row + 1;
        if (row == 0) continue;  // the current cell may be highlighted
        EXPECT_EQ(recNo % 2 == 0 ? AltRowColour : ColorToRGB(clWindow), bmp->Canvas()->Pixels(x, y)) << recNo;
        const TRect text = DataCellRect(1, row);
        const int red = CountColor(bmp.get(), text, clRed);
        const int grey = CountColor(bmp.get(), text, clGray);
        if ((recNo - 1) % 5 == 0)
            EXPECT_GT(red, 0) << recNo;
        else
            EXPECT_EQ(0, red) << recNo;
        if ((recNo - 1) % 5 == 4)
            EXPECT_GT(grey, 0) << recNo;
        else
            EXPECT_EQ(0, grey) << recNo;
    }
    // Drawing left the dataset where it was.
    EXPECT_EQ(1, Table->RecNo());
}

TEST_F(DBGridPaintTest, CheckBoxesShowTheFieldValue) {
    ShowTasks(4);
    Table->Last();
    Table->Edit();
    Table->FieldByName("Flag")->Clear();
    Table->Post();
    Table->First();
    auto bmp = Render("dbgrid_checks");
    std::vector<int> marks;
    for (int row = 0; row < 4; ++row) {
        TRect box = DataCellRect(0, row);
        InflateRect(box, -6, -5);
        marks.push_back(CountColor(bmp.get(), box, clBlack));
    }
    // Tasks 2 and 4 were flagged; task 4 is now null, drawn unchecked.
    EXPECT_EQ(marks[0], marks[2]);
    EXPECT_EQ(marks[0], marks[3]);
    EXPECT_GT(marks[1], marks[0] + 4);

    // Toggled by a click, drawn at once.
    ClickCell(0, 0);
    auto after = Render();
    TRect box = DataCellRect(0, 0);
    InflateRect(box, -6, -5);
    EXPECT_EQ(marks[1], CountColor(after.get(), box, clBlack));
}

TEST_F(DBGridPaintTest, SortMarkersShowTheirGlyphsUnlessPressed) {
    ShowTasks(3);
    TOstraColumn* action = Grid->Columns()->GetColumn(1);
    TOstraColumn* priority = Grid->Columns()->GetColumn(2);
    action->SetSortMarker(2);
    priority->SetSortMarker(1);
    auto bmp = Render("dbgrid_markers");
    int dark = 0;
    const TPoint up = GlyphSpot(DataCellRect(1, -1));
    EXPECT_EQ(GlyphMatches(bmp.get(), 6, up.X, up.Y, dark), dark);
    EXPECT_GT(dark, 10);
    EXPECT_LT(GlyphMatches(bmp.get(), 5, up.X, up.Y, dark), dark);
    const TPoint down = GlyphSpot(DataCellRect(2, -1));
    EXPECT_EQ(GlyphMatches(bmp.get(), 5, down.X, down.Y, dark), dark);
    // No marker on the Category title.
    const TPoint none = GlyphSpot(DataCellRect(3, -1));
    EXPECT_LT(GlyphMatches(bmp.get(), 5, none.X, none.Y, dark), dark / 2);
    EXPECT_LT(GlyphMatches(bmp.get(), 6, none.X, none.Y, dark), dark / 2);

    // Held down, the title hides its marker.
    const TPoint t = CellCenter(1, -1);
    SendMouseDown(Grid, mbLeft, t.X, t.Y);
    auto pressed = Render("dbgrid_pressed");
    EXPECT_LT(GlyphMatches(pressed.get(), 6, up.X, up.Y, dark), dark / 2);
    SendMouseUp(Grid, mbLeft, t.X, t.Y);
}

TEST_F(DBGridPaintTest, IndicatorShowsTheStateOfTheCurrentRow) {
    ShowTasks(3);
    Table->Next();
    int dark = 0;
    auto spot = [&] { return GlyphSpot(Grid->CellRect(0, 2)); };
    auto bmp = Render("dbgrid_indicator");
    TPoint p = spot();
    EXPECT_EQ(GlyphMatches(bmp.get(), 0, p.X, p.Y, dark), dark);
    Table->Edit();
    bmp = Render();
    EXPECT_EQ(GlyphMatches(bmp.get(), 1, p.X, p.Y, dark), dark);
    Table->Cancel();
    Table->Insert();
    bmp = Render();
    p = spot();
    EXPECT_EQ(GlyphMatches(bmp.get(), 2, p.X, p.Y, dark), dark);
    Table->Cancel();
}

// The "Selected" column of a multi-select grid shows the selection, drawn
// by the grid or by a handler through DefaultDrawColumnCell, even with an
// empty ValueChecked (which the empty cell text would equal).
TEST_F(DBGridPaintTest, SelectionColumnShowsOnlyTheSelectedRows) {
    for (const bool byHandler : {false, true}) {
        SCOPED_TRACE(byHandler ? "DefaultDrawColumnCell" : "default drawing");
        TearDown();
        SetUp();
        OpenTasks(4);
        UseTaskColumns();
        TOstraColumn* selected = Grid->Columns()->Add();
        selected->SetFieldName("Selected");
        selected->SetButtonStyle(cbsCheck);
        selected->SetWidth(40);
        ASSERT_EQ("", selected->ValueChecked());
        Grid->SetOptions(Grid->Options() + dgMultiSelect);
        Grid->SetHighlightColor(clNavy);
        if (byHandler) {
            Grid->SetDefaultDrawing(false);
            Grid->SetOnDrawColumnCell(TDrawColumnCellEvent(
                [this](TObject*, const TRect& R, int DataCol, TOstraColumn* Column, TGridDrawState State) {
                    Grid->DefaultDrawColumnCell(R, DataCol, Column, State);
                }));
        }
        ShowGrid();
        ClickCell(1, 2);
        auto bmp = Render("dbgrid_selection_column");
        std::vector<int> marks;
        for (int row = 0; row < 4; ++row) {
            TRect box = DataCellRect(selected->Index(), row);
            InflateRect(box, -6, -5);
            marks.push_back(CountColor(bmp.get(), box, clBlack));
        }
        EXPECT_EQ(marks[0], marks[1]);
        EXPECT_EQ(marks[0], marks[3]);
        EXPECT_GT(marks[2], marks[0] + 4);
    }
}

TEST_F(DBGridPaintTest, SelectedRowsAreHighlighted) {
    OpenTasks(5);
    UseTaskColumns();
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Grid->SetHighlightColor(clNavy);
    ShowGrid();
    ClickCell(3, 1);
    ClickCell(3, 3, {ssCtrl});
    auto bmp = Render("dbgrid_selected");
    for (int row = 0; row < 5; ++row) {
        const TRect cell = DataCellRect(3, row);
        const TColor c = bmp->Canvas()->Pixels(cell.Right - 3, (cell.Top + cell.Bottom) / 2);
        if (row == 1 || row == 3)
            EXPECT_EQ(ColorToRGB(clNavy), c) << row;
        else
            EXPECT_NE(ColorToRGB(clNavy), c) << row;
    }
    int dark = 0;
    const TPoint p = GlyphSpot(Grid->CellRect(0, 2));
    EXPECT_EQ(GlyphMatches(bmp.get(), 3, p.X, p.Y, dark), dark);
    const TPoint q = GlyphSpot(Grid->CellRect(0, 4));
    EXPECT_EQ(GlyphMatches(bmp.get(), 4, q.X, q.Y, dark), dark);
}

TEST_F(DBGridPaintTest, EmptyDatasetDrawsEmptyCells) {
    UseTaskColumns();
    Table->Open();
    ShowGrid();
    auto bmp = Render("dbgrid_empty");
    const TRect cell = DataCellRect(1, 0);
    EXPECT_EQ(0, CountColor(bmp.get(), cell, clWindowText));
}

TEST_F(DBGridPaintTest, DisabledGridDrawsGreyText) {
    ShowTasks(2);
    Grid->SetEnabled(false);
    auto bmp = Render("dbgrid_disabled");
    const TRect cell = DataCellRect(1, 1);
    EXPECT_GT(CountColor(bmp.get(), cell, clGrayText), 0);
    EXPECT_EQ(0, CountColor(bmp.get(), cell, clWindowText));
}

// After a delete the grid shows exactly the records left, whichever row
// went and however: no row, no cell editor still showing the deleted task.
TEST_F(DBGridPaintTest, DeletedRowLeavesNoGhost) {
    enum How { ByDataSet, ByKey, NewRowThenDataSet, EditorOpen, EditorLostFocus };
    struct Case {
        int Count, Delete;  // tasks, and the 1-based row to delete
        How Way;
    };
    const Case cases[] = {{3, 3, ByDataSet},      {1, 1, ByKey},           {2, 3, NewRowThenDataSet},
                          {1, 1, EditorOpen},     {1, 1, EditorLostFocus}, {3, 1, EditorLostFocus},
                          {3, 3, EditorLostFocus}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Count) + " tasks, delete row " + std::to_string(c.Delete) + ", way " +
                     std::to_string(c.Way));
        TearDown();
        SetUp();
        OpenTasks(c.Count);
        UseTaskColumns();
        Grid->SetOptions(Grid->Options() - dgConfirmDelete + dgMultiSelect);
        ShowGrid();
        int left = c.Count - 1;
        if (c.Way == NewRowThenDataSet) {
            // Down on the last row appends; the delete cancels it.
            Table->Last();
            SendKey(Grid, VK_DOWN);
            ASSERT_EQ(c.Count + 1 + Grid->TitleOffset(), Grid->RowCount());
            left = c.Count;
        } else if (c.Way == EditorOpen || c.Way == EditorLostFocus) {
            ClickCell(1, c.Delete - 1);
            SendKey(Grid, VK_F2);
            ASSERT_TRUE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
            // As when a confirmation box or a tool button takes the focus.
            if (c.Way == EditorLostFocus) {
                auto* other = new TEdit(Form);
                other->SetParent(Form);
                other->SetFocus();
                ProcessEvents();
            }
        } else {
            Table->MoveBy(c.Delete - 1);
        }
        if (c.Way == ByKey)
            SendKey(Grid, VK_DELETE, {ssCtrl});
        else
            Table->Delete();
        ProcessEvents();
        ASSERT_EQ(left, Table->RecordCount());
        EXPECT_EQ(SourceActions(), PaintedActions());
        EXPECT_EQ(std::max(1, left) + Grid->TitleOffset(), Grid->RowCount());
        // No text in the row below the last one.
        auto bmp = Render("dbgrid_deleted");
        const TRect last = DataCellRect(1, std::max(0, left - 1));
        const TRect below = Rect(last.Left, last.Bottom + 1, last.Right, last.Bottom + 1 + last.Height());
        EXPECT_EQ(0, CountColor(bmp.get(), below, clWindowText));
        // A cell editor still shown holds a record that is left.
        TInplaceEdit* editor = Grid->InplaceEditor();
        if (editor && editor->Visible()) {
            if (Table->IsEmpty())
                EXPECT_EQ("", editor->Text());
            else
                EXPECT_EQ(1u, SourceActions().count(editor->Text())) << editor->Text();
        } else if (left == 0) {
            EXPECT_EQ(0, CountColor(bmp.get(), last, clWindowText));
        }
    }
}

}  // namespace
