// The month calendar panel of the table engine's controls.
//
// TOstraCalendar is a fixed-size panel (158 x 160) that shows one month as
// six weeks of day buttons under a title bar with year and month navigation
// and a month menu, and a "today" line at the bottom. It stands by itself on
// a form and is the base of the drop-down calendars of the engine grid and
// the drop-down edit, which read DateSelected to tell a pick from a cancel.
// It owns all its children and touches no dataset.
//
// The shown years are 1901 to 2099: the year buttons and the month buttons
// stop at those limits. Date accepts 1 January 1900 to 1 January 2100 and
// replaces anything else with today.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/datetime.h"
#include "platform/core/locale.h"
#include "platform/ui/extctrls.h"

class TLabel;
class TPopupMenu;
class TSpeedButton;
class TBevel;

class TOstraCalendar : public TCustomPanel {
    TASKMOOR_CLASS(TOstraCalendar, TCustomPanel)
public:
    // Lowest and highest year the navigation shows.
    static constexpr int MinYear = 1901;
    static constexpr int MaxYear = 2099;
    static constexpr int FixedWidth = 158;
    static constexpr int FixedHeight = 160;

    explicit TOstraCalendar(TComponent* AOwner);

    // ---- The shown date (every setter rebuilds the month view)
    uint16_t Day() const { return FDay; }
    // 0 becomes 1; past the month's end becomes its last day.
    void SetDay(uint16_t Value);
    uint16_t Month() const { return FMonth; }
    // 0 becomes 1, above 12 becomes 12.
    void SetMonth(uint16_t Value);
    uint16_t Year() const { return FYear; }
    // Taken only within MinYear .. MaxYear.
    void SetYear(uint16_t Value);
    TDateTime Date() const { return FDate; }
    // Outside 1 January 1900 .. 1 January 2100 (inclusive) gives today.
    void SetDate(TDateTime Value);
    // Date as short date text; a text that is no date is ignored.
    std::string Text() const;
    void SetText(const std::string& Value);

    // True after a day click, Enter or a click on the today line; False
    // after Escape and on creation.
    bool DateSelected() const { return FDateSelected; }
    // Weeks start on Monday (taken from the locale at creation).
    bool MondayFirst() const { return FMondayFirst; }

    // The user chose a date.
    TNotifyEvent OnSelectDate() const { return FOnSelectDate; }
    void SetOnSelectDate(TNotifyEvent Value) { FOnSelectDate = Value; }
    // The month view was rebuilt.
    TNotifyEvent OnChangeDate() const { return FOnChangeDate; }
    void SetOnChangeDate(TNotifyEvent Value) { FOnChangeDate = Value; }

    // Keeps Left and Top; the size is always FixedWidth x FixedHeight.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // ---- Children (for hosts and tests)
    // Index 1 .. 42, row by row.
    TSpeedButton* DayButton(int Index) const;
    // Column 1 .. 7.
    TLabel* DayNameLabel(int Column) const;
    TSpeedButton* PrevYearButton() const { return FPrevYear; }
    TSpeedButton* PrevMonthButton() const { return FPrevMonth; }
    TSpeedButton* NextMonthButton() const { return FNextMonth; }
    TSpeedButton* NextYearButton() const { return FNextYear; }
    TLabel* TitleLabel() const { return FTitle; }
    TLabel* YearLabel() const { return FYearLabel; }
    TLabel* MonthLabel() const { return FMonthLabel; }
    TLabel* TodayLabel() const { return FTodayLabel; }
    TPopupMenu* MonthMenu() const { return FMonthMenu; }

    static void Publish(TPublisher<TOstraCalendar>& p);

protected:
    // Enter selects the shown date, Escape cancels.
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void SetDateSelected(bool Value) { FDateSelected = Value; }

private:
    // Steps of the constructor: the title with its month and year buttons,
    // labels and month menu; the weekday names over the grid; the today line;
    // the 42 day buttons.
    void BuildTitle();
    void BuildDayNames();
    void BuildTodayLabel();
    void BuildDayButtons();
    TSpeedButton* MakeNavButton(const std::string& Caption, int ALeft, int AWidth, const std::string& AHint,
                                void (TOstraCalendar::*Handler)(TObject*));
    void ApplyWeekdays();
    void Rebuild();
    void DecodeToday();
    void FitMonthLabel();
    void SelectDate();

    void PrevYearClick(TObject* Sender);
    void PrevMonthClick(TObject* Sender);
    void NextMonthClick(TObject* Sender);
    void NextYearClick(TObject* Sender);
    void MonthLabelClick(TObject* Sender);
    void MonthItemClick(TObject* Sender);
    void TodayClick(TObject* Sender);
    void DayClick(TObject* Sender);

    bool FDateSelected = false;
    TDateTime FDate = 0;
    uint16_t FDay = 1, FMonth = 1, FYear = 2000;
    TNotifyEvent FOnSelectDate;
    TNotifyEvent FOnChangeDate;
    bool FMondayFirst = false;
    TLabel* FTitle = nullptr;
    TSpeedButton* FPrevYear = nullptr;
    TSpeedButton* FPrevMonth = nullptr;
    TSpeedButton* FNextMonth = nullptr;
    TSpeedButton* FNextYear = nullptr;
    TLabel* FYearLabel = nullptr;
    TLabel* FMonthLabel = nullptr;
    TLabel* FDayNames[7] = {};
    TBevel* FBevel = nullptr;
    TLabel* FTodayLabel = nullptr;
    TPopupMenu* FMonthMenu = nullptr;
    TSpeedButton* FDays[42] = {};
};
