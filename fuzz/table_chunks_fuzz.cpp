// Fuzz target for the table reader's chunked input: the first byte picks a
// chunk size, the rest is an image. Read in chunks from a stream that is not
// in memory, it must give what the image read whole gives: the same success,
// the same message and the same records; and so must a load on one thread
// where the others parse on several.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/password.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "platform/core/streams.h"

namespace {

std::string Save(TOstraCursor& cursor) {
    cursor.SetPassword("");
    TMemoryStream out;
    cursor.SaveToStream(&out);
    return std::string(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        OstraPasswords().AddPassword("fuzz");
        return true;
    }();
    (void)ready;
    if (size < 1) return 0;
    const std::size_t old = SetTableChunkSize(1 + data[0] % 64);
    const std::string image(reinterpret_cast<const char*>(data + 1), size - 1);
    for (int tolerant = 0; tolerant < 2; ++tolerant) {
        TMemoryStream whole;
        whole.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
        whole.SetPosition(0);
        TStringStream chunked(image), serial(image);
        TOstraCursor a, b, c;
        a.SetTolerantLoad(tolerant != 0);
        b.SetTolerantLoad(tolerant != 0);
        c.SetTolerantLoad(tolerant != 0);
        std::string errorA, errorB, errorC;
        const bool okA = a.LoadFromStream(&whole, errorA);
        const bool okB = b.LoadFromStream(&chunked, errorB);
        const int threads = SetTableLoadThreads(1);
        const bool okC = c.LoadFromStream(&serial, errorC);
        SetTableLoadThreads(threads);
        if (okA != okB || errorA != errorB || a.RecordCount() != b.RecordCount() ||
            a.FieldCount() != b.FieldCount())
            __builtin_trap();
        if (okC != okB || errorC != errorB || c.RecordCount() != b.RecordCount()) __builtin_trap();
        if (okA && (Save(a) != Save(b) || Save(c) != Save(b))) __builtin_trap();
    }
    SetTableChunkSize(old);
    return 0;
}
