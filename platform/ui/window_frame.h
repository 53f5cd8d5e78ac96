// The frame the window system draws round a top-level window, for tests:
// TTestWindowFrame stands for a window manager that frames every window
// alike, and FramedWindowBounds reads where a window and its frame lie. The
// toolkit side (the watch that places a window once its frame is known) is
// in qt_window_frame.h.
#pragma once

#include <memory>

#include "platform/ui/geometry.h"

class TWinControl;

// Installs itself while it lives: every top-level window shown reports a
// frame of Frame's margins (Left, Top, Right, Bottom round its client area),
// as a window manager's borders and caption.
class TTestWindowFrame {
public:
    explicit TTestWindowFrame(const TRect& Frame);
    ~TTestWindowFrame();
    TTestWindowFrame(const TTestWindowFrame&) = delete;
    TTestWindowFrame& operator=(const TTestWindowFrame&) = delete;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// The outer rectangle on the screen of the top-level window that holds
// Control: its client area where the window system has it, with the frame
// the frame service reports round it (none before the window is framed).
// Empty without a window.
TRect FramedWindowBounds(TWinControl* Control);
