// How the rich edit's frame shows: the text rectangle (inside an active
// frame's borders, a grid's one-pixel ring, or the page at the printer's
// width), the margins around it painted in the control's colour, the
// frame's non-focus colour (the control's own colour kept meanwhile) and
// the gutter repainted as the text scrolls.
#pragma once

#include "platform/ui/geometry.h"
#include "platform/ui/graphics.h"

class TCanvas;
class TqzCustomRichEdit;
class TqzRichEditHost;

class TqzRichFrameLook {
public:
    // Host: the edit's side for its collaborators (qzrichhost.h).
    TqzRichFrameLook(TqzCustomRichEdit* RichEdit, TqzRichEditHost* Host) : FRichEdit(RichEdit), FHost(Host) {}
    TqzRichFrameLook(const TqzRichFrameLook&) = delete;
    TqzRichFrameLook& operator=(const TqzRichFrameLook&) = delete;

    // Puts the text inside an active frame and makes the background
    // transparent while the edit IsTransparent and unfocused.
    void Apply();
    // The text rectangle was set (for a frame, a grid or the page).
    bool HasTextRect() const { return FFrameMargins; }
    // Where the text goes in the client area.
    TRect FormatRect() const;
    // The control's own colour while the non-focus colour is shown (clNone
    // otherwise).
    TColor SavedColor() const { return FSavedColor; }
    // An enabled frame's non-focus colour on an unfocused, opaque control.
    void ShowNonFocusColor();
    // The focus came: the own colour comes back. The focus went: the
    // non-focus colour shows.
    void Entered();
    void Exited();
    // The margins around the text in the control's colour.
    void PaintMargins(TCanvas* Canvas);
    // With an enabled frame and the focus: when the first visible character
    // or the line count changed, the gutter (x = 2 to the text's left edge)
    // is repainted when it is wider than 2 pixels.
    void SelectionChanged();

private:
    TqzCustomRichEdit* FRichEdit;
    TqzRichEditHost* FHost;
    TColor FSavedColor = clNone;
    bool FFrameMargins = false;  // the text rectangle was set for the frame
    TRect FTextRect;
    int FFirstVisible = -1;  // the first visible character and the line
    int FLinesSeen = -1;     // count the gutter was last painted for
};
