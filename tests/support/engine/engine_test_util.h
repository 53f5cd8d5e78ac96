// Small helpers shared by the engine tests.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "engine/record_store.h"
#include "platform/core/streams.h"

inline bool LoadImage(TOstraCursor& cursor, const std::string& image, std::string& error) {
    TMemoryStream stream;
    if (!image.empty()) stream.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
    stream.SetPosition(0);
    return cursor.LoadFromStream(&stream, error);
}

inline std::string SaveImage(TOstraCursor& cursor) {
    TMemoryStream stream;
    cursor.SaveToStream(&stream);
    return std::string(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
}

inline TOstraField MakeField(const std::string& name, TOstraFieldType type, int length = 0,
                             const std::string& defaultText = "") {
    TOstraField f;
    f.Name = name;
    f.FieldType = type;
    f.Length = static_cast<uint16_t>(length);
    f.DefaultText = defaultText;
    SetFieldLayout(f);
    return f;
}

// Loads an empty table with these fields; fails the calling test otherwise.
inline void MakeTable(TOstraCursor& cursor, const std::vector<TOstraField>& fields) {
    std::string error;
    if (!LoadImage(cursor, BuildEmptyImage(fields), error)) throw std::runtime_error(error);
}

// A zeroed record buffer of the cursor's data size that releases its values.
class TestBuffer {
public:
    explicit TestBuffer(const TOstraCursor& cursor)
        : FCursor(cursor), FData(cursor.RecordDataSize() + 1, 0) {}
    ~TestBuffer() { FCursor.ReleaseData(FData.data()); }
    uint8_t* Data() { return FData.data(); }
    uint8_t* Place(const char* field) { return FData.data() + FCursor.FindField(field)->Offset; }
    void Set(const char* field, const std::string& text) {
        SetValueFromText(Place(field), text, *FCursor.FindField(field));
    }

private:
    const TOstraCursor& FCursor;
    std::vector<uint8_t> FData;
};

// The text of a record's field (String, SmallStr, memo).
inline std::string TextOf(const TOstraCursor& cursor, const TOstraRecord* record, const char* field) {
    const TOstraField* f = cursor.FindField(field);
    return std::string(FieldText(record->Data() + f->Offset, *f));
}

inline int32_t IntOf(const TOstraCursor& cursor, const TOstraRecord* record, const char* field) {
    return OstGet<int32_t>(record->Data() + cursor.FindField(field)->Offset);
}
