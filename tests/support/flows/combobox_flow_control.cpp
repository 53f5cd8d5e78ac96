// The suite's data-aware combo box in the user-flow suite: one unmapped
// drop-down combo per field, with a list to open.
#include "platform/ui/testing.h"
#include "suite/edit/qzdbcombobox.h"
#include "support/flows/user_flow.h"

namespace {

class TComboBoxFlow : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.DropDown = c.ReadOnly = true;
        return c;
    }
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
    void Focus(const std::string& Field) override {
        TqzDBComboBox* c = Combo(Field);
        c->SetFocus();
        c->SelectAll();
        ProcessEvents();
    }
    std::string Shown(const std::string& Field) override { return Combo(Field)->Text(); }
    void Click(const std::string& Field, int) override {
        SendClick(Combo(Field), 10, 10);
        ProcessEvents();
    }
    TWinControl* Control(const std::string& Field) override { return Combo(Field); }
    void SetReadOnly(bool On) override {
        for (TqzDBComboBox* c : FCombos) c->SetReadOnly(On);
    }
    bool DroppedDown() override {
        for (TqzDBComboBox* c : FCombos)
            if (c->IsDroppedDown()) return true;
        return false;
    }

private:
    TqzDBComboBox* Combo(const std::string& Field) {
        const std::vector<std::string> f = Fields();
        for (size_t i = 0; i < f.size(); ++i)
            if (f[i] == Field) return FCombos[i];
        return FCombos.front();
    }
    std::vector<TqzDBComboBox*> FCombos;
};

TFlowRegistration comboBox("SuiteComboBox", [] { return std::make_unique<TComboBoxFlow>(); });

}  // namespace
