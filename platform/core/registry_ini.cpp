// Ini-style access to the registry (see registry_ini.h).
#include "platform/core/registry_ini.h"

#include "platform/core/strings.h"
#include "platform/core/sysutils.h"

TRegistryIniFile::TRegistryIniFile(const std::string& FileName, HKEY Root) : FFileName(FileName) {
    FRegistry.SetRootKey(Root);
}

TRegistryIniFile::~TRegistryIniFile() = default;

std::string TRegistryIniFile::KeyOf(const std::string& Section) const {
    std::string base = FFileName;
    while (!base.empty() && base.back() == '\\') base.pop_back();
    if (base.empty() || base.front() != '\\') base.insert(base.begin(), '\\');
    return Section.empty() ? base : base + "\\" + Section;
}

void TRegistryIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
    Strings->Clear();
    if (!FRegistry.OpenKeyReadOnly(KeyOf(Section))) return;
    FRegistry.GetValueNames(Strings);
    FRegistry.CloseKey();
}

void TRegistryIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
    Strings->BeginUpdate();
    Strings->Clear();
    if (FRegistry.OpenKeyReadOnly(KeyOf(Section))) {
        TStringList names;
        FRegistry.GetValueNames(&names);
        for (int i = 0; i < names.Count(); ++i) {
            const std::string& name = names.Strings(i);
            // Only string values make entries; others are not this object's.
            if (FRegistry.GetDataType(name) != rdString && FRegistry.GetDataType(name) != rdExpandString)
                continue;
            Strings->Add(name + "=" + FRegistry.ReadString(name));
        }
        FRegistry.CloseKey();
    }
    Strings->EndUpdate();
}

bool TRegistryIniFile::SectionExists(const std::string& Section) {
    return FRegistry.KeyExists(KeyOf(Section));
}

std::string TRegistryIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                         const std::string& Default) {
    std::string result = Default;
    if (!FRegistry.OpenKeyReadOnly(KeyOf(Section))) return result;
    if (FRegistry.ValueExists(Ident) && FRegistry.GetDataType(Ident) == rdString)
        result = FRegistry.ReadString(Ident);
    FRegistry.CloseKey();
    return result;
}

void TRegistryIniFile::WriteString(const std::string& Section, const std::string& Ident,
                                   const std::string& Value) {
    if (!FRegistry.OpenKey(KeyOf(Section), true))
        throw ERegistryException(Format("Failed to set data for '%s'", Ident));
    FRegistry.WriteString(Ident, Value);
    FRegistry.CloseKey();
}

void TRegistryIniFile::EraseSection(const std::string& Section) {
    if (!FRegistry.OpenKey(KeyOf(Section), false)) return;
    TStringList names;
    FRegistry.GetValueNames(&names);
    for (int i = 0; i < names.Count(); ++i) FRegistry.DeleteValue(names.Strings(i));
    FRegistry.CloseKey();
}

void TRegistryIniFile::ReplaceSection(const std::string& Section,
                                      const std::vector<std::pair<std::string, std::string>>& Values) {
    FRegistry.ReplaceStringValues(KeyOf(Section), Values);
}
