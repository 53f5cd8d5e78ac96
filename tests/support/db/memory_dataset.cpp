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

struct TMemoryDataSet::TRowBuffer {
    int Id = 0;
    TBookmarkFlag Flag = bfCurrent;
    int RecNo = -1;
    std::vector<std::string> Values;
    std::vector<char> Has;
    std::string Calc;
};

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

// The blob stream: loads the value; a modified stream writes it back when
// freed, unless it was opened to read.
class TMemoryBlobStream : public TMemoryStream {
public:
    TMemoryBlobStream(TMemoryDataSet* DataSet, TField* Field, TBlobStreamMode Mode)
        : FDataSet(DataSet), FField(Field), FMode(Mode), FModified(Mode == bmWrite) {}
    ~TMemoryBlobStream() override {
        if (!FModified || FMode == bmRead) return;
        try {
            std::string data(static_cast<size_t>(Size()), '\0');
            if (!data.empty()) std::memcpy(data.data(), Memory(), data.size());
            FDataSet->WriteBlob(FField, data);
        } catch (...) {}
    }
    // The value read in is no change.
    void Loaded() { FModified = false; }
    int64_t Write(const void* buffer, int64_t count) override {
        FModified = true;
        return TMemoryStream::Write(buffer, count);
    }

private:
    TMemoryDataSet* FDataSet;
    TField* FField;
    TBlobStreamMode FMode;
    bool FModified;
};

}  // namespace

TMemoryDataSet::TMemoryDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

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
    TRowBuffer work;
    for (auto& [id, row] : FRows) {
        if (filter) {
            work.Id = id;
            work.Values = row.Values;
            work.Has = row.Has;
            FFilterBuffer = &work;
            const TDataSetState old = SetTempState(dsFilter);
            bool accept = true;
            try {
                OnFilterRecord()(this, accept);
            } catch (...) {
                RestoreState(old);
                FFilterBuffer = nullptr;
                throw;
            }
            RestoreState(old);
            FFilterBuffer = nullptr;
            if (!accept) continue;
        }
        FView.push_back(id);
    }
    FPositions.clear();
    FPositions.reserve(FView.size());
    for (size_t i = 0; i < FView.size(); ++i) FPositions[FView[i]] = static_cast<int>(i);
}

int TMemoryDataSet::PositionOf(int Id) const {
    auto it = FPositions.find(Id);
    return it == FPositions.end() ? -1 : it->second;
}

void TMemoryDataSet::StoreRow(Row& Target, const TRowBuffer& Source) {
    Target.Values = Source.Values;
    Target.Has = Source.Has;
}

TRecordBuffer TMemoryDataSet::AllocRecordBuffer() {
    auto* buffer = new TRowBuffer;
    const size_t count = static_cast<size_t>(FieldDefs()->Count());
    buffer->Values.resize(count);
    buffer->Has.resize(count, 0);
    buffer->Calc.assign(static_cast<size_t>(CalcFieldsSize()), '\0');
    return reinterpret_cast<TRecordBuffer>(buffer);
}

void TMemoryDataSet::FreeRecordBuffer(TRecordBuffer& Buffer) {
    delete AsBuffer(Buffer);
    Buffer = nullptr;
}

TGetResult TMemoryDataSet::GetRecord(TRecordBuffer Buf, TGetMode GetMode, bool) {
    ++GetRecordCalls;
    const TGetResult step = StepCursor(FPosition, static_cast<int>(FView.size()), GetMode);
    if (step != grOK) return step;
    TRowBuffer* buffer = AsBuffer(Buf);
    const Row& row = FRows.at(FView[static_cast<size_t>(FPosition)]);
    buffer->Id = row.Id;
    buffer->Values = row.Values;
    buffer->Has = row.Has;
    buffer->Flag = bfCurrent;
    buffer->RecNo = FPosition + 1;
    GetCalcFields(Buf);
    return grOK;
}

void TMemoryDataSet::GetBookmarkData(TRecordBuffer Buffer, void* Data) {
    std::memcpy(Data, &AsBuffer(Buffer)->Id, sizeof(int32_t));
}

void TMemoryDataSet::SetBookmarkData(TRecordBuffer Buffer, const void* Data) {
    std::memcpy(&AsBuffer(Buffer)->Id, Data, sizeof(int32_t));
}

TBookmarkFlag TMemoryDataSet::GetBookmarkFlag(TRecordBuffer Buffer) { return AsBuffer(Buffer)->Flag; }

void TMemoryDataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
    AsBuffer(Buffer)->Flag = Value;
}

void TMemoryDataSet::InternalGotoBookmark(const void* Bookmark) {
    int32_t id = 0;
    std::memcpy(&id, Bookmark, sizeof id);
    const int position = PositionOf(id);
    if (position >= 0) FPosition = position;
}

void TMemoryDataSet::InternalSetToRecord(TRecordBuffer Buffer) {
    const int position = PositionOf(AsBuffer(Buffer)->Id);
    if (position >= 0) FPosition = position;
}

void TMemoryDataSet::InternalInitRecord(TRecordBuffer Buf) {
    TRowBuffer* buffer = AsBuffer(Buf);
    std::fill(buffer->Values.begin(), buffer->Values.end(), std::string());
    std::fill(buffer->Has.begin(), buffer->Has.end(), 0);
    buffer->Id = 0;
    buffer->Flag = bfInserted;
    buffer->RecNo = -1;
}

void TMemoryDataSet::InternalAddRecord(TRecordBuffer Buf, bool Append) {
    ++InternalAddRecordCalls;
    TRowBuffer* buffer = AsBuffer(Buf);
    Row row;
    row.Id = FNextId++;
    StoreRow(row, *buffer);
    row.Status = usInserted;
    int position = static_cast<int>(FView.size());
    if (!Append) {
        if (buffer->Flag == bfBOF)
            position = 0;
        else if (buffer->Flag == bfInserted && PositionOf(buffer->Id) >= 0)
            position = PositionOf(buffer->Id);
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
    TRowBuffer* buffer = AsBuffer(ActiveBuffer());
    if (State() == dsEdit) {
        Row& row = FRows.at(buffer->Id);
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
    SetBookmarkSize(sizeof(int32_t));
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

TMemoryDataSet::TRowBuffer* TMemoryDataSet::RecordBuffer() const {
    switch (State()) {
    case dsCalcFields: return AsBuffer(CalcBuffer());
    case dsFilter: return FFilterBuffer;
    default: return IsEmpty() ? nullptr : AsBuffer(ActiveBuffer());
    }
}

int TMemoryDataSet::GetRecNo() {
    const TRowBuffer* buffer = RecordBuffer();
    return buffer ? buffer->RecNo : -1;
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

void TMemoryDataSet::ClearCalcFields(TRecordBuffer Buffer) {
    std::fill(AsBuffer(Buffer)->Calc.begin(), AsBuffer(Buffer)->Calc.end(), '\0');
}

bool TMemoryDataSet::GetFieldData(TField* Field, void* Buf) {
    const TRowBuffer* buffer = RecordBuffer();
    if (!buffer) return false;
    if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup) {
        const size_t offset = static_cast<size_t>(Field->Offset());
        if (offset + 1 + static_cast<size_t>(Field->DataSize()) > buffer->Calc.size()) return false;
        if (!buffer->Calc[offset]) return false;
        if (Buf) std::memcpy(Buf, buffer->Calc.data() + offset + 1, static_cast<size_t>(Field->DataSize()));
        ++CalcCount;
        return true;
    }
    const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
    if (index >= buffer->Has.size() || !buffer->Has[index]) return false;
    const std::string& value = buffer->Values[index];
    if (Field->IsBlob()) return !value.empty();
    if (Buf) {
        if (Field->DataType() == ftString) {
            const size_t n = std::min(value.size(), static_cast<size_t>(Field->Size()));
            std::memcpy(Buf, value.data(), n);
            static_cast<char*>(Buf)[n] = '\0';
        } else {
            std::memcpy(Buf, value.data(), std::min(value.size(), static_cast<size_t>(Field->DataSize())));
        }
    }
    return true;
}

void TMemoryDataSet::SetFieldData(TField* Field, const void* Buf) {
    if (!dsWriteModes.Contains(State())) DatabaseError(SNotEditing);
    const bool calculated = Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup;
    if (calculated != (State() == dsCalcFields)) DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName());
    if (calculated) {
        TRowBuffer* buffer = AsBuffer(CalcBuffer());
        const size_t offset = static_cast<size_t>(Field->Offset());
        buffer->Calc[offset] = Buf ? 1 : 0;
        if (Buf) std::memcpy(buffer->Calc.data() + offset + 1, Buf, static_cast<size_t>(Field->DataSize()));
        return;
    }
    if (Field->ReadOnly() && State() != dsFilter) DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName());
    Field->Validate(Buf);
    TRowBuffer* buffer = AsBuffer(ActiveBuffer());
    const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
    if (!Buf) {
        buffer->Values[index].clear();
        buffer->Has[index] = 0;
    } else if (Field->DataType() == ftString) {
        buffer->Values[index] = static_cast<const char*>(Buf);
        buffer->Has[index] = 1;
    } else {
        buffer->Values[index].assign(static_cast<const char*>(Buf), static_cast<size_t>(Field->DataSize()));
        buffer->Has[index] = 1;
    }
    if (State() != dsFilter) DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
}

TStream* TMemoryDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    if (Mode != bmRead) {
        if (Field->ReadOnly()) DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName());
        if (State() != dsEdit && State() != dsInsert) DatabaseError(SNotEditing);
    }
    auto* stream = new TMemoryBlobStream(this, Field, Mode);
    if (Mode != bmWrite) {
        const TRowBuffer* buffer = RecordBuffer();
        const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
        if (buffer && index < buffer->Has.size() && buffer->Has[index]) {
            const std::string& value = buffer->Values[index];
            stream->WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
            stream->SetPosition(0);
            stream->Loaded();
        }
    }
    return stream;
}

void TMemoryDataSet::WriteBlob(TField* Field, const std::string& Data) {
    TRowBuffer* buffer = AsBuffer(ActiveBuffer());
    const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
    buffer->Values[index] = Data;
    buffer->Has[index] = Data.empty() ? 0 : 1;
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
}

void TMemoryDataSet::SetFiltered(bool Value) {
    TDataSet::SetFiltered(Value);
    if (Active()) {
        RebuildView();
        First();
    }
}

TUpdateStatus TMemoryDataSet::UpdateStatus() {
    const TRowBuffer* buffer = RecordBuffer();
    if (State() == dsInsert) return usInserted;
    if (!buffer) return usUnmodified;
    auto it = FRows.find(buffer->Id);
    return it == FRows.end() ? usUnmodified : it->second.Status;
}

bool TMemoryDataSet::BookmarkValid(const TBookmark& Value) {
    if (Value.size() != sizeof(int32_t)) return false;
    int32_t id = 0;
    std::memcpy(&id, Value.data(), sizeof id);
    return PositionOf(id) >= 0;
}

int TMemoryDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (Bookmark1.empty() || Bookmark2.empty()) return Bookmark1.empty() ? (Bookmark2.empty() ? 0 : -1) : 1;
    int32_t a = 0, b = 0;
    std::memcpy(&a, Bookmark1.data(), sizeof a);
    std::memcpy(&b, Bookmark2.data(), sizeof b);
    return a < b ? -1 : (a > b ? 1 : 0);
}
