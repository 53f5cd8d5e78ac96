// The grid's title cells: the title text from the field or its Selected
// line, the attributes and image a handler gives, a handler's own drawing,
// group headers over grouped titles, the themed background with its hot and
// pressed states, and hot-title tracking under the mouse.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/geometry.h"

class TCanvas;
class TqzCustomDBGrid;
struct TqzTitleImageAttributes;

class TqzGridTitles {
public:
    explicit TqzGridTitles(TqzCustomDBGrid& Grid) : G(Grid) {}
    TqzGridTitles(const TqzGridTitles&) = delete;
    TqzGridTitles& operator=(const TqzGridTitles&) = delete;

    // The title cell of a data column (-1: the indicator's corner).
    void Draw(TCanvas* C, const TRect& R, int DataCol);
    // The background: themed (normal, hot or pressed), else the brush (when
    // an attribute handler set it) or the fixed-cell fill.
    void DrawBackground(TCanvas* C, const TRect& R, int ACol, bool GroupHeader, bool BrushSet);
    // The title column under the mouse while themes draw the titles (-1:
    // none), and whether the mouse is over its group header half.
    int HotCol() const { return FHotCol; }
    bool HotInGroupHeader() const { return FHotGroup; }
    void TrackHot(TShiftState Shift, int X, int Y);
    void ClearHot();
    // The held title button was pressed on its group header.
    bool PressedGroup() const { return FPressedGroup; }
    void SetPressedGroup(bool Value) { FPressedGroup = Value; }

private:
    // Draws the title image beside the text and narrows TextRect by it.
    void DrawImage(TCanvas* C, const TRect& R, TRect& TextRect, const TqzTitleImageAttributes& Image);

    TqzCustomDBGrid& G;
    int FHotCol = -1;
    bool FHotGroup = false;
    bool FPressedGroup = false;
};
