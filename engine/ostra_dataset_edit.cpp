// TOstraDataset: editing, posting, deleting, new-record defaults, the
// pending-change count, and saving, reverting, accepting and refreshing.
#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/messages.h"
#include "engine/ostra_dataset.h"
#include "engine/record_store.h"
#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"

namespace {

bool SameLayout(const std::vector<TOstraField>& a, const std::vector<TOstraField>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].FieldType != b[i].FieldType || a[i].Offset != b[i].Offset || a[i].Size != b[i].Size)
            return false;
    return true;
}

}  // namespace

void TOstraDataset::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    if (Active()) DataEvent(deUpdateState, 0);
}

// ---------------------------------------------------------------------------
// The pending-change count

void TOstraDataset::ChangeAdded() {
    ++FPendingChanges;
    if (FPendingChanges == 1) FOnNeedToSaveChange(this);
    if (FDatabase) FDatabase->DatasetChanged(this);
}

void TOstraDataset::ChangeCancelled() {
    if (FPendingChanges <= 0) return;
    if (--FPendingChanges == 0) {
        FOnNeedToSaveChange(this);
        if (FDatabase) FDatabase->DatasetChangesSettled(this);
    }
}

void TOstraDataset::SettleChanges() {
    if (FPendingChanges == 0) return;
    FPendingChanges = 0;
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
    FBlobFailure = nullptr;
    inherited::DoBeforeEdit();
    TRecordBuffer buffer = ActiveBuffer();
    TOstraRecord* record = buffer ? Trailer(buffer)->Record : nullptr;
    if (record && FCursor) {
        // A record deleted through another dataset on the same store.
        if (!FCursor->Contains(record) || !record->IsLive()) throw EAbort("");
        FCursor->BeginChange(record);
    }
    ChangeAdded();
}

void TOstraDataset::DoBeforeInsert() {
    if (FReadOnly) throw EDatabaseError(SReadOnlyInsert);
    FBlobFailure = nullptr;
    inherited::DoBeforeInsert();
    ChangeAdded();
}

void TOstraDataset::InternalCancel() {
    FBlobFailure = nullptr;
    if (State() == dsEdit && FCursor) {
        // The edit lived in the buffer only; the store still holds what was
        // posted before. A record unchanged until now drops the copy of its
        // values taken when the edit began.
        TRecordBuffer buffer = ActiveBuffer();
        TOstraRecord* record = buffer ? Trailer(buffer)->Record : nullptr;
        if (record && FCursor->Contains(record) && record->State == orsUnchanged)
            FCursor->RevertRecord(record);
    }
    ChangeCancelled();
}

void TOstraDataset::InternalDelete() {
    TOstraRecord* record = FView.At(FPosition);
    std::string error;
    if (!record || !FCursor->DeleteRecord(record, error))
        throw EDatabaseError(SErrorDeletingRecord + (record ? error : std::string(SOstRecordNotFound)));
    FView.Delete(FPosition);
    ChangeAdded();
    NotifySharers({TOstraStoreChange::Deleted, record});
}

// ---------------------------------------------------------------------------
// Posting

bool TOstraDataset::KeyExists(const uint8_t* Data, const TOstraRecord* OwnRecord,
                              const std::string& FieldNames) {
    if (!FCursor) return false;
    return OstKeyExists(*FCursor, Data, OwnRecord, FCursor->FindFields(FieldNames));
}

void TOstraDataset::PostInsert(TRecordBuffer Buffer) {
    const uint8_t* data = BufferData(Buffer);
    if (FCheckKeyViolation && !FUniqueFieldNames.empty() && KeyExists(data, nullptr, FUniqueFieldNames))
        throw EDatabaseError(std::string(SErrorSavingNewRecord) + SKeyViolation);
    std::string error;
    if (!FCursor->PostRecord(data, nullptr, error)) throw EDatabaseError(SErrorSavingNewRecord + error);
    TOstraRecord* record = FCursor->Records().back();
    PlaceInserted(record);
    NotifySharers({TOstraStoreChange::Inserted, record});
}

void TOstraDataset::PlaceInserted(TOstraRecord* Record) {
    // A build would show the Record, after every Record it does not sort
    // before (store order breaks ties).
    bool known = true;
    const bool shown = WouldShow(Record->Data(), known) && known;
    if (!FKeys[kiSort].HasFields() || !FInKeyOrder) {
        FView.Add(Record);
        FPosition = FView.Count() - 1;
        FViewExact = FViewExact && shown && !FKeys[kiSort].HasFields();
        return;
    }
    if (FSortOptions.Contains(osoInsertInOrder)) {
        EnsureViewKeys();
        const TOstraViewKey key = ViewKeyOf(Record->Data());
        FPosition = PlaceInOrder(Record, key);
        FView.Insert(FPosition, Record, key);
        // Placed before Records of an equal key, where a build would put it after them.
        FViewExact = FViewExact && shown &&
                     (FPosition + 1 >= FView.Count() || CompareForSort(Record, FView.At(FPosition + 1)) < 0);
        return;
    }
    FView.Add(Record, FViewKeysValid ? ViewKeyOf(Record->Data()) : TOstraViewKey());
    FPosition = FView.Count() - 1;
    if (!InOrderAt(FPosition)) FInKeyOrder = false;  // appended out of order: no binary search on this view
    FViewExact = FViewExact && shown && FInKeyOrder;
}

void TOstraDataset::InternalPost() {
    if (FBlobFailure) {
        // The edit stays, with what the stream could not store.
        std::exception_ptr failure = std::exchange(FBlobFailure, nullptr);
        std::rethrow_exception(failure);
    }
    inherited::InternalPost();
    TRecordBuffer buffer = ActiveBuffer();
    if (State() == dsInsert) {
        PostInsert(buffer);
        return;
    }
    const uint8_t* data = BufferData(buffer);
    TOstraRecord* record = Trailer(buffer)->Record;
    const bool keyChanged = record && FCursor->Contains(record) && record->IsLive() &&
                            FKeys[kiSort].HasFields() && SortKeyChanged(data, record);
    if (FCheckKeyViolation && !FUniqueFieldNames.empty() && KeyExists(data, record, FUniqueFieldNames))
        throw EDatabaseError(std::string(SErrorSavingRecord) + SKeyViolation);
    // The others on the store learn the values the record had.
    std::vector<uint8_t> old;
    const bool tell = FCursor->Shared() && record && FCursor->Contains(record) && record->IsLive();
    if (tell) {
        old.assign(FDataSize + 1, 0);
        OstCopyData(old.data(), record->Data(), FBufferFields, FDataSize);
    }
    struct TOldRelease {
        std::vector<uint8_t>& Data;
        const std::vector<TOstraField>& Fields;
        ~TOldRelease() {
            if (!Data.empty()) OstReleaseValues(Data.data(), Fields);
        }
    } release{old, FBufferFields};
    std::string error;
    if (!FCursor->PostRecord(data, record, error)) throw EDatabaseError(SErrorSavingRecord + error);
    FKeyIndex.Invalidate();  // the record's values changed in place
    const int index = keyChanged || FViewExact ? FView.IndexOf(record, FPosition) : -1;
    if (keyChanged && FInKeyOrder) {
        if (index < 0 || !InOrderAt(index))
            FInKeyOrder = false;
        else if (FViewKeysValid)
            FView.SetKey(index, ViewKeyOf(record->Data()));
    }
    if (FViewExact) {
        bool known = true;
        const bool shown = WouldShow(record->Data(), known) && known;
        FViewExact = shown && index >= 0 && (!keyChanged || StrictlyInOrderAt(index));
    }
    if (tell) NotifySharers({TOstraStoreChange::Edited, record, old.data()});
}

void TOstraDataset::InternalAddRecord(TRecordBuffer Buffer, bool Append) {
    if (Append) InternalLast();
    PostInsert(Buffer);
}

// ---------------------------------------------------------------------------
// New records

void TOstraDataset::DoOnNewRecord() {
    ApplyDefaults();
    CopyMasterValues();
    inherited::DoOnNewRecord();
}

void TOstraDataset::ApplyDefaults() {
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields()->Fields(i);
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

void TOstraDataset::SetDefaultValue(TField* Field, const TOstraField& Descriptor, const std::string& Text) {
    // The engine's own text rule, not the field's text form: "yes" makes a
    // Boolean true and "12x" an Integer 0 where the field would refuse them.
    std::vector<uint8_t> value(std::max<std::size_t>(Descriptor.Size, 1), 0);
    TOstraField place = Descriptor;
    place.Offset = 0;
    SetValueFromText(value.data(), Text, place);
    Field->SetData(value.data());
}

void TOstraDataset::CopyMasterValues() {
    if (!FMasterSource || !FMasterSource->DataSet() || !FMasterSource->DataSet()->Active()) return;
    if (FMasterFields.empty() || FRangeFieldNames.empty()) return;
    const std::vector<TField*> master = FMasterSource->DataSet()->GetFieldList(FMasterFields);
    const std::vector<TField*> detail = GetFieldList(FRangeFieldNames);
    for (std::size_t i = 0; i < std::min(master.size(), detail.size()); ++i)
        detail[i]->SetAsVariant(master[i]->AsVariant());
}

// ---------------------------------------------------------------------------
// Saving, reverting and accepting

void TOstraDataset::Save() {
    if (!Active()) return;
    if (State() == dsEdit || State() == dsInsert) Post();
    if (SaveData()) AcceptChanges();
}

void TOstraDataset::AcceptChanges() {
    if (FCursor) {
        FCursor->AcceptAll();
        NotifySharers({TOstraStoreChange::Accepted});
    }
    SettleChanges();
}

void TOstraDataset::CancelChanges() {
    if (!Active() || !HasPendingChanges()) return;
    if (State() == dsEdit || State() == dsInsert) Cancel();
    FCursor->RevertAll();
    FViewExact = false;
    NotifySharers({TOstraStoreChange::Reverted});
    SettleChanges();
    try {
        RebuildView(true);
    } catch (...) {
        // Records the revert dropped must not stay in the view.
        std::vector<TOstraRecord*> live = FView.ToVector();
        live.erase(
            std::remove_if(live.begin(), live.end(), [](const TOstraRecord* r) { return !r->IsLive(); }),
            live.end());
        FView.Assign(std::move(live));
        FViewKeysValid = false;
        FPosition = std::min(FPosition, FView.Count() - 1);
        Resync({});
        throw;
    }
}

void TOstraDataset::CommitChanges() {
    if (!Active() || !HasPendingChanges()) return;
    // An edit in progress is part of the changes being accepted.
    CheckBrowseMode();
    FCursor->AcceptAll();
    NotifySharers({TOstraStoreChange::Accepted});
    SettleChanges();
    RebuildView(true);
}

void TOstraDataset::SaveToFile(const std::string& FileName) {
    CheckOpen();
    FCursor->SetSortDescending(FSortOptions.Contains(osoDescendSort));
    FCursor->SaveToFile(FileName, FSaveOptions, FSortOptions.Contains(osoCaseInsensitive), FIndexFieldNames);
}

// ---------------------------------------------------------------------------
// Refreshing

void TOstraDataset::InternalRefresh() {
    Save();
    // The current record's unique values, to find it again after the reload.
    const std::vector<const TOstraField*> unique = FUniqueFieldNames.empty()
                                                       ? std::vector<const TOstraField*>()
                                                       : FCursor->FindFields(FUniqueFieldNames);
    std::vector<std::string> names;
    for (const TOstraField* f : unique) names.push_back(f->Name);
    std::vector<uint8_t> kept(FDataSize + 1, 0);
    bool haveKept = false;
    if (const TOstraRecord* current = FView.At(FPosition); current && current->Data() && !unique.empty()) {
        OstCopyData(kept.data(), current->Data(), FBufferFields, FDataSize);
        haveKept = true;
    }
    const int oldPosition = FPosition;
    struct TKeptRelease {
        std::vector<uint8_t>& Data;
        const std::vector<TOstraField>& Fields;
        bool& Have;
        ~TKeptRelease() {
            if (Have) OstReleaseValues(Data.data(), Fields);
        }
    };
    const std::vector<TOstraField> layout = FBufferFields;
    TKeptRelease release{kept, layout, haveKept};

    // The old records go with the reload.
    FView.Clear();
    FPosition = -1;
    bool reloaded = false;
    try {
        OpenData();
        reloaded = FCursor && SameLayout(FCursor->Fields(), FBufferFields);
    } catch (...) {
        Close();
        throw;
    }
    if (!reloaded) {
        Close();
        throw EDatabaseError(std::string(SErrorOpeningTable) + "the table's fields have changed");
    }
    FCursor->SetSortDescending(FSortOptions.Contains(osoDescendSort));
    for (TOstraKeyBuffer& key : FKeys) key.Rebind(*FCursor);
    FSearchFieldCache.clear();
    FSearchKeyNames.clear();
    if (FMasterSource && FMasterSource->DataSet() && FMasterSource->DataSet()->Active() &&
        !FMasterFields.empty() && !FRangeFieldNames.empty()) {
        FOpening = true;  // no view rebuilds on the way
        try {
            MasterChanged();
        } catch (...) {
            FOpening = false;
            throw;
        }
        FOpening = false;
    }
    std::vector<TOstraRecord*> view;
    TOstraFilter filter;
    const bool useFilter = Filtered() && !Filter().empty();
    if (useFilter) PrepareFilter(filter);
    BuildView(view, useFilter ? &filter : nullptr);
    const bool sorted = FKeys[kiSort].HasFields();
    if (sorted) SortView(view);
    FView.Assign(std::move(view));
    FInKeyOrder = sorted;
    FViewKeysValid = false;
    FViewExact = true;
    FBuiltFilterOptions = FilterOptions();

    int position = -1;
    if (haveKept) {
        std::vector<const TOstraField*> fields;
        for (const std::string& name : names)
            if (const TOstraField* f = FCursor->FindField(name)) fields.push_back(f);
        for (int i = 0; i < FView.Count() && !fields.empty(); ++i) {
            if (CompareRecords(FView.At(i)->Data(), kept.data(), fields, -1) == 0) {
                position = i;
                break;
            }
        }
    }
    if (position < 0 && !FView.Empty()) position = std::clamp(oldPosition, 0, FView.Count() - 1);
    FPosition = position;
    // Whatever was not written went with the reload.
    SettleChanges();
}
