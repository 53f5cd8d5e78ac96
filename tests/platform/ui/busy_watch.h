// Watches the window's thread from a thread of its own, as a user sees it:
// the longest time the event loop went without a pass while the screen's
// cursor was not the busy one. The loop's passes beat through a timer; the
// watcher samples the last beat and the screen's cursor every millisecond.
#pragma once

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ui/application.h"

class TBusyWatch {
public:
    TBusyWatch() {
        Beat();
        FTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Beat(); });
        FTimer.start(1);
        FThread = std::thread([this] { Watch(); });
    }
    ~TBusyWatch() {
        FStop = true;
        FThread.join();
    }
    TBusyWatch(const TBusyWatch&) = delete;
    TBusyWatch& operator=(const TBusyWatch&) = delete;

    // The window's thread answered now (the test's own preparations are no
    // user's wait): the longest times start again from here.
    void Restart() {
        Beat();
        FReset = true;
        while (FReset) std::this_thread::yield();
    }
    void Beat() { FBeat = Now(); }
    // The longest time without a pass of the loop and without the busy cursor.
    double LongestWithoutBusyMs() const { return static_cast<double>(FLongestWithout.load()) / 1000.0; }
    // The longest time without a pass of the loop, busy cursor or not.
    double LongestBlockedMs() const { return static_cast<double>(FLongestBlocked.load()) / 1000.0; }

private:
    static long long Now() {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    // The screen's cursor is read while the window's thread may set it: the
    // word read is the old or the new one.
    static bool Busy() { return Screen && Screen->Cursor() == crHourGlass; }
    void Watch() {
        long long busySeen = 0;
        while (!FStop) {
            if (FReset) {
                FLongestWithout = 0;
                FLongestBlocked = 0;
                FReset = false;
            }
            const long long now = Now(), beat = FBeat;
            if (Busy()) busySeen = now;
            const long long since = std::max(beat, busySeen);
            FLongestBlocked = std::max(FLongestBlocked.load(), now - beat);
            FLongestWithout = std::max(FLongestWithout.load(), now - since);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    QTimer FTimer;
    std::atomic<long long> FBeat{0}, FLongestWithout{0}, FLongestBlocked{0};
    std::atomic<bool> FStop{false}, FReset{false};
    std::thread FThread;
};
