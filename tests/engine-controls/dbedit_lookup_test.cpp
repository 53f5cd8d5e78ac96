// The drop-down edit's lookup list (odsLookup): the list field shown for a
// key, choosing a record by mouse and keys, the filter-as-you-type search
// and how it gives the dataset its own filter back.
#include "support/engine-controls/dbedit_test_fixture.h"
#include "support/environment.h"

#include "platform/db/fieldtypes.h"

namespace {

class DBEditLookupTest : public DBEditTest {
protected:
    // The list's row showing Text; -1 when none does.
    static int RowOf(TOstraPopupData* list, const std::string& text) {
        TDataLink* link = list->ListLink();
        const int active = link->ActiveRecord();
        int found = -1;
        for (int row = 0; row < link->RecordCount() && found < 0; ++row) {
            link->SetActiveRecord(row);
            if (list->ListFields()[0]->AsString() == text) found = row;
        }
        link->SetActiveRecord(active);
        return found;
    }
    // The texts of the records the list dataset shows (all of them).
    std::vector<std::string> Visible() {
        std::vector<std::string> out;
        const TBookmark here = Groups->Bookmark();
        Groups->DisableControls();
        for (Groups->First(); !Groups->Eof(); Groups->Next())
            out.push_back(Groups->FieldByName("GoalGrp")->AsString());
        Groups->GotoBookmark(here);
        Groups->EnableControls();
        return out;
    }
    // A lookup of the goal's group showing the list fields Names.
    TOstraDBEdit* NewListEdit(const std::string& names, int viewIndex) {
        TOstraDBEdit* e = NewEdit(odsLookup);
        e->SetLookupDataSet(Groups);
        e->LookupProps()->SetLookupKeyField("GoalGrp");
        e->LookupProps()->SetListFieldNames(names);
        e->LookupProps()->SetViewFieldIndex(viewIndex);
        Bind(e, "Group");
        return e;
    }
    void ClickRow(TOstraPopupData* list, int row) {
        SendClick(list, 20, row * list->ItemHeight() + list->ItemHeight() / 2);
        ProcessEvents();
    }
};

TEST_F(DBEditLookupTest, ShowsTheListFieldOfTheKeyedRecord) {
    TOstraDBEdit* e = NewListEdit("GoalGrp;Note", 1);
    EXPECT_TRUE(e->DropDownPrepared());
    EXPECT_EQ("note Work", e->Text());
    EXPECT_EQ(Variant("Work"), e->Value());
    // Showing a value does not move the lookup dataset.
    EXPECT_EQ("Anniversary", Groups->FieldByName("GoalGrp")->AsString());
    Goals->Next();
    EXPECT_EQ("note Home", e->Text());
    // A key that no record has shows as typed under ocsDropDown, nothing
    // under ocsDropDownList.
    Goals->Next();
    EXPECT_EQ("Nobody", e->Text());
    e->SetStyle(ocsDropDownList);
    Goals->Prior();
    Goals->Next();
    EXPECT_EQ("", e->Text());
}

TEST_F(DBEditLookupTest, ViewFieldIndexIsKeptInsideTheListFields) {
    TOstraDBEdit* e = NewListEdit("GoalGrp ; Note", 7);
    ASSERT_EQ(2u, e->LookupProps()->ListFields().size());
    EXPECT_EQ("Note", e->LookupProps()->ListFields()[1]);
    EXPECT_EQ(1, e->LookupProps()->EffectiveViewFieldIndex());
    EXPECT_EQ("note Work", e->Text());
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(1, e->LookupList()->ListFieldIndex());
    EXPECT_EQ("note Work", e->LookupList()->SelectedItem());
    e->LookupProps()->SetViewFieldIndex(-3);
    EXPECT_EQ(0, e->LookupProps()->ViewFieldIndex());
}

TEST_F(DBEditLookupTest, DropDownLocatesTheValueAndAClickChoosesAnother) {
    TOstraDBEdit* e = NewGroupEdit();
    EXPECT_EQ("Work", e->Text());
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    TOstraPopupData* list = e->LookupList();
    EXPECT_TRUE(list->Visible());
    EXPECT_EQ("Work", list->SelectedItem());
    EXPECT_EQ("Work", Groups->FieldByName("GoalGrp")->AsString());
    RenderDropped(e, TestRunPath("dbedit_lookup.png"));
    const int row = RowOf(list, "Pantry");
    ASSERT_GE(row, 0);
    ClickRow(list, row);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ("Pantry", Stored("Group"));
    EXPECT_EQ("Pantry", e->Text());
}

TEST_F(DBEditLookupTest, ArrowKeysAndEnterChoose) {
    TOstraDBEdit* e = NewGroupEdit();
    Goals->Next();  // "Home"
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ("Home", e->LookupList()->SelectedItem());
    Key(e, VK_UP);
    EXPECT_EQ("Hobby", e->LookupList()->SelectedItem());
    Key(e, VK_RETURN);
    EXPECT_EQ("Hobby", Stored("Group"));
    EXPECT_EQ("Hobby", e->Text());
}

TEST_F(DBEditLookupTest, ReopeningLocatesTheValueWhereverTheDatasetWent) {
    TOstraDBEdit* e = NewGroupEdit();
    e->SetDropDownRows(3);
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(3, e->LookupList()->RowCount());
    EXPECT_TRUE(e->LookupList()->HasSelection());
    Key(e, VK_ESCAPE);
    Groups->First();
    Key(e, VK_DOWN, {ssAlt});
    EXPECT_TRUE(e->LookupList()->HasSelection());
    EXPECT_EQ("Work", e->LookupList()->SelectedItem());
    EXPECT_EQ("Work", Groups->FieldByName("GoalGrp")->AsString());
}

TEST_F(DBEditLookupTest, FindFirstSearchSelectsAsTheUserTypes) {
    TOstraDBEdit* e = NewGroupEdit();
    e->SetAutoDropDown(true);
    Focus(e);
    Type(e, "ga");
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ("Garden", e->LookupList()->SelectedItem());
    // The typed text goes to the list, not into the edit.
    EXPECT_EQ("Work", e->Text());
    Key(e, VK_RETURN);
    EXPECT_EQ("Garden", Stored("Group"));
}

TEST_F(DBEditLookupTest, FilterSearchKeepsRecordsContainingTheTypedText) {
    TOstraDBEdit* e = NewGroupEdit();
    e->LookupProps()->SetKindSearch(oksFilter);
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    TOstraPopupData* list = e->LookupList();
    EXPECT_TRUE(list->FilterInstalled());
    EXPECT_EQ("GoalGrp", list->SearchField());
    Type(e, "a");
    EXPECT_TRUE(Groups->Filtered());
    EXPECT_EQ((std::vector<std::string>{"Anniversary", "Banana", "Garden", "Pantry"}), Visible());
    Type(e, "N");
    EXPECT_EQ("aN", list->FilterText());
    EXPECT_EQ((std::vector<std::string>{"Anniversary", "Banana", "Pantry"}), Visible());
    RenderDropped(e, TestRunPath("dbedit_lookup_filter.png"));
    Key(e, VK_BACK);
    EXPECT_EQ("a", list->FilterText());
    EXPECT_EQ(4u, Visible().size());
    // Escape empties the search text: every record again (the list stays
    // open only when it gets the key itself).
    list->Perform(WM_CHAR, 27, 0);
    EXPECT_EQ("", list->FilterText());
    EXPECT_FALSE(Groups->Filtered());
    EXPECT_EQ(7u, Visible().size());
    Type(e, "pan");
    Key(e, VK_DOWN);
    Key(e, VK_RETURN);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ("Pantry", Stored("Group"));
    EXPECT_FALSE(Groups->Filtered());
    EXPECT_EQ(7u, Visible().size());
}

TEST_F(DBEditLookupTest, FilterSearchWorksOnTopOfTheDatasetsOwnFilter) {
    int ownCalls = 0;
    const TFilterRecordEvent own([&](TDataSet* ds, bool& accept) {
        ++ownCalls;
        accept = ds->FieldByName("GoalGrp")->AsString() != "Banana";
    });
    Groups->SetOnFilterRecord(own);
    Groups->SetFiltered(true);
    TOstraDBEdit* e = NewGroupEdit();
    e->LookupProps()->SetKindSearch(oksFilter);
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    Type(e, "an");
    EXPECT_GT(ownCalls, 0);
    EXPECT_EQ((std::vector<std::string>{"Anniversary", "Pantry"}), Visible());
    // With the search text emptied the dataset's own filter still hides Banana.
    Key(e, VK_BACK);
    Key(e, VK_BACK);
    EXPECT_EQ("", e->LookupList()->FilterText());
    EXPECT_TRUE(Groups->Filtered());
    EXPECT_EQ(6u, Visible().size());
    Key(e, VK_ESCAPE);
    EXPECT_TRUE(Groups->OnFilterRecord() == own);
    EXPECT_TRUE(Groups->Filtered());
    EXPECT_EQ(6u, Visible().size());
}

TEST_F(DBEditLookupTest, ClosingRestoresTheFilterWhateverTheDatasetsState) {
    const TFilterRecordEvent own([](TDataSet*, bool& accept) { accept = true; });
    Groups->SetOnFilterRecord(own);
    TOstraDBEdit* e = NewGroupEdit();
    e->LookupProps()->SetKindSearch(oksFilter);
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    Type(e, "an");
    ASSERT_TRUE(Groups->Filtered());
    // The dataset is closed meanwhile: its own filter still comes back.
    Groups->Close();
    Key(e, VK_ESCAPE);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_TRUE(Groups->OnFilterRecord() == own);
    EXPECT_FALSE(Groups->Filtered());
    EXPECT_FALSE(e->LookupList()->FilterInstalled());
    // And when the search kind changed while the list was open.
    Groups->Open();
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    ASSERT_TRUE(e->LookupList()->FilterInstalled());
    Type(e, "o");
    e->LookupProps()->SetKindSearch(oksFindFirst);
    e->LookupList()->SetKindSearch(oksFindFirst);
    Key(e, VK_ESCAPE);
    EXPECT_TRUE(Groups->OnFilterRecord() == own);
    EXPECT_FALSE(Groups->Filtered());
}

TEST_F(DBEditLookupTest, FreeingTheEditWhileFilteringPutsTheFilterBack) {
    TOstraDBEdit* e = NewGroupEdit();
    e->LookupProps()->SetKindSearch(oksFilter);
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    Type(e, "o");
    ASSERT_TRUE(Groups->Filtered());
    delete e;
    EXPECT_FALSE(Groups->OnFilterRecord().Assigned());
    EXPECT_FALSE(Groups->Filtered());
    EXPECT_EQ(7u, Visible().size());
}

TEST_F(DBEditLookupTest, ValueOfTheWrongKindForTheKeyNeverRaises) {
    // Keyed by the integer Key field while the edit holds group names.
    TOstraDBEdit* e = NewEdit(odsLookup);
    e->SetLookupDataSet(Groups);
    e->LookupProps()->SetLookupKeyField("Key");
    e->LookupProps()->SetListFieldNames("GoalGrp");
    EXPECT_NO_THROW({ Bind(e, "Group"); });
    EXPECT_EQ("Work", e->Text());
    Focus(e);
    EXPECT_NO_THROW(e->DropDown());
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_FALSE(e->LookupList()->HasSelection());
    // Enter with no record chosen keeps the value.
    Key(e, VK_RETURN);
    EXPECT_EQ("Work", Stored("Group"));
    EXPECT_EQ(dsBrowse, Goals->State());
}

TEST_F(DBEditLookupTest, FreedLookupDatasetIsForgotten) {
    TOstraDBEdit* e = NewGroupEdit();
    e->LookupProps()->SetKindSearch(oksFilter);
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    Type(e, "o");
    ASSERT_TRUE(e->DroppedDown());
    delete Groups;
    Groups = nullptr;
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(nullptr, e->LookupDataSet());
    EXPECT_FALSE(e->LookupList()->FilterInstalled());
    // Still usable: the value shows as it is.
    Goals->Next();
    EXPECT_EQ("Home", e->Text());
    EXPECT_NO_THROW(e->DropDown());
}

TEST_F(DBEditLookupTest, LookupDatasetCannotBeTheEditsOwn) {
    TOstraDBEdit* e = NewGroupEdit();
    EXPECT_RAISES(e->SetLookupDataSet(Goals), EDatabaseError,
                  "Lookup Dataset cannot be equal to Source DataSet");
    EXPECT_EQ(Groups, e->LookupDataSet());

    // Set before the data source, the edit's own dataset is kept but never
    // used as the lookup: opening the list must not move the record being
    // edited, in the list or the tree style.
    for (TOstraDialogStyle style : {odsLookup, odsTree}) {
        SCOPED_TRACE(style == odsLookup ? "lookup" : "tree");
        TOstraDBEdit* own = NewEdit(style, 60);
        own->SetLookupDataSet(Goals);
        own->LookupProps()->SetLookupKeyField("Group");
        own->LookupProps()->SetListFieldNames("Group");
        own->TreeProps()->SetTextField("Group");
        own->TreeProps()->SetUniqueField("Group");
        own->TreeProps()->SetLevelField("Count");
        Bind(own, "Group");
        EXPECT_FALSE(own->DropDownPrepared());
        Goals->First();
        Goals->Next();
        Goals->Edit();
        Goals->FieldByName("Priority")->SetAsString("4");
        Focus(own);
        Key(own, VK_DOWN, {ssAlt});
        ProcessEvents();
        EXPECT_EQ(dsEdit, Goals->State());
        EXPECT_EQ(2, Goals->RecNo());
        EXPECT_EQ("Home", Stored("Group"));
        EXPECT_EQ("4", Stored("Priority"));
        Key(own, VK_ESCAPE);
        Goals->Cancel();
        delete own;
    }
}

TEST_F(DBEditLookupTest, IncompleteSettingsShowThePlainValue) {
    TOstraDBEdit* e = NewEdit(odsLookup);
    e->SetLookupDataSet(Groups);
    e->LookupProps()->SetLookupKeyField("GoalGrp");
    Bind(e, "Group");
    EXPECT_FALSE(e->DropDownPrepared());
    EXPECT_EQ("Work", e->Text());
    // Field names the dataset lacks count as incomplete too.
    e->LookupProps()->SetListFieldNames("NoSuchField");
    Goals->Next();
    EXPECT_FALSE(e->DropDownPrepared());
    EXPECT_EQ("Home", e->Text());
}

TEST_F(DBEditLookupTest, LookupFieldSetsUpTheEdit) {
    // A lookup field of the goals table showing the group's note.
    Goals->Close();
    auto* key = new TStringField(Goals);
    key->SetFieldName("Group");
    key->SetSize(15);
    key->SetDataSet(Goals);
    auto* note = new TStringField(Goals);
    note->SetFieldName("GroupNote");
    note->SetSize(20);
    note->SetFieldKind(fkLookup);
    note->SetLookupDataSet(Groups);
    note->SetKeyFields("Group");
    note->SetLookupKeyFields("GoalGrp");
    note->SetLookupResultField("Note");
    note->SetDataSet(Goals);
    // Reopened empty (the table lives in memory): the rows again.
    Goals->Open();
    for (const char* g : {"Work", "Home"}) {
        Goals->Append();
        key->SetAsString(g);
        Goals->Post();
    }
    Goals->First();
    TOstraDBEdit* e = NewEdit(odsEdit);
    Bind(e, "GroupNote");
    EXPECT_EQ(odsLookup, e->DialogStyle());
    EXPECT_EQ(Groups, e->LookupDataSet());
    EXPECT_EQ("Group", e->LookupProps()->SourceKeyField());
    EXPECT_EQ("GoalGrp", e->LookupProps()->LookupKeyField());
    EXPECT_EQ("Note", e->LookupProps()->ListFieldNames());
    EXPECT_EQ(Variant("Work"), e->Value());
    EXPECT_EQ("note Work", e->Text());
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    const int row = RowOf(e->LookupList(), "note Garden");
    ASSERT_GE(row, 0);
    ClickRow(e->LookupList(), row);
    // The key field takes the chosen key.
    EXPECT_EQ("Garden", Stored("Group"));
    EXPECT_EQ("note Garden", e->Text());
}

}  // namespace
