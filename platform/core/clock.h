// The one clock of the process. Now(), Date(), Time() and GetTickCount() read
// it; tests replace it with a fixed moment or their own source.
#pragma once

#include <cstdint>
#include <functional>

using TDateTime = double;

TDateTime Now();   // local date and time
TDateTime Date();  // today, time 0
TDateTime Time();  // time of day only

// Milliseconds since an arbitrary start; wraps around like a 32-bit counter.
uint32_t GetTickCount();

// Test hooks. ResetClock() restores the system clock and tick counter.
void SetClockSource(std::function<TDateTime()> source);
void SetClockForTesting(TDateTime fixed);
void SetTickCountSource(std::function<uint32_t()> source);
void SetTickCountForTesting(uint32_t fixed);
void ResetClock();
