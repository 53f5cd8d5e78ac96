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
#include "suite/grid/qzdbgrid.h"
#include "suite/richtext/qzriched.h"
#include "support/suite/grid/rich_cell_grid_fixture.h"

namespace {

class QzDBGridRichClickTest : public TRichCellGridTest {
protected:
    void SetUp() override {
        Build({"first body", "second body"}, 0);
        Rich->SetOnDblClick(TNotifyEvent([this](TObject*) { ++DoubleClicks; }));
        Timers.Advance(5000);
    }
    // Clicks the Body cell of the first row through the grid.
    void ClickBodyCell() {
        const TRect r = Grid->CellRect(1 + Grid->IndicatorOffset(), Grid->TitleOffset());
        SendClick(Grid, r.Left + 6, r.Top + 6);
        ProcessEvents();
    }
    TTestTimers Timers;
    TTestModalForms Modal;
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
