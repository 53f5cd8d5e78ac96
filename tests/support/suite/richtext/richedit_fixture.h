// A shown form with one rich edit, test dialogs answering message boxes,
// and helpers for the find and replace dialogs.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/application.h"
#include "platform/ui/find_dialogs.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzriched.h"

namespace richtext_test {

class RichEditFixture : public ::testing::Test {
protected:
    TForm* form = new TForm(nullptr);
    TqzCustomRichEdit* r = new TqzCustomRichEdit(form);
    TTestDialogs boxes;
    RichEditFixture() {
        form->SetBounds(10, 10, 400, 300);
        r->SetParent(form);
        r->SetBounds(0, 0, 380, 260);
        form->Show();
    }
    ~RichEditFixture() override { delete form; }
    void Set(const std::string& text) { r->StreamIn(text, false, false); }
    // Types the text into the open dialog's find box and presses Enter.
    void FindWith(TFindDialog* d, const std::string& text) {
        d->FindEdit()->SelectAll();
        SendText(d->FindEdit(), text);
        SendKey(d->FindEdit(), VK_RETURN);
    }
    int NoMore() const {
        int n = 0;
        for (const auto& m : boxes.Messages()) n += m.Text == "No more matches found";
        return n;
    }
};

}  // namespace richtext_test
