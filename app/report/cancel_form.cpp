// The one cancel box: made on first need, updated while printing, asked whether the user
// cancelled, and closed.
#include "app/report/cancel_form.h"

#include "app/report/form_layout.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/stdctrls.h"

namespace {

// The one box, and whether its user cancelled. The flag outlives the box so
// that nobody reads a freed form.
TfrmCancel* GBox = nullptr;
bool GCancelled = false;

TfrmCancel* NeedBox() {
    if (!GBox) {
        TComponent* owner = Application && Application->MainForm()
                                ? static_cast<TComponent*>(Application->MainForm())
                                : static_cast<TComponent*>(Application);
        GCancelled = false;
        GBox = CreateForm<TfrmCancel>(owner);
    }
    return GBox;
}

}  // namespace

TfrmCancel::TfrmCancel(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Status");
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetClientWidth(280);
    SetClientHeight(96);

    lblStatus = new TLabel(this);
    lblStatus->SetName("lblStatus");
    lblStatus->SetParent(this);
    lblStatus->SetAutoSize(false);
    lblStatus->SetAlignment(taCenter);
    lblStatus->SetShowAccelChar(false);
    lblStatus->SetBounds(8, 16, 264, 20);

    bbnCancel = new TBitBtn(this);
    bbnCancel->SetName("bbnCancel");
    bbnCancel->SetParent(this);
    bbnCancel->SetKind(bkCancel);
    bbnCancel->SetCaption("&Cancel");
    bbnCancel->SetCancel(true);
    bbnCancel->SetModalResult(mrCancel);
    bbnCancel->SetBounds(100, 54, 80, 27);
    bbnCancel->SetOnClick(MakeEvent(this, &TfrmCancel::bbnCancelClick));

    SetOnCreate(MakeEvent(this, &TfrmCancel::FormCreate));
}

TfrmCancel::~TfrmCancel() {
    // Freed by its owner: the unit forgets it.
    if (GBox == this) GBox = nullptr;
}

void TfrmCancel::bbnCancelClick(TObject*) { Cancelled = true; }

void TfrmCancel::FormCreate(TObject*) { CentreOverMainForm(this); }

void ShowCancelBox(const std::string& Caption, const std::string& Status) {
    TfrmCancel* box = NeedBox();
    box->SetCaption(Caption);
    box->lblStatus->SetCaption(Status);
    box->Show();
}

void UpdateCancelBox(const std::string& Status) {
    TfrmCancel* box = NeedBox();
    box->lblStatus->SetCaption(Status);
    CentreOverMainForm(box);
    box->Show();
}

bool CheckCancel() {
    if (Application) Application->ProcessMessages();
    if (GBox && GBox->Cancelled) {
        GCancelled = true;
        CloseCancelBox();
    }
    return GCancelled;
}

void CloseCancelBox() {
    TfrmCancel* box = GBox;
    GBox = nullptr;
    delete box;
}

TfrmCancel* CancelBox() { return GBox; }
