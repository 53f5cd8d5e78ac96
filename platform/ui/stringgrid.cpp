// The cell texts kept by position, drawn in each cell and handed to and from the editor.
#include "platform/ui/stringgrid.h"

#include "platform/ui/drawing.h"

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {}

std::string TStringGrid::Cells(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return std::string();
    const auto it = FCells.find({ACol, ARow});
    return it == FCells.end() ? std::string() : it->second;
}

void TStringGrid::SetCells(int ACol, int ARow, const std::string& Value) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
    FCells[{ACol, ARow}] = Value;
    InvalidateCell(ACol, ARow);
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (OnDrawCell()) {
        TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
        return;
    }
    TCanvas* c = Canvas();
    c->FillRect(ARect);
    TRect t = Rect(ARect.Left + 2, ARect.Top + 2, ARect.Right, ARect.Bottom);
    c->Brush()->SetStyle(bsClear);
    DrawText(c, Cells(ACol, ARow), t, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
    c->Brush()->SetStyle(bsSolid);
}

std::string TStringGrid::GetEditText(int ACol, int ARow) {
    if (OnGetEditText()) return TDrawGrid::GetEditText(ACol, ARow);
    return Cells(ACol, ARow);
}

void TStringGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
    TDrawGrid::SetEditText(ACol, ARow, Value);
    FCells[{ACol, ARow}] = Value;
}
