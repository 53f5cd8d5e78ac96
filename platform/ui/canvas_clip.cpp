// Saving the canvas's painter state, clipping to the rectangle and restoring it.
#include "platform/ui/canvas_clip.h"

#include "platform/ui/graphics.h"
#include "platform/ui/qt_host.h"

TCanvasClip::TCanvasClip(TCanvas* Canvas, const TRect& Rect) : FCanvas(Canvas) {
    if (!FCanvas) return;
    FCanvas->HandleNeeded();  // bind first: binding sets the clip of the paint
    TCanvasImpl* impl = FCanvas->Impl();
    FWasClipped = impl->Clipped;
    FOldClip = FromQRect(impl->Clip);
    TRect clip = Rect;
    if (IsRectEmpty(clip)) clip = {};
    if (FWasClipped && !IntersectRect(clip, clip, FOldClip)) clip = {};
    impl->Clip = ToQRect(clip);
    impl->Clipped = true;
}

TCanvasClip::~TCanvasClip() {
    if (!FCanvas) return;
    TCanvasImpl* impl = FCanvas->Impl();
    impl->Clipped = FWasClipped;
    impl->Clip = ToQRect(FOldClip);
}
