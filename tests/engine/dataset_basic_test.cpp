// Opening, field values, new-record defaults, navigation and bookmarks of the
// engine dataset.
#include <gtest/gtest.h>

#include "engine/messages.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/properties.h"
#include "platform/db/fieldtypes.h"
#include "support/engine/dataset_fixture.h"

namespace {

class DatasetBasic : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        ds.Layout = TaskLayout();
        ds.Seed = {{{"Action", "Write report"}, {"Category", "Work"}, {"Priority", "1"}, {"Flag", "T"}},
                   {{"Action", "Buy milk"}, {"Category", "Home"}, {"Priority", "2"}},
                   {{"Action", "Call Ann"}, {"Category", "Home"}, {"Priority", "4"}, {"Date", "03/04/2021"}}};
    }
    void TearDown() override { ResetClock(); }
    TTestDataset ds;
};

}  // namespace

TEST_F(DatasetBasic, OpensWithFieldsOfTheStore) {
    ds.Open();
    ASSERT_EQ(8, ds.FieldCount());
    EXPECT_EQ(ftAutoInc, ds.FieldByName("Key")->DataType());
    EXPECT_EQ(ftBoolean, ds.FieldByName("Flag")->DataType());
    EXPECT_EQ(ftString, ds.FieldByName("Action")->DataType());
    EXPECT_EQ(255, ds.FieldByName("Action")->Size());
    EXPECT_EQ(10, ds.FieldByName("Category")->Size());
    EXPECT_EQ(ftDate, ds.FieldByName("Date")->DataType());
    EXPECT_EQ(ftMemo, ds.FieldByName("Notes")->DataType());
    EXPECT_EQ(3, ds.RecordCount());
    EXPECT_EQ("Write report", ds.FieldByName("Action")->AsString());
    EXPECT_EQ(1, ds.RecNo());
    EXPECT_EQ(1, ds.FieldByName("Key")->AsInteger());
}

TEST_F(DatasetBasic, ZeroIsAValueOnlyForSomeTypes) {
    ds.Layout = {MakeField("I", oftInteger),       MakeField("S", oftSmallInt),
                 MakeField("B", oftBoolean),       MakeField("F", oftDouble),
                 MakeField("T", oftTime),          MakeField("D", oftDate),
                 MakeField("DT", oftDateTime),     MakeField("L", oftInt64),
                 MakeField("Txt", oftSmallStr, 5), MakeField("Str", oftString, 20)};
    ds.Seed = {{{"Txt", ""}}};
    ds.Open();
    for (const char* name : {"I", "S", "B", "F", "T"}) EXPECT_FALSE(ds.FieldByName(name)->IsNull()) << name;
    for (const char* name : {"D", "DT", "L", "Txt", "Str"})
        EXPECT_TRUE(ds.FieldByName(name)->IsNull()) << name;
    EXPECT_EQ("0", ds.FieldByName("I")->AsString());
    EXPECT_EQ("", ds.FieldByName("D")->AsString());
    EXPECT_FALSE(ds.FieldByName("B")->AsBoolean());
}

TEST_F(DatasetBasic, EmptyDatasetHasNoValues) {
    ds.Seed.clear();
    ds.Open();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(0, ds.RecordCount());
    EXPECT_TRUE(ds.FieldByName("Flag")->IsNull());
    EXPECT_FALSE(ds.Locate("Action", "x", {}));
}

TEST_F(DatasetBasic, ValuesRoundTripThroughFields) {
    ds.Open();
    ds.Edit();
    ds.FieldByName("Action")->SetAsString(std::string(300, 'x'));
    ds.FieldByName("Category")->SetAsString("Errands and more");
    ds.FieldByName("Date")->SetAsDateTime(EncodeDate(2022, 12, 31));
    ds.FieldByName("Flag")->SetAsBoolean(false);
    ds.Post();
    EXPECT_EQ(std::string(255, 'x'), ds.FieldByName("Action")->AsString());
    EXPECT_EQ("Errands an", ds.FieldByName("Category")->AsString());
    EXPECT_EQ(EncodeDate(2022, 12, 31), ds.FieldByName("Date")->AsDateTime());
    EXPECT_FALSE(ds.FieldByName("Flag")->AsBoolean());
    // Clearing a text leaves no value.
    ds.Edit();
    ds.FieldByName("Action")->Clear();
    ds.Post();
    EXPECT_TRUE(ds.FieldByName("Action")->IsNull());
}

TEST_F(DatasetBasic, WritingOutsideEditModeFails) {
    ds.Open();
    EXPECT_RAISES(ds.FieldByName("Action")->SetAsString("x"), EDatabaseError,
                  "Table is not in edit or insert mode");
}

TEST_F(DatasetBasic, ReadOnlyFieldAndAutoInc) {
    ds.Open();
    ds.FieldByName("Category")->SetReadOnly(true);
    ds.Edit();
    EXPECT_RAISES(ds.FieldByName("Category")->SetAsString("x"), EDatabaseError,
                  "Field 'Category' is read only!");
    ds.FieldByName("Key")->SetAsInteger(99);  // silently ignored
    EXPECT_EQ(1, ds.FieldByName("Key")->AsInteger());
    ds.Post();
    EXPECT_EQ(1, ds.FieldByName("Key")->AsInteger());
}

TEST_F(DatasetBasic, ReadOnlyDataset) {
    ds.SetReadOnly(true);
    ds.Open();
    EXPECT_FALSE(ds.CanModify());
    EXPECT_RAISES(ds.Insert(), EDatabaseError, "You have read only access, you can not add records!");
    EXPECT_RAISES(ds.Edit(), EDatabaseError, "Read-only record cannot be changed");
    EXPECT_RAISES(ds.Delete(), EDatabaseError, "Read-only record cannot be deleted");
    EXPECT_EQ(dsBrowse, ds.State());
    EXPECT_FALSE(ds.HasPendingChanges());
    EXPECT_EQ(3, ds.RecordCount());
}

TEST_F(DatasetBasic, NewRecordDefaultsBeforeOnNewRecord) {
    SetClockForTesting(EncodeDate(2024, 5, 17) + EncodeTime(10, 30, 0, 0));
    ds.Layout = {MakeField("Key", oftAutoInc),
                 MakeField("Date", oftDate, 0, "TODAY"),
                 MakeField("Stamp", oftDateTime, 0, "NOW"),
                 MakeField("Code", oftSmallStr, 8, "UNICOD"),
                 MakeField("Status", oftSmallStr, 15, "Open"),
                 MakeField("Due", oftDate, 0, "TODAY"),
                 MakeField("Day", oftDate, 0, "NOW"),
                 MakeField("When", oftDateTime, 0, "TODAY")};
    ds.Seed.clear();
    ds.Open();
    ds.FieldByName("Due")->SetDefaultExpression("01/02/2020");
    std::string seenDate, seenStatus;
    ds.SetOnNewRecord([&](TDataSet* d) {
        seenDate = d->FieldByName("Date")->AsString();
        seenStatus = d->FieldByName("Status")->AsString();
    });
    ds.Append();
    EXPECT_EQ("05/17/2024", seenDate);
    EXPECT_EQ("Open", seenStatus);
    EXPECT_EQ(EncodeDate(2024, 5, 17) + EncodeTime(10, 30, 0, 0), ds.FieldByName("Stamp")->AsDateTime());
    EXPECT_EQ(8u, ds.FieldByName("Code")->AsString().size());
    EXPECT_EQ("01/02/2020", ds.FieldByName("Due")->AsString());  // the field's own default wins
    EXPECT_EQ(EncodeDate(2024, 5, 17), ds.FieldByName("Day")->AsDateTime());
    EXPECT_EQ(EncodeDate(2024, 5, 17), ds.FieldByName("When")->AsDateTime());
    ds.Post();
    EXPECT_EQ(1, ds.RecordCount());
    EXPECT_EQ(1, ds.FieldByName("Key")->AsInteger());
}

// Defaults go through the engine's text rule, which takes any text.
TEST_F(DatasetBasic, DefaultsTheFieldsWouldRefuseStillMakeRecords) {
    ds.Layout = {MakeField("Done", oftBoolean, 0, "yes"),      MakeField("Off", oftBoolean, 0, "no"),
                 MakeField("Qty", oftInteger, 0, "12x"),       MakeField("Small", oftSmallInt, 0, "7"),
                 MakeField("Big", oftInt64, 0, "99999999999"), MakeField("Price", oftDouble, 0, "2.5")};
    ds.Seed.clear();
    ds.Open();
    ds.FieldByName("Off")->SetDefaultExpression("T");
    ds.Append();
    EXPECT_TRUE(ds.FieldByName("Done")->AsBoolean());
    EXPECT_TRUE(ds.FieldByName("Off")->AsBoolean());
    EXPECT_FALSE(ds.FieldByName("Qty")->IsNull());
    EXPECT_EQ(0, ds.FieldByName("Qty")->AsInteger());
    EXPECT_EQ(7, ds.FieldByName("Small")->AsInteger());
    EXPECT_EQ(99999999999LL, ds.FieldByName("Big")->AsLargeInt());
    EXPECT_EQ(2.5, ds.FieldByName("Price")->AsFloat());
    ds.Post();
    EXPECT_EQ(1, ds.RecordCount());
}

TEST_F(DatasetBasic, RecNoClampsToTheRecords) {
    ds.Open();
    ds.Last();
    EXPECT_EQ(3, ds.RecNo());
    ds.SetRecNo(0);
    EXPECT_EQ(1, ds.RecNo());
    EXPECT_EQ("Write report", ds.FieldByName("Action")->AsString());
    ds.SetRecNo(99);
    EXPECT_EQ(3, ds.RecNo());
    EXPECT_EQ("Call Ann", ds.FieldByName("Action")->AsString());
    ds.SetRecNo(2);
    EXPECT_EQ("Buy milk", ds.FieldByName("Action")->AsString());
}

TEST_F(DatasetBasic, NavigationAndBookmarks) {
    ds.Open();
    EXPECT_EQ((std::vector<std::string>{"Write report", "Buy milk", "Call Ann"}), Column(ds, "Action"));
    ds.First();
    ds.Next();
    const TBookmark mark = ds.Bookmark();
    EXPECT_TRUE(ds.BookmarkValid(mark));
    ds.Last();
    ds.GotoBookmark(mark);
    EXPECT_EQ("Buy milk", ds.FieldByName("Action")->AsString());
    ds.Last();
    const TBookmark last = ds.Bookmark();
    EXPECT_EQ(0, ds.CompareBookmarks(mark, mark));
    EXPECT_EQ(-1, ds.CompareBookmarks(TBookmark(), mark));
    EXPECT_EQ(1, ds.CompareBookmarks(mark, TBookmark()));
    EXPECT_EQ(0, ds.CompareBookmarks(TBookmark(), TBookmark()));
    EXPECT_EQ(-ds.CompareBookmarks(mark, last), ds.CompareBookmarks(last, mark));
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(last));
    EXPECT_EQ(2, ds.RecordCount());
}

TEST_F(DatasetBasic, InsertInTheMiddleAndUpdateStatus) {
    ds.Open();
    EXPECT_EQ(usUnmodified, ds.UpdateStatus());
    ds.Next();
    ds.Insert();
    EXPECT_EQ(usInserted, ds.UpdateStatus());
    ds.FieldByName("Action")->SetAsString("Inserted");
    ds.Post();
    EXPECT_EQ(usInserted, ds.UpdateStatus());
    EXPECT_EQ(4, ds.RecordCount());
    ds.First();
    PutText(&ds, "Priority", "3");
    EXPECT_EQ(usModified, ds.UpdateStatus());
}

TEST_F(DatasetBasic, ClosedDatasetRefusesDataOperations) {
    EXPECT_RAISES(ds.RecordCount(), EDatabaseError, "Cannot do this operation on closed dataset");
    EXPECT_RAISES(ds.Locate("Action", "x", {}), EDatabaseError, "Cannot do this operation on closed dataset");
    EXPECT_RAISES(ds.ApplyRange(), EDatabaseError, "Cannot do this operation on closed dataset");
}

TEST_F(DatasetBasic, OpeningWithABadIndexFails) {
    ds.SetIndexFieldNames("Nope");
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
    ds.SetIndexFieldNames("Notes");
    EXPECT_RAISES(ds.Open(), EDatabaseError, "There are calc or BLOB fields in list of key fields");
    ds.SetIndexFieldNames("Action");
    ds.Open();
    EXPECT_EQ("Buy milk", ds.FieldByName("Action")->AsString());
}

TEST_F(DatasetBasic, FloatFieldsGetADisplayFormat) {
    ds.Layout = {MakeField("F", oftDouble), MakeField("C", oftCurrency)};
    ds.Seed = {{{"F", "2.5"}, {"C", "3"}}};
    ds.Open();
    EXPECT_EQ("0.######", static_cast<TFloatField*>(ds.FieldByName("F"))->DisplayFormat());
    EXPECT_EQ("", static_cast<TFloatField*>(ds.FieldByName("C"))->DisplayFormat());
    EXPECT_EQ("2.5", ds.FieldByName("F")->DisplayText());
}

TEST_F(DatasetBasic, FieldOriginIsAppliedOnOpening) {
    class TOriginDataset : public TTestDataset {
    public:
        void Configure() { SetFieldOrigin("Tasks"); }
    } origin;
    origin.Layout = TaskLayout();
    origin.Configure();
    origin.Open();
    EXPECT_EQ("Tasks", origin.FieldByName("Action")->Origin());
}

TEST_F(DatasetBasic, DatabaseIsToldOfOpenAndClose) {
    TTestDatabase db;
    ds.SetDatabase(&db);
    ds.Open();
    ds.Close();
    EXPECT_EQ((std::vector<std::string>{"opened", "closed"}), db.Notices);
    ds.Open();
    TTestDatabase other;
    ds.SetDatabase(&other);  // a different database closes the dataset
    EXPECT_FALSE(ds.Active());
    ds.SetDatabase(nullptr);
}

TEST_F(DatasetBasic, BlobValuesOfTheActiveRecord) {
    ds.Open();
    std::string value;
    EXPECT_FALSE(ds.GetBlobValue(ds.FieldByName("Notes"), value));
    ds.Edit();
    ds.SetBlobValue(ds.FieldByName("Notes"), std::string("line 1\0line 2", 13));
    ds.Post();
    ASSERT_TRUE(ds.GetBlobValue(ds.FieldByName("Notes"), value));
    EXPECT_EQ(std::string("line 1\0line 2", 13), value);
    EXPECT_FALSE(ds.FieldByName("Notes")->IsNull());
    EXPECT_RAISES(ds.SetBlobValue(ds.FieldByName("Notes"), "x"), EDatabaseError,
                  "Table is not in edit or insert mode");
}
