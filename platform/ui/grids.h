// The generic grid: a self-painted table of cells with fixed (title) rows and
// columns, scrolling, a current cell and a selection, column and row sizing
// and moving with the mouse, and an in-place editor.
//
// TCustomGrid lays out and paints the cells; what a cell shows is the
// descendant's DrawCell. Rows and columns are numbered from 0; the first
// FixedRows rows and FixedCols columns stay in place while the rest scroll
// (TopRow and LeftCol are the first scrolling row and column shown). Each
// cell is followed by its grid line (GridLineWidth pixels, when the
// options draw lines along that axis), so CellRect excludes the line.
//
// Layout and painting cost what the visible cells cost: nothing walks all
// rows, so a grid of a million rows paints and scrolls as fast as one of ten.
//
// The in-place editor (TInplaceEdit, made by CreateEditor) shows over the
// current cell while EditorMode is on: F2, Enter, a typed character or a
// click on the current cell (with goEditing) turn it on; Enter or a move to
// another cell turn it off (unless goAlwaysShowEditor). It loads its text
// with GetEditText and writes changes back with SetEditText.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/ui/controls.h"
#include "platform/ui/mask.h"
#include "platform/ui/stdctrls.h"

class TCustomGrid;
class TField;
class TInplaceEdit;
class TTimer;

// A bad cell index or a fixed count that leaves no scrolling cells.
class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EInvalidGridOperation"; }
};

TASKMOOR_ENUM(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
              goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs,
              goRowSelect, goAlwaysShowEditor, goThumbTracking)
using TGridOptions = TSet<TGridOption>;

TASKMOOR_ENUM(TGridDrawStateElement, gdSelected, gdFocused, gdFixed)
using TGridDrawState = TSet<TGridDrawStateElement>;

// What the mouse is doing with the grid.
TASKMOOR_ENUM(TGridState, gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving)

TASKMOOR_ENUM(TGridScrollDirectionElement, sdLeft, sdRight, sdUp, sdDown)
using TGridScrollDirection = TSet<TGridScrollDirectionElement>;

struct TGridCoord {
    int X = 0;
    int Y = 0;
    constexpr bool operator==(const TGridCoord&) const = default;
};

// A block of cells, corners included.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr TGridCoord TopLeft() const { return {Left, Top}; }
    constexpr TGridCoord BottomRight() const { return {Right, Bottom}; }
    constexpr bool operator==(const TGridRect&) const = default;
};

constexpr bool PointInGridRect(int Col, int Row, const TGridRect& R) {
    return Col >= R.Left && Col <= R.Right && Row >= R.Top && Row <= R.Bottom;
}

// The layout of one axis (columns: horizontal) for the present client size.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;   // pixels of the line after each cell
    int FixedBoundary = 0;        // end of the fixed cells (with their lines)
    int GridBoundary = 0;         // end of the last cell shown (at most GridExtent)
    int GridExtent = 0;           // the client size along the axis
    int LastFullVisibleCell = 0;  // last cell shown whole
    int FullVisBoundary = 0;      // end of that cell (with its line)
    int FixedCellCount = 0;
    int FirstGridCell = 0;  // first scrolling cell shown
    int GridCellCount = 0;
    std::function<int(int)> GetExtent;  // width or height of a cell
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

using TDrawCellEvent = TEvent<TObject*, int, int, TRect, TGridDrawState>;
using TSelectCellEvent = TEvent<TObject*, int, int, bool&>;
using TGetEditEvent = TEvent<TObject*, int, int, std::string&>;
using TSetEditEvent = TEvent<TObject*, int, int, const std::string&>;
using TMovedEvent = TEvent<TObject*, int, int>;

class TCustomGrid : public TCustomControl {
    TASKMOOR_CLASS(TCustomGrid, TCustomControl)
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    // ---- Size and layout
    int ColCount() const { return FColCount; }
    void SetColCount(int Value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int FixedCols() const { return FFixedCols; }
    // Raises EInvalidGridOperation "Fixed column count must be less than
    // column count" when no scrolling column would be left.
    void SetFixedCols(int Value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return FDefaultColWidth; }
    // Every column takes the new width.
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    // Tab stops a column for Tab moves (goTabs); all are by default.
    bool TabStops(int Index) const;
    void SetTabStops(int Index, bool Value);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value);
    // Sum of the widths and heights of all cells with their lines.
    int GridWidth() const;
    int GridHeight() const;

    // ---- Appearance
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // Cells are filled and the focus is drawn before and after DrawCell.
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }

    // ---- Current cell, selection, scrolling
    int Col() const { return FCurrent.X; }
    void SetCol(int Value);
    int Row() const { return FCurrent.Y; }
    void SetRow(int Value);
    // The selected block (always holds the current cell).
    TGridRect Selection() const;
    void SetSelection(const TGridRect& Value);
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value);
    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value);
    // Scrolling rows and columns shown whole.
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // ---- Cells and points
    // The cell's rectangle in client coordinates without its grid line, cut
    // to the client area; empty when the cell is not shown.
    TRect CellRect(int ACol, int ARow) const;
    // The cell at a client point; (-1, -1) when the point is on no cell.
    TGridCoord MouseCoord(int X, int Y) const;
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    // The cell Distance pixels before a client point in reading order (to
    // its left, or to its right in a right-to-left grid).
    TGridCoord MouseCoordBefore(int X, int Y, int Distance) const;

    // ---- Right to left
    // A right-to-left grid (UseRightToLeftAlignment) lays its cells out from
    // the left in grid coordinates and paints them on a mirrored canvas, so
    // that the first column shows at the right edge. MouseCoord, the sizing
    // hit test and the editor's place take client points and convert them.
    // A client x as a grid x and back (the mapping is its own inverse).
    int GridX(int X) const;
    // A rectangle in grid coordinates as client coordinates and back.
    TRect GridToClientRect(const TRect& R) const;

    // ---- Editor
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }

    // The layout of the present client area. Descendants that keep part of
    // the client area for themselves override it.
    virtual void CalcDrawInfo(TGridDrawInfo& DrawInfo) const;
    // The layout for a client area of the given size.
    void CalcDrawInfoXY(TGridDrawInfo& DrawInfo, int UseWidth, int UseHeight) const;
    // The layout of the fixed cells only.
    void CalcFixedInfo(TGridDrawInfo& DrawInfo) const;

    // The grid's state of mouse handling.
    TGridState GridState() const { return FGridState; }

    void Dispatch(TMessage& Message) override;

protected:
    friend class TInplaceEdit;

    // ---- What descendants draw and decide
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) = 0;
    // May the cell become current?
    virtual bool SelectCell(int ACol, int ARow);
    // May the grid handle this key at all?
    virtual bool CanGridAcceptKey(uint16_t Key, TShiftState Shift);
    // May a typed character go into the editor?
    virtual bool CanEditAcceptKey(char32_t Key);
    // May the editor change the cell now? (asked before each change)
    virtual bool CanEditModify();
    // May the editor show over the current cell now?
    virtual bool CanEditShow();
    virtual TInplaceEdit* CreateEditor();
    virtual std::string GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const std::string& Value);
    virtual std::string GetEditMask(int ACol, int ARow);
    // Longest text the editor takes (0: any).
    virtual int GetEditLimit();

    // ---- Notifications
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void TopLeftChanged();
    // The mouse selects beyond an edge: scroll one cell that way.
    virtual void TimedScroll(TGridScrollDirection Direction);
    // Column and row sizing hit test at a client point: State becomes
    // gsColSizing or gsRowSizing over a sizable border, with Index the cell
    // being sized, SizingPos the border and SizingOfs the mouse's offset to it.
    virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                 TGridDrawInfo& FixedInfo);
    // The counts changed (old values given).
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    // The current column is about to change (ColExit) or has changed
    // (ColEnter), for descendants that set FColumnMoveNotices; nothing here.
    virtual void ColExit() {}
    virtual void ColEnter() {}
    // A data-aware descendant's hook after drawing a field's cell; nothing here.
    virtual void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) {
        (void)Rect;
        (void)Field;
        (void)State;
    }

    // ---- Operations for descendants
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    void DeleteColumn(int ACol);
    void DeleteRow(int ARow);
    // Makes the cell current (SelectCell permitting); MoveAnchor collapses
    // the selection onto it; Show scrolls it into view.
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    // The rectangle of a block of cells, cut to what shows.
    TRect BoxRect(int ALeft, int ATop, int ARight, int ABottom) const;
    void InvalidateCell(int ACol, int ARow);
    void InvalidateCol(int ACol);
    void InvalidateRow(int ARow);
    void InvalidateGrid() { Invalidate(); }
    void InvalidateEditor();
    // Moves the shown cells by whole cells (scroll requests use it).
    virtual void ScrollData(int DX, int DY);
    void MoveTopLeft(int ALeft, int ATop);
    // The largest TopRow / LeftCol that still fill the client area.
    TGridCoord CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo) const;
    void ShowEditor();
    // Shows the editor and types Ch into it (replacing its text).
    void ShowEditorChar(char32_t Ch);
    void HideEditor();
    // Writes the editor's text back when it changed.
    void UpdateText();
    // True when the grid or its editor has the focus of the active form.
    bool IsActiveControl() const;
    // Brings the scroll bars up to date.
    void UpdateScrollRange();
    void UpdateScrollPos();
    int SizingIndex() const { return FSizingIndex; }

    // ---- Painting and input
    void Paint() override;
    // The cells change sides: an editor shown moves over its cell and reads
    // as the grid now does.
    void BiDiModeChanged() override;
    // Mirrors the grid's canvas for a right-to-left grid (RightToLeft) or
    // undoes it.
    void ChangeGridOrientation(bool RightToLeft);
    // Mirrors the canvas of a right-to-left grid while it lives, and puts
    // back what was there before (paints nest).
    class TMirroredPaint {
    public:
        explicit TMirroredPaint(TCustomGrid* Grid);
        ~TMirroredPaint();
        TMirroredPaint(const TMirroredPaint&) = delete;
        TMirroredPaint& operator=(const TMirroredPaint&) = delete;

    private:
        TCustomGrid* FGrid;
        int FBefore;
    };
    // The feedback of sizing and moving, drawn over the cells.
    virtual void DrawSizingLine(const TGridDrawInfo& DrawInfo);
    virtual void DrawMove();
    // While a column or row is dragged: where it came from and where it would land.
    int MoveIndex() const { return FMoveIndex; }
    int MovePos() const { return FMovePos; }
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

    // ---- Window
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Resize() override;
    void Loaded() override;
    void WMChar(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;
    // Scroll requests of the scroll bars (SB_ codes).
    virtual void WMHScroll(TMessage& Message);
    virtual void WMVScroll(TMessage& Message);
    void CMFontChanged(TMessage& Message) override;
    void CMShowingChanged(TMessage& Message) override;

    // Fields descendants reach.
    TGridCoord FCurrent{1, 1};
    TGridCoord FAnchor{1, 1};
    TGridCoord FTopLeft{1, 1};
    TGridState FGridState = gsNormal;
    TInplaceEdit* FInplaceEdit = nullptr;
    bool FEditorMode = false;
    int FInplaceCol = -1;
    int FInplaceRow = -1;
    bool FColumnMoveNotices = false;

private:
    // Layout helpers.
    void CalcAxis(TGridAxisDrawInfo& Axis, int Extent) const;
    int LinePos(const TGridAxisDrawInfo& Axis, int Line) const;
    bool CalcAxisRange(const TGridAxisDrawInfo& Axis, int First, int Last, int& Min, int& Max) const;
    int CellAt(const TGridAxisDrawInfo& Axis, int Pos) const;
    int EffectiveHorzLine() const;
    int EffectiveVertLine() const;

    // Movement helpers.
    void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
    void MoveAnchor(const TGridCoord& NewAnchor);
    void ClampInView(const TGridCoord& Coord);
    void TopLeftMoved(const TGridCoord& OldTopLeft);
    void InvalidateRect(const TGridRect& R);
    void SelectionMoved(const TGridRect& OldSel);
    void CheckCell(int ACol, int ARow) const;
    int NextTabStop(int FromCol, bool Forward, int& RowStep) const;
    bool GridCommandKey(uint16_t& Key, TShiftState Shift);
    bool CtrlMoveTarget(uint16_t Key, const TGridDrawInfo& Info, TGridCoord& Cur, TGridCoord& Top) const;
    bool MoveTarget(uint16_t Key, const TGridDrawInfo& Info, TGridCoord& Cur, TGridCoord& Top) const;

    // Editor helpers.
    void UpdateEdit();
    void HideEdit();

    // Sizing and moving.
    void StartTimer();
    void StopTimer();
    void TimerTick(TObject* Sender);
    void EndMoveOrSize(int X, int Y, bool Apply);
    void SelectAt(int X, int Y);

    // Painting helpers.
    void PaintCells(const TGridDrawInfo& DrawInfo, int ColFrom, int ColTo, int RowFrom, int RowTo, int StartX,
                    int StartY, bool FocusedGrid);
    void PaintLines(const TGridDrawInfo& DrawInfo);

    void ChangeSize(int NewColCount, int NewRowCount);
    void SetWidgetCursor(TCursor Value);

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    int FGridLineWidth = 1;
    TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TColor FFixedColor = clBtnFace;
    TScrollStyle FScrollBars = ssBoth;
    TBorderStyle FBorderStyle = bsSingle;
    bool FDefaultDrawing = true;
    std::vector<int> FColWidths;   // empty: all DefaultColWidth
    std::vector<int> FRowHeights;  // empty: all DefaultRowHeight
    std::vector<char> FTabStops;   // empty: all tab stops

    // Mouse sizing and moving.
    int FSizingIndex = 0;
    int FSizingPos = 0;
    int FSizingOfs = 0;
    int FMoveIndex = 0;
    int FMovePos = 0;
    bool FMoveDrawn = false;
    TPoint FLastMouse;
    std::unique_ptr<TTimer> FTimer;

    bool FUpdatingScroll = false;
    bool FScrollReady = false;  // the constructor has run
    TCursor FShownCursor = crDefault;
};

// A grid whose cells are drawn by OnDrawCell.
class TDrawGrid : public TCustomGrid {
    TASKMOOR_CLASS(TDrawGrid, TCustomGrid)
public:
    explicit TDrawGrid(TComponent* AOwner);

    TDrawCellEvent OnDrawCell() const { return FOnDrawCell; }
    void SetOnDrawCell(TDrawCellEvent Value) { FOnDrawCell = Value; }
    TSelectCellEvent OnSelectCell() const { return FOnSelectCell; }
    void SetOnSelectCell(TSelectCellEvent Value) { FOnSelectCell = Value; }
    TGetEditEvent OnGetEditMask() const { return FOnGetEditMask; }
    void SetOnGetEditMask(TGetEditEvent Value) { FOnGetEditMask = Value; }
    TGetEditEvent OnGetEditText() const { return FOnGetEditText; }
    void SetOnGetEditText(TGetEditEvent Value) { FOnGetEditText = Value; }
    TSetEditEvent OnSetEditText() const { return FOnSetEditText; }
    void SetOnSetEditText(TSetEditEvent Value) { FOnSetEditText = Value; }
    TMovedEvent OnColumnMoved() const { return FOnColumnMoved; }
    void SetOnColumnMoved(TMovedEvent Value) { FOnColumnMoved = Value; }
    TMovedEvent OnRowMoved() const { return FOnRowMoved; }
    void SetOnRowMoved(TMovedEvent Value) { FOnRowMoved = Value; }
    TNotifyEvent OnTopLeftChanged() const { return FOnTopLeftChanged; }
    void SetOnTopLeftChanged(TNotifyEvent Value) { FOnTopLeftChanged = Value; }

    static void Publish(TPublisher<TDrawGrid>& p);

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    std::string GetEditMask(int ACol, int ARow) override;
    std::string GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::string& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void TopLeftChanged() override;

private:
    TDrawCellEvent FOnDrawCell;
    TSelectCellEvent FOnSelectCell;
    TGetEditEvent FOnGetEditMask, FOnGetEditText;
    TSetEditEvent FOnSetEditText;
    TMovedEvent FOnColumnMoved, FOnRowMoved;
    TNotifyEvent FOnTopLeftChanged;
};

// The grid's cell editor: a borderless masked edit owned and parented by the
// grid. It loads the current cell's text, mask and limit (UpdateContents),
// hands navigation keys to the grid, and writes each change back through the
// grid's SetEditText.
class TInplaceEdit : public TCustomMaskEdit {
    TASKMOOR_CLASS(TInplaceEdit, TCustomMaskEdit)
public:
    explicit TInplaceEdit(TComponent* AOwner);
    ~TInplaceEdit() override;

    TCustomGrid* Grid() const { return FGrid; }
    // Places the editor over Loc and shows it (taking the focus when the
    // grid has it).
    void Move(const TRect& Loc);
    // Places it without showing.
    void UpdateLoc(const TRect& Loc);
    bool PosEqual(const TRect& Loc) const;
    // Hides the editor; the grid gets the focus back when the editor had it.
    void Hide();
    // Puts the caret at the end of the text, nothing selected.
    void Deselect();
    void SetFocus() override;

protected:
    friend class TCustomGrid;

    // Loads the current cell into the editor.
    virtual void UpdateContents();
    // The grid's direction changed: the editor reads and aligns as the grid
    // now does, keeping its text, its caret and whether it was changed.
    virtual void FollowGridDirection();
    // The editor's bounds over Cell: the cell itself here; an editor whose
    // text and button need more room may reach further.
    virtual TRect BoundsOverCell(const TRect& Cell) const { return Cell; }
    // The editor's bounds changed: the text area is (2, 2) to (Width - 2, Height).
    void BoundsChanged() override;
    bool EditCanModify() override;
    void Change() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TMessage& Message) override;
    void SetParent(TWinControl* AParent) override;
    // Right to left: right-aligned text read from the right.
    void CreateParams(TCreateParams& Params) override;

private:
    void SendToParent(uint16_t& Key, TShiftState Shift);
    void ParentEvent(uint16_t& Key, TShiftState Shift);
    bool LeftSide() const;
    bool RightSide() const;

    TCustomGrid* FGrid = nullptr;
    bool FLoading = false;
};
