// TOstraKeyIndex: the first view position of each distinct key, found by
// hash, for repeated exact searches (Locate, Lookup) over a view that does
// not change in between. It is made only after a few searches over the same
// fields of the same view, and dropped with any change of the view or of the
// store under it (a change made through another dataset on the store).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/field_types.h"

class TOstraRecordList;
struct TOstraRecord;

class TOstraKeyIndex {
public:
    // Counts a search over Fields of the view as it is now, over a store at
    // change count StoreChanges; answers True when the index for them is
    // ready (made now if it has become worth it).
    // Ordered tells that the searches could go by binary search instead.
    bool Ready(const TOstraRecordList& View, const std::vector<const TOstraField*>& Fields,
               uint64_t StoreChanges, bool Ordered);
    // The first view position whose record equals KeyData on the fields; -1
    // when there is none.
    int Find(const TOstraRecordList& View, const uint8_t* KeyData) const;
    void Invalidate();

    // Searches over the same view and fields before an index is made: a few
    // on a view that each search walks; on a view searched by halves, where
    // a search costs little more than a probe of the index, about as many as
    // the index's build reads records.
    static constexpr int SearchesBeforeIndex = 8;
    static int SearchesBefore(int Count, bool Ordered) {
        return Ordered ? std::max(SearchesBeforeIndex, Count / 2) : SearchesBeforeIndex;
    }

private:
    void Build(const TOstraRecordList& View);
    uint64_t Hash(const uint8_t* Data) const;
    bool SameSearch(const TOstraRecordList& View, const std::vector<const TOstraField*>& Fields,
                    uint64_t StoreChanges) const;

    struct TSlot {
        const TOstraRecord* Record;  // nullptr: free
        uint32_t Tag;                // the hash's high half
        uint32_t Position;
    };
    std::vector<TSlot> FSlots;
    std::vector<const TOstraField*> FFields;
    uint64_t FVersion = 0;
    uint64_t FStoreChanges = 0;
    const TOstraRecordList* FView = nullptr;
    bool FBuilt = false;
    int FSearches = 0;
};
