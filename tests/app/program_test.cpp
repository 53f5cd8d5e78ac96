// The program as a user meets it: started as main starts it, every command
// once, and the flows that went wrong in a real window.
#include "program_harness.h"

#include "app/restore_dlg.h"
#include "platform/core/clock.h"
#include "platform/core/inifiles.h"
#include "platform/ui/printers.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/stddialogs.h"

namespace {

using TShown = std::vector<std::string>;

TEST_F(ProgramTest, StartsOnTodayWithTheFormsOfTheRun) {
    Start();
    EXPECT_EQ(Main->PageControl1()->ActivePage(), Main->TabSheet7());
    EXPECT_TRUE(Main->Visible());
    // The restore dialog and the calendar live for the whole run too.
    int restore = 0, calendar = 0;
    for (int i = 0; i < Application->ComponentCount(); ++i) {
        restore += dynamic_cast<TDualListDlg*>(Application->Components(i)) != nullptr;
        calendar += Application->Components(i)->ClassName() == std::string("TOKCalendarDlg");
    }
    EXPECT_EQ(restore, 1);
    EXPECT_EQ(calendar, 1);
    for (TOstraTable* t : {Main->dTask_(), Main->dtask2_(), Main->tblToDay1_(), Main->dQuotes_(),
                           Main->dSelQuotes_(), Main->dCateg(), Main->dList_()})
        EXPECT_TRUE(t->Active()) << t->Name();
    // The quote of the day stands at the bottom: quote 10 of a fresh folder.
    EXPECT_EQ(Main->QuoteSelected(), 10);
    EXPECT_EQ(Main->dSelQuotes_()->FieldByName("Key")->AsInteger(), 10);
    for (TTabSheet* tab : {Main->TabSheet7(), Main->TabSheet1(), Main->TabSheet2(), Main->TabSheet3(),
                           Main->TabSheet4(), Main->TabSheet5(), Main->TabSheet6()}) {
        ShowTab(tab);
        Render("program_tab_" + std::to_string(tab->PageIndex()));
    }
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTest, EveryMenuCommandOpensWhatItShouldAndCloses) {
    Start();
    TTestModalForms forms;
    TTestStdDialogs std;
    for (int i = 0; i < 4; ++i) forms.PushResult(mrCancel);
    Main->Restore1()->Click();
    Main->Calendar1()->Click();
    Main->Categories1()->Click();
    Main->Categories21()->Click();
    forms.PushResult(mrOk);
    Main->About1()->Click();
    EXPECT_EQ(forms.Shown(),
              (TShown{"TDualListDlg", "TOKCalendarDlg", "TfrmCateg1", "TfrmCateg2", "TAboutBox1"}));
    EXPECT_EQ(forms.Pending(), 0);

    Main->Backup1()->Click();
    ASSERT_GE(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "10 Files copied.");
    EXPECT_TRUE(FileExists(Dir + "TTask.bak") || !FindFileNoCase(Dir, "ttask.bak").empty());

    std.AnswerColor(false);
    Main->Option1()->Click();
    EXPECT_EQ(std.ColorRequests(), 1);

    Main->Help2()->Click();
    ASSERT_EQ(Help.Requests().size(), 1u);
    EXPECT_EQ(Help.Requests()[0].Context, 30);

    // "Exit" asks; No keeps the window.
    Dialogs.Answer(mrNo);
    Main->Exit1()->Click();
    EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
    EXPECT_EQ(LastCloseAction, caNone);
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTest, EveryToolButtonDoesItsWork) {
    AddTasks("Ttask.d", {{"First", "1", true}, {"Second", "2", false}, {"Third", "3", false}});
    Start();
    TTestModalForms forms;
    ShowTab(Main->TabSheet1());
    TOstraTable* tasks = Main->dTask_();

    // The navigator walks the list.
    TDBNavigator* nav = Main->DBNavigator1();
    const int third = nav->Width() / 4;
    SendClick(nav, 3 * third + third / 2, nav->Height() / 2);  // last
    EXPECT_TRUE(tasks->Eof() || tasks->RecNo() == 3);
    SendClick(nav, third / 2, nav->Height() / 2);  // first
    EXPECT_EQ(tasks->RecNo(), 1);
    SendClick(nav, 2 * third + third / 2, nav->Height() / 2);  // next
    EXPECT_EQ(tasks->RecNo(), 2);
    SendClick(nav, third + third / 2, nav->Height() / 2);  // prior
    EXPECT_EQ(tasks->RecNo(), 1);

    Click(Main->spBtnAdd());
    EXPECT_EQ(tasks->State(), dsInsert);
    tasks->Cancel();

    Dialogs.Answer(mrCancel);
    Click(Main->spBtnDelete());
    EXPECT_EQ(Dialogs.Last().Text, "Delete record?");
    EXPECT_EQ(tasks->RecordCount(), 3);

    forms.PushResult(mrCancel);
    Click(Main->spbtnPrint());
    EXPECT_EQ(forms.Shown(), TShown{"TfrmPrint"});

    tasks->First();
    tasks->Edit();
    tasks->FieldByName("Action")->SetAsString("First, saved");
    tasks->Post();
    Click(Main->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask.d", "Action").front(), "First, saved");

    Dialogs.Answer(mrNo);
    Click(Main->spBtnMoveCmpl());
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Basket?");
    Dialogs.Answer(mrYes);
    Click(Main->sbtnArchive());
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Archive?");
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), TShown{"First, saved"});
    EXPECT_EQ(tasks->RecordCount(), 2);

    // The filter waits for its dialog.
    EXPECT_FALSE(Main->SpeedButton5()->Enabled());
    EXPECT_FALSE(Main->SpeedButton3()->Enabled());

    // "QR" off the Today tab shows the quote in its box.
    forms.PushResult(mrOk);
    Click(Main->spbtnRandQuote());
    EXPECT_EQ(forms.Shown().back(), "TFrmQuoteBox");
    // "QD" makes the quote of the Quotes tab the quote of the day.
    ShowTab(Main->TabSheet5());
    Main->dQuotes_()->First();
    Main->dQuotes_()->Next();
    const int key = Main->dQuotes_()->FieldByName("Key")->AsInteger();
    Click(Main->SpeedButton4());
    EXPECT_EQ(Main->QuoteSelected(), key);
    EXPECT_EQ(Main->dSelQuotes_()->FieldByName("Key")->AsInteger(), key);

    Click(Main->SpeedButton13());
    EXPECT_EQ(Help.Requests().size(), 1u);

    // "Undo" closes as "Exit" does.
    Dialogs.Answer(mrNo);
    Click(Main->SpeedButton1());
    EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
    EXPECT_EQ(LastCloseAction, caNone);
    EXPECT_TRUE(CloseProgram());
    // The quote of the day is remembered.
    TIniFile ini(Dir + "taskmoor.ini");
    EXPECT_EQ(ini.ReadInteger("QUOTE", "Selected", -1), key);
    EXPECT_EQ(forms.Pending(), 0);
}

}  // namespace
