// Texts longer than their column's declared width, in letters or in bytes,
// on UTF-8 and UTF-16 files: tables and queries read them whole as the
// sqlite3 tool shows them (also once grown after the open), and store a
// typed text whole, as the tool then shows it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"

namespace {

std::string Repeat(const std::string& Text, int Count) {
    std::string out;
    for (int i = 0; i < Count; ++i) out += Text;
    return out;
}

class TextWidth : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        Path = Env.Path("width.db");
        ASSERT_EQ(SqliteCli(Path, std::string("PRAGMA encoding = '") + GetParam() +
                                      "';"
                                      "CREATE TABLE w (id INTEGER PRIMARY KEY, name VARCHAR(12));"
                                      "INSERT INTO w VALUES (1, 'short'), (2, '" +
                                      Repeat("Ж", 12) + "'); PRAGMA encoding;"),
                  GetParam());
    }
    std::string Tool(int Id) {
        return SqliteCli(Path, "SELECT name FROM w WHERE id = " + std::to_string(Id) + ";");
    }
    std::unique_ptr<TDBDataSet> Open(int Kind) {
        std::unique_ptr<TDBDataSet> ds;
        if (Kind == 0) {
            auto t = std::make_unique<TTable>(nullptr);
            t->SetTableName("w");
            ds = std::move(t);
        } else {
            auto q = std::make_unique<TQuery>(nullptr);
            q->SQL()->SetText("SELECT * FROM w");
            q->SetRequestLive(Kind == 1);
            ds = std::move(q);
        }
        ds->SetDatabaseName(Path);
        ds->Open();
        return ds;
    }
    std::string NameOf(TDataSet* Ds, int Id) {
        EXPECT_TRUE(Ds->Locate("id", Variant(Id), {}));
        return Ds->FieldByName("name")->AsString();
    }
    TTestEnvironment Env;
    std::string Path;
};

TEST_P(TextWidth, EveryDatasetReadsTheStoredTextWhole) {
    // a table, a live query and a query of rows
    for (int kind = 0; kind < 3; ++kind) {
        auto ds = Open(kind);
        EXPECT_EQ(NameOf(ds.get(), 2), Tool(2)) << kind;
        EXPECT_EQ(NameOf(ds.get(), 2), Repeat("Ж", 12)) << kind;
        // grown past the field's width by another program after the open
        const std::string longer = Repeat("日本語の文字ですね", 3);
        ASSERT_EQ(SqliteCli(Path, "UPDATE w SET name = '" + longer + "' WHERE id = 1;"), "");
        ds->Close();
        if (kind == 0) {
            // a table open before the change reads it whole after a refresh
            ds->Open();
            ASSERT_EQ(SqliteCli(Path, "UPDATE w SET name = '" + longer + longer + "' WHERE id = 1;"), "");
            ds->Refresh();
            EXPECT_EQ(NameOf(ds.get(), 1), Tool(1));
            ds->Close();
        }
        ds->Open();
        EXPECT_EQ(NameOf(ds.get(), 1), Tool(1)) << kind;
        ASSERT_EQ(SqliteCli(Path, "UPDATE w SET name = 'short' WHERE id = 1;"), "");
    }
}

TEST_P(TextWidth, ATypedTextIsStoredWhole) {
    auto table = Open(0);
    // no room of its own for the edits over it: they cut nothing
    EXPECT_EQ(TextRoomOf(table->FieldByName("name")), 0);
    const std::vector<std::string> typed = {"Ωmega ßǅ日本", "日本語の文字ですね",
                                            Repeat("Ж", 12) + "and more", "ab"};
    for (const std::string& text : typed) {
        ASSERT_TRUE(table->Locate("id", Variant(1), {}));
        table->Edit();
        table->FieldByName("name")->SetAsString(text);
        EXPECT_EQ(table->FieldByName("name")->AsString(), text);
        table->Post();
        EXPECT_EQ(Tool(1), text);
        EXPECT_EQ(NameOf(table.get(), 1), text);
    }
    // a new record through a live query
    auto query = Open(1);
    query->Append();
    query->FieldByName("id")->SetAsInteger(3);
    query->FieldByName("name")->SetAsString("日本語の文字ですね");
    query->Post();
    EXPECT_EQ(Tool(3), "日本語の文字ですね");
    // OnValidate reads the text about to be stored whole
    std::string validated;
    table->Refresh();
    table->FieldByName("name")->SetOnValidate(
        TFieldNotifyEvent([&](TField* F) { validated = F->AsString(); }));
    table->Edit();
    table->FieldByName("name")->SetAsString(Repeat("ǅ", 20));
    EXPECT_EQ(validated, Repeat("ǅ", 20));
    table->Cancel();
}

INSTANTIATE_TEST_SUITE_P(Encodings, TextWidth, ::testing::Values("UTF-8", "UTF-16le", "UTF-16be"));

}  // namespace
