// The database component, the session, and a table's whole life through them.
#include "support/engine/table_test_fixture.h"

using DatabaseTest = TableTest;

TEST_F(DatabaseTest, DatabasePathAlwaysEndsWithTheDelimiter) {
    TOstraDatabase db(nullptr);
    EXPECT_EQ("", db.DatabasePath());
    EXPECT_EQ("mm/dd/yyyy", db.DateFormat());
    db.SetDatabasePath("/data");
    EXPECT_EQ("/data/", db.DatabasePath());
    db.SetDatabasePath("/data/");
    EXPECT_EQ("/data/", db.DatabasePath());
    db.SetDatabasePath("");
    EXPECT_EQ("", db.DatabasePath());
    SetStrProp(&db, "DatabasePath", "rel");
    EXPECT_EQ("rel/", GetStrProp(&db, "DatabasePath"));
}

TEST_F(DatabaseTest, TracksOpenAndChangedDatasets) {
    WriteTaskFile(Dir + "t.d", {{"Call", "Home"}});
    TOstraDatabase db(nullptr);
    TOstraTable t(nullptr);
    t.SetTableName(Dir + "t.d");
    t.SetDatabase(&db);
    t.Open();
    EXPECT_EQ((std::vector<TOstraDataset*>{&t}), db.OpenDatasets());
    EXPECT_FALSE(db.HasChanges());
    t.Edit();
    t.Edit();
    EXPECT_EQ((std::vector<TOstraDataset*>{&t}), db.ChangedDatasets());
    t.Cancel();
    EXPECT_FALSE(db.HasChanges());
    AddTask(t, "Two", "b");
    EXPECT_TRUE(db.HasChanges());
    t.Close();
    EXPECT_TRUE(db.OpenDatasets().empty());
    EXPECT_FALSE(db.HasChanges());
}

TEST_F(DatabaseTest, SaveDatasetsSavesEveryChangedTableAndLeavesNothingPending) {
    WriteTaskFile(Dir + "a.d", {{"A", "x"}});
    WriteTaskFile(Dir + "b.d", {{"B", "y"}});
    WriteTaskFile(Dir + "c.d", {{"C", "z"}});
    TOstraDatabase db(nullptr);
    db.SetDatabasePath(Dir);
    TOstraTable a(nullptr), b(nullptr), c(nullptr);
    for (TOstraTable* t : {&a, &b, &c}) t->SetDatabase(&db);
    a.SetTableName("a.d");
    b.SetTableName("b.d");
    c.SetTableName("c.d");
    for (TOstraTable* t : {&a, &b, &c}) t->Open();
    const std::string untouched = ReadFile(Dir + "c.d");
    AddTask(a, "A2", "x");
    b.Edit();
    b.FieldByName("Action")->SetAsString("B edited");  // left in edit mode: posted by the save

    db.SaveDatasets();
    EXPECT_FALSE(db.HasChanges());
    for (TOstraTable* t : {&a, &b, &c}) EXPECT_FALSE(t->HasPendingChanges());
    EXPECT_EQ(dsBrowse, b.State());
    EXPECT_EQ(untouched, ReadFile(Dir + "c.d"));
    EXPECT_EQ((std::vector<std::string>{"B edited"}), ActionsIn(Dir + "b.d"));
    EXPECT_EQ(2u, ActionsIn(Dir + "a.d").size());
}

TEST_F(DatabaseTest, SaveDatasetsWithoutChangesWritesNothingEvenForGivenDatasets) {
    WriteTaskFile(Dir + "a.d", {{"A", "x"}});
    TOstraDatabase quiet(nullptr), busy(nullptr);
    TOstraTable a(nullptr);
    a.SetTableName(Dir + "a.d");
    a.SetDatabase(&busy);
    a.Open();
    AddTask(a, "A2", "x");
    // Not even the foreign-dataset check runs when nothing changed.
    quiet.SaveDatasets({&a});
    EXPECT_TRUE(a.HasPendingChanges());
    EXPECT_EQ(1u, ActionsIn(Dir + "a.d").size());
}

TEST_F(DatabaseTest, ForeignDatasetStopsTheSaveAndIsNamed) {
    WriteTaskFile(Dir + "a.d", {{"A", "x"}});
    WriteTaskFile(Dir + "b.d", {{"B", "y"}});
    WriteTaskFile(Dir + "f.d", {{"F", "z"}});
    TOstraDatabase db(nullptr), other(nullptr);
    TOstraTable a(nullptr), b(nullptr), f(nullptr);
    a.SetName("tblA");
    f.SetName("tblForeign");
    a.SetTableName(Dir + "a.d");
    b.SetTableName(Dir + "b.d");
    f.SetTableName(Dir + "f.d");
    a.SetDatabase(&db);
    b.SetDatabase(&db);
    f.SetDatabase(&other);
    for (TOstraTable* t : {&a, &b, &f}) {
        t->Open();
        AddTask(*t, "new", "n");
    }
    EXPECT_RAISES(db.SaveDatasets({&a, &f, &b}), EDatabaseError,
                  "Dataset tblForeign is not belong to this database");
    // The one before was written and accepted; the one after keeps its changes.
    EXPECT_FALSE(a.HasPendingChanges());
    EXPECT_TRUE(b.HasPendingChanges());
    EXPECT_TRUE(f.HasPendingChanges());
    EXPECT_EQ((std::vector<TOstraDataset*>{&b}), db.ChangedDatasets());
    EXPECT_EQ(2u, ActionsIn(Dir + "a.d").size());
}

TEST_F(DatabaseTest, FailedSaveKeepsTheChangesOfTheTablesNotWritten) {
    WriteTaskFile(Dir + "a.d", {{"A", "x"}});
    WriteTaskFile(Dir + "b.d", {{"B", "y"}});
    TOstraDatabase db(nullptr);
    TOstraTable a(nullptr), b(nullptr);
    a.SetTableName(Dir + "a.d");
    b.SetTableName(Dir + "b.d");
    a.SetDatabase(&db);
    b.SetDatabase(&db);
    a.Open();
    b.Open();
    AddTask(a, "A2", "x");
    AddTask(b, "B2", "y");
    const std::string before = ReadFile(Dir + "b.d");

    // The first file is written, then the disk is full.
    SimulateWriteFailure(1);
    EXPECT_THROW(db.SaveDatasets({&a, &b}), Exception);
    ResetWriteFaults();
    EXPECT_FALSE(a.HasPendingChanges());
    EXPECT_TRUE(b.HasPendingChanges());
    EXPECT_EQ(before, ReadFile(Dir + "b.d"));
    EXPECT_EQ((std::vector<TOstraDataset*>{&b}), db.ChangedDatasets());

    db.SaveDatasets();
    EXPECT_FALSE(db.HasChanges());
    EXPECT_EQ(2u, ActionsIn(Dir + "b.d").size());
}

TEST_F(DatabaseTest, TablesWithoutAFileAreAcceptedByTheSave) {
    TOstraDatabase db(nullptr);
    TOstraTable mem(nullptr);
    mem.FieldDefs()->Add("Name", ftString, 20);
    mem.SetDatabase(&db);
    mem.Open();
    PutText(&mem, "Name", "x", true);
    db.SaveDatasets();
    EXPECT_FALSE(mem.HasPendingChanges());
    EXPECT_EQ(1, mem.RecordCount());
}

TEST_F(DatabaseTest, DestroyingTheDatabaseClosesItsTables) {
    WriteTaskFile(Dir + "a.d", {{"A", "x"}});
    auto db = std::make_unique<TOstraDatabase>(nullptr);
    db->SetDatabasePath(Dir);
    TOstraTable a(nullptr), b(nullptr), clone(nullptr);
    a.SetTableName("a.d");
    b.SetTableName("a.d");
    a.SetDatabase(db.get());
    b.SetDatabase(db.get());
    a.Open();
    b.Open();
    clone.SetCloneDS(&a);  // a clone outside the database must not keep a open
    clone.Open();
    EXPECT_EQ(1u, std::count(OstraSession().Databases().begin(), OstraSession().Databases().end(), db.get()));
    TOstraDatabase* gone = db.get();
    db.reset();
    EXPECT_FALSE(a.Active());
    EXPECT_FALSE(b.Active());
    EXPECT_FALSE(clone.Active());
    EXPECT_EQ(nullptr, a.Database());
    EXPECT_EQ(nullptr, b.Database());
    EXPECT_EQ(0, std::count(OstraSession().Databases().begin(), OstraSession().Databases().end(), gone));
    // The tables still work on their own.
    a.SetTableName(Dir + "a.d");
    a.Open();
    EXPECT_EQ(1, a.RecordCount());
}

TEST_F(DatabaseTest, DatabaseOwnedWithItsTablesGoesFirstWithoutHarm) {
    WriteTaskFile(Dir + "a.d", {{"A", "x"}});
    auto form = std::make_unique<TComponent>(nullptr);
    auto* t = new TOstraTable(form.get());
    auto* db = new TOstraDatabase(form.get());  // freed first: the last one made
    db->SetDatabasePath(Dir);
    t->SetDatabase(db);
    t->SetTableName("a.d");
    t->Open();
    AddTask(*t, "B", "y");
    const std::string saved = ReadFile(Dir + "a.d");
    const std::size_t databases = OstraSession().Databases().size();
    form.reset();
    // The session forgets the database and the unsaved record is dropped, not written.
    EXPECT_EQ(databases - 1, OstraSession().Databases().size());
    EXPECT_EQ(saved, ReadFile(Dir + "a.d"));
    EXPECT_EQ(1u, ActionsIn(Dir + "a.d").size());
}

// A table made from field definitions, filled, saved through the database,
// protected and reopened: its memo and its key counter survive each step.
TEST_F(DatabaseTest, TableLifeEndToEnd) {
    TOstraDatabase db(nullptr);
    db.SetDatabasePath(Dir);
    TOstraTable made(nullptr);
    AddTaskDefs(made);
    made.Open();
    AddTask(made, "Call the plumber", "Home", "before Friday");
    AddTask(made, "Send report", "Work");
    made.SaveToFile(Dir + "Ttask.d");

    TOstraTable t(nullptr);
    t.SetTableName("Ttask.d");
    t.SetDatabase(&db);
    t.SetIndexFieldNames("Action");
    t.Open();
    AddTask(t, "Buy milk", "Home");
    EXPECT_EQ("3", t.FieldByName("Key")->AsString());
    t.SetPassword("kettle");
    db.SaveDatasets();
    t.Close();
    EXPECT_EQ('P', Marker(Dir + "Ttask.d"));
    EXPECT_EQ(std::string::npos, ReadFile(Dir + "Ttask.d").find("plumber"));

    OstraPasswords().ClearPasswords();
    t.SetPassword("kettle");
    t.Open();
    EXPECT_EQ((std::vector<std::string>{"Buy milk", "Call the plumber", "Send report"}), Column(t, "Action"));
    ASSERT_TRUE(t.Locate("Action", Variant("Call the plumber"), {}));
    EXPECT_EQ("before Friday", t.FieldByName("Notes")->AsString());
    EXPECT_EQ("1", t.FieldByName("Key")->AsString());
    AddTask(t, "Fourth", "Home");
    EXPECT_EQ("4", t.FieldByName("Key")->AsString());
}
