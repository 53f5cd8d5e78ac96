// A temporary folder and environment variables for one test, put back when
// the test ends.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

class TTestEnvironment {
public:
    TTestEnvironment() {
        std::string pattern = (std::filesystem::temp_directory_path() / "taskmoor_test.XXXXXX").string();
        if (::mkdtemp(pattern.data())) FFolder = pattern;
    }
    ~TTestEnvironment() {
        for (const auto& [name, value] : FSaved)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
        std::error_code ec;
        if (!FFolder.empty()) std::filesystem::remove_all(FFolder, ec);
    }
    TTestEnvironment(const TTestEnvironment&) = delete;
    TTestEnvironment& operator=(const TTestEnvironment&) = delete;

    // The folder, made with mode 0700; empty when it could not be made.
    const std::string& Folder() const { return FFolder; }
    std::string Path(const std::string& Name) const { return FFolder + "/" + Name; }

    // Sets (or with nullptr removes) a variable.
    void Set(const std::string& Name, const char* Value) {
        if (!FSaved.count(Name)) {
            const char* old = std::getenv(Name.c_str());
            FSaved[Name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        Value ? ::setenv(Name.c_str(), Value, 1) : ::unsetenv(Name.c_str());
    }

private:
    std::string FFolder;
    std::map<std::string, std::optional<std::string>> FSaved;
};

// The folder of this test program's run, made on first use under TMPDIR with
// mode 0700, for every file a test writes (PNGs to look at, PDFs, tables).
// It is removed when the program ends, unless TASKMOOR_KEEP_TEST_FILES is set:
// then its path is printed and it stays.
class TTestRunFolder {
public:
    static const std::string& Folder() {
        static TTestRunFolder run;
        return run.FFolder;
    }

private:
    TTestRunFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "taskmoor_run.XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            FFolder = pattern;
        else
            std::fprintf(stderr, "cannot make a folder under %s\n", pattern.c_str());
    }
    ~TTestRunFolder() {
        if (FFolder.empty()) return;
        if (std::getenv("TASKMOOR_KEEP_TEST_FILES")) {
            std::fprintf(stderr, "test files kept in %s\n", FFolder.c_str());
            return;
        }
        std::error_code ec;
        std::filesystem::remove_all(FFolder, ec);
    }
    std::string FFolder;
};

// A path named Name in the run's folder.
inline std::string TestRunPath(const std::string& Name) { return TTestRunFolder::Folder() + "/" + Name; }
