// The dialog-style lookup combo in the user-flow suite: one combo per field
// over a lookup table of the engine whose only field is the key. Its
// drop-down is a modal dialog, not a list, so it joins the typing and
// read-only flows only.
#include "suite/data/qzlookupcombodlg.h"
#include "support/flows/lookup_flow.h"

namespace {

class TLookupComboDlgFlow : public TLookupComboFlowOf<TqzDBLookupComboDlg> {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.ReadOnly = true;
        return c;
    }
};

TFlowRegistration lookupComboDlg("SuiteLookupComboDlg",
                                 [] { return std::make_unique<TLookupComboDlgFlow>(); });

}  // namespace
