// A flow adapter base for the lookup combos: one combo per field over a
// lookup table of the engine whose only field is the key, so the combo shows
// the key itself and a typed text not in the list becomes the value.
#pragma once

#include <string>

#include "engine/ostra_table.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/testing.h"
#include "support/flows/combo_flow.h"

template <class TCombo>
class TLookupComboFlowOf : public TComboFlowOf<TCombo> {
public:
    void Build(TForm* Form, TDataSource* Source) override {
        auto* lookup = new TOstraTable(Form);
        lookup->FieldDefs()->Add("Key", ftString, 20);
        lookup->Open();
        for (const char* k : {"Gamma", "Delta"}) lookup->AppendRecord({Variant(k)});
        lookup->First();
        int top = 8;
        for (const std::string& f : this->Fields()) {
            auto* c = new TCombo(Form);
            c->SetParent(Form);
            c->SetBounds(8, top, 200, 25);
            c->SetDataSource(Source);
            c->SetDataField(f);
            c->SetLookupTable(lookup);
            c->SetLookupField("Key");
            this->FCombos.push_back(c);
            top += 40;
        }
    }
};
