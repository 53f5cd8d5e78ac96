// An engine table of names with a data source on a shown form, for the
// locate dialog, the incremental search, the navigator and the record view.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "support/engine/engine_test_support.h"

class NavTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form.SetBounds(10, 10, 500, 300);
        TFieldDefs* d = T.FieldDefs();
        d->Add("Name", ftString, 20);
        d->Add("City", ftString, 20);
        d->Add("Num", ftInteger);
        T.Open();
        Src.SetDataSet(&T);
    }
    void Fill(const std::vector<std::string>& Names) {
        int n = 0;
        for (const std::string& s : Names) T.AppendRecord({Variant(s), Variant("C" + s), Variant(++n)});
        T.First();
    }
    std::string Name() { return T.FieldByName("Name")->AsString(); }

    TForm Form{nullptr};
    TOstraTable T{&Form};
    TDataSource Src{&Form};
    TTestDialogs Dialogs;
};
