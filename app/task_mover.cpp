// The move after the user confirms it: the task's values copied into the target list by
// type, posted there, then the task deleted from its own list.
#include "app/task_mover.h"

#include "engine/ostra_table.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"

namespace {

// The task fields copied, in order; the targets name them their own way.
// The notes go too: nothing else keeps them once the task is deleted.
const std::vector<std::string> CopiedTaskFields{"Flag",     "Action", "Date", "Category",
                                                "Priority", "Status", "Notes"};
const std::vector<std::string> BasketFields{"Flag",     "Action", "Date", "Category",
                                            "Priority", "Status", "Notes"};
const std::vector<std::string> ArchiveFields{"Flag",     "ACTION", "DATE", "CATEGORY",
                                             "PRIORITY", "Status", "Notes"};

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

void TTaskMover::ToBasket(const TToDoTables::TTaskFile* From) const {
    Move(From, FBasket, " Move selected item to Basket?", BasketFields);
}

void TTaskMover::ToArchive(const TToDoTables::TTaskFile* From) const {
    Move(From, FArchive, " Move selected item to Archive?", ArchiveFields);
}

void TTaskMover::Move(const TToDoTables::TTaskFile* From, TOstraTable* Target, const std::string& Question,
                      const std::vector<std::string>& TargetFields) const {
    // The question comes first, on every tab; only a group list's task moves.
    if (MessageDlg(Question, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes) return;
    TOstraTable* source = From ? From->Table : nullptr;
    if (!source || !source->Active()) return;
    source->CheckBrowseMode();
    if (source->IsEmpty()) return;
    TToDoTables::Open(Target);
    Target->CheckBrowseMode();
    Target->Append();
    try {
        for (std::size_t i = 0; i < CopiedTaskFields.size(); ++i)
            CopyValue(source->FieldByName(CopiedTaskFields[i]), Target->FieldByName(TargetFields[i]));
        Target->Post();
    } catch (...) {
        Target->Cancel();
        throw;
    }
    source->Delete();
    FTables.NoteMove(*From, Target);
}
