// The main window's tables as one set: opening a table (a file that cannot
// be read is named in the error), the two task files whose one store is
// shared by the group table and its Today view (a clone of it with a filter
// of its own, so a change posted through either is in the store written),
// saving every table that holds changes, and the moves of tasks out of the
// task files not written yet (written target first, undone together).
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class TDataSource;
class TOstraTable;

class TToDoTables {
public:
    // A task file: its group table and the Today view on the same store.
    struct TTaskFile {
        TOstraTable* Table = nullptr;
        TOstraTable* TodayView = nullptr;
    };

    TToDoTables(TTaskFile First, TTaskFile Second, std::vector<TOstraTable*> Others);

    // Opens Table (nothing when open). A file that cannot be read raises an
    // Exception naming it: "Error opening table <file>: <reason>".
    static void Open(TOstraTable* Table);
    // Opens Table and makes it Source's dataset.
    static void OpenAndBind(TOstraTable* Table, TDataSource* Source);
    // Opens the group table when closed, else shows the store's current
    // records. A group table opened without its order gets it here; while
    // orders are put off, it is opened without.
    void ShowTaskTable(TOstraTable* Table);
    // While on, group tables are opened in store order and sorted when first
    // shown: at start only the Today views are on screen, and they read the
    // store alone.
    void PutOffOrders(bool On) { FPuttingOff = On; }
    // Posts edits of both and writes the file when either holds changes.
    // The lists that tasks moved out of it went to are written first: a
    // moved task is never in neither file.
    void SaveTaskFile(const TTaskFile& File);

    const TTaskFile& First() const { return FFirst; }
    const TTaskFile& Second() const { return FSecond; }
    // The task file whose group table is Table; nullptr for other tables.
    const TTaskFile* FileOf(const TOstraTable* Table) const;

    // Opens the Today views over their group tables with the current
    // records; one file that cannot be read does not keep the other closed.
    void ShowTodayViews();
    // Saves both task files, then every other open table holding changes.
    void SaveAllPending();
    // Every table of the window.
    std::vector<TOstraTable*> All() const;

    // ---- Moves not written yet
    // A task moved from File's group table into Target (Catch All or the
    // archive), neither written since.
    void NoteMove(const TTaskFile& File, TOstraTable* Target);
    // Writes the lists that tasks moved out of Table (a group table or a
    // Today view) went to, before Table itself is written.
    void SaveMovesOutOf(const TOstraTable* Table);
    // Target was written: the moves into it are done.
    void Written(const TOstraTable* Target);
    // Writes every move's target, then its task file.
    void SaveMoves();
    // Takes every list an unwritten move touched, the task files and the
    // targets alike, back to its saved state; Reverted (when given)
    // receives those tables, views included.
    void UndoMoves(std::vector<TOstraTable*>* Reverted = nullptr);

private:
    // A group table opened in store order and the order it gets when shown.
    struct TPutOffOrder {
        TOstraTable* Table = nullptr;
        std::string Order;
    };
    void OpenWithoutOrder(TOstraTable* Table);

    struct TMove {
        const TTaskFile* From = nullptr;
        TOstraTable* Target = nullptr;
    };
    const TTaskFile* FileOfView(const TOstraTable* Table) const;

    TTaskFile FFirst, FSecond;
    std::vector<TMove> FMoves;
    std::vector<TPutOffOrder> FPutOff;
    bool FPuttingOff = false;
    std::vector<TOstraTable*> FOthers;
};

// Runs every step; the first failure is raised once all have run.
void RunEachStep(std::initializer_list<std::function<void()>> Steps);
