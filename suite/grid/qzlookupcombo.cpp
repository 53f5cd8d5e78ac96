#include "suite/grid/qzlookupcombo.h"

#include <algorithm>

#include "platform/core/case_fold.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/messages.h"
#include "platform/ui/timer.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qztablesearch.h"

namespace {

// The sentinel last text after Backspace or Delete with the grid open: the
// next search step does not complete the text again.
const char* const kNoCompletion = "~~~~";

std::string TrimSpaces(const std::string& S) {
    const auto b = S.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const auto e = S.find_last_not_of(" \t");
    return S.substr(b, e - b + 1);
}

// Keys that start a search (and, with AutoDropDown, drop the grid down).
bool IsSearchKey(uint16_t Key) {
    return Key == VK_BACK || Key == VK_SPACE || Key == VK_DELETE || (Key >= 48 && Key <= 111) || Key > 145;
}

// A suite query is located only on a field its order leads by the search's
// case rule; other datasets always.
bool QueryOrderAllowsLocate(TDataSet* DataSet, const std::string& FieldName, bool CaseSensitive) {
    auto* query = dynamic_cast<TQuery*>(DataSet);
    if (!query || !qzClassInheritsFrom(DataSet, "TqzQuery")) return true;
    try {
        return query->MapsToIndex(FieldName, !CaseSensitive);
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

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

// ---- TqzLookupComboButton ------------------------------------------------------------------

TqzLookupComboButton::TqzLookupComboButton(TComponent* AOwner, TqzDBCustomLookupCombo* Combo)
    : TqzComboButton(AOwner), FCombo(Combo) {
    TControlStyle style = ControlStyle();
    style.Include(csReplicatable);
    SetControlStyle(style);
}

bool TqzLookupComboButton::IsOwnerThemedInGrid() { return FCombo->IsThemedInGrid(); }

bool TqzLookupComboButton::IsThemedButton() {
    TqzEditFrame* frame = FCombo->Frame();
    return qzUseThemes(this) && !FCombo->IsThemedInGrid() && !(frame->Enabled() && frame->Transparent());
}

bool TqzLookupComboButton::IsMouseInOwner() { return FCombo->MouseOver(); }

bool TqzLookupComboButton::IsOwnerDroppedDown() {
    return FCombo->GridWindow() && FCombo->GridWindow()->Showing();
}

void TqzLookupComboButton::Paint() {
    if (FCombo->RepaintGuard()) return;
    FCombo->SetMouseOverButton(MouseInControl());
    const TqzComboButtonStyle style = FCombo->ButtonStyle();
    const bool hasGlyph = !Glyph()->Empty();
    const bool pressed = State() == bsDown || State() == bsExclusive;
    TqzComboButtonEffects* effects = FCombo->ButtonEffects();
    // In a grid cell a glyph is all the button shows.
    const bool inQzGrid = FCombo->Parent() && qzClassInheritsFrom(FCombo->Parent(), "TqzDBGrid");
    const bool face = (style == cbsEllipsis || style == cbsDownArrow) && !(hasGlyph && Flat()) &&
                      !(effects->Transparent() && style == cbsDownArrow) && !(inQzGrid && hasGlyph);
    SetEllipsis(style == cbsEllipsis);
    if (qzUseThemes(this)) {
        TqzComboButton::Paint();
        return;
    }
    if (face) FCombo->PaintButtonFace(Canvas(), ClientRect(), pressed);
    if (hasGlyph || !face) TqzComboButton::Paint();
    if (hasGlyph && !inQzGrid && !(Flat() && !pressed && !MouseInControl())) {
        TRect r = ClientRect();
        DrawEdge(Canvas(), r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
}

void TqzLookupComboButton::RepaintEffects() {
    TqzComboButtonEffects* effects = FCombo->ButtonEffects();
    if (effects->Transparent() || effects->Flat()) {
        Invalidate();
        if (Parent()) Parent()->Update();
    }
}

void TqzLookupComboButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool wasOpen = FCombo->IsDroppedDown();
    if (Button == mbLeft && !wasOpen && !FCombo->Focused()) {
        if (FCombo->CanFocus()) FCombo->SetFocus();
        // The in-place control of the focused grid works without the focus.
        TWinControl* host = FCombo->HostGrid();
        if (!FCombo->Focused() && !(host && host->Focused())) return;
    }
    TqzComboButton::MouseDown(Button, Shift, X, Y);
    RepaintEffects();
    if (Button != mbLeft || FCombo->ReadOnly()) return;
    if (!wasOpen && FCombo->IsDroppedDown()) return;  // the focus opened it
    if (FCombo->IsDroppedDown()) {
        if (FCombo->MatchFound()) FCombo->GridPick();
        FCombo->CloseUp(true);
        return;
    }
    FCombo->DropDown();
    FCombo->ForwardDragToGrid(this, WM_LBUTTONDOWN, X, Y);
}

void TqzLookupComboButton::MouseMove(TShiftState Shift, int X, int Y) {
    if (Shift.Contains(ssLeft) && FCombo->ForwardDragToGrid(this, WM_MOUSEMOVE, X, Y)) return;
    TqzComboButton::MouseMove(Shift, X, Y);
}

void TqzLookupComboButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TqzComboButton::MouseUp(Button, Shift, X, Y);
    RepaintEffects();
    if (Button == mbLeft) FCombo->ForwardDragToGrid(this, WM_LBUTTONUP, X, Y);
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
    FSearchTimer = new TTimer(this);
    FSearchTimer->SetEnabled(false);
    FSearchTimer->SetInterval(200);
    FSearchTimer->SetOnTimer(TNotifyEvent(this, &TqzDBCustomLookupCombo::SearchTimerTick));
    DataLink()->SetOnDataChange(TNotifyEvent(this, &TqzDBCustomLookupCombo::LookupDataChange));
}

TqzDBCustomLookupCombo::~TqzDBCustomLookupCombo() {
    DataLink()->SetOnDataChange(nullptr);
    StopWatchingDropDown();
    delete FGridWindow;  // with the grid on it
    FGridWindow = nullptr;
    FGrid = nullptr;
}

TqzComboButton* TqzDBCustomLookupCombo::CreateButton() { return new TqzLookupComboButton(this, this); }

bool TqzDBCustomLookupCombo::IsThemedInGrid() {
    return qzUseThemes(this) && FStyle == csDropDownList && !FAutoDropDown;
}

void TqzDBCustomLookupCombo::PaintButtonFace(TCanvas* Canvas, const TRect& Rect, bool Pressed) {
    if (ButtonStyle() == cbsEllipsis || ButtonStyle() == cbsDownArrow) DrawButton(Canvas, Rect, Pressed, 0);
}

bool TqzDBCustomLookupCombo::ForwardDragToGrid(TControl* From, unsigned Msg, int X, int Y) {
    if (Msg == WM_LBUTTONDOWN) {
        FPressed = IsDroppedDown();
        FDragForwarded = false;
        return false;
    }
    if (!FPressed) return false;
    if (!IsDroppedDown() || !FGrid || !FGridWindow || !FGridWindow->Showing()) {
        FPressed = FDragForwarded = false;
        return false;
    }
    const TPoint p = FGrid->ScreenToClient(From->ClientToScreen({X, Y}));
    const LPARAM at = MakeLParam(p.X, p.Y);
    if (Msg == WM_LBUTTONUP) {
        const bool forwarded = FDragForwarded;
        FPressed = FDragForwarded = false;
        if (forwarded) {
            if (GetCaptureControl() == From) SetCaptureControl(nullptr);
            FGrid->Perform(WM_LBUTTONUP, 0, at);
        }
        return forwarded;
    }
    if (Msg != WM_MOUSEMOVE) return false;
    if (!FDragForwarded) {
        if (p.X < 0 || p.Y < 0 || p.X >= FGrid->ClientWidth() || p.Y >= FGrid->ClientHeight()) return false;
        // The press goes to the grid there; its drag selection takes over.
        FDragForwarded = true;
        if (GetCaptureControl()) SetCaptureControl(nullptr);
        FGrid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
        // The pressed control keeps receiving the drag and hands it on.
        if (IsDroppedDown()) SetCaptureControl(From);
        return true;
    }
    FGrid->Perform(WM_MOUSEMOVE, MK_LBUTTON, at);
    return true;
}

void TqzDBCustomLookupCombo::DoPerformCustomSearch(const std::string& FieldName,
                                                   const std::string& SearchText, bool PerformLookup,
                                                   bool& Found) {
    if (FOnPerformCustomSearch.Assigned())
        FOnPerformCustomSearch(this, FLookupTable, FieldName, SearchText, PerformLookup, Found);
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

int TqzDBCustomLookupCombo::IndexPosition(const std::string& FieldName) const {
    auto* table = dynamic_cast<TTable*>(FLookupTable);
    if (!table || !qzTableSearchFor(FLookupTable) || FieldName.empty()) return -1;
    const int n = table->IndexFieldCount();
    for (int i = 0; i < n; ++i)
        if (TField* f = table->IndexFields(i); f && AnsiCompareText(f->FieldName(), FieldName) == 0) return i;
    return -1;
}

void TqzDBCustomLookupCombo::OrderForDisplay() {
    const TqzTableSearch* ts = qzTableSearchFor(FLookupTable);
    if (!ts || !FLookupTable->Active()) return;
    if (FSelected->Count() > 0)
        ts->SelectIndexForSelected(FLookupTable, FSelected.get());
    else
        ts->SelectIndexForField(FLookupTable, DisplayField());
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

// ---- Opening and closing ------------------------------------------------------------------

void TqzDBCustomLookupCombo::EnsureGrid() {
    if (FGrid) return;
    FGridWindow = new TPopupWindow(this);
    FGridWindow->SetOwnerControl(this);
    FGrid = new TqzPopupGrid(FGridWindow, this);
    FGrid->SetParent(FGridWindow);
    FGrid->SetAlign(alClient);
}

void TqzDBCustomLookupCombo::DropDown() {
    if (IsDroppedDown() || FDropping) return;
    if (FOnBeforeDropDown.Assigned()) {
        FDropping = true;
        try {
            FOnBeforeDropDown(this);
        } catch (...) {
            FDropping = false;
            throw;
        }
        FDropping = false;
        if (IsDroppedDown()) return;
    }
    if (!FLookupTable) {
        MessageDlg("No lookup table specified!", mtWarning, {mbOK}, 0);
        return;
    }
    FDropping = true;
    try {
        if (FKeyFields.empty()) BindKeys(false);
        EnsureGrid();
        FGrid->SetColor(FGridOptions->Color());
        FGrid->SetTitleLines(std::max(1, FGridOptions->TitleLines()));
        FGrid->SetTitleAlignment(FGridOptions->TitleAlignment());
        if (FSelected->Count() == 0 && !FKeyFields.empty() && Width() > 20) {
            TField* k = FLookupTable->FieldByName(FKeyFields[0]);
            FSelected->Add(k->FieldName() + "\t" + std::to_string(k->DisplayWidth()) + "\t" +
                           k->DisplayLabel());
        }
        FGrid->SetUseTFields(false);
        FGrid->Selected()->Assign(FSelected.get());
        FGrid->SetLookupTable(FLookupTable);
        FGrid->SetLookupField(FLookupField);
        FGrid->LayoutChanged();
        FTextAtDropDown = Text();
        // Positioned once the grid has its rows, so that the rows before
        // the value show when there is room.
        const bool autoDrop = FPendingAutoDrop;
        const bool reposition = !Modified() && !autoDrop && FLookupTable->Active();
        // A combo that shows its key opens on the record of a typed key; it
        // is written only when chosen.
        const bool typedKey = Modified() && !autoDrop && ShowsKey() && !Text().empty();
        if (reposition) FLookupTable->First();
        if (FOnDropDown.Assigned()) FOnDropDown(this);

        // Height: the title and DropDownCount rows, fewer for a short table.
        int rows = std::max(1, FDropDownCount);
        const int records = FLookupTable->Active() ? FLookupTable->RecordCount() : 0;
        const bool fewer = records >= 0 && records < rows;
        if (fewer) rows = std::max(1, records);
        FGrid->SetShowVertScrollBar(!fewer);
        const int titles = FGrid->TitleOffset() > 0 ? 1 : 0;
        const int line = FGrid->GridLineWidth();
        const int rowHeight = FGrid->DefaultRowHeight() + line;
        // Width: DropDownWidth, else the columns' characters, never narrower
        // than the combo nor wider than the screen.
        int width = FDropDownWidth;
        if (width <= 0) {
            const int zero = std::max(1, FGrid->Canvas()->TextWidth("0"));
            width = GetSystemMetrics(SM_CXVSCROLL) + 1;
            for (int i = 0; i < FSelected->Count(); ++i) {
                std::string name, chars, title;
                const std::string& line = FSelected->Strings(i);
                const size_t t1 = line.find('\t');
                const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
                if (t1 != std::string::npos)
                    chars = line.substr(t1 + 1, t2 == std::string::npos ? t2 : t2 - t1 - 1);
                if (t2 != std::string::npos) title = line.substr(t2 + 1);
                const int n = std::max(1, StrToIntDef(TrimSpaces(chars), 10));
                width += std::max(n * zero, FGrid->Canvas()->TextWidth(title)) + 5;
            }
        }
        width = std::min(std::max(width, Width()), Screen->Width());
        const bool hscroll = FGrid->GridWidth() > width;
        const int hscrollHeight = hscroll ? GetSystemMetrics(SM_CYHSCROLL) : 0;
        // The title and data rows plus what the window and the grid take
        // around them (measured once shown).
        auto neededHeight = [&](int Around) {
            const int titleHeight = titles ? FGrid->RowHeights(0) + line : 0;
            return titleHeight + rows * rowHeight + Around + hscrollHeight;
        };
        // Below the combo, above it when the work area ends first.
        auto place = [&](int Height) {
            const TPoint origin =
                Parent() ? Parent()->ClientToScreen({Left(), Top()}) : ClientToScreen({0, 0});
            const int below = origin.Y + this->Height() - (BorderStyle() == bsSingle ? 1 : 0);
            const TRect work = Screen->WorkAreaRect();
            const int bottom = work.Bottom > work.Top ? work.Bottom : Screen->Height();
            int top = below;
            if (top + Height > bottom) {
                top = origin.Y + 1 - Height;
                if (top < (work.Bottom > work.Top ? work.Top : 0)) top = below;
            }
            const int left = FDropDownAlignment == taRightJustify ? origin.X + Width() - width : origin.X;
            FGridWindow->ShowAt(left, top, width, Height);
            FGrid->LayoutChanged();
        };
        place(neededHeight(FGrid->BorderStyle() == bsSingle ? 4 : 0));
        const int exact = neededHeight(FGridWindow->Height() - FGrid->ClientHeight() - hscrollHeight);
        if (exact != FGridWindow->Height()) place(exact);
        if (reposition)
            FMatchFound = PositionOnValue();
        else if (typedKey)
            FMatchFound = PerformSearch(Text(), FKeyFields[0], false,
                                        FSeqSearchOptions.Contains(ssoCaseSensitive), true);

        SetDroppedDown(true);
        FSavedShowHint = Application->ShowHint();
        Application->SetShowHint(false);
        if (CanFocus() && !Focused()) SetFocus();
        // Dropped by typing, the caret stays where the typing goes on.
        if (!autoDrop && !(FShowMatchText && SelLength() > 0)) SelectAll();
        Invalidate();
        WatchDropDown({FGridWindow, FGrid});
    } catch (...) {
        FDropping = false;
        throw;
    }
    FDropping = false;
}

void TqzDBCustomLookupCombo::CloseUp(bool Accept) {
    if (!IsDroppedDown() || FClosing) return;
    FClosing = true;
    bool changed = false;
    try {
        // A pending search step runs first: Enter takes what was typed.
        if (Accept && FSearchTimer->Enabled()) SearchTimerTick(FSearchTimer);
        FSearchTimer->SetEnabled(false);
        const bool match = FMatchFound;
        if (GetCaptureControl()) SetCaptureControl(nullptr);
        FGridWindow->ClosePopup();
        StopWatchingDropDown();
        SetDroppedDown(false);
        Application->SetShowHint(FSavedShowHint);
        if (Accept) {
            if (FCleared || (FAllowClearKey && Text().empty() && !FTextAtDropDown.empty())) {
                changed = !FLookupValue.empty() || (Field() && !Field()->IsNull());
                ClearValue();
            } else if (!(match && !Modified() && Text() == FTextAtDropDown && !FGridMoved))
                changed = AcceptText(match);
            FMatchFound = true;
            SetModified(false);
        } else {
            // Escape drops what the grid showed; a text typed before the
            // drop-down stays, still to be looked up.
            FPictureSetText = true;
            SetText(FTextAtDropDown);
            FPictureSetText = false;
            FMatchFound = FTextAtDropDown == FShownText;
        }
        FGridMoved = false;
        FLastSearchText = Text();
        Invalidate();
        if (Focused() && IsEditableStyle()) SelectAll();
    } catch (...) {
        FClosing = false;
        throw;
    }
    FClosing = false;
    if (FOnCloseUp.Assigned())
        FOnCloseUp(this, FLookupTable, DataSource() ? DataSource()->DataSet() : nullptr, changed);
}

// ---- Keys and focus -----------------------------------------------------------------------

void TqzDBCustomLookupCombo::KeyDown(uint16_t& Key, TShiftState Shift) {
    const bool alt = Shift.Contains(ssAlt) || GetKeyState(VK_MENU) < 0;
    if ((Key == VK_BACK || Key == VK_DELETE) && FStyle == csDropDownList && !FAllowClearKey &&
        !IsDroppedDown()) {
        Key = 0;
        return;
    }
    if (FAutoDropDown && !IsDroppedDown() && IsSearchKey(Key) && !alt && !Shift.Contains(ssCtrl) &&
        !ReadOnly())
        FPendingAutoDrop = true;
    if (IsDroppedDown() && !alt && (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT)) {
        if (!ReadOnly() && FGrid && FLookupTable && FLookupTable->Active()) {
            // The keys move the lookup table; the grid follows it.
            const int page = std::max(1, FGrid->VisibleRowCount());
            switch (Key) {
            case VK_UP: FLookupTable->Prior(); break;
            case VK_DOWN: FLookupTable->Next(); break;
            case VK_PRIOR: FLookupTable->MoveBy(-page); break;
            default: FLookupTable->MoveBy(page); break;
            }
            FGridMoved = true;
            GridPick();
        }
        Key = 0;
        return;
    }
    if (FShowMatchText && (Key == VK_BACK || Key == VK_DELETE)) {
        if (IsDroppedDown()) FLastSearchText = kNoCompletion;
    } else if (Key != VK_SHIFT && Key != VK_CONTROL && Key != VK_MENU) {
        FLastSearchText.clear();
    }
    inherited::KeyDown(Key, Shift);
}

void TqzDBCustomLookupCombo::KeyPress(char32_t& Key) {
    if (Key == 8 && FStyle == csDropDownList && !FAllowClearKey && !IsDroppedDown()) {
        Key = 0;
        return;
    }
    // A list-only combo typed into keeps its value against Backspace and Ctrl+X.
    if (FAutoDropDown && FStyle == csDropDownList && !FAllowClearKey && !IsDroppedDown() &&
        (Key == 8 || Key == 24)) {
        Key = 0;
        return;
    }
    inherited::KeyPress(Key);
}

void TqzDBCustomLookupCombo::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (FAllowClearKey && (Key == VK_BACK || Key == VK_DELETE) && !ReadOnly()) {
        const int length = static_cast<int>(Text().size());
        if (!IsDroppedDown() && (FStyle == csDropDownList || length == 0 || SelLength() == length)) {
            ClearValue();
            Key = 0;
            return;
        }
        if (IsDroppedDown() && length == 0) {
            // Enter now clears the value.
            FSearchTimer->SetEnabled(false);
            FCleared = true;
            FMatchFound = false;
            FLastSearchText.clear();
            if (FGrid) FGrid->Invalidate();
            Key = 0;
            return;
        }
    }
    inherited::KeyUp(Key, Shift);
}

void TqzDBCustomLookupCombo::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PASTE:
    case WM_CUT: {
        if (FStyle == csDropDownList && FAutoDropDown && !IsDroppedDown()) return;
        if (IsEditableStyle() && DataSource() && Field() && !ReadOnly()) DataLink()->Edit();
        if (!CanModifyValue()) return;
        const std::string before = Text();
        inherited::Dispatch(Message);
        if (Message.Msg == WM_PASTE && Text() != before) {
            if (Field()) SetModifiedState(true);
            if (IsDroppedDown()) SearchTimerTick(FSearchTimer);
        }
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (IsEditableStyle()) break;
        inherited::Dispatch(Message);  // toggles the grid
        ForwardDragToGrid(this, WM_LBUTTONDOWN, 0, 0);
        return;
    case WM_MOUSEMOVE:
        if ((Message.WParam & MK_LBUTTON) != 0) {
            const TPoint p = MousePos(Message);
            if (ForwardDragToGrid(this, WM_MOUSEMOVE, p.X, p.Y)) return;
        }
        break;
    case WM_LBUTTONUP: {
        const TPoint p = MousePos(Message);
        if (ForwardDragToGrid(this, WM_LBUTTONUP, p.X, p.Y)) return;
        break;
    }
    case CM_CANCELMODE: {
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        if (sender == this || sender == Button() || sender == ButtonHost() || (sender && sender == FGrid) ||
            (sender && sender == FGridWindow))
            return;
        // A click elsewhere: a typed text still to be looked up goes with the record.
        if (Modified() && !FMatchFound && Field() && !ReadOnly() && DataLink()->Edit())
            SetModifiedState(true);
        if (IsDroppedDown()) CloseUp(true);
        return;
    }
    default: break;
    }
    inherited::Dispatch(Message);
}

bool TqzDBCustomLookupCombo::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    // Open, the wheel moves the grid like Up and Down; closed, it is not used.
    if (!IsDroppedDown() || !FLookupTable || !FLookupTable->Active() || ReadOnly() || WheelDelta == 0)
        return inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
    uint16_t key = WheelDelta < 0 ? VK_DOWN : VK_UP;
    KeyDown(key, {});
    return true;
}

void TqzDBCustomLookupCombo::Change() {
    inherited::Change();
    if (FPictureSetText || ComponentState().Contains(csLoading)) return;
    FMatchFound = false;
    FCleared = false;
    if (IsDroppedDown() || FShowMatchText || FPendingAutoDrop) {
        if (FSearchDelay > 0) FSearchTimer->SetInterval(static_cast<unsigned>(FSearchDelay));
        FSearchTimer->SetEnabled(false);
        FSearchTimer->SetEnabled(true);
    }
}

void TqzDBCustomLookupCombo::CMExit(TMessage& Message) {
    if (IsDroppedDown()) CloseUp(true);
    inherited::CMExit(Message);
}

// ---- Search as you type -------------------------------------------------------------------

void TqzDBCustomLookupCombo::SearchTimerTick(TObject*) {
    FSearchTimer->SetEnabled(false);
    const std::string text = Text();
    const bool custom = FOnPerformCustomSearch.Assigned();
    if (text == FLastSearchText || !FLookupTable || (!FLookupTable->Active() && !custom)) return;
    if (FKeyFields.empty()) BindKeys(false);
    const bool open = IsDroppedDown();
    const bool partial = open || FPendingAutoDrop || (FShowMatchText && EditCanModify());
    bool found = false;
    std::string match;
    if (custom) {
        // The handler's search, on a closed lookup table too.
        found =
            PerformSearch(text, DisplayField(), partial, FSeqSearchOptions.Contains(ssoCaseSensitive), false);
        TField* d = found && FLookupTable->Active() ? FLookupTable->FindField(DisplayField()) : nullptr;
        match = d ? d->DisplayText() : text;
        if (match.size() < text.size()) found = false;
    } else {
        // A suite table is searched on the index led by the display field.
        if (!text.empty() && FOrderByDisplay) OrderForDisplay();
        const bool indexed = IndexPosition(DisplayField()) >= 0;
        if (!text.empty() && (indexed || FSeqSearchOptions.Contains(ssoEnabled))) {
            found = FindByKey(text, DisplayField(), partial);
            if (found) {
                TField* d = FLookupTable->FindField(DisplayField());
                match = d ? d->DisplayText() : std::string();
                if (match.size() < text.size()) found = false;
            }
        }
    }
    FMatchFound = found;
    if (found && open) FGridMoved = true;
    if (found && FShowMatchText && FLastSearchText != kNoCompletion) {
        int prefix = SelStart();
        if (prefix <= 0) prefix = static_cast<int>(text.size());
        FPictureSetText = true;
        SetText(match);
        FPictureSetText = false;
        SetModifiedState(true);
        SetSelStart(prefix);
        SetSelLength(static_cast<int>(match.size()) - prefix);
    }
    FLastSearchText = Text();
    if (open && FGrid) FGrid->Invalidate();
    if (FPendingAutoDrop && !open) DropDown();
    FPendingAutoDrop = false;
}

bool TqzDBCustomLookupCombo::PerformSearch(const std::string& SearchText, const std::string& FieldName,
                                           bool PartialMatch, bool CaseSensitive, bool PerformLookup) {
    if (!FLookupTable) return false;
    if (FOnPerformCustomSearch.Assigned()) {
        // The handler positions the lookup table, which may be closed.
        TField* f = FLookupTable->Active() ? FLookupTable->FindField(FieldName) : nullptr;
        std::string text = SearchText;
        if (f && f->DataType() == ftString && f->Size() > 0 && static_cast<int>(text.size()) > f->Size())
            text.resize(static_cast<size_t>(f->Size()));
        bool found = false;
        if (!text.empty()) {
            const bool ignoring = FIgnoreDataChange;
            FIgnoreDataChange = true;
            try {
                DoPerformCustomSearch(FieldName, text, PerformLookup, found);
            } catch (...) {
                FIgnoreDataChange = ignoring;
                throw;
            }
            FIgnoreDataChange = ignoring;
        }
        if (FGrid && IsDroppedDown()) FGrid->Invalidate();
        return found;
    }
    if (!FLookupTable->Active()) return false;
    TField* f = FLookupTable->FindField(FieldName);
    if (!f) return false;
    std::string text = SearchText;
    if (f->DataType() == ftString && f->Size() > 0 && static_cast<int>(text.size()) > f->Size())
        text.resize(static_cast<size_t>(f->Size()));
    // The record that already holds the text is the one.
    if (!PartialMatch && !text.empty() && !FLookupTable->IsEmpty() && SameFolded(f->AsString(), text)) {
        if (FGrid && IsDroppedDown()) FGrid->Invalidate();
        return true;
    }
    if (text.empty() || !qzIsValidSearchTextForField(f, text)) return false;
    const TqzLocateMatchType type = PartialMatch ? mtPartialMatchStart : mtExactMatch;
    if (const TqzTableSearch* ts = qzTableSearchFor(FLookupTable))
        return ts->FindFieldValue(FLookupTable, text, FieldName, static_cast<int>(type), CaseSensitive);
    if (!qzIntl() || !qzIntl()->UseLocateMethodForSearch() || f->IsBlob() ||
        !QueryOrderAllowsLocate(FLookupTable, FieldName, CaseSensitive))
        return qzLocateFieldValue(FLookupTable, text, FieldName, CaseSensitive, type);
    TLocateOptions options;
    if (PartialMatch) options.Include(loPartialKey);
    if (!CaseSensitive) options.Include(loCaseInsensitive);
    bool found;
    {
        TqzHourGlass hourGlass;
        found = FLookupTable->Locate(FieldName, Variant(text), options);
    }
    if (!found || !PartialMatch) return found;
    // The record reached must begin with the text (a number is not matched by its digits).
    const std::string have = FoldCase(f->AsString()), want = FoldCase(text);
    return have.compare(0, want.size(), want) == 0;
}

bool TqzDBCustomLookupCombo::FindByKey(const std::string& SearchText, const std::string& FieldName,
                                       bool PartialMatch) {
    const bool caseSensitive = FSeqSearchOptions.Contains(ssoCaseSensitive);
    const int position = IndexPosition(FieldName);
    // Past the third index field the key search takes no more values.
    if (position < 0 || position > 2)
        return PerformSearch(SearchText, FieldName, PartialMatch, caseSensitive, false);
    const TqzTableSearch* ts = qzTableSearchFor(FLookupTable);
    auto* table = static_cast<TTable*>(FLookupTable);
    TField* f = table->IndexFields(position);
    if (SearchText.empty() || !qzIsValidSearchTextForField(f, SearchText)) return false;
    if (position == 0 && PartialMatch) return ts->FindNearestText(FLookupTable, SearchText, 0);
    // The current record's values of the index fields before it, then the text.
    std::vector<Variant> values;
    for (int i = 0; i < position; ++i) values.push_back(Variant(table->IndexFields(i)->AsString()));
    values.push_back(Variant(SearchText));
    const bool found = ts->FindKeyValues(FLookupTable, values);
    if (!found || !PartialMatch) return found;
    const std::string have = FoldCase(f->AsString());
    return have.compare(0, SearchText.size(), FoldCase(SearchText)) == 0;
}
