// A day with the started program, from the keyboard where it allows it:
// priorities typed by name, edits left half done when Print or another tab
// comes, the row a print leaves chosen, notes that go with a moved task,
// and the date drop-down of a program left running past midnight.
#include "support/app/program_harness.h"

#include <cstdlib>

#include "app/report/print_form.h"
#include "engine-controls/ostra_calendar.h"
#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/core/clock.h"
#include "platform/ui/messages.h"
#include "platform/ui/printers.h"
#include "platform/ui/stddialogs.h"

namespace {

using TNames = std::vector<std::string>;

class ProgramDayTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        SetClockForTesting(EncodeDate(2026, 12, 7) + 0.4);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        ResetClock();
    }
    // The list of the tab printed to a PDF file through the print dialog;
    // the document's text.
    std::string PrintToText(const std::string& Name) {
        TTestPrinters printers;
        TTestStdDialogs std;
        Printer()->SetPrinterIndex(Printer()->Printers()->IndexOf(PdfPrinterName));
        TTestModalForms forms;
        forms.Push([](TCustomForm* Dialog) {
            auto* print = dynamic_cast<TfrmPrint*>(Dialog);
            EXPECT_NE(print, nullptr);
            if (!print) return;
            SendClick(print->bbnPrint, 5, 5);
            if (print->ModalResult() == mrNone) print->SetModalResult(mrCancel);
        });
        std.AnswerFiles(true, {Dir + Name + ".pdf"});
        Click(Form->spbtnPrint());
        const std::string pdf = Dir + Name + ".pdf", txt = Dir + Name + ".txt";
        EXPECT_TRUE(FileExists(pdf));
        EXPECT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + txt + "'").c_str()), 0);
        return ReadText(txt);
    }
    // Opens the editor of a cell with two clicks and types Text at its end.
    void TypeAtEndOfCell(TOstraDBGrid* Grid, int Col, int Row, const std::string& Text) {
        ClickCell(Grid, Col, Row);
        ClickCell(Grid, Col, Row);
        ASSERT_TRUE(Grid->EditorMode());
        SendKeyToFocus(VK_END);
        TypeToFocus(Text);
    }
};

// Each priority is typed by the name the cell shows ("Medium" is longer
// than the five characters its code field holds) and its code is stored.
TEST_F(ProgramDayTest, EveryPriorityNameTypedIntoItsCellStoresItsCode) {
    AddTasks("Ttask.d", {{"Call the plumber", "2", false}});
    AddTasks("List.d", {{"Someday", "2", false}});
    Start();
    struct TCase {
        TTabSheet* Tab;
        TOstraDBGrid* Grid;
        int PriorityCol;
    };
    const TNames names{"Urgent", "High", "Medium", "Low", "Completed"};
    for (const TCase& c : {TCase{Form->TabSheet1(), Form->OstraDBGrid1(), 3},
                           TCase{Form->TabSheet4(), Form->OstraDBGrid3(), 6}}) {
        SCOPED_TRACE(c.Tab->Caption());
        ShowTab(c.Tab);
        TDataSet* table = c.Grid->DataSource()->DataSet();
        ClickCell(c.Grid, c.PriorityCol, 1);
        TNames stored;
        for (const std::string& name : names) {
            TypeToFocus(name);
            SendKeyToFocus(VK_RETURN);
            stored.push_back(table->FieldByName("Priority")->AsString());
        }
        EXPECT_EQ(stored, (TNames{"0", "1", "2", "3", "4"}));
        // A text that names no priority still stores none.
        TypeToFocus("Soon");
        SendKeyToFocus(VK_RETURN);
        EXPECT_EQ(table->FieldByName("Priority")->AsString(), "");
        TypeToFocus("Medium");
        SendKeyToFocus(VK_RETURN);
    }
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask.d", "Priority"), TNames{"2"});
    EXPECT_EQ(FileColumn("List.d", "Priority"), TNames{"2"});
    EXPECT_TRUE(CloseProgram());
}

// A cell still in its editor when Print is chosen: the list prints what
// was typed, and the edit is kept to be saved, on the group lists and on
// the Today tab alike.
TEST_F(ProgramDayTest, PrintingWithACellInItsEditorPrintsAndKeepsWhatWasTyped) {
    AddTasks("Ttask.d", {{"Call the plumber", "1", true}, {"Buy tyres", "3", false}});
    Start();
    ShowTab(Form->TabSheet1());
    TypeAtEndOfCell(Form->OstraDBGrid1(), 4, 1, " today");
    std::string text = PrintToText("group1");
    EXPECT_NE(text.find("Call the plumber today"), std::string::npos) << text;
    // The report walked the list: the edit was posted with its row.
    EXPECT_EQ(Form->dTask_()->State(), dsBrowse);
    EXPECT_EQ(Column(Form->dTask_(), "Action"), (TNames{"Call the plumber today", "Buy tyres"}));

    ShowTab(Form->TabSheet7());
    TypeAtEndOfCell(Form->OstraDBGrid7(), 4, 1, " at 8");
    text = PrintToText("today");
    EXPECT_NE(text.find("Call the plumber today at 8"), std::string::npos) << text;
    EXPECT_EQ(Form->tblToDay1_()->FieldByName("Action")->AsString(), "Call the plumber today at 8");
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), (TNames{"Call the plumber today at 8", "Buy tyres"}));
    EXPECT_TRUE(CloseProgram());
}

// A task's notes (from a file the program did not write) go with it to
// the Catch All list and to the archive: its other fields do, and nothing
// else keeps them once the task leaves its list.
TEST_F(ProgramDayTest, NotesGoWithATaskMovedToCatchAllOrArchived) {
    AddTasks("Ttask.d", {{"Call the bank", "1", false}});
    AddTasks("Ttask2.d", {{"Finished thing", "4", false}});
    for (const char* file : {"Ttask.d", "Ttask2.d"}) {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + file);
        t.Open();
        t.Edit();
        t.FieldByName("Notes")->SetAsString(std::string("Notes of ") + file + "\nsecond line");
        t.Post();
        t.Save();
    }
    Start();
    ShowTab(Form->TabSheet1());
    Dialogs.Answer(mrYes);
    Click(Form->spBtnMoveCmpl());
    ShowTab(Form->TabSheet2());
    Dialogs.Answer(mrYes);
    Click(Form->sbtnArchive());
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("List.d", "Notes"), TNames{"Notes of Ttask.d\nsecond line"});
    EXPECT_EQ(FileColumn("archive.d", "Notes"), TNames{"Notes of Ttask2.d\nsecond line"});
    EXPECT_TRUE(FileColumn("Ttask.d", "Action").empty());
    EXPECT_TRUE(FileColumn("Ttask2.d", "Action").empty());
    EXPECT_TRUE(CloseProgram());
}

// The program left running over midnight: the date drop-down's today line
// names the new day, and a click on it picks that day.
TEST_F(ProgramDayTest, TheCalendarsTodayLineFollowsTheClockPastMidnight) {
    AddTasks("Ttask.d", {{"Call the plumber", "1", false}});
    SetClockForTesting(EncodeDate(2026, 12, 31) + 0.999);
    Start();
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* grid = Form->OstraDBGrid1();
    ClickCell(grid, 6, 1);
    ClickCell(grid, 6, 1);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    auto* editor = dynamic_cast<TOstraDBGridInplaceEdit*>(grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(editor->Calendar()->TodayLabel()->Caption(), "Today is 12/31/2026");
    SendKeyToFocus(VK_ESCAPE);
    ASSERT_FALSE(editor->ListVisible());

    SetClockForTesting(EncodeDate(2027, 1, 1) + 0.0001);
    SendKeyToFocus(VK_DOWN, {ssAlt});
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(editor->Calendar()->TodayLabel()->Caption(), "Today is 01/01/2027");
    TLabel* today = editor->Calendar()->TodayLabel();
    SendMouseDown(today, mbLeft, 4, 4);
    SendMouseUp(today, mbLeft, 4, 4);
    ProcessEvents();
    SendKeyToFocus(VK_RETURN);
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("Ttask.d", "Date"), TNames{"01/01/2027"});
    EXPECT_TRUE(CloseProgram());
}

// Printing leaves the list on the task the user chose: an Archive right
// after the print takes that task, not the last one the report read.
TEST_F(ProgramDayTest, PrintingKeepsTheChosenTaskForTheNextCommand) {
    AddTasks("Ttask.d", {{"First", "1", false}, {"Chosen", "2", false}, {"Last", "3", false}});
    Start();
    ShowTab(Form->TabSheet1());
    ClickCell(Form->OstraDBGrid1(), 4, 2);
    ASSERT_EQ(Form->dTask_()->FieldByName("Action")->AsString(), "Chosen");
    const std::string text = PrintToText("list");
    EXPECT_NE(text.find("Last"), std::string::npos) << text;
    EXPECT_EQ(Form->dTask_()->FieldByName("Action")->AsString(), "Chosen");
    EXPECT_EQ(Form->OstraDBGrid1()->Row(), 2);
    Dialogs.Answer(mrYes);
    Click(Form->sbtnArchive());
    Click(Form->spbtnSave());
    EXPECT_EQ(FileColumn("archive.d", "ACTION"), TNames{"Chosen"});
    EXPECT_EQ(FileColumn("Ttask.d", "Action"), (TNames{"First", "Last"}));
    EXPECT_TRUE(CloseProgram());
}

}  // namespace
