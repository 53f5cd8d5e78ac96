// A windowed control's ImeMode as the toolkit's input method sees it: off
// for imDisable and imClose, Latin input for imSAlpha and imAlpha, the
// window's own choice otherwise; ImeName is kept.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/properties.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"

namespace {

class InputMethodTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form.reset(CreateForm<TForm>(nullptr));
        Form->SetBounds(40, 40, 300, 200);
        Edit = new TEdit(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetBounds(10, 10, 120, 21);
        Other = new TEdit(Form.get());
        Other->SetParent(Form.get());
        Other->SetBounds(10, 50, 120, 21);
        Form->Show();
        ActivateForm(Form.get());
        ProcessEvents();
    }
    std::unique_ptr<TForm> Form;
    TEdit* Edit = nullptr;
    TEdit* Other = nullptr;
};

TEST_F(InputMethodTest, DisableAndCloseTurnItOffTheOthersLeaveItOn) {
    EXPECT_EQ(imDontCare, Edit->ImeMode());
    EXPECT_EQ(ScreenDefaultIme(), Edit->ImeName());
    ASSERT_TRUE(InputMethodEnabledFor(Edit));
    ASSERT_TRUE(InputMethodAttributeOf(Edit));
    for (TImeMode mode : {imDisable, imClose}) {
        Edit->SetImeMode(mode);
        EXPECT_FALSE(InputMethodEnabledFor(Edit)) << EnumInfoOf(mode).NameOf(mode);
        EXPECT_FALSE(InputMethodAttributeOf(Edit)) << EnumInfoOf(mode).NameOf(mode);
        EXPECT_TRUE(InputMethodEnabledFor(Other));
    }
    for (TImeMode mode : {imOpen, imDontCare, imHira, imSAlpha}) {
        Edit->SetImeMode(mode);
        EXPECT_TRUE(InputMethodEnabledFor(Edit)) << EnumInfoOf(mode).NameOf(mode);
        EXPECT_TRUE(InputMethodAttributeOf(Edit)) << EnumInfoOf(mode).NameOf(mode);
    }
}

TEST_F(InputMethodTest, AlphaModesAskForLatinInput) {
    EXPECT_FALSE(LatinInputAskedFor(Edit));
    Edit->SetImeMode(imSAlpha);
    EXPECT_TRUE(LatinInputAskedFor(Edit));
    Edit->SetImeMode(imAlpha);
    EXPECT_TRUE(LatinInputAskedFor(Edit));
    Edit->SetImeMode(imOpen);
    EXPECT_FALSE(LatinInputAskedFor(Edit));
    EXPECT_FALSE(LatinInputAskedFor(Other));
}

TEST_F(InputMethodTest, OffStaysOffThroughTheEditsOwnChangesAndANewWindow) {
    Edit->SetImeMode(imDisable);
    // An edit turns its input method on again when it leaves read-only or
    // password mode: the answer stays off, and so is the attribute again
    // once the edit takes the focus.
    Edit->SetReadOnly(true);
    Edit->SetReadOnly(false);
    Edit->SetPasswordChar(U'*');
    Edit->SetPasswordChar(0);
    EXPECT_FALSE(InputMethodEnabledFor(Edit));
    Other->SetFocus();
    ProcessEvents();
    Edit->SetFocus();
    ProcessEvents();
    ASSERT_TRUE(Edit->Focused());
    EXPECT_FALSE(InputMethodEnabledFor(Edit));
    EXPECT_FALSE(InputMethodAttributeOf(Edit));
    // A window made again keeps the mode.
    Edit->RecreateWnd();
    ProcessEvents();
    EXPECT_FALSE(InputMethodEnabledFor(Edit));
    EXPECT_FALSE(InputMethodAttributeOf(Edit));
    // A mode set before the window exists holds once it does.
    auto* later = new TEdit(Form.get());
    later->SetImeMode(imClose);
    later->SetParent(Form.get());
    later->SetBounds(10, 90, 120, 21);
    ProcessEvents();
    EXPECT_FALSE(InputMethodEnabledFor(later));
    later->SetImeMode(imDontCare);
    EXPECT_TRUE(InputMethodEnabledFor(later));
}

TEST_F(InputMethodTest, APaintedControlKeepsItsOwnAnswer) {
    auto* painted = new TCustomControl(Form.get());
    painted->SetParent(Form.get());
    painted->SetBounds(150, 10, 100, 100);
    ProcessEvents();
    const bool own = InputMethodAttributeOf(painted);
    painted->SetImeMode(imDisable);
    EXPECT_FALSE(InputMethodEnabledFor(painted));
    EXPECT_FALSE(InputMethodAttributeOf(painted));
    painted->SetImeMode(imOpen);
    EXPECT_EQ(own, InputMethodAttributeOf(painted));
}

TEST_F(InputMethodTest, ImeNameIsKeptAsGiven) {
    Edit->SetImeName("fcitx");
    EXPECT_EQ("fcitx", Edit->ImeName());
    Edit->SetImeName("");
    EXPECT_EQ("", Edit->ImeName());
    EXPECT_TRUE(InputMethodEnabledFor(Edit));
}

}  // namespace
