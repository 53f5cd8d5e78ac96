// Helpers shared by the framework's source files.
#pragma once

#include <string>
#include <vector>

// The names of a ";"-separated field list, blanks around each name dropped,
// empty names skipped.
std::vector<std::string> SplitFieldNames(const std::string& Names);

// The top-level ORDER BY of an SQL text, one list of words per term:
// identifiers unquoted, "'" for a string literal, "(" for anything in
// brackets. Empty without one.
std::vector<std::vector<std::string>> SqlOrderByTerms(const std::string& Sql);

// True for a collation name that compares case-insensitively (NOCASE, FOLD).
bool CaseInsensitiveCollation(const std::string& Collation);
