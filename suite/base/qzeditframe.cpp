// The edit frame's borders, focus style and transparency, the text offsets they leave,
// and the button effects, each change repainting the controls that use them.
#include "suite/base/qzeditframe.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/ui/drawing.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzproputils.h"

namespace {

// The rectangle of the control in its parent, invalidated there.
void InvalidateInParent(TControl* Control, bool Erase) {
    if (!Control || !Control->Parent()) return;
    const TRect r = Control->BoundsRect();
    InvalidateRect(Control->Parent(), &r, Erase);
}

}  // namespace

// ---- TqzEditFrame -----------------------------------------------------------------------

TqzEditFrame::TqzEditFrame(TControl* Control) {
    SetEnabled(false);
    FControl = dynamic_cast<TWinControl*>(Control);
}

bool TqzEditFrame::IsEdit() const { return FControl && qzClassInheritsFrom(FControl, "TCustomEdit"); }

void TqzEditFrame::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    if (!IsEdit()) return;
    if (Value) qzSetBorderStyle(FControl, false);
    if (qzGetAutoSize(FControl)) qzAdjustFramedEditHeight(this);
    FControl->Invalidate();
}

void TqzEditFrame::SetNonFocusBorders(TqzEditFrameEnabledSet Value) {
    FNonFocusBorders = Value;
    if (!IsEdit()) return;
    if (FEnabled && FTransparent)
        InvalidateInParent(FControl, false);
    else
        FControl->Invalidate();
}

void TqzEditFrame::SetFocusBorders(TqzEditFrameEnabledSet Value) {
    FFocusBorders = Value;
    if (IsEdit()) FControl->Invalidate();
}

void TqzEditFrame::SetNonFocusStyle(TqzEditFocusStyle Value) {
    if (FNonFocusStyle == Value) return;
    FNonFocusStyle = Value;
    if (IsEdit()) FControl->Invalidate();
}

void TqzEditFrame::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    FEraseBackground = Value;
    if (!FControl) return;
    bool refresh = qzClassInheritsFrom(FControl, "TqzCustomRichEdit");
    if (qzEditFrameIsActive(this) && !FControl->ComponentState().Contains(csDesigning) &&
        FControl->HandleAllocated() && FControl->Parent() &&
        (GetWindowLong(FControl->Parent(), GWL_STYLE) & WS_CLIPCHILDREN))
        refresh = true;
    if (refresh) FControl->Perform(QZ_CM_REFRESH, 0, 0);
}

void TqzEditFrame::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TqzEditFrame*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetEnabled(src->Enabled());
    SetTransparent(src->Transparent());
    if (!src->Enabled()) return;
    FEraseBackground = src->FEraseBackground;
    FMouseEnterSameAsFocus = src->FMouseEnterSameAsFocus;
    FAutoSizeHeightAdjust = src->FAutoSizeHeightAdjust;
    SetFocusBorders(src->FocusBorders());
    SetNonFocusBorders(src->NonFocusBorders());
    FFocusStyle = src->FFocusStyle;
    SetNonFocusStyle(src->NonFocusStyle());
    FNonFocusTextOffsetX = src->FNonFocusTextOffsetX;
    FNonFocusTextOffsetY = src->FNonFocusTextOffsetY;
    FNonFocusTransparentFontColor = src->FNonFocusTransparentFontColor;
    FNonFocusColor = src->FNonFocusColor;
    FNonFocusFontColor = src->FNonFocusFontColor;
}

void TqzEditFrame::GetTextOffsets(int& X, int& Y, bool Focused) {
    const TqzEditFrameEnabledSet borders = Focused ? FFocusBorders : FNonFocusBorders;
    const bool flat = qzIsFlatFrameStyle(Focused ? FFocusStyle : FNonFocusStyle);
    X = borders.Contains(efLeftBorder) ? (flat ? 2 : 3) : 1;
    Y = 2 + (borders.Contains(efTopBorder) && !flat ? 1 : 0);
    X += FNonFocusTextOffsetX;
    Y += FNonFocusTextOffsetY;
}

void TqzEditFrame::Publish(TPublisher<TqzEditFrame>& p) {
    p.Property("Enabled", &TqzEditFrame::Enabled, &TqzEditFrame::SetEnabled);
    p.Property("NonFocusBorders", &TqzEditFrame::NonFocusBorders, &TqzEditFrame::SetNonFocusBorders);
    p.Property("FocusBorders", &TqzEditFrame::FocusBorders, &TqzEditFrame::SetFocusBorders);
    p.Property("FocusStyle", &TqzEditFrame::FocusStyle, &TqzEditFrame::SetFocusStyle);
    p.Property("NonFocusStyle", &TqzEditFrame::NonFocusStyle, &TqzEditFrame::SetNonFocusStyle);
    p.Property("NonFocusTextOffsetX", &TqzEditFrame::NonFocusTextOffsetX,
               &TqzEditFrame::SetNonFocusTextOffsetX);
    p.Property("NonFocusTextOffsetY", &TqzEditFrame::NonFocusTextOffsetY,
               &TqzEditFrame::SetNonFocusTextOffsetY);
    p.Property("Transparent", &TqzEditFrame::Transparent, &TqzEditFrame::SetTransparent);
    p.Property("MouseEnterSameAsFocus", &TqzEditFrame::MouseEnterSameAsFocus,
               &TqzEditFrame::SetMouseEnterSameAsFocus);
    p.Property("AutoSizeHeightAdjust", &TqzEditFrame::AutoSizeHeightAdjust,
               &TqzEditFrame::SetAutoSizeHeightAdjust);
    p.Property("NonFocusTransparentFontColor", &TqzEditFrame::NonFocusTransparentFontColor,
               &TqzEditFrame::SetNonFocusTransparentFontColor)
        .SetTypeName("TColor");
    p.Property("NonFocusColor", &TqzEditFrame::NonFocusColor, &TqzEditFrame::SetNonFocusColor)
        .SetTypeName("TColor");
    p.Property("NonFocusFontColor", &TqzEditFrame::NonFocusFontColor, &TqzEditFrame::SetNonFocusFontColor)
        .SetTypeName("TColor");
}

// ---- TqzButtonEffects -------------------------------------------------------------------

TqzButtonEffects::TqzButtonEffects(TControl* Control, TControl* Button)
    : FControl(Control), FButton(Button) {}

void TqzButtonEffects::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    Changed(true);
}

void TqzButtonEffects::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    Changed(false);
}

void TqzButtonEffects::Changed(bool SetTransparentToo) {
    if (!FButton) return;
    const bool look = FFlat || FTransparent;
    if (SetTransparentToo) qzSetOrdPropByName(FButton, "Transparent", look);
    qzSetOrdPropByName(FButton, "Flat", look);
    Refresh();
    FButton->Invalidate();
}

void TqzButtonEffects::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TqzButtonEffects*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetFlat(src->Flat());
    SetTransparent(src->Transparent());
}

void TqzButtonEffects::Publish(TPublisher<TqzButtonEffects>& p) {
    p.Property("Transparent", &TqzButtonEffects::Transparent, &TqzButtonEffects::SetTransparent);
    p.Property("Flat", &TqzButtonEffects::Flat, &TqzButtonEffects::SetFlat);
}

// ---- Routines ---------------------------------------------------------------------------

bool qzIsParentTransparent(TControl* Control) {
    TWinControl* parent = Control ? Control->Parent() : nullptr;
    return parent && parent->HandleAllocated() && (GetWindowLong(parent, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

bool qzGetAutoSize(TControl* Control) { return qzGetOrdPropByName(Control, "AutoSize") != 0; }

TqzEditFrame* qzGetControlEditFrame(TControl* Control) {
    if (!Control) return nullptr;
    for (const char* name : {"Frame", "EditFrame"}) {
        const TPropInfo* info = GetPropInfo(Control, name);
        if (info && info->Kind == tkClass) return dynamic_cast<TqzEditFrame*>(GetObjectProp(Control, info));
    }
    return nullptr;
}

TqzButtonEffects* qzGetControlButtonEffects(TControl* Control) {
    const TPropInfo* info = Control ? GetPropInfo(Control, "ButtonEffects") : nullptr;
    return info && info->Kind == tkClass ? dynamic_cast<TqzButtonEffects*>(GetObjectProp(Control, info))
                                         : nullptr;
}

bool qzEditFrameIsActive(TqzEditFrame* Frame) {
    return Frame && Frame->Enabled() && Frame->Control() && !qzIsInGrid(Frame->Control());
}

bool qzIsFlatFrameStyle(TqzEditFocusStyle Style) { return Style == efsFrameBox || Style == efsFrameSingle; }

void qzGetFrameTextOffsets(TqzEditFrame* Frame, TqzFrameTextOffsets& Offsets) {
    Offsets = {};
    if (!Frame) return;
    const TqzEditFrameEnabledSet borders = Frame->FocusBorders();
    const TqzEditFocusStyle style = Frame->FocusStyle();
    if (qzIsFlatFrameStyle(style)) {
        Offsets.Top = 2;
        Offsets.Left = 2;
        if (borders.Contains(efRightBorder) && style == efsFrameBox) Offsets.Right -= 1;
        return;
    }
    Offsets.Top = 3;
    if (!borders.Contains(efLeftBorder))
        Offsets.Left = 1;
    else
        Offsets.Left = style == efsFrameSunken || style == efsFrameBump ? 3 : 2;
    Offsets.Right -= 2;
}

void qzGetFrameTextOffsets(TControl* Control, int& X, int& Y, int& Right) {
    TqzFrameTextOffsets offsets;
    qzGetFrameTextOffsets(qzGetControlEditFrame(Control), offsets);
    X = offsets.Left;
    Y = offsets.Top;
    Right = offsets.Right;
}

void qzDrawEditFrame(TControl* Control, TqzEditFrame* Frame, TCanvas* Canvas, bool Focused) {
    if (!Control || !Frame || !Canvas) return;
    TRect r = Control->ClientRect();
    const TqzEditFrameEnabledSet borders = Focused ? Frame->FocusBorders() : Frame->NonFocusBorders();
    const TqzEditFocusStyle style = Focused ? Frame->FocusStyle() : Frame->NonFocusStyle();
    if (!borders.Contains(efRightBorder) && Frame->Transparent()) r.Right -= 2;
    if (IsRectEmpty(r)) return;
    unsigned flags = 0;
    if (borders.Contains(efLeftBorder)) flags |= BF_LEFT;
    if (borders.Contains(efTopBorder)) flags |= BF_TOP;
    if (borders.Contains(efRightBorder)) flags |= BF_RIGHT;
    if (borders.Contains(efBottomBorder)) flags |= BF_BOTTOM;
    if (!flags) return;
    unsigned edge = EDGE_SUNKEN;
    switch (style) {
    case efsFrameBox: flags |= BF_MONO; break;
    case efsFrameSunken: break;
    case efsFrameRaised: edge = EDGE_RAISED; break;
    case efsFrameEtched: edge = EDGE_ETCHED; break;
    case efsFrameBump: edge = EDGE_BUMP; break;
    case efsFrameSingle:
        edge = BDR_SUNKENOUTER;
        flags |= BF_MONO;
        break;
    }
    DrawEdge(Canvas, r, edge, flags);
}

void qzAdjustFramedEditHeight(TqzEditFrame* Frame) {
    TWinControl* control = Frame ? Frame->Control() : nullptr;
    if (!control) return;
    TCanvas measure;  // not bound: it only measures
    measure.Font()->Assign(control->Font());
    const int height = measure.TextHeight("Wg");
    const int border = GetSystemMetrics(SM_CYBORDER);
    int extra = !qzGetBorderStyle(control) ? 6 : (control->Ctl3D() ? 8 : 6) * border;
    if (Frame->Enabled()) extra += Frame->AutoSizeHeightAdjust();
    control->SetHeight(height + extra);
}

void qzRefreshEditFrame(TqzEditFrame* Frame, bool Focused, TCanvas* Canvas) {
    TWinControl* control = Frame ? Frame->Control() : nullptr;
    TWinControl* parent = control ? control->Parent() : nullptr;
    if (!parent) return;
    TRect r = control->BoundsRect();
    const TRect text = control->ClientRect();
    if (!Focused && !qzGetBorderStyle(control)) {
        InflateRect(r, -2, -2);
        if (!Frame->NonFocusBorders().Contains(efLeftBorder)) r.Left -= 2;
        const bool roomForButton = qzGetControlButtonEffects(control) && r.Right - (r.Left + text.Right) > 8;
        r.Right = r.Left + text.Right + (roomForButton ? 3 : 1);
    }
    if (qzIsParentTransparent(control)) {
        qzInvalidateBehindFramedControl(control);
        return;
    }
    TControl* atCorner = parent->ControlAtPos(Point(control->Left(), control->Top()), true, true);
    if (atCorner && atCorner != control) {
        InvalidateRect(parent, &r, Frame->EraseBackground());
        return;
    }
    if (!Canvas) return;
    TRect fill = control->ClientRect();
    if (!Focused) {
        fill = text;
        InflateRect(fill, 1, 1);
        if (!Frame->NonFocusBorders().Contains(efLeftBorder)) fill.Left = std::max(0, fill.Left - 1);
        if (control->ClientHeight() - fill.Bottom >= 4) fill.Bottom += 2;
    }
    const TColor oldColor = Canvas->Brush()->Color();
    const TBrushStyle oldStyle = Canvas->Brush()->Style();
    Canvas->Brush()->SetColor(parent->Color());
    Canvas->FillRect(fill);
    Canvas->Brush()->SetColor(oldColor);
    Canvas->Brush()->SetStyle(oldStyle);
}

void qzInvalidateBehindControl(TControl* Control, bool Erase) {
    if (!Control) return;
    TRect r = Control->BoundsRect();
    TControl* level = Control;
    while (TWinControl* parent = level->Parent()) {
        InvalidateRect(parent, &r, Erase);
        if (!qzIsParentTransparent(level)) break;
        // Into the grandparent's client coordinates.
        r.Left = std::max(r.Left, 0);
        r.Top = std::max(r.Top, 0);
        OffsetRect(r, parent->Left(), parent->Top());
        level = parent;
    }
}

void qzInvalidateBehindFramedControl(TControl* Control) {
    TqzEditFrame* frame = qzGetControlEditFrame(Control);
    qzInvalidateBehindControl(Control, frame && frame->EraseBackground());
}
