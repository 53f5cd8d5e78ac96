// The calendar dialog's form: the month calendar and its two buttons.
#include "app/calendar_dlg.h"

#include "app/report/form_layout.h"
#include "engine-controls/ostra_calendar.h"
#include "platform/core/datetime.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

TOKCalendarDlg::TOKCalendarDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName(UniqueFormName(AOwner, "OKCalendarDlg"));
    SetCaption("Calendar");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(313);
    SetClientHeight(242);

    FBevel1 = new TBevel(this);
    FBevel1->SetName("Bevel1");
    FBevel1->SetParent(this);
    FBevel1->SetBounds(8, 8, 297, 190);
    FBevel1->SetShape(bsFrame);

    FCalendar1 = new TOstraCalendar(this);
    FCalendar1->SetName("Calendar1");
    FCalendar1->SetParent(this);
    FCalendar1->SetBounds(8 + (297 - TOstraCalendar::FixedWidth) / 2,
                          8 + (190 - TOstraCalendar::FixedHeight) / 2, TOstraCalendar::FixedWidth,
                          TOstraCalendar::FixedHeight);
    FCalendar1->SetDate(Date());

    FOKBtn = new TButton(this);
    FOKBtn->SetName("OKBtn");
    FOKBtn->SetParent(this);
    FOKBtn->SetBounds(150, 208, 75, 25);
    FOKBtn->SetCaption("OK");
    FOKBtn->SetDefault(true);
    FOKBtn->SetModalResult(mrOk);

    FCancelBtn = new TButton(this);
    FCancelBtn->SetName("CancelBtn");
    FCancelBtn->SetParent(this);
    FCancelBtn->SetBounds(230, 208, 75, 25);
    FCancelBtn->SetCaption("Cancel");
    FCancelBtn->SetCancel(true);
    FCancelBtn->SetModalResult(mrCancel);
}
