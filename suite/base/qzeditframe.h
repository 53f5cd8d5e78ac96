// Edit frames and button effects of the suite's edit controls.
//
// TqzEditFrame draws a flat or 3-D frame on chosen sides of an edit, one
// set of sides and style while it has the focus and another while it has
// not, with its own colours while unfocused, and can make the edit look
// transparent. TqzButtonEffects makes an edit's embedded button flat or
// transparent. The controls publish them as "Frame" (or "EditFrame") and
// "ButtonEffects", and the routines below find them by those names, so any
// control that publishes them takes part.
#pragma once

#include "platform/core/component.h"
#include "platform/ui/controls.h"
#include "platform/ui/graphics.h"

TASKMOOR_ENUM(TqzEditFocusStyle, efsFrameBox, efsFrameSunken, efsFrameRaised, efsFrameEtched, efsFrameBump,
              efsFrameSingle)
TASKMOOR_ENUM(TqzEditFrameEnabledType, efLeftBorder, efTopBorder, efRightBorder, efBottomBorder)
using TqzEditFrameEnabledSet = TSet<TqzEditFrameEnabledType>;
TASKMOOR_ENUM(TqzComboButtonStyle, cbsEllipsis, cbsDownArrow, cbsCustom)

// The message a framed control gets to redraw itself after a change of
// transparency.
constexpr unsigned QZ_CM_REFRESH = 0xB033;

class TqzEditFrame : public TPersistent {
    TASKMOOR_CLASS(TqzEditFrame, TPersistent)
public:
    // Keeps Control only when it is a windowed control.
    explicit TqzEditFrame(TControl* Control);

    TWinControl* Control() const { return FControl; }

    bool Enabled() const { return FEnabled; }
    // Enabling takes an edit's border away; an auto-sized edit gets its
    // height refitted; the control repaints.
    void SetEnabled(bool Value);
    TqzEditFrameEnabledSet NonFocusBorders() const { return FNonFocusBorders; }
    void SetNonFocusBorders(TqzEditFrameEnabledSet Value);
    TqzEditFrameEnabledSet FocusBorders() const { return FFocusBorders; }
    void SetFocusBorders(TqzEditFrameEnabledSet Value);
    TqzEditFocusStyle FocusStyle() const { return FFocusStyle; }
    void SetFocusStyle(TqzEditFocusStyle Value) { FFocusStyle = Value; }
    TqzEditFocusStyle NonFocusStyle() const { return FNonFocusStyle; }
    void SetNonFocusStyle(TqzEditFocusStyle Value);
    int NonFocusTextOffsetX() const { return FNonFocusTextOffsetX; }
    void SetNonFocusTextOffsetX(int Value) { FNonFocusTextOffsetX = Value; }
    int NonFocusTextOffsetY() const { return FNonFocusTextOffsetY; }
    void SetNonFocusTextOffsetY(int Value) { FNonFocusTextOffsetY = Value; }
    bool Transparent() const { return FTransparent; }
    // Also sets EraseBackground; an active frame in a clipping parent sends
    // its control QZ_CM_REFRESH (a rich edit always gets it).
    void SetTransparent(bool Value);
    // Whether what lies behind is erased when the control is repainted
    // (follows Transparent; not published).
    bool EraseBackground() const { return FEraseBackground; }
    void SetEraseBackground(bool Value) { FEraseBackground = Value; }
    bool MouseEnterSameAsFocus() const { return FMouseEnterSameAsFocus; }
    void SetMouseEnterSameAsFocus(bool Value) { FMouseEnterSameAsFocus = Value; }
    int AutoSizeHeightAdjust() const { return FAutoSizeHeightAdjust; }
    void SetAutoSizeHeightAdjust(int Value) { FAutoSizeHeightAdjust = Value; }
    TColor NonFocusTransparentFontColor() const { return FNonFocusTransparentFontColor; }
    void SetNonFocusTransparentFontColor(TColor Value) { FNonFocusTransparentFontColor = Value; }
    TColor NonFocusColor() const { return FNonFocusColor; }
    void SetNonFocusColor(TColor Value) { FNonFocusColor = Value; }
    TColor NonFocusFontColor() const { return FNonFocusFontColor; }
    void SetNonFocusFontColor(TColor Value) { FNonFocusFontColor = Value; }

    // From another frame: Enabled and Transparent always, the rest only when
    // the other frame is Enabled.
    void Assign(TPersistent* Source) override;
    // Where the text starts inside the frame, focused or not.
    virtual void GetTextOffsets(int& X, int& Y, bool Focused);

    static void Publish(TPublisher<TqzEditFrame>& p);

private:
    bool IsEdit() const;

    TWinControl* FControl = nullptr;
    bool FEnabled = false;
    TqzEditFrameEnabledSet FNonFocusBorders{efBottomBorder};
    TqzEditFrameEnabledSet FFocusBorders{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder};
    TqzEditFocusStyle FFocusStyle = efsFrameBox;
    TqzEditFocusStyle FNonFocusStyle = efsFrameBox;
    int FNonFocusTextOffsetX = 0;
    int FNonFocusTextOffsetY = 0;
    bool FTransparent = false;
    bool FEraseBackground = false;
    bool FMouseEnterSameAsFocus = false;
    int FAutoSizeHeightAdjust = 0;
    TColor FNonFocusTransparentFontColor = clNone;
    TColor FNonFocusColor = clNone;
    TColor FNonFocusFontColor = clNone;
};

class TqzButtonEffects : public TPersistent {
    TASKMOOR_CLASS(TqzButtonEffects, TPersistent)
public:
    TqzButtonEffects(TControl* Control, TControl* Button);

    TControl* Control() const { return FControl; }
    TControl* Button() const { return FButton; }
    void SetButton(TControl* Value) { FButton = Value; }

    bool Transparent() const { return FTransparent; }
    // Sets the button's "Transparent" and "Flat" to Flat or Transparent.
    void SetTransparent(bool Value);
    bool Flat() const { return FFlat; }
    // Sets the button's "Flat" to Flat or Transparent.
    void SetFlat(bool Value);

    // Flat, then Transparent, from other button effects.
    void Assign(TPersistent* Source) override;
    // Shows the change on the button; nothing here.
    virtual void Refresh() {}

    static void Publish(TPublisher<TqzButtonEffects>& p);

private:
    void Changed(bool SetTransparentToo);

    bool FTransparent = false;
    bool FFlat = false;
    TControl* FControl;
    TControl* FButton;
};

// ---- Routines ---------------------------------------------------------------------------
// The parent's window has WS_EX_TRANSPARENT in its extended style.
bool qzIsParentTransparent(TControl* Control);
// The control's "AutoSize" property; False without one.
bool qzGetAutoSize(TControl* Control);
// The control's "Frame", else "EditFrame" object; nullptr without either.
TqzEditFrame* qzGetControlEditFrame(TControl* Control);
// The control's "ButtonEffects" object; nullptr without one.
TqzButtonEffects* qzGetControlButtonEffects(TControl* Control);
// Enabled, with a control whose parent is not a grid.
bool qzEditFrameIsActive(TqzEditFrame* Frame);
// efsFrameBox and efsFrameSingle.
bool qzIsFlatFrameStyle(TqzEditFocusStyle Style);

// The offsets of a framed edit's text rectangle.
struct TqzFrameTextOffsets {
    int Left = 0;
    int Top = 0;
    int Right = 0;  // added to the right edge (0 or negative)
};
// From the frame's focus borders and style.
void qzGetFrameTextOffsets(TqzEditFrame* Frame, TqzFrameTextOffsets& Offsets);
// The same for a control's frame; zeros for a control without one.
void qzGetFrameTextOffsets(TControl* Control, int& X, int& Y, int& Right);

// Draws the frame on the control's client rectangle: the focus borders and
// style when Focused, else the non-focus ones.
void qzDrawEditFrame(TControl* Control, TqzEditFrame* Frame, TCanvas* Canvas, bool Focused);
// Refits an auto-sized edit's height to its font and frame.
void qzAdjustFramedEditHeight(TqzEditFrame* Frame);
// Clears the margins around a framed edit's text before the frame is drawn:
// painted with the parent's colour on Canvas (the edit's canvas while it
// paints), or the area invalidated in the parent when another control lies
// at the edit's corner, or behind it when the parent is transparent.
void qzRefreshEditFrame(TqzEditFrame* Frame, bool Focused, TCanvas* Canvas);
// Invalidates the control's rectangle in its parent, and on up while the
// level just passed is transparent.
void qzInvalidateBehindControl(TControl* Control, bool Erase);
// The same, erasing when the control's frame has EraseBackground.
void qzInvalidateBehindFramedControl(TControl* Control);
