// TTimer: fires OnTimer every Interval milliseconds while Enabled (and while
// the event loop runs). An exception from the handler goes to
// Application->HandleException.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/core/component.h"
#include "platform/core/events.h"

struct TTimerImpl;

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
    void UpdateTimer();
    std::unique_ptr<TTimerImpl> FImpl;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
};
