// The left part of a text and the trimming of spaces at either end.
#include "app/str_utils.h"

#include "platform/core/text.h"

std::string LeftStr(const std::string& S, int Count) {
    if (Count <= 0) return std::string();
    // Count characters, not bytes: skip the continuation bytes of each one.
    size_t pos = 0;
    int chars = 0;
    while (pos < S.size() && chars < Count) {
        ++pos;
        while (pos < S.size() && (static_cast<unsigned char>(S[pos]) & 0xC0) == 0x80) ++pos;
        ++chars;
    }
    return S.substr(0, pos);
}

std::string TrimLeftBlanks(const std::string& S) {
    const size_t first = S.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return Utf8Truncate(S.substr(first), ShortStringMax);
}

std::string TrimRightBlanks(const std::string& S) {
    const std::string shortS = Utf8Truncate(S, ShortStringMax);
    const size_t last = shortS.find_last_not_of(' ');
    if (last == std::string::npos) return std::string();
    return shortS.substr(0, last + 1);
}

std::string TrimBlanks(const std::string& S) { return TrimRightBlanks(TrimLeftBlanks(S)); }
