// A rich edit on a form for the platform's own rich-edit tests, with its
// toolkit widget at hand.
#pragma once

#include <gtest/gtest.h>

#include <QTextEdit>

#include "platform/ui/richedit.h"
#include "support/ui/ui_probes.h"

class TRichEditOnFormTest : public ::testing::Test {
protected:
    TShownForm f;
    TRichEdit* r = nullptr;
    // Puts the rich edit on the form, Width x Height at (10, 10).
    void Place(int Width, int Height) {
        r = new TRichEdit(f.Form);
        r->SetParent(f.Form);
        r->SetBounds(10, 10, Width, Height);
    }
    QTextEdit* Edit() const { return qobject_cast<QTextEdit*>(r->Widget()); }
};
