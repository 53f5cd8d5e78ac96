// The one case fold: every comparison made without regard to case (the
// engine's filters, Locate and sort, the suite's filters, searches and
// lookups, the SQLite connection's FOLD collation and upper()/lower()) goes
// through it, so that they all agree on which texts are equal.
//
// Characters fold by Unicode's simple case folding (CaseFolding.txt, the
// table in case_fold_table.inc made by scripts/gen_case_fold.py), leaving
// out the folds that would change a character's UTF-8 length (the Kelvin
// sign, long s, capital sharp s, ...): a character and its fold always take
// the same number of bytes, so the folded text has the length of the text,
// ASCII folds to ASCII and nothing else does. Bytes that are not UTF-8 stay
// as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The fold of one character.
char32_t FoldChar(char32_t C);

// The next character of a UTF-8 text at Pos (advanced past it). A byte that
// starts no valid sequence is returned on its own, offset into a private
// range so that it only ever equals itself.
char32_t NextUtf8Char(std::string_view Text, std::size_t& Pos);

// The next character at Pos, folded; ASCII without a call.
inline char32_t NextFoldedChar(std::string_view Text, std::size_t& Pos) {
    const unsigned char c = static_cast<unsigned char>(Text[Pos]);
    if (c < 0x80) {
        ++Pos;
        return (c >= 'A' && c <= 'Z') ? static_cast<char32_t>(c + 32) : c;
    }
    return FoldChar(NextUtf8Char(Text, Pos));
}

// Writes Count bytes of the folded text from byte From on into Out,
// zero-padded past its end.
void FoldBytes(std::string_view Text, std::size_t From, uint8_t* Out, std::size_t Count);

// Eight bytes of the folded text from byte From, big-endian, zero-padded.
uint64_t FoldedWord(std::string_view Text, std::size_t From);

// Eight bytes of a text from byte From (folded when asked), big-endian and
// zero-padded: a sort key whose order is the text rule's over those bytes.
inline uint64_t TextSortWord(std::string_view Text, std::size_t From, bool Fold) {
    if (Fold) return FoldedWord(Text, From);
    uint64_t word = 0;
    for (std::size_t i = From; i < From + 8; ++i)
        word = (word << 8) | (i < Text.size() ? static_cast<uint8_t>(Text[i]) : 0u);
    return word;
}

// The folded texts compared byte by byte: negative, 0 or positive, a text
// before every longer text it begins.
int CompareFolded(std::string_view A, std::string_view B);

// The folded text (its length kept).
std::string FoldCase(std::string_view Text);
// The texts are equal under the fold.
bool SameFolded(std::string_view A, std::string_view B);

// Upper and lower case that follow the fold: texts equal under the fold have
// the same upper and the same lower case, and the other way round; every
// character keeps its UTF-8 length, bytes that are not UTF-8 stay.
char32_t UpperChar(char32_t C);
char32_t LowerChar(char32_t C);
std::string UnicodeUpperCase(std::string_view Text);
std::string UnicodeLowerCase(std::string_view Text);
