// Format: the platform's printf-like formatting over a list of arguments.
#include <cmath>
#include <cstdio>

#include "platform/core/exceptions.h"
#include "platform/core/numbers_internal.h"
#include "platform/core/sysutils.h"

namespace {

// Widths and precisions beyond this are taken as a broken format.
constexpr int MaxFieldWidth = 1 << 20;
constexpr int None = -(1 << 30);

[[noreturn]] void Invalid(std::string_view fmt) {
    throw EConvertError("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
}

[[noreturn]] void Missing(std::string_view fmt) {
    throw EConvertError("No argument for format '" + std::string(fmt) + "'");
}

// Number of characters (not bytes) of UTF-8 text, for padding.
size_t CharCount(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string Hex(uint64_t u, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string s;
    do {
        s.insert(s.begin(), digits[u & 15]);
        u >>= 4;
    } while (u);
    return s;
}

bool IsInteger(const TFormatArg& a) {
    return a.Kind == TFormatArg::fakInteger || a.Kind == TFormatArg::fakInt64 ||
           a.Kind == TFormatArg::fakUnsigned;
}

// A "d" or "u" argument: signed or unsigned decimal, at least precision digits.
std::string DecimalText(std::string_view fmt, char type, const TFormatArg& a, int precision) {
    if (!IsInteger(a)) Invalid(fmt);
    bool negative = false;
    uint64_t u;
    if (type == 'u' || type == 'U') {
        u = a.Kind == TFormatArg::fakInteger ? static_cast<uint32_t>(a.IntValue)
                                             : static_cast<uint64_t>(a.IntValue);
    } else if (a.Kind == TFormatArg::fakUnsigned) {
        u = static_cast<uint64_t>(a.IntValue);
    } else {
        negative = a.IntValue < 0;
        u = negative ? 0ull - static_cast<uint64_t>(a.IntValue) : static_cast<uint64_t>(a.IntValue);
    }
    std::string text = std::to_string(u);
    if (precision > static_cast<int>(text.size())) text.insert(0, precision - text.size(), '0');
    if (negative) text.insert(0, 1, '-');
    return text;
}

// An "s" argument, cut to precision characters without splitting a UTF-8 sequence.
std::string StringText(std::string_view fmt, const TFormatArg& a, int precision) {
    std::string text;
    if (a.Kind == TFormatArg::fakString) {
        text = std::string(a.StrValue);
    } else if (a.Kind == TFormatArg::fakChar) {
        text = std::string(1, static_cast<char>(a.IntValue));
    } else {
        Invalid(fmt);
    }
    if (precision >= 0 && static_cast<size_t>(precision) < text.size()) {
        size_t cut = static_cast<size_t>(precision);
        // never split a UTF-8 sequence
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
    }
    return text;
}

// One argument's text by its type letter, before padding.
std::string ArgumentText(std::string_view fmt, char type, const TFormatArg& a, int precision,
                         const TFormatSettings& fs) {
    std::string text;
    switch (type) {
    case 'd':
    case 'D':
    case 'u':
    case 'U': text = DecimalText(fmt, type, a, precision); break;
    case 'x':
    case 'X': {
        if (!IsInteger(a)) Invalid(fmt);
        const uint64_t u = a.Kind == TFormatArg::fakInteger ? static_cast<uint32_t>(a.IntValue)
                                                            : static_cast<uint64_t>(a.IntValue);
        text = Hex(u, type == 'X');
        if (precision > static_cast<int>(text.size())) text.insert(0, precision - text.size(), '0');
        break;
    }
    case 'e':
    case 'E':
        if (a.Kind != TFormatArg::fakFloat) Invalid(fmt);
        text = FloatTextWithLimit(a.FloatValue, ffExponent, precision < 0 ? 15 : std::min(precision, 17), 3,
                                  17, fs);
        break;
    case 'g':
    case 'G':
        if (a.Kind != TFormatArg::fakFloat) Invalid(fmt);
        text = FloatTextWithLimit(a.FloatValue, ffGeneral, precision < 0 ? 15 : std::min(precision, 17), 0,
                                  17, fs);
        break;
    case 'f':
    case 'F':
    case 'n':
    case 'N':
    case 'm':
    case 'M': {
        if (a.Kind != TFormatArg::fakFloat) Invalid(fmt);
        const char t = static_cast<char>(type | 0x20);
        const TFloatFormat ff = t == 'f' ? ffFixed : t == 'n' ? ffNumber : ffCurrency;
        int digits = precision;
        if (digits < 0) digits = t == 'm' ? fs.CurrencyDecimals : 2;
        text = FloatTextWithLimit(a.FloatValue, ff, 15, std::min(digits, 18), 18, fs);
        break;
    }
    case 'p':
    case 'P': {
        if (a.Kind != TFormatArg::fakPointer) Invalid(fmt);
        text = Hex(reinterpret_cast<uintptr_t>(a.PtrValue), true);
        text.insert(0, sizeof(void*) * 2 - text.size(), '0');
        break;
    }
    case 's':
    case 'S': text = StringText(fmt, a, precision); break;
    default: Invalid(fmt);
    }
    return text;
}

// Pads to width characters, on the right when left-justified.
void PadField(std::string& text, int width, bool left) {
    const size_t chars = CharCount(text);
    if (width > 0 && static_cast<size_t>(width) > chars) {
        if (left)
            text.append(width - chars, ' ');
        else
            text.insert(0, width - chars, ' ');
    }
}

}  // namespace

std::string FormatArgs(std::string_view fmt, std::span<const TFormatArg> args, const TFormatSettings& fs) {
    std::string out;
    size_t next = 0;  // the argument the next specifier takes
    const size_t len = fmt.size();

    auto take = [&]() -> const TFormatArg& {
        if (next >= args.size()) Missing(fmt);
        return args[next++];
    };
    // A run of digits or "*"; None when neither is there.
    auto number = [&](size_t& i) -> int {
        if (i < len && fmt[i] == '*') {
            ++i;
            const TFormatArg& a = take();
            if (!IsInteger(a)) Invalid(fmt);
            if (a.IntValue > MaxFieldWidth || a.IntValue < -MaxFieldWidth) Invalid(fmt);
            return static_cast<int>(a.IntValue);
        }
        if (i >= len || fmt[i] < '0' || fmt[i] > '9') return None;
        long v = 0;
        while (i < len && fmt[i] >= '0' && fmt[i] <= '9') {
            v = v * 10 + (fmt[i++] - '0');
            if (v > MaxFieldWidth) Invalid(fmt);
        }
        return static_cast<int>(v);
    };

    for (size_t i = 0; i < len; ++i) {
        const char c = fmt[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i >= len) Invalid(fmt);
        if (fmt[i] == '%') {
            out += '%';
            continue;
        }
        // [index ":"] ["-"] [width] ["." precision] type
        int width = number(i);
        if (i < len && fmt[i] == ':') {
            if (width < 0) Invalid(fmt);
            next = static_cast<size_t>(width);
            ++i;
            width = None;
        }
        bool left = false;
        if (width == None && i < len && fmt[i] == '-') {
            left = true;
            ++i;
        }
        if (width == None) width = number(i);
        if (width == None) width = 0;
        if (width < 0) {  // a negative "*" width pads on the right
            left = true;
            width = -width;
        }
        int precision = -1;
        if (i < len && fmt[i] == '.') {
            ++i;
            precision = number(i);
            if (precision < 0) precision = 0;  // none given, or a negative "*"
        }
        if (i >= len) Invalid(fmt);
        const char type = fmt[i];
        const TFormatArg& a = take();
        std::string text = ArgumentText(fmt, type, a, precision, fs);
        PadField(text, width, left);
        out += text;
    }
    return out;
}
