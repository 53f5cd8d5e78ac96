// Runs a piece of a test in a process of its own, for tests of what
// several processes do to the same files at once.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

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
