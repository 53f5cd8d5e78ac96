// The task files' one store per file: edits on the Today tab and on the
// group tabs, saves, tab changes and closing never lose a posted change.
#include "main_form_test_fixture.h"

#include "platform/core/clock.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/testing.h"

namespace {

class MainFormOps : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        SetClockForTesting(EncodeDate(2025, 5, 20) + 0.5);
    }
    void TearDown() override {
        ResetClock();
        MainFormTest::TearDown();
    }
    void ShowPage(TTabSheet* Page) {
        Form->PageControl1()->SetActivePage(Page);
        Form->PageControl1Change(Form);
    }
    static void Click(TControl* C) { SendClick(C, C->Width() / 2, C->Height() / 2); }
    static void SetAction(TOstraTable* T, const std::string& Text) {
        T->Edit();
        T->FieldByName("Action")->SetAsString(Text);
        T->Post();
    }
};

TEST_F(MainFormOps, TodayAndGroupEditsAreBothSaved) {
    AddTasks("Ttask.d", {{"Flagged", "1", true}, {"Plain", "2", false}});
    Open();
    Form->Show();
    ProcessEvents();
    // Edit on Today, then on the group tab, then save: both edits reach the file.
    ASSERT_EQ(Form->tblToDay1_()->RecordCount(), 1);
    SetAction(Form->tblToDay1_(), "Flagged, edited on Today");
    ShowPage(Form->TabSheet1());
    ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant("Plain"), {}));
    SetAction(Form->dTask_(), "Plain, edited on the group tab");
    Click(Form->spbtnSave());
    const auto actions = FileColumn("Ttask.d", "Action");
    EXPECT_NE(std::find(actions.begin(), actions.end(), "Flagged, edited on Today"), actions.end());
    EXPECT_NE(std::find(actions.begin(), actions.end(), "Plain, edited on the group tab"), actions.end());
    EXPECT_FALSE(Form->dTask_()->HasPendingChanges());
    EXPECT_FALSE(Form->tblToDay1_()->HasPendingChanges());
}

TEST_F(MainFormOps, TodayChangeSurvivesATabRoundTripAndClose) {
    Open();
    // A task added on Today, unsaved; the Today tab shown again must not drop it.
    Form->spBtnAddClick(Form);
    Form->tblToDay1_()->FieldByName("Action")->SetAsString("Added on Today");
    Form->tblToDay1_()->Post();
    ShowPage(Form->TabSheet1());
    // The group tab lists it at once (one store).
    EXPECT_TRUE(Form->dTask_()->Locate("Action", Variant("Added on Today"), {}));
    ShowPage(Form->TabSheet7());
    EXPECT_EQ(Form->tblToDay1_()->RecordCount(), 1);
    Dialogs.Answer(mrYes);
    TCloseAction action = caHide;
    Form->FormClose(Form, action);
    EXPECT_EQ(action, caFree);
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), std::vector<std::string>{"Added on Today"});
}

TEST_F(MainFormOps, FlagSetOnGroupTabShowsOnTodayWithoutSaving) {
    AddTasks("Ttask2.d", {{"Second list", "3", false}});
    Open();
    ShowPage(Form->TabSheet2());
    Form->dtask2_()->Edit();
    Form->dtask2_()->FieldByName("Flag")->SetAsBoolean(true);
    Form->dtask2_()->Post();
    ShowPage(Form->TabSheet7());
    ASSERT_EQ(Form->tblToDay2_()->RecordCount(), 1);
    // Edited on Today; leaving Today saves the second file with both changes.
    SetAction(Form->tblToDay2_(), "Second list, edited");
    Form->TabSheet7Exit(Form->TabSheet7());
    EXPECT_EQ(FileColumn("Ttask2.d", "Action"), std::vector<std::string>{"Second list, edited"});
    EXPECT_EQ(FileColumn("Ttask2.d", "Flag"), std::vector<std::string>{"True"});
}

TEST_F(MainFormOps, EditInProgressOnTodayIsPostedNotDroppedByTheTabChange) {
    AddTasks("Ttask.d", {{"Flagged", "1", true}});
    Open();
    Form->tblToDay1_()->Edit();
    Form->tblToDay1_()->FieldByName("Action")->SetAsString("Typed, not posted");
    ShowPage(Form->TabSheet7());
    EXPECT_EQ(Form->tblToDay1_()->FieldByName("Action")->AsString(), "Typed, not posted");
    Form->SaveChgs();
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), std::vector<std::string>{"Typed, not posted"});
}

TEST_F(MainFormOps, CloseWithYesSavesEveryTableWithChanges) {
    Open();
    Form->dArchive_()->Append();
    Form->dArchive_()->FieldByName("ACTION")->SetAsString("Archived by hand");
    Form->dArchive_()->Post();
    Form->dGoals_()->Append();
    Form->dGoals_()->FieldByName("Target")->SetAsString("New project");
    Form->dGoals_()->Post();
    Form->dQuotes_()->First();
    Form->dQuotes_()->Edit();
    Form->dQuotes_()->FieldByName("Author")->SetAsString("Changed author");
    Form->dQuotes_()->Post();
    ShowPage(Form->TabSheet2());
    Form->spBtnAddClick(Form);
    Form->dtask2_()->FieldByName("Action")->SetAsString("Group 2, pending");
    // Left in insert state: posted by the close.
    Dialogs.Answer(mrYes);
    Click(Form->SpeedButton2());  // "Exit"
    ProcessEvents();
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), std::vector<std::string>{"Archived by hand"});
    EXPECT_EQ(FileColumn("Goals.d", "Target").back(), "New project");
    const auto authors = FileColumn("quotes.d", "Author");
    EXPECT_NE(std::find(authors.begin(), authors.end(), "Changed author"), authors.end());
    EXPECT_EQ(FileColumn("Ttask2.d", "Action"), std::vector<std::string>{"Group 2, pending"});
    Form = nullptr;  // freed by the close
}

TEST_F(MainFormOps, PrintIsEnabledOnTheTaskListsOnly) {
    Open();
    for (int i = 0; i < Form->PageControl1()->PageCount(); ++i) {
        TTabSheet* page = Form->PageControl1()->Pages(i);
        ShowPage(page);
        const bool tasks =
            page == Form->TabSheet7() || page == Form->TabSheet1() || page == Form->TabSheet2();
        EXPECT_EQ(Form->spbtnPrint()->Enabled(), tasks) << page->Caption();
    }
}

TEST_F(MainFormOps, RestartKeepsSavedRows) {
    Open();
    ShowPage(Form->TabSheet1());
    Click(Form->spBtnAdd());
    Form->dTask_()->FieldByName("Action")->SetAsString("Kept across a restart");
    Click(Form->spbtnSave());
    delete Form;
    Form = nullptr;
    Open();
    ShowPage(Form->TabSheet1());
    EXPECT_TRUE(Form->dTask_()->Locate("Action", Variant("Kept across a restart"), {}));
}

}  // namespace
