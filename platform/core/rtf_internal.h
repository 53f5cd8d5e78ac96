// What the RTF reader, writer and picture parsing share.
#pragma once

#include <string>
#include <string_view>

namespace rtf_detail {

constexpr int kMaxParam = 1 << 30;  // numeric parameters are clamped to this

inline bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A font name as the table can hold it: no ';', no blanks at either end.
std::string FontNameOf(std::string_view name);

}  // namespace rtf_detail
