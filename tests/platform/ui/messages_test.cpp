// Messages: sent and posted order, registered numbers, the queue, timers and
// exceptions that leave handlers.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/variant.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timer.h"
#include "support/ui/ui_probes.h"

namespace {

// Logs every message of a number range it receives.
class TMessageLog : public TCustomControl {
public:
    explicit TMessageLog(TComponent* AOwner) : TCustomControl(AOwner) {}
    std::vector<std::string> Log;
    std::function<void(TMessage&)> OnMessage;

    void WndProc(TMessage& Message) override {
        if (Message.Msg >= WM_USER && Message.Msg < WM_USER + 100) {
            Log.push_back(std::to_string(Message.Msg - WM_USER) + ":" + std::to_string(Message.WParam));
            if (OnMessage) OnMessage(Message);
            Message.Result = static_cast<LRESULT>(Message.WParam) * 2;
            return;
        }
        TCustomControl::WndProc(Message);
    }
};

TEST(MessageTest, SentMessagesRunAtOncePostedOnesInOrderLater) {
    TMessageLog target(nullptr);
    EXPECT_EQ(SendMessage(&target, WM_USER + 1, 21, 0), 42);
    EXPECT_TRUE(PostMessage(&target, WM_USER + 2, 1, 0));
    EXPECT_TRUE(PostMessage(&target, WM_USER + 3, 2, 0));
    EXPECT_EQ(target.Perform(WM_USER + 4, 3), 6);
    EXPECT_EQ(target.Log, (std::vector<std::string>{"1:21", "4:3"}));
    ProcessEvents();
    EXPECT_EQ(target.Log, (std::vector<std::string>{"1:21", "4:3", "2:1", "3:2"}));
    EXPECT_EQ(PostedMessageCount(), 0);
}

TEST(MessageTest, MessagePostedFromAHandlerRunsAfterTheOnesBefore) {
    TMessageLog target(nullptr);
    target.OnMessage = [&](TMessage& m) {
        if (m.Msg == WM_USER + 1) PostMessage(&target, WM_USER + 9, 0, 0);
    };
    PostMessage(&target, WM_USER + 1, 0, 0);
    PostMessage(&target, WM_USER + 2, 0, 0);
    ProcessEvents();
    EXPECT_EQ(target.Log, (std::vector<std::string>{"1:0", "2:0", "9:0"}));
}

TEST(MessageTest, PeekMessageFindsAndRemovesPostedMessages) {
    TMessageLog a(nullptr), b(nullptr);
    PostMessage(&a, WM_USER + 1, 1, 0);
    PostMessage(&b, WM_USER + 2, 2, 0);
    PostMessage(&a, WM_USER + 3, 3, 0);
    TMessage m;
    ASSERT_TRUE(PeekMessage(m, &a, WM_USER + 2, WM_USER + 5, false));
    EXPECT_EQ(m.Msg, WM_USER + 3);
    EXPECT_EQ(PostedMessageCount(), 3);
    ASSERT_TRUE(PeekMessage(m, nullptr, WM_USER + 2, WM_USER + 2, true));
    EXPECT_EQ(m.WParam, 2u);
    EXPECT_FALSE(PeekMessage(m, &b, 0, 0, false));
    ProcessEvents();
    EXPECT_EQ(a.Log, (std::vector<std::string>{"1:1", "3:3"}));
    EXPECT_TRUE(b.Log.empty());
}

TEST(MessageTest, MessagesForAFreedControlAreDropped) {
    auto* target = new TMessageLog(nullptr);
    PostMessage(target, WM_USER + 1, 0, 0);
    delete target;
    EXPECT_EQ(PostedMessageCount(), 0);
    ProcessEvents();  // nothing runs on the freed control
    EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
}

TEST(MessageTest, RegisteredMessagesAreSharedByName) {
    const unsigned a = RegisterWindowMessage("CVDATEPICKERDESTROYCALENDAR");
    const unsigned b = RegisterWindowMessage("cvDatePickerDestroyCalendar");
    const unsigned c = RegisterWindowMessage("CVOTHER");
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_GE(a, MSG_REGISTERED_FIRST);
    EXPECT_GE(c, MSG_REGISTERED_FIRST);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(MessageTest, RegisteredMessageGoesThroughTheControlsDispatch) {
    const unsigned msg = RegisterWindowMessage("TESTMESSAGE");
    struct TTarget : TCustomControl {
        using TCustomControl::TCustomControl;
        unsigned Wanted = 0;
        int Seen = 0;
        void Dispatch(TMessage& m) override {
            if (m.Msg == Wanted)
                ++Seen;
            else
                TCustomControl::Dispatch(m);
        }
    } target(nullptr);
    target.Wanted = msg;
    PostMessage(&target, msg, 0, 0);
    ProcessEvents();
    EXPECT_EQ(target.Seen, 1);
}

// The loop rests once the queue is empty; a message that posts itself
// again, or a control that repaints itself from its painting, keeps it
// busy.
TEST(MessageTest, TheEventLoopRestsUnlessSomethingRepostsItself) {
    TForm* form = CreateForm<TForm>(Application);
    form->SetBounds(10, 10, 200, 100);
    auto* target = new TMessageLog(form);
    target->SetParent(form);
    target->SetBounds(0, 0, 50, 50);
    form->Show();
    ProcessEvents();
    EXPECT_TRUE(EventLoopRests());
    int reposts = 0;
    target->OnMessage = [&](TMessage&) {
        if (++reposts < 1000) PostMessage(target, WM_USER + 5, 0, 0);
    };
    PostMessage(target, WM_USER + 5, 0, 0);
    EXPECT_FALSE(EventLoopRests(50));
    ProcessEvents();
    EXPECT_TRUE(EventLoopRests());
    delete form;
    ProcessEvents();
}

TEST(MessageTest, ShortCutsPackKeyAndShift) {
    EXPECT_EQ(ShortCut('S', {ssCtrl}), scCtrl | 'S');
    EXPECT_EQ(ShortCut(VK_DELETE, {ssShift, ssAlt}), scShift | scAlt | VK_DELETE);
    uint16_t key;
    TShiftState shift;
    ShortCutToKey(ShortCut(VK_F2, {ssCtrl, ssShift}), key, shift);
    EXPECT_EQ(key, VK_F2);
    EXPECT_EQ(shift, (TShiftState{ssCtrl, ssShift}));
    EXPECT_EQ(KeysToShiftState(MK_LBUTTON | MK_SHIFT), (TShiftState{ssLeft, ssShift}));
    EXPECT_EQ(MousePos(TMessage{WM_MOUSEMOVE, 0, MakeLParam(-3, 40), 0, nullptr}), (TPoint{-3, 40}));
}

// ---- Exceptions ----------------------------------------------------------------------------

TEST(ExceptionTest, ExceptionInAHandlerBecomesAMessageBox) {
    TTestDialogs dialogs;
    TShownForm f;
    auto* probe = new TProbe(f.Form, f.Form);
    probe->SetOnClick(TNotifyEvent([](TObject*) { throw EDatabaseError("Record is not found"); }));
    f.Show();
    SendClick(probe, 1, 1);
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Record is not found.");
    EXPECT_EQ(dialogs.Last().Caption, Application->Title());
    EXPECT_EQ(dialogs.Last().DlgType, mtError);
    EXPECT_EQ(dialogs.Last().Buttons, TMsgDlgButtons{mbOK});
    // The control goes on working.
    probe->SetOnClick(nullptr);
    probe->Log.clear();
    SendClick(probe, 1, 1);
    EXPECT_FALSE(probe->Log.empty());
}

TEST(ExceptionTest, MessageEndingInPunctuationGetsNoPeriod) {
    TTestDialogs dialogs;
    for (const char* text : {"No data found!", "Done.", "Closed (really)"}) {
        try {
            throw Exception(text);
        } catch (...) {
            Application->HandleException(nullptr);
        }
    }
    ASSERT_EQ(dialogs.Count(), 3);
    EXPECT_EQ(dialogs.Messages()[0].Text, "No data found!");
    EXPECT_EQ(dialogs.Messages()[1].Text, "Done.");
    EXPECT_EQ(dialogs.Messages()[2].Text, "Closed (really)");
}

TEST(ExceptionTest, AbortIsSilentAndOnExceptionTakesOver) {
    TTestDialogs dialogs;
    TMessageLog target(nullptr);
    target.OnMessage = [](TMessage& m) {
        if (m.WParam == 1) throw EAbort("silent");
        if (m.WParam == 2) throw std::runtime_error("library failure");
        throw Exception("handled");
    };
    PostMessage(&target, WM_USER, 1, 0);
    ProcessEvents();
    EXPECT_EQ(dialogs.Count(), 0);
    PostMessage(&target, WM_USER, 2, 0);
    ProcessEvents();
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "library failure.");

    std::vector<std::string> seen;
    Application->SetOnException(TExceptionEvent([&](TObject* sender, Exception& e) {
        seen.push_back(e.Message() + (sender == &target ? " from target" : ""));
    }));
    PostMessage(&target, WM_USER, 3, 0);
    ProcessEvents();
    Application->SetOnException(nullptr);
    EXPECT_EQ(seen, std::vector<std::string>{"handled from target"});
    EXPECT_EQ(dialogs.Count(), 1);
}

TEST(ExceptionTest, ExceptionInPaintDoesNotEscape) {
    TTestDialogs dialogs;
    struct TBadPaint : TCustomControl {
        using TCustomControl::TCustomControl;
        void Paint() override { throw EInvalidOperation("Cannot paint"); }
    };
    TShownForm f;
    auto* bad = new TBadPaint(f.Form);
    bad->SetParent(f.Form);
    bad->SetBounds(0, 0, 20, 20);
    f.Show();
    TBitmap shot;
    RenderControl(bad, &shot);
    ASSERT_GE(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Cannot paint.");
}

// ---- Timers ------------------------------------------------------------------------------------

TEST(TimerTest, FiresWhileEnabledAndStopsWhenDisabled) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(10);
    timer.SetOnTimer(TNotifyEvent([&](TObject*) {
        if (++ticks == 3) timer.SetEnabled(false);
    }));
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }, 60000));
    WaitUntil([] { return false; }, 60);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.Enabled());
}

TEST(TimerTest, ZeroIntervalOrNoHandlerNeverFires) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(0);
    timer.SetOnTimer(TNotifyEvent([&](TObject*) { ++ticks; }));
    WaitUntil([] { return false; }, 50);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(GetPropValue(&timer, "Interval").AsInteger(), 0);
}

TEST(TimerTest, ExceptionInTheHandlerIsShownAndTheTimerGoesOn) {
    TTestDialogs dialogs;
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(5);
    timer.SetOnTimer(TNotifyEvent([&](TObject*) {
        ++ticks;
        throw EConvertError("'x' is not a valid integer value");
    }));
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 2; }, 60000));
    timer.SetEnabled(false);
    ASSERT_GE(dialogs.Count(), 2);
    EXPECT_EQ(dialogs.Messages()[0].Text, "'x' is not a valid integer value.");
}

}  // namespace

namespace {

// Logs the child-list messages and refuses controls of one class.
class TChildLog : public TCustomControl {
public:
    explicit TChildLog(TComponent* AOwner) : TCustomControl(AOwner) {}
    std::vector<std::string> Log;
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CM_CONTROLLISTCHANGE || Message.Msg == CM_CONTROLCHANGE) {
            auto* c = reinterpret_cast<TControl*>(Message.WParam);
            const bool list = Message.Msg == CM_CONTROLLISTCHANGE;
            // While removed the control is here until the change, gone at the list change.
            Log.push_back(std::string(list ? "list " : "change ") + (Message.LParam ? "in " : "out ") +
                          std::to_string(ControlCount()) + (c->Parent() == this ? " here" : " away"));
            if (list && Message.LParam && dynamic_cast<TButton*>(c)) throw EInvalidOperation("no buttons");
        }
        TCustomControl::Dispatch(Message);
    }
};

TEST(MessageTest, ChildControlsAreAnnouncedAndCanBeRefused) {
    TChildLog parent(nullptr);
    TLabel label(nullptr);
    label.SetParent(&parent);
    EXPECT_EQ(parent.Log, (std::vector<std::string>{"list in 0 away", "change in 1 here"}));
    parent.Log.clear();
    label.SetParent(nullptr);
    EXPECT_EQ(parent.Log, (std::vector<std::string>{"change out 1 here", "list out 0 away"}));
    // A refused control stays where it was.
    TButton button(nullptr);
    EXPECT_THROW(button.SetParent(&parent), EInvalidOperation);
    EXPECT_EQ(nullptr, button.Parent());
    EXPECT_EQ(0, parent.ControlCount());
    // A child freed with its parent alive is announced once.
    auto* child = new TLabel(nullptr);
    child->SetParent(&parent);
    parent.Log.clear();
    delete child;
    EXPECT_EQ(parent.Log, (std::vector<std::string>{"change out 1 here", "list out 0 away"}));
}

}  // namespace
