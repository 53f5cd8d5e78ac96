// TDataSet: the record window (buffers, fetching, resynchronising),
// navigation, bookmarks and editing.
//
// The window is FBuffers[0 .. FRecordCount-1], with FBuffers[FRecordCount]
// free for the next fetch. FCurrentRecord is the buffer whose record the
// descendant's cursor is on (-1: unknown). Fetching forward appends a buffer,
// or when the window is full drops the first one; fetching backward puts a
// buffer in front (dropping the last when full). FScrollShift counts how far
// the kept records moved, so that data links can keep showing them.
#include <algorithm>
#include <cstring>

#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fields.h"

// ---------------------------------------------------------------------------
// Cursor walk

TGetResult TDataSet::StepCursor(int& Position, int Count, TGetMode GetMode) {
    switch (GetMode) {
    case gmCurrent:
        if (Position < 0 || Position >= Count) return grError;
        break;
    case gmNext:
        if (Position >= Count - 1) {
            Position = Count;
            return grEOF;
        }
        ++Position;
        break;
    case gmPrior:
        if (Position <= 0) {
            Position = -1;
            return grBOF;
        }
        --Position;
        break;
    }
    return grOK;
}

// ---------------------------------------------------------------------------
// Buffers

TRecordBuffer TDataSet::ActiveBuffer() const {
    if (FBuffers.empty()) return nullptr;
    return FBuffers[static_cast<size_t>(FActiveRecord)];
}

void TDataSet::ClearBuffers() {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TDataSet::ActivateBuffers() {
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TDataSet::FreeAllBuffers() {
    ClearBuffers();
    for (TRecordBuffer& buffer : FBuffers) FreeRecordBuffer(buffer);
    FBuffers.clear();
    FBufferCount = 0;
    FCalcBuffer = nullptr;
}

void TDataSet::MoveBuffer(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    const TRecordBuffer buffer = FBuffers[static_cast<size_t>(CurIndex)];
    FBuffers.erase(FBuffers.begin() + CurIndex);
    FBuffers.insert(FBuffers.begin() + NewIndex, buffer);
}

void TDataSet::InitRecord(TRecordBuffer Buffer) {
    InternalInitRecord(Buffer);
    ClearCalcFields(Buffer);
    SetBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::UpdateBufferCount() {
    if (!FInternalOpenComplete || !IsCursorOpen()) return;
    int count = 1;
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FDataLinks) count = std::max(count, link->FBufferCount);
    SetBufferCount(count);
}

void TDataSet::SetBufferCount(int Value) {
    Value = std::max(1, Value);
    if (Value == FBufferCount && FBuffers.size() == static_cast<size_t>(Value) + 1) return;
    FScrollShift = 0;
    if (FRecordCount > Value) {
        // Keep a window of Value records that holds the active one.
        const int first = std::max(0, FActiveRecord - Value + 1);
        std::rotate(FBuffers.begin(), FBuffers.begin() + first, FBuffers.begin() + FRecordCount);
        FRecordCount = Value;
        FActiveRecord -= first;
        if (FCurrentRecord >= 0) {
            FCurrentRecord -= first;
            if (FCurrentRecord < 0 || FCurrentRecord >= Value) FCurrentRecord = -1;
        }
        FScrollShift = -first;
    }
    const bool grew = Value > FBufferCount;
    const size_t size = static_cast<size_t>(Value) + 1;
    while (FBuffers.size() > size) {
        FreeRecordBuffer(FBuffers.back());
        FBuffers.pop_back();
    }
    FBuffers.reserve(size);
    while (FBuffers.size() < size) FBuffers.push_back(AllocRecordBuffer());
    FBufferCount = Value;
    if (grew && FState != dsSetKey && FRecordCount < FBufferCount) {
        GetNextRecords();
        if (FRecordCount > 0) GetPriorRecords();
    }
    if (FScrollShift != 0) {
        for (TDataSource* source : FDataSources)
            for (TDataLink* link : source->FDataLinks) {
                link->FFirstRecord += FScrollShift;
                link->UpdateRange();
            }
    }
}

void TDataSet::SetCurrentRecord(int Index) {
    if (FCurrentRecord == Index) return;
    const TRecordBuffer buffer = FBuffers[static_cast<size_t>(Index)];
    switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted: InternalSetToRecord(buffer); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
    }
    FCurrentRecord = Index;
}

void TDataSet::UpdateCursorPos() {
    if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord() {
    TGetMode mode = gmNext;
    if (FRecordCount > 0) {
        SetCurrentRecord(FRecordCount - 1);
        // A record being inserted stands before the record its bookmark
        // names: that record comes next.
        if (GetBookmarkFlag(FBuffers[static_cast<size_t>(FRecordCount - 1)]) == bfInserted) mode = gmCurrent;
    }
    if (GetRecord(FBuffers[static_cast<size_t>(FRecordCount)], mode, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0) {
        ActivateBuffers();
    } else if (FRecordCount < FBufferCount) {
        ++FRecordCount;
    } else {
        MoveBuffer(0, FRecordCount);
        if (FActiveRecord > 0) --FActiveRecord;
        --FScrollShift;
    }
    FCurrentRecord = FRecordCount - 1;
    return true;
}

bool TDataSet::GetPriorRecord() {
    if (FRecordCount > 0) SetCurrentRecord(0);
    if (GetRecord(FBuffers[static_cast<size_t>(FRecordCount)], gmPrior, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0) {
        ActivateBuffers();
    } else {
        MoveBuffer(FRecordCount, 0);
        if (FRecordCount < FBufferCount) ++FRecordCount;
        if (FActiveRecord < FRecordCount - 1) ++FActiveRecord;
        ++FScrollShift;
    }
    FCurrentRecord = 0;
    return true;
}

int TDataSet::GetNextRecords() {
    int count = 0;
    while (FRecordCount < FBufferCount && GetNextRecord()) ++count;
    return count;
}

int TDataSet::GetPriorRecords() {
    int count = 0;
    while (FRecordCount < FBufferCount && GetPriorRecord()) ++count;
    return count;
}

void TDataSet::Resync(TResyncMode Mode) {
    if (FBuffers.empty()) return;
    const TRecordBuffer spare = FBuffers[static_cast<size_t>(FRecordCount)];
    if (Mode.Contains(rmExact)) {
        CursorPosChanged();
        if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound);
    } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
               GetRecord(spare, gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    int before = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    const bool wasBof = FBOF, wasEof = FEOF;
    MoveBuffer(FRecordCount, 0);
    ActivateBuffers();
    FScrollShift = 0;
    try {
        while (before > 0 && GetPriorRecord()) --before;
        GetNextRecords();
        GetPriorRecords();
        // a record that stays the first (the last) keeps Bof (Eof): a
        // dataset that filters itself on opening still stands at its start
        if (wasBof && FActiveRecord == 0) FBOF = !HasNeighbour(gmPrior);
        if (wasEof && FActiveRecord == FRecordCount - 1) FEOF = !HasNeighbour(gmNext);
    } catch (...) {
        DataEvent(deDataSetChange, 0);
        throw;
    }
    DataEvent(deDataSetChange, 0);
}

bool TDataSet::HasNeighbour(TGetMode Mode) {
    const int was = FCurrentRecord;
    SetCurrentRecord(FActiveRecord);
    const bool found = CursorHasNeighbour(Mode);
    // the descendant's cursor goes back where it was
    CursorPosChanged();
    if (was >= 0) SetCurrentRecord(was);
    return found;
}

bool TDataSet::CursorHasNeighbour(TGetMode Mode) {
    return GetRecord(FBuffers[static_cast<size_t>(FRecordCount)], Mode, false) == grOK;
}

// ---------------------------------------------------------------------------
// Navigation

void TDataSet::First() {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        FBOF = true;
        DataEvent(deDataSetChange, 0);
        throw;
    }
    FBOF = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        FEOF = true;
        DataEvent(deDataSetChange, 0);
        throw;
    }
    FEOF = true;
    DataEvent(deDataSetChange, 0);
    DoAfterScroll();
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    int result = 0;
    DoBeforeScroll();
    if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
        FBOF = false;
        FEOF = false;
        FScrollShift = 0;
        try {
            while (Distance > 0) {
                if (FActiveRecord < FRecordCount - 1) {
                    ++FActiveRecord;
                } else if (GetNextRecord()) {
                    FActiveRecord = FRecordCount - 1;
                } else {
                    FEOF = true;
                    break;
                }
                --Distance;
                ++result;
            }
            while (Distance < 0) {
                if (FActiveRecord > 0) {
                    --FActiveRecord;
                } else if (GetPriorRecord()) {
                    FActiveRecord = 0;
                } else {
                    FBOF = true;
                    break;
                }
                ++Distance;
                --result;
            }
        } catch (...) {
            DataEvent(deDataSetScroll, FScrollShift);
            throw;
        }
        DataEvent(deDataSetScroll, FScrollShift);
        DoAfterScroll();
    }
    return result;
}

// ---------------------------------------------------------------------------
// Bookmarks

bool TDataSet::BookmarkAvailable() {
    return (FState == dsBrowse || FState == dsEdit || FState == dsInsert) && FBookmarkSize > 0 &&
           !IsEmpty() && GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::Bookmark() {
    if (!BookmarkAvailable()) return TBookmark();
    TBookmark result(static_cast<size_t>(FBookmarkSize), '\0');
    GetBookmarkData(ActiveBuffer(), result.data());
    return result;
}

void TDataSet::GotoBookmark(const TBookmark& Value) {
    if (Value.empty()) return;
    CheckBrowseMode();
    if (Value.size() != static_cast<size_t>(FBookmarkSize)) DatabaseError(SRecordNotFound);
    DoBeforeScroll();
    InternalGotoBookmark(Value.data());
    Resync({rmExact, rmCenter});
    DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int TDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (Bookmark1.empty() || Bookmark2.empty()) return Bookmark1.empty() ? (Bookmark2.empty() ? 0 : -1) : 1;
    const int c = Bookmark1.compare(Bookmark2);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Editing

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    if (FState == dsEdit || FState == dsInsert) {
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::UpdateRecord() {
    if (!dsWriteModes.Contains(FState)) DatabaseError(SNotEditing);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    if (FRecordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    DoBeforeEdit();
    CheckCanModify();
    UpdateCursorPos();
    InternalEdit();
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    DoAfterEdit();
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    DoBeforeInsert();
    CheckCanModify();
    DoBeforeScroll();
}

void TDataSet::PrepareInsertBuffer() {
    const TBookmark current = Bookmark();
    MoveBuffer(FRecordCount, FActiveRecord);
    const TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    if (FRecordCount == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else if (!current.empty())
        SetBookmarkData(buffer, current.data());
    if (FRecordCount < FBufferCount) ++FRecordCount;
    CursorPosChanged();
}

void TDataSet::PrepareAppendBuffer() {
    ClearBuffers();
    const TRecordBuffer buffer = FBuffers[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    FRecordCount = 1;
    FBOF = false;
    FScrollShift = 0;
    GetPriorRecords();
    InternalLast();
    FCurrentRecord = FActiveRecord;
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        if (FState == dsInsert) {
            QuietCancel();
            SetState(dsBrowse);
            try {
                Resync({});
            } catch (...) {}
        }
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange, 0);
    DoAfterInsert();
    DoAfterScroll();
}

void TDataSet::Insert() {
    BeginInsertAppend();
    PrepareInsertBuffer();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append() {
    BeginInsertAppend();
    PrepareAppendBuffer();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::QuietCancel() {
    // Undo an edit or insert without events; errors of the undo itself must
    // not hide the one that caused it.
    try {
        UpdateCursorPos();
        InternalCancel();
    } catch (...) {
        InternalHandleException();
    }
}

void TDataSet::Post() {
    CheckActive();
    UpdateRecord();
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforePost();
    UpdateCursorPos();
    InternalPost();
    SetState(dsBrowse);
    Resync({});
    DoAfterPost();
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeCancel();
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync({});
    DoAfterCancel();
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (FRecordCount == 0) DatabaseError(SDataSetEmpty);
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeDelete();
    CheckCanModify();
    DoBeforeScroll();
    UpdateCursorPos();
    InternalDelete();
    SetState(dsBrowse);
    Resync({});
    DoAfterDelete();
    DoAfterScroll();
}

void TDataSet::SetFields(const std::vector<Variant>& Values) {
    if (!dsEditModes.Contains(FState)) DatabaseError(SNotEditing);
    const size_t count = std::min(Values.size(), static_cast<size_t>(FieldCount()));
    for (size_t i = 0; i < count; ++i) {
        if (Values[i].IsEmpty()) continue;
        Fields()->Fields(static_cast<int>(i))->SetAsVariant(Values[i]);
    }
}

void TDataSet::AddRecord(const std::vector<Variant>& Values, bool Append) {
    BeginInsertAppend();
    if (Append)
        PrepareAppendBuffer();
    else
        PrepareInsertBuffer();
    InternalInsert();
    SetState(dsInsert);
    try {
        DoOnNewRecord();
        SetFields(Values);
        DoBeforePost();
        CheckRequiredFields();
        InternalAddRecord(ActiveBuffer(), Append);
    } catch (...) {
        if (FState == dsInsert) QuietCancel();
        SetState(dsBrowse);
        try {
            Resync({});
        } catch (...) {}
        throw;
    }
    SetState(dsBrowse);
    Resync({});
    DoAfterPost();
    DoAfterScroll();
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values) { AddRecord(Values, false); }

void TDataSet::AppendRecord(const std::vector<Variant>& Values) { AddRecord(Values, true); }

void TDataSet::ClearFields() {
    if (!dsEditModes.Contains(FState)) DatabaseError(SNotEditing);
    DataEvent(deCheckBrowseMode, 0);
    const TRecordBuffer buffer = ActiveBuffer();
    // Keep the record's place: initialising a buffer resets its bookmark.
    const TBookmarkFlag flag = GetBookmarkFlag(buffer);
    std::string bookmark(static_cast<size_t>(FBookmarkSize), '\0');
    if (FBookmarkSize > 0) GetBookmarkData(buffer, bookmark.data());
    InternalInitRecord(buffer);
    SetBookmarkFlag(buffer, flag);
    if (FBookmarkSize > 0) SetBookmarkData(buffer, bookmark.data());
    if (FState != dsSetKey) GetCalcFields(buffer);
    DataEvent(deRecordChange, 0);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    DoBeforeRefresh();
    UpdateCursorPos();
    try {
        InternalRefresh();
    } catch (...) {
        Resync({});
        throw;
    }
    Resync({});
    DoAfterRefresh();
}
