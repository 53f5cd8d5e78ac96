#include "platform/core/process.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Identity(const std::string& name, struct stat& st) { return ::stat(name.c_str(), &st) == 0; }

}  // namespace

int CurrentProcessId() { return static_cast<int>(::getpid()); }

unsigned CurrentUserId() { return static_cast<unsigned>(::getuid()); }

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return Identity(a, sa) && Identity(b, sb) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool IsRunningProgramFile(const std::string& fileName) { return SameFile(fileName, "/proc/self/exe"); }

bool IsRegularFile(const std::string& fileName) {
    struct stat st {};
    return Identity(fileName, st) && S_ISREG(st.st_mode);
}
