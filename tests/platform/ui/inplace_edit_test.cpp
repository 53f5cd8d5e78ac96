// The grid's in-place editor: shown by F2, Enter, typing and clicks; placed
// over the current cell; loading and writing back the cell's text; Escape;
// navigation keys handed to the grid; masks, limits and refused changes.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/testing.h"

namespace {

// A grid holding text cells, drawn as text.
class TTextGrid : public TCustomGrid {
public:
    explicit TTextGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    std::map<std::pair<int, int>, std::string> Cells;
    std::vector<std::string> Writes;  // "col,row=text" for each SetEditText
    std::string Mask;
    int Limit = 0;
    bool Modifiable = true;

    std::string Cell(int c, int r) const {
        auto it = Cells.find({c, r});
        return it == Cells.end() ? std::string() : it->second;
    }

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState) override {
        Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, Cell(ACol, ARow));
    }
    std::string GetEditText(int ACol, int ARow) override { return Cell(ACol, ARow); }
    void SetEditText(int ACol, int ARow, const std::string& Value) override {
        Cells[{ACol, ARow}] = Value;
        Writes.push_back(IntToStr(ACol) + "," + IntToStr(ARow) + "=" + Value);
    }
    std::string GetEditMask(int, int) override { return Mask; }
    int GetEditLimit() override { return Limit; }
    bool CanEditModify() override { return Modifiable && TCustomGrid::CanEditModify(); }
};

class InplaceEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        form = CreateForm<TForm>(Application);
        form->SetBounds(30, 30, 500, 400);
        grid = new TTextGrid(form);
        grid->SetParent(form);
        grid->SetBorderStyle(bsNone);
        grid->SetScrollBars(ssNone);
        grid->SetDefaultColWidth(60);
        grid->SetDefaultRowHeight(22);
        grid->SetColCount(6);
        grid->SetRowCount(20);
        grid->SetBounds(0, 0, 250, 180);
        grid->SetOptions(grid->Options() + goEditing + goTabs);
        grid->Cells[{1, 1}] = "alpha";
        grid->Cells[{2, 1}] = "beta";
        grid->Cells[{1, 2}] = "gamma";
        form->Show();
        ActivateForm(form);
        grid->SetFocus();
        ProcessEvents();
    }
    void TearDown() override { delete form; }

    bool EditorShows() const {
        return grid->InplaceEditor() && grid->InplaceEditor()->Visible() && grid->EditorMode();
    }

    TForm* form = nullptr;
    TTextGrid* grid = nullptr;
};

TEST_F(InplaceEditTest, F2ShowsTheEditorOverTheCellWithTheCaretAtTheEnd) {
    EXPECT_EQ(grid->InplaceEditor(), nullptr);  // made when first needed
    SendKey(grid, VK_F2);
    ASSERT_TRUE(EditorShows());
    TInplaceEdit* ed = grid->InplaceEditor();
    EXPECT_EQ(ed->Parent(), grid);
    EXPECT_EQ(ed->Grid(), grid);
    EXPECT_EQ(ed->BoundsRect(), grid->CellRect(1, 1));
    EXPECT_EQ(ed->Text(), "alpha");
    EXPECT_EQ(ed->SelLength(), 0);
    EXPECT_EQ(ed->SelStart(), 5);
    EXPECT_EQ(FocusedControl(), ed);
    SendText(ed, "s");
    EXPECT_EQ(ed->Text(), "alphas");
    // Each change is written back at once.
    EXPECT_EQ(grid->Cell(1, 1), "alphas");
}

TEST_F(InplaceEditTest, EnterTogglesTheEditorAndWritesTheText) {
    SendKey(grid, VK_RETURN);
    ASSERT_TRUE(EditorShows());
    TInplaceEdit* ed = grid->InplaceEditor();
    EXPECT_EQ(ed->SelLength(), 5);  // all selected: typing replaces
    SendText(ed, "one");
    SendKey(ed, VK_RETURN);
    EXPECT_FALSE(EditorShows());
    EXPECT_FALSE(ed->Visible());
    EXPECT_EQ(grid->Cell(1, 1), "one");
    EXPECT_EQ(FocusedControl(), grid);
    ASSERT_FALSE(grid->Writes.empty());
    EXPECT_EQ(grid->Writes.back(), "1,1=one");
}

TEST_F(InplaceEditTest, TypingOnTheGridOpensTheEditorWithThatCharacter) {
    SendText(grid, "Z");
    ASSERT_TRUE(EditorShows());
    TInplaceEdit* ed = grid->InplaceEditor();
    EXPECT_EQ(ed->Text(), "Z");
    EXPECT_EQ(FocusedControl(), ed);
    SendText(ed, "ed");
    EXPECT_EQ(grid->Cell(1, 1), "Zed");
}

TEST_F(InplaceEditTest, EscapePutsBackTheTextAndClosesTheEditor) {
    SendKey(grid, VK_F2);
    TInplaceEdit* ed = grid->InplaceEditor();
    ASSERT_NE(ed, nullptr);
    SendText(ed, "xyz");
    EXPECT_EQ(ed->Text(), "alphaxyz");
    SendKey(ed, VK_ESCAPE);
    EXPECT_FALSE(EditorShows());
    EXPECT_EQ(ed->Text(), "alpha");
    EXPECT_EQ(FocusedControl(), grid);
    // Opening it again shows the cell's text.
    SendKey(grid, VK_F2);
    EXPECT_EQ(grid->InplaceEditor()->Text(), grid->Cell(1, 1));
}

TEST_F(InplaceEditTest, ArrowsLeaveTheEditorAndMoveTheGrid) {
    SendKey(grid, VK_F2);
    TInplaceEdit* ed = grid->InplaceEditor();
    SendText(ed, "!");
    SendKey(ed, VK_DOWN);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_FALSE(EditorShows());
    EXPECT_EQ(grid->Cell(1, 1), "alpha!");
    EXPECT_EQ(FocusedControl(), grid);
    // Left and Right stay in the editor when it is not always shown.
    SendKey(grid, VK_F2);
    SendKey(ed, VK_LEFT);
    SendKey(ed, VK_HOME);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_TRUE(EditorShows());
    EXPECT_EQ(ed->SelStart(), 0);
}

TEST_F(InplaceEditTest, AlwaysShownEditorFollowsTheCurrentCell) {
    grid->SetOptions(grid->Options() + goAlwaysShowEditor);
    ProcessEvents();
    ASSERT_TRUE(EditorShows());
    TInplaceEdit* ed = grid->InplaceEditor();
    EXPECT_EQ(ed->Text(), "alpha");
    SendKey(ed, VK_RIGHT);  // all text selected: Right goes to the grid
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_TRUE(EditorShows());
    EXPECT_EQ(ed->Text(), "beta");
    EXPECT_EQ(ed->BoundsRect(), grid->CellRect(2, 1));
    // Ctrl+Right goes to the grid whatever the caret: the last column.
    ed->SetSelStart(1);
    SendKey(ed, VK_RIGHT, {ssCtrl});
    EXPECT_EQ(grid->Col(), 5);
    SendKey(ed, VK_LEFT, {ssCtrl});
    EXPECT_EQ(grid->Col(), 1);
    grid->SetCol(2);
    // With the caret at the left, Left goes to the grid too.
    ed->SetSelStart(0);
    SendKey(ed, VK_LEFT);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(ed->Text(), "alpha");
    // Enter keeps it shown.
    SendKey(ed, VK_RETURN);
    EXPECT_TRUE(EditorShows());
    // Escape puts the text back and keeps it shown.
    SendText(ed, "q");
    SendKey(ed, VK_ESCAPE);
    EXPECT_TRUE(EditorShows());
    EXPECT_EQ(ed->Text(), "alpha");
}

TEST_F(InplaceEditTest, ClickingTheCurrentCellEditsAndAnotherCellCommits) {
    const TRect r = grid->CellRect(1, 1);
    SendClick(grid, r.Left + 5, r.Top + 5);
    ASSERT_TRUE(EditorShows());
    TInplaceEdit* ed = grid->InplaceEditor();
    SendText(ed, "new");
    const TRect other = grid->CellRect(2, 2);
    SendClick(grid, other.Left + 5, other.Top + 5);
    EXPECT_FALSE(EditorShows());
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Cell(1, 1), "new");
}

TEST_F(InplaceEditTest, TabInTheEditorMovesToTheNextCell) {
    SendKey(grid, VK_F2);
    TInplaceEdit* ed = grid->InplaceEditor();
    SendKey(ed, VK_TAB);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_FALSE(EditorShows());
}

TEST_F(InplaceEditTest, TheEditorMovesWithScrollingAndHidesWhenItsCellScrollsAway) {
    grid->SetOptions(grid->Options() + goAlwaysShowEditor);
    ProcessEvents();
    TInplaceEdit* ed = grid->InplaceEditor();
    ASSERT_TRUE(EditorShows());
    grid->SetLeftCol(2);
    EXPECT_FALSE(ed->Visible());
    grid->SetLeftCol(1);
    EXPECT_TRUE(ed->Visible());
    EXPECT_EQ(ed->BoundsRect(), grid->CellRect(1, 1));
}

TEST_F(InplaceEditTest, MaskAndLimitComeFromTheGrid) {
    grid->Mask = "999;0; ";
    grid->Cells[{1, 1}] = "12";
    TBeepCounter beeps;
    SendKey(grid, VK_F2);
    TInplaceEdit* ed = grid->InplaceEditor();
    EXPECT_EQ(ed->EditMask(), "999;0; ");
    EXPECT_EQ(ed->EditText(), "12 ");
    ed->SetSelStart(2);
    SendText(ed, "x");  // refused by the mask
    EXPECT_EQ(beeps.Count(), 1);
    SendText(ed, "7");
    EXPECT_EQ(ed->Text(), "127");
    SendKey(ed, VK_RETURN);
    EXPECT_EQ(grid->Cell(1, 1), "127");

    grid->Mask.clear();
    grid->Limit = 4;
    grid->Cells[{1, 2}] = "ga";
    SendKey(grid, VK_DOWN);
    SendKey(grid, VK_F2);
    EXPECT_EQ(ed->MaxLength(), 4);
    SendText(ed, "xyz");
    EXPECT_EQ(ed->Text(), "gaxy");
}

TEST_F(InplaceEditTest, UnmodifiableCellsTakeNoTyping) {
    grid->Modifiable = false;
    SendKey(grid, VK_F2);
    TInplaceEdit* ed = grid->InplaceEditor();
    ASSERT_TRUE(EditorShows());
    SendText(ed, "abc");
    SendKey(ed, VK_BACK);
    SendKey(ed, VK_DELETE);
    TTestClipboard clip;
    Clipboard()->SetAsText("pasted");
    SendKey(ed, 'V', {ssCtrl});
    SendKey(ed, VK_INSERT, {ssShift});
    ed->SelectAll();
    SendKey(ed, 'X', {ssCtrl});
    EXPECT_EQ(ed->Text(), "alpha");
    EXPECT_TRUE(grid->Writes.empty());
}

TEST_F(InplaceEditTest, NoEditorWithoutEditingOrWithRowSelect) {
    grid->SetOptions(grid->Options() - goEditing);
    SendKey(grid, VK_F2);
    SendText(grid, "a");
    EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
    grid->SetOptions(grid->Options() + goEditing + goRowSelect);
    SendKey(grid, VK_F2);
    EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
}

TEST_F(InplaceEditTest, EditorModeFromCode) {
    grid->SetEditorMode(true);
    EXPECT_TRUE(EditorShows());
    grid->InplaceEditor()->SetText("set");
    grid->InplaceEditor()->SetModified(true);
    grid->SetEditorMode(false);
    EXPECT_FALSE(EditorShows());
    EXPECT_EQ(grid->Cell(1, 1), "set");
}

// The grid's key handlers, which the editor passes its keys to, may free the
// grid and with it the editor: the key ends there.
TEST_F(InplaceEditTest, AGridFreedByItsKeyHandlerWhileEditingTakesTheEditorAlong) {
    const std::vector<std::function<void()>> frees = {
        [&] { grid->SetOnKeyPress(TKeyPressEvent([](TObject* Sender, char32_t&) { delete Sender; })); },
        [&] {
            grid->SetOnKeyDown(TKeyEvent([](TObject* Sender, uint16_t&, TShiftState) { delete Sender; }));
        },
    };
    const uint16_t keys[] = {'A', VK_F2};
    for (std::size_t i = 0; i < frees.size(); ++i) {
        SCOPED_TRACE(i);
        if (i > 0) SetUp();
        SendKey(grid, VK_F2);
        ASSERT_TRUE(EditorShows());
        frees[i]();
        SendKeyToFocus(keys[i]);
        EXPECT_EQ(form->ControlCount(), 0);
        delete form;
        form = nullptr;
    }
}

}  // namespace
