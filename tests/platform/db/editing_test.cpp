// Editing: edit, insert, append, post, cancel and delete, the order of the
// dataset's events and the links' notifications, and the errors that leave
// the dataset as it was.
#include "support/db/db_test_support.h"

using EditingTest = DataSetTest;

TEST_F(EditingTest, EditAndPostInOrder) {
    MakeRows(5);
    AddLink("L");
    LogEvents();
    Log.clear();
    DataSet->Edit();
    EXPECT_EQ(Log, TLog({"L.CheckBrowseMode", "BeforeEdit", "L.EditingChanged(1)", "L.RecordChanged(nil)",
                         "AfterEdit"}));
    EXPECT_EQ(DataSet->State(), dsEdit);
    EXPECT_FALSE(DataSet->Modified());
    Log.clear();
    DataSet->FieldByName("Name")->SetAsString("Changed");
    EXPECT_EQ(Log, TLog({"L.RecordChanged(Name)"}));
    EXPECT_TRUE(DataSet->Modified());
    Log.clear();
    DataSet->Post();
    EXPECT_EQ(Log, TLog({"L.UpdateData", "L.CheckBrowseMode", "BeforePost", "L.EditingChanged(0)",
                         "L.DataSetChanged", "AfterPost"}));
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(DataSet->FieldByName("Name")->AsString(), "Changed");
    EXPECT_EQ(DataSet->UpdateStatus(), usModified);
}

TEST_F(EditingTest, InsertInOrder) {
    MakeRows(5);
    AddLink("L");
    LogEvents();
    Log.clear();
    DataSet->Insert();
    EXPECT_EQ(Log, TLog({"L.CheckBrowseMode", "BeforeInsert", "BeforeScroll", "L.EditingChanged(1)",
                         "OnNewRecord", "L.DataSetChanged", "AfterInsert", "AfterScroll"}));
    EXPECT_EQ(DataSet->State(), dsInsert);
    EXPECT_TRUE(DataSet->FieldByName("ID")->IsNull());
    EXPECT_TRUE(DataSet->Bookmark().empty());
    EXPECT_EQ(DataSet->UpdateStatus(), usInserted);
}

TEST_F(EditingTest, CancelRestoresTheRecord) {
    MakeRows(5);
    AddLink("L");
    LogEvents();
    DataSet->Edit();
    DataSet->FieldByName("Name")->SetAsString("Changed");
    Log.clear();
    DataSet->Cancel();
    EXPECT_EQ(Log, TLog({"L.CheckBrowseMode", "BeforeCancel", "L.EditingChanged(0)", "L.DataSetChanged",
                         "AfterCancel"}));
    EXPECT_EQ(DataSet->FieldByName("Name")->AsString(), "Name 1");
    EXPECT_EQ(DataSet->InternalCancelCalls, 1);
    Log.clear();
    DataSet->Cancel();  // nothing to cancel
    EXPECT_TRUE(Log.empty());
}

TEST_F(EditingTest, DeleteInOrder) {
    MakeRows(5);
    AddLink("L");
    LogEvents();
    DataSet->Next();
    Log.clear();
    DataSet->Delete();
    EXPECT_EQ(Log, TLog({"L.CheckBrowseMode", "BeforeDelete", "BeforeScroll", "L.DataSetChanged",
                         "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(DataSet->RecordCount(), 4);
    EXPECT_EQ(IdOf(), 3);
}

TEST_F(EditingTest, DeleteWhileInsertingCancelsTheInsert) {
    MakeRows(5);
    DataSet->Insert();
    DataSet->Delete();
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(DataSet->RecordCount(), 5);
}

TEST_F(EditingTest, InsertGoesBeforeTheActiveRowOfTheWindow) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    DataSet->MoveBy(2);
    DataSet->Insert();
    EXPECT_EQ(link->ActiveRecord(), 2);
    link->SetActiveRecord(3);
    EXPECT_EQ(IdOf(), 3);
    link->SetActiveRecord(2);
    EXPECT_TRUE(DataSet->FieldByName("ID")->IsNull());
    DataSet->FieldByName("ID")->SetAsInteger(100);
    DataSet->Post();
    EXPECT_EQ(IdOf(), 100);
    EXPECT_EQ(RowsOf(link), std::vector<int>({1, 2, 100, 3, 4}));
    EXPECT_EQ(DataSet->RecordCount(), 21);
}

TEST_F(EditingTest, CancelledInsertGivesTheWindowBack) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    DataSet->MoveBy(4);  // last row of the window
    DataSet->Insert();
    EXPECT_EQ(link->ActiveRecord(), 4);
    DataSet->Cancel();
    EXPECT_EQ(IdOf(), 5);
    EXPECT_EQ(RowsOf(link), Range(1, 5));
}

TEST_F(EditingTest, AppendShowsTheNewRecordUnderTheLastOne) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    DataSet->Append();
    EXPECT_TRUE(DataSet->Eof());
    EXPECT_EQ(link->ActiveRecord(), 4);
    link->SetActiveRecord(3);
    EXPECT_EQ(IdOf(), 20);
    link->SetActiveRecord(4);
    DataSet->FieldByName("ID")->SetAsInteger(21);
    DataSet->Post();
    EXPECT_EQ(IdOf(), 21);
    EXPECT_EQ(RowsOf(link), Range(17, 21));
    DataSet->Last();
    EXPECT_EQ(IdOf(), 21);
}

TEST_F(EditingTest, InsertAndEditOnAnEmptyDataSet) {
    MakeRows(0);
    AddLink("L", 3);
    DataSet->Edit();  // an empty dataset inserts instead
    EXPECT_EQ(DataSet->State(), dsInsert);
    DataSet->FieldByName("ID")->SetAsInteger(7);
    DataSet->Post();
    EXPECT_EQ(DataSet->RecordCount(), 1);
    EXPECT_EQ(IdOf(), 7);
    EXPECT_FALSE(DataSet->IsEmpty());
}

TEST_F(EditingTest, CheckBrowseModePostsChangesAndCancelsTheRest) {
    MakeRows(5);
    DataSet->Edit();
    DataSet->Next();
    EXPECT_EQ(DataSet->InternalCancelCalls, 1);
    EXPECT_EQ(IdOf(), 2);
    DataSet->Edit();
    DataSet->FieldByName("Name")->SetAsString("Kept");
    DataSet->Next();
    DataSet->Prior();
    EXPECT_EQ(DataSet->FieldByName("Name")->AsString(), "Kept");
    EXPECT_EQ(DataSet->InternalCancelCalls, 1);
}

TEST_F(EditingTest, PostFromInsideOnNewRecord) {
    MakeRows(5);
    LogEvents();
    DataSet->SetOnNewRecord([](TDataSet* ds) {
        ds->FieldByName("ID")->SetAsInteger(50);
        ds->Post();
    });
    Log.clear();
    DataSet->Insert();
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(DataSet->RecordCount(), 6);
    EXPECT_EQ(IdOf(), 50);
    EXPECT_NE(std::find(Log.begin(), Log.end(), "AfterPost"), Log.end());
}

TEST_F(EditingTest, ExceptionInOnNewRecordCancelsTheInsert) {
    MakeRows(5);
    TLogLink* link = AddLink("L", 3);
    DataSet->Next();
    DataSet->SetOnNewRecord([](TDataSet*) { throw EDatabaseError("No new records today"); });
    EXPECT_EQ(ErrorOf([&] { DataSet->Insert(); }), "No new records today");
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(DataSet->RecordCount(), 5);
    EXPECT_EQ(DataSet->InternalCancelCalls, 1);
    EXPECT_EQ(IdOf(), 2);
    EXPECT_EQ(RowsOf(link), Range(1, 3));
    EXPECT_FALSE(link->Editing());
}

TEST_F(EditingTest, RequiredFieldKeepsTheInsertOpen) {
    MakeRows(5);
    DataSet->FieldByName("Name")->SetRequired(true);
    DataSet->Insert();
    DataSet->FieldByName("ID")->SetAsInteger(6);
    EXPECT_EQ(ErrorOf([&] { DataSet->Post(); }), "Field 'Name' must have a value");
    EXPECT_EQ(DataSet->State(), dsInsert);
    EXPECT_EQ(IdOf(), 6);
    DataSet->FieldByName("Name")->SetAsString("Six");
    DataSet->Post();
    EXPECT_EQ(DataSet->RecordCount(), 6);
}

TEST_F(EditingTest, UnknownFieldRaisesAndChangesNothing) {
    MakeRows(5);
    DataSet->Next();
    EXPECT_EQ(ErrorOf([&] { DataSet->FieldByName("Nope"); }), "Field 'Nope' not found");
    EXPECT_EQ(ErrorOf([&] { DataSet->FieldValues("ID; Nope"); }), "Field 'Nope' not found");
    EXPECT_EQ(DataSet->FindField("Nope"), nullptr);
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(IdOf(), 2);
}

TEST_F(EditingTest, OperationsOnAClosedDataSet) {
    MakeRows(5, false);
    const std::string closed = "Cannot perform this operation on a closed dataset";
    EXPECT_EQ(ErrorOf([&] { DataSet->Post(); }), closed);
    EXPECT_EQ(ErrorOf([&] { DataSet->Edit(); }), closed);
    EXPECT_EQ(ErrorOf([&] { DataSet->Insert(); }), closed);
    EXPECT_EQ(ErrorOf([&] { DataSet->Delete(); }), closed);
    EXPECT_EQ(ErrorOf([&] { DataSet->First(); }), closed);
    EXPECT_EQ(ErrorOf([&] { DataSet->Next(); }), closed);
    EXPECT_FALSE(DataSet->Active());
    EXPECT_EQ(DataSet->State(), dsInactive);
}

TEST_F(EditingTest, ReadOnlyDataSetRefusesChangesAndStaysAsItWas) {
    MakeRows(5);
    TLogLink* link = AddLink("L", 3);
    DataSet->SetReadOnly(true);
    DataSet->Next();
    const std::string readOnly = "Cannot modify a read-only dataset";
    Log.clear();
    EXPECT_EQ(ErrorOf([&] { DataSet->Edit(); }), readOnly);
    EXPECT_EQ(ErrorOf([&] { DataSet->Insert(); }), readOnly);
    EXPECT_EQ(ErrorOf([&] { DataSet->Append(); }), readOnly);
    EXPECT_EQ(ErrorOf([&] { DataSet->Delete(); }), readOnly);
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(DataSet->RecordCount(), 5);
    EXPECT_EQ(IdOf(), 2);
    EXPECT_EQ(RowsOf(link), Range(1, 3));
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "L.EditingChanged(1)"), 0);
}

TEST_F(EditingTest, PostAndDeleteWhereTheyCannotWork) {
    MakeRows(0);
    EXPECT_EQ(ErrorOf([&] { DataSet->Post(); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { DataSet->Delete(); }), "Cannot perform this operation on an empty dataset");
    EXPECT_EQ(ErrorOf([&] { DataSet->ClearFields(); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf([&] { DataSet->SetFields({Variant(1)}); }), "Dataset not in edit or insert mode");
}

TEST_F(EditingTest, CloseWhileEditingDropsTheEditQuietly) {
    MakeRows(5);
    LogEvents();
    DataSet->Edit();
    DataSet->FieldByName("Name")->SetAsString("Lost");
    Log.clear();
    DataSet->Close();
    EXPECT_EQ(Log, TLog({"BeforeClose", "AfterClose"}));
    EXPECT_EQ(DataSet->InternalCancelCalls, 1);
    DataSet->Open();
    EXPECT_EQ(DataSet->FieldByName("Name")->AsString(), "Name 1");
}

TEST_F(EditingTest, AppendRecordAndInsertRecord) {
    MakeRows(5);
    LogEvents();
    Log.clear();
    DataSet->AppendRecord({Variant(6), Variant("Six")});
    EXPECT_EQ(DataSet->InternalAddRecordCalls, 1);
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(IdOf(), 6);
    EXPECT_EQ(DataSet->RecordCount(), 6);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "AfterPost"), 1);
    DataSet->First();
    DataSet->InsertRecord({Variant(0), Null()});
    EXPECT_EQ(IdOf(), 0);
    EXPECT_TRUE(DataSet->FieldByName("Name")->IsNull());
    DataSet->First();
    EXPECT_EQ(IdOf(), 0);
}

TEST_F(EditingTest, FailedInsertRecordLeavesNothingBehind) {
    MakeRows(5);
    DataSet->FieldByName("Name")->SetRequired(true);
    EXPECT_EQ(ErrorOf([&] { DataSet->InsertRecord({Variant(9)}); }), "Field 'Name' must have a value");
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(DataSet->RecordCount(), 5);
    EXPECT_EQ(DataSet->InternalAddRecordCalls, 0);
    EXPECT_EQ(DataSet->InternalCancelCalls, 1);
    EXPECT_EQ(IdOf(), 1);
}

TEST_F(EditingTest, ClearFieldsKeepsTheRecordsPlace) {
    MakeRows(5);
    DataSet->Next();
    DataSet->Edit();
    DataSet->ClearFields();
    EXPECT_TRUE(DataSet->FieldByName("ID")->IsNull());
    DataSet->FieldByName("ID")->SetAsInteger(22);
    DataSet->Post();
    EXPECT_EQ(DataSet->RecordCount(), 5);
    EXPECT_EQ(IdOf(), 22);
    EXPECT_TRUE(DataSet->FieldByName("Name")->IsNull());
    DataSet->Prior();
    EXPECT_EQ(IdOf(), 1);
}

TEST_F(EditingTest, DataSourceEventsFollowTheState) {
    MakeRows(5);
    TLog sourceLog;
    Source->SetOnStateChange([&](TObject*) {
        sourceLog.push_back("State " + EnumInfoOf(Source->State()).NameOf(Source->State()));
    });
    Source->SetOnDataChange([&](TObject*, TField* f) {
        sourceLog.push_back("Data " + (f ? f->FieldName() : std::string("nil")));
    });
    Source->SetOnUpdateData([&](TObject*) { sourceLog.push_back("Update"); });
    DataSet->Edit();
    DataSet->FieldByName("ID")->SetAsInteger(10);
    DataSet->Post();
    EXPECT_EQ(sourceLog,
              TLog({"State dsEdit", "Data nil", "Data ID", "Update", "State dsBrowse", "Data nil"}));
    sourceLog.clear();
    DataSet->Close();
    EXPECT_EQ(sourceLog, TLog({"State dsInactive"}));
    sourceLog.clear();
    DataSet->Open();
    EXPECT_EQ(sourceLog, TLog({"State dsBrowse", "Data nil"}));
}

TEST_F(EditingTest, AutoEditThroughTheSource) {
    MakeRows(5);
    TLogLink* link = AddLink("L");
    EXPECT_TRUE(link->Edit());
    EXPECT_EQ(DataSet->State(), dsEdit);
    DataSet->Cancel();
    Source->SetAutoEdit(false);
    EXPECT_FALSE(link->Edit());
    EXPECT_EQ(DataSet->State(), dsBrowse);
    link->SetReadOnly(true);
    Source->SetAutoEdit(true);
    EXPECT_FALSE(link->Edit());
    DataSet->Edit();
    EXPECT_FALSE(link->Editing());
}
