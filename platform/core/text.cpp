// UTF-8 checks, Windows-1252 conversions both ways, and truncating and measuring UTF-8
// texts without splitting a character.
#include "platform/core/text.h"

#include <cstdint>
#include <cstring>

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when the bytes
// there do not form one.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) return 1;
    std::size_t len;
    uint32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return 0;  // continuation byte, C0/C1 (always overlong) or F5..FF
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) return 0;  // overlong
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// Code points of the bytes 0x80..0x9F; the rest of 1252 equals Latin-1.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        // ASCII sixteen bytes at a time; in a block with a high byte the
        // bytes before it are skipped, then its sequence is checked.
        if (i + 16 <= s.size()) {
            uint64_t a, b;
            std::memcpy(&a, s.data() + i, 8);
            std::memcpy(&b, s.data() + i + 8, 8);
            if (((a | b) & 0x8080808080808080ull) == 0) {
                i += 16;
                continue;
            }
            while (static_cast<unsigned char>(s[i]) < 0x80) ++i;  // to the block's high byte
        }
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t len = SequenceLength(s, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (const char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += ch;
        else if (b < 0xA0)
            AppendUtf8(out, kCp1252High[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::ptrdiff_t Utf8ToCp1252(std::string_view s, char* out) {
    char* const start = out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            *out++ = s[i++];
            continue;
        }
        const std::size_t len = SequenceLength(s, i);
        if (len == 0) {  // not UTF-8: a Windows-1252 byte already
            *out++ = s[i++];
            continue;
        }
        char32_t cp = len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += len;
        int byte = -1;
        if (cp >= 0xA0 && cp <= 0xFF) {
            byte = static_cast<int>(cp);
        } else {
            for (int k = 0; k < 32; ++k)
                if (kCp1252High[k] == cp) byte = 0x80 + k;
        }
        if (byte < 0) return -1;
        *out++ = static_cast<char>(byte);
    }
    return out - start;
}

std::string EnsureUtf8(std::string_view s) {
    if (IsValidUtf8(s)) return std::string(s);
    return Cp1252ToUtf8(s);
}

std::string Utf8Truncate(std::string_view s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return std::string(s);
    // Step back over continuation bytes to the start of the character that
    // the cut would split; an invalid byte run is cut like single bytes.
    std::size_t cut = maxBytes;
    std::size_t start = cut;
    while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80 && cut - start < 3) --start;
    if (start < cut) {
        const std::size_t len = SequenceLength(s, start);
        if (len > 0 && start + len > cut) cut = start;
    }
    return std::string(s.substr(0, cut));
}

std::size_t Utf8Length(std::string_view s) {
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t len = SequenceLength(s, i);
        i += len == 0 ? 1 : len;
        ++count;
    }
    return count;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf8Of(char32_t cp) {
    std::string s;
    AppendUtf8(s, cp);
    return s;
}
