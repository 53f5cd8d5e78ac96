// Memory blocks for large in-memory tables. Blocks of 4 MB and more are
// aligned to 2 MB, rounded up to whole 2 MB and marked so that the system may
// back them with huge pages: a table of a million records then costs a few
// hundred page faults, not tens of thousands. Blocks of 128 KB and more have
// pages of their own, given back whole when freed (so that a freed table
// leaves the heap as it found it); smaller ones come from the ordinary heap. Large blocks freed (up to an eighth of the machine's
// memory, 512 MB at least) are kept, their pages lent back to the system
// until it needs them, and handed out again for blocks of about their size:
// a table loaded where another was freed reuses its pages instead of having
// fresh ones zeroed.
#pragma once

#include <cstddef>

#include "platform/core/exceptions.h"

// The platform's out-of-memory error, raised with SOutOfMemory where a
// caller is told of a lack of memory instead of std::bad_alloc.
constexpr const char* SOutOfMemory = "Out of memory";
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EOutOfMemory"; }
};

constexpr std::size_t HugePageSize = 2 * 1024 * 1024;

// The machine's memory in bytes (0 when the system does not tell).
std::size_t PhysicalMemoryBytes();

// Test hook: asked before each allocation of AllocateMemoryBlock and of the
// engine's own value and buffer blocks; True makes that allocation fail as
// if memory had run out. nullptr (the default) removes it.
using TAllocationFailureHook = bool (*)();
void SetAllocationFailureHook(TAllocationFailureHook Hook);
// True when the hook makes the allocation about to be made fail.
bool AllocationFailureHooked();

// At least size bytes (one byte for 0); raises std::bad_alloc, once the
// blocks kept for reuse were given back and still nothing fits.
void* AllocateMemoryBlock(std::size_t size);
// Frees a block of AllocateMemoryBlock; nullptr is ignored.
void FreeMemoryBlock(void* block);
// Faults in the pages of [block, block + size) for writing in one call, not
// one fault a page as they are first written; their bytes stay as they were.
// The range is widened to whole pages, which must be the caller's memory.
void PopulateMemory(void* block, std::size_t size);
// False once fresh huge pages were found slow in this process.
bool UsingHugePages();
// The bytes of freed large blocks kept for reuse.
std::size_t KeptMemoryBytes();
// Gives the kept blocks, and the heap's free pages, back to the system: for
// a program done with its large loads and sorts (the end of its start).
void ReleaseFreeMemory();
