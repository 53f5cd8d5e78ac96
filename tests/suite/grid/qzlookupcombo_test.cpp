// The lookup combo over engine tables: the stored key's display text, the
// drop-down grid below or above, choosing by keys, clicks and a click
// outside, key values 1-3 written back, typed texts not in the list,
// misconfiguration, and a rendered look.
#include <gtest/gtest.h>
#include "support/suite/grid/qzlookupcombo_fixture.h"

#include <functional>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/base/qzdraw.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzlookupcombo.h"
#include "support/environment.h"

namespace {

TEST_F(QzLookupComboTest, ShowsTheKeysDisplayTextAndWritesKeysOneToThreeBack) {
    Bind("Id;Grp;Sub");
    EXPECT_EQ(3u, Combo->KeyFields().size());
    EXPECT_EQ("Banana", Combo->Text());
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    ASSERT_TRUE(Combo->GridWindow()->Showing());
    // Below the combo, five rows for five records.
    const TPoint origin = Form->ClientToScreen({Combo->Left(), Combo->Top()});
    EXPECT_EQ(origin.Y + Combo->Height() - 1, Combo->GridWindow()->Top());
    EXPECT_EQ(origin.X, Combo->GridWindow()->Left());
    EXPECT_GE(Combo->GridWindow()->Width(), Combo->Width());
    EXPECT_EQ("Banana", Items->FieldByName("Name")->AsString());  // positioned on the value
    SendKey(Combo, VK_DOWN);
    EXPECT_EQ("Carrot", Combo->Text());
    EXPECT_EQ("2", Bound("ItemId"));  // nothing written before the choice
    SendKey(Combo, VK_RETURN);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_FALSE(Combo->GridWindow()->Showing());
    EXPECT_EQ("3", Bound("ItemId"));
    EXPECT_EQ("V", Bound("Grp"));
    EXPECT_EQ("z", Bound("Sub"));
    EXPECT_EQ("Carrot", Combo->Text());
    Orders->Post();
    EXPECT_EQ("3", Bound("ItemId"));
    EXPECT_EQ("Carrot", Combo->Text());
}

TEST_F(QzLookupComboTest, ChoosesByClickEscapeDiscardsAndAClickOutsideAccepts) {
    Bind("Id");
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    const TPoint p = RowCentre(3);
    SendClick(Combo->Grid(), p.X, p.Y);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("Cherry", Combo->Text());
    EXPECT_EQ(Combo, FocusedControl());
    // Escape: the list closes, nothing written, the text comes back.
    SendKey(Combo, VK_F4);
    SendKey(Combo, VK_DOWN);
    EXPECT_EQ("Date", Combo->Text());
    SendKey(Combo, VK_ESCAPE);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("Cherry", Combo->Text());
    // A click elsewhere accepts the highlighted record.
    SendKey(Combo, VK_DOWN, {ssAlt});
    ASSERT_TRUE(Combo->IsDroppedDown());
    SendKey(Combo, VK_UP);
    SendClick(Form, 300, 120);
    ProcessEvents();
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("3", Bound("ItemId"));
    EXPECT_EQ("Carrot", Combo->Text());
}

// The lookup table opened after the binding (or closed and opened again)
// shows the stored value's text, and the keys work.
TEST_F(QzLookupComboTest, ShowsTheValueWhenTheLookupTableOpensLater) {
    TTestEnvironment env;
    Items->SaveToFile(env.Path("items.d"));
    Items->SetTableName(env.Path("items.d"));
    Bind("Id");
    EXPECT_EQ("", Combo->Text());
    Items->Open();
    EXPECT_EQ("Banana", Combo->Text());
    Items->Close();
    Orders->Edit();
    Orders->FieldByName("ItemId")->SetAsInteger(5);
    EXPECT_EQ("", Combo->Text());
    Items->Open();
    EXPECT_EQ("Date", Combo->Text());
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    SendKey(Combo, VK_UP);
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("Cherry", Combo->Text());
}

TEST_F(QzLookupComboTest, OpensAboveNearTheScreenBottom) {
    Bind("Id");
    const TRect work = Screen->WorkAreaRect();
    Form->SetBounds(0, work.Bottom - 90, 420, 80);
    ProcessEvents();
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    const TPoint origin = Form->ClientToScreen({Combo->Left(), Combo->Top()});
    EXPECT_EQ(origin.Y + 1, Combo->GridWindow()->Top() + Combo->GridWindow()->Height());
    EXPECT_LE(Combo->GridWindow()->Top() + Combo->GridWindow()->Height(), work.Bottom);
    SendKey(Combo, VK_DOWN);
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("3", Bound("ItemId"));
}

TEST_F(QzLookupComboTest, DropDownCountRowsAndTheWheelMoveTheGrid) {
    Bind("Id");
    Combo->SetDropDownCount(2);
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    EXPECT_EQ(2, Combo->Grid()->DataLink()->RecordCount());
    SendMouseWheel(Combo, -120, 20, 10);
    EXPECT_EQ("Carrot", Combo->Text());
    SendMouseWheel(Combo, -120, 20, 10);
    EXPECT_EQ("Cherry", Combo->Text());
    SendMouseWheel(Combo, 120, 20, 10);
    EXPECT_EQ("Carrot", Combo->Text());
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("3", Bound("ItemId"));
    // Zero counts as one row; closed, the wheel changes nothing.
    Combo->SetDropDownCount(0);
    SendKey(Combo, VK_F4);
    EXPECT_EQ(1, Combo->Grid()->DataLink()->RecordCount());
    SendKey(Combo, VK_ESCAPE);
    SendMouseWheel(Combo, -120, 20, 10);
    EXPECT_EQ("Carrot", Combo->Text());
    EXPECT_EQ("3", Bound("ItemId"));
}

// The list is as high as its rows plus the 2 pixels of its frame (one more
// pixel a row with row lines), and each row shows whole.
TEST_F(QzLookupComboTest, DropDownIsItsRowsHighPlusTheFrame) {
    Bind("Id");
    for (const bool rowLines : {false, true}) {
        if (rowLines) Combo->Grid()->SetOptions({loRowLines});
        for (const int count : {3, 1}) {
            SCOPED_TRACE(std::to_string(count) + (rowLines ? " with row lines" : ""));
            Combo->SetDropDownCount(count);
            SendKey(Combo, VK_F4);
            ASSERT_TRUE(Combo->IsDroppedDown());
            TqzLookupDropGrid* g = Combo->Grid();
            EXPECT_EQ(count * (g->DefaultRowHeight() + (rowLines ? 1 : 0)) + 2,
                      Combo->GridWindow()->Height());
            EXPECT_EQ(count, g->DataLink()->RecordCount());
            EXPECT_LE(g->CellRect(g->IndicatorOffset(), g->TitleOffset() + count - 1).Bottom,
                      g->ClientHeight());
            SendKey(Combo, VK_ESCAPE);
            EXPECT_FALSE(Combo->IsDroppedDown());
        }
    }
}

// LookupField "Id;Missing;Sub": only the leading key fields found count, so
// Sub is never paired with the second key position.
TEST_F(QzLookupComboTest, AMissingMiddleKeyFieldEndsTheKeyList) {
    Bind("Id;Missing;Sub");
    ASSERT_EQ(1u, Combo->KeyFields().size());
    EXPECT_EQ("Id", Combo->KeyFields()[0]);
    EXPECT_EQ("Banana", Combo->Text());
    SendKey(Combo, VK_F4);
    SendKey(Combo, VK_DOWN);
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("3", Bound("ItemId"));
    EXPECT_EQ("A", Bound("Grp"));
    EXPECT_EQ("y", Bound("Sub"));  // untouched
    // A missing third part leaves two keys, without an error.
    Combo->SetLookupField("Id;Grp;Nope");
    EXPECT_EQ((std::vector<std::string>{"Id", "Grp"}), Combo->KeyFields());
}

// A typed text that is not in the list never becomes an (integer) key: it
// reverts unless OnNotInList accepts, and an accepted text must then name a
// record.
TEST_F(QzLookupComboTest, ATextNotInTheListRevertsUnlessAcceptedAndFound) {
    Bind("Id");
    int offered = 0;
    bool addRecord = false;
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "Zed");
    // No handler: leaving reverts, the key stays.
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("2", Bound("ItemId"));
    EXPECT_EQ("Banana", Combo->Text());

    Combo->SetOnNotInList(
        TqzNotInListEvent([&](TObject*, TDataSet* Table, const std::string& Text, bool& Accept) {
            ++offered;
            EXPECT_EQ("Zed", Text);
            Accept = true;
            if (addRecord) Table->AppendRecord({Variant(9), Variant("Zed"), Variant("N"), Variant("n")});
        }));
    // Accepted but still not in the table: reverts.
    Combo->SetFocus();
    SendKey(Combo, VK_F4);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "Zed");
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ(1, offered);
    EXPECT_EQ("2", Bound("ItemId"));
    EXPECT_EQ("Banana", Combo->Text());
    // Accepted and added: the new record's key is written.
    addRecord = true;
    SendKey(Combo, VK_F4);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "Zed");
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ(2, offered);
    EXPECT_EQ("9", Bound("ItemId"));
    EXPECT_EQ("Zed", Combo->Text());
    // A typed text naming a record (other letter case) is that record.
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "date");
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(2, offered);
    EXPECT_EQ("5", Bound("ItemId"));
    EXPECT_EQ("Date", Combo->Text());
}

// A combo that shows its key: a typed key drops the grid down on its record,
// and nothing is written before the choice. A half-typed key is neither
// written nor offered to OnNotInList by the drop-down, and Escape in the
// field still brings the stored key back.
TEST_F(QzLookupComboTest, ATypedKeyDropsTheGridDownOnItsRecordWritingNothing) {
    auto* keys = new TOstraTable(Form);
    keys->FieldDefs()->Add("Key", ftString, 20);
    keys->Open();
    for (const char* k : {"Gamma", "Delta", "Epsilon", "Zeta"}) keys->AppendRecord({Variant(k)});
    auto* rows = new TOstraTable(Form);
    rows->FieldDefs()->Add("Key", ftString, 20);
    rows->Open();
    rows->AppendRecord({Variant("Gamma")});
    auto* rowSource = new TDataSource(Form);
    rowSource->SetDataSet(rows);
    int offered = 0;
    Combo->SetOnNotInList(
        TqzNotInListEvent([&](TObject*, TDataSet*, const std::string&, bool&) { ++offered; }));
    Combo->SetDataSource(rowSource);
    Combo->SetDataField("Key");
    Combo->SetLookupTable(keys);
    Combo->SetLookupField("Key");
    Form->Show();
    Combo->SetFocus();
    ProcessEvents();
    auto stored = [&] { return rows->FieldByName("Key")->AsString(); };
    auto current = [&] { return keys->FieldByName("Key")->AsString(); };
    EXPECT_EQ("Gamma", Combo->Text());

    for (const uint16_t open : {uint16_t(VK_F4), uint16_t(VK_DOWN)}) {
        SendKey(Combo, 'A', {ssCtrl});
        SendText(Combo, "epsilon");
        SendKey(Combo, open, open == VK_DOWN ? TShiftState{ssAlt} : TShiftState{});
        ASSERT_TRUE(Combo->IsDroppedDown());
        EXPECT_EQ("Epsilon", current());
        EXPECT_TRUE(Combo->MatchFound());
        EXPECT_EQ("epsilon", Combo->Text());
        EXPECT_EQ("Gamma", stored());
        SendKey(Combo, VK_DOWN);
        EXPECT_EQ("Zeta", Combo->Text());
        SendKey(Combo, VK_ESCAPE);
        EXPECT_FALSE(Combo->IsDroppedDown());
        EXPECT_EQ("epsilon", Combo->Text());
        EXPECT_EQ("Gamma", stored());
        SendKey(Combo, VK_ESCAPE);
        EXPECT_EQ("Gamma", Combo->Text());
        EXPECT_EQ("Gamma", stored());
    }
    // Half-typed: the grid opens, nothing is written or offered.
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "Eps");
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    EXPECT_FALSE(Combo->MatchFound());
    EXPECT_EQ("Gamma", stored());
    EXPECT_EQ(0, offered);
    SendKey(Combo, VK_ESCAPE);
    SendKey(Combo, VK_ESCAPE);
    EXPECT_EQ("Gamma", Combo->Text());
    EXPECT_EQ("Gamma", stored());
    EXPECT_EQ(0, offered);
    // Typed, dropped down and taken by Enter: that key.
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "delta");
    SendKey(Combo, VK_F4);
    EXPECT_EQ("Delta", current());
    SendKey(Combo, VK_RETURN);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("Delta", stored());
    EXPECT_EQ("Delta", Combo->Text());
}

TEST_F(QzLookupComboTest, MisconfigurationGivesMessagesNotCrashes) {
    TTestDialogs dialogs;
    Form->Show();
    Combo->SetFocus();
    SendKey(Combo, VK_F4);
    EXPECT_FALSE(Combo->IsDroppedDown());
    ASSERT_EQ(1, dialogs.Count());
    EXPECT_EQ("No lookup table specified!", dialogs.Last().Text);
    Bind("Id");
    try {
        Combo->SetLookupTable(Orders);
        ADD_FAILURE() << "duplicate accepted";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(std::string("Unable to use duplicate DataSource and LookupSource"), e.what());
    }
    EXPECT_EQ(Items, Combo->LookupTable());
    try {
        Combo->SetLookupField("Nope;Id");
        ADD_FAILURE() << "missing key field accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string("Field 'Nope' not found"), e.what());
    }
    EXPECT_EQ("Id", Combo->LookupField());
    EXPECT_EQ("Banana", Combo->Text());
}

TEST_F(QzLookupComboTest, RendersDroppedDown) {
    Bind("Id");
    SendKey(Combo, VK_F4);
    SendKey(Combo, VK_DOWN);
    ProcessEvents();
    // The form with the pop-up grid drawn where it shows on the screen.
    TBitmap form, grid;
    RenderControl(Form, &form);
    RenderControl(Combo->GridWindow(), &grid);
    EXPECT_EQ(Combo->GridWindow()->Width(), grid.Width());
    const TPoint at = Form->ScreenToClient({Combo->GridWindow()->Left(), Combo->GridWindow()->Top()});
    form.Canvas()->Draw(at.X, at.Y, &grid);
    form.SaveToFile(TestRunPath("qzlookupcombo.png"));
    // Every record shows, the last row fully.
    TqzLookupDropGrid* g = Combo->Grid();
    EXPECT_EQ(5, g->DataLink()->RecordCount());
    EXPECT_LE(g->CellRect(0, g->TitleOffset() + 4).Bottom, g->ClientHeight());
}

// The combo as a grid cell control: every row not being edited shows the
// display text of its own key.
class TRecordingLookupCombo : public TqzDBCustomLookupCombo {
public:
    using TqzDBCustomLookupCombo::TqzDBCustomLookupCombo;
    std::vector<std::string> Painted;
    bool DisplayTextFromValue(std::string& Text) override {
        const bool r = TqzDBCustomLookupCombo::DisplayTextFromValue(Text);
        if (ControlState().Contains(csPaintCopy)) Painted.push_back(Text);
        return r;
    }
};

TEST_F(QzLookupComboTest, GridCellsShowTheDisplayTextOfEachRowsKey) {
    Orders->AppendRecord({Variant(4), Variant("F"), Variant("w")});
    Orders->AppendRecord({Variant(2), Variant("A"), Variant("y")});
    Orders->AppendRecord({Variant(9), Variant("Q"), Variant("q")});  // no such item
    Orders->First();
    Form->SetBounds(40, 40, 420, 220);
    auto* grid = new TqzDBGrid(Form);
    grid->SetParent(Form);
    grid->SetBounds(8, 40, 400, 150);
    grid->ControlType()->SetText("ItemId;CustomEdit;ItemCombo\n");
    auto* combo = new TRecordingLookupCombo(Form);
    combo->SetName("ItemCombo");
    combo->SetParent(grid);
    combo->SetVisible(false);
    combo->SetDataSource(Source);
    combo->SetDataField("ItemId");
    combo->SetLookupTable(Items);
    combo->Selected()->SetText("Name\t12\tName\n");
    combo->SetLookupField("Id");
    grid->SetDataSource(Source);
    Combo->SetVisible(false);
    Form->Show();
    ProcessEvents();
    Orders->Last();
    Items->Last();  // painting does not move the lookup table
    combo->Painted.clear();
    TBitmap shot;
    RenderControl(grid, &shot);
    shot.SaveToFile(TestRunPath("qzlookupcombo_cells.png"));
    ASSERT_GE(combo->Painted.size(), 4u);
    const std::vector<std::string> rows(combo->Painted.end() - 4, combo->Painted.end());
    EXPECT_EQ((std::vector<std::string>{"Banana", "Cherry", "Banana", ""}), rows);
    EXPECT_EQ("Date", Items->FieldByName("Name")->AsString());
    EXPECT_EQ(4, Orders->RecNo());
    // Rows of the same key look the same, other keys differ.
    const int col = grid->IndicatorOffset();
    auto cell = [&](int Row) {
        TRect r = grid->CellRect(col, Row + grid->TitleOffset());
        InflateRect(r, -2, -2);
        std::vector<TColor> px;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) px.push_back(shot.Canvas()->Pixels(x, y));
        return px;
    };
    EXPECT_EQ(cell(0), cell(2));
    EXPECT_NE(cell(0), cell(1));
    EXPECT_NE(cell(1), cell(3));
}

// The drop-down button: a press on an unfocused combo focuses it and opens
// the grid, a second press takes the grid's record, and a press dragged into
// the open grid chooses the row where it is released.
TEST_F(QzLookupComboTest, TheButtonOpensClosesAndHandsItsDragToTheGrid) {
    Bind("Id;Grp;Sub");
    auto* button = dynamic_cast<TqzLookupComboButton*>(Combo->Button());
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(Combo->ButtonHost(), button->Parent());
    Other->SetFocus();
    ProcessEvents();
    EXPECT_FALSE(button->IsOwnerDroppedDown());
    SendClick(button, 4, 4);
    EXPECT_EQ(Combo, FocusedControl());
    ASSERT_TRUE(Combo->IsDroppedDown());
    EXPECT_TRUE(button->IsOwnerDroppedDown());
    SendKey(Combo, VK_DOWN);
    SendMouseDown(button, mbLeft, 4, 4);
    SendMouseUp(button, mbLeft, 4, 4);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("3", Bound("ItemId"));
    EXPECT_EQ("z", Bound("Sub"));
    EXPECT_EQ("Carrot", Combo->Text());

    // Press, drag down into the grid's fifth row, release there.
    SendMouseDown(button, mbLeft, 4, 4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    const TPoint row = Combo->Grid()->ClientToScreen(RowCentre(4));
    const TPoint at = button->ScreenToClient(row);
    SendMouseMove(button, at.X, at.Y, {ssLeft});
    EXPECT_TRUE(Combo->Grid()->Tracking());
    EXPECT_EQ("Date", Items->FieldByName("Name")->AsString());
    SendMouseUp(button, mbLeft, at.X, at.Y);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("5", Bound("ItemId"));
    EXPECT_EQ("F", Bound("Grp"));
    EXPECT_EQ("v", Bound("Sub"));
    EXPECT_EQ("Date", Combo->Text());
    EXPECT_EQ(Combo, FocusedControl());

    // A read-only combo's button does nothing.
    Combo->SetReadOnly(true);
    SendClick(button, 4, 4);
    EXPECT_FALSE(Combo->IsDroppedDown());
}

TEST_F(QzLookupComboTest, TheButtonsOwnerHooksFollowTheCombo) {
    Bind("Id");
    auto* button = dynamic_cast<TqzLookupComboButton*>(Combo->Button());
    ASSERT_NE(nullptr, button);
    EXPECT_FALSE(button->IsMouseInOwner());
    Combo->MouseEnter();
    EXPECT_TRUE(button->IsMouseInOwner());
    Combo->MouseLeave();
    EXPECT_FALSE(button->IsMouseInOwner());
    // Themed as a whole only as a list without typing.
    Combo->SetStyle(csDropDownList);
    EXPECT_EQ(qzUseThemes(Combo), Combo->IsThemedInGrid());
    Combo->SetAutoDropDown(true);
    EXPECT_FALSE(Combo->IsThemedInGrid());
    EXPECT_FALSE(button->IsOwnerThemedInGrid());
    // The flat arrow glyph for flat effects with the down arrow.
    EXPECT_TRUE(Combo->ButtonGlyph()->Empty());
    Combo->ButtonEffects()->SetFlat(true);
    EXPECT_FALSE(Combo->ButtonGlyph()->Empty());
}

// A list-only combo: a click on the text opens, the next closes; a press on
// the text dragged into the open grid chooses the row of the release.
TEST_F(QzLookupComboTest, AListOnlyTextClickTogglesAndItsDragGoesToTheGrid) {
    Bind("Id");
    Combo->SetStyle(csDropDownList);
    SendClick(Combo, 20, 10);
    ASSERT_TRUE(Combo->IsDroppedDown());
    SendClick(Combo, 20, 10);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("2", Bound("ItemId"));
    SendMouseDown(Combo, mbLeft, 20, 10);
    ASSERT_TRUE(Combo->IsDroppedDown());
    // Moving over the text itself is no drag into the grid.
    SendMouseMove(Combo, 30, 12, {ssLeft});
    EXPECT_FALSE(Combo->Grid()->Tracking());
    const TPoint at = Combo->ScreenToClient(Combo->Grid()->ClientToScreen(RowCentre(2)));
    SendMouseMove(Combo, at.X, at.Y, {ssLeft});
    EXPECT_TRUE(Combo->Grid()->Tracking());
    const TPoint further = Combo->ScreenToClient(Combo->Grid()->ClientToScreen(RowCentre(3)));
    SendMouseMove(Combo, further.X, further.Y, {ssLeft});
    SendMouseUp(Combo, mbLeft, further.X, further.Y);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("Cherry", Combo->Text());
}

// The button's looks: normal, hot, dropped down, and in a grid cell.
TEST_F(QzLookupComboTest, RendersTheButtonInItsStates) {
    Bind("Id");
    Other->SetFocus();
    ProcessEvents();
    TBitmap normal, hot, open;
    RenderControl(Combo, &normal);
    normal.SaveToFile(TestRunPath("qzlookupbutton_normal.png"));
    TControl* button = Combo->Button();
    SendMouseMove(button, 4, 4);
    Combo->MouseEnter();
    ProcessEvents();
    RenderControl(Combo, &hot);
    hot.SaveToFile(TestRunPath("qzlookupbutton_hot.png"));
    Combo->SetFocus();
    SendMouseDown(button, mbLeft, 4, 4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    RenderControl(Combo, &open);
    open.SaveToFile(TestRunPath("qzlookupbutton_open.png"));
    SendMouseUp(button, mbLeft, 4, 4);
    SendKey(Combo, VK_ESCAPE);
    // Pressed, the arrow moves: the open look differs from the normal one.
    const TRect b{Combo->ButtonHost()->Left(), Combo->ButtonHost()->Top(),
                  Combo->ButtonHost()->Left() + Combo->ButtonHost()->Width(),
                  Combo->ButtonHost()->Top() + Combo->ButtonHost()->Height()};
    auto pixels = [&](TBitmap& Shot) {
        std::vector<TColor> px;
        for (int y = b.Top; y < b.Bottom; ++y)
            for (int x = b.Left; x < b.Right; ++x) px.push_back(Shot.Canvas()->Pixels(x, y));
        return px;
    };
    EXPECT_NE(pixels(normal), pixels(open));

    // In a grid cell, with the flat arrow glyph.
    auto* grid = new TqzDBGrid(Form);
    grid->SetParent(Form);
    grid->SetBounds(8, 40, 400, 100);
    grid->SetDataSource(Source);
    Combo->SetParent(grid);
    Combo->ButtonEffects()->SetFlat(true);
    Combo->SetBounds(grid->CellRect(grid->IndicatorOffset(), 1).Left, grid->CellRect(0, 1).Top, 120, 20);
    ProcessEvents();
    TBitmap cell;
    RenderControl(grid, &cell);
    cell.SaveToFile(TestRunPath("qzlookupbutton_grid.png"));
    EXPECT_FALSE(Combo->ButtonGlyph()->Empty());
}

}  // namespace
