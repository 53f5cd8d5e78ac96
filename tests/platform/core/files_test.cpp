// File names and file routines: path parts, copying, renaming and the atomic writer.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/core/streams.h"
#include "support/core/core_test_support.h"

namespace {

using FileFolder = TempFolderTest;

}  // namespace

TEST(FileNames, ExtensionsOnlyCountInTheFilePart) {
    EXPECT_EQ(ChangeFileExt("/data/Ttask.d", ".~d"), "/data/Ttask.~d");
    EXPECT_EQ(ChangeFileExt("/data.v2/Ttask", ".bak"), "/data.v2/Ttask.bak");
    EXPECT_EQ(ChangeFileExt("archive.tar.gz", ".ini"), "archive.tar.ini");
    EXPECT_EQ(ChangeFileExt("/opt/todo", ".ini."), "/opt/todo.ini.");
    EXPECT_EQ(ChangeFileExt("name.", ""), "name");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ExtractFileExt("/a/List.Bak"), ".Bak");
    EXPECT_EQ(ExtractFileExt(".profile"), ".profile");
}

TEST(FileNames, PathParts) {
    EXPECT_EQ(ExtractFilePath("/home/u/Ttask.d"), "/home/u/");
    EXPECT_EQ(ExtractFileDir("/home/u/Ttask.d"), "/home/u");
    EXPECT_EQ(ExtractFileName("/home/u/Ttask.d"), "Ttask.d");
    EXPECT_EQ(ExtractFilePath("Ttask.d"), "");
    EXPECT_EQ(ExtractFileDir("Ttask.d"), "");
    EXPECT_EQ(ExtractFileName("Ttask.d"), "Ttask.d");
    EXPECT_EQ(ExtractFilePath("/x"), "/");
    EXPECT_EQ(ExtractFileDir("/x"), "/");
    EXPECT_EQ(ExtractFileName("/home/u/"), "");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter(""), "/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST_F(FileFolder, ExpandFileNameResolvesDotsAgainstTheCurrentFolder) {
    ASSERT_TRUE(SetCurrentDir(dir));
    std::string real = std::filesystem::canonical(dir).string();
    EXPECT_EQ(GetCurrentDir(), real);
    EXPECT_EQ(ExpandFileName("a/../b/./c.d"), real + "/b/c.d");
    EXPECT_EQ(ExpandFileName("/x//y/../z"), "/x/z");
    EXPECT_EQ(ExpandFileName("/.."), "/");
    EXPECT_EQ(ExpandFileName("sub/"), real + "/sub/");
    EXPECT_FALSE(SetCurrentDir(Path("missing")));
    EXPECT_EQ(GetCurrentDir(), real);
}

TEST_F(FileFolder, ExistenceSizeAndAge) {
    Put("t.d", "12345");
    EXPECT_TRUE(FileExists(Path("t.d")));
    EXPECT_FALSE(FileExists(dir));  // a folder is no file
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_FALSE(DirectoryExists(Path("t.d")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_EQ(FileSize(Path("t.d")), 5);
    EXPECT_EQ(FileSize(Path("none")), -1);

    // 4 March 2021 05:06:07.250 local time.
    struct tm local = {};
    local.tm_year = 121;
    local.tm_mon = 2;
    local.tm_mday = 4;
    local.tm_hour = 5;
    local.tm_min = 6;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = std::mktime(&local);
    times[0].tv_nsec = times[1].tv_nsec = 250000000;
    ASSERT_EQ(::utimensat(AT_FDCWD, Path("t.d").c_str(), times, 0), 0);
    TDateTime age = 0;
    ASSERT_TRUE(FileAge(Path("t.d"), age));
    EXPECT_NEAR(age, EncodeDate(2021, 3, 4) + EncodeTime(5, 6, 7, 250), 1e-8);
    EXPECT_FALSE(FileAge(Path("none"), age));
}

TEST_F(FileFolder, ForceDeleteAndRename) {
    EXPECT_TRUE(ForceDirectories(Path("a/b/c")));
    EXPECT_TRUE(DirectoryExists(Path("a/b/c")));
    EXPECT_TRUE(ForceDirectories(Path("a/b/c/")));
    Put("file", "x");
    EXPECT_FALSE(ForceDirectories(Path("file/sub")));
    try {
        ForceDirectories("");
        FAIL() << "no exception";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Unable to create directory");
    }

    Put("one", "1");
    Put("two", "2");
    EXPECT_FALSE(RenameFile(Path("one"), Path("two")));  // never replaces
    EXPECT_EQ(Contents("two"), "2");
    EXPECT_TRUE(RenameFile(Path("one"), Path("three")));
    EXPECT_FALSE(FileExists(Path("one")));
    EXPECT_EQ(Contents("three"), "1");
    EXPECT_FALSE(RenameFile(Path("none"), Path("four")));

    EXPECT_TRUE(DeleteFile(Path("three")));
    EXPECT_FALSE(DeleteFile(Path("three")));
    EXPECT_FALSE(DeleteFile(Path("a")));  // folders are not deleted
}

TEST_F(FileFolder, CopyFileWithAndWithoutOverwrite) {
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    Put("Ttask.d", data);
    ::chmod(Path("Ttask.d").c_str(), 0640);
    Put("Ttask.bak", "older backup");

    EXPECT_FALSE(CopyFile(Path("Ttask.d"), Path("Ttask.bak"), true));
    EXPECT_EQ(Contents("Ttask.bak"), "older backup");
    EXPECT_TRUE(CopyFile(Path("Ttask.d"), Path("Ttask.bak"), false));
    EXPECT_EQ(Contents("Ttask.bak"), data);
    EXPECT_TRUE(CopyFile(Path("Ttask.d"), Path("new.bak"), true));
    EXPECT_EQ(Contents("new.bak"), data);

    // Permissions and modification time travel with the copy.
    struct stat src, dst;
    ASSERT_EQ(::stat(Path("Ttask.d").c_str(), &src), 0);
    ASSERT_EQ(::stat(Path("new.bak").c_str(), &dst), 0);
    EXPECT_EQ(dst.st_mode & 0777, 0640u);
    EXPECT_EQ(dst.st_mtim.tv_sec, src.st_mtim.tv_sec);

    EXPECT_FALSE(CopyFile(Path("GoalGrp.d"), Path("GoalGrp.bak"), false));
    EXPECT_FALSE(FileExists(Path("GoalGrp.bak")));
    EXPECT_FALSE(CopyFile(Path("Ttask.d"), Path("no/such/dir.bak"), false));
    EXPECT_FALSE(CopyFile(dir, Path("folder.bak"), false));
    EXPECT_EQ(EntryCount(), 3);  // no temporaries left
}

TEST_F(FileFolder, FailedCopyLeavesTheOldDestination) {
    Put("List.Bak", "backup data");
    Put("List.d", "current data");
    SimulateWriteFailure(0);
    EXPECT_FALSE(CopyFile(Path("List.Bak"), Path("List.d"), false));
    ResetWriteFaults();
    EXPECT_EQ(Contents("List.d"), "current data");
    EXPECT_EQ(EntryCount(), 2);

    // An empty file copies without any write.
    Put("empty.d", "");
    SimulateWriteFailure(0);
    EXPECT_TRUE(CopyFile(Path("empty.d"), Path("empty.bak"), false));
    EXPECT_EQ(FileSize(Path("empty.bak")), 0);
}

// A failed copy tells why, in the words its own refusals use; the
// destination stays as it was.
TEST_F(FileFolder, FailedCopyTellsTheReason) {
    Put("List.Bak", "backup data");
    Put("List.d", "current data");
    std::string reason = "stale";
    SimulateWriteFailure(0);
    EXPECT_FALSE(CopyFile(Path("List.Bak"), Path("List.d"), false, reason));
    ResetWriteFaults();
    EXPECT_EQ(reason, "Cannot create file \"" + Path("List.d") + "\". No space left on device");
    EXPECT_EQ(Contents("List.d"), "current data");

    EXPECT_FALSE(CopyFile(Path("List.Bak"), Path("List.d"), true, reason));
    EXPECT_EQ(reason, "Cannot create file \"" + Path("List.d") + "\". File exists");
    EXPECT_FALSE(CopyFile(Path("Goals.bak"), Path("Goals.d"), false, reason));
    EXPECT_EQ(reason, "Cannot open file \"" + Path("Goals.bak") + "\". No such file or directory");
    EXPECT_FALSE(CopyFile(dir, Path("folder.d"), false, reason));
    EXPECT_EQ(reason, "Cannot open file \"" + dir + "\". Is a directory");
    ForceDirectories(Path("Catg.d"));
    EXPECT_FALSE(CopyFile(Path("List.Bak"), Path("Catg.d"), false, reason));
    EXPECT_EQ(reason, "Cannot create file \"" + Path("Catg.d") + "\". Is a directory");
    EXPECT_FALSE(CopyFile(Path("List.Bak"), "", false, reason));
    EXPECT_EQ(reason, "Cannot create file \"\". No such file or directory");

    EXPECT_TRUE(CopyFile(Path("List.Bak"), Path("List.d"), false, reason));
    EXPECT_EQ(reason, "");
    EXPECT_EQ(Contents("List.d"), "backup data");
    EXPECT_EQ(EntryCount(), 3);
}

// A copy reads only a regular file: a named pipe without a writer (which a
// plain open would wait on for ever) or a device is refused at once, and the
// destination stays as it was.
TEST_F(FileFolder, CopyRefusesPipesAndDevices) {
    Put("TTask.d", "current data");
    EXPECT_FALSE(CopyFile("/dev/null", Path("TTask.d"), false));
    EXPECT_EQ(Contents("TTask.d"), "current data");
    ASSERT_EQ(::mkfifo(Path("TTask.bak").c_str(), 0600), 0);
    EXPECT_FALSE(CopyFile(Path("TTask.bak"), Path("TTask.d"), false));
    EXPECT_EQ(Contents("TTask.d"), "current data");
    EXPECT_EQ(EntryCount(), 2);
    EXPECT_FALSE(FlushFileToDisk(Path("TTask.bak")));
    EXPECT_TRUE(FlushFileToDisk(Path("TTask.d")));
}

// A socket file (made as a local server makes one).
void MakeSocketFile(const std::string& Name) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(Name.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, Name.c_str(), Name.size() + 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
}

// A save never replaces a socket or a device (nor through a link): it is
// refused with the reason, the socket stays and nothing is left beside. A
// stale named pipe holds nothing and is replaced.
TEST_F(FileFolder, AtomicWriterRefusesSocketsAndDevices) {
    MakeSocketFile(Path("list.sock"));
    ASSERT_EQ(::symlink("list.sock", Path("link.sock").c_str()), 0);
    for (const std::string name : {"list.sock", "link.sock"}) {
        try {
            WriteFileAtomically(Path(name), "new", 3);
            ADD_FAILURE() << name << " was written";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(),
                      "Cannot create file \"" + Path(name) + "\". Is a socket, not a regular file");
        }
    }
    struct stat st;
    ASSERT_EQ(::lstat(Path("list.sock").c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(EntryCount(), 2);

    // Made a socket while the save ran: still refused at the end.
    Put("later.txt", "old");
    TAtomicFileWriter w(Path("later.txt"));
    w.Write("new", 3);
    ASSERT_EQ(::unlink(Path("later.txt").c_str()), 0);
    MakeSocketFile(Path("later.txt"));
    EXPECT_THROW(w.Commit(), EFCreateError);
    ASSERT_EQ(::lstat(Path("later.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(EntryCount(), 3);

    ASSERT_EQ(::mkfifo(Path("stale.bak").c_str(), 0600), 0);
    WriteFileAtomically(Path("stale.bak"), "new", 3);
    EXPECT_EQ(Contents("stale.bak"), "new");
    EXPECT_EQ(EntryCount(), 4);
}

TEST_F(FileFolder, WriteFileAtomicallyKeepsPermissions) {
    Put("settings.ini", "old");
    ::chmod(Path("settings.ini").c_str(), 0600);
    WriteFileAtomically(Path("settings.ini"), "new", 3);
    EXPECT_EQ(Contents("settings.ini"), "new");
    struct stat st;
    ASSERT_EQ(::stat(Path("settings.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_THROW(WriteFileAtomically(dir, "x", 1), EFCreateError);
    EXPECT_THROW(WriteFileAtomically("", "x", 1), EFCreateError);
    EXPECT_EQ(EntryCount(), 1);
}

bool IsLink(const std::string& name) {
    struct stat st;
    return ::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

unsigned ModeOf(const std::string& name) {
    struct stat st;
    return ::stat(name.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST_F(FileFolder, AtomicWriterStreamsPatchesAndKeepsPermissions) {
    Put("Ttask.d", "old contents");
    ::chmod(Path("Ttask.d").c_str(), 0640);
    {
        TAtomicFileWriter w(Path("Ttask.d"));
        w.Write("xxxx-", 5);
        std::string big(3 << 20, 'b');  // several write-back steps
        w.Write(big.data(), big.size());
        w.Write("-end", 4);
        w.WriteAt(0, "head", 4);
        EXPECT_EQ(w.Size(), static_cast<int64_t>(9 + big.size()));
        EXPECT_EQ(Contents("Ttask.d"), "old contents");  // nothing in place before Commit
        w.Commit();
    }
    const std::string now = Contents("Ttask.d");
    ASSERT_EQ(now.size(), (3u << 20) + 9);
    EXPECT_EQ(now.substr(0, 5), "head-");
    EXPECT_EQ(now.substr(now.size() - 5), "b-end");
    EXPECT_EQ(ModeOf(Path("Ttask.d")), 0640u);
    EXPECT_EQ(EntryCount(), 1);

    // A patch outside what was written is refused.
    TAtomicFileWriter w(Path("new.d"));
    w.Write("ab", 2);
    EXPECT_THROW(w.WriteAt(1, "xy", 2), EFCreateError);
    EXPECT_EQ(EntryCount(), 1);  // the failure dropped the temporary file
}

TEST_F(FileFolder, AtomicWriterWritesThroughSymbolicLinks) {
    std::filesystem::create_directory(Path("data"));
    Put("data/Ttask.d", "old");
    ::chmod(Path("data/Ttask.d").c_str(), 0600);
    ASSERT_EQ(::symlink("data/Ttask.d", Path("link.d").c_str()), 0);           // relative
    ASSERT_EQ(::symlink(Path("link.d").c_str(), Path("chain.d").c_str()), 0);  // a link to a link
    EXPECT_EQ(ResolveFileLinks(Path("chain.d")), dir + "/data/Ttask.d");

    WriteFileAtomically(Path("chain.d"), "new", 3);
    EXPECT_TRUE(IsLink(Path("link.d")));
    EXPECT_TRUE(IsLink(Path("chain.d")));
    EXPECT_EQ(Contents("data/Ttask.d"), "new");
    EXPECT_EQ(ModeOf(Path("data/Ttask.d")), 0600u);

    // A dangling link gets its target created.
    ASSERT_EQ(::symlink("data/Notes.d", Path("dangling.d").c_str()), 0);
    WriteFileAtomically(Path("dangling.d"), "n", 1);
    EXPECT_TRUE(IsLink(Path("dangling.d")));
    EXPECT_EQ(Contents("data/Notes.d"), "n");

    // The temporary file lies beside the target, not beside the link.
    TAtomicFileWriter w(Path("link.d"));
    EXPECT_EQ(ExtractFilePath(w.TempFileName()), dir + "/data/");
    EXPECT_EQ(w.TargetFileName(), dir + "/data/Ttask.d");
}

TEST_F(FileFolder, ReadOnlyFilesAreRefusedAndLeftAlone) {
    Put("Ttask.d", "keep me");
    ::chmod(Path("Ttask.d").c_str(), 0444);
    try {
        WriteFileAtomically(Path("Ttask.d"), "new", 3);
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + Path("Ttask.d") + "\". The file is read-only");
    }
    EXPECT_EQ(Contents("Ttask.d"), "keep me");
    EXPECT_EQ(ModeOf(Path("Ttask.d")), 0444u);
    // Through a link as well; a copy onto it fails the same way.
    ASSERT_EQ(::symlink("Ttask.d", Path("link.d").c_str()), 0);
    EXPECT_THROW(WriteFileAtomically(Path("link.d"), "new", 3), EFCreateError);
    Put("other.d", "other");
    EXPECT_FALSE(CopyFile(Path("other.d"), Path("Ttask.d"), false));
    EXPECT_EQ(Contents("Ttask.d"), "keep me");
    EXPECT_EQ(EntryCount(), 3);

    // A file made read-only while it was being written is kept too.
    ::chmod(Path("other.d").c_str(), 0644);
    TAtomicFileWriter w(Path("other.d"));
    w.Write("new", 3);
    ::chmod(Path("other.d").c_str(), 0400);
    EXPECT_THROW(w.Commit(), EFCreateError);
    EXPECT_EQ(Contents("other.d"), "other");
    EXPECT_EQ(EntryCount(), 3);
}

TEST_F(FileFolder, StaleTemporaryFilesAreRemoved) {
    const char* const stale[] = {"Ttask.d.~tmp0123abcd", ".Ttask.d.89abcdef.tmp", ".Ttask.d.4242.7.tmp"};
    const char* const kept[] = {"Ttask.d.~tmpnothex", "Ttask.d.~tmp", "Goal.d.~tmp0123abcd",
                                ".Ttask.d.12.tmp",    "Ttask.d.bak",  "Ttask.~d"};
    auto plant = [&] {
        for (const char* name : stale) Put(name, std::string(1000, 'x'));
        for (const char* name : kept) Put(name, "k");
    };
    plant();
    std::filesystem::create_directory(Path("Ttask.d.~tmpabc"));  // folders are never removed
    EXPECT_EQ(RemoveStaleTempFiles(Path("Ttask.d")), 3);
    for (const char* name : stale) EXPECT_FALSE(FileExists(Path(name))) << name;
    for (const char* name : kept) EXPECT_TRUE(FileExists(Path(name))) << name;
    EXPECT_TRUE(DirectoryExists(Path("Ttask.d.~tmpabc")));

    // A save removes them too, and leaves no temporary file of its own.
    plant();
    WriteFileAtomically(Path("Ttask.d"), "t", 1);
    for (const char* name : stale) EXPECT_FALSE(FileExists(Path(name))) << name;
    EXPECT_EQ(EntryCount(), 1 + 6 + 1);
}

TEST_F(FileFolder, FailedStreamedWriteLeavesTheOldFileWhole) {
    Put("Ttask.d", "old contents");
    const std::string chunk(1 << 16, 'n');
    {
        TAtomicFileWriter w(Path("Ttask.d"));
        w.Write(chunk.data(), chunk.size());
        SimulateWriteFailure(0);
        try {
            w.Write(chunk.data(), chunk.size());
            ADD_FAILURE() << "the write should fail";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), "Cannot create file \"" + Path("Ttask.d") + "\". No space left on device");
        }
        ResetWriteFaults();
        EXPECT_EQ(EntryCount(), 1);
        EXPECT_THROW(w.Commit(), EFCreateError);  // nothing left to commit
    }
    // A writer given up, or never committed, leaves the old file.
    {
        TAtomicFileWriter w(Path("Ttask.d"));
        w.Write(chunk.data(), chunk.size());
    }
    EXPECT_EQ(Contents("Ttask.d"), "old contents");
    EXPECT_EQ(EntryCount(), 1);

    // Commit without replacing refuses an existing file.
    TAtomicFileWriter w(Path("Ttask.d"));
    w.Write("x", 1);
    EXPECT_THROW(w.Commit(false), EFCreateError);
    EXPECT_EQ(Contents("Ttask.d"), "old contents");
    EXPECT_EQ(EntryCount(), 1);
}

TEST_F(FileFolder, FindFileNoCase) {
    Put("Ttask.d", "t");
    Put("appid.d", "a");
    Put("LIST.BAK", "l");
    std::filesystem::create_directory(Path("sub.d"));

    EXPECT_EQ(FindFileNoCase(dir, "Ttask.d"), Path("Ttask.d"));
    EXPECT_EQ(FindFileNoCase(dir, "TTask.D"), Path("Ttask.d"));
    EXPECT_EQ(FindFileNoCase(dir + "/", "Appid.d"), Path("appid.d"));
    EXPECT_EQ(FindFileNoCase(dir, "List.Bak"), Path("LIST.BAK"));
    EXPECT_EQ(FindFileNoCase(dir, "Goals.d"), "");
    EXPECT_EQ(FindFileNoCase(dir, "SUB.D"), "");  // folders do not count
    EXPECT_EQ(FindFileNoCase(dir, ""), "");
    EXPECT_EQ(FindFileNoCase(dir, "../x"), "");
    EXPECT_EQ(FindFileNoCase(Path("missing"), "a"), "");

    // With several matches the exact name wins, else the same one each time.
    Put("ttask.d", "second");
    EXPECT_EQ(FindFileNoCase(dir, "ttask.d"), Path("ttask.d"));
    EXPECT_EQ(FindFileNoCase(dir, "TTASK.D"), Path("Ttask.d"));

    ASSERT_TRUE(SetCurrentDir(dir));
    EXPECT_EQ(FindFileNoCase("", "APPID.D"), "appid.d");
}

TEST(ProgramFolders, ExeNameTempAndConfigDirs) {
    std::string own = ApplicationExeName();
    EXPECT_FALSE(own.empty());
    EXPECT_EQ(own[0], '/');
    SetApplicationExeName("/opt/taskmoor/todo");
    EXPECT_EQ(ApplicationExeName(), "/opt/taskmoor/todo");
    SetApplicationExeName(own);

    {
        ScopedEnv tmp("TMPDIR", "/x/scratch");
        EXPECT_EQ(GetTempDir(), "/x/scratch/");
    }
    {
        ScopedEnv config("TASKMOOR_CONFIG_DIR", "/x/cfg/");
        EXPECT_EQ(UserConfigDir(), "/x/cfg");
    }
    {
        ScopedEnv config("TASKMOOR_CONFIG_DIR", nullptr);
        ScopedEnv xdg("XDG_CONFIG_HOME", "/x/conf");
        EXPECT_EQ(UserConfigDir(), "/x/conf/Taskmoor");
        ScopedEnv home("HOME", "/home/someone");
        ScopedEnv noXdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(UserConfigDir(), "/home/someone/.config/Taskmoor");
    }
}

TEST(Guid, TextFormIsRandomVersion4) {
    std::string a = CreateGUIDString();
    std::string b = CreateGUIDString();
    ASSERT_EQ(a.size(), 38u);
    EXPECT_NE(a, b);
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (i == 0)
            EXPECT_EQ(c, '{');
        else if (i == 37)
            EXPECT_EQ(c, '}');
        else if (i == 9 || i == 14 || i == 19 || i == 24)
            EXPECT_EQ(c, '-');
        else
            EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << a;
    }
    EXPECT_EQ(a[15], '4');
    EXPECT_NE(std::string("89AB").find(a[20]), std::string::npos);
}
