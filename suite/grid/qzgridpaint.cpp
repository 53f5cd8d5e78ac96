// The grid as a whole: background, cells, focus, footer, the redraw lock
// and the wheel.
#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/messages.h"
#include "suite/grid/qzbitmap.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"
#include "suite/grid/qzgridpaint.h"

int TqzCustomDBGrid::FooterAreaHeight() {
    if (!FImpl->Options.Contains(dgShowFooter)) return 0;
    int h = FImpl->FooterHeight;
    if (h == 0) {
        TCanvas* c = MeasureCanvas();
        h = c->TextHeight("W") + 6;
    }
    if (FImpl->Options.Contains(dgFooter3DCells)) h += 2;
    FImpl->FooterPixels = h;
    return h;
}

void TqzCustomDBGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo) const {
    const TRect r = ClientRect();
    const int footer = FImpl->Options.Contains(dgShowFooter) ? FImpl->FooterPixels : 0;
    CalcDrawInfoXY(DrawInfo, r.Width(), std::max(0, r.Height() - footer));
}

TRect TqzCustomDBGrid::FooterRect() {
    const int h = FooterAreaHeight();
    const TRect c = ClientRect();
    return Rect(0, c.Bottom - h, c.Right, c.Bottom);
}

void TqzCustomDBGrid::BeginPaintLock() {
    if (FImpl->PaintLock++ == 0 && HandleAllocated() && Showing()) Perform(WM_SETREDRAW, 0, 0);
}

void TqzCustomDBGrid::EndPaintLock(bool Repaint) {
    if (FImpl->PaintLock == 0) return;
    if (--FImpl->PaintLock > 0) return;
    if (HandleAllocated() && Showing()) Perform(WM_SETREDRAW, 1, 0);
    if (Repaint) Invalidate();
}

void TqzCustomDBGrid::Paint() { FImpl->Painter.Paint(); }

void TqzGridPainter::Paint() {
    TCanvas* C = G.Canvas();
    const int footerBefore = G.FImpl->FooterPixels;
    G.FooterAreaHeight();
    // A footer that changed height moves the data area: lay out again.
    if (G.FImpl->FooterPixels != footerBefore && G.FImpl->Options.Contains(dgShowFooter)) G.UpdateRowCount();
    if (G.FImpl->PaintOptions->Changed() && G.FImpl->PaintOptions->BackgroundBitmap() &&
        G.FImpl->PaintOptions->BackgroundBitmap()->Graphic())
        G.FImpl->PaintOptions->PrepareBackground(false);
    const TRect client = G.ClientRect();
    if (G.FImpl->PaintOptions->FillsDataCells()) {
        C->CopyRect(client, G.FImpl->PaintOptions->BackgroundCanvas(), client);
    } else {
        C->Brush()->SetColor(G.Color());
        C->FillRect(client);
    }
    if (!G.FImpl->DataLink->Active()) {
        C->Brush()->SetColor(G.FImpl->TitleColor);
        if (G.FImpl->TitleOffset > 0) C->FillRect(Rect(0, 0, client.Right, G.RowHeights(0)));
    }
    G.FImpl->OnBeforePaint(&G);
    G.TCustomGrid::Paint();
    RemoveFocusRect();
    HideGatedLines(C);
    PaintGroupHeaders(C);
    G.FImpl->Drag.Paint(C);
    if (!G.FImpl->Options.Contains(dgShowFooter)) return;
    const TRect footer = G.FooterRect();
    C->Brush()->SetColor(G.FImpl->FooterColor);
    C->FillRect(footer);
    if (G.FImpl->LineStyle == glsSingle) {
        C->Brush()->SetColor(G.FImpl->LineColors->FixedColor());
        C->FillRect(Rect(footer.Left, footer.Top, footer.Right, footer.Top + 1));
    } else if (G.FImpl->LineStyle == gls3D) {
        C->Brush()->SetColor(G.FImpl->LineColors->ShadowColor());
        C->FillRect(Rect(footer.Left, footer.Top, footer.Right, footer.Top + 1));
        C->Brush()->SetColor(G.FImpl->LineColors->HighlightColor());
        C->FillRect(Rect(footer.Left, footer.Top + 1, footer.Right, footer.Top + 2));
    }
    if (!G.FImpl->DataLink->Active()) return;
    TGridDrawInfo di;
    G.CalcDrawInfo(di);
    const int line = di.Horz.EffectiveLineWidth;
    int x = 0;
    for (int c = 0; c < G.FixedCols(); ++c) {
        if (c >= G.FImpl->IndicatorOffset) DrawFooterCell(C, footer, c, x, G.ColWidths(c));
        x += G.ColWidths(c) + line;
    }
    for (int c = G.LeftCol(); c < G.ColCount() && x < client.Right; ++c) {
        DrawFooterCell(C, footer, c, x, G.ColWidths(c));
        x += G.ColWidths(c) + line;
    }
}

bool TqzGridPainter::FocusRectAllowed() {
    if (!G.FImpl->DataLink->Active() || G.FImpl->Options.Contains(dgAlwaysShowEditor) ||
        G.FImpl->Options.Contains(dgRowSelect))
        return false;
    // An open embedded control shows the cell itself.
    TWinControl* control = nullptr;
    if (G.GetCustomControlForCell(G.Col(), G.Row(), control) && control && control->Visible() &&
        control->Parent() == &G)
        return false;
    if (G.Col() < G.FixedCols()) return G.FImpl->Options.Contains(dgFixedEditable);
    return !IsRectEmpty(G.CellRect(G.Col(), G.Row()));
}

void TqzGridPainter::RemoveFocusRect() {
    // The generic grid drew its focus rectangle (an exclusive-or pattern)
    // under these conditions; the same pattern again takes it away.
    const bool editorShows = G.InplaceEditor() && G.InplaceEditor()->Visible();
    if (!G.IsActiveControl() || !G.DefaultDrawing() || editorShows ||
        G.ComponentState().Contains(csDesigning))
        return;
    if (FocusRectAllowed()) return;
    const TRect r = G.FImpl->Options.Contains(dgRowSelect)
                        ? G.BoxRect(G.FixedCols(), G.Row(), G.ColCount() - 1, G.Row())
                        : G.CellRect(G.Col(), G.Row());
    if (IsRectEmpty(r)) return;
    G.Canvas()->DrawFocusRect(r);
}

void TqzGridPainter::InvalidateScrolledFrame() {
    if (!G.HandleAllocated()) return;
    if (G.FImpl->TitleOffset > 0) G.InvalidateRow(0);
    // The footer and the one-pixel strip at the data area's right edge lie
    // outside the cells: the window is invalidated for them.
    G.Invalidate();
}

void TqzGridPainter::HideGatedLines(TCanvas* C) {
    TGridDrawInfo di;
    G.CalcDrawInfo(di);
    const int hw = di.Horz.EffectiveLineWidth, vw = di.Vert.EffectiveLineWidth;
    if (hw == 0 && vw == 0) return;
    const bool none = G.FImpl->HideAllLines || !G.FImpl->DataLink->Active();
    const int lastRow = G.FImpl->TitleOffset + G.FImpl->DataLink->RecordCount() - 1;
    auto fill = [&](const TRect& R, bool Fixed) {
        C->Brush()->SetColor(Fixed ? G.FImpl->TitleColor : G.Color());
        C->FillRect(R);
    };
    for (int c = 0; c < G.ColCount(); ++c) {
        if (c >= G.FixedCols() && c < G.LeftCol()) continue;
        TqzColumn* column = c >= G.FImpl->IndicatorOffset ? G.Columns(c - G.FImpl->IndicatorOffset) : nullptr;
        for (int r = 0; r < G.RowCount(); ++r) {
            if (r >= G.FixedRows() && r < G.TopRow()) continue;
            const TRect cell = G.CellRect(c, r);
            if (IsRectEmpty(cell)) continue;
            const bool fixed = c < G.FixedCols() || r < G.FixedRows();
            const int dataRow = r - G.FImpl->TitleOffset;
            bool under = none;
            // The line under the last data row, and under a flagged row of the column.
            if (!under && G.FImpl->Options.Contains(dgHideBottomDataLine) && r == lastRow) under = true;
            if (!under && column && dataRow >= 0 && dataRow < 256 &&
                dataRow < static_cast<int>(column->RowFlags().size()) && (column->RowFlags()[dataRow] & 1))
                under = true;
            if (under && vw > 0) fill(Rect(cell.Left, cell.Bottom, cell.Right + hw, cell.Bottom + vw), fixed);
            if (none && hw > 0) fill(Rect(cell.Right, cell.Top, cell.Right + hw, cell.Bottom + vw), fixed);
        }
    }
}

void TqzGridPainter::PaintGroupHeaders(TCanvas* C) {
    if (!G.FImpl->DataLink->Active() || G.FImpl->TitleOffset == 0) return;
    // Over the grid lines: one header across the columns of a group.
    for (int c = std::max(G.FImpl->IndicatorOffset, G.LeftCol()); c < G.ColCount(); ++c) {
        const TRect span = G.GroupHeaderRect(c);
        if (IsRectEmpty(span) || span.Left != G.CellRect(c, 0).Left) continue;
        TqzColumn* column = G.Columns(c - G.FImpl->IndicatorOffset);
        C->Font()->Assign(G.FImpl->TitleFont.get());
        C->Brush()->SetColor(G.FImpl->TitleColor);
        const TRect inner = Rect(span.Left, span.Top, span.Right, span.Bottom - 1);
        if (G.TitlesThemed())
            G.FImpl->Titles.DrawBackground(C, inner, c, true, false);
        else
            C->FillRect(inner);
        bool defaultDrawing = true;
        {
            TCanvasClip clip(C, inner);
            G.DoDrawGroupHeaderCell(C, column->GroupName(), inner, defaultDrawing);
        }
        if (defaultDrawing) {
            C->Font()->Assign(G.FImpl->TitleFont.get());
            G.WriteCellText(C, inner, 2, 2, taCenter, TqzCustomDBGrid::wctTitle | TqzCustomDBGrid::wctNoFill,
                            column->GroupName());
        }
        C->Brush()->SetColor(G.FImpl->LineColors->FixedColor());
        C->FillRect(Rect(span.Left, span.Bottom - 1, span.Right, span.Bottom));
    }
}

void TqzGridPainter::DrawFooterCell(TCanvas* C, const TRect& Footer, int ACol, int Left, int Width) {
    TqzColumn* column = G.Columns(ACol - G.FImpl->IndicatorOffset);
    TField* field = G.GetColField(ACol - G.FImpl->IndicatorOffset);
    std::string text = column ? column->FooterValue() : std::string();
    bool defaultDrawing = true;
    C->Brush()->SetColor(G.FImpl->FooterCellColor);
    C->Font()->Assign(G.Font());
    TRect r = Rect(Left, Footer.Top + 2, Left + Width, Footer.Bottom - 2);
    G.FImpl->OnDrawFooterCell(&G, C, r, field, text, defaultDrawing);
    if (!defaultDrawing || text.empty()) return;
    r.Top = Footer.Top + 1;
    r.Bottom = Footer.Bottom - 1;
    r.Left -= 1;
    if (ACol == G.ColCount() - 1 && r.Right + 1 <= G.ClientWidth()) r.Right += 1;
    C->FillRect(r);
    // The frame: light along the left and top, dark along the bottom and right.
    auto hline = [&](int x1, int x2, int y, TColor c) {
        C->Brush()->SetColor(c);
        C->FillRect(Rect(x1, y, x2, y + 1));
    };
    auto vline = [&](int x, int y1, int y2, TColor c) {
        C->Brush()->SetColor(c);
        C->FillRect(Rect(x, y1, x + 1, y2));
    };
    vline(r.Left + 1, r.Top + 1, r.Bottom - 1, G.FImpl->LineColors->FixedColor());
    hline(r.Left + 1, r.Right - 1, r.Top + 1, G.FImpl->LineColors->FixedColor());
    if (G.FImpl->Options.Contains(dgFooter3DCells)) {
        vline(r.Left + 2, r.Top + 2, r.Bottom - 2, clBlack);
        hline(r.Left + 2, r.Right - 2, r.Top + 2, clBlack);
        hline(r.Left + 1, r.Right - 1, r.Bottom - 1, G.FImpl->LineColors->HighlightColor());
        vline(r.Right - 1, r.Top + 1, r.Bottom, G.FImpl->LineColors->HighlightColor());
        hline(r.Left + 3, r.Right - 3, r.Bottom - 3, clBtnFace);
        vline(r.Right - 3, r.Top + 3, r.Bottom - 3, clBtnFace);
    } else {
        hline(r.Left + 1, r.Right - 1, r.Bottom - 1, G.FImpl->LineColors->HighlightColor());
        vline(r.Right - 1, r.Top + 1, r.Bottom, G.FImpl->LineColors->HighlightColor());
    }
    const TAlignment align = field ? field->Alignment() : taLeftJustify;
    TRect t = Rect(r.Left + 5, r.Top + (r.Height() - C->TextHeight("A")) / 2, Left + Width - 7, r.Bottom);
    if (t.Right <= t.Left) return;
    TCanvasClip clip(C, t);
    unsigned fmt = DT_SINGLELINE | DT_NOPREFIX;
    if (align == taRightJustify) fmt |= DT_RIGHT;
    if (align == taCenter) fmt |= DT_CENTER;
    C->Brush()->SetStyle(bsClear);
    DrawText(C, text, t, fmt);
    C->Brush()->SetStyle(bsSolid);
}

bool TqzCustomDBGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (DataSetActive()) FImpl->DataLink->DataSet()->Next();
    return true;
}

bool TqzCustomDBGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (DataSetActive()) FImpl->DataLink->DataSet()->Prior();
    return true;
}
