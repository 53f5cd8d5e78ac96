// The program and the data maker started as processes of their own, as a
// user starts them from a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/guid.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct TRun {
    int ExitCode = -1;  // -1: killed or still running at the guard
    std::string Out, Err;
};

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = fs::temp_directory_path() / ("taskmoor_proc_" + CreateGUIDString().substr(1, 8));
        fs::create_directories(Dir / "work");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(Dir, ec);
    }

    // Runs Exe with Args in the folder "work", its environment this one's
    // without the variables named in Drop.
    TRun Run(const std::string& Exe, const std::vector<std::string>& Args,
             const std::vector<std::string>& Drop = {}) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            bool keep = true;
            for (const std::string& name : Drop)
                if (entry.compare(0, name.size() + 1, name + "=") == 0) keep = false;
            if (keep) env.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> args{Exe};
        args.insert(args.end(), Args.begin(), Args.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string out = (Dir / "out.txt").string(), err = (Dir / "err.txt").string();
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        const std::string oldDir = GetCurrentDir();
        SetCurrentDir((Dir / "work").string());
        pid_t pid = 0;
        const int failed = posix_spawn(&pid, Exe.c_str(), &files, nullptr, argv.data(), envp.data());
        SetCurrentDir(oldDir);
        posix_spawn_file_actions_destroy(&files);
        TRun run;
        if (failed) return run;
        // A guard against a process that never ends, not a measure of speed.
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 3000 && !ended; ++i) {
            ended = ::waitpid(pid, &status, WNOHANG) == pid;
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!ended) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        } else if (WIFEXITED(status)) {
            run.ExitCode = WEXITSTATUS(status);
        }
        run.Out = Read(out);
        run.Err = Read(err);
        return run;
    }
    static std::string Read(const std::string& File) {
        std::string text;
        if (FILE* f = std::fopen(File.c_str(), "rb")) {
            char buf[4096];
            for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
            std::fclose(f);
        }
        return text;
    }
    std::vector<std::string> WorkFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir / "work"))
            names.push_back(entry.path().filename());
        return names;
    }

    fs::path Dir;
};

using ProgramWithoutDisplay = ProcessTest;
using DataMaker = ProcessTest;

// Started over a terminal with no display, the program says it needs one and
// ends at once with a failure; it makes nothing in its folder.
TEST_F(ProgramWithoutDisplay, SaysSoAndEnds) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"--help"}}) {
        SCOPED_TRACE(args.empty() ? "no arguments" : args[0]);
        const TRun run = Run(TASKMOOR_PROGRAM, args, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_NE(run.Err.find("needs a display"), std::string::npos) << run.Err;
        EXPECT_TRUE(WorkFiles().empty());
    }
}

TEST_F(DataMaker, AnswersHelpAndRefusesUnknownOptions) {
    for (const char* help : {"-h", "--help"}) {
        SCOPED_TRACE(help);
        const TRun run = Run(TASKMOOR_MAKE_DATA, {help});
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(run.Out.rfind("usage: make_data <folder>", 0), 0u) << run.Out;
        EXPECT_TRUE(WorkFiles().empty());
    }
    const TRun unknown = Run(TASKMOOR_MAKE_DATA, {"--force"});
    EXPECT_NE(unknown.ExitCode, 0);
    EXPECT_EQ(unknown.ExitCode != -1, true);
    EXPECT_NE(unknown.Err.find("unknown option \"--force\""), std::string::npos) << unknown.Err;
    EXPECT_TRUE(WorkFiles().empty());
    // A folder is still made as before.
    const TRun made = Run(TASKMOOR_MAKE_DATA, {"data"});
    EXPECT_EQ(made.ExitCode, 0) << made.Err;
    EXPECT_TRUE(fs::exists(Dir / "work" / "data" / "Ttask.d"));
}

}  // namespace
