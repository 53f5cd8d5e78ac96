// The process clock: the system's local time unless a test replaced it.
#include "platform/core/clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/core/datetime.h"

namespace {

std::function<TDateTime()>& ClockSource() {
    static std::function<TDateTime()> source;
    return source;
}

std::function<uint32_t()>& TickSource() {
    static std::function<uint32_t()> source;
    return source;
}

TDateTime SystemNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
    localtime_r(&t, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), ms < 0 ? 0 : ms);
}

}  // namespace

TDateTime Now() {
    const auto& source = ClockSource();
    return source ? source() : SystemNow();
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() { return static_cast<double>(DateTimeToTimeStamp(Now()).Time) / MSecsPerDay; }

uint32_t GetTickCount() {
    const auto& source = TickSource();
    if (source) return source();
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SetClockSource(std::function<TDateTime()> source) { ClockSource() = std::move(source); }

void SetClockForTesting(TDateTime fixed) {
    ClockSource() = [fixed] { return fixed; };
}

void SetTickCountSource(std::function<uint32_t()> source) { TickSource() = std::move(source); }

void SetTickCountForTesting(uint32_t fixed) {
    TickSource() = [fixed] { return fixed; };
}

void ResetClock() {
    ClockSource() = nullptr;
    TickSource() = nullptr;
}
