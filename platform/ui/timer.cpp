// Timers over QTimer; the handler runs guarded like any event handler.
#include "platform/ui/timer.h"

#include <QTimer>
#include <algorithm>

#include "platform/core/clock.h"

#include "platform/ui/qt_host.h"

struct TTimerImpl {
    QTimer Timer;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
    if (FImpl) FImpl->Timer.stop();
    if (TTestTimers* t = TTestTimers::Active()) t->Cancel(this);
}

void TTimer::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
    if (Value == FInterval) return;
    FInterval = Value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
    FOnTimer = Value;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (FImpl) FImpl->Timer.stop();
    TTestTimers* test = TTestTimers::Active();
    if (test) test->Cancel(this);
    if (!FEnabled || FInterval == 0 || !FOnTimer.Assigned() || ComponentState().Contains(csDesigning)) return;
    if (test) {
        test->Schedule(this, FInterval);
        return;
    }
    if (!FImpl) {
        EnsureToolkit();
        FImpl = std::make_unique<TTimerImpl>();
        QObject::connect(&FImpl->Timer, &QTimer::timeout, [this] { GuardedCall(this, [this] { Timer(); }); });
    }
    FImpl->Timer.start(static_cast<int>(FInterval));
}

void TTimer::Timer() { FOnTimer(this); }

void TTimer::Fire() {
    GuardedCall(this, [this] { Timer(); });
}

// ---- Test timers -------------------------------------------------------------------------

namespace {
TTestTimers*& ActiveTestTimers() {
    static TTestTimers* active = nullptr;
    return active;
}
}  // namespace

TTestTimers::TTestTimers() : FTickBase(GetTickCount()), FPrevious(ActiveTestTimers()) {
    ActiveTestTimers() = this;
    SetTickCountSource([this] { return FTickBase + static_cast<uint32_t>(FNow); });
}

TTestTimers::~TTestTimers() {
    ActiveTestTimers() = FPrevious;
    if (FPrevious) {
        TTestTimers* prev = FPrevious;
        SetTickCountSource([prev] { return prev->FTickBase + static_cast<uint32_t>(prev->FNow); });
    } else {
        SetTickCountSource(nullptr);
    }
}

TTestTimers* TTestTimers::Active() { return ActiveTestTimers(); }

int TTestTimers::Pending() const { return static_cast<int>(FEntries.size()); }

bool TTestTimers::Scheduled(const TTimer* Timer) const {
    return std::any_of(FEntries.begin(), FEntries.end(),
                       [Timer](const TEntry& e) { return e.Timer == Timer; });
}

void TTestTimers::Schedule(TTimer* Timer, unsigned Interval) {
    Cancel(Timer);
    FEntries.push_back({Timer, FNow + Interval, FOrder++});
}

void TTestTimers::Cancel(TTimer* Timer) {
    std::erase_if(FEntries, [Timer](const TEntry& e) { return e.Timer == Timer; });
}

void TTestTimers::Advance(unsigned Milliseconds) {
    const uint64_t end = FNow + Milliseconds;
    for (;;) {
        auto next = std::min_element(FEntries.begin(), FEntries.end(), [](const TEntry& a, const TEntry& b) {
            return a.Due != b.Due ? a.Due < b.Due : a.Order < b.Order;
        });
        if (next == FEntries.end() || next->Due > end) break;
        TTimer* timer = next->Timer;
        FNow = next->Due;
        // The next period starts now; the handler may change or stop it.
        Schedule(timer, timer->Interval());
        timer->Fire();
    }
    FNow = end;
}

void TTimer::Publish(TPublisher<TTimer>& p) {
    p.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
    p.Property("Interval", &TTimer::Interval, &TTimer::SetInterval);
    p.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}
