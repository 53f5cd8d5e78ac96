// The date-time picker's keys: typing, stepping and deleting date and time parts.
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
#include "suite/edit/qzdatetimepicker_parts.h"

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
    if (!RunWhileAlive(this, [this] { ShowValue(); })) return;
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

namespace {

// Whether the first part of kind A comes before the first of kind B.
bool DTPartBefore(const std::vector<TqzDTPart>& Parts, char A, char B) {
    int ia = -1, ib = -1;
    for (size_t i = 0; i < Parts.size(); ++i) {
        if (Parts[i].Kind == A && ia < 0) ia = static_cast<int>(i);
        if (Parts[i].Kind == B && ib < 0) ib = static_cast<int>(i);
    }
    return ia >= 0 && ib >= 0 && ia < ib;
}

bool DTHasAmPm(const std::vector<TqzDTPart>& Parts) {
    return std::any_of(Parts.begin(), Parts.end(), [](const TqzDTPart& x) { return x.Kind == 'A'; });
}

// The largest first digit that can still take a second one, and how many digits the part takes;
// false for a part that takes no digits.
bool DTDigitLimits(const TqzDTPart& Part, bool AmPm, int& MaxLead, int& Width) {
    MaxLead = 9;
    Width = 2;
    switch (Part.Kind) {
    case 'D': MaxLead = 3; break;
    case 'M': MaxLead = Part.Token.size() > 2 ? -1 : 1; break;
    case 'H': MaxLead = AmPm ? 1 : 2; break;
    case 'N':
    case 'S': MaxLead = 5; break;
    case 'Y': Width = Part.Token == "yyyy" ? 4 : 2; break;
    default: return false;
    }
    return MaxLead >= 0;
}

// A 29th of February typed before its year moves the year on to a leap one.
void DTLeapYearFor29(TParts& Q) {
    Q.Y += 4 - Q.Y % 4;
    if (!IsLeapYear(Q.Y)) Q.Y += 4;
}

bool DTPutTypedDay(TParts& Q, const std::vector<TqzDTPart>& Parts, int N) {
    if (N == 0) N = Q.D;
    if (N < 1 || N > 31) return false;
    if (N > DaysInAMonth(Q.Y, Q.M) && DTPartBefore(Parts, 'D', 'M')) {
        for (int m = 1; m <= 12; ++m)
            if (DaysInAMonth(Q.Y, m) >= N) {
                Q.M = m;
                break;
            }
    }
    if (N == 29 && Q.M == 2 && !IsLeapYear(Q.Y) && DTPartBefore(Parts, 'D', 'Y')) DTLeapYearFor29(Q);
    if (Q.Y > 9999 || N > DaysInAMonth(Q.Y, Q.M)) return false;
    Q.D = N;
    return true;
}

bool DTPutTypedMonth(TParts& Q, const std::vector<TqzDTPart>& Parts, int N) {
    if (N == 0) N = Q.M;
    if (N < 1 || N > 12) return false;
    if (Q.D == 29 && N == 2 && !IsLeapYear(Q.Y) && DTPartBefore(Parts, 'M', 'Y')) DTLeapYearFor29(Q);
    if (Q.Y > 9999) return false;
    Q.M = N;
    Q.D = std::min(Q.D, DaysInAMonth(Q.Y, Q.M));
    return true;
}

// Puts a typed number into its part of Q; false when it does not fit there.
bool DTPutTypedNumber(TParts& Q, const std::vector<TqzDTPart>& Parts, const TqzDTPart& Part, int Width, int N,
                      int Epoch, int EnterYear) {
    switch (Part.Kind) {
    case 'D': return DTPutTypedDay(Q, Parts, N);
    case 'M': return DTPutTypedMonth(Q, Parts, N);
    case 'H':
        if (DTHasAmPm(Parts)) {
            if (N > 12) return false;
            N = N % 12 + (Q.H >= 12 ? 12 : 0);
        }
        if (N > 23) return false;
        Q.H = N;
        return true;
    case 'N':
    case 'S':
        if (N > 59) return false;
        (Part.Kind == 'N' ? Q.N : Q.S) = N;
        return true;
    case 'Y':
        if (Width == 2) {
            N = qzEpochYear(N, Epoch);
        } else if (N == 0) {
            N = EnterYear;
        }
        if (N < 1 || N > 9999) return false;
        Q.Y = N;
        Q.D = std::min(Q.D, DaysInAMonth(Q.Y, Q.M));
        return true;
    default: return false;
    }
}

}  // namespace

bool TqzDBCustomDateTimePicker::ApplyTypedNumber(const std::vector<TqzDTPart>& Parts, const TqzDTPart& Part,
                                                 int Width, int N) {
    TParts q = Split(FValue);
    if (!DTPutTypedNumber(q, Parts, Part, Width, N, Epoch(), Split(FEnterValue).Y)) return false;
    if (Kind() != TqzDTKind::Time) {
        TDateTime d = 0;
        if (!TryEncodeDate(q.Y, q.M, q.D, d)) return false;
        if (d > EffectiveMax() || d < EffectiveMin()) return false;
    }
    return SetFromParts(q.Y, q.M, q.D, q.H, q.N, q.S, q.MS);
}

bool TqzDBCustomDateTimePicker::DecadeCanOpen(int Digit) {
    const int century = Epoch() / 100 + (Epoch() % 100 > Digit * 10 ? 1 : 0);
    TDateTime last = 0;
    if (!TryEncodeDate(std::min(9999, century * 100 + Digit * 10 + 9), 12, 31, last)) return false;
    return !(Whole(FMinDate) != 0 && last < Whole(FMinDate));
}

void TqzDBCustomDateTimePicker::AdvancePart() {
    if (FAutoAdvance && FPart < LastPartOnScreen()) ++FPart;
    SelectPart();
}

void TqzDBCustomDateTimePicker::ShowTypedDigits(const TqzDTPart& Part, int Replaced) {
    const std::string text = Text();
    const int start = std::min(Part.Start, static_cast<int>(text.size()));
    const std::string shown = text.substr(0, static_cast<size_t>(start)) + FTyped +
                              text.substr(static_cast<size_t>(std::min<int>(start + Replaced, text.size())));
    if (!RunWhileAlive(this, [&] { SetInternalText(shown); })) return;
    SetSelStart(start + static_cast<int>(FTyped.size()));
    SetSelLength(0);
}

void TqzDBCustomDateTimePicker::StartTyping(const TqzDTPart& Part, int Width, int Digit) {
    FTyping = true;
    FTyped = std::to_string(Digit);
    // The pending value: the part with this digit as its value.
    TParts q = Split(FValue);
    bool ok = true;
    switch (Part.Kind) {
    case 'D': q.D = Digit; break;
    case 'M': q.M = Digit; break;
    case 'Y': q.Y = Width == 2 ? qzEpochYear(Digit, Epoch()) : Digit; break;
    case 'H': q.H = Digit; break;
    case 'N': q.N = Digit; break;
    case 'S': q.S = Digit; break;
    default: ok = false; break;
    }
    FPending = 0;
    TDateTime d = 0, t = 0;
    if (ok && q.M != 0 && q.D != 0 && TryEncodeDate(std::max(1, q.Y), q.M, q.D, d) &&
        TryEncodeTime(q.H, q.N, q.S, 0, t) && d <= EffectiveMax() && d >= EffectiveMin())
        FPending = d + t;
    // The typed digit stands in the part.
    ShowTypedDigits(Part, Part.Length);
}

void TqzDBCustomDateTimePicker::TypeDigit(int Digit) {
    const std::vector<TqzDTPart> parts = Parts();
    if (FPart < 1 || FPart > static_cast<int>(parts.size())) return;
    const TqzDTPart part = parts[static_cast<size_t>(FPart - 1)];
    int maxLead = 9, width = 2;
    if (!DTDigitLimits(part, DTHasAmPm(parts), maxLead, width)) {
        Beep();
        return;
    }
    // A change handler may free the picker while a digit is applied.
    const TControlWatch watch(this);
    if (!FTyping) {
        // The first digit opens a decade only when it is possible.
        if (part.Kind == 'Y' && width == 2 && !DecadeCanOpen(Digit)) {
            Beep();
            return;
        }
        if (part.Kind != 'Y' && Digit > maxLead) {
            const bool applied = ApplyTypedNumber(parts, part, width, Digit);
            if (watch.Gone()) return;
            if (!applied) {
                Beep();
                return;
            }
            SetModifiedOn();
            FPending = 0;
            AdvancePart();
            return;
        }
        StartTyping(part, width, Digit);
        return;
    }
    FTyped += std::to_string(Digit);
    if (static_cast<int>(FTyped.size()) < width) {
        ShowTypedDigits(part, static_cast<int>(FTyped.size()) - 1);
        return;
    }
    FTyping = false;
    const int n = std::stoi(FTyped);
    FTyped.clear();
    FPending = 0;
    const bool applied = ApplyTypedNumber(parts, part, width, n);
    if (watch.Gone()) return;
    if (!applied) {
        Beep();
        ShowValue();
        return;
    }
    SetModifiedOn();
    AdvancePart();
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

// The calendar's keys: they open and close it, and an open calendar takes every key.
bool TqzDBCustomDateTimePicker::CalendarKey(uint16_t& Key, TShiftState Shift) {
    const bool alt = Shift.Contains(ssAlt);
    if ((alt && (Key == VK_UP || Key == VK_DOWN)) || (Key == VK_F4 && !alt)) {
        Key = 0;
        if (IsDroppedDown())
            CloseUp(true);
        else
            DropDown();
        return true;
    }
    if (!IsDroppedDown()) return false;
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
        FClosedByEscape = Key == VK_ESCAPE;
        const bool accept = Key == VK_RETURN;
        Key = 0;
        TMessage pending;
        PeekMessage(pending, this, WM_CHAR, WM_CHAR, true);
        CloseUp(accept);
        return true;
    }
    if (FCalendar) FCalendar->HandleKey(Key, Shift);
    Key = 0;
    return true;
}

bool TqzDBCustomDateTimePicker::KeyGoesToGrid(uint16_t Key, TShiftState Shift) {
    const bool alt = Shift.Contains(ssAlt), ctrl = Shift.Contains(ssCtrl);
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
    return hand;
}

// Keys a hosting grid takes; the grid's own key event sees the rest first.
bool TqzDBCustomDateTimePicker::HostGridKey(uint16_t& Key, TShiftState Shift) {
    TWinControl* grid = HostGrid();
    if (!grid) return false;
    if (KeyGoesToGrid(Key, Shift)) {
        const uint16_t k = Key;
        Key = 0;
        FinishTyping();
        HandToGrid(k, Shift);
        return true;
    }
    const bool active = Screen->ActiveControl() == this;
    if (grid->OnKeyDown().Assigned() && (active || (Key != VK_RETURN && Key != VK_TAB))) {
        // the grid's handler may free the grid and this picker with it
        if (!RunWhileAlive(this, [&] { grid->OnKeyDown()(grid, Key, Shift); })) return true;
    }
    if (Key == 0) return true;
    if (Key == VK_F2) {
        FinishTyping();
        SetSelLength(0);
        FPart = 1;
        SelectPart();
        Key = 0;
        return true;
    }
    return false;
}

// Keys that leave the value as it is: erasing a required field, selecting all, any key on a
// value that cannot be edited, and Ctrl chords.
bool TqzDBCustomDateTimePicker::KeyLeavesValue(uint16_t& Key, TShiftState Shift) {
    if ((Key == VK_BACK || Key == VK_DELETE) && BoundField() && BoundField()->Required()) {
        Key = 0;
        return true;
    }
    if (Key == VK_RIGHT && Shift.Contains(ssShift) && FPart == 1) {
        SelectAll();
        Key = 0;
        return true;
    }
    if (!CanEditValue()) {
        TCustomEdit::SetReadOnly(true);
        if (Key != VK_TAB && Key != VK_RETURN && Key != VK_ESCAPE) Key = 0;
        return true;
    }
    TCustomEdit::SetReadOnly(false);
    return Shift.Contains(ssCtrl);
}

// "+", "=" and "-" step the part, keypad digits type, "/" moves on while typing.
void TqzDBCustomDateTimePicker::TranslateKey(uint16_t& Key) {
    if (Key == VK_ADD || Key == 0xBB)
        Key = VK_UP;  // "+" and "="
    else if (Key == VK_SUBTRACT || Key == 0xBD)
        Key = VK_DOWN;  // "-"
    else if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9)
        Key = static_cast<uint16_t>('0' + Key - VK_NUMPAD0);
    else if ((Key == VK_DIVIDE || Key == 0xBF) && (FTyping || !FAutoAdvance))
        Key = VK_RIGHT;
}

void TqzDBCustomDateTimePicker::NextPart() {
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
}

// The arrow, Home and End keys: they move between parts or step the part's value.
bool TqzDBCustomDateTimePicker::MovePartKey(uint16_t& Key) {
    switch (Key) {
    case VK_LEFT:
        FinishTyping();
        FPart = std::clamp(FPart - 1, 1, LastPartOnScreen());
        SelectPart();
        Key = 0;
        return true;
    case VK_RIGHT:
        NextPart();
        Key = 0;
        return true;
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END: {
        const TControlWatch watch(this);
        FinishTyping();
        if (Key == VK_UP || Key == VK_DOWN)
            StepPart(Key == VK_UP ? 1 : -1);
        else
            HomeEndPart(Key == VK_END);
        if (watch.Gone()) return true;
        if (IsDefaultCase() && Kind() == TqzDTKind::DateTime && FValue != 0 && Frac(FValue) != 0 &&
            std::fabs(Frac(FValue)) < 0.5 / MSecsPerDay)
            FPart = LastPartOnScreen();
        FPart = std::clamp(FPart, 1, LastPartOnScreen());
        FPending = 0;
        SetModifiedOn();
        SelectPart();
        Key = 0;
        return true;
    }
    default: return false;
    }
}

// Backspace takes back a typed digit; otherwise Delete and Backspace clear the part.
bool TqzDBCustomDateTimePicker::EraseKey(uint16_t& Key) {
    if (Key != VK_DELETE && Key != VK_BACK) return false;
    if (FTyping && Key == VK_BACK) {
        if (!FTyped.empty()) FTyped.pop_back();
        if (FTyped.empty()) {
            FTyping = false;
            ShowValue();
        }
        Key = 0;
        return true;
    }
    if (Text().empty() && FValue == 0) {
        Key = 0;
        return true;
    }
    DeleteKey();
    Key = 0;
    return true;
}

void TqzDBCustomDateTimePicker::KeyDown(uint16_t& Key, TShiftState Shift) {
    const TControlWatch watch(this);
    TWinControl::KeyDown(Key, Shift);
    if (watch.Gone() || Key == 0) return;
    if (GetKeyState(VK_MENU) < 0) Shift += ssAlt;
    const bool alt = Shift.Contains(ssAlt);
    try {
        if (CalendarKey(Key, Shift) || HostGridKey(Key, Shift) || KeyLeavesValue(Key, Shift)) return;
        const bool digitKey = (Key >= '0' && Key <= '9') || (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9);
        const bool letterKey = Key >= 'A' && Key <= 'Z';
        const bool editing =
            Key == VK_BACK || Key == VK_SPACE || Key == VK_DELETE || Key == VK_RIGHT || digitKey || letterKey;
        const bool empty =
            Text().empty() && (Kind() == TqzDTKind::Time ? Frac(FValue) == 0 : Whole(FValue) == 0);
        if (editing && !alt && empty && Key != VK_BACK && Key != VK_DELETE && Key != VK_SPACE) {
            StartEmptyValue(Key);
            if (watch.Gone()) return;
        }
        if (!alt) TranslateKey(Key);
        if ((Key == VK_HOME || Key == VK_END) && Shift.Contains(ssShift)) {
            SelectAll();
            Key = 0;
            return;
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
        if (MovePartKey(Key) || EraseKey(Key)) return;
        if (Key >= '0' && Key <= '9' && !alt) {
            TypeDigit(Key - '0');  // the picker may be gone; Key is the caller's
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
    if (!RunWhileAlive(this, [&] { TWinControl::KeyPress(Key); }) || Key == 0) return;
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
