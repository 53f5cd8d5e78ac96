// The suite's datasets over SQLite: whether fields lead a query's order, the
// incremental search taking the query's road by it, the indexed-table test
// and the table kinds by type and name.
#include <gtest/gtest.h>

#include <memory>

#include "platform/core/exceptions.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzintl.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzkeycb.h"

namespace {

class QueryIndex : public ::testing::Test {
protected:
    void SetUp() override {
        Db = std::make_unique<TDatabase>(nullptr);
        Db->SetDatabaseName(":memory:");
        Db->Open();
        // Row order: the binary order puts "Apricot" before "apple".
        Db->Execute(
            "CREATE TABLE fruit (id INTEGER PRIMARY KEY, name VARCHAR(20), kind VARCHAR(10) COLLATE NOCASE,"
            " qty INTEGER);"
            "CREATE INDEX byname ON fruit (name);"
            "INSERT INTO fruit (name, kind, qty) VALUES ('banana', 'b', 1), ('Apricot', 'A', 2),"
            " ('apple', 'a', 3), ('avocado', 'C', 4), ('Apex', 'c', 5);");
        Q = std::make_unique<TqzQuery>(nullptr);
        Q->SetDatabaseName(":memory:");
    }
    void Run(const std::string& Sql) {
        Q->Close();
        Q->SQL()->SetText(Sql);
        Q->Open();
    }
    std::unique_ptr<TDatabase> Db;
    std::unique_ptr<TqzQuery> Q;
    TTestDialogs Dialogs;
};

TEST_F(QueryIndex, FieldsMapOntoTheLeadingOrderTerms) {
    Run("SELECT name, qty, kind FROM fruit ORDER BY name, qty DESC");
    EXPECT_TRUE(Q->FieldsMapToIndex("name", true));
    EXPECT_FALSE(Q->FieldsMapToIndex("name", false));
    EXPECT_TRUE(Q->FieldsMapToIndex("NAME;qty", true));
    EXPECT_FALSE(Q->FieldsMapToIndex("qty", true));
    EXPECT_FALSE(Q->FieldsMapToIndex("name;kind", true));
    EXPECT_FALSE(Q->FieldsMapToIndex("name;qty;kind", true));
    EXPECT_FALSE(Q->FieldsMapToIndex("", true));
    // The column's own collation, an explicit one, a position, an alias.
    Run("SELECT kind, name FROM fruit ORDER BY kind");
    EXPECT_TRUE(Q->FieldsMapToIndex("kind", false));
    EXPECT_FALSE(Q->FieldsMapToIndex("kind", true));
    Run("SELECT name FROM fruit ORDER BY fruit.\"name\" COLLATE FOLD ASC NULLS LAST");
    EXPECT_TRUE(Q->FieldsMapToIndex("name", false));
    Run("SELECT qty, name AS n FROM fruit ORDER BY 2 COLLATE nocase, 1");
    EXPECT_TRUE(Q->FieldsMapToIndex("n", false));
    EXPECT_FALSE(Q->FieldsMapToIndex("n", true));
    // One case rule for all: the second term compares by case.
    EXPECT_FALSE(Q->FieldsMapToIndex("n;qty", false));
    EXPECT_FALSE(Q->FieldsMapToIndex("n;qty", true));
    // Expressions, inner orders and no order do not map.
    Run("SELECT name FROM fruit ORDER BY lower(name)");
    EXPECT_FALSE(Q->FieldsMapToIndex("name", false));
    EXPECT_FALSE(Q->FieldsMapToIndex("name", true));
    Run("SELECT upper(name) AS u FROM fruit ORDER BY u");
    EXPECT_FALSE(Q->FieldsMapToIndex("u", true));
    Run("SELECT name FROM (SELECT name FROM fruit ORDER BY name) -- ORDER BY name\n");
    EXPECT_FALSE(Q->FieldsMapToIndex("name", true));
    Run("SELECT name, row_number() OVER (ORDER BY name) AS r FROM fruit");
    EXPECT_FALSE(Q->FieldsMapToIndex("name", true));
    Run("SELECT name FROM fruit ORDER BY 99999999999999999999");
    EXPECT_FALSE(Q->FieldsMapToIndex("name", true));
    Q->Close();
    EXPECT_FALSE(Q->FieldsMapToIndex("name", true));
}

// The search edit on a form over the query, typed into for real.
class QuerySearch : public QueryIndex {
protected:
    void SetUp() override {
        QueryIndex::SetUp();
        Form.SetBounds(10, 10, 300, 120);
        Src.SetDataSet(Q.get());
        S = new TqzIncrementalSearch(&Form);
        S->SetParent(&Form);
        S->SetBounds(8, 8, 150, 21);
        S->SetDataSource(&Src);
        S->SetSearchField("name");
        Form.Show();
        ProcessEvents();
        S->SetFocus();
        ProcessEvents();
    }
    std::string Type(const std::string& Text) {
        S->Clear();
        SendText(S, Text);
        Timers.Advance(200);
        return Q->FieldByName("name")->AsString();
    }
    TForm Form{nullptr};
    TDataSource Src{&Form};
    TqzIncrementalSearch* S = nullptr;
    TTestTimers Timers;
};

TEST_F(QuerySearch, TheQuerysOrderDecidesTheCaseRule) {
    ASSERT_TRUE(qzIntl()->UseLocateMethodForSearch());
    // Ordered by the binary name: a case-sensitive search.
    Run("SELECT name, qty FROM fruit ORDER BY name");
    EXPECT_EQ("apple", Type("ap"));
    EXPECT_EQ("Apex", Type("Ap"));
    // Ordered ignoring case: the first in that order.
    Run("SELECT name, qty FROM fruit ORDER BY name COLLATE NOCASE");
    EXPECT_EQ("Apex", Type("ap"));
    EXPECT_EQ("avocado", Type("AV"));
    // Not ordered by it: the field search, ignoring case.
    Run("SELECT name, qty FROM fruit ORDER BY qty");
    EXPECT_EQ("Apricot", Type("ap"));
    EXPECT_EQ("Apex", Type("apE"));
    // Nothing found stays put and says so.
    bool found = true;
    S->SetOnAfterSearch(TqzAfterSearchEvent([&](TqzIncrementalSearch*, bool f) { found = f; }));
    EXPECT_EQ("Apex", Type("zz"));
    EXPECT_FALSE(found);
}

TEST_F(QueryIndex, IndexedTableAndTableKinds) {
    TqzTable t(nullptr);
    t.SetDatabaseName(":memory:");
    t.SetTableName("fruit");
    EXPECT_FALSE(qzIsIndexedTable(&t));  // closed
    t.Open();
    EXPECT_FALSE(qzIsIndexedTable(&t));  // no active index
    t.SetIndexName("byname");
    EXPECT_TRUE(qzIsIndexedTable(&t));
    t.SetIndexName("");
    t.SetIndexFieldNames("qty");
    EXPECT_TRUE(qzIsIndexedTable(&t));
    EXPECT_FALSE(qzIsIndexedTable(Q.get()));
    EXPECT_FALSE(qzIsIndexedTable(nullptr));
    TTable plain(nullptr);
    plain.SetDatabaseName(":memory:");
    plain.SetTableName("fruit");
    plain.SetIndexName("byname");
    plain.Open();
    EXPECT_FALSE(qzIsIndexedTable(&plain));  // not the suite's table
    t.Close();
    t.Query()->SetText("SELECT * FROM fruit");
    t.Open();
    EXPECT_FALSE(qzIsIndexedTable(&t));
    t.Close();

    // Kinds by type and name.
    TqzTable k(nullptr);
    k.SetDatabaseName(":memory:");
    const struct {
        TTableType Type;
        const char* Name;
        bool DBase, Paradox;
    } cases[] = {
        {ttDefault, "fruit", false, false},   {ttDefault, "CUST.DBF", true, false},
        {ttDefault, "cust.Dbf", true, false}, {ttDefault, "cust.dbfx", false, false},
        {ttDefault, "Cust.DB", false, true},  {ttDefault, "cust.db.old", false, false},
        {ttDBase, "cust", true, false},       {ttParadox, "cust.dbf", true, true},
        {ttParadox, "cust", false, true},     {ttASCII, "cust.db", false, false},
    };
    for (const auto& c : cases) {
        k.SetTableType(c.Type);
        k.SetTableName(c.Name);
        EXPECT_EQ(c.DBase, k.IsDBaseTable()) << c.Name;
        EXPECT_EQ(c.Paradox, k.IsParadoxTable()) << c.Name;
    }
    // The engine opens only its own tables.
    Db->Execute("CREATE TABLE \"cust.dbf\" (a INTEGER);");
    k.SetTableName("cust.dbf");
    k.SetTableType(ttDBase);
    EXPECT_THROW(k.Open(), EDBEngineError);
    EXPECT_FALSE(k.Active());
    k.SetTableType(ttDefault);
    k.Open();
    EXPECT_TRUE(k.IsDBaseTable());
    EXPECT_THROW(k.SetTableType(ttParadox), EDatabaseError);
}

}  // namespace
