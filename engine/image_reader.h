// Private to the engine's reading of table images (table_file.cpp and
// table_records.cpp): the reader, a friend of TOstraCursor.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/batch_workers.h"
#include "engine/record_store.h"
#include "engine/table_image.h"
#include "platform/core/text.h"

// Calls the test hook of table_load.h, if one is set.
void CallLoadMemoryHook(int threads);

// Records are read in two steps. The loading thread reads the image into
// buffers and scans each record's presence bytes and lengths: that finds
// where every record starts and every error, at its record number, exactly
// as a record-by-record read would. The records it found are then laid into
// their slots and the store's value memory, reserved for them in list order,
// by worker threads, one batch (a buffer of records) each; texts are checked
// for UTF-8 there. On one thread both steps are one pass (TLayer).
class TOstraImageReader {
public:
    explicit TOstraImageReader(TOstraCursor& cursor) : C(cursor) {}

    bool Read(TImageInput& in, std::string& error);
    // Loads the image Open gives on TableLoadThreads() threads. A load that
    // runs short of memory starts over on half the threads (Open gives the
    // image from its start again; nullptr when it cannot); one that runs
    // short on one thread raises EOutOfMemory, the store left empty.
    static bool LoadFallingBack(TOstraCursor& cursor,
                                const std::function<std::unique_ptr<TImageInput>()>& open,
                                std::string& error);
    // True once the fields are known: from then on a tolerant load keeps what
    // it read.
    bool FieldsKnown = false;
    // Stop once the fields are known; a protected table's password is not checked.
    bool FieldsOnly = false;
    // Texts are kept as read; set when one is not UTF-8: the table is then
    // read and written in Windows-1252 (decoded once the reading is over).
    bool Windows1252 = false;
    // Set when every record was read and the AutoInc values ascend in the
    // list: the list needs no sort, and the counter starts at the highest.
    bool AutoIncAscending = false;
    int32_t AutoIncHighest = 0;

private:
    // A field as the records' reading needs it.
    struct TFieldPlan {
        enum TKind : uint8_t { Fixed, SmallStr, String, Text, Blob };  // String on: references
        uint32_t Offset;
        uint16_t Length;  // declared length
        uint16_t Limit;   // largest presence byte
        TKind Kind;
        bool Reference;
    };
    enum class TScan { Done, Short, Failed };

    bool ParseDescriptor(std::string_view text, int32_t fieldCount, std::string& error);
    bool ReadRecords(TImageInput& in, int32_t recordCount, std::string& error);
    // The fields as the records' reading needs them.
    void PlanFields();
    void NoteAutoIncOrder();
    // The end of either reading: the table's encoding settled, the record
    // count checked against the header's.
    bool EndRecords(int32_t loaded, int32_t recordCount, std::string& error);
    // Checks the record at p, of which `avail` bytes are at hand (all there
    // is when `final`). Done: `size` is its length and `values` the value
    // room it takes at most. Short: `size` bytes are needed to go on.
    [[gnu::always_inline]] inline TScan ScanRecord(const uint8_t* p, std::size_t avail, bool final,
                                                   int32_t number, std::size_t& size, std::size_t& values,
                                                   std::string& error) const;
    // A record that goes past the bytes at hand: Short with the `need` to go
    // on, or Failed at the end of the table when no more follow.
    static TScan Lacking(bool final, std::size_t need, std::size_t& size, std::string& error);
    // A stored value's length word within its kind's limits; else the error.
    [[gnu::always_inline]] inline bool ValueLengthFits(const TFieldPlan& f, int32_t length, std::size_t field,
                                                       int32_t number, std::string& error) const;
    void ParseBatch(const TRecordBatch& batch);
    // One thread: each record checked and laid out as it is read, no scan
    // before; the same table and the same errors as ReadRecords gives.
    bool ReadRecordsAlone(TImageInput& in, int32_t recordCount, std::string& error);
    // Lays records out as they are read, on one thread (table_records.cpp).
    struct TLayer;
    // Where laid values go: from Next to End (Ready: its pages populated up
    // to there; Spills: the rooms taken before it).
    struct TValueRoom {
        std::size_t Spills = 0;
        uint8_t* Next = nullptr;
        uint8_t* End = nullptr;
        uint8_t* Ready = nullptr;
    };
    // Lays the record at p into the zeroed `data` and its values into
    // `room`, as ScanRecord measured it. Checked (no scan before): the record
    // is checked as ScanRecord checks it, its bytes up to `end` at hand (all
    // there are when `final`), and a value the room cannot hold takes more
    // room (SpillValue). `bad`: a text is not UTF-8 (texts checked while
    // `check`). Done: `size` is the record's length.
    template <bool Checked>
    [[gnu::always_inline]] inline TScan LayRecord(const TFieldPlan* plan, std::size_t fieldCount,
                                                  const uint8_t* p, const uint8_t* end, bool final,
                                                  int32_t number, uint8_t* data, TValueRoom& room, bool check,
                                                  bool& bad, std::size_t& size, std::string& error) const;
    // The block of `need` bytes for a value the room cannot hold; the room
    // is then what is left of the store's value memory.
    [[gnu::noinline]] uint8_t* SpillValue(TValueRoom& room, std::size_t need) const;
    // Notes a text that is not UTF-8 (only until one is found).
    void CheckText(const uint8_t* p, std::size_t n) {
        if (!Windows1252 && !IsValidUtf8(std::string_view(reinterpret_cast<const char*>(p), n)))
            Windows1252 = true;
    }
    // A field's name for a message (its bytes may not be UTF-8 yet).
    static std::string NameOf(const TOstraField& f) { return EnsureUtf8(f.Name); }

    TOstraCursor& C;
    std::vector<TFieldPlan> FPlan;
    int64_t FAutoIncOffset = -1;
    std::deque<TAutoIncRun> FAutoIncRuns;  // of each batch, in list order
    std::atomic<bool> FNotUtf8{false};     // a record's text is not UTF-8
};
