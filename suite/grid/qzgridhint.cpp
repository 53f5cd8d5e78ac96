// The grid's cell hints (see qzgridhint.h).
#include "suite/grid/qzgridhint.h"

#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/drawing.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzpaintoptions.h"

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

TqzGridCellHints::TqzGridCellHints(TqzGridHintHost& Host) : H(Host) {}

// The grid owns the window and the timer and frees them with its other components.
TqzGridCellHints::~TqzGridCellHints() {
    if (FTimer) {
        FTimer->SetEnabled(false);
        FTimer->SetOnTimer(TNotifyEvent());
    }
}

void TqzGridCellHints::Hide() {
    if (FTimer) FTimer->SetEnabled(false);
    FTicks = 0;
    if (FWindow) {
        TqzGridHintWindow* w = FWindow;
        FWindow = nullptr;
        delete w;
    }
}

void TqzGridCellHints::Forget(TComponent* Component) {
    if (Component && Component == FWindow) FWindow = nullptr;
    if (Component && Component == FTimer) FTimer = nullptr;
}

void TqzGridCellHints::Update(const TGridCoord& Cell) {
    if (Cell != FCell) {
        Hide();
        FCell = Cell;
    }
    if (FWindow || !H.GridOptions().Contains(dgShowCellHint) || !H.DataSetActive()) return;
    if (Cell.X < H.IndicatorOffset() || Cell.Y < H.TitleOffset()) return;
    // The cell being edited shows its own text.
    if (Cell.X == H.Col() && Cell.Y == H.Row() && H.EditorVisible()) return;
    TField* field = H.GetColField(Cell.X - H.IndicatorOffset());
    if (!field || (field->IsBlob() && field->DataType() != ftMemo)) return;
    std::string text;
    {
        const int saved = H.ActiveRecord();
        H.SetActiveRecord(Cell.Y - H.TitleOffset());
        text = field->DisplayText();
        H.SetActiveRecord(saved);
    }
    if (text.empty()) return;
    const TRect cell = H.GridToClientRect(H.CellRect(Cell.X, Cell.Y));
    TCanvas* c = H.Canvas();
    c->Font()->Assign(H.Font());
    unsigned fmt = DT_CALCRECT | DT_NOPREFIX;
    if (H.GridOptions().Contains(dgWordWrap)) fmt |= DT_WORDBREAK;
    if (text.find('\t') != std::string::npos) fmt |= DT_EXPANDTABS;
    TRect measured = Rect(0, 0, std::max(1, cell.Width() - 4), 0);
    DrawText(c, text, measured, fmt);
    if (measured.Width() < cell.Width() - 1 && measured.Height() <= cell.Height()) return;
    FWindow = new TqzGridHintWindow(H.HintControl());
    FWindow->Font()->Assign(H.Font());
    FWindow->Font()->SetColor(clInfoText);
    FWindow->Field = field;
    // Right to left the text reads from the right whatever the field says.
    const bool fromRight = H.UseRightToLeftAlignment() || field->Alignment() == taRightJustify;
    FWindow->Alignment = H.UseRightToLeftAlignment() ? taRightJustify : field->Alignment();
    if (!FTimer) {
        FTimer = new TTimer(H.HintControl());
        FTimer->SetOnTimer(TNotifyEvent(this, &TqzGridCellHints::Tick));
    }
    FTimer->SetInterval(kHintInterval);
    FTimer->SetEnabled(true);
    bool wordWrap = true, doDefault = true;
    int maxHeight = cell.Height() - 2, maxWidth = GetSystemMetrics(SM_CXSCREEN);
    FOnCreate(H.HintControl(), FWindow, field, cell, wordWrap, maxWidth, maxHeight, doDefault);
    maxWidth = std::max(maxWidth, cell.Width() - 4);
    FWindow->WordWrap = wordWrap;
    if (!doDefault) return;
    TRect size = Rect(0, 0, maxWidth, 0);
    DrawText(c, text, size, DT_CALCRECT | DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : 0));
    const int w = size.Width() + 8,
              h = std::max(cell.Height(),
                           std::min(size.Height() + 4, std::max(maxHeight, size.Height() + 4)));
    TRect at = Bounds(cell.Left, cell.Top, w, h);
    if (fromRight) OffsetRect(at, cell.Right - at.Right, 0);
    const TPoint origin = H.ClientToScreen({at.Left, at.Top});
    FWindow->ActivateHint(H.HintControl(), Bounds(origin.X, origin.Y, at.Width(), at.Height()), text);
}

void TqzGridCellHints::Tick(TObject*) {
    if (!FWindow) {
        Hide();
        return;
    }
    TRect cell = H.GridToClientRect(H.CellRect(FCell.X, FCell.Y));
    InflateRect(cell, 1, 1);
    const TRect client = H.ClientRect();
    const bool inCell = PtInRect(cell, FLastMouse) && PtInRect(client, FLastMouse);
    const int limit =
        std::max(Application ? Application->HintHidePause() / static_cast<int>(kHintInterval) : 0, 16);
    if (!inCell || ++FTicks > limit) Hide();
}
