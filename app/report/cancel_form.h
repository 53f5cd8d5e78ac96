// The cancel box: a small modeless status window with a Cancel button,
// shown while pages go to the printer. At most one exists; the functions
// below make, update, poll and free it.
#pragma once

#include <string>

#include "platform/ui/forms.h"

class TLabel;
class TBitBtn;

class TfrmCancel : public TForm {
    TASKMOOR_CLASS(TfrmCancel, TForm)
public:
    explicit TfrmCancel(TComponent* AOwner);
    ~TfrmCancel() override;

    TLabel* lblStatus;
    TBitBtn* bbnCancel;
    bool Cancelled = false;

    void bbnCancelClick(TObject* Sender);
    void FormCreate(TObject* Sender);
};

// Makes the box (owned by the main form) when there is none, sets its
// caption and status text and shows it.
void ShowCancelBox(const std::string& Caption, const std::string& Status);
// Makes the box when needed, sets the status text, centres and shows it.
void UpdateCancelBox(const std::string& Status);
// Lets waiting events run; when the user has cancelled, frees the box.
// Answers whether the user cancelled.
bool CheckCancel();
// Frees the box (nothing when there is none).
void CloseCancelBox();
// The box showing now, or nullptr.
TfrmCancel* CancelBox();
