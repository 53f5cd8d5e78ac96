// The lookup combo's keys and search as you type over engine tables: the
// search on the test clock and its completion, paste and cut, AutoDropDown,
// AllowClearKey, Enter with the grid open, the custom search, and the keys
// written for a typed text on leaving.
#include <gtest/gtest.h>
#include "support/suite/grid/qzlookupcombo_fixture.h"

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/grid/qzlookupcombo.h"

namespace {

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

// A typed text longer than the field's room reaches the search cut at a
// whole letter: never inside a letter of more than one byte.
TEST_F(QzLookupComboTest, TextCutToTheFieldsRoomKeepsWholeLetters) {
    TTestTimers timers;
    std::vector<std::string> values;
    std::function<void(TObject*, TDataSet*, const std::string&, const std::string&, bool, bool&)> handler =
        [&](TObject*, TDataSet*, const std::string&, const std::string& Value, bool Lookup, bool&) {
            if (!Lookup) values.push_back(Value);
        };
    Combo->SetOnPerformCustomSearch(TqzPerformSearchEvent(handler));
    Bind("Id");
    SendKey(Combo, VK_F4);
    SendKey(Combo, 'A', {ssCtrl});
    // 21 bytes for a room of 20
    std::string typed = "a";
    for (int i = 0; i < 10; ++i) typed += "Ж";
    SendText(Combo, typed);
    timers.Advance(200);
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(typed.substr(0, 19), values.back());
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

}  // namespace
