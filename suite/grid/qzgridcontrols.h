// Controls open in a grid's cells (the ControlType lines' CustomEdit and
// RichEdit controls): the one open over the current cell, moved out of
// sight by record keys, Enter and clicks handed on to it; and the tab-order
// search they share.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/controls.h"

class TWinControl;

// The next control in the tab order of Control's parent that can take the
// focus (with TabStop when CheckTabStop), forward or backward from Control
// (from the last or first when Control is not there); nil at either end or
// back at the start: it never wraps.
TWinControl* qzFindNextControl(TWinControl* Control, bool GoForward, bool CheckTabStop);

class TStrings;

// Radio groups with a list of values beside their captions (Items). The
// value of button Index: its entry in Values when there is one and it is
// not empty, else its caption, else empty.
void qzGetRadioItemValue(const TStrings& Items, const TStrings* Values, int Index, std::string& Value);
// The caption of the first button whose value is Value exactly; empty when
// none has it.
void qzGetRadioCaptionByValue(const TStrings& Items, const TStrings* Values, const std::string& Value,
                              std::string& Caption);

class TqzGridControlsHost;

class TqzGridInCellControls {
public:
    explicit TqzGridInCellControls(TqzGridControlsHost& Host);
    TqzGridInCellControls(const TqzGridInCellControls&) = delete;
    TqzGridInCellControls& operator=(const TqzGridInCellControls&) = delete;

    // The custom control open over the current cell (shown on the grid), or nil.
    TWinControl* Active();
    // Record moves first update the window and put the open control out of sight.
    void MoveAway();
    // An Enter the editor may take: an open control that takes returns gets it back.
    void EnterPressed(char32_t& Key);
    // A click that moved to another cell also operates the control now open
    // there: the innermost windowed control under the point gets it.
    void ForwardClick(TShiftState Shift, int X, int Y, int LeftColAtPress);

private:
    TqzGridControlsHost& H;
};
