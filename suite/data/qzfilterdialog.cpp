// The dialog component's data link, published options and SQL table list, and showing
// the filter form over the data source.
#include "suite/data/qzfilterdialog.h"

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzproputils.h"
#include "suite/data/qzfilterdlg.h"
#include "suite/data/qzfltvw.h"

void TqzFilterDataLink::ActiveChanged() {
    TDataLink::ActiveChanged();
    if (FDialog) FDialog->DataSetActiveChanged(Active());
}

TqzFilterDialog::TqzFilterDialog(TComponent* AOwner)
    : TqzCustomDialog(AOwner),
      FDataLink(std::make_unique<TqzFilterDataLink>(this)),
      FSelectedFields(std::make_unique<TStringList>()),
      FFieldOperators(std::make_unique<TqzFieldOperators>()),
      FRounding(std::make_unique<TqzFilterDialogRounding>()),
      FFilterPropertyOptions(std::make_unique<TqzFilterPropertyOptions>()),
      FSQLTables(std::make_unique<TqzSQLTablesCollection>(this)) {
    FDummyForm = new TqzDummyForm(this);
}

TqzFilterDialog::~TqzFilterDialog() {
    // The dataset keeps no handler of a dialog that is gone.
    try {
        TakeFilterOff();
    } catch (...) {}
    FDataLink.reset();
}

void TqzFilterDialog::Publish(TPublisher<TqzFilterDialog>& p) {
    using Self = TqzFilterDialog;
    p.Property("DataSource", &Self::DataSource, &Self::SetDataSource);
    p.Property("OnDialogSummary", &Self::OnDialogSummary, &Self::SetOnDialogSummary);
    p.Property("Options", &Self::Options, &Self::SetOptions);
    p.Property("SortBy", &Self::SortBy, &Self::SetSortBy);
    p.Property("Caption", &Self::Caption, &Self::SetCaption);
    p.Property("FilterMethod", &Self::FilterMethod, &Self::SetFilterMethod);
    p.Property("DefaultMatchType", &Self::DefaultMatchType, &Self::SetDefaultMatchType);
    p.Property("DefaultFilterBy", &Self::DefaultFilterBy, &Self::SetDefaultFilterBy);
    p.Property("DefaultField", &Self::DefaultField, &Self::SetDefaultField);
    p.Property("FieldsFetchMethod", &Self::FieldsFetchMethod, &Self::SetFieldsFetchMethod);
    p.Property("FieldOperators", &Self::FieldOperators);
    p.Property("Rounding", &Self::Rounding);
    p.Property("FilterPropertyOptions", &Self::FilterPropertyOptions);
    p.Property("OnFilterPropertyOptions", &Self::OnFilterPropertyOptions, &Self::SetOnFilterPropertyOptions);
    p.Property("SelectedFields", &Self::SelectedFields);
    p.Property("FilterOptimization", &Self::FilterOptimization, &Self::SetFilterOptimization);
    p.Property("UpperRangePadChar", &Self::UpperRangePadChar, &Self::SetUpperRangePadChar);
    p.Property("DlgHeight", &Self::DlgHeight, &Self::SetDlgHeight);
    p.Property("QueryFormatDateMode", &Self::QueryFormatDateMode, &Self::SetQueryFormatDateMode);
    p.Property("SQLTables", &Self::SQLTables);
    p.Property("SQLUpperString", &Self::SQLUpperString, &Self::SetSQLUpperString);
    p.Property("SQLPropertyName", &Self::SQLPropertyName, &Self::SetSQLPropertyName);
    p.Property("OnInitDialog", &Self::OnInitDialog, &Self::SetOnInitDialog);
    p.Property("OnExecuteSQL", &Self::OnExecuteSQL, &Self::SetOnExecuteSQL);
    p.Property("OnEncodeValue", &Self::OnEncodeValue, &Self::SetOnEncodeValue);
    p.Property("OnEncodeDateTime", &Self::OnEncodeDateTime, &Self::SetOnEncodeDateTime);
    p.Property("OnSelectField", &Self::OnSelectField, &Self::SetOnSelectField);
    p.Property("OnInitTempDataSet", &Self::OnInitTempDataSet, &Self::SetOnInitTempDataSet);
    p.Property("OnAcceptFilterRecord", &Self::OnAcceptFilterRecord, &Self::SetOnAcceptFilterRecord);
}

void TqzFilterPropertyOptions::Publish(TPublisher<TqzFilterPropertyOptions>& p) {
    using Self = TqzFilterPropertyOptions;
    p.Property("DatasetFilterType", &Self::DatasetFilterType, &Self::DatasetFilterType);
    p.Property("UseLikeOperator", &Self::UseLikeOperator, &Self::UseLikeOperator);
    p.Property("LikeWildcardChar", &Self::LikeWildcardChar, &Self::LikeWildcardChar);
    p.Property("LikeSupportsUpperKeyword", &Self::LikeSupportsUpperKeyword, &Self::LikeSupportsUpperKeyword);
    p.Property("UseBracketsAroundFields", &Self::UseBracketsAroundFields, &Self::UseBracketsAroundFields);
}

void TqzSQLTablesCollectionItem::SetTableName(const std::string& Value) {
    FTableName = Value;
    Changed(false);
}

void TqzSQLTablesCollectionItem::SetTableAliasName(const std::string& Value) {
    FTableAliasName = Value;
    Changed(false);
}

void TqzSQLTablesCollectionItem::Assign(TPersistent* Source) {
    if (auto* item = dynamic_cast<TqzSQLTablesCollectionItem*>(Source)) {
        FTableName = item->FTableName;
        FTableAliasName = item->FTableAliasName;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

std::string TqzSQLTablesCollectionItem::GetDisplayName() const {
    const std::string name = !FTableAliasName.empty() ? FTableAliasName
                             : !FTableName.empty()    ? FTableName
                                                      : std::string("<Unassigned>");
    return name + " - " + std::to_string(Index());
}

void TqzSQLTablesCollectionItem::Publish(TPublisher<TqzSQLTablesCollectionItem>& p) {
    p.Property("TableName", &TqzSQLTablesCollectionItem::TableName,
               &TqzSQLTablesCollectionItem::SetTableName);
    p.Property("TableAliasName", &TqzSQLTablesCollectionItem::TableAliasName,
               &TqzSQLTablesCollectionItem::SetTableAliasName);
}

TqzSQLTablesCollection::TqzSQLTablesCollection(TqzFilterDialog* Dialog)
    : TOwnedCollection(Dialog, CollectionItemClass<TqzSQLTablesCollectionItem>()) {}

std::string TqzSQLTablesCollection::AliasOf(const std::string& TableName) const {
    if (TableName.empty()) return std::string();
    for (int i = 0; i < Count(); ++i) {
        const TqzSQLTablesCollectionItem* item = Items(i);
        if (!item->TableAliasName().empty() && AnsiSameText(item->TableName(), TableName))
            return item->TableAliasName();
    }
    return std::string();
}

TFilterRecordEvent TqzFilterDialog::FilterHandler() const {
    return TFilterRecordEvent(FDummyForm, &TqzDummyForm::FilterRecord);
}

TDataSet* TqzFilterDialog::GetPrimaryDataSet() { return DataSource() ? DataSource()->DataSet() : nullptr; }

TDataSet* TqzFilterDialog::GetDataSet(TDataSet* DataSet) {
    TDataSet* ds = DataSet ? DataSet : GetPrimaryDataSet();
    if (ds && qzClassInheritsFrom(ds, "TSimpleDataSet")) {
        if (TDataSet* inner = qzGetDataSet(ds)) ds = inner;
    }
    return ds;
}

void TqzFilterDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TqzCustomDialog::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == static_cast<TComponent*>(FRangeTable)) FRangeTable = nullptr;
    if (Operation == opRemove && AComponent == static_cast<TComponent*>(FHandedDataSet)) {
        FHandedDataSet = nullptr;
        FHandedFilter = 0;
        FHanded.clear();
    }
    if (Operation == opRemove && AComponent == FFilteredDataSet) {
        FFilteredDataSet = nullptr;
        FSavedHandler = TFilterRecordEvent();
    }
}

void TqzFilterDialog::SetDataSource(TDataSource* Value) {
    TDataSet* next = Value ? Value->DataSet() : nullptr;
    // The old dataset loses this dialog's filter before the criteria can
    // meet another dataset.
    if (FFilteredDataSet && FFilteredDataSet != next) TakeFilterOff();
    // The SQL road's saved text goes back to its own query, never to another.
    TDataSet* old = GetDataSet();
    if (!FSavedSQL.empty() && old && old != next) {
        const bool wasActive = old->Active();
        try {
            WriteSQLText(old, FSavedSQL);
            if (wasActive) old->Open();
        } catch (const Exception&) {}
        FSavedSQL.clear();
    }
    if (next && qzClassInheritsFrom(next, "TTable")) FFilterMethod = fdByFilter;
    FDataLink->SetDataSource(Value);
}

bool TqzFilterDialog::DataSetTakesSQL(TDataSet* DataSet) {
    std::string name;
    GetSQLPropertyName(name);
    return qzClassInheritsFrom(DataSet, "TQuery") || IsPublishedProp(DataSet, name);
}

void TqzFilterDialog::SetFilterMethod(TqzFilterMethod Value) {
    TDataSet* ds = GetPrimaryDataSet();
    if (!ds || DataSetTakesSQL(ds) || qzClassInheritsFrom(ds, "TSimpleDataSet") || Value == fdByFilter) {
        FFilterMethod = Value;
        return;
    }
    MessageDlg("Invalid FilterMethod for Dataset. \rOnly fdByFilter is supported for this type of Dataset",
               mtWarning, TMsgDlgButtons{mbOK}, 0);
}

void TqzFilterDialog::GetSQLPropertyName(std::string& Name) {
    if (!FSQLPropertyName.empty()) {
        Name = FSQLPropertyName;
        return;
    }
    TDataSet* ds = GetPrimaryDataSet();
    if (ds && (qzClassInheritsFrom(ds, "TClientDataSet") || qzClassInheritsFrom(ds, "TADODataSet") ||
               qzClassInheritsFrom(ds, "TSimpleDataSet")))
        Name = "CommandText";
    else
        Name = "SQL";
}

void TqzFilterDialog::DoDialogSummary(const TqzFieldInfoList& Criteria) {
    bool doDefault = true;
    if (FOnDialogSummary) FOnDialogSummary(this, Criteria, doDefault);
    if (doDefault) qzShowFilterDialogView(Criteria, FFieldOperators.get());
}

void TqzFilterDialog::DoInitDialog() {
    if (FOnInitDialog) FOnInitDialog(FForm);
}

void TqzFilterDialog::DoSelectField(const std::string& FieldName, std::string& PictureMask,
                                    TStrings* ComboList) {
    if (FOnSelectField) FOnSelectField(this, FieldName, PictureMask, ComboList);
}

void TqzFilterDialog::DoAcceptFilterRecord(TDataSet* DataSet, bool& Accept, bool& DefaultFiltering) {
    if (FOnAcceptFilterRecord) FOnAcceptFilterRecord(this, DataSet, Accept, DefaultFiltering);
}

void TqzFilterDialog::DataSetActiveChanged(bool Active) {
    if (Active || FBusy || !FOnFilterPropertyOptions.Contains(fdClearWhenCloseDataSet)) return;
    if (FFilterMethod != fdByFilter) return;
    TDataSet* ds = GetPrimaryDataSet();
    if (!FCriteria.empty() && ds && qzClassInheritsFrom(ds, "TBDEDataSet")) qzSetOnFilterOptions(ds, false);
    ClearFilter();
}

void TqzFilterDialog::GetFieldsFromDataSet() {
    FFieldList.clear();
    TDataSet* ds = GetDataSet();
    if (!ds) return;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TField* f = ds->Fields()->Fields(i);
        FFieldList.push_back({f->FieldName(), f->FieldName(), "", f->DataType(), f->DisplayLabel(), f->Size(),
                              ds->GetFieldText(f, nullptr)});
    }
}

void TqzFilterDialog::LoadFields() {
    if (FFilterMethod == fdByQueryModify)
        GetFieldsBySQL();
    else
        GetFieldsFromDataSet();
}

void TqzFilterDialog::ClearFilter() {
    FCriteria.clear();
    DropDatabaseCriteria();
    CancelTableRange();
    TDataSet* ds = GetDataSet();
    if (!ds || FFilterMethod != fdByQueryModify || FSavedSQL.empty()) return;
    WriteSQLText(ds, FSavedSQL);
    FSavedSQL.clear();
}

bool TqzFilterDialog::ApplyFilter() {
    FShowForm = false;
    bool result = false;
    try {
        LoadFields();
        result = Execute();
    } catch (...) {
        FShowForm = true;
        throw;
    }
    FShowForm = true;
    return result;
}

bool TqzFilterDialog::Execute() {
    TDataSet* ds = GetDataSet();
    if (!DataSource() || !ds) return false;
    if (!ds->Active() && FFilterMethod == fdByFilter) {
        MessageDlg("Dataset must be active to perform local filtering (FilterMethod=fdByFilter).", mtError,
                   TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    if (FFieldOperators->OrChar() == FFieldOperators->AndChar())
        MessageDlg("And and Or Operators have the same value.", mtWarning, TMsgDlgButtons{mbOK}, 0);
    TqzHourGlass hourGlass;
    if (FShowForm) {
        std::unique_ptr<TqzFilterDlg> form(new TqzFilterDlg(Application, this));
        if (FOptions.Contains(fdSizeable)) form->SetBorderStyle(bsSizeable);
        if (!FCaption.empty()) form->SetCaption(FCaption);
        FForm = form.get();
        int result;
        try {
            result = form->ShowModal();
        } catch (...) {
            FForm = nullptr;
            throw;
        }
        FForm = nullptr;
        if (result != mrOk) return false;
        if (!form->Modified() && qzGetOnFilterOptions(ds).Contains(ofoEnabled) && FFilteredDataSet == ds)
            return true;
        FCriteria = form->FieldInfo();
    }
    if (TCustomForm* owner = qzGetOwnerForm(this)) owner->Update();
    qzSetOnFilterOptions(ds, true);
    if (!DataSetTakesSQL(ds)) return ApplyLocalFilter(ds);
    switch (FFilterMethod) {
    case fdByFilter: return ApplyLocalFilter(ds);
    case fdByQueryModify: return ApplySQL(ds);
    default: return true;
    }
}

void TqzFilterDialog::SetFilteredBusy(TDataSet* DataSet, bool Value) {
    FBusy = true;
    try {
        DataSet->SetFiltered(Value);
    } catch (...) {
        FBusy = false;
        throw;
    }
    FBusy = false;
}

void TqzFilterDialog::TakeFilterOff() {
    CancelTableRange();
    DropDatabaseCriteria();
    TDataSet* ds = FFilteredDataSet;
    if (!ds) return;
    const TFilterRecordEvent saved = FSavedHandler;
    const bool savedFiltered = FSavedFiltered;
    FFilteredDataSet = nullptr;
    FSavedHandler = TFilterRecordEvent();
    ds->RemoveFreeNotification(this);
    if (ds->OnFilterRecord() == FilterHandler()) ds->SetOnFilterRecord(saved);
    if (ds->Filtered() != savedFiltered) {
        SetFilteredBusy(ds, savedFiltered);
    } else if (ds->Filtered() && ds->Active()) {
        // Rebuilt without this dialog's handler.
        SetFilteredBusy(ds, false);
        SetFilteredBusy(ds, true);
    }
}

bool TqzFilterDialog::ApplyLocalFilter(TDataSet* DataSet) {
    const TqzDatasetFilterType type = FFilterPropertyOptions->DatasetFilterType;
    if (type != fdUseOnFilter) {
        if (!ApplyFilterText(DataSet)) return false;
        if (type == fdUseFilterProp) return true;
    }
    if (!DataSet->Active()) DataSet->Open();
    if (FFilteredDataSet && FFilteredDataSet != DataSet) TakeFilterOff();
    if (FCriteria.empty() && FOnFilterPropertyOptions.Contains(fdClearWhenNoCriteria)) {
        TakeFilterOff();
        return true;
    }
    if (FFilteredDataSet != DataSet) {
        // First install on this dataset: what was there comes back when the
        // filter is taken off.
        FSavedHandler = DataSet->OnFilterRecord();
        FSavedFiltered = DataSet->Filtered();
        FFilteredDataSet = DataSet;
        DataSet->FreeNotification(this);
    }
    ApplyTableRanges(DataSet);
    HandCriteriaToDatabase(DataSet);
    try {
        if (dynamic_cast<TDBDataSet*>(DataSet)) {
            // one build: the new handler builds a filtered cursor, else Filtered does
            const bool filtered = DataSet->Filtered();
            DataSet->SetOnFilterRecord(FilterHandler());
            if (!filtered) SetFilteredBusy(DataSet, true);
        } else {
            DataSet->SetOnFilterRecord(FilterHandler());
            SetFilteredBusy(DataSet, false);
            SetFilteredBusy(DataSet, true);
        }
    } catch (...) {
        try {
            TakeFilterOff();
        } catch (...) {}
        throw;
    }
    return true;
}
