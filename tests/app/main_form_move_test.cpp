// Moving tasks to the Catch All list and the archive; backup and restore.
#include "main_form_test_fixture.h"

#include "app/restore_dlg.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"

namespace {

class MainFormMove : public MainFormTest {
protected:
    void ShowPage(TTabSheet* Page) {
        Form->PageControl1()->SetActivePage(Page);
        Form->PageControl1Change(Form);
    }
    static void Click(TControl* C) { SendClick(C, C->Width() / 2, C->Height() / 2); }
};

TEST_F(MainFormMove, MoveToCatchAllIsSavedAtOnceAndSurvivesNo) {
    AddTasks("Ttask.d", {{"Call the bank", "1", true}, {"Stay here", "2", false}});
    Open();
    Form->Show();
    ProcessEvents();
    ShowPage(Form->TabSheet1());
    ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant("Call the bank"), {}));
    Dialogs.Answer(mrNo);
    Click(Form->spBtnMoveCmpl());
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Basket?");
    EXPECT_EQ(Form->dTask_()->RecordCount(), 2);
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());
    EXPECT_EQ(Form->dTask_()->RecordCount(), 1);
    EXPECT_EQ(FileColumn("List.d", "Action"), std::vector<std::string>{"Call the bank"});
    EXPECT_EQ(FileColumn("List.d", "Priority"), std::vector<std::string>{"1"});
    EXPECT_EQ(FileColumn("List.d", "Flag"), std::vector<std::string>{"True"});
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), std::vector<std::string>{"Stay here"});
    // "No" to the close question drops unsaved Catch All changes only.
    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());  // "Undo"
    EXPECT_EQ(Form->dList_()->RecordCount(), 1);
    EXPECT_EQ(FileColumn("List.d", "Action"), std::vector<std::string>{"Call the bank"});
}

TEST_F(MainFormMove, ArchiveFromGroupTwoLeavesGroupOneAlone) {
    AddTasks("Ttask.d", {{"Group one task", "1", false}});
    AddTasks("Ttask2.d", {{"Finished thing", "4", true}});
    Open();
    ShowPage(Form->TabSheet2());
    Dialogs.Answer(mrYes);
    Form->sbtnArchiveClick(Form);
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Archive?");
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), std::vector<std::string>{"Finished thing"});
    EXPECT_EQ(FileColumn("archive.d", "PRIORITY"), std::vector<std::string>{"4"});
    EXPECT_TRUE(FileColumn("Ttask2.d", "Action").empty());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), std::vector<std::string>{"Group one task"});
    // Gone from the Today view too.
    ShowPage(Form->TabSheet7());
    EXPECT_EQ(Form->tblToDay2_()->RecordCount(), 0);
}

TEST_F(MainFormMove, NothingToMoveAsksNothing) {
    Open();
    ShowPage(Form->TabSheet1());  // empty task list
    Form->spBtnMoveCmplClick(Form);
    Form->sbtnArchiveClick(Form);
    ShowPage(Form->TabSheet7());
    Form->spBtnMoveCmplClick(Form);
    Form->sbtnArchiveClick(Form);
    ShowPage(Form->TabSheet3());
    Form->spBtnMoveCmplClick(Form);
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_EQ(Form->dList_()->RecordCount(), 0);
    EXPECT_FALSE(Form->sbtnArchive()->Enabled());
    ShowPage(Form->TabSheet4());
    EXPECT_FALSE(Form->spBtnMoveCmpl()->Enabled());
}

TEST_F(MainFormMove, BackupCountsTheCopiedFiles) {
    std::filesystem::remove(Dir + "GoalGrp.d");
    Open();
    Form->Backup1()->Click();
    ASSERT_EQ(Dialogs.Count(), 2);
    EXPECT_EQ(Dialogs.Messages()[0].Text.find("GoalGrp.d Not copied."),
              Dialogs.Messages()[0].Text.size() - 21);
    EXPECT_EQ(Dialogs.Messages()[1].Text, "9 Files copied.");
    EXPECT_TRUE(std::filesystem::exists(Dir + "TTask.bak") || std::filesystem::exists(Dir + "Ttask.bak"));
}

TEST_F(MainFormMove, RestoreRereadsTheRestoredTables) {
    AddTasks("Ttask.d", {{"Backed up", "1", true}});
    Open();
    Form->Backup1()->Click();
    // Changed and saved after the backup, then restored.
    Form->PageControl1()->SetActivePage(Form->TabSheet1());
    Form->PageControl1Change(Form);
    Form->dTask_()->Edit();
    Form->dTask_()->FieldByName("Action")->SetAsString("After the backup");
    Form->dTask_()->Post();
    Form->SaveChgs();
    TTestModalForms script;
    script.Push([](TCustomForm* F) {
        auto* d = dynamic_cast<TDualListDlg*>(F);
        ASSERT_NE(d, nullptr);
        const int i = d->SrcList()->Items()->IndexOf("TTask");
        ASSERT_GE(i, 0);
        d->SrcList()->SetSelected(i, true);
        d->IncludeBtnClick(d->IncludeBtn());
        d->OKBtnClick(d->OKBtn());
        d->SetModalResult(mrOk);
    });
    Dialogs.Clear();
    Form->Restore1()->Click();
    EXPECT_EQ(Dialogs.Last().Text, "1 Files copied.");
    EXPECT_EQ(Form->dTask_()->FieldByName("Action")->AsString(), "Backed up");
    EXPECT_EQ(Form->tblToDay1_()->FieldByName("Action")->AsString(), "Backed up");
    // A later save cannot write the old memory over the restored file.
    Form->dTask_()->Edit();
    Form->dTask_()->FieldByName("Priority")->SetAsString("0");
    Form->dTask_()->Post();
    Form->SaveChgs();
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), std::vector<std::string>{"Backed up"});
}

}  // namespace
