#include "suite/grid/qzgridrichcell.h"

#include "suite/richtext/qzdbrichedit.h"

bool qzPaintRichEditCell(TWinControl* Control, TCanvas* Canvas, const TRect& Rect) {
    auto* rich = dynamic_cast<TqzDBRichEdit*>(Control);
    if (!rich || !Canvas) return false;
    rich->PaintGridCopy(Canvas, Rect);
    return true;
}
