// The started program's window: the insert mark after Add, the smallest
// size the window keeps, the help window's place and a fast double click on
// a task cell (pictures written beside the test program as
// program_window_<name>.png).
#include <algorithm>
#include <filesystem>
#include <vector>

#include "engine-controls/ostra_dbedit.h"
#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/chm_help.h"
#include "platform/ui/extctrls.h"
#include "support/app/program_harness.h"
#include "support/environment.h"

namespace {

class ProgramWindowTest : public ProgramTest {
protected:
    void Picture(TControl* Control, const std::string& Name) {
        EXPECT_TRUE(RenderControlToPng(Control, TestRunPath("program_window_" + Name + ".png")));
    }
    static bool Dark(TColor C) { return GetRValue(C) + GetGValue(C) + GetBValue(C) < 3 * 128; }
    // The dark pixels of the indicator cell of Row, as the screen shows it now.
    static std::vector<bool> Mark(TBitmap& Shown, TOstraDBGrid* Grid, int Row) {
        TRect r = Grid->CellRect(0, Row);
        OffsetRect(r, Grid->NonClientMargins().Left, Grid->NonClientMargins().Top);
        std::vector<bool> ink;
        for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
            for (int x = r.Left + 1; x < r.Right - 1; ++x) ink.push_back(Dark(Shown.Canvas()->Pixels(x, y)));
        return ink;
    }
    static int Ink(const std::vector<bool>& Mark) {
        return static_cast<int>(std::count(Mark.begin(), Mark.end(), true));
    }
};

// After Add only the new row carries the insert mark; the rows that stay
// selected keep the selection mark, on the screen as it stands (nothing
// painted again).
TEST_F(ProgramWindowTest, AfterAddOnlyTheNewRowShowsTheInsertMark) {
    AddTasks("Ttask.d", {{"One", "1", false}, {"Two", "2", false}, {"Three", "3", false}});
    Start();
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    // "Two" and "One" selected, "One" current.
    ClickCell(grid, 4, 2);
    const TRect one = grid->CellRect(4, 1);
    SendClick(grid, (one.Left + one.Right) / 2, (one.Top + one.Bottom) / 2, mbLeft, {ssCtrl});
    ProcessEvents();
    ASSERT_EQ(grid->Row(), 1);
    TBitmap browsing;
    GrabShownControl(grid, &browsing);
    const std::vector<bool> selected = Mark(browsing, grid, 2);
    ASSERT_GT(Ink(selected), 0);

    Click(Form->spBtnAdd());
    ProcessEvents();
    ASSERT_EQ(Form->dTask_()->State(), dsInsert);
    ASSERT_EQ(grid->Row(), 4);
    TBitmap added;
    GrabShownControl(grid, &added);
    added.SaveToFile(TestRunPath("program_window_after_add.png"));
    const std::vector<bool> inserted = Mark(added, grid, 4);
    EXPECT_GT(Ink(inserted), 0);
    EXPECT_NE(inserted, selected);
    EXPECT_EQ(Mark(added, grid, 1), selected) << "the selection mark, not the insert mark";
    EXPECT_EQ(Mark(added, grid, 2), selected) << "the selection mark, not the insert mark";
    EXPECT_EQ(Ink(Mark(added, grid, 3)), 0);
    Form->dTask_()->Cancel();
    EXPECT_TRUE(CloseProgram());
}

// Asked for 500 x 350, the window keeps the size its panels need: a task
// grid narrower than its columns shows its horizontal scroll bar at once, as
// a fresh painting would, and on Projects the grid lies above the quote
// panel with the edit panel whole under it.
TEST_F(ProgramWindowTest, TheWindowKeepsTheRoomItsPanelsNeed) {
    AddTasks("Ttask.d", {{"One", "1", false}, {"Two", "2", false}});
    Start();
    ShowTab(Form->TabSheet1());
    Form->SetBounds(Form->Left(), Form->Top(), 500, 350);
    ProcessEvents();
    EXPECT_GT(Form->Width(), 500);
    EXPECT_GT(Form->Height(), 350);
    TOstraDBGrid* tasks = Form->OstraDBGrid1();
    int columns = 0;
    for (int c = 0; c < tasks->ColCount(); ++c) columns += tasks->ColWidths(c) + 1;
    ASSERT_GT(columns, tasks->ClientWidth());
    EXPECT_TRUE(tasks->ScrollBarVisible(SB_HORZ));
    TBitmap shown, painted;
    GrabShownControl(tasks, &shown);
    shown.SaveToFile(TestRunPath("program_window_smallest_tasks.png"));
    RenderControl(tasks, &painted);
    for (int y = tasks->Height() - 20; y < tasks->Height(); ++y)
        for (int x = 0; x < tasks->Width(); x += 4)
            ASSERT_EQ(shown.Canvas()->Pixels(x, y), painted.Canvas()->Pixels(x, y)) << x << ", " << y;

    ShowTab(Form->TabSheet6());
    ProcessEvents();
    Picture(Form, "smallest_projects");
    TControl* grid = Form->OstraDBGrid6();
    TPanel* quote = Form->Panel7();
    const TPoint gridBottom = Form->ScreenToClient(grid->ClientToScreen(TPoint{0, grid->Height()}));
    EXPECT_LE(gridBottom.Y, quote->Top());
    EXPECT_TRUE(Form->Panel6()->Visible());
    for (TControl* c : std::initializer_list<TControl*>{
             Form->DBMemo3(), static_cast<TControl*>(Form->OstraDBEdit4()), Form->DBCheckBox2()}) {
        SCOPED_TRACE(c->Name());
        const TPoint bottomRight = Form->ScreenToClient(c->ClientToScreen(TPoint{c->Width(), c->Height()}));
        EXPECT_LE(bottomRight.Y, quote->Top());
        EXPECT_LE(bottomRight.X, Form->ClientWidth());
        EXPECT_GT(c->Height(), 0);
    }
    EXPECT_TRUE(CloseProgram());
}

// The help window opens centred on the main window.
TEST_F(ProgramWindowTest, HelpOpensCentredOnTheWindow) {
    const std::string built =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/../app/kelvtodo.chm";
    if (!std::filesystem::exists(built)) GTEST_SKIP() << "the help file was not built (no chmcmd)";
    std::filesystem::copy_file(built, Dir + "kelvtodo.chm");
    Start();
    Form->SetBounds(300, 200, Form->Width(), Form->Height());
    ProcessEvents();
    SetHelpEngine(&ChmHelpEngine());
    Click(Form->SpeedButton13());
    ProcessEvents();
    ASSERT_TRUE(ChmHelpEngine().WindowShowing()) << ChmHelpEngine().LastError();
    const TRect help = ChmHelpEngine().WindowBounds();
    EXPECT_NEAR((help.Left + help.Right) / 2, Form->Left() + Form->Width() / 2, 2);
    EXPECT_NEAR((help.Top + help.Bottom) / 2, Form->Top() + Form->Height() / 2, 2);
    ChmHelpEngine().CloseAll();
    SetHelpEngine(&Help);
    EXPECT_TRUE(CloseProgram());
}

// A fast double click on a task cell opens its editor, as two slower clicks
// do; Alt+Down then drops the calendar down and leaves the row where it is.
TEST_F(ProgramWindowTest, AFastDoubleClickOnATaskCellOpensItsEditor) {
    AddTasks("Ttask.d", {{"First", "1", false}, {"Second", "2", false}, {"Third", "3", false}});
    Start();
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    ClickCell(grid, 4, 1);
    DoubleClickCell(grid, 6, 2);
    ProcessEvents();
    EXPECT_EQ(grid->Row(), 2);
    ASSERT_TRUE(grid->EditorMode());
    auto* editor = dynamic_cast<TOstraDBGridInplaceEdit*>(grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->Visible());
    SendKeyToFocus(VK_DOWN, {ssAlt});
    EXPECT_TRUE(editor->ListVisible());
    EXPECT_EQ(Form->dTask_()->RecNo(), 2);
    SendKeyToFocus(VK_ESCAPE);
    EXPECT_EQ(Column(Form->dTask_(), "Action"), (std::vector<std::string>{"First", "Second", "Third"}));
    // A double click on a title sorts, and opens no editor.
    SendKeyToFocus(VK_ESCAPE);
    grid->SetEditorMode(false);
    const TRect title = grid->CellRect(4, 0);
    SendDoubleClick(grid, (title.Left + title.Right) / 2, (title.Top + title.Bottom) / 2);
    ProcessEvents();
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(CloseProgram());
}

}  // namespace
