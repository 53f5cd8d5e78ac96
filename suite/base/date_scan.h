// Reading dates, times and numbers out of text the user typed.
//
// The suite's controls scan a text part by part rather than through the
// platform's conversions, so two-digit years can be placed by an epoch year
// and a caret position can be mapped to the date or time part under it. All
// routines are stateless and read the process-wide format settings each time
// (short date format, date and time separators, AM/PM designators, decimal
// and thousand separators, currency string, short month names).
//
// Positions are 1-based byte indexes that a successful step advances; a step
// that fails leaves them where they were (blanks it skipped stay skipped).
// Carets count the bytes before the caret.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/datetime.h"

// Orders of day, month and year in a short date format.
constexpr int qzdoMDY = 0;
constexpr int qzdoDMY = 1;
constexpr int qzdoYMD = 2;

// Codes of the parts of a date-time text.
constexpr uint8_t qzdpDay = 0;
constexpr uint8_t qzdpMonth = 1;
constexpr uint8_t qzdpYear = 2;
constexpr uint8_t qzdpHour = 3;
constexpr uint8_t qzdpMinute = 4;
constexpr uint8_t qzdpSecond = 5;
constexpr uint8_t qzdpAmPm = 6;

// The first year of the hundred years that two-digit years fall into.
constexpr int qzDefaultEpoch = 1950;

// ---- Scanning steps --------------------------------------------------------

void qzSkipBlanks(const std::string& Text, int& Pos);
// Up to four digits (a further digit only while the value is below 1000), or
// else a short month name of three characters giving 1 to 12.
bool qzScanNumberOrMonth(const std::string& Text, int& Pos, int& Value);
bool qzScanChar(const std::string& Text, int& Pos, char Ch);
// Str (non-empty) at Pos ignoring letter case.
bool qzScanText(const std::string& Text, int& Pos, const std::string& Str);
// Two or three numbers with the date separator, in the short date format's
// order; a missing year is the current one; years up to 99 fall into the
// hundred years from Epoch.
bool qzScanDate(const std::string& Text, int& Pos, TDateTime& Date, int Epoch = qzDefaultEpoch);
// h:n[:s] with an optional AM/PM designator.
bool qzScanTime(const std::string& Text, int& Pos, TDateTime& Time);

// ---- Calendar ---------------------------------------------------------------

int qzGetDateOrder(const std::string& Format);  // qzdoMDY, qzdoDMY or qzdoYMD
bool qzIsLeapYear(int Year);
bool qzTryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
bool qzTryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
// The next / previous day, wrapping within the month.
int qzNextDayInMonth(int Year, int Month, int Day);
int qzPrevDayInMonth(int Year, int Month, int Day);

// ---- Whole texts -------------------------------------------------------------

bool qzIsDateText(const std::string& Text);  // nothing may follow the date
bool qzIsTimeText(const std::string& Text);
bool qzIsDateTimeText(const std::string& Text);  // a date followed by a time
// A date at the start of the text; anything may follow it.
bool qzTryTextToDate(const std::string& Text, TDateTime& Date);
bool qzTryTextToDateEpoch(const std::string& Text, TDateTime& Date, int Epoch);
// The value, or 0 when the text does not hold one.
TDateTime qzTextToDate(const std::string& Text);
TDateTime qzTextToTime(const std::string& Text);
TDateTime qzTextToDateTime(const std::string& Text);
// Empty, or digits with an optional leading "-" (not alone).
bool qzIsIntegerText(const std::string& Text);
// Empty, or the whole text reads as a floating-point number.
bool qzIsFloatText(const std::string& Text);

// ---- Carets and selections ----------------------------------------------------

// The part of a date or date-and-time text under the caret.
uint8_t qzDateTimePartAtPos(int Caret, const std::string& Text, bool TimeOnly);
// The part of a time text under the caret (the hour at 0).
uint8_t qzTimePartAtPos(int Caret, const std::string& Text);
// The selection (start and length in bytes) that covers the given part of
// Text; start 0 and length 0 when the text has no such part.
void qzDateTimePartSelection(uint8_t Part, const std::string& Text, bool TimeOnly, int& SelStart,
                             int& SelLength);

// Selects the given part in an edit offering Text(), SetSelStart() and
// SetSelLength().
template <class TEdit>
void qzSelectDateTimePart(uint8_t Part, TEdit* Edit, bool TimeOnly) {
    int start = 0, length = 0;
    qzDateTimePartSelection(Part, Edit->Text(), TimeOnly, start, length);
    Edit->SetSelStart(start);
    Edit->SetSelLength(length);
}

// ---- Numbers in display text ---------------------------------------------------

// Reads a number out of formatted text: "(1,234.50)" gives -1234.5, "$ 12"
// gives 12. With a DisplayFormat whose negative section has no minus sign, a
// text that only the negative value formats to gives the negative value.
// An empty text gives 0 and True.
bool qzParseFormattedFloat(const std::string& Text, double& Value, const std::string& DisplayFormat);
