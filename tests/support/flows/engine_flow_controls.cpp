// The engine's controls in the user-flow suite: the grid and the drop-down edit.
#include "support/flows/engine_grid_flow.h"

namespace {

TFlowRegistration engineGrid("EngineGrid", [] { return std::make_unique<TEngineGridFlow>(); });
TFlowRegistration engineGridRtl("EngineGridRightToLeft", [] { return RightToLeftFlow<TEngineGridFlow>(); });
TFlowRegistration engineGridFormRtl("EngineGridRightToLeftByForm",
                                    [] { return RightToLeftFlow<TEngineGridFlow>(true); });

}  // namespace
