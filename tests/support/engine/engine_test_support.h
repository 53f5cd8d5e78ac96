// Shared pieces of the engine and engine-control tests: the check of a
// raised error's message, the task table's field definitions, one field's value
// put into a record and the values of one field over a dataset.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/db/dataset.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "support/core/expect_raises.h"

// The task table's field definitions.
inline void AddTaskDefs(TOstraTable& t) {
    TFieldDefs* defs = t.FieldDefs();
    defs->Add("Key", ftAutoInc);
    defs->Add("Flag", ftBoolean);
    defs->Add("Action", ftString, 255);
    defs->Add("Date", ftDate);
    defs->Add("Category", ftString, 10);
    defs->Add("Priority", ftString, 5);
    defs->Add("Status", ftString, 15);
    defs->Add("Notes", ftMemo);
}

// Values of one field over the dataset, in view order (moves the cursor).
inline std::vector<std::string> Column(TDataSet& ds, const std::string& field) {
    std::vector<std::string> out;
    ds.First();
    while (!ds.Eof()) {
        out.push_back(ds.FieldByName(field)->AsString());
        ds.Next();
    }
    return out;
}

// Edits the current record of T (or appends one) with one field's value, posted.
inline void PutText(TDataSet* T, const std::string& Field, const std::string& Text, bool Append = false) {
    Append ? T->Append() : T->Edit();
    T->FieldByName(Field)->SetAsString(Text);
    T->Post();
}
inline void PutFlag(TDataSet* T, const std::string& Field, bool Value) {
    T->Edit();
    T->FieldByName(Field)->SetAsBoolean(Value);
    T->Post();
}
