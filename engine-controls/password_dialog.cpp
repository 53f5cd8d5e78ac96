// The password form, and the prompt that shows it when a protected table opens.
#include "engine-controls/password_dialog.h"

#include <memory>

#include "engine/messages.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/stdctrls.h"

TOstraPasswordForm::TOstraPasswordForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(SPasswordCaption);
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetPosition(poScreenCenter);
    SetClientWidth(268);
    SetClientHeight(104);

    FLabel = new TLabel(this);
    FLabel->SetParent(this);
    FLabel->SetCaption(SPasswordLabel);
    FLabel->SetBounds(12, 12, 244, 16);

    FEdit = new TEdit(this);
    FEdit->SetParent(this);
    FEdit->SetBounds(12, 32, 244, 21);
    FEdit->SetPasswordChar(U'*');
    FEdit->SetTabOrder(0);

    FOKButton = new TButton(this);
    FOKButton->SetParent(this);
    FOKButton->SetCaption("OK");
    FOKButton->SetBounds(100, 68, 75, 25);
    FOKButton->SetDefault(true);
    FOKButton->SetModalResult(mrOk);
    FOKButton->SetTabOrder(1);

    FCancelButton = new TButton(this);
    FCancelButton->SetParent(this);
    FCancelButton->SetCaption("Cancel");
    FCancelButton->SetBounds(181, 68, 75, 25);
    FCancelButton->SetCancel(true);
    FCancelButton->SetModalResult(mrCancel);
    FCancelButton->SetTabOrder(2);

    SetActiveControl(FEdit);
}

bool OstraPasswordDialog(std::string& Password) {
    std::unique_ptr<TOstraPasswordForm> form(CreateForm<TOstraPasswordForm>(nullptr));
    if (form->ShowModal() != mrOk) return false;
    Password = form->PasswordEdit()->Text();
    return true;
}

bool TOstraDialogPasswordPrompt::PromptPassword(std::string& Password) {
    return OstraPasswordDialog(Password);
}

void TOstraDialogPasswordPrompt::ShowMessage(const std::string& Message) { ::ShowMessage(Message); }

void InstallOstraPasswordDialog() {
    OstraPasswords().SetPrompt(std::make_shared<TOstraDialogPasswordPrompt>());
}
