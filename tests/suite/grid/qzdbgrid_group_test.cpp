// Group rows of the published grid: with a group field the rows that start
// and end a run of equal values, the separator under each run's last row
// (also after scrolling), and the column group headers drawn by their owner.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbgrid.h"
#include "support/environment.h"

namespace {

class QzGroupRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 520, 300);
        Table = new TOstraTable(Form);
        Table->FieldDefs()->Add("Id", ftInteger);
        Table->FieldDefs()->Add("Kind", ftString, 8);
        Table->FieldDefs()->Add("Name", ftString, 12);
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TqzDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 480, 260);
        Grid->SetBorderStyle(bsNone);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    // One record per kind, in order; an empty kind stays null.
    void Open(const std::vector<std::string>& Kinds) {
        Table->Open();
        for (size_t i = 0; i < Kinds.size(); ++i) {
            const int id = static_cast<int>(i) + 1;
            Table->AppendRecord({Variant(id), Kinds[i].empty() ? Variant() : Variant(Kinds[i]),
                                 Variant("Name" + std::to_string(id))});
        }
        Table->First();
        Grid->SetDataSource(Source);
        Form->Show();
        ProcessEvents();
    }
    // The group state and record Id of each data row, as the draw-cell
    // events see them in the first data column.
    struct RowSeen {
        int Id = 0;
        TqzGroupState Before, After;
    };
    std::map<int, RowSeen> Paint(TBitmap& Shot, const std::string& Png) {
        std::map<int, RowSeen> seen;
        Grid->SetOnBeforeDrawCell(TqzCustomDrawCellEvent([&](TObject*, TqzCustomDrawGridCellInfo& Info) {
            if (Info.DataCol != 0 || Info.DataRow < 0) return;
            seen[Info.DataRow].Id = Table->FieldByName("Id")->AsInteger();
            seen[Info.DataRow].Before = Grid->GroupState();
        }));
        Grid->SetOnAfterDrawCell(TqzCustomDrawCellEvent([&](TObject*, TqzCustomDrawGridCellInfo& Info) {
            if (Info.DataCol == 0 && Info.DataRow >= 0) seen[Info.DataRow].After = Grid->GroupState();
        }));
        RenderControl(Grid, &Shot);
        Shot.SaveToFile(TestRunPath(Png));
        Grid->SetOnBeforeDrawCell({});
        Grid->SetOnAfterDrawCell({});
        return seen;
    }
    // Of the bottom pixel row of a data row's data cells, the part that is
    // black (the indicator cell keeps its raised frame).
    double BlackUnder(TBitmap& Shot, int DataRow) {
        int black = 0, all = 0;
        for (int c = Grid->IndicatorOffset(); c < Grid->ColCount(); ++c) {
            const TRect r = Grid->CellRect(c, DataRow + Grid->TitleOffset());
            for (int x = r.Left; x < r.Right; ++x, ++all)
                if (Shot.Canvas()->Pixels(x, r.Bottom - 1) == clBlack) ++black;
        }
        return all ? static_cast<double>(black) / all : 0;
    }
    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TqzDBGrid* Grid = nullptr;
};

TEST_F(QzGroupRowsTest, RunsOfEqualValuesStartEndAndAreSeparated) {
    Open({"Home", "Home", "Work", "Work", "Work", "", "", "Shop"});
    TBitmap plain;
    std::map<int, RowSeen> seen = Paint(plain, "qzgroup_none.png");
    ASSERT_EQ(seen.size(), 8u);
    for (const auto& [row, s] : seen) {
        EXPECT_FALSE(s.Before.First || s.Before.Last) << row;
        EXPECT_LT(BlackUnder(plain, row), 0.1) << row;
    }

    Grid->SetGroupFieldName("Kind");
    TBitmap grouped;
    seen = Paint(grouped, "qzgroup_kind.png");
    ASSERT_EQ(seen.size(), 8u);
    const std::vector<bool> first = {true, false, true, false, false, true, false, true};
    const std::vector<bool> last = {false, true, false, false, true, false, true, true};
    for (int row = 0; row < 8; ++row) {
        const RowSeen& s = seen[row];
        // The events see the row's own record and its state.
        EXPECT_EQ(s.Id, row + 1);
        EXPECT_EQ(s.Before.First, first[row]) << row;
        EXPECT_EQ(s.Before.Last, last[row]) << row;
        EXPECT_EQ(s.After.Last, last[row]) << row;
        // A separator under the last row of each run, across the row.
        if (last[row])
            EXPECT_GT(BlackUnder(grouped, row), 0.95) << row;
        else
            EXPECT_LT(BlackUnder(grouped, row), 0.1) << row;
    }
    // The current record is where it was.
    EXPECT_EQ(Table->FieldByName("Id")->AsInteger(), 1);

    // A name the dataset does not have groups nothing.
    Grid->SetGroupFieldName("Missing");
    TBitmap missing;
    seen = Paint(missing, "qzgroup_missing.png");
    for (const auto& [row, s] : seen) {
        EXPECT_FALSE(s.Before.First || s.Before.Last) << row;
        EXPECT_LT(BlackUnder(missing, row), 0.1) << row;
    }
}

TEST_F(QzGroupRowsTest, ScrolledRowsAreComparedAgain) {
    std::vector<std::string> kinds;
    for (int i = 0; i < 40; ++i) kinds.push_back("K" + std::to_string(i / 3));
    Open(kinds);
    Grid->SetGroupFieldName("Kind");
    Grid->SetFocus();
    // Down to record 20, the middle of a run (ids 19 to 21).
    for (int i = 1; i < 20; ++i) SendKey(Grid, VK_DOWN);
    SendKey(Grid, VK_NEXT);
    ProcessEvents();
    // Then row by row at the bottom: the window scrolls by copying.
    for (int i = 0; i < 3; ++i) {
        SendKey(Grid, VK_DOWN);
        ProcessEvents();
    }
    TBitmap shown, shot;
    GrabShownControl(Grid, &shown);
    shown.SaveToFile(TestRunPath("qzgroup_scrolled_shown.png"));
    std::map<int, RowSeen> seen = Paint(shot, "qzgroup_scrolled.png");
    ASSERT_GT(seen.size(), 3u);
    const int top = seen[0].Id;
    ASSERT_GT(top, 1);
    const int rows = static_cast<int>(seen.size());
    for (int row = 0; row < rows; ++row) {
        const int id = seen[row].Id;
        ASSERT_EQ(id, top + row);
        const std::string own = kinds[static_cast<size_t>(id - 1)];
        // The top row starts its group on screen even inside a run.
        const bool first = row == 0 || kinds[static_cast<size_t>(id - 2)] != own;
        // The record below the bottom row, shown or not, decides.
        const bool last = id == 40 || kinds[static_cast<size_t>(id)] != own;
        EXPECT_EQ(seen[row].Before.First, first) << id;
        EXPECT_EQ(seen[row].Before.Last, last) << id;
        const TRect r = Grid->CellRect(1, row + Grid->TitleOffset());
        // A row cut off by the bottom edge has no bottom pixel row to test.
        if (r.Bottom > Grid->ClientHeight()) continue;
        // The focus frame may darken some of a row without a separator.
        for (TBitmap* picture : {&shot, &shown}) {
            if (last)
                EXPECT_GT(BlackUnder(*picture, row), 0.95) << id;
            else
                EXPECT_LT(BlackUnder(*picture, row), 0.3) << id;
        }
    }
}

// The bottom row shown is separated from the record below it that is not
// shown when that record starts another run, and it is separated when it is
// the table's last record; a run that goes on below has no line.
TEST_F(QzGroupRowsTest, TheBottomRowIsComparedWithTheRecordBelowIt) {
    std::vector<std::string> kinds(80, "A");
    Open(kinds);
    const int rows = Grid->VisibleDataRows();
    ASSERT_GT(rows, 3);
    ASSERT_LT(rows, 70);
    Grid->SetGroupFieldName("Kind");
    struct TCase {
        const char* Name;
        int Records;  // the table cut to this many
        int RunEnd;   // the id ending run "A"
        bool BottomLast;
    };
    const TCase cases[] = {{"the run goes on", 80, rows + 1, false},
                           {"a run starts below", 80, rows, true},
                           {"the table ends", rows, rows, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (Table->First(); !Table->Eof(); Table->Next()) {
            const int id = Table->FieldByName("Id")->AsInteger();
            Table->Edit();
            Table->FieldByName("Kind")->SetAsString(id <= c.RunEnd ? "A" : "B");
            Table->Post();
        }
        while (Table->RecordCount() > c.Records) {
            Table->Last();
            Table->Delete();
        }
        Table->First();
        ProcessEvents();
        TBitmap shot;
        std::map<int, RowSeen> seen = Paint(shot, "qzgroup_bottom.png");
        ASSERT_EQ(static_cast<int>(seen.size()), rows);
        EXPECT_EQ(seen[rows - 1].Id, rows);
        EXPECT_EQ(seen[rows - 1].Before.Last, c.BottomLast);
        EXPECT_FALSE(seen[rows - 2].Before.Last);
        const TRect r = Grid->CellRect(1, rows - 1 + Grid->TitleOffset());
        ASSERT_LE(r.Bottom, Grid->ClientHeight());
        if (c.BottomLast)
            EXPECT_GT(BlackUnder(shot, rows - 1), 0.95);
        else
            EXPECT_LT(BlackUnder(shot, rows - 1), 0.1);
        // Still on the first record, with the rows as they were.
        EXPECT_EQ(Table->FieldByName("Id")->AsInteger(), 1);
        EXPECT_EQ(Grid->DataLink()->RecordCount(), rows);
    }
}

TEST_F(QzGroupRowsTest, TypedGroupValueMovesTheSeparator) {
    Open({"Home", "Home", "Work", "Work"});
    Grid->SetGroupFieldName("Kind");
    Grid->SetFocus();
    Grid->SelectDataColumn(1);
    SendKey(Grid, VK_DOWN);
    ProcessEvents();
    TBitmap before;
    Paint(before, "qzgroup_before_typing.png");
    // The current cell's focus frame dots its part of the line.
    EXPECT_GT(BlackUnder(before, 1), 0.8);
    EXPECT_LT(BlackUnder(before, 0), 0.3);
    // The second Home becomes Work: it joins the run below.
    SendKey(Grid, VK_F2);
    ProcessEvents();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    editor->SelectAll();
    SendText(editor, "Work");
    // Tab writes the field and stays on the record, still editing: the
    // window already shows the runs as they now are.
    SendKeyToFocus(VK_TAB);
    ProcessEvents();
    ASSERT_EQ(Table->State(), dsEdit);
    TBitmap shown;
    GrabShownControl(Grid, &shown);
    shown.SaveToFile(TestRunPath("qzgroup_shown_editing.png"));
    EXPECT_GT(BlackUnder(shown, 0), 0.95);
    EXPECT_LT(BlackUnder(shown, 1), 0.3);
    SendKeyToFocus(VK_DOWN);
    ProcessEvents();
    ASSERT_EQ(Table->State(), dsBrowse);
    TBitmap after;
    std::map<int, RowSeen> seen = Paint(after, "qzgroup_after_typing.png");
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1].Id, 2);
    EXPECT_TRUE(seen[1].Before.First);
    EXPECT_FALSE(seen[2].Before.First);
    EXPECT_TRUE(seen[0].Before.Last);
    EXPECT_GT(BlackUnder(after, 0), 0.95);
    EXPECT_LT(BlackUnder(after, 1), 0.3);
    EXPECT_LT(BlackUnder(after, 2), 0.3);
    EXPECT_GT(BlackUnder(after, 3), 0.95);
}

TEST_F(QzGroupRowsTest, GroupHeadersAreDrawnByTheirOwner) {
    Open({"Home", "Work", "Shop"});
    Grid->Selected()->SetText("Id\t4\tNo\tF\tMore\nKind\t8\tKind\tF\tWhat\nName\t10\tName\tF\tWhat\n");
    Grid->SetUseTFields(false);
    Grid->SetTitleLines(2);
    ProcessEvents();
    const int red = RGB(220, 0, 0);
    struct Call {
        std::string Name;
        TRect Rect;
        bool Default;
    };
    std::vector<Call> calls;
    Grid->SetOnDrawGroupHeaderCell(TqzDrawGroupHeaderCellEvent(
        [&](TObject* Sender, TCanvas* C, const std::string& Name, const TRect& R, bool& DefaultDrawing) {
            EXPECT_EQ(Sender, Grid);
            calls.push_back({Name, R, DefaultDrawing});
            if (Name != "What") return;
            DefaultDrawing = false;
            C->Brush()->SetColor(red);
            C->FillRect(R);
        }));
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgroup_headers.png"));
    // One call per header per paint, with the header's whole span.
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Name, "More");
    EXPECT_EQ(calls[1].Name, "What");
    const TRect span = Grid->GroupHeaderRect(2);
    EXPECT_EQ(calls[1].Rect,
              Rect(Grid->CellRect(2, 0).Left, span.Top, Grid->CellRect(3, 0).Right, span.Bottom - 1));
    EXPECT_EQ(Grid->GroupHeaderRect(3), span);
    EXPECT_EQ(calls[0].Rect,
              Rect(Grid->CellRect(1, 0).Left, span.Top, Grid->CellRect(1, 0).Right, span.Bottom - 1));
    for (const Call& c : calls) EXPECT_TRUE(c.Default) << c.Name;
    auto count = [&](const TRect& R, const std::function<bool(TColor)>& Test) {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (Test(shot.Canvas()->Pixels(x, y))) ++n;
        return n;
    };
    auto dark = [](TColor c) {
        const int32_t v = ColorToRGB(c);
        return (v & 0xFF) < 90 && ((v >> 8) & 0xFF) < 90 && ((v >> 16) & 0xFF) < 90;
    };
    auto isRed = [&](TColor c) { return c == red; };
    const TRect more = calls[0].Rect, what = calls[1].Rect;
    // The owner's header is all red and has no text of the grid's own.
    EXPECT_EQ(count(what, isRed), what.Width() * what.Height());
    // The default header keeps its text, and the titles under both stay.
    EXPECT_EQ(count(more, isRed), 0);
    EXPECT_GT(count(more, dark), 5);
    const TRect kindTitle = Grid->CellRect(2, 0);
    EXPECT_GT(count(Rect(kindTitle.Left, span.Bottom, kindTitle.Right, kindTitle.Bottom - 1), dark), 5);
}

}  // namespace
