// Any text as per-field line lists and as a name-token text: the readers and
// writers answer, never crash, read past a line or hang.
//
// Input: a field name up to the first 0x00, then the lines (LF-separated)
// that fill ControlType, PictureMasks, LookupFields and LookupLinks alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/core/component.h"
#include "platform/core/properties.h"
#include "platform/core/strings.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzstr.h"

namespace {

class TFuzzLists : public TComponent {
    TASKMOOR_CLASS(TFuzzLists, TComponent)
public:
    TFuzzLists() : TComponent(nullptr) {}
    TStringList* Lines() const { return FLines.get(); }
    static void Publish(TPublisher<TFuzzLists>& p) {
        for (const char* name : {"ControlType", "PictureMasks", "LookupFields", "LookupLinks"})
            p.Property(name, [](TFuzzLists& l) -> TStrings* { return l.Lines(); });
    }

private:
    std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);

    // tokens: every call takes something or stops
    int pos = 1;
    std::string token;
    for (size_t steps = 0; steps <= in.size() + 1; ++steps) {
        const int before = pos;
        qzGetNextToken(in, pos, token);
        if (pos == before) break;
        if (pos < before) std::abort();
    }

    const size_t split = in.find('\0');
    const std::string field = split == std::string::npos ? std::string("Name") : in.substr(0, split);
    const std::string body = split == std::string::npos ? in : in.substr(split + 1);
    TFuzzLists lists;
    size_t start = 0;
    while (start <= body.size()) {
        const size_t end = body.find('\n', start);
        lists.Lines()->Add(body.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }

    std::string type, params, mask, line, name;
    bool flag2 = false, autoFill = false, found = false;
    qzGetControlTypeEntry(&lists, field, type, params);
    if (params.size() > 255) std::abort();
    (void)qzIsEditControlType(type);
    qzGetPictureMask(&lists, field, true, flag2, autoFill, mask);
    qzGetPictureMask(lists.Lines(), field, found, autoFill, mask);
    qzGetLookupLink(&lists, field, line);
    qzGetLookupResultFieldName(&lists, field, name);
    int index = 0;
    (void)qzFindTabbedLine(lists.Lines(), field, index);
    const int before = lists.Lines()->Count();
    qzSetPictureMask(&lists, field, mask + "#", false, true, true, flag2, !autoFill);
    if (lists.Lines()->Count() < before || lists.Lines()->Count() > before + 1) std::abort();
    qzSetPictureMask(&lists, field, std::string(), true, true, true, true, true);
    return 0;
}
