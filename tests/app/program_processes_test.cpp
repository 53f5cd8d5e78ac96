// The program and the data maker started as processes of their own, as a
// user starts them from a terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/guid.h"

namespace {

namespace fs = std::filesystem;

struct TRun {
    int ExitCode = -1;  // 124 or more: ended by the guard or a signal
    std::string Out, Err;
};

// A word for the shell, in single quotes.
std::string Quoted(const std::string& Text) {
    std::string out = "'";
    for (char c : Text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

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
    // without the variables named in Drop. A guard of five minutes ends a
    // process that would never end (not a measure of speed).
    TRun Run(const std::string& Exe, const std::vector<std::string>& Args,
             const std::vector<std::string>& Drop = {}) {
        const std::string out = (Dir / "out.txt").string(), err = (Dir / "err.txt").string(),
                          code = (Dir / "code.txt").string();
        std::string command = "cd " + Quoted((Dir / "work").string()) + " && env";
        for (const std::string& name : Drop) command += " -u " + name;
        command += " timeout -s KILL 300 " + Quoted(Exe);
        for (const std::string& a : Args) command += " " + Quoted(a);
        command += " </dev/null >" + Quoted(out) + " 2>" + Quoted(err) + "; echo $? >" + Quoted(code);
        TRun run;
        if (std::system(command.c_str()) != 0) return run;
        const std::string status = Read(code);
        if (!status.empty()) run.ExitCode = std::atoi(status.c_str());
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
    EXPECT_EQ(unknown.ExitCode, 2);
    EXPECT_NE(unknown.Err.find("unknown option \"--force\""), std::string::npos) << unknown.Err;
    EXPECT_TRUE(WorkFiles().empty());
    // A folder is still made as before.
    const TRun made = Run(TASKMOOR_MAKE_DATA, {"data"});
    EXPECT_EQ(made.ExitCode, 0) << made.Err;
    EXPECT_TRUE(fs::exists(Dir / "work" / "data" / "Ttask.d"));
}

}  // namespace
