// TParam and TParams: the named parameters of a query or stored procedure.
// A parameter has a name, a data type, a direction and a value; TParams is
// the ordered collection of them, copied as a whole with Assign.
#pragma once

#include <string>

#include "platform/core/collection.h"
#include "platform/core/properties.h"
#include "platform/core/variant.h"
#include "platform/db/dbtypes.h"

class TField;

TASKMOOR_ENUM(TParamType, ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult)

class TParam : public TCollectionItem {
    TASKMOOR_CLASS(TParam, TCollectionItem)
public:
    explicit TParam(TCollection* Collection);

    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value) { FName = Value; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType Value) { FDataType = Value; }
    TParamType ParamType() const { return FParamType; }
    void SetParamType(TParamType Value) { FParamType = Value; }
    // Bytes of a text value; 0 when not set.
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }

    // Null until a value is set.
    const Variant& Value() const { return FValue; }
    void SetValue(const Variant& Value) { FValue = Value; }
    bool IsNull() const { return FValue.IsNull() || FValue.IsEmpty(); }
    void Clear() { FValue = Null(); }
    std::string AsString() const { return IsNull() ? std::string() : FValue.AsString(); }
    void SetAsString(const std::string& Value);
    int AsInteger() const { return IsNull() ? 0 : FValue.AsInteger(); }
    void SetAsInteger(int Value);
    double AsFloat() const { return IsNull() ? 0.0 : FValue.AsDouble(); }
    void SetAsFloat(double Value);
    bool AsBoolean() const { return !IsNull() && FValue.AsBoolean(); }
    void SetAsBoolean(bool Value);

    // Takes the field's value; the data type too while it is unknown.
    void AssignField(TField* Field);
    // Name, type, direction, size and value of another parameter.
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TParam>& p);

protected:
    std::string GetDisplayName() const override;

private:
    void TypeIfUnknown(TFieldType Type) {
        if (FDataType == ftUnknown) FDataType = Type;
    }
    std::string FName;
    TFieldType FDataType = ftUnknown;
    TParamType FParamType = ptUnknown;
    int FSize = 0;
    Variant FValue;
};

class TParams : public TCollection {
    TASKMOOR_CLASS(TParams, TCollection)
public:
    TParams();
    explicit TParams(TPersistent* AOwner);

    TParam* Items(int Index) const { return static_cast<TParam*>(TCollection::Items(Index)); }
    TParam* operator[](int Index) const { return Items(Index); }
    // A new parameter at the end.
    TParam* AddParam(const std::string& Name, TFieldType DataType = ftUnknown,
                     TParamType ParamType = ptInput);
    // By name, ignoring case; nullptr when there is none.
    TParam* FindParam(const std::string& Name) const;
    // Raises EDatabaseError "Parameter '%s' not found".
    TParam* ParamByName(const std::string& Name) const;
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner = nullptr;
};
