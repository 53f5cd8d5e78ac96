// Field and dataset tests, typed-text checks, memo and rich text read for filters,
// parameters set from fields, and lookup result fields.
#include "suite/base/qzdbutils.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/core/case_fold.h"
#include "platform/core/datetime.h"
#include "platform/core/properties.h"
#include "platform/core/scope_exit.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/db/params.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/messages.h"
#include "suite/base/date_scan.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qzrecordsearch.h"
#include "suite/base/qzrtftext.h"

// ---- Guards --------------------------------------------------------------------------

TqzControlsDisabled::TqzControlsDisabled(TDataSet* DataSet) : FDataSet(DataSet) {
    if (FDataSet) FDataSet->DisableControls();
}

TqzControlsDisabled::~TqzControlsDisabled() {
    if (FDataSet) FDataSet->EnableControls();
}

// ---- Dataset and field tests ---------------------------------------------------------

bool qzIsCalcOrLookupField(const TField* Field) {
    return Field && (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup);
}

bool qzIsCalcLookupOrNonBDEField(const TField* Field) {
    if (!Field) return false;
    return qzIsCalcOrLookupField(Field) || !qzClassInheritsFrom(Field->DataSet(), "TBDEDataSet");
}

bool qzTableUsesQuery(TObject* DataSet) {
    if (!qzClassInheritsFrom(DataSet, "TqzTable")) return false;
    const TPropInfo* info = GetPropInfo(DataSet, "Query", {tkClass});
    auto* lines = info ? dynamic_cast<TStrings*>(GetObjectProp(DataSet, info)) : nullptr;
    return lines && lines->Count() > 0;
}

bool qzIsIndexedTable(TObject* DataSet) {
    if (!qzClassInheritsFrom(DataSet, "TqzTable") || qzTableUsesQuery(DataSet)) return false;
    auto* table = dynamic_cast<TTable*>(DataSet);
    return table && table->Active() && table->IndexFieldCount() > 0;
}

bool qzDataSetHasField(TObject* DataSet, const std::string& Name) {
    auto* ds = dynamic_cast<TDataSet*>(DataSet);
    if (!ds) return false;
    const std::string upper = AnsiUpperCase(Name);
    for (int i = 0; i < ds->FieldCount(); ++i)
        if (AnsiUpperCase(ds->Fields()->Fields(i)->FieldName()) == upper) return true;
    return false;
}

bool qzDataSetGetFieldData(TDataSet* DataSet, TField* Field, void* Buffer) {
    return DataSet && Field && DataSet->GetFieldData(Field, Buffer);
}

int qzDataSetCompareBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    return DataSet ? DataSet->CompareBookmarks(Bookmark1, Bookmark2) : 0;
}

// ---- Typed texts ----------------------------------------------------------------------

bool qzIsValidTextForField(const TField* Field, const std::string& Text) {
    return Field && qzIsValidTextForFieldType(Field->DataType(), Text);
}

bool qzIsValidSearchTextForField(const TField* Field, const std::string& Text) {
    if (!Field) return false;
    if (Text.empty()) {
        const TFieldType type = Field->DataType();
        if (qzIsFloatOrDateFieldType(type)) return false;
        switch (type) {
        case ftSmallint:
        case ftInteger:
        case ftLargeint:
        case ftWord:
        case ftAutoInc:
        case ftTimeStamp:
        case ftFMTBcd: return false;
        default: break;
        }
    }
    return qzIsValidTextForField(Field, Text);
}

// ---- Field search ----------------------------------------------------------------------

bool qzLocateFieldValue(TDataSet* DataSet, const std::string& Value, const std::string& FieldName,
                        bool CaseSensitive, TqzLocateMatchType MatchType) {
    if (!DataSet) return false;
    TField* field = DataSet->FieldByName(FieldName);
    const std::string text = field->AsString();
    if (CaseSensitive ? text == Value : SameFolded(text, Value)) return true;
    return qzFindRecordByValue(true, DataSet, FieldName, Value, MatchType, CaseSensitive, false);
}

// ---- Filtering ------------------------------------------------------------------------

bool qzCancelFilterOnEscape(TObject* DataSet) {
    if (!TakePendingEscape()) return false;
    qzSetOnFilterOptions(DataSet, false);
    return true;
}

std::string qzReadMemoForFilter(TDataSet* DataSet, TField* Field, int Size) {
    if (!DataSet || !Field) return std::string();
    if (Size < 0) Size = qzGetFilterMemoSize();
    if (Size <= 0) return std::string();
    const auto limit = static_cast<std::size_t>(Size);
    std::string data;
    std::unique_ptr<TStream> stream(Field->IsBlob() ? DataSet->CreateBlobStream(Field, bmRead) : nullptr);
    if (stream) {
        char chunk[4096];
        // one byte past the limit tells whether a character was cut
        while (data.size() <= limit) {
            const auto want =
                static_cast<int64_t>(std::min<std::size_t>(sizeof chunk, limit + 1 - data.size()));
            const int64_t got = stream->Read(chunk, want);
            if (got <= 0) break;
            data.append(chunk, static_cast<std::size_t>(got));
        }
    } else {
        data = Field->AsString();
    }
    if (data.size() <= limit) return data;
    return Utf8Truncate(data, limit);
}

void qzRichTextToPlainText(const std::string& RichText, std::string& Text) {
    Text = qzRtfToPlainText(RichText);
}

// ---- Parameters ------------------------------------------------------------------------

namespace {

template <class T>
void Put(std::vector<uint8_t>& Buffer, T value) {
    Buffer.resize(sizeof(T));
    std::memcpy(Buffer.data(), &value, sizeof(T));
}

void WriteNative(TField* Field, TFieldType Type, std::vector<uint8_t>& Buffer) {
    Buffer.clear();
    switch (Type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo: {
        const std::string text = Utf8Truncate(Field->AsString(), 32767);
        Buffer.assign(text.begin(), text.end());
        Buffer.push_back(0);
        break;
    }
    case ftSmallint: Put<int16_t>(Buffer, static_cast<int16_t>(Field->AsInteger())); break;
    case ftWord: Put<uint16_t>(Buffer, static_cast<uint16_t>(Field->AsInteger())); break;
    case ftInteger:
    case ftAutoInc: Put<int32_t>(Buffer, Field->AsInteger()); break;
    case ftFloat:
    case ftCurrency: Put<double>(Buffer, Field->AsFloat()); break;
    case ftBoolean: Put<int16_t>(Buffer, Field->AsBoolean() ? -1 : 0); break;
    case ftDate: Put<int32_t>(Buffer, DateTimeToTimeStamp(Field->AsDateTime()).Date); break;
    case ftTime: Put<int32_t>(Buffer, DateTimeToTimeStamp(Field->AsDateTime()).Time); break;
    case ftDateTime:
    case ftTimeStamp: Put<double>(Buffer, TimeStampToMSecs(DateTimeToTimeStamp(Field->AsDateTime()))); break;
    case ftBCD:
    case ftFMTBcd: {
        const double scaled = std::round(Field->AsFloat() * 10000.0);
        if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18) throw EConvertError("BCD overflow");
        Put<int64_t>(Buffer, static_cast<int64_t>(scaled));
        break;
    }
    default: break;
    }
}

}  // namespace

void qzSetParamFromField(TField* Field, std::vector<uint8_t>& Buffer) {
    Buffer.clear();
    if (Field) WriteNative(Field, Field->DataType(), Buffer);
}

void qzSetParamFromField(TField* Field, std::vector<uint8_t>& Buffer, TParam* Param) {
    Buffer.clear();
    if (!Field) return;
    const TFieldType type = Param && Param->DataType() != ftUnknown ? Param->DataType() : Field->DataType();
    WriteNative(Field, type, Buffer);
    if (Param) Param->AssignField(Field);
}

// ---- Lookup fields ----------------------------------------------------------------------

namespace {

TqzCalcLookupResolver CalcLookupResolver = nullptr;
bool CalcLookupRunning = false;

}  // namespace

void qzSetCalcLookupResolver(TqzCalcLookupResolver Resolver) { CalcLookupResolver = Resolver; }

TField* qzFindLookupResultField(TDataSet* DataSet, TField* Field, const Variant& KeyValue) {
    if (Field && Field->FieldKind() == fkCalculated) {
        TDataSet* own = DataSet ? DataSet : Field->DataSet();
        if (!own || !CalcLookupResolver || CalcLookupRunning) return nullptr;
        CalcLookupRunning = true;
        const TScopeExit done([] { CalcLookupRunning = false; });
        return CalcLookupResolver(own, Field, KeyValue);
    }
    if (!Field || Field->FieldKind() != fkLookup) return nullptr;
    TDataSet* lookup = Field->LookupDataSet();
    if (!lookup || !lookup->Active() || Field->LookupKeyFields().empty()) return nullptr;
    if (!lookup->Locate(Field->LookupKeyFields(), KeyValue, TLocateOptions{})) return nullptr;
    return lookup->FindField(Field->LookupResultField());
}

TField* qzFindLookupResultField(TDataSet* DataSet, TField* Field) {
    if (!Field) return nullptr;
    TDataSet* own = DataSet ? DataSet : Field->DataSet();
    if (!own) return nullptr;
    if (Field->FieldKind() == fkCalculated) {
        // the key is the record's own link fields
        std::string link;
        qzGetLookupLink(own, Field->FieldName(), link);
        std::vector<std::string> items;
        for (size_t start = 0; !link.empty();) {
            const size_t end = link.find(';', start);
            items.push_back(link.substr(start, end == std::string::npos ? end : end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        std::vector<Variant> values;
        for (size_t i = 0; i + 1 < items.size(); i += 2) {
            TField* ownField = own->FindField(items[i]);
            if (!ownField) return nullptr;
            values.push_back(ownField->AsVariant());
        }
        if (values.empty()) return nullptr;
        return qzFindLookupResultField(own, Field, values.size() == 1 ? values[0] : VarArrayOf(values));
    }
    if (Field->FieldKind() != fkLookup || Field->KeyFields().empty()) return nullptr;
    return qzFindLookupResultField(own, Field, own->FieldValues(Field->KeyFields()));
}
