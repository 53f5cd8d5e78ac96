// Shared pieces of the dataset framework tests: a data link that writes what
// it is told into a log, and a fixture with an open in-memory dataset.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "support/db/memory_dataset.h"

using TLog = std::vector<std::string>;

class TLogLink : public TDataLink {
public:
    TLogLink(TLog& Log, std::string Name, bool Visual = true) : FLog(Log), FName(std::move(Name)) {
        SetVisualControl(Visual);
    }
    std::vector<int> Scrolls;

protected:
    void ActiveChanged() override { Add("ActiveChanged(" + std::string(Active() ? "1" : "0") + ")"); }
    void DataSetChanged() override { Add("DataSetChanged"); }
    void DataSetScrolled(int Distance) override {
        Scrolls.push_back(Distance);
        Add("DataSetScrolled(" + std::to_string(Distance) + ")");
    }
    void RecordChanged(TField* Field) override {
        Add("RecordChanged(" + (Field ? Field->FieldName() : std::string("nil")) + ")");
    }
    void EditingChanged() override { Add("EditingChanged(" + std::string(Editing() ? "1" : "0") + ")"); }
    void LayoutChanged() override { Add("LayoutChanged"); }
    void UpdateData() override { Add("UpdateData"); }
    void CheckBrowseMode() override { Add("CheckBrowseMode"); }
    void FocusControl(TField*& Field) override {
        Add("FocusControl(" + (Field ? Field->FieldName() : std::string("nil")) + ")");
    }

private:
    void Add(const std::string& Text) { FLog.push_back(FName + "." + Text); }
    TLog& FLog;
    std::string FName;
};

// An open dataset of Count rows: ID (integer) i and Name (string 20) "Name i".
class DataSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        Owner = std::make_unique<TComponent>(nullptr);
        DataSet = new TMemoryDataSet(Owner.get());
        Source = new TDataSource(Owner.get());
        Source->SetDataSet(DataSet);
    }
    void TearDown() override {
        Links.clear();
        Owner.reset();
    }

    void MakeRows(int Count, bool Open = true) {
        DataSet->FieldDefs()->Add("ID", ftInteger);
        DataSet->FieldDefs()->Add("Name", ftString, 20);
        for (int i = 1; i <= Count; ++i) DataSet->AddRow({std::to_string(i), "Name " + std::to_string(i)});
        if (Open) DataSet->Open();
    }

    TLogLink* AddLink(const std::string& Name, int BufferCount = 1, bool Visual = true) {
        Links.push_back(std::make_unique<TLogLink>(Log, Name, Visual));
        TLogLink* link = Links.back().get();
        link->SetBufferCount(BufferCount);
        link->SetDataSource(Source);
        return link;
    }

    // Logs the dataset's before/after events as "BeforePost", ...
    void LogEvents() {
        auto add = [this](const char* name) {
            return TDataSetNotifyEvent([this, name](TDataSet*) { Log.push_back(name); });
        };
        DataSet->SetBeforeOpen(add("BeforeOpen"));
        DataSet->SetAfterOpen(add("AfterOpen"));
        DataSet->SetBeforeClose(add("BeforeClose"));
        DataSet->SetAfterClose(add("AfterClose"));
        DataSet->SetBeforeInsert(add("BeforeInsert"));
        DataSet->SetAfterInsert(add("AfterInsert"));
        DataSet->SetBeforeEdit(add("BeforeEdit"));
        DataSet->SetAfterEdit(add("AfterEdit"));
        DataSet->SetBeforePost(add("BeforePost"));
        DataSet->SetAfterPost(add("AfterPost"));
        DataSet->SetBeforeCancel(add("BeforeCancel"));
        DataSet->SetAfterCancel(add("AfterCancel"));
        DataSet->SetBeforeDelete(add("BeforeDelete"));
        DataSet->SetAfterDelete(add("AfterDelete"));
        DataSet->SetBeforeScroll(add("BeforeScroll"));
        DataSet->SetAfterScroll(add("AfterScroll"));
        DataSet->SetOnNewRecord(add("OnNewRecord"));
    }

    int IdOf() { return DataSet->FieldByName("ID")->AsInteger(); }

    // The IDs a link's window shows, read by moving its active record.
    std::vector<int> RowsOf(TDataLink* Link) {
        std::vector<int> ids;
        const int saved = Link->ActiveRecord();
        for (int row = 0; row < Link->RecordCount(); ++row) {
            Link->SetActiveRecord(row);
            ids.push_back(IdOf());
        }
        Link->SetActiveRecord(saved);
        return ids;
    }

    static std::vector<int> Range(int From, int To) {
        std::vector<int> v;
        for (int i = From; i <= To; ++i) v.push_back(i);
        return v;
    }

    template <class F>
    static std::string ErrorOf(F&& f) {
        try {
            f();
        } catch (const Exception& e) {
            return e.Message();
        }
        return "(no error)";
    }

    std::unique_ptr<TComponent> Owner;
    TMemoryDataSet* DataSet = nullptr;
    TDataSource* Source = nullptr;
    TLog Log;
    std::vector<std::unique_ptr<TLogLink>> Links;
};
