// TOstraBlobStream: reads and writes a BLOB, memo or graphic value of an
// engine dataset's active record.
//
// Opened for reading, the stream holds a copy of the field's value. Opened
// for writing, the dataset must be editing or inserting and the field must
// not be read-only; bmWrite starts empty, bmReadWrite with the value. When a
// stream that was written to is freed, its whole contents become the field's
// value in the record being edited and the field-change notification goes
// out; a stream that was only read changes nothing. A writing stream belongs
// to the record and the edit it was made in: once that edit is posted or
// cancelled, a write raises (even in a later edit) and freeing stores nothing; a store that fails when the stream is
// freed is raised by the post of the record.
#pragma once

#include "platform/core/streams.h"
#include "platform/db/dbtypes.h"

class TField;
class TOstraDataset;

class TOstraBlobStream : public TMemoryStream {
    TASKMOOR_CLASS(TOstraBlobStream, TMemoryStream)
public:
    // Raises EDatabaseError "Field '%s' is read only!" or "Table is not in
    // edit or insert mode" for a writing mode that cannot write.
    TOstraBlobStream(TField* Field, TBlobStreamMode Mode);
    ~TOstraBlobStream() override;

    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t newSize) override;

    TField* Field() const { return FField; }
    int FieldNo() const { return FFieldNo; }
    TOstraDataset* DataSet() const { return FDataSet; }
    TBlobStreamMode Mode() const { return FMode; }
    bool Modified() const { return FModified; }

private:
    void CheckWritable() const;
    // The dataset is still in the edit or insert the stream was made in.
    bool InItsEdit() const;

    TField* FField;
    int FFieldNo;
    TOstraDataset* FDataSet;
    TBlobStreamMode FMode;
    bool FModified = false;
    bool FLoading = false;
    // A write or resize failed (short of memory): the field keeps its value.
    bool FFailed = false;
    uint64_t FEditSerial = 0;
};
