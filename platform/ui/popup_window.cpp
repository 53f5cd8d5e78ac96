// Pop-up windows, and the outside-click watch over an application-wide event
// filter.
#include "platform/ui/popup_window.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "platform/ui/messages.h"
#include "platform/ui/qt_host.h"

namespace {
// Gives the activation back to the window that had it when the pop-up shows
// (some window systems activate every window that shows).
class TFocusKeeper : public QObject {
public:
    using QObject::QObject;
    QPointer<QWidget> Active, Focus;
    // Takes the window to give back to from the moment the window shows
    // (else from ShowAt).
    bool TakeOnShow = false;

    void Restore() {
        if (Active && QApplication::activeWindow() != Active) QApplication::setActiveWindow(Active);
        if (Focus && QApplication::focusWidget() != Focus) Focus->setFocus(Qt::OtherFocusReason);
    }
    bool eventFilter(QObject* Object, QEvent* Event) override {
        if (TakeOnShow && Event->type() == QEvent::Show) {
            if (QWidget* active = QApplication::activeWindow(); active != Object) {
                Active = active;
                Focus = QApplication::focusWidget();
            }
        } else if (Event->type() == QEvent::WindowActivate || Event->type() == QEvent::Show) {
            Restore();
            QTimer::singleShot(0, this, [this] { Restore(); });
        }
        return QObject::eventFilter(Object, Event);
    }
};
}  // namespace

void KeepActivationOff(TWinControl* Window) {
    QWidget* w = Window ? Window->Widget() : nullptr;
    if (!w) return;
    auto* keeper = new TFocusKeeper(w);
    keeper->TakeOnShow = true;
    w->installEventFilter(keeper);
}

// ---- Pop-up window ------------------------------------------------------------------------

TPopupWindow::TPopupWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    InitVisible(false);
    SetControlStyle(ControlStyle() - TControlStyle{csSetCaption});
}

void TPopupWindow::SetOwnerControl(TWinControl* Value) {
    if (FOwnerControl) FOwnerControl->RemoveFreeNotification(this);
    FOwnerControl = Value;
    if (Value) Value->FreeNotification(this);
}

void TPopupWindow::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WindowClassStyle |= CS_SAVEBITS;
    // Ownerless: the window lives as long as this control, not its owner's window.
    Params.WndParent = nullptr;
}

void TPopupWindow::CreateWindowHandle(const TCreateParams& Params) {
    inherited::CreateWindowHandle(Params);
    if (QWidget* w = Widget()) {
        w->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
        w->setFocusPolicy(Qt::NoFocus);
    }
}

void TPopupWindow::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FOwnerControl) FOwnerControl = nullptr;
}

void TPopupWindow::ShowAt(int X, int Y, int AWidth, int AHeight) {
    QWidget* active = QApplication::activeWindow();
    QWidget* focus = QApplication::focusWidget();
    SetBounds(X, Y, AWidth, AHeight);
    SetVisible(true);
    HandleNeeded();
    if (QWidget* w = Widget()) {
        // Found by its own type: the window's child widgets are QObjects too.
        TFocusKeeper* keeper = nullptr;
        for (QObject* child : w->children())
            if (auto* k = dynamic_cast<TFocusKeeper*>(child)) keeper = k;
        if (!keeper) {
            keeper = new TFocusKeeper(w);
            w->installEventFilter(keeper);
        }
        keeper->Active = active;
        keeper->Focus = focus;
    }
    StayAboveOwnerWindow();
    UpdateWidgetVisibility();
    if (QWidget* w = Widget()) w->raise();
}

// The window floats above its owner's window for the window system, and a
// modal window that window is or lies under blocks it no more than its owner:
// its clicks (and the presses its pointer grab takes in) reach it.
void TPopupWindow::StayAboveOwnerWindow() {
    TWinControl* owner = FOwnerControl ? FOwnerControl : dynamic_cast<TWinControl*>(Owner());
    QWidget* w = Widget();
    QWidget* ownerWidget = owner && owner->HandleAllocated() ? owner->Widget() : nullptr;
    if (!w || !ownerWidget) return;
    QWidget* top = ownerWidget->window();
    if (!top || top == w) return;
    if (!w->windowHandle()) w->winId();
    if (QWindow* window = w->windowHandle(); window && top->windowHandle())
        window->setTransientParent(top->windowHandle());
}

void TPopupWindow::ClosePopup() { SetVisible(false); }

bool TPopupWindow::ForwardKey(uint16_t& Key, TShiftState Shift) {
    if (!Visible() || Key == 0) return false;
    KeyDown(Key, Shift);
    return Key == 0;
}

// ---- Outside-click watch ---------------------------------------------------------------

namespace {
class TClickWatcher;

struct TWatch {
    TWinControl* Control;
    std::vector<TControl*> Inside;
    // The control's top-level window and where it stood when the watch began.
    QPointer<QWidget> Window;
    QPoint Origin;
};

QWidget* TopLevelOf(TControl* C) {
    auto* win = dynamic_cast<TWinControl*>(C);
    if (!win && C) win = C->Parent();
    QWidget* w = win ? win->Widget() : nullptr;
    return w ? w->window() : nullptr;
}

// Ends watches of destroyed controls.
class TWatchGuard : public TComponent {
public:
    TWatchGuard() : TComponent(nullptr) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
};

class TClickWatcher : public QObject {
public:
    std::vector<TWatch> Watches;
    TWatchGuard Guard;
    bool Installed = false;
    // A window system sends a press on a window's own frame (or on another
    // program) to no program: while a watch's own window (a drop-down) shows
    // and the pointer is off the program's windows, the pointer is grabbed
    // for that window, so that such a press comes here and is used up
    // closing the drop-down. Over the program's windows nothing is grabbed:
    // a press there reaches its control as it would.
    QPointer<QWindow> Grab;
    bool SwallowRelease = false;
    bool RetryPending = false;
    int Retries = 0;

    bool eventFilter(QObject* Object, QEvent* Event) override {
        const auto type = Event->type();
        if ((type == QEvent::MouseButtonPress || type == QEvent::NonClientAreaMouseButtonPress) &&
            Object->isWidgetType()) {
            auto* me = static_cast<QMouseEvent*>(Event);
            const QPoint g = me->globalPosition().toPoint();
            // The release of a press used up may never come here (the grab
            // ends with the drop-down).
            SwallowRelease = false;
            if (Grab && Event->spontaneous() && !InOwnWindows({g.x(), g.y()})) {
                // Grabbed: the press comes to the drop-down wherever it was,
                // the watched control included, and only closes it.
                for (const TWatch& w : std::vector<TWatch>(Watches))
                    PostMessage(w.Control, CM_CANCELMODE, 0, 0);
                SwallowRelease = true;
                return true;
            }
            Check({g.x(), g.y()});
        } else if ((type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick) &&
                   Object->isWidgetType()) {
            if (SwallowRelease) {
                if (type == QEvent::MouseButtonRelease) SwallowRelease = false;
                return true;
            }
            // A drop-down opened by a press grabs once the button is up.
            if (!Grab && !Watches.empty()) QTimer::singleShot(0, this, [this] { UpdateGrab(); });
        } else if (type == QEvent::Leave && !Grab && !Watches.empty()) {
            // The pointer left a window of the program: at once, before a
            // press that follows.
            UpdateGrab();
        } else if (type == QEvent::MouseMove && Grab && Event->spontaneous()) {
            // The pointer moved under the grab, maybe back over a window.
            UpdateGrab(static_cast<QMouseEvent*>(Event)->globalPosition().toPoint());
        } else if ((type == QEvent::Move || type == QEvent::WindowDeactivate) && Object->isWidgetType() &&
                   static_cast<QWidget*>(Object)->isWindow()) {
            auto* w = static_cast<QWidget*>(Object);
            if (type == QEvent::Move)
                Moved(w);
            else
                // Decided once the activation settled: a pop-up that a window
                // system activated hands it back at once.
                QTimer::singleShot(0, this, [this, p = QPointer<QWidget>(w)] { Deactivated(p); });
        }
        return QObject::eventFilter(Object, Event);
    }

    // The window a watched control sits in moved: its drop-down would float
    // away from it.
    void Moved(QWidget* W) {
        const std::vector<TWatch> now = Watches;
        for (const TWatch& w : now)
            if (w.Window == W && W->pos() != w.Origin) PostMessage(w.Control, CM_CANCELMODE, 0, 0);
    }

    // The window a watched control sits in lost the activation to another
    // program or to a dialog. (Another window of the program takes it with a
    // press, which the click rule sees.)
    void Deactivated(const QPointer<QWidget>& W) {
        if (!W) return;
        QWidget* active = QApplication::activeWindow();
        if (active && active != QApplication::activeModalWidget()) return;
        const std::vector<TWatch> now = Watches;
        for (const TWatch& w : now) {
            if (w.Window != W || active == W) continue;
            bool own = false;
            for (TControl* c : w.Inside) own = own || (active && TopLevelOf(c) == active);
            if (!own) PostMessage(w.Control, CM_CANCELMODE, 0, 0);
        }
    }

    static bool Contains(TControl* C, const TPoint& P) {
        if (!C || !C->Showing()) return false;
        const TPoint o = C->ClientToScreen({0, 0});
        return P.X >= o.X && P.X < o.X + C->Width() && P.Y >= o.Y && P.Y < o.Y + C->Height();
    }

    void Check(const TPoint& P) {
        const std::vector<TWatch> now = Watches;
        for (const TWatch& w : now) {
            bool inside = Contains(w.Control, P);
            for (TControl* c : w.Inside) inside = inside || Contains(c, P);
            if (!inside) PostMessage(w.Control, CM_CANCELMODE, 0, 0);
        }
    }

    // The point lies on a window a watch names as its own.
    bool InOwnWindows(const TPoint& P) const {
        for (const TWatch& w : Watches)
            for (TControl* c : w.Inside)
                if (Contains(c, P)) return true;
        return false;
    }

    // A modal window other than Window, and not one it floats above, blocks it.
    static bool BlockedByModal(QWidget* Window) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || Window == modal) return false;
        QWindow* modalWindow = modal->windowHandle();
        QWindow* window = Window->windowHandle();
        return modalWindow && window && !modalWindow->isAncestorOf(window, QWindow::IncludeTransients);
    }

    // Grabs the pointer for the last watch's own window while one shows and
    // the pointer is off the program's windows or over one a modal window
    // blocks, and lets it go otherwise (the off-screen platform has no pointer
    // to grab: the window is only named).
    void UpdateGrab() { UpdateGrab(QCursor::pos()); }
    void UpdateGrab(const QPoint& Pointer) {
        QWindow* want = nullptr;
        for (const TWatch& w : Watches)
            for (TControl* c : w.Inside)
                if (QWidget* top = TopLevelOf(c);
                    top && top != w.Window && top->isVisible() && top->windowHandle())
                    want = top->windowHandle();
        // A window a modal one blocks takes no press: one there is the grab's.
        if (QWidget* under = QApplication::topLevelAt(Pointer); want && under && !BlockedByModal(under))
            want = nullptr;
        if (Grab && Grab != want) {
            if (QGuiApplication::platformName() != "offscreen") Grab->setMouseGrabEnabled(false);
            Grab = nullptr;
        }
        if (!want) Retries = 0;
        // A press in progress keeps its grab; the release comes back here.
        if (!want || Grab == want || QGuiApplication::mouseButtons() != Qt::NoButton) return;
        if (QGuiApplication::platformName() == "offscreen") {
            // No pointer to grab: the window is only named.
            Grab = want;
            return;
        }
        if (want->isExposed() && want->setMouseGrabEnabled(true)) {
            Grab = want;
            Retries = 0;
        } else if (!RetryPending && Retries < 50) {
            // Not shown yet: the window system grabs only for a shown window.
            ++Retries;
            RetryPending = true;
            QTimer::singleShot(20, this, [this] {
                RetryPending = false;
                UpdateGrab();
            });
        }
    }

    void Remove(TComponent* C) {
        std::erase_if(Watches, [C](const TWatch& w) { return w.Control == C; });
        for (TWatch& w : Watches) std::erase(w.Inside, C);
        UpdateGrab();
    }
};

TClickWatcher& Watcher() {
    static TClickWatcher* watcher = new TClickWatcher;
    return *watcher;
}

void TWatchGuard::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) Watcher().Remove(AComponent);
}
}  // namespace

void WatchOutsideClicks(TWinControl* Control, const std::vector<TControl*>& Inside) {
    if (!Control) return;
    EnsureToolkit();
    TClickWatcher& w = Watcher();
    if (!w.Installed) {
        qApp->installEventFilter(&w);
        w.Installed = true;
    }
    StopOutsideClicks(Control);
    Control->FreeNotification(&w.Guard);
    for (TControl* c : Inside)
        if (c) c->FreeNotification(&w.Guard);
    TWatch watch{Control, Inside, TopLevelOf(Control), QPoint()};
    if (watch.Window) watch.Origin = watch.Window->pos();
    w.Watches.push_back(watch);
    w.UpdateGrab();
}

void StopOutsideClicks(TWinControl* Control) {
    TClickWatcher& w = Watcher();
    std::erase_if(w.Watches, [Control](const TWatch& x) { return x.Control == Control; });
    w.UpdateGrab();
}

bool WatchesOutsideClicks(const TWinControl* Control) {
    const auto& list = Watcher().Watches;
    return std::any_of(list.begin(), list.end(), [Control](const TWatch& x) { return x.Control == Control; });
}

int OutsideClickWatchCount() { return static_cast<int>(Watcher().Watches.size()); }

TWinControl* OutsideClickGrabWindow() {
    QWindow* grab = Watcher().Grab;
    if (!grab) return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowHandle() == grab) return FindControlOfWidget(w);
    return nullptr;
}
