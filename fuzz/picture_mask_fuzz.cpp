// Any mask against any text: the validator answers a result, never crashes,
// reads past the mask or text, or hangs.
//
// Input: one flag byte, then the mask and the text separated by the first
// 0x00 byte (no separator: the whole rest is the mask, the text is empty).
#include <cstddef>
#include <cstdint>
#include <string>

#include "suite/base/picture_validator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = rest.find('\0');
    const std::string mask = rest.substr(0, split);
    const std::string text = split == std::string::npos ? std::string() : rest.substr(split + 1);
    const bool autoFill = flags & 1;

    TqzPictureValidator validator(mask, autoFill);
    std::string work = text;
    const TqzPictureResult r = validator.Picture(work, autoFill);
    if (r > pmrSyntax) __builtin_trap();  // the internal results never leave Picture
    if (validator.Status() == 1 && r != pmrSyntax) __builtin_trap();
    std::string accepted = text;
    validator.AcceptsInput(accepted, (flags & 2) != 0);
    validator.IsCompleteOrEmpty(text);
    qzTextMatchesPictureMask(mask, text);

    // The key routine with the last text character as the key.
    if (!text.empty()) {
        const int length = static_cast<int>(text.size());
        qzPictureMaskKeyOutcome(text.substr(0, text.size() - 1), (flags >> 2) % (length + 1),
                                (flags >> 5) % 3, mask, autoFill, static_cast<unsigned char>(text.back()));
    }
    return 0;
}
