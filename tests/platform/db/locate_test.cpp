// Locate and Lookup over SQLite tables and queries: the database's answer
// against the walk over the records (the same dataset with the database
// left out) and against SQLite itself on the same file, with the dataset's
// order, Filter text, record filter, range and master records.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "platform/core/case_fold.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "support/environment.h"

namespace {

const std::vector<std::string> Names = {"Ωmega", "ωMEGA", "ΩMEGA ω", "omega", "ԱԲԳ",   "աբգ", "Աբգ",
                                        "ႠႡ",    "ⴀⴁ",    "Émile",   "éMILE", "émile", "abc", "ABC",
                                        "ab",    "abab",  "",        "Zeta",  "zeta",  "ǄA",  "ǆa"};

const std::vector<TLocateOptions> AllOptions = {
    {}, {loCaseInsensitive}, {loPartialKey}, {loCaseInsensitive, loPartialKey}};

// Keys to look for: every name, its fold and its upper case, prefixes of it,
// texts no record holds, the empty text and Null.
std::vector<Variant> TextKeys() {
    std::vector<Variant> keys;
    for (const std::string& n : Names) {
        keys.emplace_back(n);
        keys.emplace_back(FoldCase(n));
        keys.emplace_back(UnicodeUpperCase(n));
        if (n.size() > 2) keys.emplace_back(n.substr(0, 2));
    }
    for (const char* k : {"ⴀ", "ω", "é", "xyz", "abcd", "ΩBLOB", "ωblob", "ωB", "Ω", "ω"})
        keys.emplace_back(std::string(k));
    keys.push_back(Null());
    return keys;
}

class Locate : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("names.db");
        Db.SetDatabaseName(Path);
        Db.Open();
        Db.Execute(
            "CREATE TABLE p (id INTEGER PRIMARY KEY, name VARCHAR(20), num INTEGER, small SMALLINT, "
            "grp INTEGER, big BIGINT)");
        int i = 0;
        for (const std::string& n : Names) {
            const std::string num = i % 5 == 4 ? "NULL" : std::to_string(i % 7);
            Db.Execute("INSERT INTO p (name, num, small, grp, big) VALUES ('" + n + "', " + num + ", " +
                       std::to_string(i % 3) + ", " + std::to_string(i % 2) + ", " +
                       std::to_string((int64_t{i % 4} << 33) - 1) + ")");
            ++i;
        }
        // a null name; a stored integer a SMALLINT field reads cut (70000 as
        // 4464); an integer column holding texts
        Db.Execute("INSERT INTO p (name, num, small, grp) VALUES (NULL, 3, 70000, 1)");
        Db.Execute("INSERT INTO p (name, num, small, grp) VALUES ('omega', '12abc', 4464, 0)");
        Db.Execute("INSERT INTO p (name, num, small, grp) VALUES ('abc', '5', NULL, 1)");
        // a text with a zero byte reads up to it
        Db.Execute("INSERT INTO p (name, num, small, grp) VALUES (CAST(x'CEA90078' AS TEXT), 1, 1, 1)");
        // a text stored as a BLOB reads as that text
        Db.Execute("INSERT INTO p (name, num, small, grp) VALUES (x'CEA9424C4F42', 6, 0, 0)");
        Db.Execute("CREATE TABLE g (id INTEGER PRIMARY KEY, title VARCHAR(10))");
        Db.Execute("INSERT INTO g VALUES (0, 'even'), (1, 'odd')");
    }

    // Locate by the database and by the walk on the same dataset: the same
    // answer and the same record; the reads the database's answer took.
    void Agree(TDBDataSet* ds, const std::string& Fields, const Variant& Key, TLocateOptions Options,
               long* Reads = nullptr) {
        std::string keyText;
        for (const Variant& k : Key.IsArray() ? Key.ArrayItems() : std::vector<Variant>{Key})
            keyText += (k.IsNull() ? "<null>" : k.AsString()) + "|";
        const std::string what = Fields + " " + keyText + " " +
                                 std::to_string(Options.Contains(loCaseInsensitive)) +
                                 std::to_string(Options.Contains(loPartialKey));
        ds->First();
        ds->Next();
        ds->SetLocateByDatabase(false);
        const bool walked = ds->Locate(Fields, Key, Options);
        const int64_t walkedKey = ds->CurrentKey();
        ds->First();
        ds->Next();
        ds->SetLocateByDatabase(true);
        const long before = ds->RowReads();
        const bool asked = ds->Locate(Fields, Key, Options);
        if (Reads) *Reads = ds->RowReads() - before;
        EXPECT_EQ(walked, asked) << what;
        EXPECT_EQ(walkedKey, ds->CurrentKey()) << what;
        // Lookup finds the same record without moving
        const int64_t here = ds->CurrentKey();
        if (Options.Empty()) {
            ds->SetLocateByDatabase(false);
            const Variant walkedId = ds->Lookup(Fields, Key, "id");
            ds->SetLocateByDatabase(true);
            const Variant askedId = ds->Lookup(Fields, Key, "id");
            EXPECT_EQ(walkedId.IsNull(), askedId.IsNull()) << what;
            if (!walkedId.IsNull() && !askedId.IsNull()) {
                EXPECT_EQ(walkedId.AsInt64(), askedId.AsInt64()) << what;
            }
            EXPECT_EQ(walked, !askedId.IsNull()) << what;
            EXPECT_EQ(here, ds->CurrentKey()) << what;
        }
    }

    void AgreeOnTexts(TDBDataSet* ds) {
        for (const Variant& key : TextKeys())
            for (const TLocateOptions& options : AllOptions) Agree(ds, "name", key, options);
    }

    void AgreeOnNumbers(TDBDataSet* ds) {
        for (int k = -1; k < 8; ++k) {
            Agree(ds, "num", Variant(k), {});
            Agree(ds, "small", Variant(k), {});
        }
        Agree(ds, "num", Variant(12), {});
        Agree(ds, "num", Variant(static_cast<int64_t>(5)), {});
        Agree(ds, "num", Variant("5"), {loPartialKey});
        Agree(ds, "small", Variant(4464), {});
        for (int k = 0; k < 4; ++k) Agree(ds, "big", Variant((int64_t{k} << 33) - 1), {});
        Agree(ds, "big", Variant(-1), {});
        Agree(ds, "num", Null(), {});
        Agree(ds, "small", Null(), {});
        for (const Variant& key : {Variant("omega"), Variant("ABC"), Variant("ab")})
            for (int k = 0; k < 4; ++k)
                for (const TLocateOptions& options : AllOptions)
                    Agree(ds, "name;small", VarArrayOf({key, Variant(k)}), options);
    }

    std::unique_ptr<TTable> Table() {
        auto t = std::make_unique<TTable>(nullptr);
        t->SetDatabaseName(Path);
        t->SetTableName("p");
        return t;
    }

    TTestEnvironment Env;
    std::string Path;
    TDatabase Db{nullptr};
};

TEST_F(Locate, TablesInTheirOrderAnswerAsTheWalk) {
    auto t = Table();
    t->Open();
    AgreeOnTexts(t.get());
    AgreeOnNumbers(t.get());
    // sorted by name without case, and by name descending: the first match in that order
    t->SetIndexFieldNames("name");
    AgreeOnTexts(t.get());
    Db.Execute("CREATE INDEX bynamedesc ON p (name COLLATE FOLD DESC, num)");
    t->Close();
    t->SetIndexName("bynamedesc");
    t->Open();
    AgreeOnTexts(t.get());
    AgreeOnNumbers(t.get());
    // the first in the dataset's order, not the database's
    ASSERT_TRUE(t->Locate("name", Variant("ΩM"), {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ("ΩMEGA ω", t->FieldByName("name")->AsString());
}

TEST_F(Locate, ANullDateFindsTheTextThatIsNoDateAsTheWalkDoes) {
    // a date column's text that is no date, or a number in it, reads as null
    Db.Execute("CREATE TABLE d (id INTEGER PRIMARY KEY, day DATE, at TIME, stamp DATETIME)");
    Db.Execute(
        "INSERT INTO d (day, at, stamp) VALUES ('2020-01-01', '10:00:00', '2020-01-01 10:00:00'),"
        " ('soon', 'noon', 2459000.5), (NULL, NULL, NULL)");
    TTable t(nullptr);
    t.SetDatabaseName(Path);
    t.SetTableName("d");
    t.Open();
    for (const char* field : {"day", "at", "stamp"}) {
        Agree(&t, field, Null(), {});
        t.SetLocateByDatabase(true);
        t.Last();
        ASSERT_TRUE(t.Locate(field, Null(), {})) << field;
        EXPECT_EQ(t.FieldByName("id")->AsInteger(), 2) << field;
    }
}

TEST_F(Locate, AValueLongerThanTheFieldIsFoundWholeAsTheFieldShowsIt) {
    auto t = Table();
    t->Open();
    // written by another user after the open, longer than the field: shown whole
    TDatabase other(nullptr);
    other.SetDatabaseName(Path);
    other.Execute("INSERT INTO p (name) VALUES ('abcdefghijklmnopqrstuvwxyz')");
    t->Refresh();
    const Variant whole("abcdefghijklmnopqrstuvwxyz");
    Agree(t.get(), "name", whole, {});
    ASSERT_TRUE(t->Locate("name", whole, {}));
    EXPECT_EQ(whole.AsString(), t->FieldByName("name")->AsString());
    Agree(t.get(), "name", Variant("abcdefghijklmnopqrst"), {});
    EXPECT_FALSE(t->Locate("name", Variant("abcdefghijklmnopqrst"), {}));
    Agree(t.get(), "name", Variant("ABCDEFGHIJKLMNOPQRSTU"), {loCaseInsensitive, loPartialKey});
}

// A column declared TEXT (a memo field) is asked as a VARCHAR one: the same
// answers as the walk, from a few records read.
TEST_F(Locate, ATextColumnIsAskedAsAVarcharOne) {
    Db.Execute("CREATE TABLE m (id INTEGER PRIMARY KEY, name TEXT, num INTEGER)");
    Db.Execute("INSERT INTO m SELECT id, name, num FROM p");
    TTable t(nullptr);
    t.SetDatabaseName(Path);
    t.SetTableName("m");
    t.Open();
    ASSERT_EQ(t.FieldByName("name")->DataType(), ftMemo);
    AgreeOnTexts(&t);
    for (const TLocateOptions& options : AllOptions) {
        long reads = 0;
        Agree(&t, "name", Variant("zeta"), options, &reads);
        EXPECT_LE(reads, 4) << options.Contains(loCaseInsensitive) << options.Contains(loPartialKey);
        Agree(&t, "name", Variant("ԱԲ"), options, &reads);
        EXPECT_LE(reads, 6) << options.Contains(loCaseInsensitive) << options.Contains(loPartialKey);
    }
    // with the number: keys of two fields
    long reads = 0;
    Agree(&t, "name;num", VarArrayOf({Variant("abc"), Variant(5)}), {}, &reads);
    EXPECT_LE(reads, 4);
}

TEST_F(Locate, FilteredRangedAndDetailTablesAnswerOnlyWithWhatTheyShow) {
    auto t = Table();
    t->Open();
    t->SetFilter("num >= 3");
    t->SetFiltered(true);
    AgreeOnTexts(t.get());
    AgreeOnNumbers(t.get());
    // a record filter the database cannot see: its candidates are the shown ones
    int calls = 0;
    t->SetOnFilterRecord(TFilterRecordEvent([&](TDataSet* ds, bool& accept) {
        ++calls;
        accept = ds->FieldByName("small")->AsInteger() != 1;
    }));
    ASSERT_GT(calls, 0);
    AgreeOnTexts(t.get());
    AgreeOnNumbers(t.get());
    EXPECT_FALSE(t->Locate("small", Variant(1), {}));
    t->SetFiltered(false);
    t->SetOnFilterRecord(TFilterRecordEvent());
    // a range over an index
    t->SetIndexFieldNames("num;name");
    t->SetRange({Variant(2)}, {Variant(4)});
    AgreeOnTexts(t.get());
    AgreeOnNumbers(t.get());
    t->CancelRange();
    // the records of the master's group only
    auto groups = std::make_unique<TTable>(nullptr);
    groups->SetDatabaseName(Path);
    groups->SetTableName("g");
    groups->Open();
    TDataSource source(nullptr);
    source.SetDataSet(groups.get());
    t->Close();
    t->SetIndexFieldNames("grp;name");
    t->SetMasterSource(&source);
    t->SetMasterFields("id");
    t->Open();
    for (int g = 0; g < 2; ++g) {
        AgreeOnTexts(t.get());
        AgreeOnNumbers(t.get());
        for (t->First(); !t->Eof(); t->Next()) {
            const Variant key = t->FieldByName("name")->AsVariant();
            const TBookmark mark = t->Bookmark();
            t->Last();
            ASSERT_TRUE(t->Locate("name", key, {})) << g;
            EXPECT_LE(t->CompareBookmarks(t->Bookmark(), mark), 0);
            EXPECT_EQ(g, t->FieldByName("grp")->AsInteger());
            t->GotoBookmark(mark);
        }
        groups->Next();
    }
}

TEST_F(Locate, LiveQueriesInTheirOrderAndOtherQueriesAnswerAsTheWalk) {
    TQuery live(nullptr);
    live.SetDatabaseName(Path);
    live.SetRequestLive(true);
    live.SQL()->SetText(
        "SELECT id, name, num, small, big FROM p WHERE grp = 1 OR num IS NULL "
        "ORDER BY name COLLATE FOLD DESC, id DESC");
    live.Open();
    ASSERT_TRUE(live.CanModifyQuery());
    AgreeOnTexts(&live);
    AgreeOnNumbers(&live);
    live.SetFilter("small <> 2");
    live.SetFiltered(true);
    AgreeOnTexts(&live);
    AgreeOnNumbers(&live);
    // a query that is not live: the walk
    TQuery plain(nullptr);
    plain.SetDatabaseName(Path);
    plain.SQL()->SetText("SELECT id, name, num, small FROM p ORDER BY name DESC");
    plain.Open();
    AgreeOnTexts(&plain);
}

// A connection of the test's own to the file: SQLite as it comes.
int64_t FirstRowid(const std::string& Path, const std::string& Sql, const std::string& Text) {
    sqlite3* db = nullptr;
    sqlite3_open(Path.c_str(), &db);
    sqlite3_stmt* st = nullptr;
    int64_t id = 0;
    if (sqlite3_prepare_v2(db, Sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(st, 1, Text.data(), static_cast<int>(Text.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW) id = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return id;
}

TEST_F(Locate, TheDatabaseAnswersWithoutReadingTheRecords) {
    Db.Execute("CREATE TABLE big (id INTEGER PRIMARY KEY, name VARCHAR(20), num INTEGER)");
    Db.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
        "INSERT INTO big (name, num) SELECT 'Ωname ' || i, i FROM n");
    TTable t(nullptr);
    t.SetDatabaseName(Path);
    t.SetTableName("big");
    t.Open();
    long reads = 0;
    Agree(&t, "name", Variant("ωNAME 4999"), {loCaseInsensitive}, &reads);
    EXPECT_LT(reads, 50);
    Agree(&t, "num", Variant(4321), {}, &reads);
    EXPECT_LT(reads, 50);
    Agree(&t, "name", Variant("ωname 49"), {loCaseInsensitive, loPartialKey}, &reads);
    EXPECT_LT(reads, 50);
    EXPECT_EQ(FirstRowid(Path, "SELECT min(rowid) FROM big WHERE name LIKE ? || '%'", "Ωname 49"),
              t.CurrentKey());
    Agree(&t, "name", Variant("nothing"), {}, &reads);
    EXPECT_LT(reads, 50);
    // the walk reads them all
    t.SetLocateByDatabase(false);
    const long before = t.RowReads();
    EXPECT_FALSE(t.Locate("name", Variant("nothing"), {}));
    EXPECT_GE(t.RowReads() - before, 5000);
    // keys the database cannot compare as the walk does: the walk
    t.SetLocateByDatabase(true);
    EXPECT_TRUE(t.Locate("num", Variant(12.0), {}));
    EXPECT_EQ(12, t.FieldByName("num")->AsInteger());
}

}  // namespace
