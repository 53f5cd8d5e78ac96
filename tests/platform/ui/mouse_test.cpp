// Mouse input: buttons, clicks, double clicks, graphic children, capture,
// the wheel, context menus and mouse hooks.
#include <gtest/gtest.h>

#include <utility>

#include "support/ui/ui_probes.h"

namespace {

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe = new TProbe(f.Form, f.Form);
        probe->SetBounds(20, 30, 100, 50);
        f.Show();
    }
    TShownForm f;
    TProbe* probe = nullptr;
};

TEST_F(MouseTest, ButtonsReachMouseDownWithClientCoordinates) {
    probe->Log.clear();
    SendMouseDown(probe, mbLeft, 5, 7);
    SendMouseUp(probe, mbLeft, 5, 7);
    SendMouseDown(probe, mbRight, 9, 3, {ssShift});
    SendMouseDown(probe, mbMiddle, 1, 2, {ssCtrl});
    EXPECT_EQ(probe->Log, (std::vector<std::string>{"MouseDown 0 5,7", "Click", "MouseUp 0 5,7",
                                                    "MouseDown 1 9,3 shift", "MouseDown 2 1,2 ctrl"}));
}

// A disabled window (or one inside a disabled parent) gets no mouse input,
// not even a click or a turn of the wheel; its parent has it.
TEST_F(MouseTest, ADisabledWindowTakesNoMouseInputItsParentDoes) {
    auto* child = new TProbe(f.Form, probe);
    child->SetName("Child");
    child->SetBounds(10, 10, 40, 20);
    child->SetEnabled(false);
    ProcessEvents();
    probe->Log.clear();
    SendClick(child, 5, 5);
    SendDoubleClick(child, 5, 5);
    SendMouseWheel(child, -120, 5, 5);
    EXPECT_TRUE(child->Log.empty()) << child->Log.front();
    ASSERT_FALSE(probe->Log.empty());
    EXPECT_EQ(probe->Log.front(), "MouseDown 0 15,15");

    child->SetEnabled(true);
    probe->SetEnabled(false);
    SendClick(child, 5, 5);
    EXPECT_TRUE(child->Log.empty()) << child->Log.front();
    probe->SetEnabled(true);
    SendClick(child, 5, 5);
    EXPECT_EQ(child->Log.front(), "MouseDown 0 5,5");
}

TEST_F(MouseTest, ReleaseOutsideTheControlIsNoClick) {
    int clicks = 0;
    probe->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    SendMouseDown(probe, mbLeft, 10, 10);
    SendMouseUp(probe, mbLeft, 150, 10);  // the mouse was captured: the release still arrives
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(probe->Log.back(), "MouseUp 0 150,10");
    SendClick(probe, 10, 10);
    EXPECT_EQ(clicks, 1);
}

TEST_F(MouseTest, DoubleClickFiresDblClickAndADoublePress) {
    int dbl = 0;
    probe->SetOnDblClick(TNotifyEvent([&](TObject*) { ++dbl; }));
    probe->Log.clear();
    SendDoubleClick(probe, 4, 4);
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(std::count(probe->Log.begin(), probe->Log.end(), "MouseDown 0 4,4 double"), 1);
}

TEST_F(MouseTest, WithoutDoubleClicksASecondPressIsAPress) {
    probe->SetControlStyle(probe->ControlStyle() - csDoubleClicks);
    int dbl = 0;
    probe->SetOnDblClick(TNotifyEvent([&](TObject*) { ++dbl; }));
    probe->Log.clear();
    SendDoubleClick(probe, 4, 4);
    EXPECT_EQ(dbl, 0);
    EXPECT_EQ(std::count(probe->Log.begin(), probe->Log.end(), "MouseDown 0 4,4"), 2);
    EXPECT_EQ(std::count(probe->Log.begin(), probe->Log.end(), "Click"), 2);
}

TEST_F(MouseTest, GraphicChildGetsTheMouseOverItsArea) {
    auto* g = new TGraphicProbe(f.Form, probe);
    g->SetBounds(50, 10, 20, 20);
    probe->Log.clear();
    SendMouseDown(probe, mbLeft, 55, 12);
    SendMouseUp(probe, mbLeft, 55, 12);
    EXPECT_EQ(g->Log, (std::vector<std::string>{"MouseDown 5,2", "Click", "MouseUp 5,2"}));
    EXPECT_TRUE(probe->Log.empty());
    // Outside it the parent has the mouse.
    SendMouseDown(probe, mbLeft, 5, 5);
    EXPECT_EQ(probe->Log.front(), "MouseDown 0 5,5");
    // Coordinates sent to the child itself are its own.
    g->Log.clear();
    SendMouseDown(g, mbLeft, 1, 1);
    EXPECT_EQ(g->Log, std::vector<std::string>{"MouseDown 1,1"});
}

TEST_F(MouseTest, GraphicChildKeepsTheMouseWhileCaptured) {
    auto* g = new TGraphicProbe(f.Form, probe);
    g->SetBounds(50, 10, 20, 20);
    SendMouseDown(probe, mbLeft, 55, 15);
    EXPECT_EQ(GetCaptureControl(), g);
    SendMouseMove(probe, 5, 5, {ssLeft});
    SendMouseUp(probe, mbLeft, 5, 5);
    EXPECT_EQ(g->Log, (std::vector<std::string>{"MouseDown 5,5", "MouseMove -45,-5", "MouseUp -45,-5"}));
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(MouseTest, DisabledOrHiddenGraphicChildLetsTheParentHaveIt) {
    auto* g = new TGraphicProbe(f.Form, probe);
    g->SetBounds(0, 0, 30, 30);
    g->SetEnabled(false);
    probe->Log.clear();
    SendMouseDown(probe, mbLeft, 3, 3);
    SendMouseUp(probe, mbLeft, 3, 3);
    g->SetEnabled(true);
    g->SetVisible(false);
    SendMouseDown(probe, mbLeft, 4, 4);
    EXPECT_TRUE(g->Log.empty());
    EXPECT_EQ(probe->Log.front(), "MouseDown 0 3,3");
    EXPECT_EQ(probe->Log.back(), "MouseDown 0 4,4");
}

TEST_F(MouseTest, WheelGoesToTheHandlerThenToTheParent) {
    std::vector<std::string> log;
    probe->SetOnMouseWheelDown(TMouseWheelUpDownEvent([&](TObject*, TShiftState, TPoint, bool& handled) {
        log.push_back("probe down");
        handled = true;
    }));
    f.Form->SetOnMouseWheelUp(TMouseWheelUpDownEvent([&](TObject*, TShiftState, TPoint, bool& handled) {
        log.push_back("form up");
        handled = true;
    }));
    SendMouseWheel(probe, -120, 5, 5);
    SendMouseWheel(probe, 120, 5, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"probe down", "form up"}));
}

TEST_F(MouseTest, WheelEventCarriesDeltaAndScreenPosition) {
    int delta = 0;
    TPoint where;
    probe->SetOnMouseWheel(TMouseWheelEvent([&](TObject*, TShiftState, int d, TPoint p, bool& handled) {
        delta = d;
        where = p;
        handled = true;
    }));
    SendMouseWheel(probe, -240, 10, 20);
    EXPECT_EQ(delta, -240);
    EXPECT_EQ(where, probe->ClientToScreen({10, 20}));
}

bool GPopupShown = false;
TPoint GPopupAt;
TControl* GPopupFor = nullptr;
bool ShowPopupForTest(TControl* control, TPopupMenu*, const TPoint& at) {
    GPopupShown = true;
    GPopupAt = at;
    GPopupFor = control;
    return true;
}

// The menus are another module's: a plain component stands in for one here
// (the hook never looks inside it).
class TMenuProbe : public TProbe {
public:
    using TProbe::TProbe;
    void AttachMenu(TComponent* menu) { SetPopupMenuComponent(reinterpret_cast<TPopupMenu*>(menu), menu); }
};

TEST_F(MouseTest, RightButtonReleasePopsUpTheContextMenu) {
    SetPopupMenuHook(&ShowPopupForTest);
    auto* target = new TMenuProbe(f.Form, f.Form);
    target->SetBounds(150, 30, 50, 50);
    auto* menu = new TComponent(f.Form);
    target->AttachMenu(menu);
    GPopupShown = false;
    SendClick(target, 8, 9, mbRight);
    EXPECT_TRUE(GPopupShown);
    EXPECT_EQ(GPopupAt, target->ClientToScreen({8, 9}));
    EXPECT_EQ(GPopupFor, target);

    // OnContextPopup may take it instead.
    GPopupShown = false;
    target->SetOnContextPopup(TContextPopupEvent([](TObject*, TPoint, bool& handled) { handled = true; }));
    SendClick(target, 8, 9, mbRight);
    EXPECT_FALSE(GPopupShown);

    // A freed menu is forgotten.
    target->SetOnContextPopup(nullptr);
    delete menu;
    EXPECT_EQ(target->PopupMenu(), nullptr);
    SendClick(target, 8, 9, mbRight);
    EXPECT_FALSE(GPopupShown);
    SetPopupMenuHook(nullptr);
}

TEST_F(MouseTest, ContextMenuOfAChildWithoutMenuGoesToTheParent) {
    SetPopupMenuHook(&ShowPopupForTest);
    auto* panel = new TMenuProbe(f.Form, f.Form);
    panel->SetBounds(150, 30, 100, 100);
    probe->SetParent(panel);
    probe->SetBounds(10, 10, 30, 30);
    panel->AttachMenu(new TComponent(f.Form));
    GPopupShown = false;
    SendClick(probe, 3, 3, mbRight);
    EXPECT_TRUE(GPopupShown);
    EXPECT_EQ(GPopupFor, panel);
    SetPopupMenuHook(nullptr);
}

TEST_F(MouseTest, MouseHookSeesPressesBeforeTheControl) {
    std::vector<std::string> order;
    const int id = AddMouseHook([&](unsigned msg, const TPoint& pos, TWinControl* target) {
        if (msg == WM_LBUTTONDOWN && target == probe && pos == probe->ClientToScreen({2, 2}))
            order.push_back("hook");
    });
    probe->SetOnMouseDown(
        TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { order.push_back("control"); }));
    SendClick(probe, 2, 2);
    RemoveMouseHook(id);
    SendClick(probe, 2, 2);
    EXPECT_EQ(order, (std::vector<std::string>{"hook", "control", "control"}));
}

class TCancelProbe : public TProbe {
public:
    using TProbe::TProbe;
    int Cancels = 0;
    TControl* Sender = nullptr;
    void WndProc(TMessage& m) override {
        if (m.Msg == CM_CANCELMODE) {
            ++Cancels;
            Sender = reinterpret_cast<TControl*>(m.LParam);
        }
        TProbe::WndProc(m);
    }
};

TEST_F(MouseTest, PressElsewhereCancelsTheActiveControlsModes) {
    auto* active = new TCancelProbe(f.Form, f.Form);
    active->SetBounds(300, 100, 30, 30);
    active->SetFocus();
    SendClick(probe, 1, 1);
    EXPECT_EQ(active->Cancels, 1);
    EXPECT_EQ(active->Sender, probe);
}

// A handler that frees its control ends the message there: nothing more of
// the press, click or release reaches the freed control.
TEST_F(MouseTest, AControlFreedByItsHandlerGetsNoMoreOfTheMessage) {
    int fired = 0;
    // A handler that counts and frees the probe in Slot; the handler is freed
    // with its control, so freeing comes last.
    auto freeing = [&fired](TProbe*& Slot) {
        return TNotifyEvent([&fired, &Slot](TObject*) {
            ++fired;
            delete std::exchange(Slot, nullptr);
        });
    };
    probe->SetOnClick(freeing(probe));
    SendClick(probe, 5, 5);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(probe, nullptr);

    auto* twice = new TProbe(f.Form, f.Form);
    twice->SetBounds(20, 30, 100, 50);
    twice->SetOnDblClick(freeing(twice));
    SendDoubleClick(twice, 5, 5);
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(twice, nullptr);
}

// RunWhileAlive answers whether the control outlived the handler.
TEST_F(MouseTest, RunWhileAliveTellsWhetherTheControlOutlivedTheHandler) {
    int runs = 0;
    EXPECT_TRUE(RunWhileAlive(probe, [&] { ++runs; }));
    EXPECT_FALSE(RunWhileAlive(probe, [&] {
        ++runs;
        delete probe;
    }));
    probe = nullptr;
    EXPECT_EQ(runs, 2);
}

}  // namespace
