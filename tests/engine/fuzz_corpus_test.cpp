// Writes the seed corpus of the table reader's fuzz target: valid plain and
// protected images of every field type. Runs only when TASKMOOR_FUZZ_CORPUS
// names the folder to fill; every seed is checked to load first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/password.h"
#include "engine/record_store.h"
#include "engine_test_util.h"

namespace {

std::vector<TOstraField> EveryType() {
    std::vector<TOstraField> fields;
    for (int code = 1; code < OstraFieldTypeCount; ++code) {
        const auto type = static_cast<TOstraFieldType>(code);
        fields.push_back(MakeField(std::string("F ") + OstraFieldTypeName(code), type,
                                   type == oftString ? 60 : (type == oftSmallStr ? 12 : 0),
                                   type == oftDate ? "TODAY" : ""));
    }
    return fields;
}

void Fill(TOstraCursor& c, int records) {
    for (int i = 0; i < records; ++i) {
        TestBuffer b(c);
        for (const TOstraField& f : c.Fields()) {
            uint8_t* p = b.Data() + f.Offset;
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
        c.PostRecord(b.Data(), nullptr, error);
    }
}

void Write(const std::string& folder, const std::string& name, const std::string& image) {
    TOstraCursor check;
    check.SetPassword("fuzz");
    std::string error;
    ASSERT_TRUE(LoadImage(check, image, error)) << name << ": " << error;
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out << image;
}

}  // namespace

TEST(FuzzCorpus, WriteSeeds) {
    const char* folder = std::getenv("TASKMOOR_FUZZ_CORPUS");
    if (!folder || !*folder) GTEST_SKIP() << "TASKMOOR_FUZZ_CORPUS not set";
    TOstraCursor empty;
    MakeTable(empty, EveryType());
    Write(folder, "empty.d", SaveImage(empty));

    TOstraCursor full;
    MakeTable(full, EveryType());
    Fill(full, 6);
    Write(folder, "every_type.d", SaveImage(full));
    full.SetPassword("fuzz");
    Write(folder, "protected.d", SaveImage(full));

    TOstraCursor task;
    MakeTable(task, {MakeField("Key", oftAutoInc), MakeField("Flag", oftBoolean),
                     MakeField("Action", oftString, 255), MakeField("Date", oftDate, 0, "TODAY"),
                     MakeField("Category", oftSmallStr, 10), MakeField("Priority", oftSmallStr, 5),
                     MakeField("Status", oftSmallStr, 15), MakeField("Notes", oftMemo)});
    Fill(task, 20);
    Write(folder, "task.d", SaveImage(task));
}
