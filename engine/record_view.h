// The pieces a dataset's record view is built from: key buffers (sort keys,
// search keys, range bounds), the prepared filter conditions, values as text
// and the comparisons of records against keys.
//
// A view holds references to the store's records only; everything here reads
// the records' data in place. Filter constants are converted once, so a
// filter allocates nothing per record, except LIKE on a field that is not a
// text, whose value is made into a text for each record.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/field_types.h"
#include "engine/ostra_parser.h"
#include "engine/record_list.h"
#include "platform/core/variant.h"

class TField;
class TOstraCursor;
struct TOstraRecord;

// Key buffer numbers.
enum TOstraKeyBufferIndex { kiSort = 0, kiSearch = 1, kiRangeStart = 2, kiRangeEnd = 3 };

// A record data block holding key values, with the fields that make the key.
class TOstraKeyBuffer {
public:
    explicit TOstraKeyBuffer(int Number = 0) : FNumber(Number) {}
    ~TOstraKeyBuffer() { Release(); }
    TOstraKeyBuffer(const TOstraKeyBuffer&) = delete;
    TOstraKeyBuffer& operator=(const TOstraKeyBuffer&) = delete;

    int Number() const { return FNumber; }
    // Releases the values and makes a zeroed block of DataSize bytes over
    // the given key fields.
    void Setup(std::size_t DataSize, std::vector<const TOstraField*> Fields, std::vector<TField*> DataFields);
    // Releases the values and forgets the fields.
    void Release();
    // Zeroes the values, keeping the fields.
    void ClearValues();
    // Points the key fields at the same-named fields of a reloaded store of
    // the same layout, keeping the values.
    void Rebind(const TOstraCursor& Store);

    uint8_t* Data() { return FData.data(); }
    const uint8_t* Data() const { return FData.data(); }
    const std::vector<const TOstraField*>& Fields() const { return FFields; }
    const std::vector<TField*>& DataFields() const { return FDataFields; }
    bool Exclusive() const { return false; }
    int FieldsInUse() const { return FInUse; }
    void SetFieldsInUse(int Value) { FInUse = Value; }
    bool HasFields() const { return !FFields.empty(); }

    // Sets key field Index from a variant: a string through the field's text
    // conversion, numbers, dates and Booleans directly. Null or Empty leave
    // the value zero.
    void SetValue(int Index, const Variant& Value);
    // Sets key field Index from a text (the field's text conversion).
    void SetText(int Index, const std::string& Text);
    // A whole number its field cannot hold was set to key field Index: 1 when
    // it lies above every value, -1 below (the value itself stays zero); 0 else.
    int Beyond(int Index) const;
    // Data against the first Count key values, as CompareRecords does, a
    // value beyond its field's range taken for what it is.
    int CompareData(const uint8_t* Data, int Count) const;

private:
    int FNumber;
    std::vector<uint8_t> FData;
    std::vector<const TOstraField*> FFields;
    std::vector<std::string> FNames;
    std::vector<std::pair<uint32_t, TOstraFieldType>> FSlots;  // offset and type of each key field
    std::vector<TField*> FDataFields;
    std::vector<int8_t> FBeyond;  // Beyond of each key field
    int FInUse = 0;
};

// A filter's conditions, bound to a store's fields with their constants
// converted once to the fields' types.
class TOstraFilter {
public:
    TOstraFilter() = default;
    ~TOstraFilter();
    TOstraFilter(const TOstraFilter&) = delete;
    TOstraFilter& operator=(const TOstraFilter&) = delete;

    // Binds the conditions to the store's fields. Raises "Field %s is not
    // found", "Types of compared fields are not equal", the LIKE pattern
    // errors and conversion errors of the constants.
    void Prepare(const TOstraCursor& Store, const TOstraFilterConditions& Conditions);
    bool Empty() const { return FItems.empty(); }
    // All conditions hold for the record's data.
    bool Match(const uint8_t* Data, bool CaseInsensitive) const;
    // Asks the memory for the texts Match will read of a record's data
    // (a hint; nothing is read but the data's own references).
    void Prefetch(const uint8_t* Data) const;

private:
    // How an item is tested, chosen once when prepared.
    enum TKind : uint8_t {
        fkGeneral,       // the value comparison of the field's type
        fkAny,           // always holds
        fkLike,          // the mask over the value's text
        fkLikeContains,  // "%text%" over a String's stored text
        fkShortText,     // "=" or "<>" of a SmallStr with a constant
        fkInt32,         // a 32-bit number (Integer, Date, Time, AutoInc) with a constant
        fkBoolean,       // "=" or "<>" of a Boolean with a constant
        fkBeyond,        // a whole number beyond the field's range: Number is every record's comparison
    };
    struct TItem {
        const TOstraField* Left = nullptr;
        const TOstraField* Right = nullptr;  // field compared with, or none
        TOstraField Compare;                 // how the two sides compare
        TOstraFilterOperator Operator = ofoNone;
        std::vector<uint8_t> Value;  // the constant in Left's layout
        std::shared_ptr<TOstraMask> Mask;
        TKind Kind = fkGeneral;
        // fkShortText: the constant's text, ASCII letters folded in Folded
        // (empty when it holds other than ASCII), and the letters' fold bits.
        std::string Text;
        std::string Folded;
        std::string FoldBits;
        int32_t Number = 0;  // fkInt32
    };
    void Clear();
    // Picks the item's kind once its constant is set.
    static void Compile(TItem& Item);
    static bool Holds(const TItem& Item, const uint8_t* Data, bool CaseInsensitive, std::string& Scratch);

    std::vector<TItem> FItems;
    mutable std::string FScratch;
};

// The order-keeping digest of a record's first sort values (see
// TOstraViewKey): texts by their first twenty-four bytes, other values exactly,
// with the second field's digest behind an exact first one. Fold folds ASCII
// letters as the case-insensitive order does; Descending reverses the order.
// Exact, when given, tells whether records with this digest have equal
// values in all Fields (short texts, numbers).
TOstraViewKey OstViewKey(const uint8_t* Data, std::span<const TOstraField* const> Fields, bool Fold,
                         bool Descending, bool* Exact = nullptr);
// True when the digest of the first field fills the whole key (a text field),
// so a key made from that field alone can be compared whole.
bool OstViewKeyFromFirstField(const TOstraField& Field);

// True when the value at Place counts as a value (not null): zero is a value
// for SmallInt, Integer, Boolean, Double, Currency, Time and AutoInc.
bool OstHasValue(const uint8_t* Place, const TOstraField& Field);

// The value as text for LIKE: texts as they are, numbers in decimal,
// Booleans "Yes"/"No", floats "0.######", dates and times in the format
// settings' forms (empty for 0), BLOB and Graphic "Not Found". Scratch holds
// the text when it has to be made.
std::string_view OstValueText(const uint8_t* Place, const TOstraField& Field, std::string& Scratch);

// The value as the platform's variant; Null when it has no value.
Variant OstValueVariant(const uint8_t* Place, const TOstraField& Field);

// True when the two types may be compared with each other in a filter.
bool OstTypesCompatible(TOstraFieldType A, TOstraFieldType B);

// True when a record of the store other than OwnRecord, not deleted, has the
// same values as Data in all Fields (compared with regard to case).
bool OstKeyExists(const TOstraCursor& Store, const uint8_t* Data, const TOstraRecord* OwnRecord,
                  const std::vector<const TOstraField*>& Fields);
