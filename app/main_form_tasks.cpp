// The task files' stores: each file is read once, by its group table; the
// Today view of the file is a clone of that table with its own filter, so a
// change posted through either is in the one store that is written.
#include "app/main_form.h"
#include "app/main_form_tables.h"

#include <exception>
#include <functional>
#include <utility>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"

namespace {

void PostEdit(TOstraTable* Table) {
    if (Table && Table->Active() && (Table->State() == dsEdit || Table->State() == dsInsert)) Table->Post();
}

void Rebuild(TOstraTable* Table) {
    if (Table && Table->Active() && Table->State() == dsBrowse) Table->RebuildView(true);
}

}  // namespace

void TfrmToDo::SaveTaskFile(TOstraTable* Table, TOstraTable* View) {
    PostEdit(View);
    PostEdit(Table);
    // The store is written by whichever view counts the changes; the other
    // settles with it.
    if (View && View->Active() && View->HasPendingChanges())
        View->Save();
    else if (Table && Table->Active() && Table->HasPendingChanges())
        Table->Save();
    Rebuild(Table);
    Rebuild(View);
}

void TfrmToDo::ShowTaskTable(TOstraTable* Table) {
    if (!Table->Active())
        OpenToDoTable(Table);
    else
        Rebuild(Table);
}

void TfrmToDo::ShowTodayViews() {
    // Each view opens whatever the other's file does.
    std::exception_ptr first;
    const auto each = [&first](const std::function<void()>& Step) {
        try {
            Step();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    };
    for (const auto& [table, view] : {std::pair{FdTask_, FtblToDay1_}, std::pair{Fdtask2_, FtblToDay2_}})
        each([table, view] {
            ShowTaskTable(table);
            // Read again from the store: an edit in progress is posted, not dropped.
            if (view->Active()) {
                PostEdit(view);
                Rebuild(view);
            } else {
                OpenToDoTable(view);
            }
        });
    if (first) std::rethrow_exception(first);
}

std::vector<TOstraTable*> TfrmToDo::AllTables() const {
    return {FdTask_,      Fdtask2_, FtblToDay1_, FtblToDay2_, FdList_,  FdArchive_, FdQuotes_,
            FdSelQuotes_, FdGoals_, FdGoalGrp_,  FdCateg,     FdCateg2, FdStatus1,  FvtblAppids_};
}

void TfrmToDo::SaveAllPending() {
    SaveTaskFile(FdTask_, FtblToDay1_);
    SaveTaskFile(Fdtask2_, FtblToDay2_);
    for (TOstraTable* table : AllTables()) {
        if (table == FdTask_ || table == Fdtask2_ || table == FtblToDay1_ || table == FtblToDay2_) continue;
        if (!table->Active()) continue;
        PostEdit(table);
        if (table->HasPendingChanges()) table->Save();
    }
}
