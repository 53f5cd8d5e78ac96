// Starting threads with a small stack through pthreads, and joining them all.
#include "platform/core/threads.h"

#include <limits.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <type_traits>

static_assert(std::is_integral_v<pthread_t> && sizeof(pthread_t) <= sizeof(std::uintptr_t));

bool TLeanThreads::Start(TBody Body, void* Arg) {
    try {
        FThreads.reserve(FThreads.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const long page = ::sysconf(_SC_PAGESIZE);
    const std::size_t pageBytes = page > 0 ? static_cast<std::size_t>(page) : 4096;
    const std::size_t stack =
        (std::max<std::size_t>(FStackSize, PTHREAD_STACK_MIN) + pageBytes - 1) / pageBytes * pageBytes;
    const std::size_t bytes = stack + pageBytes;
    void* mapping =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (mapping == MAP_FAILED) return false;
    // The lowest page guards against the stack running over.
    ::mprotect(mapping, pageBytes, PROT_NONE);
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        ::munmap(mapping, bytes);
        return false;
    }
    pthread_attr_setstack(&attributes, static_cast<char*>(mapping) + pageBytes, stack);
    pthread_t thread{};
    const bool started = pthread_create(&thread, &attributes, Body, Arg) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        ::munmap(mapping, bytes);
        return false;
    }
    FThreads.push_back({static_cast<std::uintptr_t>(thread), mapping, bytes});
    return true;
}

void TLeanThreads::JoinAll() {
    for (const TThread& thread : FThreads) {
        pthread_join(static_cast<pthread_t>(thread.Handle), nullptr);
        ::munmap(thread.Stack, thread.Bytes);
    }
    FThreads.clear();
}
