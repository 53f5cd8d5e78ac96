// Timers over QTimer; the handler runs guarded like any event handler.
#include "platform/ui/timer.h"

#include <QTimer>

#include "platform/ui/qt_host.h"

struct TTimerImpl {
    QTimer Timer;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
    if (FImpl) FImpl->Timer.stop();
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
    if (!FEnabled || FInterval == 0 || !FOnTimer.Assigned() || ComponentState().Contains(csDesigning)) return;
    if (!FImpl) {
        EnsureToolkit();
        FImpl = std::make_unique<TTimerImpl>();
        QObject::connect(&FImpl->Timer, &QTimer::timeout, [this] { GuardedCall(this, [this] { Timer(); }); });
    }
    FImpl->Timer.start(static_cast<int>(FInterval));
}

void TTimer::Timer() { FOnTimer(this); }

void TTimer::Publish(TPublisher<TTimer>& p) {
    p.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
    p.Property("Interval", &TTimer::Interval, &TTimer::SetInterval);
    p.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}
