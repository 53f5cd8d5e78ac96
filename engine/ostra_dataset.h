// TOstraDataset: the table engine's dataset.
//
// It makes a record store (TOstraCursor) usable through the dataset
// framework. It shows a record view, the store's records that pass the range
// and the filter, in sort order; keeps record buffers and bookmarks over that
// view; posts and deletes into the store; counts unsaved changes and tells
// its owner about them; fills new records with defaults; and saves or
// abandons all changes as a whole. Where the data come from is the
// descendant's business (OpenData, SaveData, ReleaseData).
//
// Record buffer: the record's data block (the store's record data size),
// then the calculated-field area, then the bookmark (the record reference
// and the generation of the store it is of), the bookmark flag and the record
// number (view position + 1, -1 for a new record).
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/blob_stream.h"
#include "engine/field_types.h"
#include "engine/table_file.h"
#include "platform/core/enums.h"
#include "platform/core/events.h"
#include "platform/db/dataset.h"

class TOstraCursor;
class TOstraDataset;
class TOstraMasterLink;
class TOstraTable;
struct TOstraRecord;
struct TOstraStoreChange;

TASKMOOR_ENUM(TOstraSortOption, osoCaseInsensitive, osoDescendSort, osoInsertInOrder)
using TOstraSortOptions = TSet<TOstraSortOption>;

// (Sender, Percent): progress of loading and saving, 0 to 100.
using TOstraCallbackEvent = TEvent<TObject*, int>;
// (Sender, var RecordData): the application's data attached to a record
// whose data are being released.
using TOstraRecordDataEvent = TEvent<TObject*, void*&>;

// The database component a dataset belongs to, as the dataset sees it: it is
// told when the dataset opens, closes, gets changes and settles them.
class TOstraCustomDatabase : public TComponent {
    TASKMOOR_CLASS(TOstraCustomDatabase, TComponent)
public:
    explicit TOstraCustomDatabase(TComponent* AOwner) : TComponent(AOwner) {}
    virtual void DatasetOpened(TOstraDataset* DataSet) = 0;
    virtual void DatasetClosed(TOstraDataset* DataSet) = 0;
    virtual void DatasetChanged(TOstraDataset* DataSet) = 0;
    virtual void DatasetChangesSettled(TOstraDataset* DataSet) = 0;
};

class TOstraDataset : public TDataSet {
    TASKMOOR_CLASS(TOstraDataset, TDataSet)
public:
    explicit TOstraDataset(TComponent* AOwner);
    ~TOstraDataset() override;

    // ---- Properties ----
    TOstraCustomDatabase* Database() const { return FDatabase; }
    // A different database closes the dataset first.
    virtual void SetDatabase(TOstraCustomDatabase* Value);
    const std::string& IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const std::string& Value);
    // The master link follows MasterSource and MasterFields.
    const std::string& MasterFields() const { return FMasterFields; }
    void SetMasterFields(const std::string& Value);
    TDataSource* MasterSource() const { return FMasterSource; }
    void SetMasterSource(TDataSource* Value);
    TOstraMasterLink* MasterLink() const;
    const std::string& Notes() const { return FNotes; }
    void SetNotes(const std::string& Value) { FNotes = Value; }
    bool PartialOpen() const { return FPartialOpen; }
    void SetPartialOpen(bool Value) { FPartialOpen = Value; }
    const std::string& RangeFieldNames() const { return FRangeFieldNames; }
    void SetRangeFieldNames(const std::string& Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    TOstraSaveOptions SaveOptions() const { return FSaveOptions; }
    void SetSaveOptions(TOstraSaveOptions Value) { FSaveOptions = Value; }
    TOstraSortOptions SortOptions() const { return FSortOptions; }
    void SetSortOptions(TOstraSortOptions Value);
    const std::string& UniqueFieldNames() const { return FUniqueFieldNames; }
    void SetUniqueFieldNames(const std::string& Value) { FUniqueFieldNames = Value; }
    // Enforce UniqueFieldNames when posting.
    bool CheckKeyViolation() const { return FCheckKeyViolation; }
    void SetCheckKeyViolation(bool Value) { FCheckKeyViolation = Value; }
    std::string Version() const;
    void SetVersion(const std::string&) {}

    const TNotifyEvent& OnNeedToSaveChange() const { return FOnNeedToSaveChange; }
    void SetOnNeedToSaveChange(const TNotifyEvent& Value) { FOnNeedToSaveChange = Value; }
    const TOstraCallbackEvent& OnCallback() const { return FOnCallback; }
    void SetOnCallback(const TOstraCallbackEvent& Value) { FOnCallback = Value; }
    const TOstraRecordDataEvent& OnDestroyRecordData() const { return FOnDestroyRecordData; }
    void SetOnDestroyRecordData(const TOstraRecordDataEvent& Value);

    // ---- Changes ----
    // Posts an edit or insert in progress, then writes the data
    // (SaveData); data written count as accepted (AcceptChanges).
    virtual void Save();
    // Reverts every change since the last accept.
    virtual void CancelChanges();
    // Accepts every change (without writing anything).
    virtual void CommitChanges();
    bool HasPendingChanges() const;
    int PendingChanges() const;
    // The store's save with the dataset's save and sort settings.
    void SaveToFile(const std::string& FileName);

    // ---- Record view ----
    // Builds the view anew from the store; KeepPosition keeps the current
    // record current. On failure the previous view stays.
    void RebuildView(bool KeepPosition = true);
    // All conditions of the Filter text hold for the record.
    bool FilterMatch(const TOstraRecord* Record);
    // Some other live record has Data's values on the named fields.
    bool KeyExists(const uint8_t* Data, const TOstraRecord* OwnRecord, const std::string& FieldNames);
    // The view is in sort-key order.
    bool InKeyOrder() const;
    // Times the view was built from the store (filtered and sorted); a
    // rebuild that would give the same view reads the buffers only.
    int ViewBuilds() const;
    // The record shown at a view position (0-based); nullptr outside.
    TOstraRecord* ViewRecord(int Index) const;

    // ---- Range (used by a master-detail link) ----
    // Start and end key texts, values separated by tab characters.
    void SetRange(const std::string& StartText, const std::string& EndText);
    void ApplyRange();
    void CancelRange();
    bool RangeActive() const;
    // The master's current record changed: the range becomes the master's
    // MasterFields values on RangeFieldNames.
    void MasterChanged();
    // The master closed or the link ended: the range is dropped.
    void MasterDisabled();

    // ---- Searching ----
    bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
    Variant Lookup(const std::string& KeyFields, const Variant& KeyValues,
                   const std::string& ResultFields) override;

    // ---- Dataset framework ----
    void SetRecNo(int Value) override;
    bool BookmarkValid(const TBookmark& Value) override;
    // The bookmark was taken from the records the store holds now (its record
    // may have left the view since); False for one kept across a reload of
    // the store, which names no record any more.
    bool BookmarkOfStore(const TBookmark& Value) const;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
    TUpdateStatus UpdateStatus() override;
    void SetFiltered(bool Value) override;
    bool GetFieldData(TField* Field, void* Buffer) override;
    bool GetFieldData(int FieldNo, void* Buffer) override;
    void SetFieldData(TField* Field, const void* Buffer) override;

    // ---- BLOB values of the active record (for blob streams) ----
    // The bytes of a BLOB-like field; False when it has none.
    bool GetBlobValue(TField* Field, std::string& Value);
    // Replaces the value in the record being edited or inserted and sends
    // the field-change notification.
    void SetBlobValue(TField* Field, const std::string& Value);
    TOstraBlobStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
    // A blob stream freed while the record is edited could not store its
    // value: the post of the record raises the failure.
    void BlobStoreFailed(std::exception_ptr Failure);
    // Counts the edits and inserts begun: a blob stream writes only within
    // the one it was made in.
    uint64_t EditSerial() const { return FEditSerial; }

    // The store; nullptr while closed.
    TOstraCursor* Cursor() const;

    static void Publish(TPublisher<TOstraDataset>& p);

protected:
    // A table shares its store with the tables cloned from it.
    friend class TOstraTable;

    // ---- What a descendant supplies ----
    // Fills the store (SetCursor) for opening and refreshing.
    virtual void OpenData() = 0;
    // Writes the store; answers whether it wrote it.
    virtual bool SaveData() = 0;
    // Drops the store (SetCursor(nullptr)) on closing.
    virtual void ReleaseData() = 0;
    // True when OpenData would read the same table again (from its file).
    virtual bool CanReloadData() const { return false; }

    virtual void SetFieldOrigin(const std::string& Value);
    virtual void ApplyFieldOrigin();
    const std::string& FieldOrigin() const;

    // Joins the store (leaving the previous one): changes made through the
    // other datasets on it keep this one's view and searches right.
    void SetCursor(TOstraCursor* Value);
    // Routes the store's record-data release and progress to OnDestroyRecordData
    // and OnCallback.
    void InstallCursorRelays(TOstraCursor* Cursor);
    void InstallReleaseRelay();
    // Datasets sharing this one's store.
    void AddClone(TOstraDataset* Clone);
    void RemoveClone(TOstraDataset* Clone);
    const std::vector<TOstraDataset*>& Clones() const;
    // One more pending change, without event or notice (a new password).
    void IncrementPendingChanges();
    // Count to 0, the database told and OnNeedToSaveChange fired when there
    // were pending changes.
    void SettleChanges();
    // The data were written: the store accepts every change, the other
    // datasets on it are told, and the count settles.
    void AcceptChanges();
    // A view built before the store's order changed (a sorted save) is
    // built again; an edit or insert in progress is kept.
    void FollowStoreOrder();

    // ---- Framework operations ----
    void ClearCalcFields(TRecordBuffer Buffer) override;
    void DoBeforeClose() override;
    void DoBeforeDelete() override;
    void DoBeforeEdit() override;
    void DoBeforeInsert() override;
    void DoOnNewRecord() override;
    bool FindRecord(bool Restart, bool GoForward) override;
    bool GetCanModify() override;
    TDataSource* GetDataSource() override { return FMasterSource; }
    int GetRecordCount() override;
    int GetRecNo() override;
    void InternalCancel() override;
    void InternalRefresh() override;
    void SetFilterText(const std::string& Value) override;
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    void GetBookmarkData(TRecordBuffer Buffer, void* Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    int GetRecordSize() override;
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override;
    void InternalDelete() override;
    void InternalFirst() override;
    void InternalGotoBookmark(const void* Bookmark) override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    void InternalLast() override;
    void InternalPost() override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
    void SetBookmarkData(TRecordBuffer Buffer, const void* Data) override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    bool CursorHasNeighbour(TGetMode Mode) override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    void InternalOpen() override;
    bool IsCursorOpen() override;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The view, buffers, keys and searches behind the framework operations
    // (ostra_dataset_impl.h).
    class TImpl;
    std::unique_ptr<TImpl> FImpl;
    uint64_t FEditSerial = 0;

    TOstraCustomDatabase* FDatabase = nullptr;
    std::string FIndexFieldNames;
    std::string FMasterFields;
    TDataSource* FMasterSource = nullptr;
    std::string FNotes;
    bool FPartialOpen = false;
    std::string FRangeFieldNames;
    bool FReadOnly = false;
    TOstraSaveOptions FSaveOptions;
    TOstraSortOptions FSortOptions;
    std::string FUniqueFieldNames;
    bool FCheckKeyViolation = false;
    TNotifyEvent FOnNeedToSaveChange;
    TOstraCallbackEvent FOnCallback;
    TOstraRecordDataEvent FOnDestroyRecordData;
};

// Test hook: called each time a dataset builds its view from its store; a
// std::bad_alloc thrown here is the build running short of memory. An empty
// hook removes it.
void SetViewBuildMemoryHook(std::function<void()> Hook);
