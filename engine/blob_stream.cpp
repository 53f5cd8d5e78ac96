// The BLOB stream's reads and writes of the field's value, and the checks that the
// dataset is in an edit before anything is written.
#include "engine/blob_stream.h"

#include <string>

#include "engine/messages.h"
#include "engine/ostra_dataset.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/db/fields.h"

TOstraBlobStream::TOstraBlobStream(TField* Field, TBlobStreamMode Mode)
    : FField(Field), FFieldNo(Field ? Field->FieldNo() : 0), FDataSet(nullptr), FMode(Mode) {
    FDataSet = Field ? dynamic_cast<TOstraDataset*>(Field->DataSet()) : nullptr;
    if (!FDataSet) throw EDatabaseError(SClosedDataset);
    FDataSet->UpdateCursorPos();
    if (Mode != bmRead) {
        if (Field->ReadOnly()) throw EDatabaseError(Format(SOstFieldReadOnly, Field->DisplayName()));
        const TDataSetState state = FDataSet->State();
        if (state != dsEdit && state != dsInsert) throw EDatabaseError(SOstNotEditing);
        FEditSerial = FDataSet->EditSerial();
    }
    if (Mode == bmWrite) {
        FModified = true;
        return;
    }
    std::string value;
    if (FDataSet->GetBlobValue(Field, value) && !value.empty()) {
        FLoading = true;
        WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
        FLoading = false;
        SetPosition(0);
    }
}

TOstraBlobStream::~TOstraBlobStream() {
    if (!FModified || FMode == bmRead || FFailed) return;
    // Posted or cancelled meanwhile: the edit that would have taken the
    // value is over, and a later one belongs to another stream.
    if (!InItsEdit()) return;
    try {
        std::string value;
        if (Size() > 0) value.assign(static_cast<const char*>(Memory()), static_cast<std::size_t>(Size()));
        FDataSet->SetBlobValue(FField, value);
    } catch (...) {
        // A destructor cannot raise: the post of the record raises it.
        FDataSet->BlobStoreFailed(std::current_exception());
    }
}

bool TOstraBlobStream::InItsEdit() const {
    const TDataSetState state = FDataSet->State();
    return (state == dsEdit || state == dsInsert) && FDataSet->EditSerial() == FEditSerial;
}

void TOstraBlobStream::CheckWritable() const {
    if (FMode == bmRead) return;  // a copy to read: nothing goes back
    if (FField->ReadOnly()) throw EDatabaseError(Format(SOstFieldReadOnly, FField->DisplayName()));
    if (!InItsEdit()) throw EDatabaseError(SOstNotEditing);
}

int64_t TOstraBlobStream::Write(const void* buffer, int64_t count) {
    if (!FLoading && count > 0) {
        CheckWritable();
        FModified = true;
    }
    try {
        return inherited::Write(buffer, count);
    } catch (...) {
        FFailed = true;
        throw;
    }
}

void TOstraBlobStream::SetSize(int64_t newSize) {
    if (!FLoading && newSize != Size()) {
        CheckWritable();
        FModified = true;
    }
    try {
        inherited::SetSize(newSize);
    } catch (...) {
        FFailed = true;
        throw;
    }
}
