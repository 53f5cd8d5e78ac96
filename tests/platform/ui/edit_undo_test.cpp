// Undo in the plain edits and memos, with real keys: each run of typing and
// each paste, cut or clear is a step of its own; the edit, the memo, the
// masked edit and a combo box's edit part behave alike.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/ui/mask.h"
#include "platform/ui/stdctrls.h"
#include "support/ui/ui_probes.h"

namespace {

class EditUndoTest : public ::testing::Test {
protected:
    TShownForm f;
    TTestClipboard Clip;

    // A plain edit, a memo and a masked edit without a mask, each with Text.
    template <class F>
    void ForEachEdit(const std::string& Text, F&& Check) {
        const std::function<TCustomEdit*()> makers[] = {[this] { return new TEdit(f.Form); },
                                                        [this] { return new TMemo(f.Form); },
                                                        [this] { return new TMaskEdit(f.Form); }};
        const char* const names[] = {"edit", "memo", "masked edit"};
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(names[i]);
            TCustomEdit* e = makers[i]();
            e->SetParent(f.Form);
            e->SetBounds(10, 10, 200, 60);
            e->SetText(Text);
            f.Show();
            e->SetFocus();
            Check(e);
            delete e;
        }
    }
    static void Paste(TCustomEdit* E, const std::string& Text) {
        Clipboard()->SetAsText(Text);
        SendKey(E, 'V', {ssCtrl});
    }
};

TEST_F(EditUndoTest, TypingAndEachPasteAreStepsOfTheirOwn) {
    ForEachEdit("Alpha", [](TCustomEdit* e) {
        int changes = 0;
        e->SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
        e->SelectAll();
        EXPECT_FALSE(e->CanUndo());
        SendText(e, "Hi");
        Paste(e, " world");
        EXPECT_EQ("Hi world", e->Text());
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("Hi", e->Text());
        EXPECT_EQ(2, e->SelStart());
        SendKey(e, 'Z', {ssCtrl});
        // The text typed over comes back selected, as it was.
        EXPECT_EQ("Alpha", e->Text());
        EXPECT_EQ(5, e->SelLength());
        EXPECT_TRUE(e->Modified());
        EXPECT_EQ(5, changes);
        EXPECT_FALSE(e->CanUndo());
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha", e->Text());
        // Two pastes, one undo; typing after them is a step again.
        SendKey(e, VK_END);
        Paste(e, "1");
        Paste(e, "2");
        SendText(e, "xy");
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha12", e->Text());
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha1", e->Text());
    });
}

TEST_F(EditUndoTest, CaretMovesEndATypingRunAndCutAndClearAreSteps) {
    ForEachEdit("", [](TCustomEdit* e) {
        SendText(e, "ab");
        SendKey(e, VK_BACK);
        SendText(e, "c");
        SendKey(e, VK_LEFT);
        SendText(e, "d");
        EXPECT_EQ("adc", e->Text());
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("ac", e->Text());
        // The whole run, the Backspace in it too.
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("", e->Text());
        SendText(e, "abcd");
        e->SetSelStart(1);
        e->SetSelLength(2);
        SendKey(e, 'X', {ssCtrl});
        EXPECT_EQ("ad", e->Text());
        e->SetSelStart(0);
        e->SetSelLength(1);
        e->ClearSelection();
        EXPECT_EQ("d", e->Text());
        e->Undo();
        EXPECT_EQ("ad", e->Text());
        e->Undo();
        EXPECT_EQ("abcd", e->Text());
        EXPECT_EQ("bc", e->SelText());
    });
}

TEST_F(EditUndoTest, SettingTheTextOrClearUndoLeavesNothingToUndo) {
    ForEachEdit("one", [](TCustomEdit* e) {
        SendKey(e, VK_END);
        SendText(e, "!");
        EXPECT_TRUE(e->CanUndo());
        e->SetText("two");
        EXPECT_FALSE(e->CanUndo());
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("two", e->Text());
        SendKey(e, VK_END);
        SendText(e, "?");
        e->ClearUndo();
        EXPECT_FALSE(e->CanUndo());
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("two?", e->Text());
        // A read-only edit keeps its text.
        SendText(e, "!");
        e->SetReadOnly(true);
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("two?!", e->Text());
        // The history outlives a new window.
        e->SetReadOnly(false);
        e->SetBorderStyle(bsNone);
        e->SetFocus();
        e->Undo();
        EXPECT_EQ("two?", e->Text());
    });
}

TEST_F(EditUndoTest, TypingOverASelectionClearedFirstIsOneStep) {
    // As a drop-down edit clears the selection before a character goes in.
    ForEachEdit("Alpha", [](TCustomEdit* e) {
        e->SetOnKeyPress(TKeyPressEvent([e](TObject*, char32_t& Key) {
            if (Key >= 32 && e->SelLength() > 0) e->ClearSelection();
        }));
        e->SelectAll();
        SendText(e, "Hi");
        EXPECT_EQ("Hi", e->Text());
        SendKey(e, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha", e->Text());
        EXPECT_FALSE(e->CanUndo());
    });
}

TEST_F(EditUndoTest, TheOldestStepsGoFirst) {
    // A hundred steps at most.
    ForEachEdit("", [](TCustomEdit* e) {
        for (int i = 0; i < 101; ++i) Paste(e, "x");
        int undos = 0;
        for (; e->CanUndo(); ++undos) e->Undo();
        EXPECT_EQ(100, undos);
        EXPECT_EQ("x", e->Text());
    });
    // And some four million characters of text together: of a memo of a
    // million, four steps.
    std::string lines;
    for (int i = 0; i < 10000; ++i) lines += std::string(99, 'a') + "\n";
    auto* memo = new TMemo(f.Form);
    memo->SetParent(f.Form);
    memo->SetText(lines);
    memo->SetFocus();
    memo->SetSelStart(0);
    for (int i = 0; i < 5; ++i) Paste(memo, "b");
    int undos = 0;
    for (; memo->CanUndo(); ++undos) memo->Undo();
    EXPECT_EQ(4, undos);
    EXPECT_EQ("b" + lines, memo->Text());
}

// Both combo box styles with an edit part, each with Text.
template <class F>
void ForEachEditableCombo(TShownForm& Form, const std::string& Text, F&& Check) {
    for (const TComboBoxStyle style : {csDropDown, csSimple}) {
        SCOPED_TRACE(style == csDropDown ? "drop-down combo" : "simple combo");
        auto* c = new TComboBox(Form.Form);
        c->SetParent(Form.Form);
        c->SetStyle(style);
        c->SetBounds(10, 10, 200, 24);
        c->Items()->SetCommaText("Gamma,Delta");
        c->SetText(Text);
        Form.Show();
        c->SetFocus();
        Check(c);
        delete c;
    }
}

TEST_F(EditUndoTest, AComboBoxEditPartTakesBackThePasteAndTheTypingApart) {
    ForEachEditableCombo(f, "Alpha", [](TComboBox* c) {
        int changes = 0;
        c->SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
        c->SelectAll();
        SendText(c, "Hi");
        Clipboard()->SetAsText(" world\nsecond line");
        SendKey(c, 'V', {ssCtrl});
        EXPECT_EQ("Hi world", c->Text());
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Hi", c->Text());
        EXPECT_EQ(2, c->SelStart());
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha", c->Text());
        EXPECT_EQ(5, c->SelLength());
        EXPECT_EQ(5, changes);
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha", c->Text());
        // Shift+Insert pastes a step of its own too; Ctrl+X cuts one.
        SendKey(c, VK_END);
        SendText(c, "1");
        Clipboard()->SetAsText("2");
        SendKey(c, VK_INSERT, {ssShift});
        SendText(c, "3");
        EXPECT_EQ("Alpha123", c->Text());
        c->SetSelStart(0);
        c->SetSelLength(5);
        SendKey(c, 'X', {ssCtrl});
        EXPECT_EQ("123", c->Text());
        EXPECT_EQ("Alpha", Clipboard()->AsText());
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha123", c->Text());
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha12", c->Text());
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Alpha1", c->Text());
        // A paste is cut to what MaxLength leaves, in the character case.
        c->SetMaxLength(5);
        c->SetCharCase(ecUpperCase);
        c->SetText("AB");
        SendKey(c, VK_END);
        Clipboard()->SetAsText("cdefgh");
        SendKey(c, 'V', {ssCtrl});
        EXPECT_EQ("ABCDE", c->Text());
    });
}

TEST_F(EditUndoTest, AComboBoxFreedByItsOwnChangeEventIsGoneQuietly) {
    auto* c = new TComboBox(f.Form);
    c->SetParent(f.Form);
    f.Show();
    c->SetFocus();
    bool freed = false;
    c->SetOnChange(TNotifyEvent([&](TObject*) {
        freed = true;
        delete c;
    }));
    SendText(c, "a");
    EXPECT_TRUE(freed);
}

TEST_F(EditUndoTest, AComboBoxTypingRunEndsWhenTheFocusGoesAndComesBack) {
    auto* other = new TEdit(f.Form);
    other->SetParent(f.Form);
    other->SetBounds(10, 60, 100, 24);
    ForEachEditableCombo(f, "", [other](TComboBox* c) {
        SendText(c, "ab");
        other->SetFocus();
        c->SetFocus();
        SendKey(c, VK_END);
        SendText(c, "cd");
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("ab", c->Text());
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("", c->Text());
    });
}

TEST_F(EditUndoTest, AComboBoxSetByTheProgramHasNothingToUndoAndAChosenItemIsAStep) {
    ForEachEditableCombo(f, "one", [](TComboBox* c) {
        SendKey(c, VK_END);
        SendText(c, "!");
        c->SetText("two");
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("two", c->Text());
        SendKey(c, VK_END);
        SendText(c, "?");
        c->SetItemIndex(1);
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Delta", c->Text());
        // The history outlives a new window.
        SendKey(c, VK_END);
        SendText(c, "s");
        c->SetSorted(true);
        c->SetStyle(c->Style() == csDropDown ? csSimple : csDropDown);
        c->SetFocus();
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Delta", c->Text());
        // An item chosen by key is a step of its own.
        c->SetItemIndex(-1);
        SendText(c, "Ga");
        SendKey(c, VK_DOWN);
        EXPECT_EQ("Delta", c->Text());
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("Ga", c->Text());
        SendKey(c, 'Z', {ssCtrl});
        EXPECT_EQ("", c->Text());
    });
}

TEST_F(EditUndoTest, MaskedTypingIsOneStep) {
    auto* e = new TMaskEdit(f.Form);
    e->SetParent(f.Form);
    e->SetEditMask("99/99;1;_");
    f.Show();
    e->SetFocus();
    SendKey(e, VK_HOME);
    SendText(e, "123");
    EXPECT_EQ("12/3 ", e->Text());
    Paste(e, "4");
    EXPECT_EQ("12/34", e->Text());
    SendKey(e, 'Z', {ssCtrl});
    EXPECT_EQ("12/3 ", e->Text());
    SendKey(e, 'Z', {ssCtrl});
    EXPECT_EQ("  /  ", e->Text());
}

}  // namespace
