// A small in-memory dataset over the framework, for the framework's tests.
// Rows hold each field's value in the native layout (BLOB values as their
// bytes); the shown rows are a view built from all rows through the filter.
// Bookmarks are row ids. It counts the calls the tests look at.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/db/row_dataset.h"

class TMemoryDataSet : public TRowDataSet {
    TASKMOOR_CLASS(TMemoryDataSet, TRowDataSet)
public:
    struct Row {
        int Id = 0;
        std::vector<std::string> Values;
        std::vector<char> Has;
        TUpdateStatus Status = usUnmodified;
    };

    explicit TMemoryDataSet(TComponent* AOwner);
    ~TMemoryDataSet() override;

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    // Adds rows while closed or open (then the view is rebuilt), values by
    // text through the field definitions' types.
    void AddRow(const std::vector<std::string>& Texts);
    // Adds Count rows whose first field is an integer 1..Count (fast path for
    // big tables).
    void AddIntegerRows(int Count);
    int RowCount() const { return static_cast<int>(FRows.size()); }
    // The stored text of a field of the row at Position of the open view
    // (integers, Booleans "True"/"False", strings); "(null)" when it has none.
    std::string Stored(int Position, const std::string& FieldName) const;

    // Call counters.
    long GetRecordCalls = 0;
    int InternalCancelCalls = 0;
    int InternalAddRecordCalls = 0;

    void SetFiltered(bool Value) override;
    TUpdateStatus UpdateStatus() override;
    void SetRecNo(int Value) override;

protected:
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    void ReadShownRow(int Position, TRow& Row) override;
    int PositionOf(int64_t Key) const override;
    TRow* FilterRow() const override { return FFilterRow; }
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
    void InternalPost() override;
    void InternalDelete() override;
    void InternalCancel() override { ++InternalCancelCalls; }
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override {}
    bool IsCursorOpen() override { return FOpen; }
    int GetRecordCount() override { return static_cast<int>(FView.size()); }
    bool GetCanModify() override { return !FReadOnly; }

private:
    void RebuildView();
    void StoreRow(Row& Target, const TRow& Source);
    Row MakeRow(const std::vector<std::string>& Texts);

    std::map<int, Row> FRows;
    std::vector<int> FView;
    std::unordered_map<int, int> FPositions;
    int FNextId = 1;
    bool FOpen = false;
    bool FReadOnly = false;
    TRow* FFilterRow = nullptr;
};
