// The in-memory dataset the framework, control and report tests run over.
#include "support/db/memory_dataset.h"

#include <algorithm>
#include <cstring>

#include "platform/core/datetime.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"

namespace {

template <class T>
std::string Native(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// A value text in the native layout of the field type.
std::string NativeFromText(TFieldType type, const std::string& text) {
    switch (type) {
    case ftSmallint: return Native<int16_t>(static_cast<int16_t>(StrToInt(text)));
    case ftInteger:
    case ftAutoInc: return Native<int32_t>(StrToInt(text));
    case ftLargeint: return Native<int64_t>(StrToInt64(text));
    case ftBoolean: {
        const std::string t = UpperCase(text);
        return Native<int16_t>(t == "T" || t == "TRUE" || t == "1" ? -1 : 0);
    }
    case ftFloat:
    case ftCurrency: return Native<double>(StrToFloat(text));
    case ftDate: return Native<int32_t>(DateTimeToTimeStamp(StrToDate(text)).Date);
    case ftTime: return Native<int32_t>(DateTimeToTimeStamp(StrToTime(text)).Time);
    case ftDateTime: return Native<double>(TimeStampToMSecs(DateTimeToTimeStamp(StrToDateTime(text))));
    default: return text;
    }
}

}  // namespace

TMemoryDataSet::TMemoryDataSet(TComponent* AOwner) : TRowDataSet(AOwner) {}

TMemoryDataSet::~TMemoryDataSet() {
    Destroying();
    SetActive(false);
}

TMemoryDataSet::Row TMemoryDataSet::MakeRow(const std::vector<std::string>& Texts) {
    Row row;
    row.Id = FNextId++;
    const size_t count = static_cast<size_t>(FieldDefs()->Count());
    row.Values.resize(count);
    row.Has.resize(count, 0);
    for (size_t i = 0; i < count && i < Texts.size(); ++i) {
        if (Texts[i].empty()) continue;
        row.Values[i] = NativeFromText(FieldDefs()->Items(static_cast<int>(i))->DataType(), Texts[i]);
        row.Has[i] = 1;
    }
    return row;
}

void TMemoryDataSet::AddRow(const std::vector<std::string>& Texts) {
    Row row = MakeRow(Texts);
    FRows.emplace_hint(FRows.end(), row.Id, std::move(row));
    if (FOpen) RebuildView();
}

void TMemoryDataSet::AddIntegerRows(int Count) {
    const size_t fields = static_cast<size_t>(FieldDefs()->Count());
    for (int i = 1; i <= Count; ++i) {
        Row row;
        row.Id = FNextId++;
        row.Values.resize(fields);
        row.Has.resize(fields, 0);
        row.Values[0] = Native<int32_t>(i);
        row.Has[0] = 1;
        FRows.emplace_hint(FRows.end(), row.Id, std::move(row));
    }
    if (FOpen) RebuildView();
}

std::string TMemoryDataSet::Stored(int Position, const std::string& FieldName) const {
    const int f = FieldDefs()->IndexOf(FieldName);
    const Row& r = FRows.at(FView.at(static_cast<size_t>(Position)));
    if (f < 0 || !r.Has[static_cast<size_t>(f)]) return "(null)";
    const std::string& v = r.Values[static_cast<size_t>(f)];
    switch (FieldDefs()->Items(f)->DataType()) {
    case ftInteger: {
        int32_t x = 0;
        std::memcpy(&x, v.data(), sizeof x);
        return std::to_string(x);
    }
    case ftBoolean: {
        int16_t x = 0;
        std::memcpy(&x, v.data(), sizeof x);
        return x ? "True" : "False";
    }
    default: return v;
    }
}

void TMemoryDataSet::RebuildView() {
    FView.clear();
    FView.reserve(FRows.size());
    const bool filter = Filtered() && OnFilterRecord().Assigned();
    TRow work;
    for (auto& [id, row] : FRows) {
        if (filter) {
            work.Key = id;
            work.Values = row.Values;
            work.Has = row.Has;
            FFilterRow = &work;
            const TDataSetState old = SetTempState(dsFilter);
            bool accept = true;
            try {
                OnFilterRecord()(this, accept);
            } catch (...) {
                RestoreState(old);
                FFilterRow = nullptr;
                throw;
            }
            RestoreState(old);
            FFilterRow = nullptr;
            if (!accept) continue;
        }
        FView.push_back(id);
    }
    FPositions.clear();
    FPositions.reserve(FView.size());
    for (size_t i = 0; i < FView.size(); ++i) FPositions[FView[i]] = static_cast<int>(i);
}

int TMemoryDataSet::PositionOf(int64_t Key) const {
    auto it = FPositions.find(static_cast<int>(Key));
    return it == FPositions.end() ? -1 : it->second;
}

void TMemoryDataSet::StoreRow(Row& Target, const TRow& Source) {
    Target.Values = Source.Values;
    Target.Has = Source.Has;
}

TGetResult TMemoryDataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) {
    ++GetRecordCalls;
    return TRowDataSet::GetRecord(Buffer, GetMode, DoCheck);
}

void TMemoryDataSet::ReadShownRow(int Position, TRow& Target) {
    const Row& row = FRows.at(FView[static_cast<size_t>(Position)]);
    Target.Key = row.Id;
    Target.Values = row.Values;
    Target.Has = row.Has;
}

void TMemoryDataSet::InternalAddRecord(TRecordBuffer Buf, bool Append) {
    ++InternalAddRecordCalls;
    TRow* buffer = AsRow(Buf);
    Row row;
    row.Id = FNextId++;
    StoreRow(row, *buffer);
    row.Status = usInserted;
    int position = static_cast<int>(FView.size());
    if (!Append) {
        if (buffer->Flag == bfBOF)
            position = 0;
        else if (buffer->Flag == bfInserted && PositionOf(buffer->Key) >= 0)
            position = PositionOf(buffer->Key);
    }
    const int id = row.Id;
    FRows.emplace(id, std::move(row));
    FView.insert(FView.begin() + position, id);
    for (size_t i = static_cast<size_t>(position); i < FView.size(); ++i)
        FPositions[FView[i]] = static_cast<int>(i);
    FPosition = position;
}

void TMemoryDataSet::InternalPost() {
    TDataSet::InternalPost();
    TRow* buffer = AsRow(ActiveBuffer());
    if (State() == dsEdit) {
        Row& row = FRows.at(static_cast<int>(buffer->Key));
        StoreRow(row, *buffer);
        if (row.Status == usUnmodified) row.Status = usModified;
        FPosition = PositionOf(row.Id);
        return;
    }
    InternalAddRecord(ActiveBuffer(), buffer->Flag == bfEOF);
    --InternalAddRecordCalls;
}

void TMemoryDataSet::InternalDelete() {
    if (FPosition < 0 || FPosition >= static_cast<int>(FView.size())) DatabaseError(SRecordNotFound);
    const int id = FView[static_cast<size_t>(FPosition)];
    FView.erase(FView.begin() + FPosition);
    FRows.erase(id);
    FPositions.erase(id);
    for (size_t i = static_cast<size_t>(FPosition); i < FView.size(); ++i)
        FPositions[FView[i]] = static_cast<int>(i);
}

void TMemoryDataSet::InternalOpen() {
    if (DefaultFields()) CreateFields();
    BindFields(true);
    SetBookmarkSize(sizeof(int64_t));
    for (auto& [id, row] : FRows) {
        row.Values.resize(static_cast<size_t>(FieldDefs()->Count()));
        row.Has.resize(static_cast<size_t>(FieldDefs()->Count()), 0);
    }
    FOpen = true;
    RebuildView();
    FPosition = -1;
}

void TMemoryDataSet::InternalClose() {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    FOpen = false;
    FView.clear();
    FPositions.clear();
    FPosition = -1;
}

void TMemoryDataSet::SetRecNo(int Value) {
    CheckBrowseMode();
    const int count = static_cast<int>(FView.size());
    if (count == 0) return;
    Value = std::clamp(Value, 1, count);
    if (Value == RecNo()) return;
    DoBeforeScroll();
    FPosition = Value - 1;
    Resync({rmCenter});
    DoAfterScroll();
}

void TMemoryDataSet::SetFiltered(bool Value) {
    TDataSet::SetFiltered(Value);
    if (Active()) {
        RebuildView();
        First();
    }
}

TUpdateStatus TMemoryDataSet::UpdateStatus() {
    const TRow* buffer = RecordRow();
    if (State() == dsInsert) return usInserted;
    if (!buffer) return usUnmodified;
    auto it = FRows.find(static_cast<int>(buffer->Key));
    return it == FRows.end() ? usUnmodified : it->second.Status;
}
