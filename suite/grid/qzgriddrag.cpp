// The column drag of the suite grid (see qzgriddrag.h).
#include "suite/grid/qzgriddrag.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/messages.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzgridimages.h"
#include "suite/grid/qzpaintoptions.h"

namespace {
constexpr unsigned kDragScrollInterval = 100;
}

TqzGridColumnDrag::TqzGridColumnDrag(TqzGridDragHost& Host) : H(Host) {}

// The grid owns the timer and frees it with its other components.
TqzGridColumnDrag::~TqzGridColumnDrag() {
    if (!FTimer) return;
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer(TNotifyEvent());
}

void TqzGridColumnDrag::GroupSpan(int ACol, int& First, int& Last) const {
    First = Last = ACol;
    const int offset = H.IndicatorOffset();
    const std::string group = ACol >= offset ? H.ColumnGroupName(ACol - offset) : std::string();
    if (group.empty()) return;
    auto same = [&](int c) {
        return c >= offset && c < H.ColCount() && H.ColumnGroupName(c - offset) == group;
    };
    while (First - 1 >= H.FixedCols() && same(First - 1)) --First;
    while (same(Last + 1)) ++Last;
}

bool TqzGridColumnDrag::Movable(int ACol) const {
    return H.GridOptions().Contains(dgColumnResize) && ACol >= H.FixedCols();
}

void TqzGridColumnDrag::Press(int ACol, int X, int Y) {
    Cancel();
    FPressed = true;
    FStartCol = ACol;
    // Positions are kept in grid coordinates (mirrored right to left).
    FStart = FLast = {H.GridX(X), Y};
    const TRect header = H.GroupHeaderRect(ACol);
    FGroup = !IsRectEmpty(header) && Y < header.Bottom;
}

void TqzGridColumnDrag::Start() {
    FDragging = true;
    // The picture of the dragged title, or of the whole group.
    int first = FStartCol, last = FStartCol;
    if (FGroup) GroupSpan(FStartCol, first, last);
    const TRect a = H.CellRect(first, 0), b = H.CellRect(last, 0);
    if (!IsRectEmpty(a) && !IsRectEmpty(b)) {
        // The titles as the window shows them.
        const TRect shown = H.GridToClientRect(Rect(a.Left, a.Top, b.Right, a.Bottom));
        FImage = std::make_unique<TBitmap>();
        FImage->SetSize(shown.Width(), shown.Height());
        H.PaintTo(FImage->Canvas(), -shown.Left, -shown.Top);
        FOffset = {FStart.X - a.Left, FStart.Y - a.Top};
    }
    if (!FTimer) {
        FTimer = new TTimer(H.TimerOwner());
        FTimer->SetOnTimer(TNotifyEvent(this, &TqzGridColumnDrag::Tick));
    }
    FTimer->SetInterval(kDragScrollInterval);
    FTimer->SetEnabled(true);
}

int TqzGridColumnDrag::DropTarget(int X) {
    TGridDrawInfo di;
    H.CalcDrawInfo(di);
    if (X >= di.Horz.GridBoundary) return H.ColCount() - 1;
    const TGridCoord cell = H.MouseCoord(H.GridX(std::max(0, X)), std::max(0, H.RowHeights(0) / 2));
    return std::clamp(cell.X < 0 ? H.FixedCols() : cell.X, H.FixedCols(), H.ColCount() - 1);
}

bool TqzGridColumnDrag::MouseMove(int X, int Y) {
    if (!FPressed) return false;
    X = H.GridX(X);
    if (!FDragging) {
        if (std::abs(X - FStart.X) <= 2 && std::abs(Y - FStart.Y) <= 2) return true;
        Start();
    }
    if (X != FLast.X) FDirection = X > FLast.X ? 1 : -1;
    FLast = {X, Y};
    FDropCol = DropTarget(X);
    H.Invalidate();
    return true;
}

void TqzGridColumnDrag::Tick(TObject*) {
    if (!FDragging) {
        if (FTimer) FTimer->SetEnabled(false);
        return;
    }
    TGridDrawInfo di;
    H.CalcDrawInfo(di);
    const bool wider = di.Horz.LastFullVisibleCell < H.ColCount() - 1;
    // The scroll bar stays at the window's right, past the grid's far end
    // only left to right.
    const int right = H.UseRightToLeftAlignment() ? H.ClientWidth()
                                                  : H.Width() - (wider ? GetSystemMetrics(SM_CXHTHUMB) : 0);
    const int x = FLast.X;
    if (FDirection > 0 && x > right - 10 && wider) {
        H.SetLeftCol(H.LeftCol() + 1);
    } else if (FDirection < 0 && x <= H.CellRect(H.LeftCol(), 0).Left) {
        int floor = H.FixedCols();
        if (FGroup) {
            int last = 0;
            GroupSpan(FStartCol, floor, last);
        }
        if (H.LeftCol() > floor) H.SetLeftCol(H.LeftCol() - 1);
    }
    FDropCol = DropTarget(x);
    H.Invalidate();
}

void TqzGridColumnDrag::Cancel() {
    if (FTimer) FTimer->SetEnabled(false);
    const bool shown = FDragging;
    FPressed = FDragging = FGroup = false;
    FStartCol = FDropCol = -1;
    FDirection = 0;
    FStart = FLast = FOffset = TPoint{};
    FImage.reset();
    if (shown) H.Invalidate();
}

bool TqzGridColumnDrag::Release(int X) {
    if (!FPressed) return false;
    const bool dragged = FDragging, group = FGroup;
    const int from = FStartCol;
    Cancel();
    if (!dragged) return false;
    DropColumn(from, DropTarget(H.GridX(X)), group);
    return true;
}

void TqzGridColumnDrag::DropColumn(int From, int To, bool WholeGroup) {
    if (To == From || From < H.FixedCols()) return;
    const int offset = H.IndicatorOffset();
    int first = From, last = From;
    GroupSpan(From, first, last);
    const bool grouped = last > first || !H.ColumnGroupName(From - offset).empty();
    if (WholeGroup && grouped) {
        // Column by column, keeping their order.
        if (To >= first && To <= last) return;
        const int n = last - first + 1;
        if (To > last) {
            for (int k = 0; k < n; ++k) H.MoveColumn(first, To);
        } else {
            for (int k = 0; k < n; ++k) H.MoveColumn(first + k, To + k);
        }
        return;
    }
    if (grouped) {
        // A grouped column stays within its group.
        if (To >= first && To <= last) H.MoveColumn(From, To);
        return;
    }
    int dropFirst = To, dropLast = To;
    GroupSpan(To, dropFirst, dropLast);
    const bool ontoGroup = dropLast > dropFirst || !H.ColumnGroupName(To - offset).empty();
    if (ontoGroup) {
        // Before or after the group, never inside it.
        H.MoveColumn(From, To < From ? dropFirst : dropLast);
        return;
    }
    H.MoveColumn(From, To);
    // The moved column shows.
    if (To < H.LeftCol()) {
        H.SetLeftCol(std::max(H.FixedCols(), To));
    } else {
        for (int guard = 0; guard < H.ColCount(); ++guard) {
            TGridDrawInfo di;
            H.CalcDrawInfo(di);
            if (To <= di.Horz.LastFullVisibleCell || H.LeftCol() >= To) break;
            H.SetLeftCol(H.LeftCol() + 1);
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
    const TRect r = H.CellRect(drop, 0);
    if (!IsRectEmpty(r) && drop != FStartCol) {
        TGridDrawInfo di;
        H.CalcDrawInfo(di);
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
