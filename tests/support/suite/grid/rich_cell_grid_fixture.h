// A shown form with a TqzDBGrid over an engine table (Id, Body memo) whose
// Body cells are edited by a named rich edit.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbgrid.h"
#include "support/suite/grid/rich_cell_control.h"

class TRichCellGridTest : public ::testing::Test {
protected:
    // One record a body, on the first; the grid focused on data column Column.
    void Build(const std::vector<std::string>& Bodies, int Column) {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 640, 300);
        Table = new TOstraTable(Form);
        Table->FieldDefs()->Add("Id", ftInteger);
        Table->FieldDefs()->Add("Body", ftMemo);
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TqzDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 600, 260);
        Grid->ControlType()->SetText("Body;RichEdit;RichCell\n");
        Rich = NewRichCellControl(Form, Form, "RichCell", Source, "Body");
        Table->Open();
        for (std::size_t i = 0; i < Bodies.size(); ++i)
            Table->AppendRecord({Variant(static_cast<int>(i) + 1), Variant(Bodies[i])});
        Table->First();
        Grid->SetDataSource(Source);
        Form->Show();
        ProcessEvents();
        Grid->SetFocus();
        Grid->SelectDataColumn(Column);
        ProcessEvents();
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TqzDBGrid* Grid = nullptr;
    TWinControl* Rich = nullptr;
};
