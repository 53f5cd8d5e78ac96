// The record search over engine tables: each match type from the first
// record and onward, the numeric and memo matches, the Locate road, and the
// way back to the start record.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/testing.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzrecordsearch.h"
#include "support/suite/suite_test_table.h"

namespace {

constexpr int kRecords = 100000;

// Record i (1-based) holds Name "Item<i>", Code "C<i mod 1000>", Amount i/4
// and a few memos; a handful of names carry distinct words.
class RecordSearchLarge : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        T = new TqzTestTable();
        T->FieldDefs()->Add("Id", ftInteger);
        T->FieldDefs()->Add("Name", ftString, 30);
        T->FieldDefs()->Add("Code", ftString, 10);
        T->FieldDefs()->Add("Amount", ftFloat);
        T->Open();
        T->DisableControls();
        for (int i = 1; i <= kRecords; ++i) {
            std::string name = "Item" + std::to_string(i);
            if (i == 70001) name = "Zebra crossing";
            if (i == 70002) name = "zebra";
            if (i == 90000) name = "A zebra too";
            T->AppendRecord(
                {Variant(i), Variant(name), Variant("C" + std::to_string(i % 1000)), Variant(i / 4.0)});
        }
        T->EnableControls();
    }
    static void TearDownTestSuite() {
        delete T;
        T = nullptr;
    }
    void SetUp() override { T->First(); }
    static int Id() { return T->FieldByName("Id")->AsInteger(); }
    static void GoTo(int id) { ASSERT_TRUE(T->Locate("Id", Variant(id), {})); }
    static TqzTestTable* T;
};
TqzTestTable* RecordSearchLarge::T = nullptr;

TEST_F(RecordSearchLarge, ExactMatchFirstAndNext) {
    GoTo(500);
    EXPECT_TRUE(qzFindRecordByValue(true, T, "Code", "C7", mtExactMatch, true, false));
    EXPECT_EQ(Id(), 7);
    EXPECT_TRUE(qzFindRecordByValue(false, T, "Code", "C7", mtExactMatch, true, false));
    EXPECT_EQ(Id(), 1007);
    GoTo(99007);
    EXPECT_FALSE(qzFindRecordByValue(false, T, "Code", "C7", mtExactMatch, true, false));
    EXPECT_EQ(Id(), 99007);  // no later match: back on the start record
    EXPECT_TRUE(qzFindRecordByValue(true, T, "Code", "c7", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 7);
    EXPECT_FALSE(qzFindRecordByValue(true, T, "Code", "c7", mtExactMatch, true, false));
    EXPECT_EQ(Id(), 7);
    EXPECT_FALSE(T->ControlsDisabled());
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(RecordSearchLarge, StartMatchFirstAndNext) {
    EXPECT_TRUE(qzFindRecordByValue(true, T, "Name", "zeb", mtPartialMatchStart, false, false));
    EXPECT_EQ(Id(), 70001);
    EXPECT_TRUE(qzFindRecordByValue(false, T, "Name", "zeb", mtPartialMatchStart, false, false));
    EXPECT_EQ(Id(), 70002);
    EXPECT_FALSE(qzFindRecordByValue(false, T, "Name", "zeb", mtPartialMatchStart, false, false));
    EXPECT_EQ(Id(), 70002);
    EXPECT_TRUE(qzFindRecordByValue(true, T, "Name", "zeb", mtPartialMatchStart, true, false));
    EXPECT_EQ(Id(), 70002);  // case-sensitive: "Zebra crossing" no longer starts with it
}

TEST_F(RecordSearchLarge, AnywhereMatchFirstAndNext) {
    GoTo(12);
    EXPECT_TRUE(qzFindRecordByValue(true, T, "Name", "EBRA", mtPartialMatchAny, false, false));
    EXPECT_EQ(Id(), 70001);
    EXPECT_TRUE(qzFindRecordByValue(false, T, "Name", "EBRA", mtPartialMatchAny, false, false));
    EXPECT_EQ(Id(), 70002);
    EXPECT_TRUE(qzFindRecordByValue(false, T, "Name", "EBRA", mtPartialMatchAny, false, false));
    EXPECT_EQ(Id(), 90000);
    EXPECT_FALSE(qzFindRecordByValue(false, T, "Name", "EBRA", mtPartialMatchAny, false, false));
    EXPECT_EQ(Id(), 90000);
    GoTo(12);
    EXPECT_FALSE(qzFindRecordByValue(true, T, "Name", "nowhere", mtPartialMatchAny, false, false));
    EXPECT_EQ(Id(), 12);  // back from the end of a whole walk
}

TEST_F(RecordSearchLarge, FloatExactMatchComparesNumbers) {
    GoTo(3);
    EXPECT_TRUE(qzFindRecordByValue(true, T, "Amount", "1.50", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 6);
    EXPECT_TRUE(qzFindRecordByValue(true, T, "Amount", "24999.75", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 99999);
    EXPECT_FALSE(qzFindRecordByValue(true, T, "Amount", "1.5x", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 99999);
    EXPECT_FALSE(qzFindRecordByValue(true, T, "Amount", "abc", mtExactMatch, false, false));
}

class RecordSearchSmall : public ::testing::Test {
protected:
    void SetUp() override {
        T.FieldDefs()->Add("Id", ftInteger);
        T.FieldDefs()->Add("Name", ftString, 30);
        T.FieldDefs()->Add("Notes", ftMemo);
        T.FieldDefs()->Add("Price", ftCurrency);
        T.Open();
        Add(1, "Apple", "Red fruit", "");
        Add(2, "", "", "2.5");
        Add(3, "Banana", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Yellow \\b fruit\\b0\\par}", "");
        Add(4, "apple", "red fruit", "0");
        T.First();
    }
    void Add(int id, const std::string& name, const std::string& notes, const std::string& price) {
        T.Append();
        T.FieldByName("Id")->SetAsInteger(id);
        if (!name.empty()) T.FieldByName("Name")->SetAsString(name);
        if (!notes.empty()) T.FieldByName("Notes")->SetAsString(notes);
        if (!price.empty()) T.FieldByName("Price")->SetAsString(price);
        T.Post();
    }
    int Id() { return T.FieldByName("Id")->AsInteger(); }
    TqzTestTable T;
};

TEST_F(RecordSearchSmall, MissingFieldWarnsAndStays) {
    TTestDialogs dialogs;
    T.Next();
    EXPECT_FALSE(qzFindRecordByValue(true, &T, "Colour", "Red", mtExactMatch, false, false));
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Field Colour not found.");
    EXPECT_EQ(dialogs.Last().DlgType, mtWarning);
    EXPECT_EQ(dialogs.Last().Buttons, TMsgDlgButtons{mbOK});
    EXPECT_EQ(Id(), 2);
}

TEST_F(RecordSearchSmall, EmptyValues) {
    T.Last();
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Name", "", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 2);  // an empty value matches an empty text exactly
    EXPECT_FALSE(qzFindRecordByValue(true, &T, "Name", "", mtPartialMatchStart, false, false));
    EXPECT_FALSE(qzFindRecordByValue(true, &T, "Name", "", mtPartialMatchAny, false, false));
    EXPECT_FALSE(
        qzFindRecordByValue(true, &T, "Notes", "", mtExactMatch, false, false));  // not an empty memo
    EXPECT_EQ(Id(), 2);
}

TEST_F(RecordSearchSmall, NextNeverTestsTheCurrentRecord) {
    EXPECT_TRUE(qzFindRecordByValue(false, &T, "Name", "APPLE", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 4);
    T.First();
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Name", "APPLE", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 1);
}

TEST_F(RecordSearchSmall, MemoMatchesWholeTextAndRichTextAsPlainText) {
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Notes", "red fruit", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 1);
    EXPECT_FALSE(qzFindRecordByValue(true, &T, "Notes", "red", mtExactMatch, false, false));
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Notes", "yellow fruit", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 3);
    EXPECT_FALSE(qzFindRecordByValue(true, &T, "Notes", "Arial", mtPartialMatchAny, false, false));
    EXPECT_FALSE(qzFindRecordByValue(true, &T, "Notes", "rtf", mtPartialMatchAny, false, false));
    EXPECT_EQ(Id(), 3);
    // case-sensitive memo search keeps the value's case
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Notes", "red fruit", mtExactMatch, true, false));
    EXPECT_EQ(Id(), 4);
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Notes", "Red", mtPartialMatchStart, true, false));
    EXPECT_EQ(Id(), 1);
}

TEST_F(RecordSearchSmall, CurrencyExactMatch) {
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Price", "2.50", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 2);
    EXPECT_TRUE(qzFindRecordByValue(false, &T, "Price", "0.0", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 3);  // the engine keeps 0 for a number never set
    EXPECT_FALSE(qzFindRecordByValue(true, &T, "Price", "2.5.0", mtExactMatch, false, false));
    EXPECT_EQ(Id(), 3);
}

TEST_F(RecordSearchSmall, LocateRoadAndItsOptions) {
    struct Case {
        bool caseSensitive;
        TqzLocateMatchType type;
        TLocateOptions options;
    };
    for (const Case& c : {Case{true, mtExactMatch, {}}, Case{true, mtPartialMatchStart, {loPartialKey}},
                          Case{false, mtExactMatch, {loCaseInsensitive}},
                          Case{false, mtPartialMatchStart, {loCaseInsensitive, loPartialKey}}}) {
        T.Last();
        T.LocateCalls = 0;
        EXPECT_TRUE(qzFindRecordByValue(true, &T, "Name", "Banana", c.type, c.caseSensitive, true));
        EXPECT_EQ(Id(), 3);
        EXPECT_EQ(T.LocateCalls, 1);
        EXPECT_EQ(T.LastLocateOptions, c.options);
    }
    T.LocateCalls = 0;
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Name", "anan", mtPartialMatchAny, false, true));
    EXPECT_EQ(T.LocateCalls, 0);  // anywhere: no Locate
    EXPECT_TRUE(qzFindRecordByValue(false, &T, "Name", "apple", mtExactMatch, false, true));
    EXPECT_EQ(T.LocateCalls, 0);  // onward: no Locate
    EXPECT_EQ(Id(), 4);
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Notes", "red fruit", mtExactMatch, false, true));
    EXPECT_EQ(T.LocateCalls, 0);  // memo: no Locate
    T.Last();
    EXPECT_FALSE(qzFindRecordByValue(true, &T, "Name", "Cherry", mtExactMatch, false, true));
    EXPECT_EQ(T.LocateCalls, 1);
    EXPECT_EQ(Id(), 4);
    T.LocateCalls = 0;
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Name", "Banana", mtExactMatch, false, false));
    EXPECT_EQ(T.LocateCalls, 0);  // a plain dataset walks
}

TEST_F(RecordSearchSmall, PendingEditIsPostedFirst) {
    T.Edit();
    T.FieldByName("Name")->SetAsString("Cherry");
    EXPECT_TRUE(qzFindRecordByValue(true, &T, "Name", "cherry", mtExactMatch, false, false));
    EXPECT_EQ(T.State(), dsBrowse);
    EXPECT_EQ(Id(), 1);
}

TEST_F(RecordSearchSmall, FailingWalkPutsEverythingBack) {
    int calls = 0;
    T.SetAfterScroll(TDataSetNotifyEvent([&](TDataSet*) {
        if (++calls > 3) throw EDatabaseError("record unreadable");
    }));
    T.Next();
    Screen->SetCursor(crDefault);
    calls = 0;
    EXPECT_THROW(qzFindRecordByValue(true, &T, "Name", "nothing", mtPartialMatchAny, false, false),
                 EDatabaseError);
    EXPECT_FALSE(T.ControlsDisabled());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    T.SetAfterScroll(TDataSetNotifyEvent());
    EXPECT_EQ(Id(), 2);
}

TEST_F(RecordSearchSmall, LocateFieldValueKeepsAMatchingRecord) {
    T.Last();
    EXPECT_TRUE(qzLocateFieldValue(&T, "APPLE", "Name", false, mtPartialMatchAny));
    EXPECT_EQ(Id(), 4);  // the current record already holds it
    EXPECT_TRUE(qzLocateFieldValue(&T, "Apple", "Name", true, mtExactMatch));
    EXPECT_EQ(Id(), 1);
    EXPECT_FALSE(qzLocateFieldValue(&T, "Kiwi", "Name", false, mtExactMatch));
    EXPECT_EQ(Id(), 1);
    EXPECT_THROW(qzLocateFieldValue(&T, "x", "Colour", false, mtExactMatch), EDatabaseError);
}

}  // namespace
