// Any filter text and any wildcard pattern: the parser and the mask answer a
// result or raise the platform's exception, never crash or hang. Filters that
// parse are also bound to a small table and run over its records.
//
// Input: the filter text, a 0x00 byte, the LIKE pattern, a 0x00 byte, the text
// matched against it (missing parts are empty).
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ostra_mask.h"
#include "engine/ostra_parser.h"
#include "engine/record_store.h"
#include "engine/record_view.h"
#include "platform/core/case_fold.h"
#include "platform/core/exceptions.h"
#include "platform/core/streams.h"

namespace {

// The text folded for a search of an ASCII literal: other characters become
// bytes no ASCII literal holds.
std::string FoldedForSearch(const std::string& Text) {
    std::string out;
    std::size_t i = 0;
    while (i < Text.size()) {
        const char32_t c = NextFoldedChar(Text, i);
        out += c < 0x80 ? static_cast<char>(c) : '\x80';
    }
    return out;
}

TOstraField Field(const char* name, TOstraFieldType type, int length = 0) {
    TOstraField f;
    f.Name = name;
    f.FieldType = type;
    f.Length = static_cast<uint16_t>(length);
    SetFieldLayout(f);
    return f;
}

// A table with one field of most types and three records.
void Fill(TOstraCursor* c) {
    const TOstraField fields[] = {
        Field("Key", oftAutoInc),      Field("Flag", oftBoolean), Field("Name", oftString, 40),
        Field("Code", oftSmallStr, 5), Field("Qty", oftInteger),  Field("Big", oftInt64),
        Field("Price", oftDouble),     Field("Due", oftDate),     Field("At", oftTime),
        Field("Stamp", oftDateTime),   Field("Notes", oftMemo),   Field("Pic", oftGraphic)};
    const std::string image = BuildEmptyImage(fields);
    TMemoryStream stream;
    stream.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
    stream.SetPosition(0);
    std::string error;
    c->LoadFromStream(&stream, error);
    const char* rows[][4] = {
        {"T", "apple", "A1", "05/17/2024"}, {"", "", "", ""}, {"no", "Zebra", "zz", "12/31/1999"}};
    for (auto& row : rows) {
        std::vector<uint8_t> data(c->RecordDataSize() + 1, 0);
        SetValueFromText(data.data() + c->FindField("Flag")->Offset, row[0], *c->FindField("Flag"));
        SetValueFromText(data.data() + c->FindField("Name")->Offset, row[1], *c->FindField("Name"));
        SetValueFromText(data.data() + c->FindField("Code")->Offset, row[2], *c->FindField("Code"));
        SetValueFromText(data.data() + c->FindField("Due")->Offset, row[3], *c->FindField("Due"));
        SetValueFromText(data.data() + c->FindField("Notes")->Offset, row[1], *c->FindField("Notes"));
        c->PostRecord(data.data(), nullptr, error);
        c->ReleaseData(data.data());
    }
}

TOstraCursor& Table() {
    static TOstraCursor cursor;
    static const bool filled = (Fill(&cursor), true);
    (void)filled;
    return cursor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t a = input.find('\0');
    const std::string filter = input.substr(0, a);
    std::string pattern, text;
    if (a != std::string::npos) {
        const std::size_t b = input.find('\0', a + 1);
        pattern = input.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
        if (b != std::string::npos) text = input.substr(b + 1);
    }

    try {
        const TOstraFilterConditions conditions = TOstraParser::ParseFilter(filter);
        TOstraFilter prepared;
        prepared.Prepare(Table(), conditions);
        for (const TOstraRecord* r : Table().Records()) {
            prepared.Match(r->Data(), false);
            prepared.Match(r->Data(), true);
        }
    } catch (const Exception&) {}

    try {
        const TOstraMask mask(pattern);
        const bool m = mask.Matches(text);
        // "%text%" searched at once answers as the folded text's search.
        if (mask.IsAsciiContains()) {
            const std::size_t from = pattern.find_first_not_of("%*");
            const std::string literal = pattern.substr(from, pattern.find_last_not_of("%*") + 1 - from);
            if (m != (FoldedForSearch(text).find(FoldedForSearch(literal)) != std::string::npos))
                __builtin_trap();
        }
        // A pattern without wildcards matches its own text.
        if (pattern.find_first_of("*%?_") == std::string::npos && !TOstraMask(pattern).Matches(pattern))
            __builtin_trap();
        (void)m;
    } catch (const Exception&) {}
    return 0;
}
