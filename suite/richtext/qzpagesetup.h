// The page-setup dialog of a suite rich edit: paper (when the text wraps at
// the printer width), orientation and the four print margins in the rich
// edit's units. OK writes the margins and the paper back into the rich edit
// (PrintMargins, PrintPageSize) so the next Print keeps them.
#pragma once

#include "platform/ui/stddialogs.h"

class TqzCustomRichEdit;

class TqzPageSetupDialog : public TCommonDialog {
    TASKMOOR_CLASS(TqzPageSetupDialog, TCommonDialog)
public:
    explicit TqzPageSetupDialog(TComponent* AOwner);
    TqzCustomRichEdit* RichEdit() const { return FRichEdit; }
    void SetRichEdit(TqzCustomRichEdit* Value) { FRichEdit = Value; }
    // True when the user pressed OK; Cancel changes nothing.
    bool Execute() override;

private:
    TqzCustomRichEdit* FRichEdit = nullptr;
};
