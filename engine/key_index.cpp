// The key index's hashing of key values, its build over a view and its lookups.
#include "engine/key_index.h"

#include <cmath>
#include <cstring>

#include "engine/record_list.h"
#include "engine/record_store.h"

namespace {

inline uint64_t Mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h *= 0xFF51AFD7ED558CCDull;
    return h ^ (h >> 32);
}

// A value in the form in which equal values (as the record comparison sees
// them) are equal bytes.
uint64_t ValueBits(const uint8_t* place, const TOstraField& f) {
    switch (f.FieldType) {
    case oftSmallInt: return static_cast<uint64_t>(int64_t{OstGet<int16_t>(place)});
    case oftInteger:
    case oftDate:
    case oftTime:
    case oftAutoInc: return static_cast<uint64_t>(int64_t{OstGet<int32_t>(place)});
    case oftInt64: return static_cast<uint64_t>(OstGet<int64_t>(place));
    case oftBoolean: return OstGet<int16_t>(place) != 0 ? 1 : 0;
    case oftDouble:
    case oftCurrency:
    case oftDateTime: {
        const double d = OstGet<double>(place);
        if (std::isnan(d)) return 0x7FF8000000000000ull;
        if (d == 0) return 0;
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        return bits;
    }
    default: return 0;
    }
}

}  // namespace

void TOstraKeyIndex::Invalidate() {
    FBuilt = false;
    FSearches = 0;
    FView = nullptr;
    FSlots.clear();
    FSlots.shrink_to_fit();
}

uint64_t TOstraKeyIndex::Hash(const uint8_t* Data) const {
    uint64_t h = 0x84222325CBF29CE4ull;
    for (const TOstraField* f : FFields) {
        const uint8_t* place = Data + f->Offset;
        if (f->FieldType == oftSmallStr || f->FieldType == oftString) {
            const std::string_view text = FieldText(place, *f);
            std::size_t i = 0;
            for (; i + 8 <= text.size(); i += 8) {
                uint64_t w;
                std::memcpy(&w, text.data() + i, 8);
                h = Mix(h, w);
            }
            uint64_t tail = 0;
            if (text.size() > i) std::memcpy(&tail, text.data() + i, text.size() - i);
            h = Mix(h, tail ^ (uint64_t{text.size()} << 56));
        } else {
            h = Mix(h, ValueBits(place, *f));
        }
    }
    return h;
}

bool TOstraKeyIndex::SameSearch(const TOstraRecordList& View, const std::vector<const TOstraField*>& Fields,
                                uint64_t StoreChanges) const {
    return FView == &View && FVersion == View.Version() && FStoreChanges == StoreChanges && FFields == Fields;
}

bool TOstraKeyIndex::Ready(const TOstraRecordList& View, const std::vector<const TOstraField*>& Fields,
                           uint64_t StoreChanges, bool Ordered) {
    if (SameSearch(View, Fields, StoreChanges)) {
        if (FBuilt) return true;
        if (++FSearches < SearchesBefore(View.Count(), Ordered)) return false;
        Build(View);
        return true;
    }
    Invalidate();
    FView = &View;
    FVersion = View.Version();
    FStoreChanges = StoreChanges;
    FFields = Fields;
    FSearches = 1;
    return false;
}

void TOstraKeyIndex::Build(const TOstraRecordList& View) {
    const std::vector<TOstraRecord*> records = View.ToVector();
    const std::size_t n = records.size();
    std::size_t capacity = 16;
    while (capacity < 2 * n) capacity <<= 1;
    FSlots.assign(capacity, TSlot{nullptr, 0, 0});
    const std::size_t mask = capacity - 1;
    const TOstraField* first = FFields.empty() ? nullptr : FFields[0];
    const bool reference = first && IsReferenceType(first->FieldType);
    auto place = [&](std::size_t i) {
        return reinterpret_cast<const uint8_t*>(records[i] + 1) + (first ? first->Offset : 0);
    };
    for (std::size_t i = 0; i < n; ++i) {
        // Records lie scattered in view order: read a few ahead.
        if (i + 16 < n) __builtin_prefetch(place(i + 16));
        if (reference && i + 8 < n) {
            if (const char* text = OstValueData(place(i + 8))) __builtin_prefetch(text);
        }
        const uint8_t* data = records[i]->Data();
        if (!data) continue;
        const uint64_t h = Hash(data);
        const auto tag = static_cast<uint32_t>(h >> 32);
        for (std::size_t s = static_cast<std::size_t>(h) & mask;; s = (s + 1) & mask) {
            TSlot& slot = FSlots[s];
            if (!slot.Record) {
                slot = TSlot{records[i], tag, static_cast<uint32_t>(i)};
                break;
            }
            // An equal key seen before keeps its first position.
            if (slot.Tag == tag && CompareRecords(slot.Record->Data(), data, FFields, -1) == 0) break;
        }
    }
    FBuilt = true;
}

int TOstraKeyIndex::Find(const TOstraRecordList& View, const uint8_t* KeyData) const {
    if (!FBuilt || FSlots.empty()) return -1;
    const std::size_t mask = FSlots.size() - 1;
    const uint64_t h = Hash(KeyData);
    const auto tag = static_cast<uint32_t>(h >> 32);
    for (std::size_t s = static_cast<std::size_t>(h) & mask;; s = (s + 1) & mask) {
        const TSlot& slot = FSlots[s];
        if (!slot.Record) return -1;
        if (slot.Tag != tag || !slot.Record->Data()) continue;
        if (CompareRecords(slot.Record->Data(), KeyData, FFields, -1) == 0)
            return static_cast<int>(slot.Position) < View.Count() ? static_cast<int>(slot.Position) : -1;
    }
}
