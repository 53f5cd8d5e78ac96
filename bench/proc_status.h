// A field of /proc/self/status, such as "VmRSS:" or "VmHWM:", in kB.
#pragma once

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

// -1 when the field is not there.
inline long StatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

// Copies /proc/self/smaps (the resident and anonymous kB of every mapping)
// to the file at path.
inline void CopySmaps(const char* path) {
    std::ifstream in("/proc/self/smaps");
    std::ofstream out(path);
    out << in.rdbuf();
}
