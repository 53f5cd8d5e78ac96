// Large memory blocks: freed ones kept for reuse, and given back on request.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/core/memory.h"
#include "support/core/child_process.h"

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

// Blocks kept for reuse never make a lack of memory: under a limit that a
// new block fits in only without them, they go and the block is made, a
// large one or a small one. In a process of its own; skipped under the
// address sanitizer, which ends a process whose allocation fails.
TEST(MemoryBlocks, KeptBlocksGoBeforeALackOfMemoryStands) {
    if (AddressSanitized()) GTEST_SKIP() << "the address sanitizer ends a process short of memory";
    // Room for the kept block and the heap's alignment of it (up to a huge
    // page), 1 to 3 MB to spare: less than either block wanted.
    for (const std::size_t wanted : {4 * Large, std::size_t{7} << 19}) {
        const int child = SpawnChild([&] {
            if (!CapAddressSpace(8 * Large + (std::size_t{3} << 20))) return 3;
            FreeMemoryBlock(AllocateMemoryBlock(8 * Large));
            if (KeptMemoryBytes() != 8 * Large) return 2;
            const std::size_t before = MemoryFigure("VmSize");
            void* block = AllocateMemoryBlock(wanted);
            std::memset(block, 'z', wanted);
            const std::size_t grown = MemoryFigure("VmSize") - before;
            FreeMemoryBlock(block);
            if (KeptMemoryBytes() < 8 * Large) return 0;
            // Kept: right only when the heap had the room free already (the
            // parent's earlier tests may leave it so): nothing was short.
            return grown < wanted ? 0 : 4;
        });
        EXPECT_EQ(0, ChildExitCode(child)) << wanted << " bytes";
    }
}

// Blocks of 128 KB and more give their address space back when freed, even
// where small heap allocations made between them are still held (a heap
// block below those could not be given back): a table freed leaves no
// address space behind that would count against a limit. In a process of
// its own; skipped under the address sanitizer, whose blocks are the heap's.
TEST(MemoryBlocks, FreedBlocksGiveTheirAddressSpaceBack) {
    if (AddressSanitized()) GTEST_SKIP() << "the address sanitizer's blocks are the heap's";
    const int child = SpawnChild([] {
        ReleaseFreeMemory();
        // A block freed first: the heap would take the next ones of its size itself.
        FreeMemoryBlock(AllocateMemoryBlock(std::size_t{3} << 19));
        std::vector<void*> blocks, small;
        blocks.reserve(64);
        small.reserve(64);
        const std::size_t before = MemoryFigure("VmSize");
        for (int i = 0; i < 64; ++i) {
            blocks.push_back(
                AllocateMemoryBlock((std::size_t{1} << 17) + static_cast<std::size_t>(i) * 40000));
            std::memset(blocks.back(), 'b', 1 << 17);
            small.push_back(std::malloc(64));
        }
        const std::size_t grown = MemoryFigure("VmSize") - before;
        for (void* block : blocks) FreeMemoryBlock(block);
        const std::size_t after = MemoryFigure("VmSize");
        for (void* p : small) std::free(p);
        if (grown < (std::size_t{64} << 17)) return 2;  // they were not all there
        return after < before + (std::size_t{1} << 20) ? 0 : 1;
    });
    EXPECT_EQ(0, ChildExitCode(child));
}

// Populating pages for writing changes no byte, inside the range or in the
// rest of its pages, on fresh, written and kept blocks alike.
TEST(MemoryBlocks, PopulatingPagesKeepsEveryByte) {
    ReleaseFreeMemory();
    auto* block = static_cast<unsigned char*>(AllocateMemoryBlock(Large));
    for (std::size_t i = 0; i < Large; ++i) block[i] = static_cast<unsigned char>(i * 7 + 1);
    // Unaligned at both ends: the pages around are widened to whole ones.
    PopulateMemory(block + 4097, 3 * HugePageSize + 5);
    PopulateMemory(block + 10, 0);
    bool same = true;
    for (std::size_t i = 0; i < Large && same; ++i) same = block[i] == static_cast<unsigned char>(i * 7 + 1);
    EXPECT_TRUE(same);

    // A kept block (its pages lent back) populated, then written, holds what was written.
    FreeMemoryBlock(block);
    auto* again = static_cast<unsigned char*>(AllocateMemoryBlock(Large));
    ASSERT_EQ(again, block);
    PopulateMemory(again, Large);
    std::memset(again, 0x5A, Large);
    EXPECT_EQ(again[0], 0x5A);
    EXPECT_EQ(again[Large / 2], 0x5A);
    EXPECT_EQ(again[Large - 1], 0x5A);
    FreeMemoryBlock(again);

    // A small block from the heap: its bytes stay too.
    auto* small = static_cast<unsigned char*>(AllocateMemoryBlock(100));
    std::memset(small, 0x33, 100);
    PopulateMemory(small, 100);
    EXPECT_EQ(small[0], 0x33);
    EXPECT_EQ(small[99], 0x33);
    FreeMemoryBlock(small);
    ReleaseFreeMemory();
}

}  // namespace
