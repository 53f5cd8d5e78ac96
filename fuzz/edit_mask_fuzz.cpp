// Fuzz target for edit masks: any mask text and value must parse, format,
// convert and validate without harm, and the results keep their shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ui/mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    // Input: mask, a NUL byte, then the value.
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    const size_t split = input.find('\0');
    const std::string maskText = input.substr(0, split);
    const std::string value = split == std::string::npos ? std::string() : input.substr(split + 1);

    const TEditMask mask(maskText);
    const int length = mask.Length();
    std::u32string valueChars;
    for (unsigned char c : value) valueChars.push_back(c);

    const std::u32string empty = mask.EmptyEditText();
    if (static_cast<int>(empty.size()) != length) abort();
    const std::u32string edit = mask.FormatText(valueChars);
    if (static_cast<int>(edit.size()) != length) abort();
    const std::u32string text = mask.EditToText(edit);
    if (static_cast<int>(text.size()) > length) abort();
    // Formatting its own text gives the same edit text back.
    if (mask.FormatText(text) != edit && !mask.LeadingBlanks()) {
        // Blanks typed as spaces read back as blanks: compare positions that hold characters.
        const std::u32string again = mask.FormatText(text);
        for (int i = 0; i < length; ++i)
            if (edit[static_cast<size_t>(i)] != mask.Blank() &&
                again[static_cast<size_t>(i)] != edit[static_cast<size_t>(i)] &&
                edit[static_cast<size_t>(i)] != U' ')
                abort();
    }
    const int bad = mask.FirstInvalid(edit);
    if (bad >= length) abort();
    for (int i = -2; i <= length + 2; ++i) {
        char32_t c = i < 0 ? U'x' : static_cast<char32_t>(0x20 + (i * 37) % 0x2000);
        mask.Accepts(i, c);
        mask.IsLiteral(i);
        mask.IsRequired(i);
        const int next = mask.NextInput(i);
        if (next < 0 || next > length) abort();
        const int prior = mask.PriorInput(i);
        if (prior < -1 || prior >= length) abort();
    }
    (void)FormatMaskText(maskText, value);
    return 0;
}
