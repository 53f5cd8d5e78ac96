// THintWindow: a small framed window that shows a text over other
// controls (a cell's whole text, say). It is placed in the form of the
// control it is shown for, above every other control, at a rectangle given
// in screen coordinates; descendants paint their own text in Paint.
#pragma once

#include <string>

#include "platform/ui/controls.h"

class THintWindow : public TCustomControl {
    TASKMOOR_CLASS(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* AOwner);

    // Shows Text at Rect (screen coordinates) over the form of Control.
    virtual void ActivateHint(TControl* Control, const TRect& Rect, const std::string& Text);
    void ReleaseHandle();
    bool Active() const { return FActive; }
    const std::string& HintText() const { return FHintText; }

protected:
    // The info colours, a black frame, and the text 2 pixels in.
    void Paint() override;

private:
    std::string FHintText;
    bool FActive = false;
};
