// Drawing the dots, drop-down arrow, themed button and focus frame; telling a grid or
// inspector paint copy; window styles and posted key strokes and mouse releases.
#include "suite/base/qzdraw.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/ui/application.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/themes.h"
#include "platform/ui/versions.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzproputils.h"

// ---- Themes and versions -----------------------------------------------------------

bool qzUseThemes(TControl* Control) {
    if (!ThemeServicesEnabled()) return false;
    TControl* levels[3] = {Control, nullptr, nullptr};
    if (Control) levels[1] = Control->Parent();
    if (levels[1]) levels[2] = levels[1]->Parent();
    for (TControl* c : levels) {
        if (!c) break;
        const TPropInfo* info = GetPropInfo(c, "DisableThemes");
        if (info && IsOrdinalKind(info->Kind)) return GetOrdProp(c, info) == 0;
    }
    return true;
}

bool qzIsWinMajor6OrLater() { return SystemMajorVersion() >= 6; }

bool qzComCtlVersionAtLeast582() {
    if (!qzIsWinMajor6OrLater()) return false;
    int major = 0, minor = 0;
    if (!GetLibraryFileVersion("comctl32.dll", major, minor)) return false;
    return major >= 6 || (major == 5 && minor >= 82);
}

bool qzComCtlVersionAtLeast471() {
    if (qzComCtlVersionAtLeast582()) return true;
    int major = 0, minor = 0;
    if (!GetLibraryFileVersion("comctl32.dll", major, minor)) return true;
    return !(major < 5 && (major < 4 || minor < 71));
}

// ---- Buttons ----------------------------------------------------------------------------

namespace {

// Three square dots of side Side in a row, the middle one's corner at
// (X, Y), two sides apart.
void DrawDots(TCanvas* Canvas, int X, int Y, int Side, TColor Color) {
    TBrush* brush = Canvas->Brush();
    const TColor oldColor = brush->Color();
    const TBrushStyle oldStyle = brush->Style();
    brush->SetColor(Color);
    for (int i = -1; i <= 1; ++i) Canvas->FillRect(Bounds(X + i * 2 * Side, Y, Side, Side));
    brush->SetColor(oldColor);
    brush->SetStyle(oldStyle);
}

int DotSide(int Width) { return std::max(1, (Width + 1) / 8); }

}  // namespace

void qzDrawEllipsisButton(TCanvas* Canvas, const TRect& Rect, TButtonState State, TControlState ControlState,
                          bool NoFill, bool NoEdge) {
    if (!Canvas || IsRectEmpty(Rect)) return;
    TCanvasClip clip(Canvas, Rect);
    const bool pressed = State == bsDown;
    const bool flat = pressed && !qzInPaintCopy(ControlState);
    if (!NoEdge) {
        TRect r = Rect;
        DrawEdge(Canvas, r, EDGE_RAISED, BF_RECT | (flat ? BF_FLAT : 0) | (NoFill ? 0 : BF_MIDDLE));
    }
    const int w = Rect.Width(), h = Rect.Height();
    const int lift = pressed ? 0 : 1;
    DrawDots(Canvas, Rect.Left + w / 2 - lift, Rect.Top + (h + 1) / 2 - lift, DotSide(w), clBlack);
}

void qzDrawEllipsisButton(TCanvas* Canvas, const TRect& Rect, bool Enabled, bool Down, bool Flat, bool Hot,
                          int GlyphWidth) {
    if (!Canvas || IsRectEmpty(Rect)) return;
    TCanvasClip clip(Canvas, Rect);
    TRect r = Rect;
    if (Down)
        DrawEdge(Canvas, r, EDGE_RAISED, BF_RECT | BF_FLAT | BF_MIDDLE);
    else if (Flat && !Hot)
        DrawEdge(Canvas, r, 0, BF_RECT | BF_MIDDLE);
    else if (Flat)
        DrawEdge(Canvas, r, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
    else
        DrawEdge(Canvas, r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    const int w = Rect.Width(), h = Rect.Height();
    const int side = DotSide(GlyphWidth > 0 ? std::min(GlyphWidth, w) : w);
    const int lift = Down ? 0 : 1;
    const int x = Rect.Left + w / 2 - lift, y = Rect.Top + (h + 1) / 2 - lift;
    if (Enabled) {
        DrawDots(Canvas, x, y, side, clBtnText);
    } else {
        DrawDots(Canvas, x + 1, y + 1, side, clBtnHighlight);
        DrawDots(Canvas, x, y, side, clBtnShadow);
    }
}

void qzDrawDropDownArrow(TCanvas* Canvas, const TRect& Rect, TButtonState State, TControlState ControlState,
                         bool Enabled) {
    if (!Canvas || IsRectEmpty(Rect)) return;
    TCanvasClip clip(Canvas, Rect);
    unsigned flags = DFCS_SCROLLCOMBOBOX;
    if (Enabled && State != bsUp && !qzInPaintCopy(ControlState))
        flags |= DFCS_PUSHED | DFCS_FLAT;
    else if (!Enabled)
        flags |= DFCS_INACTIVE;
    TRect r = Rect;
    DrawFrameControl(Canvas, r, DFC_SCROLL, flags);
}

void qzDrawDropDownArrow(TCanvas* Canvas, const TRect& Rect, bool Enabled, bool Down, int Width) {
    if (!Canvas || IsRectEmpty(Rect)) return;
    if (Width <= 0) {
        qzDrawDropDownArrow(Canvas, Rect, Down ? bsDown : bsUp, TControlState(), Enabled);
        return;
    }
    TCanvasClip clip(Canvas, Rect);
    TRect r = Rect;
    DrawEdge(Canvas, r, EDGE_RAISED, BF_RECT | BF_MIDDLE | (Down ? BF_FLAT : 0));
    // Rows of Width, Width - 2, ... pixels from the base down to the tip.
    const int rows = (Width + 1) / 2;
    int x = Rect.Left + (Rect.Width() - Width) / 2;
    int y = Rect.Top + (Rect.Height() - rows) / 2;
    if (Down) {
        ++x;
        ++y;
    }
    TBrush* brush = Canvas->Brush();
    const TColor oldColor = brush->Color();
    const TBrushStyle oldStyle = brush->Style();
    auto arrow = [&](int dx, TColor color) {
        brush->SetColor(color);
        for (int i = 0; i < rows; ++i) Canvas->FillRect(Bounds(x + dx + i, y + dx + i, Width - 2 * i, 1));
    };
    if (Enabled) {
        arrow(0, clBtnText);
    } else {
        arrow(1, clBtnHighlight);
        arrow(0, clBtnShadow);
    }
    brush->SetColor(oldColor);
    brush->SetStyle(oldStyle);
}

void qzDrawThemedPushButton(bool Pressed, bool Hot, const TRect& Rect, TCanvas* Canvas) {
    if (!Canvas || IsRectEmpty(Rect)) return;
    TRect r = Rect;
    InflateRect(r, 3, 3);
    TCanvasClip clip(Canvas, r);
    DrawThemedPushButton(Canvas, r, Pressed ? tbsPressed : Hot ? tbsHot : tbsNormal);
}

// ---- Focus and text ------------------------------------------------------------------

void qzDrawFocusRect(TCanvas* Canvas, const TRect& Rect) {
    if (!Canvas || IsRectEmpty(Rect)) return;
    TCanvasClip clip(Canvas, Rect);
    const TBrushStyle oldStyle = Canvas->Brush()->Style();
    const TColor oldPen = Canvas->Pen()->Color();
    const TColor oldText = Canvas->Font()->Color();
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Pen()->SetColor(clHighlight);
    Canvas->Rectangle(Rect);
    Canvas->Font()->SetColor(clHighlight);
    Canvas->DrawFocusRect(Rect);
    Canvas->Brush()->SetStyle(oldStyle);
    Canvas->Pen()->SetColor(oldPen);
    Canvas->Font()->SetColor(oldText);
}

bool qzIsSingleLineRect(TCanvas* Canvas, const TRect& Rect, unsigned Flags) {
    if (!Canvas) return true;
    TRect line = Rect;
    DrawText(Canvas, " ", line, Flags | DT_CALCRECT);
    return line.Height() + 3 + 2 * GetSystemMetrics(SM_CYBORDER) >= Rect.Height();
}

void qzDrawTextRect(TCanvas* Canvas, const TRect& Rect, int Margin, int Options, TAlignment Alignment,
                    const std::string& Text, int TopMargin) {
    if (!Canvas || IsRectEmpty(Rect)) return;
    TCanvasClip clip(Canvas, Rect);
    const int w = Rect.Width(), h = Rect.Height();
    TRect text;
    switch (Alignment) {
    case taRightJustify: text = {Margin, TopMargin, w - 2, h - 1}; break;
    case taCenter: text = {Margin > 3 ? 2 : 0, TopMargin, w, h - 1}; break;
    default: text = {Margin, TopMargin, w, h - 1}; break;
    }
    OffsetRect(text, Rect.Left, Rect.Top);

    Canvas->Brush()->SetStyle(bsSolid);
    if (!(Options & qzdtNoFill)) Canvas->FillRect(Rect);
    unsigned flags = DT_NOPREFIX | DT_EXPANDTABS;
    flags |= Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
    if (Options & qzdtShowPrefix) flags &= ~DT_NOPREFIX;
    if (Options & qzdtWordWrap) flags |= DT_WORDBREAK;
    if (Options & qzdtSingleLineVC) flags |= DT_SINGLELINE | DT_VCENTER;
    if ((Options & qzdtEllipsis) || qzIsSingleLineRect(Canvas, text, flags)) flags &= ~DT_WORDBREAK;
    if (Options & qzdtEllipsis) flags |= DT_END_ELLIPSIS;
    if (Options & qzdtRtlReading) flags |= DT_RTLREADING;
    // A margin wider than the rectangle leaves no room for the text.
    if (IsRectEmpty(text)) return;
    Canvas->Brush()->SetStyle(bsClear);  // the text goes over the background
    DrawText(Canvas, Text, text, flags);
    Canvas->Brush()->SetStyle(bsSolid);
}

// ---- Context ----------------------------------------------------------------------------

bool qzInPaintCopy(TControlState ControlState) { return ControlState.Contains(csPaintCopy); }

namespace {
bool ParentIs(TControl* Control, const char* ClassName) {
    return Control && qzClassInheritsFrom(Control->Parent(), ClassName);
}
}  // namespace

bool qzIsInGrid(TControl* Control) { return ParentIs(Control, "TCustomGrid"); }
bool qzIsGridPaintCopy(TControl* Control) {
    return qzIsInGrid(Control) && qzInPaintCopy(Control->ControlState());
}
bool qzIsInInspector(TControl* Control) { return ParentIs(Control, "TqzDataInspector"); }
bool qzIsInspectorPaintCopy(TControl* Control) {
    return qzIsInInspector(Control) && qzInPaintCopy(Control->ControlState());
}

bool qzIsDesigning(TComponent* Component) {
    if (!Component) return false;
    TComponent* form = nullptr;
    if (auto* control = dynamic_cast<TControl*>(Component)) form = GetParentForm(control);
    return (form ? form : Component)->ComponentState().Contains(csDesigning);
}

bool qzChildOutsideClientRect(TWinControl* Control) {
    if (!Control) return false;
    const TRect client = Control->ClientRect();
    for (int i = 0; i < Control->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(Control->Controls(i));
        if (child && child->Visible() && !PtInRect(client, Point(child->Left(), child->Top()))) return true;
    }
    return false;
}

void qzSetWindowStyle(TWinControl* Control) {
    if (!Control) return;
    SetWindowLong(Control, GWL_STYLE, GetWindowLong(Control, GWL_STYLE) & ~WS_CLIPCHILDREN);
}

void qzSetWindowStyle(TWinControl* Control, uint32_t Style) {
    if (Control) SetWindowLong(Control, GWL_STYLE, Style);
}

void qzGetWorkArea(TRect& Rect) { Rect = Screen ? Screen->WorkAreaRect() : TRect{}; }

void qzPostKeyStroke(TWinControl* Window, uint16_t Key, uint16_t ModifierKey) {
    TShiftState shift;
    if (ModifierKey == VK_SHIFT) shift.Include(ssShift);
    if (ModifierKey == VK_CONTROL) shift.Include(ssCtrl);
    if (ModifierKey == VK_MENU) shift.Include(ssAlt);
    PostKeyStroke(Window, Key, shift);
}

namespace {
TWinControl* FirstWithLeftButtonDown(TWinControl* Parent) {
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(Parent->Controls(i));
        if (!child) continue;
        if (child->ControlState().Contains(csLButtonDown)) return child;
        if (TWinControl* inner = FirstWithLeftButtonDown(child)) return inner;
    }
    return nullptr;
}
}  // namespace

void qzReleaseLeftButton() {
    TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
    if (!form) return;
    if (form->ControlState().Contains(csLButtonDown))
        PostLeftButtonUp(form);
    else if (TWinControl* child = FirstWithLeftButtonDown(form))
        PostLeftButtonUp(child);
}
