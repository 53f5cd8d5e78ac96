// The task-list report: titles, priority names, rows, group headers and the today view.
#include <gtest/gtest.h>

#include <memory>

#include "app/report/todo_lists.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "support/app/report_fixture.h"
#include "support/app/report_test_support.h"
#include "support/db/memory_dataset.h"

namespace {

class ToDoListsTest : public ReportFormTest {
protected:
    void AddTask(bool Flag, const std::string& Action, const std::string& Date, const std::string& Category,
                 const std::string& Priority, const std::string& Status) {
        Tasks->AddRow(
            {std::to_string(++Keys), Flag ? "True" : "False", Action, Date, Category, Priority, Status});
    }
    // The column cells of every task row, in order.
    static std::vector<std::vector<std::string>> Rows(const TNorvReport& R) {
        std::vector<std::vector<std::string>> rows;
        for (int i = 0; i < R.LineCount(); ++i)
            if (R.Lines(i).Kind == rlColumns) rows.push_back(R.Lines(i).Strings);
        return rows;
    }
    static std::vector<std::string> Centres(const TNorvReport& R, int From, int To) {
        std::vector<std::string> centres;
        for (int i = From; i < To; ++i)
            if (R.Lines(i).Kind == rlTriple) centres.push_back(R.Lines(i).Strings[1]);
        return centres;
    }

    int Keys = 0;
};

TEST_F(ToDoListsTest, TitleAndLineWidth) {
    TToDoLists r({Variant()}, nullptr, "Today");
    EXPECT_EQ(r.Title(), "Action Rivizoz List");
    EXPECT_EQ(r.LineWidth(), 113);
    EXPECT_FALSE(r.ShowContinued());
    EXPECT_TRUE(r.ShowDateStamp());
    EXPECT_EQ(r.HelpContext(), 10003);
}

TEST_F(ToDoListsTest, PriorityNames) {
    const std::pair<const char*, const char*> names[] = {
        {"0", "Urgent"},       {"1", "High "}, {"2", "Medium "}, {"3", "Low "},
        {"4", "Uncompleted "}, {"", ""},       {"5", ""},        {" 1", ""}};
    for (const auto& [priority, name] : names)
        EXPECT_EQ(TToDoLists::PriorityName(priority), name) << priority;
}

TEST_F(ToDoListsTest, ActionIsCutAfter65Characters) {
    const std::string a64(64, 'a'), a65(65, 'b'), a70(70, 'c');
    EXPECT_EQ(TToDoLists::ActionCell(a64), a64);
    EXPECT_EQ(TToDoLists::ActionCell(a65), a65 + "...");
    EXPECT_EQ(TToDoLists::ActionCell(a70), std::string(65, 'c') + "...");
    EXPECT_EQ(TToDoLists::ActionCell(""), "");
    // Characters, not bytes: 70 two-byte letters keep 65 of them whole.
    std::string wide;
    for (int i = 0; i < 70; ++i) wide += "\xC3\xA9";
    const std::string cut = TToDoLists::ActionCell(wide);
    EXPECT_EQ(cut.size(), 65u * 2 + 3);
    EXPECT_TRUE(IsValidUtf8(cut));
}

TEST_F(ToDoListsTest, SourceByTab) {
    TToDoListTables tables;
    TMemoryDataSet a(nullptr), b(nullptr), c(nullptr);
    tables.Group1 = &a;
    tables.Group2 = &b;
    tables.Today = &c;
    EXPECT_EQ(ToDoListSource("Actions Group 1", tables), &a);
    EXPECT_EQ(ToDoListSource("Actions Group 2", tables), &b);
    EXPECT_EQ(ToDoListSource("Today", tables), &c);
    EXPECT_EQ(ToDoListSource("Archived", tables), nullptr);
    EXPECT_EQ(ToDoListSource("Catch All", tables), nullptr);
}

TEST_F(ToDoListsTest, RowsOfTheTable) {
    AddTask(true, "Call the plumber", "01/02/2024", "Home", "0", "Open");
    AddTask(false, "Finished thing", "", "Work", "4", "Done");
    AddTask(false, std::string(80, 'x'), "12/31/2023", "", "9", "");
    Tasks->Open();
    TToDoLists r({Variant()}, Tasks, "Actions Group 1");
    ASSERT_TRUE(r.Prepare(60, 120));
    const auto rows = Rows(r);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"Open", "Urgent", "Call the plumber", "Home", "01/02/24", "True"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Done", "Uncompleted ", "Finished thing", "Work", "  /  /  ",
                                                 "False"}));
    EXPECT_EQ(rows[2][1], "");
    EXPECT_EQ(rows[2][2], std::string(65, 'x') + "...");
    EXPECT_EQ(rows[2][4], "12/31/23");
    // One page, filled to its end.
    EXPECT_EQ(r.LineCount(), 60);
}

TEST_F(ToDoListsTest, GroupHeader) {
    AddTask(true, "One", "01/02/2024", "Home", "1", "Open");
    Tasks->Open();
    TToDoLists r({Variant()}, Tasks, "Actions Group 2");
    r.Prepare(60, 120);
    EXPECT_EQ(r.Lines(0).Strings[0], "03/07/2024 - 09:30");
    EXPECT_EQ(r.Lines(0).Strings[2], "Page 1");
    EXPECT_EQ(Centres(r, 0, 9), (std::vector<std::string>{"", "", "Group 2", "Action Rivizoz List"}));
    EXPECT_EQ(r.Lines(6).Kind, rlText);  // empty line under the title
    ASSERT_EQ(r.Lines(7).Kind, rlTitles);
    EXPECT_EQ(r.Lines(7).Strings,
              (std::vector<std::string>{"Status", "Priority", "Action", "Category", "Date", "Flag"}));
    ASSERT_EQ(r.Lines(8).Kind, rlUnderline);
    EXPECT_EQ(r.Lines(8).Strings[0], "======");
    EXPECT_EQ(*r.Lines(8).Widths, (TNorvReport::TByteArray{10, 8, 68, 8, 10, 4}));
    EXPECT_EQ(r.Lines(9).Kind, rlColumns);
}

TEST_F(ToDoListsTest, TodayHeaderHasNoGroupLine) {
    AddTask(true, "One", "01/02/2024", "Home", "1", "Open");
    Tasks->Open();
    TToDoLists r({Variant()}, Tasks, "Today");
    r.Prepare(60, 120);
    EXPECT_EQ(Centres(r, 0, 8), (std::vector<std::string>{"", "", "Action Rivizoz List"}));
    EXPECT_EQ(r.Lines(8).Kind, rlColumns);
}

TEST_F(ToDoListsTest, TodayViewListsOnlyFlaggedTasksInTheViewsOrder) {
    AddTask(true, "First flagged", "01/02/2024", "Home", "1", "Open");
    AddTask(false, "Not flagged", "01/02/2024", "Home", "1", "Open");
    AddTask(true, "Second flagged", "", "Work", "2", "Open");
    Tasks->SetOnFilterRecord(
        TFilterRecordEvent([](TDataSet* D, bool& Accept) { Accept = D->FieldByName("Flag")->AsBoolean(); }));
    Tasks->SetFiltered(true);
    Tasks->Open();
    TToDoLists r({Variant()}, Tasks, "Today");
    r.Prepare(60, 120);
    const auto rows = Rows(r);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][2], "First flagged");
    EXPECT_EQ(rows[1][2], "Second flagged");
}

TEST_F(ToDoListsTest, EmptyTableGivesNoLines) {
    Tasks->Open();
    TToDoLists r({Variant()}, Tasks, "Actions Group 1");
    EXPECT_TRUE(r.Prepare(60, 120));
    EXPECT_EQ(r.LineCount(), 0);
    TToDoLists none({Variant()}, nullptr, "Archived");
    EXPECT_TRUE(none.Prepare(60, 120));
    EXPECT_EQ(none.LineCount(), 0);
}

TEST_F(ToDoListsTest, LongTablesRepeatTheHeaderOnEveryPage) {
    for (int i = 1; i <= 100; ++i)
        AddTask(i % 2 == 0, "Task " + std::to_string(i), "03/01/2024", "C", "2", "Open");
    Tasks->Open();
    TToDoLists r({Variant()}, Tasks, "Actions Group 1");
    r.Prepare(40, 120);
    // 31 rows fit under each 9-line header.
    EXPECT_EQ(r.PageCount(), 4);
    EXPECT_EQ(r.LineCount(), 160);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(r.Lines(p * 40).Strings[2], "Page " + std::to_string(p + 1));
        EXPECT_EQ(r.Lines(p * 40 + 7).Kind, rlTitles);
    }
    const auto rows = Rows(r);
    ASSERT_EQ(rows.size(), 100u);
    EXPECT_EQ(rows[99][2], "Task 100");
    EXPECT_EQ(r.Lines(40 + 9).Strings[2], "Task 32");
}

TEST_F(ToDoListsTest, DateIsRightAlignedAndFlagCentred) {
    AddTask(true, "One", "", "Home", "1", "Open");
    Tasks->Open();
    TToDoLists r({Variant()}, Tasks, "Today");
    r.Prepare(60, 113);
    TFixedSurface s;
    r.SetMetrics(s);
    r.RenderLine(s, 0, 8, 0);
    const int c = TFixedSurface::CharW;
    // Date column starts after 10+8+68+8 characters and four gaps.
    EXPECT_EQ(s.XOf("  /  /  "), (98) * c + 2 * c);
    EXPECT_EQ(s.XOf("True"), 109 * c);
    EXPECT_EQ(s.XOf("Open"), 0);
}

}  // namespace
