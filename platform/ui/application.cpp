// The application object, the screen, and bringing the toolkit up and down.
#include "platform/ui/application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QEventLoop>
#include <QScreen>
#include <QToolTip>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/help.h"
#include "platform/ui/messages.h"
#include "platform/ui/qt_host.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {
bool GOwnQApp = false;
int GArgc = 1;
std::vector<std::string> GArgs;
std::vector<char*> GArgv;

// The screen's watch over long database work (a Filter text, a dataset's
// open or read): the busy cursor while it runs, Escape (looked for now and
// then) stops it.
class TScreenWorkWatch : public TDBWorkWatch {
public:
    void Begin() override {
        FBusy = Screen != nullptr;
        if (!FBusy) return;
        FSaved = Screen->Cursor();
        Screen->SetCursor(crHourGlass);
        FLastLook = std::chrono::steady_clock::time_point();
    }
    bool Poll() override {
        if (!FBusy) return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - FLastLook < std::chrono::milliseconds(100)) return false;
        FLastLook = now;
        return TakePendingEscape();
    }
    void End() override {
        if (FBusy && Screen) Screen->SetCursor(FSaved);
        FBusy = false;
    }

private:
    bool FBusy = false;
    TCursor FSaved = crDefault;
    std::chrono::steady_clock::time_point FLastLook;
};
TScreenWorkWatch GScreenWorkWatch;

// Deletes the widgets left to the event loop when no event is being handled.
void FlushDeferredDeletes() {
    if (TDispatchScope::Depth() == 0 && QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

void InitializeApplication(int argc, char** argv) {
    if (!QCoreApplication::instance()) {
        GArgs.clear();
        for (int i = 0; i < argc; ++i)
            if (argv && argv[i]) GArgs.emplace_back(argv[i]);
        if (GArgs.empty()) GArgs.emplace_back("taskmoor");
        GArgv.clear();
        for (auto& a : GArgs) GArgv.push_back(a.data());
        GArgv.push_back(nullptr);
        GArgc = static_cast<int>(GArgs.size());
        new QApplication(GArgc, GArgv.data());
        GOwnQApp = true;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    if (!Screen) Screen = new TScreen(nullptr);
    if (!Application) Application = new TApplication(nullptr);
}

bool DisplayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name)) return true;
    return false;
}

void ChooseOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

void FinalizeApplication() {
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
    if (QCoreApplication::instance()) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (GOwnQApp) {
            delete QCoreApplication::instance();
            GOwnQApp = false;
        }
    }
}

bool EndProcessNow(int ExitCode) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QClipboard* clipboard = QGuiApplication::clipboard();
            clipboard && (clipboard->ownsClipboard() || clipboard->ownsSelection()))
            return false;
    std::fflush(nullptr);
    std::_Exit(ExitCode);
}

void RaiseWindow(QWidget* Widget) {
    if (!Widget) return;
    // The off-screen platform has no stacking and says so on every call.
    if (!Widget->isWindow() || QGuiApplication::platformName() != "offscreen") Widget->raise();
}

void EnsureToolkit() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !Application || !Screen)
        InitializeApplication(0, nullptr);
}

// ---- TApplication --------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
    Destroying();
    // Forms hear of their end while they are whole.
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (auto* form = dynamic_cast<TCustomForm*>(Components(i))) form->BeforeDestruction();
    DestroyComponents();
    FMainForm = nullptr;
}

std::string TApplication::Title() const {
    if (!FTitle.empty()) return FTitle;
    return ChangeFileExt(ExtractFileName(ExeName()), "");
}

std::string TApplication::ExeName() const { return ApplicationExeName(); }

void TApplication::Run() {
    EnsureToolkit();
    if (FMainForm && !FMainForm->Visible() && FMainForm->WindowState() != wsMinimized) FMainForm->Show();
    while (!FTerminated) HandleMessage();
}

void TApplication::ProcessMessages() {
    EnsureToolkit();
    QEventLoop loop;
    // A bound, so that a timer of interval 0 cannot keep it here for ever.
    for (int i = 0; i < 1000 && loop.processEvents(QEventLoop::AllEvents); ++i) {}
    FlushDeferredDeletes();
}

void TApplication::HandleMessage() {
    EnsureToolkit();
    QEventLoop loop;
    if (!loop.processEvents(QEventLoop::AllEvents)) {
        Idle();
        if (!FTerminated) loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    FlushDeferredDeletes();
}

void TApplication::Idle() {
    bool done = true;
    try {
        FOnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::Terminate() {
    FTerminated = true;
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
}

void TApplication::Minimize() {
    if (!Screen) return;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (QWidget* w = Screen->Forms(i)->Widget(); w && w->isVisible()) w->showMinimized();
}

void TApplication::Restore() {
    if (!Screen) return;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (QWidget* w = Screen->Forms(i)->Widget(); w && w->isMinimized()) w->showNormal();
}

void TApplication::BringToFront() {
    TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
    if (!form) form = FMainForm;
    if (!form) return;
    if (QWidget* w = form->Widget()) {
        RaiseWindow(w);
        w->activateWindow();
    }
}

bool TApplication::Active() const {
    return QApplication::activeWindow() != nullptr || (Screen && Screen->ActiveForm());
}

// ---- Exceptions ----------------------------------------------------------------------

void TApplication::HandleException(TObject* Sender) {
    if (!std::current_exception()) return;
    auto report = [&](Exception& e) {
        if (FOnException.Assigned()) {
            try {
                FOnException(Sender, e);
                return;
            } catch (...) {
                // A failing handler still leaves the original message shown.
            }
        }
        ShowException(e);
    };
    try {
        throw;
    } catch (EAbort&) {
    } catch (Exception& e) {
        report(e);
    } catch (std::exception& e) {
        Exception wrapped(e.what());
        report(wrapped);
    } catch (...) {
        Exception wrapped("Unknown exception");
        report(wrapped);
    }
}

void TApplication::ShowException(const Exception& E) {
    const std::string msg = EndSentence(E.Message());
    TMessageBoxRequest request;
    request.Caption = Title();
    request.Text = msg;
    request.DlgType = mtError;
    request.Buttons = {mbOK};
    request.DefaultButton = mbOK;
    request.CancelButton = mbOK;
    try {
        DialogService().MessageBox(request);
    } catch (...) {
        std::fprintf(stderr, "%s\n", msg.c_str());
    }
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags) {
    TMessageBoxRequest request;
    request.Caption = Caption.empty() ? Title() : Caption;
    request.Text = Text;
    std::vector<TMsgDlgBtn> buttons;
    switch (Flags & 0x0F) {
    case MB_OKCANCEL: buttons = {mbOK, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: buttons = {mbAbort, mbRetry, mbIgnore}; break;
    case MB_YESNOCANCEL: buttons = {mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: buttons = {mbYes, mbNo}; break;
    case MB_RETRYCANCEL: buttons = {mbRetry, mbCancel}; break;
    default: buttons = {mbOK}; break;
    }
    for (TMsgDlgBtn b : buttons) request.Buttons.Include(b);
    switch (Flags & 0xF0) {
    case MB_ICONSTOP: request.DlgType = mtError; break;
    case MB_ICONQUESTION: request.DlgType = mtConfirmation; break;
    case MB_ICONWARNING: request.DlgType = mtWarning; break;
    case MB_ICONINFORMATION: request.DlgType = mtInformation; break;
    default: request.DlgType = mtCustom; break;
    }
    const std::size_t def = (Flags >> 8) & 0x0F;
    request.DefaultButton = buttons[def < buttons.size() ? def : 0];
    request.CancelButton = request.Buttons.Contains(mbCancel) ? mbCancel
                           : request.Buttons.Contains(mbNo)   ? mbNo
                                                              : buttons.front();
    return DialogService().MessageBox(request);
}

// ---- Help ------------------------------------------------------------------------------

bool TApplication::HelpCommand(uint16_t Command, intptr_t Data) {
    bool callHelp = true;
    bool result = false;
    FOnHelp(Command, Data, callHelp, result);
    if (!callHelp) return result;
    switch (Command) {
    case HELP_CONTEXT: return HelpManager().ContextHelp(static_cast<int>(Data));
    case HELP_CONTENTS: return HelpManager().ShowTableOfContents();
    case HELP_KEY: return Data ? HelpManager().KeywordHelp(reinterpret_cast<const char*>(Data)) : false;
    case HELP_COMMAND: return Data ? HelpManager().TopicHelp(reinterpret_cast<const char*>(Data)) : false;
    case HELP_QUIT: HelpManager().ShutDownAll(); return true;
    default: return false;
    }
}

bool TApplication::HelpContext(THelpContext Context) { return HelpCommand(HELP_CONTEXT, Context); }

bool TApplication::HelpKeyword(const std::string& Keyword) {
    return HelpCommand(HELP_KEY, reinterpret_cast<intptr_t>(Keyword.c_str()));
}

bool TApplication::HelpJump(const std::string& Topic) {
    return HelpCommand(HELP_COMMAND, reinterpret_cast<intptr_t>(Topic.c_str()));
}

// ---- Hints ------------------------------------------------------------------------------

void TApplication::SetHint(const std::string& Value) {
    if (Value == FHint) return;
    FHint = Value;
    FOnHint(this);
}

void TApplication::SetShowHint(bool Value) {
    FShowHint = Value;
    if (!Value) CancelHint();
}

void TApplication::CancelHint() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) QToolTip::hideText();
}

void TApplication::ActivateHint(TControl* Control, const TPoint& ScreenPos) {
    const std::string text = Control ? GetShortHint(Control->Hint()) : std::string();
    if (!FShowHint || !Control || !Control->ShowHint() || text.empty()) {
        CancelHint();
        return;
    }
    QToolTip::showText(QPoint(ScreenPos.X, ScreenPos.Y), ToQString(text), Control->SurfaceWidget());
}

void TApplication::NoteMouseControl(TControl* Control) {
    if (Control == FMouseControl) return;
    FMouseControl = Control;
    SetHint(Control ? GetLongHint(Control->Hint()) : std::string());
}

void TApplication::ControlDestroyed(TControl* Control) {
    if (FMouseControl == Control) FMouseControl = nullptr;
    if (FMainForm == Control) FMainForm = nullptr;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

// ---- TScreen ---------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) { SetDBWorkWatch(&GScreenWorkWatch); }

TScreen::~TScreen() {
    // another watch put in since stays
    if (TDBWorkWatch* other = SetDBWorkWatch(nullptr); other != &GScreenWorkWatch) SetDBWorkWatch(other);
    if (FCursor != crDefault) SetCursor(crDefault);
}

TWinControl* TScreen::ActiveControl() const { return FActiveForm ? FActiveForm->ActiveControl() : nullptr; }

TCustomForm* TScreen::Forms(int Index) const {
    if (Index < 0 || Index >= FormCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FForms[static_cast<std::size_t>(Index)];
}

void TScreen::AddForm(TCustomForm* Form) {
    if (std::find(FForms.begin(), FForms.end(), Form) == FForms.end()) FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
    if (FActiveForm == Form) {
        FActiveForm = nullptr;
        FOnActiveFormChange(this);
    }
}

void TScreen::BringFormForward(TCustomForm* Form) {
    auto it = std::find(FForms.begin(), FForms.end(), Form);
    if (it == FForms.end()) return;
    FForms.erase(it);
    FForms.insert(FForms.begin(), Form);
}

void TScreen::SetActiveForm(TCustomForm* Form) {
    if (Form == FActiveForm) return;
    TCustomForm* old = FActiveForm;
    FActiveForm = Form;
    if (Form) BringFormForward(Form);
    if (old && old->Active()) old->Perform(CM_DEACTIVATE, 0, 0);
    if (!Form) {
        // Another visible form takes over, as the window system would choose.
        for (TCustomForm* f : std::vector<TCustomForm*>(FForms))
            if (f != old && f->Visible()) {
                FActiveForm = f;
                f->Perform(CM_ACTIVATE, 0, 0);
                break;
            }
    }
    FOnActiveFormChange(this);
    ActiveControlChanged();
}

void TScreen::ActiveControlChanged() { FOnActiveControlChange(this); }

void TScreen::SetCursor(TCursor Value) {
    if (Value == FCursor) return;
    const bool had = FCursor != crDefault;
    FCursor = Value;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    if (Value == crDefault) {
        if (had) QApplication::restoreOverrideCursor();
    } else if (had) {
        QApplication::changeOverrideCursor(QCursor(ToQtCursor(Value)));
    } else {
        QApplication::setOverrideCursor(QCursor(ToQtCursor(Value)));
    }
}

int TScreen::Width() const {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* s = QGuiApplication::primaryScreen()) return s->geometry().width();
    return 1024;
}

int TScreen::Height() const {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* s = QGuiApplication::primaryScreen()) return s->geometry().height();
    return 768;
}

TRect TScreen::WorkAreaRect() const {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* s = QGuiApplication::primaryScreen()) return FromQRect(s->availableGeometry());
    return Rect(0, 0, Width(), Height());
}

TRect TScreen::FitToWorkArea(const TRect& Bounds, bool Centre) const {
    const TRect work = WorkAreaRect();
    const int roomX = work.Right - work.Left, roomY = work.Bottom - work.Top;
    if (roomX <= 0 || roomY <= 0) return Bounds;
    const int width = Bounds.Right - Bounds.Left, height = Bounds.Bottom - Bounds.Top;
    if (Bounds.Left >= work.Left && Bounds.Top >= work.Top && Bounds.Left + width <= work.Right &&
        Bounds.Top + height <= work.Bottom)
        return Bounds;
    const int w = std::min(width, roomX), h = std::min(height, roomY);
    int x, y;
    if (Centre) {
        x = work.Left + (roomX - w) / 2;
        y = work.Top + (roomY - h) / 2;
    } else {
        x = std::clamp(Bounds.Left, work.Left, work.Right - w);
        y = std::clamp(Bounds.Top, work.Top, work.Bottom - h);
    }
    return Rect(x, y, x + w, y + h);
}
