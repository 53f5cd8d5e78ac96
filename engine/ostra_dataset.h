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
// then the calculated-field area, then the record reference (the bookmark),
// the bookmark flag and the record number (view position + 1, -1 for a new
// record).
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "engine/blob_stream.h"
#include "engine/field_types.h"
#include "engine/key_index.h"
#include "engine/ostra_parser.h"
#include "engine/record_list.h"
#include "engine/record_view.h"
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
    TOstraMasterLink* MasterLink() const { return FMasterLink.get(); }
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
    void SetOnDestroyRecordData(const TOstraRecordDataEvent& Value) { FOnDestroyRecordData = Value; }

    // ---- Changes ----
    // Posts an edit or insert in progress, then writes the data
    // (SaveData); data written count as accepted.
    virtual void Save();
    // Reverts every change since the last accept.
    virtual void CancelChanges();
    // Accepts every change (without writing anything).
    virtual void CommitChanges();
    bool HasPendingChanges() const { return FPendingChanges > 0; }
    int PendingChanges() const { return FPendingChanges; }
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
    bool InKeyOrder() const { return FInKeyOrder; }
    // Times the view was built from the store (filtered and sorted); a
    // rebuild that would give the same view reads the buffers only.
    int ViewBuilds() const { return FViewBuilds; }
    // The record shown at a view position (0-based); nullptr outside.
    TOstraRecord* ViewRecord(int Index) const { return FView.At(Index); }

    // ---- Range (used by a master-detail link) ----
    // Start and end key texts, values separated by tab characters.
    void SetRange(const std::string& StartText, const std::string& EndText);
    void ApplyRange();
    void CancelRange();
    bool RangeActive() const { return FRangeActive; }
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
    void BlobStoreFailed(std::exception_ptr Failure) { FBlobFailure = std::move(Failure); }

    // The store; nullptr while closed.
    TOstraCursor* Cursor() const { return FCursor; }

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

    virtual void SetFieldOrigin(const std::string& Value) { FFieldOrigin = Value; }
    virtual void ApplyFieldOrigin();
    const std::string& FieldOrigin() const { return FFieldOrigin; }

    // Joins the store (leaving the previous one): changes made through the
    // other datasets on it keep this one's view and searches right.
    void SetCursor(TOstraCursor* Value);
    // Routes the store's record-data release and progress to OnDestroyRecordData
    // and OnCallback.
    void InstallCursorRelays(TOstraCursor* Cursor);
    // Datasets sharing this one's store.
    void AddClone(TOstraDataset* Clone);
    void RemoveClone(TOstraDataset* Clone);
    const std::vector<TOstraDataset*>& Clones() const { return FClones; }
    // One more pending change, without event or notice (a new password).
    void IncrementPendingChanges() { ++FPendingChanges; }
    // Count to 0, the database told and OnNeedToSaveChange fired when there
    // were pending changes.
    void SettleChanges();

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
    int GetRecordSize() override { return static_cast<int>(FRecordSize); }
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
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    void InternalOpen() override;
    bool IsCursorOpen() override;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The end of a record buffer.
    struct TBufferTrailer {
        TOstraRecord* Record;  // the bookmark
        uint8_t Flag;          // TBookmarkFlag
        int32_t RecNo;         // view position + 1; -1 for a new record
    };

    // Buffers
    TBufferTrailer* Trailer(TRecordBuffer Buffer) const;
    static TOstraRecord* RecordOfBookmark(const void* Bookmark);
    uint8_t* BufferData(TRecordBuffer Buffer) const { return reinterpret_cast<uint8_t*>(Buffer); }
    // The record data the fields read and write in the current state.
    uint8_t* StateData();
    TRecordBuffer StateBuffer();
    void CopyRecordToBuffer(const TOstraRecord* Record, TRecordBuffer Buffer);
    void ReleaseBufferValues(uint8_t* Data) const;
    const TOstraField* StoreField(const TField* Field) const;
    const TOstraField* StoreFieldOfNo(int FieldNo) const;
    void CheckOpen() const;

    // Pending changes
    void ChangeAdded();
    void ChangeCancelled();
    void AcceptChanges();

    // Keys and view
    void InitKeyBuffer(int Number, const std::string& FieldNames);
    void InitKeyBuffers();
    bool InRange(const uint8_t* Data) const;
    void PrepareFilter(TOstraFilter& Filter);
    void BuildView(std::vector<TOstraRecord*>& View, const TOstraFilter* Filter);
    void SortView(std::vector<TOstraRecord*>& View);
    // Sorts by the current key after a change of IndexFieldNames or SortOptions.
    void ApplySort();
    int CompareForSort(const TOstraRecord* A, const TOstraRecord* B) const;
    bool SortKeyChanged(const uint8_t* Data, const TOstraRecord* Record) const;
    // The sort-key digest of a record's data; the view's keys made when needed.
    TOstraViewKey ViewKeyOf(const uint8_t* Data) const;
    void EnsureViewKeys();
    // The view position where the sort order puts a record that is not in the view.
    int PlaceInOrder(const TOstraRecord* Record, const TOstraViewKey& Key) const;
    bool InOrderAt(int Index) const;
    void PostInsert(TRecordBuffer Buffer);
    // Puts a record just inserted into the view and makes it current.
    void PlaceInserted(TOstraRecord* Record);
    void ApplyDefaults();
    void SetDefaultValue(TField* Field, const TOstraField& Descriptor, const std::string& Text);
    void CopyMasterValues();
    bool CallFilterRecord(const TOstraRecord* Record);
    // Moves to view position Index and refetches the buffers around it.
    void GotoPosition(int Index, bool Center);

    // Searching (locate.cpp)
    int FindByKey(const std::string& KeyFields, const Variant& KeyValues, bool FromStart,
                  TLocateOptions Options);
    bool MatchesWithOptions(const TOstraRecord* Record, const Variant& KeyValues,
                            TLocateOptions Options) const;
    bool KeyOrderFits() const;

    void SyncMasterLink();

    // Sharing the store (ostra_dataset_view.cpp)
    class TStoreLink;
    // Tells the other datasets on the store of a change made through this one.
    void NotifySharers(const TOstraStoreChange& Change);
    void SharerChanged(const TOstraStoreChange& Change);
    // Removes a record that is no longer live from the view.
    void DropFromView(const TOstraRecord* Record);
    void DropDeadRecords();
    // Whether a build of the view now would show a record with these values;
    // False with Known False when that cannot be told (an OnFilterRecord
    // handler, a filter that does not prepare).
    bool WouldShow(const uint8_t* Data, bool& Known);
    // The record at Index is strictly between its neighbours in sort order,
    // so a build would put it there too.
    bool StrictlyInOrderAt(int Index) const;
    bool SortValuesDiffer(const uint8_t* A, const uint8_t* B) const;

    TOstraCursor* FCursor = nullptr;
    std::unique_ptr<TStoreLink> FStoreLink;
    TOstraCursor* FAttached = nullptr;  // the store FStoreLink is registered with
    // The view is what a build would make now (same records, same order), so
    // a rebuild can be skipped.
    bool FViewExact = false;
    int FViewBuilds = 0;
    TFilterOptions FBuiltFilterOptions;
    // The filter conditions prepared for WouldShow; made when first needed.
    std::unique_ptr<TOstraFilter> FShowFilter;
    bool FShowFilterReady = false;
    std::exception_ptr FBlobFailure;
    // The data layout the buffers were made for.
    std::vector<TOstraField> FBufferFields;
    std::size_t FDataSize = 0;
    std::size_t FRecordSize = 0;
    // Store field index of each field definition (FieldNo - 1).
    std::vector<int> FFieldMap;

    TOstraRecordList FView;
    int FPosition = -1;
    bool FInKeyOrder = false;
    bool FOpening = false;
    int FPendingChanges = 0;
    TOstraKeyBuffer FKeys[4] = {TOstraKeyBuffer(0), TOstraKeyBuffer(1), TOstraKeyBuffer(2),
                                TOstraKeyBuffer(3)};
    std::string FSearchKeyNames;  // the fields key buffer 1 is set up for
    // Field lists of recent searches by their text, so that searches taking
    // turns over a few field lists look no names up.
    struct TFieldListCache {
        std::string Names;
        std::vector<const TOstraField*> StoreFields;
        std::vector<TField*> DataFields;
    };
    std::vector<TFieldListCache> FSearchFieldCache;
    bool FViewKeysValid = false;  // the view's entries carry their sort keys
    TOstraKeyIndex FKeyIndex;     // for repeated exact searches
    bool FRangeActive = false;
    TOstraFilterConditions FConditions;
    const uint8_t* FFilterData = nullptr;  // the record being filtered
    TRecordBuffer FReadBuffer = nullptr;   // buffer read in place of the state's (Lookup)
    std::vector<TOstraDataset*> FClones;
    std::string FFieldOrigin;

    TOstraCustomDatabase* FDatabase = nullptr;
    std::string FIndexFieldNames;
    std::string FMasterFields;
    TDataSource* FMasterSource = nullptr;
    std::unique_ptr<TOstraMasterLink> FMasterLink;
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
