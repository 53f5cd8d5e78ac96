// Painting and context routines the suite's controls share: the ellipsis
// and drop-down buttons drawn inside edits and grid cells, a themed push
// button, text in a rectangle, the focus rectangle, whether visual themes
// are used for a control, the version tests of newer control features, and
// small questions about a control's surroundings (inside a grid, painting a
// copy, designing, window style, work area).
//
// Every drawing routine draws inside the rectangle it is given (the themed
// push button inside the rectangle grown by 3 pixels) and draws nothing for
// an empty one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/db/dbtypes.h"
#include "platform/ui/buttons.h"
#include "platform/ui/controls.h"

// ---- Themes and versions -----------------------------------------------------------
// Themes are used when the platform's themes are on, unless a "DisableThemes"
// property says otherwise: the control's own, else its parent's, else its
// grandparent's (the first of these that has the property decides).
bool qzUseThemes(TControl* Control);
// The system's major version is 6 or more.
bool qzIsWinMajor6OrLater();
// The common-controls library is 5.82 or newer (False below major system
// version 6 and when its version is unknown).
bool qzComCtlVersionAtLeast582();
// True from common controls 4.71 on, and when the version cannot be read.
bool qzComCtlVersionAtLeast471();

// ---- Buttons ----------------------------------------------------------------------------
// The ellipsis ("...") button: a raised edge (flat while pressed, not when
// painting a copy) filled unless NoFill, no edge with NoEdge, and three
// black square dots of side (width + 1) div 8, two sides apart, one pixel
// lower and further right while pressed (State bsDown).
void qzDrawEllipsisButton(TCanvas* Canvas, const TRect& Rect, TButtonState State, TControlState ControlState,
                          bool NoFill, bool NoEdge);
// The same face for buttons that track the mouse: Flat shows no edge unless
// Hot or Down; the dots are sized for GlyphWidth (the rectangle's width when
// 0) and greyed when not Enabled.
void qzDrawEllipsisButton(TCanvas* Canvas, const TRect& Rect, bool Enabled, bool Down, bool Flat, bool Hot,
                          int GlyphWidth);
// The combo-box arrow button: pushed and flat when Enabled, State is not
// up and the control is not painting a copy; else normal, or inactive when
// not Enabled.
void qzDrawDropDownArrow(TCanvas* Canvas, const TRect& Rect, TButtonState State, TControlState ControlState,
                         bool Enabled);
// The same with an arrow Width pixels wide at its base (the standard arrow
// when 0), moved by one pixel when Down.
void qzDrawDropDownArrow(TCanvas* Canvas, const TRect& Rect, bool Enabled, bool Down, int Width);
// The themed push button (pressed, else hot, else normal) in Rect grown by
// 3 pixels on every side.
void qzDrawThemedPushButton(bool Pressed, bool Hot, const TRect& Rect, TCanvas* Canvas);

// ---- Focus and text ------------------------------------------------------------------
// Outlines Rect in the highlight colour, then draws the focus rectangle
// over it; the canvas's brush style, pen colour and font colour stay.
void qzDrawFocusRect(TCanvas* Canvas, const TRect& Rect);

// Options of qzDrawTextRect.
constexpr int qzdtShowPrefix = 1;     // "&" marks an accelerator
constexpr int qzdtEllipsis = 2;       // one line, "..." where it is cut
constexpr int qzdtWordWrap = 4;       // wrap at word ends
constexpr int qzdtNoFill = 16;        // leave the background
constexpr int qzdtSingleLineVC = 32;  // one line, centred vertically
constexpr int qzdtRtlReading = 64;    // the text reads right to left

// Fills Rect with the brush (unless qzdtNoFill) and draws Text inside it
// with the canvas font: from Margin and TopMargin for left alignment, to 2
// pixels from the right edge for right alignment, centred (2 pixels in when
// Margin is above 3); one pixel is kept free at the bottom.
void qzDrawTextRect(TCanvas* Canvas, const TRect& Rect, int Margin, int Options, TAlignment Alignment,
                    const std::string& Text, int TopMargin);
// True when Rect is no taller than one line of the canvas font drawn with
// Flags (the line, plus 3, plus two border heights).
bool qzIsSingleLineRect(TCanvas* Canvas, const TRect& Rect, unsigned Flags);

// ---- Context ----------------------------------------------------------------------------
bool qzInPaintCopy(TControlState ControlState);
// The control's parent is a grid ("TCustomGrid" or a descendant, by name).
bool qzIsInGrid(TControl* Control);
// ... and the control is painting a copy.
bool qzIsGridPaintCopy(TControl* Control);
// The same for a parent of the class "TqzDataInspector".
bool qzIsInInspector(TControl* Control);
bool qzIsInspectorPaintCopy(TControl* Control);
// csDesigning on the component's parent form, or on the component itself
// when it has none.
bool qzIsDesigning(TComponent* Component);
// A visible windowed child's top-left corner lies outside the control's
// client rectangle.
bool qzChildOutsideClientRect(TWinControl* Control);
// Removes WS_CLIPCHILDREN from the control's window style.
void qzSetWindowStyle(TWinControl* Control);
// Sets the control's window style to Style.
void qzSetWindowStyle(TWinControl* Control, uint32_t Style);
// The desktop work area.
void qzGetWorkArea(TRect& Rect);
inline int qzRectWidth(const TRect& Rect) { return Rect.Right - Rect.Left; }
inline int qzRectHeight(const TRect& Rect) { return Rect.Bottom - Rect.Top; }

// A x B div 96: a length at 96 dots per inch scaled to B dots per inch.
inline int qzScaleByPixelsPerInch(int A, int B) { return A * B / 96; }
// Queues a press and release of Key on the window with ModifierKey
// (VK_SHIFT, VK_CONTROL, VK_MENU or 0) held while they are handled.
void qzPostKeyStroke(TWinControl* Window, uint16_t Key, uint16_t ModifierKey);
// Queues a left-button release for the active form when its left button
// is down, else for its first windowed control whose left button is down.
void qzReleaseLeftButton();
