// The grid painted as a whole: the background (plain or the paint options'
// picture), the generic grid's cells, the focus-rectangle rule, the lines
// left out, the group headers over the titles, a column drag's marks and
// the footer with its cells.
#pragma once

#include "platform/ui/geometry.h"

class TCanvas;
class TqzCustomDBGrid;

class TqzGridPainter {
public:
    explicit TqzGridPainter(TqzCustomDBGrid& Grid) : G(Grid) {}
    TqzGridPainter(const TqzGridPainter&) = delete;
    TqzGridPainter& operator=(const TqzGridPainter&) = delete;

    void Paint();
    // After scrolling: the title row, the footer and the right edge strip.
    void InvalidateScrolledFrame();

private:
    // The generic grid's focus rectangle is taken away again where the
    // suite's rule draws none (row select, always-shown editor, an open
    // embedded control, an inactive link).
    bool FocusRectAllowed();
    void RemoveFocusRect();
    // Paints over the lines that HideAllLines, dgHideBottomDataLine and the
    // columns' row flags leave out.
    void HideGatedLines(TCanvas* C);
    void PaintGroupHeaders(TCanvas* C);
    void DrawFooterCell(TCanvas* C, const TRect& Footer, int ACol, int Left, int Width);

    TqzCustomDBGrid& G;
};
