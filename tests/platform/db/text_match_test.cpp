// The connections' like(), glob(), instr(), replace() and trim() answer as the
// sqlite3 tool does on the same file: every value against every pattern
// (letters of several bytes, escapes, sets, NULLs, numbers, BLOBs, bytes
// that are no UTF-8), and the same errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

// SQL literals of the values looked in.
const std::vector<std::string> Values = {"'abc'",
                                         "'ABC'",
                                         "'abcabc'",
                                         "'aaa'",
                                         "''",
                                         "'a_b%c'",
                                         "'a\\b'",
                                         "'a!%c'",
                                         "'[x]'",
                                         "'*?'",
                                         "'a-b'",
                                         "'Émile'",
                                         "'éMILE'",
                                         "'ωMEGA ω'",
                                         "'日本語'",
                                         "'日日本'",
                                         "'x]y'",
                                         "'%%'",
                                         "'__'",
                                         "'ab'",
                                         "12",
                                         "3.5",
                                         "-7",
                                         "x''",
                                         "x'00'",
                                         "x'616263'",
                                         "x'61C3A962'",
                                         "x'C3'",
                                         "x'80'",
                                         "x'61006263'",
                                         "NULL",
                                         "CAST(x'C3A9C3' AS TEXT)",
                                         "CAST(x'610062' AS TEXT)",
                                         "CAST(x'C280' AS TEXT)",
                                         "CAST(x'EDA080' AS TEXT)",
                                         "CAST(x'E0808061' AS TEXT)",
                                         "'a^b'",
                                         "'-'",
                                         "'ü'"};

// SQL literals of the patterns, needles and texts replaced.
const std::vector<std::string> Patterns = {"'%'",
                                           "'_'",
                                           "'a%'",
                                           "'%a'",
                                           "'%b%'",
                                           "'a_c'",
                                           "'_%_'",
                                           "'%é%'",
                                           "'É_ile'",
                                           "'ω%'",
                                           "'%語'",
                                           "'日_語'",
                                           "'[a-c]*'",
                                           "'*[^a]*'",
                                           "'[]]*'",
                                           "'[a-]'",
                                           "'*?'",
                                           "'a\\_b'",
                                           "'a\\%c'",
                                           "'a!%c%'",
                                           "'%%%a%%'",
                                           "''",
                                           "'['",
                                           "'*[x'",
                                           "'[^]x]*'",
                                           "'[c-a]'",
                                           "'*[ω-日]*'",
                                           "'[-a]*'",
                                           "12",
                                           "1",
                                           "3.5",
                                           "x'61'",
                                           "x'00'",
                                           "x'C3'",
                                           "NULL",
                                           "'%\\'",
                                           "'a!'",
                                           "'ab*c'",
                                           "'?'",
                                           "'*a*b*c*'",
                                           "'%_%_%'",
                                           "'__'",
                                           "'b'",
                                           "'bc'",
                                           "'ω'",
                                           "'本'",
                                           "CAST(x'80' AS TEXT)",
                                           "CAST(x'A9' AS TEXT)",
                                           "'a*'",
                                           "'[^a-c]'",
                                           "'ü%'",
                                           "'%ü'",
                                           "'é'",
                                           "CAST(x'EFBFBD' AS TEXT)",
                                           "'%abab%'",
                                           "'%aab%b'",
                                           "'%aéaéb'",
                                           "'a%ab%ab'",
                                           "'%aba%bx%'",
                                           "'%bc'",
                                           "'%%c'",
                                           "' '",
                                           "' a'"};

// The escapes of like(P, X, E).
const std::vector<std::string> Escapes = {"'\\'", "'!'", "'%'", "'_'", "'é'", "'a'", "NULL", "x'80'"};

class TextMatch : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("match.db");
        Db.SetDatabaseName(Path);
        Db.Open();
        std::string sql =
            "CREATE TABLE v (id INTEGER PRIMARY KEY, x); CREATE TABLE p (id INTEGER PRIMARY KEY, y);";
        for (const std::string& v : Values) sql += "INSERT INTO v (x) VALUES (" + v + ");";
        for (const std::string& p : Patterns) sql += "INSERT INTO p (y) VALUES (" + p + ");";
        Db.Execute(sql);
    }
    // Each row of Sql's one column, a line each, as the engine reads them.
    std::string Rows(const std::string& Sql) {
        TQuery q(nullptr);
        q.SetDatabaseName(Path);
        q.SQL()->SetText(Sql);
        q.Open();
        std::string out;
        for (q.First(); !q.Eof(); q.Next())
            out += (out.empty() ? "" : "\n") + q.Fields()->Fields(0)->AsString();
        return out;
    }
    // The message of Sql's error, as the engine gives it.
    std::string Error(const std::string& Sql) {
        try {
            Rows(Sql);
        } catch (const EDBEngineError& e) {
            return e.what();
        }
        return "no error";
    }
    std::string Cli(const std::string& Sql) {
        return SqliteCli(Path, "PRAGMA case_sensitive_like = ON;\n" + Sql);
    }

    TTestEnvironment Env;
    std::string Path;
    TDatabase Db{nullptr};
};

// A column's value in the row text: N for NULL.
std::string Col(const std::string& Expr) { return " || '|' || ifnull(" + Expr + ", 'N')"; }

TEST_F(TextMatch, LikeGlobInstrReplaceAndTrimAnswerAsSqliteDoes) {
    std::string row = "v.id || ':' || p.id";
    row += Col("like(p.y, v.x)") + Col("glob(p.y, v.x)") + Col("instr(v.x, p.y)") + Col("instr(p.y, v.x)");
    row += Col("v.x LIKE p.y") + Col("v.x GLOB p.y") + Col("v.x NOT LIKE p.y");
    for (const std::string& e : Escapes) row += Col("like(p.y, v.x, " + e + ")");
    row += Col("hex(replace(v.x, p.y, '<é>'))") + Col("hex(replace(v.x, p.y, ''))") +
           Col("hex(replace(v.x, p.y, NULL))") + Col("hex(replace(p.y, v.x, x'00'))") +
           Col("typeof(replace(v.x, p.y, 'z'))");
    row += Col("hex(trim(v.x, p.y))") + Col("hex(ltrim(v.x, p.y))") + Col("hex(rtrim(v.x, p.y))") +
           Col("hex(trim(p.y, v.x))") + Col("hex(trim(' ' || v.x || ' '))") + Col("typeof(rtrim(v.x))");
    const std::string sql = "SELECT " + row + " FROM v, p ORDER BY v.id, p.id";
    const std::string ours = Rows(sql);
    EXPECT_EQ(std::count(ours.begin(), ours.end(), '\n') + 1,
              static_cast<long>(Values.size() * Patterns.size()));
    EXPECT_EQ(ours, Cli(sql + ";"));
    // the same within a statement that matches (a row kept or not)
    const std::string kept =
        "SELECT v.id || ':' || p.id FROM v, p WHERE v.x LIKE p.y ESCAPE '\\' OR v.x GLOB p.y ORDER BY v.id, "
        "p.id";
    EXPECT_EQ(Rows(kept), Cli(kept + ";"));
}

TEST_F(TextMatch, LongValuesAndPatternsAnswerAsSqliteDoes) {
    // many wildcards, long runs that fail late, letters of several bytes
    const std::string sql =
        "WITH t(s) AS (SELECT replace(hex(zeroblob(3000)), '0', 'aé') UNION ALL SELECT 'x' || "
        "replace(hex(zeroblob(2000)), '00', 'ab') || 'é'),"
        " q(y) AS (VALUES ('%' || replace(hex(zeroblob(40)), '0', 'aé') || '%'), ('%a%é%a%é%b%'),"
        " ('%' || replace(hex(zeroblob(40)), '0', 'ab') || 'é'), ('x%ab_b%bé'), ('%é'), ('%éé%'),"
        " ('*' || replace(hex(zeroblob(40)), '0', '[ab]') || '*'), ('*ab?a*[é]'))"
        " SELECT ifnull(t.s LIKE q.y, 'N') || '|' || ifnull(t.s GLOB q.y, 'N') || '|' || instr(t.s, q.y) || "
        "'|' ||"
        " instr(t.s, substr(q.y, 2, 30)) || '|' || length(replace(t.s, substr(q.y, 2, 7), 'zz')) || '|' ||"
        " length(trim(t.s, printf('%.*c', 3000, 'b') || substr(q.y, 2, 3)))"
        " FROM t, q";
    EXPECT_EQ(Rows(sql), Cli(sql + ";"));
}

TEST_F(TextMatch, ErrorsAreSqlitesOwn) {
    for (const std::string& sql :
         {"SELECT like('a', 'a', 'ab')", "SELECT like('a', 'a', '')", "SELECT like(NULL, 'a', 'xy')",
          "SELECT 'a' LIKE printf('%.*c', 50001, 'a')", "SELECT 'a' GLOB printf('%.*c', 50001, 'a')",
          "SELECT 'a' LIKE 'a' ESCAPE 'é!'", "SELECT like(printf('%.*c', 50001, 'a'), NULL)"}) {
        const std::string ours = Error(sql);
        EXPECT_NE(ours, "no error") << sql;
        EXPECT_NE(Cli(sql + ";").find(ours), std::string::npos) << sql << ": " << ours;
    }
    // at the limit, a NULL escape, a long BLOB: answers, not errors
    for (const std::string& sql :
         {"SELECT ifnull(printf('%.*c', 50000, 'a') LIKE printf('%.*c', 50000, 'a'), 'N')",
          "SELECT ifnull(like('a', 'a', NULL), 'N')", "SELECT like(zeroblob(50001), 'a')",
          "SELECT ifnull(like(NULL, 'a', '!'), 'N')"})
        EXPECT_EQ(Rows(sql), Cli(sql + ";")) << sql;
}

}  // namespace
