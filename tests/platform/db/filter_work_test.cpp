// The work of a Filter text runs under the work watch: a long one (by the
// clock, however costly its rows) shows busy once and ends its show, and one
// the watch or StopDBWork stops fails with SDBWorkStopped and leaves the
// filter and the records as they were, on a table, a live query and a copied
// query alike. The watch is set up once a statement, not once a row.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

class TRecordingWatch : public TDBWorkWatch {
public:
    void Begin() override { ++Begins; }
    bool Poll() override {
        ++Polls;
        // Escape pressed at once: seen (and taken) once the work shows busy
        if (EscapePending && Begins > Ends) {
            EscapePending = false;
            return true;
        }
        if (StopAt > 0 && Polls == StopAt) {
            if (ByRequest) {
                StopDBWork();
                return false;
            }
            return true;
        }
        return false;
    }
    void End() override { ++Ends; }
    int Begins = 0, Polls = 0, Ends = 0;
    int StopAt = 0;
    bool ByRequest = false;
    bool EscapePending = false;
};

class FilterWork : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("work.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE big (id INTEGER PRIMARY KEY, qty INTEGER, code VARCHAR(10));"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000)"
            " INSERT INTO big SELECT x, x % 7, 'c' || x FROM c;");
        Old = SetDBWorkWatch(&Watch);
        // each look at the clock finds TickStep milliseconds gone
        SetTickCountSource([this] {
            ++TickReads;
            return Ticks += TickStep;
        });
    }
    void TearDown() override {
        SetDBWorkWatch(Old);
        ResetClock();
    }
    std::unique_ptr<TDBDataSet> OpenTable() {
        auto t = std::make_unique<TTable>(nullptr);
        t->SetDatabaseName(Path);
        t->SetTableName("big");
        t->Open();
        return t;
    }
    std::unique_ptr<TDBDataSet> OpenQuery(const char* Sql, bool Live) {
        auto q = std::make_unique<TQuery>(nullptr);
        q->SetDatabaseName(Path);
        q->SQL()->SetText(Sql);
        q->SetRequestLive(Live);
        q->Open();
        return q;
    }

    TTestEnvironment Env;
    std::string Path;
    TRecordingWatch Watch;
    TDBWorkWatch* Old = nullptr;
    uint32_t Ticks = 0, TickStep = 10;
    int TickReads = 0;
};

TEST_F(FilterWork, ALongFilterShowsBusyOnceAndEndsTheShow) {
    auto table = OpenTable();
    Watch = TRecordingWatch();  // (the open is watched too)
    table->SetFilter("[qty] = 3 AND length(code) > 1");
    table->SetFiltered(true);
    EXPECT_EQ(table->RecordCount(), 2857);
    EXPECT_GT(Watch.Polls, 0);
    EXPECT_EQ(Watch.Begins, 1);
    EXPECT_EQ(Watch.Ends, 1);
    // a short one is done before it counts as long
    Watch = TRecordingWatch();
    table->SetFilter("[id] = 5");
    EXPECT_EQ(table->RecordCount(), 1);
    EXPECT_EQ(Watch.Begins, Watch.Ends);
}

TEST_F(FilterWork, AStoppedFilterLeavesTheRecordsAsTheyWere) {
    for (int kind = 0; kind < 3; ++kind) {
        for (bool byRequest : {false, true}) {
            std::unique_ptr<TDBDataSet> ds = kind == 0 ? OpenTable()
                                             : kind == 1
                                                 ? OpenQuery("SELECT id, qty FROM big", true)
                                                 : OpenQuery("SELECT id, qty + 0 AS qty FROM big", false);
            ds->SetFilter("[id] <= 3");
            ds->SetFiltered(true);
            ASSERT_EQ(ds->RecordCount(), 3);
            Watch = TRecordingWatch();
            Watch.StopAt = 25;
            Watch.ByRequest = byRequest;
            try {
                ds->SetFilter("[qty] = 3");
                ADD_FAILURE() << "not stopped: " << kind;
            } catch (const EDBEngineError& e) {
                EXPECT_EQ(std::string(e.what()), SDBWorkStopped);
            }
            EXPECT_EQ(Watch.Begins, Watch.Ends);
            EXPECT_EQ(ds->Filter(), "[id] <= 3");
            EXPECT_EQ(ds->RecordCount(), 3) << kind;
            ds->First();
            EXPECT_EQ(ds->FieldByName("id")->AsInteger(), 1);
            // turned on while the filter is off: stopped alike, the records all there
            ds->SetFiltered(false);
            ds->SetFilter("[qty] = 3");
            Watch = TRecordingWatch();
            Watch.StopAt = 25;
            EXPECT_THROW(ds->SetFiltered(true), EDBEngineError);
            EXPECT_FALSE(ds->Filtered());
            EXPECT_EQ(ds->RecordCount(), 20000);
        }
    }
}

TEST_F(FilterWork, ARequestMadeBeforeTheWorkDoesNotStopIt) {
    auto table = OpenTable();
    StopDBWork();
    table->SetFilter("[qty] = 3");
    table->SetFiltered(true);
    EXPECT_EQ(table->RecordCount(), 2857);
}

// Rows that each build a large value: few instructions a row, each costly.
const char* const CostlyFilter =
    "length(replace(replace(replace(code, 'c', 'cccccccccc'), 'c', 'cccccccccc'), 'c', 'cccccccccc')) > 1000";

TEST_F(FilterWork, CostlyRowsShowBusyByTheClockAndEscapeStopsThem) {
    auto table = OpenTable();
    table->SetFilter("[id] <= 300");
    table->SetFiltered(true);
    ASSERT_EQ(table->RecordCount(), 300);
    // each period of the handler took 50 ms: busy within 200 ms, then Escape seen
    TickStep = 50;
    Watch = TRecordingWatch();
    Watch.EscapePending = true;
    try {
        table->SetFilter("[id] <= 300 AND " + std::string(CostlyFilter));
        ADD_FAILURE() << "not stopped";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(std::string(e.what()), SDBWorkStopped);
    }
    EXPECT_FALSE(Watch.EscapePending);
    EXPECT_GE(Watch.Begins, 1);  // (the old filter's rows taken again are long too)
    EXPECT_EQ(Watch.Begins, Watch.Ends);
    EXPECT_EQ(table->Filter(), "[id] <= 300");
    EXPECT_EQ(table->RecordCount(), 300);
    // not stopped: the costly rows are looked at every row or two
    Watch = TRecordingWatch();
    table->SetFilter("[id] <= 300 AND " + std::string(CostlyFilter));
    EXPECT_EQ(table->RecordCount(), 300);
    EXPECT_GE(Watch.Polls, 150);
    EXPECT_EQ(Watch.Begins, 1);
    EXPECT_EQ(Watch.Ends, 1);
}

TEST_F(FilterWork, CheapRowsLookAtTheClockOnceAPeriodNotOnceARow) {
    auto table = OpenTable();
    TickStep = 1;  // cheap: no period takes long
    for (const auto& [text, rows] : {std::pair{"[qty] >= 0", 20000}, std::pair{"[qty] < 0", 0}}) {
        TickReads = 0;
        Watch = TRecordingWatch();
        table->SetFilter(text);
        table->SetFiltered(true);
        EXPECT_EQ(table->RecordCount(), rows);
        // set up once (one look) and polled now and then, whatever the rows returned
        EXPECT_GE(TickReads, 2) << text;
        EXPECT_LT(TickReads, 20000 / 20) << text;
        EXPECT_EQ(Watch.Begins, 0) << text;
    }
}

}  // namespace

// Code made ten times longer, Times times over (its 'c' ten 'c').
std::string Longer(std::string Code, int Times) {
    for (int i = 0; i < Times; ++i) Code = "replace(" + Code + ", 'c', 'cccccccccc')";
    return Code;
}

// One row whose one pattern match runs long: a run of a thousand characters
// and a wildcard that fails at its end, tried at every character of a value
// of a megabyte.
std::string LongMatchFilter(const char* Function, const char* Wild, const char* One) {
    return "[id] = 1 AND " + std::string(Function) + "('" + Wild + "' || " + Longer("code", 3) + " || '" +
           One + "x" + Wild + "', " + Longer("code", 6) + ")";
}

// A search for a needle of megabytes (the record search's text test): the
// rows shorter than it hold it nowhere, a row that holds it is found with
// and without case, and Escape stops it with the search's message.
TEST_F(FilterWork, ALongNeedleIsFoundWhereItIsAndStops) {
    TDatabase maker(nullptr);
    maker.SetDatabaseName(Path);
    const std::string needle = std::string(2 * 1024 * 1024, 'q') + "Z";
    maker.Execute("INSERT INTO big (id, qty, code) VALUES (20001, 0, 'x' || '" + needle + "' || 'y')");
    auto table = OpenTable();
    const auto contains = [&](const std::string& Value, bool Fold) {
        TFilterNode test;
        test.Kind = fnCompare;
        test.Text = "CONTAINS";
        test.Texts = true;
        test.Fold = Fold;
        test.Left = std::make_unique<TFilterNode>();
        test.Left->Kind = fnField;
        test.Left->Text = "code";
        test.Right = std::make_unique<TFilterNode>();
        test.Right->Text = Value;
        return table->CursorPositionsWhere(test, 0);
    };
    EXPECT_EQ(contains(needle, false), std::vector<int>{20000});
    EXPECT_EQ(contains(needle + "y", false), std::vector<int>{20000});
    EXPECT_TRUE(contains(needle + "q", false).empty());
    std::string folded = needle;
    folded.back() = 'z';
    EXPECT_TRUE(contains(folded, false).empty());
    EXPECT_EQ(contains(folded, true), std::vector<int>{20000});
    // each look at the clock finds 50 ms gone: busy, then Escape seen
    TickStep = 50;
    Watch = TRecordingWatch();
    Watch.EscapePending = true;
    try {
        contains(needle, false);
        ADD_FAILURE() << "not stopped";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(std::string(e.what()), SDBSearchStopped);
    }
    EXPECT_FALSE(Watch.EscapePending);
    EXPECT_EQ(Watch.Begins, Watch.Ends);
}

TEST_F(FilterWork, OneLongPatternMatchShowsBusyByTheClockAndEscapeStopsIt) {
    auto table = OpenTable();
    table->SetFilter("[id] <= 3");
    table->SetFiltered(true);
    ASSERT_EQ(table->RecordCount(), 3);
    struct TCase {
        const char *Function, *Wild, *One;
    };
    for (const auto& [function, wild, one] : {TCase{"like", "%", "_"}, TCase{"glob", "*", "?"}}) {
        // each look at the clock finds 50 ms gone: busy within 200 ms, then Escape seen
        TickStep = 50;
        TickReads = 0;
        Watch = TRecordingWatch();
        Watch.EscapePending = true;
        try {
            table->SetFilter(LongMatchFilter(function, wild, one));
            ADD_FAILURE() << "not stopped: " << function;
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(std::string(e.what()), SDBWorkStopped);
        }
        EXPECT_FALSE(Watch.EscapePending) << function;
        EXPECT_EQ(Watch.Begins, 1) << function;
        EXPECT_EQ(Watch.Ends, 1) << function;
        // looked at within the one step, not only between SQLite's instructions
        EXPECT_GE(TickReads, 5) << function;
        EXPECT_EQ(table->Filter(), "[id] <= 3");
        EXPECT_EQ(table->RecordCount(), 3);
    }
}

TEST_F(FilterWork, LongTextWorkIsWatchedAndAnswersAsSqliteDoes) {
    // a few rows, each a match that fails late, a search and a replace over
    // a large value; not stopped, they end with SQLite's own answer
    const std::string value = Longer("code", 4);
    const std::string filter = "[id] <= 10 AND NOT like('%' || " + Longer("code", 2) + " || '_x%', " + value +
                               ") AND instr(" + value + ", code || 'x') = 0 AND length(replace(" + value +
                               ", 'c', 'cc')) > 8000";
    auto table = OpenTable();
    TickStep = 1;
    Watch = TRecordingWatch();  // (the open is watched too)
    table->SetFilter(filter);
    table->SetFiltered(true);
    const std::string expected = SqliteCli(
        Path, "SELECT count(*) FROM big WHERE " + StringReplace(filter, "[id]", "id", rfReplaceAll) + ";");
    EXPECT_EQ(std::to_string(table->RecordCount()), expected);
    EXPECT_GE(Watch.Polls, 10);  // looked at within the rows' work
    EXPECT_EQ(Watch.Begins, Watch.Ends);
}

TEST_F(FilterWork, LongNeedlesAreReadOnceAStatementAndWatched) {
    auto table = OpenTable();
    TickStep = 1;
    // a needle of a megabyte against 20,000 short values: no value holds it,
    // each answered without its table (built once a statement at most)
    const std::string needle = Longer("'c'", 6);
    for (const std::string& f :
         {"instr(code, " + needle + ") = 0", "replace(code, " + needle + ", 'x') = code"}) {
        Watch = TRecordingWatch();
        table->SetFilter(f);
        table->SetFiltered(true);
        EXPECT_EQ(table->RecordCount(), 20000) << f;
        EXPECT_EQ(Watch.Begins, Watch.Ends) << f;
    }
    // values that hold it: found where SQLite finds it
    const std::string holding = "[id] <= 20 AND instr(code || " + needle + ", " + needle +
                                ") = length(code) + 1 AND length(replace(code || " + needle + " || code, " +
                                needle + ", '')) = 2 * length(code)";
    table->SetFilter(holding);
    EXPECT_EQ(table->RecordCount(), 20);
    // the building of a long needle's table is watched: busy by the clock, Escape stops it
    table->SetFilter("[id] <= 3");
    TickStep = 50;
    TickReads = 0;
    Watch = TRecordingWatch();
    Watch.EscapePending = true;
    try {
        table->SetFilter("[id] = 1 AND instr(" + needle + " || " + needle + ", " + needle + " || 'x') > 0");
        ADD_FAILURE() << "not stopped";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(std::string(e.what()), SDBWorkStopped);
    }
    EXPECT_FALSE(Watch.EscapePending);
    EXPECT_GE(TickReads, 5);
    EXPECT_EQ(table->Filter(), "[id] <= 3");
    EXPECT_EQ(table->RecordCount(), 3);
}
