// The started program's looks: a pick list as wide as its items, the sort
// marker beside a narrow title, an empty grid's blank row, the Projects
// edits after a drop-down and when the window grows (pictures written
// to the test run's folder as program_looks_<name>.png).
#include "support/app/program_harness.h"
#include "support/environment.h"

#include "engine-controls/ostra_dbedit.h"
#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/drawing.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

namespace {

class ProgramLooksTest : public ProgramTest {
protected:
    void Picture(TControl* Control, const std::string& Name, TBitmap* Out) {
        RenderControl(Control, Out);
        Out->SaveToFile(TestRunPath("program_looks_" + Name + ".png"));
    }
    static bool Dark(TColor C) { return GetRValue(C) + GetGValue(C) + GetBValue(C) < 3 * 160; }
    // The first and last columns of R in Picture holding dark ink (-1 when none).
    static std::pair<int, int> InkSpan(TBitmap* Picture, const TRect& R) {
        int first = -1, last = -1;
        for (int x = R.Left; x < R.Right; ++x)
            for (int y = R.Top; y < R.Bottom; ++y)
                if (Dark(Picture->Canvas()->Pixels(x, y))) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    TRect Cell(TOstraDBGrid* Grid, int DataCol, int Row) {
        TRect r = Grid->CellRect(Grid->DataToRawColumn(DataCol), Row);
        OffsetRect(r, Grid->NonClientMargins().Left, Grid->NonClientMargins().Top);
        return r;
    }
    void AddProject(const std::string& Target, const std::string& Priority) {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + "Goals.d");
        t.Open();
        t.Append();
        t.FieldByName("Target")->SetAsString(Target);
        t.FieldByName("Priority")->SetAsString(Priority);
        t.Post();
        t.Save();
    }
};

// Group 1's Priority pick list shows every item whole: "Completed" is wider
// than the 57-pixel column.
TEST_F(ProgramLooksTest, APickListIsAsWideAsItsLongestItem) {
    AddTasks("Ttask.d", {{"First", "1", false}});
    Start();
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    ClickCell(grid, 3, 1);
    ClickCell(grid, 3, 1);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    auto* editor = dynamic_cast<TOstraDBGridInplaceEdit*>(grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->ListVisible());
    auto* list = dynamic_cast<TCustomListBox*>(editor->ActiveList());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Items()->Strings(4), "Completed");
    TBitmap picture;
    Picture(list, "pick_list", &picture);
    const TRect item = list->ItemRect(4);
    TControlCanvas canvas;
    canvas.SetControl(list);
    canvas.SetFont(list->Font());
    const int textWidth = canvas.TextWidth("Completed");
    EXPECT_GE(list->ClientWidth(), textWidth + 4);
    // The item's ink: the whole word, ending inside the list.
    const int frame = (list->Width() - list->ClientWidth()) / 2;
    TRect ink = item;
    OffsetRect(ink, frame, frame);
    const auto [first, last] = InkSpan(&picture, ink);
    ASSERT_GE(first, 0);
    EXPECT_GE(last - first + 4, textWidth);
    EXPECT_LT(last, ink.Right - 1);
    SendKeyToFocus(VK_ESCAPE);
    SendKeyToFocus(VK_ESCAPE);
    EXPECT_TRUE(CloseProgram());
}

// The Quotes grid's 32-pixel "Key" title sorted: the marker and the caption
// do not meet.
TEST_F(ProgramLooksTest, TheSortMarkerKeepsClearOfTheNarrowKeyTitle) {
    TfrmToDo::ResetTitleSort();
    Start();
    // At the window's designed width the Key column is in view (on the
    // test's smaller screen the window first fits the screen).
    Form->SetBounds(0, 0, 900, Form->Height());
    ProcessEvents();
    ShowTab(Form->TabSheet5());
    TOstraDBGrid* g = Form->OstraDBGrid4();
    TOstraColumn* key = g->Columns()->GetColumn(4);
    ASSERT_EQ(key->Title()->Caption(), "Key");
    const TRect r = g->CellRect(g->DataToRawColumn(4), 0);
    SendClick(g, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ProcessEvents();
    ASSERT_NE(key->SortMarker(), 0);
    TBitmap marked;
    Picture(g, "key_sorted", &marked);
    // Dark columns of the title in runs; the last run is the marker, the
    // others the caption, whole and with a clear column before the marker.
    const TRect cell = Cell(g, 4, 0);
    std::vector<std::pair<int, int>> runs;
    for (int x = cell.Left + 2; x < cell.Right - 2; ++x) {
        bool ink = false;
        for (int y = cell.Top + 2; y < cell.Bottom - 2 && !ink; ++y)
            ink = Dark(marked.Canvas()->Pixels(x, y));
        if (!ink) continue;
        if (!runs.empty() && runs.back().second == x - 1)
            runs.back().second = x;
        else
            runs.push_back({x, x});
    }
    ASSERT_GE(runs.size(), 2u) << "the caption and the marker are not apart";
    g->Canvas()->SetFont(key->Title()->Font());
    const int captionInk = runs[runs.size() - 2].second - runs.front().first + 1;
    EXPECT_GE(captionInk + 4, g->Canvas()->TextWidth("Key"));
    EXPECT_LE(runs.back().second - runs.back().first + 1, 12) << "the marker's run holds caption ink";
}

// An empty table: the grid's blank row shows no check box, which would read
// like an unticked task.
TEST_F(ProgramLooksTest, AnEmptyGridsBlankRowHasNoCheckBox) {
    Start();
    ASSERT_EQ(Form->tblToDay1_()->RecordCount(), 0);
    TOstraDBGrid* g = Form->OstraDBGrid7();
    TBitmap picture;
    Picture(g, "empty", &picture);
    const TRect flag = Cell(g, 0, 1);
    const auto [first, last] =
        InkSpan(&picture, TRect{flag.Left + 1, flag.Top + 1, flag.Right - 1, flag.Bottom - 1});
    EXPECT_EQ(first, -1) << "ink from " << first << " to " << last;
}

// A Priority chosen with Down and Return in the Projects drop-down, then a
// click on the grid: the edit shows no selection while the grid has the keys.
TEST_F(ProgramLooksTest, TheProjectPriorityEditLetsGoOfItsSelection) {
    AddProject("Learn to sail", "3");
    AddProject("Build a shed", "2");
    Start();
    ShowTab(Form->TabSheet6());
    TOstraDBEdit* priority = Form->OstraDBEdit4();
    Click(priority);
    ProcessEvents();
    ASSERT_TRUE(priority->DroppedDown());
    SendKeyToFocus(VK_DOWN);
    SendKeyToFocus(VK_RETURN);
    ProcessEvents();
    ASSERT_FALSE(priority->DroppedDown());
    TOstraDBGrid* grid = Form->OstraDBGrid6();
    ClickCell(grid, 5, 1);
    ProcessEvents();
    ASSERT_EQ(FocusedControl(), grid);
    SendKeyToFocus(VK_DOWN);
    TBitmap picture;
    Picture(Form->Panel6(), "priority_after", &picture);
    // No selection colour (a blue) inside the edit; the text still shows.
    TBitmap edit;
    RenderControl(priority, &edit);
    int lit = 0, ink = 0;
    for (int y = 0; y < edit.Height(); ++y)
        for (int x = 0; x < edit.Width() - GetSystemMetrics(SM_CXVSCROLL); ++x) {
            const TColor c = edit.Canvas()->Pixels(x, y);
            lit += GetBValue(c) > GetRValue(c) + 80;
            ink += Dark(c);
        }
    EXPECT_EQ(lit, 0);
    EXPECT_GT(ink, 10);
    EXPECT_EQ(priority->Text(), "Low");
}

// The window made larger: the Steps memo and the bottom row follow the
// panel's right and bottom edges; the left memos keep their width.
TEST_F(ProgramLooksTest, TheProjectEditsFollowTheGrowingWindow) {
    AddProject("Learn to sail", "3");
    Start();
    ShowTab(Form->TabSheet6());
    TPanel* panel = Form->Panel6();
    TControl* steps = Form->DBMemo4();
    TControl* complete = Form->DBCheckBox2();
    TControl* project = Form->DBMemo1();
    const int rightGap = panel->ClientWidth() - (steps->Left() + steps->Width());
    const int bottomGap = panel->ClientHeight() - (complete->Top() + complete->Height());
    const int projectWidth = project->Width();
    TBitmap before;
    Picture(Form, "projects_before", &before);
    // As designed at the first size: the memos side by side, the row under them.
    EXPECT_GT(rightGap, 0);
    EXPECT_LT(rightGap, 40);
    EXPECT_GT(bottomGap, 0);
    EXPECT_LT(bottomGap, 40);
    EXPECT_LT(steps->Top() + steps->Height(), complete->Top());

    Form->SetBounds(Form->Left(), Form->Top(), Form->Width() + 240, Form->Height() + 160);
    ProcessEvents();
    TBitmap after;
    Picture(Form, "projects_after", &after);
    EXPECT_EQ(panel->ClientWidth() - (steps->Left() + steps->Width()), rightGap);
    EXPECT_EQ(panel->ClientHeight() - (complete->Top() + complete->Height()), bottomGap);
    EXPECT_EQ(project->Width(), projectWidth);
    for (TControl* c : std::initializer_list<TControl*>{Form->OstraDBEdit1(), Form->OstraDBEdit4(),
                                                        Form->DBCheckBox1(), Form->Label8()}) {
        SCOPED_TRACE(c->Name());
        EXPECT_GT(c->Top(), Form->DBMemo3()->Top() + Form->DBMemo3()->Height());
        EXPECT_LT(c->Top() + c->Height(), panel->ClientHeight());
    }
    // Shrunk back: as at the start.
    Form->SetBounds(Form->Left(), Form->Top(), Form->Width() - 240, Form->Height() - 160);
    ProcessEvents();
    EXPECT_EQ(panel->ClientWidth() - (steps->Left() + steps->Width()), rightGap);
    EXPECT_EQ(project->Width(), projectWidth);
}

// A ticked Flag in the 28-pixel rows of the Quotes grid: a big box whose
// check mark is one unbroken stroke, every column of it inked.
TEST_F(ProgramLooksTest, ABigCheckBoxShowsAnUnbrokenMark) {
    {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + "quotes.d");
        t.Open();
        t.First();
        t.Edit();
        t.FieldByName("Flag")->SetAsBoolean(true);
        t.Post();
        t.Save();
    }
    Start();
    ShowTab(Form->TabSheet5());
    TOstraDBGrid* g = Form->OstraDBGrid4();
    // Away from the first row, so that its cell is drawn as any other.
    ClickCell(g, 2, 2);
    TBitmap picture;
    Picture(g, "big_check", &picture);
    const TRect cell = Cell(g, 0, 1);
    int side = cell.Height() - 4;
    if (side > cell.Width() - 2) side = cell.Width() - 4;
    ASSERT_GE(side, 18);
    const int left = cell.Left + (cell.Width() - side) / 2, top = cell.Top + (cell.Height() - side) / 2;
    // Inside the box's frame line.
    const TRect inside{left + 2, top + 2, left + side - 2, top + side - 2};
    const auto [first, last] = InkSpan(&picture, inside);
    ASSERT_GE(first, 0);
    EXPECT_GE(last - first + 1, side / 2);
    for (int x = first; x <= last; ++x) {
        const auto [from, to] = InkSpan(&picture, TRect{x, inside.Top, x + 1, inside.Bottom});
        EXPECT_EQ(from, x) << "no ink in column " << x - left << " of the " << side << "-pixel box";
    }
    EXPECT_TRUE(CloseProgram());
}

// The Quotes grid's right-aligned Key numbers keep clear of the cell's right
// line, as the left-aligned texts keep clear of its left one.
TEST_F(ProgramLooksTest, RightAlignedNumbersKeepClearOfTheGridLine) {
    Start();
    // At the designed width, the Key column in view.
    Form->SetBounds(0, 0, 900, Form->Height());
    ProcessEvents();
    ShowTab(Form->TabSheet5());
    TOstraDBGrid* g = Form->OstraDBGrid4();
    ASSERT_EQ(g->Columns()->Items(4)->FieldName(), "Key");
    ClickCell(g, 2, 2);
    TBitmap picture;
    Picture(g, "key_numbers", &picture);
    for (int row = 1; row <= 3; ++row) {
        SCOPED_TRACE(row);
        const TRect cell = Cell(g, 4, row);
        const auto [first, last] =
            InkSpan(&picture, TRect{cell.Left + 1, cell.Top + 1, cell.Right, cell.Bottom - 1});
        ASSERT_GE(first, 0);
        EXPECT_LE(last, cell.Right - 3) << "the cell ends at " << cell.Right;
    }
    EXPECT_TRUE(CloseProgram());
}

}  // namespace
