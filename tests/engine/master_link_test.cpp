// A detail table following its master through a master link.
#include "engine/master_link.h"
#include "platform/db/datasource.h"
#include "support/engine/table_test_fixture.h"

namespace {

// A dataset of the framework that is not an engine dataset.
class TForeignDataSet : public TDataSet {
public:
    TForeignDataSet() : TDataSet(nullptr) {}
    ~TForeignDataSet() override { SetActive(false); }

protected:
    TRecordBuffer AllocRecordBuffer() override { return new char[1]; }
    void FreeRecordBuffer(TRecordBuffer& Buffer) override {
        delete[] Buffer;
        Buffer = nullptr;
    }
    TGetResult GetRecord(TRecordBuffer, TGetMode, bool) override { return grEOF; }
    void GetBookmarkData(TRecordBuffer, void*) override {}
    void SetBookmarkData(TRecordBuffer, const void*) override {}
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer) override { return bfCurrent; }
    void SetBookmarkFlag(TRecordBuffer, TBookmarkFlag) override {}
    void InternalFirst() override {}
    void InternalLast() override {}
    void InternalGotoBookmark(const void*) override {}
    void InternalSetToRecord(TRecordBuffer) override {}
    void InternalInitRecord(TRecordBuffer) override {}
    void InternalAddRecord(TRecordBuffer, bool) override {}
    void InternalDelete() override {}
    void InternalOpen() override {}
    void InternalClose() override {}
    void InternalInitFieldDefs() override {}
    bool IsCursorOpen() override { return false; }
};

}  // namespace

class MasterLinkTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        Master.FieldDefs()->Add("Name", ftString, 10);
        Master.Open();
        for (const char* name : {"Home", "Work", "Garden"}) {
            PutText(&Master, "Name", name, true);
        }
        AddTaskDefs(Detail);
        Detail.Open();
        AddTask(Detail, "Call", "Home");
        AddTask(Detail, "Report", "Work");
        AddTask(Detail, "Paint", "Home");
        AddTask(Detail, "Meeting", "Work");
        Source.SetDataSet(&Master);
        Detail.SetRangeFieldNames("Category");
        Detail.SetMasterFields("Name");
    }

    TOstraTable Master{nullptr};
    TOstraTable Detail{nullptr};
    TDataSource Source{nullptr};
};

TEST_F(MasterLinkTest, DetailFollowsTheMasterRecord) {
    Detail.Last();
    Detail.SetMasterSource(&Source);
    EXPECT_EQ(&Source, Detail.MasterLink()->DataSource());
    EXPECT_EQ(&Source, Detail.DataSource());
    Master.First();
    EXPECT_TRUE(Detail.RangeActive());
    EXPECT_EQ((std::vector<std::string>{"Call", "Paint"}), Column(Detail, "Action"));
    Detail.Last();
    Master.Next();
    // Moved at once, and onto the first detail record.
    EXPECT_EQ("Report", Detail.FieldByName("Action")->AsString());
    EXPECT_EQ(2, Detail.RecordCount());
    Master.Next();
    EXPECT_EQ(0, Detail.RecordCount());
}

TEST_F(MasterLinkTest, DetailOpenedUnderAnOpenMasterGetsTheRangeAtOnce) {
    WriteTaskFile(Dir + "d.d", {{"Call", "Home"}, {"Report", "Work"}});
    TOstraTable detail(nullptr);
    detail.SetTableName(Dir + "d.d");
    detail.SetMasterSource(&Source);
    detail.SetMasterFields("Name");
    detail.SetRangeFieldNames("Category");
    ASSERT_TRUE(Master.Locate("Name", Variant("Work"), {}));
    detail.Open();
    EXPECT_TRUE(detail.RangeActive());
    EXPECT_EQ((std::vector<std::string>{"Report"}), Column(detail, "Action"));
}

TEST_F(MasterLinkTest, ClosingTheMasterOrDroppingTheLinkShowsAllRecords) {
    Detail.SetMasterSource(&Source);
    Master.First();
    ASSERT_EQ(2, Detail.RecordCount());
    Master.Close();
    EXPECT_FALSE(Detail.RangeActive());
    EXPECT_EQ(4, Detail.RecordCount());
    // Made anew from its definitions, the master is empty: the range is the
    // empty key again.
    Master.Open();
    EXPECT_TRUE(Detail.RangeActive());
    EXPECT_EQ(0, Detail.RecordCount());
    Detail.SetMasterSource(nullptr);
    EXPECT_EQ(nullptr, Detail.MasterLink()->DataSource());
    EXPECT_EQ(4, Detail.RecordCount());
}

TEST_F(MasterLinkTest, NewDetailRecordCarriesTheMasterKeyBeforeOnNewRecord) {
    Detail.SetMasterSource(&Source);
    Master.Locate("Name", Variant("Garden"), {});
    std::string seen;
    Detail.SetOnNewRecord([&](TDataSet* ds) { seen = ds->FieldByName("Category")->AsString(); });
    Detail.Append();
    EXPECT_EQ("Garden", seen);
    Detail.FieldByName("Action")->SetAsString("Weed");
    Detail.Post();
    EXPECT_EQ((std::vector<std::string>{"Weed"}), Column(Detail, "Action"));
}

TEST_F(MasterLinkTest, ChangingAMasterKeyFieldMovesTheRange) {
    Detail.SetMasterSource(&Source);
    Master.First();
    ASSERT_EQ(2, Detail.RecordCount());
    Master.Edit();
    Master.FieldByName("Name")->SetAsString("Work");
    EXPECT_EQ((std::vector<std::string>{"Report", "Meeting"}), Column(Detail, "Action"));
    Master.Cancel();
}

TEST_F(MasterLinkTest, EmptyMiddleKeyValueKeepsTheFollowingValuesInPlace) {
    TOstraTable master(nullptr), detail(nullptr);
    for (TOstraTable* t : {&master, &detail}) {
        t->FieldDefs()->Add("A", ftString, 5);
        t->FieldDefs()->Add("B", ftString, 5);
        t->FieldDefs()->Add("C", ftString, 5);
        t->FieldDefs()->Add("Tag", ftString, 5);
        t->Open();
    }
    auto add = [](TOstraTable& t, const char* a, const char* b, const char* c, const char* tag) {
        t.Append();
        t.FieldByName("A")->SetAsString(a);
        t.FieldByName("B")->SetAsString(b);
        t.FieldByName("C")->SetAsString(c);
        t.FieldByName("Tag")->SetAsString(tag);
        t.Post();
    };
    add(master, "x", "", "z", "m");
    add(detail, "x", "", "z", "hit");
    add(detail, "x", "", "", "miss1");
    add(detail, "x", "z", "", "miss2");
    TDataSource source(nullptr);
    source.SetDataSet(&master);
    detail.SetRangeFieldNames("A;B;C");
    detail.SetMasterFields("A;B;C");
    detail.SetMasterSource(&source);
    master.First();
    EXPECT_EQ((std::vector<std::string>{"hit"}), Column(detail, "Tag"));
}

TEST_F(MasterLinkTest, MasterMustBeAnEngineDatasetAndNoCircle) {
    TForeignDataSet foreign;
    TDataSource foreignSource(nullptr);
    foreignSource.SetDataSet(&foreign);
    EXPECT_RAISES(Detail.SetMasterSource(&foreignSource), EDatabaseError,
                  "Use only TOstraDataset descendants for master-detail relationship");
    EXPECT_EQ(nullptr, Detail.MasterSource());
    EXPECT_EQ(nullptr, Detail.MasterLink()->DataSource());

    Detail.SetMasterSource(&Source);
    TDataSource detailSource(nullptr);
    detailSource.SetDataSet(&Detail);
    EXPECT_RAISES(Master.SetMasterSource(&detailSource), EDatabaseError, "Circular data link");
    EXPECT_RAISES(Detail.SetMasterSource(&detailSource), EDatabaseError, "Circular data link");
}

TEST_F(MasterLinkTest, DestroyedMasterSourceLeavesTheDetailWhole) {
    auto source = std::make_unique<TDataSource>(nullptr);
    source->SetDataSet(&Master);
    Detail.SetMasterSource(source.get());
    Master.First();
    ASSERT_EQ(2, Detail.RecordCount());
    source.reset();
    EXPECT_EQ(nullptr, Detail.MasterSource());
    EXPECT_EQ(nullptr, Detail.MasterLink()->DataSource());
    Master.Next();
    EXPECT_TRUE(Detail.Active());
}

TEST_F(MasterLinkTest, MasterSourceByPropertyNameGoesThroughTheLink) {
    SetObjectProp(&Detail, "MasterSource", &Source);
    EXPECT_EQ(&Source, Detail.MasterLink()->DataSource());
    SetStrProp(&Detail, "MasterFields", "Name");
    EXPECT_EQ("Name", Detail.MasterLink()->MasterFields());
    Master.First();
    EXPECT_EQ(2, Detail.RecordCount());
}
