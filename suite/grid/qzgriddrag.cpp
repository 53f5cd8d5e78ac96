// The column drag of the suite grid (see qzgriddrag.h).
#include "suite/grid/qzgriddrag.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/messages.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgriddatalink.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzgridimages.h"
#include "suite/grid/qzpaintoptions.h"

namespace {
constexpr unsigned kDragScrollInterval = 100;
}

TqzGridColumnDrag::TqzGridColumnDrag(TqzGridHost& Host, std::function<void(int From, int To)> MoveColumn)
    : H(Host), G(Host.HostGrid()), FMoveColumn(std::move(MoveColumn)) {}

void TqzGridColumnDrag::DrawInfo(TGridDrawInfo& DI) const {
    static_cast<const TCustomGrid&>(G).CalcDrawInfo(DI);
}

// The grid owns the timer and frees it with its other components.
TqzGridColumnDrag::~TqzGridColumnDrag() {
    if (!FTimer) return;
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer(TNotifyEvent());
}

void TqzGridColumnDrag::GroupSpan(int ACol, int& First, int& Last) const {
    First = Last = ACol;
    const int offset = H.IndicatorOffset();
    TqzColumn* column = ACol >= offset ? H.Columns(ACol - offset) : nullptr;
    const std::string group = column ? column->GroupName() : std::string();
    if (group.empty()) return;
    auto same = [&](int c) {
        return c >= offset && c < G.ColCount() && H.Columns(c - offset)->GroupName() == group;
    };
    while (First - 1 >= G.FixedCols() && same(First - 1)) --First;
    while (same(Last + 1)) ++Last;
}

bool TqzGridColumnDrag::Movable(int ACol) const {
    return H.GridOptions().Contains(dgColumnResize) && ACol >= G.FixedCols();
}

void TqzGridColumnDrag::Press(int ACol, int X, int Y) {
    Cancel();
    FPressed = true;
    FStartCol = ACol;
    // Positions are kept in grid coordinates (mirrored right to left).
    FStart = FLast = {G.GridX(X), Y};
    const TRect header = H.GroupHeaderRect(ACol);
    FGroup = !IsRectEmpty(header) && Y < header.Bottom;
}

void TqzGridColumnDrag::Start() {
    FDragging = true;
    // The picture of the dragged title, or of the whole group.
    int first = FStartCol, last = FStartCol;
    if (FGroup) GroupSpan(FStartCol, first, last);
    const TRect a = G.CellRect(first, 0), b = G.CellRect(last, 0);
    if (!IsRectEmpty(a) && !IsRectEmpty(b)) {
        // The titles as the window shows them.
        const TRect shown = G.GridToClientRect(Rect(a.Left, a.Top, b.Right, a.Bottom));
        FImage = std::make_unique<TBitmap>();
        FImage->SetSize(shown.Width(), shown.Height());
        G.PaintTo(FImage->Canvas(), -shown.Left, -shown.Top);
        FOffset = {FStart.X - a.Left, FStart.Y - a.Top};
    }
    if (!FTimer) {
        FTimer = new TTimer(&G);
        FTimer->SetOnTimer(TNotifyEvent(this, &TqzGridColumnDrag::Tick));
    }
    FTimer->SetInterval(kDragScrollInterval);
    FTimer->SetEnabled(true);
}

int TqzGridColumnDrag::DropTarget(int X) {
    TGridDrawInfo di;
    DrawInfo(di);
    if (X >= di.Horz.GridBoundary) return G.ColCount() - 1;
    const TGridCoord cell = G.MouseCoord(G.GridX(std::max(0, X)), std::max(0, G.RowHeights(0) / 2));
    return std::clamp(cell.X < 0 ? G.FixedCols() : cell.X, G.FixedCols(), G.ColCount() - 1);
}

bool TqzGridColumnDrag::MouseMove(int X, int Y) {
    if (!FPressed) return false;
    X = G.GridX(X);
    if (!FDragging) {
        if (std::abs(X - FStart.X) <= 2 && std::abs(Y - FStart.Y) <= 2) return true;
        Start();
    }
    if (X != FLast.X) FDirection = X > FLast.X ? 1 : -1;
    FLast = {X, Y};
    FDropCol = DropTarget(X);
    G.Invalidate();
    return true;
}

void TqzGridColumnDrag::Tick(TObject*) {
    if (!FDragging) {
        if (FTimer) FTimer->SetEnabled(false);
        return;
    }
    TGridDrawInfo di;
    DrawInfo(di);
    const bool wider = di.Horz.LastFullVisibleCell < G.ColCount() - 1;
    // The scroll bar stays at the window's right, past the grid's far end
    // only left to right.
    const int right = G.UseRightToLeftAlignment() ? G.ClientWidth()
                                                  : G.Width() - (wider ? GetSystemMetrics(SM_CXHTHUMB) : 0);
    const int x = FLast.X;
    if (FDirection > 0 && x > right - 10 && wider) {
        G.SetLeftCol(G.LeftCol() + 1);
    } else if (FDirection < 0 && x <= G.CellRect(G.LeftCol(), 0).Left) {
        int floor = G.FixedCols();
        if (FGroup) {
            int last = 0;
            GroupSpan(FStartCol, floor, last);
        }
        if (G.LeftCol() > floor) G.SetLeftCol(G.LeftCol() - 1);
    }
    FDropCol = DropTarget(x);
    G.Invalidate();
}

void TqzGridColumnDrag::Cancel() {
    if (FTimer) FTimer->SetEnabled(false);
    const bool shown = FDragging;
    FPressed = FDragging = FGroup = false;
    FStartCol = FDropCol = -1;
    FDirection = 0;
    FStart = FLast = FOffset = TPoint{};
    FImage.reset();
    if (shown) G.Invalidate();
}

bool TqzGridColumnDrag::Release(int X) {
    if (!FPressed) return false;
    const bool dragged = FDragging, group = FGroup;
    const int from = FStartCol;
    Cancel();
    if (!dragged) return false;
    DropColumn(from, DropTarget(G.GridX(X)), group);
    return true;
}

void TqzGridColumnDrag::DropColumn(int From, int To, bool WholeGroup) {
    if (To == From || From < G.FixedCols()) return;
    const int offset = H.IndicatorOffset();
    int first = From, last = From;
    GroupSpan(From, first, last);
    const bool grouped = last > first || !H.Columns(From - offset)->GroupName().empty();
    if (WholeGroup && grouped) {
        // Column by column, keeping their order.
        if (To >= first && To <= last) return;
        const int n = last - first + 1;
        if (To > last) {
            for (int k = 0; k < n; ++k) FMoveColumn(first, To);
        } else {
            for (int k = 0; k < n; ++k) FMoveColumn(first + k, To + k);
        }
        return;
    }
    if (grouped) {
        // A grouped column stays within its group.
        if (To >= first && To <= last) FMoveColumn(From, To);
        return;
    }
    int dropFirst = To, dropLast = To;
    GroupSpan(To, dropFirst, dropLast);
    const bool ontoGroup = dropLast > dropFirst || !H.Columns(To - offset)->GroupName().empty();
    if (ontoGroup) {
        // Before or after the group, never inside it.
        FMoveColumn(From, To < From ? dropFirst : dropLast);
        return;
    }
    FMoveColumn(From, To);
    // The moved column shows.
    if (To < G.LeftCol()) {
        G.SetLeftCol(std::max(G.FixedCols(), To));
    } else {
        for (int guard = 0; guard < G.ColCount(); ++guard) {
            TGridDrawInfo di;
            DrawInfo(di);
            if (To <= di.Horz.LastFullVisibleCell || G.LeftCol() >= To) break;
            G.SetLeftCol(G.LeftCol() + 1);
        }
    }
}

void TqzGridColumnDrag::Paint(TCanvas* C) {
    if (!FDragging || FDropCol < 0 || H.TitleOffset() == 0) return;
    // The dragged title follows the mouse under the marks.
    if (FImage) {
        // The picture is already as the window shows it: drawn unmirrored.
        const int left = FLast.X - FOffset.X, mirror = C->MirrorWidth();
        C->SetMirrorWidth(0);
        C->Draw(mirror > 0 ? mirror - left - FImage->Width() : left, FLast.Y - FOffset.Y, FImage.get());
        C->SetMirrorWidth(mirror);
    }
    const int drop = FDropCol;
    const TRect r = G.CellRect(drop, 0);
    if (!IsRectEmpty(r) && drop != FStartCol) {
        TGridDrawInfo di;
        DrawInfo(di);
        const bool right = drop > FStartCol;
        // The insertion line over the titles and the data rows.
        const int x = right ? r.Right : r.Left;
        C->Brush()->SetColor(clBlack);
        C->FillRect(Rect(std::max(0, x - 1), 0, x + 1, di.Vert.GridBoundary));
        // The drop mark: "QZRIGHT" when the column moves right, "QZLEFT" when left.
        TImageList* arrows = qzGridTitleArrowImages();
        if (arrows && arrows->Count() >= 2 && H.GridOptions().Contains(dgTitles)) {
            const int ax = right ? r.Right - arrows->Width() : r.Left;
            arrows->Draw(C, std::max(0, ax), r.Top + (r.Height() - arrows->Height()) / 2, right ? 0 : 1);
        }
    }
}
