// The quote table's field definitions, shared by the quote tests.
#pragma once

#include "engine/ostra_table.h"
#include "platform/db/fielddefs.h"

inline void AddQuoteDefs(TOstraTable& t) {
    TFieldDefs* d = t.FieldDefs();
    d->Add("Quote", ftString, 255);
    d->Add("Author", ftString, 50);
    d->Add("Group", ftString, 20);
    d->Add("Display", ftBoolean);
    d->Add("Key", ftInteger);
    d->Add("Flag", ftBoolean);
}
