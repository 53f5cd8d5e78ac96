// The sqlite3 command-line tool on a database file: the oracle of what the
// file holds, read apart from the engine's connections.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

#include "support/environment.h"

// Runs Sql on the file with the sqlite3 tool; answers its output (a row a
// line, "|" between columns, the last line break dropped), or its error text.
inline std::string SqliteCli(const std::string& Path, const std::string& Sql) {
    static int count = 0;
    const std::string script = TestRunPath("sqlite_cli_" + std::to_string(++count) + ".sql");
    {
        std::ofstream out(script);
        out << Sql << "\n";
    }
    const std::string command = "sqlite3 -batch '" + Path + "' < '" + script + "' 2>&1";
    std::string output;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) output.append(buffer, n);
        if (pclose(p) != 0) output = "sqlite3 failed: " + output;
    } else {
        output = "sqlite3 failed to start";
    }
    if (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}
