// The suite's table and query over a file whose texts SQLite keeps in UTF-16,
// made by the sqlite3 tool: they open and read what the tool shows, find a
// record by its index, and the filter form's database road keeps the rows
// its record test keeps (texts compared as UTF-8, as in a file of UTF-8).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"
#include "support/suite/data/filter_criteria.h"

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

// Texts longer than the declared width in letters and in bytes: read whole
// by the suite's table and query, and a typed text stored whole, as the tool
// shows them.
TEST_P(SuiteUtf16, TextsPastTheDeclaredWidthReadAndStoreWhole) {
    const std::string twelve = "ЖЖЖЖЖЖЖЖЖЖЖЖ", typed = "日本語の文字ですね";
    ASSERT_EQ(SqliteCli(Path, "INSERT INTO L VALUES (9, '" + twelve + "');"), "");
    TqzTable table(nullptr);
    table.SetDatabaseName(Path);
    table.SetTableName("L");
    table.Open();
    ASSERT_TRUE(table.Locate("id", Variant(9), {}));
    EXPECT_EQ(table.FieldByName("name")->AsString(), twelve);
    table.Edit();
    table.FieldByName("name")->SetAsString(typed);
    table.Post();
    EXPECT_EQ(SqliteCli(Path, "SELECT name FROM L WHERE id = 9;"), typed);
    TqzQuery query(nullptr);
    query.SetDatabaseName(Path);
    query.SQL()->SetText("SELECT name FROM L WHERE id = 9");
    query.Open();
    EXPECT_EQ(query.FieldByName("name")->AsString(), typed);
    // a live query stores a typed text whole
    TqzQuery live(nullptr);
    live.SetDatabaseName(Path);
    live.SetRequestLive(true);
    live.SQL()->SetText("SELECT * FROM L WHERE id = 9");
    live.Open();
    live.Edit();
    live.FieldByName("name")->SetAsString(twelve + typed);
    live.Post();
    EXPECT_EQ(SqliteCli(Path, "SELECT name FROM L WHERE id = 9;"), twelve + typed);
}

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

TEST_P(SuiteUtf16, FilterFormCriteriaAgreeWithTheRecordTest) {
    TForm form(nullptr);
    auto* table = new TqzTable(&form);
    table->SetDatabaseName(Path);
    table->SetTableName("L");
    table->Open();
    TDataSource src(&form);
    src.SetDataSet(table);
    auto* dialog = new TqzFilterDialog(&form);
    dialog->SetDataSource(&src);
    const std::vector<TqzFieldInfoList> cases = {
        {Crit("name", fdMatchEnd, "le")},   {Crit("name", fdMatchEnd, "ος")},
        {Crit("name", fdMatchStart, "ÉM")}, {Crit("name", fdMatchAny, "ίσ", true)},
        {Range("name", "b", "")},           {Range("name", "", "ǅ")},
        {Crit("name", fdMatchExact, "ǆ")},  {Crit("name", fdMatchEnd, "ger", true)},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        std::string ids[2];
        for (const bool alone : {false, true}) {
            dialog->Criteria() = cases[i];
            dialog->SetOnAcceptFilterRecord(
                alone ? TqzAcceptFilterRecordEvent([](TObject*, TDataSet*, bool&, bool&) {})
                      : TqzAcceptFilterRecordEvent());
            EXPECT_TRUE(dialog->ApplyFilter());
            for (table->First(); !table->Eof(); table->Next())
                ids[alone] += table->FieldByName("id")->AsString() + " ";
        }
        EXPECT_FALSE(ids[1].empty()) << "case " << i;
        EXPECT_EQ(ids[0], ids[1]) << "case " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, SuiteUtf16, ::testing::Values("UTF-16le", "UTF-16be"),
                         [](const ::testing::TestParamInfo<const char*>& Info) {
                             return std::string(Info.param).substr(6) == "le" ? std::string("LittleEnd")
                                                                              : std::string("BigEnd");
                         });

}  // namespace
