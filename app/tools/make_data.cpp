// Makes a data folder for the to-do program: every table file the folder
// lacks, with its first contents. Existing files are left alone.
//
//   make_data <folder>
#include <cstdio>
#include <string>

#include "app/main_form_tables.h"
#include "platform/core/exceptions.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_data <folder>\n");
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
