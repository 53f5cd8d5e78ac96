// The engine grid with real keys and mouse clicks over engine tables:
// moving, appending and inserting, deleting with its prompts, title clicks
// and sort markers, check boxes, multi-selection, and editing cells.
#include "support/engine-controls/dbgrid_fixture.h"

#include <algorithm>
#include <set>

#include "platform/db/fieldtypes.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/stdctrls.h"

namespace {

class DBGridInputTest : public DBGridTest {
protected:
    void SetUp() override {
        DBGridTest::SetUp();
        Dialogs = std::make_unique<TTestDialogs>();
    }
    void TearDown() override {
        DBGridTest::TearDown();
        Dialogs.reset();
    }
    void Multi() { Grid->SetOptions(Grid->Options() + dgMultiSelect); }
    std::set<std::string> SelectedActions() {
        std::set<std::string> out;
        const TBookmark here = Table->Bookmark();
        for (int i = 0; i < Grid->SelectedRows()->Count(); ++i) {
            Table->GotoBookmark(Grid->SelectedRows()->Items(i));
            out.insert(Action());
        }
        Table->GotoBookmark(here);
        return out;
    }
    std::unique_ptr<TTestDialogs> Dialogs;
};

TEST_F(DBGridInputTest, ArrowsMoveThroughTheRecords) {
    ShowTasks(40);
    SendKey(Grid, VK_DOWN);
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ("Task 3", Action());
    SendKey(Grid, VK_UP);
    EXPECT_EQ("Task 2", Action());
    SendKey(Grid, VK_END, {ssCtrl});
    EXPECT_EQ("Task 40", Action());
    SendKey(Grid, VK_HOME, {ssCtrl});
    EXPECT_EQ("Task 1", Action());
    SendKey(Grid, VK_NEXT);
    EXPECT_EQ(1 + Grid->VisibleRowCount(), Table->RecNo());
}

TEST_F(DBGridInputTest, DownOnTheLastRowAppendsOnlyWhenAllowed) {
    ShowTasks(3);
    Grid->SetAllowInsert(false);
    Table->Last();
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ(dsBrowse, Table->State());
    EXPECT_EQ(3, Table->RecordCount());

    Grid->SetAllowInsert(true);
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ(dsInsert, Table->State());
    // An untouched new row: Down stays, Up cancels it.
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ(dsInsert, Table->State());
    SendKey(Grid, VK_UP);
    EXPECT_EQ(dsBrowse, Table->State());
    EXPECT_EQ(3, Table->RecordCount());
    EXPECT_EQ("Task 3", Action());

    // A read-only grid never appends.
    Grid->SetReadOnly(true);
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ(dsBrowse, Table->State());
}

TEST_F(DBGridInputTest, InsertKeyInsertsOnlyWhenAllowed) {
    ShowTasks(3);
    Grid->SetAllowInsert(false);
    SendKey(Grid, VK_INSERT);
    EXPECT_EQ(dsBrowse, Table->State());
    Grid->SetAllowInsert(true);
    SendKey(Grid, VK_INSERT);
    EXPECT_EQ(dsInsert, Table->State());
    SendKey(Grid, VK_ESCAPE);
    EXPECT_EQ(dsBrowse, Table->State());
    EXPECT_EQ(3, Table->RecordCount());
}

TEST_F(DBGridInputTest, CtrlDeleteAsksAndFollowsTheAnswer) {
    ShowTasks(4);
    SendKey(Grid, VK_DOWN);
    Dialogs->Answer(mrCancel);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    ASSERT_EQ(1, Dialogs->Count());
    EXPECT_EQ("Delete record ?", Dialogs->Last().Text);
    EXPECT_TRUE(Dialogs->Last().Buttons == mbOKCancel);
    EXPECT_EQ(4, Table->RecordCount());

    Dialogs->Answer(mrOk);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ(2, Dialogs->Count());
    EXPECT_EQ(3, Table->RecordCount());
    Table->First();
    EXPECT_EQ("Task 1", Action());
    Table->Next();
    EXPECT_EQ("Task 3", Action());

    // Without confirmation nothing is asked; without AllowDelete nothing happens.
    Grid->SetOptions(Grid->Options() - dgConfirmDelete);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ(2, Dialogs->Count());
    EXPECT_EQ(2, Table->RecordCount());
    Grid->SetOptions(Grid->Options() + dgConfirmDelete);
    Grid->SetAllowDelete(false);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ(2, Dialogs->Count());
    EXPECT_EQ(2, Table->RecordCount());
}

TEST_F(DBGridInputTest, CtrlDeleteWithSelectedRowsDeletesThemAll) {
    OpenTasks(6);
    UseTaskColumns();
    Multi();
    ShowGrid();
    ClickCell(1, 1);
    ClickCell(1, 3, {ssCtrl});
    ClickCell(1, 4, {ssCtrl});
    ASSERT_EQ(3, Grid->SelectedRows()->Count());
    Dialogs->Answer(mrCancel);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ("Delete selected records ?", Dialogs->Last().Text);
    EXPECT_EQ(6, Table->RecordCount());
    Dialogs->Answer(mrOk);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ(3, Table->RecordCount());
    EXPECT_EQ(0, Grid->SelectedRows()->Count());
    std::vector<std::string> left;
    for (Table->First(); !Table->Eof(); Table->Next()) left.push_back(Action());
    EXPECT_EQ((std::vector<std::string>{"Task 1", "Task 3", "Task 6"}), left);

    // One selected row asks the single-record question.
    Table->First();
    ClickCell(1, 0);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ("Delete record ?", Dialogs->Last().Text);
}

TEST_F(DBGridInputTest, DeletingSelectedRowsSkipsRecordsThatLeftTheView) {
    OpenTasks(5);
    UseTaskColumns();
    Multi();
    ShowGrid();
    ClickCell(1, 1);            // Task 2
    ClickCell(1, 3, {ssCtrl});  // Task 4
    ASSERT_EQ(2, Grid->SelectedRows()->Count());
    // Task 4 is filtered out of the view; the dataset stays on Task 1.
    Table->SetFilter("Action <> 'Task 4'");
    Table->SetFiltered(true);
    Table->First();
    ASSERT_EQ(2, Grid->SelectedRows()->Count());
    Grid->SetOptions(Grid->Options() - dgConfirmDelete);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    Table->SetFiltered(false);
    std::vector<std::string> left;
    for (Table->First(); !Table->Eof(); Table->Next()) left.push_back(Action());
    EXPECT_EQ((std::vector<std::string>{"Task 1", "Task 3", "Task 4", "Task 5"}), left);
}

TEST_F(DBGridInputTest, SelectedRowsOfASortedViewGoEvenAfterAnotherTableMovedThem) {
    // Runs of 40 and 20 equal categories; a clone shows the store in another order.
    OpenTasks(60);
    Table->SetIndexFieldNames("Category");
    auto* clone = new TOstraTable(Form);
    clone->SetCloneDS(Table);
    clone->SetIndexFieldNames("Priority;Action");
    clone->Open();
    UseTaskColumns();
    Multi();
    ShowGrid();
    ClickCell(1, 1);
    ClickCell(1, 3, {ssCtrl});
    ClickCell(1, 6, {ssCtrl});
    const std::set<std::string> chosen = SelectedActions();
    ASSERT_EQ(3u, chosen.size());
    // The clone moves one chosen record from the Home run to the Work run
    // and deletes an unchosen one.
    ASSERT_TRUE(clone->Locate("Action", Variant(*chosen.begin()), {}));
    clone->Edit();
    clone->FieldByName("Category")->SetAsString("Work");
    clone->Post();
    ASSERT_TRUE(clone->Locate("Action", Variant("Task 59"), {}));
    clone->Delete();
    EXPECT_EQ(chosen, SelectedActions());
    Grid->SetOptions(Grid->Options() - dgConfirmDelete);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ(56, Table->RecordCount());
    EXPECT_EQ(56, clone->RecordCount());
    for (TDataSet* ds : {static_cast<TDataSet*>(Table), static_cast<TDataSet*>(clone)}) {
        for (const std::string& action : chosen)
            EXPECT_FALSE(ds->Locate("Action", Variant(action), {})) << action;
        EXPECT_TRUE(ds->Locate("Action", Variant("Task 60"), {}));
    }
}

TEST_F(DBGridInputTest, TheNavigatorsRefreshKeepsTheRowsOfATableWithoutAFile) {
    ShowTasks(5);
    auto* nav = new TDBNavigator(Form);
    nav->SetParent(Form);
    nav->SetBounds(8, 380, 240, 25);
    nav->SetDataSource(Source);
    ProcessEvents();
    SendKey(Grid, VK_DOWN);
    TControl* refresh = nav->Buttons(nbRefresh);
    SendClick(refresh, refresh->Width() / 2, refresh->Height() / 2);
    EXPECT_EQ(5, Table->RecordCount());
    EXPECT_EQ("Task 2", Action());
    EXPECT_EQ((std::set<std::string>{"Task 1", "Task 2", "Task 3", "Task 4", "Task 5"}), PaintedActions());
}

// A reload puts new records where the old ones were (a large table's
// memory is handed back to it): a selection kept across the navigator's
// Refresh would name the records that took its rows' places. It is dropped,
// and Ctrl+Delete then deletes the current record alone.
TEST_F(DBGridInputTest, TheNavigatorsRefreshDropsTheSelectionSoNoOtherRecordIsDeleted) {
    TTestEnvironment env;
    const std::string file = env.Folder() + "/Tselected.d";
    OpenTasks(60000);
    Table->SaveToFile(file);
    Table->Close();
    Table->SetTableName(file);
    Table->Open();
    UseTaskColumns();
    Multi();
    ShowGrid();
    auto* nav = new TDBNavigator(Form);
    nav->SetParent(Form);
    nav->SetBounds(8, 380, 240, 25);
    nav->SetDataSource(Source);
    ProcessEvents();
    int changes = 0;
    Grid->SetOnMultiSelectChanged([&](TObject*) { ++changes; });
    ClickCell(1, 1);            // Task 2
    ClickCell(1, 3, {ssCtrl});  // Task 4
    ASSERT_EQ((std::set<std::string>{"Task 2", "Task 4"}), SelectedActions());
    // The first record goes and the file is written: every record's memory
    // in the reloaded table is its predecessor's.
    Table->First();
    Table->Delete();
    Table->Save();
    ASSERT_EQ(2, Grid->SelectedRows()->Count());
    changes = 0;
    TControl* refresh = nav->Buttons(nbRefresh);
    SendClick(refresh, refresh->Width() / 2, refresh->Height() / 2);
    ASSERT_EQ(59999, Table->RecordCount());
    EXPECT_EQ(0, Grid->SelectedRows()->Count());
    EXPECT_EQ(1, changes);
    EXPECT_FALSE(Grid->SelectedRows()->CurrentRowSelected());
    const std::string current = Action();
    Dialogs->Answer(mrOk);
    SendKey(Grid, VK_DELETE, {ssCtrl});
    EXPECT_EQ("Delete record ?", Dialogs->Last().Text);
    EXPECT_EQ(59998, Table->RecordCount());
    for (const char* action : {"Task 2", "Task 3", "Task 4", "Task 5", "Task 6"})
        EXPECT_EQ(current != action, Table->Locate("Action", Variant(action), {})) << action;
}

TEST_F(DBGridInputTest, TitleClickFiresOnceWithAllMarkersCleared) {
    ShowTasks(3);
    Grid->Columns()->GetColumn(1)->SetSortMarker(1);
    Grid->Columns()->GetColumn(2)->SetSortMarker(2);
    std::vector<TOstraColumn*> clicked;
    int markersAtClick = -1;
    Grid->SetOnTitleClick([&](TObject* Sender, TOstraColumn* Column) {
        EXPECT_EQ(Grid, Sender);
        clicked.push_back(Column);
        markersAtClick = 0;
        for (int i = 0; i < Grid->Columns()->Count(); ++i)
            markersAtClick += Grid->Columns()->GetColumn(i)->SortMarker();
        Column->SetSortMarker(2);
    });
    const TPoint title = CellCenter(2, -1);
    SendMouseDown(Grid, mbLeft, title.X, title.Y);
    EXPECT_TRUE(Grid->Columns()->GetColumn(2)->TitlePressed());
    EXPECT_TRUE(clicked.empty());
    SendMouseUp(Grid, mbLeft, title.X, title.Y);
    ASSERT_EQ(1u, clicked.size());
    EXPECT_EQ(Grid->Columns()->GetColumn(2), clicked[0]);
    EXPECT_EQ(0, markersAtClick);
    EXPECT_FALSE(Grid->Columns()->GetColumn(2)->TitlePressed());
    EXPECT_EQ(2, Grid->Columns()->GetColumn(2)->SortMarker());
    EXPECT_EQ(0, Grid->Columns()->GetColumn(1)->SortMarker());

    // Pressed on one title, released on another: no click, markers stay.
    const TPoint other = CellCenter(1, -1);
    SendMouseDown(Grid, mbLeft, title.X, title.Y);
    SendMouseMove(Grid, other.X, other.Y, {ssLeft});
    SendMouseUp(Grid, mbLeft, other.X, other.Y);
    EXPECT_EQ(1u, clicked.size());
    EXPECT_EQ(2, Grid->Columns()->GetColumn(2)->SortMarker());
    EXPECT_FALSE(Grid->Columns()->GetColumn(2)->TitlePressed());

    // A title that cannot be clicked reports nothing.
    const TPoint category = CellCenter(3, -1);
    SendClick(Grid, category.X, category.Y);
    EXPECT_EQ(1u, clicked.size());
}

TEST_F(DBGridInputTest, CheckBoxClickMovesAndToggles) {
    ShowTasks(4);
    // Task 3 is unflagged.
    ClickCell(0, 2);
    EXPECT_EQ("Task 3", Action());
    EXPECT_TRUE(Table->FieldByName("Flag")->AsBoolean());
    EXPECT_EQ(dsEdit, Table->State());
    ClickCell(0, 2);
    EXPECT_FALSE(Table->FieldByName("Flag")->AsBoolean());
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ(dsBrowse, Table->State());
    Table->Prior();
    EXPECT_FALSE(Table->FieldByName("Flag")->AsBoolean());

    // Read-only column or no editing: no toggle.
    TOstraColumn* flag = Grid->Columns()->GetColumn(0);
    flag->SetReadOnly(true);
    ClickCell(0, 1);
    EXPECT_EQ("Task 2", Action());
    EXPECT_TRUE(Table->FieldByName("Flag")->AsBoolean());
    flag->SetReadOnly(false);
    Grid->SetOptions(Grid->Options() - dgEditing);
    ClickCell(0, 1);
    EXPECT_TRUE(Table->FieldByName("Flag")->AsBoolean());
    EXPECT_EQ(dsBrowse, Table->State());
}

TEST_F(DBGridInputTest, CtrlClickSelectsRowsInBookmarkOrder) {
    OpenTasks(8);
    UseTaskColumns();
    Multi();
    int changes = 0;
    Grid->SetOnMultiSelectChanged([&](TObject*) { ++changes; });
    ShowGrid();
    ClickCell(1, 5);
    EXPECT_EQ(1, Grid->SelectedRows()->Count());
    ClickCell(1, 1, {ssCtrl});
    ClickCell(1, 6, {ssCtrl});
    ClickCell(1, 3, {ssCtrl});
    ClickCell(1, 3, {ssCtrl});  // again: deselected
    TBookmarkList* rows = Grid->SelectedRows();
    ASSERT_EQ(3, rows->Count());
    for (int i = 1; i < rows->Count(); ++i)
        EXPECT_LT(Table->CompareBookmarks(rows->Items(i - 1), rows->Items(i)), 0);
    EXPECT_EQ((std::set<std::string>{"Task 2", "Task 6", "Task 7"}), SelectedActions());

    // Selecting a selected row again keeps one entry.
    Table->First();
    Table->MoveBy(5);
    rows->SetCurrentRowSelected(true);
    EXPECT_EQ(3, rows->Count());

    // The indicator moves without touching the selection.
    const TRect ind = Grid->CellRect(0, 1 + 4);
    SendClick(Grid, (ind.Left + ind.Right) / 2, (ind.Top + ind.Bottom) / 2);
    EXPECT_EQ("Task 5", Action());
    EXPECT_EQ(3, rows->Count());

    // A plain click leaves only that row.
    changes = 0;
    ClickCell(2, 0);
    EXPECT_EQ((std::set<std::string>{"Task 1"}), SelectedActions());
    EXPECT_EQ(2, changes);  // cleared, then selected
    rows->Clear();
    changes = 0;
    rows->Clear();
    EXPECT_EQ(0, changes);
}

TEST_F(DBGridInputTest, SelectionColumnTogglesTheRow) {
    OpenTasks(4);
    UseTaskColumns();
    TOstraColumn* sel = Grid->Columns()->Add();
    sel->SetFieldName("Selected");
    sel->SetButtonStyle(cbsCheck);
    Multi();
    ShowGrid();
    ClickCell(4, 1);
    ClickCell(4, 2);
    EXPECT_EQ((std::set<std::string>{"Task 2", "Task 3"}), SelectedActions());
    ClickCell(4, 1);
    EXPECT_EQ((std::set<std::string>{"Task 3"}), SelectedActions());
}

TEST_F(DBGridInputTest, ShiftArrowsExtendAndShrinkInTheShownOrder) {
    OpenTasks(9);
    UseTaskColumns();
    Multi();
    ShowGrid();
    // Shown in descending order, unlike the order the records were made.
    Table->SetIndexFieldNames("Action");
    Table->SetSortOptions({osoDescendSort});
    Table->First();
    ASSERT_EQ("Task 9", Action());
    SendKey(Grid, VK_DOWN);
    SendKey(Grid, VK_DOWN, {ssShift});
    SendKey(Grid, VK_DOWN, {ssShift});
    EXPECT_EQ((std::set<std::string>{"Task 8", "Task 7", "Task 6"}), SelectedActions());
    SendKey(Grid, VK_UP, {ssShift});
    EXPECT_EQ((std::set<std::string>{"Task 8", "Task 7"}), SelectedActions());
    SendKey(Grid, VK_UP, {ssShift});
    SendKey(Grid, VK_UP, {ssShift});
    EXPECT_EQ((std::set<std::string>{"Task 8", "Task 9"}), SelectedActions());
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ(0, Grid->SelectedRows()->Count());
}

TEST_F(DBGridInputTest, TypedPickListTextIsStoredAsItsValue) {
    ShowTasks(3);
    ClickCell(2, 0);
    EXPECT_EQ(3, Grid->Col());
    SendText(Grid, "h");
    ASSERT_TRUE(Grid->InplaceEditor());
    EXPECT_TRUE(Grid->InplaceEditor()->Visible());
    SendText(Grid->InplaceEditor(), "igh");
    EXPECT_EQ("high", Grid->InplaceEditor()->Text());
    SendKey(Grid->InplaceEditor(), VK_DOWN);
    EXPECT_EQ(dsBrowse, Table->State());
    Table->First();
    EXPECT_EQ("1", Table->FieldByName("Priority")->AsString());

    // Text that is no pick-list line stores an empty value.
    ClickCell(2, 0);
    SendText(Grid, "s");
    SendText(Grid->InplaceEditor(), "oon");
    SendKey(Grid->InplaceEditor(), VK_UP);
    Table->First();
    EXPECT_EQ("", Table->FieldByName("Priority")->AsString());
}

TEST_F(DBGridInputTest, TabAndEnterToTabWalkTheColumns) {
    ShowTasks(3);
    ClickCell(1, 0);
    EXPECT_EQ(2, Grid->Col());
    SendKey(Grid, VK_TAB);
    EXPECT_EQ(3, Grid->Col());
    SendKey(Grid, VK_TAB, {ssShift});
    EXPECT_EQ(2, Grid->Col());
    Grid->SetOptions(Grid->Options() + dgEnterToTab);
    SendKey(Grid, VK_END);
    EXPECT_EQ(4, Grid->Col());
    SendKey(Grid, VK_RETURN);
    EXPECT_EQ(1, Grid->Col());
    EXPECT_EQ("Task 2", Action());
}

TEST_F(DBGridInputTest, RightToLeftSwapsTheArrows) {
    ShowTasks(2);
    ClickCell(1, 0);
    Grid->SetBiDiMode(bdRightToLeft);
    SendKey(Grid, VK_LEFT);
    EXPECT_EQ(3, Grid->Col());
    SendKey(Grid, VK_RIGHT);
    EXPECT_EQ(2, Grid->Col());
}

TEST_F(DBGridInputTest, CellClickReportsTheColumnAndLongTextHint) {
    ShowTasks(2);
    TOstraColumn* got = nullptr;
    Grid->SetOnCellClick([&](TObject*, TOstraColumn* c) { got = c; });
    Grid->Columns()->GetColumn(1)->SetLongTextAsHint(true);
    ClickCell(1, 1);
    EXPECT_EQ(Grid->Columns()->GetColumn(1), got);
    EXPECT_EQ("Task 2", Grid->Hint());
}

TEST_F(DBGridInputTest, LeavingTheGridCancelsAnUntouchedNewRecord) {
    OpenTasks(2);
    UseTaskColumns();
    auto* other = new TOstraDBGrid(Form);
    other->SetParent(Form);
    other->SetBounds(8, 380, 200, 30);
    ShowGrid();
    Table->Last();
    SendKey(Grid, VK_DOWN);
    ASSERT_EQ(dsInsert, Table->State());
    other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(dsBrowse, Table->State());
    EXPECT_EQ(2, Table->RecordCount());

    // A changed new record is written instead, and kept.
    Grid->SetFocus();
    SendKey(Grid, VK_DOWN);
    ASSERT_EQ(dsInsert, Table->State());
    ClickCell(1, 2);
    SendText(Grid, "N");
    SendText(Grid->InplaceEditor(), "ew");
    other->SetFocus();
    ProcessEvents();
    EXPECT_EQ("New", Table->FieldByName("Action")->AsString());
    Table->Post();
    EXPECT_EQ(3, Table->RecordCount());
}

TEST_F(DBGridInputTest, MemoCellsAreNotEditedAsText) {
    OpenTasks(2);
    TOstraColumn* notes = Grid->Columns()->Add();
    notes->SetFieldName("Notes");
    ShowGrid();
    ClickCell(0, 0);
    SendText(Grid, "x");
    EXPECT_EQ(dsBrowse, Table->State());
    EXPECT_EQ("", Table->FieldByName("Notes")->AsString());
}

TEST_F(DBGridInputTest, SizingATitleBorderResizesTheColumn) {
    ShowTasks(2);
    TOstraColumn* resized = nullptr;
    Grid->SetOnColumnResized([&](TObject*, TOstraColumn* c) { resized = c; });
    const TRect title = DataCellRect(1, -1);
    const int y = (title.Top + title.Bottom) / 2;
    SendMouseDown(Grid, mbLeft, title.Right, y);
    SendMouseMove(Grid, title.Right + 30, y, {ssLeft});
    SendMouseUp(Grid, mbLeft, title.Right + 30, y);
    EXPECT_EQ(190, Grid->Columns()->GetColumn(1)->Width());
    EXPECT_EQ(190, Grid->ColWidths(2));
    EXPECT_EQ(Grid->Columns()->GetColumn(1), resized);
}

TEST_F(DBGridInputTest, DraggingATitleMovesTheColumn) {
    ShowTasks(2);
    std::vector<std::pair<int, int>> moves;
    Grid->SetOnColumnMoved([&](TObject*, int From, int To) { moves.emplace_back(From, To); });
    const TPoint from = CellCenter(3, -1);  // Category, not clickable
    const TPoint to = CellCenter(0, -1);
    SendMouseDown(Grid, mbLeft, from.X, from.Y);
    SendMouseMove(Grid, (from.X + to.X) / 2, to.Y, {ssLeft});
    SendMouseMove(Grid, to.X, to.Y, {ssLeft});
    SendMouseUp(Grid, mbLeft, to.X, to.Y);
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ(std::make_pair(3, 0), moves[0]);
    EXPECT_EQ("Category", Grid->Columns()->GetColumn(0)->FieldName());
    EXPECT_EQ("Flag", Grid->Columns()->GetColumn(1)->FieldName());
    EXPECT_EQ(Table->FieldByName("Category"), Grid->DataLink()->Fields(0));
}

TEST_F(DBGridInputTest, EditedCalculatedFieldIsReportedNotWritten) {
    auto* action = new TStringField(Table);
    action->SetFieldName("Action");
    action->SetSize(255);
    action->SetDataSet(Table);
    auto* calc = new TStringField(Table);
    calc->SetFieldName("Shout");
    calc->SetSize(40);
    calc->SetFieldKind(fkCalculated);
    calc->SetDataSet(Table);
    Table->SetOnCalcFields([&](TDataSet*) { calc->SetAsString(action->AsString() + "!"); });
    Table->Open();
    Table->AppendRecord({Variant("Walk")});
    Grid->Columns()->Add()->SetFieldName("Action");
    Grid->Columns()->Add()->SetFieldName("Shout");
    Grid->Columns()->GetColumn(0)->SetWidth(100);
    Grid->Columns()->GetColumn(1)->SetWidth(100);
    ShowGrid();
    std::vector<std::string> edited;
    Grid->SetOnCalcFieldEdited([&](TObject*, TField* f, const std::string& text) {
        EXPECT_EQ(calc, f);
        edited.push_back(text);
    });
    ClickCell(1, 0);
    ASSERT_EQ(2, Grid->Col());
    SendText(Grid, "R");
    SendText(Grid->InplaceEditor(), "un");
    SendKey(Grid->InplaceEditor(), VK_RETURN);
    Table->Post();
    ASSERT_FALSE(edited.empty());
    EXPECT_EQ("Run", edited.back());
    EXPECT_EQ("Walk!", calc->AsString());
}

}  // namespace

// ---- Whatever leaves a cell, its typed text goes to that cell's field --------------------------------

struct LeaveCase;

class DBGridLeaveCellTest : public DBGridInputTest, public ::testing::WithParamInterface<LeaveCase> {
public:
    void Click(int DataCol, int DataRow) { ClickCell(DataCol, DataRow); }
    void Post() { Table->Post(); }
    TDataSetState State() const { return Table->State(); }
    int SelectedIndex() const { return Grid->SelectedIndex(); }
    // The editor's text; the field's when the editor is hidden.
    std::string EditorText() const {
        TInplaceEdit* e = Grid->InplaceEditor();
        return e && e->Visible() ? e->Text() : Action();
    }
    // The focus goes to another control of the form.
    void FocusElsewhere() {
        auto* other = new TEdit(Form);
        other->SetParent(Form);
        other->SetBounds(8, 380, 100, 24);
        other->SetFocus();
        ProcessEvents();
    }
};

struct LeaveCase {
    const char* Name;
    TOstraDBGridOptions Extra;
    // Leaves the Action cell of the first row, its editor holding typed text.
    void (*Leave)(DBGridLeaveCellTest& T);
    // The first task's action at the end.
    const char* Expected = "Buy";
};

void PrintTo(const LeaveCase& Case, std::ostream* Out) { *Out << Case.Name; }

TEST_P(DBGridLeaveCellTest, TypedTextStaysInItsCell) {
    OpenTasks(3);
    UseTaskColumns();
    Grid->SetOptions(Grid->Options() + GetParam().Extra);
    ShowGrid();
    ClickCell(1, 0);
    // A shown editor has its text selected; else typing opens it.
    const bool shown = Grid->InplaceEditor() && Grid->InplaceEditor()->Visible();
    SendText(shown ? static_cast<TWinControl*>(Grid->InplaceEditor()) : Grid, "B");
    ASSERT_TRUE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    SendText(Grid->InplaceEditor(), "uy");
    GetParam().Leave(*this);
    // Then a row move and a save, as the user goes on.
    SendKeyToFocus(VK_DOWN);
    if (Table->State() != dsBrowse) Table->Post();
    Table->First();
    EXPECT_EQ(GetParam().Expected, Action());
    EXPECT_EQ("0", Table->FieldByName("Priority")->AsString());
    EXPECT_EQ("Home", Table->FieldByName("Category")->AsString());
    EXPECT_FALSE(Table->FieldByName("Flag")->AsBoolean());
    Table->Next();
    EXPECT_EQ("Task 2", Action());
}

const LeaveCase LeaveCases[] = {
    {"Tab", {}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_TAB); }},
    {"ShiftTab", {}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_TAB, {ssShift}); }},
    {"TabTwice",
     {},
     [](DBGridLeaveCellTest&) {
         SendKeyToFocus(VK_TAB);
         SendKeyToFocus(VK_TAB);
     }},
    {"TabThenBack",
     {},
     [](DBGridLeaveCellTest&) {
         SendKeyToFocus(VK_TAB);
         SendKeyToFocus(VK_TAB, {ssShift});
     }},
    {"Enter", {}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_RETURN); }},
    {"EnterToTab",
     {dgEnterToTab},
     [](DBGridLeaveCellTest& T) {
         SendKeyToFocus(VK_RETURN);
         EXPECT_EQ(2, T.SelectedIndex());
     }},
    // Escape in the editor takes the text back, in the grid the record.
    {"EscapeTwice",
     {},
     [](DBGridLeaveCellTest& T) {
         EXPECT_EQ(dsEdit, T.State());
         SendKeyToFocus(VK_ESCAPE);
         EXPECT_EQ("Task 1", T.EditorText());
         SendKeyToFocus(VK_ESCAPE);
         EXPECT_EQ(dsBrowse, T.State());
     },
     "Task 1"},
    {"Down", {}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_DOWN); }},
    {"Up", {}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_UP); }},
    {"TabAlwaysEditing", {dgAlwaysShowEditor}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_TAB); }},
    {"RightAtTheEnd", {dgAlwaysShowEditor}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_RIGHT); }},
    {"Home", {dgAlwaysShowEditor}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_HOME); }},
    {"End", {dgAlwaysShowEditor}, [](DBGridLeaveCellTest&) { SendKeyToFocus(VK_END); }},
    {"ClickNextCell", {}, [](DBGridLeaveCellTest& T) { T.Click(2, 0); }},
    {"ClickOtherRow", {}, [](DBGridLeaveCellTest& T) { T.Click(3, 1); }},
    {"Post", {}, [](DBGridLeaveCellTest& T) { T.Post(); }},
    {"FocusElsewhere", {}, [](DBGridLeaveCellTest& T) { T.FocusElsewhere(); }},
    // The text went in with the Tab: Escape then takes the whole edit back.
    {"TabThenEscape",
     {},
     [](DBGridLeaveCellTest&) {
         SendKeyToFocus(VK_TAB);
         SendKeyToFocus(VK_ESCAPE);
     },
     "Task 1"},
    {"TabThenPost",
     {},
     [](DBGridLeaveCellTest& T) {
         SendKeyToFocus(VK_TAB);
         T.Post();
     }},
};

INSTANTIATE_TEST_SUITE_P(Keys, DBGridLeaveCellTest, ::testing::ValuesIn(LeaveCases),
                         [](const ::testing::TestParamInfo<LeaveCase>& Info) {
                             return std::string(Info.param.Name);
                         });

namespace {
// A check-box cell has no text to edit: Space, F2, Enter and typing never open
// the text editor, and leaving the cell writes nothing; a click toggles it.
TEST_F(DBGridInputTest, ACheckBoxCellNeverOpensTheTextEditor) {
    ShowTasks(3);
    ASSERT_EQ(0, Grid->SelectedIndex());
    ASSERT_FALSE(Table->FieldByName("Flag")->AsBoolean());
    for (uint16_t key : {uint16_t(VK_SPACE), uint16_t(VK_F2), uint16_t(VK_RETURN)}) {
        SCOPED_TRACE(key);
        SendKey(Grid, key);
        if (key == VK_SPACE) SendText(Grid, " ");
        EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    }
    SendText(Grid, "x");
    EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    SendKey(Grid, VK_DOWN);
    EXPECT_EQ(dsBrowse, Table->State());
    Table->First();
    EXPECT_FALSE(Table->FieldByName("Flag")->AsBoolean());
    EXPECT_EQ("Task 1", Table->FieldByName("Action")->AsString());
    ClickCell(0, 0);
    EXPECT_TRUE(Table->FieldByName("Flag")->AsBoolean());
}
}  // namespace
