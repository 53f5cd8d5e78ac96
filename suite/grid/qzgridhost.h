// What each of the suite grid's collaborators (titles, cells, painter, cell
// hints, column drag, in-cell controls) and its export sees of the grid:
// one small interface each, holding exactly the calls it makes, the few
// platform-grid measures among them. The grid answers all of them through an
// adapter of its own, so its drawing operations stay protected and no
// collaborator holds the grid itself; a stand-in host lets a collaborator
// run without a grid, a data link or a dataset.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/grids.h"
#include "suite/grid/qzgridtypes.h"

class TCanvas;
class TComponent;
class TField;
class TFont;
class TBrush;
class TImageList;
class TObject;
class TStrings;
class TWinControl;
class TqzColumn;
class TqzGridDataLink;
class TqzGridSelection;
class TqzGridPaintOptions;
struct TGridDrawInfo;
struct TqzCacheColInfoItem;

// The flags of a host's WriteCellText.
struct TqzCellTextFlags {
    static constexpr int wctPrefix = 1, wctEllipsis = 2, wctWordBreak = 4, wctTitle = 8, wctNoFill = 16;
};

// What the titles, the cells and the painter all ask of the grid: its
// columns and their fields, the fixed rows and columns, and cell text.
class TqzGridCellView : public TqzCellTextFlags {
public:
    virtual int IndicatorOffset() const = 0;
    virtual int TitleOffset() const = 0;
    virtual TField* GetColField(int DataCol) const = 0;
    virtual TqzColumn* Columns(int Index) const = 0;
    virtual TFont* TitleFont() const = 0;
    virtual TColor TitleColor() const = 0;
    // A cell's text with its margins, alignment and wct flags.
    virtual void WriteCellText(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, TAlignment Alignment,
                               int Flags, const std::string& Text) = 0;

protected:
    TqzGridCellView() = default;
    ~TqzGridCellView() = default;
    TqzGridCellView(const TqzGridCellView&) = default;
    TqzGridCellView& operator=(const TqzGridCellView&) = default;
};

// The titles' view of the grid.
class TqzGridTitleHost : public TqzGridCellView {
public:
    virtual bool UseTFields() const = 0;
    virtual TStrings* Selected() const = 0;
    virtual TAlignment TitleAlignment() const = 0;
    virtual TImageList* TitleImageList() const = 0;
    virtual TqzDrawTitleCellEvent OnDrawTitleCell() const = 0;
    virtual TqzGridLineColors* LineColors() const = 0;
    virtual bool DisableThemesInTitle() const = 0;
    // Themes are on for the grid.
    virtual bool UseThemes() const = 0;
    virtual TGridCoord MouseCoord(int X, int Y) const = 0;

    // The header of a grouped column spanning its visible neighbours of the
    // same group (empty for an ungrouped column).
    virtual TRect GroupHeaderRect(int ACol) const = 0;
    virtual void FillFixedCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow) = 0;
    // Fires OnCalcTitleAttributes.
    virtual void DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                                       TAlignment& Alignment) = 0;
    virtual void DoDrawTitleCell(TCanvas* ACanvas, TField* Field, const TRect& ARect,
                                 bool& DefaultDrawing) = 0;
    virtual void DoCalcTitleImage(TField* Field, TqzTitleImageAttributes& Attributes) = 0;

protected:
    TqzGridTitleHost() = default;
    ~TqzGridTitleHost() = default;
    TqzGridTitleHost(const TqzGridTitleHost&) = default;
    TqzGridTitleHost& operator=(const TqzGridTitleHost&) = default;
};

// The in-cell controls' view of the grid.
class TqzGridControlsHost {
public:
    // The windowed control a ControlType line names for the cell.
    virtual bool GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control) = 0;
    virtual TqzEditControlOptions EditControlOptions() const = 0;
    // Control is a child of the grid's own window.
    virtual bool IsGridChild(const TWinControl* Control) const = 0;
    virtual int Col() const = 0;
    virtual int Row() const = 0;
    virtual int LeftCol() const = 0;
    virtual int ClientWidth() const = 0;
    // Brings the grid's window up to date.
    virtual void Update() = 0;

protected:
    TqzGridControlsHost() = default;
    ~TqzGridControlsHost() = default;
    TqzGridControlsHost(const TqzGridControlsHost&) = default;
    TqzGridControlsHost& operator=(const TqzGridControlsHost&) = default;
};

// The column drag's view of the grid.
class TqzGridDragHost {
public:
    virtual int IndicatorOffset() const = 0;
    virtual int TitleOffset() const = 0;
    // The group of data column DataCol (empty: none).
    virtual std::string ColumnGroupName(int DataCol) const = 0;
    // The suite grid's options (the platform grid has options of its own).
    virtual TqzDBGridOptions GridOptions() const = 0;
    virtual TRect GroupHeaderRect(int ACol) const = 0;
    // Moves grid column From to To as the generic grid does.
    virtual void MoveColumn(int From, int To) = 0;

    virtual int ColCount() const = 0;
    virtual int FixedCols() const = 0;
    virtual int LeftCol() const = 0;
    virtual void SetLeftCol(int Value) = 0;
    virtual int RowHeights(int Index) const = 0;
    virtual TRect CellRect(int ACol, int ARow) const = 0;
    virtual TGridCoord MouseCoord(int X, int Y) const = 0;
    // Client X mirrored right to left, and grid rectangles as the window shows them.
    virtual int GridX(int X) const = 0;
    virtual TRect GridToClientRect(const TRect& R) const = 0;
    virtual void CalcDrawInfo(TGridDrawInfo& DrawInfo) const = 0;
    virtual bool UseRightToLeftAlignment() const = 0;
    virtual int ClientWidth() const = 0;
    virtual int Width() const = 0;
    virtual void Invalidate() = 0;
    // The window as it shows, drawn onto Canvas at X, Y.
    virtual void PaintTo(TCanvas* Canvas, int X, int Y) = 0;
    // The owner of the drag's timer (frees it with its other components).
    virtual TComponent* TimerOwner() = 0;

protected:
    TqzGridDragHost() = default;
    ~TqzGridDragHost() = default;
    TqzGridDragHost(const TqzGridDragHost&) = default;
    TqzGridDragHost& operator=(const TqzGridDragHost&) = default;
};

// The cell hints' view of the grid.
class TqzGridHintHost {
public:
    virtual TqzDBGridOptions GridOptions() const = 0;
    // The data link is active and its dataset open.
    virtual bool DataSetActive() const = 0;
    virtual int IndicatorOffset() const = 0;
    virtual int TitleOffset() const = 0;
    virtual TField* GetColField(int DataCol) const = 0;
    // The data link's active buffer.
    virtual int ActiveRecord() const = 0;
    virtual void SetActiveRecord(int Value) = 0;

    virtual int Col() const = 0;
    virtual int Row() const = 0;
    // The in-place editor is shown.
    virtual bool EditorVisible() const = 0;
    virtual TRect CellRect(int ACol, int ARow) const = 0;
    virtual TRect GridToClientRect(const TRect& R) const = 0;
    virtual TRect ClientRect() const = 0;
    virtual TPoint ClientToScreen(const TPoint& Point) const = 0;
    virtual bool UseRightToLeftAlignment() const = 0;
    virtual TCanvas* Canvas() const = 0;
    virtual TFont* Font() const = 0;
    // The control the hint shows for: the owner of its window and timer and
    // the sender of OnCreateHintWindow.
    virtual TWinControl* HintControl() = 0;

protected:
    TqzGridHintHost() = default;
    ~TqzGridHintHost() = default;
    TqzGridHintHost(const TqzGridHintHost&) = default;
    TqzGridHintHost& operator=(const TqzGridHintHost&) = default;
};

// The cells' view of the grid.
class TqzGridCellsHost : public TqzGridCellView {
public:
    virtual TqzDBGridOptions GridOptions() const = 0;
    virtual TqzGridDataLink* DataLink() const = 0;
    virtual TqzGridPaintOptions* PaintOptions() const = 0;
    virtual TImageList* ImageList() const = 0;
    // The control type of every data column, as LoadControlTypes cached it.
    virtual const std::vector<TqzCacheColInfoItem>& ColInfo() const = 0;
    virtual TColor IndicatorIconColor() const = 0;
    virtual const std::string& GroupFieldName() const = 0;

    // The drawing canvas of the cell routines.
    virtual TCanvas* DrawCanvas() = 0;
    // The text a data cell shows for the field on the active record.
    virtual std::string CellText(TField* Field) = 0;
    // The cell is drawn in the highlight colours.
    virtual bool HighlightCell(int ACol, int ARow, TGridDrawState AState) = 0;
    // The record of the data link's active buffer is selected.
    virtual bool IsRecordSelected() = 0;
    // Fires OnCalcCellColors.
    virtual void CalcCellColors(TField* Field, TGridDrawState State, bool Highlight, TFont* AFont,
                                TBrush* ABrush) = 0;
    virtual void FillFixedCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow) = 0;
    virtual void FillDataCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow) = 0;
    virtual void DrawCheckBox(const TRect& ARect, int ACol, int ARow, bool Checked) = 0;
    // The checked and unchecked values of the field's CheckBox line.
    virtual bool GetCheckBoxValues(const std::string& FieldName, std::string& Checked,
                                   std::string& Unchecked) = 0;
    virtual void GetControlInfo(const std::string& FieldName, std::string& AControlType,
                                std::string& Parameters) = 0;
    virtual bool GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control) = 0;
    virtual void SplitURLText(const std::string& Text, std::string& DisplayText,
                              std::string& Address) const = 0;
    // Compares the group field of the active record with its neighbours.
    virtual void CalcGroupState() = 0;
    // Fires OnAfterDrawCell and draws the group separator.
    virtual void DoAfterDrawCell(TqzCustomDrawGridCellInfo& Info) = 0;

    virtual int Col() const = 0;
    virtual int Row() const = 0;
    virtual TFont* Font() const = 0;
    virtual TColor Color() const = 0;
    virtual bool DefaultDrawing() const = 0;
    virtual bool IsGridChild(const TWinControl* Control) const = 0;
    // The sender of the grid's events.
    virtual TObject* EventSender() = 0;

protected:
    TqzGridCellsHost() = default;
    ~TqzGridCellsHost() = default;
    TqzGridCellsHost(const TqzGridCellsHost&) = default;
    TqzGridCellsHost& operator=(const TqzGridCellsHost&) = default;
};

// The painter's view of the grid.
class TqzGridPainterHost : public TqzGridCellView {
public:
    virtual TqzGridLineColors* LineColors() const = 0;
    virtual TqzDBGridOptions GridOptions() const = 0;
    // The data link is active, and the records it buffers.
    virtual bool DataLinkActive() const = 0;
    virtual int DataLinkRecordCount() const = 0;
    virtual TqzGridPaintOptions* PaintOptions() const = 0;
    virtual TColor FooterColor() const = 0;
    virtual TColor FooterCellColor() const = 0;
    virtual TqzGridLineStyle LineStyle() const = 0;
    virtual bool HideAllLines() const = 0;
    virtual TRect GroupHeaderRect(int ACol) const = 0;
    // The footer's rectangle (empty without dgShowFooter).
    virtual TRect FooterRect() = 0;
    virtual bool GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control) = 0;
    virtual void DoDrawGroupHeaderCell(TCanvas* ACanvas, const std::string& GroupHeaderName,
                                       const TRect& ARect, bool& DefaultDrawing) = 0;

    virtual int Col() const = 0;
    virtual int Row() const = 0;
    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual int FixedCols() const = 0;
    virtual int FixedRows() const = 0;
    virtual int LeftCol() const = 0;
    virtual int TopRow() const = 0;
    virtual int ColWidths(int Index) const = 0;
    virtual int RowHeights(int Index) const = 0;
    virtual TRect CellRect(int ACol, int ARow) const = 0;
    virtual void CalcDrawInfo(TGridDrawInfo& DrawInfo) const = 0;
    virtual TRect ClientRect() const = 0;
    virtual int ClientWidth() const = 0;
    virtual TCanvas* Canvas() const = 0;
    virtual TFont* Font() const = 0;
    virtual TColor Color() const = 0;
    virtual bool IsGridChild(const TWinControl* Control) const = 0;
    virtual TObject* EventSender() = 0;

protected:
    TqzGridPainterHost() = default;
    ~TqzGridPainterHost() = default;
    TqzGridPainterHost(const TqzGridPainterHost&) = default;
    TqzGridPainterHost& operator=(const TqzGridPainterHost&) = default;
};

// The export's view of the grid: its columns and cells, their looks, its
// data link and selection, and the events it fires or replays for every
// exported cell.
class TqzGridExportHost {
public:
    // Columns and cells.
    virtual int IndicatorOffset() const = 0;
    virtual int TitleOffset() const = 0;
    virtual int ColCount() const = 0;
    virtual int ColWidths(int Index) const = 0;
    virtual TField* GetColField(int DataCol) const = 0;
    virtual TqzColumn* Columns(int Index) const = 0;
    // Control type and parameters of a field's ControlType line.
    virtual void ControlInfo(TField* Field, std::string& Type, std::string& Parameters) = 0;
    virtual TWinControl* FindControlByName(const std::string& Name) = 0;
    virtual bool IsMemoCell(int ACol, int ARow) const = 0;
    // Memo cells show their text (mGridShow).
    virtual bool ShowsMemoText() const = 0;
    virtual std::string CellText(TField* Field) = 0;

    // Looks.
    virtual TFont* Font() const = 0;
    virtual TFont* TitleFont() const = 0;
    virtual TColor Color() const = 0;
    virtual TColor TitleColor() const = 0;
    virtual TColor FooterColor() const = 0;
    virtual TColor FooterCellColor() const = 0;
    virtual TColor AlternatingRowColor() const = 0;
    virtual TAlignment TitleAlignment() const = 0;
    virtual int TitleLines() const = 0;
    virtual bool ShowsFooter() const = 0;
    // The width of "0" in the grid's font, set on its canvas.
    virtual int DigitWidth() = 0;
    virtual bool Designing() const = 0;

    // Data.
    virtual TqzGridDataLink* DataLink() const = 0;
    virtual TqzGridSelection* Selection() const = 0;
    virtual int VisibleDataRows() const = 0;
    // Set while the grid is alive.
    virtual std::shared_ptr<bool> AliveToken() const = 0;

    // Events.
    virtual void DoExportField(TField* Field, bool& Accept) = 0;
    virtual void DoExportSYLKFormat(TField* Field, std::string& Format) = 0;
    virtual void CalcCellColors(TField* Field, TGridDrawState State, bool Highlight, TFont* AFont,
                                TBrush* ABrush) = 0;
    virtual void DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                                       TAlignment& Alignment) = 0;

protected:
    TqzGridExportHost() = default;
    ~TqzGridExportHost() = default;
    TqzGridExportHost(const TqzGridExportHost&) = default;
    TqzGridExportHost& operator=(const TqzGridExportHost&) = default;
};
