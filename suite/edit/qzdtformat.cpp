// Display formats of the date-time picker: expansion, tokens and parts.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/core/datetime.h"
#include "suite/edit/qzdatetimepicker.h"

namespace {

char Lower(char C) { return static_cast<char>(std::tolower(static_cast<unsigned char>(C))); }
char Upper(char C) { return static_cast<char>(std::toupper(static_cast<unsigned char>(C))); }

bool IsQuote(char C) { return C == '\'' || C == '"'; }

// Index just past the quoted text that opens at I (the closing quote
// included; an unclosed quote runs to the end).
size_t SkipQuoted(const std::string& S, size_t I) {
    const char q = S[I];
    const size_t close = S.find(q, I + 1);
    return close == std::string::npos ? S.size() : close + 1;
}

// A value the calendar can show (else day 0).
TDateTime Showable(TDateTime V) {
    if (!std::isfinite(V) || V < -693593.0 || V >= 2958466.0) return 0;
    return V;
}

}  // namespace

std::string qzExpandDTFormat(const std::string& Format, const TFormatSettings& Settings) {
    const std::pair<std::string, std::string> steps[] = {
        {"c", Settings.ShortDateFormat + " " + Settings.LongTimeFormat},
        {"dddddd", Settings.LongDateFormat},
        {"ddddd", Settings.ShortDateFormat},
        {"tt", Settings.LongTimeFormat},
        {"t", Settings.ShortTimeFormat},
    };
    std::string s = Format;
    for (const auto& [from, to] : steps) {
        std::string out;
        size_t i = 0;
        while (i < s.size()) {
            if (IsQuote(s[i])) {
                const size_t end = SkipQuoted(s, i);
                out.append(s, i, end - i);
                i = end;
            } else if (s.compare(i, from.size(), from) == 0) {
                out += to;
                i += from.size();
            } else {
                out += s[i++];
            }
            if (out.size() > 4096) return out;  // a format that only grows
        }
        s = out;
    }
    return s;
}

std::string qzReadDTToken(const std::string& Format, int& Pos, char Letter, const TFormatSettings& Settings) {
    const int n = static_cast<int>(Format.size());
    if (Pos < 0 || Pos >= n) return std::string();
    auto at = [&](int i) { return i >= 0 && i < n ? Format[static_cast<size_t>(i)] : '\0'; };
    if (Letter == 'a') {
        if (at(Pos + 1) == '/' && Lower(at(Pos + 2)) == 'p') {
            std::string t = Format.substr(static_cast<size_t>(Pos), 3);
            Pos += 2;
            return t;
        }
        if (Lower(at(Pos + 1)) == 'm' && at(Pos + 2) == '/' && Lower(at(Pos + 3)) == 'p' &&
            Lower(at(Pos + 4)) == 'm') {
            std::string t = Format.substr(static_cast<size_t>(Pos), 5);
            Pos += 4;
            return t;
        }
        if (Lower(at(Pos + 1)) == 'm' && Lower(at(Pos + 2)) == 'p' && Lower(at(Pos + 3)) == 'm') {
            std::string t = Format.substr(static_cast<size_t>(Pos), 4);
            Pos += 3;
            return t;
        }
        return std::string();
    }
    const int start = Pos;
    std::string t(1, Letter);
    while (Pos + 1 < n && Lower(at(Pos + 1)) == Letter) {
        t += Letter;
        ++Pos;
    }
    if (t == "m" || t == "mm") {
        // A month token after "h" and the time separator is the minute;
        // nothing before the start of the format means a month.
        const int before = start - static_cast<int>(std::string(1, Settings.TimeSeparator).size()) - 1;
        if (before >= 0 && Lower(at(before)) == 'h') t = t == "m" ? "n" : "nn";
    }
    return t;
}

bool qzDTFormatHasTime(const std::string& Expanded) {
    for (size_t i = 0; i < Expanded.size();) {
        if (IsQuote(Expanded[i])) {
            i = SkipQuoted(Expanded, i);
            continue;
        }
        const char u = Upper(Expanded[i]);
        if (u == 'H' || u == 'N' || u == 'S' || u == 'T' || u == 'C') return true;
        ++i;
    }
    return false;
}

bool qzDTFormatHasDate(const std::string& Expanded, const TFormatSettings& Settings) {
    if (Expanded.empty()) return true;
    const int n = static_cast<int>(Expanded.size());
    for (int i = 0; i < n; ++i) {
        const char c = Expanded[static_cast<size_t>(i)];
        if (IsQuote(c)) {
            i = static_cast<int>(SkipQuoted(Expanded, static_cast<size_t>(i))) - 1;
            continue;
        }
        const char l = Lower(c);
        if (l == 'a') {
            qzReadDTToken(Expanded, i, 'a', Settings);
            continue;
        }
        if (l == 'd' || l == 'y') return true;
        if (l == 'm') {
            const std::string t = qzReadDTToken(Expanded, i, 'm', Settings);
            if (t[0] == 'm') return true;
        }
    }
    return false;
}

int qzEpochYear(int TwoDigits, int Epoch) {
    if (TwoDigits < Epoch % 100) return (Epoch / 100 + 1) * 100 + TwoDigits;
    return (Epoch / 100) * 100 + TwoDigits;
}

namespace {

// The format shows a morning or afternoon marker: its hours run 1 to 12.
bool ShowsAmPm(const std::string& Expanded, const TFormatSettings& Settings) {
    const int n = static_cast<int>(Expanded.size());
    for (int i = 0; i < n; ++i) {
        if (IsQuote(Expanded[static_cast<size_t>(i)])) {
            i = static_cast<int>(SkipQuoted(Expanded, static_cast<size_t>(i))) - 1;
            continue;
        }
        if (Lower(Expanded[static_cast<size_t>(i)]) == 'a') {
            int p = i;
            if (!qzReadDTToken(Expanded, p, 'a', Settings).empty()) return true;
        }
    }
    return false;
}

struct TShownToken {
    char Kind = 0;  // the part's kind; 0: no part
    std::string Text;
};

// What a token shows of Value at Hour, Minute and Second; Token becomes the
// form its part keeps.
TShownToken ShowToken(std::string& Token, TDateTime Value, int Hour, int Minute, int Second, bool AmPm,
                      const TFormatSettings& Settings) {
    TShownToken t;
    switch (Lower(Token[0])) {
    case 'a': {
        t.Kind = 'A';
        const bool pm = Hour >= 12;
        if (Lower(Token[1]) == '/') {
            t.Text = pm ? std::string(1, Token[2]) : std::string(1, Token[0]);
        } else if (Token.size() == 5) {
            t.Text = pm ? Token.substr(3, 2) : Token.substr(0, 2);
        } else {
            t.Text = pm ? Settings.TimePMString : Settings.TimeAMString;
        }
        break;
    }
    case 'd':
        if (Token.size() >= 5) break;  // expanded already
        t.Kind = Token.size() <= 2 ? 'D' : 'W';
        t.Text = FormatDateTime(Token, Value, Settings);
        break;
    case 'm':
        t.Kind = 'M';
        t.Text = FormatDateTime(Token.size() > 4 ? "mmmm" : Token, Value, Settings);
        break;
    case 'y':
        t.Kind = 'Y';
        Token = Token.size() <= 2 ? "yy" : "yyyy";
        t.Text = FormatDateTime(Token, Value, Settings);
        break;
    case 'h': {
        t.Kind = 'H';
        Token = Token.size() == 1 ? "h" : "hh";
        int h = Hour;
        if (AmPm) h = h % 12 == 0 ? 12 : h % 12;
        t.Text = std::to_string(h);
        if (Token == "hh" && t.Text.size() < 2) t.Text = "0" + t.Text;
        break;
    }
    case 'n':
    case 's': {
        t.Kind = Upper(Token[0]);
        const bool twoDigits = Token.size() >= 2;
        Token = std::string(twoDigits ? 2 : 1, Lower(Token[0]));
        t.Text = std::to_string(t.Kind == 'N' ? Minute : Second);
        if (twoDigits && t.Text.size() < 2) t.Text = "0" + t.Text;
        break;
    }
    default: t.Text = FormatDateTime(Token, Value, Settings); break;  // milliseconds: shown only
    }
    return t;
}

}  // namespace

std::string qzRenderDTFormat(const std::string& Expanded, TDateTime Value, TqzDTKind Kind,
                             std::vector<TqzDTPart>* Parts, const TFormatSettings& Settings) {
    Value = Showable(Value);
    if (Parts) Parts->clear();
    std::string text;
    const int n = static_cast<int>(Expanded.size());
    const bool ampm = ShowsAmPm(Expanded, Settings);
    int hour = 0, minute = 0, second = 0, msec = 0;
    DecodeTime(Value, hour, minute, second, msec);
    const bool dateKind = Kind != TqzDTKind::Time, timeKind = Kind != TqzDTKind::Date;
    for (int i = 0; i < n; ++i) {
        const char c = Expanded[static_cast<size_t>(i)];
        if (IsQuote(c)) {
            const size_t end = SkipQuoted(Expanded, static_cast<size_t>(i));
            const size_t close = end > static_cast<size_t>(i) + 1 && Expanded[end - 1] == c ? end - 1 : end;
            text.append(Expanded, static_cast<size_t>(i) + 1, close - static_cast<size_t>(i) - 1);
            i = static_cast<int>(end) - 1;
            continue;
        }
        if (c == '/') {
            text += Settings.DateSeparator;
            continue;
        }
        if (c == ':') {
            text += Settings.TimeSeparator;
            continue;
        }
        const char l = Lower(c);
        if (l != 'a' && l != 'd' && l != 'm' && l != 'n' && l != 's' && l != 'h' && l != 'y' && l != 'z') {
            text += c;
            continue;
        }
        std::string token = qzReadDTToken(Expanded, i, l, Settings);
        if (token.empty()) {
            text += c;
            continue;
        }
        const TShownToken shown = ShowToken(token, Value, hour, minute, second, ampm, Settings);
        const char kind = shown.Kind;
        const bool counted = (kind == 'A' || kind == 'H' || kind == 'N' || kind == 'S') ? timeKind
                             : kind != 0                                                ? dateKind
                                                                                        : false;
        if (counted && Parts) {
            TqzDTPart part;
            part.Kind = kind;
            part.Token = token;
            part.Start = static_cast<int>(text.size());
            part.Length = static_cast<int>(shown.Text.size());
            Parts->push_back(part);
        }
        text += shown.Text;
    }
    return text;
}
