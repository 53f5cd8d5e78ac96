// The private runtime folder, file locks, and the socket connect, accept, send and
// receive calls with their waits and the peer's user check.
#include "platform/core/local_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

// A folder of this user's that nobody else may enter.
bool IsPrivateFolder(const std::string& Dir, bool FollowLink) {
    struct stat st {};
    const int rc = FollowLink ? ::stat(Dir.c_str(), &st) : ::lstat(Dir.c_str(), &st);
    return rc == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// Makes Dir and its missing parents; new folders get Mode.
bool MakeFolders(const std::string& Dir, mode_t Mode) {
    for (std::size_t at = 1; at <= Dir.size(); ++at) {
        if (at < Dir.size() && Dir[at] != '/') continue;
        const std::string part = Dir.substr(0, at);
        if (::mkdir(part.c_str(), Mode) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool MakeAddress(const std::string& Path, sockaddr_un& Address) {
    std::memset(&Address, 0, sizeof Address);
    Address.sun_family = AF_UNIX;
    if (Path.empty() || Path.size() > MaxSocketPath()) return false;
    std::memcpy(Address.sun_path, Path.data(), Path.size());
    return true;
}

bool Wait(int Handle, short Events, int Milliseconds) {
    if (Handle < 0) return false;
    pollfd p{Handle, Events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, Milliseconds < 0 ? 0 : Milliseconds);
        if (n < 0 && errno == EINTR) continue;
        return n > 0;
    }
}

}  // namespace

std::string PrivateRuntimeDir() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        std::string dir = runtime;
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        if (IsPrivateFolder(dir, true)) return dir;
    }
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
        cache = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        cache = std::string(home) + "/.cache";
    } else {
        return {};
    }
    while (cache.size() > 1 && cache.back() == '/') cache.pop_back();
    const std::string dir = cache + "/Taskmoor/run";
    if (!MakeFolders(dir, 0700)) return {};
    // Not a link, and ours: then it is made private if it was not.
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
    if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return {};
    return IsPrivateFolder(dir, false) ? dir : std::string();
}

std::size_t MaxSocketPath() { return sizeof(sockaddr_un::sun_path) - 1; }

// ---- TFileLock ------------------------------------------------------------------------------

TFileLock::~TFileLock() { Unlock(); }

TFileLock::TResult TFileLock::TryLock(const std::string& FileName) {
    Unlock();
    FError.clear();
    int fd = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    int error = errno;
    if (fd < 0 && error == EACCES) {
        // A lock file that may only be read still locks; when there is none,
        // the refusal to make it is the reason.
        fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0 && errno != ENOENT) error = errno;
    }
    if (fd < 0) {
        FError = std::strerror(error);
        return flFailed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        FError = "Is not a regular file";
        ::close(fd);
        return flFailed;
    }
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            FHandle = fd;
            return flLocked;
        }
        if (errno == EINTR) continue;
        const bool held = errno == EWOULDBLOCK;
        if (!held) FError = std::strerror(errno);
        ::close(fd);
        return held ? flHeld : flFailed;
    }
}

void TFileLock::Unlock() {
    if (FHandle < 0) return;
    ::close(FHandle);  // closing drops the lock
    FHandle = -1;
}

// ---- TLocalSocket ---------------------------------------------------------------------------

TLocalSocket::~TLocalSocket() { Close(); }

TLocalSocket::TLocalSocket(TLocalSocket&& Other) noexcept : FHandle(Other.FHandle) { Other.FHandle = -1; }

TLocalSocket& TLocalSocket::operator=(TLocalSocket&& Other) noexcept {
    if (this != &Other) {
        Close();
        FHandle = Other.FHandle;
        Other.FHandle = -1;
    }
    return *this;
}

TLocalSocket TLocalSocket::Connect(const std::string& Path) {
    sockaddr_un address;
    if (!MakeAddress(Path, address)) return {};
    TLocalSocket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.Valid()) return {};
    for (;;) {
        if (::connect(socket.FHandle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return socket;
        if (errno != EINTR) return {};
    }
}

TLocalSocket TLocalSocket::Connect(const std::string& Path, int Milliseconds) {
    sockaddr_un address;
    if (!MakeAddress(Path, address)) return {};
    // A blocking connect waits in the listener's line, up to the send timeout.
    TLocalSocket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.Valid()) return {};
    const int wait = std::max(1, Milliseconds);
    timeval timeout{};
    timeout.tv_sec = wait / 1000;
    timeout.tv_usec = (wait % 1000) * 1000;
    if (::setsockopt(socket.FHandle, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) != 0) return {};
    for (;;) {
        if (::connect(socket.FHandle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) break;
        if (errno != EINTR) return {};
    }
    const int flags = ::fcntl(socket.FHandle, F_GETFL);
    if (flags < 0 || ::fcntl(socket.FHandle, F_SETFL, flags | O_NONBLOCK) != 0) return {};
    return socket;
}

long TLocalSocket::PeerUserId() const {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (FHandle < 0 || ::getsockopt(FHandle, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return -1;
    return static_cast<long>(credentials.uid);
}

TLocalSocket::TIo TLocalSocket::Receive(std::string& Text, std::size_t Max) {
    if (FHandle < 0) return ioClosed;
    if (Max == 0) return ioDone;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::recv(FHandle, buffer, Max < sizeof buffer ? Max : sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            Text.append(buffer, static_cast<std::size_t>(n));
            return ioDone;
        }
        if (n == 0) return ioClosed;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? ioAgain : ioClosed;
    }
}

TLocalSocket::TIo TLocalSocket::Send(std::string& Text) {
    if (FHandle < 0) return ioClosed;
    while (!Text.empty()) {
        const ssize_t n = ::send(FHandle, Text.data(), Text.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            Text.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? ioAgain : ioClosed;
    }
    return ioDone;
}

bool TLocalSocket::WaitReadable(int Milliseconds) const { return Wait(FHandle, POLLIN, Milliseconds); }

bool TLocalSocket::WaitWritable(int Milliseconds) const { return Wait(FHandle, POLLOUT, Milliseconds); }

void TLocalSocket::Close() {
    if (FHandle >= 0) ::close(FHandle);
    FHandle = -1;
}

// ---- TLocalServer ---------------------------------------------------------------------------

TLocalServer::~TLocalServer() { Close(); }

bool TLocalServer::Listen(const std::string& Path) {
    Close();
    sockaddr_un address;
    if (!MakeAddress(Path, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ::unlink(Path.c_str());
    // The folder keeps others out already; the file itself is the user's only too.
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (bound) ::chmod(Path.c_str(), 0600);
    // The system's longest queue: a flood of connections must not turn away
    // one that waits behind it.
    if (!bound || ::listen(fd, SOMAXCONN) != 0) {
        if (bound) ::unlink(Path.c_str());
        ::close(fd);
        return false;
    }
    FHandle = fd;
    FPath = Path;
    return true;
}

TLocalSocket TLocalServer::Accept() {
    if (FHandle < 0) return {};
    for (;;) {
        const int fd = ::accept4(FHandle, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) return TLocalSocket(fd);
        if (errno == EINTR || errno == ECONNABORTED) continue;
        return {};
    }
}

void TLocalServer::Close() {
    if (FHandle < 0) return;
    ::close(FHandle);
    ::unlink(FPath.c_str());
    FHandle = -1;
    FPath.clear();
}
