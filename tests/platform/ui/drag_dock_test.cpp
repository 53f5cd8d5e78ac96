// Dragging one control onto another with real mouse input: the events in
// order with their sources, targets and points, the cursor, dropping,
// refusing, cancelling, the threshold, two forms; docking and floating.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "support/ui/ui_probes.h"

namespace {

const char* StateName(TDragState State) {
    switch (State) {
    case dsDragEnter: return "enter";
    case dsDragLeave: return "leave";
    default: return "move";
    }
}

std::string NameOf(TObject* Object) {
    if (!Object) return "nil";
    if (auto* c = dynamic_cast<TComponent*>(Object)) return c->Name();
    return Object->ClassName();
}

class DragTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit = new TEdit(f.Form);
        edit->SetName("Source");
        edit->SetParent(f.Form);
        edit->SetBounds(10, 10, 120, 24);
        edit->SetDragMode(dmAutomatic);
        over = new TPanel(f.Form);
        over->SetName("Over");
        over->SetParent(f.Form);
        over->SetBounds(10, 60, 120, 40);
        list = new TListBox(f.Form);
        list->SetName("Target");
        list->SetParent(f.Form);
        list->SetBounds(10, 120, 160, 100);
        edit->SetOnStartDrag(TStartDragEvent(
            [this](TObject* Sender, TDragObject*&) { log.push_back("StartDrag " + NameOf(Sender)); }));
        edit->SetOnEndDrag(TEndDragEvent([this](TObject* Sender, TObject* Target, int X, int Y) {
            log.push_back(
                Format("EndDrag %s %s %d,%d", NameOf(Sender).c_str(), NameOf(Target).c_str(), X, Y));
        }));
        Watch(over, false);
        Watch(list, true);
        list->SetOnDragDrop(TDragDropEvent([this](TObject* Sender, TObject* Source, int X, int Y) {
            log.push_back(
                Format("DragDrop %s %s %d,%d", NameOf(Sender).c_str(), NameOf(Source).c_str(), X, Y));
        }));
        f.Show();
        ProcessEvents();
    }
    // The control logs what it is asked and answers Accept.
    void Watch(TControl* Control, bool Accept) {
        Control->SetOnDragOver(TDragOverEvent(
            [this, Accept](TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accepted) {
                log.push_back(Format("DragOver %s %s %s %d,%d", NameOf(Sender).c_str(),
                                     NameOf(Source).c_str(), StateName(State), X, Y));
                Accepted = Accept;
            }));
    }
    TCursor Cursor() const { return Screen->Cursor(); }

    TShownForm f;
    TEdit* edit = nullptr;
    TPanel* over = nullptr;
    TListBox* list = nullptr;
    std::vector<std::string> log;
};

TEST_F(DragTest, AnAutomaticDragCrossesAControlAndDropsOnTheOneThatAccepts) {
    int presses = 0;
    edit->SetOnMouseDown(TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; }));
    SendMouseDown(edit, mbLeft, 5, 5);
    EXPECT_TRUE(edit->Dragging());
    ASSERT_NE(ActiveDragObject(), nullptr);
    // Over the edit itself nothing accepts.
    EXPECT_EQ(Cursor(), crNoDrop);
    SendMouseMove(over, 10, 12, {ssLeft});
    EXPECT_EQ(Cursor(), crNoDrop);
    SendMouseMove(over, 20, 14, {ssLeft});
    SendMouseMove(list, 5, 6, {ssLeft});
    EXPECT_EQ(Cursor(), crDrag);
    SendMouseUp(list, mbLeft, 7, 8);
    EXPECT_FALSE(edit->Dragging());
    EXPECT_EQ(ActiveDragObject(), nullptr);
    EXPECT_EQ(Cursor(), crDefault);
    EXPECT_EQ(
        log, (std::vector<std::string>{"StartDrag Source", "DragOver Over Source enter 10,12",
                                       "DragOver Over Source move 10,12", "DragOver Over Source move 20,14",
                                       "DragOver Over Source leave 20,14", "DragOver Target Source enter 5,6",
                                       "DragOver Target Source move 5,6", "DragOver Target Source move 7,8",
                                       "DragOver Target Source leave 7,8", "DragDrop Target Source 7,8",
                                       "EndDrag Source Target 7,8"}));
    // The press went no further.
    EXPECT_EQ(presses, 0);
}

TEST_F(DragTest, ADragOwnCursorShowsWhereAccepted) {
    edit->SetDragCursor(crMultiDrag);
    SendMouseDown(edit, mbLeft, 5, 5);
    SendMouseMove(list, 5, 6, {ssLeft});
    EXPECT_EQ(Cursor(), crMultiDrag);
    SendMouseMove(over, 5, 6, {ssLeft});
    EXPECT_EQ(Cursor(), crNoDrop);
    SendMouseUp(over, mbLeft, 5, 6);
    EXPECT_EQ(Cursor(), crDefault);
}

TEST_F(DragTest, ADropWhereNothingAcceptsEndsWithoutTarget) {
    int drops = 0;
    list->SetOnDragDrop(TDragDropEvent([&](TObject*, TObject*, int, int) { ++drops; }));
    SendMouseDown(edit, mbLeft, 5, 5);
    SendMouseMove(over, 30, 20, {ssLeft});
    EXPECT_EQ(Cursor(), crNoDrop);
    log.clear();
    SendMouseUp(over, mbLeft, 30, 20);
    EXPECT_EQ(log, (std::vector<std::string>{"DragOver Over Source move 30,20",
                                             "DragOver Over Source leave 30,20", "EndDrag Source nil 0,0"}));
    EXPECT_EQ(drops, 0);
    // A label (a graphic control) is asked itself.
    auto* label = new TLabel(f.Form);
    label->SetName("Label");
    label->SetParent(f.Form);
    label->SetBounds(200, 10, 60, 20);
    label->SetCaption("label");
    Watch(label, true);
    label->SetOnDragDrop(TDragDropEvent([&](TObject*, TObject*, int, int) { ++drops; }));
    log.clear();
    SendMouseDown(edit, mbLeft, 5, 5);
    SendMouseMove(label, 4, 3, {ssLeft});
    SendMouseUp(label, mbLeft, 4, 3);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(log.back(), "EndDrag Source Label 4,3");
}

TEST_F(DragTest, EscapeAndARightClickCancel) {
    int mouseUps = 0, menus = 0;
    list->SetOnMouseUp(TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { ++mouseUps; }));
    list->SetOnContextPopup(TContextPopupEvent([&](TObject*, TPoint, bool&) { ++menus; }));
    SendMouseDown(edit, mbLeft, 5, 5);
    SendMouseMove(list, 5, 6, {ssLeft});
    log.clear();
    SendKey(list, VK_ESCAPE);
    EXPECT_FALSE(edit->Dragging());
    EXPECT_EQ(Cursor(), crDefault);
    EXPECT_EQ(log, (std::vector<std::string>{"DragOver Target Source leave 5,6", "EndDrag Source nil 0,0"}));
    // The left button, still held, lets go of nothing.
    SendMouseUp(list, mbLeft, 5, 6);
    EXPECT_EQ(mouseUps, 0);

    SendMouseDown(edit, mbLeft, 5, 5);
    SendMouseMove(list, 9, 9, {ssLeft});
    log.clear();
    SendMouseDown(list, mbRight, 9, 9, {ssLeft});
    EXPECT_FALSE(edit->Dragging());
    EXPECT_EQ(log, (std::vector<std::string>{"DragOver Target Source leave 9,9", "EndDrag Source nil 0,0"}));
    SendMouseUp(list, mbRight, 9, 9, {ssLeft});
    SendMouseUp(list, mbLeft, 9, 9);
    EXPECT_EQ(mouseUps, 0);
    EXPECT_EQ(menus, 0);
    // Then the list takes clicks again.
    SendClick(list, 9, 9);
    EXPECT_EQ(mouseUps, 1);
    // EndDrag(False) cancels too, EndDrag(True) drops where the pointer is.
    log.clear();
    edit->BeginDrag(true);
    SendMouseMove(list, 3, 4);
    edit->EndDrag(true);
    EXPECT_EQ(log.back(), "EndDrag Source Target 3,4");
}

TEST_F(DragTest, ADragStartsOnlyOnceTheMouseMovedTheThreshold) {
    edit->SetDragMode(dmManual);
    over->SetDragMode(dmManual);
    int clicks = 0;
    over->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    over->SetOnMouseDown(TMouseEvent([&](TObject* Sender, TMouseButton, TShiftState, int, int) {
        static_cast<TControl*>(Sender)->BeginDrag(false, 5);
    }));
    over->SetOnEndDrag(edit->OnEndDrag());
    Watch(over, false);
    SendMouseDown(over, mbLeft, 20, 20);
    EXPECT_TRUE(over->Dragging());
    SendMouseMove(over, 24, 16, {ssLeft});
    EXPECT_EQ(log, std::vector<std::string>{});
    EXPECT_EQ(Cursor(), crDefault);
    SendMouseMove(over, 25, 20, {ssLeft});
    EXPECT_EQ(log,
              (std::vector<std::string>{"DragOver Over Over enter 25,20", "DragOver Over Over move 25,20"}));
    EXPECT_EQ(Cursor(), crNoDrop);
    SendMouseMove(list, 2, 2, {ssLeft});
    SendMouseUp(list, mbLeft, 2, 2);
    EXPECT_EQ(log.back(), "EndDrag Over Target 2,2");
    // Released before the threshold: no drag took place, and no click.
    log.clear();
    SendMouseDown(over, mbLeft, 20, 20);
    SendMouseMove(over, 16, 24, {ssLeft});
    SendMouseUp(over, mbLeft, 16, 24);
    EXPECT_EQ(log, std::vector<std::string>{"EndDrag Over nil 0,0"});
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(over->Dragging());
}

TEST_F(DragTest, ADragReachesAnotherForm) {
    TShownForm other;
    other.Form->SetBounds(520, 40, 300, 200);
    auto* far = new TListBox(other.Form);
    far->SetName("Far");
    far->SetParent(other.Form);
    far->SetBounds(20, 20, 200, 100);
    Watch(far, true);
    far->SetOnDragDrop(list->OnDragDrop());
    other.Show();
    ProcessEvents();
    SendMouseDown(edit, mbLeft, 5, 5);
    SendMouseMove(list, 5, 5, {ssLeft});
    SendMouseMove(far, 30, 40, {ssLeft});
    EXPECT_EQ(Cursor(), crDrag);
    SendMouseUp(far, mbLeft, 31, 41);
    EXPECT_EQ(log.back(), "EndDrag Source Far 31,41");
    EXPECT_EQ(log[log.size() - 2], "DragDrop Far Source 31,41");
    EXPECT_NE(std::find(log.begin(), log.end(), "DragOver Target Source leave 5,5"), log.end());
}

// The source freed by a handler mid-drag: the drag ends quietly.
TEST_F(DragTest, ASourceFreedDuringTheDragEndsIt) {
    list->SetOnDragOver(TDragOverEvent([this](TObject*, TObject*, int, int, TDragState, bool& Accept) {
        Accept = true;
        delete edit;
        edit = nullptr;
    }));
    SendMouseDown(edit, mbLeft, 5, 5);
    SendMouseMove(list, 5, 5, {ssLeft});
    EXPECT_EQ(ActiveDragObject(), nullptr);
    EXPECT_EQ(Cursor(), crDefault);
    SendMouseUp(list, mbLeft, 5, 5);
    EXPECT_EQ(edit, nullptr);
}

// A drag object given by OnStartDrag is the events' source and stays its giver's.
TEST_F(DragTest, OnStartDragMayGiveTheDragObject) {
    TDragObject given;
    edit->SetOnStartDrag(TStartDragEvent([&](TObject*, TDragObject*& Object) { Object = &given; }));
    SendMouseDown(edit, mbLeft, 5, 5);
    EXPECT_EQ(ActiveDragObject(), &given);
    SendMouseMove(list, 5, 5, {ssLeft});
    EXPECT_EQ(Cursor(), crDrag);
    SendMouseUp(list, mbLeft, 5, 5);
    EXPECT_EQ(log.back(), "DragDrop Target TDragObject 5,5");
    EXPECT_TRUE(given.Dropped());
}

// ---- Docking ----------------------------------------------------------------------------------

class DockTest : public ::testing::Test {
protected:
    void SetUp() override {
        site = new TPanel(f.Form);
        site->SetName("Site");
        site->SetParent(f.Form);
        site->SetBounds(10, 10, 200, 150);
        site->SetDockSite(true);
        site->SetBevelOuter(bvNone);
        piece = new TPanel(f.Form);
        piece->SetName("Piece");
        piece->SetParent(f.Form);
        piece->SetBounds(240, 20, 100, 60);
        piece->SetDragKind(dkDock);
        piece->SetDragMode(dmAutomatic);
        piece->SetOnStartDock(TStartDockEvent(
            [this](TObject* Sender, TDragDockObject*&) { log.push_back("StartDock " + NameOf(Sender)); }));
        piece->SetOnEndDock(TEndDragEvent([this](TObject* Sender, TObject* Target, int X, int Y) {
            log.push_back(Format("EndDock %s %s %d,%d", NameOf(Sender).c_str(),
                                 Target ? Target->ClassName().c_str() : "nil", X, Y));
        }));
        site->SetOnDockOver(TDockOverEvent(
            [this](TObject*, TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept) {
                log.push_back(Format("DockOver %s %s %d,%d", NameOf(Source->Control()).c_str(),
                                     StateName(State), X, Y));
                Accept = accept;
            }));
        site->SetOnDockDrop(TDockDropEvent([this](TObject*, TDragDockObject* Source, int X, int Y) {
            log.push_back(Format("DockDrop %s %d,%d", NameOf(Source->Control()).c_str(), X, Y));
        }));
        f.Show();
        ProcessEvents();
    }
    TShownForm f;
    TPanel* site = nullptr;
    TPanel* piece = nullptr;
    bool accept = true;
    std::vector<std::string> log;
};

TEST_F(DockTest, ADropOnADockSiteDocksTheControlThereAndItFloatsElsewhere) {
    SendMouseDown(piece, mbLeft, 5, 5);
    SendMouseMove(site, 50, 40, {ssLeft});
    SendMouseUp(site, mbLeft, 50, 41);
    EXPECT_EQ(log, (std::vector<std::string>{"StartDock Piece", "DockOver Piece enter 50,40",
                                             "DockOver Piece move 50,40", "DockOver Piece move 50,41",
                                             "DockOver Piece leave 50,41", "DockDrop Piece 50,41",
                                             "EndDock Piece TPanel 50,41"}));
    EXPECT_EQ(piece->Parent(), site);
    EXPECT_EQ(piece->HostDockSite(), site);
    ASSERT_EQ(site->DockClientCount(), 1);
    EXPECT_EQ(site->DockClients(0), piece);
    EXPECT_EQ(piece->BoundsRect(), site->ClientRect());
    EXPECT_FALSE(piece->Floating());

    // Released over the form outside the site, it floats in its own window
    // of its own size, where the pointer left it.
    log.clear();
    SendMouseDown(piece, mbLeft, 5, 5);
    SendMouseMove(f.Form, 260, 200, {ssLeft});
    SendMouseUp(f.Form, mbLeft, 260, 200);
    EXPECT_EQ(log, (std::vector<std::string>{"StartDock Piece", "DockOver Piece enter 5,5",
                                             "DockOver Piece move 5,5", "DockOver Piece leave 5,5",
                                             "EndDock Piece TCustomDockForm 0,0"}));
    EXPECT_EQ(site->DockClientCount(), 0);
    ASSERT_TRUE(piece->Floating());
    auto* host = dynamic_cast<TCustomDockForm*>(piece->Parent());
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(host->Visible());
    EXPECT_EQ(piece->Width(), 100);
    EXPECT_EQ(piece->Height(), 60);
    EXPECT_EQ(piece->ClientToScreen({5, 5}), f.Form->ClientToScreen({260, 200}));

    // Dragged back from its window onto the site: docked, the window gone.
    const TControlWatch hostWatch(host);
    log.clear();
    SendMouseDown(piece, mbLeft, 5, 5);
    SendMouseMove(site, 20, 20, {ssLeft});
    SendMouseUp(site, mbLeft, 20, 20);
    EXPECT_EQ(piece->Parent(), site);
    EXPECT_EQ(piece->BoundsRect(), site->ClientRect());
    ProcessEvents();
    EXPECT_TRUE(hostWatch.Gone());
}

TEST_F(DockTest, ARefusingSiteFloatsTheControlAndSitesShareTheirRoom) {
    accept = false;
    SendMouseDown(piece, mbLeft, 5, 5);
    SendMouseMove(site, 50, 40, {ssLeft});
    EXPECT_TRUE(ActiveDragObject() && static_cast<TDragDockObject*>(ActiveDragObject())->Floating());
    SendMouseUp(site, mbLeft, 50, 40);
    EXPECT_TRUE(piece->Floating());
    // Escape while dock dragging leaves it where it was.
    accept = true;
    TWinControl* host = piece->HostDockSite();
    SendMouseDown(piece, mbLeft, 5, 5);
    SendMouseMove(site, 50, 40, {ssLeft});
    SendKey(site, VK_ESCAPE);
    EXPECT_EQ(piece->HostDockSite(), host);
    EXPECT_EQ(log.back(), "EndDock Piece nil 0,0");

    // Two docked controls share the site, one above the other.
    ASSERT_TRUE(piece->ManualDock(site));
    auto* second = new TPanel(f.Form);
    second->SetParent(f.Form);
    second->SetBounds(0, 200, 30, 30);
    ASSERT_TRUE(second->ManualDock(site));
    const TRect room = site->ClientRect();
    EXPECT_EQ(piece->BoundsRect(), Rect(0, 0, room.Right, room.Bottom / 2));
    EXPECT_EQ(second->BoundsRect(), Rect(0, room.Bottom / 2, room.Right, room.Bottom));
    delete second;
    EXPECT_EQ(site->DockClientCount(), 1);
    EXPECT_EQ(piece->BoundsRect(), room);
    // ManualFloat gives it its own size back; ManualDock(nullptr) floats too.
    ASSERT_TRUE(piece->ManualFloat(Bounds(600, 300, 100, 60)));
    EXPECT_EQ(piece->Width(), 100);
    EXPECT_EQ(piece->ClientToScreen({0, 0}), (TPoint{600, 300}));
    EXPECT_FALSE(piece->ManualDock(piece));
    // A site freed with its docked control: nothing is left behind.
    ASSERT_TRUE(piece->ManualDock(site));
    delete site;
    ProcessEvents();
}

}  // namespace

namespace {

// The form that owns a floating control freed first, or the window it
// floats in freed first: nothing is left behind, nothing freed twice.
TEST(DockFreeing, AFloatingControlGoesWithItsOwnerOrItsWindow) {
    for (bool windowFirst : {false, true}) {
        TForm* owner = CreateForm<TForm>(Application);
        auto* piece = new TPanel(owner);
        piece->SetParent(owner);
        piece->SetBounds(0, 0, 80, 40);
        ASSERT_TRUE(piece->ManualFloat(Bounds(300, 300, 80, 40)));
        auto* window = dynamic_cast<TCustomDockForm*>(piece->HostDockSite());
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->Owner(), owner);
        const TControlWatch pieceWatch(piece);
        if (windowFirst) {
            delete window;
            EXPECT_TRUE(pieceWatch.Gone());
        }
        delete owner;
        ProcessEvents();
        EXPECT_TRUE(pieceWatch.Gone());
    }
}

}  // namespace
