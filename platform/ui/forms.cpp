// Forms: showing, modal loops, closing, activation and the focused control.
#include "platform/ui/forms.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/drawing.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/qt_window_frame.h"
#include "platform/ui/testing.h"

namespace {
// The modal forms running, innermost last.
std::vector<TCustomForm*>& ModalForms() {
    static std::vector<TCustomForm*> forms;
    return forms;
}

QWindow* WindowOf(TCustomForm* Form) {
    QWidget* w = Form ? Form->Widget() : nullptr;
    if (!w) return nullptr;
    if (!w->windowHandle()) w->winId();
    return w->windowHandle();
}

// A window shown while a modal form runs belongs to that form, so the
// toolkit lets its input through as the platform does for windows made
// after the modal loop began.
void BelongToModalForm(TCustomForm* Form) {
    const auto& modal = ModalForms();
    if (modal.empty() || modal.back() == Form || Form->FormState().Contains(fsModal)) return;
    QWindow* owner = WindowOf(modal.back());
    QWindow* window = WindowOf(Form);
    if (owner && window && window != owner) window->setTransientParent(owner);
}

// The modal form Form ended: its windows go to the modal form below, or to
// nobody.
void ReleaseFromModalForm(TCustomForm* Form) {
    auto& modal = ModalForms();
    modal.erase(std::remove(modal.begin(), modal.end(), Form), modal.end());
    QWidget* fw = Form->Widget();
    QWindow* old = fw ? fw->windowHandle() : nullptr;
    if (!old || !Screen) return;
    QWindow* next = modal.empty() ? nullptr : WindowOf(modal.back());
    for (int i = 0; i < Screen->FormCount(); ++i) {
        QWidget* w = Screen->Forms(i)->Widget();
        QWindow* window = w ? w->windowHandle() : nullptr;
        if (window && window != next && window->transientParent() == old) window->setTransientParent(next);
    }
}
}  // namespace

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
    EnsureToolkit();
    FCanvas->SetControl(this);
    InitVisible(false);
    SetControlStyle(ControlStyle() + csAcceptsControls);
    SetColor(clBtnFace);
    SetParentFont(false);
    SetBounds(0, 0, 320, 240);
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    BeforeDestruction();
    Destroying();
    ReleaseFromModalForm(this);
    FMenuBar = nullptr;  // its menu may go after this part of the form
    if (Screen) Screen->RemoveForm(this);
    FActiveControl = nullptr;
    FFocusedControl = nullptr;
    DestroyHandle();
}

void TCustomForm::AfterConstruction() {
    if (FCreated) return;
    FCreated = true;
    DoCreate();
}

void TCustomForm::BeforeDestruction() {
    if (FDestroyFired || !FCreated) return;
    FDestroyFired = true;
    DoDestroy();
}

void TCustomForm::DoCreate() {
    try {
        FOnCreate(this);
    } catch (...) {
        HandleGuardedException(this);
    }
}

void TCustomForm::DoDestroy() {
    try {
        FOnDestroy(this);
    } catch (...) {
        HandleGuardedException(this);
    }
}

void TCustomForm::DoShow() { FOnShow(this); }
void TCustomForm::DoHide() { FOnHide(this); }
void TCustomForm::DoClose(TCloseAction& Action) { FOnClose(this, Action); }
void TCustomForm::Activate() { FOnActivate(this); }
void TCustomForm::Deactivate() { FOnDeactivate(this); }
void TCustomForm::Paint() { FOnPaint(this); }

TCanvas* TCustomForm::Canvas() const { return FCanvas.get(); }

void TCustomForm::PaintWindow(TCanvas*) {
    FCanvas->SetFont(Font());
    FCanvas->Brush()->SetColor(Color());
    try {
        Paint();
    } catch (...) {
        UnbindCanvas(FCanvas.get());
        throw;
    }
    UnbindCanvas(FCanvas.get());
}

// ---- Geometry ---------------------------------------------------------------------------

TRect TCustomForm::FrameMargins() const {
    int frame = 0, caption = 0;
    switch (FBorderStyle) {
    case bsNone: break;
    case bsSizeable:
        frame = GetSystemMetrics(SM_CXFRAME);
        caption = GetSystemMetrics(SM_CYCAPTION);
        break;
    case bsSizeToolWin:
        frame = GetSystemMetrics(SM_CXFRAME);
        caption = 16;
        break;
    case bsToolWindow:
        frame = GetSystemMetrics(SM_CXDLGFRAME);
        caption = 16;
        break;
    default:
        frame = GetSystemMetrics(SM_CXDLGFRAME);
        caption = GetSystemMetrics(SM_CYCAPTION);
        break;
    }
    return {frame, frame + caption, frame, frame};
}

TRect TCustomForm::BorderFromParams(const TCreateParams&) const { return {}; }

TRect TCustomForm::ClientRect() const {
    const TRect f = FrameMargins();
    const TRect n = NonClientMargins();
    return Rect(0, 0, std::max(0, Width() - f.Left - f.Right - n.Left - n.Right),
                std::max(0, Height() - f.Top - f.Bottom - n.Top - n.Bottom));
}

TPoint TCustomForm::ClientOrigin() const {
    const TRect n = NonClientMargins();
    if (QWidget* w = Widget()) {
        const QPoint g = w->mapToGlobal(QPoint(n.Left, n.Top));
        return {g.x(), g.y()};
    }
    const TRect f = FrameMargins();
    return {Left() + f.Left + n.Left, Top() + f.Top + n.Top};
}

void TCustomForm::UpdateWidgetGeometry() {
    QWidget* w = Widget();
    if (!w) return;
    const TRect f = FrameMargins();
    const int width = std::max(1, Width() - f.Left - f.Right),
              height = std::max(1, Height() - f.Top - f.Bottom);
    // A dialog border has no sizing frame: the window manager is told that
    // the user cannot resize it (nor maximise it).
    if (FBorderStyle == bsDialog) {
        w->setFixedSize(width, height);
        FFixedByBorder = true;
    } else {
        if (FFixedByBorder) {
            w->setMinimumSize(0, 0);
            w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            FFixedByBorder = false;
        }
        ApplySizeLimits();
    }
    w->setGeometry(Left() + f.Left, Top() + f.Top, width, height);
    if (FMenuBar) FMenuBar->PlaceMenuBar(this);
}

// ---- Menu bar ------------------------------------------------------------------------------

void TCustomForm::SetMenuBar(TFormMenuBar* Bar) {
    if (Bar == FMenuBar) return;
    FMenuBar = Bar;
    MenuBarChanged();
}

void TCustomForm::MenuBarChanged() {
    if (ComponentState().Contains(csDestroying)) return;
    const int h = FMenuBar ? std::max(0, FMenuBar->MenuBarHeight()) : 0;
    SetNonClientMargins(Rect(0, h, 0, 0));
    if (FMenuBar && Widget()) FMenuBar->PlaceMenuBar(this);
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!FBoundsFromWindow && (ALeft != Left() || ATop != Top() || AWidth != Width() || AHeight != Height()))
        FFitOnFrame = false;
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomForm::WindowGeometryChanged(int ALeft, int ATop, int AWidth, int AHeight) {
    const TRect f = FrameMargins();
    const int width = AWidth + f.Left + f.Right, height = AHeight + f.Top + f.Bottom;
    const bool fromWindow = FBoundsFromWindow;
    FBoundsFromWindow = true;
    try {
        SetBounds(ALeft - f.Left, ATop - f.Top, width, height);
    } catch (...) {
        FBoundsFromWindow = fromWindow;
        throw;
    }
    FBoundsFromWindow = fromWindow;
    // A size the constraints refuse: the window goes back to the form's.
    if (Width() != width || Height() != height) UpdateWidgetGeometry();
}

void TCustomForm::ApplySizeLimits() {
    QWidget* w = Widget();
    if (!w || FBorderStyle == bsDialog) return;
    const TSizeConstraints* c = Constraints();
    if (c->Empty() && !FLimitedByConstraints) return;
    FLimitedByConstraints = !c->Empty();
    const TRect f = FrameMargins();
    const int frameX = f.Left + f.Right, frameY = f.Top + f.Bottom;
    w->setMinimumSize(std::max(0, c->MinWidth() - frameX), std::max(0, c->MinHeight() - frameY));
    w->setMaximumSize(c->MaxWidth() > 0 ? std::max(1, c->MaxWidth() - frameX) : QWIDGETSIZE_MAX,
                      c->MaxHeight() > 0 ? std::max(1, c->MaxHeight() - frameY) : QWIDGETSIZE_MAX);
}

void TCustomForm::ConstraintsChanged(TObject* Sender) {
    ApplySizeLimits();
    TWinControl::ConstraintsChanged(Sender);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (Value == FBorderStyle) return;
    // The client area keeps its size.
    const int cw = ClientWidth(), ch = ClientHeight();
    FBorderStyle = Value;
    FWindowFramed = false;  // the new border's frame is not known yet
    SetBounds(Left(), Top(), Width(), Height());
    SetClientWidth(cw);
    SetClientHeight(ch);
    UpdateWidgetGeometry();
    ApplyWindowFlags();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    FBorderIcons = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
    FFormStyle = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetWindowState(TWindowState Value) {
    FWindowState = Value;
    QWidget* w = Widget();
    if (!w || !w->isVisible()) return;
    switch (Value) {
    case wsMinimized: w->showMinimized(); break;
    case wsMaximized: w->showMaximized(); break;
    default: w->showNormal(); break;
    }
}

// ---- Window -------------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.WndParent = nullptr;
    Params.Style = WS_CLIPCHILDREN;
    switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: Params.Style |= WS_CAPTION; break;
    case bsSizeable:
    case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        Params.Style |= WS_CAPTION;
        Params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (FBorderIcons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
    if (FBorderIcons.Contains(biMinimize) && FBorderStyle != bsDialog) Params.Style |= WS_MINIMIZEBOX;
    if (FBorderIcons.Contains(biMaximize) && FBorderStyle != bsDialog) Params.Style |= WS_MAXIMIZEBOX;
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    if (QWidget* w = Widget()) {
        // A form is a window of its own even with WS_POPUP (no border).
        w->setAttribute(Qt::WA_ShowWithoutActivating, false);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->setFocusPolicy(Qt::StrongFocus);
    }
    ApplyWindowFlags();
    MenuBarChanged();
}

void TCustomForm::ApplyWindowFlags() {
    QWidget* w = Widget();
    if (!w) return;
    Qt::WindowFlags flags;
    switch (FBorderStyle) {
    case bsNone: flags = Qt::Window | Qt::FramelessWindowHint; break;
    case bsDialog: flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    case bsToolWindow:
    case bsSizeToolWin: flags = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    default:
        flags = Qt::Window | Qt::WindowTitleHint;
        if (FBorderIcons.Contains(biSystemMenu))
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderIcons.Contains(biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
        if (FBorderIcons.Contains(biMaximize)) flags |= Qt::WindowMaximizeButtonHint;
        break;
    }
    if (FFormStyle == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
    if (w->windowFlags() == flags) return;
    const bool visible = w->isVisible();
    w->setWindowFlags(flags);  // hides the window
    UpdateWidgetGeometry();
    if (visible) w->show();
}

void TCustomForm::UpdateWidgetVisibility() {
    // Showing and hiding go through VisibleChanged.
}

void TCustomForm::PlaceOnShow() {
    if (FPlaced) return;
    FPlaced = true;
    PlaceByPosition();
    // Every window opens on the screen's work area, whatever size it was
    // made at: smaller when the screen is, its frame and caption on it.
    if (Screen) {
        const TRect bounds = Rect(Left(), Top(), Left() + Width(), Top() + Height());
        const TRect fitted =
            Screen->FitToWorkArea(bounds, FPosition == poScreenCenter || FPosition == poDesktopCenter);
        if (fitted != bounds)
            SetBounds(fitted.Left, fitted.Top, fitted.Right - fitted.Left, fitted.Bottom - fitted.Top);
    }
    PlacedOnShow();
}

// The frame placed round the window by the window system may be larger
// than the one estimated when it was placed: once it is known, the window
// moves (or shrinks) so that frame and caption lie on the work area.
void TCustomForm::WatchFrame() {
    FFitOnFrame = true;
    QPointer<QWidget> widget = Widget();
    WatchFirstFrame(widget, [widget](const QMargins& Frame) {
        auto* host = dynamic_cast<IWidgetHost*>(widget.data());
        auto* form = host ? dynamic_cast<TCustomForm*>(host->HostControl()) : nullptr;
        if (!form) return;
        try {
            form->FitFrameOnWorkArea(TRect{Frame.left(), Frame.top(), Frame.right(), Frame.bottom()});
        } catch (...) {
            HandleGuardedException(form);
        }
    });
}

void TCustomForm::FitFrameOnWorkArea(const TRect& Frame) {
    const bool fit = FFitOnFrame;
    FFitOnFrame = false;
    FWindowFrame = Frame;
    FWindowFramed = true;
    WindowFramed();
    QWidget* w = Widget();
    if (!fit || !w || FWindowState != wsNormal ||
        (w->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    const QRect client = w->geometry();
    const QRect fitted = FitFramedClient(client, QMargins(Frame.Left, Frame.Top, Frame.Right, Frame.Bottom));
    if (fitted == client) return;
    // The form's bounds keep the frame they were placed with.
    const TRect f = FrameMargins();
    SetBounds(fitted.x() - f.Left, fitted.y() - f.Top, fitted.width() + f.Left + f.Right,
              fitted.height() + f.Top + f.Bottom);
}

void TCustomForm::PlaceByPosition() {
    TCustomForm* over = nullptr;
    switch (FPosition) {
    case poMainFormCenter: over = Application ? Application->MainForm() : nullptr; break;
    case poOwnerFormCenter:
        over = dynamic_cast<TCustomForm*>(Owner());
        if (!over && Application) over = Application->MainForm();
        break;
    case poScreenCenter:
    case poDesktopCenter: break;
    default: return;
    }
    if (over == this || (over && !over->Visible())) over = nullptr;
    int x, y;
    if (over) {
        x = over->Left() + (over->Width() - Width()) / 2;
        y = over->Top() + (over->Height() - Height()) / 2;
    } else {
        const int sw = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
        const int sh = Screen ? Screen->Height() : GetSystemMetrics(SM_CYSCREEN);
        x = (sw - Width()) / 2;
        y = (sh - Height()) / 2;
    }
    // Never with the caption off the screen.
    SetBounds(std::max(0, x), std::max(0, y), Width(), Height());
}

void TCustomForm::VisibleChanged() {
    if (Visible()) {
        AfterConstruction();
        if (!Visible()) return;  // OnCreate hid it again
        HandleNeeded();
        const bool firstShow = !FPlaced;
        PlaceOnShow();
        DoShow();
        QWidget* w = Widget();
        if (!w || !Visible()) return;
        BelongToModalForm(this);
        switch (FWindowState) {
        case wsMinimized: w->showMinimized(); break;
        case wsMaximized: w->showMaximized(); break;
        default: w->show(); break;
        }
        if (firstShow) WatchFrame();
        RaiseWindow(w);
        w->activateWindow();
        if (Screen) Screen->BringFormForward(this);
        if (!FActiveControl) {
            if (TWinControl* first = FindNextControl(nullptr, true, true, false)) FActiveControl = first;
        }
        // The toolkit activates the window when it gets to it; the form is
        // active from now on.
        if (!FActive)
            Perform(CM_ACTIVATE, 0, 0);
        else
            SetWindowFocus();
    } else {
        QWidget* w = Widget();
        const bool wasShowing = w && w->isVisible();
        if (wasShowing || FActive) DoHide();
        if (w) w->hide();
        if (FActive) Perform(CM_DEACTIVATE, 0, 0);
        if (Screen && Screen->ActiveForm() == this) Screen->SetActiveForm(nullptr);
    }
}

void TCustomForm::Show() {
    SetVisible(true);
    if (QWidget* w = Widget()) RaiseWindow(w);
}

void TCustomForm::Hide() { SetVisible(false); }

// ---- Modal ---------------------------------------------------------------------------------

int TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation("Cannot make a visible window modal");
    AfterConstruction();
    SetCaptureControl(nullptr);
    TCustomForm* previous = Screen ? Screen->ActiveForm() : nullptr;
    FFormState.Include(fsModal);
    if (Application) Application->ModalStarted();
    FModalResult = mrNone;
    // A form freed by a handler while it is modal (rather than released)
    // ends the loop; nothing of it is touched after.
    const TControlWatch watch(this);
    auto cleanup = [&] {
        ReleaseFromModalForm(this);
        FFormState.Exclude(fsModal);
        if (Visible()) Hide();
        // Only a hidden window leaves the toolkit's modal stack properly.
        if (QWidget* w = Widget()) {
            if (w->isVisible()) w->hide();
            w->setWindowModality(Qt::NonModal);
        }
        if (Application) Application->ModalFinished();
        if (previous && previous != this && previous->Visible()) {
            if (QWidget* pw = previous->Widget()) pw->activateWindow();
            previous->Perform(CM_ACTIVATE, 0, 0);
        }
        // A release asked for while modal frees the form once ShowModal is over.
        if (FReleaseAfterModal) {
            FReleaseAfterModal = false;
            Release();
        }
    };
    auto freed = [&] {
        if (Application) Application->ModalFinished();
        return static_cast<int>(mrCancel);
    };
    try {
        HandleNeeded();
        if (QWidget* w = Widget()) w->setWindowModality(Qt::ApplicationModal);
        ModalForms().push_back(this);
        Show();
        if (TTestModalForms* script = ActiveModalScript()) {
            script->Run(this);
            if (watch.Gone()) return freed();
            if (FModalResult != mrNone) CloseModal();
            if (watch.Gone()) return freed();
            // What the step set going may still close the form.
            QEventLoop loop;
            while (FModalResult == mrNone && loop.processEvents(QEventLoop::AllEvents)) {
                if (watch.Gone()) return freed();
                if (FModalResult != mrNone) CloseModal();
                if (watch.Gone()) return freed();
            }
            if (FModalResult == mrNone)
                throw EInvalidOperation(Format("Modal form %s was not answered", ClassName()));
        } else {
            while (FModalResult == mrNone) {
                if (Application)
                    Application->HandleMessage();
                else
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                if (watch.Gone()) return freed();
                if (Application && Application->Terminated()) FModalResult = mrCancel;
                if (FModalResult != mrNone) CloseModal();
                if (watch.Gone()) return freed();
            }
        }
    } catch (...) {
        if (watch.Gone()) {
            freed();
            throw;
        }
        cleanup();
        throw;
    }
    const int result = FModalResult;
    cleanup();
    return result;
}

void TCustomForm::CloseModal() {
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        switch (action) {
        case caNone: FModalResult = mrNone; break;
        case caFree: Release(); break;
        default: break;
        }
    } catch (...) {
        FModalResult = mrNone;
        HandleGuardedException(this);
    }
}

// ---- Closing -------------------------------------------------------------------------------

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    FOnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    default: Release(); break;
    }
}

void TCustomForm::Release() { PostMessage(this, CM_RELEASE, 0, 0); }

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::CMRelease(TMessage&) {
    if (FFormState.Contains(fsModal)) {
        FReleaseAfterModal = true;
        return;
    }
    BeforeDestruction();
    delete this;
}

// ---- Activation and focus ----------------------------------------------------------------

void TCustomForm::CMActivate(TMessage&) {
    if (FActive) return;
    FActive = true;
    FFormState.Include(fsActivated);
    if (Screen) Screen->SetActiveForm(this);
    SetWindowFocus();
    Activate();
}

void TCustomForm::CMDeactivate(TMessage&) {
    if (!FActive) return;
    FActive = false;
    Deactivate();
}

void TCustomForm::SetWindowFocus() {
    if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus()) {
        FActiveControl->HandleNeeded();
        if (QWidget* w = FActiveControl->Widget()) w->setFocus(Qt::ActiveWindowFocusReason);
        SetFocusedControl(FActiveControl);
    } else if (QWidget* w = Widget()) {
        w->setFocus(Qt::ActiveWindowFocusReason);
    }
}

bool TCustomForm::CanFocus() const { return Visible() && Enabled(); }

void TCustomForm::SetFocus() {
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (QWidget* w = Widget()) {
        RaiseWindow(w);
        w->activateWindow();
    }
    if (!FActive)
        Perform(CM_ACTIVATE, 0, 0);
    else
        SetWindowFocus();
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (Control == FActiveControl) return;
    if (Control && (Control == this || GetParentForm(Control) != this))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (Control && Visible() && !Control->CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    FActiveControl = Control;
    if (Control) Control->FreeNotification(this);
    if (FActive && Control) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
    const bool wasActive = FActive;
    SetActiveControl(Control);
    if (!wasActive)
        SetFocus();
    else if (Control && !Control->Focused())
        SetWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    if (ComponentState().Contains(csDestroying)) return false;
    if (Control && Control != this) FActiveControl = Control;
    if (Control == FFocusedControl) return true;
    TWinControl* old = FFocusedControl;
    FFocusedControl = Control;
    if (Control) Control->FreeNotification(this);
    // The controls left, from the old one outwards.
    TWinControl* common = nullptr;
    for (TWinControl* p = old; p; p = p->Parent())
        if (Control && p->ContainsControl(Control)) {
            common = p;
            break;
        }
    // An OnExit may free the control it is called for.
    const TControlWatch oldWatch(old);
    try {
        for (TWinControl* p = old; p && p != common && p != this;) {
            TWinControl* next = p->Parent();
            p->Perform(CM_EXIT, 0, 0);
            if (FFocusedControl != Control) return false;
            p = next;
        }
    } catch (...) {
        // A control that refuses to be left keeps the focus.
        if (oldWatch.Gone()) old = nullptr;
        FFocusedControl = old;
        FActiveControl = old;
        if (old)
            if (QWidget* w = old->Widget()) w->setFocus(Qt::OtherFocusReason);
        throw;
    }
    // The controls entered, from the outermost inwards.
    std::vector<TWinControl*> entered;
    for (TWinControl* p = Control; p && p != common && p != this; p = p->Parent()) entered.push_back(p);
    for (auto it = entered.rbegin(); it != entered.rend(); ++it) {
        (*it)->Perform(CM_ENTER, 0, 0);
        if (FFocusedControl != Control) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
    if (Screen) Screen->ActiveControlChanged();
    return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool) {
    if (!Control) return;
    if (FFocusedControl && Control->ContainsControl(FFocusedControl)) FFocusedControl = nullptr;
    if (FActiveControl && Control->ContainsControl(FActiveControl)) {
        FActiveControl = nullptr;
        if (!ComponentState().Contains(csDestroying) && FActive)
            if (QWidget* w = Widget()) w->setFocus(Qt::OtherFocusReason);
    }
}

void TCustomForm::SendCancelMode(TControl* Sender) {
    if (FActive && FActiveControl)
        FActiveControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
}

void TCustomForm::WMSetFocus(TMessage& Message) {
    // The window itself got the keyboard: it belongs to the active control.
    if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus()) {
        if (QWidget* w = FActiveControl->Widget(); w && w != Widget()) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    TWinControl::WMSetFocus(Message);
}

// ---- Keys -----------------------------------------------------------------------------------

bool TCustomForm::IsShortCut(TMessage& Message) {
    bool handled = false;
    FOnShortCut(Message, handled);
    if (handled) return true;
    const auto key = static_cast<uint16_t>(Message.WParam);
    const TShiftState shift = KeyDataToShiftState(Message.LParam);
    const auto handlers = FShortCutHandlers;
    for (const auto& h : handlers)
        if (h.Handler && h.Handler(key, shift)) return true;
    return false;
}

void TCustomForm::AddShortCutHandler(TComponent* Owner, std::function<bool(uint16_t, TShiftState)> Handler) {
    FShortCutHandlers.push_back({Owner, std::move(Handler)});
    if (Owner) Owner->FreeNotification(this);
}

void TCustomForm::RemoveShortCutHandlers(TComponent* Owner) {
    FShortCutHandlers.erase(std::remove_if(FShortCutHandlers.begin(), FShortCutHandlers.end(),
                                           [Owner](const TShortCutHandler& h) { return h.Owner == Owner; }),
                            FShortCutHandlers.end());
}

void TCustomForm::CMDialogKey(TMessage& Message) {
    const TShiftState shift = KeyDataToShiftState(Message.LParam);
    switch (Message.WParam) {
    case VK_TAB:
        if (!shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
            SelectNext(FActiveControl, !shift.Contains(ssShift), true);
            Message.Result = 1;
            return;
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
            FActiveControl->Parent()->SelectNext(
                FActiveControl, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
            Message.Result = 1;
            return;
        }
        break;
    default: break;
    }
    TWinControl::CMDialogKey(Message);
}

// ---- Messages and notifications ----------------------------------------------------------

void TCustomForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CLOSE: WMClose(Message); break;
    case CM_ACTIVATE: CMActivate(Message); break;
    case CM_DEACTIVATE: CMDeactivate(Message); break;
    case CM_RELEASE: CMRelease(Message); break;
    case WM_NEXTDLGCTL:
        // As a dialog does: a control given in WParam (LParam non-zero), else
        // the next (WParam 0) or previous control in tab order.
        if (Message.LParamLo() != 0) {
            if (auto* c = reinterpret_cast<TWinControl*>(Message.WParam);
                c && ContainsControl(c) && c->CanFocus())
                c->SetFocus();
        } else {
            SelectNext(FActiveControl, Message.WParam == 0, true);
        }
        break;
    default: TWinControl::Dispatch(Message); break;
    }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FActiveControl) FActiveControl = nullptr;
    if (AComponent == FFocusedControl) FFocusedControl = nullptr;
    RemoveShortCutHandlers(AComponent);
}

void TCustomForm::Publish(TPublisher<TCustomForm>& p) {
    p.Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    p.Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons);
    p.Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle);
    p.Property("Caption", &TControl::Caption, &TControl::SetCaption);
    p.Property("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight);
    p.Property("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth);
    p.Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle);
    p.Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview);
    p.Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition);
    p.Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState);
    p.Property("OnActivate", &TCustomForm::OnActivate, &TCustomForm::SetOnActivate);
    p.Property("OnClose", &TCustomForm::OnClose, &TCustomForm::SetOnClose);
    p.Property("OnCloseQuery", &TCustomForm::OnCloseQuery, &TCustomForm::SetOnCloseQuery);
    p.Property("OnCreate", &TCustomForm::OnCreate, &TCustomForm::SetOnCreate);
    p.Property("OnDeactivate", &TCustomForm::OnDeactivate, &TCustomForm::SetOnDeactivate);
    p.Property("OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::SetOnDestroy);
    p.Property("OnHide", &TCustomForm::OnHide, &TCustomForm::SetOnHide);
    p.Property("OnPaint", &TCustomForm::OnPaint, &TCustomForm::SetOnPaint);
    p.Property("OnShortCut", &TCustomForm::OnShortCut, &TCustomForm::SetOnShortCut);
    p.Property("OnShow", &TCustomForm::OnShow, &TCustomForm::SetOnShow);
}
