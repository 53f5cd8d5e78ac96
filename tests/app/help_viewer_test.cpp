// The HTML help viewer: which requests it takes, the commands it gives, and
// the program's help file shown by the help window.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/help_viewer.h"
#include "platform/core/files.h"
#include "platform/core/strings.h"
#include "platform/ui/application.h"
#include "platform/ui/chm_help.h"
#include "platform/ui/testing.h"
#include "support/environment.h"

namespace {

// Requests go to a recorder; the application's help file is set per test.
class HelpViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Previous = SetHelpEngine(&Recorder);
        OldFile = Application->HelpFile();
        Viewer = RegisterHTMLHelpViewer();
    }
    void TearDown() override {
        Application->SetHelpFile(OldFile);
        SetHelpEngine(Previous);
    }
    THelpRecorder Recorder;
    THelpEngine* Previous = nullptr;
    std::string OldFile;
    std::shared_ptr<THTMLHelpViewer> Viewer;
};

TEST_F(HelpViewerTest, AnswersOnlyForCompiledHtmlHelp) {
    EXPECT_EQ(Viewer->GetViewerName(), "HTMLHelp Viewer");
    ASSERT_NE(Viewer->HelpManager(), nullptr);
    EXPECT_GT(Viewer->ViewerID(), 0);
    for (const std::string file : {"kelvtodo.chm", "HELP.CHM", "/opt/x/Some.Chm"}) {
        Application->SetHelpFile(file);
        EXPECT_EQ(Viewer->UnderstandsKeyword("x"), 1) << file;
        EXPECT_TRUE(Viewer->UnderstandsTopic("x"));
        EXPECT_TRUE(Viewer->UnderstandsContext(30, file));
        EXPECT_TRUE(Viewer->CanShowTableOfContents());
        std::unique_ptr<TStringList> strings(Viewer->GetHelpStrings("Printing"));
        ASSERT_EQ(strings->Count(), 1);
        EXPECT_EQ(strings->Strings(0), "Printing");
    }
    for (const std::string file : {"kelvtodo.hlp", "", "chm", "help.chm.txt"}) {
        Application->SetHelpFile(file);
        EXPECT_EQ(Viewer->UnderstandsKeyword("x"), 0) << file;
        EXPECT_FALSE(Viewer->UnderstandsTopic("x"));
        EXPECT_FALSE(Viewer->UnderstandsContext(30, file));
        EXPECT_FALSE(Viewer->CanShowTableOfContents());
        std::unique_ptr<TStringList> strings(Viewer->GetHelpStrings("Printing"));
        EXPECT_EQ(strings->Count(), 0);
    }
}

TEST_F(HelpViewerTest, GivesTheEngineItsCommands) {
    Application->SetHelpFile("kelvtodo.chm");
    Viewer->DisplayHelpByContext(30, "kelvtodo.chm");
    Viewer->ShowTableOfContents();
    Viewer->ShowHelp("Printing");
    Viewer->DisplayTopic("/print_dialog.htm");
    Viewer->DisplayTopic("print_dialog.htm");
    const auto& r = Recorder.Requests();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].Command, hcContext);
    EXPECT_EQ(r[0].HelpFile, "kelvtodo.chm");
    EXPECT_EQ(r[0].Context, 30);
    EXPECT_EQ(r[1].Command, hcTableOfContents);
    EXPECT_EQ(r[1].HelpFile, "kelvtodo.chm");
    EXPECT_EQ(r[2].Command, hcKeywordLookup);
    EXPECT_EQ(r[2].Text, "Printing");
    // Both forms of a topic name the same page.
    EXPECT_EQ(r[3].Command, hcDisplayTopic);
    EXPECT_EQ(r[3].HelpFile, "kelvtodo.chm::/print_dialog.htm");
    EXPECT_EQ(r[4].HelpFile, r[3].HelpFile);
}

TEST_F(HelpViewerTest, ApplicationHelpReachesItOnlyForChm) {
    Application->SetHelpFile("kelvtodo.chm");
    EXPECT_TRUE(Application->HelpContext(10003));
    ASSERT_EQ(Recorder.Requests().size(), 1u);
    EXPECT_EQ(Recorder.Requests()[0].Context, 10003);
    EXPECT_TRUE(Application->HelpKeyword("Zoom"));
    EXPECT_EQ(Recorder.Requests().back().Command, hcKeywordLookup);

    Recorder.Clear();
    Application->SetHelpFile("kelvtodo.hlp");
    EXPECT_FALSE(Application->HelpContext(30));
    EXPECT_TRUE(Recorder.Requests().empty());
}

TEST_F(HelpViewerTest, ShutDownClosesAllAndLeavesTheManager) {
    const int before = HelpManager().ViewerCount();
    Viewer->ShutDown();
    ASSERT_FALSE(Recorder.Requests().empty());
    EXPECT_EQ(Recorder.Requests().back().Command, hcCloseAll);
    EXPECT_EQ(Viewer->HelpManager(), nullptr);
    EXPECT_EQ(HelpManager().ViewerCount(), before - 1);
    // Registered again for the tests that follow.
    Viewer = RegisterHTMLHelpViewer();
    EXPECT_EQ(HelpManager().ViewerCount(), before);
    FinalizeHTMLHelpViewer();
    EXPECT_EQ(Recorder.Requests().back().Command, hcCloseAll);
}

// ---- The program's help file in the help window --------------------------------------------

class ProgramHelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The build puts the help file beside the program: app/ of the build tree.
        File = ExpandFileName(ExtractFilePath(ApplicationExeName()) + "../app/kelvtodo.chm");
        if (!FileExists(File)) GTEST_SKIP() << "the help file was not built (no chmcmd)";
        Active = true;
        Previous = SetHelpEngine(&ChmHelpEngine());
        OldFile = Application->HelpFile();
        RegisterHTMLHelpViewer();
        Application->SetHelpFile(File);
    }
    void TearDown() override {
        if (!Active) return;
        ChmHelpEngine().CloseAll();
        Application->SetHelpFile(OldFile);
        SetHelpEngine(Previous);
    }
    std::string File, OldFile;
    THelpEngine* Previous = nullptr;
    bool Active = false;
};

TEST_F(ProgramHelpTest, ContextsOpenTheirPages) {
    TChmHelpEngine& engine = ChmHelpEngine();
    struct {
        int Context;
        const char* Page;
        const char* Title;
    } cases[] = {{30, "/main_window.htm", "The main window"},
                 {10003, "/print_dialog.htm", "The print dialog"},
                 {10004, "/print_preview.htm", "The print preview"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(Application->HelpContext(c.Context)) << c.Context;
        EXPECT_TRUE(engine.WindowShowing());
        EXPECT_EQ(engine.CurrentTopic(), c.Page);
        EXPECT_EQ(engine.PageTitle(), c.Title);
        EXPECT_EQ(engine.LastError(), "");
        if (c.Context == 30) {
            EXPECT_TRUE(engine.SaveWindowImage(TestRunPath("help_window.png")));
        }
    }
    EXPECT_EQ(engine.WindowCaption(), "Brindlecote Taskmoor Help");
}

TEST_F(ProgramHelpTest, KeywordsAndContents) {
    TChmHelpEngine& engine = ChmHelpEngine();
    ASSERT_TRUE(Application->HelpKeyword("zoom"));
    EXPECT_EQ(engine.ActivePane(), hpIndex);
    EXPECT_EQ(engine.CurrentTopic(), "/print_preview.htm");
    EXPECT_TRUE(engine.SaveWindowImage(TestRunPath("help_index.png")));
    ASSERT_TRUE(Application->HelpKeyword("Sorting"));
    EXPECT_EQ(engine.CurrentTopic(), "/main_window.htm#sorting");
    EXPECT_NE(engine.PageText().find("Click a column title"), std::string::npos);

    ASSERT_TRUE(Application->HelpCommand(HELP_CONTENTS, 0));
    EXPECT_EQ(engine.ActivePane(), hpContents);

    // Every page of the contents and the index is in the file.
    TChmFile file(File);
    for (const TChmIndexEntry& e : file.Index())
        for (const std::string& local : e.Locals) EXPECT_FALSE(file.FindObject(local).empty()) << local;
    EXPECT_EQ(file.Contents().size(), 2u);
}

TEST_F(ProgramHelpTest, MissingFileGivesAMessageNamingIt) {
    TTestDialogs dialogs;
    Application->SetHelpFile("kelvtodo.chm");  // as the main window sets it; not beside this program
    if (FileExists("kelvtodo.chm") || FileExists(ExtractFilePath(ApplicationExeName()) + "kelvtodo.chm"))
        GTEST_SKIP() << "a help file lies where the test expects none";
    EXPECT_TRUE(Application->HelpContext(30));  // the viewer took it
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Cannot find the help file \"kelvtodo.chm\".");
    EXPECT_FALSE(ChmHelpEngine().WindowShowing());
}

}  // namespace
