// The lookup combo tests' fixture: an engine lookup table of five items
// (Id, Name, Grp, Sub) and a bound table of orders on a form.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzlookupcombo.h"

class QzLookupComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 420, 200);
        Items = new TOstraTable(Form);
        Items->FieldDefs()->Add("Id", ftInteger);
        Items->FieldDefs()->Add("Name", ftString, 20);
        Items->FieldDefs()->Add("Grp", ftString, 4);
        Items->FieldDefs()->Add("Sub", ftString, 4);
        Items->Open();
        const char* names[] = {"Apple", "Banana", "Carrot", "Cherry", "Date"};
        const char* groups[] = {"A", "A", "V", "F", "F"};
        const char* subs[] = {"x", "y", "z", "w", "v"};
        for (int i = 0; i < 5; ++i)
            Items->AppendRecord({Variant(i + 1), Variant(names[i]), Variant(groups[i]), Variant(subs[i])});
        Items->First();
        Orders = new TOstraTable(Form);
        Orders->FieldDefs()->Add("ItemId", ftInteger);
        Orders->FieldDefs()->Add("Grp", ftString, 4);
        Orders->FieldDefs()->Add("Sub", ftString, 4);
        Orders->Open();
        Orders->AppendRecord({Variant(2), Variant("A"), Variant("y")});
        Source = new TDataSource(Form);
        Source->SetDataSet(Orders);
        Combo = new TqzDBCustomLookupCombo(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(10, 10, 200, 25);
        Other = new TEdit(Form);
        Other->SetParent(Form);
        Other->SetBounds(10, 150, 100, 24);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    // Bound to Orders.ItemId, showing Items.Name.
    void Bind(const std::string& LookupField) {
        Combo->SetDataSource(Source);
        Combo->SetDataField("ItemId");
        Combo->SetLookupTable(Items);
        Combo->Selected()->SetText("Name\t12\tName\nGrp\t4\tGroup\n");
        Combo->SetLookupField(LookupField);
        Form->Show();
        Combo->SetFocus();
        ProcessEvents();
    }
    std::string Bound(const std::string& Name) { return Orders->FieldByName(Name)->AsString(); }
    TPoint RowCentre(int DataRow) {
        TqzLookupDropGrid* g = Combo->Grid();
        const TRect r = g->CellRect(g->IndicatorOffset(), DataRow + g->TitleOffset());
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

    TForm* Form = nullptr;
    TOstraTable* Items = nullptr;
    TOstraTable* Orders = nullptr;
    TDataSource* Source = nullptr;
    TqzDBCustomLookupCombo* Combo = nullptr;
    TEdit* Other = nullptr;
};
