// The edit as a grid's cell editor: which keys it hands to the grid, and the
// grid's key-press handling seeing typed keys first.
#include "support/suite/edit_fixture.h"

namespace {

class GridKeysTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        Grid = new TqzDBGrid(&Form);
        Grid->SetParent(&Form);
        Grid->SetBounds(10, 10, 300, 150);
        Edit = MakeEdit("", Grid);
        Edit->SetBorderStyle(bsNone);
        Edit->SetBounds(2, 2, 120, 20);
        Edit->SetText("abc");
    }
    // Focuses the edit with the caret at Caret and presses the key; answers
    // whether the grid got it.
    bool Handed(uint16_t Key, TShiftState Shift = {}, int Caret = 1) {
        Edit->SetFocus();
        ProcessEvents();
        Edit->SetSelStart(Caret);
        Edit->SetSelLength(0);
        Grid->Keys.clear();
        SendKey(Edit, Key, Shift);
        return !Grid->Keys.empty() && Grid->Keys.back() == Key;
    }
    TqzDBGrid* Grid = nullptr;
    TqzDBEdit* Edit = nullptr;
};

TEST_F(GridKeysTest, NavigationKeysGoToTheGridOthersStay) {
    ShowAndFocus(Edit);
    struct Case {
        uint16_t Key;
        TShiftState Shift;
        bool Grid;
    };
    const Case cases[] = {
        {VK_UP, {}, true},     {VK_DOWN, {}, true},         {VK_PRIOR, {}, true},
        {VK_NEXT, {}, true},   {VK_UP, {ssAlt}, false},     {VK_ESCAPE, {}, true},
        {VK_INSERT, {}, true}, {VK_DELETE, {ssCtrl}, true}, {VK_DELETE, {}, false},
        {VK_HOME, {}, false},  {VK_END, {}, false},         {VK_LEFT, {}, false},
        {VK_RIGHT, {}, false}, {VK_RIGHT, {ssCtrl}, false}, {'Q', {}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(Handed(c.Key, c.Shift), c.Grid) << "key " << c.Key;
    EXPECT_EQ(Handed(VK_UP), true);
    EXPECT_EQ(FocusedControl(), Grid);  // the grid took the focus first
}

TEST_F(GridKeysTest, WithAlwaysShowEditorTheEdgesOfTheTextGoToTheGrid) {
    Grid->SetGridOptions({dgAlwaysShowEditor});
    ShowAndFocus(Edit);
    EXPECT_TRUE(Handed(VK_RIGHT, {}, 3));  // caret at the end
    EXPECT_FALSE(Handed(VK_RIGHT, {}, 1));
    EXPECT_TRUE(Handed(VK_RIGHT, {ssCtrl}, 1));
    EXPECT_TRUE(Handed(VK_LEFT, {}, 0));
    EXPECT_FALSE(Handed(VK_LEFT, {}, 2));
    EXPECT_TRUE(Handed(VK_HOME, {ssCtrl}, 2));
    EXPECT_TRUE(Handed(VK_END, {}, 3));
    // Entering selects the whole text.
    Other->SetFocus();
    Edit->SetFocus();
    ProcessEvents();
    EXPECT_EQ(Edit->SelLength(), 3);
}

TEST_F(GridKeysTest, ModifiedEditKeepsEscapeAndShiftInsertPastes) {
    ShowAndFocus(Edit);
    Edit->SetSelStart(3);
    SendText(Edit, "d");
    EXPECT_TRUE(Edit->Modified());
    Grid->Keys.clear();
    std::vector<char32_t> pressed;
    Grid->SetOnKeyPress(TKeyPressEvent([&](TObject*, char32_t& k) { pressed.push_back(k); }));
    SendKey(Edit, VK_ESCAPE);
    EXPECT_TRUE(Grid->Keys.empty());
    EXPECT_EQ(pressed, std::vector<char32_t>{27});  // the grid hears of it as a key press
    EXPECT_EQ(Edit->Text(), "abc");                 // reset to the text on entering
    Clipboard()->SetAsText("Z");
    EXPECT_FALSE(Handed(VK_INSERT, {ssShift}, 3));
    EXPECT_EQ(Edit->Text(), "abcZ");
}

TEST_F(GridKeysTest, F2DropsTheSelectionAndStaysInTheEdit) {
    ShowAndFocus(Edit);
    Edit->SelectAll();
    Grid->Keys.clear();
    SendKey(Edit, VK_F2);
    EXPECT_EQ(Edit->SelLength(), 0);
    EXPECT_EQ(Edit->SelStart(), 3);
    EXPECT_TRUE(Grid->Keys.empty());
    EXPECT_EQ(FocusedControl(), Edit);
}

TEST_F(GridKeysTest, EnterGoesToTheGridAndTheGridSeesKeyPressesFirst) {
    std::vector<char32_t> seen;
    Grid->SetOnKeyPress(TKeyPressEvent([&](TObject*, char32_t& k) {
        seen.push_back(k);
        if (k == U'x') k = 0;
    }));
    ShowAndFocus(Edit);
    Edit->SetSelStart(3);
    SendText(Edit, "xy");
    EXPECT_EQ(Edit->Text(), "abcy");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_TRUE(Handed(VK_RETURN));
    Grid->SetGridOptions({dgTabs});
    EXPECT_TRUE(Handed(VK_TAB));
}

}  // namespace
