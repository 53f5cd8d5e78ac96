// Reading dates and times from text: StrToDate, StrToTime, StrToDateTime.
#include <cctype>

#include "platform/core/datetime.h"
#include "platform/core/datetime_internal.h"
#include "platform/core/exceptions.h"

namespace {

enum TDateOrder { doMDY, doDMY, doYMD };

// The first of the letters d, m and y in the short date format decides.
TDateOrder DateOrderOf(const std::string& format) {
    char quote = 0;
    for (char c : format) {
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            continue;
        }
        switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'D': return doDMY;
        case 'M': return doMDY;
        case 'Y': return doYMD;
        default: break;
        }
    }
    return doMDY;
}

// Characters that may separate the numbers of a date: the date separator and
// the literal punctuation of the short date format, so that a date written by
// that format reads back.
std::string DateSeparatorsOf(const TFormatSettings& fs) {
    std::string seps(1, fs.DateSeparator);
    char quote = 0;
    for (char c : fs.ShortDateFormat) {
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c != '/' && static_cast<unsigned char>(c) < 0x80 &&
                   !std::isalnum(static_cast<unsigned char>(c)) && seps.find(c) == std::string::npos) {
            seps += c;
        }
    }
    return seps;
}

class TScanner {
public:
    TScanner(const std::string& text, const TFormatSettings& fs) : S(text), FS(fs) {}

    size_t Pos = 0;

    bool AtEnd() {
        SkipBlanks();
        return Pos >= S.size();
    }

    bool SkipBlanks() {
        const size_t start = Pos;
        while (Pos < S.size() && (S[Pos] == ' ' || S[Pos] == '\t')) ++Pos;
        return Pos > start;
    }

    // A run of digits; fails on none or more than maxDigits.
    bool ScanNumber(int& value, int& digits, int maxDigits) {
        SkipBlanks();
        size_t i = Pos;
        int v = 0;
        while (i < S.size() && std::isdigit(static_cast<unsigned char>(S[i]))) {
            if (static_cast<int>(i - Pos) >= maxDigits) return false;
            v = v * 10 + (S[i] - '0');
            ++i;
        }
        if (i == Pos) return false;
        digits = static_cast<int>(i - Pos);
        value = v;
        Pos = i;
        return true;
    }

    bool ScanChar(char c) {
        SkipBlanks();
        if (Pos < S.size() && S[Pos] == c) {
            ++Pos;
            return true;
        }
        return false;
    }

    // One of `chars`, or blanks alone when a blank is one of them.
    bool ScanOneOf(const std::string& chars) {
        const bool blanks = SkipBlanks();
        if (Pos < S.size() && chars.find(S[Pos]) != std::string::npos) {
            ++Pos;
            return true;
        }
        return blanks && chars.find(' ') != std::string::npos && Pos < S.size();
    }

    // `word` ignoring case (letters of UTF-8 text included); never an empty word.
    bool ScanWord(const std::string& word) {
        SkipBlanks();
        if (word.empty() || Pos + word.size() > S.size()) return false;
        const unsigned char a = static_cast<unsigned char>(S[Pos]);
        const unsigned char b = static_cast<unsigned char>(word[0]);
        if (a < 0x80 && b < 0x80 && std::tolower(a) != std::tolower(b)) return false;
        if (!AnsiSameText(S.substr(Pos, word.size()), word)) return false;
        Pos += word.size();
        return true;
    }

    // A month name, long before short so that "June" is not read as "Jun".
    bool ScanMonthName(int& month) {
        const size_t start = Pos;
        for (const std::string* names : {FS.LongMonthNames, FS.ShortMonthNames})
            for (int k = 0; k < 12; ++k) {
                Pos = start;
                if (ScanWord(names[k]) && !NextIsLetter()) {
                    month = k + 1;
                    return true;
                }
            }
        Pos = start;
        return false;
    }

private:
    bool NextIsLetter() const { return Pos < S.size() && std::isalpha(static_cast<unsigned char>(S[Pos])); }

    const std::string& S;
    const TFormatSettings& FS;
};

struct TDatePart {
    int Value = 0;
    int Digits = 0;
    bool IsName = false;  // a month name
};

// Two-digit years: with window W > 0 they go into the 100 years starting W
// years before the current year (W = 50 in 2025: 1975 .. 2074); with W <= 0
// into the current century.
int ExpandYear(int year, int window) {
    const int current = CurrentYear();
    if (window <= 0) return current / 100 * 100 + year;
    const int threshold = current - window;
    int result = (threshold / 100) * 100 + year;
    if (result < threshold) result += 100;
    return result;
}

bool ScanDate(TScanner& sc, const TFormatSettings& fs, TDateTime& value) {
    const TDateOrder order = DateOrderOf(fs.ShortDateFormat);
    const std::string seps = DateSeparatorsOf(fs);
    TDatePart parts[3];
    auto part = [&](TDatePart& p) {
        if (sc.ScanNumber(p.Value, p.Digits, 4)) return true;
        p.IsName = sc.ScanMonthName(p.Value);
        return p.IsName;
    };
    if (!part(parts[0]) || !sc.ScanOneOf(seps) || !part(parts[1])) return false;
    int count = 2;
    if (sc.ScanOneOf(seps)) {
        if (!part(parts[2])) return false;
        count = 3;
    }
    int yi, mi, di;
    if (count == 3) {
        switch (order) {
        case doMDY: mi = 0, di = 1, yi = 2; break;
        case doDMY: di = 0, mi = 1, yi = 2; break;
        default: yi = 0, mi = 1, di = 2; break;
        }
    } else {
        yi = -1;
        if (order == doDMY)
            di = 0, mi = 1;
        else
            mi = 0, di = 1;
    }
    for (int k = 0; k < count; ++k)
        if (k != mi && (parts[k].IsName || (parts[k].Digits > 2 && k != yi))) return false;
    int year;
    if (yi < 0) {
        year = CurrentYear();
    } else {
        year = parts[yi].Value;
        if (parts[yi].Digits <= 2) year = ExpandYear(year, fs.TwoDigitYearCenturyWindow);
    }
    return TryEncodeDate(year, parts[mi].Value, parts[di].Value, value);
}

bool ScanDesignator(TScanner& sc, const TFormatSettings& fs, int& baseHour) {
    const size_t start = sc.Pos;
    const std::string* words[4] = {&fs.TimeAMString, &fs.TimePMString, nullptr, nullptr};
    static const std::string am = "AM", pm = "PM";
    words[2] = &am;
    words[3] = &pm;
    for (int k = 0; k < 4; ++k) {
        sc.Pos = start;
        if (sc.ScanWord(*words[k])) {
            baseHour = k % 2 == 0 ? 0 : 12;
            return true;
        }
    }
    sc.Pos = start;
    return false;
}

bool ScanTime(TScanner& sc, const TFormatSettings& fs, TDateTime& value) {
    int baseHour = -1;
    ScanDesignator(sc, fs, baseHour);  // some locales put it first
    int hour, min = 0, sec = 0, msec = 0, digits;
    if (!sc.ScanNumber(hour, digits, 2)) return false;
    if (sc.ScanChar(fs.TimeSeparator)) {
        if (!sc.ScanNumber(min, digits, 2)) return false;
        if (sc.ScanChar(fs.TimeSeparator)) {
            if (!sc.ScanNumber(sec, digits, 2)) return false;
            if (sc.ScanChar(fs.DecimalSeparator) && !sc.ScanNumber(msec, digits, 3)) return false;
        }
    }
    if (baseHour < 0) ScanDesignator(sc, fs, baseHour);
    if (baseHour >= 0) {
        if (hour < 1 || hour > 12) return false;
        if (hour == 12) hour = 0;
        hour += baseHour;
    }
    return TryEncodeTime(hour, min, sec, msec, value);
}

}  // namespace

bool TryStrToDate(const std::string& s, TDateTime& value, const TFormatSettings& settings) {
    TScanner sc(s, settings);
    TDateTime d;
    if (!ScanDate(sc, settings, d) || !sc.AtEnd()) return false;
    value = d;
    return true;
}

bool TryStrToTime(const std::string& s, TDateTime& value, const TFormatSettings& settings) {
    TScanner sc(s, settings);
    TDateTime t;
    if (!ScanTime(sc, settings, t) || !sc.AtEnd()) return false;
    value = t;
    return true;
}

bool TryStrToDateTime(const std::string& s, TDateTime& value, const TFormatSettings& settings) {
    TScanner sc(s, settings);
    TDateTime d, t = 0;
    if (ScanDate(sc, settings, d)) {
        if (!sc.AtEnd() && (!ScanTime(sc, settings, t) || !sc.AtEnd())) return false;
        value = ComposeDateTime(d, t);
        return true;
    }
    return TryStrToTime(s, value, settings);
}

TDateTime StrToDate(const std::string& s, const TFormatSettings& settings) {
    TDateTime v;
    if (!TryStrToDate(s, v, settings)) throw EConvertError(Format("'%s' is not a valid date", s));
    return v;
}

TDateTime StrToTime(const std::string& s, const TFormatSettings& settings) {
    TDateTime v;
    if (!TryStrToTime(s, v, settings)) throw EConvertError(Format("'%s' is not a valid time", s));
    return v;
}

TDateTime StrToDateTime(const std::string& s, const TFormatSettings& settings) {
    TDateTime v;
    if (!TryStrToDateTime(s, v, settings))
        throw EConvertError(Format("'%s' is not a valid date and time", s));
    return v;
}
