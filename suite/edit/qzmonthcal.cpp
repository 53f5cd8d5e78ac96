// The calendar's colours, year pop-up menu, date range clamping, day steps by keys and
// clicks, and its bold days and painting.
#include "suite/edit/qzmonthcal.h"

#include <algorithm>
#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/core/locale.h"
#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/messages.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"

namespace {

double WholeDays(TDateTime V) { return std::trunc(V); }
double DayFraction(TDateTime V) { return V - std::trunc(V); }

TDateTime ClampedDate(int Year, int Month, int Day) {
    TDateTime d = 0;
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return 0;
    TryEncodeDate(Year, Month, std::min(Day, DaysInAMonth(Year, Month)), d);
    return d;
}

// The same day Months months on, the day clamped to that month; the day
// itself when that month lies beyond the calendar.
TDateTime MonthStep(TDateTime Day, int Months) {
    int year = 0, month = 0, day = 0;
    DecodeDate(Day, year, month, day);
    const int index = year * 12 + month - 1 + Months;
    const TDateTime stepped = ClampedDate(index / 12, index % 12 + 1, day);
    return stepped == 0 ? Day : stepped;
}

// The width of a text in the menu font.
int MeasureMenuText(const std::string& Text) {
    TBitmap bitmap;
    bitmap.SetWidth(1);
    bitmap.SetHeight(1);
    return bitmap.Canvas()->TextWidth(Text);
}

// The colour slots in index order.
constexpr int kSlots[6] = {MCSC_BACKGROUND, MCSC_TEXT,    MCSC_TITLEBK,
                           MCSC_TITLETEXT,  MCSC_MONTHBK, MCSC_TRAILINGTEXT};

}  // namespace

void qzRaiseDateAbove(TDateTime Max) {
    throw EDateTimeError(Format("Date exceeds maximum of %s", DateToStr(Max)));
}

void qzRaiseDateBelow(TDateTime Min) {
    throw EDateTimeError(Format("Date is less than minimum of %s", DateToStr(Min)));
}

// ---- Colours -----------------------------------------------------------------------------

TqzDateTimeColors::TqzDateTimeColors(TComponent* Owner)
    : FOwner(Owner), FColors{clWindow, clWindowText, clActiveCaption,
                             clWhite,  clWhite,      clInactiveCaptionText} {}

void TqzDateTimeColors::SetColor(int Index, TColor Value) {
    if (Index < 0 || Index > 5) return;
    if (auto* cal = dynamic_cast<TqzMonthCalendar*>(FOwner)) cal->SetMonthColor(kSlots[Index], Value);
    FColors[Index] = Value;
}

void TqzDateTimeColors::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TqzDateTimeColors*>(Source)) {
        for (int i = 1; i <= 5; ++i) SetColor(i, src->FColors[i]);
        return;
    }
    throw EConvertError(Format("Cannot assign a %s to a %s",
                               Source ? std::string(Source->ClassName()) : std::string("nil"),
                               std::string(ClassName())));
}

void TqzDateTimeColors::Publish(TPublisher<TqzDateTimeColors>& p) {
    p.Property("TextColor", &TqzDateTimeColors::TextColor, &TqzDateTimeColors::SetTextColor);
    p.Property("TitleBackColor", &TqzDateTimeColors::TitleBackColor, &TqzDateTimeColors::SetTitleBackColor);
    p.Property("TitleTextColor", &TqzDateTimeColors::TitleTextColor, &TqzDateTimeColors::SetTitleTextColor);
    p.Property("MonthBackColor", &TqzDateTimeColors::MonthBackColor, &TqzDateTimeColors::SetMonthBackColor);
    p.Property("TrailingTextColor", &TqzDateTimeColors::TrailingTextColor,
               &TqzDateTimeColors::SetTrailingTextColor);
}

void TqzPopupYearOptions::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TqzPopupYearOptions*>(Source)) {
        FYearsPerColumn = src->FYearsPerColumn;
        FNumberColumns = src->FNumberColumns;
        FStartYear = src->FStartYear;
        FShowEditYear = src->FShowEditYear;
        return;
    }
    TPersistent::Assign(Source);
}

void TqzPopupYearOptions::Publish(TPublisher<TqzPopupYearOptions>& p) {
    p.Property("YearsPerColumn", &TqzPopupYearOptions::YearsPerColumn,
               &TqzPopupYearOptions::SetYearsPerColumn);
    p.Property("NumberColumns", &TqzPopupYearOptions::NumberColumns, &TqzPopupYearOptions::SetNumberColumns);
    p.Property("StartYear", &TqzPopupYearOptions::StartYear, &TqzPopupYearOptions::SetStartYear);
    p.Property("ShowEditYear", &TqzPopupYearOptions::ShowEditYear, &TqzPopupYearOptions::SetShowEditYear);
}

void TCalendarPopupMenu::Popup(int X, int Y) {
    FInPopup = true;
    try {
        TPopupMenu::Popup(X, Y);
    } catch (...) {
        FInPopup = false;
        throw;
    }
    FInPopup = false;
}

// ---- The calendar ------------------------------------------------------------------------

TqzMonthCalendar::TqzMonthCalendar(TComponent* AOwner)
    : TMonthView(AOwner),
      FCalColors(std::make_unique<TqzDateTimeColors>(this)),
      FPopupYearOptions(std::make_unique<TqzPopupYearOptions>()) {
    FOptions = TqzMonthOptions{mdoDayState};
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(Left(), Top(), 155, Height());
    SetMaxSelectCount(31);
    SetFirstDayOfWeek(qzdowLocaleDefault);
    FDate = Now();
    SetCurrentDate(FDate);
    FMonthMenu = std::make_unique<TCalendarPopupMenu>(nullptr);
    FMonthMenu->SetAlignment(paRight);
    const TFormatSettings& fs = FormatSettings();
    for (int m = 0; m < 12; ++m) {
        auto* item = new TMenuItem(FMonthMenu.get());
        item->SetCaption(fs.LongMonthNames[m]);
        item->SetOnClick(TNotifyEvent(this, &TqzMonthCalendar::MonthItemClick));
        FMonthMenu->Items()->Add(item);
    }
}

TqzMonthCalendar::~TqzMonthCalendar() = default;

void TqzMonthCalendar::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TqzMonthCalendar::SetOptions(TqzMonthOptions Value) {
    FOptions = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TqzMonthCalendar::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    if (FOptions.Contains(mdoDayState)) Params.Style |= MCS_DAYSTATE;
    if (FOptions.Contains(mdoMultiSelect)) Params.Style |= MCS_MULTISELECT;
    if (FOptions.Contains(mdoWeekNumbers)) Params.Style |= MCS_WEEKNUMBERS;
    if (FOptions.Contains(mdoNoTodayCircle)) Params.Style |= MCS_NOTODAYCIRCLE;
    if (FOptions.Contains(mdoNoToday) && qzComCtlVersionAtLeast471()) Params.Style |= MCS_NOTODAY;
    if (qzComCtlVersionAtLeast582()) {
        if (FOptions.Contains(mdoNoTrailingDates)) Params.Style |= MCS_NOTRAILINGDATES;
        if (FOptions.Contains(mdoShortDaysOfWeek)) Params.Style |= MCS_SHORTDAYSOFWEEK;
        if (FOptions.Contains(mdoNoSelChangeOnNav)) Params.Style |= MCS_NOSELCHANGEONNAV;
    }
    if (FBorderStyle == bsSingle) Params.Style |= WS_BORDER;
    Params.WindowClassStyle |= CS_DBLCLKS;
}

void TqzMonthCalendar::CreateWnd() {
    inherited::CreateWnd();
    SendRange(FMaxDate, FMinDate);
    if (FOptions.Contains(mdoMultiSelect)) {
        SetMaxSelCount(FMaxSelectCount);
        if (FSelStart != 0 && FSelEnd != 0)
            SetSelectionRange(FSelStart, FSelEnd);
        else
            SetCurrentDate(FDate);
    } else {
        SetCurrentDate(FDate);
    }
    for (int i = 0; i < 6; ++i) SetMonthColor(kSlots[i], FCalColors->Color(i));
    SetFirstDayOfWeek(FFirstDayOfWeek);
    AdjustMinSize();
}

void TqzMonthCalendar::Loaded() {
    inherited::Loaded();
    if (HandleAllocated()) RecreateWnd();
}

void TqzMonthCalendar::AdjustMinSize() {
    TRect r;
    if (!GetMinReqRect(r)) return;
    if (Height() < r.Height() || Width() < r.Width())
        TMonthView::SetBounds(Left(), Top(), std::max(Width(), r.Width()), std::max(Height(), r.Height()));
}

void TqzMonthCalendar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (AWidth != Width() || AHeight != Height()) {
        TRect r;
        if (GetMinReqRect(r)) {
            AWidth = std::max(AWidth, r.Width());
            AHeight = std::max(AHeight, r.Height());
        }
    }
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TqzMonthCalendar::SendRange(TDateTime Max, TDateTime Min) {
    unsigned flags = 0;
    if (Min != 0) flags |= GDTR_MIN;
    if (Max != 0) flags |= GDTR_MAX;
    if (flags) SetRange(flags, Min, Max);
}

bool TqzMonthCalendar::OutOfRange(TDateTime Day) const {
    return (FMaxDate != 0 && WholeDays(Day) > FMaxDate) || (FMinDate != 0 && WholeDays(Day) < FMinDate);
}

void TqzMonthCalendar::SetDate(TDateTime Value) {
    if (WholeDays(Value) == WholeDays(FDate)) return;
    // No day means no change (the old time of day would move it to 1899).
    if (WholeDays(Value) == 0) {
        Invalidate();
        return;
    }
    const TDateTime old = FDate;
    const TDateTime v = WholeDays(Value) + DayFraction(FDate);
    try {
        if (FMaxDate != 0 && WholeDays(v) > FMaxDate) qzRaiseDateAbove(FMaxDate);
        if (FMinDate != 0 && WholeDays(v) < FMinDate) qzRaiseDateBelow(FMinDate);
        SetCurrentDate(v);
    } catch (...) {
        SetCurrentDate(old);
        throw;
    }
}

void TqzMonthCalendar::SetTime(TDateTime Value) {
    if (DayFraction(Value) == DayFraction(FDate)) return;
    const TDateTime v = WholeDays(FDate) + DayFraction(Value);
    if (v == 0) {
        Invalidate();
        return;
    }
    SetCurrentDate(v);
}

void TqzMonthCalendar::SetCurrentDate(TDateTime Value) {
    if (FMaxDate != 0 && WholeDays(Value) > FMaxDate)
        Value = FMaxDate + DayFraction(Value);
    else if (FMinDate != 0 && WholeDays(Value) < FMinDate)
        Value = FMinDate + DayFraction(Value);
    else if (FMinDate == 0 && WholeDays(Value) < 1)
        Value = 1;  // 31 December 1899
    if (FOptions.Contains(mdoMultiSelect)) {
        FSelStart = FSelEnd = WholeDays(Value);
        if (SetSelRange(Value, Value)) FDate = Value;
    } else if (SetCurSel(Value)) {
        FDate = Value;
    }
}

void TqzMonthCalendar::SetMaxDate(TDateTime Value) {
    // A bound is a whole day: its own time of day is ignored.
    Value = WholeDays(Value);
    if (Value != 0 && FMinDate != 0 && Value < FMinDate) qzRaiseDateBelow(FMinDate);
    if (Value == FMaxDate) return;
    SendRange(Value, FMinDate);
    FMaxDate = Value;
}

void TqzMonthCalendar::SetMinDate(TDateTime Value) {
    Value = WholeDays(Value);
    if (FMaxDate != 0 && Value > FMaxDate) qzRaiseDateAbove(FMaxDate);
    if (Value == FMinDate) return;
    SendRange(FMaxDate, Value);
    FMinDate = Value;
}

void TqzMonthCalendar::SetMaxSelectCount(int Value) {
    FMaxSelectCount = Value;
    SetMaxSelCount(Value);
}

void TqzMonthCalendar::SetFirstDayOfWeek(TqzCalDayOfWeek Value) {
    const int day = Value == qzdowLocaleDefault ? LocaleFirstDayOfWeek() : static_cast<int>(Value);
    TMonthView::SetFirstDayOfWeek(day);
    FFirstDayOfWeek = Value;
}

void TqzMonthCalendar::SetOnCalcBoldDay(const TCalcBoldDayEvent& Value) {
    FOnCalcBoldDay = Value;
    RefreshDayState();
}

bool TqzMonthCalendar::SetSelectionRange(TDateTime Date1, TDateTime Date2) {
    if (!FOptions.Contains(mdoMultiSelect)) return false;
    SetSelRange(Date2, Date1);
    FSelStart = WholeDays(std::min(Date1, Date2));
    FSelEnd = WholeDays(std::max(Date1, Date2));
    return true;
}

void TqzMonthCalendar::SetSelectionEdge(TDateTime& Edge, TDateTime Other, TDateTime Value) {
    Value = WholeDays(Value);
    if (Value == 0) {
        Invalidate();
        return;
    }
    if (FMaxDate != 0 && Value > FMaxDate) {
        Edge = FMaxDate;
        qzRaiseDateAbove(FMaxDate);
    }
    if (FMinDate != 0 && Value < FMinDate) {
        Edge = FMinDate;
        qzRaiseDateBelow(FMinDate);
    }
    Edge = Value;
    if (Other != 0 && Other != Value) SetSelectionRange(FSelStart, FSelEnd);
}

void TqzMonthCalendar::SetSelectionStart(TDateTime Value) { SetSelectionEdge(FSelStart, FSelEnd, Value); }

void TqzMonthCalendar::SetSelectionEnd(TDateTime Value) { SetSelectionEdge(FSelEnd, FSelStart, Value); }

bool TqzMonthCalendar::IsPopupMenuShowing() const {
    return (FYearMenu && FYearMenu->InPopup()) || (FMonthMenu && FMonthMenu->InPopup());
}

void TqzMonthCalendar::SetFocusIfVisible() {
    if (Visible() && CanFocus()) SetFocus();
}

void TqzMonthCalendar::Change() {
    if (FOnChange.Assigned()) FOnChange(this);
}

void TqzMonthCalendar::SelChange(TDateTime Start, TDateTime End) {
    const TDateTime oldStart = FSelStart, oldEnd = FSelEnd;
    Start = WholeDays(Start);
    End = WholeDays(End);
    if (FMinDate != 0 && Start < FMinDate) {
        try {
            SetSelectionStart(FMinDate);
        } catch (const EDateTimeError&) {}
    } else {
        FSelStart = Start;
    }
    if (FMaxDate != 0 && FSelStart > FMaxDate) FSelStart = FMaxDate;
    if (!FOptions.Contains(mdoMultiSelect)) {
        FSelEnd = FSelStart;
    } else if (FMinDate != 0 && End < FMinDate) {
        try {
            SetSelectionEnd(FMinDate);
        } catch (const EDateTimeError&) {}
    } else {
        FSelEnd = End;
    }
    if (FSelStart != oldStart || FSelEnd != oldEnd) FChanged = true;
    if (FSelStart == FSelEnd && FSelStart != WholeDays(FDate)) {
        // The time of day stays with the new day.
        FDate = FSelStart + DayFraction(FDate);
        Change();
    }
}

void TqzMonthCalendar::GetDayState(int Year, int Month, int Count, uint32_t* Masks) {
    Count = std::min(Count, 14);
    for (int i = 0; i < Count; ++i) {
        Masks[i] = 0;
        if (ComponentState().Contains(csLoading)) continue;
        int month = (Month + i) % 12;
        if (month == 0) month = 12;
        const int year = Year + (Month + i - 1) / 12;
        if (year >= 10000) continue;
        for (int day = 1; day <= DaysInAMonth(year, month); ++day) {
            bool accept = false;
            if (FOnCalcBoldDay.Assigned())
                FOnCalcBoldDay(this, EncodeDate(year, month, day), month, day, year, accept);
            if (accept) Masks[i] |= 1u << (day - 1);
        }
    }
}

void TqzMonthCalendar::WndProc(TMessage& Message) {
    if (qzIsDesigning(this) || !Visible()) {
        inherited::WndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        FYearInPopup = FYearMenu && FYearMenu->InPopup();
        FMonthInPopup = FMonthMenu->InPopup();
        const TPoint p = MousePos(Message);
        const TMonthHitTest h = HitTest(p);
        const TShiftState shift = KeysToShiftState(Message.WParam);
        if (h.Hit == MCHT_TITLEMONTH || h.Hit == MCHT_TITLEYEAR) {
            MouseDown(mbLeft, shift, p.X, p.Y);
            return;
        }
        if (h.Year >= 10000) return;
        if (h.Day >= 1 && h.Day <= 31 &&
            (h.Hit == MCHT_CALENDARDATE || h.Hit == MCHT_CALENDARDATEPREV ||
             h.Hit == MCHT_CALENDARDATENEXT) &&
            OutOfRange(ClampedDate(h.Year, h.Month, h.Day))) {
            MouseDown(mbLeft, shift, p.X, p.Y);
            return;
        }
        break;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
        const TPoint p = MousePos(Message);
        const TMonthHitTest h = HitTest(p);
        const bool day =
            h.Hit == MCHT_CALENDARDATE || h.Hit == MCHT_CALENDARDATEPREV || h.Hit == MCHT_CALENDARDATENEXT;
        if (day && h.Year < 10000 && h.Day >= 1 && h.Day <= 31 &&
            OutOfRange(ClampedDate(h.Year, h.Month, h.Day))) {
            if (Message.Msg == WM_LBUTTONUP) {
                MouseUp(mbLeft, KeysToShiftState(Message.WParam), p.X, p.Y);
                if (MouseCapture()) SetMouseCapture(false);
            }
            return;
        }
        break;
    }
    default: break;
    }
    inherited::WndProc(Message);
}

void TqzMonthCalendar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button != mbLeft) {
        TWinControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (!OwnedByPicker() && CanFocus() && !Focused()) SetFocus();
    const TMonthHitTest h = HitTest({X, Y});
    const int eventDay = (h.Day >= 1 && h.Day <= 32) ? h.Day : 0;
    if (FOnMouseDown.Assigned() &&
        !RunWhileAlive(this, [&] { FOnMouseDown(this, Button, Shift, X, Y, h.Month, eventDay, h.Year); }))
        return;
    const bool onDay =
        h.Hit == MCHT_CALENDARDATE || h.Hit == MCHT_CALENDARDATEPREV || h.Hit == MCHT_CALENDARDATENEXT;
    if (onDay && h.Day >= 1 && h.Day <= 31) {
        ClearShown();
        const TDateTime day = ClampedDate(h.Year, h.Month, h.Day);
        if (FMaxDate != 0 && day > FMaxDate)
            SetDate(FMaxDate);
        else if (FMinDate != 0 && day < FMinDate)
            SetDate(FMinDate);
        return;
    }
    if (h.Hit == MCHT_TITLEBTNNEXT || h.Hit == MCHT_TITLEBTNPREV) {
        ClearShown();
        TDateTime first = 0, last = 0;
        GetVisibleRange(first, last);
        int y = 0, m = 0, d = 0, cy = 0, cm = 0, cd = 0;
        DecodeDate(FDate, cy, cm, cd);
        DecodeDate(h.Hit == MCHT_TITLEBTNPREV ? first : last, y, m, d);
        TDateTime v = ClampedDate(y, m, cd) + DayFraction(FDate);
        if (h.Hit == MCHT_TITLEBTNPREV && FMinDate != 0 && WholeDays(v) < FMinDate) {
            v = FMinDate;
            MessageBeep(0);
        } else if (h.Hit == MCHT_TITLEBTNNEXT && FMaxDate != 0 && WholeDays(v) > FMaxDate) {
            v = FMaxDate;
            MessageBeep(0);
        }
        FDate = v;
        Change();
        return;
    }
    if (h.Hit == MCHT_TITLEMONTH) {
        if ((FMonthShown || FMonthInPopup) && FTitleMonth == h.Month) {
            FMonthShown = false;
            return;
        }
        ShowMonthMenu(h, X, Y);
        return;
    }
    if (h.Hit == MCHT_TITLEYEAR) {
        if ((FYearShown || FYearInPopup) && FTitleMonth == h.Month && FMenuHit.Year == h.Year) {
            FYearShown = false;
            return;
        }
        ShowYearMenu(h, X, Y);
    }
}

void TqzMonthCalendar::ShowMonthMenu(const TMonthHitTest& Hit, int X, int Y) {
    FTitleMonth = Hit.Month;
    int bottom = Y, right = X;
    while (HitTest({X, bottom + 1}).Hit == MCHT_TITLEMONTH) ++bottom;
    while (HitTest({right + 1, Y}).Hit == MCHT_TITLEMONTH) ++right;
    int cy = 0, cm = 0, cd = 0;
    DecodeDate(FDate, cy, cm, cd);
    for (int i = 0; i < 12; ++i) {
        TMenuItem* item = FMonthMenu->Items()->Items(i);
        item->SetChecked(i + 1 == Hit.Month);
        item->SetEnabled(!OutOfRange(ClampedDate(Hit.Year, i + 1, cd)));
    }
    FMenuHit = Hit;
    const TPoint at = ClientToScreen({right, bottom + 2});
    FMonthMenu->Popup(at.X, at.Y);
    FMonthShown = true;
}

void TqzMonthCalendar::ShowYearMenu(const TMonthHitTest& Hit, int X, int Y) {
    FTitleMonth = Hit.Month;
    if (!FYearMenu) FYearMenu = std::make_unique<TCalendarPopupMenu>(nullptr);
    FYearMenu->Items()->Clear();
    TqzPopupYearOptions* o = FPopupYearOptions.get();
    if (o->ShowEditYear()) {
        auto* item = new TMenuItem(FYearMenu.get());
        item->SetCaption(qzIntl()->MonthCalendar()->PopupYearLabel());
        item->SetOnClick(TNotifyEvent(this, &TqzMonthCalendar::YearItemClick));
        FYearMenu->Items()->Add(item);
        auto* line = new TMenuItem(FYearMenu.get());
        line->SetCaption("-");
        FYearMenu->Items()->Add(line);
    }
    int cy = 0, cm = 0, cd = 0;
    DecodeDate(FDate, cy, cm, cd);
    const int count = std::clamp(o->YearsPerColumn() * o->NumberColumns(), 0, 400);
    for (int year = o->StartYear(); year < o->StartYear() + count; ++year) {
        if (year < 1 || year > 9999) continue;
        auto* item = new TMenuItem(FYearMenu.get());
        item->SetCaption(IntToStr(year));
        item->SetOnClick(TNotifyEvent(this, &TqzMonthCalendar::YearItemClick));
        item->SetChecked(year == Hit.Year);
        item->SetEnabled(!OutOfRange(ClampedDate(year, cm, cd)));
        FYearMenu->Items()->Add(item);
    }
    int bottom = Y, left = X;
    while (HitTest({X, bottom + 1}).Hit == MCHT_TITLEYEAR) ++bottom;
    while (left > 0 && HitTest({left - 1, Y}).Hit == MCHT_TITLEYEAR) --left;
    FMenuHit = Hit;
    TPoint at = ClientToScreen({left, bottom + 1});
    if (o->ShowEditYear() && o->YearsPerColumn() != 1)
        at.X -= MeasureMenuText(qzIntl()->MonthCalendar()->PopupYearLabel()) + 45;
    FYearMenu->Popup(at.X, at.Y);
    FYearShown = true;
}

void TqzMonthCalendar::ChooseMenuDate(TDateTime Value) {
    if (Value == 0) return;
    try {
        SetDate(Value);
    } catch (const EDateTimeError&) {
        MessageBeep(0);
        return;
    }
    Change();
}

void TqzMonthCalendar::MonthItemClick(TObject* Sender) {
    ClearShown();
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    const TFormatSettings& fs = FormatSettings();
    int n = 0;
    for (int m = 0; m < 12; ++m)
        if (item->Caption() == fs.LongMonthNames[m]) n = m + 1;
    const int h = FTitleMonth;
    if (n == 0 || n == h) return;
    int cy = 0, cm = 0, cd = 0;
    DecodeDate(FDate, cy, cm, cd);
    TDateTime first = 0, last = 0;
    GetVisibleRange(first, last);
    int y = 0, m = 0, d = 0;
    DecodeDate(n > h ? last : first, y, m, d);
    int target = y * 12 + (m - 1) + (n - h);
    ShowMonth(target / 12, target % 12 + 1);
    ChooseMenuDate(ClampedDate(FMenuHit.Year, n, cd));
}

void TqzMonthCalendar::YearItemClick(TObject* Sender) {
    ClearShown();
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    TDateTime first = 0, last = 0;
    GetVisibleRange(first, last);
    int cy = 0, cm = 0, cd = 0;
    DecodeDate(FDate, cy, cm, cd);
    int lowest = 0, highest = 0;
    if (FMinDate != 0) {
        int y = 0, m = 0, d = 0;
        DecodeDate(FMinDate, y, m, d);
        lowest = y + ((cm < m || (cm == m && cd < d)) ? 1 : 0);
    }
    if (FMaxDate != 0) {
        int y = 0, m = 0, d = 0;
        DecodeDate(FMaxDate, y, m, d);
        highest = y - ((cm > m || (cm == m && cd > d)) ? 1 : 0);
    }
    const int title = FMenuHit.Year;
    int chosen = 0;
    if (item->Caption() == qzIntl()->MonthCalendar()->PopupYearLabel()) {
        int def = title;
        if (highest && def > highest) def = highest;
        if (lowest && def < lowest) def = lowest;
        const std::string base = qzIntl()->MonthCalendar()->EnterYearPrompt();
        std::string caption = base, prompt = " ";
        if (highest && !lowest) {
            caption = base + " (<=" + IntToStr(highest) + ")";
            prompt = "Enter New Year:";
        } else if (lowest && !highest) {
            caption = base + " (>=" + IntToStr(lowest) + ")";
            prompt = "Enter New Year:";
        } else if (lowest && highest) {
            caption = base + " (" + IntToStr(lowest) + "-" + IntToStr(highest) + ")";
            prompt = "";
        }
        for (;;) {
            std::string answer = IntToStr(def);
            // Cancel ends the box and leaves the date as it is.
            if (!InputQuery(caption, prompt, answer)) return;
            if (lowest && highest) prompt = "Enter New Year:";
            int year = 0;
            if (!TryStrToInt(Trim(answer), year)) continue;
            if (year < 1 || year > 9999) continue;
            if (highest && year > highest) {
                def = highest;
                continue;
            }
            if (lowest && year < lowest) {
                def = lowest;
                continue;
            }
            chosen = year;
            break;
        }
    } else if (!TryStrToInt(item->Caption(), chosen)) {
        return;
    }
    if (chosen == title) return;
    int y = 0, m = 0, d = 0;
    DecodeDate(chosen > title ? last : first, y, m, d);
    ShowMonth(chosen, m);
    ChooseMenuDate(ClampedDate(chosen, cm, cd));
}

void TqzMonthCalendar::MouseMove(TShiftState Shift, int X, int Y) {
    const TMonthHitTest h = HitTest({X, Y});
    if (FOnMouseMove.Assigned()) FOnMouseMove(this, Shift, X, Y, h.Month, h.Day, h.Year);
}

void TqzMonthCalendar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TMonthHitTest h = HitTest({X, Y});
    const int eventDay = (h.Day >= 1 && h.Day <= 32) ? h.Day : 0;
    if (FOnMouseUp.Assigned() &&
        !RunWhileAlive(this, [&] { FOnMouseUp(this, Button, Shift, X, Y, h.Month, eventDay, h.Year); }))
        return;
    if (FOptions.Contains(mdoMultiSelect) && FChanged) Change();
    FChanged = false;
}

void TqzMonthCalendar::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { TWinControl::KeyDown(Key, Shift); })) return;
    if (Key != VK_PRIOR && Key != VK_NEXT && Key != VK_LEFT && Key != VK_RIGHT && Key != VK_UP &&
        Key != VK_DOWN)
        return;
    const bool multi = FOptions.Contains(mdoMultiSelect);
    TDateTime cur = WholeDays(FDate);
    if (multi) {
        TDateTime a = 0, b = 0;
        GetSelRange(a, b);
        cur = WholeDays(a);
        if ((Key == VK_PRIOR || Key == VK_NEXT) && b > a) {
            Key = 0;
            return;
        }
    } else {
        cur = WholeDays(GetCurSel());
    }
    const TDateTime min = FMinDate, max = FMaxDate;
    TDateTime next = cur;
    switch (Key) {
    case VK_PRIOR:
        next = MonthStep(cur, -1);
        if (min != 0 && next <= min) next = min;
        break;
    case VK_NEXT:
        next = MonthStep(cur, 1);
        if (max != 0 && next >= max) next = max;
        break;
    case VK_LEFT:
        if (min == 0 || cur - 1 >= min) next = cur - 1;
        break;
    case VK_RIGHT:
        if (max == 0 || cur + 1 <= max) next = cur + 1;
        break;
    case VK_UP:
        if (min == 0 || cur - 7 >= min) next = cur - 7;
        break;
    case VK_DOWN:
        if (max == 0 || cur + 7 <= max) next = cur + 7;
        break;
    default: break;
    }
    if (next < 1) next = cur;
    if (multi && Shift.Contains(ssShift) && Key != VK_PRIOR && Key != VK_NEXT) {
        // The start stays; the end follows the key.
        TDateTime a = 0, b = 0;
        GetSelRange(a, b);
        const TDateTime end = b + (next - cur);
        if (end >= a && (max == 0 || end <= max)) SetSelectionRange(a, end);
    } else if (next != cur) {
        try {
            if (multi) {
                FSelStart = FSelEnd = 0;
                SetCurrentDate(next + DayFraction(FDate));
            } else {
                SetDate(next);
            }
        } catch (const EDateTimeError&) {
            MessageBeep(0);
        }
    }
    Change();
    Key = 0;
}

void TqzMonthCalendar::CNKeyDown(TMessage& Message) {
    const auto key = static_cast<uint16_t>(Message.WParam);
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    if (!qzIsDesigning(this) &&
        (((key == VK_PRIOR || key == VK_NEXT || arrow) && !ctrl) || (ctrl && arrow && qzIsInGrid(this)))) {
        Message.Result = 0;
        return;
    }
    inherited::CNKeyDown(Message);
}

void TqzMonthCalendar::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_COLORCHANGED:
        inherited::Dispatch(Message);
        Invalidate();
        return;
    case CM_FONTCHANGED:
        inherited::Dispatch(Message);
        AdjustMinSize();
        Invalidate();
        return;
    case CM_SHOWINGCHANGED:
        inherited::Dispatch(Message);
        ClearShown();
        return;
    default: break;
    }
    inherited::Dispatch(Message);
}

void TqzMonthCalendar::Publish(TPublisher<TqzMonthCalendar>& p) {
    p.Property("BorderStyle", &TqzMonthCalendar::BorderStyle, &TqzMonthCalendar::SetBorderStyle);
    p.Property("CalColors", &TqzMonthCalendar::CalColors, &TqzMonthCalendar::SetCalColors);
    p.Property("Date", &TqzMonthCalendar::Date, &TqzMonthCalendar::SetDate);
    p.Property("Time", &TqzMonthCalendar::Time, &TqzMonthCalendar::SetTime);
    p.Property("Options", &TqzMonthCalendar::Options, &TqzMonthCalendar::SetOptions);
    p.Property("PopupYearOptions", &TqzMonthCalendar::PopupYearOptions,
               &TqzMonthCalendar::SetPopupYearOptions);
    p.Property("FirstDayOfWeek", &TqzMonthCalendar::FirstDayOfWeek, &TqzMonthCalendar::SetFirstDayOfWeek);
    p.Property("MaxSelectCount", &TqzMonthCalendar::MaxSelectCount, &TqzMonthCalendar::SetMaxSelectCount);
    p.Property("MaxDate", &TqzMonthCalendar::MaxDate, &TqzMonthCalendar::SetMaxDate);
    p.Property("MinDate", &TqzMonthCalendar::MinDate, &TqzMonthCalendar::SetMinDate);
    p.Property("OnCalcBoldDay", &TqzMonthCalendar::OnCalcBoldDay, &TqzMonthCalendar::SetOnCalcBoldDay);
    p.Property("OnChange", &TqzMonthCalendar::OnChange, &TqzMonthCalendar::SetOnChange);
}
