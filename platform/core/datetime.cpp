// Calendar arithmetic and the conversions between TDateTime and TTimeStamp.
#include "platform/core/datetime.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/core/datetime_internal.h"
#include "platform/core/exceptions.h"

namespace {

constexpr int DaysBeforeMonth[2][13] = {{0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
                                        {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};

[[noreturn]] void OutOfRange() { throw EConvertError("Date and time value out of range"); }

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
    static const int days[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month];
}

// ---------------------------------------------------------------------------
// Time stamps

TTimeStamp DateTimeToTimeStamp(TDateTime value) {
    if (!std::isfinite(value)) OutOfRange();
    double whole = std::trunc(value);
    // The fraction counts forward from midnight on both sides of day 0.
    long long ms = std::llround(std::fabs(value - whole) * MSecsPerDay);
    if (ms >= MSecsPerDay) {
        ms -= MSecsPerDay;
        whole += 1;
    }
    const double day = whole + DateDelta;
    if (day < 1 || day > INT_MAX) OutOfRange();
    TTimeStamp ts;
    ts.Date = static_cast<int>(day);
    ts.Time = static_cast<int>(ms);
    return ts;
}

TDateTime TimeStampToDateTime(const TTimeStamp& stamp) {
    if (stamp.Time < 0 || stamp.Time >= MSecsPerDay || stamp.Date < 1)
        throw EConvertError(Format("'%d.%d' is not a valid timestamp", stamp.Date, stamp.Time));
    return ComposeDateTime(static_cast<double>(stamp.Date) - DateDelta,
                           static_cast<double>(stamp.Time) / MSecsPerDay);
}

double TimeStampToMSecs(const TTimeStamp& stamp) {
    return static_cast<double>(stamp.Date) * MSecsPerDay + stamp.Time;
}

TTimeStamp MSecsToTimeStamp(double msecs) {
    TTimeStamp ts;
    if (!std::isfinite(msecs) || msecs < 0 || msecs >= (static_cast<double>(INT_MAX) + 1) * MSecsPerDay)
        return ts;
    const long long total = static_cast<long long>(std::floor(msecs));
    ts.Date = static_cast<int>(total / MSecsPerDay);
    ts.Time = static_cast<int>(total % MSecsPerDay);
    return ts;
}

TDateTime ComposeDateTime(double date, double time) { return date < 0 ? date - time : date + time; }

// ---------------------------------------------------------------------------
// Encoding and decoding

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    const int y = year - 1;
    value = DaysBeforeMonth[IsLeapYear(year)][month] + day + y * 365 + y / 4 - y / 100 + y / 400 - DateDelta;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime v;
    if (!TryEncodeDate(year, month, day, v)) throw EConvertError("Invalid argument to date encode");
    return v;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& value) {
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    value = ((hour * 60 + min) * 60000.0 + sec * 1000 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime v;
    if (!TryEncodeTime(hour, min, sec, msec, v)) throw EConvertError("Invalid argument to time encode");
    return v;
}

void DecodeStampDate(int stampDate, int& year, int& month, int& day) {
    long long n = static_cast<long long>(stampDate) - 1;  // days since 1 January 0001
    const long long y400 = n / 146097;
    n %= 146097;
    long long y100 = n / 36524;
    n %= 36524;
    if (y100 == 4) {  // 31 December of a 400th year
        y100 = 3;
        n += 36524;
    }
    const long long y4 = n / 1461;
    n %= 1461;
    long long y1 = n / 365;
    n %= 365;
    if (y1 == 4) {  // 31 December of a leap year
        y1 = 3;
        n += 365;
    }
    year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    const int leap = IsLeapYear(year);
    month = 1;
    while (month < 12 && DaysBeforeMonth[leap][month + 1] <= n) ++month;
    day = static_cast<int>(n - DaysBeforeMonth[leap][month]) + 1;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    DecodeStampDate(DateTimeToTimeStamp(value).Date, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec) {
    int t = DateTimeToTimeStamp(value).Time;
    hour = t / 3600000;
    t %= 3600000;
    min = t / 60000;
    t %= 60000;
    sec = t / 1000;
    msec = t % 1000;
}

bool DecodeDateFully(TDateTime value, int& year, int& month, int& day, int& dow) {
    const TTimeStamp ts = DateTimeToTimeStamp(value);
    DecodeStampDate(ts.Date, year, month, day);
    dow = ts.Date % 7 + 1;  // 1 January 0001 was a Monday
    return IsLeapYear(year);
}

int DayOfWeek(TDateTime value) { return DateTimeToTimeStamp(value).Date % 7 + 1; }

TDateTime IncMonth(TDateTime value, int months) {
    const TTimeStamp ts = DateTimeToTimeStamp(value);
    int year, month, day;
    DecodeStampDate(ts.Date, year, month, day);
    const long long total = static_cast<long long>(year) * 12 + (month - 1) + months;
    const long long newYear = total / 12;  // total stays positive within the encodable years
    const int newMonth = static_cast<int>(total % 12) + 1;
    if (total < 12 || newYear > 9999) throw EConvertError("Invalid argument to date encode");
    day = std::min(day, DaysInAMonth(static_cast<int>(newYear), newMonth));
    return ComposeDateTime(EncodeDate(static_cast<int>(newYear), newMonth, day),
                           static_cast<double>(ts.Time) / MSecsPerDay);
}

int CurrentYear() {
    int y, m, d;
    DecodeDate(Now(), y, m, d);
    return y;
}
