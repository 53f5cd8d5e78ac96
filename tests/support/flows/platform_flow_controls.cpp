// The platform's data-aware edits in the user-flow suite, as the main window
// and the quote editor use them: the edit over the text fields and the memo
// over the memo fields.
#include "platform/ui/dbctrls.h"
#include "support/flows/edits_flow.h"

namespace {

class TDBEditFlow : public TEditsFlow<TDBEdit> {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.ReadOnly = c.Undo = true;
        return c;
    }
    void SetReadOnly(bool On) override {
        for (auto& [f, e] : FEdits) e->SetReadOnly(On);
    }
};

class TDBMemoFlow : public TEditsFlow<TDBMemo> {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.ReadOnly = c.Undo = true;
        return c;
    }
    std::vector<std::string> Fields() const override { return {"Notes", "Details"}; }
    void SetReadOnly(bool On) override {
        for (auto& [f, e] : FEdits) e->SetReadOnly(On);
    }
    // Ctrl+A: the memo keeps its caret where it was.
    void Entered(const std::string&) override {
        SendKeyToFocus('A', {ssCtrl});
        ProcessEvents();
    }

protected:
    TDBMemo* Make(TForm* Form) override {
        auto* m = new TDBMemo(Form);
        m->SetScrollBars(ssVertical);
        // Enter leaves the text as it is: the flows' Enter is no new line.
        m->SetWantReturns(false);
        return m;
    }
};

TFlowRegistration dbEdit("DBEdit", [] { return std::make_unique<TDBEditFlow>(); });
TFlowRegistration dbMemo("DBMemo", [] { return std::make_unique<TDBMemoFlow>(); });

}  // namespace
