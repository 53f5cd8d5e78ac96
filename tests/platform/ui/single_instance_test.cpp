// The single-instance service: one running copy per user and display, the
// hand-over from a later copy, and peers that must not hold up the window.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/process.h"
#include "platform/ui/application.h"
#include "platform/ui/single_instance.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "support/environment.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int CopyFoundAnother = 10;
constexpr int CopyIsFirst = 11;
// What a later copy waits for the running one, and the test for either: long
// enough for any machine (an answer that comes ends the wait at once).
constexpr int AnswerWait = 60000;
// A peer timeout no test lasts: silent peers stay until a test lets them go.
constexpr int NoPeerTimeout = 3600000;

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Dir.empty());
        Env.Set("XDG_RUNTIME_DIR", Dir.c_str());
        Env.Set("DISPLAY", ":7");
    }

    // A later copy in a thread of its own, while this one runs the event loop.
    static bool AskFromAnotherThread(const TSingleInstance& Instance) {
        std::atomic<int> result{-1};
        std::thread copy([&] {
            TLocalSocket peer = Instance.Connect(AnswerWait);
            result = TSingleInstance::AskToComeForward(peer, AnswerWait) ? 1 : 0;
        });
        WaitUntil([&] { return result >= 0; }, 3 * AnswerWait);
        copy.join();
        return result == 1;
    }

    TTestEnvironment Env;
    const std::string Dir = Env.Folder();
    const std::string Title = "Taskmoor test " + CreateGUIDString().substr(1, 8);
};

TEST_F(SingleInstance, NamedAfterTitleUserAndDisplay) {
    TSingleInstance instance(Title);
    const std::string name = Title + "." + std::to_string(CurrentUserId()) + ".:7";
    EXPECT_EQ(instance.Name(), name);
    EXPECT_EQ(instance.SocketPath(), Dir + "/" + name + ".socket");
    EXPECT_EQ(instance.LockPath(), Dir + "/" + name + ".lock");
    // No folder separators; a name too long for a socket path is shortened.
    EXPECT_EQ(TSingleInstance("a/b\n").Name().substr(0, 4), "a_b_");
    TSingleInstance longOne(std::string(300, 'x'));
    EXPECT_LE(longOne.SocketPath().size(), MaxSocketPath());
    EXPECT_NE(longOne.Name(), TSingleInstance(std::string(301, 'x')).Name());
    EXPECT_EQ(longOne.Claim(), TSingleInstance::scFirst);
}

TEST_F(SingleInstance, OneCopyPerUserAndDisplay) {
    TSingleInstance first(Title), second(Title);
    EXPECT_EQ(first.Claim(), TSingleInstance::scFirst);
    EXPECT_TRUE(first.First());
    EXPECT_EQ(first.Claim(), TSingleInstance::scFirst);  // asking again keeps it
    EXPECT_EQ(second.Claim(), TSingleInstance::scTaken);
    EXPECT_FALSE(second.First());
    EXPECT_EQ(fs::status(Dir).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(fs::is_socket(first.SocketPath()));

    // Another display is another copy.
    Env.Set("DISPLAY", ":8");
    TSingleInstance elsewhere(Title);
    EXPECT_EQ(elsewhere.Claim(), TSingleInstance::scFirst);

    // Given up, the name is free again and its socket file gone.
    first.Release();
    EXPECT_FALSE(fs::exists(first.SocketPath()));
    EXPECT_EQ(second.Claim(), TSingleInstance::scFirst);
}

TEST_F(SingleInstance, LaterCopyHandsOver) {
    TSingleInstance first(Title), later(Title);
    int shown = 0;
    first.SetOnComeForward([&] { ++shown; });
    ASSERT_EQ(first.Claim(), TSingleInstance::scFirst);
    ASSERT_EQ(later.Claim(), TSingleInstance::scTaken);
    EXPECT_TRUE(AskFromAnotherThread(later));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(first.RequestsAnswered(), 1);
    // With nobody running, a later copy finds nobody, at once.
    first.Release();
    EXPECT_FALSE(later.Connect(5000).Valid());
    TLocalSocket none;
    EXPECT_FALSE(TSingleInstance::AskToComeForward(none, 100));
}

TEST_F(SingleInstance, SilentPeersDoNotHoldUpTheWindow) {
    TSingleInstance first(Title);
    // (their time does not run out while the test looks, however slow the machine)
    first.SetPeerTimeout(NoPeerTimeout);
    int shown = 0;
    first.SetOnComeForward([&] { ++shown; });
    ASSERT_EQ(first.Claim(), TSingleInstance::scFirst);
    std::vector<TLocalSocket> silent;
    for (int i = 0; i < 30; ++i) {
        silent.push_back(TLocalSocket::Connect(first.SocketPath()));
        ASSERT_TRUE(silent.back().Valid());
        ProcessEvents();
    }
    // The event loop goes on: a timer keeps firing while they say nothing.
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(10);
    timer.SetOnTimer([&](TObject*) { ++ticks; });
    ASSERT_TRUE(WaitUntil([&] { return ticks >= 10; }, AnswerWait)) << ticks << " ticks";
    EXPECT_EQ(first.PeersWaiting(), TSingleInstance::MaxPeers);
    // A real request gets through while they wait: answered at once when it
    // is there as its connection is taken, else the oldest makes room.
    TSingleInstance later(Title);
    EXPECT_TRUE(AskFromAnotherThread(later));
    EXPECT_EQ(shown, 1);
    EXPECT_GE(first.PeersWaiting(), TSingleInstance::MaxPeers - 1);
}

TEST_F(SingleInstance, SilentPeersAreDroppedPastTheirTime) {
    TSingleInstance first(Title);
    first.SetPeerTimeout(200);
    int shown = 0;
    first.SetOnComeForward([&] { ++shown; });
    ASSERT_EQ(first.Claim(), TSingleInstance::scFirst);
    std::vector<TLocalSocket> silent;
    for (int i = 0; i < 30; ++i) {
        silent.push_back(TLocalSocket::Connect(first.SocketPath()));
        ASSERT_TRUE(silent.back().Valid());
        ProcessEvents();
    }
    // Every one of them is dropped: closed from the running copy's side.
    auto closed = [](TLocalSocket& s) {
        std::string got;
        return s.Receive(got, 10) == TLocalSocket::ioClosed && got.empty();
    };
    for (TLocalSocket& s : silent) ASSERT_TRUE(WaitUntil([&] { return closed(s); }, AnswerWait));
    EXPECT_TRUE(WaitUntil([&] { return first.PeersWaiting() == 0; }, AnswerWait));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(first.RequestsAnswered(), 0);
}

// A bounded flood of connections that open and close at once, all made
// before the running copy gets to them, with requests among them: the queue
// holds every one, the closed ones are let go, and every request is answered.
TEST_F(SingleInstance, AFloodOfClosedConnectionsDropsNoRequest) {
    TSingleInstance first(Title);
    int shown = 0;
    first.SetOnComeForward([&] { ++shown; });
    ASSERT_EQ(first.Claim(), TSingleInstance::scFirst);
    auto flood = [&](int Count) {
        for (int i = 0; i < Count; ++i) ASSERT_TRUE(TLocalSocket::Connect(first.SocketPath()).Valid()) << i;
    };
    constexpr int Probes = 4;
    std::vector<TLocalSocket> probes;
    for (int i = 0; i < Probes; ++i) {
        flood(TSingleInstance::MaxPeers + 4);
        probes.push_back(TLocalSocket::Connect(first.SocketPath()));
        ASSERT_TRUE(probes.back().Valid());
        std::string request = TSingleInstance::ComeForwardRequest;
        ASSERT_EQ(probes.back().Send(request), TLocalSocket::ioDone);
    }
    flood(TSingleInstance::MaxPeers + 4);
    for (TLocalSocket& probe : probes) {
        std::string answer;
        ASSERT_TRUE(
            WaitUntil([&] { return probe.Receive(answer, 10) == TLocalSocket::ioClosed; }, AnswerWait));
        EXPECT_EQ(answer, TSingleInstance::ComeForwardAnswer);
    }
    EXPECT_EQ(shown, Probes);
    EXPECT_EQ(first.RequestsAnswered(), Probes);
    EXPECT_EQ(first.PeersWaiting(), 0);
    // The program goes on answering.
    EXPECT_TRUE(AskFromAnotherThread(TSingleInstance(Title)));
}

TEST_F(SingleInstance, OnlyTheRequestIsAnswered) {
    TSingleInstance first(Title);
    int shown = 0;
    first.SetOnComeForward([&] { ++shown; });
    ASSERT_EQ(first.Claim(), TSingleInstance::scFirst);
    struct Case {
        std::vector<std::string> Parts;
        bool Answered;
    } cases[] = {
        {{"SH", "OW\n"}, true},  // in pieces
        {{"HELLO\n"}, false},
        {{"SHOW\nSHOW\n"}, false},
        {{"SHOW"}, false},  // never finished
        {{std::string(TSingleInstance::MaxMessage, 'S')}, false},
        {{std::string(10000, 'S') + "\n"}, false},
    };
    for (const Case& c : cases) {
        // A request sent in pieces is answered however long the pieces take;
        // a peer that never finishes is dropped when its time runs out.
        first.SetPeerTimeout(c.Answered ? NoPeerTimeout : 300);
        TLocalSocket peer = TLocalSocket::Connect(first.SocketPath());
        ASSERT_TRUE(peer.Valid());
        for (std::string part : c.Parts) {
            while (!part.empty() && peer.Send(part) != TLocalSocket::ioClosed) ProcessEvents();
            for (int i = 0; i < 5; ++i) ProcessEvents();
        }
        std::string answer;
        ASSERT_TRUE(
            WaitUntil([&] { return peer.Receive(answer, 100) == TLocalSocket::ioClosed; }, AnswerWait))
            << c.Parts[0].substr(0, 20);
        EXPECT_EQ(answer, c.Answered ? TSingleInstance::ComeForwardAnswer : "") << c.Parts[0].substr(0, 20);
    }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(first.RequestsAnswered(), 1);
}

TEST_F(SingleInstance, WhatACrashOrASquatterLeftDoesNotStopTheStart) {
    TSingleInstance probe(Title);
    // A socket file nobody listens on any more.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, probe.SocketPath().c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    {
        TSingleInstance first(Title);
        EXPECT_EQ(first.Claim(), TSingleInstance::scFirst);
        EXPECT_TRUE(AskFromAnotherThread(TSingleInstance(Title)));
    }
    // Something listening at the name without holding its lock.
    TLocalServer squatter;
    ASSERT_TRUE(squatter.Listen(probe.SocketPath()));
    TSingleInstance first(Title);
    int shown = 0;
    first.SetOnComeForward([&] { ++shown; });
    EXPECT_EQ(first.Claim(), TSingleInstance::scFirst);
    EXPECT_TRUE(AskFromAnotherThread(TSingleInstance(Title)));
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(squatter.Accept().Valid());
}

// Another user cannot reach the folder: not the socket, not the lock, not
// the name. Needs the rights to become another user.
TEST_F(SingleInstance, OtherUsersCannotReachTheName) {
    if (::getuid() != 0) GTEST_SKIP() << "needs to run as root to act as another user";
    TSingleInstance first(Title);
    ASSERT_EQ(first.Claim(), TSingleInstance::scFirst);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        int reached = 0;
        if (TLocalSocket::Connect(first.SocketPath()).Valid()) reached |= 1;
        TFileLock lock;
        if (lock.TryLock(first.LockPath()) != TFileLock::flFailed) reached |= 2;
        TLocalServer squat;
        if (squat.Listen(Dir + "/other.socket")) reached |= 4;
        ::_exit(reached);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1 socket, 2 lock, 4 new socket reached";
    EXPECT_TRUE(AskFromAnotherThread(TSingleInstance(Title)));
}

// ---- Between processes --------------------------------------------------------------------------

// Runs this test program again as another copy: Mode "ask" claims and, when
// taken, asks the running copy to come forward; "hold" claims and waits.
pid_t SpawnCopy(const std::string& Mode, const std::string& Title, const std::string& Marker = "") {
    const std::string exe = ApplicationExeName();
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("TASKMOOR_COPY_MODE=" + Mode);
    env.push_back("TASKMOOR_COPY_TITLE=" + Title);
    env.push_back("TASKMOOR_COPY_MARKER=" + Marker);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string filter = "--gtest_filter=SingleInstanceCopy.DISABLED_Run";
    std::string disabled = "--gtest_also_run_disabled_tests";
    std::vector<char*> argv{const_cast<char*>(exe.c_str()), filter.data(), disabled.data(), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, exe.c_str(), &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    return failed ? -1 : pid;
}

// The copy's exit code, with the event loop running meanwhile; -1 when it
// did not end normally in time.
int WaitForCopy(pid_t Pid, int Milliseconds) {
    int status = 0;
    bool ended = false;
    WaitUntil(
        [&] {
            ended = ended || ::waitpid(Pid, &status, WNOHANG) == Pid;
            return ended;
        },
        Milliseconds);
    if (!ended) {
        ::kill(Pid, SIGKILL);
        ::waitpid(Pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SingleInstance, KilledProcessDoesNotStopTheNextStart) {
    const std::string marker = Dir + "/ready";
    const pid_t holder = SpawnCopy("hold", Title, marker);
    ASSERT_GT(holder, 0);
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(marker); }, 3 * AnswerWait));
    // A second process hands over to the running one and ends.
    const pid_t second = SpawnCopy("ask", Title);
    EXPECT_EQ(WaitForCopy(second, 3 * AnswerWait), CopyFoundAnother);
    // Killed without a chance to clean up, the holder leaves its socket file
    // behind; the next process runs as the first all the same.
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(fs::exists(TSingleInstance(Title).SocketPath()));
    EXPECT_EQ(WaitForCopy(SpawnCopy("ask", Title), 3 * AnswerWait), CopyIsFirst);
}

// The other copy's side, run in a process of its own by the tests above.
TEST(SingleInstanceCopy, DISABLED_Run) {
    const char* mode = std::getenv("TASKMOOR_COPY_MODE");
    const char* title = std::getenv("TASKMOOR_COPY_TITLE");
    if (!mode || !title) GTEST_SKIP();
    TSingleInstance instance(title);
    const TSingleInstance::TClaim claim = instance.Claim();
    if (std::string(mode) == "hold") {
        instance.SetOnComeForward([] {});
        if (const char* marker = std::getenv("TASKMOOR_COPY_MARKER")) std::ofstream(marker) << "ready";
        for (;;) {
            ProcessEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (claim == TSingleInstance::scFirst) {
        // As the program ends: the name is given up after the application.
        FinalizeApplication();
        instance.Release();
        ::_exit(fs::exists(instance.SocketPath()) ? 0 : CopyIsFirst);
    }
    if (claim != TSingleInstance::scTaken) ::_exit(0);
    TLocalSocket peer = instance.Connect(AnswerWait);
    ::_exit(TSingleInstance::AskToComeForward(peer, AnswerWait) ? CopyFoundAnother : 0);
}

}  // namespace
