// The value-list scanner on any text with any operator words: it answers,
// never reads past the text and never loops. Input: three words of up to 8
// bytes (a byte of length each), then the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/core/case_fold.h"
#include "platform/core/sysutils.h"
#include "suite/data/qzfilterinfo.h"

namespace {

std::string TakeWord(const uint8_t*& P, const uint8_t* End) {
    if (P >= End) return std::string();
    std::size_t n = *P++ % 9;
    std::string s;
    while (n-- > 0 && P < End) s += static_cast<char>(*P++);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    const std::string o = Trim(TakeWord(p, end)), a = Trim(TakeWord(p, end)), n = Trim(TakeWord(p, end));
    // Words that are not pairwise different (case folded, as the operators
    // compare them) bring a warning box; placeholders keep each step of the
    // change unique.
    const std::string uo = FoldCase(o), ua = FoldCase(a), un = FoldCase(n);
    if (uo == ua || uo == un || ua == un) return 0;
    for (const std::string& w : {uo, ua, un})
        if (w == "#1#" || w == "#2#" || w == "#3#") return 0;
    TqzFieldOperators ops;
    ops.SetOrChar("#1#");
    ops.SetAndChar("#2#");
    ops.SetNullChar("#3#");
    ops.SetOrChar(o);
    ops.SetAndChar(a);
    ops.SetNullChar(n);
    const std::string text(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));

    bool isOr = false, isAnd = false;
    std::string separator;
    qzFindListOperator(text, &ops, isOr, separator, isAnd);
    if (isOr && isAnd) std::abort();
    if ((isOr || isAnd) == separator.empty()) std::abort();
    // Every position moves forward; the items run out within the text. (A
    // one-character separator is a word of its own, so an item may gain blanks.)
    for (const std::string& sep : {separator, o, a, n}) {
        int position = 1, items = 0;
        while (position != -1) {
            const int before = position;
            std::string item;
            qzNextListItem(text, sep, position, item);
            if (position != -1 && position <= before) std::abort();
            if (position > static_cast<int>(text.size()) + 2) std::abort();
            if (item.size() > 2 * text.size()) std::abort();
            if (++items > static_cast<int>(text.size()) + 2) std::abort();
        }
    }
    (void)qzPadRight(static_cast<int>(text.size() % 64), text,
                     text.empty() ? 0 : static_cast<char16_t>(text[0]));
    return 0;
}
