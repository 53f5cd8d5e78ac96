// File and folder routines: existence tests, copies, renames, and the
// manipulation of file names as text. Paths use '/' only. Whole-file writes
// and copies go through a temporary file in the target's folder and a rename,
// so a crash or a full disk leaves either the old file or the new one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/core/datetime.h"

constexpr char PathDelim = '/';

// Existence and metadata. FileExists is False for folders.
bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& dir);
// Modification time as a local date-time; False when the file is missing.
bool FileAge(const std::string& fileName, TDateTime& fileDateTime);
// Size in bytes; -1 when the file is missing.
int64_t FileSize(const std::string& fileName);

// Changing the file system; each answers whether it succeeded.
// ForceDirectories raises EInOutError "Unable to create directory" for an
// empty name.
bool ForceDirectories(const std::string& dir);
bool DeleteFile(const std::string& fileName);
// Fails when newName already exists.
bool RenameFile(const std::string& oldName, const std::string& newName);
// Copies contents, permissions and modification time. With failIfExists an
// existing destination is left alone and the copy fails.
bool CopyFile(const std::string& source, const std::string& dest, bool failIfExists);
// Replaces fileName with exactly these bytes. Raises EFCreateError
// "Cannot create file "%s". %s" when the file cannot be written.
void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size);

// File names as text.
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
std::string ExtractFilePath(const std::string& fileName);  // with trailing '/'
std::string ExtractFileDir(const std::string& fileName);   // without it
std::string ExtractFileName(const std::string& fileName);
std::string ExtractFileExt(const std::string& fileName);  // with the '.'
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);
// Absolute, with "." and ".." resolved as text (links are not followed).
std::string ExpandFileName(const std::string& fileName);

std::string GetCurrentDir();
bool SetCurrentDir(const std::string& dir);

// The path of the file called name in folder: the exact name when it exists,
// else the first name in the folder equal to it ignoring ASCII case; empty
// when there is none.
std::string FindFileNoCase(const std::string& folder, const std::string& name);

// The program's own file name (the first command-line parameter); taken from
// the running executable unless set.
std::string ApplicationExeName();
void SetApplicationExeName(const std::string& fileName);

// The temporary folder, with a trailing '/'.
std::string GetTempDir();
// The per-user settings folder: $TASKMOOR_CONFIG_DIR when set, else the XDG
// config home followed by "/Taskmoor". Not created here.
std::string UserConfigDir();
