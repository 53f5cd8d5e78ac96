#include "platform/core/files.h"

#include <dirent.h>
#include <fcntl.h>
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
#include <vector>

#include "platform/core/exceptions.h"

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

// A new, empty file beside target, opened for writing; -1 on failure.
int CreateTempBeside(const std::string& target, std::string& tempName) {
    static std::mt19937_64 rng{std::random_device{}()};
    std::string dir = ExtractFilePath(target);
    std::string base = ExtractFileName(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08llx.tmp",
                      static_cast<unsigned long long>(rng() & 0xFFFFFFFFull));
        tempName = dir + "." + base + suffix;
        int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes the temporary file's contents, then links it into place: rename
// replaces the target; link refuses an existing one. errno on failure.
bool PublishTemp(int fd, const std::string& tempName, const std::string& target, bool replace) {
    bool ok = ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        if (replace) {
            ok = ::rename(tempName.c_str(), target.c_str()) == 0;
        } else {
            ok = ::link(tempName.c_str(), target.c_str()) == 0;
            // File systems without hard links: check, then rename.
            if (!ok && errno != EEXIST && ::access(target.c_str(), F_OK) != 0) {
                ok = ::rename(tempName.c_str(), target.c_str()) == 0;
                if (ok) return true;
            }
        }
        err = errno;
    }
    if (!ok || !replace) ::unlink(tempName.c_str());
    errno = err;
    return ok;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && std::tolower(x) != std::tolower(y)) return false;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Existence and metadata

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
    struct stat st;
    if (!StatPath(source, st) || S_ISDIR(st.st_mode) || dest.empty()) return false;
    if (failIfExists && ::access(dest.c_str(), F_OK) == 0) return false;
    if (DirectoryExists(dest)) return false;
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    std::string tempName;
    int out = CreateTempBeside(dest, tempName);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    ::close(in);
    if (ok) {
        ::fchmod(out, st.st_mode & 07777);
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        return PublishTemp(out, tempName, dest, !failIfExists);
    }
    ::close(out);
    ::unlink(tempName.c_str());
    return false;
}

void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size) {
    auto fail = [&](int err) {
        throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(err));
    };
    if (fileName.empty()) fail(ENOENT);
    if (DirectoryExists(fileName)) fail(EISDIR);
    std::string tempName;
    int fd = CreateTempBeside(fileName, tempName);
    if (fd < 0) fail(errno);
    if (!WriteAll(fd, static_cast<const char*>(data), size)) {
        int err = errno;
        ::close(fd);
        ::unlink(tempName.c_str());
        fail(err);
    }
    // Keep the permissions of the file being replaced.
    struct stat st;
    if (::stat(fileName.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
    if (!PublishTemp(fd, tempName, fileName, true)) fail(errno);
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
        if (EqualNoCase(entry->d_name, name) && FileExists(prefix + entry->d_name))
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
