// A grid that keeps a text per cell (Cells) and draws it, over the generic
// grid. The editor edits the cell's text; OnDrawCell, when assigned, draws
// the cells instead.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/ui/grids.h"

class TStringGrid : public TDrawGrid {
    TASKMOOR_CLASS(TStringGrid, TDrawGrid)
public:
    explicit TStringGrid(TComponent* AOwner);

    // Empty outside the grid.
    std::string Cells(int ACol, int ARow) const;
    // Ignored outside the grid.
    void SetCells(int ACol, int ARow, const std::string& Value);

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    std::string GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::string& Value) override;

private:
    std::map<std::pair<int, int>, std::string> FCells;
};
