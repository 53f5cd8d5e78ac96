// Ending the process at once: its exit code and what it wrote to standard
// output arrive whole, and so does a file it replaced before.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/core/files.h"
#include "platform/ui/application.h"
#include "support/environment.h"

namespace {

// The process the test below starts.
TEST(ProcessEnd, DISABLED_Child) {
    const char* file = std::getenv("TASKMOOR_END_FILE");
    if (!file) GTEST_SKIP() << "started by EndsAtOnceWithItsCodeAndWhatItWrote";
    {
        TAtomicFileWriter out(file);
        out.Write("whole", 5);
        out.Commit();
    }
    std::printf("a line not yet flushed");
    EXPECT_TRUE(EndProcessNow(7));
    std::printf(" and what comes after");
}

TEST(ProcessEnd, EndsAtOnceWithItsCodeAndWhatItWrote) {
    const std::string file = TestRunPath("process_end.txt");
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "TASKMOOR_END_FILE='" + file + "' '" + exe +
                                "' --gtest_filter=ProcessEnd.DISABLED_Child --gtest_also_run_disabled_tests "
                                "2>/dev/null";
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
    const int status = pclose(out);
    ASSERT_TRUE(WIFEXITED(status)) << text;
    EXPECT_EQ(WEXITSTATUS(status), 7) << text;
    EXPECT_NE(text.find("a line not yet flushed"), std::string::npos) << text;
    EXPECT_EQ(text.find("and what comes after"), std::string::npos) << text;
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "whole");
}

}  // namespace
