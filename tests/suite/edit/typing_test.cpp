// Typing into the edits: picture and regular-expression masks, numeric
// filtering, today's date filled from Space, and the clipboard.
#include "platform/db/dataset.h"
#include "support/suite/edit_fixture.h"

namespace {

using TypingTest = EditTest;

TEST_F(TypingTest, PictureRefusesAKeyAtTheEndWithABeep) {
    TqzDBEdit* e = MakeEdit("");
    e->Picture()->SetPictureMask("###");
    ShowAndFocus(e);
    SendText(e, "12");
    EXPECT_EQ(Beeps.Count(), 0);
    SendText(e, "a");
    EXPECT_EQ(e->Text(), "12");
    EXPECT_EQ(Beeps.Count(), 1);
    SendText(e, "3");
    EXPECT_EQ(e->Text(), "123");
    SendText(e, "4");  // complete: nothing more fits
    EXPECT_EQ(e->Text(), "123");
    EXPECT_EQ(Beeps.Count(), 2);
    SendKey(e, VK_BACK);
    EXPECT_EQ(e->Text(), "12");
}

TEST_F(TypingTest, PictureCasesAndValidityIsReported) {
    TqzDBEdit* e = MakeEdit("");
    e->Picture()->SetPictureMask("&&##");
    std::vector<bool> checks;
    e->SetOnCheckValue(TqzValidateEvent([&](TObject*, bool v) { checks.push_back(v); }));
    ShowAndFocus(e);
    SendText(e, "ab1");
    EXPECT_EQ(e->Text(), "AB1");
    ASSERT_FALSE(checks.empty());
    EXPECT_FALSE(checks.back());  // incomplete
    SendText(e, "2");
    EXPECT_TRUE(checks.back());
}

TEST_F(TypingTest, SpaceFillsTodaysDateOnAnUnboundDateEdit) {
    TqzDBEdit* e = MakeEdit("");
    e->SetUnboundDataType(qzEdtDate);
    ShowAndFocus(e);
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "03/");  // month first in mm/dd/yyyy
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "03/09/");
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "03/09/2026");
    EXPECT_TRUE(e->Modified());
    // A typed part gets its separator from Space.
    e->SelectAll();
    SendText(e, "12");
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "12/");
}

TEST_F(TypingTest, SpaceFillsInTheOrderAndWidthsOfTheFormat) {
    FormatSettings().ShortDateFormat = "d.m.yy";
    FormatSettings().DateSeparator = '.';
    TqzDBEdit* e = MakeEdit("");
    e->SetUnboundDataType(qzEdtDateTime);
    ShowAndFocus(e);
    for (int i = 0; i < 3; ++i) SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "9.3.26");
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "9.3.26 ");
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "9.3.26 2:");  // 12-hour clock with an AM string
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "9.3.26 2:05:");
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "9.3.26 2:05:07");
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "9.3.26 2:05:07 PM");
}

TEST_F(TypingTest, ReadOnlyDateEditOnlyBeeps) {
    TqzDBEdit* e = MakeEdit("");
    e->SetUnboundDataType(qzEdtDate);
    e->SetReadOnly(true);
    ShowAndFocus(e);
    SendKey(e, VK_SPACE);
    EXPECT_EQ(e->Text(), "");
}

TEST_F(TypingTest, NumericFieldsFilterTheirCharacters) {
    static_cast<TFloatField*>(T.FieldByName("Amount"))->SetDisplayFormat("0.00");
    TqzDBEdit* amount = MakeEdit("Amount");
    TqzDBEdit* count = MakeEdit("Count");
    T.Append();
    ShowAndFocus(amount);
    SendText(amount, "1x");
    EXPECT_EQ(amount->Text(), "1");
    EXPECT_EQ(Beeps.Count(), 1);
    SendText(amount, ".5E2");
    EXPECT_EQ(amount->Text(), "1.5E2");
    EXPECT_EQ(Beeps.Count(), 1);
    count->SetFocus();
    SendText(count, "4.");  // no display format: the field's own characters
    EXPECT_EQ(count->Text(), "4");
    EXPECT_EQ(Beeps.Count(), 2);
}

TEST_F(TypingTest, RegexMaskLeavesAKeyBeyondMaxLengthToTheLimit) {
    TqzDBEdit* e = MakeEdit("");
    e->RegexMask()->SetMask("[0-9]+");
    e->SetMaxLength(3);
    std::vector<bool> checks;
    e->SetOnCheckValue(TqzValidateEvent([&](TObject*, bool v) { checks.push_back(v); }));
    ShowAndFocus(e);
    SendText(e, "12a");
    ASSERT_EQ(checks.size(), 3u);
    EXPECT_FALSE(checks.back());
    SendKey(e, VK_BACK);
    checks.clear();
    SendText(e, "3");
    SendText(e, "4");  // a fourth character is not checked
    EXPECT_EQ(checks.size(), 1u);
    EXPECT_EQ(e->Text(), "123");
}

TEST_F(TypingTest, RegexAllowInvalidExitOnAnUnboundEdit) {
    TqzDBEdit* e = MakeEdit("");
    e->RegexMask()->SetMask("[0-9]+");
    e->RegexMask()->SetErrorMessage("Digits only");
    ShowAndFocus(e);
    SendText(e, "ab");
    TabAway(e);
    EXPECT_EQ(FocusedControl(), e);
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "Digits only.");  // the box ends the sentence
    EXPECT_TRUE(e->InvalidOnExit());
    e->RegexMask()->SetAllowInvalidExit(true);
    TabAway(e);
    EXPECT_EQ(FocusedControl(), Other);
    EXPECT_FALSE(e->InvalidOnExit());
    EXPECT_EQ(Dialogs.Count(), 1);
}

TEST_F(TypingTest, BoundRegexWriteBackKeepsItsError) {
    TqzDBEdit* e = MakeEdit("Code");
    e->RegexMask()->SetMask("[0-9]+");
    e->RegexMask()->SetAllowInvalidExit(true);
    T.Append();
    ShowAndFocus(e);
    SendText(e, "ab");
    TabAway(e);
    EXPECT_EQ(FocusedControl(), e);  // the write-back raised
    EXPECT_EQ(Dialogs.Count(), 1);
    EXPECT_TRUE(T.FieldByName("Code")->IsNull());
}

// Pasting into a borderless edit took the clipboard's first line by cutting
// the clipboard down and restoring it afterwards.
TEST_F(TypingTest, PasteIntoABorderlessEditTakesTheFirstLineAndLeavesTheClipboard) {
    TqzDBEdit* e = MakeEdit("");
    e->SetBorderStyle(bsNone);
    e->Picture()->SetPictureMask("*&");
    ShowAndFocus(e);
    Clipboard()->SetAsText("first\r\nsecond");
    SendKey(e, 'V', {ssCtrl});
    EXPECT_EQ(e->Text(), "FIRST");  // through the picture's auto-fill
    EXPECT_EQ(Clipboard()->AsText(), "first\r\nsecond");
    EXPECT_EQ(e->SelStart(), 5);
}

TEST_F(TypingTest, CutAndClearMarkModifiedAndRecheck) {
    TqzDBEdit* e = MakeEdit("");
    e->Picture()->SetPictureMask("###");
    std::vector<bool> checks;
    e->SetOnCheckValue(TqzValidateEvent([&](TObject*, bool v) { checks.push_back(v); }));
    ShowAndFocus(e);
    SendText(e, "123");
    e->SetSelStart(1);
    e->SetSelLength(1);
    checks.clear();
    SendKey(e, 'X', {ssCtrl});
    EXPECT_EQ(e->Text(), "13");
    EXPECT_EQ(Clipboard()->AsText(), "2");
    ASSERT_FALSE(checks.empty());
    EXPECT_TRUE(e->Modified());
    e->SelectAll();
    SendKey(e, VK_DELETE);
    EXPECT_EQ(e->Text(), "");
}

TEST_F(TypingTest, EscapePutsTheTextBack) {
    T.Append();
    T.FieldByName("Code")->SetAsString("abc");
    T.Post();
    TqzDBEdit* e = MakeEdit("Code");
    ShowAndFocus(e);
    e->SelectAll();
    SendText(e, "xy");
    EXPECT_EQ(e->Text(), "xy");
    SendKey(e, VK_ESCAPE);
    EXPECT_EQ(e->Text(), "abc");
    EXPECT_FALSE(e->Modified());
    TqzDBEdit* u = MakeEdit("");
    u->SetText("start");
    u->SetFocus();
    ProcessEvents();
    u->SelectAll();
    SendText(u, "other");
    SendKey(u, VK_ESCAPE);
    EXPECT_EQ(u->Text(), "start");
}

}  // namespace
