// TField and TFields: binding, presentation settings and the conversions
// every field type shares.
#include "platform/db/fields.h"

#include <algorithm>
#include <cstring>

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/db_internal.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fielddefs.h"

std::vector<std::string> SplitFieldNames(const std::string& names) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        std::string name = Trim(names.substr(start, end - start));
        if (!name.empty()) result.push_back(name);
        start = end + 1;
    }
    return result;
}

// ---------------------------------------------------------------------------
// TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) { FValidChars.set(); }

TField::~TField() {
    if (FDataSet) {
        TDataSet* dataSet = FDataSet;
        dataSet->FFields->Remove(this);
        if (!dataSet->ComponentState().Contains(csDestroying)) dataSet->DataEvent(deFieldListChange, 0);
    }
}

void TField::SetDataSet(TDataSet* ADataSet) {
    if (ADataSet == FDataSet) return;
    if (FDataSet) FDataSet->CheckInactive();
    if (ADataSet) {
        ADataSet->CheckInactive();
        if (!FFieldName.empty() && ADataSet->FindField(FFieldName))
            DatabaseErrorFmt(SDuplicateFieldName, FFieldName);
    }
    if (FDataSet) {
        TDataSet* old = FDataSet;
        old->FFields->Remove(this);
        old->DataEvent(deFieldListChange, 0);
    }
    if (ADataSet) {
        ADataSet->FFields->Add(this);
        ADataSet->DataEvent(deFieldListChange, 0);
    }
}

void TField::SetFieldName(const std::string& Value) {
    if (Value == FFieldName) return;
    if (FDataSet) {
        FDataSet->CheckInactive();
        TField* other = FDataSet->FindField(Value);
        if (other && other != this) DatabaseErrorFmt(SDuplicateFieldName, Value);
    }
    FFieldName = Value;
    if (FDataSet) FDataSet->DataEvent(deFieldListChange, 0);
}

int TField::Index() const { return FDataSet ? FDataSet->FFields->IndexOf(this) : -1; }

void TField::SetIndex(int Value) {
    if (!FDataSet) return;
    FDataSet->FFields->SetFieldIndex(this, Value);
}

void TField::SetFieldKind(TFieldKind Value) {
    if (Value == FFieldKind) return;
    if (FDataSet) FDataSet->CheckInactive();
    if (Value != fkData && IsBlob()) DatabaseErrorFmt(SInvalidCalcType, DisplayName());
    FFieldKind = Value;
}

void TField::SetCalculated(bool Value) {
    if (Value)
        SetFieldKind(fkCalculated);
    else if (FFieldKind == fkCalculated)
        SetFieldKind(fkData);
}

void TField::SetLookup(bool Value) {
    if (Value)
        SetFieldKind(fkLookup);
    else if (FFieldKind == fkLookup)
        SetFieldKind(fkData);
}

void TField::SetSize(int Value) {
    if (FDataSet) FDataSet->CheckInactive();
    FSize = std::max(0, Value);
}

bool TField::CanModify() const {
    if (!FDataSet) return false;
    if (FFieldKind == fkLookup) {
        if (FReadOnly || FKeyFields.empty()) return false;
        for (const std::string& name : SplitFieldNames(FKeyFields)) {
            TField* key = FDataSet->FindField(name);
            if (!key || key == this || !key->CanModify()) return false;
        }
        return true;
    }
    if (FFieldNo <= 0) return false;
    if (FDataSet->State() == dsSetKey) return true;
    return !FReadOnly && FDataSet->CanModify();
}

void TField::SetDisplayLabel(const std::string& Value) {
    const std::string label = Value == FFieldName ? std::string() : Value;
    if (label == FDisplayLabel) return;
    FDisplayLabel = label;
    PropertyChanged(true);
}

void TField::SetDisplayWidth(int Value) {
    if (Value == FDisplayWidth) return;
    FDisplayWidth = std::max(0, Value);
    PropertyChanged(true);
}

void TField::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    PropertyChanged(false);
}

void TField::SetEditMask(const std::string& Value) {
    FEditMask = Value;
    PropertyChanged(false);
}

void TField::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    PropertyChanged(true);
}

void TField::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    PropertyChanged(true);
}

bool TField::IsValidChar(char InputChar) const {
    return FValidChars.test(static_cast<unsigned char>(InputChar));
}

void TField::SetLookupDataSet(TDataSet* Value) {
    if (Value == FLookupDataSet) return;
    if (FDataSet) FDataSet->CheckInactive();
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = Value;
    if (Value) Value->FreeNotification(this);
}

void TField::SetKeyFields(const std::string& Value) {
    if (FDataSet) FDataSet->CheckInactive();
    FKeyFields = Value;
}

void TField::SetLookupKeyFields(const std::string& Value) {
    if (FDataSet) FDataSet->CheckInactive();
    FLookupKeyFields = Value;
}

void TField::SetLookupResultField(const std::string& Value) {
    if (FDataSet) FDataSet->CheckInactive();
    FLookupResultField = Value;
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

void TField::SetAsVariant(const Variant& Value) {
    if (Value.IsNull() || Value.IsEmpty())
        Clear();
    else
        SetVarValue(Value);
}

std::string TField::Text() const {
    std::string text;
    if (FOnGetText.Assigned())
        FOnGetText(const_cast<TField*>(this), text, false);
    else
        DoGetText(text, false);
    return text;
}

void TField::SetText(const std::string& Value) {
    if (FOnSetText.Assigned())
        FOnSetText(this, Value);
    else
        DoSetText(Value);
}

std::string TField::DisplayText() const {
    std::string text;
    if (FOnGetText.Assigned())
        FOnGetText(const_cast<TField*>(this), text, true);
    else
        DoGetText(text, true);
    return text;
}

bool TField::GetData(void* Buffer) const {
    if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, DisplayName());
    if (FValidating) {
        // OnValidate reads the value about to be stored.
        if (!FValidateBuffer) return false;
        if (Buffer && DataSize() > 0) std::memcpy(Buffer, FValidateBuffer, static_cast<size_t>(DataSize()));
        return true;
    }
    return FDataSet->GetFieldData(const_cast<TField*>(this), Buffer);
}

bool TField::GetWholeText(std::string& Text) const {
    if (!FDataSet || !FDataSet->GetFieldText(const_cast<TField*>(this), nullptr)) return false;
    if (FValidating) {
        // OnValidate reads the text about to be stored (a whole text ends at its zero byte)
        Text = FValidateBuffer ? static_cast<const char*>(FValidateBuffer) : "";
        return true;
    }
    return FDataSet->GetFieldText(const_cast<TField*>(this), &Text);
}

bool TField::SetWholeText(const std::string& Text) { return FDataSet && FDataSet->SetFieldText(this, Text); }

void TField::SetData(const void* Buffer) {
    if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, DisplayName());
    FDataSet->SetFieldData(this, Buffer);
}

void TField::Validate(const void* Buffer) {
    if (!FOnValidate.Assigned()) return;
    const bool wasValidating = FValidating;
    const void* oldBuffer = FValidateBuffer;
    FValidating = true;
    FValidateBuffer = Buffer;
    try {
        FOnValidate(this);
    } catch (...) {
        FValidating = wasValidating;
        FValidateBuffer = oldBuffer;
        throw;
    }
    FValidating = wasValidating;
    FValidateBuffer = oldBuffer;
}

void TField::FocusControl() {
    if (!FDataSet || !FDataSet->Active()) return;
    TField* field = this;
    FDataSet->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&field));
}

void TField::Assign(TPersistent* Source) {
    if (!Source) {
        Clear();
        return;
    }
    if (auto* field = dynamic_cast<TField*>(Source)) {
        SetAsVariant(field->AsVariant());
        return;
    }
    inherited::Assign(Source);
}

void TField::AccessError(const char* TypeName) const {
    DatabaseErrorFmt(SFieldAccessError, DisplayName(), TypeName);
}

std::string TField::GetAsString() const { AccessError("String"); }
void TField::SetAsStringValue(const std::string&) { AccessError("String"); }
int TField::GetAsInteger() const { AccessError("Integer"); }
void TField::SetAsIntegerValue(int) { AccessError("Integer"); }
int64_t TField::GetAsLargeInt() const { AccessError("LargeInt"); }
void TField::SetAsLargeIntValue(int64_t) { AccessError("LargeInt"); }
double TField::GetAsFloat() const { AccessError("Float"); }
void TField::SetAsFloatValue(double) { AccessError("Float"); }
bool TField::GetAsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBooleanValue(bool) { AccessError("Boolean"); }
TDateTime TField::GetAsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTimeValue(TDateTime) { AccessError("DateTime"); }
Variant TField::GetAsVariant() const { AccessError("Variant"); }
void TField::SetVarValue(const Variant&) { AccessError("Variant"); }

void TField::DoGetText(std::string& Text, bool) const { Text = IsNull() ? std::string() : GetAsString(); }

void TField::Bind(bool Binding) {
    if (!Binding || FFieldKind != fkLookup) return;
    if (!FLookupDataSet || FKeyFields.empty() || FLookupKeyFields.empty() || FLookupResultField.empty())
        DatabaseErrorFmt(SLookupInfoError, DisplayName());
    // Opening the lookup dataset from here would open this one again.
    if (FLookupDataSet == FDataSet) DatabaseError(SCircularDataLink);
    FDataSet->GetFieldList(FKeyFields);
    FLookupDataSet->Open();
    FLookupDataSet->GetFieldList(FLookupKeyFields);
    FLookupDataSet->FieldByName(FLookupResultField);
}

void TField::PropertyChanged(bool LayoutAffected) {
    if (!FDataSet || !FDataSet->Active()) return;
    FDataSet->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::CheckInactive() const {
    if (FDataSet) FDataSet->CheckInactive();
}

void TField::CalcLookupValue() {
    Variant value = Null();
    if (FLookupDataSet && FLookupDataSet->Active()) {
        const Variant keys = FDataSet->FieldValues(FKeyFields);
        bool anyNull = keys.IsNull();
        if (keys.IsArray())
            for (const Variant& key : keys.ArrayItems()) anyNull = anyNull || key.IsNull();
        if (!anyNull) value = FLookupDataSet->Lookup(FLookupKeyFields, keys, FLookupResultField);
    }
    SetAsVariant(value);
}

void TField::Publish(TPublisher<TField>& p) {
    p.Property("Alignment", &TField::Alignment, &TField::SetAlignment);
    p.Property("DefaultExpression", &TField::DefaultExpression, &TField::SetDefaultExpression);
    p.Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel);
    p.Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth);
    p.Property("EditMask", &TField::EditMask, &TField::SetEditMask);
    p.Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind);
    p.Property("FieldName", &TField::FieldName, &TField::SetFieldName);
    p.Property("Index", &TField::Index, &TField::SetIndex);
    p.Property("KeyFields", &TField::KeyFields, &TField::SetKeyFields);
    p.Property("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
    p.Property("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
    p.Property("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
    p.Property("Origin", &TField::Origin, &TField::SetOrigin);
    p.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly);
    p.Property("Required", &TField::Required, &TField::SetRequired);
    p.Property("Size", &TField::Size, &TField::SetSize);
    p.Property("Visible", &TField::Visible, &TField::SetVisible);
    p.Property("OnChange", &TField::OnChange, &TField::SetOnChange);
    p.Property("OnGetText", &TField::OnGetText, &TField::SetOnGetText);
    p.Property("OnSetText", &TField::OnSetText, &TField::SetOnSetText);
    p.Property("OnValidate", &TField::OnValidate, &TField::SetOnValidate);
}

// ---------------------------------------------------------------------------
// TFields

TFields::~TFields() {
    for (TField* field : FList) field->FDataSet = nullptr;
}

TField* TFields::Fields(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
    return FList[static_cast<size_t>(Index)];
}

int TFields::IndexOf(const TField* Field) const {
    auto it = std::find(FList.begin(), FList.end(), Field);
    return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

TField* TFields::FindField(const std::string& FieldName) const {
    for (TField* field : FList)
        if (AnsiSameText(field->FFieldName, FieldName)) return field;
    return nullptr;
}

TField* TFields::FieldByName(const std::string& FieldName) const {
    TField* field = FindField(FieldName);
    if (!field) DatabaseErrorFmt(SFieldNotFound, FieldName);
    return field;
}

TField* TFields::FieldByNumber(int FieldNo) const {
    for (TField* field : FList)
        if (field->FFieldNo == FieldNo && field->FFieldKind == fkData) return field;
    return nullptr;
}

void TFields::Add(TField* Field) {
    FList.push_back(Field);
    Field->FDataSet = FDataSet;
}

void TFields::Remove(TField* Field) {
    auto it = std::find(FList.begin(), FList.end(), Field);
    if (it == FList.end()) return;
    FList.erase(it);
    Field->FDataSet = nullptr;
}

void TFields::Clear() {
    while (!FList.empty()) {
        TField* field = FList.back();
        FList.pop_back();
        field->FDataSet = nullptr;
        delete field;
    }
}

void TFields::SetFieldIndex(TField* Field, int Value) {
    const int current = IndexOf(Field);
    if (current < 0) return;
    Value = std::clamp(Value, 0, Count() - 1);
    if (Value == current) return;
    FList.erase(FList.begin() + current);
    FList.insert(FList.begin() + Value, Field);
    if (FDataSet) {
        FDataSet->DataEvent(deFieldListChange, 0);
        if (FDataSet->Active()) FDataSet->DataEvent(deLayoutChange, 0);
    }
}

bool IsTextField(const TField* Field) {
    if (!Field) return false;
    const TFieldType t = Field->DataType();
    return t == ftString || t == ftFixedChar || t == ftWideString;
}

int TextRoomOf(const TField* Field) {
    if (!IsTextField(Field)) return 0;
    // a dataset that keeps texts of any length cuts none
    TDataSet* ds = Field->DataSet();
    if (ds && ds->GetFieldText(const_cast<TField*>(Field), nullptr)) return 0;
    return std::max(0, Field->Size());
}

bool IsWholeNumberType(TFieldType Type) {
    return Type == ftSmallint || Type == ftWord || Type == ftInteger || Type == ftLargeint ||
           Type == ftAutoInc;
}

bool IsFractionType(TFieldType Type) { return Type == ftFloat || Type == ftCurrency || Type == ftBCD; }

bool IsBinaryBlob(const TField* Field) {
    if (!Field || !Field->IsBlob()) return false;
    const TFieldType t = Field->DataType();
    return t != ftMemo && t != ftFmtMemo && t != ftOraClob;
}
