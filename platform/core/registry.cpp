// The registry's keys as ini sections: path splitting, escaping of names and values,
// typed value encoding, and creating, opening and deleting keys.
#include "platform/core/registry.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/inifiles.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

// File layout: a section per key, named by the root and the key path
// ("[HKEY_CURRENT_USER\Software\Taskmoor]"); a line per value,
// "name=T:data" with T one of S (string), E (expandable string), I (integer)
// or B (binary as hexadecimal). The default value's name is "@". Characters
// that the ini format cannot carry are written as %XX.

namespace {

const char* const RegistryFileName = "registry.ini";

std::string RegistryPath() { return IncludeTrailingPathDelimiter(UserConfigDir()) + RegistryFileName; }

std::string RootName(HKEY root) {
    switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    default: return "HKEY_" + IntToHex(static_cast<int64_t>(root), 8);
    }
}

const char HexDigits[] = "0123456789ABCDEF";

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string EscapeChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return {'%', HexDigits[u >> 4], HexDigits[u & 15]};
}

// Escapes '%', line breaks, the characters in `special`, and blanks at the
// ends (ini names are trimmed). Text that is not UTF-8 has its bytes above
// 127 escaped too, as the ini file would read them as Windows-1252.
std::string Escape(const std::string& s, const char* special) {
    const bool bytes = !IsValidUtf8(s);
    std::string result;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        bool edgeBlank = (c == ' ' || c == '\t') && (i == 0 || i + 1 == s.size());
        if (c == '%' || c == '\r' || c == '\n' || edgeBlank ||
            (bytes && static_cast<unsigned char>(c) > 127) || std::strchr(special, c))
            result += EscapeChar(c);
        else
            result += c;
    }
    return result;
}

std::string Unescape(const std::string& s) {
    std::string result;
    for (std::size_t i = 0; i < s.size(); ++i) {
        int hi, lo;
        if (s[i] == '%' && i + 2 < s.size() && (hi = HexDigitValue(s[i + 1])) >= 0 &&
            (lo = HexDigitValue(s[i + 2])) >= 0) {
            result += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            result += s[i];
        }
    }
    return result;
}

std::string EscapeValueName(const std::string& name) {
    if (name.empty()) return "@";
    return Escape(name, "=@;[");
}

std::string UnescapeValueName(const std::string& name) { return name == "@" ? "" : Unescape(name); }

std::string ToHex(const std::string& bytes) {
    std::string result;
    for (unsigned char c : bytes) {
        result += HexDigits[c >> 4];
        result += HexDigits[c & 15];
    }
    return result;
}

bool FromHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigitValue(hex[i]);
        int lo = HexDigitValue(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// The key path's non-empty parts.
std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

struct TRegValue {
    TRegDataType Type = rdUnknown;
    std::string Data;  // text, or the bytes of a binary value
    int Integer = 0;
};

bool DecodeValue(const std::string& text, TRegValue& value) {
    if (text.size() < 2 || text[1] != ':') return false;
    std::string data = text.substr(2);
    switch (text[0]) {
    case 'S':
        value.Type = rdString;
        value.Data = Unescape(data);
        return true;
    case 'E':
        value.Type = rdExpandString;
        value.Data = Unescape(data);
        return true;
    case 'I': value.Type = rdInteger; return TryStrToInt(data, value.Integer);
    case 'B': value.Type = rdBinary; return FromHex(data, value.Data);
    default: return false;
    }
}

// The stored value; false when missing. An entry that cannot be decoded
// counts as present with an unknown type.
bool FindValue(TCustomIniFile& ini, const std::string& section, const std::string& name, TRegValue& value) {
    std::string key = EscapeValueName(name);
    if (!ini.ValueExists(section, key)) return false;
    if (!DecodeValue(ini.ReadString(section, key, ""), value)) value = TRegValue();
    return true;
}

[[noreturn]] void GetDataFailed(const std::string& name) {
    throw ERegistryException("Failed to get data for '" + name + "'");
}

[[noreturn]] void InvalidType(const std::string& name) {
    throw ERegistryException("Invalid data type for '" + name + "'");
}

[[noreturn]] void SetDataFailed(const std::string& name, const std::string& reason = std::string()) {
    throw ERegistryException("Failed to set data for '" + name + "'" + (reason.empty() ? "" : "\n" + reason));
}

// Writes the file, creating the settings folder on first use; answers why
// it could not ("" when it is written).
std::string Save(TMemIniFile& ini) {
    try {
        if (!DirectoryExists(UserConfigDir())) ForceDirectories(UserConfigDir());
        ini.UpdateFile();
        return std::string();
    } catch (const Exception& e) {
        return e.Message().empty() ? "Cannot create file \"" + RegistryPath() + "\"." : e.Message();
    }
}

// Adds the sections of the key and of its missing parents (a key of the
// registry has its parents); answers whether any was missing.
bool AddMissingKeys(TMemIniFile& ini, const std::vector<std::string>& sections) {
    bool changed = false;
    for (const std::string& section : sections) {
        if (ini.SectionExists(section)) continue;
        // An empty section is written as a header: add a key, then drop it.
        ini.WriteString(section, "@", "");
        ini.DeleteKey(section, "@");
        changed = true;
    }
    return changed;
}

}  // namespace

// ---------------------------------------------------------------------------
// TRegistry

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY value) {
    CloseKey();
    FRootKey = value;
}

std::string TRegistry::ResolveKey(const std::string& key) const {
    bool relative = key.empty() || key[0] != '\\';
    std::string full = relative && FKeyOpen && !FCurrentPath.empty() ? FCurrentPath + "\\" + key : key;
    std::string result;
    for (const std::string& part : SplitPath(full)) result += (result.empty() ? "" : "\\") + part;
    return result;
}

std::vector<std::string> TRegistry::KeySections(const std::string& path) const {
    std::vector<std::string> sections;
    std::string walked;
    // Every missing parent becomes a key of its own, as in the registry.
    for (const std::string& part : SplitPath(path)) {
        walked += (walked.empty() ? "" : "\\") + part;
        sections.push_back(Section(walked));
    }
    return sections;
}

void TRegistry::ReplaceStringValues(const std::string& key,
                                    const std::vector<std::pair<std::string, std::string>>& values) {
    const std::string path = ResolveKey(key);
    if (path.empty()) SetDataFailed(key);
    TMemIniFile ini(RegistryPath());
    AddMissingKeys(ini, KeySections(path));
    const std::string section = Section(path);
    // The section keeps its place among the keys; only its values change.
    TStringList old;
    ini.ReadSection(section, &old);
    for (int i = 0; i < old.Count(); ++i) ini.DeleteKey(section, old.Strings(i));
    for (const auto& [name, value] : values)
        ini.WriteString(section, EscapeValueName(name), "S:" + Escape(value, ""));
    if (const std::string reason = Save(ini); !reason.empty()) SetDataFailed(path, reason);
}

std::string TRegistry::Section(const std::string& path) const {
    std::string section = RootName(FRootKey);
    for (const std::string& part : SplitPath(path)) section += "\\" + Escape(part, "]");
    return section;
}

bool TRegistry::KeyExists(const std::string& key) {
    std::string path = ResolveKey(key);
    if (path.empty()) return true;
    std::string section = Section(path);
    TMemIniFile ini(RegistryPath());
    if (ini.SectionExists(section)) return true;
    TStringList sections;
    ini.ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i)
        if (StartsWithNoCase(sections.Strings(i), section + "\\")) return true;
    return false;
}

bool TRegistry::CreateKey(const std::string& key) {
    std::string path = ResolveKey(key);
    TMemIniFile ini(RegistryPath());
    return !AddMissingKeys(ini, KeySections(path)) || Save(ini).empty();
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    std::string path = ResolveKey(key);
    if (!KeyExists("\\" + path) && !(canCreate && CreateKey("\\" + path))) return false;
    FCurrentPath = path;
    FKeyOpen = true;
    FReadOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    if (!OpenKey(key, false)) return false;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey() {
    FKeyOpen = false;
    FReadOnly = false;
    FCurrentPath.clear();
}

bool TRegistry::DeleteKey(const std::string& key) {
    std::string path = ResolveKey(key);
    if (path.empty()) return false;
    std::string section = Section(path);
    TMemIniFile ini(RegistryPath());
    TStringList sections;
    ini.ReadSections(&sections);
    bool found = false;
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string& name = sections.Strings(i);
        if (SameText(name, section) || StartsWithNoCase(name, section + "\\")) {
            ini.EraseSection(name);
            found = true;
        }
    }
    return found && Save(ini).empty();
}

void TRegistry::GetKeyNames(TStrings* strings) {
    strings->BeginUpdate();
    strings->Clear();
    if (FKeyOpen) {
        std::string prefix = Section(FCurrentPath) + "\\";
        TMemIniFile ini(RegistryPath());
        TStringList sections;
        ini.ReadSections(&sections);
        for (int i = 0; i < sections.Count(); ++i) {
            const std::string& name = sections.Strings(i);
            if (!StartsWithNoCase(name, prefix) || name.size() == prefix.size()) continue;
            std::string child =
                Unescape(name.substr(prefix.size(), name.find('\\', prefix.size()) - prefix.size()));
            bool seen = false;
            for (int j = 0; j < strings->Count() && !seen; ++j) seen = SameText(strings->Strings(j), child);
            if (!seen) strings->Add(child);
        }
    }
    strings->EndUpdate();
}

bool TRegistry::ValueExists(const std::string& name) {
    if (!FKeyOpen) return false;
    TMemIniFile ini(RegistryPath());
    return ini.ValueExists(Section(FCurrentPath), EscapeValueName(name));
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (!FKeyOpen || FReadOnly) return false;
    TMemIniFile ini(RegistryPath());
    std::string section = Section(FCurrentPath);
    std::string key = EscapeValueName(name);
    if (!ini.ValueExists(section, key)) return false;
    ini.DeleteKey(section, key);
    return Save(ini).empty();
}

void TRegistry::GetValueNames(TStrings* strings) {
    strings->BeginUpdate();
    strings->Clear();
    if (FKeyOpen) {
        TMemIniFile ini(RegistryPath());
        TStringList keys;
        ini.ReadSection(Section(FCurrentPath), &keys);
        for (int i = 0; i < keys.Count(); ++i) strings->Add(UnescapeValueName(keys.Strings(i)));
    }
    strings->EndUpdate();
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
    TRegValue value;
    if (!FKeyOpen) return rdUnknown;
    TMemIniFile ini(RegistryPath());
    return FindValue(ini, Section(FCurrentPath), name, value) ? value.Type : rdUnknown;
}

int TRegistry::GetDataSize(const std::string& name) {
    TRegValue value;
    if (!FKeyOpen) return -1;
    TMemIniFile ini(RegistryPath());
    if (!FindValue(ini, Section(FCurrentPath), name, value)) return -1;
    switch (value.Type) {
    case rdInteger: return 4;
    case rdString:
    case rdExpandString: return static_cast<int>(value.Data.size()) + 1;
    default: return static_cast<int>(value.Data.size());
    }
}

std::string TRegistry::ReadString(const std::string& name) {
    TRegValue value;
    if (!FKeyOpen) GetDataFailed(name);
    TMemIniFile ini(RegistryPath());
    if (!FindValue(ini, Section(FCurrentPath), name, value)) return std::string();
    if (value.Type != rdString && value.Type != rdExpandString) InvalidType(name);
    return value.Data;
}

int TRegistry::ReadInteger(const std::string& name) {
    TRegValue value;
    if (!FKeyOpen) GetDataFailed(name);
    TMemIniFile ini(RegistryPath());
    if (!FindValue(ini, Section(FCurrentPath), name, value)) GetDataFailed(name);
    if (value.Type != rdInteger) InvalidType(name);
    return value.Integer;
}

bool TRegistry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufSize) {
    TRegValue value;
    if (!FKeyOpen) GetDataFailed(name);
    TMemIniFile ini(RegistryPath());
    if (!FindValue(ini, Section(FCurrentPath), name, value)) return 0;
    if ((value.Type != rdBinary && value.Type != rdUnknown) ||
        static_cast<int64_t>(value.Data.size()) > bufSize)
        InvalidType(name);
    if (!value.Data.empty()) std::memcpy(buffer, value.Data.data(), value.Data.size());
    return static_cast<int>(value.Data.size());
}

namespace {

void WriteValue(bool keyOpen, bool readOnly, const std::string& section, const std::string& name,
                const std::string& encoded) {
    if (!keyOpen || readOnly) SetDataFailed(name);
    TMemIniFile ini(RegistryPath());
    ini.WriteString(section, EscapeValueName(name), encoded);
    if (const std::string reason = Save(ini); !reason.empty()) SetDataFailed(name, reason);
}

}  // namespace

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    WriteValue(FKeyOpen, FReadOnly, Section(FCurrentPath), name, "S:" + Escape(value, ""));
}

void TRegistry::WriteInteger(const std::string& name, int value) {
    WriteValue(FKeyOpen, FReadOnly, Section(FCurrentPath), name, "I:" + IntToStr(value));
}

void TRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int bufSize) {
    if (bufSize < 0 || (bufSize > 0 && !buffer)) SetDataFailed(name);
    std::string bytes;
    if (bufSize > 0) bytes.assign(static_cast<const char*>(buffer), static_cast<std::size_t>(bufSize));
    WriteValue(FKeyOpen, FReadOnly, Section(FCurrentPath), name, "B:" + ToHex(bytes));
}
