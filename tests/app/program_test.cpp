// The program as a user meets it: started as main starts it, every command
// once, and the flows that went wrong in a real window.
#include "support/app/program_harness.h"

#include <cstdlib>

#include "app/restore_dlg.h"
#include "app/single_instance.h"
#include "platform/core/clock.h"
#include "platform/core/local_socket.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/printers.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/stddialogs.h"
#include "support/environment.h"

namespace {

using TShown = std::vector<std::string>;

// The pixel at a point of Control, in the rendering of the whole window
// (the menu bar above the client area).
TColor PixelOf(TBitmap& Picture, TCustomForm* Form, TControl* Control, int X, int Y) {
    const TPoint p = Form->ScreenToClient(Control->ClientToScreen(TPoint{X, Y}));
    const int menuBar = Picture.Height() - Form->ClientHeight();
    return Picture.Canvas()->Pixels(p.X, p.Y + menuBar);
}

bool HasInk(TBitmap& Picture, TCustomForm* Form, TControl* Control) {
    const TColor background = PixelOf(Picture, Form, Control, 1, Control->Height() - 2);
    for (int y = 2; y < Control->Height() - 2; y += 2)
        for (int x = 2; x < Control->Width() - 2; x += 2)
            if (PixelOf(Picture, Form, Control, x, y) != background) return true;
    return false;
}

// Without a private runtime folder (a shared cache folder another user made
// first) the single-instance name cannot be had; the data folder's lock
// still keeps a second copy off the folder, and the refused copy says why.
TEST_F(ProgramTest, TwoCopiesNeverShareADataFolder) {
    TTestEnvironment env;
    const std::string shared = env.Path("shared");
    std::filesystem::create_directories(shared + "/Taskmoor/run");
    std::filesystem::permissions(shared, std::filesystem::perms::all);
    if (std::system(("chown 65534:65534 '" + shared + "/Taskmoor/run' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "needs root";
    env.Set("XDG_RUNTIME_DIR", shared.c_str());
    env.Set("XDG_CACHE_HOME", shared.c_str());
    ASSERT_TRUE(PrivateRuntimeDir().empty());

    Start();
    EXPECT_EQ(Dialogs.Count(), 0);
    TFileLock second;
    EXPECT_EQ(second.TryLock(DataFolderLockPath(Dir)), TFileLock::flHeld);
    EXPECT_TRUE(CloseProgram());
    Stop();

    // Another copy holds the folder: this one ends with a message, no window.
    ASSERT_EQ(second.TryLock(DataFolderLockPath(Dir)), TFileLock::flLocked);
    const std::string tasks = ReadText(Dir + "Ttask.d");
    Dialogs.Clear();
    EXPECT_FALSE(Launch());
    EXPECT_EQ(Form, nullptr);
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().DlgType, mtError);
    EXPECT_EQ(Dialogs.Last().Text, "Another copy of the program is using the data folder " +
                                       ExcludeTrailingPathDelimiter(Dir) + ".");
    EXPECT_EQ(ReadText(Dir + "Ttask.d"), tasks);
    Stop();
    // Given up, the folder is this copy's again.
    second.Unlock();
    Dialogs.Clear();
    Start();
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTest, StartsOnTodayAndEveryTabBindsItsTables) {
    AddTasks("Ttask.d", {{"Call the plumber about the kitchen sink", "0", true},
                         {"Write the quarterly report", "1", false},
                         {"Renew the passport", "4", true}});
    AddTasks("Ttask2.d", {{"Read the new book chapter", "2", true}});
    Start();
    EXPECT_EQ(Form->PageControl1()->ActivePage(), Form->TabSheet7());
    // The restore dialog and the calendar live for the whole run too.
    int restore = 0, calendar = 0;
    for (int i = 0; i < Application->ComponentCount(); ++i) {
        restore += dynamic_cast<TDualListDlg*>(Application->Components(i)) != nullptr;
        calendar += Application->Components(i)->ClassName() == std::string("TOKCalendarDlg");
    }
    EXPECT_EQ(restore, 1);
    EXPECT_EQ(calendar, 1);
    for (TOstraTable* t : {Form->dTask_(), Form->dtask2_(), Form->tblToDay1_(), Form->tblToDay2_(),
                           Form->dQuotes_(), Form->dSelQuotes_(), Form->dCateg(), Form->dCateg2(),
                           Form->dList_(), Form->dArchive_(), Form->dGoals_(), Form->dStatus1()})
        EXPECT_TRUE(t->Active()) << t->Name();
    EXPECT_EQ(Form->ClientHeight(), 634);
    EXPECT_EQ(Form->AltRowColour(), static_cast<TColor>(0xF8FFC6));
    // The Today views list the flagged tasks only.
    EXPECT_EQ(Column(Form->tblToDay1_(), "Action"),
              (std::vector<std::string>{"Call the plumber about the kitchen sink", "Renew the passport"}));
    EXPECT_EQ(Column(Form->tblToDay2_(), "Action"), std::vector<std::string>{"Read the new book chapter"});
    // The quote of the day stands at the bottom: quote 10 of a fresh folder.
    EXPECT_EQ(Form->QuoteSelected(), 10);
    EXPECT_EQ(Form->dSelQuotes_()->FieldByName("Key")->AsInteger(), 10);
    EXPECT_EQ(Form->DBText1()->Field()->AsString(),
              "Plans are nothing; planning is everything. - Dwight D. Eisenhower");
    // Today shares its room between the two groups.
    EXPECT_NEAR(Form->Panel2()->Height(), Form->Panel3()->Height(), 2);

    struct TCase {
        TTabSheet* Tab;
        TControl* Grid;
        TDataSource* Navigator;
        bool Move, Archive, Print;
    };
    for (const TCase& c :
         {TCase{Form->TabSheet1(), Form->OstraDBGrid1(), Form->DataTask(), true, true, true},
          TCase{Form->TabSheet2(), Form->OstraDBGrid2(), Form->dsTask2(), true, true, true},
          TCase{Form->TabSheet3(), Form->OstraDBGrid5(), Form->dsArchive(), true, false, false},
          TCase{Form->TabSheet4(), Form->OstraDBGrid3(), Form->dsList(), false, false, false},
          TCase{Form->TabSheet5(), Form->OstraDBGrid4(), Form->dsQuotes(), false, false, false},
          TCase{Form->TabSheet6(), Form->OstraDBGrid6(), Form->dsGoals(), false, false, false},
          TCase{Form->TabSheet7(), Form->OstraDBGrid7(), Form->dstday(), true, true, true}}) {
        SCOPED_TRACE(c.Tab->Caption());
        Form->StatusBar1()->SetSimpleText("Sort Order - Action");
        ShowTab(c.Tab);
        EXPECT_EQ(Form->DBNavigator1()->DataSource(), c.Navigator);
        EXPECT_EQ(Form->spBtnMoveCmpl()->Enabled(), c.Move);
        EXPECT_EQ(Form->sbtnArchive()->Enabled(), c.Archive);
        EXPECT_EQ(Form->spbtnPrint()->Enabled(), c.Print);
        EXPECT_EQ(Form->StatusBar1()->SimpleText(), "");
        // The tab's grid shows with its rows drawn, and the quote of the day below.
        TBitmap picture;
        RenderControl(Form, &picture);
        EXPECT_TRUE(c.Grid->Showing());
        EXPECT_TRUE(HasInk(picture, Form, c.Grid));
        EXPECT_TRUE(HasInk(picture, Form, Form->Panel7()));
        EXPECT_EQ(PixelOf(picture, Form, Form->StatusBar1(), 20, 10), clCream);
        Render("program_tab_" + std::to_string(c.Tab->PageIndex()));
        // The group tabs bind the task source and their categories; others keep them.
        const bool first = c.Tab == Form->TabSheet1();
        EXPECT_EQ(Form->DataTask()->DataSet(), first ? Form->dTask_() : Form->dtask2_());
        EXPECT_EQ(Form->DataCatg()->DataSet(), first ? Form->dCateg() : Form->dCateg2());
    }
    EXPECT_TRUE(Form->dGoalGrp_()->Active());
    EXPECT_EQ(Form->dsGoalGrp()->DataSet(), Form->dGoalGrp_());
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTest, EveryMenuCommandOpensWhatItShouldAndCloses) {
    Start();
    TTestModalForms forms;
    TTestStdDialogs std;
    for (int i = 0; i < 4; ++i) forms.PushResult(mrCancel);
    Form->Restore1()->Click();
    Form->Calendar1()->Click();
    Form->Categories1()->Click();
    Form->Categories21()->Click();
    forms.PushResult(mrOk);
    Form->About1()->Click();
    EXPECT_EQ(forms.Shown(),
              (TShown{"TDualListDlg", "TOKCalendarDlg", "TfrmCateg1", "TfrmCateg2", "TAboutBox1"}));
    EXPECT_EQ(forms.Pending(), 0);

    Form->Backup1()->Click();
    ASSERT_GE(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "10 Files copied.");
    EXPECT_TRUE(FileExists(Dir + "TTask.bak") || !FindFileNoCase(Dir, "ttask.bak").empty());

    std.AnswerColor(false);
    Form->Option1()->Click();
    EXPECT_EQ(std.ColorRequests(), 1);

    Form->Help2()->Click();
    ASSERT_EQ(Help.Requests().size(), 1u);
    EXPECT_EQ(Help.Requests()[0].Context, 30);

    // "Exit" asks; No keeps the window.
    Dialogs.Answer(mrNo);
    Form->Exit1()->Click();
    EXPECT_EQ(Dialogs.Last().Text, " Close application ?");
    EXPECT_EQ(LastCloseAction, caNone);
    EXPECT_TRUE(CloseProgram());
}

TEST_F(ProgramTest, EveryToolButtonDoesItsWork) {
    AddTasks("Ttask.d", {{"First", "1", true}, {"Second", "2", false}, {"Third", "3", false}});
    Start();
    TTestModalForms forms;
    ShowTab(Form->TabSheet1());
    TOstraTable* tasks = Form->dTask_();

    // The navigator walks the list.
    TDBNavigator* nav = Form->DBNavigator1();
    const int third = nav->Width() / 4;
    SendClick(nav, 3 * third + third / 2, nav->Height() / 2);  // last
    EXPECT_TRUE(tasks->Eof() || tasks->RecNo() == 3);
    SendClick(nav, third / 2, nav->Height() / 2);  // first
    EXPECT_EQ(tasks->RecNo(), 1);
    SendClick(nav, 2 * third + third / 2, nav->Height() / 2);  // next
    EXPECT_EQ(tasks->RecNo(), 2);
    SendClick(nav, third + third / 2, nav->Height() / 2);  // prior
    EXPECT_EQ(tasks->RecNo(), 1);

    Dialogs.Answer(mrCancel);
    Click(Form->spBtnDelete());
    EXPECT_EQ(Dialogs.Last().Text, "Delete record?");
    EXPECT_EQ(tasks->RecordCount(), 3);

    forms.PushResult(mrCancel);
    Click(Form->spbtnPrint());
    EXPECT_EQ(forms.Shown(), TShown{"TfrmPrint"});

    // The filter opens its form over the tab's fields; Remove Filter asks nothing.
    EXPECT_TRUE(Form->SpeedButton5()->Enabled());
    EXPECT_TRUE(Form->SpeedButton3()->Enabled());
    forms.PushResult(mrCancel);
    Click(Form->SpeedButton5());
    ASSERT_FALSE(forms.Shown().empty());
    EXPECT_EQ("TqzFilterDlg", forms.Shown().back());
    const size_t shownBefore = forms.Shown().size();
    Click(Form->SpeedButton3());
    EXPECT_EQ(shownBefore, forms.Shown().size());

    // "QR" off the Today tab shows the quote in its box.
    forms.PushResult(mrOk);
    Click(Form->spbtnRandQuote());
    EXPECT_EQ(forms.Shown().back(), "TFrmQuoteBox");
    // Add, Save, Move, Archive, "QD" and "Undo" have tests of their own.
    Click(Form->SpeedButton13());
    EXPECT_EQ(Help.Requests().size(), 1u);
    EXPECT_TRUE(CloseProgram());
    EXPECT_EQ(forms.Pending(), 0);
}

}  // namespace
