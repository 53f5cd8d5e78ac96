// The picker's calendar pop-up and options, its binding to a field, the part-by-part
// editing by keys and the spin, and the value's display and checks.
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
#include "platform/ui/menus.h"
#include "platform/ui/messages.h"
#include "suite/base/date_scan.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"
#include "suite/edit/qzdatetimepicker_parts.h"

namespace {

constexpr double kMaxDay = 2958465.0;  // 9999-12-31
constexpr double kMinDay = 1.0;        // 1899-12-31

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

void TqzDBCustomDateTimePicker::SetDataSource(TDataSource* Value) {
    TqzDBCustomCombo::SetDataSource(Value);
    if (!Value) SetUnboundDataType(qzDTEdtDateTime);
}

void TqzDBCustomDateTimePicker::SetDataField(const std::string& Value) {
    TqzDBCustomCombo::SetDataField(Value);
    if (Value.empty()) SetUnboundDataType(qzDTEdtDateTime);
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
    const TControlWatch watch(this);  // OnChange may free the picker
    try {
        SetText(Value);
    } catch (...) {
        if (!watch.Gone()) FInternalText = old;
        throw;
    }
    if (!watch.Gone()) FInternalText = old;
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
    if (RunWhileAlive(this, [&] { SetInternalText(text); })) SelectPart();
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
            if (RunWhileAlive(this, [this] { SetInternalText(""); })) TCustomEdit::SetModified(modified);
            return;
        }
    } else if (!(Whole(V) == 0 && kind == TqzDTKind::Time) &&
               !(BoundField() && BoundField()->IsNull() && false)) {
        // Bounds are whole days.
        if (Whole(FMaxDate) != 0 && Whole(V) > Whole(FMaxDate)) qzRaiseDateAbove(FMaxDate);
        if (Whole(FMinDate) != 0 && Whole(V) < Whole(FMinDate)) qzRaiseDateBelow(FMinDate);
        if (V <= -693594.0 || V >= 2958466.0) qzRaiseDateAbove(kMaxDay);
    }
    FValue = V;
    if (RunWhileAlive(this, [this] { ShowValue(); })) TCustomEdit::SetModified(modified);
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
            qzRaiseDateAbove(FMaxDate);
    }
    if (Whole(FMinDate) != 0 && Whole(nv) < Whole(FMinDate)) qzRaiseDateBelow(FMinDate);
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
    if (Whole(V) != 0 && Whole(FMinDate) != 0 && Whole(V) < Whole(FMinDate)) qzRaiseDateBelow(FMinDate);
    FMaxDate = V;
}

void TqzDBCustomDateTimePicker::SetMinDate(TDateTime V) {
    if (!std::isfinite(V)) throw EConvertError("Invalid date-time value");
    if (Whole(FMaxDate) != 0 && Whole(V) > Whole(FMaxDate)) qzRaiseDateAbove(FMaxDate);
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
    const TControlWatch watch(this);
    try {
        SetValue(v);
    } catch (const Exception&) {
        if (!watch.Gone()) ShowValue();
        return false;
    }
    if (watch.Gone()) return false;
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
    if (RunWhileAlive(this, [&] { TCustomEdit::CMExit(Message); })) Invalidate();
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
        if (!ok) {
            // a date as the whole text, its two-digit year by the epoch
            int pos = 1;
            ok = qzScanDate(text, pos, v, Epoch()) && pos > static_cast<int>(text.size());
        }
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
    TWinControl::PublishBevel(p);
    TControl::PublishDrag(p);
    TControl::PublishStartDrag(p);
    TWinControl::PublishIme(p);
    p.Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode);
    using Self = TqzDBCustomDateTimePicker;
    p.Property(
        "Controller", [](Self& c) { return c.Controller(); },
        [](Self& c, TqzController* v) { c.SetController(v); });
    p.Property(
        "DisableThemes", [](Self& c) { return c.DisableThemes(); },
        [](Self& c, bool v) { c.SetDisableThemes(v); });
    p.Property(
        "DataField", [](Self& c) { return c.DataField(); },
        [](Self& c, const std::string& v) { c.SetDataField(v); });
    p.Property(
        "DataSource", [](Self& c) { return c.DataSource(); },
        [](Self& c, TDataSource* v) { c.SetDataSource(v); });
    p.Property(
         "Date", [](Self& c) { return c.Date(); }, [](Self& c, TDateTime v) { c.SetDate(v); })
        .SetTypeName("TDate");
    p.Property(
        "Epoch", [](Self& c) { return c.Epoch(); }, [](Self& c, int v) { c.SetEpoch(v); });
    p.Property(
        "Frame", [](Self& c) { return c.Frame(); }, [](Self& c, TqzEditFrame* v) { c.SetFrame(v); });
    p.Property(
         "Time", [](Self& c) { return c.Time(); }, [](Self& c, TDateTime v) { c.SetTime(v); })
        .SetTypeName("TTime");
    p.Property(
        "ShowButton", [](Self& c) { return c.GetShowButton(); }, [](Self& c, bool v) { c.SetShowButton(v); });
    p.Property("OnCalcBoldDay", &Self::OnCalcBoldDay, &Self::SetOnCalcBoldDay);
    p.Property("OnCloseUp", &Self::OnCloseUp, &Self::SetOnCloseUp);
    p.Property("OnDropDown", &Self::OnDropDown, &Self::SetOnDropDown);
    p.Property(
        "OnMouseEnter", [](Self& c) { return c.OnMouseEnter(); },
        [](Self& c, const TNotifyEvent& v) { c.SetOnMouseEnter(v); });
    p.Property(
        "OnMouseLeave", [](Self& c) { return c.OnMouseLeave(); },
        [](Self& c, const TNotifyEvent& v) { c.SetOnMouseLeave(v); });
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
    p.Property(
        "PopupMenu", [](TqzDBCustomDateTimePicker& c) { return c.PopupMenu(); },
        [](TqzDBCustomDateTimePicker& c, TPopupMenu* v) { c.SetPopupMenu(v); });
}
