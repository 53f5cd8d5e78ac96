// TCustomGrid: painting the cells, the grid lines, the focus and the
// feedback of sizing and moving. Only the cells that show are visited.
#include <algorithm>

#include "platform/ui/drawing.h"
#include "platform/ui/grids.h"

namespace {
// Colour of the lines between scrolling cells.
TColor DataLineColor(TColor Background) { return ColorToRGB(Background) == clSilver ? clGray : clSilver; }
}  // namespace

TCustomGrid::TMirroredPaint::TMirroredPaint(TCustomGrid* Grid)
    : FGrid(Grid), FBefore(Grid->Canvas()->MirrorWidth()) {
    Grid->ChangeGridOrientation(Grid->UseRightToLeftAlignment());
}

TCustomGrid::TMirroredPaint::~TMirroredPaint() { FGrid->Canvas()->SetMirrorWidth(FBefore); }

void TCustomGrid::PaintCells(const TGridDrawInfo& DrawInfo, int ColFrom, int ColTo, int RowFrom, int RowTo,
                             int StartX, int StartY, bool FocusedGrid) {
    TCanvas* canvas = Canvas();
    const TGridRect sel = Selection();
    const bool drawFocusSelected = FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect);
    const bool edges = Ctl3D() && FOptions.Contains(goFixedVertLine) && FOptions.Contains(goFixedHorzLine);
    const int hExt = DrawInfo.Horz.GridExtent, vExt = DrawInfo.Vert.GridExtent;
    int y = StartY;
    for (int r = RowFrom; r <= RowTo && r < FRowCount && y < vExt; ++r) {
        const int h = RowHeights(r);
        if (h < 0) continue;
        int x = StartX;
        for (int c = ColFrom; c <= ColTo && c < FColCount && x < hExt; ++c) {
            const int w = ColWidths(c);
            if (w < 0) continue;
            const TRect where = Rect(x, y, std::min(x + w, hExt), std::min(y + h, vExt));
            TGridDrawState state;
            const bool fixed = c < FFixedCols || r < FFixedRows;
            if (fixed)
                state += gdFixed;
            else {
                if (PointInGridRect(c, r, sel)) state += gdSelected;
                if (FocusedGrid && c == FCurrent.X && r == FCurrent.Y) state += gdFocused;
            }
            if (FDefaultDrawing) {
                canvas->SetFont(Font());
                if (fixed) {
                    canvas->Brush()->SetColor(FFixedColor);
                } else if (state.Contains(gdSelected) && (!state.Contains(gdFocused) || drawFocusSelected)) {
                    canvas->Brush()->SetColor(clHighlight);
                    canvas->Font()->SetColor(clHighlightText);
                } else {
                    canvas->Brush()->SetColor(Color());
                }
                canvas->FillRect(where);
            }
            DrawCell(c, r, where, state);
            if (FDefaultDrawing && fixed && edges) {
                TRect e = where;
                DrawEdge(canvas, e, BDR_RAISEDINNER, BF_BOTTOMRIGHT);
                DrawEdge(canvas, e, BDR_RAISEDINNER, BF_TOPLEFT);
            }
            x += w + DrawInfo.Horz.EffectiveLineWidth;
        }
        y += h + DrawInfo.Vert.EffectiveLineWidth;
    }
}

void TCustomGrid::PaintLines(const TGridDrawInfo& DrawInfo) {
    TCanvas* canvas = Canvas();
    const TColor dataColor = DataLineColor(Color());
    const TGridAxisDrawInfo& ha = DrawInfo.Horz;
    const TGridAxisDrawInfo& va = DrawInfo.Vert;
    // Vertical lines: after each column shown, over the fixed rows and over
    // the scrolling rows.
    if (ha.EffectiveLineWidth > 0) {
        auto vline = [&](int x, int c) {
            const bool fixedCol = c < FFixedCols;
            const int lw = ha.EffectiveLineWidth;
            if (FOptions.Contains(goFixedVertLine) && va.FixedBoundary > 0) {
                canvas->Brush()->SetColor(clBlack);
                canvas->FillRect(
                    Rect(x, 0, std::min(x + lw, ha.GridExtent), std::min(va.FixedBoundary, va.GridBoundary)));
            }
            if (va.GridBoundary > va.FixedBoundary &&
                (fixedCol ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine))) {
                canvas->Brush()->SetColor(fixedCol ? clBlack : dataColor);
                canvas->FillRect(Rect(x, va.FixedBoundary, std::min(x + lw, ha.GridExtent), va.GridBoundary));
            }
        };
        int x = 0;
        for (int c = 0; c < FFixedCols && x < ha.GridExtent; ++c) {
            const int w = ColWidths(c);
            if (w < 0) continue;
            vline(x + w, c);
            x += w + ha.EffectiveLineWidth;
        }
        for (int c = FTopLeft.X; c < FColCount && x < ha.GridExtent; ++c) {
            const int w = ColWidths(c);
            if (w < 0) continue;
            vline(x + w, c);
            x += w + ha.EffectiveLineWidth;
        }
    }
    if (va.EffectiveLineWidth > 0) {
        auto hline = [&](int y, int r) {
            const bool fixedRow = r < FFixedRows;
            const int lw = va.EffectiveLineWidth;
            if (FOptions.Contains(goFixedHorzLine) && ha.FixedBoundary > 0) {
                canvas->Brush()->SetColor(clBlack);
                canvas->FillRect(
                    Rect(0, y, std::min(ha.FixedBoundary, ha.GridBoundary), std::min(y + lw, va.GridExtent)));
            }
            if (ha.GridBoundary > ha.FixedBoundary &&
                (fixedRow ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine))) {
                canvas->Brush()->SetColor(fixedRow ? clBlack : dataColor);
                canvas->FillRect(Rect(ha.FixedBoundary, y, ha.GridBoundary, std::min(y + lw, va.GridExtent)));
            }
        };
        int y = 0;
        for (int r = 0; r < FFixedRows && y < va.GridExtent; ++r) {
            const int h = RowHeights(r);
            if (h < 0) continue;
            hline(y + h, r);
            y += h + va.EffectiveLineWidth;
        }
        for (int r = FTopLeft.Y; r < FRowCount && y < va.GridExtent; ++r) {
            const int h = RowHeights(r);
            if (h < 0) continue;
            hline(y + h, r);
            y += h + va.EffectiveLineWidth;
        }
    }
}

void TCustomGrid::Paint() {
    TCanvas* canvas = Canvas();
    const TMirroredPaint mirror(this);
    TGridDrawInfo di;
    CalcDrawInfo(di);
    const bool focused = IsActiveControl();
    const int fixedX = di.Horz.FixedBoundary, fixedY = di.Vert.FixedBoundary;

    PaintCells(di, 0, FFixedCols - 1, 0, FFixedRows - 1, 0, 0, focused);
    PaintCells(di, FTopLeft.X, FColCount - 1, 0, FFixedRows - 1, fixedX, 0, focused);
    PaintCells(di, 0, FFixedCols - 1, FTopLeft.Y, FRowCount - 1, 0, fixedY, focused);
    PaintCells(di, FTopLeft.X, FColCount - 1, FTopLeft.Y, FRowCount - 1, fixedX, fixedY, focused);
    PaintLines(di);

    // What lies beyond the last cells.
    canvas->Brush()->SetColor(Color());
    if (di.Horz.GridBoundary < di.Horz.GridExtent)
        canvas->FillRect(Rect(di.Horz.GridBoundary, 0, di.Horz.GridExtent, di.Vert.GridExtent));
    if (di.Vert.GridBoundary < di.Vert.GridExtent)
        canvas->FillRect(Rect(0, di.Vert.GridBoundary, di.Horz.GridBoundary, di.Vert.GridExtent));

    // The focus of the current cell (or row).
    const bool editorShows = FInplaceEdit && FInplaceEdit->Visible();
    if (focused && FDefaultDrawing && !editorShows && !ComponentState().Contains(csDesigning)) {
        TRect r = FOptions.Contains(goRowSelect) ? BoxRect(FFixedCols, FCurrent.Y, FColCount - 1, FCurrent.Y)
                                                 : CellRect(FCurrent.X, FCurrent.Y);
        if (!IsRectEmpty(r)) {
            canvas->Brush()->SetColor(Color());
            canvas->Font()->SetColor(Font()->Color());
            canvas->DrawFocusRect(r);
        }
    }

    if (FGridState == gsColSizing || FGridState == gsRowSizing) DrawSizingLine(di);
    if ((FGridState == gsColMoving || FGridState == gsRowMoving) && FMoveDrawn) DrawMove();
}

void TCustomGrid::DrawSizingLine(const TGridDrawInfo& DrawInfo) {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(clBlack);
    if (FGridState == gsColSizing)
        canvas->FillRect(Rect(FSizingPos, 0, FSizingPos + 1, DrawInfo.Vert.GridBoundary));
    else
        canvas->FillRect(Rect(0, FSizingPos, DrawInfo.Horz.GridBoundary, FSizingPos + 1));
}

void TCustomGrid::DrawMove() {
    TCanvas* canvas = Canvas();
    TGridDrawInfo di;
    CalcDrawInfo(di);
    canvas->Brush()->SetColor(clBlack);
    if (FGridState == gsColMoving) {
        const TRect r = CellRect(FMovePos, 0);
        if (IsRectEmpty(r)) return;
        const int x = FMovePos < FMoveIndex ? r.Left : r.Right;
        canvas->FillRect(Rect(std::max(0, x - 1), 0, x + 1, di.Vert.GridBoundary));
    } else {
        const TRect r = CellRect(0, FMovePos);
        if (IsRectEmpty(r)) return;
        const int y = FMovePos < FMoveIndex ? r.Top : r.Bottom;
        canvas->FillRect(Rect(0, std::max(0, y - 1), di.Horz.GridBoundary, y + 1));
    }
}
