// The main window's parts: the task grids' shared columns, the quote lines and
// status bar, and the edits of the Projects tab.
#include "support/app/program_harness.h"

#include "engine-controls/ostra_dbedit.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"

namespace {

using MainFormLayout = ProgramTest;

const std::vector<std::string> Priorities{"Urgent", "High", "Medium", "Low", "Completed"};
const std::vector<std::string> PriorityCodes{"0", "1", "2", "3", "4"};

std::vector<std::string> Lines(TStrings* List) {
    std::vector<std::string> out;
    for (int i = 0; i < List->Count(); ++i) out.push_back(List->Strings(i));
    return out;
}

struct TColumnExpect {
    std::string Field;
    std::string Title;  // the caption shown
    int Width;          // -1: not fixed
    TOstraColumnButtonStyle Style;
    bool CanClick;
};

void ExpectColumns(TOstraDBGrid* Grid, const std::vector<TColumnExpect>& Expected) {
    SCOPED_TRACE(Grid->Name());
    ASSERT_EQ(Grid->Columns()->Count(), static_cast<int>(Expected.size()));
    for (size_t i = 0; i < Expected.size(); ++i) {
        TOstraColumn* c = Grid->Columns()->Items(static_cast<int>(i));
        const TColumnExpect& e = Expected[i];
        EXPECT_EQ(c->FieldName(), e.Field);
        EXPECT_EQ(c->Title()->Caption(), e.Title) << e.Field;
        if (e.Width > 0) {
            EXPECT_EQ(c->Width(), e.Width) << e.Field;
        }
        EXPECT_EQ(c->ButtonStyle(), e.Style) << e.Field;
        EXPECT_EQ(c->CanClick(), e.CanClick) << e.Field;
        if (e.Style == cbsCheck) {
            EXPECT_EQ(c->ValueChecked(), "True");
            EXPECT_EQ(c->ValueUnChecked(), "False");
        }
    }
}

void ExpectPriorityLists(TOstraColumn* Column) {
    EXPECT_EQ(Lines(Column->PickList()), Priorities);
    EXPECT_EQ(Lines(Column->PickValues()), PriorityCodes);
}

TEST_F(MainFormLayout, TaskGridsShareOneColumnSet) {
    Open();
    const std::vector<TColumnExpect> columns{
        {"Flag", "Flag", 45, cbsCheck, true},          {"Status", "Status", 68, cbsLookup, true},
        {"Priority", "Priority", 57, cbsCombo, true},  {"Action", "Action", 441, cbsNone, true},
        {"Category", "Category", 70, cbsLookup, true}, {"Date", "Date", 77, cbsCalendar, true}};
    const std::vector<std::pair<TOstraDBGrid*, TDataSource*>> grids{{Form->OstraDBGrid1(), Form->DataTask()},
                                                                    {Form->OstraDBGrid2(), Form->dsTask2()},
                                                                    {Form->OstraDBGrid7(), Form->dstday()},
                                                                    {Form->OstraDBGrid8(), Form->dsTday2()}};
    for (const auto& [grid, source] : grids) {
        ExpectColumns(grid, columns);
        EXPECT_EQ(grid->DataSource(), source);
        TOstraColumn* status = grid->Columns()->Items(1);
        EXPECT_EQ(status->LookupDataSet(), Form->dStatus1());
        EXPECT_EQ(status->LookupDropDownFields(), "Status");
        EXPECT_EQ(status->LookupKeyField(), "Status");
        EXPECT_EQ(status->LookupLinkField(), "Status");
        ExpectPriorityLists(grid->Columns()->Items(2));
        TOstraColumn* category = grid->Columns()->Items(4);
        const bool second = grid == Form->OstraDBGrid2() || grid == Form->OstraDBGrid8();
        EXPECT_EQ(category->LookupDataSet(), second ? Form->dCateg2() : Form->dCateg());
        EXPECT_EQ(category->LookupDropDownFields(), "CATEGORY");
        EXPECT_EQ(category->LookupKeyField(), "Category");
        EXPECT_EQ(category->LookupLinkField(), "CATEGORY");
    }
}

TEST_F(MainFormLayout, QuoteLinesAndStatusBar) {
    Open();
    EXPECT_EQ(Form->DBText1()->DataSource(), Form->dsSelQ());
    EXPECT_EQ(Form->DBText2()->DataSource(), Form->dsQuotes());
    // The status bar is the lowest strip, the quote of the day just above it.
    EXPECT_EQ(Form->StatusBar1()->Top() + Form->StatusBar1()->Height(), Form->ClientHeight());
    EXPECT_EQ(Form->Panel7()->Top() + Form->Panel7()->Height(), Form->StatusBar1()->Top());
    EXPECT_EQ(Form->ToolBar1()->Top(), 0);
}

TEST_F(MainFormLayout, ProjectEditsShowTheCurrentProject) {
    {
        TOstraTable goals(nullptr);
        goals.SetTableName(Dir + "Goals.d");
        goals.Open();
        goals.Append();
        goals.FieldByName("Target")->SetAsString("Learn to sail");
        goals.FieldByName("Priority")->SetAsString("3");
        goals.FieldByName("Group")->SetAsString("Personal");
        goals.FieldByName("TargetD")->SetAsDateTime(EncodeDate(2026, 6, 1));
        goals.Post();
        goals.Save();
    }
    Open();
    Form->PageControl1()->SetActivePage(Form->TabSheet6());
    Form->PageControl1Change(Form);
    Form->Show();
    ProcessEvents();
    EXPECT_EQ(Form->DBMemo1()->Text(), "Learn to sail");
    EXPECT_EQ(Form->OstraDBEdit4()->Text(), "Low");
    EXPECT_EQ(Form->OstraDBEdit3()->Text(), "Personal");
    EXPECT_EQ(Form->OstraDBEdit2()->Text(), "06/01/2026");
}

}  // namespace
