// Field definitions.
#include "platform/db/fielddefs.h"

#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"

TFieldDef::TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {}

void TFieldDef::SetName(const std::string& Value) {
    if (Value == FName) return;
    if (auto* defs = dynamic_cast<TFieldDefs*>(Collection())) {
        const int other = defs->IndexOf(Value);
        if (other >= 0 && other != Index()) DatabaseErrorFmt(SDuplicateFieldName, Value);
    }
    FName = Value;
    Changed(false);
}

void TFieldDef::SetDataType(TFieldType Value) {
    FDataType = Value;
    Changed(false);
}

void TFieldDef::SetSize(int Value) {
    FSize = Value < 0 ? 0 : Value;
    Changed(false);
}

void TFieldDef::SetRequired(bool Value) {
    FRequired = Value;
    Changed(false);
}

TField* TFieldDef::CreateField(TComponent* AOwner) {
    TField* field = CreateFieldOfType(FDataType, AOwner);
    if (!field) DatabaseErrorFmt(SUnknownFieldType, FName);
    try {
        field->FFieldName = FName;
        if (FDataType == ftString) field->SetSize(FSize);
        field->SetRequired(FRequired);
        auto* defs = dynamic_cast<TFieldDefs*>(Collection());
        if (defs && defs->DataSet()) field->SetDataSet(defs->DataSet());
    } catch (...) {
        delete field;
        throw;
    }
    return field;
}

void TFieldDef::Assign(TPersistent* Source) {
    if (auto* def = dynamic_cast<TFieldDef*>(Source)) {
        FName = def->FName;
        FDataType = def->FDataType;
        FSize = def->FSize;
        FRequired = def->FRequired;
        FPrecision = def->FPrecision;
        Changed(false);
        return;
    }
    inherited::Assign(Source);
}

TFieldDefs::TFieldDefs(TDataSet* AOwner)
    : TOwnedCollection(AOwner, CollectionItemClass<TFieldDef>()), FDataSet(AOwner) {}

TFieldDef* TFieldDefs::Items(int Index) const { return static_cast<TFieldDef*>(TCollection::Items(Index)); }

TFieldDef* TFieldDefs::Add(const std::string& Name, TFieldType DataType, int Size, bool Required) {
    if (Name.empty()) DatabaseError(SFieldNameMissing);
    if (IndexOf(Name) >= 0) DatabaseErrorFmt(SDuplicateFieldName, Name);
    BeginUpdate();
    TFieldDef* def = AddFieldDef();
    def->FName = Name;
    def->FDataType = DataType;
    def->FSize = Size < 0 ? 0 : Size;
    def->FRequired = Required;
    EndUpdate();
    return def;
}

TFieldDef* TFieldDefs::AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }

int TFieldDefs::IndexOf(const std::string& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), Name)) return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const std::string& Name) const {
    const int index = IndexOf(Name);
    if (index < 0) DatabaseErrorFmt(SFieldNotFound, Name);
    return Items(index);
}

void TFieldDefs::Update() {
    if (FDataSet) FDataSet->InitFieldDefs();
}
