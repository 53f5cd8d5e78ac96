// Any bytes as RTF or plain text: the reader answers a document, never
// crashes, reads past the input or hangs; what it read writes out as RTF
// that reads back to the same document, and its plain text is bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/core/rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    TRtfDocument doc;
    (void)RtfRead(in, doc);
    if (RtfToPlainText(in).size() > 4 * size + 4) std::abort();
    const std::string rtf = RtfWrite(doc);
    TRtfDocument again;
    if (!RtfRead(rtf, again).Ok) std::abort();
    if (!(again == doc)) std::abort();
    for (const auto& p : doc.Paragraphs)
        for (const auto& r : p.Runs)
            if (r.IsRaw()) (void)RtfPictureOf(r.Raw);
    return 0;
}
