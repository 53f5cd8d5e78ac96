// Text helpers shared by the edit-mask sources (UTF-8 and code points).
#pragma once

#include <string>

namespace mask_detail {
// Decodes UTF-8; a byte that starts no valid sequence stands for U+FFFD.
std::u32string Decode(const std::string& S);
std::string Encode(const std::u32string& S);
// Code-point index of a byte offset (a byte inside a character counts as it).
int IndexOfByte(const std::string& S, int BytePos);
int ByteOfIndex(const std::u32string& S, int Index);
bool IsDigit(char32_t C);
bool IsLetter(char32_t C);
char32_t ToUpper(char32_t C);
char32_t ToLower(char32_t C);
}  // namespace mask_detail
