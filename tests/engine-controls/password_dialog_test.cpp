// The engine's password dialog, driven by typed keys on the offscreen platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "engine-controls/password_dialog.h"
#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "support/engine/engine_test_support.h"
#include "support/environment.h"

namespace {

// Types Text into the dialog's edit, then presses Key.
TTestModalForms::TStep TypeAndPress(const std::string& Text, uint16_t Key, std::string* Shown = nullptr) {
    return [Text, Key, Shown](TCustomForm* form) {
        auto* dialog = dynamic_cast<TOstraPasswordForm*>(form);
        ASSERT_NE(nullptr, dialog);
        // The edit has the focus when the dialog comes up: typing goes there.
        ActivateForm(form);
        ASSERT_EQ(dialog->PasswordEdit(), FocusedControl());
        SendText(FocusedControl(), Text);
        if (Shown) *Shown = dialog->PasswordEdit()->Text();
        SendKeyToFocus(Key);
    };
}

}  // namespace

TEST(PasswordDialogTest, ShowsCaptionLabelMaskedEditAndButtons) {
    std::unique_ptr<TOstraPasswordForm> form(CreateForm<TOstraPasswordForm>(nullptr));
    EXPECT_EQ("Login password", form->Caption());
    EXPECT_EQ("Enter password:", form->PasswordLabel()->Caption());
    EXPECT_EQ(U'*', form->PasswordEdit()->PasswordChar());
    // Everything lies inside the client area.
    for (TControl* c :
         {static_cast<TControl*>(form->PasswordLabel()), static_cast<TControl*>(form->PasswordEdit()),
          static_cast<TControl*>(form->OKButton()), static_cast<TControl*>(form->CancelButton())}) {
        EXPECT_LE(c->Left() + c->Width(), form->ClientWidth());
        EXPECT_LE(c->Top() + c->Height(), form->ClientHeight());
    }
}

TEST(PasswordDialogTest, EnterConfirmsTheTypedText) {
    TTestModalForms script;
    std::string shown;
    script.Push(TypeAndPress("s3cret", VK_RETURN, &shown));
    std::string password = "old";
    EXPECT_TRUE(OstraPasswordDialog(password));
    EXPECT_EQ("s3cret", password);
    EXPECT_EQ("s3cret", shown);
    EXPECT_EQ((std::vector<std::string>{"TOstraPasswordForm"}), script.Shown());
}

TEST(PasswordDialogTest, EscapeCancelsAndKeepsThePassword) {
    TTestModalForms script;
    script.Push(TypeAndPress("typed", VK_ESCAPE));
    std::string password = "old";
    EXPECT_FALSE(OstraPasswordDialog(password));
    EXPECT_EQ("old", password);
}

TEST(PasswordDialogTest, ButtonsCloseTheDialog) {
    TTestModalForms script;
    script.Push([](TCustomForm* form) {
        auto* dialog = static_cast<TOstraPasswordForm*>(form);
        SendText(dialog->PasswordEdit(), "abc");
        dialog->OKButton()->Click();
    });
    script.Push([](TCustomForm* form) {
        auto* dialog = static_cast<TOstraPasswordForm*>(form);
        SendText(dialog->PasswordEdit(), "abc");
        dialog->CancelButton()->Click();
    });
    std::string password;
    EXPECT_TRUE(OstraPasswordDialog(password));
    EXPECT_EQ("abc", password);
    password.clear();
    EXPECT_FALSE(OstraPasswordDialog(password));
    EXPECT_EQ("", password);
}

// The dialog as the engine's prompt: a protected table asks for its password.
TEST(PasswordDialogTest, OpeningAProtectedTableAsksThroughTheDialog) {
    TTestEnvironment env;
    const std::string dir = env.Folder() + "/";
    {
        TOstraTable t(nullptr);
        t.FieldDefs()->Add("Name", ftString, 20);
        t.Open();
        PutText(&t, "Name", "hidden", true);
        t.SetPassword("right");
        t.SaveToFile(dir + "p.d");
    }
    OstraPasswords().ClearPasswords();
    InstallOstraPasswordDialog();
    TTestDialogs messages;
    TTestModalForms script;
    script.Push(TypeAndPress("wrong", VK_RETURN));
    script.Push(TypeAndPress("right", VK_RETURN));

    TOstraTable t(nullptr);
    t.SetTableName(dir + "p.d");
    t.Open();
    EXPECT_EQ("hidden", t.FieldByName("Name")->AsString());
    EXPECT_EQ(0, script.Pending());
    ASSERT_EQ(1, messages.Count());
    EXPECT_EQ("Password is invalid. Try again", messages.Last().Text);
    t.Close();

    OstraPasswords().ClearPasswords();
    t.SetPassword("");
    script.Push(TypeAndPress("", VK_ESCAPE));
    EXPECT_THROW(t.Open(), EDatabaseError);
    EXPECT_EQ(1, messages.Count());  // no "try again" after a cancel

    OstraPasswords().SetPrompt(nullptr);
    OstraPasswords().ClearPasswords();
}
