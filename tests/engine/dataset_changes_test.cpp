// The pending-change count and its event, cancelling, reverting, accepting,
// saving and refreshing.
#include <gtest/gtest.h>

#include "engine/messages.h"
#include "support/engine/dataset_fixture.h"

namespace {

class DatasetChanges : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        ds.Layout = TaskLayout();
        ds.Seed = {{{"Action", "one"}, {"Priority", "1"}},
                   {{"Action", "two"}, {"Priority", "2"}},
                   {{"Action", "three"}, {"Priority", "3"}}};
        ds.SetOnNeedToSaveChange(MakeEvent(&counter, &TSaveChangeCounter::Handler));
        ds.SetDatabase(&db);
        ds.Open();
        db.Notices.clear();
    }
    void SetAction(const std::string& text) {
        ds.Edit();
        ds.FieldByName("Action")->SetAsString(text);
    }
    std::string Action() { return ds.FieldByName("Action")->AsString(); }

    TTestDatabase db;
    TTestDataset ds;
    TSaveChangeCounter counter;
};

}  // namespace

TEST_F(DatasetChanges, EditAndCancelFiresTwice) {
    ds.Edit();
    EXPECT_EQ(1, counter.Calls);
    EXPECT_TRUE(ds.HasPendingChanges());
    ds.Cancel();
    EXPECT_EQ(2, counter.Calls);
    EXPECT_FALSE(ds.HasPendingChanges());
    EXPECT_EQ((std::vector<std::string>{"changed", "settled"}), db.Notices);
}

TEST_F(DatasetChanges, EditsCountOnceEach) {
    SetAction("a");
    ds.Post();
    SetAction("b");
    ds.Post();
    EXPECT_EQ(2, ds.PendingChanges());
    EXPECT_EQ(1, counter.Calls);
    EXPECT_EQ((std::vector<std::string>{"changed", "changed"}), db.Notices);
    ds.CommitChanges();
    EXPECT_EQ(0, ds.PendingChanges());
    EXPECT_EQ(2, counter.Calls);
    EXPECT_EQ("settled", db.Notices.back());
    EXPECT_EQ(usUnmodified, ds.UpdateStatus());
    EXPECT_EQ("b", Action());
}

TEST_F(DatasetChanges, CancelKeepsWhatWasPostedBefore) {
    SetAction("first edit");
    ds.Post();
    SetAction("second edit");
    ds.Cancel();
    EXPECT_EQ("first edit", Action());
    EXPECT_EQ(usModified, ds.UpdateStatus());
    EXPECT_EQ(1, ds.PendingChanges());
    // The revert brings the values of the last accept back.
    ds.CancelChanges();
    EXPECT_EQ("one", Action());
    EXPECT_FALSE(ds.HasPendingChanges());
}

TEST_F(DatasetChanges, InsertDeleteAndCancel) {
    ds.Append();
    EXPECT_EQ(1, ds.PendingChanges());
    ds.Cancel();
    EXPECT_EQ(0, ds.PendingChanges());
    EXPECT_EQ(3, ds.RecordCount());
    PutText(&ds, "Action", "four", true);
    ds.First();
    ds.Delete();
    EXPECT_EQ(2, ds.PendingChanges());
    EXPECT_EQ(3, ds.RecordCount());
    EXPECT_EQ(3, counter.Calls);
}

TEST_F(DatasetChanges, CancelChangesRevertsEverything) {
    SetAction("changed");
    ds.Post();
    PutText(&ds, "Action", "new", true);
    ds.First();
    ds.Next();
    ds.Delete();
    ds.Append();
    ds.FieldByName("Action")->SetAsString("pending");
    const int before = counter.Calls;
    ds.CancelChanges();
    EXPECT_EQ(dsBrowse, ds.State());
    EXPECT_EQ(before + 1, counter.Calls);
    EXPECT_FALSE(ds.HasPendingChanges());
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), Column(ds, "Action"));
    EXPECT_EQ("settled", db.Notices.back());
    // Nothing pending: nothing happens.
    ds.CancelChanges();
    EXPECT_EQ(before + 1, counter.Calls);
}

TEST_F(DatasetChanges, CommitPostsAnEditInProgress) {
    SetAction("typed");
    ds.CommitChanges();
    EXPECT_EQ(dsBrowse, ds.State());
    EXPECT_FALSE(ds.HasPendingChanges());
    ds.CancelChanges();
    EXPECT_EQ("typed", Action());
}

TEST_F(DatasetChanges, SaveWritesAndAccepts) {
    SetAction("saved");
    ds.Save();  // posts first
    EXPECT_EQ(dsBrowse, ds.State());
    EXPECT_EQ(1, ds.SaveCount);
    EXPECT_FALSE(ds.HasPendingChanges());
    EXPECT_EQ(2, counter.Calls);
    EXPECT_EQ("settled", db.Notices.back());
    // A revert after the save keeps the saved values, so memory and file agree.
    SetAction("later");
    ds.Post();
    ds.CancelChanges();
    EXPECT_EQ("saved", Action());
    // Nothing pending: nothing written.
    ds.Save();
    EXPECT_EQ(1, ds.SaveCount);
}

TEST_F(DatasetChanges, PasswordChangeCountsSilently) {
    ds.IncrementPendingChanges();
    EXPECT_TRUE(ds.HasPendingChanges());
    EXPECT_EQ(0, counter.Calls);
    EXPECT_TRUE(db.Notices.empty());
}

TEST_F(DatasetChanges, FailedPostLeavesStoreAndView) {
    ds.SetUniqueFieldNames("Action");
    ds.SetCheckKeyViolation(true);
    ds.Append();
    ds.FieldByName("Action")->SetAsString("two");
    EXPECT_RAISES(ds.Post(), EDatabaseError, "Error saving new record: Key violation");
    EXPECT_EQ(dsInsert, ds.State());
    EXPECT_EQ("two", Action());
    ds.Cancel();
    EXPECT_EQ(3, ds.RecordCount());
    ds.Last();
    SetAction("One");  // other case: not a violation
    ds.Post();
    SetAction("one");
    EXPECT_RAISES(ds.Post(), EDatabaseError, "Error saving record: Key violation");
    EXPECT_EQ(dsEdit, ds.State());
    EXPECT_EQ("one", Action());
    ds.Cancel();
    EXPECT_EQ("One", Action());
    // The record's own values are no violation.
    SetAction("One");
    ds.Post();
}

TEST_F(DatasetChanges, DeletedRecordsDoNotViolateKeys) {
    ds.SetUniqueFieldNames("Action");
    ds.SetCheckKeyViolation(true);
    ds.First();
    ds.Delete();
    PutText(&ds, "Action", "one", true);
    EXPECT_EQ(3, ds.RecordCount());
}

TEST_F(DatasetChanges, RefreshReloadsAndFindsTheRecordAgain) {
    ds.SetUniqueFieldNames("Action");
    ds.Next();
    SetAction("second");
    ds.Post();
    ds.Refresh();  // saves first
    EXPECT_EQ(1, ds.SaveCount);
    EXPECT_EQ("second", Action());
    EXPECT_EQ(2, ds.RecNo());
    EXPECT_FALSE(ds.HasPendingChanges());
    ds.SetIndexFieldNames("Action");
    ds.Refresh();
    EXPECT_EQ("second", Action());
    EXPECT_EQ((std::vector<std::string>{"one", "second", "three"}), Column(ds, "Action"));
}

TEST_F(DatasetChanges, ClosingDropsTheCount) {
    SetAction("x");
    ds.Post();
    ds.Close();
    EXPECT_FALSE(ds.HasPendingChanges());
    EXPECT_EQ("closed", db.Notices.back());
}

TEST_F(DatasetChanges, RefreshThatCannotReloadClosesTheTable) {
    SetAction("kept");
    ds.Post();
    ds.Save();
    ds.SavedImage = "garbage";  // the file went bad meanwhile
    EXPECT_THROW(ds.Refresh(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ("closed", db.Notices.back());
}

TEST_F(DatasetChanges, OpenClonesKeepTheSourceOpen) {
    TTestDataset clone;
    clone.Layout = TaskLayout();
    clone.Open();
    ds.AddClone(&clone);
    EXPECT_RAISES(ds.Close(), EDatabaseError,
                  "Cloned tables are not closed before source dataset is closed!");
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(3, ds.RecordCount());
    clone.Close();
    ds.Close();
    EXPECT_FALSE(ds.Active());
    ds.RemoveClone(&clone);
}

TEST_F(DatasetChanges, DestroyingTheSourceClosesItsClones) {
    TTestDataset clone;
    clone.Layout = TaskLayout();
    clone.Open();
    {
        TTestDataset source;
        source.Layout = TaskLayout();
        source.Open();
        source.AddClone(&clone);
    }
    EXPECT_FALSE(clone.Active());
}
