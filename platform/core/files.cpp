// File tests and renames over the system calls, locking and temporary files beside the
// target, and the atomic writer that replaces a file only by a whole, synced copy.
#include "platform/core/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

// Defined in streams.cpp: False (errno = ENOSPC) when a simulated write
// failure is due.
bool ConsumeFileWrite();

namespace {

std::string GExeName;

bool StatPath(const std::string& name, struct stat& st) {
    return !name.empty() && ::stat(name.c_str(), &st) == 0;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    if (size == 0) return true;
    if (!ConsumeFileWrite()) return false;
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

constexpr const char* TempMarker = ".~tmp";

// Whether the open file fd is still the one called name (not removed, not
// replaced).
bool StillNamed(int fd, const std::string& name) {
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && open.st_nlink > 0 && ::lstat(name.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// An exclusive lock on an open file; waits when Wait, else False when held.
bool LockFile(int fd, bool wait) {
    for (;;) {
        if (::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0) return true;
        if (errno != EINTR) return false;
    }
}

// A new, empty file "<target>.~tmp<random>" beside target, opened for
// writing and locked for as long as it stays open: the clean-up of other
// saves removes only temporaries whose lock it can take. -1 on failure.
int CreateTempBeside(const std::string& target, std::string& tempName) {
    static std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, "%08llx",
                      static_cast<unsigned long long>(rng() & 0xFFFFFFFFull));
        tempName = target + TempMarker + suffix;
        int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno != EEXIST) return fd;
            continue;
        }
        // A clean-up may have taken the new file for a stale one between its
        // creation and the lock: then it is gone, and another name is tried.
        if (!LockFile(fd, true)) {
            const int err = errno;
            ::close(fd);
            errno = err;
            return -1;
        }
        if (StillNamed(fd, tempName)) return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

bool AllOf(std::string_view text, int (*test)(int)) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [&](char c) { return test(static_cast<unsigned char>(c)) != 0; });
}

// True for the names of temporary files of a save of the file called base:
// "<base>.~tmp<hex>", and the older ".<base>.<hex>.tmp" and
// ".<base>.<pid>.<n>.tmp".
bool IsTempNameOf(std::string_view name, std::string_view base) {
    const std::string_view marker = TempMarker;
    if (name.size() > base.size() + marker.size() && name.substr(0, base.size()) == base &&
        name.substr(base.size(), marker.size()) == marker)
        return AllOf(name.substr(base.size() + marker.size()), isxdigit);
    if (name.size() < base.size() + 7 || name[0] != '.' || name.substr(1, base.size()) != base ||
        name[base.size() + 1] != '.' || name.substr(name.size() - 4) != ".tmp")
        return false;
    const std::string_view middle = name.substr(base.size() + 2, name.size() - base.size() - 6);
    const std::size_t dot = middle.find('.');
    if (dot == std::string_view::npos) return middle.size() == 8 && AllOf(middle, isxdigit);
    return AllOf(middle.substr(0, dot), isdigit) && AllOf(middle.substr(dot + 1), isdigit);
}

// Root may write anything: the permission bits decide as well.
bool IsReadOnly(const std::string& fileName, const struct stat& st) {
    return (st.st_mode & 0222) == 0 || ::access(fileName.c_str(), W_OK) != 0;
}

// The folder SyncFolder is given for a file.
std::string FolderToSync(const std::string& fileName) {
    const std::string dir = ExtractFileDir(ExpandFileName(fileName));
    return dir.empty() ? "/" : dir;
}

void SyncFolder(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// What a name that is neither a regular file nor a folder leads to.
const char* NotRegularReason(mode_t mode) {
    return S_ISFIFO(mode)                   ? "Is a named pipe, not a regular file"
           : S_ISCHR(mode) || S_ISBLK(mode) ? "Is a device, not a regular file"
           : S_ISSOCK(mode)                 ? "Is a socket, not a regular file"
                                            : "Is not a regular file";
}

// A device or a socket is never replaced by a file (a stale named pipe is).
bool IsDeviceOrSocket(mode_t mode) { return S_ISCHR(mode) || S_ISBLK(mode) || S_ISSOCK(mode); }

}  // namespace

// ---------------------------------------------------------------------------
// Existence and metadata

int OpenRegularFile(const std::string& fileName, int flags) {
    // without blocking: opening a named pipe would wait for a writer
    const int fd = ::open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    int err = errno;
    const char* what = nullptr;
    if (fd >= 0) {
        struct stat st;
        if (::fstat(fd, &st) != 0)
            err = errno;
        else if (S_ISREG(st.st_mode))
            err = 0;
        else if (S_ISDIR(st.st_mode))
            err = EISDIR;
        else
            what = NotRegularReason(st.st_mode);
        if (err == 0 && !what) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        ::close(fd);
    }
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + (what ? what : std::strerror(err)));
}

bool FileExists(const std::string& fileName) {
    struct stat st;
    return StatPath(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& dir) {
    struct stat st;
    return StatPath(dir, st) && S_ISDIR(st.st_mode);
}

bool FileAge(const std::string& fileName, TDateTime& fileDateTime) {
    struct stat st;
    if (!StatPath(fileName, st) || S_ISDIR(st.st_mode)) return false;
    struct tm local;
    time_t seconds = st.st_mtim.tv_sec;
    if (!::localtime_r(&seconds, &local)) return false;
    TDateTime date;
    if (!TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date)) return false;
    int secs = local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59);
    double msecs = secs * 1000.0 + static_cast<double>(st.st_mtim.tv_nsec / 1000000);
    fileDateTime = date + msecs / MSecsPerDay;
    return true;
}

int64_t FileSize(const std::string& fileName) {
    struct stat st;
    if (!StatPath(fileName, st) || S_ISDIR(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

// ---------------------------------------------------------------------------
// Changing the file system

bool ForceDirectories(const std::string& dir) {
    if (dir.empty()) throw EInOutError("Unable to create directory");
    std::string path = ExcludeTrailingPathDelimiter(ExpandFileName(dir));
    if (DirectoryExists(path)) return true;
    std::string parent = ExtractFileDir(path);
    if (parent != path && !ForceDirectories(parent)) return false;
    return ::mkdir(path.c_str(), 0777) == 0 || DirectoryExists(path);
}

bool DeleteFile(const std::string& fileName) {
    return FileExists(fileName) && ::unlink(fileName.c_str()) == 0;
}

bool RenameFile(const std::string& oldName, const std::string& newName) {
    struct stat st;
    if (oldName.empty() || newName.empty()) return false;
    // Renaming to another letter case of the same name is allowed.
    if (::lstat(newName.c_str(), &st) == 0 && oldName != newName) {
        struct stat old;
        if (::lstat(oldName.c_str(), &old) != 0 || old.st_ino != st.st_ino || old.st_dev != st.st_dev)
            return false;
    }
    return ::rename(oldName.c_str(), newName.c_str()) == 0;
}

bool CopyFile(const std::string& source, const std::string& dest, bool failIfExists) {
    std::string reason;
    return CopyFile(source, dest, failIfExists, reason);
}

bool CopyFile(const std::string& source, const std::string& dest, bool failIfExists, std::string& reason) {
    reason.clear();
    const auto refused = [&](const char* what, const std::string& name, const std::string& why) {
        reason = std::string("Cannot ") + what + " file \"" + name + "\". " + why;
        return false;
    };
    struct stat st;
    if (source.empty() || ::stat(source.c_str(), &st) != 0)
        return refused("open", source, std::strerror(errno));
    if (S_ISDIR(st.st_mode)) return refused("open", source, std::strerror(EISDIR));
    if (dest.empty()) return refused("create", dest, std::strerror(ENOENT));
    if (failIfExists && ::access(dest.c_str(), F_OK) == 0)
        return refused("create", dest, std::strerror(EEXIST));
    if (DirectoryExists(dest)) return refused("create", dest, std::strerror(EISDIR));
    int in = -1;
    try {
        // A named pipe or a device is refused, never waited on.
        in = OpenRegularFile(source, O_RDONLY);
        TAtomicFileWriter out(dest);
        std::vector<char> buffer(1 << 20);
        for (;;) {
            ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw EInOutError("Cannot read file \"" + source + "\". " + std::strerror(errno));
            if (n == 0) break;
            out.Write(buffer.data(), static_cast<std::size_t>(n));
        }
        ::close(in);
        in = -1;
        out.SetMode(st.st_mode & 07777);
        out.SetModificationTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        out.Commit(!failIfExists);
        return true;
    } catch (const Exception& e) {
        if (in >= 0) ::close(in);
        reason = e.Message();
        return false;
    }
}

bool FlushFileToDisk(const std::string& fileName) {
    int fd = -1;
    try {
        fd = OpenRegularFile(fileName, O_RDONLY);
    } catch (const Exception&) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size) {
    TAtomicFileWriter out(fileName);
    out.Write(data, size);
    out.Commit();
}

// ---------------------------------------------------------------------------
// The atomic file writer

std::string ResolveFileLinks(const std::string& fileName) {
    std::string name = fileName;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (name.empty() || ::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
        std::vector<char> buffer(static_cast<std::size_t>(std::max<off_t>(st.st_size, PATH_MAX)) + 1);
        const ssize_t n = ::readlink(name.c_str(), buffer.data(), buffer.size() - 1);
        if (n <= 0) return name;
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        name = next[0] == PathDelim ? next : ExtractFilePath(name) + next;
    }
    return name;
}

int RemoveStaleTempFiles(const std::string& fileName) {
    int removed = 0;
    const std::string target = ResolveFileLinks(fileName);
    const std::string base = ExtractFileName(target);
    if (base.empty()) return 0;
    const std::string prefix = ExtractFilePath(target);
    DIR* handle = ::opendir(prefix.empty() ? "." : prefix.c_str());
    if (!handle) return 0;
    std::vector<std::string> stale;
    while (dirent* entry = ::readdir(handle))
        if (IsTempNameOf(entry->d_name, base)) stale.push_back(prefix + entry->d_name);
    ::closedir(handle);
    for (const std::string& name : stale) {
        // A save still running holds the lock on its temporary file.
        const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && LockFile(fd, false) && StillNamed(fd, name) &&
            ::unlink(name.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

TAtomicFileWriter::TAtomicFileWriter(const std::string& fileName) : FFileName(fileName) {
    if (fileName.empty()) Fail(ENOENT);
    FTarget = ResolveFileLinks(fileName);
    struct stat st;
    if (::stat(FTarget.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) Fail(EISDIR);
        if (IsDeviceOrSocket(st.st_mode)) Fail(NotRegularReason(st.st_mode));
        if (IsReadOnly(FTarget, st)) Fail("The file is read-only");
    }
    RemoveStaleTempFiles(FTarget);
    FHandle = CreateTempBeside(FTarget, FTempName);
    if (FHandle < 0) Fail(errno);
}

TAtomicFileWriter::~TAtomicFileWriter() { Abandon(); }

void TAtomicFileWriter::Fail(int error) { Fail(std::string(std::strerror(error))); }

void TAtomicFileWriter::Fail(const std::string& reason) {
    Abandon();
    throw EFCreateError("Cannot create file \"" + FFileName + "\". " + reason);
}

void TAtomicFileWriter::Abandon() {
    // Removed while still locked, so no other save's clean-up races for it.
    if (!FTempName.empty()) ::unlink(FTempName.c_str());
    FTempName.clear();
    if (FHandle >= 0) ::close(FHandle);
    FHandle = -1;
}

// Starts writing back what is written so far, so that Flush waits for less;
// errors show at Flush.
void TAtomicFileWriter::WrittenBack() {
    constexpr int64_t WriteBackStep = 8 << 20;
    if (FSize - FWrittenBack >= WriteBackStep) {
        ::sync_file_range(FHandle, FWrittenBack, FSize - FWrittenBack, SYNC_FILE_RANGE_WRITE);
        FWrittenBack = FSize;
    }
}

void TAtomicFileWriter::Write(const void* data, std::size_t size) {
    if (FHandle < 0) Fail(EBADF);
    if (size == 0) return;
    if (!WriteAll(FHandle, static_cast<const char*>(data), size)) Fail(errno);
    FSize += static_cast<int64_t>(size);
    FSynced = false;
    WrittenBack();
}

void TAtomicFileWriter::WriteAt(int64_t offset, const void* data, std::size_t size) {
    if (FHandle < 0) Fail(EBADF);
    if (offset < 0 || offset + static_cast<int64_t>(size) > FSize) Fail(EINVAL);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(FHandle, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail(n == 0 ? ENOSPC : errno);
        p += n;
        offset += n;
        size -= static_cast<std::size_t>(n);
    }
    FSynced = false;
}

void TAtomicFileWriter::Flush() {
    if (FHandle < 0) Fail(EBADF);
    if (!FSynced && ::fsync(FHandle) != 0) Fail(errno);
    FSynced = true;
}

void TAtomicFileWriter::SetMode(unsigned mode) {
    FHasMode = true;
    FMode = mode & 07777;
}

void TAtomicFileWriter::SetModificationTime(int64_t seconds, long nanoseconds) {
    FHasTime = true;
    FSeconds = seconds;
    FNanoseconds = nanoseconds;
}

void TAtomicFileWriter::Commit(bool replace) {
    if (FHandle < 0) Fail(EBADF);
    struct stat old;
    const bool exists = ::stat(FTarget.c_str(), &old) == 0;
    if (exists && !replace) Fail(EEXIST);
    if (exists && S_ISDIR(old.st_mode)) Fail(EISDIR);
    if (exists && IsDeviceOrSocket(old.st_mode)) Fail(NotRegularReason(old.st_mode));
    if (exists && IsReadOnly(FTarget, old)) Fail("The file is read-only");  // made so meanwhile
    if (FHasMode || exists) {
        if (::fchmod(FHandle, FHasMode ? FMode : old.st_mode & 07777) != 0) Fail(errno);
    }
    // The owner stays when the system lets it (only the superuser can give files away).
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)!::fchown(FHandle, old.st_uid, old.st_gid);
    if (FHasTime) {
        struct timespec times[2];
        times[0].tv_sec = static_cast<time_t>(FSeconds);
        times[0].tv_nsec = FNanoseconds;
        times[1] = times[0];
        ::futimens(FHandle, times);
    }
    Flush();
    // Everything that takes memory is done before the new file takes the
    // old one's name: after it nothing fails.
    const std::string folder = FolderToSync(FTarget);
    // The temporary file stays open, and so locked, until it has its new
    // name: a clean-up running meanwhile leaves it alone.
    if (replace) {
        if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) Fail(errno);
    } else {
        // link refuses an existing file; file systems without hard links:
        // check, then rename.
        if (::link(FTempName.c_str(), FTarget.c_str()) == 0) {
            ::unlink(FTempName.c_str());
        } else {
            const int err = errno;
            if (err == EEXIST || ::access(FTarget.c_str(), F_OK) == 0) Fail(err == EEXIST ? err : EEXIST);
            if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) Fail(errno);
        }
    }
    FTempName.clear();
    const int fd = FHandle;
    FHandle = -1;
    ::close(fd);  // the contents are on the disk already
    SyncFolder(folder);
}

// ---------------------------------------------------------------------------
// File names as text

namespace {

// Index of the '.' starting the extension of the file part; npos when none.
std::size_t ExtensionStart(const std::string& fileName) {
    std::size_t pos = fileName.find_last_of("./");
    if (pos == std::string::npos || fileName[pos] != '.') return std::string::npos;
    return pos;
}

}  // namespace

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
    std::size_t pos = ExtensionStart(fileName);
    return (pos == std::string::npos ? fileName : fileName.substr(0, pos)) + extension;
}

std::string ExtractFilePath(const std::string& fileName) {
    std::size_t pos = fileName.rfind(PathDelim);
    return pos == std::string::npos ? std::string() : fileName.substr(0, pos + 1);
}

std::string ExtractFileDir(const std::string& fileName) {
    std::size_t pos = fileName.rfind(PathDelim);
    if (pos == std::string::npos) return std::string();
    // The root keeps its delimiter.
    return pos == 0 ? std::string(1, PathDelim) : fileName.substr(0, pos);
}

std::string ExtractFileName(const std::string& fileName) {
    std::size_t pos = fileName.rfind(PathDelim);
    return pos == std::string::npos ? fileName : fileName.substr(pos + 1);
}

std::string ExtractFileExt(const std::string& fileName) {
    std::size_t pos = ExtensionStart(fileName);
    return pos == std::string::npos ? std::string() : fileName.substr(pos);
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == PathDelim) return path;
    return path + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
    if (path.size() > 1 && path.back() == PathDelim) return path.substr(0, path.size() - 1);
    return path;
}

std::string ExpandFileName(const std::string& fileName) {
    std::string full = !fileName.empty() && fileName[0] == PathDelim
                           ? fileName
                           : IncludeTrailingPathDelimiter(GetCurrentDir()) + fileName;
    std::vector<std::string> parts;
    std::size_t start = 1;
    while (start <= full.size()) {
        std::size_t end = full.find(PathDelim, start);
        if (end == std::string::npos) end = full.size();
        std::string part = full.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts) result += PathDelim + part;
    if (result.empty()) result = std::string(1, PathDelim);
    // A name ending in a delimiter names a folder and keeps it.
    if (!fileName.empty() && fileName.back() == PathDelim) result = IncludeTrailingPathDelimiter(result);
    return result;
}

std::string GetCurrentDir() {
    std::vector<char> buffer(PATH_MAX);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool SetCurrentDir(const std::string& dir) { return !dir.empty() && ::chdir(dir.c_str()) == 0; }

std::string FindFileNoCase(const std::string& folder, const std::string& name) {
    if (name.empty() || name.find(PathDelim) != std::string::npos) return std::string();
    std::string dir = folder.empty() ? std::string(".") : folder;
    std::string prefix = folder.empty() ? std::string() : IncludeTrailingPathDelimiter(folder);
    if (FileExists(prefix + name)) return prefix + name;
    DIR* handle = ::opendir(dir.c_str());
    if (!handle) return std::string();
    // Sorted, so the choice among several matches does not depend on the
    // order the folder happens to list them in.
    std::vector<std::string> matches;
    while (dirent* entry = ::readdir(handle)) {
        if (SameText(entry->d_name, name) && FileExists(prefix + entry->d_name))
            matches.push_back(entry->d_name);
    }
    ::closedir(handle);
    if (matches.empty()) return std::string();
    std::sort(matches.begin(), matches.end());
    return prefix + matches.front();
}

// ---------------------------------------------------------------------------
// Program and user folders

std::string ApplicationExeName() {
    if (GExeName.empty()) {
        std::vector<char> buffer(PATH_MAX + 1);
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
        if (n > 0) GExeName.assign(buffer.data(), static_cast<std::size_t>(n));
    }
    return GExeName;
}

void SetApplicationExeName(const std::string& fileName) { GExeName = fileName; }

std::string GetTempDir() {
    const char* dir = std::getenv("TMPDIR");
    std::string result = dir && *dir ? dir : "/tmp";
    return IncludeTrailingPathDelimiter(result);
}

std::string UserConfigDir() {
    if (const char* own = std::getenv("TASKMOOR_CONFIG_DIR"); own && *own)
        return ExcludeTrailingPathDelimiter(own);
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == PathDelim) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    return IncludeTrailingPathDelimiter(base) + "Taskmoor";
}
