// The speed button's glyph choice by state, painting and mouse, and the transparent
// panel's window parameters.
#include "suite/data/qzspeedbutton.h"

#include "platform/ui/actions.h"
#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/themes.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzproputils.h"

// ---- TqzSpeedButton -----------------------------------------------------------------------------

TqzSpeedButton::TqzSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FDisabledTextColors(std::make_unique<TqzDisabledTextColors>()) {
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
    SetParentColor(true);
    SetBounds(0, 0, 25, 25);
}

// The action's image index follows into the button while it lies in the
// button's own image list.
class TqzSpeedButtonActionLink : public TControlActionLink {
public:
    explicit TqzSpeedButtonActionLink(TqzSpeedButton* Client) : TControlActionLink(Client), FButton(Client) {}
    void SetImageIndex(int Value) override {
        if (IsImageIndexLinked() && FButton->TakesImageIndexOf(FAction, Value)) FButton->SetImageIndex(Value);
    }

private:
    TqzSpeedButton* FButton;
};

TqzSpeedButton::~TqzSpeedButton() { FActionLink.reset(); }

TCustomAction* TqzSpeedButton::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TqzSpeedButton::SetAction(TCustomAction* Value) {
    if (!Value) {
        FActionLink.reset();
        return;
    }
    if (!FActionLink) FActionLink = std::make_unique<TqzSpeedButtonActionLink>(this);
    FActionLink->SetAction(Value);
    ActionChange(Value);
}

bool TqzSpeedButton::TakesImageIndexOf(const TCustomAction* Action, int Index) const {
    return Action && FImages && Action->Images() == FImages && Index >= 0 && Index < FImages->Count();
}

void TqzSpeedButton::ActionChange(TCustomAction* Action) {
    SetCaption(Action->Caption());
    SetEnabled(Action->Enabled());
    SetHint(Action->Hint());
    SetVisible(Action->Visible());
    if (TakesImageIndexOf(Action, Action->ImageIndex())) SetImageIndex(Action->ImageIndex());
}

void TqzSpeedButton::Click() {
    if (FActionLink && FActionLink->Execute()) return;
    TGraphicControl::Click();
}

void TqzSpeedButton::SetImages(TImageList* Value) {
    if (Value == FImages) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (FImages) FImages->FreeNotification(this);
    Invalidate();
}

void TqzSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TqzSpeedButton::SetImageIndex(int Value) {
    if (Value == FImageIndex) return;
    FImageIndex = Value;
    Invalidate();
}

#define QZ_SETTER(Name, Field, Type)        \
    void TqzSpeedButton::Name(Type Value) { \
        if (Value == Field) return;         \
        Field = Value;                      \
        Invalidate();                       \
    }
QZ_SETTER(SetNumGlyphs, FNumGlyphs, int)
QZ_SETTER(SetMargin, FMargin, int)
QZ_SETTER(SetSpacing, FSpacing, int)
QZ_SETTER(SetShowText, FShowText, bool)
QZ_SETTER(SetTransparent, FTransparent, bool)
QZ_SETTER(SetFlat, FFlat, bool)
#undef QZ_SETTER

int TqzSpeedButton::GlyphIndex() const {
    int index = GetImageIndex();
    if (index < 0) return -1;
    if (!Enabled()) {
        if (FNumGlyphs > 1) index += 1;
    } else if (Pressed()) {
        if (FNumGlyphs > 2) index += 2;
    } else if (FMouseInControl && FNumGlyphs > 3) {
        index += 3;
    }
    return index;
}

void TqzSpeedButton::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    const bool pressed = Pressed() && Enabled();
    const bool themed = qzUseThemes(this);
    if (themed) {
        // The parent's background under the button, then the themed element.
        if (Parent() && !qzIsTransparent(Parent())) {
            c->Brush()->SetColor(Parent()->Color());
            c->Brush()->SetStyle(bsSolid);
            c->FillRect(r);
        }
        const TThemedButtonState state = !Enabled()        ? tbsDisabled
                                         : pressed         ? tbsPressed
                                         : FMouseInControl ? tbsHot
                                                           : tbsNormal;
        if (FFlat)
            DrawThemedToolButton(c, r, state);
        else
            DrawThemedPushButton(c, r, state);
    } else if (!FTransparent) {
        c->Brush()->SetColor(Color());
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
    }
    // The press offset of the classic frames; the themed element has none.
    int offset = 0;
    if (!themed && FFlat) {
        if ((FMouseInControl && Enabled()) || ComponentState().Contains(csDesigning))
            DrawEdge(c, r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        offset = 1;
    } else if (!themed) {
        DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | DFCS_ADJUSTRECT);
        offset = 2;
    }
    c->Brush()->SetStyle(bsClear);
    if (FMargin != -1) {
        r.Left += FMargin;
        r.Top += FMargin;
    }
    if (pressed) {
        r.Left += offset;
        r.Top += offset;
        r.Right += offset;
        r.Bottom += offset;
    }
    const int glyph = GlyphIndex();
    const bool hasGlyph = glyph >= 0 && FImages;
    c->SetFont(Font());
    if (themed && FFlat && pressed) c->Font()->SetColor(clHighlightText);
    const int textHeight = FShowText && !Caption().empty() ? c->TextHeight("Wg") : 0;
    const int shift = hasGlyph && textHeight ? textHeight / 2 + FSpacing / 2 : 0;
    if (hasGlyph) {
        int x = r.Left, y = r.Top;
        if (FMargin == -1) {
            x = r.Left + (r.Width() - FImages->Width()) / 2;
            y = r.Top + (r.Height() - FImages->Height()) / 2;
        }
        if (r.Width() % 2) ++x;
        ++y;
        FImages->Draw(c, x, y - shift, glyph, true);
    }
    if (textHeight) {
        TRect t = r;
        t.Top += shift;
        t.Bottom += shift;
        const unsigned format = DT_SINGLELINE | (FMargin == -1 ? DT_CENTER | DT_VCENTER : DT_LEFT | DT_TOP);
        if (Enabled()) {
            DrawText(c, Caption(), t, format);
        } else {
            TRect h = t;
            h.Left += 1;
            h.Top += 1;
            h.Right += 1;
            h.Bottom += 1;
            c->Font()->SetColor(FDisabledTextColors->HighlightColor);
            DrawText(c, Caption(), h, format);
            c->Font()->SetColor(FDisabledTextColors->ShadeColor);
            DrawText(c, Caption(), t, format);
        }
    }
    c->Brush()->SetStyle(bsSolid);
}

void TqzSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Enabled()) {
        FMouseHeld = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TqzSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool click = Button == mbLeft && FMouseHeld && X >= 0 && Y >= 0 && X < Width() && Y < Height();
    if (Button == mbLeft) {
        FMouseHeld = false;
        Invalidate();
    }
    // OnMouseUp
    if (RunWhileAlive(this, [&] { TGraphicControl::MouseUp(Button, Shift, X, Y); }) && click && Enabled())
        Click();
}

void TqzSpeedButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        FMouseInControl = true;
        Invalidate();
        MouseEntered();
        break;
    case CM_MOUSELEAVE:
        FMouseInControl = false;
        Invalidate();
        MouseLeft();
        break;
    default: break;
    }
    TGraphicControl::Dispatch(Message);
}

void TqzDisabledTextColors::Publish(TPublisher<TqzDisabledTextColors>& p) {
    p.Property("ShadeColor", &TqzDisabledTextColors::ShadeColor, &TqzDisabledTextColors::ShadeColor)
        .SetTypeName("TColor");
    p.Property("HighlightColor", &TqzDisabledTextColors::HighlightColor,
               &TqzDisabledTextColors::HighlightColor)
        .SetTypeName("TColor");
}

void TqzSpeedButton::Publish(TPublisher<TqzSpeedButton>& p) {
    p.Property("ImageIndex", &TqzSpeedButton::ImageIndex, &TqzSpeedButton::SetImageIndex);
    p.Property("NumGlyphs", &TqzSpeedButton::NumGlyphs, &TqzSpeedButton::SetNumGlyphs);
    p.Property("Margin", &TqzSpeedButton::Margin, &TqzSpeedButton::SetMargin);
    p.Property("Spacing", &TqzSpeedButton::Spacing, &TqzSpeedButton::SetSpacing);
    p.Property("ShowText", &TqzSpeedButton::ShowText, &TqzSpeedButton::SetShowText);
    p.Property("Transparent", &TqzSpeedButton::Transparent, &TqzSpeedButton::SetTransparent);
    p.Property(
        "Caption", [](TqzSpeedButton& b) { return b.Caption(); },
        [](TqzSpeedButton& b, const std::string& v) { b.SetCaption(v); });
    p.Property("DisabledTextColors", &TqzSpeedButton::DisabledTextColors);
    p.Property("Action", &TqzSpeedButton::Action, &TqzSpeedButton::SetAction);
}

// ---- TqzCustomTransparentPanel ------------------------------------------------------------------

TqzCustomTransparentPanel::TqzCustomTransparentPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
    SetBevelOuter(bvRaised);
    SetCaption("");
}

void TqzCustomTransparentPanel::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    UpdateTransparentStyle();
    if (!ComponentState().Contains(csLoading)) Invalidate();
}

void TqzCustomTransparentPanel::CreateParams(TCreateParams& Params) {
    TCustomPanel::CreateParams(Params);
    if (WantsTransparentWindow()) Params.ExStyle |= WS_EX_TRANSPARENT;
}

void TqzCustomTransparentPanel::UpdateTransparentStyle() {
    if (!HandleAllocated()) return;
    const uint32_t ex = GetWindowLong(this, GWL_EXSTYLE);
    SetWindowLong(this, GWL_EXSTYLE,
                  WantsTransparentWindow() ? (ex | WS_EX_TRANSPARENT) : (ex & ~uint32_t(WS_EX_TRANSPARENT)));
}

bool TqzCustomTransparentPanel::IsTransparent() const {
    return FTransparent && !ComponentState().Contains(csDesigning);
}

void TqzCustomTransparentPanel::Paint() {
    if (!IsTransparent()) {
        TCustomPanel::Paint();
        return;
    }
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    auto edge = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        DrawEdge(c, r, cut == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        r.Left += 1;
        r.Top += 1;
        r.Right -= 1;
        r.Bottom -= 1;
    };
    edge(BevelOuter());
    r.Left += BorderWidth();
    r.Top += BorderWidth();
    r.Right -= BorderWidth();
    r.Bottom -= BorderWidth();
    edge(BevelInner());
}
