// The history list: ini and registry storage, MaxSize, the default file
// name, and damaged stored data.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/core/files.h"
#include "platform/core/inifiles.h"
#include "platform/core/registry.h"
#include "suite/edit/qzhistorylist.h"
#include "support/environment.h"

namespace {

class HistoryListTest : public ::testing::Test {
protected:
    void SetUp() override { Env.Set("TASKMOOR_CONFIG_DIR", Env.Folder().c_str()); }
    TTestEnvironment Env;
    TComponent Owner{nullptr};
};

TEST_F(HistoryListTest, MaxSize3SavesTheNewestUnderKeys2To4AndLoadsThemInOrder) {
    const std::string ini = Env.Path("h.ini");
    TqzHistoryList h(&Owner);
    h.SetFileName(ini);
    h.SetSection("S");
    h.SetMaxSize(3);
    for (const char* s : {"a", "b", "c", "d", "e"}) h.Entries()->Add(s);
    h.Save();
    TIniFile file(ini);
    TStringList keys;
    file.ReadSection("S", &keys);
    EXPECT_EQ("2\n3\n4\n", keys.Text());
    TqzHistoryList back(&Owner);
    back.SetFileName(ini);
    back.SetSection("S");
    TStringList target;
    target.Add("c");  // already there: not added twice
    back.LoadInto(&target);
    EXPECT_EQ("c\nd\ne\n", target.Text());
    EXPECT_EQ("c\nd\ne\n", back.Entries()->Text());
    EXPECT_TRUE(back.Loaded());
}

TEST_F(HistoryListTest, AnEmptySectionKeepsTheListInMemoryOnly) {
    TqzHistoryList h(&Owner);
    h.SetFileName(Env.Path("h.ini"));
    h.Entries()->Add("x");
    h.Save();
    EXPECT_FALSE(FileExists(Env.Path("h.ini")));
    TStringList target;
    h.LoadInto(&target);
    EXPECT_EQ("x\n", target.Text());
    EXPECT_FALSE(h.Loaded());
}

TEST_F(HistoryListTest, TheDefaultFileNameIsTheProgramsStemWithIni) {
    const std::string saved = ApplicationExeName();
    SetApplicationExeName("/opt/app/todo.main.bin");
    TqzHistoryList owned(&Owner);
    EXPECT_EQ("todo.ini", owned.FileName());
    TqzHistoryList free;
    EXPECT_EQ("", free.FileName());  // no owner: no file
    owned.SetStorageType(stRegistry);
    EXPECT_EQ("", owned.FileName());
    SetApplicationExeName(saved);
}

TEST_F(HistoryListTest, TheRegistryKeepsTheEntriesAndReadingMakesTheKey) {
    TqzHistoryList h(&Owner);
    h.SetStorageType(stRegistry);
    h.SetFileName("Software\\Test\\History");
    h.SetSection("Values");
    TStringList target;
    h.LoadInto(&target);  // nothing stored yet
    EXPECT_EQ(0, target.Count());
    TRegistry reg;
    EXPECT_TRUE(reg.KeyExists("\\Software\\Test\\History"));
    h.SetMaxSize(2);
    for (const char* s : {"one", "two", "three"}) h.Entries()->Add(s);
    h.Save();
    EXPECT_EQ(2, h.Entries()->Count());  // trimmed in memory too
    TqzHistoryList back(&Owner);
    back.SetStorageType(stRegistry);
    back.SetFileName("Software\\Test\\History");
    back.SetSection("Values");
    back.LoadInto(&target);
    EXPECT_EQ("two\nthree\n", target.Text());
}

TEST_F(HistoryListTest, DamagedStoredDataLoadsWhatCanBeRead) {
    const std::string ini = Env.Path("bad.ini");
    {
        std::ofstream out(ini, std::ios::binary);
        out << "[S]\nname=skip\n0=first\n-1=neg\n1=caf\xe9\n 2 =third\nx9=no\n99999999999=big\n";
    }
    TqzHistoryList h(&Owner);
    h.SetFileName(ini);
    h.SetSection("S");
    TStringList target;
    EXPECT_NO_THROW(h.LoadInto(&target));
    EXPECT_EQ("first\ncaf\xc3\xa9\nthird\n", target.Text());

    // A registry value of another type, and bytes that are not UTF-8.
    TRegistry reg;
    reg.OpenKey("\\Software\\Bad", true);
    reg.WriteString("Text", "not binary");
    const char bytes[] = {'a', '\r', '\n', char(0xFF), 'b', '\0', 'c'};
    reg.WriteBinaryData("Bin", bytes, sizeof bytes);
    TqzHistoryList r(&Owner);
    r.SetStorageType(stRegistry);
    r.SetFileName("Software\\Bad");
    r.SetSection("Text");
    TStringList t2;
    EXPECT_NO_THROW(r.LoadInto(&t2));
    EXPECT_EQ(0, t2.Count());
    r.SetSection("Bin");
    EXPECT_NO_THROW(r.LoadInto(&t2));
    ASSERT_EQ(2, t2.Count());
    EXPECT_EQ("a", t2.Strings(0));
}

TEST_F(HistoryListTest, WriteErrorsOfTheIniFileGoOn) {
    TqzHistoryList h(&Owner);
    h.SetFileName(Env.Path("no/such/folder/h.ini"));
    h.SetSection("S");
    h.Entries()->Add("x");
    EXPECT_ANY_THROW(h.Save());
}

TEST(PointerStreamTest, ReadsTheCallersBufferWithoutCopying) {
    char data[] = "abc";
    TPointerStream s(data, 3);
    EXPECT_EQ(data, s.Memory());
    char out[3] = {};
    EXPECT_EQ(3, s.Read(out, 3));
    EXPECT_EQ('c', out[2]);
}

}  // namespace
