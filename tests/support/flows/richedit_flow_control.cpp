// The data-aware rich edit in the user-flow suite: one edit for each of the
// two memo fields, which hold RTF; the flows compare their plain text.
#include "support/flows/richedit_flow.h"

namespace {

class TRichEditFlow : public TRichEditFlowBase {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.Undo = c.ReadOnly = true;
        return c;
    }
    void SetReadOnly(bool On) override {
        for (auto& [f, e] : FEdits) e->SetReadOnly(On);
    }
};

TFlowRegistration richEdit("DBRichEdit", [] { return std::make_unique<TRichEditFlow>(); });

}  // namespace
