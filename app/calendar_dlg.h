// TOKCalendarDlg: a dialog with a month calendar, "OK" and "Cancel". It
// shows the calendar; the date chosen is not used by the program.
#pragma once

#include "platform/ui/forms.h"

class TBevel;
class TButton;
class TOstraCalendar;

class TOKCalendarDlg : public TForm {
    TASKMOOR_CLASS(TOKCalendarDlg, TForm)
public:
    explicit TOKCalendarDlg(TComponent* AOwner);

    TBevel* Bevel1() const { return FBevel1; }
    TOstraCalendar* Calendar1() const { return FCalendar1; }
    TButton* OKBtn() const { return FOKBtn; }
    TButton* CancelBtn() const { return FCancelBtn; }

private:
    TBevel* FBevel1;
    TOstraCalendar* FCalendar1;
    TButton* FOKBtn;
    TButton* FCancelBtn;
};
