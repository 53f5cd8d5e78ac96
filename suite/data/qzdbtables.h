// The suite's datasets over the database engine: TqzTable, TqzQuery,
// TqzStoredProc and TqzQBE, with their line lists, mask checks before post
// and the OnFilter record filter (hourglass, Esc to stop).
//
// A TqzTable's Query lines run through a hidden read-only TQuery. Each of
// these datasets registers with suite/base the calculated-field branch of
// the lookup-result search and the indexed table search on creation.
#pragma once

#include <memory>
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

// What a lookup table remembers between the calculated-field passes of the
// dataset that opened it.
struct TqzLookupState {
    // Positioned for the current record in this pass.
    bool Used = false;
    // That position found a record.
    bool Found = false;
    // The LookupLinks line it was opened for.
    std::string Link;
};

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
    // Query text: with lines the table runs it instead of opening its table
    // (read-only); setting lines clears the table name, index names and
    // master link. A text whose first word is "query" is QBE, which the
    // engine refuses ("Capability not supported").
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
    // Table type dBASE, or a name whose extension is ".DBF" (any case).
    bool IsDBaseTable() const;
    // Table type Paradox, or the default type with a name that holds ".db"
    // and ends in "b" (any case).
    bool IsParadoxTable() const;

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

    int AddFilterExpression(std::unique_ptr<TFilterNode> Tree, int Priority) override;
    // Lookup state while this table serves another dataset's lookup fields.
    TqzLookupState LookupState;

    static void Publish(TPublisher<TqzTable>& p);

protected:
    void DoAfterOpen() override;
    void DoBeforePost() override;
    std::vector<int64_t> FetchKeys() override;
    void ReadRow(int64_t Key, TRow& Row) override;
    void OpenData() override;
    void CloseData() override;
    void InternalInitFieldDefs() override;
    bool GetCanModify() override;

private:
    class TQueryRunner;
    // The query of the Query lines, ready to fetch (the field definitions read).
    TQueryRunner* StartQuery();
    TQueryRunner* FRunner = nullptr;
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
    // Whether the fields (";"-separated) lead the open query's order, by a
    // collation that ignores case exactly when not CaseSensitive.
    bool FieldsMapToIndex(const std::string& FieldNames, bool CaseSensitive) {
        return MapsToIndex(FieldNames, !CaseSensitive);
    }
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
// "Capability not supported", told to OnError. A run that answers a lock
// conflict is tried again while the lock-retry check allows it, then fails
// with SDataLocked.
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
// Makes the index the table's active one and stays on the current record.
// On an SQL-based database (for the suite table only with SyncSQLByRange)
// the table is reopened under the hourglass and the record found again by
// the new index's field values; otherwise it goes back by bookmark.
void qzSwitchIndexKeepRecord(TTable* Table, TIndexDef* IndexDef);

// ---- Lookup tables of the suite datasets ----
// LookupFields line i: field;database;table;result;index, or with more than
// five items field;database;table;result;x;index fields...;flag ("N": the
// table name without its extension). LookupLinks line i: own;lookup pairs.

// For the current record: finds or opens (read-only, owned by DataSet) the
// lookup table of every LookupFields line and fills its calculated field
// with the result field's edit text, or empty when no record matches.
// Stops when a link line names an own field DataSet lacks. Errors opening a
// table propagate.
void qzOpenLookupTables(TDataSet* DataSet, TStrings* LookupFields, TStrings* LookupLinks,
                        std::vector<TDBDataSet*>& TableList);
// Readies Table for the lookup of FieldName (its LookupFields line, found
// ignoring case): index, then the record of the link values. A link naming
// a missing own field hides the field and answers False. FirstLinkField is
// the link line's first own field.
bool qzPrepareLookupTable(TDataSet* DataSet, TTable* Table, const std::string& FieldName,
                          std::string& FirstLinkField);
// Moves Table to the record the link items (own;lookup pairs) name for
// DataSet's current record: a key search of one to six pairs on the active
// index, or without index fields a search of the first pair's lookup field.
// False on a closed table or when nothing matches.
bool qzFindLinkedRecord(TTable* Table, TDataSet* DataSet, const std::vector<std::string>& LinkItems);
// For a calculated lookup field: ResultField becomes the open lookup table's
// result field and KeyValue the first own link field's text; answers whether
// the table's key search finds KeyValue. ResultField is Field when the
// field's dataset has no such table.
bool qzFindLookupRecord(TField* Field, std::string& KeyValue, TField*& ResultField);
