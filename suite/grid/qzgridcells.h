// The grid's cells: the draw-cell info and its before and after events,
// the indicator column, and the data cells by their column's control type
// (CheckBox, Bitmap with its display modes and raster operations,
// ImageIndex, CustomEdit and RichEdit controls painted into the cell,
// URL-Link, plain text) with their colours. Titles are TqzGridTitles'.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/ui/grids.h"
#include "suite/grid/qzgridtypes.h"

class TCanvas;
class TField;
class TqzGridCellsHost;
class TqzGridTitles;

class TqzGridCells {
public:
    // The grid's data-cell event (OnDrawDataCell) as the generic grid fires it.
    using TDrawDataCell = std::function<void(const TRect&, TField*, TGridDrawState)>;
    // Title cells are drawn by Titles.
    TqzGridCells(TqzGridCellsHost& Host, TqzGridTitles& Titles, TDrawDataCell DrawDataCell);
    TqzGridCells(const TqzGridCells&) = delete;
    TqzGridCells& operator=(const TqzGridCells&) = delete;

    // One cell: the draw-cell info filled, OnBeforeDrawCell, the cell's
    // parts, OnAfterDrawCell.
    void Draw(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    // The info of the cell being drawn.
    const TqzCustomDrawGridCellInfo& Info() const { return FInfo; }
    // Fired for every cell before it is drawn (the grid's OnBeforeDrawCell).
    TqzCustomDrawCellEvent OnBefore() const { return FOnBefore; }
    void SetOnBefore(TqzCustomDrawCellEvent Value) { FOnBefore = Value; }
    // The data cell under the mouse shown as a hot link (-1, -1: none); the
    // grid sets it and draws the cells again.
    TGridCoord HotCell() const { return FHotCell; }
    void SetHotCell(const TGridCoord& Value) { FHotCell = Value; }
    // The group state of the row being drawn (set by the grid's CalcGroupState).
    TqzGroupState& GroupState() { return FGroupState; }
    const TqzGroupState& GroupState() const { return FGroupState; }

private:
    void DrawParts(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    void DrawIndicator(TCanvas* C, const TRect& R, int DataRow);
    // The image of the indicator of a data row; -1 for none.
    int IndicatorImageIndex(int DataRow);
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

    TqzGridCellsHost& H;
    TqzGridTitles& FTitles;
    TDrawDataCell FDrawDataCell;
    TqzCustomDrawGridCellInfo FInfo;
    TqzGroupState FGroupState;
    TGridCoord FHotCell{-1, -1};
    TqzCustomDrawCellEvent FOnBefore;
};
