// Worker threads that cost little address space. Each runs on a stack of
// the given size, mapped for it and unmapped when it is joined (the C
// library would keep the stacks of its own threads for reuse: address
// space a load on many threads would hold on after it); and as the C
// library gives a thread a heap arena of its
// own (64 MB of address space) once it allocates or frees memory, which a
// std::thread does as it ends, these end without touching the heap. The work
// run on them must allocate and free nothing either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TLeanThreads {
public:
    // The function a thread runs, with the argument it was started with.
    using TBody = void* (*)(void* Arg);

    explicit TLeanThreads(std::size_t StackSize = 512 * 1024) : FStackSize(StackSize) {}
    ~TLeanThreads() { JoinAll(); }
    TLeanThreads(const TLeanThreads&) = delete;
    TLeanThreads& operator=(const TLeanThreads&) = delete;

    // Starts one more thread running Body(Arg); False when the system (or
    // the memory for its bookkeeping) refuses one.
    bool Start(TBody Body, void* Arg);
    // Waits until every thread started has ended.
    void JoinAll();
    std::size_t Count() const { return FThreads.size(); }

private:
    struct TThread {
        std::uintptr_t Handle;
        void* Stack;  // the mapping, a guard page first
        std::size_t Bytes;
    };
    std::size_t FStackSize;
    std::vector<TThread> FThreads;
};
