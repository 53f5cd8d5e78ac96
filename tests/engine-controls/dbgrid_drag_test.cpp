// The engine grid dragged with real mouse input: rows dragged out onto a
// list box once the mouse moved 5 pixels, and the grid docked into a panel
// by its top-left cell, floated in a window of its own and docked back.
#include "support/engine-controls/dbgrid_fixture.h"

#include "platform/core/properties.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

namespace {

std::string NameOf(TObject* Object) {
    if (!Object) return "nil";
    if (auto* c = dynamic_cast<TComponent*>(Object); c && !c->Name().empty()) return c->Name();
    return Object->ClassName();
}

class DBGridDragTest : public DBGridTest {
protected:
    void SetUp() override {
        DBGridTest::SetUp();
        Grid->SetName("Grid");
        Grid->SetBounds(8, 8, 380, 300);
        List = new TListBox(Form);
        List->SetName("List");
        List->SetParent(Form);
        List->SetBounds(400, 8, 200, 300);
        List->SetOnDragOver(TDragOverEvent([this](TObject*, TObject* Source, int, int, TDragState,
                                                  bool& Accept) { Accept = Source == Grid; }));
        // The rows the grid has selected, or its current one.
        List->SetOnDragDrop(TDragDropEvent([this](TObject*, TObject* Source, int X, int Y) {
            Log.push_back(Format("DragDrop %s %d,%d", NameOf(Source).c_str(), X, Y));
            auto* grid = static_cast<TOstraDBGrid*>(Source);
            TBookmarkList* rows = grid->SelectedRows();
            const TBookmark here = Table->Bookmark();
            for (int i = 0; i < rows->Count(); ++i) {
                Table->GotoBookmark(rows->Items(i));
                List->Items()->Add(Action());
            }
            Table->GotoBookmark(here);
            if (rows->Count() == 0) List->Items()->Add(Action());
        }));
        // Over itself the grid refuses.
        Grid->SetOnDragOver(
            TDragOverEvent([this](TObject*, TObject*, int X, int Y, TDragState State, bool& Accept) {
                Log.push_back(Format("GridOver %d %d,%d", static_cast<int>(State), X, Y));
                Accept = false;
            }));
        Grid->SetOnStartDrag(
            TStartDragEvent([this](TObject*, TDragObject*&) { Log.push_back("StartDrag"); }));
        Grid->SetOnEndDrag(TEndDragEvent([this](TObject*, TObject* Target, int X, int Y) {
            Log.push_back(Format("EndDrag %s %d,%d", NameOf(Target).c_str(), X, Y));
        }));
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        for (int i = 0; i < List->Items()->Count(); ++i) out.push_back(List->Items()->Strings(i));
        return out;
    }
    TListBox* List = nullptr;
    std::vector<std::string> Log;
};

TEST_F(DBGridDragTest, DragOutRowsStartsAfterFivePixelsAndDropsTheSelectedRows) {
    Grid->SetOptions(Grid->Options() + dgDragOutRows + dgMultiSelect);
    ShowTasks(10);
    // A click is no drag: the drag that began ends where it began.
    ClickCell(1, 1);
    EXPECT_EQ("Task 2", Action());
    EXPECT_EQ(Log, (std::vector<std::string>{"StartDrag", "EndDrag nil 0,0"}));
    ClickCell(1, 3, {ssCtrl});
    EXPECT_EQ(2, Grid->SelectedRows()->Count());
    Log.clear();
    const TPoint p = CellCenter(1, 4);
    SendMouseDown(Grid, mbLeft, p.X, p.Y, {ssCtrl});
    EXPECT_EQ("Task 5", Action());
    EXPECT_EQ(3, Grid->SelectedRows()->Count());
    EXPECT_TRUE(Grid->Dragging());
    SendMouseMove(Grid, p.X + 4, p.Y - 4, {ssLeft});
    EXPECT_EQ(Log, std::vector<std::string>{"StartDrag"});
    EXPECT_EQ(crDefault, Screen->Cursor());
    SendMouseMove(Grid, p.X + 5, p.Y, {ssLeft});
    ASSERT_EQ(Log.size(), 3u);
    EXPECT_EQ(Log[1], Format("GridOver %d %d,%d", static_cast<int>(dsDragEnter), p.X + 5, p.Y));
    // The list box takes it.
    EXPECT_EQ(crNoDrop, Screen->Cursor());
    SendMouseMove(List, 20, 30, {ssLeft});
    EXPECT_EQ(crDrag, Screen->Cursor());
    SendMouseUp(List, mbLeft, 20, 31);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Task 2", "Task 4", "Task 5"}));
    ASSERT_GE(Log.size(), 2u);
    EXPECT_EQ(Log[Log.size() - 2], "DragDrop Grid 20,31");
    EXPECT_EQ(Log.back(), "EndDrag List 20,31");
    EXPECT_FALSE(Grid->Dragging());
    EXPECT_EQ(crDefault, Screen->Cursor());
    // The grid still answers its keys and clicks.
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ("Task 6", Action());
}

TEST_F(DBGridDragTest, WithoutDragOutRowsOrWithDockingAPressDragsNoRows) {
    ShowTasks(5);
    ClickCell(1, 1);
    const TPoint p = CellCenter(1, 2);
    SendMouseDown(Grid, mbLeft, p.X, p.Y);
    EXPECT_FALSE(Grid->Dragging());
    SendMouseUp(Grid, mbLeft, p.X, p.Y);
    Grid->SetOptions(Grid->Options() + dgDragOutRows);
    Grid->SetDragKind(dkDock);
    SendMouseDown(Grid, mbLeft, p.X, p.Y);
    EXPECT_FALSE(Grid->Dragging());
    SendMouseUp(Grid, mbLeft, p.X, p.Y);
    EXPECT_TRUE(Log.empty());
    // A press on the top-left cell drags a dockable grid; a drag-kind one
    // (or one without titles) not.
    Grid->SetDragKind(dkDrag);
    const TRect corner = Grid->CellRect(0, 0);
    SendMouseDown(Grid, mbLeft, corner.Left + 3, corner.Top + 3);
    EXPECT_FALSE(Grid->Dragging());
    SendMouseUp(Grid, mbLeft, corner.Left + 3, corner.Top + 3);
}

TEST_F(DBGridDragTest, TheGridPublishesItsDragAndDockNames) {
    for (const char* name : {"DragCursor", "DragKind", "DragMode", "OnDragDrop", "OnDragOver", "OnEndDock",
                             "OnEndDrag", "OnStartDock", "OnStartDrag"})
        EXPECT_NE(GetPropInfo(Grid, name), nullptr) << name;
    EXPECT_EQ(GetEnumProp(Grid, "DragKind"), "dkDrag");
    EXPECT_EQ(GetEnumProp(Grid, "DragMode"), "dmManual");
    EXPECT_EQ(GetOrdProp(Grid, "DragCursor"), crDrag);
}

class DBGridDockTest : public DBGridTest {
protected:
    void SetUp() override {
        DBGridTest::SetUp();
        // Room beside the form on the screen for the grid to float in.
        Form->SetBounds(10, 10, 500, 300);
        Grid->SetName("Grid");
        Grid->SetBounds(8, 8, 240, 160);
        SetEnumProp(Grid, "DragKind", "dkDock");
        Site = new TPanel(Form);
        Site->SetName("Site");
        Site->SetParent(Form);
        Site->SetBounds(260, 8, 230, 250);
        Site->SetDockSite(true);
        Site->SetCaption("");
        Grid->SetOnStartDock(
            TStartDockEvent([this](TObject*, TDragDockObject*&) { Log.push_back("StartDock"); }));
        Grid->SetOnEndDock(TEndDragEvent([this](TObject*, TObject* Target, int X, int Y) {
            Log.push_back(Format("EndDock %s %d,%d", NameOf(Target).c_str(), X, Y));
        }));
        Site->SetOnDockOver(
            TDockOverEvent([this](TObject*, TDragDockObject* Source, int, int, TDragState State, bool&) {
                if (State != dsDragMove)
                    Log.push_back(
                        Format("DockOver %s %d", NameOf(Source->Control()).c_str(), static_cast<int>(State)));
            }));
        Site->SetOnDockDrop(TDockDropEvent([this](TObject*, TDragDockObject* Source, int X, int Y) {
            Log.push_back(Format("DockDrop %s %d,%d", NameOf(Source->Control()).c_str(), X, Y));
        }));
    }
    // Drags the grid by its top-left cell to a point of Control; the grid's
    // window gets the motion and the release, as a pressed window does.
    void DragByCorner(TControl* Control, int X, int Y) {
        const TRect corner = Grid->CellRect(0, 0);
        const TPoint at{corner.Left + 4, corner.Top + 4};
        SendMouseDown(Grid, mbLeft, at.X, at.Y);
        ASSERT_TRUE(Grid->Dragging());
        SendMouseMove(Grid, at.X + 6, at.Y + 6, {ssLeft});
        const TPoint there = Grid->ScreenToClient(Control->ClientToScreen({X, Y}));
        SendMouseMove(Grid, there.X, there.Y, {ssLeft});
        SendMouseUp(Grid, mbLeft, there.X, there.Y);
    }
    bool Painted(TWinControl* Control, const std::string& Name) {
        ProcessEvents();
        return RenderControlToPng(Control, TestRunPath(Name + ".png"));
    }
    TPanel* Site = nullptr;
    std::vector<std::string> Log;
};

TEST_F(DBGridDockTest, TheGridDocksFloatsAndDocksBackWhole) {
    ShowTasks(12);
    EXPECT_TRUE(Painted(Form, "grid_dock_0_before"));
    DragByCorner(Site, 100, 150);
    const std::string enter = Format("DockOver Grid %d", static_cast<int>(dsDragEnter));
    const std::string leave = Format("DockOver Grid %d", static_cast<int>(dsDragLeave));
    EXPECT_EQ(Log, (std::vector<std::string>{"StartDock", enter, leave, "DockDrop Grid 100,150",
                                             "EndDock Site 100,150"}));
    EXPECT_EQ(Grid->Parent(), Site);
    EXPECT_EQ(Grid->HostDockSite(), Site);
    // Inside the panel's bevel, the whole of its room.
    EXPECT_EQ(Grid->BoundsRect(), Rect(1, 1, Site->ClientWidth() - 1, Site->ClientHeight() - 1));
    EXPECT_TRUE(Painted(Form, "grid_dock_1_docked"));
    EXPECT_EQ("Task 1", Action());
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ("Task 2", Action());

    // Released on the desktop, away from every window: it floats there in a
    // tool window of its own size, with its data, taking keys.
    Log.clear();
    const TPoint desk{540, 330};
    ASSERT_FALSE(PtInRect(Form->BoundsRect(), desk));
    const TPoint inGrid = Grid->ScreenToClient(desk);
    DragByCorner(Grid, inGrid.X, inGrid.Y);
    EXPECT_EQ(Log.front(), "StartDock");
    EXPECT_EQ(Log.back(), "EndDock TCustomDockForm 0,0");
    ASSERT_TRUE(Grid->Floating());
    auto* window = dynamic_cast<TCustomDockForm*>(Grid->Parent());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Showing());
    EXPECT_EQ(Grid->Width(), 240);
    EXPECT_EQ(Grid->Height(), 160);
    EXPECT_EQ(window->ClientWidth(), 240);
    const TRect corner = Grid->CellRect(0, 0);
    EXPECT_EQ(Grid->ClientToScreen({corner.Left + 4, corner.Top + 4}), desk);
    EXPECT_EQ(Site->DockClientCount(), 0);
    ActivateForm(window);
    Grid->SetFocus();
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ("Task 3", Action());
    ClickCell(1, 4);
    EXPECT_EQ("Task 5", Action());
    EXPECT_TRUE(Painted(window, "grid_dock_2_floating"));

    // Docked back from its window: whole, and the window is gone.
    const TControlWatch windowWatch(window);
    Log.clear();
    const TPoint siteAt{120, 200};
    DragByCorner(Site, siteAt.X, siteAt.Y);
    EXPECT_EQ(Log.back(), Format("EndDock Site %d,%d", siteAt.X, siteAt.Y));
    EXPECT_EQ(Grid->Parent(), Site);
    EXPECT_EQ(Grid->BoundsRect(), Rect(1, 1, Site->ClientWidth() - 1, Site->ClientHeight() - 1));
    ProcessEvents();
    EXPECT_TRUE(windowWatch.Gone());
    EXPECT_EQ("Task 5", Action());
    EXPECT_EQ(PaintedActions().count("Task 1"), 1u);
    Grid->SetFocus();
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ("Task 6", Action());
    EXPECT_TRUE(Painted(Form, "grid_dock_3_back"));
}

TEST_F(DBGridDockTest, EscapeLeavesTheGridWhereItWas) {
    ShowTasks(3);
    const TRect corner = Grid->CellRect(0, 0);
    SendMouseDown(Grid, mbLeft, corner.Left + 4, corner.Top + 4);
    SendMouseMove(Site, 40, 40, {ssLeft});
    SendKey(Grid, VK_ESCAPE);
    SendMouseUp(Site, mbLeft, 40, 40);
    EXPECT_EQ(Grid->Parent(), Form);
    EXPECT_EQ(Grid->BoundsRect(), Rect(8, 8, 248, 168));
    EXPECT_EQ(Log.back(), "EndDock nil 0,0");
    EXPECT_EQ(Site->DockClientCount(), 0);
}

}  // namespace
