// A shown form with one rich edit, test dialogs and modal forms, and the run
// of the rich edit's editor window with a step that works the window.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzricheditform.h"

class RichForm : public ::testing::Test {
protected:
    TForm* form = CreateForm<TForm>(Application);
    TqzCustomRichEdit* r = new TqzCustomRichEdit(form);
    TTestModalForms modal;
    TTestDialogs boxes;
    RichForm() {
        form->SetBounds(10, 10, 420, 300);
        r->SetParent(form);
        r->SetBounds(0, 0, 400, 260);
        form->Show();
    }
    ~RichForm() override { delete form; }
    void Rtf(const std::string& body) {
        ASSERT_TRUE(r->StreamIn("{\\rtf1\\ansi " + body + "}", true, false));
    }
    // Runs the editor; Step works the window.
    bool Edit(std::function<void(TqzRichEditForm*)> Step) {
        modal.Push([Step](TCustomForm* f) { Step(static_cast<TqzRichEditForm*>(f)); });
        return r->Execute();
    }
};
