// Field definitions: what columns a dataset's data holds (name, type, size,
// required), as the dataset describes them (InternalInitFieldDefs) or as a
// program sets them up to create a table. Default fields are made from them.
#pragma once

#include <string>

#include "platform/core/collection.h"
#include "platform/db/dbtypes.h"

class TDataSet;
class TField;
class TFieldDefs;
class TComponent;

class TFieldDef : public TCollectionItem {
    TASKMOOR_CLASS(TFieldDef, TCollectionItem)
public:
    explicit TFieldDef(TCollection* Collection);

    const std::string& Name() const { return FName; }
    void SetName(const std::string& Value);
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType Value);
    // Text length of string fields; 0 for most other types.
    int Size() const { return FSize; }
    void SetSize(int Value);
    bool Required() const { return FRequired; }
    void SetRequired(bool Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }
    // 1-based position among the definitions.
    int FieldNo() const { return Index() + 1; }
    // The field a dataset with default fields makes for this definition,
    // owned by AOwner and joined to the definitions' dataset. Raises "Field
    // '%s' is of an unknown type" for a type without a field class.
    TField* CreateField(TComponent* AOwner);
    void Assign(TPersistent* Source) override;

protected:
    std::string GetDisplayName() const override { return FName; }

private:
    friend class TFieldDefs;
    std::string FName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    bool FRequired = false;
    int FPrecision = 0;
};

class TFieldDefs : public TOwnedCollection {
    TASKMOOR_CLASS(TFieldDefs, TOwnedCollection)
public:
    // Owner may be nullptr for definitions kept apart from a dataset.
    explicit TFieldDefs(TDataSet* AOwner);

    TDataSet* DataSet() const { return FDataSet; }
    TFieldDef* Items(int Index) const;
    TFieldDef* operator[](int Index) const { return Items(Index); }
    // A new definition at the end; a name already defined (any case) raises
    // "Duplicate field name '%s'".
    TFieldDef* Add(const std::string& Name, TFieldType DataType, int Size = 0, bool Required = false);
    TFieldDef* AddFieldDef();
    // Position of the definition named Name (any case); -1 when none.
    int IndexOf(const std::string& Name) const;
    // Raises "Field '%s' not found".
    TFieldDef* Find(const std::string& Name) const;
    using TCollection::Update;
    // Asks the dataset to describe its data again.
    void Update();
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool Value) { FUpdated = Value; }

private:
    TDataSet* FDataSet;
    bool FUpdated = false;
};
