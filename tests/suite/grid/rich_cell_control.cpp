// The rich edit the grid's RichEdit cell tests name in their ControlType lines.
#include "support/suite/grid/rich_cell_control.h"

#include "suite/richtext/qzdbrichedit.h"

TWinControl* NewRichCellControl(TComponent* Owner, TWinControl* Parent, const std::string& Name,
                                TDataSource* Source, const std::string& DataField) {
    auto* rich = new TqzDBRichEdit(Owner);
    rich->SetName(Name);
    rich->SetParent(Parent);
    rich->SetBorderStyle(bsSingle);
    rich->SetDataSource(Source);
    rich->SetDataField(DataField);
    return rich;
}
