// Local sockets, file locks, the private runtime folder and process facts.
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#include "platform/core/files.h"
#include "platform/core/local_socket.h"
#include "platform/core/process.h"
#include "support/environment.h"

namespace fs = std::filesystem;

namespace {

fs::perms Perms(const std::string& Path) { return fs::symlink_status(Path).permissions() & fs::perms::all; }

// Func's answer, run in a child process that may not pass over file
// permissions (root neither): what a user meets in a folder not theirs.
std::string AsAUserWithoutFilePowers(const std::function<std::string()>& Func) {
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[2]{};
        std::string answer = "no capabilities";
        if (::syscall(SYS_capget, &header, caps) == 0) {
            caps[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            if (::syscall(SYS_capset, &header, caps) == 0) answer = Func();
        }
        const ssize_t written = ::write(fds[1], answer.data(), answer.size());
        ::_exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string answer;
    char buf[256];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) answer.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return answer;
}

class LocalSockets : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(Dir.empty()); }
    std::string Path(const std::string& Name) const { return Env.Path(Name); }
    std::string MakeDir(const std::string& Name, fs::perms Mode) const {
        fs::create_directories(Path(Name));
        fs::permissions(Path(Name), Mode);
        return Path(Name);
    }

    TTestEnvironment Env;
    const std::string Dir = Env.Folder();
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

// A folder the user cannot write: the lock is refused for that reason (not
// for the lock file that is not there); a lock file left there, which may
// only be read, still takes the lock.
TEST_F(LocalSockets, ALockInAFolderThatCannotBeWrittenSaysWhy) {
    const std::string dir = MakeDir("read-only", fs::perms::owner_read | fs::perms::owner_exec);
    const auto tryLock = [](const std::string& File) {
        return [File] {
            TFileLock lock;
            const TFileLock::TResult result = lock.TryLock(File);
            return std::to_string(result) + " " + lock.ErrorText();
        };
    };
    EXPECT_EQ(AsAUserWithoutFilePowers(tryLock(dir + "/app.lock")),
              std::to_string(TFileLock::flFailed) + " " + std::strerror(EACCES));
    const std::string held = MakeDir("held", fs::perms::owner_all);
    { std::ofstream(held + "/app.lock") << ""; }
    fs::permissions(held + "/app.lock", fs::perms::owner_read);
    fs::permissions(held, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(AsAUserWithoutFilePowers(tryLock(held + "/app.lock")),
              std::to_string(TFileLock::flLocked) + " ");
    fs::permissions(dir, fs::perms::owner_all);
    fs::permissions(held, fs::perms::owner_all);
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
    std::string text = "hello, world";
    EXPECT_EQ(client.Send(text), TLocalSocket::ioDone);
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

// With the listener's queue full, a connect that waits gets in as soon as
// the listener takes one connection, though a later try without waiting is
// still turned away by the full queue; the waiting one is non-blocking once
// in, and one that waits in vain gives up.
TEST_F(LocalSockets, AConnectThatWaitsGetsInWhenTheQueueMoves) {
    TLocalServer server;
    ASSERT_TRUE(server.Listen(Path("queue")));
    int queued = 0;
    while (TLocalSocket::Connect(Path("queue")).Valid()) ASSERT_LT(++queued, 1 << 20);
    ASSERT_GT(queued, 0);
    EXPECT_FALSE(TLocalSocket::Connect(Path("queue"), 50).Valid());
    std::optional<TLocalSocket> waiting;
    std::thread later([&] { waiting = TLocalSocket::Connect(Path("queue"), 60000); });
    // The waiter is in line before one place frees.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(server.Accept().Valid());
    later.join();
    ASSERT_TRUE(waiting && waiting->Valid());
    std::string text;
    EXPECT_EQ(waiting->Receive(text, 10), TLocalSocket::ioAgain);
    EXPECT_FALSE(TLocalSocket::Connect(Path("queue")).Valid());
    // Nobody listening: refused at once, waiting or not.
    server.Close();
    EXPECT_FALSE(TLocalSocket::Connect(Path("queue"), 5000).Valid());
}

TEST_F(LocalSockets, ListenReplacesWhatIsInItsPlace) {
    std::ofstream(Path("plain")) << "not a socket";
    TLocalServer server;
    ASSERT_TRUE(server.Listen(Path("plain")));
    EXPECT_TRUE(TLocalSocket::Connect(Path("plain")).Valid());
    // A path too long for a socket, or in no folder, is refused.
    const std::string tooLong = Dir + "/" + std::string(MaxSocketPath(), 'n');
    EXPECT_FALSE(server.Listen(tooLong));
    EXPECT_FALSE(server.Listen(Path("missing/s")));
    EXPECT_FALSE(TLocalSocket::Connect(tooLong).Valid());
}

TEST_F(LocalSockets, FileIdentity) {
    std::ofstream(Path("file")) << "x";
    std::ofstream(Path("other")) << "x";
    fs::create_symlink(Path("file"), Path("link"));
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    EXPECT_TRUE(SameFile(Path("file"), Path("link")));
    EXPECT_FALSE(SameFile(Path("file"), Path("other")));
    EXPECT_FALSE(SameFile(Path("file"), Path("missing")));

    EXPECT_TRUE(IsRegularFile(Path("link")));
    for (const char* name : {"pipe", "missing", ""}) EXPECT_FALSE(IsRegularFile(Path(name))) << name;

    EXPECT_TRUE(IsRunningProgramFile(ApplicationExeName()));
    EXPECT_FALSE(IsRunningProgramFile(Path("file")));
    struct stat st {};
    ASSERT_EQ(::stat(Path("file").c_str(), &st), 0);
    EXPECT_EQ(CurrentUserId(), st.st_uid);  // files made by this process are its user's
}

}  // namespace
