// The record view: filter texts, OnFilterRecord, sort orders, insertion in
// order, FindRecord and ranges.
#include <gtest/gtest.h>

#include "engine/messages.h"
#include "platform/core/datetime.h"
#include "support/engine/dataset_fixture.h"

namespace {

class DatasetView : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        ds.Layout = {MakeField("Key", oftAutoInc),      MakeField("Name", oftString, 40),
                     MakeField("Code", oftSmallStr, 5), MakeField("Qty", oftInteger),
                     MakeField("Price", oftDouble),     MakeField("Flag", oftBoolean),
                     MakeField("Due", oftDate),         MakeField("Paid", oftCurrency),
                     MakeField("Alt", oftString, 40),   MakeField("Notes", oftMemo)};
        ds.Seed = {
            {{"Name", "apple"},
             {"Code", "B"},
             {"Qty", "5"},
             {"Price", "1.5"},
             {"Flag", "T"},
             {"Due", "01/10/2024"},
             {"Alt", "apple"},
             {"Paid", "1.5"}},
            {{"Name", "Avocado"},
             {"Code", "a"},
             {"Qty", "-3"},
             {"Price", "-7"},
             {"Due", "02/01/2024"},
             {"Alt", "x"}},
            {{"Name", "banana"}, {"Code", "C"}, {"Qty", "0"}, {"Price", "2"}, {"Flag", "T"}},
            {{"Name", "Apple"}, {"Code", "b"}, {"Qty", "12"}, {"Price", "0"}, {"Due", "01/10/2024"}},
            {{"Code", "A"}, {"Qty", "7"}, {"Price", "3.25"}, {"Paid", "3.25"}},
        };
    }
    std::vector<std::string> Names() { return Column(ds, "Name"); }
    void AppendRecord(const std::string& name, int qty) {
        ds.Append();
        ds.FieldByName("Name")->SetAsString(name);
        ds.FieldByName("Qty")->SetAsInteger(qty);
        ds.Post();
    }
    std::vector<std::string> Filtered(const std::string& filter) {
        ds.SetFilter(filter);
        ds.SetFiltered(true);
        return Names();
    }
    TTestDataset ds;
    using V = std::vector<std::string>;
};

}  // namespace

// Each filter text against the five seeded records, by name in record order.
TEST_F(DatasetView, FilterTexts) {
    const struct {
        const char* Filter;
        bool CaseInsensitive;
        V Names;
    } cases[] = {
        {"Flag='True'", false, {"apple", "banana"}},
        {"Flag = True", false, {"apple", "banana"}},
        {"Flag = FALSE", false, {"Avocado", "Apple", ""}},
        {"Flag <> 'yes'", false, {"Avocado", "Apple", ""}},
        {"Qty = 0", false, {"banana"}},
        {"Qty > 0", false, {"apple", "Apple", ""}},
        {"Qty < 0", false, {"Avocado"}},
        {"Qty >= 5", false, {"apple", "Apple", ""}},
        {"Qty <= 5", false, {"apple", "Avocado", "banana"}},
        {"Qty <> 0", false, {"apple", "Avocado", "Apple", ""}},
        {"Qty = -3", false, {"Avocado"}},
        {"Qty *= 1", false, {"apple", "Avocado", "banana", "Apple", ""}},
        {"Price > -8 AND Price < -5", false, {"Avocado"}},
        {"Price > 1.25 AND Price <> 2", false, {"apple", ""}},
        {"Due = '01/10/2024'", false, {"apple", "Apple"}},
        {"Due > '01/10/2024'", false, {"Avocado"}},
        {"Due = NULL", false, {"banana", ""}},
        {"Name = NULL", false, {""}},
        {"Paid >= 1.5", false, {"apple", ""}},
        {"Name = 'apple'", false, {"apple"}},
        {"Name > 'apple'", false, {"banana"}},
        {"Name < 'apple'", false, {"Avocado", "Apple", ""}},
        {"Name = 'APPLE'", true, {"apple", "Apple"}},
        {"Code = 'a' AND 'Name' <> 'x'", true, {"Avocado", ""}},
        {"Name = Alt", false, {"apple", ""}},  // two empty texts are equal
        {"Qty >= Key", false, {"apple", "Apple", ""}},
        {"Price = Paid AND Paid <> 0", false, {"apple", ""}},
        {"Name LIKE 'A%'", false, {"apple", "Avocado", "Apple"}},
        {"Name LIKE '_a*'", false, {"banana"}},
        {"Qty LIKE '1_'", false, {"Apple"}},
        {"Qty LIKE '-%'", false, {"Avocado"}},
        {"Flag LIKE 'y*'", false, {"apple", "banana"}},
        {"Price LIKE '*.*'", false, {"apple", ""}},
        {"Due LIKE '01/*'", false, {"apple", "Apple"}},
        {"Due LIKE ''", false, {"banana", ""}},
    };
    ds.Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Filter);
        if (ds.FilterOptions().Contains(foCaseInsensitive) != c.CaseInsensitive) {
            ds.SetFiltered(false);
            ds.SetFilterOptions(c.CaseInsensitive ? TFilterOptions{foCaseInsensitive} : TFilterOptions{});
        }
        EXPECT_EQ(c.Names, Filtered(c.Filter));
    }
}

TEST_F(DatasetView, LikeNeedsAQuotedPattern) {
    ds.Open();
    ds.SetFilter("Name LIKE 5");
    EXPECT_RAISES(ds.SetFiltered(true), EDatabaseError,
                  "The pattern of LIKE must be a quoted string: Name LIKE 5");
    EXPECT_FALSE(ds.Filtered());
    EXPECT_EQ(5, ds.RecordCount());
}

TEST_F(DatasetView, FilterErrorsKeepThePreviousView) {
    ds.Open();
    EXPECT_EQ((V{"banana"}), Filtered("Code = 'C'"));
    EXPECT_RAISES(ds.SetFilter("Nope = 1"), EDatabaseError, "Field Nope is not found");
    EXPECT_EQ("Code = 'C'", ds.Filter());
    EXPECT_EQ((V{"banana"}), Names());
    EXPECT_RAISES(ds.SetFilter("Name = Nope"), EDatabaseError, "Field Nope is not found");
    EXPECT_RAISES(ds.SetFilter("Name = Qty"), EDatabaseError, "Types of compared fields are not equal");
    EXPECT_RAISES(ds.SetFilter("Name = 'a' OR Code = 'b'"), EDatabaseError, "Error in comparison expression");
    EXPECT_RAISES(ds.SetFilter("(Name = 'a'"), EDatabaseError, "Unmatched parentheses");
    EXPECT_THROW(ds.SetFilter("Price = 'cheap'"), EConvertError);
    EXPECT_EQ("Code = 'C'", ds.Filter());
    EXPECT_EQ((V{"banana"}), Names());
    std::string pattern;
    for (int i = 0; i < 31; ++i) pattern += "*a";
    EXPECT_THROW(ds.SetFilter("Name LIKE '" + pattern + "'"), Exception);
    EXPECT_EQ(1, ds.RecordCount());
}

TEST_F(DatasetView, FilterErrorWhenNotFilteredShowsOnFiltering) {
    ds.Open();
    ds.SetFilter("Nope = 1");  // not filtered: nothing built yet
    EXPECT_RAISES(ds.SetFiltered(true), EDatabaseError, "Field Nope is not found");
    EXPECT_FALSE(ds.Filtered());
    EXPECT_EQ(5, ds.RecordCount());
}

TEST_F(DatasetView, OnFilterRecordReadsTheFilteredRecord) {
    ds.Open();
    ds.SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName("Qty")->AsInteger() > 4; });
    ds.SetFiltered(true);
    EXPECT_EQ((V{"apple", "Apple", ""}), Names());
    ds.SetFilter("Price > 0");
    EXPECT_EQ((V{"apple", ""}), Names());
}

// A post keeps Bof (Eof) exactly where the posted record stays the first
// (last) of the view; the dataset tells that without reading a neighbour.
TEST_F(DatasetView, APostKeepsBofAndEofWhereTheRecordStaysAtAnEnd) {
    ds.SetSortOptions({osoInsertInOrder});
    ds.SetIndexFieldNames("Name");
    ds.Open();
    AppendRecord("zebra", 1);  // sorts last
    EXPECT_TRUE(ds.Eof());
    AppendRecord("cherry", 2);  // lands among the others
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ("cherry", ds.FieldByName("Name")->AsString());
    ds.First();
    ds.Edit();
    ds.FieldByName("Qty")->SetAsInteger(9);
    ds.Post();
    EXPECT_TRUE(ds.Bof());
    ds.Last();
    ds.Edit();
    ds.FieldByName("Qty")->SetAsInteger(8);
    ds.Post();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ("zebra", ds.FieldByName("Name")->AsString());
    // A record whose sort value an edit changes stays where it is shown
    // until the view is built again: still the last.
    ds.Edit();
    ds.FieldByName("Name")->SetAsString("date");
    ds.Post();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ("date", ds.FieldByName("Name")->AsString());
    ds.Prior();
    EXPECT_EQ("cherry", ds.FieldByName("Name")->AsString());
}

TEST_F(DatasetView, AFilterThatKeepsTheFirstOrLastRecordKeepsBofAndEof) {
    ds.Open();
    EXPECT_TRUE(ds.Bof());
    // apple stays first, and stays current: still at the start
    EXPECT_EQ((V{"apple", "banana", "Apple", ""}), Filtered("Qty >= 0"));
    ds.First();
    ds.SetFilter("Qty > 4");
    EXPECT_EQ("apple", ds.FieldByName("Name")->AsString());
    EXPECT_TRUE(ds.Bof());
    ds.Last();
    ds.SetFilter("Qty > 6");
    EXPECT_EQ("", ds.FieldByName("Name")->AsString());
    EXPECT_TRUE(ds.Eof());
    // once a step was taken, the first record reached is no start
    ds.First();
    ds.Next();
    ds.Prior();
    ds.SetFilter("Qty > 5");
    EXPECT_EQ("Apple", ds.FieldByName("Name")->AsString());
    EXPECT_FALSE(ds.Bof());
}

TEST_F(DatasetView, FailingOnFilterRecordKeepsTheView) {
    ds.Open();
    ds.Last();
    int calls = 0;
    ds.SetOnFilterRecord([&](TDataSet*, bool&) {
        if (++calls == 3) throw EDatabaseError("broken handler");
    });
    EXPECT_RAISES(ds.SetFiltered(true), EDatabaseError, "broken handler");
    EXPECT_FALSE(ds.Filtered());
    EXPECT_EQ(dsBrowse, ds.State());
    EXPECT_EQ(5, ds.RecordCount());
    EXPECT_EQ(5, ds.RecNo());
    PutText(&ds, "Name", "edited");
    EXPECT_EQ("edited", ds.FieldByName("Name")->AsString());
}

TEST_F(DatasetView, SortByTextWithAndWithoutCase) {
    ds.Open();
    ds.SetIndexFieldNames("Name");
    EXPECT_EQ((V{"", "Apple", "Avocado", "apple", "banana"}), Names());
    ds.SetSortOptions({osoCaseInsensitive});
    EXPECT_EQ((V{"", "apple", "Apple", "Avocado", "banana"}), Names());
    ds.SetSortOptions({osoDescendSort});
    EXPECT_EQ((V{"banana", "apple", "Avocado", "Apple", ""}), Names());
}

TEST_F(DatasetView, SortByBooleansAndTwoFields) {
    ds.Open();
    ds.SetIndexFieldNames("Flag;Qty");
    EXPECT_EQ((V{"banana", "apple", "Avocado", "", "Apple"}), Names());
    ds.SetIndexFieldNames("Due;Name");
    EXPECT_EQ((V{"", "banana", "Apple", "apple", "Avocado"}), Names());
}

TEST_F(DatasetView, ChangingTheSortKeepsTheCurrentRecord) {
    ds.Open();
    ds.Locate("Name", "banana", {});
    ds.SetIndexFieldNames("Qty");
    EXPECT_EQ("banana", ds.FieldByName("Name")->AsString());
    EXPECT_EQ(2, ds.RecNo());
    ds.SetIndexFieldNames("");
    EXPECT_EQ("banana", ds.FieldByName("Name")->AsString());
    EXPECT_EQ(3, ds.RecNo());
    EXPECT_RAISES(ds.SetIndexFieldNames("Notes"), EDatabaseError,
                  "There are calc or BLOB fields in list of key fields");
    EXPECT_EQ("", ds.IndexFieldNames());
    EXPECT_EQ("banana", ds.FieldByName("Name")->AsString());
}

TEST_F(DatasetView, InsertInOrder) {
    ds.Open();
    ds.SetIndexFieldNames("Qty");
    ds.SetSortOptions({osoInsertInOrder});
    AppendRecord("six", 6);
    EXPECT_EQ("six", ds.FieldByName("Name")->AsString());
    EXPECT_EQ(4, ds.RecNo());
    // Among equal keys the new record comes first.
    AppendRecord("five", 5);
    EXPECT_EQ(3, ds.RecNo());
    EXPECT_EQ((V{"Avocado", "banana", "five", "apple", "six", "", "Apple"}), Names());
    EXPECT_TRUE(ds.InKeyOrder());
    EXPECT_TRUE(ds.Locate("Qty", 6, {}));
    EXPECT_EQ("six", ds.FieldByName("Name")->AsString());
}

TEST_F(DatasetView, InsertInOrderIntoATableOpenedEmpty) {
    ds.Seed.clear();
    ds.SetIndexFieldNames("Qty");
    ds.SetSortOptions({osoInsertInOrder});
    ds.Open();
    for (int qty : {5, 2, 9, 1}) {
        AppendRecord(std::to_string(qty), qty);
    }
    EXPECT_EQ((V{"1", "2", "5", "9"}), Names());
    EXPECT_TRUE(ds.InKeyOrder());
}

TEST_F(DatasetView, InsertInOrderDescending) {
    ds.Open();
    ds.SetIndexFieldNames("Qty");
    ds.SetSortOptions({osoInsertInOrder, osoDescendSort});
    AppendRecord("one", 1);
    EXPECT_EQ((V{"Apple", "", "apple", "one", "banana", "Avocado"}), Names());
}

TEST_F(DatasetView, WithoutInsertInOrderTheRecordStaysAtTheEnd) {
    ds.Open();
    ds.SetIndexFieldNames("Qty");
    AppendRecord("six", 6);
    EXPECT_EQ(6, ds.RecNo());
    EXPECT_FALSE(ds.InKeyOrder());
    // No binary search over a view out of order.
    EXPECT_TRUE(ds.Locate("Qty", 6, {}));
    EXPECT_EQ("six", ds.FieldByName("Name")->AsString());
    ds.RebuildView();
    EXPECT_TRUE(ds.InKeyOrder());
    EXPECT_EQ(4, ds.RecNo());
}

TEST_F(DatasetView, EditingASortKeyClearsTheKeyOrder) {
    ds.Open();
    ds.SetIndexFieldNames("Qty");
    ds.First();
    ds.Edit();
    ds.FieldByName("Qty")->SetAsInteger(-1);  // still first
    ds.Post();
    EXPECT_TRUE(ds.InKeyOrder());
    ds.Edit();
    ds.FieldByName("Qty")->SetAsInteger(100);
    ds.Post();
    EXPECT_FALSE(ds.InKeyOrder());
    EXPECT_EQ(1, ds.RecNo());
    EXPECT_TRUE(ds.Locate("Qty", 100, {}));
    EXPECT_EQ(1, ds.RecNo());
}

TEST_F(DatasetView, DeletedRecordsLeaveTheView) {
    ds.Open();
    ds.Delete();
    EXPECT_EQ((V{"Avocado", "banana", "Apple", ""}), Names());
    ds.RebuildView();
    EXPECT_EQ(4, ds.RecordCount());
}

TEST_F(DatasetView, FindRecordWithTheFilterText) {
    ds.Open();
    ds.SetFilter("Qty > 4");
    EXPECT_TRUE(ds.FindFirst());
    EXPECT_EQ("apple", ds.FieldByName("Name")->AsString());
    EXPECT_TRUE(ds.FindNext());
    EXPECT_EQ("Apple", ds.FieldByName("Name")->AsString());
    EXPECT_TRUE(ds.FindLast());
    EXPECT_EQ("", ds.FieldByName("Name")->AsString());
    EXPECT_FALSE(ds.FindNext());
    EXPECT_FALSE(ds.Found());
    EXPECT_EQ("", ds.FieldByName("Name")->AsString());
    EXPECT_TRUE(ds.FindPrior());
    EXPECT_EQ("Apple", ds.FieldByName("Name")->AsString());
    ds.SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName("Price")->AsFloat() > 3; });
    EXPECT_TRUE(ds.FindFirst());
    EXPECT_EQ("", ds.FieldByName("Name")->AsString());
    EXPECT_EQ(5, ds.RecordCount());
}

TEST_F(DatasetView, FindRecordWhenFiltered) {
    ds.Open();
    ds.SetFilter("Qty > 4");
    ds.SetFiltered(true);
    EXPECT_TRUE(ds.FindLast());
    EXPECT_EQ("", ds.FieldByName("Name")->AsString());
    EXPECT_FALSE(ds.FindNext());
    EXPECT_TRUE(ds.FindFirst());
    EXPECT_EQ("apple", ds.FieldByName("Name")->AsString());
}

TEST_F(DatasetView, RangeOverRangeFieldNames) {
    ds.Open();
    ds.SetRangeFieldNames("Due");
    ds.SetRange("01/10/2024", "01/10/2024");
    ds.ApplyRange();
    EXPECT_EQ((V{"apple", "Apple"}), Names());
    ds.SetRange("", "");  // no values: every record
    ds.ApplyRange();
    EXPECT_EQ(5, ds.RecordCount());
    // Start and end over two fields, compared field by field with case.
    ds.SetRangeFieldNames("Code;Qty");
    ds.SetRange("B\t\t", "b\t\t");
    ds.ApplyRange();
    EXPECT_EQ((V{"apple", "Avocado", "banana"}), Names());
    // An empty piece keeps the following values in their fields.
    ds.SetRangeFieldNames("Name;Qty");
    ds.SetRange("\t7\t", "\t7\t");
    ds.ApplyRange();
    EXPECT_EQ((V{""}), Names());
    ds.CancelRange();
    EXPECT_EQ(5, ds.RecordCount());
}

// A record the view's own edit takes out of its filter shows until the view
// is rebuilt; the rebuild drops it without a build. One whose sort key
// changed with it is built again.
TEST_F(DatasetView, RebuildDropsWhatOwnEditsTookOutOfTheFilter) {
    ds.SetIndexFieldNames("Qty");
    ds.SetFilter("Flag='True'");
    ds.SetFiltered(true);
    ds.Open();
    ASSERT_EQ(V({"banana", "apple"}), Names());
    const int builds = ds.ViewBuilds();
    ds.Last();
    ds.Edit();
    ds.FieldByName("Flag")->SetAsBoolean(false);
    ds.Post();
    EXPECT_EQ(V({"banana", "apple"}), Names());
    ds.RebuildView(true);
    EXPECT_EQ(V({"banana"}), Names());
    EXPECT_EQ(1, ds.RecordCount());
    EXPECT_EQ(builds, ds.ViewBuilds());

    ds.First();
    ds.Edit();
    ds.FieldByName("Flag")->SetAsBoolean(false);
    ds.FieldByName("Qty")->SetAsInteger(9);
    ds.Post();
    ds.RebuildView(true);
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(builds + 1, ds.ViewBuilds());
}
