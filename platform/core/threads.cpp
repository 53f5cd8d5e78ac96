// Starting threads with a small stack through pthreads, and joining them all.
#include "platform/core/threads.h"

#include <pthread.h>

#include <new>
#include <type_traits>

static_assert(std::is_integral_v<pthread_t> && sizeof(pthread_t) <= sizeof(std::uintptr_t));

bool TLeanThreads::Start(TBody Body, void* Arg) {
    try {
        FThreads.reserve(FThreads.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_attr_setstacksize(&attributes, FStackSize);
    pthread_t thread{};
    const bool started = pthread_create(&thread, &attributes, Body, Arg) == 0;
    pthread_attr_destroy(&attributes);
    if (started) FThreads.push_back(static_cast<std::uintptr_t>(thread));
    return started;
}

void TLeanThreads::JoinAll() {
    for (const std::uintptr_t thread : FThreads) pthread_join(static_cast<pthread_t>(thread), nullptr);
    FThreads.clear();
}
