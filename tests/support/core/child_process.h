// Runs a piece of a test in a process of its own, for tests of what
// several processes do to the same files at once.
#pragma once

#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>
#include <functional>
#include <string>

#include "platform/core/memory.h"

// Runs Body in a new process (a copy of this one); its exit code is what
// Body answers, 255 for an exception it let out.
inline int SpawnChild(const std::function<int()>& Body) {
    const pid_t pid = ::fork();
    if (pid != 0) return static_cast<int>(pid);
    int code = 255;
    try {
        code = Body();
    } catch (...) {}
    ::_exit(code);
}

// The child's exit code once it ended; -1 when it did not end normally or
// had not ended after Seconds (it is then killed, so that a child stuck in
// its runtime's own failure path fails the test instead of holding it).
inline int ChildExitCode(int Pid, int Seconds = 180) {
    const pid_t pid = static_cast<pid_t>(Pid);
    int status = 0;
    for (long waited = 0;; waited += 10) {
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid) break;
        if (ended != 0) return -1;
        if (waited >= Seconds * 1000L) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        ::usleep(10000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A figure of this process's memory from /proc/self/status ("VmSize",
// "VmPeak"), in bytes; 0 when it cannot be read.
inline std::size_t MemoryFigure(const std::string& Name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(Name + ":", 0) == 0) return std::stoul(line.substr(Name.size() + 1)) * 1024;
    return 0;
}

// Limits this process's address space to what it holds now and Extra bytes
// more (for a child: the limit stays with the process).
inline bool LimitAddressSpace(std::size_t Extra) {
    const std::size_t now = MemoryFigure("VmSize");
    const rlimit limit{now + Extra, now + Extra};
    return now > 0 && ::setrlimit(RLIMIT_AS, &limit) == 0;
}

// Caps this process's address space at what it holds now and Extra bytes
// more for what follows, until LiftAddressSpaceCap (the hard limit stays).
// The memory kept for reuse is given back first: it would be room beyond
// Extra.
inline bool CapAddressSpace(std::size_t Extra) {
    ReleaseFreeMemory();
    rlimit limit{};
    const std::size_t now = MemoryFigure("VmSize");
    if (now == 0 || ::getrlimit(RLIMIT_AS, &limit) != 0) return false;
    limit.rlim_cur = now + Extra;
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}
inline void LiftAddressSpaceCap() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0) return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_AS, &limit);
}

// The bytes the heap holds free for reuse: room an allocation may take
// without more address space.
inline std::size_t FreeHeapBytes() { return mallinfo2().fordblks; }

// From now on blocks of 256 KB and more take address space of their own and
// give it back when freed, instead of growing the heap's free room by what
// the process did before (the heap's own threshold follows the blocks freed).
inline void TakeLargeBlocksFromTheSystem() { mallopt(M_MMAP_THRESHOLD, 256 << 10); }

// True in a build with the address sanitizer, which ends a process whose
// allocation fails instead of raising std::bad_alloc.
constexpr bool AddressSanitized() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

// The least extra address space, a multiple of Step up to Most, under which
// Body answers 0, each try in a process of its own that first gives back
// the memory this process keeps for reuse (so that only what Body itself
// takes counts, not what the tests before it left); 0 when none does.
inline std::size_t LeastAddressSpace(const std::function<int()>& Body, std::size_t Step, std::size_t Most) {
    auto fits = [&](std::size_t extra) {
        return ChildExitCode(SpawnChild([&] {
                   ReleaseFreeMemory();
                   if (!LimitAddressSpace(extra)) return 2;
                   return Body();
               })) == 0;
    };
    std::size_t low = 0, high = Most / Step;  // in steps: low fails, high fits
    if (!fits(high * Step)) return 0;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        (fits(middle * Step) ? high : low) = middle;
    }
    return high * Step;
}
