// TOstraDataset: editing, posting, deleting, new-record defaults, the
// pending-change count, and saving, reverting, accepting and refreshing.
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "engine/messages.h"
#include "engine/ostra_dataset.h"
#include "engine/ostra_dataset_impl.h"
#include "engine/record_store.h"
#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/core/memory.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"

bool SameFieldLayout(const std::vector<TOstraField>& a, const std::vector<TOstraField>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].FieldType != b[i].FieldType || a[i].Offset != b[i].Offset || a[i].Size != b[i].Size)
            return false;
    return true;
}

void TOstraDataset::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    if (!Active()) return;
    DataEvent(deUpdateState, 0);
    // the controls read whether the records can change again
    DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------------------
// The pending-change count

void TOstraDataset::TImpl::ChangeAdded() {
    ++FPendingChanges;
    if (FPendingChanges == 1) D.FOnNeedToSaveChange(&D);
    if (D.FDatabase) D.FDatabase->DatasetChanged(&D);
}

void TOstraDataset::TImpl::ChangeCancelled() {
    if (FPendingChanges <= 0) return;
    if (--FPendingChanges == 0) {
        D.FOnNeedToSaveChange(&D);
        if (D.FDatabase) D.FDatabase->DatasetChangesSettled(&D);
    }
}

void TOstraDataset::SettleChanges() {
    if (FImpl->FPendingChanges == 0) return;
    FImpl->FPendingChanges = 0;
    if (FDatabase) FDatabase->DatasetChangesSettled(this);
    FOnNeedToSaveChange(this);
}

// ---------------------------------------------------------------------------
// Before edit, insert and delete

void TOstraDataset::DoBeforeDelete() {
    if (FReadOnly) throw EDatabaseError(SReadOnlyDelete);
    inherited::DoBeforeDelete();
}

void TOstraDataset::DoBeforeEdit() {
    if (FReadOnly) throw EDatabaseError(SReadOnlyEdit);
    FImpl->FBlobFailure = nullptr;
    ++FEditSerial;
    inherited::DoBeforeEdit();
    TRecordBuffer buffer = ActiveBuffer();
    TOstraRecord* record = buffer ? FImpl->BufferRecord(buffer) : nullptr;
    if (record) {
        // A record deleted through another dataset on the same store.
        if (!FImpl->FCursor->Contains(record) || !record->IsLive()) throw EAbort("");
        // The edit writes into the buffer: it holds every value first.
        FImpl->CompleteBuffer(buffer);
        try {
            FImpl->FCursor->BeginChange(record);
        } catch (const std::bad_alloc&) {
            throw EOutOfMemory(SOutOfMemory);
        }
    }
    FImpl->ChangeAdded();
}

void TOstraDataset::DoBeforeInsert() {
    if (FReadOnly) throw EDatabaseError(SReadOnlyInsert);
    FImpl->FBlobFailure = nullptr;
    ++FEditSerial;
    inherited::DoBeforeInsert();
    FImpl->ChangeAdded();
}

void TOstraDataset::InternalCancel() {
    FImpl->FBlobFailure = nullptr;
    if (State() == dsEdit && FImpl->FCursor) {
        // The edit lived in the buffer only; the store still holds what was
        // posted before. A record unchanged until now drops the copy of its
        // values taken when the edit began.
        TRecordBuffer buffer = ActiveBuffer();
        TOstraRecord* record = buffer ? FImpl->BufferRecord(buffer) : nullptr;
        if (record && FImpl->FCursor->Contains(record) && record->State == orsUnchanged)
            FImpl->FCursor->RevertRecord(record);
    }
    FImpl->ChangeCancelled();
}

void TOstraDataset::InternalDelete() {
    TOstraRecord* record = FImpl->FView.At(FImpl->FPosition);
    std::string error;
    bool deleted = false;
    FImpl->PrepareSharers();
    try {
        deleted = record && FImpl->FCursor->DeleteRecord(record, error);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
    if (!deleted)
        throw EDatabaseError(SErrorDeletingRecord + (record ? error : std::string(SOstRecordNotFound)));
    FImpl->FView.Delete(FImpl->FPosition);
    FImpl->ChangeAdded();
    FImpl->NotifySharers({TOstraStoreChange::Deleted, record});
}

// ---------------------------------------------------------------------------
// Posting

bool TOstraDataset::KeyExists(const uint8_t* Data, const TOstraRecord* OwnRecord,
                              const std::string& FieldNames) {
    if (!FImpl->FCursor) return false;
    return OstKeyExists(*FImpl->FCursor, Data, OwnRecord, FImpl->FCursor->FindFields(FieldNames));
}

void TOstraDataset::TImpl::PostInsert(TRecordBuffer Buffer) {
    const uint8_t* data = BufferData(Buffer);
    std::string error;
    try {
        if (D.FCheckKeyViolation && !D.FUniqueFieldNames.empty() &&
            D.KeyExists(data, nullptr, D.FUniqueFieldNames))
            throw EDatabaseError(std::string(SErrorSavingNewRecord) + SKeyViolation);
        // What the views need to show the record is taken first.
        PrepareSharers(data, true);
        if (!FCursor->PostRecord(data, nullptr, error)) throw EDatabaseError(SErrorSavingNewRecord + error);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
    TOstraRecord* record = FCursor->Records().back();
    // A view that cannot take the record takes it back from the store: the
    // insert stays open, nothing half done.
    const int position = FPosition;
    const bool exact = FViewExact, inOrder = FInKeyOrder;
    try {
        PlaceInserted(record);
    } catch (const std::bad_alloc&) {
        FCursor->DropInserted(record);
        FPosition = position;
        FViewExact = exact;
        FInKeyOrder = inOrder;
        throw EOutOfMemory(SOutOfMemory);
    }
    NotifySharers({TOstraStoreChange::Inserted, record});
}

void TOstraDataset::TImpl::PlaceInserted(TOstraRecord* Record) {
    // A build would show the Record, after every Record it does not sort
    // before (store order breaks ties).
    bool known = true;
    const bool shown = ShowsChanged(Record->Data(), known) && known;
    if (!FKeys[kiSort].HasFields() || !FInKeyOrder) {
        FView.Add(Record);
        FPosition = FView.Count() - 1;
        FViewExact = FViewExact && shown && !FKeys[kiSort].HasFields();
        return;
    }
    if (D.FSortOptions.Contains(osoInsertInOrder)) {
        EnsureViewKeys();
        const TOstraViewKey key = ViewKeyOf(Record->Data());
        FPosition = PlaceInOrder(Record, key);
        FView.Insert(FPosition, Record, key);
        // Placed before records of an equal key, where a build would put it after them.
        // A lower key sorts before without a record read.
        FViewExact = FViewExact && shown &&
                     (FPosition + 1 >= FView.Count() || key < FView.KeyAt(FPosition + 1) ||
                      CompareForSort(Record, FView.At(FPosition + 1)) < 0);
        return;
    }
    FView.Add(Record, FViewKeysValid ? ViewKeyOf(Record->Data()) : TOstraViewKey());
    FPosition = FView.Count() - 1;
    if (!InOrderAt(FPosition)) FInKeyOrder = false;  // appended out of order: no binary search on &D view
    FViewExact = FViewExact && shown && FInKeyOrder;
}

void TOstraDataset::InternalPost() try {
    if (FImpl->FBlobFailure) {
        // The edit stays, with what the stream could not store.
        std::exception_ptr failure = std::exchange(FImpl->FBlobFailure, nullptr);
        std::rethrow_exception(failure);
    }
    inherited::InternalPost();
    TRecordBuffer buffer = ActiveBuffer();
    if (State() == dsInsert) {
        FImpl->PostInsert(buffer);
        return;
    }
    const uint8_t* data = FImpl->BufferData(buffer);
    TOstraRecord* record = FImpl->BufferRecord(buffer);
    const bool keyChanged = record && FImpl->FCursor->Contains(record) && record->IsLive() &&
                            FImpl->FKeys[kiSort].HasFields() && FImpl->SortKeyChanged(data, record);
    if (FCheckKeyViolation && !FUniqueFieldNames.empty() && KeyExists(data, record, FUniqueFieldNames))
        throw EDatabaseError(std::string(SErrorSavingRecord) + SKeyViolation);
    // The others on the store learn the values the record had.
    std::vector<uint8_t> old;
    const bool tell =
        FImpl->FCursor->Shared() && record && FImpl->FCursor->Contains(record) && record->IsLive();
    if (tell) {
        old.assign(FImpl->FDataSize + 1, 0);
        OstCopyData(old.data(), record->Data(), FImpl->FBufferFields, FImpl->FDataSize);
    }
    struct TOldRelease {
        std::vector<uint8_t>& Data;
        const std::vector<TOstraField>& Fields;
        ~TOldRelease() {
            if (!Data.empty()) OstReleaseValues(Data.data(), Fields);
        }
    } release{old, FImpl->FBufferFields};
    // Its place is found by the values the view put it by, before they change.
    int index = record && FImpl->FCursor->Contains(record) && record->IsLive()
                    ? FImpl->FindInView(record, FImpl->FPosition)
                    : -1;
    // A record this post moves keeps its place, searchable by the values
    // that put it there.
    const bool displaced = !FImpl->FInKeyOrder && FImpl->DisplacedOrder();
    const bool noted =
        keyChanged && index >= 0 && (FImpl->FInKeyOrder || displaced) && FImpl->NoteDisplaced(record);
    FImpl->PrepareSharers(data);
    std::string error;
    if (!FImpl->FCursor->PostRecord(data, record, error)) throw EDatabaseError(SErrorSavingRecord + error);
    FImpl->FKeyIndex.Invalidate();  // the record's values changed in place
    // The post is done: a view short of memory for its new place stands as
    // it is, no longer taken for one in order or as a build makes it.
    try {
        FImpl->PlaceEdited(record, index, keyChanged, displaced, noted);
    } catch (const std::bad_alloc&) {
        FImpl->ForgetDisplaced();
        FImpl->FViewExact = false;
        FImpl->FInKeyOrder = false;
    }
    if (tell) FImpl->NotifySharers({TOstraStoreChange::Edited, record, old.data()});
} catch (const std::bad_alloc&) {
    throw EOutOfMemory(SOutOfMemory);
}

void TOstraDataset::TImpl::PlaceEdited(TOstraRecord* Record, int Index, bool KeyChanged, bool Displaced,
                                       bool Noted) {
    const bool live = Record && FCursor->Contains(Record) && Record->IsLive();
    if (!live) Index = -1;
    bool known = true;
    const bool shown = live && (Index < 0 || FViewExact) && ShowsChanged(Record->Data(), known) && known;
    bool placed = false;
    if (Index < 0 && shown) {
        // Another's change or revert took the Record out of the view; what
        // this post wrote passes the view's filter: back where a build puts it.
        Index = PlaceShared(Record, -1);
        FPosition = Index;
        placed = true;
    } else if (KeyChanged && FInKeyOrder && Index >= 0) {
        if (!InOrderAt(Index)) {
            FInKeyOrder = false;
            if (Noted) KeepDisplacedOrder();
        } else if (FViewKeysValid) {
            FView.SetKey(Index, ViewKeyOf(Record->Data()));
        }
    } else if (Displaced && Index >= 0 && (Noted || !KeyChanged)) {
        KeepDisplacedOrder();
    }
    // Out of the filter now, in its place still: the next rebuild only drops it.
    const bool leaves = FViewExact && live && Index >= 0 && !KeyChanged && !shown && known;
    if (leaves)
        FLeavers.push_back(Record);
    else if (FViewExact)
        FViewExact = shown && Index >= 0 && (placed || !KeyChanged || StrictlyInOrderAt(Index));
}

void TOstraDataset::InternalAddRecord(TRecordBuffer Buffer, bool Append) {
    if (Append) InternalLast();
    FImpl->PostInsert(Buffer);
}

// ---------------------------------------------------------------------------
// New records

void TOstraDataset::DoOnNewRecord() {
    FImpl->ApplyDefaults();
    FImpl->CopyMasterValues();
    inherited::DoOnNewRecord();
}

void TOstraDataset::TImpl::ApplyDefaults() {
    for (int i = 0; i < D.FieldCount(); ++i) {
        TField* field = D.Fields()->Fields(i);
        if (!field->CanModify()) continue;
        // A data field's descriptor is the one of the same name.
        const TOstraField* descriptor = StoreField(field);
        const std::string& text = !field->DefaultExpression().empty() ? field->DefaultExpression()
                                  : descriptor                        ? descriptor->DefaultText
                                                                      : field->DefaultExpression();
        if (text.empty()) continue;
        const TFieldType type = field->DataType();
        const bool dateType = type == ftDate || type == ftDateTime || type == ftTime;
        if (SameText(text, "TODAY") && (type == ftDate || type == ftDateTime))
            field->SetAsDateTime(Date());
        else if (SameText(text, "NOW") && dateType)
            field->SetAsDateTime(type == ftDate ? Date() : Now());
        else if (SameText(text, "UNICOD") && type == ftString)
            field->SetAsString(UniqueCode());
        else if (descriptor && !IsTextType(descriptor->FieldType) && !IsBlobType(descriptor->FieldType))
            SetDefaultValue(field, *descriptor, text);
        else
            field->SetAsString(text);
    }
}

void TOstraDataset::TImpl::SetDefaultValue(TField* Field, const TOstraField& Descriptor,
                                           const std::string& Text) {
    // The engine's own text rule, not the field's text form: "yes" makes a
    // Boolean true and "12x" an Integer 0 where the field would refuse them.
    std::vector<uint8_t> value(std::max<std::size_t>(Descriptor.Size, 1), 0);
    TOstraField place = Descriptor;
    place.Offset = 0;
    SetValueFromText(value.data(), Text, place);
    Field->SetData(value.data());
}

void TOstraDataset::TImpl::CopyMasterValues() {
    if (!D.FMasterSource || !D.FMasterSource->DataSet() || !D.FMasterSource->DataSet()->Active()) return;
    if (D.FMasterFields.empty() || D.FRangeFieldNames.empty()) return;
    const std::vector<TField*> master = D.FMasterSource->DataSet()->GetFieldList(D.FMasterFields);
    const std::vector<TField*> detail = D.GetFieldList(D.FRangeFieldNames);
    for (std::size_t i = 0; i < std::min(master.size(), detail.size()); ++i)
        detail[i]->SetAsVariant(master[i]->AsVariant());
}

// ---------------------------------------------------------------------------
// Saving, reverting and accepting

// A table saves by its own Save (engine/ostra_table.cpp); this one serves
// the descendants that supply only SaveData.
void TOstraDataset::Save() {
    if (!Active()) return;
    if (State() == dsEdit || State() == dsInsert) Post();
    if (SaveData()) AcceptChanges();
}

void TOstraDataset::AcceptChanges() {
    if (FImpl->FCursor) {
        FImpl->FCursor->AcceptAll();
        FImpl->NotifySharers({TOstraStoreChange::Accepted});
    }
    SettleChanges();
}

void TOstraDataset::CancelChanges() {
    if (!Active() || !HasPendingChanges()) return;
    if (State() == dsEdit || State() == dsInsert) Cancel();
    // Reverted in steps: every dataset on the store builds its view of the
    // reverted records beside the one it shows; one short of memory takes
    // the revert back, nothing changed. One whose filter fails keeps its
    // live records, and this one raises the failure after the revert.
    TOstraCursor* store = FImpl->FCursor;
    TOstraRevertLog log;
    try {
        store->BeginRevert(log);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
    try {
        store->PrepareRevertOfClients();
    } catch (...) {
        store->FinishRevertOfClients(false);
        store->UndoRevert(log);
        try {
            throw;
        } catch (const std::bad_alloc&) {
            throw EOutOfMemory(SOutOfMemory);
        }
    }
    store->FinishRevertOfClients(true);
    store->EndRevert(log);
    SettleChanges();
    if (std::exception_ptr failure = std::exchange(FImpl->FRevertFailure, nullptr))
        std::rethrow_exception(failure);
}

void TOstraDataset::CommitChanges() {
    if (!Active() || !HasPendingChanges()) return;
    // An edit in progress is part of the changes being accepted.
    CheckBrowseMode();
    FImpl->FCursor->AcceptAll();
    FImpl->NotifySharers({TOstraStoreChange::Accepted});
    SettleChanges();
    try {
        RebuildView(true);
    } catch (const EOutOfMemory&) {
        // Accepting changes no record a view shows: the view as it was stands.
    }
}

void TOstraDataset::SaveToFile(const std::string& FileName) {
    FImpl->CheckOpen();
    FImpl->FCursor->SetSortDescending(FSortOptions.Contains(osoDescendSort));
    try {
        FImpl->FCursor->SaveToFile(FileName, FSaveOptions, FSortOptions.Contains(osoCaseInsensitive),
                                   FIndexFieldNames);
    } catch (const std::bad_alloc&) {
        // The file stays as it was (the new image replaces it only whole).
        throw EOutOfMemory(SOutOfMemory);
    }
}

// ---------------------------------------------------------------------------
// Refreshing

void TOstraDataset::InternalRefresh() {
    Save();
    // Changes no save could write (nowhere to write them) would go with a
    // reload: the store stays as it is.
    if (HasPendingChanges()) return;
    // The current record's unique values, to find it again after the reload.
    const std::vector<const TOstraField*> unique = FUniqueFieldNames.empty()
                                                       ? std::vector<const TOstraField*>()
                                                       : FImpl->FCursor->FindFields(FUniqueFieldNames);
    std::vector<std::string> names;
    for (const TOstraField* f : unique) names.push_back(f->Name);
    std::vector<uint8_t> kept(FImpl->FDataSize + 1, 0);
    bool haveKept = false;
    if (const TOstraRecord* current = FImpl->FView.At(FImpl->FPosition);
        current && current->Data() && !unique.empty()) {
        OstCopyData(kept.data(), current->Data(), FImpl->FBufferFields, FImpl->FDataSize);
        haveKept = true;
    }
    const int oldPosition = FImpl->FPosition;
    struct TKeptRelease {
        std::vector<uint8_t>& Data;
        const std::vector<TOstraField>& Fields;
        bool& Have;
        ~TKeptRelease() {
            if (Have) OstReleaseValues(Data.data(), Fields);
        }
    };
    const std::vector<TOstraField> layout = FImpl->FBufferFields;
    TKeptRelease release{kept, layout, haveKept};

    // The old records go with the reload.
    FImpl->FView.Clear();
    FImpl->FPosition = -1;
    bool reloaded = false;
    try {
        OpenData();
        reloaded = FImpl->FCursor && SameFieldLayout(FImpl->FCursor->Fields(), FImpl->FBufferFields);
    } catch (...) {
        Close();
        throw;
    }
    if (!reloaded) {
        Close();
        throw EDatabaseError(std::string(SErrorOpeningTable) + "the table's fields have changed");
    }
    FImpl->FCursor->SetSortDescending(FSortOptions.Contains(osoDescendSort));
    for (TOstraKeyBuffer& key : FImpl->FKeys) key.Rebind(*FImpl->FCursor);
    FImpl->FSearchFieldCache.clear();
    FImpl->FSearchKeyNames.clear();
    if (FMasterSource && FMasterSource->DataSet() && FMasterSource->DataSet()->Active() &&
        !FMasterFields.empty() && !FRangeFieldNames.empty()) {
        FImpl->FOpening = true;  // no view rebuilds on the way
        try {
            MasterChanged();
        } catch (...) {
            FImpl->FOpening = false;
            throw;
        }
        FImpl->FOpening = false;
    }
    TOstraRecordArray view;
    TOstraViewKeys keys;
    TOstraFilter filter;
    const bool useFilter = Filtered() && !Filter().empty();
    if (useFilter) FImpl->PrepareFilter(filter);
    try {
        FImpl->BuildSorted(view, keys, useFilter ? &filter : nullptr);
        FImpl->AssignBuilt(std::move(view), keys);
    } catch (const EOutOfMemory&) {
        // The saved file holds everything; the table closes rather than
        // show an empty view of a full store.
        Close();
        throw;
    }
    FImpl->FViewExact = true;
    FImpl->FBuiltFilterOptions = FilterOptions();
    FImpl->FBuiltOrder = FImpl->FCursor->OrderChanges();

    int position = -1;
    if (haveKept) {
        std::vector<const TOstraField*> fields;
        for (const std::string& name : names)
            if (const TOstraField* f = FImpl->FCursor->FindField(name)) fields.push_back(f);
        for (int i = 0; i < FImpl->FView.Count() && !fields.empty(); ++i) {
            if (CompareRecords(FImpl->FView.At(i)->Data(), kept.data(), fields, -1) == 0) {
                position = i;
                break;
            }
        }
    }
    if (position < 0 && !FImpl->FView.Empty())
        position = std::clamp(oldPosition, 0, FImpl->FView.Count() - 1);
    FImpl->FPosition = position;
    // Whatever was not written went with the reload.
    SettleChanges();
}
