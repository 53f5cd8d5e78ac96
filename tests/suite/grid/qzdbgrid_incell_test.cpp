// controls of its cells, on a shown form over engine tables: an open list
// lets the event loop rest, the controls take the focus and the clicks, and
// a date cell's picker shows its whole date beside its button.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzgridexport.h"
#include "suite/grid/qzlookupcombo.h"
#include "support/environment.h"
#include "support/suite/grid/rich_cell_control.h"

namespace {

// The published grid, counting its paints.
class TCountingGrid : public TqzDBGrid {
public:
    using TqzDBGrid::CellText;
    using TqzDBGrid::TqzDBGrid;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        TqzDBGrid::Paint();
    }
};

class QzDBGridInCellTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 700, 320);
        Items = new TOstraTable(Form);
        Items->FieldDefs()->Add("Id", ftInteger);
        Items->FieldDefs()->Add("Name", ftString, 20);
        Items->Open();
        const char* names[] = {"Apple", "Banana", "Carrot", "Cherry", "Date", "Fig", "Grape", "Kiwi"};
        for (int i = 0; i < 8; ++i) Items->AppendRecord({Variant(i + 1), Variant(names[i])});
        Items->First();
        Orders = new TOstraTable(Form);
        Orders->FieldDefs()->Add("Id", ftInteger);
        Orders->FieldDefs()->Add("ItemId", ftInteger);
        Orders->FieldDefs()->Add("Day", ftDate);
        Orders->FieldDefs()->Add("Notes", ftMemo);
        Source = new TDataSource(Form);
        Source->SetDataSet(Orders);
        Grid = new TCountingGrid(Form);
        Grid->SetName("Grid1");
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 660, 260);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    // Orders with notes of the default size; the lookup combo and the rich
    // edit named by the grid's ControlType lines.
    void Open(bool WithRich) {
        Combo = new TqzDBCustomLookupCombo(Form);
        Combo->SetName("ItemCombo");
        Combo->SetParent(Form);
        Combo->SetBounds(10, 280, 150, 24);
        Combo->SetLookupTable(Items);
        Combo->Selected()->SetText("Name\t12\tName\n");
        Combo->SetLookupField("Id");
        std::string lines = "ItemId;LookupCombo;ItemCombo\n";
        if (WithRich) {
            Rich = NewRichCellControl(Form, Form, "NotesRich", Source, "Notes");
            Rich->SetBounds(200, 280, 200, 24);
            lines += "Notes;RichEdit;NotesRich\n";
        }
        Grid->ControlType()->SetText(lines);
        Orders->Open();
        for (int i = 0; i < 6; ++i)
            Orders->AppendRecord({Variant(i + 1), Variant(i % 8 + 1), Variant(EncodeDate(2026, 12, 24 + i)),
                                  Variant("{\\rtf1\\ansi Note " + IntToStr(i + 1) + "\\par}")});
        Orders->First();
        Grid->SetDataSource(Source);
        Form->Show();
        ProcessEvents();
    }
    // The rectangle of the field's cell in the data row.
    TRect Cell(const char* FieldName, int DataRow) {
        const int index = Orders->FieldByName(FieldName)->Index();
        return Grid->CellRect(index + Grid->IndicatorOffset(), DataRow + Grid->TitleOffset());
    }
    void OpenTheListAndRest(bool WithRich);
    void Click(const TRect& R) {
        SendClick(Grid, R.Left + 6, R.Top + R.Height() / 2);
        ProcessEvents();
    }

    TForm* Form = nullptr;
    TOstraTable* Items = nullptr;
    TOstraTable* Orders = nullptr;
    TDataSource* Source = nullptr;
    TCountingGrid* Grid = nullptr;
    TqzDBCustomLookupCombo* Combo = nullptr;
    TWinControl* Rich = nullptr;
};

// With the lookup list open over a cell the grid paints what changed and
// then rests: a later pass of the event loop paints nothing.
void QzDBGridInCellTest::OpenTheListAndRest(bool WithRich) {
    Open(WithRich);
    Grid->SetFocus();
    Click(Cell("ItemId", 1));
    ASSERT_EQ(Grid->CurrentCellControl(), Combo);
    EXPECT_EQ(Combo->Text(), "Banana");
    SendKey(Grid, VK_DOWN, {ssAlt});
    ASSERT_TRUE(Combo->IsDroppedDown());
    ProcessEvents();
    EXPECT_TRUE(RenderControlToPng(
        Form, TestRunPath(WithRich ? "incell_open_list_rich.png" : "incell_open_list.png")));
    EXPECT_TRUE(EventLoopRests());
    Grid->Paints = 0;
    ProcessEvents();
    EXPECT_EQ(Grid->Paints, 0);
    ASSERT_TRUE(Combo->IsDroppedDown());
    // the keys move in the list, not the grid's record
    ASSERT_EQ(FocusedControl(), Combo);
    SendKeyToFocus(VK_DOWN);
    SendKeyToFocus(VK_RETURN);
    ProcessEvents();
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ(Combo->Text(), "Carrot");
    EXPECT_EQ(Orders->FieldByName("Id")->AsInteger(), 2);
    EXPECT_EQ(Orders->FieldByName("ItemId")->AsInteger(), 3);
}

TEST_F(QzDBGridInCellTest, AnOpenLookupListLetsTheEventLoopRest) { OpenTheListAndRest(false); }

TEST_F(QzDBGridInCellTest, AnOpenLookupListBesideARichColumnLetsTheEventLoopRest) {
    OpenTheListAndRest(true);
}

// Every row's lookup cell shows the item of its own key, on the screen and
// in an export, not the current record's.
TEST_F(QzDBGridInCellTest, LookupCellsShowTheItemOfTheirOwnRow) {
    Open(false);
    Orders->MoveBy(2);
    ProcessEvents();
    EXPECT_TRUE(RenderControlToPng(Grid, TestRunPath("incell_lookup_cells.png")));
    Grid->ExportOptions()->SetExportType(qzgetTxt);
    TStringStream out;
    Grid->ExportOptions()->SaveToStream(&out);
    std::size_t at = 0;
    for (const char* name : {"Apple", "Banana", "Carrot", "Cherry", "Date", "Fig"}) {
        at = out.DataString().find(name, at);
        ASSERT_NE(at, std::string::npos) << name << " in\n" << out.DataString();
    }
    EXPECT_EQ(Orders->FieldByName("Id")->AsInteger(), 3);
}

// Opening the in-cell lookup list (by keys, by its button, by typing) and
// closing it with Escape changes no other row's lookup cell: each still shows
// the item of its own key, as before the list was opened, and no row shows
// the current row's item, also once a click from the grid moved the record.
TEST_F(QzDBGridInCellTest, LookupCellsKeepTheirOwnItemWhileAndAfterTheListIsOpen) {
    Open(false);
    // The active window, as a user's form is: its focused edit shows its selection.
    ActivateForm(Form);
    // What the screen shows: the grid's window as it last painted it.
    auto shoot = [&](const std::string& Png) {
        auto shot = std::make_unique<TBitmap>();
        ProcessEvents();
        GrabShownControl(Grid, shot.get());
        shot->SaveToFile(TestRunPath(Png));
        return shot;
    };
    auto pixels = [&](TBitmap& Shot, int Row) {
        TRect r = Cell("ItemId", Row);
        InflateRect(r, -2, -2);
        std::vector<TColor> px;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) px.push_back(Shot.Canvas()->Pixels(x, y));
        return px;
    };
    // The text each row's cell shows, read as the painting reads it.
    auto texts = [&] {
        std::vector<std::string> all;
        TqzGridDataLink* link = Grid->DataLink();
        const int active = link->ActiveRecord();
        for (int row = 0; row < link->RecordCount(); ++row) {
            link->SetActiveRecord(row);
            all.push_back(Grid->CellText(Orders->FieldByName("ItemId")));
        }
        link->SetActiveRecord(active);
        return all;
    };
    const std::vector<std::string> items{"Apple", "Banana", "Carrot", "Cherry", "Date", "Fig"};
    struct TWay {
        const char* Name;
        std::function<void()> Open;
    };
    const TWay ways[] = {{"alt-down", [&] { SendKey(Grid, VK_DOWN, {ssAlt}); }},
                         {"button", [&] { SendClick(Combo->Button(), 3, 3); }},
                         {"f4", [&] {
                              SendText(Grid, "B");
                              SendKeyToFocus(VK_F4);
                          }}};
    int round = 0;
    for (const TWay& way : ways) {
        SCOPED_TRACE(way.Name);
        const int current = 1 + round++;
        if (current == 1) Grid->SetFocus();
        Click(Cell("ItemId", current));
        ASSERT_EQ(Grid->CurrentCellControl(), Combo);
        EXPECT_EQ(texts(), items);
        const std::unique_ptr<TBitmap> before =
            shoot(std::string("incell_lookup_before_") + way.Name + ".png");
        // Rows of other items look different before anything opens.
        ASSERT_NE(pixels(*before, 0), pixels(*before, 4));
        way.Open();
        ASSERT_TRUE(Combo->IsDroppedDown());
        SendKeyToFocus(VK_DOWN);
        EXPECT_EQ(texts(), items);
        const std::unique_ptr<TBitmap> open = shoot(std::string("incell_lookup_open_") + way.Name + ".png");
        SendKeyToFocus(VK_ESCAPE);
        ASSERT_FALSE(Combo->IsDroppedDown());
        EXPECT_EQ(texts(), items);
        const std::unique_ptr<TBitmap> closed =
            shoot(std::string("incell_lookup_escaped_") + way.Name + ".png");
        for (int row = 0; row < static_cast<int>(items.size()); ++row) {
            if (row == current) continue;  // the combo's own cell
            SCOPED_TRACE(row);
            EXPECT_EQ(pixels(*before, row), pixels(*open, row));
            EXPECT_EQ(pixels(*before, row), pixels(*closed, row));
        }
        // Escape took nothing; a second one hands the keys back to the grid,
        // and the next round's click moves to another row from there.
        EXPECT_EQ(Orders->FieldByName("ItemId")->AsInteger(), current + 1);
        SendKeyToFocus(VK_ESCAPE);
        EXPECT_EQ(FocusedControl(), Grid);
    }
}

// A form with a rich edit and a lookup combo as cell controls: the grid
// takes the focus, clicks move its cell and open the cell's control, and
// the controls take the focus and the keys typed there.
TEST_F(QzDBGridInCellTest, CellControlsTakeTheFocusAndCellsTheClicks) {
    TTestModalForms modal;
    Open(true);
    Grid->SetFocus();
    EXPECT_TRUE(Grid->Focused());
    Click(Cell("Notes", 2));
    EXPECT_EQ(Orders->FieldByName("Id")->AsInteger(), 3);
    EXPECT_EQ(Grid->CurrentCellControl(), Rich);
    ASSERT_TRUE(Rich->Visible());
    SendText(Grid, "X");
    ProcessEvents();
    EXPECT_EQ(FocusedControl(), Rich);
    EXPECT_NE(Rich->Text().find("X"), std::string::npos) << Rich->Text();
    Click(Cell("ItemId", 4));
    EXPECT_EQ(Orders->FieldByName("Id")->AsInteger(), 5);
    ASSERT_EQ(Grid->CurrentCellControl(), Combo);
    EXPECT_EQ(Combo->Text(), "Date");
    SendKey(Grid, VK_DOWN, {ssAlt});
    EXPECT_EQ(FocusedControl(), Combo);
    EXPECT_TRUE(Combo->IsDroppedDown());
    EXPECT_TRUE(RenderControlToPng(Form, TestRunPath("incell_focus.png")));
    SendKeyToFocus(VK_ESCAPE);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_TRUE(modal.Shown().empty());
}

// A 10-character date column: the open picker shows the whole date beside
// its button, from the cell's left edge.
TEST_F(QzDBGridInCellTest, TheDatePickerShowsTheYearBesideItsButton) {
    Open(false);
    Grid->SetFocus();
    const TRect cell = Cell("Day", 2);
    Click(cell);
    TqzDBDateTimePicker* picker = Grid->DateTimePicker();
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(Grid->CurrentCellControl(), picker);
    ASSERT_TRUE(picker->Visible());
    EXPECT_TRUE(RenderControlToPng(Grid, TestRunPath("incell_date_picker.png")));
    EXPECT_EQ(picker->Text(), "12/26/2026");
    EXPECT_EQ(picker->Left(), cell.Left + 1);
    EXPECT_GE(picker->Width(), cell.Width() - 2);
    TBitmap measure;
    measure.Canvas()->Font()->Assign(picker->Font());
    // the edit's margin of two pixels each side of the text
    EXPECT_LE(2 + measure.Canvas()->TextWidth(picker->Text()) + 2, picker->ButtonHost()->Left());
}

// The direction changed while a date cell's picker is open: the picker moves
// with its cell, either way, and keeps the date and the focus; its open
// calendar closes taking nothing.
TEST_F(QzDBGridInCellTest, TheDatePickerFollowsADirectionChange) {
    Open(false);
    Grid->SetFocus();
    const TRect cell = Cell("Day", 2);
    Click(cell);
    TqzDBDateTimePicker* picker = Grid->DateTimePicker();
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(Grid->CurrentCellControl(), picker);
    picker->SetFocus();
    SendKeyToFocus(VK_DOWN, {ssAlt});
    ASSERT_TRUE(picker->IsDroppedDown());
    SendKeyToFocus(VK_RIGHT);
    for (const TBiDiMode mode : {bdRightToLeft, bdLeftToRight}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Grid->SetBiDiMode(mode);
        ProcessEvents();
        EXPECT_TRUE(RenderControlToPng(
            Grid, TestRunPath(mode == bdRightToLeft ? "incell_picker_rtl.png" : "incell_picker_ltr.png")));
        ASSERT_TRUE(picker->Visible());
        // one pixel in from the cell's leading edge, as the grid reads
        if (mode == bdRightToLeft)
            EXPECT_EQ(picker->Left() + picker->Width(), Grid->ClientWidth() - (cell.Left + 1));
        else
            EXPECT_EQ(picker->Left(), cell.Left + 1);
        EXPECT_EQ(picker->Top(), cell.Top + 1);
        EXPECT_FALSE(picker->IsDroppedDown());
        EXPECT_EQ(picker->Text(), "12/26/2026");
        EXPECT_EQ(FocusedControl(), picker);
    }
}

}  // namespace
