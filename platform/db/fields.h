// TField: one column of a dataset, as the program sees it. A field reads and
// writes its value through its dataset (GetFieldData / SetFieldData in the
// field type's native layout, see fieldtypes.h), converts it to and from
// text, integers, floats, Booleans, dates and variants, and carries the
// presentation settings controls use (label, width, alignment, formats,
// masks). TFields is a dataset's ordered list of its fields.
//
// Fields are components: default fields (made from the field definitions
// when a dataset opens without persistent fields) are owned by the dataset;
// persistent fields are owned by whoever created them and join a dataset
// through SetDataSet. A data field is bound to the field definition of its
// name when the dataset opens; calculated and lookup fields keep their values
// in the dataset's calculated-field area at Offset().
#pragma once

#include <bitset>
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/datetime.h"
#include "platform/core/events.h"
#include "platform/core/variant.h"
#include "platform/db/dbtypes.h"

class TDataSet;
class TField;
class TFields;

using TFieldNotifyEvent = TEvent<TField*>;
// (Sender, var Text, DisplayText): DisplayText is False when the edit text is asked.
using TFieldGetTextEvent = TEvent<TField*, std::string&, bool>;
using TFieldSetTextEvent = TEvent<TField*, const std::string&>;

using TFieldChars = std::bitset<256>;

class TField : public TComponent {
    TASKMOOR_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    // ---- Binding ----
    TDataSet* DataSet() const { return FDataSet; }
    // Joins another dataset's field list; both datasets must be closed
    // ("Cannot perform this operation on an open dataset"), and the name must
    // be free there ("Duplicate field name '%s'").
    void SetDataSet(TDataSet* ADataSet);
    const std::string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::string& Value);
    // The field definition's number (1-based) of a bound data field; 0 for
    // calculated and lookup fields and while unbound.
    int FieldNo() const { return FFieldNo; }
    // Place in the dataset's Fields; -1 without a dataset.
    int Index() const;
    void SetIndex(int Value);
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value);
    bool Calculated() const { return FFieldKind == fkCalculated; }
    void SetCalculated(bool Value);
    bool Lookup() const { return FFieldKind == fkLookup; }
    void SetLookup(bool Value);
    TFieldType DataType() const { return FDataType; }
    // Bytes of the value in the native layout (0 for BLOB-like fields).
    virtual int DataSize() const { return 0; }
    int Size() const { return FSize; }
    void SetSize(int Value);
    // Offset of a calculated or lookup field in the calculated-field area:
    // one has-value byte, then DataSize() bytes.
    int Offset() const { return FOffset; }
    virtual bool IsBlob() const { return false; }
    // A bound data field of a modifiable dataset that is not read-only; a
    // lookup field whose key fields can be modified.
    bool CanModify() const;

    // ---- Presentation ----
    // The label, or the field name when no label is set.
    std::string DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const std::string& Value);
    std::string DisplayName() const { return DisplayLabel(); }
    // Characters shown; the type's default until set.
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
    void SetDisplayWidth(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    const std::string& EditMask() const { return FEditMask; }
    void SetEditMask(const std::string& Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    const std::string& DefaultExpression() const { return FDefaultExpression; }
    void SetDefaultExpression(const std::string& Value) { FDefaultExpression = Value; }
    const std::string& Origin() const { return FOrigin; }
    void SetOrigin(const std::string& Value) { FOrigin = Value; }
    // Characters a control may type into the field.
    const TFieldChars& ValidChars() const { return FValidChars; }
    void SetValidChars(const TFieldChars& Value) { FValidChars = Value; }
    virtual bool IsValidChar(char InputChar) const;

    // ---- Lookup settings (FieldKind fkLookup) ----
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* Value);
    // This dataset's fields (";"-separated) matched against LookupKeyFields.
    const std::string& KeyFields() const { return FKeyFields; }
    void SetKeyFields(const std::string& Value);
    const std::string& LookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const std::string& Value);
    const std::string& LookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const std::string& Value);

    // ---- Value ----
    std::string AsString() const { return GetAsString(); }
    void SetAsString(const std::string& Value) { SetAsStringValue(Value); }
    int AsInteger() const { return GetAsInteger(); }
    void SetAsInteger(int Value) { SetAsIntegerValue(Value); }
    int64_t AsLargeInt() const { return GetAsLargeInt(); }
    void SetAsLargeInt(int64_t Value) { SetAsLargeIntValue(Value); }
    double AsFloat() const { return GetAsFloat(); }
    void SetAsFloat(double Value) { SetAsFloatValue(Value); }
    double AsCurrency() const { return GetAsFloat(); }
    void SetAsCurrency(double Value) { SetAsFloatValue(Value); }
    bool AsBoolean() const { return GetAsBoolean(); }
    void SetAsBoolean(bool Value) { SetAsBooleanValue(Value); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    void SetAsDateTime(TDateTime Value) { SetAsDateTimeValue(Value); }
    // Null for a field without value.
    Variant AsVariant() const { return IsNull() ? Null() : GetAsVariant(); }
    // Null and Empty clear the field.
    void SetAsVariant(const Variant& Value);
    Variant Value() const { return AsVariant(); }
    void SetValue(const Variant& Value) { SetAsVariant(Value); }
    // The edit text (OnGetText with DisplayText False); the setter goes
    // through OnSetText when assigned.
    std::string Text() const;
    void SetText(const std::string& Value);
    // The text shown in controls (OnGetText with DisplayText True).
    std::string DisplayText() const;
    bool IsNull() const { return !GetData(nullptr); }
    virtual void Clear() { SetData(nullptr); }

    // Raw access in the native layout. GetData answers whether the field has a
    // value; a nullptr Buffer only asks that. SetData(nullptr) clears.
    bool GetData(void* Buffer) const;
    void SetData(const void* Buffer);
    // A text field's whole text and its store, past Size, where the dataset
    // keeps texts of any length (TDataSet::GetFieldText); False: the buffer's way.
    bool GetWholeText(std::string& Text) const;
    bool SetWholeText(const std::string& Text);
    // Called by a dataset before it stores Buffer: fires OnValidate, during
    // which the field reads the value being validated.
    void Validate(const void* Buffer);
    // Asks the controls showing the field to take the focus.
    void FocusControl();
    // Copies the value of another field (nil clears).
    void Assign(TPersistent* Source) override;

    // ---- Events ----
    const TFieldNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TFieldNotifyEvent& Value) { FOnChange = Value; }
    const TFieldGetTextEvent& OnGetText() const { return FOnGetText; }
    void SetOnGetText(const TFieldGetTextEvent& Value) { FOnGetText = Value; }
    const TFieldSetTextEvent& OnSetText() const { return FOnSetText; }
    void SetOnSetText(const TFieldSetTextEvent& Value) { FOnSetText = Value; }
    const TFieldNotifyEvent& OnValidate() const { return FOnValidate; }
    void SetOnValidate(const TFieldNotifyEvent& Value) { FOnValidate = Value; }

    static void Publish(TPublisher<TField>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual std::string GetAsString() const;
    virtual void SetAsStringValue(const std::string& Value);
    virtual int GetAsInteger() const;
    virtual void SetAsIntegerValue(int Value);
    virtual int64_t GetAsLargeInt() const;
    virtual void SetAsLargeIntValue(int64_t Value);
    virtual double GetAsFloat() const;
    virtual void SetAsFloatValue(double Value);
    virtual bool GetAsBoolean() const;
    virtual void SetAsBooleanValue(bool Value);
    virtual TDateTime GetAsDateTime() const;
    virtual void SetAsDateTimeValue(TDateTime Value);
    // The value of a field that is not null.
    virtual Variant GetAsVariant() const;
    // A value that is neither Null nor Empty.
    virtual void SetVarValue(const Variant& Value);
    // Text of the value (empty when null); DisplayText asks for the shown form.
    virtual void DoGetText(std::string& Text, bool DisplayText) const;
    virtual void DoSetText(const std::string& Value) { SetAsStringValue(Value); }
    virtual int GetDefaultWidth() const { return 10; }
    // Checks and takes the settings on opening (Binding) or closing.
    virtual void Bind(bool Binding);

    [[noreturn]] void AccessError(const char* TypeName) const;
    // Tells the dataset's controls that a setting changed.
    void PropertyChanged(bool LayoutAffected);
    void CheckInactive() const;
    void SetDataType(TFieldType Value) { FDataType = Value; }
    // Fills the lookup field from its lookup dataset (calculated-field state).
    void CalcLookupValue();

private:
    friend class TDataSet;
    friend class TFields;
    friend class TFieldDef;

    TDataSet* FDataSet = nullptr;
    std::string FFieldName;
    int FFieldNo = 0;
    int FOffset = 0;
    TFieldKind FFieldKind = fkData;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    std::string FDisplayLabel;
    int FDisplayWidth = 0;
    TAlignment FAlignment = taLeftJustify;
    std::string FEditMask;
    bool FReadOnly = false;
    bool FRequired = false;
    bool FVisible = true;
    std::string FDefaultExpression;
    std::string FOrigin;
    TFieldChars FValidChars;
    TDataSet* FLookupDataSet = nullptr;
    std::string FKeyFields;
    std::string FLookupKeyFields;
    std::string FLookupResultField;
    const void* FValidateBuffer = nullptr;
    bool FValidating = false;
    TFieldNotifyEvent FOnChange;
    TFieldGetTextEvent FOnGetText;
    TFieldSetTextEvent FOnSetText;
    TFieldNotifyEvent FOnValidate;
};

// A field of text of a fixed room: a string, fixed or wide string.
bool IsTextField(const TField* Field);
// The room of such a field in bytes; 0 for every other field and for one
// whose dataset keeps texts of any length (TDataSet::GetFieldText).
int TextRoomOf(const TField* Field);
// Whole numbers: small, word, integer, large integer and auto-increment fields.
bool IsWholeNumberType(TFieldType Type);
// Fractional numbers: float, currency and BCD fields.
bool IsFractionType(TFieldType Type);
inline bool IsWholeNumberField(const TField* Field) { return Field && IsWholeNumberType(Field->DataType()); }
inline bool IsFractionField(const TField* Field) { return Field && IsFractionType(Field->DataType()); }
// A blob that holds no text (not a memo): an edit shows only a placeholder for it.
bool IsBinaryBlob(const TField* Field);

// A dataset's fields in their order. The list does not own the fields,
// except that Clear frees them (default fields when the dataset closes).
class TFields : public TObject {
    TASKMOOR_CLASS(TFields, TObject)
public:
    explicit TFields(TDataSet* ADataSet) : FDataSet(ADataSet) {}
    ~TFields() override;

    TDataSet* DataSet() const { return FDataSet; }
    int Count() const { return static_cast<int>(FList.size()); }
    // EListError "List index out of bounds (%d)" outside 0..Count-1.
    TField* Fields(int Index) const;
    TField* operator[](int Index) const { return Fields(Index); }
    int IndexOf(const TField* Field) const;
    // By name, without regard to case; nullptr when there is none.
    TField* FindField(const std::string& FieldName) const;
    // Raises "Field '%s' not found".
    TField* FieldByName(const std::string& FieldName) const;
    // The data field bound to definition FieldNo; nullptr when none.
    TField* FieldByNumber(int FieldNo) const;
    void Add(TField* Field);
    void Remove(TField* Field);
    // Frees every field in the list.
    void Clear();
    void SetFieldIndex(TField* Field, int Value);

private:
    TDataSet* FDataSet;
    std::vector<TField*> FList;
};
