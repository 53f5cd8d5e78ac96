// The main window's life cycle, tab changes and task commands.
#include "app/main_form.h"

#include <memory>

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
#include "platform/core/files.h"
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

std::string TfrmToDo::SettingsFileName() {
    // The platform turns ".ini." into ".ini": a file name ends in no dot.
    std::string name = ChangeFileExt(ApplicationExeName(), ".ini.");
    while (!name.empty() && name.back() == '.') name.pop_back();
    return name;
}

void TfrmToDo::OpenAndBind(TOstraTable* Table, TDataSource* Source) {
    Table->Open();
    Source->SetDataSet(Table);
}

// ---- Life cycle ------------------------------------------------------------------------------

void TfrmToDo::FormCreate(TObject*) {
    SetClientHeight(634);
    FOstraDb->SetDatabasePath(GetCurrentDir());
    FAltRowColour = 0xF8FFC6;
    FPageControl1->SetActivePage(FTabSheet1);
    PageControl1Change(this);
    FdCateg->Open();
    FdCateg2->Open();
    FdArchive_->Open();
    FdList_->Open();
    OpenAndBind(FdStatus1, FdsStatus1);
    OpenAndBind(FdGoals_, FdsGoals);
    OpenAndBind(FdQuotes_, FdsQuotes);
    OpenAndBind(FdSelQuotes_, FdsSelQ);
    FPageControl1->SetActivePage(FTabSheet7);
    PageControl1Change(this);
    Randomize();
    {
        TIniFile ini(SettingsFileName());
        FQuoteSelected = ini.ReadInteger(QuoteSection, QuoteKey, DefaultQuote);
    }
    LocateQuoteOfTheDay(FdSelQuotes_, FQuoteSelected);
    FDBText1->Repaint();
}

void TfrmToDo::FormClose(TObject*, TCloseAction& Action) {
    if (MessageDlg(" Close application ?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes) {
        // The window stays when a save fails: nothing posted is dropped.
        Action = caNone;
        {
            TIniFile ini(SettingsFileName());
            ini.WriteInteger(QuoteSection, QuoteKey, FQuoteSelected);
        }
        SaveThrough(FOstraDb, FDataTask);
        FdList_->Save();
        SaveThrough(FOstraDb, FdsCateg);
        SaveThrough(FOstraDb, FdsCateg2);
        // Every other table with changes too (tasks, archive, quotes, projects).
        SaveAllPending();
        Action = caFree;
    } else {
        FdList_->CancelChanges();
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
    if (page == FTabSheet1) {
        ShowTaskTable(FdTask_);
        FDataTask->SetDataSet(FdTask_);
        OpenAndBind(FdCateg, FDataCatg);
        OpenAndBind(FdStatus1, FdsStatus1);
        FDBNavigator1->SetDataSource(FDataTask);
    } else if (page == FTabSheet2) {
        ShowTaskTable(Fdtask2_);
        FDataTask->SetDataSet(Fdtask2_);
        OpenAndBind(FdCateg2, FDataCatg);
        OpenAndBind(FdStatus1, FdsStatus1);
        FDBNavigator1->SetDataSource(FdsTask2);
    } else if (page == FTabSheet3) {
        if (!FdArchive_->Active()) OpenAndBind(FdArchive_, FdsArchive);
        FDBNavigator1->SetDataSource(FdsArchive);
        FsbtnArchive->SetEnabled(false);
    } else if (page == FTabSheet4) {
        if (!FdList_->Active()) OpenAndBind(FdList_, FdsList);
        FDBNavigator1->SetDataSource(FdsList);
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
    } else if (page == FTabSheet5) {
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
        OpenAndBind(FdQuotes_, FdsQuotes);
        FDBNavigator1->SetDataSource(FdsQuotes);
    } else if (page == FTabSheet6) {
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
        OpenAndBind(FdGoals_, FdsGoals);
        OpenAndBind(FdGoalGrp_, FdsGoalGrp);
        FDBNavigator1->SetDataSource(FdsGoals);
    } else if (page == FTabSheet7) {
        // Both views show the flagged records of their file's one store, so
        // nothing needs saving or reading again here.
        ShowTodayViews();
        FOstraDBGrid7->Repaint();
        PickRandomQuote();
        FDBText2->Repaint();
        FDBNavigator1->SetDataSource(Fdstday);
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
    FDBNavigator1->BtnClick(nbInsert);
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
