// The engine's grid as a flow control, shared by the adapters over plain
// cells and over cells with a drop-down.
#pragma once

#include <string>

#include "engine-controls/ostra_dbgrid.h"
#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/db/dataset.h"
#include "platform/ui/testing.h"
#include "support/flows/grid_flow.h"

class TEngineGridFlow : public TGridFlowOf<TOstraDBGrid> {
public:
    void Build(TForm* Form, TDataSource* Source) override {
        Place(Form);
        for (const std::string& f : Fields()) {
            TOstraColumn* col = FGrid->Columns()->Add();
            col->SetFieldName(f);
            col->SetWidth(120);
            Prepare(col);
        }
        FGrid->SetDataSource(Source);
    }
    void Focus(const std::string& Field) override {
        FGrid->SetFocus();
        FGrid->SetSelectedIndex(Index(Field));
        ProcessEvents();
    }
    void SetEnterToTab(bool On) override {
        On ? FGrid->SetOptions(FGrid->Options() + dgEnterToTab)
           : FGrid->SetOptions(FGrid->Options() - dgEnterToTab);
    }
    void SetOnTitleClick(std::function<void(const std::string&)> Handler) override {
        FOnTitleClick = std::move(Handler);
        for (int i = 0; i < FGrid->Columns()->Count(); ++i) FGrid->Columns()->GetColumn(i)->SetCanClick(true);
        FGrid->SetOnTitleClick(
            [this](TObject*, TOstraColumn* Column) { FOnTitleClick(Column->FieldName()); });
    }

protected:
    // Sets up a column of the fields (its drop-down).
    virtual void Prepare(TOstraColumn*) {}
    TOstraDBGridInplaceEdit* Editor() const {
        return dynamic_cast<TOstraDBGridInplaceEdit*>(FGrid->InplaceEditor());
    }
};
