// Setting a parameter's value by type, copying one from a field, and finding
// parameters by name.
#include "platform/db/params.h"

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fields.h"

TParam::TParam(TCollection* Collection) : TCollectionItem(Collection) { FValue = Null(); }

void TParam::SetAsString(const std::string& Value) {
    TypeIfUnknown(ftString);
    FValue = Variant(Value);
}

void TParam::SetAsInteger(int Value) {
    TypeIfUnknown(ftInteger);
    FValue = Variant(Value);
}

void TParam::SetAsFloat(double Value) {
    TypeIfUnknown(ftFloat);
    FValue = Variant(Value);
}

void TParam::SetAsBoolean(bool Value) {
    TypeIfUnknown(ftBoolean);
    FValue = Variant(Value);
}

void TParam::AssignField(TField* Field) {
    if (!Field) {
        Clear();
        return;
    }
    TypeIfUnknown(Field->DataType());
    if (FName.empty()) FName = Field->FieldName();
    FValue = Field->AsVariant();
}

void TParam::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TParam*>(Source)) {
        FName = p->FName;
        FDataType = p->FDataType;
        FParamType = p->FParamType;
        FSize = p->FSize;
        FValue = p->FValue;
        return;
    }
    if (auto* f = dynamic_cast<TField*>(Source)) {
        AssignField(f);
        return;
    }
    TCollectionItem::Assign(Source);
}

std::string TParam::GetDisplayName() const {
    return FName.empty() ? TCollectionItem::GetDisplayName() : FName;
}

void TParam::Publish(TPublisher<TParam>& p) {
    p.Property("Name", &TParam::Name, &TParam::SetName);
    p.Property("DataType", &TParam::DataType, &TParam::SetDataType);
    p.Property("ParamType", &TParam::ParamType, &TParam::SetParamType);
    p.Property("Size", &TParam::Size, &TParam::SetSize);
}

TParams::TParams() : TCollection(CollectionItemClass<TParam>()) {}

TParams::TParams(TPersistent* AOwner) : TCollection(CollectionItemClass<TParam>()), FOwner(AOwner) {}

TParam* TParams::AddParam(const std::string& Name, TFieldType DataType, TParamType ParamType) {
    auto* p = static_cast<TParam*>(Add());
    p->SetName(Name);
    p->SetDataType(DataType);
    p->SetParamType(ParamType);
    return p;
}

TParam* TParams::FindParam(const std::string& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiCompareText(Items(i)->Name(), Name) == 0) return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(const std::string& Name) const {
    if (TParam* p = FindParam(Name)) return p;
    throw EDatabaseError("Parameter '" + Name + "' not found");
}
