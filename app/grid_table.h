// The engine table a grid shows, if any.
#pragma once

#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_dataset.h"
#include "platform/db/datasource.h"

inline TOstraDataset* GridTable(TOstraDBGrid* Grid) {
    TDataSource* source = Grid ? Grid->DataSource() : nullptr;
    return dynamic_cast<TOstraDataset*>(source ? source->DataSet() : nullptr);
}
