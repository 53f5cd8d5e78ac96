// The data-aware combo box: mapped values, its drop-down list (placement,
// type-ahead, history rows), completion, write-back and the outside-click
// watch of each open list.
#include "platform/core/inifiles.h"
#include "platform/db/dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/popup_window.h"
#include "suite/edit/qzdbcombobox.h"
#include "support/environment.h"
#include "support/suite/edit_fixture.h"

namespace {

class ComboBoxTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        Env.Set("TASKMOOR_CONFIG_DIR", Env.Folder().c_str());
        SetTickCountForTesting(10000);
    }
    void TearDown() override {
        ResetClock();
        EditTest::TearDown();
    }
    TqzDBComboBox* Make(const std::vector<std::string>& Items, int Top = 10) {
        auto* c = new TqzDBComboBox(&Form);
        c->SetParent(&Form);
        c->SetBounds(10, Top, 160, 24);
        for (const std::string& s : Items) c->Items()->Add(s);
        return c;
    }
    // A priority field (Count) shown through "Urgent" 0 and "High" 1.
    TqzDBComboBox* MakePriority() {
        auto* c = Make({"Urgent\t0", "High\t1"});
        c->SetMapList(true);
        c->SetDataSource(&Src);
        c->SetDataField("Count");
        return c;
    }
    void Type(TWinControl* C, const std::string& Text) { SendText(C, Text); }
    TPoint RowCentre(TqzDBCustomComboBox* C, int Row) {
        const TRect r = C->List()->ItemRect(Row);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    TTestEnvironment Env;
};

TEST_F(ComboBoxTest, MappedPriorityShowsTheDisplayAndStoresTheValue) {
    T.AppendRecord({Variant("a"), Variant(), Variant(), Variant(1)});
    auto* c = MakePriority();
    ShowAndFocus(Other);
    EXPECT_EQ("High", c->Text());
    EXPECT_EQ("1", c->GetValue());
    // Typed in any letter case, the display maps back to its value.
    ShowAndFocus(c);
    c->SelectAll();
    Type(c, "urgent");
    TabAway(c);
    EXPECT_EQ(0, T.FieldByName("Count")->AsInteger());
    EXPECT_EQ("urgent", c->Text());
    // A value no item has shows empty.
    T.Edit();
    T.FieldByName("Count")->SetAsInteger(7);
    T.Post();
    ProcessEvents();
    EXPECT_EQ("", c->Text());
    EXPECT_EQ(-1, c->ItemIndex());
}

TEST_F(ComboBoxTest, AValuePickedByAClickInTheOpenListIsWritten) {
    T.AppendRecord({Variant("a"), Variant(), Variant(), Variant(0)});
    auto* c = MakePriority();
    ShowAndFocus(c);
    EXPECT_EQ("Urgent", c->Text());
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    ASSERT_TRUE(c->ListWindow()->Showing());
    EXPECT_EQ(0, c->List()->ItemIndex());  // the shown item is selected
    const TPoint p = RowCentre(c, 1);
    SendClick(c->List(), p.X, p.Y);
    ProcessEvents();
    EXPECT_FALSE(c->IsDroppedDown());
    EXPECT_FALSE(c->ListWindow()->Showing());
    EXPECT_EQ("High", c->Text());
    EXPECT_TRUE(c->Focused());
    TabAway(c);
    EXPECT_EQ(1, T.FieldByName("Count")->AsInteger());
}

TEST_F(ComboBoxTest, WithoutMapListTheValuePartIsListedAndStored) {
    auto* c = Make({"A\tB", "C"});
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    ASSERT_EQ(2, c->List()->Count());
    EXPECT_EQ("B", c->List()->Items()->Strings(0));
    EXPECT_EQ("C", c->List()->Items()->Strings(1));
    SendKey(c, VK_DOWN);
    EXPECT_EQ("B", c->Text());
    SendKey(c, VK_RETURN);
    EXPECT_FALSE(c->IsDroppedDown());
    EXPECT_EQ("B", c->GetValue());
}

// An item longer than the text field is refused with a beep, however it is
// chosen, as a typed letter that does not fit is: what shows is what is
// stored, and nothing is cut off unseen.
TEST_F(ComboBoxTest, AnItemLongerThanTheTextFieldIsRefusedAsATypedLetterIs) {
    T.AppendRecord({Variant("a"), Variant("nm")});
    auto* c = Make({"xy", "abcdefgh"});  // Name holds 4 bytes
    c->SetDataSource(&Src);
    c->SetDataField("Name");
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    SendKey(c, VK_DOWN);
    EXPECT_EQ("xy", c->Text());
    SendKey(c, VK_DOWN);  // moving onto the long row
    EXPECT_EQ("xy", c->Text());
    SendKey(c, VK_RETURN);
    EXPECT_FALSE(c->IsDroppedDown());
    EXPECT_EQ("xy", c->Text());
    const int beeps = Beeps.Count();
    EXPECT_GE(beeps, 1);
    SendKey(c, VK_DOWN);  // closed: the next item
    EXPECT_EQ("xy", c->Text());
    EXPECT_GT(Beeps.Count(), beeps);
    SendKey(c, VK_F4);  // a click on the long row
    ASSERT_TRUE(c->IsDroppedDown());
    const TPoint p = RowCentre(c, 1);
    SendClick(c->List(), p.X, p.Y);
    ProcessEvents();
    EXPECT_EQ("xy", c->Text());
    TabAway(c);
    T.Post();
    EXPECT_EQ("xy", T.FieldByName("Name")->AsString());
    EXPECT_EQ(Dialogs.Count(), 0);
}

// A closed dataset takes no value: rows walked in the open list or chosen
// show nothing, as typed letters do not.
TEST_F(ComboBoxTest, OverAClosedDatasetTheListChangesNothing) {
    auto* c = Make({"xy", "zw"});
    c->SetDataSource(&Src);
    c->SetDataField("Name");
    T.Close();
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    SendKey(c, VK_DOWN);
    EXPECT_EQ("", c->Text());
    SendKey(c, VK_RETURN);
    EXPECT_EQ("", c->Text());
    SendKey(c, VK_DOWN);
    EXPECT_EQ("", c->Text());
    SendText(c, "q");
    EXPECT_EQ("", c->Text());
    EXPECT_FALSE(c->Modified());
}

TEST_F(ComboBoxTest, FindItemIndexFromZeroSearchesEveryRowIgnoringCase) {
    auto* c = Make({"Apple", "Banana", "Cherry"});
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    SendKey(c, VK_ESCAPE);
    EXPECT_EQ(0, c->FindItemIndex("apple", 0));
    EXPECT_EQ(2, c->FindItemIndex("CHERRY", 0));
    EXPECT_EQ(1, c->FindItemIndex("banana", 2));  // cyclic from row 2
    EXPECT_EQ(-1, c->FindItemIndex("Kiwi", 0));
    // Shown text of an unmapped combo finds its row.
    c->SetComboValue("cherry");
    EXPECT_EQ(2, c->ItemIndex());
}

TEST_F(ComboBoxTest, TheListOpensBelowOrAboveWhenNoRoomIsLeftBelow) {
    auto* c = Make({"1", "2", "3", "4", "5", "6", "7", "8", "9"});
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    const TPoint top = c->Parent()->ClientToScreen({c->Left(), c->Top()});
    EXPECT_EQ(top.Y + c->Height() - 1, c->ListWindow()->Top());
    EXPECT_EQ(8 * c->GetItemHeight() + 4, c->ListWindow()->Height());  // DropDownCount rows
    SendKey(c, VK_ESCAPE);
    // Near the bottom of the screen.
    const TRect work = Screen->WorkAreaRect();
    Form.SetBounds(0, work.Bottom - 120, 360, 110);
    ProcessEvents();
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    const TPoint now = c->Parent()->ClientToScreen({c->Left(), c->Top()});
    EXPECT_EQ(now.Y - c->ListWindow()->Height(), c->ListWindow()->Top());
    EXPECT_LE(c->ListWindow()->Top() + c->ListWindow()->Height(), work.Bottom);
}

TEST_F(ComboBoxTest, DisableDropDownListFiresOnDropDownButShowsNoList) {
    auto* c = Make({"A", "B"});
    int fired = 0;
    c->SetOnDropDown(TNotifyEvent([&](TObject*) { ++fired; }));
    c->SetDisableDropDownList(true);
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    EXPECT_EQ(1, fired);
    EXPECT_FALSE(c->IsDroppedDown());
    EXPECT_FALSE(c->ListWindow() && c->ListWindow()->Showing());
}

TEST_F(ComboBoxTest, TypeAheadInTheOpenListRestartsAfter1500Ms) {
    auto* c = Make({"Apple", "Banana", "Berry"});
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    Type(c, "b");
    SetTickCountForTesting(10400);
    Type(c, "e");
    EXPECT_EQ("be", c->List()->SearchText());
    EXPECT_EQ("be", c->Text());
    SetTickCountForTesting(11900);  // 1500 ms: still the same search
    Type(c, "r");
    EXPECT_EQ("ber", c->List()->SearchText());
    SetTickCountForTesting(13401);  // more than 1500 ms: a new search
    Type(c, "a");
    EXPECT_EQ("a", c->List()->SearchText());
    // Exactly a row: it is selected.
    Type(c, "pple");
    EXPECT_EQ(0, c->List()->ItemIndex());
    SendKey(c, VK_RETURN);
    EXPECT_EQ("Apple", c->Text());
}

TEST_F(ComboBoxTest, CompletionInAListOnlyComboShowsTheRestSelected) {
    auto* c = Make({"Apple", "Banana", "Berry"});
    c->SetStyle(csDropDownList);
    c->SetShowMatchText(true);
    ShowAndFocus(c);
    Type(c, "ba");
    EXPECT_EQ("Banana", c->Text());
    EXPECT_EQ(2, c->SelStart());
    EXPECT_EQ(4, c->SelLength());
    EXPECT_EQ(1, c->ItemIndex());
    Type(c, "x");  // no row: swallowed
    EXPECT_EQ("Banana", c->Text());
    // Without ShowMatchText a letter steps to the next row starting with it.
    c->SetShowMatchText(false);
    c->SetItemIndex(0);
    Type(c, "b");
    EXPECT_EQ("Banana", c->Text());
    Type(c, "b");
    EXPECT_EQ("Berry", c->Text());
}

TEST_F(ComboBoxTest, AMappedTextNamingNoItemKeepsTheFieldAndTheFocus) {
    T.AppendRecord({Variant("a"), Variant(), Variant(), Variant(1)});
    auto* c = MakePriority();
    ShowAndFocus(c);
    c->SelectAll();
    Type(c, "Someday");
    TabAway(c);
    EXPECT_TRUE(c->Focused());
    ASSERT_GE(Dialogs.Count(), 1);
    EXPECT_EQ(1, T.FieldByName("Count")->AsInteger());
    EXPECT_FALSE(T.FieldByName("Count")->IsNull());
    // A listed text then goes through.
    c->SelectAll();
    Type(c, "Urgent");
    TabAway(c);
    EXPECT_FALSE(c->Focused());
    EXPECT_EQ(0, T.FieldByName("Count")->AsInteger());
}

TEST_F(ComboBoxTest, EachOpenListKeepsItsOwnOutsideClickWatch) {
    auto* a = Make({"A1", "A2"});
    auto* b = Make({"B1", "B2"}, 50);
    ShowAndFocus(b);
    SendKey(b, VK_F4);
    SendKey(b, VK_ESCAPE);
    ShowAndFocus(a);
    SendKey(a, VK_F4);
    ASSERT_TRUE(a->IsDroppedDown());
    const int watches = OutsideClickWatchCount();
    delete b;  // another combo freed while a's list is open
    EXPECT_EQ(watches, OutsideClickWatchCount());
    EXPECT_TRUE(WatchesOutsideClicks(a));
    SendClick(Other, 5, 5);
    ProcessEvents();
    EXPECT_FALSE(a->IsDroppedDown());
    EXPECT_FALSE(WatchesOutsideClicks(a));
    // A combo freed while its list is open ends its watch.
    ShowAndFocus(a);
    SendKey(a, VK_F4);
    ASSERT_TRUE(WatchesOutsideClicks(a));
    const int before = OutsideClickWatchCount();
    delete a;
    EXPECT_EQ(before - 1, OutsideClickWatchCount());
    SendClick(Other, 5, 5);
    ProcessEvents();
}

TEST_F(ComboBoxTest, HistoryRowsSitOnTopBetweenLinesAndTypeAheadStartsBelowThem) {
    auto* c = Make({"Apple", "Banana", "Cherry"});
    TqzHistoryList* h = c->HistoryList();
    h->SetEnabled(true);
    h->SetMRUEnabled(true);
    h->SetMRUMaxSize(3);
    for (const char* s : {"Avocado", "Blueberry", "Apricot"}) h->Entries()->Add(s);
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    ASSERT_EQ(3, h->MRUCount());
    TStrings* rows = c->List()->Items();
    EXPECT_EQ("Apricot", rows->Strings(0));  // newest on top
    EXPECT_EQ("Blueberry", rows->Strings(1));
    EXPECT_EQ("Avocado", rows->Strings(2));
    EXPECT_EQ("Apple", rows->Strings(3));
    EXPECT_EQ(lbOwnerDrawFixed, c->List()->Style());
    // Type-ahead: "a" finds the fourth row first (Apple), not the history's.
    Type(c, "a");
    EXPECT_EQ(3, c->List()->FindString("a", h->MRUCount() - 1));
    TBitmap shot;
    RenderControl(c->ListWindow(), &shot);
    RenderControlToPng(c->ListWindow(), PngPath("combo_history_list"));
    const TRect r2 = c->List()->ItemRect(2);
    const TRect r3 = c->List()->ItemRect(3);
    const TPoint o = c->List()->ClientToScreen({0, 0});
    // The image holds the whole window, its border too.
    const TPoint w{c->ListWindow()->Left(), c->ListWindow()->Top()};
    const int dx = o.X - w.X, dy = o.Y - w.Y;
    EXPECT_EQ(ColorToRGB(clBtnShadow), shot.Canvas()->Pixels(dx + 40, dy + r2.Bottom - 1));
    EXPECT_EQ(ColorToRGB(clBtnShadow), shot.Canvas()->Pixels(dx + 40, dy + r3.Top));
    EXPECT_NE(ColorToRGB(clBtnShadow), shot.Canvas()->Pixels(dx + 40, dy + r2.Top + 1));
}

TEST_F(ComboBoxTest, HistorySurvivesARestartInAnIniFileAndShowsOnTop) {
    const std::string ini = Env.Path("combo.ini");
    {
        TForm form(nullptr);
        auto* c = new TqzDBComboBox(&form);
        c->SetParent(&form);
        c->Items()->Add("Apple");
        c->HistoryList()->SetEnabled(true);
        c->HistoryList()->SetMRUEnabled(true);
        c->HistoryList()->SetFileName(ini);
        c->HistoryList()->SetSection("Fruit");
        form.Show();
        ActivateForm(&form);
        c->SetFocus();
        SendText(c, "Mango");
        SendKey(c, VK_F4);
        SendKey(c, VK_RETURN);
        SendKey(c, VK_RETURN);
        ProcessEvents();
    }
    TIniFile check(ini);
    EXPECT_EQ("Mango", check.ReadString("Fruit", "0", ""));
    auto* c = Make({"Apple"});
    c->HistoryList()->SetEnabled(true);
    c->HistoryList()->SetMRUEnabled(true);
    c->HistoryList()->SetFileName(ini);
    c->HistoryList()->SetSection("Fruit");
    ShowAndFocus(c);
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    EXPECT_EQ("Mango", c->List()->Items()->Strings(0));
    EXPECT_EQ(1, c->HistoryList()->MRUCount());
}

}  // namespace
