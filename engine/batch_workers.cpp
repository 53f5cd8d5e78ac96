// The worker threads of a table load: batches of scanned records handed over
// and parsed, read buffers going round.
#include "engine/batch_workers.h"

#include <algorithm>
#include <utility>

TBatchWorkers::TBatchWorkers(TParse parse, int workers, std::size_t maxBuffers)
    : FParse(std::move(parse)), FMaxBuffers(std::max<std::size_t>(maxBuffers, 2)) {
    FBuffers.reserve(FMaxBuffers);
    FFree.reserve(FMaxBuffers);
    FQueue.resize(static_cast<std::size_t>(std::max(workers, 0)) * 4 + FMaxBuffers);
    // Fewer workers (none at worst) do the same work.
    for (int i = 0; i < workers; ++i)
        if (!FThreads.Start(&TBatchWorkers::WorkOn, this)) break;
    FWorkers = FThreads.Count();
}

int TBatchWorkers::Acquire() {
    std::unique_lock lock(FMutex);
    for (;;) {
        if (!FFree.empty()) {
            const int i = FFree.back();
            FFree.pop_back();
            return i;
        }
        if (FBuffers.size() < FMaxBuffers) {
            FBuffers.emplace_back();
            return static_cast<int>(FBuffers.size() - 1);
        }
        if (FQueued > 0)
            RunOne(lock);
        else
            FDone.wait(lock);
    }
}

void TBatchWorkers::Release(int i) {
    std::lock_guard lock(FMutex);
    FFree.push_back(i);
}

void TBatchWorkers::Hand(const TRecordBatch& batch) {
    std::unique_lock lock(FMutex);
    while (FQueued == FQueue.size()) RunOne(lock);
    FQueue[(FHead + FQueued) % FQueue.size()] = batch;
    ++FQueued;
    if (FWorkers == 0)
        RunOne(lock);
    else
        FWork.notify_one();
}

void TBatchWorkers::Finish() {
    std::unique_lock lock(FMutex);
    while (FQueued > 0) RunOne(lock);
    FDone.wait(lock, [this] { return FActive == 0; });
    if (FError) std::rethrow_exception(std::exchange(FError, nullptr));
}

void TBatchWorkers::RunOne(std::unique_lock<std::mutex>& lock) {
    const TRecordBatch batch = FQueue[FHead];
    FHead = (FHead + 1) % FQueue.size();
    --FQueued;
    ++FActive;
    lock.unlock();
    std::exception_ptr error;
    try {
        FParse(batch);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    --FActive;
    if (error && !FError) FError = error;
    if (batch.Buffer >= 0) FFree.push_back(batch.Buffer);  // room reserved
    FDone.notify_one();                                    // only the loading thread waits for it
}

void* TBatchWorkers::WorkOn(void* workers) {
    static_cast<TBatchWorkers*>(workers)->Work();
    return nullptr;
}

void TBatchWorkers::Work() {
    std::unique_lock lock(FMutex);
    for (;;) {
        FWork.wait(lock, [this] { return FClosing || FQueued > 0; });
        if (FQueued == 0) return;  // closing, and nothing is left
        RunOne(lock);
    }
}

void TBatchWorkers::Stop() {
    {
        std::lock_guard lock(FMutex);
        FClosing = true;
        FWork.notify_all();
    }
    FThreads.JoinAll();
    std::unique_lock lock(FMutex);
    while (FQueued > 0) RunOne(lock);
}
