// The program's single-instance check: the first start claims the name, a
// later one hands over to it and ends.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/single_instance.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/process.h"
#include "platform/ui/application.h"
#include "platform/ui/single_instance.h"
#include "platform/ui/testing.h"
#include "support/environment.h"

namespace {

// How long a later copy waits for the running one in these tests: long
// enough for any machine (an answer that comes ends the wait at once).
constexpr int AnswerWait = 60000;

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        // A runtime folder of the test's own.
        ASSERT_FALSE(Dir.empty());
        Env.Set("XDG_RUNTIME_DIR", Dir.c_str());
        OldTitle = Application->Title();
        Title = "Taskmoor test " + CreateGUIDString().substr(1, 8);
        Application->SetTitle(Title);
        SetInstanceReplyTimeout(AnswerWait);
    }
    void TearDown() override {
        SetInstanceReplyTimeout(0);
        CloseInstanceMutex();
        Application->SetTitle(OldTitle);
    }
    TTestEnvironment Env;
    const std::string Dir = Env.Folder();
    std::string OldTitle, Title;
};

TEST_F(SingleInstance, FirstCopyClaimsTheNameAndNobodyAnswersBeforeThat) {
    TInstanceWindow none = FindOtherInstanceWindow();
    EXPECT_FALSE(none.Valid());
    EXPECT_FALSE(BringInstanceForward(none));
    EXPECT_FALSE(IsAnotherInstance());
    // The claim is this process's own: asking again does not find another.
    EXPECT_FALSE(CreateInstanceMutex());
    EXPECT_FALSE(FindOtherInstanceWindow().Valid());
    // Another copy finds it taken.
    EXPECT_EQ(TSingleInstance(Title).Claim(), TSingleInstance::scTaken);
    CloseInstanceMutex();
    EXPECT_EQ(TSingleInstance(Title).Claim(), TSingleInstance::scFirst);
}

TEST_F(SingleInstance, LaterCopyIsAnsweredWhileTheWindowRuns) {
    ASSERT_FALSE(IsAnotherInstance());
    EXPECT_TRUE(std::filesystem::is_socket(TSingleInstance(Title).SocketPath()));
    EXPECT_EQ(TSingleInstance(Title).SocketPath().rfind(Dir + "/", 0), 0u);
    const int answered = InstanceRequestsAnswered();
    std::atomic<int> confirmed{-1};
    std::thread later([&] {
        TSingleInstance copy(Title);
        TLocalSocket peer =
            copy.Claim() == TSingleInstance::scTaken ? copy.Connect(AnswerWait) : TLocalSocket();
        confirmed = TSingleInstance::AskToComeForward(peer, AnswerWait) ? 1 : 0;
    });
    WaitUntil([&] { return confirmed >= 0; }, 3 * AnswerWait);
    later.join();
    EXPECT_EQ(confirmed, 1);
    EXPECT_EQ(InstanceRequestsAnswered(), answered + 1);
}

// A copy that finds the name held by a process that does not answer says
// so before it ends.
TEST_F(SingleInstance, ACopyWhoseRunningCopyDoesNotAnswerSaysSo) {
    TFileLock silent;  // held, and nobody listens
    ASSERT_EQ(silent.TryLock(TSingleInstance(Title).LockPath()), TFileLock::flLocked);
    SetInstanceReplyTimeout(100);  // nobody answers however long it waits
    TTestDialogs dialogs;
    EXPECT_TRUE(IsAnotherInstance());
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().DlgType, mtError);
    EXPECT_EQ(dialogs.Last().Text, SInstanceNotAnswering);
    // Titled as every other box of the program.
    EXPECT_EQ(dialogs.Last().Caption, Title);
}

// Same-user connections that open and close at once, from eight threads,
// while later copies start one after the other: every later copy hands over
// to the running one and none says it does not answer. Bounded in count:
// each flood thread makes at most Rounds connections, and stops when the
// copies are through.
TEST_F(SingleInstance, EveryLaterCopyHandsOverThroughAFloodOfConnections) {
    TSingleInstance running(Title);
    int shown = 0;
    running.SetOnComeForward([&] { ++shown; });
    ASSERT_EQ(running.Claim(), TSingleInstance::scFirst);
    constexpr int Threads = 8, Rounds = 2000000, Copies = 32;
    std::atomic<bool> through{false};
    std::atomic<int> connections{0};
    std::vector<std::thread> flood;
    for (int t = 0; t < Threads; ++t)
        flood.emplace_back([&] {
            for (int i = 0; i < Rounds && !through; ++i)
                if (TLocalSocket::Connect(running.SocketPath()).Valid()) ++connections;
        });
    TTestDialogs dialogs;
    std::atomic<int> copies{0}, foundAnother{0};
    std::thread later([&] {
        while (connections < Threads * 10) std::this_thread::yield();
        for (int c = 0; c < Copies; ++c) {
            if (IsAnotherInstance()) ++foundAnother;
            CloseInstanceMutex();
            ++copies;
        }
        through = true;
    });
    // The running copy's event loop meanwhile.
    WaitUntil([&] { return copies == Copies; }, 8 * AnswerWait);
    through = true;
    later.join();
    for (std::thread& t : flood) t.join();
    EXPECT_EQ(foundAnother, Copies);
    EXPECT_EQ(dialogs.Count(), 0) << (dialogs.Count() ? dialogs.Last().Text : std::string());
    WaitUntil([&] { return running.RequestsAnswered() == Copies; }, AnswerWait);
    EXPECT_EQ(running.RequestsAnswered(), Copies);
    EXPECT_EQ(shown, Copies);
}

// The data folder's lock keeps a second holder out, whoever it is, and says
// why; a lock that cannot be had is told, not passed over.
TEST_F(SingleInstance, TheDataFolderIsLockedForOneCopy) {
    const std::string data = Env.Path("data");
    ASSERT_TRUE(ForceDirectories(data));
    TTestDialogs dialogs;
    ASSERT_TRUE(ClaimDataFolder(data));
    EXPECT_EQ(dialogs.Count(), 0);
    TFileLock other;
    EXPECT_EQ(other.TryLock(DataFolderLockPath(data)), TFileLock::flHeld);
    CloseInstanceMutex();
    ASSERT_EQ(other.TryLock(DataFolderLockPath(data)), TFileLock::flLocked);
    EXPECT_FALSE(ClaimDataFolder(data + "/"));
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().DlgType, mtError);
    EXPECT_EQ(dialogs.Last().Text, "Another copy of the program is using the data folder " + data + ".");
    EXPECT_EQ(dialogs.Last().Caption, Title);
    other.Unlock();

    // A folder that is gone: warned, and the start goes on.
    dialogs.Clear();
    EXPECT_TRUE(ClaimDataFolder(Env.Path("missing")));
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().DlgType, mtWarning);
    EXPECT_EQ(dialogs.Last().Text.rfind("Cannot lock the data folder " + Env.Path("missing") + " (", 0), 0u)
        << dialogs.Last().Text;
}

// A lock file that is not a regular file (a named pipe left in the data
// folder) is never waited on: the start is warned with the reason, in a
// whole sentence, and goes on.
TEST_F(SingleInstance, ALockFileThatIsANamedPipeIsToldWithItsReason) {
    const std::string data = Env.Path("piped");
    ASSERT_TRUE(ForceDirectories(data));
    ASSERT_EQ(std::system(("mkfifo '" + DataFolderLockPath(data) + "'").c_str()), 0);
    TTestDialogs dialogs;
    EXPECT_TRUE(ClaimDataFolder(data));
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().DlgType, mtWarning);
    EXPECT_EQ(dialogs.Last().Text, "Cannot lock the data folder " + data +
                                       " (Is not a regular file): another copy of the program started on it "
                                       "would not be kept out.");
}

}  // namespace
