// The rich edits freed by their own handlers (keys, a double click,
// leaving): each ends quietly and the form goes on taking input.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzdbrichedit.h"
#include "support/ui/freeing_cases.h"

namespace {

class RichEditFreedTest : public ::testing::Test {
protected:
    std::unique_ptr<TOstraTable> T = std::make_unique<TOstraTable>(nullptr);
    TDataSource Source{nullptr};
    TForm* Form = CreateForm<TForm>(Application);
    TEdit* Survivor = nullptr;
    TTestDialogs Dialogs;

    void SetUp() override {
        T->FieldDefs()->Add("Action", ftString, 40);
        T->FieldDefs()->Add("Notes", ftBlob);
        T->Open();
        T->Append();
        T->FieldByName("Action")->SetAsString("Write");
        T->FieldByName("Notes")->SetAsString("plain notes");
        T->Post();
        Source.SetDataSet(T.get());
        Form->SetBounds(30, 30, 460, 320);
        Survivor = new TEdit(Form);
        Survivor->SetParent(Form);
        Survivor->SetBounds(10, 280, 100, 24);
        Form->Show();
        ActivateForm(Form);
    }
    ~RichEditFreedTest() override {
        delete Form;
        Source.SetDataSet(nullptr);
    }
    TqzDBRichEdit* Make(const std::string& Field) {
        auto* r = new TqzDBRichEdit(Form);
        r->SetParent(Form);
        r->SetBounds(10, 10, 420, 200);
        if (!Field.empty()) {
            r->SetDataSource(&Source);
            r->SetDataField(Field);
        }
        r->SetFocus();
        ProcessEvents();
        return r;
    }
    void RunCases(const TFreeingCases& Cases) {
        RunFreeingCases(Form, Survivor, Cases, [this] {
            if (T->State() != dsBrowse) T->Cancel();
        });
    }
};

TEST_F(RichEditFreedTest, AHandlerMayFreeTheRichEditThatCalledIt) {
    RunCases({
        {"key down",
         [&] {
             TqzDBRichEdit* r = Make("Notes");
             r->SetOnKeyDown(TKeyEvent([](TObject* Sender, uint16_t&, TShiftState) { delete Sender; }));
             SendKey(r, VK_F2);
         }},
        {"key press in a bound edit",
         [&] {
             TqzDBRichEdit* r = Make("Action");
             r->SetOnKeyPress(TKeyPressEvent([](TObject* Sender, char32_t&) { delete Sender; }));
             SendKey(r, 'A');
         }},
        {"double click",
         [&] {
             TqzDBRichEdit* r = Make("");
             r->SetOnDblClick(FreeSender());
             SendDoubleClick(r, 20, 10);
         }},
        {"left",
         [&] {
             TqzDBRichEdit* r = Make("Action");
             r->SetOnExit(FreeSender());
             Survivor->SetFocus();
         }},
    });
}

}  // namespace
