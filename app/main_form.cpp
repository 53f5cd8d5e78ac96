// The main window's life cycle, tab changes and task commands.
#include "app/main_form.h"
#include "app/main_form_tables.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/calendar_dlg.h"
#include "app/category_editors.h"
#include "app/quotes.h"
#include "app/report/todo_lists.h"
#include "app/str_utils.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/inifiles.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/menus.h"

TfrmToDo* frmToDo = nullptr;

namespace {

// The settings the settings file keeps.
constexpr const char* QuoteSection = "QUOTE";
constexpr const char* QuoteKey = "Selected";
constexpr int DefaultQuote = 10;
constexpr THelpContext MainHelpContext = 30;

// Saves the dataset of Source through the database (a pending edit is
// posted first); nothing without an engine dataset.
void SaveThrough(TOstraDatabase* Db, TDataSource* Source) {
    if (auto* ds = dynamic_cast<TOstraDataset*>(Source ? Source->DataSet() : nullptr)) Db->SaveDatasets({ds});
}

// True when FileName can be written: an existing file opens for writing,
// or a new one can be made in its folder (tried with a file of its own).
bool CanWriteFile(const std::string& FileName) {
    if (DirectoryExists(FileName)) return false;
    if (FileExists(FileName)) {
        FILE* f = std::fopen(FileName.c_str(), "r+b");
        if (f) std::fclose(f);
        return f != nullptr;
    }
    const std::string folder = ExtractFilePath(FileName);
    if (folder.empty() || !DirectoryExists(folder)) return false;
    const std::string probe = folder + ".taskmoor-" + CreateGUIDString().substr(1, 8);
    FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    DeleteFile(probe);
    return true;
}

// Runs every step; the first failure is raised once all have run.
void RunEach(std::initializer_list<std::function<void()>> Steps) {
    std::exception_ptr first;
    for (const auto& step : Steps) {
        try {
            step();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

// Shows a form of class T modally and frees it.
template <class T>
void ShowModalForm(TComponent* Owner) {
    std::unique_ptr<T> form(CreateForm<T>(Owner));
    form->ShowModal();
}

}  // namespace

TfrmToDo::TfrmToDo(TComponent* AOwner) : TForm(AOwner) {
    SetName("frmToDo");
    SetCaption("Kelv Taskmoor Free version");
    SetPosition(poScreenCenter);
    SetClientWidth(884);
    SetClientHeight(634);
    // Bars and panels align once, in the order their places give.
    DisableAlign();
    BuildDataModel();
    BuildMenu();
    BuildToolBar();
    BuildFrame();
    BuildTabs();
    BuildGrids();
    BuildProjectEdits();
    BindSortAndColour();
    BindQuotes();
    FspBtnMoveCmpl->SetOnClick(TNotifyEvent(this, &TfrmToDo::spBtnMoveCmplClick));
    FsbtnArchive->SetOnClick(TNotifyEvent(this, &TfrmToDo::sbtnArchiveClick));
    FBackup1->SetOnClick(TNotifyEvent(this, &TfrmToDo::Backup1Click));
    FRestore1->SetOnClick(TNotifyEvent(this, &TfrmToDo::Restore1Click));
    EnableAlign();
    FPageControl1->SetActivePage(FTabSheet7);
    SetOnCreate(TNotifyEvent(this, &TfrmToDo::FormCreate));
    SetOnClose(TCloseEvent(this, &TfrmToDo::FormClose));
    frmToDo = this;
}

TfrmToDo::~TfrmToDo() {
    BeforeDestruction();
    if (frmToDo == this) frmToDo = nullptr;
}

std::string TfrmToDo::BesideProgramSettings() {
    // The platform turns ".ini." into ".ini": a file name ends in no dot.
    std::string name = ChangeFileExt(ApplicationExeName(), ".ini.");
    while (!name.empty() && name.back() == '.') name.pop_back();
    return name;
}

std::string TfrmToDo::SettingsFileName() {
    const std::string beside = BesideProgramSettings();
    if (CanWriteFile(beside)) return beside;
    return IncludeTrailingPathDelimiter(UserConfigDir()) + ExtractFileName(beside);
}

void TfrmToDo::OpenAndBind(TOstraTable* Table, TDataSource* Source) {
    OpenToDoTable(Table);
    Source->SetDataSet(Table);
}

// ---- Life cycle ------------------------------------------------------------------------------

void TfrmToDo::FormCreate(TObject*) {
    SetClientHeight(634);
    FOstraDb->SetDatabasePath(GetCurrentDir());
    FAltRowColour = 0xF8FFC6;
    // A table that cannot be opened is reported once and start-up goes on
    // with the others.
    std::vector<std::string> failures;
    const auto step = [&failures](const std::function<void()>& Work) {
        try {
            Work();
        } catch (const Exception& e) {
            if (std::find(failures.begin(), failures.end(), e.Message()) == failures.end())
                failures.push_back(e.Message());
        }
    };
    FPageControl1->SetActivePage(FTabSheet1);
    step([this] { PageControl1Change(this); });
    for (TOstraTable* table : {FdCateg, FdCateg2, FdArchive_, FdList_})
        step([table] { OpenToDoTable(table); });
    step([this] { OpenAndBind(FdStatus1, FdsStatus1); });
    step([this] { OpenAndBind(FdGoals_, FdsGoals); });
    step([this] { OpenAndBind(FdQuotes_, FdsQuotes); });
    step([this] { OpenAndBind(FdSelQuotes_, FdsSelQ); });
    FPageControl1->SetActivePage(FTabSheet7);
    step([this] { PageControl1Change(this); });
    Randomize();
    ReadSettings();
    if (FdSelQuotes_->Active()) LocateQuoteOfTheDay(FdSelQuotes_, FQuoteSelected);
    FDBText1->Repaint();
    for (const std::string& text : failures) MessageDlg(text, mtError, TMsgDlgButtons{mbOK}, 0);
}

void TfrmToDo::ReadSettings() {
    // The copy in the user's folder once there is one, else the one beside the program.
    std::string file = SettingsFileName();
    if (!FileExists(file)) file = BesideProgramSettings();
    TIniFile ini(file);
    FQuoteSelected = ini.ReadInteger(QuoteSection, QuoteKey, DefaultQuote);
    FSettingsRead = true;
}

void TfrmToDo::WriteSettings() {
    // Settings that were never read are not written over the saved ones.
    if (!FSettingsRead) return;
    const std::string file = SettingsFileName();
    ForceDirectories(ExtractFileDir(file));
    TIniFile ini(file);
    ini.WriteInteger(QuoteSection, QuoteKey, FQuoteSelected);
}

void TfrmToDo::FormClose(TObject*, TCloseAction& Action) {
    if (MessageDlg(" Close application ?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes) {
        // The window stays when a table save fails: nothing posted is dropped.
        Action = caNone;
        // The settings are not worth a table: a failed write is reported
        // once the tables are saved, and the window closes.
        std::string settingsError;
        try {
            WriteSettings();
        } catch (const Exception& e) {
            settingsError = e.Message();
        }
        SaveThrough(FOstraDb, FDataTask);
        if (FdList_->Active()) FdList_->Save();
        SaveThrough(FOstraDb, FdsCateg);
        SaveThrough(FOstraDb, FdsCateg2);
        // Every other table with changes too (tasks, archive, quotes, projects).
        SaveAllPending();
        if (!settingsError.empty()) MessageDlg(settingsError, mtError, TMsgDlgButtons{mbOK}, 0);
        Action = caFree;
    } else {
        if (FdList_->Active()) FdList_->CancelChanges();
        Action = caNone;
    }
}

void TfrmToDo::PickRandomQuote() {
    // A quote table that failed to open has nothing to show.
    if (FdQuotes_->Active()) LocateRandomQuote(FdQuotes_);
}

void TfrmToDo::PageControl1Change(TObject*) {
    FspBtnMoveCmpl->SetEnabled(true);
    FsbtnArchive->SetEnabled(true);
    FStatusBar1->SetSimpleText("");
    TTabSheet* page = FPageControl1->ActivePage();
    // The task-list report covers the Today and the two group lists only.
    FspbtnPrint->SetEnabled(page == FTabSheet7 || page == FTabSheet1 || page == FTabSheet2);
    // A table that cannot be opened does not keep the tab's other parts from
    // their work; its error comes afterwards.
    if (page == FTabSheet1) {
        RunEach({[this] { ShowTaskTable(FdTask_); }, [this] { FDataTask->SetDataSet(FdTask_); },
                 [this] { OpenAndBind(FdCateg, FDataCatg); }, [this] { OpenAndBind(FdStatus1, FdsStatus1); },
                 [this] { FDBNavigator1->SetDataSource(FDataTask); }});
    } else if (page == FTabSheet2) {
        RunEach({[this] { ShowTaskTable(Fdtask2_); }, [this] { FDataTask->SetDataSet(Fdtask2_); },
                 [this] { OpenAndBind(FdCateg2, FDataCatg); }, [this] { OpenAndBind(FdStatus1, FdsStatus1); },
                 [this] { FDBNavigator1->SetDataSource(FdsTask2); }});
    } else if (page == FTabSheet3) {
        FDBNavigator1->SetDataSource(FdsArchive);
        FsbtnArchive->SetEnabled(false);
        if (!FdArchive_->Active()) OpenAndBind(FdArchive_, FdsArchive);
    } else if (page == FTabSheet4) {
        FDBNavigator1->SetDataSource(FdsList);
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
        if (!FdList_->Active()) OpenAndBind(FdList_, FdsList);
    } else if (page == FTabSheet5) {
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
        FDBNavigator1->SetDataSource(FdsQuotes);
        OpenAndBind(FdQuotes_, FdsQuotes);
    } else if (page == FTabSheet6) {
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
        FDBNavigator1->SetDataSource(FdsGoals);
        RunEach(
            {[this] { OpenAndBind(FdGoals_, FdsGoals); }, [this] { OpenAndBind(FdGoalGrp_, FdsGoalGrp); }});
    } else if (page == FTabSheet7) {
        // Both views show the flagged records of their file's one store, so
        // nothing needs saving or reading again here.
        FDBNavigator1->SetDataSource(Fdstday);
        RunEach({[this] { ShowTodayViews(); }, [this] { FOstraDBGrid7->Repaint(); },
                 [this] { PickRandomQuote(); }, [this] { FDBText2->Repaint(); }});
    }
}

void TfrmToDo::TabSheet7Exit(TObject*) {
    // The second file is written with its changes and its table shows them.
    // It stays open: its Today view shares its store.
    ShowTaskTable(Fdtask2_);
    SaveTaskFile(Fdtask2_, FtblToDay2_);
    FOstraDBGrid2->Repaint();
}

// ---- Task commands ---------------------------------------------------------------------------

void TfrmToDo::spBtnAddClick(TObject*) {
    FDBNavigator1->BtnClick(nbLast);
    // Appended: an insert would put the new row above the last one.
    TDataSource* source = FDBNavigator1->DataSource();
    if (TDataSet* table = source ? source->DataSet() : nullptr; table && table->Active()) table->Append();
}

void TfrmToDo::spBtnDeleteClick(TObject*) { FDBNavigator1->BtnClick(nbDelete); }

void TfrmToDo::spbtnSaveClick(TObject*) { SaveChgs(); }

void TfrmToDo::SaveChgs() {
    FdList_->Save();
    // A task file and its Today view share one store: one write each.
    SaveTaskFile(FdTask_, FtblToDay1_);
    SaveTaskFile(Fdtask2_, FtblToDay2_);
    FdList_->Save();
    for (TDataSource* source : {FdsCateg, FdsCateg2, FdsQuotes, FdsArchive}) SaveThrough(FOstraDb, source);
    FdGoals_->Save();
}

void TfrmToDo::DBNavigator1Click(TObject*, TNavigateBtn Button) {
    if (Button == nbPost) SaveThrough(FOstraDb, FDataTask);
}

void TfrmToDo::SpeedButton1Click(TObject*) { Close(); }

void TfrmToDo::Exit1Click(TObject*) { Close(); }

void TfrmToDo::spbtnPrintClick(TObject*) {
    const std::string tab = FPageControl1->ActivePage()->Caption();
    if (!ToDoListSource(tab, {FdTask_, Fdtask2_, FtblToDay1_})) {
        MessageDlg("Only the Today, Actions Group 1 and Actions Group 2 lists can be printed.", mtInformation,
                   TMsgDlgButtons{mbOK}, 0);
        return;
    }
    PrintToDoList(tab, {FdTask_, Fdtask2_, FtblToDay1_});
}

void TfrmToDo::SpeedButton13Click(TObject*) {
    Application->SetHelpFile("kelvtodo.chm");
    Application->HelpContext(MainHelpContext);
}

void TfrmToDo::OstraDBGrid1EditButtonClick(TObject*, TOstraColumn*) {
    MessageDlg(" Edit Notes?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0);
}

void TfrmToDo::OstraDBGrid8Enter(TObject*) { FDBNavigator1->SetDataSource(FdsTday2); }

void TfrmToDo::OstraDBGrid8Exit(TObject*) { FDBNavigator1->SetDataSource(Fdstday); }

// ---- Dialogs ---------------------------------------------------------------------------------

void TfrmToDo::Categories1Click(TObject*) { ShowModalForm<TfrmCateg1>(Application); }

void TfrmToDo::Categories21Click(TObject*) { ShowModalForm<TfrmCateg2>(Application); }

void TfrmToDo::Calendar1Click(TObject*) { ShowModalForm<TOKCalendarDlg>(Application); }

void TfrmToDo::About1Click(TObject*) { ShowModalForm<TAboutBox1>(Application); }

// ---- Table events ----------------------------------------------------------------------------

namespace {
void NewTask(TDataSet* DataSet, bool Flagged) {
    DataSet->FieldByName("Status")->SetText("Open");
    if (Flagged) DataSet->FieldByName("Flag")->SetAsBoolean(true);
    DataSet->FieldByName("Priority")->SetAsString("2");
    DataSet->FieldByName("Date")->SetAsDateTime(Date());
}
}  // namespace

void TfrmToDo::dTask_NewRecord(TDataSet* DataSet) { NewTask(DataSet, false); }

void TfrmToDo::dtask2_NewRecord(TDataSet* DataSet) { NewTask(DataSet, false); }

void TfrmToDo::tblToDay1_NewRecord(TDataSet* DataSet) { NewTask(DataSet, true); }

void TfrmToDo::tblToDay2_NewRecord(TDataSet* DataSet) { NewTask(DataSet, true); }

void TfrmToDo::dList_NewRecord(TDataSet* DataSet) { DataSet->FieldByName("Date")->SetAsDateTime(Date()); }

void TfrmToDo::dSelQuotes_CalcFields(TDataSet* DataSet) { CalcQuoteAndAuthor(DataSet); }
