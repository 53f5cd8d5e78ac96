// String helpers: case conversion, comparison, trimming, searching, quoting.
// Byte positions are 1-based as the platform counts them.
#include <algorithm>
#include <cstdint>
#include "platform/core/text.h"

#include "platform/core/sysutils.h"

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Next code point of UTF-8 text; a byte that does not start a valid sequence
// is taken as a Latin-1 character of its own.
uint32_t NextCodePoint(const std::string& s, size_t& i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = 0;
    uint32_t cp = c;
    if (c >= 0xC2 && c <= 0xDF)
        extra = 1, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF)
        extra = 2, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4)
        extra = 3, cp = c & 0x07;
    if (extra && i + extra < s.size()) {
        uint32_t v = cp;
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) ok = false;
            v = (v << 6) | (t & 0x3F);
        }
        const uint32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (ok && v >= minimum && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
            i += extra + 1;
            return v;
        }
    }
    ++i;
    return c;
}

uint32_t UpperCodePoint(uint32_t cp) {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
    switch (cp) {
    case 0xFF: return 0x178;
    case 0x161: return 0x160;
    case 0x153: return 0x152;
    case 0x17E: return 0x17D;
    default: return cp;
    }
}

uint32_t LowerCodePoint(uint32_t cp) {
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
    switch (cp) {
    case 0x178: return 0xFF;
    case 0x160: return 0x161;
    case 0x152: return 0x153;
    case 0x17D: return 0x17E;
    default: return cp;
    }
}

// Transforms the code points of UTF-8 text; bytes that are not valid UTF-8
// are kept as they are.
template <class F>
std::string MapCodePoints(const std::string& s, F f) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const size_t start = i;
        const uint32_t cp = NextCodePoint(s, i);
        const bool valid = cp < 0x80 || i - start > 1;
        if (!valid) {
            out += s[start];
            continue;
        }
        AppendUtf8(out, f(cp));
    }
    return out;
}

// Base letter of the Latin-1 and Windows-1252 accented letters (lower case).
char BaseLetter(uint32_t lower) {
    static const char latin1[] =  // U+00E0 .. U+00FF
        "aaaaaaaceeeeiiiidnooooo\0ouuuuyty";
    if (lower >= 'a' && lower <= 'z') return static_cast<char>(lower);
    if (lower >= 0xDF && lower <= 0xFF) {
        if (lower == 0xDF) return 's';
        return latin1[lower - 0xE0];
    }
    switch (lower) {
    case 0x161: return 's';
    case 0x153: return 'o';
    case 0x17E: return 'z';
    default: return 0;
    }
}

struct TCollationKey {
    uint32_t Primary;    // class and base letter
    uint32_t Secondary;  // the accent
    uint32_t Tertiary;   // the case
};

TCollationKey KeyOf(uint32_t cp) {
    const uint32_t lower = LowerCodePoint(cp);
    const char base = BaseLetter(lower);
    const uint32_t tertiary = lower != cp ? 1 : 0;  // lower case first
    if (base) {
        const uint32_t accent = lower == static_cast<unsigned char>(base) ? 0 : lower;
        return {0x20000u + static_cast<uint32_t>(base - 'a'), accent, tertiary};
    }
    if (cp >= '0' && cp <= '9') return {0x10000u + (cp - '0'), 0, 0};
    if (cp < 0x80 || (cp >= 0xA0 && cp < 0xC0) || cp == 0xD7 || cp == 0xF7)
        return {cp, 0, 0};  // blanks, punctuation and symbols first
    return {0x30000u + cp, 0, tertiary};
}

int AnsiCompare(const std::string& a, const std::string& b, bool withCase) {
    // One pass per level: letters, then accents, then case.
    auto pass = [&](auto field) -> int {
        size_t i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            const uint32_t x = field(KeyOf(NextCodePoint(a, i)));
            const uint32_t y = field(KeyOf(NextCodePoint(b, j)));
            if (x != y) return x < y ? -1 : 1;
        }
        if (i < a.size()) return 1;
        if (j < b.size()) return -1;
        return 0;
    };
    if (int r = pass([](const TCollationKey& k) { return k.Primary; })) return r;
    if (int r = pass([](const TCollationKey& k) { return k.Secondary; })) return r;
    if (withCase) {
        if (int r = pass([](const TCollationKey& k) { return k.Tertiary; })) return r;
        // Same letters, accents and case: keep a total order by bytes.
        const int r = a.compare(b);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    return 0;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string UpperCase(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = AsciiUpper(c);
    return r;
}

std::string LowerCase(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = AsciiLower(c);
    return r;
}

std::string AnsiUpperCase(const std::string& s) { return MapCodePoints(s, UpperCodePoint); }
std::string AnsiLowerCase(const std::string& s) { return MapCodePoints(s, LowerCodePoint); }

int CompareStr(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int d = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
        if (d) return d;
    }
    return static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size());
}

int CompareText(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int d =
            static_cast<unsigned char>(AsciiUpper(a[i])) - static_cast<unsigned char>(AsciiUpper(b[i]));
        if (d) return d;
    }
    return static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size());
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string EndSentence(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

int AnsiCompareStr(const std::string& a, const std::string& b) { return AnsiCompare(a, b, true); }
int AnsiCompareText(const std::string& a, const std::string& b) { return AnsiCompare(a, b, false); }
bool AnsiSameText(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string TrimLeft(const std::string& s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return s.substr(b);
}

std::string TrimRight(const std::string& s) {
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return s.substr(0, e);
}

int Pos(const std::string& sub, const std::string& s, int offset) {
    if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size()) return 0;
    const size_t p = s.find(sub, static_cast<size_t>(offset - 1));
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::string Copy(const std::string& s, int index, int count) {
    if (index < 1) index = 1;
    if (count <= 0 || static_cast<size_t>(index) > s.size()) return std::string();
    return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

std::string StringOfChar(char ch, int count) {
    return count > 0 ? std::string(static_cast<size_t>(count), ch) : std::string();
}

std::string StringReplace(const std::string& s, const std::string& oldPattern, const std::string& newPattern,
                          TReplaceFlags flags) {
    if (oldPattern.empty()) return s;
    const bool ignoreCase = flags & rfIgnoreCase;
    const std::string hay = ignoreCase ? AnsiUpperCase(s) : s;
    const std::string needle = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
    // Upper-casing keeps byte lengths of the letters it knows, except for a
    // few Windows-1252 ones; fall back to ASCII folding when lengths differ.
    const bool sameLayout = hay.size() == s.size() && needle.size() == oldPattern.size();
    const std::string& h = sameLayout ? hay : (ignoreCase ? UpperCase(s) : s);
    const std::string& n = sameLayout ? needle : (ignoreCase ? UpperCase(oldPattern) : oldPattern);
    std::string out;
    size_t from = 0;
    while (true) {
        const size_t p = h.find(n, from);
        if (p == std::string::npos) break;
        out.append(s, from, p - from);
        out += newPattern;
        from = p + n.size();
        if (!(flags & rfReplaceAll)) break;
    }
    out.append(s, from, std::string::npos);
    return out;
}

std::string AnsiQuotedStr(const std::string& s, char quote) {
    std::string out(1, quote);
    for (char c : s) {
        out += c;
        if (c == quote) out += c;
    }
    out += quote;
    return out;
}

std::string QuotedStr(const std::string& s) { return AnsiQuotedStr(s, '\''); }

std::string AnsiDequotedStr(const std::string& s, char quote) {
    if (s.empty() || s[0] != quote) return s;
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                out += quote;
                ++i;
            } else {
                return out;  // closing quote; the rest is ignored
            }
        } else {
            out += s[i];
        }
    }
    return out;  // no closing quote: everything after the opening one
}

bool IsDelimiter(const std::string& delimiters, const std::string& s, int index) {
    if (index < 1 || static_cast<size_t>(index) > s.size()) return false;
    return delimiters.find(s[static_cast<size_t>(index - 1)]) != std::string::npos;
}

int LastDelimiter(const std::string& delimiters, const std::string& s) {
    const size_t p = s.find_last_of(delimiters);
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::string BoolToStr(bool value, bool useBoolStrs) {
    if (useBoolStrs) return value ? "True" : "False";
    return value ? "-1" : "0";
}
