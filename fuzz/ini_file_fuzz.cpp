// Any bytes as an ini file: sections, values, odd line ends, NULs and long
// lines read into a memory ini file and a file-backed one, then every read
// call on what was read. Reads agree with each other, and a file rewritten
// after a change reads back the values it held.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/inifiles.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "support/environment.h"

namespace {

std::string Folder() {
    static std::string folder = [] {
        const std::string f = TTestRunFolder::Folder();
        ::setenv("TASKMOOR_CONFIG_DIR", f.c_str(), 1);
        return f;
    }();
    return folder;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

// name=value of every key read, section by section.
using TValues = std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;

TValues ReadAll(TCustomIniFile& ini) {
    TValues all;
    TStringList sections;
    ini.ReadSections(&sections);
    for (int s = 0; s < sections.Count() && s < 64; ++s) {
        const std::string section = sections.Strings(s);
        Check(ini.SectionExists(section));
        TStringList keys, values;
        ini.ReadSection(section, &keys);
        ini.ReadSectionValues(section, &values);
        Check(keys.Count() == values.Count());
        all.emplace_back(section, std::vector<std::pair<std::string, std::string>>());
        for (int k = 0; k < keys.Count() && k < 64; ++k) {
            const std::string key = keys.Strings(k);
            const std::string value = ini.ReadString(section, key, "\x01");
            Check(ini.ValueExists(section, key));
            Check(values.Strings(k) == key + "=" + value);
            ini.ReadInteger(section, key, 7);
            ini.ReadBool(section, key, true);
            ini.ReadFloat(section, key, 1.5);
            ini.ReadDate(section, key, TDateTime(2.0));
            all.back().second.emplace_back(key, value);
        }
    }
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string path = Folder() + "/fuzz.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
    }
    TValues before;
    {
        TMemIniFile mem(path);
        before = ReadAll(mem);
        TIniFile file(path);
        Check(ReadAll(file) == before);
        // Names that are not there answer the defaults.
        Check(mem.ReadString("", "", "d") == "d");
        Check(mem.ReadInteger("\x01no such", "k", 3) == 3);
        // A change written back keeps every other value.
        mem.WriteString("Fuzz Added", "Key", std::string(reinterpret_cast<const char*>(Data), Size));
        mem.UpdateFile();
    }
    TMemIniFile again(path);
    TValues after = ReadAll(again);
    const auto added = [](const auto& section) { return SameText(section.first, "Fuzz Added"); };
    std::erase_if(before, added);
    std::erase_if(after, added);
    Check(after == before);
    return 0;
}
