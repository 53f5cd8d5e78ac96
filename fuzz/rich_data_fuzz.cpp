// Any bytes as the stored "Data" of a rich edit: length-prefixed blocks
// are read until the bytes run out; a block never reaches past them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/core/rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    std::size_t pos = 0;
    std::string block;
    while (pos < in.size()) {
        const std::size_t before = pos;
        const bool whole = RtfReadDataBlock(in, pos, block);
        if (pos <= before || pos > in.size() || block.size() > in.size()) std::abort();
        TRtfDocument doc;
        (void)RtfRead(block, doc);
        if (whole && RtfWriteDataBlock(block) != in.substr(before, pos - before)) std::abort();
    }
    return 0;
}
