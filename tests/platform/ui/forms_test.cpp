// Forms: creation, showing, modal results, closing and freeing, geometry.
#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "platform/ui/form_min_size.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timer.h"
#include "support/ui/ui_probes.h"

namespace {

class TLoggedForm : public TForm {
public:
    explicit TLoggedForm(TComponent* AOwner, std::vector<std::string>* log = nullptr)
        : TForm(AOwner), FLog(log) {
        SetOnCreate(TNotifyEvent([this](TObject*) { Note("Create"); }));
        SetOnShow(TNotifyEvent([this](TObject*) { Note("Show"); }));
        SetOnActivate(TNotifyEvent([this](TObject*) { Note("Activate"); }));
        SetOnHide(TNotifyEvent([this](TObject*) { Note("Hide"); }));
        SetOnDestroy(TNotifyEvent([this](TObject*) { Note("Destroy"); }));
    }
    // OnDestroy uses this class's members: it runs before they go.
    ~TLoggedForm() override { BeforeDestruction(); }
    void Note(const std::string& s) {
        if (FLog) FLog->push_back(s);
    }

private:
    std::vector<std::string>* FLog;
};

TEST(FormTest, OnCreateFiresOnceAfterConstruction) {
    std::vector<std::string> log;
    auto* form = CreateForm<TLoggedForm>(Application, &log);
    form->AfterConstruction();
    EXPECT_EQ(log, std::vector<std::string>{"Create"});
    form->Show();
    form->Hide();
    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"Create", "Show", "Activate", "Hide", "Destroy"}));
}

TEST(FormTest, ShowingAFormBuiltWithNewCompletesItsCreation) {
    std::vector<std::string> log;
    auto* form = new TLoggedForm(Application, &log);
    EXPECT_TRUE(log.empty());
    form->Show();
    EXPECT_EQ(log.front(), "Create");
    delete form;
}

TEST(FormTest, ClientSizeExcludesTheFrame) {
    auto* form = CreateForm<TForm>(Application);
    form->SetClientHeight(634);
    form->SetClientWidth(500);
    EXPECT_EQ(form->ClientHeight(), 634);
    EXPECT_EQ(form->ClientWidth(), 500);
    const TRect frame = form->FrameMargins();
    EXPECT_EQ(form->Height(), 634 + frame.Top + frame.Bottom);
    EXPECT_EQ(form->Width(), 500 + frame.Left + frame.Right);
    // A changed border keeps the client area.
    form->SetBorderStyle(bsDialog);
    EXPECT_EQ(form->ClientHeight(), 634);
    EXPECT_EQ(form->ClientWidth(), 500);
    form->SetBorderStyle(bsNone);
    EXPECT_EQ(form->Height(), 634);
    form->Show();
    TBitmap shot;
    RenderControl(form, &shot);
    EXPECT_EQ(shot.Width(), 500);
    EXPECT_EQ(shot.Height(), 634);
    delete form;
}

// A minimum client size holds whatever the frame and the menu bar take,
// also once the menu bar comes with the window.
TEST(FormTest, AMinimumClientSizeKeepsTheClientArea) {
    auto* form = CreateForm<TMinSizeForm>(Application);
    form->SetMinimumClientSize(300, 200);
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption("File");
    menu->Items()->Add(file);
    form->Show();
    ProcessEvents();
    form->SetBounds(10, 10, 120, 90);
    ProcessEvents();
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    form->SetClientHeight(150);
    EXPECT_EQ(form->ClientHeight(), 200);
    form->SetBounds(10, 10, 500, 400);
    EXPECT_EQ(form->Width(), 500);
    EXPECT_EQ(form->Height(), 400);
    delete form;
}

// A minimum the screen cannot hold (a small screen, a large scale factor)
// gives way to the screen's work area: the window can still be made to fit.
TEST(FormTest, AMinimumLargerThanTheScreenGivesWayToTheScreen) {
    const TRect work = Screen->WorkAreaRect();
    const int roomX = work.Right - work.Left, roomY = work.Bottom - work.Top;
    for (bool client : {false, true}) {
        SCOPED_TRACE(client ? "client size" : "outer size");
        auto* form = CreateForm<TMinSizeForm>(Application);
        if (client)
            form->SetMinimumClientSize(roomX + 500, roomY + 400);
        else
            form->SetMinimumSize(roomX + 500, roomY + 400);
        form->Show();
        ProcessEvents();
        form->SetBounds(0, 0, 200, 150);
        ProcessEvents();
        EXPECT_EQ(form->Width(), roomX);
        EXPECT_EQ(form->Height(), roomY);
        // a size the screen holds is kept at least
        form->SetBounds(0, 0, roomX - 10, roomY - 10);
        EXPECT_EQ(form->Width(), roomX);
        // a larger size asked for is still given
        form->SetBounds(0, 0, roomX + 50, roomY + 60);
        EXPECT_EQ(form->Width(), roomX + 50);
        EXPECT_EQ(form->Height(), roomY + 60);
        delete form;
    }
}

// A window with a menu bar and a minimum larger than the screen, first
// shown: the window system's minimum leaves room for the frame, so the whole
// window, caption and borders included, opens on the work area.
TEST(FormTest, AMinimumLargerThanTheScreenLeavesRoomForTheFrame) {
    const TRect work = Screen->WorkAreaRect();
    const int roomX = work.Right - work.Left, roomY = work.Bottom - work.Top;
    auto* form = CreateForm<TMinSizeForm>(Application);
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption("File");
    menu->Items()->Add(file);
    form->SetPosition(poScreenCenter);
    form->SetMinimumClientSize(roomX + 100, roomY + 100);
    form->SetBounds(work.Left + 40, work.Top + 30, roomX + 100, roomY + 100);
    form->Show();
    ProcessEvents();
    EXPECT_EQ(form->Left(), work.Left);
    EXPECT_EQ(form->Top(), work.Top);
    EXPECT_EQ(form->Width(), roomX);
    EXPECT_EQ(form->Height(), roomY);
    EXPECT_GT(form->NonClientMargins().Top, 0);
    form->SetBounds(0, 0, 200, 150);
    ProcessEvents();
    EXPECT_EQ(form->Width(), roomX);
    EXPECT_EQ(form->Height(), roomY);
    delete form;
}

// A window first shown larger than the work area, or partly off it, is
// made to fit and placed on it: centred when its position centres it, else
// moved in as little as it takes. Once shown, a larger size asked for is
// given.
TEST(FormTest, AWindowFirstShownLargerThanTheScreenFitsItsWorkArea) {
    const TRect work = Screen->WorkAreaRect();
    const int roomX = work.Right - work.Left, roomY = work.Bottom - work.Top;
    for (TPosition position : {poScreenCenter, poDesigned}) {
        SCOPED_TRACE(position == poScreenCenter ? "centred" : "designed");
        auto* form = CreateForm<TMinSizeForm>(Application);
        form->SetPosition(position);
        form->SetBounds(work.Left + 40, work.Top + 30, roomX + 90, roomY + 60);
        form->Show();
        ProcessEvents();
        EXPECT_EQ(form->Width(), roomX);
        EXPECT_EQ(form->Height(), roomY);
        EXPECT_EQ(form->Left(), work.Left);
        EXPECT_EQ(form->Top(), work.Top);
        form->SetBounds(0, 0, roomX + 50, roomY + 40);
        EXPECT_EQ(form->Width(), roomX + 50);
        delete form;
    }
    // One that fits stays where it was put.
    auto* form = CreateForm<TMinSizeForm>(Application);
    form->SetBounds(work.Left + 20, work.Top + 10, roomX / 2, roomY / 2);
    form->Show();
    ProcessEvents();
    EXPECT_EQ(form->Left(), work.Left + 20);
    EXPECT_EQ(form->Top(), work.Top + 10);
    EXPECT_EQ(form->Width(), roomX / 2);
    // and one partly off the screen is moved onto it whole
    auto* off = CreateForm<TMinSizeForm>(Application);
    off->SetBounds(work.Right - 50, work.Top + 10, roomX / 2, roomY / 2);
    off->Show();
    ProcessEvents();
    EXPECT_EQ(off->Left(), work.Right - roomX / 2);
    EXPECT_EQ(off->Top(), work.Top + 10);
    delete off;
    delete form;
}

TEST(FormTest, ClientToScreenMapsThroughTheFrame) {
    auto* form = CreateForm<TForm>(Application);
    form->SetBounds(100, 50, 300, 200);
    auto* probe = new TProbe(form, form);
    probe->SetBounds(10, 20, 30, 30);
    form->Show();
    const TPoint origin = form->ClientOrigin();
    const TRect frame = form->FrameMargins();
    EXPECT_EQ(origin, (TPoint{100 + frame.Left, 50 + frame.Top}));
    EXPECT_EQ(probe->ClientToScreen({1, 2}), (TPoint{origin.X + 11, origin.Y + 22}));
    EXPECT_EQ(probe->ScreenToClient(probe->ClientToScreen({5, 6})), (TPoint{5, 6}));
    delete form;
}

TEST(FormTest, ScreenCenterPositionsOnFirstShow) {
    auto* form = CreateForm<TForm>(Application);
    form->SetBounds(0, 0, 200, 100);
    form->SetPosition(poScreenCenter);
    form->Show();
    EXPECT_EQ(form->Left(), (Screen->Width() - 200) / 2);
    EXPECT_EQ(form->Top(), (Screen->Height() - 100) / 2);
    // A form larger than the screen is not put above or left of it.
    auto* big = CreateForm<TForm>(Application);
    big->SetBounds(0, 0, Screen->Width() + 400, Screen->Height() + 400);
    big->SetPosition(poScreenCenter);
    big->Show();
    EXPECT_EQ(big->Left(), 0);
    EXPECT_EQ(big->Top(), 0);
    delete big;
    delete form;
}

TEST(FormTest, ModalFormAnswersItsModalResult) {
    TTestModalForms script;
    script.PushResult(mrOk);
    script.Push([](TCustomForm* form) {
        EXPECT_TRUE(form->Visible());
        EXPECT_TRUE(form->FormState().Contains(fsModal));
        EXPECT_EQ(Screen->ActiveForm(), form);
        form->SetModalResult(mrCancel);
    });
    auto* dialog = CreateForm<TForm>(Application);
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(dialog->FormState().Contains(fsModal));
    EXPECT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(Application->ModalLevel(), 0);
    delete dialog;
}

TEST(FormTest, ModalResultFromAKeyOnTheForm) {
    TTestModalForms script;
    auto* dialog = CreateForm<TForm>(Application);
    auto* probe = new TProbe(dialog, dialog);
    probe->SetOnKeyDown(TKeyEvent([dialog](TObject*, uint16_t& key, TShiftState) {
        if (key == 'Y') dialog->SetModalResult(mrYes);
    }));
    script.Push([probe](TCustomForm*) { SendKey(probe, 'Y'); });
    EXPECT_EQ(dialog->ShowModal(), mrYes);
    delete dialog;
}

TEST(FormTest, RealModalLoopEndsWhenATimerSetsTheResult) {
    auto* dialog = CreateForm<TForm>(Application);
    auto* timer = new TTimer(dialog);
    timer->SetInterval(20);
    timer->SetOnTimer(TNotifyEvent([dialog](TObject*) { dialog->SetModalResult(mrRetry); }));
    EXPECT_EQ(dialog->ShowModal(), mrRetry);
    EXPECT_FALSE(dialog->Visible());
    delete dialog;
}

TEST(FormTest, CloseOnAModalFormAnswersCancel) {
    TTestModalForms script;
    script.Push([](TCustomForm* form) { form->Close(); });
    auto* dialog = CreateForm<TForm>(Application);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    delete dialog;
}

TEST(FormTest, OnCloseQueryAndCaNoneKeepAModalFormOpen) {
    TTestModalForms script;
    auto* dialog = CreateForm<TForm>(Application);
    int asked = 0;
    dialog->SetOnCloseQuery(TCloseQueryEvent([&](TObject*, bool& canClose) {
        ++asked;
        canClose = asked > 1;
    }));
    script.Push([](TCustomForm* form) { form->SetModalResult(mrOk); });
    // The refused close leaves nothing to answer with: the script reports it.
    EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
    EXPECT_FALSE(dialog->Visible());
    script.Push([](TCustomForm* form) { form->SetModalResult(mrOk); });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(asked, 2);
    delete dialog;
}

TEST(FormTest, UnexpectedModalFormIsReportedInsteadOfWaiting) {
    TTestModalForms script;
    auto* dialog = CreateForm<TForm>(Application);
    try {
        dialog->ShowModal();
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Unexpected modal form TForm");
    }
    EXPECT_FALSE(dialog->Visible());
    delete dialog;
}

TEST(FormTest, VisibleFormCannotBeShownModally) {
    auto* form = CreateForm<TForm>(Application);
    form->Show();
    try {
        form->ShowModal();
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Cannot make a visible window modal");
    }
    delete form;
}

TEST(FormTest, CloseActionDecidesWhatHappens) {
    auto* form = CreateForm<TForm>(Application);
    TCloseAction next = caHide;
    form->SetOnClose(TCloseEvent([&](TObject*, TCloseAction& action) { action = next; }));
    form->Show();
    next = caNone;
    form->Close();
    EXPECT_TRUE(form->Visible());
    next = caHide;
    form->Close();
    EXPECT_FALSE(form->Visible());

    // caFree frees the form once the event loop gets to it.
    bool destroyed = false;
    form->SetOnDestroy(TNotifyEvent([&](TObject*) { destroyed = true; }));
    form->Show();
    next = caFree;
    form->Close();
    EXPECT_FALSE(destroyed);
    ProcessEvents();
    EXPECT_TRUE(destroyed);
}

TEST(FormTest, ReleaseFromTheFormsOwnHandlerIsSafe) {
    auto* form = CreateForm<TForm>(Application);
    auto* probe = new TProbe(form, form);
    bool destroyed = false;
    form->SetOnDestroy(TNotifyEvent([&](TObject*) { destroyed = true; }));
    probe->SetOnClick(TNotifyEvent([form](TObject*) { form->Release(); }));
    form->Show();
    ActivateForm(form);
    SendClick(probe, 2, 2);  // processes the release too
    EXPECT_TRUE(destroyed);
}

TEST(FormTest, FormFreedInsideItsOwnEventDoesNotCrash) {
    auto* form = CreateForm<TForm>(Application);
    auto* probe = new TProbe(form, form);
    probe->SetOnMouseDown(
        TMouseEvent([form](TObject*, TMouseButton, TShiftState, int, int) { delete form; }));
    form->Show();
    const int before = Screen->FormCount();
    SendMouseDown(probe, mbLeft, 1, 1);
    EXPECT_EQ(Screen->FormCount(), before - 1);
}

// Released by a handler while modal, the form stays until ShowModal is
// over (its caller may still read it); freed outright, it ends the loop.
TEST(FormTest, AModalFormReleasedOrFreedByItsHandlerEndsTheLoopSafely) {
    TTestModalForms script;
    auto* form = CreateForm<TForm>(Application);
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetModalResult(mrOk);
    ok->SetOnClick(TNotifyEvent([form](TObject*) { form->Release(); }));
    bool destroyed = false;
    form->SetOnDestroy(TNotifyEvent([&](TObject*) { destroyed = true; }));
    script.Push([ok](TCustomForm*) { SendClick(ok, 5, 5); });  // lets the release through
    const int level = Application->ModalLevel();
    const int forms = Screen->FormCount();
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_FALSE(destroyed);
    EXPECT_FALSE(form->Visible());
    ProcessEvents();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(Screen->FormCount(), forms - 1);

    form = CreateForm<TForm>(Application);
    auto* quit = new TButton(form);
    quit->SetParent(form);
    quit->SetOnClick(TNotifyEvent([form](TObject*) { delete form; }));
    script.Push([quit](TCustomForm*) { SendClick(quit, 5, 5); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(Application->ModalLevel(), level);
    EXPECT_EQ(Screen->FormCount(), forms - 1);
}

TEST(FormTest, ClosingTheMainFormTerminatesTheApplication) {
    // A separate application object keeps the test program's own untouched.
    TApplication app(nullptr);
    TForm* main = nullptr;
    app.CreateForm(main);
    EXPECT_EQ(app.MainForm(), main);
    TForm* second = nullptr;
    app.CreateForm(second);
    EXPECT_EQ(app.MainForm(), main);
    TApplication* saved = Application;
    Application = &app;
    main->SetOnShow(TNotifyEvent([main](TObject*) { PostMessage(main, WM_CLOSE, 0, 0); }));
    app.Run();
    EXPECT_TRUE(app.Terminated());
    Application = saved;
}

// A drop-down: a window of its own, placed in screen coordinates.
class TDropDown : public TProbe {
public:
    using TProbe::TProbe;

protected:
    void CreateParams(TCreateParams& Params) override {
        TProbe::CreateParams(Params);
        Params.Style = WS_POPUP | WS_BORDER;
        Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    }
};

TEST(FormTest, PopUpWindowOfAControlWorksInsideAModalForm) {
    TTestModalForms script;
    auto* dialog = CreateForm<TForm>(Application);
    dialog->SetBounds(100, 100, 300, 200);
    auto* edit = new TProbe(dialog, dialog);
    auto* drop = new TDropDown(dialog, edit);
    drop->SetVisible(false);
    script.Push([&](TCustomForm* form) {
        const TPoint below = edit->ClientToScreen({0, edit->Height()});
        drop->SetBounds(below.X, below.Y, 80, 40);
        drop->Show();
        EXPECT_TRUE(drop->Showing());
        EXPECT_EQ(drop->ClientWidth(), 78);  // a one-pixel border
        EXPECT_EQ(drop->ClientToScreen({0, 0}), (TPoint{below.X + 1, below.Y + 1}));
        drop->Log.clear();
        SendClick(drop, 5, 6);
        EXPECT_EQ(drop->Log.front(), "MouseDown 0 5,6");
        // The key stays with the form's control.
        EXPECT_EQ(form->ActiveControl(), edit);
        form->SetModalResult(mrOk);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    delete dialog;
}

TEST(FormTest, ActiveFormFollowsActivation) {
    TShownForm one;
    TShownForm two;
    std::vector<std::string> log;
    one.Form->SetOnDeactivate(TNotifyEvent([&](TObject*) { log.push_back("one off"); }));
    two.Form->SetOnActivate(TNotifyEvent([&](TObject*) { log.push_back("two on"); }));
    one.Show();
    EXPECT_EQ(Screen->ActiveForm(), one.Form);
    two.Show();
    EXPECT_EQ(Screen->ActiveForm(), two.Form);
    EXPECT_EQ(log, (std::vector<std::string>{"one off", "two on"}));
    two.Form->Hide();
    EXPECT_EQ(Screen->ActiveForm(), one.Form);
    EXPECT_TRUE(one.Form->Active());
}

}  // namespace
