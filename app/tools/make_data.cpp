// Makes a data folder for the to-do program: every table file the folder
// lacks, with its first contents. Existing files are left alone.
//
//   make_data <folder>
//   make_data -h | --help
#include <cstdio>
#include <string>

#include "app/main_form_tables.h"
#include "platform/core/exceptions.h"

namespace {
const char* const Usage =
    "usage: make_data <folder>\n"
    "Writes the table files the folder lacks, with their first contents; existing files are left "
    "alone.\n";
}

int main(int argc, char** argv) {
    if (argc == 2) {
        const std::string arg = argv[1];
        if (arg == "-h" || arg == "--help") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "make_data: unknown option \"%s\"\n%s", arg.c_str(), Usage);
            return 2;
        }
    }
    if (argc != 2 || argv[1][0] == '\0') {
        std::fputs(Usage, stderr);
        return 2;
    }
    try {
        for (const std::string& name : CreateToDoDataFolder(argv[1])) std::printf("%s\n", name.c_str());
    } catch (const Exception& e) {
        std::fprintf(stderr, "make_data: %s\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
