// Memory of one record store. Records (a header followed by the record's data)
// come from fixed-size slots laid out in large chunks, so a store of a million
// records takes a handful of allocations and can tell in a few comparisons
// whether a pointer is one of its records. Values read from a table file are
// laid into a bump arena and released all at once when the store is cleared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

struct TOstraRecord;

// Blocks for tables (platform memory blocks: large ones on huge pages). Free
// with OstFreeBlock.
void* OstAllocateBlock(std::size_t size);
void OstFreeBlock(void* block);
struct TOstBlockDeleter {
    void operator()(uint8_t* p) const { OstFreeBlock(p); }
};
using TOstBlock = std::unique_ptr<uint8_t[], TOstBlockDeleter>;

// An allocator of table blocks for arrays of trivial values: a large array
// freed and made again (a sort's, a view's) reuses the kept pages.
template <class T>
struct TOstBlockAllocator {
    using value_type = T;
    TOstBlockAllocator() = default;
    template <class U>
    TOstBlockAllocator(const TOstBlockAllocator<U>&) {}
    T* allocate(std::size_t n) {
        if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(OstAllocateBlock(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t) { OstFreeBlock(p); }
    template <class U>
    bool operator==(const TOstBlockAllocator<U>&) const {
        return true;
    }
};

class TOstraRecordArena {
public:
    TOstraRecordArena() = default;
    TOstraRecordArena(const TOstraRecordArena&) = delete;
    TOstraRecordArena& operator=(const TOstraRecordArena&) = delete;
    TOstraRecordArena(TOstraRecordArena&&) = default;
    TOstraRecordArena& operator=(TOstraRecordArena&&) = default;

    // Bytes of record data each slot holds after its header; only while empty.
    void SetDataSize(std::size_t dataSize);
    // Room for at least `count` more records in the next chunk.
    void Reserve(std::size_t count);
    // A new record: state unchanged, no old or user data, zeroed data.
    TOstraRecord* NewRecord();
    // `count` consecutive slots, SlotSize() bytes apart, left uninitialised:
    // the caller constructs a record in each before the store uses them.
    uint8_t* NewRecords(std::size_t count);
    // The free slots of the current chunk (a new chunk when it has none), to
    // be laid in place: `count` of them, from the one returned. NewRecords
    // then hands out the first ones laid.
    uint8_t* Room(std::size_t& count);
    std::size_t SlotSize() const { return FSlotSize; }
    // Gives back the slot of the last NewRecord (a record that failed to load).
    void DropLast();
    // True when `record` is a slot handed out by this arena.
    bool Owns(const TOstraRecord* record) const;
    void Clear();
    std::size_t AllocatedBytes() const;

private:
    void AddChunk(std::size_t count);

    struct TChunk {
        TOstBlock Memory;
        std::size_t Slots = 0;
        std::size_t Used = 0;
    };
    std::vector<TChunk> FChunks;
    std::size_t FSlotSize = 0;
    std::size_t FDataSize = 0;
    std::size_t FReserve = 0;
    std::size_t FTotal = 0;
};

class TOstraValueArena {
public:
    TOstraValueArena() = default;
    TOstraValueArena(const TOstraValueArena&) = delete;
    TOstraValueArena& operator=(const TOstraValueArena&) = delete;

    // `size` bytes aligned to 4; valid until Clear.
    void* Allocate(std::size_t size);
    // The same for the values of many records at once: taken from the
    // chunks like small values (chunks grow to hold it), so runs lie together.
    void* AllocateRun(std::size_t size);
    // The free room of the current chunk (none at first), `left` bytes, to be
    // filled in place; Keep(end) keeps what lies before `end` in it.
    uint8_t* Room(std::size_t& left) const {
        left = FLeft;
        return FNext;
    }
    void Keep(uint8_t* end) {
        FLeft -= static_cast<std::size_t>(end - FNext);
        FNext = end;
    }
    void Clear();
    std::size_t AllocatedBytes() const { return FBytes; }

private:
    std::vector<TOstBlock> FChunks;
    uint8_t* FNext = nullptr;
    std::size_t FLeft = 0;
    std::size_t FChunkSize = 64 * 1024;
    std::size_t FBytes = 0;
};
