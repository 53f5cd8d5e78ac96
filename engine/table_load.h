// The threads a table load runs on, and the test hook of a load that runs
// short of memory (table_file.cpp, table_records.cpp).
//
// TOstraImageReader reads the records in two steps: the loading thread reads
// the image into buffers of a quarter chunk and scans each record's presence
// bytes and lengths (every error is found there, at its record number); worker
// threads (TBatchWorkers of batch_workers.h, on TLeanThreads) lay each
// buffer's records into slots and value memory reserved for them in list
// order and check their texts for UTF-8. One thread does both in one pass:
// each record checked as the scan checks it and laid out as it is read.
// A load that runs short of memory starts over on half the threads, and on one
// thread raises EOutOfMemory ("Out of memory"), never std::bad_alloc.
#pragma once

#include <functional>

// The threads a load starts with: the SetTableLoadThreads setting, or (0)
// one for each processor the process may use (UsableProcessorCount).
int TableLoadThreads();

// Test hook: called on the loading thread each time a load lays out a batch
// of records, with the threads that load runs on; a std::bad_alloc thrown
// here is a load running short of memory. An empty hook removes it.
void SetTableLoadMemoryHook(std::function<void(int threads)> hook);
