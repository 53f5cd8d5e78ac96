// Controls shown in a grid's cells: the tab-order search they share.
#pragma once

#include "platform/ui/controls.h"

class TWinControl;

// The next control in the tab order of Control's parent that can take the
// focus (with TabStop when CheckTabStop), forward or backward from Control
// (from the last or first when Control is not there); nil at either end or
// back at the start: it never wraps.
TWinControl* qzFindNextControl(TWinControl* Control, bool GoForward, bool CheckTabStop);
