// TCustomGrid: keys, the mouse (selecting, sizing and moving), timed
// scrolling, the wheel, and the scroll bars with their requests.
#include <algorithm>

#include "platform/ui/grids.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/timer.h"

namespace {
// Pixels either side of a grid line where sizing starts.
constexpr int SizingSlack = 2;
// Milliseconds between the steps of timed scrolling.
constexpr unsigned TimedScrollInterval = 60;

bool HasVert(TScrollStyle S) { return S == ssVertical || S == ssBoth; }
bool HasHorz(TScrollStyle S) { return S == ssHorizontal || S == ssBoth; }
}  // namespace

// ---- Keys ------------------------------------------------------------------------------------

int TCustomGrid::NextTabStop(int FromCol, bool Forward, int& RowStep) const {
    RowStep = 0;
    int c = FromCol;
    const int span = FColCount - FFixedCols;
    for (int n = 0; n < span; ++n) {
        c += Forward ? 1 : -1;
        if (c >= FColCount) {
            c = FFixedCols;
            ++RowStep;
        } else if (c < FFixedCols) {
            c = FColCount - 1;
            --RowStep;
        }
        if (c == FromCol && RowStep == 0) break;
        if (TabStops(c) && ColWidths(c) >= 0) return c;
    }
    RowStep = 0;
    return FromCol;
}

// Tab, F2 and Escape: they act on the grid rather than move in it.
bool TCustomGrid::GridCommandKey(uint16_t& Key, TShiftState Shift) {
    switch (Key) {
    case VK_TAB:
        if (FOptions.Contains(goTabs) && !Shift.Contains(ssAlt)) {
            int rowStep = 0;
            const int c = NextTabStop(FCurrent.X, !Shift.Contains(ssShift), rowStep);
            const int r = FCurrent.Y + rowStep;
            if (r >= FFixedRows && r < FRowCount && (c != FCurrent.X || rowStep != 0)) FocusCell(c, r, true);
            Key = 0;
        }
        return true;
    case VK_F2: SetEditorMode(true); return true;
    case VK_ESCAPE:
        if (FInplaceEdit && FInplaceEdit->Visible()) {
            FInplaceEdit->Reset();
            if (!FOptions.Contains(goAlwaysShowEditor))
                HideEditor();
            else
                FInplaceEdit->SelectAll();
        }
        return true;
    default: return false;
    }
}

// Where a Ctrl key moves the current cell (Cur) or scrolls to (Top); false for no moving key.
bool TCustomGrid::CtrlMoveTarget(uint16_t Key, const TGridDrawInfo& Info, TGridCoord& Cur,
                                 TGridCoord& Top) const {
    const bool rowSelect = FOptions.Contains(goRowSelect);
    switch (Key) {
    case VK_UP: Cur.Y = std::max(FTopLeft.Y, FFixedRows); break;
    case VK_DOWN: Cur.Y = Info.Vert.LastFullVisibleCell; break;
    case VK_PRIOR: Cur.Y = FFixedRows; break;
    case VK_NEXT: Cur.Y = FRowCount - 1; break;
    case VK_LEFT:
        if (rowSelect)
            Top.X = FFixedCols;
        else
            Cur.X = FFixedCols;
        break;
    case VK_RIGHT:
        if (rowSelect)
            Top.X = FColCount - 1;
        else
            Cur.X = FColCount - 1;
        break;
    case VK_HOME: Cur = {FFixedCols, FFixedRows}; break;
    case VK_END: Cur = {FColCount - 1, FRowCount - 1}; break;
    default: return false;
    }
    return true;
}

// Where a plain key moves the current cell (Cur) or scrolls to (Top); false for no moving key.
bool TCustomGrid::MoveTarget(uint16_t Key, const TGridDrawInfo& Info, TGridCoord& Cur,
                             TGridCoord& Top) const {
    const bool rowSelect = FOptions.Contains(goRowSelect);
    const int pageRows = std::max(1, Info.Vert.LastFullVisibleCell - Info.Vert.FirstGridCell + 1);
    // Steps over hidden (negative-size) columns and rows.
    auto stepCol = [this](int c, int d) {
        int n = c + d;
        while (n >= FFixedCols && n < FColCount && ColWidths(n) < 0) n += d;
        return (n >= FFixedCols && n < FColCount) ? n : c;
    };
    auto stepRow = [this](int r, int d) {
        int n = r + d;
        while (n >= FFixedRows && n < FRowCount && RowHeights(n) < 0) n += d;
        return (n >= FFixedRows && n < FRowCount) ? n : r;
    };
    switch (Key) {
    case VK_UP: Cur.Y = stepRow(Cur.Y, -1); break;
    case VK_DOWN: Cur.Y = stepRow(Cur.Y, 1); break;
    case VK_LEFT:
        if (rowSelect)
            Top.X = std::max(FFixedCols, Top.X - 1);
        else
            Cur.X = stepCol(Cur.X, -1);
        break;
    case VK_RIGHT:
        if (rowSelect)
            Top.X = Top.X + 1;
        else
            Cur.X = stepCol(Cur.X, 1);
        break;
    case VK_NEXT:
        Cur.Y += pageRows;
        Top.Y += pageRows;
        break;
    case VK_PRIOR:
        Cur.Y -= pageRows;
        Top.Y -= pageRows;
        break;
    case VK_HOME:
        if (rowSelect)
            Cur.Y = FFixedRows;
        else
            Cur.X = FFixedCols;
        break;
    case VK_END:
        if (rowSelect)
            Cur.Y = FRowCount - 1;
        else
            Cur.X = FColCount - 1;
        break;
    default: return false;
    }
    return true;
}

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { inherited::KeyDown(Key, Shift); }) || Key == 0) return;
    if (!CanGridAcceptKey(Key, Shift)) {
        Key = 0;
        return;
    }
    // Right to left, the next column lies to the left.
    if (UseRightToLeftAlignment() && !Shift.Contains(ssCtrl) && (Key == VK_LEFT || Key == VK_RIGHT))
        Key = Key == VK_LEFT ? VK_RIGHT : VK_LEFT;
    TGridDrawInfo di;
    CalcDrawInfo(di);
    const bool rowSelect = FOptions.Contains(goRowSelect);
    const bool extend = Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect) && !rowSelect;
    TGridCoord cur = extend ? FAnchor : FCurrent;
    if (rowSelect && extend) cur.X = FCurrent.X;
    TGridCoord top = FTopLeft;
    if (Shift.Contains(ssCtrl)) {
        if (!CtrlMoveTarget(Key, di, cur, top)) return;
    } else {
        if (GridCommandKey(Key, Shift) || !MoveTarget(Key, di, cur, top)) return;
    }

    cur.X = std::clamp(cur.X, FFixedCols, FColCount - 1);
    cur.Y = std::clamp(cur.Y, FFixedRows, FRowCount - 1);
    if (!(top == FTopLeft)) MoveTopLeft(top.X, top.Y);
    const TGridCoord from = extend ? FAnchor : FCurrent;
    if (cur == from) return;
    if (extend)
        MoveAnchor(cur);
    else
        FocusCell(cur.X, cur.Y, true);
}

void TCustomGrid::KeyPress(char32_t& Key) {
    if (!RunWhileAlive(this, [&] { inherited::KeyPress(Key); })) return;
    if (Key == 13 && !FOptions.Contains(goAlwaysShowEditor)) {
        if (FEditorMode)
            HideEditor();
        else
            ShowEditor();
        Key = 0;
    }
}

void TCustomGrid::WMChar(TMessage& Message) {
    const auto ch = static_cast<char32_t>(Message.WParam);
    if (FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && (ch == 8 || ch >= 32) &&
        !(FInplaceEdit && FInplaceEdit->Visible() && FInplaceEdit->Focused())) {
        ShowEditorChar(ch);
        return;
    }
    inherited::WMChar(Message);
}

// ---- Mouse ---------------------------------------------------------------------------------

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                  TGridDrawInfo& FixedInfo) {
    State = gsNormal;
    Index = -1;
    CalcDrawInfo(FixedInfo);
    X = GridX(X);
    // The nearest line of the axis within reach of Pos.
    auto findLine = [](const TGridAxisDrawInfo& a, int Pos, int& Idx, int& LinePos) {
        int best = SizingSlack + 1;
        auto consider = [&](int i, int start) {
            const int e = a.GetExtent(i);
            if (e < 0) return;
            const int line = start + e;
            const int dist =
                Pos < line
                    ? line - Pos
                    : (Pos >= line + a.EffectiveLineWidth ? Pos - (line + a.EffectiveLineWidth) + 1 : 0);
            if (dist <= best) {
                best = dist;
                Idx = i;
                LinePos = line;
            }
        };
        int start = 0;
        for (int i = 0; i < a.FixedCellCount; ++i) {
            consider(i, start);
            const int e = a.GetExtent(i);
            start += e < 0 ? 0 : e + a.EffectiveLineWidth;
        }
        for (int i = a.FirstGridCell; i < a.GridCellCount && start <= a.GridExtent; ++i) {
            consider(i, start);
            const int e = a.GetExtent(i);
            start += e < 0 ? 0 : e + a.EffectiveLineWidth;
        }
        return Idx >= 0;
    };
    if (FOptions.Contains(goColSizing) && Y >= 0 && Y < FixedInfo.Vert.FixedBoundary) {
        int idx = -1, line = 0;
        if (findLine(FixedInfo.Horz, X, idx, line)) {
            State = gsColSizing;
            Index = idx;
            SizingPos = line;
            SizingOfs = line - X;
            return;
        }
    }
    if (FOptions.Contains(goRowSizing) && X >= 0 && X < FixedInfo.Horz.FixedBoundary) {
        int idx = -1, line = 0;
        if (findLine(FixedInfo.Vert, Y, idx, line)) {
            State = gsRowSizing;
            Index = idx;
            SizingPos = line;
            SizingOfs = line - Y;
        }
    }
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FLastMouse = {X, Y};
    if (!ComponentState().Contains(csDesigning) && CanFocus() && !IsActiveControl()) {
        SetFocus();
        if (!IsActiveControl()) {
            SetMouseCapture(false);
            return;
        }
    }
    if (Button == mbLeft && !Shift.Contains(ssDouble)) {
        TGridDrawInfo di;
        TGridState state = gsNormal;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(X, Y, state, index, pos, ofs, di);
        if (state != gsNormal) {
            HideEditor();
            FGridState = state;
            FSizingIndex = index;
            FSizingPos = pos;
            FSizingOfs = ofs;
            Invalidate();
        } else {
            const TGridCoord cell = MouseCoord(X, Y);
            if (cell.X >= 0) {
                if (FOptions.Contains(goColMoving) && cell.Y < FFixedRows && cell.X >= FFixedCols) {
                    HideEditor();
                    FGridState = gsColMoving;
                    FMoveIndex = FMovePos = cell.X;
                    FMoveDrawn = false;
                } else if (FOptions.Contains(goRowMoving) && cell.X < FFixedCols && cell.Y >= FFixedRows) {
                    HideEditor();
                    FGridState = gsRowMoving;
                    FMoveIndex = FMovePos = cell.Y;
                    FMoveDrawn = false;
                } else if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
                    if (FOptions.Contains(goEditing) && cell == FCurrent && !Shift.Contains(ssShift)) {
                        ShowEditor();
                    } else {
                        FGridState = gsSelecting;
                        StartTimer();
                        if (Shift.Contains(ssShift) && FOptions.Contains(goRangeSelect))
                            MoveAnchor(cell);
                        else
                            MoveCurrent(cell.X, cell.Y, true, true);
                    }
                }
            }
        }
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    FLastMouse = {X, Y};
    switch (FGridState) {
    case gsSelecting: SelectAt(X, Y); break;
    case gsColSizing:
    case gsRowSizing: {
        const int p = (FGridState == gsColSizing ? GridX(X) : Y) + FSizingOfs;
        if (p != FSizingPos) {
            FSizingPos = p;
            Invalidate();
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving: {
        TGridDrawInfo di;
        CalcDrawInfo(di);
        const bool cols = FGridState == gsColMoving;
        const TGridAxisDrawInfo& a = cols ? di.Horz : di.Vert;
        const int p = cols ? GridX(X) : Y;
        const int fixed = cols ? FFixedCols : FFixedRows;
        const int count = cols ? FColCount : FRowCount;
        int target;
        if (p >= a.GridBoundary)
            target = count - 1;
        else {
            const TGridCoord cell = MouseCoord(cols ? X : 0, cols ? 0 : Y);
            target = cols ? cell.X : cell.Y;
        }
        if (target >= 0) {
            target = std::clamp(target, fixed, count - 1);
            if (target != FMovePos || !FMoveDrawn) {
                FMovePos = target;
                FMoveDrawn = FMovePos != FMoveIndex;
                Invalidate();
            }
        }
        break;
    }
    default: break;
    }
    inherited::MouseMove(Shift, X, Y);
    // The sizing cursor over a sizable line.
    if (FGridState == gsNormal && HandleAllocated()) {
        TGridDrawInfo di;
        TGridState state = gsNormal;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(X, Y, state, index, pos, ofs, di);
        const TCursor want = state == gsColSizing ? crHSplit : state == gsRowSizing ? crVSplit : Cursor();
        SetWidgetCursor(want);
    }
}

// The selection (or the current cell) follows the mouse to the cell at (X, Y).
void TCustomGrid::SelectAt(int X, int Y) {
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < FFixedCols || cell.Y < FFixedRows) return;
    if (FOptions.Contains(goRangeSelect)) {
        if (!(cell == FAnchor)) MoveAnchor(cell);
    } else if (!(cell == FCurrent)) {
        MoveCurrent(cell.X, cell.Y, true, true);
    }
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FLastMouse = {X, Y};
    if (Button == mbLeft) EndMoveOrSize(X, Y, true);
    inherited::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::EndMoveOrSize(int X, int Y, bool Apply) {
    const TGridState state = FGridState;
    FGridState = gsNormal;
    switch (state) {
    case gsSelecting:
        StopTimer();
        if (Apply) SelectAt(X, Y);
        break;
    case gsColSizing:
    case gsRowSizing: {
        Invalidate();
        if (!Apply) break;
        TGridDrawInfo di;
        CalcDrawInfo(di);
        const bool cols = state == gsColSizing;
        const int start = LinePos(cols ? di.Horz : di.Vert, FSizingIndex);
        if (start < 0) break;
        const int size = FSizingPos - start;
        if (size > 1) {
            if (cols)
                SetColWidths(FSizingIndex, size);
            else
                SetRowHeights(FSizingIndex, size);
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving:
        Invalidate();
        FMoveDrawn = false;
        if (Apply && FMovePos != FMoveIndex) {
            if (state == gsColMoving)
                MoveColumn(FMoveIndex, FMovePos);
            else
                MoveRow(FMoveIndex, FMovePos);
        }
        break;
    default: break;
    }
}

void TCustomGrid::WMCancelMode(TMessage& Message) {
    EndMoveOrSize(0, 0, false);
    inherited::WMCancelMode(Message);
}

void TCustomGrid::SetWidgetCursor(TCursor Value) {
    if (Value == FShownCursor) return;
    FShownCursor = Value;
    if (QWidget* w = Widget()) {
        if (Value == crDefault)
            w->unsetCursor();
        else
            w->setCursor(ToQtCursor(Value));
    }
}

// ---- Timed scrolling -------------------------------------------------------------------------

void TCustomGrid::StartTimer() {
    if (!FTimer) {
        FTimer = std::make_unique<TTimer>(nullptr);
        FTimer->SetOnTimer(TNotifyEvent(this, &TCustomGrid::TimerTick));
    }
    FTimer->SetInterval(TimedScrollInterval);
    FTimer->SetEnabled(true);
}

void TCustomGrid::StopTimer() {
    if (FTimer) FTimer->SetEnabled(false);
}

void TCustomGrid::TimerTick(TObject*) {
    if (FGridState != gsSelecting) {
        StopTimer();
        return;
    }
    TGridDrawInfo di;
    CalcDrawInfo(di);
    TGridScrollDirection dir;
    const int x = GridX(FLastMouse.X);
    if (x < di.Horz.FixedBoundary)
        dir += sdLeft;
    else if (x >= di.Horz.FullVisBoundary && di.Horz.LastFullVisibleCell < FColCount - 1)
        dir += sdRight;
    if (FLastMouse.Y < di.Vert.FixedBoundary)
        dir += sdUp;
    else if (FLastMouse.Y >= di.Vert.FullVisBoundary && di.Vert.LastFullVisibleCell < FRowCount - 1)
        dir += sdDown;
    if (!dir.Empty()) TimedScroll(dir);
}

void TCustomGrid::TimedScroll(TGridScrollDirection Direction) {
    TGridCoord top = FTopLeft;
    if (Direction.Contains(sdLeft)) top.X = std::max(FFixedCols, top.X - 1);
    if (Direction.Contains(sdRight)) top.X += 1;
    if (Direction.Contains(sdUp)) top.Y = std::max(FFixedRows, top.Y - 1);
    if (Direction.Contains(sdDown)) top.Y += 1;
    MoveTopLeft(top.X, top.Y);
    TGridDrawInfo di;
    CalcDrawInfo(di);
    // The selection follows to the edge the grid scrolled towards.
    TGridCoord cell = FOptions.Contains(goRangeSelect) ? FAnchor : FCurrent;
    if (Direction.Contains(sdLeft)) cell.X = FTopLeft.X;
    if (Direction.Contains(sdRight)) cell.X = di.Horz.LastFullVisibleCell;
    if (Direction.Contains(sdUp)) cell.Y = FTopLeft.Y;
    if (Direction.Contains(sdDown)) cell.Y = di.Vert.LastFullVisibleCell;
    cell.X = std::clamp(cell.X, FFixedCols, FColCount - 1);
    cell.Y = std::clamp(cell.Y, FFixedRows, FRowCount - 1);
    if (FOptions.Contains(goRangeSelect))
        MoveAnchor(cell);
    else
        MoveCurrent(cell.X, cell.Y, true, false);
}

// ---- Wheel ------------------------------------------------------------------------------------

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (inherited::DoMouseWheelDown(Shift, MousePos)) return true;
    if (FCurrent.Y < FRowCount - 1) SetRow(FCurrent.Y + 1);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (inherited::DoMouseWheelUp(Shift, MousePos)) return true;
    if (FCurrent.Y > FFixedRows) SetRow(FCurrent.Y - 1);
    return true;
}

// ---- Scroll bars ---------------------------------------------------------------------------------

void TCustomGrid::UpdateScrollRange() {
    if (FUpdatingScroll || !FScrollReady) return;
    FUpdatingScroll = true;
    try {
        // Showing or hiding a bar changes the client area: settle in a few rounds.
        for (int round = 0; round < 3; ++round) {
            TGridDrawInfo di;
            CalcDrawInfo(di);
            const TGridCoord maxTopLeft = CalcMaxTopLeft({FColCount, FRowCount}, di);
            if (FTopLeft.X > maxTopLeft.X || FTopLeft.Y > maxTopLeft.Y) {
                const TGridCoord old = FTopLeft;
                FTopLeft = {std::max(FFixedCols, std::min(FTopLeft.X, maxTopLeft.X)),
                            std::max(FFixedRows, std::min(FTopLeft.Y, maxTopLeft.Y))};
                if (!(old == FTopLeft)) TopLeftMoved(old);
            }
            bool changed = false;
            auto setBar = [&](int Bar, int Fixed, int Count, int Max, int Top) {
                TScrollInfo si;
                si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
                if (Max > Fixed) {
                    si.nMin = 0;
                    si.nMax = Count - Fixed - 1;
                    si.nPage = static_cast<unsigned>(Count - Max);
                    si.nPos = Top - Fixed;
                }
                changed |= SetScrollInfo(Bar, si);
            };
            if (HasVert(FScrollBars)) setBar(SB_VERT, FFixedRows, FRowCount, maxTopLeft.Y, FTopLeft.Y);
            if (HasHorz(FScrollBars)) setBar(SB_HORZ, FFixedCols, FColCount, maxTopLeft.X, FTopLeft.X);
            if (!changed) break;
        }
    } catch (...) {
        FUpdatingScroll = false;
        throw;
    }
    FUpdatingScroll = false;
}

void TCustomGrid::UpdateScrollPos() {
    if (!FScrollReady) return;
    TScrollInfo si;
    si.fMask = SIF_POS;
    if (HasVert(FScrollBars) && ScrollBarVisible(SB_VERT)) {
        si.nPos = FTopLeft.Y - FFixedRows;
        SetScrollInfo(SB_VERT, si);
    }
    if (HasHorz(FScrollBars) && ScrollBarVisible(SB_HORZ)) {
        si.nPos = FTopLeft.X - FFixedCols;
        SetScrollInfo(SB_HORZ, si);
    }
}

void TCustomGrid::WMVScroll(TMessage& Message) {
    const int code = Message.WParamLo();
    int pos = Message.WParamHi();
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
        // The bar keeps the full position; the message only its low 16 bits.
        TScrollInfo si;
        GetScrollInfo(SB_VERT, si);
        const int track = si.nTrackPos;
        if ((track & 0xFFFF) == pos) pos = track;
    }
    const int page = std::max(1, VisibleRowCount());
    switch (code) {
    case SB_LINEUP: MoveTopLeft(FTopLeft.X, FTopLeft.Y - 1); break;
    case SB_LINEDOWN: MoveTopLeft(FTopLeft.X, FTopLeft.Y + 1); break;
    case SB_PAGEUP: MoveTopLeft(FTopLeft.X, FTopLeft.Y - page); break;
    case SB_PAGEDOWN: MoveTopLeft(FTopLeft.X, FTopLeft.Y + page); break;
    case SB_THUMBTRACK:
        if (!FOptions.Contains(goThumbTracking)) break;
        [[fallthrough]];
    case SB_THUMBPOSITION: MoveTopLeft(FTopLeft.X, FFixedRows + pos); break;
    case SB_TOP: MoveTopLeft(FTopLeft.X, FFixedRows); break;
    case SB_BOTTOM: MoveTopLeft(FTopLeft.X, FRowCount - 1); break;
    default: break;
    }
    Message.Result = 0;
}

void TCustomGrid::WMHScroll(TMessage& Message) {
    const int code = Message.WParamLo();
    int pos = Message.WParamHi();
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
        TScrollInfo si;
        GetScrollInfo(SB_HORZ, si);
        const int track = si.nTrackPos;
        if ((track & 0xFFFF) == pos) pos = track;
    }
    const int page = std::max(1, VisibleColCount());
    switch (code) {
    case SB_LINELEFT: MoveTopLeft(FTopLeft.X - 1, FTopLeft.Y); break;
    case SB_LINERIGHT: MoveTopLeft(FTopLeft.X + 1, FTopLeft.Y); break;
    case SB_PAGELEFT: MoveTopLeft(FTopLeft.X - page, FTopLeft.Y); break;
    case SB_PAGERIGHT: MoveTopLeft(FTopLeft.X + page, FTopLeft.Y); break;
    case SB_THUMBTRACK:
        if (!FOptions.Contains(goThumbTracking)) break;
        [[fallthrough]];
    case SB_THUMBPOSITION: MoveTopLeft(FFixedCols + pos, FTopLeft.Y); break;
    case SB_LEFT: MoveTopLeft(FFixedCols, FTopLeft.Y); break;
    case SB_RIGHT: MoveTopLeft(FColCount - 1, FTopLeft.Y); break;
    default: break;
    }
    Message.Result = 0;
}

// ---- Window ------------------------------------------------------------------------------------

void TCustomGrid::CreateWnd() {
    inherited::CreateWnd();
    FShownCursor = crDefault;
    UpdateScrollRange();
}

void TCustomGrid::DestroyWnd() {
    StopTimer();
    FGridState = gsNormal;
    inherited::DestroyWnd();
}
