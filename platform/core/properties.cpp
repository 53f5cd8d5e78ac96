// Reading and writing published properties by name.
#include "platform/core/properties.h"

#include <algorithm>
#include <charconv>

#include "platform/core/variant.h"

namespace {

[[noreturn]] void UnknownProperty(std::string_view name) {
    throw EPropertyError("Property " + std::string(name) + " does not exist");
}

[[noreturn]] void ReadOnlyProperty(const TPropInfo* info) {
    throw EPropertyError("Property " + info->Name + " is read-only");
}

[[noreturn]] void InvalidType(const TPropInfo* info) {
    throw EPropertyError("Invalid property type: " + info->TypeName);
}

// The property of obj named name; raises when there is none.
const TPropInfo* Find(const TObject* obj, std::string_view name) {
    const TPropInfo* info = GetPropInfo(obj, name);
    if (!info) UnknownProperty(name);
    return info;
}

// Guards the by-information forms against information of an unrelated class,
// whose accessors would cast the object to the wrong type.
void Check(const TObject* obj, const TPropInfo* info) {
    if (!info) throw EPropertyError("Property information is nil");
    if (!obj) throw EPropertyError("Property " + info->Name + " read on a nil object");
    if (info->OwnerClass && !obj->ClassType()->InheritsFrom(info->OwnerClass)) UnknownProperty(info->Name);
}

bool IsDateTypeName(const std::string& typeName) {
    return SameName(typeName, "TDateTime") || SameName(typeName, "TDate") || SameName(typeName, "TTime");
}

// An enumeration value from an element name or decimal digits.
int64_t EnumValueFromText(const TPropInfo* info, std::string_view text) {
    const int value = info->EnumType ? info->EnumType->ValueOf(text) : -1;
    if (value >= 0) return value;
    int64_t number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc() && end == text.data() + text.size() && !text.empty() && info->EnumType &&
        number >= 0 && number < info->EnumType->Count())
        return number;
    throw EPropertyError("Invalid property element: " + std::string(text));
}

}  // namespace

// ---- Looking properties up ----------------------------------------------------

const TPropInfo* GetPropInfo(const TClass* cls, std::string_view name) {
    return cls ? cls->FindProperty(name) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
    return obj ? obj->ClassType()->FindProperty(name) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name,
                             std::initializer_list<TTypeKind> kinds) {
    const TPropInfo* info = GetPropInfo(obj, name);
    if (info && std::find(kinds.begin(), kinds.end(), info->Kind) == kinds.end()) return nullptr;
    return info;
}

bool IsPublishedProp(const TObject* obj, std::string_view name) { return GetPropInfo(obj, name) != nullptr; }
bool IsPublishedProp(const TClass* cls, std::string_view name) { return GetPropInfo(cls, name) != nullptr; }

bool PropIsType(const TObject* obj, std::string_view name, TTypeKind kind) {
    const TPropInfo* info = GetPropInfo(obj, name);
    return info && info->Kind == kind;
}

TTypeKind PropType(const TObject* obj, std::string_view name) { return Find(obj, name)->Kind; }

std::vector<const TPropInfo*> GetPropList(const TClass* cls) {
    return cls ? cls->Properties() : std::vector<const TPropInfo*>();
}

std::vector<const TPropInfo*> GetPropList(const TObject* obj) {
    return obj ? obj->ClassType()->Properties() : std::vector<const TPropInfo*>();
}

std::vector<const TPropInfo*> GetPropList(const TObject* obj, std::initializer_list<TTypeKind> kinds) {
    std::vector<const TPropInfo*> list = GetPropList(obj);
    std::erase_if(list, [&](const TPropInfo* p) {
        return std::find(kinds.begin(), kinds.end(), p->Kind) == kinds.end();
    });
    return list;
}

// ---- Ordinals ------------------------------------------------------------------

int64_t GetOrdProp(TObject* obj, const TPropInfo* info) {
    Check(obj, info);
    if (!IsOrdinalKind(info->Kind)) InvalidType(info);
    return info->GetOrd(obj);
}

void SetOrdProp(TObject* obj, const TPropInfo* info, int64_t value) {
    Check(obj, info);
    if (!IsOrdinalKind(info->Kind)) InvalidType(info);
    if (!info->SetOrd) ReadOnlyProperty(info);
    info->SetOrd(obj, value);
}

int64_t GetOrdProp(TObject* obj, std::string_view name) { return GetOrdProp(obj, Find(obj, name)); }
void SetOrdProp(TObject* obj, std::string_view name, int64_t value) {
    SetOrdProp(obj, Find(obj, name), value);
}
int64_t GetInt64Prop(TObject* obj, std::string_view name) { return GetOrdProp(obj, name); }
void SetInt64Prop(TObject* obj, std::string_view name, int64_t value) { SetOrdProp(obj, name, value); }

// ---- Enumerations and sets ---------------------------------------------------------

std::string GetEnumProp(TObject* obj, const TPropInfo* info) {
    Check(obj, info);
    if (info->Kind != tkEnumeration && info->Kind != tkBoolean) InvalidType(info);
    return info->EnumType->NameOf(info->GetOrd(obj));
}

void SetEnumProp(TObject* obj, const TPropInfo* info, std::string_view value) {
    Check(obj, info);
    if (info->Kind != tkEnumeration && info->Kind != tkBoolean) InvalidType(info);
    if (!info->SetOrd) ReadOnlyProperty(info);
    info->SetOrd(obj, EnumValueFromText(info, value));
}

std::string GetEnumProp(TObject* obj, std::string_view name) { return GetEnumProp(obj, Find(obj, name)); }
void SetEnumProp(TObject* obj, std::string_view name, std::string_view value) {
    SetEnumProp(obj, Find(obj, name), value);
}

std::string GetSetProp(TObject* obj, const TPropInfo* info, bool brackets) {
    Check(obj, info);
    if (info->Kind != tkSet) InvalidType(info);
    return SetToString(*info->EnumType, static_cast<uint64_t>(info->GetOrd(obj)), brackets);
}

void SetSetProp(TObject* obj, const TPropInfo* info, std::string_view value) {
    Check(obj, info);
    if (info->Kind != tkSet) InvalidType(info);
    if (!info->SetOrd) ReadOnlyProperty(info);
    info->SetOrd(obj, static_cast<int64_t>(StringToSet(*info->EnumType, value)));
}

std::string GetSetProp(TObject* obj, std::string_view name, bool brackets) {
    return GetSetProp(obj, Find(obj, name), brackets);
}
void SetSetProp(TObject* obj, std::string_view name, std::string_view value) {
    SetSetProp(obj, Find(obj, name), value);
}

// ---- Strings and floats -----------------------------------------------------------

std::string GetStrProp(TObject* obj, const TPropInfo* info) {
    Check(obj, info);
    if (info->Kind != tkString) InvalidType(info);
    return info->GetStr(obj);
}

void SetStrProp(TObject* obj, const TPropInfo* info, const std::string& value) {
    Check(obj, info);
    if (info->Kind != tkString) InvalidType(info);
    if (!info->SetStr) ReadOnlyProperty(info);
    info->SetStr(obj, value);
}

std::string GetStrProp(TObject* obj, std::string_view name) { return GetStrProp(obj, Find(obj, name)); }
void SetStrProp(TObject* obj, std::string_view name, const std::string& value) {
    SetStrProp(obj, Find(obj, name), value);
}

double GetFloatProp(TObject* obj, const TPropInfo* info) {
    Check(obj, info);
    if (info->Kind != tkFloat) InvalidType(info);
    return info->GetFloat(obj);
}

void SetFloatProp(TObject* obj, const TPropInfo* info, double value) {
    Check(obj, info);
    if (info->Kind != tkFloat) InvalidType(info);
    if (!info->SetFloat) ReadOnlyProperty(info);
    info->SetFloat(obj, value);
}

double GetFloatProp(TObject* obj, std::string_view name) { return GetFloatProp(obj, Find(obj, name)); }
void SetFloatProp(TObject* obj, std::string_view name, double value) {
    SetFloatProp(obj, Find(obj, name), value);
}

// ---- Objects and events -------------------------------------------------------------

TObject* GetObjectProp(TObject* obj, const TPropInfo* info) {
    Check(obj, info);
    if (info->Kind != tkClass) InvalidType(info);
    return info->GetObject(obj);
}

void SetObjectProp(TObject* obj, const TPropInfo* info, TObject* value) {
    Check(obj, info);
    if (info->Kind != tkClass) InvalidType(info);
    if (!info->SetObject) ReadOnlyProperty(info);
    info->SetObject(obj, value);
}

TObject* GetObjectProp(TObject* obj, std::string_view name) { return GetObjectProp(obj, Find(obj, name)); }
void SetObjectProp(TObject* obj, std::string_view name, TObject* value) {
    SetObjectProp(obj, Find(obj, name), value);
}

TMethod GetMethodProp(TObject* obj, const TPropInfo* info) {
    Check(obj, info);
    if (info->Kind != tkMethod) InvalidType(info);
    return info->GetMethod(obj);
}

void SetMethodProp(TObject* obj, const TPropInfo* info, const TMethod& value) {
    Check(obj, info);
    if (info->Kind != tkMethod) InvalidType(info);
    if (!info->SetMethod) ReadOnlyProperty(info);
    info->SetMethod(obj, value);
}

TMethod GetMethodProp(TObject* obj, std::string_view name) { return GetMethodProp(obj, Find(obj, name)); }
void SetMethodProp(TObject* obj, std::string_view name, const TMethod& value) {
    SetMethodProp(obj, Find(obj, name), value);
}

// ---- Variants -------------------------------------------------------------------------

Variant GetPropValue(TObject* obj, std::string_view name, bool preferStrings) {
    const TPropInfo* info = Find(obj, name);
    switch (info->Kind) {
    case tkInteger: return Variant(static_cast<int>(info->GetOrd(obj)));
    case tkInt64: return Variant(static_cast<long long>(info->GetOrd(obj)));
    case tkBoolean: return Variant(info->GetOrd(obj) != 0);
    case tkEnumeration:
        if (preferStrings) return Variant(GetEnumProp(obj, info));
        return Variant(static_cast<int>(info->GetOrd(obj)));
    case tkSet:
        if (preferStrings) return Variant(GetSetProp(obj, info));
        return Variant(static_cast<long long>(info->GetOrd(obj)));
    case tkFloat:
        if (IsDateTypeName(info->TypeName)) return Variant::FromDateTime(info->GetFloat(obj));
        return Variant(info->GetFloat(obj));
    case tkString: return Variant(info->GetStr(obj));
    default: InvalidType(info);
    }
}

void SetPropValue(TObject* obj, std::string_view name, const Variant& value) {
    const TPropInfo* info = Find(obj, name);
    const bool blank = value.IsNull() || value.IsEmpty();
    switch (info->Kind) {
    case tkInteger:
    case tkInt64: SetOrdProp(obj, info, blank ? 0 : value.AsInt64()); break;
    case tkBoolean: SetOrdProp(obj, info, !blank && value.AsBoolean() ? 1 : 0); break;
    case tkEnumeration:
        if (blank)
            SetOrdProp(obj, info, 0);
        else if (value.VarType() == varString)
            SetEnumProp(obj, info, value.AsString());
        else
            SetOrdProp(obj, info, value.AsInt64());
        break;
    case tkSet:
        if (blank)
            SetOrdProp(obj, info, 0);
        else if (value.VarType() == varString)
            SetSetProp(obj, info, value.AsString());
        else
            SetOrdProp(obj, info, value.AsInt64());
        break;
    case tkFloat: SetFloatProp(obj, info, blank ? 0.0 : value.AsDouble()); break;
    case tkString: SetStrProp(obj, info, blank ? std::string() : value.AsString()); break;
    default: InvalidType(info);
    }
}
