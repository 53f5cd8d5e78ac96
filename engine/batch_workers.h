// Private to the table file's reader (table_records.cpp): the batches of records
// its scan finds, and the worker threads that lay them into their slots.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/store_memory.h"
#include "platform/core/threads.h"

// The AutoInc values of a batch: whether they ascend, and the bounds.
struct TAutoIncRun {
    int32_t First = 0;
    int32_t Last = 0;
    int32_t Highest = 0;
    bool Ascending = true;
};

// Records checked by the scan, to be laid into their slots.
struct TRecordBatch {
    const uint8_t* Data = nullptr;  // the first record's bytes; the others follow
    std::size_t Bytes = 0;          // the bytes of all of them
    uint8_t* Slots = nullptr;       // the first record's slot; the others follow
    uint8_t* Values = nullptr;      // room for the values of all of them
    std::size_t ValueBytes = 0;     // the room at Values
    int32_t First = 0;              // the first record's place in the list
    int32_t Count = 0;
    int Buffer = -1;                 // the read buffer the bytes lie in (-1: the image in memory)
    TAutoIncRun* AutoInc = nullptr;  // filled when the table has an AutoInc field
};

// Parses batches on worker threads while the loading thread reads and scans
// on. Read buffers go round: a batch's buffer is free again once it is
// parsed. Without workers each batch is parsed as it is handed over. The
// workers allocate and free nothing (TLeanThreads): the queue and the list
// of free buffers have their room from the start, and a full queue has the
// loading thread parse a batch itself.
class TBatchWorkers {
public:
    using TParse = std::function<void(const TRecordBatch&)>;
    struct TBuffer {
        TOstBlock Data;  // pages of its own: a freed buffer leaves no hole in the heap
        std::size_t Capacity = 0;
    };

    TBatchWorkers(TParse parse, int workers, std::size_t maxBuffers);
    ~TBatchWorkers() { Stop(); }
    TBatchWorkers(const TBatchWorkers&) = delete;
    TBatchWorkers& operator=(const TBatchWorkers&) = delete;

    std::size_t Workers() const { return FWorkers; }
    // A free buffer; while none is, parses waiting batches here or waits.
    int Acquire();
    TBuffer& Buffer(int i) { return FBuffers[static_cast<std::size_t>(i)]; }
    void Release(int i);
    void Hand(const TRecordBatch& batch);
    // Every batch handed over is parsed.
    void Finish();

private:
    // Parses the first waiting batch with the lock released.
    void RunOne(std::unique_lock<std::mutex>& lock);
    static void* WorkOn(void* workers);
    void Work();
    // Batches handed over are parsed before the threads end: the store holds
    // their records already.
    void Stop();

    TParse FParse;
    std::size_t FMaxBuffers;
    std::size_t FWorkers = 0;
    std::mutex FMutex;
    std::condition_variable FWork;     // a batch is waiting, or the end
    std::condition_variable FDone;     // a batch is parsed
    std::vector<TRecordBatch> FQueue;  // a ring of FQueued batches from FHead
    std::size_t FHead = 0;
    std::size_t FQueued = 0;
    int FActive = 0;
    bool FClosing = false;
    std::exception_ptr FError;
    std::vector<TBuffer> FBuffers;
    std::vector<int> FFree;
    TLeanThreads FThreads;  // last: stopped before the rest goes
};
