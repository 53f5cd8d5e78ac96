// The engine grid for the drag flows.
#include "support/flows/drag_flow_grid.h"

#include "engine-controls/ostra_dbgrid.h"

TWinControl* MakeEngineGrid(TComponent* Owner, TWinControl* Parent, TDataSource* Source) {
    auto* grid = new TOstraDBGrid(Owner);
    grid->SetName("Grid");
    grid->SetParent(Parent);
    grid->SetDataSource(Source);
    return grid;
}

TPoint EngineGridRowPoint(TWinControl* Grid, int DataRow) {
    auto* grid = static_cast<TOstraDBGrid*>(Grid);
    const TRect r = grid->CellRect(grid->IndicatorOffset() + 1, grid->TitleOffset() + DataRow);
    return {r.Left + 6, (r.Top + r.Bottom) / 2};
}

int EngineGridRowAt(TWinControl* Grid, int X, int Y) {
    auto* grid = static_cast<TOstraDBGrid*>(Grid);
    const TGridCoord cell = grid->MouseCoord(X, Y);
    return cell.Y < grid->TitleOffset() ? -1 : cell.Y - grid->TitleOffset();
}
