// The main window's parts: tabs, grids and their columns, the tool bar, the
// menu, the quote lines, the status bar and the edits of the Projects tab.
#include "program_harness.h"

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

TEST_F(MainFormLayout, SevenTabsInPageOrder) {
    Open();
    const std::vector<std::pair<std::string, std::string>> tabs{
        {"TabSheet7", "Today"},    {"TabSheet1", "Actions Group 1"}, {"TabSheet2", "Actions Group 2"},
        {"TabSheet3", "Archived"}, {"TabSheet4", "Catch All"},       {"TabSheet5", "Quotes"},
        {"TabSheet6", "Projects"}};
    ASSERT_EQ(Form->PageControl1()->PageCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(Form->PageControl1()->Pages(i)->Name(), tabs[i].first);
        EXPECT_EQ(Form->PageControl1()->Pages(i)->Caption(), tabs[i].second);
    }
    EXPECT_EQ(Form->Caption(), "Kelv Taskmoor Free version");
    // Each grid sits on its tab.
    EXPECT_EQ(GetParentForm(Form->OstraDBGrid1()), Form);
    EXPECT_TRUE(Form->TabSheet1()->ContainsControl(Form->OstraDBGrid1()));
    EXPECT_TRUE(Form->TabSheet2()->ContainsControl(Form->OstraDBGrid2()));
    EXPECT_TRUE(Form->TabSheet3()->ContainsControl(Form->OstraDBGrid5()));
    EXPECT_TRUE(Form->TabSheet4()->ContainsControl(Form->OstraDBGrid3()));
    EXPECT_TRUE(Form->TabSheet5()->ContainsControl(Form->OstraDBGrid4()));
    EXPECT_TRUE(Form->TabSheet6()->ContainsControl(Form->OstraDBGrid6()));
    EXPECT_TRUE(Form->Panel2()->ContainsControl(Form->OstraDBGrid7()));
    EXPECT_TRUE(Form->Panel3()->ContainsControl(Form->OstraDBGrid8()));
    EXPECT_EQ(Form->Panel4()->Caption(), "Actions Group 1");
    EXPECT_EQ(Form->Panel5()->Caption(), "Actions Group 2");
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
        EXPECT_EQ(category->LookupDataSet(), grid == Form->OstraDBGrid2() ? Form->dCateg2() : Form->dCateg());
        EXPECT_EQ(category->LookupDropDownFields(), "CATEGORY");
        EXPECT_EQ(category->LookupKeyField(), "Category");
        EXPECT_EQ(category->LookupLinkField(), "CATEGORY");
    }
}

TEST_F(MainFormLayout, OtherGridsShowTheirOwnColumns) {
    Open();
    ExpectColumns(Form->OstraDBGrid5(), {{"Flag", "Flag", 45, cbsCheck, true},
                                         {"Status", "Status", 68, cbsNone, true},
                                         {"PRIORITY", "Priority", 57, cbsCombo, true},
                                         {"ACTION", "Action", 441, cbsNone, true},
                                         {"CATEGORY", "Category", 70, cbsNone, true},
                                         {"DATE", "Date", 77, cbsNone, true}});
    ExpectPriorityLists(Form->OstraDBGrid5()->Columns()->Items(2));
    ExpectColumns(Form->OstraDBGrid3(), {{"Flag", "Flag", 45, cbsCheck, true},
                                         {"Status", "Name/Status", 68, cbsNone, true},
                                         {"Category", "Category", 78, cbsNone, true},
                                         {"Action", "Description", 438, cbsNone, true},
                                         {"Date", "Date", 77, cbsNone, true},
                                         {"Priority", "Priority", 70, cbsLookup, true}});
    ExpectPriorityLists(Form->OstraDBGrid3()->Columns()->Items(5));
    ExpectColumns(Form->OstraDBGrid4(), {{"Flag", "Flag", -1, cbsCheck, false},
                                         {"Quote", "Quote", 493, cbsNone, true},
                                         {"Author", "Author", 163, cbsNone, true},
                                         {"Group", "Group", -1, cbsNone, true},
                                         {"Key", "Key", -1, cbsNone, true},
                                         {"Display", "Display", -1, cbsNone, false}});
    EXPECT_TRUE(Form->OstraDBGrid4()->Columns()->Items(1)->WrapText());
    EXPECT_EQ(Form->OstraDBGrid4()->RowsHeight(), 28);
    ExpectColumns(Form->OstraDBGrid6(), {{"Flag", "Flag", -1, cbsCheck, true},
                                         {"Priority", "Priority", 50, cbsCombo, true},
                                         {"Date", "Date", 67, cbsCalendar, true},
                                         {"Group", "Group", 78, cbsNone, true},
                                         {"Target", "Project", 201, cbsNone, true},
                                         {"Importance", "Importance", 216, cbsNone, false},
                                         {"TargetD", "TargetD", 84, cbsCalendar, true},
                                         {"Completed", "Complete", -1, cbsCheck, false}});
    ExpectPriorityLists(Form->OstraDBGrid6()->Columns()->Items(1));
    EXPECT_TRUE(Form->OstraDBGrid6()->Columns()->Items(5)->WrapText());
    EXPECT_EQ(Form->OstraDBGrid5()->DataSource(), Form->dsArchive());
    EXPECT_EQ(Form->OstraDBGrid3()->DataSource(), Form->dsList());
    EXPECT_EQ(Form->OstraDBGrid4()->DataSource(), Form->dsQuotes());
    EXPECT_EQ(Form->OstraDBGrid6()->DataSource(), Form->dsGoals());
}

TEST_F(MainFormLayout, ToolBarButtonsAndNavigator) {
    Open();
    TDBNavigator* nav = Form->DBNavigator1();
    EXPECT_EQ(nav->VisibleButtons(), (TButtonSet{nbFirst, nbPrior, nbNext, nbLast}));
    EXPECT_EQ(nav->Hint(), "Navigation Bar");
    EXPECT_EQ(nav->Parent(), Form->ToolBar1());
    const std::vector<std::pair<TSpeedButton*, std::string>> buttons{
        {Form->SpeedButton1(), "Undo"},
        {Form->spBtnAdd(), "Add"},
        {Form->spBtnDelete(), "Delete"},
        {Form->spbtnPrint(), "Print Selected List"},
        {Form->spbtnSave(), "Save Changes"},
        {Form->spBtnMoveCmpl(), "Move selected to InBasket"},
        {Form->SpeedButton5(), "Filter Records"},
        {Form->SpeedButton3(), "Remove Filter"},
        {Form->sbtnArchive(), "Archive Selected Item"},
        {Form->spbtnRandQuote(), "Show Random Quote"},
        {Form->SpeedButton4(), "Mark selected as Quote of the Day"},
        {Form->SpeedButton2(), "Exit"},
        {Form->SpeedButton13(), "Help"}};
    int lastLeft = nav->Left();
    for (const auto& [button, hint] : buttons) {
        EXPECT_EQ(button->Hint(), hint);
        EXPECT_EQ(button->Parent(), Form->ToolBar1()) << hint;
        // In this order from left to right, each with a picture or a caption.
        EXPECT_GT(button->Left(), lastLeft) << hint;
        lastLeft = button->Left();
        EXPECT_TRUE(!button->Glyph()->Empty() || !button->Caption().empty()) << hint;
    }
    EXPECT_EQ(Form->spbtnRandQuote()->Caption(), "QR");
    EXPECT_EQ(Form->SpeedButton4()->Caption(), "QD");
    // "Undo" and "Exit" share one handler.
    EXPECT_TRUE(Form->SpeedButton1()->OnClick() == Form->SpeedButton2()->OnClick());
    EXPECT_TRUE(Form->SpeedButton1()->OnClick() == TNotifyEvent(Form, &TfrmToDo::SpeedButton1Click));
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
