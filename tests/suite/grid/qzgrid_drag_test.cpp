// Column drags by the title (the grid's TqzGridColumnDrag): the start
// threshold, groups kept together, edge scrolling on the timer.
#include "platform/core/streams.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/themes.h"
#include "platform/ui/timer.h"
#include "platform/ui/window_services.h"
#include "suite/grid/qzgridcontrols.h"
#include "suite/grid/qzinplace.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

std::vector<std::string> ColumnNames(TqzCustomDBGrid* Grid) {
    std::vector<std::string> names;
    for (int i = 0; i < Grid->ColCount() - Grid->IndicatorOffset(); ++i)
        names.push_back(Grid->GetColField(i) ? Grid->GetColField(i)->FieldName() : "?");
    return names;
}

class QzDrag : public QzGridTest {
protected:
    // Name and Amount form group "G".
    void OpenGrouped() {
        Open(3);
        Grid->SetUseTFields(false);
        Grid->Selected()->SetText(
            "Id\t5\tId\tF\nName\t10\tName\tF\tG\nAmount\t8\tAmount\tF\tG\nDue\t8\tDue\tF\n"
            "Code\t6\tCode\tF\n");
        Show();
    }
    void Drag(int FromX, int FromY, int ToX, int ToY) {
        SendMouseDown(Grid, mbLeft, FromX, FromY);
        SendMouseMove(Grid, (FromX + ToX) / 2, FromY, {ssLeft});
        SendMouseMove(Grid, ToX, ToY, {ssLeft});
        SendMouseUp(Grid, mbLeft, ToX, ToY);
    }
};

TEST_F(QzDrag, StartsOnlyPastTwoPixels) {
    Open(2);
    Show();
    // The edge-scrolling timer runs while a drag is on.
    TTestTimers timers;
    const TRect id = Grid->CellRect(1, 0);
    SendMouseDown(Grid, mbLeft, id.Left + 10, id.Top + 4);
    SendMouseMove(Grid, id.Left + 12, id.Top + 6, {ssLeft});
    EXPECT_EQ(FirstOwned<TTimer>(Grid), nullptr);
    EXPECT_EQ(timers.Pending(), 0);
    SendMouseMove(Grid, id.Left + 13, id.Top + 4, {ssLeft});
    TTimer* timer = FirstOwned<TTimer>(Grid);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 100u);
    EXPECT_TRUE(timers.Scheduled(timer));
    SendMouseUp(Grid, mbLeft, id.Left + 13, id.Top + 4);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timers.Pending(), 0);
    EXPECT_EQ(ColumnNames(Grid)[0], "Id");
}

TEST_F(QzDrag, GroupsStayTogether) {
    OpenGrouped();
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_groups.png"));
    // A grouped column may not leave its group.
    TRect name = Grid->CellRect(2, 0), code = Grid->CellRect(5, 0);
    Drag(name.Left + 5, name.Bottom - 3, code.Left + 5, code.Bottom - 3);
    EXPECT_EQ(ColumnNames(Grid), (std::vector<std::string>{"Id", "Name", "Amount", "Due", "Code"}));
    // The group header drags both columns.
    name = Grid->CellRect(2, 0);
    const TRect due = Grid->CellRect(4, 0);
    Drag(name.Left + 5, name.Top + 3, due.Left + 5, due.Bottom - 3);
    EXPECT_EQ(ColumnNames(Grid), (std::vector<std::string>{"Id", "Due", "Name", "Amount", "Code"}));
    // An ungrouped column dropped onto the group lands before it (moving left).
    code = Grid->CellRect(5, 0);
    const TRect amount = Grid->CellRect(4, 0);
    Drag(code.Left + 5, code.Bottom - 3, amount.Left + 5, amount.Bottom - 3);
    EXPECT_EQ(ColumnNames(Grid), (std::vector<std::string>{"Id", "Due", "Code", "Name", "Amount"}));
    // A plain move between ungrouped columns.
    const TRect id = Grid->CellRect(1, 0), codeNow = Grid->CellRect(3, 0);
    Drag(id.Left + 5, id.Bottom - 3, codeNow.Left + 5, codeNow.Bottom - 3);
    EXPECT_EQ(ColumnNames(Grid), (std::vector<std::string>{"Due", "Code", "Id", "Name", "Amount"}));
}

TEST_F(QzDrag, ScrollsAtTheRightEdgeOnTheTimer) {
    Open(3);
    Grid->SetBounds(8, 8, 180, 200);
    Show();
    TTestTimers timers;
    ASSERT_EQ(Grid->LeftCol(), 1);
    const TRect id = Grid->CellRect(1, 0);
    SendMouseDown(Grid, mbLeft, id.Left + 5, id.Top + 4);
    SendMouseMove(Grid, id.Left + 40, id.Top + 4, {ssLeft});
    SendMouseMove(Grid, Grid->Width() - 3, id.Top + 4, {ssLeft});
    TTimer* timer = FirstOwned<TTimer>(Grid);
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->Enabled());
    EXPECT_EQ(Grid->LeftCol(), 1);
    timers.Advance(100);
    EXPECT_EQ(Grid->LeftCol(), 2);
    timers.Advance(100);
    EXPECT_EQ(Grid->LeftCol(), 3);
    // Moving left at the first scrolling column scrolls back.
    SendMouseMove(Grid, 14, id.Top + 4, {ssLeft});
    SendMouseMove(Grid, 12, id.Top + 4, {ssLeft});
    timers.Advance(100);
    EXPECT_EQ(Grid->LeftCol(), 2);
    SendMouseUp(Grid, mbLeft, 12, id.Top + 4);
    EXPECT_FALSE(timer->Enabled());
}

}  // namespace
