// The suite grid over a suite table on an SQLite file in the user-flow
// suite (its notes a TEXT column).
#include "support/flows/sqlite_flow.h"
#include "support/flows/suite_grid_flow.h"

namespace {

TFlowRegistration sqliteGrid("SqliteSuiteGrid",
                             [] { return std::make_unique<TSqliteFlowOf<TSuiteGridFlow>>(); });

}  // namespace
