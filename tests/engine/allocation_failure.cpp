// The engine test program's own operator new and delete, for the allocation
// failure hook (support/engine/allocation_failure.h), and the hook of the
// engine's own blocks. They take memory from malloc, as the sanitizer's do;
// the sanitizer still sees every block. TASKMOOR_ALLOCATION_TRACE=K in the
// environment prints where the K-th allocation failed (made to fail once).
#include "support/engine/allocation_failure.h"

#include <cstdlib>
#include <new>

#include "platform/core/memory.h"

// The sanitizer's own; absent from a build without it.
extern "C" void __sanitizer_print_stack_trace() __attribute__((weak));
namespace {

thread_local bool tArmed = false;
thread_local bool tFromThereOn = false;
thread_local int64_t tFailAt = 0;
thread_local int64_t tCounted = 0;
thread_local int64_t tFailed = 0;

// True when this allocation is to fail.
bool FailNow() {
    if (!tArmed) return false;
    ++tCounted;
    if (tFailAt <= 0 || tCounted < tFailAt || (tCounted > tFailAt && !tFromThereOn)) return false;
    ++tFailed;
    if (const char* t = std::getenv("TASKMOOR_ALLOCATION_TRACE");
        t && __sanitizer_print_stack_trace && std::atoll(t) == tCounted && !tFromThereOn)
        __sanitizer_print_stack_trace();
    return true;
}

void* Allocate(std::size_t Size) {
    if (FailNow()) return nullptr;
    return std::malloc(Size ? Size : 1);
}

// The engine's own blocks (values, record buffers, memory blocks) ask too.
const bool GHooked = (SetAllocationFailureHook(&FailNow), true);

}  // namespace

void ArmAllocationFailure(int64_t FailAt, bool FromThereOn) {
    tFailAt = FailAt;
    tFromThereOn = FromThereOn;
    tCounted = 0;
    tFailed = 0;
    tArmed = true;
}

void DisarmAllocationFailure() { tArmed = false; }
int64_t AllocationsCounted() { return tCounted; }
int64_t AllocationsFailed() { return tFailed; }

void* operator new(std::size_t Size) {
    void* p = Allocate(Size);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t Size) {
    void* p = Allocate(Size);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept { return Allocate(Size); }
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept { return Allocate(Size); }
void operator delete(void* Block) noexcept { std::free(Block); }
void operator delete[](void* Block) noexcept { std::free(Block); }
void operator delete(void* Block, std::size_t) noexcept { std::free(Block); }
void operator delete[](void* Block, std::size_t) noexcept { std::free(Block); }
void operator delete(void* Block, const std::nothrow_t&) noexcept { std::free(Block); }
void operator delete[](void* Block, const std::nothrow_t&) noexcept { std::free(Block); }
