// The suite's data-aware combo box in the user-flow suite: one unmapped
// drop-down combo per field, with a list to open.
#include "platform/ui/testing.h"
#include "suite/edit/qzdbcombobox.h"
#include "support/flows/combo_flow.h"

namespace {

class TComboBoxFlow : public TComboFlowOf<TqzDBComboBox> {
public:
    void Build(TForm* Form, TDataSource* Source) override {
        int top = 8;
        for (const std::string& f : Fields()) {
            auto* c = new TqzDBComboBox(Form);
            c->SetParent(Form);
            c->SetBounds(8, top, 200, 24);
            c->Items()->Add("Gamma");
            c->Items()->Add("Delta");
            c->SetDataSource(Source);
            c->SetDataField(f);
            FCombos.push_back(c);
            top += 40;
        }
    }
};

TFlowRegistration comboBox("SuiteComboBox", [] { return std::make_unique<TComboBoxFlow>(); });
TFlowRegistration comboBoxRtl("SuiteComboBoxRightToLeft",
                              [] { return std::make_unique<TRightToLeftComboFlow<TComboBoxFlow>>(); });

}  // namespace
