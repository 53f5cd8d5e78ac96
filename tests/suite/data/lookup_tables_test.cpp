// Lookup tables of the suite's datasets: calculated fields filled from other
// tables through LookupFields/LookupLinks lines, the lookup routines for the
// combo and the grid, the index switch keeping the record, and a table that
// runs its Query text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/testing.h"
#include "suite/base/qzdbutils.h"
#include "suite/data/qzdbtables.h"
#include "support/environment.h"

namespace {

class LookupTables : public ::testing::Test {
protected:
    void SetUp() override {
        Db = std::make_unique<TDatabase>(nullptr);
        Db->SetDatabaseName(":memory:");
        Db->Open();
        Db->Execute(
            "CREATE TABLE tasks (id INTEGER PRIMARY KEY, title VARCHAR(20), cat INTEGER, owner VARCHAR(10));"
            "INSERT INTO tasks VALUES (1, 'wash', 2, 'ann'), (2, 'cook', 1, 'bob'), (3, 'read', 9, 'zed'),"
            " (4, 'sing', 2, 'bob');"
            "CREATE TABLE cats (code INTEGER, name VARCHAR(20), note TEXT);"
            "CREATE UNIQUE INDEX bycode ON cats (code);"
            "INSERT INTO cats VALUES (1, 'Kitchen', 'hot'), (2, 'House', 'wet');"
            "CREATE TABLE people (login VARCHAR(10), full VARCHAR(20));"
            "INSERT INTO people VALUES ('ann', 'Ann Lee'), ('bob', 'Bob Ray');");
        Tasks = std::make_unique<TqzTable>(nullptr);
        Tasks->SetDatabaseName(":memory:");
        Tasks->SetTableName("tasks");
        Data(new TAutoIncField(Tasks.get()), "id");
        Data(new TIntegerField(Tasks.get()), "cat");
        for (const char* name : {"title", "owner"}) Data(new TStringField(Tasks.get()), name);
    }
    TField* Data(TField* f, const std::string& name, bool calculated = false) {
        f->SetFieldName(name);
        if (auto* s = dynamic_cast<TStringField*>(f)) s->SetSize(20);
        if (calculated) f->SetFieldKind(fkCalculated);
        f->SetDataSet(Tasks.get());
        return f;
    }
    TField* Calc(const std::string& name) { return Data(new TStringField(Tasks.get()), name, true); }
    // "title=value" of every record for a field.
    std::string Column(const std::string& field) {
        std::string out;
        for (Tasks->First(); !Tasks->Eof(); Tasks->Next())
            out += (out.empty() ? "" : ",") + Tasks->FieldByName("title")->AsString() + "=" +
                   Tasks->FieldByName(field)->AsString();
        return out;
    }
    std::unique_ptr<TDatabase> Db;
    std::unique_ptr<TqzTable> Tasks;
    TTestDialogs Dialogs;
};

TEST_F(LookupTables, CalculatedFieldsAreFilledFromTheirTables) {
    Calc("CatName");
    Calc("CatNote");
    Calc("FullName");
    // an index by name, the same table and link again, and the dataset's own database
    Tasks->LookupFields()->Add("CatName;:memory:;cats;name;bycode");
    Tasks->LookupFields()->Add("CatNote;:memory:;cats;note;bycode");
    Tasks->LookupFields()->Add("FullName;;people;full;");
    Tasks->LookupLinks()->Add("cat;code");
    Tasks->LookupLinks()->Add("CAT;Code");
    Tasks->LookupLinks()->Add("owner;login");
    Tasks->Open();
    EXPECT_EQ(Column("CatName"), "wash=House,cook=Kitchen,read=,sing=House");
    EXPECT_EQ(Column("CatNote"), "wash=wet,cook=hot,read=,sing=wet");
    // people has no index: found by the record search on the first pair
    EXPECT_EQ(Column("FullName"), "wash=Ann Lee,cook=Bob Ray,read=,sing=Bob Ray");
    // the lines sharing a table and link (ignoring case) share one table
    auto& list = Tasks->LookupTableList();
    ASSERT_EQ(list.size(), 2u);
    for (TDBDataSet* t : list) {
        EXPECT_EQ(t->Owner(), Tasks.get());
        EXPECT_FALSE(t->CanModify());
    }
    // a change of the own field shows the new lookup value
    Tasks->First();
    Tasks->Edit();
    Tasks->FieldByName("cat")->SetAsInteger(1);
    Tasks->Post();
    EXPECT_EQ(Tasks->FieldByName("CatName")->AsString(), "Kitchen");
    EXPECT_EQ(list.size(), 2u);
}

TEST_F(LookupTables, LineEdgeCases) {
    Calc("CatName");
    Calc("Lost");
    Calc("After");
    // the "N" flag: table name without its extension, index chosen by its fields
    Tasks->LookupFields()->Add("CatName;:memory:;cats.d;name;x;code;N");
    // a link naming an own field the dataset lacks stops the pass
    Tasks->LookupFields()->Add("Lost;:memory:;cats;name;bycode");
    Tasks->LookupFields()->Add("After;:memory:;cats;note;bycode");
    Tasks->LookupLinks()->Add("cat;code");
    Tasks->LookupLinks()->Add("nofield;code");
    Tasks->LookupLinks()->Add("cat;code");
    Tasks->Open();
    EXPECT_EQ(Column("CatName"), "wash=House,cook=Kitchen,read=,sing=House");
    EXPECT_EQ(Column("After"), "wash=,cook=,read=,sing=");
    auto* first = dynamic_cast<TTable*>(Tasks->LookupTableList()[0]);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->TableName(), "cats");
    EXPECT_EQ(first->IndexName(), "bycode");
}

TEST_F(LookupTables, DeletedFieldDropsItsLinesAtTheNextPass) {
    TField* gone = Calc("Gone");
    Calc("CatName");
    Tasks->LookupFields()->Add("Gone;:memory:;cats;note;bycode");
    Tasks->LookupFields()->Add("CatName;:memory:;cats;name;bycode");
    Tasks->LookupLinks()->Add("cat;code");
    Tasks->LookupLinks()->Add("cat;code");
    delete gone;
    Tasks->Open();
    EXPECT_EQ(Tasks->LookupFields()->Count(), 1);
    EXPECT_EQ(Tasks->LookupLinks()->Count(), 1);
    EXPECT_EQ(Tasks->FieldByName("CatName")->AsString(), "House");
}

TEST_F(LookupTables, AnOpeningErrorPropagates) {
    Calc("CatName");
    Tasks->LookupFields()->Add("CatName;:memory:;nosuchtable;name;bycode");
    Tasks->LookupLinks()->Add("cat;code");
    EXPECT_THROW(Tasks->Open(), EDatabaseError);
    EXPECT_FALSE(Tasks->Active());
}

TEST_F(LookupTables, ResultFieldAndLookupRecordOfACalculatedField) {
    TField* name = Calc("CatName");
    TField* plain = Calc("Plain");
    Tasks->LookupFields()->Add("CatName;:memory:;cats;name;bycode");
    Tasks->LookupLinks()->Add("cat;code");
    Tasks->Open();
    TField* r = qzFindLookupResultField(Tasks.get(), name, Variant(1));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->AsString(), "Kitchen");
    EXPECT_EQ(qzFindLookupResultField(Tasks.get(), name, Variant(7)), nullptr);
    // two values for a one-pair link find nothing
    EXPECT_EQ(qzFindLookupResultField(Tasks.get(), name, VarArrayOf({Variant(1), Variant(2)})), nullptr);
    // the current record's own field
    Tasks->Last();  // sing, category 2
    r = qzFindLookupResultField(Tasks.get(), name);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->AsString(), "House");
    // a calculated field without a line
    EXPECT_EQ(qzFindLookupResultField(Tasks.get(), plain, Variant(1)), nullptr);

    std::string key;
    TField* result = nullptr;
    Tasks->First();  // wash, category 2
    EXPECT_TRUE(qzFindLookupRecord(name, key, result));
    EXPECT_EQ(key, "2");
    ASSERT_NE(result, name);
    EXPECT_EQ(result->AsString(), "House");
    Tasks->Next();
    Tasks->Next();  // read, category 9
    EXPECT_FALSE(qzFindLookupRecord(name, key, result));
    EXPECT_EQ(key, "9");
    // a field of no lookup line keeps itself as the result
    TField* title = Tasks->FieldByName("title");
    EXPECT_FALSE(qzFindLookupRecord(title, key, result));
    EXPECT_EQ(result, title);
}

TEST_F(LookupTables, ResultFieldSearchIsNotReentered) {
    TField* name = Calc("CatName");
    Tasks->LookupFields()->Add("CatName;:memory:;cats;name;bycode");
    Tasks->LookupLinks()->Add("cat;code");
    Tasks->Open();
    auto* cats = dynamic_cast<TDataSet*>(Tasks->LookupTableList()[0]);
    TField* inner = name;
    cats->SetAfterScroll(TDataSetNotifyEvent(
        [&](TDataSet*) { inner = qzFindLookupResultField(Tasks.get(), name, Variant(2)); }));
    TField* outer = qzFindLookupResultField(Tasks.get(), name, Variant(1));
    EXPECT_EQ(inner, nullptr);
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->AsString(), "Kitchen");
    // the guard is down again afterwards
    cats->SetAfterScroll(nullptr);
    EXPECT_NE(qzFindLookupResultField(Tasks.get(), name, Variant(2)), nullptr);
}

TEST_F(LookupTables, PrepareALookupTableForTheCombo) {
    Calc("CatName");
    Calc("Hidden");
    Tasks->LookupFields()->Add("CatName;:memory:;cats.d;name;x;code;N");
    Tasks->LookupFields()->Add("Hidden;:memory:;cats;name;bycode");
    Tasks->LookupLinks()->Add("cat;code");
    Tasks->LookupLinks()->Add("missing;code");
    Tasks->Open();
    Tasks->Last();  // category 2
    TTable cats(nullptr);
    cats.SetDatabaseName(":memory:");
    cats.SetTableName("cats");
    cats.Open();
    std::string first;
    EXPECT_TRUE(qzPrepareLookupTable(Tasks.get(), &cats, "catname", first));
    EXPECT_EQ(cats.IndexName(), "bycode");
    EXPECT_EQ(first, "cat");
    EXPECT_EQ(cats.FieldByName("name")->AsString(), "House");
    // a missing own field hides the field
    EXPECT_FALSE(qzPrepareLookupTable(Tasks.get(), &cats, "Hidden", first));
    EXPECT_FALSE(Tasks->FieldByName("Hidden")->Visible());
    EXPECT_FALSE(qzPrepareLookupTable(Tasks.get(), &cats, "NoLine", first));
}

TEST_F(LookupTables, LinkedRecordSearches) {
    Tasks->Open();
    TTable cats(nullptr);
    cats.SetDatabaseName(":memory:");
    cats.SetTableName("cats");
    std::vector<std::string> link{"cat", "code"};
    EXPECT_FALSE(qzFindLinkedRecord(&cats, Tasks.get(), link));  // closed
    cats.SetIndexName("bycode");
    cats.Open();
    Tasks->First();
    EXPECT_TRUE(qzFindLinkedRecord(&cats, Tasks.get(), link));
    EXPECT_EQ(cats.FieldByName("name")->AsString(), "House");
    // more than six pairs, more pairs than index fields, no pairs, a missing own field
    std::vector<std::string> seven;
    for (int i = 0; i < 7; ++i) seven.insert(seven.end(), {"cat", "code"});
    EXPECT_FALSE(qzFindLinkedRecord(&cats, Tasks.get(), seven));
    EXPECT_FALSE(qzFindLinkedRecord(&cats, Tasks.get(), {"cat", "code", "id", "name"}));
    EXPECT_FALSE(qzFindLinkedRecord(&cats, Tasks.get(), {}));
    EXPECT_FALSE(qzFindLinkedRecord(&cats, Tasks.get(), {"nope", "code"}));
}

TEST_F(LookupTables, SwitchIndexKeepsTheRecordOnBothRoads) {
    Db->Execute("CREATE INDEX bytitle ON tasks (title);");
    Tasks->Open();
    Tasks->Locate("title", Variant("read"), {});
    Tasks->IndexDefs()->Update();
    qzSwitchIndexKeepRecord(Tasks.get(), Tasks->IndexDefs()->FindIndex("bytitle"));
    EXPECT_EQ(Tasks->IndexName(), "bytitle");
    EXPECT_EQ(Tasks->FieldByName("title")->AsString(), "read");
    Tasks->First();
    EXPECT_EQ(Tasks->FieldByName("title")->AsString(), "cook");
    // server road: reopened and found again by the index's values
    Db->SetIsSQLBased(true);
    Tasks->SetSyncSQLByRange(true);
    Tasks->Locate("title", Variant("sing"), {});
    qzSwitchIndexKeepRecord(Tasks.get(), Tasks->IndexDefs()->FindIndex("PrimaryKey"));
    EXPECT_TRUE(Tasks->Active());
    EXPECT_EQ(Tasks->IndexName(), "PrimaryKey");
    EXPECT_EQ(Tasks->FieldByName("title")->AsString(), "sing");
    Tasks->First();
    EXPECT_EQ(Tasks->FieldByName("title")->AsString(), "wash");
    qzSwitchIndexKeepRecord(Tasks.get(), nullptr);  // nothing
    EXPECT_EQ(Tasks->IndexName(), "PrimaryKey");
}

// ---- Query text ----

class TableQuery : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("plan.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE tasks (id INTEGER PRIMARY KEY, title VARCHAR(20), hours INTEGER);"
            "INSERT INTO tasks VALUES (1, 'wash', 2), (2, 'cook', 5), (3, 'read', 1);");
        Table = std::make_unique<TqzTable>(nullptr);
        Table->SetDatabaseName(Path);
    }
    void SetQuery(const std::string& Text) {
        TStringList lines;
        lines.SetText(Text);
        Table->SetQuery(&lines);
    }
    TTestEnvironment Env;
    std::string Path;
    std::unique_ptr<TqzTable> Table;
    TTestDialogs Dialogs;
};

TEST_F(TableQuery, SqlTextRunsReadOnly) {
    Table->SetTableName("tasks");
    SetQuery("select title, hours * 2 AS twice\nFROM tasks WHERE hours > 1 ORDER BY title");
    EXPECT_EQ(Table->TableName(), "");
    Table->Open();
    ASSERT_EQ(Table->FieldCount(), 2);
    std::string rows;
    for (; !Table->Eof(); Table->Next())
        rows += Table->FieldByName("title")->AsString() + ":" + Table->FieldByName("twice")->AsString() + " ";
    EXPECT_EQ(rows, "cook:10 wash:4 ");
    EXPECT_FALSE(Table->CanModify());
    EXPECT_THROW(Table->Edit(), EDatabaseError);
    // an expression filter cannot run on query rows: the warning box
    Table->qzFilter()->Add("twice > 5");
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "Fail to set filter");
    Table->Close();
    // field definitions without opening
    Table->FieldDefs()->Clear();
    Table->FieldDefs()->Update();
    EXPECT_EQ(Table->FieldDefs()->Count(), 2);
    // a table name clears the query and the table opens again
    Table->qzFilter()->Clear();
    Table->SetTableName("tasks");
    EXPECT_EQ(Table->Query()->Count(), 0);
    Table->Open();
    EXPECT_EQ(Table->RecordCount(), 3);
    EXPECT_TRUE(Table->CanModify());
}

TEST_F(TableQuery, QbeTextAndBadSqlRaiseEngineErrors) {
    SetQuery("  QUERY\ntasks | title |\n      | Check |");
    try {
        Table->Open();
        FAIL() << "QBE opened";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), DBIERR_NOTSUPPORTED);
    }
    EXPECT_FALSE(Table->Active());
    SetQuery("select nothing from nowhere");
    EXPECT_THROW(Table->Open(), EDatabaseError);
    EXPECT_FALSE(Table->Active());
    // a word only beginning with "query" is SQL
    SetQuery("queryx");
    try {
        Table->Open();
        FAIL() << "opened";
    } catch (const EDBEngineError& e) {
        EXPECT_NE(e.ErrorCode(), DBIERR_NOTSUPPORTED);
    } catch (const EDatabaseError&) {}
    SetQuery("SELECT count(*) AS n FROM tasks");
    Table->Open();
    EXPECT_EQ(Table->FieldByName("n")->AsInteger(), 3);
}

}  // namespace
