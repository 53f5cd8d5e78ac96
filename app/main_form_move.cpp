// Moving the current task to the Catch All list or the archive, and the
// backup and restore of the table files.
#include <string>
#include <vector>

#include "app/backup.h"
#include "app/main_form.h"
#include "app/main_form_tables.h"
#include "app/quotes.h"
#include "app/restore_dlg.h"
#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dialogs.h"

namespace {

// The task fields copied, in order; the targets name them their own way.
const std::vector<std::string> TaskFields{"Flag", "Action", "Date", "Category", "Priority", "Status"};
const std::vector<std::string> ListFields{"Flag", "Action", "Date", "Category", "Priority", "Status"};
const std::vector<std::string> ArchiveFields{"Flag", "ACTION", "DATE", "CATEGORY", "PRIORITY", "Status"};

void CopyValue(TField* From, TField* To) {
    // An empty value stays empty (no 0 date, no False flag made up).
    if (From->IsNull())
        To->Clear();
    else if (From->DataType() == ftBoolean)
        To->SetAsBoolean(From->AsBoolean());
    else if (From->DataType() == ftDate || From->DataType() == ftDateTime)
        To->SetAsDateTime(From->AsDateTime());
    else
        To->SetAsString(From->AsString());
}

}  // namespace

void TfrmToDo::MoveCurrentTask(TOstraTable* Target, const std::string& Question,
                               const std::vector<std::string>& TargetFields) {
    TTabSheet* page = FPageControl1->ActivePage();
    TOstraTable* source = page == FTabSheet1 ? FdTask_ : page == FTabSheet2 ? Fdtask2_ : nullptr;
    TOstraTable* view = source == FdTask_ ? FtblToDay1_ : FtblToDay2_;
    // Nothing to move: nothing is asked.
    if (!source || !source->Active() || (source->IsEmpty() && source->State() != dsInsert)) return;
    if (MessageDlg(Question, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes) return;
    source->CheckBrowseMode();
    if (source->IsEmpty()) return;
    if (!Target->Active()) OpenToDoTable(Target);
    Target->CheckBrowseMode();
    Target->Append();
    try {
        for (std::size_t i = 0; i < TaskFields.size(); ++i)
            CopyValue(source->FieldByName(TaskFields[i]), Target->FieldByName(TargetFields[i]));
        Target->Post();
    } catch (...) {
        Target->Cancel();
        throw;
    }
    source->Delete();
    // Complete at once: the task is in the target's file before it leaves
    // the source's, so no later cancel drops it.
    Target->Save();
    SaveTaskFile(source, view);
}

void TfrmToDo::spBtnMoveCmplClick(TObject*) {
    MoveCurrentTask(FdList_, " Move selected item to Basket?", ListFields);
}

void TfrmToDo::sbtnArchiveClick(TObject*) {
    MoveCurrentTask(FdArchive_, " Move selected item to Archive?", ArchiveFields);
}

void TfrmToDo::Backup1Click(TObject*) { BackupTables(GetCurrentDir()); }

void TfrmToDo::Restore1Click(TObject*) {
    auto* dialog = CreateForm<TDualListDlg>(Application);
    std::vector<std::string> restored;
    try {
        if (dialog->ShowModal() == mrOk) restored = dialog->RestoredNames();
    } catch (...) {
        delete dialog;
        throw;
    }
    delete dialog;
    if (restored.empty()) return;
    // The restored files are read again: no later save writes old data over them.
    ReloadRestoredTables(GetCurrentDir(), restored, AllTables());
    LocateQuoteOfTheDay(FdSelQuotes_, FQuoteSelected);
    FDBText1->Repaint();
}
