// The scanners for numbers, month names, dates and times in typed text, the date order
// of the format settings, and the date or time part under the caret.
#include "suite/base/date_scan.h"

#include <algorithm>
#include <vector>

#include "platform/core/case_fold.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

namespace {

int Length(const std::string& s) { return static_cast<int>(s.size()); }
// The byte at 1-based position k; 0 outside the text.
char At(const std::string& s, int k) {
    return (k >= 1 && k <= Length(s)) ? s[static_cast<std::size_t>(k - 1)] : '\0';
}
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Bytes taken by `count` characters of UTF-8 text from 1-based position k.
int CharBytes(const std::string& s, int k, int count) {
    int end = k;
    for (int n = 0; n < count && end <= Length(s); ++n) {
        ++end;
        while (end <= Length(s) && (static_cast<unsigned char>(At(s, end)) & 0xC0) == 0x80) ++end;
    }
    return end - k;
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    return (month == 2 && qzIsLeapYear(year)) ? 29 : days[month - 1];
}

// 0-based offsets of every `sep` in text from `from` on.
std::vector<int> SeparatorOffsets(const std::string& text, int from, char sep) {
    std::vector<int> offsets;
    for (int k = std::max(from, 0); k < Length(text); ++k)
        if (text[static_cast<std::size_t>(k)] == sep) offsets.push_back(k);
    return offsets;
}

// Field `index` of text from offset `from`, split at `sep`: its start offset
// and length; False when the text has fewer fields.
bool FieldAt(const std::string& text, int from, char sep, int index, int& start, int& length) {
    const std::vector<int> seps = SeparatorOffsets(text, from, sep);
    if (index < 0 || index > static_cast<int>(seps.size())) return false;
    start = index == 0 ? std::max(from, 0) : seps[static_cast<std::size_t>(index - 1)] + 1;
    const int end =
        index < static_cast<int>(seps.size()) ? seps[static_cast<std::size_t>(index)] : Length(text);
    length = std::max(0, end - start);
    return true;
}

// The index of the field holding the caret: the number of separators before it.
int FieldOfCaret(const std::string& text, int from, char sep, int caret) {
    int field = 0;
    for (const int offset : SeparatorOffsets(text, from, sep))
        if (offset < caret) ++field;
    return field;
}

// The digits of the number that starts at 1-based From, blanks skipped.
int DigitCount(const std::string& s, int From) {
    int k = std::max(From, 1), n = 0;
    while (At(s, k) == ' ') ++k;
    for (; IsDigit(At(s, k)); ++k) ++n;
    return n;
}

// Date plus time as one value; before day 0 the time still counts forward
// from midnight, so it is subtracted there.
TDateTime Combine(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }

}  // namespace

// ---------------------------------------------------------------------------
// Scanning steps

void qzSkipBlanks(const std::string& Text, int& Pos) {
    if (Pos < 1) return;
    while (At(Text, Pos) == ' ') ++Pos;
}

bool qzScanNumberOrMonth(const std::string& Text, int& Pos, int& Value) {
    qzSkipBlanks(Text, Pos);
    if (Pos < 1 || Pos > Length(Text)) return false;
    if (IsDigit(At(Text, Pos))) {
        unsigned value = 0;
        bool first = true;
        while (IsDigit(At(Text, Pos)) && (first || value < 1000)) {
            value = value * 10 + static_cast<unsigned>(At(Text, Pos) - '0');
            ++Pos;
            first = false;
        }
        Value = static_cast<int>(value);
        return true;
    }
    const int bytes = CharBytes(Text, Pos, 3);
    const std::string word = Text.substr(static_cast<std::size_t>(Pos - 1), static_cast<std::size_t>(bytes));
    const TFormatSettings& fs = FormatSettings();
    for (int m = 0; m < 12; ++m) {
        if (!fs.ShortMonthNames[m].empty() && SameFolded(fs.ShortMonthNames[m], word)) {
            Value = m + 1;
            Pos += bytes;
            return true;
        }
    }
    return false;
}

bool qzScanChar(const std::string& Text, int& Pos, char Ch) {
    qzSkipBlanks(Text, Pos);
    if (Pos >= 1 && Pos <= Length(Text) && At(Text, Pos) == Ch) {
        ++Pos;
        return true;
    }
    return false;
}

bool qzScanText(const std::string& Text, int& Pos, const std::string& Str) {
    if (Str.empty()) return false;
    qzSkipBlanks(Text, Pos);
    if (Pos < 1 || Pos - 1 + Length(Str) > Length(Text)) return false;
    if (!SameFolded(std::string_view(Text).substr(static_cast<std::size_t>(Pos - 1), Str.size()), Str))
        return false;
    Pos += Length(Str);
    return true;
}

bool qzScanDate(const std::string& Text, int& Pos, TDateTime& Date, int Epoch) {
    const TFormatSettings& fs = FormatSettings();
    const int order = qzGetDateOrder(fs.ShortDateFormat);
    const char sep = fs.DateSeparator;
    const int entry = Pos;
    int n1 = 0, n2 = 0, n3 = 0;
    if (!(qzScanNumberOrMonth(Text, Pos, n1) && qzScanChar(Text, Pos, sep) &&
          qzScanNumberOrMonth(Text, Pos, n2))) {
        Pos = entry;
        return false;
    }
    long long year;
    int month, day;
    if (qzScanChar(Text, Pos, sep)) {
        const int thirdFrom = Pos;
        if (!qzScanNumberOrMonth(Text, Pos, n3)) {
            Pos = entry;
            return false;
        }
        // digits the year was written with: three or four are the year itself
        const int yearDigits = order == qzdoYMD ? DigitCount(Text, entry) : DigitCount(Text, thirdFrom);
        switch (order) {
        case qzdoDMY:
            year = n3;
            month = n2;
            day = n1;
            break;
        case qzdoYMD:
            year = n1;
            month = n2;
            day = n3;
            break;
        default:
            year = n3;
            month = n1;
            day = n2;
            break;
        }
        if (year <= 99 && (yearDigits <= 2 || year == 0)) {
            year += (static_cast<long long>(Epoch) / 100) * 100;
            if (year < Epoch) year += 100;
        }
    } else {
        year = CurrentYear();
        if (order == qzdoDMY) {
            day = n1;
            month = n2;
        } else {
            month = n1;
            day = n2;
        }
    }
    qzSkipBlanks(Text, Pos);
    if (year < 1 || year > 9999 || !qzTryEncodeDate(static_cast<int>(year), month, day, Date)) {
        Pos = entry;
        return false;
    }
    return true;
}

bool qzScanTime(const std::string& Text, int& Pos, TDateTime& Time) {
    const TFormatSettings& fs = FormatSettings();
    const char sep = fs.TimeSeparator;
    const int entry = Pos;
    int hour = 0, minute = 0, second = 0;
    const auto fail = [&] {
        Pos = entry;
        return false;
    };
    if (!(qzScanNumberOrMonth(Text, Pos, hour) && qzScanChar(Text, Pos, sep) &&
          qzScanNumberOrMonth(Text, Pos, minute)))
        return fail();
    if (qzScanChar(Text, Pos, sep) && !qzScanNumberOrMonth(Text, Pos, second)) return fail();
    int base = -1;
    if (qzScanText(Text, Pos, fs.TimeAMString) || qzScanText(Text, Pos, "AM"))
        base = 0;
    else if (qzScanText(Text, Pos, fs.TimePMString) || qzScanText(Text, Pos, "PM"))
        base = 12;
    if (base >= 0) {
        if (hour < 1 || hour > 12) return fail();
        if (hour == 12) hour = 0;
        hour += base;
    }
    qzSkipBlanks(Text, Pos);
    if (!qzTryEncodeTime(hour, minute, second, 0, Time)) return fail();
    return true;
}

// ---------------------------------------------------------------------------
// Calendar

int qzGetDateOrder(const std::string& Format) {
    for (const char ch : Format) {
        switch (ch) {
        case 'D':
        case 'd': return qzdoDMY;
        case 'M':
        case 'm': return qzdoMDY;
        case 'Y':
        case 'y': return qzdoYMD;
        default: break;
        }
    }
    return qzdoMDY;
}

bool qzIsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

bool qzTryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month))
        return false;
    int days = Day;
    for (int m = 1; m < Month; ++m) days += DaysInMonth(Year, m);
    const int y = Year - 1;
    Date = static_cast<TDateTime>(days + y * 365 + y / 4 - y / 100 + y / 400 - 693594);
    return true;
}

bool qzTryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
    if (Hour < 0 || Hour >= 24 || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 || MSec >= 1000)
        return false;
    Time = static_cast<TDateTime>((Hour * 60 + Min) * 60000 + Sec * 1000 + MSec) / 86400000.0;
    return true;
}

int qzNextDayInMonth(int Year, int Month, int Day) { return Day >= DaysInMonth(Year, Month) ? 1 : Day + 1; }

int qzPrevDayInMonth(int Year, int Month, int Day) { return Day <= 1 ? DaysInMonth(Year, Month) : Day - 1; }

// ---------------------------------------------------------------------------
// Whole texts

bool qzIsDateText(const std::string& Text) {
    int pos = 1;
    TDateTime date;
    return qzScanDate(Text, pos, date, qzDefaultEpoch) && pos > Length(Text);
}

bool qzIsTimeText(const std::string& Text) {
    int pos = 1;
    TDateTime time;
    return qzScanTime(Text, pos, time) && pos > Length(Text);
}

bool qzIsDateTimeText(const std::string& Text) {
    int pos = 1;
    TDateTime date, time;
    return qzScanDate(Text, pos, date, qzDefaultEpoch) && qzScanTime(Text, pos, time) && pos > Length(Text);
}

bool qzTryTextToDate(const std::string& Text, TDateTime& Date) {
    return qzTryTextToDateEpoch(Text, Date, qzDefaultEpoch);
}

bool qzTryTextToDateEpoch(const std::string& Text, TDateTime& Date, int Epoch) {
    int pos = 1;
    return qzScanDate(Text, pos, Date, Epoch);
}

TDateTime qzTextToDate(const std::string& Text) {
    TDateTime date;
    return qzTryTextToDate(Text, date) ? date : 0;
}

TDateTime qzTextToTime(const std::string& Text) {
    int pos = 1;
    TDateTime time;
    return (qzScanTime(Text, pos, time) && pos > Length(Text)) ? time : 0;
}

TDateTime qzTextToDateTime(const std::string& Text) {
    int pos = 1;
    TDateTime date, time;
    if (qzScanDate(Text, pos, date, qzDefaultEpoch) && qzScanTime(Text, pos, time) && pos > Length(Text))
        return Combine(date, time);
    return 0;
}

bool qzIsIntegerText(const std::string& Text) {
    for (std::size_t k = 0; k < Text.size(); ++k) {
        if (IsDigit(Text[k])) continue;
        if (k == 0 && Text[k] == '-' && Text.size() >= 2) continue;
        return false;
    }
    return true;
}

bool qzIsFloatText(const std::string& Text) {
    if (Text.empty()) return true;
    double value;
    return TryStrToFloat(Text, value);
}

// ---------------------------------------------------------------------------
// Carets and selections

uint8_t qzDateTimePartAtPos(int Caret, const std::string& Text, bool TimeOnly) {
    const TFormatSettings& fs = FormatSettings();
    int timeFrom = 0;  // offset where the time fields start
    if (!TimeOnly) {
        int pos = 1;
        TDateTime date;
        const bool scanned = qzScanDate(Text, pos, date, qzDefaultEpoch);
        const bool afterBlank = pos >= 2 && At(Text, pos - 1) == ' ' && Caret == pos - 1;
        if (!scanned || (Caret < pos && !afterBlank)) {
            const int order = qzGetDateOrder(fs.ShortDateFormat);
            switch (FieldOfCaret(Text, 0, fs.DateSeparator, Caret)) {
            case 0: return order == qzdoMDY ? qzdpMonth : order == qzdoDMY ? qzdpDay : qzdpYear;
            case 1: return order == qzdoMDY ? qzdpDay : qzdpMonth;
            case 2: return order == qzdoYMD ? qzdpDay : qzdpYear;
            default: return qzdpDay;
            }
        }
        timeFrom = pos - 1;
    }
    const int field = FieldOfCaret(Text, timeFrom, fs.TimeSeparator, Caret);
    if (field == 0) return qzdpHour;
    if (field == 1) return qzdpMinute;
    if (field == 2) {
        int start = 0, length = 0;
        if (FieldAt(Text, timeFrom, fs.TimeSeparator, 2, start, length) && Caret - start > 2) return qzdpAmPm;
    }
    return qzdpSecond;
}

uint8_t qzTimePartAtPos(int Caret, const std::string& Text) {
    return Caret == 0 ? qzdpHour : qzDateTimePartAtPos(Caret, Text, true);
}

void qzDateTimePartSelection(uint8_t Part, const std::string& Text, bool TimeOnly, int& SelStart,
                             int& SelLength) {
    SelStart = 0;
    SelLength = 0;
    const TFormatSettings& fs = FormatSettings();
    int start = 0, length = 0;
    if (Part >= qzdpHour && Part <= qzdpAmPm) {
        int from = 0;
        if (!TimeOnly) {
            int pos = 1;
            TDateTime date;
            if (!qzScanDate(Text, pos, date, qzDefaultEpoch)) return;
            from = pos - 1;
        }
        const int index = Part == qzdpHour ? 0 : Part == qzdpMinute ? 1 : 2;
        if (!FieldAt(Text, from, fs.TimeSeparator, index, start, length)) return;
        if (Part == qzdpSecond || Part == qzdpAmPm) {
            const std::string field =
                Text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
            const std::size_t blank = field.find(' ');
            if (Part == qzdpSecond) {
                if (blank != std::string::npos) length = static_cast<int>(blank);
            } else if (blank == std::string::npos) {
                start += length;
                length = 0;
            } else {
                start += static_cast<int>(blank) + 1;
                length -= static_cast<int>(blank) + 1;
            }
        }
    } else if (Part <= qzdpYear) {
        const int order = qzGetDateOrder(fs.ShortDateFormat);
        int index;
        if (Part == qzdpDay)
            index = order == qzdoMDY ? 1 : order == qzdoDMY ? 0 : 2;
        else if (Part == qzdpMonth)
            index = order == qzdoMDY ? 0 : 1;
        else
            index = order == qzdoYMD ? 0 : 2;
        if (!FieldAt(Text, 0, fs.DateSeparator, index, start, length)) return;
        const std::size_t blank =
            Text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length)).find(' ');
        if (blank != std::string::npos) length = static_cast<int>(blank);
    } else {
        return;
    }
    SelStart = start;
    SelLength = length;
}

// ---------------------------------------------------------------------------
// Numbers in display text

bool qzParseFormattedFloat(const std::string& Text, double& Value, const std::string& DisplayFormat) {
    Value = 0;
    if (Text.empty()) return true;
    const TFormatSettings& fs = FormatSettings();
    const char dec = fs.DecimalSeparator;
    const auto startsNumber = [&](char c, bool minusToo) {
        return c == '(' || IsDigit(c) || c == dec || (minusToo && c == '-');
    };
    std::size_t k = 0;
    while (k < Text.size() && !startsNumber(Text[k], true)) ++k;
    const bool negative = k < Text.size() && Text[k] == '-';
    if (negative) {
        ++k;
        while (k < Text.size() && !startsNumber(Text[k], false)) ++k;
    }
    std::string number;
    bool afterExponent = false;
    for (; k < Text.size(); ++k) {
        const char c = Text[k];
        const bool wasExponent = afterExponent;
        afterExponent = false;
        if (IsDigit(c) || c == dec) {
            number += c;
        } else if (c == '(') {
            number += '-';
        } else if (c == 'E' || c == 'e') {
            const char next = k + 1 < Text.size() ? Text[k + 1] : '\0';
            if (next == ' ' || next == '+' || next == '-' || IsDigit(next)) {
                number += 'E';
                afterExponent = true;
            }
        } else if ((c == '+' || c == '-') && wasExponent) {
            number += c;
        }
        // Everything else (parentheses, thousand separators, currency, blanks,
        // letters, other signs) is passed over.
    }
    if (negative) number.insert(number.begin(), '-');
    double value;
    if (!TryStrToFloat(number, value)) return false;
    Value = value;
    if (Value > 0 && !DisplayFormat.empty()) {
        try {
            if (FormatFloat(DisplayFormat, Value) != Text && FormatFloat(DisplayFormat, -Value) == Text)
                Value = -Value;
        } catch (const Exception&) {
            // A display format that does not format leaves the value as read.
        }
    }
    return true;
}
