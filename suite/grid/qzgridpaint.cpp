// The grid's painter (see qzgridpaint.h).
#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/messages.h"
#include "suite/grid/qzbitmap.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzgridpaint.h"
#include "suite/grid/qzgridtitle.h"
#include "suite/grid/qzpaintoptions.h"

TqzGridPainter::TqzGridPainter(TqzGridPainterHost& Host, TqzGridTitles& Titles) : H(Host), FTitles(Titles) {}

void TqzGridPainter::PaintBackground(TCanvas* C) {
    if (H.PaintOptions()->Changed() && H.PaintOptions()->BackgroundBitmap() &&
        H.PaintOptions()->BackgroundBitmap()->Graphic())
        H.PaintOptions()->PrepareBackground(false);
    const TRect client = H.ClientRect();
    if (H.PaintOptions()->FillsDataCells()) {
        C->CopyRect(client, H.PaintOptions()->BackgroundCanvas(), client);
    } else {
        C->Brush()->SetColor(H.Color());
        C->FillRect(client);
    }
    if (!H.DataLinkActive()) {
        C->Brush()->SetColor(H.TitleColor());
        if (H.TitleOffset() > 0) C->FillRect(Rect(0, 0, client.Right, H.RowHeights(0)));
    }
}

void TqzGridPainter::PaintOverCells(TCanvas* C, const TRect& GenericFocus) {
    RemoveFocusRect(GenericFocus);
    HideGatedLines(C);
    PaintGroupHeaders(C);
}

void TqzGridPainter::PaintFooter(TCanvas* C) {
    if (!H.GridOptions().Contains(dgShowFooter)) return;
    const TRect client = H.ClientRect();
    const TRect footer = H.FooterRect();
    C->Brush()->SetColor(H.FooterColor());
    C->FillRect(footer);
    if (H.LineStyle() == glsSingle) {
        C->Brush()->SetColor(H.LineColors()->FixedColor());
        C->FillRect(Rect(footer.Left, footer.Top, footer.Right, footer.Top + 1));
    } else if (H.LineStyle() == gls3D) {
        C->Brush()->SetColor(H.LineColors()->ShadowColor());
        C->FillRect(Rect(footer.Left, footer.Top, footer.Right, footer.Top + 1));
        C->Brush()->SetColor(H.LineColors()->HighlightColor());
        C->FillRect(Rect(footer.Left, footer.Top + 1, footer.Right, footer.Top + 2));
    }
    if (!H.DataLinkActive()) return;
    TGridDrawInfo di;
    H.CalcDrawInfo(di);
    const int line = di.Horz.EffectiveLineWidth;
    int x = 0;
    for (int c = 0; c < H.FixedCols(); ++c) {
        if (c >= H.IndicatorOffset()) DrawFooterCell(C, footer, c, x, H.ColWidths(c));
        x += H.ColWidths(c) + line;
    }
    for (int c = H.LeftCol(); c < H.ColCount() && x < client.Right; ++c) {
        DrawFooterCell(C, footer, c, x, H.ColWidths(c));
        x += H.ColWidths(c) + line;
    }
}

bool TqzGridPainter::FocusRectAllowed() {
    if (!H.DataLinkActive() || H.GridOptions().Contains(dgAlwaysShowEditor) ||
        H.GridOptions().Contains(dgRowSelect))
        return false;
    // An open embedded control shows the cell itself.
    TWinControl* control = nullptr;
    if (H.GetCustomControlForCell(H.Col(), H.Row(), control) && control && control->Visible() &&
        H.IsGridChild(control))
        return false;
    if (H.Col() < H.FixedCols()) return H.GridOptions().Contains(dgFixedEditable);
    return !IsRectEmpty(H.CellRect(H.Col(), H.Row()));
}

void TqzGridPainter::RemoveFocusRect(const TRect& GenericFocus) {
    // The same exclusive-or pattern again takes the generic grid's away.
    if (IsRectEmpty(GenericFocus) || FocusRectAllowed()) return;
    const TRect& r = GenericFocus;
    H.Canvas()->DrawFocusRect(r);
}

void TqzGridPainter::HideGatedLines(TCanvas* C) {
    TGridDrawInfo di;
    H.CalcDrawInfo(di);
    const int hw = di.Horz.EffectiveLineWidth, vw = di.Vert.EffectiveLineWidth;
    if (hw == 0 && vw == 0) return;
    const bool none = H.HideAllLines() || !H.DataLinkActive();
    const int lastRow = H.TitleOffset() + H.DataLinkRecordCount() - 1;
    auto fill = [&](const TRect& R, bool Fixed) {
        C->Brush()->SetColor(Fixed ? H.TitleColor() : H.Color());
        C->FillRect(R);
    };
    for (int c = 0; c < H.ColCount(); ++c) {
        if (c >= H.FixedCols() && c < H.LeftCol()) continue;
        TqzColumn* column = c >= H.IndicatorOffset() ? H.Columns(c - H.IndicatorOffset()) : nullptr;
        for (int r = 0; r < H.RowCount(); ++r) {
            if (r >= H.FixedRows() && r < H.TopRow()) continue;
            const TRect cell = H.CellRect(c, r);
            if (IsRectEmpty(cell)) continue;
            const bool fixed = c < H.FixedCols() || r < H.FixedRows();
            const int dataRow = r - H.TitleOffset();
            bool under = none;
            // The line under the last data row, and under a flagged row of the column.
            if (!under && H.GridOptions().Contains(dgHideBottomDataLine) && r == lastRow) under = true;
            if (!under && column && dataRow >= 0 && dataRow < 256 &&
                dataRow < static_cast<int>(column->RowFlags().size()) && (column->RowFlags()[dataRow] & 1))
                under = true;
            if (under && vw > 0) fill(Rect(cell.Left, cell.Bottom, cell.Right + hw, cell.Bottom + vw), fixed);
            if (none && hw > 0) fill(Rect(cell.Right, cell.Top, cell.Right + hw, cell.Bottom + vw), fixed);
        }
    }
}

void TqzGridPainter::PaintGroupHeaders(TCanvas* C) {
    if (!H.DataLinkActive() || H.TitleOffset() == 0) return;
    // Over the grid lines: one header across the columns of a group.
    for (int c = std::max(H.IndicatorOffset(), H.LeftCol()); c < H.ColCount(); ++c) {
        const TRect span = H.GroupHeaderRect(c);
        if (IsRectEmpty(span) || span.Left != H.CellRect(c, 0).Left) continue;
        TqzColumn* column = H.Columns(c - H.IndicatorOffset());
        C->Font()->Assign(H.TitleFont());
        C->Brush()->SetColor(H.TitleColor());
        const TRect inner = Rect(span.Left, span.Top, span.Right, span.Bottom - 1);
        if (FTitles.Themed())
            FTitles.DrawBackground(C, inner, c, true, false);
        else
            C->FillRect(inner);
        bool defaultDrawing = true;
        {
            TCanvasClip clip(C, inner);
            H.DoDrawGroupHeaderCell(C, column->GroupName(), inner, defaultDrawing);
        }
        if (defaultDrawing) {
            C->Font()->Assign(H.TitleFont());
            H.WriteCellText(C, inner, 2, 2, taCenter,
                            TqzGridPainterHost::wctTitle | TqzGridPainterHost::wctNoFill,
                            column->GroupName());
        }
        C->Brush()->SetColor(H.LineColors()->FixedColor());
        C->FillRect(Rect(span.Left, span.Bottom - 1, span.Right, span.Bottom));
    }
}

void TqzGridPainter::DrawFooterCell(TCanvas* C, const TRect& Footer, int ACol, int Left, int Width) {
    TqzColumn* column = H.Columns(ACol - H.IndicatorOffset());
    TField* field = H.GetColField(ACol - H.IndicatorOffset());
    std::string text = column ? column->FooterValue() : std::string();
    bool defaultDrawing = true;
    C->Brush()->SetColor(H.FooterCellColor());
    C->Font()->Assign(H.Font());
    TRect r = Rect(Left, Footer.Top + 2, Left + Width, Footer.Bottom - 2);
    FOnDrawFooterCell(H.EventSender(), C, r, field, text, defaultDrawing);
    if (!defaultDrawing || text.empty()) return;
    r.Top = Footer.Top + 1;
    r.Bottom = Footer.Bottom - 1;
    r.Left -= 1;
    if (ACol == H.ColCount() - 1 && r.Right + 1 <= H.ClientWidth()) r.Right += 1;
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
    vline(r.Left + 1, r.Top + 1, r.Bottom - 1, H.LineColors()->FixedColor());
    hline(r.Left + 1, r.Right - 1, r.Top + 1, H.LineColors()->FixedColor());
    if (H.GridOptions().Contains(dgFooter3DCells)) {
        vline(r.Left + 2, r.Top + 2, r.Bottom - 2, clBlack);
        hline(r.Left + 2, r.Right - 2, r.Top + 2, clBlack);
        hline(r.Left + 1, r.Right - 1, r.Bottom - 1, H.LineColors()->HighlightColor());
        vline(r.Right - 1, r.Top + 1, r.Bottom, H.LineColors()->HighlightColor());
        hline(r.Left + 3, r.Right - 3, r.Bottom - 3, clBtnFace);
        vline(r.Right - 3, r.Top + 3, r.Bottom - 3, clBtnFace);
    } else {
        hline(r.Left + 1, r.Right - 1, r.Bottom - 1, H.LineColors()->HighlightColor());
        vline(r.Right - 1, r.Top + 1, r.Bottom, H.LineColors()->HighlightColor());
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
