// Compiled help files: any bytes either open or raise EInOutError.
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/ui/chm_help.h"
#include "support/environment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const std::string path = TestRunPath("file.chm");
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(Data, 1, Size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    try {
        TChmFile file(path);
        std::string bytes;
        for (const std::string& name : file.ObjectNames()) file.ReadObject(name, bytes);
        for (const auto& [context, topic] : file.ContextMap()) file.FindObject(topic);
        file.FindKeyword("a;b");
        file.FindKeywordPrefix("a");
    } catch (const EInOutError&) {}
    // The sitemap parser on the raw bytes as well.
    ParseChmSitemap(std::string(reinterpret_cast<const char*>(Data), Size));
    return 0;
}
