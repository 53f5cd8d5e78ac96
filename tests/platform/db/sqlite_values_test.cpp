// Values of the SQLite datasets as a file holds them: a memo read is no
// change, a text longer than its VARCHAR(n) shows whole and is never
// written back cut, a post writes only what changed, a Filter text runs no
// query of its own, and a lock held by another connection is tried again
// while the lock-retry check allows. The sqlite3 tool reads the file.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/core/streams.h"
#include "platform/db/dbtables.h"
#include "platform/db/params.h"
#include "support/db/db_test_support.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

class SqliteValues : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("values.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE item (id INTEGER PRIMARY KEY, code VARCHAR(40), qty INTEGER, notes TEXT);"
            "INSERT INTO item (code, qty, notes) VALUES ('short', 1, 'first note'),"
            " (printf('%.1000c', 'x'), 2, 'second note'), ('plain', 3, NULL);"
            "CREATE TABLE secret (v VARCHAR(10));"
            "INSERT INTO secret VALUES ('short');");
        Source = std::make_unique<TDataSource>(nullptr);
    }
    void TearDown() override { SetLockRetryCheck({}); }
    std::unique_ptr<TTable> Open(const char* Name = "item") {
        auto t = std::make_unique<TTable>(nullptr);
        t->SetDatabaseName(Path);
        t->SetTableName(Name);
        t->Open();
        return t;
    }
    std::string Cli(const std::string& Sql) { return SqliteCli(Path, Sql); }
    static std::string Codes(TDataSet* Ds) {
        std::string out;
        for (Ds->First(); !Ds->Eof(); Ds->Next())
            out += (out.empty() ? "" : ",") + Ds->FieldByName("code")->AsString().substr(0, 5);
        return out;
    }

    TTestEnvironment Env;
    std::string Path;
    std::unique_ptr<TDataSource> Source;
    TLog Log;
};

TEST_F(SqliteValues, ReadingATextColumnIsNoChange) {
    auto table = Open();
    Source->SetDataSet(table.get());
    TLogLink link(Log, "L");
    link.SetDataSource(Source.get());
    TField* notes = table->FieldByName("notes");
    ASSERT_EQ(notes->DataType(), ftMemo);
    Log.clear();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(notes->AsString(), "first note");
    EXPECT_EQ(notes->AsString(), "first note");
    EXPECT_TRUE(Log.empty()) << Log.front();
    EXPECT_FALSE(table->Modified());
    // within an edit too: reads change nothing, a write does
    table->Edit();
    Log.clear();
    EXPECT_EQ(notes->AsString(), "first note");
    EXPECT_EQ(notes->AsString(), "first note");
    EXPECT_TRUE(Log.empty()) << Log.front();
    EXPECT_FALSE(table->Modified());
    {
        // a stream opened to read is a copy: what is written into it goes nowhere
        std::unique_ptr<TStream> read(table->CreateBlobStream(notes, bmRead));
        read->WriteBuffer("XX", 2);
    }
    EXPECT_EQ(notes->AsString(), "first note");
    EXPECT_FALSE(table->Modified());
    {
        // one opened to read and write writes back only what changed
        std::unique_ptr<TStream> both(table->CreateBlobStream(notes, bmReadWrite));
        EXPECT_EQ(both->Size(), 10);
        both->SetSize(5);
    }
    EXPECT_EQ(notes->AsString(), "first");
    EXPECT_TRUE(table->Modified());
    EXPECT_EQ(Log, TLog{"L.RecordChanged(notes)"});
    table->Post();
    EXPECT_EQ(Cli("SELECT notes FROM item WHERE id = 1;"), "first");
    // read in browse, the record left untouched: the file is as it was
    table->Next();
    Log.clear();
    EXPECT_EQ(notes->AsString(), "second note");
    table->Next();
    EXPECT_TRUE(notes->IsNull());
    EXPECT_EQ(Cli("SELECT count(*) FROM item WHERE notes = 'second note';"), "1");
}

TEST_F(SqliteValues, TheTestDatasetsReadStreamWritesNothingBack) {
    TMemoryDataSet ds(nullptr);
    ds.FieldDefs()->Add("Notes", ftMemo);
    ds.AddRow({"kept"});
    ds.Open();
    Source->SetDataSet(&ds);
    TLogLink link(Log, "L");
    link.SetDataSource(Source.get());
    Log.clear();
    {
        std::unique_ptr<TStream> read(ds.CreateBlobStream(ds.FieldByName("Notes"), bmRead));
        read->WriteBuffer("lost", 4);
    }
    EXPECT_EQ(ds.FieldByName("Notes")->AsString(), "kept");
    EXPECT_TRUE(Log.empty()) << Log.front();
    EXPECT_FALSE(ds.Modified());
}

TEST_F(SqliteValues, ALongerTextThanItsVarcharShowsWholeAndStaysWhole) {
    auto table = Open();
    table->Next();
    TField* code = table->FieldByName("code");
    EXPECT_EQ(code->AsString(), std::string(1000, 'x'));
    // the field keeps its declared size and width: the text reads whole all the same
    EXPECT_EQ(code->Size(), 40);
    EXPECT_EQ(code->DisplayWidth(), 40);
    // another connection changes the code meanwhile; this edit changes the quantity only
    table->Edit();
    table->FieldByName("qty")->SetAsInteger(20);
    EXPECT_EQ(Cli("UPDATE item SET code = printf('%.1200c', 'y') WHERE id = 2; SELECT changes();"), "1");
    table->Post();
    EXPECT_EQ(Cli("SELECT length(code), substr(code, 1, 3), qty FROM item WHERE id = 2;"), "1200|yyy|20");
    // the short values' records too: only what changed goes to the file
    table->First();
    table->Edit();
    table->FieldByName("qty")->SetAsInteger(10);
    table->FieldByName("code")->SetAsString("changed");
    table->Post();
    EXPECT_EQ(Cli("SELECT code, qty, notes FROM item WHERE id = 1;"), "changed|10|first note");
    // an edit that changes nothing writes nothing
    table->Edit();
    EXPECT_EQ(Cli("UPDATE item SET qty = 11 WHERE id = 1; SELECT changes();"), "1");
    table->Post();
    EXPECT_EQ(Cli("SELECT qty FROM item WHERE id = 1;"), "11");
    // a live query over the table: the same
    TQuery live(nullptr);
    live.SetDatabaseName(Path);
    live.SQL()->SetText("SELECT id, code, qty FROM item WHERE qty >= :least ORDER BY id");
    live.ParamByName("least")->SetAsInteger(20);
    live.SetRequestLive(true);
    live.Open();
    EXPECT_EQ(live.FieldByName("code")->AsString().size(), 1200u);
    live.Edit();
    live.FieldByName("qty")->SetAsInteger(21);
    live.Post();
    EXPECT_EQ(Cli("SELECT length(code), qty FROM item WHERE id = 2;"), "1200|21");
    // a query's computed text is not cut at 255 either
    TQuery copy(nullptr);
    copy.SetDatabaseName(Path);
    copy.SQL()->SetText("SELECT code || '!' AS loud FROM item WHERE id = 2");
    copy.Open();
    EXPECT_EQ(copy.FieldByName("loud")->AsString().size(), 1201u);
}

// A file made elsewhere: declared sizes no field can have, and values of
// another type than their column's. The table opens and every value reads.
TEST_F(SqliteValues, AForeignFilesTypesAndSizesReadAsFieldsCan) {
    Cli("CREATE TABLE odd (a VARCHAR(99999999999), b CHAR(2147483648), c VARCHAR(8192), n INTEGER, d DATE, "
        "f REAL);"
        "INSERT INTO odd VALUES ('x', 'y', 'z', 'abc', X'00FF', 'text'), (NULL, NULL, NULL, NULL, NULL, "
        "NULL);");
    auto table = Open("odd");
    EXPECT_EQ(table->FieldByName("a")->Size(), 255);  // no size read: the default
    EXPECT_EQ(table->FieldByName("b")->Size(), 255);
    EXPECT_EQ(table->FieldByName("c")->Size(), 8192);
    EXPECT_EQ(table->FieldByName("a")->AsString(), "x");
    EXPECT_EQ(table->FieldByName("n")->AsInteger(), 0);
    EXPECT_TRUE(table->FieldByName("d")->IsNull());  // not a date: shown empty
    EXPECT_EQ(table->FieldByName("f")->AsFloat(), 0.0);
    table->Next();
    for (int i = 0; i < table->Fields()->Count(); ++i) EXPECT_TRUE(table->Fields()->Fields(i)->IsNull());
}

// A whole number past its declared type widens the field to a type that
// holds every value of the rows: on a table, a live query, a query whose
// rows the open reads once, and one opened with a Filter text; a column of
// nulls keeps its declared type.
TEST_F(SqliteValues, WholeNumbersPastTheirDeclaredTypeWidenTheField) {
    Cli("CREATE TABLE n (id INTEGER PRIMARY KEY, i INTEGER, s SMALLINT, e SMALLINT, k INTEGER);"
        "INSERT INTO n VALUES (1, 5, 7, NULL, 3), (2, 5000000000, 70000, NULL, -4), (3, NULL, -2, NULL, 'x'),"
        " (4, -3000000000, 12, NULL, 2.5);");
    for (int kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        std::unique_ptr<TDBDataSet> ds;
        if (kind == 0) {
            auto t = std::make_unique<TTable>(nullptr);
            t->SetTableName("n");
            ds = std::move(t);
        } else {
            auto q = std::make_unique<TQuery>(nullptr);
            q->SQL()->SetText("SELECT id, i, s, e, k FROM n");
            q->SetRequestLive(kind == 1);
            if (kind == 3) {
                q->SetFilter("id > 0");
                q->SetFiltered(true);
            }
            ds = std::move(q);
        }
        ds->SetDatabaseName(Path);
        ds->Open();
        EXPECT_EQ(ftLargeint, ds->FieldByName("i")->DataType());
        EXPECT_EQ(ftInteger, ds->FieldByName("s")->DataType());
        EXPECT_EQ(ftSmallint, ds->FieldByName("e")->DataType());
        EXPECT_EQ(ftInteger, ds->FieldByName("k")->DataType());
        std::string shown;
        for (ds->First(); !ds->Eof(); ds->Next())
            for (const char* f : {"i", "s", "e", "k"}) shown += ds->FieldByName(f)->AsString() + "|";
        EXPECT_EQ(shown, "5|7||3|5000000000|70000||-4||-2|||-3000000000|12||2|");
        // the same rows again, as the open read them
        ds->Refresh();
        ASSERT_TRUE(ds->Locate("id", Variant(2), {}));
        EXPECT_EQ(ds->FieldByName("i")->AsLargeInt(), 5000000000LL);
        EXPECT_EQ(ds->FieldByName("s")->AsInteger(), 70000);
    }
}

TEST_F(SqliteValues, AFilterTextRunsNoQueryOfItsOwn) {
    auto table = Open();
    table->SetFilter("[qty] >= 2");
    table->SetFiltered(true);
    EXPECT_EQ(Codes(table.get()), "xxxxx,plain");
    for (const char* query : {
             "(WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT max(x) FROM c) > 0",
             "[code] IN (SELECT v FROM secret)",
             "[code] IN (select v from secret)",
             "EXISTS (SELECT 1 FROM item a, item b, item c, item d, item e, item f, item g, item h)",
             "[qty] IN (VALUES (1), (2))",
         }) {
        try {
            table->SetFilter(query);
            ADD_FAILURE() << query;
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("runs no query"), std::string::npos) << e.what();
        }
        EXPECT_EQ(table->Filter(), "[qty] >= 2");
        EXPECT_EQ(Codes(table.get()), "xxxxx,plain") << query;
    }
    // no value a filter builds may claim gigabytes
    EXPECT_THROW(table->SetFilter("length(randomblob(900000000)) > 0"), EDBEngineError);
    EXPECT_THROW(table->SetFilter("length(replace(hex(zeroblob(1000000)), '0', hex(zeroblob(1000)))) > 0"),
                 EDBEngineError);
    EXPECT_EQ(Codes(table.get()), "xxxxx,plain");
    // the words inside a literal or as a bracketed name are no query
    table->SetFilter("[code] = 'select' or [code] = 'with values' or [code] = 'short'");
    EXPECT_EQ(Codes(table.get()), "short");
    // a query dataset's Filter alike
    TQuery query(nullptr);
    query.SetDatabaseName(Path);
    query.SQL()->SetText("SELECT code, qty FROM item");
    query.Open();
    query.SetFiltered(true);
    EXPECT_THROW(query.SetFilter("[code] IN (SELECT v FROM secret)"), EDatabaseError);
    EXPECT_EQ(query.RecordCount(), 3);
}

// A second connection of the test's own holding the file's write lock.
class TLockHolder {
public:
    explicit TLockHolder(const std::string& Path) {
        sqlite3_open(Path.c_str(), &FDb);
        Exec("BEGIN EXCLUSIVE");
    }
    ~TLockHolder() {
        Release();
        sqlite3_close(FDb);
    }
    void Exec(const char* Sql) {
        EXPECT_EQ(sqlite3_exec(FDb, Sql, nullptr, nullptr, nullptr), SQLITE_OK) << Sql;
    }
    void Release() {
        if (FHeld) Exec("COMMIT");
        FHeld = false;
    }

private:
    sqlite3* FDb = nullptr;
    bool FHeld = true;
};

TEST_F(SqliteValues, ALockIsTriedAgainWhileTheCheckAllows) {
    auto table = Open();
    std::vector<int> asked;
    auto holder = std::make_unique<TLockHolder>(Path);
    // the check lets the other user finish at the second try
    SetLockRetryCheck([&](int Attempt) {
        asked.push_back(Attempt);
        if (Attempt == 2) holder->Release();
        return true;
    });
    table->Edit();
    table->FieldByName("qty")->SetAsInteger(5);
    table->Post();
    EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    EXPECT_EQ(Cli("SELECT qty FROM item WHERE id = 1;"), "5");
    // a check that refuses: the engine's lock error, and the edit stays with its value
    holder = std::make_unique<TLockHolder>(Path);
    asked.clear();
    SetLockRetryCheck([&](int Attempt) {
        asked.push_back(Attempt);
        return Attempt < 3;
    });
    table->Edit();
    table->FieldByName("qty")->SetAsInteger(6);
    try {
        table->Post();
        ADD_FAILURE() << "posted through the lock";
    } catch (const EDBEngineError& e) {
        EXPECT_STREQ(e.what(), SDataLocked);
        EXPECT_EQ(e.ErrorCode(), DBIERR_LOCKED);
        EXPECT_TRUE(IsLockConflict(e.ErrorCode()));
    }
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("qty")->AsInteger(), 6);
    // opening meets the lock too
    TTable other(nullptr);
    other.SetDatabaseName(Path);
    other.SetTableName("item");
    SetLockRetryCheck([](int) { return false; });
    EXPECT_THROW(other.Open(), EDBEngineError);
    EXPECT_FALSE(other.Active());
    // the lock gone, the post goes through
    holder->Release();
    table->Post();
    EXPECT_EQ(Cli("SELECT qty FROM item WHERE id = 1;"), "6");
    other.Open();
    EXPECT_EQ(other.RecordCount(), 3);
    // a script run on the database: the statement that meets the lock is the one run again
    holder = std::make_unique<TLockHolder>(Path);
    asked.clear();
    SetLockRetryCheck([&](int Attempt) {
        asked.push_back(Attempt);
        holder->Release();
        return true;
    });
    TDatabase db(nullptr);
    db.SetDatabaseName(Path);
    db.Execute(
        "UPDATE item SET qty = qty + 1 WHERE id = 3;\n UPDATE item SET qty = qty * 10 WHERE id = 3; -- "
        "done\n");
    EXPECT_EQ(asked, std::vector<int>{1});
    EXPECT_EQ(Cli("SELECT qty FROM item WHERE id = 3;"), "40");
    // the default check waits a while, then gives up with the same error
    holder = std::make_unique<TLockHolder>(Path);
    SetLockRetryCheck({});
    EXPECT_FALSE(LockRetryAllowed(100));
    table->Edit();
    table->FieldByName("qty")->SetAsInteger(7);
    EXPECT_THROW(table->Post(), EDBEngineError);
    holder.reset();
    table->Post();
    EXPECT_EQ(Cli("SELECT qty FROM item WHERE id = 1;"), "7");
}

}  // namespace
