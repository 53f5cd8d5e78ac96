// The published grid's own date-time picker over date cells, the edit flag
// its data link sets, and F2 handed to a RichEdit cell's control.
#include <gtest/gtest.h>
#include "support/environment.h"

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbgrid.h"
#include "support/suite/grid/rich_cell_grid_fixture.h"
#include "support/suite/picker_text.h"

namespace {

class QzDBGridPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 640, 300);
        Table = new TOstraTable(Form);
        TFieldDefs* defs = Table->FieldDefs();
        defs->Add("Id", ftInteger);
        defs->Add("Name", ftString, 20);
        defs->Add("Start", ftDate);
        defs->Add("Due", ftDate);
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TqzDBGrid(Form);
        Grid->SetName("Grid1");
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 600, 260);
        Grid->SetOnCreateDateTimePicker(
            TqzCreateDateTimePickerEvent([this](TObject* Sender, TqzDBCustomDateTimePicker* P) {
                ++Created;
                EXPECT_EQ(Sender, Grid);
                P->SetDisplayFormat("mm/dd/yyyy");
            }));
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    void Open() {
        Table->Open();
        Table->AppendRecord(
            {Variant(1), Variant("Alpha"), Variant(EncodeDate(2026, 3, 2)), Variant(EncodeDate(2026, 6, 6))});
        Table->AppendRecord(
            {Variant(2), Variant("Beta"), Variant(EncodeDate(2026, 5, 9)), Variant(EncodeDate(2026, 7, 7))});
        Table->First();
        Grid->SetDataSource(Source);
        Form->Show();
        ProcessEvents();
    }
    TDateTime Start() { return Table->FieldByName("Start")->AsDateTime(); }

    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TqzDBGrid* Grid = nullptr;
    int Created = 0;
};

// The point of a day of the open calendar.
TPoint DayPoint(TqzPopupCalendar* Cal, int Month, int Day) {
    for (int y = 0; y < Cal->ClientHeight(); ++y)
        for (int x = 0; x < Cal->ClientWidth(); ++x) {
            const TMonthHitTest h = Cal->HitTest({x, y});
            if (h.Hit == MCHT_CALENDARDATE && h.Month == Month && h.Day == Day) return {x + 3, y + 3};
        }
    return {-1, -1};
}

TEST_F(QzDBGridPickerTest, DateCellsAreEditedInTheGridsPicker) {
    Open();
    EXPECT_EQ(Grid->DateTimePicker(), nullptr);
    Grid->SetFocus();
    Grid->SelectDataColumn(2);
    ProcessEvents();
    TqzDBDateTimePicker* picker = Grid->DateTimePicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(Created, 1);
    EXPECT_EQ(picker->Owner(), Grid);
    EXPECT_EQ(picker->Parent(), Grid);
    EXPECT_EQ(picker->DataField(), "Start");
    // Placed over the current cell, as tall as its font needs.
    ASSERT_EQ(Grid->CurrentCellControl(), picker);
    EXPECT_TRUE(picker->Visible());
    const TRect r = Grid->CellRect(Grid->Col(), Grid->Row());
    EXPECT_EQ(picker->Left(), r.Left + 1);
    EXPECT_EQ(picker->Top(), r.Top + 1);
    EXPECT_LE(picker->Height(), r.Height());
    EXPECT_EQ(picker->Text(), "03/02/2026");
    EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());

    // A typed digit goes to the picker: the month becomes 04.
    SendKey(Grid, '0');
    SendKey(Grid, '4');
    ProcessEvents();
    EXPECT_EQ(Form->ActiveControl(), picker);
    EXPECT_EQ(picker->Text(), "04/02/2026");

    // Alt+Down drops the calendar; a click on a day takes it.
    SendKey(picker, VK_DOWN, TShiftState{ssAlt});
    ProcessEvents();
    ASSERT_TRUE(picker->IsDroppedDown());
    ASSERT_TRUE(RenderControlToPng(Form, TestRunPath("qzdbgrid_picker.png")));
    const TPoint day = DayPoint(picker->Calendar(), 4, 20);
    ASSERT_GE(day.X, 0);
    SendClick(picker->Calendar(), day.X, day.Y);
    ProcessEvents();
    EXPECT_FALSE(picker->IsDroppedDown());
    EXPECT_EQ(picker->Text(), "04/20/2026");

    // Down moves to the next record: the date is posted.
    SendKey(picker, VK_DOWN, TShiftState{ssCtrl});
    ProcessEvents();
    EXPECT_EQ(Table->State(), dsBrowse);
    // The picker's write went through the grid's link while the record was edited.
    EXPECT_EQ(Grid->BehaviourFlag(0).AsBoolean(), true);
    Table->First();
    EXPECT_EQ(Start(), EncodeDate(2026, 4, 20));
    EXPECT_EQ(Created, 1);
}

// The open picker, as tall as a grid row, shows its date in the cell: the
// dark pixels of its text run across the cell left of the button.
TEST_F(QzDBGridPickerTest, OpenPickerShowsItsDateInTheCell) {
    Open();
    Grid->SetFocus();
    Grid->SelectDataColumn(2);
    ProcessEvents();
    TqzDBDateTimePicker* picker = Grid->DateTimePicker();
    ASSERT_NE(picker, nullptr);
    // A month typed in focuses it: its edit window draws the text.
    SendKey(Grid, '0');
    SendKey(Grid, '4');
    ProcessEvents();
    ASSERT_EQ(Form->ActiveControl(), picker);
    ASSERT_EQ(picker->Text(), "04/02/2026");
    ASSERT_LE(picker->Height(), 16);
    TBitmap shot;
    RenderControl(picker, &shot);
    ASSERT_TRUE(RenderControlToPng(Form, TestRunPath("qzdbgrid_picker_cell.png")));
    const int textWidth = picker->Width() - picker->Button()->Width();
    int columns = 0;  // inside the focus box around it
    for (int x = 2; x < textWidth - 1; ++x)
        for (int y = 2; y < picker->Height() - 2; ++y) {
            const TColor p = shot.Canvas()->Pixels(x, y);
            if (p >= 0 && GetRValue(p) + GetGValue(p) + GetBValue(p) < 3 * 128) {
                ++columns;
                break;
            }
        }
    EXPECT_GE(columns, textWidth / 3);  // the selected day is drawn light on dark
}

// In a fresh right-to-left grid the picker shows its whole date, and after
// Alt+Down and Escape too.
TEST_F(QzDBGridPickerTest, RightToLeftPickerShowsItsWholeDate) {
    Form->SetBiDiMode(bdRightToLeft);
    Open();
    Grid->SetFocus();
    Grid->SelectDataColumn(2);
    ProcessEvents();
    TqzDBDateTimePicker* picker = Grid->DateTimePicker();
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(picker->UseRightToLeftAlignment());
    ASSERT_EQ(picker->Text(), "03/02/2026");
    ExpectWholePickerText(picker, "qzdbgrid_picker_rtl_placed");
    picker->SetFocus();
    ProcessEvents();
    ExpectWholePickerText(picker, "qzdbgrid_picker_rtl_focused");
    SendKey(picker, VK_DOWN, TShiftState{ssAlt});
    ProcessEvents();
    ASSERT_TRUE(picker->IsDroppedDown());
    SendKey(picker, VK_ESCAPE);
    ProcessEvents();
    ASSERT_FALSE(picker->IsDroppedDown());
    EXPECT_EQ(picker->Text(), "03/02/2026");
    ExpectWholePickerText(picker, "qzdbgrid_picker_rtl_escaped");
    ASSERT_TRUE(RenderControlToPng(Form, TestRunPath("qzdbgrid_picker_rtl.png")));
}

TEST_F(QzDBGridPickerTest, TabToTheNextDateCellTypesItFromItsFirstPart) {
    Open();
    Grid->SetFocus();
    Grid->SelectDataColumn(2);
    ProcessEvents();
    TqzDBDateTimePicker* picker = Grid->DateTimePicker();
    ASSERT_NE(picker, nullptr);
    // Each key to whatever has the focus then, as a user types.
    auto type = [](const std::string& Text) {
        for (char ch : Text) SendText(FocusedControl(), std::string(1, ch));
    };
    type("01/21/2024");
    EXPECT_EQ(picker->Text(), "01/21/2024");
    SendKeyToFocus(VK_TAB);
    // The same picker now serves Due, drawn or not yet.
    EXPECT_EQ(picker->DataField(), "Due");
    EXPECT_EQ(Created, 1);
    type("01/17/2022");
    EXPECT_EQ(picker->Text(), "01/17/2022");
    SendKeyToFocus(VK_TAB, {ssShift});
    ProcessEvents();
    Table->Post();
    EXPECT_EQ(Start(), EncodeDate(2024, 1, 21));
    EXPECT_EQ(Table->FieldByName("Due")->AsDateTime(), EncodeDate(2022, 1, 17));
}

TEST_F(QzDBGridPickerTest, DisabledPickerLeavesDateCellsToTheTextEditor) {
    Grid->SetEditControlOptions(Grid->EditControlOptions() + ecoDisableDateTimePicker);
    Open();
    Grid->SetFocus();
    Grid->SelectDataColumn(2);
    ProcessEvents();
    EXPECT_EQ(Grid->DateTimePicker(), nullptr);
    EXPECT_FALSE(Grid->IsCustomControlCell(Grid->Col(), Grid->Row()));
    SendKey(Grid, VK_F2);
    ProcessEvents();
    ASSERT_TRUE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
}

TEST_F(QzDBGridPickerTest, TheDataLinkFlagsAnEditedRecord) {
    Open();
    EXPECT_EQ(Grid->BehaviourFlag(0).AsBoolean(), false);
    // Moving about and a field change outside editing leave it.
    Grid->SetFocus();
    Grid->SelectDataColumn(1);
    SendKey(Grid, VK_DOWN);
    ProcessEvents();
    EXPECT_EQ(Grid->BehaviourFlag(0).AsBoolean(), false);
    // A field changed while the record is edited sets it.
    Table->Edit();
    EXPECT_EQ(Grid->BehaviourFlag(0).AsBoolean(), false);
    Table->FieldByName("Name")->SetAsString("Gamma");
    EXPECT_EQ(Grid->BehaviourFlag(0).AsBoolean(), true);
    Table->Post();
    // The other flags keep their defaults.
    EXPECT_EQ(Grid->BehaviourFlag(9).AsBoolean(), true);
    EXPECT_EQ(Grid->BehaviourFlag(10).AsBoolean(), false);
}

}  // namespace

// A memo field shown and edited by a named rich edit.
class QzDBGridRichCellTest : public TRichCellGridTest {
protected:
    void SetUp() override {
        Build({"plain body"}, 1);
        Rich->SetOnKeyDown(TKeyEvent([this](TObject*, uint16_t& Key, TShiftState) {
            if (Key != VK_F2) return;
            ++F2Keys;
            Key = 0;  // no editor window here
        }));
    }
    int F2Keys = 0;
};

TEST_F(QzDBGridRichCellTest, F2AndADoubleClickGoToTheRichEditNotTheMemoWindow) {
    ASSERT_EQ(Grid->CurrentCellControl(), Rich);
    EXPECT_TRUE(Rich->Visible());
    TTestModalForms modal;
    modal.PushResult(mrCancel);
    modal.PushResult(mrCancel);
    SendKey(Grid, VK_F2);
    ProcessEvents();
    EXPECT_EQ(F2Keys, 1);
    EXPECT_EQ(modal.Shown().size(), 0u);
    EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    // A double click on the cell hands it F2 as well.
    Grid->SetFocus();
    ProcessEvents();
    const TRect r = Grid->CellRect(Grid->Col(), Grid->Row());
    SendDoubleClick(Grid, r.Left + 2, r.Top + 2);
    ProcessEvents();
    EXPECT_EQ(F2Keys, 2);
    EXPECT_EQ(modal.Shown().size(), 0u);
}

// While the grid has the focus, the current cell's rich edit wears the
// highlight colour as a border with a focus rectangle on it; focused itself
// (the grid not), it has none.
TEST_F(QzDBGridRichCellTest, TheCellsRichEditWearsTheHighlightBorderWhileTheGridHasTheFocus) {
    ASSERT_EQ(Grid->CurrentCellControl(), Rich);
    ASSERT_TRUE(Rich->Visible());
    ASSERT_TRUE(Grid->Focused());
    TBitmap shot;
    RenderControl(Rich, &shot);
    EXPECT_TRUE(RenderControlToPng(Grid, TestRunPath("qz_dbgrid_richcell_highlight.png")));
    EXPECT_TRUE(RenderControlToPng(Rich, TestRunPath("qz_dbgrid_richcell_highlight_control.png")));
    const TRect c = Rich->ClientRect();
    const TColor hi = ColorToRGB(clHighlight), dot = hi ^ 0xFFFFFF;
    // the client area in the rendering: the control's border around it
    const int bx = (shot.Width() - c.Right) / 2, by = (shot.Height() - c.Bottom) / 2;
    int dots = 0;
    auto edge = [&](int x, int y) {
        const TColor p = shot.Canvas()->Pixels(bx + x, by + y);
        EXPECT_TRUE(p == hi || p == dot) << x << "," << y << ": " << std::hex << p;
        if (p == dot) ++dots;
    };
    for (int x = 0; x < c.Right; ++x) {
        edge(x, 0);
        edge(x, c.Bottom - 1);
    }
    for (int y = 1; y < c.Bottom - 1; ++y) {
        edge(0, y);
        edge(c.Right - 1, y);
    }
    EXPECT_GT(dots, c.Right);  // every other pixel of the rectangle is a dot
    Rich->SetFocus();
    ProcessEvents();
    ASSERT_FALSE(Grid->Focused());
    RenderControl(Rich, &shot);
    for (const TPoint& p : {TPoint{bx + c.Right / 2, by}, TPoint{bx, by + c.Bottom / 2}}) {
        EXPECT_NE(shot.Canvas()->Pixels(p.X, p.Y), hi);
        EXPECT_NE(shot.Canvas()->Pixels(p.X, p.Y), dot);
    }
}

// A double click on the cell's rich edit itself opens its editor window.
TEST_F(QzDBGridRichCellTest, ADoubleClickOnTheCellsRichEditOpensItsEditor) {
    ASSERT_TRUE(Rich->Visible());
    int clicks = 0;
    Rich->SetOnDblClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    TTestModalForms modal;
    modal.PushResult(mrCancel);
    SendDoubleClick(Rich, 4, 4);
    ProcessEvents();
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(modal.Shown().size(), 1u);
    EXPECT_EQ(Table->FieldByName("Body")->AsString(), "plain body");
}
