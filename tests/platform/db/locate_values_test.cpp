// Locate over SQLite for every kind of stored value the database's answer
// must take as the walk does: texts cut by a zero byte or the field's size,
// case pairs inside and outside ASCII (and the ones the fold leaves alone),
// bytes that are no UTF-8, numbers and BLOBs in text columns, reals, texts
// and values past the range in integer columns, and the row id.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/case_fold.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "support/environment.h"

namespace {

const std::vector<TLocateOptions> EveryOption = {
    {}, {loCaseInsensitive}, {loPartialKey}, {loCaseInsensitive, loPartialKey}};

// Stored in a VARCHAR(8) column (texts) and in a column without a type (as
// given: numbers, BLOBs). x'E284AA' is the Kelvin sign, x'C5BF' a long s,
// x'C39F' a sharp s: the fold leaves them as they are.
const std::vector<std::string> Values = {"'abc'",
                                         "'ABC'",
                                         "'aBc'",
                                         "'abcd'",
                                         "'ab'",
                                         "''",
                                         "NULL",
                                         "CAST(x'61626300787A' AS TEXT)",
                                         "CAST(x'41424300' AS TEXT)",
                                         "CAST(x'61620063' AS TEXT)",
                                         "CAST(x'00616263' AS TEXT)",
                                         "CAST(x'E284AA656C76696E' AS TEXT)",
                                         "'kelvin'",
                                         "CAST(x'C5BF746F70' AS TEXT)",
                                         "'STOP'",
                                         "'stra' || CAST(x'C39F' AS TEXT) || 'e'",
                                         "'STRASSE'",
                                         "'Émile'",
                                         "'éMILE'",
                                         "'@x'",
                                         "'Ax'",
                                         "'`x'",
                                         "'[x'",
                                         "'{x'",
                                         "CAST(x'617F' AS TEXT)",
                                         "CAST(x'61FF62' AS TEXT)",
                                         "CAST(x'FF' AS TEXT)",
                                         "CAST(x'C3' AS TEXT)",
                                         "CAST(x'61C3' AS TEXT)",
                                         "CAST(x'C389' AS TEXT)",
                                         "'12'",
                                         "'1.5'",
                                         "'Inf'",
                                         "'fizZ'",
                                         "'FIZZY'",
                                         "'z'"};
const std::vector<std::string> RawValues = {
    "12",        "-3",          "1.5",           "0.1", "1e999",   "-1e999", "100000000000000000000.0",
    "x'616263'", "x'41424300'", "x'41424300FF'", "x''", "x'C389'", "x'FF'",  "'abc'",
    "NULL"};

std::vector<std::string> KeysOfTexts() {
    std::vector<std::string> keys = {"abc",
                                     "ABC",
                                     "ab",
                                     "abcd",
                                     "",
                                     "kelvin",
                                     "KELVIN",
                                     "\xE2\x84\xAA"
                                     "elvin",
                                     "stop",
                                     "\xC5\xBFtop",
                                     "STRASSE",
                                     "stra\xC3\x9F"
                                     "e",
                                     "ÉMILE",
                                     "émile",
                                     "Émile",
                                     "é",
                                     "É",
                                     "@",
                                     "@x",
                                     "@X",
                                     "`",
                                     "[x",
                                     "{",
                                     "a\x7F",
                                     "A\x7F",
                                     "\xFF",
                                     "a\xFF",
                                     "a\xFF"
                                     "b",
                                     "\xC3",
                                     "a\xC3",
                                     "12",
                                     "1",
                                     "-3",
                                     "1.5",
                                     "1.",
                                     "0.1",
                                     "Inf",
                                     "INF",
                                     "inf",
                                     "-Inf",
                                     "1e+20",
                                     "xyz",
                                     "abcdefgh",
                                     "abcdefghij",
                                     "FIZ",
                                     "fiZ",
                                     "fizz",
                                     "Z",
                                     "z"};
    // a zero byte inside a key
    keys.push_back(std::string("abc\0", 4));
    keys.push_back(std::string("ab\0c", 4));
    return keys;
}

class LocateValues : public ::testing::Test {
protected:
    void SetUp() override { Path = Env.Path("values.db"); }

    void Make(const std::string& Encoding = "") {
        Db.SetDatabaseName(Path);
        Db.Open();
        if (!Encoding.empty()) Db.Execute("PRAGMA encoding = '" + Encoding + "'");
        Db.Execute("CREATE TABLE v (id INTEGER PRIMARY KEY, name VARCHAR(8), raw)");
        for (const std::string& value : Values) Db.Execute("INSERT INTO v (name) VALUES (" + value + ")");
        for (const std::string& value : RawValues) Db.Execute("INSERT INTO v (raw) VALUES (" + value + ")");
    }

    std::unique_ptr<TTable> Open(const std::string& Name) {
        auto t = std::make_unique<TTable>(nullptr);
        t->SetDatabaseName(Path);
        t->SetTableName(Name);
        t->Open();
        return t;
    }

    // Locate by the database and by the walk from the same record (the first,
    // and the last when asked): the same answer.
    void Agree(TDBDataSet* ds, const std::string& Field, const Variant& Key, TLocateOptions Options,
               bool FromLastToo = true) {
        std::string text = Key.IsNull() ? "<null>" : Key.AsString();
        for (char& c : text)
            if (c == '\0') c = '0';
        const std::string what = Field + " [" + text + "] " +
                                 std::to_string(Options.Contains(loCaseInsensitive)) +
                                 std::to_string(Options.Contains(loPartialKey));
        for (const bool fromLast : {false, true}) {
            if (fromLast && !FromLastToo) break;
            fromLast ? ds->Last() : ds->First();
            ds->SetLocateByDatabase(false);
            const bool walked = ds->Locate(Field, Key, Options);
            const int64_t walkedKey = ds->CurrentKey();
            fromLast ? ds->Last() : ds->First();
            ds->SetLocateByDatabase(true);
            const bool asked = ds->Locate(Field, Key, Options);
            EXPECT_EQ(walked, asked) << what;
            EXPECT_EQ(walkedKey, ds->CurrentKey()) << what;
        }
    }

    void AgreeOnTexts(TDBDataSet* ds, const std::string& Field, bool FromLastToo = true) {
        for (const std::string& key : KeysOfTexts())
            for (const TLocateOptions& options : EveryOption)
                Agree(ds, Field, Variant(key), options, FromLastToo);
    }

    TTestEnvironment Env;
    std::string Path;
    TDatabase Db{nullptr};
};

TEST_F(LocateValues, TextsAndOtherValuesInTextColumnsAreFoundAsTheWalkFindsThem) {
    Make();
    auto t = Open("v");
    AgreeOnTexts(t.get(), "name");
    AgreeOnTexts(t.get(), "raw");
    // each value alone: a value the database missed would show here
    for (const std::string& value : Values) {
        Db.Execute("DELETE FROM v");
        Db.Execute("INSERT INTO v (name, raw) VALUES (" + value + ", " + value + ")");
        t->Refresh();
        AgreeOnTexts(t.get(), "name", false);
        AgreeOnTexts(t.get(), "raw", false);
    }
    for (const std::string& value : RawValues) {
        Db.Execute("DELETE FROM v");
        Db.Execute("INSERT INTO v (raw) VALUES (" + value + ")");
        t->Refresh();
        AgreeOnTexts(t.get(), "raw", false);
    }
}

TEST_F(LocateValues, ValuesLongerThanTheFieldAreFoundCutAsTheFieldShowsThem) {
    Make();
    auto t = Open("v");
    // written after the open: longer than the field (8 bytes), shown cut
    TDatabase other(nullptr);
    other.SetDatabaseName(Path);
    for (const char* value :
         {"'abcdefghij'", "'ABCDEFGH'", "'abcdefgh' || CAST(x'00' AS TEXT) || 'z'",
          "'abcdefg' || CAST(x'C389' AS TEXT)", "'ABCDEFG' || CAST(x'E284AA' AS TEXT)", "'@@@@@@@@x'",
          "'abc' || CAST(x'00' AS TEXT) || 'defghijk'", "x'61626364656667686969'"})
        other.Execute("INSERT INTO v (name, raw) VALUES (" + std::string(value) + ", " + value + ")");
    t->Refresh();
    std::vector<std::string> keys = {"abcdefgh",        "ABCDEFGH", "abcdefg",   "abcdefg\xC3", "ABCDEFG\xE2",
                                     "abcdefg\xC3\x89", "@@@@@@@@", "@@@@@@@@x", "abcdefghij",  "abc"};
    for (const std::string& key : keys)
        for (const TLocateOptions& options : EveryOption) {
            Agree(t.get(), "name", Variant(key), options);
            Agree(t.get(), "raw", Variant(key), options);
        }
    AgreeOnTexts(t.get(), "name");
    ASSERT_TRUE(t->Locate("name", Variant("ABCDEFGH"), {}));
    EXPECT_EQ("ABCDEFGH", t->FieldByName("name")->AsString());
}

TEST_F(LocateValues, ADatabaseOfUtf16AnswersAsTheWalk) {
    // a live query over it (its names come as UTF-8)
    Make("UTF-16le");
    TQuery live(nullptr);
    live.SetDatabaseName(Path);
    live.SetRequestLive(true);
    live.SQL()->SetText("SELECT id, name, raw FROM v");
    live.Open();
    ASSERT_TRUE(live.CanModifyQuery());
    AgreeOnTexts(&live, "name");
    AgreeOnTexts(&live, "raw");
}

TEST_F(LocateValues, IntegerColumnsAnswerAsTheWalkForEveryStoredValue) {
    Db.SetDatabaseName(Path);
    Db.Open();
    Db.Execute("CREATE TABLE n (id INTEGER PRIMARY KEY, i INTEGER, s SMALLINT, b BIGINT)");
    auto insert = [](TDatabase& To, const std::string& Value) {
        To.Execute("INSERT INTO n (i, s, b) VALUES (" + Value + ", " + Value + ", " + Value + ")");
    };
    for (const char* value : {"5", "5.5", "4.9", "-0.5", "0.5", "-5.5", "-4.5", "-1", "0", "7", "'5abc'",
                              "'abc'", "' 7 '", "'1e3'", "x'35'", "x''", "NULL"})
        insert(Db, value);
    // a field of each type (the sizes are learnt at the open)
    auto t = Open("n");
    ASSERT_EQ(ftInteger, t->FieldByName("i")->DataType());
    ASSERT_EQ(ftSmallint, t->FieldByName("s")->DataType());
    ASSERT_EQ(ftLargeint, t->FieldByName("b")->DataType());
    // then values past the fields' ranges, read cut (4294967301 and 65541 as 5)
    TDatabase other(nullptr);
    other.SetDatabaseName(Path);
    for (const char* value :
         {"2147483647", "2147483648", "4294967301", "-4294967291", "65541", "70000", "9223372036854775807",
          "-9223372036854775808", "1e19", "-1e19", "9.3e18", "4294967301.5", "-2147483648.5"})
        insert(other, value);
    t->Refresh();
    const std::vector<int64_t> keys = {
        0,    1,  -1,    4,          5,           6,         7,         1000,          -5,        -4,
        4464, -6, 32767, 2147483647, -2147483648, INT64_MAX, INT64_MIN, INT64_MAX - 1, 4294967301};
    for (const char* field : {"i", "s", "b"}) {
        for (const int64_t key : keys) {
            Agree(t.get(), field, Variant(key), {});
            if (key >= INT32_MIN && key <= INT32_MAX)
                Agree(t.get(), field, Variant(static_cast<int>(key)), {});
        }
        Agree(t.get(), field, Null(), {});
    }
}

TEST_F(LocateValues, TheRowIdIsFoundByItsKeyAndAsTheWalkFindsIt) {
    Db.SetDatabaseName(Path);
    Db.Open();
    // the row id's own column, an integer field; after the open ids past its
    // range, read cut (4294967301 as 5)
    Db.Execute("CREATE TABLE r (id INTEGER PRIMARY KEY, v VARCHAR(5))");
    for (const char* id : {"-5", "0", "6", "2147483647"})
        Db.Execute(std::string("INSERT INTO r VALUES (") + id + ", 'x')");
    // primary keys that are no row id (INTEGER DESC, INT, of two columns): they may hold texts
    Db.Execute("CREATE TABLE d (id INTEGER PRIMARY KEY DESC, v VARCHAR(5))");
    Db.Execute("CREATE TABLE i (id INT PRIMARY KEY, v VARCHAR(5))");
    Db.Execute("CREATE TABLE k (a INTEGER, id INTEGER, v VARCHAR(5), PRIMARY KEY (id, a))");
    for (const char* table : {"d", "i", "k"})
        for (const char* id : {"'abc'", "5.5", "6", "-1", "'6x'"})
            Db.Execute(std::string("INSERT INTO ") + table + " (id, v) VALUES (" + id + ", 'y')");
    std::vector<std::unique_ptr<TTable>> tables;
    for (const char* table : {"r", "d", "i", "k"}) {
        tables.push_back(Open(table));
        // 32 bits (the row id's column is numbered by the engine)
        const TFieldType type = tables.back()->FieldByName("id")->DataType();
        ASSERT_TRUE(type == ftInteger || type == ftAutoInc) << table;
    }
    TDatabase other(nullptr);
    other.SetDatabaseName(Path);
    for (const char* id :
         {"2147483648", "4294967301", "-4294967291", "9223372036854775807", "-9223372036854775808"})
        other.Execute(std::string("INSERT INTO r VALUES (") + id + ", 'x')");
    for (const char* table : {"d", "i", "k"})
        other.Execute(std::string("INSERT INTO ") + table + " (id, v) VALUES (4294967301, 'z')");
    const std::vector<int64_t> keys = {5, 6, 0, -5, -1, 7, 2147483647, -2147483648, INT64_MAX, INT64_MIN};
    for (auto& t : tables) {
        t->Refresh();
        for (const int64_t key : keys) Agree(t.get(), "id", Variant(key), {});
    }
    // each record of the row id found from the last
    TTable* t = tables.front().get();
    t->SetLocateByDatabase(true);
    for (t->First(); !t->Eof(); t->Next()) {
        const int id = t->FieldByName("id")->AsInteger();
        const TBookmark here = t->Bookmark();
        t->Last();
        ASSERT_TRUE(t->Locate("id", Variant(id), {})) << id;
        EXPECT_EQ(id, t->FieldByName("id")->AsInteger());
        t->GotoBookmark(here);
    }
}

}  // namespace

TEST_F(LocateValues, ANullKeyFindsTheEmptyValuesTheFieldsReadAsNull) {
    Db.SetDatabaseName(Path);
    Db.Open();
    Db.Execute("CREATE TABLE e (id INTEGER PRIMARY KEY, m MEMO, b BLOB, g GRAPHIC, f BOOLEAN, s VARCHAR(4))");
    for (const char* value : {"'x'", "x'01'", "''", "x''", "NULL"})
        Db.Execute(std::string("INSERT INTO e (m, b, g, f, s) VALUES (") + value + ", " + value + ", " +
                   value + ", " + value + ", " + value + ")");
    auto t = Open("e");
    for (const char* field : {"m", "b", "g", "f", "s"}) Agree(t.get(), field, Null(), {});
    // with no NULL left
    Db.Execute("DELETE FROM e WHERE id = 5");
    t->Refresh();
    for (const char* field : {"m", "b", "g", "f", "s"}) Agree(t.get(), field, Null(), {});
}
