// A message or input box that no test answered fails the test that showed it,
// with its text, and answers its cancel button: the toolkit's box would wait
// for a click until the run timed out. Every test program with windows installs
// it first; the tests of the toolkit's own boxes take the real ones for a scope.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/dialogs.h"

class TUnansweredBoxes : public TDialogService {
public:
    TModalResult MessageBox(const TMessageBoxRequest& Request) override {
        ADD_FAILURE() << "a message box no test answered: " << Request.Text;
        return ModalResultOf(Request.CancelButton);
    }
    bool InputQuery(const std::string&, const std::string& Prompt, std::string&) override {
        ADD_FAILURE() << "an input box no test answered: " << Prompt;
        return false;
    }
};

inline void FailUnansweredBoxes() {
    static TUnansweredBoxes boxes;
    SetDialogService(&boxes);
}

// The toolkit's real boxes while it lives.
class TToolkitBoxes {
public:
    TToolkitBoxes() : FPrevious(SetDialogService(nullptr)) {}
    ~TToolkitBoxes() { SetDialogService(FPrevious); }
    TToolkitBoxes(const TToolkitBoxes&) = delete;
    TToolkitBoxes& operator=(const TToolkitBoxes&) = delete;

private:
    TDialogService* FPrevious;
};
