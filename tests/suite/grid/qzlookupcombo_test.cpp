// The lookup combo over engine tables: the stored key's display text, the
// drop-down grid below or above, choosing by keys, clicks and a click
// outside, key values 1-3 written back, typed texts not in the list, the
// search as you type on the test clock, misconfiguration, and a rendered look.
#include <gtest/gtest.h>

#include "engine/ostra_table.h"
#include "platform/core/files.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
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

}  // namespace
