// The field classes of each field type, with the native layout in which a
// dataset hands each value over (GetFieldData / SetFieldData buffers):
//
//   TStringField     ftString    Size bytes of UTF-8 text and a zero byte
//   TSmallintField   ftSmallint  int16
//   TWordField       ftWord      uint16
//   TIntegerField    ftInteger   int32
//   TAutoIncField    ftAutoInc   int32
//   TLargeintField   ftLargeint  int64
//   TBooleanField    ftBoolean   int16, 0 False, any other value True
//   TFloatField      ftFloat     double
//   TCurrencyField   ftCurrency  double
//   TDateField       ftDate      int32: time stamp day number (1 January 0001 = 1)
//   TTimeField       ftTime      int32: milliseconds since midnight
//   TDateTimeField   ftDateTime  double: time stamp in milliseconds
//   TBlobField       ftBlob, ftFmtMemo   through the dataset's CreateBlobStream
//   TMemoField       ftMemo
//   TGraphicField    ftGraphic
#pragma once

#include <string>

#include "platform/db/fields.h"

class TStream;

class TStringField : public TField {
    TASKMOOR_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner);
    int DataSize() const override { return Size() + 1; }
    std::string Value() const { return GetAsString(); }
    void SetValue(const std::string& Value) { SetAsStringValue(Value); }

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int Value) override;
    int64_t GetAsLargeInt() const override;
    void SetAsLargeIntValue(int64_t Value) override;
    double GetAsFloat() const override;
    void SetAsFloatValue(double Value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool Value) override;
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime Value) override;
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& Value) override;
    int GetDefaultWidth() const override { return Size(); }
};

// Integer and float fields: right-aligned, with optional display and edit
// formats (FormatFloat sections).
class TNumericField : public TField {
    TASKMOOR_CLASS(TNumericField, TField)
public:
    explicit TNumericField(TComponent* AOwner);
    const std::string& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const std::string& Value);
    const std::string& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const std::string& Value);

    static void Publish(TPublisher<TNumericField>& p);

private:
    std::string FDisplayFormat;
    std::string FEditFormat;
};

// 32-bit and smaller integers. MinValue/MaxValue both 0 allow the whole
// range of the type; a value outside the allowed range raises "%s is not a
// valid value for field '%s'. The allowed range is %s to %s".
class TIntegerField : public TNumericField {
    TASKMOOR_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* AOwner);
    int DataSize() const override { return 4; }
    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value) { FMinValue = Value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value) { FMaxValue = Value; }
    int Value() const { return GetAsInteger(); }
    void SetValue(int Value) { SetAsIntegerValue(Value); }

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int Value) override;
    int64_t GetAsLargeInt() const override { return GetAsInteger(); }
    void SetAsLargeIntValue(int64_t Value) override;
    double GetAsFloat() const override { return GetAsInteger(); }
    void SetAsFloatValue(double Value) override;
    bool GetAsBoolean() const override { return GetAsInteger() != 0; }
    void SetAsBooleanValue(bool Value) override { SetAsIntegerValue(Value ? 1 : 0); }
    Variant GetAsVariant() const override { return Variant(GetAsInteger()); }
    void SetVarValue(const Variant& Value) override;
    void DoGetText(std::string& Text, bool DisplayText) const override;
    int GetDefaultWidth() const override { return 11; }

    // The bounds of the type itself (int32 here).
    virtual int64_t TypeMin() const;
    virtual int64_t TypeMax() const;
    // Reads and writes the native value.
    virtual bool ReadInteger(int& Value) const;
    virtual void WriteInteger(int Value);
    void CheckRange(int64_t Value) const;

private:
    int FMinValue = 0;
    int FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
    TASKMOOR_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner);
    int DataSize() const override { return 2; }

protected:
    int GetDefaultWidth() const override { return 6; }
    int64_t TypeMin() const override { return -32768; }
    int64_t TypeMax() const override { return 32767; }
    bool ReadInteger(int& Value) const override;
    void WriteInteger(int Value) override;
};

class TWordField : public TIntegerField {
    TASKMOOR_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* AOwner);
    int DataSize() const override { return 2; }

protected:
    int GetDefaultWidth() const override { return 5; }
    int64_t TypeMin() const override { return 0; }
    int64_t TypeMax() const override { return 65535; }
    bool ReadInteger(int& Value) const override;
    void WriteInteger(int Value) override;
};

class TAutoIncField : public TIntegerField {
    TASKMOOR_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* AOwner);
};

class TLargeintField : public TNumericField {
    TASKMOOR_CLASS(TLargeintField, TNumericField)
public:
    explicit TLargeintField(TComponent* AOwner);
    int DataSize() const override { return 8; }
    int64_t Value() const { return GetAsLargeInt(); }
    void SetValue(int64_t Value) { SetAsLargeIntValue(Value); }

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int Value) override { SetAsLargeIntValue(Value); }
    int64_t GetAsLargeInt() const override;
    void SetAsLargeIntValue(int64_t Value) override;
    double GetAsFloat() const override { return static_cast<double>(GetAsLargeInt()); }
    void SetAsFloatValue(double Value) override;
    Variant GetAsVariant() const override { return Variant(static_cast<long long>(GetAsLargeInt())); }
    void SetVarValue(const Variant& Value) override { SetAsLargeIntValue(Value.AsInt64()); }
    void DoGetText(std::string& Text, bool DisplayText) const override;
    int GetDefaultWidth() const override { return 15; }
};

// Doubles. Without formats the text is the general form with Precision
// significant digits, or the currency form when Currency is set.
class TFloatField : public TNumericField {
    TASKMOOR_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* AOwner);
    int DataSize() const override { return 8; }
    bool Currency() const { return FCurrency; }
    void SetCurrency(bool Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value);
    // Both 0: no range check.
    double MinValue() const { return FMinValue; }
    void SetMinValue(double Value) { FMinValue = Value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value) { FMaxValue = Value; }
    double Value() const { return GetAsFloat(); }
    void SetValue(double Value) { SetAsFloatValue(Value); }

    static void Publish(TPublisher<TFloatField>& p);

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int Value) override { SetAsFloatValue(Value); }
    int64_t GetAsLargeInt() const override;
    void SetAsLargeIntValue(int64_t Value) override { SetAsFloatValue(static_cast<double>(Value)); }
    double GetAsFloat() const override;
    void SetAsFloatValue(double Value) override;
    Variant GetAsVariant() const override;
    void SetVarValue(const Variant& Value) override { SetAsFloatValue(Value.AsDouble()); }
    void DoGetText(std::string& Text, bool DisplayText) const override;

private:
    bool FCurrency = false;
    int FPrecision = 15;
    double FMinValue = 0;
    double FMaxValue = 0;
};

class TCurrencyField : public TFloatField {
    TASKMOOR_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner);
};

// DisplayValues "True;False" by default: the texts of True and False. Text
// is read back by a case-insensitive prefix of either.
class TBooleanField : public TField {
    TASKMOOR_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner);
    int DataSize() const override { return 2; }
    const std::string& DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const std::string& Value);
    bool Value() const { return GetAsBoolean(); }
    void SetValue(bool Value) { SetAsBooleanValue(Value); }

    static void Publish(TPublisher<TBooleanField>& p);

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    int GetAsInteger() const override { return GetAsBoolean() ? 1 : 0; }
    void SetAsIntegerValue(int Value) override { SetAsBooleanValue(Value != 0); }
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool Value) override;
    Variant GetAsVariant() const override { return Variant(GetAsBoolean()); }
    void SetVarValue(const Variant& Value) override { SetAsBooleanValue(Value.AsBoolean()); }
    void DoGetText(std::string& Text, bool DisplayText) const override;
    int GetDefaultWidth() const override;

private:
    std::string FDisplayValues;
    std::string FTextTrue = "True";
    std::string FTextFalse = "False";
};

// Dates and times. Without DisplayFormat the text uses the format settings:
// the short date, the long time, or both ("c").
class TDateTimeField : public TField {
    TASKMOOR_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner);
    int DataSize() const override;
    const std::string& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const std::string& Value);
    TDateTime Value() const { return GetAsDateTime(); }
    void SetValue(TDateTime Value) { SetAsDateTimeValue(Value); }

    static void Publish(TPublisher<TDateTimeField>& p);

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    double GetAsFloat() const override { return GetAsDateTime(); }
    void SetAsFloatValue(double Value) override { SetAsDateTimeValue(Value); }
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime Value) override;
    Variant GetAsVariant() const override { return Variant::FromDateTime(GetAsDateTime()); }
    void SetVarValue(const Variant& Value) override { SetAsDateTimeValue(Value.AsDateTime()); }
    void DoGetText(std::string& Text, bool DisplayText) const override;
    int GetDefaultWidth() const override { return 18; }

private:
    std::string FDisplayFormat;
};

class TDateField : public TDateTimeField {
    TASKMOOR_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner);

protected:
    int GetDefaultWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
    TASKMOOR_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner);

protected:
    int GetDefaultWidth() const override { return 10; }
};

// BLOB-like values go through the dataset's blob stream. The text of the
// field is "(BLOB)", "(MEMO)", "(GRAPHIC)" or "(FMTMEMO)" when it has a value
// and the same in mixed case ("(Memo)") when it has none.
class TBlobField : public TField {
    TASKMOOR_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner);
    bool IsBlob() const override { return true; }
    TFieldType BlobType() const { return DataType(); }
    void SetBlobType(TFieldType Value);
    // Bytes of the value.
    int BlobSize() const;
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream) const;
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;
    void Clear() override;
    void Assign(TPersistent* Source) override;

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    Variant GetAsVariant() const override { return Variant(GetAsString()); }
    void SetVarValue(const Variant& Value) override { SetAsStringValue(Value.AsString()); }
    void DoGetText(std::string& Text, bool DisplayText) const override;
    void DoSetText(const std::string& Value) override { SetAsStringValue(Value); }
};

class TMemoField : public TBlobField {
    TASKMOOR_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner);
};

class TGraphicField : public TBlobField {
    TASKMOOR_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner);
};

// A new field of the class that holds values of Type (ftFmtMemo gives a
// TBlobField of that type); nullptr for a type without a field class.
TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner);
