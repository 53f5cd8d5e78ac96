// The dialog base of the suite's non-visual dialog components, the suite's
// own data source, and the OK, Cancel and Help buttons of its dialogs.
#pragma once

#include "platform/db/datasource.h"
#include "platform/ui/stdctrls.h"

class TDataSet;

// A component dropped on a form that shows a dialog when told to. Every
// concrete dialog overrides both operations; calling one that is not
// overridden raises EAbstractError "Abstract Error".
class TqzCustomDialog : public TComponent {
    TASKMOOR_CLASS(TqzCustomDialog, TComponent)
public:
    using TComponent::TComponent;

    // Shows the dialog modally; True when the user confirmed.
    virtual bool Execute();
    // The dataset the dialog works on, or nullptr.
    virtual TDataSet* GetPrimaryDataSet();
};

class TqzDataSource : public TDataSource {
    TASKMOOR_CLASS(TqzDataSource, TDataSource)
public:
    using TDataSource::TDataSource;
};

// Kinds of qzCreateDialogButton.
constexpr int qzbkOK = 1, qzbkCancel = 2, qzbkHelp = 3;

// A new hidden button owned by and placed on Owner: a bitmap button of the
// kind when the global settings' OKCancelBitmapped is on (77 x 27), else a
// plain one (77 x 24), both scaled by the screen's pixels per inch. OK
// answers mrOk, Cancel answers mrCancel and is the cancel button.
TButton* qzCreateDialogButton(TWinControl* Owner, int Kind);

// Shows Form modally with Current pointing at it for the length of the run,
// cleared again however the run ends; the modal result.
template <class TForm>
int qzShowModal(TForm* Form, TForm*& Current) {
    struct TClear {
        TForm*& Slot;
        ~TClear() { Slot = nullptr; }
    } clear{Current};
    Current = Form;
    return Form->ShowModal();
}
