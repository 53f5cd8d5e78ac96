// User flows through the started program: restore, the quote editor, adding
// tasks, damaged tables, settings that cannot be written, printing to a
// file, and a task typed in, saved and read back after a restart.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/report/print_form.h"
#include "app/restore_dlg.h"
#include "engine/password.h"
#include "platform/core/inifiles.h"
#include "platform/core/sysutils.h"
#include "platform/ui/messages.h"
#include "platform/ui/printers.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/stddialogs.h"
#include "support/app/program_harness.h"

namespace {

using TNames = std::vector<std::string>;

TEST_F(ProgramTest, RestoreOpensEachTimeAndBringsTheBackupBack) {
    AddTasks("Ttask.d", {{"Kept in the backup", "1", true}});
    std::filesystem::remove(Dir + "GoalGrp.d");
    Start();
    TTestModalForms forms;
    forms.PushResult(mrCancel);
    Form->Restore1()->Click();
    // A missing file is named; the others are copied.
    Form->Backup1()->Click();
    ASSERT_EQ(Dialogs.Count(), 2);
    EXPECT_EQ(Dialogs.Messages()[0].Text, Dir + "GoalGrp.d Not copied.");
    EXPECT_EQ(Dialogs.Messages()[1].Text, "9 Files copied.");

    // A change saved after the backup.
    ShowTab(Form->TabSheet1());
    Form->dTask_()->First();
    PutText(Form->dTask_(), "Action", "Changed later");
    Click(Form->spbtnSave());
    ASSERT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Changed later"});

    // The second Restore opens a fresh dialog: all ten names on the left.
    forms.Push([this](TCustomForm* Form) {
        auto* dlg = dynamic_cast<TDualListDlg*>(Form);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->SrcList()->Items()->Count(), 10);
        Render("program_restore", dlg);
        const int index = dlg->SrcList()->Items()->IndexOf("TTask");
        ASSERT_GE(index, 0);
        const TRect r = dlg->SrcList()->ItemRect(index);
        SendClick(dlg->SrcList(), r.Left + 5, (r.Top + r.Bottom) / 2);
        SendClick(dlg->IncludeBtn(), 5, 5);
        SendClick(dlg->OKBtn(), 5, 5);
    });
    Form->Restore1()->Click();
    EXPECT_EQ(forms.Shown(), (TNames{"TDualListDlg", "TDualListDlg"}));
    EXPECT_EQ(Dialogs.Last().Text, "1 Files copied.");
    // The window shows the restored table, and the close does not write the
    // old contents over it.
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Kept in the backup"});
    EXPECT_EQ(Column(Form->tblToDay1_(), "Action"), TNames{"Kept in the backup"});
    // A later save cannot write the old memory over the restored file.
    Form->dTask_()->First();
    PutText(Form->dTask_(), "Priority", "0");
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Kept in the backup"});
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Kept in the backup"});
}

// A damaged backup and a backup that is a named pipe without a writer: each
// is refused with its reason, at once, and the live table stays as it was,
// on the disk and in the window.
TEST_F(ProgramTest, RestoreNeverReplacesTheLiveTableWithABackupThatDoesNotOpen) {
    AddTasks("Ttask.d", {{"Live task", "1", true}});
    std::filesystem::copy_file(Dir + "Ttask.d", Dir + "TTask.bak");
    std::filesystem::resize_file(Dir + "TTask.bak", std::filesystem::file_size(Dir + "TTask.bak") / 2);
    ASSERT_EQ(std::system(("mkfifo '" + Dir + "List.bak'").c_str()), 0);
    const std::string task = ReadText(Dir + "Ttask.d"), list = ReadText(Dir + "List.d");
    Start();
    TTestModalForms forms;
    auto restore = [&](const std::string& Name) {
        forms.Push([&Name](TCustomForm* Form) {
            auto* dlg = dynamic_cast<TDualListDlg*>(Form);
            ASSERT_NE(dlg, nullptr);
            const TRect r = dlg->SrcList()->ItemRect(dlg->SrcList()->Items()->IndexOf(Name));
            SendClick(dlg->SrcList(), r.Left + 5, (r.Top + r.Bottom) / 2);
            SendClick(dlg->IncludeBtn(), 5, 5);
            SendClick(dlg->OKBtn(), 5, 5);
        });
        Dialogs.Clear();
        Form->Restore1()->Click();
        ProcessEvents();
    };
    restore("TTask");
    ASSERT_EQ(Dialogs.Count(), 2);
    EXPECT_EQ(Dialogs.Messages()[0].Text,
              Dir + "TTask.bak Not copied.\nError opening table: Unexpected end of buffer.");
    EXPECT_EQ(Dialogs.Messages()[1].Text, "0 Files copied.");
    restore("List");
    ASSERT_EQ(Dialogs.Count(), 2);
    EXPECT_EQ(Dialogs.Messages()[0].Text, Dir + "List.bak Not copied.\nCannot open file \"" + Dir +
                                              "List.bak\". Is a named pipe, not a regular file.");
    EXPECT_EQ(Dialogs.Messages()[1].Text, "0 Files copied.");
    EXPECT_EQ(ReadText(Dir + "Ttask.d"), task);
    EXPECT_EQ(ReadText(Dir + "List.d"), list);
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Live task"});
    // Backup refuses the pipe's twin too: a table file that is a pipe.
    const std::string goals = ReadText(Dir + "Goals.d");
    std::filesystem::remove(Dir + "Goals.d");
    ASSERT_EQ(std::system(("mkfifo '" + Dir + "Goals.d'").c_str()), 0);
    Dialogs.Clear();
    Form->Backup1()->Click();
    ASSERT_EQ(Dialogs.Count(), 2);
    EXPECT_EQ(Dialogs.Messages()[0].Text, Dir + "Goals.d Not copied.\nCannot open file \"" + Dir +
                                              "Goals.d\". Is a named pipe, not a regular file.");
    EXPECT_EQ(Dialogs.Messages()[1].Text, "9 Files copied.");
    EXPECT_EQ(FileColumn("TTask.bak", "Action"), TNames{"Live task"});
    std::filesystem::remove(Dir + "Goals.d");
    std::ofstream(Dir + "Goals.d", std::ios::binary) << goals;
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Live task"});
}

// A sound backup of another table (the quotes copied as the task backup, and
// a protected one as the list backup) is refused with its reason before
// anything is copied and without asking for a password: the live tables stay
// on the disk and in the window, and their tabs still show them. A backup of
// the right table is restored as before.
TEST_F(ProgramTest, RestoreRefusesABackupOfAnotherTable) {
    AddTasks("Ttask.d", {{"Live task", "1", true}});
    std::filesystem::copy_file(Dir + "quotes.d", Dir + "TTask.bak");
    {
        TOstraTable quotes(nullptr);
        quotes.SetTableName(Dir + "quotes.d");
        quotes.Open();
        quotes.SetPassword("pw");
        quotes.SaveToFile(Dir + "List.bak");
        quotes.Close();
        OstraPasswords().ClearPasswords();
    }
    const std::string task = ReadText(Dir + "Ttask.d"), list = ReadText(Dir + "List.d");
    Start();
    TTestModalForms forms;
    forms.Push([](TCustomForm* Form) {
        auto* dlg = dynamic_cast<TDualListDlg*>(Form);
        ASSERT_NE(dlg, nullptr);
        for (const char* name : {"TTask", "List"}) {
            const TRect r = dlg->SrcList()->ItemRect(dlg->SrcList()->Items()->IndexOf(name));
            SendClick(dlg->SrcList(), r.Left + 5, (r.Top + r.Bottom) / 2, mbLeft, {ssCtrl});
        }
        SendClick(dlg->IncludeBtn(), 5, 5);
        SendClick(dlg->OKBtn(), 5, 5);
    });
    Dialogs.Clear();
    Form->Restore1()->Click();
    ProcessEvents();
    EXPECT_EQ(forms.Shown(), TNames{"TDualListDlg"});
    ASSERT_EQ(Dialogs.Count(), 3);
    auto refused = [&](const std::string& Name) {
        return Dir + Name + ".bak Not copied.\nThe backup does not hold table " + Name +
               ": field 1 is Quote (String 255) where the table has Key (AutoInc).";
    };
    EXPECT_EQ(Dialogs.Messages()[0].Text, refused("TTask"));
    EXPECT_EQ(Dialogs.Messages()[1].Text, refused("List"));
    EXPECT_EQ(Dialogs.Messages()[2].Text, "0 Files copied.");
    EXPECT_EQ(ReadText(Dir + "Ttask.d"), task);
    EXPECT_EQ(ReadText(Dir + "List.d"), list);
    Dialogs.Clear();
    ShowTab(Form->TabSheet4());
    ShowTab(Form->TabSheet1());
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Live task"});
    EXPECT_TRUE(Form->dList_()->Active());

    // The backup of the task table itself is restored.
    Form->Backup1()->Click();
    forms.Push([](TCustomForm* Form) {
        auto* dlg = dynamic_cast<TDualListDlg*>(Form);
        ASSERT_NE(dlg, nullptr);
        const TRect r = dlg->SrcList()->ItemRect(dlg->SrcList()->Items()->IndexOf("TTask"));
        SendClick(dlg->SrcList(), r.Left + 5, (r.Top + r.Bottom) / 2);
        SendClick(dlg->IncludeBtn(), 5, 5);
        SendClick(dlg->OKBtn(), 5, 5);
    });
    Dialogs.Clear();
    Form->Restore1()->Click();
    ProcessEvents();
    EXPECT_EQ(Dialogs.Last().Text, "1 Files copied.");
    EXPECT_EQ(ReadText(Dir + "Ttask.d"), task);
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Live task"});
    EXPECT_TRUE(CloseProgram());
}

// A table file that is a named pipe is named at start with the reason.
TEST_F(ProgramTest, ATableFileThatIsAPipeIsNamedWithItsReason) {
    std::filesystem::remove(Dir + "List.d");
    ASSERT_EQ(std::system(("mkfifo '" + Dir + "List.d'").c_str()), 0);
    Start();
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().DlgType, mtError);
    EXPECT_NE(Dialogs.Last().Text.find("Error opening file " + Dir + "List.d"), std::string::npos)
        << Dialogs.Last().Text;
    EXPECT_NE(Dialogs.Last().Text.find("Is a named pipe, not a regular file"), std::string::npos)
        << Dialogs.Last().Text;
    EXPECT_FALSE(Form->dList_()->Active());
    std::filesystem::remove(Dir + "List.d");
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTest, OneDoubleClickOnAQuoteOpensTheEditorOnce) {
    Start();
    ShowTab(Form->TabSheet5());
    TTestModalForms forms;
    forms.PushResult(mrCancel);
    forms.PushResult(mrCancel);
    DoubleClickCell(Form->OstraDBGrid4(), 2, 2);
    ProcessEvents();
    EXPECT_EQ(forms.Shown(), TNames{"TfrmDEQuote"});
    EXPECT_EQ(forms.Pending(), 1);
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTest, ADamagedTableIsNamedAndTheRestStartsAndSettingsSurvive) {
    enum TDamage { Cut, Garbage, Missing };
    struct TCase {
        const char* File;
        TDamage Damage;
        const char* Reason;
    };
    for (const TCase& c : {TCase{"Ttask.d", Cut, "Unexpected end of buffer"}, TCase{"Ttask2.d", Garbage, ""},
                           TCase{"catg.d", Cut, "Unexpected end of buffer"},
                           TCase{"quotes.d", Missing, "Error opening file"}}) {
        SCOPED_TRACE(c.File);
        {
            TIniFile ini(Dir + "taskmoor.ini");
            ini.WriteInteger("QUOTE", "Selected", 3);
        }
        const std::string path = Dir + c.File;
        std::filesystem::copy_file(path, Dir + "saved.copy",
                                   std::filesystem::copy_options::overwrite_existing);
        if (c.Damage == Cut)
            std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
        else if (c.Damage == Garbage)
            std::ofstream(path, std::ios::binary | std::ios::trunc) << "not a table at all";
        else
            std::filesystem::remove(path);
        const std::string damaged = ReadText(path);
        Dialogs.Clear();
        Start();
        // One message, naming the file.
        ASSERT_EQ(Dialogs.Count(), 1);
        EXPECT_EQ(Dialogs.Last().DlgType, mtError);
        // the box of every other error: the program's title, a closing period
        EXPECT_EQ(Dialogs.Last().Caption, Application->Title());
        EXPECT_TRUE(Dialogs.Last().Text.back() == '.' || Dialogs.Last().Text.back() == '!')
            << Dialogs.Last().Text;
        EXPECT_NE(Dialogs.Last().Text.find(path), std::string::npos) << Dialogs.Last().Text;
        EXPECT_NE(Dialogs.Last().Text.find(c.Reason), std::string::npos) << Dialogs.Last().Text;
        // Start-up went on with what could be opened.
        EXPECT_EQ(Form->QuoteSelected(), 3);
        for (TOstraTable* t : {Form->dTask_(), Form->dtask2_(), Form->dList_(), Form->dGoals_(),
                               Form->dQuotes_(), Form->dCateg(), Form->dStatus1()})
            EXPECT_EQ(t->Active(), !SameText(t->TableName(), c.File)) << t->Name();
        EXPECT_EQ(Form->PageControl1()->ActivePage(), Form->TabSheet7());
        EXPECT_EQ(Form->DBNavigator1()->DataSource(), Form->dstday());
        // The close neither overwrites the settings nor the damaged file.
        EXPECT_TRUE(CloseProgram());
        TIniFile ini(Dir + "taskmoor.ini");
        EXPECT_EQ(ini.ReadInteger("QUOTE", "Selected", -1), 3);
        EXPECT_EQ(ReadText(path), damaged);
        Stop();
        std::filesystem::copy_file(Dir + "saved.copy", path,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

TEST_F(ProgramTest, SettingsThatCannotBeWrittenNeverBlockTheSaveOrTheClose) {
    // The settings file beside the program cannot be written (a folder
    // stands in its place): the tables are saved and the window closes.
    std::filesystem::create_directories(Dir + "taskmoor.ini");
    Start();
    ShowTab(Form->TabSheet1());
    Click(Form->spBtnAdd());
    Form->dTask_()->FieldByName("Action")->SetAsString("Saved on close");
    Form->dTask_()->Post();
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Saved on close"});
    Stop();

    // A program folder that cannot be written: the settings go to the
    // user's configuration folder and come back from there.
    std::filesystem::remove(Dir + "taskmoor.ini");
    { std::ofstream(Dir + "program") << "not a folder"; }
    SetApplicationExeName(Dir + "program/taskmoor");
    Dialogs.Clear();
    Start();
    ShowTab(Form->TabSheet5());
    Form->dQuotes_()->First();
    Form->dQuotes_()->Next();
    Form->dQuotes_()->Next();
    const int key = Form->dQuotes_()->FieldByName("Key")->AsInteger();
    Click(Form->SpeedButton4());
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(Dialogs.Count(), 1);  // the close question only
    TIniFile ini(Dir + "config/taskmoor.ini");
    EXPECT_EQ(ini.ReadInteger("QUOTE", "Selected", -1), key);
    Restart();
    EXPECT_EQ(Form->QuoteSelected(), key);
    EXPECT_TRUE(CloseProgram());
}

// A settings file at the size its reader takes at most: the program starts
// from it; the close, which would make it larger, says why it keeps it, and
// the next start reads it as before.
TEST_F(ProgramTest, ASettingsFileAtItsLimitIsNeverWrittenPastIt) {
    const std::string settings = Dir + "taskmoor.ini";
    {
        std::ofstream out(settings, std::ios::binary);
        out << ';' << std::string(static_cast<size_t>(MaxIniFileSize) - 2, 'x') << '\n';
    }
    const std::string before = ReadText(settings);
    ASSERT_EQ(before.size(), static_cast<size_t>(MaxIniFileSize));
    Dialogs.Clear();
    Start();
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_TRUE(CloseProgram());
    ASSERT_EQ(Dialogs.Count(), 2);  // the close question, then why the settings were not written
    EXPECT_EQ(Dialogs.Last().DlgType, mtError);
    EXPECT_NE(Dialogs.Last().Text.find("The file would be larger than 16 MB"), std::string::npos)
        << Dialogs.Last().Text;
    EXPECT_TRUE(ReadText(settings) == before);
    Dialogs.Clear();
    Restart();
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_TRUE(CloseProgram());
    EXPECT_TRUE(ReadText(settings) == before);
}

TEST_F(ProgramTest, PrintingToAFileAsksForItsName) {
    AddTasks("Ttask.d", {{"Print me", "1", true}, {"Refill the office filing cabinet", "2", true}});
    TTestPrinters printers;
    TTestStdDialogs std;
    Start();
    Printer()->SetPrinterIndex(Printer()->Printers()->IndexOf(PdfPrinterName));
    ShowTab(Form->TabSheet1());
    TTestModalForms forms;
    const auto print = [](TCustomForm* Form) {
        auto* dialog = dynamic_cast<TfrmPrint*>(Form);
        ASSERT_NE(dialog, nullptr);
        SendClick(dialog->bbnPrint, 5, 5);
        if (dialog->ModalResult() == mrNone) dialog->SetModalResult(mrCancel);
    };
    // Cancel in the save dialog prints nothing.
    std.AnswerFiles(false);
    forms.Push(print);
    Click(Form->spbtnPrint());
    ASSERT_EQ(std.FileRequests().size(), 1u);
    const TFileDialogRequest& asked = std.FileRequests()[0];
    EXPECT_TRUE(asked.Save);
    EXPECT_TRUE(asked.OverwritePrompt);
    EXPECT_EQ(IncludeTrailingPathDelimiter(asked.InitialDir) + asked.FileName,
              Dir + "Action Rivizoz List.pdf");
    EXPECT_FALSE(FileExists(Dir + "Action Rivizoz List.pdf"));

    // A chosen name is where the document goes.
    std.AnswerFiles(true, {Dir + "week.pdf"});
    forms.Push(print);
    Click(Form->spbtnPrint());
    EXPECT_TRUE(FileExists(Dir + "week.pdf"));
    EXPECT_FALSE(FileExists(Dir + "Action Rivizoz List.pdf"));
    // The document's text is found as typed: no ligature stands for "fi".
    ASSERT_EQ(std::system(("pdftotext '" + Dir + "week.pdf' '" + Dir + "week.txt'").c_str()), 0);
    const std::string text = ReadText(Dir + "week.txt");
    EXPECT_NE(text.find("Refill the office filing cabinet"), std::string::npos) << text;
    EXPECT_EQ(text.find("\xEF\xAC\x81"), std::string::npos) << text;
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTest, ATaskTypedInIsThereAfterARestart) {
    Start();
    ShowTab(Form->TabSheet1());
    Click(Form->spBtnAdd());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    ClickCell(grid, 4, grid->Row());
    for (char c : std::string("Call the plumber")) SendText(FocusedControl(), std::string(1, c));
    SendKeyToFocus(VK_TAB);
    Click(Form->spbtnSave());
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Call the plumber"});
    EXPECT_EQ(FileColumn("Ttask.d", "Category"), TNames{""});
    Restart();
    ShowTab(Form->TabSheet1());
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Call the plumber"});
    EXPECT_EQ(Column(Form->dTask_(), "Status"), TNames{"Open"});
    EXPECT_TRUE(CloseProgram());
}

}  // namespace
