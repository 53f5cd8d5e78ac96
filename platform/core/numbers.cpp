// Integer and floating-point conversions: IntToStr, StrToInt, FloatToStrF,
// FormatFloat, StrToFloat.
#include "platform/core/sysutils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/numbers_internal.h"

// ---------------------------------------------------------------------------
// Decimal digits of a double

TDecimal ToDecimal(double value, int precision) {
    TDecimal d;
    d.Negative = std::signbit(value);
    precision = std::clamp(precision, 1, 17);
    // 17 digits hold every double; rounding them to `precision` then goes half
    // away from zero on the decimal value (2.675 and 1234.5 round up).
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.16e", std::fabs(value));
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    int exp10 = 0;
    if (*p == 'e') exp10 = std::atoi(p + 1);
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) return d;
    d.Digits = digits;
    d.Exponent = exp10 + 1;
    RoundDecimalAt(d, precision);
    return d;
}

// Keeps the first `count` digits, rounding half away from zero.
void RoundDecimalAt(TDecimal& d, int count) {
    if (d.Digits.empty() || count >= static_cast<int>(d.Digits.size())) return;
    if (count < 0) {
        d.Digits.clear();
        d.Exponent = 0;
        return;
    }
    const bool up = d.Digits[count] >= '5';
    d.Digits.resize(count);
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.Digits[i] == '9') d.Digits[i--] = '0';
        if (i >= 0) {
            ++d.Digits[i];
        } else {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        }
    }
    while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
    if (d.Digits.empty()) d.Exponent = 0;
}

static std::string GroupThousands(const std::string& intDigits, char sep) {
    std::string out;
    const int n = static_cast<int>(intDigits.size());
    for (int i = 0; i < n; ++i) {
        out += intDigits[i];
        const int left = n - 1 - i;
        if (left > 0 && left % 3 == 0 && sep) out += sep;
    }
    return out;
}

static std::string SpecialText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

static std::string ExponentText(int e, int minDigits, bool plusSign) {
    std::string s = std::to_string(e < 0 ? -e : e);
    while (static_cast<int>(s.size()) < minDigits) s.insert(s.begin(), '0');
    if (e < 0) return "-" + s;
    return plusSign ? "+" + s : s;
}

// Shortest form of already rounded digits: fixed unless the number is too
// large for `precision` digits or smaller than 0.00001.
static std::string GeneralText(const TDecimal& d, int precision, int expDigits, const TFormatSettings& fs) {
    if (d.Digits.empty()) return "0";
    std::string out = d.Negative ? "-" : "";
    const int n = static_cast<int>(d.Digits.size());
    if (d.Exponent > precision || d.Exponent < -3) {
        out += d.Digits[0];
        if (n > 1) {
            out += fs.DecimalSeparator;
            out += d.Digits.substr(1);
        }
        out += 'E';
        out += ExponentText(d.Exponent - 1, expDigits, false);
        return out;
    }
    if (d.Exponent <= 0) {
        out += '0';
        out += fs.DecimalSeparator;
        out.append(-d.Exponent, '0');
        out += d.Digits;
        return out;
    }
    if (n <= d.Exponent) {
        out += d.Digits;
        out.append(d.Exponent - n, '0');
    } else {
        out += d.Digits.substr(0, d.Exponent);
        out += fs.DecimalSeparator;
        out += d.Digits.substr(d.Exponent);
    }
    return out;
}

static std::string CurrencyText(const std::string& number, bool negative, const TFormatSettings& fs) {
    const std::string& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1: return number + c;
        case 2: return c + " " + number;
        case 3: return number + " " + c;
        default: return c + number;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1: return "-" + c + number;
    case 2: return c + "-" + number;
    case 3: return c + number + "-";
    case 4: return "(" + number + c + ")";
    case 5: return "-" + number + c;
    case 6: return number + "-" + c;
    case 7: return number + c + "-";
    case 8: return "-" + number + " " + c;
    case 9: return "-" + c + " " + number;
    case 10: return number + " " + c + "-";
    case 11: return c + " " + number + "-";
    case 12: return c + " -" + number;
    case 13: return number + "- " + c;
    case 14: return "(" + c + " " + number + ")";
    case 15: return "(" + number + " " + c + ")";
    default: return "(" + c + number + ")";
    }
}

std::string FloatTextWithLimit(double value, TFloatFormat format, int precision, int digits, int fixedLimit,
                               const TFormatSettings& fs) {
    if (!std::isfinite(value)) return SpecialText(value);
    if (precision < 1) precision = 1;
    if (precision > 17) precision = 17;
    if (digits < 0) digits = 0;
    TDecimal d = ToDecimal(value, precision);
    switch (format) {
    case ffExponent: {
        if (digits > 4) digits = 4;
        std::string m = d.Digits;
        m.resize(precision, '0');
        std::string out = d.Negative && !d.Digits.empty() ? "-" : "";
        out += m[0];
        if (precision > 1) {
            out += fs.DecimalSeparator;
            out += m.substr(1);
        }
        out += 'E';
        out += ExponentText(d.Digits.empty() ? 0 : d.Exponent - 1, digits, true);
        return out;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        if (digits > 18) digits = 18;
        if (d.Exponent > fixedLimit) return GeneralText(d, precision, 0, fs);
        RoundDecimalAt(d, d.Exponent + digits);
        std::string intPart, fracPart;
        const int n = static_cast<int>(d.Digits.size());
        if (d.Exponent > 0) {
            intPart = d.Digits.substr(0, std::min(n, d.Exponent));
            intPart.append(std::max(0, d.Exponent - n), '0');
        } else {
            intPart = "0";
        }
        for (int k = 0; k < digits; ++k) {
            const int idx = d.Exponent + k;
            fracPart += (idx >= 0 && idx < n) ? d.Digits[idx] : '0';
        }
        if (format != ffFixed) intPart = GroupThousands(intPart, fs.ThousandSeparator);
        std::string number = intPart;
        if (digits > 0) number += fs.DecimalSeparator + fracPart;
        const bool negative = d.Negative && !d.Digits.empty();
        if (format == ffCurrency) return CurrencyText(number, negative, fs);
        return negative ? "-" + number : number;
    }
    default:
        if (digits > 4) digits = 4;
        return GeneralText(d, precision, digits, fs);
    }
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings) {
    int p = std::clamp(precision, 1, 17);
    return FloatTextWithLimit(value, format, p, digits, p, settings);
}

std::string FloatToStr(double value, const TFormatSettings& settings) {
    return FloatToStrF(value, ffGeneral, 15, 0, settings);
}

std::string CurrToStr(double value, const TFormatSettings& settings) {
    if (!std::isfinite(value)) return SpecialText(value);
    // A currency holds four decimals.
    TDecimal d = ToDecimal(value, 15);
    RoundDecimalAt(d, d.Exponent + 4);
    return GeneralText(d, 19, 0, settings);
}

// ---------------------------------------------------------------------------
// FormatFloat

namespace {

struct TSection {
    std::string Text;
    bool Present = false;
};

// Splits at ";" outside quotes into at most three sections.
std::vector<TSection> SplitSections(const std::string& fmt) {
    std::vector<TSection> sections(1);
    sections[0].Present = true;
    char quote = 0;
    for (char c : fmt) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            if (sections.size() == 3) break;
            sections.emplace_back();
            sections.back().Present = true;
            continue;
        }
        sections.back().Text += c;
    }
    return sections;
}

struct TLayout {
    int IntPlaces = 0;     // digit placeholders before the decimal point
    int MinIntDigits = 0;  // from the first '0' to the decimal point
    int MinDecimals = 0;   // up to the last '0' after the point
    int MaxDecimals = 0;
    bool Thousands = false;
    bool Scientific = false;
    bool PointSeen = false;
};

bool IsExponentAt(const std::string& s, size_t i) {
    return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

TLayout Analyse(const std::string& s) {
    TLayout l;
    int firstZero = -1;
    int decimalIndex = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            size_t j = s.find(c, i + 1);
            i = j == std::string::npos ? s.size() : j;
        } else if (IsExponentAt(s, i)) {
            l.Scientific = true;
            break;  // placeholders after the exponent mark are its digits
        } else if (c == '.') {
            l.PointSeen = true;
        } else if (c == ',' && !l.PointSeen) {
            l.Thousands = true;
        } else if (c == '0' || c == '#') {
            if (!l.PointSeen) {
                if (c == '0' && firstZero < 0) firstZero = l.IntPlaces;
                ++l.IntPlaces;
            } else {
                ++decimalIndex;
                if (c == '0') l.MinDecimals = decimalIndex;
                l.MaxDecimals = decimalIndex;
            }
        }
    }
    if (firstZero >= 0) l.MinIntDigits = l.IntPlaces - firstZero;
    return l;
}

// Writes the section with the digits in place of the placeholders.
std::string Render(const std::string& s, const TLayout& l, const std::string& intDigits,
                   const std::string& fracDigits, int exponent, const TFormatSettings& fs) {
    std::string out;
    const int nInt = static_cast<int>(intDigits.size());
    int intPlace = 0, fracPlace = 0;
    bool pointDone = false;
    auto emitInt = [&](int idx) {
        out += intDigits[idx];
        const int left = nInt - 1 - idx;
        if (l.Thousands && left > 0 && left % 3 == 0) out += fs.ThousandSeparator;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            size_t j = s.find(c, i + 1);
            if (j == std::string::npos) j = s.size();
            out += s.substr(i + 1, j - i - 1);
            i = j;
        } else if (l.Scientific && IsExponentAt(s, i)) {
            size_t j = i + 2;
            int zeros = 0;
            while (j < s.size() && s[j] == '0' && zeros < 4) ++j, ++zeros;
            out += s[i];
            out += ExponentText(exponent, zeros, s[i + 1] == '+');
            // A trailing literal may follow the exponent's digits.
            while (j < s.size() && (s[j] == '0' || s[j] == '#')) ++j;
            i = j - 1;
        } else if (c == '.') {
            if (!pointDone) {
                // without integer placeholders the integer digits go here
                if (l.IntPlaces == 0)
                    for (int k = 0; k < nInt; ++k) emitInt(k);
                if (!fracDigits.empty()) out += fs.DecimalSeparator;
            }
            pointDone = true;
        } else if (c == ',') {
            // Only switches grouping on.
        } else if (c == '0' || c == '#') {
            if (!pointDone) {
                const int first = nInt - l.IntPlaces;
                if (intPlace == 0)
                    for (int k = 0; k < first; ++k) emitInt(k);
                const int idx = first + intPlace;
                // placeholders past the exponent's digits have no digit left
                if (idx >= 0 && idx < nInt) emitInt(idx);
                ++intPlace;
            } else {
                if (fracPlace < static_cast<int>(fracDigits.size())) out += fracDigits[fracPlace];
                ++fracPlace;
            }
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string FormatFloat(const std::string& format, double value, const TFormatSettings& fs) {
    if (!std::isfinite(value)) return SpecialText(value);
    std::vector<TSection> sections = SplitSections(format);
    if (format.empty()) return FloatToStr(value, fs);
    auto has = [&](size_t k) { return k < sections.size() && !sections[k].Text.empty(); };

    size_t which = 0;
    if (value < 0 && has(1))
        which = 1;
    else if (value == 0 && has(2))
        which = 2;
    std::string text = sections[which].Text;
    TLayout l = Analyse(text);

    TDecimal d = ToDecimal(value, 15);
    int exponent = 0;
    std::string intDigits, fracDigits;
    if (l.Scientific) {
        if (!d.Digits.empty()) {
            exponent = d.Exponent - l.IntPlaces;
            RoundDecimalAt(d, l.IntPlaces + l.MaxDecimals);
            if (!d.Digits.empty()) exponent = d.Exponent - l.IntPlaces;
        }
    } else {
        if (d.Exponent > 18) return FloatToStr(value, fs);
        RoundDecimalAt(d, d.Exponent + l.MaxDecimals);
    }

    // A value that rounds to zero is shown by the zero section, never as -0.
    if (d.Digits.empty() && value != 0) {
        if (has(2))
            which = 2;
        else if (which == 1)
            which = 0;
        if (text != sections[which].Text) {
            text = sections[which].Text;
            l = Analyse(text);
            d = ToDecimal(0.0, 15);
            exponent = 0;
        }
    }
    const bool negative = d.Negative && !d.Digits.empty() && which == 0;

    const int n = static_cast<int>(d.Digits.size());
    const int intCount = l.Scientific ? l.IntPlaces : std::max(0, d.Exponent);
    const int shift = l.Scientific ? (n ? d.Exponent - exponent : 0) : d.Exponent;
    for (int k = 0; k < intCount; ++k) {
        const int idx = shift - intCount + k;
        intDigits += (idx >= 0 && idx < n) ? d.Digits[idx] : '0';
    }
    while (!intDigits.empty() && intDigits[0] == '0') intDigits.erase(0, 1);
    while (static_cast<int>(intDigits.size()) < l.MinIntDigits) intDigits.insert(0, "0");
    for (int k = 0; k < l.MaxDecimals; ++k) {
        const int idx = shift + k;
        fracDigits += (idx >= 0 && idx < n) ? d.Digits[idx] : '0';
    }
    while (static_cast<int>(fracDigits.size()) > l.MinDecimals && fracDigits.back() == '0')
        fracDigits.pop_back();

    std::string out = Render(text, l, intDigits, fracDigits, exponent, fs);
    return negative ? "-" + out : out;
}

// ---------------------------------------------------------------------------
// Integers

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string IntToHex(int64_t value, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    uint64_t u = static_cast<uint64_t>(value);
    std::string s;
    do {
        s.insert(s.begin(), hex[u & 15]);
        u >>= 4;
    } while (u);
    if (digits > 32) digits = 32;
    while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), '0');
    return s;
}

// Reads an integer of `bits` bits; hexadecimal wraps like the platform
// ("$FFFFFFFF" is -1 as a 32-bit integer).
static bool ParseInteger(const std::string& s, int bits, int64_t& value) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const uint64_t mask = bits == 64 ? ~0ull : ((1ull << bits) - 1);
    uint64_t u = 0;
    size_t start;
    if (i < s.size() &&
        (s[i] == '$' || ((s[i] == '0') && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')))) {
        i += s[i] == '$' ? 1 : 2;
        start = i;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            int v;
            if (c >= '0' && c <= '9')
                v = c - '0';
            else if (c >= 'a' && c <= 'f')
                v = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                v = c - 'A' + 10;
            else
                return false;
            if (u > (mask >> 4)) return false;
            u = (u << 4) | static_cast<uint64_t>(v);
        }
        if (i == start) return false;
        int64_t r;
        if (bits == 64)
            r = static_cast<int64_t>(u);
        else
            r = static_cast<int32_t>(static_cast<uint32_t>(u));
        value = negative ? static_cast<int64_t>(0ull - static_cast<uint64_t>(r)) : r;
        if (bits == 32) value = static_cast<int32_t>(static_cast<uint32_t>(value));
        return true;
    }
    start = i;
    const uint64_t limit = (bits == 64 ? (1ull << 63) : (1ull << 31)) - (negative ? 0 : 1);
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') return false;
        const uint64_t v = static_cast<uint64_t>(c - '0');
        if (u > (limit - v) / 10) return false;
        u = u * 10 + v;
    }
    if (i == start) return false;
    value = negative ? static_cast<int64_t>(0ull - u) : static_cast<int64_t>(u);
    return true;
}

bool TryStrToInt64(const std::string& s, int64_t& value) { return ParseInteger(s, 64, value); }

bool TryStrToInt(const std::string& s, int& value) {
    int64_t v;
    if (!ParseInteger(s, 32, v)) return false;
    value = static_cast<int>(v);
    return true;
}

int64_t StrToInt64(const std::string& s) {
    int64_t v;
    if (!TryStrToInt64(s, v)) throw EConvertError(Format("'%s' is not a valid integer value", s));
    return v;
}

int StrToInt(const std::string& s) {
    int v;
    if (!TryStrToInt(s, v)) throw EConvertError(Format("'%s' is not a valid integer value", s));
    return v;
}

int StrToIntDef(const std::string& s, int def) {
    int v;
    return TryStrToInt(s, v) ? v : def;
}

// ---------------------------------------------------------------------------
// Text to float

bool TryStrToFloat(const std::string& s, double& value, const TFormatSettings& fs) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    std::string t;  // in the "C" form from_chars reads
    size_t i = b;
    bool negative = false;
    if (i < e && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int mantissaDigits = 0, leadExp = 0;
    bool nonZero = false, point = false;
    for (; i < e; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            ++mantissaDigits;
            if (c != '0') nonZero = true;
            if (!point && nonZero) ++leadExp;
            if (point && !nonZero) --leadExp;
            t += c;
        } else if (c == fs.DecimalSeparator && !point) {
            point = true;
            t += '.';
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return false;
    long long expValue = 0;
    if (i < e && (s[i] == 'e' || s[i] == 'E')) {
        t += 'e';
        ++i;
        bool expNeg = false;
        if (i < e && (s[i] == '+' || s[i] == '-')) {
            expNeg = s[i] == '-';
            t += s[i++];
        }
        size_t start = i;
        for (; i < e && s[i] >= '0' && s[i] <= '9'; ++i) {
            t += s[i];
            if (expValue < 100000) expValue = expValue * 10 + (s[i] - '0');
        }
        if (i == start) return false;
        if (expNeg) expValue = -expValue;
    }
    if (i != e) return false;
    double v = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ptr != t.data() + t.size()) return false;
    if (ec == std::errc::result_out_of_range) {
        if (!nonZero || leadExp + expValue < 0)
            v = 0;  // underflow reads as 0
        else
            return false;
    } else if (ec != std::errc()) {
        return false;
    }
    if (std::isinf(v)) return false;
    value = negative ? -v : v;
    return true;
}

double StrToFloat(const std::string& s, const TFormatSettings& settings) {
    double v;
    if (!TryStrToFloat(s, v, settings))
        throw EConvertError(Format("'%s' is not a valid floating point value", s));
    return v;
}

double StrToFloatDef(const std::string& s, double def, const TFormatSettings& settings) {
    double v;
    return TryStrToFloat(s, v, settings) ? v : def;
}
