// The lookup combo: its construction, properties, key fields and the value
// (the bound record's keys, the shown text, accepting a typed text).
#include "suite/grid/qzlookupcombo.h"

#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/timer.h"
#include "suite/base/qztablesearch.h"
#include "suite/grid/qzlookupcombo_impl.h"

// ---- TqzDropDownGridOptions ---------------------------------------------------------------

void TqzDropDownGridOptions::Assign(TPersistent* Source) {
    if (auto* o = dynamic_cast<TqzDropDownGridOptions*>(Source)) {
        FTitleLines = o->FTitleLines;
        FColor = o->FColor;
        FTitleAlignment = o->FTitleAlignment;
        return;
    }
    inherited::Assign(Source);
}

// ---- Construction -------------------------------------------------------------------------

TqzDBCustomLookupCombo::TqzDBCustomLookupCombo(TComponent* AOwner)
    : TqzDBCustomCombo(AOwner),
      FSelected(std::make_unique<TStringList>()),
      FGridOptions(std::make_unique<TqzDropDownGridOptions>()) {
    RecreateButton();
    // The button acts on the press.
    Button()->SetOnClick(nullptr);
    SetButtonStyle(cbsDownArrow);
    SetHeight(25);
    FLookupSource = new TDataSource(this);
    FLookupSource->SetOnStateChange(TNotifyEvent(this, &TqzDBCustomLookupCombo::LookupStateChange));
    FSearchTimer = new TTimer(this);
    FSearchTimer->SetEnabled(false);
    FSearchTimer->SetInterval(200);
    FSearchTimer->SetOnTimer(TNotifyEvent(this, &TqzDBCustomLookupCombo::SearchTimerTick));
    DataLink()->SetOnDataChange(TNotifyEvent(this, &TqzDBCustomLookupCombo::LookupDataChange));
}

TqzDBCustomLookupCombo::~TqzDBCustomLookupCombo() {
    DataLink()->SetOnDataChange(nullptr);
    FLookupSource->SetOnStateChange(nullptr);
    StopWatchingDropDown();
    delete FGridWindow;  // with the grid on it
    FGridWindow = nullptr;
    FGrid = nullptr;
}

void TqzDBCustomLookupCombo::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FLookupTable) {
        FLookupTable = nullptr;
        if (FLookupSource) FLookupSource->SetDataSet(nullptr);
        FKeyFields.clear();
    }
    if (AComponent == FGridWindow) {
        FGridWindow = nullptr;
        FGrid = nullptr;
    }
}

// ---- Properties ---------------------------------------------------------------------------

bool TqzDBCustomLookupCombo::BoundIsLookup(TDataSet* Value) const {
    return Value && DataSource() && DataSource()->DataSet() == Value;
}

void TqzDBCustomLookupCombo::SetDataSource(TDataSource* Value) {
    if (Value && FLookupTable && Value->DataSet() == FLookupTable)
        throw EInvalidOperation("Unable to use duplicate DataSource and LookupSource");
    inherited::SetDataSource(Value);
}

void TqzDBCustomLookupCombo::SetLookupTable(TDataSet* Value) {
    if (Value == FLookupTable) return;
    if (BoundIsLookup(Value)) throw EInvalidOperation("Unable to use duplicate DataSource and LookupSource");
    if (FLookupTable) FLookupTable->RemoveFreeNotification(this);
    FLookupTable = Value;
    if (Value) Value->FreeNotification(this);
    FLookupSource->SetDataSet(Value);
    BindKeys(false);
    LookupDataChange(this);
}

void TqzDBCustomLookupCombo::SetLookupField(const std::string& Value) {
    const std::string old = FLookupField;
    FLookupField = Value;
    try {
        BindKeys(true);
    } catch (...) {
        FLookupField = old;
        BindKeys(false);
        throw;
    }
    LookupDataChange(this);
}

void TqzDBCustomLookupCombo::SetSelected(TStrings* Value) { FSelected->Assign(Value); }

void TqzDBCustomLookupCombo::SetStyle(TqzDBLookupComboStyle Value) {
    FStyle = Value == csDropDownList ? csDropDownList : csDropDown;
    SetDropDownList(FStyle == csDropDownList && !FAutoDropDown);
    Invalidate();
}

void TqzDBCustomLookupCombo::SetAutoDropDown(bool Value) {
    FAutoDropDown = Value;
    // A list-only combo that drops down on typing takes typed text.
    SetDropDownList(FStyle == csDropDownList && !FAutoDropDown);
    Invalidate();
}

bool TqzDBCustomLookupCombo::CanModifyValue() {
    if (ReadOnly()) return false;
    if (FStyle == csDropDownList && !IsDroppedDown() && !FAutoDropDown) return false;
    if (!DataSource() || DataField().empty()) return true;
    return DataLink()->Editing();
}

void TqzDBCustomLookupCombo::BindKeys(bool Raise) {
    FKeyFields.clear();
    if (!FLookupTable || !FLookupTable->Active() || FLookupField.empty()) return;
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 3) {
        const size_t semi = FLookupField.find(';', start);
        parts.push_back(
            TrimSpaces(FLookupField.substr(start, semi == std::string::npos ? semi : semi - start)));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    // Only the leading fields found count: a missing one ends the list, so
    // no later key is ever paired with the wrong position.
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].empty() || !FLookupTable->FindField(parts[i])) {
            if (i == 0 && Raise) FLookupTable->FieldByName(parts[i]);  // raises the dataset's error
            break;
        }
        FKeyFields.push_back(parts[i]);
    }
}

bool TqzDBCustomLookupCombo::ShowsKey() const {
    return !FKeyFields.empty() && AnsiCompareText(DisplayField(), FKeyFields[0]) == 0;
}

std::string TqzDBCustomLookupCombo::DisplayField() const {
    if (FSelected->Count() > 0) {
        const std::string& line = FSelected->Strings(0);
        return TrimSpaces(line.substr(0, line.find('\t')));
    }
    return FKeyFields.empty() ? std::string() : FKeyFields[0];
}

void TqzDBCustomLookupCombo::BoundKeyValues(TField* Key1, std::string& Names,
                                            std::vector<Variant>& Values) const {
    TDataSet* ds = DataLink()->DataSet();
    Names = FKeyFields[0];
    Values = {Key1->AsVariant()};
    for (size_t i = 1; i < FKeyFields.size(); ++i) {
        TField* b = ds ? ds->FindField(FKeyFields[i]) : nullptr;
        if (!b) break;
        Names += ";" + FKeyFields[i];
        Values.push_back(b->AsVariant());
    }
}

std::string TqzDBCustomLookupCombo::KeyText(int Index) const {
    if (!FLookupTable || Index >= static_cast<int>(FKeyFields.size())) return {};
    TField* f = FLookupTable->FindField(FKeyFields[static_cast<size_t>(Index)]);
    return f ? f->AsString() : std::string();
}

// ---- Data --------------------------------------------------------------------------------

void TqzDBCustomLookupCombo::ShowText(const std::string& Text) {
    FPictureSetText = true;
    try {
        SetText(Text);
    } catch (...) {
        FPictureSetText = false;
        throw;
    }
    FPictureSetText = false;
    FLastSearchText = Text;
    FShownText = Text;
    Invalidate();
}

bool TqzDBCustomLookupCombo::PositionOnValue() {
    TField* f = Field();
    FLookupValue = f ? f->AsString() : std::string();
    if (!f || !FLookupTable) return false;
    if (FOnPerformCustomSearch.Assigned()) {
        // The handler positions the lookup table on the stored value.
        if (f->IsNull() || FLookupField.empty()) return false;
        const bool found = PerformSearch(FLookupValue, FLookupField, false,
                                         FSeqSearchOptions.Contains(ssoCaseSensitive), true);
        if (found && FLookupTable->Active() && FKeyFields.empty()) BindKeys(false);
        if (found && FOrderByDisplay) OrderForDisplay();
        return found;
    }
    if (!FLookupTable->Active()) return false;
    if (FKeyFields.empty()) BindKeys(false);
    if (FKeyFields.empty() || f->IsNull()) return false;
    std::string names;
    std::vector<Variant> values;
    BoundKeyValues(f, names, values);
    bool found = false;
    if (const TqzTableSearch* ts = qzTableSearchFor(FLookupTable)) {
        // The key search on the index for LookupField, when there is one.
        std::string keys;
        for (const std::string& k : FKeyFields) keys += (keys.empty() ? "" : ";") + k;
        ts->SelectIndexForField(FLookupTable, keys);
        if (IndexPosition(FKeyFields[0]) == 0) {
            auto* table = static_cast<TTable*>(FLookupTable);
            while (static_cast<int>(values.size()) > table->IndexFieldCount()) values.pop_back();
            bool fits = true;
            for (size_t i = 1; i < values.size(); ++i)
                fits = fits && IndexPosition(FKeyFields[i]) == static_cast<int>(i);
            if (fits) {
                found = ts->FindKeyValues(FLookupTable, values);
                if (found && FOrderByDisplay) OrderForDisplay();
                return found;
            }
        }
    }
    const Variant key = values.size() == 1 ? values[0] : VarArrayOf(values);
    found = FLookupTable->Locate(names, key, {});
    if (found && FOrderByDisplay) OrderForDisplay();
    return found;
}

std::string TqzDBCustomLookupCombo::RowDisplayText() {
    TField* f = Field();
    if (!f) return Text();
    if (FKeyFields.empty()) BindKeys(false);
    const bool showsKey = ShowsKey();
    if (!FLookupTable || !FLookupTable->Active() || FKeyFields.empty() || showsKey ||
        f->FieldKind() != fkData || f->IsBlob())
        return f->DisplayText();
    if (f->IsNull()) return {};
    std::string names;
    std::vector<Variant> values;
    BoundKeyValues(f, names, values);
    // Looked up without moving the lookup table the drop-down grid shows.
    const Variant v =
        FLookupTable->Lookup(names, values.size() == 1 ? values[0] : VarArrayOf(values), DisplayField());
    return v.IsNull() || v.IsEmpty() ? std::string() : v.AsString();
}

void TqzDBCustomLookupCombo::LookupDataChange(TObject*) {
    if (FIgnoreDataChange || ComponentState().Contains(csDestroying)) return;
    TField* f = Field();
    std::string text;
    if (f) {
        if (PositionOnValue()) {
            TField* d = FLookupTable->FindField(DisplayField());
            text = d ? d->DisplayText() : std::string();
        } else if (ShowsKey()) {
            text = f->DisplayText();
        }
    } else {
        text = Text();
    }
    ShowText(text);
    FMatchFound = true;
    if (Focused()) SelectAll();
}

void TqzDBCustomLookupCombo::LookupStateChange(TObject*) {
    const bool active = FLookupTable && FLookupTable->Active();
    if (active == FLookupWasActive) return;
    FLookupWasActive = active;
    if (!active || IsDroppedDown() || ComponentState().Contains(csDestroying)) return;
    BindKeys(false);
    LookupDataChange(this);
}

bool TqzDBCustomLookupCombo::DisplayTextFromValue(std::string& Text) {
    // A grid cell of another row shows that row's key.
    if (ControlState().Contains(csPaintCopy) && Field()) {
        Text = RowDisplayText();
        return true;
    }
    Text = this->Text();
    return true;
}

void TqzDBCustomLookupCombo::EditBound() {
    if (!DataSource() || !Field() || ReadOnly()) return;
    FIgnoreDataChange = true;
    try {
        DataLink()->Edit();
    } catch (...) {
        FIgnoreDataChange = false;
        throw;
    }
    FIgnoreDataChange = false;
}

void TqzDBCustomLookupCombo::GridPick() {
    if (!FLookupTable || !FLookupTable->Active() || FLookupTable->IsEmpty()) return;
    FMatchFound = true;
    // Entering edit state re-reads the record: that must not move the lookup
    // table back.
    EditBound();
    TField* d = FLookupTable->FindField(DisplayField());
    ShowText(d ? d->DisplayText() : std::string());
    if (DataSource() && Field()) SetModifiedState(true);
    SelectAll();
}

bool TqzDBCustomLookupCombo::WriteKeys() {
    const std::string key1 = KeyText(0);
    TField* d = FLookupTable->FindField(DisplayField());
    const std::string display = d ? d->DisplayText() : key1;
    TDataSet* ds = DataLink()->DataSet();
    TField* f = Field();
    bool changed = false;
    if (f && ds && !ReadOnly()) {
        FIgnoreDataChange = true;
        try {
            DataLink()->Edit();
            for (size_t i = 1; i < FKeyFields.size(); ++i) {
                TField* b = ds->FindField(FKeyFields[i]);
                const std::string v = KeyText(static_cast<int>(i));
                if (b && b->AsString() != v) {
                    b->SetAsString(v);
                    changed = true;
                }
            }
            if (f->AsString() != key1) {
                f->SetAsString(key1);
                changed = true;
            }
        } catch (...) {
            FIgnoreDataChange = false;
            throw;
        }
        FIgnoreDataChange = false;
    } else if (!f) {
        changed = FLookupValue != key1;
    }
    FLookupValue = key1;
    ShowText(display);
    return changed;
}

// The text reverts to the record of the stored value.
void TqzDBCustomLookupCombo::RevertText() {
    FIgnoreDataChange = false;
    if (Field()) {
        LookupDataChange(this);
    } else {
        ShowText(FShownText);
        FMatchFound = true;
    }
}

void TqzDBCustomLookupCombo::ClearValue() {
    FSearchTimer->SetEnabled(false);
    FCleared = false;
    TField* f = Field();
    TDataSet* ds = DataLink()->DataSet();
    if (f && ds) {
        if (ReadOnly() || !DataLink()->Edit()) {
            RevertText();
            return;
        }
        FIgnoreDataChange = true;
        try {
            for (size_t i = 1; i < FKeyFields.size(); ++i)
                if (TField* b = ds->FindField(FKeyFields[i])) b->Clear();
            f->Clear();
        } catch (...) {
            FIgnoreDataChange = false;
            RevertText();
            throw;
        }
        FIgnoreDataChange = false;
    }
    FLookupValue.clear();
    FMatchFound = true;
    ShowText("");
    SetModified(false);
}

bool TqzDBCustomLookupCombo::AcceptText(bool Match) {
    if (FAllowClearKey && Text().empty()) {
        const bool changed = !FLookupValue.empty() || (Field() && !Field()->IsNull());
        ClearValue();
        return changed;
    }
    if (!FLookupTable || !FLookupTable->Active()) return false;
    if (FKeyFields.empty()) BindKeys(false);
    if (FKeyFields.empty()) return false;
    if (Match) return WriteKeys();
    const std::string text = Text();
    const bool caseSensitive = FSeqSearchOptions.Contains(ssoCaseSensitive);
    if (text.empty()) {
        RevertText();
        return false;
    }
    // A text that names a record of the list is that record.
    if (PerformSearch(text, DisplayField(), false, caseSensitive, false)) return WriteKeys();
    const bool showsKey = ShowsKey();
    bool accept = true;
    if (FOnNotInList.Assigned())
        FOnNotInList(this, FLookupTable, text, accept);
    else if (!showsKey)
        accept = false;
    if (!accept) {
        RevertText();
        return false;
    }
    if (showsKey) {
        // The text is the key itself.
        TField* f = Field();
        bool changed = FLookupValue != text;
        if (f && !ReadOnly() && f->AsString() != text) {
            FIgnoreDataChange = true;
            try {
                DataLink()->Edit();
                f->SetAsString(text);
            } catch (...) {
                FIgnoreDataChange = false;
                RevertText();
                throw;
            }
            FIgnoreDataChange = false;
            changed = true;
        }
        FLookupValue = text;
        FLastSearchText = text;
        FShownText = text;
        return changed;
    }
    // The handler may have added the record: only a record found now gives
    // a key; display text is never stored as one.
    if (PerformSearch(text, DisplayField(), false, caseSensitive, false)) return WriteKeys();
    RevertText();
    return false;
}

void TqzDBCustomLookupCombo::UpdateData(TObject*) {
    // Focus leaving or the record posting: a typed text becomes a value now.
    if (IsDroppedDown() || Text() == FShownText) return;
    // Keys 2 and 3 come from the lookup table's current record only when it
    // is the chosen one (dialog style, or a row the grid points at);
    // otherwise the text is looked up afresh and all keys come from the
    // record found for it, never key 1 of one record with keys 2 and 3 of
    // another.
    const bool current = IsDialogStyle() || (FGrid && FGrid->RowPointer() >= 0);
    AcceptText(FMatchFound && current);
    FMatchFound = true;
}
