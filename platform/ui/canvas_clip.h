// Keeps a canvas's drawing inside a rectangle for a while.
#pragma once

#include "platform/ui/geometry.h"

class TCanvas;

// While it lives, the canvas draws only inside Rect (and inside any clip it
// already had); the previous clip comes back when it ends.
class TCanvasClip {
public:
    TCanvasClip(TCanvas* Canvas, const TRect& Rect);
    ~TCanvasClip();
    TCanvasClip(const TCanvasClip&) = delete;
    TCanvasClip& operator=(const TCanvasClip&) = delete;

private:
    TCanvas* FCanvas;
    bool FWasClipped = false;
    TRect FOldClip;
};
