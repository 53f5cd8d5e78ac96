// Local sockets, file locks, the private runtime folder and process facts.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "platform/core/files.h"
#include "platform/core/local_socket.h"
#include "platform/core/process.h"

namespace fs = std::filesystem;

namespace {

// Sets environment variables for one test and puts the old values back.
class TEnvironment {
public:
    ~TEnvironment() {
        for (const auto& [name, value] : FSaved)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }
    void Set(const std::string& Name, const char* Value) {
        if (!FSaved.count(Name)) {
            const char* old = std::getenv(Name.c_str());
            FSaved[Name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        Value ? ::setenv(Name.c_str(), Value, 1) : ::unsetenv(Name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> FSaved;
};

fs::perms Perms(const std::string& Path) { return fs::symlink_status(Path).permissions() & fs::perms::all; }

class LocalSockets : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/local_socket_test.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        Dir = pattern;
    }
    void TearDown() override { fs::remove_all(Dir); }
    std::string Path(const std::string& Name) const { return Dir + "/" + Name; }
    std::string MakeDir(const std::string& Name, fs::perms Mode) const {
        fs::create_directories(Path(Name));
        fs::permissions(Path(Name), Mode);
        return Path(Name);
    }

    std::string Dir;
    TEnvironment Env;
};

TEST_F(LocalSockets, RuntimeFolderIsPrivate) {
    const std::string good = MakeDir("runtime", fs::perms::owner_all);
    const std::string open =
        MakeDir("open", fs::perms::owner_all | fs::perms::group_read | fs::perms::others_exec);
    const std::string cache = Path("cache");
    const std::string fallback = cache + "/Taskmoor/run";
    struct Case {
        std::optional<std::string> Runtime;
        std::string Expected;
    } cases[] = {
        {good, good},
        {good + "/", good},
        {open, fallback},  // others may enter: not used
        {"relative/run", fallback},
        {std::nullopt, fallback},
        {Path("missing"), fallback},
    };
    Env.Set("XDG_CACHE_HOME", cache.c_str());
    for (const Case& c : cases) {
        Env.Set("XDG_RUNTIME_DIR", c.Runtime ? c.Runtime->c_str() : nullptr);
        EXPECT_EQ(PrivateRuntimeDir(), c.Expected) << c.Runtime.value_or("(unset)");
    }
    EXPECT_EQ(Perms(fallback), fs::perms::owner_all);
    // Private, but another user's.
    if (::getuid() == 0) {
        const std::string theirs = MakeDir("theirs", fs::perms::owner_all);
        ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
        Env.Set("XDG_RUNTIME_DIR", theirs.c_str());
        EXPECT_EQ(PrivateRuntimeDir(), fallback);
    }
}

TEST_F(LocalSockets, FallbackFolderIsMadePrivateOrRefused) {
    Env.Set("XDG_RUNTIME_DIR", nullptr);
    Env.Set("XDG_CACHE_HOME", nullptr);
    Env.Set("HOME", Dir.c_str());
    const std::string run = Dir + "/.cache/Taskmoor/run";
    // Made with mode 0700.
    EXPECT_EQ(PrivateRuntimeDir(), run);
    EXPECT_EQ(Perms(run), fs::perms::owner_all);
    // One of the user's own that others could enter is closed to them.
    fs::permissions(run, fs::perms::all);
    EXPECT_EQ(PrivateRuntimeDir(), run);
    EXPECT_EQ(Perms(run), fs::perms::owner_all);
    // A link in its place could lead anywhere: refused.
    fs::remove(run);
    const std::string elsewhere = MakeDir("elsewhere", fs::perms::owner_all);
    fs::create_directory_symlink(elsewhere, run);
    EXPECT_EQ(PrivateRuntimeDir(), "");
    // Without any home there is no folder.
    Env.Set("HOME", nullptr);
    EXPECT_EQ(PrivateRuntimeDir(), "");
}

TEST_F(LocalSockets, LockExcludesOthersUntilReleased) {
    const std::string file = Path("app.lock");
    TFileLock first, second;
    EXPECT_EQ(first.TryLock(file), TFileLock::flLocked);
    EXPECT_EQ(Perms(file), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(second.TryLock(file), TFileLock::flHeld);
    EXPECT_FALSE(second.Locked());
    first.Unlock();
    EXPECT_EQ(second.TryLock(file), TFileLock::flLocked);
    // No folder, or a link in the lock's place: no lock.
    TFileLock other;
    EXPECT_EQ(other.TryLock(Path("missing/app.lock")), TFileLock::flFailed);
    fs::create_symlink(file, Path("link.lock"));
    EXPECT_EQ(other.TryLock(Path("link.lock")), TFileLock::flFailed);
}

TEST_F(LocalSockets, LockOfAKilledProcessIsFree) {
    const std::string file = Path("app.lock");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TFileLock lock;
        const char c = lock.TryLock(file) == TFileLock::flLocked ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        for (;;) ::pause();
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    TFileLock lock;
    EXPECT_EQ(lock.TryLock(file), TFileLock::flHeld);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.TryLock(file), TFileLock::flLocked);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(LocalSockets, ConnectionCarriesBytesWithoutWaiting) {
    TLocalServer server;
    ASSERT_TRUE(server.Listen(Path("s")));
    EXPECT_EQ(Perms(Path("s")), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(server.Accept().Valid());  // nobody waits: answers at once

    TLocalSocket client = TLocalSocket::Connect(Path("s"));
    ASSERT_TRUE(client.Valid());
    TLocalSocket peer = server.Accept();
    ASSERT_TRUE(peer.Valid());
    EXPECT_EQ(peer.PeerUserId(), static_cast<long>(CurrentUserId()));

    std::string got;
    EXPECT_EQ(peer.Receive(got, 100), TLocalSocket::ioAgain);  // nothing sent yet
    EXPECT_FALSE(peer.WaitReadable(10));
    std::string text = "hello, world";
    EXPECT_EQ(client.Send(text), TLocalSocket::ioDone);
    EXPECT_EQ(text, "");
    ASSERT_TRUE(peer.WaitReadable(1000));
    EXPECT_EQ(peer.Receive(got, 5), TLocalSocket::ioDone);  // no more than asked
    EXPECT_EQ(got, "hello");
    EXPECT_EQ(peer.Receive(got, 100), TLocalSocket::ioDone);
    EXPECT_EQ(got, "hello, world");
    client.Close();
    EXPECT_EQ(peer.Receive(got, 100), TLocalSocket::ioClosed);

    // A peer that does not read: writing stops when its buffer is full
    // instead of waiting for it.
    TLocalSocket slow = TLocalSocket::Connect(Path("s"));
    TLocalSocket slowPeer = server.Accept();
    ASSERT_TRUE(slowPeer.Valid());
    std::string flood(8 << 20, 'x');
    EXPECT_EQ(slowPeer.Send(flood), TLocalSocket::ioAgain);
    EXPECT_GT(flood.size(), 0u);

    server.Close();
    EXPECT_FALSE(fs::exists(Path("s")));
    EXPECT_FALSE(TLocalSocket::Connect(Path("s")).Valid());
}

TEST_F(LocalSockets, ListenReplacesWhatACrashLeftBehind) {
    // A socket file whose listener is gone, as a crash leaves it.
    const std::string stale = Path("stale");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, stale.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(fs::is_socket(stale));
    EXPECT_FALSE(TLocalSocket::Connect(stale).Valid());
    std::ofstream(Path("plain")) << "not a socket";

    for (const std::string& path : {stale, Path("plain")}) {
        TLocalServer server;
        ASSERT_TRUE(server.Listen(path)) << path;
        EXPECT_TRUE(TLocalSocket::Connect(path).Valid());
        EXPECT_TRUE(server.Accept().Valid());
    }
    // A path too long for a socket, or in no folder, is refused.
    TLocalServer server;
    EXPECT_FALSE(server.Listen(Dir + "/" + std::string(MaxSocketPath(), 'n')));
    EXPECT_FALSE(server.Listen(Path("missing/s")));
    EXPECT_FALSE(TLocalSocket::Connect(Dir + "/" + std::string(MaxSocketPath(), 'n')).Valid());
}

TEST_F(LocalSockets, FileIdentity) {
    std::ofstream(Path("file")) << "x";
    std::ofstream(Path("other")) << "x";
    fs::create_symlink(Path("file"), Path("link"));
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    EXPECT_TRUE(SameFile(Path("file"), Path("link")));
    EXPECT_TRUE(SameFile(Path("file"), Dir + "/./file"));
    EXPECT_FALSE(SameFile(Path("file"), Path("other")));
    EXPECT_FALSE(SameFile(Path("file"), Path("missing")));

    EXPECT_TRUE(IsRegularFile(Path("file")));
    EXPECT_TRUE(IsRegularFile(Path("link")));
    for (const char* name : {"pipe", "missing", ""}) EXPECT_FALSE(IsRegularFile(Path(name))) << name;
    EXPECT_FALSE(IsRegularFile(Dir));

    EXPECT_TRUE(IsRunningProgramFile(ApplicationExeName()));
    EXPECT_FALSE(IsRunningProgramFile(Path("file")));
    struct stat st {};
    ASSERT_EQ(::stat(Path("file").c_str(), &st), 0);
    EXPECT_EQ(CurrentUserId(), st.st_uid);  // files made by this process are its user's
    EXPECT_TRUE(fs::exists("/proc/" + std::to_string(CurrentProcessId()) + "/exe"));
}

}  // namespace
