// Data sources and links: the field data link, the master link, enabling,
// circular links, and what happens when a side goes away.
#include "support/db/db_test_support.h"

#include "platform/core/properties.h"

namespace {

// A dataset that names a master data source, as a detail dataset does.
class TDetailDataSet : public TMemoryDataSet {
public:
    using TMemoryDataSet::TMemoryDataSet;
    TDataSource* Master = nullptr;

protected:
    TDataSource* GetDataSource() override { return Master; }
};

}  // namespace

using LinksTest = DataSetTest;

TEST_F(LinksTest, FieldDataLinkFollowsItsField) {
    MakeRows(5);
    TFieldDataLink link;
    int dataChanges = 0, editingChanges = 0;
    std::string shown;
    link.SetOnDataChange([&](TObject*) {
        ++dataChanges;
        shown = link.Field() ? link.Field()->AsString() : "";
    });
    link.SetOnEditingChange([&](TObject*) { ++editingChanges; });
    link.SetOnUpdateData([&](TObject*) { link.Field()->SetAsString("Typed"); });
    link.SetFieldName("Name");
    link.SetDataSource(Source);
    EXPECT_EQ(link.Field(), DataSet->FieldByName("Name"));
    EXPECT_EQ(shown, "Name 1");
    DataSet->Next();
    EXPECT_EQ(shown, "Name 2");
    DataSet->FieldByName("ID");  // other fields' changes do not reload the control
    const int before = dataChanges;
    DataSet->Edit();
    DataSet->FieldByName("ID")->SetAsInteger(77);
    EXPECT_EQ(dataChanges, before + 1);  // only the record change of Edit
    EXPECT_TRUE(link.Editing());
    EXPECT_EQ(editingChanges, 1);
    link.Modified();
    DataSet->Post();  // writes the control's text back first
    EXPECT_EQ(DataSet->FieldByName("Name")->AsString(), "Typed");
    EXPECT_FALSE(link.IsModified());
    EXPECT_FALSE(link.Editing());
}

TEST_F(LinksTest, FieldDataLinkEditsOnlyWhatCanBeModified) {
    MakeRows(5);
    TFieldDataLink link;
    link.SetDataSource(Source);
    link.SetFieldName("Name");
    EXPECT_TRUE(link.CanModify());
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(DataSet->State(), dsEdit);
    DataSet->Cancel();
    DataSet->FieldByName("Name")->SetReadOnly(true);
    EXPECT_FALSE(link.CanModify());
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(DataSet->State(), dsBrowse);
    DataSet->Edit();
    EXPECT_FALSE(link.Editing());
    DataSet->Cancel();
    DataSet->FieldByName("Name")->SetReadOnly(false);
    DataSet->SetReadOnly(true);
    EXPECT_FALSE(link.CanModify());
    EXPECT_EQ(ErrorOf([&] { link.SetFieldName("Nope"); }), "Field 'Nope' not found");
    EXPECT_EQ(link.Field(), nullptr);
}

TEST_F(LinksTest, RequiredFieldAsksItsControlForTheFocus) {
    MakeRows(5);
    TFieldDataLink link;
    link.SetDataSource(Source);
    link.SetFieldName("Name");
    int asked = 0;
    link.SetOnFocusControl([&](TFieldDataLink*, bool& handled) {
        ++asked;
        handled = true;
    });
    DataSet->FieldByName("Name")->SetRequired(true);
    DataSet->Insert();
    EXPECT_THROW(DataSet->Post(), EDatabaseError);
    EXPECT_EQ(asked, 1);
    TLogLink* other = AddLink("L");
    Log.clear();
    DataSet->FieldByName("Name")->FocusControl();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Log, TLog({"L.FocusControl(nil)"}));  // handled by the first link
    (void)other;
}

TEST_F(LinksTest, MasterLinkFollowsTheMastersRecord) {
    MakeRows(5);
    auto* detail = new TMemoryDataSet(Owner.get());
    detail->FieldDefs()->Add("X", ftInteger);
    detail->Open();
    TMasterDataLink link(detail);
    std::vector<int> masterIds;
    int disables = 0;
    link.SetOnMasterChange([&](TObject*) { masterIds.push_back(link.Fields()[0]->AsInteger()); });
    link.SetOnMasterDisable([&](TObject*) { ++disables; });
    link.SetDataSource(Source);
    EXPECT_EQ(disables, 1);  // no master fields yet
    link.SetFieldNames("ID");
    ASSERT_EQ(link.Fields().size(), 1u);
    EXPECT_EQ(masterIds, std::vector<int>({1}));
    DataSet->Next();
    DataSet->DisableControls();  // detail links keep being told
    DataSet->Next();
    DataSet->EnableControls();
    EXPECT_EQ(masterIds, std::vector<int>({1, 2, 3}));
    DataSet->Edit();
    DataSet->FieldByName("Name")->SetAsString("Other");  // not a master field
    EXPECT_EQ(masterIds.size(), 4u);                     // only Edit's record change
    DataSet->FieldByName("ID")->SetAsInteger(30);
    EXPECT_EQ(masterIds.back(), 30);
    detail->Edit();
    DataSet->Post();  // the master's check makes the detail leave edit mode
    EXPECT_EQ(detail->State(), dsBrowse);
    DataSet->Close();
    EXPECT_EQ(disables, 2);
    EXPECT_EQ(link.Fields().size(), 0u);
    DataSet->Open();
    EXPECT_EQ(ErrorOf([&] { link.SetFieldNames("Nope"); }), "Field 'Nope' not found");
    EXPECT_EQ(link.Fields().size(), 0u);
    EXPECT_EQ(link.GetDetailDataSet(), detail);
}

TEST_F(LinksTest, DisabledSourceLeavesItsLinksInactive) {
    MakeRows(5);
    TLogLink* link = AddLink("L");
    EXPECT_TRUE(link->Active());
    Log.clear();
    Source->SetEnabled(false);
    EXPECT_FALSE(link->Active());
    EXPECT_EQ(Source->State(), dsInactive);
    DataSet->Next();
    EXPECT_EQ(Log, TLog({"L.ActiveChanged(0)"}));
    Source->SetEnabled(true);
    EXPECT_TRUE(link->Active());
    EXPECT_EQ(link->ActiveRecord(), 0);
    EXPECT_EQ(IdOf(), 2);
}

TEST_F(LinksTest, CircularLinksAreRefused) {
    MakeRows(1);
    auto* detail = new TDetailDataSet(Owner.get());
    detail->Master = Source;
    auto* detailSource = new TDataSource(Owner.get());
    detailSource->SetDataSet(detail);
    auto* third = new TDetailDataSet(Owner.get());
    third->Master = detailSource;
    EXPECT_TRUE(Source->IsLinkedTo(detail));
    EXPECT_TRUE(Source->IsLinkedTo(third));
    EXPECT_EQ(ErrorOf([&] { Source->SetDataSet(third); }), "Circular datalinks are not allowed");
    EXPECT_EQ(Source->DataSet(), DataSet);
    EXPECT_FALSE(detailSource->IsLinkedTo(DataSet));
}

TEST_F(LinksTest, FixedDataSource) {
    MakeRows(1);
    TLogLink* link = AddLink("L");
    link->SetDataSourceFixed(true);
    EXPECT_EQ(ErrorOf([&] { link->SetDataSource(nullptr); }), "DataSource cannot be changed");
    EXPECT_EQ(link->DataSource(), Source);
}

TEST_F(LinksTest, SourceOrDataSetGoingAwayDeactivatesTheLinks) {
    MakeRows(3);
    TLogLink* link = AddLink("L", 3);
    Log.clear();
    delete DataSet;
    DataSet = nullptr;
    EXPECT_FALSE(link->Active());
    EXPECT_EQ(Source->DataSet(), nullptr);
    EXPECT_EQ(Log, TLog({"L.ActiveChanged(0)"}));
    delete Source;
    Source = nullptr;
    EXPECT_EQ(link->DataSource(), nullptr);
    EXPECT_EQ(link->RecordCount(), 0);
    EXPECT_EQ(link->ActiveRecord(), 0);
}

TEST_F(LinksTest, SwappingOpenDataSetsRestartsTheLinks) {
    MakeRows(8);
    TLogLink* link = AddLink("L", 5);
    DataSet->MoveBy(6);
    auto* other = new TMemoryDataSet(Owner.get());
    other->FieldDefs()->Add("ID", ftInteger);
    for (int i = 1; i <= 3; ++i) other->AddRow({std::to_string(100 + i)});
    other->Open();
    Log.clear();
    Source->SetDataSet(other);
    // Both are open, yet the link is told it lost the old one: a grid
    // rebinds its fields and sizes its rows to the new records.
    EXPECT_EQ(Log, TLog({"L.ActiveChanged(0)", "L.ActiveChanged(1)"}));
    EXPECT_EQ(link->RecordCount(), 3);
    EXPECT_EQ(link->ActiveRecord(), 0);
    Log.clear();
    Source->SetDataSet(DataSet);
    EXPECT_EQ(Log, TLog({"L.ActiveChanged(0)", "L.ActiveChanged(1)"}));
    EXPECT_EQ(link->RecordCount(), 5);
    EXPECT_EQ(IdOf(), 7);
}

TEST_F(LinksTest, LinkLeavingShrinksTheDataSetsWindow) {
    MakeRows(20);
    TLogLink* big = AddLink("A", 10);
    TLogLink* small = AddLink("B", 2);
    DataSet->MoveBy(7);
    big->SetDataSource(nullptr);
    EXPECT_EQ(IdOf(), 8);
    EXPECT_EQ(small->RecordCount(), 2);
    EXPECT_EQ(RowsOf(small)[static_cast<size_t>(small->ActiveRecord())], 8);
    DataSet->Next();
    EXPECT_EQ(RowsOf(small), Range(8, 9));
}

TEST_F(LinksTest, ActiveSetWhileLoadingOpensWhenLoadingEnds) {
    auto form = std::make_unique<TComponent>(nullptr);
    form->BeginLoading();
    auto* table = new TMemoryDataSet(form.get());
    table->FieldDefs()->Add("ID", ftInteger);
    table->AddRow({"4"});
    SetOrdProp(table, "Active", 1);
    EXPECT_FALSE(table->Active());
    form->EndLoading();
    EXPECT_TRUE(table->Active());
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 4);
}
