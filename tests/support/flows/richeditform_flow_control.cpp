// The rich-text editor window in the user-flow suite: F2 on a data-aware
// rich edit opens the window on the field's text; the window flows type,
// undo and close it there, and the field gets the text back only as the
// close rules say.
#include <map>

#include "platform/db/fields.h"
#include "platform/ui/testing.h"
#include "suite/base/qzrtftext.h"
#include "suite/richtext/qzdbrichedit.h"
#include "suite/richtext/qzricheditform.h"
#include "support/flows/user_flow.h"

namespace {

// Without the line end closing the last paragraph.
std::string Plain(std::string Text) {
    while (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r')) Text.pop_back();
    return Text;
}

class TRichEditFormFlow : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.Window = true;
        return c;
    }
    std::vector<std::string> Fields() const override { return {"Notes", "Details"}; }
    void Build(TForm* Form, TDataSource* Source) override {
        int top = 8;
        for (const std::string& f : Fields()) {
            auto* e = new TqzDBRichEdit(Form);
            e->SetParent(Form);
            e->SetBounds(8, top, 300, 60);
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
    std::string WindowText() override {
        for (auto& [f, e] : FEdits)
            if (auto* w = dynamic_cast<TqzRichEditForm*>(e->EditorForm()))
                return Plain(w->RichEdit()->Text());
        return std::string();
    }
    void SetNoConfirmation(bool On) override {
        for (auto& [f, e] : FEdits) {
            const unsigned bit = 1u << reoNoConfirmation;
            e->SetEditorOptions(On ? e->EditorOptions() | bit : e->EditorOptions() & ~bit);
        }
    }
    std::string Stored(TField* Field) override {
        const std::string s = Field->AsString();
        return Plain(qzLooksLikeRichText(s) ? qzRtfToPlainText(s) : s);
    }

private:
    std::map<std::string, TqzDBRichEdit*> FEdits;
};

TFlowRegistration richEditForm("RichEditForm", [] { return std::make_unique<TRichEditFormFlow>(); });

}  // namespace
