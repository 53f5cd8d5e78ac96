// The table files of the to-do program: which files a data folder holds and
// the fields of each, in declared order, and the making of a fresh data
// folder with the engine itself.
#pragma once

#include <string>
#include <vector>

#include "platform/db/dbtypes.h"

struct TToDoField {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;  // characters of a string field, else 0
};

struct TToDoTableFile {
    std::string FileName;  // "Ttask.d", ...
    std::vector<TToDoField> Fields;
};

// The eleven table files, in the order of the main window's tables.
const std::vector<TToDoTableFile>& ToDoTableFiles();
// The file of that name (letter case ignored); nullptr when there is none.
const TToDoTableFile* FindToDoTableFile(const std::string& FileName);

// True when Folder holds at least one of the table files (in any letter case).
bool HasToDoTableFiles(const std::string& Folder);
// Writes every table file that Folder lacks, with its first contents: an
// empty task list, statuses, categories, project groups, quotes and the key
// counter of the quotes. Existing files are left as they are. Answers the
// names of the files written. Raises the engine's error when a file cannot
// be written.
std::vector<std::string> CreateToDoDataFolder(const std::string& Folder);
