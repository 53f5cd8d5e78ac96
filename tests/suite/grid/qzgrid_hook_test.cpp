// The shared keyboard hook: keys typed in a control embedded in the grid
// reach the grid (real key events); the hook lives while a grid does.
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "suite/grid/qzgridhook.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

class QzHook : public QzGridTest {
protected:
    void SetUpEmbedded() {
        Open(4);
        Show();
        Grid->SetFocus();
        ProcessEvents();
        Edit = new TEdit(Form);
        Edit->SetParent(Grid);
        Edit->SetBounds(Grid->ClientWidth() - 90, Grid->ClientHeight() - 40, 80, 22);
        Edit->SetText("hello");
        Edit->SetOnKeyDown(
            TKeyEvent([this](TObject*, uint16_t& Key, TShiftState) { EditKeys.push_back(Key); }));
        Edit->SetFocus();
        ProcessEvents();
        ASSERT_EQ(FocusedControl(), Edit);
    }
    TEdit* Edit = nullptr;
    std::vector<uint16_t> EditKeys;
};

TEST_F(QzHook, TabInAnEmbeddedEditMovesTheGrid) {
    SetUpEmbedded();
    EXPECT_TRUE(qzGridHookInstalled());
    const int col = Grid->SelectedIndex();
    SendKey(Edit, VK_TAB);
    ProcessEvents();
    EXPECT_EQ(Grid->SelectedIndex(), col + 1);
    EXPECT_TRUE(EditKeys.empty());
}

TEST_F(QzHook, EnterStaysWithTheControlUnlessEnterIsTab) {
    SetUpEmbedded();
    const int col = Grid->SelectedIndex();
    SendKey(Edit, VK_RETURN);
    ProcessEvents();
    EXPECT_EQ(Grid->SelectedIndex(), col);
    EXPECT_EQ(EditKeys, std::vector<uint16_t>{VK_RETURN});
    Grid->SetKeyOptions(Grid->KeyOptions() + dgEnterToTab);
    Edit->SetFocus();
    ProcessEvents();
    SendKey(Edit, VK_RETURN);
    ProcessEvents();
    EXPECT_EQ(Grid->SelectedIndex(), col + 1);
}

TEST_F(QzHook, UpMovesTheRowOnlyWithTheWholeTextSelected) {
    SetUpEmbedded();
    Edit->SetSelStart(1);
    Edit->SetSelLength(2);
    SendKey(Edit, VK_DOWN);
    ProcessEvents();
    EXPECT_EQ(Id(), 1);
    Edit->SetFocus();
    Edit->SelectAll();
    SendKey(Edit, VK_DOWN);
    ProcessEvents();
    EXPECT_EQ(Id(), 2);
}

TEST_F(QzHook, OpenInputMethodKeepsEveryKey) {
    SetUpEmbedded();
    SetInputMethodOpenTest([] { return true; });
    const int col = Grid->SelectedIndex();
    SendKey(Edit, VK_TAB);
    ProcessEvents();
    SetInputMethodOpenTest(nullptr);
    EXPECT_EQ(Grid->SelectedIndex(), col);
}

// Freeing one grid keeps the hook for the others; the last one removes it.
TEST_F(QzHook, HookOutlivesAllButTheLastGrid) {
    Open(2);
    Show();
    Grid->SetFocus();
    ProcessEvents();
    ASSERT_TRUE(qzGridHookInstalled());
    auto* other = new TqzCustomDBGrid(nullptr);
    delete other;
    EXPECT_TRUE(qzGridHookInstalled());
    delete Form;
    Form = nullptr;
    EXPECT_FALSE(qzGridHookInstalled());
}

// The grid a key belongs to: the focused grid, or the grid around the
// focused control; none while a control outside every grid has the focus.
TEST_F(QzHook, FocusedAndHookGridFollowTheActiveControl) {
    auto* outside = new TEdit(Form);
    outside->SetParent(Form);
    outside->SetBounds(8, 380, 80, 22);
    SetUpEmbedded();
    TqzCustomDBGrid* found = nullptr;
    EXPECT_TRUE(qzFindFocusedGrid(found));
    EXPECT_EQ(found, Grid);
    found = nullptr;
    EXPECT_TRUE(qzFindHookGrid(found));
    EXPECT_EQ(found, Grid);
    Grid->SetFocus();
    ProcessEvents();
    found = nullptr;
    EXPECT_TRUE(qzFindHookGrid(found));
    EXPECT_EQ(found, Grid);
    outside->SetFocus();
    ProcessEvents();
    ASSERT_EQ(FocusedControl(), outside);
    EXPECT_FALSE(qzFindFocusedGrid(found));
    EXPECT_EQ(found, nullptr);
    found = Grid;
    EXPECT_FALSE(qzFindHookGrid(found));
    EXPECT_EQ(found, nullptr);
    // Keys typed there stay there.
    const int col = Grid->SelectedIndex();
    SendKey(outside, VK_TAB);
    ProcessEvents();
    EXPECT_EQ(Grid->SelectedIndex(), col);
}

}  // namespace
