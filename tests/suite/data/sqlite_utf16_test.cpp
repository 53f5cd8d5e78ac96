// The suite's table and query over a file whose texts SQLite keeps in UTF-16,
// made by the sqlite3 tool: they open and read what the tool shows, and find
// a record by its index.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/db/fields.h"
#include "platform/ui/testing.h"
#include "suite/data/qzdbtables.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

class SuiteUtf16 : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        Path = Env.Path("utf16.db");
        ASSERT_EQ(SqliteCli(Path, std::string("PRAGMA encoding = '") + GetParam() +
                                      "';"
                                      "CREATE TABLE L (id INTEGER PRIMARY KEY, name VARCHAR(10));"
                                      "CREATE INDEX byname ON L (name);"
                                      "INSERT INTO L (name) VALUES ('apple'), ('Émile'), ('σίσυφος'), ('ǆ'),"
                                      " ('Ärger');"
                                      "PRAGMA encoding;"),
                  GetParam());
    }
    static std::string Rows(TDataSet* Ds) {
        std::string out;
        for (Ds->First(); !Ds->Eof(); Ds->Next())
            out += (out.empty() ? "" : "\n") + Ds->FieldByName("id")->AsString() + "|" +
                   Ds->FieldByName("name")->AsString();
        return out;
    }

    TTestEnvironment Env;
    std::string Path;
    TTestDialogs Dialogs;
};

TEST_P(SuiteUtf16, TableAndQueryShowWhatTheToolShows) {
    const std::string shown = SqliteCli(Path, "SELECT * FROM L");
    for (const bool live : {false, true}) {
        TqzQuery query(nullptr);
        query.SetDatabaseName(Path);
        query.SetRequestLive(live);
        query.SQL()->SetText("SELECT * FROM L");
        query.Open();
        EXPECT_EQ(Rows(&query), shown) << "live " << live;
    }
    TqzTable table(nullptr);
    table.SetDatabaseName(Path);
    table.SetTableName("L");
    table.Open();
    EXPECT_EQ(Rows(&table), shown);
    // by its index on the name, as the tool orders it
    ASSERT_TRUE(table.SelectIndexForField("name"));
    EXPECT_EQ(Rows(&table), SqliteCli(Path, "SELECT * FROM L ORDER BY name"));
    EXPECT_TRUE(table.FindKeyValues({Variant("σίσυφος")}));
    EXPECT_EQ(table.FieldByName("id")->AsInteger(), 3);
    // the table as a query text
    TqzTable byQuery(nullptr);
    byQuery.SetDatabaseName(Path);
    byQuery.Query()->SetText("SELECT * FROM L");
    byQuery.Open();
    EXPECT_EQ(Rows(&byQuery), shown);
}

INSTANTIATE_TEST_SUITE_P(Encodings, SuiteUtf16, ::testing::Values("UTF-16le", "UTF-16be"),
                         [](const ::testing::TestParamInfo<const char*>& Info) {
                             return std::string(Info.param).substr(6) == "le" ? std::string("LittleEnd")
                                                                              : std::string("BigEnd");
                         });

}  // namespace
