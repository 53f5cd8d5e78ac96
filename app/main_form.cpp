// The main window's handlers: its life cycle, tab changes, task commands,
// dialogs and table events, sorting and colours, moving and archiving,
// backup and restore, and quotes. The work behind them lives in the
// collaborators: TToDoTables (tables and views), TTitleSort and TRowColours
// (sorting and colours), TTaskMover (moving and archiving), backup.h,
// quotes.h and TToDoSettings (the settings file).
#include "app/main_form.h"
#include "app/main_form_parts.h"
#include "suite/data/qzfilterdialog.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/backup.h"
#include "app/calendar_dlg.h"
#include "app/category_editors.h"
#include "app/quote_box.h"
#include "app/quote_editor.h"
#include "app/quotes.h"
#include "app/report/todo_lists.h"
#include "app/restore_dlg.h"
#include "app/row_colours.h"
#include "app/task_mover.h"
#include "app/title_sort.h"
#include "app/todo_settings.h"
#include "app/todo_tables.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/menus.h"
#include "platform/ui/stddialogs.h"

TfrmToDo* frmToDo = nullptr;

namespace {

constexpr THelpContext MainHelpContext = 30;

const char* const kCloseUnsaved =
    "Not everything could be saved. Close anyway and lose the changes that were not saved?";

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

// The same for a form on the quote table.
template <class T>
void ShowOnQuotes(TDataSource* Quotes) {
    std::unique_ptr<T> form(CreateForm<T>(Application, Quotes));
    form->ShowModal();
}

}  // namespace

TfrmToDo::TfrmToDo(TComponent* AOwner) : TMinSizeForm(AOwner) {
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
    FTables = std::make_unique<TToDoTables>(
        TToDoTables::TTaskFile{FdTask_, FtblToDay1_}, TToDoTables::TTaskFile{Fdtask2_, FtblToDay2_},
        std::vector<TOstraTable*>{FdList_, FdArchive_, FdQuotes_, FdSelQuotes_, FdGoals_, FdGoalGrp_, FdCateg,
                                  FdCateg2, FdStatus1, FvtblAppids_});
    FMover = std::make_unique<TTaskMover>(*FTables, FdList_, FdArchive_);
    FColours = std::make_unique<TRowColours>();
    FSettings = std::make_unique<TToDoSettings>();
    BindHandlers();
    EnableAlign();
    FPageControl1->SetActivePage(FTabSheet7);
    KeepRoomForPanels();
    SetOnCreate(TNotifyEvent(this, &TfrmToDo::FormCreate));
    SetOnClose(TCloseEvent(this, &TfrmToDo::FormClose));
    frmToDo = this;
}

TfrmToDo::~TfrmToDo() {
    BeforeDestruction();
    if (frmToDo == this) frmToDo = nullptr;
}

std::string TfrmToDo::SettingsFileName() { return TToDoSettings::FileName(); }

int TfrmToDo::QuoteSelected() const { return FSettings->QuoteSelected; }

TColor TfrmToDo::AltRowColour() const { return FColours->AltRow(); }

void TfrmToDo::ResetTitleSort() { TTitleSort::Reset(); }

void TfrmToDo::BindHandlers() {
    using TTitle = void (TfrmToDo::*)(TObject*, TOstraColumn*);
    using TCell = void (TfrmToDo::*)(TObject*, TOstraColumn*, TFont*, TColor&, TGridDrawState);
    const TTitle titles[] = {&TfrmToDo::OstraDBGrid1TitleClick, &TfrmToDo::OstraDBGrid2TitleClick,
                             &TfrmToDo::OstraDBGrid3TitleClick, &TfrmToDo::OstraDBGrid4TitleClick,
                             &TfrmToDo::OstraDBGrid5TitleClick, &TfrmToDo::OstraDBGrid6TitleClick,
                             &TfrmToDo::OstraDBGrid7TitleClick, &TfrmToDo::OstraDBGrid8TitleClick};
    const TCell cells[] = {&TfrmToDo::OstraDBGrid1DrawCellAttr, &TfrmToDo::OstraDBGrid2DrawCellAttr,
                           &TfrmToDo::OstraDBGrid3DrawCellAttr, &TfrmToDo::OstraDBGrid4DrawCellAttr,
                           &TfrmToDo::OstraDBGrid5DrawCellAttr, &TfrmToDo::OstraDBGrid6DrawCellAttr,
                           &TfrmToDo::OstraDBGrid7DrawCellAttr, &TfrmToDo::OstraDBGrid8DrawCellAttr};
    for (int n = 1; n <= 8; ++n) {
        Grid(n)->SetOnTitleClick(TOstraDBGridClickEvent(this, titles[n - 1]));
        Grid(n)->SetOnDrawCellAttr(TDrawCellAttrEvent(this, cells[n - 1]));
    }
    FOption1->SetOnClick(TNotifyEvent(this, &TfrmToDo::Option1Click));
    FdQuotes_->SetOnNewRecord(TDataSetNotifyEvent(this, &TfrmToDo::dQuotes_NewRecord));
    FspbtnRandQuote->SetOnClick(TNotifyEvent(this, &TfrmToDo::spbtnRandQuoteClick));
    FSpeedButton4->SetOnClick(TNotifyEvent(this, &TfrmToDo::SpeedButton4Click));
    FOstraDBGrid4->SetOnDblClick(TNotifyEvent(this, &TfrmToDo::OstraDBGrid4DblClick));
    FspBtnMoveCmpl->SetOnClick(TNotifyEvent(this, &TfrmToDo::spBtnMoveCmplClick));
    FsbtnArchive->SetOnClick(TNotifyEvent(this, &TfrmToDo::sbtnArchiveClick));
    FBackup1->SetOnClick(TNotifyEvent(this, &TfrmToDo::Backup1Click));
    FRestore1->SetOnClick(TNotifyEvent(this, &TfrmToDo::Restore1Click));
}

// ---- Life cycle ------------------------------------------------------------------------------

void TfrmToDo::FormCreate(TObject*) {
    SetClientHeight(634);
    FOstraDb->SetDatabasePath(GetCurrentDir());
    FColours->Reset();
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
    // Only Today is on screen after the start: the group tables' order waits for their tabs.
    FTables->PutOffOrders(true);
    FPageControl1->SetActivePage(FTabSheet1);
    try {
        step([this] { PageControl1Change(this); });
    } catch (...) {
        FTables->PutOffOrders(false);
        throw;
    }
    FTables->PutOffOrders(false);
    for (TOstraTable* table : {FdCateg, FdCateg2, FdArchive_, FdList_})
        step([table] { TToDoTables::Open(table); });
    step([this] { TToDoTables::OpenAndBind(FdStatus1, FdsStatus1); });
    step([this] { TToDoTables::OpenAndBind(FdGoals_, FdsGoals); });
    step([this] { TToDoTables::OpenAndBind(FdQuotes_, FdsQuotes); });
    // The quote line shares the quote table's store: nothing to show without it.
    step([this] {
        if (FdQuotes_->Active()) TToDoTables::OpenAndBind(FdSelQuotes_, FdsSelQ);
    });
    FPageControl1->SetActivePage(FTabSheet7);
    step([this] { PageControl1Change(this); });
    Randomize();
    step([this] { FSettings->Read(); });
    if (FdSelQuotes_->Active()) LocateQuoteOfTheDay(FdSelQuotes_, FSettings->QuoteSelected);
    FDBText1->Repaint();
    // What the loads and sorts freed is not kept for more of them.
    ReleaseFreeMemory();
    // in the box every other error comes in
    for (const std::string& text : failures) Application->ShowException(Exception(text));
}

void TfrmToDo::FormClose(TObject*, TCloseAction& Action) {
    // Only the Undo button's own close undoes; every other close leaves the flag off.
    const bool undoing = FUndoing;
    FUndoing = false;
    if (MessageDlg(" Close application ?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes) {
        // The window stays when a table save fails: nothing posted is dropped.
        Action = caNone;
        // The settings are not worth a table: a failed write is reported
        // once the tables are saved, and the window closes. Settings that
        // were never read are not written over the saved ones.
        std::string settingsError;
        try {
            FSettings->Write();
        } catch (const Exception& e) {
            settingsError = e.Message();
        }
        try {
            // The lists tasks moved out of the current one went to first.
            FTables->SaveMovesOutOf(dynamic_cast<TOstraTable*>(FDataTask->DataSet()));
            SaveThrough(FOstraDb, FDataTask);
            if (FdList_->Active()) {
                FdList_->Save();
                FTables->Written(FdList_);
            }
            SaveThrough(FOstraDb, FdsCateg);
            SaveThrough(FOstraDb, FdsCateg2);
            // Every other table with changes too (tasks, archive, quotes, projects).
            FTables->SaveAllPending();
        } catch (const Exception& e) {
            // Else a folder that cannot be written would keep the program
            // open for good: closing without what failed is asked, No first.
            Application->ShowException(e);
            if (Application->MessageBox(kCloseUnsaved, Application->Title(),
                                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
                return;
        }
        if (!settingsError.empty()) MessageDlg(settingsError, mtError, TMsgDlgButtons{mbOK}, 0);
        Action = caFree;
    } else {
        // Exit's No leaves every table as it was: a mistaken Exit loses
        // nothing. The Undo button's No takes the Catch All list and every
        // list a move not yet written touched back to their saved state,
        // together, so a moved task is back where it came from.
        Action = caNone;
        if (undoing) {
            std::vector<TOstraTable*> reverted{FdList_};
            RunEachStep({[this] {
                             if (FdList_->Active() &&
                                 (FdList_->State() == dsEdit || FdList_->State() == dsInsert))
                                 FdList_->Cancel();
                             FdList_->CancelChanges();
                         },
                         [this, &reverted] { FTables->UndoMoves(&reverted); },
                         [this, &reverted] { DropSelectionsOver(reverted); }});
        }
    }
}

// The lists an Undo took back hold what their files hold, as if read again:
// the rows marked in their grids are marked no more (a deleted task that
// came back would else stay marked, for Ctrl+Delete to take).
void TfrmToDo::DropSelectionsOver(const std::vector<TOstraTable*>& Tables) {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* grid = dynamic_cast<TOstraCustomDBGrid*>(Components(i));
        TDataSet* data = grid && grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
        if (data && std::find(Tables.begin(), Tables.end(), data) != Tables.end())
            grid->SelectedRows()->Clear();
    }
}

void TfrmToDo::PageControl1Change(TObject*) {
    FspBtnMoveCmpl->SetEnabled(true);
    FsbtnArchive->SetEnabled(true);
    FStatusBar1->SetSimpleText("");
    FqzfilterD1->ClearFilter();
    TTabSheet* page = FPageControl1->ActivePage();
    // The task-list report covers the Today and the two group lists only.
    FspbtnPrint->SetEnabled(page == FTabSheet7 || page == FTabSheet1 || page == FTabSheet2);
    // A table that cannot be opened does not keep the tab's other parts from
    // their work; its error comes afterwards.
    if (page == FTabSheet1) {
        RunEachStep({[this] { FTables->ShowTaskTable(FdTask_); }, [this] { FDataTask->SetDataSet(FdTask_); },
                     [this] { TToDoTables::OpenAndBind(FdCateg, FDataCatg); },
                     [this] { TToDoTables::OpenAndBind(FdStatus1, FdsStatus1); },
                     [this] { FDBNavigator1->SetDataSource(FDataTask); }});
    } else if (page == FTabSheet2) {
        RunEachStep({[this] { FTables->ShowTaskTable(Fdtask2_); },
                     [this] { FDataTask->SetDataSet(Fdtask2_); },
                     [this] { TToDoTables::OpenAndBind(FdCateg2, FDataCatg); },
                     [this] { TToDoTables::OpenAndBind(FdStatus1, FdsStatus1); },
                     [this] { FDBNavigator1->SetDataSource(FdsTask2); }});
    } else if (page == FTabSheet3) {
        FDBNavigator1->SetDataSource(FdsArchive);
        FsbtnArchive->SetEnabled(false);
        if (!FdArchive_->Active()) TToDoTables::OpenAndBind(FdArchive_, FdsArchive);
    } else if (page == FTabSheet4) {
        FDBNavigator1->SetDataSource(FdsList);
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
        if (!FdList_->Active()) TToDoTables::OpenAndBind(FdList_, FdsList);
    } else if (page == FTabSheet5) {
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
        FDBNavigator1->SetDataSource(FdsQuotes);
        TToDoTables::OpenAndBind(FdQuotes_, FdsQuotes);
    } else if (page == FTabSheet6) {
        FspBtnMoveCmpl->SetEnabled(false);
        FsbtnArchive->SetEnabled(false);
        FDBNavigator1->SetDataSource(FdsGoals);
        RunEachStep({[this] { TToDoTables::OpenAndBind(FdGoals_, FdsGoals); },
                     [this] { TToDoTables::OpenAndBind(FdGoalGrp_, FdsGoalGrp); }});
    } else if (page == FTabSheet7) {
        // Both views show the flagged records of their file's one store, so
        // nothing needs saving or reading again here.
        FDBNavigator1->SetDataSource(Fdstday);
        RunEachStep({[this] { FTables->ShowTodayViews(); }, [this] { FOstraDBGrid7->Repaint(); },
                     [this] {
                         // A quote table that failed to open has nothing to show.
                         if (FdQuotes_->Active()) LocateRandomQuote(FdQuotes_);
                     },
                     [this] { FDBText2->Repaint(); }});
    }
}

void TfrmToDo::TabSheet7Exit(TObject*) {
    // The second file is written with its changes and its table shows them.
    // It stays open: its Today view shares its store.
    FTables->ShowTaskTable(Fdtask2_);
    FTables->SaveTaskFile(FTables->Second());
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
    FTables->Written(FdList_);
    // A task file and its Today view share one store: one write each (the
    // archive first when tasks were archived from it).
    FTables->SaveTaskFile(FTables->First());
    FTables->SaveTaskFile(FTables->Second());
    // The command's steps save the Catch All list again after the task files.
    // Nothing above touches it, so this save finds nothing pending: it posts
    // nothing and writes no file, it only looks at the state and change count.
    FdList_->Save();
    for (TDataSource* source : {FdsCateg, FdsCateg2, FdsQuotes, FdsArchive}) SaveThrough(FOstraDb, source);
    FTables->Written(FdArchive_);
    FdGoals_->Save();
}

void TfrmToDo::DBNavigator1Click(TObject*, TNavigateBtn Button) {
    if (Button != nbPost) return;
    FTables->SaveMovesOutOf(dynamic_cast<TOstraTable*>(FDataTask->DataSet()));
    SaveThrough(FOstraDb, FDataTask);
}

// Bound to both "Undo" and "Exit": the close question's No undoes for the first only.
void TfrmToDo::SpeedButton1Click(TObject* Sender) {
    FUndoing = Sender == FSpeedButton1;
    try {
        Close();
    } catch (...) {
        FUndoing = false;
        throw;
    }
    FUndoing = false;
}

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

// A list written while its Priority column stored what was typed may hold
// priority names: they are read as their codes, as the list's saved state.
void TfrmToDo::dList_AfterOpen(TDataSet* DataSet) {
    auto* list = static_cast<TOstraTable*>(DataSet);
    TField* priority = list->FindField("Priority");
    if (!priority || list->HasPendingChanges()) return;
    const std::vector<std::string>& names = PriorityNames();
    const auto codeOf = [&names](const std::string& Text) -> const std::string* {
        for (size_t i = 0; i < names.size(); ++i)
            if (SameText(Text, names[i])) return &PriorityCodes()[i];
        return nullptr;
    };
    // Marked first: a sorted view may move a record when its code is posted.
    std::vector<TBookmark> named;
    list->DisableControls();
    try {
        for (list->First(); !list->Eof(); list->Next())
            if (codeOf(priority->AsString())) named.push_back(list->Bookmark());
        for (const TBookmark& b : named) {
            list->GotoBookmark(b);
            list->Edit();
            priority->SetAsString(*codeOf(priority->AsString()));
            list->Post();
        }
        list->First();
    } catch (...) {
        if (list->State() == dsEdit) list->Cancel();
        list->EnableControls();
        throw;
    }
    list->EnableControls();
    if (!named.empty()) list->CommitChanges();
}

void TfrmToDo::dSelQuotes_CalcFields(TDataSet* DataSet) { CalcQuoteAndAuthor(DataSet); }

// ---- Sorting and colours ---------------------------------------------------------------------

#define TITLE_AND_CELL(N, Alternate, Priority)                                                         \
    void TfrmToDo::OstraDBGrid##N##TitleClick(TObject*, TOstraColumn* Column) {                        \
        TTitleSort::Sort(FOstraDBGrid##N, Column, FStatusBar1);                                        \
    }                                                                                                  \
    void TfrmToDo::OstraDBGrid##N##DrawCellAttr(TObject*, TOstraColumn*, TFont* AFont, TColor& AColor, \
                                                TGridDrawState) {                                      \
        FColours->Colour(FOstraDBGrid##N, Alternate, Priority, AFont, AColor);                         \
    }

TITLE_AND_CELL(1, true, true)
TITLE_AND_CELL(2, true, true)
TITLE_AND_CELL(3, true, false)
TITLE_AND_CELL(4, true, false)
TITLE_AND_CELL(5, true, false)
TITLE_AND_CELL(6, false, true)
TITLE_AND_CELL(7, true, true)
TITLE_AND_CELL(8, true, true)

#undef TITLE_AND_CELL

void TfrmToDo::Option1Click(TObject*) {
    if (!FColours->Choose(FColorDialog1)) return;
    // The grids of the tab show the new colour at once, the others when next drawn.
    TTabSheet* page = FPageControl1->ActivePage();
    std::vector<TOstraDBGrid*> grids;
    if (page == FTabSheet7)
        grids = {FOstraDBGrid7, FOstraDBGrid8};
    else if (page == FTabSheet1)
        grids = {FOstraDBGrid1};
    else if (page == FTabSheet2)
        grids = {FOstraDBGrid2};
    else if (page == FTabSheet3)
        grids = {FOstraDBGrid5};
    else if (page == FTabSheet4)
        grids = {FOstraDBGrid3};
    else if (page == FTabSheet5)
        grids = {FOstraDBGrid4};
    else if (page == FTabSheet6)
        grids = {FOstraDBGrid6};
    for (TOstraDBGrid* g : grids) g->Repaint();
}

// ---- Moving, archiving, backup and restore ---------------------------------------------------

const TToDoTables::TTaskFile* TfrmToDo::ActiveTaskFile() const {
    TTabSheet* page = FPageControl1->ActivePage();
    if (page == FTabSheet1) return &FTables->First();
    if (page == FTabSheet2) return &FTables->Second();
    return nullptr;
}

void TfrmToDo::spBtnMoveCmplClick(TObject*) { FMover->ToBasket(ActiveTaskFile()); }

void TfrmToDo::sbtnArchiveClick(TObject*) { FMover->ToArchive(ActiveTaskFile()); }

void TfrmToDo::Backup1Click(TObject*) { BackupTables(GetCurrentDir()); }

void TfrmToDo::Restore1Click(TObject*) {
    // Moves not written yet are written first: a restored file never
    // parts a task from the list it went to.
    FTables->SaveMoves();
    std::vector<std::string> restored;
    {
        std::unique_ptr<TDualListDlg> dialog(CreateForm<TDualListDlg>(Application));
        if (dialog->ShowModal() == mrOk) restored = dialog->RestoredNames();
    }
    if (restored.empty()) return;
    // The restored files are read again: no later save writes old data over them.
    ReloadRestoredTables(GetCurrentDir(), restored, FTables->All());
    LocateQuoteOfTheDay(FdSelQuotes_, FSettings->QuoteSelected);
    FDBText1->Repaint();
}

// ---- Quotes ----------------------------------------------------------------------------------

void TfrmToDo::spbtnRandQuoteClick(TObject*) {
    LocateRandomQuote(FdQuotes_);
    FDBText2->Repaint();
    if (FPageControl1->ActivePage() != FTabSheet7) ShowOnQuotes<TFrmQuoteBox>(FdsQuotes);
}

void TfrmToDo::SpeedButton4Click(TObject*) {
    MarkQuoteOfTheDay(FdQuotes_, FdSelQuotes_, FSettings->QuoteSelected);
    FDBText1->Repaint();
}

void TfrmToDo::OstraDBGrid4DblClick(TObject*) { ShowOnQuotes<TfrmDEQuote>(FdsQuotes); }

void TfrmToDo::dQuotes_NewRecord(TDataSet* DataSet) { AssignNewQuoteKey(DataSet, FvtblAppids_, FOstraDb); }
