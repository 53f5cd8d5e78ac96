// File and folder routines: existence tests, copies, renames, and the
// manipulation of file names as text. Paths use '/' only. Every file the
// system saves (whole-file writes, copies, tables) goes through
// TAtomicFileWriter: a temporary file in the target's folder and a rename, so
// a crash or a full disk leaves either the old file or the new one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/core/datetime.h"

constexpr char PathDelim = '/';

// Opens a file to read it when the name leads to a regular file (a symbolic
// link to one is fine). Anything else is refused before a byte is read, and
// a named pipe is never waited on: EFOpenError "Cannot open file "%s". %s"
// says what the name is ("Is a directory", "Is a named pipe, not a regular
// file", "Is a device, not a regular file", "Is a socket, not a regular
// file") or why it did not open. Answers the descriptor (close-on-exec).
int OpenRegularFile(const std::string& fileName, int flags);

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
// Copies contents, permissions and modification time; only a regular file
// is read (a named pipe is refused, not waited on). With failIfExists an
// existing destination is left alone and the copy fails.
bool CopyFile(const std::string& source, const std::string& dest, bool failIfExists);
// The same, telling why a copy failed in reason ("Cannot open file "%s". %s"
// for the source, "Cannot create file "%s". %s" for the destination); empty
// after a copy that succeeded.
bool CopyFile(const std::string& source, const std::string& dest, bool failIfExists, std::string& reason);
// Replaces fileName with exactly these bytes. Raises EFCreateError
// "Cannot create file "%s". %s" when the file cannot be written.
void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size);
// Waits until the file's contents are on the disk; false when it cannot be opened or flushed.
bool FlushFileToDisk(const std::string& fileName);

// Replaces a file with new contents written in pieces. The contents go to a
// temporary file "<name>.~tmp<random>" beside the file; Commit flushes it,
// gives it the file's permission bits and renames it over the file, then
// flushes the folder. Until then the old file is untouched, and a writer
// destroyed without Commit removes its temporary file. A symbolic link is
// written through: its target gets the new contents, the link stays. A file
// without write permission, a folder, a device or a socket is refused (never
// replaced); a named pipe is replaced. Every failure raises EFCreateError
// "Cannot create file "%s". %s" with the file's name as given.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(const std::string& fileName);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    // Appends bytes.
    void Write(const void* data, std::size_t size);
    // Overwrites bytes already written (a header completed at the end).
    void WriteAt(int64_t offset, const void* data, std::size_t size);
    int64_t Size() const { return FSize; }
    // Forces the contents written so far to the disk.
    void Flush();
    // The new file's permission bits and modification time (a copy keeps its
    // source's); by default the replaced file's bits, or the usual ones for a
    // new file.
    void SetMode(unsigned mode);
    void SetModificationTime(int64_t seconds, long nanoseconds);
    // Puts the new contents in place. With replace False an existing file is
    // left alone and Commit raises.
    void Commit(bool replace = true);
    // Gives up: the temporary file is removed, the old file stays.
    void Abandon();

    const std::string& TempFileName() const { return FTempName; }
    // The file really written: the target of a symbolic link.
    const std::string& TargetFileName() const { return FTarget; }

private:
    void WrittenBack();
    [[noreturn]] void Fail(int error);
    [[noreturn]] void Fail(const std::string& reason);

    std::string FFileName;
    std::string FTarget;
    std::string FTempName;
    int FHandle = -1;
    int64_t FSize = 0;
    int64_t FWrittenBack = 0;
    bool FSynced = false;
    bool FHasMode = false;
    unsigned FMode = 0;
    bool FHasTime = false;
    int64_t FSeconds = 0;
    long FNanoseconds = 0;
};

// Removes the temporary files that interrupted saves of fileName (or of the
// target of a link by that name) left in its folder; answers how many. A
// writer holds a lock on its temporary file for its whole life: the
// temporaries of saves still running, in this process or another, stay.
int RemoveStaleTempFiles(const std::string& fileName);
// The file a name leads to: symbolic links followed (also a dangling last
// one), the name itself when it is no link.
std::string ResolveFileLinks(const std::string& fileName);

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
