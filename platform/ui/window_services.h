// Window services: a control's live window style, invalidating part of a
// window, and input posted to a window as if the user had made it.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ui/geometry.h"
#include "platform/ui/messages.h"

class TWinControl;

// ---- Window style ---------------------------------------------------------------
constexpr int GWL_STYLE = -16, GWL_EXSTYLE = -20;

// The style (GWL_STYLE) or extended style (GWL_EXSTYLE) the control's window
// has now: what it was created with, as changed since. 0 without a window
// or for another index.
uint32_t GetWindowLong(TWinControl* Control, int Index);
// Sets it and answers the previous value (0 without a window: nothing is
// set). The window keeps the value until it is made again. WS_EX_TRANSPARENT
// on a child window of ours has what lies under it painted before it.
uint32_t SetWindowLong(TWinControl* Control, int Index, uint32_t Value);

// Marks Rect (client coordinates; the whole client area when nullptr) of
// the control's window for painting. The toolkit always paints the
// background first, so Erase only tells the caller's intent.
void InvalidateRect(TWinControl* Control, const TRect* Rect, bool Erase);
// Tests: called with every InvalidateRect on a control with a window (the
// rectangle filled in when it was nullptr); an empty function stops it.
using TInvalidateRectObserver = std::function<void(TWinControl* Control, const TRect& Rect, bool Erase)>;
void SetInvalidateRectObserver(TInvalidateRectObserver Observer);

// ---- Window order ---------------------------------------------------------------
// Keeps a top-level window above the windows that are not (WS_EX_TOPMOST),
// or puts it back among them, without moving, sizing, hiding or activating
// it. False without a window or for a window with a parent. A form's later
// change of its style or border makes the window again as its FormStyle says.
bool SetWindowTopmost(TWinControl* Control, bool Topmost);

// ---- Posted input ---------------------------------------------------------------
// Queues a press and a release of the virtual key Key on the control's
// window with the Shift state held while they are handled. False without a
// control.
bool PostKeyStroke(TWinControl* Control, uint16_t Key, TShiftState Shift);
// Queues a release of the left mouse button on the control's window, at the
// mouse's position. False without a control.
bool PostLeftButtonUp(TWinControl* Control);
