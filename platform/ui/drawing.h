// Drawing routines of the windowing system: formatted text, 3-D edges, frame
// controls (check boxes, scroll arrows, push buttons) and the system metrics
// they are sized by. They draw on any TCanvas with the classic look.
#pragma once

#include <string>

#include "platform/ui/graphics.h"

// ---- Formatted text ----------------------------------------------------------
constexpr unsigned DT_TOP = 0x0000, DT_LEFT = 0x0000, DT_CENTER = 0x0001, DT_RIGHT = 0x0002,
                   DT_VCENTER = 0x0004, DT_BOTTOM = 0x0008, DT_WORDBREAK = 0x0010, DT_SINGLELINE = 0x0020,
                   DT_EXPANDTABS = 0x0040, DT_NOCLIP = 0x0100, DT_CALCRECT = 0x0400, DT_NOPREFIX = 0x0800,
                   DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000,
                   DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000, DT_HIDEPREFIX = 0x100000;

// Draws Text in Rect with the canvas font; the background of the text is
// the brush colour unless the brush is bsClear. "&x" underlines x and "&&"
// is "&" unless DT_NOPREFIX. With DT_CALCRECT nothing is drawn: Rect's right
// edge (single line) or bottom edge (word break) is set to what the text
// needs. Answers the height of the text.
int DrawText(TCanvas* Canvas, const std::string& Text, TRect& Rect, unsigned Format);

// ---- Edges -----------------------------------------------------------------------
constexpr unsigned BDR_RAISEDOUTER = 0x0001, BDR_SUNKENOUTER = 0x0002, BDR_RAISEDINNER = 0x0004,
                   BDR_SUNKENINNER = 0x0008, BDR_OUTER = 0x0003, BDR_INNER = 0x000C;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
                   EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
                   EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
                   EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x0001, BF_TOP = 0x0002, BF_RIGHT = 0x0004, BF_BOTTOM = 0x0008,
                   BF_TOPLEFT = BF_TOP | BF_LEFT, BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
                   BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM, BF_MIDDLE = 0x0800, BF_SOFT = 0x1000,
                   BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;

// Draws the edges named by Flags around Rect: each of the outer and inner
// borders is one pixel, raised (light top-left, dark bottom-right) or
// sunken. BF_MIDDLE fills the inside with clBtnFace; BF_ADJUST shrinks Rect
// to the inside.
bool DrawEdge(TCanvas* Canvas, TRect& Rect, unsigned Edge, unsigned Flags);

// A frame of Width pixels: TopColor on the top and left, BottomColor on the
// bottom and right. Rect shrinks by Width on each side.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// ---- Frame controls -----------------------------------------------------------
constexpr unsigned DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0x0000, DFCS_BUTTONRADIO = 0x0004, DFCS_BUTTON3STATE = 0x0008,
                   DFCS_BUTTONPUSH = 0x0010;
constexpr unsigned DFCS_SCROLLUP = 0x0000, DFCS_SCROLLDOWN = 0x0001, DFCS_SCROLLLEFT = 0x0002,
                   DFCS_SCROLLRIGHT = 0x0003, DFCS_SCROLLCOMBOBOX = 0x0005, DFCS_SCROLLSIZEGRIP = 0x0008;
constexpr unsigned DFCS_INACTIVE = 0x0100, DFCS_PUSHED = 0x0200, DFCS_CHECKED = 0x0400,
                   DFCS_TRANSPARENT = 0x0800, DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000,
                   DFCS_MONO = 0x8000;

// Draws a check box, radio button or push button (DFC_BUTTON) or a scroll
// arrow button (DFC_SCROLL) filling Rect, in the State given by the DFCS_
// flags. False for a kind it does not draw.
bool DrawFrameControl(TCanvas* Canvas, TRect& Rect, unsigned Type, unsigned State);

// ---- System metrics --------------------------------------------------------------
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
              SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CYVTHUMB = 9,
              SM_CXHTHUMB = 10, SM_CXICON = 11, SM_CYICON = 12, SM_CXCURSOR = 13, SM_CYCURSOR = 14,
              SM_CYMENU = 15, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21, SM_SWAPBUTTON = 23, SM_CXFRAME = 32,
              SM_CYFRAME = 33, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXEDGE = 45, SM_CYEDGE = 46,
              SM_CXSMICON = 49, SM_CYSMICON = 50, SM_CXDRAG = 68, SM_CYDRAG = 69,
              SM_CXFIXEDFRAME = SM_CXDLGFRAME, SM_CYFIXEDFRAME = SM_CYDLGFRAME, SM_CXSIZEFRAME = SM_CXFRAME,
              SM_CYSIZEFRAME = SM_CYFRAME;

// Sizes of the classic window elements (fixed values, the screen's size for
// SM_CXSCREEN and SM_CYSCREEN); 0 for an unknown index.
int GetSystemMetrics(int Index);
// Milliseconds between the clicks of a double click.
unsigned GetDoubleClickTime();
