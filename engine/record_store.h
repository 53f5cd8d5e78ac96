// The record store of one table: its field descriptions, every record with its
// current and previous values and change state, the notes text, the password
// and the AutoInc counter. The engine's dataset works on it; the table file
// reader and writer (table_file.cpp, table_write.cpp) fill and dump it.
//
// Changes are tracked per record until they are accepted (after a save) or
// reverted, so a table can be saved or abandoned as a whole. Records and the
// values read from a file live in the store's own memory (store_memory.h);
// values posted later are separate allocations. A record pointer stays valid
// until the store is cleared.
//
// A table and its clones share one store. Each dataset registers with it; an
// insert, edit, delete, revert or accept made through one is told to the
// others, which show the change where a build of their view would put it
// (asking an OnFilterRecord handler about the changed record). The change
// count retires hash indexes (key_index.h); the order count (OrderChanges: a
// sort, a sorted save, a load) makes a view that was exact build again.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/field_types.h"
#include "engine/password.h"
#include "engine/store_memory.h"
#include "engine/table_file.h"

class TStream;

enum TOstraRecordState : uint8_t {
    orsUnchanged = 0,   // as loaded or as last accepted
    orsModified = 1,    // changed since the last accept; OldData hold the accepted values
    orsNew = 2,         // posted since the last accept
    orsDeleted = 3,     // deleted since the last accept; kept, never shown or saved
    orsNewDeleted = 4,  // a new record deleted again; its data are released
};

// A record's header; its data block follows it in memory. The header is kept
// to twelve bytes: what few records have (values as of the last accept, the
// application's user data) the store keeps beside them (OldDataOf, UserData).
struct TOstraRecord {
    int32_t StoredSize = 0;  // bytes the record takes in a table image
    TOstraRecordState State = orsUnchanged;
    uint8_t Flags = 0;   // the store's bookkeeping
    int32_t Number = 0;  // its place in the store's list when last numbered (TOstraCursor::NumberOf)

    // The current values; nullptr once released (new-then-deleted).
    uint8_t* Data() { return State == orsNewDeleted ? nullptr : reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* Data() const {
        return State == orsNewDeleted ? nullptr : reinterpret_cast<const uint8_t*>(this + 1);
    }
    // Neither deleted nor new-then-deleted.
    bool IsLive() const { return State != orsDeleted && State != orsNewDeleted; }
};

// A change made through one of the datasets sharing a store, as the others
// are told of it. OldData, for an edit, are the record's values before it.
struct TOstraStoreChange {
    enum TKind { Inserted, Edited, Deleted, Reverted, Accepted };
    TKind Kind;
    TOstraRecord* Record = nullptr;
    const uint8_t* OldData = nullptr;
};

// What a revert changed, so that it can be taken back (UndoRevert) until it
// ends (EndRevert).
struct TOstraRevertLog {
    struct TEntry {
        TOstraRecord* Record;
        TOstraRecordState State;  // before the revert
    };
    std::vector<TEntry> Entries;
};

// A dataset working on a store; the store lets it go when it is freed first.
class TOstraStoreClient {
public:
    virtual void StoreChanged(const TOstraStoreChange& Change) = 0;
    virtual void StoreGone() = 0;
    // Takes what following a change will need (std::bad_alloc or
    // EOutOfMemory when it cannot), before the change is made; NewData are
    // the values the posted record will have (nullptr for a delete).
    virtual void PrepareChange(const uint8_t* NewData) { (void)NewData; }
    // A revert in two steps: the store is reverted, each client makes what
    // it will show (std::bad_alloc or EOutOfMemory when it cannot), then
    // each takes it (Taken) or drops it (the revert is taken back).
    virtual void PrepareRevert() {}
    virtual void FinishRevert(bool Taken) { (void)Taken; }

protected:
    ~TOstraStoreClient() = default;
};

class TOstraCursor {
public:
    // Receives a record's user data when its data are released.
    using TReleaseEvent = std::function<void(void*& userData)>;
    // Receives the percentage (0..100) of a load or save.
    using TProgressEvent = std::function<void(int percent)>;

    TOstraCursor();
    ~TOstraCursor();
    TOstraCursor(const TOstraCursor&) = delete;
    TOstraCursor& operator=(const TOstraCursor&) = delete;

    // -- Field descriptions ------------------------------------------------
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    const std::vector<TOstraField>& Fields() const { return FFields; }
    // nullptr when the index is outside the list.
    TOstraField* FieldAt(int index);
    const TOstraField* FieldAt(int index) const;
    // Case-insensitive; blanks around the name are ignored. nullptr when absent.
    TOstraField* FindField(const std::string& name);
    const TOstraField* FindField(const std::string& name) const;
    // The fields of a ";"-separated list, in list order; unknown names are left out.
    std::vector<const TOstraField*> FindFields(const std::string& names) const;
    uint32_t RecordDataSize() const { return FDataSize; }
    // The descriptor text as last read or written.
    const std::string& Descriptor() const { return FDescriptor; }
    const TOstraField* AutoIncField() const;

    // -- Records -----------------------------------------------------------
    // All records in list order, deleted ones included.
    const std::vector<TOstraRecord*>& Records() const { return FRecords; }
    int RecordCount() const { return static_cast<int>(FRecords.size()); }
    TOstraRecord* RecordAt(int index) const;
    // True for a record of this store (in its list).
    bool Contains(const TOstraRecord* record) const;
    // The place of a record of this store in its list. Records are numbered
    // as they are read and added; after the list was reordered they are
    // numbered again on the first call that finds a number out of date.
    int NumberOf(const TOstraRecord* record) const;

    // Stores a data block's values into `record` (an edit) or into a new
    // record (record == nullptr). False with "Record is not found", "Record
    // has been deleted", or a message naming a field whose text does not fit
    // it in the table's encoding (CheckText); nothing changes then. Text
    // that is not UTF-8 is taken as Windows-1252, as the reader does.
    bool PostRecord(const uint8_t* values, TOstraRecord* record, std::string& error);
    // Empty when `text` fits field f in the table's encoding, else why not:
    // a SmallStr or String longer than its declared length counted in that
    // encoding, or (Windows-1252) a character the encoding has no byte for.
    std::string CheckText(const TOstraField& f, std::string_view text) const;
    // Takes back the record the last post added (a dataset that could not
    // show it for a lack of memory): the store is as it was before that post.
    void DropInserted(TOstraRecord* record);
    bool DeleteRecord(TOstraRecord* record, std::string& error);
    // Keeps a record's values before its first change since the last accept.
    void BeginChange(TOstraRecord* record);
    // The values as of the last accept of a changed record; nullptr for one
    // unchanged since (or new).
    const uint8_t* OldDataOf(const TOstraRecord* record) const;
    // The application's own pointer for a record (the engine never sets it),
    // handed to the release event when the record's data are released.
    void* UserData(const TOstraRecord* record) const;
    void SetUserData(TOstraRecord* record, void* value);
    // Puts one record's kept values back (a cancelled edit): it becomes
    // unchanged unless it is new.
    void RevertRecord(TOstraRecord* record);
    void RevertAll();
    // RevertAll in steps: BeginRevert reverts every change, taking the memory
    // first (std::bad_alloc before anything changed); UndoRevert puts the
    // changes back; EndRevert releases what the revert dropped (new
    // records, the changed values). Neither of the last two takes memory.
    void BeginRevert(TOstraRevertLog& log);
    void UndoRevert(TOstraRevertLog& log);
    void EndRevert(TOstraRevertLog& log);
    void AcceptAll();
    // Releases all records; `full` also drops the fields, notes, AutoInc
    // field, password and password block.
    void Clear(bool full);
    // Recomputes and answers a record's stored size.
    int RecordSize(TOstraRecord* record);
    // Orders the records by their AutoInc values and sets the counter to the
    // highest one, or to `start` when that is larger.
    void SetAutoIncCounter(int start);
    int32_t AutoIncCounter() const { return FAutoIncCounter; }
    // Sorts the record list by the named fields (";"-separated); live records
    // in field order, ties and deleted records keeping their order, deleted
    // ones last. Nothing happens when no name is found.
    void Sort(const std::string& fieldNames, bool caseInsensitive);
    bool SortDescending() const { return FSortDescending; }
    void SetSortDescending(bool value) { FSortDescending = value; }

    // Grows with every change of the records (post, delete, revert, accept,
    // clear, sort): what was derived from them is stale when it moved.
    uint64_t Changes() const { return FChanges; }
    // Grows whenever the record list is reordered or refilled (a sort, a
    // sorted save, a load, a clear): a view built before may show another order.
    uint64_t OrderChanges() const { return FOrderChanges; }
    // Names the records the store holds now: a number below 2^56 no store
    // of the process had before, taken afresh whenever the records are released at
    // once (a clear, a load), so that a reference kept from before names no
    // record of the store even where a new record took the same memory.
    uint64_t Generation() const { return FGeneration; }

    // -- Datasets sharing the store ------------------------------------------
    void AddClient(TOstraStoreClient* client);
    void RemoveClient(TOstraStoreClient* client);
    // Tells every client but the one that made the change.
    void NotifyClients(const TOstraStoreChange& change, const TOstraStoreClient* actor);
    // Has every client but the actor prepare for a change; std::bad_alloc
    // when one cannot, nothing changed yet.
    void PrepareClients(const TOstraStoreClient* actor, const uint8_t* newData);
    // PrepareRevert and FinishRevert of every client.
    void PrepareRevertOfClients();
    void FinishRevertOfClients(bool taken);
    bool Shared() const;

    // -- Data blocks of callers (record buffers) ----------------------------
    // Copies src into dest (references as new copies), releasing dest's values.
    void CopyData(uint8_t* dest, const uint8_t* src) const;
    // Releases a block's references and zeroes it.
    void ReleaseData(uint8_t* data) const;

    // -- Table state ---------------------------------------------------------
    const std::string& Password() const { return FPassword; }
    void SetPassword(const std::string& value) { FPassword = value; }
    const TOstraPasswordBlock& PasswordBlock() const { return FPasswordBlock; }
    // The encoding the table's texts were read in and are written in:
    // Windows-1252 when any text of its image (a field description, the
    // notes, a text value) was not UTF-8; UTF-8 for every other table.
    TOstraTextEncoding TextEncoding() const { return FTextEncoding; }
    // True when the last image read was protected.
    bool Protected() const { return FProtected; }
    const std::string& Notes() const { return FNotes; }
    // Keep what could be read of a damaged table (the dataset's PartialOpen).
    bool TolerantLoad() const { return FTolerantLoad; }
    void SetTolerantLoad(bool value) { FTolerantLoad = value; }
    // The threads the last load ran on (0 before any); the most the next
    // loads may run on (0: as many as TableLoadThreads gives).
    int LoadThreads() const { return FLoadThreads; }
    void SetMostLoadThreads(int value) { FMostLoadThreads = value; }
    void SetOnReleaseRecordData(TReleaseEvent handler) { FOnRelease = std::move(handler); }
    void SetOnProgress(TProgressEvent handler) { FOnProgress = std::move(handler); }
    // Bytes held for records and values read from a file.
    std::size_t AllocatedBytes() const;

    // -- Table image (table_file.cpp, table_write.cpp) ------------------------
    // Fills the store from an image starting at the stream's position. False
    // with a message when the image is bad; the store is then empty. With
    // TolerantLoad the records read before a damaged one are kept: True, with
    // the message still set. A protected image asks for its password.
    bool LoadFromStream(TStream* stream, std::string& error);
    // The same from a table file, read in chunks; first removes the
    // temporary files an interrupted save of it left behind. A file that
    // cannot be read is reported like a bad image.
    bool LoadFromFile(const std::string& fileName, std::string& error);
    // Writes the store's image at the stream's position; answers its length.
    int64_t SaveToStream(TStream* stream);
    // Writes the image in chunks to a new file beside `fileName` (beside a
    // link's target), flushes it and renames it over the old one (through
    // TAtomicFileWriter); EFCreateError when that fails or the file is
    // read-only, leaving the old file and the store as they were.
    // savAutoBackup first copies the old file to ".~d"; savSortOnIndex sorts
    // by sortFieldNames.
    void SaveToFile(const std::string& fileName, TOstraSaveOptions options, bool caseInsensitive,
                    const std::string& sortFieldNames);

private:
    friend class TOstraImageReader;
    friend class TOstraImageWriter;
    class TPostValues;

    bool LoadImage(class TImageInput* input, std::string& error);
    void ClearForLoad();

    void ReleaseRecord(TOstraRecord* record);
    void RestoreOldData(TOstraRecord* record);
    // Exchanges a record's current values with the ones kept for it.
    void SwapOldData(TOstraRecord* record);
    void DropOldData(TOstraRecord* record);
    void NotifyRelease(TOstraRecord* record);
    void SetFields(std::vector<TOstraField> fields);
    // After reading an image in Windows-1252: decodes every text read so far
    // and lays out the records for the wider short strings (table_file.cpp).
    void DecodeWindows1252();

    // Marks a record that may have changed since the last accept or revert.
    void Touch(TOstraRecord* record);
    // Marks a record whose current data hold values allocated on their own.
    void MarkHeapValues(TOstraRecord* record);
    // Takes a record's kept old values out of FOldData (nullptr when none).
    uint8_t* TakeOldData(TOstraRecord* record);

    std::vector<TOstraRecord*> FRecords;
    // The records touched since the last accept or revert, each once: those
    // walk this list instead of the whole store.
    std::vector<TOstraRecord*> FTouched;
    // The records that were given values allocated on their own, each once.
    std::vector<TOstraRecord*> FHeapRecords;
    // Old values of the records changed since the last accept (all touched),
    // and the user data set; records have a flag for each.
    std::unordered_map<const TOstraRecord*, uint8_t*> FOldData;
    std::unordered_map<const TOstraRecord*, void*> FUserData;
    std::vector<TOstraField> FFields;
    std::string FDescriptor;
    uint32_t FDataSize = 0;
    bool FTolerantLoad = false;
    int FLoadThreads = 0;
    int FMostLoadThreads = 0;
    std::string FPassword;
    TOstraPasswordBlock FPasswordBlock{};
    bool FProtected = false;
    TOstraTextEncoding FTextEncoding = oteUtf8;
    int32_t FAutoIncCounter = 0;
    int FAutoIncIndex = -1;
    std::string FNotes;
    bool FSortDescending = false;
    TReleaseEvent FOnRelease;
    TProgressEvent FOnProgress;
    TOstraRecordArena FRecordMemory;
    TOstraValueArena FValueMemory;
    uint64_t FChanges = 0;
    uint64_t FOrderChanges = 0;
    uint64_t FGeneration = 0;
    std::vector<TOstraStoreClient*> FClients;
    int FNotifying = 0;  // NotifyClients walks FClients
};
