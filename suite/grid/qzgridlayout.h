// The published grid's column layout kept between runs: TqzIniAttributes,
// in an ini file or in the registry (sections as subkeys). One entry per
// field in column order: key = field name, value = width, title, read-only
// flag and, when set, the group, joined by Delimiter. Loaded when the grid's
// window is first created, saved once when the grid is destroyed.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/core/object.h"
#include "platform/core/properties.h"

class TStrings;
class TqzDBGrid;

using TqzLayoutEntries = std::vector<std::pair<std::string, std::string>>;

enum class TqzLayoutRead { Empty, Loaded, NoDelimiter };

// Turns stored entries into Selected lines (key TAB value, every Delimiter
// a TAB, left to right). Empty: nothing stored, Lines untouched.
// NoDelimiter: an entry lacks the delimiter, Lines cleared. With
// CheckNewFields the lines of OldLines whose field is missing follow.
TqzLayoutRead qzReadLayout(const TqzLayoutEntries& Entries, const std::string& Delimiter,
                           const std::vector<std::string>& OldLines, bool CheckNewFields,
                           std::vector<std::string>& Lines);
// The entries stored for Selected lines (a line of fewer than four parts
// gets the flag "F"; a group only from a line of exactly five parts).
TqzLayoutEntries qzLayoutEntries(const std::vector<std::string>& Lines, const std::string& Delimiter);

class TqzIniAttributes : public TPersistent {
    TASKMOOR_CLASS(TqzIniAttributes, TPersistent)
public:
    explicit TqzIniAttributes(TqzDBGrid* Grid);

    const std::string& FormName() const { return FFormName; }
    void SetFormName(const std::string& Value) { FFormName = Value; }
    // The effective file name: the stored one, else the settings object's
    // ini file while it is connected (or the program's name with ".ini");
    // empty when the settings object is not connected.
    std::string FileName() const;
    const std::string& StoredFileName() const { return FFileName; }
    void SetFileName(const std::string& Value) { FFileName = Value; }
    // The stored section, else the form's name followed by the grid's.
    std::string SectionName() const;
    void SetSectionName(const std::string& Value) { FSectionName = Value; }
    const std::string& Delimiter() const { return FDelimiter; }
    void SetDelimiter(const std::string& Value) { FDelimiter = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool SaveToRegistry() const { return FSaveToRegistry; }
    void SetSaveToRegistry(bool Value) { FSaveToRegistry = Value; }
    bool CheckNewFields() const { return FCheckNewFields; }
    void SetCheckNewFields(bool Value) { FCheckNewFields = Value; }
    TqzDBGrid* Grid() const { return FGrid; }

    void Assign(TPersistent* Source) override;
    // Reads the layout into the grid's Selected and applies it; writes it.
    void Load();
    void Save();

    static void Publish(TPublisher<TqzIniAttributes>& p);

private:
    bool Designing() const;
    std::string FFormName;
    std::string FFileName;
    std::string FSectionName;
    std::string FDelimiter = ";;";
    bool FEnabled = false;
    bool FSaveToRegistry = false;
    bool FCheckNewFields = false;
    TqzDBGrid* FGrid;
};
