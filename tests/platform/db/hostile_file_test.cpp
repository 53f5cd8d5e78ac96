// A database file made by someone else cannot hold the program: a dataset's
// open and reads are watched like a filter's work (Escape stops them with
// SDBReadStopped, an open leaving the dataset closed, a read leaving it
// sound), and the file's views and triggers call only harmless functions
// and lists, so a hostile trigger fails the edit before it does anything.
// A trigger or a view that would run for ever holds no post, delete or
// search either: Escape stops them and the record stays as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/core/variant.h"
#include "platform/db/dbtables.h"
#include "platform/db/dbtypes.h"
#include "platform/db/fields.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

// The screen's way: Escape pressed once, seen once the work shows busy.
class TEscapeWatch : public TDBWorkWatch {
public:
    void Begin() override { ++Begins; }
    bool Poll() override {
        if (!Escape || Begins == Ends) return false;
        Escape = false;
        return true;
    }
    void End() override { ++Ends; }
    int Begins = 0, Ends = 0;
    bool Escape = false;
};

class HostileFile : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("hostile.db");
        Old = SetDBWorkWatch(&Watch);
        // each look at the clock finds 100 ms gone
        SetTickCountSource([this] { return Ticks += 100; });
    }
    void TearDown() override {
        SetDBWorkWatch(Old);
        ResetClock();
    }
    void Make(const std::string& Sql) { ASSERT_EQ(SqliteCli(Path, Sql), ""); }
    // Step with Escape pressed: stopped with Message, the busy show ended.
    void ExpectStopped(const std::function<void()>& Step, const char* Message) {
        Watch.Escape = true;
        try {
            Step();
            ADD_FAILURE() << "ended";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(std::string(e.what()), Message);
        }
        EXPECT_FALSE(Watch.Escape);
        EXPECT_EQ(Watch.Begins, Watch.Ends);
    }
    std::unique_ptr<TTable> Table(const char* Name = "item") {
        auto t = std::make_unique<TTable>(nullptr);
        t->SetDatabaseName(Path);
        t->SetTableName(Name);
        return t;
    }

    TTestEnvironment Env;
    std::string Path;
    TEscapeWatch Watch;
    TDBWorkWatch* Old = nullptr;
    uint32_t Ticks = 0;
};

TEST_F(HostileFile, AnOpenThatWouldNeverEndIsStoppedAndLeftClosed) {
    Make(
        "CREATE TABLE plain (id INTEGER PRIMARY KEY, code VARCHAR(10));"
        "INSERT INTO plain VALUES (1, 'one');"
        "CREATE VIEW item AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c)"
        " SELECT x AS id, 'c' || x AS code FROM c;");
    auto table = Table();
    Watch.Escape = true;
    try {
        table->Open();
        ADD_FAILURE() << "opened";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(std::string(e.what()), SDBReadStopped);
    }
    EXPECT_FALSE(table->Active());
    EXPECT_FALSE(Watch.Escape);
    EXPECT_EQ(Watch.Begins, Watch.Ends);
    // the same dataset opens a sound table afterwards
    table->SetTableName("plain");
    table->Open();
    EXPECT_EQ(table->FieldByName("code")->AsString(), "one");
}

TEST_F(HostileFile, AStoppedReadLeavesTheDatasetSound) {
    // every read of a row runs the whole recursion again
    Make(
        "CREATE VIEW item AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000)"
        " SELECT x AS rowid, x AS id, 'c' || x AS code FROM c;");
    auto table = Table();
    table->Open();
    ASSERT_EQ(table->RecordCount(), 3000);
    Watch.Escape = true;
    try {
        table->Last();
        ADD_FAILURE() << "read";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(std::string(e.what()), SDBReadStopped);
    }
    EXPECT_EQ(Watch.Begins, Watch.Ends);
    ASSERT_TRUE(table->Active());
    EXPECT_EQ(table->RecordCount(), 3000);
    table->Last();
    EXPECT_EQ(table->FieldByName("code")->AsString(),
              SqliteCli(Path, "SELECT code FROM item WHERE id = 3000;"));
    table->First();
    EXPECT_EQ(table->FieldByName("code")->AsString(), SqliteCli(Path, "SELECT code FROM item WHERE id = 1;"));
}

TEST_F(HostileFile, ATriggerCallingAnUnsafeListFailsTheEditBeforeItActs) {
    Make(
        "CREATE TABLE item (id INTEGER PRIMARY KEY, code VARCHAR(10));"
        "INSERT INTO item VALUES (1, 'one'), (2, 'two');"
        "CREATE TABLE keep (v TEXT); INSERT INTO keep VALUES ('a'), ('b');"
        "CREATE TRIGGER spoil AFTER UPDATE ON item BEGIN DELETE FROM keep;"
        " INSERT INTO keep SELECT file FROM pragma_database_list; END;"
        "CREATE VIEW peek AS SELECT name FROM pragma_database_list;");
    auto table = Table();
    table->Open();
    table->Edit();
    table->FieldByName("code")->SetAsString("uno");
    EXPECT_THROW(table->Post(), EDatabaseError);
    table->Cancel();
    EXPECT_EQ(SqliteCli(Path, "SELECT group_concat(v) FROM keep;"), "a,b");
    EXPECT_EQ(SqliteCli(Path, "SELECT group_concat(code) FROM item;"), "one,two");
    EXPECT_EQ(table->FieldByName("code")->AsString(), "one");
    // a view over the list does not open
    EXPECT_THROW(Table("peek")->Open(), EDatabaseError);
}

TEST_F(HostileFile, ViewsAndIndexesOverTheCaseFunctionsStillRead) {
    Make(
        "CREATE TABLE item (id INTEGER PRIMARY KEY, code VARCHAR(10));"
        "INSERT INTO item VALUES (1, 'one'), (2, 'Two');"
        "CREATE INDEX low ON item (lower(code));"
        "CREATE VIEW loud AS SELECT id AS rowid, id, upper(code) AS code FROM item;");
    auto loud = Table("loud");
    loud->Open();
    EXPECT_EQ(loud->FieldByName("code")->AsString(), "ONE");
    // an edit maintains the index over lower()
    auto table = Table();
    table->Open();
    table->Edit();
    table->FieldByName("code")->SetAsString("Uno");
    table->Post();
    EXPECT_EQ(SqliteCli(Path, "SELECT group_concat(code) FROM item WHERE lower(code) = 'uno';"), "Uno");
}

// Four of these read together take about 10^12 steps.
const char* const ThousandRows =
    "CREATE TABLE big (n INTEGER);"
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000) INSERT INTO big SELECT x "
    "FROM c;";

// A trigger that would never end is stopped with the post, the insert and
// the delete it follows; the file keeps every record as it was, the
// dataset keeps the edit for another try, which stores it once the trigger
// is gone.
TEST_F(HostileFile, ChangesWhoseTriggerWouldNeverEndAreStoppedAndKept) {
    Make(std::string(ThousandRows) +
         "CREATE TABLE item (id INTEGER PRIMARY KEY, code VARCHAR(10));"
         "INSERT INTO item VALUES (1, 'one'), (2, 'two');"
         "CREATE TABLE log (n INTEGER);"
         "CREATE TRIGGER slow_update AFTER UPDATE ON item BEGIN"
         " INSERT INTO log SELECT count(*) FROM big a, big b, big c, big d; END;"
         "CREATE TRIGGER slow_insert AFTER INSERT ON item BEGIN"
         " INSERT INTO log SELECT count(*) FROM big a, big b, big c, big d; END;"
         "CREATE TRIGGER slow_delete BEFORE DELETE ON item BEGIN"
         " INSERT INTO log SELECT count(*) FROM big a, big b, big c, big d; END;");
    auto table = Table();
    table->Open();
    const auto stopped = [&](const std::function<void()>& Step) {
        ExpectStopped(Step, SDBChangeStopped);
        EXPECT_EQ(SqliteCli(Path, "SELECT group_concat(code) FROM item;"), "one,two");
        EXPECT_EQ(SqliteCli(Path, "SELECT count(*) FROM log;"), "0");
    };
    table->Edit();
    table->FieldByName("code")->SetAsString("uno");
    stopped([&] { table->Post(); });
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("code")->AsString(), "uno");
    table->Cancel();
    table->Append();
    table->FieldByName("id")->SetAsInteger(3);
    table->FieldByName("code")->SetAsString("three");
    stopped([&] { table->Post(); });
    EXPECT_EQ(table->State(), dsInsert);
    table->Cancel();
    table->First();
    stopped([&] { table->Delete(); });
    EXPECT_EQ(table->RecordCount(), 2);
    EXPECT_EQ(table->FieldByName("code")->AsString(), "one");

    // a statement of the program's own meets the same trigger
    TQuery query(nullptr);
    query.SetDatabaseName(Path);
    query.SQL()->SetText("UPDATE item SET code = 'x' WHERE id = 2");
    stopped([&] { query.ExecSQL(); });

    // the edit kept stores once the file's trigger is gone
    table->Edit();
    table->FieldByName("code")->SetAsString("uno");
    Watch.Escape = true;
    EXPECT_THROW(table->Post(), EDBEngineError);
    Make("DROP TRIGGER slow_update;");
    table->Post();
    EXPECT_EQ(SqliteCli(Path, "SELECT group_concat(code) FROM item;"), "uno,two");
}

// A view made costly after the dataset opened (another program changed
// the file): Locate and a search through the database are stopped and
// leave the dataset where it was.
TEST_F(HostileFile, ASearchOverAViewThatWouldNeverEndIsStopped) {
    Make(std::string(ThousandRows) +
         "CREATE TABLE base (id INTEGER PRIMARY KEY, code VARCHAR(10));"
         "INSERT INTO base SELECT n, 'c' || n FROM big;"
         "CREATE VIEW item AS SELECT id AS rowid, id, code FROM base;");
    auto table = Table();
    table->Open();
    table->MoveBy(2);
    // a row now takes about 10^6 steps, all of them about 10^9
    Make(
        "DROP VIEW item; CREATE VIEW item AS SELECT id AS rowid, id, code ||"
        " (SELECT substr(count(*), 1, 0) FROM big a, big b) AS code FROM base;");
    const auto stopped = [&](const std::function<void()>& Step) {
        ExpectStopped(Step, SDBSearchStopped);
        ASSERT_TRUE(table->Active());
        EXPECT_EQ(table->FieldByName("id")->AsInteger(), 3);
        EXPECT_EQ(table->FieldByName("code")->AsString(), "c3");
    };
    stopped([&] { table->Locate("code", Variant("c999"), {}); });
    TFilterNode test;
    test.Kind = fnCompare;
    test.Text = "=";
    test.Texts = true;
    test.Left = std::make_unique<TFilterNode>();
    test.Left->Kind = fnField;
    test.Left->Text = "code";
    test.Right = std::make_unique<TFilterNode>();
    test.Right->Text = "c999";
    stopped([&] { table->CursorPositionsWhere(test, 0); });
}

// A column that never ends computing: Locate and Lookup (by the database and
// by the walk), FindKey and FindNearest stop on Escape with the search's
// message and leave the dataset on its record.
TEST_F(HostileFile, SearchesOverAColumnThatNeverEndsStop) {
    Make(
        "CREATE TABLE base (id INTEGER PRIMARY KEY, code VARCHAR(10));"
        "INSERT INTO base VALUES (1, 'c1'), (2, 'c2'), (3, 'c3'), (4, 'c4');"
        "CREATE VIEW item AS SELECT id AS rowid, id, code FROM base;");
    auto table = Table();
    table->Open();
    table->MoveBy(2);
    auto keyed = Table();
    keyed->SetIndexFieldNames("code");
    keyed->Open();
    keyed->MoveBy(2);
    Make(
        "DROP VIEW item; CREATE VIEW item AS SELECT id AS rowid, id, code || (WITH RECURSIVE"
        " c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT substr(max(x), 1, 0) FROM c) AS code FROM "
        "base;");
    const auto stopped = [&](const std::function<void()>& Step, TTable* On = nullptr) {
        ExpectStopped(Step, SDBSearchStopped);
        TTable* t = On ? On : table.get();
        ASSERT_TRUE(t->Active());
        EXPECT_EQ(t->State(), dsBrowse);
        EXPECT_EQ(t->CursorPosition(), 2);
    };
    for (const bool byDatabase : {true, false}) {
        table->SetLocateByDatabase(byDatabase);
        stopped([&] { table->Locate("code", Variant("zzz"), {}); });
        stopped([&] { table->Locate("code", Variant("ZZ"), {loCaseInsensitive, loPartialKey}); });
        stopped([&] { table->Lookup("code", Variant("zzz"), "id"); });
    }
    stopped([&] { keyed->FindKey({Variant("c9")}); }, keyed.get());
    stopped([&] { keyed->FindNearest({Variant("c9")}); }, keyed.get());
}

// Locate and Lookup on a column declared TEXT over many short rows, by the
// database and by the walk (a UTF-16 file), with keys of many megabytes:
// busy by the clock of the whole search, stopped by Escape with the search's
// message, the dataset on its record.
TEST_F(HostileFile, ALocateOnATextColumnShowsBusyAndStops) {
    for (const char* encoding : {"UTF-8", "UTF-16le"}) {
        Make(std::string("PRAGMA encoding = '") + encoding +
             "'; CREATE TABLE item (id INTEGER PRIMARY KEY, note TEXT);"
             "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000)"
             " INSERT INTO item SELECT x, 'note ' || x || ' ' || hex(randomblob(8)) FROM c;");
        auto table = Table();
        table->Open();
        table->MoveBy(2);
        const std::string mb8(8 * 1024 * 1024 - 16, 'n');
        for (const std::string& key : {std::string("zzz"), std::string("NOTE 19"), mb8}) {
            for (const TLocateOptions& options :
                 {TLocateOptions{}, TLocateOptions{loCaseInsensitive, loPartialKey}}) {
                Watch.Begins = Watch.Ends = 0;
                ExpectStopped([&] { table->Locate("note", Variant(key), options); }, SDBSearchStopped);
                EXPECT_GE(Watch.Begins, 1) << encoding;
                EXPECT_EQ(table->CursorPosition(), 2) << encoding;
            }
            ExpectStopped([&] { table->Lookup("note", Variant(key), "id"); }, SDBSearchStopped);
            EXPECT_EQ(table->CursorPosition(), 2) << encoding;
        }
        // without Escape the search ends with the walk's answer
        ASSERT_TRUE(table->Locate("note", Variant("NOTE 1999 "), {loCaseInsensitive, loPartialKey}));
        EXPECT_EQ(table->FieldByName("id")->AsInteger(), 1999);
        EXPECT_EQ(Watch.Begins, Watch.Ends);
        table.reset();
        std::remove(Path.c_str());
    }
}

}  // namespace
