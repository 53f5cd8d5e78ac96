// The engine's drop-down edit freed by its own handlers (the custom dialog,
// the drop-down opening and closing, keys, changes, leaving): each ends
// quietly and the form goes on taking input.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/engine-controls/dbedit_test_fixture.h"
#include "support/ui/freeing_cases.h"

namespace {

class DBEditFreedTest : public DBEditTest {
protected:
    void RunCases(const TFreeingCases& Cases) {
        RunFreeingCases(Form, Other, Cases, [this] {
            if (Goals->State() != dsBrowse) Goals->Cancel();
        });
    }
};

TEST_F(DBEditFreedTest, AHandlerMayFreeTheDropDownEditThatCalledIt) {
    RunCases({
        {"custom dialog by Ctrl+Enter",
         [&] {
             TOstraDBEdit* e = NewEdit(odsCustomDlg);
             Bind(e, "Group");
             e->SetOnCustomDlg(FreeSender());
             Focus(e);
             Key(e, VK_RETURN, {ssCtrl});
         }},
        {"custom dialog by the button",
         [&] {
             TOstraDBEdit* e = NewEdit(odsCustomDlg);
             Bind(e, "Group");
             e->SetOnCustomDlg(FreeSender());
             Focus(e);
             ClickButton(e);
         }},
        {"drop-down opening",
         [&] {
             TOstraDBEdit* e = NewPriorityEdit();
             e->SetOnDropDown(FreeSender());
             Focus(e);
             Key(e, VK_DOWN, {ssAlt});
         }},
        {"drop-down closing",
         [&] {
             TOstraDBEdit* e = NewPriorityEdit();
             e->SetOnCloseUp(TOstraCloseUpEvent([](TObject* Sender, bool) { delete Sender; }));
             Focus(e);
             Key(e, VK_DOWN, {ssAlt});
             Key(e, VK_DOWN);
             Key(e, VK_RETURN);
         }},
        {"calendar closing",
         [&] {
             TOstraDBEdit* e = NewDateEdit();
             e->SetOnCloseUp(TOstraCloseUpEvent([](TObject* Sender, bool) { delete Sender; }));
             Focus(e);
             Key(e, VK_DOWN, {ssAlt});
             Key(e, VK_ESCAPE);
         }},
        {"key down",
         [&] {
             TOstraDBEdit* e = NewEdit(odsEdit);
             Bind(e, "Group");
             e->SetOnKeyDown(TKeyEvent([](TObject* Sender, uint16_t&, TShiftState) { delete Sender; }));
             Focus(e);
             Key(e, VK_DELETE);
         }},
        {"key press",
         [&] {
             TOstraDBEdit* e = NewEdit(odsEdit);
             Bind(e, "Group");
             e->SetOnKeyPress(TKeyPressEvent([](TObject* Sender, char32_t&) { delete Sender; }));
             Focus(e);
             Key(e, 'A');
         }},
        {"changed",
         [&] {
             TOstraDBEdit* e = NewEdit(odsEdit);
             Bind(e, "Group");
             e->SetOnChange(FreeSender());
             Focus(e);
             Key(e, 'A');
         }},
        {"left",
         [&] {
             TOstraDBEdit* e = NewEdit(odsEdit);
             Bind(e, "Group");
             e->SetOnExit(FreeSender());
             Focus(e);
             Type(e, "x");
             Other->SetFocus();
         }},
    });
}

}  // namespace
