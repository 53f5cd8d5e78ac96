// The suite grid as a flow control, shared by the adapters over the engine's
// table and over an SQLite table.
#pragma once

#include "platform/db/dataset.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbigrd.h"
#include "support/flows/grid_flow.h"

// The grid with its protected cell-editor switch reachable.
class TFlowQzGrid : public TqzCustomDBGrid {
public:
    explicit TFlowQzGrid(TComponent* AOwner) : TqzCustomDBGrid(AOwner) {}
};

// TGrid: the suite grid class the flows run, its cell-editor switch reachable.
template <class TGrid>
class TSuiteGridFlowOf : public TGridFlowOf<TGrid> {
    using TGridFlowOf<TGrid>::FGrid;
    using TGridFlowOf<TGrid>::Index;

public:
    void Build(TForm* Form, TDataSource* Source) override {
        this->Place(Form);
        FGrid->SetUseTFields(false);
        std::string lines;
        for (const std::string& f : this->Fields()) lines += f + "\t15\t" + f + "\n";
        FGrid->Selected()->SetText(lines);
        FGrid->SetDataSource(Source);
    }
    void Focus(const std::string& Field) override {
        FGrid->SetFocus();
        FGrid->SelectDataColumn(Index(Field));
        ProcessEvents();
    }
    void SetEnterToTab(bool On) override {
        FGrid->SetKeyOptions(On ? FGrid->KeyOptions() + dgEnterToTab : FGrid->KeyOptions() - dgEnterToTab);
    }
    void SetOnTitleClick(std::function<void(const std::string&)> Handler) override {
        this->FOnTitleClick = std::move(Handler);
        FGrid->SetTitleButtons(true);
        FGrid->SetOnTitleButtonClick(
            [this](TObject*, const std::string& Field) { this->FOnTitleClick(Field); });
    }
};

using TSuiteGridFlow = TSuiteGridFlowOf<TFlowQzGrid>;
