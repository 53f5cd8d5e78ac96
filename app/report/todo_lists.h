// The task-list report: one line per task of a task table, in the table's
// order, with status, priority name, action, category, date and flag, under
// a page header naming the group.
//
// The main window calls it from its "Print Selected List" button:
//
//   PrintToDoList(PageControl1->ActivePage()->Caption(),
//                 {dTask_, dtask2_, tblToDay1_});
//
// The active tab's caption chooses the table: "Actions Group 1" the first,
// "Actions Group 2" the second, "Today" the Today view.
#pragma once

#include <string>

#include "app/report/norv_report.h"
#include "platform/ui/forms.h"

class TDataSet;

// The tables the report may print, by tab.
struct TToDoListTables {
    TDataSet* Group1 = nullptr;  // "Actions Group 1"
    TDataSet* Group2 = nullptr;  // "Actions Group 2"
    TDataSet* Today = nullptr;   // "Today" (the first task file's flagged view)
};

// The table of the tab with caption ActiveTab; nullptr for other tabs.
TDataSet* ToDoListSource(const std::string& ActiveTab, const TToDoListTables& Tables);

class TToDoLists : public TNorvReport {
    TASKMOOR_CLASS(TToDoLists, TNorvReport)
public:
    // Source: the table to list (may be nullptr: the report is empty);
    // ActiveTab: the caption of the tab it belongs to.
    TToDoLists(const TReportArgs& Args, TDataSet* Source, const std::string& ActiveTab);

    TDataSet* Source() const { return FSource; }
    const std::string& ActiveTab() const { return FActiveTab; }

    // The printed name of a priority code ("" for an unknown one).
    static std::string PriorityName(const std::string& Priority);
    // Action text as printed: its first 65 characters, and "..." when the
    // text has 65 characters or more.
    static std::string ActionCell(const std::string& Action);

    // One row for the source table's current record.
    void AddTaskRow();

protected:
    void PageHeader() override;
    bool Build() override;

private:
    TDataSet* FSource;
    std::string FActiveTab;
};

// The empty form made while a task list is printed.
class TfrmToDoLst : public TForm {
    TASKMOOR_CLASS(TfrmToDoLst, TForm)
public:
    explicit TfrmToDoLst(TComponent* AOwner);
};

// Prints the task list of the active tab through the print dialog.
void PrintToDoList(const std::string& ActiveTab, const TToDoListTables& Tables);
