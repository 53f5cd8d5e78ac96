// An engine table of every field type the record test reads, with a filter
// dialog over it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/datetime.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/data/qzfilterdialog.h"
#include "support/engine/engine_test_support.h"
#include "support/suite/data/filter_criteria.h"

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        TFieldDefs* d = T.FieldDefs();
        d->Add("Name", ftString, 5);
        d->Add("Num", ftInteger);
        d->Add("Amount", ftFloat);
        d->Add("Day", ftDate);
        d->Add("Stamp", ftDateTime);
        d->Add("Flag", ftBoolean);
        d->Add("Notes", ftMemo);
        T.Open();
        Src.SetDataSet(&T);
        D = new TqzFilterDialog(&Form);
        D->SetDataSource(&Src);
    }
    void Add(const std::string& Name, int Num, double Amount, const std::string& Notes = "",
             bool Flag = false) {
        T.AppendRecord({Variant(Name), Variant(Num), Variant(Amount), Variant(), Variant(), Variant(Flag),
                        Variant(Notes)});
    }
    // The records the criteria accept, by the given field.
    std::vector<std::string> Filter(const std::vector<TqzFieldInfo>& Criteria,
                                    const std::string& Field = "Name") {
        D->Criteria() = Criteria;
        EXPECT_TRUE(D->ApplyFilter());
        return Column(T, Field);
    }

    TForm Form{nullptr};
    TOstraTable T{&Form};
    TDataSource Src{&Form};
    TqzFilterDialog* D = nullptr;
    TTestDialogs Dialogs;
};
