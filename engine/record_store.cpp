// The cursor over a record store: its fields, posting, deleting and reverting records,
// keeping previous values, the auto-increment counter and the clients it notifies.
#include "engine/record_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/messages.h"
#include "engine/record_sort.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {
// Set when a record's current data may hold values allocated outside the
// store's memory, which must then be released one by one.
constexpr uint8_t HasHeapValues = 1;
// Set while a record is in the store's list of touched records.
constexpr uint8_t Touched = 2;
// Set once a record is in the store's list of records given heap values.
constexpr uint8_t Listed = 4;
// Set while the store keeps old values of the record (FOldData).
constexpr uint8_t HasOldData = 8;
// Set while the store keeps user data of the record (FUserData).
constexpr uint8_t HasUserData = 16;

// Generations of every store of the process; none is given twice (2^56 of
// them would take centuries of reloads).
std::atomic<uint64_t> GGenerations{0};
uint64_t NewGeneration() {
    return (GGenerations.fetch_add(1, std::memory_order_relaxed) + 1) & ((uint64_t{1} << 56) - 1);
}
}  // namespace

TOstraCursor::TOstraCursor() : FGeneration(NewGeneration()) {}

TOstraCursor::~TOstraCursor() {
    // StoreGone lets a client forget the store; none leaves the list then.
    for (std::size_t i = 0; i < FClients.size(); ++i)
        if (FClients[i]) FClients[i]->StoreGone();
    Clear(true);
}

void TOstraCursor::AddClient(TOstraStoreClient* client) {
    if (client && std::find(FClients.begin(), FClients.end(), client) == FClients.end())
        FClients.push_back(client);
}

void TOstraCursor::RemoveClient(TOstraStoreClient* client) {
    if (FNotifying > 0) {
        // The list is being walked: the place empties, the walk's end drops it.
        std::replace(FClients.begin(), FClients.end(), client, static_cast<TOstraStoreClient*>(nullptr));
        return;
    }
    FClients.erase(std::remove(FClients.begin(), FClients.end(), client), FClients.end());
}

bool TOstraCursor::Shared() const {
    std::size_t clients = 0;
    for (const TOstraStoreClient* client : FClients) clients += client != nullptr;
    return clients > 1;
}

void TOstraCursor::NotifyClients(const TOstraStoreChange& change, const TOstraStoreClient* actor) {
    // Walked in place, without a copy that could run short of memory after
    // the change was made: a client that leaves while being told (a
    // handler closing it) leaves an empty place, one that joins is told too.
    struct TWalk {
        TOstraCursor& Store;
        explicit TWalk(TOstraCursor& S) : Store(S) { ++Store.FNotifying; }
        ~TWalk() {
            if (--Store.FNotifying == 0)
                Store.FClients.erase(std::remove(Store.FClients.begin(), Store.FClients.end(), nullptr),
                                     Store.FClients.end());
        }
    } walk(*this);
    for (std::size_t i = 0; i < FClients.size(); ++i)
        if (TOstraStoreClient* client = FClients[i]; client && client != actor) client->StoreChanged(change);
}

void TOstraCursor::PrepareRevertOfClients() {
    for (std::size_t i = 0; i < FClients.size(); ++i)
        if (TOstraStoreClient* client = FClients[i]) client->PrepareRevert();
}

void TOstraCursor::FinishRevertOfClients(bool taken) {
    for (std::size_t i = 0; i < FClients.size(); ++i)
        if (TOstraStoreClient* client = FClients[i]) client->FinishRevert(taken);
}

void TOstraCursor::PrepareClients(const TOstraStoreClient* actor, const uint8_t* newData) {
    for (std::size_t i = 0; i < FClients.size(); ++i)
        if (TOstraStoreClient* client = FClients[i]; client && client != actor)
            client->PrepareChange(newData);
}

// -- Field descriptions -------------------------------------------------------

TOstraField* TOstraCursor::FieldAt(int index) {
    return (index >= 0 && index < FieldCount()) ? &FFields[static_cast<std::size_t>(index)] : nullptr;
}

const TOstraField* TOstraCursor::FieldAt(int index) const {
    return const_cast<TOstraCursor*>(this)->FieldAt(index);
}

TOstraField* TOstraCursor::FindField(const std::string& name) {
    const std::string key = Trim(name);
    for (TOstraField& f : FFields)
        if (AnsiSameText(f.Name, key)) return &f;
    return nullptr;
}

const TOstraField* TOstraCursor::FindField(const std::string& name) const {
    return const_cast<TOstraCursor*>(this)->FindField(name);
}

std::vector<const TOstraField*> TOstraCursor::FindFields(const std::string& names) const {
    std::vector<const TOstraField*> result;
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        if (const TOstraField* f = FindField(names.substr(start, end - start))) result.push_back(f);
        start = end + 1;
    }
    return result;
}

const TOstraField* TOstraCursor::AutoIncField() const { return FieldAt(FAutoIncIndex); }

void TOstraCursor::SetFields(std::vector<TOstraField> fields) {
    FFields = std::move(fields);
    FDataSize = 0;
    FAutoIncIndex = -1;
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        TOstraField& f = FFields[i];
        f.Offset = FDataSize;
        FDataSize += f.Size;
        if (f.FieldType == oftAutoInc && FAutoIncIndex < 0) FAutoIncIndex = static_cast<int>(i);
    }
    FRecordMemory.SetDataSize(FDataSize);
}

// -- Records -------------------------------------------------------------------

TOstraRecord* TOstraCursor::RecordAt(int index) const {
    return (index >= 0 && index < RecordCount()) ? FRecords[static_cast<std::size_t>(index)] : nullptr;
}

bool TOstraCursor::Contains(const TOstraRecord* record) const {
    return record != nullptr && FRecordMemory.Owns(record);
}

int TOstraCursor::NumberOf(const TOstraRecord* record) const {
    auto current = [&] {
        const int n = record->Number;
        return n >= 0 && n < RecordCount() && FRecords[static_cast<std::size_t>(n)] == record;
    };
    if (!record) return -1;
    if (current()) return record->Number;
    for (std::size_t i = 0; i < FRecords.size(); ++i) FRecords[i]->Number = static_cast<int32_t>(i);
    return current() ? record->Number : -1;
}

void TOstraCursor::Touch(TOstraRecord* record) {
    if (record->Flags & Touched) return;
    FTouched.push_back(record);
    record->Flags |= Touched;
}

void TOstraCursor::MarkHeapValues(TOstraRecord* record) {
    record->Flags |= HasHeapValues;
    if (record->Flags & Listed) return;
    FHeapRecords.push_back(record);
    record->Flags |= Listed;
}

void* TOstraCursor::UserData(const TOstraRecord* record) const {
    if (!record || !(record->Flags & HasUserData)) return nullptr;
    const auto it = FUserData.find(record);
    return it == FUserData.end() ? nullptr : it->second;
}

void TOstraCursor::SetUserData(TOstraRecord* record, void* value) {
    if (!Contains(record)) return;
    if (value) {
        FUserData[record] = value;
        record->Flags |= HasUserData;
    } else if (record->Flags & HasUserData) {
        FUserData.erase(record);
        record->Flags &= static_cast<uint8_t>(~HasUserData);
    }
}

void TOstraCursor::NotifyRelease(TOstraRecord* record) {
    void* userData = nullptr;
    if (record->Flags & HasUserData) {
        const auto it = FUserData.find(record);
        if (it != FUserData.end()) {
            userData = it->second;
            FUserData.erase(it);
        }
        record->Flags &= static_cast<uint8_t>(~HasUserData);
    }
    if (FOnRelease) FOnRelease(userData);
}

const uint8_t* TOstraCursor::OldDataOf(const TOstraRecord* record) const {
    if (!record || !(record->Flags & HasOldData)) return nullptr;
    const auto it = FOldData.find(record);
    return it == FOldData.end() ? nullptr : it->second;
}

uint8_t* TOstraCursor::TakeOldData(TOstraRecord* record) {
    if (!(record->Flags & HasOldData)) return nullptr;
    record->Flags &= static_cast<uint8_t>(~HasOldData);
    const auto it = FOldData.find(record);
    if (it == FOldData.end()) return nullptr;
    uint8_t* old = it->second;
    FOldData.erase(it);
    return old;
}

void TOstraCursor::DropOldData(TOstraRecord* record) {
    uint8_t* old = TakeOldData(record);
    if (!old) return;
    OstReleaseValues(old, FFields);
    delete[] old;
}

// Releases the current and old data of a record about to become
// new-then-deleted (or to be dropped with the store).
void TOstraCursor::ReleaseRecord(TOstraRecord* record) {
    if (uint8_t* data = record->Data(); data && (record->Flags & HasHeapValues))
        OstReleaseValues(data, FFields);
    record->Flags &= static_cast<uint8_t>(~HasHeapValues);
    DropOldData(record);
}

// The current data become the kept old data; the old block is freed.
void TOstraCursor::RestoreOldData(TOstraRecord* record) {
    uint8_t* old = TakeOldData(record);
    if (!old) return;
    uint8_t* data = record->Data();
    OstReleaseValues(data, FFields);
    std::memcpy(data, old, FDataSize);  // the old values now belong to the record
    delete[] old;
    MarkHeapValues(record);
}

namespace {

// The text of a text field's value as stored: a short string or String up to
// its first zero byte, a memo whole.
std::string_view StoredText(const uint8_t* place, const TOstraField& f) {
    if (f.FieldType == oftMemo || f.FieldType == oftFmtMemo)
        return {OstValueData(place), OstValueLength(place)};
    return FieldText(place, f);
}

// Room for one more entry, so that the push_back after it cannot fail.
void Reserve(std::vector<TOstraRecord*>& list) {
    if (list.size() == list.capacity()) list.reserve(std::max<std::size_t>(64, list.size() * 2));
}

}  // namespace

// The values a post stores, copied whole before the store changes: a copy
// that runs short of memory goes with nothing of the record touched.
class TOstraCursor::TPostValues {
public:
    TPostValues(const TOstraCursor& store, const uint8_t* values, const uint8_t* current,
                const std::vector<std::pair<const TOstraField*, std::string>>& recoded)
        : FFields(store.FFields) {
        // Values written into the record's own block are stored as they are.
        if (values == current && recoded.empty()) return;
        FData.reset(new uint8_t[store.FDataSize ? store.FDataSize : 1]);
        OstCopyData(FData.get(), values, FFields, store.FDataSize);
        FSize = store.FDataSize;
        try {
            for (const auto& [f, text] : recoded) {
                uint8_t* place = FData.get() + f->Offset;
                if (f->FieldType == oftSmallStr) {
                    std::memset(place, 0, f->Size);
                    std::memcpy(place, text.data(), text.size());
                } else {
                    OstSetValue(place, f->FieldType, text.data(), text.size());
                }
            }
        } catch (...) {
            OstReleaseValues(FData.get(), FFields);
            throw;
        }
    }
    ~TPostValues() {
        if (FData) OstReleaseValues(FData.get(), FFields);
    }
    TPostValues(const TPostValues&) = delete;
    TPostValues& operator=(const TPostValues&) = delete;

    // Puts the values into the record's block, releasing what it held; true
    // when the block now holds values allocated on their own.
    bool Commit(uint8_t* data) {
        if (!FData) return false;
        OstReleaseValues(data, FFields);
        std::memcpy(data, FData.get(), FSize);
        FData.reset();
        return true;
    }

private:
    const std::vector<TOstraField>& FFields;
    std::unique_ptr<uint8_t[]> FData;
    std::size_t FSize = 0;
};

std::string TOstraCursor::CheckText(const TOstraField& f, std::string_view text) const {
    std::size_t bytes = text.size();
    if (FTextEncoding == oteWindows1252 && !OstIsAscii(text.data(), text.size())) {
        std::string encoded(text.size(), '\0');
        const std::ptrdiff_t n = Utf8ToCp1252(text, encoded.data());
        if (n < 0) return Format(STextNotInEncoding, f.Name);
        bytes = static_cast<std::size_t>(n);
    }
    if ((f.FieldType == oftSmallStr || f.FieldType == oftString) && bytes > f.Length)
        return Format(STextTooLong, f.Name, static_cast<int64_t>(bytes), int{f.Length});
    return {};
}

bool TOstraCursor::PostRecord(const uint8_t* values, TOstraRecord* record, std::string& error) {
    error.clear();
    // Texts first: a refused post changes nothing. Text that is not UTF-8
    // (rare) is kept aside recoded, to replace the copied value.
    std::vector<std::pair<const TOstraField*, std::string>> recoded;
    for (const TOstraField& f : FFields) {
        if (!IsTextType(f.FieldType)) continue;
        std::string_view text = StoredText(values + f.Offset, f);
        if (!OstIsAscii(text.data(), text.size()) && !IsValidUtf8(text)) {
            recoded.emplace_back(&f, Cp1252ToUtf8(text));
            text = recoded.back().second;
        }
        error = CheckText(f, text);
        // A short string's place holds what its declared length allows.
        if (error.empty() && f.FieldType == oftSmallStr && text.size() >= f.Size)
            error = Format(STextTooLong, f.Name, static_cast<int64_t>(text.size()), int{f.Length});
        if (!error.empty()) return false;
    }
    const bool inserting = record == nullptr;
    if (!inserting && !Contains(record)) {
        error = SOstRecordNotFound;
        return false;
    }
    if (!inserting && !record->IsLive()) {
        error = SRecordDeleted;
        return false;
    }
    // The new values are made whole first, and room for the record in every
    // list: short of memory, the store stays as it was.
    TPostValues fresh(*this, values, inserting ? nullptr : record->Data(), recoded);
    Reserve(FHeapRecords);
    Reserve(FTouched);
    if (!inserting) {
        if (record->State == orsUnchanged) {
            BeginChange(record);  // so that a revert can bring the values back
            record->State = orsModified;
        }
        Touch(record);
    } else {
        Reserve(FRecords);
        record = FRecordMemory.NewRecord();
        record->State = orsNew;
        record->Number = static_cast<int32_t>(FRecords.size());
        FRecords.push_back(record);
        Touch(record);
    }
    uint8_t* data = record->Data();
    if (fresh.Commit(data)) MarkHeapValues(record);
    ++FChanges;
    if (inserting && FAutoIncIndex >= 0) {
        // Wraps like the 32-bit counter it is, without overflow.
        FAutoIncCounter = static_cast<int32_t>(static_cast<uint32_t>(FAutoIncCounter) + 1u);
        OstPut<int32_t>(data + FFields[static_cast<std::size_t>(FAutoIncIndex)].Offset, FAutoIncCounter);
    }
    RecordSize(record);
    return true;
}

void TOstraCursor::DropInserted(TOstraRecord* record) {
    if (FRecords.empty() || FRecords.back() != record || record->State != orsNew) return;
    ++FChanges;
    ReleaseRecord(record);
    FRecords.pop_back();
    // The post listed it last.
    if (!FTouched.empty() && FTouched.back() == record) FTouched.pop_back();
    if (!FHeapRecords.empty() && FHeapRecords.back() == record) FHeapRecords.pop_back();
    if (FAutoIncIndex >= 0)
        FAutoIncCounter = static_cast<int32_t>(static_cast<uint32_t>(FAutoIncCounter) - 1u);
    FRecordMemory.DropLast();
}

bool TOstraCursor::DeleteRecord(TOstraRecord* record, std::string& error) {
    error.clear();
    if (!Contains(record)) {
        error = SOstRecordNotFound;
        return false;
    }
    if (!record->IsLive()) {
        error = SRecordDeleted;
        return false;
    }
    Reserve(FTouched);
    ++FChanges;
    Touch(record);
    if (record->State == orsNew) {
        ReleaseRecord(record);
        record->State = orsNewDeleted;
        NotifyRelease(record);
    } else {
        record->State = orsDeleted;
    }
    return true;
}

void TOstraCursor::BeginChange(TOstraRecord* record) {
    if (!Contains(record) || !record->IsLive() || (record->Flags & HasOldData)) return;
    if (FTouched.size() == FTouched.capacity())
        FTouched.reserve(std::max<std::size_t>(64, FTouched.size() * 2));
    auto* old = new uint8_t[FDataSize ? FDataSize : 1];
    OstCopyData(old, record->Data(), FFields, FDataSize);
    try {
        FOldData.emplace(record, old);
    } catch (...) {
        OstReleaseValues(old, FFields);
        delete[] old;
        throw;
    }
    record->Flags |= HasOldData;
    Touch(record);
}

void TOstraCursor::RevertRecord(TOstraRecord* record) {
    if (!Contains(record) || record->State == orsNewDeleted) return;
    ++FChanges;
    RestoreOldData(record);
    if (record->State != orsNew) record->State = orsUnchanged;
    RecordSize(record);
}

void TOstraCursor::RevertAll() {
    TOstraRevertLog log;
    BeginRevert(log);
    EndRevert(log);
}

void TOstraCursor::BeginRevert(TOstraRevertLog& log) {
    // Room first: short of memory nothing has changed.
    log.Entries.clear();
    log.Entries.reserve(FTouched.size());
    FHeapRecords.reserve(FHeapRecords.size() + FTouched.size());
    ++FChanges;
    for (TOstraRecord* r : FTouched) {
        log.Entries.push_back({r, r->State});
        switch (r->State) {
        case orsModified:
        case orsDeleted:
            // The values kept and the current ones change places: the
            // kept block holds the changes until the revert ends.
            if (r->Flags & HasOldData) {
                SwapOldData(r);
                MarkHeapValues(r);
            }
            r->State = orsUnchanged;
            RecordSize(r);
            break;
        // Out of every view from now on; its values go when the revert ends.
        case orsNew: r->State = orsNewDeleted; break;
        default: break;
        }
    }
}

void TOstraCursor::UndoRevert(TOstraRevertLog& log) {
    ++FChanges;
    for (auto it = log.Entries.rbegin(); it != log.Entries.rend(); ++it) {
        TOstraRecord* r = it->Record;
        if (it->State == orsModified || it->State == orsDeleted) {
            if (r->Flags & HasOldData) SwapOldData(r);
            r->State = it->State;
            RecordSize(r);
        } else if (it->State == orsNew) {
            r->State = orsNew;
        }
    }
    log.Entries.clear();
}

void TOstraCursor::EndRevert(TOstraRevertLog& log) {
    for (const TOstraRevertLog::TEntry& e : log.Entries) {
        TOstraRecord* r = e.Record;
        r->Flags &= static_cast<uint8_t>(~Touched);
        switch (e.State) {
        case orsModified:
        case orsDeleted:
        case orsUnchanged: DropOldData(r); break;  // the changes, or a copy never needed
        case orsNew:
            r->State = orsNew;  // its values are reached through Data
            ReleaseRecord(r);
            r->State = orsNewDeleted;
            NotifyRelease(r);
            break;
        default: break;
        }
    }
    log.Entries.clear();
    FTouched.clear();
}

void TOstraCursor::SwapOldData(TOstraRecord* record) {
    const auto it = FOldData.find(record);
    if (it == FOldData.end()) return;
    uint8_t* data = record->Data();
    uint8_t* old = it->second;
    for (uint32_t i = 0; i < FDataSize; ++i) std::swap(data[i], old[i]);
}

void TOstraCursor::AcceptAll() {
    ++FChanges;
    for (TOstraRecord* r : FTouched) {
        r->Flags &= static_cast<uint8_t>(~Touched);
        if (r->State == orsDeleted) {
            ReleaseRecord(r);
            r->State = orsNewDeleted;
            NotifyRelease(r);
        } else if (r->State != orsNewDeleted) {
            r->State = orsUnchanged;
            DropOldData(r);
        }
    }
    FTouched.clear();
}

void TOstraCursor::Clear(bool full) {
    ++FChanges;
    ++FOrderChanges;
    // The records' memory may be handed out again: references to them go stale.
    FGeneration = NewGeneration();
    if (FOnRelease) {
        for (TOstraRecord* r : FRecords) {
            if (r->State == orsNewDeleted) continue;  // released already
            ReleaseRecord(r);
            NotifyRelease(r);
        }
    } else {
        // Nobody is told: only values of their own and kept old values
        // (touched records) need releasing, the rest goes with the store's memory.
        for (auto* list : {&FHeapRecords, &FTouched})
            for (TOstraRecord* r : *list)
                if (r->State != orsNewDeleted) ReleaseRecord(r);
    }
    FHeapRecords.clear();
    FHeapRecords.shrink_to_fit();
    FRecords.clear();
    FRecords.shrink_to_fit();
    FTouched.clear();
    FTouched.shrink_to_fit();
    FOldData.clear();
    FUserData.clear();
    FRecordMemory.Clear();
    FValueMemory.Clear();
    FAutoIncCounter = 0;
    if (full) {
        FProtected = false;
        FTextEncoding = oteUtf8;
        FAutoIncIndex = -1;
        FNotes.clear();
        FFields.clear();
        FDescriptor.clear();
        FDataSize = 0;
        FRecordMemory.SetDataSize(0);
        FPasswordBlock.fill(0);
        FPassword.clear();
    }
}

int TOstraCursor::RecordSize(TOstraRecord* record) {
    const uint8_t* data = record->Data();
    if (!data) return record->StoredSize;
    int64_t size = static_cast<int64_t>(FFields.size());
    for (const TOstraField& f : FFields) {
        const uint8_t* p = data + f.Offset;
        switch (f.FieldType) {
        case oftUnknown: break;
        case oftDouble:
        case oftCurrency:
        case oftDateTime:
            if (OstGet<double>(p) != 0.0) size += 8;
            break;
        case oftSmallStr: size += static_cast<int64_t>(FieldText(p, f).size()); break;
        case oftString:
        case oftBLOB:
        case oftMemo:
        case oftFmtMemo:
        case oftGraphic:
            if (const uint32_t n = OstValueLength(p)) size += 4 + int64_t{n};
            break;
        default:
            if (!OstIsZero(p, f.Size)) size += f.Size;
            break;
        }
    }
    record->StoredSize = static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX));
    return record->StoredSize;
}

void TOstraCursor::SetAutoIncCounter(int start) {
    const TOstraField* f = AutoIncField();
    if (!f) return;
    const TOstraField* const key[] = {f};
    auto ascending = [&](const TOstraRecord* a, const TOstraRecord* b) {
        return CompareRecordsForSort(a, b, key, false, false) <= 0;
    };
    bool sorted = true;
    for (std::size_t i = 1; i < FRecords.size() && sorted; ++i)
        sorted = ascending(FRecords[i - 1], FRecords[i]);
    if (!sorted) {
        OstraSortRecords(FRecords, key, false, false);
        ++FOrderChanges;
    }
    bool any = false;
    int32_t highest = 0;
    for (const TOstraRecord* r : FRecords) {
        if (const uint8_t* d = r->Data()) {
            const int32_t v = OstGet<int32_t>(d + f->Offset);
            highest = any ? std::max(highest, v) : v;
            any = true;
        }
    }
    FAutoIncCounter = std::max(highest, static_cast<int32_t>(start));
}

void TOstraCursor::Sort(const std::string& fieldNames, bool caseInsensitive) {
    const std::vector<const TOstraField*> fields = FindFields(fieldNames);
    if (fields.empty()) return;
    ++FChanges;
    ++FOrderChanges;
    OstraSortRecords(FRecords, fields, caseInsensitive, FSortDescending);
}

// -- Data blocks of callers ------------------------------------------------------

void TOstraCursor::CopyData(uint8_t* dest, const uint8_t* src) const {
    if (dest == src) return;
    OstReleaseValues(dest, FFields);
    OstCopyData(dest, src, FFields, FDataSize);
}

void TOstraCursor::ReleaseData(uint8_t* data) const {
    OstReleaseValues(data, FFields);
    std::memset(data, 0, FDataSize);
}

std::size_t TOstraCursor::AllocatedBytes() const {
    return FRecordMemory.AllocatedBytes() + FValueMemory.AllocatedBytes() +
           FRecords.capacity() * sizeof(TOstraRecord*);
}
