// The drop-down edit as an edit: settings and their limits, moving between
// controls with Enter and the arrows, typing into a bound field, Escape,
// the custom dialog, the display and update hooks, and the look of the
// button in each style.
#include "support/engine-controls/dbedit_test_fixture.h"
#include "support/environment.h"

#include "platform/core/properties.h"
#include "platform/ui/dbctrls.h"

namespace {

class DBEditEditTest : public DBEditTest {};

TEST_F(DBEditEditTest, ButtonWidthMustBeAboveElevenAndBelowHalfTheWidth) {
    TOstraDBEdit* e = NewEdit(odsCombo);
    e->SetWidth(100);
    e->SetButtonWidth(11);
    EXPECT_EQ(15, e->ButtonWidth());
    e->SetButtonWidth(12);
    EXPECT_EQ(12, e->ButtonWidth());
    e->SetButtonWidth(50);
    EXPECT_EQ(12, e->ButtonWidth());
    e->SetButtonWidth(49);
    EXPECT_EQ(49, e->ButtonWidth());
    EXPECT_EQ(e->ClientWidth() - 49, e->ButtonRect().Left);
}

TEST_F(DBEditEditTest, AlignmentFollowsTheStyle) {
    TOstraDBEdit* e = NewEdit(odsEdit);
    e->SetAlignment(taCenter);
    EXPECT_EQ(taCenter, e->Alignment());
    e->SetDialogStyle(odsCalculator);
    EXPECT_EQ(taRightJustify, e->Alignment());
    e->SetAlignment(taLeftJustify);
    EXPECT_EQ(taRightJustify, e->Alignment());
    e->SetDialogStyle(odsCombo);
    EXPECT_EQ(taLeftJustify, e->Alignment());
    e->SetAlignment(taRightJustify);
    EXPECT_EQ(taLeftJustify, e->Alignment());
    // odsEdit keeps what it had.
    e->SetDialogStyle(odsEdit);
    EXPECT_EQ(taLeftJustify, e->Alignment());
}

TEST_F(DBEditEditTest, EnterMovesToTheNextControl) {
    TOstraDBEdit* first = NewEdit(odsEdit, 10);
    TOstraDBEdit* second = NewEdit(odsEdit, 40);
    second->SetTabOrder(1);
    Focus(first);
    Key(first, VK_RETURN);
    EXPECT_EQ(second, FocusedControl());
    // Without EnterAsTab Enter stays.
    second->SetEnterAsTab(false);
    Key(second, VK_RETURN);
    EXPECT_EQ(second, FocusedControl());
}

TEST_F(DBEditEditTest, UpAndDownMoveBetweenControlsWhenNothingIsOpen) {
    TOstraDBEdit* first = NewEdit(odsCombo, 10);
    TOstraDBEdit* second = NewEdit(odsCalendar, 40);
    second->SetTabOrder(1);
    Focus(first);
    Key(first, VK_DOWN);
    EXPECT_EQ(second, FocusedControl());
    EXPECT_FALSE(first->DroppedDown());
    Key(second, VK_UP);
    EXPECT_EQ(first, FocusedControl());
}

TEST_F(DBEditEditTest, TypingIntoABoundFieldEditsTheRecord) {
    TOstraDBEdit* e = NewEdit(odsEdit);
    Bind(e, "Group");
    EXPECT_EQ("Work", e->Text());
    Focus(e);
    e->SelectAll();
    Type(e, "Shop");
    EXPECT_EQ(dsEdit, Goals->State());
    EXPECT_FALSE(e->ReadOnly());
    EXPECT_EQ("Shop", e->Text());
    EXPECT_EQ(Variant("Shop"), e->Value());
    Goals->Post();
    EXPECT_EQ("Shop", Stored("Group"));
    // Browsing again: read-only until typing starts the next edit.
    EXPECT_TRUE(e->ReadOnly());
    Type(e, "s");
    EXPECT_EQ(dsEdit, Goals->State());
    EXPECT_EQ("Shops", e->Text());
}

// Typing and pasting into a text field stop at the field's size, so what
// shows is what is stored; a value list's name longer than the field still
// shows whole, a length the program sets holds, and another field brings its
// own size.
TEST_F(DBEditEditTest, TypingStopsAtTheTextFieldsSize) {
    TTestClipboard clip;
    TOstraDBEdit* e = NewEdit(odsEdit);
    Bind(e, "Group");  // 15 characters
    Focus(e);
    e->SelectAll();
    Type(e, "A group name longer than fifteen");
    EXPECT_EQ("A group name lo", e->Text());
    Goals->Post();
    EXPECT_EQ("A group name lo", Stored("Group"));
    Focus(e);
    e->SelectAll();
    Clipboard()->SetAsText("Pasted past the field's end");
    Key(e, 'V', {ssCtrl});
    EXPECT_EQ("Pasted past the", e->Text());
    Goals->Post();
    EXPECT_EQ("Pasted past the", Stored("Group"));

    // a name of the value list shows whole over a five-character field
    TOstraDBEdit* c = NewEdit(odsCombo, 40);
    SetLines(c->ComboProps()->ComboItems(), {"Completed", "Low"});
    SetLines(c->ComboProps()->ComboValues(), {"4", "3"});
    Goals->Edit();
    Goals->FieldByName("Priority")->SetAsString("4");
    Goals->Post();
    Bind(c, "Priority");
    EXPECT_EQ("Completed", c->Text());

    // set by the program: kept, also over another field
    e->SetMaxLength(4);
    e->SetDataField("Priority");
    EXPECT_EQ(4, e->MaxLength());
    TOstraDBEdit* f = NewEdit(odsEdit, 70);
    Bind(f, "Group");
    EXPECT_EQ(15, f->MaxLength());
    f->SetDataField("Priority");
    EXPECT_EQ(5, f->MaxLength());
}

// Read-only set by the program holds while the record is edited by others:
// typing, deleting, pasting and the value list change nothing.
TEST_F(DBEditEditTest, AReadOnlyEditNeverWrites) {
    TTestClipboard clip;
    TOstraDBEdit* e = NewEdit(odsEdit);
    Bind(e, "Group");
    e->SetReadOnly(true);
    Focus(e);
    e->SelectAll();
    Type(e, "Shop");
    Key(e, VK_DELETE);
    EXPECT_EQ(dsBrowse, Goals->State());
    Goals->Edit();  // the record is edited elsewhere
    Focus(e);
    e->SelectAll();
    Type(e, "Shop");
    Key(e, VK_BACK);
    Clipboard()->SetAsText("Pasted");
    Key(e, 'V', {ssCtrl});
    EXPECT_EQ("Work", e->Text());
    Goals->Post();
    EXPECT_EQ("Work", Stored("Group"));
    e->SetReadOnly(false);
    Focus(e);
    e->SelectAll();
    Type(e, "Shop");
    EXPECT_EQ(dsEdit, Goals->State());
    Goals->Post();
    EXPECT_EQ("Shop", Stored("Group"));
}

TEST_F(DBEditEditTest, EscapePutsTheFieldsValueBack) {
    TOstraDBEdit* e = NewEdit(odsEdit);
    Bind(e, "Group");
    Focus(e);
    e->SelectAll();
    Type(e, "Shop");
    Key(e, VK_ESCAPE);
    EXPECT_EQ("Work", e->Text());
    EXPECT_EQ(Variant("Work"), e->Value());
    Focus(Other);
    EXPECT_EQ("Work", Stored("Group"));
}

TEST_F(DBEditEditTest, CharactersTheFieldRefusesBeep) {
    TOstraDBEdit* e = NewEdit(odsEdit);
    Bind(e, "Count");
    TBeepCounter beeps;
    Focus(e);
    Type(e, "4x2");
    EXPECT_EQ(1, beeps.Count());
    EXPECT_EQ("42", e->Text());
    Focus(Other);
    EXPECT_EQ(42, Goals->FieldByName("Count")->AsInteger());
}

TEST_F(DBEditEditTest, EmptiedTextStoresClearValue) {
    TOstraDBEdit* e = NewEdit(odsEdit);
    e->SetDataSource(Source);
    e->SetDataField("Group");
    e->SetClearValue("None");
    ProcessEvents();
    Focus(e);
    e->SelectAll();
    Key(e, VK_DELETE);
    EXPECT_EQ("", e->Text());
    EXPECT_EQ(Variant("None"), e->Value());
    Focus(Other);
    EXPECT_EQ("None", Stored("Group"));
}

TEST_F(DBEditEditTest, TextSetByCodeLeavesTheValue) {
    TOstraDBEdit* e = NewPriorityEdit(false);
    Focus(e);
    e->DropDown();
    Key(e, VK_DOWN);
    Key(e, VK_DOWN);
    Key(e, VK_DOWN);
    Key(e, VK_DOWN);
    Key(e, VK_RETURN);
    EXPECT_EQ("Low", e->Text());
    EXPECT_EQ(Variant("3"), e->Value());
    e->SetText("Low");
    EXPECT_EQ(Variant("3"), e->Value());
}

TEST_F(DBEditEditTest, DisplayTextEventDecidesTheText) {
    TOstraDBEdit* e = NewEdit(odsEdit);
    std::vector<std::string> asked;
    e->SetOnDisplayText(TOstraDisplayTextEvent([&](TObject*, const std::string& value, std::string& text) {
        asked.push_back(value);
        text = "<" + value + ">";
    }));
    Bind(e, "Priority");
    EXPECT_EQ("<2>", e->Text());
    EXPECT_EQ(Variant("2"), e->Value());
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ("2", asked.back());
}

TEST_F(DBEditEditTest, UpdateDataEventReplacesWritingTheField) {
    TOstraDBEdit* e = NewEdit(odsEdit);
    std::string written = "none";
    e->SetOnUpdateData(TOstraUpdateDataEvent([&](TObject*, const std::string& text) { written = text; }));
    Bind(e, "Group");
    Focus(e);
    e->SelectAll();
    Type(e, "Shop");
    Focus(Other);
    EXPECT_EQ("Shop", written);
    Goals->Cancel();
    EXPECT_EQ("Work", Stored("Group"));
}

TEST_F(DBEditEditTest, UpperCaseIsAppliedToTheShownText) {
    TOstraDBEdit* e = NewPriorityEdit(false);
    e->SetCharCase(ecUpperCase);
    Bind(e, "Priority");
    EXPECT_EQ("MEDIUM", e->Text());
}

TEST_F(DBEditEditTest, CustomDialogRunsFromTheButtonAndCtrlEnter) {
    TOstraDBEdit* e = NewEdit(odsCustomDlg);
    Bind(e, "Group");
    int runs = 0;
    bool droppedWhileRunning = false;
    e->SetOnCustomDlg(TNotifyEvent([&](TObject*) {
        ++runs;
        droppedWhileRunning = e->DroppedDown();
    }));
    Focus(e);
    ClickButton(e);
    EXPECT_EQ(1, runs);
    EXPECT_TRUE(droppedWhileRunning);
    EXPECT_FALSE(e->DroppedDown());
    // The button runs it, the dataset is ready for the dialog's changes.
    EXPECT_EQ(dsEdit, Goals->State());
    Goals->Cancel();
    Key(e, VK_RETURN, {ssCtrl});
    EXPECT_EQ(2, runs);
    // A release away from the button runs nothing.
    const TRect b = e->ButtonRect();
    SendMouseDown(e, mbLeft, (b.Left + b.Right) / 2, 5);
    SendMouseMove(e, 5, 5, {ssLeft});
    SendMouseUp(e, mbLeft, 5, 5);
    ProcessEvents();
    EXPECT_EQ(2, runs);
}

TEST_F(DBEditEditTest, ButtonShowsPressedWhileTheMouseIsOverIt) {
    TOstraDBEdit* e = NewEdit(odsCustomDlg);
    e->SetOnCustomDlg(TNotifyEvent([](TObject*) {}));
    const TRect b = e->ButtonRect();
    const int cx = (b.Left + b.Right) / 2, cy = (b.Top + b.Bottom) / 2;
    TBitmap up, down;
    RenderControl(e, &up);
    SendMouseDown(e, mbLeft, cx, cy);
    ProcessEvents();
    RenderControl(e, &down);
    // The three dots move by a pixel when pressed.
    const TPoint o{e->NonClientMargins().Left, e->NonClientMargins().Top};
    int changed = 0;
    for (int y = b.Top; y < b.Bottom; ++y)
        for (int x = b.Left; x < b.Right; ++x)
            if (up.Canvas()->Pixels(o.X + x, o.Y + y) != down.Canvas()->Pixels(o.X + x, o.Y + y)) ++changed;
    EXPECT_GT(changed, 0);
    SendMouseUp(e, mbLeft, cx, cy);
    ProcessEvents();
}

TEST_F(DBEditEditTest, HandCursorOverTheButton) {
    TOstraDBEdit* e = NewEdit(odsCombo);
    e->SetCursor(crIBeam);
    const TRect b = e->ButtonRect();
    SendMouseMove(e, (b.Left + b.Right) / 2, 5);
    ProcessEvents();
    EXPECT_EQ(crHandPoint, e->Cursor());
    SendMouseMove(e, 5, 5);
    ProcessEvents();
    EXPECT_EQ(crIBeam, e->Cursor());
    // Everywhere when only the list chooses.
    e->SetStyle(ocsDropDownList);
    SendMouseMove(e, 6, 5);
    ProcessEvents();
    EXPECT_EQ(crHandPoint, e->Cursor());
}

TEST_F(DBEditEditTest, ButtonIsDrawnInEachStyle) {
    struct Case {
        TOstraDialogStyle Style;
        std::string File;
    };
    const Case cases[] = {{odsCombo, TestRunPath("dbedit_button_combo.png")},
                          {odsLookup, TestRunPath("dbedit_button_lookup.png")},
                          {odsCalendar, TestRunPath("dbedit_button_calendar.png")},
                          {odsTree, TestRunPath("dbedit_button_tree.png")},
                          {odsCalculator, TestRunPath("dbedit_button_calculator.png")},
                          {odsCustomDlg, TestRunPath("dbedit_button_custom.png")}};
    TOstraDBEdit* e = NewEdit(odsEdit);
    e->SetText("Some text");
    TBitmap plain;
    RenderControl(e, &plain);
    const TRect b = e->ButtonRect();
    const TPoint o{e->NonClientMargins().Left, e->NonClientMargins().Top};
    for (const Case& c : cases) {
        e->SetDialogStyle(c.Style);
        ProcessEvents();
        TBitmap bmp;
        RenderControl(e, &bmp);
        SaveZoomed(bmp, std::string(c.File) + ".zoom.png");
        // Button face colour at the button, window colour left of it.
        int face = 0;
        for (int y = b.Top + 2; y < b.Bottom - 2; ++y)
            for (int x = b.Left + 2; x < b.Right - 2; ++x)
                if (bmp.Canvas()->Pixels(o.X + x, o.Y + y) == ColorToRGB(clBtnFace)) ++face;
        bmp.SaveToFile(c.File);
        EXPECT_GT(face, 10) << c.File;
        EXPECT_EQ(ColorToRGB(clWindow), bmp.Canvas()->Pixels(o.X + b.Left - 6, o.Y + 2)) << c.File;
    }
}

// A table made read-only while open: the navigator's change buttons and the
// bound edit follow at once, and made writable again they come back.
TEST_F(DBEditEditTest, ControlsFollowATableMadeReadOnlyWhileOpen) {
    auto* nav = new TDBNavigator(Form);
    nav->SetParent(Form);
    nav->SetBounds(10, 100, 240, 25);
    nav->SetDataSource(Source);
    TOstraDBEdit* e = NewEdit(odsEdit);
    e->SetDataSource(Source);
    e->SetDataField("Group");
    ProcessEvents();
    ASSERT_TRUE(nav->Buttons(nbInsert)->Enabled());
    Goals->SetReadOnly(true);
    ProcessEvents();
    EXPECT_FALSE(nav->Buttons(nbInsert)->Enabled());
    EXPECT_FALSE(nav->Buttons(nbDelete)->Enabled());
    EXPECT_FALSE(nav->Buttons(nbEdit)->Enabled());
    Focus(e);
    Type(e, "x");
    EXPECT_EQ(dsBrowse, Goals->State());
    EXPECT_EQ("Work", Stored("Group"));
    Goals->SetReadOnly(false);
    ProcessEvents();
    EXPECT_TRUE(nav->Buttons(nbInsert)->Enabled());
    EXPECT_TRUE(nav->Buttons(nbEdit)->Enabled());
}

}  // namespace
