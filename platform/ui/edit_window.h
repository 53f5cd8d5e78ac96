// Services of an edit's window (one-line, multi-line or rich): where its
// text goes inside the client area, a transparent background, and hiding
// its caret. Each acts on the window as it
// is now and asks for no repaint of its own; a window made again starts
// without them, so the control sets them again when it is created.
#pragma once

#include "platform/ui/geometry.h"

class TCustomEdit;

// The text rectangle in client coordinates (EM_SETRECTNP): the text keeps
// Rect.Left and Rect.Top from the client's edges and ends where Rect ends.
void SetEditTextRect(TCustomEdit* Edit, const TRect& Rect);
// The left and right text margins (EM_SETMARGINS); the top and bottom stay.
void SetEditMargins(TCustomEdit* Edit, int Left, int Right);
// While OwnerPaints, the edit's own drawing over its window (PaintOverWidget)
// is the whole look: the text area of a multi-line window is hidden (a line
// edit is drawn over whole anyway). Set it before the paint it is for.
void SetEditOwnerPaint(TCustomEdit* Edit, bool OwnerPaints);
// A multi-line window (plain or rich) fills no background while Transparent:
// what lies behind it shows around the text.
void SetEditTransparent(TCustomEdit* Edit, bool Transparent);
// Hides (or shows again) the caret of the edit's window.
void SetEditCaretHidden(TCustomEdit* Edit, bool Hidden);
// While WholeCopy, a copy painted for another record (csPaintCopy, through
// TWinControl::PaintTo) is the edit's own drawing alone, focused or not: the
// window's text area, which shows the edit's own text and selection, is left
// out; child controls are painted.
void SetEditWholeCopy(TCustomEdit* Edit, bool WholeCopy);
// The window property PaintTo reads for it.
inline constexpr const char* kEditWholeCopyProperty = "taskmoorWholeCopy";
