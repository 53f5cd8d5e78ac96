// Placing the program's forms: the main form's free client area, centring
// a form over it, spreading buttons across a form, showing a Help button
// only where there is help to show, and names for forms of one class that
// live side by side.
#pragma once

#include <string>
#include <vector>

class TComponent;
class TControl;
class TCustomForm;

// The main form's client area less its visible tool bars, status bars and
// locked panels, then 6 pixels narrower and 4 lower; the offsets are the
// room taken at the top and at the left. False (nothing set) without a main
// form.
bool GetMainClientArea(int& Height, int& Width, int& TopOffset, int& LeftOffset);
// Centres Form over that area (screen coordinates unless it is an MDI
// child), never at negative coordinates. Nothing happens without a main form.
void CentreOverMainForm(TCustomForm* Form);
// Places the visible controls at equal distances across the client width
// of the first control's parent; hidden ones keep their place.
void SpreadControls(const std::vector<TControl*>& Controls);
// Button is visible only when one of its parents has a help context.
void ShowHelpButtonIfContext(TControl* Button);
// A * B / C rounded to the nearest integer (halves away from zero); -1 when
// C is 0.
int MulDiv(int A, int B, int C);

// Base, or Base_1, Base_2, ... : the first name no other component of Owner
// has (forms of one class may live side by side).
std::string UniqueFormName(TComponent* Owner, const std::string& Base);
