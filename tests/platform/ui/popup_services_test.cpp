// Test timers, the bitmap operations of disabled images, pop-up windows, the
// outside-click watch and actions.
#include <gtest/gtest.h>

#include "platform/core/clock.h"
#include "platform/ui/actions.h"
#include "platform/ui/bitmap_effects.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/popup_window.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timer.h"
#include "support/ui/ui_probes.h"

namespace {

TEST(TestTimersTest, DueTimersFireInTimeOrderAndFollowIntervalChanges) {
    TTestTimers clock;
    std::vector<std::string> log;
    TTimer a(nullptr), b(nullptr);
    a.SetInterval(400);
    b.SetInterval(250);
    a.SetOnTimer(TNotifyEvent([&](TObject*) {
        log.push_back("a" + std::to_string(clock.Elapsed()));
        a.SetInterval(100);  // the next period is shorter
    }));
    b.SetOnTimer(TNotifyEvent([&](TObject*) { log.push_back("b" + std::to_string(clock.Elapsed())); }));
    const uint32_t tick = GetTickCount();
    clock.Advance(399);
    EXPECT_EQ(log, (std::vector<std::string>{"b250"}));
    clock.Advance(201);  // to 600
    EXPECT_EQ(log, (std::vector<std::string>{"b250", "a400", "b500", "a500", "a600"}));
    EXPECT_EQ(GetTickCount() - tick, 600u);
    a.SetEnabled(false);
    EXPECT_FALSE(clock.Scheduled(&a));
    clock.Advance(1000);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& s) { return s[0] == 'a'; }), 3);
}

TEST(TestTimersTest, ATimerFreedInsideAHandlerStopsFiring) {
    TTestTimers clock;
    auto* t = new TTimer(nullptr);
    int fired = 0;
    t->SetInterval(10);
    t->SetOnTimer(TNotifyEvent([&](TObject*) {
        ++fired;
        delete t;
    }));
    clock.Advance(100);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(clock.Pending(), 0);
}

// A 4 x 2 bitmap: olive background, a black and a grey pixel, one white.
void Paint(TBitmap& B) {
    B.SetSize(4, 2);
    B.Canvas()->Brush()->SetColor(clOlive);
    B.Canvas()->FillRect(Rect(0, 0, 4, 2));
    B.Canvas()->SetPixels(0, 0, clBlack);
    B.Canvas()->SetPixels(1, 0, clGray);
    B.Canvas()->SetPixels(2, 0, clWhite);
}

TEST(BitmapEffectsTest, ColorMaskAndPaintThrough) {
    TBitmap b, mask;
    Paint(b);
    BitmapColorMask(&b, clGray, &mask);
    EXPECT_EQ(mask.Canvas()->Pixels(1, 0), clBlack);
    EXPECT_EQ(mask.Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(mask.Canvas()->Pixels(3, 1), clWhite);
    PaintThroughMask(&b, &mask, clRed);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlack);
}

TEST(BitmapEffectsTest, EmbossDrawsTheShapeInShadowOverItsHighlight) {
    TBitmap b, out;
    Paint(b);
    EmbossBitmap(&b, clOlive, &out, clSilver, clWhite, clGray);
    ASSERT_EQ(out.Width(), 4);
    EXPECT_EQ(out.Canvas()->Pixels(0, 0), clGray);    // black pixel: shadow
    EXPECT_EQ(out.Canvas()->Pixels(1, 0), clGray);    // grey pixel: shadow
    EXPECT_EQ(out.Canvas()->Pixels(2, 0), clSilver);  // white is no shape
    EXPECT_EQ(out.Canvas()->Pixels(1, 1), clWhite);   // the highlight below the black pixel
    EXPECT_EQ(out.Canvas()->Pixels(2, 1), clWhite);
    EXPECT_EQ(out.Canvas()->Pixels(3, 1), clSilver);
}

class KeyPopup : public TPopupWindow {
public:
    using TPopupWindow::TPopupWindow;
    std::vector<uint16_t> Keys;

protected:
    void KeyDown(uint16_t& Key, TShiftState) override {
        Keys.push_back(Key);
        if (Key == VK_DOWN) Key = 0;
    }
};

TEST(PopupWindowTest, ShowsWithoutTakingTheFocusAndGetsForwardedKeys) {
    TShownForm f;
    auto* edit = new TEdit(f.Form);
    edit->SetParent(f.Form);
    edit->SetBounds(10, 10, 100, 24);
    f.Show();
    edit->SetFocus();
    ProcessEvents();
    ASSERT_TRUE(edit->Focused());
    KeyPopup popup(f.Form);
    popup.SetOwnerControl(edit);
    const TPoint p = edit->ClientToScreen({0, edit->Height()});
    popup.ShowAt(p.X, p.Y, 120, 80);
    ProcessEvents();
    EXPECT_TRUE(popup.Showing());
    EXPECT_TRUE(edit->Focused()) << (FocusedControl() ? FocusedControl()->ClassName() : std::string("none"));
    uint16_t key = VK_DOWN;
    EXPECT_TRUE(popup.ForwardKey(key, {}));
    EXPECT_EQ(key, 0);
    key = VK_LEFT;
    EXPECT_FALSE(popup.ForwardKey(key, {}));
    EXPECT_EQ(popup.Keys, (std::vector<uint16_t>{VK_DOWN, VK_LEFT}));
    popup.ClosePopup();
    key = VK_UP;
    EXPECT_FALSE(popup.ForwardKey(key, {}));  // hidden: nothing reaches it
    EXPECT_EQ(popup.Keys.size(), 2u);
}

class CancelProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Cancels = 0;
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CM_CANCELMODE) ++Cancels;
        TCustomControl::Dispatch(Message);
    }
};

TEST(OutsideClickWatchTest, EachWatchBelongsToItsControl) {
    TShownForm f;
    auto* a = new CancelProbe(f.Form);
    auto* b = new CancelProbe(f.Form);
    auto* other = new CancelProbe(f.Form);
    a->SetParent(f.Form);
    b->SetParent(f.Form);
    other->SetParent(f.Form);
    a->SetBounds(10, 10, 80, 20);
    b->SetBounds(10, 50, 80, 20);
    other->SetBounds(10, 100, 80, 20);
    f.Show();
    KeyPopup list(f.Form);
    list.SetOwnerControl(a);
    const TPoint p = a->ClientToScreen({0, 20});
    list.ShowAt(p.X, p.Y, 80, 30);
    ProcessEvents();
    WatchOutsideClicks(a, {&list});
    WatchOutsideClicks(b);
    WatchOutsideClicks(a, {&list});  // asked twice: still one watch
    EXPECT_EQ(OutsideClickWatchCount(), 2);

    SendClick(a, 5, 5);  // inside a: only b cancels
    ProcessEvents();
    EXPECT_EQ(a->Cancels, 0);
    EXPECT_EQ(b->Cancels, 1);
    SendClick(&list, 5, 5);  // a's own pop-up
    ProcessEvents();
    EXPECT_EQ(a->Cancels, 0);
    EXPECT_EQ(b->Cancels, 2);

    StopOutsideClicks(b);  // a keeps its watch
    EXPECT_TRUE(WatchesOutsideClicks(a));
    SendClick(other, 5, 5);
    ProcessEvents();
    EXPECT_EQ(a->Cancels, 1);
    EXPECT_EQ(b->Cancels, 2);
    delete a;  // a destroyed control's watch ends
    EXPECT_EQ(OutsideClickWatchCount(), 0);
    SendClick(other, 5, 5);
    ProcessEvents();
    EXPECT_EQ(b->Cancels, 2);
}

// What a window manager does with the watched control's window: a click on
// its frame, a move, and the activation going to another program or a dialog
// cancel; a move that leaves the window where it was, another plain window of
// the program taking the activation (its press is the click rule's) and the
// watch's own pop-up being activated do not.
TEST(OutsideClickWatchTest, TheWindowFrameAMoveAndADeactivationCancel) {
    TShownForm f;
    TShownForm g;
    auto* a = new CancelProbe(f.Form);
    a->SetParent(f.Form);
    a->SetBounds(10, 10, 80, 20);
    g.Show();
    f.Show();
    KeyPopup list(f.Form);
    list.SetOwnerControl(a);
    const TPoint p = a->ClientToScreen({0, 20});
    list.ShowAt(p.X, p.Y, 80, 30);
    ProcessEvents();
    WatchOutsideClicks(a, {&list});

    SendFrameClick(f.Form);
    EXPECT_EQ(a->Cancels, 1);
    MoveWindowOf(f.Form, 0, 0);
    EXPECT_EQ(a->Cancels, 1);
    MoveWindowOf(f.Form, 12, 7);
    EXPECT_EQ(a->Cancels, 2);
    ActivateWindowOf(&list);
    ProcessEvents();
    EXPECT_EQ(a->Cancels, 2);
    ActivateForm(f.Form);
    ActivateForm(g.Form);
    EXPECT_EQ(a->Cancels, 2);
    ActivateForm(f.Form);
    DeactivateWindows();
    EXPECT_EQ(a->Cancels, 3);

    // Not watching: nothing.
    ActivateForm(f.Form);
    StopOutsideClicks(a);
    SendFrameClick(f.Form);
    MoveWindowOf(f.Form, 5, 5);
    DeactivateWindows();
    EXPECT_EQ(a->Cancels, 3);
}

// A pop-up of a control in a modal window: the modal window blocks the
// program's other windows, not the pop-up, which the pointer grab takes
// presses to: a click on the main window's title bar or on the main window
// behind the modal one cancels the watch.
TEST(OutsideClickWatchTest, APressOnTheWindowBehindAModalOneCancels) {
    // the pointer rests off the windows to come, as a user's would before the clicks
    MovePointerTo({Screen->Width() - 1, Screen->Height() - 1});
    TShownForm main;
    main.Form->SetBounds(0, 0, 780, 580);
    main.Show();
    TTestModalForms modal;
    TShownForm dialog;
    auto* a = new CancelProbe(dialog.Form);
    a->SetParent(dialog.Form);
    a->SetBounds(10, 10, 80, 20);
    int title = -1, behind = -1;
    modal.Push([&](TCustomForm* W) {
        ActivateForm(W);
        KeyPopup list(a);
        list.SetOwnerControl(a);
        const TPoint p = a->ClientToScreen({0, 20});
        list.ShowAt(p.X, p.Y, 80, 30);
        ProcessEvents();
        WatchOutsideClicks(a, {&list});
        SendFrameClick(main.Form);
        title = a->Cancels;
        SendScreenClick(main.Form->ClientToScreen({700, 500}));
        behind = a->Cancels;
        StopOutsideClicks(a);
        W->SetModalResult(mrOk);
    });
    EXPECT_EQ(dialog.Form->ShowModal(), mrOk);
    EXPECT_EQ(title, 1);
    EXPECT_EQ(behind, 2);
}

TEST(ActionTest, ChangesReachLinkedClientsOnly) {
    TShownForm f;
    auto* button = new TButton(f.Form);
    button->SetParent(f.Form);
    TCustomAction action(nullptr);
    action.SetCaption("Go");
    int runs = 0;
    action.SetOnExecute(TNotifyEvent([&](TObject*) { ++runs; }));
    {
        TControlActionLink link(button);
        link.SetAction(&action);
        button->SetCaption("Go");
        action.SetCaption("Run");  // linked: the caption follows
        EXPECT_EQ(button->Caption(), "Run");
        button->SetCaption("Mine");
        action.SetCaption("Walk");  // no longer linked
        EXPECT_EQ(button->Caption(), "Mine");
        action.SetEnabled(false);
        EXPECT_FALSE(button->Enabled());
        EXPECT_FALSE(link.Execute());
        action.SetEnabled(true);
        EXPECT_TRUE(link.Execute());
        action.SetVisible(false);
        EXPECT_FALSE(button->Visible());
        action.SetHint("h");
        EXPECT_EQ(action.LinkCount(), 1);
    }
    EXPECT_EQ(action.LinkCount(), 0);  // a freed link leaves the action
    EXPECT_EQ(runs, 1);
    auto* gone = new TCustomAction(nullptr);
    TControlActionLink late(button);
    late.SetAction(gone);
    delete gone;
    EXPECT_EQ(late.Action(), nullptr);
    EXPECT_FALSE(late.Execute());
}

}  // namespace
