// The case tables: folding and upper/lower mapping per character, and comparing and
// matching texts folded byte run by byte run.
#include "platform/core/case_fold.h"

#include <algorithm>
#include <cstring>

namespace {

#include "platform/core/case_fold_table.inc"

template <std::size_t N>
inline char32_t Mapped(char32_t C, const uint8_t* Page, unsigned PageCount, const int32_t (&Delta)[N][256]) {
    const char32_t page = C >> 8;
    if (page >= PageCount || Page[page] == 0) return C;
    return static_cast<char32_t>(static_cast<int32_t>(C) + Delta[Page[page] - 1][C & 0xFF]);
}

// Bytes that start no valid sequence are returned in this range.
constexpr char32_t StrayByteBase = 0x110000;

void PutUtf8(char32_t c, uint8_t* out, std::size_t bytes) {
    switch (bytes) {
    case 1: out[0] = static_cast<uint8_t>(c); break;
    case 2:
        out[0] = static_cast<uint8_t>(0xC0 | (c >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (c & 0x3F));
        break;
    case 3:
        out[0] = static_cast<uint8_t>(0xE0 | (c >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (c & 0x3F));
        break;
    default:
        out[0] = static_cast<uint8_t>(0xF0 | (c >> 18));
        out[1] = static_cast<uint8_t>(0x80 | ((c >> 12) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
        out[3] = static_cast<uint8_t>(0x80 | (c & 0x3F));
        break;
    }
}

// Maps the character at Pos into Out (its UTF-8 length, returned); a stray
// byte stays.
inline std::size_t MapAt(std::string_view Text, std::size_t Pos, uint8_t* Out, char32_t (*Map)(char32_t)) {
    std::size_t next = Pos;
    const char32_t ch = NextUtf8Char(Text, next);
    const std::size_t bytes = next - Pos;
    if (ch >= StrayByteBase) {
        Out[0] = static_cast<uint8_t>(Text[Pos]);
        return 1;
    }
    PutUtf8(Map(ch), Out, bytes);
    return bytes;
}

// Folds the character at Pos into Out (its UTF-8 length, returned).
inline std::size_t FoldAt(std::string_view Text, std::size_t Pos, uint8_t* Out) {
    const unsigned char c = static_cast<unsigned char>(Text[Pos]);
    if (c < 0x80) {
        Out[0] = (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c + 32) : c;
        return 1;
    }
    return MapAt(Text, Pos, Out, FoldChar);
}

std::string MapText(std::string_view Text, char32_t (*Map)(char32_t)) {
    std::string out(Text.size(), '\0');
    uint8_t* o = reinterpret_cast<uint8_t*>(out.data());
    for (std::size_t i = 0; i < Text.size();) {
        const unsigned char c = static_cast<unsigned char>(Text[i]);
        if (c < 0x80) {
            o[i++] = static_cast<uint8_t>(Map(c));
            continue;
        }
        i += MapAt(Text, i, o + i, Map);
    }
    return out;
}

}  // namespace

char32_t NextUtf8Char(std::string_view Text, std::size_t& Pos) {
    const unsigned char c = static_cast<unsigned char>(Text[Pos]);
    if (c < 0x80) {
        ++Pos;
        return c;
    }
    int extra = 0;
    char32_t v = 0;
    if (c >= 0xC2 && c <= 0xDF)
        extra = 1, v = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF)
        extra = 2, v = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4)
        extra = 3, v = c & 0x07;
    if (extra && Pos + static_cast<std::size_t>(extra) < Text.size()) {
        bool ok = true;
        for (int k = 1; k <= extra && ok; ++k) {
            const unsigned char t = static_cast<unsigned char>(Text[Pos + static_cast<std::size_t>(k)]);
            ok = (t & 0xC0) == 0x80;
            v = (v << 6) | (t & 0x3F);
        }
        const char32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (ok && v >= minimum && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
            Pos += static_cast<std::size_t>(extra) + 1;
            return v;
        }
    }
    ++Pos;
    return StrayByteBase + c;
}

char32_t FoldChar(char32_t C) {
    if (C < 0x80) return (C >= 'A' && C <= 'Z') ? C + 32 : C;
    return Mapped(C, FoldPage, FoldPageCount, FoldDelta);
}

void FoldBytes(std::string_view Text, std::size_t From, uint8_t* Out, std::size_t Count) {
    const std::size_t end = std::min(Text.size(), From + Count);
    std::size_t i = From;
    if (i < end && (static_cast<unsigned char>(Text[i]) & 0xC0) == 0x80) {
        // Inside a character: fold from its first byte. Four continuation
        // bytes in a row make the last a stray byte of its own.
        std::size_t p = i;
        for (int k = 0; k < 3 && p > 0 && (static_cast<unsigned char>(Text[p]) & 0xC0) == 0x80; ++k) --p;
        if ((static_cast<unsigned char>(Text[p]) & 0xC0) != 0x80) i = p;
    }
    while (i < end) {
        const unsigned char c = static_cast<unsigned char>(Text[i]);
        if (c < 0x80) {
            Out[i - From] = (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c + 32) : c;
            ++i;
            continue;
        }
        uint8_t folded[4];
        const std::size_t bytes = FoldAt(Text, i, folded);
        for (std::size_t k = 0; k < bytes; ++k)
            if (i + k >= From && i + k < end) Out[i + k - From] = folded[k];
        i += bytes;
    }
    const std::size_t filled = end > From ? end - From : 0;
    if (filled < Count) std::memset(Out + filled, 0, Count - filled);
}

uint64_t FoldedWord(std::string_view Text, std::size_t From) {
    uint8_t bytes[8];
    FoldBytes(Text, From, bytes, 8);
    uint64_t word = 0;
    for (const uint8_t b : bytes) word = (word << 8) | b;
    return word;
}

int CompareFolded(std::string_view A, std::string_view B) {
    std::size_t i = 0, j = 0;
    // Folded bytes of a character read but not yet compared, for each side.
    uint8_t x[4], y[4];
    std::size_t xi = 0, xn = 0, yi = 0, yn = 0;
    for (;;) {
        if (xi == xn && yi == yn && i < A.size() && j < B.size()) {
            const unsigned char a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[j]);
            if ((a | b) < 0x80) {
                const unsigned char fa = (a >= 'A' && a <= 'Z') ? a + 32 : a;
                const unsigned char fb = (b >= 'A' && b <= 'Z') ? b + 32 : b;
                if (fa != fb) return fa < fb ? -1 : 1;
                ++i, ++j;
                continue;
            }
        }
        if (xi == xn && i < A.size()) {
            xn = FoldAt(A, i, x);
            xi = 0;
            i += xn;
        }
        if (yi == yn && j < B.size()) {
            yn = FoldAt(B, j, y);
            yi = 0;
            j += yn;
        }
        const bool xEnd = xi == xn, yEnd = yi == yn;
        if (xEnd || yEnd) return static_cast<int>(yEnd) - static_cast<int>(xEnd);
        while (xi < xn && yi < yn) {
            if (x[xi] != y[yi]) return x[xi] < y[yi] ? -1 : 1;
            ++xi, ++yi;
        }
    }
}

std::string FoldCase(std::string_view Text) { return MapText(Text, FoldChar); }

bool SameFolded(std::string_view A, std::string_view B) {
    return A.size() == B.size() && CompareFolded(A, B) == 0;
}

char32_t UpperChar(char32_t C) {
    if (C < 0x80) return (C >= 'a' && C <= 'z') ? C - 32 : C;
    return Mapped(C, UpperPage, UpperPageCount, UpperDelta);
}

char32_t LowerChar(char32_t C) {
    if (C < 0x80) return (C >= 'A' && C <= 'Z') ? C + 32 : C;
    return Mapped(C, LowerPage, LowerPageCount, LowerDelta);
}

std::string UnicodeUpperCase(std::string_view Text) { return MapText(Text, UpperChar); }
std::string UnicodeLowerCase(std::string_view Text) { return MapText(Text, LowerChar); }
