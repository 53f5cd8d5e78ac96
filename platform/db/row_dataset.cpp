// Rows as record buffers: bookmarks, field values and BLOB streams.
#include "platform/db/row_dataset.h"

#include <algorithm>
#include <cstring>

#include "platform/core/streams.h"
#include "platform/core/text.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"

namespace {

int64_t KeyOfBookmark(const TBookmark& Value) {
    int64_t key = 0;
    std::memcpy(&key, Value.data(), sizeof key);
    return key;
}

bool IsCalculated(const TField* Field) {
    return Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup;
}

// A BLOB value's stream. Loading the value is no change, and a stream
// opened to read never writes back; a written one writes the value back
// when freed.
class TRowBlobStream : public TMemoryStream {
public:
    TRowBlobStream(TRowDataSet* DataSet, TField* Field, TBlobStreamMode Mode)
        : FDataSet(DataSet), FField(Field), FMode(Mode), FModified(Mode == bmWrite) {}
    ~TRowBlobStream() override {
        if (!FModified || FMode == bmRead) return;
        try {
            std::string data(static_cast<size_t>(Size()), '\0');
            if (!data.empty()) std::memcpy(data.data(), Memory(), data.size());
            FDataSet->WriteBlob(FField, data);
        } catch (...) {}
    }
    void Load(const std::string& Value) {
        FLoading = true;
        WriteBuffer(Value.data(), static_cast<int64_t>(Value.size()));
        FLoading = false;
        SetPosition(0);
    }
    int64_t Write(const void* buffer, int64_t count) override {
        if (!FLoading && count > 0) FModified = true;
        return TMemoryStream::Write(buffer, count);
    }
    void SetSize(int64_t newSize) override {
        if (!FLoading && newSize != Size()) FModified = true;
        TMemoryStream::SetSize(newSize);
    }

private:
    TRowDataSet* FDataSet;
    TField* FField;
    TBlobStreamMode FMode;
    bool FModified;
    bool FLoading = false;
};

}  // namespace

TRowDataSet::TRow* TRowDataSet::RecordRow() const {
    switch (State()) {
    case dsCalcFields: return AsRow(CalcBuffer());
    case dsFilter: return FilterRow();
    case dsSetKey: return const_cast<TRowDataSet*>(this)->KeyRow();
    default: return IsEmpty() ? nullptr : AsRow(ActiveBuffer());
    }
}

TRecordBuffer TRowDataSet::AllocRecordBuffer() {
    auto* row = new TRow;
    const size_t count = static_cast<size_t>(FieldDefs()->Count());
    row->Values.resize(count);
    row->Has.resize(count, 0);
    row->Calc.assign(static_cast<size_t>(CalcFieldsSize()), '\0');
    return reinterpret_cast<TRecordBuffer>(row);
}

void TRowDataSet::FreeRecordBuffer(TRecordBuffer& Buffer) {
    delete AsRow(Buffer);
    Buffer = nullptr;
}

TGetResult TRowDataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool) {
    const TGetResult step = StepCursor(FPosition, GetRecordCount(), GetMode);
    if (step != grOK) return step;
    TRow* row = AsRow(Buffer);
    ReadShownRow(FPosition, *row);
    row->Flag = bfCurrent;
    row->RecNo = FPosition + 1;
    GetCalcFields(Buffer);
    return grOK;
}

void TRowDataSet::GetBookmarkData(TRecordBuffer Buffer, void* Data) {
    std::memcpy(Data, &AsRow(Buffer)->Key, sizeof(int64_t));
}

void TRowDataSet::SetBookmarkData(TRecordBuffer Buffer, const void* Data) {
    std::memcpy(&AsRow(Buffer)->Key, Data, sizeof(int64_t));
}

TBookmarkFlag TRowDataSet::GetBookmarkFlag(TRecordBuffer Buffer) { return AsRow(Buffer)->Flag; }

void TRowDataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) { AsRow(Buffer)->Flag = Value; }

void TRowDataSet::InternalGotoBookmark(const void* Bookmark) {
    int64_t key = 0;
    std::memcpy(&key, Bookmark, sizeof key);
    const int position = PositionOf(key);
    if (position < 0) DatabaseError(SRecordNotFound);
    FPosition = position;
}

void TRowDataSet::InternalSetToRecord(TRecordBuffer Buffer) {
    const int position = PositionOf(AsRow(Buffer)->Key);
    if (position >= 0) FPosition = position;
}

void TRowDataSet::InternalInitRecord(TRecordBuffer Buffer) {
    TRow* row = AsRow(Buffer);
    std::fill(row->Values.begin(), row->Values.end(), std::string());
    std::fill(row->Has.begin(), row->Has.end(), 0);
    row->Key = 0;
    row->Flag = bfInserted;
    row->RecNo = -1;
}

int TRowDataSet::GetRecNo() {
    const TRow* row = RecordRow();
    return row ? row->RecNo : -1;
}

void TRowDataSet::ClearCalcFields(TRecordBuffer Buffer) {
    std::fill(AsRow(Buffer)->Calc.begin(), AsRow(Buffer)->Calc.end(), '\0');
}

bool TRowDataSet::BookmarkValid(const TBookmark& Value) {
    return Value.size() == sizeof(int64_t) && PositionOf(KeyOfBookmark(Value)) >= 0;
}

int TRowDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (Bookmark1.size() != sizeof(int64_t) || Bookmark2.size() != sizeof(int64_t)) {
        const bool none1 = Bookmark1.size() != sizeof(int64_t), none2 = Bookmark2.size() != sizeof(int64_t);
        return none1 == none2 ? 0 : (none1 ? -1 : 1);
    }
    const int64_t a = KeyOfBookmark(Bookmark1), b = KeyOfBookmark(Bookmark2);
    const int pa = PositionOf(a), pb = PositionOf(b);
    if (pa != pb) return pa < pb ? -1 : 1;
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool TRowDataSet::GetFieldData(TField* Field, void* Buf) {
    const TRow* row = RecordRow();
    if (!row) return false;
    if (IsCalculated(Field)) {
        const size_t offset = static_cast<size_t>(Field->Offset());
        if (offset + 1 + static_cast<size_t>(Field->DataSize()) > row->Calc.size()) return false;
        if (!row->Calc[offset]) return false;
        if (Buf) std::memcpy(Buf, row->Calc.data() + offset + 1, static_cast<size_t>(Field->DataSize()));
        return true;
    }
    const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
    if (Field->FieldNo() < 1 || index >= row->Has.size() || !row->Has[index]) return false;
    const std::string& value = row->Values[index];
    if (Field->IsBlob()) return !value.empty();
    if (Buf) {
        if (Field->DataType() == ftString) {
            // longer than the field (grown since the open): cut at a character
            const size_t size = static_cast<size_t>(Field->Size());
            const size_t n = value.size() <= size ? value.size() : Utf8Truncate(value, size).size();
            std::memcpy(Buf, value.data(), n);
            static_cast<char*>(Buf)[n] = '\0';
        } else {
            std::memset(Buf, 0, static_cast<size_t>(Field->DataSize()));
            std::memcpy(Buf, value.data(), std::min(value.size(), static_cast<size_t>(Field->DataSize())));
        }
    }
    return true;
}

void TRowDataSet::SetFieldData(TField* Field, const void* Buf) {
    if (!dsWriteModes.Contains(State())) DatabaseError(SNotEditing);
    const bool calculated = IsCalculated(Field);
    if (calculated != (State() == dsCalcFields)) DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName());
    if (calculated) {
        TRow* row = AsRow(CalcBuffer());
        const size_t offset = static_cast<size_t>(Field->Offset());
        if (offset + 1 + static_cast<size_t>(Field->DataSize()) > row->Calc.size()) return;
        row->Calc[offset] = Buf ? 1 : 0;
        if (Buf) std::memcpy(row->Calc.data() + offset + 1, Buf, static_cast<size_t>(Field->DataSize()));
        return;
    }
    // key and filter values are no edit of a record
    const bool quiet = State() == dsSetKey || State() == dsFilter;
    if (Field->ReadOnly() && !quiet) DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName());
    if (!quiet) Field->Validate(Buf);
    TRow* row = State() == dsSetKey ? KeyRow() : (State() == dsFilter ? FilterRow() : AsRow(ActiveBuffer()));
    if (!row) return;
    const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
    if (row->Values.size() <= index) {
        row->Values.resize(index + 1);
        row->Has.resize(index + 1, 0);
    }
    if (!Buf) {
        row->Values[index].clear();
        row->Has[index] = 0;
    } else if (Field->DataType() == ftString) {
        row->Values[index] = static_cast<const char*>(Buf);
        row->Has[index] = 1;
    } else {
        row->Values[index].assign(static_cast<const char*>(Buf), static_cast<size_t>(Field->DataSize()));
        row->Has[index] = 1;
    }
    if (!quiet) DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
}

bool TRowDataSet::GetWholeFieldText(TField* Field, std::string* Text) {
    if (Field->DataType() != ftString || IsCalculated(Field) || Field->FieldNo() < 1) return false;
    if (!Text) return true;
    Text->clear();
    const TRow* row = RecordRow();
    const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
    if (!row || index >= row->Has.size() || !row->Has[index]) return true;
    const std::string& value = row->Values[index];
    Text->assign(value, 0, value.find('\0'));  // as the buffer reads it: to a zero byte
    return true;
}

bool TRowDataSet::SetWholeFieldText(TField* Field, const std::string& Text) {
    if (!GetWholeFieldText(Field, nullptr)) return false;
    // the buffer's way with room for the whole text (a zero byte ends it)
    std::string buffer(std::max(Text.size(), static_cast<size_t>(Field->Size())) + 1, '\0');
    std::copy(Text.begin(), Text.end(), buffer.begin());
    SetFieldData(Field, buffer.data());
    return true;
}

TStream* TRowDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    if (Mode != bmRead) {
        if (Field->ReadOnly()) DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName());
        if (State() != dsEdit && State() != dsInsert) DatabaseError(SNotEditing);
    }
    auto* stream = new TRowBlobStream(this, Field, Mode);
    if (Mode != bmWrite) {
        const TRow* row = RecordRow();
        const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
        if (row && index < row->Has.size() && row->Has[index]) stream->Load(row->Values[index]);
    }
    return stream;
}

void TRowDataSet::WriteBlob(TField* Field, const std::string& Data) {
    // the edit the stream was opened for is over: nothing to write into
    if (State() != dsEdit && State() != dsInsert) return;
    TRow* row = AsRow(ActiveBuffer());
    const size_t index = static_cast<size_t>(Field->FieldNo() - 1);
    if (index >= row->Values.size()) return;
    row->Values[index] = Data;
    row->Has[index] = Data.empty() ? 0 : 1;
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
}
