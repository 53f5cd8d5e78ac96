// Standard controls with real input: edits, memos, buttons, check boxes,
// list boxes, combo boxes and labels.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/radiogroup.h"
#include "platform/ui/stdctrls.h"
#include "support/ui/freeing_cases.h"
#include "support/ui/ui_probes.h"

namespace {

class StdCtrlsTest : public ::testing::Test {
protected:
    TShownForm f;
    template <class T>
    T* Make(int X, int Y, int W = 0, int H = 0) {
        auto* c = new T(f.Form);
        c->SetParent(f.Form);
        c->SetBounds(X, Y, W > 0 ? W : c->Width(), H > 0 ? H : c->Height());
        return c;
    }
};

// ---- Edit ------------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, TypingChangesTextFiresOnChangeAndSetsModified) {
    auto* e = Make<TEdit>(10, 10);
    int changes = 0;
    e->SetOnChange(TNotifyEvent([&](TObject*) { ++changes; }));
    f.Show();
    e->SetFocus();
    EXPECT_FALSE(e->Modified());
    SendText(e, "abc");
    EXPECT_EQ(e->Text(), "abc");
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(e->Modified());
    // Setting the text from code clears Modified and still tells OnChange.
    e->SetText("xyz");
    EXPECT_FALSE(e->Modified());
    EXPECT_EQ(changes, 4);
    // Backspace and the arrow keys reach the editor.
    SendKey(e, VK_END);
    SendKey(e, VK_BACK);
    EXPECT_EQ(e->Text(), "xy");
}

TEST_F(StdCtrlsTest, KeyPressCanChangeOrSwallowTheCharacter) {
    auto* e = Make<TEdit>(10, 10);
    e->SetOnKeyPress(TKeyPressEvent([](TObject*, char32_t& Key) {
        if (Key == U'x')
            Key = 0;
        else if (Key == U'a')
            Key = U'b';
    }));
    f.Show();
    e->SetFocus();
    SendText(e, "axa1");
    EXPECT_EQ(e->Text(), "bb1");
}

TEST_F(StdCtrlsTest, CharCaseAndMaxLengthApplyToTyping) {
    auto* e = Make<TEdit>(10, 10);
    e->SetCharCase(ecUpperCase);
    e->SetMaxLength(4);
    f.Show();
    e->SetFocus();
    SendText(e, "abcdef");
    EXPECT_EQ(e->Text(), "ABCD");
    // The limit counts bytes: a two-byte character does not fit in one byte.
    e->SetText("");
    e->SetCharCase(ecNormal);
    e->SetMaxLength(3);
    SendText(e, "a\xC3\xA9\xC3\xA9");
    EXPECT_EQ(e->Text(), "a\xC3\xA9");
    // Changing the case converts what is there.
    e->SetCharCase(ecUpperCase);
    EXPECT_EQ(e->Text(), "A\xC3\x89");
}

TEST_F(StdCtrlsTest, NothingIsTypedIntoATextAlreadyBeyondMaxLength) {
    // A text set by the program, or an item chosen, may be longer than the
    // limit: typing may shorten it but never lengthen it.
    auto* e = Make<TEdit>(10, 10);
    auto* c = Make<TComboBox>(10, 40);
    c->Items()->SetCommaText("Gamma,Delta");
    e->SetMaxLength(4);
    c->SetMaxLength(4);
    e->SetText("Gamma");
    f.Show();
    e->SetFocus();
    SendKey(e, VK_END);
    SendText(e, "x");
    EXPECT_EQ(e->Text(), "Gamma");
    c->SetFocus();
    SendKey(c, VK_DOWN);
    EXPECT_EQ(c->Text(), "Gamma");
    SendKey(c, VK_END);
    SendText(c, "x");
    EXPECT_EQ(c->Text(), "Gamma");
    SendKey(c, VK_BACK);
    SendKey(c, VK_BACK);
    SendText(c, "xy");
    EXPECT_EQ(c->Text(), "Gamx");
    c->SelectAll();
    SendText(c, "ab");
    EXPECT_EQ(c->Text(), "ab");
}

TEST_F(StdCtrlsTest, TypingIntoACaseConvertingEditSetsModified) {
    auto* upper = Make<TEdit>(10, 10);
    auto* lower = Make<TEdit>(10, 40);
    upper->SetCharCase(ecUpperCase);
    lower->SetCharCase(ecLowerCase);
    f.Show();
    upper->SetFocus();
    SendText(upper, "ab");
    EXPECT_EQ(upper->Text(), "AB");
    EXPECT_TRUE(upper->Modified());
    EXPECT_TRUE(upper->CanUndo());
    lower->SetFocus();
    SendText(lower, "Xy");
    EXPECT_EQ(lower->Text(), "xy");
    EXPECT_TRUE(lower->Modified());
    // The key-press handler still sees the character as typed.
    char32_t seen = 0;
    upper->SetOnKeyPress(TKeyPressEvent([&](TObject*, char32_t& Key) { seen = Key; }));
    upper->SetFocus();  // selects all
    SendKey(upper, VK_END);
    upper->SetModified(false);
    SendText(upper, "c");
    EXPECT_EQ(seen, U'c');
    EXPECT_EQ(upper->Text(), "ABC");
    EXPECT_TRUE(upper->Modified());
}

TEST_F(StdCtrlsTest, SelectionCountsBytesAndNeverSplitsACharacter) {
    auto* e = Make<TEdit>(10, 10);
    e->SetText("\xC3\xA9t\xC3\xA9");  // "été": 5 bytes
    EXPECT_EQ(e->SelStart(), 0);
    e->SetSelStart(2);
    EXPECT_EQ(e->SelStart(), 2);
    e->SetSelLength(3);
    EXPECT_EQ(e->SelText(), "t\xC3\xA9");
    e->SetSelStart(1);  // inside the first character
    EXPECT_EQ(e->SelStart(), 0);
    f.Show();  // the window keeps the selection
    e->SetSelStart(2);
    e->SetSelLength(1);
    EXPECT_EQ(e->SelText(), "t");
    e->SetSelText("TT");
    EXPECT_EQ(e->Text(), "\xC3\xA9TT\xC3\xA9");
    EXPECT_EQ(e->SelStart(), 4);
    EXPECT_EQ(e->SelLength(), 0);
}

TEST_F(StdCtrlsTest, ClipboardKeysGoThroughTheClipboardService) {
    TTestClipboard clipboard;
    auto* e = Make<TEdit>(10, 10);
    f.Show();
    e->SetFocus();
    e->SetText("hello world");
    e->SetSelStart(0);
    e->SetSelLength(5);
    SendKey(e, 'C', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "hello");
    Clipboard()->SetAsText("bye\nsecond line");
    e->SelectAll();
    SendKey(e, 'V', {ssCtrl});
    // A one-line edit takes the first line only.
    EXPECT_EQ(e->Text(), "bye");
    e->SelectAll();
    SendKey(e, 'X', {ssCtrl});
    EXPECT_EQ(e->Text(), "");
    EXPECT_EQ(Clipboard()->AsText(), "bye");
}

TEST_F(StdCtrlsTest, ReadOnlyEditRefusesTyping) {
    auto* e = Make<TEdit>(10, 10);
    e->SetText("fixed");
    e->SetReadOnly(true);
    f.Show();
    e->SetFocus();
    SendText(e, "zz");
    SendKey(e, VK_BACK);
    EXPECT_EQ(e->Text(), "fixed");
}

TEST_F(StdCtrlsTest, TextSurvivesRecreatingTheWindow) {
    auto* e = Make<TEdit>(10, 10);
    f.Show();
    e->SetFocus();
    SendText(e, "keep");
    e->SetBorderStyle(bsNone);
    EXPECT_EQ(e->Text(), "keep");
    EXPECT_TRUE(e->Modified());
}

// ---- Memo -----------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, MemoLinesAndTextAreOneContent) {
    auto* m = Make<TMemo>(10, 10, 200, 100);
    m->Lines()->Add("first");
    m->Lines()->Add("second");
    EXPECT_EQ(m->Text(), "first\nsecond");
    EXPECT_EQ(m->Lines()->Count(), 2);
    m->Lines()->SetStrings(0, "one");
    m->Lines()->Insert(1, "between");
    EXPECT_EQ(m->Lines()->Text(), "one\nbetween\nsecond\n");
    m->Lines()->SetText("a\r\nb\rc\n");
    EXPECT_EQ(m->Lines()->Count(), 3);
    EXPECT_EQ(m->Lines()->Strings(2), "c");
    EXPECT_THROW(m->Lines()->Strings(3), EStringListError);
}

TEST_F(StdCtrlsTest, EnterInAMemoStartsANewLineUnlessWantReturnsIsOff) {
    auto* m = Make<TMemo>(10, 10, 200, 100);
    auto* b = Make<TButton>(10, 150);
    b->SetDefault(true);
    int clicks = 0;
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    f.Show();
    m->SetFocus();
    SendText(m, "ab");
    SendKey(m, VK_RETURN);
    SendText(m, "cd");
    EXPECT_EQ(m->Lines()->Count(), 2);
    EXPECT_EQ(clicks, 0);
    m->SetWantReturns(false);
    SendKey(m, VK_RETURN);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(m->Lines()->Count(), 2);
}

// ---- Buttons and check boxes ---------------------------------------------------------------------

TEST_F(StdCtrlsTest, DefaultAndCancelButtonsAnswerEnterAndEscape) {
    auto* e = Make<TEdit>(10, 10);
    auto* ok = Make<TButton>(10, 50);
    auto* cancel = Make<TButton>(100, 50);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    std::vector<std::string> log;
    ok->SetOnClick(TNotifyEvent([&](TObject*) { log.push_back("ok"); }));
    cancel->SetOnClick(TNotifyEvent([&](TObject*) { log.push_back("cancel"); }));
    f.Show();
    e->SetFocus();
    SendKey(e, VK_RETURN);
    EXPECT_EQ(f.Form->ModalResult(), mrOk);
    SendKey(e, VK_ESCAPE);
    EXPECT_EQ(f.Form->ModalResult(), mrCancel);
    // With the focus on the Cancel button, Enter clicks that one.
    cancel->SetFocus();
    SendKey(cancel, VK_RETURN);
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel", "cancel"}));
}

TEST_F(StdCtrlsTest, ButtonClicksByMouseSpaceAndAccelerator) {
    auto* b = Make<TButton>(10, 10);
    b->SetCaption("&Save");
    auto* e = Make<TEdit>(10, 50);
    int clicks = 0;
    b->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    f.Show();
    SendClick(b, 10, 10);
    EXPECT_EQ(clicks, 1);
    b->SetFocus();
    SendKey(b, VK_SPACE);
    EXPECT_EQ(clicks, 2);
    e->SetFocus();
    SendKey(e, 'S', {ssAlt});
    EXPECT_EQ(clicks, 3);
    // A click outside the button is no click.
    SendMouseDown(b, mbLeft, 10, 10);
    SendMouseUp(b, mbLeft, 200, 10);
    EXPECT_EQ(clicks, 3);
}

TEST_F(StdCtrlsTest, CheckBoxTogglesAndFiresOnClick) {
    auto* c = Make<TCheckBox>(10, 10);
    c->SetCaption("Flag");
    int clicks = 0;
    c->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    f.Show();
    SendClick(c, 5, 8);
    EXPECT_TRUE(c->Checked());
    EXPECT_EQ(clicks, 1);
    c->SetFocus();
    SendKey(c, VK_SPACE);
    EXPECT_FALSE(c->Checked());
    EXPECT_EQ(clicks, 2);
    // Code changes fire OnClick too; setting the same state does not.
    c->SetChecked(true);
    c->SetChecked(true);
    EXPECT_EQ(clicks, 3);
    c->SetAllowGrayed(true);
    c->SetChecked(false);
    SendClick(c, 5, 8);
    EXPECT_EQ(c->State(), cbGrayed);
    SendClick(c, 5, 8);
    EXPECT_EQ(c->State(), cbChecked);
}

// ---- List box -------------------------------------------------------------------------------------

class ListBoxTest : public StdCtrlsTest {
protected:
    void SetUp() override {
        list = Make<TListBox>(10, 10, 120, 150);
        for (const char* s : {"Goals", "Archive", "Catg", "List", "Appid"}) list->Items()->Add(s);
        list->SetOnClick(TNotifyEvent([this](TObject*) { ++clicks; }));
    }
    int Row(int index) const { return list->ItemRect(index).Top + 2; }
    TListBox* list = nullptr;
    int clicks = 0;
};

TEST_F(ListBoxTest, SortedKeepsItemsInOrderIgnoringCase) {
    list->SetSorted(true);
    EXPECT_EQ(list->Items()->CommaText(), "Appid,Archive,Catg,Goals,List");
    list->Items()->Add("apple");
    list->Items()->Add("Zeta");
    EXPECT_EQ(list->Items()->IndexOf("apple"), 1);  // "appl" sorts after "appi"
    EXPECT_EQ(list->Items()->Strings(6), "Zeta");
}

TEST_F(ListBoxTest, ClickSelectsTheRowUnderTheMouse) {
    f.Show();
    SendClick(list, 20, Row(2));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(list->Selected(2));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list->ItemAtPos({20, Row(3)}, true), 3);
    EXPECT_EQ(list->ItemAtPos({20, 140}, true), -1);
    EXPECT_EQ(list->ItemAtPos({20, 140}, false), 5);
    SendKey(list, VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 3);
    // Setting ItemIndex from code is no click.
    list->SetItemIndex(0);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(list->Selected(0));
    EXPECT_FALSE(list->Selected(3));
}

TEST_F(ListBoxTest, MultiSelectWithCtrlAndShiftClicks) {
    list->SetMultiSelect(true);
    f.Show();
    SendClick(list, 20, Row(0));
    SendClick(list, 20, Row(2), mbLeft, {ssCtrl});
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(0));
    EXPECT_FALSE(list->Selected(1));
    EXPECT_TRUE(list->Selected(2));
    SendClick(list, 20, Row(4), mbLeft, {ssShift});
    EXPECT_GE(list->SelCount(), 3);  // 2..4 from the anchor
    EXPECT_TRUE(list->Selected(2));
    EXPECT_TRUE(list->Selected(3));
    EXPECT_TRUE(list->Selected(4));
    EXPECT_EQ(list->ItemIndex(), 4);
    list->ClearSelection();
    EXPECT_EQ(list->SelCount(), 0);
    list->SelectAll();
    EXPECT_EQ(list->SelCount(), 5);
}

TEST_F(ListBoxTest, SelectionFollowsItemsThatMoveAndGo) {
    list->SetMultiSelect(true);
    list->SetSelected(1, true);
    list->SetSelected(3, true);
    list->Items()->Delete(0);
    EXPECT_TRUE(list->Selected(0));
    EXPECT_TRUE(list->Selected(2));
    list->Items()->Insert(0, "New");
    EXPECT_FALSE(list->Selected(0));
    EXPECT_TRUE(list->Selected(1));
    f.Show();  // the window shows the same selection
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(3));
    EXPECT_THROW(list->Selected(9), EListError);
}

TEST_F(ListBoxTest, ObjectsStayWithTheirItems) {
    TComponent a(nullptr), b(nullptr);
    list->Items()->Clear();
    list->SetSorted(true);
    list->Items()->AddObject("Zed", &a);
    list->Items()->AddObject("Abe", &b);
    EXPECT_EQ(list->Items()->Objects(0), &b);
    EXPECT_EQ(list->Items()->Objects(1), &a);
}

TEST_F(ListBoxTest, SelectStringFindsByPrefix) {
    EXPECT_EQ(list->SelectString("ca"), 2);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(list->FindString("A", 1), 4);
    EXPECT_EQ(list->FindString("x"), -1);
}

TEST_F(ListBoxTest, IntegralHeightKeepsWholeRows) {
    list->SetItemHeight(11);
    list->SetIntegralHeight(true);
    list->SetHeight(60);
    EXPECT_EQ(list->Height(), 5 * 11 + 4);
    list->SetHeight(58);
    EXPECT_EQ(list->Height(), 4 * 11 + 4);
}

// ---- Combo box -------------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ComboBoxTypingAndChoosing) {
    auto* c = Make<TComboBox>(10, 10);
    c->Items()->SetCommaText("Urgent,High,Medium,Low");
    std::vector<std::string> log;
    c->SetOnChange(TNotifyEvent([&](TObject*) { log.push_back("change " + c->Text()); }));
    c->SetOnSelect(TNotifyEvent([&](TObject*) { log.push_back("select " + c->Text()); }));
    f.Show();
    c->SetFocus();
    SendText(c, "Hi");
    EXPECT_EQ(c->Text(), "Hi");
    EXPECT_EQ(log, (std::vector<std::string>{"change H", "change Hi"}));
    log.clear();
    c->SetItemIndex(2);
    EXPECT_EQ(c->Text(), "Medium");
    EXPECT_TRUE(log.empty());
    c->SetStyle(csDropDownList);
    EXPECT_EQ(c->ItemIndex(), 2);
    SendKey(c, VK_DOWN);
    EXPECT_EQ(c->ItemIndex(), 3);
    EXPECT_EQ(log, (std::vector<std::string>{"select Low"}));
    c->SetText("urgent");
    EXPECT_EQ(c->ItemIndex(), 0);
}

// ---- Label ------------------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, LabelSizesToItsTextAndFocusesItsControl) {
    auto* e = Make<TEdit>(100, 10);
    auto* b = Make<TButton>(100, 50);
    auto* l = Make<TLabel>(10, 10);
    l->SetCaption("&Name");
    l->SetFocusControl(e);
    const int w = l->Width();
    l->SetCaption("&Name and more");
    EXPECT_GT(l->Width(), w);
    l->SetAlignment(taRightJustify);
    const int right = l->Left() + l->Width();
    l->SetCaption("&Name");
    EXPECT_EQ(l->Left() + l->Width(), right);
    f.Show();
    b->SetFocus();
    SendKey(b, 'N', {ssAlt});
    EXPECT_TRUE(e->Focused());
}

// ---- Controls freed by their own handlers ---------------------------------------------------

// A handler that frees its sender (a click, a key, a change, leaving)
// ends the message quietly; the form goes on taking input.
TEST_F(StdCtrlsTest, AHandlerMayFreeTheControlThatCalledIt) {
    auto* survivor = Make<TEdit>(250, 250);
    f.Show();
    const TNotifyEvent freeSender = FreeSender();
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"button clicked",
         [&] {
             auto* b = Make<TButton>(10, 10);
             b->SetOnClick(freeSender);
             SendClick(b, 5, 5);
         }},
        {"check box clicked",
         [&] {
             auto* c = Make<TCheckBox>(10, 10);
             c->SetOnClick(freeSender);
             SendClick(c, 5, 5);
         }},
        {"check box spaced",
         [&] {
             auto* c = Make<TCheckBox>(10, 10);
             c->SetOnClick(freeSender);
             c->SetFocus();
             SendKey(c, VK_SPACE);
         }},
        {"radio item clicked",
         [&] {
             auto* r = Make<TRadioGroup>(10, 10, 150, 80);
             r->Items()->Add("One");
             r->Items()->Add("Two");
             r->SetOnClick(freeSender);
             const TRect item = r->ItemRect(1);
             SendClick(r, item.Left + 5, (item.Top + item.Bottom) / 2);
         }},
        {"list box clicked",
         [&] {
             auto* l = Make<TListBox>(10, 10, 100, 80);
             l->Items()->Add("a");
             l->SetOnClick(freeSender);
             SendClick(l, 5, 5);
         }},
        {"list box arrowed",
         [&] {
             auto* l = Make<TListBox>(10, 10, 100, 80);
             l->Items()->Add("a");
             l->Items()->Add("b");
             l->SetOnClick(freeSender);
             l->SetFocus();
             SendKey(l, VK_DOWN);
         }},
        {"list box double-clicked",
         [&] {
             auto* l = Make<TListBox>(10, 10, 100, 80);
             l->Items()->Add("a");
             l->SetOnDblClick(freeSender);
             SendDoubleClick(l, 5, 5);
         }},
        {"edit double-clicked",
         [&] {
             auto* e = Make<TEdit>(10, 10);
             e->SetText("two words");
             e->SetOnDblClick(freeSender);
             SendDoubleClick(e, 5, 5);
         }},
        {"memo changed",
         [&] {
             auto* m = Make<TMemo>(10, 10, 100, 60);
             m->SetOnChange(freeSender);
             m->SetFocus();
             SendKey(m, VK_RETURN);
         }},
        {"edit key down",
         [&] {
             auto* e = Make<TEdit>(10, 10);
             e->SetOnKeyDown(TKeyEvent([](TObject* Sender, uint16_t&, TShiftState) { delete Sender; }));
             e->SetFocus();
             SendKey(e, 'A');
         }},
        {"edit key press",
         [&] {
             auto* e = Make<TEdit>(10, 10);
             e->SetOnKeyPress(TKeyPressEvent([](TObject* Sender, char32_t&) { delete Sender; }));
             e->SetFocus();
             SendKey(e, 'A');
         }},
        {"edit left",
         [&] {
             auto* e = Make<TEdit>(10, 10);
             e->SetOnExit(freeSender);
             e->SetFocus();
             survivor->SetFocus();
         }},
    };
    RunFreeingCases(f.Form, survivor, cases);
}

TEST(AccelTest, HotkeysOfCaptions) {
    EXPECT_EQ(GetHotkey("E&xit"), U'x');
    EXPECT_EQ(GetHotkey("Save && &Close"), U'c');
    EXPECT_EQ(GetHotkey("No accel"), 0u);
    EXPECT_TRUE(IsAccel(U'X', "E&xit"));
    EXPECT_FALSE(IsAccel(U'e', "E&xit"));
    EXPECT_EQ(StripHotkey("Save && &Close"), "Save & Close");
}

}  // namespace
