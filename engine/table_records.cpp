// Reading the records of a table image: the scan that finds each record and
// every error, and the laying out of records into slots and value memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "engine/batch_workers.h"
#include "engine/field_types.h"
#include "engine/image_reader.h"
#include "engine/messages.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "engine/table_image.h"
#include "engine/table_load.h"
#include "platform/core/memory.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

constexpr std::size_t RoundUp4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

// No byte of the n at p is above 0x7F (eight at a time; inline, as most
// texts are short).
inline bool IsAsciiText(const uint8_t* p, std::size_t n) {
    uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        high |= w;
    }
    for (; i < n; ++i) high |= p[i];
    return (high & 0x8080808080808080ull) == 0;
}

// The length of the text at p up to its first zero byte within n, and
// whether those bytes are ASCII: one pass, eight bytes at a time.
inline std::size_t TextLength(const uint8_t* p, std::size_t n, bool& ascii) {
    constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    uint64_t high = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if ((w - ones) & ~w & highs) break;  // a zero byte in this word
        high |= w;
    }
    for (; i < n && p[i]; ++i) high |= p[i];
    ascii = (high & highs) == 0;
    return i;
}

// Copies the n bytes of a field's value; short ones without a call.
inline void CopyField(uint8_t* to, const uint8_t* from, std::size_t n) {
    if (n >= 8 && n <= 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
    } else {
        std::memcpy(to, from, n);
    }
}

// The same for a value of any length: up to 256 bytes in 16-byte pieces.
inline void CopyValue(uint8_t* to, const uint8_t* from, std::size_t n) {
    if (n <= 16) return CopyField(to, from, n);
    if (n > 256) {
        std::memcpy(to, from, n);
        return;
    }
    for (std::size_t i = 0; i + 16 < n; i += 16) std::memcpy(to + i, from + i, 16);
    std::memcpy(to + n - 16, from + n - 16, 16);
}

constexpr uint64_t ByteOnes = 0x0101010101010101ull, ByteHighs = 0x8080808080808080ull;

inline uint64_t LoadWord(const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// The n (1 to 7) bytes at p as a word's low bytes, the others 0x01; a whole
// word is read when `end` is 8 bytes or more away.
inline uint64_t TailWord(const uint8_t* p, std::size_t n, const uint8_t* end) {
    const uint64_t mask = ~uint64_t{0} >> (64 - 8 * n);
    uint64_t w = 0;
    if (end - p >= 8)
        w = LoadWord(p);
    else
        for (std::size_t i = 0; i < n; ++i) w |= uint64_t{p[i]} << (8 * i);
    return (w & mask) | (ByteOnes & ~mask);
}

// True when the n bytes at p are ASCII without a zero byte, as most texts
// are: whole words, the last one overlapping or masked. Reads nothing at or
// past `end`.
inline bool IsPlainText(const uint8_t* p, std::size_t n, const uint8_t* end) {
    std::size_t i = 0;
    if (n >= 16) {
        // Sixteen bytes at a time, the last sixteen overlapping.
        using TBytes = uint8_t __attribute__((vector_size(16)));
        TBytes high{}, zero{};
        auto take = [&](const uint8_t* at) {
            TBytes v;
            std::memcpy(&v, at, 16);
            high |= v;
            zero |= v == 0;  // 0xFF where a byte is zero
        };
        for (; i + 16 <= n; i += 16) take(p + i);
        if (i < n) take(p + n - 16);
        high |= zero;
        uint64_t w[2];
        std::memcpy(w, &high, 16);
        return ((w[0] | w[1]) & ByteHighs) == 0;
    }
    uint64_t high = 0, zero = 0;
    for (; i + 8 <= n; i += 8) {
        const uint64_t w = LoadWord(p + i);
        high |= w;
        zero |= (w - ByteOnes) & ~w;
    }
    if (i < n) {
        const uint64_t w = n >= 8 ? LoadWord(p + n - 8) : TailWord(p, n, end);
        high |= w;
        zero |= (w - ByteOnes) & ~w;
    }
    return ((high | zero) & ByteHighs) == 0;
}

// Notes an AutoInc value in the run of its batch.
inline void NoteAutoInc(TAutoIncRun& run, int32_t value, bool first) {
    if (first) {
        run.First = run.Highest = value;
    } else {
        if (value < run.Last) run.Ascending = false;
        run.Highest = std::max(run.Highest, value);
    }
    run.Last = value;
}

// True, with the error, when a record that needs `size` bytes claims more
// than the `held` bytes at hand and the `unread` ones still to come: no
// buffer is made for bytes the image does not have.
bool Overruns(std::size_t size, std::size_t held, uint64_t unread, std::string& error) {
    if (size <= held || size - held <= unread) return false;
    error = SUnexpectedEndOfBuffer;
    return true;
}

// Pages populated ahead of the one-thread load: slots, value bytes.
constexpr std::size_t SlotsAhead = 2048, ValuesAhead = std::size_t{128} << 10;

}  // namespace

inline TOstraImageReader::TScan TOstraImageReader::Lacking(bool final, std::size_t need, std::size_t& size,
                                                           std::string& error) {
    if (final) {
        error = SUnexpectedEndOfBuffer;
        return TScan::Failed;
    }
    size = need;
    return TScan::Short;
}

inline bool TOstraImageReader::ValueLengthFits(const TFieldPlan& f, int32_t length, std::size_t field,
                                               int32_t number, std::string& error) const {
    if (f.Kind == TFieldPlan::String) {
        if (length < 0 || (length >= OstraMaxStringValue && length > f.Length)) {
            error = Format(SStringFieldWrongLength, NameOf(C.FFields[field]), length, number);
            return false;
        }
    } else if (length < 0 || length >= OstraMaxBlobValue) {
        error = Format(SBlobFieldWrongLength, NameOf(C.FFields[field]), length, number);
        return false;
    }
    return true;
}

inline TOstraImageReader::TScan TOstraImageReader::ScanRecord(const uint8_t* p, std::size_t avail, bool final,
                                                              int32_t number, std::size_t& size,
                                                              std::size_t& values, std::string& error) const {
    auto lacking = [&](std::size_t need) { return Lacking(final, need, size, error); };
    const std::size_t fieldCount = FPlan.size();
    if (avail < fieldCount) return lacking(fieldCount);
    std::size_t at = fieldCount;
    values = 0;
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const TFieldPlan& f = FPlan[i];
        const uint8_t n = p[i];
        if (n > f.Limit || (f.Reference && n != 0 && n != 4)) {
            error = Format(SFieldWrongLength, NameOf(C.FFields[i]), int{n}, number);
            return TScan::Failed;
        }
        if (n == 0) continue;
        if (avail - at < n) return lacking(at + n);
        if (!f.Reference) {
            at += n;
            continue;
        }
        const int32_t m = GetLE32(p + at);
        at += 4;
        if (!ValueLengthFits(f, m, i, number, error)) return TScan::Failed;
        if (avail - at < static_cast<std::size_t>(m)) return lacking(at + static_cast<std::size_t>(m));
        if (m > 0) values += RoundUp4(OstValueBlockSize(static_cast<std::size_t>(m)));
        at += static_cast<std::size_t>(m);
    }
    size = at;
    return TScan::Done;
}

template <bool Checked>
inline TOstraImageReader::TScan TOstraImageReader::LayRecord(const TFieldPlan* plan, std::size_t fieldCount,
                                                             const uint8_t* p, const uint8_t* end, bool final,
                                                             int32_t number, uint8_t* data, TValueRoom& room,
                                                             bool check, bool& bad, std::size_t& size,
                                                             std::string& error) const {
    const uint8_t* const start = p;
    auto lacking = [&](std::size_t need) { return Lacking(final, need, size, error); };
    auto at = [&] { return static_cast<std::size_t>(p - start); };
    if constexpr (Checked)
        if (static_cast<std::size_t>(end - p) < fieldCount) return lacking(fieldCount);
    // A text that is not plain ASCII: checked for UTF-8 until one is not.
    auto noteText = [&](const uint8_t* text, std::size_t n) {
        if (check && !IsValidUtf8(std::string_view(reinterpret_cast<const char*>(text), n))) bad = true;
    };
    const uint8_t* const presence = p;
    p += fieldCount;
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const uint8_t n = presence[i];
        const TFieldPlan f = plan[i];
        if constexpr (Checked) {
            if (n > f.Limit || (f.Reference && n != 0 && n != 4)) {
                error = Format(SFieldWrongLength, NameOf(C.FFields[i]), int{n}, number);
                return TScan::Failed;
            }
        }
        if (n == 0) continue;
        if constexpr (Checked)
            if (static_cast<std::size_t>(end - p) < n) return lacking(at() + n);
        switch (f.Kind) {
        case TFieldPlan::SmallStr:
            if (check && !IsPlainText(p, n, end) && !IsAsciiText(p, n))
                noteText(p, strnlen(reinterpret_cast<const char*>(p), n));
            [[fallthrough]];
        case TFieldPlan::Fixed:
            CopyField(data + f.Offset, p, n);
            p += n;
            continue;
        default: break;
        }
        const int32_t word = GetLE32(p);
        p += 4;
        if constexpr (Checked) {
            if (!ValueLengthFits(f, word, i, number, error)) return TScan::Failed;
            if (static_cast<std::size_t>(end - p) < static_cast<std::size_t>(word))
                return lacking(at() + static_cast<std::size_t>(word));
        }
        const auto m = static_cast<uint32_t>(word);
        uint32_t length = m;
        if (f.Kind == TFieldPlan::String) {
            if (!IsPlainText(p, m, end)) {  // a zero byte ends the text
                bool ascii = true;
                length = static_cast<uint32_t>(TextLength(p, m, ascii));
                if (!ascii) noteText(p, length);
            }
        } else if (f.Kind == TFieldPlan::Text && check && !IsPlainText(p, m, end) && !IsAsciiText(p, m)) {
            noteText(p, m);
        }
        if (length > 0) {
            const std::size_t need = RoundUp4(OstValueBlockSize(length));
            uint8_t* block = room.Next;
            if (Checked && need > static_cast<std::size_t>(room.End - room.Next))
                block = SpillValue(room, need);
            else
                room.Next += need;
            std::memcpy(block, &length, 4);  // below OstValueHeapFlag: in the store's memory
            CopyValue(block + 4, p, length);
            block[4 + length] = 0;
            uint8_t* const ref = block + 4;
            std::memcpy(data + f.Offset, &ref, sizeof ref);
        }
        p += m;
    }
    size = at();
    return TScan::Done;
}

uint8_t* TOstraImageReader::SpillValue(TValueRoom& room, std::size_t need) const {
    C.FValueMemory.Keep(room.Next);
    auto* block = static_cast<uint8_t*>(C.FValueMemory.Allocate(need));
    std::size_t left = 0;
    room.Next = room.Ready = C.FValueMemory.Room(left);
    room.End = room.Next + left;
    ++room.Spills;
    return block;
}

void TOstraImageReader::ParseBatch(const TRecordBatch& batch) {
    // In locals: the stores into the records could alias members.
    const std::size_t fieldCount = FPlan.size();
    const TFieldPlan* const plan = FPlan.data();
    const std::size_t slotSize = C.FRecordMemory.SlotSize();
    const std::size_t dataSize = C.FDataSize;
    const int64_t autoIncOffset = FAutoIncOffset;
    const uint8_t* p = batch.Data;
    const uint8_t* const end = batch.Data + batch.Bytes;
    uint8_t* slot = batch.Slots;
    TValueRoom room;
    room.Next = batch.Values;
    bool check = !FNotUtf8.load(std::memory_order_relaxed);
    bool notUtf8 = false;
    TAutoIncRun run;
    // Their pages at once: fresh memory otherwise takes a fault a page.
    PopulateMemory(slot, static_cast<std::size_t>(batch.Count) * slotSize);
    if (batch.Values) PopulateMemory(batch.Values, batch.ValueBytes);
    std::string unused;
    for (int32_t j = 0; j < batch.Count; ++j, slot += slotSize) {
        auto* record = new (slot) TOstraRecord();
        uint8_t* data = record->Data();
        std::memset(data, 0, dataSize);
        bool bad = false;
        std::size_t size = 0;
        LayRecord<false>(plan, fieldCount, p, end, true, 0, data, room, check, bad, size, unused);
        p += size;
        if (bad) notUtf8 = true, check = false;
        record->StoredSize = static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX));
        record->Number = batch.First + j;
        if (autoIncOffset >= 0) NoteAutoInc(run, OstGet<int32_t>(data + autoIncOffset), j == 0);
    }
    if (notUtf8) FNotUtf8.store(true, std::memory_order_relaxed);
    if (batch.AutoInc) *batch.AutoInc = run;
}

void TOstraImageReader::PlanFields() {
    FPlan.clear();
    for (const TOstraField& f : C.FFields) {
        TFieldPlan plan{};
        plan.Offset = f.Offset;
        plan.Length = f.Length;
        plan.Reference = IsReferenceType(f.FieldType);
        // A short string keeps its terminator; references store a 4-byte length.
        plan.Limit =
            static_cast<uint16_t>(plan.Reference ? 4u : (f.FieldType == oftSmallStr ? f.Length : f.Size));
        if (f.FieldType == oftString)
            plan.Kind = TFieldPlan::String;
        else if (plan.Reference)
            plan.Kind = IsTextType(f.FieldType) ? TFieldPlan::Text : TFieldPlan::Blob;
        else
            plan.Kind = f.FieldType == oftSmallStr ? TFieldPlan::SmallStr : TFieldPlan::Fixed;
        FPlan.push_back(plan);
    }
}

// Whether the AutoInc values ascend through the batches, and the highest.
void TOstraImageReader::NoteAutoIncOrder() {
    AutoIncAscending = true;
    for (std::size_t i = 0; i < FAutoIncRuns.size() && AutoIncAscending; ++i) {
        const TAutoIncRun& run = FAutoIncRuns[i];
        AutoIncAscending = run.Ascending && (i == 0 || FAutoIncRuns[i - 1].Last <= run.First);
        AutoIncHighest = i == 0 ? run.Highest : std::max(AutoIncHighest, run.Highest);
    }
}

bool TOstraImageReader::ReadRecords(TImageInput& in, int32_t recordCount, std::string& error) {
    if (recordCount == 0) return true;
    PlanFields();
    const std::size_t fieldCount = FPlan.size();
    if (const TOstraField* f = C.AutoIncField()) FAutoIncOffset = f->Offset;
    const std::size_t batchBytes = std::max<std::size_t>(TableChunkSize() / 4, 1);
    const uint64_t batches = in.Remaining() / batchBytes;
    const auto threads = static_cast<uint64_t>(std::max(in.Threads, 1));
    const int workers = batches >= 2 ? static_cast<int>(std::min<uint64_t>(threads - 1, batches - 1)) : 0;
    if (workers == 0) return ReadRecordsAlone(in, recordCount, error);
    // The loading thread is the slower side: a few buffers in flight keep the
    // workers busy, and each is memory the load holds on top of the table.
    TBatchWorkers pool([this](const TRecordBatch& b) { ParseBatch(b); }, workers,
                       std::min<std::size_t>(static_cast<std::size_t>(workers) + 2, 6));
    TProgress progress(C.FOnProgress, recordCount);
    const int running = static_cast<int>(pool.Workers()) + 1;

    // The bytes at hand: the image in memory, or the buffer being scanned.
    const bool whole = in.Whole();
    int buffer = -1;
    bool handed = false;  // a batch lies in the buffer
    const uint8_t* base = in.P;
    std::size_t fill = in.Left();
    if (!whole) {
        buffer = pool.Acquire();
        TBatchWorkers::TBuffer& b = pool.Buffer(buffer);
        if (b.Capacity < batchBytes) {
            b.Data.reset(static_cast<uint8_t*>(OstAllocateBlock(batchBytes)));
            b.Capacity = batchBytes;
        }
        fill = in.Take(b.Data.get(), b.Capacity);
        base = b.Data.get();
    }
    std::size_t pos = 0, start = 0, batchValues = 0;
    int32_t loaded = 0, batchCount = 0;
    auto hand = [&] {
        if (batchCount == 0) return;
        CallLoadMemoryHook(running);
        TRecordBatch batch;
        batch.Data = base + start;
        batch.Bytes = pos - start;
        batch.First = loaded - batchCount;
        batch.Count = batchCount;
        batch.Buffer = buffer;
        batch.Slots = C.FRecordMemory.NewRecords(static_cast<std::size_t>(batchCount));
        if (batchValues) batch.Values = static_cast<uint8_t*>(C.FValueMemory.AllocateRun(batchValues));
        batch.ValueBytes = batchValues;
        if (FAutoIncOffset >= 0) batch.AutoInc = &FAutoIncRuns.emplace_back();
        pool.Hand(batch);
        handed = true;
        // Reserved for them: no reallocation.
        const std::size_t slotSize = C.FRecordMemory.SlotSize();
        for (int32_t j = 0; j < batchCount; ++j)
            C.FRecords.push_back(reinterpret_cast<TOstraRecord*>(batch.Slots + j * slotSize));
        start = pos;
        batchCount = 0;
        batchValues = 0;
    };
    while (loaded < recordCount) {
        const uint64_t unread = whole ? 0 : in.Remaining();
        if ((fill - pos) + unread < fieldCount) break;
        std::size_t size = 0, values = 0;
        const TScan scan = ScanRecord(base + pos, fill - pos, unread == 0, loaded + 1, size, values, error);
        if (scan == TScan::Failed) break;
        if (scan == TScan::Done) {
            pos += size;
            batchValues += values;
            ++batchCount;
            ++loaded;
            progress.Step(loaded);
            if (whole && pos - start >= batchBytes) hand();
            continue;
        }
        // The record goes on past the buffer: the next buffer starts with it,
        // unless it claims more than the image has left.
        if (Overruns(size, fill - pos, unread, error)) break;
        hand();
        const std::size_t tail = fill - pos;
        const int next = pool.Acquire();
        TBatchWorkers::TBuffer& b = pool.Buffer(next);
        const std::size_t need = std::max(size, batchBytes);
        if (next == buffer) {
            // Its batch is parsed already.
            std::memmove(b.Data.get(), base + pos, tail);
            if (b.Capacity < need) {
                TOstBlock bigger(static_cast<uint8_t*>(OstAllocateBlock(need)));
                std::memcpy(bigger.get(), b.Data.get(), tail);
                b.Data = std::move(bigger);
                b.Capacity = need;
            }
        } else {
            if (b.Capacity < need) {
                b.Data.reset();
                b.Data.reset(static_cast<uint8_t*>(OstAllocateBlock(need)));
                b.Capacity = need;
            }
            std::memcpy(b.Data.get(), base + pos, tail);
            if (!handed) pool.Release(buffer);
        }
        buffer = next;
        handed = false;
        base = b.Data.get();
        pos = start = 0;
        fill = tail + in.Take(b.Data.get() + tail, b.Capacity - tail);
    }
    hand();
    if (buffer >= 0 && !handed) pool.Release(buffer);
    pool.Finish();
    return EndRecords(loaded, recordCount, error);
}

bool TOstraImageReader::EndRecords(int32_t loaded, int32_t recordCount, std::string& error) {
    if (FNotUtf8.load()) Windows1252 = true;
    if (!error.empty()) return false;
    if (loaded != recordCount) {
        error = Format(SRecordCountMismatch, loaded, recordCount);
        return false;
    }
    if (FAutoIncOffset >= 0) NoteAutoIncOrder();
    return true;
}

// Records checked and laid out as they are read, into slots and value room
// taken from the store's memory in place: a load on one thread.
struct TOstraImageReader::TLayer {
    explicit TLayer(TOstraImageReader& reader)
        : R(reader),
          Plan(reader.FPlan.data()),
          FieldCount(reader.FPlan.size()),
          SlotSize(reader.C.FRecordMemory.SlotSize()),
          DataSize(reader.C.FDataSize),
          AutoIncOffset(reader.FAutoIncOffset) {}

    // Lays the records from `pos` of the bytes at `base` (`fill` of them, all
    // there are when `final`) until `loaded` is `recordCount` or (when
    // `final`) too few bytes are left for a record: then Done. Short: a record goes on past `fill`
    // (`size` bytes are needed); Failed: `error` says why.
    TScan Lay(const uint8_t* base, std::size_t& pos, std::size_t fill, bool final, int32_t& loaded,
              int32_t recordCount, TProgress& progress, std::size_t& size, std::string& error);
    // The slots laid are handed out, the value room kept, the run of AutoInc
    // values noted: before other records take memory, and at the end.
    void Close();

    TOstraImageReader& R;
    const TFieldPlan* const Plan;
    const std::size_t FieldCount, SlotSize, DataSize;
    const int64_t AutoIncOffset;
    TValueRoom Room;
    bool RoomOpen = false;
    uint8_t* Slot = nullptr;
    uint8_t* SlotsReady = nullptr;
    std::size_t SlotsLeft = 0, Laid = 0;
    bool Check = true, NotUtf8 = false;
    TAutoIncRun Run;
    int32_t RunCount = 0;
};

TOstraImageReader::TScan TOstraImageReader::TLayer::Lay(const uint8_t* base, std::size_t& pos,
                                                        std::size_t fill, bool final, int32_t& loaded,
                                                        int32_t recordCount, TProgress& progress,
                                                        std::size_t& size, std::string& error) {
    // In locals: the stores into the records could alias the members.
    const TFieldPlan* const plan = Plan;
    const std::size_t fieldCount = FieldCount, slotSize = SlotSize, dataSize = DataSize;
    const int64_t autoIncOffset = AutoIncOffset;
    TValueRoom room = Room;
    if (!RoomOpen) {
        std::size_t left = 0;
        room.Next = room.Ready = R.C.FValueMemory.Room(left);
        room.End = room.Next + left;
        RoomOpen = true;
    }
    uint8_t* slot = Slot;
    uint8_t* slotsReady = SlotsReady;
    std::size_t slotsLeft = SlotsLeft, laid = Laid;
    bool check = Check, notUtf8 = NotUtf8;
    TAutoIncRun run = Run;
    int32_t runCount = RunCount;
    TScan scan = TScan::Done;
    while (loaded < recordCount) {
        if (fill - pos < fieldCount) {
            // At the end, fewer records than the count: the caller tells.
            if (!final) {
                size = fieldCount;
                scan = TScan::Short;
            }
            break;
        }
        if (slotsLeft == 0) {
            if (laid) R.C.FRecordMemory.NewRecords(laid);
            laid = 0;
            slot = slotsReady = R.C.FRecordMemory.Room(slotsLeft);
        }
        // Pages populated ahead: fresh memory otherwise takes a fault a page.
        if (slot == slotsReady) {
            const std::size_t ahead = std::min(slotsLeft, SlotsAhead) * slotSize;
            PopulateMemory(slot, ahead);
            slotsReady = slot + ahead;
        }
        if (room.Ready - room.Next < static_cast<std::ptrdiff_t>(ValuesAhead / 4) && room.Ready < room.End) {
            uint8_t* const from = std::max(room.Ready, room.Next);
            const std::size_t ahead = std::min(static_cast<std::size_t>(room.End - from), ValuesAhead);
            PopulateMemory(from, ahead);
            room.Ready = from + ahead;
        }
        auto* record = new (slot) TOstraRecord();
        uint8_t* data = record->Data();
        std::memset(data, 0, dataSize);
        uint8_t* const mark = room.Next;
        const std::size_t spills = room.Spills;
        bool bad = false;
        scan = R.LayRecord<true>(plan, fieldCount, base + pos, base + fill, final, loaded + 1, data, room,
                                 check, bad, size, error);
        if (scan != TScan::Done) {
            if (room.Spills == spills) room.Next = mark;  // its values go
            break;
        }
        if (bad) notUtf8 = true, check = false;
        record->StoredSize = static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX));
        record->Number = loaded;
        if (autoIncOffset >= 0) NoteAutoInc(run, OstGet<int32_t>(data + autoIncOffset), runCount++ == 0);
        R.C.FRecords.push_back(record);
        slot += slotSize;
        --slotsLeft;
        ++laid;
        pos += size;
        ++loaded;
        progress.Step(loaded);
    }
    Room = room;
    Slot = slot;
    SlotsReady = slotsReady;
    SlotsLeft = slotsLeft;
    Laid = laid;
    Check = check;
    NotUtf8 = notUtf8;
    Run = run;
    RunCount = runCount;
    return scan;
}

void TOstraImageReader::TLayer::Close() {
    if (Laid) R.C.FRecordMemory.NewRecords(Laid);
    Laid = SlotsLeft = 0;
    if (RoomOpen) R.C.FValueMemory.Keep(Room.Next);
    RoomOpen = false;
    if (RunCount > 0) R.FAutoIncRuns.push_back(Run);
    Run = TAutoIncRun();
    RunCount = 0;
    if (NotUtf8) R.FNotUtf8.store(true, std::memory_order_relaxed);
}

bool TOstraImageReader::ReadRecordsAlone(TImageInput& in, int32_t recordCount, std::string& error) {
    const std::size_t fieldCount = FPlan.size();
    const std::size_t bufferBytes = std::max<std::size_t>(TableChunkSize() / 4, 1);
    CallLoadMemoryHook(1);
    // The bytes at hand: the image in memory, or the buffer read into.
    const bool whole = in.Whole();
    TOstBlock buffer;
    std::size_t capacity = 0;
    const uint8_t* base = in.P;
    std::size_t fill = in.Left(), pos = 0;
    if (!whole) {
        capacity = bufferBytes;
        buffer.reset(static_cast<uint8_t*>(OstAllocateBlock(capacity)));
        fill = in.Take(buffer.get(), capacity);
        base = buffer.get();
    }
    TProgress progress(C.FOnProgress, recordCount);
    TLayer layer(*this);
    int32_t loaded = 0;
    while (loaded < recordCount) {
        const uint64_t unread = whole ? 0 : in.Remaining();
        if ((fill - pos) + unread < fieldCount) break;
        std::size_t size = 0;
        const TScan scan =
            layer.Lay(base, pos, fill, unread == 0, loaded, recordCount, progress, size, error);
        if (scan == TScan::Failed) break;
        if (scan == TScan::Done) continue;
        // The record goes on past the buffer: the buffer starts again with it,
        // unless it claims more than the image has left. Too few bytes left
        // for a record at all end the records, as on the threaded road.
        if ((fill - pos) + unread < fieldCount || Overruns(size, fill - pos, unread, error)) break;
        CallLoadMemoryHook(1);
        const std::size_t tail = fill - pos;
        const std::size_t need = std::max(size, bufferBytes);
        if (capacity < need) {
            TOstBlock bigger(static_cast<uint8_t*>(OstAllocateBlock(need)));
            std::memcpy(bigger.get(), base + pos, tail);
            buffer = std::move(bigger);
            capacity = need;
        } else {
            std::memmove(buffer.get(), base + pos, tail);
        }
        base = buffer.get();
        pos = 0;
        fill = tail + in.Take(buffer.get() + tail, capacity - tail);
    }
    layer.Close();
    return EndRecords(loaded, recordCount, error);
}
