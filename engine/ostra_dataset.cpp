// TOstraDataset: opening and closing, record buffers, bookmarks, navigation
// and field values. Changes and saving are in ostra_dataset_edit.cpp, the
// record view and the sharing of a store in ostra_dataset_view.cpp,
// searching in locate.cpp; their private side is TImpl
// (ostra_dataset_impl.h).
#include "engine/ostra_dataset.h"
#include "engine/ostra_dataset_impl.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/master_link.h"
#include "engine/messages.h"
#include "engine/record_store.h"
#include "platform/core/exceptions.h"
#include "platform/core/memory.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fieldtypes.h"

namespace {

constexpr std::size_t Align8(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

TFieldType PlatformType(TOstraFieldType type) {
    switch (type) {
    case oftSmallInt: return ftSmallint;
    case oftInteger: return ftInteger;
    case oftInt64: return ftLargeint;
    case oftBoolean: return ftBoolean;
    case oftDouble: return ftFloat;
    case oftCurrency: return ftCurrency;
    case oftDate: return ftDate;
    case oftTime: return ftTime;
    case oftDateTime: return ftDateTime;
    case oftAutoInc: return ftAutoInc;
    case oftSmallStr:
    case oftString: return ftString;
    case oftBLOB: return ftBlob;
    case oftMemo: return ftMemo;
    case oftFmtMemo: return ftFmtMemo;
    case oftGraphic: return ftGraphic;
    default: return ftUnknown;
    }
}

}  // namespace

// The dataset as one of the clients of its store.
class TOstraDataset::TImpl::TStoreLink final : public TOstraStoreClient {
public:
    explicit TStoreLink(TImpl* Owner) : FOwner(Owner) {}
    void StoreChanged(const TOstraStoreChange& Change) override { FOwner->SharerChanged(Change); }
    void PrepareChange(const uint8_t* NewData) override { FOwner->PrepareChange(NewData); }
    void PrepareRevert() override { FOwner->PrepareRevertedView(); }
    void FinishRevert(bool Taken) override { FOwner->FinishRevertedView(Taken); }
    void StoreGone() override { FOwner->FAttached = nullptr; }

private:
    TImpl* FOwner;
};

TOstraDataset::TImpl::TImpl(TOstraDataset& Owner)
    : D(Owner),
      FStoreLink(std::make_unique<TStoreLink>(this)),
      FMasterLink(std::make_unique<TOstraMasterLink>(&Owner)) {}

TOstraDataset::TImpl::~TImpl() = default;

TOstraDataset::TOstraDataset(TComponent* AOwner) : TDataSet(AOwner), FImpl(std::make_unique<TImpl>(*this)) {}

void TOstraDataset::TImpl::NotifySharers(const TOstraStoreChange& Change) {
    if (FCursor) FCursor->NotifyClients(Change, FStoreLink.get());
}

void TOstraDataset::TImpl::PrepareChange(const uint8_t* NewData) {
    FVerdictAt = 0;
    if (!D.Active() || FOpening || !FCursor) return;
    ShowFilter();
    if (NewData) {
        // Whether the new values show (the range, the filter, the
        // handler's answer), asked now: short of memory, the change stops
        // before it is made.
        bool known = true;
        FPreparingVerdict = true;
        try {
            FVerdict = WouldShow(NewData, known);
        } catch (...) {
            FPreparingVerdict = false;
            throw;
        }
        FPreparingVerdict = false;
        FVerdictKnown = known;
        FVerdictAt = FCursor->Changes() + 1;
    }
    if (FKeys[kiSort].HasFields() && D.FSortOptions.Contains(osoInsertInOrder)) EnsureViewKeys();
    FView.ReserveOneMore();
    if (FLeavers.size() == FLeavers.capacity()) FLeavers.reserve(FLeavers.size() * 2 + 4);
}

void TOstraDataset::TImpl::PrepareSharers(const uint8_t* NewData, bool Inserting) {
    try {
        // A new record gets the next AutoInc value as it is posted.
        std::vector<uint8_t> numbered;
        const TOstraField* autoInc = FCursor ? FCursor->AutoIncField() : nullptr;
        if (NewData && Inserting && autoInc && FDataSize) {
            numbered.assign(NewData, NewData + FDataSize);  // its references only read
            OstPut<int32_t>(numbered.data() + autoInc->Offset,
                            static_cast<int32_t>(static_cast<uint32_t>(FCursor->AutoIncCounter()) + 1u));
            NewData = numbered.data();
        }
        PrepareChange(NewData);
        if (FCursor) FCursor->PrepareClients(FStoreLink.get(), NewData);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
}

bool TOstraDataset::TImpl::ShowsChanged(const uint8_t* Data, bool& Known) {
    if (FVerdictAt != 0 && FCursor && FVerdictAt == FCursor->Changes()) {
        FVerdictAt = 0;
        Known = FVerdictKnown;
        return FVerdict;
    }
    FVerdictAt = 0;
    return WouldShow(Data, Known);
}

TOstraDataset::~TOstraDataset() {
    Destroying();
    // Clones share this dataset's store: they go first.
    for (TOstraDataset* clone : std::vector<TOstraDataset*>(FImpl->FClones)) {
        try {
            clone->Close();
        } catch (...) {}
    }
    try {
        SetActive(false);
    } catch (...) {}
    SetCursor(nullptr);
    FImpl->FMasterLink.reset();
}

void TOstraDataset::SetCursor(TOstraCursor* Value) {
    if (FImpl->FAttached && FImpl->FAttached != Value)
        FImpl->FAttached->RemoveClient(FImpl->FStoreLink.get());
    FImpl->FAttached = nullptr;
    FImpl->FCursor = Value;
    FImpl->FShowFilter.reset();
    FImpl->FShowFilterReady = false;
    if (FImpl->FCursor) {
        FImpl->FCursor->AddClient(FImpl->FStoreLink.get());
        FImpl->FAttached = FImpl->FCursor;
    }
}

bool TOstraDataset::InKeyOrder() const { return FImpl->FInKeyOrder; }
int TOstraDataset::ViewBuilds() const { return FImpl->FViewBuilds; }
TOstraRecord* TOstraDataset::ViewRecord(int Index) const { return FImpl->FView.At(Index); }
bool TOstraDataset::RangeActive() const { return FImpl->FRangeActive; }
bool TOstraDataset::HasPendingChanges() const { return FImpl->FPendingChanges > 0; }
int TOstraDataset::PendingChanges() const { return FImpl->FPendingChanges; }
TOstraCursor* TOstraDataset::Cursor() const { return FImpl->FCursor; }
TOstraMasterLink* TOstraDataset::MasterLink() const { return FImpl->FMasterLink.get(); }
void TOstraDataset::BlobStoreFailed(std::exception_ptr Failure) { FImpl->FBlobFailure = std::move(Failure); }
int TOstraDataset::GetRecordSize() { return static_cast<int>(FImpl->FRecordSize); }
void TOstraDataset::IncrementPendingChanges() { ++FImpl->FPendingChanges; }
const std::vector<TOstraDataset*>& TOstraDataset::Clones() const { return FImpl->FClones; }
void TOstraDataset::SetFieldOrigin(const std::string& Value) { FImpl->FFieldOrigin = Value; }
const std::string& TOstraDataset::FieldOrigin() const { return FImpl->FFieldOrigin; }

std::string TOstraDataset::Version() const {
    return std::string(SEngineVersionPrefix) + SEngineVersionNumber;
}

void TOstraDataset::TImpl::BuildOpenedView() {
    try {
        D.RebuildView(false);
        return;
    } catch (const EOutOfMemory&) {
        // A load on several threads holds more memory than one thread's load
        // of the same table: loaded again on one thread, the view may fit.
        // A store that others show (a clone's source) stays as it is.
        if (FCursor->LoadThreads() <= 1 || FCursor->Shared() || !D.CanReloadData()) throw;
    }
    TOstraCursor* loaded = FCursor;
    loaded->Clear(false);
    ReleaseFreeMemory();
    loaded->SetMostLoadThreads(1);
    try {
        D.OpenData();
    } catch (...) {
        if (FCursor == loaded) loaded->SetMostLoadThreads(0);
        throw;
    }
    loaded->SetMostLoadThreads(0);
    // A clone's store is not loaded again; a file changed meanwhile is not
    // shown through the fields made for the old one.
    if (FCursor != loaded || FCursor->LoadThreads() != 1 ||
        !SameFieldLayout(FCursor->Fields(), FBufferFields))
        throw EOutOfMemory(SOutOfMemory);
    FCursor->SetSortDescending(D.FSortOptions.Contains(osoDescendSort));
    for (TOstraKeyBuffer& key : FKeys) key.Rebind(*FCursor);
    FSearchFieldCache.clear();
    FSearchKeyNames.clear();
    if (D.FMasterSource && D.FMasterSource->DataSet() && D.FMasterSource->DataSet()->Active() &&
        !D.FMasterFields.empty() && !D.FRangeFieldNames.empty())
        D.MasterChanged();
    D.RebuildView(false);
}

void TOstraDataset::TImpl::CheckOpen() const {
    if (!const_cast<TOstraDataset*>(&D)->Active() || !FCursor) throw EDatabaseError(SClosedDataset);
}

// ---------------------------------------------------------------------------
// Opening and closing

void TOstraDataset::InternalOpen() {
    FImpl->FOpening = true;
    try {
        FImpl->FPosition = -1;
        FImpl->ForgetDisplaced();
        FImpl->FView.Clear();
        FImpl->FViewExact = false;
        FImpl->SyncMasterLink();
        OpenData();
        if (!FImpl->FCursor) throw EDatabaseError(SClosedDataset);
        FImpl->FBufferFields = FImpl->FCursor->Fields();
        FImpl->FDataSize = FImpl->FCursor->RecordDataSize();
        FImpl->FCursor->SetSortDescending(FSortOptions.Contains(osoDescendSort));
        InternalInitFieldDefs();
        if (DefaultFields()) {
            CreateFields();
            ApplyFieldOrigin();
        }
        BindFields(true);
        SetBookmarkSize(static_cast<int>(TImpl::BookmarkBytes));
        FImpl->FRecordSize = Align8(Align8(FImpl->FDataSize) + static_cast<std::size_t>(CalcFieldsSize())) +
                             sizeof(TImpl::TBufferTrailer);
        FImpl->InitKeyBuffers();
        for (int i = 0; i < FieldCount(); ++i) {
            auto* f = dynamic_cast<TFloatField*>(Fields()->Fields(i));
            if (f && f->DataType() == ftFloat && !f->Currency() && f->DisplayFormat().empty())
                f->SetDisplayFormat("0.######");
        }
        if (FMasterSource && FMasterSource->DataSet() && FMasterSource->DataSet()->Active() &&
            !FMasterFields.empty() && !FRangeFieldNames.empty())
            MasterChanged();
        if (FImpl->FCursor->RecordCount() > 0) FImpl->BuildOpenedView();
        if (FImpl->FCursor->RecordCount() == 0) {
            // Nothing to build: an empty view is in every order.
            FImpl->FInKeyOrder = FImpl->FKeys[kiSort].HasFields();
            FImpl->FViewExact = true;
        }
        FImpl->FBuiltFilterOptions = FilterOptions();
        FImpl->FBuiltOrder = FImpl->FCursor->OrderChanges();
        FImpl->FPosition = -1;
    } catch (const std::bad_alloc&) {
        FImpl->FOpening = false;
        throw EOutOfMemory(SOutOfMemory);
    } catch (...) {
        FImpl->FOpening = false;
        throw;
    }
    FImpl->FOpening = false;
    FImpl->FPendingChanges = 0;
    if (FDatabase) FDatabase->DatasetOpened(this);
}

void TOstraDataset::DoBeforeClose() {
    for (TOstraDataset* clone : FImpl->FClones)
        if (clone->Active()) throw EDatabaseError(SClonesNotClosed);
    inherited::DoBeforeClose();
}

void TOstraDataset::InternalClose() {
    // Going away: the clones that share the store close first.
    if (ComponentState().Contains(csDestroying)) {
        for (TOstraDataset* clone : std::vector<TOstraDataset*>(FImpl->FClones)) {
            try {
                clone->Close();
            } catch (...) {}
        }
    }
    for (TOstraKeyBuffer& key : FImpl->FKeys) key.Release();
    FImpl->FSearchKeyNames.clear();
    FImpl->FSearchFieldCache.clear();
    FImpl->FViewKeysValid = false;
    FImpl->FKeyIndex.Invalidate();
    FImpl->FPosition = -1;
    FImpl->ForgetDisplaced();
    FImpl->FView.Clear();
    FImpl->FInKeyOrder = false;
    FImpl->FViewExact = false;
    FImpl->FRangeActive = false;
    FImpl->FPendingChanges = 0;
    FImpl->FFilterData = nullptr;
    FImpl->FReadBuffer = nullptr;
    if (FDatabase) FDatabase->DatasetClosed(this);
    if (FImpl->FCursor) ReleaseData();
    FImpl->FBufferFields.clear();
    FImpl->FDataSize = 0;
    FImpl->FFieldMap.clear();
}

bool TOstraDataset::IsCursorOpen() { return FImpl->FCursor && FImpl->FCursor->FieldCount() > 0; }

void TOstraDataset::InternalInitFieldDefs() {
    if (!FImpl->FCursor) return;
    FieldDefs()->Clear();
    FImpl->FFieldMap.clear();
    const std::vector<TOstraField>& fields = FImpl->FCursor->Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const TOstraField& f = fields[i];
        const TFieldType type = PlatformType(f.FieldType);
        if (type == ftUnknown) continue;
        // Room for the UTF-8 form of the longest text the field holds.
        const int size = TextRoomOf(f, FImpl->FCursor->TextEncoding());
        FieldDefs()->Add(f.Name, type, size, false);
        FImpl->FFieldMap.push_back(static_cast<int>(i));
    }
}

void TOstraDataset::ApplyFieldOrigin() {
    for (int i = 0; i < FieldCount(); ++i) Fields()->Fields(i)->SetOrigin(FImpl->FFieldOrigin);
}

void TOstraDataset::InstallCursorRelays(TOstraCursor* Cursor) {
    FImpl->FRelayStore = Cursor;
    if (!Cursor) return;
    InstallReleaseRelay();
    Cursor->SetOnProgress([this](int percent) { FOnCallback(this, percent); });
}

// The store tells of released records only while OnDestroyRecordData is
// assigned: without it, freeing a store walks only the records it must.
void TOstraDataset::InstallReleaseRelay() {
    if (!FImpl->FRelayStore) return;
    if (FOnDestroyRecordData.Assigned())
        FImpl->FRelayStore->SetOnReleaseRecordData([this](void*& data) { FOnDestroyRecordData(this, data); });
    else
        FImpl->FRelayStore->SetOnReleaseRecordData(nullptr);
}

void TOstraDataset::SetOnDestroyRecordData(const TOstraRecordDataEvent& Value) {
    FOnDestroyRecordData = Value;
    InstallReleaseRelay();
}

void TOstraDataset::AddClone(TOstraDataset* Clone) {
    if (Clone && std::find(FImpl->FClones.begin(), FImpl->FClones.end(), Clone) == FImpl->FClones.end())
        FImpl->FClones.push_back(Clone);
}

void TOstraDataset::RemoveClone(TOstraDataset* Clone) {
    FImpl->FClones.erase(std::remove(FImpl->FClones.begin(), FImpl->FClones.end(), Clone),
                         FImpl->FClones.end());
}

void TOstraDataset::SetDatabase(TOstraCustomDatabase* Value) {
    if (Value == FDatabase) return;
    Close();
    if (FDatabase) FDatabase->RemoveFreeNotification(this);
    FDatabase = Value;
    if (FDatabase) FDatabase->FreeNotification(this);
}

void TOstraDataset::SetMasterSource(TDataSource* Value) {
    if (Value != FMasterSource) {
        if (Value) {
            // Walk up from the new master: meeting this dataset closes a circle.
            TDataSet* ds = Value->DataSet();
            for (int guard = 0; ds && guard < 1000; ++guard) {
                if (ds == this) throw EDatabaseError(SOstCircularDataLink);
                TDataSource* up = ds->DataSource();
                ds = up ? up->DataSet() : nullptr;
            }
            if (Value->DataSet() && !dynamic_cast<TOstraDataset*>(Value->DataSet()))
                throw EDatabaseError(SMasterNotOstra);
        }
        if (FMasterSource) FMasterSource->RemoveFreeNotification(this);
        FMasterSource = Value;
        if (FMasterSource) FMasterSource->FreeNotification(this);
    }
    FImpl->SyncMasterLink();
}

void TOstraDataset::SetMasterFields(const std::string& Value) {
    FMasterFields = Value;
    FImpl->SyncMasterLink();
}

void TOstraDataset::TImpl::SyncMasterLink() {
    if (!FMasterLink) return;
    if (FMasterLink->MasterFields() != D.FMasterFields) FMasterLink->SetMasterFields(D.FMasterFields);
    if (FMasterLink->DataSource() != D.FMasterSource) FMasterLink->SetDataSource(D.FMasterSource);
}

void TOstraDataset::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FDatabase) FDatabase = nullptr;
    if (AComponent == FMasterSource) FMasterSource = nullptr;
    try {
        FImpl->SyncMasterLink();
    } catch (...) {}
}

// ---------------------------------------------------------------------------
// Record buffers

TOstraDataset::TImpl::TBufferTrailer* TOstraDataset::TImpl::Trailer(TRecordBuffer Buffer) const {
    return reinterpret_cast<TImpl::TBufferTrailer*>(Buffer + (FRecordSize - sizeof(TImpl::TBufferTrailer)));
}

TOstraRecord* TOstraDataset::TImpl::BufferRecord(TRecordBuffer Buffer) const {
    const TBookmarkData& mark = Trailer(Buffer)->Bookmark;
    return FCursor && mark.Generation == FCursor->Generation() ? mark.Record : nullptr;
}

void TOstraDataset::TImpl::SetBufferRecord(TRecordBuffer Buffer, int Index) {
    TBufferTrailer* t = Trailer(Buffer);
    t->Bookmark = {FView.At(Index), FCursor->Generation()};
    t->Flag = bfCurrent;
    t->RecNo = Index + 1;
}

TOstraDataset::TImpl::TBookmarkData TOstraDataset::TImpl::BookmarkOf(const void* Bookmark) {
    TBookmarkData mark{nullptr, 0};
    const auto* bytes = static_cast<const uint8_t*>(Bookmark);
    std::memcpy(&mark.Record, bytes, sizeof mark.Record);
    for (int i = 6; i >= 0; --i) mark.Generation = mark.Generation << 8 | bytes[sizeof mark.Record + i];
    return mark;
}

void TOstraDataset::TImpl::WriteBookmark(const TBookmarkData& Mark, void* Bookmark) {
    auto* bytes = static_cast<uint8_t*>(Bookmark);
    std::memcpy(bytes, &Mark.Record, sizeof Mark.Record);
    for (int i = 0; i < 7; ++i)
        bytes[sizeof Mark.Record + i] = static_cast<uint8_t>(Mark.Generation >> (8 * i));
}

TRecordBuffer TOstraDataset::AllocRecordBuffer() {
    if (AllocationFailureHooked()) throw EOutOfMemory(SOutOfMemory);
    auto* buffer = static_cast<TRecordBuffer>(std::calloc(1, std::max<std::size_t>(FImpl->FRecordSize, 1)));
    if (!buffer) throw EOutOfMemory(SOutOfMemory);
    return buffer;
}

void TOstraDataset::FreeRecordBuffer(TRecordBuffer& Buffer) {
    if (!Buffer) return;
    if (FImpl->FRecordSize) FImpl->ReleaseBufferValues(FImpl->BufferData(Buffer));
    std::free(Buffer);
    Buffer = nullptr;
}

void TOstraDataset::TImpl::ReleaseBufferValues(uint8_t* Data) const { OstReleaseValues(Data, FBufferFields); }

void TOstraDataset::ClearCalcFields(TRecordBuffer Buffer) {
    if (Buffer && CalcFieldsSize() > 0)
        std::memset(Buffer + Align8(FImpl->FDataSize), 0, static_cast<std::size_t>(CalcFieldsSize()));
}

void TOstraDataset::TImpl::CopyRecordToBuffer(const TOstraRecord* Record, TRecordBuffer Buffer) {
    uint8_t* data = BufferData(Buffer);
    ReleaseBufferValues(data);
    Trailer(Buffer)->ValuesInStore = 0;
    const uint8_t* src = Record->Data();
    if (!src) {
        std::memset(data, 0, FDataSize);
        return;
    }
    try {
        OstCopyData(data, src, FBufferFields, FDataSize);
    } catch (const std::bad_alloc&) {
        // The copy holds no reference values now; they are read in place.
        Trailer(Buffer)->ValuesInStore = 1;
    }
}

void TOstraDataset::TImpl::CompleteBuffer(TRecordBuffer Buffer) {
    if (!Buffer || !Trailer(Buffer)->ValuesInStore) return;
    const TOstraRecord* record = BufferRecord(Buffer);
    if (!record || !record->Data()) return;
    CopyRecordToBuffer(record, Buffer);
    if (Trailer(Buffer)->ValuesInStore) throw EOutOfMemory(SOutOfMemory);
}

TGetResult TOstraDataset::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) try {
    const int count = FImpl->FView.Count();
    if (count == 0) return grEOF;
    switch (GetMode) {
    case gmCurrent:
        if (FImpl->FPosition < 0 || FImpl->FPosition >= count) {
            if (DoCheck) throw EDatabaseError(SNoRecords);
            return grError;
        }
        break;
    case gmNext:
        if (FImpl->FPosition >= count - 1) return grEOF;
        ++FImpl->FPosition;
        break;
    case gmPrior:
        if (FImpl->FPosition <= 0) return grBOF;
        FImpl->FPosition = std::min(FImpl->FPosition, count) - 1;
        break;
    }
    FImpl->CopyRecordToBuffer(FImpl->FView.At(FImpl->FPosition), Buffer);
    FImpl->SetBufferRecord(Buffer, FImpl->FPosition);
    ClearCalcFields(Buffer);
    GetCalcFields(Buffer);
    return grOK;
} catch (const std::bad_alloc&) {
    throw EOutOfMemory(SOutOfMemory);
}

// GetRecord's answer, without reading the record.
bool TOstraDataset::CursorHasNeighbour(TGetMode Mode) {
    const int count = FImpl->FView.Count();
    if (count == 0) return false;
    if (Mode == gmNext) return FImpl->FPosition < count - 1;
    if (Mode == gmPrior) return FImpl->FPosition > 0;
    return inherited::CursorHasNeighbour(Mode);
}

void TOstraDataset::InternalInitRecord(TRecordBuffer Buffer) {
    uint8_t* data = FImpl->BufferData(Buffer);
    FImpl->ReleaseBufferValues(data);
    std::memset(Buffer, 0, FImpl->FRecordSize - sizeof(TImpl::TBufferTrailer));
    TImpl::TBufferTrailer* t = FImpl->Trailer(Buffer);
    t->Bookmark = {nullptr, 0};
    t->ValuesInStore = 0;
    t->Flag = bfInserted;
    t->RecNo = -1;
}

// ---------------------------------------------------------------------------
// Bookmarks and navigation

void TOstraDataset::GetBookmarkData(TRecordBuffer Buffer, void* Data) {
    FImpl->WriteBookmark(FImpl->Trailer(Buffer)->Bookmark, Data);
}

void TOstraDataset::SetBookmarkData(TRecordBuffer Buffer, const void* Data) {
    FImpl->Trailer(Buffer)->Bookmark = Data ? FImpl->BookmarkOf(Data) : TImpl::TBookmarkData{nullptr, 0};
}

TBookmarkFlag TOstraDataset::GetBookmarkFlag(TRecordBuffer Buffer) {
    return static_cast<TBookmarkFlag>(FImpl->Trailer(Buffer)->Flag);
}

void TOstraDataset::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) {
    FImpl->Trailer(Buffer)->Flag = static_cast<uint8_t>(Value);
}

void TOstraDataset::InternalFirst() { FImpl->FPosition = -1; }

void TOstraDataset::InternalLast() { FImpl->FPosition = FImpl->FView.Count(); }

void TOstraDataset::InternalGotoBookmark(const void* Bookmark) {
    const int index = FImpl->BookmarkPlace(FImpl->BookmarkOf(Bookmark), FImpl->FPosition);
    if (index >= 0) FImpl->FPosition = index;
}

void TOstraDataset::InternalSetToRecord(TRecordBuffer Buffer) {
    const TOstraRecord* record = FImpl->BufferRecord(Buffer);
    if (!record) return;
    const int number = FImpl->Trailer(Buffer)->RecNo;
    const int index = FImpl->FindInView(record, number > 0 ? number - 1 : FImpl->FPosition);
    if (index >= 0) FImpl->FPosition = index;
}

bool TOstraDataset::BookmarkValid(const TBookmark& Value) {
    if (!FImpl->FCursor || Value.size() != TImpl::BookmarkBytes) return false;
    return FImpl->BookmarkPlace(FImpl->BookmarkOf(Value.data()), FImpl->FPosition) >= 0;
}

bool TOstraDataset::BookmarkOfStore(const TBookmark& Value) const {
    return FImpl->FCursor && Value.size() == TImpl::BookmarkBytes &&
           FImpl->BookmarkOf(Value.data()).Generation == FImpl->FCursor->Generation();
}

int TOstraDataset::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    const bool none1 = Bookmark1.size() != TImpl::BookmarkBytes;
    const bool none2 = Bookmark2.size() != TImpl::BookmarkBytes;
    if (none1 || none2) return none1 == none2 ? 0 : (none1 ? -1 : 1);
    // By the records' addresses; the same address in two generations of a
    // store is two records.
    const TImpl::TBookmarkData one = FImpl->BookmarkOf(Bookmark1.data());
    const TImpl::TBookmarkData two = FImpl->BookmarkOf(Bookmark2.data());
    const auto a = reinterpret_cast<uintptr_t>(one.Record);
    const auto b = reinterpret_cast<uintptr_t>(two.Record);
    if (a != b) return a < b ? -1 : 1;
    return (one.Generation > two.Generation) - (one.Generation < two.Generation);
}

int TOstraDataset::GetRecordCount() {
    FImpl->CheckOpen();
    return FImpl->FView.Count();
}

int TOstraDataset::GetRecNo() {
    if (State() == dsInternalCalc) return -1;
    TRecordBuffer buffer = State() == dsCalcFields && CalcBuffer() ? CalcBuffer() : ActiveBuffer();
    if (!buffer || !FImpl->FRecordSize || (IsEmpty() && State() != dsInsert && buffer == ActiveBuffer()))
        return -1;
    return FImpl->Trailer(buffer)->RecNo;
}

void TOstraDataset::SetRecNo(int Value) {
    CheckBrowseMode();
    if (Value == RecNo()) return;
    const int count = FImpl->FView.Count();
    if (count == 0) return;
    Value = std::clamp(Value, 1, count);
    DoBeforeScroll();
    FImpl->FPosition = Value - 1;
    Resync({});
    DoAfterScroll();
}

void TOstraDataset::TImpl::GotoPosition(int Index, bool Center) {
    FPosition = Index;
    if (Center)
        D.Resync({rmExact, rmCenter});
    else
        D.Resync({});
}

TUpdateStatus TOstraDataset::UpdateStatus() {
    if (State() == dsInsert) return usInserted;
    TRecordBuffer buffer = ActiveBuffer();
    if (!buffer || !FImpl->FRecordSize || IsEmpty()) return usUnmodified;
    const TOstraRecord* r = FImpl->BufferRecord(buffer);
    if (!r || !FImpl->FCursor->Contains(r)) return usUnmodified;
    switch (r->State) {
    case orsModified: return usModified;
    case orsNew: return usInserted;
    case orsDeleted: return usDeleted;
    default: return usUnmodified;
    }
}

bool TOstraDataset::GetCanModify() { return inherited::GetCanModify() && !FReadOnly; }

// ---------------------------------------------------------------------------
// Field values

const TOstraField* TOstraDataset::TImpl::StoreFieldOfNo(int FieldNo) const {
    if (FieldNo < 1 || FieldNo > static_cast<int>(FFieldMap.size())) return nullptr;
    const int index = FFieldMap[static_cast<std::size_t>(FieldNo - 1)];
    return index >= 0 && index < static_cast<int>(FBufferFields.size())
               ? &FBufferFields[static_cast<std::size_t>(index)]
               : nullptr;
}

const TOstraField* TOstraDataset::TImpl::StoreField(const TField* Field) const {
    return Field ? StoreFieldOfNo(Field->FieldNo()) : nullptr;
}

TRecordBuffer TOstraDataset::TImpl::StateBuffer() {
    if (FReadBuffer) return FReadBuffer;
    switch (D.State()) {
    case dsFilter:
    case dsSetKey:
    case dsInactive:
    case dsOpening: return nullptr;
    case dsCalcFields:
    case dsInternalCalc: return D.CalcBuffer() ? D.CalcBuffer() : D.ActiveBuffer();
    default: {
        TRecordBuffer buffer = D.ActiveBuffer();
        if (buffer && D.IsEmpty() && D.State() != dsInsert) return nullptr;
        return buffer;
    }
    }
}

uint8_t* TOstraDataset::TImpl::StateData() {
    if (!FRecordSize) return nullptr;
    if (!FReadBuffer && D.State() == dsFilter) return const_cast<uint8_t*>(FFilterData);
    TRecordBuffer buffer = StateBuffer();
    if (!buffer) return nullptr;
    if (Trailer(buffer)->ValuesInStore && D.State() != dsEdit && D.State() != dsInsert)
        if (TOstraRecord* record = BufferRecord(buffer); record && record->Data()) return record->Data();
    return BufferData(buffer);
}

bool TOstraDataset::GetFieldData(TField* Field, void* Buffer) {
    if (!Field) return false;
    if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup) {
        TRecordBuffer record = FImpl->StateBuffer();
        if (!record || !FImpl->FRecordSize) return false;
        const char* p = record + Align8(FImpl->FDataSize) + Field->Offset();
        if (!p[0]) return false;
        if (Buffer) std::memcpy(Buffer, p + 1, static_cast<std::size_t>(Field->DataSize()));
        return true;
    }
    // The field's buffer holds its Size: a field object may be smaller than
    // its definition.
    return FImpl->FieldData(Field->FieldNo(), Buffer, static_cast<std::size_t>(std::max(Field->Size(), 0)));
}

bool TOstraDataset::GetFieldData(int FieldNo, void* Buffer) {
    const TOstraField* f = FImpl->StoreFieldOfNo(FieldNo);
    if (!f || !FImpl->FCursor) return false;
    return FImpl->FieldData(FieldNo, Buffer,
                            static_cast<std::size_t>(TextRoomOf(*f, FImpl->FCursor->TextEncoding())));
}

bool TOstraDataset::TImpl::FieldData(int FieldNo, void* Buffer, std::size_t TextLimit) {
    const TOstraField* f = StoreFieldOfNo(FieldNo);
    if (!f) return false;
    const uint8_t* data = StateData();
    if (!data) return false;
    const uint8_t* place = data + f->Offset;
    if (!OstHasValue(place, *f)) return false;
    if (!Buffer) return true;
    switch (f->FieldType) {
    case oftSmallStr:
    case oftString: {
        const std::string text = Utf8Truncate(FieldText(place, *f), TextLimit);
        std::memcpy(Buffer, text.data(), text.size());
        static_cast<char*>(Buffer)[text.size()] = 0;
        break;
    }
    case oftBLOB:
    case oftMemo:
    case oftFmtMemo:
    case oftGraphic: break;  // read through GetBlobValue
    default: std::memcpy(Buffer, place, f->Size); break;
    }
    return true;
}

namespace {

// A value put into a record buffer; short of memory the buffer keeps the
// value it had.
void SetValueOrOutOfMemory(uint8_t* Place, TOstraFieldType Type, const void* Data, std::size_t Length) {
    try {
        OstSetValue(Place, Type, Data, Length);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    }
}

}  // namespace

void TOstraDataset::SetFieldData(TField* Field, const void* Buffer) {
    const TDataSetState state = State();
    if (!dsWriteModes.Contains(state)) throw EDatabaseError(SOstNotEditing);
    if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup) {
        TRecordBuffer record = FImpl->StateBuffer();
        if (!record) throw EDatabaseError(SOstNotEditing);
        char* p = record + Align8(FImpl->FDataSize) + Field->Offset();
        const auto size = static_cast<std::size_t>(Field->DataSize());
        p[0] = Buffer ? 1 : 0;
        if (Buffer)
            std::memcpy(p + 1, Buffer, size);
        else
            std::memset(p + 1, 0, size);
    } else {
        if (state == dsCalcFields) throw EDatabaseError(SCannotEditCalcFields);
        // A filter looks at the store's records in place; it does not write.
        if (state == dsFilter || state == dsSetKey) throw EDatabaseError(SOstNotEditing);
        if (Field->ReadOnly()) throw EDatabaseError(Format(SOstFieldReadOnly, Field->DisplayName()));
        if (Field->DataType() == ftAutoInc) return;
        const TOstraField* f = FImpl->StoreField(Field);
        uint8_t* data = FImpl->StateData();
        if (!f || !data) throw EDatabaseError(SOstNotEditing);
        Field->Validate(Buffer);
        uint8_t* place = data + f->Offset;
        switch (f->FieldType) {
        case oftSmallStr:
        case oftString: {
            // Kept whole: a text too long for the field is refused at Post.
            std::string_view text;
            if (Buffer) {
                const char* s = static_cast<const char*>(Buffer);
                text = std::string_view(s, strnlen(s, static_cast<std::size_t>(Field->Size()) + 1));
            }
            if (f->FieldType == oftSmallStr) {
                // Beyond what its place holds: refused at once.
                if (text.size() >= f->Size)
                    throw EDatabaseError(
                        Format(STextTooLong, f->Name, static_cast<int64_t>(text.size()), int{f->Length}));
                std::memset(place, 0, f->Size);
                if (!text.empty()) std::memcpy(place, text.data(), text.size());
            } else {
                SetValueOrOutOfMemory(place, oftString, text.data(), text.size());
            }
            break;
        }
        case oftBLOB:
        case oftMemo:
        case oftFmtMemo:
        case oftGraphic:
            if (!Buffer) OstReleaseValue(place);
            break;
        default:
            if (Buffer)
                std::memcpy(place, Buffer, f->Size);
            else
                std::memset(place, 0, f->Size);
            break;
        }
    }
    if (state != dsCalcFields && state != dsFilter && state != dsSetKey)
        DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
}

bool TOstraDataset::GetBlobValue(TField* Field, std::string& Value) {
    Value.clear();
    const TOstraField* f = FImpl->StoreField(Field);
    const uint8_t* data = FImpl->StateData();
    if (!f || !data || !IsBlobType(f->FieldType)) return false;
    const uint8_t* place = data + f->Offset;
    const uint32_t n = OstValueLength(place);
    if (n == 0) return false;
    Value.assign(OstValueData(place), n);
    return true;
}

void TOstraDataset::SetBlobValue(TField* Field, const std::string& Value) {
    const TDataSetState state = State();
    if (state != dsEdit && state != dsInsert) throw EDatabaseError(SOstNotEditing);
    if (Field->ReadOnly()) throw EDatabaseError(Format(SOstFieldReadOnly, Field->DisplayName()));
    const TOstraField* f = FImpl->StoreField(Field);
    uint8_t* data = FImpl->StateData();
    if (!f || !data || !IsBlobType(f->FieldType)) throw EDatabaseError(SOstNotEditing);
    SetValueOrOutOfMemory(data + f->Offset, f->FieldType, Value.data(), Value.size());
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
}

TOstraBlobStream* TOstraDataset::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    return new TOstraBlobStream(Field, Mode);
}

// ---------------------------------------------------------------------------

void TOstraDataset::Publish(TPublisher<TOstraDataset>& p) {
    p.Property("Database", &TOstraDataset::Database, &TOstraDataset::SetDatabase)
        .SetTypeName("TOstraDatabase");
    p.Property("IndexFieldNames", &TOstraDataset::IndexFieldNames, &TOstraDataset::SetIndexFieldNames);
    p.Property("MasterFields", &TOstraDataset::MasterFields, &TOstraDataset::SetMasterFields);
    p.Property("MasterSource", &TOstraDataset::MasterSource, &TOstraDataset::SetMasterSource);
    p.Property("Notes", &TOstraDataset::Notes, &TOstraDataset::SetNotes);
    p.Property("PartialOpen", &TOstraDataset::PartialOpen, &TOstraDataset::SetPartialOpen);
    p.Property("RangeFieldNames", &TOstraDataset::RangeFieldNames, &TOstraDataset::SetRangeFieldNames);
    p.Property("ReadOnly", &TOstraDataset::ReadOnly, &TOstraDataset::SetReadOnly);
    p.Property("SaveOptions", &TOstraDataset::SaveOptions, &TOstraDataset::SetSaveOptions);
    p.Property("SortOptions", &TOstraDataset::SortOptions, &TOstraDataset::SetSortOptions);
    p.Property("UniqueFieldNames", &TOstraDataset::UniqueFieldNames, &TOstraDataset::SetUniqueFieldNames);
    p.Property("Version", &TOstraDataset::Version, &TOstraDataset::SetVersion);
    p.Property("OnNeedToSaveChange", &TOstraDataset::OnNeedToSaveChange,
               &TOstraDataset::SetOnNeedToSaveChange);
    p.Property("OnCallback", &TOstraDataset::OnCallback, &TOstraDataset::SetOnCallback);
    p.Property("OnDestroyRecordData", &TOstraDataset::OnDestroyRecordData,
               &TOstraDataset::SetOnDestroyRecordData);
}
