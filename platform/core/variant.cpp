// The variant's constructors and conversions between kinds, with currency and integer
// rounding and the text forms of Booleans.
#include "platform/core/variant.h"

#include <climits>
#include <cmath>
#include <limits>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

namespace {

[[noreturn]] void ConvertError(TVarType from, TVarType to) {
    throw EVariantError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (" +
                        VarTypeAsText(to) + ")");
}

[[noreturn]] void NotArrayError() { throw EVariantError("Variant is not an array"); }

bool IsIntegerType(TVarType t) { return t == varSmallint || t == varInteger || t == varInt64; }

double RoundCurrency(double value) { return std::round(value * 10000.0) / 10000.0; }

// Half to even, as the platform rounds floats to integers; false when the
// value has no int64 form.
bool RoundToInt64(double value, int64_t& result) {
    if (!std::isfinite(value)) return false;
    const double r = std::nearbyint(value);
    // 2^63 itself does not fit; every double below it does.
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
    result = static_cast<int64_t>(r);
    return true;
}

// "True"/"False" in any letter case.
bool TryTextToBool(const std::string& s, bool& value) {
    const std::string t = Trim(s);
    if (SameText(t, "True")) {
        value = true;
        return true;
    }
    if (SameText(t, "False")) {
        value = false;
        return true;
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

Variant::Variant(bool value) : FType(varBoolean), FBool(value) {}
Variant::Variant(short value) : FType(varSmallint), FInt(value) {}
Variant::Variant(int value) : FType(varInteger), FInt(value) {}
Variant::Variant(unsigned value) : FType(varInt64), FInt(value) {}
Variant::Variant(long value) : FType(sizeof(long) > sizeof(int) ? varInt64 : varInteger), FInt(value) {}
Variant::Variant(long long value) : FType(varInt64), FInt(value) {}
Variant::Variant(double value) : FType(varDouble), FFloat(value) {}
Variant::Variant(const char* value) : FType(varString), FString(value ? value : "") {}
Variant::Variant(const std::string& value) : FType(varString), FString(value) {}
Variant::Variant(std::string&& value) : FType(varString), FString(std::move(value)) {}
Variant::Variant(std::string_view value) : FType(varString), FString(value) {}
Variant::Variant(std::vector<Variant> items) : FType(varArray), FItems(std::move(items)) {}

Variant Variant::FromCurrency(double value) {
    Variant v;
    v.FType = varCurrency;
    v.FFloat = RoundCurrency(value);
    return v;
}

Variant Variant::FromDateTime(TDateTime value) {
    Variant v;
    v.FType = varDate;
    v.FFloat = value;
    return v;
}

Variant Variant::MakeNull() {
    Variant v;
    v.FType = varNull;
    return v;
}

// ---------------------------------------------------------------------------
// Conversions

std::string Variant::AsString() const {
    switch (FType) {
    case varEmpty: return std::string();
    case varBoolean: return FBool ? "True" : "False";
    case varSmallint:
    case varInteger:
    case varInt64: return IntToStr(FInt);
    case varDouble: return FloatToStr(FFloat);
    case varCurrency: return CurrToStr(FFloat);
    case varDate: return DateTimeToStr(FFloat);
    case varString: return FString;
    default: ConvertError(FType, varString);
    }
}

int64_t Variant::AsInt64() const {
    int64_t result = 0;
    switch (FType) {
    case varEmpty: return 0;
    case varBoolean: return FBool ? -1 : 0;
    case varSmallint:
    case varInteger:
    case varInt64: return FInt;
    case varDouble:
    case varCurrency:
    case varDate:
        if (RoundToInt64(FFloat, result)) return result;
        break;
    case varString: {
        double d;
        bool b;
        if (TryStrToInt64(FString, result)) return result;
        if (TryStrToFloat(FString, d) && RoundToInt64(d, result)) return result;
        if (TryTextToBool(FString, b)) return b ? -1 : 0;
        break;
    }
    default: break;
    }
    ConvertError(FType, varInt64);
}

int Variant::AsInteger() const {
    int64_t value;
    try {
        value = AsInt64();
    } catch (const EVariantError&) {
        ConvertError(FType, varInteger);
    }
    if (value < INT_MIN || value > INT_MAX) ConvertError(FType, varInteger);
    return static_cast<int>(value);
}

double Variant::AsDouble() const {
    switch (FType) {
    case varEmpty: return 0;
    case varBoolean: return FBool ? -1 : 0;
    case varSmallint:
    case varInteger:
    case varInt64: return static_cast<double>(FInt);
    case varDouble:
    case varCurrency:
    case varDate: return FFloat;
    case varString: {
        double d;
        bool b;
        if (TryStrToFloat(FString, d)) return d;
        if (TryTextToBool(FString, b)) return b ? -1 : 0;
        break;
    }
    default: break;
    }
    ConvertError(FType, varDouble);
}

double Variant::AsCurrency() const {
    double value;
    try {
        value = AsDouble();
    } catch (const EVariantError&) {
        ConvertError(FType, varCurrency);
    }
    // Currency is a scaled 64-bit integer on the platform.
    if (!std::isfinite(value) || std::fabs(value) >= 922337203685477.0) ConvertError(FType, varCurrency);
    return RoundCurrency(value);
}

bool Variant::AsBoolean() const {
    switch (FType) {
    case varEmpty: return false;
    case varBoolean: return FBool;
    case varSmallint:
    case varInteger:
    case varInt64: return FInt != 0;
    case varDouble:
    case varCurrency:
    case varDate: return FFloat != 0;
    case varString: {
        bool b;
        double d;
        if (TryTextToBool(FString, b)) return b;
        if (TryStrToFloat(FString, d)) return d != 0;
        break;
    }
    default: break;
    }
    ConvertError(FType, varBoolean);
}

TDateTime Variant::AsDateTime() const {
    switch (FType) {
    case varEmpty: return 0;
    case varBoolean: return FBool ? -1 : 0;
    case varSmallint:
    case varInteger:
    case varInt64: return static_cast<double>(FInt);
    case varDouble:
    case varCurrency:
    case varDate: return FFloat;
    case varString: {
        TDateTime d;
        if (TryStrToDateTime(FString, d)) return d;
        break;
    }
    default: break;
    }
    ConvertError(FType, varDate);
}

// ---------------------------------------------------------------------------
// Arrays

int Variant::ArrayCount() const {
    if (FType != varArray) NotArrayError();
    return static_cast<int>(FItems.size());
}

const Variant& Variant::operator[](int index) const {
    if (FType != varArray) NotArrayError();
    if (index < 0 || index >= static_cast<int>(FItems.size()))
        throw EVariantError("Variant or safe array index out of bounds");
    return FItems[static_cast<size_t>(index)];
}

Variant& Variant::operator[](int index) {
    return const_cast<Variant&>(static_cast<const Variant&>(*this)[index]);
}

const std::vector<Variant>& Variant::ArrayItems() const {
    if (FType != varArray) NotArrayError();
    return FItems;
}

bool Variant::operator==(const Variant& other) const { return VarCompare(*this, other) == 0; }

// ---------------------------------------------------------------------------
// Free functions

Variant Null() { return Variant::MakeNull(); }

Variant Unassigned() { return Variant(); }

TVarType VarType(const Variant& v) { return v.VarType(); }

bool VarIsNull(const Variant& v) { return v.IsNull(); }

bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }

bool VarIsArray(const Variant& v) { return v.IsArray(); }

std::string VarTypeAsText(TVarType type) {
    switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varBoolean: return "Boolean";
    case varInt64: return "Int64";
    case varString: return "String";
    case varArray: return "Array Variant";
    default: return "Unknown";
    }
}

Variant VarArrayOf(std::initializer_list<Variant> items) { return Variant(std::vector<Variant>(items)); }

Variant VarArrayOf(const std::vector<Variant>& items) { return Variant(items); }

int VarArrayLowBound(const Variant& v, int dim) {
    if (!v.IsArray()) NotArrayError();
    if (dim != 1) throw EVariantError("Variant array bounds error");
    return 0;
}

int VarArrayHighBound(const Variant& v, int dim) {
    if (!v.IsArray()) NotArrayError();
    if (dim != 1) throw EVariantError("Variant array bounds error");
    return v.ArrayCount() - 1;
}

Variant VarAsType(const Variant& v, TVarType type) {
    if (v.VarType() == type) return v;
    switch (type) {
    case varEmpty: return Variant();
    case varNull: return Null();
    case varBoolean: return Variant(v.AsBoolean());
    case varSmallint: {
        const int64_t i = v.AsInt64();
        if (i < -32768 || i > 32767) ConvertError(v.VarType(), varSmallint);
        return Variant(static_cast<short>(i));
    }
    case varInteger: return Variant(v.AsInteger());
    case varInt64: return Variant(static_cast<long long>(v.AsInt64()));
    case varDouble: return Variant(v.AsDouble());
    case varCurrency: return Variant::FromCurrency(v.AsCurrency());
    case varDate: return Variant::FromDateTime(v.AsDateTime());
    case varString: return Variant(v.AsString());
    default: ConvertError(v.VarType(), type);
    }
}

namespace {

int Sign(double d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

int Rank(const Variant& v) {
    switch (v.VarType()) {
    case varEmpty: return 0;
    case varNull: return 1;
    case varArray: return 3;
    default: return 2;
    }
}

// Booleans order False before True here (the platform's True is -1).
double NumericValue(const Variant& v) {
    if (v.VarType() == varBoolean) return v.AsBoolean() ? 1 : 0;
    return v.AsDouble();
}

int CompareScalars(const Variant& a, const Variant& b) {
    const bool aStr = a.VarType() == varString;
    const bool bStr = b.VarType() == varString;
    if (aStr && bStr) return Sign(CompareStr(a.AsString(), b.AsString()));
    if (!aStr && !bStr) {
        if (IsIntegerType(a.VarType()) && IsIntegerType(b.VarType())) {
            const int64_t x = a.AsInt64(), y = b.AsInt64();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        return Sign(NumericValue(a) - NumericValue(b));
    }
    // A string against a number: as numbers when the string holds one.
    const Variant& str = aStr ? a : b;
    const Variant& num = aStr ? b : a;
    double d;
    int result;
    if (TryStrToFloat(str.AsString(), d)) {
        const double n = NumericValue(num);
        result = d < n ? -1 : (d > n ? 1 : 0);
    } else {
        result = Sign(CompareStr(str.AsString(), num.AsString()));
    }
    return aStr ? result : -result;
}

}  // namespace

int VarCompare(const Variant& a, const Variant& b) {
    const int ra = Rank(a), rb = Rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra < 2) return 0;
    if (ra == 2) return CompareScalars(a, b);
    const auto& x = a.ArrayItems();
    const auto& y = b.ArrayItems();
    for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
        const int c = VarCompare(x[i], y[i]);
        if (c != 0) return c;
    }
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}
