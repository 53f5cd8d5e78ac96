// Placing the report's dialogs: centring over the main form's free area,
// spreading buttons across a form, and showing a Help button only where
// there is help.
#pragma once

#include <vector>

class TControl;
class TCustomForm;

struct TReportLayout {
    // The main form's client area less its tool bars, status bars and locked
    // panels (and 6 pixels across, 4 down); false without a main form.
    static bool GetMainClientArea(int& Height, int& Width, int& TopOffset, int& LeftOffset);
    // Centres Form over that area (never at negative coordinates).
    static void CentreOverMainForm(TCustomForm* Form);
    // Places the visible controls at equal distances across their parent.
    static void SpreadControls(const std::vector<TControl*>& Controls);
    // The control shows only when it or a parent has a help context.
    static void ShowHelpButtonIfContext(TControl* Button);
    // A * B / C rounded to the nearest integer (halves away from zero); -1
    // when C is 0.
    static int MulDiv(int A, int B, int C);
};
