// The mask's pattern check (wildcard runs, each place counted in characters) and its
// matching, with a fast search for the literal pieces between wildcards.
#include "engine/ostra_mask.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/messages.h"
#include "platform/core/case_fold.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

TOstraMask::TOstraMask(const std::string& Pattern) : FPattern(Pattern) {
    bool pending = false;
    int runs = 0;
    int position = 0;  // 1-based character position
    std::size_t i = 0;
    while (i < Pattern.size()) {
        const char32_t c = NextUtf8Char(Pattern, i);
        ++position;
        if (c == '*' || c == '%') {
            if (!pending) {
                if (++runs > MaxRuns) throw Exception(Format(SInvalidMask, Pattern, position));
                pending = true;
            }
            continue;
        }
        // A single-character wildcard after a run keeps its meaning: the run,
        // then exactly one character.
        if (c == '?' || c == '_')
            FElements.push_back({pending, true, false, 0});
        else
            FElements.push_back({pending, false, false, FoldChar(c)});
        pending = false;
    }
    FElements.push_back({pending, false, true, 0});
    // "%text%" over ASCII characters: no ASCII byte is part of a longer
    // character and only ASCII folds to ASCII, so a byte search with ASCII
    // letters folded matches exactly what the character walk matches.
    const std::size_t n = FElements.size();
    bool contains = n >= 2 && FElements[0].RunBefore && FElements[n - 1].RunBefore;
    for (std::size_t k = 0; contains && k + 1 < n; ++k) {
        const TElement& e = FElements[k];
        contains = !e.Single && !e.End && (k == 0 || !e.RunBefore) && e.Char < 0x80;
    }
    if (contains) {
        for (std::size_t k = 0; k + 1 < n; ++k) {
            const char c = static_cast<char>(FElements[k].Char);
            FLiteral += c;
            FFoldBits += (c >= 'a' && c <= 'z') ? '\x20' : '\0';
        }
    }
}

// The short-text search may read past a text's end within its memory page
// (never into another page, so never into memory that is not there); the
// places past the end are masked out, so what lies there is never used.
#if defined(__clang__) || defined(__GNUC__)
#define OST_READS_WITHIN_PAGE __attribute__((no_sanitize_address))
#else
#define OST_READS_WITHIN_PAGE
#endif

OST_READS_WITHIN_PAGE bool TOstraMask::ContainsLiteral(std::string_view Text) const {
    const std::size_t m = FLiteral.size();
    const std::size_t len = Text.size();
    if (len < m) return false;
    const auto* text = reinterpret_cast<const unsigned char*>(Text.data());
    const auto* lit = reinterpret_cast<const unsigned char*>(FLiteral.data());
    const auto* bits = reinterpret_cast<const unsigned char*>(FFoldBits.data());
    const std::size_t last = len - m;  // the last place a match can start
    auto rest = [&](std::size_t at) {
        for (std::size_t j = 1; j < m; ++j)
            if ((text[at + j] | bits[j]) != lit[j]) return false;
        return true;
    };
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen places at a time: where the first and the last byte both fit.
    // A short text is searched in blocks reaching past its end (read in
    // place, or in a zero-padded copy where the blocks would cross a page),
    // so no place is left to a byte loop.
    constexpr std::size_t Short = 64;
    alignas(16) unsigned char padded[2 * Short + 16];
    if (len <= Short) {
        // The blocks read up to `end`; a copy only when that crosses a page.
        const std::size_t blocks = (last + 16) / 16;
        const auto begin = reinterpret_cast<std::uintptr_t>(text);
        const std::uintptr_t end = begin + (blocks - 1) * 16 + (m - 1) + 15;
        if ((begin >> 12) != (end >> 12)) {
            std::memcpy(padded, text, len);
            std::memset(padded + len, 0, sizeof padded - len);
            text = padded;
        }
    }
    const __m128i first = _mm_set1_epi8(static_cast<char>(lit[0]));
    const __m128i firstBit = _mm_set1_epi8(static_cast<char>(bits[0]));
    const __m128i lastByte = _mm_set1_epi8(static_cast<char>(lit[m - 1]));
    const __m128i lastBit = _mm_set1_epi8(static_cast<char>(bits[m - 1]));
    auto block = [&](std::size_t at) OST_READS_WITHIN_PAGE {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + m - 1));
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, firstBit), first),
                                          _mm_cmpeq_epi8(_mm_or_si128(b, lastBit), lastByte));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (last - at < 15) mask &= (1u << (last - at + 1)) - 1;  // places past the last
        for (; mask; mask &= mask - 1)
            if (rest(at + static_cast<std::size_t>(__builtin_ctz(mask)))) return true;
        return false;
    };
    if (len <= Short) {
        // block() masks out the places past the last.
        for (; i <= last; i += 16)
            if (block(i)) return true;
        return false;
    }
    for (; i + 16 <= last + 1; i += 16)
        if (block(i)) return true;
    // The places left, in one block overlapping the last one.
    if (i > last) return false;
    if (last + 1 >= 16) return block(last + 1 - 16);
#endif
    for (; i <= last; ++i)
        if ((text[i] | bits[0]) == lit[0] && rest(i)) return true;
    return false;
}

namespace {

// The first place from Pos where the (folded) character C starts;
// Text.size() when there is none.
std::size_t FindChar(std::string_view Text, std::size_t Pos, char32_t C) {
    const std::size_t len = Text.size();
    if (C < 0x80) {
        // An ASCII character: a byte scan, since no byte of a longer
        // character is below 0x80.
        if (Pos >= len) return len;
        const char* base = Text.data();
        const auto* lower = static_cast<const char*>(std::memchr(base + Pos, static_cast<int>(C), len - Pos));
        std::size_t found = lower ? static_cast<std::size_t>(lower - base) : len;
        if (C >= 'a' && C <= 'z' && found > Pos) {
            const auto* upper =
                static_cast<const char*>(std::memchr(base + Pos, static_cast<int>(C - 32), found - Pos));
            if (upper) found = static_cast<std::size_t>(upper - base);
        }
        return found;
    }
    while (Pos < len) {
        std::size_t next = Pos;
        if (NextFoldedChar(Text, next) == C) return Pos;
        Pos = next;
    }
    return len;
}

}  // namespace

bool TOstraMask::Matches(std::string_view Text) const {
    if (!FLiteral.empty()) return ContainsLiteral(Text);
    const std::size_t len = Text.size();
    std::size_t t = 0;
    std::size_t p = 0;
    // The last run element reached and where its run ends now; a mismatch
    // lets that run take one more character.
    std::size_t starP = 0;
    std::size_t starT = 0;
    bool haveStar = false;
    bool arrived = true;  // reached p by a forward step (not a retry)

    for (;;) {
        const TElement& e = FElements[p];
        if (e.RunBefore) {
            if (e.End) return true;
            if (arrived) {
                starP = p;
                starT = t;
                haveStar = true;
            }
            if (!e.Single) {
                // Skip to the next occurrence of the element's character.
                starT = FindChar(Text, starT, e.Char);
                if (starT >= len) return false;
                t = starT;
            }
        }
        arrived = true;
        if (e.End) {
            if (t == len) return true;
        } else if (t < len) {
            std::size_t next = t;
            const char32_t c = NextFoldedChar(Text, next);
            if (e.Single || c == e.Char) {
                t = next;
                ++p;
                continue;
            }
        }
        // Mismatch: let the last run take one more character.
        if (!haveStar || starT >= len) return false;
        NextFoldedChar(Text, starT);
        t = starT;
        p = starP;
        arrived = false;
    }
}
