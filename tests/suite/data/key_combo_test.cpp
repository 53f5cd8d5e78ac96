// The index combo over an SQLite suite table: its entries, " - Desc", the
// three passes of a pick made by clicks in the open list, ShowAllIndexes
// with the primary key's name, and the datasets it refuses.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/properties.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/base/qzcontroller.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzkeycombo.h"

namespace {

class KeyComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        Db.SetDatabaseName(":memory:");
        Db.Open();
        Db.Execute(
            "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(10), qty INTEGER);"
            "CREATE INDEX bycitycs ON cust (city, name);"
            "CREATE INDEX bycity ON cust (city COLLATE FOLD, qty);"
            "CREATE INDEX bycityonly ON cust (city);"
            "CREATE INDEX byqtydesc ON cust (qty DESC);"
            "CREATE INDEX byname ON cust (name);"
            "INSERT INTO cust VALUES (1, 'bob', 'Oslo', 5), (2, 'Ann', 'rome', 12), (3, 'carl', 'Bern', 7);");
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 320, 260);
        Table = new TqzTable(Form);
        Table->SetDatabaseName(":memory:");
        Table->SetTableName("cust");
        Table->Open();
        Table->FieldByName("city")->SetDisplayLabel("Home~town");
        Src = new TDataSource(Form);
        Src->SetDataSet(Table);
        Combo = new TqzKeyCombo(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(10, 10, 200, 24);
        Form->Show();
        ProcessEvents();
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    std::string Entries() {
        std::string out;
        for (int i = 0; i < Combo->Items()->Count(); ++i) out += (i ? "|" : "") + Combo->Items()->Strings(i);
        return out;
    }
    // Opens the list with F4 and clicks the row of Text.
    void Pick(const std::string& Text, const std::string& Png = "") {
        Combo->SetFocus();
        ProcessEvents();
        SendKey(Combo, VK_F4);
        ASSERT_TRUE(Combo->IsDroppedDown());
        const int row = Combo->Items()->IndexOf(Text);
        ASSERT_GE(row, 0) << Text;
        if (!Png.empty()) {
            EXPECT_TRUE(RenderControlToPng(Combo->ListWindow(), GetTempDir() + Png));
        }
        const TRect r = Combo->List()->ItemRect(row);
        SendClick(Combo->List(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
        EXPECT_FALSE(Combo->IsDroppedDown());
    }
    std::string Names() {
        std::string out;
        for (Table->First(); !Table->Eof(); Table->Next())
            out += (out.empty() ? "" : ",") + Table->FieldByName("name")->AsString();
        return out;
    }

    TDatabase Db{nullptr};
    TForm* Form = nullptr;
    TqzTable* Table = nullptr;
    TDataSource* Src = nullptr;
    TqzKeyCombo* Combo = nullptr;
    TTestDialogs Dialogs;
};

// One entry per leading field (labels with "~" as a blank), " - Desc" for a
// descending index; a pick by clicks activates the index by the three passes
// and keeps the current record.
TEST_F(KeyComboTest, EntriesAndPicksByTheThreePasses) {
    Combo->SetDataSource(Src);
    EXPECT_EQ("id|Home town|qty - Desc|name", Entries());
    EXPECT_EQ(-1, Combo->ItemIndex());  // no IndexName: no entry
    Table->Locate("name", Variant("carl"), {});
    // case-insensitive index first
    Pick("Home town", "taskmoor_key_combo_list.png");
    EXPECT_EQ("bycity", Table->IndexName());
    EXPECT_EQ("carl", Table->FieldByName("name")->AsString());
    EXPECT_EQ("Home town", Combo->Text());
    EXPECT_EQ("carl,bob,Ann", Names());
    Pick("qty - Desc");
    EXPECT_EQ("byqtydesc", Table->IndexName());
    EXPECT_EQ("Ann,carl,bob", Names());
    // without a case-insensitive index: the one-field index before the wider one
    Db.Execute("DROP INDEX bycity;");
    Table->IndexDefs()->Update();
    Pick("Home town");
    EXPECT_EQ("bycityonly", Table->IndexName());
    Pick("name");
    Db.Execute("DROP INDEX bycityonly;");
    Table->IndexDefs()->Update();
    Pick("Home town");
    EXPECT_EQ("bycitycs", Table->IndexName());
    EXPECT_EQ("carl,bob,Ann", Names());
    // a change of index from outside selects its entry again
    Table->SetIndexName("byname");
    ProcessEvents();
    EXPECT_EQ("name", Combo->Text());
}

// A walk with the controls disabled (a search) leaves the combo alone: it
// shows an index changed meanwhile once the controls come back.
TEST_F(KeyComboTest, AWalkWithDisabledControlsLeavesTheComboUntilTheEnd) {
    Combo->SetDataSource(Src);
    Pick("name");
    Table->DisableControls();
    Table->SetIndexName("byqtydesc");
    Table->First();
    while (!Table->Eof()) Table->Next();
    EXPECT_EQ("name", Combo->Text());
    Table->EnableControls();
    ProcessEvents();
    EXPECT_EQ("qty - Desc", Combo->Text());
}

// ShowAllIndexes lists index names, the primary one by PrimaryKeyName; a
// detail table and datasets without index information get nothing.
TEST_F(KeyComboTest, ItsFrameComesFromAControllerSetByName) {
    auto* ctl = new TqzController(Form);
    ctl->Frame()->SetEnabled(true);
    ctl->Frame()->SetNonFocusColor(clYellow);
    SetObjectProp(Combo, "Controller", ctl);
    EXPECT_EQ(ctl, Combo->Controller());
    EXPECT_EQ(0, ctl->ControlList()->IndexOf(Combo));
    EXPECT_TRUE(Combo->Frame()->Enabled());
    EXPECT_EQ(clYellow, Combo->Frame()->NonFocusColor());
    EXPECT_EQ(Combo->Frame(), GetObjectProp(Combo, "Frame"));
    SetOrdProp(Combo, "DisableThemes", 1);
    EXPECT_TRUE(Combo->DisableThemes());
}

TEST_F(KeyComboTest, ShowAllIndexesAndRefusedDatasets) {
    Combo->SetDataSource(Src);
    Combo->SetShowAllIndexes(true);
    EXPECT_EQ("PrimaryKey|bycitycs|bycity|bycityonly|byqtydesc|byname", Entries());
    Pick("byname");
    EXPECT_EQ("byname", Table->IndexName());
    EXPECT_EQ("Ann,bob,carl", Names());
    Pick("PrimaryKey");
    EXPECT_EQ("", Table->IndexName());
    // an engine table has no index information
    TOstraTable engine(Form);
    engine.FieldDefs()->Add("Name", ftString, 5);
    engine.Open();
    TDataSource other(Form);
    other.SetDataSet(&engine);
    Combo->SetDataSource(&other);
    ASSERT_EQ(1, Dialogs.Count());
    EXPECT_EQ("DataSource must point to a dataset containing index information.", Dialogs.Last().Text);
    EXPECT_EQ(Src, Combo->DataSource());
    // a detail table: no entries
    TqzTable detail(Form);
    detail.SetDatabaseName(":memory:");
    detail.SetTableName("cust");
    detail.SetMasterSource(Src);
    detail.SetIndexName("byname");
    detail.SetMasterFields("name");
    detail.Open();
    TDataSource detailSource(Form);
    detailSource.SetDataSet(&detail);
    TqzKeyCombo fresh(Form);
    fresh.SetParent(Form);
    fresh.SetDataSource(&detailSource);
    EXPECT_EQ(0, fresh.Items()->Count());
}

}  // namespace
