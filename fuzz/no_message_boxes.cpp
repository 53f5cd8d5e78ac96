// Linked into every fuzz target that can reach a message box: a box the
// target did not answer itself is a finding, reported with its text, where
// the toolkit's modal box would wait for a click until the run times out.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ui/dialogs.h"

namespace {

class TAbortingDialogs : public TDialogService {
public:
    TModalResult MessageBox(const TMessageBoxRequest& Request) override {
        std::fprintf(stderr, "a message box was shown: %s\n", Request.Text.c_str());
        std::abort();
    }
    bool InputQuery(const std::string&, const std::string& Prompt, std::string&) override {
        std::fprintf(stderr, "an input box was shown: %s\n", Prompt.c_str());
        std::abort();
    }
};

TAbortingDialogs GAborting;
const bool GInstalled = (SetDialogService(&GAborting), true);

}  // namespace
