// The rich-text editor window in the user-flow suite: F2 on a data-aware
// rich edit opens the window on the field's text; the window flows type,
// undo and close it there, and the field gets the text back only as the
// close rules say.
#include "suite/richtext/qzricheditform.h"
#include "support/flows/richedit_flow.h"

namespace {

class TRichEditFormFlow : public TRichEditFlowBase {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.Window = true;
        return c;
    }
    std::string WindowText() override {
        for (auto& [f, e] : FEdits)
            if (auto* w = dynamic_cast<TqzRichEditForm*>(e->EditorForm()))
                return Plain(w->RichEdit()->Text());
        return std::string();
    }
    void SetNoConfirmation(bool On) override {
        for (auto& [f, e] : FEdits) {
            const unsigned bit = 1u << reoNoConfirmation;
            e->SetEditorOptions(On ? e->EditorOptions() | bit : e->EditorOptions() & ~bit);
        }
    }
};

TFlowRegistration richEditForm("RichEditForm", [] { return std::make_unique<TRichEditFormFlow>(); });

}  // namespace
