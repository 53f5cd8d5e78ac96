// The regular-expression library with any pattern and any text, both with
// and without case: an answer of 0 or 1, never a crash, exception or hang.
// Input: a flags byte (bit 0: ignore case), then the pattern, a NUL byte,
// and the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ui/regex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool ignoreCase = data[0] & 1;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = rest.find('\0');
    const std::string pattern = rest.substr(0, split);
    const std::string text = split == std::string::npos ? std::string() : rest.substr(split + 1);
    const int valid = RegexSyntaxValid(pattern.c_str());
    const int match = RegexMatch(pattern.c_str(), ignoreCase ? -1 : 0, text.c_str());
    const int other = RegexMatch(pattern.c_str(), ignoreCase ? 0 : -1, text.c_str());
    if (valid != 0 && valid != 1) abort();
    if ((match != 0 && match != 1) || (other != 0 && other != 1)) abort();
    if (!valid && (match || other)) abort();  // a pattern that does not compile never matches
    return 0;
}
