// Allocating large blocks aligned for huge pages, and freeing them with the system told
// it may take the pages back, up to a limit kept for reuse.
#include "platform/core/memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <ctime>
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

// Whether large blocks ask for huge pages. The kernel zeroes a huge page
// whole at its first touch: usually faster than small pages, but where the
// system hands out its huge pages slowly (a virtual machine whose host took
// back the guest's free memory zeroes them at a tenth of the speed of small
// pages) a table's first load pays seconds for it. The first touch of huge
// pages is timed (the thread's CPU time, so a preemption does not count):
// each fresh block's first page, and the pages PopulateMemory faults in. One
// slower than small pages ends huge pages for the process.
std::atomic<bool> GHugePages{true};
constexpr double SlowHugePage = 1e-3;  // 2 MB in a millisecond: 2 GB/s

double ThreadSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// From now on the pages not yet touched, of every large block, are small.
void TakeSmallPages() {
    if (!GHugePages.exchange(false)) return;
    TLargeBlocks& blocks = LargeBlocks();
    std::lock_guard lock(blocks.Lock);
    for (const auto& [p, size] : blocks.Sizes) ::madvise(p, size, MADV_NOHUGEPAGE);
    for (const auto& [p, size] : blocks.Kept) ::madvise(p, size, MADV_NOHUGEPAGE);
}

// Chooses the pages of a fresh block of `size` bytes (whole huge pages).
void ChoosePages(void* block, std::size_t size) {
    if (!GHugePages.load(std::memory_order_relaxed)) {
        ::madvise(block, size, MADV_NOHUGEPAGE);
        return;
    }
    ::madvise(block, size, MADV_HUGEPAGE);
    const double start = ThreadSeconds();
    *static_cast<volatile uint8_t*>(block) = 0;  // faults in the first page
    if (ThreadSeconds() - start >= SlowHugePage) TakeSmallPages();
}

// Blocks from this size on have pages mapped for them alone, given back
// whole when freed: a freed table's blocks leave no holes in the heap,
// which would still count against an address-space limit, nor do the heap's
// small allocations between them keep its top from shrinking.
constexpr std::size_t OwnPagesLeast = 128 * 1024;

#if defined(__SANITIZE_ADDRESS__)
#define TASKMOOR_HEAP_BLOCKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TASKMOOR_HEAP_BLOCKS 1
#endif
#endif

std::size_t PageBytes() {
    static const std::size_t page = [] {
        const long bytes = ::sysconf(_SC_PAGESIZE);
        return bytes > 0 ? static_cast<std::size_t>(bytes) : std::size_t{4096};
    }();
    return page;
}

// `size` bytes (whole pages) at a multiple of `align` where the address
// space allows (else at a page): mapped with room to align, the ends given
// back. nullptr when the system has no room.
void* TakePages(std::size_t size, std::size_t align) {
#ifdef TASKMOOR_HEAP_BLOCKS
    // The address sanitizer watches heap blocks, not mappings.
    return std::aligned_alloc(align, size);
#else
    const std::size_t page = PageBytes();
    const std::size_t extra = align > page ? align : 0;
    if (extra) {
        void* p = ::mmap(nullptr, size + extra, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p != MAP_FAILED) {
            const auto start = reinterpret_cast<uintptr_t>(p);
            const uintptr_t aligned = (start + align - 1) / align * align;
            const std::size_t head = aligned - start;
            if (head) ::munmap(p, head);
            if (extra - head) ::munmap(reinterpret_cast<void*>(aligned + size), extra - head);
            return reinterpret_cast<void*>(aligned);
        }
    }
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
#endif
}

void GivePages(void* block, std::size_t size) {
#ifdef TASKMOOR_HEAP_BLOCKS
    (void)size;
    std::free(block);
#else
    ::munmap(block, size);
#endif
}

}  // namespace

std::size_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
}

namespace {
std::atomic<TAllocationFailureHook> GAllocationFailureHook{nullptr};
}  // namespace

void SetAllocationFailureHook(TAllocationFailureHook Hook) { GAllocationFailureHook.store(Hook); }

bool AllocationFailureHooked() {
    const TAllocationFailureHook hook = GAllocationFailureHook.load(std::memory_order_relaxed);
    return hook && hook();
}

void* AllocateMemoryBlock(std::size_t size) {
    if (AllocationFailureHooked()) throw std::bad_alloc();
    if (size < OwnPagesLeast) {
        void* p = std::malloc(size ? size : 1);
        if (!p) {
            // What is kept for reuse goes before a lack of memory stands.
            ReleaseFreeMemory();
            p = std::malloc(size ? size : 1);
        }
        if (!p) throw std::bad_alloc();
        return p;
    }
    const bool large = size >= 2 * HugePageSize;
    const std::size_t unit = large ? HugePageSize : PageBytes();
    const std::size_t rounded = (size + unit - 1) / unit * unit;
    TLargeBlocks& blocks = LargeBlocks();
    if (large) {
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
    void* p = TakePages(rounded, unit);
    if (!p && KeptMemoryBytes() > 0) {
        // The kept blocks fit none of this size: they go, and the system
        // may find room where they lay.
        ReleaseFreeMemory();
        p = TakePages(rounded, unit);
    }
    if (!p) throw std::bad_alloc();
    try {
        std::lock_guard lock(blocks.Lock);
        blocks.Sizes.emplace(p, rounded);
    } catch (...) {
        GivePages(p, rounded);
        throw;
    }
    if (large) ChoosePages(p, rounded);
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
    if (size == 0) {
        std::free(block);
        return;
    }
    if (size < 2 * HugePageSize || size > KeepLimit() || ::madvise(block, size, MADV_FREE) != 0) {
        GivePages(block, size);
        return;
    }
    std::lock_guard lock(blocks.Lock);
    try {
        blocks.Kept.emplace_back(block, size);
    } catch (...) {
        GivePages(block, size);
        return;
    }
    blocks.KeptBytes += size;
    // Over the limit, the oldest go.
    std::size_t n = 0;
    while (blocks.KeptBytes > KeepLimit()) {
        blocks.KeptBytes -= blocks.Kept[n].second;
        GivePages(blocks.Kept[n].first, blocks.Kept[n].second);
        ++n;
    }
    blocks.Kept.erase(blocks.Kept.begin(), blocks.Kept.begin() + static_cast<std::ptrdiff_t>(n));
}

void PopulateMemory(void* block, std::size_t size) {
#ifdef MADV_POPULATE_WRITE  // Linux 5.14: before it, pages are faulted in as they are written
    if (size == 0) return;
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const uintptr_t start = reinterpret_cast<uintptr_t>(block) / page * page;
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + size + page - 1) / page * page;
    const bool huge = GHugePages.load(std::memory_order_relaxed);
    const double began = huge ? ThreadSeconds() : 0;
    // Pages that cannot be populated are faulted in when written, as before.
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
    if (!huge) return;
    // The huge pages the range lies in, each faulted in at most once here.
    const uintptr_t spanned = (end + HugePageSize - 1) / HugePageSize - start / HugePageSize;
    if (ThreadSeconds() - began >= SlowHugePage * static_cast<double>(spanned)) TakeSmallPages();
#else
    (void)block;
    (void)size;
#endif
}

bool UsingHugePages() { return GHugePages.load(std::memory_order_relaxed); }

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
        GivePages(p, size);
    }
    ::malloc_trim(0);
}
