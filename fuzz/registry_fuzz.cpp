// Any bytes as the registry's file: its keys opened from the root down and
// every value read as the type it reports, and as the other types. A read
// answers the value or raises ERegistryException, never a crash or an
// over-read; a value written into the damaged file reads back as written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/registry.h"
#include "platform/core/strings.h"
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

template <class F>
void Try(F&& Function) {
    try {
        Function();
    } catch (const ERegistryException&) {}
}

void ReadValues(TRegistry& reg) {
    TStringList names;
    reg.GetValueNames(&names);
    for (int i = 0; i < names.Count() && i < 32; ++i) {
        const std::string name = names.Strings(i);
        const TRegDataType type = reg.GetDataType(name);
        const int size = reg.GetDataSize(name);
        reg.ValueExists(name);
        Try([&] { reg.ReadString(name); });
        Try([&] { reg.ReadInteger(name); });
        Try([&] { reg.ReadBool(name); });
        std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 0) + 1);
        if (type == rdBinary) {
            // A buffer of the reported size holds the value; one byte less does not.
            Check(reg.ReadBinaryData(name, buffer.data(), size) == size);
            if (size > 0) {
                std::vector<char> small(static_cast<std::size_t>(size - 1));
                bool refused = false;
                try {
                    reg.ReadBinaryData(name, small.data(), size - 1);
                } catch (const ERegistryException&) {
                    refused = true;
                }
                Check(refused);
            }
        } else {
            Try([&] { reg.ReadBinaryData(name, buffer.data(), static_cast<int>(buffer.size())); });
        }
    }
}

// Opens every key below the open one, a few levels deep.
void Walk(TRegistry& reg, const std::string& path, int depth, int& budget) {
    if (--budget < 0 || !reg.OpenKey(path, false)) return;
    ReadValues(reg);
    if (depth >= 3) return;
    TStringList keys;
    reg.GetKeyNames(&keys);
    for (int i = 0; i < keys.Count() && budget > 0; ++i)
        Walk(reg, path + "\\" + keys.Strings(i), depth + 1, budget);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string path = Folder() + "/registry.ini";
    // The first line of the input gives a name and a text to write; the rest is the file.
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    const std::size_t eol = input.find('\n');
    const std::string line = eol == std::string::npos ? std::string() : input.substr(0, eol);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << (eol == std::string::npos ? input : input.substr(eol + 1));
    }
    TRegistry reg;
    int budget = 40;
    Walk(reg, "", 0, budget);
    reg.CloseKey();
    reg.KeyExists("Software\\Fuzz");
    reg.OpenKeyReadOnly("\\Software");

    const std::size_t cut = line.find('\t');
    const std::string name = line.substr(0, cut);
    const std::string text = cut == std::string::npos ? std::string() : line.substr(cut + 1);
    if (!reg.OpenKey("\\Software\\Fuzz\\" + name, true)) return 0;
    reg.WriteString(name, text);
    Check(reg.GetDataType(name) == rdString && reg.ReadString(name) == text);
    reg.WriteBinaryData(name, text.data(), static_cast<int>(text.size()));
    std::string back(text.size(), '\0');
    Check(reg.ReadBinaryData(name, back.data(), static_cast<int>(back.size())) ==
              static_cast<int>(text.size()) &&
          back == text);
    reg.WriteInteger(name, static_cast<int>(Size));
    Check(reg.ReadInteger(name) == static_cast<int>(Size));
    Check(reg.DeleteValue(name) && !reg.ValueExists(name));
    reg.CloseKey();
    Check(reg.DeleteKey("\\Software\\Fuzz"));
    return 0;
}
