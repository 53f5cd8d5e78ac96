// The picture of a raw group: its kind, bytes and goal size.
#include "platform/core/rtf.h"

#include "platform/core/rtf_internal.h"

using namespace rtf_detail;

TRtfPicture RtfPictureOf(std::string_view Raw) {
    TRtfPicture pic;
    pic.IsObject = Raw.substr(0, 8) == "{\\object" || Raw.find("\\object") == 1;
    // the picture group: for an object, the one inside its \result
    std::size_t at = Raw.find("\\pict");
    if (at == std::string_view::npos) return pic;
    std::size_t p = at + 5;
    auto param = [&](std::string_view word) {
        const std::size_t w = Raw.find(word, at);
        if (w == std::string_view::npos) return 0;
        std::size_t q = w + word.size();
        long v = 0;
        while (q < Raw.size() && IsDigit(Raw[q]) && v < kMaxParam) v = v * 10 + (Raw[q++] - '0');
        return static_cast<int>(v);
    };
    if (Raw.find("\\pngblip", at) != std::string_view::npos)
        pic.Kind = "png";
    else if (Raw.find("\\jpegblip", at) != std::string_view::npos)
        pic.Kind = "jpeg";
    pic.WidthTwips = param("\\picwgoal");
    pic.HeightTwips = param("\\pichgoal");
    if (pic.Kind.empty()) return pic;
    // the hex data: after the last control word of the picture group
    int depth = 0;
    std::size_t dataStart = std::string_view::npos;
    for (; p < Raw.size(); ++p) {
        const char c = Raw[p];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (depth-- == 0) break;
        } else if (c == '\\' && depth == 0) {
            ++p;
            while (p < Raw.size() && (IsLetter(Raw[p]) || IsDigit(Raw[p]) || Raw[p] == '-')) ++p;
            dataStart = p;
            --p;
        } else if (depth == 0 && dataStart != std::string_view::npos && HexValue(c) >= 0) {
            int hi = -1;
            for (; p < Raw.size() && Raw[p] != '}' && Raw[p] != '\\' && Raw[p] != '{'; ++p) {
                const int h = HexValue(Raw[p]);
                if (h < 0) continue;
                if (hi < 0) {
                    hi = h;
                } else {
                    pic.Bytes += static_cast<char>(hi * 16 + h);
                    hi = -1;
                }
            }
            break;
        }
    }
    if (pic.Bytes.empty()) pic.Kind.clear();
    return pic;
}
