// The SQLite connection's FOLD collation, fold(), upper() and lower() by the
// platform's case fold; Locate without case; the text tests the database
// answers for the suite's searches and filters, against SQLite itself on the
// same file and against the fold.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/case_fold.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "support/environment.h"

namespace {

const std::vector<std::string> Words = {"Ωmega", "ωMEGA", "ΩMEGA ω", "omega",  "ԱԲԳ", "աբգ", "Աբգ",
                                        "ႠႡ",    "ⴀⴁ",    "Ⴀⴁx",     "ꭰꭱ", "ᎠᎡ",  "ⰀⰁ",  "ⰰⰱ",
                                        "ǄA",    "ǆa",    "Émile",   "éMILE",  "abc", "ABC", "xabcab",
                                        "ab",    "abab",  "",        "Zeta"};

// A connection of the test's own to the file: SQLite as it comes.
class TPlainSqlite {
public:
    explicit TPlainSqlite(const std::string& Path) { sqlite3_open(Path.c_str(), &FDb); }
    ~TPlainSqlite() { sqlite3_close(FDb); }
    std::vector<std::string> Column(const std::string& Sql) {
        std::vector<std::string> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(FDb, Sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return {"error"};
        while (sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(st, 0);
            out.push_back(t ? reinterpret_cast<const char*>(t) : "<null>");
        }
        sqlite3_finalize(st);
        return out;
    }

private:
    sqlite3* FDb = nullptr;
};

class CaseFoldSql : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("words.db");
        Db.SetDatabaseName(Path);
        Db.Open();
        Db.Execute("CREATE TABLE w (id INTEGER PRIMARY KEY, name VARCHAR(20));");
        for (const std::string& s : Words) Db.Execute("INSERT INTO w (name) VALUES ('" + s + "')");
        Db.Execute("INSERT INTO w (name) VALUES (NULL)");
    }
    std::vector<std::string> Rows(const std::string& Sql) {
        TQuery q(nullptr);
        q.SetDatabaseName(Path);
        q.SQL()->SetText(Sql);
        q.Open();
        std::vector<std::string> out;
        for (q.First(); !q.Eof(); q.Next())
            out.push_back(q.Fields()->Fields(0)->IsNull() ? "<null>" : q.Fields()->Fields(0)->AsString());
        return out;
    }
    TTestEnvironment Env;
    std::string Path;
    TDatabase Db{nullptr};
};

TEST_F(CaseFoldSql, CollationUpperAndLowerFollowTheFold) {
    // The collation's order is the fold's, equal texts in the order stored.
    std::vector<std::string> sorted = Words;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; });
    sorted.insert(sorted.begin(), "<null>");
    EXPECT_EQ(sorted, Rows("SELECT name FROM w ORDER BY name COLLATE FOLD, id"));
    for (const std::string& word : Words) {
        const auto same = std::count_if(Words.begin(), Words.end(),
                                        [&](const std::string& w) { return SameFolded(w, word); });
        const std::string quoted = "'" + word + "'";
        EXPECT_EQ(std::vector<std::string>{std::to_string(same)},
                  Rows("SELECT count(*) FROM w WHERE name = " + quoted + " COLLATE FOLD"))
            << word;
        EXPECT_EQ((std::vector<std::string>{UnicodeUpperCase(word), UnicodeLowerCase(word), FoldCase(word)}),
                  Rows("SELECT upper(" + quoted + ") UNION ALL SELECT lower(" + quoted +
                       ") UNION ALL SELECT fold(" + quoted + ")"))
            << word;
    }
    EXPECT_EQ(std::vector<std::string>{"<null>"}, Rows("SELECT upper(NULL)"));
    // On ASCII texts they are SQLite's own.
    TPlainSqlite plain(Path);
    const std::string ascii = "SELECT upper(name) FROM w WHERE name GLOB '[a-zA-Z]*' ORDER BY id";
    EXPECT_EQ(plain.Column(ascii), Rows(ascii));
    EXPECT_EQ(plain.Column("SELECT lower(name) FROM w WHERE name GLOB '[a-zA-Z]*' ORDER BY id"),
              Rows("SELECT lower(name) FROM w WHERE name GLOB '[a-zA-Z]*' ORDER BY id"));
}

TEST_F(CaseFoldSql, LocateWithoutCaseFoldsEveryLetter) {
    TTable t(nullptr);
    t.SetDatabaseName(Path);
    t.SetTableName("w");
    t.Open();
    ASSERT_TRUE(t.Locate("name", Variant("ⴀⴁ"), {loCaseInsensitive}));
    EXPECT_EQ("ႠႡ", t.FieldByName("name")->AsString());
    ASSERT_TRUE(t.Locate("name", Variant("աբ"), {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ("ԱԲԳ", t.FieldByName("name")->AsString());
    ASSERT_TRUE(t.Locate("name", Variant("ωmega ω"), {loCaseInsensitive}));
    EXPECT_EQ("ΩMEGA ω", t.FieldByName("name")->AsString());
    EXPECT_FALSE(t.Locate("name", Variant("ωmega ω"), {}));
}

// The record under test of a dataset over SQLite.
bool TextTestHolds(const std::string& Text, const std::string& Op, const std::string& Value, bool Fold) {
    const std::string t = Fold ? FoldCase(Text) : Text;
    if (Op == "STARTS") return t.compare(0, Value.size(), Value) == 0;
    if (Op == "CONTAINS") return t.find(Value) != std::string::npos;
    if (Op == "ENDS") {
        const size_t at = t.find(Value);
        return at != std::string::npos && at + Value.size() == t.size();
    }
    if (Op == "=") return t == Value;
    if (Op == "<") return t < Value;
    return t >= Value;
}

std::unique_ptr<TFilterNode> TextNode(const std::string& Op, const std::string& Value, bool Fold) {
    auto n = std::make_unique<TFilterNode>();
    n->Kind = fnCompare;
    n->Text = Op;
    n->Texts = true;
    n->Fold = Fold;
    n->Left = std::make_unique<TFilterNode>();
    n->Left->Kind = fnField;
    n->Left->Text = "name";
    n->Right = std::make_unique<TFilterNode>();
    n->Right->Text = Value;
    return n;
}

TEST_F(CaseFoldSql, TextTestsNameTheRecordsTheFoldAndTheBytesDo) {
    TTable t(nullptr);
    t.SetDatabaseName(Path);
    t.SetTableName("w");
    t.Open();
    TPlainSqlite plain(Path);
    for (const char* op : {"STARTS", "CONTAINS", "ENDS", "=", "<", ">="})
        for (const std::string value : {"ab", "ωmega", "ⴀ", "", "é", "b"})
            for (const bool fold : {false, true}) {
                std::vector<int> expected;
                int position = 0;
                for (t.First(); !t.Eof(); t.Next(), ++position)
                    if (TextTestHolds(t.FieldByName("name")->AsString(), op, value, fold))
                        expected.push_back(position);
                const std::vector<int> all = t.CursorPositionsWhere(*TextNode(op, value, fold), 0);
                EXPECT_EQ(expected, all) << op << " " << value << " " << fold;
                // from a position on
                std::vector<int> later;
                for (int p : expected)
                    if (p >= 3) later.push_back(p);
                EXPECT_EQ(later, t.CursorPositionsWhere(*TextNode(op, value, fold), 3));
            }
    // SQLite's own answers to the prefix test as it is written there.
    const auto starts = t.CursorPositionsWhere(*TextNode("STARTS", "ab", false), 0);
    EXPECT_EQ(plain.Column("SELECT count(*) FROM w WHERE name GLOB 'ab*'"),
              std::vector<std::string>{std::to_string(starts.size())});
    // a tree naming no field of the table is refused
    auto bad = TextNode("=", "x", false);
    bad->Left->Text = "nothing";
    EXPECT_THROW(t.CursorPositionsWhere(*bad, 0), EDBEngineError);
}

TEST_F(CaseFoldSql, AFilterTiedToTheRecordFilterGoesWithItAndRecordsAreReadOnlyWhenLookedAt) {
    TTable t(nullptr);
    t.SetDatabaseName(Path);
    t.SetTableName("w");
    t.Open();
    const int all = t.RecordCount();
    const int handle = t.AddFilterExpression(TextNode("STARTS", "ωmega", true), 0);
    t.AttachToRecordFilter(handle);
    EXPECT_EQ(all, t.RecordCount());  // not yet built
    int calls = 0;
    t.SetOnFilterRecord(TFilterRecordEvent([&](TDataSet*, bool& accept) {
        ++calls;
        accept = true;
    }));
    t.SetFiltered(true);
    EXPECT_EQ(3, t.RecordCount());  // Ωmega, ωMEGA, ΩMEGA ω
    EXPECT_EQ(3, calls);
    // a handler that looks at no field reads no record
    const long reads = t.RowReads();
    t.SetOnFilterRecord(TFilterRecordEvent([&](TDataSet*, bool& accept) {
        ++calls;
        accept = false;
    }));
    EXPECT_EQ(6, calls);
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(reads, t.RowReads());
    t.SetOnFilterRecord(TFilterRecordEvent(
        [&](TDataSet* ds, bool& accept) { accept = ds->FieldByName("name")->AsString() != "ωMEGA"; }));
    EXPECT_EQ(2, t.RecordCount());
    // without the record filter the tied filter does nothing
    t.SetFiltered(false);
    EXPECT_EQ(all, t.RecordCount());
    t.SetFiltered(true);
    EXPECT_EQ(2, t.RecordCount());
    t.DropFilter(handle);
    t.RefreshCursor();
    EXPECT_EQ(all - 1, t.RecordCount());
}

}  // namespace
