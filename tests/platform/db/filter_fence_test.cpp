// A Filter text reads only its own dataset's table and columns and calls
// only the functions of the allow list, on a table, a live query and a
// copied query alike; anything more is refused with the "runs no query"
// message, naming what it reads or calls, and leaves the records as they
// were. A value a filter builds is bounded: one larger than the data could
// hold, or values taking more memory than the fence allows, fail at once
// with SFilterTooLarge. Each connection keeps the full-text tokenizer
// function off and the schema safe from writes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

class FilterFence : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("fence.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE item (id INTEGER PRIMARY KEY, code VARCHAR(40), qty INTEGER, born DATE);"
            "INSERT INTO item (code, qty, born) VALUES ('short', 1, '2001-02-03'), ('long', 2, NULL),"
            " ('plain', 3, '1999-12-31');"
            "CREATE TABLE secret (v VARCHAR(10));"
            "INSERT INTO secret VALUES ('short');"
            "CREATE VIEW peek AS SELECT v FROM secret;");
    }
    std::unique_ptr<TTable> Open(const char* Name = "item") {
        auto t = std::make_unique<TTable>(nullptr);
        t->SetDatabaseName(Path);
        t->SetTableName(Name);
        t->Open();
        return t;
    }
    std::unique_ptr<TQuery> OpenQuery(const char* Sql, bool Live) {
        auto q = std::make_unique<TQuery>(nullptr);
        q->SetDatabaseName(Path);
        q->SQL()->SetText(Sql);
        q->SetRequestLive(Live);
        q->Open();
        return q;
    }
    static std::string Codes(TDataSet* Ds) {
        std::string out;
        for (Ds->First(); !Ds->Eof(); Ds->Next())
            out += (out.empty() ? "" : ",") + Ds->FieldByName("code")->AsString();
        return out;
    }
    // Each text refused with the message, the filter and the records kept.
    static void ExpectRefused(TDataSet* Ds, std::initializer_list<const char*> Texts) {
        Ds->SetFilter("[qty] >= 2");
        Ds->SetFiltered(true);
        const std::string before = Codes(Ds);
        ASSERT_EQ(before.find(','), before.rfind(','));  // two rows
        for (const char* text : Texts) {
            try {
                Ds->SetFilter(text);
                ADD_FAILURE() << "taken: " << text << " gives " << Codes(Ds);
            } catch (const EDatabaseError& e) {
                EXPECT_NE(
                    std::string(e.what()).find("a filter is a condition on the record and runs no query"),
                    std::string::npos)
                    << text << ": " << e.what();
            }
            EXPECT_EQ(Ds->Filter(), "[qty] >= 2") << text;
            EXPECT_EQ(Codes(Ds), before) << text;
        }
    }

    TTestEnvironment Env;
    std::string Path;
};

const std::initializer_list<const char*> OtherTables = {
    "[code] IN secret",
    "code IN secret",
    "code IN \"secret\"",
    "code IN [secret]",
    "code IN `secret`",
    "code IN main.secret",
    "code IN \"main\".\"secret\"",
    "code IN peek",
    "code NOT IN secret",
    "('table', 'secret', 'secret', 3, '') NOT IN sqlite_master",
};

const std::initializer_list<const char*> SchemaLists = {
    "'fts3' IN pragma_module_list",
    "('main', 'secret', 'table', 1, 0, 0) IN pragma_table_list",
    "('main', 'item', 'table', 4, 0, 0) NOT IN pragma_table_list",
    "'json_each' NOT IN pragma_module_list",
};

const std::initializer_list<const char*> OffTheList = {
    "fts3_tokenizer('simple') IS NOT NULL",
    "length(printf('%.*c', 50, 'x')) > 0",
    "randomblob(4) IS NOT NULL",
    "sqlite_version() <> ''",
    "changes() >= 0",
    "json_valid('1')",
};

TEST_F(FilterFence, AFilterReadsNoOtherTable) {
    auto table = Open();
    ExpectRefused(table.get(), OtherTables);
}

TEST_F(FilterFence, AFilterListsNoSchemaAndNoModules) {
    auto table = Open();
    ExpectRefused(table.get(), SchemaLists);
}

TEST_F(FilterFence, AFilterCallsOnlyFunctionsOfTheAllowList) {
    auto table = Open();
    ExpectRefused(table.get(), OffTheList);
}

TEST_F(FilterFence, TheLiveAndTheCopiedQueryRefuseAlike) {
    auto live = OpenQuery("SELECT code, qty FROM item", true);
    ASSERT_TRUE(live->CanModify());
    ExpectRefused(live.get(), OtherTables);
    ExpectRefused(live.get(), SchemaLists);
    ExpectRefused(live.get(), OffTheList);
    auto copied = OpenQuery("SELECT code, qty, code || '!' AS loud FROM item", false);
    ASSERT_FALSE(copied->CanModify());
    ExpectRefused(copied.get(), OtherTables);
    ExpectRefused(copied.get(), SchemaLists);
    ExpectRefused(copied.get(), OffTheList);
}

TEST_F(FilterFence, AQueryFilterReadsWhatTheQueryReads) {
    // a query that reads the second table: its filter may read that table too
    auto query = OpenQuery("SELECT i.code, i.qty, s.v FROM item i, secret s", false);
    query->SetFilter("code IN secret OR qty = 3");
    query->SetFiltered(true);
    EXPECT_EQ(Codes(query.get()), "short,plain");
    query->SetFilter("[qty] >= 2");
    EXPECT_EQ(Codes(query.get()), "long,plain");
    ExpectRefused(query.get(), SchemaLists);
}

TEST_F(FilterFence, FiltersOfTheAllowListKeepTheirRows) {
    auto table = Open();
    table->SetFiltered(true);
    const std::pair<const char*, const char*> cases[] = {
        {"upper(code) = 'SHORT' OR lower(code) = 'plain'", "short,plain"},
        {"[code] = 'sh*'", "short"},
        {"code LIKE 'p%' OR code GLOB 'l*'", "long,plain"},
        {"length(code) = 4 AND substr(code, 1, 1) = 'l'", "long"},
        {"trim(' ' || code || ' ') = 'long' OR instr(code, 'ai') > 0", "long,plain"},
        {"replace(code, 'o', '0') = 'sh0rt'", "short"},
        {"coalesce(born, 'none') = 'none' OR ifnull(qty, 0) > 2", "long,plain"},
        {"abs(qty - 3) = 1 AND round(qty * 1.0) = 2", "long"},
        {"strftime('%Y', born) = '2001' OR date(born, '+1 day') = '2000-01-01'", "short,plain"},
        {"julianday(born) > julianday('2000-01-01')", "short"},
        {"typeof(born) = 'null' OR iif(qty > 2, 1, 0) = 1", "long,plain"},
        {"cast(qty AS TEXT) = '3' OR born = '2001-02-03'", "short,plain"},
        {"max(qty, 2) = 2 AND min(qty, 2) = 1", "short"},
        {"code IN ('long', 'plain') AND qty BETWEEN 2 AND 3", "long,plain"},
        {"CASE WHEN qty > 1 THEN code ELSE NULL END = 'long'", "long"},
    };
    for (const auto& [text, rows] : cases) {
        table->SetFilter(text);
        EXPECT_EQ(Codes(table.get()), rows) << text;
    }
}

TEST_F(FilterFence, TheTokenizerFunctionCannotReplaceATokenizer) {
    TDatabase db(nullptr);
    db.SetDatabaseName(Path);
    db.Execute("CREATE VIRTUAL TABLE docs USING fts3(body); INSERT INTO docs VALUES ('a word'), ('other');");
    auto table = Open();
    table->SetFiltered(true);
    for (const char* text : {"fts3_tokenizer('simple', x'4141414141414141') IS NOT NULL",
                             "fts3_tokenizer('porter', x'0000000000000000') IS NULL"}) {
        EXPECT_THROW(table->SetFilter(text), EDatabaseError) << text;
        EXPECT_EQ(Codes(table.get()), "short,long,plain");
    }
    // nor can the program's own statements: the function is off on every connection
    EXPECT_THROW(db.Execute("SELECT fts3_tokenizer('simple', x'4141414141414141')"), EDatabaseError);
    // the full-text table still reads and filters with its own tokenizer
    auto docs = Open("docs");
    docs->SetFilter("body MATCH 'word'");
    docs->SetFiltered(true);
    ASSERT_EQ(docs->RecordCount(), 1);
    EXPECT_EQ(docs->FieldByName("body")->AsString(), "a word");
}

TEST_F(FilterFence, AConnectionKeepsItsSchemaSafe) {
    TDatabase db(nullptr);
    db.SetDatabaseName(Path);
    auto table = Open();
    EXPECT_THROW(
        db.Execute("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = sql WHERE name = 'secret'"),
        EDatabaseError);
    EXPECT_THROW(db.Execute("SELECT load_extension('nothing_here')"), EDatabaseError);
    EXPECT_EQ(SqliteCli(Path, "SELECT count(*) FROM secret;"), "1");
}

TEST_F(FilterFence, TheCurrentDateTimeAndStampAreAllowed) {
    auto table = Open();
    table->SetFiltered(true);
    for (const char* text : {"born < CURRENT_DATE", "born < date('now') AND CURRENT_TIME >= '00:00:00'",
                             "born < CURRENT_TIMESTAMP AND qty > 1"}) {
        table->SetFilter(text);
        std::string expected =
            SqliteCli(Path, "SELECT group_concat(code) FROM (SELECT code FROM item WHERE " +
                                std::string(text) + " ORDER BY id);");
        EXPECT_EQ(Codes(table.get()), expected) << text;
        EXPECT_FALSE(expected.empty()) << text;
    }
}

TEST_F(FilterFence, ARefusalNamesTheListOrFunctionRefused) {
    auto table = Open();
    const std::pair<const char*, const char*> cases[] = {
        {"code IN pragma_compile_options", "pragma_compile_options"},
        {"code IN pragma_table_list", "pragma_table_list"},
        {"code IN pragma_database_list", "pragma_database_list"},
        {"code IN pragma_module_list", "pragma_module_list"},
        {"code IN json_each('[\"short\"]')", "json_each"},
        {"code IN json_tree('[\"short\"]')", "json_tree"},
        {"code IN sqlite_master", "sqlite_master"},
        {"code IN secret", "secret"},
        {"sqlite_version() <> ''", "sqlite_version"},
    };
    for (const auto& [text, named] : cases) {
        try {
            table->SetFilter(text);
            table->SetFiltered(true);
            ADD_FAILURE() << "taken: " << text;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Invalid filter expression: '" + std::string(named) + "': " + SFilterRunsNoQuery);
        }
        table->SetFiltered(false);
    }
}

// 'o' made ten times longer Levels times over: 10^Levels bytes for "short".
std::string Grown(const std::string& Seed, int Levels) {
    std::string text = Seed;
    for (int i = 0; i < Levels; ++i) text = "replace(" + text + ", 'o', 'oooooooooo')";
    return text;
}

TEST_F(FilterFence, AFilterBuildsNoValueLargerThanTheDataCouldHold) {
    auto table = Open();
    table->SetFiltered(true);
    const std::string before = SqliteCli(Path, "SELECT group_concat(code) FROM item;");
    // 10 MB a row: more than this small file could hold
    std::string joined = Grown("code", 6);
    for (int i = 0; i < 9; ++i) joined += " || " + Grown("code", 6);
    for (const std::string& text : {"length(" + Grown("code", 7) + ") > 0", "length(" + joined + ") > 10",
                                    "instr(" + Grown("code || 'x'", 7) + ", 'x') > 0"}) {
        table->SetFilter("[qty] >= 2");
        try {
            table->SetFilter(text);
            ADD_FAILURE() << "taken: " << text;
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(std::string(e.what()), SFilterTooLarge) << text;
        }
        EXPECT_EQ(table->Filter(), "[qty] >= 2");
        EXPECT_EQ(Codes(table.get()), "long,plain");
    }
    // a million bytes a row is within the bound
    table->SetFilter("length(" + Grown("code", 6) + ") > 100");
    EXPECT_EQ(Codes(table.get()), "short,long");
    // the bound holds for the statement only: the records and the file are as they were
    EXPECT_EQ(SqliteCli(Path, "SELECT group_concat(code) FROM item;"), before);
}

TEST_F(FilterFence, ManyLargeValuesTogetherFailOnTheirMemory) {
    auto table = Open();
    table->SetFilter("[qty] >= 2");
    table->SetFiltered(true);
    // forty different values of 5 MB, all held at once: 200 MB
    std::string text = "max(";
    for (int i = 0; i < 40; ++i)
        text += (i ? ", " : "") + Grown("replace(code || '" + std::to_string(i) + "', 'o', 'ooooo')", 6);
    text += ") > ''";
    try {
        table->SetFilter(text);
        ADD_FAILURE() << "taken";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(std::string(e.what()), SFilterTooLarge);
    }
    EXPECT_EQ(Codes(table.get()), "long,plain");
    // the bound is off once the statement ends
    table->SetFilter("length(" + Grown("code", 6) + ") > 100");
    EXPECT_EQ(Codes(table.get()), "short,long");
}

TEST_F(FilterFence, ADatasetHoldingValuesLargerThanTheFloorFiltersThemWhole) {
    TDatabase db(nullptr);
    db.SetDatabaseName(Path);
    // a 9 MB text: the bound grows with the file
    db.Execute("UPDATE item SET code = replace(hex(zeroblob(4500000)), '0', 'a') || 'z' WHERE qty = 2");
    auto table = Open();
    table->SetFiltered(true);
    const char* text = "code LIKE '%az' AND length(code) > 8999999 AND substr(code, 5) <> code";
    table->SetFilter(text);
    ASSERT_EQ(table->RecordCount(), 1);
    EXPECT_EQ(table->FieldByName("qty")->AsInteger(), 2);
    EXPECT_EQ(SqliteCli(Path, "SELECT group_concat(qty) FROM item WHERE " + std::string(text) + ";"), "2");
}

}  // namespace
