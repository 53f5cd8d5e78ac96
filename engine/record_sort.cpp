// The sort keys built from field values, the sort by few keys with ties settled by
// the rest, and the sort by text.
#include "engine/record_sort.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <span>
#include <type_traits>

#include "engine/record_list.h"
#include "engine/record_store.h"
#include "engine/record_view.h"
#include "platform/core/case_fold.h"

namespace {

constexpr uint64_t SignBit = uint64_t{1} << 63;

// A field's sort key: a 64-bit number whose order is the values' order, and
// for texts the text itself, to break ties of the first eight bytes.
struct TKey {
    uint64_t Value;
    bool Exact;             // equal keys mean equal values
    std::string_view Text;  // texts only
};

inline uint64_t IntKey(int64_t v) { return static_cast<uint64_t>(v) ^ SignBit; }

inline uint64_t DoubleKey(double d) {
    if (std::isnan(d)) return ~uint64_t{0};
    if (d == 0) d = 0.0;  // -0 sorts with 0
    const uint64_t bits = std::bit_cast<uint64_t>(d);
    return (bits & SignBit) ? ~bits : (bits | SignBit);
}

// The first eight bytes of a text from offset on. A text holds no zero byte,
// so the padding sorts a shorter text first, as the text rule does.
inline uint64_t TextPrefix(std::string_view s, bool fold, std::size_t offset = 0) {
    return TextSortWord(s, offset, fold);
}

TKey MakeKey(const uint8_t* place, const TOstraField& f, bool fold) {
    switch (f.FieldType) {
    case oftSmallInt: return {IntKey(OstGet<int16_t>(place)), true, {}};
    case oftInteger:
    case oftDate:
    case oftTime:
    case oftAutoInc: return {IntKey(OstGet<int32_t>(place)), true, {}};
    case oftInt64: return {IntKey(OstGet<int64_t>(place)), true, {}};
    case oftBoolean: return {OstGet<int16_t>(place) != 0 ? 0u : 1u, true, {}};
    case oftDouble:
    case oftCurrency:
    case oftDateTime: return {DoubleKey(OstGet<double>(place)), true, {}};
    case oftSmallStr: {
        const std::string_view s = FieldText(place, f);
        if (f.Numeric) return {s.size(), false, s};  // lengths first, then the text
        return {TextPrefix(s, fold), s.size() <= 8, s};
    }
    case oftString: {
        const std::string_view s = FieldText(place, f);
        return {TextPrefix(s, fold), s.size() <= 8, s};
    }
    case oftMemo:
    case oftFmtMemo: {
        const std::string_view s = FieldText(place, f);
        // A memo holding bytes but no text sorts after the empty memo and
        // before every text.
        if (s.empty()) return {OstValueLength(place) ? 1u : 0u, true, {}};
        return {TextPrefix(s, fold), s.size() <= 8, s};
    }
    default: return {0, true, {}};
    }
}

// The text rule over two texts whose keys are equal.
int CompareTexts(std::string_view a, std::string_view b, bool fold) {
    const std::size_t n = std::min(a.size(), b.size());
    if (fold) {
        return CompareFolded(a, b);
    } else if (n) {
        const int r = std::memcmp(a.data(), b.data(), n);
        if (r) return r < 0 ? -1 : 1;
    }
    return (a.size() > b.size()) - (a.size() < b.size());
}

// A scratch array of trivial entries in large-block memory (see store_memory.h).
template <class T>
class TScratch {
public:
    explicit TScratch(std::size_t n)
        : FBlock(static_cast<uint8_t*>(OstAllocateBlock(n * sizeof(T)))), FSize(n) {}
    T* begin() { return reinterpret_cast<T*>(FBlock.get()); }
    T* end() { return begin() + FSize; }
    T& operator[](std::size_t i) { return begin()[i]; }
    uint8_t* Bytes() { return FBlock.get(); }
    std::size_t ByteSize() const { return FSize * sizeof(T); }
    TOstBlock Release() { return std::move(FBlock); }

private:
    TOstBlock FBlock;
    std::size_t FSize;
};

// The live records being sorted: the front of the caller's list.
using TLive = std::span<TOstraRecord*>;

struct TContext {
    std::span<const TOstraField* const> Fields;
    bool Fold;
    bool Descending;
    // Where the records' view keys go in sorted order, when asked.
    TOstraViewKeys* SortedKeys = nullptr;

    int Full(const TOstraRecord* a, const TOstraRecord* b, std::size_t i) const {
        const TOstraField& f = *Fields[i];
        const int r = CompareValues(a->Data() + f.Offset, b->Data() + f.Offset, f, Fold);
        return Descending ? -r : r;
    }
};

// Puts the records in the order of the sorted entries. The entries' block is
// then free: their indexes are packed at its front, and the records' old
// order copied behind them, so the reorder takes no memory of its own.
template <class Entry>
void Reorder(TLive live, TScratch<Entry>& entries) {
    // Room for an index, a record and the padding between them in each entry.
    static_assert(sizeof(Entry) >= 2 * sizeof(uint32_t) + sizeof(TOstraRecord*));
    const std::size_t n = live.size();
    uint8_t* const block = reinterpret_cast<uint8_t*>(entries.begin());
    // Entry r lies at or after index r: each is read before it is overwritten.
    for (std::size_t r = 0; r < n; ++r) {
        const uint32_t index = entries[r].Index;
        std::memcpy(block + r * sizeof(uint32_t), &index, sizeof index);
    }
    const std::size_t beforeAt =
        (n * sizeof(uint32_t) + alignof(TOstraRecord*) - 1) / alignof(TOstraRecord*) * alignof(TOstraRecord*);
    uint8_t* const before = block + beforeAt;
    std::memcpy(before, live.data(), n * sizeof(TOstraRecord*));
    auto indexAt = [&](std::size_t r) {
        uint32_t index;
        std::memcpy(&index, block + r * sizeof(uint32_t), sizeof index);
        return index;
    };
    // The reads are scattered over an array larger than the caches: the
    // ones ahead are asked for early.
    constexpr std::size_t Ahead = 16;
    for (std::size_t r = 0; r < n; ++r) {
        if (r + Ahead < n) __builtin_prefetch(before + indexAt(r + Ahead) * sizeof(TOstraRecord*));
        std::memcpy(&live[r], before + indexAt(r) * sizeof(TOstraRecord*), sizeof(TOstraRecord*));
    }
}

// The view keys of the records, in their sorted order.
void AppendViewKeys(TLive live, const TContext& ctx) {
    constexpr std::size_t Ahead = 8;
    const std::size_t n = live.size();
    for (std::size_t r = 0; r < n; ++r) {
        if (r + Ahead < n) __builtin_prefetch(live[r + Ahead]->Data());
        ctx.SortedKeys->push_back(OstViewKey(live[r]->Data(), ctx.Fields, ctx.Fold, ctx.Descending));
    }
}

// Entries of a sort by up to K fields. Texts keep a view of their value to
// break ties of the key; fields whose keys are always exact need none.
template <std::size_t K>
struct TTextViews {
    const char* Text[K];
    uint32_t Length[K];
};
struct TNoTextViews {};

template <std::size_t K, bool Texts>
struct TEntry : std::conditional_t<Texts, TTextViews<K>, TNoTextViews> {
    uint64_t Key[K];
    uint32_t Index;
    uint32_t Inexact;  // bit i: key i alone cannot tell equal values
};

// True when a field's key may leave equal keys for different values.
bool MayBeInexact(const TOstraField& f) {
    switch (f.FieldType) {
    case oftSmallStr: return f.Numeric || f.Size - 1 > 8;
    case oftString:
    case oftMemo:
    case oftFmtMemo: return true;
    default: return false;
    }
}

// How the view key (OstViewKey) of a sort by Fields follows from the sort
// entries' keys: 1, it is the first key alone (a number, or a short text
// whose second eight bytes are always empty); 2, the first two keys (a
// number, then a field whose key is the digest's); 0, it does not.
int ViewKeyFromEntryKeys(std::span<const TOstraField* const> Fields) {
    const TOstraField& first = *Fields[0];
    switch (first.FieldType) {
    case oftString:
    case oftMemo:
    case oftFmtMemo: return 0;
    case oftSmallStr:
        if (first.Numeric || first.Size - 1 > 8) return 0;
        return 1;
    default: break;
    }
    if (Fields.size() == 1) return 1;
    const TOstraFieldType second = Fields[1]->FieldType;
    return second == oftMemo || second == oftFmtMemo ? 0 : 2;
}

template <std::size_t K, bool Texts>
void SortLive(TLive live, const TContext& ctx) {
    const std::size_t n = live.size();
    const std::size_t keyed = std::min(K, ctx.Fields.size());
    const bool rest = ctx.Fields.size() > K;
    TScratch<TEntry<K, Texts>> entries(n);
    // Where the view key is the entries' first keys, it is taken from them
    // once sorted instead of made apart.
    const int derived = ctx.SortedKeys ? ViewKeyFromEntryKeys(ctx.Fields) : 0;
    for (std::size_t r = 0; r < n; ++r) {
        TEntry<K, Texts>& e = entries[r];
        e.Index = static_cast<uint32_t>(r);
        e.Inexact = 0;
        const uint8_t* data = live[r]->Data();
        for (std::size_t i = 0; i < K; ++i) {
            TKey k{0, true, {}};
            if (i < keyed) {
                const TOstraField& f = *ctx.Fields[i];
                k = MakeKey(data + f.Offset, f, ctx.Fold);
            }
            e.Key[i] = ctx.Descending ? ~k.Value : k.Value;
            if constexpr (Texts) {
                e.Text[i] = k.Text.data();
                e.Length[i] = static_cast<uint32_t>(k.Text.size());
                if (!k.Exact) e.Inexact |= 1u << i;
            }
        }
    }
    std::sort(entries.begin(), entries.end(), [&](const TEntry<K, Texts>& a, const TEntry<K, Texts>& b) {
        for (std::size_t i = 0; i < keyed; ++i) {
            if (a.Key[i] != b.Key[i]) return a.Key[i] < b.Key[i];
            if constexpr (Texts) {
                if ((a.Inexact | b.Inexact) & (1u << i)) {
                    int r = CompareTexts(std::string_view(a.Text[i], a.Length[i]),
                                         std::string_view(b.Text[i], b.Length[i]), ctx.Fold);
                    if (ctx.Descending) r = -r;
                    if (r != 0) return r < 0;
                }
            }
        }
        if (rest) {
            for (std::size_t i = K; i < ctx.Fields.size(); ++i) {
                const int r = ctx.Full(live[a.Index], live[b.Index], i);
                if (r != 0) return r < 0;
            }
        }
        return a.Index < b.Index;
    });
    if (derived) {
        const uint64_t none = ctx.Descending ? ~uint64_t{0} : 0;
        for (std::size_t r = 0; r < n; ++r)
            ctx.SortedKeys->push_back(
                {entries[r].Key[0], derived == 2 && K > 1 ? entries[r].Key[K > 1 ? 1 : 0] : none, none});
    }
    Reorder(live, entries);
    if (ctx.SortedKeys && !derived) AppendViewKeys(live, ctx);
}

template <std::size_t K>
void SortLive(TLive live, const TContext& ctx) {
    const std::size_t keyed = std::min(K, ctx.Fields.size());
    bool texts = false;
    for (std::size_t i = 0; i < keyed; ++i) texts = texts || MayBeInexact(*ctx.Fields[i]);
    if (texts)
        SortLive<K, true>(live, ctx);
    else
        SortLive<K, false>(live, ctx);
}

// One text field: a most-significant-digit sort sixteen bytes at a time.
// Each pass sorts a range by the next sixteen bytes of its texts; texts that
// are used up are equal and keep their order, the others go on to the next
// sixteen bytes. Every text is read a few bytes per pass instead of once per
// comparison.
struct TTextEntry {
    uint64_t Key[2];
    const char* Text;
    uint32_t Length;
    uint32_t Index;
};

constexpr std::size_t TextStep = 16;

void SetTextKey(TTextEntry& e, std::size_t offset, const TContext& ctx) {
    const std::string_view s(e.Text, e.Length);
    const uint64_t k0 = TextPrefix(s, ctx.Fold, offset), k1 = TextPrefix(s, ctx.Fold, offset + 8);
    e.Key[0] = ctx.Descending ? ~k0 : k0;
    e.Key[1] = ctx.Descending ? ~k1 : k1;
}

// Sorts a range whose entries are in Index order and take few distinct
// keys by counting them: each key's entries keep their order. False, with
// the range untouched, when the keys are too many.
template <class Before>
bool SortByFewKeys(TTextEntry* first, TTextEntry* last, std::size_t limit, const Before& before) {
    constexpr std::size_t MaxKeys = 64, Slots = 256;
    const std::size_t n = static_cast<std::size_t>(last - first);
    if (n < 4 * MaxKeys) return false;
    struct TSlot {
        uint64_t Key0, Key1;
        uint32_t Done;  // 2 when free
        uint32_t Bucket;
    };
    std::vector<TSlot> slots(Slots, TSlot{0, 0, 2, 0});
    std::vector<uint8_t> bucketOf(n);
    std::vector<std::size_t> representative;  // an entry of each bucket
    std::vector<std::size_t> counts;
    std::size_t lastSlot = Slots;
    for (std::size_t i = 0; i < n; ++i) {
        const TTextEntry& e = first[i];
        const uint32_t done = e.Length <= limit ? 1 : 0;
        auto same = [&](const TSlot& t) {
            return t.Key0 == e.Key[0] && t.Key1 == e.Key[1] && t.Done == done;
        };
        std::size_t s = lastSlot;
        if (s == Slots || !same(slots[s])) {
            s = static_cast<std::size_t>(
                    (e.Key[0] * 0x9E3779B97F4A7C15ull ^ e.Key[1]) * 0xFF51AFD7ED558CCDull >> 56) ^
                done;
            s %= Slots;
            while (slots[s].Done != 2 && !same(slots[s])) s = (s + 1) % Slots;
            if (slots[s].Done == 2) {
                if (counts.size() == MaxKeys) return false;
                slots[s] = TSlot{e.Key[0], e.Key[1], done, static_cast<uint32_t>(counts.size())};
                representative.push_back(i);
                counts.push_back(0);
            }
            lastSlot = s;
        }
        bucketOf[i] = static_cast<uint8_t>(slots[s].Bucket);
        ++counts[slots[s].Bucket];
    }
    // The buckets in key order (their representatives never tie: keys differ).
    std::vector<uint32_t> order(counts.size());
    for (uint32_t b = 0; b < order.size(); ++b) order[b] = b;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return before(first[representative[a]], first[representative[b]]);
    });
    std::vector<std::size_t> start(counts.size());
    std::size_t at = 0;
    for (const uint32_t b : order) {
        start[b] = at;
        at += counts[b];
    }
    TScratch<TTextEntry> sorted(n);
    for (std::size_t i = 0; i < n; ++i) sorted[start[bucketOf[i]]++] = first[i];
    std::copy(sorted.begin(), sorted.end(), first);
    return true;
}

// Entries of equal texts, ordered by the fields after the first, then by
// their previous order. A single second field whose keys are exact is
// sorted by its keys; others by the values.
void SortTiesByRest(TTextEntry* first, TTextEntry* last, TLive live, const TContext& ctx) {
    if (ctx.Fields.size() == 2 && !MayBeInexact(*ctx.Fields[1])) {
        const TOstraField& f = *ctx.Fields[1];
        struct TTie {
            uint64_t Key;
            uint32_t Index;
        };
        std::vector<TTie> ties;
        ties.reserve(static_cast<std::size_t>(last - first));
        for (TTextEntry* e = first; e != last; ++e) {
            const uint64_t k = MakeKey(live[e->Index]->Data() + f.Offset, f, ctx.Fold).Value;
            ties.push_back({ctx.Descending ? ~k : k, e->Index});
        }
        std::sort(ties.begin(), ties.end(), [](const TTie& a, const TTie& b) {
            return a.Key != b.Key ? a.Key < b.Key : a.Index < b.Index;
        });
        for (std::size_t i = 0; i < ties.size(); ++i) first[i].Index = ties[i].Index;
        return;
    }
    std::sort(first, last, [&](const TTextEntry& a, const TTextEntry& b) {
        for (std::size_t i = 1; i < ctx.Fields.size(); ++i) {
            const int r = ctx.Full(live[a.Index], live[b.Index], i);
            if (r != 0) return r < 0;
        }
        return a.Index < b.Index;
    });
}

// Reorder for sorted text entries with the records' view keys: the keys are
// laid in the entries' block, which they then keep, so they take no memory of
// their own. With textKeys, a key is the first twenty-four bytes of the
// entry's text.
void ReorderWithKeys(TLive live, TScratch<TTextEntry>& entries, bool textKeys, const TContext& ctx) {
    struct TPacked {
        const char* Text;
        uint32_t Length;
        uint32_t Index;
    };
    static_assert(sizeof(TPacked) * 2 == sizeof(TTextEntry) && sizeof(TOstraViewKey) <= sizeof(TTextEntry) &&
                  sizeof(TPacked) + sizeof(TOstraRecord*) <= sizeof(TTextEntry));
    const std::size_t n = live.size();
    uint8_t* const block = entries.Bytes();
    // Packed entry r lies at half of entry r's offset: each entry is read
    // before it is overwritten. The records' old order goes behind them.
    for (std::size_t r = 0; r < n; ++r) {
        const TTextEntry& e = entries[r];
        const TPacked p{e.Text, e.Length, e.Index};
        std::memcpy(block + r * sizeof(TPacked), &p, sizeof p);
    }
    auto packed = [&](std::size_t r) {
        TPacked p;
        std::memcpy(&p, block + r * sizeof(TPacked), sizeof p);
        return p;
    };
    uint8_t* const before = block + n * sizeof(TPacked);
    std::memcpy(before, live.data(), n * sizeof(TOstraRecord*));
    constexpr std::size_t Ahead = 16;
    for (std::size_t r = 0; r < n; ++r) {
        if (r + Ahead < n) __builtin_prefetch(before + packed(r + Ahead).Index * sizeof(TOstraRecord*));
        std::memcpy(&live[r], before + packed(r).Index * sizeof(TOstraRecord*), sizeof(TOstraRecord*));
    }
    auto put = [&](std::size_t r, const TOstraViewKey& key) {
        std::memcpy(block + r * sizeof(TOstraViewKey), &key, sizeof key);
    };
    if (textKeys) {
        // From the last: key r ends at or before packed entries r' < r begin.
        for (std::size_t r = n; r-- > 0;) {
            if (r >= Ahead) __builtin_prefetch(packed(r - Ahead).Text);
            const TPacked p = packed(r);
            const std::string_view text(p.Text, p.Length);
            TOstraViewKey key{TextPrefix(text, ctx.Fold, 0), TextPrefix(text, ctx.Fold, 8),
                              TextPrefix(text, ctx.Fold, 16)};
            if (ctx.Descending) key = {~key.High, ~key.Low, ~key.Extra};
            put(r, key);
        }
    } else {
        for (std::size_t r = 0; r < n; ++r) {
            if (r + Ahead < n) __builtin_prefetch(live[r + Ahead]->Data());
            put(r, OstViewKey(live[r]->Data(), ctx.Fields, ctx.Fold, ctx.Descending));
        }
    }
    const std::size_t bytes = entries.ByteSize();
    ctx.SortedKeys->Adopt(entries.Release(), bytes, n);
}

// A sort whose first field is a text: by that text as below, and records of
// equal texts by the other fields.
void SortByText(TLive live, const TOstraField& field, const TContext& ctx) {
    const bool rest = ctx.Fields.size() > 1;
    const std::size_t n = live.size();
    TScratch<TTextEntry> entries(n);
    const bool viewKeyIsText = OstViewKeyFromFirstField(field);
    for (std::size_t r = 0; r < n; ++r) {
        TTextEntry& e = entries[r];
        const TKey k = MakeKey(live[r]->Data() + field.Offset, field, ctx.Fold);
        e.Text = k.Text.data();
        e.Length = static_cast<uint32_t>(k.Text.size());
        e.Index = static_cast<uint32_t>(r);
        if (e.Length == 0) {  // the empty text and the memo without text
            e.Key[0] = ctx.Descending ? ~k.Value : k.Value;
            e.Key[1] = ctx.Descending ? ~uint64_t{0} : 0;
        } else {
            SetTextKey(e, 0, ctx);
        }
    }
    struct TRange {
        std::size_t First, Last, Offset;
    };
    std::vector<TRange> work{{0, n, 0}};
    auto sameKey = [](const TTextEntry& a, const TTextEntry& b) {
        return a.Key[0] == b.Key[0] && a.Key[1] == b.Key[1];
    };
    while (!work.empty()) {
        const TRange range = work.back();
        work.pop_back();
        const std::size_t limit = range.Offset + TextStep;
        // A used-up text is a prefix of the longer ones with the same key.
        auto before = [&](const TTextEntry& a, const TTextEntry& b) {
            if (a.Key[0] != b.Key[0]) return a.Key[0] < b.Key[0];
            if (a.Key[1] != b.Key[1]) return a.Key[1] < b.Key[1];
            const bool doneA = a.Length <= limit, doneB = b.Length <= limit;
            if (doneA != doneB) return ctx.Descending ? doneB : doneA;
            return a.Index < b.Index;
        };
        if (!SortByFewKeys(entries.begin() + range.First, entries.begin() + range.Last, limit, before))
            std::sort(entries.begin() + range.First, entries.begin() + range.Last, before);
        for (std::size_t i = range.First; i < range.Last;) {
            std::size_t j = i + 1;
            while (j < range.Last && sameKey(entries[j], entries[i])) ++j;
            std::size_t first = i;
            while (first < j && entries[first].Length <= limit) ++first;
            std::size_t last = j;
            while (last > first && entries[last - 1].Length <= limit) --last;
            // Used-up texts of one key are equal: the other fields order them.
            if (rest) {
                if (first - i > 1) SortTiesByRest(entries.begin() + i, entries.begin() + first, live, ctx);
                if (j - last > 1) SortTiesByRest(entries.begin() + last, entries.begin() + j, live, ctx);
            }
            if (last - first > 1) {
                for (std::size_t e = first; e < last; ++e) {
                    // The texts lie all over the store: ask for the ones ahead early.
                    if (e + 16 < last) __builtin_prefetch(entries[e + 16].Text + limit);
                    SetTextKey(entries[e], limit, ctx);
                }
                work.push_back({first, last, limit});
            }
            i = j;
        }
    }
    if (ctx.SortedKeys)
        ReorderWithKeys(live, entries, viewKeyIsText, ctx);
    else
        Reorder(live, entries);
}

bool IsTextKey(const TOstraField& f) {
    return f.FieldType == oftString || f.FieldType == oftMemo || f.FieldType == oftFmtMemo ||
           (f.FieldType == oftSmallStr && !f.Numeric);
}

}  // namespace

void OstraSortRecords(std::span<TOstraRecord*> records, std::span<const TOstraField* const> fields,
                      bool caseInsensitive, bool descending, TOstraViewKeys* viewKeys) {
    if (viewKeys) viewKeys->clear();
    if (fields.empty()) {
        if (viewKeys) {
            viewKeys->reserve(records.size());
            for (std::size_t r = 0; r < records.size(); ++r) viewKeys->push_back(TOstraViewKey());
        }
        return;
    }
    if (records.size() < 2) {
        for (const TOstraRecord* r : records)
            if (viewKeys) viewKeys->push_back(OstViewKey(r->Data(), fields, caseInsensitive, descending));
        return;
    }
    auto firstDead = std::stable_partition(records.begin(), records.end(),
                                           [](const TOstraRecord* r) { return r->IsLive(); });
    const TLive live(records.data(), static_cast<std::size_t>(firstDead - records.begin()));
    TContext ctx{fields, caseInsensitive, descending};
    ctx.SortedKeys = viewKeys;
    // A text first: by sixteen bytes per pass when alone, or when long
    // enough to leave many ties to an eight-byte key.
    const bool byText = IsTextKey(*fields[0]) && (fields.size() == 1 || fields[0]->FieldType != oftSmallStr);
    // The sort by text lays the keys in its own block.
    if (viewKeys && !byText) viewKeys->reserve(records.size());
    if (byText)
        SortByText(live, *fields[0], ctx);
    else if (fields.size() == 1)
        SortLive<1>(live, ctx);
    else if (fields.size() == 2)
        SortLive<2>(live, ctx);
    else
        SortLive<3>(live, ctx);
    if (viewKeys)
        for (std::size_t r = live.size(); r < records.size(); ++r)
            viewKeys->push_back(OstViewKey(records[r]->Data(), fields, caseInsensitive, descending));
}

int CompareRecordsForSort(const TOstraRecord* a, const TOstraRecord* b,
                          std::span<const TOstraField* const> fields, bool caseInsensitive, bool descending) {
    if (a->IsLive() != b->IsLive()) return a->IsLive() ? -1 : 1;
    if (!a->IsLive()) return 0;
    const TContext ctx{fields, caseInsensitive, descending};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int r = ctx.Full(a, b, i);
        if (r != 0) return r;
    }
    return 0;
}
