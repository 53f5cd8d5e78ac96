// Searches over a file another program made costly after the dataset opened
// (a view whose column never ends computing): Locate, Lookup, the key
// searches, the record search and the incremental search show the busy
// cursor and stop on Escape with the search's message, the dataset where it
// was. Escape is posted through the event loop once the work polls.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzrecordsearch.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzkeycb.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

// Around the screen's watch: Escape posted to the form at the first poll;
// whether the busy cursor showed.
class TEscapeAtFirstPoll : public TDBWorkWatch {
public:
    TEscapeAtFirstPoll(TDBWorkWatch* Inner, TWinControl* Target) : FInner(Inner), FTarget(Target) {}
    void Begin() override {
        ++Begins;
        FInner->Begin();
    }
    bool Poll() override {
        if (++Polls == 1 && FTarget) PostKey(FTarget, VK_ESCAPE);
        if (Screen->Cursor() == crHourGlass) BusySeen = true;
        return FInner->Poll();
    }
    void End() override {
        ++Ends;
        FInner->End();
    }
    int Polls = 0, Begins = 0, Ends = 0;
    bool BusySeen = false;

private:
    TDBWorkWatch* FInner;
    TWinControl* FTarget;
};

const char* const NeverEnds =
    "(WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT substr(max(x), 1, 0) FROM c)";

class SearchEscape : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("search.db");
        ASSERT_EQ(SqliteCli(Path,
                            "CREATE TABLE base (id INTEGER PRIMARY KEY, code VARCHAR(10));"
                            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50)"
                            " INSERT INTO base SELECT x, 'c' || x FROM c;"
                            "CREATE VIEW item AS SELECT id AS rowid, id, code FROM base;"),
                  "");
        Form = std::make_unique<TForm>(nullptr);
        Form->Show();
        Table = std::make_unique<TqzTable>(nullptr);
        Table->SetDatabaseName(Path);
        Table->SetTableName("item");
        Table->Open();
        Table->MoveBy(2);
        // now every row's code never ends computing
        ASSERT_EQ(
            SqliteCli(Path,
                      std::string("DROP VIEW item; CREATE VIEW item AS SELECT id AS rowid, id, code || ") +
                          NeverEnds + " AS code FROM base;"),
            "");
        Screen0 = SetDBWorkWatch(nullptr);
        ASSERT_NE(Screen0, nullptr);
        // the work is long by the clock: each look at it finds 10 ms gone
        SetTickCountSource([this] { return Ticks += 10; });
    }
    void TearDown() override {
        ResetClock();
        SetDBWorkWatch(Screen0);
        Table.reset();
    }
    // Step shows the busy cursor and stops on Escape with Message; the
    // dataset stays on the third record.
    void ExpectStopped(const std::function<void()>& Step, const char* Message) {
        TEscapeAtFirstPoll watch(Screen0, Form.get());
        SetDBWorkWatch(&watch);
        try {
            Step();
            ADD_FAILURE() << "ended";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(std::string(e.what()), Message);
        } catch (const Exception& e) {
            ADD_FAILURE() << e.what();
        }
        SetDBWorkWatch(Screen0);
        EXPECT_TRUE(watch.BusySeen);
        EXPECT_EQ(watch.Begins, watch.Ends);
        EXPECT_EQ(Screen->Cursor(), crDefault);
        ASSERT_TRUE(Table->Active());
        EXPECT_EQ(Table->State(), dsBrowse);
        EXPECT_EQ(Table->CursorPosition(), 2);
    }

    TTestEnvironment Env;
    std::string Path;
    std::unique_ptr<TForm> Form;
    std::unique_ptr<TqzTable> Table;
    TDBWorkWatch* Screen0 = nullptr;
    uint32_t Ticks = 0;
    TTestDialogs Dialogs;
};

TEST_F(SearchEscape, LocateAndLookupStopOnEscape) {
    Table->SetLocateByDatabase(false);
    ExpectStopped([&] { Table->Locate("code", Variant("zzz"), {loCaseInsensitive}); }, SDBSearchStopped);
    Table->SetLocateByDatabase(true);
    ExpectStopped([&] { Table->Locate("code", Variant("zzz"), {}); }, SDBSearchStopped);
    ExpectStopped(
        [&] {
            Table->Locate("code", Variant("ZZ"), {loCaseInsensitive, loPartialKey});
        },
        SDBSearchStopped);
    ExpectStopped([&] { Table->Lookup("code", Variant("zzz"), "id"); }, SDBSearchStopped);
}

TEST_F(SearchEscape, TheRecordSearchStopsOnEscape) {
    for (const TqzLocateMatchType type : {mtExactMatch, mtPartialMatchStart, mtPartialMatchAny})
        for (const bool fromFirst : {true, false}) {
            ExpectStopped(
                [&] { qzFindRecordByValue(fromFirst, Table.get(), "code", "zz", type, false, false); },
                SDBSearchStopped);
            // by Locate
            if (fromFirst && type != mtPartialMatchAny)
                ExpectStopped([&] { qzFindRecordByValue(true, Table.get(), "code", "zz", type, true, true); },
                              SDBSearchStopped);
        }
}

TEST_F(SearchEscape, KeySearchesStopOnEscape) {
    // a table ordered by the column, opened before the column never ended
    Table->Close();
    ASSERT_EQ(SqliteCli(Path, "DROP VIEW item; CREATE VIEW item AS SELECT id AS rowid, id, code FROM base;"),
              "");
    Table->SetIndexFieldNames("code");
    Table->Open();
    Table->MoveBy(2);
    ASSERT_EQ(
        SqliteCli(Path, std::string("DROP VIEW item; CREATE VIEW item AS SELECT id AS rowid, id, code || ") +
                            NeverEnds + " AS code FROM base;"),
        "");
    ExpectStopped([&] { Table->FindKey({Variant("zz")}); }, SDBSearchStopped);
    ExpectStopped([&] { Table->FindNearest({Variant("zz")}); }, SDBSearchStopped);
}

TEST_F(SearchEscape, TheIncrementalSearchStopsOnEscape) {
    TDataSource source(nullptr);
    source.SetDataSet(Table.get());
    auto* search = new TqzIncrementalSearch(Form.get());
    search->SetParent(Form.get());
    search->SetDataSource(&source);
    search->SetSearchField("code");
    const bool byLocate = qzIntl()->UseLocateMethodForSearch();
    // by Locate and by the field search
    for (const bool locate : {true, false}) {
        qzIntl()->SetUseLocateMethodForSearch(locate);
        search->SetText(locate ? "zz" : "zzz");
        ExpectStopped([&] { search->DoSearch(); }, SDBSearchStopped);
    }
    qzIntl()->SetUseLocateMethodForSearch(byLocate);
    search->SetDataSource(nullptr);
}

}  // namespace
