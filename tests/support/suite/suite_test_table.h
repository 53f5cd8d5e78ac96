// An engine table that publishes what the suite's datasets publish: the
// per-field line lists, OnInvalidValue, OnFilterOptions and ValidateWithMask
// (checking picture masks before each post), and that counts its Locate
// calls. Also a plain component that publishes the properties the suite
// reads by name.
#pragma once

#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/component.h"
#include "platform/core/properties.h"
#include "platform/core/strings.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/params.h"
#include "platform/ui/controls.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qztypes.h"

class TqzTestTable : public TOstraTable {
    TASKMOOR_CLASS(TqzTestTable, TOstraTable)
public:
    explicit TqzTestTable(TComponent* AOwner = nullptr) : TOstraTable(AOwner) {}

    TStrings* ControlType() const { return FControlType.get(); }
    void SetControlType(TStrings* Value) { FControlType->Assign(Value); }
    TStrings* PictureMasks() const { return FPictureMasks.get(); }
    void SetPictureMasks(TStrings* Value) { FPictureMasks->Assign(Value); }
    TStrings* LookupFields() const { return FLookupFields.get(); }
    void SetLookupFields(TStrings* Value) { FLookupFields->Assign(Value); }
    TStrings* LookupLinks() const { return FLookupLinks.get(); }
    void SetLookupLinks(TStrings* Value) { FLookupLinks->Assign(Value); }
    const TqzInvalidValueEvent& OnInvalidValue() const { return FOnInvalidValue; }
    void SetOnInvalidValue(const TqzInvalidValueEvent& Value) { FOnInvalidValue = Value; }
    TqzOnFilterOptions OnFilterOptions() const { return FOnFilterOptions; }
    void SetOnFilterOptions(TqzOnFilterOptions Value) { FOnFilterOptions = Value; }
    bool ValidateWithMask() const { return FValidateWithMask; }
    void SetValidateWithMask(bool Value) { FValidateWithMask = Value; }

    bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) override {
        ++LocateCalls;
        LastLocateOptions = Options;
        return TOstraTable::Locate(KeyFields, KeyValues, Options);
    }
    int LocateCalls = 0;
    TLocateOptions LastLocateOptions;

    static void Publish(TPublisher<TqzTestTable>& p) {
        p.Property("ControlType", &TqzTestTable::ControlType, &TqzTestTable::SetControlType);
        p.Property("PictureMasks", &TqzTestTable::PictureMasks, &TqzTestTable::SetPictureMasks);
        p.Property("LookupFields", &TqzTestTable::LookupFields, &TqzTestTable::SetLookupFields);
        p.Property("LookupLinks", &TqzTestTable::LookupLinks, &TqzTestTable::SetLookupLinks);
        p.Property("OnInvalidValue", &TqzTestTable::OnInvalidValue, &TqzTestTable::SetOnInvalidValue);
        p.Property("OnFilterOptions", &TqzTestTable::OnFilterOptions, &TqzTestTable::SetOnFilterOptions);
        p.Property("ValidateWithMask", &TqzTestTable::ValidateWithMask, &TqzTestTable::SetValidateWithMask);
    }

protected:
    void DoBeforePost() override {
        if (FValidateWithMask) qzValidatePictureMasks(this, FOnInvalidValue);
        TOstraTable::DoBeforePost();
    }

private:
    std::unique_ptr<TStringList> FControlType = std::make_unique<TStringList>();
    std::unique_ptr<TStringList> FPictureMasks = std::make_unique<TStringList>();
    std::unique_ptr<TStringList> FLookupFields = std::make_unique<TStringList>();
    std::unique_ptr<TStringList> FLookupLinks = std::make_unique<TStringList>();
    TqzInvalidValueEvent FOnInvalidValue;
    TqzOnFilterOptions FOnFilterOptions{ofoEnabled};
    bool FValidateWithMask = true;
};

// A component publishing every property the accessors by name reach.
class TqzPropHolder : public TComponent {
    TASKMOOR_CLASS(TqzPropHolder, TComponent)
public:
    explicit TqzPropHolder(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    int CursorLocation = 0;
    int MaxRecords = 0;
    std::string DatabaseName, TableName, SessionName, ConnectionString;
    TComponent* Connection = nullptr;
    TComponent* DataBase = nullptr;
    TDataSource* MasterSource = nullptr;
    TDataSet* DataSetRef = nullptr;
    TParams Params;
    bool AlwaysTransparent = false;
    bool Transparent = false;
    TFormBorderStyle BorderStyle = bsSingle;
    bool WantReturns = false;
    bool EditCalculated = false;
    TComponent* ControlList = nullptr;
    TNotifyEvent OnPerformCustomSearch;
    TNotifyEvent OnCalcCellColors;
    std::string QueryText;

    static void Publish(TPublisher<TqzPropHolder>& p) {
        p.Property("CursorLocation", &TqzPropHolder::CursorLocation, &TqzPropHolder::CursorLocation);
        p.Property("MaxRecords", &TqzPropHolder::MaxRecords, &TqzPropHolder::MaxRecords);
        p.Property("DatabaseName", &TqzPropHolder::DatabaseName, &TqzPropHolder::DatabaseName);
        p.Property("TableName", &TqzPropHolder::TableName);
        p.Property("SessionName", &TqzPropHolder::SessionName, &TqzPropHolder::SessionName);
        p.Property("ConnectionString", &TqzPropHolder::ConnectionString, &TqzPropHolder::ConnectionString);
        p.Property("Connection", &TqzPropHolder::Connection, &TqzPropHolder::Connection);
        p.Property("DataBase", &TqzPropHolder::DataBase, &TqzPropHolder::DataBase);
        p.Property("MasterSource", &TqzPropHolder::MasterSource, &TqzPropHolder::MasterSource);
        p.Property("DataSet", &TqzPropHolder::DataSetRef, &TqzPropHolder::DataSetRef);
        p.Property("Params", [](TqzPropHolder& h) { return &h.Params; });
        p.Property("AlwaysTransparent", &TqzPropHolder::AlwaysTransparent, &TqzPropHolder::AlwaysTransparent);
        p.Property("Transparent", &TqzPropHolder::Transparent, &TqzPropHolder::Transparent);
        p.Property("BorderStyle", &TqzPropHolder::BorderStyle, &TqzPropHolder::BorderStyle);
        p.Property("WantReturns", &TqzPropHolder::WantReturns, &TqzPropHolder::WantReturns);
        p.Property("EditCalculated", &TqzPropHolder::EditCalculated, &TqzPropHolder::EditCalculated);
        p.Property("ControlList", &TqzPropHolder::ControlList, &TqzPropHolder::ControlList);
        p.Property("OnPerformCustomSearch", &TqzPropHolder::OnPerformCustomSearch,
                   &TqzPropHolder::OnPerformCustomSearch);
        p.Property("OnCalcCellColors", &TqzPropHolder::OnCalcCellColors, &TqzPropHolder::OnCalcCellColors);
        p.Property("Query", &TqzPropHolder::QueryText, &TqzPropHolder::QueryText);
    }
};
