// The calendar's day grid and month/year navigation buttons, weekday captions,
// fonts fitted to the cells, and the date read from or written as text.
#include "engine-controls/ostra_calendar.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"

// ---- TOstraCalendar ------------------------------------------------------------------------

namespace {

constexpr int kTitleHeight = 22;
constexpr int kTodayHeight = 20;
constexpr int kCellWidth = 22;
constexpr int kCellHeight = 16;
constexpr int kGridLeft = 2;
constexpr int kGridTop = 41;

// The first and last dates Date takes.
TDateTime LowestDate() { return EncodeDate(1900, 1, 1); }
TDateTime HighestDate() { return EncodeDate(2100, 1, 1); }

bool YearInRange(int Year) { return Year >= TOstraCalendar::MinYear && Year <= TOstraCalendar::MaxYear; }

// The character height (negative font height) at which every text fits in
// Width pixels, starting from Font's own: substitute fonts run wider.
int FittingFontHeight(TFont* Font, const std::vector<std::string>& Texts, int Width) {
    TBitmap probe;
    probe.SetSize(1, 1);
    TCanvas* canvas = probe.Canvas();
    canvas->SetFont(Font);
    int height = Font->Height();
    auto widest = [&] {
        int w = 0;
        for (const std::string& t : Texts) w = std::max(w, canvas->TextWidth(t));
        return w;
    };
    while (height < -6 && widest() > Width) canvas->Font()->SetHeight(++height);
    return height;
}

}  // namespace

TOstraCalendar::TOstraCalendar(TComponent* AOwner) : TCustomPanel(AOwner) {
    SetControlStyle(ControlStyle() - csAcceptsControls - csSetCaption - csDoubleClicks);
    TCustomPanel::SetBounds(Left(), Top(), FixedWidth, FixedHeight);
    SetBevelInner(bvLowered);
    SetBevelOuter(bvRaised);
    TControl::SetText("");
    SetShowHint(true);
    SetParentFont(false);
    Font()->SetSize(8);
    Font()->SetStyle({});

    FMondayFirst = LocaleFirstDayOfWeek() != 6;

    BuildTitle();
    BuildDayNames();
    BuildTodayLabel();

    FDateSelected = false;
    DecodeToday();
    BuildDayButtons();

    Invalidate();
    ApplyWeekdays();
    Rebuild();
}

void TOstraCalendar::BuildTitle() {
    FTitle = new TLabel(this);
    FTitle->SetParent(this);
    FTitle->SetAutoSize(false);
    FTitle->SetAlign(alTop);
    FTitle->SetCaption("");
    FTitle->SetColor(clActiveCaption);
    FTitle->SetHeight(kTitleHeight);

    FPrevYear = MakeNavButton("<<", 2, 18, "Previous year", &TOstraCalendar::PrevYearClick);
    FPrevMonth = MakeNavButton("<", 20, 16, "Previous month", &TOstraCalendar::PrevMonthClick);
    FNextYear = MakeNavButton(">>", 137, 18, "Next year", &TOstraCalendar::NextYearClick);
    FNextMonth = MakeNavButton(">", 121, 16, "Next month", &TOstraCalendar::NextMonthClick);

    FYearLabel = new TLabel(this);
    FYearLabel->SetParent(this);
    FYearLabel->SetBounds(92, 6, 24, 13);
    FYearLabel->SetCaption("2000");
    FYearLabel->SetTransparent(true);
    FYearLabel->Font()->SetColor(clWhite);
    FYearLabel->Font()->SetSize(8);

    FMonthMenu = new TPopupMenu(this);
    for (int i = 1; i <= 12; ++i) {
        auto* item = new TMenuItem(this);
        item->SetName("N" + std::to_string(i));
        item->SetCaption(Format("%.2d. ", i) + FormatSettings().LongMonthNames[i - 1]);
        item->SetTag(i);
        item->SetOnClick(TNotifyEvent(this, &TOstraCalendar::MonthItemClick));
        FMonthMenu->Items()->Add(item);
    }

    FMonthLabel = new TLabel(this);
    FMonthLabel->SetParent(this);
    FMonthLabel->SetAutoSize(false);
    FMonthLabel->SetBounds(38, 6, 48, 13);
    FMonthLabel->SetAlignment(taCenter);
    FMonthLabel->SetLayout(tlCenter);  // a smaller font for a long name stays on the year's line
    FMonthLabel->SetCaption("September");
    FMonthLabel->SetHint("Click to change month");
    FMonthLabel->Font()->SetColor(clWhite);
    FMonthLabel->Font()->SetSize(8);
    FMonthLabel->SetTransparent(true);
    FMonthLabel->SetPopupMenu(FMonthMenu);
    FMonthLabel->SetOnClick(TNotifyEvent(this, &TOstraCalendar::MonthLabelClick));
}

void TOstraCalendar::BuildDayNames() {
    for (int i = 0; i < 7; ++i) {
        FDayNames[i] = new TLabel(this);
        FDayNames[i]->SetParent(this);
        // Centred over its column: the names are wider than the cells' middle.
        FDayNames[i]->SetAutoSize(false);
        FDayNames[i]->SetAlignment(taCenter);
        FDayNames[i]->SetBounds(i * kCellWidth + kGridLeft, 25, kCellWidth, 13);
    }

    FBevel = new TBevel(this);
    FBevel->SetParent(this);
    FBevel->SetBounds(2, 38, 154, 2);
}

void TOstraCalendar::BuildTodayLabel() {
    FTodayLabel = new TLabel(this);
    FTodayLabel->SetParent(this);
    FTodayLabel->SetAutoSize(false);
    FTodayLabel->SetAlign(alBottom);
    FTodayLabel->SetAlignment(taCenter);
    FTodayLabel->SetLayout(tlCenter);
    FTodayLabel->SetCaption("Today is " + DateToStr(::Date()));
    FTodayLabel->SetColor(clActiveCaption);
    FTodayLabel->Font()->SetColor(clWhite);
    FTodayLabel->Font()->SetStyle({fsBold});
    FTodayLabel->SetHeight(kTodayHeight);
    FTodayLabel->SetHint("Click to select today");
    FTodayLabel->SetOnClick(TNotifyEvent(this, &TOstraCalendar::TodayClick));
}

void TOstraCalendar::BuildDayButtons() {
    for (int i = 0; i < 42; ++i) {
        auto* b = new TSpeedButton(this);
        b->SetParent(this);
        b->SetFlat(true);
        b->SetGroupIndex(1);
        b->SetSpacing(-1);
        b->SetTag(i + 1);
        b->SetCaption(std::to_string(i + 1));
        b->SetBounds(i % 7 * kCellWidth + kGridLeft, i / 7 * kCellHeight + kGridTop, kCellWidth, kCellHeight);
        b->SetOnClick(TNotifyEvent(this, &TOstraCalendar::DayClick));
        FDays[i] = b;
    }
}

TSpeedButton* TOstraCalendar::MakeNavButton(const std::string& Caption, int ALeft, int AWidth,
                                            const std::string& AHint,
                                            void (TOstraCalendar::*Handler)(TObject*)) {
    auto* b = new TSpeedButton(this);
    b->SetParent(this);
    b->SetFlat(true);
    b->SetCaption(Caption);
    b->SetBounds(ALeft, 2, AWidth, kTitleHeight);
    b->Font()->SetColor(clWhite);
    b->Font()->SetStyle({fsBold});
    b->Font()->SetSize(10);
    b->SetHint(AHint);
    b->SetOnClick(TNotifyEvent(this, Handler));
    return b;
}

void TOstraCalendar::ApplyWeekdays() {
    const TFormatSettings& fs = FormatSettings();
    std::vector<std::string> names;
    for (int col = 0; col < 7; ++col) {
        // Names are Sunday first; a Monday-first week starts one later.
        const int nameIndex = FMondayFirst ? (col + 1) % 7 : col;
        FDayNames[col]->SetCaption(fs.ShortDayNames[nameIndex]);
        names.push_back(fs.ShortDayNames[nameIndex]);
        const bool weekend = FMondayFirst ? col >= 5 : (col == 0 || col == 6);
        if (!weekend) continue;
        FDayNames[col]->Font()->SetColor(clRed);
        for (int row = 0; row < 6; ++row) FDays[row * 7 + col]->Font()->SetColor(clRed);
    }
    // One size for all names, small enough to leave a gap between columns.
    const int height = FittingFontHeight(Font(), names, kCellWidth - 2);
    if (height != Font()->Height())
        for (TLabel* label : FDayNames) label->Font()->SetHeight(height);
}

void TOstraCalendar::Rebuild() {
    const int days = DaysInAMonth(FYear, FMonth);
    if (FDay > days) FDay = static_cast<uint16_t>(days);
    FDate = EncodeDate(FYear, FMonth, FDay);
    FMonthLabel->SetCaption(FormatSettings().LongMonthNames[FMonth - 1]);
    FYearLabel->SetCaption(std::to_string(FYear));
    // A calendar kept over midnight names the day its click picks.
    FTodayLabel->SetCaption("Today is " + DateToStr(::Date()));
    FitMonthLabel();

    int first = DayOfWeek(EncodeDate(FYear, FMonth, 1));
    if (FMondayFirst) first = first == 1 ? 7 : first - 1;
    for (TSpeedButton* b : FDays) {
        const int n = static_cast<int>(b->Tag()) - first + 1;
        const bool inMonth = n >= 1 && n <= days;
        b->SetCaption(inMonth ? std::to_string(n) : std::string());
        b->SetEnabled(inMonth);
    }
    // Raise first so that the day's button ends up the group's one pressed.
    for (TSpeedButton* b : FDays)
        if (b->Down() && b->Caption() != std::to_string(FDay)) b->SetDown(false);
    for (TSpeedButton* b : FDays)
        if (b->Caption() == std::to_string(FDay)) b->SetDown(true);
    FOnChangeDate(this);
}

// Month and year share one font: size 8, or the largest smaller one at which
// every month's long name fits beside the year between the month buttons.
// The month label takes the room the year leaves, the same for every month.
void TOstraCalendar::FitMonthLabel() {
    constexpr int left = 37, right = 120, gap = 3;
    const std::string year = FYearLabel->Caption();
    std::vector<std::string> names(std::begin(FormatSettings().LongMonthNames),
                                   std::end(FormatSettings().LongMonthNames));
    TBitmap probe;
    probe.SetSize(1, 1);
    TCanvas* canvas = probe.Canvas();
    canvas->SetFont(FYearLabel->Font());
    canvas->Font()->SetSize(8);
    int height = canvas->Font()->Height();
    auto fits = [&] {
        int widest = 0;
        for (const std::string& n : names) widest = std::max(widest, canvas->TextWidth(n));
        return widest + gap + canvas->TextWidth(year) <= right - left;
    };
    while (height < -6 && !fits()) canvas->Font()->SetHeight(++height);
    const int yearWidth = canvas->TextWidth(year);
    for (TLabel* label : {FMonthLabel, FYearLabel}) label->Font()->SetHeight(height);
    FYearLabel->SetBounds(right - yearWidth, 6, yearWidth, 13);
    FMonthLabel->SetBounds(left, 6, right - yearWidth - gap - left, 13);
}

void TOstraCalendar::DecodeToday() {
    int y, m, d;
    DecodeDate(::Date(), y, m, d);
    FYear = static_cast<uint16_t>(y);
    FMonth = static_cast<uint16_t>(m);
    FDay = static_cast<uint16_t>(d);
}

// ---- Properties ------------------------------------------------------------------------------

void TOstraCalendar::SetDay(uint16_t Value) {
    if (Value == 0) Value = 1;
    const int days = DaysInAMonth(FYear, FMonth);
    if (Value > days) Value = static_cast<uint16_t>(days);
    FDay = Value;
    Rebuild();
}

void TOstraCalendar::SetMonth(uint16_t Value) {
    if (Value == 0) Value = 1;
    if (Value > 12) Value = 12;
    FMonth = Value;
    Rebuild();
}

void TOstraCalendar::SetYear(uint16_t Value) {
    if (YearInRange(Value)) FYear = Value;
    Rebuild();
}

void TOstraCalendar::SetDate(TDateTime Value) {
    if (!(Value >= LowestDate() && Value <= HighestDate())) Value = ::Date();
    FDate = Value;
    int y, m, d;
    DecodeDate(Value, y, m, d);
    FYear = static_cast<uint16_t>(y);
    FMonth = static_cast<uint16_t>(m);
    FDay = static_cast<uint16_t>(d);
    Rebuild();
}

std::string TOstraCalendar::Text() const { return DateToStr(FDate); }

void TOstraCalendar::SetText(const std::string& Value) {
    TDateTime d;
    if (TryStrToDate(Value, d)) SetDate(d);
}

void TOstraCalendar::SetBounds(int ALeft, int ATop, int, int) {
    TCustomPanel::SetBounds(ALeft, ATop, FixedWidth, FixedHeight);
}

TSpeedButton* TOstraCalendar::DayButton(int Index) const {
    return Index >= 1 && Index <= 42 ? FDays[Index - 1] : nullptr;
}

TLabel* TOstraCalendar::DayNameLabel(int Column) const {
    return Column >= 1 && Column <= 7 ? FDayNames[Column - 1] : nullptr;
}

// ---- User actions ----------------------------------------------------------------------------

void TOstraCalendar::SelectDate() {
    FDateSelected = true;
    FOnSelectDate(this);
}

void TOstraCalendar::PrevYearClick(TObject*) { SetYear(static_cast<uint16_t>(FYear - 1)); }

void TOstraCalendar::NextYearClick(TObject*) { SetYear(static_cast<uint16_t>(FYear + 1)); }

// Crossing into another year keeps to the years the year buttons reach.
void TOstraCalendar::PrevMonthClick(TObject*) {
    if (FMonth == 1) {
        if (!YearInRange(FYear - 1)) return;
        FYear = static_cast<uint16_t>(FYear - 1);
        SetMonth(12);
    } else {
        SetMonth(static_cast<uint16_t>(FMonth - 1));
    }
}

void TOstraCalendar::NextMonthClick(TObject*) {
    if (FMonth == 12) {
        if (!YearInRange(FYear + 1)) return;
        FYear = static_cast<uint16_t>(FYear + 1);
        SetMonth(1);
    } else {
        SetMonth(static_cast<uint16_t>(FMonth + 1));
    }
}

void TOstraCalendar::MonthLabelClick(TObject*) {
    const TPoint p = FMonthLabel->ClientToScreen({0, 0});
    FMonthMenu->SetPopupComponent(FMonthLabel);
    FMonthMenu->Popup(p.X, p.Y + FMonthLabel->Height());
}

void TOstraCalendar::MonthItemClick(TObject* Sender) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender)) SetMonth(static_cast<uint16_t>(item->Tag()));
}

void TOstraCalendar::TodayClick(TObject*) {
    DecodeToday();
    Rebuild();
    SelectDate();
}

void TOstraCalendar::DayClick(TObject* Sender) {
    auto* b = dynamic_cast<TSpeedButton*>(Sender);
    if (!b) return;
    int day = 0;
    if (!TryStrToInt(b->Caption(), day) || day < 1 || day > DaysInAMonth(FYear, FMonth)) return;
    FDateSelected = true;
    FDay = static_cast<uint16_t>(day);
    FDate = EncodeDate(FYear, FMonth, FDay);
    FOnSelectDate(this);
}

void TOstraCalendar::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomPanel::KeyDown(Key, Shift);
    if (Key == VK_RETURN) {
        SelectDate();
    } else if (Key == VK_ESCAPE) {
        FDateSelected = false;
    }
}

void TOstraCalendar::Publish(TPublisher<TOstraCalendar>& p) {
    p.Property("Day", &TOstraCalendar::Day, &TOstraCalendar::SetDay);
    p.Property("Month", &TOstraCalendar::Month, &TOstraCalendar::SetMonth);
    p.Property("Year", &TOstraCalendar::Year, &TOstraCalendar::SetYear);
    p.Property("Date", &TOstraCalendar::Date, &TOstraCalendar::SetDate).SetTypeName("TDateTime");
    p.Property("Text", &TOstraCalendar::Text, &TOstraCalendar::SetText);
    p.Property(
        "PopupMenu", [](TOstraCalendar& c) { return c.PopupMenu(); },
        [](TOstraCalendar& c, TPopupMenu* v) { c.SetPopupMenu(v); });
    p.Property("OnSelectDate", &TOstraCalendar::OnSelectDate, &TOstraCalendar::SetOnSelectDate);
    p.Property("OnChangeDate", &TOstraCalendar::OnChangeDate, &TOstraCalendar::SetOnChangeDate);
}
