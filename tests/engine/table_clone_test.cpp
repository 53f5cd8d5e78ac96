// Clones: tables sharing the store of an open source table.
#include "support/engine/table_test_fixture.h"

class TableCloneTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        WriteTaskFile(Dir + "Ttask.d", {{"Call", "Home"}, {"Write", "Work"}});
        Db = std::make_unique<TOstraDatabase>(nullptr);
        Db->SetDatabasePath(Dir);
        Source = std::make_unique<TOstraTable>(nullptr);
        Source->SetName("Source");
        Source->SetDatabase(Db.get());
        Source->SetTableName("Ttask.d");
        Clone = std::make_unique<TOstraTable>(nullptr);
        Clone->SetName("Clone");
        Clone->SetDatabase(Db.get());
    }
    void TearDown() override {
        Clone.reset();
        Source.reset();
        Db.reset();
        TableTest::TearDown();
    }

    std::unique_ptr<TOstraDatabase> Db;
    std::unique_ptr<TOstraTable> Source;
    std::unique_ptr<TOstraTable> Clone;
};

TEST_F(TableCloneTest, CloneOfAClosedTableFails) {
    Clone->SetCloneDS(Source.get());
    EXPECT_RAISES(Clone->Open(), EDatabaseError, "Cloned table is not active!");
    EXPECT_FALSE(Clone->Active());
    Clone->SetCloneDS(Clone.get());
    EXPECT_RAISES(Clone->Open(), EDatabaseError, "Cloned table is not active!");
}

TEST_F(TableCloneTest, CloneSeesTheSourceRecordsAndSavesTheSourceFile) {
    Source->Open();
    Clone->SetCloneDS(Source.get());
    Clone->Open();
    EXPECT_EQ(Source->Cursor(), Clone->Cursor());
    EXPECT_EQ((std::vector<std::string>{"Call", "Write"}), Column(*Clone, "Action"));

    AddTask(*Clone, "Read", "Home");
    EXPECT_TRUE(Db->HasChanges());
    Clone->Save();
    EXPECT_FALSE(Clone->HasPendingChanges());
    EXPECT_FALSE(Db->HasChanges());
    // The source rebuilt its view over the shared store.
    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Read"}), Column(*Source, "Action"));

    EXPECT_EQ((std::vector<std::string>{"Call", "Write", "Read"}), ActionsIn(Dir + "Ttask.d"));
}

TEST_F(TableCloneTest, SourceWithOpenClonesCannotClose) {
    Source->Open();
    Clone->SetCloneDS(Source.get());
    Clone->Open();
    EXPECT_RAISES(Source->Close(), EDatabaseError,
                  "Cloned tables are not closed before source dataset is closed!");
    EXPECT_TRUE(Source->Active());
    EXPECT_TRUE(Clone->Active());
    // Nor reload its store from under the clone.
    EXPECT_RAISES(Source->Refresh(), EDatabaseError,
                  "Cloned tables are not closed before source dataset is closed!");
    EXPECT_EQ(2, Clone->RecordCount());
    Clone->Close();
    Source->Close();
    EXPECT_FALSE(Source->Active());
}

TEST_F(TableCloneTest, ChangingCloneDSClosesTheClone) {
    Source->Open();
    TOstraTable other(nullptr);
    other.SetTableName(Dir + "Ttask.d");
    other.Open();
    Clone->SetCloneDS(Source.get());
    Clone->Open();
    Clone->SetCloneDS(&other);
    EXPECT_FALSE(Clone->Active());
    Source->Close();  // the clone left it
    Clone->Open();
    EXPECT_EQ(other.Cursor(), Clone->Cursor());
}

TEST_F(TableCloneTest, RevertingInTheCloneSettlesTheSource) {
    Source->Open();
    Clone->SetCloneDS(Source.get());
    Clone->Open();
    AddTask(*Source, "FromSource", "x");
    AddTask(*Clone, "FromClone", "y");
    ASSERT_TRUE(Source->HasPendingChanges());
    Clone->CancelChanges();
    EXPECT_FALSE(Clone->HasPendingChanges());
    EXPECT_FALSE(Source->HasPendingChanges());
    EXPECT_FALSE(Db->HasChanges());
    EXPECT_EQ((std::vector<std::string>{"Call", "Write"}), Column(*Source, "Action"));
}

TEST_F(TableCloneTest, SavingTheSourceSettlesItsClones) {
    Source->Open();
    Clone->SetCloneDS(Source.get());
    Clone->Open();
    Clone->First();
    Clone->Delete();
    AddTask(*Source, "Read", "Home");
    Source->Save();
    EXPECT_FALSE(Clone->HasPendingChanges());
    EXPECT_FALSE(Db->HasChanges());
    EXPECT_EQ((std::vector<std::string>{"Write", "Read"}), Column(*Clone, "Action"));
    EXPECT_EQ((std::vector<std::string>{"Write", "Read"}), Column(*Source, "Action"));
}

TEST_F(TableCloneTest, DestroyingTheSourceClosesTheClone) {
    Source->Open();
    Clone->SetCloneDS(Source.get());
    Clone->Open();
    Source.reset();
    EXPECT_FALSE(Clone->Active());
    EXPECT_EQ(nullptr, Clone->CloneDS());
    EXPECT_EQ(lmClear, Clone->LoadMode());
    EXPECT_TRUE(Db->OpenDatasets().empty());
}

TEST_F(TableCloneTest, CloneOfACloneSharesAndSavesTheRootFile) {
    Source->Open();
    Clone->SetCloneDS(Source.get());
    Clone->Open();
    TOstraTable second(nullptr);
    second.SetCloneDS(Clone.get());
    second.Open();
    EXPECT_EQ(Source->Cursor(), second.Cursor());
    AddTask(second, "Deep", "z");
    second.Save();
    EXPECT_FALSE(second.HasPendingChanges());
    EXPECT_EQ(3u, ActionsIn(Dir + "Ttask.d").size());
    // Closing the chain from its root closes the clones first.
    TOstraTable::CloseWithClones(Source.get());
    EXPECT_FALSE(second.Active());
    EXPECT_FALSE(Clone->Active());
    EXPECT_FALSE(Source->Active());
}
