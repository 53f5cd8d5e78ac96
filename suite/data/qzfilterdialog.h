// The filter dialog component: shows the filter form over a data source's
// fields, keeps the criteria, and filters the dataset with them through its
// record-filter handler (TqzDummyForm::FilterRecord).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/collection.h"
#include "platform/core/datetime.h"
#include "platform/core/strings.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/params.h"
#include "suite/base/qzdialog.h"
#include "suite/data/qzfilterinfo.h"

class TDataSet;
class TDBDataSet;
class TField;
class TTable;
class TqzFilterDialog;
class TqzFilterDlg;

TASKMOOR_ENUM(TqzFilterDialogOption, fdCaseSensitive, fdShowCaseSensitive, fdShowOKCancel, fdShowViewSummary,
              fdShowFieldOrder, fdShowValueRangeTab, fdShowNonMatching, fdHidePartialAnywhere,
              fdDisableDateTimePicker, fdSizeable, fdTabsAtTop)
using TqzFilterDialogOptions = TSet<TqzFilterDialogOption>;
TASKMOOR_ENUM(TqzFilterDialogSort, fdSortByFieldNo, fdSortByFieldName)
TASKMOOR_ENUM(TqzFilterMethod, fdByFilter, fdByQueryModify, fdByQueryParams)
TASKMOOR_ENUM(TqzDefaultFilterBy, fdSmartFilter, fdFilterByRange, fdFilterByValue)
TASKMOOR_ENUM(TqzFilterFieldsFetchType, fmUseTTable, fmUseSQL, fmUseTFields)
TASKMOOR_ENUM(TqzFilterOptimization, fdNone, fdUseAllIndexes, fdUseActiveIndex)
TASKMOOR_ENUM(TqzDatasetFilterType, fdUseOnFilter, fdUseFilterProp, fdUseBothFilterTypes)
TASKMOOR_ENUM(TqzOnFilterPropertyOption, fdClearWhenNoCriteria, fdClearWhenCloseDataSet)
using TqzOnFilterPropertyOptions = TSet<TqzOnFilterPropertyOption>;
TASKMOOR_ENUM(TqzQueryFormatDateMode, qfdMonthDayYear, qfdDayMonthYear, qfdYearMonthDay)

// (Sender, criteria, var DoDefault)
using TqzFilterDialogSummaryEvent = TEvent<TObject*, const TqzFieldInfoList&, bool&>;
using TqzFilterInitDialogEvent = TEvent<TqzFilterDlg*>;
// (Sender, FieldName, var PictureMask, ComboList)
using TqzFilterSelectFieldEvent = TEvent<TObject*, const std::string&, std::string&, TStrings*>;
// (Sender, DataSet, var Accept, var DefaultFiltering)
using TqzAcceptFilterRecordEvent = TEvent<TObject*, TDataSet*, bool&, bool&>;
// (Sender, FieldType, FieldName, var Value)
using TqzEncodeValueEvent = TEvent<TObject*, TFieldType, const std::string&, std::string&>;
// (Sender, Value, FieldType, FieldName, var Text)
using TqzEncodeDateTimeEvent = TEvent<TObject*, TDateTime, TFieldType, const std::string&, std::string&>;
// (Sender, dialog form, query)
using TqzExecuteSQLEvent = TEvent<TObject*, TqzFilterDlg*, TDataSet*>;
// (Sender, OrigDataSet, TempDataSet)
using TqzInitTempDataSetEvent = TEvent<TObject*, TDataSet*, TDataSet*>;

// The Filter-text road's settings.
class TqzFilterPropertyOptions : public TPersistent {
    TASKMOOR_CLASS(TqzFilterPropertyOptions, TPersistent)
public:
    TqzDatasetFilterType DatasetFilterType = fdUseOnFilter;
    bool UseLikeOperator = false;
    std::string LikeWildcardChar = "%";
    bool LikeSupportsUpperKeyword = false;
    bool UseBracketsAroundFields = true;
    static void Publish(TPublisher<TqzFilterPropertyOptions>& p);
};

// A table name / alias pair of the SQL road: fields of TableName are
// written qualified by TableAliasName.
class TqzSQLTablesCollectionItem : public TCollectionItem {
    TASKMOOR_CLASS(TqzSQLTablesCollectionItem, TCollectionItem)
public:
    explicit TqzSQLTablesCollectionItem(TCollection* Collection) : TCollectionItem(Collection) {}

    const std::string& TableName() const { return FTableName; }
    void SetTableName(const std::string& Value);
    const std::string& TableAliasName() const { return FTableAliasName; }
    void SetTableAliasName(const std::string& Value);
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TqzSQLTablesCollectionItem>& p);

protected:
    // The alias, else the table name, else "<Unassigned>"; then " - " and
    // the index.
    std::string GetDisplayName() const override;

private:
    std::string FTableName;
    std::string FTableAliasName;
};

class TqzSQLTablesCollection : public TOwnedCollection {
    TASKMOOR_CLASS(TqzSQLTablesCollection, TOwnedCollection)
public:
    explicit TqzSQLTablesCollection(TqzFilterDialog* Dialog);
    TqzSQLTablesCollectionItem* Add() { return static_cast<TqzSQLTablesCollectionItem*>(TCollection::Add()); }
    TqzSQLTablesCollectionItem* Items(int Index) const {
        return static_cast<TqzSQLTablesCollectionItem*>(TCollection::Items(Index));
    }
    // The alias of the first item naming TableName (ignoring case) with an
    // alias; empty when none does.
    std::string AliasOf(const std::string& TableName) const;
};

// One field the form can list.
struct TqzDBFieldInfo {
    std::string FieldName;
    std::string SQLFieldName;
    std::string TableName;
    TFieldType DataType = ftUnknown;
    std::string DisplayLabel;
    int Size = 0;
    // A text field of a dataset that keeps texts of any length (SQLite):
    // a value is not cut to Size.
    bool Whole = false;
};

class TqzFilterDataLink : public TDataLink {
    TASKMOOR_CLASS(TqzFilterDataLink, TDataLink)
public:
    explicit TqzFilterDataLink(TqzFilterDialog* Dialog) : FDialog(Dialog) {}

protected:
    void ActiveChanged() override;

private:
    TqzFilterDialog* FDialog;
};

// The record filter: owned by the dialog, never shown. Its FilterRecord is
// the handler the dialog installs on the dataset.
class TqzDummyForm : public TComponent {
    TASKMOOR_CLASS(TqzDummyForm, TComponent)
public:
    explicit TqzDummyForm(TqzFilterDialog* Dialog);

    void FilterRecord(TDataSet* DataSet, bool& Accept);
    // Criterion Index against the record under test.
    bool RecordMatchesCriterion(int Index);
    // The value of a field of the record under test; a missing field raises
    // EDatabaseError "Field '%s' not found".
    TParam* GetFieldValue(const std::string& FieldName);

private:
    bool MemoMatches(TqzFieldInfo& Info, TField* Field, const std::string& Separator, bool IsOr);
    bool RangeMatches(TqzFieldInfo& Info, TField* Field, const std::string& ValueText);
    std::string ValueTextOf(TField* Field);

    TqzFilterDialog* FDialog;
    TDataSet* FDataSet = nullptr;
    std::unique_ptr<TParam> FParam;
    std::vector<uint8_t> FBuffer;
};

class TqzFilterDialog : public TqzCustomDialog {
    TASKMOOR_CLASS(TqzFilterDialog, TqzCustomDialog)
public:
    explicit TqzFilterDialog(TComponent* AOwner);
    ~TqzFilterDialog() override;

    bool Execute() override;
    TDataSet* GetPrimaryDataSet() override;
    // Frees every criterion; the dataset's filtering is left as it is.
    void ClearFilter();
    // The present criteria applied without the form.
    bool ApplyFilter();

    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    // A new source's dataset first loses this dialog's filter from the old one.
    void SetDataSource(TDataSource* Value);
    TqzFilterDialogOptions Options() const { return FOptions; }
    void SetOptions(TqzFilterDialogOptions Value) { FOptions = Value; }
    TqzFilterDialogSort SortBy() const { return FSortBy; }
    void SetSortBy(TqzFilterDialogSort Value) { FSortBy = Value; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    TqzFilterMethod FilterMethod() const { return FFilterMethod; }
    void SetFilterMethod(TqzFilterMethod Value);
    TqzFilterMatchType DefaultMatchType() const { return FDefaultMatchType; }
    void SetDefaultMatchType(TqzFilterMatchType Value) { FDefaultMatchType = Value; }
    TqzDefaultFilterBy DefaultFilterBy() const { return FDefaultFilterBy; }
    void SetDefaultFilterBy(TqzDefaultFilterBy Value) { FDefaultFilterBy = Value; }
    const std::string& DefaultField() const { return FDefaultField; }
    void SetDefaultField(const std::string& Value) { FDefaultField = Value; }
    TqzFilterFieldsFetchType FieldsFetchMethod() const { return FFieldsFetchMethod; }
    void SetFieldsFetchMethod(TqzFilterFieldsFetchType Value) { FFieldsFetchMethod = Value; }
    TqzFieldOperators* FieldOperators() const { return FFieldOperators.get(); }
    TqzFilterDialogRounding* Rounding() const { return FRounding.get(); }
    TqzFilterPropertyOptions* FilterPropertyOptions() const { return FFilterPropertyOptions.get(); }
    TqzOnFilterPropertyOptions OnFilterPropertyOptions() const { return FOnFilterPropertyOptions; }
    void SetOnFilterPropertyOptions(TqzOnFilterPropertyOptions Value) { FOnFilterPropertyOptions = Value; }
    TStrings* SelectedFields() const { return FSelectedFields.get(); }
    TqzFilterOptimization FilterOptimization() const { return FFilterOptimization; }
    void SetFilterOptimization(TqzFilterOptimization Value) { FFilterOptimization = Value; }
    char16_t UpperRangePadChar() const { return FUpperRangePadChar; }
    void SetUpperRangePadChar(char16_t Value) { FUpperRangePadChar = Value; }
    int DlgHeight() const { return FDlgHeight; }
    // Values of 267 or less are ignored.
    void SetDlgHeight(int Value) {
        if (Value > 267) FDlgHeight = Value;
    }
    const std::string& SQLUpperString() const { return FSQLUpperString; }
    void SetSQLUpperString(const std::string& Value) { FSQLUpperString = Value; }
    const std::string& SQLPropertyName() const { return FSQLPropertyName; }
    void SetSQLPropertyName(const std::string& Value) { FSQLPropertyName = Value; }
    TqzSQLTablesCollection* SQLTables() const { return FSQLTables.get(); }
    TqzQueryFormatDateMode QueryFormatDateMode() const { return FQueryFormatDateMode; }
    void SetQueryFormatDateMode(TqzQueryFormatDateMode Value) { FQueryFormatDateMode = Value; }

    TqzFilterDialogSummaryEvent OnDialogSummary() const { return FOnDialogSummary; }
    void SetOnDialogSummary(TqzFilterDialogSummaryEvent Value) { FOnDialogSummary = Value; }
    TqzFilterInitDialogEvent OnInitDialog() const { return FOnInitDialog; }
    void SetOnInitDialog(TqzFilterInitDialogEvent Value) { FOnInitDialog = Value; }
    TqzFilterSelectFieldEvent OnSelectField() const { return FOnSelectField; }
    void SetOnSelectField(TqzFilterSelectFieldEvent Value) { FOnSelectField = Value; }
    TqzAcceptFilterRecordEvent OnAcceptFilterRecord() const { return FOnAcceptFilterRecord; }
    void SetOnAcceptFilterRecord(TqzAcceptFilterRecordEvent Value) { FOnAcceptFilterRecord = Value; }
    TqzEncodeValueEvent OnEncodeValue() const { return FOnEncodeValue; }
    void SetOnEncodeValue(TqzEncodeValueEvent Value) { FOnEncodeValue = Value; }
    TqzEncodeDateTimeEvent OnEncodeDateTime() const { return FOnEncodeDateTime; }
    void SetOnEncodeDateTime(TqzEncodeDateTimeEvent Value) { FOnEncodeDateTime = Value; }
    TqzExecuteSQLEvent OnExecuteSQL() const { return FOnExecuteSQL; }
    void SetOnExecuteSQL(TqzExecuteSQLEvent Value) { FOnExecuteSQL = Value; }
    TqzInitTempDataSetEvent OnInitTempDataSet() const { return FOnInitTempDataSet; }
    void SetOnInitTempDataSet(TqzInitTempDataSetEvent Value) { FOnInitTempDataSet = Value; }

    // The criteria as the text of a road (SQLRoad: a WHERE condition, else a
    // Filter text); raises EqzFilterText. On the SQL road a result column of
    // the query is written as SelectList (one SELECT's columns) writes it.
    std::string CriteriaText(bool SQLRoad, const std::vector<std::string>* SelectList = nullptr);
    // The Filter-text road; false (after its error box) when it failed.
    bool ApplyFilterText(TDataSet* DataSet);
    // The SQL road: the saved text with the criteria merged into it.
    bool ApplySQL(TDataSet* DataSet);
    // Narrows a suite table through an index by the first criterion that
    // allows it (FilterOptimization); true when a range was applied.
    bool ApplyTableRanges(TDataSet* DataSet);
    // Cancels the range applied before and puts back the table's index.
    void CancelTableRange();
    // The table a range was applied to, else nullptr.
    TTable* RangeTable() const { return FRangeTable; }
    // The SQL text the SQL road started from (empty before the first rewrite).
    const std::string& SavedSQL() const { return FSavedSQL; }

    // The criteria in force.
    TqzFieldInfoList& Criteria() { return FCriteria; }
    const std::vector<TqzDBFieldInfo>& FieldList() const { return FFieldList; }
    TqzDummyForm* DummyForm() const { return FDummyForm; }
    // The handler the dialog installs.
    TFilterRecordEvent FilterHandler() const;
    // Criterion Index is answered by the dataset's database (the record road
    // over SQLite), so the record test skips it.
    bool HandedToDatabase(size_t Index) const;
    // The form while it is shown, else nullptr.
    TqzFilterDlg* Form() const { return FForm; }

    virtual void DoDialogSummary(const TqzFieldInfoList& Criteria);
    virtual void GetSQLPropertyName(std::string& Name);
    virtual void DoInitDialog();
    virtual void DataSetActiveChanged(bool Active);
    virtual void DoSelectField(const std::string& FieldName, std::string& PictureMask, TStrings* ComboList);
    virtual void DoAcceptFilterRecord(TDataSet* DataSet, bool& Accept, bool& DefaultFiltering);
    virtual void DoInitTempDataSet(TDataSet* OrigDataSet, TDataSet* TempDataSet);
    // The field list of the SQL road: the dataset's "FieldInfo" lines, else
    // the fields of the tables after FROM, read by FieldsFetchMethod.
    virtual void GetFieldsBySQL();
    virtual void GetFieldsFromDataSet();
    // Merges the condition into the dataset's SQL text, its parameter values
    // kept.
    virtual void MergeWhereClause(const std::string& Condition);
    virtual TDataSet* GetDataSet(TDataSet* DataSet = nullptr);
    virtual void LoadFields();

    static void Publish(TPublisher<TqzFilterDialog>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TqzDummyForm;
    // The record-filter road; false when it could not be taken.
    bool ApplyLocalFilter(TDataSet* DataSet);
    // Takes this dialog's handler off the dataset it was installed on and
    // puts back the handler and Filtered found there.
    void TakeFilterOff();
    // The database's test of a criterion with the record test's result, or
    // nullptr when the record test alone can tell.
    std::unique_ptr<TFilterNode> DatabaseTestOf(TqzFieldInfo& Info, TDataSet* DataSet);
    // Hands what the criteria let a dataset over SQLite answer to its
    // database, tied to the record filter (none with OnAcceptFilterRecord).
    void HandCriteriaToDatabase(TDataSet* DataSet);
    // Takes the database's part of the criteria back (the cursor is built
    // again at the next change of the filtering).
    void DropDatabaseCriteria();
    // Switches Filtered with the busy flag set.
    void SetFilteredBusy(TDataSet* DataSet, bool Value);
    bool DataSetTakesSQL(TDataSet* DataSet);
    // The dataset's SQL text through the property GetSQLPropertyName names.
    std::string ReadSQLText(TDataSet* DataSet);
    void WriteSQLText(TDataSet* DataSet, const std::string& Text);
    // The SQL road's conditions, one per SELECT of the saved text.
    std::vector<std::string> SelectConditions(TDataSet* DataSet);
    // Merges each SELECT's condition into the dataset's SQL text.
    void MergeWhereClauses(const std::vector<std::string>& Conditions);

    std::unique_ptr<TqzFilterDataLink> FDataLink;
    TqzDummyForm* FDummyForm = nullptr;
    TqzFieldInfoList FCriteria;
    std::vector<TqzDBFieldInfo> FFieldList;
    std::unique_ptr<TStringList> FSelectedFields;
    std::unique_ptr<TqzFieldOperators> FFieldOperators;
    std::unique_ptr<TqzFilterDialogRounding> FRounding;
    std::unique_ptr<TqzFilterPropertyOptions> FFilterPropertyOptions;
    std::unique_ptr<TqzSQLTablesCollection> FSQLTables;
    TqzFilterDlg* FForm = nullptr;
    bool FShowForm = true;
    bool FBusy = false;

    // Where the handler is installed and what was there before it.
    TDataSet* FFilteredDataSet = nullptr;
    TFilterRecordEvent FSavedHandler;
    bool FSavedFiltered = false;

    TqzFilterDialogOptions FOptions{fdShowCaseSensitive, fdShowOKCancel, fdShowViewSummary, fdShowFieldOrder,
                                    fdShowValueRangeTab};
    TqzFilterDialogSort FSortBy = fdSortByFieldNo;
    std::string FCaption;
    TqzFilterMethod FFilterMethod = fdByFilter;
    TqzFilterMatchType FDefaultMatchType = fdMatchStart;
    TqzDefaultFilterBy FDefaultFilterBy = fdSmartFilter;
    std::string FDefaultField;
    TqzFilterFieldsFetchType FFieldsFetchMethod = fmUseTTable;
    TqzOnFilterPropertyOptions FOnFilterPropertyOptions{fdClearWhenNoCriteria, fdClearWhenCloseDataSet};
    TqzFilterOptimization FFilterOptimization = fdNone;
    char16_t FUpperRangePadChar = 122;
    int FDlgHeight = 267;
    TqzQueryFormatDateMode FQueryFormatDateMode = qfdMonthDayYear;
    std::string FSQLUpperString;
    std::string FSQLPropertyName;
    std::string FSavedSQL;
    TTable* FRangeTable = nullptr;
    // The database's part of the criteria: where, its filter, which criteria.
    TDBDataSet* FHandedDataSet = nullptr;
    int FHandedFilter = 0;
    std::vector<char> FHanded;
    std::string FRangeIndexName, FRangeIndexFieldNames;

    TqzFilterDialogSummaryEvent FOnDialogSummary;
    TqzFilterInitDialogEvent FOnInitDialog;
    TqzFilterSelectFieldEvent FOnSelectField;
    TqzAcceptFilterRecordEvent FOnAcceptFilterRecord;
    TqzEncodeValueEvent FOnEncodeValue;
    TqzEncodeDateTimeEvent FOnEncodeDateTime;
    TqzExecuteSQLEvent FOnExecuteSQL;
    TqzInitTempDataSetEvent FOnInitTempDataSet;
};
