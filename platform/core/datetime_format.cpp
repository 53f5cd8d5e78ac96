// FormatDateTime and the short texts built on it.
#include <algorithm>
#include <cctype>

#include "platform/core/datetime.h"
#include "platform/core/datetime_internal.h"

namespace {

// Nested formats (c, ddddd, t, ...) inside the settings' own formats are
// expanded this deep and no deeper, so a format naming itself cannot loop.
constexpr int MaxNesting = 3;

struct TParts {
    int Year, Month, Day, DayOfWeek;
    int Hour, Min, Sec, MSec;
};

std::string Padded(int value, int width) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
    return s;
}

bool StartsWithNoCase(const std::string& s, size_t i, const char* word) {
    for (size_t k = 0; word[k]; ++k)
        if (i + k >= s.size() || std::toupper(static_cast<unsigned char>(s[i + k])) != word[k]) return false;
    return true;
}

// Whether an am/pm token follows position i, which makes hours 12-hour.
bool TwelveHourAhead(const std::string& f, size_t i) {
    for (; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '\'' || c == '"') {
            const size_t j = f.find(c, i + 1);
            if (j == std::string::npos) return false;
            i = j;
        } else if (StartsWithNoCase(f, i, "AM/PM") || StartsWithNoCase(f, i, "A/P") ||
                   StartsWithNoCase(f, i, "AMPM")) {
            return true;
        }
    }
    return false;
}

class TFormatter {
public:
    TFormatter(const TParts& p, const TFormatSettings& fs) : P(p), FS(fs) {}

    void Append(const std::string& f, int depth) {
        if (depth > MaxNesting) return;
        bool afterHour = false;  // "m" right after an hour token is the minute
        for (size_t i = 0; i < f.size();) {
            const char c = f[i];
            const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            size_t run = 1;
            if (std::isalpha(static_cast<unsigned char>(c)))
                while (i + run < f.size() && std::toupper(static_cast<unsigned char>(f[i + run])) == u) ++run;
            switch (u) {
            case '\'':
            case '"': {
                size_t j = f.find(c, i + 1);
                if (j == std::string::npos) j = f.size();
                Out.append(f, i + 1, j - i - 1);
                i = j + 1;
                continue;
            }
            case '/': Out += FS.DateSeparator; break;
            case ':': Out += FS.TimeSeparator; break;
            case 'C':
                Append(FS.ShortDateFormat, depth + 1);
                if (P.Hour || P.Min || P.Sec || P.MSec) {
                    Out += ' ';
                    Append(FS.LongTimeFormat, depth + 1);
                }
                afterHour = false;
                run = 1;
                break;
            case 'D':
                switch (run) {
                case 1: Out += std::to_string(P.Day); break;
                case 2: Out += Padded(P.Day, 2); break;
                case 3: Out += FS.ShortDayNames[P.DayOfWeek - 1]; break;
                case 4: Out += FS.LongDayNames[P.DayOfWeek - 1]; break;
                case 5: Append(FS.ShortDateFormat, depth + 1); break;
                default: Append(FS.LongDateFormat, depth + 1); run = std::min<size_t>(run, 6);
                }
                afterHour = false;
                break;
            case 'M':
                if (afterHour && run <= 2) {
                    Out += run == 1 ? std::to_string(P.Min) : Padded(P.Min, 2);
                } else {
                    switch (run) {
                    case 1: Out += std::to_string(P.Month); break;
                    case 2: Out += Padded(P.Month, 2); break;
                    case 3: Out += FS.ShortMonthNames[P.Month - 1]; break;
                    default: Out += FS.LongMonthNames[P.Month - 1]; run = std::min<size_t>(run, 4);
                    }
                }
                afterHour = false;
                break;
            case 'Y':
                Out += run <= 2 ? Padded(P.Year % 100, 2) : Padded(P.Year, 4);
                afterHour = false;
                break;
            case 'H': {
                int h = P.Hour;
                if (TwelveHourAhead(f, i + run)) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                Out += run == 1 ? std::to_string(h) : Padded(h, 2);
                afterHour = true;
                break;
            }
            case 'N':
                Out += run == 1 ? std::to_string(P.Min) : Padded(P.Min, 2);
                afterHour = false;
                break;
            case 'S':
                Out += run == 1 ? std::to_string(P.Sec) : Padded(P.Sec, 2);
                afterHour = false;
                break;
            case 'Z':
                Out += run == 1 ? std::to_string(P.MSec) : Padded(P.MSec, 3);
                afterHour = false;
                break;
            case 'T':
                Append(run == 1 ? FS.ShortTimeFormat : FS.LongTimeFormat, depth + 1);
                afterHour = false;
                break;
            case 'A':
                if (StartsWithNoCase(f, i, "AM/PM")) {
                    Out.append(f, P.Hour < 12 ? i : i + 3, 2);
                    i += 5;
                    afterHour = false;
                    continue;
                }
                if (StartsWithNoCase(f, i, "A/P")) {
                    Out += f[P.Hour < 12 ? i : i + 2];
                    i += 3;
                    afterHour = false;
                    continue;
                }
                if (StartsWithNoCase(f, i, "AMPM")) {
                    Out += P.Hour < 12 ? FS.TimeAMString : FS.TimePMString;
                    i += 4;
                    afterHour = false;
                    continue;
                }
                Out += c;
                run = 1;
                break;
            default: Out.append(f, i, run); break;
            }
            i += run;
        }
    }

    std::string Out;

private:
    const TParts& P;
    const TFormatSettings& FS;
};

}  // namespace

std::string FormatDateTime(const std::string& format, TDateTime value, const TFormatSettings& settings) {
    TParts p;
    DecodeDateFully(value, p.Year, p.Month, p.Day, p.DayOfWeek);
    DecodeTime(value, p.Hour, p.Min, p.Sec, p.MSec);
    TFormatter f(p, settings);
    f.Append(format.empty() ? std::string("c") : format, 0);
    return f.Out;
}

std::string DateToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime("ddddd", value, settings);
}

std::string TimeToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime("tt", value, settings);
}

std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime("c", value, settings);
}
