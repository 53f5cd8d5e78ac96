// The database engine over SQLite: tables with their indexes, key searches,
// ranges, master-detail, filters, queries and file databases.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/db/params.h"
#include "support/environment.h"

namespace {

class SqliteTables : public ::testing::Test {
protected:
    void SetUp() override {
        Db = std::make_unique<TDatabase>(nullptr);
        Db->SetDatabaseName(":memory:");
        Db->Open();
        Db->Execute(
            "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(20), born DATE);"
            "CREATE INDEX byname ON cust (name COLLATE FOLD);"
            "CREATE INDEX bynamecs ON cust (name);"
            "CREATE INDEX bycity ON cust (city DESC, name);"
            "INSERT INTO cust (name, city, born) VALUES ('bob', 'Oslo', '1970-03-04'), ('Ann', 'Rome', NULL),"
            " ('Émile', 'Oslo', '1980-12-31'), ('carl', 'Bern', NULL), ('Ann', 'Bern', NULL);"
            "CREATE TABLE orders (no INTEGER PRIMARY KEY, cust INTEGER, what VARCHAR(10));"
            "CREATE INDEX bycust ON orders (cust);"
            "INSERT INTO orders (cust, what) VALUES (1, 'a'), (2, 'b'), (1, 'c');");
        Table = std::make_unique<TTable>(nullptr);
        Table->SetDatabaseName(":memory:");
        Table->SetTableName("cust");
    }
    std::string Names(TDataSet* ds, const char* field = "name") {
        std::string out;
        ds->First();
        while (!ds->Eof()) {
            out += (out.empty() ? "" : ",") + ds->FieldByName(field)->AsString();
            ds->Next();
        }
        return out;
    }
    std::unique_ptr<TDatabase> Db;
    std::unique_ptr<TTable> Table;
};

TEST_F(SqliteTables, FieldsAndIndexDefinitions) {
    Table->Open();
    EXPECT_EQ(Table->FieldByName("id")->DataType(), ftAutoInc);
    EXPECT_EQ(Table->FieldByName("name")->DataType(), ftString);
    EXPECT_EQ(Table->FieldByName("name")->Size(), 20);
    EXPECT_EQ(Table->FieldByName("born")->DataType(), ftDate);
    EXPECT_EQ(Table->FieldByName("born")->AsString(), FormatDateTime("ddddd", EncodeDate(1970, 3, 4)));
    TIndexDefs* defs = Table->IndexDefs();
    ASSERT_NE(defs->FindIndex("PrimaryKey"), nullptr);
    EXPECT_EQ(defs->FindIndex("PrimaryKey")->Fields, "id");
    EXPECT_TRUE(defs->FindIndex("PrimaryKey")->Options.Contains(ixPrimary));
    EXPECT_TRUE(defs->FindIndex("byname")->Options.Contains(ixCaseInsensitive));
    EXPECT_FALSE(defs->FindIndex("bynamecs")->Options.Contains(ixCaseInsensitive));
    EXPECT_TRUE(defs->FindIndex("bycity")->Options.Contains(ixDescending));
    EXPECT_EQ(defs->FindIndex("bycity")->Fields, "city;name");
    EXPECT_EQ(defs->GetIndexForFields("NAME", true), defs->FindIndex("byname"));
    EXPECT_EQ(defs->GetIndexForFields("city", false), defs->FindIndex("bycity"));
}

TEST_F(SqliteTables, IndexOrdersBothWaysAndCaseFolding) {
    Table->Open();
    EXPECT_EQ(Names(Table.get()), "bob,Ann,Émile,carl,Ann");
    Table->SetIndexName("byname");  // folded: é sorts as itself, case ignored
    EXPECT_EQ(Names(Table.get()), "Ann,Ann,bob,carl,Émile");
    Table->SetIndexName("bynamecs");
    EXPECT_EQ(Names(Table.get()), "Ann,Ann,bob,carl,Émile");
    Table->SetIndexName("bycity");
    EXPECT_EQ(Names(Table.get(), "city"), "Rome,Oslo,Oslo,Bern,Bern");
    Table->SetIndexFieldNames("city;name");
    EXPECT_EQ(Names(Table.get(), "city"), "Bern,Bern,Oslo,Oslo,Rome");
    // upper() folds beyond ASCII; LIKE minds case
    TQuery q(nullptr);
    q.SetDatabaseName(":memory:");
    q.SQL()->SetText("SELECT upper(name) AS u FROM cust WHERE name LIKE 'É%' OR name LIKE 'a%'");
    q.Open();
    EXPECT_EQ(Names(&q, "u"), "ÉMILE");
}

TEST_F(SqliteTables, KeySearchesAndRanges) {
    Table->SetIndexName("byname");
    Table->Open();
    EXPECT_TRUE(Table->FindKey({Variant("CARL")}));
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "carl");
    EXPECT_FALSE(Table->FindKey({Variant("zed")}));
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "carl");  // no move
    Table->FindNearest({Variant("c")});
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "carl");
    Table->FindNearest({Variant("zz")});
    EXPECT_TRUE(Table->Eof() || Table->FieldByName("name")->AsString() == "Émile");
    EXPECT_THROW(Table->FindKey({Variant("a"), Variant("b")}), EDatabaseError);
    Table->SetRange({Variant("b")}, {Variant("c~")});
    EXPECT_EQ(Names(Table.get()), "bob,carl");
    EXPECT_FALSE(Table->FindKey({Variant("Ann")}));  // outside the range
    Table->CancelRange();
    EXPECT_EQ(Table->RecordCount(), 5);
    // a descending index: ranges run in its order
    Table->SetIndexName("bycity");
    Table->SetRange({Variant("Oslo")}, {Variant("Bern"), Variant("Ann")});
    EXPECT_EQ(Names(Table.get(), "city"), "Oslo,Oslo,Bern");
}

TEST_F(SqliteTables, MasterDetailEditsAndGotoCurrent) {
    Table->SetIndexName("PrimaryKey");
    Table->Open();
    TDataSource source(nullptr);
    source.SetDataSet(Table.get());
    TTable orders(nullptr);
    orders.SetDatabaseName(":memory:");
    orders.SetTableName("orders");
    orders.SetIndexName("bycust");
    orders.SetMasterSource(&source);
    orders.SetMasterFields("id");
    orders.Open();
    EXPECT_EQ(Names(&orders, "what"), "a,c");
    Table->Next();
    EXPECT_EQ(Names(&orders, "what"), "b");
    orders.Append();
    orders.FieldByName("what")->SetAsString("d");
    orders.Post();
    EXPECT_EQ(orders.FieldByName("cust")->AsInteger(), 2);
    EXPECT_EQ(Names(&orders, "what"), "b,d");
    // edit and post by row id; another table on the same table finds the record
    Table->Edit();
    Table->FieldByName("name")->SetAsString("Anna");
    Table->Post();
    TTable other(nullptr);
    other.SetDatabaseName(":memory:");
    other.SetTableName("cust");
    other.Open();
    other.GotoCurrent(Table.get());
    EXPECT_EQ(other.FieldByName("name")->AsString(), "Anna");
    orders.Close();
}

// A detail keyed by a text: the master's text is its key whole, also when it
// is longer than either field's size.
TEST_F(SqliteTables, MasterDetailByALongText) {
    const std::string longName(300, 'n');
    Db->Execute(
        "CREATE TABLE notes (no INTEGER PRIMARY KEY, who VARCHAR(4), what VARCHAR(10));"
        "CREATE INDEX bywho ON notes (who);"
        "INSERT INTO cust (name, city) VALUES ('" +
        longName +
        "', 'Oslo');"
        "INSERT INTO notes (who, what) VALUES ('bob', 'x'), ('" +
        longName + "', 'long'), ('" + longName.substr(0, 4) + "', 'cut');");
    Table->SetIndexName("PrimaryKey");
    Table->Open();
    TDataSource source(nullptr);
    source.SetDataSet(Table.get());
    TTable notes(nullptr);
    notes.SetDatabaseName(":memory:");
    notes.SetTableName("notes");
    notes.SetIndexName("bywho");
    notes.SetMasterSource(&source);
    notes.SetMasterFields("name");
    notes.Open();
    EXPECT_EQ(Names(&notes, "what"), "x");
    Table->Last();
    ASSERT_EQ(Table->FieldByName("name")->AsString(), longName);
    EXPECT_EQ(Names(&notes, "what"), "long");
    notes.Close();
}

TEST_F(SqliteTables, CallbackAndExpressionFilters) {
    Table->Open();
    int calls = 0;
    const int h = Table->AddFilter(
        [&] {
            ++calls;
            return Table->FieldByName("city")->AsString() == "Oslo";
        },
        1);
    EXPECT_EQ(Table->RecordCount(), 5);  // added filters wait for activation
    Table->ActivateFilter(h, true);
    EXPECT_EQ(Names(Table.get()), "bob,Émile");
    EXPECT_EQ(calls, 5);
    auto tree = std::make_unique<TFilterNode>();
    tree->Kind = fnCompare;
    tree->Text = "=";
    tree->Left = std::make_unique<TFilterNode>();
    tree->Left->Kind = fnField;
    tree->Left->Text = "NAME";
    tree->Right = std::make_unique<TFilterNode>();
    tree->Right->Text = "bob";
    const int e = Table->AddFilterExpression(std::move(tree), 2);
    Table->ActivateFilter(e, true);
    EXPECT_EQ(Names(Table.get()), "bob");
    Table->DropFilter(h);
    Table->DropFilter(e);
    EXPECT_EQ(Table->RecordCount(), 5);
    auto bad = std::make_unique<TFilterNode>();
    bad->Kind = fnField;
    bad->Text = "nope";
    EXPECT_THROW(Table->AddFilterExpression(std::move(bad), 1), EDBEngineError);
}

TEST_F(SqliteTables, OpeningAlargeTableReadsOnlyTheWindow) {
    Db->Execute(
        "CREATE TABLE big (n INTEGER);"
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000) "
        "INSERT INTO big SELECT x FROM c;");
    TTable big(nullptr);
    big.SetDatabaseName(":memory:");
    big.SetTableName("big");
    big.Open();
    EXPECT_EQ(big.RecordCount(), 100000);
    EXPECT_LE(big.RowReads(), 2);
    big.Last();
    EXPECT_EQ(big.FieldByName("n")->AsInteger(), 100000);
    EXPECT_EQ(big.CursorFieldText(41, big.FieldByName("n")), "42");
    EXPECT_EQ(big.FieldByName("n")->AsInteger(), 100000);  // read without moving
}

TEST_F(SqliteTables, QueriesWithParamsLiveAndReadOnly) {
    TQuery q(nullptr);
    q.SetDatabaseName(":memory:");
    q.SQL()->SetText("SELECT id, name FROM cust WHERE city = :city ORDER BY name");
    ASSERT_EQ(q.Params()->Count(), 1);
    EXPECT_THROW(q.Open(), EDatabaseError);  // no value
    q.ParamByName("city")->SetAsString("Bern");
    q.Open();
    EXPECT_EQ(Names(&q), "Ann,carl");
    EXPECT_FALSE(q.CanModify());
    EXPECT_THROW(q.Edit(), EDatabaseError);
    q.Close();
    q.SetRequestLive(true);
    q.Open();
    EXPECT_TRUE(q.CanModify());
    q.Edit();
    q.FieldByName("name")->SetAsString("Annie");
    q.Post();
    Table->Open();
    EXPECT_EQ(Names(Table.get()), "bob,Ann,Émile,carl,Annie");
    TQuery join(nullptr);
    join.SetDatabaseName(":memory:");
    join.SetRequestLive(true);
    join.SQL()->SetText("SELECT c.name, o.what FROM cust c JOIN orders o ON o.cust = c.id");
    join.Open();
    EXPECT_FALSE(join.CanModify());
    TQuery upd(nullptr);
    upd.SetDatabaseName(":memory:");
    upd.SQL()->SetText("UPDATE cust SET city = :c WHERE city = 'Oslo'");
    upd.ParamByName("c")->SetAsString("Bergen");
    upd.ExecSQL();
    EXPECT_EQ(upd.RowsAffected(), 2);
    TStoredProc proc(nullptr);
    proc.SetDatabaseName(":memory:");
    try {
        proc.ExecProc();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_STREQ(e.what(), "Capability not supported");
    }
    EXPECT_THROW(proc.Open(), EDBEngineError);
    EXPECT_FALSE(proc.Active());
}

TEST(SqliteFiles, FileDatabaseSharedAndClosedAfterLastUser) {
    TTestEnvironment env;
    ASSERT_FALSE(env.Folder().empty());
    const std::string path = env.Path("data.db");
    {
        TDatabase db(nullptr);
        db.SetDatabaseName(path);
        db.Execute("CREATE TABLE t (a VARCHAR(5), d DATETIME)");
        EXPECT_FALSE(TDatabase::ConnectionOpen(path));
        TTable t(nullptr);
        t.SetDatabaseName(path);
        t.SetTableName("t");
        t.Open();
        EXPECT_TRUE(TDatabase::ConnectionOpen(path));
        t.Append();
        t.FieldByName("a")->SetAsString("x");
        t.FieldByName("d")->SetAsDateTime(EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 0, 0));
        t.Post();
        EXPECT_THROW(t.FieldByName("a")->SetAsString("toolong"), EDatabaseError);
        t.Close();
        EXPECT_FALSE(TDatabase::ConnectionOpen(path));
        TTable again(nullptr);
        again.SetDatabaseName(path);
        again.SetTableName("t");
        again.Open();
        EXPECT_EQ(again.FieldByName("a")->AsString(), "x");
        EXPECT_EQ(again.FieldByName("d")->AsDateTime(), EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 0, 0));
        TTable missing(nullptr);
        missing.SetDatabaseName(path);
        missing.SetTableName("nope");
        EXPECT_THROW(missing.Open(), EDBEngineError);
    }
}

// A database name that leads to a named pipe without a writer, a device or
// a folder is refused at once with the reason; nothing waits on it.
TEST(SqliteFiles, OnlyRegularFilesOpen) {
    TTestEnvironment env;
    const std::string fifo = env.Path("pipe.db");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> refused[] = {
        {fifo, "Is a named pipe, not a regular file"},
        {"/dev/null", "Is a device, not a regular file"},
        {env.Folder(), "Is a directory"},
    };
    for (const auto& [name, what] : refused) {
        SCOPED_TRACE(name);
        TDatabase db(nullptr);
        db.SetDatabaseName(name);
        try {
            db.Execute("CREATE TABLE t (a VARCHAR(5))");
            ADD_FAILURE() << "opened";
        } catch (const EDBEngineError& e) {
            EXPECT_NE(e.Message().find(what), std::string::npos) << e.Message();
        }
        EXPECT_FALSE(TDatabase::ConnectionOpen(name));
    }
}

}  // namespace