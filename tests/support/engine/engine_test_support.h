// Shared pieces of the engine, engine-control and program tests: the check
// of a raised error's message and the task table's field definitions.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/ostra_table.h"
#include "platform/db/fielddefs.h"

// Expects Statement to raise an exception of ExceptionType with exactly Text.
#ifndef EXPECT_RAISES
#define EXPECT_RAISES(Statement, ExceptionType, Text)         \
    do {                                                      \
        try {                                                 \
            Statement;                                        \
            ADD_FAILURE() << "no exception from " #Statement; \
        } catch (const ExceptionType& e) {                    \
            EXPECT_EQ(std::string(Text), e.Message());        \
        }                                                     \
    } while (0)
#endif

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
