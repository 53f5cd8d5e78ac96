// The month view's date arithmetic and ISO weeks, layout of months side by side,
// painting, the chosen date or range, and its mouse and keys.
#include "platform/ui/month_view.h"

#include <algorithm>
#include <cmath>

#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/graphics.h"
#include "platform/ui/messages.h"

namespace {

constexpr int kMargin = 4;

int Day0(TDateTime Value) { return static_cast<int>(std::floor(Value)); }

TDateTime FirstOf(int Year, int Month) {
    TDateTime d = 0;
    TryEncodeDate(Year, Month, 1, d);
    return d;
}

void AddMonths(int& Year, int& Month, int Count) {
    int m = Year * 12 + (Month - 1) + Count;
    m = std::clamp(m, 1 * 12, 9999 * 12 + 11);
    Year = m / 12;
    Month = m % 12 + 1;
}

// 0 = Monday .. 6 = Sunday.
int WeekdayOf(TDateTime Day) { return (DayOfWeek(Day) + 5) % 7; }

int IsoWeek(TDateTime Day) {
    const TDateTime thursday = Day0(Day) - WeekdayOf(Day) + 3;
    int y = 0, m = 0, d = 0;
    DecodeDate(thursday, y, m, d);
    return static_cast<int>((thursday - FirstOf(y, 1)) / 7) + 1;
}

// Measures with the control's font when it has no window yet.
TCanvas* MeasureCanvas(const TControl* Control) {
    static TBitmap* bitmap = [] {
        auto* b = new TBitmap();
        b->SetWidth(1);
        b->SetHeight(1);
        return b;
    }();
    bitmap->Canvas()->Font()->Assign(Control->Font());
    return bitmap->Canvas();
}

}  // namespace

TMonthView::TMonthView(TComponent* AOwner) : TCustomControl(AOwner) {
    FColors[MCSC_BACKGROUND] = clWindow;
    FColors[MCSC_TEXT] = clWindowText;
    FColors[MCSC_TITLEBK] = clActiveCaption;
    FColors[MCSC_TITLETEXT] = clWhite;
    FColors[MCSC_MONTHBK] = clWhite;
    FColors[MCSC_TRAILINGTEXT] = clInactiveCaptionText;
    FSelStart = FSelEnd = Day0(Date());
    int y = 0, d = 0;
    DecodeDate(FSelStart, y, FMonth, d);
    FYear = y;
    SetControlStyle(ControlStyle() + csOpaque + csDoubleClicks);
    SetBounds(0, 0, 190, 160);
}

void TMonthView::CreateWindowHandle(const TCreateParams& Params) {
    FStyle = Params.Style & MCS_ALLSTYLES;
    inherited::CreateWindowHandle(Params);
    if (!(FStyle & MCS_MULTISELECT)) FSelEnd = FSelStart;
}

bool TMonthView::InRange(TDateTime Day) const {
    const int d = Day0(Day);
    if ((FRangeFlags & GDTR_MIN) && d < Day0(FMin)) return false;
    if ((FRangeFlags & GDTR_MAX) && d > Day0(FMax)) return false;
    return d >= Day0(FirstOf(1, 1)) && d <= Day0(EncodeDate(9999, 12, 31));
}

TDateTime TMonthView::Clamp(TDateTime Day) const {
    int d = Day0(Day);
    if ((FRangeFlags & GDTR_MIN) && d < Day0(FMin)) d = Day0(FMin);
    if ((FRangeFlags & GDTR_MAX) && d > Day0(FMax)) d = Day0(FMax);
    return std::clamp<double>(d, FirstOf(1, 1), EncodeDate(9999, 12, 31));
}

bool TMonthView::SetRange(unsigned Flags, TDateTime Min, TDateTime Max) {
    FRangeFlags = Flags & (GDTR_MIN | GDTR_MAX);
    FMin = (Flags & GDTR_MIN) ? Day0(Min) : 0;
    FMax = (Flags & GDTR_MAX) ? Day0(Max) : 0;
    FSelStart = Clamp(FSelStart);
    FSelEnd = std::max(FSelStart, Clamp(FSelEnd));
    Invalidate();
    return true;
}

unsigned TMonthView::GetRange(TDateTime& Min, TDateTime& Max) const {
    Min = FMin;
    Max = FMax;
    return FRangeFlags;
}

bool TMonthView::SetCurSel(TDateTime Value) {
    if ((FStyle & MCS_MULTISELECT) || !InRange(Value)) return false;
    FSelStart = FSelEnd = Day0(Value);
    MakeVisible(FSelStart);
    Invalidate();
    return true;
}

bool TMonthView::SetSelRange(TDateTime First, TDateTime Second) {
    if (!(FStyle & MCS_MULTISELECT)) return false;
    const TDateTime a = Day0(std::min(First, Second)), b = Day0(std::max(First, Second));
    if (!InRange(a) || !InRange(b) || b - a + 1 > FMaxSelCount) return false;
    FSelStart = a;
    FSelEnd = b;
    MakeVisible(FSelStart);
    Invalidate();
    return true;
}

bool TMonthView::GetSelRange(TDateTime& Start, TDateTime& End) const {
    Start = FSelStart;
    End = FSelEnd;
    return (FStyle & MCS_MULTISELECT) != 0;
}

bool TMonthView::SetMaxSelCount(int Value) {
    if (Value < 1) return false;
    FMaxSelCount = Value;
    return true;
}

void TMonthView::SetMonthColor(int Slot, TColor Value) {
    if (Slot < 0 || Slot > 5) return;
    FColors[Slot] = Value;
    Invalidate();
}

TColor TMonthView::MonthColor(int Slot) const { return Slot >= 0 && Slot <= 5 ? FColors[Slot] : clNone; }

void TMonthView::SetFirstDayOfWeek(int Day) {
    FFirstDay = std::clamp(Day, 0, 6);
    Invalidate();
}

TMonthView::TLayout TMonthView::Layout(TCanvas* Canvas, const TRect& R) const {
    TLayout l;
    const int th = std::max(Canvas->TextHeight("0"), 8);
    l.CellW = std::max(Canvas->TextWidth("Wed"), Canvas->TextWidth("00")) + 6;
    l.CellH = th + 3;
    l.TitleH = th + 10;
    l.WeekW = (FStyle & MCS_WEEKNUMBERS) ? Canvas->TextWidth("00") + 8 : 0;
    l.BlockW = l.WeekW + 7 * l.CellW + 2 * kMargin;
    l.BlockH = l.TitleH + l.CellH + 2 + 6 * l.CellH + kMargin;
    l.TodayH = (FStyle & MCS_NOTODAY) ? 0 : th + 6;
    l.Cols = std::max(1, R.Width() / l.BlockW);
    l.Rows = std::max(1, (R.Height() - l.TodayH) / l.BlockH);
    return l;
}

bool TMonthView::GetMinReqRect(TRect& Rect) {
    const TLayout l = Layout(MeasureCanvas(this), TRect{0, 0, 0, 0});
    Rect = TRect{0, 0, l.BlockW, l.BlockH + l.TodayH};
    Rect.Right += std::max(0, Width() - ClientWidth());
    Rect.Bottom += std::max(0, Height() - ClientHeight());
    return true;
}

int TMonthView::GetVisibleRange(TDateTime& First, TDateTime& Last) {
    const TLayout l = Layout(MeasureCanvas(this), ClientRect());
    const int count = l.Cols * l.Rows;
    int y = FYear, m = FMonth;
    First = FirstOf(y, m);
    AddMonths(y, m, count - 1);
    Last = FirstOf(y, m) + DaysInAMonth(y, m) - 1;
    return count;
}

void TMonthView::ShowMonth(int Year, int Month) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return;
    FYear = Year;
    FMonth = Month;
    Invalidate();
}

void TMonthView::MakeVisible(TDateTime Day) {
    TDateTime first = 0, last = 0;
    const int count = GetVisibleRange(first, last);
    if (Day >= first && Day <= last) return;
    int y = 0, m = 0, d = 0;
    DecodeDate(Day, y, m, d);
    if (Day > last) AddMonths(y, m, -(count - 1));
    ShowMonth(y, m);
}

void TMonthView::Scroll(int Months) {
    int y = FYear, m = FMonth;
    AddMonths(y, m, Months);
    ShowMonth(y, m);
}

void TMonthView::SetSelection(TDateTime A, TDateTime B) {
    FSelStart = std::min(A, B);
    FSelEnd = std::max(A, B);
    if (!(FStyle & MCS_MULTISELECT)) FSelEnd = FSelStart;
    Invalidate();
}

void TMonthView::UserSelect(TDateTime Day) {
    Day = Clamp(Day);
    SetSelection(Day, Day);
    FAnchor = Day;
    MakeVisible(Day);
    SelChange(FSelStart, FSelEnd);
}

void TMonthView::SelChange(TDateTime, TDateTime) {}

void TMonthView::GetDayState(int, int, int Count, uint32_t* Masks) {
    for (int i = 0; i < Count; ++i) Masks[i] = 0;
}

TMonthHitTest TMonthView::HitTest(const TPoint& P) { return HitTestIn(MeasureCanvas(this), ClientRect(), P); }

TMonthHitTest TMonthView::HitTestIn(TCanvas* Canvas, const TRect& R, const TPoint& P) {
    TMonthHitTest h;
    if (P.X < R.Left || P.Y < R.Top || P.X >= R.Right || P.Y >= R.Bottom) return h;
    const TLayout l = Layout(Canvas, R);
    const int x = P.X - R.Left, y = P.Y - R.Top;
    const int monthsBottom = l.Rows * l.BlockH;
    if (y >= monthsBottom) {
        if (l.TodayH && y < monthsBottom + l.TodayH) {
            h.Hit = MCHT_TODAYLINK;
            DecodeDate(Date(), h.Year, h.Month, h.Day);
        }
        return h;
    }
    const int col = x / l.BlockW, row = y / l.BlockH;
    if (col >= l.Cols) return h;
    int year = FYear, month = FMonth;
    AddMonths(year, month, row * l.Cols + col);
    const int bx = x - col * l.BlockW, by = y - row * l.BlockH;
    if (by < l.TitleH) {
        h.Year = year;
        h.Month = month;
        h.Hit = MCHT_TITLEBK;
        if (row == 0 && col == 0 && bx < l.TitleH) {
            h.Hit = MCHT_TITLEBTNPREV;
            return h;
        }
        if (row == 0 && col == l.Cols - 1 && bx >= l.BlockW - l.TitleH) {
            h.Hit = MCHT_TITLEBTNNEXT;
            return h;
        }
        const TFormatSettings& fs = FormatSettings();
        const std::string monthText = fs.LongMonthNames[month - 1];
        const std::string yearText = IntToStr(year);
        const int mw = Canvas->TextWidth(monthText), sw = Canvas->TextWidth(" "),
                  yw = Canvas->TextWidth(yearText);
        const int start = (l.BlockW - (mw + sw + yw)) / 2;
        const int th = Canvas->TextHeight("0");
        const int top = (l.TitleH - th) / 2;
        if (by >= top && by < top + th) {
            if (bx >= start && bx < start + mw) h.Hit = MCHT_TITLEMONTH;
            if (bx >= start + mw + sw && bx < start + mw + sw + yw) h.Hit = MCHT_TITLEYEAR;
        }
        return h;
    }
    const int gx = bx - kMargin - l.WeekW, gy = by - l.TitleH;
    h.Hit = MCHT_CALENDARBK;
    if (gy < l.CellH) {
        if (gx >= 0 && gx < 7 * l.CellW) {
            h.Hit = MCHT_CALENDARDAY;
            h.Day = (gx / l.CellW + FFirstDay) % 7 + 1;
        }
        return h;
    }
    const int line = (gy - l.CellH - 2) / l.CellH;
    if (gy < l.CellH + 2 || line > 5) return h;
    const TDateTime first = FirstOf(year, month);
    const int lead = (WeekdayOf(first) - FFirstDay + 7) % 7;
    const TDateTime rowStart = first - lead + line * 7;
    if (gx < 0) {
        if (l.WeekW && bx >= kMargin) {
            h.Hit = MCHT_CALENDARWEEKNUM;
            DecodeDate(rowStart, h.Year, h.Month, h.Day);
        }
        return h;
    }
    if (gx >= 7 * l.CellW) return h;
    const TDateTime day = rowStart + gx / l.CellW;
    if (day < FirstOf(1, 1) || day > EncodeDate(9999, 12, 31)) return h;
    int dy = 0, dm = 0, dd = 0;
    DecodeDate(day, dy, dm, dd);
    const int index = row * l.Cols + col;
    const bool before = day < first, after = dm != month && !before;
    if (before || after) {
        // Trailing days show only before the first month and after the last.
        const bool shown = !(FStyle & MCS_NOTRAILINGDATES) &&
                           ((before && index == 0) || (after && index == l.Cols * l.Rows - 1));
        if (!shown) return h;
        h.Hit = before ? MCHT_CALENDARDATEPREV : MCHT_CALENDARDATENEXT;
    } else {
        h.Hit = MCHT_CALENDARDATE;
    }
    h.Year = dy;
    h.Month = dm;
    h.Day = dd;
    return h;
}

void TMonthView::Paint() { PaintTo(Canvas(), ClientRect()); }

void TMonthView::PaintTo(TCanvas* Canvas, const TRect& Rect) {
    Canvas->Font()->Assign(Font());
    PaintMonths(Canvas, Rect);
}

void TMonthView::PaintMonths(TCanvas* C, const TRect& R) {
    const TLayout l = Layout(C, R);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FColors[MCSC_BACKGROUND]);
    C->FillRect(R);
    const TColor baseFont = C->Font()->Color();
    const int count = l.Cols * l.Rows;
    uint32_t masks[14] = {};
    if (FStyle & MCS_DAYSTATE) GetDayState(FYear, FMonth, std::min(count, 14), masks);
    for (int index = 0; index < count; ++index) {
        int year = FYear, month = FMonth;
        AddMonths(year, month, index);
        const int left = R.Left + (index % l.Cols) * l.BlockW, top = R.Top + (index / l.Cols) * l.BlockH;
        PaintMonthTitle(C, l, index, left, top, year, month);
        PaintDayNames(C, l, left, top);
        PaintDays(C, l, index, left, top, year, month, index < 14 ? masks[index] : 0u);
    }
    if (l.TodayH) PaintTodayLine(C, l, R);
    C->Font()->SetColor(baseFont);
    C->Brush()->SetStyle(bsSolid);
}

// A month's title with its name and year, and the arrows on the first and last of the top row.
void TMonthView::PaintMonthTitle(TCanvas* C, const TLayout& l, int index, int left, int top, int year,
                                 int month) {
    const TFormatSettings& fs = FormatSettings();
    const TFontStyles plain = C->Font()->Style();
    C->Brush()->SetColor(FColors[MCSC_TITLEBK]);
    C->FillRect(TRect{left + 1, top + 1, left + l.BlockW - 1, top + l.TitleH - 2});
    C->Font()->SetColor(FColors[MCSC_TITLETEXT]);
    C->Font()->SetStyle(plain + fsBold);
    const std::string title = fs.LongMonthNames[month - 1] + " " + IntToStr(year);
    C->Brush()->SetStyle(bsClear);
    const int tw =
        C->TextWidth(fs.LongMonthNames[month - 1]) + C->TextWidth(" ") + C->TextWidth(IntToStr(year));
    C->TextOut(left + (l.BlockW - tw) / 2, top + (l.TitleH - C->TextHeight("0")) / 2, title);
    C->Font()->SetStyle(plain);
    C->Brush()->SetStyle(bsSolid);
    const int mid = top + l.TitleH / 2 - 1, a = std::max(3, l.TitleH / 5);
    C->Brush()->SetColor(FColors[MCSC_TITLETEXT]);
    C->Pen()->SetColor(FColors[MCSC_TITLETEXT]);
    if (index == 0) {
        const int x = left + l.TitleH / 2 - a / 2;
        C->Polygon({{x, mid}, {x + a, mid - a}, {x + a, mid + a}});
    }
    if (index == l.Cols - 1) {
        const int x = left + l.BlockW - l.TitleH / 2 + a / 2;
        C->Polygon({{x, mid}, {x - a, mid - a}, {x - a, mid + a}});
    }
}

// The month's background, the day names and the line under them.
void TMonthView::PaintDayNames(TCanvas* C, const TLayout& l, int left, int top) {
    const TFormatSettings& fs = FormatSettings();
    const int gridLeft = left + kMargin + l.WeekW, namesTop = top + l.TitleH;
    C->Brush()->SetColor(FColors[MCSC_MONTHBK]);
    C->FillRect(TRect{left + kMargin, namesTop, left + l.BlockW - kMargin, top + l.BlockH - kMargin / 2});
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetColor(FColors[MCSC_TITLEBK]);
    for (int i = 0; i < 7; ++i) {
        const int dow = (FFirstDay + i) % 7;  // 0 = Monday
        std::string name = fs.ShortDayNames[(dow + 1) % 7];
        if (FStyle & MCS_SHORTDAYSOFWEEK) name = name.substr(0, 2);
        const int x = gridLeft + i * l.CellW + (l.CellW - C->TextWidth(name)) / 2;
        C->TextOut(x, namesTop + 1, name);
    }
    C->Pen()->SetColor(FColors[MCSC_TRAILINGTEXT]);
    C->MoveTo(gridLeft, namesTop + l.CellH);
    C->LineTo(gridLeft + 7 * l.CellW, namesTop + l.CellH);
}

// The days of a month in six weeks, with trailing days, the selection, bold days and today.
void TMonthView::PaintDays(TCanvas* C, const TLayout& l, int index, int left, int top, int year, int month,
                           uint32_t boldDays) {
    const int count = l.Cols * l.Rows;
    const int today = Day0(Date());
    const TFontStyles plain = C->Font()->Style();
    const int gridLeft = left + kMargin + l.WeekW, namesTop = top + l.TitleH;
    const TDateTime first = FirstOf(year, month);
    const int lead = (WeekdayOf(first) - FFirstDay + 7) % 7;
    const int daysTop = namesTop + l.CellH + 2;
    if (l.WeekW) {
        C->MoveTo(gridLeft - 2, daysTop);
        C->LineTo(gridLeft - 2, daysTop + 6 * l.CellH);
    }
    for (int line = 0; line < 6; ++line) {
        const TDateTime rowStart = first - lead + line * 7;
        if (l.WeekW && rowStart >= FirstOf(1, 1)) {
            C->Font()->SetColor(FColors[MCSC_TRAILINGTEXT]);
            const std::string wk = IntToStr(IsoWeek(rowStart + 3));
            C->TextOut(gridLeft - 4 - C->TextWidth(wk), daysTop + line * l.CellH + 1, wk);
        }
        for (int i = 0; i < 7; ++i) {
            const TDateTime day = rowStart + i;
            if (day < FirstOf(1, 1) || day > EncodeDate(9999, 12, 31)) continue;
            int dy = 0, dm = 0, dd = 0;
            DecodeDate(day, dy, dm, dd);
            const bool own = dm == month && dy == year;
            if (!own) {
                const bool before = day < first;
                if ((FStyle & MCS_NOTRAILINGDATES) || (before && index != 0) ||
                    (!before && index != count - 1))
                    continue;
            }
            const TRect cell{gridLeft + i * l.CellW, daysTop + line * l.CellH, gridLeft + (i + 1) * l.CellW,
                             daysTop + (line + 1) * l.CellH};
            const bool selected = own && day >= FSelStart && day <= FSelEnd;
            if (selected) {
                C->Brush()->SetStyle(bsSolid);
                C->Brush()->SetColor(FColors[MCSC_TITLEBK]);
                C->FillRect(cell);
                C->Brush()->SetStyle(bsClear);
            }
            TColor colour = own ? FColors[MCSC_TEXT] : FColors[MCSC_TRAILINGTEXT];
            if (!InRange(day)) colour = clGrayText;
            if (selected) colour = FColors[MCSC_TITLETEXT];
            C->Font()->SetColor(colour);
            const bool bold = own && index < 14 && (boldDays >> (dd - 1) & 1u);
            C->Font()->SetStyle(bold ? plain + fsBold : plain);
            const std::string text = IntToStr(dd);
            C->TextOut(cell.Right - 3 - C->TextWidth(text), cell.Top + 1, text);
            C->Font()->SetStyle(plain);
            if (own && Day0(day) == today && !(FStyle & MCS_NOTODAYCIRCLE)) {
                C->Brush()->SetColor(clRed);
                C->FrameRect(cell);
                C->Brush()->SetStyle(bsClear);
            }
        }
    }
}

// The line under the months with today's date.
void TMonthView::PaintTodayLine(TCanvas* C, const TLayout& l, const TRect& R) {
    const TFontStyles plain = C->Font()->Style();
    const int y = R.Top + l.Rows * l.BlockH;
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetColor(FColors[MCSC_TEXT]);
    C->Font()->SetStyle(plain + fsBold);
    int x = R.Left + kMargin;
    if (!(FStyle & MCS_NOTODAYCIRCLE)) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clRed);
        C->FrameRect(TRect{x, y + 2, x + 16, y + l.TodayH - 3});
        C->Brush()->SetStyle(bsClear);
        x += 20;
    }
    C->TextOut(x, y + 2, "Today: " + DateToStr(Date()));
    C->Font()->SetStyle(plain);
}

void TMonthView::WndProc(TMessage& Message) {
    // A change handler may free the view.
    const TControlWatch watch(this);
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const TPoint p = MousePos(Message);
        ControlMouseDown(p.X, p.Y);
        break;
    }
    case WM_MOUSEMOVE: {
        const TPoint p = MousePos(Message);
        ControlMouseMove(p.X, p.Y);
        break;
    }
    case WM_LBUTTONUP: ControlMouseUp(); break;
    default: break;
    }
    if (watch.Gone()) return;
    inherited::WndProc(Message);
}

void TMonthView::ControlMouseDown(int X, int Y) {
    const TMonthHitTest h = HitTest({X, Y});
    TDateTime first = 0, last = 0;
    const int count = GetVisibleRange(first, last);
    switch (h.Hit) {
    case MCHT_TITLEBTNPREV:
    case MCHT_TITLEBTNNEXT: {
        const int step = h.Hit == MCHT_TITLEBTNNEXT ? count : -count;
        Scroll(step);
        if (!(FStyle & MCS_NOSELCHANGEONNAV) && !(FStyle & MCS_MULTISELECT)) {
            const TDateTime moved = IncMonth(FSelStart, step);
            if (moved >= FirstOf(1, 1)) {
                SetSelection(Clamp(moved), Clamp(moved));
                SelChange(FSelStart, FSelEnd);
            }
        }
        break;
    }
    case MCHT_CALENDARDATE:
    case MCHT_CALENDARDATEPREV:
    case MCHT_CALENDARDATENEXT: {
        TDateTime day = 0;
        if (!TryEncodeDate(h.Year, h.Month, h.Day, day)) break;
        if (!RunWhileAlive(this, [&] { UserSelect(day); })) return;
        FDragging = (FStyle & MCS_MULTISELECT) != 0;
        if (FDragging) SetMouseCapture(true);
        break;
    }
    case MCHT_TODAYLINK: UserSelect(Date()); break;
    default: break;
    }
}

void TMonthView::ControlMouseMove(int X, int Y) {
    if (!FDragging) return;
    const TMonthHitTest h = HitTest({X, Y});
    if (h.Hit != MCHT_CALENDARDATE) return;
    TDateTime day = 0;
    if (!TryEncodeDate(h.Year, h.Month, h.Day, day)) return;
    day = Clamp(day);
    if (std::fabs(day - FAnchor) + 1 > FMaxSelCount)
        day = FAnchor + (day > FAnchor ? 1 : -1) * (FMaxSelCount - 1);
    const TDateTime a = std::min(day, FAnchor), b = std::max(day, FAnchor);
    if (a == FSelStart && b == FSelEnd) return;
    SetSelection(a, b);
    SelChange(FSelStart, FSelEnd);
}

void TMonthView::ControlMouseUp() {
    if (FDragging) {
        FDragging = false;
        SetMouseCapture(false);
    }
}

void TMonthView::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { inherited::KeyDown(Key, Shift); })) return;
    TDateTime d = FSelStart;
    switch (Key) {
    case VK_LEFT: d -= 1; break;
    case VK_RIGHT: d += 1; break;
    case VK_UP: d -= 7; break;
    case VK_DOWN: d += 7; break;
    case VK_PRIOR: d = IncMonth(d, -1); break;
    case VK_NEXT: d = IncMonth(d, 1); break;
    case VK_HOME: d = FirstOf(FYear, FMonth); break;
    case VK_END: {
        TDateTime f = 0, l = 0;
        GetVisibleRange(f, l);
        d = l;
        break;
    }
    default: return;
    }
    Key = 0;
    if (d < FirstOf(1, 1) || d > EncodeDate(9999, 12, 31)) return;
    UserSelect(d);
}

void TMonthView::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }
