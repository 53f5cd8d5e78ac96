// Any SQL text with any condition: the merge gives a text or refuses, never
// crashes or hangs; the fence of the merged text answers or refuses, and a
// text is never refused by the fence learned from itself; the select lists
// are read or refused, each column a piece of the text. The input is the
// text, a NUL, then the condition.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/db/dbtables.h"
#include "suite/data/qzfiltertext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find('\0');
    const std::string sql = input.substr(0, cut);
    const std::string condition = cut == std::string::npos ? std::string("a = 1") : input.substr(cut + 1);
    try {
        const std::string merged = qzMergeWhereClause(sql, condition);
        // the original text is kept around the insertions
        if (merged.size() < sql.size()) __builtin_trap();
        try {
            CheckFencedText(":memory:", sql, merged);
        } catch (const EDatabaseError&) {}
    } catch (const EqzFilterText&) {}
    try {
        for (const auto& list : qzSelectLists(sql))
            for (const std::string& column : list)
                if (sql.find(column) == std::string::npos) __builtin_trap();
        // a condition for every other SELECT
        const std::string merged =
            qzMergeWhereClause(sql, [&](size_t Select) { return Select % 2 ? condition : std::string(); });
        if (merged.size() < sql.size()) __builtin_trap();
    } catch (const EqzFilterText&) {}
    try {
        CheckFencedText(":memory:", sql, sql);
    } catch (const EDBEngineError& e) {
        if (e.ErrorCode() == DBIERR_INVALIDFILTER) __builtin_trap();
    } catch (const EDatabaseError&) {}
    return 0;
}
