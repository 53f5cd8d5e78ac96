// Cell hints: the whole text of a cell that does not fit, shown over the
// cell while the mouse rests on it.
#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/drawing.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzdbigrd.h"

namespace {
constexpr unsigned kHintInterval = 250;
}

void TqzGridHintWindow::Paint() {
    TCanvas* c = Canvas();
    const TRect client = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(client);
    c->Brush()->SetColor(clBlack);
    c->FrameRect(client);
    c->Font()->Assign(Font());
    TRect r = client;
    OffsetRect(r, 1, 2);
    unsigned fmt = DT_NOPREFIX | DT_EXPANDTABS;
    if (WordWrap) fmt |= DT_WORDBREAK;
    if (Alignment == taRightJustify) {
        fmt |= DT_RIGHT;
        r.Right -= 2;
    } else if (Alignment == taCenter) {
        fmt |= DT_CENTER;
    }
    c->Brush()->SetStyle(bsClear);
    DrawText(c, HintText(), r, fmt);
    c->Brush()->SetStyle(bsSolid);
}

void TqzCustomDBGrid::HideCellHint() {
    if (FHintTimer) FHintTimer->SetEnabled(false);
    FHintTicks = 0;
    if (FHintWindow) {
        TqzGridHintWindow* w = FHintWindow;
        FHintWindow = nullptr;
        delete w;
    }
}

void TqzCustomDBGrid::UpdateCellHint(const TGridCoord& Cell) {
    if (Cell != FHintCell) {
        HideCellHint();
        FHintCell = Cell;
    }
    if (FHintWindow || !FOptions.Contains(dgShowCellHint) || !DataSetActive()) return;
    if (Cell.X < FIndicatorOffset || Cell.Y < FTitleOffset) return;
    // The cell being edited shows its own text.
    if (Cell.X == Col() && Cell.Y == Row() && InplaceEditor() && InplaceEditor()->Visible()) return;
    TField* field = GetColField(Cell.X - FIndicatorOffset);
    if (!field || (field->IsBlob() && field->DataType() != ftMemo)) return;
    std::string text;
    {
        const int saved = FDataLink->ActiveRecord();
        FDataLink->SetActiveRecord(Cell.Y - FTitleOffset);
        text = field->DisplayText();
        FDataLink->SetActiveRecord(saved);
    }
    if (text.empty()) return;
    const TRect cell = CellRect(Cell.X, Cell.Y);
    TCanvas* c = MeasureCanvas();
    unsigned fmt = DT_CALCRECT | DT_NOPREFIX;
    if (FOptions.Contains(dgWordWrap)) fmt |= DT_WORDBREAK;
    if (text.find('\t') != std::string::npos) fmt |= DT_EXPANDTABS;
    TRect measured = Rect(0, 0, std::max(1, cell.Width() - 4), 0);
    DrawText(c, text, measured, fmt);
    if (measured.Width() < cell.Width() - 1 && measured.Height() <= cell.Height()) return;
    FHintWindow = new TqzGridHintWindow(this);
    FHintWindow->Font()->Assign(Font());
    FHintWindow->Font()->SetColor(clInfoText);
    FHintWindow->Field = field;
    FHintWindow->Alignment = field->Alignment();
    if (!FHintTimer) {
        FHintTimer = new TTimer(this);
        FHintTimer->SetOnTimer(TNotifyEvent(this, &TqzCustomDBGrid::HintTimerTick));
    }
    FHintTimer->SetInterval(kHintInterval);
    FHintTimer->SetEnabled(true);
    bool wordWrap = true, doDefault = true;
    int maxHeight = cell.Height() - 2, maxWidth = GetSystemMetrics(SM_CXSCREEN);
    FOnCreateHintWindow(this, FHintWindow, field, cell, wordWrap, maxWidth, maxHeight, doDefault);
    maxWidth = std::max(maxWidth, cell.Width() - 4);
    FHintWindow->WordWrap = wordWrap;
    if (!doDefault) return;
    TRect size = Rect(0, 0, maxWidth, 0);
    DrawText(c, text, size, DT_CALCRECT | DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : 0));
    const int w = size.Width() + 8,
              h = std::max(cell.Height(),
                           std::min(size.Height() + 4, std::max(maxHeight, size.Height() + 4)));
    TRect at = Bounds(cell.Left, cell.Top, w, h);
    if (field->Alignment() == taRightJustify) OffsetRect(at, cell.Right - at.Right, 0);
    const TPoint origin = ClientToScreen({at.Left, at.Top});
    FHintWindow->ActivateHint(this, Bounds(origin.X, origin.Y, at.Width(), at.Height()), text);
}

void TqzCustomDBGrid::HintTimerTick(TObject*) {
    if (!FHintWindow) {
        HideCellHint();
        return;
    }
    TRect cell = CellRect(FHintCell.X, FHintCell.Y);
    InflateRect(cell, 1, 1);
    const TRect client = ClientRect();
    const bool inCell = PtInRect(cell, FLastMouse) && PtInRect(client, FLastMouse);
    const int limit =
        std::max(Application ? Application->HintHidePause() / static_cast<int>(kHintInterval) : 0, 16);
    if (!inCell || ++FHintTicks > limit) HideCellHint();
}
