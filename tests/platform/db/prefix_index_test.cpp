// A Filter text's LIKE or GLOB that begins with characters reads an index on
// its column (the connection's own like and glob are no functions SQLite's
// planner reads an index for), and gives the rows the sqlite3 tool gives on
// the same file: BLOBs, numbers, cases, escapes and texts outside ASCII
// alike, on a table and on queries. A query's rows have no rowid: a Filter
// text naming it is refused; a Filter text longer than the bound is refused
// at once.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/db/sqlite_connection.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

class TProbeTable : public TTable {
public:
    TProbeTable() : TTable(nullptr) {}
    using TTable::FilterCondition;
};

class TProbeQuery : public TQuery {
public:
    TProbeQuery() : TQuery(nullptr) {}
    using TQuery::FilterCondition;
};

class PrefixIndex : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("prefix.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), note TEXT, raw, num INTEGER);"
            "CREATE INDEX t_name ON t (name); CREATE INDEX t_raw ON t (raw);"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 300)"
            " INSERT INTO t (name, note, raw, num) SELECT 'n' || x, 'abc' || x, x, x FROM c;"
            "INSERT INTO t (name, note, raw, num) VALUES ('abc', 'abc', 'abc', 1), ('abcd', 'x', "
            "x'61626364', 2),"
            " ('ABC', 'ABC', 'ABCx', 3), ('ab', 'ab', 12, 4), ('abd', NULL, 123, 5), (x'616263', 'q', NULL, "
            "6),"
            " (x'61626365', 'q', 1234.5, 7), ('abcé', 'é', 'abé', 8), ('ab%c', NULL, 'a_c', 9),"
            " ('ab_c', '', x'', 10), (NULL, NULL, NULL, 11), ('abc' || char(0) || 'z', 'z', 'z', 12),"
            " ('ab' || char(127), 'k', 'k', 13), ('abé', 'k', 'k', 14), ('a[c', '', '', 15), ('a*c', '', '', "
            "16),"
            " (120, '', '', 17), ('12x', '', '', 18);");
    }
    // the ids the sqlite3 tool finds for a condition, case-sensitive like
    // (the Filter text's "= 'x*'" written as the GLOB it stands for)
    std::string CliIds(std::string Condition) {
        const size_t star = Condition.find(" = '");
        if (star != std::string::npos) Condition.replace(star, 3, " GLOB ");
        return SqliteCli(Path,
                         "PRAGMA case_sensitive_like = ON; SELECT group_concat(id, ',') FROM "
                         "(SELECT id FROM t WHERE " +
                             Condition + " ORDER BY id);");
    }
    static std::string Ids(TDataSet* Ds) {
        std::string out;
        for (Ds->First(); !Ds->Eof(); Ds->Next())
            out += (out.empty() ? "" : ",") + Ds->FieldByName("id")->AsString();
        return out;
    }
    // the plan of the table's filter statement, its lines joined
    std::string Plan(const std::string& Condition) {
        auto c = TSqliteConnection::Acquire(Path);
        const std::string sql = "EXPLAIN QUERY PLAN SELECT rowid FROM t WHERE (" + Condition + ")";
        sqlite3_stmt* st = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(c->Db(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            return std::string("error: ") + sqlite3_errmsg(c->Db());
        while (sqlite3_step(st) == SQLITE_ROW)
            out += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))) + ";";
        sqlite3_finalize(st);
        return out;
    }
    TTestEnvironment Env;
    std::string Path;
};

TEST_F(PrefixIndex, PrefixMatchesReadTheIndexWithTheToolsRows) {
    TProbeTable table;
    table.SetDatabaseName(Path);
    table.SetTableName("t");
    table.Open();
    const char* indexed[] = {"name LIKE 'abc%'",    "[name] GLOB 'abc*'",
                             "name = 'abc*'",       "(name LIKE 'ab%') AND id > 3",
                             "NOT name LIKE 'ab%'", "name LIKE 'ab\\%%' ESCAPE '\\'",
                             "name GLOB 'a[[]*'",   "name LIKE 'ab_c'",
                             "name LIKE 'abé%'",    "id < 5 OR name LIKE 'n1%'"};
    for (const char* f : indexed) {
        table.SetFilter(f);
        table.SetFiltered(true);
        const std::string condition = table.FilterCondition();
        EXPECT_NE(std::string::npos, Plan(condition).find("INDEX t_name")) << f << ": " << Plan(condition);
        EXPECT_EQ(CliIds(f), Ids(&table)) << f;
    }
    // a range would not hold every match, or the call stands in more: the call alone
    const char* alone[] = {
        "raw LIKE '12%'",       "num LIKE '1%'",           "name LIKE '%bc'",
        "name LIKE 'abc%' = 1", "name || 'x' LIKE 'abc%'", "id BETWEEN 1 AND name LIKE 'abc%'",
        "name NOT LIKE 'abc%'", "name LIKE '_bc%'",        "name LIKE 'Ab%'"};
    for (const char* f : alone) {
        table.SetFilter(f);
        table.SetFiltered(true);
        EXPECT_EQ(CliIds(f), Ids(&table)) << f;
    }
    // a query's column of TEXT affinity reads the table's index as well
    for (bool live : {false, true}) {
        TProbeQuery query;
        query.SetDatabaseName(Path);
        query.SetRequestLive(live);
        query.SQL()->SetText("SELECT id, name, raw FROM t ORDER BY id");
        query.Open();
        for (const char* f : {"name LIKE 'abc%'", "name = 'ab*'", "raw LIKE '12%'", "raw GLOB 'ab*'"}) {
            query.SetFilter(f);
            query.SetFiltered(true);
            EXPECT_EQ(CliIds(f), Ids(&query)) << f << (live ? " live" : "");
        }
        query.SetFilter("name LIKE 'abc%'");
        EXPECT_NE(std::string::npos, query.FilterCondition().find(">= 'abc' COLLATE BINARY"));
        query.SetFilter("raw LIKE 'ab%'");
        EXPECT_EQ(std::string::npos, query.FilterCondition().find(">="));
    }
}

TEST_F(PrefixIndex, QueryRowidAndLongTextsAreRefused) {
    TQuery query(nullptr);
    query.SetDatabaseName(Path);
    query.SQL()->SetText("SELECT id, name FROM t ORDER BY id");
    query.Open();
    query.SetFilter("id < 4");
    query.SetFiltered(true);
    EXPECT_EQ(3, query.RecordCount());
    for (const char* f : {"rowid < 10", "[rowid] < 10", "_ROWID_ = 1 OR oid = 2"}) {
        try {
            query.SetFilter(f);
            ADD_FAILURE() << f << " taken";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string::npos, e.Message().find("rowid")) << e.Message();
        }
        EXPECT_EQ(3, query.RecordCount()) << f;
    }
    // a query with a column of that name filters by it
    TQuery named(nullptr);
    named.SetDatabaseName(Path);
    named.SQL()->SetText("SELECT rowid AS rowid, name FROM t ORDER BY id");
    named.Open();
    named.SetFilter("rowid < 10");
    named.SetFiltered(true);
    EXPECT_EQ(9, named.RecordCount());
    // a table's rows have their own
    TTable table(nullptr);
    table.SetDatabaseName(Path);
    table.SetTableName("t");
    table.Open();
    table.SetFilter("rowid < 10");
    table.SetFiltered(true);
    EXPECT_EQ(9, table.RecordCount());
    // a text past the bound: refused at once, the filter as it was
    std::string big = "[name] IN ('x0'";
    for (int i = 1; big.size() <= TDBDataSet::MaxFilterTextLength; ++i)
        big += ",'x" + std::to_string(i) + "'";
    big += ")";
    try {
        table.SetFilter(big);
        ADD_FAILURE() << "a long text taken";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string::npos, e.Message().find("filter text")) << e.Message();
    }
    EXPECT_EQ("rowid < 10", table.Filter());
    EXPECT_EQ(9, table.RecordCount());
    table.SetFiltered(false);
    EXPECT_THROW(table.SetFilter(std::string(TDBDataSet::MaxFilterTextLength + 1, ' ')), EDatabaseError);
}

}  // namespace
