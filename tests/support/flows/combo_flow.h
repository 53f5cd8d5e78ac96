// A drop-down combo per field as a flow control: what the combo box and the
// lookup combo adapters share. A descendant builds the combos into FCombos.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/testing.h"
#include "support/flows/user_flow.h"

template <class TCombo>
class TComboFlowOf : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.DropDown = c.ReadOnly = c.Undo = true;
        return c;
    }
    void Focus(const std::string& Field) override {
        TCombo* c = Combo(Field);
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
        for (TCombo* c : FCombos) c->SetReadOnly(On);
    }
    bool DroppedDown() override {
        for (TCombo* c : FCombos)
            if (c->IsDroppedDown()) return true;
        return false;
    }

protected:
    TCombo* Combo(const std::string& Field) {
        const std::vector<std::string> f = Fields();
        for (size_t i = 0; i < f.size(); ++i)
            if (f[i] == Field) return FCombos[i];
        return FCombos.front();
    }
    std::vector<TCombo*> FCombos;
};

// A combo flow whose combos take right to left from their form: text, keys
// and the open list read from the right.
template <class TFlow>
class TRightToLeftComboFlow : public TFlow {
public:
    void Build(TForm* Form, TDataSource* Source) override {
        TFlow::Build(Form, Source);
        Form->SetBiDiMode(bdRightToLeft);
    }
};
