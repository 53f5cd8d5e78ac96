// The typed field classes: native layouts and conversions.
#include "platform/db/fieldtypes.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "platform/core/files.h"
#include "platform/core/properties.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/dbconsts.h"

namespace {

const char* const kFieldTypeNames[] = {
    "Unknown",    "String",    "SmallInt",  "Integer",    "Word",      "Boolean",     "Float",   "Currency",
    "BCD",        "Date",      "Time",      "DateTime",   "Bytes",     "VarBytes",    "AutoInc", "Blob",
    "Memo",       "Graphic",   "FmtMemo",   "ParadoxOle", "DBaseOle",  "TypedBinary", "Cursor",  "FixedChar",
    "WideString", "Largeint",  "ADT",       "Array",      "Reference", "DataSet",     "OraBlob", "OraClob",
    "Variant",    "Interface", "IDispatch", "Guid",       "TimeStamp", "FMTBcd"};

TFieldChars NumericChars(bool withFloat) {
    TFieldChars chars;
    for (char c = '0'; c <= '9'; ++c) chars.set(static_cast<unsigned char>(c));
    chars.set('+');
    chars.set('-');
    if (withFloat) {
        chars.set('E');
        chars.set('e');
        chars.set(static_cast<unsigned char>(FormatSettings().DecimalSeparator));
    }
    return chars;
}

bool IsTextVariant(const Variant& v) { return v.VarType() == varString; }

}  // namespace

const char* FieldTypeName(TFieldType Type) {
    const int index = static_cast<int>(Type);
    constexpr int count = sizeof(kFieldTypeNames) / sizeof(kFieldTypeNames[0]);
    return index >= 0 && index < count ? kFieldTypeNames[index] : "Unknown";
}

// ---------------------------------------------------------------------------
// TStringField

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    SetSize(20);
}

std::string TStringField::GetAsString() const {
    std::string text;
    if (GetWholeText(text)) return text;
    std::string buffer(static_cast<size_t>(Size()) + 1, '\0');
    if (!GetData(buffer.data())) return std::string();
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

void TStringField::SetAsStringValue(const std::string& Value) {
    if (SetWholeText(Value)) return;
    std::string buffer(static_cast<size_t>(Size()) + 1, '\0');
    const std::size_t size = static_cast<size_t>(Size());
    // Only a text too long is cut (at a character's start).
    const std::size_t length = Value.size() <= size ? Value.size() : Utf8Truncate(Value, size).size();
    std::memcpy(buffer.data(), Value.data(), length);
    SetData(buffer.data());
}

int TStringField::GetAsInteger() const {
    const std::string s = GetAsString();
    return s.empty() && IsNull() ? 0 : StrToInt(s);
}

void TStringField::SetAsIntegerValue(int Value) { SetAsStringValue(IntToStr(Value)); }

int64_t TStringField::GetAsLargeInt() const {
    const std::string s = GetAsString();
    return s.empty() && IsNull() ? 0 : StrToInt64(s);
}

void TStringField::SetAsLargeIntValue(int64_t Value) { SetAsStringValue(IntToStr(Value)); }

double TStringField::GetAsFloat() const {
    const std::string s = GetAsString();
    return s.empty() && IsNull() ? 0 : StrToFloat(s);
}

void TStringField::SetAsFloatValue(double Value) { SetAsStringValue(FloatToStr(Value)); }

bool TStringField::GetAsBoolean() const {
    const std::string s = GetAsString();
    return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

void TStringField::SetAsBooleanValue(bool Value) { SetAsStringValue(Value ? "T" : "F"); }

TDateTime TStringField::GetAsDateTime() const {
    const std::string s = GetAsString();
    return s.empty() && IsNull() ? 0 : StrToDateTime(s);
}

void TStringField::SetAsDateTimeValue(TDateTime Value) { SetAsStringValue(DateTimeToStr(Value)); }

Variant TStringField::GetAsVariant() const { return Variant(GetAsString()); }

void TStringField::SetVarValue(const Variant& Value) { SetAsStringValue(Value.AsString()); }

// ---------------------------------------------------------------------------
// TNumericField

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) {
    SetAlignment(taRightJustify);
    SetValidChars(NumericChars(false));
}

void TNumericField::SetDisplayFormat(const std::string& Value) {
    FDisplayFormat = Value;
    PropertyChanged(false);
}

void TNumericField::SetEditFormat(const std::string& Value) {
    FEditFormat = Value;
    PropertyChanged(false);
}

void TNumericField::Publish(TPublisher<TNumericField>& p) {
    p.Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
    p.Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
}

// ---------------------------------------------------------------------------
// TIntegerField and its narrower kin

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftInteger); }

int64_t TIntegerField::TypeMin() const { return INT32_MIN; }
int64_t TIntegerField::TypeMax() const { return INT32_MAX; }

bool TIntegerField::ReadInteger(int& Value) const {
    int32_t v = 0;
    if (!GetData(&v)) return false;
    Value = v;
    return true;
}

void TIntegerField::WriteInteger(int Value) {
    const int32_t v = Value;
    SetData(&v);
}

void TIntegerField::CheckRange(int64_t Value) const {
    int64_t low = TypeMin(), high = TypeMax();
    if (FMinValue != 0 || FMaxValue != 0) {
        low = std::max<int64_t>(low, FMinValue);
        high = std::min<int64_t>(high, FMaxValue);
    }
    if (Value < low || Value > high)
        DatabaseErrorFmt(SFieldRangeError, IntToStr(Value), DisplayName(), IntToStr(low), IntToStr(high));
}

std::string TIntegerField::GetAsString() const {
    int v = 0;
    return ReadInteger(v) ? IntToStr(v) : std::string();
}

void TIntegerField::SetAsStringValue(const std::string& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    int64_t v = 0;
    if (!TryStrToInt64(Value, v)) DatabaseErrorFmt(SInvalidIntegerValue, Value, DisplayName());
    SetAsLargeIntValue(v);
}

int TIntegerField::GetAsInteger() const {
    int v = 0;
    return ReadInteger(v) ? v : 0;
}

void TIntegerField::SetAsIntegerValue(int Value) {
    CheckRange(Value);
    WriteInteger(Value);
}

void TIntegerField::SetAsLargeIntValue(int64_t Value) {
    CheckRange(Value);
    WriteInteger(static_cast<int>(Value));
}

void TIntegerField::SetAsFloatValue(double Value) {
    if (!std::isfinite(Value) || Value < -9.2e18 || Value > 9.2e18)
        DatabaseErrorFmt(SFieldRangeError, FloatToStr(Value), DisplayName(), IntToStr(TypeMin()),
                         IntToStr(TypeMax()));
    SetAsLargeIntValue(std::llround(Value));
}

void TIntegerField::SetVarValue(const Variant& Value) {
    if (IsTextVariant(Value))
        SetAsStringValue(Value.AsString());
    else
        SetAsLargeIntValue(Value.AsInt64());
}

void TIntegerField::DoGetText(std::string& Text, bool DisplayText) const {
    int v = 0;
    if (!ReadInteger(v)) {
        Text.clear();
        return;
    }
    const std::string& format = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    Text = format.empty() ? IntToStr(v) : FormatFloat(format, v);
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftSmallint); }

bool TSmallintField::ReadInteger(int& Value) const {
    int16_t v = 0;
    if (!GetData(&v)) return false;
    Value = v;
    return true;
}

void TSmallintField::WriteInteger(int Value) {
    const int16_t v = static_cast<int16_t>(Value);
    SetData(&v);
}

TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftWord); }

bool TWordField::ReadInteger(int& Value) const {
    uint16_t v = 0;
    if (!GetData(&v)) return false;
    Value = v;
    return true;
}

void TWordField::WriteInteger(int Value) {
    const uint16_t v = static_cast<uint16_t>(Value);
    SetData(&v);
}

TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) { SetDataType(ftAutoInc); }

// ---------------------------------------------------------------------------
// TLargeintField

TLargeintField::TLargeintField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftLargeint); }

std::string TLargeintField::GetAsString() const {
    int64_t v = 0;
    return GetData(&v) ? IntToStr(v) : std::string();
}

void TLargeintField::SetAsStringValue(const std::string& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    int64_t v = 0;
    if (!TryStrToInt64(Value, v)) DatabaseErrorFmt(SInvalidIntegerValue, Value, DisplayName());
    SetAsLargeIntValue(v);
}

int TLargeintField::GetAsInteger() const {
    const int64_t v = GetAsLargeInt();
    if (v < INT32_MIN || v > INT32_MAX) AccessError("Integer");
    return static_cast<int>(v);
}

int64_t TLargeintField::GetAsLargeInt() const {
    int64_t v = 0;
    return GetData(&v) ? v : 0;
}

void TLargeintField::SetAsLargeIntValue(int64_t Value) { SetData(&Value); }

void TLargeintField::SetAsFloatValue(double Value) {
    if (!std::isfinite(Value) || Value < -9.2e18 || Value > 9.2e18)
        DatabaseErrorFmt(SFieldRangeError, FloatToStr(Value), DisplayName(), IntToStr(INT64_MIN),
                         IntToStr(INT64_MAX));
    SetAsLargeIntValue(std::llround(Value));
}

void TLargeintField::DoGetText(std::string& Text, bool DisplayText) const {
    int64_t v = 0;
    if (!GetData(&v)) {
        Text.clear();
        return;
    }
    const std::string& format = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    Text = format.empty() ? IntToStr(v) : FormatFloat(format, static_cast<double>(v));
}

// ---------------------------------------------------------------------------
// TFloatField

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftFloat);
    SetValidChars(NumericChars(true));
}

void TFloatField::SetCurrency(bool Value) {
    if (Value == FCurrency) return;
    FCurrency = Value;
    PropertyChanged(false);
}

void TFloatField::SetPrecision(int Value) {
    FPrecision = std::clamp(Value, 2, 15);
    PropertyChanged(false);
}

std::string TFloatField::GetAsString() const {
    double v = 0;
    return GetData(&v) ? FloatToStr(v) : std::string();
}

void TFloatField::SetAsStringValue(const std::string& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    double v = 0;
    if (!TryStrToFloat(Value, v)) DatabaseErrorFmt(SInvalidFloatValue, Value, DisplayName());
    SetAsFloatValue(v);
}

int TFloatField::GetAsInteger() const {
    const double v = GetAsFloat();
    if (!(v >= INT32_MIN - 0.5 && v < INT32_MAX + 0.5)) AccessError("Integer");
    return static_cast<int>(std::lround(v));
}

int64_t TFloatField::GetAsLargeInt() const {
    const double v = GetAsFloat();
    if (!(v >= -9.2e18 && v <= 9.2e18)) AccessError("LargeInt");
    return std::llround(v);
}

double TFloatField::GetAsFloat() const {
    double v = 0;
    return GetData(&v) ? v : 0;
}

void TFloatField::SetAsFloatValue(double Value) {
    if (!std::isfinite(Value)) DatabaseErrorFmt(SInvalidFloatValue, FloatToStr(Value), DisplayName());
    if ((FMinValue != 0 || FMaxValue != 0) && (Value < FMinValue || Value > FMaxValue))
        DatabaseErrorFmt(SFieldRangeError, FloatToStr(Value), DisplayName(), FloatToStr(FMinValue),
                         FloatToStr(FMaxValue));
    SetData(&Value);
}

Variant TFloatField::GetAsVariant() const {
    return FCurrency ? Variant::FromCurrency(GetAsFloat()) : Variant(GetAsFloat());
}

void TFloatField::DoGetText(std::string& Text, bool DisplayText) const {
    double v = 0;
    if (!GetData(&v)) {
        Text.clear();
        return;
    }
    const std::string& format = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    if (!format.empty())
        Text = FormatFloat(format, v);
    else if (FCurrency)
        Text =
            FloatToStrF(v, DisplayText ? ffCurrency : ffFixed, FPrecision, FormatSettings().CurrencyDecimals);
    else
        Text = FloatToStrF(v, ffGeneral, FPrecision, 0);
}

void TFloatField::Publish(TPublisher<TFloatField>& p) {
    p.Property("Currency", &TFloatField::Currency, &TFloatField::SetCurrency);
    p.Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision);
    p.Property("MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue);
    p.Property("MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue);
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}

// ---------------------------------------------------------------------------
// TBooleanField

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const std::string& Value) {
    FDisplayValues = Value;
    if (Value.empty()) {
        FTextTrue = "True";
        FTextFalse = "False";
    } else {
        const size_t p = Value.find(';');
        FTextTrue = Value.substr(0, p);
        FTextFalse = p == std::string::npos ? std::string() : Value.substr(p + 1);
    }
    PropertyChanged(true);
}

bool TBooleanField::GetAsBoolean() const {
    int16_t v = 0;
    return GetData(&v) && v != 0;
}

void TBooleanField::SetAsBooleanValue(bool Value) {
    const int16_t v = Value ? -1 : 0;
    SetData(&v);
}

std::string TBooleanField::GetAsString() const {
    int16_t v = 0;
    if (!GetData(&v)) return std::string();
    return v != 0 ? FTextTrue : FTextFalse;
}

void TBooleanField::SetAsStringValue(const std::string& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    const int length = static_cast<int>(Value.size());
    if (AnsiSameText(Value, Copy(FTextFalse, 1, length)))
        SetAsBooleanValue(false);
    else if (AnsiSameText(Value, Copy(FTextTrue, 1, length)))
        SetAsBooleanValue(true);
    else
        DatabaseErrorFmt(SInvalidBoolValue, Value, DisplayName());
}

void TBooleanField::DoGetText(std::string& Text, bool) const { Text = GetAsString(); }

int TBooleanField::GetDefaultWidth() const {
    return static_cast<int>(std::max(FTextTrue.size(), FTextFalse.size()));
}

void TBooleanField::Publish(TPublisher<TBooleanField>& p) {
    p.Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
}

// ---------------------------------------------------------------------------
// TDateTimeField, TDateField, TTimeField

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftDateTime); }

int TDateTimeField::DataSize() const { return DataType() == ftDateTime ? 8 : 4; }

void TDateTimeField::SetDisplayFormat(const std::string& Value) {
    FDisplayFormat = Value;
    PropertyChanged(false);
}

TDateTime TDateTimeField::GetAsDateTime() const {
    switch (DataType()) {
    case ftDate: {
        int32_t days = 0;
        if (!GetData(&days)) return 0;
        return TimeStampToDateTime(TTimeStamp{0, days});
    }
    case ftTime: {
        int32_t msecs = 0;
        if (!GetData(&msecs)) return 0;
        return TimeStampToDateTime(TTimeStamp{msecs, DateDelta});
    }
    default: {
        double msecs = 0;
        if (!GetData(&msecs)) return 0;
        return TimeStampToDateTime(MSecsToTimeStamp(msecs));
    }
    }
}

void TDateTimeField::SetAsDateTimeValue(TDateTime Value) {
    const TTimeStamp stamp = DateTimeToTimeStamp(Value);
    switch (DataType()) {
    case ftDate: {
        const int32_t days = stamp.Date;
        SetData(&days);
        break;
    }
    case ftTime: {
        const int32_t msecs = stamp.Time;
        SetData(&msecs);
        break;
    }
    default: {
        const double msecs = TimeStampToMSecs(stamp);
        SetData(&msecs);
        break;
    }
    }
}

std::string TDateTimeField::GetAsString() const {
    std::string text;
    DoGetText(text, false);
    return text;
}

void TDateTimeField::SetAsStringValue(const std::string& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    switch (DataType()) {
    case ftDate: SetAsDateTimeValue(StrToDate(Value)); break;
    case ftTime: SetAsDateTimeValue(StrToTime(Value)); break;
    default: SetAsDateTimeValue(StrToDateTime(Value)); break;
    }
}

void TDateTimeField::DoGetText(std::string& Text, bool DisplayText) const {
    if (IsNull()) {
        Text.clear();
        return;
    }
    const TDateTime value = GetAsDateTime();
    std::string format;
    if (DisplayText && !FDisplayFormat.empty())
        format = FDisplayFormat;
    else if (DataType() == ftDate)
        format = FormatSettings().ShortDateFormat;
    else if (DataType() == ftTime)
        format = FormatSettings().LongTimeFormat;
    else
        format = "c";
    Text = FormatDateTime(format, value);
}

void TDateTimeField::Publish(TPublisher<TDateTimeField>& p) {
    p.Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftDate); }

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) { SetDataType(ftTime); }

// ---------------------------------------------------------------------------
// TBlobField

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBlob); }

void TBlobField::SetBlobType(TFieldType Value) {
    if (Value == ftBlob || Value == ftMemo || Value == ftGraphic || Value == ftFmtMemo) SetDataType(Value);
}

std::string TBlobField::GetAsString() const {
    if (!DataSet()) DatabaseErrorFmt(SDataSetMissing, DisplayName());
    std::unique_ptr<TStream> stream(DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead));
    if (!stream) return std::string();
    stream->SetPosition(0);
    return stream->ReadString(stream->Size());
}

void TBlobField::SetAsStringValue(const std::string& Value) {
    if (!DataSet()) DatabaseErrorFmt(SDataSetMissing, DisplayName());
    std::unique_ptr<TStream> stream(DataSet()->CreateBlobStream(this, bmWrite));
    if (!stream) AccessError(FieldTypeName(DataType()));
    if (!Value.empty()) stream->WriteBuffer(Value.data(), static_cast<int64_t>(Value.size()));
}

int TBlobField::BlobSize() const {
    if (!DataSet()) return 0;
    std::unique_ptr<TStream> stream(DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead));
    return stream ? static_cast<int>(stream->Size()) : 0;
}

void TBlobField::LoadFromStream(TStream* Stream) {
    if (!DataSet()) DatabaseErrorFmt(SDataSetMissing, DisplayName());
    std::unique_ptr<TStream> blob(DataSet()->CreateBlobStream(this, bmWrite));
    if (!blob) AccessError(FieldTypeName(DataType()));
    blob->CopyFrom(Stream, 0);
}

void TBlobField::SaveToStream(TStream* Stream) const {
    const std::string data = GetAsString();
    if (!data.empty()) Stream->WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

void TBlobField::LoadFromFile(const std::string& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TBlobField::SaveToFile(const std::string& FileName) const {
    const std::string data = GetAsString();
    WriteFileAtomically(FileName, data.data(), data.size());
}

void TBlobField::Clear() { SetAsStringValue(std::string()); }

void TBlobField::Assign(TPersistent* Source) {
    if (auto* blob = dynamic_cast<TBlobField*>(Source)) {
        SetAsStringValue(blob->GetAsString());
        return;
    }
    inherited::Assign(Source);
}

void TBlobField::DoGetText(std::string& Text, bool) const {
    Text = std::string("(") + FieldTypeName(DataType()) + ")";
    if (!IsNull()) Text = UpperCase(Text);
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftMemo); }

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftGraphic); }

// ---------------------------------------------------------------------------

TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner) {
    switch (Type) {
    case ftString: return new TStringField(AOwner);
    case ftSmallint: return new TSmallintField(AOwner);
    case ftWord: return new TWordField(AOwner);
    case ftInteger: return new TIntegerField(AOwner);
    case ftAutoInc: return new TAutoIncField(AOwner);
    case ftLargeint: return new TLargeintField(AOwner);
    case ftBoolean: return new TBooleanField(AOwner);
    case ftFloat: return new TFloatField(AOwner);
    case ftCurrency: return new TCurrencyField(AOwner);
    case ftDate: return new TDateField(AOwner);
    case ftTime: return new TTimeField(AOwner);
    case ftDateTime: return new TDateTimeField(AOwner);
    case ftBlob: return new TBlobField(AOwner);
    case ftMemo: return new TMemoField(AOwner);
    case ftGraphic: return new TGraphicField(AOwner);
    case ftFmtMemo: {
        auto* field = new TBlobField(AOwner);
        field->SetBlobType(ftFmtMemo);
        return field;
    }
    default: return nullptr;
    }
}
