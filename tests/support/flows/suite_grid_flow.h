// The suite grid as a flow control, shared by the adapters over the engine's
// table and over an SQLite table.
#pragma once

#include "platform/db/dataset.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbigrd.h"
#include "support/flows/user_flow.h"

// The grid with its protected cell-editor switch reachable.
class TFlowQzGrid : public TqzCustomDBGrid {
public:
    explicit TFlowQzGrid(TComponent* AOwner) : TqzCustomDBGrid(AOwner) {}
};

// TGrid: the suite grid class the flows run, its cell-editor switch reachable.
template <class TGrid>
class TSuiteGridFlowOf : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.Grid = c.EnterToTab = c.ArrowsLeave = c.EditorKeys = c.ReadOnly = true;
        return c;
    }
    void Build(TForm* Form, TDataSource* Source) override {
        FGrid = new TGrid(Form);
        FGrid->SetParent(Form);
        FGrid->SetBounds(8, 8, 600, 320);
        FGrid->SetBorderStyle(bsNone);
        FGrid->SetUseTFields(false);
        std::string lines;
        for (const std::string& f : Fields()) lines += f + "\t15\t" + f + "\n";
        FGrid->Selected()->SetText(lines);
        FGrid->SetDataSource(Source);
    }
    void Focus(const std::string& Field) override {
        FGrid->SetFocus();
        FGrid->SelectDataColumn(Index(Field));
        ProcessEvents();
    }
    std::string Shown(const std::string& Field) override {
        if (EditorOpen() && Fields()[FGrid->SelectedIndex()] == Field) return FGrid->InplaceEditor()->Text();
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
        FGrid->SetKeyOptions(On ? FGrid->KeyOptions() + dgEnterToTab : FGrid->KeyOptions() - dgEnterToTab);
    }
    void SetReadOnly(bool On) override { FGrid->SetReadOnly(On); }

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

    TGrid* FGrid = nullptr;
};

using TSuiteGridFlow = TSuiteGridFlowOf<TFlowQzGrid>;
