// The category editors, the calendar dialog, the export component's source
// and the short-string routines.
#include "support/app/program_harness.h"
#include "support/environment.h"

#include "app/ascii_file.h"
#include "app/calendar_dlg.h"
#include "app/category_editors.h"
#include "app/str_utils.h"
#include "engine-controls/ostra_calendar.h"
#include "platform/core/clock.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

namespace {

class CategoryEditors : public ProgramTest {
protected:
    // The file's modification time, to tell whether it was written.
    std::filesystem::file_time_type Stamp(const std::string& File) {
        return std::filesystem::last_write_time(Dir + File);
    }
    void MarkOld(const std::string& File) {
        std::filesystem::last_write_time(Dir + File, Stamp(File) - std::chrono::hours(1));
    }
};

TEST_F(CategoryEditors, FirstEditorShowsTheFirstTableAndLeavesSavingToTheMainWindow) {
    Open();
    std::unique_ptr<TfrmCateg1> editor(CreateForm<TfrmCateg1>(Application));
    EXPECT_EQ(editor->dsCateg()->DataSet(), Form->dCateg());
    EXPECT_EQ(editor->OstraDBGrid1()->DataSource(), editor->dsCateg());
    EXPECT_EQ(editor->DBNavigator1()->DataSource(), editor->dsCateg());
    // Default columns: every field of the table.
    ASSERT_EQ(editor->OstraDBGrid1()->Columns()->Count(), 3);
    EXPECT_EQ(editor->OstraDBGrid1()->Columns()->Items(0)->FieldName(), "CKEY");
    EXPECT_FALSE(editor->OstraDBGrid1()->Columns()->Items(0)->Stored());

    // An edit made here is kept in memory; closing writes nothing.
    MarkOld("catg.d");
    const auto before = Stamp("catg.d");
    TTestModalForms script;
    script.Push([&](TCustomForm*) {
        PutText(Form->dCateg(), "CATEGORY", "Chores");
        editor->Close();
    });
    editor->ShowModal();
    EXPECT_EQ(Stamp("catg.d"), before);
    EXPECT_TRUE(Form->dCateg()->HasPendingChanges());
    // The main window's "Save Changes" writes it.
    Form->SaveChgs();
    EXPECT_EQ(FileColumn("catg.d", "CATEGORY").front(), "Chores");
}

TEST_F(CategoryEditors, SecondEditorSavesItsTableWhenItCloses) {
    Open();
    std::unique_ptr<TfrmCateg2> editor(CreateForm<TfrmCateg2>(Application));
    EXPECT_EQ(editor->dscatg2()->DataSet(), Form->dCateg2());
    TOstraDBGrid* grid = editor->OstraDBGrid1();
    ASSERT_EQ(grid->Columns()->Count(), 3);
    EXPECT_EQ(grid->Columns()->Items(0)->FieldName(), "CKEY");
    EXPECT_EQ(grid->Columns()->Items(1)->FieldName(), "CATEGORY");
    EXPECT_EQ(grid->Columns()->Items(2)->FieldName(), "SELECTED");
    EXPECT_EQ(editor->DBNavigator1()->DataSource(), editor->dscatg2());

    editor->Show();
    ProcessEvents();
    EXPECT_TRUE(RenderControlToPng(editor.get(), TestRunPath("category_editor_2.png")));
    editor->Hide();

    // Typing into the grid edits the table; closing the editor writes the file.
    TTestModalForms script;
    script.Push([&](TCustomForm* form) {
        ActivateForm(form);
        grid->SetFocus();
        grid->SetSelectedIndex(1);
        // The first key opens the cell editor, which takes the rest.
        for (char c : std::string("Garden")) SendText(FocusedControl(), std::string(1, c));
        SendKeyToFocus(VK_RETURN);
        SendKeyToFocus(VK_DOWN);
        editor->Close();
    });
    editor->ShowModal();
    EXPECT_EQ(FileColumn("catg2.d", "CATEGORY").front(), "Garden");
    EXPECT_FALSE(Form->dCateg2()->HasPendingChanges());
}

TEST_F(CategoryEditors, CalendarDialogOffersOkAndCancel) {
    SetClockForTesting(EncodeDate(2025, 2, 3));
    std::unique_ptr<TOKCalendarDlg> dlg(CreateForm<TOKCalendarDlg>(Application));
    EXPECT_DOUBLE_EQ(dlg->Calendar1()->Date(), EncodeDate(2025, 2, 3));
    // The calendar lies inside the frame.
    EXPECT_GE(dlg->Calendar1()->Left(), dlg->Bevel1()->Left());
    EXPECT_LE(dlg->Calendar1()->Left() + dlg->Calendar1()->Width(),
              dlg->Bevel1()->Left() + dlg->Bevel1()->Width());
    dlg->Show();
    ProcessEvents();
    EXPECT_TRUE(RenderControlToPng(dlg.get(), TestRunPath("calendar_dlg.png")));
    dlg->Hide();
    TTestModalForms script;
    script.Push([&](TCustomForm*) { SendClick(dlg->OKBtn(), 5, 5); });
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    script.Push([&](TCustomForm*) { SendClick(dlg->CancelBtn(), 5, 5); });
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    // A second dialog may live beside the first.
    std::unique_ptr<TOKCalendarDlg> other(CreateForm<TOKCalendarDlg>(Application));
    EXPECT_NE(other->Name(), dlg->Name());
    ResetClock();
}

TEST(AsciiFile, ForgetsAFreedSource) {
    TAsciiFile file(nullptr);
    auto* source = new TDataSource(nullptr);
    file.SetDataSource(source);
    EXPECT_EQ(file.DataSource(), source);
    delete source;
    EXPECT_EQ(file.DataSource(), nullptr);
}

TEST(ShortStrings, LeftStrCountsCharacters) {
    EXPECT_EQ(LeftStr("abc", 2), "ab");
    EXPECT_EQ(LeftStr("abc", 3), "abc");
    EXPECT_EQ(LeftStr("abc", 5), "abc");
    EXPECT_EQ(LeftStr("abc", 0), "");
    EXPECT_EQ(LeftStr("abc", -1), "");
    // A character of several bytes is never cut.
    EXPECT_EQ(LeftStr("\xC3\xA9t\xC3\xA9", 1), "\xC3\xA9");
    EXPECT_EQ(LeftStr("\xC3\xA9t\xC3\xA9", 3), "\xC3\xA9t\xC3\xA9");
}

TEST(ShortStrings, TrimmingTakesSpacesOnly) {
    EXPECT_EQ(TrimLeftBlanks("   a b  "), "a b  ");
    EXPECT_EQ(TrimRightBlanks("   a b  "), "   a b");
    EXPECT_EQ(TrimBlanks("   a b  "), "a b");
    EXPECT_EQ(TrimBlanks("      "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\tx\t "), "\tx\t");
    // Short strings hold 255 bytes.
    EXPECT_EQ(TrimLeftBlanks("  " + std::string(300, 'x')).size(), 255u);
    EXPECT_EQ(TrimBlanks(std::string(254, 'x') + "  y").size(), 254u);
}

}  // namespace
