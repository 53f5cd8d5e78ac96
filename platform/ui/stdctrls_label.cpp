// Accelerator captions and labels.
#include <QString>

#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls_qt.h"

// ---- Accelerators -------------------------------------------------------------------------

namespace {
// The character after the first single "&"; 0 when none.
char32_t HotkeyOf(const std::string& Caption) {
    const QString s = ToQString(Caption);
    for (int i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '&') continue;
        if (s[i + 1] == '&') {
            ++i;
            continue;
        }
        const QString ch = s.mid(i + 1, s[i + 1].isHighSurrogate() ? 2 : 1).toLower();
        return ch.toUcs4().value(0);
    }
    return 0;
}
}  // namespace

char32_t GetHotkey(const std::string& Caption) { return HotkeyOf(Caption); }

bool IsAccel(char32_t Key, const std::string& Caption) {
    const char32_t hot = HotkeyOf(Caption);
    if (hot == 0 || Key == 0) return false;
    const QString k = QString::fromUcs4(&Key, 1).toLower();
    return k.toUcs4().value(0) == hot;
}

std::string StripHotkey(const std::string& Caption) {
    std::string out;
    out.reserve(Caption.size());
    for (std::size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&') {
            if (i + 1 < Caption.size() && Caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += Caption[i];
    }
    return out;
}

// ---- TCustomLabel -----------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetColor(clBtnFace);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
    if (Value == FShowAccelChar) return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
    if (Value == FFocusControl) return;
    if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
    FFocusControl = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::FontChanged(TObject* Sender) {
    TGraphicControl::FontChanged(Sender);
    AdjustBounds();
}

void TCustomLabel::DoDrawText(TRect& Rect, unsigned Flags) {
    std::string text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += " ";
    if (!FShowAccelChar) Flags |= DT_NOPREFIX;
    TCanvas* c = Canvas();
    c->SetFont(Font());
    if (!Enabled() && !(Flags & DT_CALCRECT)) {
        TRect r = Rect;
        OffsetRect(r, 1, 1);
        c->Font()->SetColor(clBtnHighlight);
        DrawText(c, text, r, Flags);
        c->Font()->SetColor(clBtnShadow);
        DrawText(c, text, Rect, Flags);
        return;
    }
    DrawText(c, text, Rect, Flags);
}

void TCustomLabel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (!FTransparent) {
        c->Brush()->SetColor(Color());
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
    }
    c->Brush()->SetStyle(bsClear);
    unsigned flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0u);
    const TAlignment align = DrawnAlignment();
    flags |= align == taRightJustify ? DT_RIGHT : align == taCenter ? DT_CENTER : DT_LEFT;
    if (UseRightToLeftReading()) flags |= DT_RTLREADING;
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        const int h = calc.Height();
        if (FLayout == tlBottom)
            OffsetRect(r, 0, r.Height() - h);
        else
            OffsetRect(r, 0, (r.Height() - h) / 2);
    }
    DoDrawText(r, flags);
}

// Left and right swap when the label runs right to left.
TAlignment TCustomLabel::DrawnAlignment() const {
    if (!UseRightToLeftAlignment() || FAlignment == taCenter) return FAlignment;
    return FAlignment == taLeftJustify ? taRightJustify : taLeftJustify;
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
    TRect r = ClientRect();
    if (!FWordWrap) r.Right = r.Left;
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0u));
    int x = Left();
    if (DrawnAlignment() == taRightJustify) x += Width() - r.Width();
    SetBounds(x, Top(), r.Width(), r.Height());
}

void TCustomLabel::CMTextChangedLabel() {
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::CMDialogCharLabel(TMessage& Message) {
    if (FFocusControl && Enabled() && FShowAccelChar &&
        IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
    }
}

void TCustomLabel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED: CMTextChangedLabel(); break;
    case CM_DIALOGCHAR: CMDialogCharLabel(Message); break;
    default: TGraphicControl::Dispatch(Message); break;
    }
}

void TCustomLabel::Publish(TPublisher<TCustomLabel>& p) {
    p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment);
    p.Property("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize);
    p.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout);
    p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap);
    p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent);
    p.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar);
    p.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
}
