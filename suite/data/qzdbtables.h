// The suite's datasets over the database engine: TqzTable, TqzQuery,
// TqzStoredProc and TqzQBE, with their line lists, mask checks before post
// and the OnFilter record filter (hourglass, Esc to stop).
#pragma once

#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/db/dbtables.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qztypes.h"

// What the four datasets share; each holds one.
class TqzDataSetExtras {
public:
    explicit TqzDataSetExtras(TDBDataSet* Owner);
    ~TqzDataSetExtras();
    TDBDataSet* DataSet;
    TStringList ControlType, LookupFields, LookupLinks, PictureMasks;
    bool ValidateWithMask = true;
    TqzInvalidValueEvent OnInvalidValue;
    TFilterRecordEvent OnFilter;
    TqzOnFilterOptions OnFilterOptions{ofoEnabled, ofoShowHourGlass};
    TDataSetNotifyEvent OnFilterEscape;
    std::vector<TDBDataSet*> LookupTables;
    int FilterHandle = 0;
    bool Running = false;
    int EscapeCounter = 0;
    bool HourGlassShown = false;
    // The engine's callback for OnFilter.
    bool FilterRecord();
    void InstallCallback();
    void SetOnFilterOptions(TqzOnFilterOptions Value);
    void RestoreCursor();
};

// Declares the published additions of a suite dataset class.
#define TQZ_DATASET_EXTRAS(Class)                                                                 \
public:                                                                                           \
    TStrings* ControlType() const { return const_cast<TStringList*>(&FExtras.ControlType); }      \
    void SetControlType(TStrings* Value) { FExtras.ControlType.Assign(Value); }                   \
    TStrings* LookupFields() const { return const_cast<TStringList*>(&FExtras.LookupFields); }    \
    void SetLookupFields(TStrings* Value) { FExtras.LookupFields.Assign(Value); }                 \
    TStrings* LookupLinks() const { return const_cast<TStringList*>(&FExtras.LookupLinks); }      \
    void SetLookupLinks(TStrings* Value) { FExtras.LookupLinks.Assign(Value); }                   \
    TStrings* PictureMasks() const { return const_cast<TStringList*>(&FExtras.PictureMasks); }    \
    void SetPictureMasks(TStrings* Value) { FExtras.PictureMasks.Assign(Value); }                 \
    const TqzInvalidValueEvent& OnInvalidValue() const { return FExtras.OnInvalidValue; }         \
    void SetOnInvalidValue(const TqzInvalidValueEvent& Value) { FExtras.OnInvalidValue = Value; } \
    const TFilterRecordEvent& OnFilter() const { return FExtras.OnFilter; }                       \
    void SetOnFilter(const TFilterRecordEvent& Value);                                            \
    TqzOnFilterOptions OnFilterOptions() const { return FExtras.OnFilterOptions; }                \
    void SetOnFilterOptions(TqzOnFilterOptions Value) { FExtras.SetOnFilterOptions(Value); }      \
    const TDataSetNotifyEvent& OnFilterEscape() const { return FExtras.OnFilterEscape; }          \
    void SetOnFilterEscape(const TDataSetNotifyEvent& Value) { FExtras.OnFilterEscape = Value; }  \
    std::vector<TDBDataSet*>& LookupTableList() { return FExtras.LookupTables; }                  \
    void DataEvent(TDataEvent Event, intptr_t Info) override;                                     \
                                                                                                  \
protected:                                                                                        \
    void DoOnCalcFields() override;                                                               \
    TqzDataSetExtras FExtras{this};

class TqzTable : public TTable {
    TASKMOOR_CLASS(TqzTable, TTable)
    TQZ_DATASET_EXTRAS(TqzTable)
public:
    explicit TqzTable(TComponent* AOwner);
    ~TqzTable() override;
    bool ValidateWithMask() const { return FExtras.ValidateWithMask; }
    void SetValidateWithMask(bool Value) { FExtras.ValidateWithMask = Value; }
    // Filter expression lines: the first as it is, each further one
    // appended as " AND (line)".
    TStrings* qzFilter() const { return FqzFilter; }
    void SetqzFilter(TStrings* Value) { FqzFilter->Assign(Value); }
    std::string FilterExpression() const;
    // Query text: not run by this engine (see OpenCursor); setting lines
    // clears the table name, index names and master link.
    TStrings* Query() const { return FQuery; }
    void SetQuery(TStrings* Value);
    void SetTableName(const std::string& Value) override;
    bool SyncSQLByRange() const { return FSyncSQLByRange; }
    void SetSyncSQLByRange(bool Value) { FSyncSQLByRange = Value; }
    bool NarrowSearch() const { return FNarrowSearch; }
    void SetNarrowSearch(bool Value) { FNarrowSearch = Value; }
    int NarrowSearchUpperChar() const { return FNarrowSearchUpperChar; }
    void SetNarrowSearchUpperChar(int Value) { FNarrowSearchUpperChar = Value; }
    bool IsSequenced() override;

    std::string GetIndexFields(const std::string& IndexName);
    void FindIndexForFields(const std::string& Fields, std::string& IndexName);
    void FindIndexForFields(const std::string& Fields, bool CaseInsensitive, std::string& IndexName);
    std::string FirstIndexFieldName();
    bool SelectIndexForField(const std::string& FieldName);
    void SelectIndexForSelected(TStrings* List);
    bool FindKeyValues(const std::vector<Variant>& Values);
    void ApplyRangeFrom(const std::vector<Variant>& Values);
    void ApplyRangeFromDataSet(TDataSet* Other);
    bool FindNearestText(const std::string& Text, int KeyPosition);
    bool FindFieldValue(const std::string& Value, const std::string& FieldName, int MatchType,
                        bool CaseSensitive);
    void ResetRange();
    // This engine has no validity pictures: always empty.
    void GetValidityPictureMask(const std::string& FieldName, std::string& Mask);
    // The record being tested while filtering, for the filter dialog.
    Variant GetFilterFieldValue(const std::string& FieldName);

    static void Publish(TPublisher<TqzTable>& p);

protected:
    void DoAfterOpen() override;
    void DoBeforePost() override;

private:
    void FilterLinesChanged(TObject* Sender);
    void ApplyExpression();
    TStrings* FqzFilter;
    TStrings* FQuery;
    bool FSyncSQLByRange = false;
    bool FNarrowSearch = false;
    int FNarrowSearchUpperChar = 255;
    int FExpressionHandle = 0;
    int FBusy = 0;
};

class TqzQuery : public TQuery {
    TASKMOOR_CLASS(TqzQuery, TQuery)
    TQZ_DATASET_EXTRAS(TqzQuery)
public:
    explicit TqzQuery(TComponent* AOwner);
    ~TqzQuery() override;
    bool ValidateWithMask() const { return FExtras.ValidateWithMask; }
    void SetValidateWithMask(bool Value) { FExtras.ValidateWithMask = Value; }
    bool IsSequenced() override { return !FExtras.OnFilter.Assigned() && TQuery::IsSequenced(); }
    static void Publish(TPublisher<TqzQuery>& p);

protected:
    void DoAfterOpen() override;
    void DoBeforePost() override;
};

class TqzStoredProc : public TStoredProc {
    TASKMOOR_CLASS(TqzStoredProc, TStoredProc)
    TQZ_DATASET_EXTRAS(TqzStoredProc)
public:
    explicit TqzStoredProc(TComponent* AOwner);
    ~TqzStoredProc() override;
    bool ValidateWithMask() const { return FExtras.ValidateWithMask; }
    void SetValidateWithMask(bool Value) { FExtras.ValidateWithMask = Value; }
    static void Publish(TPublisher<TqzStoredProc>& p);
};

using TqzQBEErrorEvent = TEvent<TDataSet*, int>;

// A query-by-example dataset. The engine has no QBE language: RunQBE
// substitutes the "~" parameters and then fails with the engine's error
// "Capability not supported", told to OnError.
class TqzQBE : public TDBDataSet {
    TASKMOOR_CLASS(TqzQBE, TDBDataSet)
    TQZ_DATASET_EXTRAS(TqzQBE)
public:
    explicit TqzQBE(TComponent* AOwner);
    ~TqzQBE() override;
    TStrings* QBE() const { return FQBE; }
    void SetQBE(TStrings* Value);
    const std::string& AnswerTable() const { return FAnswerTable; }
    void SetAnswerTable(const std::string& Value) { FAnswerTable = Value; }
    bool AuxiliaryTables() const { return FAuxiliaryTables; }
    void SetAuxiliaryTables(bool Value) { FAuxiliaryTables = Value; }
    bool BlankAsZero() const { return FBlankAsZero; }
    void SetBlankAsZero(bool Value) { FBlankAsZero = Value; }
    const TqzQBEErrorEvent& OnError() const { return FOnError; }
    void SetOnError(const TqzQBEErrorEvent& Value) { FOnError = Value; }
    // Parameters kept index by index.
    TStringList ParamNames, ParamValues;
    // The QBE text with the parameters put in.
    std::string SubstitutedText() const;
    // Answers the engine's result code (never 0 here).
    virtual int RunQBE();
    static void Publish(TPublisher<TqzQBE>& p);

protected:
    std::vector<int64_t> FetchKeys() override { return {}; }
    void ReadRow(int64_t, TRow&) override {}
    void OpenData() override;
    void InternalInitFieldDefs() override {}

private:
    TStrings* FQBE;
    std::string FAnswerTable;
    bool FAuxiliaryTables = true;
    bool FBlankAsZero = true;
    TqzQBEErrorEvent FOnError;
};

// Searches the table's active index for a typed value: the nearest key (or,
// with the suite table's NarrowSearch, a range from the value); answers
// whether the record reached matches it. False for a dataset that is no
// table or a value that does not read as the first index field's type;
// raises "Table <name>: Table index not found" without index fields.
bool qzFindIndexValue(TDataSet* DataSet, const std::string& Value);
// Switches the table's index to one over Fields, case-sensitive first.
void qzSetIndexForFields(TTable* Table, const std::string& Fields);
// The suite dataset's lookup table list; nullptr for other classes.
std::vector<TDBDataSet*>* qzGetLookupTableList(TDataSet* DataSet);
