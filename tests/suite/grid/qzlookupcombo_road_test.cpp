// The lookup combo's OnBeforeDropDown and the road its search takes: the
// dataset's Locate (the suite settings' UseLocateMethodForSearch, on by
// default) or the suite's record search, over engine tables and an SQLite
// query, typed with real keys on a shown form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/base/qzintl.h"
#include "suite/grid/qzlookupcombo.h"

namespace {

// One Locate the lookup table was asked for, with the cursor shown then.
struct TLocateCall {
    std::string Fields, Value;
    TLocateOptions Options;
    TCursor Cursor;
};

class TLocateLogTable : public TOstraTable {
    TASKMOOR_CLASS(TLocateLogTable, TOstraTable)
public:
    using TOstraTable::TOstraTable;
    bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) override {
        Calls.push_back({KeyFields, KeyValues.AsString(), Options, Screen->Cursor()});
        return TOstraTable::Locate(KeyFields, KeyValues, Options);
    }
    std::vector<TLocateCall> Calls;
};

class TLocateLogQuery : public TQuery {
    TASKMOOR_CLASS(TLocateLogQuery, TQuery)
public:
    using TQuery::TQuery;
    bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) override {
        Calls.push_back({KeyFields, KeyValues.AsString(), Options, Screen->Cursor()});
        return TQuery::Locate(KeyFields, KeyValues, Options);
    }
    std::vector<TLocateCall> Calls;
};

// The searches of the display field (the stored key's positioning aside).
std::vector<TLocateCall> NameSearches(const std::vector<TLocateCall>& Calls) {
    std::vector<TLocateCall> names;
    for (const TLocateCall& c : Calls)
        if (c.Fields == "Name") names.push_back(c);
    return names;
}

class LookupComboRoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, qzIntl());
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 420, 200);
        Items = new TLocateLogTable(Form);
        Items->FieldDefs()->Add("Id", ftInteger);
        Items->FieldDefs()->Add("Name", ftString, 20);
        Items->Open();
        const char* names[] = {"Apple", "Banana", "Carrot", "Cherry", "Date"};
        for (int i = 0; i < 5; ++i) Items->AppendRecord({Variant(i + 1), Variant(names[i])});
        Items->First();
        Orders = new TOstraTable(Form);
        Orders->FieldDefs()->Add("ItemId", ftInteger);
        Orders->Open();
        Orders->AppendRecord({Variant(2)});
        Source = new TDataSource(Form);
        Source->SetDataSet(Orders);
        Combo = new TqzDBCustomLookupCombo(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(10, 10, 200, 25);
        Combo->SetDataSource(Source);
        Combo->SetDataField("ItemId");
        Combo->Selected()->SetText("Name\t12\tName\n");
        Other = new TEdit(Form);
        Other->SetParent(Form);
        Other->SetBounds(10, 150, 100, 24);
    }
    void TearDown() override {
        qzIntl()->SetUseLocateMethodForSearch(true);
        delete Form;
        ProcessEvents();
    }
    void Show(TDataSet* LookupTable) {
        Combo->SetLookupTable(LookupTable);
        Combo->SetLookupField("Id");
        Form->Show();
        Combo->SetFocus();
        ProcessEvents();
    }
    // Replaces the text by typing and lets the search timer tick.
    void TypeAndTick(TTestTimers& Timers, const std::string& Text) {
        SendKey(Combo, 'A', {ssCtrl});
        SendText(Combo, Text);
        Timers.Advance(200);
    }
    std::string Bound() { return Orders->FieldByName("ItemId")->AsString(); }

    TForm* Form = nullptr;
    TLocateLogTable* Items = nullptr;
    TOstraTable* Orders = nullptr;
    TDataSource* Source = nullptr;
    TqzDBCustomLookupCombo* Combo = nullptr;
    TEdit* Other = nullptr;
};

TEST_F(LookupComboRoadTest, OnBeforeDropDownRunsFirstAndMaySupplyTheLookupTable) {
    TTestDialogs dialogs;
    std::vector<std::string> order;
    Combo->SetOnBeforeDropDown(TNotifyEvent([&](TObject* Sender) {
        EXPECT_EQ(Combo, Sender);
        EXPECT_FALSE(Combo->IsDroppedDown());
        order.push_back("before");
        if (!Combo->LookupTable()) {
            Combo->SetLookupTable(Items);
            Combo->SetLookupField("Id");
        }
    }));
    Combo->SetOnDropDown(TNotifyEvent([&](TObject*) { order.push_back("drop"); }));
    Form->Show();
    Combo->SetFocus();
    ProcessEvents();
    EXPECT_EQ("", Combo->Text());
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    EXPECT_EQ(0u, dialogs.Messages().size());
    EXPECT_EQ((std::vector<std::string>{"before", "drop"}), order);
    EXPECT_EQ("Banana", Combo->Text());
    SendKey(Combo, VK_DOWN);
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("3", Bound());
    EXPECT_EQ("Carrot", Combo->Text());

    // A handler that supplies nothing: the warning still comes after it.
    Combo->SetLookupTable(nullptr);
    order.clear();
    Combo->SetOnBeforeDropDown(TNotifyEvent([&](TObject*) { order.push_back("before"); }));
    SendKey(Combo, VK_F4);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ((std::vector<std::string>{"before"}), order);
    ASSERT_EQ(1u, dialogs.Messages().size());
    EXPECT_EQ("No lookup table specified!", dialogs.Last().Text);
}

TEST_F(LookupComboRoadTest, TypedTextIsLocatedUnderTheHourglassWithTheCaseAndPartialOptions) {
    TTestTimers timers;
    Show(Items);
    EXPECT_TRUE(qzIntl()->UseLocateMethodForSearch());
    EXPECT_EQ("Banana", Combo->Text());
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    Items->Calls.clear();
    TypeAndTick(timers, "ch");
    EXPECT_EQ("Cherry", Items->FieldByName("Name")->AsString());
    EXPECT_TRUE(Combo->MatchFound());
    std::vector<TLocateCall> calls = NameSearches(Items->Calls);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("ch", calls[0].Value);
    EXPECT_EQ((TLocateOptions{loCaseInsensitive, loPartialKey}), calls[0].Options);
    EXPECT_EQ(crHourGlass, calls[0].Cursor);
    EXPECT_EQ(crDefault, Screen->Cursor());

    // Case-sensitive: "da" is not Date, "Da" is.
    Combo->SetSeqSearchOptions({ssoEnabled, ssoCaseSensitive});
    Items->Calls.clear();
    TypeAndTick(timers, "da");
    EXPECT_FALSE(Combo->MatchFound());
    TypeAndTick(timers, "Da");
    EXPECT_TRUE(Combo->MatchFound());
    EXPECT_EQ("Date", Items->FieldByName("Name")->AsString());
    calls = NameSearches(Items->Calls);
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ((TLocateOptions{loPartialKey}), calls[0].Options);
    EXPECT_EQ((TLocateOptions{loPartialKey}), calls[1].Options);
    // An empty text is never located.
    Items->Calls.clear();
    SendKey(Combo, 'A', {ssCtrl});
    SendKey(Combo, VK_BACK);
    timers.Advance(200);
    EXPECT_TRUE(NameSearches(Items->Calls).empty());
    SendKey(Combo, VK_ESCAPE);
    EXPECT_FALSE(Combo->IsDroppedDown());

    // A text typed with the grid closed is located exactly when it is written.
    Combo->SetSeqSearchOptions({ssoEnabled});
    Items->Calls.clear();
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "carrot");
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("3", Bound());
    calls = NameSearches(Items->Calls);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("carrot", calls[0].Value);
    EXPECT_EQ((TLocateOptions{loCaseInsensitive}), calls[0].Options);
    // The record that already holds the text needs no locate.
    Items->Calls.clear();
    Combo->SetFocus();
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "CARROT");
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("3", Bound());
    EXPECT_TRUE(NameSearches(Items->Calls).empty());
    // A text the list lacks reverts; the locate found nothing.
    Combo->SetFocus();
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "carrots");
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("3", Bound());
    EXPECT_EQ("Carrot", Combo->Text());
}

TEST_F(LookupComboRoadTest, WithTheSettingOffTheRecordSearchFindsWithoutLocate) {
    TTestTimers timers;
    qzIntl()->SetUseLocateMethodForSearch(false);
    Show(Items);
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    Items->Calls.clear();
    TypeAndTick(timers, "ch");
    EXPECT_EQ("Cherry", Items->FieldByName("Name")->AsString());
    EXPECT_TRUE(Combo->MatchFound());
    TypeAndTick(timers, "xy");
    EXPECT_FALSE(Combo->MatchFound());
    SendKey(Combo, VK_ESCAPE);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "DATE");
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("5", Bound());
    EXPECT_TRUE(NameSearches(Items->Calls).empty());
}

TEST_F(LookupComboRoadTest, AnSqliteQueryIsLocatedAndRecordSearchedAlike) {
    TTestTimers timers;
    TDatabase db{nullptr};
    db.SetDatabaseName(":memory:");
    db.Open();
    db.Execute(
        "CREATE TABLE things (Id INTEGER, Name VARCHAR(20));"
        "INSERT INTO things VALUES (1, 'Ölkanne'), (2, 'Banana'), (3, 'Ärmel'), (4, 'Äpfel'), (5, 'Ωmega');");
    auto* query = new TLocateLogQuery(Form);
    query->SetDatabaseName(":memory:");
    query->SQL()->SetText("SELECT Id, Name FROM things ORDER BY Id");
    query->Open();
    Show(query);
    EXPECT_EQ("Banana", Combo->Text());
    for (const bool locate : {true, false}) {
        qzIntl()->SetUseLocateMethodForSearch(locate);
        Combo->SetFocus();
        SendKey(Combo, VK_F4);
        ASSERT_TRUE(Combo->IsDroppedDown()) << locate;
        query->Calls.clear();
        // Case folded beyond Latin, the first record that begins so.
        TypeAndTick(timers, "äP");
        EXPECT_TRUE(Combo->MatchFound()) << locate;
        EXPECT_EQ("Äpfel", query->FieldByName("Name")->AsString()) << locate;
        TypeAndTick(timers, "ωm");
        EXPECT_EQ("Ωmega", query->FieldByName("Name")->AsString()) << locate;
        TypeAndTick(timers, "är");
        EXPECT_EQ("Ärmel", query->FieldByName("Name")->AsString()) << locate;
        SendKey(Combo, VK_RETURN);
        EXPECT_EQ("3", Bound()) << locate;
        const std::vector<TLocateCall> calls = NameSearches(query->Calls);
        if (locate) {
            ASSERT_EQ(3u, calls.size());
            for (const TLocateCall& c : calls) {
                EXPECT_EQ((TLocateOptions{loCaseInsensitive, loPartialKey}), c.Options);
                EXPECT_EQ(crHourGlass, c.Cursor);
            }
        } else {
            EXPECT_TRUE(calls.empty());
        }
        Orders->Edit();
        Orders->FieldByName("ItemId")->SetAsInteger(2);
        Orders->Post();
        EXPECT_EQ("Banana", Combo->Text());
    }
}

}  // namespace
