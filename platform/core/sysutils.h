// Runtime routines of the platform: the process-wide format settings, Format,
// integer and floating-point conversions, and the string helpers the rest of
// the system uses. Strings are UTF-8; positions and lengths count bytes.
// Conversion failures raise EConvertError with the platform's message texts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// ---------------------------------------------------------------------------
// Format settings

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    std::string CurrencyString = "$";
    int CurrencyFormat = 0;  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int NegCurrFormat = 0;   // 0 "($1)", 1 "-$1", ... 15 "(1 $)"
    int CurrencyDecimals = 2;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';
    std::string ShortDateFormat = "mm/dd/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn AMPM";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December"};
    std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::string LongDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                   "Thursday", "Friday", "Saturday"};
    // Two-digit years fall into the 100 years that start this many years
    // before the current year; 0 puts them into the current century.
    int TwoDigitYearCenturyWindow = 50;
};

// The settings every conversion uses unless it is given its own.
TFormatSettings& FormatSettings();
// Puts the process-wide settings back to the English defaults above.
void ResetFormatSettings();

// ---------------------------------------------------------------------------
// Format

// One argument of Format, as the platform's open array of constants holds it.
struct TFormatArg {
    enum TKind { fakInteger, fakInt64, fakUnsigned, fakFloat, fakString, fakChar, fakPointer };
    TKind Kind = fakInteger;
    int64_t IntValue = 0;
    double FloatValue = 0;
    std::string_view StrValue;
    const void* PtrValue = nullptr;

    template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>) TFormatArg(T v)
        : IntValue(static_cast<int64_t>(v)) {
        if constexpr (std::is_unsigned_v<T> && sizeof(T) >= 8)
            Kind = fakUnsigned;
        else if constexpr (sizeof(T) > 4 || (std::is_unsigned_v<T> && sizeof(T) == 4))
            Kind = fakInt64;
    }
    TFormatArg(bool) = delete;  // the platform has no Boolean format
    TFormatArg(char c) : Kind(fakChar), IntValue(static_cast<unsigned char>(c)) {}
    TFormatArg(double v) : Kind(fakFloat), FloatValue(v) {}
    TFormatArg(float v) : Kind(fakFloat), FloatValue(v) {}
    TFormatArg(long double v) : Kind(fakFloat), FloatValue(static_cast<double>(v)) {}
    TFormatArg(const char* s) : Kind(fakString), StrValue(s ? s : "") {}
    TFormatArg(const std::string& s) : Kind(fakString), StrValue(s) {}
    TFormatArg(std::string_view s) : Kind(fakString), StrValue(s) {}
    TFormatArg(const void* p) : Kind(fakPointer), PtrValue(p) {}
    TFormatArg(std::nullptr_t) : Kind(fakPointer) {}
};

// Format with the arguments given as a list (the variadic Format calls this).
// Specifiers: "%" [index ":"] ["-"] [width] ["." precision] type, where width
// and precision may be "*" (taken from the next integer argument) and type is
// one of d u x X e f g n m p s; "%%" is a percent sign.
std::string FormatArgs(std::string_view fmt, std::span<const TFormatArg> args,
                       const TFormatSettings& settings = FormatSettings());

template <class... Args>
std::string Format(std::string_view fmt, const Args&... args) {
    const TFormatArg list[] = {TFormatArg(args)..., TFormatArg(0)};
    return FormatArgs(fmt, std::span<const TFormatArg>(list, sizeof...(Args)));
}

// ---------------------------------------------------------------------------
// Integers

std::string IntToStr(int64_t value);
std::string IntToHex(int64_t value, int digits);  // upper case, at least `digits` digits
// Decimal with optional sign, or hexadecimal with "$" or "0x"; leading blanks
// are skipped, anything else after the number is an error.
int StrToInt(const std::string& s);
int64_t StrToInt64(const std::string& s);
int StrToIntDef(const std::string& s, int def);
bool TryStrToInt(const std::string& s, int& value);
bool TryStrToInt64(const std::string& s, int64_t& value);

// ---------------------------------------------------------------------------
// Floating point

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

std::string FloatToStr(double value, const TFormatSettings& settings = FormatSettings());
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings = FormatSettings());
// Section format: "positive;negative;zero" built of 0 # . , E+00 E-00 and
// quoted or plain literals. Rounds half away from zero.
std::string FormatFloat(const std::string& format, double value,
                        const TFormatSettings& settings = FormatSettings());
std::string CurrToStr(double value, const TFormatSettings& settings = FormatSettings());
// Blanks around the number are allowed; no thousand separators.
double StrToFloat(const std::string& s, const TFormatSettings& settings = FormatSettings());
bool TryStrToFloat(const std::string& s, double& value, const TFormatSettings& settings = FormatSettings());
double StrToFloatDef(const std::string& s, double def, const TFormatSettings& settings = FormatSettings());

// ---------------------------------------------------------------------------
// Strings

std::string UpperCase(const std::string& s);  // ASCII letters only
std::string LowerCase(const std::string& s);
// Also the Latin-1 and Windows-1252 letters of UTF-8 text.
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);

int CompareStr(const std::string& a, const std::string& b);   // by byte
int CompareText(const std::string& a, const std::string& b);  // ASCII case ignored
bool SameText(const std::string& a, const std::string& b);
// The message ended as a sentence: a period added unless its last character
// sorts at or before one (".", "!", ")", a blank), as message boxes show it.
std::string EndSentence(std::string message);
// Alphabetic order: accented letters sort with their base letter, then by
// accent, then (AnsiCompareStr only) lower case before upper case.
int AnsiCompareStr(const std::string& a, const std::string& b);
int AnsiCompareText(const std::string& a, const std::string& b);
bool AnsiSameText(const std::string& a, const std::string& b);

std::string Trim(const std::string& s);  // drops blanks and control characters
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
// 1-based position of `sub` in `s` at or after `offset`; 0 when absent.
int Pos(const std::string& sub, const std::string& s, int offset = 1);
// 1-based; any index and count are safe.
std::string Copy(const std::string& s, int index, int count);
std::string StringOfChar(char ch, int count);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
std::string StringReplace(const std::string& s, const std::string& oldPattern, const std::string& newPattern,
                          TReplaceFlags flags);

std::string QuotedStr(const std::string& s);  // 'it''s'
std::string AnsiQuotedStr(const std::string& s, char quote);
// The text between the quotes with doubled quotes made single; a text that
// does not start with the quote is given back unchanged.
std::string AnsiDequotedStr(const std::string& s, char quote);
bool IsDelimiter(const std::string& delimiters, const std::string& s, int index);
int LastDelimiter(const std::string& delimiters, const std::string& s);
// "-1"/"0", or "True"/"False" when useBoolStrs.
std::string BoolToStr(bool value, bool useBoolStrs = false);

// ---------------------------------------------------------------------------
// Random numbers (one process-wide generator)

int Random(int range);  // 0 <= result < range; 0 when range <= 0
double Random();        // 0 <= result < 1
void Randomize();       // seeds from the clock
void SetRandSeed(uint32_t seed);
uint32_t RandSeed();
