// A database file made by someone else cannot hold the program: a dataset's
// open and reads are watched like a filter's work (Escape stops them with
// SDBReadStopped, an open leaving the dataset closed, a read leaving it
// sound), and the file's views and triggers call only harmless functions
// and lists, so a hostile trigger fails the edit before it does anything.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/db/dbtables.h"
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

}  // namespace
