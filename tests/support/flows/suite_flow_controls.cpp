// The suite's controls in the user-flow suite: the grid, the masked edit,
// the spin edit, the drop-down edit base and the data-aware rich edit.
#include "platform/db/dataset.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbigrd.h"
#include "support/flows/suite_grid_flow.h"
#include "support/flows/user_flow.h"

namespace {

TFlowRegistration suiteGrid("SuiteGrid", [] { return std::make_unique<TSuiteGridFlow>(); });
TFlowRegistration suiteGridRtl("SuiteGridRightToLeft", [] { return RightToLeftFlow<TSuiteGridFlow>(); });
TFlowRegistration suiteGridFormRtl("SuiteGridRightToLeftByForm",
                                   [] { return RightToLeftFlow<TSuiteGridFlow>(true); });

}  // namespace
