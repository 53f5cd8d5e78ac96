// A form that keeps a minimum size: setting smaller bounds gives the minimum,
// and the window cannot be dragged smaller. The minimum never exceeds what
// the screen's work area holds (with the window system's frame, once it is
// known), nor does the size it is first shown at.
#pragma once

#include "platform/ui/forms.h"

class TMinSizeForm : public TForm {
    TASKMOOR_CLASS(TMinSizeForm, TForm)
public:
    using TForm::TForm;

    int MinWidth() const { return FMinWidth; }
    int MinHeight() const { return FMinHeight; }
    // The outer size it keeps at least (0: no limit); a smaller form grows.
    void SetMinimumSize(int Width, int Height);
    // The client area it keeps at least, whatever the frame and the menu bar
    // around it take (0: no limit); a smaller form grows.
    void SetMinimumClientSize(int Width, int Height);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

protected:
    void CreateWnd() override;
    void ApplySizeLimits() override;
    void WindowFramed() override;

private:
    // The outer size the work area holds, less what the window system's
    // frame takes beyond the estimated one (a smaller frame gives nothing).
    TPoint ScreenRoom() const;
    void ApplyToWindow();
    int FMinWidth = 0, FMinHeight = 0;
    int FWindowMinX = 0, FWindowMinY = 0;  // the window's minimum it last set
    int FMinClientWidth = 0, FMinClientHeight = 0;
};
