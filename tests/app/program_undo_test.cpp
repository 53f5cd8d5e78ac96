// The two roads of the close question's No: the Undo button takes the
// Catch All list, and every list a move not yet written touched, back to
// what their files hold; Exit (button, menu, close box) changes nothing.
// Both with a description changed in Catch All and tasks moved, read back
// from the files after a restart.
#include "support/app/program_harness.h"

#include <algorithm>

#include "app/restore_dlg.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"

namespace {

using TNames = std::vector<std::string>;

TNames Sorted(TNames Names) {
    std::sort(Names.begin(), Names.end());
    return Names;
}

class ProgramUndoTest : public ProgramTest {
protected:
    void PrepareData() override {
        ProgramTest::PrepareData();
        AddTasks("Ttask.d", {{"Call the bank", "1", true}, {"Stay here", "2", false}});
        AddTasks("Ttask2.d", {{"Finished thing", "4", false}});
        AddTasks("List.d", {{"Saved idea", "2", false}, {"Second idea", "3", false}});
    }

    // Catch All's first description opened in its cell editor with two clicks
    // and Text typed at its end, not yet posted.
    void TypeIntoTheFirstDescription(const std::string& Text) {
        ShowTab(Form->TabSheet4());
        TOstraDBGrid* grid = Form->OstraDBGrid3();
        ClickCell(grid, 4, 1);
        ClickCell(grid, 4, 1);
        ASSERT_TRUE(grid->EditorMode());
        SendKeyToFocus(VK_END);
        TypeToFocus(Text);
    }

    // The first description of Catch All changed with real keys, Down posts
    // it; "Call the bank" moved from Group 1 to Catch All, the second
    // group's task archived.
    void ChangeAndMove() {
        ASSERT_NO_FATAL_FAILURE(TypeIntoTheFirstDescription(" changed"));
        SendKeyToFocus(VK_DOWN);
        ASSERT_EQ(Form->dList_()->State(), dsBrowse);

        ShowTab(Form->TabSheet1());
        ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant("Call the bank"), {}));
        Dialogs.Answer(mrYes);
        Click(Form->spBtnMoveCmpl());
        ShowTab(Form->TabSheet2());
        Dialogs.Answer(mrYes);
        Click(Form->sbtnArchive());
    }

    void ExpectChangedAndMoved() {
        EXPECT_EQ(Column(Form->dList_(), "Action"),
                  (TNames{"Saved idea changed", "Second idea", "Call the bank"}));
        EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Stay here"});
        EXPECT_TRUE(Column(Form->dtask2_(), "Action").empty());
        EXPECT_EQ(Column(Form->dArchive_(), "ACTION"), TNames{"Finished thing"});
    }

    void ExpectAsSaved() {
        EXPECT_EQ(Column(Form->dList_(), "Action"), (TNames{"Saved idea", "Second idea"}));
        EXPECT_EQ(Sorted(Column(Form->dTask_(), "Action")), (TNames{"Call the bank", "Stay here"}));
        EXPECT_EQ(Column(Form->dtask2_(), "Action"), TNames{"Finished thing"});
        EXPECT_TRUE(Column(Form->dArchive_(), "ACTION").empty());
    }

    void ExpectFilesAsAtStart() {
        EXPECT_EQ(FileColumn("List.d", "Action"), (TNames{"Saved idea", "Second idea"}));
        EXPECT_EQ(Sorted(FileColumn("Ttask.d", "Action")), (TNames{"Call the bank", "Stay here"}));
        EXPECT_EQ(FileColumn("Ttask2.d", "Action"), TNames{"Finished thing"});
        EXPECT_TRUE(FileColumn("archive.d", "ACTION").empty());
    }

    // Every tab visited, as a user finds the lists after the restart.
    void ShowEveryList() {
        for (TTabSheet* sheet : {Form->TabSheet1(), Form->TabSheet2(), Form->TabSheet3(), Form->TabSheet4()})
            ShowTab(sheet);
    }
};

// The Undo button's No: the changed description and both moves are taken
// back; each task is in its list once and nothing is written.
TEST_F(ProgramUndoTest, UndoAnsweredNoTakesBackTheListAndTheMovesTogether) {
    Start();
    ChangeAndMove();
    ExpectChangedAndMoved();
    // a move is written with the next save or close, not at once
    ExpectFilesAsAtStart();

    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());  // "Undo"
    EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
    EXPECT_EQ(LastCloseAction, caNone);
    EXPECT_TRUE(Form->Visible());
    ExpectAsSaved();
    EXPECT_FALSE(Form->dList_()->HasPendingChanges());
    EXPECT_FALSE(Form->dTask_()->HasPendingChanges());
    EXPECT_FALSE(Form->dArchive_()->HasPendingChanges());
    ShowTab(Form->TabSheet7());
    EXPECT_EQ(Form->tblToDay1_()->RecordCount(), 1);
    ShowTab(Form->TabSheet4());
    Form->dList_()->First();
    EXPECT_EQ(Form->OstraDBGrid3()->Columns()->GetColumn(3)->DisplayText(), "Saved idea");
    ExpectFilesAsAtStart();

    // The moves undone are not written later either.
    EXPECT_TRUE(CloseProgram());
    ExpectFilesAsAtStart();
    Restart();
    ShowEveryList();
    ExpectAsSaved();
    EXPECT_TRUE(CloseProgram());
}

// Exit's No, from the tool bar, the menu and the window's close box,
// changes nothing: what was typed and moved stays, to be saved by Yes.
TEST_F(ProgramUndoTest, ExitAnsweredNoOnEveryRoadKeepsTypingAndMoves) {
    Start();
    ChangeAndMove();
    TTestMenus menus;
    const std::vector<std::pair<const char*, std::function<void()>>> roads{
        {"Exit button", [this] { Click(Form->SpeedButton2()); }},
        {"Exit menu item",
         [&menus] {
             SendKeyToFocus(VK_F10);
             menus.Answer("E&xit");
             SendKeyToFocus('F');
         }},
        {"close box", [this] { SendCloseBox(Form); }}};
    for (const auto& [name, road] : roads) {
        SCOPED_TRACE(name);
        Dialogs.Clear();
        Dialogs.Answer(mrNo);
        road();
        ASSERT_EQ(Dialogs.Count(), 1);
        EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
        EXPECT_EQ(LastCloseAction, caNone);
        EXPECT_TRUE(Form->Visible());
        ExpectChangedAndMoved();
        ExpectFilesAsAtStart();
    }

    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("List.d", "Action"), (TNames{"Saved idea changed", "Second idea", "Call the bank"}));
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Stay here"});
    EXPECT_TRUE(FileColumn("Ttask2.d", "Action").empty());
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), TNames{"Finished thing"});
    Restart();
    ShowEveryList();
    ExpectChangedAndMoved();
    EXPECT_TRUE(CloseProgram());
}

// The Undo's No reads the moved task back: the grid's selection goes, as
// with a table read again from its file, so Ctrl+Delete then deletes the
// task the current-row arrow is on, not the one selected before the move.
TEST_F(ProgramUndoTest, UndoAnsweredNoLeavesNoSelectionMark) {
    Start();
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    ClickCell(grid, 4, 1);
    ASSERT_EQ(grid->SelectedRows()->Count(), 1);
    const std::string moved = Form->dTask_()->FieldByName("Action")->AsString();
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());
    ASSERT_EQ(Form->dTask_()->RecordCount(), 1);

    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());  // "Undo"
    ASSERT_EQ(LastCloseAction, caNone);
    ASSERT_EQ(Sorted(Column(Form->dTask_(), "Action")), (TNames{"Call the bank", "Stay here"}));
    EXPECT_EQ(grid->SelectedRows()->Count(), 0);
    for (const std::string& name : {"Call the bank", "Stay here"}) {
        ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant(name), {}));
        EXPECT_FALSE(grid->SelectedRows()->CurrentRowSelected()) << name;
    }
    // The arrow on the other task than the one moved and brought back.
    const std::string other = moved == "Stay here" ? "Call the bank" : "Stay here";
    ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant(other), {}));
    grid->SetFocus();
    Dialogs.Answer(mrOk);
    SendKeyToFocus(VK_DELETE, {ssCtrl});
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{moved});
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{moved});
}

// A task file written before the list it gave a task to (leaving Today
// writes the second file): the list is written first, so the task is in
// one file whatever comes after; an Undo then keeps it where it went.
TEST_F(ProgramUndoTest, AWrittenTaskFileHasItsMovedTasksWrittenFirst) {
    Start();
    ShowTab(Form->TabSheet2());
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());
    ASSERT_TRUE(Column(Form->dtask2_(), "Action").empty());
    EXPECT_EQ(FileColumn("Ttask2.d", "Action"), TNames{"Finished thing"});
    ShowTab(Form->TabSheet7());
    ClickCell(Form->OstraDBGrid8(), 4, 1);
    ShowTab(Form->TabSheet1());
    EXPECT_TRUE(FileColumn("Ttask2.d", "Action").empty());
    EXPECT_EQ(FileColumn("List.d", "Action"), (TNames{"Saved idea", "Second idea", "Finished thing"}));

    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());  // "Undo"
    EXPECT_EQ(LastCloseAction, caNone);
    EXPECT_EQ(Column(Form->dList_(), "Action"), (TNames{"Saved idea", "Second idea", "Finished thing"}));
    EXPECT_TRUE(Column(Form->dtask2_(), "Action").empty());
    EXPECT_TRUE(CloseProgram());
    Restart();
    ShowEveryList();
    EXPECT_EQ(Column(Form->dList_(), "Action"), (TNames{"Saved idea", "Second idea", "Finished thing"}));
    EXPECT_TRUE(Column(Form->dtask2_(), "Action").empty());
    EXPECT_TRUE(CloseProgram());
}

// "Save Changes" writes the moves: an Undo after it has nothing of them
// to take back, and the later typing alone is dropped.
TEST_F(ProgramUndoTest, AfterSaveChangesUndoKeepsTheSavedMoves) {
    Start();
    ChangeAndMove();
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("List.d", "Action"), (TNames{"Saved idea changed", "Second idea", "Call the bank"}));
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), TNames{"Finished thing"});
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Stay here"});
    ShowTab(Form->TabSheet4());
    TOstraDBGrid* grid = Form->OstraDBGrid3();
    ClickCell(grid, 4, 2);
    ClickCell(grid, 4, 2);
    SendKeyToFocus(VK_END);
    TypeToFocus(" typed later");
    SendKeyToFocus(VK_UP);
    ASSERT_EQ(Form->dList_()->State(), dsBrowse);

    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());  // "Undo"
    ExpectChangedAndMoved();
    EXPECT_TRUE(CloseProgram());
    Restart();
    ShowEveryList();
    ExpectChangedAndMoved();
    EXPECT_TRUE(CloseProgram());
}

// A restore replaces files under the lists: a move not written yet is
// written first, so an Undo after restoring the task file from a backup
// older than the task keeps the task in Catch All.
TEST_F(ProgramUndoTest, ARestoreWritesTheMovesFirst) {
    Start();
    Form->Backup1()->Click();
    ShowTab(Form->TabSheet1());
    Click(Form->spBtnAdd());
    Form->dTask_()->FieldByName("Action")->SetAsString("Added after the backup");
    Click(Form->spbtnSave());
    ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant("Added after the backup"), {}));
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());

    TTestModalForms forms;
    forms.Push([](TCustomForm* Dialog) {
        auto* dlg = dynamic_cast<TDualListDlg*>(Dialog);
        ASSERT_NE(dlg, nullptr);
        const TRect r = dlg->SrcList()->ItemRect(dlg->SrcList()->Items()->IndexOf("TTask"));
        SendClick(dlg->SrcList(), r.Left + 5, (r.Top + r.Bottom) / 2);
        SendClick(dlg->IncludeBtn(), 5, 5);
        SendClick(dlg->OKBtn(), 5, 5);
    });
    Form->Restore1()->Click();
    EXPECT_EQ(Dialogs.Last().Text, "1 Files copied.");
    EXPECT_EQ(Sorted(Column(Form->dTask_(), "Action")), (TNames{"Call the bank", "Stay here"}));

    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());  // "Undo"
    EXPECT_EQ(Column(Form->dList_(), "Action"),
              (TNames{"Saved idea", "Second idea", "Added after the backup"}));
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("List.d", "Action"),
              (TNames{"Saved idea", "Second idea", "Added after the backup"}));
    EXPECT_EQ(Sorted(FileColumn("Ttask.d", "Action")), (TNames{"Call the bank", "Stay here"}));
}

// Text still in a Catch All cell's editor, not posted, goes with the Undo
// too: the editor shows the saved text again and nothing is posted later.
TEST_F(ProgramUndoTest, UndoDropsTextStillInTheCellEditor) {
    Start();
    ASSERT_NO_FATAL_FAILURE(TypeIntoTheFirstDescription(" typed"));
    TOstraDBGrid* grid = Form->OstraDBGrid3();
    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());  // "Undo"
    EXPECT_EQ(LastCloseAction, caNone);
    EXPECT_EQ(Form->dList_()->State(), dsBrowse);
    if (grid->EditorMode()) {
        ASSERT_NE(grid->InplaceEditor(), nullptr);
        EXPECT_EQ(grid->InplaceEditor()->Text(), "Saved idea");
    }
    ClickCell(grid, 4, 2);
    EXPECT_EQ(Column(Form->dList_(), "Action"), (TNames{"Saved idea", "Second idea"}));
    EXPECT_FALSE(Form->dList_()->HasPendingChanges());
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("List.d", "Action"), (TNames{"Saved idea", "Second idea"}));
}

}  // namespace
