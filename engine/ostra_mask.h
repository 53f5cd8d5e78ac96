// TOstraMask: the wildcard matcher of LIKE conditions.
//
// "*" and "%" stand for any run of characters (none included), "?" and "_"
// for exactly one character; every other character matches itself without
// regard to case. Texts are UTF-8 and matched character by character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TOstraMask {
public:
    // Compiles the pattern; more than MaxRuns run wildcards raise
    // Exception "'%s' is an invalid mask at (%d)".
    explicit TOstraMask(const std::string& Pattern);

    bool Matches(std::string_view Text) const;
    const std::string& Pattern() const { return FPattern; }

    static constexpr int MaxRuns = 30;

private:
    struct TElement {
        bool RunBefore;  // any number of characters may come first
        bool Single;     // any one character
        bool End;        // the end of the text
        char32_t Char;   // upper-cased character to match
    };
    std::string FPattern;
    std::vector<TElement> FElements;
};

// Upper-cases one character the way the platform's ANSI upper-casing does.
char32_t OstraUpperChar(char32_t C);
// The next character of a UTF-8 text at Pos (advanced past it). A byte that
// starts no valid sequence is returned on its own, offset into a private
// range so that it only ever equals itself.
char32_t OstraNextChar(std::string_view Text, std::size_t& Pos);
