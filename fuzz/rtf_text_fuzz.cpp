// Any bytes as rich text: the reader answers a text, never crashes, reads
// past the input or hangs; its answer is never longer than a few bytes per
// input byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "suite/base/qzrtftext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::string text = qzRtfToPlainText(in);
    if (text.size() > 4 * size + 4) std::abort();
    std::string rich = "{\\rtf1 ";
    rich.append(in);
    (void)qzRtfToPlainText(rich);
    return 0;
}
