// The environment variables the program reads (the display's name, the
// configuration, cache, runtime and temporary folders, the home folder) set
// to any text: the folders and the single-instance name made from them are
// usable or refused, a claim of the name succeeds or fails cleanly.
//
// Every folder value stays inside the run's own folder ("..", which could
// leave it, is replaced), so the target never writes elsewhere.
//
// Input: the values, cut at NUL bytes, in the order of Names below.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "gui_fuzz_support.h"
#include "platform/core/files.h"
#include "platform/core/local_socket.h"
#include "platform/ui/single_instance.h"
#include "support/environment.h"

namespace {

struct TVariable {
    const char* Name;
    bool Folder;
};
const TVariable Names[] = {
    {"DISPLAY", false}, {"WAYLAND_DISPLAY", false}, {"XDG_RUNTIME_DIR", true},     {"XDG_CACHE_HOME", true},
    {"HOME", true},     {"XDG_CONFIG_HOME", true},  {"TASKMOOR_CONFIG_DIR", true}, {"TMPDIR", true}};

std::string Inside(const std::string& Root, std::string Value) {
    for (std::size_t at; (at = Value.find("..")) != std::string::npos;) Value.replace(at, 2, "__");
    return Root + "/" + Value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const std::string root = TTestRunFolder::Folder() + "/env";
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    std::filesystem::create_directories(root, ec);
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    std::size_t at = 0;
    for (const TVariable& v : Names) {
        if (at > input.size()) {
            ::unsetenv(v.Name);
            continue;
        }
        const std::size_t cut = input.find('\0', at);
        const std::string value = input.substr(at, cut == std::string::npos ? std::string::npos : cut - at);
        at = cut == std::string::npos ? input.size() + 1 : cut + 1;
        const std::string set = v.Folder && !value.empty() && value[0] != '-' ? Inside(root, value) : value;
        ::setenv(v.Name, set.c_str(), 1);
    }
    (void)GetTempDir();
    (void)UserConfigDir();
    const std::string runtime = PrivateRuntimeDir();
    if (!runtime.empty() && runtime.compare(0, root.size(), root) != 0) std::abort();
    {
        TSingleInstance instance("Taskmoor fuzz");
        if (instance.Claim() == TSingleInstance::scFirst) {
            if (instance.SocketPath().compare(0, root.size(), root) != 0) std::abort();
            instance.Release();
        }
    }
    std::filesystem::remove_all(root, ec);
    return 0;
}
