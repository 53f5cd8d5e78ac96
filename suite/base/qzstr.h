// The suite's string routines, used to take apart its line formats (tab- and
// semicolon-separated property lines, field lists, quoted words). They work on
// bytes with 1-based positions and never fail on short or empty input.
#pragma once

#include <string>
#include <vector>

#include "suite/base/qztypes.h"

class TStrings;

// ---- Files -----------------------------------------------------------------

// The file name without its folder, cut before its first "."; a name without
// "." is given back whole.
std::string qzExtractFileStem(const std::string& Path);

// ---- Tokens and words ---------------------------------------------------------

// The next field of S from Pos up to Delim, moving Pos to the first character
// after the delimiter. A one-character Delim matches as it is; a longer one
// only as a blank-bounded word (" " + Delim + " ") in any letter case. The
// last field leaves Pos -1; a Pos past the end gives an empty token and -1;
// a Pos below 1 gives an empty token and leaves Pos alone.
std::string qzStrGetToken(const std::string& S, const std::string& Delim, int& Pos);
void qzStrGetToken(const std::string& S, const std::string& Delim, int& Pos, std::string& Token);

// Option bits of qzStrGetWord.
constexpr int qzgwSkipBlanks = 1;   // skip tabs and spaces first
constexpr int qzgwQuoted = 2;       // a word opening with '"' runs to the next '"'
constexpr int qzgwStripQuotes = 4;  // with qzgwQuoted: drop the quotes
constexpr int qzgwKeepBlanks = 8;   // the word ends only below code 32 or at a delimiter

// The next word of S from Pos when 1 <= Pos <= length (else Word and Pos stay
// as they are). A word ends at a character below code 33 (32 with
// qzgwKeepBlanks) or in Delims; such a character at Pos is a word of its own.
// Pos moves past the word.
void qzStrGetWord(const std::string& S, int& Pos, int Options, std::string& Word, const TqzCharSet& Delims);

// The next name token of Text from Pos (1-based) when 1 <= Pos <= length:
// blanks and tabs are skipped; a double- or single-quoted string is taken
// with its quotes (without its closing quote nothing is taken and Pos stays
// on the quote); else the run of "$", ".", digits, capitals and "_", or the
// single character at Pos when the run is empty. Pos moves after the token;
// Token is left alone when nothing is taken.
void qzGetNextToken(const std::string& Text, int& Pos, std::string& Token);

// Clears List and adds the pieces of S between occurrences of Delim (an empty
// S gives one empty line).
void qzStrSplit(const std::string& S, const std::string& Delim, TStrings* List);
// The ";"-separated pieces of S (an empty S gives one empty piece).
std::vector<std::string> qzSemiParts(const std::string& S);

// ---- Trimming and replacing ---------------------------------------------------

void qzStrTrim(std::string& S);  // tabs and spaces at both ends
std::string qzStrTrimLeftSet(const std::string& S, const TqzCharSet& Set);
void qzStrTrimRightSet(std::string& S, const TqzCharSet& Set);
std::string qzStrRemoveChar(const std::string& S, char Ch);
std::string qzStrReplaceChar(const std::string& S, char OldCh, char NewCh);
// Str may itself contain Ch: the scan goes on after each inserted Str.
std::string qzStrReplaceCharWithStr(const std::string& S, char Ch, const std::string& Str);

// ---- Comparing and counting ----------------------------------------------------

bool qzStrEqualNoCase(const std::string& A, const std::string& B);
int qzStrCountChar(const std::string& S, char Ch);
// The part after / before the first Ch; empty when S has none.
std::string qzStrAfterChar(const std::string& S, char Ch);
std::string qzStrBeforeChar(const std::string& S, char Ch);
// The same, also handing the part after Ch back in Rest.
std::string qzStrAfterChar(const std::string& S, char Ch, std::string& Rest);

// ---- String lists ------------------------------------------------------------

// Index of the first line equal to Text ignoring case; -1 when none.
int qzIndexOfText(TStrings* Strings, const std::string& Text);
// The first line whose first tab-separated part equals Name ignoring case.
bool qzFindTabbedLine(TStrings* List, const std::string& Name, int& Index);

// ---- Integers -----------------------------------------------------------------

int qzMaxInt(int A, int B);
int qzMax(int A, int B);
int qzMin(int A, int B);
// Value limited to [Min, Max] (Min wins when the range is empty).
int qzClamp(int Value, int Min, int Max);
