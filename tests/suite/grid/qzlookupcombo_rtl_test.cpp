// The lookup combo right to left: its drop-down grid reads as the combo
// does, mirrored, with its vertical scroll bar at the left edge.
#include <gtest/gtest.h>
#include "support/suite/grid/qzlookupcombo_fixture.h"

#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzlookupcombo.h"
#include "support/environment.h"

namespace {

TEST_F(QzLookupComboTest, RightToLeftTheDropDownGridHasItsScrollBarAtTheLeft) {
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    Bind("Id");
    Combo->SetDropDownCount(2);
    Combo->SetBiDiMode(bdRightToLeft);
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    TqzLookupDropGrid* g = Combo->Grid();
    EXPECT_EQ(bdRightToLeft, g->BiDiMode());
    ASSERT_TRUE(g->ScrollBarVisible(SB_VERT));
    EXPECT_EQ(t, g->NonClientMargins().Left);
    EXPECT_EQ(g->Width() - t, g->ClientWidth());
    TBitmap shot;
    RenderControl(g, &shot);
    RenderControlToPng(g, TestRunPath("lookup_drop_rtl.png"));
    // The first column's cells lie at the right edge of the client area.
    const TRect first = g->GridToClientRect(g->CellRect(g->IndicatorOffset(), g->TitleOffset()));
    EXPECT_EQ(g->ClientWidth(), first.Right);

    // A real click on the down arrow of the bar at the left moves a row; the
    // list stays open.
    const std::string before = Items->FieldByName("Name")->AsString();
    SendScreenClick(g->ClientToScreen({-t / 2, g->ClientHeight() - t / 2}));
    EXPECT_TRUE(Combo->IsDroppedDown());
    EXPECT_NE(before, Items->FieldByName("Name")->AsString());
    // A click on a row picks the record drawn there.
    const std::string second = Items->FieldByName("Name")->AsString();
    const TRect row = g->GridToClientRect(g->CellRect(g->IndicatorOffset(), g->Row()));
    SendScreenClick(g->ClientToScreen({(row.Left + row.Right) / 2, (row.Top + row.Bottom) / 2}));
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ(second, Combo->Text());

    // Turned left to right while open: the bar goes back to the right.
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    Combo->SetBiDiMode(bdLeftToRight);
    ProcessEvents();
    ASSERT_TRUE(Combo->IsDroppedDown());
    EXPECT_EQ(bdLeftToRight, g->BiDiMode());
    EXPECT_EQ(0, g->NonClientMargins().Left);
    EXPECT_EQ(0, g->GridToClientRect(g->CellRect(g->IndicatorOffset(), g->TitleOffset())).Left);
    SendKey(Combo, VK_ESCAPE);
}

}  // namespace
