// The published grid: check-box cells by Space and clicks, memo cells by
// double-clicks and F2, multi-selection by Ctrl and Shift clicks with
// refusing events, and a rendered look.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzgridselection.h"
#include "suite/grid/qzpaintoptions.h"
#include "support/environment.h"
#include "support/ui/mirror_compare.h"

namespace {

class QzDBGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 640, 300);
        Table = new TOstraTable(Form);
        TFieldDefs* defs = Table->FieldDefs();
        defs->Add("Id", ftInteger);
        defs->Add("Name", ftString, 20);
        defs->Add("Done", ftString, 1);
        defs->Add("Notes", ftMemo);
        defs->Add("Kind", ftString, 4);
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TqzDBGrid(Form);
        Grid->SetName("Grid1");
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 600, 260);
        Grid->ControlType()->SetText("Done;CheckBox;Y;N\nKind;CustomEdit;KindCombo\n");
        Combo = new TqzDBComboBox(Form);
        Combo->SetName("KindCombo");
        Combo->SetParent(Form);
        Combo->Items()->SetText("Home\nWork\n");
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    void Open(int Count) {
        Table->Open();
        for (int i = 1; i <= Count; ++i)
            Table->AppendRecord({Variant(i), Variant("Name" + std::to_string(i)), Variant(i % 2 ? "Y" : "N"),
                                 Variant("Note " + std::to_string(i)), Variant("Home")});
        Table->First();
        Grid->SetDataSource(Source);
        Form->Show();
        ProcessEvents();
    }
    TPoint Centre(int DataCol, int DataRow) {
        const TRect r = Grid->CellRect(DataCol + Grid->IndicatorOffset(), DataRow + Grid->TitleOffset());
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    std::string Field(const std::string& Name) { return Table->FieldByName(Name)->AsString(); }

    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TqzDBGrid* Grid = nullptr;
    TqzDBComboBox* Combo = nullptr;
};

TEST_F(QzDBGridTest, CheckBoxCellsToggleBySpaceAndDoubleClick) {
    Open(3);
    Grid->SetFocus();
    Grid->SelectDataColumn(2);
    ProcessEvents();
    EXPECT_EQ(Field("Done"), "Y");
    SendKey(Grid, VK_SPACE);
    ProcessEvents();
    EXPECT_EQ(Field("Done"), "N");
    EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    Table->Post();
    // A single click leaves the box; a double click on it toggles it.
    const TPoint p = Centre(2, 0);
    SendClick(Grid, p.X, p.Y);
    ProcessEvents();
    EXPECT_EQ(Field("Done"), "N");
    SendDoubleClick(Grid, p.X, p.Y);
    ProcessEvents();
    EXPECT_EQ(Field("Done"), "Y");
    // With single-click boxes one click is enough.
    Grid->SetEditControlOptions(Grid->EditControlOptions() + ecoCheckboxSingleClick);
    SendClick(Grid, p.X, p.Y);
    ProcessEvents();
    EXPECT_EQ(Field("Done"), "N");
    // A read-only grid toggles nothing.
    Table->Post();
    Grid->SetReadOnly(true);
    SendKey(Grid, VK_SPACE);
    ProcessEvents();
    EXPECT_EQ(Field("Done"), "N");
}

TEST_F(QzDBGridTest, CellTextOfMemoAndComboCells) {
    Open(2);
    EXPECT_EQ(Grid->CellText(Table->FieldByName("Notes")), "(Memo)");
    Grid->SetMemoAttributes(Grid->MemoAttributes() + mGridShow);
    EXPECT_EQ(Grid->CellText(Table->FieldByName("Notes")), "Note 1");
    // The named combo is the Kind column's control, placed over the current cell.
    Grid->SetFocus();
    Grid->SelectDataColumn(4);
    ProcessEvents();
    EXPECT_EQ(Combo->Parent(), Grid);
    ASSERT_EQ(Grid->CurrentCellControl(), Combo);
    EXPECT_TRUE(Combo->Visible());
    const TRect r = Grid->CellRect(4 + Grid->IndicatorOffset(), Grid->Row());
    EXPECT_EQ(Combo->Left(), r.Left + 1);
    // Leaving the column hides it again.
    SendKey(Grid, VK_LEFT);
    ProcessEvents();
    EXPECT_FALSE(Combo->Visible());
}

// Right to left: a click on the mirrored box toggles it, and the column's
// control sits over the mirrored cell.
TEST_F(QzDBGridTest, RightToLeftBoxesAndCellControlsFollowTheMirror) {
    Grid->SetBiDiMode(bdRightToLeft);
    Open(3);
    Grid->SetEditControlOptions(Grid->EditControlOptions() + ecoCheckboxSingleClick);
    Grid->SetFocus();
    Grid->SelectDataColumn(2);
    ProcessEvents();
    const TRect box =
        Grid->GridToClientRect(Grid->CellRect(2 + Grid->IndicatorOffset(), Grid->TitleOffset()));
    ASSERT_EQ(Field("Done"), "Y");
    SendClick(Grid, (box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
    ProcessEvents();
    EXPECT_EQ(Field("Done"), "N");
    // Beside the box, inside the cell, nothing toggles.
    SendClick(Grid, box.Left + 2, (box.Top + box.Bottom) / 2);
    ProcessEvents();
    EXPECT_EQ(Field("Done"), "N");
    Table->Post();
    Grid->SelectDataColumn(4);
    ProcessEvents();
    ASSERT_EQ(Grid->CurrentCellControl(), Combo);
    EXPECT_TRUE(Combo->Visible());
    const TRect cell = Grid->GridToClientRect(Grid->CellRect(4 + Grid->IndicatorOffset(), Grid->Row()));
    EXPECT_NEAR(cell.Left, Combo->Left(), 1);
    EXPECT_NEAR(cell.Right, Combo->Left() + Combo->Width(), 1);
    // The other rows show a picture of the control in their mirrored cells.
    TBitmap whole;
    RenderControl(Grid, &whole);
    whole.SaveToFile(TestRunPath("qzdbgrid_rtl_controls.png"));
    const auto part = ClientPart(whole, Grid);  // the bar at the left edge left out
    TBitmap& shot = *part;
    const TRect other = Grid->GridToClientRect(Grid->CellRect(4 + Grid->IndicatorOffset(), Grid->Row() + 1));
    const TColor back = shot.Canvas()->Pixels(other.Left + 1, other.Top + 1);
    int drawn = 0;
    for (int x = other.Left; x < other.Right; ++x)
        for (int y = other.Top; y < other.Bottom; ++y)
            if (shot.Canvas()->Pixels(x, y) != back) ++drawn;
    EXPECT_GT(drawn, other.Width());
    // The picture reads as the control does: its drop button at its right.
    long faceX = 0, face = 0;
    for (int x = other.Left; x < other.Right; ++x)
        for (int y = other.Top; y < other.Bottom; ++y)
            if (shot.Canvas()->Pixels(x, y) == ColorToRGB(clBtnFace)) {
                faceX += x;
                ++face;
            }
    ASSERT_GT(face, 0);
    EXPECT_GT(faceX / face, (other.Left + other.Right) / 2);
    // Scrolled, it stays with its cell or goes.
    Grid->SetLeftCol(Grid->LeftCol() + 1);
    ProcessEvents();
    const TRect moved = Grid->GridToClientRect(Grid->CellRect(4 + Grid->IndicatorOffset(), Grid->Row()));
    EXPECT_TRUE(!Combo->Visible() || (Combo->Left() >= moved.Left && Combo->Left() < moved.Right));
}

// A cell's control freed by the program while it is placed is forgotten:
// the grid draws, moves and closes without it.
TEST_F(QzDBGridTest, ACellControlFreedWhilePlacedIsForgotten) {
    Open(3);
    Grid->SetFocus();
    Grid->SelectDataColumn(4);
    ProcessEvents();
    ASSERT_EQ(Grid->CurrentCellControl(), Combo);
    delete Combo;
    Combo = nullptr;
    EXPECT_EQ(Grid->CurrentCellControl(), nullptr);
    Grid->Repaint();
    SendKey(Grid, VK_LEFT);
    SendKey(Grid, VK_RIGHT);
    SendKey(Grid, VK_DOWN);
    ProcessEvents();
    EXPECT_EQ(Grid->CurrentCellControl(), nullptr);
    EXPECT_EQ(Grid->SelectedIndex(), 4);
}

TEST_F(QzDBGridTest, MemoCellsOpenTheMemoWindow) {
    Open(2);
    Grid->SetFocus();
    Grid->SelectDataColumn(3);
    ProcessEvents();
    TTestModalForms modal;
    std::string caption;
    bool readOnly = true;
    modal.Push([&](TCustomForm* F) {
        auto* dlg = dynamic_cast<TqzMemoDlg*>(F);
        ASSERT_NE(dlg, nullptr);
        caption = dlg->Caption();
        readOnly = dlg->Memo()->ReadOnly();
        dlg->Memo()->SetText("Changed");
        SendClick(dlg->OKBtn(), 5, 5);
    });
    bool opened = false, cancelled = true;
    Grid->SetOnMemoOpen(TqzMemoOpenEvent([&](TqzDBGrid*, TqzMemoDialog*) { opened = true; }));
    Grid->SetOnMemoClose(TqzMemoCloseEvent([&](TqzDBGrid*, bool Cancel) { cancelled = Cancel; }));
    const TPoint p = Centre(3, 0);
    SendDoubleClick(Grid, p.X, p.Y);
    ProcessEvents();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(caption, "Notes");
    EXPECT_FALSE(readOnly);
    EXPECT_EQ(Field("Notes"), "Changed");
    EXPECT_EQ(modal.Pending(), 0);

    // F2 opens it too; mDisableDialog keeps it shut.
    Table->Post();
    modal.Push([&](TCustomForm* F) { F->SetModalResult(mrCancel); });
    SendKey(Grid, VK_F2);
    ProcessEvents();
    EXPECT_EQ(modal.Pending(), 0);
    EXPECT_TRUE(cancelled);
    Grid->SetMemoAttributes(Grid->MemoAttributes() + mDisableDialog);
    opened = false;
    SendKey(Grid, VK_F2);
    SendDoubleClick(Grid, p.X, p.Y);
    ProcessEvents();
    EXPECT_FALSE(opened);
}

// A table that cannot be modified.
class TFixedTable : public TOstraTable {
public:
    using TOstraTable::TOstraTable;
    bool Fixed = false;

protected:
    bool GetCanModify() override { return !Fixed && TOstraTable::GetCanModify(); }
};

TEST(QzDBGridMemo, OpensViewOnlyWhenTheDatasetCannotBeModified) {
    TForm* form = CreateForm<TForm>(Application);
    form->SetBounds(40, 40, 500, 240);
    auto* table = new TFixedTable(form);
    table->FieldDefs()->Add("Notes", ftMemo);
    table->Open();
    table->AppendRecord({Variant("Fixed text")});
    table->Fixed = true;
    auto* source = new TDataSource(form);
    source->SetDataSet(table);
    auto* grid = new TqzDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(8, 8, 400, 200);
    grid->SetDataSource(source);
    form->Show();
    ProcessEvents();
    grid->SetFocus();
    TTestModalForms modal;
    bool readOnly = false;
    modal.Push([&](TCustomForm* F) {
        auto* dlg = dynamic_cast<TqzMemoDlg*>(F);
        readOnly = dlg->Memo()->ReadOnly();
        F->SetModalResult(mrOk);
    });
    SendKey(grid, VK_F2);
    ProcessEvents();
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(table->FieldByName("Notes")->AsString(), "Fixed text");
    delete form;
    ProcessEvents();
}

// A fixed data column is drawn as the fixed area: the title's colour and
// font, and the alternating colour only where its regions name the fixed
// columns; the scrolling columns keep the grid's look.
TEST_F(QzDBGridTest, FixedDataColumnsTakeTheFixedLook) {
    Grid->SetTitleColor(RGB(200, 220, 255));
    Grid->TitleFont()->SetColor(RGB(200, 0, 0));
    Grid->SetFixedCols(1);
    Open(4);
    Grid->SelectDataColumn(1);
    ASSERT_EQ(Grid->FixedCols(), 1);
    auto background = [&](TBitmap& Shot, int DataCol, int DataRow) {
        const TRect r = Grid->CellRect(DataCol + Grid->IndicatorOffset(), DataRow + Grid->TitleOffset());
        // clear of the text: Id is right-aligned, Name left-aligned
        return Shot.Canvas()->Pixels(DataCol == 0 ? r.Left + r.Width() / 4 : r.Right - 4, r.Bottom - 3);
    };
    auto redInk = [&](TBitmap& Shot, int DataCol, int DataRow) {
        const TRect r = Grid->CellRect(DataCol + Grid->IndicatorOffset(), DataRow + Grid->TitleOffset());
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) n += Shot.Canvas()->Pixels(x, y) == RGB(200, 0, 0);
        return n;
    };
    TBitmap plain;
    RenderControl(Grid, &plain);
    plain.SaveToFile(TestRunPath("qzdbgrid_fixed_column.png"));
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(background(plain, 0, row), RGB(200, 220, 255)) << row;
        EXPECT_GT(redInk(plain, 0, row), 0) << row;
        EXPECT_EQ(redInk(plain, 1, row), 0) << row;
        if (row > 0) {
            EXPECT_EQ(background(plain, 1, row), ColorToRGB(Grid->Color())) << row;
        }
    }
    Grid->PaintOptions()->SetAlternatingRowColor(RGB(255, 255, 190));
    TBitmap alternating;
    RenderControl(Grid, &alternating);
    EXPECT_EQ(background(alternating, 0, 1), RGB(255, 255, 190));
    EXPECT_EQ(background(alternating, 0, 2), RGB(200, 220, 255));
    Grid->PaintOptions()->SetAlternatingRowRegions({arrDataColumns, arrActiveDataColumn});
    TBitmap dataOnly;
    RenderControl(Grid, &dataOnly);
    EXPECT_EQ(background(dataOnly, 0, 1), RGB(200, 220, 255));
    EXPECT_EQ(background(dataOnly, 1, 1), RGB(255, 255, 190));
}

TEST_F(QzDBGridTest, MultiSelectionByCtrlAndShiftClicksWithVetoes) {
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Open(6);
    Grid->SetFocus();
    auto click = [&](int row, TShiftState shift) {
        const TPoint p = Centre(1, row);
        SendClick(Grid, p.X, p.Y, mbLeft, shift);
        ProcessEvents();
    };
    click(1, {ssCtrl});
    click(1, {ssCtrl});  // unselects again
    EXPECT_EQ(Grid->Selection()->Count(), 0);
    click(1, {ssCtrl});
    EXPECT_EQ(Grid->Selection()->Count(), 1);
    // Shift extends from the anchor (row 1) to row 4.
    click(4, {ssShift});
    EXPECT_EQ(Grid->Selection()->Count(), 4);
    Grid->Selection()->RefreshRowFlags();
    const auto& flags = Grid->Selection()->RowFlags();
    ASSERT_GE(flags.size(), 6u);
    EXPECT_EQ(flags[0], "F");
    EXPECT_EQ(flags[1], "T");
    EXPECT_EQ(flags[4], "T");
    EXPECT_EQ(flags[5], "F");
    // A refused unselection keeps the record.
    Grid->SetOnMultiSelectRecord(TqzMultiSelectEvent([](TqzDBGrid*, bool Selecting, bool& Accept) {
        if (!Selecting) Accept = false;
    }));
    click(2, {ssCtrl});
    EXPECT_EQ(Grid->Selection()->Count(), 4);
    // Refusing the clearing keeps everything; accepting clears it.
    bool refuse = true;
    Grid->SetOnMultiSelectAllRecords(
        TqzMultiSelectEvent([&](TqzDBGrid*, bool, bool& Accept) { Accept = !refuse; }));
    Grid->UnselectAll();
    EXPECT_EQ(Grid->Selection()->Count(), 4);
    refuse = false;
    Grid->UnselectAll();
    EXPECT_EQ(Grid->Selection()->Count(), 0);
}

TEST_F(QzDBGridTest, DeletedRecordsLeaveTheSelectionWhereItIsUsed) {
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Open(4);
    Grid->SetFocus();
    for (int row : {0, 2}) {
        const TPoint p = Centre(1, row);
        SendClick(Grid, p.X, p.Y, mbLeft, {ssCtrl});
        ProcessEvents();
    }
    ASSERT_EQ(Grid->Selection()->Count(), 2);
    const TBookmark deleted = Grid->Selection()->Items(0);
    Table->GotoBookmark(deleted);
    Table->Delete();
    ProcessEvents();
    Grid->Selection()->RefreshRowFlags();
    EXPECT_EQ(Grid->Selection()->Count(), 1);
    // A range to a bookmark the dataset no longer knows selects nothing.
    Grid->SelectRange(deleted, Table->Bookmark());
    EXPECT_EQ(Grid->Selection()->Count(), 1);
}

// A reload by the navigator puts new records where the old ones were (a
// large table's memory is handed back to it): the selection does not pass to
// the records that took its rows' places; it is dropped.
TEST_F(QzDBGridTest, TheNavigatorsRefreshDropsTheSelection) {
    TTestEnvironment env;
    const std::string file = env.Path("Tselected.d");
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Table->Open();
    Table->DisableControls();
    for (int i = 1; i <= 60000; ++i)
        Table->AppendRecord(
            {Variant(i), Variant("Name" + std::to_string(i)), Variant("N"), Variant(""), Variant("Home")});
    Table->EnableControls();
    Table->SaveToFile(file);
    Table->Close();
    Table->SetTableName(file);
    Open(0);
    auto* nav = new TDBNavigator(Form);
    nav->SetParent(Form);
    nav->SetBounds(8, 270, 240, 25);
    nav->SetDataSource(Source);
    Grid->SetFocus();
    ProcessEvents();
    auto select = [&] {
        for (int row : {1, 3}) {
            const TPoint p = Centre(1, row);
            SendClick(Grid, p.X, p.Y, mbLeft, {ssCtrl});
            ProcessEvents();
        }
        ASSERT_EQ(Grid->Selection()->Count(), 2);
    };
    auto refresh = [&] {
        TControl* button = nav->Buttons(nbRefresh);
        SendClick(button, button->Width() / 2, button->Height() / 2);
        ProcessEvents();
    };
    // The rows flagged selected, by name.
    auto flagged = [&] {
        Grid->Selection()->RefreshRowFlags();
        std::vector<std::string> names;
        const auto& flags = Grid->Selection()->RowFlags();
        const int keep = Grid->DataLink()->ActiveRecord();
        for (std::size_t r = 0; r < flags.size(); ++r) {
            if (flags[r] != "T") continue;
            Grid->DataLink()->SetActiveRecord(static_cast<int>(r));
            names.push_back(Field("Name"));
        }
        Grid->DataLink()->SetActiveRecord(keep);
        return names;
    };
    // The records the selection leads to.
    auto named = [&] {
        std::vector<std::string> names;
        const TBookmark here = Table->Bookmark();
        for (int i = 0; i < Grid->Selection()->Count(); ++i) {
            if (!Table->BookmarkValid(Grid->Selection()->Items(i))) continue;
            Table->GotoBookmark(Grid->Selection()->Items(i));
            names.push_back(Field("Name"));
        }
        Table->GotoBookmark(here);
        std::sort(names.begin(), names.end());
        return names;
    };
    select();
    EXPECT_EQ((std::vector<std::string>{"Name2", "Name4"}), flagged());
    EXPECT_EQ((std::vector<std::string>{"Name2", "Name4"}), named());
    refresh();
    EXPECT_EQ(std::vector<std::string>(), flagged());
    EXPECT_EQ(std::vector<std::string>(), named());
    EXPECT_EQ(Grid->Selection()->Count(), 0);
    // After a delete and a save every record's memory is its predecessor's.
    Table->First();
    select();
    Table->First();
    Table->Delete();
    Table->Save();
    refresh();
    ASSERT_EQ(59999, Table->RecordCount());
    EXPECT_EQ(std::vector<std::string>(), flagged());
    EXPECT_EQ(std::vector<std::string>(), named());
    EXPECT_EQ(Grid->Selection()->Count(), 0);
}

// An engine table that counts the bookmark questions the grid asks it.
class TCountingTable : public TOstraTable {
public:
    using TOstraTable::TOstraTable;
    bool BookmarkValid(const TBookmark& Value) override {
        ++Questions;
        return TOstraTable::BookmarkValid(Value);
    }
    int CompareBookmarks(const TBookmark& A, const TBookmark& B) override {
        ++Questions;
        const int c = TOstraTable::CompareBookmarks(A, B);
        return Reversed ? -c : c;
    }
    long Questions = 0;
    // Bookmarks order as the view does, as a dataset sorted anew would.
    bool Reversed = false;
};

// A shown multi-select grid over a counting table, with a click on a row.
struct TMultiSelectGrid {
    TForm* Form = CreateForm<TForm>(Application);
    TCountingTable* Table = new TCountingTable(Form);
    TqzDBGrid* Grid = nullptr;
    // Shows the grid once the caller has filled the table.
    void Show() {
        Form->SetBounds(40, 40, 500, 300);
        auto* source = new TDataSource(Form);
        source->SetDataSet(Table);
        Grid = new TqzDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 460, 260);
        Grid->SetOptions(Grid->Options() + dgMultiSelect);
        Grid->SetDataSource(source);
        Form->Show();
        Grid->SetFocus();
        ProcessEvents();
    }
    void ClickRow(int Row, TShiftState Shift) {
        const TRect r = Grid->CellRect(Grid->IndicatorOffset(), Row + Grid->TitleOffset());
        SendClick(Grid, r.Left + 5, r.Top + 5, mbLeft, Shift);
        ProcessEvents();
    }
    ~TMultiSelectGrid() {
        delete Form;
        ProcessEvents();
    }
};

// With thousands of records selected, a key or a scroll asks about a few
// bookmarks per shown cell, not about every selected one again.
TEST(QzDBGridSelection, ALargeSelectionKeepsKeysAndScrollsCheap) {
    constexpr int kRecords = 3000;
    TMultiSelectGrid g;
    TCountingTable* table = g.Table;
    table->FieldDefs()->Add("Id", ftInteger);
    table->FieldDefs()->Add("Name", ftString, 10);
    table->Open();
    table->DisableControls();
    for (int i = 1; i <= kRecords; ++i) table->AppendRecord({Variant(i), Variant("N" + std::to_string(i))});
    table->First();
    table->EnableControls();
    g.Show();
    TqzDBGrid* grid = g.Grid;
    auto clickRow = [&g](int Row, TShiftState Shift) { g.ClickRow(Row, Shift); };
    clickRow(0, {ssCtrl});
    SendKey(grid, VK_END, {ssCtrl});
    ProcessEvents();
    clickRow(grid->Row() - grid->TitleOffset(), {ssShift});
    ASSERT_EQ(grid->Selection()->Count(), kRecords);
    const int shown = grid->VisibleDataRows() * (grid->ColCount() - grid->IndicatorOffset());
    for (uint16_t key : {VK_UP, VK_PRIOR, VK_PRIOR}) {
        table->Questions = 0;
        SendKey(grid, key);
        ProcessEvents();
        g.Form->Repaint();
        EXPECT_LT(table->Questions, kRecords) << key << ", " << shown << " cells shown";
    }
    // Every shown row is drawn selected; one Ctrl click unselects one record.
    grid->Selection()->RefreshRowFlags();
    for (const std::string& flag : grid->Selection()->RowFlags()) EXPECT_EQ(flag, "T");
    table->Questions = 0;
    clickRow(2, {ssCtrl});
    EXPECT_LT(table->Questions, 2 * kRecords);
    EXPECT_EQ(grid->Selection()->Count(), kRecords - 1);
    grid->Selection()->RefreshRowFlags();
    EXPECT_EQ(grid->Selection()->RowFlags()[2], "F");
    EXPECT_EQ(grid->Selection()->RowFlags()[1], "T");
}

// The dataset's bookmark order changes with its view: the selection still
// knows its records, adds none twice and unselects the right one.
TEST(QzDBGridSelection, ASelectionOutlivesANewBookmarkOrder) {
    TMultiSelectGrid g;
    TCountingTable* table = g.Table;
    table->FieldDefs()->Add("Id", ftInteger);
    table->Open();
    for (int i = 1; i <= 8; ++i) table->AppendRecord({Variant(i)});
    table->First();
    g.Show();
    TqzDBGrid* grid = g.Grid;
    auto clickRow = [&g](int Row, TShiftState Shift) { g.ClickRow(Row, Shift); };
    auto flags = [&] {
        grid->Selection()->RefreshRowFlags();
        std::string f;
        for (const std::string& flag : grid->Selection()->RowFlags()) f += flag;
        return f;
    };
    for (int row : {0, 2, 3, 5}) clickRow(row, {ssCtrl});
    ASSERT_EQ(flags(), "TFTTFTFF");
    table->Reversed = true;
    EXPECT_EQ(flags(), "TFTTFTFF");
    clickRow(3, {ssCtrl});  // unselects
    EXPECT_EQ(grid->Selection()->Count(), 3);
    EXPECT_EQ(flags(), "TFTFFTFF");
    clickRow(2, {ssShift});  // rows 2 to 5 from the anchor (row 5): each record held once
    EXPECT_EQ(grid->Selection()->Count(), 5);
    EXPECT_EQ(flags(), "TFTTTTFF");
}

TEST_F(QzDBGridTest, RendersCheckBoxComboMemoCellsAndASelection) {
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Open(5);
    Grid->SetFocus();
    for (int row : {1, 3}) {
        const TPoint p = Centre(1, row);
        SendClick(Grid, p.X, p.Y, mbLeft, {ssCtrl});
        ProcessEvents();
    }
    Grid->SelectDataColumn(4);
    ProcessEvents();
    const std::string file = TestRunPath("qzdbgrid.png");
    ASSERT_TRUE(RenderControlToPng(Form, file));
    EXPECT_TRUE(FileExists(file));
}

}  // namespace
