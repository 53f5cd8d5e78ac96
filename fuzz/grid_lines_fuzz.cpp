// Any text as the grid's field-list lines, and any bytes as a bitmap's
// pixels: the line readers and writers and the pixel effects answer, never
// crash or read outside the image.
//
// Input: a field name up to the first 0x00, then the lines (LF-separated).
// The same bytes also fill a small image whose size comes from the first two
// bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/core/strings.h"
#include "suite/grid/qzbitmap.h"
#include "suite/grid/qzdbigrd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    const size_t zero = input.find('\0');
    const std::string name = zero == std::string::npos ? input.substr(0, 8) : input.substr(0, zero);
    TStringList lines;
    lines.SetText(zero == std::string::npos ? input : input.substr(zero + 1));
    std::string value;
    for (int part = 0; part <= 5; ++part) {
        qzGetSelectedLinePart(&lines, name, part, value);
        qzSelectedWidthChars(value);
    }
    for (int i = 0; i < lines.Count() && i < 8; ++i) {
        const std::string& line = lines.Strings(i);
        qzSelectedWidthChars(line.substr(0, line.find('\t')));
        qzSetSelectedLinePart(&lines, name, value, i, (i % 6));
    }
    qzSetSelectedLinePart(&lines, name, "3", -1, 1);

    if (Size >= 2) {
        const int w = 1 + Data[0] % 24, h = 1 + Data[1] % 24;
        TqzBitmap b;
        try {
            b.LoadFromDIB(Data + 2, Size - 2, w, h);
        } catch (const Exception&) {
            b.SetSize(w, h);
        }
        const int a = Size > 2 ? static_cast<int8_t>(Data[2]) : 1;
        b.Wave(Size % 2 == 0, a, 1 + Data[1] % 5, 1 + Data[0] % 7);
        b.Blur(a % 5);
        b.Sharpen(a % 4);
        b.Rotate(TPoint{-1, a % 3}, a * 7.0);
        b.Saturation(a * 3);
        b.Contrast(a * 2);
        b.Lightness(a * 2);
        b.Colorize(a, a * 2, -a);
        b.Emboss();
        b.Spray(a % 4);
        b.Flip(a % 2 == 0);
    }
    return 0;
}
