// The lookup combo in the user-flow suite, with every flow of a combo.
#include "suite/grid/qzlookupcombo.h"
#include "support/flows/lookup_flow.h"

namespace {

TFlowRegistration lookupCombo("SuiteLookupCombo",
                              [] { return std::make_unique<TLookupComboFlowOf<TqzDBCustomLookupCombo>>(); });
TFlowRegistration lookupComboRtl("SuiteLookupComboRightToLeft", [] {
    return std::make_unique<TRightToLeftComboFlow<TLookupComboFlowOf<TqzDBCustomLookupCombo>>>();
});

}  // namespace
