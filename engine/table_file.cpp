// Reading table images (the TOstraCursor members declared in record_store.h)
// and the settings of table files.
#include "engine/table_file.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "engine/batch_workers.h"
#include "engine/messages.h"
#include "engine/password.h"
#include "engine/record_sort.h"
#include "engine/record_store.h"
#include "engine/sapphire.h"
#include "engine/table_image.h"
#include "engine/table_load.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/process.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

std::size_t GChunkSize = 1 << 20;
int GLoadThreads = 0;  // 0: one per usable processor
std::function<void(int)> GLoadMemoryHook;

// A stream's bytes pulled in chunks; a read error ends the image there.
TImageInput::TSource ChunksOf(TStream* Stream) {
    return [Stream](uint8_t* buffer, std::size_t count) -> std::size_t {
        try {
            return static_cast<std::size_t>(
                std::max<int64_t>(Stream->Read(buffer, static_cast<int64_t>(count)), 0));
        } catch (const Exception&) {
            return 0;
        }
    };
}

}  // namespace

std::size_t SetTableChunkSize(std::size_t bytes) {
    const std::size_t old = GChunkSize;
    GChunkSize = std::max<std::size_t>(bytes, 1);
    return old;
}

int SetTableLoadThreads(int threads) {
    const int old = GLoadThreads;
    GLoadThreads = std::max(threads, 0);
    return old;
}

std::size_t TableChunkSize() { return GChunkSize; }

int TableLoadThreads() { return GLoadThreads > 0 ? GLoadThreads : UsableProcessorCount(); }

void SetTableLoadMemoryHook(std::function<void(int threads)> hook) { GLoadMemoryHook = std::move(hook); }

// -- Descriptor texts ----------------------------------------------------------------

std::string DescriptorItem(const TOstraField& field) {
    std::string item = field.Origin.empty() ? std::string("XXX") : field.Origin;
    item += '.';
    item += ReplaceSpaces(field.Name, '_');
    item += ' ';
    item += TypeLetter(field.FieldType, field.Length);
    if (field.FieldType == oftString) item += std::to_string(field.Length);
    if (!field.DefaultText.empty() || !field.ExtraText.empty()) {
        item += '~';
        item += field.DefaultText;
        item += '~';
        item += field.ExtraText;
    }
    item += OstraItemEnd;
    return item;
}

std::string BuildDescriptor(std::span<const TOstraField> fields) {
    std::string text;
    for (const TOstraField& f : fields) text += DescriptorItem(f);
    text += OstraDescriptorEnd;
    return text;
}

std::string BuildEmptyImage(std::span<const TOstraField> fields) {
    const std::string descriptor = BuildDescriptor(fields);
    std::string image(OstraPlainHeaderSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(image.data());
    PutLE32(p, static_cast<int32_t>(descriptor.size() + OstraPlainHeaderSize));
    p[4] = OstraPlainMarker;
    PutLE32(p + 5, 0);
    PutLE32(p + 9, static_cast<int32_t>(fields.size()));
    PutLE32(p + 13, static_cast<int32_t>(descriptor.size()));
    return image + descriptor;
}

// -- Reader --------------------------------------------------------------------------

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
    uint64_t high = 0, zero = 0;
    std::size_t i = 0;
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

}  // namespace

// Records are read in two steps. The loading thread reads the image into
// buffers and scans each record's presence bytes and lengths: that finds
// where every record starts and every error, at its record number, exactly
// as a record-by-record read would. The records it found are then laid into
// their slots and the store's value memory, reserved for them in list order,
// by worker threads, one batch (a buffer of records) each; texts are checked
// for UTF-8 there.
class TOstraImageReader {
public:
    explicit TOstraImageReader(TOstraCursor& cursor) : C(cursor) {}

    bool Read(TImageInput& in, std::string& error);
    // Loads the image Open gives on TableLoadThreads() threads. A load that
    // runs short of memory starts over on half the threads (Open gives the
    // image from its start again; nullptr when it cannot); one that runs
    // short on one thread raises EOutOfMemory, the store left empty.
    static bool LoadFallingBack(TOstraCursor& cursor,
                                const std::function<std::unique_ptr<TImageInput>()>& open,
                                std::string& error);
    // True once the fields are known: from then on a tolerant load keeps what
    // it read.
    bool FieldsKnown = false;
    // Stop once the fields are known; a protected table's password is not checked.
    bool FieldsOnly = false;
    // Texts are kept as read; set when one is not UTF-8: the table is then
    // read and written in Windows-1252 (decoded once the reading is over).
    bool Windows1252 = false;
    // Set when every record was read and the AutoInc values ascend in the
    // list: the list needs no sort, and the counter starts at the highest.
    bool AutoIncAscending = false;
    int32_t AutoIncHighest = 0;

private:
    // A field as the records' reading needs it.
    struct TFieldPlan {
        enum TKind : uint8_t { Fixed, SmallStr, String, Text, Blob };  // String on: references
        uint32_t Offset;
        uint16_t Length;  // declared length
        uint16_t Limit;   // largest presence byte
        TKind Kind;
        bool Reference;
    };
    enum class TScan { Done, Short, Failed };

    bool ParseDescriptor(std::string_view text, int32_t fieldCount, std::string& error);
    bool ReadRecords(TImageInput& in, int32_t recordCount, std::string& error);
    // The fields as the records' reading needs them.
    void PlanFields();
    void NoteAutoIncOrder();
    // Checks the record at p, of which `avail` bytes are at hand (all there
    // is when `final`). Done: `size` is its length and `values` the value
    // room it takes at most. Short: `size` bytes are needed to go on.
    [[gnu::always_inline]] inline TScan ScanRecord(const uint8_t* p, std::size_t avail, bool final,
                                                   int32_t number, std::size_t& size, std::size_t& values,
                                                   std::string& error) const;
    void ParseBatch(const TRecordBatch& batch);
    // Notes a text that is not UTF-8 (only until one is found).
    void CheckText(const uint8_t* p, std::size_t n) {
        if (!Windows1252 && !IsValidUtf8(std::string_view(reinterpret_cast<const char*>(p), n)))
            Windows1252 = true;
    }
    // A field's name for a message (its bytes may not be UTF-8 yet).
    static std::string NameOf(const TOstraField& f) { return EnsureUtf8(f.Name); }

    TOstraCursor& C;
    std::vector<TFieldPlan> FPlan;
    int64_t FAutoIncOffset = -1;
    std::deque<TAutoIncRun> FAutoIncRuns;  // of each batch, in list order
    std::atomic<bool> FNotUtf8{false};     // a record's text is not UTF-8
};

bool TOstraImageReader::ParseDescriptor(std::string_view text, int32_t fieldCount, std::string& error) {
    std::vector<TOstraField> fields;
    std::size_t pos = 0;
    for (int32_t i = 0; i < fieldCount && pos < text.size(); ++i) {
        const std::size_t end = text.find(OstraItemEnd, pos);
        if (end == std::string_view::npos || end == pos) break;
        const std::string_view item = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t blank = item.find(' ');
        if (blank == std::string_view::npos || blank + 1 >= item.size()) break;
        const std::string_view head = item.substr(0, blank);
        const char letter = item[blank + 1];
        const std::string_view rest = item.substr(blank + 2);
        const std::size_t tilde = rest.find('~');

        TOstraField f;
        int length = 0;
        if (!TypeFromLetter(letter, f.FieldType, length)) break;
        if (f.FieldType == oftString) {
            const std::string_view digits = rest.substr(0, tilde);
            if (digits.empty()) {
                length = 100;
            } else {
                if (digits.size() > 5 ||
                    !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
                    break;
                length = std::stoi(std::string(digits));
                if (length > UINT16_MAX) break;
            }
        }
        const std::size_t dot = head.find('.');
        const std::string_view name = dot == std::string_view::npos ? head : head.substr(dot + 1);
        if (name.empty()) break;
        // As read; decoded with the rest when the table is in Windows-1252.
        f.Name = std::string(name);
        f.Origin = dot == std::string_view::npos ? std::string("XXX") : std::string(head.substr(0, dot));
        if (tilde != std::string_view::npos) {
            const std::string_view after = rest.substr(tilde + 1);
            const std::size_t second = after.find('~');
            if (second == std::string_view::npos) {
                f.ExtraText = std::string(after);
            } else {
                f.DefaultText = std::string(after.substr(0, second));
                f.ExtraText = std::string(after.substr(second + 1));
            }
        }
        f.Length = static_cast<uint16_t>(length);
        SetFieldLayout(f);
        fields.push_back(std::move(f));
    }
    // Every declared field must be described: the records hold one presence
    // byte per declared field.
    if (static_cast<int64_t>(fields.size()) != fieldCount) {
        error = SFieldDescriptionError;
        return false;
    }
    C.SetFields(std::move(fields));
    return true;
}

inline TOstraImageReader::TScan TOstraImageReader::ScanRecord(const uint8_t* p, std::size_t avail, bool final,
                                                              int32_t number, std::size_t& size,
                                                              std::size_t& values, std::string& error) const {
    auto lacking = [&](std::size_t need) {
        if (final) {
            error = SUnexpectedEndOfBuffer;
            return TScan::Failed;
        }
        size = need;
        return TScan::Short;
    };
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
        if (f.Kind == TFieldPlan::String) {
            if (m < 0 || (m >= OstraMaxStringValue && m > f.Length)) {
                error = Format(SStringFieldWrongLength, NameOf(C.FFields[i]), m, number);
                return TScan::Failed;
            }
        } else if (m < 0 || m >= OstraMaxBlobValue) {
            error = Format(SBlobFieldWrongLength, NameOf(C.FFields[i]), m, number);
            return TScan::Failed;
        }
        if (avail - at < static_cast<std::size_t>(m)) return lacking(at + static_cast<std::size_t>(m));
        if (m > 0) values += RoundUp4(OstValueBlockSize(static_cast<std::size_t>(m)));
        at += static_cast<std::size_t>(m);
    }
    size = at;
    return TScan::Done;
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
    uint8_t* values = batch.Values;
    bool check = !FNotUtf8.load(std::memory_order_relaxed);
    bool notUtf8 = false;
    TAutoIncRun run;
    // Their pages at once: fresh memory otherwise takes a fault a page.
    PopulateMemory(slot, static_cast<std::size_t>(batch.Count) * slotSize);
    if (values) PopulateMemory(values, batch.ValueBytes);
    // A text that is not plain ASCII: checked for UTF-8 until one is not.
    auto noteText = [&](const uint8_t* text, std::size_t n) {
        if (check && !IsValidUtf8(std::string_view(reinterpret_cast<const char*>(text), n))) {
            notUtf8 = true;
            check = false;
        }
    };
    for (int32_t j = 0; j < batch.Count; ++j, slot += slotSize) {
        auto* record = new (slot) TOstraRecord();
        uint8_t* data = record->Data();
        std::memset(data, 0, dataSize);
        const uint8_t* const presence = p;
        p += fieldCount;
        for (std::size_t i = 0; i < fieldCount; ++i) {
            const uint8_t n = presence[i];
            if (n == 0) continue;
            const TFieldPlan f = plan[i];
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
            const auto m = static_cast<uint32_t>(GetLE32(p));
            p += 4;
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
                std::memcpy(values, &length, 4);  // below OstValueHeapFlag: in the store's memory
                CopyValue(values + 4, p, length);
                values[4 + length] = 0;
                uint8_t* const ref = values + 4;
                std::memcpy(data + f.Offset, &ref, sizeof ref);
                values += RoundUp4(OstValueBlockSize(length));
            }
            p += m;
        }
        record->StoredSize = static_cast<int32_t>(std::min<std::ptrdiff_t>(p - presence, INT32_MAX));
        record->Number = batch.First + j;
        if (autoIncOffset >= 0) {
            const int32_t value = OstGet<int32_t>(data + autoIncOffset);
            if (j == 0) {
                run.First = run.Highest = value;
            } else {
                if (value < run.Last) run.Ascending = false;
                run.Highest = std::max(run.Highest, value);
            }
            run.Last = value;
        }
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
    const std::size_t batchBytes = std::max<std::size_t>(GChunkSize / 4, 1);
    const uint64_t batches = in.Remaining() / batchBytes;
    const auto threads = static_cast<uint64_t>(std::max(in.Threads, 1));
    const int workers = batches >= 2 ? static_cast<int>(std::min<uint64_t>(threads - 1, batches - 1)) : 0;
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
            b.Data.reset(new uint8_t[batchBytes]);
            b.Capacity = batchBytes;
        }
        fill = in.Take(b.Data.get(), b.Capacity);
        base = b.Data.get();
    }
    std::size_t pos = 0, start = 0, batchValues = 0;
    int32_t loaded = 0, batchCount = 0;
    auto hand = [&] {
        if (batchCount == 0) return;
        if (GLoadMemoryHook) GLoadMemoryHook(running);
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
        // The record goes on past the buffer: the next buffer starts with it.
        hand();
        const std::size_t tail = fill - pos;
        const int next = pool.Acquire();
        TBatchWorkers::TBuffer& b = pool.Buffer(next);
        const std::size_t need = std::max(size, batchBytes);
        if (next == buffer) {
            // Its batch is parsed already.
            std::memmove(b.Data.get(), base + pos, tail);
            if (b.Capacity < need) {
                std::unique_ptr<uint8_t[]> bigger(new uint8_t[need]);
                std::memcpy(bigger.get(), b.Data.get(), tail);
                b.Data = std::move(bigger);
                b.Capacity = need;
            }
        } else {
            if (b.Capacity < need) {
                b.Data.reset();
                b.Data.reset(new uint8_t[need]);
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
    if (FNotUtf8.load()) Windows1252 = true;
    if (!error.empty()) return false;
    if (loaded != recordCount) {
        error = Format(SRecordCountMismatch, loaded, recordCount);
        return false;
    }
    if (FAutoIncOffset >= 0) NoteAutoIncOrder();
    return true;
}

bool TOstraImageReader::Read(TImageInput& in, std::string& error) {
    int32_t length = 0;
    if (!in.Int32(length) || !in.Need(1)) {  // the length is not checked
        error = SUnexpectedEndOfBuffer;
        return false;
    }
    const char marker = static_cast<char>(*in.P++);
    if (marker == OstraErrorMarker) {
        const std::size_t rest = static_cast<std::size_t>(in.Remaining());
        in.Need(rest);
        error = EnsureUtf8(std::string_view(reinterpret_cast<const char*>(in.P), std::min(rest, in.Left())));
        return false;
    }
    const bool isProtected = marker == OstraProtectedMarker;
    if (!isProtected && marker != OstraPlainMarker) {
        error = SBufferCorrupted;
        return false;
    }
    if (isProtected) {
        if (!in.Need(OstraPasswordBlockSize)) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        TOstraPasswordBlock block;
        std::memcpy(block.data(), in.P, block.size());
        in.P += block.size();
        if (!FieldsOnly && !OstraPasswords().CheckPassword(block, C.FPassword)) {
            error = SInvalidPassword;
            return false;
        }
        C.FPasswordBlock = block;
        C.FProtected = true;
    }
    int32_t recordCount = 0, fieldCount = 0, descriptorLength = 0;
    if (!in.Int32(recordCount) || !in.Int32(fieldCount) || !in.Int32(descriptorLength)) {
        error = SUnexpectedEndOfBuffer;
        return false;
    }
    if (recordCount < 0 || fieldCount < 0 || descriptorLength < 0 || descriptorLength >= OstraMaxDescriptor ||
        (fieldCount == 0 && recordCount > 0)) {
        error = SBufferCorrupted;
        return false;
    }
    if (fieldCount == 0) {  // nothing a cursor could show
        error = SNoFields;
        return false;
    }
    if (!in.Need(static_cast<std::size_t>(descriptorLength))) {
        error = SUnexpectedEndOfBuffer;
        return false;
    }
    const std::string_view descriptor(reinterpret_cast<const char*>(in.P),
                                      static_cast<std::size_t>(descriptorLength));
    in.P += descriptorLength;
    if (!ParseDescriptor(descriptor, fieldCount, error)) return false;
    C.FDescriptor = std::string(descriptor);
    CheckText(reinterpret_cast<const uint8_t*>(descriptor.data()), descriptor.size());
    FieldsKnown = true;
    if (FieldsOnly) return true;

    // Deciphered as it is read: the caller's stream stays as it was.
    if (isProtected)
        in.StartCipher(
            std::string_view(reinterpret_cast<const char*>(C.FPasswordBlock.data()), OstraKeyTextSize));

    const std::size_t fields = static_cast<std::size_t>(fieldCount);
    if (in.Remaining() >= (recordCount > 0 ? fields : 3u) && in.Need(1) && *in.P == OstraNotesMarker) {
        ++in.P;
        if (!in.Need(2)) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        const auto notesLength = static_cast<int16_t>(in.P[0] | in.P[1] << 8);
        in.P += 2;
        if (notesLength < 0) {
            error = SBufferCorrupted;
            return false;
        }
        if (!in.Need(static_cast<std::size_t>(notesLength))) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        C.FNotes.assign(reinterpret_cast<const char*>(in.P), static_cast<std::size_t>(notesLength));
        CheckText(in.P, C.FNotes.size());
        in.P += notesLength;
    }

    // Every record takes at least its presence bytes: no more can be there.
    const std::size_t possible =
        fields ? static_cast<std::size_t>(std::min<uint64_t>(recordCount, in.Remaining() / fields)) : 0;
    C.FRecords.reserve(possible);
    C.FRecordMemory.Reserve(possible);
    return ReadRecords(in, recordCount, error);
}

bool TOstraCursor::LoadImage(TImageInput* input, std::string& error) {
    TOstraImageReader reader(*this);
    const bool ok = input && input->Remaining() > 0 && reader.Read(*input, error);
    if (!ok) {
        if (error.empty()) error = SUnexpectedEndOfBuffer;
        if (!(FTolerantLoad && reader.FieldsKnown)) {
            Clear(true);
            return false;
        }
    }
    if (reader.Windows1252) DecodeWindows1252();
    if (FRecords.capacity() > FRecords.size() + FRecords.size() / 8 + 16) FRecords.shrink_to_fit();
    if (ok && reader.AutoIncAscending)  // what SetAutoIncCounter finds, without reading every record again
        FAutoIncCounter = std::max(reader.AutoIncHighest, 0);
    else
        SetAutoIncCounter(0);
    return true;
}

namespace {

// A field description read from a Windows-1252 table, in UTF-8.
void DecodeFieldTexts(TOstraField& f) {
    f.Name = Cp1252ToUtf8(f.Name);
    f.Origin = Cp1252ToUtf8(f.Origin);
    f.DefaultText = Cp1252ToUtf8(f.DefaultText);
    f.ExtraText = Cp1252ToUtf8(f.ExtraText);
    SetFieldLayout(f, oteWindows1252);
}

}  // namespace

void TOstraCursor::DecodeWindows1252() {
    FTextEncoding = oteWindows1252;
    const std::vector<TOstraField> old = FFields;
    std::vector<TOstraField> fields = FFields;
    for (TOstraField& f : fields) DecodeFieldTexts(f);
    FNotes = Cp1252ToUtf8(FNotes);
    // Wider short strings: the records move to new slots.
    const uint32_t oldSize = FDataSize;
    TOstraRecordArena oldMemory = std::move(FRecordMemory);
    FRecordMemory = TOstraRecordArena();
    SetFields(std::move(fields));
    const bool relayout = FDataSize != oldSize;
    if (relayout)
        FRecordMemory.Reserve(FRecords.size());
    else
        FRecordMemory = std::move(oldMemory);
    std::string text;
    for (TOstraRecord*& record : FRecords) {
        const uint8_t* from = record->Data();
        uint8_t* to = record->Data();
        if (relayout) {
            TOstraRecord* moved = FRecordMemory.NewRecord();
            moved->StoredSize = record->StoredSize;
            moved->Number = record->Number;
            record = moved;
            to = moved->Data();
        }
        for (std::size_t i = 0; i < FFields.size(); ++i) {
            const TOstraField& f = FFields[i];
            const uint8_t* src = from + old[i].Offset;
            uint8_t* dst = to + f.Offset;
            if (f.FieldType == oftSmallStr) {
                const std::string_view t = FieldText(src, old[i]);
                if (OstIsAscii(t.data(), t.size())) {
                    if (relayout) std::memcpy(dst, t.data(), t.size());
                } else {
                    text = Cp1252ToUtf8(t);
                    std::memcpy(dst, text.data(), text.size());
                }
                continue;
            }
            const uint32_t n = IsTextType(f.FieldType) ? OstValueLength(src) : 0;
            if (n && !OstIsAscii(OstValueData(src), n)) {
                text = Cp1252ToUtf8(std::string_view(OstValueData(src), n));
                void* block = FValueMemory.Allocate(OstValueBlockSize(text.size()));
                char* ref = OstInitValueBlock(block, text.data(), static_cast<uint32_t>(text.size()), false);
                std::memcpy(dst, &ref, sizeof ref);
            } else if (relayout) {
                std::memcpy(dst, src, f.Size);
            }
        }
    }
}

void TOstraCursor::ClearForLoad() {
    const std::string password = FPassword;
    Clear(true);
    FPassword = password;
}

bool TOstraImageReader::LoadFallingBack(TOstraCursor& cursor,
                                        const std::function<std::unique_ptr<TImageInput>()>& open,
                                        std::string& error) {
    int threads = TableLoadThreads();
    for (;;) {
        try {
            std::unique_ptr<TImageInput> input = open();
            if (input) input->Threads = threads;
            return cursor.LoadImage(input.get(), error);
        } catch (const std::bad_alloc&) {
            // What was read goes, and with it the memory it took.
            cursor.ClearForLoad();
            error.clear();
            if (threads <= 1) throw EOutOfMemory(SOutOfMemory);
            threads /= 2;
        }
    }
}

bool TOstraCursor::LoadFromStream(TStream* stream, std::string& error) {
    error.clear();
    ClearForLoad();
    int64_t position = 0, left = 0;
    TMemoryStream* memory = nullptr;
    bool measured = false;
    if (stream) {
        try {
            position = stream->Position();
            left = std::max<int64_t>(stream->Size() - position, 0);
            memory = dynamic_cast<TMemoryStream*>(stream);
            measured = true;
        } catch (const Exception&) {}
    }
    bool again = false;
    auto open = [&]() -> std::unique_ptr<TImageInput> {
        if (!measured) return nullptr;
        if (memory)
            return std::make_unique<TImageInput>(static_cast<const uint8_t*>(memory->Memory()) + position,
                                                 static_cast<std::size_t>(left));
        if (std::exchange(again, true)) {
            // Read again from where the image starts; a stream that cannot
            // go back leaves the lack of memory standing.
            try {
                stream->SetPosition(position);
            } catch (const Exception&) {
                throw std::bad_alloc();
            }
        }
        // Pulled in chunks; a read error ends the image there.
        return std::make_unique<TImageInput>(ChunksOf(stream), static_cast<uint64_t>(left));
    };
    // The stream is left at its end, as when it was read whole.
    auto toEnd = [stream] {
        if (!stream) return;
        try {
            stream->Seek(0, soFromEnd);
        } catch (const Exception&) {}
    };
    bool ok = false;
    try {
        ok = TOstraImageReader::LoadFallingBack(*this, open, error);
    } catch (...) {
        toEnd();
        throw;
    }
    toEnd();
    return ok;
}

namespace {

// A table file opened for reading, with its size; false and the reason when it cannot be.
bool OpenImageFile(const std::string& Name, std::unique_ptr<TFileStream>& File, int64_t& Size,
                   std::string& Error) {
    try {
        File = std::make_unique<TFileStream>(Name, fmOpenRead | fmShareDenyWrite);
        Size = File->Size();
        return true;
    } catch (const Exception& e) {
        Error = e.Message();
        return false;
    }
}

}  // namespace

bool TOstraCursor::LoadFromFile(const std::string& fileName, std::string& error) {
    error.clear();
    ClearForLoad();
    RemoveStaleTempFiles(fileName);
    std::unique_ptr<TFileStream> file;
    int64_t size = 0;
    if (!OpenImageFile(fileName, file, size, error)) {
        Clear(true);
        return false;
    }
    TFileStream* stream = file.get();
    auto open = [stream, size]() -> std::unique_ptr<TImageInput> {
        try {
            stream->SetPosition(0);
        } catch (const Exception&) {
            throw std::bad_alloc();  // cannot read it again: the lack of memory stands
        }
        return std::make_unique<TImageInput>(
            [stream](uint8_t* buffer, std::size_t count) -> std::size_t {
                return static_cast<std::size_t>(
                    std::max<int64_t>(stream->Read(buffer, static_cast<int64_t>(count)), 0));
            },
            static_cast<uint64_t>(std::max<int64_t>(size, 0)));
    };
    return TOstraImageReader::LoadFallingBack(*this, open, error);
}

bool ReadTableFields(const std::string& FileName, std::vector<TOstraField>& Fields, std::string& Error) {
    Fields.clear();
    Error.clear();
    std::unique_ptr<TFileStream> file;
    int64_t size = 0;
    if (!OpenImageFile(FileName, file, size, Error)) return false;
    TFileStream* stream = file.get();
    TImageInput in(ChunksOf(stream), static_cast<uint64_t>(std::max<int64_t>(size, 0)));
    TOstraCursor cursor;
    TOstraImageReader reader(cursor);
    reader.FieldsOnly = true;
    if (!reader.Read(in, Error)) {
        if (Error.empty()) Error = SUnexpectedEndOfBuffer;
        return false;
    }
    Fields = cursor.Fields();
    if (reader.Windows1252)
        for (TOstraField& f : Fields) DecodeFieldTexts(f);
    return true;
}
