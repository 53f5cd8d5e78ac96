// The dialog-style lookup combo in the user-flow suite: one combo per field
// over a lookup table of the engine whose only field is the key. Its
// drop-down is a modal dialog, not a list, so it joins the typing and
// read-only flows only.
#include "engine/ostra_table.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/testing.h"
#include "suite/data/qzlookupcombodlg.h"
#include "support/flows/combo_flow.h"

namespace {

class TLookupComboDlgFlow : public TComboFlowOf<TqzDBLookupComboDlg> {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.ReadOnly = true;
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
            auto* c = new TqzDBLookupComboDlg(Form);
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
};

TFlowRegistration lookupComboDlg("SuiteLookupComboDlg",
                                 [] { return std::make_unique<TLookupComboDlgFlow>(); });

}  // namespace
