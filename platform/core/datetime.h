// Dates and times as the platform keeps them: a TDateTime is a double whose
// whole part counts days from 30 December 1899 (day 0) and whose fraction is
// the time of day. Before day 0 the fraction still counts forward from
// midnight: -1.25 is 29 December 1899, 06:00. A TTimeStamp splits the same
// moment into a day number from 1 January of year 1 (day 1) and milliseconds
// since midnight; the table engine stores both forms.
//
// Formatting and reading follow the format settings of sysutils.h.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/clock.h"
#include "platform/core/sysutils.h"

using TDateTime = double;

struct TTimeStamp {
    int Time = 0;  // milliseconds since midnight
    int Date = 0;  // days since 1 January 0001, plus 1
};

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;
// Days between 1 January 0001 and 30 December 1899.
constexpr int DateDelta = 693594;

// ---------------------------------------------------------------------------
// Time stamps. Values outside the time stamp's range (NaN, infinities, before
// year 1) raise EConvertError; so does an invalid stamp.

TTimeStamp DateTimeToTimeStamp(TDateTime value);
TDateTime TimeStampToDateTime(const TTimeStamp& stamp);
double TimeStampToMSecs(const TTimeStamp& stamp);
// Milliseconds that do not fit a time stamp give {0, 0}, which is invalid.
TTimeStamp MSecsToTimeStamp(double msecs);

// ---------------------------------------------------------------------------
// Calendar (proleptic Gregorian). Years 1 to 9999 encode.

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);               // 0 for a month outside 1..12
TDateTime EncodeDate(int year, int month, int day);  // EConvertError when invalid
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& value);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
// Also the day of the week (1 = Sunday); answers whether the year is a leap year.
bool DecodeDateFully(TDateTime value, int& year, int& month, int& day, int& dow);
int DayOfWeek(TDateTime value);  // 1 = Sunday ... 7 = Saturday
// Adds months keeping the time of day; the day is clamped to the month's end.
TDateTime IncMonth(TDateTime value, int months = 1);
int CurrentYear();  // of the clock's Now()

// ---------------------------------------------------------------------------
// Text. Format tokens: c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy
// h hh n nn s ss z zzz t tt am/pm a/p ampm, "/" and ":" for the separators of
// the settings, and literals in '...' or "..."; m after h is the minute.

std::string FormatDateTime(const std::string& format, TDateTime value,
                           const TFormatSettings& settings = FormatSettings());
std::string DateToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());
std::string TimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());
// Short date, then the long time unless the time is midnight.
std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings());

// Dates are read in the order of the short date format: day and month of one
// or two digits (the month may be a month name), years of one to four digits,
// two-digit years by TwoDigitYearCenturyWindow, no year = the current year.
// Times are h[:n[:s[.zzz]]] with an optional AM/PM designator.
TDateTime StrToDate(const std::string& s, const TFormatSettings& settings = FormatSettings());
TDateTime StrToTime(const std::string& s, const TFormatSettings& settings = FormatSettings());
TDateTime StrToDateTime(const std::string& s, const TFormatSettings& settings = FormatSettings());
bool TryStrToDate(const std::string& s, TDateTime& value, const TFormatSettings& settings = FormatSettings());
bool TryStrToTime(const std::string& s, TDateTime& value, const TFormatSettings& settings = FormatSettings());
bool TryStrToDateTime(const std::string& s, TDateTime& value,
                      const TFormatSettings& settings = FormatSettings());
