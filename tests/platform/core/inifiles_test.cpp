// Ini files: reading hand-written and corrupt files, rewriting in place, typed values, failed writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/core/datetime.h"
#include "platform/core/files.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "support/core/core_test_support.h"

namespace {

using IniFolder = ConfigFolderTest;

}  // namespace

TEST_F(IniFolder, MissingFileReadsDefaultsAndIsCreatedOnFirstWrite) {
    TIniFile ini(Path("todo.ini"));
    EXPECT_EQ(ini.ReadInteger("QUOTE", "Selected", 10), 10);
    EXPECT_EQ(ini.ReadString("QUOTE", "Text", "none"), "none");
    EXPECT_FALSE(ini.SectionExists("QUOTE"));
    ini.EraseSection("QUOTE");
    ini.DeleteKey("QUOTE", "Selected");
    EXPECT_FALSE(FileExists(Path("todo.ini")));  // reads and no-op changes write nothing

    ini.WriteInteger("QUOTE", "Selected", 17);
    EXPECT_EQ(Contents("todo.ini"), "[QUOTE]\nSelected=17\n");
    EXPECT_EQ(TIniFile(Path("todo.ini")).ReadInteger("quote", "SELECTED", 10), 17);
    EXPECT_EQ(ini.FileName(), Path("todo.ini"));
}

TEST_F(IniFolder, HandWrittenFileWithOddSpacingAndCase) {
    Put("a.ini",
        "; settings\r\n"
        "stray=before any section\r\n"
        "  [ Main ]  trailing\r\n"
        "  Key1 =  value with blanks  \r\n"
        "KEY2=x=y\r\n"
        "junk line without equals\r\n"
        "=no key\r\n"
        "empty=\r\n"
        "\r\n"
        "[Other]\r\n"
        "k=v");  // no final line end
    TIniFile ini(Path("a.ini"));
    EXPECT_EQ(ini.ReadString("main", "key1", "?"), "  value with blanks  ");
    EXPECT_EQ(ini.ReadString("MAIN", "key2", "?"), "x=y");
    EXPECT_EQ(ini.ReadString("Main", "empty", "?"), "");
    EXPECT_EQ(ini.ReadString("Main", "junk line without equals", "?"), "?");
    EXPECT_EQ(ini.ReadString("Main", "stray", "?"), "?");
    EXPECT_EQ(ini.ReadString("other", "K", "?"), "v");
    EXPECT_TRUE(ini.ValueExists(" main ", " Key1"));
    EXPECT_FALSE(ini.ValueExists("main", "key3"));

    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(JoinedLines(list), "Main|Other|");
    ini.ReadSection("MAIN", &list);
    EXPECT_EQ(JoinedLines(list), "Key1|KEY2|empty|");
    ini.ReadSectionValues("main", &list);
    EXPECT_EQ(JoinedLines(list), "Key1=  value with blanks  |KEY2=x=y|empty=|");

    // A typed read forgives the blanks around a number.
    ini.WriteString("Main", "Number", " 42 ");
    EXPECT_EQ(ini.ReadInteger("Main", "Number", 0), 42);
}

TEST_F(IniFolder, RewriteKeepsOrderCommentsLineEndsAndSpelling) {
    Put("b.ini",
        "; top comment\r\n"
        "[First]\r\n"
        "Alpha = 1\r\n"
        "; inner comment\r\n"
        "Beta=2\r\n"
        "\r\n"
        "[Second]\r\n"
        "Gamma=3\r\n");
    TIniFile ini(Path("b.ini"));
    ini.WriteString("first", "ALPHA", "one");
    ini.WriteString("FIRST", "Delta", "4");
    ini.WriteString("Third", "Eps", "5");
    EXPECT_EQ(Contents("b.ini"),
              "; top comment\r\n"
              "[First]\r\n"
              "Alpha =one\r\n"
              "; inner comment\r\n"
              "Beta=2\r\n"
              "Delta=4\r\n"
              "\r\n"
              "[Second]\r\n"
              "Gamma=3\r\n"
              "\r\n"
              "[Third]\r\n"
              "Eps=5\r\n");
    ini.DeleteKey("First", "beta");
    ini.EraseSection("second");
    EXPECT_EQ(Contents("b.ini"),
              "; top comment\r\n"
              "[First]\r\n"
              "Alpha =one\r\n"
              "; inner comment\r\n"
              "Delta=4\r\n"
              "\r\n"
              "[Third]\r\n"
              "Eps=5\r\n");
}

TEST_F(IniFolder, DuplicateSectionsAndKeysReadAsOne) {
    Put("d.ini",
        "[S]\n"
        "a=first\n"
        "a=second\n"
        "[T]\n"
        "x=1\n"
        "[s]\n"
        "b=later\n"
        "A=third\n");
    TIniFile ini(Path("d.ini"));
    EXPECT_EQ(ini.ReadString("S", "a", ""), "first");
    EXPECT_EQ(ini.ReadString("S", "b", ""), "later");
    TStringList list;
    ini.ReadSection("S", &list);
    EXPECT_EQ(JoinedLines(list), "a|b|");
    ini.ReadSections(&list);
    EXPECT_EQ(JoinedLines(list), "S|T|");

    ini.WriteString("S", "b", "changed");
    EXPECT_EQ(ini.ReadString("s", "B", ""), "changed");
    // Deleting removes every copy, so no older value shows through.
    ini.DeleteKey("S", "A");
    EXPECT_FALSE(ini.ValueExists("S", "a"));
    ini.EraseSection("S");
    EXPECT_EQ(Contents("d.ini"), "[T]\nx=1\n");
}

TEST_F(IniFolder, CorruptFilesNeverCrash) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 50; ++round) {
        std::string junk(static_cast<std::size_t>(rng() % 400), '\0');
        for (char& c : junk) {
            unsigned r = rng() % 12;
            c = r == 0   ? '['
                : r == 1 ? ']'
                : r == 2 ? '='
                : r == 3 ? '\n'
                : r == 4 ? '\r'
                : r == 5 ? ';'
                         : static_cast<char>(rng());
        }
        Put("junk.ini", junk);
        TIniFile ini(Path("junk.ini"));
        TStringList sections, keys;
        ini.ReadSections(&sections);
        for (int i = 0; i < sections.Count(); ++i) {
            ini.ReadSectionValues(sections.Strings(i), &keys);
            for (int k = 0; k < keys.Count(); ++k) ini.ReadInteger(sections.Strings(i), keys.Names(k), 0);
        }
        ini.WriteString("Fresh", "Key", "value");
        ASSERT_EQ(ini.ReadString("Fresh", "Key", ""), "value");
    }
    // A folder in place of the file is refused, by reads and writes alike.
    std::filesystem::create_directory(Path("dir.ini"));
    TIniFile folder(Path("dir.ini"));
    EXPECT_THROW(folder.ReadString("a", "b", "def"), EIniFileException);
    EXPECT_THROW(folder.WriteString("a", "b", "c"), EIniFileException);
}

// Settings files, string lists and streams open only regular files: a named
// pipe (never waited on, even with no writer), a device or a folder is
// refused with a text that says what it is; a link to a regular file reads.
TEST_F(IniFolder, OnlyRegularFilesAreRead) {
    const std::string fifo = Path("pipe.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // a writer holds the pipe open with data waiting, so a reader that
    // opened it would not block but read it
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "[QUOTE]\nSelected=3\n", 20), 20);
    std::filesystem::create_directory(Path("folder.ini"));
    Put("real.ini", "[QUOTE]\nSelected=7\n");
    std::filesystem::create_symlink(Path("real.ini"), Path("link.ini"));
    const std::pair<std::string, std::string> refused[] = {
        {fifo, "Is a named pipe, not a regular file"},
        {"/dev/zero", "Is a device, not a regular file"},
        {Path("folder.ini"), "Is a directory"},
    };
    for (const auto& [name, what] : refused) {
        const std::string text = "Cannot open file \"" + name + "\". " + what;
        try {
            TIniFile ini(name);
            ini.ReadInteger("QUOTE", "Selected", 1);
            ADD_FAILURE() << name;
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), text);
        }
        EXPECT_THROW(TMemIniFile{name}, EIniFileException) << name;
        TStringList lines;
        try {
            lines.LoadFromFile(name);
            ADD_FAILURE() << name;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), text);
        }
        TMemoryStream m;
        EXPECT_THROW(m.LoadFromFile(name), EFOpenError) << name;
        EXPECT_THROW(TFileStream(name, fmOpenReadWrite), EFOpenError) << name;
    }
    // nothing was taken from the pipe
    char buffer[64];
    EXPECT_EQ(::read(writer, buffer, sizeof buffer), 20);
    ::close(writer);
    EXPECT_EQ(TIniFile(Path("link.ini")).ReadInteger("QUOTE", "Selected", 1), 7);
    TStringList lines;
    lines.LoadFromFile(Path("link.ini"));
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(TIniFile(Path("missing.ini")).ReadInteger("QUOTE", "Selected", 1), 1);
}

TEST_F(IniFolder, TypedValues) {
    TIniFile ini(Path("t.ini"));
    ini.WriteString("N", "Hex", "0x1F");
    ini.WriteString("N", "Dollar", "$10");
    ini.WriteString("N", "Bad", "12abc");
    EXPECT_EQ(ini.ReadInteger("N", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "Dollar", 0), 16);
    EXPECT_EQ(ini.ReadInteger("N", "Bad", -1), -1);
    ini.WriteInteger("N", "Neg", -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("N", "Neg", 0), -2147483647 - 1);

    ini.WriteBool("B", "On", true);
    ini.WriteBool("B", "Off", false);
    ini.WriteString("B", "Word", "true");
    EXPECT_EQ(ini.ReadString("B", "On", ""), "1");
    EXPECT_TRUE(ini.ReadBool("B", "On", false));
    EXPECT_FALSE(ini.ReadBool("B", "Off", true));
    EXPECT_TRUE(ini.ReadBool("B", "Word", true));  // not a number: the default
    EXPECT_FALSE(ini.ReadBool("B", "Missing", false));

    ini.WriteFloat("F", "Pi", 3.25);
    EXPECT_EQ(ini.ReadFloat("F", "Pi", 0), 3.25);
    EXPECT_EQ(ini.ReadFloat("F", "Missing", 1.5), 1.5);
    ini.WriteString("F", "Bad", "1.2.3");
    EXPECT_EQ(ini.ReadFloat("F", "Bad", 7), 7);

    TDateTime day = EncodeDate(2024, 2, 29);
    ini.WriteDate("D", "Due", day);
    EXPECT_EQ(ini.ReadString("D", "Due", ""), "02/29/2024");
    EXPECT_EQ(ini.ReadDate("D", "Due", 0), day);
    ini.WriteString("D", "Bad", "31/31/2024");
    EXPECT_EQ(ini.ReadDate("D", "Bad", 5), 5);
}

TEST_F(IniFolder, WrittenLineBreaksCannotAddLines) {
    TIniFile ini(Path("n.ini"));
    ini.WriteString("S", "Key", "one\r\n[Evil]\nx=1");
    EXPECT_EQ(ini.ReadString("S", "Key", ""), "one  [Evil] x=1");
    EXPECT_FALSE(ini.SectionExists("Evil"));
    EXPECT_THROW(ini.WriteString("S", " ", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("", "k", "v"), EIniFileException);
}

TEST_F(IniFolder, TwoObjectsOnOneFileSeeEachOther) {
    TIniFile one(Path("s.ini"));
    TIniFile two(Path("s.ini"));
    one.WriteString("S", "a", "1");
    EXPECT_EQ(two.ReadString("S", "a", ""), "1");
    two.WriteString("S", "b", "2");
    one.WriteString("S", "c", "3");
    EXPECT_EQ(Contents("s.ini"), "[S]\na=1\nb=2\nc=3\n");
}

TEST_F(IniFolder, MemIniFileWritesOnlyOnUpdateFile) {
    Put("m.ini", "[S]\nold=1\n");
    TMemIniFile mem(Path("m.ini"));
    mem.WriteString("S", "new", "2");
    mem.EraseSection("Gone");
    EXPECT_EQ(mem.ReadString("S", "new", ""), "2");
    EXPECT_EQ(Contents("m.ini"), "[S]\nold=1\n");
    // Changes made by others after loading are not seen.
    Put("m.ini", "[S]\nold=9\n");
    EXPECT_EQ(mem.ReadString("S", "old", ""), "1");
    mem.UpdateFile();
    EXPECT_EQ(Contents("m.ini"), "[S]\nold=1\nnew=2\n");

    TMemIniFile nowhere(Path("no/such/dir.ini"));
    nowhere.WriteString("a", "b", "c");
    EXPECT_THROW(nowhere.UpdateFile(), EFCreateError);
}

TEST_F(IniFolder, FailedWriteRaisesAndKeepsTheFile) {
    Put("f.ini", "[S]\na=1\n[T]\nb=2\n");
    TIniFile ini(Path("f.ini"));
    SimulateWriteFailure(0);
    try {
        ini.WriteString("S", "a", "2");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + Path("f.ini") + "\nCannot create file \"" +
                                   Path("f.ini") + "\". No space left on device");
    }
    EXPECT_THROW(ini.EraseSection("S"), EIniFileException);
    ResetWriteFaults();
    EXPECT_EQ(Contents("f.ini"), "[S]\na=1\n[T]\nb=2\n");
    EXPECT_EQ(ini.ReadString("S", "a", ""), "1");
}

// An oversized ini file is refused with its name at every read and write,
// and stays as it was.
TEST_F(IniFolder, AnOversizedFileIsRefusedAndKeptWhole) {
    Put("big.ini", "[S]\na=1\n");
    std::filesystem::resize_file(Path("big.ini"), 17 << 20);
    const std::string refused = "Cannot open file \"" + Path("big.ini") + "\". The file is larger than 16 MB";
    TIniFile ini(Path("big.ini"));
    EXPECT_EQ(MessageOf<EIniFileException>([&] { ini.ReadString("S", "a", ""); }, "no exception"), refused);
    EXPECT_EQ(MessageOf<EIniFileException>([&] { ini.WriteString("S", "a", "2"); }, "no exception"), refused);
    EXPECT_EQ(MessageOf<EIniFileException>([&] { TMemIniFile mem(Path("big.ini")); }, "no exception"),
              refused);
    EXPECT_EQ(std::filesystem::file_size(Path("big.ini")), 17u << 20);
    EXPECT_EQ(Contents("big.ini").substr(0, 8), "[S]\na=1\n");
}

// A file at the reader's limit reads; a change that would take it past the
// limit is refused with the reason and the file stays as it was, while one
// that keeps it within the limit is written.
TEST_F(IniFolder, AChangeThatWouldPassTheReadersLimitIsRefused) {
    const std::string head = "[QUOTE]\nSelected=10\n;";
    Put("full.ini", head + std::string(static_cast<size_t>(MaxIniFileSize) - head.size() - 1, 'x') + "\n");
    ASSERT_EQ(std::filesystem::file_size(Path("full.ini")), static_cast<uintmax_t>(MaxIniFileSize));
    const std::string before = Contents("full.ini");
    const std::string reason =
        "Cannot create file \"" + Path("full.ini") + "\". The file would be larger than 16 MB";

    TIniFile ini(Path("full.ini"));
    EXPECT_EQ(ini.ReadInteger("QUOTE", "Selected", 0), 10);
    EXPECT_EQ(
        MessageOf<EIniFileException>([&] { ini.WriteInteger("QUOTE", "Selected", 100); }, "no exception"),
        "Unable to write to " + Path("full.ini") + "\n" + reason);
    EXPECT_TRUE(Contents("full.ini") == before);

    TMemIniFile mem(Path("full.ini"));
    mem.WriteString("QUOTE", "Selected", "123");
    EXPECT_EQ(MessageOf<EIniFileException>([&] { mem.UpdateFile(); }, "no exception"), reason);
    EXPECT_TRUE(Contents("full.ini") == before);

    // A change of the same length stays within the limit.
    ini.WriteInteger("QUOTE", "Selected", 42);
    EXPECT_EQ(std::filesystem::file_size(Path("full.ini")), static_cast<uintmax_t>(MaxIniFileSize));
    EXPECT_EQ(ini.ReadInteger("QUOTE", "Selected", 0), 42);
}

TEST_F(IniFolder, BareNamesLiveInTheConfigFolderAndTrailingDotsDrop) {
    TIniFile bare("todo.ini");
    bare.WriteString("History", "0", "first");
    EXPECT_TRUE(FileExists(Path("config/todo.ini")));
    EXPECT_EQ(bare.FileName(), "todo.ini");

    TIniFile dotted(Path("app.ini."));
    dotted.WriteInteger("QUOTE", "Selected", 3);
    EXPECT_TRUE(FileExists(Path("app.ini")));
    EXPECT_FALSE(FileExists(Path("app.ini.")));
    EXPECT_EQ(TIniFile(Path("app.ini")).ReadInteger("QUOTE", "Selected", 0), 3);
}

TEST_F(IniFolder, Utf8AndByteOrderMarkSurviveARewrite) {
    Put("u.ini", "\xEF\xBB\xBF[Caf\xC3\xA9]\nna\xC3\xAFve=\xE2\x82\xAC 5\n");
    TIniFile ini(Path("u.ini"));
    EXPECT_EQ(ini.ReadString("CAF\xC3\xA9", "na\xC3\xAFve", ""), "\xE2\x82\xAC 5");
    ini.WriteString("Caf\xC3\xA9", "x", "1");
    EXPECT_EQ(Contents("u.ini"), "\xEF\xBB\xBF[Caf\xC3\xA9]\nna\xC3\xAFve=\xE2\x82\xAC 5\nx=1\n");
}

TEST_F(IniFolder, Windows1252TextReadsAsUtf8) {
    Put("w.ini", "[Caf\xE9]\nT\xEAte=50 \x80\nother=keep \xFF\n");
    TIniFile ini(Path("w.ini"));
    EXPECT_EQ(ini.ReadString("Caf\xC3\xA9", "T\xC3\xAAte", ""), "50 \xE2\x82\xAC");
    ini.WriteString("Caf\xC3\xA9", "T\xC3\xAAte", "60");
    // Untouched lines keep their bytes.
    EXPECT_EQ(Contents("w.ini"), "[Caf\xE9]\nT\xEAte=60\nother=keep \xFF\n");
}

TEST_F(IniFolder, ARewriteKeepsACarriageReturnEndingAValue) {
    // LF line ends; the second value ends in a carriage return of its own.
    Put("cr.ini", "[S]\na=1\nb=2\r\r\nc=3\n");
    TMemIniFile ini(Path("cr.ini"));
    EXPECT_EQ(ini.ReadString("S", "b", ""), "2\r");
    ini.WriteString("S", "d", "4");
    ini.UpdateFile();
    TIniFile again(Path("cr.ini"));
    EXPECT_EQ(again.ReadString("S", "b", ""), "2\r");
    EXPECT_EQ(again.ReadString("S", "c", ""), "3");
    EXPECT_EQ(Contents("cr.ini"), "[S]\na=1\nb=2\r\r\nc=3\nd=4\n");
}
