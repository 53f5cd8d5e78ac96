// Cell hints (the grid's TqzGridCellHints): the whole text of a cut cell
// under a resting mouse, ended by its timer or by another cell.
#include <vector>

#include "platform/ui/timer.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

class QzCellHints : public QzGridTest {
protected:
    // A note column 50 pixels wide, with hints; record 1's note is cut,
    // the other records' notes follow.
    void ShowNotes(const std::vector<const char*>& Others) {
        Table->FieldDefs()->Add("Note", ftString, 80);
        Table->Open();
        Table->AppendRecord({Variant(1), Variant("A"), Variant(), Variant(), Variant(),
                             Variant("a note far too long to fit into its narrow column")});
        int key = 1;
        for (const char* note : Others)
            Table->AppendRecord(
                {Variant(++key), Variant("B"), Variant(), Variant(), Variant(), Variant(note)});
        Table->First();
        Grid->SetOptions(Grid->Options() + dgShowCellHint);
        Show();
        Grid->SetColWidths(6, 50);
        ProcessEvents();
    }
    // The pointer moved to a point of the grid, as a user's mouse moves it
    // (the hint follows where the pointer rests, not only the last event).
    void Hover(int X, int Y) {
        MovePointerTo(Grid->ClientToScreen({X, Y}));
        SendMouseMove(Grid, X, Y);
    }
};

TEST_F(QzCellHints, CellHintShowsCutTextUntilItsTimerEndsIt) {
    ShowNotes({"short"});
    TTestTimers timers;
    const TRect text = Grid->CellRect(2, 2), longNote = Grid->CellRect(6, 1),
                shortNote = Grid->CellRect(6, 2);
    auto hint = [&] { return FirstOwned<TqzGridHintWindow>(Grid); };
    // A text that fits: no hint.
    Hover(text.Left + 3, text.Top + 3);
    EXPECT_EQ(hint(), nullptr);
    EXPECT_EQ(timers.Pending(), 0);
    Hover(longNote.Left + 3, longNote.Top + 3);
    ASSERT_NE(hint(), nullptr);
    EXPECT_EQ(hint()->HintText(), "a note far too long to fit into its narrow column");
    EXPECT_GT(hint()->Width(), longNote.Width());
    TTimer* timer = FirstOwned<TTimer>(Grid);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Interval(), 250u);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_TRUE(timers.Scheduled(timer));
    TBitmap shot;
    RenderControl(Form, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_cell_hint.png"));
    // Ticks while the mouse rests keep it, up to the hide pause (at least 16 ticks).
    Application->SetHintHidePause(2500);
    timers.Advance(16 * 250);
    EXPECT_NE(hint(), nullptr);
    timers.Advance(250);
    EXPECT_EQ(hint(), nullptr);
    EXPECT_FALSE(timer->Enabled());
    // Another cell hides it at once.
    Hover(longNote.Left + 5, longNote.Top + 3);
    ASSERT_NE(hint(), nullptr);
    Hover(shortNote.Left + 3, shortNote.Top + 3);
    EXPECT_EQ(hint(), nullptr);
    EXPECT_FALSE(timer->Enabled());
}

// Right to left the hint reads from the right: it keeps the right edge of
// the mirrored cell, and lives while the mouse rests there.
TEST_F(QzCellHints, RightToLeftHintKeepsTheMirroredCellsRightEdge) {
    ShowNotes({"short"});
    Grid->SetBiDiMode(bdRightToLeft);
    ProcessEvents();
    TTestTimers timers;
    const TRect note = Grid->GridToClientRect(Grid->CellRect(6, 1));
    Hover(note.Left + 3, note.Top + 3);
    TqzGridHintWindow* hint = FirstOwned<TqzGridHintWindow>(Grid);
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(taRightJustify, hint->Alignment);
    // The hint is a child of the form.
    EXPECT_EQ(Form->ScreenToClient(Grid->ClientToScreen({note.Right, note.Top})).X,
              hint->Left() + hint->Width());
    EXPECT_GT(hint->Width(), note.Width());
    timers.Advance(3 * 250);
    EXPECT_NE(FirstOwned<TqzGridHintWindow>(Grid), nullptr);
    const TRect shortNote = Grid->GridToClientRect(Grid->CellRect(6, 2));
    Hover(shortNote.Left + 3, shortNote.Top + 3);
    EXPECT_EQ(FirstOwned<TqzGridHintWindow>(Grid), nullptr);
}

// The hint lives on the form: closing the form while it shows frees it
// once, whichever of it and the grid goes first; a hint freed by someone
// else is forgotten too.
TEST_F(QzCellHints, AFormClosedWhileAHintShowsFreesItOnce) {
    ShowNotes({});
    TTestTimers timers;
    const TRect note = Grid->CellRect(6, 1);
    Hover(note.Left + 3, note.Top + 3);
    TqzGridHintWindow* hint = FirstOwned<TqzGridHintWindow>(Grid);
    ASSERT_NE(hint, nullptr);
    delete hint;
    timers.Advance(250);
    Hover(note.Left + 5, note.Top + 3);
    Hover(note.Left + 3, note.Top + 4);
    ASSERT_NE(FirstOwned<TqzGridHintWindow>(Grid), nullptr);
    delete Form;
    Form = nullptr;
    ProcessEvents();
}

}  // namespace
