// A rich edit over a TqzDBGrid cell and the clicks that reach it: the grid
// click that opened it and a quick second click in it make a double click.
#include <gtest/gtest.h>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "rich_cell_control.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/richtext/qzriched.h"

namespace {

class QzDBGridRichClickTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 640, 300);
        Table = new TOstraTable(Form);
        Table->FieldDefs()->Add("Id", ftInteger);
        Table->FieldDefs()->Add("Body", ftMemo);
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TqzDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 600, 260);
        Grid->ControlType()->SetText("Body;RichEdit;RichCell\n");
        Rich = NewRichCellControl(Form, Form, "RichCell", Source, "Body");
        Rich->SetOnDblClick(TNotifyEvent([this](TObject*) { ++DoubleClicks; }));
        Table->Open();
        Table->AppendRecord({Variant(1), Variant("first body")});
        Table->AppendRecord({Variant(2), Variant("second body")});
        Table->First();
        Grid->SetDataSource(Source);
        Form->Show();
        ProcessEvents();
        Grid->SetFocus();
        Grid->SelectDataColumn(0);
        ProcessEvents();
        Timers.Advance(5000);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    // Clicks the Body cell of the first row through the grid.
    void ClickBodyCell() {
        const TRect r = Grid->CellRect(1 + Grid->IndicatorOffset(), Grid->TitleOffset());
        SendClick(Grid, r.Left + 6, r.Top + 6);
        ProcessEvents();
    }
    TTestTimers Timers;
    TTestModalForms Modal;
    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TqzDBGrid* Grid = nullptr;
    TWinControl* Rich = nullptr;
    int DoubleClicks = 0;
};

// The click that moves to the cell only opens the rich edit; a second click
// in it within the double-click time opens its editor window.
TEST_F(QzDBGridRichClickTest, AQuickSecondClickInTheCellsRichEditIsADoubleClick) {
    ClickBodyCell();
    ASSERT_EQ(Grid->CurrentCellControl(), Rich);
    ASSERT_TRUE(Rich->Visible());
    EXPECT_EQ(DoubleClicks, 0);
    EXPECT_EQ(Modal.Shown().size(), 0u);
    Timers.Advance(200);
    Modal.PushResult(mrCancel);
    SendClick(Rich, 6, 6);
    ProcessEvents();
    EXPECT_EQ(DoubleClicks, 1);
    EXPECT_EQ(Modal.Shown().size(), 1u);
    EXPECT_EQ(Table->FieldByName("Body")->AsString(), "first body");
    // that click used the grid's click up: a third one is a click again
    Timers.Advance(100);
    SendClick(Rich, 6, 6);
    ProcessEvents();
    EXPECT_EQ(DoubleClicks, 1);
}

// A second click after the double-click time, or after the grid's click was
// used by another, is an ordinary click.
TEST_F(QzDBGridRichClickTest, ASlowSecondClickIsAClick) {
    ClickBodyCell();
    ASSERT_TRUE(Rich->Visible());
    Timers.Advance(GetDoubleClickTime());
    SendClick(Rich, 6, 6);
    ProcessEvents();
    EXPECT_EQ(DoubleClicks, 0);
    EXPECT_EQ(Modal.Shown().size(), 0u);
    // a click on the current cell again counts from now
    Grid->SetFocus();
    ProcessEvents();
    ClickBodyCell();
    Timers.Advance(GetDoubleClickTime() - 1);
    Modal.PushResult(mrCancel);
    SendClick(Rich, 6, 6);
    ProcessEvents();
    EXPECT_EQ(DoubleClicks, 1);
}

// With in-cell controls switched off the grid opens no control and the
// rich edit never hears of the grid's click.
TEST_F(QzDBGridRichClickTest, NoGridClickTimeWithoutCellControls) {
    Grid->SetEditControlOptions(Grid->EditControlOptions() + ecoDisableCustomControls);
    ClickBodyCell();
    EXPECT_EQ(dynamic_cast<TqzCustomRichEdit*>(Rich)->GridClickTime(), 0u);
}

}  // namespace
