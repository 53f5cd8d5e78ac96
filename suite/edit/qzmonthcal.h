// The suite's month calendar: the platform's month view with six colours,
// bold days by an event, a date range that clicks, keys and assignments
// cannot leave (bounds compare as whole days), multi-day selection, mouse
// events that tell the date under the pointer, and a month menu and a year
// menu (with an optional item for typing a year) on the title.
#pragma once

#include <memory>

#include "platform/core/events.h"
#include "platform/ui/menus.h"
#include "platform/ui/month_view.h"

class TqzMonthCalendar;

// The errors of a date beyond a calendar's or a picker's bounds.
[[noreturn]] void qzRaiseDateAbove(TDateTime Max);
[[noreturn]] void qzRaiseDateBelow(TDateTime Min);

TASKMOOR_ENUM(TqzMonthOption, mdoDayState, mdoWeekNumbers, mdoNoToday, mdoNoTodayCircle, mdoMultiSelect,
              mdoNoTrailingDates, mdoShortDaysOfWeek, mdoNoSelChangeOnNav)
using TqzMonthOptions = TSet<TqzMonthOption>;
TASKMOOR_ENUM(TqzCalDayOfWeek, qzdowMonday, qzdowTuesday, qzdowWednesday, qzdowThursday, qzdowFriday,
              qzdowSaturday, qzdowSunday, qzdowLocaleDefault)

// (Sender, ADate, Month, Day, Year, Accept).
using TCalcBoldDayEvent = TEvent<TObject*, TDateTime, int, int, int, bool&>;
// (Sender, Button, Shift, X, Y, Month, Day, Year).
using TmcMouseUPDownEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int, int, int, int>;
// (Sender, Shift, X, Y, Month, Day, Year).
using TmcMouseMoveEvent = TEvent<TObject*, TShiftState, int, int, int, int, int>;

// Index 0 is the back colour (not published), 1-5 the published ones; a
// calendar owner gets every change at once.
class TqzDateTimeColors : public TPersistent {
    TASKMOOR_CLASS(TqzDateTimeColors, TPersistent)
public:
    explicit TqzDateTimeColors(TComponent* Owner = nullptr);
    TComponent* Owner() const { return FOwner; }
    TColor Color(int Index) const { return FColors[Index]; }
    void SetColor(int Index, TColor Value);
    TColor BackColor() const { return FColors[0]; }
    TColor TextColor() const { return FColors[1]; }
    void SetTextColor(TColor Value) { SetColor(1, Value); }
    TColor TitleBackColor() const { return FColors[2]; }
    void SetTitleBackColor(TColor Value) { SetColor(2, Value); }
    TColor TitleTextColor() const { return FColors[3]; }
    void SetTitleTextColor(TColor Value) { SetColor(3, Value); }
    TColor MonthBackColor() const { return FColors[4]; }
    void SetMonthBackColor(TColor Value) { SetColor(4, Value); }
    TColor TrailingTextColor() const { return FColors[5]; }
    void SetTrailingTextColor(TColor Value) { SetColor(5, Value); }
    // The five published colours; another class raises EConvertError.
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzDateTimeColors>& p);

private:
    TComponent* FOwner;
    TColor FColors[6];
};

class TqzPopupYearOptions : public TPersistent {
    TASKMOOR_CLASS(TqzPopupYearOptions, TPersistent)
public:
    int YearsPerColumn() const { return FYearsPerColumn; }
    void SetYearsPerColumn(int Value) { FYearsPerColumn = Value; }
    int NumberColumns() const { return FNumberColumns; }
    void SetNumberColumns(int Value) { FNumberColumns = Value; }
    int StartYear() const { return FStartYear; }
    void SetStartYear(int Value) { FStartYear = Value; }
    bool ShowEditYear() const { return FShowEditYear; }
    void SetShowEditYear(bool Value) { FShowEditYear = Value; }
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzPopupYearOptions>& p);

private:
    int FYearsPerColumn = 10;
    int FNumberColumns = 2;
    int FStartYear = 1990;
    bool FShowEditYear = false;
};

// A pop-up menu that knows whether its Popup call is running.
class TCalendarPopupMenu : public TPopupMenu {
    TASKMOOR_CLASS(TCalendarPopupMenu, TPopupMenu)
public:
    using TPopupMenu::TPopupMenu;
    bool InPopup() const { return FInPopup; }
    void Popup(int X, int Y) override;

private:
    bool FInPopup = false;
};

class TqzMonthCalendar : public TMonthView {
    TASKMOOR_CLASS(TqzMonthCalendar, TMonthView)
public:
    explicit TqzMonthCalendar(TComponent* AOwner);
    ~TqzMonthCalendar() override;

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TqzDateTimeColors* CalColors() const { return FCalColors.get(); }
    void SetCalColors(TqzDateTimeColors* Value) { FCalColors->Assign(Value); }
    TDateTime Date() const { return FDate; }
    // A 0 leaves the date as it is; raises outside the range (whole days).
    void SetDate(TDateTime Value);
    TDateTime Time() const { return FDate; }
    void SetTime(TDateTime Value);
    TDateTime MinDate() const { return FMinDate; }
    void SetMinDate(TDateTime Value);
    TDateTime MaxDate() const { return FMaxDate; }
    void SetMaxDate(TDateTime Value);
    TqzMonthOptions Options() const { return FOptions; }
    virtual void SetOptions(TqzMonthOptions Value);
    int MaxSelectCount() const { return FMaxSelectCount; }
    void SetMaxSelectCount(int Value);
    TqzPopupYearOptions* PopupYearOptions() const { return FPopupYearOptions.get(); }
    void SetPopupYearOptions(TqzPopupYearOptions* Value) { FPopupYearOptions->Assign(Value); }
    TqzCalDayOfWeek FirstDayOfWeek() const { return FFirstDayOfWeek; }
    void SetFirstDayOfWeek(TqzCalDayOfWeek Value);
    TDateTime SelectionStart() const { return FSelStart; }
    TDateTime SelectionEnd() const { return FSelEnd; }

    const TCalcBoldDayEvent& OnCalcBoldDay() const { return FOnCalcBoldDay; }
    void SetOnCalcBoldDay(const TCalcBoldDayEvent& Value);
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
    const TmcMouseUPDownEvent& OnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(const TmcMouseUPDownEvent& Value) { FOnMouseDown = Value; }
    const TmcMouseUPDownEvent& OnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(const TmcMouseUPDownEvent& Value) { FOnMouseUp = Value; }
    const TmcMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(const TmcMouseMoveEvent& Value) { FOnMouseMove = Value; }

    // Unchecked: clamps into the range.
    void SetCurrentDate(TDateTime Value);
    bool SetSelectionRange(TDateTime Date1, TDateTime Date2);
    void SetSelectionStart(TDateTime Value);
    void SetSelectionEnd(TDateTime Value);
    bool IsPopupMenuShowing() const;
    TCalendarPopupMenu* MonthMenu() const { return FMonthMenu.get(); }
    TCalendarPopupMenu* YearMenu() const { return FYearMenu.get(); }
    virtual void SetFocusIfVisible();
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Dispatch(TMessage& Message) override;

    static void Publish(TPublisher<TqzMonthCalendar>& p);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Loaded() override;
    void WndProc(TMessage& Message) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CNKeyDown(TMessage& Message) override;
    virtual void Change();
    void SelChange(TDateTime Start, TDateTime End) override;
    void GetDayState(int Year, int Month, int Count, uint32_t* Masks) override;
    // The owner is a date-time picker (no focus taken on clicks).
    virtual bool OwnedByPicker() const { return false; }

private:
    void SendRange(TDateTime Max, TDateTime Min);
    void AdjustMinSize();
    void MonthItemClick(TObject* Sender);
    void YearItemClick(TObject* Sender);
    // Sets the date a month or year menu chose (0: none) and fires Change; a
    // date out of range beeps instead.
    void ChooseMenuDate(TDateTime Value);
    void ShowMonthMenu(const TMonthHitTest& Hit, int X, int Y);
    void ShowYearMenu(const TMonthHitTest& Hit, int X, int Y);
    bool OutOfRange(TDateTime Day) const;
    // Sets one end of the selection (Edge: FSelStart or FSelEnd) to Value;
    // Other is the other end's value.
    void SetSelectionEdge(TDateTime& Edge, TDateTime Other, TDateTime Value);
    void ClearShown() { FYearShown = FMonthShown = false; }

    TBorderStyle FBorderStyle = bsNone;
    std::unique_ptr<TqzDateTimeColors> FCalColors;
    TDateTime FDate = 0;
    TDateTime FSelStart = 0, FSelEnd = 0;
    TDateTime FMaxDate = 0, FMinDate = 0;
    TNotifyEvent FOnChange;
    TCalcBoldDayEvent FOnCalcBoldDay;
    TqzMonthOptions FOptions;
    int FMaxSelectCount = 31;
    bool FChanged = false;
    TmcMouseMoveEvent FOnMouseMove;
    TmcMouseUPDownEvent FOnMouseDown, FOnMouseUp;
    std::unique_ptr<TCalendarPopupMenu> FYearMenu, FMonthMenu;
    bool FYearInPopup = false, FMonthInPopup = false, FYearShown = false, FMonthShown = false;
    TMonthHitTest FMenuHit;
    int FTitleMonth = 0;
    std::unique_ptr<TqzPopupYearOptions> FPopupYearOptions;
    TqzCalDayOfWeek FFirstDayOfWeek = qzdowLocaleDefault;
};
