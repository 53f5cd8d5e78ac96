// Field type names and letters, stored sizes and layouts, and the record values:
// comparing, copying, releasing, range checks and conversion to and from text.
#include "engine/field_types.h"

#include "platform/core/case_fold.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/memory.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

const char* const TypeNames[OstraFieldTypeCount] = {
    "Unknown",  "SmallInt", "Integer",  "Int64",  "Boolean", "Double", "Currency", "Date",   "Time",
    "DateTime", "AutoInc",  "SmallStr", "String", "BLOB",    "Memo",   "FmtMemo",  "Graphic"};

// Letters of the types 0..16; SmallStr has none of its own.
const char TypeLetters[OstraFieldTypeCount] = {'s', 'l', 'i', 'e', 'b', 'f', 'c', 'd', 'v',
                                               't', 'a', 0,   's', 'o', 'm', 'r', 'g'};

// The word before a value block: its length, and whether the block was
// allocated on the heap (else it belongs to a store's memory).
constexpr uint32_t HeapFlag = OstValueHeapFlag;
constexpr uint32_t LengthMask = 0x7FFFFFFFu;

inline char* RefOf(const uint8_t* place) {
    char* p;
    std::memcpy(&p, place, sizeof p);
    return p;
}

inline void SetRef(uint8_t* place, char* p) { std::memcpy(place, &p, sizeof p); }

inline uint32_t WordOf(const char* ref) {
    uint32_t w;
    std::memcpy(&w, ref - 4, 4);
    return w;
}

char* NewHeapBlock(const void* data, std::size_t length) {
    if (length > LengthMask - 8 || AllocationFailureHooked()) throw std::bad_alloc();
    void* block = std::malloc(OstValueBlockSize(length));
    if (!block) throw std::bad_alloc();
    return OstInitValueBlock(block, data, static_cast<uint32_t>(length), true);
}

inline int Sign(int64_t v) { return (v > 0) - (v < 0); }

// Total order for doubles: -0 equals 0, NaN after every number.
int CompareDoubles(double a, double b) {
    const bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return static_cast<int>(na) - static_cast<int>(nb);
    return (a > b) - (a < b);
}

// The text rule: the common length decides by bytes (of the folded texts
// when asked), then the shorter text comes first.
int CompareTextRule(std::string_view a, std::string_view b, bool caseInsensitive) {
    if (caseInsensitive) return CompareFolded(a, b);
    const std::size_t n = std::min(a.size(), b.size());
    if (n > 0) {
        const int r = std::memcmp(a.data(), b.data(), n);
        if (r != 0) return r < 0 ? -1 : 1;
    }
    return Sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
}

std::string_view CText(const uint8_t* place) {
    const char* p = RefOf(place);
    if (!p) return {};
    return std::string_view(p, strnlen(p, WordOf(p) & LengthMask));
}

bool ReadInteger(const std::string& text, int64_t lo, int64_t hi, int64_t& value) {
    int64_t v = 0;
    if (!TryStrToInt64(text, v) || v < lo || v > hi) return false;
    value = v;
    return true;
}

bool IsTrueText(const std::string& text) {
    const std::string up = UpperCase(text);
    if (up == "TRUE" || up == "YES" || up == "T" || up == "1") return true;
    if (text == "\xC4\xC0") return true;  // the word for yes in the old single-byte code page
    // The same word in UTF-8, either letter in either case.
    if (text.size() == 4 && static_cast<uint8_t>(text[0]) == 0xD0 && static_cast<uint8_t>(text[2]) == 0xD0) {
        const uint8_t d = static_cast<uint8_t>(text[1]), a = static_cast<uint8_t>(text[3]);
        return (d == 0x94 || d == 0xB4) && (a == 0x90 || a == 0xB0);
    }
    return false;
}

}  // namespace

const char* OstraFieldTypeName(int code) {
    return (code >= 0 && code < OstraFieldTypeCount) ? TypeNames[code] : TypeNames[0];
}

uint16_t StoredSizeOf(TOstraFieldType type, int declaredLength, TOstraTextEncoding encoding) {
    switch (type) {
    case oftSmallInt:
    case oftBoolean: return 2;
    case oftInteger:
    case oftDate:
    case oftTime:
    case oftAutoInc: return 4;
    case oftInt64:
    case oftDouble:
    case oftCurrency:
    case oftDateTime: return 8;
    case oftSmallStr: return static_cast<uint16_t>((encoding == oteWindows1252 ? 3 : 1) * declaredLength + 1);
    case oftString:
    case oftBLOB:
    case oftMemo:
    case oftFmtMemo:
    case oftGraphic: return OstraRefSize;
    default: return 0;
    }
}

uint8_t NumericFlagOf(TOstraFieldType type) {
    switch (type) {
    case oftAutoInc:
    case oftCurrency:
    case oftInt64:
    case oftDouble:
    case oftInteger:
    case oftSmallInt: return 1;
    default: return 0;
    }
}

void SetFieldLayout(TOstraField& field, TOstraTextEncoding encoding) {
    if (field.FieldType != oftSmallStr && field.FieldType != oftString) field.Length = 0;
    field.Size = StoredSizeOf(field.FieldType, field.Length, encoding);
    field.Numeric = NumericFlagOf(field.FieldType);
}

int TextRoomOf(const TOstraField& field, TOstraTextEncoding encoding) {
    switch (field.FieldType) {
    case oftSmallStr: return field.Size - 1;
    case oftString: return (encoding == oteWindows1252 ? 3 : 1) * int{field.Length};
    default: return 0;
    }
}

TOstraFieldType TypeFromFieldType(TFieldType fieldType, int size) {
    switch (fieldType) {
    case ftString: return size <= OstraMaxSmallStr ? oftSmallStr : oftString;
    case ftSmallint:
    case ftWord: return oftSmallInt;
    case ftInteger: return oftInteger;
    case ftLargeint: return oftInt64;
    case ftBoolean: return oftBoolean;
    case ftFloat: return oftDouble;
    case ftCurrency: return oftCurrency;
    case ftDate: return oftDate;
    case ftTime: return oftTime;
    case ftDateTime: return oftDateTime;
    case ftAutoInc: return oftAutoInc;
    case ftBlob: return oftBLOB;
    case ftMemo: return oftMemo;
    case ftFmtMemo: return oftFmtMemo;
    case ftGraphic: return oftGraphic;
    default: return oftUnknown;
    }
}

TFieldType FieldTypeOf(TOstraFieldType type) {
    static const TFieldType Types[OstraFieldTypeCount] = {
        ftUnknown,  ftSmallint, ftInteger, ftLargeint, ftBoolean, ftFloat, ftCurrency, ftDate,   ftTime,
        ftDateTime, ftAutoInc,  ftString,  ftString,   ftBlob,    ftMemo,  ftFmtMemo,  ftGraphic};
    return type < OstraFieldTypeCount ? Types[type] : ftUnknown;
}

char TypeLetter(int code, int declaredSize) {
    if (code == oftSmallStr) {
        if (declaredSize < 10) return static_cast<char>('0' + std::max(declaredSize, 0));
        return static_cast<char>(std::min(declaredSize, OstraMaxSmallStr) + 55);
    }
    if (code <= 0 || code >= OstraFieldTypeCount) return 's';
    return TypeLetters[code];
}

bool TypeFromLetter(char letter, TOstraFieldType& type, int& declaredLength) {
    declaredLength = 0;
    if (letter >= '0' && letter <= '9') {
        type = oftSmallStr;
        declaredLength = letter - '0';
        return true;
    }
    if (letter >= 'A' && letter <= 'Z') {
        type = oftSmallStr;
        declaredLength = letter - 55;
        return true;
    }
    for (int code = 1; code < OstraFieldTypeCount; ++code) {
        if (TypeLetters[code] == letter && letter != 0) {
            type = static_cast<TOstraFieldType>(code);
            return true;
        }
    }
    return false;
}

std::string ReplaceSpaces(const std::string& name, char ch) {
    std::string s = name;
    for (char& c : s)
        if (c == ' ') c = ch;
    return s;
}

// ---------------------------------------------------------------------------
// Reference values

const char* OstValueData(const uint8_t* place) { return RefOf(place); }

uint32_t OstValueLength(const uint8_t* place) {
    const char* p = RefOf(place);
    return p ? (WordOf(p) & LengthMask) : 0;
}

void OstSetValue(uint8_t* place, TOstraFieldType type, const void* data, std::size_t length) {
    if (type == oftString && length) length = strnlen(static_cast<const char*>(data), length);
    // The new block first: short of memory, the old value stays.
    char* block = length ? NewHeapBlock(data, length) : nullptr;
    OstReleaseValue(place);
    SetRef(place, block);
}

void OstReleaseValue(uint8_t* place) {
    char* p = RefOf(place);
    if (!p) return;
    if (WordOf(p) & HeapFlag) std::free(p - 4);
    SetRef(place, nullptr);
}

void OstCopyValue(uint8_t* dest, const uint8_t* src) {
    const char* p = RefOf(src);
    SetRef(dest, p ? NewHeapBlock(p, WordOf(p) & LengthMask) : nullptr);
}

std::string_view FieldText(const uint8_t* place, const TOstraField& field) {
    switch (field.FieldType) {
    case oftSmallStr:
        return std::string_view(reinterpret_cast<const char*>(place),
                                strnlen(reinterpret_cast<const char*>(place), field.Size - 1u));
    case oftString:
    case oftMemo:
    case oftFmtMemo: return CText(place);
    default: return {};
    }
}

bool OstIsAscii(const void* Data, std::size_t Size) {
    const auto* p = static_cast<const unsigned char*>(Data);
    uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= Size; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        high |= w;
    }
    for (; i < Size; ++i) high |= p[i];
    return (high & 0x8080808080808080ull) == 0;
}

void OstReleaseValues(uint8_t* data, std::span<const TOstraField> fields) {
    for (const TOstraField& f : fields)
        if (IsReferenceType(f.FieldType)) OstReleaseValue(data + f.Offset);
}

void OstCopyData(uint8_t* dest, const uint8_t* src, std::span<const TOstraField> fields,
                 std::size_t dataSize) {
    std::memcpy(dest, src, dataSize);
    // No reference of src stays in dest: a copy that runs short of memory
    // leaves dest without references instead of sharing src's blocks.
    for (const TOstraField& f : fields)
        if (IsReferenceType(f.FieldType)) SetRef(dest + f.Offset, nullptr);
    try {
        for (const TOstraField& f : fields)
            if (IsReferenceType(f.FieldType)) OstCopyValue(dest + f.Offset, src + f.Offset);
    } catch (...) {
        OstReleaseValues(dest, fields);
        throw;
    }
}

bool OstIsZero(const uint8_t* p, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        if (p[i]) return false;
    return true;
}

// ---------------------------------------------------------------------------
// Conversions and comparisons

namespace {

// The values a whole-number field holds; false for other fields.
bool WholeRange(const TOstraField& field, int64_t& lo, int64_t& hi) {
    switch (field.FieldType) {
    case oftSmallInt: lo = INT16_MIN, hi = INT16_MAX; return true;
    case oftInteger:
    case oftAutoInc: lo = INT32_MIN, hi = INT32_MAX; return true;
    case oftInt64: lo = INT64_MIN, hi = INT64_MAX; return true;
    default: return false;
    }
}

}  // namespace

int OstBeyondRange(const TOstraField& field, int64_t value) {
    int64_t lo, hi;
    if (!WholeRange(field, lo, hi)) return 0;
    return value > hi ? 1 : (value < lo ? -1 : 0);
}

int OstBeyondRange(const TOstraField& field, double value) {
    int64_t lo, hi;
    if (!WholeRange(field, lo, hi) || value != value) return 0;
    // 2^63 and above do not fit an Int64; the other bounds are exact doubles.
    if (field.FieldType == oftInt64)
        return value >= 9223372036854775808.0 ? 1 : (value < -9223372036854775808.0 ? -1 : 0);
    return value > static_cast<double>(hi) ? 1 : (value < static_cast<double>(lo) ? -1 : 0);
}

int OstBeyondRange(const TOstraField& field, std::string_view text) {
    int64_t lo, hi;
    if (!WholeRange(field, lo, hi)) return 0;
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
    if (i == text.size()) return 0;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return 0;
    int64_t v = 0;
    if (TryStrToInt64(std::string(text), v)) return OstBeyondRange(field, v);
    // More digits than any 64-bit number has.
    const std::size_t first = text.find_first_not_of('0', i);
    if (first == std::string_view::npos || text.size() - first < 19) return 0;
    return negative ? -1 : 1;
}

void SetValueFromText(uint8_t* place, const std::string& text, const TOstraField& field) {
    if (IsReferenceType(field.FieldType)) OstReleaseValue(place);
    std::memset(place, 0, field.Size);
    if (text.empty()) return;
    int64_t v = 0;
    switch (field.FieldType) {
    case oftSmallInt:
        if (ReadInteger(text, INT16_MIN, INT16_MAX, v)) OstPut<int16_t>(place, static_cast<int16_t>(v));
        break;
    case oftInteger:
    case oftAutoInc:
        if (ReadInteger(text, INT32_MIN, INT32_MAX, v)) OstPut<int32_t>(place, static_cast<int32_t>(v));
        break;
    case oftInt64:
        if (ReadInteger(text, INT64_MIN, INT64_MAX, v)) OstPut<int64_t>(place, v);
        break;
    case oftBoolean: OstPut<int16_t>(place, IsTrueText(text) ? -1 : 0); break;
    case oftDouble:
    case oftCurrency: OstPut<double>(place, StrToFloat(text)); break;
    case oftDate: OstPut<int32_t>(place, DateTimeToTimeStamp(StrToDate(text)).Date); break;
    case oftTime: OstPut<int32_t>(place, DateTimeToTimeStamp(StrToTime(text)).Time); break;
    case oftDateTime:
        OstPut<double>(place, TimeStampToMSecs(DateTimeToTimeStamp(StrToDateTime(text))));
        break;
    case oftSmallStr: {
        // All the place holds; a longer text is refused when posted.
        const std::string s = Utf8Truncate(text, field.Size - 1u);
        std::memcpy(place, s.data(), s.size());
        break;
    }
    case oftString: OstSetValue(place, oftString, text.data(), text.size()); break;
    case oftMemo:
    case oftFmtMemo: {
        // Memos declare no length: the whole text is kept.
        const std::string s = field.Length ? Utf8Truncate(text, field.Length) : text;
        OstSetValue(place, field.FieldType, s.data(), s.size());
        break;
    }
    default: break;  // BLOB and Graphic are not set from text
    }
}

int CompareValues(const uint8_t* value1, const uint8_t* value2, const TOstraField& field,
                  bool caseInsensitive) {
    switch (field.FieldType) {
    case oftSmallInt: return Sign(int64_t{OstGet<int16_t>(value1)} - OstGet<int16_t>(value2));
    case oftInteger:
    case oftDate:
    case oftTime:
    case oftAutoInc: return Sign(int64_t{OstGet<int32_t>(value1)} - OstGet<int32_t>(value2));
    case oftInt64: {
        const int64_t a = OstGet<int64_t>(value1), b = OstGet<int64_t>(value2);
        return (a > b) - (a < b);
    }
    case oftBoolean: {
        const bool a = OstGet<int16_t>(value1) != 0, b = OstGet<int16_t>(value2) != 0;
        return a == b ? 0 : (a ? -1 : 1);
    }
    case oftDouble:
    case oftCurrency:
    case oftDateTime: return CompareDoubles(OstGet<double>(value1), OstGet<double>(value2));
    case oftSmallStr: {
        const std::string_view a = FieldText(value1, field), b = FieldText(value2, field);
        if (field.Numeric && a.size() != b.size())
            return Sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
        return CompareTextRule(a, b, caseInsensitive);
    }
    case oftString: {
        const bool e1 = RefOf(value1) == nullptr, e2 = RefOf(value2) == nullptr;
        if (e1 || e2) return static_cast<int>(e2) - static_cast<int>(e1);
        return CompareTextRule(CText(value1), CText(value2), caseInsensitive);
    }
    case oftMemo:
    case oftFmtMemo: {
        const uint32_t n1 = OstValueLength(value1), n2 = OstValueLength(value2);
        if (n1 == 0 || n2 == 0) return Sign(int64_t{n1} - int64_t{n2});
        return CompareTextRule(CText(value1), CText(value2), caseInsensitive);
    }
    default: return 0;
    }
}

int CompareRecords(const uint8_t* data1, const uint8_t* data2, std::span<const TOstraField* const> fields,
                   int count) {
    const std::size_t n =
        count < 0 ? fields.size() : std::min(fields.size(), static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < n; ++i) {
        const TOstraField& f = *fields[i];
        const int r = CompareValues(data1 + f.Offset, data2 + f.Offset, f, false);
        if (r != 0) return r;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Unique codes

namespace {

int UniqueCounter = -1;

void AppendDigits(std::string& out, int64_t value, int digits) {
    static const char Alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    int64_t limit = 1;
    for (int i = 0; i < digits; ++i) limit *= 62;
    value %= limit;  // keeps every part within its digits, whatever the date
    if (value < 0) value += limit;
    char buf[8];
    for (int i = digits - 1; i >= 0; --i) {
        buf[i] = Alphabet[value % 62];
        value /= 62;
    }
    out.append(buf, static_cast<std::size_t>(digits));
}

}  // namespace

std::string UniqueCode() {
    const TDateTime now = Now();
    int hour, minute, second, msec;
    DecodeTime(now, hour, minute, second, msec);
    if (UniqueCounter < 0)
        UniqueCounter = hour * 60 + minute;
    else if (++UniqueCounter >= 62 * 62)
        UniqueCounter = 0;
    const int64_t days =
        static_cast<int64_t>(std::floor(now)) - static_cast<int64_t>(EncodeDate(2000, 11, 1));
    std::string code;
    code.reserve(8);
    AppendDigits(code, days * 24 + hour, 3);
    AppendDigits(code, minute * 60 + second, 2);
    AppendDigits(code, static_cast<int64_t>(msec / 10) * 1922 + UniqueCounter, 3);
    return code;
}

void ResetUniqueCodeCounter() { UniqueCounter = -1; }
