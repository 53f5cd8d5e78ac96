// The history of values entered in a combo box, kept between runs in a
// section of an ini file (one key per entry, the key its position) or in a
// binary value of the registry (the entries as text lines).
//
// Loading never fails on damaged data: keys that are not numbers are passed
// over, the registry value is read for the bytes it really holds and text
// that is not UTF-8 reads as Windows-1252. Errors of the ini file and
// registry classes themselves (a file that cannot be written) go on to the
// caller.
#pragma once

#include <string>

#include "platform/core/component.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"

class TCustomIniFile;

TASKMOOR_ENUM(TqzStorageType, stRegistry, stIniFile)

// A memory stream laid over a caller's buffer without copying it.
class TPointerStream : public TMemoryStream {
    TASKMOOR_CLASS(TPointerStream, TMemoryStream)
public:
    TPointerStream(void* Ptr, int64_t Size) { SetPointer(Ptr, Size); }
};

class TqzHistoryList : public TPersistent {
    TASKMOOR_CLASS(TqzHistoryList, TPersistent)
public:
    // Owner: the combo box that keeps the list (may be nullptr).
    explicit TqzHistoryList(TComponent* Owner = nullptr);
    // Saves a list that was loaded from storage (errors are dropped here).
    ~TqzHistoryList() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    // The ini section or the registry value name.
    const std::string& Section() const { return FSection; }
    void SetSection(const std::string& Value) { FSection = Value; }
    // The own name; else the suite settings' IniFileName; else, for an ini
    // file of an owned list, the program's name up to its first "." + ".ini".
    std::string FileName() const;
    void SetFileName(const std::string& Value) { FFileName = Value; }
    // How many of the newest entries a save writes; 0 or less: all.
    int MaxSize() const { return FMaxSize; }
    void SetMaxSize(int Value) { FMaxSize = Value; }
    TqzStorageType StorageType() const { return FStorageType; }
    void SetStorageType(TqzStorageType Value) { FStorageType = Value; }
    bool MRUEnabled() const { return FMRUEnabled; }
    void SetMRUEnabled(bool Value) { FMRUEnabled = Value; }
    int MRUMaxSize() const { return FMRUMaxSize; }
    void SetMRUMaxSize(int Value) { FMRUMaxSize = Value; }

    // The entries, oldest first.
    TStringList* Entries() { return &FEntries; }
    TComponent* Owner() const { return FOwner; }
    void SetOwner(TComponent* Value) { FOwner = Value; }
    bool Loaded() const { return FLoaded; }

    // Reads the entries from storage (with Section and FileName set) and adds
    // those Target lacks to it; without both, the entries in memory.
    void LoadInto(TStrings* Target);
    // Writes the entries (with Section and FileName set).
    void Save();
    // The most-recently-used rows shown on top of a list.
    int MRUCount() const;

    void Assign(TPersistent* Source) override;
    static void Publish(TPublisher<TqzHistoryList>& p);

private:
    void Trim();
    void LoadFromIni();
    void LoadFromRegistry();
    void SaveToIni();
    void SaveToRegistry();

    bool FEnabled = false;
    std::string FSection;
    std::string FFileName;
    int FMaxSize = -1;
    TqzStorageType FStorageType = stIniFile;
    bool FMRUEnabled = false;
    int FMRUMaxSize = 2;
    TStringList FEntries;
    bool FLoaded = false;
    TComponent* FOwner;
};

// The entries of an ini section (keys that are decimal numbers, in file
// order) into Entries, replacing them.
void qzReadHistorySection(TCustomIniFile* Ini, const std::string& Section, TStrings* Entries);
// The entries of a registry value's bytes (text lines) into Entries.
void qzReadHistoryBytes(const void* Data, int64_t Size, TStrings* Entries);
