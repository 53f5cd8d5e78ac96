// The main window at work: tab changes, adding and saving tasks, the
// second views of the task files, closing, and the dialogs it opens.
#include "main_form_test_fixture.h"

#include "app/help_viewer.h"
#include "platform/core/clock.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/help.h"
#include "platform/ui/menus.h"

namespace {

class MainFormLife : public MainFormTest {
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
};

TEST_F(MainFormLife, EachTabBindsItsTablesAndTheNavigator) {
    Open();
    struct TCase {
        TTabSheet* Page;
        TDataSource* Navigator;
        bool MoveEnabled, ArchiveEnabled;
    };
    const std::vector<TCase> cases{{Form->TabSheet1(), Form->DataTask(), true, true},
                                   {Form->TabSheet2(), Form->dsTask2(), true, true},
                                   {Form->TabSheet3(), Form->dsArchive(), true, false},
                                   {Form->TabSheet4(), Form->dsList(), false, false},
                                   {Form->TabSheet5(), Form->dsQuotes(), false, false},
                                   {Form->TabSheet6(), Form->dsGoals(), false, false},
                                   {Form->TabSheet7(), Form->dstday(), true, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Page->Caption());
        Form->StatusBar1()->SetSimpleText("Sort Order - Action");
        ShowPage(c.Page);
        EXPECT_EQ(Form->DBNavigator1()->DataSource(), c.Navigator);
        EXPECT_EQ(Form->spBtnMoveCmpl()->Enabled(), c.MoveEnabled);
        EXPECT_EQ(Form->sbtnArchive()->Enabled(), c.ArchiveEnabled);
        EXPECT_EQ(Form->StatusBar1()->SimpleText(), "");
    }
    ShowPage(Form->TabSheet2());
    EXPECT_EQ(Form->DataTask()->DataSet(), Form->dtask2_());
    EXPECT_EQ(Form->DataCatg()->DataSet(), Form->dCateg2());
    ShowPage(Form->TabSheet1());
    EXPECT_EQ(Form->DataTask()->DataSet(), Form->dTask_());
    EXPECT_EQ(Form->DataCatg()->DataSet(), Form->dCateg());
    // Other tabs keep the last task binding.
    ShowPage(Form->TabSheet5());
    EXPECT_EQ(Form->DataTask()->DataSet(), Form->dTask_());
    ShowPage(Form->TabSheet6());
    EXPECT_TRUE(Form->dGoalGrp_()->Active());
    EXPECT_EQ(Form->dsGoalGrp()->DataSet(), Form->dGoalGrp_());
}

TEST_F(MainFormLife, AddFillsTheNewTaskFromTheTab) {
    Open();
    ShowPage(Form->TabSheet1());
    Form->spBtnAddClick(Form);
    TOstraTable* t = Form->dTask_();
    ASSERT_EQ(t->State(), dsInsert);
    EXPECT_EQ(t->FieldByName("Status")->AsString(), "Open");
    EXPECT_EQ(t->FieldByName("Priority")->AsString(), "2");
    EXPECT_DOUBLE_EQ(t->FieldByName("Date")->AsDateTime(), EncodeDate(2025, 5, 20));
    EXPECT_FALSE(t->FieldByName("Flag")->AsBoolean());
    t->FieldByName("Action")->SetAsString("Buy stamps");
    t->Post();

    // On Today the first view gets the task, flagged.
    ShowPage(Form->TabSheet7());
    Form->spBtnAddClick(Form);
    TOstraTable* today = Form->tblToDay1_();
    ASSERT_EQ(today->State(), dsInsert);
    EXPECT_TRUE(today->FieldByName("Flag")->AsBoolean());
    EXPECT_EQ(today->FieldByName("Status")->AsString(), "Open");
    EXPECT_EQ(today->FieldByName("Priority")->AsString(), "2");
    EXPECT_DOUBLE_EQ(today->FieldByName("Date")->AsDateTime(), EncodeDate(2025, 5, 20));
    today->Cancel();

    // While the second Today grid has the focus, the second view does.
    Form->OstraDBGrid8Enter(Form->OstraDBGrid8());
    EXPECT_EQ(Form->DBNavigator1()->DataSource(), Form->dsTday2());
    Form->spBtnAddClick(Form);
    EXPECT_EQ(Form->tblToDay2_()->State(), dsInsert);
    EXPECT_TRUE(Form->tblToDay2_()->FieldByName("Flag")->AsBoolean());
    Form->tblToDay2_()->Cancel();
    Form->OstraDBGrid8Exit(Form->OstraDBGrid8());
    EXPECT_EQ(Form->DBNavigator1()->DataSource(), Form->dstday());

    // The Catch All list only dates its new records.
    ShowPage(Form->TabSheet4());
    Form->spBtnAddClick(Form);
    EXPECT_EQ(Form->dList_()->State(), dsInsert);
    EXPECT_DOUBLE_EQ(Form->dList_()->FieldByName("Date")->AsDateTime(), EncodeDate(2025, 5, 20));
    EXPECT_TRUE(Form->dList_()->FieldByName("Status")->IsNull());
}

TEST_F(MainFormLife, DeleteAsksTheNavigatorsQuestion) {
    AddTasks("Ttask.d", {{"One", "1", false}, {"Two", "2", false}});
    Open();
    ShowPage(Form->TabSheet1());
    Dialogs.Answer(mrCancel);
    Form->spBtnDeleteClick(Form);
    EXPECT_EQ(Form->dTask_()->RecordCount(), 2);
    EXPECT_EQ(Dialogs.Last().Text, "Delete record?");
    Dialogs.Answer(mrOk);
    Form->spBtnDeleteClick(Form);
    EXPECT_EQ(Form->dTask_()->RecordCount(), 1);
    EXPECT_EQ(Dialogs.Count(), 2);
}

TEST_F(MainFormLife, SaveChangesWritesTheTablesAndRereadsTheSecondViews) {
    AddTasks("Ttask.d", {{"Plan the trip", "1", false}});
    Open();
    ShowPage(Form->TabSheet1());
    TOstraTable* t = Form->dTask_();
    t->Edit();
    t->FieldByName("Flag")->SetAsBoolean(true);
    t->Post();
    EXPECT_EQ(Form->tblToDay1_()->RecordCount(), 0);
    Form->dCateg()->Edit();
    Form->dCateg()->FieldByName("CATEGORY")->SetAsString("Garden");
    Form->dCateg()->Post();
    Form->spbtnSaveClick(Form);
    EXPECT_FALSE(t->HasPendingChanges());
    EXPECT_EQ(FileColumn("Ttask.d", "Flag"), std::vector<std::string>{"True"});
    EXPECT_EQ(FileColumn("catg.d", "CATEGORY").front(), "Garden");
    // The Today view was read again from the file just written.
    EXPECT_EQ(Form->tblToDay1_()->RecordCount(), 1);

    // A change made on the Today view goes to the file and back into the list.
    ShowPage(Form->TabSheet7());
    Form->tblToDay1_()->Edit();
    Form->tblToDay1_()->FieldByName("Action")->SetAsString("Plan the trip to the coast");
    Form->tblToDay1_()->Post();
    Form->SaveChgs();
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), std::vector<std::string>{"Plan the trip to the coast"});
    EXPECT_EQ(Form->dTask_()->FieldByName("Action")->AsString(), "Plan the trip to the coast");
}

TEST_F(MainFormLife, TheNavigatorsPostSavesTheTaskTable) {
    Open();
    ShowPage(Form->TabSheet1());
    Form->spBtnAddClick(Form);
    Form->dTask_()->FieldByName("Action")->SetAsString("Posted and saved");
    Form->DBNavigator1()->BtnClick(nbPost);
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), std::vector<std::string>{"Posted and saved"});
}

TEST_F(MainFormLife, LeavingTodaySavesAndRereadsTheSecondList) {
    Open();
    ShowPage(Form->TabSheet2());
    Form->spBtnAddClick(Form);
    Form->dtask2_()->FieldByName("Action")->SetAsString("Not saved yet");
    Form->dtask2_()->Post();
    ShowPage(Form->TabSheet7());
    Form->TabSheet7Exit(Form->TabSheet7());
    // The pending change is written: nothing is lost. The table stays open
    // under its Today view.
    EXPECT_TRUE(Form->tblToDay2_()->Active());
    EXPECT_EQ(FileColumn("Ttask2.d", "Action"), std::vector<std::string>{"Not saved yet"});
    ShowPage(Form->TabSheet2());
    EXPECT_EQ(Form->dtask2_()->FieldByName("Action")->AsString(), "Not saved yet");
}

TEST_F(MainFormLife, CloseAsksAndNoKeepsTheWindowAndDropsCatchAllChanges) {
    Open();
    ShowPage(Form->TabSheet4());
    Form->spBtnAddClick(Form);
    Form->dList_()->FieldByName("Action")->SetAsString("Unsaved idea");
    Form->dList_()->Post();
    EXPECT_EQ(Form->dList_()->RecordCount(), 1);
    Dialogs.Answer(mrNo);
    Form->SpeedButton1Click(Form);  // "Undo"
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
    EXPECT_EQ(Dialogs.Last().DlgType, mtConfirmation);
    EXPECT_EQ(Dialogs.Last().Buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(Form->dList_()->RecordCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(TfrmToDo::SettingsFileName()));
    // "Exit" and the menu's "Exit" ask the same.
    Dialogs.Answer(mrNo);
    Form->Exit1Click(Form);
    EXPECT_EQ(Dialogs.Count(), 2);
}

TEST_F(MainFormLife, CloseWithYesSavesAndRemembersTheQuote) {
    Open();
    ShowPage(Form->TabSheet1());
    Form->spBtnAddClick(Form);
    Form->dTask_()->FieldByName("Action")->SetAsString("Pending task");
    Form->dTask_()->Post();
    Form->dList_()->Append();
    Form->dList_()->FieldByName("Action")->SetAsString("Pending idea");
    Form->dList_()->Post();
    Form->dCateg2()->Edit();
    Form->dCateg2()->FieldByName("CATEGORY")->SetAsString("Reading");
    Form->dCateg2()->Post();
    Dialogs.Answer(mrYes);
    TCloseAction action = caHide;
    Form->FormClose(Form, action);
    EXPECT_EQ(action, caFree);
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), std::vector<std::string>{"Pending task"});
    EXPECT_EQ(FileColumn("List.d", "Action"), std::vector<std::string>{"Pending idea"});
    EXPECT_EQ(FileColumn("catg2.d", "CATEGORY").front(), "Reading");
    TIniFile ini(TfrmToDo::SettingsFileName());
    EXPECT_EQ(ini.ReadInteger("QUOTE", "Selected", -1), 10);
}

TEST_F(MainFormLife, EditButtonOfTheTaskGridsAsksAboutNotes) {
    Open();
    for (int n : {1, 7, 8}) {
        Dialogs.Answer(mrYes);
        Form->Grid(n)->OnEditButtonClick()(Form->Grid(n), nullptr);
        EXPECT_EQ(Dialogs.Last().Text, " Edit Notes?");
        EXPECT_EQ(Dialogs.Last().DlgType, mtConfirmation);
    }
    EXPECT_FALSE(Form->Grid(2)->OnEditButtonClick().Assigned());
}

TEST_F(MainFormLife, MenuCommandsOpenTheirDialogs) {
    Open();
    TTestModalForms script;
    script.PushResult(mrCancel);
    script.PushResult(mrCancel);
    script.PushResult(mrOk);
    script.PushResult(mrOk);
    Form->Categories1()->Click();
    Form->Categories21()->Click();
    Form->Calendar1()->Click();
    Form->About1()->Click();
    EXPECT_EQ(script.Shown(),
              (std::vector<std::string>{"TfrmCateg1", "TfrmCateg2", "TOKCalendarDlg", "TAboutBox1"}));
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(MainFormLife, HelpShowsTheMainWindowsTopic) {
    THelpRecorder recorder;
    THelpEngine* previous = SetHelpEngine(&recorder);
    const std::string oldFile = Application->HelpFile();
    RegisterHTMLHelpViewer();
    Open();
    Form->SpeedButton13()->Click();
    Form->Help2()->Click();
    EXPECT_EQ(Application->HelpFile(), "kelvtodo.chm");
    ASSERT_EQ(recorder.Requests().size(), 2u);
    EXPECT_EQ(recorder.Requests()[0].Command, hcContext);
    EXPECT_EQ(recorder.Requests()[0].Context, 30);
    Application->SetHelpFile(oldFile);
    SetHelpEngine(previous);
}

TEST_F(MainFormLife, PrintServesTheTaskTabsOnly) {
    Open();
    ShowPage(Form->TabSheet5());
    Form->spbtnPrintClick(Form);
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().DlgType, mtInformation);
    // A task tab opens the print dialog of the task list.
    ShowPage(Form->TabSheet1());
    TTestModalForms script;
    script.PushResult(mrCancel);
    Form->spbtnPrintClick(Form);
    EXPECT_EQ(script.Shown(), std::vector<std::string>{"TfrmPrint"});
}

TEST_F(MainFormLife, FilterCommandsWaitForTheFilterDialog) {
    Open();
    EXPECT_FALSE(Form->SpeedButton5()->Enabled());
    EXPECT_FALSE(Form->SpeedButton3()->Enabled());
}

}  // namespace
