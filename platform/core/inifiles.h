// Ini files: text files of "[section]" headers followed by "key=value" lines.
// Sections and keys compare without regard to ASCII case; keys are trimmed,
// values are kept verbatim after the first '='. Comment lines (';') and any
// other lines are kept as they are when the file is rewritten, and keys keep
// their order. A missing or unreadable file reads as empty, so every read
// answers its default; a name that leads to something other than a regular
// file (a folder, a named pipe, a device) raises EIniFileException with
// OpenRegularFile's text, at every read and before every change.
// A file larger than MaxIniFileSize (16 MB) is no settings file: every read
// and change raises EIniFileException "Cannot open file "%s". The file is
// larger than 16 MB" and the file stays as it is. A change that would make
// the file larger than that is not written: EIniFileException "Cannot create
// file "%s". The file would be larger than 16 MB" (TIniFile adds it to its
// "Unable to write to" text), and the file stays as it is.
// Rewrites go through a temporary file and a rename.
//
// Text that is not valid UTF-8 (files of older programs) reads as
// Windows-1252. Duplicate sections read as one section (a key's first occurrence wins);
// line breaks inside written sections, keys or values become blanks, so a
// value can never add lines of its own to the file.
//
// A file name without a folder names a file in UserConfigDir(). Trailing dots
// of the file name are dropped ("app.ini." is "app.ini").
#pragma once

#include <memory>
#include <string>

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/object.h"

class TStrings;
struct TIniDocument;

constexpr int64_t MaxIniFileSize = int64_t(16) << 20;

// Raised when an ini file cannot be written: "Unable to write to %s" with the
// reason on a line of its own, or when its name is not a regular file.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EIniFileException"; }
};

class TCustomIniFile : public TObject {
    TASKMOOR_CLASS(TCustomIniFile, TObject)
public:
    ~TCustomIniFile() override;

    // The name as given to the constructor.
    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& defaultValue);
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    // Typed values; text that does not convert reads as the default.
    int ReadInteger(const std::string& section, const std::string& ident, int defaultValue);
    void WriteInteger(const std::string& section, const std::string& ident, int value);
    bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue);
    void WriteBool(const std::string& section, const std::string& ident, bool value);  // "1" / "0"
    double ReadFloat(const std::string& section, const std::string& ident, double defaultValue);
    void WriteFloat(const std::string& section, const std::string& ident, double value);
    TDateTime ReadDate(const std::string& section, const std::string& ident, TDateTime defaultValue);
    void WriteDate(const std::string& section, const std::string& ident, TDateTime value);

    // Key names of a section in file order; section names in file order;
    // "key=value" lines of a section. The target list is cleared first.
    void ReadSection(const std::string& section, TStrings* strings);
    void ReadSections(TStrings* strings);
    void ReadSectionValues(const std::string& section, TStrings* strings);
    bool SectionExists(const std::string& section);
    bool ValueExists(const std::string& section, const std::string& ident);

    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);
    // Writes pending changes (TMemIniFile); TIniFile writes at once.
    virtual void UpdateFile() = 0;

protected:
    explicit TCustomIniFile(const std::string& fileName);
    // The file's path on disk.
    const std::string& Path() const { return FPath; }
    TIniDocument& Document() { return *FDocument; }
    // Bring the document up to date before a read or a change / publish it
    // after a change.
    virtual void BeforeRead() {}
    virtual void AfterWrite() {}
    void LoadDocument();
    void SaveDocument();  // EFCreateError when the file cannot be written

private:
    std::string FFileName;
    std::string FPath;
    std::unique_ptr<TIniDocument> FDocument;
};

// An ini file read at every read and rewritten at every change: other
// objects on the same file see each other's changes. A failed write raises
// EIniFileException.
class TIniFile : public TCustomIniFile {
    TASKMOOR_CLASS(TIniFile, TCustomIniFile)
public:
    explicit TIniFile(const std::string& fileName);
    void UpdateFile() override {}

protected:
    void BeforeRead() override;
    void AfterWrite() override;
};

// An ini file read once when created and written only by UpdateFile
// (EFCreateError when that fails).
class TMemIniFile : public TCustomIniFile {
    TASKMOOR_CLASS(TMemIniFile, TCustomIniFile)
public:
    explicit TMemIniFile(const std::string& fileName);
    void UpdateFile() override;
};
