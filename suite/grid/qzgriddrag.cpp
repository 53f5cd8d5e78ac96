// Moving a column by dragging its title: a 2-pixel start threshold, the
// dragged title (or its whole group) following the mouse, the drop mark,
// automatic scrolling at the edges on a 100 ms timer, and the drop rules
// that keep a group together.
#include <algorithm>
#include <cstdlib>

#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/messages.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzgridimages.h"

namespace {
constexpr unsigned kDragScrollInterval = 100;
}

bool TqzCustomDBGrid::ColumnDragging() const { return FColDrag.Dragging; }

void TqzCustomDBGrid::GroupSpan(int ACol, int& First, int& Last) const {
    First = Last = ACol;
    TqzColumn* column = ACol >= FIndicatorOffset ? Columns(ACol - FIndicatorOffset) : nullptr;
    const std::string group = column ? column->GroupName() : std::string();
    if (group.empty()) return;
    auto same = [&](int c) {
        return c >= FIndicatorOffset && c < ColCount() && Columns(c - FIndicatorOffset)->GroupName() == group;
    };
    while (First - 1 >= FixedCols() && same(First - 1)) --First;
    while (same(Last + 1)) ++Last;
}

bool TqzCustomDBGrid::TitleDragStarts(int ACol, int X, int Y) {
    if (!Options().Contains(dgColumnResize) || ACol < FixedCols()) return false;
    // A press on a column's sizing edge sizes it instead.
    TGridDrawInfo di;
    TGridState state = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    CalcSizingState(X, Y, state, index, pos, ofs, di);
    if (state != gsNormal) return false;
    HideEditor();
    BeginColumnDrag(ACol, X, Y);
    return true;
}

void TqzCustomDBGrid::WMCancelMode(TMessage& Message) {
    // A lost capture ends a drag without a drop.
    CancelColumnDrag();
    TCustomGrid::WMCancelMode(Message);
}

void TqzCustomDBGrid::BeginColumnDrag(int ACol, int X, int Y) {
    FColDrag = {};
    FColDrag.Pressed = true;
    FColDrag.StartCol = ACol;
    FColDrag.Start = FColDrag.Last = {X, Y};
    const TRect header = GroupHeaderRect(ACol);
    FColDrag.Group = !IsRectEmpty(header) && Y < header.Bottom;
}

void TqzCustomDBGrid::StartColumnDrag() {
    FColDrag.Dragging = true;
    // The picture of the dragged title, or of the whole group.
    int first = FColDrag.StartCol, last = FColDrag.StartCol;
    if (FColDrag.Group) GroupSpan(FColDrag.StartCol, first, last);
    const TRect a = CellRect(first, 0), b = CellRect(last, 0);
    if (!IsRectEmpty(a) && !IsRectEmpty(b)) {
        FDragImage = std::make_unique<TBitmap>();
        FDragImage->SetSize(b.Right - a.Left, a.Height());
        PaintTo(FDragImage->Canvas(), -a.Left, -a.Top);
        FColDrag.Offset = {FColDrag.Start.X - a.Left, FColDrag.Start.Y - a.Top};
    }
    if (!FDragTimer) {
        FDragTimer = new TTimer(this);
        FDragTimer->SetOnTimer(TNotifyEvent(this, &TqzCustomDBGrid::ColumnDragTick));
    }
    FDragTimer->SetInterval(kDragScrollInterval);
    FDragTimer->SetEnabled(true);
}

int TqzCustomDBGrid::ColumnDropTarget(int X) {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    if (X >= di.Horz.GridBoundary) return ColCount() - 1;
    const TGridCoord cell = MouseCoord(std::max(0, X), std::max(0, RowHeights(0) / 2));
    return std::clamp(cell.X < 0 ? FixedCols() : cell.X, FixedCols(), ColCount() - 1);
}

bool TqzCustomDBGrid::ColumnDragMouseMove(int X, int Y) {
    if (!FColDrag.Pressed) return false;
    if (!FColDrag.Dragging) {
        if (std::abs(X - FColDrag.Start.X) <= 2 && std::abs(Y - FColDrag.Start.Y) <= 2) return true;
        StartColumnDrag();
    }
    if (X != FColDrag.Last.X) FColDrag.Direction = X > FColDrag.Last.X ? 1 : -1;
    FColDrag.Last = {X, Y};
    FColDrag.DropCol = ColumnDropTarget(X);
    Invalidate();
    return true;
}

void TqzCustomDBGrid::ColumnDragTick(TObject*) {
    if (!FColDrag.Dragging) {
        if (FDragTimer) FDragTimer->SetEnabled(false);
        return;
    }
    TGridDrawInfo di;
    CalcDrawInfo(di);
    const bool wider = di.Horz.LastFullVisibleCell < ColCount() - 1;
    const int right = Width() - (wider ? GetSystemMetrics(SM_CXHTHUMB) : 0);
    const int x = FColDrag.Last.X;
    if (FColDrag.Direction > 0 && x > right - 10 && wider) {
        SetLeftCol(LeftCol() + 1);
    } else if (FColDrag.Direction < 0 && x <= CellRect(LeftCol(), 0).Left) {
        int floor = FixedCols();
        if (FColDrag.Group) {
            int last = 0;
            GroupSpan(FColDrag.StartCol, floor, last);
        }
        if (LeftCol() > floor) SetLeftCol(LeftCol() - 1);
    }
    FColDrag.DropCol = ColumnDropTarget(x);
    Invalidate();
}

void TqzCustomDBGrid::CancelColumnDrag() {
    if (FDragTimer) FDragTimer->SetEnabled(false);
    const bool shown = FColDrag.Dragging;
    FColDrag = {};
    FDragImage.reset();
    if (shown) Invalidate();
}

bool TqzCustomDBGrid::EndColumnDrag(int X) {
    if (!FColDrag.Pressed) return false;
    const TColumnDrag drag = FColDrag;
    CancelColumnDrag();
    ClearHotTitle();
    if (!drag.Dragging) return false;
    DropColumn(drag.StartCol, ColumnDropTarget(X), drag.Group);
    return true;
}

void TqzCustomDBGrid::DropColumn(int From, int To, bool WholeGroup) {
    if (To == From || From < FixedCols()) return;
    int first = From, last = From;
    GroupSpan(From, first, last);
    const bool grouped = last > first || !Columns(From - FIndicatorOffset)->GroupName().empty();
    if (WholeGroup && grouped) {
        // Column by column, keeping their order.
        if (To >= first && To <= last) return;
        const int n = last - first + 1;
        if (To > last) {
            for (int k = 0; k < n; ++k) MoveColumn(first, To);
        } else {
            for (int k = 0; k < n; ++k) MoveColumn(first + k, To + k);
        }
        return;
    }
    if (grouped) {
        // A grouped column stays within its group.
        if (To >= first && To <= last) MoveColumn(From, To);
        return;
    }
    int dropFirst = To, dropLast = To;
    GroupSpan(To, dropFirst, dropLast);
    const bool ontoGroup = dropLast > dropFirst || !Columns(To - FIndicatorOffset)->GroupName().empty();
    if (ontoGroup) {
        // Before or after the group, never inside it.
        MoveColumn(From, To < From ? dropFirst : dropLast);
        return;
    }
    MoveColumn(From, To);
    // The moved column shows.
    if (To < LeftCol()) {
        SetLeftCol(std::max(FixedCols(), To));
    } else {
        for (int guard = 0; guard < ColCount(); ++guard) {
            TGridDrawInfo di;
            CalcDrawInfo(di);
            if (To <= di.Horz.LastFullVisibleCell || LeftCol() >= To) break;
            SetLeftCol(LeftCol() + 1);
        }
    }
}

void TqzCustomDBGrid::PaintColumnDrag(TCanvas* C) {
    if (!FColDrag.Dragging || FColDrag.DropCol < 0 || FTitleOffset == 0) return;
    // The dragged title follows the mouse under the marks.
    if (FDragImage)
        C->Draw(FColDrag.Last.X - FColDrag.Offset.X, FColDrag.Last.Y - FColDrag.Offset.Y, FDragImage.get());
    const int drop = FColDrag.DropCol;
    const TRect r = CellRect(drop, 0);
    if (!IsRectEmpty(r) && drop != FColDrag.StartCol) {
        TGridDrawInfo di;
        CalcDrawInfo(di);
        const bool right = drop > FColDrag.StartCol;
        // The insertion line over the titles and the data rows.
        const int x = right ? r.Right : r.Left;
        C->Brush()->SetColor(clBlack);
        C->FillRect(Rect(std::max(0, x - 1), 0, x + 1, di.Vert.GridBoundary));
        // The drop mark: "QZRIGHT" when the column moves right, "QZLEFT" when left.
        TImageList* arrows = qzGridTitleArrowImages();
        if (arrows && arrows->Count() >= 2 && FOptions.Contains(dgTitles)) {
            const int ax = right ? r.Right - arrows->Width() : r.Left;
            arrows->Draw(C, std::max(0, ax), r.Top + (r.Height() - arrows->Height()) / 2, right ? 0 : 1);
        }
    }
}
