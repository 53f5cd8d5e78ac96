#include "engine/ostra_mask.h"
#include "platform/core/text.h"

#include <cstring>

#include "engine/messages.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

namespace {

// Bytes that start no valid sequence are returned in this range.
constexpr char32_t StrayByteBase = 0x110000;

}  // namespace

char32_t OstraNextChar(std::string_view Text, std::size_t& Pos) {
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

char32_t OstraUpperChar(char32_t C) {
    if (C < 0x80) return (C >= 'a' && C <= 'z') ? C - 32 : C;
    if (C >= StrayByteBase) return C;
    std::string one;
    AppendUtf8(one, C);
    const std::string up = AnsiUpperCase(one);
    std::size_t pos = 0;
    return up.empty() ? C : OstraNextChar(up, pos);
}

TOstraMask::TOstraMask(const std::string& Pattern) : FPattern(Pattern) {
    bool pending = false;
    int runs = 0;
    int position = 0;  // 1-based character position
    std::size_t i = 0;
    while (i < Pattern.size()) {
        const char32_t c = OstraNextChar(Pattern, i);
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
            FElements.push_back({pending, false, false, OstraUpperChar(c)});
        pending = false;
    }
    FElements.push_back({pending, false, true, 0});
}

namespace {

// The next character of Text, upper-cased; ASCII without a call.
inline char32_t NextUpper(std::string_view Text, std::size_t& Pos) {
    const unsigned char c = static_cast<unsigned char>(Text[Pos]);
    if (c < 0x80) {
        ++Pos;
        return (c >= 'a' && c <= 'z') ? static_cast<char32_t>(c - 32) : c;
    }
    return OstraUpperChar(OstraNextChar(Text, Pos));
}

// The first place from Pos where the (upper-cased) character C starts;
// Text.size() when there is none.
std::size_t FindChar(std::string_view Text, std::size_t Pos, char32_t C) {
    const std::size_t len = Text.size();
    if (C < 0x80) {
        // An ASCII character: a byte scan, since no byte of a longer
        // character is below 0x80.
        if (Pos >= len) return len;
        const char* base = Text.data();
        const auto* upper = static_cast<const char*>(std::memchr(base + Pos, static_cast<int>(C), len - Pos));
        std::size_t found = upper ? static_cast<std::size_t>(upper - base) : len;
        if (C >= 'A' && C <= 'Z' && found > Pos) {
            const auto* lower =
                static_cast<const char*>(std::memchr(base + Pos, static_cast<int>(C + 32), found - Pos));
            if (lower) found = static_cast<std::size_t>(lower - base);
        }
        return found;
    }
    while (Pos < len) {
        std::size_t next = Pos;
        if (NextUpper(Text, next) == C) return Pos;
        Pos = next;
    }
    return len;
}

}  // namespace

bool TOstraMask::Matches(std::string_view Text) const {
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
            const char32_t c = NextUpper(Text, next);
            if (e.Single || c == e.Char) {
                t = next;
                ++p;
                continue;
            }
        }
        // Mismatch: let the last run take one more character.
        if (!haveStar || starT >= len) return false;
        NextUpper(Text, starT);
        t = starT;
        p = starP;
        arrived = false;
    }
}
