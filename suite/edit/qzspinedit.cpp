// The repeating speed button, the spin button's layout and painting, and the spin
// edit's steps for numbers and dates within its limits.
#include "suite/edit/qzspinedit.h"

#include <algorithm>
#include <cmath>

#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/drawing.h"
#include "platform/ui/messages.h"
#include "suite/base/date_scan.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"
#include "suite/edit/qzeditpublish.h"

namespace {
// 1 January 1 and the end of 31 December 9999.
TDateTime FirstDay() {
    TDateTime d = 0;
    TryEncodeDate(1, 1, 1, d);
    return d;
}
TDateTime LastMoment() {
    TDateTime d = 0;
    TryEncodeDate(9999, 12, 31, d);
    return d + 86399.0 / 86400.0;
}
bool InCalendar(double V) { return std::isfinite(V) && V >= FirstDay() && V <= LastMoment(); }
// Whole days and a time of day as one value (days before the epoch count
// their time away from zero).
double Compose(double Days, double TimeOfDay) { return Days < 0 ? Days - TimeOfDay : Days + TimeOfDay; }
}  // namespace

// ---- Timer button --------------------------------------------------------------------------

TqzTimerSpeedButton::~TqzTimerSpeedButton() = default;

void TqzTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TqzSpinControlButton::MouseDown(Button, Shift, X, Y);
    Invalidate();
    if (Button == mbLeft && Enabled() && FTimeBtnState.Contains(tbAllowTimer)) {
        if (!FRepeatTimer) {
            FRepeatTimer = new TTimer(this);
            FRepeatTimer->SetEnabled(false);
            FRepeatTimer->SetOnTimer(TNotifyEvent(this, &TqzTimerSpeedButton::TimerExpired));
        }
        FRepeatTimer->SetInterval(400);
        FRepeatTimer->SetEnabled(true);
    }
}

void TqzTimerSpeedButton::TimerExpired(TObject*) {
    FRepeatTimer->SetInterval(100);
    if (State() == bsDown && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            FRepeatTimer->SetEnabled(false);
            throw;
        }
    }
}

void TqzTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!RunWhileAlive(this, [&] { TqzSpinControlButton::MouseUp(Button, Shift, X, Y); })) return;
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    Invalidate();
}

void TqzTimerSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    const bool inside = X >= 0 && X <= Width() && Y >= 0 && Y <= Height();
    if (inside != FMouseInside) {
        FMouseInside = inside;
        Perform(inside ? CM_MOUSEENTER : CM_MOUSELEAVE);
    }
    TqzSpinControlButton::MouseMove(Shift, X, Y);
}

void TqzTimerSpeedButton::Paint() {
    auto* edit = Parent() ? dynamic_cast<TqzDBSpinEdit*>(Parent()->Parent()) : nullptr;
    if (edit && Transparent() && qzIsParentTransparent(edit) && !qzIsDesigning(this)) return;
    TqzSpinControlButton::Paint();
}

// ---- Spin button ----------------------------------------------------------------------------

TqzSpinButton::TqzSpinButton(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls, csSetCaption} +
                    TControlStyle{csFramed, csOpaque});
    RegisterComboButtonGlyphs();
    auto make = [this](uint8_t Direction, const char* Resource) {
        auto* b = new TqzTimerSpeedButton(this);
        b->SetParent(this);
        b->SetArrowDirection(Direction);
        b->SetTimeBtnState(TTimeBtnState{tbAllowTimer});
        b->SetNumGlyphs(1);
        b->SetOnClick(TNotifyEvent(this, &TqzSpinButton::BtnClick));
        if (!qzUseThemes(this)) {
            TBitmap g;
            LoadComboButtonGlyph(&g, Resource);
            b->SetGlyph(&g);
        }
        return b;
    };
    FUpButton = make(0, "qzSpinUp");
    FDownButton = make(1, "qzSpinDown");
    SetBounds(0, 0, 20, 25);
}

void TqzSpinButton::SetFlat(bool Value) {
    FUpButton->SetFlat(Value);
    FDownButton->SetFlat(Value);
}

void TqzSpinButton::AdjustSize() {
    if (!FUpButton || !FDownButton) return;
    const int w = std::max(Width(), 15), h = Height();
    FUpButton->SetBounds(0, 0, w, h / 2);
    FDownButton->SetBounds(0, FUpButton->Height() - 1, w, h - FUpButton->Height() + 1);
}

void TqzSpinButton::BoundsChanged() {
    inherited::BoundsChanged();
    AdjustSize();
}

void TqzSpinButton::Loaded() {
    inherited::Loaded();
    AdjustSize();
}

void TqzSpinButton::PaintWindow(TCanvas* Canvas) {
    Canvas->Brush()->SetColor(clBtnFace);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(ClientRect());
}

void TqzSpinButton::BtnClick(TObject* Sender) {
    if (Sender == FUpButton) {
        if (FOnUpClick.Assigned()) FOnUpClick(this);
    } else if (FOnDownClick.Assigned()) {
        FOnDownClick(this);
    }
}

void TqzSpinButton::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS;
        return;
    }
    inherited::Dispatch(Message);
}

// ---- Spin edit ---------------------------------------------------------------------------------

TqzDBSpinEdit::TqzDBSpinEdit(TComponent* AOwner) : TqzDBCustomEdit(AOwner) {
    FButton = new TqzSpinButton(this);
    FButton->SetBounds(0, 0, 15, 17);
    FButton->SetParent(this);
    FButton->SetOnUpClick(TNotifyEvent(this, &TqzDBSpinEdit::UpClick));
    FButton->SetOnDownClick(TNotifyEvent(this, &TqzDBSpinEdit::DownClick));
    FButton->SetControlStyle(FButton->ControlStyle() - TControlStyle{csFramed});
    SetText("0");
    SetModified(false);
    SetControlStyle(ControlStyle() - TControlStyle{csSetCaption});
    FButtonEffects = std::make_unique<TqzComboButtonEffects>(this, FButton);
    PlaceButton();
}

TqzDBSpinEdit::~TqzDBSpinEdit() { FButtonEffects.reset(); }

void TqzDBSpinEdit::SetLimitEditRect(bool Value) {
    if (Value == FLimitEditRect) return;
    FLimitEditRect = Value;
    if (HandleAllocated()) RecreateWnd();
}

double TqzDBSpinEdit::CheckValue(double NewValue) const {
    if (FMinValue == 0 && FMaxValue == 0) return NewValue;
    // A minimum above the maximum leaves the value without an upper bound.
    if (FMaxValue >= FMinValue && NewValue > FMaxValue) NewValue = FMaxValue;
    if (NewValue < FMinValue) NewValue = FMinValue;
    return NewValue;
}

double TqzDBSpinEdit::Value() {
    const std::string text = Trim(Text());
    TField* f = Field();
    const std::string format = GetDisplayFormat();
    double v = 0;
    if (text.empty()) return FMinValue;
    if (IsFractionField(f) || !format.empty() || IsWholeNumberField(f)) {
        return qzParseFormattedFloat(text, v, format) && std::isfinite(v) ? v : FMinValue;
    }
    switch (DateKind()) {
    case qzEdtDate: return qzIsDateText(text) ? qzTextToDate(text) : FMinValue;
    case qzEdtTime: return qzIsTimeText(text) ? qzTextToTime(text) : FMinValue;
    case qzEdtDateTime:
        if (qzIsDateText(text)) return qzTextToDate(text);
        if (qzIsTimeText(text)) return qzTextToTime(text);
        return qzIsDateTimeText(text) ? qzTextToDateTime(text) : FMinValue;
    default: break;
    }
    return TryStrToFloat(text, v) && std::isfinite(v) ? v : FMinValue;
}

void TqzDBSpinEdit::SetValue(double NewValue) {
    if (!std::isfinite(NewValue)) return;
    const double v = CheckValue(NewValue);
    TField* f = Field();
    const std::string format = GetDisplayFormat();
    const TqzEditDataType kind = DateKind();
    std::string text;
    bool selectAll = false;
    if ((IsFractionField(f) || IsWholeNumberField(f)) && !format.empty()) {
        text = FormatFloat(format, v);
        selectAll = HandleAllocated();
    } else if (IsFractionField(f)) {
        text = FloatToStr(v);
    } else if (IsWholeNumberField(f)) {
        if (std::fabs(v) > 9.0e18) return;
        text = IntToStr(static_cast<int64_t>(std::llround(v)));
    } else if (kind != qzDefault) {
        if (!InCalendar(v)) return;
        if (kind == qzEdtDate)
            text = DateToStr(v);
        else if (kind == qzEdtTime)
            text = TimeToStr(v);
        else if (!f && v == std::trunc(v))
            text = DateToStr(v) + " " + TimeToStr(0);
        else
            text = DateTimeToStr(v);
    } else {
        text = format.empty() ? FloatToStr(v) : FormatFloat(format, v);
    }
    if (!RunWhileAlive(this, [&] { SetText(text); })) return;  // OnChange
    if (selectAll) SelectAll();
    if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDesigning)) SetModified(true);
}

void TqzDBSpinEdit::UpClick(TObject*) {
    if (!Visible()) return;
    const TControlWatch watch(this);
    if (CanFocus() && !Focused()) SetFocus();
    if (watch.Gone()) return;
    if (FBeforeUpClick.Assigned()) FBeforeUpClick(this);
    if (watch.Gone()) return;
    Step(1);
    if (watch.Gone()) return;
    if (FAfterUpClick.Assigned()) FAfterUpClick(this);
}

void TqzDBSpinEdit::DownClick(TObject*) {
    if (!Visible()) return;
    const TControlWatch watch(this);
    if (CanFocus() && !Focused()) SetFocus();
    if (watch.Gone()) return;
    if (FBeforeDownClick.Assigned()) FBeforeDownClick(this);
    if (watch.Gone()) return;
    Step(-1);
    if (watch.Gone()) return;
    if (FAfterDownClick.Assigned()) FAfterDownClick(this);
}

void TqzDBSpinEdit::Step(int Sign) {
    TField* f = Field();
    if (ReadOnly() || (f && f->ReadOnly()) || !EditCanModify()) {
        qzMessageBeep();
        return;
    }
    if (DateKind() == qzDefault) {
        const double next = Value() + Sign * FIncrement;
        if (!std::isfinite(next)) {
            qzMessageBeep();
            return;
        }
        if (!RunWhileAlive(this, [&] { SetValue(next); })) return;
    } else {
        bool stepped = false;
        if (!RunWhileAlive(this, [&] { stepped = StepDateTime(Sign); })) return;
        if (!stepped) {
            // Beyond the calendar: no step.
            qzMessageBeep();
            return;
        }
    }
    SetModifiedState(true);
}

bool TqzDBSpinEdit::StepDateTime(int Sign) {
    const TqzEditDataType kind = DateKind();
    const double value = Value();
    if (!InCalendar(value) && kind != qzEdtTime) return false;
    const std::string text = Text();
    const int caret = SelStart();
    const uint8_t part =
        kind == qzEdtTime ? qzTimePartAtPos(caret, text) : qzDateTimePartAtPos(caret, text, false);
    const double days = std::trunc(value);
    const double timeOfDay = std::fabs(value - days);
    int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0, msec = 0;
    if (kind != qzEdtTime) DecodeDate(value, year, month, day);
    DecodeTime(timeOfDay, hour, minute, second, msec);
    if (part >= qzdpHour) {
        switch (part) {
        case qzdpHour: hour = (hour + Sign + 24) % 24; break;
        case qzdpMinute: minute = (minute + Sign + 60) % 60; break;
        case qzdpSecond: second = (second + Sign + 60) % 60; break;
        default: hour = hour < 12 ? hour + 12 : hour - 12; break;
        }
        TDateTime t = 0;
        if (!TryEncodeTime(hour, minute, second, msec, t)) return true;
        SetValue(kind == qzEdtTime ? t : Compose(days, t));
    } else {
        switch (part) {
        case qzdpDay:
            day = Sign > 0 ? qzNextDayInMonth(year, month, day) : qzPrevDayInMonth(year, month, day);
            break;
        case qzdpMonth: month = Sign > 0 ? month % 12 + 1 : (month + 10) % 12 + 1; break;
        default: year += Sign; break;
        }
        if (year < 1 || year > 9999) return false;
        TDateTime d = 0;
        bool ok = TryEncodeDate(year, month, day, d);
        while (!ok && day >= 28) ok = TryEncodeDate(year, month, --day, d);
        if (!ok) return false;
        SetValue(Compose(d, timeOfDay));
    }
    qzSelectDateTimePart(part, this, kind == qzEdtTime);
    return true;
}

bool TqzDBSpinEdit::IsValidChar(char32_t Key) {
    bool valid;
    if (DateKind() != qzDefault) {
        valid = true;
    } else {
        valid = Key < 32 || Key == U'+' || Key == U'-' || (Key >= U'0' && Key <= U'9') ||
                Key == static_cast<char32_t>(static_cast<unsigned char>(FormatSettings().DecimalSeparator));
    }
    return valid && (FEditorEnabled || (Key < 32 && Key != 8));
}

bool TqzDBSpinEdit::InQzCustomGrid() const {
    return Parent() && qzClassInheritsFrom(Parent(), "TqzCustomDBGrid");
}

void TqzDBSpinEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (Key == VK_UP || Key == VK_DOWN) {
        const bool whole = SelStart() == 0 && SelLength() == static_cast<int>(Text().size());
        if (!InQzCustomGrid() || !whole || Shift.Contains(ssAlt)) {
            const bool up = Key == VK_UP;
            Key = 0;
            if (up)
                UpClick(this);
            else
                DownClick(this);
            return;
        }
    }
    if (!RunWhileAlive(this, [&] { inherited::KeyDown(Key, Shift); })) return;
    if (Key == VK_DELETE && !FEditorEnabled) {
        qzMessageBeep();
        Key = 0;
    }
}

void TqzDBSpinEdit::KeyPress(char32_t& Key) {
    if (Key != 0 && !IsValidChar(Key)) {
        qzMessageBeep();
        Key = 0;
        return;
    }
    inherited::KeyPress(Key);
}

void TqzDBSpinEdit::CMExit(TMessage& Message) {
    const double v = Value();
    if (CheckValue(v) != v) {
        const std::string before = Text();
        SetValue(v);
        if (Text() != before) SetModifiedState(true);
    }
    if (!RunWhileAlive(this, [&] { inherited::CMExit(Message); })) return;
    for (TqzTimerSpeedButton* b : {FButton->UpButton(), FButton->DownButton()}) {
        b->SetEnabled(false);
        b->SetEnabled(true);
        b->ResetMouseInside();
    }
    if (FButtonEffects->Transparent() || FButtonEffects->Flat()) {
        FButton->UpButton()->SetTransparent(true);
        FButton->DownButton()->SetTransparent(true);
        Invalidate();
    }
    if (FButtonEffects->Flat()) {
        FButton->Invalidate();
        FButton->Perform(CM_MOUSELEAVE);
    }
}

void TqzDBSpinEdit::DoEnter() {
    inherited::DoEnter();
    if (FButtonEffects->Flat()) FButton->Invalidate();
}

void TqzDBSpinEdit::Loaded() {
    inherited::Loaded();
    if (!DataSource() && Text() == "0" && UnboundDataType() != qzDefault) SetText("");
}

TRect TqzDBSpinEdit::GetEditRect() {
    TRect r = ClientRect();
    if (FButton && FButton->Visible()) r.Right = FButton->Left();
    return r;
}

void TqzDBSpinEdit::SetEditRect() {
    const int edge = BorderStyle() == bsSingle ? 0 : 2;
    int right = ClientWidth() - (FButton ? FButton->Width() : 0) - 2;
    if (qzEditFrameIsActive(Frame())) --right;
    TCustomMaskEdit::SetEditRect(Rect(edge, edge, std::max(edge, right), ClientHeight()));
}

void TqzDBSpinEdit::PlaceButton() {
    if (!FButton) return;
    const int bw = FButton->Width();
    if (BorderStyle() == bsSingle && Ctl3D()) {
        FButton->SetBounds(ClientWidth() - bw, 0, bw, ClientHeight());
    } else if (qzEditFrameIsActive(Frame())) {
        const int offset = 1;
        FButton->SetBounds(ClientWidth() - bw - offset - 1, 1, bw, ClientHeight() - 3);
    } else {
        const int offset = InQzCustomGrid() ? 0 : 1;
        FButton->SetBounds(ClientWidth() - bw - offset, offset, bw, ClientHeight() - 2 * offset);
    }
    SetEditRect();
}

void TqzDBSpinEdit::BoundsChanged() {
    inherited::BoundsChanged();
    PlaceButton();
}

void TqzDBSpinEdit::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.Style &= ~(ES_AUTOVSCROLL | ES_WANTRETURN);
    Params.Style |= WS_CLIPCHILDREN;
    if (UseRightToLeftReading() || FLimitEditRect || EditAlignment() == eaRightAlignEditing)
        Params.Style |= ES_MULTILINE;
    if (FButtonEffects && (FButtonEffects->Transparent() || FButtonEffects->Flat()))
        Params.Style &= ~WS_CLIPCHILDREN;
}

void TqzDBSpinEdit::Dispatch(TMessage& Message) {
    if ((Message.Msg == WM_PASTE || Message.Msg == WM_CUT) && (!FEditorEnabled || ReadOnly())) return;
    inherited::Dispatch(Message);
}

void TqzDBSpinEdit::Publish(TPublisher<TqzDBSpinEdit>& p) {
    p.Property("EditorEnabled", &TqzDBSpinEdit::EditorEnabled, &TqzDBSpinEdit::SetEditorEnabled);
    p.Property("Increment", &TqzDBSpinEdit::Increment, &TqzDBSpinEdit::SetIncrement);
    p.Property("MaxValue", &TqzDBSpinEdit::MaxValue, &TqzDBSpinEdit::SetMaxValue);
    p.Property("MinValue", &TqzDBSpinEdit::MinValue, &TqzDBSpinEdit::SetMinValue);
    p.Property("Value", &TqzDBSpinEdit::Value, &TqzDBSpinEdit::SetValue);
    p.Property("ButtonEffects", &TqzDBSpinEdit::ButtonEffects, &TqzDBSpinEdit::SetButtonEffects);
    p.Property("LimitEditRect", &TqzDBSpinEdit::LimitEditRect, &TqzDBSpinEdit::SetLimitEditRect);
    qzPublishDataEdit(p);
    p.Property(
        "EditAlignment", [](TqzDBSpinEdit& e) { return e.EditAlignment(); },
        [](TqzDBSpinEdit& e, TqzEditAlignment v) { e.SetEditAlignment(v); });
    p.Property("BeforeUpClick", &TqzDBSpinEdit::BeforeUpClick, &TqzDBSpinEdit::SetBeforeUpClick);
    p.Property("BeforeDownClick", &TqzDBSpinEdit::BeforeDownClick, &TqzDBSpinEdit::SetBeforeDownClick);
    p.Property("AfterUpClick", &TqzDBSpinEdit::AfterUpClick, &TqzDBSpinEdit::SetAfterUpClick);
    p.Property("AfterDownClick", &TqzDBSpinEdit::AfterDownClick, &TqzDBSpinEdit::SetAfterDownClick);
}
