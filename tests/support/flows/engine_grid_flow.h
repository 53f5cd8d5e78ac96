// The engine's grid as a flow control, shared by the adapters over plain
// cells and over cells with a drop-down.
#pragma once

#include <string>

#include "engine-controls/ostra_dbgrid.h"
#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/db/dataset.h"
#include "platform/ui/testing.h"
#include "support/flows/user_flow.h"

class TEngineGridFlow : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.Grid = c.EnterToTab = c.ArrowsLeave = c.EditorKeys = c.ReadOnly = true;
        return c;
    }
    void Build(TForm* Form, TDataSource* Source) override {
        FGrid = new TOstraDBGrid(Form);
        FGrid->SetParent(Form);
        FGrid->SetBounds(8, 8, 600, 320);
        FGrid->SetBorderStyle(bsNone);
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
    std::string Shown(const std::string& Field) override {
        if (EditorOpen() && ColumnField() == Field) return FGrid->InplaceEditor()->Text();
        return FGrid->DataSource()->DataSet()->FieldByName(Field)->Text();
    }
    void Click(const std::string& Field, int Row) override {
        const TPoint p = Centre(Field, Row);
        SendClick(FGrid, p.X, p.Y);
        ProcessEvents();
    }
    void DoubleClick(const std::string& Field) override {
        const TPoint p = Centre(Field, FGrid->Row() - FGrid->TitleOffset());
        SendDoubleClick(FGrid, p.X, p.Y);
        ProcessEvents();
    }
    TWinControl* Control(const std::string&) override { return FGrid; }
    bool EditorOpen() override { return FGrid->InplaceEditor() && FGrid->InplaceEditor()->Visible(); }
    void SetEnterToTab(bool On) override {
        On ? FGrid->SetOptions(FGrid->Options() + dgEnterToTab)
           : FGrid->SetOptions(FGrid->Options() - dgEnterToTab);
    }
    void SetReadOnly(bool On) override { FGrid->SetReadOnly(On); }

protected:
    // Sets up a column of the fields (its drop-down).
    virtual void Prepare(TOstraColumn*) {}
    TOstraDBGridInplaceEdit* Editor() const {
        return dynamic_cast<TOstraDBGridInplaceEdit*>(FGrid->InplaceEditor());
    }

private:
    int Index(const std::string& Field) const {
        int col = 0;
        while (Fields()[col] != Field) ++col;
        return col;
    }
    TPoint Centre(const std::string& Field, int Row) const {
        const TRect r = FGrid->CellRect(Index(Field) + FGrid->IndicatorOffset(), Row + FGrid->TitleOffset());
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    std::string ColumnField() const { return Fields()[FGrid->SelectedIndex()]; }

protected:
    TOstraDBGrid* FGrid = nullptr;
};
