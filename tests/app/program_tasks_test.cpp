// Tasks through the started program: adding on every list, the group lists
// and their Today views sharing one file each, saving and closing, moving
// and archiving, and quotes with their key counter.
#include <algorithm>

#include "app/quotes.h"
#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/core/inifiles.h"
#include "platform/db/dataset.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/messages.h"
#include "support/app/program_harness.h"

namespace {

using TNames = std::vector<std::string>;

// The day the tests run on.
class ProgramTasksTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        SetClockForTesting(EncodeDate(2025, 5, 20) + 0.5);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        ResetClock();
    }
    static bool Has(const TNames& Names, const std::string& Name) {
        return std::find(Names.begin(), Names.end(), Name) != Names.end();
    }
};

TEST_F(ProgramTasksTest, AddPutsTheNewRowAtTheEndAndFillsItFromTheTab) {
    AddTasks("Ttask.d", {{"One", "1", false}, {"Two", "2", true}, {"Three", "3", false}});
    AddTasks("Ttask2.d", {{"Alpha", "0", false}, {"Beta", "4", false}});
    Start();
    struct TCase {
        TTabSheet* Tab;
        TOstraDBGrid* Grid;
        int Rows;
        bool Task, Flagged;
    };
    for (const TCase& c : {TCase{Form->TabSheet1(), Form->OstraDBGrid1(), 3, true, false},
                           TCase{Form->TabSheet2(), Form->OstraDBGrid2(), 2, true, false},
                           TCase{Form->TabSheet7(), Form->OstraDBGrid7(), 1, true, true},
                           TCase{Form->TabSheet4(), Form->OstraDBGrid3(), 0, false, false}}) {
        SCOPED_TRACE(c.Tab->Caption());
        ShowTab(c.Tab);
        Click(Form->spBtnAdd());
        TDataSet* table = c.Grid->DataSource()->DataSet();
        ASSERT_EQ(table->State(), dsInsert);
        // The new row is the grid's last one, under every existing row.
        EXPECT_EQ(c.Grid->Row(), c.Rows + 1);
        EXPECT_DOUBLE_EQ(table->FieldByName("Date")->AsDateTime(), EncodeDate(2025, 5, 20));
        EXPECT_EQ(table->FieldByName("Status")->AsString(), c.Task ? "Open" : "");
        EXPECT_EQ(table->FieldByName("Priority")->AsString(), c.Task ? "2" : "");
        EXPECT_EQ(table->FieldByName("Flag")->AsBoolean(), c.Flagged);
        Render("program_add_" + std::to_string(c.Tab->PageIndex()));
        table->Cancel();
    }
    // While the second Today grid has the focus, Add works on its view.
    ShowTab(Form->TabSheet7());
    ClickCell(Form->OstraDBGrid8(), 4, 1);
    EXPECT_EQ(Form->DBNavigator1()->DataSource(), Form->dsTday2());
    Click(Form->spBtnAdd());
    EXPECT_EQ(Form->tblToDay2_()->State(), dsInsert);
    EXPECT_TRUE(Form->tblToDay2_()->FieldByName("Flag")->AsBoolean());
    Form->tblToDay2_()->Cancel();
    ClickCell(Form->OstraDBGrid7(), 4, 1);
    EXPECT_EQ(Form->DBNavigator1()->DataSource(), Form->dstday());
    EXPECT_TRUE(CloseProgram());
}

// Save Changes builds a task view again only where the save can change what
// it shows: an edit that keeps every task in its place leaves both views as
// they are; a flag cleared on Today takes the task off Today at the save,
// without building Today again.
TEST_F(ProgramTasksTest, SaveBuildsTheTaskViewsAgainOnlyWhenTheyCanShowSomethingElse) {
    AddTasks("Ttask.d", {{"Flagged", "1", true}, {"Plain", "2", false}, {"Also flagged", "3", true}});
    Start();
    TOstraTable* tasks = Form->dTask_();
    TOstraTable* today = Form->tblToDay1_();
    ShowTab(Form->TabSheet1());
    ASSERT_TRUE(tasks->Locate("Action", Variant("Plain"), {}));
    PutText(tasks, "Action", "Plain, edited");
    int taskBuilds = tasks->ViewBuilds(), todayBuilds = today->ViewBuilds();
    Click(Form->spbtnSave());
    EXPECT_TRUE(Has(FileColumn("Ttask.d", "Action"), "Plain, edited"));
    EXPECT_EQ(tasks->ViewBuilds(), taskBuilds);
    EXPECT_EQ(today->ViewBuilds(), todayBuilds);
    EXPECT_EQ(tasks->FieldByName("Action")->AsString(), "Plain, edited");
    EXPECT_EQ(today->RecordCount(), 2);

    // The edit on Today leaves the task in the view until the save.
    ShowTab(Form->TabSheet7());
    ASSERT_TRUE(today->Locate("Action", Variant("Flagged"), {}));
    PutFlag(today, "Flag", false);
    taskBuilds = tasks->ViewBuilds();
    todayBuilds = today->ViewBuilds();
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask.d", "Flag"), (TNames{"False", "False", "True"}));
    EXPECT_EQ(today->ViewBuilds(), todayBuilds);
    EXPECT_EQ(today->RecordCount(), 1);
    EXPECT_EQ(today->FieldByName("Action")->AsString(), "Also flagged");
    EXPECT_EQ(tasks->ViewBuilds(), taskBuilds);
    EXPECT_EQ(tasks->RecordCount(), 3);
    EXPECT_TRUE(CloseProgram());
}

// A flag ticked in a grid is an edit in progress until the row is left; the
// tab change shows it on the other view all the same, either way round.
TEST_F(ProgramTasksTest, AFlagTickedInAGridShowsOnTheOtherTabAtOnce) {
    AddTasks("Ttask.d", {{"First plain", "1", false}});
    AddTasks("Ttask2.d", {{"Second plain", "2", false}});
    Start();
    struct TCase {
        TTabSheet* Tab;
        TOstraDBGrid* Grid;
        TOstraTable* Table;
        TOstraDBGrid* TodayGrid;
        TOstraTable* Today;
        std::string Action;
    };
    for (const TCase& c : {TCase{Form->TabSheet1(), Form->OstraDBGrid1(), Form->dTask_(),
                                 Form->OstraDBGrid7(), Form->tblToDay1_(), "First plain"},
                           TCase{Form->TabSheet2(), Form->OstraDBGrid2(), Form->dtask2_(),
                                 Form->OstraDBGrid8(), Form->tblToDay2_(), "Second plain"}}) {
        SCOPED_TRACE(c.Action);
        ShowTab(c.Tab);
        ClickCell(c.Grid, 1, 1);
        ASSERT_EQ(c.Table->State(), dsEdit);
        ASSERT_TRUE(c.Table->FieldByName("Flag")->AsBoolean());
        ShowTab(Form->TabSheet7());
        EXPECT_EQ(Column(c.Today, "Action"), TNames{c.Action});

        // Unticked on Today, the task is no longer flagged on its group tab.
        ClickCell(c.TodayGrid, 1, 1);
        ASSERT_EQ(c.Today->State(), dsEdit);
        ShowTab(c.Tab);
        ASSERT_TRUE(c.Table->Locate("Action", Variant(c.Action), {}));
        EXPECT_FALSE(c.Table->FieldByName("Flag")->AsBoolean());
        ShowTab(Form->TabSheet7());
        EXPECT_EQ(c.Today->RecordCount(), 0);
    }
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask.d", "Flag"), TNames{"False"});
    EXPECT_EQ(FileColumn("Ttask2.d", "Flag"), TNames{"False"});
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTasksTest, GroupListsAndTodayViewsShareTheirFiles) {
    AddTasks("Ttask.d", {{"Flagged", "1", true}, {"Plain", "2", false}});
    AddTasks("Ttask2.d", {{"Second list", "3", false}});
    Start();
    // Edits on Today and on the group tab both reach the file.
    ASSERT_EQ(Form->tblToDay1_()->RecordCount(), 1);
    PutText(Form->tblToDay1_(), "Action", "Flagged, edited on Today");
    ShowTab(Form->TabSheet1());
    ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant("Plain"), {}));
    PutText(Form->dTask_(), "Action", "Plain, edited on the group tab");
    PutFlag(Form->dTask_(), "Flag", true);
    Click(Form->spbtnSave());
    TNames actions = FileColumn("Ttask.d", "Action");
    EXPECT_TRUE(Has(actions, "Flagged, edited on Today"));
    EXPECT_TRUE(Has(actions, "Plain, edited on the group tab"));
    EXPECT_FALSE(Form->dTask_()->HasPendingChanges());
    EXPECT_FALSE(Form->tblToDay1_()->HasPendingChanges());
    // The Today view was read again: both flagged tasks show.
    EXPECT_EQ(Form->tblToDay1_()->RecordCount(), 2);

    // A flag set on the second group shows on Today without saving; leaving
    // Today saves the second file with the change made there.
    ShowTab(Form->TabSheet2());
    PutFlag(Form->dtask2_(), "Flag", true);
    ShowTab(Form->TabSheet7());
    ASSERT_EQ(Form->tblToDay2_()->RecordCount(), 1);
    ClickCell(Form->OstraDBGrid8(), 4, 1);
    PutText(Form->tblToDay2_(), "Action", "Second list, edited");
    ShowTab(Form->TabSheet2());
    EXPECT_EQ(FileColumn("Ttask2.d", "Action"), TNames{"Second list, edited"});
    EXPECT_EQ(FileColumn("Ttask2.d", "Flag"), TNames{"True"});
    EXPECT_EQ(Form->dtask2_()->FieldByName("Action")->AsString(), "Second list, edited");

    // An edit in progress on Today is posted, not dropped, by a tab change.
    ShowTab(Form->TabSheet7());
    Form->tblToDay1_()->First();
    Form->tblToDay1_()->Edit();
    Form->tblToDay1_()->FieldByName("Action")->SetAsString("Typed, not posted");
    ShowTab(Form->TabSheet1());
    ShowTab(Form->TabSheet7());
    EXPECT_TRUE(Form->tblToDay1_()->Locate("Action", Variant("Typed, not posted"), {}));
    // The navigator's post saves the task table.
    ShowTab(Form->TabSheet1());
    Click(Form->spBtnAdd());
    Form->dTask_()->FieldByName("Action")->SetAsString("Posted and saved");
    Form->DBNavigator1()->BtnClick(nbPost);
    actions = FileColumn("Ttask.d", "Action");
    EXPECT_TRUE(Has(actions, "Posted and saved"));
    EXPECT_TRUE(Has(actions, "Typed, not posted"));

    // The Edit button of the task grids asks about notes.
    for (int n : {1, 7, 8}) {
        Dialogs.Answer(mrYes);
        Form->Grid(n)->OnEditButtonClick()(Form->Grid(n), nullptr);
        EXPECT_EQ(Dialogs.Last().Text, " Edit Notes?");
    }
    EXPECT_FALSE(Form->Grid(2)->OnEditButtonClick().Assigned());
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTasksTest, CloseNoKeepsTheWindowAndYesSavesEveryTable) {
    Start();
    // Exit's No keeps the unsaved Catch All changes, and writes nothing.
    ShowTab(Form->TabSheet4());
    Click(Form->spBtnAdd());
    Form->dList_()->FieldByName("Action")->SetAsString("Unsaved idea");
    Form->dList_()->Post();
    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton2());  // "Exit"
    EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
    EXPECT_EQ(Dialogs.Last().DlgType, mtConfirmation);
    EXPECT_EQ(Dialogs.Last().Buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(LastCloseAction, caNone);
    EXPECT_EQ(Column(Form->dList_(), "Action"), TNames{"Unsaved idea"});
    EXPECT_TRUE(FileColumn("List.d", "Action").empty());
    EXPECT_FALSE(FileExists(Dir + "taskmoor.ini"));
    // Undo's No drops them, and writes nothing either.
    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());  // "Undo"
    EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
    EXPECT_EQ(LastCloseAction, caNone);
    EXPECT_TRUE(Column(Form->dList_(), "Action").empty());
    EXPECT_TRUE(FileColumn("List.d", "Action").empty());
    EXPECT_FALSE(FileExists(Dir + "taskmoor.ini"));

    // Yes saves every table with changes, an insert in progress too.
    ShowTab(Form->TabSheet7());
    Click(Form->spBtnAdd());
    Form->tblToDay1_()->FieldByName("Action")->SetAsString("Added on Today");
    Form->tblToDay1_()->Post();
    PutText(Form->dList_(), "Action", "Pending idea", true);
    PutText(Form->dArchive_(), "ACTION", "Archived by hand", true);
    PutText(Form->dGoals_(), "Target", "New project", true);
    Form->dQuotes_()->First();
    PutText(Form->dQuotes_(), "Author", "Changed author");
    PutText(Form->dCateg2(), "CATEGORY", "Reading");
    ShowTab(Form->TabSheet2());
    Click(Form->spBtnAdd());
    Form->dtask2_()->FieldByName("Action")->SetAsString("Group 2, pending");
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Added on Today"});
    EXPECT_EQ(FileColumn("List.d", "Action"), TNames{"Pending idea"});
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), TNames{"Archived by hand"});
    EXPECT_EQ(FileColumn("Goals.d", "Target").back(), "New project");
    EXPECT_TRUE(Has(FileColumn("quotes.d", "Author"), "Changed author"));
    EXPECT_EQ(FileColumn("catg2.d", "CATEGORY").front(), "Reading");
    EXPECT_EQ(FileColumn("Ttask2.d", "Action"), TNames{"Group 2, pending"});
    TIniFile ini(Dir + "taskmoor.ini");
    EXPECT_EQ(ini.ReadInteger("QUOTE", "Selected", -1), 10);

    Restart();
    ShowTab(Form->TabSheet1());
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Added on Today"});
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTasksTest, MovingAndArchivingTakeTheTaskOutOfItsList) {
    AddTasks("Ttask.d", {{"Call the bank", "1", true}, {"Stay here", "2", false}});
    AddTasks("Ttask2.d", {{"Finished thing", "4", true}});
    Start();
    // Off the group lists an enabled button asks its question; Yes moves
    // nothing there.
    ShowTab(Form->TabSheet7());
    ASSERT_TRUE(Form->spBtnMoveCmpl()->Enabled());
    ASSERT_TRUE(Form->sbtnArchive()->Enabled());
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Basket?");
    Dialogs.Answer(mrYes);
    Click(Form->sbtnArchive());
    ASSERT_EQ(Dialogs.Count(), 2);
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Archive?");
    ShowTab(Form->TabSheet3());
    ASSERT_TRUE(Form->spBtnMoveCmpl()->Enabled());
    EXPECT_FALSE(Form->sbtnArchive()->Enabled());
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());
    ASSERT_EQ(Dialogs.Count(), 3);
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Basket?");
    EXPECT_EQ(Form->tblToDay1_()->RecordCount(), 1);
    EXPECT_EQ(Form->tblToDay2_()->RecordCount(), 1);
    EXPECT_TRUE(FileColumn("List.d", "Action").empty());
    EXPECT_TRUE(FileColumn("archive.d", "ACTION").empty());
    // Catch All has neither button.
    ShowTab(Form->TabSheet4());
    EXPECT_FALSE(Form->spBtnMoveCmpl()->Enabled());
    EXPECT_FALSE(Form->sbtnArchive()->Enabled());
    Dialogs.Clear();

    ShowTab(Form->TabSheet1());
    ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant("Call the bank"), {}));
    Dialogs.Answer(mrNo);
    Click(Form->spBtnMoveCmpl());
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Basket?");
    EXPECT_EQ(Form->dTask_()->RecordCount(), 2);
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());
    EXPECT_EQ(Form->dTask_()->RecordCount(), 1);
    // Neither file is written until the changes are saved; then both are.
    EXPECT_TRUE(FileColumn("List.d", "Action").empty());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), (TNames{"Call the bank", "Stay here"}));
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("List.d", "Action"), TNames{"Call the bank"});
    EXPECT_EQ(FileColumn("List.d", "Priority"), TNames{"1"});
    EXPECT_EQ(FileColumn("List.d", "Flag"), TNames{"True"});
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Stay here"});

    // Archiving from the second group leaves the first alone.
    ShowTab(Form->TabSheet2());
    Dialogs.Answer(mrYes);
    Click(Form->sbtnArchive());
    EXPECT_EQ(Dialogs.Last().Text, " Move selected item to Archive?");
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), TNames{"Finished thing"});
    EXPECT_EQ(FileColumn("archive.d", "PRIORITY"), TNames{"4"});
    EXPECT_TRUE(FileColumn("Ttask2.d", "Action").empty());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Stay here"});
    // An empty list: the question, then nothing is archived.
    const int asked = Dialogs.Count();
    Dialogs.Answer(mrYes);
    Click(Form->sbtnArchive());
    EXPECT_EQ(Dialogs.Count(), asked + 1);
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), TNames{"Finished thing"});
    ShowTab(Form->TabSheet7());
    EXPECT_EQ(Form->tblToDay2_()->RecordCount(), 0);

    // No to the close keeps what was moved: it is saved already.
    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());
    EXPECT_EQ(FileColumn("List.d", "Action"), TNames{"Call the bank"});
    EXPECT_TRUE(CloseProgram());
}

// The Catch All list's Priority column shows the names and stores the
// codes, as the task lists do: a name typed there, one picked from its list
// and a task moved in from a group list end up alike in the file.
TEST_F(ProgramTasksTest, CatchAllShowsPriorityNamesAndStoresTheirCodes) {
    AddTasks("Ttask.d", {{"Call the bank", "2", false}});
    Start();
    ShowTab(Form->TabSheet4());
    TOstraDBGrid* grid = Form->OstraDBGrid3();
    TOstraTable* list = Form->dList_();
    TOstraColumn* priority = grid->Columns()->GetColumn(5);
    ASSERT_EQ(priority->FieldName(), "Priority");
    Click(Form->spBtnAdd());
    ASSERT_EQ(list->State(), dsInsert);
    list->FieldByName("Action")->SetAsString("Typed");
    ClickCell(grid, 6, 1);
    TypeToFocus("High");
    SendKeyToFocus(VK_RETURN);
    Click(Form->spbtnSave());
    EXPECT_EQ(list->State(), dsBrowse);
    EXPECT_EQ(FileColumn("List.d", "Priority"), TNames{"1"});
    EXPECT_EQ(priority->DisplayText(), "High");

    ShowTab(Form->TabSheet1());
    ASSERT_TRUE(Form->dTask_()->Locate("Action", Variant("Call the bank"), {}));
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("List.d", "Priority"), (TNames{"1", "2"}));
    ShowTab(Form->TabSheet4());
    TNames shown;
    for (list->First(); !list->Eof(); list->Next()) shown.push_back(priority->DisplayText());
    EXPECT_EQ(shown, (TNames{"High", "Medium"}));
    Render("program_catch_all_priorities", grid);

    // The moved task's priority picked from the column's list: Medium, then
    // one down.
    ClickCell(grid, 6, 2);
    ClickCell(grid, 6, 2);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    SendKeyToFocus(VK_DOWN);
    SendKeyToFocus(VK_RETURN);
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("List.d", "Priority"), (TNames{"1", "3"}));
    EXPECT_EQ(FileColumn("List.d", "Action"), (TNames{"Typed", "Call the bank"}));
    EXPECT_TRUE(CloseProgram());
}

// A list file holding priority names (typed there before the column stored
// codes) is read with their codes; a text that is neither stays as it is.
// The codes are the list as read: No to the close keeps them.
TEST_F(ProgramTasksTest, CatchAllReadsPriorityNamesInItsFileAsCodes) {
    AddTasks("List.d", {{"Typed high", "High", false},
                        {"Typed low", "low", false},
                        {"Moved", "2", false},
                        {"Odd", "9", false},
                        {"None", "", false}});
    Start();
    ShowTab(Form->TabSheet4());
    TOstraTable* list = Form->dList_();
    TOstraColumn* priority = Form->OstraDBGrid3()->Columns()->GetColumn(5);
    EXPECT_EQ(Column(list, "Priority"), (TNames{"1", "3", "2", "9", ""}));
    EXPECT_EQ(Column(list, "Action"), (TNames{"Typed high", "Typed low", "Moved", "Odd", "None"}));
    EXPECT_FALSE(list->HasPendingChanges());
    TNames shown;
    for (list->First(); !list->Eof(); list->Next()) shown.push_back(priority->DisplayText());
    EXPECT_EQ(shown, (TNames{"High", "Low", "Medium", "", ""}));
    Dialogs.Answer(mrNo);
    Click(Form->SpeedButton1());
    EXPECT_EQ(Column(list, "Priority"), (TNames{"1", "3", "2", "9", ""}));

    // The next write of the list stores the codes.
    ASSERT_TRUE(list->Locate("Action", Variant("Odd"), {}));
    PutText(list, "Action", "Odd, edited");
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("List.d", "Priority"), (TNames{"1", "3", "2", "9", ""}));
    EXPECT_TRUE(CloseProgram());
}

// The quote counter of the program's data folder at 57: new quotes take the
// counter's keys through the main window's tables.
TEST_F(ProgramTasksTest, NewQuotesTakeTheCounterKeys) {
    {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + "appid.d");
        t.Open();
        ASSERT_TRUE(t.Locate("Ckey", Variant("Quotes"), {}));
        PutText(&t, "CIDField", "57");
        t.Save();
    }
    Start();
    TOstraTable* q = Form->dQuotes_();
    const int before = q->RecordCount();
    q->Append();
    EXPECT_EQ(q->State(), dsBrowse);
    EXPECT_EQ(q->FieldByName("Key")->AsInteger(), 57);
    q->Append();
    EXPECT_EQ(q->FieldByName("Key")->AsInteger(), 58);
    EXPECT_EQ(q->RecordCount(), before + 2);
    EXPECT_TRUE(Has(FileColumn("appid.d", "CIDField"), "59"));
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTasksTest, QuoteOfTheDayIsRememberedAndTheRandomQuoteShowsOnToday) {
    Start();
    // "QR" on Today changes the Today panel without a box.
    TTestModalForms forms;
    Click(Form->spbtnRandQuote());
    EXPECT_TRUE(forms.Shown().empty());
    ShowTab(Form->TabSheet5());
    ASSERT_TRUE(Form->dQuotes_()->Locate("Key", Variant(3), {}));
    Click(Form->SpeedButton4());  // "QD"
    EXPECT_EQ(Form->QuoteSelected(), 3);
    EXPECT_EQ(Form->DBText1()->Field()->AsString(), "While we are postponing, life speeds by. - Seneca");
    EXPECT_TRUE(CloseProgram());
    Restart();
    EXPECT_EQ(Form->QuoteSelected(), 3);
    EXPECT_EQ(Form->DBText1()->Field()->AsString(), "While we are postponing, life speeds by. - Seneca");
    EXPECT_TRUE(CloseProgram());
}

// Only Today is on screen after the start: the group lists are read, their
// order waits for their tabs. Shown, each is in priority order from its first
// row, with what Today changed meanwhile, and keeps its row when shown again.
TEST_F(ProgramTasksTest, GroupListsAreSortedWhenTheirTabFirstShows) {
    AddTasks("Ttask.d", {{"Later", "3", false}, {"Flagged", "1", true}, {"Soon", "0", false}});
    AddTasks("Ttask2.d", {{"Beta", "4", false}, {"Alpha", "2", true}});
    Start();
    EXPECT_EQ(Form->dTask_()->IndexFieldNames(), "");
    EXPECT_EQ(Form->dtask2_()->IndexFieldNames(), "");
    EXPECT_EQ(Form->tblToDay1_()->IndexFieldNames(), "priority");
    PutText(Form->tblToDay1_(), "Action", "Flagged, edited");
    Click(Form->spbtnSave());
    EXPECT_EQ(Form->dTask_()->IndexFieldNames(), "");

    ShowTab(Form->TabSheet1());
    EXPECT_EQ(Form->dTask_()->IndexFieldNames(), "priority");
    EXPECT_EQ(Form->dTask_()->RecNo(), 1);
    EXPECT_EQ(Form->dTask_()->FieldByName("Action")->AsString(), "Soon");
    EXPECT_EQ(Column(Form->dTask_(), "Action"), (TNames{"Soon", "Flagged, edited", "Later"}));
    ShowTab(Form->TabSheet7());
    ShowTab(Form->TabSheet1());
    EXPECT_EQ(Form->dTask_()->FieldByName("Action")->AsString(), "Later");
    EXPECT_EQ(Form->dTask_()->IndexFieldNames(), "priority");

    ShowTab(Form->TabSheet2());
    EXPECT_EQ(Form->dtask2_()->IndexFieldNames(), "Priority");
    EXPECT_EQ(Form->dtask2_()->FieldByName("Action")->AsString(), "Alpha");
    EXPECT_EQ(Column(Form->dtask2_(), "Action"), (TNames{"Alpha", "Beta"}));
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), (TNames{"Later", "Flagged, edited", "Soon"}));
}

class EmptyQuotes : public ProgramTasksTest {
protected:
    void PrepareData() override {
        CreateToDoDataFolder(Dir);
        TOstraTable quotes(nullptr);
        quotes.SetTableName(Dir + "quotes.d");
        quotes.Open();
        while (!quotes.IsEmpty()) quotes.Delete();
        quotes.Save();
    }
};

TEST_F(EmptyQuotes, TodayOpensAndNoQuoteIsMarked) {
    Start();
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_EQ(RandomQuoteKey(Form->dQuotes_()), 0);
    EXPECT_EQ(Form->DBText2()->Field()->AsString(), "");
    EXPECT_EQ(Form->DBNavigator1()->DataSource(), Form->dstday());
    Click(Form->SpeedButton4());
    EXPECT_EQ(Form->QuoteSelected(), 10);
    EXPECT_TRUE(CloseProgram());
}

}  // namespace
