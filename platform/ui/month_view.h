// The month-calendar control, painted by us: one or more months side by
// side (as many as its size holds), a title per month with the month and
// the year, buttons that scroll by the months shown, the day names, an
// optional week-number column and a "Today:" line.
//
// Its style bits (the MCS_ values) come from the creation parameters' Style.
// The selection (one day, or a range up to MaxSelCount days with
// MCS_MULTISELECT) never leaves the range set by SetRange. A change of the
// selection by the user calls SelChange; with MCS_DAYSTATE the bold days of
// each month shown are asked from GetDayState.
#pragma once

#include <cstdint>

#include "platform/core/datetime.h"
#include "platform/ui/controls.h"

constexpr uint32_t MCS_DAYSTATE = 0x1, MCS_MULTISELECT = 0x2, MCS_WEEKNUMBERS = 0x4, MCS_NOTODAYCIRCLE = 0x8,
                   MCS_NOTODAY = 0x10, MCS_NOTRAILINGDATES = 0x40, MCS_SHORTDAYSOFWEEK = 0x80,
                   MCS_NOSELCHANGEONNAV = 0x100;
constexpr uint32_t MCS_ALLSTYLES = 0x1DF;

// Colour slots.
constexpr int MCSC_BACKGROUND = 0, MCSC_TEXT = 1, MCSC_TITLEBK = 2, MCSC_TITLETEXT = 3, MCSC_MONTHBK = 4,
              MCSC_TRAILINGTEXT = 5;

// Range flags.
constexpr unsigned GDTR_MIN = 1, GDTR_MAX = 2;

// Hit-test codes.
constexpr unsigned MCHT_NOWHERE = 0, MCHT_TITLEBK = 1, MCHT_TITLEMONTH = 2, MCHT_TITLEYEAR = 3,
                   MCHT_TITLEBTNNEXT = 4, MCHT_TITLEBTNPREV = 5, MCHT_CALENDARBK = 6, MCHT_CALENDARDATE = 7,
                   MCHT_CALENDARDATENEXT = 8, MCHT_CALENDARDATEPREV = 9, MCHT_CALENDARDAY = 10,
                   MCHT_CALENDARWEEKNUM = 11, MCHT_TODAYLINK = 12;

struct TMonthHitTest {
    unsigned Hit = MCHT_NOWHERE;
    // The date under the point: a day (trailing days too), the month of a
    // title, the day-of-week of a day name (Day 1..7 from Monday), or the
    // first day of a week-number row.
    int Year = 0, Month = 0, Day = 0;
};

class TMonthView : public TCustomControl {
    TASKMOOR_CLASS(TMonthView, TCustomControl)
public:
    explicit TMonthView(TComponent* AOwner);

    uint32_t MonthStyle() const { return FStyle; }

    // Whole days; a flag missing clears that bound. Answers true.
    bool SetRange(unsigned Flags, TDateTime Min, TDateTime Max);
    unsigned GetRange(TDateTime& Min, TDateTime& Max) const;
    // Fails (false) outside the range and with MCS_MULTISELECT.
    bool SetCurSel(TDateTime Value);
    TDateTime GetCurSel() const { return FSelStart; }
    // MCS_MULTISELECT only; both ends within the range and at most
    // MaxSelCount days apart.
    bool SetSelRange(TDateTime First, TDateTime Second);
    bool GetSelRange(TDateTime& Start, TDateTime& End) const;
    bool SetMaxSelCount(int Value);
    int MaxSelCount() const { return FMaxSelCount; }
    void SetMonthColor(int Slot, TColor Value);
    TColor MonthColor(int Slot) const;
    // 0 = Monday .. 6 = Sunday.
    void SetFirstDayOfWeek(int Day);
    int FirstDayOfWeek() const { return FFirstDay; }
    // The size of one month with the today line.
    bool GetMinReqRect(TRect& Rect);
    TMonthHitTest HitTest(const TPoint& P);
    // The first day of the first month shown and the last of the last;
    // answers the number of months shown.
    int GetVisibleRange(TDateTime& First, TDateTime& Last);
    // Shows Year/Month as the first month.
    void ShowMonth(int Year, int Month);
    // Paints the calendar into Rect of any canvas (a grid cell).
    void PaintTo(TCanvas* Canvas, const TRect& Rect);
    // Asks the bold days again.
    void RefreshDayState() { Invalidate(); }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Paint() override;
    // The control's own mouse handling runs before the message reaches
    // MouseDown, MouseMove and MouseUp (a descendant that swallows the
    // message in WndProc keeps it from the control).
    void WndProc(TMessage& Message) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void WMGetDlgCode(TMessage& Message) override;

    // The user changed the selection.
    virtual void SelChange(TDateTime Start, TDateTime End);
    // Bit d-1 of Masks[i] makes day d of the i-th month from Year/Month bold.
    virtual void GetDayState(int Year, int Month, int Count, uint32_t* Masks);

private:
    struct TLayout {
        int CellW = 0, CellH = 0, TitleH = 0, WeekW = 0, BlockW = 0, BlockH = 0, TodayH = 0;
        int Cols = 1, Rows = 1;
    };
    TLayout Layout(TCanvas* Canvas, const TRect& R) const;
    void PaintMonths(TCanvas* Canvas, const TRect& R);
    void PaintMonthTitle(TCanvas* C, const TLayout& l, int index, int left, int top, int year, int month);
    void PaintDayNames(TCanvas* C, const TLayout& l, int left, int top);
    void PaintDays(TCanvas* C, const TLayout& l, int index, int left, int top, int year, int month,
                   uint32_t boldDays);
    void PaintTodayLine(TCanvas* C, const TLayout& l, const TRect& R);
    TMonthHitTest HitTestIn(TCanvas* Canvas, const TRect& R, const TPoint& P);
    TDateTime Clamp(TDateTime Day) const;
    bool InRange(TDateTime Day) const;
    void MakeVisible(TDateTime Day);
    void Scroll(int Months);
    void UserSelect(TDateTime Day);
    void ControlMouseDown(int X, int Y);
    void ControlMouseMove(int X, int Y);
    void ControlMouseUp();
    void SetSelection(TDateTime A, TDateTime B);

    uint32_t FStyle = 0;
    TDateTime FMin = 0, FMax = 0;
    unsigned FRangeFlags = 0;
    TDateTime FSelStart = 0, FSelEnd = 0, FAnchor = 0;
    int FMaxSelCount = 7;
    TColor FColors[6];
    int FFirstDay = 6;
    int FYear = 2000, FMonth = 1;
    bool FDragging = false;
};
