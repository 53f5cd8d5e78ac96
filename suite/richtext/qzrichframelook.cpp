// The text rectangle for each frame look, colours on focus change, and the margins
// painted around the text.
#include "suite/richtext/qzrichframelook.h"

#include "platform/ui/edit_window.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzdraw.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichhost.h"
#include "suite/richtext/qzrichprint.h"

void TqzRichFrameLook::Apply() {
    TqzCustomRichEdit* r = FRichEdit;
    if (!r->HandleAllocated()) return;
    TqzEditFrame* frame = r->Frame();
    const int gutter = r->GutterWidth();
    const TRect c = r->ClientRect();
    const TRect printer =
        r->UsesPrinterWidth() && !FHost->IsPaintCopy() ? r->Printing()->PrinterFormatRect() : TRect{};
    r->SetLineWidth(IsRectEmpty(printer) ? 0 : printer.Right - printer.Left);
    if (!IsRectEmpty(printer)) {
        // the page's width and height, past the window where it is smaller
        FTextRect = printer;
        SetEditTextRect(r, FTextRect);
        FFrameMargins = true;
    } else if (qzEditFrameIsActive(frame)) {
        TqzFrameTextOffsets o;
        qzGetFrameTextOffsets(frame, o);
        // inside the borders on every side the frame may draw
        const int left = std::max(o.Left, gutter + o.Left - 2);
        FTextRect = Rect(left, o.Top, c.Right - std::max(2, -o.Right), c.Bottom - 2);
        SetEditTextRect(r, FTextRect);
        FFrameMargins = true;
    } else if (qzIsInGrid(r) && !FHost->IsPaintCopy()) {
        // a ring of one pixel for the grid's highlight border
        FTextRect = Rect(std::max(1, gutter - 1), 1, c.Right - 1, c.Bottom - 1);
        SetEditTextRect(r, FTextRect);
        FFrameMargins = true;
    } else if (!FHost->IsPaintCopy()) {
        // without a frame: two pixels at the top and right, the text from
        // GutterWidth - 2 (never left of the window), down to the control's
        // height less 2
        FTextRect = Rect(std::max(0, gutter - 2), 2, std::max(0, c.Right - 4),
                         std::min(c.Bottom, std::max(2, r->Height() - 2)));
        SetEditTextRect(r, FTextRect);
        FFrameMargins = true;
    } else if (FFrameMargins) {
        SetEditTextRect(r, c);
        FFrameMargins = false;
    }
    SetEditTransparent(r, r->IsTransparent() && !r->Focused() && !FHost->IsPaintCopy());
    r->Invalidate();
}

TRect TqzRichFrameLook::FormatRect() const { return FFrameMargins ? FTextRect : FRichEdit->ClientRect(); }

void TqzRichFrameLook::ShowNonFocusColor() {
    TqzCustomRichEdit* r = FRichEdit;
    TqzEditFrame* frame = r->Frame();
    if (frame->Enabled() && !r->Focused() && !r->IsTransparent() && !FHost->IsPaintCopy() &&
        !qzIsDesigning(r) && frame->NonFocusColor() != clNone) {
        if (FSavedColor == clNone) FSavedColor = r->Color();
        r->SetColor(frame->NonFocusColor());
    }
}

void TqzRichFrameLook::Entered() {
    TqzCustomRichEdit* r = FRichEdit;
    TqzEditFrame* frame = r->Frame();
    if (frame->Enabled() && !r->IsTransparent() && !FHost->IsPaintCopy() && !qzIsDesigning(r) &&
        FSavedColor != clNone && frame->NonFocusColor() != clNone) {
        r->SetColor(FSavedColor);
        FSavedColor = clNone;
    }
}

void TqzRichFrameLook::Exited() {
    TqzCustomRichEdit* r = FRichEdit;
    TqzEditFrame* frame = r->Frame();
    if (frame->Enabled() && frame->NonFocusColor() != clNone && !FHost->IsPaintCopy() && !qzIsDesigning(r)) {
        if (FSavedColor == clNone) FSavedColor = r->Color();
        r->SetColor(frame->NonFocusColor());
    }
}

void TqzRichFrameLook::PaintMargins(TCanvas* Canvas) {
    TqzCustomRichEdit* r = FRichEdit;
    if (!FFrameMargins || (r->IsTransparent() && !r->Focused())) return;
    const TRect c = r->ClientRect(), t = FTextRect;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(r->Color());
    for (const TRect& strip :
         {Rect(c.Left, c.Top, c.Right, t.Top), Rect(c.Left, t.Bottom, c.Right, c.Bottom),
          Rect(c.Left, t.Top, t.Left, t.Bottom), Rect(t.Right, t.Top, c.Right, t.Bottom)})
        if (!IsRectEmpty(strip)) Canvas->FillRect(strip);
}

void TqzRichFrameLook::SelectionChanged() {
    TqzCustomRichEdit* r = FRichEdit;
    if (!r->Frame()->Enabled() || !r->Focused() || !r->HandleAllocated()) return;
    const TRect f = FormatRect();
    const int first = r->CharFromPos(TPoint{f.Left + 1, f.Top + 1});
    const int lines = r->LineCount();
    if (first == FFirstVisible && lines == FLinesSeen) return;
    FFirstVisible = first;
    FLinesSeen = lines;
    const TRect gutter = Rect(2, 0, f.Left, r->ClientHeight());
    if (gutter.Right - gutter.Left > 2) InvalidateRect(r, &gutter, true);
}
