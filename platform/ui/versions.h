// Versions of the operating system and of its libraries, as the controls
// test them before they use newer features.
//
// The windowing layer offers every feature those tests ask about, so it
// answers a system of version 6.1 and a common-controls library
// ("comctl32.dll") of file version 6.0. Tests may pretend otherwise.
#pragma once

#include <string>

int SystemMajorVersion();
int SystemMinorVersion();
// The file version of a system library named Library (any case); false
// when the library or its version resource is unknown.
bool GetLibraryFileVersion(const std::string& Library, int& Major, int& Minor);

// Test overrides: the system's version, and a library's file version
// (a negative Major makes the library's version resource missing).
void SetSystemVersionForTesting(int Major, int Minor);
void SetLibraryVersionForTesting(const std::string& Library, int Major, int Minor);
// Back to the real answers.
void ClearVersionOverrides();
