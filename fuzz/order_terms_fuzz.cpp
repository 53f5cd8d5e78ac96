// Any SQL text: the ORDER BY reader answers its terms, never crashes or
// hangs, and its words together are never longer than the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/db/db_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string sql(reinterpret_cast<const char*>(data), size);
    size_t total = 0;
    for (const auto& term : SqlOrderByTerms(sql))
        for (const std::string& word : term) total += word.size();
    if (total > sql.size()) __builtin_trap();
    return 0;
}
