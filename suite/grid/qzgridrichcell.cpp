// Painting a rich edit's copy into a grid cell, and noting the time of a click on one.
#include "suite/grid/qzgridrichcell.h"

#include <algorithm>

#include "platform/core/clock.h"
#include "suite/richtext/qzdbrichedit.h"

bool qzPaintRichEditCell(TWinControl* Control, TCanvas* Canvas, const TRect& Rect) {
    auto* rich = dynamic_cast<TqzDBRichEdit*>(Control);
    if (!rich || !Canvas) return false;
    rich->PaintGridCopy(Canvas, Rect);
    return true;
}

void qzNoteRichEditGridClick(TWinControl* Control) {
    if (auto* rich = dynamic_cast<TqzDBRichEdit*>(Control))
        rich->SetGridClickTime(std::max<uint32_t>(1, GetTickCount()));
}
