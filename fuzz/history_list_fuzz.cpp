// Any bytes as a stored history: an ini file's section, a registry value
// and the value's bytes read directly. Loading answers a list, never a
// crash, an over-read or a hang.
//
// Input: the first byte picks the storage (0: ini file, 1: registry value,
// else the bytes alone); the rest is the stored data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/core/component.h"
#include "platform/core/registry.h"
#include "platform/core/strings.h"
#include "suite/edit/qzhistorylist.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size == 0) return 0;
    const std::string folder = Folder();
    const std::string bytes(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    TComponent owner(nullptr);
    TStringList target;
    switch (Data[0] % 3) {
    case 0: {
        const std::string ini = folder + "/history.ini";
        {
            std::ofstream out(ini, std::ios::binary | std::ios::trunc);
            out << "[H]\n" << bytes;
        }
        TqzHistoryList h(&owner);
        h.SetFileName(ini);
        h.SetSection("H");
        h.LoadInto(&target);
        break;
    }
    case 1: {
        TRegistry reg;
        reg.OpenKey("\\Fuzz", true);
        reg.WriteBinaryData("H", bytes.data(), static_cast<int>(bytes.size()));
        TqzHistoryList h(&owner);
        h.SetStorageType(stRegistry);
        h.SetFileName("Fuzz");
        h.SetSection("H");
        h.LoadInto(&target);
        break;
    }
    default: qzReadHistoryBytes(bytes.data(), static_cast<int64_t>(bytes.size()), &target); break;
    }
    // What was read is a list of lines.
    for (int i = 0; i < target.Count(); ++i)
        if (target.Strings(i).find('\n') != std::string::npos) std::abort();
    return 0;
}
