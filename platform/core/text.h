// UTF-8 helpers. Every string of the system holds UTF-8; sizes count bytes.
// Text read from files written by older programs may be Windows-1252 instead:
// EnsureUtf8 keeps valid UTF-8 as it is and decodes anything else as 1252, so
// such text shows with its accents rather than as garbage.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True when s is well-formed UTF-8 (no overlong forms, surrogates or code
// points above U+10FFFF).
bool IsValidUtf8(std::string_view s);

// Decodes Windows-1252 bytes to UTF-8. The five bytes 1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string Cp1252ToUtf8(std::string_view s);

// Encodes UTF-8 text as Windows-1252 into out, which has room for s.size()
// bytes (never more are needed); answers the bytes written, or -1 when a
// character has no Windows-1252 byte. Bytes that do not form UTF-8 are taken
// as Windows-1252 bytes already and copied. The reverse of Cp1252ToUtf8.
std::ptrdiff_t Utf8ToCp1252(std::string_view s, char* out);

// s itself when it is valid UTF-8, else s decoded as Windows-1252.
std::string EnsureUtf8(std::string_view s);

// The longest prefix of s of at most maxBytes bytes that does not end inside
// a multi-byte character.
std::string Utf8Truncate(std::string_view s, std::size_t maxBytes);

// Number of characters (code points) in s; a byte that does not start a valid
// sequence counts as one character.
std::size_t Utf8Length(std::string_view s);

// Appends the code point as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);
// The code point as UTF-8.
std::string Utf8Of(char32_t cp);
