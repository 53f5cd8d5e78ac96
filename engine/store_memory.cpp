// The record slots carved from large chunks, and the run allocator for values kept
// outside the records.
#include "engine/store_memory.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/record_store.h"
#include "platform/core/memory.h"

namespace {
constexpr std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }
constexpr std::size_t HugePage = HugePageSize;
}  // namespace

void* OstAllocateBlock(std::size_t size) { return AllocateMemoryBlock(size); }

void OstFreeBlock(void* block) { FreeMemoryBlock(block); }

void TOstraRecordArena::SetDataSize(std::size_t dataSize) {
    FDataSize = dataSize;
    FSlotSize = RoundUp(sizeof(TOstraRecord) + dataSize, alignof(TOstraRecord));
}

void TOstraRecordArena::Reserve(std::size_t count) { FReserve = std::max(FReserve, count); }

void TOstraRecordArena::AddChunk(std::size_t count) {
    std::size_t slots = FReserve ? FReserve : std::clamp<std::size_t>(FTotal / 4, 64, 65536);
    slots = std::max(slots, count);
    FReserve = 0;
    TChunk chunk;
    chunk.Memory.reset(static_cast<uint8_t*>(OstAllocateBlock(slots * FSlotSize)));
    chunk.Slots = slots;
    FChunks.push_back(std::move(chunk));
}

uint8_t* TOstraRecordArena::NewRecords(std::size_t count) {
    if (FSlotSize == 0) SetDataSize(FDataSize);
    if (FChunks.empty() || FChunks.back().Slots - FChunks.back().Used < count) AddChunk(count);
    TChunk& c = FChunks.back();
    uint8_t* first = c.Memory.get() + c.Used * FSlotSize;
    c.Used += count;
    FTotal += count;
    return first;
}

uint8_t* TOstraRecordArena::Room(std::size_t& count) {
    if (FSlotSize == 0) SetDataSize(FDataSize);
    if (FChunks.empty() || FChunks.back().Slots == FChunks.back().Used) AddChunk(1);
    const TChunk& c = FChunks.back();
    count = c.Slots - c.Used;
    return c.Memory.get() + c.Used * FSlotSize;
}

TOstraRecord* TOstraRecordArena::NewRecord() {
    uint8_t* slot = NewRecords(1);
    auto* record = new (slot) TOstraRecord();
    std::memset(slot + sizeof(TOstraRecord), 0, FDataSize);
    return record;
}

void TOstraRecordArena::DropLast() {
    if (FChunks.empty() || FChunks.back().Used == 0) return;
    --FChunks.back().Used;
    --FTotal;
}

bool TOstraRecordArena::Owns(const TOstraRecord* record) const {
    const auto* p = reinterpret_cast<const uint8_t*>(record);
    for (const TChunk& c : FChunks) {
        const uint8_t* base = c.Memory.get();
        if (p < base || p >= base + c.Used * FSlotSize) continue;
        return static_cast<std::size_t>(p - base) % FSlotSize == 0;
    }
    return false;
}

void TOstraRecordArena::Clear() {
    FChunks.clear();
    FReserve = 0;
    FTotal = 0;
}

std::size_t TOstraRecordArena::AllocatedBytes() const {
    std::size_t n = 0;
    for (const TChunk& c : FChunks) n += c.Slots * FSlotSize;
    return n;
}

void* TOstraValueArena::Allocate(std::size_t size) {
    size = RoundUp(size, 4);
    if (size > FLeft) {
        // Room for the chunk's entry first: a chunk taken is never lost.
        if (FChunks.size() == FChunks.capacity()) FChunks.reserve(FChunks.size() * 2 + 4);
        // Large values get a chunk of their own; the current one stays open.
        if (size > FChunkSize / 4) {
            FChunks.emplace_back(static_cast<uint8_t*>(OstAllocateBlock(size)));
            FBytes += size;
            return FChunks.back().get();
        }
        if (FChunkSize < 8 * HugePage) FChunkSize *= 2;
        FChunks.emplace_back(static_cast<uint8_t*>(OstAllocateBlock(FChunkSize)));
        FBytes += FChunkSize;
        FNext = FChunks.back().get();
        FLeft = FChunkSize;
    }
    void* p = FNext;
    FNext += size;
    FLeft -= size;
    return p;
}

void* TOstraValueArena::AllocateRun(std::size_t size) {
    while (FChunkSize < 8 * HugePage && size > FChunkSize / 4) FChunkSize *= 2;
    return Allocate(size);
}

void TOstraValueArena::Clear() {
    FChunks.clear();
    FNext = nullptr;
    FLeft = 0;
    FChunkSize = 64 * 1024;
    FBytes = 0;
}
