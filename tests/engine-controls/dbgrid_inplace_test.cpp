// The engine grid's cell editor with real keys and clicks: the pick list's
// height, type-ahead and stored values, the calendar drop-down, the
// ellipsis button, special keys and the placement against the screen edge.
#include "support/engine-controls/dbgrid_fixture.h"
#include "support/environment.h"

#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/core/clock.h"
#include "platform/db/dbtables.h"
#include "platform/ui/buttons.h"
#include "support/environment.h"

namespace {

constexpr int PriorityCol = 2;

// The height of a line of text in the font.
int LineHeight(TFont* Font) {
    TBitmap b;
    b.SetSize(10, 10);
    b.Canvas()->SetFont(Font);
    return b.Canvas()->TextHeight("Wg");
}

class DBGridInplaceTest : public DBGridTest {
protected:
    void TearDown() override {
        DBGridTest::TearDown();
        ResetClock();
    }

    TOstraColumn* Priority() const { return Grid->Columns()->Items(PriorityCol); }

    // Makes DataCol current on the first row and opens its editor with F2.
    TOstraDBGridInplaceEdit* EditCell(int DataCol) {
        ClickCell(DataCol, 0);
        SendKey(Grid, VK_F2);
        ProcessEvents();
        auto* editor = dynamic_cast<TOstraDBGridInplaceEdit*>(Grid->InplaceEditor());
        EXPECT_NE(nullptr, editor);
        if (editor) {
            EXPECT_TRUE(editor->Visible());
        }
        return editor;
    }

    // Tasks with a Date column on 18 March 2026, its editor open on the first row.
    TOstraDBGridInplaceEdit* OpenDateEditor() {
        SetClockForTesting(EncodeDate(2026, 3, 18) + 0.5);
        OpenTasks(3);
        UseTaskColumns();
        const int dateCol = AddDateColumn();
        ShowGrid();
        return EditCell(dateCol);
    }

    void Open(TOstraDBGridInplaceEdit* Editor) {
        SendKey(Editor, VK_DOWN, {ssAlt});
        ProcessEvents();
    }

    // A column of the Date field with the calendar.
    int AddDateColumn() {
        TOstraColumn* date = Grid->Columns()->Add();
        date->SetFieldName("Date");
        date->SetButtonStyle(cbsCalendar);
        date->SetWidth(100);
        return date->Index();
    }
};

// Over an SQLite table, whose texts are kept whole past their declared
// size, the cell editor limits no text: a text longer than its VARCHAR(n)
// is edited whole and stored with what is typed after it.
TEST_F(DBGridInplaceTest, ATextLongerThanItsFieldIsEditedWhole) {
    TTestEnvironment env;
    TDatabase db(nullptr);
    db.SetDatabaseName(env.Path("grid.db"));
    db.Execute(
        "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(5));"
        "INSERT INTO t VALUES (1, 'abcdefghij');");
    TTable sqlite(nullptr);
    sqlite.SetDatabaseName(env.Path("grid.db"));
    sqlite.SetTableName("t");
    sqlite.Open();
    Source->SetDataSet(&sqlite);
    ShowGrid();
    ClickCell(1, 0);
    SendKey(Grid, VK_F2);
    ProcessEvents();
    auto* editor = dynamic_cast<TOstraDBGridInplaceEdit*>(Grid->InplaceEditor());
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(0, editor->MaxLength());
    EXPECT_EQ("abcdefghij", editor->Text());
    SendKey(editor, VK_END);
    SendText(editor, "kl");
    SendKey(editor, VK_RETURN);
    ProcessEvents();
    if (sqlite.State() != dsBrowse) sqlite.Post();
    EXPECT_EQ("abcdefghijkl", sqlite.FieldByName("name")->AsString());
    Source->SetDataSet(Table);
}

TEST_F(DBGridInplaceTest, PickListHeightFollowsItemsAndDropDownRows) {
    ShowTasks(3);
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    EXPECT_EQ(TOstraDBGridInplaceEdit::esPickList, editor->EditStyle());
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    ASSERT_TRUE(editor->PickList()->Visible());
    // Each row holds a line of the list's font; the list holds its rows.
    const int row = editor->PickList()->ItemHeight();
    EXPECT_GE(row, LineHeight(editor->PickList()->Font()));
    EXPECT_EQ(5 * row + 4, editor->PickList()->Height());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(i, editor->PickList()->ItemAtPos({10, i * row + row / 2}, true));
    // The first task stores "0": its line is selected.
    EXPECT_EQ(0, editor->PickList()->ItemIndex());
    // The focus stays in the editor.
    EXPECT_TRUE(editor->Focused());
    SendKey(editor, VK_ESCAPE);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_FALSE(editor->PickList()->Visible());

    std::vector<std::string> twelve;
    for (int i = 1; i <= 12; ++i) twelve.push_back("Item " + std::to_string(i));
    SetLines(Priority()->PickList(), twelve);
    Priority()->PickValues()->Clear();
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(10 * row + 4, editor->PickList()->Height());
    // The same list window serves every drop-down.
    TPopupListbox* first = editor->PickList();
    SendKey(editor, VK_DOWN, {ssAlt});
    Open(editor);
    EXPECT_EQ(first, editor->PickList());
    Priority()->SetDropDownRows(3);
    SendKey(editor, VK_ESCAPE);
    Open(editor);
    EXPECT_EQ(3 * row + 4, editor->PickList()->Height());
}

TEST_F(DBGridInplaceTest, TypeAheadSearchesAndStartsAgainAfterFiveSeconds) {
    ShowTasks(3);
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    SetTickCountForTesting(100000);
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    SendText(editor, "M");
    SetTickCountForTesting(100300);
    SendText(editor, "e");
    EXPECT_EQ("Me", editor->PickList()->SearchText());
    EXPECT_EQ(2, editor->PickList()->ItemIndex());  // Medium
    // Exactly five seconds is no pause yet: the text goes on.
    SetTickCountForTesting(105300);
    SendText(editor, "x");
    EXPECT_EQ("Mex", editor->PickList()->SearchText());
    EXPECT_EQ(2, editor->PickList()->ItemIndex());
    SetTickCountForTesting(110301);
    SendText(editor, "L");
    EXPECT_EQ("L", editor->PickList()->SearchText());
    EXPECT_EQ(3, editor->PickList()->ItemIndex());  // Low
    SendKey(editor, VK_BACK);
    EXPECT_EQ("", editor->PickList()->SearchText());
    // The counter wraps around: a short pause across it keeps the search.
    SetTickCountForTesting(0xFFFFFF00u);
    SendText(editor, "C");
    SetTickCountForTesting(0x00000010u);
    SendText(editor, "o");
    EXPECT_EQ("Co", editor->PickList()->SearchText());
    EXPECT_EQ(4, editor->PickList()->ItemIndex());  // Completed
    // The typed keys went to the list, not into the cell.
    EXPECT_TRUE(editor->Focused());
    SendKey(editor, VK_RETURN);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ("4", Table->FieldByName("Priority")->AsString());
    EXPECT_EQ("Completed", editor->Text());
}

TEST_F(DBGridInplaceTest, PickListClickStoresValueAndAfterCloseUpReports) {
    ShowTasks(3);
    int before = 0, after = 0;
    bool accepted = false;
    TOstraColumn* seen = nullptr;
    Grid->SetBeforeDropDown(TOstraDBGridClickEvent([&](TObject*, TOstraColumn* c) {
        ++before;
        seen = c;
    }));
    Grid->SetAfterCloseUp(TOstraDBGridCloseUpEvent([&](TObject*, TOstraColumn*, bool a) {
        ++after;
        accepted = a;
    }));
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    // A press on the button opens the list.
    const TRect b = editor->ButtonRect();
    SendMouseDown(editor, mbLeft, (b.Left + b.Right) / 2, b.Height() / 2);
    SendMouseUp(editor, mbLeft, (b.Left + b.Right) / 2, b.Height() / 2);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(1, before);
    EXPECT_EQ(Priority(), seen);
    // A click on the second line ("High") closes it taking the line.
    SendClick(editor->PickList(), 10, editor->PickList()->ItemHeight() + 5);
    ProcessEvents();
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(1, after);
    EXPECT_TRUE(accepted);
    EXPECT_EQ("1", Table->FieldByName("Priority")->AsString());
    // Escape closes without taking the choice.
    Open(editor);
    SendKey(editor, VK_DOWN);
    SendKey(editor, VK_ESCAPE);
    EXPECT_EQ(2, after);
    EXPECT_FALSE(accepted);
    EXPECT_EQ("1", Table->FieldByName("Priority")->AsString());
}

TEST_F(DBGridInplaceTest, DraggingFromTheButtonIntoTheListPicksTheLine) {
    ShowTasks(3);
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    const TRect b = editor->ButtonRect();
    SendMouseDown(editor, mbLeft, b.Left + 2, 4);
    ASSERT_TRUE(editor->ListVisible());
    // The list hangs below the editor: its fourth line ("Low").
    const int y = editor->Height() + 2 + 3 * editor->PickList()->ItemHeight() + 5;
    SendMouseMove(editor, 10, y, {ssLeft});
    SendMouseMove(editor, 12, y, {ssLeft});
    SendMouseUp(editor, mbLeft, 12, y);
    ProcessEvents();
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ("3", Table->FieldByName("Priority")->AsString());
}

TEST_F(DBGridInplaceTest, ReadOnlyComboHasNoButton) {
    OpenTasks(3);
    UseTaskColumns();
    Priority()->SetReadOnly(true);
    ShowGrid();
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    EXPECT_EQ(TOstraDBGridInplaceEdit::esSimple, editor->EditStyle());
    Open(editor);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(nullptr, editor->PickList());
}

TEST_F(DBGridInplaceTest, CalendarShowsTodayForEmptyDateAndWritesThePick) {
    TOstraDBGridInplaceEdit* editor = OpenDateEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(TOstraDBGridInplaceEdit::esCalendar, editor->EditStyle());
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    TOstraPopupCalendar* cal = editor->Calendar();
    ASSERT_TRUE(cal && cal->Visible());
    EXPECT_EQ(EncodeDate(2026, 3, 18), cal->Date());
    // A click on the 9th of the shown month.
    TSpeedButton* nine = nullptr;
    for (int i = 1; i <= 14 && !nine; ++i)
        if (cal->DayButton(i)->Caption() == "9") nine = cal->DayButton(i);
    ASSERT_TRUE(nine);
    SendClick(nine, 4, 4);
    ProcessEvents();
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_FALSE(cal->Visible());
    EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 9)), Table->FieldByName("Date")->Text());
    // Opened again it shows the stored date; Enter takes it unchanged.
    Open(editor);
    EXPECT_EQ(EncodeDate(2026, 3, 9), cal->Date());
    SendKey(editor, VK_ESCAPE);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 9)), Table->FieldByName("Date")->Text());
}

// With a pick list or the calendar open over a cell, the event loop comes
// to rest: nothing repaints or posts itself again and again.
TEST_F(DBGridInplaceTest, AnOpenDropDownLetsTheEventLoopRest) {
    TOstraDBGridInplaceEdit* editor = OpenDateEditor();
    ASSERT_TRUE(editor);
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_TRUE(EventLoopRests());
    SendKey(editor, VK_ESCAPE);
    editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_TRUE(EventLoopRests());
    SendKey(editor, VK_ESCAPE);
    EXPECT_FALSE(editor->ListVisible());
}

// A date column as narrow as the program's (67 pixels): the editor shows
// the whole date beside its button, reaching into the next column.
TEST_F(DBGridInplaceTest, ANarrowDateColumnsEditorShowsTheWholeDate) {
    SetClockForTesting(EncodeDate(2026, 3, 18) + 0.5);
    OpenTasks(3);
    Table->Edit();
    Table->FieldByName("Date")->SetAsDateTime(EncodeDate(2026, 12, 28));
    Table->Post();
    UseTaskColumns();
    const int dateCol = AddDateColumn();
    Grid->Columns()->Items(dateCol)->SetWidth(67);
    ShowGrid();
    TOstraDBGridInplaceEdit* editor = EditCell(dateCol);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(RenderControlToPng(Grid, TestRunPath("inplace_narrow_date.png")));
    const TRect cell = DataCellRect(dateCol, 0);
    EXPECT_EQ(editor->Text(), DateToStr(EncodeDate(2026, 12, 28)));
    EXPECT_EQ(editor->Left(), cell.Left);
    EXPECT_GE(editor->Width(), cell.Width());
    EXPECT_LE(editor->Left() + editor->Width(), Grid->ClientWidth());
    TBitmap measure;
    measure.Canvas()->Font()->Assign(editor->Font());
    // the text area's margin of two pixels each side
    EXPECT_LE(2 + measure.Canvas()->TextWidth(editor->Text()) + 2, editor->ButtonRect().Left);
    // other columns keep the cell's bounds
    SendKey(editor, VK_ESCAPE);
    editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->Width(), DataCellRect(PriorityCol, 0).Width());
}

TEST_F(DBGridInplaceTest, CalendarReleasesInsideAndOutside) {
    TOstraDBGridInplaceEdit* editor = OpenDateEditor();
    ASSERT_TRUE(editor);
    bool accepted = true;
    Grid->SetAfterCloseUp(TOstraDBGridCloseUpEvent([&](TObject*, TOstraColumn*, bool a) { accepted = a; }));
    Open(editor);
    TOstraPopupCalendar* cal = editor->Calendar();
    ASSERT_TRUE(cal && cal->Visible());
    // A left release outside the panel closes it and takes nothing.
    SendMouseUp(cal, mbLeft, -5, cal->Height() + 5);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(Table->FieldByName("Date")->IsNull());
    // Other buttons: a release by the left edge keeps it open; one in the
    // day area takes the date. The editor holds the mouse from the press on
    // its button, so the panel gets the release even over its day buttons.
    const TRect b = editor->ButtonRect();
    SendMouseDown(editor, mbLeft, b.Left + 2, 4);
    ASSERT_TRUE(editor->ListVisible());
    cal->Perform(WM_RBUTTONUP, 0, MakeLParam(1, 100));
    EXPECT_TRUE(editor->ListVisible());
    cal->Perform(WM_RBUTTONUP, 0, MakeLParam(40, 60));
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 18)), Table->FieldByName("Date")->Text());
}

TEST_F(DBGridInplaceTest, EllipsisOnReadOnlyColumnFiresEditButtonClick) {
    OpenTasks(3);
    UseTaskColumns();
    TOstraColumn* action = Grid->Columns()->Items(1);
    action->SetButtonStyle(cbsEllipsis);
    action->SetReadOnly(true);
    ShowGrid();
    int clicks = 0;
    TOstraColumn* clicked = nullptr;
    Grid->SetOnEditButtonClick(TOstraDBGridClickEvent([&](TObject*, TOstraColumn* c) {
        ++clicks;
        clicked = c;
    }));
    TOstraDBGridInplaceEdit* editor = EditCell(1);
    ASSERT_TRUE(editor);
    EXPECT_EQ(TOstraDBGridInplaceEdit::esEllipsis, editor->EditStyle());
    EXPECT_TRUE(editor->ReadOnly());
    const TRect b = editor->ButtonRect();
    EXPECT_EQ(editor->ButtonWidth(), b.Width());
    EXPECT_EQ(editor->Width(), b.Right);
    SendClick(editor, (b.Left + b.Right) / 2, b.Height() / 2);
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(action, clicked);
    EXPECT_FALSE(editor->ListVisible());
    // A press on the button released elsewhere is no click.
    SendMouseDown(editor, mbLeft, (b.Left + b.Right) / 2, b.Height() / 2);
    SendMouseUp(editor, mbLeft, 2, 2);
    EXPECT_EQ(1, clicks);
    // Ctrl+Enter is the keyboard's click.
    SendKey(editor, VK_RETURN, {ssCtrl});
    EXPECT_EQ(2, clicks);
    EXPECT_EQ("Task 1", editor->Text());
}

TEST_F(DBGridInplaceTest, SpecialKeyDownFiresOnlyForNonTextKeys) {
    ShowTasks(3);
    std::vector<uint16_t> keys;
    std::string shownText;
    Grid->SetOnSpecialKeyDown(
        TOstraSpecialKeyDownEvent([&](TObject*, TOstraColumn*, uint16_t& Key, const std::string& Text) {
            keys.push_back(Key);
            shownText = Text;
            if (Key == VK_F5) Key = 0;
        }));
    TOstraDBGridInplaceEdit* editor = EditCell(1);
    ASSERT_TRUE(editor);
    SendKeyDown(editor, VK_END);
    EXPECT_EQ((std::vector<uint16_t>{VK_END}), keys);
    EXPECT_EQ("Task 1", shownText);
    keys.clear();
    for (uint16_t k : {uint16_t('A'), uint16_t('5'), uint16_t(VK_SPACE), uint16_t(VK_NUMPAD3)})
        SendKeyDown(editor, k);
    EXPECT_TRUE(keys.empty());
    for (uint16_t k : {uint16_t(VK_DELETE), uint16_t(VK_F1), uint16_t(VK_F12), uint16_t(VK_LEFT),
                       uint16_t(VK_RIGHT), uint16_t(VK_BACK)})
        SendKeyDown(editor, k);
    EXPECT_EQ((std::vector<uint16_t>{VK_DELETE, VK_F1, VK_F12, VK_LEFT, VK_RIGHT, VK_BACK}), keys);
    keys.clear();
    // A handler that clears the key keeps it from the editor and the grid.
    SendKeyDown(editor, VK_F5);
    EXPECT_EQ((std::vector<uint16_t>{VK_F5}), keys);
    keys.clear();
    SendKeyDown(editor, VK_RETURN);
    SendKeyDown(editor, VK_ESCAPE);
    EXPECT_TRUE(keys.empty());
    SendKeyDown(editor, VK_TAB);
    EXPECT_EQ((std::vector<uint16_t>{VK_TAB}), keys);
}

TEST_F(DBGridInplaceTest, DropDownNearTheScreenBottomOpensAboveTheCell) {
    ShowTasks(3);
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    TPoint top = editor->ClientToScreen(TPoint{0, 0});
    // Room below: the list hangs under the cell.
    EXPECT_EQ(top.Y + editor->Height(), editor->PickList()->Top());
    EXPECT_EQ(top.X, editor->PickList()->Left());
    SendKey(editor, VK_ESCAPE);

    Form->SetBounds(Screen->Width() - 300, Screen->Height() - 100, 640, 420);
    ProcessEvents();
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    top = editor->ClientToScreen(TPoint{0, 0});
    TPopupListbox* list = editor->PickList();
    EXPECT_EQ(top.Y, list->Top() + list->Height());
    // Its right edge stays on the screen.
    EXPECT_LE(list->Left() + list->Width(), Screen->Width());
    EXPECT_LT(list->Left(), top.X + editor->Width());
}

TEST_F(DBGridInplaceTest, LookupListWritesTheKeyOfThePickedRecord) {
    OpenTasks(3);
    UseTaskColumns();
    auto* statuses = new TOstraTable(Form);
    statuses->FieldDefs()->Add("Code", ftString, 15);
    statuses->FieldDefs()->Add("Name", ftString, 30);
    statuses->Open();
    for (const char* code : {"new", "open", "done"}) {
        statuses->Append();
        statuses->FieldByName("Code")->SetAsString(code);
        statuses->FieldByName("Name")->SetAsString(std::string("Status ") + code);
        statuses->Post();
    }
    PutText(Table, "Status", "open");
    TOstraColumn* status = Grid->Columns()->Add();
    status->SetFieldName("Status");
    status->SetButtonStyle(cbsLookup);
    status->SetLookupDataSet(statuses);
    status->SetLookupKeyField("Status");
    status->SetLookupLinkField("Code");
    status->SetLookupDropDownFields("Name");
    status->SetDropDownRows(3);
    status->SetWidth(110);
    ShowGrid();
    TOstraDBGridInplaceEdit* editor = EditCell(status->Index());
    ASSERT_TRUE(editor);
    EXPECT_EQ(TOstraDBGridInplaceEdit::esDataList, editor->EditStyle());
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    TOstraGridPopupDataList* list = editor->DataList();
    ASSERT_TRUE(list && list->Visible());
    EXPECT_EQ("open", list->KeyValue().AsString());
    EXPECT_EQ(status->Width(), list->Width());
    SendKey(editor, VK_DOWN);
    SendKey(editor, VK_RETURN);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ("done", Table->FieldByName("Status")->AsString());
    // The list lets go of the lookup dataset when it closes.
    EXPECT_EQ(nullptr, list->ListSource());
}

// Opened by Alt+Down and by the button, the lookup list is as tall as its
// records, up to DropDownRows, each row a line of its font.
TEST_F(DBGridInplaceTest, LookupListIsAsTallAsItsRecords) {
    OpenTasks(3);
    UseTaskColumns();
    auto* statuses = new TOstraTable(Form);
    statuses->FieldDefs()->Add("Code", ftString, 15);
    statuses->Open();
    for (const char* code : {"Open", "Waiting", "Done", "Dropped"}) {
        statuses->Append();
        statuses->FieldByName("Code")->SetAsString(code);
        statuses->Post();
    }
    TOstraColumn* status = Grid->Columns()->Add();
    status->SetFieldName("Status");
    status->SetButtonStyle(cbsLookup);
    status->SetLookupDataSet(statuses);
    status->SetLookupKeyField("Status");
    status->SetLookupLinkField("Code");
    status->SetLookupDropDownFields("Code");
    status->SetWidth(110);
    ASSERT_GT(status->DropDownRows(), 4u);
    ShowGrid();
    TOstraDBGridInplaceEdit* editor = EditCell(status->Index());
    ASSERT_TRUE(editor);
    TOstraGridPopupDataList* list = editor->DataList();
    const auto expectRows = [&](int Rows, const std::string& How) {
        SCOPED_TRACE(How);
        ASSERT_TRUE(editor->ListVisible());
        ASSERT_TRUE(list->Visible());
        const int row = list->ItemHeight();
        EXPECT_GE(row, LineHeight(list->Font()));
        EXPECT_EQ(Rows, list->RowCount());
        EXPECT_EQ(Rows * row, list->ClientHeight());
        // The last row is the last record's.
        EXPECT_EQ(Rows - 1, list->RowAt(list->ClientHeight() - 1));
    };
    Open(editor);
    expectRows(4, "Alt+Down");
    ASSERT_TRUE(RenderControlToPng(list, TestRunPath("inplace_lookup_list.png")));
    SendKey(editor, VK_ESCAPE);
    const TRect b = editor->ButtonRect();
    SendClick(editor, (b.Left + b.Right) / 2, b.Height() / 2);
    expectRows(4, "button");
    SendKey(editor, VK_ESCAPE);
    status->SetDropDownRows(2);
    Open(editor);
    expectRows(2, "two rows at most");
    SendKey(editor, VK_ESCAPE);
}

TEST_F(DBGridInplaceTest, AutoDropDownOpensOnTyping) {
    OpenTasks(3);
    UseTaskColumns();
    Priority()->SetAutoDropDown(true);
    ShowGrid();
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    EXPECT_FALSE(editor->ListVisible());
    SendText(editor, "h");
    EXPECT_TRUE(editor->ListVisible());
    EXPECT_EQ(1, editor->PickList()->ItemIndex());  // High
}

TEST_F(DBGridInplaceTest, DroppedDownPickListRenders) {
    ShowTasks(3);
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    Open(editor);
    SendKey(editor, VK_DOWN);
    ProcessEvents();
    TPopupListbox* list = editor->PickList();
    ASSERT_TRUE(list->Visible());
    EXPECT_EQ(1, list->ItemIndex());
    TBitmap bmp;
    RenderControl(list, &bmp);
    bmp.SaveToFile(TestRunPath("inplace_picklist.png"));
    ASSERT_EQ(list->Width(), bmp.Width());
    // The selected line (the second) is highlighted, the first is not.
    const int row = list->ItemHeight();
    const TRect selected = Rect(2, 2 + row, list->ClientWidth() - 2, 2 + 2 * row);
    const TRect other = Rect(2, 2, list->ClientWidth() - 2, 2 + row);
    const int area = selected.Width() * selected.Height();
    EXPECT_LT(CountColor(&bmp, selected, list->Color()), area / 2);
    EXPECT_GT(CountColor(&bmp, other, list->Color()), area / 2);
    // The editor's combo button is drawn at its right edge.
    TBitmap ed;
    RenderControl(editor, &ed);
    ed.SaveToFile(TestRunPath("inplace_editor.png"));
    const TRect b = editor->ButtonRect();
    EXPECT_GT(CountColor(&ed, b, clBtnFace), 0);
}

// An open pick list changes no other row: a fresh paint shows each row's own
// values with the list open, after a move in it, and after Escape.
TEST_F(DBGridInplaceTest, OtherRowsKeepTheirValuesWhileTheListIsOpen) {
    ShowTasks(6);
    TOstraDBGridInplaceEdit* editor = EditCell(PriorityCol);
    ASSERT_TRUE(editor);
    const auto before = Render("dbgrid_list_before");
    auto same = [&](TBitmap& Shot) {
        int rows = 0;
        for (int row = 1; row < 6; ++row) {
            bool alike = true;
            for (int col = 0; col < Grid->Columns()->Count(); ++col) {
                TRect r = DataCellRect(col, row);
                InflateRect(r, -2, -2);
                for (int y = r.Top; y < r.Bottom; ++y)
                    for (int x = r.Left; x < r.Right; ++x)
                        alike = alike && Shot.Canvas()->Pixels(x, y) == before->Canvas()->Pixels(x, y);
            }
            if (alike) ++rows;
        }
        return rows;
    };
    Open(editor);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(5, same(*Render("dbgrid_list_open")));
    SendKey(editor, VK_DOWN);
    EXPECT_EQ(5, same(*Render("dbgrid_list_moved")));
    SendKey(editor, VK_ESCAPE);
    ASSERT_FALSE(editor->ListVisible());
    EXPECT_EQ(5, same(*Render("dbgrid_list_escaped")));
}

}  // namespace
