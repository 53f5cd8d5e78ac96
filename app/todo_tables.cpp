// Opening and binding the tables, saving the task files and pending changes, and
// moving tasks between files with undo.
#include "app/todo_tables.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <string>

#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/db/datasource.h"

namespace {

void PostEdit(TOstraTable* Table) {
    if (Table && Table->Active() && (Table->State() == dsEdit || Table->State() == dsInsert)) Table->Post();
}

// An edit the user changed something in; a row just added and left as it
// came stays unposted.
void PostChanged(TOstraTable* Table) {
    if (Table && Table->Active() && (Table->State() == dsEdit || Table->State() == dsInsert) &&
        Table->Modified())
        Table->Post();
}

void Rebuild(TOstraTable* Table) {
    if (Table && Table->Active() && Table->State() == dsBrowse) Table->RebuildView(true);
}

}  // namespace

void RunEachStep(std::initializer_list<std::function<void()>> Steps) {
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

TToDoTables::TToDoTables(TTaskFile First, TTaskFile Second, std::vector<TOstraTable*> Others)
    : FFirst(First), FSecond(Second), FOthers(std::move(Others)) {}

void TToDoTables::Open(TOstraTable* Table) {
    if (Table->Active()) return;
    try {
        Table->Open();
    } catch (const Exception& e) {
        static const std::string prefix = "Error opening table: ";
        std::string reason = e.Message();
        // A missing file is named already.
        if (reason.find(Table->FileName()) != std::string::npos) throw;
        if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
        throw Exception("Error opening table " + Table->FileName() + ": " + reason);
    }
}

void TToDoTables::OpenAndBind(TOstraTable* Table, TDataSource* Source) {
    Open(Table);
    Source->SetDataSet(Table);
}

void TToDoTables::ShowTaskTable(TOstraTable* Table) {
    if (FPuttingOff) {
        OpenWithoutOrder(Table);
        return;
    }
    // The other view's edit in progress (a flag ticked on Today) shows here.
    if (const TTaskFile* file = FileOf(Table)) PostChanged(file->TodayView);
    const auto putOff = std::find_if(FPutOff.begin(), FPutOff.end(),
                                     [Table](const TPutOffOrder& p) { return p.Table == Table; });
    if (putOff == FPutOff.end()) {
        if (!Table->Active())
            Open(Table);
        else
            Rebuild(Table);
        return;
    }
    // Shown first now: from its first record in order, as if built at the open.
    // An order that could not be built stays put off.
    Table->SetIndexFieldNames(putOff->Order);
    FPutOff.erase(putOff);
    if (!Table->Active())
        Open(Table);
    else if (Table->State() == dsBrowse)
        Table->First();
}

void TToDoTables::OpenWithoutOrder(TOstraTable* Table) {
    if (Table->Active()) {
        Rebuild(Table);
        return;
    }
    const bool known = std::any_of(FPutOff.begin(), FPutOff.end(),
                                   [Table](const TPutOffOrder& p) { return p.Table == Table; });
    if (!known && !Table->IndexFieldNames().empty()) {
        FPutOff.push_back({Table, Table->IndexFieldNames()});
        Table->SetIndexFieldNames("");
    }
    Open(Table);
}

void TToDoTables::SaveTaskFile(const TTaskFile& File) {
    SaveMovesOutOf(File.Table);
    PostEdit(File.TodayView);
    PostEdit(File.Table);
    // The store is written by whichever view counts the changes; the other
    // settles with it.
    if (File.TodayView && File.TodayView->Active() && File.TodayView->HasPendingChanges())
        File.TodayView->Save();
    else if (File.Table && File.Table->Active() && File.Table->HasPendingChanges())
        File.Table->Save();
    Rebuild(File.Table);
    Rebuild(File.TodayView);
}

const TToDoTables::TTaskFile* TToDoTables::FileOf(const TOstraTable* Table) const {
    if (Table && Table == FFirst.Table) return &FFirst;
    if (Table && Table == FSecond.Table) return &FSecond;
    return nullptr;
}

const TToDoTables::TTaskFile* TToDoTables::FileOfView(const TOstraTable* Table) const {
    if (const TTaskFile* file = FileOf(Table)) return file;
    if (Table && Table == FFirst.TodayView) return &FFirst;
    if (Table && Table == FSecond.TodayView) return &FSecond;
    return nullptr;
}

void TToDoTables::ShowTodayViews() {
    const auto show = [this](const TTaskFile& File) {
        // The group table only gives the store: its order waits for its tab.
        // Its edit in progress (a flag ticked there) is posted to show here.
        PostChanged(File.Table);
        OpenWithoutOrder(File.Table);
        // Read again from the store: an edit in progress is posted, not dropped.
        if (File.TodayView->Active()) {
            PostEdit(File.TodayView);
            Rebuild(File.TodayView);
        } else {
            Open(File.TodayView);
        }
    };
    RunEachStep({[&] { show(FFirst); }, [&] { show(FSecond); }});
}

void TToDoTables::SaveAllPending() {
    SaveTaskFile(FFirst);
    SaveTaskFile(FSecond);
    for (TOstraTable* table : FOthers) {
        if (!table->Active()) continue;
        PostEdit(table);
        if (table->HasPendingChanges()) table->Save();
        Written(table);
    }
}

std::vector<TOstraTable*> TToDoTables::All() const {
    std::vector<TOstraTable*> all{FFirst.Table, FSecond.Table, FFirst.TodayView, FSecond.TodayView};
    all.insert(all.end(), FOthers.begin(), FOthers.end());
    return all;
}

// ---- Moves not written yet --------------------------------------------------------------------

void TToDoTables::NoteMove(const TTaskFile& File, TOstraTable* Target) {
    const TTaskFile* file = FileOf(File.Table);
    if (file && Target) FMoves.push_back({file, Target});
}

void TToDoTables::SaveMovesOutOf(const TOstraTable* Table) {
    const TTaskFile* file = FileOfView(Table);
    if (!file) return;
    // Written one target at a time: a failure leaves the rest as they are.
    for (;;) {
        const auto move =
            std::find_if(FMoves.begin(), FMoves.end(), [file](const TMove& m) { return m.From == file; });
        if (move == FMoves.end()) return;
        TOstraTable* target = move->Target;
        target->Save();
        Written(target);
    }
}

void TToDoTables::Written(const TOstraTable* Target) {
    FMoves.erase(
        std::remove_if(FMoves.begin(), FMoves.end(), [Target](const TMove& m) { return m.Target == Target; }),
        FMoves.end());
}

void TToDoTables::SaveMoves() {
    while (!FMoves.empty()) SaveTaskFile(*FMoves.front().From);
}

namespace {

// Back to the saved state: an edit in progress is dropped with the rest.
void RevertToSaved(TOstraTable* Table) {
    if (!Table || !Table->Active()) return;
    if (Table->State() == dsEdit || Table->State() == dsInsert) Table->Cancel();
    Table->CancelChanges();
}

}  // namespace

void TToDoTables::UndoMoves(std::vector<TOstraTable*>* Reverted) {
    std::vector<TOstraTable*> targets;
    std::vector<const TTaskFile*> files;
    for (const TMove& m : FMoves) {
        if (std::find(targets.begin(), targets.end(), m.Target) == targets.end()) targets.push_back(m.Target);
        if (std::find(files.begin(), files.end(), m.From) == files.end()) files.push_back(m.From);
    }
    FMoves.clear();
    if (Reverted) {
        Reverted->insert(Reverted->end(), targets.begin(), targets.end());
        for (const TTaskFile* file : files) Reverted->insert(Reverted->end(), {file->Table, file->TodayView});
    }
    // Each list is taken back even when another one fails to show it.
    std::exception_ptr first;
    const auto step = [&first](const std::function<void()>& Work) {
        try {
            Work();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    };
    for (TOstraTable* target : targets) step([target] { RevertToSaved(target); });
    for (const TTaskFile* file : files) {
        // Both views share the store: an edit in either goes, and the one
        // counting the changes reverts it.
        step([file] {
            RevertToSaved(file->TodayView);
            RevertToSaved(file->Table);
        });
    }
    if (first) std::rethrow_exception(first);
}
