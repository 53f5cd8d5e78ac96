// The frame round a top-level window, once the window system has drawn it.
//
// A window manager frames a window (borders and caption) only after it is
// shown, and the frame's size is its own: placing a window beforehand can
// only estimate it. WatchFirstFrame waits for the window's first frame (the
// window exposed, or moved or resized, with frame margins reported) and
// then calls its function once; later moves are the user's and are never
// watched. A window system that draws no frame reports none, and the
// function is never called.
//
// The margins come from the frame service: the toolkit's report of the
// real frame, or a test's stand-in (TTestWindowFrame, window_frame.h).
#pragma once

#include <QMargins>
#include <QWidget>
#include <QWindow>

#include <functional>

class TWindowFrameService {
public:
    virtual ~TWindowFrameService() = default;
    // The frame round Window's client area as the window system has it now;
    // null while it has drawn none.
    virtual QMargins FrameMargins(QWindow* Window) = 0;
};
TWindowFrameService& WindowFrameService();
// Installs a service (nullptr: the toolkit's); answers the one it replaces.
TWindowFrameService* SetWindowFrameService(TWindowFrameService* Service);

// Calls Framed with the frame once, soon after Window's top-level window is
// first framed (after the event that showed it is handled). The watch goes
// with the window.
void WatchFirstFrame(QWidget* Window, std::function<void(const QMargins& Frame)> Framed);

// The client rectangle that puts Client with Frame round it wholly on the
// screen's work area, moved in as little as it takes and no larger than the
// work area; Client itself when it lies on it already.
QRect FitFramedClient(const QRect& Client, const QMargins& Frame);

// Moves and sizes Window once its first frame is known so that frame and
// caption lie on the work area (FitFramedClient); a maximised, minimised or
// full-screen window is left to the window system.
void FitOnceFramed(QWidget* Window);
