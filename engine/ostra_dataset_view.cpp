// TOstraDataset: the record view (range, filter, sort), its settings, the
// filter search (FindRecord) and the range of a master-detail link.
#include <algorithm>
#include <new>
#include <utility>

#include "engine/messages.h"
#include "engine/ostra_dataset.h"
#include "engine/ostra_dataset_impl.h"
#include "engine/record_sort.h"
#include "engine/record_store.h"
#include "platform/core/exceptions.h"
#include "platform/core/memory.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"

// ---------------------------------------------------------------------------
// Key buffers

void TOstraDataset::TImpl::InitKeyBuffer(int Number, const std::string& FieldNames) {
    TOstraKeyBuffer& key = FKeys[Number];
    if (Number != kiSearch) FViewExact = false;
    if (Number == kiSearch) FSearchKeyNames.clear();
    if (Number == kiSort) FViewKeysValid = false;
    key.Release();
    if (!FCursor) return;
    std::vector<TField*> dataFields;
    std::vector<const TOstraField*> storeFields;
    if (Number == kiSearch) {
        for (const TFieldListCache& cached : FSearchFieldCache) {
            if (cached.Names == FieldNames) {
                key.Setup(FDataSize, cached.StoreFields, cached.DataFields);
                return;
            }
        }
    }
    if (!Trim(FieldNames).empty() && (D.Active() || FOpening)) {
        dataFields = D.GetFieldList(FieldNames);
        for (TField* field : dataFields) {
            if (field->FieldKind() != fkData) continue;
            const TOstraField* f = FCursor->FindField(field->FieldName());
            if (f && !IsBlobType(f->FieldType) && f->FieldType != oftUnknown) storeFields.push_back(f);
        }
        if (storeFields.size() != dataFields.size()) throw EDatabaseError(SCalcOrBlobKeyFields);
    }
    if (Number == kiSearch) {
        if (FSearchFieldCache.size() >= 4) FSearchFieldCache.erase(FSearchFieldCache.begin());
        FSearchFieldCache.push_back({FieldNames, storeFields, dataFields});
    }
    key.Setup(FDataSize, std::move(storeFields), std::move(dataFields));
}

void TOstraDataset::TImpl::InitKeyBuffers() {
    InitKeyBuffer(kiSort, D.FIndexFieldNames);
    InitKeyBuffer(kiSearch, std::string());
    InitKeyBuffer(kiRangeStart, D.FRangeFieldNames);
    InitKeyBuffer(kiRangeEnd, D.FRangeFieldNames);
}

// ---------------------------------------------------------------------------
// Settings

void TOstraDataset::SetIndexFieldNames(const std::string& Value) {
    const std::string old = FIndexFieldNames;
    FIndexFieldNames = Value;
    if (!Active() || FImpl->FOpening) return;
    try {
        FImpl->InitKeyBuffer(kiSort, Value);
        FImpl->ApplySort();
    } catch (...) {
        FIndexFieldNames = old;
        try {
            FImpl->InitKeyBuffer(kiSort, old);
        } catch (...) {}
        throw;
    }
}

void TOstraDataset::SetSortOptions(TOstraSortOptions Value) {
    const TOstraSortOptions old = FSortOptions;
    FSortOptions = Value;
    if (FImpl->FCursor) FImpl->FCursor->SetSortDescending(Value.Contains(osoDescendSort));
    if (!Active() || FImpl->FOpening || !FImpl->FKeys[kiSort].HasFields()) return;
    const bool resort = (old - osoInsertInOrder) != (Value - osoInsertInOrder);
    if (!resort) return;
    try {
        FImpl->ApplySort();
    } catch (...) {
        FSortOptions = old;
        if (FImpl->FCursor) FImpl->FCursor->SetSortDescending(old.Contains(osoDescendSort));
        throw;
    }
}

void TOstraDataset::TImpl::ApplySort() {
    FViewExact = false;
    D.RebuildView(true);
}

void TOstraDataset::SetRangeFieldNames(const std::string& Value) {
    FRangeFieldNames = Value;
    if (!Active() || FImpl->FOpening) return;
    FImpl->InitKeyBuffer(kiRangeStart, Value);
    FImpl->InitKeyBuffer(kiRangeEnd, Value);
    if (FMasterSource && FMasterSource->DataSet() && FMasterSource->DataSet()->Active() &&
        !FMasterFields.empty() && !Value.empty())
        MasterChanged();
}

void TOstraDataset::SetFilterText(const std::string& Value) {
    // A text that does not parse leaves the filter as it was.
    TOstraFilterConditions conditions = TOstraParser::ParseFilter(Value);
    const std::string oldText = Filter();
    inherited::SetFilterText(Value);
    TOstraFilterConditions oldConditions = std::move(FImpl->FConditions);
    FImpl->FConditions = std::move(conditions);
    FImpl->FShowFilter.reset();
    FImpl->FShowFilterReady = false;
    FImpl->FViewExact = false;
    if (!Active() || FImpl->FOpening || !Filtered()) return;
    try {
        RebuildView(true);
    } catch (...) {
        FImpl->FConditions = std::move(oldConditions);
        inherited::SetFilterText(oldText);
        throw;
    }
}

void TOstraDataset::SetFiltered(bool Value) {
    const bool old = Filtered();
    inherited::SetFiltered(Value);
    FImpl->FViewExact = false;
    if (!Active() || FImpl->FOpening) return;
    try {
        RebuildView(true);
    } catch (...) {
        inherited::SetFiltered(old);
        throw;
    }
    First();
}

// ---------------------------------------------------------------------------
// Building the view

void TOstraDataset::TImpl::PrepareFilter(TOstraFilter& Filter) {
    try {
        Filter.Prepare(*FCursor, FConditions);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
}

bool TOstraDataset::TImpl::InRange(const uint8_t* data) const {
    const TOstraKeyBuffer& start = FKeys[kiRangeStart];
    const TOstraKeyBuffer& end = FKeys[kiRangeEnd];
    if (start.FieldsInUse() > 0 && start.CompareData(data, start.FieldsInUse()) < 0) return false;
    if (end.FieldsInUse() > 0 && end.CompareData(data, end.FieldsInUse()) > 0) return false;
    return true;
}

bool TOstraDataset::TImpl::CallFilterRecord(const TOstraRecord* Record) {
    return CallFilterData(Record->Data());
}

bool TOstraDataset::TImpl::CallFilterData(const uint8_t* Data) {
    FFilterData = Data;
    bool accept = true;
    try {
        D.OnFilterRecord()(&D, accept);
    } catch (...) {
        FFilterData = nullptr;
        throw;
    }
    FFilterData = nullptr;
    return accept;
}

namespace {
std::function<void()> GViewBuildMemoryHook;
}  // namespace

void SetViewBuildMemoryHook(std::function<void()> Hook) { GViewBuildMemoryHook = std::move(Hook); }

void TOstraDataset::TImpl::BuildView(TOstraRecordArray& View, const TOstraFilter* Filter) {
    View.clear();
    if (GViewBuildMemoryHook) GViewBuildMemoryHook();
    View.reserve(static_cast<std::size_t>(FCursor->RecordCount()));
    const bool handler = D.Filtered() && D.OnFilterRecord().Assigned();
    const bool caseInsensitive = D.FilterOptions().Contains(foCaseInsensitive);
    const bool range = FRangeActive;
    TDataSetState old = D.State();
    if (handler) old = D.SetTempState(dsFilter);
    try {
        // The records and their texts are read a few steps ahead, so the
        // misses of the walk overlap instead of waiting one by one.
        const std::vector<TOstraRecord*>& records = FCursor->Records();
        const std::size_t n = records.size();
        for (std::size_t i = 0; i < n; ++i) {
            TOstraRecord* r = records[i];
            if (i + 16 < n) __builtin_prefetch(records[i + 16]);
            if (Filter && i + 8 < n)
                if (const uint8_t* ahead = records[i + 8]->Data()) Filter->Prefetch(ahead);
            if (!r->IsLive()) continue;
            if (range && !InRange(r->Data())) continue;
            if (Filter && !Filter->Match(r->Data(), caseInsensitive)) continue;
            if (handler && !CallFilterRecord(r)) continue;
            View.push_back(r);
        }
    } catch (...) {
        if (handler) D.RestoreState(old);
        throw;
    }
    if (handler) D.RestoreState(old);
}

void TOstraDataset::TImpl::SortView(TOstraRecordArray& View, TOstraViewKeys& Keys) {
    OstraSortRecords(View, FKeys[kiSort].Fields(), D.FSortOptions.Contains(osoCaseInsensitive),
                     D.FSortOptions.Contains(osoDescendSort), &Keys);
}

void TOstraDataset::TImpl::AssignView(TOstraRecordArray&& View, bool Sorted, const TOstraViewKeys& Keys) {
    const bool keyed = Sorted && Keys.size() == View.size();
    FView.Assign(std::move(View), keyed ? &Keys : nullptr);
    ForgetDisplaced();
    FInKeyOrder = Sorted;
    FViewKeysValid = keyed;
}

void TOstraDataset::TImpl::BuildSorted(TOstraRecordArray& View, TOstraViewKeys& Keys,
                                       const TOstraFilter* Filter) {
    try {
        BuildView(View, Filter);
        if (FKeys[kiSort].HasFields()) SortView(View, Keys);
    } catch (const std::bad_alloc&) {
        View = {};
        Keys = {};
        throw EOutOfMemory(SOutOfMemory);
    }
}

void TOstraDataset::TImpl::BuildAndAssign(const TOstraFilter* Filter) {
    for (int attempt = 0;; ++attempt) {
        try {
            TOstraRecordArray view;
            TOstraViewKeys keys;
            BuildSorted(view, keys, Filter);
            ++FViewBuilds;
            AssignBuilt(std::move(view), keys);
            return;
        } catch (const EOutOfMemory&) {
            if (attempt > 0) throw;
        }
        // Once more with the memory kept for reuse given back.
        ReleaseFreeMemory();
    }
}

void TOstraDataset::TImpl::PrepareRevertedView() {
    FRevertedView.reset();
    FRevertFailure = nullptr;
    FRevertFollowed = false;
    if (!D.Active() || FOpening || !FCursor) return;
    FRevertFollowed = true;
    try {
        TOstraFilter filter;
        const bool useFilter = D.Filtered() && !D.Filter().empty();
        if (useFilter) PrepareFilter(filter);
        TOstraRecordArray view;
        TOstraViewKeys keys;
        BuildSorted(view, keys, useFilter ? &filter : nullptr);
        auto reverted = std::make_unique<TRevertedView>();
        reverted->Sorted = FKeys[kiSort].HasFields();
        reverted->Keyed = reverted->Sorted && keys.size() == view.size();
        reverted->List.Assign(std::move(view), reverted->Keyed ? &keys : nullptr);
        FRevertedView = std::move(reverted);
    } catch (const EOutOfMemory&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    } catch (...) {
        // A filter that fails: the revert stands, the view keeps its live
        // records, and the dataset that reverts raises the failure.
        FRevertFailure = std::current_exception();
    }
}

void TOstraDataset::TImpl::FinishRevertedView(bool Taken) {
    std::unique_ptr<TRevertedView> reverted = std::move(FRevertedView);
    const bool followed = std::exchange(FRevertFollowed, false);
    if (!Taken || !followed) return;
    if (!reverted) {
        FViewExact = false;
        FInKeyOrder = false;
        FViewKeysValid = false;
        DropDeadRecords();
        return;
    }
    // The record shown (or edited) stays current where it is still shown.
    const TOstraRecord* current = FView.At(FPosition);
    FView = std::move(reverted->List);
    FKeyIndex.Invalidate();  // built over the list that went
    ForgetDisplaced();
    FLeavers.clear();
    FInKeyOrder = reverted->Sorted;
    FViewKeysValid = reverted->Keyed;
    FViewExact = true;
    ++FViewBuilds;
    FBuiltFilterOptions = D.FilterOptions();
    FBuiltOrder = FCursor->OrderChanges();
    const int at = current && current->IsLive() ? FindInView(current) : -1;
    FPosition = at >= 0 ? at : std::min(FPosition, FView.Count() - 1);
    if (FPosition < 0 && !FView.Empty()) FPosition = 0;
    if (D.State() == dsBrowse) D.Resync({});
}

void TOstraDataset::TImpl::AssignBuilt(TOstraRecordArray&& View, const TOstraViewKeys& Keys) {
    FLeavers.clear();
    try {
        AssignView(std::move(View), FKeys[kiSort].HasFields(), Keys);
    } catch (const std::bad_alloc&) {
        // The view as it was stays, no longer taken for one a build makes.
        FViewExact = false;
        throw EOutOfMemory(SOutOfMemory);
    }
}

void TOstraDataset::RebuildView(bool KeepPosition) {
    if (!FImpl->FCursor) return;
    TOstraFilter filter;
    const bool useFilter = Filtered() && !Filter().empty();
    if (useFilter) FImpl->PrepareFilter(filter);
    const bool open = Active() && !FImpl->FOpening;
    const TOstraRecord* remembered = nullptr;
    if (open) {
        CheckBrowseMode();
        if (!IsEmpty() && ActiveBuffer()) remembered = FImpl->BufferRecord(ActiveBuffer());
    }
    const bool handler = Filtered() && OnFilterRecord().Assigned();
    if (open && FImpl->FViewExact && !handler && FImpl->FBuiltFilterOptions == FilterOptions() &&
        FImpl->FBuiltOrder == FImpl->FCursor->OrderChanges() && FImpl->DropLeavers()) {
        // A build would give the same records in the same order: only the
        // buffers are read again, for values changed in place.
        int index = KeepPosition && remembered ? FImpl->FindInView(remembered, FImpl->FPosition) : -1;
        if (index < 0) index = FImpl->FView.Empty() ? -1 : 0;
        FImpl->FPosition = index;
        Resync({});
        return;
    }
    try {
        FImpl->BuildAndAssign(useFilter ? &filter : nullptr);
    } catch (const EOutOfMemory&) {
        // The view as it was stays.
        if (open) Resync({});
        throw;
    }
    FImpl->FViewExact = true;
    FImpl->FBuiltFilterOptions = FilterOptions();
    FImpl->FBuiltOrder = FImpl->FCursor->OrderChanges();
    FImpl->FPosition = -1;
    if (!open) return;
    if (!FImpl->FView.Empty()) {
        const int index = KeepPosition && remembered ? FImpl->FindInView(remembered) : -1;
        FImpl->FPosition = index >= 0 ? index : 0;
    }
    Resync({});
}

bool TOstraDataset::TImpl::DropLeavers() {
    std::vector<const TOstraRecord*> leavers = std::move(FLeavers);
    FLeavers.clear();
    for (const TOstraRecord* r : leavers) {
        // One deleted since left the view then.
        if (!FCursor->Contains(r) || !r->IsLive()) continue;
        bool known = true;
        if (WouldShow(r->Data(), known)) continue;  // ticked back: it stays
        if (!known) return false;
        const int index = FindInView(r, FPosition);
        if (index < 0) continue;
        FView.Delete(index);
        if (index < FPosition) --FPosition;
        FPosition = std::min(FPosition, FView.Count() - 1);
    }
    return true;
}

bool TOstraDataset::FilterMatch(const TOstraRecord* Record) {
    if (!FImpl->FCursor || !Record || !Record->Data()) return false;
    if (FImpl->FConditions.empty()) return true;
    TOstraFilter filter;
    FImpl->PrepareFilter(filter);
    return filter.Match(Record->Data(), FilterOptions().Contains(foCaseInsensitive));
}

// ---------------------------------------------------------------------------
// Sort order

int TOstraDataset::TImpl::CompareForSort(const TOstraRecord* A, const TOstraRecord* B) const {
    return CompareRecordsForSort(A, B, FKeys[kiSort].Fields(), D.FSortOptions.Contains(osoCaseInsensitive),
                                 D.FSortOptions.Contains(osoDescendSort));
}

bool TOstraDataset::TImpl::SortKeyChanged(const uint8_t* Data, const TOstraRecord* Record) const {
    for (const TOstraField* f : FKeys[kiSort].Fields())
        if (CompareValues(Data + f->Offset, Record->Data() + f->Offset, *f, false) != 0) return true;
    return false;
}

bool TOstraDataset::TImpl::InOrderAt(int Index) const {
    const TOstraRecord* r = FView.At(Index);
    if (!r) return true;
    if (Index > 0 && CompareForSort(FView.At(Index - 1), r) > 0) return false;
    if (Index + 1 < FView.Count() && CompareForSort(r, FView.At(Index + 1)) > 0) return false;
    return true;
}

TOstraViewKey TOstraDataset::TImpl::ViewKeyOf(const uint8_t* Data) const {
    return OstViewKey(Data, FKeys[kiSort].Fields(), D.FSortOptions.Contains(osoCaseInsensitive),
                      D.FSortOptions.Contains(osoDescendSort));
}

void TOstraDataset::TImpl::EnsureViewKeys() {
    if (FViewKeysValid || !FInKeyOrder) return;
    // The view's order scatters its records over memory; reading each record
    // and its text a few steps ahead keeps the reads from waiting one by one.
    const std::vector<TOstraRecord*> records = FView.ToVector();
    const std::size_t n = records.size();
    std::vector<TOstraViewKey> keys(n);
    const auto& fields = FKeys[kiSort].Fields();
    const TOstraField* first = fields.empty() ? nullptr : fields[0];
    const bool reference = first && IsReferenceType(first->FieldType);
    auto place = [&](std::size_t i) {
        return reinterpret_cast<const uint8_t*>(records[i] + 1) + (first ? first->Offset : 0);
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (i + 16 < n) __builtin_prefetch(place(i + 16));
        if (reference && i + 8 < n && records[i + 8]->Data()) {
            if (const char* text = OstValueData(place(i + 8))) __builtin_prefetch(text);
        }
        keys[i] = ViewKeyOf(records[i]->Data());
    }
    FView.SetKeys(keys);
    FViewKeysValid = true;
}

namespace {

// The first position in [Lo, Hi) whose record Before does not hold for;
// Before holds for a leading part of the range.
template <class F>
int ViewPartitionPoint(const TOstraRecordList& View, int Lo, int Hi, F&& Before) {
    while (Lo < Hi) {
        const int mid = Lo + (Hi - Lo) / 2;
        if (Before(View.At(mid)))
            Lo = mid + 1;
        else
            Hi = mid;
    }
    return Lo;
}

}  // namespace

int TOstraDataset::TImpl::FindInView(const TOstraRecord* Record, int Hint, const uint8_t* PlacedBy) const {
    if (!Record) return -1;
    if (Hint >= 0 && FView.At(Hint) == Record) return Hint;
    // Views hold records of their store only; anything else is not read.
    if (!FCursor || !FCursor->Contains(Record)) return -1;
    const int count = FView.Count();
    if (!FKeys[kiSort].HasFields()) {
        // Built in store order and kept so since: by the records' numbers.
        if (FBuiltOrder != FCursor->OrderChanges()) return FView.IndexOf(Record);
        const int number = FCursor->NumberOf(Record);
        if (number < 0) return -1;
        const int at = ViewPartitionPoint(
            FView, 0, count, [&](const TOstraRecord* r) { return FCursor->NumberOf(r) < number; });
        return FView.At(at) == Record ? at : -1;
    }
    // Out of order only where own posts moved records: by their placed values.
    const bool displaced = !FInKeyOrder && DisplacedOrder();
    const uint8_t* data = PlacedBy ? PlacedBy : displaced ? PlacedValues(Record) : Record->Data();
    if ((!FInKeyOrder && !displaced) || !data) return FView.IndexOf(Record);
    // The run of records whose sort values equal the record's: narrowed by
    // the keys, then by the values.
    const std::vector<const TOstraField*>& fields = FKeys[kiSort].Fields();
    const bool fold = D.FSortOptions.Contains(osoCaseInsensitive);
    const bool descending = D.FSortOptions.Contains(osoDescendSort);
    bool unreadable = false;
    auto compare = [&](const TOstraRecord* r) {
        // The record itself stands where its earlier values put it.
        const uint8_t* values = r == Record ? data : displaced ? PlacedValues(r) : r->Data();
        if (!values) {
            unreadable = true;
            return 0;
        }
        for (const TOstraField* f : fields) {
            const int c = CompareValues(values + f->Offset, data + f->Offset, *f, fold);
            if (c != 0) return descending ? -c : c;
        }
        return 0;
    };
    int lo = 0;
    int hi = count;
    if (FViewKeysValid) {
        const TOstraViewKey key = ViewKeyOf(data);
        FView.EqualRange(key, key, lo, hi);
    }
    const int first =
        ViewPartitionPoint(FView, lo, hi, [&](const TOstraRecord* r) { return compare(r) < 0; });
    const int last =
        ViewPartitionPoint(FView, first, hi, [&](const TOstraRecord* r) { return compare(r) <= 0; });
    if (unreadable) return FView.IndexOf(Record);
    // Equal records stand in store order in a view as built; one placed
    // otherwise is found by the walk of the run.
    if (last - first > 8) {
        const int number = FCursor->NumberOf(Record);
        const int at = ViewPartitionPoint(
            FView, first, last, [&](const TOstraRecord* r) { return FCursor->NumberOf(r) < number; });
        if (at < last && FView.At(at) == Record) return at;
    }
    for (int i = first; i < last; ++i)
        if (FView.At(i) == Record) return i;
    return -1;
}

TOstraDataset::TImpl::TPlacedValues::TPlacedValues(const uint8_t* Data,
                                                   const std::vector<TOstraField>& Fields, std::size_t Size)
    : Values(Size + 1, 0), Fields(Fields) {
    OstCopyData(Values.data(), Data, Fields, Size);
}

TOstraDataset::TImpl::TPlacedValues::~TPlacedValues() { OstReleaseValues(Values.data(), Fields); }

bool TOstraDataset::TImpl::DisplacedOrder() const {
    return !FDisplaced.empty() && FCursor && FDisplacedChanges == FCursor->Changes();
}

const uint8_t* TOstraDataset::TImpl::PlacedValues(const TOstraRecord* Record) const {
    const auto it = FDisplaced.find(Record);
    return it != FDisplaced.end() ? it->second->Values.data() : Record->Data();
}

bool TOstraDataset::TImpl::NoteDisplaced(const TOstraRecord* Record) {
    // A few thousand at most: each search looks every record it reads up here.
    constexpr std::size_t MostDisplaced = 4096;
    FMovingValues.reset();
    FMoving = nullptr;
    // A view in key order, or one another change reached, has none.
    if (FInKeyOrder || !DisplacedOrder()) FDisplaced.clear();
    if (!Record->Data()) return false;
    if (!FDisplaced.count(Record)) {
        if (FDisplaced.size() >= MostDisplaced) return false;
        FMovingValues = std::make_unique<TPlacedValues>(Record->Data(), FBufferFields, FDataSize);
    }
    FMoving = Record;
    return true;
}

void TOstraDataset::TImpl::KeepDisplacedOrder() {
    if (FMovingValues) FDisplaced.emplace(FMoving, std::move(FMovingValues));
    FMoving = nullptr;
    FDisplacedChanges = FCursor->Changes();
}

void TOstraDataset::TImpl::ForgetDisplaced() {
    FDisplaced.clear();
    FMovingValues.reset();
    FMoving = nullptr;
}

int TOstraDataset::TImpl::BookmarkPlace(const TBookmarkData& Bookmark, int Hint) const {
    const TOstraRecord* record = Bookmark.Record;
    if (!record || !FCursor || Bookmark.Generation != FCursor->Generation() || !FCursor->Contains(record) ||
        !record->IsLive())
        return -1;
    return FindInView(record, Hint);
}

int TOstraDataset::TImpl::PlaceInOrder(const TOstraRecord* Record, const TOstraViewKey& Key) const {
    // The keys narrow the place down to the records with an equal key; among
    // them, the first whose sort values are not below the record's. A key
    // that stands for the values themselves needs no record read.
    bool exact = false;
    OstViewKey(Record->Data(), FKeys[kiSort].Fields(), D.FSortOptions.Contains(osoCaseInsensitive),
               D.FSortOptions.Contains(osoDescendSort), &exact);
    if (exact) return FView.LowerBound(Key);
    int lo, hi;
    FView.EqualRange(Key, Key, lo, hi);
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (CompareForSort(FView.At(mid), Record) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// ---------------------------------------------------------------------------
// FindRecord

bool TOstraDataset::FindRecord(bool Restart, bool GoForward) {
    CheckBrowseMode();
    DoBeforeScroll();
    SetFound(false);
    bool found = false;
    if (Filtered()) {
        if (GoForward) {
            if (Restart)
                First();
            else
                Next();
            found = !FImpl->FView.Empty() && !Eof();
        } else {
            if (Restart)
                Last();
            else
                Prior();
            found = !FImpl->FView.Empty() && !Bof();
        }
        SetFound(found);
        return found;
    }
    TOstraFilter filter;
    const bool useText = !Filter().empty();
    if (useText) FImpl->PrepareFilter(filter);
    const bool handler = OnFilterRecord().Assigned();
    const bool caseInsensitive = FilterOptions().Contains(foCaseInsensitive);
    const int count = FImpl->FView.Count();
    const int step = GoForward ? 1 : -1;
    int i;
    if (Restart) {
        i = GoForward ? 0 : count - 1;
    } else {
        UpdateCursorPos();
        i = FImpl->FPosition + step;
    }
    TDataSetState old = State();
    if (handler) old = SetTempState(dsFilter);
    try {
        for (; i >= 0 && i < count; i += step) {
            const TOstraRecord* r = FImpl->FView.At(i);
            if (useText && !filter.Match(r->Data(), caseInsensitive)) continue;
            if (handler && !FImpl->CallFilterRecord(r)) continue;
            found = true;
            break;
        }
    } catch (...) {
        if (handler) RestoreState(old);
        throw;
    }
    if (handler) RestoreState(old);
    if (found) FImpl->GotoPosition(i, true);
    SetFound(found);
    if (found) DoAfterScroll();
    return found;
}

// ---------------------------------------------------------------------------
// Range

void TOstraDataset::SetRange(const std::string& StartText, const std::string& EndText) {
    FImpl->InitKeyBuffer(kiRangeStart, FRangeFieldNames);
    FImpl->InitKeyBuffer(kiRangeEnd, FRangeFieldNames);
    auto fill = [](TOstraKeyBuffer& key, const std::string& text) {
        const int fields = static_cast<int>(key.Fields().size());
        int used = 0;
        std::size_t pos = 0;
        while (pos < text.size() && used < fields) {
            std::size_t tab = text.find('\t', pos);
            if (tab == std::string::npos) tab = text.size();
            key.SetText(used++, text.substr(pos, tab - pos));
            pos = tab + 1;
        }
        key.SetFieldsInUse(used);
    };
    fill(FImpl->FKeys[kiRangeStart], StartText);
    fill(FImpl->FKeys[kiRangeEnd], EndText);
}

void TOstraDataset::ApplyRange() {
    if (FImpl->FOpening) {
        FImpl->FRangeActive = true;
        return;
    }
    FImpl->CheckOpen();
    CheckBrowseMode();
    const bool old = FImpl->FRangeActive;
    FImpl->FRangeActive = true;
    FImpl->FViewExact = false;
    try {
        RebuildView(false);
    } catch (...) {
        FImpl->FRangeActive = old;
        throw;
    }
    First();
}

void TOstraDataset::CancelRange() {
    if (FImpl->FOpening) {
        FImpl->FRangeActive = false;
        return;
    }
    FImpl->CheckOpen();
    CheckBrowseMode();
    const bool old = FImpl->FRangeActive;
    FImpl->FRangeActive = false;
    FImpl->FViewExact = false;
    try {
        RebuildView(true);
    } catch (...) {
        FImpl->FRangeActive = old;
        throw;
    }
}

void TOstraDataset::MasterChanged() {
    if (!FMasterSource || !FMasterSource->DataSet()) return;
    if (!FImpl->FOpening) CheckBrowseMode();
    std::string key;
    for (TField* field : FMasterSource->DataSet()->GetFieldList(FMasterFields))
        key += field->AsString() + "\t";
    SetRange(key, key);
    ApplyRange();
}

void TOstraDataset::MasterDisabled() { CancelRange(); }

// ---------------------------------------------------------------------------
// Sharing the store with other datasets

const TOstraFilter* TOstraDataset::TImpl::ShowFilter() {
    if (!FShowFilterReady) {
        // Short of memory (std::bad_alloc) it is tried again next time.
        auto filter = std::make_unique<TOstraFilter>();
        try {
            PrepareFilter(*filter);
            FShowFilter = std::move(filter);
        } catch (const EOutOfMemory&) {
            throw;
        } catch (const Exception&) {
            FShowFilter.reset();
        }
        FShowFilterReady = true;
    }
    return FShowFilter.get();
}

bool TOstraDataset::TImpl::WouldShow(const uint8_t* Data, bool& Known) {
    Known = true;
    if (!Data) return false;
    if (FRangeActive && !InRange(Data)) return false;
    if (!D.Filtered()) return true;
    if (!D.Filter().empty() && !FConditions.empty()) {
        const TOstraFilter* filter = ShowFilter();
        if (!filter) {
            Known = false;
            return false;
        }
        if (!filter->Match(Data, D.FilterOptions().Contains(foCaseInsensitive))) return false;
    }
    if (!D.OnFilterRecord().Assigned()) return true;
    // The handler is asked as a build asks it, in the filter state; one that
    // raises leaves the answer to the next build.
    const TDataSetState old = D.SetTempState(dsFilter);
    bool accept = false;
    try {
        accept = CallFilterData(Data);
    } catch (...) {
        Known = false;
        // Asked before a change is made, a lack of memory stops the change.
        if (FPreparingVerdict) {
            D.RestoreState(old);
            try {
                throw;
            } catch (const std::bad_alloc&) {
                throw EOutOfMemory(SOutOfMemory);
            } catch (const EOutOfMemory&) {
                throw;
            } catch (...) {}
            return false;
        }
    }
    D.RestoreState(old);
    return accept && Known;
}

bool TOstraDataset::TImpl::SortValuesDiffer(const uint8_t* A, const uint8_t* B) const {
    for (const TOstraField* f : FKeys[kiSort].Fields())
        if (CompareValues(A + f->Offset, B + f->Offset, *f, false) != 0) return true;
    return false;
}

bool TOstraDataset::TImpl::StrictlyInOrderAt(int Index) const {
    const TOstraRecord* r = FView.At(Index);
    if (!r) return false;
    if (Index > 0 && CompareForSort(FView.At(Index - 1), r) >= 0) return false;
    if (Index + 1 < FView.Count() && CompareForSort(r, FView.At(Index + 1)) >= 0) return false;
    return true;
}

int TOstraDataset::TImpl::StoreOrderPlace(const TOstraRecord* Record) const {
    // The view in store order: after the records that come before Record in
    // the store, as far as the view follows the store.
    const int number = FCursor->NumberOf(Record);
    // Built in store order and kept so since: found by the numbers.
    if (FBuiltOrder == FCursor->OrderChanges())
        return ViewPartitionPoint(FView, 0, FView.Count(),
                                  [&](const TOstraRecord* r) { return FCursor->NumberOf(r) < number; });
    int previous = -1;
    const int place = FView.FindFrom(0, [&](const TOstraRecord* r) {
        const int n = FCursor->NumberOf(r);
        if (n <= previous || n >= number) return true;
        previous = n;
        return false;
    });
    return place < 0 ? FView.Count() : place;
}

int TOstraDataset::TImpl::PlaceShared(TOstraRecord* Record, int Index) {
    const TOstraRecord* current = FView.At(FPosition);
    if (Index >= 0) FView.Delete(Index);
    int place;
    const bool sorted = FKeys[kiSort].HasFields();
    if (!sorted) {
        place = StoreOrderPlace(Record);
    } else if (!FInKeyOrder) {
        place = FView.Count();
        FViewExact = false;
    } else {
        // After the records it does not sort before; among equal ones, in
        // store order.
        auto bound = [&](int lo, int hi, bool upper) {
            while (lo < hi) {
                const int mid = lo + (hi - lo) / 2;
                const int c = CompareForSort(FView.At(mid), Record);
                if (c < 0 || (upper && c == 0))
                    lo = mid + 1;
                else
                    hi = mid;
            }
            return lo;
        };
        // Among equal ones, after those earlier in the store that lead them
        // (a dataset's own insert puts a record before its equals).
        place = bound(0, FView.Count(), false);
        const int end = bound(place, FView.Count(), true);
        const int number = FCursor->NumberOf(Record);
        // The store's last record (a new one) comes after all its equals; in
        // a view as built, equals stand in store order.
        auto earlier = [&](const TOstraRecord* r) { return FCursor->NumberOf(r) < number; };
        if (number == FCursor->RecordCount() - 1)
            place = end;
        else if (FViewExact)
            place = ViewPartitionPoint(FView, place, end, earlier);
        else
            while (place < end && earlier(FView.At(place))) ++place;
    }
    FView.Insert(place, Record, FViewKeysValid ? ViewKeyOf(Record->Data()) : TOstraViewKey());
    if (current) {
        const int at = FindInView(current, FPosition);
        if (at >= 0) FPosition = at;
    } else if (Index < 0 && FPosition >= place && FPosition >= 0) {
        ++FPosition;
    }
    if (D.State() == dsBrowse) D.Resync({});
    return place;
}

void TOstraDataset::TImpl::RebuildKeepingEdit() {
    if (D.State() == dsBrowse) {
        D.RebuildView(true);
        return;
    }
    // Built under the edit: the record being edited stays current.
    TOstraFilter filter;
    const bool useFilter = D.Filtered() && !D.Filter().empty();
    if (useFilter) PrepareFilter(filter);
    const TOstraRecord* current = FView.At(FPosition);
    BuildAndAssign(useFilter ? &filter : nullptr);
    FViewExact = true;
    FBuiltFilterOptions = D.FilterOptions();
    FBuiltOrder = FCursor->OrderChanges();
    const int at = current ? FindInView(current) : -1;
    FPosition = at >= 0 ? at : std::min(FPosition, FView.Count() - 1);
}

void TOstraDataset::FollowStoreOrder() {
    if (!Active() || !FImpl->FCursor || FImpl->FBuiltOrder == FImpl->FCursor->OrderChanges()) return;
    try {
        FImpl->RebuildKeepingEdit();
    } catch (const EOutOfMemory&) {
        // The records stay; only their order follows the store's.
        FImpl->ReorderInPlace();
    }
}

void TOstraDataset::TImpl::ReorderInPlace() {
    // A heap sort through the list's own entries: by the sort key, ties
    // (and a view without one) in store order, as a build orders them.
    const TOstraRecord* current = FView.At(FPosition);
    const bool sorted = FKeys[kiSort].HasFields();
    auto before = [&](int A, int B) {
        const TOstraRecord* a = FView.At(A);
        const TOstraRecord* b = FView.At(B);
        if (sorted)
            if (const int c = CompareForSort(a, b)) return c < 0;
        return FCursor->NumberOf(a) < FCursor->NumberOf(b);
    };
    auto sift = [&](int Root, int End) {
        while (2 * Root + 1 < End) {
            int child = 2 * Root + 1;
            if (child + 1 < End && before(child, child + 1)) ++child;
            if (!before(Root, child)) return;
            FView.Swap(Root, child);
            Root = child;
        }
    };
    const int n = FView.Count();
    for (int i = n / 2 - 1; i >= 0; --i) sift(i, n);
    for (int end = n - 1; end > 0; --end) {
        FView.Swap(0, end);
        sift(0, end);
    }
    ForgetDisplaced();
    FInKeyOrder = sorted;
    FViewExact = false;
    FBuiltOrder = FCursor->OrderChanges();
    const int at = current ? FindInView(current) : -1;
    FPosition = at >= 0 ? at : std::min(FPosition, FView.Count() - 1);
    if (D.State() == dsBrowse) D.Resync({});
}

void TOstraDataset::TImpl::DropFromView(const TOstraRecord* Record, const uint8_t* PlacedBy) {
    const int index = FindInView(Record, FPosition, PlacedBy);
    if (index < 0) return;
    FView.Delete(index);
    if (index < FPosition) --FPosition;
    FPosition = std::min(FPosition, FView.Count() - 1);
    if (D.State() == dsBrowse) D.Resync({});
}

void TOstraDataset::TImpl::DropDeadRecords() {
    // Taken out in place: a revert's views follow it without memory.
    const TOstraRecord* current = FView.At(FPosition);
    bool dropped = false;
    for (int i = FView.Count() - 1; i >= 0; --i) {
        if (FView.At(i)->IsLive()) continue;
        FView.Delete(i);
        dropped = true;
    }
    if (!dropped) return;
    FViewKeysValid = false;
    const int index = current && current->IsLive() ? FindInView(current) : -1;
    FPosition = index >= 0 ? index : std::min(FPosition, FView.Count() - 1);
    if (D.State() == dsBrowse) D.Resync({});
}

void TOstraDataset::TImpl::SharerChanged(const TOstraStoreChange& Change) {
    if (!D.Active() || FOpening || !FCursor) return;
    // The change is made: a view short of memory to follow it is no longer
    // taken for one as a build makes it, and stays as it is.
    try {
        FollowSharer(Change);
    } catch (const EOutOfMemory&) {
        ForgetDisplaced();
        FViewExact = false;
        FInKeyOrder = false;
    } catch (const std::bad_alloc&) {
        ForgetDisplaced();
        FViewExact = false;
        FInKeyOrder = false;
    }
}

void TOstraDataset::TImpl::FollowSharer(const TOstraStoreChange& Change) {
    // Searches by hash follow the store's change count; the rest is kept
    // right here.
    TOstraRecord* record = Change.Record;
    const bool sorted = FKeys[kiSort].HasFields();
    switch (Change.Kind) {
    case TOstraStoreChange::Inserted: {
        // Shown at once where a build would put it.
        bool known = true;
        const bool shows = ShowsChanged(record->Data(), known);
        if (!known)
            FViewExact = false;  // an OnFilterRecord handler decides at the next build
        else if (shows)
            PlaceShared(record, -1);
        break;
    }
    case TOstraStoreChange::Edited: {
        const uint8_t* data = record->Data();
        const bool keyChanged = sorted && Change.OldData && SortValuesDiffer(Change.OldData, data);
        bool known = true;
        const bool shows = ShowsChanged(data, known);
        // Found where the values it had put it.
        const int index = FindInView(record, FPosition, Change.OldData);
        if (!known) {
            FViewExact = false;
            if (keyChanged && index >= 0 && !InOrderAt(index)) FInKeyOrder = false;
            if (keyChanged && index >= 0 && FViewKeysValid) FView.SetKey(index, ViewKeyOf(data));
        } else if (!shows) {
            DropFromView(record, Change.OldData);
        } else if (index < 0 || (keyChanged && FInKeyOrder)) {
            PlaceShared(record, index);  // newly shown, or moved in the order
        } else if (keyChanged) {
            // A view out of key order keeps the record where it is.
            FViewExact = false;
            if (FViewKeysValid) FView.SetKey(index, ViewKeyOf(data));
        }
        break;
    }
    case TOstraStoreChange::Deleted: DropFromView(record); break;
    case TOstraStoreChange::Reverted:
        // Values came back and new records went: built again at once, an
        // edit in progress kept.
        FViewExact = false;
        FInKeyOrder = false;
        FViewKeysValid = false;
        DropDeadRecords();
        try {
            RebuildKeepingEdit();
        } catch (const Exception&) {
            // Its filter fails: the view keeps the live records it had.
        }
        break;
    case TOstraStoreChange::Accepted:
        // Values stay; deleted records left every view when they were deleted.
        break;
    }
}
