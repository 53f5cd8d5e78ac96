// The lookup list over an SQLite suite table: the bound key of one, two or
// three parts is found by a key search on the table's index for the key
// fields, as the lookup combo does; the dialog-style combo's key rule.
#include <gtest/gtest.h>

#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzlookupcombodlg.h"
#include "suite/grid/qzlookuplist.h"

namespace {

class LookupListSqlite : public ::testing::Test {
protected:
    void SetUp() override {
        Db.SetDatabaseName(":memory:");
        Db.Open();
        Db.Execute(
            "CREATE TABLE cats (code INTEGER, grp VARCHAR(4), sub VARCHAR(4), name VARCHAR(20));"
            "CREATE INDEX byname ON cats (name COLLATE FOLD);"
            "CREATE UNIQUE INDEX bykey ON cats (code, grp, sub);"
            "INSERT INTO cats VALUES (1, 'a', 'x', 'Kitchen'), (2, 'b', 'x', 'House'), (3, 'c', 'x', "
            "'Attic'),"
            " (2, 'z', 'x', 'Garden'), (2, 'z', 'y', 'Shed');"
            "CREATE TABLE tasks (id INTEGER PRIMARY KEY, cat INTEGER, grp VARCHAR(4), sub VARCHAR(4));"
            "INSERT INTO tasks VALUES (1, 2, 'b', 'x'), (2, 2, 'z', 'y'), (3, 3, 'c', 'x');");
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 360, 220);
        Cats = new TqzTable(Form);
        Cats->SetDatabaseName(":memory:");
        Cats->SetTableName("cats");
        Cats->SetIndexName("byname");
        Cats->Open();
        Tasks = new TqzTable(Form);
        Tasks->SetDatabaseName(":memory:");
        Tasks->SetTableName("tasks");
        Tasks->Open();
        Src = new TDataSource(Form);
        Src->SetDataSet(Tasks);
        List = new TqzDBLookupList(Form);
        List->SetParent(Form);
        List->SetBounds(10, 10, 300, 150);
        List->SetDataSource(Src);
        List->SetDataField("cat");
        List->SetLookupTable(Cats);
        List->Selected()->SetText("name\t12\tName\n");
        Form->Show();
        ProcessEvents();
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    std::string Name() { return Cats->FieldByName("name")->AsString(); }

    TDatabase Db{nullptr};
    TForm* Form = nullptr;
    TqzTable* Cats = nullptr;
    TqzTable* Tasks = nullptr;
    TDataSource* Src = nullptr;
    TqzDBLookupList* List = nullptr;
};

TEST_F(LookupListSqlite, FindsTheBoundKeyOnTheKeyIndex) {
    ASSERT_EQ("name", Cats->IndexFields(0)->FieldName());
    // Three parts: the index for the keys is taken and searched.
    List->SetLookupField("code;grp;sub");
    EXPECT_EQ(3, List->KeyCount());
    EXPECT_TRUE(List->Positioned());
    EXPECT_EQ("code", Cats->IndexFields(0)->FieldName());
    EXPECT_EQ("House", Name());
    EXPECT_EQ("House", List->MatchText());
    Tasks->Next();
    EXPECT_TRUE(List->Positioned());
    EXPECT_EQ("Shed", Name());
    EXPECT_EQ("y", List->ValueText(2));
    // Two parts: the first record of those two keys.
    List->SetLookupField("code;grp");
    EXPECT_EQ(2, List->KeyCount());
    EXPECT_TRUE(List->Positioned());
    EXPECT_EQ("z", Cats->FieldByName("grp")->AsString());
    EXPECT_EQ("code", Cats->IndexFields(0)->FieldName());
    // One part.
    List->SetLookupField("code");
    Tasks->Last();
    EXPECT_TRUE(List->Positioned());
    EXPECT_EQ("Attic", Name());
    // A key no record holds.
    Tasks->Edit();
    Tasks->FieldByName("cat")->SetAsInteger(9);
    Tasks->Post();
    EXPECT_FALSE(List->Positioned());
}

TEST(LookupComboDialogStyle, OnlyTheDialogComboIsDialogStyle) {
    TqzDBLookupComboDlg dlg(nullptr);
    TqzDBCustomLookupCombo& base = dlg;
    EXPECT_TRUE(base.IsDialogStyle());
    TqzDBCustomLookupCombo plain(nullptr);
    EXPECT_FALSE(plain.IsDialogStyle());
}

}  // namespace
