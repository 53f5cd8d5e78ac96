// Writes the seed corpus of the table reader's fuzz target: valid plain and
// protected images of every field type. Every seed must load before it is
// written; a seed that does not fails the run.
//   table_file_seeds <folder>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/field_types.h"
#include "engine/password.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "platform/core/streams.h"

namespace {

bool Load(TOstraCursor& cursor, const std::string& image, std::string& error) {
    TMemoryStream in;
    if (!image.empty()) in.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
    in.SetPosition(0);
    return cursor.LoadFromStream(&in, error);
}

std::string Save(TOstraCursor& cursor) {
    TMemoryStream out;
    cursor.SaveToStream(&out);
    return std::string(static_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size()));
}

TOstraField Field(const std::string& name, TOstraFieldType type, int length = 0,
                  const std::string& def = "") {
    TOstraField f;
    f.Name = name;
    f.FieldType = type;
    f.Length = static_cast<uint16_t>(length);
    f.DefaultText = def;
    SetFieldLayout(f);
    return f;
}

std::vector<TOstraField> EveryType() {
    std::vector<TOstraField> fields;
    for (int code = 1; code < OstraFieldTypeCount; ++code) {
        const auto type = static_cast<TOstraFieldType>(code);
        fields.push_back(Field(std::string("F ") + OstraFieldTypeName(code), type,
                               type == oftString ? 60 : (type == oftSmallStr ? 12 : 0),
                               type == oftDate ? "TODAY" : ""));
    }
    return fields;
}

bool Make(TOstraCursor& cursor, const std::vector<TOstraField>& fields) {
    std::string error;
    if (Load(cursor, BuildEmptyImage(fields), error)) return true;
    std::fprintf(stderr, "empty table refused: %s\n", error.c_str());
    return false;
}

bool Fill(TOstraCursor& c, int records) {
    for (int i = 0; i < records; ++i) {
        std::vector<uint8_t> b(c.RecordDataSize() + 1, 0);
        for (const TOstraField& f : c.Fields()) {
            uint8_t* p = b.data() + f.Offset;
            switch (f.FieldType) {
            case oftBLOB:
            case oftGraphic: OstSetValue(p, f.FieldType, "\x01\x00\x02", 3); break;
            case oftDouble:
            case oftCurrency:
            case oftDateTime: OstPut<double>(p, i * 1.25); break;
            case oftInt64: OstPut<int64_t>(p, (int64_t{1} << 33) * i); break;
            case oftDate: OstPut<int32_t>(p, i % 3 ? 738000 + i : 0); break;
            case oftTime: OstPut<int32_t>(p, i * 60000); break;
            default: SetValueFromText(p, i % 3 ? std::to_string(i * 7) : "", f); break;
            }
        }
        std::string error;
        const bool posted = c.PostRecord(b.data(), nullptr, error);
        c.ReleaseData(b.data());
        if (!posted) {
            std::fprintf(stderr, "record %d refused: %s\n", i, error.c_str());
            return false;
        }
    }
    return true;
}

bool Write(const std::string& folder, const std::string& name, const std::string& image) {
    TOstraCursor check;
    check.SetPassword("fuzz");
    std::string error;
    if (!Load(check, image, error)) {
        std::fprintf(stderr, "%s does not load: %s\n", name.c_str(), error.c_str());
        return false;
    }
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out << image;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    TOstraCursor empty, full, task;
    bool ok = Make(empty, EveryType()) && Write(folder, "empty.d", Save(empty));
    ok = ok && Make(full, EveryType()) && Fill(full, 6) && Write(folder, "every_type.d", Save(full));
    if (ok) full.SetPassword("fuzz");
    ok = ok && Write(folder, "protected.d", Save(full));
    ok = ok &&
         Make(task, {Field("Key", oftAutoInc), Field("Flag", oftBoolean), Field("Action", oftString, 255),
                     Field("Date", oftDate, 0, "TODAY"), Field("Category", oftSmallStr, 10),
                     Field("Priority", oftSmallStr, 5), Field("Status", oftSmallStr, 15),
                     Field("Notes", oftMemo)}) &&
         Fill(task, 20) && Write(folder, "task.d", Save(task));
    return ok ? 0 : 1;
}
