// Any text against every field type: the checks answer, never crash, read
// past the text or hang. Input: one byte of decimal separator, one of date
// separator, then the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/core/sysutils.h"
#include "suite/base/qzdbutils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    ResetFormatSettings();
    FormatSettings().DecimalSeparator = static_cast<char>(data[0]);
    FormatSettings().DateSeparator = static_cast<char>(data[1]);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    for (int t = ftUnknown; t <= ftFMTBcd; ++t) {
        const bool valid = qzIsValidTextForFieldType(static_cast<TFieldType>(t), text);
        // an integer accepted for a 16-bit field fits it
        if (valid && t == ftSmallint && !text.empty()) {
            int64_t v = 0;
            if (!TryStrToInt64(text, v) || v < -32768 || v > 32767) std::abort();
        }
    }
    (void)qzIsTextEditKey(static_cast<uint16_t>(data[0] | (data[1] << 8)));
    return 0;
}
