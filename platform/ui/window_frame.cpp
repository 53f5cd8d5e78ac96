// The watch for a window's first frame, the frame service and its stand-in.
#include "platform/ui/window_frame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/qt_window_frame.h"

namespace {

// A platform that draws on no screen has no window manager: the margins it
// reports frame nothing, and windows there never move for them.
class TToolkitWindowFrame : public TWindowFrameService {
public:
    QMargins FrameMargins(QWindow* Window) override {
        if (!Window) return QMargins();
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return QMargins();
        return Window->frameMargins();
    }
};

TToolkitWindowFrame GToolkitFrame;
TWindowFrameService* GFrameService = &GToolkitFrame;

// Lives on the window it watches (and goes with it); done after one call.
class TFirstFrameWatch : public QObject {
public:
    TFirstFrameWatch(QWindow* Window, QWidget* Widget, std::function<void(const QMargins&)> Framed)
        : QObject(Window), FWidget(Widget), FFramed(std::move(Framed)) {}

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        const QEvent::Type type = Event->type();
        if (FDone || (type != QEvent::Expose && type != QEvent::Move && type != QEvent::Resize)) return false;
        auto* window = static_cast<QWindow*>(Watched);
        if (!window->isVisible() || !window->isExposed()) return false;
        const QMargins frame = WindowFrameService().FrameMargins(window);
        if (frame.isNull()) return false;
        FDone = true;
        // Once the toolkit has handled the event that brought the frame.
        QTimer::singleShot(0, this, [this, frame] {
            if (FWidget) FFramed(frame);
            deleteLater();
        });
        return false;
    }

private:
    QPointer<QWidget> FWidget;
    std::function<void(const QMargins&)> FFramed;
    bool FDone = false;
};

}  // namespace

TWindowFrameService& WindowFrameService() { return *GFrameService; }

TWindowFrameService* SetWindowFrameService(TWindowFrameService* Service) {
    TWindowFrameService* previous = GFrameService;
    GFrameService = Service ? Service : &GToolkitFrame;
    return previous == &GToolkitFrame ? nullptr : previous;
}

void WatchFirstFrame(QWidget* Window, std::function<void(const QMargins& Frame)> Framed) {
    if (!Window || !Window->isWindow()) return;
    if (!Window->windowHandle()) Window->winId();
    QWindow* window = Window->windowHandle();
    if (!window) return;
    window->installEventFilter(new TFirstFrameWatch(window, Window, std::move(Framed)));
}

QRect FitFramedClient(const QRect& Client, const QMargins& Frame) {
    if (!Screen) return Client;
    const TRect outer = FromQRect(Client.marginsAdded(Frame));
    const TRect fitted = Screen->FitToWorkArea(outer, false);
    if (fitted == outer) return Client;
    const int frameX = Frame.left() + Frame.right(), frameY = Frame.top() + Frame.bottom();
    return QRect(fitted.Left + Frame.left(), fitted.Top + Frame.top(),
                 std::max(1, fitted.Right - fitted.Left - frameX),
                 std::max(1, fitted.Bottom - fitted.Top - frameY));
}

void FitOnceFramed(QWidget* Window) {
    WatchFirstFrame(Window, [Window](const QMargins& Frame) {
        if (Window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
            return;
        const QRect client = Window->geometry();
        const QRect fitted = FitFramedClient(client, Frame);
        if (fitted != client) Window->setGeometry(fitted);
    });
}

// ---- Test stand-in ----------------------------------------------------------------

struct TTestWindowFrame::TImpl : TWindowFrameService {
    QMargins Frame;
    TWindowFrameService* Previous = nullptr;
    QMargins FrameMargins(QWindow*) override { return Frame; }
};

TTestWindowFrame::TTestWindowFrame(const TRect& Frame) : FImpl(std::make_unique<TImpl>()) {
    FImpl->Frame = QMargins(Frame.Left, Frame.Top, Frame.Right, Frame.Bottom);
    FImpl->Previous = SetWindowFrameService(FImpl.get());
}

TTestWindowFrame::~TTestWindowFrame() { SetWindowFrameService(FImpl->Previous); }

TRect FramedWindowBounds(TWinControl* Control) {
    QWidget* w = Control ? Control->Widget() : nullptr;
    if (!w) return {};
    QWidget* window = w->window();
    const QMargins frame = window->windowHandle() && window->isVisible()
                               ? WindowFrameService().FrameMargins(window->windowHandle())
                               : QMargins();
    return FromQRect(window->geometry().marginsAdded(frame));
}
