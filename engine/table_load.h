// The threads a table load runs on, and the test hook of a load that runs
// short of memory (table_file.cpp).
#pragma once

#include <functional>

// The threads a load starts with: the SetTableLoadThreads setting, or (0)
// one for each processor the process may use (UsableProcessorCount).
int TableLoadThreads();

// Test hook: called on the loading thread each time a load lays out a batch
// of records, with the threads that load runs on; a std::bad_alloc thrown
// here is a load running short of memory. An empty hook removes it.
void SetTableLoadMemoryHook(std::function<void(int threads)> hook);
