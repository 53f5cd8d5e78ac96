// The suite's binding of the regular-expression library "QZREGEX.DLL",
// which the edits' regular-expression masks match their text with.
//
// The library is loaded on the first match; a library that cannot be loaded
// is reported once per run ("Unable to load QZREGEX.DLL for regular
// expression support.") and tried again at every later match. For the
// pattern language see platform/ui/regex.h: the whole text must match.
#pragma once

#include <string>

// The message shown when the library cannot be loaded.
inline constexpr const char* qzRegexLoadErrorMessage =
    "Unable to load QZREGEX.DLL for regular expression support.";

// Loads the library when it is not loaded yet; answers whether it is.
bool qzLoadRegexLibrary();
// False when the library cannot be loaded; True for an empty Text; else
// whether the whole of Text matches Pattern (ignoring case when asked).
bool qzMatchRegex(const std::string& Pattern, bool IgnoreCase, const std::string& Text);
// Frees the library and clears its entry points (also done at program end).
void qzUnloadRegexLibrary();
// Whether the library is loaded now.
bool qzRegexLibraryLoaded();

// Tests only: forgets that the load failure was reported this run.
void qzResetRegexLoadReport();
