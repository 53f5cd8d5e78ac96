// Local sockets: stream connections between processes of one user on one
// machine, through socket files in a folder only that user can enter, and the
// exclusive file lock that says who owns such a socket.
//
// Every socket here is non-blocking: a read or a write takes what there is
// and never waits, so a silent or slow peer cannot hold up the caller. Waits
// are explicit and bounded (WaitReadable, WaitWritable).
#pragma once

#include <cstddef>
#include <string>

// The user's private folder for sockets and locks, without a trailing '/':
// $XDG_RUNTIME_DIR when it is a folder owned by the user that nobody else may
// enter; else "<cache home>/Taskmoor/run" ($XDG_CACHE_HOME, or ~/.cache),
// created with mode 0700 (an existing one of the user's is set to 0700).
// Empty when there is no such folder (it belongs to someone else, or cannot
// be made).
std::string PrivateRuntimeDir();

// The longest path a socket file may have.
std::size_t MaxSocketPath();

// An exclusive lock on a file (created with mode 0600 when missing). The
// system drops it when the holder ends, however it ends, so a crash leaves no
// stale lock behind. Locks of one process on separate TFileLock objects
// exclude each other too.
class TFileLock {
public:
    enum TResult { flLocked, flHeld, flFailed };  // flHeld: someone else holds it

    TFileLock() = default;
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    // A lock file this user may only read (another user's, in a shared
    // folder) is locked through a read-only handle.
    TResult TryLock(const std::string& FileName);
    void Unlock();
    bool Locked() const { return FHandle >= 0; }
    // Why the last TryLock failed (flFailed); empty otherwise.
    const std::string& ErrorText() const { return FError; }

private:
    int FHandle = -1;
    std::string FError;
};

// One end of a connection.
class TLocalSocket {
public:
    enum TIo { ioDone, ioAgain, ioClosed };  // ioAgain: nothing now, try later

    TLocalSocket() = default;
    explicit TLocalSocket(int Handle) : FHandle(Handle) {}
    ~TLocalSocket();
    TLocalSocket(TLocalSocket&& Other) noexcept;
    TLocalSocket& operator=(TLocalSocket&& Other) noexcept;

    // Connects to the socket file; an invalid socket when nobody listens
    // there or the listener's queue is full.
    static TLocalSocket Connect(const std::string& Path);
    // The same, waiting up to Milliseconds in line while the listener's
    // queue is full: the system lets the waiter in as the listener takes
    // connections, so a crowd of others that keep trying does not keep it
    // out as a later try would be.
    static TLocalSocket Connect(const std::string& Path, int Milliseconds);

    bool Valid() const { return FHandle >= 0; }
    int Handle() const { return FHandle; }
    // The user id of the process at the other end; -1 when unknown.
    long PeerUserId() const;

    // Appends what has arrived, at most Max bytes, to Text.
    TIo Receive(std::string& Text, std::size_t Max);
    // Sends what the socket takes now; the part sent leaves Text (ioDone when
    // all of it went).
    TIo Send(std::string& Text);
    // Wait up to Milliseconds for something to read (or the end) or for room
    // to write; False on timeout.
    bool WaitReadable(int Milliseconds) const;
    bool WaitWritable(int Milliseconds) const;
    void Close();

private:
    int FHandle = -1;
};

// A listening socket file.
class TLocalServer {
public:
    TLocalServer() = default;
    ~TLocalServer();
    TLocalServer(const TLocalServer&) = delete;
    TLocalServer& operator=(const TLocalServer&) = delete;

    // Listens at Path (mode 0600). Whatever is at Path already, such as the
    // socket file of a copy that crashed, is removed first: the caller makes
    // sure the path is its own (by holding its TFileLock). False when it
    // cannot listen there.
    bool Listen(const std::string& Path);
    // The next waiting connection; an invalid socket when none waits.
    TLocalSocket Accept();
    // Stops listening and removes the socket file.
    void Close();

    bool Listening() const { return FHandle >= 0; }
    int Handle() const { return FHandle; }
    const std::string& Path() const { return FPath; }

private:
    int FHandle = -1;
    std::string FPath;
};
