// Drop-down windows and the watch that closes them.
//
// TPopupWindow is a top-level window without caption that floats above its
// owner's window (a modal window blocks it only where it blocks that window),
// shows without taking the keyboard focus (the owner keeps it) and receives
// the keys its owner forwards with ForwardKey.
//
// The outside-click watch: while a control watches, a mouse button pressed on
// any window of the program outside the control and outside the windows it
// names as its own (a press on a window frame included) posts CM_CANCELMODE
// (LParam 0) to the control; so do its window moving and its window losing
// the activation to a window that is not the watch's own. Each watch
// belongs to the control that asked: a control watches once, and stopping
// its watch leaves the watches of other controls in force. A destroyed
// control's watch ends with it.
//
// Under a window system the pointer is grabbed for the watch's own window
// while the pointer is off the program's windows (or over one a modal window
// blocks), so that a press on a title bar (which a window manager sends to no
// program) or on a blocked window comes in and is used up closing the
// drop-down.
#pragma once

#include <vector>

#include "platform/ui/controls.h"

class TPopupWindow : public TCustomControl {
    TASKMOOR_CLASS(TPopupWindow, TCustomControl)
public:
    explicit TPopupWindow(TComponent* AOwner);

    // The control whose keys come here.
    TWinControl* OwnerControl() const { return FOwnerControl; }
    void SetOwnerControl(TWinControl* Value);
    // Shows the window at screen point (X, Y) with the size given, on top
    // and without activating it.
    void ShowAt(int X, int Y, int AWidth, int AHeight);
    // Hides the window.
    void ClosePopup();
    // Hands a key down of the owner to this window's KeyDown; answers
    // whether the key was used (Key zeroed).
    bool ForwardKey(uint16_t& Key, TShiftState Shift);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void StayAboveOwnerWindow();

    TWinControl* FOwnerControl = nullptr;
};

// A window that takes no activation (WS_EX_NOACTIVATE) and that a window
// system activates all the same gives the activation and the keyboard back at
// once to the window and control that had them when it showed.
void KeepActivationOff(TWinControl* Window);

// Starts (or renews) Control's watch; clicks inside any control of Inside
// count as inside too.
void WatchOutsideClicks(TWinControl* Control, const std::vector<TControl*>& Inside = {});
void StopOutsideClicks(TWinControl* Control);
bool WatchesOutsideClicks(const TWinControl* Control);
// Number of controls watching.
int OutsideClickWatchCount();
// The window the watch grabs the pointer for now (nullptr: none). The
// off-screen platform grabs nothing; the watch still names the window it
// would grab for, where the test input's window-system presses go.
TWinControl* OutsideClickGrabWindow();
