// TDataSource, TDataLink and the field and master links.
#include "platform/db/datasource.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/db/dataset.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fields.h"

// ---------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    Destroying();
    FOnStateChange = nullptr;
    FOnDataChange = nullptr;
    SetDataSet(nullptr);
    while (!FDataLinks.empty()) RemoveDataLink(FDataLinks.back());
}

void TDataSource::SetDataSet(TDataSet* ADataSet) {
    if (ADataSet == FDataSet) return;
    if (IsLinkedTo(ADataSet)) DatabaseError(SCircularDataLink);
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet = nullptr;
        // The links let go of the old dataset (its fields, its record
        // window) before they meet the new one, even when both are open.
        UpdateState();
    }
    FDataSet = ADataSet;
    if (ADataSet) ADataSet->AddDataSource(this);
    UpdateState();
}

bool TDataSource::IsLinkedTo(TDataSet* ADataSet) const {
    std::vector<const TDataSet*> seen;
    for (TDataSet* dataSet = ADataSet; dataSet;) {
        if (std::find(seen.begin(), seen.end(), dataSet) != seen.end()) break;
        seen.push_back(dataSet);
        TDataSource* source = dataSet->GetDataSource();
        if (!source) break;
        if (source == this) return true;
        dataSet = source->FDataSet;
    }
    return false;
}

void TDataSource::SetEnabled(bool Value) {
    FEnabled = Value;
    UpdateState();
}

void TDataSource::Edit() {
    if (FAutoEdit && FState == dsBrowse && FDataSet) FDataSet->Edit();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

void TDataSource::DataEvent(TDataEvent Event, intptr_t Info, TLinkKinds Kinds) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == dsInactive) return;
    NotifyDataLinks(Event, Info, Kinds);
    switch (Event) {
    case deFieldChange: FOnDataChange(this, reinterpret_cast<TField*>(Info)); break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: FOnDataChange(this, nullptr); break;
    case deUpdateRecord: FOnUpdateData(this); break;
    default: break;
    }
}

void TDataSource::NotifyDataLinks(TDataEvent Event, intptr_t Info, TLinkKinds Kinds) {
    // Index loop: a link may leave the list while it is told.
    for (size_t i = 0; i < FDataLinks.size(); ++i) {
        TDataLink* link = FDataLinks[i];
        if (Kinds == lkAll || (Kinds == lkVisual) == link->FVisualControl) link->DataEvent(Event, Info);
    }
}

void TDataSource::UpdateState() { SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive); }

void TDataSource::SetState(TDataSetState Value) {
    if (FState == Value) return;
    const TDataSetState prior = FState;
    FState = Value;
    NotifyDataLinks(deUpdateState, 0);
    if (ComponentState().Contains(csDestroying)) return;
    FOnStateChange(this);
    if (prior == dsInactive) FOnDataChange(this, nullptr);
}

void TDataSource::AddDataLink(TDataLink* Link) {
    FDataLinks.push_back(Link);
    Link->FDataSource = this;
    if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::RemoveDataLink(TDataLink* Link) {
    auto it = std::find(FDataLinks.begin(), FDataLinks.end(), Link);
    if (it == FDataLinks.end()) return;
    FDataLinks.erase(it);
    Link->FDataSource = nullptr;
    Link->UpdateState();
    if (FDataSet && !ComponentState().Contains(csDestroying)) FDataSet->UpdateBufferCount();
}

void TDataSource::Publish(TPublisher<TDataSource>& p) {
    p.Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit);
    p.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    p.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled);
    p.Property("OnDataChange", &TDataSource::OnDataChange, &TDataSource::SetOnDataChange);
    p.Property("OnStateChange", &TDataSource::OnStateChange, &TDataSource::SetOnStateChange);
    p.Property("OnUpdateData", &TDataSource::OnUpdateData, &TDataSource::SetOnUpdateData);
}

// ---------------------------------------------------------------------------
// TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    if (!FDataSource) return;
    // Leave quietly: the descendant's notifications are gone by now.
    TDataSource* source = FDataSource;
    auto it = std::find(source->FDataLinks.begin(), source->FDataLinks.end(), this);
    if (it != source->FDataLinks.end()) source->FDataLinks.erase(it);
    FDataSource = nullptr;
    if (source->FDataSet && !source->ComponentState().Contains(csDestroying))
        source->FDataSet->UpdateBufferCount();
}

void TDataLink::SetDataSource(TDataSource* ADataSource) {
    if (ADataSource == FDataSource) return;
    if (FDataSourceFixed) DatabaseError(SDataSourceChange);
    if (FDataSource) FDataSource->RemoveDataLink(this);
    if (ADataSource) ADataSource->AddDataLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool Value) {
    if (FReadOnly == Value) return;
    FReadOnly = Value;
    UpdateState();
}

void TDataLink::UpdateState() {
    TDataSetState state = dsInactive;
    if (FDataSource) {
        if (FVisualControl) {
            state = FDataSource->State();
        } else if (FDataSource->Enabled() && FDataSource->DataSet()) {
            // Detail links follow the dataset itself, even while its
            // controls are disabled.
            state = FDataSource->DataSet()->State();
        }
    }
    SetActive(state != dsInactive);
    SetEditing(dsEditModes.Contains(state) && !FReadOnly);
}

void TDataLink::SetActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    if (Value)
        UpdateRange();
    else
        FFirstRecord = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
    if (FEditing == Value) return;
    FEditing = Value;
    EditingChanged();
}

void TDataLink::UpdateRange() {
    TDataSet* dataSet = DataSet();
    if (!dataSet) return;
    const int active = dataSet->FActiveRecord;
    const int maxFirst = std::min(active, std::max(0, dataSet->FBufferCount - FBufferCount));
    const int minFirst = std::max(0, active - FBufferCount + 1);
    if (FFirstRecord > maxFirst) FFirstRecord = maxFirst;
    if (FFirstRecord < minFirst) FFirstRecord = minFirst;
}

int TDataLink::ActiveRecord() const {
    TDataSet* dataSet = DataSet();
    if (!FActive || !dataSet || dataSet->State() == dsSetKey) return 0;
    return dataSet->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(int Value) {
    TDataSet* dataSet = DataSet();
    if (!FActive || !dataSet || dataSet->State() == dsSetKey || dataSet->FBufferCount < 1) return;
    const int index = std::clamp(Value + FFirstRecord, 0, dataSet->FBufferCount - 1);
    dataSet->FActiveRecord = index;
}

void TDataLink::SetBufferCount(int Value) {
    Value = std::max(1, Value);
    if (FBufferCount == Value) return;
    FBufferCount = Value;
    TDataSet* dataSet = DataSet();
    if (FActive && dataSet) {
        UpdateRange();
        dataSet->UpdateBufferCount();
        UpdateRange();
    }
}

int TDataLink::RecordCount() const {
    TDataSet* dataSet = DataSet();
    if (!FActive || !dataSet) return 0;
    return std::clamp(dataSet->FRecordCount - FFirstRecord, 0, FBufferCount);
}

bool TDataLink::Bof() const {
    TDataSet* dataSet = DataSet();
    return !dataSet || dataSet->Bof();
}

bool TDataLink::Eof() const {
    TDataSet* dataSet = DataSet();
    return !dataSet || dataSet->Eof();
}

int TDataLink::MoveBy(int Distance) {
    TDataSet* dataSet = DataSet();
    return dataSet ? dataSet->MoveBy(Distance) : 0;
}

bool TDataLink::MoveToShownRecord(int Record) {
    TDataSet* dataSet = DataSet();
    if (!FActive || !dataSet || Record < 0 || Record >= RecordCount()) return false;
    const int active = ActiveRecord();
    if (Record == active) return true;
    if (dataSet->State() != dsEdit && dataSet->State() != dsInsert) {
        MoveBy(Record - active);
        return true;
    }
    // The record's bookmark, read at its row while the rows are as shown.
    auto markAt = [&](int Row) {
        SetActiveRecord(Row);
        const TBookmark mark = dataSet->Bookmark();
        SetActiveRecord(active);
        return mark;
    };
    const TBookmark mark = markAt(Record);
    if (mark.empty()) {
        MoveBy(Record - active);
        return true;
    }
    dataSet->CheckBrowseMode();
    const int now = ActiveRecord();
    for (int row = 0; row < RecordCount(); ++row) {
        SetActiveRecord(row);
        const bool found = dataSet->CompareBookmarks(dataSet->Bookmark(), mark) == 0;
        SetActiveRecord(now);
        if (found) {
            if (row != now) MoveBy(row - now);
            return true;
        }
    }
    if (!dataSet->BookmarkValid(mark)) return false;
    dataSet->GotoBookmark(mark);
    return true;
}

bool TDataLink::ReadRecordAfterWindow(const std::function<void()>& Read) {
    TDataSet* ds = DataSet();
    if (!FActive || !ds || ds->State() == dsSetKey || RecordCount() < FBufferCount) return false;
    const int after = FFirstRecord + FBufferCount;
    const int active = ds->FActiveRecord;
    struct TRestore {
        TDataSet* Ds;
        int Active, Records;
        ~TRestore() {
            Ds->FActiveRecord = Active;
            Ds->FRecordCount = Records;
        }
    };
    if (after < ds->FRecordCount) {
        // Another link's window holds it already.
        const TRestore restore{ds, active, ds->FRecordCount};
        ds->FActiveRecord = after;
        Read();
        return true;
    }
    if (after != ds->FRecordCount || ds->FRecordCount < 1 ||
        static_cast<size_t>(ds->FRecordCount) >= ds->FBuffers.size())
        return false;
    // Fetched into the spare buffer after the records; the cursor is then
    // elsewhere than the buffers say, so the next move places it again.
    const TRecordBuffer lastBuffer = ds->FBuffers[static_cast<size_t>(ds->FRecordCount - 1)];
    const TGetMode mode = ds->GetBookmarkFlag(lastBuffer) == bfInserted ? gmCurrent : gmNext;
    ds->SetCurrentRecord(ds->FRecordCount - 1);
    TGetResult got = grError;
    try {
        got = ds->GetRecord(ds->FBuffers[static_cast<size_t>(ds->FRecordCount)], mode, false);
    } catch (...) {
        got = grError;
    }
    ds->CursorPosChanged();
    if (got != grOK) return false;
    // Read as one more record of the buffers while Read runs.
    const TRestore restore{ds, active, ds->FRecordCount};
    ds->FActiveRecord = ds->FRecordCount;
    ++ds->FRecordCount;
    Read();
    return true;
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive) return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        int distance = 0;
        TDataSet* dataSet = DataSet();
        if (dataSet && dataSet->State() != dsSetKey) {
            // Follow the records as they moved in the buffers, then keep
            // the active record inside the window.
            if (Event == deDataSetScroll) FFirstRecord += static_cast<int>(Info);
            const int before = FFirstRecord;
            UpdateRange();
            distance = FFirstRecord - before;
        }
        if (Event == deDataSetChange)
            DataSetChanged();
        else if (Event == deDataSetScroll)
            DataSetScrolled(distance);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(*reinterpret_cast<TField**>(Info)); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------
// TFieldDataLink

TFieldDataLink::TFieldDataLink() { SetVisualControl(true); }

void TFieldDataLink::SetFieldName(const std::string& Value) {
    if (FFieldName == Value) return;
    FFieldName = Value;
    UpdateField();
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && FField && FField->CanModify(); }

bool TFieldDataLink::Edit() {
    if (CanModify()) TDataLink::Edit();
    return FFieldEditing;
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::UpdateField() {
    SetField(nullptr);
    if (Active() && !FFieldName.empty()) SetField(DataSet()->FieldByName(FFieldName));
}

void TFieldDataLink::SetField(TField* Value) {
    if (FField == Value) return;
    FField = Value;
    EditingChanged();
    RecordChanged(nullptr);
}

void TFieldDataLink::SetFieldEditing(bool Value) {
    if (FFieldEditing == Value) return;
    FFieldEditing = Value;
    FModified = false;
    FOnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    FOnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { SetFieldEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::FocusControl(TField*& Field) {
    if (!Field || Field != FField || !FOnFocusControl.Assigned()) return;
    bool handled = false;
    FOnFocusControl(this, handled);
    if (handled) Field = nullptr;
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* Field) {
    if (Field && Field != FField) return;
    FOnDataChange(this);
    FModified = false;
}

void TFieldDataLink::UpdateData() {
    if (!FModified) return;
    if (FField) FOnUpdateData(this);
    FModified = false;
}

// ---------------------------------------------------------------------------
// TMasterDataLink

TMasterDataLink::TMasterDataLink(TDataSet* ADataSet) : FDataSet(ADataSet) {}

void TMasterDataLink::SetFieldNames(const std::string& Value) {
    if (FFieldNames == Value) return;
    FFieldNames = Value;
    ActiveChanged();
}

void TMasterDataLink::ActiveChanged() {
    FFields.clear();
    if (Active()) {
        try {
            DataSet()->GetFieldList(FFields, FFieldNames);
        } catch (...) {
            FFields.clear();
            throw;
        }
    }
    if (FDataSet && FDataSet->Active() && !FDataSet->ComponentState().Contains(csDestroying)) {
        if (Active() && !FFields.empty())
            FOnMasterChange(this);
        else
            FOnMasterDisable(this);
    }
}

void TMasterDataLink::CheckBrowseMode() {
    if (FDataSet && FDataSet->Active()) FDataSet->CheckBrowseMode();
}

void TMasterDataLink::RecordChanged(TField* Field) {
    TDataSet* master = DataSet();
    if (!master || master->State() == dsSetKey || !FDataSet || !FDataSet->Active() || FFields.empty()) return;
    if (Field && std::find(FFields.begin(), FFields.end(), Field) == FFields.end()) return;
    FOnMasterChange(this);
}
