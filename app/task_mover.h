// Moving the current task of a group list to the Catch All list ("Move
// selected to InBasket") or to the archive ("Archive Selected Item").
//
// After the user's Yes the target appends a record with the task's Flag,
// Action, Date, Category, Priority, Status and Notes (named the target's way)
// and posts it; then the task leaves its list. Neither is written here: the
// tables note the move, so that the target is written before the task file
// and an undo takes both back together.
#pragma once

#include <string>
#include <vector>

#include "app/todo_tables.h"

class TOstraTable;

class TTaskMover {
public:
    TTaskMover(TToDoTables& Tables, TOstraTable* Basket, TOstraTable* Archive)
        : FTables(Tables), FBasket(Basket), FArchive(Archive) {}

    // The question is asked on every tab; after Yes nothing more happens
    // without a task file (another tab) or without a task.
    void ToBasket(const TToDoTables::TTaskFile* From) const;
    void ToArchive(const TToDoTables::TTaskFile* From) const;

private:
    void Move(const TToDoTables::TTaskFile* From, TOstraTable* Target, const std::string& Question,
              const std::vector<std::string>& TargetFields) const;
    TToDoTables& FTables;
    TOstraTable* FBasket;
    TOstraTable* FArchive;
};
