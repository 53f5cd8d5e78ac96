// Fuzz target for the table image reader. Any input must load or fail with a
// message, never crash; an image that loads must save and load again to the
// same image. Protected seeds use the password "fuzz", which is known here.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/password.h"
#include "engine/record_store.h"
#include "platform/core/streams.h"

namespace {

std::string Save(TOstraCursor& cursor) {
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
    for (int tolerant = 0; tolerant < 2; ++tolerant) {
        TMemoryStream in;
        if (size) in.WriteBuffer(data, static_cast<int64_t>(size));
        in.SetPosition(0);
        TOstraCursor cursor;
        cursor.SetTolerantLoad(tolerant != 0);
        std::string error;
        if (!cursor.LoadFromStream(&in, error)) continue;

        const std::string image = Save(cursor);
        TMemoryStream again;
        again.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
        again.SetPosition(0);
        TOstraCursor copy;
        copy.SetPassword(cursor.Password());
        std::string copyError;
        if (!copy.LoadFromStream(&again, copyError) || !copyError.empty() ||
            copy.RecordCount() != cursor.RecordCount() || copy.FieldCount() != cursor.FieldCount())
            __builtin_trap();
        if (cursor.Password().empty() && Save(copy) != image) __builtin_trap();

        std::string names;
        for (const TOstraField& f : cursor.Fields()) names += f.Name + ";";
        cursor.Sort(names, tolerant != 0);
    }
    return 0;
}
