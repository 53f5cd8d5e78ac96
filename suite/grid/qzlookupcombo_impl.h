// Private to the lookup combo's sources.
#pragma once

#include <string>

namespace {

// The text without leading and trailing spaces and tabs.
inline std::string TrimSpaces(const std::string& S) {
    const auto b = S.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const auto e = S.find_last_not_of(" \t");
    return S.substr(b, e - b + 1);
}

}  // namespace
