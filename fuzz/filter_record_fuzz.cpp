// The filter dialog's record test: random criteria of every match type over a
// small engine table of every field type the test reads. Filtering answers
// with rows or a conversion or database error; never a crash, an over-read
// or a hang. Input: per criterion a byte of field, of match type, of flags,
// then value, lower and upper bound texts of up to 16 bytes (a byte of
// length each); up to four criteria.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "gui_fuzz_support.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "suite/data/qzfilterdialog.h"

namespace {

struct Fixture {
    TForm Form{nullptr};
    TOstraTable T{&Form};
    TDataSource Src{&Form};
    TqzFilterDialog* D = nullptr;
    std::vector<std::string> Names;

    Fixture() {
        const std::vector<std::pair<std::string, TFieldType>> fields = {
            {"Str", ftString},   {"Small", ftSmallint}, {"Int", ftInteger},  {"Word", ftWord},
            {"Big", ftLargeint}, {"Float", ftFloat},    {"Cur", ftCurrency}, {"Day", ftDate},
            {"Time", ftTime},    {"Stamp", ftDateTime}, {"Flag", ftBoolean}, {"Notes", ftMemo},
            {"Auto", ftAutoInc}};
        for (const auto& f : fields) {
            T.FieldDefs()->Add(f.first, f.second, f.second == ftString ? 6 : 0);
            Names.push_back(f.first);
        }
        Names.push_back("Gone");
        T.Open();
        const TDateTime day = EncodeDate(2005, 12, 31);
        const TDateTime noon = EncodeTime(12, 0, 0, 0);
        T.AppendRecord({Variant(std::string("Abc")), Variant(1), Variant(-5), Variant(7),
                        Variant(int64_t(1) << 40), Variant(1.5), Variant(2.25), Variant(day), Variant(noon),
                        Variant(day + noon), Variant(true), Variant(std::string("red and blue é")),
                        Variant()});
        T.AppendRecord({Variant(std::string("zz or")), Variant(-32768), Variant(2147483647), Variant(32767),
                        Variant(int64_t(-1)), Variant(-1e300), Variant(0.0), Variant(day - 40000),
                        Variant(0.0), Variant(day + 0.999), Variant(false), Variant(std::string(300, 'x')),
                        Variant()});
        std::vector<Variant> blank(fields.size());
        T.AppendRecord(blank);
        Src.SetDataSet(&T);
        D = new TqzFilterDialog(&Form);
        D->SetDataSource(&Src);
    }
};

std::string TakeText(const uint8_t*& P, const uint8_t* End) {
    if (P >= End) return std::string();
    return TakeFuzzText(P, End, *P++ % 17);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A table of its own per input: the engine keeps value pointers inside
    // record buffers, where the leak checker cannot see them.
    Fixture fixture;
    Fixture* f = &fixture;
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    TqzFieldInfoList criteria;
    while (p + 3 <= end && criteria.size() < 4) {
        TqzFieldInfo info;
        const std::string& name = f->Names[*p++ % f->Names.size()];
        info.MatchType = static_cast<TqzFilterMatchType>(*p++ % 6);
        const uint8_t flags = *p++;
        info.CaseSensitive = flags & 1;
        info.NonMatching = flags & 2;
        // Sometimes only the label names the field.
        info.FieldName = flags & 4 ? std::string() : name;
        info.DisplayLabel = name;
        info.FilterValue = TakeText(p, end);
        info.MinValue = TakeText(p, end);
        info.MaxValue = TakeText(p, end);
        criteria.push_back(info);
    }
    f->D->Criteria() = criteria;
    try {
        f->D->ApplyFilter();
        for (f->T.First(); !f->T.Eof(); f->T.Next()) {}
    } catch (const EConvertError&) {
    } catch (const EDatabaseError&) {}
    // No criteria take the filter off; that never fails.
    f->D->Criteria().clear();
    try {
        f->D->ApplyFilter();
    } catch (...) {
        std::abort();
    }
    if (f->T.Filtered() || f->T.RecordCount() != 3) std::abort();
    return 0;
}
