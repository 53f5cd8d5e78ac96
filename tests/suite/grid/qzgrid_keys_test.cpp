// The grid's keys with real key events: Tab and Enter moves, appending
// only where editing is allowed, Escape, Ctrl+Delete, the ditto short-cut
// and picture masks typed into the cell editor.
#include "platform/ui/dialogs.h"
#include "suite/grid/qzinplace.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

class QzKeys : public QzGridTest {
protected:
    void ShowFocused(int Records) {
        Open(Records);
        Show();
        Grid->SetFocus();
        ProcessEvents();
    }
    int Records() { return Table->RecordCount(); }
};

TEST_F(QzKeys, TabWrapsToTheNextRecordAndBack) {
    ShowFocused(3);
    const int last = Grid->ColCount() - Grid->IndicatorOffset() - 1;
    Grid->SelectDataColumn(last);
    SendKey(Grid, VK_TAB);
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    SendKey(Grid, VK_TAB);
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    SendKey(Grid, VK_TAB, {ssShift});
    SendKey(Grid, VK_TAB, {ssShift});
    EXPECT_EQ(Id(), 1);
    EXPECT_EQ(Grid->SelectedIndex(), last);
}

TEST_F(QzKeys, EnterMovesLikeTabOnlyWhenAsked) {
    ShowFocused(2);
    SendKey(Grid, VK_RETURN);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    Grid->SetKeyOptions(Grid->KeyOptions() + dgEnterToTab);
    SendKey(Grid, VK_RETURN);
    EXPECT_EQ(Grid->SelectedIndex(), 1);
}

// Down past the last record and Tab past the last column append only
// where the grid may edit.
TEST_F(QzKeys, AppendOnlyWhenTheGridMayEdit) {
    struct Case {
        bool ReadOnly;
        bool Editing;
        bool Appends;
    } cases[] = {{false, true, true}, {true, true, false}, {false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.ReadOnly) + std::to_string(c.Editing));
        if (!Table->Active()) ShowFocused(2);
        Grid->SetReadOnly(c.ReadOnly);
        Grid->SetOptions(c.Editing ? Grid->Options() + dgEditing : Grid->Options() - dgEditing);
        Table->Last();
        SendKey(Grid, VK_DOWN);
        EXPECT_EQ(Table->State() == dsInsert, c.Appends);
        if (c.Appends) {
            // Up on the untouched new record cancels it.
            SendKey(Grid, VK_UP);
            EXPECT_EQ(Table->State(), dsBrowse);
            EXPECT_EQ(Records(), 2);
        }
        Table->Last();
        Grid->SelectDataColumn(Grid->ColCount() - Grid->IndicatorOffset() - 1);
        SendKey(Grid, VK_TAB);
        EXPECT_EQ(Table->State() == dsInsert, c.Appends);
        if (Table->State() == dsInsert) Table->Cancel();
        EXPECT_EQ(Records(), 2);
    }
}

TEST_F(QzKeys, EscapeAsksBeforeDiscarding) {
    ShowFocused(2);
    TTestDialogs dialogs;
    Table->Edit();
    Table->FieldByName("Name")->SetAsString("changed");
    dialogs.Answer(mrNo);
    SendKey(Grid, VK_ESCAPE);
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Discard changes to this record?");
    EXPECT_EQ(Table->State(), dsEdit);
    dialogs.Answer(mrYes);
    SendKey(Grid, VK_ESCAPE);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Name1");
}

TEST_F(QzKeys, CtrlDeleteAsksAndPlainDeleteDoesNot) {
    ShowFocused(3);
    TTestDialogs dialogs;
    SendKey(Grid, VK_DELETE);
    EXPECT_EQ(Records(), 3);
    EXPECT_EQ(dialogs.Count(), 0);
    dialogs.Answer(mrCancel);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Delete record?");
    EXPECT_EQ(Records(), 3);
    dialogs.Answer(mrOk);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ(Records(), 2);
    EXPECT_EQ(Id(), 2);
    // A read-only grid deletes nothing and asks nothing.
    Grid->SetReadOnly(true);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ(Records(), 2);
    EXPECT_EQ(dialogs.Count(), 2);
}

TEST_F(QzKeys, DittoCopiesTheFieldFromThePriorRecord) {
    ShowFocused(3);
    Grid->DittoAttributes()->SetShortCutDittoField(ShortCut('D', {ssCtrl}));
    Grid->SelectDataColumn(1);  // Name
    SendKey(Grid, VK_DOWN);
    ASSERT_EQ(Id(), 2);
    int asked = 0;
    Grid->SetOnDitto(TqzDittoEvent([&](TObject*, TDataSet*, TField*, std::string& Value, bool&) {
        ++asked;
        EXPECT_EQ(Value, "Name1");
    }));
    SendKey(Grid, 'D', {ssCtrl});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Name1");
    EXPECT_EQ(Table->State(), dsEdit);
    Table->Cancel();
}

TEST_F(QzKeys, MaskCheckedOnEveryKeystroke) {
    Table->PictureMasks()->Add("Code\t###\tF");
    ShowFocused(2);
    std::vector<bool> checks;
    Grid->SetOnCheckValue(TqzCheckValueEvent([&](TObject* Sender, bool Passes) {
        EXPECT_NE(dynamic_cast<TqzInplaceEdit*>(Sender), nullptr);
        checks.push_back(Passes);
    }));
    Grid->SelectDataColumn(4);  // Code
    Grid->ShowEditor();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(dynamic_cast<TqzInplaceEdit*>(editor), nullptr);
    editor->SetFocus();
    ProcessEvents();
    editor->SelectAll();
    checks.clear();
    for (const char* ch : {"1", "2", "3"}) SendText(editor, ch);
    EXPECT_EQ(checks, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(editor->Text(), "123");
    // A letter at the end beeps, is dropped and tells no one.
    TBeepCounter beeps;
    checks.clear();
    editor->SetSelStart(3);
    SendText(editor, "x");
    EXPECT_EQ(editor->Text(), "123");
    EXPECT_EQ(beeps.Count(), 1);
    EXPECT_TRUE(checks.empty());
    Grid->SetOnCheckValue(TqzCheckValueEvent());
    Table->Post();
    EXPECT_EQ(Table->FieldByName("Code")->AsString(), "123");
}

}  // namespace

namespace {

TEST_F(QzKeys, EscapeWithAnAlwaysShownEditorTestsTheValueAgain) {
    Table->PictureMasks()->Add("Code\t###\tF");
    ShowFocused(2);
    Grid->SetOptions(Grid->Options() + dgAlwaysShowEditor);
    Grid->SelectDataColumn(4);  // Code, "C1": fails "###"
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->Visible());
    std::vector<bool> checks;
    Grid->SetOnCheckValue(TqzCheckValueEvent([&](TObject*, bool Passes) { checks.push_back(Passes); }));
    editor->SetFocus();
    ProcessEvents();
    checks.clear();
    SendKey(editor, VK_ESCAPE);
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->Text(), "C1");
    EXPECT_EQ(checks, std::vector<bool>{false});
}

// Letters of any script go into a text cell; a number cell refuses them
// with a beep, as it refuses ASCII letters.
TEST_F(QzKeys, LettersOfAnyScriptGoIntoATextCell) {
    ShowFocused(2);
    TBeepCounter beeps;
    Grid->SelectDataColumn(1);
    SendText(Grid, "€");
    for (const char* letter : {"Ж", "é", "日", "😀"}) SendText(FocusedControl(), letter);
    EXPECT_EQ(beeps.Count(), 0);
    SendKeyToFocus(VK_RETURN);
    Table->Post();
    EXPECT_EQ(Table->FieldByName("Name")->AsString(), "€Жé日😀");
    Grid->SelectDataColumn(2);
    for (const char* letter : {"€", "Ж", "a"}) SendText(FocusedControl(), letter);
    EXPECT_EQ(beeps.Count(), 3);
    EXPECT_EQ(Table->FieldByName("Amount")->AsFloat(), 1.5);
}

// A read-only column (its Selected line says "T") shows its text in the
// editor but takes no typing; the other columns do.
// A binary blob's cell shows its placeholder: typing, and typing after F2, leave
// the stored bytes as they were.
TEST_F(QzKeys, ABinaryBlobCellNeverStoresItsPlaceholder) {
    Table->FieldDefs()->Add("Data", ftBlob);
    ShowFocused(1);
    const std::string bytes("\x89PNG\0\x01\xff", 7);
    Table->Edit();
    Table->FieldByName("Data")->SetAsString(bytes);
    Table->Post();
    Grid->SelectDataColumn(5);
    SendText(Grid, "x");
    SendKeyToFocus(VK_F2);
    SendText(FocusedControl(), "y");
    SendKeyToFocus(VK_RETURN);
    if (Table->State() != dsBrowse) Table->Post();
    EXPECT_EQ(Table->FieldByName("Data")->AsString(), bytes);
}

TEST_F(QzKeys, AReadOnlyColumnTakesNoTyping) {
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t10\tName\tF\nAmount\t6\tAmount\tT\nCode\t6\tCode\tF\n");
    ShowFocused(2);
    TBeepCounter beeps;
    Grid->SelectDataColumn(1);
    SendText(Grid, "5");
    SendKeyToFocus(VK_F2);
    SendText(FocusedControl(), "6");
    SendKeyToFocus(VK_DOWN);
    EXPECT_EQ(Table->State(), dsBrowse);
    Table->First();
    EXPECT_EQ(Table->FieldByName("Amount")->AsFloat(), 1.5);
    // Tab passes it by; the next column takes the typing.
    Grid->SelectDataColumn(0);
    SendKeyToFocus(VK_TAB);
    EXPECT_EQ(Grid->SelectedIndex(), 2);
    SendText(FocusedControl(), "Z");
    SendKeyToFocus(VK_RETURN);
    Table->Post();
    EXPECT_EQ(Table->FieldByName("Code")->AsString(), "Z");
    // A read-only field is the same.
    Table->FieldByName("Code")->SetReadOnly(true);
    Grid->LayoutChanged();
    Grid->SelectDataColumn(2);
    SendText(Grid, "Y");
    SendKeyToFocus(VK_ESCAPE);
    EXPECT_EQ(Table->FieldByName("Code")->AsString(), "Z");
    EXPECT_EQ(Table->State(), dsBrowse);
}

}  // namespace

// Text typed into a cell goes to that cell's field whichever way the cell is
// left, also between columns of different types; Escape drops it, and End
// stays with the cell editor.
TEST_F(QzKeys, TypedTextStaysInItsCell) {
    struct Case {
        const char* Name;
        int StartCol;  // Name, Amount or Code
        std::function<void()> Leave;
        const char* Name0;
        const char* Code0;
    } cases[] = {
        {"Tab", 1, [] { SendKeyToFocus(VK_TAB); }, "QQ", "C1"},
        {"ShiftTab", 4, [] { SendKeyToFocus(VK_TAB, {ssShift}); }, "Name1", "QQ"},
        {"EnterToTab", 1, [] { SendKeyToFocus(VK_RETURN); }, "QQ", "C1"},
        {"Escape", 1, [] { SendKeyToFocus(VK_ESCAPE); }, "Name1", "C1"},
        {"EndThenTab", 1,
         [] {
             SendKeyToFocus(VK_END);
             SendText(FocusedControl(), "!");
             SendKeyToFocus(VK_TAB);
         },
         "QQ!", "C1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (!Table->Active()) ShowFocused(2);
        Grid->SetKeyOptions(Grid->KeyOptions() + dgEnterToTab);
        Grid->SetFocus();
        Table->First();
        Grid->SelectDataColumn(c.StartCol);
        SendText(Grid, "Q");
        SendText(FocusedControl(), "Q");
        c.Leave();
        EXPECT_NO_THROW(Table->Post());
        Table->First();
        EXPECT_EQ(c.Name0, Table->FieldByName("Name")->AsString());
        EXPECT_EQ(c.Code0, Table->FieldByName("Code")->AsString());
        EXPECT_EQ(1.5, Table->FieldByName("Amount")->AsFloat());
        Table->Close();
    }
}
