// TOstraMask: the wildcard matcher of LIKE conditions.
//
// "*" and "%" stand for any run of characters (none included), "?" and "_"
// for exactly one character; every other character matches itself without
// regard to case (the engine's case fold). Texts are UTF-8 and matched
// character by character.
//
// A "_" or "?" right after a "%" or "*" keeps its meaning, exactly one
// character: dropping it would let 'a%_' match "a".
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
    // True when the pattern is an ASCII text between two run wildcards
    // ("%text%"), matched as one search for the text.
    bool IsAsciiContains() const { return !FLiteral.empty(); }

    static constexpr int MaxRuns = 30;

private:
    struct TElement {
        bool RunBefore;  // any number of characters may come first
        bool Single;     // any one character
        bool End;        // the end of the text
        char32_t Char;   // folded character to match (platform/core/case_fold.h)
    };
    bool ContainsLiteral(std::string_view Text) const;

    std::string FPattern;
    std::vector<TElement> FElements;
    // "%text%" with an ASCII text: the folded text, and for each of its bytes
    // the bit that folds an ASCII letter (0x20 for letters, else 0).
    std::string FLiteral;
    std::string FFoldBits;
};
