// Allocating large blocks aligned for huge pages, and freeing them with the system told
// it may take the pages back, up to a limit kept for reuse.
#include "platform/core/memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Large blocks freed are kept for the next ones of about their size, their
// pages given back to the system lazily (MADV_FREE): a block taken again
// before the system needed its pages is used as it is, where a new one has
// every page zeroed by the kernel as it is first touched. An eighth of the
// machine's memory is kept at most (512 MB at least), so that the blocks of
// a table of tens of millions of records are kept too.
std::size_t KeepLimit() {
    static const std::size_t limit = std::max(std::size_t{512} << 20, PhysicalMemoryBytes() / 8);
    return limit;
}

struct TLargeBlocks {
    std::mutex Lock;
    std::unordered_map<void*, std::size_t> Sizes;  // large blocks handed out
    std::vector<std::pair<void*, std::size_t>> Kept;
    std::size_t KeptBytes = 0;
};

// Never destroyed: tables may be freed during the exit.
TLargeBlocks& LargeBlocks() {
    static auto* blocks = new TLargeBlocks;
    return *blocks;
}

}  // namespace

std::size_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
}

void* AllocateMemoryBlock(std::size_t size) {
    if (size < 2 * HugePageSize) {
        void* p = std::malloc(size ? size : 1);
        if (!p) throw std::bad_alloc();
        return p;
    }
    const std::size_t rounded = (size + HugePageSize - 1) / HugePageSize * HugePageSize;
    TLargeBlocks& blocks = LargeBlocks();
    {
        std::lock_guard lock(blocks.Lock);
        // The smallest kept block that fits without wasting more than an eighth.
        std::size_t best = blocks.Kept.size();
        for (std::size_t i = 0; i < blocks.Kept.size(); ++i) {
            const std::size_t s = blocks.Kept[i].second;
            if (s >= rounded && s <= rounded + rounded / 8 &&
                (best == blocks.Kept.size() || s < blocks.Kept[best].second))
                best = i;
        }
        if (best != blocks.Kept.size()) {
            const auto [p, s] = blocks.Kept[best];
            blocks.Kept.erase(blocks.Kept.begin() + static_cast<std::ptrdiff_t>(best));
            blocks.KeptBytes -= s;
            blocks.Sizes.emplace(p, s);
            return p;
        }
    }
    void* p = std::aligned_alloc(HugePageSize, rounded);
    if (!p) throw std::bad_alloc();
    ::madvise(p, rounded, MADV_HUGEPAGE);
    try {
        std::lock_guard lock(blocks.Lock);
        blocks.Sizes.emplace(p, rounded);
    } catch (...) {
        std::free(p);
        throw;
    }
    return p;
}

void FreeMemoryBlock(void* block) {
    if (!block) return;
    TLargeBlocks& blocks = LargeBlocks();
    std::size_t size = 0;
    {
        std::lock_guard lock(blocks.Lock);
        const auto it = blocks.Sizes.find(block);
        if (it != blocks.Sizes.end()) {
            size = it->second;
            blocks.Sizes.erase(it);
        }
    }
    if (size == 0 || size > KeepLimit() || ::madvise(block, size, MADV_FREE) != 0) {
        std::free(block);
        return;
    }
    std::lock_guard lock(blocks.Lock);
    try {
        blocks.Kept.emplace_back(block, size);
    } catch (...) {
        std::free(block);
        return;
    }
    blocks.KeptBytes += size;
    // Over the limit, the oldest go.
    std::size_t n = 0;
    while (blocks.KeptBytes > KeepLimit()) {
        blocks.KeptBytes -= blocks.Kept[n].second;
        std::free(blocks.Kept[n].first);
        ++n;
    }
    blocks.Kept.erase(blocks.Kept.begin(), blocks.Kept.begin() + static_cast<std::ptrdiff_t>(n));
}

std::size_t KeptMemoryBytes() {
    TLargeBlocks& blocks = LargeBlocks();
    std::lock_guard lock(blocks.Lock);
    return blocks.KeptBytes;
}

void ReleaseFreeMemory() {
    std::vector<std::pair<void*, std::size_t>> kept;
    {
        TLargeBlocks& blocks = LargeBlocks();
        std::lock_guard lock(blocks.Lock);
        kept.swap(blocks.Kept);
        blocks.KeptBytes = 0;
    }
    // Dropped first: a block the heap keeps would still hold its pages.
    for (const auto& [p, size] : kept) {
        ::madvise(p, size, MADV_DONTNEED);
        std::free(p);
    }
    ::malloc_trim(0);
}
