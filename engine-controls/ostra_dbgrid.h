// The table engine's data-aware grid.
//
// TOstraCustomDBGrid shows a dataset through a data source: one column per
// entry of its column collection (ostra_dbgrid_columns.h), one row per
// record of the window of records that fits the client area, an indicator
// column marking the current row and the dataset's state, and title cells
// that may be clicked and carry sort markers. It reaches the dataset only
// through its data link (TGridDataLink) and so works with any dataset; the
// data link keeps the field map (which field each column shows).
//
// Only the visible rows exist: the link's buffer holds as many records as
// rows fit, the vertical scroll bar follows the dataset's position, and
// navigation moves the dataset. So a grid over a million records draws and
// scrolls like one over a hundred. While a row is drawn the link makes its
// record the dataset's active one: field values and RecNo read in the
// drawing events are that row's.
//
// Cells are edited in the in-place editor that CreateEditor makes (plain
// text for now). With dgMultiSelect the grid keeps a list of selected rows
// (TBookmarkList) that Ctrl+click, Shift with the arrow keys and a
// check-box column named "Selected" change, and that
// Ctrl+Delete deletes.
//
// TOstraDBGrid is the component programs place; it publishes the properties.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine-controls/ostra_dbgrid_columns.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtypes.h"
#include "platform/ui/grids.h"

class TBitmap;
class TImageList;
class TOstraCustomDBGrid;

TASKMOOR_ENUM(TOstraDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize,
              dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete,
              dgCancelOnExit, dgMultiSelect, dgDragOutRows, dgEnterToTab)
using TOstraDBGridOptions = TSet<TOstraDBGridOption>;

inline constexpr TOstraDBGridOptions OstraDBGridDefaultOptions{
    dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
    dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};

// Images of the indicator column and the sort markers, in the order of the
// grid's image list.
inline constexpr const char* OstraGridGlyphNames[] = {
    "ODBGARROW", "ODBEDIT", "ODBINSERT", "ODBMULTIDOT", "ODBMULTIARROW", "ODBSMDOWN", "ODBSMUP"};
// Registers the seven glyphs as named image resources (once).
void RegisterOstraGridGlyphs();

// Sender, Column.
using TOstraDBGridClickEvent = TEvent<TObject*, TOstraColumn*>;
// Sender, Column, Selected.
using TOstraDBGridCloseUpEvent = TEvent<TObject*, TOstraColumn*, bool>;
// Sender, Column, AFont, var AColor, State.
using TDrawCellAttrEvent = TEvent<TObject*, TOstraColumn*, TFont*, TColor&, TGridDrawState>;
// Sender, Column, AFont, var AColor.
using TDrawTitleAttrEvent = TEvent<TObject*, TOstraColumn*, TFont*, TColor&>;
// Sender, Rect, DataCol, Column, State.
using TDrawColumnCellEvent = TEvent<TObject*, const TRect&, int, TOstraColumn*, TGridDrawState>;
// Sender, Rect, Field, State.
using TDrawDataCellEvent = TEvent<TObject*, const TRect&, TField*, TGridDrawState>;
// Sender, Column, var Key, AText.
using TOstraSpecialKeyDownEvent = TEvent<TObject*, TOstraColumn*, uint16_t&, const std::string&>;
// Sender, Field, Text.
using TCalcFieldEditedEvent = TEvent<TObject*, TField*, const std::string&>;

// The grid's link to its data source, with the field map.
class TGridDataLink : public TDataLink {
    TASKMOOR_CLASS(TGridDataLink, TDataLink)
public:
    // Most entries a field map holds.
    static constexpr int MaxMapSize = 0x0FFFFFFF;

    explicit TGridDataLink(TOstraCustomDBGrid* Grid);
    ~TGridDataLink() override;

    TOstraCustomDBGrid* Grid() const { return FGrid; }

    // Appends the field of that name (-1 when a sparse map lacks it; a full
    // map raises the dataset's "Field '%s' not found"). Raises
    // EInvalidGridOperation "Grid requested to display more than 256
    // columns" when the map is full.
    bool AddMapping(const std::string& FieldName);
    void ClearMapping();
    int FieldCount() const { return static_cast<int>(FFieldMap.size()); }
    // The field of entry I; nullptr out of range or for a -1 entry.
    TField* Fields(int I) const;
    // The dataset's field index of entry I (-1 for a missing field).
    int FieldMapEntry(int I) const;
    // Built from stored columns (names may be missing).
    bool SparseMap() const { return FSparseMap; }
    void SetSparseMap(bool Value) { FSparseMap = Value; }
    // True without a dataset; else the dataset's DefaultFields, and False
    // when a sparse map holds a missing field.
    bool DefaultFields() const;

    // The editor changed the cell: UpdateData will write it.
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    // A modified edit is reloaded; otherwise the dataset's edit is cancelled.
    void Reset();
    // Writes the grid's pending edit into the field.
    void UpdateData() override;
    bool InUpdateData() const { return FInUpdateData; }
    virtual bool IsAggRow(int Value) const;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void FocusControl(TField*& Field) override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;

private:
    TOstraCustomDBGrid* FGrid;
    std::vector<int> FFieldMap;
    bool FModified = false;
    bool FInUpdateData = false;
    bool FSparseMap = false;
};

// The bookmarks of the selected rows, in the dataset's bookmark order.
class TBookmarkList : public TObject {
    TASKMOOR_CLASS(TBookmarkList, TObject)
public:
    explicit TBookmarkList(TOstraCustomDBGrid* Grid);
    ~TBookmarkList() override;

    int Count() const { return static_cast<int>(FList.size()); }
    // EListError "List index out of bounds (%d)" outside 0..Count-1.
    const TBookmark& Items(int Index) const;
    const TBookmark& operator[](int Index) const { return Items(Index); }
    // Empties a non-empty list, repaints and tells OnMultiSelectChanged.
    void Clear();
    // The current record's bookmark. EInvalidGridOperation "Cannot perform
    // this operation on a closed dataset" while the link is inactive.
    TBookmark CurrentRow() const;
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool Value);
    // The dataset's CompareBookmarks.
    int Compare(const TBookmark& Item1, const TBookmark& Item2) const;
    // Binary search; Index is the match or the place to insert.
    bool Find(const TBookmark& Item, int& Index) const;
    // Deletes every selected record (last first) and empties the list.
    void Delete();
    void LinkActive(bool Value);
    // Drops the bookmarks an engine dataset's reload left naming no record.
    void DropReloaded();

private:
    void Changed();

    TOstraCustomDBGrid* FGrid;
    std::vector<TBookmark> FList;
    mutable TBookmark FCache;
    mutable int FCacheIndex = -1;
    mutable bool FCacheFind = false;
    bool FLinkActive = false;
};

class TOstraCustomDBGrid : public TCustomGrid {
    TASKMOOR_CLASS(TOstraCustomDBGrid, TCustomGrid)
public:
    // Width of the indicator column.
    static constexpr int IndicatorWidth = 11;

    explicit TOstraCustomDBGrid(TComponent* AOwner);
    ~TOstraCustomDBGrid() override;

    // ---- Data
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TGridDataLink* DataLink() const { return FDataLink.get(); }
    TOstraDBGridColumns* Columns() const { return FColumns.get(); }
    // Copies the columns of Value one by one.
    void SetColumns(TOstraDBGridColumns* Value);
    TBookmarkList* SelectedRows() const { return FBookmarks.get(); }
    // The current data column and its field.
    int SelectedIndex() const;
    void SetSelectedIndex(int Value);
    TField* SelectedField() const;
    void SetSelectedField(TField* Value);
    int FieldCount() const { return FDataLink->FieldCount(); }
    TField* Fields(int Index) const { return FDataLink->Fields(Index); }
    // The text typed into the editor, as it will be stored, and the column
    // it was typed in (nullptr when nothing was typed since the last load).
    const std::string& EditText() const { return FEditText; }
    TOstraColumn* EditColumn() const;
    int IndicatorOffset() const { return FIndicatorOffset; }
    int TitleOffset() const { return FTitleOffset; }
    int DataToRawColumn(int ACol) const { return ACol + FIndicatorOffset; }
    int RawToDataColumn(int ACol) const { return ACol - FIndicatorOffset; }

    // ---- Options and looks
    TOstraDBGridOptions Options() const { return FOptions; }
    void SetOptions(TOstraDBGridOptions Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    TFont* TitleFont() const { return FTitleFont.get(); }
    void SetTitleFont(TFont* Value);
    // Frozen data columns (0 or more).
    int FixedCols() const { return FFixedDataCols; }
    void SetFixedCols(int Value);
    int RowsHeight() const { return FRowsHeight; }
    void SetRowsHeight(int Value);
    int TitleHeight() const { return FTitleHeight; }
    void SetTitleHeight(int Value);
    // True only while dgEditing is set.
    bool AllowInsert() const { return FAllowInsert; }
    void SetAllowInsert(bool Value);
    bool AllowDelete() const { return FAllowDelete; }
    void SetAllowDelete(bool Value);
    TColor HighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor Value);
    TColor HighlightTextColor() const { return FHighlightTextColor; }
    void SetHighlightTextColor(TColor Value);
    // The glyphs of the indicator column and the sort markers.
    TImageList* Indicators() const { return FIndicators.get(); }

    // ---- Layout and updates
    void BeginLayout();
    void EndLayout();
    // Redoes the layout now unless a layout or update lock is held.
    virtual void LayoutChanged();
    void BeginUpdate() { ++FUpdateLock; }
    void EndUpdate() {
        if (FUpdateLock > 0) --FUpdateLock;
    }
    int UpdateLock() const { return FUpdateLock; }
    int LayoutLock() const { return FLayoutLock; }
    // Rows of records that fit the client area.
    int VisibleDataRows() const;

    // The default drawing of a data cell (for OnDrawColumnCell handlers).
    void DefaultDrawColumnCell(const TRect& Rect, int DataCol, TOstraColumn* Column, TGridDrawState State);

    // ---- Events
    TNotifyEvent OnColEnter() const { return FOnColEnter; }
    void SetOnColEnter(TNotifyEvent Value) { FOnColEnter = Value; }
    TNotifyEvent OnColExit() const { return FOnColExit; }
    void SetOnColExit(TNotifyEvent Value) { FOnColExit = Value; }
    TDrawDataCellEvent OnDrawDataCell() const { return FOnDrawDataCell; }
    void SetOnDrawDataCell(TDrawDataCellEvent Value) { FOnDrawDataCell = Value; }
    TDrawColumnCellEvent OnDrawColumnCell() const { return FOnDrawColumnCell; }
    void SetOnDrawColumnCell(TDrawColumnCellEvent Value) { FOnDrawColumnCell = Value; }
    TDrawTitleAttrEvent OnDrawTitleAttr() const { return FOnDrawTitleAttr; }
    void SetOnDrawTitleAttr(TDrawTitleAttrEvent Value) { FOnDrawTitleAttr = Value; }
    TDrawCellAttrEvent OnDrawCellAttr() const { return FOnDrawCellAttr; }
    void SetOnDrawCellAttr(TDrawCellAttrEvent Value) { FOnDrawCellAttr = Value; }
    TOstraDBGridClickEvent OnEditButtonClick() const { return FOnEditButtonClick; }
    void SetOnEditButtonClick(TOstraDBGridClickEvent Value) { FOnEditButtonClick = Value; }
    TMovedEvent OnColumnMoved() const { return FOnColumnMoved; }
    void SetOnColumnMoved(TMovedEvent Value) { FOnColumnMoved = Value; }
    TCalcFieldEditedEvent OnCalcFieldEdited() const { return FOnCalcFieldEdited; }
    void SetOnCalcFieldEdited(TCalcFieldEditedEvent Value) { FOnCalcFieldEdited = Value; }
    TOstraDBGridClickEvent OnCellClick() const { return FOnCellClick; }
    void SetOnCellClick(TOstraDBGridClickEvent Value) { FOnCellClick = Value; }
    TOstraDBGridClickEvent OnTitleClick() const { return FOnTitleClick; }
    void SetOnTitleClick(TOstraDBGridClickEvent Value) { FOnTitleClick = Value; }
    TOstraDBGridClickEvent BeforeDropDown() const { return FBeforeDropDown; }
    void SetBeforeDropDown(TOstraDBGridClickEvent Value) { FBeforeDropDown = Value; }
    TOstraDBGridCloseUpEvent AfterCloseUp() const { return FAfterCloseUp; }
    void SetAfterCloseUp(TOstraDBGridCloseUpEvent Value) { FAfterCloseUp = Value; }
    TOstraSpecialKeyDownEvent OnSpecialKeyDown() const { return FOnSpecialKeyDown; }
    void SetOnSpecialKeyDown(TOstraSpecialKeyDownEvent Value) { FOnSpecialKeyDown = Value; }
    TNotifyEvent OnMultiSelectChanged() const { return FOnMultiSelectChanged; }
    void SetOnMultiSelectChanged(TNotifyEvent Value) { FOnMultiSelectChanged = Value; }
    TOstraDBGridClickEvent OnColumnResized() const { return FOnColumnResized; }
    void SetOnColumnResized(TOstraDBGridClickEvent Value) { FOnColumnResized = Value; }

    void Dispatch(TMessage& Message) override;

protected:
    friend class TGridDataLink;
    friend class TBookmarkList;
    friend class TOstraColumn;
    friend class TOstraColumnTitle;
    friend class TOstraDBGridColumns;
    // The cell editor with drop-downs reaches the grid's editing state.
    friend class TOstraDBGridInplaceEdit;

    // ---- New operations
    virtual void DefineFieldMap();
    virtual bool HighlightCell(int DataCol, int DataRow, const std::string& Value, TGridDrawState AState);
    virtual void LinkActive(bool Value);
    virtual void Scroll(int Distance);
    virtual void SetColumnAttributes();
    virtual void CellClick(TOstraColumn* Column);
    virtual void TitleClick(TOstraColumn* Column);
    virtual void EditButtonClick();
    void ColEnter() override;
    void ColExit() override;
    virtual void DrawColumnCell(const TRect& Rect, int DataCol, TOstraColumn* Column, TGridDrawState State);
    void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) override;
    // Notifications of the data link.
    virtual void DataChanged();
    virtual void EditingChanged();
    virtual void RecordChanged(TField* Field);
    // Writes the edit text into the field of the column it was typed in.
    virtual void UpdateData();

    // ---- The generic grid's operations
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    // The cell editor (ostra_dbgrid_editor.cpp).
    TInplaceEdit* CreateEditor() override;
    bool CanEditShow() override;
    bool CanEditAcceptKey(char32_t Key) override;
    bool CanEditModify() override;
    std::string GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::string& Value) override;
    std::string GetEditMask(int ACol, int ARow) override;
    int GetEditLimit() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void ColWidthsChanged() override;
    void TopLeftChanged() override;
    void TimedScroll(TGridScrollDirection Direction) override;

    // ---- Keys and mouse
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // A press on a data row (or the indicator) with an active link: the row, the column, the selection.
    void PressDataArea(TMouseButton Button, TShiftState Shift, const TGridCoord& cell);
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void DoContextPopup(TPoint MousePos, bool& Handled) override;
    void WMVScroll(TMessage& Message) override;
    void DoExit() override;

    // ---- Component and window
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void Resize() override;
    void CMFontChanged(TMessage& Message) override;
    void CMParentFontChanged(TMessage& Message) override;

    // Moves to another column (writing the pending edit first); Direction
    // skips hidden columns that way.
    void MoveCol(int RawCol, int Direction);
    // The column of a raw grid column; nullptr for the indicator.
    TOstraColumn* ColumnOf(int RawCol) const;
    // Whether the dataset's active record is a selected row.
    bool ActiveRowSelected() const;
    // Fill the cell, draw the glyph of the indicator / the title / the data.
    void DrawIndicatorCell(const TRect& Rect, int DataRow, bool MultiSelected, int FrameOffs);
    void DrawTitleCell(TOstraColumn* Column, TRect Rect, int FrameOffs);
    void DrawDataCellContents(int DataCol, int DataRow, const TRect& Rect, TGridDrawState State,
                              bool MultiSelected);
    void DrawCheckBox(const TRect& Rect, bool Checked);
    // Whether a check-box cell shows checked: the row's selection for the
    // "Selected" column of a multi-select grid, else Value = ValueChecked.
    bool CellChecked(TOstraColumn* Column, const std::string& Value, bool MultiSelected) const;
    // Writes text through the shared drawing bitmap.
    void WriteText(const TRect& Rect, int DX, int DY, const std::string& Text, TAlignment Alignment,
                   bool WordWrap, bool RightToLeft);
    void WriteMirroredText(const TRect& Rect, int DX, int DY, const std::string& Text, TAlignment Alignment,
                           bool WordWrap);
    void InvalidateTitles();
    void InvalidateIndicatorRow(int Row);

private:
    friend class TOstraDBGrid;

    // Layout
    void InternalLayout();
    bool AcquireLayoutLock();
    void DeferLayout();
    void UpdateRowCount();
    void UpdateActive();
    void UpdateScrollBar();
    void UpdateRowHeights();
    int TitleRowHeight();
    // Text height of "Wg" in a font.
    int TextHeightOf(TFont* Font);
    bool FieldIsMapped(TField* Field) const;

    // Keys and selection
    // KeyDown with Ctrl: to the first or last row shown or of the data, the
    // first or last column, and deleting the row or the selected rows.
    void CtrlKeyDown(uint16_t Key, TDataSet* DataSet);
    void NextRow(bool Select, TShiftState Shift);
    void PriorRow(bool Select, TShiftState Shift);
    void DoSelection(bool Select, int Direction, TShiftState Shift);
    void Tab(bool GoForward);
    void ClearSelection();
    bool DeletePrompt();
    void ToggleCheckBox(TOstraColumn* Column);
    void ReleasePressedTitles(TOstraColumn*& Pressed);
    bool CanInsertHere();

    void TitleFontChanged(TObject* Sender);
    void ColumnsFontChanged();

    // The drawing bitmap shared by all grids: the first grid makes it, the
    // last one frees it.
    static void AcquireDrawBitmap();
    static void ReleaseDrawBitmap();
    static TBitmap* DrawBitmap();

    std::unique_ptr<TImageList> FIndicators;
    std::unique_ptr<TFont> FTitleFont;
    bool FReadOnly = false;
    bool FLayoutFromDataset = false;
    TOstraDBGridOptions FOptions;
    int FTitleOffset = 0;
    int FIndicatorOffset = 0;
    int FUpdateLock = 0;
    int FLayoutLock = 0;
    bool FInColExit = false;
    bool FSelfChangingTitleFont = false;
    bool FSelecting = false;
    int FSelRow = 0;
    std::unique_ptr<TGridDataLink> FDataLink;
    std::string FEditText;
    // The column FEditText belongs to: the edit is written there, wherever
    // the current column has gone since.
    TOstraColumn* FEditColumn = nullptr;
    std::unique_ptr<TOstraDBGridColumns> FColumns;
    std::unique_ptr<TBookmarkList> FBookmarks;
    TBookmark FSelectionAnchor;
    int FSelectionAnchorRecNo = -1;
    int FFixedDataCols = 0;
    int FTitleHeight = 0;
    int FRowsHeight = 0;
    bool FAllowInsert = true;
    bool FAllowDelete = true;
    TColor FHighlightColor = clHighlight;
    TColor FHighlightTextColor = clHighlightText;
    bool FLayoutDeferred = false;

    TNotifyEvent FOnColEnter, FOnColExit, FOnMultiSelectChanged;
    TDrawDataCellEvent FOnDrawDataCell;
    TDrawColumnCellEvent FOnDrawColumnCell;
    TDrawTitleAttrEvent FOnDrawTitleAttr;
    TDrawCellAttrEvent FOnDrawCellAttr;
    TOstraDBGridClickEvent FOnEditButtonClick, FOnCellClick, FOnTitleClick, FBeforeDropDown, FOnColumnResized;
    TMovedEvent FOnColumnMoved;
    TCalcFieldEditedEvent FOnCalcFieldEdited;
    TOstraDBGridCloseUpEvent FAfterCloseUp;
    TOstraSpecialKeyDownEvent FOnSpecialKeyDown;
};

class TOstraDBGrid : public TOstraCustomDBGrid {
    TASKMOOR_CLASS(TOstraDBGrid, TOstraCustomDBGrid)
public:
    using TOstraCustomDBGrid::TOstraCustomDBGrid;

    static void Publish(TPublisher<TOstraDBGrid>& p);
};
