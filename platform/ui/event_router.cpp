// Toolkit events become messages: the routing behind every control's window.
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QHelpEvent>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QWheelEvent>

#include <map>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_host.h"

// ---- Dispatch scope and widget disposal --------------------------------------------

namespace {
int GDepth = 0;
}  // namespace

TDispatchScope::TDispatchScope() { ++GDepth; }
TDispatchScope::~TDispatchScope() { --GDepth; }
int TDispatchScope::Depth() { return GDepth; }

void DisposeWidget(QWidget* Widget) {
    if (!Widget) return;
    Widget->hide();
    // A widget may be inside its own event: leave it to the event loop.
    if (GDepth > 0)
        Widget->deleteLater();
    else
        delete Widget;
}

void HandleGuardedException(TObject* Sender) {
    if (Application) {
        Application->HandleException(Sender);
        return;
    }
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {}
}

bool TNativeEvent::RunDefault(QEvent* Other) {
    if (!Host) return false;
    if (Other) return Host->BaseEvent(Other);
    if (DefaultDone || !Event) return false;
    DefaultDone = true;
    return Host->BaseEvent(Event);
}

QWidget* ParentWidgetFor(const TCreateParams& Params) {
    if ((Params.Style & WS_POPUP) || !Params.WndParent) return nullptr;
    Params.WndParent->HandleNeeded();
    return Params.WndParent->Widget();
}

TWinControl* FindControlOfWidget(const QWidget* Widget) {
    for (const QWidget* w = Widget; w; w = w->parentWidget())
        if (auto* host = dynamic_cast<const IWidgetHost*>(w))
            if (TWinControl* c = host->HostControl()) return c;
    return nullptr;
}

// ---- Mouse hooks ------------------------------------------------------------------------

namespace {
std::map<int, TMouseHookProc>& Hooks() {
    static std::map<int, TMouseHookProc> hooks;
    return hooks;
}
}  // namespace

int AddMouseHook(TMouseHookProc Hook) {
    static int next = 1;
    Hooks()[next] = std::move(Hook);
    return next++;
}

void RemoveMouseHook(int Id) { Hooks().erase(Id); }

// ---- Keyboard hooks ---------------------------------------------------------------------

namespace {
std::map<int, TKeyboardHookProc>& KeyHooks() {
    static std::map<int, TKeyboardHookProc> hooks;
    return hooks;
}
std::function<bool()>& InputMethodTest() {
    static std::function<bool()> test;
    return test;
}
// True when a hook consumed the key. What a hook runs (a menu command chosen
// with the keys) may raise: that goes to the application and eats the key.
bool RunKeyHooks(uint16_t Key, Qt::KeyboardModifiers Mods, bool KeyUp, TWinControl* Target) {
    if (KeyHooks().empty()) return false;
    const TShiftState shift = ShiftStateOf(Mods, QGuiApplication::mouseButtons());
    // A hook may remove hooks: run over a copy.
    const auto hooks = KeyHooks();
    TDispatchScope scope;
    try {
        for (const auto& [id, hook] : hooks)
            if (hook && hook(Key, shift, KeyUp)) return true;
    } catch (...) {
        HandleGuardedException(Target);
        return true;
    }
    return false;
}

// The control's ImeMode over what its widget answered: off for imDisable
// and imClose, Latin input for imSAlpha and imAlpha.
void AnswerImeMode(TImeMode Mode, QInputMethodQueryEvent* Query) {
    if ((Mode == imDisable || Mode == imClose) && (Query->queries() & Qt::ImEnabled))
        Query->setValue(Qt::ImEnabled, false);
    if ((Mode == imSAlpha || Mode == imAlpha) && (Query->queries() & Qt::ImHints))
        Query->setValue(Qt::ImHints, Query->value(Qt::ImHints).toInt() | Qt::ImhLatinOnly);
}
}  // namespace

int AddKeyboardHook(TKeyboardHookProc Hook) {
    static int next = 1;
    KeyHooks()[next] = std::move(Hook);
    return next++;
}

void RemoveKeyboardHook(int Id) { KeyHooks().erase(Id); }
int KeyboardHookCount() { return static_cast<int>(KeyHooks().size()); }

bool InputMethodOpen() {
    if (InputMethodTest()) return InputMethodTest()();
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return false;
    const QInputMethod* im = QGuiApplication::inputMethod();
    return im && im->isVisible();
}

void SetInputMethodOpenTest(std::function<bool()> Test) { InputMethodTest() = std::move(Test); }

TWinControl* FocusedWinControl() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return FindControlOfWidget(QApplication::focusWidget());
}

// ---- Routing ---------------------------------------------------------------------------

namespace {

// The screen point of the mouse event being routed.
const QPoint* GRoutedGlobal = nullptr;

// Keeps the input state of the event for GetKeyState while it is handled.
class TInputScope {
public:
    TInputScope(Qt::KeyboardModifiers m, Qt::MouseButtons b) : FSaved(SaveInputState()) {
        NoteInputState(m, b);
    }
    ~TInputScope() { RestoreInputState(FSaved); }

private:
    TInputState FSaved;
};

bool Alive(TWinControl* c, IWidgetHost* host) { return host->HostControl() == c; }

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    WPARAM k = 0;
    if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (buttons & Qt::RightButton) k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
    if (mods & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

bool RouteKeyPress(TWinControl* c, QWidget* w, IWidgetHost* host, QKeyEvent* e) {
    const uint16_t vk = VirtualKeyOf(e->key(), e->modifiers());
    const char32_t ch = CharOfKeyEvent(e->key(), e->modifiers(), e->text());
    if (vk == 0 && ch == 0) return host->BaseEvent(e);
    if (vk != 0 && RunKeyHooks(vk, e->modifiers(), false, c)) {
        e->accept();
        return true;
    }
    TInputScope input(e->modifiers(), QGuiApplication::mouseButtons());
    const bool alt = e->modifiers() & Qt::AltModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool sys = alt && !ctrl;  // Alt makes system keys; AltGr (Ctrl+Alt) types
    const LPARAM keyData = 1 | (alt ? KF_ALTDOWN_BIT : 0) | (e->isAutoRepeat() ? KF_REPEAT_BIT : 0);
    TNativeEvent native;
    native.Widget = w;
    native.Host = host;
    native.Event = e;
    native.Key = vk;
    native.Char = ch;
    const TPendingChar outer = GPendingChar;
    TDispatchScope scope;
    try {
        bool eaten = false;
        if (vk != 0) {
            TMessage cn;
            cn.Msg = sys ? CN_SYSKEYDOWN : CN_KEYDOWN;
            cn.WParam = vk;
            cn.LParam = keyData;
            c->WndProc(cn);
            eaten = cn.Result != 0 || !Alive(c, host);
        }
        if (!eaten) {
            GPendingChar = {};
            if (ch != 0) {
                GPendingChar.Target = c;
                GPendingChar.Message.Msg = sys ? WM_SYSCHAR : WM_CHAR;
                GPendingChar.Message.WParam = ch;
                GPendingChar.Message.LParam = keyData;
                GPendingChar.Waiting = true;
            }
            if (vk != 0) {
                TMessage km;
                km.Msg = sys ? WM_SYSKEYDOWN : WM_KEYDOWN;
                km.WParam = vk;
                km.LParam = keyData;
                km.Native = &native;
                c->WndProc(km);
            }
            if (GPendingChar.Waiting && GPendingChar.Target == c && Alive(c, host)) {
                TMessage cm = GPendingChar.Message;
                GPendingChar.Waiting = false;
                TMessage cn;
                cn.Msg = sys ? CN_SYSCHAR : CN_CHAR;
                cn.WParam = cm.WParam;
                cn.LParam = cm.LParam;
                c->WndProc(cn);
                if (cn.Result == 0 && Alive(c, host)) {
                    cm.Native = &native;
                    c->WndProc(cm);
                }
            }
        }
    } catch (...) {
        GPendingChar = outer;
        HandleGuardedException(c);
        e->accept();
        return true;
    }
    GPendingChar = outer;
    e->accept();
    return true;
}

bool RouteKeyRelease(TWinControl* c, QWidget* w, IWidgetHost* host, QKeyEvent* e) {
    if (e->isAutoRepeat()) {
        e->accept();
        return true;  // a held key repeats its key-down only
    }
    uint16_t vk = VirtualKeyOf(e->key(), e->modifiers());
    // a character typed by a key of no virtual key still comes up, so that
    // what acts on the release of a typed key (searches) sees it
    if (vk == 0 && CharOfKeyEvent(e->key(), e->modifiers(), e->text()) >= 32) vk = VK_PACKET;
    if (vk == 0) return host->BaseEvent(e);
    if (RunKeyHooks(vk, e->modifiers(), true, c)) {
        e->accept();
        return true;
    }
    TInputScope input(e->modifiers(), QGuiApplication::mouseButtons());
    const bool alt = e->modifiers() & Qt::AltModifier;
    const bool sys = alt && !(e->modifiers() & Qt::ControlModifier);
    TNativeEvent native;
    native.Widget = w;
    native.Host = host;
    native.Event = e;
    native.Key = vk;
    TMessage m;
    m.Msg = sys ? WM_SYSKEYUP : WM_KEYUP;
    m.WParam = vk;
    m.LParam = 1 | (alt ? KF_ALTDOWN_BIT : 0) | KF_REPEAT_BIT | KF_UP_BIT;
    m.Native = &native;
    GuardedCall(c, [&] { c->WndProc(m); });
    e->accept();
    return true;
}

// A point of widget w (the control's window or a widget inside it) in the
// control's window.
QPoint ToWindow(TWinControl* c, QWidget* w, const QPoint& p) {
    QWidget* window = c->Widget();
    return window && w != window && window->isAncestorOf(w) ? w->mapTo(window, p) : p;
}

bool RouteMouse(TWinControl* c, QWidget* w, IWidgetHost* host, QMouseEvent* e) {
    if (RouteDragMouse(e)) {
        e->accept();
        return true;
    }
    // A disabled window takes no mouse input: the toolkit passes it on to
    // the window's parent.
    if (!w->isEnabled()) return host->BaseEvent(e);
    unsigned msg = 0;
    const Qt::MouseButton b = e->button();
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        msg = b == Qt::LeftButton     ? WM_LBUTTONDOWN
              : b == Qt::RightButton  ? WM_RBUTTONDOWN
              : b == Qt::MiddleButton ? WM_MBUTTONDOWN
                                      : 0;
        break;
    case QEvent::MouseButtonRelease:
        msg = b == Qt::LeftButton     ? WM_LBUTTONUP
              : b == Qt::RightButton  ? WM_RBUTTONUP
              : b == Qt::MiddleButton ? WM_MBUTTONUP
                                      : 0;
        break;
    case QEvent::MouseButtonDblClick:
        msg = b == Qt::LeftButton     ? WM_LBUTTONDBLCLK
              : b == Qt::RightButton  ? WM_RBUTTONDBLCLK
              : b == Qt::MiddleButton ? WM_MBUTTONDBLCLK
                                      : 0;
        break;
    case QEvent::MouseMove: msg = WM_MOUSEMOVE; break;
    default: break;
    }
    if (msg == 0) return host->BaseEvent(e);
    TInputScope input(e->modifiers(), e->buttons());
    const QPoint local = ToWindow(c, w, e->position().toPoint());
    const TPoint origin = c->SurfaceOrigin();
    const QPoint global = e->globalPosition().toPoint();
    const QPoint* outerGlobal = GRoutedGlobal;
    GRoutedGlobal = &global;
    struct TRestore {
        const QPoint* Saved;
        ~TRestore() { GRoutedGlobal = Saved; }
    } restore{outerGlobal};
    TNativeEvent native;
    native.Widget = w;
    native.Host = host;
    native.Event = e;
    TMessage m;
    m.Msg = msg;
    m.WParam = MouseKeys(e->buttons(), e->modifiers());
    m.LParam = MakeLParam(local.x() - origin.X, local.y() - origin.Y);
    m.Native = &native;
    GuardedCall(c, [&] {
        if (msg != WM_MOUSEMOVE && msg != WM_LBUTTONUP && msg != WM_RBUTTONUP && msg != WM_MBUTTONUP) {
            const auto hooks = Hooks();
            for (const auto& [id, hook] : hooks) hook(msg, TPoint{global.x(), global.y()}, c);
            if (!Alive(c, host)) return;
        }
        c->WndProc(m);
    });
    e->accept();
    return true;
}

bool RouteWheel(TWinControl* c, QWidget* w, IWidgetHost* host, QWheelEvent* e) {
    if (!w->isEnabled()) return host->BaseEvent(e);
    TInputScope input(e->modifiers(), e->buttons());
    const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    const QPoint global = e->globalPosition().toPoint();
    TNativeEvent native;
    native.Widget = w;
    native.Host = host;
    native.Event = e;
    TMessage m;
    m.Msg = WM_MOUSEWHEEL;
    m.WParam = MakeWParam(static_cast<int>(MouseKeys(e->buttons(), e->modifiers())), delta);
    m.LParam = MakeLParam(global.x(), global.y());
    m.Native = &native;
    GuardedCall(c, [&] { c->WndProc(m); });
    e->accept();
    return true;
}

// Sends a message standing for a toolkit event; the control's default
// handling gives the event to the widget.
bool RouteSimple(TWinControl* c, QWidget* w, IWidgetHost* host, QEvent* e, unsigned msg, WPARAM wp = 0) {
    TNativeEvent native;
    native.Widget = w;
    native.Host = host;
    native.Event = e;
    TMessage m;
    m.Msg = msg;
    m.WParam = wp;
    m.Native = &native;
    GuardedCall(c, [&] { c->WndProc(m); });
    if (!native.DefaultDone && Alive(c, host) && (msg == WM_SETFOCUS || msg == WM_KILLFOCUS)) {
        // Focus bookkeeping of the widget runs even when a handler skipped it.
        native.RunDefault();
    }
    return true;
}

bool RoutePaint(TWinControl* c, QWidget* w, IWidgetHost* host, QPaintEvent* e) {
    TPaintContext ctx(w, e->rect());
    TNativeEvent native;
    native.Widget = w;
    native.Host = host;
    native.Event = e;
    native.Paint = &ctx;
    TMessage m;
    m.Msg = WM_PAINT;
    m.Native = &native;
    GuardedCall(c, [&] { c->WndProc(m); });
    return true;
}

// Watches a widget inside a control's window for mouse input.
class TChildRouter : public QObject, public IWidgetHost {
public:
    explicit TChildRouter(QWidget* child) : QObject(child), FChild(child) {}
    bool BaseEvent(QEvent* e) override { return static_cast<QObject*>(FChild)->event(e); }
    TWinControl* HostControl() const override { return FindControlOfWidget(FChild); }
    void DetachControl() override {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != FChild) return false;
        TWinControl* c = HostControl();
        if (!c) return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: return RouteMouse(c, FChild, this, static_cast<QMouseEvent*>(e));
        case QEvent::Wheel: return RouteWheel(c, FChild, this, static_cast<QWheelEvent*>(e));
        case QEvent::ContextMenu: e->accept(); return true;
        default: return false;
        }
    }

private:
    QWidget* FChild;
};

}  // namespace

void RouteChildWidget(TWinControl*, QWidget* Child) {
    if (!Child) return;
    Child->setMouseTracking(true);
    Child->installEventFilter(new TChildRouter(Child));
}

bool RouteQtEvent(TWinControl* c, QWidget* w, IWidgetHost* host, QEvent* e) {
    switch (e->type()) {
    case QEvent::KeyPress: return RouteKeyPress(c, w, host, static_cast<QKeyEvent*>(e));
    case QEvent::KeyRelease: return RouteKeyRelease(c, w, host, static_cast<QKeyEvent*>(e));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: return RouteMouse(c, w, host, static_cast<QMouseEvent*>(e));
    case QEvent::Wheel: return RouteWheel(c, w, host, static_cast<QWheelEvent*>(e));
    case QEvent::FocusIn: {
        // A widget may have turned its input method on again by itself.
        c->ApplyImeMode();
        return RouteSimple(c, w, host, e, WM_SETFOCUS);
    }
    case QEvent::FocusOut: return RouteSimple(c, w, host, e, WM_KILLFOCUS);
    case QEvent::Paint: return RoutePaint(c, w, host, static_cast<QPaintEvent*>(e));
    case QEvent::Enter: {
        GuardedCall(c, [&] { c->Perform(CM_MOUSEENTER, 0, 0); });
        return Alive(c, host) ? host->BaseEvent(e) : true;
    }
    case QEvent::Leave: {
        GuardedCall(c, [&] { c->Perform(CM_MOUSELEAVE, 0, 0); });
        if (Application) Application->NoteMouseControl(nullptr);
        return Alive(c, host) ? host->BaseEvent(e) : true;
    }
    case QEvent::Resize: {
        const bool result = host->BaseEvent(e);
        const QSize size = static_cast<QResizeEvent*>(e)->size();
        GuardedCall(c, [&] {
            if (!w->isWindow()) {
                if (size.width() != c->Width() || size.height() != c->Height())
                    c->WindowGeometryChanged(c->Left(), c->Top(), size.width(), size.height());
            } else {
                c->WindowGeometryChanged(w->geometry().x(), w->geometry().y(), size.width(), size.height());
            }
        });
        return result;
    }
    case QEvent::Move: {
        const bool result = host->BaseEvent(e);
        if (w->isWindow())
            GuardedCall(c, [&] {
                const QRect g = w->geometry();
                c->WindowGeometryChanged(g.x(), g.y(), g.width(), g.height());
            });
        return result;
    }
    case QEvent::Close: {
        if (!dynamic_cast<TCustomForm*>(c)) return host->BaseEvent(e);
        e->ignore();  // the form decides, and hides or frees itself
        TMessage m;
        m.Msg = WM_CLOSE;
        GuardedCall(c, [&] { c->WndProc(m); });
        return true;
    }
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate: {
        if (!w->isWindow()) return host->BaseEvent(e);
        const unsigned msg = e->type() == QEvent::WindowActivate ? CM_ACTIVATE : CM_DEACTIVATE;
        GuardedCall(c, [&] { c->Perform(msg, 0, 0); });
        return Alive(c, host) ? host->BaseEvent(e) : true;
    }
    case QEvent::ToolTip: {
        auto* he = static_cast<QHelpEvent*>(e);
        GuardedCall(c, [&] {
            const TPoint origin = c->SurfaceOrigin();
            const TPoint pos{he->pos().x() - origin.X, he->pos().y() - origin.Y};
            TControl* target = c->ControlAtPos(pos, true);
            if (!target) target = c;
            if (Application) Application->ActivateHint(target, {he->globalPos().x(), he->globalPos().y()});
        });
        return true;
    }
    case QEvent::Show:
    case QEvent::Hide: {
        const bool result = host->BaseEvent(e);
        GuardedCall(c, [&] { c->Perform(CM_SHOWINGCHANGED, e->type() == QEvent::Show ? 1 : 0, 0); });
        return result;
    }
    case QEvent::ContextMenu:
        // The context menu comes from the right button's release (WM_CONTEXTMENU).
        e->accept();
        return true;
    case QEvent::InputMethodQuery: {
        const bool result = host->BaseEvent(e);
        AnswerImeMode(c->ImeMode(), static_cast<QInputMethodQueryEvent*>(e));
        return result;
    }
    default: return host->BaseEvent(e);
    }
}

TPoint RoutedMouseScreenPos() {
    if (GRoutedGlobal) return {GRoutedGlobal->x(), GRoutedGlobal->y()};
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}
