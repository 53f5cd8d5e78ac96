// Reading and writing published properties and events by name, and the setters built
// on them for data sources, fields, connections and borders.
#include "suite/base/qzproputils.h"

#include "platform/core/component.h"
#include "platform/core/properties.h"
#include "platform/core/strings.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/params.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"

namespace {

const TPropInfo* Prop(TObject* obj, const std::string& name, std::initializer_list<TTypeKind> kinds) {
    return obj ? GetPropInfo(obj, name, kinds) : nullptr;
}

const TPropInfo* OrdProp(TObject* obj, const std::string& name) {
    return Prop(obj, name, {tkInteger, tkInt64, tkEnumeration, tkSet, tkBoolean});
}

TMethod MethodByName(TObject* obj, const char* name) {
    const TPropInfo* info = Prop(obj, name, {tkMethod});
    return info ? GetMethodProp(obj, info) : TMethod();
}

int64_t OrdByName(TObject* obj, const std::string& name) {
    const TPropInfo* info = OrdProp(obj, name);
    return info ? GetOrdProp(obj, info) : 0;
}

bool SetOrdByName(TObject* obj, const std::string& name, int64_t value) {
    const TPropInfo* info = OrdProp(obj, name);
    if (!info || !info->SetOrd) return false;
    SetOrdProp(obj, info, value);
    return true;
}

std::string StrByName(TObject* obj, const char* name) {
    const TPropInfo* info = Prop(obj, name, {tkString});
    return info ? GetStrProp(obj, info) : std::string();
}

bool SetStrByName(TObject* obj, const char* name, const std::string& value) {
    const TPropInfo* info = Prop(obj, name, {tkString});
    if (!info || !info->SetStr) return false;
    SetStrProp(obj, info, value);
    return true;
}

TObject* ObjByName(TObject* obj, const char* name) {
    const TPropInfo* info = Prop(obj, name, {tkClass});
    return info ? GetObjectProp(obj, info) : nullptr;
}

// Sets a class property; False when absent, read-only or of another class.
bool SetObjByName(TObject* obj, const char* name, TObject* value) {
    const TPropInfo* info = Prop(obj, name, {tkClass});
    if (!info || !info->SetObject) return false;
    if (value && info->PropClass && !value->InheritsFrom(info->PropClass)) return false;
    SetObjectProp(obj, info, value);
    return true;
}

bool IsWindowed(TObject* obj) { return dynamic_cast<TWinControl*>(obj) != nullptr; }

}  // namespace

TMethod qzGetOnInvalidValue(TObject* Component) { return MethodByName(Component, "OnInvalidValue"); }
TMethod qzGetOnPerformCustomSearch(TObject* Component) {
    return MethodByName(Component, "OnPerformCustomSearch");
}
TMethod qzGetOnCalcCellColors(TObject* Component) { return MethodByName(Component, "OnCalcCellColors"); }

int qzGetCursorLocation(TObject* DataSet) { return static_cast<int>(OrdByName(DataSet, "CursorLocation")); }
bool qzSetCursorLocation(TObject* DataSet, int Value) {
    return SetOrdByName(DataSet, "CursorLocation", Value);
}
bool qzSetMaxRecords(TObject* DataSet, int Value) { return SetOrdByName(DataSet, "MaxRecords", Value); }
std::string qzGetDatabaseName(TObject* DataSet) { return StrByName(DataSet, "DatabaseName"); }
bool qzSetDatabaseName(TObject* DataSet, const std::string& Value) {
    return SetStrByName(DataSet, "DatabaseName", Value);
}
std::string qzGetTableName(TObject* DataSet) { return StrByName(DataSet, "TableName"); }
std::string qzGetSessionName(TObject* DataSet) { return StrByName(DataSet, "SessionName"); }
bool qzSetSessionName(TObject* DataSet, const std::string& Value) {
    return SetStrByName(DataSet, "SessionName", Value);
}
TObject* qzGetConnection(TObject* DataSet) { return ObjByName(DataSet, "Connection"); }
bool qzSetConnection(TObject* DataSet, TObject* Value) { return SetObjByName(DataSet, "Connection", Value); }
std::string qzGetConnectionString(TObject* DataSet) { return StrByName(DataSet, "ConnectionString"); }
bool qzSetConnectionString(TObject* DataSet, const std::string& Value) {
    return SetStrByName(DataSet, "ConnectionString", Value);
}
TObject* qzGetDataBase(TObject* DataSet) { return ObjByName(DataSet, "DataBase"); }
bool qzSetDatabase(TObject* DataSet, TObject* Value) { return SetObjByName(DataSet, "Database", Value); }
TDataSource* qzGetMasterSource(TObject* DataSet) {
    return dynamic_cast<TDataSource*>(ObjByName(DataSet, "MasterSource"));
}
TDataSet* qzGetDataSet(TObject* Component) {
    return dynamic_cast<TDataSet*>(ObjByName(Component, "DataSet"));
}
TParams* qzGetParams(TObject* DataSet) { return dynamic_cast<TParams*>(ObjByName(DataSet, "Params")); }

bool qzSetParams(TObject* DataSet, TParams* Params) {
    TParams* own = qzGetParams(DataSet);
    if (!own) return false;
    if (Params)
        own->Assign(Params);
    else
        own->Clear();
    return true;
}

bool qzIsTransparent(TObject* Control) {
    if (OrdProp(Control, "AlwaysTransparent")) return OrdByName(Control, "AlwaysTransparent") != 0;
    return OrdByName(Control, "Transparent") != 0;
}

TDataSource* qzGetDataSource(TObject* Component) {
    return dynamic_cast<TDataSource*>(ObjByName(Component, "DataSource"));
}

bool qzSetDataSource(TObject* Control, TDataSource* Source) {
    if (!IsWindowed(Control)) return false;
    return SetObjByName(Control, "DataSource", Source);
}

std::string qzGetDataField(TObject* Control) {
    if (!IsWindowed(Control)) return std::string();
    return StrByName(Control, "DataField");
}

bool qzSetDataField(TObject* Control, const std::string& Value) {
    if (!IsWindowed(Control)) return false;
    return SetStrByName(Control, "DataField", Value);
}

bool qzGetBorderStyle(TObject* Control) { return OrdByName(Control, "BorderStyle") != 0; }

bool qzSetBorderStyle(TObject* Control, bool Value) {
    const TPropInfo* info = OrdProp(Control, "BorderStyle");
    if (!info || !info->SetOrd) return false;
    if (info->Kind == tkEnumeration) {
        try {
            SetEnumProp(Control, info, Value ? "bsSingle" : "bsNone");
        } catch (const EPropertyError&) {
            return false;
        }
        return true;
    }
    SetOrdProp(Control, info, Value ? 1 : 0);
    return true;
}

bool qzGetWantReturns(TObject* Control) { return OrdByName(Control, "WantReturns") != 0; }
bool qzGetEditCalculated(TObject* Control) { return OrdByName(Control, "EditCalculated") != 0; }
TObject* qzGetControlList(TObject* Controller) { return ObjByName(Controller, "ControlList"); }
int64_t qzGetOrdPropByName(TObject* Component, const std::string& Name) { return OrdByName(Component, Name); }
bool qzSetOrdPropByName(TObject* Component, const std::string& Name, int64_t Value) {
    return SetOrdByName(Component, Name, Value);
}

TqzOnFilterOptions qzGetOnFilterOptions(TObject* DataSet) {
    if (const TPropInfo* info = Prop(DataSet, "OnFilterOptions", {tkSet}))
        return TqzOnFilterOptions::FromBits(static_cast<uint64_t>(GetOrdProp(DataSet, info)));
    auto* ds = dynamic_cast<TDataSet*>(DataSet);
    return ds && ds->Filtered() ? TqzOnFilterOptions{ofoEnabled} : TqzOnFilterOptions{};
}

void qzSetOnFilterOptions(TObject* DataSet, bool Enable) {
    const TPropInfo* info = Prop(DataSet, "OnFilterOptions", {tkSet});
    if (!info || !info->SetOrd) return;
    TqzOnFilterOptions options = qzGetOnFilterOptions(DataSet);
    if (Enable)
        options.Include(ofoEnabled);
    else
        options.Exclude(ofoEnabled);
    SetOrdProp(DataSet, info, static_cast<int64_t>(options.Bits()));
}

bool qzClassInheritsFrom(const TClass* Class, const std::string& Name) {
    return Class && Class->InheritsFrom(std::string_view(Name));
}

bool qzClassInheritsFrom(const TObject* Object, const std::string& Name) {
    return Object && qzClassInheritsFrom(Object->ClassType(), Name);
}

bool qzSetStringsPropByName(TObject* DataSet, TStrings* Lines, const std::string& PropName) {
    if (qzClassInheritsFrom(DataSet, "TSimpleDataSet")) DataSet = ObjByName(DataSet, "DataSet");
    if (!DataSet || !Lines) return false;
    const TPropInfo* info = GetPropInfo(DataSet, PropName);
    if (!info) return false;
    if (info->Kind == tkClass) {
        auto* target = dynamic_cast<TPersistent*>(GetObjectProp(DataSet, info));
        if (!target) return false;
        target->Assign(Lines);
        return true;
    }
    if (info->Kind == tkString && info->SetStr) SetStrProp(DataSet, info, qzStringsToPChar(Lines, false));
    return false;
}

std::string qzStringsToPChar(TStrings* Lines, bool BlankSeparated) {
    std::string text;
    if (!Lines) return text;
    for (int i = 0; i < Lines->Count(); ++i) {
        if (i > 0) text += BlankSeparated ? " " : "\r\n";
        text += Lines->Strings(i);
    }
    return text;
}

TCustomForm* qzGetOwnerForm(TComponent* Component) {
    for (TComponent* c = Component; c; c = c->Owner())
        if (auto* form = dynamic_cast<TCustomForm*>(c)) return form;
    return nullptr;
}

TComponent* qzGetOwnerContainer(TComponent* Component) {
    for (TComponent* c = Component ? Component->Owner() : nullptr; c; c = c->Owner())
        if (dynamic_cast<TCustomForm*>(c)) return c;
    return nullptr;
}
