// Helpers shared by the framework's source files.
#pragma once

#include <string>
#include <vector>

// The names of a ";"-separated field list, blanks around each name dropped,
// empty names skipped.
std::vector<std::string> SplitFieldNames(const std::string& Names);
