// Shared pieces of the core tests: a fresh folder per test, an environment
// variable set for one test, the message of a raised error, and the lines
// of a string list.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"

// Sets (or, with nullptr, removes) an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : FName(name) {
        if (const char* old = std::getenv(name)) {
            FHad = true;
            FOld = old;
        }
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (FHad)
            ::setenv(FName, FOld.c_str(), 1);
        else
            ::unsetenv(FName);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* FName;
    bool FHad = false;
    std::string FOld;
};

// A fresh folder under TMPDIR for each test, removed afterwards; the write
// faults a test injects are reset and the current folder is restored; the
// format settings start clean.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "core_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        savedDir = GetCurrentDir();
        ResetFormatSettings();
    }
    void TearDown() override {
        ResetWriteFaults();
        SetCurrentDir(savedDir);
        std::filesystem::remove_all(dir);
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    std::string Contents(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Put(const std::string& name, const std::string& data) const {
        std::ofstream(Path(name), std::ios::binary) << data;
    }
    int EntryCount() const {
        int n = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir)) ++n;
        return n;
    }
    std::string dir;
    std::string savedDir;
};

// The same, with the configuration folder inside the test's folder.
class ConfigFolderTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        config = std::make_unique<ScopedEnv>("TASKMOOR_CONFIG_DIR", (dir + "/config").c_str());
    }
    void TearDown() override {
        config.reset();
        TempFolderTest::TearDown();
    }
    std::unique_ptr<ScopedEnv> config;
};

// The message of the E that f raises; Otherwise when it raises none.
template <class E, class F>
std::string MessageOf(F f, const std::string& Otherwise = "(no error)") {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return Otherwise;
}

// The message of the EConvertError that f raises.
template <class F>
std::string ErrorOf(F f) {
    return MessageOf<EConvertError>(f);
}

// The lines of a list, each followed by "|".
inline std::string JoinedLines(const TStrings& list) {
    std::string result;
    for (int i = 0; i < list.Count(); ++i) result += list.Strings(i) + "|";
    return result;
}
