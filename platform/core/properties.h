// Published properties: registering them per class, and reading and writing
// them by name.
//
// The suite reaches properties and events of classes it does not know at
// build time by name: "is there a DataSource property, and what
// object does it hold?". Each class publishes its properties in a static
// Publish function that runs once, the first time the class is looked at:
//
//   void TOstraColumn::Publish(TPublisher<TOstraColumn>& p) {
//       p.Property("ButtonStyle", &TOstraColumn::ButtonStyle, &TOstraColumn::SetButtonStyle);
//       p.Property("Width", &TOstraColumn::Width, &TOstraColumn::SetWidth);
//       p.Property("PickList", &TOstraColumn::PickList, &TOstraColumn::SetPickList);
//       p.Property("Field", &TOstraColumn::Field);                    // read-only
//   }
//
// The kind follows from the getter's type: bool -> Boolean; an enumeration
// with names (enums.h) -> enumeration; TSet<E> -> set; other integers ->
// integer (int64 when 8 bytes); floating point -> float; std::string ->
// string; a pointer to a TObject descendant -> class; TEvent<...> -> method.
// Getters and setters may be member functions (of the class or an ancestor),
// data members, or callables taking the object.
//
// Lookups by name ignore case and include inherited properties. GetPropInfo
// answers nullptr for an unknown name; the accessors by name raise
// EPropertyError: "Property %s does not exist", "Property %s is read-only",
// "Invalid property type: %s" (wrong kind for the accessor), "Invalid
// property element: %s" (unknown enumeration or set element name), "Invalid
// property value" (an object of the wrong class for a class property).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/enums.h"
#include "platform/core/events.h"
#include "platform/core/exceptions.h"
#include "platform/core/object.h"

class Variant;

enum TTypeKind {
    tkUnknown,
    tkInteger,      // ordinal: integers up to 32 bits
    tkInt64,        // ordinal: 64-bit integers
    tkEnumeration,  // ordinal: element names in EnumType
    tkSet,          // ordinal: bits; element names in EnumType
    tkBoolean,      // ordinal: 0 False, 1 True
    tkFloat,
    tkString,  // UTF-8 text (the platform's long string)
    tkClass,   // object reference; declared class in PropClass
    tkMethod,  // event
};

// True for the kinds read with GetOrdProp.
inline bool IsOrdinalKind(TTypeKind kind) {
    return kind == tkInteger || kind == tkInt64 || kind == tkEnumeration || kind == tkSet ||
           kind == tkBoolean;
}

// One published property. Accessors take the object as TObject*; the
// registry only hands a TPropInfo to objects of its class or a descendant.
class TPropInfo {
public:
    std::string Name;
    TTypeKind Kind = tkUnknown;
    std::string TypeName;                 // "Integer", "TAlignment", "TDataSource", ...
    const TClass* OwnerClass = nullptr;   // the class that published it
    const TEnumInfo* EnumType = nullptr;  // enumeration: its elements; set: the element type
    const TClass* PropClass = nullptr;    // class kind: the declared class

    // Kind-specific accessors; the setter is empty for a read-only property.
    std::function<int64_t(TObject*)> GetOrd;
    std::function<void(TObject*, int64_t)> SetOrd;
    std::function<double(TObject*)> GetFloat;
    std::function<void(TObject*, double)> SetFloat;
    std::function<std::string(TObject*)> GetStr;
    std::function<void(TObject*, const std::string&)> SetStr;
    std::function<TObject*(TObject*)> GetObject;
    std::function<void(TObject*, TObject*)> SetObject;
    std::function<TMethod(TObject*)> GetMethod;
    std::function<void(TObject*, const TMethod&)> SetMethod;

    bool IsWritable() const { return SetOrd || SetFloat || SetStr || SetObject || SetMethod; }

    // Chainable adjustments after registration.
    TPropInfo& SetTypeName(std::string typeName) {
        TypeName = std::move(typeName);
        return *this;
    }
};

// Registers the published properties of class C (see the file comment).
template <class C>
class TPublisher {
public:
    explicit TPublisher(TClass& cls) : FClass(cls) {}

    // A read-write property.
    template <class Getter, class Setter>
    TPropInfo& Property(std::string name, Getter getter, Setter setter) {
        return Add(std::move(name), std::move(getter), std::move(setter));
    }
    // A read-only property.
    template <class Getter>
    TPropInfo& Property(std::string name, Getter getter) {
        return Add(std::move(name), std::move(getter), nullptr);
    }

private:
    template <class Getter>
    using ValueOf = std::remove_cvref_t<std::invoke_result_t<Getter&, C&>>;

    static C& Self(TObject* obj) { return *static_cast<C*>(obj); }

    template <class Setter, class V>
    static void Write(Setter& setter, C& obj, V&& value) {
        if constexpr (std::is_member_object_pointer_v<Setter>)
            obj.*setter = std::forward<V>(value);
        else
            std::invoke(setter, obj, std::forward<V>(value));
    }

    template <class Getter, class Setter>
    TPropInfo& Add(std::string name, Getter getter, Setter setter) {
        using R = ValueOf<Getter>;
        auto info = std::make_unique<TPropInfo>();
        info->Name = std::move(name);
        info->OwnerClass = &FClass;

        if constexpr (std::is_same_v<R, bool>) {
            info->Kind = tkBoolean;
            info->TypeName = "Boolean";
            info->EnumType = &BooleanEnumInfo();
            info->GetOrd = [getter](TObject* o) -> int64_t { return std::invoke(getter, Self(o)) ? 1 : 0; };
            if constexpr (!std::is_null_pointer_v<Setter>)
                info->SetOrd = [setter](TObject* o, int64_t v) mutable { Write(setter, Self(o), v != 0); };
        } else if constexpr (std::is_enum_v<R>) {
            if constexpr (NamedEnum<R>) {
                info->Kind = tkEnumeration;
                info->EnumType = &EnumInfoOf(R{});
                info->TypeName = info->EnumType->TypeName();
            } else {
                info->Kind = sizeof(R) > 4 ? tkInt64 : tkInteger;
                info->TypeName = "Integer";
            }
            info->GetOrd = [getter](TObject* o) -> int64_t {
                return static_cast<int64_t>(std::invoke(getter, Self(o)));
            };
            if constexpr (!std::is_null_pointer_v<Setter>)
                info->SetOrd = [setter](TObject* o, int64_t v) mutable {
                    Write(setter, Self(o), static_cast<R>(v));
                };
        } else if constexpr (IsTSetV<R>) {
            using E = typename R::Element;
            static_assert(NamedEnum<E>, "a published set needs element names (TASKMOOR_ENUM)");
            info->Kind = tkSet;
            info->EnumType = &EnumInfoOf(E{});
            info->TypeName = "set of " + info->EnumType->TypeName();
            info->GetOrd = [getter](TObject* o) -> int64_t {
                return static_cast<int64_t>(std::invoke(getter, Self(o)).Bits());
            };
            if constexpr (!std::is_null_pointer_v<Setter>)
                info->SetOrd = [setter](TObject* o, int64_t v) mutable {
                    Write(setter, Self(o), R::FromBits(static_cast<uint64_t>(v)));
                };
        } else if constexpr (std::is_integral_v<R>) {
            info->Kind = sizeof(R) > 4 ? tkInt64 : tkInteger;
            info->TypeName = sizeof(R) > 4           ? "Int64"
                             : std::is_unsigned_v<R> ? (sizeof(R) == 1   ? "Byte"
                                                        : sizeof(R) == 2 ? "Word"
                                                                         : "Cardinal")
                                                     : (sizeof(R) == 2 ? "Smallint" : "Integer");
            info->GetOrd = [getter](TObject* o) -> int64_t {
                return static_cast<int64_t>(std::invoke(getter, Self(o)));
            };
            if constexpr (!std::is_null_pointer_v<Setter>)
                info->SetOrd = [setter](TObject* o, int64_t v) mutable {
                    Write(setter, Self(o), static_cast<R>(v));
                };
        } else if constexpr (std::is_floating_point_v<R>) {
            info->Kind = tkFloat;
            info->TypeName = std::is_same_v<R, float> ? "Single" : "Double";
            info->GetFloat = [getter](TObject* o) -> double {
                return static_cast<double>(std::invoke(getter, Self(o)));
            };
            if constexpr (!std::is_null_pointer_v<Setter>)
                info->SetFloat = [setter](TObject* o, double v) mutable {
                    Write(setter, Self(o), static_cast<R>(v));
                };
        } else if constexpr (std::is_same_v<R, std::string>) {
            info->Kind = tkString;
            info->TypeName = "string";
            info->GetStr = [getter](TObject* o) -> std::string { return std::invoke(getter, Self(o)); };
            if constexpr (!std::is_null_pointer_v<Setter>)
                info->SetStr = [setter](TObject* o, const std::string& v) mutable {
                    Write(setter, Self(o), v);
                };
        } else if constexpr (std::is_pointer_v<R> &&
                             std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<R>>>) {
            using T = std::remove_cv_t<std::remove_pointer_t<R>>;
            info->Kind = tkClass;
            info->PropClass = T::StaticClass();
            info->TypeName = info->PropClass->ClassName();
            info->GetObject = [getter](TObject* o) -> TObject* {
                return const_cast<T*>(std::invoke(getter, Self(o)));
            };
            if constexpr (!std::is_null_pointer_v<Setter>)
                info->SetObject = [setter](TObject* o, TObject* v) mutable {
                    T* typed = dynamic_cast<T*>(v);
                    if (v && !typed) throw EPropertyError("Invalid property value");
                    Write(setter, Self(o), typed);
                };
        } else if constexpr (IsTEventV<R>) {
            info->Kind = tkMethod;
            info->TypeName = std::is_same_v<R, TNotifyEvent> ? "TNotifyEvent" : "TMethod";
            info->GetMethod = [getter](TObject* o) -> TMethod {
                return TMethod(std::invoke(getter, Self(o)));
            };
            if constexpr (!std::is_null_pointer_v<Setter>)
                info->SetMethod = [setter](TObject* o, const TMethod& v) mutable {
                    if (v.Assigned() && !v.template Is<R>())
                        throw EPropertyError("Invalid property type: " + std::string(v.EventType().name()));
                    Write(setter, Self(o), v.template As<R>());
                };
        } else {
            static_assert(sizeof(R) == 0, "unsupported published property type");
        }
        return FClass.AddProperty(std::move(info));
    }

    TClass& FClass;
};

// ---- Looking properties up --------------------------------------------------

// The published property `name` of the object's class (inherited included,
// any case); nullptr for a nil object or an unknown name.
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
const TPropInfo* GetPropInfo(const TClass* cls, std::string_view name);
// Same, restricted to the given kinds; nullptr when the property is of
// another kind.
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name,
                             std::initializer_list<TTypeKind> kinds);
bool IsPublishedProp(const TObject* obj, std::string_view name);
bool IsPublishedProp(const TClass* cls, std::string_view name);
// True when the property exists and is of the kind.
bool PropIsType(const TObject* obj, std::string_view name, TTypeKind kind);
// The property's kind; raises when it does not exist.
TTypeKind PropType(const TObject* obj, std::string_view name);
// All published properties, ancestors' first; with kinds, only those kinds.
std::vector<const TPropInfo*> GetPropList(const TObject* obj);
std::vector<const TPropInfo*> GetPropList(const TClass* cls);
std::vector<const TPropInfo*> GetPropList(const TObject* obj, std::initializer_list<TTypeKind> kinds);

// ---- Reading and writing by name ---------------------------------------------
// Each accessor comes in two forms: by name (raises when unknown) and by
// property information (from GetPropInfo, for repeated use).

// Ordinal kinds: integer, Int64, enumeration (ordinal value), set (bits), Boolean.
int64_t GetOrdProp(TObject* obj, std::string_view name);
int64_t GetOrdProp(TObject* obj, const TPropInfo* info);
void SetOrdProp(TObject* obj, std::string_view name, int64_t value);
void SetOrdProp(TObject* obj, const TPropInfo* info, int64_t value);
int64_t GetInt64Prop(TObject* obj, std::string_view name);
void SetInt64Prop(TObject* obj, std::string_view name, int64_t value);

// Enumerations (and Boolean) by element name; SetEnumProp also takes the
// ordinal value written as decimal digits.
std::string GetEnumProp(TObject* obj, std::string_view name);
std::string GetEnumProp(TObject* obj, const TPropInfo* info);
void SetEnumProp(TObject* obj, std::string_view name, std::string_view value);
void SetEnumProp(TObject* obj, const TPropInfo* info, std::string_view value);

// Sets as text "[dgRowLines,dgTabs]" (without brackets when !brackets).
std::string GetSetProp(TObject* obj, std::string_view name, bool brackets = true);
std::string GetSetProp(TObject* obj, const TPropInfo* info, bool brackets = true);
void SetSetProp(TObject* obj, std::string_view name, std::string_view value);
void SetSetProp(TObject* obj, const TPropInfo* info, std::string_view value);

// Strings.
std::string GetStrProp(TObject* obj, std::string_view name);
std::string GetStrProp(TObject* obj, const TPropInfo* info);
void SetStrProp(TObject* obj, std::string_view name, const std::string& value);
void SetStrProp(TObject* obj, const TPropInfo* info, const std::string& value);

// Floats.
double GetFloatProp(TObject* obj, std::string_view name);
double GetFloatProp(TObject* obj, const TPropInfo* info);
void SetFloatProp(TObject* obj, std::string_view name, double value);
void SetFloatProp(TObject* obj, const TPropInfo* info, double value);

// Object references. SetObjectProp raises "Invalid property value" when the
// object is not of the property's class.
TObject* GetObjectProp(TObject* obj, std::string_view name);
TObject* GetObjectProp(TObject* obj, const TPropInfo* info);
void SetObjectProp(TObject* obj, std::string_view name, TObject* value);
void SetObjectProp(TObject* obj, const TPropInfo* info, TObject* value);
// The object cast to T; nullptr when it is not a T.
template <class T>
T* GetObjectProp(TObject* obj, std::string_view name) {
    return dynamic_cast<T*>(GetObjectProp(obj, name));
}

// Events. SetMethodProp raises "Invalid property type" for an event of
// another type; an unassigned TMethod clears the event.
TMethod GetMethodProp(TObject* obj, std::string_view name);
TMethod GetMethodProp(TObject* obj, const TPropInfo* info);
void SetMethodProp(TObject* obj, std::string_view name, const TMethod& value);
void SetMethodProp(TObject* obj, const TPropInfo* info, const TMethod& value);
// The typed event; unassigned when it holds another event type.
template <class Ev>
Ev GetEventProp(TObject* obj, std::string_view name) {
    return GetMethodProp(obj, name).template As<Ev>();
}

// Any kind except class and method, as a Variant: integers as integers,
// Int64 as Int64, Boolean as Boolean, floats as doubles (dates as dates when
// the type name is TDateTime, TDate or TTime), strings as strings, and
// enumerations and sets as their names when preferStrings (else ordinal
// values). SetPropValue converts the Variant to the property's kind
// (enumeration and set from names or numbers); Null and Empty write 0, empty
// text or the empty set.
Variant GetPropValue(TObject* obj, std::string_view name, bool preferStrings = true);
void SetPropValue(TObject* obj, std::string_view name, const Variant& value);
