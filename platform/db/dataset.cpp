// TDataSet: opening and closing, fields, calculated fields, notifications
// and the generic searches. The record window, navigation and editing are in
// dataset_records.cpp.
#include "platform/db/dataset.h"
#include "platform/core/case_fold.h"

#include <algorithm>
#include <new>

#include "platform/core/memory.h"
#include "platform/core/properties.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/db_internal.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"

TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner), FFields(new TFields(this)), FFieldDefs(new TFieldDefs(this)) {}

TDataSet::~TDataSet() {
    Destroying();
    // The descendant has closed the dataset; only the plain members are left.
    while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
    FFields->Clear();
    delete FFields;
    delete FFieldDefs;
}

// ---------------------------------------------------------------------------
// Opening and closing

void TDataSet::SetActive(bool Value) {
    if (ComponentState().Contains(csLoading)) {
        FStreamedActive = Value;
        return;
    }
    if (Active() == Value) return;
    if (Value) {
        DoBeforeOpen();
        OpenCursor();
        SetState(dsBrowse);
        DoAfterOpen();
        if (!IsEmpty()) DoAfterScroll();
    } else {
        const bool destroying = ComponentState().Contains(csDestroying);
        if (!destroying) DoBeforeClose();
        if (FState == dsEdit || FState == dsInsert) QuietCancel();
        SetState(dsInactive);
        CloseCursor();
        if (!destroying) DoAfterClose();
    }
}

void TDataSet::Loaded() {
    inherited::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        SetActive(true);
    }
}

void TDataSet::OpenCursor() {
    FDefaultFields = FFields->Count() == 0;
    FInternalOpenComplete = false;
    try {
        InternalOpen();
        FInternalOpenComplete = true;
        ClearBuffers();
        UpdateBufferCount();
        FBOF = true;
    } catch (...) {
        try {
            CloseCursor();
        } catch (...) {}
        // The caller is told of a lack of memory by the platform's error.
        try {
            throw;
        } catch (const std::bad_alloc&) {
            throw EOutOfMemory(SOutOfMemory);
        }
    }
}

void TDataSet::CloseCursor() {
    FreeAllBuffers();
    FInternalOpenComplete = false;
    InternalClose();
    // In case the descendant left them bound.
    BindFields(false);
    if (FDefaultFields) DestroyFields();
    FDefaultFields = false;
}

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(SDataSetClosed);
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError(SDataSetOpen);
}

void TDataSet::CheckCanModify() {
    if (!CanModify()) DatabaseError(SDataSetReadOnly);
}

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState Value) {
    const TDataSetState old = FState;
    FState = Value;
    ++FDisableCount;
    return old;
}

void TDataSet::RestoreState(TDataSetState Value) {
    FState = Value;
    if (FDisableCount > 0) --FDisableCount;
}

// ---------------------------------------------------------------------------
// Fields

int TDataSet::FieldCount() const { return FFields->Count(); }

TField* TDataSet::FieldByName(const std::string& FieldName) const { return FFields->FieldByName(FieldName); }

TField* TDataSet::FindField(const std::string& FieldName) const { return FFields->FindField(FieldName); }

TField* TDataSet::FieldByNumber(int FieldNo) const { return FFields->FieldByNumber(FieldNo); }

void TDataSet::GetFieldList(std::vector<TField*>& List, const std::string& FieldNames) const {
    for (const std::string& name : SplitFieldNames(FieldNames)) List.push_back(FieldByName(name));
}

std::vector<TField*> TDataSet::GetFieldList(const std::string& FieldNames) const {
    std::vector<TField*> list;
    GetFieldList(list, FieldNames);
    return list;
}

void TDataSet::GetFieldNames(TStrings* List) const {
    List->BeginUpdate();
    try {
        List->Clear();
        if (FFields->Count() > 0) {
            for (int i = 0; i < FFields->Count(); ++i) List->Add(FFields->Fields(i)->FieldName());
        } else {
            FFieldDefs->Update();
            for (int i = 0; i < FFieldDefs->Count(); ++i) List->Add(FFieldDefs->Items(i)->Name());
        }
    } catch (...) {
        List->EndUpdate();
        throw;
    }
    List->EndUpdate();
}

Variant TDataSet::FieldValues(const std::string& FieldNames) const {
    const std::vector<TField*> fields = GetFieldList(FieldNames);
    if (fields.empty()) return Null();
    if (fields.size() == 1) return fields[0]->AsVariant();
    std::vector<Variant> values;
    values.reserve(fields.size());
    for (TField* field : fields) values.push_back(field->AsVariant());
    return VarArrayOf(values);
}

void TDataSet::SetFieldValues(const std::string& FieldNames, const Variant& Value) {
    const std::vector<TField*> fields = GetFieldList(FieldNames);
    if (fields.size() == 1 && !Value.IsArray()) {
        fields[0]->SetAsVariant(Value);
        return;
    }
    for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(Value[static_cast<int>(i)]);
}

void TDataSet::InitFieldDefs() { InternalInitFieldDefs(); }

void TDataSet::CreateFields() {
    for (int i = 0; i < FFieldDefs->Count(); ++i) {
        TFieldDef* def = FFieldDefs->Items(i);
        if (!FindField(def->Name())) def->CreateField(this);
    }
}

void TDataSet::DestroyFields() { FFields->Clear(); }

void TDataSet::BindFields(bool Binding) {
    FCalcFieldsSize = 0;
    FHasCalcFields = false;
    for (int i = 0; i < FFields->Count(); ++i) {
        TField* field = FFields->Fields(i);
        if (!Binding) {
            field->Bind(false);
            field->FFieldNo = 0;
            field->FOffset = 0;
            continue;
        }
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
            if (field->IsBlob()) DatabaseErrorFmt(SInvalidCalcType, field->DisplayName());
            field->FFieldNo = 0;
            field->FOffset = FCalcFieldsSize;
            FCalcFieldsSize += field->DataSize() + 1;
            FHasCalcFields = true;
        } else if (field->FieldKind() == fkData) {
            TFieldDef* def = FFieldDefs->Find(field->FieldName());
            if (def->DataType() != field->DataType())
                DatabaseErrorFmt(SFieldTypeMismatch, field->DisplayName(), FieldTypeName(field->DataType()),
                                 FieldTypeName(def->DataType()));
            field->FFieldNo = def->FieldNo();
        }
        field->Bind(true);
    }
}

void TDataSet::CheckRequiredFields() {
    for (int i = 0; i < FFields->Count(); ++i) {
        TField* field = FFields->Fields(i);
        if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData && field->IsNull()) {
            field->FocusControl();
            DatabaseErrorFmt(SFieldRequired, field->DisplayName());
        }
    }
}

void TDataSet::InternalPost() { CheckRequiredFields(); }

bool TDataSet::GetFieldData(TField* Field, void* Buffer) { return GetFieldData(Field->FieldNo(), Buffer); }

bool TDataSet::GetFieldData(int, void*) { return false; }

void TDataSet::SetFieldData(TField* Field, const void*) {
    DatabaseErrorFmt(SFieldReadOnly, Field->DisplayName());
}

TStream* TDataSet::CreateBlobStream(TField*, TBlobStreamMode) { return nullptr; }

// ---------------------------------------------------------------------------
// Calculated and lookup fields

void TDataSet::GetCalcFields(TRecordBuffer Buffer) {
    if (!FHasCalcFields || !Buffer) return;
    const TDataSetState old = SetTempState(dsCalcFields);
    const TRecordBuffer oldCalc = FCalcBuffer;
    FCalcBuffer = Buffer;
    try {
        ClearCalcFields(Buffer);
        CalculateFields(Buffer);
    } catch (...) {
        FCalcBuffer = oldCalc;
        RestoreState(old);
        throw;
    }
    FCalcBuffer = oldCalc;
    RestoreState(old);
}

void TDataSet::CalculateFields(TRecordBuffer) {
    for (int i = 0; i < FFields->Count(); ++i) {
        TField* field = FFields->Fields(i);
        if (field->FieldKind() == fkLookup) field->CalcLookupValue();
    }
    DoOnCalcFields();
}

void TDataSet::UpdateCalcFields() {
    if (FState != dsSetKey && FAutoCalcFields && FHasCalcFields) GetCalcFields(ActiveBuffer());
}

// ---------------------------------------------------------------------------
// Notifications

void TDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
    TField* changed = nullptr;
    if (Event == deFieldChange) {
        changed = reinterpret_cast<TField*>(Info);
        if (changed && (changed->FieldKind() == fkData || changed->FieldKind() == fkInternalCalc))
            FModified = true;
        UpdateCalcFields();
    }
    if (!ControlsDisabled()) {
        for (size_t i = 0; i < FDataSources.size(); ++i) FDataSources[i]->DataEvent(Event, Info);
    } else {
        if ((Event == deUpdateState && FState == dsInactive) || Event == deLayoutChange)
            FEnableEvent = deLayoutChange;
        for (size_t i = 0; i < FDataSources.size(); ++i)
            FDataSources[i]->NotifyDataLinks(Event, Info, TDataSource::lkNonVisual);
    }
    if (changed) changed->FOnChange(changed);
}

void TDataSet::DisableControls() {
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = deDataSetChange;
    }
    ++FDisableCount;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0) return;
    if (--FDisableCount != 0) return;
    if (FDisableState != FState) DataEvent(deUpdateState, 0);
    // Links that were not silenced have been told everything already.
    if (FDisableState != dsInactive && FState != dsInactive)
        for (size_t i = 0; i < FDataSources.size(); ++i)
            FDataSources[i]->DataEvent(FEnableEvent, 0, TDataSource::lkVisual);
}

void TDataSet::AddDataSource(TDataSource* Source) {
    FDataSources.push_back(Source);
    UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* Source) {
    auto it = std::find(FDataSources.begin(), FDataSources.end(), Source);
    if (it == FDataSources.end()) return;
    FDataSources.erase(it);
    if (!ComponentState().Contains(csDestroying)) UpdateBufferCount();
}

// ---------------------------------------------------------------------------
// Filtering

void TDataSet::SetFiltered(bool Value) {
    if (Active()) CheckBrowseMode();
    FFiltered = Value;
}

void TDataSet::SetFilterText(const std::string& Value) {
    if (Active() && FFiltered) CheckBrowseMode();
    FFilterText = Value;
}

void TDataSet::SetFilterOptions(TFilterOptions Value) {
    if (Active() && FFiltered) CheckBrowseMode();
    FFilterOptions = Value;
}

// ---------------------------------------------------------------------------
// Generic searches: walks over the records with the controls disabled.

TDataSet::TLocateTest::TLocateTest(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                                   TLocateOptions Options)
    : FFold(Options.Contains(loCaseInsensitive)), FPartial(Options.Contains(loPartialKey)) {
    FParts.resize(KeyFields.size());
    for (size_t i = 0; i < KeyFields.size(); ++i) {
        TPart& part = FParts[i];
        part.Field = KeyFields[i];
        part.Key = KeyValues.IsArray()
                       ? &KeyValues[static_cast<int>(std::min<size_t>(i, KeyValues.ArrayCount() - 1))]
                       : &KeyValues;
        part.Empty = part.Key->IsNull() || part.Key->IsEmpty();
    }
}

bool TDataSet::TLocateTest::PartMatches(const TPart& Part) const {
    if (Part.Empty) return Part.Field->IsNull();
    if (Part.Field->IsNull()) return false;
    try {
        const Variant value = Part.Field->AsVariant();
        if (value.VarType() != varString && Part.Key->VarType() != varString)
            return VarCompare(value, *Part.Key) == 0;
        if (Part.TextState == 0) {
            Part.TextState = -1;
            Part.Text = Part.Key->AsString();
            if (FFold) Part.Text = FoldCase(Part.Text);
            Part.TextState = 1;
        }
        if (Part.TextState < 0) return false;
        const std::string a = value.AsString();
        const std::string& b = Part.Text;
        // the fold keeps a text's length: a text of another length cannot match
        if (FPartial ? a.size() < b.size() : a.size() != b.size()) return false;
        if (!FFold) return a.compare(0, b.size(), b) == 0;
        thread_local std::string folded;
        folded.resize(b.size());
        FoldBytes(a, 0, reinterpret_cast<uint8_t*>(folded.data()), b.size());
        return folded == b;
    } catch (const EVariantError&) {
        return false;
    } catch (const EConvertError&) {
        return false;
    }
}

bool TDataSet::TLocateTest::Matches() const {
    for (const TPart& part : FParts)
        if (!PartMatches(part)) return false;
    return true;
}

bool TDataSet::MatchesKey(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                          TLocateOptions Options) const {
    return TLocateTest(KeyFields, KeyValues, Options).Matches();
}

void TDataSet::RestorePosition(const TSavedPosition& Saved) {
    if (Saved.Bookmark.empty() || !BookmarkValid(Saved.Bookmark)) return;
    if (FActiveRecord == Saved.ActiveRow && Bookmark() == Saved.Bookmark) {
        // never left: nothing to read again
        FBOF = Saved.Bof;
        FEOF = Saved.Eof;
        return;
    }
    InternalGotoBookmark(Saved.Bookmark.data());
    // Resync keeps as many rows above the record as it had before.
    FActiveRecord = std::max(0, std::min(Saved.ActiveRow, FBufferCount - 1));
    Resync({rmExact});
    FBOF = Saved.Bof;
    FEOF = Saved.Eof;
}

bool TDataSet::WalkToMatch(const std::vector<TField*>& KeyFields, const Variant& KeyValues,
                           TLocateOptions Options) {
    const TLocateTest test(KeyFields, KeyValues, Options);
    First();
    while (!Eof()) {
        if (test.Matches()) return true;
        Next();
    }
    return false;
}

bool TDataSet::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    CheckBrowseMode();
    const std::vector<TField*> fields = GetFieldList(KeyFields);
    if (fields.empty() || (KeyValues.IsArray() && KeyValues.ArrayCount() == 0)) return false;
    const TSavedPosition saved = SavePosition();
    DisableControls();
    bool found = false;
    try {
        found = WalkToMatch(fields, KeyValues, Options);
        if (!found) RestorePosition(saved);
    } catch (...) {
        RestorePositionAfterFailure(saved);
        EnableControls();
        throw;
    }
    EnableControls();
    return found;
}

void TDataSet::RestorePositionAfterFailure(const TSavedPosition& Saved) {
    try {
        RestorePosition(Saved);
    } catch (...) {
        // the failure that brought us here is the one to report
    }
}

Variant TDataSet::Lookup(const std::string& KeyFields, const Variant& KeyValues,
                         const std::string& ResultFields) {
    CheckBrowseMode();
    const std::vector<TField*> fields = GetFieldList(KeyFields);
    GetFieldList(ResultFields);
    if (fields.empty() || (KeyValues.IsArray() && KeyValues.ArrayCount() == 0)) return Null();
    const TSavedPosition saved = SavePosition();
    Variant result = Null();
    DisableControls();
    try {
        if (WalkToMatch(fields, KeyValues, TLocateOptions())) result = FieldValues(ResultFields);
        RestorePosition(saved);
    } catch (...) {
        RestorePositionAfterFailure(saved);
        EnableControls();
        throw;
    }
    EnableControls();
    return result;
}

bool TDataSet::FindRecord(bool Restart, bool GoForward) {
    CheckBrowseMode();
    SetFound(false);
    const int step = GoForward ? 1 : -1;
    bool found = false;
    const TSavedPosition saved = SavePosition();
    DisableControls();
    try {
        bool moved;
        if (Restart) {
            GoForward ? First() : Last();
            moved = !IsEmpty();
        } else {
            moved = MoveBy(step) != 0;
        }
        while (moved) {
            bool accept = true;
            FOnFilterRecord(this, accept);
            if (accept) {
                found = true;
                break;
            }
            moved = MoveBy(step) != 0;
        }
        if (!found) RestorePosition(saved);
    } catch (...) {
        RestorePositionAfterFailure(saved);
        EnableControls();
        throw;
    }
    EnableControls();
    SetFound(found);
    return found;
}

bool TDataSet::FindFirst() { return FindRecord(true, true); }
bool TDataSet::FindLast() { return FindRecord(true, false); }
bool TDataSet::FindNext() { return FindRecord(false, true); }
bool TDataSet::FindPrior() { return FindRecord(false, false); }

// ---------------------------------------------------------------------------

void TDataSet::Publish(TPublisher<TDataSet>& p) {
    p.Property("Active", &TDataSet::Active, &TDataSet::SetActive);
    p.Property("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields);
    p.Property("Filter", &TDataSet::Filter, &TDataSet::SetFilter);
    p.Property("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered);
    p.Property("FilterOptions", &TDataSet::FilterOptions, &TDataSet::SetFilterOptions);
    p.Property("BeforeOpen", &TDataSet::BeforeOpen, &TDataSet::SetBeforeOpen);
    p.Property("AfterOpen", &TDataSet::AfterOpen, &TDataSet::SetAfterOpen);
    p.Property("BeforeClose", &TDataSet::BeforeClose, &TDataSet::SetBeforeClose);
    p.Property("AfterClose", &TDataSet::AfterClose, &TDataSet::SetAfterClose);
    p.Property("BeforeInsert", &TDataSet::BeforeInsert, &TDataSet::SetBeforeInsert);
    p.Property("AfterInsert", &TDataSet::AfterInsert, &TDataSet::SetAfterInsert);
    p.Property("BeforeEdit", &TDataSet::BeforeEdit, &TDataSet::SetBeforeEdit);
    p.Property("AfterEdit", &TDataSet::AfterEdit, &TDataSet::SetAfterEdit);
    p.Property("BeforePost", &TDataSet::BeforePost, &TDataSet::SetBeforePost);
    p.Property("AfterPost", &TDataSet::AfterPost, &TDataSet::SetAfterPost);
    p.Property("BeforeCancel", &TDataSet::BeforeCancel, &TDataSet::SetBeforeCancel);
    p.Property("AfterCancel", &TDataSet::AfterCancel, &TDataSet::SetAfterCancel);
    p.Property("BeforeDelete", &TDataSet::BeforeDelete, &TDataSet::SetBeforeDelete);
    p.Property("AfterDelete", &TDataSet::AfterDelete, &TDataSet::SetAfterDelete);
    p.Property("BeforeScroll", &TDataSet::BeforeScroll, &TDataSet::SetBeforeScroll);
    p.Property("AfterScroll", &TDataSet::AfterScroll, &TDataSet::SetAfterScroll);
    p.Property("BeforeRefresh", &TDataSet::BeforeRefresh, &TDataSet::SetBeforeRefresh);
    p.Property("AfterRefresh", &TDataSet::AfterRefresh, &TDataSet::SetAfterRefresh);
    p.Property("OnNewRecord", &TDataSet::OnNewRecord, &TDataSet::SetOnNewRecord);
    p.Property("OnCalcFields", &TDataSet::OnCalcFields, &TDataSet::SetOnCalcFields);
    p.Property("OnFilterRecord", &TDataSet::OnFilterRecord, &TDataSet::SetOnFilterRecord);
}
