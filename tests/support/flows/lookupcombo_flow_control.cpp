// The lookup combo in the user-flow suite: one combo per field over a lookup
// table of the engine whose only field is the key, so the combo shows the
// key itself and a typed text not in the list becomes the value.
#include "engine/ostra_table.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzlookupcombo.h"
#include "support/flows/user_flow.h"

namespace {

class TLookupComboFlow : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.DropDown = c.ReadOnly = true;
        return c;
    }
    void Build(TForm* Form, TDataSource* Source) override {
        auto* lookup = new TOstraTable(Form);
        lookup->FieldDefs()->Add("Key", ftString, 20);
        lookup->Open();
        for (const char* k : {"Gamma", "Delta"}) lookup->AppendRecord({Variant(k)});
        lookup->First();
        int top = 8;
        for (const std::string& f : Fields()) {
            auto* c = new TqzDBCustomLookupCombo(Form);
            c->SetParent(Form);
            c->SetBounds(8, top, 200, 25);
            c->SetDataSource(Source);
            c->SetDataField(f);
            c->SetLookupTable(lookup);
            c->SetLookupField("Key");
            FCombos.push_back(c);
            top += 40;
        }
    }
    void Focus(const std::string& Field) override {
        TqzDBCustomLookupCombo* c = Combo(Field);
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
        for (TqzDBCustomLookupCombo* c : FCombos) c->SetReadOnly(On);
    }
    bool DroppedDown() override {
        for (TqzDBCustomLookupCombo* c : FCombos)
            if (c->IsDroppedDown()) return true;
        return false;
    }

private:
    TqzDBCustomLookupCombo* Combo(const std::string& Field) {
        const std::vector<std::string> f = Fields();
        for (size_t i = 0; i < f.size(); ++i)
            if (f[i] == Field) return FCombos[i];
        return FCombos.front();
    }
    std::vector<TqzDBCustomLookupCombo*> FCombos;
};

TFlowRegistration lookupCombo("SuiteLookupCombo", [] { return std::make_unique<TLookupComboFlow>(); });

}  // namespace
