// The grid painted as a whole: the background (plain or the paint options'
// picture), the generic grid's cells, the focus-rectangle rule, the lines
// left out, the group headers over the titles, a column drag's marks and
// the footer with its cells.
#pragma once

#include "platform/ui/geometry.h"
#include "suite/grid/qzgridtypes.h"

class TCanvas;
class TqzGridPainterHost;
class TqzGridTitles;

class TqzGridPainter {
public:
    // Group headers are drawn with Titles' backgrounds.
    TqzGridPainter(TqzGridPainterHost& Host, TqzGridTitles& Titles);
    TqzGridPainter(const TqzGridPainter&) = delete;
    TqzGridPainter& operator=(const TqzGridPainter&) = delete;

    // Before the generic grid's cells: the background (plain or the paint
    // options' picture) and, without data, the title row's colour.
    void PaintBackground(TCanvas* C);
    // After them: the focus rule (GenericFocus: the focus rectangle the
    // generic grid drew, empty for none), the lines left out, the group headers.
    void PaintOverCells(TCanvas* C, const TRect& GenericFocus);
    // The footer with its cells (with dgShowFooter).
    void PaintFooter(TCanvas* C);
    // Fired for every footer cell (the grid's OnDrawFooterCell).
    TqzDrawFooterCellEvent OnDrawFooterCell() const { return FOnDrawFooterCell; }
    void SetOnDrawFooterCell(TqzDrawFooterCellEvent Value) { FOnDrawFooterCell = Value; }

private:
    // The generic grid's focus rectangle is taken away again where the
    // suite's rule draws none (row select, always-shown editor, an open
    // embedded control, an inactive link).
    bool FocusRectAllowed();
    void RemoveFocusRect(const TRect& GenericFocus);
    // Paints over the lines that HideAllLines, dgHideBottomDataLine and the
    // columns' row flags leave out.
    void HideGatedLines(TCanvas* C);
    void PaintGroupHeaders(TCanvas* C);
    void DrawFooterCell(TCanvas* C, const TRect& Footer, int ACol, int Left, int Width);

    TqzGridPainterHost& H;
    TqzGridTitles& FTitles;
    TqzDrawFooterCellEvent FOnDrawFooterCell;
};
