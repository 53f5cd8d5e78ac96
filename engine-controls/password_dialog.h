// The table engine's password dialog and the prompt service built on it.
//
// The engine asks for passwords through the replaceable prompt of
// engine/password.h. A program with windows installs TOstraDialogPasswordPrompt
// (InstallOstraPasswordDialog) at start-up: it shows TOstraPasswordForm
// modally and reports a wrong password in a message box.
#pragma once

#include <string>

#include "engine/password.h"
#include "platform/ui/forms.h"

class TButton;
class TEdit;
class TLabel;

// A modal form captioned "Login password": the label "Enter password:", a
// masked one-line edit, and "OK" (Enter) and "Cancel" (Escape).
class TOstraPasswordForm : public TForm {
    TASKMOOR_CLASS(TOstraPasswordForm, TForm)
public:
    explicit TOstraPasswordForm(TComponent* AOwner);

    TLabel* PasswordLabel() const { return FLabel; }
    TEdit* PasswordEdit() const { return FEdit; }
    TButton* OKButton() const { return FOKButton; }
    TButton* CancelButton() const { return FCancelButton; }

private:
    TLabel* FLabel;
    TEdit* FEdit;
    TButton* FOKButton;
    TButton* FCancelButton;
};

// Shows the dialog; True with the typed text when OK closes it, False when
// it is cancelled (Password is then left as it was).
bool OstraPasswordDialog(std::string& Password);

class TOstraDialogPasswordPrompt : public TOstraPasswordPrompt {
public:
    bool PromptPassword(std::string& Password) override;
    void ShowMessage(const std::string& Message) override;
};

// Makes the dialog the engine's password prompt.
void InstallOstraPasswordDialog();
