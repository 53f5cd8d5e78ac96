// Decimal digits of doubles, shared by the number formatting routines.
#pragma once

#include <string>

#include "platform/core/sysutils.h"

// value = 0.Digits x 10^Exponent; Digits carries no trailing zeros and is
// empty for zero.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;
};

// At most `precision` (1..17) significant digits, correctly rounded.
TDecimal ToDecimal(double value, int precision);
// Keeps the first `count` digits, rounding half away from zero.
void RoundDecimalAt(TDecimal& d, int count);
// FloatToStrF with the exponent above which fixed formats fall back to ffGeneral.
std::string FloatTextWithLimit(double value, TFloatFormat format, int precision, int digits, int fixedLimit,
                               const TFormatSettings& fs);
