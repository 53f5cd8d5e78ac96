// Short-string routines of the to-do program: the left part of a text and
// trimming of blanks. Only the space character counts as a blank; tabs and
// other control characters stay. A short string holds at most 255 bytes
// (never cut inside a UTF-8 character).
#pragma once

#include <string>

// Longest short string, in bytes.
inline constexpr int ShortStringMax = 255;

// The first Count characters of S; the whole string when Count is at least
// its length; empty for 0 or less.
std::string LeftStr(const std::string& S, int Count);
// S without leading spaces, as a short string.
std::string TrimLeftBlanks(const std::string& S);
// S without trailing spaces, as a short string.
std::string TrimRightBlanks(const std::string& S);
// TrimLeftBlanks, then TrimRightBlanks.
std::string TrimBlanks(const std::string& S);
