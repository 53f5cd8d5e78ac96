// Version blocks: any bytes, as a block in memory and as a file to search.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/version_info.h"
#include "support/environment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const void* value = nullptr;
    uint32_t len = 0;
    for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904e4\\FileVersion",
                             "\\StringFileInfo\\\\x\\y\\z"})
        VerQueryValue(Data, Size, path, value, len);

    static const std::string file = TestRunPath("version_info.bin");
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(Data, 1, Size, f);
        std::fclose(f);
        TZkVersionInfo info(nullptr);
        info.SetFileName(file);
        for (int t = 0; t < info.TranslationCount() && t < 4; ++t) {
            info.SetTranslationIndex(t);
            for (int i = 0; i < 12; ++i) info.GetStringByIndex(i);
        }
    }
    return 0;
}
