// Variant: one value of any of the kinds that cross the dataset framework
// (empty, null, Boolean, integers, float, currency, date-time, string, and
// arrays of variants). Conversions between kinds follow the platform's rules;
// a conversion that cannot be made raises EVariantError with
// "Could not convert variant of type (%s) into type (%s)".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/datetime.h"

// Kind codes (the platform's values).
using TVarType = uint16_t;
constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varString = 0x0100;
constexpr TVarType varArray = 0x2000;  // an array of variants

class Variant {
public:
    Variant() = default;  // empty
    Variant(bool value);
    Variant(char) = delete;  // ambiguous: a character or its code?
    Variant(short value);    // varSmallint
    Variant(int value);
    Variant(unsigned value);  // varInt64 (does not fit varInteger)
    Variant(long value);      // varInt64 on 64-bit platforms, else varInteger
    Variant(long long value);
    Variant(double value);
    Variant(const char* value);  // nullptr gives an empty string
    Variant(const std::string& value);
    Variant(std::string&& value);
    Variant(std::string_view value);
    Variant(std::vector<Variant> items);  // varArray

    static Variant FromCurrency(double value);     // kept to 4 decimals
    static Variant FromDateTime(TDateTime value);  // varDate
    static Variant MakeNull();

    TVarType VarType() const { return FType; }
    bool IsNull() const { return FType == varNull; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsArray() const { return FType == varArray; }

    // Conversions. Empty converts to "", 0, False or day 0; Null raises.
    // Strings convert to numbers with the format settings' decimal separator,
    // to Booleans from "True"/"False" (any case) or a number, to dates through
    // StrToDateTime. Floats round to integers half to even; True is -1.
    std::string AsString() const;
    int AsInteger() const;
    int64_t AsInt64() const;
    double AsDouble() const;
    double AsCurrency() const;
    bool AsBoolean() const;
    TDateTime AsDateTime() const;

    // Array elements (index 0 .. ArrayCount()-1); EVariantError "Variant is
    // not an array" on other kinds, "Variant or safe array index out of
    // bounds" on a bad index.
    int ArrayCount() const;
    const Variant& operator[](int index) const;
    Variant& operator[](int index);
    const std::vector<Variant>& ArrayItems() const;

    // Equal when VarCompare answers 0 (so Null equals only Null, Empty only
    // Empty, and "1" equals 1).
    bool operator==(const Variant& other) const;
    bool operator!=(const Variant& other) const { return !(*this == other); }

private:
    TVarType FType = varEmpty;
    bool FBool = false;
    int64_t FInt = 0;   // Smallint, Integer, Int64
    double FFloat = 0;  // Double, Currency, Date
    std::string FString;
    std::vector<Variant> FItems;
};

// The platform's global values.
Variant Null();
Variant Unassigned();

TVarType VarType(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsArray(const Variant& v);
// "Empty", "Null", "Integer", "String", ...; arrays give "Array Variant".
std::string VarTypeAsText(TVarType type);

Variant VarArrayOf(std::initializer_list<Variant> items);
Variant VarArrayOf(const std::vector<Variant>& items);
// Bounds of dimension 1 (the only one); EVariantError "Variant is not an
// array" for other kinds, "Variant array bounds error" for other dimensions.
int VarArrayLowBound(const Variant& v, int dim = 1);
int VarArrayHighBound(const Variant& v, int dim = 1);

// v converted to the given kind (varEmpty, varNull and the scalar kinds).
Variant VarAsType(const Variant& v, TVarType type);

// Orders two variants: below 0, 0 or above 0. Empty sorts first, then Null,
// then values. Numbers, dates and Booleans (False < True) compare by value;
// strings by byte (callers fold case themselves); a string against a number
// compares as numbers when the string holds one, else as texts. Arrays
// compare element by element and sort after scalars.
int VarCompare(const Variant& a, const Variant& b);
