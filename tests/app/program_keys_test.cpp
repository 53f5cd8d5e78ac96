// The started program from the keyboard: the task grid after its
// drop-downs, the menus, and text typed in the quote editor.
#include "support/app/program_harness.h"

#include <algorithm>

#include "app/quote_editor.h"
#include "engine-controls/ostra_calendar.h"
#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"

namespace {

using TNames = std::vector<std::string>;

class ProgramKeysTest : public ProgramTest {
protected:
    // The control with the keyboard: the grid or its visible cell editor.
    void ExpectKeysGoToTheGrid(TOstraDBGrid* Grid) {
        TWinControl* focused = FocusedControl();
        ASSERT_NE(focused, nullptr);
        EXPECT_TRUE(focused == Grid || (focused->Parent() == Grid && focused->Visible()))
            << "the keys go to " << focused->ClassName();
    }
    TOstraDBGridInplaceEdit* Editor(TOstraDBGrid* Grid) {
        return dynamic_cast<TOstraDBGridInplaceEdit*>(Grid->InplaceEditor());
    }
    // A click on the day button showing Day in the open calendar.
    void ClickDay(TOstraDBGrid* Grid, const std::string& Day) {
        TOstraDBGridInplaceEdit* editor = Editor(Grid);
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(editor->ListVisible());
        TOstraPopupCalendar* calendar = editor->Calendar();
        ASSERT_NE(calendar, nullptr);
        TSpeedButton* day = nullptr;
        for (int i = 1; i <= 14 && !day; ++i)
            if (calendar->DayButton(i)->Caption() == Day) day = calendar->DayButton(i);
        ASSERT_NE(day, nullptr);
        // The press makes the window manager activate the drop-down's window.
        SendMouseDown(day, mbLeft, 4, 4);
        ActivateWindowOf(calendar);
        SendMouseUp(day, mbLeft, 4, 4);
        ProcessEvents();
    }
};

// A category chosen with the keys, then a date picked with a click: the grid
// has the keys again, so Down leaves the row (posting it), Left and Tab move
// the cell and a typed letter starts an edit of the cell.
TEST_F(ProgramKeysTest, TheTaskGridTakesKeysAfterADayIsClickedInItsDropDown) {
    AddTasks("Ttask.d", {{"First", "1", false}, {"Second", "2", false}, {"Third", "3", false}});
    Start();
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    TDataSet* tasks = Form->dTask_();
    ClickCell(grid, 5, 1);
    ClickCell(grid, 5, 1);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    SendKeyToFocus(VK_DOWN);
    SendKeyToFocus(VK_RETURN);
    ClickCell(grid, 6, 1);
    ClickCell(grid, 6, 1);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    ClickDay(grid, "9");
    ASSERT_FALSE(Editor(grid)->ListVisible());
    EXPECT_EQ(tasks->State(), dsEdit);
    ExpectKeysGoToTheGrid(grid);

    const int row = tasks->RecNo();
    SendKeyToFocus(VK_DOWN);
    EXPECT_EQ(tasks->RecNo(), row + 1);
    EXPECT_EQ(tasks->State(), dsBrowse);
    ExpectKeysGoToTheGrid(grid);
    SendKeyToFocus(VK_LEFT);
    EXPECT_EQ(grid->SelectedIndex(), 4);
    SendKeyToFocus(VK_TAB);
    EXPECT_EQ(grid->SelectedIndex(), 5);
    SendKeyToFocus(VK_UP);
    EXPECT_EQ(tasks->RecNo(), row);
    // The picked date was posted with the row.
    int year = 0, month = 0, day = 0;
    DecodeDate(tasks->FieldByName("Date")->AsDateTime(), year, month, day);
    EXPECT_EQ(day, 9);
    // A letter typed on the Action cell goes into its editor.
    SendKeyToFocus(VK_LEFT);
    SendKeyToFocus(VK_LEFT);
    ASSERT_EQ(grid->SelectedIndex(), 3);
    SendText(FocusedControl(), "x");
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "x");
    SendKeyToFocus(VK_ESCAPE);
    SendKeyToFocus(VK_ESCAPE);
    EXPECT_EQ(tasks->State(), dsBrowse);
    EXPECT_TRUE(CloseProgram());
}

// A date picked alone with a click, and a pick list closed with a click.
TEST_F(ProgramKeysTest, ClicksThatCloseTheDropDownsGiveTheKeysBack) {
    AddTasks("Ttask.d", {{"First", "1", false}, {"Second", "2", false}});
    Start();
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    TDataSet* tasks = Form->dTask_();
    ClickCell(grid, 6, 2);
    ClickCell(grid, 6, 2);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    ClickDay(grid, "9");
    ExpectKeysGoToTheGrid(grid);
    SendKeyToFocus(VK_UP);
    EXPECT_EQ(tasks->RecNo(), 1);
    EXPECT_EQ(tasks->State(), dsBrowse);

    // The Priority pick list closed by a click on an item.
    ClickCell(grid, 3, 1);
    ClickCell(grid, 3, 1);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    TOstraDBGridInplaceEdit* editor = Editor(grid);
    ASSERT_TRUE(editor->ListVisible());
    TWinControl* list = editor->ActiveList();
    auto* box = dynamic_cast<TCustomListBox*>(list);
    ASSERT_NE(box, nullptr);
    const TRect first = box->ItemRect(0);
    SendMouseDown(box, mbLeft, (first.Left + first.Right) / 2, (first.Top + first.Bottom) / 2);
    ActivateWindowOf(box);
    SendMouseUp(box, mbLeft, (first.Left + first.Right) / 2, (first.Top + first.Bottom) / 2);
    ProcessEvents();
    ASSERT_FALSE(editor->ListVisible());
    EXPECT_EQ(tasks->FieldByName("Priority")->AsString(), "0");
    ExpectKeysGoToTheGrid(grid);
    SendKeyToFocus(VK_DOWN);
    EXPECT_EQ(tasks->State(), dsBrowse);
    EXPECT_TRUE(CloseProgram());
}

// F10 and Alt alone select the first title; arrows move across the titles
// and between open menus, Enter opens, Escape leaves; meanwhile the grid
// gets no keys.
TEST_F(ProgramKeysTest, TheMenusOpenFromTheKeyboard) {
    AddTasks("Ttask.d", {{"First", "1", false}, {"Second", "2", false}});
    Start();
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    ClickCell(grid, 4, 1);
    TMainMenu* menu = Form->MainMenu1();
    TTestMenus menus;
    TTestModalForms forms;

    SendKeyToFocus(VK_F10);
    ASSERT_TRUE(menu->InMenuMode());
    EXPECT_EQ(menu->SelectedItem()->Caption(), "File");
    SendKeyToFocus(VK_RIGHT);
    EXPECT_EQ(menu->SelectedItem()->Caption(), "Edit");
    SendKeyToFocus(VK_RIGHT);
    SendKeyToFocus(VK_RIGHT);
    EXPECT_EQ(menu->SelectedItem()->Caption(), "File");
    SendKeyToFocus(VK_LEFT);
    EXPECT_EQ(menu->SelectedItem()->Caption(), "Help");
    // The grid stays where it was.
    SendKeyToFocus(VK_DOWN);
    EXPECT_EQ(Form->dTask_()->RecNo(), 1);
    ASSERT_EQ(menus.Opened().size(), 1u);
    EXPECT_EQ(menus.Opened()[0], (TNames{"&Help", "&Options", "&About"}));
    EXPECT_TRUE(menus.OpenedByKeys()[0]);
    // That menu closed without a choice (Escape): the title stays selected.
    EXPECT_EQ(menu->SelectedItem()->Caption(), "Help");
    menus.Answer("&About");
    forms.PushResult(mrOk);
    SendKeyToFocus(VK_RETURN);
    EXPECT_EQ(forms.Shown(), TNames{"TAboutBox1"});
    EXPECT_FALSE(menu->InMenuMode());

    // Alt pressed and released alone; Right from the open File menu opens Edit.
    SendKeyDown(FocusedControl(), VK_MENU, {ssAlt});
    SendKeyUp(FocusedControl(), VK_MENU);
    ASSERT_TRUE(menu->InMenuMode());
    EXPECT_EQ(menu->SelectedItem()->Caption(), "File");
    menus.Answer(">");
    menus.Answer("Categories &1");
    forms.PushResult(mrCancel);
    SendKeyToFocus(VK_DOWN);
    ASSERT_EQ(menus.Opened().size(), 4u);
    EXPECT_EQ(menus.Opened()[2], (TNames{"&Backup", "&Restore", "&Calendar", "E&xit"}));
    EXPECT_EQ(menus.Opened()[3], (TNames{"Categories &1", "Categories &2"}));
    EXPECT_EQ(forms.Shown(), (TNames{"TAboutBox1", "TfrmCateg1"}));
    EXPECT_FALSE(menu->InMenuMode());

    // A title's letter opens it; Escape leaves and the grid has its keys back.
    SendKeyToFocus(VK_F10);
    menus.Answer("&Calendar");
    forms.PushResult(mrCancel);
    SendKeyToFocus('F');
    EXPECT_EQ(forms.Shown().back(), "TOKCalendarDlg");
    SendKeyToFocus(VK_F10);
    ASSERT_TRUE(menu->InMenuMode());
    SendKeyToFocus(VK_ESCAPE);
    EXPECT_FALSE(menu->InMenuMode());
    SendKeyToFocus(VK_DOWN);
    EXPECT_EQ(Form->dTask_()->RecNo(), 2);
    // Alt with another key is no menu key: Alt+Down stays the grid's.
    SendKeyDown(FocusedControl(), VK_MENU, {ssAlt});
    SendKeyToFocus(VK_DOWN, {ssAlt});
    SendKeyUp(FocusedControl(), VK_MENU);
    EXPECT_FALSE(menu->InMenuMode());
    // A click leaves the mode.
    SendKeyToFocus(VK_F10);
    ASSERT_TRUE(menu->InMenuMode());
    ClickCell(grid, 4, 1);
    EXPECT_FALSE(menu->InMenuMode());
    EXPECT_TRUE(CloseProgram());
}

const char* const kCloseUnsaved =
    "Not everything could be saved. Close anyway and lose the changes that were not saved?";

// A command chosen from the keyboard whose work fails (the task file is
// read-only, so the close cannot save) says why, and the window stays with
// the task; once the file can be written the close saves it.
TEST_F(ProgramKeysTest, AFailedSaveOnAnExitChosenWithTheKeysKeepsTheWindow) {
    Start();
    ShowTab(Form->TabSheet1());
    Click(Form->spBtnAdd());
    Form->dTask_()->FieldByName("Action")->SetAsString("Kept after a failed save");
    Form->dTask_()->Post();
    ClickCell(Form->OstraDBGrid1(), 4, 1);
    namespace fs = std::filesystem;
    const fs::perms writable = fs::status(Dir + "Ttask.d").permissions();
    fs::permissions(Dir + "Ttask.d", fs::perms::owner_read | fs::perms::group_read);
    TTestMenus menus;
    menus.Answer("E&xit");
    Dialogs.Answer(mrYes);
    SendKeyToFocus(VK_F10);
    SendKeyToFocus(VK_DOWN);
    ASSERT_EQ(Dialogs.Count(), 3);
    EXPECT_EQ(Dialogs.Messages()[0].Text, " Close application ?");
    EXPECT_EQ(Dialogs.Messages()[1].DlgType, mtError);
    EXPECT_EQ(Dialogs.Messages()[1].Text,
              "Cannot create file \"" + Dir + "Ttask.d\". The file is read-only.");
    // closing without the changes is offered, No first
    EXPECT_EQ(Dialogs.Last().Text, kCloseUnsaved);
    EXPECT_EQ(Dialogs.Last().DefaultButton, mbNo);
    ASSERT_EQ(Application->MainForm(), Form);
    EXPECT_TRUE(Form->Visible());
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Kept after a failed save"});
    // a second try asks again, Escape keeps the window too
    Dialogs.Clear();
    Dialogs.Answer(mrYes);
    Dialogs.Answer(mrOk);
    Dialogs.Answer(mrNo);
    EXPECT_FALSE(CloseProgram());
    ASSERT_EQ(Dialogs.Count(), 3);
    EXPECT_EQ(Dialogs.Last().Text, kCloseUnsaved);
    EXPECT_EQ(Dialogs.Last().CancelButton, mbNo);
    EXPECT_TRUE(Form->Visible());

    Dialogs.Clear();  // the close's own Yes, not asked for
    fs::permissions(Dir + "Ttask.d", writable);
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), TNames{"Kept after a failed save"});
    Restart();
    EXPECT_EQ(Column(Form->dTask_(), "Action"), TNames{"Kept after a failed save"});
    EXPECT_TRUE(CloseProgram());
}

// A folder that cannot be written does not keep the program open for good:
// closing without what could not be saved, once confirmed, ends it with the
// file as it was.
TEST_F(ProgramKeysTest, AFailedSaveCanBeLeftBehindWhenTheCloseIsConfirmed) {
    Start();
    ShowTab(Form->TabSheet1());
    const TNames before = FileColumn("Ttask.d", "Action");
    Click(Form->spBtnAdd());
    Form->dTask_()->FieldByName("Action")->SetAsString("Given up");
    Form->dTask_()->Post();
    namespace fs = std::filesystem;
    const fs::perms writable = fs::status(Dir + "Ttask.d").permissions();
    fs::permissions(Dir + "Ttask.d", fs::perms::owner_read | fs::perms::group_read);
    Dialogs.Answer(mrYes);  // close
    Dialogs.Answer(mrOk);   // the error
    Dialogs.Answer(mrYes);  // and without the changes
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(Dialogs.Last().Text, kCloseUnsaved);
    fs::permissions(Dir + "Ttask.d", writable);
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), before);
}

// Exit pressed by mistake: No (Escape on the box) keeps the window and
// everything typed in Catch All, a posted row and a cell still in its
// editor; nothing is written until the close is answered Yes.
TEST_F(ProgramKeysTest, ExitAnsweredNoKeepsWhatWasTypedInCatchAll) {
    AddTasks("List.d", {{"Saved idea", "2", false}});
    Start();
    ShowTab(Form->TabSheet4());
    TOstraDBGrid* grid = Form->OstraDBGrid3();
    TDataSet* list = Form->dList_();
    Click(Form->spBtnAdd());
    ClickCell(grid, 4, 2);
    TypeToFocus("Typed idea");
    ClickCell(grid, 4, 1);  // leaving the new row posts it
    ASSERT_EQ(list->State(), dsBrowse);
    ClickCell(grid, 4, 1);
    ASSERT_TRUE(grid->EditorMode());
    SendKeyToFocus(VK_END);
    TypeToFocus(" and more");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Dialogs.Answer(mrNo);
        Click(Form->SpeedButton2());  // "Exit"
        EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
        EXPECT_EQ(Dialogs.Last().CancelButton, mbNo);
        EXPECT_EQ(LastCloseAction, caNone);
        EXPECT_TRUE(Form->Visible());
        EXPECT_TRUE(grid->EditorMode());
        EXPECT_EQ(list->State(), dsEdit);
        EXPECT_EQ(FileColumn("List.d", "Action"), TNames{"Saved idea"});
    }
    ASSERT_NE(Editor(grid), nullptr);
    EXPECT_EQ(Editor(grid)->Text(), "Saved idea and more");
    SendKeyToFocus(VK_RETURN);
    EXPECT_EQ(Column(list, "Action"), (TNames{"Saved idea and more", "Typed idea"}));
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(FileColumn("List.d", "Action"), (TNames{"Saved idea and more", "Typed idea"}));
}

// Text typed into the quote editor is kept when the editor is closed with
// its close box.
TEST_F(ProgramKeysTest, TheQuoteEditorsCloseBoxKeepsWhatWasTyped) {
    Start();
    ShowTab(Form->TabSheet5());
    TTestModalForms forms;
    forms.Push([&](TCustomForm* f) {
        auto* editor = dynamic_cast<TfrmDEQuote*>(f);
        ASSERT_NE(editor, nullptr);
        Click(editor->ToolButton7());
        Click(editor->DBMemo1());
        SendText(editor->DBMemo1(), "Typed and closed");
        Click(editor->DBEdit1());
        SendText(editor->DBEdit1(), "Me");
        SendCloseBox(editor);
    });
    DoubleClickCell(Form->OstraDBGrid4(), 2, 2);
    ProcessEvents();
    ASSERT_EQ(forms.Shown(), TNames{"TfrmDEQuote"});
    EXPECT_EQ(Form->dQuotes_()->State(), dsBrowse);
    Click(Form->spbtnSave());
    const TNames quotes = FileColumn("quotes.d", "Quote");
    const TNames authors = FileColumn("quotes.d", "Author");
    ASSERT_EQ(quotes.size(), authors.size());
    bool found = false;
    for (std::size_t i = 0; i < quotes.size(); ++i)
        if (quotes[i] == "Typed and closed") {
            found = true;
            EXPECT_EQ(authors[i], "Me");
        }
    EXPECT_TRUE(found);
    EXPECT_TRUE(CloseProgram());
}

// On Today each group's task takes a category of its own group from the
// drop-down, chosen with the keys, and keeps it in its file.
TEST_F(ProgramKeysTest, TodaysCategoryDropDownsOfferTheirGroupsCategories) {
    AddTasks("Ttask.d", {{"First group", "1", true}});
    AddTasks("Ttask2.d", {{"Second group", "1", true}});
    Start();
    const auto choose = [this](TOstraDBGrid* Grid) {
        ClickCell(Grid, 5, 1);
        ClickCell(Grid, 5, 1);
        SendKeyToFocus(VK_DOWN, {ssAlt});
        ASSERT_NE(Editor(Grid), nullptr);
        EXPECT_TRUE(Editor(Grid)->ListVisible());
        SendKeyToFocus(VK_DOWN);
        SendKeyToFocus(VK_RETURN);
    };
    const TNames first{"Home", "Work", "Errands", "Health", "Finance"};
    const TNames second{"Projects", "Study", "Hobby", "Family", "Travel"};
    const auto in = [](const TNames& Names, const std::string& Name) {
        return std::find(Names.begin(), Names.end(), Name) != Names.end();
    };
    choose(Form->OstraDBGrid8());
    const std::string chosen2 = Form->tblToDay2_()->FieldByName("Category")->AsString();
    EXPECT_TRUE(in(second, chosen2)) << chosen2;
    choose(Form->OstraDBGrid7());
    const std::string chosen1 = Form->tblToDay1_()->FieldByName("Category")->AsString();
    EXPECT_TRUE(in(first, chosen1)) << chosen1;
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask2.d", "Category"), TNames{chosen2});
    EXPECT_EQ(FileColumn("Ttask.d", "Category"), TNames{chosen1});
    EXPECT_TRUE(CloseProgram());
}

// A quote added in the editor can be the quote of the day at once; a change
// to the quote of the day shows on the bottom line once saved, and both last
// over a restart.
TEST_F(ProgramKeysTest, ANewQuoteBecomesTheQuoteOfTheDayAtOnce) {
    Start();
    ShowTab(Form->TabSheet5());
    TTestModalForms forms;
    // The editor opened on a row of the grid: Add first when an author is given.
    const auto edit = [&](int Row, const std::string& Quote, const std::string& Author) {
        forms.Push([&, Quote, Author](TCustomForm* f) {
            auto* editor = dynamic_cast<TfrmDEQuote*>(f);
            ASSERT_NE(editor, nullptr);
            if (!Author.empty()) Click(editor->ToolButton7());
            Click(editor->DBMemo1());
            SendKey(editor->DBMemo1(), VK_END, TShiftState{ssCtrl});
            SendText(editor->DBMemo1(), Quote);
            if (!Author.empty()) {
                Click(editor->DBEdit1());
                SendText(editor->DBEdit1(), Author);
            }
            SendCloseBox(editor);
        });
        DoubleClickCell(Form->OstraDBGrid4(), 2, Row);
        ProcessEvents();
    };
    edit(1, "Fresh words.", "Newcomer");
    ASSERT_EQ(Form->dQuotes_()->FieldByName("Quote")->AsString(), "Fresh words.");
    const int key = Form->dQuotes_()->FieldByName("Key")->AsInteger();
    Click(Form->SpeedButton4());  // "QD"
    EXPECT_EQ(Form->QuoteSelected(), key);
    EXPECT_EQ(Form->DBText1()->Field()->AsString(), "Fresh words. - Newcomer");
    // The quote of the day changed and saved: the bottom line follows.
    edit(Form->OstraDBGrid4()->Row(), " Again.", "");
    Click(Form->spbtnSave());
    EXPECT_EQ(Form->DBText1()->Field()->AsString(), "Fresh words. Again. - Newcomer");
    EXPECT_TRUE(CloseProgram());
    Restart();
    EXPECT_EQ(Form->QuoteSelected(), key);
    EXPECT_EQ(Form->DBText1()->Field()->AsString(), "Fresh words. Again. - Newcomer");
    EXPECT_TRUE(CloseProgram());
}

// A quote typed past the room of its field stops where the field ends, so
// what the editor shows is what is saved; line breaks count too.
TEST_F(ProgramKeysTest, AQuoteTypedPastItsFieldStopsWhereTheSavedTextEnds) {
    Start();
    ShowTab(Form->TabSheet5());
    std::string typed;
    while (typed.size() < 300) typed += "and more words ";
    std::string shown;
    TTestModalForms forms;
    forms.Push([&](TCustomForm* f) {
        auto* editor = dynamic_cast<TfrmDEQuote*>(f);
        ASSERT_NE(editor, nullptr);
        Click(editor->ToolButton7());
        Click(editor->DBMemo1());
        SendText(editor->DBMemo1(), "First line");
        SendKeyToFocus(VK_RETURN);
        SendText(editor->DBMemo1(), typed);
        // Full: a line break has no room either.
        SendKeyToFocus(VK_RETURN);
        shown = editor->DBMemo1()->Text();
        Click(editor->ToolButton6());
        SendCloseBox(editor);
    });
    DoubleClickCell(Form->OstraDBGrid4(), 2, 2);
    ProcessEvents();
    ASSERT_EQ(forms.Shown(), TNames{"TfrmDEQuote"});
    EXPECT_EQ(shown.size(), 255u);
    EXPECT_EQ(shown.back(), ' ');
    EXPECT_EQ(shown.rfind("First line\nand more", 0), 0u) << shown;
    const TNames quotes = FileColumn("quotes.d", "Quote");
    ASSERT_FALSE(quotes.empty());
    EXPECT_EQ(quotes.back(), shown);

    // The project memos keep to their fields alike.
    ShowTab(Form->TabSheet6());
    Click(Form->spBtnAdd());
    Click(Form->DBMemo1());
    SendText(Form->DBMemo1(), typed);
    const std::string project = Form->DBMemo1()->Text();
    EXPECT_LE(project.size(), 255u);
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Goals.d", "Target"), TNames{project});
    EXPECT_TRUE(CloseProgram());
}

}  // namespace
