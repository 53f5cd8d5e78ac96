// Large memory blocks: freed ones kept for reuse, and given back on request.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/core/memory.h"

namespace {

constexpr std::size_t Large = 8 * HugePageSize;

TEST(MemoryBlocks, FreedLargeBlocksAreKeptForReuseUntilGivenBack) {
    ReleaseFreeMemory();
    ASSERT_EQ(KeptMemoryBytes(), 0u);
    // A small block is the heap's own.
    FreeMemoryBlock(AllocateMemoryBlock(1000));
    EXPECT_EQ(KeptMemoryBytes(), 0u);

    auto* first = static_cast<char*>(AllocateMemoryBlock(Large));
    std::memset(first, 'x', Large);
    FreeMemoryBlock(first);
    EXPECT_EQ(KeptMemoryBytes(), Large);
    // Taken again for a block of its size.
    auto* again = static_cast<char*>(AllocateMemoryBlock(Large - 100));
    EXPECT_EQ(again, first);
    EXPECT_EQ(KeptMemoryBytes(), 0u);
    FreeMemoryBlock(again);

    ReleaseFreeMemory();
    EXPECT_EQ(KeptMemoryBytes(), 0u);
    // Blocks after the release are whole and usable.
    auto* fresh = static_cast<char*>(AllocateMemoryBlock(Large));
    std::memset(fresh, 'y', Large);
    EXPECT_EQ(fresh[Large - 1], 'y');
    FreeMemoryBlock(fresh);
    EXPECT_EQ(KeptMemoryBytes(), Large);
    ReleaseFreeMemory();
    EXPECT_EQ(KeptMemoryBytes(), 0u);
    // Nothing kept: the release does nothing.
    ReleaseFreeMemory();
    EXPECT_EQ(KeptMemoryBytes(), 0u);
}

}  // namespace
