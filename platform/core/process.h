// The running process and its user, and which file a name leads to: the
// facts the program asks of the operating system beside file contents.
#pragma once

#include <string>

// This process's id and its user's id.
int CurrentProcessId();
unsigned CurrentUserId();
// The processors this process may run on (its affinity, as taskset sets
// it), not the machine's; at least 1.
int UsableProcessorCount();

// True when both names lead to the same file (symbolic links followed);
// False when either cannot be reached.
bool SameFile(const std::string& a, const std::string& b);
// True when fileName leads to the running program's own file.
bool IsRunningProgramFile(const std::string& fileName);
// True for a regular file (links followed); False for folders, devices,
// pipes and sockets, which a reader could block on or never finish.
bool IsRegularFile(const std::string& fileName);
