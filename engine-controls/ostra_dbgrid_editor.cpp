// The engine grid's cell editor: plain text editing.
#include "engine-controls/ostra_dbgrid.h"
#include "platform/ui/grids.h"

TInplaceEdit* TOstraCustomDBGrid::CreateEditor() { return new TInplaceEdit(this); }
