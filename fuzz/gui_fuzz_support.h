// Shared set-up of the fuzz targets that drive controls on the offscreen platform.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ui/application.h"

// The windowing system's font and toolkit libraries keep caches to the end.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6\nleak:libglib\nleak:libdbus\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ChooseOffscreenPlatform();
    InitializeApplication(*argc, *argv);
    Application->Initialize();
    return 0;
}

// Up to N bytes of the input as text; P moves past them.
inline std::string TakeFuzzText(const uint8_t*& P, const uint8_t* End, std::size_t N) {
    std::string s;
    while (N-- > 0 && P < End) s += static_cast<char>(*P++);
    return s;
}
