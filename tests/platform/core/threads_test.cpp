// Lean worker threads and the processors a process may use.
#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <cstdlib>
#include <vector>

#include "platform/core/process.h"
#include "platform/core/threads.h"
#include "support/core/child_process.h"

namespace {

void* Count(void* counter) {
    static_cast<std::atomic<int>*>(counter)->fetch_add(1);
    return nullptr;
}

}  // namespace

TEST(LeanThreads, RunTheirBodiesAndAreJoined) {
    std::atomic<int> runs{0};
    {
        TLeanThreads threads;
        for (int i = 0; i < 6; ++i) ASSERT_TRUE(threads.Start(&Count, &runs));
        EXPECT_EQ(6u, threads.Count());
        threads.JoinAll();
        EXPECT_EQ(6, runs.load());
        EXPECT_EQ(0u, threads.Count());
        ASSERT_TRUE(threads.Start(&Count, &runs));
    }  // joined as it goes
    EXPECT_EQ(7, runs.load());
}

// Under an address-space limit a little above what the process holds,
// rounds of many lean threads start and end, and the memory they leave is
// still there to allocate; threads that allocated would each have been
// given an arena of 64 MB. Run in a process of its own.
TEST(LeanThreads, LeaveTheAddressSpaceAsItWasUnderALimit) {
    const int pid = SpawnChild([] {
        constexpr std::size_t Margin = std::size_t{96} << 20;
        if (!LimitAddressSpace(Margin)) return 2;
        std::atomic<int> runs{0};
        for (int round = 0; round < 4; ++round) {
            TLeanThreads threads;
            for (int i = 0; i < 16; ++i)
                if (!threads.Start(&Count, &runs)) return 3;
        }
        if (runs.load() != 64) return 4;
        // What the limit leaves is still free.
        void* block = std::malloc(Margin / 2);
        if (!block) return 5;
        std::free(block);
        return 0;
    });
    EXPECT_EQ(0, ChildExitCode(pid));
}

// The count follows the process's affinity (as taskset sets it), not the
// machine's processors. Run in a process of its own.
TEST(UsableProcessors, FollowTheAffinity) {
    cpu_set_t all;
    CPU_ZERO(&all);
    ASSERT_EQ(0, ::sched_getaffinity(0, sizeof all, &all));
    EXPECT_EQ(CPU_COUNT(&all), UsableProcessorCount());
    std::vector<int> cpus;
    for (int c = 0; c < CPU_SETSIZE && cpus.size() < 2; ++c)
        if (CPU_ISSET(c, &all)) cpus.push_back(c);
    for (std::size_t n = 1; n <= cpus.size(); ++n) {
        const int pid = SpawnChild([&] {
            cpu_set_t some;
            CPU_ZERO(&some);
            for (std::size_t i = 0; i < n; ++i) CPU_SET(cpus[i], &some);
            if (::sched_setaffinity(0, sizeof some, &some) != 0) return 2;
            return UsableProcessorCount() == static_cast<int>(n) ? 0 : 1;
        });
        EXPECT_EQ(0, ChildExitCode(pid)) << n << " processors";
    }
}
