// The engine grid for the drag flows, made apart from the suite's headers
// (the two name their button styles alike).
#pragma once

#include "platform/db/datasource.h"
#include "platform/ui/controls.h"

// An engine grid on Parent showing Source's records.
TWinControl* MakeEngineGrid(TComponent* Owner, TWinControl* Parent, TDataSource* Source);
// A point inside the Action cell of a data row (0: the first shown).
TPoint EngineGridRowPoint(TWinControl* Grid, int DataRow);
// The data row at a client point, -1 on the titles.
int EngineGridRowAt(TWinControl* Grid, int X, int Y);
