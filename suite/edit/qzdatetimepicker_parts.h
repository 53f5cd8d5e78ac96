// Private to the date-time picker's sources: a value's day and time of day,
// and its calendar parts.
#pragma once

#include <cmath>

#include "platform/core/datetime.h"

namespace {

inline double Whole(TDateTime V) { return std::trunc(V); }
inline double Frac(TDateTime V) { return V - std::trunc(V); }

struct TParts {
    int Y = 1899, M = 12, D = 30, H = 0, N = 0, S = 0, MS = 0;
};

inline TParts Split(TDateTime V) {
    TParts p;
    if (!std::isfinite(V) || V < -693593.0 || V >= 2958466.0) return p;
    DecodeDate(V, p.Y, p.M, p.D);
    DecodeTime(V, p.H, p.N, p.S, p.MS);
    return p;
}

}  // namespace
