// The record list's storage in chunks, its sort keys, and position and key searches
// (bounds and equal ranges).
#include "engine/record_list.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

void TOstraRecordList::Clear() {
    FChunks.clear();
    FLastKeys.clear();
    FTree.clear();
    FTreeValid = false;
    FLastChunk = 0;
    FLastVersion = 0;
    FCount = 0;
    FKeyed = false;
    FMaybeFull = false;
    ++FVersion;
}

namespace {

// Room for one more element, grown as push_back grows it.
template <class T>
void RoomForOneMore(std::vector<T>& List) {
    if (List.size() == List.capacity()) List.reserve(List.size() * 2 + 1);
}

}  // namespace

TOstraRecordList::TChunk TOstraRecordList::MakeChunk(std::size_t Capacity) const {
    TChunk chunk;
    if (FKeyed)
        chunk.Entries.reserve(Capacity);
    else
        chunk.Records.reserve(Capacity);
    return chunk;
}

TOstraRecordList::TChunk TOstraRecordList::TakeChunk() {
    const std::size_t room = FKeyed ? FSpare.Entries.capacity() : FSpare.Records.capacity();
    if (room >= ChunkSize + 1 && FSpare.empty()) return std::exchange(FSpare, TChunk());
    return MakeChunk(ChunkSize + 1);
}

void TOstraRecordList::ReserveOneMore() {
    // A chunk without room is grown to a whole chunk's and one more: it
    // fills up again only as far as it splits.
    if (FMaybeFull) {
        for (TChunk& chunk : FChunks) {
            const std::size_t need = chunk.size() + 1;
            if (FKeyed && chunk.Entries.capacity() < need)
                chunk.Entries.reserve(std::max(need, ChunkSize + 1));
            if (!FKeyed && chunk.Records.capacity() < need)
                chunk.Records.reserve(std::max(need, ChunkSize + 1));
        }
        FMaybeFull = false;
    }
    RoomForOneMore(FChunks);
    RoomForOneMore(FLastKeys);
    if (FTree.capacity() < FChunks.size() + 2) FTree.reserve(FChunks.size() + 2);
    const std::size_t room = FKeyed ? FSpare.Entries.capacity() : FSpare.Records.capacity();
    if (room < ChunkSize + 1) FSpare = MakeChunk(ChunkSize + 1);
}

void TOstraRecordList::NoteIfFull(const TChunk& Chunk) {
    if (Chunk.size() == (FKeyed ? Chunk.Entries.capacity() : Chunk.Records.capacity())) FMaybeFull = true;
}

void TOstraRecordList::MakeKeyed() {
    if (FKeyed) return;
    FMaybeFull = true;  // the entries take the records' room, full or not
    // Room in every chunk first: short of memory, the list stays as it was.
    for (TChunk& chunk : FChunks) chunk.Entries.reserve(chunk.Records.capacity());
    for (TChunk& chunk : FChunks) {
        for (TOstraRecord* r : chunk.Records) chunk.Entries.push_back({r, {}});
        std::vector<TOstraRecord*>().swap(chunk.Records);
    }
    FKeyed = true;
}

std::size_t TOstraRecordList::AllocatedBytes() const {
    std::size_t bytes = FChunks.capacity() * sizeof(TChunk) + FLastKeys.capacity() * sizeof(TOstraViewKey) +
                        FTree.capacity() * sizeof(int);
    for (const TChunk& chunk : FChunks)
        bytes += chunk.Records.capacity() * sizeof(TOstraRecord*) + chunk.Entries.capacity() * sizeof(TEntry);
    return bytes;
}

void TOstraRecordList::Assign(std::vector<TOstraRecord*>&& Records, const std::vector<TOstraViewKey>* Keys) {
    AssignKeys(Records, Keys != nullptr, Keys ? Keys->data() : nullptr);
    Records.clear();
}

void TOstraRecordList::Assign(TOstraRecordArray&& Records, const TOstraViewKeys* Keys) {
    AssignKeys(Records, Keys != nullptr, Keys ? Keys->data() : nullptr);
    Records.clear();
}

void TOstraRecordList::AssignKeys(std::span<TOstraRecord* const> Records, bool Keyed,
                                  const TOstraViewKey* Keys) {
    // Made whole beside the list, then taken: short of memory the list
    // stays as it was.
    const bool wasKeyed = FKeyed;
    FKeyed = Keyed;
    const std::size_t n = Records.size();
    // Chunks three quarters full leave room for insertions.
    const std::size_t step = n <= ChunkSize ? ChunkSize : ChunkSize * 3 / 4;
    std::vector<TChunk> chunks;
    std::vector<TOstraViewKey> lastKeys;
    std::vector<int> tree;
    try {
        chunks.reserve(n / step + 1);
        for (std::size_t i = 0; i < n; i += step) {
            const std::size_t end = std::min(n, i + step);
            TChunk chunk = MakeChunk(std::min(ChunkSize, step + ChunkSize / 8));
            if (Keyed)
                for (std::size_t k = i; k < end; ++k) chunk.Entries.push_back({Records[k], Keys[k]});
            else
                chunk.Records.assign(Records.begin() + static_cast<std::ptrdiff_t>(i),
                                     Records.begin() + static_cast<std::ptrdiff_t>(end));
            chunks.push_back(std::move(chunk));
        }
        lastKeys.assign(chunks.size(), TOstraViewKey());
        // The tree of chunk starts is made on the first read: its room too.
        tree.reserve(chunks.size() + 2);
    } catch (...) {
        FKeyed = wasKeyed;
        throw;
    }
    Clear();
    FKeyed = Keyed;
    FChunks = std::move(chunks);
    FLastKeys = std::move(lastKeys);
    FTree = std::move(tree);
    for (const TChunk& chunk : FChunks) NoteIfFull(chunk);
    if (Keyed)
        for (std::size_t c = 0; c < FChunks.size(); ++c) RefreshLast(c);
    FCount = static_cast<int>(n);
    Invalidate(0);
}

void TOstraViewKeys::clear() {
    FBlock.reset();
    FSize = FCapacity = 0;
}

void TOstraViewKeys::reserve(std::size_t N) {
    if (N <= FCapacity) return;
    if (N > SIZE_MAX / sizeof(TOstraViewKey)) throw std::bad_alloc();
    TOstBlock block(static_cast<uint8_t*>(OstAllocateBlock(N * sizeof(TOstraViewKey))));
    if (FSize) std::memcpy(block.get(), FBlock.get(), FSize * sizeof(TOstraViewKey));
    FBlock = std::move(block);
    FCapacity = N;
}

void TOstraViewKeys::Adopt(TOstBlock Block, std::size_t Bytes, std::size_t Count) {
    FBlock = std::move(Block);
    FCapacity = Bytes / sizeof(TOstraViewKey);
    FSize = Count;
}

std::vector<TOstraRecord*> TOstraRecordList::ToVector() const {
    std::vector<TOstraRecord*> all;
    all.reserve(static_cast<std::size_t>(FCount));
    ForEach([&](TOstraRecord* r) { all.push_back(r); });
    return all;
}

void TOstraRecordList::RefreshLast(std::size_t C) {
    if (C < FChunks.size()) FLastKeys[C] = FKeyed ? FChunks[C].Entries.back().Key : TOstraViewKey();
}

void TOstraRecordList::SetKeys(const std::vector<TOstraViewKey>& Keys) {
    MakeKeyed();
    std::size_t k = 0;
    for (std::size_t c = 0; c < FChunks.size(); ++c) {
        for (TEntry& e : FChunks[c].Entries) e.Key = k < Keys.size() ? Keys[k++] : TOstraViewKey();
        RefreshLast(c);
    }
    ++FVersion;
}

void TOstraRecordList::Invalidate(std::size_t) {
    ++FVersion;
    FTreeValid = false;
}

void TOstraRecordList::ShiftStarts(std::size_t Chunk, int Delta) {
    ++FVersion;
    if (!FTreeValid) return;
    for (std::size_t i = Chunk + 1; i < FTree.size(); i += i & (~i + 1)) FTree[i] += Delta;
}

void TOstraRecordList::UpdateStarts() const {
    if (FTreeValid) return;
    // A Fenwick tree over the chunk sizes: FTree[i] sums the sizes of the
    // chunks (i - lowbit(i), i], counted from one.
    const std::size_t n = FChunks.size();
    FTree.assign(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        FTree[i] += static_cast<int>(FChunks[i - 1].size());
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n) FTree[parent] += FTree[i];
    }
    FTreeValid = true;
}

int TOstraRecordList::StartOf(std::size_t Chunk) const {
    UpdateStarts();
    int start = 0;
    for (std::size_t i = Chunk; i > 0; i -= i & (~i + 1)) start += FTree[i];
    return start;
}

std::size_t TOstraRecordList::Locate(int Index, std::size_t& Offset) const {
    std::size_t c = FLastChunk;
    if (FLastVersion == FVersion && c < FChunks.size() && Index >= FLastStart &&
        Index < FLastStart + static_cast<int>(FChunks[c].size())) {
        Offset = static_cast<std::size_t>(Index - FLastStart);
        return c;
    }
    // Down the tree to the last chunk whose start is not beyond Index
    // (chunks are never empty).
    UpdateStarts();
    const std::size_t n = FChunks.size();
    std::size_t step = 1;
    while (step * 2 <= n) step *= 2;
    std::size_t pos = 0;
    int rest = Index;
    for (; step > 0; step /= 2) {
        if (pos + step <= n && FTree[pos + step] <= rest) {
            pos += step;
            rest -= FTree[pos];
        }
    }
    c = std::min(pos, n - 1);
    if (c != pos) rest = Index - StartOf(c);  // Index past the end
    FLastChunk = c;
    FLastStart = Index - rest;
    FLastVersion = FVersion;
    Offset = static_cast<std::size_t>(rest);
    return c;
}

TOstraRecord* TOstraRecordList::At(int Index) const {
    if (Index < 0 || Index >= FCount) return nullptr;
    std::size_t offset;
    const std::size_t c = Locate(Index, offset);
    return RecordOf(FChunks[c], offset);
}

const TOstraViewKey& TOstraRecordList::KeyAt(int Index) const {
    static const TOstraViewKey none;
    if (Index < 0 || Index >= FCount || !FKeyed) return none;
    std::size_t offset;
    const std::size_t c = Locate(Index, offset);
    return FChunks[c].Entries[offset].Key;
}

void TOstraRecordList::Swap(int A, int B) {
    if (A == B || A < 0 || B < 0 || A >= FCount || B >= FCount) return;
    std::size_t offsetA, offsetB;
    const std::size_t a = Locate(A, offsetA);
    const std::size_t b = Locate(B, offsetB);
    if (FKeyed) {
        std::swap(FChunks[a].Entries[offsetA], FChunks[b].Entries[offsetB]);
        RefreshLast(a);
        RefreshLast(b);
    } else {
        std::swap(FChunks[a].Records[offsetA], FChunks[b].Records[offsetB]);
    }
    ++FVersion;
}

void TOstraRecordList::SetKey(int Index, const TOstraViewKey& Key) {
    if (Index < 0 || Index >= FCount) return;
    if (Key != TOstraViewKey()) MakeKeyed();
    if (!FKeyed) {
        ++FVersion;
        return;
    }
    std::size_t offset;
    const std::size_t c = Locate(Index, offset);
    FChunks[c].Entries[offset].Key = Key;
    RefreshLast(c);
    ++FVersion;
}

void TOstraRecordList::Add(TOstraRecord* Record, const TOstraViewKey& Key) {
    if (Key != TOstraViewKey()) MakeKeyed();
    if (FChunks.empty() || FChunks.back().size() >= ChunkSize) {
        // The new chunk is whole before the list takes it.
        TChunk chunk = TakeChunk();
        if (FKeyed)
            chunk.Entries.push_back({Record, Key});
        else
            chunk.Records.push_back(Record);
        RoomForOneMore(FLastKeys);
        FChunks.push_back(std::move(chunk));
        FLastKeys.push_back(FKeyed ? Key : TOstraViewKey());
        ++FCount;
        Invalidate(FChunks.size() - 1);
        return;
    }
    if (FKeyed) {
        FChunks.back().Entries.push_back({Record, Key});
        FLastKeys.back() = Key;
    } else {
        FChunks.back().Records.push_back(Record);
    }
    NoteIfFull(FChunks.back());
    ++FCount;
    ShiftStarts(FChunks.size() - 1, 1);
}

void TOstraRecordList::Insert(int Index, TOstraRecord* Record, const TOstraViewKey& Key) {
    if (Index >= FCount) {
        Add(Record, Key);
        return;
    }
    if (Index < 0) Index = 0;
    if (Key != TOstraViewKey()) MakeKeyed();
    std::size_t offset;
    const std::size_t c = Locate(Index, offset);
    // A chunk that overflows splits: its memory is taken before anything
    // moves, so that a list short of memory stays as it was.
    const bool split = FChunks[c].size() + 1 > ChunkSize;
    TChunk tail;
    if (split) {
        RoomForOneMore(FChunks);
        RoomForOneMore(FLastKeys);
        tail = TakeChunk();
    }
    TChunk& chunk = FChunks[c];
    const auto at = static_cast<std::ptrdiff_t>(offset);
    if (split) {
        if (FKeyed)
            chunk.Entries.reserve(chunk.size() + 1);
        else
            chunk.Records.reserve(chunk.size() + 1);
    }
    if (FKeyed)
        chunk.Entries.insert(chunk.Entries.begin() + at, TEntry{Record, Key});
    else
        chunk.Records.insert(chunk.Records.begin() + at, Record);
    if (!split) NoteIfFull(chunk);
    ++FCount;
    if (split) {
        // Split in halves.
        const auto half = static_cast<std::ptrdiff_t>(chunk.size() / 2);
        if (FKeyed) {
            tail.Entries.assign(chunk.Entries.begin() + half, chunk.Entries.end());
            chunk.Entries.resize(static_cast<std::size_t>(half));
        } else {
            tail.Records.assign(chunk.Records.begin() + half, chunk.Records.end());
            chunk.Records.resize(static_cast<std::size_t>(half));
        }
        FChunks.insert(FChunks.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(tail));
        FLastKeys.insert(FLastKeys.begin() + static_cast<std::ptrdiff_t>(c) + 1, TOstraViewKey());
        RefreshLast(c + 1);
        RefreshLast(c);
        Invalidate(c + 1);
        return;
    }
    RefreshLast(c);
    ShiftStarts(c, 1);
    // The chunk's start did not move: the next read of this place (the
    // inserted record, mostly) needs no walk down the tree.
    FLastChunk = c;
    FLastStart = Index - static_cast<int>(offset);
    FLastVersion = FVersion;
}

void TOstraRecordList::Delete(int Index) {
    if (Index < 0 || Index >= FCount) return;
    std::size_t offset;
    const std::size_t c = Locate(Index, offset);
    TChunk& chunk = FChunks[c];
    const auto at = static_cast<std::ptrdiff_t>(offset);
    if (FKeyed)
        chunk.Entries.erase(chunk.Entries.begin() + at);
    else
        chunk.Records.erase(chunk.Records.begin() + at);
    --FCount;
    if (chunk.empty()) {
        FChunks.erase(FChunks.begin() + static_cast<std::ptrdiff_t>(c));
        FLastKeys.erase(FLastKeys.begin() + static_cast<std::ptrdiff_t>(c));
        Invalidate(c);
    } else {
        RefreshLast(c);
        ShiftStarts(c, -1);
    }
}

int TOstraRecordList::IndexOf(const TOstraRecord* Record, int Hint) const {
    if (!Record) return -1;
    if (Hint >= 0 && Hint < FCount && At(Hint) == Record) return Hint;
    int start = 0;
    for (const TChunk& chunk : FChunks) {
        for (std::size_t i = 0; i < chunk.size(); ++i)
            if (RecordOf(chunk, i) == Record) return start + static_cast<int>(i);
        start += static_cast<int>(chunk.size());
    }
    return -1;
}

template <class Before>
int TOstraRecordList::Bound(Before&& IsBefore, std::size_t& Chunk) const {
    Chunk = 0;
    if (FChunks.empty()) return 0;
    if (!FKeyed) {
        // Every key is zero.
        if (!IsBefore(TOstraViewKey())) return 0;
        Chunk = FChunks.size();
        return FCount;
    }
    // The first chunk whose last key is not before; then within it.
    std::size_t lo = 0, hi = FChunks.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (IsBefore(FLastKeys[mid]))
            lo = mid + 1;
        else
            hi = mid;
    }
    Chunk = lo;
    if (lo == FChunks.size()) return FCount;
    const std::vector<TEntry>& chunk = FChunks[lo].Entries;
    // The chunk is mostly cold: the entries the first four steps of the
    // search can read are asked for at once, then the sixteenth of the chunk
    // they leave, so the search waits for memory about twice instead of at
    // every step.
    const std::size_t n = chunk.size();
    for (std::size_t step = 2; step <= 16 && step <= n; step *= 2)
        for (std::size_t k = 1; k < step; k += 2) __builtin_prefetch(&chunk[n * k / step]);
    auto it = chunk.begin();
    std::size_t len = n;
    for (int steps = 0; len > 0; ++steps) {
        if (steps == 4) {
            const char* from = reinterpret_cast<const char*>(&*it);
            for (std::size_t at = 0; at < len * sizeof(TEntry); at += 64) __builtin_prefetch(from + at);
        }
        const std::size_t half = len / 2;
        if (IsBefore(it[static_cast<std::ptrdiff_t>(half)].Key)) {
            it += static_cast<std::ptrdiff_t>(half) + 1;
            len -= half + 1;
        } else {
            len = half;
        }
    }
    return StartOf(lo) + static_cast<int>(it - chunk.begin());
}

int TOstraRecordList::LowerBound(const TOstraViewKey& Key) const {
    std::size_t chunk;
    return Bound([&](const TOstraViewKey& k) { return k < Key; }, chunk);
}

int TOstraRecordList::UpperBound(const TOstraViewKey& Key) const {
    std::size_t chunk;
    return Bound([&](const TOstraViewKey& k) { return !(Key < k); }, chunk);
}

void TOstraRecordList::EqualRange(const TOstraViewKey& Low, const TOstraViewKey& High, int& First,
                                  int& Last) const {
    std::size_t c;
    First = Bound([&](const TOstraViewKey& k) { return k < Low; }, c);
    // Mostly the range ends in the chunk where it starts.
    if (c < FChunks.size() && High < FLastKeys[c]) {
        const std::vector<TEntry>& chunk = FChunks[c].Entries;
        const int start = StartOf(c);
        const auto from = chunk.begin() + (First - start);
        const auto it =
            std::partition_point(from, chunk.end(), [&](const TEntry& e) { return !(High < e.Key); });
        Last = start + static_cast<int>(it - chunk.begin());
        return;
    }
    Last = UpperBound(High);
}
