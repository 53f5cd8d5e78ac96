// Backup and restore of the to-do program's table files.
//
// A backup copies each table file "<name>.d" of the data folder to
// "<name>.bak" beside it; a restore copies "<name>.bak" back over
// "<name>.d". File names match without regard to letter case (the tables'
// files were named on a system that ignores it), so an existing file of
// another case is the one read or overwritten. Only regular files are read
// (a named pipe is refused, never waited on), and a file is replaced through
// a temporary file renamed over it, so the old one stays until the new one
// is in place. A restore first checks the backup's fields against those the
// program gives the table, then opens it with the engine, and replaces the
// table file only when both passed: a damaged backup, or one of another
// table, never destroys the live table. Each file that cannot be copied is reported by an information
// box "<path> Not copied." (followed by the reason on a line of its own, when
// there is one), and the number copied by a box "<n> Files copied.".
//
// After a restore the open tables still hold the old data in memory;
// ReloadRestoredTables reads the restored ones again, so that no later save
// writes the old data over the restored files.
#pragma once

#include <string>
#include <vector>

class TOstraTable;

// The tables backed up, in order: "Appid", "Archive", "Catg", "GoalGrp",
// "Goals", "List", "Quotes", "Status1", "TTask", "TTask2".
const std::vector<std::string>& BackupTableNames();

// The file of table Name in Folder with extension Ext (".d", ".bak"): the
// existing file whose name matches ignoring case, else Folder/Name+Ext.
std::string TableFileIn(const std::string& Folder, const std::string& Name, const std::string& Ext);

// Copies every table file of Folder to its backup; answers the count copied.
int BackupTables(const std::string& Folder);
// Why the backup file cannot stand for table Name ("TTask"): empty when its
// fields (names, types, sizes and order) are those of the table, when its
// header cannot be read (the copy opens it and tells why), or for a name the
// program defines no table for; else the first difference.
std::string BackupFieldsMismatch(const std::string& Backup, const std::string& Name);

// Copies the backups of the named tables, in order, over their table files;
// answers the count copied. Restored (when given) receives the names whose
// files were copied.
int RestoreTables(const std::string& Folder, const std::vector<std::string>& Names,
                  std::vector<std::string>* Restored = nullptr);

// Of Tables, closes and opens again every open table whose file is one of
// the restored tables of Folder (its unsaved changes are dropped), together with the
// open tables among Tables that share its data as clones. Answers the
// tables opened again. When one cannot be opened the others still are, and
// the first error is raised at the end.
std::vector<TOstraTable*> ReloadRestoredTables(const std::string& Folder,
                                               const std::vector<std::string>& Restored,
                                               const std::vector<TOstraTable*>& Tables);
