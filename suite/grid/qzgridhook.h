// The keyboard hook shared by every suite grid: keys typed in a control
// inside a grid are posted to the grid; installed while a grid has the
// focus, removed on focus loss or with the last grid.
#pragma once

#include <cstdint>

#include "platform/ui/controls.h"
#include "platform/ui/messages.h"

class TqzCustomDBGrid;

// The key a hook hands to a grid (WParam: the key; LParam: 1 Shift, 2 Ctrl, 4 Alt).
constexpr unsigned CM_QZGRIDHOOKKEY = WM_APP + 0x0351;
// The hook's rules: True when the key was posted to the grid that holds the
// focused control (or swallowed) and the control must not see it.
bool qzGridKeyboardHook(uint16_t Key, TShiftState Shift, bool KeyUp);
void qzInstallGridHook();
void qzRemoveGridHook();
bool qzGridHookInstalled();
void qzGridCreated();
void qzGridDestroyed();
// The suite grid that is the screen's active control or holds it; False
// (and Grid nil) when there is none.
bool qzFindFocusedGrid(TqzCustomDBGrid*& Grid);
// The grid the hook works for: there is a focused grid, and from the active
// control upward the first grid whose class is or descends from a class
// named "TqzCustomDBGrid".
bool qzFindHookGrid(TqzCustomDBGrid*& Grid);
