// Runs a piece of a test in a process of its own, for tests of what
// several processes do to the same files at once.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>
#include <functional>
#include <string>

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

// The child's exit code once it ended; -1 when it did not end normally.
inline int ChildExitCode(int Pid) {
    int status = 0;
    if (::waitpid(static_cast<pid_t>(Pid), &status, 0) != static_cast<pid_t>(Pid) || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
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
