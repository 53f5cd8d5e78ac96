#include "platform/core/memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

void* AllocateMemoryBlock(std::size_t size) {
    void* p;
    if (size >= 2 * HugePageSize) {
        const std::size_t rounded = (size + HugePageSize - 1) / HugePageSize * HugePageSize;
        p = std::aligned_alloc(HugePageSize, rounded);
        if (p) ::madvise(p, rounded, MADV_HUGEPAGE);
    } else {
        p = std::malloc(size ? size : 1);
    }
    if (!p) throw std::bad_alloc();
    return p;
}

void FreeMemoryBlock(void* block) { std::free(block); }
