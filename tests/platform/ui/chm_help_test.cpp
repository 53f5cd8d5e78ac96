// Compiled help files: the reader, damaged files, and the help window.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"
#include "platform/ui/chm_help.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "platform/ui/window_frame.h"
#include "support/environment.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A small help project, compiled with the system's help compiler.
class ChmHelpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string tmpl = TestRunPath("chm_help_test.XXXXXX");
        if (!mkdtemp(tmpl.data())) return;
        Dir = tmpl;
        WriteText(Dir / "demo.hhp", R"([OPTIONS]
Compiled file=demo.chm
Contents file=demo.hhc
Index file=demo.hhk
Default topic=intro.htm
Title=Demo Help

[FILES]
intro.htm
sub/second.htm
style.css

[ALIAS]
IDH_INTRO=intro.htm
IDH_SECOND=sub/second.htm

[MAP]
#define IDH_INTRO 1
#define IDH_SECOND 20
)");
        WriteText(Dir / "intro.htm",
                  "<html><head><title>Introduction</title><link rel=\"stylesheet\" href=\"style.css\"></head>"
                  "<body><h1>Welcome</h1><p>Read <a href=\"sub/second.htm#part\">the second page</a>.</p>"
                  "</body></html>");
        WriteText(
            Dir / "sub" / "second.htm",
            "<html><head><title>Second page</title></head><body><h1>Second</h1>"
            "<p><a href=\"../intro.htm\">Back</a></p><h2><a name=\"part\"></a>Part two</h2></body></html>");
        WriteText(Dir / "style.css", "h1 { color: #203060; }\n");
        WriteText(Dir / "demo.hhc", R"(<html><body><ul>
<li><object type="text/sitemap"><param name="Name" value="Introduction"><param name="Local" value="intro.htm"></object>
<ul><li><object type="text/sitemap"><param name="Name" value="Second &amp; last"><param name="Local" value="sub/second.htm"></object></ul>
</ul></body></html>)");
        WriteText(Dir / "demo.hhk", R"(<html><body><ul>
<li><object type="text/sitemap"><param name="Name" value="Alpha"><param name="Local" value="intro.htm"></object>
<li><object type="text/sitemap"><param name="Name" value="Beta"><param name="Name" value="Second"><param name="Local" value="sub/second.htm"><param name="Name" value="Intro"><param name="Local" value="intro.htm"></object>
<ul><li><object type="text/sitemap"><param name="Name" value="Beta detail"><param name="Local" value="sub/second.htm#part"></object></ul>
</ul></body></html>)");
        std::string cmd = "cd '" + Dir.string() + "' && chmcmd demo.hhp > compile.log 2>&1";
        if (std::system(cmd.c_str()) == 0 && fs::exists(Dir / "demo.chm")) Chm = (Dir / "demo.chm").string();
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        if (!Dir.empty()) fs::remove_all(Dir, ec);
    }
    void SetUp() override {
        if (Chm.empty()) GTEST_SKIP() << "no help compiler (chmcmd) on this machine";
    }
    void TearDown() override { ChmHelpEngine().CloseAll(); }

    static inline fs::path Dir;
    static inline std::string Chm;
};

TEST_F(ChmHelpTest, ReadsTitlePagesContentsIndexAndContextMap) {
    TChmFile f(Chm);
    EXPECT_EQ(f.Title(), "Demo Help");
    EXPECT_EQ(f.DefaultTopic(), "/intro.htm");

    std::string page;
    ASSERT_TRUE(f.ReadObject("/sub/second.htm", page));
    EXPECT_NE(page.find("Part two"), std::string::npos);
    EXPECT_TRUE(f.ReadObject("INTRO.HTM", page));  // letter case ignored
    EXPECT_FALSE(f.ReadObject("/nothing.htm", page));

    ASSERT_EQ(f.Contents().size(), 1u);
    EXPECT_EQ(f.Contents()[0].Name, "Introduction");
    EXPECT_EQ(f.Contents()[0].Local, "/intro.htm");
    ASSERT_EQ(f.Contents()[0].Children.size(), 1u);
    EXPECT_EQ(f.Contents()[0].Children[0].Name, "Second & last");
    EXPECT_EQ(f.Contents()[0].Children[0].Local, "/sub/second.htm");

    ASSERT_EQ(f.Index().size(), 3u);
    EXPECT_EQ(f.Index()[1].Keyword, "Beta");
    EXPECT_EQ(f.Index()[1].Locals, (std::vector<std::string>{"/sub/second.htm", "/intro.htm"}));
    EXPECT_EQ(f.Index()[2].Level, 1);
    EXPECT_EQ(f.Index()[2].Locals.front(), "/sub/second.htm#part");

    EXPECT_EQ(f.TopicOfContext(1), "/intro.htm");
    EXPECT_EQ(f.TopicOfContext(20), "/sub/second.htm");
    EXPECT_EQ(f.TopicOfContext(2), "");
}

TEST_F(ChmHelpTest, KeywordSearch) {
    TChmFile f(Chm);
    EXPECT_EQ(f.FindKeyword("beta"), 1);
    EXPECT_EQ(f.FindKeyword("nothing; ALPHA"), 0);
    EXPECT_EQ(f.FindKeyword("Bet"), -1);  // a look-up needs the whole keyword
    EXPECT_EQ(f.FindKeyword(""), -1);
    EXPECT_EQ(f.FindKeywordPrefix("bet"), 1);
    EXPECT_EQ(f.FindKeywordPrefix("Beta d"), 2);
    EXPECT_EQ(f.FindKeywordPrefix("z"), -1);
}

TEST(ChmLinks, ResolveAgainstThePage) {
    EXPECT_EQ(TChmFile::ResolveLink("/a/b.htm", "c.htm"), "/a/c.htm");
    EXPECT_EQ(TChmFile::ResolveLink("/a/b.htm#x", "../c.htm#y"), "/c.htm#y");
    EXPECT_EQ(TChmFile::ResolveLink("/a/b.htm", "/d/./e.htm"), "/d/e.htm");
    EXPECT_EQ(TChmFile::ResolveLink("/", "..\\..\\x.htm"), "/x.htm");
    EXPECT_EQ(TChmFile::ResolveLink("/", "help.chm::/p.htm"), "/p.htm");
    EXPECT_EQ(TChmFile::ResolveLink("/", "ms-its:help.chm::p.htm"), "/p.htm");
    EXPECT_EQ(TChmFile::ResolveLink("/", "my%20page.htm"), "/my page.htm");
    EXPECT_EQ(TChmFile::ResolveLink("/a/b.htm", "#top"), "/a/b.htm#top");
    EXPECT_EQ(TChmFile::ResolveLink("/", "http://example.org/x"), "http://example.org/x");
}

TEST(ChmSitemap, ToleratesAnyMarkup) {
    auto toc = ParseChmSitemap(
        "<!-- <object type=\"text/sitemap\"><param name=\"Name\" value=\"hidden\"></object> -->"
        "<UL><LI><OBJECT type=\"text/sitemap\"><PARAM name=\"Name\" value='a > b'>"
        "<param name=\"Local\" value=\"x.htm\"></OBJECT>"
        "<object type=\"text/site properties\"><param name=\"Name\" value=\"not an entry\"></object>"
        "<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"caf&#233; &lt;1&gt;\">"
        "<param name=\"Local\" value=\"y.htm\"></object></ul></ul></ul>");
    ASSERT_EQ(toc.size(), 2u);
    EXPECT_EQ(toc[0].Name, "a > b");
    EXPECT_EQ(toc[0].Local, "x.htm");
    EXPECT_EQ(toc[1].Name, "caf\xC3\xA9 <1>");

    EXPECT_TRUE(ParseChmSitemap("").empty());
    EXPECT_TRUE(ParseChmSitemap("<ul><li><object type=\"text/sitemap\"><param name=").empty());

    // Very deep nesting is kept to a bounded depth.
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"n\"></object>";
    auto nested = ParseChmSitemap(deep);
    int depth = 0;
    for (const std::vector<TChmTocEntry>* level = &nested; !level->empty(); level = &level->back().Children)
        ++depth;
    EXPECT_GT(depth, 4);
    EXPECT_LT(depth, 100);
}

TEST_F(ChmHelpTest, MissingAndDamagedFilesNameTheFile) {
    try {
        TChmFile f(Dir.string() + "/absent.chm");
        FAIL() << "no exception";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Cannot find the help file \"" + Dir.string() + "/absent.chm\".");
    }
    WriteText(Dir / "empty.chm", "");
    WriteText(Dir / "text.chm", "this is not a help file at all");
    for (const std::string name : {"empty.chm", "text.chm", "sub"}) {
        std::string path = (Dir / name).string();
        try {
            TChmFile f(path);
            FAIL() << name << " opened";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), TChmFile::DamagedMessage(path));
            EXPECT_NE(e.Message().find(path), std::string::npos);
        }
    }
}

// Truncated and randomly damaged copies either open or raise the damaged-file
// error; nothing else may happen.
TEST_F(ChmHelpTest, DamagedCopiesNeverCrash) {
    const std::string good = ReadBytes(Chm);
    ASSERT_GT(good.size(), 1000u);
    const std::string damaged = (Dir / "damaged.chm").string();
    std::mt19937 rng(20240611);
    int opened = 0, refused = 0;
    auto attempt = [&](const std::string& bytes) {
        WriteText(damaged, bytes);
        try {
            TChmFile f(damaged);
            std::string data;
            for (const std::string& name : f.ObjectNames()) f.ReadObject(name, data);
            f.TopicOfContext(1);
            ++opened;
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), TChmFile::DamagedMessage(damaged));
            ++refused;
        }
    };
    for (size_t cut : {size_t(4), size_t(0x58), size_t(0x100), good.size() / 2, good.size() - 1})
        attempt(good.substr(0, cut));
    for (int round = 0; round < 60; ++round) {
        std::string bytes = good;
        int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) {
            size_t at = rng() % (round < 30 ? std::min<size_t>(bytes.size(), 0x400) : bytes.size());
            bytes[at] = static_cast<char>(rng());
        }
        attempt(bytes);
    }
    EXPECT_GE(refused, 5);
    EXPECT_EQ(opened + refused, 65);
}

// The unpacking process dies as the system ends it: the crash handlers and
// the sanitizer's death callback of this process (as a fuzzer installs them)
// do not run in it.
extern "C" void __sanitizer_set_death_callback(void (*)(void)) __attribute__((weak));
extern "C" void __sanitizer_set_report_path(const char*) __attribute__((weak));
extern "C" void __asan_report_load1(void*) __attribute__((weak));

char GCrashMarker[512];
int GChildSignal = 0;

void MarkTheCrash() {
    const int fd = ::open(GCrashMarker, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
}
void MarkAndLeave(int) {
    MarkTheCrash();
    ::_exit(0);
}
void RaiseTheChildSignal() { ::raise(GChildSignal); }
void ReportABadRead() {
    __sanitizer_set_report_path("/dev/null");
    char byte = 0;
    __asan_report_load1(&byte);
}

TEST_F(ChmHelpTest, TheReadingProcessDiesWithoutThisProcesssCrashHandlers) {
    const std::string marker = (Dir / "crash.marker").string();
    ASSERT_LT(marker.size(), sizeof GCrashMarker);
    std::strcpy(GCrashMarker, marker.c_str());
    for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL, SIGXCPU}) {
        struct sigaction mark {
        }, old{};
        mark.sa_handler = &MarkAndLeave;
        sigemptyset(&mark.sa_mask);
        ASSERT_EQ(::sigaction(sig, &mark, &old), 0);
        GChildSignal = sig;
        SetChmUnpackChildHookForTesting(&RaiseTheChildSignal);
        EXPECT_THROW(TChmFile f(Chm), EInOutError) << strsignal(sig);
        SetChmUnpackChildHookForTesting(nullptr);
        ::sigaction(sig, &old, nullptr);
        EXPECT_FALSE(fs::exists(marker)) << strsignal(sig);
        fs::remove(marker);
    }
    if (!__sanitizer_set_death_callback || !__sanitizer_set_report_path || !__asan_report_load1) return;
    __sanitizer_set_death_callback(&MarkTheCrash);
    SetChmUnpackChildHookForTesting(&ReportABadRead);
    EXPECT_THROW(TChmFile f(Chm), EInOutError);
    SetChmUnpackChildHookForTesting(nullptr);
    __sanitizer_set_death_callback(nullptr);
    EXPECT_FALSE(fs::exists(marker));
    // the file still reads
    EXPECT_EQ(TChmFile(Chm).Title(), "Demo Help");
}

// A listing chunk whose link leads back to itself is refused at once; the
// reading process no longer follows the link until its CPU limit ends it.
void LimitTheChildsCpuToOneSecond() {
    rlimit cpu{1, 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
}

TEST_F(ChmHelpTest, AListingChunkLinkedToItselfIsRefused) {
    std::string bytes = ReadBytes(Chm);
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    const size_t itsp = u32(0x48);
    const size_t first = itsp + u32(itsp + 0x08) + size_t(u32(itsp + 0x20)) * u32(itsp + 0x10);
    ASSERT_EQ(bytes.substr(first, 4), "PMGL");
    std::memcpy(bytes.data() + first + 0x10, bytes.data() + itsp + 0x20, 4);
    const std::string looped = (Dir / "looped.chm").string();
    WriteText(looped, bytes);
    SetChmUnpackChildHookForTesting(&LimitTheChildsCpuToOneSecond);
    rusage before{}, after{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    try {
        TChmFile f(looped);
        ADD_FAILURE() << "opened";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), TChmFile::DamagedMessage(looped));
    }
    ::getrusage(RUSAGE_CHILDREN, &after);
    SetChmUnpackChildHookForTesting(nullptr);
    auto seconds = [](const rusage& r) {
        return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    };
    const double cpu = seconds(after) - seconds(before);
    // the walk ends at the loop, far below the limit that kills a runaway one
    EXPECT_LT(cpu, 0.5);
}

// ---- The help window -------------------------------------------------------------------

TEST_F(ChmHelpTest, ContextOpensItsPageInTheWindow) {
    TChmHelpEngine& engine = ChmHelpEngine();
    ASSERT_TRUE(engine.Execute({hcContext, Chm, 20, ""}));
    EXPECT_TRUE(engine.WindowShowing());
    EXPECT_EQ(engine.CurrentFile(), Chm);
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm");
    EXPECT_EQ(engine.PageTitle(), "Second page");
    EXPECT_NE(engine.PageText().find("Part two"), std::string::npos);
    EXPECT_EQ(engine.WindowCaption(), "Demo Help");
    EXPECT_EQ(engine.SelectedContentsEntry(), "Second & last");

    engine.FollowLink("../intro.htm");
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
    EXPECT_EQ(engine.PageTitle(), "Introduction");
    EXPECT_EQ(engine.SelectedContentsEntry(), "Introduction");
    engine.FollowLink("sub/second.htm#part");
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm#part");

    const std::string png = (Dir / "help_window.png").string();
    EXPECT_TRUE(engine.SaveWindowImage(png));
    EXPECT_GT(fs::file_size(png), 1000u);

    ASSERT_TRUE(engine.Execute({hcCloseAll, "", 0, ""}));
    EXPECT_FALSE(engine.WindowShowing());
    EXPECT_EQ(engine.CurrentFile(), "");
}

// A link clicked with the mouse opens its page, down and back up the folders.
TEST_F(ChmHelpTest, ALinkClickedInThePageOpensItsPage) {
    TChmHelpEngine& engine = ChmHelpEngine();
    ASSERT_TRUE(engine.Execute({hcContext, Chm, 1, ""}));
    QTextBrowser* browser = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "Demo Help") browser = w->findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    const auto click = [browser](const char* Text) {
        const QTextCursor found = browser->document()->find(QString::fromUtf8(Text));
        ASSERT_FALSE(found.isNull()) << Text;
        QTextCursor at(browser->document());
        at.setPosition((found.selectionStart() + found.selectionEnd()) / 2);
        const QPointF p = browser->cursorRect(at).center();
        QMouseEvent down(QEvent::MouseButtonPress, p, browser->viewport()->mapToGlobal(p), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(browser->viewport(), &down);
        QMouseEvent up(QEvent::MouseButtonRelease, p, browser->viewport()->mapToGlobal(p), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(browser->viewport(), &up);
    };
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
    click("the second page");
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm#part");
    EXPECT_EQ(engine.PageTitle(), "Second page");
    click("Back");
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
    EXPECT_EQ(engine.SelectedContentsEntry(), "Introduction");
}

// The help window from the keyboard: the contents have the keys when it
// opens; Down moves along them and Enter shows the entry's page.
TEST_F(ChmHelpTest, TheContentsAreFollowedWithTheKeys) {
    TChmHelpEngine& engine = ChmHelpEngine();
    ASSERT_TRUE(engine.Execute({hcContext, Chm, 1, ""}));
    QWidget* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "Demo Help") window = w;
    ASSERT_NE(window, nullptr);
    auto* tree = qobject_cast<QTreeWidget*>(window->focusWidget());
    ASSERT_NE(tree, nullptr) << "the keys go to a "
                             << (window->focusWidget() ? window->focusWidget()->metaObject()->className()
                                                       : "nothing");
    const auto press = [tree](int Key) {
        QKeyEvent down(QEvent::KeyPress, Key, Qt::NoModifier);
        QApplication::sendEvent(tree, &down);
        QKeyEvent up(QEvent::KeyRelease, Key, Qt::NoModifier);
        QApplication::sendEvent(tree, &up);
    };
    EXPECT_EQ(engine.SelectedContentsEntry(), "Introduction");
    press(Qt::Key_Down);
    EXPECT_EQ(engine.SelectedContentsEntry(), "Second & last");
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
    press(Qt::Key_Return);
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm");
    EXPECT_EQ(engine.PageTitle(), "Second page");
    press(Qt::Key_Up);
    press(Qt::Key_Enter);
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
}

// Escape closes the help window, wherever the keys are in it; the next
// request opens it again on its page.
// The window opens on the work area, frame and caption included, whatever
// frame the window manager draws round it: once the frame is known the window
// moves, and shrinks where it must.
TEST_F(ChmHelpTest, TheWindowLiesOnTheWorkAreaWithTheFrameItIsGiven) {
    TChmHelpEngine& engine = ChmHelpEngine();
    const TRect work = Screen->WorkAreaRect();
    for (const TRect& frame : {TRect{1, 20, 1, 5}, TRect{8, 30, 8, 8}}) {
        SCOPED_TRACE(frame.Top);
        TTestWindowFrame manager(frame);
        ASSERT_TRUE(engine.Execute({hcContext, Chm, 1, ""}));
        ProcessEvents();
        const TRect client = engine.WindowBounds();
        const TRect outer{client.Left - frame.Left, client.Top - frame.Top, client.Right + frame.Right,
                          client.Bottom + frame.Bottom};
        EXPECT_GE(outer.Left, work.Left);
        EXPECT_GE(outer.Top, work.Top);
        EXPECT_LE(outer.Right, work.Right);
        EXPECT_LE(outer.Bottom, work.Bottom);
        engine.CloseAll();
    }
}

TEST_F(ChmHelpTest, EscapeClosesTheWindow) {
    TChmHelpEngine& engine = ChmHelpEngine();
    auto focused = []() -> QWidget* {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == "Demo Help")
                return w->focusWidget() ? w->focusWidget() : w;
        return nullptr;
    };
    const auto escape = [](QWidget* Target) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(Target, &down);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(Target, &up);
    };
    ASSERT_TRUE(engine.Execute({hcContext, Chm, 1, ""}));
    QWidget* tree = focused();
    ASSERT_NE(tree, nullptr);
    escape(tree);
    EXPECT_FALSE(engine.WindowShowing());
    // In the index, with a keyword typed.
    ASSERT_TRUE(engine.Execute({hcKeywordLookup, Chm, 0, "alpha"}));
    ASSERT_TRUE(engine.WindowShowing());
    engine.TypeIndexText("bet");
    QWidget* search = focused();
    ASSERT_NE(search, nullptr);
    escape(search);
    EXPECT_FALSE(engine.WindowShowing());
    ASSERT_TRUE(engine.Execute({hcContext, Chm, 1, ""}));
    EXPECT_TRUE(engine.WindowShowing());
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
    // In the page.
    QWidget* window = focused()->window();
    auto* page = window->findChild<QTextBrowser*>();
    ASSERT_NE(page, nullptr);
    escape(page);
    EXPECT_FALSE(engine.WindowShowing());
}

TEST_F(ChmHelpTest, TopicsTableOfContentsAndKeywords) {
    TChmHelpEngine& engine = ChmHelpEngine();
    ASSERT_TRUE(engine.Execute({hcDisplayTopic, Chm + "::/sub/second.htm", 0, ""}));
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm");

    ASSERT_TRUE(engine.Execute({hcTableOfContents, Chm, 0, ""}));
    EXPECT_EQ(engine.ActivePane(), hpContents);
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm");  // the page stays

    ASSERT_TRUE(engine.Execute({hcKeywordLookup, Chm, 0, "alpha"}));
    EXPECT_EQ(engine.ActivePane(), hpIndex);
    EXPECT_EQ(engine.IndexSearchText(), "Alpha");
    EXPECT_EQ(engine.SelectedKeyword(), "Alpha");
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");

    // Unknown: the index shows the text typed, at the nearest keyword.
    ASSERT_TRUE(engine.Execute({hcKeywordLookup, Chm, 0, "bet"}));
    EXPECT_EQ(engine.ActivePane(), hpIndex);
    EXPECT_EQ(engine.IndexSearchText(), "bet");
    EXPECT_EQ(engine.SelectedKeyword(), "Beta");
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
    engine.DisplaySelectedKeyword();
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm");

    engine.TypeIndexText("beta d");
    EXPECT_EQ(engine.SelectedKeyword(), "Beta detail");
    engine.DisplaySelectedKeyword();
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm#part");
}

TEST_F(ChmHelpTest, FailuresShowAMessageNamingTheFile) {
    TTestDialogs dialogs;
    TChmHelpEngine& engine = ChmHelpEngine();
    const std::string absent = (Dir / "absent.chm").string();
    EXPECT_FALSE(engine.Execute({hcContext, absent, 1, ""}));
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "Cannot find the help file \"" + absent + "\".");
    EXPECT_EQ(dialogs.Last().DlgType, mtError);
    EXPECT_FALSE(engine.WindowShowing());

    EXPECT_FALSE(engine.Execute({hcContext, Chm, 999, ""}));
    EXPECT_EQ(dialogs.Last().Text, "The help file \"" + Chm + "\" has no topic for help context 999.");
    EXPECT_FALSE(engine.Execute({hcDisplayTopic, Chm + "::/nothing.htm", 0, ""}));
    EXPECT_EQ(dialogs.Last().Text, "The help file \"" + Chm + "\" has no topic \"/nothing.htm\".");

    WriteText(Dir / "bad.chm", "ITSF garbage");
    const std::string bad = (Dir / "bad.chm").string();
    EXPECT_FALSE(engine.Execute({hcTableOfContents, bad, 0, ""}));
    EXPECT_EQ(dialogs.Last().Text, TChmFile::DamagedMessage(bad));
    EXPECT_EQ(engine.LastError(), TChmFile::DamagedMessage(bad));
    EXPECT_EQ(dialogs.Count(), 4);

    // A good request afterwards works and clears the error.
    EXPECT_TRUE(engine.Execute({hcContext, Chm, 1, ""}));
    EXPECT_EQ(engine.LastError(), "");
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
}

// The unpacking process waits on this pipe before it reads the file, until the
// test opens it or closes it (or the reader's own time runs out and kills it).
int ChildGate = -1;
void WaitAtTheGate() {
    pollfd p{ChildGate, POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {}
}

// While the help file is read the program runs on: a timer fires, a control is
// painted, the busy cursor shows and another request is refused; all of it while
// the reading process still waits.
TEST_F(ChmHelpTest, TheProgramRunsOnWhileTheFileIsRead) {
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    ChildGate = gate[0];
    SetChmUnpackChildHookForTesting(&WaitAtTheGate);

    TForm* form = CreateForm<TForm>(Application);
    form->SetBounds(0, 0, 200, 120);
    auto* box = new TPaintBox(form);
    box->SetParent(form);
    box->SetBounds(0, 0, 100, 50);
    int paints = 0;
    box->SetOnPaint(TNotifyEvent([&](TObject*) { ++paints; }));
    form->Show();
    Application->ProcessMessages();

    TChmHelpEngine& engine = ChmHelpEngine();
    TTimer timer(nullptr);
    timer.SetInterval(20);
    int ticks = 0, paintsAtFirstTick = -1;
    bool readingSeen = false, busyCursorSeen = false, secondRefused = false, released = false;
    timer.SetOnTimer(TNotifyEvent([&](TObject*) {
        if (!engine.Reading()) return;
        if (++ticks == 1) {
            readingSeen = true;
            busyCursorSeen = Screen->Cursor() == crHourGlass;
            secondRefused = !engine.Execute({hcContext, Chm, 1, ""});
            paintsAtFirstTick = paints;
            box->Invalidate();
        } else if (paints > paintsAtFirstTick && !released) {
            released = true;
            ASSERT_EQ(::write(gate[1], "go", 2), 2);
        }
    }));
    const bool opened = engine.Execute({hcContext, Chm, 20, ""});
    timer.SetEnabled(false);
    SetChmUnpackChildHookForTesting(nullptr);
    ::close(gate[0]);
    ::close(gate[1]);

    EXPECT_TRUE(readingSeen);
    EXPECT_TRUE(busyCursorSeen);
    EXPECT_TRUE(secondRefused);
    EXPECT_TRUE(released) << "no paint while the file was read";
    EXPECT_TRUE(opened);
    EXPECT_EQ(engine.CurrentTopic(), "/sub/second.htm");
    EXPECT_FALSE(engine.Reading());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    delete form;
}

// A file that cannot be read still ends in the same error box after the
// event-loop wait, the cursor comes back, and the next request works.
TEST_F(ChmHelpTest, ADamagedFileReadInTheEventLoopKeepsItsMessage) {
    TTestDialogs dialogs;
    TChmHelpEngine& engine = ChmHelpEngine();
    WriteText(Dir / "cut.chm", ReadBytes(Chm).substr(0, 0x58));
    const std::string cut = (Dir / "cut.chm").string();
    EXPECT_FALSE(engine.Execute({hcDisplayTopic, cut, 0, ""}));
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text,
              "The help file \"" + cut + "\" is damaged or is not a compiled help file.");
    EXPECT_EQ(dialogs.Last().DlgType, mtError);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_FALSE(engine.Reading());
    EXPECT_TRUE(engine.Execute({hcContext, Chm, 1, ""}));
    EXPECT_EQ(engine.CurrentTopic(), "/intro.htm");
}

}  // namespace
