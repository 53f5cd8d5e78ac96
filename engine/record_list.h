// TOstraRecordList: the records a dataset shows, in the order shown.
//
// A plain array would make every insertion in sort order move half a million
// pointers in a table of a million records, so the list is kept in chunks of
// at most 256 entries. Reading by position descends a Fenwick tree
// of the chunks' sizes, shortened to a range check when the position falls in
// the chunk last read of an unchanged list (the common case while scrolling).
// A chunk that overflows splits, and the chunks after it move and the tree is
// built again: larger chunks split less often and leave fewer chunks to move.
//
// Each entry can carry a fixed-width sort key (TOstraViewKey) of its record.
// On a list in key order, searches run over these keys, which sit next to
// each other in memory, and read records only where the keys cannot decide.
// A list whose keys are all zero (a view in store order) holds its record
// pointers alone: the first non-zero key gives every entry room for a key,
// kept beside its record as before.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/store_memory.h"

struct TOstraRecord;

// An order-keeping digest of a record's sort values: records in sort order
// have non-decreasing keys; equal keys say nothing. Extra carries the third
// eight bytes of a text first in the order, so that texts sharing their
// first words seldom have equal keys.
struct TOstraViewKey {
    uint64_t High = 0;
    uint64_t Low = 0;
    uint64_t Extra = 0;
    auto operator<=>(const TOstraViewKey&) const = default;
};

// The records of a whole view being built, in table blocks.
using TOstraRecordArray = std::vector<TOstraRecord*, TOstBlockAllocator<TOstraRecord*>>;

// The keys of a whole view being built, in a table block: one grown as keys
// are added, or one a sort hands over with its keys laid in it.
class TOstraViewKeys {
public:
    std::size_t size() const { return FSize; }
    bool empty() const { return FSize == 0; }
    const TOstraViewKey* data() const { return Keys(); }
    const TOstraViewKey& operator[](std::size_t I) const { return Keys()[I]; }
    void clear();
    void reserve(std::size_t N);
    void push_back(const TOstraViewKey& Key) {
        if (FSize == FCapacity) reserve(FCapacity < 8 ? 16 : FCapacity * 2);
        Keys()[FSize++] = Key;
    }
    // Takes Block, of Bytes bytes, whose start holds Count keys.
    void Adopt(TOstBlock Block, std::size_t Bytes, std::size_t Count);

private:
    TOstraViewKey* Keys() const { return reinterpret_cast<TOstraViewKey*>(FBlock.get()); }
    TOstBlock FBlock;
    std::size_t FSize = 0;
    std::size_t FCapacity = 0;
};

class TOstraRecordList {
public:
    int Count() const { return FCount; }
    bool Empty() const { return FCount == 0; }
    // Changes with every change of the list.
    uint64_t Version() const { return FVersion; }
    // The record at Index (0 .. Count-1); nullptr outside.
    TOstraRecord* At(int Index) const;
    TOstraRecord* operator[](int Index) const { return At(Index); }
    const TOstraViewKey& KeyAt(int Index) const;
    void SetKey(int Index, const TOstraViewKey& Key);

    void Clear();
    // Replaces the contents; keys are zero, or Keys (one for each record).
    void Assign(std::vector<TOstraRecord*>&& Records, const std::vector<TOstraViewKey>* Keys = nullptr);
    void Assign(TOstraRecordArray&& Records, const TOstraViewKeys* Keys);
    std::vector<TOstraRecord*> ToVector() const;
    void Add(TOstraRecord* Record, const TOstraViewKey& Key = {});
    void Insert(int Index, TOstraRecord* Record, const TOstraViewKey& Key = {});
    void Delete(int Index);
    // Exchanges two entries (records with their keys); takes no memory.
    void Swap(int A, int B);
    // Takes the memory one more Add or Insert needs, so that it cannot run
    // short of memory (std::bad_alloc here instead).
    void ReserveOneMore();
    // The position of Record, -1 when absent; Hint is tried first. A walk:
    // the dataset searches by the view's order where it can (FindInView).
    int IndexOf(const TOstraRecord* Record, int Hint = -1) const;

    // On a list in key order: the first position whose key is not below Key,
    // and the first whose key is above it.
    int LowerBound(const TOstraViewKey& Key) const;
    int UpperBound(const TOstraViewKey& Key) const;
    // Both at once: [First, Last) holds the keys from Low to High.
    void EqualRange(const TOstraViewKey& Low, const TOstraViewKey& High, int& First, int& Last) const;

    // Calls F(record) for each record in order.
    template <class F>
    void ForEach(F&& Function) const {
        for (const TChunk& chunk : FChunks) {
            for (TOstraRecord* r : chunk.Records) Function(r);
            for (const TEntry& e : chunk.Entries) Function(e.Record);
        }
    }
    // The first position from From on whose record Test holds for; -1 when
    // there is none. Walks the chunks directly.
    template <class F>
    int FindFrom(int From, F&& Test) const {
        if (From < 0) From = 0;
        if (From >= FCount) return -1;
        std::size_t offset;
        int position = From;
        for (std::size_t c = Locate(From, offset); c < FChunks.size(); ++c, offset = 0) {
            const TChunk& chunk = FChunks[c];
            if (FKeyed) {
                for (std::size_t k = offset; k < chunk.Entries.size(); ++k, ++position)
                    if (Test(chunk.Entries[k].Record)) return position;
            } else {
                for (std::size_t k = offset; k < chunk.Records.size(); ++k, ++position)
                    if (Test(chunk.Records[k])) return position;
            }
        }
        return -1;
    }
    // Sets the keys of all entries, in order (Keys holds Count of them).
    void SetKeys(const std::vector<TOstraViewKey>& Keys);
    // True while the entries have room for keys (some key was set non-zero).
    bool Keyed() const { return FKeyed; }
    // Bytes the chunks take (their capacity), for the memory figures.
    std::size_t AllocatedBytes() const;

    static constexpr std::size_t ChunkSize = 256;

private:
    struct TEntry {
        TOstraRecord* Record;
        TOstraViewKey Key;
    };
    // A chunk of a list without keys uses Records, of a keyed list Entries;
    // the other stays empty.
    struct TChunk {
        std::vector<TOstraRecord*> Records;
        std::vector<TEntry> Entries;
        std::size_t size() const { return Records.size() + Entries.size(); }
        bool empty() const { return size() == 0; }
    };
    void AssignKeys(std::span<TOstraRecord* const> Records, bool Keyed, const TOstraViewKey* Keys);
    // Gives every entry a key (zero) when the list has none yet.
    void MakeKeyed();
    // An empty chunk of the list's kind with room for Capacity entries.
    TChunk MakeChunk(std::size_t Capacity) const;
    TOstraRecord* RecordOf(const TChunk& Chunk, std::size_t Offset) const {
        return FKeyed ? Chunk.Entries[Offset].Record : Chunk.Records[Offset];
    }
    // The chunk holding Index and Index's place in it.
    std::size_t Locate(int Index, std::size_t& Offset) const;
    // Makes the tree of chunk sizes when the chunks changed.
    void UpdateStarts() const;
    // The first position of a chunk.
    int StartOf(std::size_t Chunk) const;
    void Invalidate(std::size_t Chunk);
    // Chunk's size changed by Delta: the chunks after it start Delta later.
    void ShiftStarts(std::size_t Chunk, int Delta);
    // The first position whose key IsBefore does not hold for; Chunk gets its chunk.
    template <class Before>
    int Bound(Before&& IsBefore, std::size_t& Chunk) const;
    // Brings the copy of chunk C's last key up to date.
    void RefreshLast(std::size_t C);

    // An empty chunk with room for ChunkSize entries (ReserveOneMore), taken
    // by the next split or new chunk.
    TChunk TakeChunk();
    // Sets FMaybeFull when a chunk has no room left.
    void NoteIfFull(const TChunk& Chunk);
    TChunk FSpare;
    // Some chunk may have no room for one more (ReserveOneMore looks).
    bool FMaybeFull = false;
    std::vector<TChunk> FChunks;
    // The last key of each chunk, kept together for the first step of a search.
    std::vector<TOstraViewKey> FLastKeys;
    // The chunks' sizes as a Fenwick tree, so that an insertion moves the
    // starts of the chunks behind it in log steps.
    mutable std::vector<int> FTree;
    mutable bool FTreeValid = false;
    mutable std::size_t FLastChunk = 0;  // the chunk last read, its start, and the version then
    mutable int FLastStart = 0;
    mutable uint64_t FLastVersion = 0;
    int FCount = 0;
    uint64_t FVersion = 0;
    bool FKeyed = false;
};
