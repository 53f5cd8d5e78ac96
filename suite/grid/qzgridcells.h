// The grid's cells: the draw-cell info and its before and after events,
// the indicator column, and the data cells by their column's control type
// (CheckBox, Bitmap with its display modes and raster operations,
// ImageIndex, CustomEdit and RichEdit controls painted into the cell,
// URL-Link, plain text) with their colours. Titles are TqzGridTitles'.
#pragma once

#include <string>

#include "platform/ui/grids.h"
#include "suite/grid/qzgridtypes.h"

class TCanvas;
class TField;
class TqzCustomDBGrid;

class TqzGridCells {
public:
    explicit TqzGridCells(TqzCustomDBGrid& Grid) : G(Grid) {}
    TqzGridCells(const TqzGridCells&) = delete;
    TqzGridCells& operator=(const TqzGridCells&) = delete;

    // One cell: the draw-cell info filled, OnBeforeDrawCell, the cell's
    // parts, OnAfterDrawCell.
    void Draw(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    // The info of the cell being drawn.
    const TqzCustomDrawGridCellInfo& Info() const { return FInfo; }

private:
    void DrawParts(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawIndicator(TCanvas* C, const TRect& R, int DataRow);
    // The control-type drawing; False when the cell goes on as text.
    bool DrawControlType(TCanvas* C, const TRect& R, int ACol, int ARow, TGridDrawState State);
    void DrawBitmap(TCanvas* C, const TRect& R, TField* Field, const std::string& Parameters);
    void DrawImageIndex(TCanvas* C, const TRect& R, TField* Field, const std::string& Parameters);
    bool DrawCustomControl(TCanvas* C, const TRect& R, int ACol, int ARow, TField* Field,
                           TGridDrawState State);
    void SetColors(TCanvas* C, int ACol, int ARow, TField* Field, TGridDrawState State, bool& BrushSet);
    // The grid's font and colours for the cell, and its background when FInfo asks for it.
    void PaintCellBackground(TCanvas* C, const TRect& R, int ACol, int ARow, TField* Field,
                             TGridDrawState State);
    // The field holding a Bitmap cell's picture: the field itself, or for a
    // calculated or lookup field the result field of its related record (nil: none).
    TField* PictureField(TField* Field);

    TqzCustomDBGrid& G;
    TqzCustomDrawGridCellInfo FInfo;
};
