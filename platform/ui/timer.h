// TTimer: fires OnTimer every Interval milliseconds while Enabled (and while
// the event loop runs). An exception from the handler goes to
// Application->HandleException.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"

struct TTimerImpl;
class TTestTimers;

class TTimer : public TComponent {
    TASKMOOR_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // Milliseconds; 0 stops the timer.
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned Value);
    TNotifyEvent OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent Value);

    static void Publish(TPublisher<TTimer>& p);

protected:
    virtual void Timer();

private:
    friend class TTestTimers;
    void UpdateTimer();
    void Fire();
    std::unique_ptr<TTimerImpl> FImpl;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
};

// Test timers: while one lives, timers do not run from the event loop; the
// test moves time on with Advance and the timers that fall due fire in time
// order. GetTickCount follows the test time (the system's tick count comes
// back when the last one ends). Nests like the other test services (the
// previous one comes back when this one ends).
class TTestTimers {
public:
    TTestTimers();
    ~TTestTimers();
    TTestTimers(const TTestTimers&) = delete;
    TTestTimers& operator=(const TTestTimers&) = delete;

    // Moves the time on by Milliseconds, firing each timer as it falls due
    // (a timer may fire several times).
    void Advance(unsigned Milliseconds);
    // Milliseconds since this service started.
    uint64_t Elapsed() const { return FNow; }
    // Timers waiting to fire.
    int Pending() const;
    // Whether the timer is scheduled here.
    bool Scheduled(const TTimer* Timer) const;

    // Used by TTimer.
    static TTestTimers* Active();
    void Schedule(TTimer* Timer, unsigned Interval);
    void Cancel(TTimer* Timer);

private:
    struct TEntry {
        TTimer* Timer;
        uint64_t Due;
        uint64_t Order;
    };
    std::vector<TEntry> FEntries;
    uint64_t FNow = 0;
    uint64_t FOrder = 0;
    uint32_t FTickBase = 0;
    TTestTimers* FPrevious;
};
