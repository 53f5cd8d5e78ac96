// TCustomGrid: properties, layout, current cell and selection, scrolling
// and the editor's life cycle. Painting is in grids_paint.cpp, keys and the
// mouse in grids_input.cpp, the editor itself in grids_inplace.cpp.
#include "platform/ui/grids.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/ui/forms.h"
#include "platform/ui/timer.h"

namespace {
constexpr const char* SGridIndexOutOfRange = "Grid index out of range";
constexpr const char* SFixedColTooBig = "Fixed column count must be less than column count";
constexpr const char* SFixedRowTooBig = "Fixed row count must be less than row count";

// Pixels a cell takes with its line; a negative extent hides cell and line.
int Span(const TGridAxisDrawInfo& Axis, int Index) {
    const int e = Axis.GetExtent(Index);
    return e < 0 ? 0 : e + Axis.EffectiveLineWidth;
}
}  // namespace

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + csCaptureMouse + csOpaque + csDoubleClicks);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(Left(), Top(), 320, 120);
    RecreateWnd();  // the frame of the border style
    FScrollReady = true;
}

TCustomGrid::~TCustomGrid() {
    StopTimer();
    FInplaceEdit = nullptr;  // owned as a component; freed with the grid's components
}

// ---- Counts and sizes -------------------------------------------------------------------

void TCustomGrid::CheckCell(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount)
        throw EInvalidGridOperation(SGridIndexOutOfRange);
}

void TCustomGrid::SetColCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == FColCount) return;
    if (Value <= FFixedCols) SetFixedCols(Value - 1);
    ChangeSize(Value, FRowCount);
}

void TCustomGrid::SetRowCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == FRowCount) return;
    if (Value <= FFixedRows) SetFixedRows(Value - 1);
    ChangeSize(FColCount, Value);
}

void TCustomGrid::ChangeSize(int NewColCount, int NewRowCount) {
    const int oldCols = FColCount, oldRows = FRowCount;
    if (NewColCount == oldCols && NewRowCount == oldRows) return;
    // The old cell is written back before it may vanish.
    if (FInplaceCol >= NewColCount || FInplaceRow >= NewRowCount) HideEdit();
    FColCount = NewColCount;
    FRowCount = NewRowCount;
    if (!FColWidths.empty()) FColWidths.resize(static_cast<size_t>(FColCount), FDefaultColWidth);
    if (!FRowHeights.empty()) FRowHeights.resize(static_cast<size_t>(FRowCount), FDefaultRowHeight);
    if (!FTabStops.empty()) FTabStops.resize(static_cast<size_t>(FColCount), 1);
    auto clampX = [this](int v) { return std::clamp(v, FFixedCols, FColCount - 1); };
    auto clampY = [this](int v) { return std::clamp(v, FFixedRows, FRowCount - 1); };
    FCurrent = {clampX(FCurrent.X), clampY(FCurrent.Y)};
    FAnchor = {clampX(FAnchor.X), clampY(FAnchor.Y)};
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    const TGridCoord oldTopLeft = FTopLeft;
    FTopLeft = {clampX(FTopLeft.X), clampY(FTopLeft.Y)};
    SizeChanged(oldCols, oldRows);
    if (!(oldTopLeft == FTopLeft)) TopLeftMoved(oldTopLeft);
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::SizeChanged(int, int) {}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value == FFixedCols) return;
    if (Value < 0) throw EInvalidGridOperation(SGridIndexOutOfRange);
    if (Value >= FColCount) throw EInvalidGridOperation(SFixedColTooBig);
    FFixedCols = Value;
    FCurrent.X = std::max(FCurrent.X, Value);
    FAnchor.X = std::max(FAnchor.X, Value);
    FTopLeft.X = std::max(FTopLeft.X, Value);
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value == FFixedRows) return;
    if (Value < 0) throw EInvalidGridOperation(SGridIndexOutOfRange);
    if (Value >= FRowCount) throw EInvalidGridOperation(SFixedRowTooBig);
    FFixedRows = Value;
    FCurrent.Y = std::max(FCurrent.Y, Value);
    FAnchor.Y = std::max(FAnchor.Y, Value);
    FTopLeft.Y = std::max(FTopLeft.Y, Value);
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    FColWidths.clear();
    FDefaultColWidth = Value;
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    FRowHeights.clear();
    FDefaultRowHeight = Value;
    RowHeightsChanged();
}

int TCustomGrid::ColWidths(int Index) const {
    if (Index < 0 || Index >= FColCount) throw EInvalidGridOperation(SGridIndexOutOfRange);
    return FColWidths.empty() ? FDefaultColWidth : FColWidths[static_cast<size_t>(Index)];
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= FColCount) throw EInvalidGridOperation(SGridIndexOutOfRange);
    if (ColWidths(Index) == Value) return;
    if (FColWidths.empty()) FColWidths.assign(static_cast<size_t>(FColCount), FDefaultColWidth);
    FColWidths[static_cast<size_t>(Index)] = Value;
    ColWidthsChanged();
}

int TCustomGrid::RowHeights(int Index) const {
    if (Index < 0 || Index >= FRowCount) throw EInvalidGridOperation(SGridIndexOutOfRange);
    return FRowHeights.empty() ? FDefaultRowHeight : FRowHeights[static_cast<size_t>(Index)];
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= FRowCount) throw EInvalidGridOperation(SGridIndexOutOfRange);
    if (RowHeights(Index) == Value) return;
    if (FRowHeights.empty()) FRowHeights.assign(static_cast<size_t>(FRowCount), FDefaultRowHeight);
    FRowHeights[static_cast<size_t>(Index)] = Value;
    RowHeightsChanged();
}

bool TCustomGrid::TabStops(int Index) const {
    if (Index < 0 || Index >= FColCount) throw EInvalidGridOperation(SGridIndexOutOfRange);
    return FTabStops.empty() || FTabStops[static_cast<size_t>(Index)] != 0;
}

void TCustomGrid::SetTabStops(int Index, bool Value) {
    if (Index < 0 || Index >= FColCount) throw EInvalidGridOperation(SGridIndexOutOfRange);
    if (FTabStops.empty()) {
        if (Value) return;
        FTabStops.assign(static_cast<size_t>(FColCount), 1);
    }
    FTabStops[static_cast<size_t>(Index)] = Value ? 1 : 0;
}

void TCustomGrid::SetGridLineWidth(int Value) {
    Value = std::max(0, Value);
    if (Value == FGridLineWidth) return;
    FGridLineWidth = Value;
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

int TCustomGrid::GridWidth() const {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    int w = 0;
    for (int i = 0; i < FColCount; ++i) w += Span(di.Horz, i);
    return w;
}

int TCustomGrid::GridHeight() const {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    int h = 0;
    for (int i = 0; i < FRowCount; ++i) h += Span(di.Vert, i);
    return h;
}

void TCustomGrid::ColWidthsChanged() {
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::RowHeightsChanged() {
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

// ---- Appearance ------------------------------------------------------------------------

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value.Contains(goRowSelect)) Value.Exclude(goAlwaysShowEditor);
    if (Value == FOptions) return;
    FOptions = Value;
    if (!FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) {
        FAnchor.Y = FCurrent.Y;
        FAnchor.X = FColCount - 1;
    }
    if (!FOptions.Contains(goEditing) || FOptions.Contains(goRowSelect))
        HideEditor();
    else if (!FEditorMode) {
        if (FOptions.Contains(goAlwaysShowEditor))
            ShowEditor();
        else
            HideEditor();
    }
    UpdateScrollRange();
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    if (Value == FFixedColor) return;
    FFixedColor = Value;
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (Value != ssVertical && Value != ssBoth) ShowScrollBar(SB_VERT, false);
    if (Value != ssHorizontal && Value != ssBoth) ShowScrollBar(SB_HORZ, false);
    UpdateScrollRange();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
    UpdateScrollRange();
    Invalidate();
}

// ---- Layout ----------------------------------------------------------------------------

int TCustomGrid::EffectiveHorzLine() const { return FOptions.Contains(goVertLine) ? FGridLineWidth : 0; }
int TCustomGrid::EffectiveVertLine() const { return FOptions.Contains(goHorzLine) ? FGridLineWidth : 0; }

void TCustomGrid::CalcAxis(TGridAxisDrawInfo& Axis, int Extent) const {
    Axis.GridExtent = Extent;
    int pos = 0;
    for (int i = 0; i < Axis.FixedCellCount; ++i) pos += Span(Axis, i);
    Axis.FixedBoundary = pos;
    Axis.FullVisBoundary = pos;
    Axis.LastFullVisibleCell = Axis.FirstGridCell;
    int i = Axis.FirstGridCell;
    for (; i < Axis.GridCellCount && pos < Extent; ++i) {
        const int e = Axis.GetExtent(i);
        const int span = Span(Axis, i);
        if (e >= 0 && pos + e <= Extent) {
            Axis.FullVisBoundary = pos + span;
            Axis.LastFullVisibleCell = i;
        }
        pos += span;
    }
    Axis.GridBoundary = std::min(pos, Extent);
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo) const {
    const TRect r = ClientRect();
    CalcDrawInfoXY(DrawInfo, r.Width(), r.Height());
}

void TCustomGrid::CalcDrawInfoXY(TGridDrawInfo& DrawInfo, int UseWidth, int UseHeight) const {
    CalcFixedInfo(DrawInfo);
    CalcAxis(DrawInfo.Horz, UseWidth);
    CalcAxis(DrawInfo.Vert, UseHeight);
}

void TCustomGrid::CalcFixedInfo(TGridDrawInfo& DrawInfo) const {
    auto& h = DrawInfo.Horz;
    h.EffectiveLineWidth = EffectiveHorzLine();
    h.FixedCellCount = FFixedCols;
    h.FirstGridCell = FTopLeft.X;
    h.GridCellCount = FColCount;
    h.GetExtent = [this](int i) { return ColWidths(i); };
    auto& v = DrawInfo.Vert;
    v.EffectiveLineWidth = EffectiveVertLine();
    v.FixedCellCount = FFixedRows;
    v.FirstGridCell = FTopLeft.Y;
    v.GridCellCount = FRowCount;
    v.GetExtent = [this](int i) { return RowHeights(i); };
    int pos = 0;
    for (int i = 0; i < FFixedCols; ++i) pos += Span(h, i);
    h.FixedBoundary = pos;
    pos = 0;
    for (int i = 0; i < FFixedRows; ++i) pos += Span(v, i);
    v.FixedBoundary = pos;
}

// Start of a cell shown along the axis; -1 when it is not shown.
int TCustomGrid::LinePos(const TGridAxisDrawInfo& Axis, int Line) const {
    if (Line < 0 || Line >= Axis.GridCellCount) return -1;
    int pos = 0;
    if (Line < Axis.FixedCellCount) {
        for (int i = 0; i < Line; ++i) pos += Span(Axis, i);
        return pos < Axis.GridExtent ? pos : -1;
    }
    if (Line < Axis.FirstGridCell) return -1;
    pos = Axis.FixedBoundary;
    for (int i = Axis.FirstGridCell; i < Line; ++i) {
        pos += Span(Axis, i);
        if (pos >= Axis.GridExtent) return -1;
    }
    return pos < Axis.GridExtent ? pos : -1;
}

// The pixel range of cells First..Last shown along the axis (cut to what shows).
bool TCustomGrid::CalcAxisRange(const TGridAxisDrawInfo& Axis, int First, int Last, int& Min,
                                int& Max) const {
    if (First > Last) std::swap(First, Last);
    First = std::max(First, 0);
    Last = std::min(Last, Axis.GridCellCount - 1);
    if (First > Last) return false;
    // Scrolling cells left of the first one shown are hidden.
    if (First >= Axis.FixedCellCount && First < Axis.FirstGridCell) {
        if (Last < Axis.FirstGridCell) return false;
        First = Axis.FirstGridCell;
    }
    if (Last >= Axis.FixedCellCount && Last < Axis.FirstGridCell) Last = Axis.FixedCellCount - 1;
    Min = LinePos(Axis, First);
    if (Min < 0) return false;
    // The last cell shown of the range: step back from Last to one that starts inside.
    int lastPos = -1;
    if (Last >= Axis.FixedCellCount) {
        int pos = Axis.FixedBoundary;
        int lastShown = -1;
        for (int i = Axis.FirstGridCell; i <= Last && pos < Axis.GridExtent; ++i) {
            lastShown = i;
            lastPos = pos;
            pos += Span(Axis, i);
        }
        if (lastShown < 0) {
            Last = Axis.FixedCellCount - 1;
            lastPos = LinePos(Axis, Last);
        } else {
            Last = lastShown;
        }
    } else {
        lastPos = LinePos(Axis, Last);
    }
    if (Last < First || lastPos < 0) return false;
    const int e = Axis.GetExtent(Last);
    Max = std::min(lastPos + std::max(e, 0), Axis.GridExtent);
    return Max >= Min;
}

TRect TCustomGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) const {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    TRect r;
    if (!CalcAxisRange(di.Horz, ALeft, ARight, r.Left, r.Right) ||
        !CalcAxisRange(di.Vert, ATop, ABottom, r.Top, r.Bottom))
        return TRect{};
    return r;
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const { return BoxRect(ACol, ARow, ACol, ARow); }

int TCustomGrid::CellAt(const TGridAxisDrawInfo& Axis, int Pos) const {
    if (Pos < 0 || Pos >= Axis.GridExtent) return -1;
    int start = 0;
    for (int i = 0; i < Axis.FixedCellCount; ++i) {
        const int span = Span(Axis, i);
        if (Pos < start + span) return i;
        start += span;
    }
    for (int i = Axis.FirstGridCell; i < Axis.GridCellCount && start < Axis.GridExtent; ++i) {
        const int span = Span(Axis, i);
        if (Pos < start + span) return i;
        start += span;
    }
    return -1;
}

int TCustomGrid::GridX(int X) const { return UseRightToLeftAlignment() ? ClientWidth() - 1 - X : X; }

TRect TCustomGrid::GridToClientRect(const TRect& R) const {
    if (!UseRightToLeftAlignment()) return R;
    const int w = ClientWidth();
    return Rect(w - R.Right, R.Top, w - R.Left, R.Bottom);
}

void TCustomGrid::ChangeGridOrientation(bool RightToLeft) {
    Canvas()->SetMirrorWidth(RightToLeft ? ClientWidth() : 0);
}

TGridCoord TCustomGrid::MouseCoordBefore(int X, int Y, int Distance) const {
    return MouseCoord(UseRightToLeftAlignment() ? X + Distance : X - Distance, Y);
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    const int c = CellAt(di.Horz, GridX(X));
    const int r = CellAt(di.Vert, Y);
    if (c < 0 || r < 0) return {-1, -1};
    return {c, r};
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    const TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

int TCustomGrid::VisibleRowCount() const {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    if (FRowCount <= FFixedRows) return 0;
    return std::max(0, di.Vert.LastFullVisibleCell - di.Vert.FirstGridCell + 1);
}

int TCustomGrid::VisibleColCount() const {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    if (FColCount <= FFixedCols) return 0;
    return std::max(0, di.Horz.LastFullVisibleCell - di.Horz.FirstGridCell + 1);
}

TGridCoord TCustomGrid::CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo) const {
    auto axisMax = [](const TGridAxisDrawInfo& a) {
        const int avail = a.GridExtent - a.FixedBoundary;
        int i = a.GridCellCount - 1;
        if (i < a.FixedCellCount) return a.FixedCellCount;
        int used = std::max(0, a.GetExtent(i));
        while (i - 1 >= a.FixedCellCount) {
            const int s = Span(a, i - 1);
            if (used + s > avail) break;
            used += s;
            --i;
        }
        return i;
    };
    return {std::min(Coord.X, axisMax(DrawInfo.Horz)), std::min(Coord.Y, axisMax(DrawInfo.Vert))};
}

// ---- Current cell and selection -----------------------------------------------------------

TGridRect TCustomGrid::Selection() const {
    TGridRect r{std::min(FCurrent.X, FAnchor.X), std::min(FCurrent.Y, FAnchor.Y),
                std::max(FCurrent.X, FAnchor.X), std::max(FCurrent.Y, FAnchor.Y)};
    if (FOptions.Contains(goRowSelect)) {
        r.Left = FFixedCols;
        r.Right = FColCount - 1;
    }
    return r;
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
    CheckCell(Value.Left, Value.Top);
    CheckCell(Value.Right, Value.Bottom);
    const TGridRect old = Selection();
    FCurrent = {Value.Left, Value.Top};
    FAnchor = FOptions.Contains(goRangeSelect) ? TGridCoord{Value.Right, Value.Bottom} : FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    SelectionMoved(old);
    UpdateEdit();
}

bool TCustomGrid::SelectCell(int, int) { return true; }

void TCustomGrid::SetCol(int Value) {
    if (Value != FCurrent.X) FocusCell(Value, FCurrent.Y, true);
}

void TCustomGrid::SetRow(int Value) {
    if (Value != FCurrent.Y) FocusCell(FCurrent.X, Value, true);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, MoveAnchor, true);
    if (FCurrent.X == ACol && FCurrent.Y == ARow) Click();
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
    MoveCurrent(ACol, ARow, MoveAnchor, Show);
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
    CheckCell(ACol, ARow);
    if (!SelectCell(ACol, ARow)) return;
    const TGridRect old = Selection();
    const bool moved = ACol != FCurrent.X || ARow != FCurrent.Y;
    // The editor leaves with the old cell (its text written back), unless
    // it is always shown: then it follows and reloads.
    if (moved && !FOptions.Contains(goAlwaysShowEditor)) HideEditor();
    const bool colMoved = FColumnMoveNotices && ACol != FCurrent.X;
    if (colMoved) ColExit();
    FCurrent = {ACol, ARow};
    if (MoveAnchor || !FOptions.Contains(goRangeSelect)) FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    if (Show) ClampInView(FCurrent);
    SelectionMoved(old);
    UpdateEdit();
    if (colMoved) ColEnter();
}

void TCustomGrid::MoveAnchor(const TGridCoord& NewAnchor) {
    if (!FOptions.Contains(goRangeSelect)) {
        MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
        return;
    }
    CheckCell(NewAnchor.X, NewAnchor.Y);
    const TGridRect old = Selection();
    FAnchor = NewAnchor;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    ClampInView(NewAnchor);
    SelectionMoved(old);
}

void TCustomGrid::SelectionMoved(const TGridRect& OldSel) {
    if (!(OldSel == Selection())) InvalidateRect(OldSel);
    InvalidateRect(Selection());
}

void TCustomGrid::ClampInView(const TGridCoord& Coord) {
    if (!HandleAllocated() && (ClientWidth() <= 0 || ClientHeight() <= 0)) return;
    TGridDrawInfo di;
    CalcDrawInfo(di);
    auto fitTo = [](const TGridAxisDrawInfo& a, int target, int current) {
        if (target < a.FixedCellCount) return current;
        if (target < a.FirstGridCell) return target;
        if (target <= a.LastFullVisibleCell) return current;
        // The first cell from which Target still shows whole.
        const int avail = a.GridExtent - a.FixedBoundary;
        int i = target;
        int used = std::max(0, a.GetExtent(target));
        while (i - 1 >= a.FixedCellCount) {
            const int s = Span(a, i - 1);
            if (used + s > avail) break;
            used += s;
            --i;
        }
        return std::max(i, current);
    };
    MoveTopLeft(fitTo(di.Horz, Coord.X, FTopLeft.X), fitTo(di.Vert, Coord.Y, FTopLeft.Y));
}

void TCustomGrid::SetTopRow(int Value) {
    if (Value != FTopLeft.Y) MoveTopLeft(FTopLeft.X, Value);
}

void TCustomGrid::SetLeftCol(int Value) {
    if (Value != FTopLeft.X) MoveTopLeft(Value, FTopLeft.Y);
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
    TGridDrawInfo di;
    CalcDrawInfo(di);
    TGridCoord nw = CalcMaxTopLeft({ALeft, ATop}, di);
    nw.X = std::clamp(nw.X, FFixedCols, std::max(FFixedCols, FColCount - 1));
    nw.Y = std::clamp(nw.Y, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    if (nw == FTopLeft) return;
    const TGridCoord old = FTopLeft;
    FTopLeft = nw;
    TopLeftMoved(old);
}

void TCustomGrid::TopLeftMoved(const TGridCoord& OldTopLeft) {
    ScrollData(OldTopLeft.X - FTopLeft.X, OldTopLeft.Y - FTopLeft.Y);
    UpdateScrollPos();
    TopLeftChanged();
    UpdateEdit();
}

void TCustomGrid::ScrollData(int, int) { Invalidate(); }

void TCustomGrid::TopLeftChanged() {}

// ---- Invalidation ----------------------------------------------------------------------

void TCustomGrid::InvalidateRect(const TGridRect&) { Invalidate(); }
void TCustomGrid::InvalidateCell(int ACol, int ARow) { InvalidateRect({ACol, ARow, ACol, ARow}); }
void TCustomGrid::InvalidateCol(int ACol) { InvalidateRect({ACol, 0, ACol, FRowCount - 1}); }
void TCustomGrid::InvalidateRow(int ARow) { InvalidateRect({0, ARow, FColCount - 1, ARow}); }

// ---- Moving and deleting columns and rows --------------------------------------------------

namespace {
template <class T>
void MoveEntry(std::vector<T>& V, int From, int To) {
    if (V.empty()) return;
    T value = V[static_cast<size_t>(From)];
    V.erase(V.begin() + From);
    V.insert(V.begin() + To, value);
}

// Where index I goes when the entry at From moves to To.
int MovedIndex(int I, int From, int To) {
    if (I == From) return To;
    if (From < To && I > From && I <= To) return I - 1;
    if (From > To && I >= To && I < From) return I + 1;
    return I;
}
}  // namespace

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    CheckCell(FromIndex, 0);
    CheckCell(ToIndex, 0);
    if (FromIndex == ToIndex) return;
    HideEdit();
    MoveEntry(FColWidths, FromIndex, ToIndex);
    MoveEntry(FTabStops, FromIndex, ToIndex);
    FCurrent.X = MovedIndex(FCurrent.X, FromIndex, ToIndex);
    if (!FOptions.Contains(goRowSelect)) FAnchor.X = MovedIndex(FAnchor.X, FromIndex, ToIndex);
    ColumnMoved(FromIndex, ToIndex);
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    CheckCell(0, FromIndex);
    CheckCell(0, ToIndex);
    if (FromIndex == ToIndex) return;
    HideEdit();
    MoveEntry(FRowHeights, FromIndex, ToIndex);
    FCurrent.Y = MovedIndex(FCurrent.Y, FromIndex, ToIndex);
    FAnchor.Y = MovedIndex(FAnchor.Y, FromIndex, ToIndex);
    RowMoved(FromIndex, ToIndex);
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::DeleteColumn(int ACol) {
    MoveColumn(ACol, FColCount - 1);
    SetColCount(FColCount - 1);
}

void TCustomGrid::DeleteRow(int ARow) {
    MoveRow(ARow, FRowCount - 1);
    SetRowCount(FRowCount - 1);
}

void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}

// ---- Editor -------------------------------------------------------------------------------

bool TCustomGrid::CanEditAcceptKey(char32_t) { return true; }
bool TCustomGrid::CanGridAcceptKey(uint16_t, TShiftState) { return true; }
bool TCustomGrid::CanEditModify() { return FOptions.Contains(goEditing); }
std::string TCustomGrid::GetEditText(int, int) { return std::string(); }
void TCustomGrid::SetEditText(int, int, const std::string&) {}
std::string TCustomGrid::GetEditMask(int, int) { return std::string(); }
int TCustomGrid::GetEditLimit() { return 0; }

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::CanEditShow() {
    return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode &&
           !ComponentState().Contains(csDesigning) && HandleAllocated() && FCurrent.X >= FFixedCols &&
           FCurrent.Y >= FFixedRows && (FOptions.Contains(goAlwaysShowEditor) || IsActiveControl());
}

bool TCustomGrid::IsActiveControl() const {
    if (Focused()) return true;
    if (FInplaceEdit && FInplaceEdit->Focused()) return true;
    TCustomForm* form = GetParentForm(this);
    if (form && form->Active()) {
        TWinControl* active = form->ActiveControl();
        return active == this || (FInplaceEdit && active == FInplaceEdit);
    }
    return false;
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (!Value) {
        HideEditor();
        return;
    }
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->Visible()) FInplaceEdit->Deselect();
}

void TCustomGrid::ShowEditor() {
    FEditorMode = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    FEditorMode = false;
    HideEdit();
}

void TCustomGrid::ShowEditorChar(char32_t Ch) {
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->Visible()) {
        FInplaceEdit->SelectAll();
        FInplaceEdit->TypeKey(Ch);
    }
}

void TCustomGrid::UpdateEdit() {
    if (!CanEditShow()) return;
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        // Its window is made with the grid's direction.
        FInplaceEdit->SetBiDiMode(BiDiMode());
        FInplaceEdit->SetParent(this);
    }
    if (FCurrent.X != FInplaceCol || FCurrent.Y != FInplaceRow || !FInplaceEdit->Visible()) {
        if (FInplaceCol >= 0) UpdateText();
        FInplaceCol = FCurrent.X;
        FInplaceRow = FCurrent.Y;
        FInplaceEdit->UpdateContents();
        FInplaceEdit->SelectAll();
    }
    const TRect cell = CellRect(FCurrent.X, FCurrent.Y);
    const TRect r = IsRectEmpty(cell) ? cell : GridToClientRect(cell);
    if (IsRectEmpty(r))
        FInplaceEdit->UpdateLoc(r);
    else
        FInplaceEdit->Move(r);
}

void TCustomGrid::BiDiModeChanged() {
    inherited::BiDiModeChanged();
    if (!FInplaceEdit) return;
    FInplaceEdit->FollowGridDirection();
    if (!FInplaceEdit->Visible()) return;
    const TRect cell = CellRect(FCurrent.X, FCurrent.Y);
    FInplaceEdit->UpdateLoc(IsRectEmpty(cell) ? cell : GridToClientRect(cell));
}

void TCustomGrid::HideEdit() {
    if (!FInplaceEdit) return;
    UpdateText();
    // Forgotten before hiding: the focus coming back to the grid must not
    // write the text a second time.
    FInplaceCol = -1;
    FInplaceRow = -1;
    FInplaceEdit->Hide();
}

void TCustomGrid::UpdateText() {
    if (FInplaceEdit && FInplaceCol >= 0 && FInplaceRow >= 0 && FInplaceEdit->Modified())
        SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGrid::InvalidateEditor() {
    FInplaceCol = -1;
    FInplaceRow = -1;
    // The shown text is out of date: an editor that cannot be loaded again
    // now (the grid lost the focus) goes rather than show it.
    if (FInplaceEdit && FInplaceEdit->Visible() && !CanEditShow()) FInplaceEdit->Hide();
    UpdateEdit();
}

// ---- Window ---------------------------------------------------------------------------------

void TCustomGrid::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.WindowClassStyle |= CS_DBLCLKS;
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCustomGrid::Loaded() {
    inherited::Loaded();
    UpdateScrollRange();
}

void TCustomGrid::Resize() {
    inherited::Resize();
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::CMFontChanged(TMessage& Message) {
    inherited::CMFontChanged(Message);
    Invalidate();
}

void TCustomGrid::CMShowingChanged(TMessage& Message) {
    inherited::CMShowingChanged(Message);
    UpdateScrollRange();
}

void TCustomGrid::WMSetFocus(TMessage& Message) {
    inherited::WMSetFocus(Message);
    Invalidate();
    UpdateEdit();
}

void TCustomGrid::WMKillFocus(TMessage& Message) {
    inherited::WMKillFocus(Message);
    Invalidate();
}

void TCustomGrid::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS;
    if (!FOptions.Contains(goRowSelect) && FOptions.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
    if (FOptions.Contains(goEditing)) Message.Result |= DLGC_WANTCHARS;
}

void TCustomGrid::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL: WMHScroll(Message); break;
    case WM_VSCROLL: WMVScroll(Message); break;
    default: inherited::Dispatch(Message);
    }
}

// ---- TDrawGrid ------------------------------------------------------------------------------

TDrawGrid::TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    FOnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(int ACol, int ARow) {
    bool can = TCustomGrid::SelectCell(ACol, ARow);
    FOnSelectCell(this, ACol, ARow, can);
    return can;
}

std::string TDrawGrid::GetEditMask(int ACol, int ARow) {
    std::string s;
    FOnGetEditMask(this, ACol, ARow, s);
    return s;
}

std::string TDrawGrid::GetEditText(int ACol, int ARow) {
    std::string s;
    FOnGetEditText(this, ACol, ARow, s);
    return s;
}

void TDrawGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
    FOnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex) { FOnColumnMoved(this, FromIndex, ToIndex); }
void TDrawGrid::RowMoved(int FromIndex, int ToIndex) { FOnRowMoved(this, FromIndex, ToIndex); }

void TDrawGrid::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    FOnTopLeftChanged(this);
}

void TDrawGrid::Publish(TPublisher<TDrawGrid>& p) {
    p.Property("ColCount", &TDrawGrid::ColCount, &TDrawGrid::SetColCount);
    p.Property("RowCount", &TDrawGrid::RowCount, &TDrawGrid::SetRowCount);
    p.Property("FixedCols", &TDrawGrid::FixedCols, &TDrawGrid::SetFixedCols);
    p.Property("FixedRows", &TDrawGrid::FixedRows, &TDrawGrid::SetFixedRows);
    p.Property("DefaultColWidth", &TDrawGrid::DefaultColWidth, &TDrawGrid::SetDefaultColWidth);
    p.Property("DefaultRowHeight", &TDrawGrid::DefaultRowHeight, &TDrawGrid::SetDefaultRowHeight);
    p.Property("GridLineWidth", &TDrawGrid::GridLineWidth, &TDrawGrid::SetGridLineWidth);
    p.Property("Options", &TDrawGrid::Options, &TDrawGrid::SetOptions);
    p.Property("FixedColor", &TDrawGrid::FixedColor, &TDrawGrid::SetFixedColor);
    p.Property("ScrollBars", &TDrawGrid::ScrollBars, &TDrawGrid::SetScrollBars);
    p.Property("BorderStyle", &TDrawGrid::BorderStyle, &TDrawGrid::SetBorderStyle);
    p.Property("DefaultDrawing", &TDrawGrid::DefaultDrawing, &TDrawGrid::SetDefaultDrawing);
    p.Property("OnDrawCell", &TDrawGrid::OnDrawCell, &TDrawGrid::SetOnDrawCell);
    p.Property("OnSelectCell", &TDrawGrid::OnSelectCell, &TDrawGrid::SetOnSelectCell);
    p.Property("OnGetEditMask", &TDrawGrid::OnGetEditMask, &TDrawGrid::SetOnGetEditMask);
    p.Property("OnGetEditText", &TDrawGrid::OnGetEditText, &TDrawGrid::SetOnGetEditText);
    p.Property("OnSetEditText", &TDrawGrid::OnSetEditText, &TDrawGrid::SetOnSetEditText);
    p.Property("OnColumnMoved", &TDrawGrid::OnColumnMoved, &TDrawGrid::SetOnColumnMoved);
    p.Property("OnRowMoved", &TDrawGrid::OnRowMoved, &TDrawGrid::SetOnRowMoved);
    p.Property("OnTopLeftChanged", &TDrawGrid::OnTopLeftChanged, &TDrawGrid::SetOnTopLeftChanged);
}
