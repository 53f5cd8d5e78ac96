// The lookup combo over engine tables: the stored key's display text, the
// drop-down grid below or above, choosing by keys, clicks and a click
// outside, key values 1-3 written back, typed texts not in the list, the
// search as you type on the test clock, misconfiguration, and a rendered look.
#include <gtest/gtest.h>

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

namespace {

class QzLookupComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 420, 200);
        Items = new TOstraTable(Form);
        Items->FieldDefs()->Add("Id", ftInteger);
        Items->FieldDefs()->Add("Name", ftString, 20);
        Items->FieldDefs()->Add("Grp", ftString, 4);
        Items->FieldDefs()->Add("Sub", ftString, 4);
        Items->Open();
        const char* names[] = {"Apple", "Banana", "Carrot", "Cherry", "Date"};
        const char* groups[] = {"A", "A", "V", "F", "F"};
        const char* subs[] = {"x", "y", "z", "w", "v"};
        for (int i = 0; i < 5; ++i)
            Items->AppendRecord({Variant(i + 1), Variant(names[i]), Variant(groups[i]), Variant(subs[i])});
        Items->First();
        Orders = new TOstraTable(Form);
        Orders->FieldDefs()->Add("ItemId", ftInteger);
        Orders->FieldDefs()->Add("Grp", ftString, 4);
        Orders->FieldDefs()->Add("Sub", ftString, 4);
        Orders->Open();
        Orders->AppendRecord({Variant(2), Variant("A"), Variant("y")});
        Source = new TDataSource(Form);
        Source->SetDataSet(Orders);
        Combo = new TqzDBCustomLookupCombo(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(10, 10, 200, 25);
        Other = new TEdit(Form);
        Other->SetParent(Form);
        Other->SetBounds(10, 150, 100, 24);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    // Bound to Orders.ItemId, showing Items.Name.
    void Bind(const std::string& LookupField) {
        Combo->SetDataSource(Source);
        Combo->SetDataField("ItemId");
        Combo->SetLookupTable(Items);
        Combo->Selected()->SetText("Name\t12\tName\nGrp\t4\tGroup\n");
        Combo->SetLookupField(LookupField);
        Form->Show();
        Combo->SetFocus();
        ProcessEvents();
    }
    std::string Bound(const std::string& Name) { return Orders->FieldByName(Name)->AsString(); }
    TPoint RowCentre(int DataRow) {
        TqzLookupDropGrid* g = Combo->Grid();
        const TRect r = g->CellRect(g->IndicatorOffset(), DataRow + g->TitleOffset());
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

    TForm* Form = nullptr;
    TOstraTable* Items = nullptr;
    TOstraTable* Orders = nullptr;
    TDataSource* Source = nullptr;
    TqzDBCustomLookupCombo* Combo = nullptr;
    TEdit* Other = nullptr;
};

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

TEST_F(QzLookupComboTest, SearchAsYouTypeCompletesOnTheTimersTick) {
    TTestTimers timers;
    Bind("Id;Grp");
    Combo->SetShowMatchText(true);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "ch");
    EXPECT_EQ("ch", Combo->Text());
    // One search, 200 ms after the last key.
    EXPECT_EQ(1, timers.Pending());
    timers.Advance(199);
    EXPECT_EQ("ch", Combo->Text());
    timers.Advance(1);
    EXPECT_EQ("Cherry", Combo->Text());
    EXPECT_EQ(2, Combo->SelStart());
    EXPECT_EQ(4, Combo->SelLength());
    EXPECT_EQ(0, timers.Pending());
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("F", Bound("Grp"));

    // Open: typing moves the grid; Enter takes the record found.
    Combo->SetShowMatchText(false);
    Combo->SetSearchDelay(50);
    Combo->SetFocus();
    SendKey(Combo, VK_F4);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "b");
    timers.Advance(50);
    EXPECT_EQ("Banana", Items->FieldByName("Name")->AsString());
    EXPECT_TRUE(Combo->MatchFound());
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("2", Bound("ItemId"));
    EXPECT_EQ("A", Bound("Grp"));
    EXPECT_EQ("Banana", Combo->Text());
    // Enter before the tick runs the pending search first.
    SendKey(Combo, VK_F4);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "da");
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("5", Bound("ItemId"));
    EXPECT_EQ("Date", Combo->Text());
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
    form.SaveToFile(GetTempDir() + "/qzlookupcombo.png");
    // Every record shows, the last row fully.
    TqzLookupDropGrid* g = Combo->Grid();
    EXPECT_EQ(5, g->DataLink()->RecordCount());
    EXPECT_LE(g->CellRect(0, g->TitleOffset() + 4).Bottom, g->ClientHeight());
}

// Paste and Cut: only where the value may change; pasting into the open grid
// searches at once.
TEST_F(QzLookupComboTest, PasteAndCutFollowTheMayModifyRule) {
    TTestTimers timers;
    Bind("Id");
    Clipboard()->SetAsText("Cherry");
    Combo->SetReadOnly(true);
    SendKey(Combo, 'A', {ssCtrl});
    SendKey(Combo, 'V', {ssCtrl});
    EXPECT_EQ("Banana", Combo->Text());
    SendKey(Combo, 'X', {ssCtrl});
    EXPECT_EQ("Banana", Combo->Text());
    EXPECT_EQ(dsBrowse, Orders->State());
    Combo->SetReadOnly(false);
    // List only and closed: neither goes through.
    Combo->SetStyle(csDropDownList);
    Combo->SelectAll();
    SendKey(Combo, 'V', {ssCtrl});
    SendKey(Combo, 'X', {ssCtrl});
    EXPECT_EQ("Banana", Combo->Text());
    EXPECT_EQ("2", Bound("ItemId"));
    // Open, a paste moves the grid without waiting for the timer.
    Combo->SetStyle(csDropDown);
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    Combo->SelectAll();
    SendKey(Combo, 'V', {ssCtrl});
    EXPECT_EQ("Cherry", Combo->Text());
    EXPECT_EQ("Cherry", Items->FieldByName("Name")->AsString());
    EXPECT_TRUE(Combo->MatchFound());
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("4", Bound("ItemId"));
    // Cutting the whole text and leaving: an empty text reverts.
    Combo->SelectAll();
    SendKey(Combo, 'X', {ssCtrl});
    EXPECT_EQ("", Combo->Text());
    EXPECT_EQ("Cherry", Clipboard()->AsText());
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("Cherry", Combo->Text());
}

TEST_F(QzLookupComboTest, AutoDropDownOpensTheGridOnTyping) {
    TTestTimers timers;
    Bind("Id;Grp");
    Combo->SetAutoDropDown(true);
    SendKey(Combo, 'A', {ssCtrl});
    EXPECT_FALSE(Combo->IsDroppedDown());
    SendText(Combo, "c");
    EXPECT_FALSE(Combo->IsDroppedDown());
    timers.Advance(200);
    ASSERT_TRUE(Combo->IsDroppedDown());
    EXPECT_EQ("Carrot", Items->FieldByName("Name")->AsString());
    // The typing goes on where it was.
    EXPECT_EQ("c", Combo->Text());
    SendText(Combo, "h");
    EXPECT_EQ("ch", Combo->Text());
    timers.Advance(200);
    EXPECT_EQ("Cherry", Items->FieldByName("Name")->AsString());
    SendKey(Combo, VK_RETURN);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("F", Bound("Grp"));
    EXPECT_EQ("Cherry", Combo->Text());
    // List only with AutoDropDown: typed into, but Backspace cannot clear it.
    Combo->SetStyle(csDropDownList);
    Combo->SetSelStart(6);
    SendKey(Combo, VK_BACK);
    EXPECT_EQ("Cherry", Combo->Text());
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "d");
    timers.Advance(200);
    ASSERT_TRUE(Combo->IsDroppedDown());
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("5", Bound("ItemId"));
}

TEST_F(QzLookupComboTest, AllowClearKeyClearsAllKeys) {
    Bind("Id;Grp;Sub");
    Combo->SetStyle(csDropDownList);
    SendKey(Combo, VK_BACK);
    SendKey(Combo, VK_DELETE);
    EXPECT_EQ("Banana", Combo->Text());
    EXPECT_EQ("2", Bound("ItemId"));
    Combo->SetAllowClearKey(true);
    SendKey(Combo, VK_DELETE);
    EXPECT_EQ("", Combo->Text());
    // (The engine keeps a cleared integer as 0.)
    EXPECT_EQ(0, Orders->FieldByName("ItemId")->AsInteger());
    EXPECT_TRUE(Orders->FieldByName("Grp")->IsNull());
    EXPECT_TRUE(Orders->FieldByName("Sub")->IsNull());
    Orders->Post();
    EXPECT_EQ(0, Orders->FieldByName("ItemId")->AsInteger());
    EXPECT_EQ("", Combo->Text());
    // Chosen again, then cleared in the open grid of a typed-into combo.
    Combo->SetStyle(csDropDown);
    SendKey(Combo, VK_F4);
    SendKey(Combo, VK_DOWN);
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("2", Bound("ItemId"));  // the grid stood on the first record
    SendKey(Combo, VK_F4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    Combo->SelectAll();
    SendKey(Combo, VK_BACK);
    EXPECT_EQ("", Combo->Text());
    SendKey(Combo, VK_RETURN);
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ(0, Orders->FieldByName("ItemId")->AsInteger());
    EXPECT_EQ("", Combo->Text());
    // Without AllowClearKey an emptied text reverts.
    SendKey(Combo, VK_F4);
    SendKey(Combo, VK_DOWN);
    SendKey(Combo, VK_RETURN);
    Combo->SetAllowClearKey(false);
    Combo->SelectAll();
    SendKey(Combo, VK_BACK);
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("2", Bound("ItemId"));
    EXPECT_EQ("Banana", Combo->Text());
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
    shot.SaveToFile(GetTempDir() + "/qzlookupcombo_cells.png");
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

// Enter with the grid open: the pending search runs at once, its record is
// taken, the text selected and the focus stays.
TEST_F(QzLookupComboTest, EnterWithTheGridOpenTakesTheSearchedRecordAndKeepsTheFocus) {
    TTestTimers timers;
    Bind("Id;Grp");
    SendKey(Combo, VK_F4);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "ca");
    EXPECT_EQ(1, timers.Pending());
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ(0, timers.Pending());
    EXPECT_FALSE(Combo->IsDroppedDown());
    EXPECT_EQ("3", Bound("ItemId"));
    EXPECT_EQ("V", Bound("Grp"));
    EXPECT_EQ("Carrot", Combo->Text());
    EXPECT_EQ(0, Combo->SelStart());
    EXPECT_EQ(6, Combo->SelLength());
    EXPECT_EQ(Combo, FocusedControl());
}

// OnPerformCustomSearch positions the lookup table: on the stored value
// (PerformLookup True) and on typed text (False), also while the lookup
// table is closed.
TEST_F(QzLookupComboTest, TheCustomSearchPositionsTheLookupTable) {
    TTestTimers timers;
    struct Call {
        std::string Field, Value;
        bool Lookup;
    };
    std::vector<Call> calls;
    std::function<void(TObject*, TDataSet*, const std::string&, const std::string&, bool, bool&)> handler =
        [&](TObject*, TDataSet* Table, const std::string& Field, const std::string& Value, bool Lookup,
            bool& Found) {
            calls.push_back({Field, Value, Lookup});
            TField* f = Table->Active() ? Table->FindField(Field) : nullptr;
            if (!f) return;
            // Matches the value anywhere in the field.
            for (Table->First(); !Table->Eof(); Table->Next())
                if (f->AsString().find(Value) != std::string::npos) {
                    Found = true;
                    return;
                }
        };
    Combo->SetOnPerformCustomSearch(TqzPerformSearchEvent(handler));
    Bind("Id");
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("Id", calls.back().Field);
    EXPECT_EQ("2", calls.back().Value);
    EXPECT_TRUE(calls.back().Lookup);
    EXPECT_EQ("Banana", Combo->Text());
    SendKey(Combo, VK_F4);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "rr");
    timers.Advance(200);
    EXPECT_EQ("Name", calls.back().Field);
    EXPECT_EQ("rr", calls.back().Value);
    EXPECT_FALSE(calls.back().Lookup);
    EXPECT_TRUE(Combo->MatchFound());
    EXPECT_EQ("Carrot", Items->FieldByName("Name")->AsString());
    SendKey(Combo, VK_RETURN);
    EXPECT_EQ("3", Bound("ItemId"));
    // Closed, the handler is still asked; it finds nothing and nothing breaks.
    Items->Close();
    Combo->SetShowMatchText(true);
    const size_t before = calls.size();
    SendText(Combo, "x");
    timers.Advance(200);
    ASSERT_EQ(before + 1, calls.size());
    EXPECT_FALSE(calls.back().Lookup);
    EXPECT_FALSE(Combo->MatchFound());
}

// Leaving with a completed text: keys 1-3 come from the record found for
// the text, even when the lookup table was moved meanwhile.
TEST_F(QzLookupComboTest, LeavingWritesTheKeysOfTheRecordFoundForTheText) {
    TTestTimers timers;
    Bind("Id;Grp;Sub");
    EXPECT_FALSE(Combo->IsDialogStyle());
    Combo->SetShowMatchText(true);
    SendKey(Combo, 'A', {ssCtrl});
    SendText(Combo, "ch");
    timers.Advance(200);
    ASSERT_EQ("Cherry", Combo->Text());
    ASSERT_TRUE(Combo->MatchFound());
    Items->First();  // another control over the lookup table moves it
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("4", Bound("ItemId"));
    EXPECT_EQ("F", Bound("Grp"));
    EXPECT_EQ("w", Bound("Sub"));
}

// The button's looks: normal, hot, dropped down, and in a grid cell.
TEST_F(QzLookupComboTest, RendersTheButtonInItsStates) {
    Bind("Id");
    Other->SetFocus();
    ProcessEvents();
    TBitmap normal, hot, open;
    RenderControl(Combo, &normal);
    normal.SaveToFile(GetTempDir() + "/qzlookupbutton_normal.png");
    TControl* button = Combo->Button();
    SendMouseMove(button, 4, 4);
    Combo->MouseEnter();
    ProcessEvents();
    RenderControl(Combo, &hot);
    hot.SaveToFile(GetTempDir() + "/qzlookupbutton_hot.png");
    Combo->SetFocus();
    SendMouseDown(button, mbLeft, 4, 4);
    ASSERT_TRUE(Combo->IsDroppedDown());
    RenderControl(Combo, &open);
    open.SaveToFile(GetTempDir() + "/qzlookupbutton_open.png");
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
    cell.SaveToFile(GetTempDir() + "/qzlookupbutton_grid.png");
    EXPECT_FALSE(Combo->ButtonGlyph()->Empty());
}
}  // namespace
