// The date-time picker's display formats: expansion, tokens and the parts
// of the shown text, for any format, value, kind and format settings. No
// crash, no over-read, no hang; every part lies inside the shown text, in
// order and without overlap, and the token reader ends on a character of
// the token.
//
// Input: byte 0 the kind and settings choice, bytes 1 to 8 the value,
// byte 9 the format's length, byte 10 a date separator, byte 11 a time
// separator, the format, then the short date format's and long time
// format's texts (length byte first).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gui_fuzz_support.h"
#include "suite/edit/qzdatetimepicker.h"

namespace {

void Fail(const char* What, const std::string& Format) {
    std::fprintf(stderr, "%s (format \"%s\")\n", What, Format.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 12) return 0;
    const uint8_t* p = Data;
    const uint8_t* end = Data + Size;
    const uint8_t options = *p++;
    double value = 0;
    std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    const std::size_t formatLen = *p++ % 48;
    TFormatSettings fs;
    const char dateSep = static_cast<char>(*p++);
    const char timeSep = static_cast<char>(*p++);
    if (options & 8) {
        fs.DateSeparator = dateSep;
        fs.TimeSeparator = timeSep;
    }
    const std::string format = TakeFuzzText(p, end, formatLen);
    if (options & 16) {
        const std::size_t n = p < end ? *p++ % 24 : 0;
        fs.ShortDateFormat = TakeFuzzText(p, end, n);
    }
    if (options & 32) {
        const std::size_t n = p < end ? *p++ % 24 : 0;
        fs.LongTimeFormat = TakeFuzzText(p, end, n);
    }
    if (options & 64) fs.TimeAMString.clear();
    const TqzDTKind kind = static_cast<TqzDTKind>(options % 3);

    const std::string expanded = qzExpandDTFormat(format, fs);
    std::vector<TqzDTPart> parts;
    const std::string text = qzRenderDTFormat(expanded, value, kind, &parts, fs);
    int last = 0;
    for (const TqzDTPart& part : parts) {
        if (part.Start < last || part.Length < 0) Fail("parts out of order", format);
        if (static_cast<size_t>(part.Start) + static_cast<size_t>(part.Length) > text.size())
            Fail("a part past the text", format);
        if (part.Token.empty() || std::strchr("DWMYHNSA", part.Kind) == nullptr)
            Fail("a part without kind", format);
        last = part.Start + part.Length;
    }
    // The same text without the parts.
    if (qzRenderDTFormat(expanded, value, kind, nullptr, fs) != text) Fail("parts change the text", format);
    (void)qzDTFormatHasDate(expanded, fs);
    (void)qzDTFormatHasTime(expanded);
    // Every position of the expanded format as a token start.
    const int n = static_cast<int>(expanded.size());
    for (int i = 0; i < n; ++i) {
        int pos = i;
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(expanded[i])));
        const std::string token = qzReadDTToken(expanded, pos, letter, fs);
        if (pos < i || pos >= n) Fail("the token reader left the format", format);
        if (!token.empty() && static_cast<int>(token.size()) != pos - i + 1)
            Fail("a token of another length", format);
    }
    return 0;
}
