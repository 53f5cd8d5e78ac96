// Bookmarks, calculated and lookup fields, the filter state, searching, and
// DisableControls.
#include "support/db/db_test_support.h"

using FeaturesTest = DataSetTest;

TEST_F(FeaturesTest, BookmarksFindTheirRecordsAgain) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    DataSet->MoveBy(6);
    const TBookmark seven = DataSet->Bookmark();
    DataSet->First();
    const TBookmark one = DataSet->Bookmark();
    DataSet->GotoBookmark(seven);
    EXPECT_EQ(IdOf(), 7);
    EXPECT_EQ(RowsOf(link)[static_cast<size_t>(link->ActiveRecord())], 7);
    EXPECT_EQ(link->ActiveRecord(), 2);  // centred in the window
    EXPECT_LT(DataSet->CompareBookmarks(one, seven), 0);
    EXPECT_GT(DataSet->CompareBookmarks(seven, one), 0);
    EXPECT_EQ(DataSet->CompareBookmarks(seven, seven), 0);
    EXPECT_LT(DataSet->CompareBookmarks(TBookmark(), one), 0);
    EXPECT_EQ(DataSet->CompareBookmarks(TBookmark(), TBookmark()), 0);
    EXPECT_TRUE(DataSet->BookmarkValid(seven));
    DataSet->Delete();
    EXPECT_FALSE(DataSet->BookmarkValid(seven));
    DataSet->GotoBookmark(TBookmark());  // nothing happens
    EXPECT_EQ(IdOf(), 8);
    EXPECT_EQ(ErrorOf([&] { DataSet->GotoBookmark("xy"); }), "Record not found");
    EXPECT_EQ(IdOf(), 8);
    DataSet->SetBookmark(one);
    EXPECT_EQ(IdOf(), 1);
}

TEST_F(FeaturesTest, CalculatedFieldsAreComputedPerRecordInTheCalcState) {
    DataSet->FieldDefs()->Add("ID", ftInteger);
    DataSet->FieldDefs()->Add("Name", ftString, 20);
    for (int i = 1; i <= 10; ++i) DataSet->AddRow({std::to_string(i), "N"});
    auto* id = new TIntegerField(Owner.get());
    id->SetFieldName("ID");
    id->SetDataSet(DataSet);
    auto* twice = new TIntegerField(Owner.get());
    twice->SetFieldName("Twice");
    twice->SetFieldKind(fkCalculated);
    twice->SetDataSet(DataSet);
    auto* label = new TStringField(Owner.get());
    label->SetFieldName("Label");
    label->SetSize(10);
    label->SetCalculated(true);
    label->SetDataSet(DataSet);
    std::vector<TDataSetState> states;
    DataSet->SetOnCalcFields([&](TDataSet* ds) {
        states.push_back(ds->State());
        twice->SetAsInteger(id->AsInteger() * 2);
        label->SetAsString("#" + id->AsString());
    });
    DataSet->Open();
    EXPECT_EQ(DataSet->CalcFieldsSize(), (4 + 1) + (10 + 1 + 1));
    TLogLink* link = AddLink("L", 4);
    for (int row = 0; row < 4; ++row) {
        link->SetActiveRecord(row);
        EXPECT_EQ(twice->AsInteger(), 2 * (row + 1));
        EXPECT_EQ(label->AsString(), "#" + std::to_string(row + 1));
    }
    link->SetActiveRecord(0);
    ASSERT_FALSE(states.empty());
    for (TDataSetState s : states) EXPECT_EQ(s, dsCalcFields);
    EXPECT_FALSE(twice->CanModify());

    DataSet->Edit();
    id->SetAsInteger(21);
    EXPECT_EQ(twice->AsInteger(), 42);  // recalculated on the change
    DataSet->Cancel();
    EXPECT_EQ(twice->AsInteger(), 2);

    DataSet->SetAutoCalcFields(false);
    DataSet->Edit();
    id->SetAsInteger(30);
    EXPECT_EQ(twice->AsInteger(), 2);
    DataSet->Post();
    EXPECT_EQ(twice->AsInteger(), 60);
}

TEST_F(FeaturesTest, LookupFieldsShowTheLookupDataSetsValue) {
    auto* categories = new TMemoryDataSet(Owner.get());
    categories->FieldDefs()->Add("Code", ftInteger);
    categories->FieldDefs()->Add("Title", ftString, 15);
    categories->AddRow({"1", "Home"});
    categories->AddRow({"2", "Work"});
    categories->Open();
    categories->Last();

    DataSet->FieldDefs()->Add("ID", ftInteger);
    DataSet->FieldDefs()->Add("Cat", ftInteger);
    DataSet->AddRow({"1", "2"});
    DataSet->AddRow({"2", "1"});
    DataSet->AddRow({"3", "9"});
    DataSet->AddRow({"4", ""});
    for (const char* name : {"ID", "Cat"}) {
        auto* f = new TIntegerField(Owner.get());
        f->SetFieldName(name);
        f->SetDataSet(DataSet);
    }
    auto* title = new TStringField(Owner.get());
    title->SetFieldName("CatTitle");
    title->SetFieldKind(fkLookup);
    title->SetDataSet(DataSet);
    EXPECT_EQ(ErrorOf([&] { DataSet->Open(); }), "Lookup information for field 'CatTitle' is incomplete");
    title->SetLookupDataSet(categories);
    title->SetKeyFields("Cat");
    title->SetLookupKeyFields("Code");
    title->SetLookupResultField("Title");
    DataSet->Open();
    TLogLink* link = AddLink("L", 4);
    std::vector<std::string> titles;
    for (int row = 0; row < 4; ++row) {
        link->SetActiveRecord(row);
        titles.push_back(title->IsNull() ? "<null>" : title->AsString());
    }
    link->SetActiveRecord(0);
    EXPECT_EQ(titles, std::vector<std::string>({"Work", "Home", "<null>", "<null>"}));
    EXPECT_EQ(categories->FieldByName("Code")->AsInteger(), 2);  // the lookup did not move it
    EXPECT_TRUE(title->CanModify());
    DataSet->Edit();
    DataSet->FieldByName("Cat")->SetAsInteger(1);
    EXPECT_EQ(title->AsString(), "Home");
    DataSet->Cancel();

    delete categories;  // the field forgets it
    EXPECT_EQ(title->LookupDataSet(), nullptr);
    DataSet->Close();
    title->SetLookupDataSet(DataSet);
    EXPECT_EQ(ErrorOf([&] { DataSet->Open(); }), "Circular datalinks are not allowed");
    EXPECT_FALSE(DataSet->Active());
}

TEST_F(FeaturesTest, FilterRecordRunsInTheFilterState) {
    MakeRows(20, false);
    std::vector<TDataSetState> states;
    DataSet->SetOnFilterRecord([&](TDataSet* ds, bool& accept) {
        states.push_back(ds->State());
        accept = ds->FieldByName("ID")->AsInteger() % 2 == 0;
    });
    DataSet->Open();
    EXPECT_EQ(DataSet->RecordCount(), 20);
    EXPECT_TRUE(states.empty());
    TLogLink* link = AddLink("L", 3);
    DataSet->MoveBy(5);
    DataSet->SetFiltered(true);
    EXPECT_TRUE(DataSet->Filtered());
    EXPECT_EQ(DataSet->RecordCount(), 10);
    EXPECT_EQ(IdOf(), 2);
    EXPECT_EQ(RowsOf(link), std::vector<int>({2, 4, 6}));
    ASSERT_EQ(states.size(), 20u);
    for (TDataSetState s : states) EXPECT_EQ(s, dsFilter);
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_FALSE(DataSet->ControlsDisabled());
    DataSet->SetFiltered(false);
    EXPECT_EQ(DataSet->RecordCount(), 20);
}

TEST_F(FeaturesTest, FindFirstAndNextUseTheFilterEventWithoutFiltering) {
    MakeRows(10);
    DataSet->SetOnFilterRecord(
        [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("ID")->AsInteger() % 4 == 0; });
    EXPECT_TRUE(DataSet->FindFirst());
    EXPECT_EQ(IdOf(), 4);
    EXPECT_TRUE(DataSet->FindNext());
    EXPECT_EQ(IdOf(), 8);
    EXPECT_FALSE(DataSet->FindNext());
    EXPECT_FALSE(DataSet->Found());
    EXPECT_EQ(IdOf(), 8);
    EXPECT_TRUE(DataSet->FindPrior());
    EXPECT_EQ(IdOf(), 4);
    EXPECT_TRUE(DataSet->FindLast());
    EXPECT_EQ(IdOf(), 8);
    EXPECT_EQ(DataSet->RecordCount(), 10);
}

// A search that fails midway (here the filter event raises) leaves the
// dataset on the record it started from, its controls told nothing.
TEST_F(FeaturesTest, ASearchThatFailsMidwayGoesBackToWhereItStarted) {
    MakeRows(10);
    TLogLink* link = AddLink("L", 4);
    DataSet->MoveBy(2);
    DataSet->SetOnFilterRecord([](TDataSet* ds, bool& accept) {
        if (ds->FieldByName("ID")->AsInteger() == 7) throw EDatabaseError("the event failed");
        accept = false;
    });
    EXPECT_EQ(ErrorOf([&] { DataSet->FindNext(); }), "the event failed");
    EXPECT_EQ(IdOf(), 3);
    EXPECT_EQ(link->ActiveRecord(), 2);
    EXPECT_FALSE(DataSet->ControlsDisabled());
    EXPECT_FALSE(DataSet->Bof());
}

TEST_F(FeaturesTest, LocateWithAndWithoutOptions) {
    MakeRows(12);
    DataSet->MoveBy(3);
    EXPECT_TRUE(DataSet->Locate("Name", Variant("name 7"), {loCaseInsensitive}));
    EXPECT_EQ(IdOf(), 7);
    EXPECT_FALSE(DataSet->Locate("Name", Variant("name 8"), {}));
    EXPECT_EQ(IdOf(), 7);  // stays where it was
    EXPECT_TRUE(DataSet->Locate("Name", Variant("Name 1"), {loPartialKey}));
    EXPECT_EQ(IdOf(), 1);
    EXPECT_TRUE(DataSet->Locate("Name", Variant("Name 1"), {loPartialKey}));  // "Name 1" again, not "Name 10"
    EXPECT_EQ(IdOf(), 1);
    EXPECT_TRUE(DataSet->Locate("ID;Name", VarArrayOf({Variant(11), Variant("Name 11")}), {}));
    EXPECT_EQ(IdOf(), 11);
    EXPECT_FALSE(DataSet->Locate("ID;Name", VarArrayOf({Variant(11), Variant("Name 12")}), {}));
    EXPECT_FALSE(DataSet->Locate("ID", Null(), {}));
    EXPECT_TRUE(DataSet->Locate("ID", Variant("5"), {}));
    EXPECT_EQ(IdOf(), 5);
    EXPECT_EQ(ErrorOf([&] { DataSet->Locate("Nope", Variant(1), {}); }), "Field 'Nope' not found");
}

TEST_F(FeaturesTest, LookupLeavesTheCurrentRecord) {
    MakeRows(12);
    TLogLink* link = AddLink("L", 4);
    DataSet->MoveBy(2);
    Log.clear();
    EXPECT_EQ(DataSet->Lookup("ID", Variant(9), "Name").AsString(), "Name 9");
    const Variant both = DataSet->Lookup("Name", Variant("Name 10"), "ID;Name");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both[0].AsInteger(), 10);
    EXPECT_TRUE(DataSet->Lookup("ID", Variant(99), "Name").IsNull());
    EXPECT_EQ(IdOf(), 3);
    EXPECT_EQ(link->ActiveRecord(), 2);
    // The walk stays hidden from the controls.
    EXPECT_EQ(std::count_if(Log.begin(), Log.end(),
                            [](const std::string& s) { return s.find("Scrolled") != std::string::npos; }),
              0);
}

TEST_F(FeaturesTest, EmptyDataSetSearchesFindNothing) {
    MakeRows(0);
    EXPECT_FALSE(DataSet->Locate("ID", Variant(1), {}));
    EXPECT_TRUE(DataSet->Lookup("ID", Variant(1), "Name").IsNull());
    EXPECT_FALSE(DataSet->FindFirst());
}

TEST_F(FeaturesTest, DisableControlsNestsAndTellsOnceAtTheEnd) {
    MakeRows(20);
    TLogLink* visual = AddLink("V", 3);
    TLogLink* detail = AddLink("D", 1, false);
    Log.clear();
    DataSet->DisableControls();
    DataSet->DisableControls();
    EXPECT_TRUE(DataSet->ControlsDisabled());
    DataSet->Next();
    DataSet->Next();
    DataSet->Next();
    DataSet->EnableControls();
    EXPECT_TRUE(DataSet->ControlsDisabled());
    EXPECT_EQ(
        std::count_if(Log.begin(), Log.end(), [](const std::string& s) { return s.rfind("V.", 0) == 0; }), 0);
    EXPECT_EQ(detail->Scrolls.size(), 3u);
    Log.clear();
    DataSet->EnableControls();
    EXPECT_FALSE(DataSet->ControlsDisabled());
    EXPECT_EQ(Log, TLog({"V.DataSetChanged"}));
    EXPECT_EQ(RowsOf(visual), Range(2, 4));
    EXPECT_EQ(visual->ActiveRecord(), 2);
    DataSet->EnableControls();  // unbalanced: ignored
    EXPECT_FALSE(DataSet->ControlsDisabled());
}

TEST_F(FeaturesTest, StateChangesWhileDisabledAreToldOnEnable) {
    MakeRows(5);
    TLogLink* link = AddLink("V");
    DataSet->DisableControls();
    DataSet->Edit();
    EXPECT_FALSE(link->Editing());
    Log.clear();
    DataSet->EnableControls();
    EXPECT_EQ(Log, TLog({"V.EditingChanged(1)", "V.DataSetChanged"}));
    DataSet->Cancel();
    DataSet->DisableControls();
    DataSet->Close();
    Log.clear();
    DataSet->EnableControls();
    EXPECT_EQ(Log, TLog({"V.ActiveChanged(0)"}));
    EXPECT_FALSE(link->Active());
}
