// Locate and Lookup on the engine dataset: keys, case, partial and null keys, binary search, errors.
#include <gtest/gtest.h>

#include "engine/messages.h"
#include "platform/core/datetime.h"
#include "platform/db/fieldtypes.h"
#include "support/engine/dataset_fixture.h"

namespace {

class DatasetLocate : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        ds.Layout = {MakeField("Key", oftAutoInc), MakeField("Name", oftString, 40),
                     MakeField("Grp", oftInteger), MakeField("Price", oftDouble),
                     MakeField("Due", oftDate),    MakeField("Flag", oftBoolean),
                     MakeField("Notes", oftMemo)};
        ds.Seed = {{{"Name", "cab"}, {"Grp", "5"}, {"Price", "0.1"}, {"Due", "03/01/2024"}},
                   {{"Name", "abc"}, {"Grp", "5"}, {"Price", "2.5"}, {"Flag", "T"}},
                   {{"Name", "ABC"}, {"Grp", "1"}},
                   {{"Name", "abd"}, {"Grp", "5"}, {"Due", "03/01/2024"}},
                   {{"Grp", "9"}}};
    }
    std::string Name() { return ds.FieldByName("Name")->AsString(); }
    TTestDataset ds;
};

}  // namespace

TEST_F(DatasetLocate, FindsTheFirstMatchAndMoves) {
    ds.Open();
    int scrolls = 0;
    ds.SetAfterScroll([&](TDataSet*) { ++scrolls; });
    EXPECT_TRUE(ds.Locate("Name", "abd", {}));
    EXPECT_EQ(4, ds.RecNo());
    EXPECT_EQ(1, scrolls);
    EXPECT_TRUE(ds.Locate("Grp", 5, {}));
    EXPECT_EQ("cab", Name());
    EXPECT_FALSE(ds.Locate("Name", "zzz", {}));
    EXPECT_EQ("cab", Name());
    EXPECT_EQ(2, scrolls);
}

TEST_F(DatasetLocate, CaseAndPartialKeys) {
    ds.Open();
    EXPECT_TRUE(ds.Locate("Name", "ab", {loPartialKey}));
    EXPECT_EQ("abc", Name());
    EXPECT_FALSE(ds.Locate("Name", "b", {loPartialKey}));  // "cab" holds it, but not at the start
    EXPECT_TRUE(ds.Locate("Name", "ABC", {loCaseInsensitive}));
    EXPECT_EQ("abc", Name());
    ds.Last();
    EXPECT_TRUE(ds.Locate("Name", "Ab", {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ("abc", Name());
    EXPECT_FALSE(ds.Locate("Name", "ab", {}));
    EXPECT_TRUE(ds.Locate("Name", "ABC", {}));
    EXPECT_EQ(3, ds.RecNo());
}

TEST_F(DatasetLocate, SeveralFieldsAndArrays) {
    ds.Open();
    EXPECT_TRUE(ds.Locate("Name;Grp", VarArrayOf({"abd", 5}), {}));
    EXPECT_EQ(4, ds.RecNo());
    EXPECT_FALSE(ds.Locate("Name;Grp", VarArrayOf({"abd", 6}), {}));
    EXPECT_TRUE(ds.Locate("Grp;Name", VarArrayOf({5, "ab"}), {loPartialKey}));
    EXPECT_EQ("abc", Name());
}

TEST_F(DatasetLocate, NullKeys) {
    ds.Open();
    // Without options a null element matches an empty value.
    EXPECT_TRUE(ds.Locate("Name;Grp", VarArrayOf({Null(), 9}), {}));
    EXPECT_EQ(5, ds.RecNo());
    ds.First();
    // With options a null key matches nothing.
    EXPECT_FALSE(ds.Locate("Name;Grp", VarArrayOf({Null(), 9}), {loCaseInsensitive}));
    EXPECT_FALSE(ds.Locate("Name", Null(), {}));
    EXPECT_FALSE(ds.Locate("Name", Variant(), {}));
    EXPECT_FALSE(ds.Locate("", "abc", {}));
    EXPECT_EQ(1, ds.RecNo());
}

TEST_F(DatasetLocate, NumbersDatesAndBooleans) {
    ds.Open();
    EXPECT_TRUE(ds.Locate("Price", 0.1, {}));  // no detour through text
    EXPECT_EQ(1, ds.RecNo());
    EXPECT_TRUE(ds.Locate("Price", "2.5", {}));
    EXPECT_EQ(2, ds.RecNo());
    ds.Last();
    EXPECT_TRUE(ds.Locate("Due", Variant::FromDateTime(EncodeDate(2024, 3, 1)), {}));
    EXPECT_EQ(1, ds.RecNo());
    EXPECT_TRUE(ds.Locate("Flag", true, {}));
    EXPECT_EQ(2, ds.RecNo());
    EXPECT_TRUE(ds.Locate("Grp", "9", {loPartialKey}));
    EXPECT_EQ(5, ds.RecNo());
    EXPECT_TRUE(ds.Locate("Price", 2.5, {loCaseInsensitive}));
    EXPECT_EQ(2, ds.RecNo());
}

TEST_F(DatasetLocate, BinarySearchFindsTheFirstOfEqualKeys) {
    ds.Open();
    ds.SetIndexFieldNames("Grp;Name");
    ASSERT_TRUE(ds.InKeyOrder());
    EXPECT_TRUE(ds.Locate("Grp", 5, {}));
    EXPECT_EQ(2, ds.RecNo());
    EXPECT_EQ("abc", Name());
    EXPECT_TRUE(ds.Locate("Grp;Name", VarArrayOf({5, "cab"}), {}));
    EXPECT_EQ(4, ds.RecNo());
    EXPECT_FALSE(ds.Locate("Grp", 4, {}));
    EXPECT_TRUE(ds.Locate("Grp", 9, {}));
    EXPECT_EQ(5, ds.RecNo());
    ds.SetSortOptions({osoDescendSort});
    EXPECT_TRUE(ds.Locate("Grp", 5, {}));
    EXPECT_EQ(2, ds.RecNo());
    EXPECT_EQ("cab", Name());
    // Keys that are not the start of the sort fields: a plain walk.
    EXPECT_TRUE(ds.Locate("Name", "abd", {}));
    EXPECT_EQ("abd", Name());
}

TEST_F(DatasetLocate, CaseInsensitiveSortDoesNotUseBinarySearch) {
    ds.Open();
    ds.SetIndexFieldNames("Name");
    ds.SetSortOptions({osoCaseInsensitive});
    EXPECT_TRUE(ds.Locate("Name", "ABC", {}));
    EXPECT_EQ("ABC", Name());
    EXPECT_TRUE(ds.Locate("Name", "abc", {}));
    EXPECT_EQ("abc", Name());
}

TEST_F(DatasetLocate, KeyFieldErrors) {
    ds.Open();
    EXPECT_RAISES(ds.Locate("Notes", "x", {}), EDatabaseError,
                  "There are calc or BLOB fields in list of key fields");
    EXPECT_THROW(ds.Locate("Missing", "x", {}), EDatabaseError);
}

TEST_F(DatasetLocate, LocatePostsAnEdit) {
    ds.Open();
    ds.Edit();
    ds.FieldByName("Name")->SetAsString("edited");
    EXPECT_TRUE(ds.Locate("Name", "edited", {}));
    EXPECT_EQ(dsBrowse, ds.State());
    EXPECT_EQ(1, ds.RecNo());
}

TEST_F(DatasetLocate, LookupDoesNotMove) {
    ds.Open();
    ds.Last();
    EXPECT_EQ(Variant(5), ds.Lookup("Name", "abd", "Grp"));
    EXPECT_EQ(5, ds.RecNo());
    const Variant both = ds.Lookup("Name", "abc", "Grp;Price");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(5, both[0].AsInteger());
    EXPECT_DOUBLE_EQ(2.5, both[1].AsDouble());
    EXPECT_TRUE(ds.Lookup("Name", "nothing", "Grp").IsNull());
    EXPECT_TRUE(ds.Lookup("Name", "abc", "Due").IsNull());
    EXPECT_EQ(5, ds.RecNo());
    EXPECT_THROW(ds.Lookup("Name", "abc", "Missing"), EDatabaseError);
}

TEST_F(DatasetLocate, LookupComputesCalculatedFields) {
    auto* calc = new TIntegerField(&ds);
    calc->SetFieldName("Double");
    calc->SetFieldKind(fkCalculated);
    calc->SetDataSet(&ds);
    for (const char* name : {"Key", "Name", "Grp"}) {
        TField* f = CreateFieldOfType(name == std::string("Name")  ? ftString
                                      : name == std::string("Key") ? ftAutoInc
                                                                   : ftInteger,
                                      &ds);
        f->SetFieldName(name);
        if (std::string(name) == "Name") f->SetSize(40);
        f->SetDataSet(&ds);
    }
    ds.SetOnCalcFields(
        [](TDataSet* d) { d->FieldByName("Double")->SetAsInteger(d->FieldByName("Grp")->AsInteger() * 2); });
    ds.Open();
    ds.Last();
    EXPECT_EQ(Variant(2), ds.Lookup("Name", "ABC", "Double"));
    EXPECT_EQ(18, ds.FieldByName("Double")->AsInteger());
    EXPECT_RAISES(ds.Locate("Double", 2, {}), EDatabaseError,
                  "There are calc or BLOB fields in list of key fields");
}

TEST_F(DatasetLocate, EmptyViewFindsNothing) {
    ds.Seed.clear();
    ds.Open();
    EXPECT_FALSE(ds.Locate("Name", "abc", {}));
    EXPECT_TRUE(ds.Lookup("Name", "abc", "Grp").IsNull());
}
