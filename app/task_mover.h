// Moving the current task of a group list to the Catch All list ("Move
// selected to InBasket") or to the archive ("Archive Selected Item").
//
// After the user's Yes the target appends a record with the task's Flag,
// Action, Date, Category, Priority, Status and Notes (named the target's way),
// posts it and is written; then the task leaves its list and the task file
// is written, so the task is in the target's file before it leaves its own.
#pragma once

#include <string>
#include <vector>

#include "app/todo_tables.h"

class TOstraTable;

class TTaskMover {
public:
    TTaskMover(TOstraTable* Basket, TOstraTable* Archive) : FBasket(Basket), FArchive(Archive) {}

    // The question is asked on every tab; after Yes nothing more happens
    // without a task file (another tab) or without a task.
    void ToBasket(const TToDoTables::TTaskFile* From) const;
    void ToArchive(const TToDoTables::TTaskFile* From) const;

private:
    static void Move(const TToDoTables::TTaskFile* From, TOstraTable* Target, const std::string& Question,
                     const std::vector<std::string>& TargetFields);
    TOstraTable* FBasket;
    TOstraTable* FArchive;
};
