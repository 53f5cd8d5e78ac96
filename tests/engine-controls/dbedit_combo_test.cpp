// The drop-down edit's value list (odsCombo): mapped values both ways,
// choosing by mouse and keys, Escape, the list's type-ahead, and a list of
// set values that typing cannot bypass.
#include "support/engine-controls/dbedit_test_fixture.h"
#include "support/environment.h"

#include <functional>

namespace {

class DBEditComboTest : public DBEditTest {};

TEST_F(DBEditComboTest, MappedValueShowsItsItemAndMakesAListOfSetValues) {
    TOstraDBEdit* e = NewPriorityEdit();
    EXPECT_EQ("2", Stored("Priority"));
    EXPECT_EQ("Medium", e->Text());
    EXPECT_EQ(Variant("2"), e->Value());
    EXPECT_EQ(ocsDropDownList, e->Style());
    EXPECT_TRUE(e->AutoDropDown());
    Goals->Next();
    EXPECT_EQ("Urgent", e->Text());
    // A value that no line stands for shows nothing.
    Goals->Next();
    EXPECT_EQ("9", Stored("Priority"));
    EXPECT_EQ("", e->Text());
}

TEST_F(DBEditComboTest, PickingAnItemWithTheMouseStoresItsValue) {
    TOstraDBEdit* e = NewPriorityEdit();
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    TOstraListbox* list = e->ValueList();
    ASSERT_NE(nullptr, list);
    EXPECT_TRUE(list->Visible());
    EXPECT_EQ(2, list->ItemIndex());
    RenderDropped(e, TestRunPath("dbedit_combo.png"));
    const TRect r = list->ItemRect(3);
    SendClick(list, r.Left + 10, (r.Top + r.Bottom) / 2);
    ProcessEvents();
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ("3", Stored("Priority"));
    EXPECT_EQ(dsEdit, Goals->State());
    EXPECT_EQ("Low", e->Text());
    EXPECT_EQ(Variant("3"), e->Value());
    Goals->Post();
    EXPECT_EQ("3", Stored("Priority"));
}

TEST_F(DBEditComboTest, KeysOpenChooseAndAccept) {
    TOstraDBEdit* e = NewPriorityEdit();
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    ASSERT_TRUE(e->DroppedDown());
    Key(e, VK_DOWN);
    Key(e, VK_DOWN);
    EXPECT_EQ(4, e->ValueList()->ItemIndex());
    Key(e, VK_RETURN);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ("4", Stored("Priority"));
    EXPECT_EQ("Completed", e->Text());
    // Enter closed the list only: the focus stayed in the edit.
    EXPECT_EQ(e, FocusedControl());
}

TEST_F(DBEditComboTest, TypedLettersSelectTheFirstItemBeginningWithThem) {
    TOstraDBEdit* e = NewPriorityEdit();
    Focus(e);
    // AutoDropDown: the first letter opens the list and searches.
    Type(e, "c");
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(4, e->ValueList()->ItemIndex());
    Type(e, "x");
    EXPECT_EQ("cx", e->ValueList()->SearchText());
    Key(e, VK_BACK);
    EXPECT_EQ("", e->ValueList()->SearchText());
    Type(e, "hi");
    EXPECT_EQ(1, e->ValueList()->ItemIndex());
    Key(e, VK_RETURN);
    EXPECT_EQ("1", Stored("Priority"));
    EXPECT_EQ("High", e->Text());
}

TEST_F(DBEditComboTest, SearchTextStopsAt32Characters) {
    TOstraDBEdit* e = NewPriorityEdit();
    Focus(e);
    Key(e, VK_DOWN, {ssAlt});
    Type(e, std::string(32, 'm'));
    EXPECT_EQ(32u, e->ValueList()->SearchText().size());
    Type(e, "q");
    EXPECT_EQ(std::string(32, 'm'), e->ValueList()->SearchText());
}

TEST_F(DBEditComboTest, ListOfSetValuesNeverStoresAPartialText) {
    TOstraDBEdit* e = NewPriorityEdit();
    e->SetAutoDropDown(false);
    TTestClipboard clipboard;
    TBeepCounter beeps;
    Focus(e);
    EXPECT_EQ("Medium", e->Text());
    // Backspace, typing, cut, paste and Delete change neither text nor value.
    e->SetSelStart(6);
    Key(e, VK_BACK);
    Type(e, "Mediu");
    Key(e, VK_DELETE);
    e->SelectAll();
    Key(e, 'X', {ssCtrl});
    Clipboard()->SetAsText("Mediu");
    Key(e, 'V', {ssCtrl});
    Key(e, VK_INSERT, {ssShift});
    EXPECT_EQ("Medium", e->Text());
    EXPECT_EQ(Variant("2"), e->Value());
    EXPECT_GT(beeps.Count(), 0);
    // Leaving writes back what the list chose, not a typed text.
    Focus(Other);
    EXPECT_EQ("2", Stored("Priority"));
    EXPECT_NE("Mediu", Stored("Priority"));
}

TEST_F(DBEditComboTest, SpaceOpensAListOfSetValues) {
    TOstraDBEdit* e = NewPriorityEdit();
    e->SetAutoDropDown(false);
    Focus(e);
    Type(e, " ");
    EXPECT_TRUE(e->DroppedDown());
    EXPECT_EQ("Medium", e->Text());
}

TEST_F(DBEditComboTest, ShorterValueListIsNotMappedAndStoresTheItemText) {
    auto* e = NewEdit(odsCombo);
    SetLines(e->ComboProps()->ComboItems(), {"Work", "Home", "Garden"});
    SetLines(e->ComboProps()->ComboValues(), {"W", "H"});
    Bind(e, "Group");
    EXPECT_FALSE(e->ComboProps()->ValueMapped());
    EXPECT_EQ(ocsDropDown, e->Style());
    EXPECT_EQ("Work", e->Text());
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(0, e->ValueList()->ItemIndex());
    Key(e, VK_DOWN);
    Key(e, VK_DOWN);
    Key(e, VK_RETURN);
    EXPECT_EQ("Garden", Stored("Group"));
}

TEST_F(DBEditComboTest, FreeComboStoresTypedText) {
    auto* e = NewEdit(odsCombo);
    SetLines(e->ComboProps()->ComboItems(), {"Work", "Home"});
    Bind(e, "Group");
    Focus(e);
    e->SelectAll();
    Type(e, "Shed");
    EXPECT_EQ(Variant("Shed"), e->Value());
    EXPECT_EQ(dsEdit, Goals->State());
    Focus(Other);
    EXPECT_EQ("Shed", Stored("Group"));
}

TEST_F(DBEditComboTest, UnboundEditKeepsTheValueWhenItShowsTheItem) {
    TOstraDBEdit* e = NewPriorityEdit(false);
    std::string updated = "none";
    e->SetOnUpdateData(TOstraUpdateDataEvent([&](TObject*, const std::string& t) { updated = t; }));
    Focus(e);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(-1, e->ValueList()->ItemIndex());
    const TRect r = e->ValueList()->ItemRect(3);
    SendClick(e->ValueList(), r.Left + 5, (r.Top + r.Bottom) / 2);
    ProcessEvents();
    EXPECT_EQ("Low", e->Text());
    EXPECT_EQ(Variant("3"), e->Value());
    EXPECT_EQ("Low", updated);
}

TEST_F(DBEditComboTest, ListIsSizedToItsItemsAndRows) {
    TOstraDBEdit* e = NewPriorityEdit();
    e->SetDropDownRows(3);
    Focus(e);
    ClickButton(e);
    TOstraListbox* list = e->ValueList();
    ASSERT_TRUE(e->DroppedDown());
    EXPECT_EQ(3 * list->ItemHeight() + 2, list->Height());
    EXPECT_GE(list->Width(), e->Width());
    // Below the edit, its left edges lined up.
    const TPoint editOrigin = e->ClientOrigin();
    const TRect nc = e->NonClientMargins();
    EXPECT_EQ(editOrigin.X - nc.Left, list->Left());
    EXPECT_EQ(editOrigin.Y - nc.Top + e->Height(), list->Top());
    Key(e, VK_ESCAPE);
    e->SetDropDownWidth(300);
    ClickButton(e);
    EXPECT_EQ(300, list->Width());
}

// A second click on the button, a click elsewhere and the focus leaving all
// close the list and keep the stored value, a line moved to or not.
TEST_F(DBEditComboTest, ClosingWithoutChoosingKeepsTheValue) {
    const struct {
        const char* Name;
        bool MoveFirst;
        std::function<void(TOstraDBEdit*)> Close;
    } cases[] = {{"button", false, [](TOstraDBEdit* e) { ClickButton(e); }},
                 {"click elsewhere", true,
                  [this](TOstraDBEdit*) {
                      SendClick(Other, 5, 5);
                      ProcessEvents();
                  }},
                 {"focus elsewhere", true, [this](TOstraDBEdit*) { Focus(Other); }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TOstraDBEdit* e = NewPriorityEdit();
        Focus(e);
        ClickButton(e);
        if (c.MoveFirst) Key(e, VK_DOWN);
        ASSERT_TRUE(e->DroppedDown());
        c.Close(e);
        EXPECT_FALSE(e->DroppedDown());
        EXPECT_FALSE(e->ValueList()->Visible());
        EXPECT_EQ("2", Stored("Priority"));
        delete e;
    }
}

TEST_F(DBEditComboTest, DraggingFromTheButtonIntoTheListChooses) {
    TOstraDBEdit* e = NewPriorityEdit();
    Focus(e);
    const TRect b = e->ButtonRect();
    SendMouseDown(e, mbLeft, (b.Left + b.Right) / 2, 5);
    ProcessEvents();
    TOstraListbox* list = e->ValueList();
    ASSERT_TRUE(e->DroppedDown());
    // The mouse stays with the edit; moving into the list hands it over.
    const TRect r = list->ItemRect(4);
    const TPoint inList = e->ScreenToClient(list->ClientToScreen(TPoint{r.Left + 5, (r.Top + r.Bottom) / 2}));
    SendMouseMove(e, inList.X, inList.Y, {ssLeft});
    ProcessEvents();
    EXPECT_EQ(4, list->ItemIndex());
    SendMouseUp(e, mbLeft, inList.X, inList.Y);
    ProcessEvents();
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ("4", Stored("Priority"));
}

}  // namespace
