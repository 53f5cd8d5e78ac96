// Cases of a control freed by one of its own handlers. Each case makes the
// control, has a handler free it and sends the input that fires it; after
// it the form has exactly the controls it had before, a surviving edit still
// takes typing, and no box has shown.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"

using TFreeingCases = std::vector<std::pair<std::string, std::function<void()>>>;

// AfterEach puts the data back (a dataset left in edit, a pointer to the freed control).
inline void RunFreeingCases(TWinControl* Form, TCustomEdit* Survivor, const TFreeingCases& Cases,
                            const std::function<void()>& AfterEach = {}) {
    TTestDialogs dialogs;
    for (const auto& [name, run] : Cases) {
        SCOPED_TRACE(name);
        const int before = Form->ControlCount();
        run();
        ProcessEvents();
        EXPECT_EQ(Form->ControlCount(), before);  // made and freed
        if (AfterEach) AfterEach();
        Survivor->SetFocus();
        Survivor->SelectAll();
        SendText(Survivor, "ok");
        EXPECT_EQ(Survivor->Text(), "ok");
    }
    EXPECT_EQ(dialogs.Count(), 0);
}

// A handler that frees its sender.
inline TNotifyEvent FreeSender() {
    return TNotifyEvent([](TObject* Sender) { delete Sender; });
}
