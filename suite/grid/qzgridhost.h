// What the suite grid's collaborators (titles, cells, painter, cell hints,
// column drag, in-cell controls) and its export see of the grid: the
// platform grid they draw on and measure, the properties they read and the
// drawing operations they call. The grid implements both interfaces; its
// drawing operations stay protected, reached only through them. A stand-in
// host lets a collaborator run without a grid, a data link or a dataset.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/grids.h"
#include "suite/grid/qzgridtypes.h"

class TCanvas;
class TField;
class TFont;
class TBrush;
class TImageList;
class TStrings;
class TWinControl;
class TqzColumn;
class TqzGridDataLink;
class TqzGridPaintOptions;
struct TqzCacheColInfoItem;

// The titles' view of the grid.
class TqzGridTitleHost {
public:
    // WriteCellText flags.
    static constexpr int wctPrefix = 1, wctEllipsis = 2, wctWordBreak = 4, wctTitle = 8, wctNoFill = 16;

    // The platform grid the cells are laid out on (the host itself for the suite grid).
    virtual TCustomGrid& HostGrid() = 0;

    virtual int IndicatorOffset() const = 0;
    virtual int TitleOffset() const = 0;
    virtual TField* GetColField(int DataCol) const = 0;
    virtual TqzColumn* Columns(int Index) const = 0;
    virtual bool UseTFields() const = 0;
    virtual TStrings* Selected() const = 0;
    virtual TFont* TitleFont() const = 0;
    virtual TColor TitleColor() const = 0;
    virtual TAlignment TitleAlignment() const = 0;
    virtual TImageList* TitleImageList() const = 0;
    virtual TqzDrawTitleCellEvent OnDrawTitleCell() const = 0;
    virtual TqzGridLineColors* LineColors() const = 0;
    virtual bool DisableThemesInTitle() const = 0;

    // The header of a grouped column spanning its visible neighbours of the
    // same group (empty for an ungrouped column).
    virtual TRect GroupHeaderRect(int ACol) const = 0;
    // A cell's text with its margins, alignment and wct flags.
    virtual void WriteCellText(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, TAlignment Alignment,
                               int Flags, const std::string& Text) = 0;
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

// The cells', the painter's, the hints', the drag's and the in-cell
// controls' view of the grid.
class TqzGridHost : public TqzGridTitleHost {
public:
    // The suite grid's options (the platform grid has options of its own).
    virtual TqzDBGridOptions GridOptions() const = 0;
    virtual TqzGridDataLink* DataLink() const = 0;
    // The data link is active and its dataset open.
    virtual bool DataSetActive() const = 0;
    virtual TqzGridPaintOptions* PaintOptions() const = 0;
    virtual TImageList* ImageList() const = 0;
    // The control type of every data column, as LoadControlTypes cached it.
    virtual const std::vector<TqzCacheColInfoItem>& ColInfo() const = 0;
    virtual TColor IndicatorIconColor() const = 0;
    virtual TColor FooterColor() const = 0;
    virtual TColor FooterCellColor() const = 0;
    virtual TqzGridLineStyle LineStyle() const = 0;
    virtual bool HideAllLines() const = 0;
    virtual const std::string& GroupFieldName() const = 0;
    virtual TqzEditControlOptions EditControlOptions() const = 0;

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
    virtual void FillDataCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow) = 0;
    virtual void DrawCheckBox(const TRect& ARect, int ACol, int ARow, bool Checked) = 0;
    // The checked and unchecked values of the field's CheckBox line.
    virtual bool GetCheckBoxValues(const std::string& FieldName, std::string& Checked,
                                   std::string& Unchecked) = 0;
    virtual void GetControlInfo(const std::string& FieldName, std::string& AControlType,
                                std::string& Parameters) = 0;
    // The windowed control a ControlType line names for the cell.
    virtual bool GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control) = 0;
    virtual void SplitURLText(const std::string& Text, std::string& DisplayText,
                              std::string& Address) const = 0;
    // Compares the group field of the active record with its neighbours.
    virtual void CalcGroupState() = 0;
    // Fires OnAfterDrawCell and draws the group separator.
    virtual void DoAfterDrawCell(TqzCustomDrawGridCellInfo& Info) = 0;
    virtual void DoDrawGroupHeaderCell(TCanvas* ACanvas, const std::string& GroupHeaderName,
                                       const TRect& ARect, bool& DefaultDrawing) = 0;
    // The footer's rectangle (empty without dgShowFooter).
    virtual TRect FooterRect() = 0;

protected:
    TqzGridHost() = default;
    ~TqzGridHost() = default;
    TqzGridHost(const TqzGridHost&) = default;
    TqzGridHost& operator=(const TqzGridHost&) = default;
};
