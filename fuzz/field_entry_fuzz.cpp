// Text typed into the fields of a record, as an edit or a grid cell hands
// it over: into every field type of a table of the in-memory engine and of
// an SQLite table, under any decimal, date and time separators and any
// display and edit formats. A text is taken or refused with an error, the
// record posts or is refused, and every value shows afterwards. The same
// texts searched for in each field are found or not, or refused.
//
// Input: bytes 0-3 the decimal, thousand, date and time separators, byte 4
// the length of the format text, the format text, then the typed texts, cut
// at NUL bytes, one for each field in turn.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"

namespace {

const TFieldType EngineTypes[] = {ftString,   ftSmallint, ftWord,     ftInteger, ftLargeint,
                                  ftBoolean,  ftFloat,    ftCurrency, ftDate,    ftTime,
                                  ftDateTime, ftAutoInc,  ftMemo,     ftFmtMemo};

TDatabase* Database() {
    static TDatabase* db = [] {
        auto* d = new TDatabase(nullptr);
        d->SetDatabaseName(":memory:");
        d->Open();
        return d;
    }();
    return db;
}

std::unique_ptr<TDBDataSet> SqliteTable() {
    Database()->Execute(
        "DROP TABLE IF EXISTS e;"
        "CREATE TABLE e (S VARCHAR(6), SI SMALLINT, I INTEGER, L BIGINT, B BOOLEAN, F REAL, C MONEY, D DATE, "
        "T TIME, DT DATETIME, M TEXT);"
        "INSERT INTO e VALUES ('abc', 1, 2, 3, 1, 1.5, 2.25, '2000-01-02', '10:00:00', '2000-01-02 "
        "10:00:00', 'm');");
    auto t = std::make_unique<TTable>(nullptr);
    t->SetDatabaseName(":memory:");
    t->SetTableName("e");
    t->Open();
    return t;
}

std::unique_ptr<TDataSet> EngineTable() {
    auto t = std::make_unique<TOstraTable>(nullptr);
    int i = 0;
    for (TFieldType type : EngineTypes)
        t->FieldDefs()->Add("F" + std::to_string(i++), type, type == ftString ? 6 : 0);
    t->Open();
    t->Append();
    t->Fields()->Fields(0)->SetAsString("abc");
    t->Post();
    return t;
}

void SetFormats(TField* Field, const std::string& Format) {
    if (auto* n = dynamic_cast<TNumericField*>(Field)) {
        n->SetDisplayFormat(Format);
        n->SetEditFormat(Format);
    } else if (auto* d = dynamic_cast<TDateTimeField*>(Field)) {
        d->SetDisplayFormat(Format);
    } else if (auto* b = dynamic_cast<TBooleanField*>(Field)) {
        try {
            b->SetDisplayValues(Format);
        } catch (const Exception&) {}
    }
}

void Type(TDataSet& Ds, const std::string& Format, const std::vector<std::string>& Texts) {
    TFields* fields = Ds.Fields();
    for (int i = 0; i < fields->Count(); ++i) SetFormats(fields->Fields(i), Format);
    Ds.Edit();
    for (std::size_t k = 0; k < Texts.size(); ++k) {
        TField* f = fields->Fields(static_cast<int>(k % static_cast<std::size_t>(fields->Count())));
        try {
            if (k & 1)
                f->SetAsString(Texts[k]);
            else
                f->SetText(Texts[k]);
        } catch (const Exception&) {}
        (void)f->Text();
        (void)f->DisplayText();
    }
    try {
        Ds.Post();
    } catch (const Exception&) {
        Ds.Cancel();
    }
    for (int i = 0; i < fields->Count(); ++i) {
        (void)fields->Fields(i)->DisplayText();
        (void)fields->Fields(i)->Text();
        (void)fields->Fields(i)->AsVariant();
    }
    // The same texts as searched for, as a lookup list or a search box does.
    for (std::size_t k = 0; k < Texts.size() && k < 16; ++k) {
        TField* f = fields->Fields(static_cast<int>(k % static_cast<std::size_t>(fields->Count())));
        try {
            (void)Ds.Locate(f->FieldName(), Variant(Texts[k]),
                            (k & 1) ? TLocateOptions{loCaseInsensitive, loPartialKey} : TLocateOptions{});
        } catch (const Exception&) {}
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 5) return 0;
    ResetFormatSettings();
    TFormatSettings& fs = FormatSettings();
    fs.DecimalSeparator = static_cast<char>(Data[0]);
    fs.ThousandSeparator = static_cast<char>(Data[1]);
    fs.DateSeparator = static_cast<char>(Data[2]);
    fs.TimeSeparator = static_cast<char>(Data[3]);
    const std::string rest(reinterpret_cast<const char*>(Data) + 5, Size - 5);
    const std::size_t formatLen = std::min<std::size_t>(Data[4] % 32, rest.size());
    const std::string format = rest.substr(0, formatLen);
    std::vector<std::string> texts;
    for (std::size_t at = formatLen; at <= rest.size() && texts.size() < 32;) {
        const std::size_t cut = rest.find('\0', at);
        texts.push_back(rest.substr(at, cut == std::string::npos ? std::string::npos : cut - at));
        if (cut == std::string::npos) break;
        at = cut + 1;
    }
    {
        std::unique_ptr<TDataSet> engine = EngineTable();
        Type(*engine, format, texts);
    }
    {
        std::unique_ptr<TDBDataSet> sqlite = SqliteTable();
        Type(*sqlite, format, texts);
    }
    ResetFormatSettings();
    return 0;
}
