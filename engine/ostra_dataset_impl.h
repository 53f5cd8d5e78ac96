// The private side of TOstraDataset: the record view and its keys, the
// record buffers, the searches and the bookkeeping of a store shared with
// other datasets. Only the dataset's own sources include this.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/key_index.h"
#include "engine/master_link.h"
#include "engine/ostra_dataset.h"
#include "engine/ostra_parser.h"
#include "engine/record_list.h"
#include "engine/record_store.h"
#include "engine/record_view.h"

// True when both describe records laid out alike (types, offsets, sizes).
bool SameFieldLayout(const std::vector<TOstraField>& a, const std::vector<TOstraField>& b);

class TOstraDataset::TImpl {
public:
    explicit TImpl(TOstraDataset& Owner);
    ~TImpl();
    TImpl(const TImpl&) = delete;
    TImpl& operator=(const TImpl&) = delete;

    // The dataset this is the inside of.
    TOstraDataset& D;

    // A bookmark: the record and the generation of the store that held it
    // (TOstraCursor::Generation, below 2^56), so that one kept across a
    // reload names no record of the new store. Its bytes: the record's
    // address, then the generation's seven low bytes; fifteen in all, which a
    // TBookmark holds without an allocation of its own.
    struct TBookmarkData {
        TOstraRecord* Record;
        uint64_t Generation;
    };
    static constexpr std::size_t BookmarkBytes = sizeof(TOstraRecord*) + 7;

    // The end of a record buffer.
    struct TBufferTrailer {
        TBookmarkData Bookmark;
        uint8_t Flag;  // TBookmarkFlag
        // The reference values (texts, memos, BLOBs) could not be copied
        // for a lack of memory: they are read from the record in the store,
        // and copied when an edit begins.
        uint8_t ValuesInStore;
        int32_t RecNo;  // view position + 1; -1 for a new record
    };

    // Buffers
    TBufferTrailer* Trailer(TRecordBuffer Buffer) const;
    // The record a buffer was read from; nullptr for none or one of a store
    // since released.
    TOstraRecord* BufferRecord(TRecordBuffer Buffer) const;
    // Marks a buffer as read from the view's record at Index.
    void SetBufferRecord(TRecordBuffer Buffer, int Index);
    static TBookmarkData BookmarkOf(const void* Bookmark);
    static void WriteBookmark(const TBookmarkData& Mark, void* Bookmark);
    static uint8_t* BufferData(TRecordBuffer Buffer) { return reinterpret_cast<uint8_t*>(Buffer); }
    // The record data the fields read and write in the current state.
    uint8_t* StateData();
    TRecordBuffer StateBuffer();
    // Short of memory the buffer keeps the record's fixed-size values and
    // reads the others from the store (ValuesInStore): reading a record
    // into a buffer does not fail.
    void CopyRecordToBuffer(const TOstraRecord* Record, TRecordBuffer Buffer);
    // Copies the values a buffer reads from the store into it; EOutOfMemory
    // when they still do not fit.
    void CompleteBuffer(TRecordBuffer Buffer);
    void ReleaseBufferValues(uint8_t* Data) const;
    const TOstraField* StoreField(const TField* Field) const;
    const TOstraField* StoreFieldOfNo(int FieldNo) const;
    // GetFieldData of a data field; a text is given whole up to TextLimit
    // bytes (the caller's buffer holds TextLimit + 1).
    bool FieldData(int FieldNo, void* Buffer, std::size_t TextLimit);
    void CheckOpen() const;

    // Pending changes
    void ChangeAdded();
    void ChangeCancelled();

    // Keys and view
    void InitKeyBuffer(int Number, const std::string& FieldNames);
    void InitKeyBuffers();
    bool InRange(const uint8_t* Data) const;
    void PrepareFilter(TOstraFilter& Filter);
    void BuildView(TOstraRecordArray& View, const TOstraFilter* Filter);
    // Sorts the view by the sort key and gives its view keys in the new order.
    void SortView(TOstraRecordArray& View, TOstraViewKeys& Keys);
    // Makes a built view current, sorted with Keys when Sorted.
    void AssignView(TOstraRecordArray&& View, bool Sorted, const TOstraViewKeys& Keys);
    // BuildView, then SortView when there is a sort key; EOutOfMemory when
    // memory runs short, the dataset unchanged.
    void BuildSorted(TOstraRecordArray& View, TOstraViewKeys& Keys, const TOstraFilter* Filter);
    // AssignView of a BuildSorted view; short of memory, the view stays as
    // it was and EOutOfMemory is raised.
    void AssignBuilt(TOstraRecordArray&& View, const TOstraViewKeys& Keys);
    // BuildSorted and AssignBuilt, tried once more after the memory kept for
    // reuse was given back; short of memory, the view stays as it was.
    void BuildAndAssign(const TOstraFilter* Filter);
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
    // The view position of Record, -1 when the view does not hold it; Hint is
    // tried first. A sorted view is searched by the values it placed the
    // record by (PlacedBy: an edit's old values; the record's own when
    // nullptr), a view in store order by the records' numbers.
    int FindInView(const TOstraRecord* Record, int Hint = -1, const uint8_t* PlacedBy = nullptr) const;
    // Records this dataset's own posts moved out of the view's sort order
    // stand where their earlier values put them: while no other change
    // reached the store, the view is in order by those values (the placed
    // values) and is searched by them.
    bool DisplacedOrder() const;
    const uint8_t* PlacedValues(const TOstraRecord* Record) const;
    // Notes a record an own post is about to move, with its values before it
    // (a copy made here); False when too many are noted already.
    bool NoteDisplaced(const TOstraRecord* Record);
    // The view stays in order by the placed values after an own post.
    void KeepDisplacedOrder();
    void ForgetDisplaced();
    // FindInView for a bookmark: a record deleted, not of the store or of
    // one of its earlier generations is in no view.
    int BookmarkPlace(const TBookmarkData& Bookmark, int Hint) const;
    void PostInsert(TRecordBuffer Buffer);
    // Puts a record just inserted into the view and makes it current.
    void PlaceInserted(TOstraRecord* Record);
    // After an edit's post: the record's place in the view (Index, where it
    // stood; -1 when it was not there), its key and the displaced order.
    void PlaceEdited(TOstraRecord* Record, int Index, bool KeyChanged, bool Displaced, bool Noted);
    void ApplyDefaults();
    void SetDefaultValue(TField* Field, const TOstraField& Descriptor, const std::string& Text);
    void CopyMasterValues();
    bool CallFilterRecord(const TOstraRecord* Record);
    // Calls OnFilterRecord with Data as the record being filtered.
    bool CallFilterData(const uint8_t* Data);
    // Moves to view position Index and refetches the buffers around it.
    void GotoPosition(int Index, bool Center);

    // Searching (locate.cpp)
    int FindByKey(const std::string& KeyFields, const Variant& KeyValues, bool FromStart,
                  TLocateOptions Options);
    bool MatchesWithOptions(const TOstraRecord* Record, const Variant& KeyValues,
                            TLocateOptions Options) const;
    bool KeyOrderFits() const;

    void SyncMasterLink();
    // The view of a store just opened; a view short of memory after a load
    // on several threads is built after loading the store again on one.
    void BuildOpenedView();

    // Sharing the store (ostra_dataset_view.cpp)
    class TStoreLink;
    // Tells the other datasets on the store of a change made through this one.
    void NotifySharers(const TOstraStoreChange& Change);
    // Takes what following a change of the store needs (room in the view,
    // the filter prepared): std::bad_alloc before the change, not after.
    void PrepareChange(const uint8_t* NewData);
    // PrepareChange of this dataset and every other on the store, for a
    // post of NewData (nullptr: a delete); EOutOfMemory when one runs
    // short, nothing changed.
    void PrepareSharers(const uint8_t* NewData = nullptr, bool Inserting = false);
    // WouldShow of the record a change just posted: the answer PrepareChange
    // took for its values, asked again only when none was.
    bool ShowsChanged(const uint8_t* Data, bool& Known);
    // The WouldShow answer PrepareChange took, for the change that brings
    // the store's change count to FVerdictAt (0: none).
    uint64_t FVerdictAt = 0;
    bool FVerdict = false;
    bool FVerdictKnown = false;
    // WouldShow lets a handler's lack of memory through.
    bool FPreparingVerdict = false;
    void SharerChanged(const TOstraStoreChange& Change);
    void FollowSharer(const TOstraStoreChange& Change);
    // Removes a record that is no longer live from the view.
    void DropFromView(const TOstraRecord* Record, const uint8_t* PlacedBy = nullptr);
    void DropDeadRecords();
    // Puts a record another sharer inserted or changed where a build would
    // show it (Index: its place in the view now, or -1); a sorted view out
    // of key order gets it at its end. Answers its new place.
    int PlaceShared(TOstraRecord* Record, int Index);
    // The view position of a record in store order, found by the records'
    // numbers in the store (no walk of the store).
    int StoreOrderPlace(const TOstraRecord* Record) const;
    // Builds the view again; one in edit or insert keeps its edit and its
    // current record.
    void RebuildKeepingEdit();
    // The view of a store being reverted, made beside the one shown
    // (EOutOfMemory when it cannot be); then shown (Taken) or dropped.
    void PrepareRevertedView();
    void FinishRevertedView(bool Taken);
    struct TRevertedView {
        TOstraRecordList List;
        bool Sorted = false;
        bool Keyed = false;
    };
    std::unique_ptr<TRevertedView> FRevertedView;
    bool FRevertFollowed = false;       // PrepareRevertedView ran on an open view
    std::exception_ptr FRevertFailure;  // why the reverted view could not be made
    // Puts the view's records in the order a build gives them (the store's
    // order changed, not its records), without memory.
    void ReorderInPlace();
    // Whether a build of the view now would show a record with these values
    // (an OnFilterRecord handler is called on them); False with Known False
    // when that cannot be told (a handler that raises, a filter that does
    // not prepare).
    bool WouldShow(const uint8_t* Data, bool& Known);
    // The filter conditions prepared for WouldShow; nullptr when they do not prepare.
    const TOstraFilter* ShowFilter();
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
    // While FViewExact: records this dataset's own posts took out of its
    // filter, left in their places; the next rebuild drops only them.
    std::vector<const TOstraRecord*> FLeavers;
    // Drops the leavers that still fail the filter; False when that cannot
    // be told and the view is to be built.
    bool DropLeavers();
    int FViewBuilds = 0;
    TFilterOptions FBuiltFilterOptions;
    TOstraCursor* FRelayStore = nullptr;  // the store this dataset owns and relays events of
    uint64_t FBuiltOrder = 0;             // the store's OrderChanges when the view was built
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
    std::unique_ptr<TOstraMasterLink> FMasterLink;

    // A copy of a record's values (FBufferFields' layout), released with it.
    struct TPlacedValues {
        TPlacedValues(const uint8_t* Data, const std::vector<TOstraField>& Fields, std::size_t Size);
        ~TPlacedValues();
        TPlacedValues(const TPlacedValues&) = delete;
        TPlacedValues& operator=(const TPlacedValues&) = delete;
        std::vector<uint8_t> Values;
        const std::vector<TOstraField>& Fields;
    };
    // The displaced records and their placed values; FDisplacedChanges is
    // the store's change count they hold for.
    std::unordered_map<const TOstraRecord*, std::unique_ptr<TPlacedValues>> FDisplaced;
    // The record an own post is moving, noted before it posts.
    const TOstraRecord* FMoving = nullptr;
    std::unique_ptr<TPlacedValues> FMovingValues;
    uint64_t FDisplacedChanges = 0;
};
