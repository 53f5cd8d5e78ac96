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
#include "suite/grid/qzdbigrd_impl.h"
#include "suite/grid/qzgridimages.h"

namespace {
constexpr unsigned kDragScrollInterval = 100;
}

bool TqzCustomDBGrid::ColumnDragging() const { return FImpl->ColDrag.Dragging; }

void TqzCustomDBGrid::GroupSpan(int ACol, int& First, int& Last) const {
    First = Last = ACol;
    TqzColumn* column = ACol >= FImpl->IndicatorOffset ? Columns(ACol - FImpl->IndicatorOffset) : nullptr;
    const std::string group = column ? column->GroupName() : std::string();
    if (group.empty()) return;
    auto same = [&](int c) {
        return c >= FImpl->IndicatorOffset && c < ColCount() &&
               Columns(c - FImpl->IndicatorOffset)->GroupName() == group;
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
    FImpl->ColDrag = {};
    FImpl->ColDrag.Pressed = true;
    FImpl->ColDrag.StartCol = ACol;
    FImpl->ColDrag.Start = FImpl->ColDrag.Last = {X, Y};
    const TRect header = GroupHeaderRect(ACol);
    FImpl->ColDrag.Group = !IsRectEmpty(header) && Y < header.Bottom;
}

void TqzCustomDBGrid::StartColumnDrag() {
    FImpl->ColDrag.Dragging = true;
    // The picture of the dragged title, or of the whole group.
    int first = FImpl->ColDrag.StartCol, last = FImpl->ColDrag.StartCol;
    if (FImpl->ColDrag.Group) GroupSpan(FImpl->ColDrag.StartCol, first, last);
    const TRect a = CellRect(first, 0), b = CellRect(last, 0);
    if (!IsRectEmpty(a) && !IsRectEmpty(b)) {
        FImpl->DragImage = std::make_unique<TBitmap>();
        FImpl->DragImage->SetSize(b.Right - a.Left, a.Height());
        PaintTo(FImpl->DragImage->Canvas(), -a.Left, -a.Top);
        FImpl->ColDrag.Offset = {FImpl->ColDrag.Start.X - a.Left, FImpl->ColDrag.Start.Y - a.Top};
    }
    if (!FImpl->DragTimer) {
        FImpl->DragTimer = new TTimer(this);
        FImpl->DragTimer->SetOnTimer(TNotifyEvent(this, &TqzCustomDBGrid::ColumnDragTick));
    }
    FImpl->DragTimer->SetInterval(kDragScrollInterval);
    FImpl->DragTimer->SetEnabled(true);
}

int TqzCustomDBGrid::ColumnDropTarget(int X) {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    if (X >= di.Horz.GridBoundary) return ColCount() - 1;
    const TGridCoord cell = MouseCoord(std::max(0, X), std::max(0, RowHeights(0) / 2));
    return std::clamp(cell.X < 0 ? FixedCols() : cell.X, FixedCols(), ColCount() - 1);
}

bool TqzCustomDBGrid::ColumnDragMouseMove(int X, int Y) {
    if (!FImpl->ColDrag.Pressed) return false;
    if (!FImpl->ColDrag.Dragging) {
        if (std::abs(X - FImpl->ColDrag.Start.X) <= 2 && std::abs(Y - FImpl->ColDrag.Start.Y) <= 2)
            return true;
        StartColumnDrag();
    }
    if (X != FImpl->ColDrag.Last.X) FImpl->ColDrag.Direction = X > FImpl->ColDrag.Last.X ? 1 : -1;
    FImpl->ColDrag.Last = {X, Y};
    FImpl->ColDrag.DropCol = ColumnDropTarget(X);
    Invalidate();
    return true;
}

void TqzCustomDBGrid::ColumnDragTick(TObject*) {
    if (!FImpl->ColDrag.Dragging) {
        if (FImpl->DragTimer) FImpl->DragTimer->SetEnabled(false);
        return;
    }
    TGridDrawInfo di;
    CalcDrawInfo(di);
    const bool wider = di.Horz.LastFullVisibleCell < ColCount() - 1;
    const int right = Width() - (wider ? GetSystemMetrics(SM_CXHTHUMB) : 0);
    const int x = FImpl->ColDrag.Last.X;
    if (FImpl->ColDrag.Direction > 0 && x > right - 10 && wider) {
        SetLeftCol(LeftCol() + 1);
    } else if (FImpl->ColDrag.Direction < 0 && x <= CellRect(LeftCol(), 0).Left) {
        int floor = FixedCols();
        if (FImpl->ColDrag.Group) {
            int last = 0;
            GroupSpan(FImpl->ColDrag.StartCol, floor, last);
        }
        if (LeftCol() > floor) SetLeftCol(LeftCol() - 1);
    }
    FImpl->ColDrag.DropCol = ColumnDropTarget(x);
    Invalidate();
}

void TqzCustomDBGrid::CancelColumnDrag() {
    if (FImpl->DragTimer) FImpl->DragTimer->SetEnabled(false);
    const bool shown = FImpl->ColDrag.Dragging;
    FImpl->ColDrag = {};
    FImpl->DragImage.reset();
    if (shown) Invalidate();
}

bool TqzCustomDBGrid::EndColumnDrag(int X) {
    if (!FImpl->ColDrag.Pressed) return false;
    const TImpl::TColumnDrag drag = FImpl->ColDrag;
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
    const bool grouped = last > first || !Columns(From - FImpl->IndicatorOffset)->GroupName().empty();
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
    const bool ontoGroup = dropLast > dropFirst || !Columns(To - FImpl->IndicatorOffset)->GroupName().empty();
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
    if (!FImpl->ColDrag.Dragging || FImpl->ColDrag.DropCol < 0 || FImpl->TitleOffset == 0) return;
    // The dragged title follows the mouse under the marks.
    if (FImpl->DragImage)
        C->Draw(FImpl->ColDrag.Last.X - FImpl->ColDrag.Offset.X,
                FImpl->ColDrag.Last.Y - FImpl->ColDrag.Offset.Y, FImpl->DragImage.get());
    const int drop = FImpl->ColDrag.DropCol;
    const TRect r = CellRect(drop, 0);
    if (!IsRectEmpty(r) && drop != FImpl->ColDrag.StartCol) {
        TGridDrawInfo di;
        CalcDrawInfo(di);
        const bool right = drop > FImpl->ColDrag.StartCol;
        // The insertion line over the titles and the data rows.
        const int x = right ? r.Right : r.Left;
        C->Brush()->SetColor(clBlack);
        C->FillRect(Rect(std::max(0, x - 1), 0, x + 1, di.Vert.GridBoundary));
        // The drop mark: "QZRIGHT" when the column moves right, "QZLEFT" when left.
        TImageList* arrows = qzGridTitleArrowImages();
        if (arrows && arrows->Count() >= 2 && FImpl->Options.Contains(dgTitles)) {
            const int ax = right ? r.Right - arrows->Width() : r.Left;
            arrows->Draw(C, std::max(0, ax), r.Top + (r.Height() - arrows->Height()) / 2, right ? 0 : 1);
        }
    }
}
