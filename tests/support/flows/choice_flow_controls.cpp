// The controls of the choice flows: the platform's data-aware check box (as
// the main window and the quote editor use it, over text fields storing
// "True" and "False") and the suite's lookup list over a lookup table per field.
#include <algorithm>
#include <map>

#include "engine/ostra_table.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzlookuplist.h"
#include "support/flows/choice_flow.h"

std::vector<TFlowInstance>& ChoiceInstances() {
    static std::vector<TFlowInstance> instances;
    return instances;
}

namespace {

// One control of type T per field, with the focus, clicks and read-only switch.
template <class T>
class TChoicesOf : public TChoiceFlowControl {
public:
    void Focus(const std::string& Field) override {
        FControls[Field]->SetFocus();
        ProcessEvents();
    }
    void Click(const std::string& Field, int) override {
        SendClick(FControls[Field], 5, 5);
        ProcessEvents();
    }
    TWinControl* Control(const std::string& Field) override { return FControls[Field]; }
    void SetReadOnly(bool On) override {
        for (auto& [f, c] : FControls) c->SetReadOnly(On);
    }

protected:
    T* Add(TForm* Form, TDataSource* Source, const std::string& Field, int Top, int Height) {
        auto* c = new T(Form);
        c->SetParent(Form);
        c->SetBounds(8, Top, 200, Height);
        c->SetDataSource(Source);
        c->SetDataField(Field);
        FControls[Field] = c;
        return c;
    }
    std::map<std::string, T*> FControls;
};

// ---- The check box: Space turns it; a text that is neither value shows grayed ---------------

class TCheckBoxFlow : public TChoicesOf<TDBCheckBox> {
public:
    TFlowCaps Caps() const override { return {}; }
    void Build(TForm* Form, TDataSource* Source) override {
        int top = 8;
        for (const std::string& f : Fields()) {
            TDBCheckBox* c = Add(Form, Source, f, top, 20);
            c->SetCaption(f);
            top += 40;
        }
    }
    std::string Shown(const std::string& Field) override {
        const TCheckBoxState s = FControls[Field]->State();
        return s == cbChecked ? "checked" : s == cbUnchecked ? "unchecked" : "grayed";
    }
    void Choose() override { SendKeyToFocus(VK_SPACE); }
    // Grayed and unchecked turn checked.
    std::string Chosen(const std::string&, const std::string& Before) const override {
        return Before == "True" ? "False" : "True";
    }
};

// ---- The lookup list: Down chooses the next lookup record -----------------------------------

const char* const kKeys[] = {"A1", "Alpha", "B2", "Beta", "Delta", "Gamma"};

class TLookupListFlow : public TChoicesOf<TqzDBLookupList> {
public:
    TFlowCaps Caps() const override { return {}; }
    void Build(TForm* Form, TDataSource* Source) override {
        int top = 8;
        for (const std::string& f : Fields()) {
            auto* lookup = new TOstraTable(Form);
            lookup->FieldDefs()->Add("Key", ftString, 20);
            lookup->Open();
            for (const char* k : kKeys) lookup->AppendRecord({Variant(k)});
            lookup->First();
            TqzDBLookupList* l = Add(Form, Source, f, top, 100);
            l->SetLookupTable(lookup);
            l->SetLookupField("Key");
            top += 120;
        }
    }
    std::string Shown(const std::string& Field) override { return FControls[Field]->ValueText(0); }
    // A click on a data row of the list.
    void Click(const std::string& Field, int Row) override {
        TqzDBLookupList* l = FControls[Field];
        const TRect r = l->CellRect(l->IndicatorOffset(), Row + l->TitleOffset());
        SendClick(l, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
    }
    void Choose() override { SendKeyToFocus(VK_DOWN); }
    std::string Chosen(const std::string&, const std::string& Before) const override {
        const auto* end = std::end(kKeys);
        const auto* at = std::find_if(std::begin(kKeys), end, [&](const char* k) { return Before == k; });
        return at == end || at + 1 == end ? Before : *(at + 1);
    }
};

TChoiceFlowRegistration checkBox("DBCheckBox", [] { return std::make_unique<TCheckBoxFlow>(); });
TChoiceFlowRegistration lookupList("SuiteLookupList", [] { return std::make_unique<TLookupListFlow>(); });

}  // namespace
