// The lookup combo over SQLite suite tables: the stored two-part key shown
// by its display text through the key index, typing found on the index led
// by the display field (OrderByDisplay), and the chosen keys written back;
// a suite query located only on the field its order leads.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/data/qzdbtables.h"
#include "suite/grid/qzlookupcombo.h"

namespace {

// A suite query that logs the options of each Locate on its "name" field.
class TNameLocateLog : public TqzQuery {
    TASKMOOR_CLASS(TNameLocateLog, TqzQuery)
public:
    using TqzQuery::TqzQuery;
    bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) override {
        if (KeyFields == "name") Calls.push_back(Options);
        return TqzQuery::Locate(KeyFields, KeyValues, Options);
    }
    std::vector<TLocateOptions> Calls;
};

class LookupComboSqlite : public ::testing::Test {
protected:
    void SetUp() override {
        Db.SetDatabaseName(":memory:");
        Db.Open();
        Db.Execute(
            "CREATE TABLE cats (code INTEGER, grp VARCHAR(4), name VARCHAR(20));"
            "CREATE UNIQUE INDEX bycode ON cats (code, grp);"
            "CREATE INDEX byname ON cats (name COLLATE FOLD);"
            "INSERT INTO cats VALUES (1, 'a', 'Kitchen'), (2, 'b', 'House'), (3, 'c', 'Attic'),"
            " (2, 'z', 'Garden');"
            "CREATE TABLE tasks (id INTEGER PRIMARY KEY, title VARCHAR(20), cat INTEGER, grp VARCHAR(4));"
            "INSERT INTO tasks VALUES (1, 'wash', 2, 'b'), (2, 'cook', 2, 'z');");
        Form = new TForm(nullptr);
        Form->SetBounds(40, 40, 360, 200);
        Cats = new TqzTable(Form);
        Cats->SetDatabaseName(":memory:");
        Cats->SetTableName("cats");
        Cats->Open();
        Tasks = new TqzTable(Form);
        Tasks->SetDatabaseName(":memory:");
        Tasks->SetTableName("tasks");
        Tasks->Open();
        Src = new TDataSource(Form);
        Src->SetDataSet(Tasks);
        Combo = new TqzDBCustomLookupCombo(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(10, 10, 200, 25);
        Combo->SetDataSource(Src);
        Combo->SetDataField("cat");
        Combo->SetLookupTable(Cats);
        Combo->Selected()->SetText("name\t12\tName\n");
        Combo->SetLookupField("code;grp");
        Other = new TEdit(Form);
        Other->SetParent(Form);
        Other->SetBounds(10, 120, 100, 24);
        Form->Show();
        Combo->SetFocus();
        ProcessEvents();
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    std::string Task(const char* Field) { return Tasks->FieldByName(Field)->AsString(); }
    std::string FirstIndexField() { return Cats->IndexFields(0)->FieldName(); }

    TDatabase Db{nullptr};
    TForm* Form = nullptr;
    TqzTable* Cats = nullptr;
    TqzTable* Tasks = nullptr;
    TDataSource* Src = nullptr;
    TqzDBCustomLookupCombo* Combo = nullptr;
    TEdit* Other = nullptr;
};

TEST_F(LookupComboSqlite, ShowsTheStoredKeysTextFindsByTypingAndWritesTheKeysBack) {
    TTestTimers timers;
    // Both key parts count: (2, 'b') is House, (2, 'z') Garden.
    EXPECT_EQ("House", Combo->Text());
    EXPECT_EQ("name", FirstIndexField());  // ordered by the display field once found
    Tasks->Next();
    EXPECT_EQ("Garden", Combo->Text());
    Tasks->First();
    EXPECT_EQ("House", Combo->Text());

    // Typing is found on the name index and completed.
    Combo->SetShowMatchText(true);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "ki");
    timers.Advance(200);
    EXPECT_EQ("Kitchen", Combo->Text());
    EXPECT_EQ(2, Combo->SelStart());
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("1", Task("cat"));
    EXPECT_EQ("a", Task("grp"));
    Tasks->Post();

    // The open grid lists by name: after Kitchen comes nothing, before it House.
    Combo->SetShowMatchText(false);
    Combo->SetFocus();
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    EXPECT_EQ("Kitchen", Cats->FieldByName("name")->AsString());
    SendKey(Combo, VK_UP);
    EXPECT_EQ("House", Combo->Text());
    // A typed prefix moves the open grid by the index.
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "ga");
    timers.Advance(200);
    EXPECT_EQ("Garden", Cats->FieldByName("name")->AsString());
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("2", Task("cat"));
    EXPECT_EQ("z", Task("grp"));
    EXPECT_EQ("Garden", Combo->Text());
    Tasks->Post();
    EXPECT_EQ("Garden", Combo->Text());
}

TEST_F(LookupComboSqlite, TypingFindsWithoutCaseBeyondLatin) {
    TTestTimers timers;
    Db.Execute("INSERT INTO cats VALUES (4, 'd', 'Ωmega'), (5, 'e', 'Ապրիլ'), (6, 'f', 'ႠႡ')");
    Cats->Close();
    Cats->Open();
    Combo->SetShowMatchText(true);
    for (const auto& [typed, found] :
         {std::pair<std::string, std::string>{"ωM", "Ωmega"}, {"ապՐ", "Ապրիլ"}, {"ⴀⴁ", "ႠႡ"}}) {
        SendKey(Combo, 'A', {ssCtrl});
        SendText(Combo, typed);
        timers.Advance(200);
        EXPECT_EQ(found, Combo->Text()) << typed;
        EXPECT_EQ(found, Cats->FieldByName("name")->AsString());
    }
}

TEST_F(LookupComboSqlite, WithoutOrderByDisplayTheGridKeepsTheKeyOrder) {
    Combo->SetOrderByDisplay(false);
    Tasks->Next();
    Tasks->First();
    EXPECT_EQ("House", Combo->Text());
    EXPECT_EQ("code", FirstIndexField());
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    SendKey(Combo, VK_DOWN);  // (2, 'z') follows (2, 'b') by key
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("2", Task("cat"));
    EXPECT_EQ("z", Task("grp"));
    EXPECT_EQ("Garden", Combo->Text());
}

// A suite query as lookup table is located only on a field its order leads
// by the search's case rule; otherwise the record search finds the record.
TEST_F(LookupComboSqlite, ASuiteQueryIsLocatedOnlyOnTheFieldItsOrderLeads) {
    TTestTimers timers;
    auto* query = new TNameLocateLog(Form);
    query->SetDatabaseName(":memory:");
    Combo->SetLookupTable(query);
    struct TCase {
        const char* Order;
        bool CaseSensitive;
        const char* Typed;
        const char* Found;
        std::vector<TLocateOptions> Calls;
    };
    const TCase cases[] = {
        {"name COLLATE FOLD", false, "ga", "Garden", {TLocateOptions{loCaseInsensitive, loPartialKey}}},
        {"name", false, "ki", "Kitchen", {}},
        {"code, grp", false, "at", "Attic", {}},
        {"name", true, "Ho", "House", {TLocateOptions{loPartialKey}}},
        {"name COLLATE FOLD", true, "Ki", "Kitchen", {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Order) + (c.CaseSensitive ? " by case" : ""));
        query->Close();
        query->SQL()->SetText(std::string("SELECT code, grp, name FROM cats ORDER BY ") + c.Order);
        query->Open();
        Combo->SetLookupField("code;grp");
        Combo->SetSeqSearchOptions(c.CaseSensitive ? TqzSeqSearchOptions{ssoEnabled, ssoCaseSensitive}
                                                   : TqzSeqSearchOptions{ssoEnabled});
        SendKey(Combo, VK_F4);
        ASSERT_TRUE(Combo->IsDroppedDown());
        query->Calls.clear();
        SendKey(Combo, 'A', {ssCtrl});
        SendText(Combo, c.Typed);
        timers.Advance(200);
        EXPECT_TRUE(Combo->MatchFound());
        EXPECT_EQ(c.Found, query->FieldByName("name")->AsString());
        EXPECT_EQ(c.Calls, query->Calls);
        SendKey(Combo, VK_ESCAPE);
        EXPECT_FALSE(Combo->IsDroppedDown());
    }
}

}  // namespace
