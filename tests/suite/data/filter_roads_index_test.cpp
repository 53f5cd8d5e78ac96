// The filter dialog's roads over an SQLite file, each against the sqlite3
// tool on the same file: a case-sensitive start match reads the index of its
// column on the SQL road and gives the tool's rows on every road; a start
// match on a REAL field is one of its text, as the record test reads it; a
// criterion on a column declared TEXT (a memo) is answered by the database
// as the record test reads a memo; and a text range gives one set of rows on
// every road in a file of UTF-16le and in its UTF-8 copy.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/db/sqlite_connection.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/base/qzintl.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"
#include "support/suite/data/filter_criteria.h"

namespace {

// The roads a criterion takes: the record filter (criteria handed to the
// database), the record test alone, the Filter text without and with like,
// and the SQL road of a query.
enum TWay { wyRecord, wyRecordTest, wyText, wyTextLike, wySql };
const TWay AllWays[] = {wyRecord, wyRecordTest, wyText, wyTextLike, wySql};
const char* const WayNames[] = {"record", "record test", "Filter text", "Filter text with like", "SQL"};

class FilterRoadsIndex : public ::testing::Test {
protected:
    // A file of Encoding with the rows below, made by the sqlite3 tool.
    std::string MakeFile(const std::string& Name, const std::string& Encoding) {
        const std::string path = Env.Path(Name);
        const std::string made = SqliteCli(
            path,
            "PRAGMA encoding = '" + Encoding +
                "';"
                "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(20), price REAL, notes TEXT);"
                "CREATE INDEX cust_name ON cust (name);"
                "INSERT INTO cust (name, price, notes) VALUES ('abc', 99, 'abcdef'), ('ABC', 99.5, 'ABCDEF'),"
                " ('abd', 990, 'ab'), ('ab', 199, NULL), ('xab', 9.9, ''), ('Émile', 1, 'Émile ou'),"
                " ('émile', 1.25, 'émile'), ('ärger', 10, 'x'), ('Ärger', NULL, 'Ärger ärger'),"
                " ('ß', 0.5, 'ßtraße'), ('straße', -99, 'st'), ('Zoo', 1e20, 'zoo'), ('zebra', 3, 'ZEBRA'),"
                " ('ǅ', 99.25, 'ǅǆ'), ('日本', 7, '日本語'), (NULL, 8, 'abcdef'), ('', 9, 'a'),"
                " ('ab%c', 990.5, 'ab%c'), ('a_bc', 12, 'a_bc');"
                "PRAGMA encoding;");
        EXPECT_EQ(made, Encoding);
        return path;
    }
    // The ids (sorted, joined) a criterion set selects on a road.
    std::string Ids(const std::string& Path, TWay Road, const TqzFieldInfoList& Criteria) {
        TForm form(nullptr);
        TDBDataSet* ds = nullptr;
        if (Road == wySql) {
            auto* q = new TqzQuery(&form);
            q->SetDatabaseName(Path);
            q->SQL()->SetText("SELECT id, name, price, notes FROM cust");
            ds = q;
        } else {
            auto* t = new TqzTable(&form);
            t->SetDatabaseName(Path);
            t->SetTableName("cust");
            ds = t;
        }
        ds->Open();
        TDataSource src(&form);
        src.SetDataSet(ds);
        auto* dialog = new TqzFilterDialog(&form);
        dialog->SetDataSource(&src);
        if (Road == wySql) dialog->SetFilterMethod(fdByQueryModify);
        if (Road == wyText || Road == wyTextLike) {
            dialog->FilterPropertyOptions()->DatasetFilterType = fdUseFilterProp;
            dialog->FilterPropertyOptions()->UseLikeOperator = Road == wyTextLike;
            dialog->FilterPropertyOptions()->LikeSupportsUpperKeyword = Road == wyTextLike;
        }
        if (Road == wyRecordTest)
            dialog->SetOnAcceptFilterRecord(
                TqzAcceptFilterRecordEvent([](TObject*, TDataSet*, bool&, bool&) {}));
        dialog->Criteria() = Criteria;
        EXPECT_TRUE(dialog->ApplyFilter()) << WayNames[Road];
        if (Road == wyRecord) Handed = dialog->HandedToDatabase(0);
        if (Road == wySql) SqlText = static_cast<TqzQuery*>(ds)->SQL()->Text();
        std::vector<int> ids;
        for (ds->First(); !ds->Eof(); ds->Next()) ids.push_back(ds->FieldByName("id")->AsInteger());
        std::sort(ids.begin(), ids.end());
        std::string out;
        for (int id : ids) out += (out.empty() ? "" : ",") + std::to_string(id);
        return out;
    }
    // The tool's ids for a condition.
    std::string CliIds(const std::string& Path, const std::string& Condition) {
        return SqliteCli(Path,
                         "PRAGMA case_sensitive_like = ON; SELECT group_concat(id, ',') FROM (SELECT id FROM "
                         "cust WHERE " +
                             Condition + " ORDER BY id);");
    }
    // The plan of a statement on the program's own connection, its lines joined.
    static std::string Plan(const std::string& Path, const std::string& Sql) {
        auto c = TSqliteConnection::Acquire(Path);
        const std::string explain = "EXPLAIN QUERY PLAN " + Sql;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(c->Db(), explain.c_str(), -1, &st, nullptr) != SQLITE_OK)
            return std::string("error: ") + sqlite3_errmsg(c->Db());
        std::string out;
        while (sqlite3_step(st) == SQLITE_ROW)
            out += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))) + ";";
        sqlite3_finalize(st);
        return out;
    }

    TTestEnvironment Env;
    TTestDialogs Dialogs;
    bool Handed = false;
    std::string SqlText;
};

TEST_F(FilterRoadsIndex, CaseSensitiveStartsReadTheIndexWithTheToolsRows) {
    const std::string path = MakeFile("start.db", "UTF-8");
    for (const char* value : {"ab", "ab%", "a_", "Ém", "日", "ab or ABC", "xa"}) {
        const TqzFieldInfoList criteria = {Crit("name", fdMatchStart, value, true)};
        std::string condition;
        for (const char* item : {"ab", "ab%", "a_", "Ém", "日", "xa"})
            if (std::string(value) == item)
                condition = std::string("substr(name, 1, length('") + item + "')) = '" + item + "'";
        if (std::string(value) == "ab or ABC") condition = "name GLOB 'ab*' OR name GLOB 'ABC*'";
        const std::string expected = CliIds(path, condition);
        for (TWay road : AllWays)
            EXPECT_EQ(Ids(path, road, criteria), expected) << value << " " << WayNames[road];
        EXPECT_EQ(0, Dialogs.Count());
    }
    // the SQL road's text reads the index of the name
    Ids(path, wySql, {Crit("name", fdMatchStart, "ab", true)});
    EXPECT_NE(SqlText.find(">= 'ab' COLLATE BINARY"), std::string::npos) << SqlText;
    EXPECT_NE(Plan(path, SqlText).find("INDEX cust_name"), std::string::npos) << Plan(path, SqlText);
    // not matching: the rest, nulls among them as the record test reads them
    const TqzFieldInfoList other = {Crit("name", fdMatchStart, "ab", true, true)};
    const std::string rest = Ids(path, wyRecordTest, other);
    for (TWay road : {wyRecord, wyTextLike, wySql}) EXPECT_EQ(Ids(path, road, other), rest) << WayNames[road];
}

TEST_F(FilterRoadsIndex, RealStartMatchesAreMatchesOfTheText) {
    const std::string path = MakeFile("real.db", "UTF-8");
    for (const char* value : {"99", "1", "9.9", "-9", "99 or 3"}) {
        const std::string expected = Ids(path, wyRecordTest, {Crit("price", fdMatchStart, value)});
        EXPECT_FALSE(expected.empty()) << value;
        for (TWay road : AllWays)
            EXPECT_EQ(Ids(path, road, {Crit("price", fdMatchStart, value)}), expected)
                << value << " " << WayNames[road];
        const std::string rest = Ids(path, wyRecordTest, {Crit("price", fdMatchStart, value, false, true)});
        for (TWay road : AllWays)
            EXPECT_EQ(Ids(path, road, {Crit("price", fdMatchStart, value, false, true)}), rest)
                << value << " " << WayNames[road];
    }
    // as the tool reads a REAL's text
    EXPECT_EQ(Ids(path, wySql, {Crit("price", fdMatchStart, "99")}), CliIds(path, "price LIKE '99%'"));
    EXPECT_EQ(0, Dialogs.Count());
}

TEST_F(FilterRoadsIndex, TextColumnCriteriaGoToTheDatabaseAsTheRecordTestReadsThem) {
    const std::string path = MakeFile("memo.db", "UTF-8");
    const int old = qzIntl()->FilterMemoSize();
    const std::vector<TqzFieldInfoList> cases = {
        {Crit("notes", fdMatchStart, "abc")},
        {Crit("notes", fdMatchStart, "abc", true)},
        {Crit("notes", fdMatchAny, "ÄRG")},
        {Crit("notes", fdMatchExact, "zoo or st")},
        {Crit("notes", fdMatchExact, "abcdef", true)},
        {Crit("notes", fdMatchExact, "null")},
        {Crit("notes", fdMatchAny, "ou", false, true)},
        {Crit("notes", fdMatchStart, "ß")},
        {Crit("notes", fdMatchAny, "語")},
        {Crit("notes", fdMatchAny, "%")},
    };
    for (int size : {old, 3, 4, 0}) {
        qzIntl()->SetFilterMemoSize(size);
        for (const TqzFieldInfoList& c : cases) {
            const std::string expected = Ids(path, wyRecordTest, c);
            EXPECT_EQ(Ids(path, wyRecord, c), expected) << c[0].FilterValue << " at " << size;
            EXPECT_TRUE(Handed) << c[0].FilterValue;
        }
    }
    qzIntl()->SetFilterMemoSize(old);
    // an end match stays the record test's
    EXPECT_EQ(Ids(path, wyRecord, {Crit("notes", fdMatchEnd, "def")}),
              Ids(path, wyRecordTest, {Crit("notes", fdMatchEnd, "def")}));
    EXPECT_FALSE(Handed);
}

TEST_F(FilterRoadsIndex, Utf16RangesGiveTheRowsOfAUtf8Copy) {
    const std::string utf8 = MakeFile("copy8.db", "UTF-8");
    const std::vector<TqzFieldInfoList> cases = {
        {Range("name", "a", "ß")},  {Range("name", "É", "")},  {Range("name", "", "z")},
        {Range("name", "Z", "日")}, {Range("name", "ä", "ǅ")},
    };
    for (const char* encoding : {"UTF-16le", "UTF-16be"}) {
        const std::string path = MakeFile(std::string(encoding) + ".db", encoding);
        for (const TqzFieldInfoList& c : cases) {
            for (bool caseSensitive : {false, true}) {
                TqzFieldInfoList criteria = c;
                criteria[0].CaseSensitive = caseSensitive;
                const std::string expected = Ids(utf8, wyRecordTest, criteria);
                for (TWay road : AllWays) {
                    if (road == wyText && !caseSensitive) continue;  // (no case-blind text without like)
                    EXPECT_EQ(Ids(path, road, criteria), expected)
                        << encoding << " " << c[0].FieldName << " " << c[0].MinValue << ".." << c[0].MaxValue
                        << (caseSensitive ? " with case " : " ") << WayNames[road];
                }
            }
        }
    }
    EXPECT_EQ(0, Dialogs.Count());
}

TEST_F(FilterRoadsIndex, TableFieldsOfTheSqlRoadAreTheOpenTablesFields) {
    const std::string path = MakeFile("fields.db", "UTF-8");
    SqliteCli(path, "INSERT INTO cust (name) VALUES ('a name longer than its declared twenty');");
    TTable table(nullptr);
    table.SetDatabaseName(path);
    table.SetTableName("cust");
    table.Open();
    TForm form(nullptr);
    auto* query = new TqzQuery(&form);
    query->SetDatabaseName(path);
    query->SQL()->SetText("SELECT c.id, c.name FROM cust c");
    query->Open();
    TDataSource src(&form);
    src.SetDataSet(query);
    auto* dialog = new TqzFilterDialog(&form);
    dialog->SetDataSource(&src);
    dialog->SetFilterMethod(fdByQueryModify);
    dialog->SetFieldsFetchMethod(fmUseTTable);
    dialog->LoadFields();
    ASSERT_EQ(dialog->FieldList().size(), static_cast<size_t>(table.FieldCount()));
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TqzDBFieldInfo& f = dialog->FieldList()[static_cast<size_t>(i)];
        TField* field = table.Fields()->Fields(i);
        EXPECT_EQ(f.FieldName, field->FieldName());
        EXPECT_EQ(f.DataType, field->DataType()) << f.FieldName;
        EXPECT_EQ(f.Size, field->Size()) << f.FieldName;
        EXPECT_EQ(f.DisplayLabel, field->DisplayLabel());
        EXPECT_EQ(f.TableName, "cust");
    }
    dialog->Criteria() = {Crit("name", fdMatchStart, "a name", true)};
    EXPECT_TRUE(dialog->ApplyFilter());
    EXPECT_EQ(query->RecordCount(), 1);
}

}  // namespace
