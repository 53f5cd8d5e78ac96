// Fuzz target for the table image reader. Any input must load or fail with a
// message, never crash; an image that loads must save and load again to the
// same image, and open as a table that can be walked from first to last,
// sorted and searched; its fields read from the header alone are those the
// load found. Protected seeds use the password "fuzz", which is known here.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "engine/password.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "platform/core/exceptions.h"
#include "platform/core/streams.h"
#include "platform/core/text.h"
#include "platform/db/fields.h"

namespace {

std::string Save(TOstraCursor& cursor) {
    TMemoryStream out;
    cursor.SaveToStream(&out);
    return std::string(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
}

// Runs F; a failure with a message is an answer, not a fault.
template <class F>
void Try(F&& Function) {
    try {
        Function();
    } catch (const Exception&) {}
}

// Opens the image as a table and uses it as a program would.
void WalkTable(const uint8_t* data, std::size_t size, bool partial) {
    TMemoryStream in;
    if (size) in.WriteBuffer(data, static_cast<int64_t>(size));
    in.SetPosition(0);
    TOstraTable table(nullptr);
    table.SetLoadMode(lmStream);
    table.SetLoadingStream(&in);
    table.SetPartialOpen(partial);
    try {
        table.Open();
    } catch (const Exception&) {
        return;
    }
    std::string key, value;
    for (table.First(); !table.Eof(); table.Next()) {
        for (int i = 0; i < table.FieldCount(); ++i) {
            TField* field = table.Fields()->Fields(i);
            Try([&] {
                const std::string text = field->AsString();
                if (key.empty() && !field->IsBlob()) {
                    key = field->FieldName();
                    value = text;
                }
            });
        }
    }
    if (!key.empty()) {
        Try([&] { table.SetIndexFieldNames(key); });
        Try([&] { table.Locate(key, Variant(value), {}); });
        Try([&] { table.Locate(key, Variant(value), {loCaseInsensitive, loPartialKey}); });
        Try([&] { table.SetSortOptions({osoCaseInsensitive, osoDescendSort}); });
        Try([&] { table.Locate(key, Variant(value), {}); });
    }
    for (table.Last(); !table.Bof(); table.Prior()) {}
    Try([&] { table.Close(); });
}

// The fields of the image read from its header alone: never a crash; when
// the whole image loaded, the same names, types and lengths.
void CheckHeaderFields(const uint8_t* data, std::size_t size, const TOstraCursor* loaded) {
    static const std::string file = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : ".") + "/table_fields_fuzz.d";
    }();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::vector<TOstraField> fields;
    std::string error;
    const bool read = ReadTableFields(file, fields, error);
    if (!loaded) return;
    if (!read || fields.size() != loaded->Fields().size()) __builtin_trap();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const TOstraField& a = fields[i];
        const TOstraField& b = loaded->Fields()[i];
        // A load that finds a record text not UTF-8 reads the whole table, names
        // too, in Windows-1252; the header alone cannot tell.
        const bool sameName = a.Name == b.Name || Cp1252ToUtf8(a.Name) == b.Name;
        if (!sameName || a.FieldType != b.FieldType || a.Length != b.Length) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        OstraPasswords().AddPassword("fuzz");
        return true;
    }();
    (void)ready;
    for (int tolerant = 0; tolerant < 2; ++tolerant) {
        WalkTable(data, size, tolerant != 0);
        TMemoryStream in;
        if (size) in.WriteBuffer(data, static_cast<int64_t>(size));
        in.SetPosition(0);
        TOstraCursor cursor;
        cursor.SetTolerantLoad(tolerant != 0);
        std::string error;
        const bool loaded = cursor.LoadFromStream(&in, error);
        if (tolerant == 0) CheckHeaderFields(data, size, loaded ? &cursor : nullptr);
        if (!loaded) continue;

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
