// The two memo fields on data-aware rich edits, shared by the rich-edit flow
// controls; the fields hold RTF and the flows compare their plain text.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/db/fields.h"
#include "platform/ui/testing.h"
#include "suite/base/qzrtftext.h"
#include "suite/richtext/qzdbrichedit.h"
#include "support/flows/user_flow.h"

class TRichEditFlowBase : public TFlowControl {
public:
    std::vector<std::string> Fields() const override { return {"Notes", "Details"}; }
    void Build(TForm* Form, TDataSource* Source) override {
        int top = 8;
        for (const std::string& f : Fields()) {
            auto* e = new TqzDBRichEdit(Form);
            e->SetParent(Form);
            e->SetBounds(8, top, 300, 60);
            // Enter leaves the text as it is: the flows' Enter is no new line.
            e->SetWantReturns(false);
            e->SetDataSource(Source);
            e->SetDataField(f);
            FEdits[f] = e;
            top += 80;
        }
    }
    void Focus(const std::string& Field) override {
        FEdits[Field]->SetFocus();
        ProcessEvents();
        FEdits[Field]->SelectAll();
    }
    // Ctrl+A.
    void Entered(const std::string&) override {
        SendKeyToFocus('A', {ssCtrl});
        ProcessEvents();
    }
    std::string Shown(const std::string& Field) override { return Plain(FEdits[Field]->Text()); }
    void Click(const std::string& Field, int) override {
        SendClick(FEdits[Field], 5, 5);
        ProcessEvents();
    }
    TWinControl* Control(const std::string& Field) override { return FEdits[Field]; }
    std::string Stored(TField* Field) override {
        const std::string s = Field->AsString();
        return Plain(qzLooksLikeRichText(s) ? qzRtfToPlainText(s) : s);
    }

protected:
    // Without the line end closing the last paragraph.
    static std::string Plain(std::string Text) {
        while (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r')) Text.pop_back();
        return Text;
    }
    std::map<std::string, TqzDBRichEdit*> FEdits;
};
