// The grid's title cells: the title text from the field or its Selected
// line, the attributes and image a handler gives, a handler's own drawing,
// group headers over grouped titles, the themed background with its hot and
// pressed states, and hot-title tracking under the mouse.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/geometry.h"

class TCanvas;
class TqzGridTitleHost;
struct TqzTitleImageAttributes;

class TqzGridTitles {
public:
    explicit TqzGridTitles(TqzGridTitleHost& Host);
    TqzGridTitles(const TqzGridTitles&) = delete;
    TqzGridTitles& operator=(const TqzGridTitles&) = delete;

    // The title cell of a data column (-1: the indicator's corner).
    void Draw(TCanvas* C, const TRect& R, int DataCol);
    // The background: themed (normal, hot or pressed), else the brush (when
    // an attribute handler set it) or the fixed-cell fill.
    void DrawBackground(TCanvas* C, const TRect& R, int ACol, bool GroupHeader, bool BrushSet);
    // The title column under the mouse while themes draw the titles (-1:
    // none), and whether the mouse is over its group header half.
    // True when the hot title changed (the title row needs drawing).
    bool TrackHot(TShiftState Shift, int X, int Y);
    bool ClearHot();
    // Titles are drawn themed: themes are on for the grid and not disabled in the title.
    bool Themed() const;
    // The title button held down (-1: none), pressed on its group header or not.
    int PressedCol() const { return FPressedCol; }
    void Press(int ACol, bool GroupHeader) {
        FPressedCol = ACol;
        FPressedGroup = GroupHeader;
    }
    void ReleaseCol() { FPressedCol = -1; }
    void ReleaseGroup() { FPressedGroup = false; }

private:
    // Draws the title image beside the text and narrows TextRect by it.
    void DrawImage(TCanvas* C, const TRect& R, TRect& TextRect, const TqzTitleImageAttributes& Image);

    TqzGridTitleHost& H;
    int FPressedCol = -1;
    int FHotCol = -1;
    bool FHotGroup = false;
    bool FPressedGroup = false;
};
