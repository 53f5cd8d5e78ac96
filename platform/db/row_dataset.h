// TRowDataSet: a dataset whose record buffers are rows. A row holds each
// field's value in its native layout (a BLOB as its bytes) with a has-value
// flag, the calculated fields' bytes, and a 64-bit key that is the record's
// bookmark. The base class does the buffers, the bookmarks, the field values
// of a row and the BLOB streams; a descendant keeps the records shown in
// order (GetRecordCount, ReadShownRow, PositionOf) and stores them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/dataset.h"

class TRowDataSet : public TDataSet {
    TASKMOOR_CLASS(TRowDataSet, TDataSet)
public:
    struct TRow {
        int64_t Key = 0;
        TBookmarkFlag Flag = bfCurrent;
        int RecNo = -1;
        std::vector<std::string> Values;
        std::vector<char> Has;
        std::string Calc;
    };

    explicit TRowDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

    bool BookmarkValid(const TBookmark& Value) override;
    // By the records' order; a bookmark not shown sorts first.
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
    TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
    bool GetFieldData(TField* Field, void* Buffer) override;
    using TDataSet::GetFieldData;
    void SetFieldData(TField* Field, const void* Buffer) override;
    // Stores a BLOB stream's bytes in the record being edited.
    void WriteBlob(TField* Field, const std::string& Data);

protected:
    static TRow* AsRow(TRecordBuffer Buffer) { return reinterpret_cast<TRow*>(Buffer); }
    // Fills Row's values and key from the record shown at Position.
    virtual void ReadShownRow(int Position, TRow& Row) = 0;
    // The place of Key among the records shown; -1 when it does not show.
    virtual int PositionOf(int64_t Key) const = 0;
    // The record under test while filtering, and the key buffer (dsSetKey).
    virtual TRow* FilterRow() const { return nullptr; }
    virtual TRow* KeyRow() { return nullptr; }
    // The row the fields read in the present state; nil when none.
    TRow* RecordRow() const;
    // A string field's text kept whole, whatever its Size: GetFieldText and
    // SetFieldText of a descendant that keeps texts of any length.
    bool GetWholeFieldText(TField* Field, std::string* Text);
    bool SetWholeFieldText(TField* Field, const std::string& Text);

    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    void GetBookmarkData(TRecordBuffer Buffer, void* Data) override;
    void SetBookmarkData(TRecordBuffer Buffer, const void* Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
    void InternalFirst() override { FPosition = -1; }
    void InternalLast() override { FPosition = GetRecordCount(); }
    void InternalGotoBookmark(const void* Bookmark) override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    int GetRecNo() override;
    void ClearCalcFields(TRecordBuffer Buffer) override;

    // The cursor: the place of the current record among those shown.
    int FPosition = -1;
};
