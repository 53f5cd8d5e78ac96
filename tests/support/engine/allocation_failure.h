// A hook of the engine's test program that makes the K-th allocation through
// operator new on the calling thread fail with std::bad_alloc: once, or that
// one and every one after it. Allocations are counted only on the thread that
// armed it, and only while armed (tests/engine/allocation_failure.cpp).
#pragma once

#include <cstdint>

// Counts the allocations of this thread from now on; the FailAt-th one (1
// for the first) fails, and with FromThereOn every later one too. FailAt 0
// only counts.
void ArmAllocationFailure(int64_t FailAt, bool FromThereOn);
// Stops counting and failing.
void DisarmAllocationFailure();
// The allocations counted and the ones made to fail since the last arming.
int64_t AllocationsCounted();
int64_t AllocationsFailed();

// Arms the hook for the life of the object.
class TAllocationFailure {
public:
    TAllocationFailure(int64_t FailAt, bool FromThereOn) { ArmAllocationFailure(FailAt, FromThereOn); }
    ~TAllocationFailure() { DisarmAllocationFailure(); }
    TAllocationFailure(const TAllocationFailure&) = delete;
    TAllocationFailure& operator=(const TAllocationFailure&) = delete;
};
