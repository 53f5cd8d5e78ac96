// Edit masks and the masked edit: parsing, formatting, validation, and
// typing, deleting, pasting and resetting in a TMaskEdit on a form.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/forms.h"
#include "platform/ui/mask.h"
#include "platform/ui/testing.h"

namespace {

std::u32string U(const std::string& s) {
    std::u32string out;
    for (unsigned char c : s) out.push_back(c);
    return out;
}

std::string A(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) out.push_back(static_cast<char>(c));
    return out;
}

// ---- The mask language ------------------------------------------------------------------

TEST(EditMask, FieldsGiveSaveFlagAndBlank) {
    const TEditMask m("999;0; ");
    EXPECT_EQ(m.Length(), 3);
    EXPECT_FALSE(m.SaveLiterals());
    EXPECT_EQ(m.Blank(), U' ');
    const TEditMask d("!99/99/0000;1;_");
    EXPECT_TRUE(d.SaveLiterals());
    EXPECT_EQ(d.Blank(), U'_');
    EXPECT_TRUE(d.LeadingBlanks());
    EXPECT_EQ(d.Length(), 10);
    EXPECT_TRUE(TEditMask("000").SaveLiterals());  // absent: literals saved
    EXPECT_EQ(TEditMask("000").Blank(), U'_');
    EXPECT_TRUE(TEditMask("").Empty());
    EXPECT_TRUE(TEditMask(";0;_").Empty());
}

TEST(EditMask, PositionsLiteralsAndRequiredOnes) {
    ResetFormatSettings();
    const TEditMask m("\\(000\\)_99-l");
    ASSERT_EQ(m.Length(), 10);
    EXPECT_TRUE(m.IsLiteral(0));
    EXPECT_EQ(m.Literal(0), U'(');
    EXPECT_TRUE(m.IsRequired(1));
    EXPECT_EQ(m.Literal(4), U')');
    EXPECT_EQ(m.Literal(5), U' ');  // "_" is a blank literal
    EXPECT_FALSE(m.IsRequired(6));  // 9 is optional
    EXPECT_EQ(m.Literal(8), U'-');
    EXPECT_FALSE(m.IsRequired(9));
    EXPECT_EQ(m.NextInput(0), 1);
    EXPECT_EQ(m.NextInput(4), 6);
    EXPECT_EQ(m.PriorInput(6), 3);
    EXPECT_EQ(m.PriorInput(1), -1);
    EXPECT_EQ(m.NextInput(10), 10);
}

TEST(EditMask, DateAndTimeSeparatorsFollowTheSettings) {
    ResetFormatSettings();
    FormatSettings().DateSeparator = '.';
    FormatSettings().TimeSeparator = '-';
    const TEditMask m("99/99 99:99");
    EXPECT_EQ(m.Literal(2), U'.');
    EXPECT_EQ(m.Literal(8), U'-');
    ResetFormatSettings();
}

TEST(EditMask, CharacterClassesAndCase) {
    const TEditMask m(">L<l<>a0#C");
    struct Case {
        int position;
        char32_t typed;
        bool accepted;
        char32_t stored;
    };
    const Case cases[] = {
        {0, U'b', true, U'B'}, {1, U'Q', true, U'q'}, {1, U'5', false, 0},
        {2, U'X', true, U'X'},  // "<>" ended the case conversion
        {2, U'é', true, U'é'}, {3, U'a', false, 0},   {4, U'-', true, U'-'},
        {5, U'%', true, U'%'}, {6, U'x', false, 0},  // beyond the mask
    };
    for (const Case& c : cases) {
        char32_t ch = c.typed;
        EXPECT_EQ(m.Accepts(c.position, ch), c.accepted) << c.position;
        if (c.accepted) {
            EXPECT_EQ(ch, c.stored) << c.position;
        }
    }
}

TEST(EditMask, TextAndEditTextConvert) {
    const TEditMask save("00/00;1;_");
    EXPECT_EQ(A(save.FormatText(U("12/34"))), "12/34");
    EXPECT_EQ(A(save.FormatText(U("1"))), "1_/__");
    EXPECT_EQ(A(save.EditToText(U("1_/3_"))), "1 /3 ");
    const TEditMask bare("00/00;0;_");
    EXPECT_EQ(A(bare.FormatText(U("1234"))), "12/34");
    EXPECT_EQ(A(bare.EditToText(U("12/3_"))), "123");
    // Characters a position refuses become blanks.
    EXPECT_EQ(A(bare.FormatText(U("1x34"))), "1_/34");
    const TEditMask lead("!9999;0; ");
    EXPECT_EQ(A(lead.FormatText(U("12"))), "  12");
    EXPECT_EQ(A(lead.EditToText(U("  12"))), "12");
    EXPECT_EQ(FormatMaskText("(000) 000;0;_", "5551234"), "(555) 123");
    EXPECT_EQ(FormatMaskText("", "free text"), "free text");
}

TEST(EditMask, FirstInvalidFindsBlankRequiredAndWrongCharacters) {
    const TEditMask m("00-99;1;_");
    EXPECT_EQ(m.FirstInvalid(U("12-__")), -1);
    EXPECT_EQ(m.FirstInvalid(U("1_-34")), 1);
    EXPECT_EQ(m.FirstInvalid(U("__-__")), 0);
    EXPECT_EQ(m.FirstInvalid(U("12-x4")), 3);
    EXPECT_EQ(TEditMask("999;0; ").FirstInvalid(U("   ")), -1);
}

TEST(EditMask, OddMasksParseWithoutHarm) {
    for (const char* text : {"\\", ";;;;", "\\;", "<", ">", "<>", "!", "\xff\xfe", "0;", ";1", "\\\\"}) {
        const TEditMask m(text);
        const std::u32string e = m.EmptyEditText();
        EXPECT_EQ(static_cast<int>(e.size()), m.Length());
        EXPECT_EQ(m.FirstInvalid(m.FormatText(U("abc123"))) < m.Length(), true);
    }
    EXPECT_EQ(TEditMask("\\;").Length(), 1);
    EXPECT_EQ(TEditMask("\\;").Literal(0), U';');
}

// ---- The masked edit -------------------------------------------------------------------------

class MaskEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        form = CreateForm<TForm>(Application);
        form->SetBounds(50, 50, 300, 120);
        edit = new TMaskEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 150, 24);
        other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 50, 150, 24);
        form->Show();
        ActivateForm(form);
        edit->SetFocus();
        ProcessEvents();
    }
    void TearDown() override { delete form; }
    void Caret(int Pos) {
        edit->SetSelStart(Pos);
        edit->SetSelLength(0);
    }

    TForm* form = nullptr;
    TMaskEdit* edit = nullptr;
    TEdit* other = nullptr;
    TBeepCounter beeps;
};

TEST_F(MaskEditTest, DigitsGoInLettersAreRefused) {
    edit->SetEditMask("999;0; ");
    EXPECT_EQ(edit->EditText(), "   ");
    Caret(0);
    SendText(edit, "1a2");
    EXPECT_EQ(beeps.Count(), 1);
    EXPECT_EQ(edit->EditText(), "12 ");
    EXPECT_EQ(edit->Text(), "12");
    EXPECT_TRUE(edit->Modified());
    SendText(edit, "34");  // the fourth digit has no place
    EXPECT_EQ(edit->EditText(), "123");
    EXPECT_EQ(beeps.Count(), 2);
}

TEST_F(MaskEditTest, TypingStepsOverLiterals) {
    edit->SetEditMask("00/00;1;_");
    Caret(0);
    SendText(edit, "1234");
    EXPECT_EQ(edit->EditText(), "12/34");
    EXPECT_EQ(edit->Text(), "12/34");
    edit->SetEditMask("00/00;0;_");
    EXPECT_EQ(edit->Text(), "1234");
    EXPECT_EQ(edit->EditText(), "12/34");
    // Typing the literal where it stands just steps over it.
    edit->SetText("");
    Caret(0);
    SendText(edit, "5/6");
    EXPECT_EQ(edit->EditText(), "5_/6_");
    EXPECT_EQ(beeps.Count(), 0);
}

TEST_F(MaskEditTest, TypingOverwritesAndReplacesTheSelection) {
    edit->SetEditMask("0000;1;_");
    edit->SetText("1234");
    Caret(1);
    SendText(edit, "9");
    EXPECT_EQ(edit->EditText(), "1934");
    edit->SetSelStart(0);
    edit->SetSelLength(3);
    SendText(edit, "7");
    EXPECT_EQ(edit->EditText(), "7__4");
    EXPECT_EQ(edit->SelStart(), 1);
}

TEST_F(MaskEditTest, BackspaceAndDeleteBlankPositions) {
    edit->SetEditMask("00-00;1;_");
    edit->SetText("12-34");
    Caret(3);
    SendKey(edit, VK_BACK);  // over the literal to the 2
    EXPECT_EQ(edit->EditText(), "1_-34");
    EXPECT_EQ(edit->SelStart(), 1);
    Caret(3);
    SendKey(edit, VK_DELETE);
    EXPECT_EQ(edit->EditText(), "1_-_4");
    edit->SetSelStart(0);
    edit->SetSelLength(5);
    SendKey(edit, VK_DELETE);
    EXPECT_EQ(edit->EditText(), "__-__");
    EXPECT_EQ(edit->Text(), "  -  ");
}

TEST_F(MaskEditTest, CaseMarkersConvertTypedLetters) {
    edit->SetEditMask(">LL<ll;0;_");
    Caret(0);
    SendText(edit, "abCD");
    EXPECT_EQ(edit->Text(), "ABcd");
}

TEST_F(MaskEditTest, ValidateEditRaisesOnMissingRequiredCharacters) {
    edit->SetEditMask("000;1;_");
    edit->SetText("12");
    try {
        edit->ValidateEdit();
        FAIL() << "no error";
    } catch (const EDBEditError& e) {
        EXPECT_EQ(e.Message(), "Invalid input value.  Use escape key to abandon changes");
    }
    EXPECT_EQ(edit->SelStart(), 2);  // the caret on the first bad place
    edit->SetText("123");
    EXPECT_NO_THROW(edit->ValidateEdit());
    edit->SetEditMask("");
    edit->SetText("anything");
    EXPECT_NO_THROW(edit->ValidateEdit());
}

TEST_F(MaskEditTest, LeavingAnIncompleteEditKeepsTheFocus) {
    edit->SetEditMask("000;1;_");
    Caret(0);
    SendText(edit, "1");
    TTestDialogs dialogs;
    other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(FocusedControl(), edit);
    EXPECT_GE(beeps.Count(), 1);
    SendText(edit, "23");
    other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(FocusedControl(), other);
}

TEST_F(MaskEditTest, EscapePutsBackTheTextOfEntering) {
    edit->SetEditMask("9999;1;_");
    edit->SetText("12");
    Caret(2);
    SendText(edit, "34");
    EXPECT_EQ(edit->EditText(), "1234");
    SendKey(edit, VK_ESCAPE);
    EXPECT_EQ(edit->EditText(), "12__");
    EXPECT_FALSE(edit->Modified());
}

TEST_F(MaskEditTest, PasteFillsPositionsUntilARefusedCharacter) {
    TTestClipboard clip;
    edit->SetEditMask("0000-00;1;_");
    Clipboard()->SetAsText("12345x");
    Caret(0);
    SendKey(edit, 'V', {ssCtrl});
    EXPECT_EQ(edit->EditText(), "1234-5_");
    EXPECT_EQ(beeps.Count(), 1);
    // Pasting the literal where it stands steps over it.
    edit->SetText("");
    Clipboard()->SetAsText("12-3");
    Caret(2);
    SendKey(edit, 'V', {ssCtrl});
    EXPECT_EQ(edit->EditText(), "__12-3_");
}

TEST_F(MaskEditTest, SettingTheMaskKeepsTheValue) {
    edit->SetText("4711");
    edit->SetEditMask("0000;0;_");
    EXPECT_EQ(edit->Text(), "4711");
    edit->SetEditMask("00-00;1;_");
    EXPECT_EQ(edit->EditText(), "47-11");
    edit->SetEditMask("");
    EXPECT_EQ(edit->Text(), "47-11");
    EXPECT_FALSE(edit->IsMasked());
}

TEST_F(MaskEditTest, WithoutAMaskItIsAPlainEdit) {
    edit->SetMaxLength(3);
    Caret(0);
    SendText(edit, "abcdef");
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(edit->EditText(), "abc");
    EXPECT_TRUE(edit->Modified());
    edit->SetCharCase(ecUpperCase);
    EXPECT_EQ(edit->Text(), "ABC");
    edit->SetPasswordChar(U'*');
    EXPECT_EQ(edit->Text(), "ABC");
    edit->SetText("x");
    EXPECT_FALSE(edit->Modified());
    EXPECT_NO_THROW(edit->ValidateEdit());
}

TEST_F(MaskEditTest, SelectionCountsTheEditTextThroughTheEditToo) {
    edit->SetEditMask("000-000;0;_");
    edit->SetText("123456");
    ASSERT_EQ(edit->EditText(), "123-456");
    ASSERT_EQ(edit->Text(), "123456");  // shorter: the literal is not saved
    TCustomEdit* base = edit;
    base->SetSelStart(7);
    EXPECT_EQ(base->SelStart(), 7);
    base->SetSelStart(4);
    base->SetSelLength(3);
    EXPECT_EQ(base->SelLength(), 3);
    EXPECT_EQ(base->SelText(), "456");
    EXPECT_EQ(edit->SelText(), "456");
    base->SetSelStart(2);
    base->SetSelLength(10);  // cut at the end of the edit text
    EXPECT_EQ(base->SelText(), "3-456");
    // The same without a window.
    TMaskEdit loose(nullptr);
    loose.SetEditMask("000-000;0;_");
    loose.SetText("123456");
    TCustomEdit* looseBase = &loose;
    looseBase->SetSelStart(4);
    looseBase->SetSelLength(3);
    EXPECT_EQ(looseBase->SelStart(), 4);
    EXPECT_EQ(looseBase->SelText(), "456");
}

TEST_F(MaskEditTest, ReadOnlyTakesNothing) {
    edit->SetEditMask("999;0; ");
    edit->SetReadOnly(true);
    Caret(0);
    SendText(edit, "12");
    SendKey(edit, VK_DELETE);
    EXPECT_EQ(edit->EditText(), "   ");
}

}  // namespace
