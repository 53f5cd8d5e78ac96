// Field types of the table engine and the values of one record's data.
//
// Every field value of a record lives in one flat block of bytes, the record's
// data, at the field's fixed offset. Fixed-size values (integers, Booleans,
// doubles, dates, short strings) sit in place; String, BLOB, Memo, FmtMemo and
// Graphic values are references: the place holds a pointer to a separately
// allocated, zero-terminated block whose length is kept just before its bytes.
// A null reference is the empty value. Places may be unaligned, so every access
// goes through the routines below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "platform/db/dbtypes.h"

// Type codes; the values are those of the table file's type table.
enum TOstraFieldType : uint8_t {
    oftUnknown = 0,
    oftSmallInt = 1,
    oftInteger = 2,
    oftInt64 = 3,
    oftBoolean = 4,
    oftDouble = 5,
    oftCurrency = 6,
    oftDate = 7,
    oftTime = 8,
    oftDateTime = 9,
    oftAutoInc = 10,
    oftSmallStr = 11,
    oftString = 12,
    oftBLOB = 13,
    oftMemo = 14,
    oftFmtMemo = 15,
    oftGraphic = 16,
};
constexpr int OstraFieldTypeCount = 17;
// The longest text a SmallStr holds in place (its letter is "Z").
constexpr int OstraMaxSmallStr = 35;
// Bytes a reference takes in a record's data.
constexpr uint16_t OstraRefSize = sizeof(void*);

// "Unknown", "SmallInt", ... "Graphic"; "Unknown" outside the table.
const char* OstraFieldTypeName(int code);

// The encoding of a table's texts in its file. In memory every text is
// UTF-8; a table read in Windows-1252 is written back in it. Declared
// lengths count bytes in the table's encoding.
enum TOstraTextEncoding : uint8_t { oteUtf8, oteWindows1252 };

// One field description of a table.
struct TOstraField {
    std::string Name;
    std::string Origin;   // the label before the "." in the file ("XXX" when absent)
    uint16_t Size = 0;    // bytes in the record's data
    uint16_t Length = 0;  // declared text length of SmallStr and String (in the file), else 0
    uint32_t Offset = 0;  // place in the record's data
    TOstraFieldType FieldType = oftUnknown;
    uint8_t Numeric = 0;  // 1 for AutoInc, Currency, Int64, Double, Integer, SmallInt
    std::string DefaultText;
    std::string ExtraText;
};

inline bool IsBlobType(TOstraFieldType t) {
    return t == oftBLOB || t == oftMemo || t == oftFmtMemo || t == oftGraphic;
}
inline bool IsReferenceType(TOstraFieldType t) { return t == oftString || IsBlobType(t); }

// Bytes a value of the type takes in a record's data (SmallStr: room for the
// UTF-8 form of its declared length in the encoding, + 1).
uint16_t StoredSizeOf(TOstraFieldType type, int declaredLength, TOstraTextEncoding encoding = oteUtf8);
uint8_t NumericFlagOf(TOstraFieldType type);
// Fills Size and Numeric of a description from its type and Length.
void SetFieldLayout(TOstraField& field, TOstraTextEncoding encoding = oteUtf8);
// UTF-8 bytes the longest text a SmallStr or String field holds may take
// (a Windows-1252 character takes up to 3); 0 for other types.
int TextRoomOf(const TOstraField& field, TOstraTextEncoding encoding);

// The engine type of a platform field type and size: strings of at most 35
// bytes are SmallStr, longer ones String; types without an engine form are
// Unknown.
TOstraFieldType TypeFromFieldType(TFieldType fieldType, int size);
// The platform field type of an engine type.
TFieldType FieldTypeOf(TOstraFieldType type);

// The descriptor letter of a type: SmallStr gives its length digit ("0".."9",
// "A".."Z"); Unknown and codes above 16 give "s".
char TypeLetter(int code, int declaredSize);
// The type of a descriptor letter; for a SmallStr digit also its length. False
// for a character that names no type.
bool TypeFromLetter(char letter, TOstraFieldType& type, int& declaredLength);

// The name with every space replaced by ch.
std::string ReplaceSpaces(const std::string& name, char ch);

// ---------------------------------------------------------------------------
// Reference values

// The referenced bytes (zero-terminated), or nullptr for the empty value.
const char* OstValueData(const uint8_t* place);
// Bytes of a referenced value; 0 for the empty value. For a String value this
// is its text length.
uint32_t OstValueLength(const uint8_t* place);
// Replaces the value in place with a new copy of `length` bytes (a String
// value ends at its first zero byte); 0 bytes leave the empty value. Short
// of memory (std::bad_alloc) the old value stays.
void OstSetValue(uint8_t* place, TOstraFieldType type, const void* data, std::size_t length);
// Releases the referenced block and clears the reference.
void OstReleaseValue(uint8_t* place);
// Puts a new copy of src's value into dest, which must hold no reference.
void OstCopyValue(uint8_t* dest, const uint8_t* src);
// The length word's bit of a block on the heap.
constexpr uint32_t OstValueHeapFlag = 0x80000000u;
// Lays a reference into place without owning the block (for the store's
// own memory; see record_store.h). `block` came from OstValueBlockSize bytes.
inline char* OstInitValueBlock(void* block, const void* data, uint32_t length, bool heap) {
    auto* b = static_cast<char*>(block);
    const uint32_t word = length | (heap ? OstValueHeapFlag : 0);
    std::memcpy(b, &word, 4);
    if (length) std::memcpy(b + 4, data, length);
    b[4 + length] = 0;
    return b + 4;
}
constexpr std::size_t OstValueBlockSize(std::size_t length) { return 4 + length + 1; }

// The text of a SmallStr, String, Memo or FmtMemo value, up to its first zero
// byte; empty for other types.
std::string_view FieldText(const uint8_t* place, const TOstraField& field);

// True when no byte has its high bit set.
bool OstIsAscii(const void* Data, std::size_t Size);
inline bool IsTextType(TOstraFieldType t) {
    return t == oftSmallStr || t == oftString || t == oftMemo || t == oftFmtMemo;
}

// Releases every reference value of a data block and clears the references.
void OstReleaseValues(uint8_t* data, std::span<const TOstraField> fields);
// Copies a data block: fixed values byte for byte, references as new copies.
// dest must hold no references; short of memory it is left holding none.
void OstCopyData(uint8_t* dest, const uint8_t* src, std::span<const TOstraField> fields,
                 std::size_t dataSize);

// True when all `size` bytes are zero.
bool OstIsZero(const uint8_t* p, std::size_t size);

// ---------------------------------------------------------------------------
// Conversions and comparisons

// Stores a text as the field's value (used for default values and filter
// constants). Numbers that do not read leave 0; floating-point and date texts
// that do not read raise EConvertError.
void SetValueFromText(uint8_t* place, const std::string& text, const TOstraField& field);
// For a whole-number field (SmallInt, Integer, AutoInc, Int64) and a decimal
// whole number it cannot hold (SetValueFromText stores 0 for it): 1 when the
// number lies above every value of the field, -1 below; 0 otherwise.
int OstBeyondRange(const TOstraField& field, std::string_view text);
// The same for a number given as a double or a 64-bit integer.
int OstBeyondRange(const TOstraField& field, double value);
int OstBeyondRange(const TOstraField& field, int64_t value);

// Negative, 0 or positive. True sorts before false; an empty text before any
// other; BLOB, Graphic and Unknown values are all equal.
int CompareValues(const uint8_t* value1, const uint8_t* value2, const TOstraField& field,
                  bool caseInsensitive);
// The first non-zero comparison (case-sensitive) over the first `count`
// fields, all of them when count is negative.
int CompareRecords(const uint8_t* data1, const uint8_t* data2, std::span<const TOstraField* const> fields,
                   int count);

// An 8-character code over 0-9, A-Z, a-z built from the clock and a run-wide
// counter, different for every call within a run.
std::string UniqueCode();
// Test hook: the next UniqueCode starts the counter afresh.
void ResetUniqueCodeCounter();

// Fixed-value access for callers that hold a place.
template <class T>
inline T OstGet(const uint8_t* place) {
    T v;
    __builtin_memcpy(&v, place, sizeof v);
    return v;
}
template <class T>
inline void OstPut(uint8_t* place, T v) {
    __builtin_memcpy(place, &v, sizeof v);
}
