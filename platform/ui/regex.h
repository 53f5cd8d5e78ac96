// The regular-expression library the suite's edits load for their
// regular-expression masks.
//
// The library is part of the windowing layer here: LoadRegexLibrary hands
// out its two entry points, and a test switch makes loading fail so the
// callers' handling of a missing library can be tested.
//
// Entry points (both never raise and never crash; any pattern and text):
//   RegexMatch(Pattern, IgnoreCase, Text): 1 when the whole of Text matches
//     Pattern, 0 when it does not, when the pattern does not compile, or when
//     matching gives up at the backtracking limit. IgnoreCase is -1 (true) or
//     0 (false); any non-zero value ignores case. Null texts count as empty.
//   RegexSyntaxValid(Pattern): 1 when the pattern compiles, else 0.
//
// Pattern language (Perl-compatible), on UTF-8 text:
//   - The pattern must match the whole text: "[0-9]{5}" accepts "12345" and
//     refuses "123456"; no "^" or "$" is needed.
//   - Literal characters; "\" escapes a special one (". * + ? ( ) [ ] { } | \ ^ $").
//   - "." any character except a line break; classes "[abc]", ranges
//     "[a-z]", negation "[^0-9]"; "\d" digit, "\w" letter, digit or "_",
//     "\s" blank, with "\D", "\W", "\S" their opposites (ASCII only);
//     "\p{L}" any Unicode letter.
//   - Repetition: "*", "+", "?", "{n}", "{n,}", "{n,m}"; a following "?"
//     makes it lazy, a following "+" possessive.
//   - Groups "( )", non-capturing "(?: )", alternatives "|", back
//     references "\1", look-ahead "(?= )", "(?! )", look-behind "(?<= )",
//     "(?<! )"; "(?i)" ignores case from there on.
//   - One character is one Unicode code point; ignoring case folds letters
//     beyond ASCII too ("Ä" matches "ä"). Bytes that are not UTF-8 read as
//     the replacement character.
//   - Start-of-pattern settings ("(*LIMIT_MATCH=...)", "(*UTF)") and "\Q"
//     without "\E" do not compile here; a pattern that needs more than a
//     million backtracking steps on a text does not match it.
#pragma once

#include <cstdint>
#include <string>

using TRegexMatchProc = int (*)(const char* Pattern, int IgnoreCase, const char* Text);
using TRegexSyntaxValidProc = int (*)(const char* Pattern);

// The library's name as the suite asks for it.
inline constexpr const char* RegexLibraryName = "QZREGEX.DLL";

// Loads the library named Name (compared ignoring case; any other name is
// not found). Answers a handle from 32 up, or 0 when it cannot be loaded.
uintptr_t LoadRegexLibrary(const std::string& Name);
// The entry point named "RegexMatch" or "RegexSyntaxValid" of a loaded
// library; nullptr for any other name or handle.
void* GetRegexProcAddress(uintptr_t Library, const std::string& ProcName);
// Releases a handle from LoadRegexLibrary.
void FreeRegexLibrary(uintptr_t Library);

// Test switch: while true, LoadRegexLibrary fails.
void SetRegexLibraryLoadFails(bool Value);
bool RegexLibraryLoadFails();

// The entry points themselves (what GetRegexProcAddress hands out).
int RegexMatch(const char* Pattern, int IgnoreCase, const char* Text);
int RegexSyntaxValid(const char* Pattern);
