// Key input: virtual keys, shift states, characters, the form's preview and
// the dialog keys.
#include <gtest/gtest.h>

#include <string>

#include "support/ui/ui_probes.h"

namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe = new TProbe(f.Form, f.Form);
        probe->SetName("Probe");
        other = new TProbe(f.Form, f.Form);
        other->SetName("Other");
        other->SetLeft(100);
        f.Show();
        probe->SetFocus();
    }
    TShownForm f;
    TProbe* probe = nullptr;
    TProbe* other = nullptr;
};

TEST_F(KeyboardTest, LetterGivesKeyDownThenCharacterAndKeyUp) {
    probe->Log.clear();
    SendKey(probe, 'A');
    ASSERT_EQ(probe->Log.size(), 3u);
    EXPECT_EQ(probe->Log[0], "KeyDown 65");
    EXPECT_EQ(probe->Log[1], "KeyPress 97");
    EXPECT_EQ(probe->Log[2], "KeyUp 65");
    EXPECT_TRUE(probe->KeyShifts.back().Empty());
}

// A letter outside A-Z has no key of its own: its character, and its
// release as VK_PACKET.
TEST_F(KeyboardTest, LetterWithoutAKeyOfItsOwnComesUpAsAPacket) {
    probe->Log.clear();
    SendText(probe, "ω");
    ASSERT_EQ(probe->Log.size(), 2u);
    EXPECT_EQ(probe->Log[0], "KeyPress " + std::to_string(0x3C9));
    EXPECT_EQ(probe->Log[1], "KeyUp " + std::to_string(VK_PACKET));
}

TEST_F(KeyboardTest, KeyboardHookMayConsumeKeys) {
    std::vector<std::string> heard;
    const int id = AddKeyboardHook([&](uint16_t Key, TShiftState Shift, bool KeyUp) {
        heard.push_back(std::to_string(Key) + (KeyUp ? " up" : " down") +
                        (Shift.Contains(ssCtrl) ? " ctrl" : ""));
        return Key == 'Q';
    });
    EXPECT_EQ(KeyboardHookCount(), 1);
    EXPECT_EQ(FocusedWinControl(), probe);
    EXPECT_FALSE(InputMethodOpen());
    probe->Log.clear();
    SendKey(probe, 'Q', {ssCtrl});
    EXPECT_TRUE(probe->Log.empty());
    SendKey(probe, 'A');
    EXPECT_EQ(probe->Log.size(), 3u);
    EXPECT_EQ(heard, (std::vector<std::string>{"81 down ctrl", "81 up ctrl", "65 down", "65 up"}));
    RemoveKeyboardHook(id);
    EXPECT_EQ(KeyboardHookCount(), 0);
    probe->Log.clear();
    SendKey(probe, 'Q');
    EXPECT_EQ(probe->Log.size(), 3u);
    SetInputMethodOpenTest([] { return true; });
    EXPECT_TRUE(InputMethodOpen());
    SetInputMethodOpenTest(nullptr);
}

TEST_F(KeyboardTest, ShiftAndCtrlReachShiftStateAndCharacters) {
    SendKey(probe, 'B', {ssShift});
    EXPECT_EQ(probe->Keys.back(), 'B');
    EXPECT_TRUE(probe->KeyShifts.back().Contains(ssShift));
    EXPECT_EQ(probe->Chars.back(), U'B');

    SendKey(probe, 'V', {ssCtrl});
    EXPECT_EQ(probe->Keys.back(), 'V');
    EXPECT_TRUE(probe->KeyShifts.back().Contains(ssCtrl));
    EXPECT_FALSE(probe->KeyShifts.back().Contains(ssShift));
    EXPECT_EQ(probe->Chars.back(), char32_t(22));  // Ctrl+V types character 22
}

TEST_F(KeyboardTest, SpecialKeysHaveTheirVirtualCodesAndCharacters) {
    probe->Chars.clear();
    SendKey(probe, VK_BACK);
    SendKey(probe, VK_RETURN);
    SendKey(probe, VK_ESCAPE);
    SendKey(probe, VK_DELETE);
    SendKey(probe, VK_F2);
    SendKey(probe, VK_NUMPAD5);
    const std::vector<uint16_t> expected{VK_BACK, VK_RETURN, VK_ESCAPE, VK_DELETE, VK_F2, VK_NUMPAD5};
    const std::vector<uint16_t> got(probe->Keys.end() - 6, probe->Keys.end());
    EXPECT_EQ(got, expected);
    // Delete and F2 type nothing; the keypad 5 types "5".
    EXPECT_EQ(probe->Chars, (std::vector<char32_t>{8, 13, 27, U'5'}));
}

TEST_F(KeyboardTest, NonAsciiTextArrivesAsOneCodePoint) {
    probe->Chars.clear();
    SendText(probe, "é€");
    EXPECT_EQ(probe->Chars, (std::vector<char32_t>{U'é', U'€'}));
}

TEST_F(KeyboardTest, ZeroedKeyStillTypesItsCharacter) {
    // The character follows the key-down even when KeyDown took the key.
    probe->ZeroKey = 'X';
    probe->Log.clear();
    SendKeyDown(probe, 'X');
    ASSERT_EQ(probe->Log.size(), 2u);
    EXPECT_EQ(probe->Log[1], "KeyPress 120");
}

TEST_F(KeyboardTest, PeekMessageRemovesThePendingCharacter) {
    bool peeked = false;
    TMessage seen;
    probe->SetOnKeyDown(TKeyEvent([&](TObject*, uint16_t& key, TShiftState) {
        if (key == 'Q') peeked = PeekMessage(seen, probe, WM_CHAR, WM_CHAR, true);
    }));
    probe->Chars.clear();
    SendKeyDown(probe, 'Q');
    EXPECT_TRUE(peeked);
    EXPECT_EQ(seen.Msg, WM_CHAR);
    EXPECT_EQ(seen.WParam, WPARAM('q'));
    EXPECT_TRUE(probe->Chars.empty());
    // Nothing waits afterwards.
    TMessage none;
    EXPECT_FALSE(PeekMessage(none, probe, WM_CHAR, WM_CHAR, false));
}

TEST_F(KeyboardTest, KeyPreviewGivesTheFormTheKeyFirst) {
    std::vector<std::string> order;
    f.Form->SetKeyPreview(true);
    f.Form->SetOnKeyDown(TKeyEvent([&](TObject*, uint16_t& key, TShiftState) {
        order.push_back("form " + std::to_string(key));
        if (key == 'Z') key = 0;
    }));
    probe->SetOnKeyDown(TKeyEvent(
        [&](TObject*, uint16_t& key, TShiftState) { order.push_back("probe " + std::to_string(key)); }));
    SendKeyDown(probe, 'Y');
    SendKeyDown(probe, 'Z');
    EXPECT_EQ(order, (std::vector<std::string>{"form 89", "probe 89", "form 90"}));

    f.Form->SetKeyPreview(false);
    order.clear();
    SendKeyDown(probe, 'Z');
    EXPECT_EQ(order, (std::vector<std::string>{"probe 90"}));
}

TEST_F(KeyboardTest, TabAndShiftTabMoveThroughTheTabOrder) {
    EXPECT_TRUE(probe->Focused());
    probe->Keys.clear();
    SendKey(probe, VK_TAB);
    EXPECT_TRUE(other->Focused());
    EXPECT_TRUE(probe->Keys.empty());  // the dialog key never reaches the control
    SendKey(other, VK_TAB, {ssShift});
    EXPECT_TRUE(probe->Focused());
}

TEST_F(KeyboardTest, ControlThatWantsTabKeepsIt) {
    probe->DlgCode = DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS;
    SendKey(probe, VK_TAB);
    EXPECT_TRUE(probe->Focused());
    EXPECT_EQ(probe->Keys.back(), VK_TAB);
}

TEST_F(KeyboardTest, ArrowsNotWantedMoveAmongSiblings) {
    probe->DlgCode = DLGC_WANTCHARS;
    SendKey(probe, VK_RIGHT);
    EXPECT_TRUE(other->Focused());
    probe->DlgCode = DLGC_WANTARROWS;
    other->DlgCode = DLGC_WANTARROWS;
    other->Keys.clear();
    SendKey(other, VK_LEFT);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(other->Keys, std::vector<uint16_t>{VK_LEFT});
}

// A control that answers Enter as a default button does.
class TDefaultButton : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Clicks = 0;

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CM_DIALOGKEY && Message.WParam == VK_RETURN) {
            ++Clicks;
            Message.Result = 1;
            return;
        }
        TCustomControl::Dispatch(Message);
    }
};

TEST_F(KeyboardTest, EnterNotWantedGoesToTheDefaultButton) {
    auto* button = new TDefaultButton(f.Form);
    button->SetParent(f.Form);
    probe->Keys.clear();
    SendKey(probe, VK_RETURN);
    EXPECT_EQ(button->Clicks, 1);
    EXPECT_TRUE(probe->Keys.empty());

    probe->DlgCode = DLGC_WANTALLKEYS;
    SendKey(probe, VK_RETURN);
    EXPECT_EQ(button->Clicks, 1);
    EXPECT_EQ(probe->Keys, std::vector<uint16_t>{VK_RETURN});
}

TEST_F(KeyboardTest, ShortCutHandlerTakesTheKeyBeforeTheControl) {
    int taken = 0;
    auto* owner = new TComponent(f.Form);
    f.Form->AddShortCutHandler(owner, [&](uint16_t key, TShiftState shift) {
        if (key == 'S' && shift.Contains(ssCtrl)) {
            ++taken;
            return true;
        }
        return false;
    });
    probe->Keys.clear();
    SendKey(probe, 'S', {ssCtrl});
    SendKey(probe, 'S');
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(probe->Keys, std::vector<uint16_t>{'S'});
    delete owner;  // its handler leaves with it
    SendKey(probe, 'S', {ssCtrl});
    EXPECT_EQ(taken, 1);
}

TEST_F(KeyboardTest, SentKeyMessagesRunTheSameHandling) {
    probe->Keys.clear();
    probe->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(probe->Keys, std::vector<uint16_t>{VK_DOWN});
    probe->ZeroKey = VK_UP;
    TMessage m;
    m.Msg = WM_KEYDOWN;
    m.WParam = VK_UP;
    probe->WndProc(m);
    EXPECT_EQ(m.WParam, 0u);  // the handler's change is visible to the sender
}

TEST_F(KeyboardTest, F1ShowsTheHelpContextOfTheNearestParent) {
    std::vector<intptr_t> asked;
    Application->SetOnHelp(THelpEvent([&](uint16_t command, intptr_t data, bool& callHelp, bool& result) {
        if (command == HELP_CONTEXT) asked.push_back(data);
        callHelp = false;
        result = true;
    }));
    f.Form->SetHelpContext(30);
    SendKey(probe, VK_F1);
    probe->SetHelpContext(7);
    SendKey(probe, VK_F1);
    Application->SetOnHelp(nullptr);
    EXPECT_EQ(asked, (std::vector<intptr_t>{30, 7}));
}

}  // namespace
