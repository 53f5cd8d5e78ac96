// TRegistryIniFile: ini-style access to the registry. The object's file name
// is a key path under the root (HKEY_CURRENT_USER by default); each section
// is a subkey of it and each entry a string value there. Values keep the
// order they were written in, so a section reads back in that order.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/core/registry.h"

class TStrings;

class TRegistryIniFile : public TObject {
    TASKMOOR_CLASS(TRegistryIniFile, TObject)
public:
    explicit TRegistryIniFile(const std::string& FileName, HKEY Root = HKEY_CURRENT_USER);
    ~TRegistryIniFile() override;

    const std::string& FileName() const { return FFileName; }
    // Value names of a section in their order; cleared first.
    void ReadSection(const std::string& Section, TStrings* Strings);
    // "name=value" lines of a section in their order; cleared first.
    void ReadSectionValues(const std::string& Section, TStrings* Strings);
    bool SectionExists(const std::string& Section);
    std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default);
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
    // Removes every value of the section (the subkey stays).
    void EraseSection(const std::string& Section);
    // Replaces the section's values by these entries in one write: a failed
    // write raises ERegistryException with the reason and changes nothing.
    void ReplaceSection(const std::string& Section,
                        const std::vector<std::pair<std::string, std::string>>& Values);

private:
    std::string KeyOf(const std::string& Section) const;
    std::string FFileName;
    TRegistry FRegistry;
};
