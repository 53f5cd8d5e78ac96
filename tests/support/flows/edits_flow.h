// One data-aware edit per field as a flow control, shared by the adapters of
// the one-field edits.
#pragma once

#include <map>
#include <string>

#include "platform/ui/testing.h"
#include "support/flows/user_flow.h"

// One edit of type T per field; T has SetDataSource, SetDataField, SelectAll.
template <class T>
class TEditsFlow : public TFlowControl {
public:
    void Build(TForm* Form, TDataSource* Source) override {
        int top = 8;
        for (const std::string& f : Fields()) {
            T* e = Make(Form);
            e->SetParent(Form);
            e->SetBounds(8, top, 200, 24);
            e->SetDataSource(Source);
            e->SetDataField(f);
            FEdits[f] = e;
            top += 40;
        }
    }
    void Focus(const std::string& Field) override {
        FEdits[Field]->SetFocus();
        ProcessEvents();
        FEdits[Field]->SelectAll();
    }
    std::string Shown(const std::string& Field) override { return FEdits[Field]->Text(); }
    void Click(const std::string& Field, int) override {
        SendClick(FEdits[Field], 5, 5);
        ProcessEvents();
    }
    TWinControl* Control(const std::string& Field) override { return FEdits[Field]; }

protected:
    virtual T* Make(TForm* Form) { return new T(Form); }
    std::map<std::string, T*> FEdits;
};
