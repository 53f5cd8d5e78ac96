// A group box (a framed area with a caption that holds other controls) and a
// radio button painted by us: of the radio buttons on one parent one at a
// time is checked.
#pragma once

#include <string>

#include "platform/ui/controls.h"

// Fills the control's client area and draws the etched frame with the
// caption in its top edge, in the control's font; GrayCaption grays it.
void DrawGroupFrame(TCanvas* Canvas, const TControl* Control, bool GrayCaption);
// Draws a radio button and Caption in R (canvas font and brush set) and
// returns the caption's rectangle.
TRect DrawRadioItem(TCanvas* Canvas, const TRect& R, const std::string& Caption, bool Checked, bool Enabled);

class TGroupBox : public TCustomControl {
    TASKMOOR_CLASS(TGroupBox, TCustomControl)
public:
    explicit TGroupBox(TComponent* AOwner);
    ~TGroupBox() override;

protected:
    void Paint() override;
    void CMDialogChar(TMessage& Message) override;
};

// A click, Space or the caption's accelerator checks the button (and clears
// the others on its parent) and fires OnClick; arrow keys move to the next or
// previous button of the parent and check it. Setting Checked from code
// clears the others too but fires nothing.
class TRadioButton : public TCustomControl {
    TASKMOOR_CLASS(TRadioButton, TCustomControl)
public:
    explicit TRadioButton(TComponent* AOwner);
    ~TRadioButton() override;

    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);

    static void Publish(TPublisher<TRadioButton>& p);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void CMDialogChar(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void DoEnter() override;
    void DoExit() override;

private:
    void Choose();
    bool FChecked = false;
};
