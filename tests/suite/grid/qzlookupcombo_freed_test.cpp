// The lookup combo freed by its own handlers (typing that changes it, a
// key, leaving): each ends quietly and the form goes on taking input.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/suite/grid/qzlookupcombo_fixture.h"

namespace {

using QzLookupComboFreed = QzLookupComboTest;

TEST_F(QzLookupComboFreed, AHandlerMayFreeTheLookupComboThatCalledIt) {
    TTestDialogs dialogs;
    const auto freeSender = TNotifyEvent([](TObject* Sender) { delete Sender; });
    const std::vector<std::pair<std::string, std::function<void(TqzDBCustomLookupCombo*)>>> cases = {
        {"changed by typing",
         [&](TqzDBCustomLookupCombo* c) {
             c->SetOnChange(freeSender);
             SendKey(c, 'C');
         }},
        {"key down",
         [&](TqzDBCustomLookupCombo* c) {
             c->SetOnKeyDown(TKeyEvent([](TObject* Sender, uint16_t&, TShiftState) { delete Sender; }));
             SendKey(c, VK_DOWN);
         }},
        {"left",
         [&](TqzDBCustomLookupCombo* c) {
             c->SetOnExit(freeSender);
             Other->SetFocus();
         }},
    };
    for (const auto& [name, run] : cases) {
        SCOPED_TRACE(name);
        if (!Combo) {
            Combo = new TqzDBCustomLookupCombo(Form);
            Combo->SetParent(Form);
            Combo->SetBounds(10, 10, 200, 25);
        }
        Bind("Id");
        const int before = Form->ControlCount();
        run(Combo);
        ProcessEvents();
        EXPECT_EQ(Form->ControlCount(), before - 1);  // freed
        Combo = nullptr;
        if (Orders->State() != dsBrowse) Orders->Cancel();
        Other->SetFocus();
        Other->Clear();
        SendText(Other, "ok");
        EXPECT_EQ(Other->Text(), "ok");
    }
    EXPECT_EQ(dialogs.Count(), 0);
}

}  // namespace
