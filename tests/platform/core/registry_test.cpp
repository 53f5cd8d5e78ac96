// The registry stand-in: keys, typed values, deleting, shared views and corrupt files.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/inifiles.h"
#include "platform/core/registry.h"
#include "platform/core/registry_ini.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "support/core/core_test_support.h"

namespace {

class RegistryFolder : public ConfigFolderTest {
protected:
    std::string RegistryFile() const { return dir + "/config/registry.ini"; }
};

template <typename F>
std::string MessageOf(F f) {
    return ::MessageOf<ERegistryException>(f, "no exception");
}

}  // namespace

TEST_F(RegistryFolder, KeysAreCreatedOnlyWhenAsked) {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey("Software\\Taskmoor\\History", false));
    EXPECT_FALSE(reg.KeyOpen());
    EXPECT_FALSE(FileExists(RegistryFile()));

    ASSERT_TRUE(reg.OpenKey("\\Software\\Taskmoor\\History", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Taskmoor\\History");
    EXPECT_TRUE(FileExists(RegistryFile()));
    // Parents exist as keys; paths compare without case.
    EXPECT_TRUE(reg.KeyExists("\\software"));
    EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\taskmoor"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Other"));
    // Relative to the open key.
    EXPECT_FALSE(reg.KeyExists("Sub"));
    ASSERT_TRUE(reg.OpenKey("Sub", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Taskmoor\\History\\Sub");
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_TRUE(reg.KeyExists("software\\taskmoor\\history\\sub"));

    // Other roots are separate trees.
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.KeyExists("\\Software"));
}

TEST_F(RegistryFolder, ValuesRoundTrip) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Taskmoor", true));
        reg.WriteString("Plain", "hello");
        reg.WriteString("Tricky", " 100% = [x]\r\n; not a comment ");
        reg.WriteString("", "default value");
        reg.WriteString("name=with;odd@chars ", "v");
        reg.WriteInteger("Count", -123456);
        reg.WriteBool("Flag", true);
        std::string bytes("line one\r\nline\0two\xFF\r\n", 21);
        reg.WriteBinaryData("History", bytes.data(), static_cast<int>(bytes.size()));
        reg.WriteBinaryData("Empty", nullptr, 0);
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\software\\TASKMOOR"));
    EXPECT_EQ(reg.ReadString("plain"), "hello");
    EXPECT_EQ(reg.ReadString("Tricky"), " 100% = [x]\r\n; not a comment ");
    EXPECT_EQ(reg.ReadString(""), "default value");
    EXPECT_EQ(reg.ReadString("name=with;odd@chars "), "v");
    EXPECT_EQ(reg.ReadInteger("COUNT"), -123456);
    EXPECT_TRUE(reg.ReadBool("Flag"));

    ASSERT_EQ(reg.GetDataSize("History"), 21);
    std::vector<char> buffer(static_cast<std::size_t>(reg.GetDataSize("History")));
    EXPECT_EQ(reg.ReadBinaryData("History", buffer.data(), 21), 21);
    EXPECT_EQ(std::string(buffer.data(), 21), std::string("line one\r\nline\0two\xFF\r\n", 21));
    EXPECT_EQ(reg.GetDataSize("Empty"), 0);
    EXPECT_EQ(reg.GetDataSize("Plain"), 6);  // with the terminating zero
    EXPECT_EQ(reg.GetDataSize("Count"), 4);
    EXPECT_EQ(reg.GetDataSize("Missing"), -1);
    EXPECT_EQ(reg.GetDataType("Count"), rdInteger);
    EXPECT_EQ(reg.GetDataType("History"), rdBinary);
    EXPECT_EQ(reg.GetDataType("Missing"), rdUnknown);

    TStringList names;
    reg.GetValueNames(&names);
    EXPECT_EQ(JoinedLines(names), "Plain|Tricky||name=with;odd@chars |Count|Flag|History|Empty|");
}

TEST_F(RegistryFolder, WrongTypesAndMissingValues) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\T", true));
    reg.WriteInteger("Number", 5);
    reg.WriteString("Text", "abc");
    reg.WriteBinaryData("Bytes", "12345", 5);

    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(MessageOf([&] { reg.ReadInteger("Missing"); }), "Failed to get data for 'Missing'");
    EXPECT_EQ(MessageOf([&] { reg.ReadString("Number"); }), "Invalid data type for 'Number'");
    EXPECT_EQ(MessageOf([&] { reg.ReadInteger("Text"); }), "Invalid data type for 'Text'");
    char small[4];
    EXPECT_EQ(MessageOf([&] { reg.ReadBinaryData("Bytes", small, 4); }), "Invalid data type for 'Bytes'");
    EXPECT_EQ(MessageOf([&] { reg.ReadBinaryData("Text", small, 4); }), "Invalid data type for 'Text'");
    EXPECT_EQ(reg.ReadBinaryData("Missing", small, 4), 0);

    reg.CloseKey();
    EXPECT_EQ(MessageOf([&] { reg.WriteString("x", "y"); }), "Failed to set data for 'x'");
    EXPECT_EQ(MessageOf([&] { reg.ReadString("x"); }), "Failed to get data for 'x'");
    EXPECT_FALSE(reg.ValueExists("Number"));

    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\T"));
    EXPECT_EQ(MessageOf([&] { reg.WriteInteger("Number", 6); }), "Failed to set data for 'Number'");
    EXPECT_FALSE(reg.DeleteValue("Number"));
    EXPECT_EQ(reg.ReadInteger("Number"), 5);
}

TEST_F(RegistryFolder, DeletingValuesAndKeys) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\App\\Grid", true));
    reg.WriteString("Col1", "10;;Title;;F");
    ASSERT_TRUE(reg.OpenKey("\\Software\\App\\Grid\\Deeper", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\App\\Combo", true));
    reg.WriteInteger("a", 1);
    reg.WriteInteger("b", 2);

    EXPECT_TRUE(reg.DeleteValue("A"));
    EXPECT_FALSE(reg.DeleteValue("a"));
    EXPECT_FALSE(reg.ValueExists("a"));
    EXPECT_TRUE(reg.ValueExists("b"));

    ASSERT_TRUE(reg.OpenKey("\\Software\\App", false));
    TStringList keys;
    reg.GetKeyNames(&keys);
    EXPECT_EQ(JoinedLines(keys), "Grid|Combo|");

    EXPECT_TRUE(reg.DeleteKey("grid"));  // with its subkeys
    EXPECT_FALSE(reg.KeyExists("\\Software\\App\\Grid\\Deeper"));
    EXPECT_FALSE(reg.KeyExists("Grid"));
    EXPECT_FALSE(reg.DeleteKey("Grid"));
    EXPECT_TRUE(reg.KeyExists("Combo"));
    reg.GetKeyNames(&keys);
    EXPECT_EQ(JoinedLines(keys), "Combo|");
    EXPECT_FALSE(reg.DeleteKey("\\"));  // the root stays
}

TEST_F(RegistryFolder, TwoObjectsShareOneView) {
    TRegistry writer, reader;
    ASSERT_TRUE(writer.OpenKey("Software\\Shared", true));
    ASSERT_TRUE(reader.OpenKey("Software\\Shared", false));
    writer.WriteString("v", "1");
    EXPECT_EQ(reader.ReadString("v"), "1");
    reader.WriteString("v", "2");
    EXPECT_EQ(writer.ReadString("v"), "2");
}

TEST_F(RegistryFolder, FailedWritesRaiseAndKeepTheOldData) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\F", true));
    reg.WriteString("v", "old");
    SimulateWriteFailure(0);
    EXPECT_EQ(
        MessageOf([&] { reg.WriteString("v", "new"); }),
        "Failed to set data for 'v'\nCannot create file \"" + RegistryFile() + "\". No space left on device");
    EXPECT_FALSE(reg.OpenKey("\\Software\\New", true));
    EXPECT_FALSE(reg.DeleteValue("v"));
    ResetWriteFaults();
    EXPECT_EQ(reg.ReadString("v"), "old");
}

// A settings file far past any real size is refused with its name, for
// reading and writing alike, and never replaced by a cut one.
TEST_F(RegistryFolder, AnOversizedFileIsRefusedAndKeptWhole) {
    ForceDirectories(dir + "/config");
    std::ofstream(RegistryFile(), std::ios::binary) << "[HKEY_CURRENT_USER\\Software\\X]\nGood=I:7\n";
    std::filesystem::resize_file(RegistryFile(), (16 << 20) + 1);
    const std::string refused = "Cannot open file \"" + RegistryFile() + "\". The file is larger than 16 MB";
    TRegistry reg;
    EXPECT_EQ(::MessageOf<EIniFileException>([&] { reg.OpenKey("Software\\X", false); }, "no exception"),
              refused);
    EXPECT_EQ(::MessageOf<EIniFileException>([&] { reg.OpenKey("Software\\Y", true); }, "no exception"),
              refused);
    EXPECT_EQ(::MessageOf<EIniFileException>([&] { reg.DeleteKey("Software\\X"); }, "no exception"), refused);
    EXPECT_EQ(std::filesystem::file_size(RegistryFile()), (16u << 20) + 1);

    // At the limit it still reads.
    std::filesystem::resize_file(RegistryFile(), 16 << 20);
    ASSERT_TRUE(reg.OpenKey("Software\\X", false));
    EXPECT_EQ(reg.ReadInteger("Good"), 7);
}

// A change that would take the file past what its reader takes is refused
// with the reason, through the registry and its ini-style access alike, and
// the file stays as it was.
TEST_F(RegistryFolder, AChangeThatWouldPassTheReadersLimitIsRefused) {
    ForceDirectories(dir + "/config");
    const std::string head = "[HKEY_CURRENT_USER\\Software\\X]\nGood=I:7\n;";
    {
        std::ofstream out(RegistryFile(), std::ios::binary);
        out << head << std::string(static_cast<size_t>(MaxIniFileSize) - head.size() - 1, 'x') << '\n';
    }
    ASSERT_EQ(std::filesystem::file_size(RegistryFile()), static_cast<uintmax_t>(MaxIniFileSize));
    const std::string reason =
        "Cannot create file \"" + RegistryFile() + "\". The file would be larger than 16 MB";
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\X", false));
    EXPECT_EQ(MessageOf([&] { reg.WriteString("Name", "a longer value"); }),
              "Failed to set data for 'Name'\n" + reason);
    EXPECT_EQ(MessageOf([&] { reg.WriteInteger("Good", 1234567); }),
              "Failed to set data for 'Good'\n" + reason);
    EXPECT_EQ(MessageOf([&] { TRegistryIniFile("Software").WriteString("X", "k", "v"); }),
              "Failed to set data for 'k'\n" + reason);
    // A key that cannot be made refuses the value too.
    EXPECT_EQ(MessageOf([&] { TRegistryIniFile("Software\\X").WriteString("S", "k", "v"); }),
              "Failed to set data for 'k'");
    EXPECT_EQ(MessageOf([&] {
                  TRegistryIniFile("Software").ReplaceSection("X", {{"n", "many more bytes"}});
              }),
              "Failed to set data for 'Software\\X'\n" + reason);
    EXPECT_EQ(std::filesystem::file_size(RegistryFile()), static_cast<uintmax_t>(MaxIniFileSize));
    EXPECT_EQ(reg.ReadInteger("Good"), 7);
    // A change of the same size is written.
    reg.WriteInteger("Good", 8);
    EXPECT_EQ(reg.ReadInteger("Good"), 8);
    EXPECT_EQ(std::filesystem::file_size(RegistryFile()), static_cast<uintmax_t>(MaxIniFileSize));
}

// A section replaced whole: one write of the file, nothing changed when it
// fails, the key keeps its place among its siblings, a new key is made.
TEST_F(RegistryFolder, ASectionIsReplacedInOneWrite) {
    TRegistryIniFile reg("Software\\L");
    reg.WriteString("A", "x", "1");
    reg.WriteString("B", "y", "2");
    reg.WriteString("A", "z", "3");
    const auto values = [&](const std::string& section) {
        TStringList lines;
        reg.ReadSectionValues(section, &lines);
        return lines.Text();
    };
    SimulateWriteFailure(0);
    EXPECT_EQ(MessageOf([&] {
                  reg.ReplaceSection("A", {{"n", "9"}});
              }),
              "Failed to set data for 'Software\\L\\A'\nCannot create file \"" + RegistryFile() +
                  "\". No space left on device");
    ResetWriteFaults();
    EXPECT_EQ(values("A"), "x=1\nz=3\n");

    SimulateWriteFailure(1);
    reg.ReplaceSection("A", {{"n", "9"}, {"m", "8=eight"}});
    ResetWriteFaults();
    EXPECT_EQ(values("A"), "n=9\nm=8=eight\n");
    EXPECT_EQ(values("B"), "y=2\n");
    TRegistry keys;
    ASSERT_TRUE(keys.OpenKey("Software\\L", false));
    TStringList names;
    keys.GetKeyNames(&names);
    EXPECT_EQ(names.Text(), "A\nB\n");

    SimulateWriteFailure(1);
    reg.ReplaceSection("New\\Deep", {{"k", "v"}});
    ResetWriteFaults();
    EXPECT_EQ(reg.ReadString("New\\Deep", "k", ""), "v");
    EXPECT_TRUE(keys.KeyExists("\\Software\\L\\New"));
    reg.ReplaceSection("A", {});
    EXPECT_EQ(values("A"), "");
    EXPECT_TRUE(reg.SectionExists("A"));
}

TEST_F(RegistryFolder, HandEditedOrCorruptFileIsReadSafely) {
    ForceDirectories(dir + "/config");
    std::ofstream(RegistryFile(), std::ios::binary) << "[HKEY_CURRENT_USER\\Software\\X]\n"
                                                       "Good=I:7\n"
                                                       "BadInt=I:seven\n"
                                                       "BadHex=B:0G\n"
                                                       "NoType=plain\n"
                                                       "Odd=B:123\n"
                                                       "[HKEY_CURRENT_USER\\Software\\X\\Implied\\Child]\n"
                                                       "\x01\x02garbage\xFF\n";
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\X", false));
    EXPECT_EQ(reg.ReadInteger("Good"), 7);
    for (const char* name : {"BadInt", "BadHex", "NoType", "Odd"}) {
        EXPECT_TRUE(reg.ValueExists(name)) << name;
        EXPECT_EQ(reg.GetDataType(name), rdUnknown) << name;
        EXPECT_EQ(MessageOf([&] { reg.ReadInteger(name); }),
                  std::string("Invalid data type for '") + name + "'");
    }
    // A key whose own section is missing still shows as a subkey.
    TStringList keys;
    reg.GetKeyNames(&keys);
    EXPECT_EQ(JoinedLines(keys), "Implied|");
    EXPECT_TRUE(reg.OpenKey("Implied", false));
}

TEST_F(RegistryFolder, BytesThatAreNotUtf8ReadBackAsWritten) {
    TRegistry reg;
    const std::string latin = "Caf\xE9 \xFF";  // no UTF-8
    ASSERT_TRUE(reg.OpenKey("\\Software\\" + latin, true));
    reg.WriteString(latin, latin);
    reg.WriteInteger("n\xE9", 5);
    EXPECT_EQ(reg.ReadString(latin), latin);
    EXPECT_EQ(reg.GetDataType(latin), rdString);
    EXPECT_EQ(reg.ReadInteger("n\xE9"), 5);
    TStringList names;
    reg.GetValueNames(&names);
    EXPECT_EQ(JoinedLines(names), latin + "|n\xE9|");
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists("\\Software\\" + latin));
    reg.OpenKey("\\Software", false);
    reg.GetKeyNames(&names);
    EXPECT_EQ(JoinedLines(names), latin + "|");
    // Valid UTF-8 is stored as it is.
    reg.WriteString("u", "\xC3\xA9");
    std::ifstream in(RegistryFile(), std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(file.find("u=S:\xC3\xA9\n"), std::string::npos);
}
