// Enumerations with element names, and sets over them.
//
// Callers read and write enumeration and set properties by element name
// ("cbsCombo", "[dgRowLines,dgTabs]"), so an enumeration that is published
// carries its element names with it. TASKMOOR_ENUM declares the enumeration
// and its names in one line; TASKMOOR_ENUM_NAMES adds names to an
// enumeration declared elsewhere. Elements run from 0 upward without gaps, as
// the platform's enumerations do.
//
// TSet<E> is the platform's "set of E": a bit set of at most 64 elements whose
// bit i stands for the element of ordinal value i, so its ordinal value (Bits)
// is the one the platform stores and compares.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// The element names of one enumeration type.
class TEnumInfo {
public:
    TEnumInfo(std::string typeName, std::vector<std::string> names);
    // Names given as one comma-separated text, as the macro's stringised
    // argument list "a, b, c".
    TEnumInfo(std::string typeName, std::string_view commaSeparatedNames);

    const std::string& TypeName() const { return FTypeName; }
    int Count() const { return static_cast<int>(FNames.size()); }
    int MinValue() const { return 0; }
    int MaxValue() const { return Count() - 1; }
    const std::vector<std::string>& Names() const { return FNames; }

    // The element name of an ordinal value; empty when out of range.
    const std::string& NameOf(int64_t value) const;
    // The ordinal value of an element name compared ignoring case; -1 when
    // there is none.
    int ValueOf(std::string_view name) const;

private:
    std::string FTypeName;
    std::vector<std::string> FNames;
};

// The names of Boolean as an enumeration ("False", "True").
const TEnumInfo& BooleanEnumInfo();

// Declares `enum Name { elements... }` together with its element names.
#define TASKMOOR_ENUM(Name, ...)                                            \
    enum Name { __VA_ARGS__ };                                              \
    inline const TEnumInfo& EnumInfoOf(Name) {                              \
        static const TEnumInfo info(#Name, std::string_view(#__VA_ARGS__)); \
        return info;                                                        \
    }

// Element names for an enumeration declared elsewhere (same namespace), given
// as string literals in ordinal order.
#define TASKMOOR_ENUM_NAMES(Name, ...)                                             \
    inline const TEnumInfo& EnumInfoOf(Name) {                                     \
        static const TEnumInfo info(#Name, std::vector<std::string>{__VA_ARGS__}); \
        return info;                                                               \
    }

// True for an enumeration that has element names (found by argument-dependent
// lookup of EnumInfoOf).
template <class E>
concept NamedEnum = std::is_enum_v<E> && requires(E e) {
    { EnumInfoOf(e) } -> std::same_as<const TEnumInfo&>;
};

// The platform's "set of E" for an enumeration E of at most 64 elements.
template <class E>
class TSet {
    static_assert(std::is_enum_v<E>, "TSet is a set over an enumeration");

public:
    using Element = E;

    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> elements) {
        for (E e : elements) Include(e);
    }
    static constexpr TSet FromBits(uint64_t bits) {
        TSet s;
        s.FBits = bits;
        return s;
    }

    // The set's ordinal value: bit i set when element i is present.
    constexpr uint64_t Bits() const { return FBits; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr TSet& Include(E e) {
        FBits |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e) {
        FBits &= ~Bit(e);
        return *this;
    }
    // True when every element of `other` is in this set.
    constexpr bool ContainsAll(TSet other) const { return (other.FBits & ~FBits) == 0; }

    constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }   // union
    constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }  // difference
    constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }   // intersection
    constexpr TSet operator+(E e) const { return FromBits(FBits | Bit(e)); }
    constexpr TSet operator-(E e) const { return FromBits(FBits & ~Bit(e)); }
    constexpr TSet& operator+=(TSet o) {
        FBits |= o.FBits;
        return *this;
    }
    constexpr TSet& operator-=(TSet o) {
        FBits &= ~o.FBits;
        return *this;
    }
    constexpr TSet& operator*=(TSet o) {
        FBits &= o.FBits;
        return *this;
    }
    constexpr TSet& operator+=(E e) { return Include(e); }
    constexpr TSet& operator-=(E e) { return Exclude(e); }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr uint64_t Bit(E e) {
        const auto v = static_cast<uint64_t>(e);
        return v < 64 ? (uint64_t{1} << v) : 0;
    }
    uint64_t FBits = 0;
};

template <class T>
struct IsTSet : std::false_type {};
template <class E>
struct IsTSet<TSet<E>> : std::true_type {};
template <class T>
inline constexpr bool IsTSetV = IsTSet<T>::value;

// Text of a set as the platform writes it: element names joined by ",",
// inside brackets when `brackets` ("[dgRowLines,dgTabs]", "[]").
std::string SetToString(const TEnumInfo& info, uint64_t bits, bool brackets = true);
// The reverse: accepts the text with or without brackets, blanks around names,
// names in any case; an unknown name raises EPropertyError
// "Invalid property element: %s".
uint64_t StringToSet(const TEnumInfo& info, std::string_view text);
