// The suite's date-time picker: a one-line edit that shows one date-time
// value through a display format and is edited part by part (a day, a month
// name, a year, an hour, an am/pm marker): the keys, the mouse and typed
// digits act on the selected part. Its button drops down a month calendar.
//
// The value is a day number with the time of day as its fraction; 0 means
// no value. MinDate and MaxDate bound it as whole days; keys, clicks and
// typing never raise (they beep), the Date, Time and value setters do.
//
// The display format, its expansion and its parts are free functions here
// so that they can be checked on their own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/ui/popup_window.h"
#include "suite/edit/qzdbcombo.h"
#include "suite/edit/qzmonthcal.h"

TASKMOOR_ENUM(TDTDateFormat, dfShort, dfLong)
TASKMOOR_ENUM(TqzDTEditDataType, qzDTEdtDateTime, qzDTEdtDate, qzDTEdtTime)
TASKMOOR_ENUM(TqzDTCalAlignment, qzdtaLeft, qzdtaRight, qzdtaCenter)

// ---- Display formats -------------------------------------------------------------------
enum class TqzDTKind { DateTime, Date, Time };

// One part of a format as shown for a value: Kind is 'D' (day), 'W'
// (weekday name), 'M' (month), 'Y', 'H', 'N' (minute), 'S', 'A' (am/pm);
// Start and Length are bytes of the shown text.
struct TqzDTPart {
    char Kind = 0;
    std::string Token;
    int Start = 0;
    int Length = 0;
};

// Replaces "c", "dddddd", "ddddd", "tt" and "t" outside quoted text.
std::string qzExpandDTFormat(const std::string& Format, const TFormatSettings& Settings = FormatSettings());
// Reads the token whose first character is at Pos (0-based); Pos ends on its
// last character. Letter is that character in lower case. Empty: no token.
std::string qzReadDTToken(const std::string& Format, int& Pos, char Letter,
                          const TFormatSettings& Settings = FormatSettings());
// The text of an expanded format for a value, and its parts that count for
// Kind (uncounted parts are shown as text only).
std::string qzRenderDTFormat(const std::string& Expanded, TDateTime Value, TqzDTKind Kind,
                             std::vector<TqzDTPart>* Parts,
                             const TFormatSettings& Settings = FormatSettings());
bool qzDTFormatHasDate(const std::string& Expanded, const TFormatSettings& Settings = FormatSettings());
bool qzDTFormatHasTime(const std::string& Expanded);
// A two-digit year (0-99) placed by the epoch year.
int qzEpochYear(int TwoDigits, int Epoch);

class TqzDBCustomDateTimePicker;

// The minute steps of Up and Down.
class TqzDTInterval : public TPersistent {
    TASKMOOR_CLASS(TqzDTInterval, TPersistent)
public:
    int MinutesInterval() const { return FMinutesInterval; }
    void SetMinutesInterval(int Value) { FMinutesInterval = Value < 1 ? 1 : (Value > 60 ? 60 : Value); }
    bool RoundMinutes() const { return FRoundMinutes; }
    void SetRoundMinutes(bool Value) { FRoundMinutes = Value; }
    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzDTInterval>& p);

private:
    int FMinutesInterval = 1;
    bool FRoundMinutes = false;
};

// The drop-down calendar's settings, applied at each drop-down.
class TqzCalendarOptions : public TPersistent {
    TASKMOOR_CLASS(TqzCalendarOptions, TPersistent)
public:
    explicit TqzCalendarOptions(TComponent* Owner);
    TqzDTCalAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TqzDTCalAlignment Value) { FAlignment = Value; }
    TqzDateTimeColors* Colors() const { return FColors.get(); }
    void SetColors(TqzDateTimeColors* Value) { FColors->Assign(Value); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TqzMonthOptions Options() const { return FOptions; }
    void SetOptions(TqzMonthOptions Value) { FOptions = Value; }
    TqzPopupYearOptions* PopupYearOptions() const { return FPopupYearOptions.get(); }
    void SetPopupYearOptions(TqzPopupYearOptions* Value) { FPopupYearOptions->Assign(Value); }
    TqzCalDayOfWeek FirstDayOfWeek() const { return FFirstDayOfWeek; }
    void SetFirstDayOfWeek(TqzCalDayOfWeek Value) { FFirstDayOfWeek = Value; }
    // 0: the calendar's minimum size.
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value; }
    static void Publish(TPublisher<TqzCalendarOptions>& p);

private:
    TqzDTCalAlignment FAlignment = qzdtaLeft;
    std::unique_ptr<TqzDateTimeColors> FColors;
    std::unique_ptr<TFont> FFont;
    int FWidth = 0, FHeight = 0;
    TqzMonthOptions FOptions{mdoDayState};
    std::unique_ptr<TqzPopupYearOptions> FPopupYearOptions;
    TqzCalDayOfWeek FFirstDayOfWeek = qzdowLocaleDefault;
};

// The drop-down calendar: keys come from the picker, clicks on a day close it.
class TqzPopupCalendar : public TqzMonthCalendar {
    TASKMOOR_CLASS(TqzPopupCalendar, TqzMonthCalendar)
public:
    TqzPopupCalendar(TComponent* AOwner, TqzDBCustomDateTimePicker* Picker);
    void SetFocusIfVisible() override {}
    // A key down the picker hands on.
    void HandleKey(uint16_t& Key, TShiftState Shift) { KeyDown(Key, Shift); }

protected:
    void WndProc(TMessage& Message) override;
    void Change() override;
    bool OwnedByPicker() const override { return true; }

private:
    TqzDBCustomDateTimePicker* FPicker;
};

// The message that frees the calendar after the focus left.
unsigned CVDateTimePickerDestroyCalendar();

class TqzDBCustomDateTimePicker : public TqzDBCustomCombo {
    TASKMOOR_CLASS(TqzDBCustomDateTimePicker, TqzDBCustomCombo)
public:
    explicit TqzDBCustomDateTimePicker(TComponent* AOwner);
    ~TqzDBCustomDateTimePicker() override;

    // ---- value (whole part: the day, fraction: the time of day; 0: none)
    TDateTime Value() const { return FValue; }
    // Raises outside MinDate and MaxDate; nothing changes then.
    void SetValue(TDateTime V);
    TDateTime Date();
    void SetDate(TDateTime V);
    TDateTime Time();
    void SetTime(TDateTime V);
    TDateTime MinDate() const { return FMinDate; }
    void SetMinDate(TDateTime V);
    TDateTime MaxDate() const { return FMaxDate; }
    void SetMaxDate(TDateTime V);
    TDateTime EffectiveMin() const;
    TDateTime EffectiveMax() const;
    int Epoch() const { return TqzDBCustomEdit::Epoch(); }
    bool Blank() const { return FBlank; }

    // ---- format
    std::string DisplayFormat() const { return FDTDisplayFormat; }
    void SetDisplayFormat(const std::string& Value) override;
    std::string GetDisplayFormat() override { return FDTDisplayFormat; }
    TDTDateFormat DateFormat() const { return FDateFormat; }
    void SetDateFormat(TDTDateFormat Value);
    TqzDTEditDataType UnboundDataType() const { return FDTUnbound; }
    void SetUnboundDataType(TqzDTEditDataType Value);
    // Binding: no source, or an empty field, also makes the unbound type
    // date and time.
    void SetDataSource(TDataSource* Value);
    void SetDataField(const std::string& Value);
    TqzDTKind Kind();
    bool ShowsNoTime();
    std::string ResolvedFormat(bool Expand);
    std::string ExpandedFormat();
    bool IsDefaultCase();
    // The text shown for a value.
    std::string TextFor(TDateTime V);
    // The parts of the current text; the current part (1-based).
    std::vector<TqzDTPart> Parts();
    int CurrentPart() const { return FPart; }
    int LastPartOnScreen();

    // ---- settings
    TqzDTInterval* Interval() const { return FInterval.get(); }
    void SetInterval(TqzDTInterval* V) { FInterval->Assign(V); }
    TqzCalendarOptions* CalendarAttributes() const { return FCalendarAttributes.get(); }
    void SetCalendarAttributes(TqzCalendarOptions* V);
    bool AutoFillDateAndTime() const { return FAutoFillDateAndTime; }
    void SetAutoFillDateAndTime(bool V) { FAutoFillDateAndTime = V; }
    const TCalcBoldDayEvent& OnCalcBoldDay() const { return FOnCalcBoldDay; }
    void SetOnCalcBoldDay(const TCalcBoldDayEvent& V) { FOnCalcBoldDay = V; }
    const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(const TNotifyEvent& V) { FOnCloseUp = V; }
    const TNotifyEvent& OnDropDown() const { return FOnDropDownDT; }
    void SetOnDropDown(const TNotifyEvent& V) { FOnDropDownDT = V; }

    // The drop-down button's width: 0 (automatic) reads as the real width.
    int ButtonWidth() const;

    // ---- drop-down
    void DropDown() override;
    void CloseUp(bool Accept) override;
    bool IsDroppedDown() override;
    TqzPopupCalendar* Calendar() const { return FCalendar; }
    TPopupWindow* CalendarWindow() const { return FCalendarWindow; }
    // The calendar's date changed by the user.
    void CalendarChanged();

    // May the value be changed now.
    bool CanEditValue();
    void UpdateData(TObject* Sender) override;
    void Dispatch(TMessage& Message) override;
    static void Publish(TPublisher<TqzDBCustomDateTimePicker>& p);

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void CNKeyDown(TMessage& Message) override;
    void DoEnter() override;
    void CMExit(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void SetTextValue(const std::string& Value) override;
    void Change() override;
    // A picker made by a grid keeps the height its font needs.
    void FontChanged(TObject* Sender) override;

private:
    void DTDataChange(TObject* Sender);
    void ShowValue();
    void SelectPart();
    void SetModifiedOn();
    void EditLink();
    void StartEmptyValue(uint16_t Key);
    bool CalendarKey(uint16_t& Key, TShiftState Shift);
    bool KeyGoesToGrid(uint16_t Key, TShiftState Shift);
    bool HostGridKey(uint16_t& Key, TShiftState Shift);
    bool KeyLeavesValue(uint16_t& Key, TShiftState Shift);
    void TranslateKey(uint16_t& Key);
    void NextPart();
    bool MovePartKey(uint16_t& Key);
    bool EraseKey(uint16_t& Key);
    TDateTime TodayClamped(bool WithTime);
    bool SetFromParts(int Y, int M, int D, int H, int N, int S, int MS);
    TDateTime AddMonthsTo(TDateTime V, int Months);
    void FinishTyping();
    void TypeDigit(int Digit);
    bool ApplyTypedNumber(const std::vector<TqzDTPart>& Parts, const TqzDTPart& Part, int Width, int N);
    bool DecadeCanOpen(int Digit);
    void AdvancePart();
    void ShowTypedDigits(const TqzDTPart& Part, int Replaced);
    void StartTyping(const TqzDTPart& Part, int Width, int Digit);
    void TypeLetter(char32_t Letter);
    void StepPart(int Sign);
    void HomeEndPart(bool End);
    void DeleteKey();
    void ResetEdit();
    void ApplyTextAsPaste(const std::string& Text);
    void SetInternalText(const std::string& Text);
    TField* BoundField() const;
    bool BoundWithoutField() const;
    bool FieldCanTakeValue();
    void Beep();

    TDateTime FValue = 0;
    TDateTime FEnterValue = 0;
    TDateTime FDropValue = 0;
    TDateTime FPending = 0;
    TDateTime FMinDate = 0, FMaxDate = 0;
    bool FBlank = true;
    int FPart = 1;
    bool FTyping = false;
    std::string FTyped;
    std::string FDTDisplayFormat;
    TDTDateFormat FDateFormat = dfShort;
    TqzDTEditDataType FDTUnbound = qzDTEdtDateTime;
    bool FAutoFillDateAndTime = false;
    bool FAutoAdvance = true;
    bool FClosedByEscape = false;
    bool FClosing = false;
    bool FInCalendarUpdate = false;
    bool FInternalText = false;
    bool FEditingLink = false;
    bool FClickedByButton = false;
    bool FSavedShowHint = false;
    bool FGridMade = false;
    std::unique_ptr<TqzDTInterval> FInterval;
    std::unique_ptr<TqzCalendarOptions> FCalendarAttributes;
    TqzPopupCalendar* FCalendar = nullptr;
    TPopupWindow* FCalendarWindow = nullptr;
    TCalcBoldDayEvent FOnCalcBoldDay;
    TNotifyEvent FOnCloseUp, FOnDropDownDT;
};

class TqzDBDateTimePicker : public TqzDBCustomDateTimePicker {
    TASKMOOR_CLASS(TqzDBDateTimePicker, TqzDBCustomDateTimePicker)
public:
    using TqzDBCustomDateTimePicker::TqzDBCustomDateTimePicker;
};
