// The engine grid's cell editor: text editing with the column's drop-downs.
#include "engine-controls/ostra_dbgrid.h"
#include "engine-controls/ostra_dbgrid_inplace.h"

TInplaceEdit* TOstraCustomDBGrid::CreateEditor() {
    auto* editor = new TOstraDBGridInplaceEdit(this);
    // The editor takes the grid's input method.
    editor->SetImeMode(ImeMode());
    editor->SetImeName(ImeName());
    return editor;
}
