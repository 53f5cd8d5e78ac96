// Version data compiled into the program and read back from files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>

#include "app/version_info.h"
#include "platform/core/files.h"
#include "support/environment.h"

namespace fs = std::filesystem;

namespace {

// The version the build gives the project, read from the top CMake file.
std::string ProjectVersion() {
    const fs::path top = fs::path(TASKMOOR_SOURCE_DIR) / "CMakeLists.txt";
    std::ifstream in(top);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    std::smatch m;
    if (std::regex_search(text, m, std::regex(R"(project\s*\(\s*\w+\s+VERSION\s+([0-9.]+))"))) return m[1];
    return {};
}

class VersionFiles : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = (Dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

    // Two translations with their own texts.
    static TVersionData TwoLanguages() {
        TVersionData d;
        d.Fixed.dwSignature = VS_FFI_SIGNATURE;
        d.Fixed.dwFileVersionMS = 0x00020003;
        d.Fixed.dwFileVersionLS = 0x00040005;
        d.Translations = {{0x0409, 0x04E4}, {0x0407, 0x04B0}};
        d.Strings["040904E4"] = {{"FileVersion", "2.3.4.5"}, {"ProductName", "Sample"}, {"Comments", ""}};
        d.Strings["040704B0"] = {{"FileVersion", "2.3.4.5 de"}, {"ProductName", "Beispiel"}};
        return d;
    }

    TTestEnvironment Env;
    fs::path Dir = Env.Folder();
};

TEST(ProgramVersion, CompiledInFromTheBuildVersion) {
    const std::string version = ProjectVersion();
    ASSERT_FALSE(version.empty());
    TZkVersionInfo info(nullptr);
    EXPECT_EQ(info.FileName(), ApplicationExeName());
    ASSERT_TRUE(info.HaveInfo());
    EXPECT_EQ(info.TranslationCount(), 1);
    EXPECT_EQ(info.GetTranslationIndex(), 0);
    EXPECT_EQ(info.GetTranslationString(), "040904e4");
    EXPECT_EQ(info.GetStringByIndex(3), version);  // FileVersion
    EXPECT_EQ(info.GetStringFileInfo("ProductVersion"), version);
    EXPECT_EQ(info.GetStringByIndex(9), "Brindlecote Taskmoor");  // ProductName
    EXPECT_FALSE(info.GetStringByIndex(1).empty());               // CompanyName
    EXPECT_EQ(info.GetStringByIndex(0), "");                      // no Comments
    EXPECT_EQ(info.GetStringByIndex(-1), "");
    EXPECT_EQ(info.GetStringByIndex(12), "");

    // The fixed part carries the same numbers.
    unsigned major = 0, minor = 0, patch = 0;
    std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch);
    EXPECT_EQ(info.FixedFileInfo().dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info.FixedFileInfo().dwFileVersionMS, major << 16 | minor);
    EXPECT_EQ(info.FixedFileInfo().dwFileVersionLS, patch << 16);
}

TEST(ProgramVersion, TranslationIndexOutOfRange) {
    TZkVersionInfo info(nullptr);
    info.SetTranslationIndex(1);
    EXPECT_EQ(info.GetTranslationIndex(), -1);
    EXPECT_EQ(info.GetTranslationString(), "");
    EXPECT_EQ(info.GetStringByIndex(3), "");
    info.SetTranslationIndex(0);
    EXPECT_FALSE(info.GetStringByIndex(3).empty());
    info.SetTranslationIndex(-5);
    EXPECT_EQ(info.GetTranslationIndex(), -1);
}

TEST_F(VersionFiles, FileWithoutInformation) {
    TZkVersionInfo info(nullptr);
    for (const std::string& name : {Write("plain.txt", "no version here VS_VERSION_INFO but no block"),
                                    (Dir / "absent.exe").string(), Write("empty.bin", ""), Dir.string()}) {
        info.SetFileName(name);
        EXPECT_EQ(info.FileName(), name);
        EXPECT_FALSE(info.HaveInfo()) << name;
        EXPECT_EQ(info.TranslationCount(), 0);
        EXPECT_EQ(info.GetTranslationIndex(), -1);
        EXPECT_EQ(info.GetTranslationString(), "");
        for (int i = 0; i < 12; ++i) EXPECT_EQ(info.GetStringByIndex(i), "");
        EXPECT_EQ(info.FixedFileInfo().dwSignature, 0u);
        EXPECT_EQ(GetFileVersionInfoSize(name), 0u);
    }
}

TEST_F(VersionFiles, FindsTheBlockAnywhereInAFile) {
    const std::string block = Bytes(BuildVersionBlock(TwoLanguages()));
    // Unaligned, and straddling the reader's 1 MiB chunks.
    const std::string near = Write("near.bin",
                                   "\x7f"
                                   "ELF...VS_VERSION_INFO" +
                                       block + "tail");
    const std::string far = Write("far.bin", std::string((1 << 20) - 7, 'x') + block);
    for (const std::string& file : {near, far}) {
        TZkVersionInfo info(nullptr);
        info.SetFileName(file);
        ASSERT_TRUE(info.HaveInfo()) << file;
        EXPECT_EQ(GetFileVersionInfoSize(file), block.size());
        EXPECT_EQ(info.TranslationCount(), 2);
        EXPECT_EQ(info.GetTranslationString(), "040904e4");
        EXPECT_EQ(info.GetStringByIndex(3), "2.3.4.5");
        EXPECT_EQ(info.GetStringFileInfo("productname"), "Sample");  // names ignore case
        EXPECT_EQ(info.GetStringByIndex(0), "");                     // present but empty
        EXPECT_EQ(info.FixedFileInfo().dwFileVersionLS, 0x00040005u);
        info.SetTranslationIndex(1);
        EXPECT_EQ(info.GetTranslationString(), "040704b0");
        EXPECT_EQ(info.GetStringByIndex(9), "Beispiel");
    }
}

TEST_F(VersionFiles, BareNameIsLookedUpInTheCurrentFolder) {
    Write("bare.bin", Bytes(BuildVersionBlock(TwoLanguages())));
    const std::string old = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(Dir.string()));
    TZkVersionInfo info(nullptr);
    info.SetFileName("bare.bin");
    SetCurrentDir(old);
    EXPECT_TRUE(info.HaveInfo());
    EXPECT_EQ(info.GetStringByIndex(9), "Sample");
}

TEST(VersionApi, QueryValues) {
    std::vector<uint8_t> block = BuildVersionBlock({});
    const void* value = nullptr;
    uint32_t len = 0;
    // No signature: not a version block.
    EXPECT_FALSE(VerQueryValue(block.data(), "\\", value, len));

    TVersionData d;
    d.Fixed.dwSignature = VS_FFI_SIGNATURE;
    d.Translations = {{0x0409, 0x04E4}};
    d.Strings["040904e4"] = {{"FileVersion", "9.8"}};
    block = BuildVersionBlock(d);
    ASSERT_TRUE(VerQueryValue(block.data(), "\\", value, len));
    EXPECT_EQ(len, 52u);
    ASSERT_TRUE(VerQueryValue(block.data(), "\\VarFileInfo\\Translation", value, len));
    ASSERT_EQ(len, 4u);
    uint32_t pair = 0;
    std::memcpy(&pair, value, 4);
    EXPECT_EQ(pair, 0x04E40409u);
    ASSERT_TRUE(VerQueryValue(block.data(), "\\StringFileInfo\\040904E4\\FileVersion", value, len));
    EXPECT_EQ(std::string(static_cast<const char*>(value), len), "9.8");
    EXPECT_FALSE(VerQueryValue(block.data(), "\\StringFileInfo\\040904E4\\Missing", value, len));
    EXPECT_FALSE(VerQueryValue(block.data(), "\\StringFileInfo\\040904E4\\FileVersion\\Deeper", value, len));
    EXPECT_FALSE(VerQueryValue(nullptr, "\\", value, len));
    // A block claiming more than there is.
    EXPECT_FALSE(VerQueryValue(block.data(), block.size() - 1, "\\", value, len));
}

// Damaged blocks inside files: no information or the values of the block,
// never a crash.
TEST_F(VersionFiles, DamagedBlocksAreSafe) {
    const std::string good = Bytes(BuildVersionBlock(TwoLanguages()));
    const std::string file = (Dir / "damaged.bin").string();
    // Cut short inside the block.
    EXPECT_EQ(GetFileVersionInfoSize(Write("cut.bin", "junk" + good.substr(0, good.size() / 2))), 0u);
    std::mt19937 rng(77);
    int withInfo = 0;
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        for (int i = 0, n = 1 + static_cast<int>(rng() % 6); i < n; ++i)
            bytes[rng() % bytes.size()] = static_cast<char>(rng());
        Write("damaged.bin", "head" + bytes);
        TZkVersionInfo info(nullptr);
        info.SetFileName(file);
        if (info.HaveInfo()) {
            ++withInfo;
            EXPECT_LE(info.TranslationCount(), static_cast<int>(bytes.size() / 4));
            for (int t = 0; t < info.TranslationCount(); ++t) {
                info.SetTranslationIndex(t);
                for (int i = 0; i < 12; ++i) EXPECT_LE(info.GetStringByIndex(i).size(), bytes.size());
            }
        }
    }
    EXPECT_GT(withInfo, 0);
}

}  // namespace
