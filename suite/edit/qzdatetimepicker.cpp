#include "suite/edit/qzdatetimepicker.h"

#include <algorithm>
#include <cmath>

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/locale.h"
#include "platform/core/properties.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/messages.h"
#include "suite/base/date_scan.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"

namespace {

double Whole(TDateTime V) { return std::trunc(V); }
double Frac(TDateTime V) { return V - std::trunc(V); }

constexpr double kMaxDay = 2958465.0;  // 9999-12-31
constexpr double kMinDay = 1.0;        // 1899-12-31

[[noreturn]] void RaiseAbove(TDateTime Max) {
    throw EDateTimeError(Format("Date exceeds maximum of %s", DateToStr(Max)));
}
[[noreturn]] void RaiseBelow(TDateTime Min) {
    throw EDateTimeError(Format("Date is less than minimum of %s", DateToStr(Min)));
}

struct TParts {
    int Y = 1899, M = 12, D = 30, H = 0, N = 0, S = 0, MS = 0;
};

TParts Split(TDateTime V) {
    TParts p;
    if (!std::isfinite(V) || V < -693593.0 || V >= 2958466.0) return p;
    DecodeDate(V, p.Y, p.M, p.D);
    DecodeTime(V, p.H, p.N, p.S, p.MS);
    return p;
}

}  // namespace

unsigned CVDateTimePickerDestroyCalendar() {
    static const unsigned message = RegisterWindowMessage("CVDATEPICKERDESTROYCALENDAR");
    return message;
}

// ---- Settings objects ----------------------------------------------------------------------

void TqzDTInterval::Assign(TPersistent* Source) {
    if (auto* src = dynamic_cast<TqzDTInterval*>(Source)) {
        FMinutesInterval = src->FMinutesInterval;
        FRoundMinutes = src->FRoundMinutes;
        return;
    }
    TPersistent::Assign(Source);
}

void TqzDTInterval::Publish(TPublisher<TqzDTInterval>& p) {
    p.Property("MinutesInterval", &TqzDTInterval::MinutesInterval, &TqzDTInterval::SetMinutesInterval);
    p.Property("RoundMinutes", &TqzDTInterval::RoundMinutes, &TqzDTInterval::SetRoundMinutes);
}

TqzCalendarOptions::TqzCalendarOptions(TComponent* Owner)
    : FColors(std::make_unique<TqzDateTimeColors>(Owner)),
      FFont(std::make_unique<TFont>()),
      FPopupYearOptions(std::make_unique<TqzPopupYearOptions>()) {}

void TqzCalendarOptions::Publish(TPublisher<TqzCalendarOptions>& p) {
    p.Property("Alignment", &TqzCalendarOptions::Alignment, &TqzCalendarOptions::SetAlignment);
    p.Property("Colors", &TqzCalendarOptions::Colors, &TqzCalendarOptions::SetColors);
    p.Property("Font", &TqzCalendarOptions::Font, &TqzCalendarOptions::SetFont);
    p.Property("Options", &TqzCalendarOptions::Options, &TqzCalendarOptions::SetOptions);
    p.Property("PopupYearOptions", &TqzCalendarOptions::PopupYearOptions,
               &TqzCalendarOptions::SetPopupYearOptions);
    p.Property("FirstDayOfWeek", &TqzCalendarOptions::FirstDayOfWeek, &TqzCalendarOptions::SetFirstDayOfWeek);
}

// ---- The drop-down calendar ----------------------------------------------------------------

TqzPopupCalendar::TqzPopupCalendar(TComponent* AOwner, TqzDBCustomDateTimePicker* Picker)
    : TqzMonthCalendar(AOwner), FPicker(Picker) {
    SetTabStop(false);
}

void TqzPopupCalendar::WndProc(TMessage& Message) {
    const bool up = Message.Msg == WM_LBUTTONUP;
    const TPoint p = up ? MousePos(Message) : TPoint{0, 0};
    const bool wasShowing = FPicker->IsDroppedDown();
    inherited::WndProc(Message);
    if (!up || !wasShowing) return;
    // A release on a day, the today link or the calendar's ground closes it;
    // not on the day names, a week number, the title or its buttons.
    const unsigned hit = HitTest(p).Hit;
    if (hit == MCHT_CALENDARDATE || hit == MCHT_CALENDARDATEPREV || hit == MCHT_CALENDARDATENEXT ||
        hit == MCHT_TODAYLINK || hit == MCHT_CALENDARBK)
        FPicker->CloseUp(true);
}

void TqzPopupCalendar::Change() {
    inherited::Change();
    FPicker->CalendarChanged();
}

// ---- The picker ----------------------------------------------------------------------------

TqzDBCustomDateTimePicker::TqzDBCustomDateTimePicker(TComponent* AOwner)
    : TqzDBCustomCombo(AOwner),
      FInterval(std::make_unique<TqzDTInterval>()),
      FCalendarAttributes(std::make_unique<TqzCalendarOptions>(this)) {
    SetButtonStyle(cbsDownArrow);
    SetSwitch(2, false);
    TqzDBCustomEdit::SetEpoch(qzIntl()->DefaultEpochYear());
    DataLink()->SetOnDataChange(TNotifyEvent(this, &TqzDBCustomDateTimePicker::DTDataChange));
    SetEditOnDropDown(false);
    // A picker made by a grid takes its height from its font.
    FGridMade = AOwner && qzClassInheritsFrom(AOwner, "TCustomGrid");
    if (FGridMade) SetHeight(AutoHeight());
}

void TqzDBCustomDateTimePicker::FontChanged(TObject* Sender) {
    inherited::FontChanged(Sender);
    if (FGridMade) SetHeight(AutoHeight());
}

TqzDBCustomDateTimePicker::~TqzDBCustomDateTimePicker() {
    StopWatchingDropDown();
    DataLink()->SetOnDataChange(nullptr);
}

TField* TqzDBCustomDateTimePicker::BoundField() const { return Field(); }

bool TqzDBCustomDateTimePicker::BoundWithoutField() const {
    return !Field() && (DataSource() || !DataField().empty());
}

void TqzDBCustomDateTimePicker::Beep() { MessageBeep(0); }

// ---- Kinds and formats

std::string TqzDBCustomDateTimePicker::ResolvedFormat(bool Expand) {
    std::string f = FDTDisplayFormat;
    TField* field = BoundField();
    if (f.empty() && field && IsPublishedProp(field, "DisplayFormat")) f = GetStrProp(field, "DisplayFormat");
    if (!Expand || !f.empty()) return f;
    const TFormatSettings& fs = FormatSettings();
    const bool longForm = FDateFormat == dfLong;
    TqzDTKind kind;
    if (field) {
        kind = field->DataType() == ftTime   ? TqzDTKind::Time
               : field->DataType() == ftDate ? TqzDTKind::Date
                                             : TqzDTKind::DateTime;
    } else {
        kind = FDTUnbound == qzDTEdtTime   ? TqzDTKind::Time
               : FDTUnbound == qzDTEdtDate ? TqzDTKind::Date
                                           : TqzDTKind::DateTime;
    }
    if (kind == TqzDTKind::Time) return longForm ? fs.LongTimeFormat : fs.ShortTimeFormat;
    if (kind == TqzDTKind::Date) return longForm ? fs.LongDateFormat : fs.ShortDateFormat;
    return longForm ? fs.LongDateFormat + " " + fs.LongTimeFormat : "c";
}

std::string TqzDBCustomDateTimePicker::ExpandedFormat() { return qzExpandDTFormat(ResolvedFormat(true)); }

TqzDTKind TqzDBCustomDateTimePicker::Kind() {
    TField* field = BoundField();
    if (!field) {
        return FDTUnbound == qzDTEdtTime   ? TqzDTKind::Time
               : FDTUnbound == qzDTEdtDate ? TqzDTKind::Date
                                           : TqzDTKind::DateTime;
    }
    switch (field->DataType()) {
    case ftDate: return TqzDTKind::Date;
    case ftTime: return TqzDTKind::Time;
    default: return qzDTFormatHasDate(ExpandedFormat()) ? TqzDTKind::DateTime : TqzDTKind::Time;
    }
}

bool TqzDBCustomDateTimePicker::ShowsNoTime() {
    TField* field = BoundField();
    if (!field) return FDTUnbound == qzDTEdtDate;
    if (field->DataType() == ftDate) return true;
    if (field->DataType() == ftDateTime || field->DataType() == ftTimeStamp)
        return !qzDTFormatHasTime(ExpandedFormat());
    return false;
}

bool TqzDBCustomDateTimePicker::IsDefaultCase() {
    TField* field = BoundField();
    const std::string own = ResolvedFormat(false);
    if (field) {
        const bool dt = field->DataType() == ftDateTime || field->DataType() == ftTimeStamp;
        if (own == "c") return true;
        // An empty format with the long date drops the time at midnight too.
        return dt && own.empty();
    }
    if (FDTUnbound != qzDTEdtDateTime) return false;
    return own == "c" || own.empty();
}

std::string TqzDBCustomDateTimePicker::TextFor(TDateTime V) {
    if (!BoundField() && BoundWithoutField()) return std::string();
    const TqzDTKind kind = Kind();
    if (Whole(V) == 0 && kind != TqzDTKind::Time) return std::string();
    if (!std::isfinite(V) || V < -693593.0 || V >= 2958466.0) return std::string();
    const std::string own = ResolvedFormat(false);
    if (own.empty() && FDateFormat == dfLong && Frac(V) == 0 && kind != TqzDTKind::Time)
        return FormatDateTime(FormatSettings().LongDateFormat, V);
    const std::string resolved = ResolvedFormat(true);
    if (resolved == "c") return FormatDateTime("c", V);
    return qzRenderDTFormat(qzExpandDTFormat(resolved), V, kind, nullptr);
}

std::vector<TqzDTPart> TqzDBCustomDateTimePicker::Parts() {
    std::vector<TqzDTPart> parts;
    qzRenderDTFormat(ExpandedFormat(), FValue, Kind(), &parts);
    return parts;
}

int TqzDBCustomDateTimePicker::LastPartOnScreen() {
    const std::vector<TqzDTPart> parts = Parts();
    const int count = static_cast<int>(parts.size());
    if (!IsDefaultCase()) return std::max(1, count);
    const int shown = static_cast<int>(Text().size());
    int last = 0;
    for (int k = 0; k < count; ++k) {
        if (parts[static_cast<size_t>(k)].Start >= shown) break;
        last = k + 1;
    }
    return std::max(1, last);
}

void TqzDBCustomDateTimePicker::SetDisplayFormat(const std::string& Value) {
    FDTDisplayFormat = Value;
    FPart = 1;
    ShowValue();
}

void TqzDBCustomDateTimePicker::SetDateFormat(TDTDateFormat Value) {
    FDateFormat = Value;
    FPart = 1;
    ShowValue();
}

void TqzDBCustomDateTimePicker::SetUnboundDataType(TqzDTEditDataType Value) {
    if (Value == FDTUnbound) return;
    FDTUnbound = Value;
    FPart = 1;
    SetShowButton(Kind() != TqzDTKind::Time);
    ShowValue();
}

void TqzDBCustomDateTimePicker::SetCalendarAttributes(TqzCalendarOptions* V) {
    FCalendarAttributes->SetAlignment(V->Alignment());
    FCalendarAttributes->SetColors(V->Colors());
    FCalendarAttributes->SetFont(V->Font());
    FCalendarAttributes->SetOptions(V->Options());
    FCalendarAttributes->SetPopupYearOptions(V->PopupYearOptions());
    FCalendarAttributes->SetFirstDayOfWeek(V->FirstDayOfWeek());
}

// ---- Value

TDateTime TqzDBCustomDateTimePicker::EffectiveMin() const {
    return Whole(FMinDate) != 0 ? Whole(FMinDate) : kMinDay;
}
TDateTime TqzDBCustomDateTimePicker::EffectiveMax() const {
    return Whole(FMaxDate) != 0 ? Whole(FMaxDate) : kMaxDay;
}

void TqzDBCustomDateTimePicker::SetInternalText(const std::string& Value) {
    if (Value == Text()) return;
    const bool old = FInternalText;
    FInternalText = true;
    try {
        SetText(Value);
    } catch (...) {
        FInternalText = old;
        throw;
    }
    FInternalText = old;
}

void TqzDBCustomDateTimePicker::ShowValue() {
    std::string text;
    TField* field = BoundField();
    if (field && field->IsNull() && FValue == 0)
        text.clear();
    else if (!field && FValue == 0 && FBlank)
        text.clear();
    else
        text = TextFor(FValue);
    SetInternalText(text);
    SelectPart();
}

void TqzDBCustomDateTimePicker::SelectPart() {
    if (!HandleAllocated() && !Focused()) return;
    if (!CanEditValue()) {
        SelectAll();
        return;
    }
    if (IsDroppedDown()) {
        SetSelStart(0);
        SetSelLength(0);
        return;
    }
    const std::vector<TqzDTPart> parts = Parts();
    const int shown = static_cast<int>(Text().size());
    if (FPart < 1) FPart = 1;
    if (FPart > static_cast<int>(parts.size()) || shown == 0) {
        SetSelStart(0);
        SetSelLength(0);
        return;
    }
    const TqzDTPart& p = parts[static_cast<size_t>(FPart - 1)];
    const int start = std::min(p.Start, shown);
    SetSelStart(start);
    SetSelLength(std::clamp(p.Length, 0, shown - start));
}

void TqzDBCustomDateTimePicker::SetValue(TDateTime V) {
    if (!std::isfinite(V)) throw EConvertError("Invalid date-time value");
    const bool modified = Modified();
    if (!BoundField() && V == 0) FBlank = false;
    if ((BoundField() || V != 0) && V == FValue && FValue != 0) return;
    const TqzDTKind kind = Kind();
    if (V == 0) {
        FValue = 0;
        if (kind != TqzDTKind::Time) {
            SetInternalText("");
            TCustomEdit::SetModified(modified);
            return;
        }
    } else if (!(Whole(V) == 0 && kind == TqzDTKind::Time) &&
               !(BoundField() && BoundField()->IsNull() && false)) {
        // Bounds are whole days.
        if (Whole(FMaxDate) != 0 && Whole(V) > Whole(FMaxDate)) RaiseAbove(FMaxDate);
        if (Whole(FMinDate) != 0 && Whole(V) < Whole(FMinDate)) RaiseBelow(FMinDate);
        if (V <= -693594.0 || V >= 2958466.0) RaiseAbove(kMaxDay);
    }
    FValue = V;
    ShowValue();
    TCustomEdit::SetModified(modified);
}

TDateTime TqzDBCustomDateTimePicker::Date() {
    FinishTyping();
    if (Kind() == TqzDTKind::Time) return 0;
    return Whole(FValue);
}

TDateTime TqzDBCustomDateTimePicker::Time() {
    FinishTyping();
    if (Kind() == TqzDTKind::Date) return 0;
    return Frac(FValue);
}

void TqzDBCustomDateTimePicker::SetDate(TDateTime V) {
    if (!std::isfinite(V)) throw EConvertError("Invalid date-time value");
    if (Kind() == TqzDTKind::Time) return;
    if (!BoundField() && V == 0) {
        FBlank = false;
        SetValue(0);
        return;
    }
    if (Whole(V) == Whole(FValue)) return;
    TDateTime nv = Whole(V) + Frac(FValue);
    if (nv == 0) {
        FValue = 0;
        ShowValue();
        return;
    }
    if (Whole(FMaxDate) != 0 && nv > Whole(FMaxDate)) {
        if (Whole(nv) == Whole(FMaxDate))
            nv = Whole(nv);  // the time of day goes on the last day
        else
            RaiseAbove(FMaxDate);
    }
    if (Whole(FMinDate) != 0 && Whole(nv) < Whole(FMinDate)) RaiseBelow(FMinDate);
    SetValue(nv);
}

void TqzDBCustomDateTimePicker::SetTime(TDateTime V) {
    if (!std::isfinite(V)) throw EConvertError("Invalid date-time value");
    if (Kind() == TqzDTKind::Date) return;
    if (!BoundField() && V == 0) {
        FBlank = false;
        SetValue(0);
        ShowValue();
        return;
    }
    if (std::fabs(Frac(V) - Frac(FValue)) < 1e-12 && FValue != 0) return;
    const TDateTime nv = Whole(FValue) + std::fabs(Frac(V));
    if (nv == 0) {
        FValue = 0;
        ShowValue();
        return;
    }
    SetValue(nv);
}

void TqzDBCustomDateTimePicker::SetMaxDate(TDateTime V) {
    if (!std::isfinite(V)) throw EConvertError("Invalid date-time value");
    if (Whole(V) != 0 && Whole(FMinDate) != 0 && Whole(V) < Whole(FMinDate)) RaiseBelow(FMinDate);
    FMaxDate = V;
}

void TqzDBCustomDateTimePicker::SetMinDate(TDateTime V) {
    if (!std::isfinite(V)) throw EConvertError("Invalid date-time value");
    if (Whole(FMaxDate) != 0 && Whole(V) > Whole(FMaxDate)) RaiseAbove(FMaxDate);
    FMinDate = V;
}

bool TqzDBCustomDateTimePicker::SetFromParts(int Y, int M, int D, int H, int N, int S, int MS) {
    if (Y < 1 || Y > 9999 || M < 1 || M > 12) {
        ShowValue();
        return false;
    }
    D = std::clamp(D, 1, DaysInAMonth(Y, M));
    TDateTime t = 0;
    if (!TryEncodeTime(H, N, S, MS, t)) {
        ShowValue();
        return false;
    }
    if (Kind() == TqzDTKind::Time) {
        if (!BoundField()) FBlank = false;
        const TDateTime nv = Whole(FValue) + t;
        FValue = nv;
        ShowValue();
        return true;
    }
    const TDateTime d = EncodeDate(Y, M, D);
    const TDateTime v = d >= 0 ? d + t : d - t;
    if (Whole(v) > EffectiveMax() || Whole(v) < EffectiveMin()) {
        ShowValue();
        return false;
    }
    // SetValue leaves the text alone when the value stays: the typed digits would stand.
    const bool same = v == FValue;
    try {
        SetValue(v);
    } catch (const Exception&) {
        ShowValue();
        return false;
    }
    if (same) ShowValue();
    return true;
}

TDateTime TqzDBCustomDateTimePicker::AddMonthsTo(TDateTime V, int Months) {
    const TParts p = Split(V);
    int m = p.Y * 12 + (p.M - 1) + Months;
    if (m < 12 || m / 12 > 9999) return V;
    const int y = m / 12, mo = m % 12 + 1;
    const int d = std::min(p.D, DaysInAMonth(y, mo));
    const TDateTime date = EncodeDate(y, mo, d);
    return date + Frac(V);
}

TDateTime TqzDBCustomDateTimePicker::TodayClamped(bool WithTime) {
    const TDateTime today = ::Date();
    TDateTime v = WithTime ? Now() : today;
    if (Whole(v) > EffectiveMax()) v = EffectiveMax();
    if (Whole(v) < EffectiveMin()) v = EffectiveMin();
    return v;
}

bool TqzDBCustomDateTimePicker::CanEditValue() {
    if (TqzDBCustomEdit::ReadOnly()) return false;
    TField* field = BoundField();
    if (!field) return !BoundWithoutField();
    if (field->ReadOnly() || !field->CanModify()) return false;
    TDataSet* ds = field->DataSet();
    if (!ds || !ds->CanModify()) return false;
    if (DataSource() && !DataSource()->AutoEdit()) return ds->State() == dsEdit || ds->State() == dsInsert;
    return true;
}

void TqzDBCustomDateTimePicker::SetModifiedOn() {
    TField* field = BoundField();
    if (field && field->ReadOnly()) return;
    if (field) {
        EditLink();
        DataLink()->Modified();
    }
    TCustomEdit::SetModified(true);
}

bool TqzDBCustomDateTimePicker::FieldCanTakeValue() {
    TField* field = BoundField();
    return field && !field->ReadOnly() && field->CanModify();
}

// ---- Data link

void TqzDBCustomDateTimePicker::EditLink() {
    // Going into edit mode reloads nothing: the value being edited stays.
    const bool old = FEditingLink;
    FEditingLink = true;
    try {
        DataLink()->Edit();
    } catch (...) {
        FEditingLink = old;
        throw;
    }
    FEditingLink = old;
}

void TqzDBCustomDateTimePicker::DTDataChange(TObject*) {
    if (FEditingLink) return;
    TField* field = BoundField();
    if (field) {
        TDataSet* ds = field->DataSet();
        const bool browse = ds && ds->State() == dsBrowse;
        FTyping = false;
        FPending = 0;
        if (field->IsNull()) {
            FValue = 0;
            SetInternalText("");
            if (browse || (ds && ds->State() == dsInsert)) FPart = 1;
        } else {
            FValue = field->AsDateTime();
            if (browse) FPart = 1;
            ShowValue();
        }
        if (browse && Focused()) SelectAll();
        TCustomEdit::SetModified(false);
        Invalidate();
        return;
    }
    if (DataSource() || !DataField().empty()) {
        FValue = 0;
        SetInternalText("");
    }
}

void TqzDBCustomDateTimePicker::UpdateData(TObject*) {
    TField* field = BoundField();
    if (!field || TqzDBCustomEdit::ReadOnly() || !Modified()) return;
    if (FPending != 0 && FTyping) FinishTyping();
    FPending = 0;
    const TqzDTKind kind = Kind();
    if (ShowsNoTime()) {
        TDateTime v = FValue;
        if (Whole(v) == 0) {
            // No day means no value: the field is cleared.
            FBlank = true;
            field->Clear();
            return;
        }
        const TDateTime old = field->IsNull() ? 0 : field->AsDateTime();
        field->SetAsDateTime(Whole(v) + (field->DataType() == ftDate ? 0 : Frac(old)));
        return;
    }
    if (kind == TqzDTKind::Time) {
        const TDateTime old = field->IsNull() ? 0 : field->AsDateTime();
        const TDateTime v = Whole(old) + Frac(FValue);
        if (v == 0 && Text().empty())
            field->Clear();
        else
            field->SetAsDateTime(v);
        return;
    }
    if (FValue != 0)
        field->SetAsDateTime(FValue);
    else
        field->Clear();
}

// ---- Focus

void TqzDBCustomDateTimePicker::DoEnter() {
    SetEditRect();
    if (BoundField() && !Modified()) DataLink()->Reset();
    if (BoundField() && BoundField()->IsNull()) {
        SetInternalText("");
    } else {
        FEnterValue = FValue;
        ShowValue();
    }
    TCustomEdit::DoEnter();
    if (FValue == 0 && !Text().empty() && !FClickedByButton) SelectAll();
    if (!DataSource()) TCustomEdit::SetModified(false);
    SelectPart();
}

void TqzDBCustomDateTimePicker::CMExit(TMessage& Message) {
    FinishTyping();
    if (IsDroppedDown()) CloseUp(true);
    if (Modified() && BoundField()) {
        try {
            CommitEdit();
        } catch (...) {
            SelectPart();
            throw;
        }
    }
    FPending = 0;
    PostMessage(this, CVDateTimePickerDestroyCalendar(), 0, 0);
    TCustomEdit::CMExit(Message);
    Invalidate();
}

// ---- Drop-down

int TqzDBCustomDateTimePicker::ButtonWidth() const {
    const int set = TqzDBCustomCombo::ButtonWidth();
    return set != 0 || !Button() ? set : Button()->Width();
}

bool TqzDBCustomDateTimePicker::IsDroppedDown() { return FCalendarWindow && FCalendarWindow->Visible(); }

void TqzDBCustomDateTimePicker::DropDown() {
    if (IsDroppedDown() || BoundWithoutField() || Kind() == TqzDTKind::Time) return;
    if (!CanEditValue()) {
        SetEditCaretHidden(this, true);
        return;
    }
    FDropValue = FValue;
    FinishTyping();
    if (!FCalendarWindow) {
        FCalendarWindow = new TPopupWindow(this);
        FCalendarWindow->SetOwnerControl(this);
        FCalendar = new TqzPopupCalendar(FCalendarWindow, this);
        FCalendar->SetParent(FCalendarWindow);
    }
    TqzPopupCalendar* cal = FCalendar;
    cal->SetBorderStyle(bsNone);
    cal->CalColors()->Assign(FCalendarAttributes->Colors());
    cal->SetOnCalcBoldDay(FOnCalcBoldDay);
    cal->SetOptions(FCalendarAttributes->Options() - mdoMultiSelect);
    cal->SetMinDate(0);
    cal->SetMaxDate(EffectiveMax());
    cal->SetMinDate(EffectiveMin());
    cal->SetFont(FCalendarAttributes->Font());
    cal->SetPopupYearOptions(FCalendarAttributes->PopupYearOptions());
    cal->SetFirstDayOfWeek(FCalendarAttributes->FirstDayOfWeek());
    TRect min;
    cal->GetMinReqRect(min);
    if (Text().empty() || FValue == 0) {
        if (BoundField()) EditLink();
        SetModifiedOn();
        if (Text().empty() || FValue == 0) {
            const bool withTime = FAutoFillDateAndTime && !ShowsNoTime() && !IsDefaultCase();
            TDateTime start = withTime ? Now() : ::Date();
            if (Whole(start) > EffectiveMax() || Whole(start) < EffectiveMin())
                start = Whole(start) > EffectiveMax() ? EffectiveMax() : EffectiveMin();
            FValue = start;
            FBlank = false;
        }
    }
    SetInternalText(TextFor(FValue));
    cal->SetCurrentDate(FValue);
    SetSelLength(0);
    if (FOnDropDownDT.Assigned()) FOnDropDownDT(this);
    FSavedShowHint = ShowHint();
    SetShowHint(false);
    const int w = FCalendarAttributes->Width() >= min.Width() ? FCalendarAttributes->Width() : min.Width();
    const int h =
        FCalendarAttributes->Height() >= min.Height() ? FCalendarAttributes->Height() : min.Height();
    const TPoint corner = ClientToScreen({0, 0});
    int top = corner.Y + Height() - 1 + (BorderStyle() == bsNone ? 1 : 0);
    const TRect work = Screen->WorkAreaRect();
    if (top + h > work.Bottom && corner.Y - h >= work.Top) top = corner.Y - h;
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int bw = std::max(GetSystemMetrics(SM_CXVSCROLL), 15);
    int left = corner.X;
    if (FCalendarAttributes->Alignment() == qzdtaRight) left = corner.X + Width() - bw - w - 1;
    if (FCalendarAttributes->Alignment() == qzdtaCenter) left = corner.X + (Width() - w - bw - 1) / 2;
    if (left + w >= screenW) left = corner.X + Width() - w;
    if (left < 0) left = 0;
    FCalendarWindow->ShowAt(left + 1, top, w + 2, h + 2);
    cal->SetBounds(0, 0, w, h);
    cal->SetVisible(true);
    SetDroppedDown(true);
    WatchDropDown({FCalendarWindow, cal});
    SelectPart();
}

void TqzDBCustomDateTimePicker::CalendarChanged() {
    if (!IsDroppedDown() || !CanEditValue()) return;
    if (BoundField()) EditLink();
    SetModifiedOn();
    FInCalendarUpdate = true;
    try {
        const TDateTime d = FCalendar->Date();
        if (FValue == 0)
            SetValue(Whole(d));
        else
            SetDate(d);
    } catch (const Exception&) {
        Beep();
    }
    FInCalendarUpdate = false;
    SetModifiedOn();
}

void TqzDBCustomDateTimePicker::CloseUp(bool Accept) {
    if (FClosing || !IsDroppedDown()) return;
    FClosing = true;
    if (TControl* capture = GetCaptureControl()) {
        (void)capture;
        SetCaptureControl(nullptr);
    }
    const TDateTime calDate = FCalendar->Date();
    FCalendarWindow->ClosePopup();
    SetDroppedDown(false);
    StopWatchingDropDown();
    try {
        if (Accept) {
            if (BoundField() && CanEditValue()) {
                const std::string newText = TextFor(Whole(calDate) + Frac(FValue));
                if (newText != TextFor(BoundField()->IsNull() ? 0 : BoundField()->AsDateTime())) {
                    SetDate(calDate);
                    SetModifiedOn();
                }
            }
        } else {
            SetValue(FDropValue);
            if (FDropValue == 0 && !BoundField()) FBlank = true, ShowValue();
        }
    } catch (const Exception&) {
        Beep();
    }
    if (FOnCloseUp.Assigned()) FOnCloseUp(this);
    SetShowHint(FSavedShowHint);
    Invalidate();
    SelectPart();
    FClosing = false;
}

// ---- Keys

void TqzDBCustomDateTimePicker::CNKeyDown(TMessage& Message) {
    const auto key = static_cast<uint16_t>(Message.WParam);
    if (IsDroppedDown() && key == VK_TAB) CloseUp(true);
    inherited::CNKeyDown(Message);
}

void TqzDBCustomDateTimePicker::StartEmptyValue(uint16_t Key) {
    if (BoundField()) EditLink();
    const TqzDTKind kind = Kind();
    if (kind == TqzDTKind::Time) {
        const bool digit = (Key >= '0' && Key <= '9') || (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9);
        FValue = Whole(FValue) + (digit ? 0 : Frac(Now()));
    } else {
        const TDateTime today = ::Date();
        TDateTime v;
        if (Whole(FMaxDate) != 0 && Whole(FMaxDate) < today)
            v = Whole(FMaxDate);
        else if (Whole(FMinDate) != 0 && Whole(FMinDate) > today)
            v = Whole(FMinDate);
        else if (FAutoFillDateAndTime)
            v = (ShowsNoTime() || IsDefaultCase()) ? today : Now();
        else {
            v = today;
            std::string f = ExpandedFormat();
            if (f.find('d') == std::string::npos && f.find('D') == std::string::npos) {
                const TParts p = Split(v);
                v = EncodeDate(p.Y, p.M, 1);
                if (v < EffectiveMin()) v = EffectiveMin();
            }
        }
        FValue = v;
    }
    FBlank = false;
    ShowValue();
    SetModifiedOn();
    FPart = 1;
    SelectPart();
}

void TqzDBCustomDateTimePicker::FinishTyping() {
    if (!FTyping) return;
    FTyping = false;
    const std::string typed = FTyped;
    FTyped.clear();
    const std::vector<TqzDTPart> parts = Parts();
    if (FPart < 1 || FPart > static_cast<int>(parts.size()) || typed.empty()) {
        ShowValue();
        return;
    }
    const TqzDTPart& part = parts[static_cast<size_t>(FPart - 1)];
    TParts p = Split(FValue);
    int n = std::stoi(typed);
    switch (part.Kind) {
    case 'D':
        if (n != 0) p.D = n;
        break;
    case 'M':
        if (n != 0) p.M = n;
        break;
    case 'Y':
        if (typed.size() <= 2)
            p.Y = qzEpochYear(n, Epoch());
        else
            p.Y = n;
        break;
    case 'H': {
        const bool ampm =
            std::any_of(parts.begin(), parts.end(), [](const TqzDTPart& x) { return x.Kind == 'A'; });
        if (ampm) {
            n = n % 12 + (p.H >= 12 ? 12 : 0);
        }
        if (n < 24) p.H = n;
        break;
    }
    case 'N':
        if (n < 60) p.N = n;
        break;
    case 'S':
        if (n < 60) p.S = n;
        break;
    default: break;
    }
    if (part.Kind == 'D' && p.D > DaysInAMonth(p.Y, p.M)) {
        ShowValue();
        return;
    }
    SetFromParts(p.Y, p.M, p.D, p.H, p.N, p.S, p.MS);
    SetModifiedOn();
    SelectPart();
}

void TqzDBCustomDateTimePicker::TypeDigit(int Digit) {
    const std::vector<TqzDTPart> parts = Parts();
    if (FPart < 1 || FPart > static_cast<int>(parts.size())) return;
    const TqzDTPart part = parts[static_cast<size_t>(FPart - 1)];
    const bool ampm =
        std::any_of(parts.begin(), parts.end(), [](const TqzDTPart& x) { return x.Kind == 'A'; });
    int maxLead = 9, width = 2;
    switch (part.Kind) {
    case 'D': maxLead = 3; break;
    case 'M': maxLead = 1; break;
    case 'H': maxLead = ampm ? 1 : 2; break;
    case 'N':
    case 'S': maxLead = 5; break;
    case 'Y': width = part.Token == "yyyy" ? 4 : 2; break;
    default: Beep(); return;
    }
    if (part.Kind == 'M' && part.Token.size() > 2) {
        Beep();
        return;
    }
    TParts p = Split(FValue);
    auto order = [&](char a, char b) {
        int ia = -1, ib = -1;
        for (size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].Kind == a && ia < 0) ia = static_cast<int>(i);
            if (parts[i].Kind == b && ib < 0) ib = static_cast<int>(i);
        }
        return ia >= 0 && ib >= 0 && ia < ib;
    };
    auto apply = [&](int n) -> bool {
        TParts q = p;
        switch (part.Kind) {
        case 'D': {
            if (n == 0) n = q.D;
            if (n < 1 || n > 31) return false;
            if (n > DaysInAMonth(q.Y, q.M) && order('D', 'M')) {
                for (int m = 1; m <= 12; ++m)
                    if (DaysInAMonth(q.Y, m) >= n) {
                        q.M = m;
                        break;
                    }
            }
            if (n == 29 && q.M == 2 && !IsLeapYear(q.Y) && order('D', 'Y')) {
                q.Y += 4 - q.Y % 4;
                if (!IsLeapYear(q.Y)) q.Y += 4;
            }
            if (q.Y > 9999 || n > DaysInAMonth(q.Y, q.M)) return false;
            q.D = n;
            break;
        }
        case 'M':
            if (n == 0) n = q.M;
            if (n < 1 || n > 12) return false;
            if (q.D == 29 && n == 2 && !IsLeapYear(q.Y) && order('M', 'Y')) {
                q.Y += 4 - q.Y % 4;
                if (!IsLeapYear(q.Y)) q.Y += 4;
            }
            if (q.Y > 9999) return false;
            q.M = n;
            q.D = std::min(q.D, DaysInAMonth(q.Y, q.M));
            break;
        case 'H':
            if (ampm) {
                if (n > 12) return false;
                n = n % 12 + (p.H >= 12 ? 12 : 0);
            }
            if (n > 23) return false;
            q.H = n;
            break;
        case 'N':
        case 'S':
            if (n > 59) return false;
            (part.Kind == 'N' ? q.N : q.S) = n;
            break;
        case 'Y':
            if (width == 2) {
                n = qzEpochYear(n, Epoch());
            } else if (n == 0) {
                n = Split(FEnterValue).Y;
            }
            if (n < 1 || n > 9999) return false;
            q.Y = n;
            q.D = std::min(q.D, DaysInAMonth(q.Y, q.M));
            break;
        default: return false;
        }
        if (Kind() != TqzDTKind::Time) {
            TDateTime d = 0;
            if (!TryEncodeDate(q.Y, q.M, q.D, d)) return false;
            if (d > EffectiveMax() || d < EffectiveMin()) return false;
        }
        return SetFromParts(q.Y, q.M, q.D, q.H, q.N, q.S, q.MS);
    };
    auto advance = [&] {
        if (FAutoAdvance && FPart < LastPartOnScreen()) ++FPart;
        SelectPart();
    };
    if (!FTyping) {
        if (part.Kind == 'Y' && width == 2) {
            // The first digit opens a decade only when it is possible.
            const int century = Epoch() / 100 + (Epoch() % 100 > Digit * 10 ? 1 : 0);
            TDateTime last = 0;
            if (!TryEncodeDate(std::min(9999, century * 100 + Digit * 10 + 9), 12, 31, last) ||
                (Whole(FMinDate) != 0 && last < Whole(FMinDate))) {
                Beep();
                return;
            }
        }
        if (part.Kind != 'Y' && Digit > maxLead) {
            if (!apply(Digit)) {
                Beep();
                return;
            }
            SetModifiedOn();
            FPending = 0;
            advance();
            return;
        }
        FTyping = true;
        FTyped = std::to_string(Digit);
        // The pending value: the part with this digit as its value.
        TParts q = p;
        int n = Digit;
        bool ok = true;
        switch (part.Kind) {
        case 'D': q.D = n; break;
        case 'M': q.M = n; break;
        case 'Y': q.Y = width == 2 ? qzEpochYear(n, Epoch()) : n; break;
        case 'H': q.H = n; break;
        case 'N': q.N = n; break;
        case 'S': q.S = n; break;
        default: ok = false; break;
        }
        FPending = 0;
        TDateTime d = 0, t = 0;
        if (ok && q.M != 0 && q.D != 0 && TryEncodeDate(std::max(1, q.Y), q.M, q.D, d) &&
            TryEncodeTime(q.H, q.N, q.S, 0, t) && d <= EffectiveMax() && d >= EffectiveMin())
            FPending = d + t;
        // The typed digit stands in the part.
        const std::string text = Text();
        const int start = std::min(part.Start, static_cast<int>(text.size()));
        const std::string shown =
            text.substr(0, static_cast<size_t>(start)) + FTyped +
            text.substr(static_cast<size_t>(std::min<int>(start + part.Length, text.size())));
        SetInternalText(shown);
        SetSelStart(start + 1);
        SetSelLength(0);
        return;
    }
    FTyped += std::to_string(Digit);
    if (static_cast<int>(FTyped.size()) < width) {
        const std::string text = Text();
        const int start = std::min(part.Start, static_cast<int>(text.size()));
        const int oldLen = static_cast<int>(FTyped.size()) - 1;
        const std::string shown =
            text.substr(0, static_cast<size_t>(start)) + FTyped +
            text.substr(static_cast<size_t>(std::min<int>(start + oldLen, text.size())));
        SetInternalText(shown);
        SetSelStart(start + static_cast<int>(FTyped.size()));
        SetSelLength(0);
        return;
    }
    FTyping = false;
    const int n = std::stoi(FTyped);
    FTyped.clear();
    FPending = 0;
    if (!apply(n)) {
        Beep();
        ShowValue();
        return;
    }
    SetModifiedOn();
    advance();
}

void TqzDBCustomDateTimePicker::StepPart(int Sign) {
    const std::vector<TqzDTPart> parts = Parts();
    if (FPart < 1 || FPart > static_cast<int>(parts.size())) return;
    const TqzDTPart& part = parts[static_cast<size_t>(FPart - 1)];
    TParts p = Split(FValue);
    switch (part.Kind) {
    case 'D': {
        const int days = DaysInAMonth(p.Y, p.M);
        p.D = Sign > 0 ? (p.D >= days ? 1 : p.D + 1) : (p.D <= 1 ? days : p.D - 1);
        break;
    }
    case 'W': {
        const int first = FCalendarAttributes->FirstDayOfWeek() == qzdowLocaleDefault
                              ? LocaleFirstDayOfWeek()
                              : static_cast<int>(FCalendarAttributes->FirstDayOfWeek());
        const int dow = (DayOfWeek(FValue) + 5) % 7;  // 0 = Monday
        const int pos = (dow - first + 7) % 7;
        const int next = Sign > 0 ? (pos == 6 ? -6 : 1) : (pos == 0 ? 6 : -1);
        const TDateTime v = FValue + next;
        if (Whole(v) > EffectiveMax() || Whole(v) < EffectiveMin()) return;
        p = Split(v);
        break;
    }
    case 'M': {
        const int m = Sign > 0 ? (p.M == 12 ? 1 : p.M + 1) : (p.M == 1 ? 12 : p.M - 1);
        const TDateTime v = AddMonthsTo(FValue, m - p.M);
        TParts q = Split(v);
        TDateTime d = EncodeDate(q.Y, q.M, q.D);
        if (d > EffectiveMax()) q = Split(EffectiveMax() + Frac(FValue));
        if (d < EffectiveMin()) q = Split(EffectiveMin() + Frac(FValue));
        p = q;
        break;
    }
    case 'Y': {
        const TDateTime v = AddMonthsTo(FValue, 12 * Sign);
        TParts q = Split(v);
        TDateTime d = EncodeDate(q.Y, q.M, q.D);
        if (d > EffectiveMax()) q = Split(EffectiveMax() + Frac(FValue));
        if (d < EffectiveMin()) q = Split(EffectiveMin() + Frac(FValue));
        p = q;
        break;
    }
    case 'H': p.H = Sign > 0 ? (p.H + 1) % 24 : (p.H + 23) % 24; break;
    case 'N': {
        const int step = FInterval->MinutesInterval();
        const bool round = FInterval->RoundMinutes();
        if (Sign > 0) {
            p.N = (p.N + step) % 60;
            if (round) p.N -= p.N % step;
        } else if (round && p.N % step != 0) {
            p.N -= p.N % step;
        } else {
            p.N = (p.N + 60 - step) % 60;
        }
        break;
    }
    case 'S': p.S = Sign > 0 ? (p.S + 1) % 60 : (p.S + 59) % 60; break;
    case 'A': p.H = p.H < 12 ? p.H + 12 : p.H - 12; break;
    default: return;
    }
    SetFromParts(p.Y, p.M, p.D, p.H, p.N, p.S, p.MS);
}

void TqzDBCustomDateTimePicker::HomeEndPart(bool End) {
    const std::vector<TqzDTPart> parts = Parts();
    if (FPart < 1 || FPart > static_cast<int>(parts.size())) return;
    const TqzDTPart& part = parts[static_cast<size_t>(FPart - 1)];
    TParts p = Split(FValue);
    const TParts lo = Split(EffectiveMin()), hi = Split(EffectiveMax());
    switch (part.Kind) {
    case 'D':
        if (!End)
            p.D = (p.Y == lo.Y && p.M == lo.M) ? lo.D : 1;
        else
            p.D = (p.Y == hi.Y && p.M == hi.M) ? hi.D : DaysInAMonth(p.Y, p.M);
        break;
    case 'W': {
        const int first = FCalendarAttributes->FirstDayOfWeek() == qzdowLocaleDefault
                              ? LocaleFirstDayOfWeek()
                              : static_cast<int>(FCalendarAttributes->FirstDayOfWeek());
        const int pos = ((DayOfWeek(FValue) + 5) % 7 - first + 7) % 7;
        TDateTime v = End ? FValue + (6 - pos) : FValue - pos;
        v = std::clamp(Whole(v), EffectiveMin(), EffectiveMax()) + Frac(FValue);
        p = Split(v);
        break;
    }
    case 'M':
        if (!End) {
            p.M = 1;
            if (p.Y == lo.Y) p.M = lo.M + (p.D < lo.D ? 1 : 0);
        } else {
            p.M = 12;
            if (p.Y == hi.Y) p.M = hi.M - (p.D > hi.D ? 1 : 0);
        }
        p.M = std::clamp(p.M, 1, 12);
        break;
    case 'Y':
        if (!End)
            p.Y = lo.Y + ((p.M < lo.M || (p.M == lo.M && p.D < lo.D)) ? 1 : 0);
        else
            p.Y = hi.Y - ((p.M > hi.M || (p.M == hi.M && p.D > hi.D)) ? 1 : 0);
        break;
    case 'A':
        if (!End && p.H >= 12) p.H -= 12;
        if (End && p.H < 12) p.H += 12;
        break;
    case 'H': p.H = End ? 23 : 0; break;
    case 'N': p.N = End ? 59 : 0; break;
    case 'S': p.S = End ? 59 : 0; break;
    default: return;
    }
    SetFromParts(p.Y, p.M, p.D, p.H, p.N, p.S, p.MS);
}

void TqzDBCustomDateTimePicker::DeleteKey() {
    const TqzDTKind kind = Kind();
    TField* field = BoundField();
    const std::vector<TqzDTPart> parts = Parts();
    auto isDatePart = [](char k) { return k == 'D' || k == 'M' || k == 'Y' || k == 'W'; };
    if (kind == TqzDTKind::Time && field && field->DataType() == ftDateTime) {
        FValue = Whole(FValue);
        SetInternalText("");
        FBlank = true;
        FPart = 1;
    } else if (ShowsNoTime()) {
        FValue = 0;
        FBlank = true;
        SetInternalText("");
        FPart = 1;
    } else if (IsDefaultCase() && Frac(FValue) != 0 && FPart > 1 && FPart <= static_cast<int>(parts.size()) &&
               !isDatePart(parts[static_cast<size_t>(FPart - 2)].Kind)) {
        FValue = Whole(FValue);
        ShowValue();
        FPart = LastPartOnScreen();
    } else {
        FValue = 0;
        SetInternalText("");
        FBlank = true;
        FPart = 1;
    }
    SetModifiedOn();
    SelectPart();
}

void TqzDBCustomDateTimePicker::ResetEdit() {
    FTyping = false;
    FTyped.clear();
    FPending = 0;
    if (BoundField()) {
        DataLink()->Reset();
    } else {
        FValue = FEnterValue;
        ShowValue();
    }
    TCustomEdit::SetModified(false);
    FPart = 1;
    ShowValue();
    SelectAll();
}

void TqzDBCustomDateTimePicker::KeyDown(uint16_t& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    if (GetKeyState(VK_MENU) < 0) Shift += ssAlt;
    const bool alt = Shift.Contains(ssAlt), ctrl = Shift.Contains(ssCtrl);
    try {
        // 1. The calendar's keys.
        if ((alt && (Key == VK_UP || Key == VK_DOWN)) || (Key == VK_F4 && !alt)) {
            Key = 0;
            if (IsDroppedDown())
                CloseUp(true);
            else
                DropDown();
            return;
        }
        if (IsDroppedDown()) {
            if (Key == VK_RETURN || Key == VK_ESCAPE) {
                FClosedByEscape = Key == VK_ESCAPE;
                const bool accept = Key == VK_RETURN;
                Key = 0;
                TMessage pending;
                PeekMessage(pending, this, WM_CHAR, WM_CHAR, true);
                CloseUp(accept);
                return;
            }
            if (FCalendar) FCalendar->HandleKey(Key, Shift);
            Key = 0;
            return;
        }
        // 2. Keys a hosting grid takes.
        if (TWinControl* grid = HostGrid()) {
            const int len = static_cast<int>(Text().size());
            const bool allSelected = SelStart() == 0 && SelLength() >= len;
            const bool always = InQzDBGrid() && GridOption("dgAlwaysShowEditor");
            const bool inspector = qzIsInInspector(this);
            bool hand = false;
            switch (Key) {
            case VK_ESCAPE: hand = !Modified(); break;
            case VK_PRIOR:
            case VK_NEXT: hand = !alt; break;
            case VK_HOME: hand = always && (ctrl || allSelected); break;
            case VK_END: hand = always && (ctrl || allSelected); break;
            case VK_LEFT: hand = always && !inspector && (ctrl || SelStart() == 0); break;
            case VK_RIGHT: hand = always && !inspector && (ctrl || SelStart() + SelLength() >= len); break;
            case VK_UP:
            case VK_DOWN: hand = ctrl || allSelected; break;
            case VK_INSERT: hand = !Shift.Contains(ssShift); break;
            case VK_DELETE: hand = ctrl; break;
            default: break;
            }
            if (!CanEditValue() && (Key == VK_HOME || Key == VK_END || Key == VK_LEFT || Key == VK_RIGHT))
                hand = true;
            if (hand) {
                const uint16_t k = Key;
                Key = 0;
                FinishTyping();
                HandToGrid(k, Shift);
                return;
            }
            // The grid's own key event sees the rest first.
            const bool active = Screen->ActiveControl() == this;
            if (grid->OnKeyDown().Assigned() && (active || (Key != VK_RETURN && Key != VK_TAB)))
                grid->OnKeyDown()(grid, Key, Shift);
            if (Key == 0) return;
            if (Key == VK_F2) {
                FinishTyping();
                SetSelLength(0);
                FPart = 1;
                SelectPart();
                Key = 0;
                return;
            }
        }
        // 3. A required field keeps its value.
        if ((Key == VK_BACK || Key == VK_DELETE) && BoundField() && BoundField()->Required()) {
            Key = 0;
            return;
        }
        if (Key == VK_RIGHT && Shift.Contains(ssShift) && FPart == 1) {
            SelectAll();
            Key = 0;
            return;
        }
        if (!CanEditValue()) {
            TCustomEdit::SetReadOnly(true);
            if (Key != VK_TAB && Key != VK_RETURN && Key != VK_ESCAPE) Key = 0;
            return;
        }
        TCustomEdit::SetReadOnly(false);
        if (ctrl) return;
        const bool digitKey = (Key >= '0' && Key <= '9') || (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9);
        const bool letterKey = Key >= 'A' && Key <= 'Z';
        const bool editing =
            Key == VK_BACK || Key == VK_SPACE || Key == VK_DELETE || Key == VK_RIGHT || digitKey || letterKey;
        const bool empty =
            Text().empty() && (Kind() == TqzDTKind::Time ? Frac(FValue) == 0 : Whole(FValue) == 0);
        if (editing && !alt && empty && Key != VK_BACK && Key != VK_DELETE && Key != VK_SPACE)
            StartEmptyValue(Key);
        // 8. Translation.
        if (!alt) {
            if (Key == VK_ADD || Key == 0xBB)
                Key = VK_UP;  // "+" and "="
            else if (Key == VK_SUBTRACT || Key == 0xBD)
                Key = VK_DOWN;  // "-"
            else if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9)
                Key = static_cast<uint16_t>('0' + Key - VK_NUMPAD0);
            else if ((Key == VK_DIVIDE || Key == 0xBF) && (FTyping || !FAutoAdvance))
                Key = VK_RIGHT;
        }
        if (Key == VK_HOME || Key == VK_END) {
            if (Shift.Contains(ssShift)) {
                SelectAll();
                Key = 0;
                return;
            }
        }
        if (Key == VK_DELETE && FTyping) {
            Key = 0;
            return;
        }
        if ((Key == VK_UP || Key == VK_DOWN || Key == VK_HOME || Key == VK_END) && FValue == 0 &&
            Kind() != TqzDTKind::Time) {
            // An empty value starts from today, kept within the limits.
            FValue = TodayClamped(false);
            FBlank = false;
        }
        switch (Key) {
        case VK_LEFT:
            FinishTyping();
            FPart = std::clamp(FPart - 1, 1, LastPartOnScreen());
            SelectPart();
            Key = 0;
            return;
        case VK_RIGHT: {
            FinishTyping();
            const int count = static_cast<int>(Parts().size());
            if (FPart < count) {
                if (IsDefaultCase() && FPart + 1 > LastPartOnScreen()) {
                    // The time is not shown at midnight: the current time fills in.
                    const TDateTime now = Now();
                    FValue = FValue == 0 ? now : Whole(FValue) + Frac(now);
                    if (Frac(FValue) == 0) FValue += 1.0 / SecsPerDay;
                    ShowValue();
                    SetModifiedOn();
                }
                FPart = std::clamp(FPart + 1, 1, LastPartOnScreen());
            }
            SelectPart();
            Key = 0;
            return;
        }
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END: {
            FinishTyping();
            if (Key == VK_UP || Key == VK_DOWN)
                StepPart(Key == VK_UP ? 1 : -1);
            else
                HomeEndPart(Key == VK_END);
            if (IsDefaultCase() && Kind() == TqzDTKind::DateTime && FValue != 0 && Frac(FValue) != 0 &&
                std::fabs(Frac(FValue)) < 0.5 / MSecsPerDay)
                FPart = LastPartOnScreen();
            FPart = std::clamp(FPart, 1, LastPartOnScreen());
            FPending = 0;
            SetModifiedOn();
            SelectPart();
            Key = 0;
            return;
        }
        case VK_DELETE:
        case VK_BACK:
            if (FTyping && Key == VK_BACK) {
                if (!FTyped.empty()) FTyped.pop_back();
                if (FTyped.empty()) {
                    FTyping = false;
                    ShowValue();
                }
                Key = 0;
                return;
            }
            if (Text().empty() && FValue == 0) {
                Key = 0;
                return;
            }
            DeleteKey();
            Key = 0;
            return;
        default: break;
        }
        if (Key >= '0' && Key <= '9' && !alt) {
            TypeDigit(Key - '0');
            Key = 0;
            return;
        }
        if (letterKey && !alt) {
            TypeLetter(static_cast<char32_t>(Key));
            Key = 0;
            return;
        }
    } catch (const Exception&) {
        // A key never raises.
        Beep();
        Key = 0;
        ShowValue();
    }
}

void TqzDBCustomDateTimePicker::TypeLetter(char32_t Letter) {
    const std::vector<TqzDTPart> parts = Parts();
    if (FPart < 1 || FPart > static_cast<int>(parts.size())) return;
    const TqzDTPart& part = parts[static_cast<size_t>(FPart - 1)];
    const TFormatSettings& fs = FormatSettings();
    const char l = static_cast<char>(std::tolower(static_cast<int>(Letter & 0x7F)));
    auto starts = [&](const std::string& s) {
        return !s.empty() && std::tolower(static_cast<unsigned char>(s[0])) == l;
    };
    TParts p = Split(FValue);
    if (part.Kind == 'M' && part.Token.size() > 2) {
        const bool longNames = part.Token.size() >= 4;
        int found = 0;
        for (int pass = 0; pass < 2 && !found; ++pass)
            for (int i = 1; i <= 12 && !found; ++i) {
                const int m = (p.M - 1 + i) % 12 + 1;
                const std::string& name = longNames ? fs.LongMonthNames[m - 1] : fs.ShortMonthNames[m - 1];
                if (starts(name) && (pass == 1 || p.D <= DaysInAMonth(p.Y, m))) found = m;
            }
        if (!found) {
            Beep();
            return;
        }
        SetFromParts(p.Y, found, p.D, p.H, p.N, p.S, p.MS);
    } else if (part.Kind == 'W') {
        const bool longNames = part.Token.size() >= 4;
        const int dow = DayOfWeek(FValue) - 1;  // 0 = Sunday
        for (int i = 1; i <= 7; ++i) {
            const int d = (dow + i) % 7;
            if (starts(longNames ? fs.LongDayNames[d] : fs.ShortDayNames[d])) {
                const int first = FCalendarAttributes->FirstDayOfWeek() == qzdowLocaleDefault
                                      ? LocaleFirstDayOfWeek()
                                      : static_cast<int>(FCalendarAttributes->FirstDayOfWeek());
                const int pos = ((dow + 6) % 7 - first + 7) % 7, target = ((d + 6) % 7 - first + 7) % 7;
                const TDateTime v = FValue + (target - pos);
                if (Whole(v) <= EffectiveMax() && Whole(v) >= EffectiveMin()) {
                    const TParts q = Split(v);
                    SetFromParts(q.Y, q.M, q.D, q.H, q.N, q.S, q.MS);
                }
                return;
            }
        }
        Beep();
    } else if (part.Kind == 'A') {
        std::string am = "a", pm = "p";
        if (part.Token.size() == 4) {
            am = fs.TimeAMString.substr(0, 1);
            pm = fs.TimePMString.substr(0, 1);
        }
        const bool isAm = starts(am), isPm = starts(pm);
        if (isAm && isPm)
            p.H = p.H < 12 ? p.H + 12 : p.H - 12;
        else if (isAm && p.H >= 12)
            p.H -= 12;
        else if (isPm && p.H < 12)
            p.H += 12;
        SetFromParts(p.Y, p.M, p.D, p.H, p.N, p.S, p.MS);
    } else {
        Beep();
        return;
    }
    SetModifiedOn();
    SelectPart();
}

void TqzDBCustomDateTimePicker::KeyPress(char32_t& Key) {
    TWinControl::KeyPress(Key);
    if (Key == 0) return;
    try {
        if (Key == 27) {
            if (FClosedByEscape) {
                FClosedByEscape = false;
                Key = 0;
                return;
            }
            if (Modified()) {
                ResetEdit();
                Key = 0;
            }
            return;
        }
        if (Key == 13) {
            FinishTyping();
            SelectPart();
            return;
        }
        if ((Key >= 32 || Key == 8) && !CanEditValue()) {
            Key = 0;
            return;
        }
        if (Key == U' ') {
            if (!BoundWithoutField()) {
                FinishTyping();
                TDateTime v = Now();
                if (Kind() == TqzDTKind::Time) v = Frac(v);
                if (Kind() == TqzDTKind::Date) v = Whole(v);
                // Now, kept within the limits.
                if (Kind() != TqzDTKind::Time) {
                    if (Whole(v) > EffectiveMax()) v = EffectiveMax();
                    if (Whole(v) < EffectiveMin()) v = EffectiveMin();
                }
                if (BoundField()) EditLink();
                FBlank = false;
                SetValue(v);
                SetModifiedOn();
                SelectPart();
            }
            Key = 0;
            return;
        }
        if (Key == 9 || Key == 8 || Key == 24 || Key >= 32) Key = 0;
    } catch (const Exception&) {
        Beep();
        Key = 0;
    }
}

// ---- Mouse

void TqzDBCustomDateTimePicker::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TqzDBCustomCombo::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || Text().empty()) return;
    if (!Focused() && CanFocus()) SetFocus();
    try {
        if (FTyping) FinishTyping();
        const std::vector<TqzDTPart> parts = Parts();
        const std::string text = Text();
        int k = 1;
        TBitmap bitmap;
        bitmap.Canvas()->Font()->Assign(Font());
        for (; k <= static_cast<int>(parts.size()); ++k) {
            const TqzDTPart& p = parts[static_cast<size_t>(k - 1)];
            const int end = p.Start + p.Length;
            if (static_cast<int>(text.size()) <= end) break;
            if (bitmap.Canvas()->TextWidth(text.substr(0, static_cast<size_t>(end))) > X) break;
        }
        FPart = std::clamp(k, 1, LastPartOnScreen());
        SelectPart();
    } catch (const Exception&) {
        Beep();
    }
}

// ---- Text by program

void TqzDBCustomDateTimePicker::SetTextValue(const std::string& Value) {
    if (FInternalText) {
        TqzDBCustomCombo::SetTextValue(Value);
        return;
    }
    ApplyTextAsPaste(Value);
}

void TqzDBCustomDateTimePicker::ApplyTextAsPaste(const std::string& Value) {
    FTyping = false;
    FPending = 0;
    const std::string text = Trim(Value);
    if (text.empty()) {
        FValue = Kind() == TqzDTKind::Time ? Whole(FValue) : (Kind() == TqzDTKind::Date ? 0 : 0);
        FBlank = true;
        SetInternalText("");
        return;
    }
    TDateTime v = 0;
    bool ok = false;
    if (Kind() == TqzDTKind::Time) {
        ok = TryStrToTime(text, v);
        if (ok) v = Whole(FValue) + v;
    } else {
        ok = TryStrToDateTime(text, v);
        if (!ok) ok = qzTryTextToDateEpoch(text, v, Epoch());
        if (ok && Kind() == TqzDTKind::Date) v = Whole(v);
    }
    // Every kind but time-only needs a day: a time alone is no value.
    if (!ok || v == 0 || (Kind() != TqzDTKind::Time && Whole(v) == 0))
        throw EConvertError(Format("'%s' is not a valid date and time", text));
    FBlank = false;
    SetValue(v);
    if (BoundField()) SetModifiedOn();
    FPart = 1;
    SelectPart();
}

void TqzDBCustomDateTimePicker::Change() {
    if (FInCalendarUpdate) TCustomEdit::SetModified(true);
    TCustomEdit::Change();
}

void TqzDBCustomDateTimePicker::Dispatch(TMessage& Message) {
    if (Message.Msg == CVDateTimePickerDestroyCalendar()) {
        if (!Focused() && FCalendarWindow && !IsDroppedDown()) {
            StopWatchingDropDown();
            TPopupWindow* w = FCalendarWindow;
            FCalendarWindow = nullptr;
            FCalendar = nullptr;
            delete w;
        }
        return;
    }
    switch (Message.Msg) {
    case CM_CANCELMODE: {
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        if (sender == FCalendar || sender == Button() || sender == ButtonHost())
            FinishTyping();
        else if (IsDroppedDown())
            CloseUp(true);
        return;
    }
    case WM_CUT:
        if (CanEditValue()) {
            inherited::Dispatch(Message);
            FValue = 0;
            FBlank = true;
            SetInternalText("");
            FPart = 1;
            SetModifiedOn();
            return;
        }
        break;
    case WM_PASTE: {
        if (!CanEditValue()) return;
        TMessage m = Message;
        std::string before = Text();
        inherited::Dispatch(m);
        std::string pasted = Text();
        SetInternalText(before);
        try {
            ApplyTextAsPaste(pasted);
            SetModifiedOn();
        } catch (const Exception&) {
            Beep();
            ShowValue();
        }
        return;
    }
    default: break;
    }
    inherited::Dispatch(Message);
}

void TqzDBCustomDateTimePicker::Publish(TPublisher<TqzDBCustomDateTimePicker>& p) {
    p.Property("AutoFillDateAndTime", &TqzDBCustomDateTimePicker::AutoFillDateAndTime,
               &TqzDBCustomDateTimePicker::SetAutoFillDateAndTime);
    p.Property("CalendarAttributes", &TqzDBCustomDateTimePicker::CalendarAttributes,
               &TqzDBCustomDateTimePicker::SetCalendarAttributes);
    p.Property("DateFormat", &TqzDBCustomDateTimePicker::DateFormat,
               &TqzDBCustomDateTimePicker::SetDateFormat);
    p.Property("DisplayFormat", &TqzDBCustomDateTimePicker::DisplayFormat,
               &TqzDBCustomDateTimePicker::SetDisplayFormat);
    p.Property("Interval", &TqzDBCustomDateTimePicker::Interval, &TqzDBCustomDateTimePicker::SetInterval);
    p.Property("MaxDate", &TqzDBCustomDateTimePicker::MaxDate, &TqzDBCustomDateTimePicker::SetMaxDate);
    p.Property("MinDate", &TqzDBCustomDateTimePicker::MinDate, &TqzDBCustomDateTimePicker::SetMinDate);
    p.Property("UnboundDataType", &TqzDBCustomDateTimePicker::UnboundDataType,
               &TqzDBCustomDateTimePicker::SetUnboundDataType);
}
