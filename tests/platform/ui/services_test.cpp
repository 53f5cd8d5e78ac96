// Message boxes, input boxes, beeps, the clipboard and the help system.
#include <gtest/gtest.h>

#include "platform/core/strings.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/help.h"
#include "support/ui/ui_probes.h"

namespace {

TEST(MessageDlgTest, CaptionsAndButtonsFollowTheType) {
    TTestDialogs dialogs;
    MessageDlg(" Close application ?", mtConfirmation, {mbYes, mbNo}, 0);
    MessageDlg("Careful", mtWarning, mbOKCancel, 12);
    MessageDlg("Broken", mtError, {mbOK}, 0);
    MessageDlg("Note", mtInformation, {mbOK}, 0);
    ShowMessage("Plain");
    ASSERT_EQ(dialogs.Count(), 5);
    const auto& m = dialogs.Messages();
    EXPECT_EQ(m[0].Caption, "Confirm");
    EXPECT_EQ(m[0].Text, " Close application ?");  // texts are kept exactly, blanks included
    EXPECT_EQ(m[0].DefaultButton, mbYes);
    EXPECT_EQ(m[0].CancelButton, mbNo);
    EXPECT_EQ(m[1].Caption, "Warning");
    EXPECT_EQ(m[1].HelpContext, 12);
    EXPECT_EQ(m[1].DefaultButton, mbOK);
    EXPECT_EQ(m[1].CancelButton, mbCancel);
    EXPECT_EQ(m[2].Caption, "Error");
    EXPECT_EQ(m[3].Caption, "Information");
    EXPECT_EQ(m[4].Caption, Application->Title());
    EXPECT_EQ(m[4].DlgType, mtCustom);
}

TEST(MessageDlgTest, ScriptedAnswersComeBackInOrderThenDefaults) {
    TTestDialogs dialogs;
    dialogs.Answer(mrNo);
    dialogs.Answer(mrCancel);
    EXPECT_EQ(MessageDlg("q1", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
    EXPECT_EQ(MessageDlg("q2", mtConfirmation, mbOKCancel, 0), mrCancel);
    EXPECT_EQ(MessageDlg("q3", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
    EXPECT_EQ(MessageDlg("q4", mtConfirmation, mbAbortRetryIgnore, 0), mrAbort);
    EXPECT_EQ(dialogs.PendingAnswers(), 0);
}

TEST(MessageDlgTest, ApplicationMessageBoxMapsFlagsAndAnswers) {
    TTestDialogs dialogs;
    dialogs.Answer(mrNo);
    EXPECT_EQ(Application->MessageBox("Sure?", "Title", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(Application->MessageBox("Retry?", "", MB_RETRYCANCEL | MB_ICONWARNING | MB_DEFBUTTON2),
              IDCANCEL);
    EXPECT_EQ(dialogs.Messages()[0].Caption, "Title");
    EXPECT_EQ(dialogs.Messages()[0].DlgType, mtConfirmation);
    EXPECT_EQ(dialogs.Messages()[0].Buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(dialogs.Messages()[1].Caption, Application->Title());
    EXPECT_EQ(dialogs.Messages()[1].DlgType, mtWarning);
    EXPECT_EQ(dialogs.Messages()[1].DefaultButton, mbCancel);
}

TEST(MessageDlgTest, ButtonCaptionsAndResults) {
    EXPECT_EQ(ButtonCaption(mbYes), "&Yes");
    EXPECT_EQ(ButtonCaption(mbNoToAll), "N&o to All");
    EXPECT_EQ(ButtonCaption(mbOK), "OK");
    EXPECT_EQ(ModalResultOf(mbOK), mrOk);
    EXPECT_EQ(ModalResultOf(mbYesToAll), mrYesToAll);
    EXPECT_EQ(ModalResultOf(mbHelp), mrNone);
}

TEST(InputTest, InputQueryAndInputBox) {
    TTestDialogs dialogs;
    dialogs.AnswerInput(true, "Groceries");
    dialogs.AnswerInput(false);
    std::string value = "old";
    EXPECT_TRUE(InputQuery("Category", "Name:", value));
    EXPECT_EQ(value, "Groceries");
    EXPECT_EQ(InputBox("Category", "Name:", "keep"), "keep");  // cancelled
    EXPECT_EQ(InputBox("Category", "Name:", "unanswered"), "unanswered");
    EXPECT_EQ(dialogs.InputCount(), 3);
}

TEST(BeepTest, BeepsAreCountedNotSounded) {
    TBeepCounter beeps;
    Beep();
    MessageBeep(MB_ICONSTOP);
    EXPECT_EQ(beeps.Count(), 2);
    EXPECT_EQ(beeps.LastType(), MB_ICONSTOP);
    {
        TBeepCounter inner;  // the innermost counter hears them
        Beep();
        EXPECT_EQ(inner.Count(), 1);
    }
    Beep();
    EXPECT_EQ(beeps.Count(), 3);
}

TEST(ClipboardTest, TextAndNamedFormats) {
    TTestClipboard board;
    Clipboard()->SetAsText("first line\nsecond");
    EXPECT_EQ(Clipboard()->AsText(), "first line\nsecond");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    const unsigned html = RegisterClipboardFormat("HTML Format");
    EXPECT_EQ(RegisterClipboardFormat("html format"), html);
    EXPECT_GE(html, 0xC000u);
    EXPECT_EQ(ClipboardFormatName(html), "HTML Format");
    // Together between Open and Close; alone otherwise.
    Clipboard()->Open();
    Clipboard()->SetAsText("plain");
    Clipboard()->SetFormatData(html, "<b>x</b>");
    Clipboard()->SetFormatData(CF_SYLK, "ID;P");
    EXPECT_EQ(Clipboard()->AsText(), "first line\nsecond");  // not yet
    Clipboard()->Close();
    EXPECT_EQ(Clipboard()->AsText(), "plain");
    EXPECT_EQ(Clipboard()->GetFormatData(html), "<b>x</b>");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_SYLK));
    Clipboard()->SetAsText("only");
    EXPECT_FALSE(Clipboard()->HasFormat(html));
    Clipboard()->Open();
    Clipboard()->Close();  // an empty open-close changes nothing
    EXPECT_EQ(Clipboard()->AsText(), "only");
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
}

TEST(ClipboardTest, SystemClipboardKeepsTextAndFormats) {
    Clipboard()->Open();
    Clipboard()->SetAsText("Brindlecote");
    Clipboard()->SetFormatData(CF_SYLK, "ID;PWXL");
    Clipboard()->Close();
    EXPECT_EQ(Clipboard()->AsText(), "Brindlecote");
    EXPECT_EQ(Clipboard()->GetFormatData(CF_SYLK), "ID;PWXL");
}

// A viewer that takes ".chm" files and records what it is asked.
class TRecordingViewer : public ICustomHelpViewer, public IExtendedHelpViewer {
public:
    std::vector<std::string> Calls;
    IHelpManager* Manager = nullptr;
    int ID = 0;
    bool Takes(const std::string& file) const {
        return file.size() > 4 && file.substr(file.size() - 4) == ".chm";
    }

    std::string GetViewerName() override { return "Recorder"; }
    int UnderstandsKeyword(const std::string&) override { return Takes(Manager->GetHelpFile()) ? 1 : 0; }
    TStringList* GetHelpStrings(const std::string& s) override {
        auto* list = new TStringList();
        list->Add(s);
        return list;
    }
    bool CanShowTableOfContents() override { return Takes(Manager->GetHelpFile()); }
    void ShowTableOfContents() override { Calls.push_back("toc"); }
    void ShowHelp(const std::string& s) override { Calls.push_back("keyword " + s); }
    void NotifyID(int id) override { ID = id; }
    void SoftShutDown() override {}
    void ShutDown() override { Calls.push_back("shutdown"); }
    bool UnderstandsTopic(const std::string&) override { return Takes(Manager->GetHelpFile()); }
    void DisplayTopic(const std::string& t) override { Calls.push_back("topic " + t); }
    bool UnderstandsContext(int, const std::string& file) override { return Takes(file); }
    void DisplayHelpByContext(int c, const std::string& file) override {
        Calls.push_back("context " + std::to_string(c) + " " + file);
    }
};

TEST(HelpTest, ApplicationHelpGoesToTheViewerThatUnderstandsIt) {
    const int before = HelpManager().ViewerCount();
    auto viewer = std::make_shared<TRecordingViewer>();
    viewer->Manager = HelpManager().RegisterViewer(viewer);
    EXPECT_GT(viewer->ID, 0);
    Application->SetHelpFile("kelvtodo.chm");
    EXPECT_TRUE(Application->HelpContext(30));
    EXPECT_TRUE(Application->HelpKeyword("Quotes"));
    EXPECT_TRUE(Application->HelpJump("/intro.htm"));
    EXPECT_TRUE(Application->HelpCommand(HELP_CONTENTS, 0));
    Application->SetHelpFile("old.hlp");
    EXPECT_FALSE(Application->HelpContext(31));
    EXPECT_EQ(viewer->Calls, (std::vector<std::string>{"context 30 kelvtodo.chm", "keyword Quotes",
                                                       "topic /intro.htm", "toc"}));
    viewer->Manager->Release(viewer->ID);
    EXPECT_EQ(HelpManager().ViewerCount(), before);
    Application->SetHelpFile("");
}

TEST(HelpTest, OnHelpCanStopTheHelpSystem) {
    auto viewer = std::make_shared<TRecordingViewer>();
    viewer->Manager = HelpManager().RegisterViewer(viewer);
    Application->SetHelpFile("kelvtodo.chm");
    Application->SetOnHelp(THelpEvent([](uint16_t, intptr_t data, bool& callHelp, bool& result) {
        callHelp = data != 10003;
        result = true;
    }));
    EXPECT_TRUE(Application->HelpContext(10003));
    EXPECT_TRUE(viewer->Calls.empty());
    EXPECT_TRUE(Application->HelpContext(10004));
    EXPECT_EQ(viewer->Calls.size(), 1u);
    Application->SetOnHelp(nullptr);
    HelpManager().ShutDownAll();
    EXPECT_EQ(viewer->Calls.back(), "shutdown");
    EXPECT_EQ(HelpManager().ViewerCount(), 0);
    Application->SetHelpFile("");
}

TEST(HelpTest, TheDefaultEngineRecordsRequests) {
    DefaultHelpRecorder().Clear();
    THelpRequest r;
    r.Command = hcContext;
    r.HelpFile = "kelvtodo.chm";
    r.Context = 30;
    EXPECT_TRUE(HelpEngine().Execute(r));
    ASSERT_EQ(DefaultHelpRecorder().Requests().size(), 1u);
    EXPECT_EQ(DefaultHelpRecorder().Requests()[0].Context, 30);
    THelpRecorder mine;
    EXPECT_EQ(SetHelpEngine(&mine), nullptr);
    HelpEngine().Execute(r);
    EXPECT_EQ(mine.Requests().size(), 1u);
    SetHelpEngine(nullptr);
    EXPECT_EQ(&HelpEngine(), &DefaultHelpRecorder());
}

TEST(HintTest, MouseOverAControlSetsTheApplicationHint) {
    TShownForm f;
    auto* probe = new TProbe(f.Form, f.Form);
    probe->SetHint("Add|Adds a task at the end");
    auto* other = new TProbe(f.Form, f.Form);
    other->SetLeft(100);
    std::vector<std::string> hints;
    Application->SetOnHint(TNotifyEvent([&](TObject*) { hints.push_back(Application->Hint()); }));
    f.Show();
    SendMouseMove(probe, 3, 3);
    SendMouseMove(probe, 4, 4);  // same control: no new hint
    SendMouseMove(other, 3, 3);
    Application->SetOnHint(nullptr);
    EXPECT_EQ(hints, (std::vector<std::string>{"Adds a task at the end", ""}));
    EXPECT_EQ(GetShortHint(probe->Hint()), "Add");
}

}  // namespace
