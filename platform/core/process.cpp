// The processor count, and same-file and regular-file tests by the system's file status.
#include "platform/core/process.h"

#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Identity(const std::string& name, struct stat& st) { return ::stat(name.c_str(), &st) == 0; }

}  // namespace

int CurrentProcessId() { return static_cast<int>(::getpid()); }

unsigned CurrentUserId() { return static_cast<unsigned>(::getuid()); }

int UsableProcessorCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
    // More processors than the set holds: the machine's count.
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(online) : 1;
}

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
