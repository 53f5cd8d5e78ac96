// A database file whose texts SQLite keeps in UTF-16 (little and big end),
// made by the sqlite3 tool: tables and queries read the texts, the column
// and index names and the widths the tool shows, find by them, and write
// edits and new rows that the tool then shows.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

class SqliteEncoding : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        Path = Env.Path("texts.db");
        // the longest text in UTF-8 ('日本語の文字', 18 bytes) is not the longest in UTF-16
        const std::string made =
            SqliteCli(Path, std::string("PRAGMA encoding = '") + GetParam() +
                                "';"
                                "CREATE TABLE L (id INTEGER PRIMARY KEY, \"année\" VARCHAR(4),"
                                " note TEXT);"
                                "CREATE INDEX \"par_année\" ON L (\"année\");"
                                "INSERT INTO L VALUES (1, 'apple', 'ä'), (2, 'Émile', NULL),"
                                " (3, 'σίσυφος', 'x'), (4, 'ǆ', ''), (5, 'Ärger', 'ǅ'),"
                                " (6, '日本語の文字', 12);"
                                "PRAGMA encoding;");
        ASSERT_EQ(made, GetParam());
    }
    std::unique_ptr<TTable> Table() {
        auto t = std::make_unique<TTable>(nullptr);
        t->SetDatabaseName(Path);
        t->SetTableName("L");
        t->Open();
        return t;
    }
    std::unique_ptr<TQuery> Query(bool Live) {
        auto q = std::make_unique<TQuery>(nullptr);
        q->SetDatabaseName(Path);
        q->SetRequestLive(Live);
        q->SQL()->SetText("SELECT * FROM L");
        q->Open();
        return q;
    }
    // Rows as the tool prints them: a line a row, "|" between the fields.
    static std::string Rows(TDataSet* Ds) {
        std::string out;
        for (Ds->First(); !Ds->Eof(); Ds->Next()) {
            if (!out.empty()) out += "\n";
            for (int i = 0; i < Ds->Fields()->Count(); ++i)
                out += (i ? "|" : "") + Ds->Fields()->Fields(i)->AsString();
        }
        return out;
    }
    static std::string Names(TDataSet* Ds) {
        std::string out;
        for (int i = 0; i < Ds->Fields()->Count(); ++i)
            out += (i ? "\n" : "") + Ds->Fields()->Fields(i)->FieldName();
        return out;
    }
    std::string Cli(const std::string& Sql) { return SqliteCli(Path, Sql); }

    TTestEnvironment Env;
    std::string Path;
};

TEST_P(SqliteEncoding, TablesAndQueriesReadTheTextsAndNamesTheToolShows) {
    const std::string rows = Cli("SELECT * FROM L");
    const std::string names = Cli("SELECT name FROM pragma_table_info('L')");
    auto table = Table();
    EXPECT_EQ(Rows(table.get()), rows);
    EXPECT_EQ(Names(table.get()), names);
    for (const bool live : {false, true}) {
        auto query = Query(live);
        EXPECT_EQ(Rows(query.get()), rows) << "live " << live;
        EXPECT_EQ(Names(query.get()), names);
        EXPECT_EQ(query->CanModifyQuery(), live);
    }
    // the declared size kept: the texts past it read whole all the same
    EXPECT_EQ(table->FieldByName("année")->Size(), 4);
    // the index and its field by their names, in the order the tool gives
    table->IndexDefs()->Update();
    const TIndexDef* index = table->IndexDefs()->FindIndex("par_année");
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->Fields, "année");
    table->SetIndexName("par_année");
    std::string ids;
    for (table->First(); !table->Eof(); table->Next())
        ids += (ids.empty() ? "" : "\n") + table->FieldByName("id")->AsString();
    EXPECT_EQ(ids, Cli("SELECT id FROM L ORDER BY \"année\""));
}

TEST_P(SqliteEncoding, LocateAndLookupFindByTexts) {
    auto table = Table();
    auto query = Query(true);
    for (TDBDataSet* ds : {static_cast<TDBDataSet*>(table.get()), static_cast<TDBDataSet*>(query.get())}) {
        for (const bool byDatabase : {true, false}) {
            ds->SetLocateByDatabase(byDatabase);
            ds->First();
            ASSERT_TRUE(ds->Locate("année", Variant("émile"), {loCaseInsensitive}));
            EXPECT_EQ(ds->FieldByName("id")->AsInteger(), 2);
            ASSERT_TRUE(ds->Locate("année", Variant("σίσ"), {loPartialKey}));
            EXPECT_EQ(ds->FieldByName("id")->AsInteger(), 3);
            EXPECT_FALSE(ds->Locate("année", Variant("ΣΊΣ"), {loPartialKey}));
            ASSERT_TRUE(ds->Locate("note", Variant("Ǆ"), {loCaseInsensitive}));
            EXPECT_EQ(ds->FieldByName("id")->AsInteger(), 5);
            EXPECT_EQ(ds->Lookup("année", Variant("日本語の文字"), "note").AsString(), "12");
            EXPECT_EQ(ds->Lookup("note", Variant("ä"), "année").AsString(), "apple");
        }
    }
}

TEST_P(SqliteEncoding, EditsAndNewRowsStoreWhatTheToolThenShows) {
    {
        auto table = Table();
        ASSERT_TRUE(table->Locate("id", Variant(1), {}));
        table->Edit();
        table->FieldByName("année")->SetAsString("Ωmega ǅ");
        table->Post();
        table->Append();
        table->FieldByName("id")->SetAsInteger(7);
        table->FieldByName("année")->SetAsString("ǈ neu");
        table->FieldByName("note")->SetAsString("nöte");
        table->Post();
        // an edit of another field leaves the text as the file holds it
        ASSERT_TRUE(table->Locate("id", Variant(3), {}));
        table->Edit();
        table->FieldByName("note")->SetAsString("y");
        table->Post();
    }
    {
        auto query = Query(true);
        ASSERT_TRUE(query->Locate("id", Variant(4), {}));
        query->Edit();
        query->FieldByName("note")->SetAsString("Ǉ");
        query->Post();
    }
    EXPECT_EQ(
        Cli("SELECT id, \"année\", typeof(\"année\"), note, typeof(note) FROM L WHERE id IN (1, 3, 4, 7)"),
        "1|Ωmega ǅ|text|ä|text\n"
        "3|σίσυφος|text|y|text\n"
        "4|ǆ|text|Ǉ|text\n"
        "7|ǈ neu|text|nöte|text");
    EXPECT_EQ(Cli("SELECT count(*) FROM L WHERE \"année\" = 'Ωmega ǅ' AND note = 'ä'"), "1");
    auto again = Table();
    EXPECT_EQ(Rows(again.get()), Cli("SELECT * FROM L"));
}

INSTANTIATE_TEST_SUITE_P(Utf16, SqliteEncoding, ::testing::Values("UTF-16le", "UTF-16be"),
                         [](const ::testing::TestParamInfo<const char*>& Info) {
                             return std::string(Info.param).substr(6) == "le" ? std::string("LittleEnd")
                                                                              : std::string("BigEnd");
                         });

}  // namespace
