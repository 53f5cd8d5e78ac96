// The single-instance rule between processes: a second copy hands over to
// the running one and ends, and a crashed copy does not block the next.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/single_instance.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/ui/application.h"
#include "platform/ui/testing.h"

extern char** environ;

namespace {

constexpr int ChildFoundAnother = 10;
constexpr int ChildIsFirst = 11;

// Runs this test program again as another copy of the program: Mode
// "second" checks and ends, "hold" claims the name and waits to be killed.
pid_t SpawnCopy(const std::string& Mode, const std::string& Title,
                const std::string& Marker = std::string()) {
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
    // The copy's own test report would only clutter this one's.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, exe.c_str(), &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    return failed ? -1 : pid;
}

// Waits for the process while the event loop runs; answers its exit code
// (-1 when it did not end normally in time).
int WaitForCopy(pid_t Pid, int Milliseconds) {
    int status = 0;
    bool ended = false;
    WaitUntil(
        [&] {
            ended = ended || waitpid(Pid, &status, WNOHANG) == Pid;
            return ended;
        },
        Milliseconds);
    if (!ended) {
        kill(Pid, SIGKILL);
        waitpid(Pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        OldTitle = Application->Title();
        Title = "Taskmoor test " + CreateGUIDString().substr(1, 8);
        Application->SetTitle(Title);
    }
    void TearDown() override {
        CloseInstanceMutex();
        Application->SetTitle(OldTitle);
    }
    std::string OldTitle, Title;
};

TEST_F(SingleInstance, NameFollowsTheTitleAndTheUser) {
    EXPECT_EQ(InstanceName(), Title + "." + std::to_string(getuid()));
}

TEST_F(SingleInstance, FirstCopyClaimsTheNameAndNobodyAnswersBeforeThat) {
    EXPECT_EQ(FindOtherInstanceWindow(), NoInstanceWindow);
    EXPECT_FALSE(BringInstanceForward(NoInstanceWindow));
    EXPECT_FALSE(CreateInstanceMutex());
    // The claim is this process's own: asking again does not find another.
    EXPECT_FALSE(CreateInstanceMutex());
    CloseInstanceMutex();
    EXPECT_EQ(FindOtherInstanceWindow(), NoInstanceWindow);
}

TEST_F(SingleInstance, SecondCopyHandsOverAndEnds) {
    ASSERT_FALSE(IsAnotherInstance());
    const int answered = InstanceRequestsAnswered();
    const pid_t child = SpawnCopy("second", Title);
    ASSERT_GT(child, 0);
    EXPECT_EQ(WaitForCopy(child, 20000), ChildFoundAnother);
    EXPECT_EQ(InstanceRequestsAnswered(), answered + 1);

    // Once the first copy gives the name up, a new copy runs as the first.
    CloseInstanceMutex();
    const pid_t next = SpawnCopy("second", Title);
    ASSERT_GT(next, 0);
    EXPECT_EQ(WaitForCopy(next, 20000), ChildIsFirst);
}

TEST_F(SingleInstance, CrashedCopyDoesNotStopTheNextStart) {
    const std::string marker =
        IncludeTrailingPathDelimiter(GetTempDir()) + "taskmoor_copy_" + CreateGUIDString().substr(1, 8);
    const pid_t holder = SpawnCopy("hold", Title, marker);
    ASSERT_GT(holder, 0);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(marker); }, 20000));
    // While it runs, the name is taken.
    EXPECT_TRUE(CreateInstanceMutex());
    kill(holder, SIGKILL);
    int status = 0;
    waitpid(holder, &status, 0);
    // Killed without a chance to clean up: nothing of it is left behind.
    EXPECT_FALSE(CreateInstanceMutex());
    std::filesystem::remove(marker);
}

// The other copy's side, run in a process of its own by the tests above.
TEST(SingleInstanceCopy, DISABLED_Run) {
    const char* mode = std::getenv("TASKMOOR_COPY_MODE");
    const char* title = std::getenv("TASKMOOR_COPY_TITLE");
    if (!mode || !title) GTEST_SKIP();
    Application->SetTitle(title);
    const bool another = IsAnotherInstance();
    if (std::string(mode) == "hold") {
        if (const char* marker = std::getenv("TASKMOOR_COPY_MARKER")) std::ofstream(marker) << "ready";
        for (;;) {
            ProcessEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    _exit(another ? ChildFoundAnother : ChildIsFirst);
}

}  // namespace
