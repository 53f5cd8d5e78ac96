// Window style flags read from and written to the window's create parameters, invalidation
// with an observer for tests, and key strokes and mouse releases posted as Qt events.
#include "platform/ui/window_services.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "platform/ui/controls.h"
#include "platform/ui/qt_host.h"

uint32_t GetWindowLong(TWinControl* Control, int Index) {
    if (!Control || !Control->HandleAllocated() || !Control->Window()) return 0;
    const TCreateParams& params = Control->Window()->Params;
    if (Index == GWL_STYLE) return params.Style;
    if (Index == GWL_EXSTYLE) return params.ExStyle;
    return 0;
}

uint32_t SetWindowLong(TWinControl* Control, int Index, uint32_t Value) {
    if (!Control || !Control->HandleAllocated() || !Control->Window()) return 0;
    TCreateParams& params = Control->Window()->Params;
    uint32_t* slot = Index == GWL_STYLE ? &params.Style : Index == GWL_EXSTYLE ? &params.ExStyle : nullptr;
    if (!slot) return 0;
    const uint32_t old = *slot;
    *slot = Value;
    QWidget* w = Control->Widget();
    if (Index == GWL_EXSTYLE && ((old ^ Value) & WS_EX_TRANSPARENT) && w && !w->isWindow() &&
        Control->Window()->SelfPainted) {
        w->setAttribute(Qt::WA_OpaquePaintEvent, !(Value & WS_EX_TRANSPARENT));
        w->update();
    }
    return old;
}

bool SetWindowTopmost(TWinControl* Control, bool Topmost) {
    if (!Control || !Control->HandleAllocated() || !Control->Window()) return false;
    QWidget* w = Control->Widget();
    if (!w || !w->isWindow()) return false;
    uint32_t& ex = Control->Window()->Params.ExStyle;
    ex = Topmost ? (ex | WS_EX_TOPMOST) : (ex & ~uint32_t(WS_EX_TOPMOST));
    Qt::WindowFlags flags = w->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, Topmost);
    if (flags == w->windowFlags()) return true;
    if (QWindow* win = w->windowHandle(); win && w->isVisible()) {
        // Changed on the live window: setWindowFlags would hide it.
        w->overrideWindowFlags(flags);
        win->setFlags(flags);
    } else {
        w->setWindowFlags(flags);
    }
    return true;
}

namespace {
TInvalidateRectObserver GInvalidateObserver;
}

void SetInvalidateRectObserver(TInvalidateRectObserver Observer) {
    GInvalidateObserver = std::move(Observer);
}

void InvalidateRect(TWinControl* Control, const TRect* Rect, bool Erase) {
    if (!Control || !Control->HandleAllocated()) return;
    if (GInvalidateObserver) GInvalidateObserver(Control, Rect ? *Rect : Control->ClientRect(), Erase);
    if (!Rect) {
        Control->Invalidate();
        return;
    }
    if (QWidget* w = Control->Widget()) {
        const TPoint o = Control->SurfaceOrigin();
        QRect r = ToQRect(*Rect);
        r.translate(o.X, o.Y);
        w->update(r);
    }
}

namespace {

QString KeyTextOf(uint16_t vk, TShiftState shift) {
    if (shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return {};
    const bool up = shift.Contains(ssShift);
    if (vk >= 'A' && vk <= 'Z') return QString(QChar(up ? vk : vk + 32));
    if (vk >= '0' && vk <= '9' && !up) return QString(QChar(vk));
    switch (vk) {
    case VK_SPACE: return QStringLiteral(" ");
    case VK_RETURN: return QStringLiteral("\r");
    case VK_TAB: return QStringLiteral("\t");
    case VK_BACK: return QStringLiteral("\b");
    case VK_ESCAPE: return QString(QChar(27));
    default: return {};
    }
}

}  // namespace

bool PostKeyStroke(TWinControl* Control, uint16_t Key, TShiftState Shift) {
    if (!Control) return false;
    EnsureToolkit();
    Control->HandleNeeded();
    QWidget* w = Control->Widget();
    if (!w) return false;
    Qt::KeyboardModifiers mods = ModifiersOf(Shift);
    if (Key >= VK_NUMPAD0 && Key <= VK_DIVIDE) mods |= Qt::KeypadModifier;
    int qtKey = QtKeyOf(Key);
    if (Key == VK_TAB && Shift.Contains(ssShift)) qtKey = Qt::Key_Backtab;
    const QString text = KeyTextOf(Key, Shift);
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, qtKey, mods, text));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, qtKey, mods, text));
    return true;
}

bool PostLeftButtonUp(TWinControl* Control) {
    if (!Control) return false;
    EnsureToolkit();
    Control->HandleNeeded();
    QWidget* w = Control->Widget();
    if (!w) return false;
    const QPoint global = QCursor::pos();
    const QPointF local = w->mapFromGlobal(QPointF(global));
    QCoreApplication::postEvent(
        w, new QMouseEvent(QEvent::MouseButtonRelease, local, QPointF(global), Qt::LeftButton, Qt::NoButton,
                           QGuiApplication::keyboardModifiers()));
    return true;
}
