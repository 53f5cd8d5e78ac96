// Cell hints: the whole text of a cell that does not fit, shown over the
// cell while the mouse rests on it.
#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/drawing.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"

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
    if (FImpl->HintTimer) FImpl->HintTimer->SetEnabled(false);
    FImpl->HintTicks = 0;
    if (FImpl->HintWindow) {
        TqzGridHintWindow* w = FImpl->HintWindow;
        FImpl->HintWindow = nullptr;
        delete w;
    }
}

void TqzCustomDBGrid::UpdateCellHint(const TGridCoord& Cell) {
    if (Cell != FImpl->HintCell) {
        HideCellHint();
        FImpl->HintCell = Cell;
    }
    if (FImpl->HintWindow || !FImpl->Options.Contains(dgShowCellHint) || !DataSetActive()) return;
    if (Cell.X < FImpl->IndicatorOffset || Cell.Y < FImpl->TitleOffset) return;
    // The cell being edited shows its own text.
    if (Cell.X == Col() && Cell.Y == Row() && InplaceEditor() && InplaceEditor()->Visible()) return;
    TField* field = GetColField(Cell.X - FImpl->IndicatorOffset);
    if (!field || (field->IsBlob() && field->DataType() != ftMemo)) return;
    std::string text;
    {
        const int saved = FImpl->DataLink->ActiveRecord();
        FImpl->DataLink->SetActiveRecord(Cell.Y - FImpl->TitleOffset);
        text = field->DisplayText();
        FImpl->DataLink->SetActiveRecord(saved);
    }
    if (text.empty()) return;
    const TRect cell = CellRect(Cell.X, Cell.Y);
    TCanvas* c = MeasureCanvas();
    unsigned fmt = DT_CALCRECT | DT_NOPREFIX;
    if (FImpl->Options.Contains(dgWordWrap)) fmt |= DT_WORDBREAK;
    if (text.find('\t') != std::string::npos) fmt |= DT_EXPANDTABS;
    TRect measured = Rect(0, 0, std::max(1, cell.Width() - 4), 0);
    DrawText(c, text, measured, fmt);
    if (measured.Width() < cell.Width() - 1 && measured.Height() <= cell.Height()) return;
    FImpl->HintWindow = new TqzGridHintWindow(this);
    FImpl->HintWindow->Font()->Assign(Font());
    FImpl->HintWindow->Font()->SetColor(clInfoText);
    FImpl->HintWindow->Field = field;
    FImpl->HintWindow->Alignment = field->Alignment();
    if (!FImpl->HintTimer) {
        FImpl->HintTimer = new TTimer(this);
        FImpl->HintTimer->SetOnTimer(TNotifyEvent(this, &TqzCustomDBGrid::HintTimerTick));
    }
    FImpl->HintTimer->SetInterval(kHintInterval);
    FImpl->HintTimer->SetEnabled(true);
    bool wordWrap = true, doDefault = true;
    int maxHeight = cell.Height() - 2, maxWidth = GetSystemMetrics(SM_CXSCREEN);
    FImpl->OnCreateHintWindow(this, FImpl->HintWindow, field, cell, wordWrap, maxWidth, maxHeight, doDefault);
    maxWidth = std::max(maxWidth, cell.Width() - 4);
    FImpl->HintWindow->WordWrap = wordWrap;
    if (!doDefault) return;
    TRect size = Rect(0, 0, maxWidth, 0);
    DrawText(c, text, size, DT_CALCRECT | DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : 0));
    const int w = size.Width() + 8,
              h = std::max(cell.Height(),
                           std::min(size.Height() + 4, std::max(maxHeight, size.Height() + 4)));
    TRect at = Bounds(cell.Left, cell.Top, w, h);
    if (field->Alignment() == taRightJustify) OffsetRect(at, cell.Right - at.Right, 0);
    const TPoint origin = ClientToScreen({at.Left, at.Top});
    FImpl->HintWindow->ActivateHint(this, Bounds(origin.X, origin.Y, at.Width(), at.Height()), text);
}

void TqzCustomDBGrid::HintTimerTick(TObject*) {
    if (!FImpl->HintWindow) {
        HideCellHint();
        return;
    }
    TRect cell = CellRect(FImpl->HintCell.X, FImpl->HintCell.Y);
    InflateRect(cell, 1, 1);
    const TRect client = ClientRect();
    const bool inCell = PtInRect(cell, FImpl->LastMouse) && PtInRect(client, FImpl->LastMouse);
    const int limit =
        std::max(Application ? Application->HintHidePause() / static_cast<int>(kHintInterval) : 0, 16);
    if (!inCell || ++FImpl->HintTicks > limit) HideCellHint();
}
