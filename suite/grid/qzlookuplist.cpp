// The lookup list's tables and fields, keeping its current record and the bound field's
// key in step, and its keys, mouse and painting.
#include "suite/grid/qzlookuplist.h"

#include <algorithm>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/core/variant.h"
#include "platform/db/dataset.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/graphics.h"
#include "platform/ui/messages.h"
#include "platform/ui/timer.h"
#include "suite/base/qztablesearch.h"
#include "suite/grid/qzlookupcombo.h"

namespace {

std::string Trimmed(const std::string& S) {
    const auto b = S.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const auto e = S.find_last_not_of(" \t");
    return S.substr(b, e - b + 1);
}

const std::string kEmpty;

// The grid options every list starts from.
const TqzDBGridOptions kBaseGridOptions{dgRowSelect, dgRowLinesDisableFixed};

}  // namespace

// ---- Construction -------------------------------------------------------------------------

TqzDBLookupList::TqzDBLookupList(TComponent* AOwner) : TqzCustomDBGrid(AOwner) {
    FFieldLink = std::make_unique<TControlFieldLink>(this);
    FFieldLink->SetOnDataChange(TNotifyEvent(this, &TqzDBLookupList::BoundDataChange));
    FFieldLink->SetOnEditingChange(TNotifyEvent(this, &TqzDBLookupList::BoundEditingChange));
    FFieldLink->SetOnUpdateData(TNotifyEvent(this, &TqzDBLookupList::BoundUpdateData));
    FFieldLink->SetOnActiveChange(TNotifyEvent(this, &TqzDBLookupList::BoundActiveChange));
    FLookupSource = new TDataSource(this);
    // The lookup table is browsed, never edited through the list.
    TqzCustomDBGrid::SetReadOnly(true);
    SetKeyOptions({});
    TqzCustomDBGrid::SetOptions(kBaseGridOptions);
    TqzCustomDBGrid::SetDataSource(FLookupSource);
    SetWidth(121);
    SetHeight(97);
    FDragTimer = new TTimer(this);
    FDragTimer->SetEnabled(false);
    FDragTimer->SetInterval(60);
    FDragTimer->SetOnTimer(TNotifyEvent(this, &TqzDBLookupList::DragTimerTick));
}

TqzDBLookupList::~TqzDBLookupList() { FFieldLink->Release(); }

void TqzDBLookupList::Publish(TPublisher<TqzDBLookupList>& p) {
    using Self = TqzDBLookupList;
    p.Property("DataSource", &Self::DataSource, &Self::SetDataSource);
    p.Property("DataField", &Self::DataField, &Self::SetDataField);
    p.Property("LookupTable", &Self::LookupTable, &Self::SetLookupTable);
    p.Property("LookupField", &Self::LookupField, &Self::SetLookupField);
    p.Property("ReadOnly", &Self::ReadOnly, &Self::SetReadOnly);
    p.Property("Options", &Self::Options, &Self::SetOptions);
    p.Property("BorderStyle", &Self::BorderStyle, &Self::SetBorderStyle);
}

void TqzDBLookupList::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (FFieldLink) FFieldLink->DataSourceRemoved(AComponent, Operation);
    if (FLookupSource && AComponent == FLookupSource->DataSet()) {
        FLookupSource->SetDataSet(nullptr);
        BindFields(false);
    }
}

// ---- Properties ---------------------------------------------------------------------------

TDataSource* TqzDBLookupList::DataSource() const { return FFieldLink->DataSource(); }

std::string TqzDBLookupList::DataField() const { return FFieldLink->FieldName(); }

TDataSet* TqzDBLookupList::LookupTable() const { return FLookupSource ? FLookupSource->DataSet() : nullptr; }

// The bound dataset and the lookup table are never one dataset; any other
// dataset may be the lookup table.
void TqzDBLookupList::CheckTables(TDataSet* Bound, TDataSet* Lookup) const {
    if (Bound && Bound == Lookup)
        throw EInvalidOperation("Unable to use duplicate DataSource and LookupSource");
}

void TqzDBLookupList::SetDataSource(TDataSource* Value) {
    if (Value == DataSource()) return;
    CheckTables(Value ? Value->DataSet() : nullptr, LookupTable());
    FFieldLink->AttachDataSource(Value);
}

void TqzDBLookupList::SetDataField(const std::string& Value) { FFieldLink->SetFieldName(Value); }

void TqzDBLookupList::SetLookupTable(TDataSet* Value) {
    if (!FLookupSource) {
        MessageDlg("Lookup Source is not created", mtWarning, {mbOK}, 0);
        return;
    }
    if (Value == LookupTable()) return;
    CheckTables(DataSource() ? DataSource()->DataSet() : nullptr, Value);
    if (!Value) throw EInvalidOperation("LookupSource must be connected to TTable component");
    if (TDataSet* old = LookupTable()) old->RemoveFreeNotification(this);
    FDetailWarned = false;
    FLookupSource->SetDataSet(Value);
    Value->FreeNotification(this);
    BindFields(RaisesOnMissingKey());
    PositionOnValue();
}

void TqzDBLookupList::SetLookupField(const std::string& Value) {
    if (Value == FLookupField) return;
    const std::string old = FLookupField;
    FLookupField = Value;
    try {
        BindFields(RaisesOnMissingKey());
    } catch (...) {
        FLookupField = old;
        BindFields(false);
        throw;
    }
    LayoutChanged();
    PositionOnValue();
}

void TqzDBLookupList::SetOptions(TqzDBLookupListOptions Value) {
    if (Value == FListOptions) return;
    FListOptions = Value;
    TqzDBGridOptions grid = kBaseGridOptions;
    if (Value.Contains(loColLines)) grid.Include(dgColLines);
    if (Value.Contains(loRowLines)) grid.Include(dgRowLines);
    if (Value.Contains(loTitles)) grid.Include(dgTitles);
    TqzCustomDBGrid::SetOptions(grid);
}

// ---- Binding ------------------------------------------------------------------------------

TField* TqzDBLookupList::KeyField(int Index) const {
    return Index >= 0 && Index < FKeyCount ? FKeys[static_cast<size_t>(Index)] : nullptr;
}

const std::string& TqzDBLookupList::ValueText(int Index) const {
    return Index >= 0 && Index < 3 ? FValues[static_cast<size_t>(Index)] : kEmpty;
}

bool TqzDBLookupList::LookupActive() const {
    TDataSet* t = LookupTable();
    return t && t->Active() && DataLink()->Active();
}

void TqzDBLookupList::BindFields(bool Raise) {
    FDisplayField = nullptr;
    FKeys = {};
    FKeyCount = 0;
    TDataSet* table = LookupTable();
    if (!LookupActive() || FLookupField.empty() || table->Fields()->Count() == 0) return;
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 3) {
        const size_t semi = FLookupField.find(';', start);
        parts.push_back(Trimmed(FLookupField.substr(start, semi == std::string::npos ? semi : semi - start)));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    // Only the leading key fields found count: a missing part ends the list.
    for (size_t i = 0; i < parts.size(); ++i) {
        TField* f = parts[i].empty() ? nullptr : table->FindField(parts[i]);
        if (!f) {
            if (i == 0 && Raise) table->FieldByName(parts[i]);  // raises "Field '%s' not found"
            break;
        }
        FKeys[i] = f;
        FKeyCount = static_cast<int>(i) + 1;
    }
    if (Selected()->Count() > 0) {
        const std::string& line = Selected()->Strings(0);
        FDisplayField = table->FindField(Trimmed(line.substr(0, line.find('\t'))));
    }
    if (!FDisplayField) FDisplayField = FKeys[0];
}

std::string TqzDBLookupList::KeyTextOf(int Index) const {
    TField* f = KeyField(Index);
    return f ? f->AsString() : std::string();
}

bool TqzDBLookupList::HasBinding() const { return FFieldLink->DataSource() != nullptr; }

bool TqzDBLookupList::CanModifyValue() { return !(FFieldLink->DataSource() && !FFieldLink->Editing()); }

void TqzDBLookupList::EditBound() {
    // A read-only list never puts the record in edit.
    if (FReadOnly || !FFieldLink->DataSource() || !FFieldLink->Field()) return;
    // Entering edit state re-reads the record: that must not move the
    // lookup table back.
    ++FUpdateLock;
    try {
        FFieldLink->Edit();
    } catch (...) {
        --FUpdateLock;
        throw;
    }
    --FUpdateLock;
}

// ---- Positioning --------------------------------------------------------------------------

bool TqzDBLookupList::PositionOnValue() {
    FRowPointer = -1;
    FPositioned = false;
    TField* f = FFieldLink->Field();
    TDataSet* bound = FFieldLink->DataSet();
    FValues = {};
    if (f) {
        FValues[0] = f->AsString();
        for (int i = 1; i < FKeyCount; ++i) {
            TField* b = bound ? bound->FindField(FKeys[static_cast<size_t>(i)]->FieldName()) : nullptr;
            if (!b) break;
            FValues[static_cast<size_t>(i)] = b->AsString();
        }
    }
    if (!LookupActive() || !FDisplayField || !f || f->IsNull() || FKeyCount == 0) {
        Invalidate();
        return false;
    }
    std::string names = FKeys[0]->FieldName();
    std::vector<Variant> values{f->AsVariant()};
    for (int i = 1; i < FKeyCount; ++i) {
        TField* b = bound ? bound->FindField(FKeys[static_cast<size_t>(i)]->FieldName()) : nullptr;
        if (!b) break;
        names += ";" + FKeys[static_cast<size_t>(i)]->FieldName();
        values.push_back(b->AsVariant());
    }
    ++FUpdateLock;
    try {
        FPositioned = FindKeys(names, values);
    } catch (...) {
        --FUpdateLock;
        throw;
    }
    --FUpdateLock;
    if (FPositioned) {
        for (int i = 0; i < FKeyCount; ++i) FValues[static_cast<size_t>(i)] = KeyTextOf(i);
        FMatchText = FDisplayField->DisplayText();
    }
    Invalidate();
    return FPositioned;
}

int TqzDBLookupList::IndexPosition(const std::string& FieldName) const {
    auto* table = dynamic_cast<TTable*>(LookupTable());
    if (!table) return -1;
    const int n = table->IndexFieldCount();
    for (int i = 0; i < n; ++i)
        if (TField* f = table->IndexFields(i); f && AnsiCompareText(f->FieldName(), FieldName) == 0) return i;
    return -1;
}

bool TqzDBLookupList::FindKeys(const std::string& Names, const std::vector<Variant>& Values) {
    TDataSet* table = LookupTable();
    // A suite table is searched on its index for the key fields (one to
    // three values), when it has one that leads with them.
    if (const TqzTableSearch* ts = qzTableSearchFor(table)) {
        ts->SelectIndexForField(table, Names);
        bool fits = !Values.empty() && Values.size() <= 3;
        for (size_t i = 0; i < Values.size() && fits; ++i)
            fits = IndexPosition(FKeys[i]->FieldName()) == static_cast<int>(i);
        if (fits) return ts->FindKeyValues(table, Values);
    }
    return table->Locate(Names, Values.size() == 1 ? Values[0] : VarArrayOf(Values), TLocateOptions{});
}

void TqzDBLookupList::SelectCurrent() {
    if (!CanModifyValue() || FReadOnly || FKeyCount == 0 || !LookupActive() || LookupTable()->IsEmpty())
        return;
    if (FFieldLink->Editing()) FFieldLink->Modified();
    FValues = {};
    for (int i = 0; i < FKeyCount; ++i) FValues[static_cast<size_t>(i)] = KeyTextOf(i);
    if (FDisplayField) FMatchText = FDisplayField->DisplayText();
    Invalidate();
    ValueSelected();
}

// ---- The bound field's link ---------------------------------------------------------------

void TqzDBLookupList::BoundDataChange(TObject*) {
    if (FUpdateLock > 0 || ComponentState().Contains(csDestroying)) return;
    TDataSet* table = LookupTable();
    if (table && table->DataSource() && HasBinding()) {
        // A detail lookup table: its records follow its master, not the value.
        if (!table->InheritsFrom("TqzTable")) {
            if (!FDetailWarned) {
                FDetailWarned = true;
                MessageDlg(
                    "LookupTable on a detail table is only supported when using a TqzTable as the "
                    "LookupTable!",
                    mtWarning, {mbOK}, 0);
            }
            return;
        }
    }
    PositionOnValue();
}

void TqzDBLookupList::BoundEditingChange(TObject*) { Invalidate(); }

void TqzDBLookupList::BoundUpdateData(TObject*) {
    TField* f = FFieldLink->Field();
    TDataSet* bound = FFieldLink->DataSet();
    if (!f || !bound || FKeyCount == 0) return;
    ++FUpdateLock;
    try {
        for (int i = 1; i < FKeyCount; ++i) {
            TField* b = bound->FindField(FKeys[static_cast<size_t>(i)]->FieldName());
            if (b && b->AsString() != FValues[static_cast<size_t>(i)])
                b->SetAsString(FValues[static_cast<size_t>(i)]);
        }
        if (f->AsString() != FValues[0]) f->SetAsString(FValues[0]);
    } catch (...) {
        --FUpdateLock;
        throw;
    }
    --FUpdateLock;
}

void TqzDBLookupList::BoundActiveChange(TObject*) {
    if (ComponentState().Contains(csDestroying)) return;
    PositionOnValue();
}

// ---- Grid operations ----------------------------------------------------------------------

void TqzDBLookupList::LinkActive(bool Value) {
    BindFields(false);
    inherited::LinkActive(Value);
    if (Value) PositionOnValue();
}

void TqzDBLookupList::DefineFieldMap() {
    BindFields(false);
    inherited::DefineFieldMap();
    if (UseTFields() && DataLink()->FieldCount() == 0 && FKeys[0])
        DataLink()->AddMapping(FKeys[0]->FieldName());
}

void TqzDBLookupList::SetColumnAttributes() {
    inherited::SetColumnAttributes();
    const int last = ColCount() - 1;
    if (last < 0) return;
    const int lines = FListOptions.Contains(loColLines) ? 1 : 0;
    int others = 0;
    for (int c = 0; c < last; ++c) others += ColWidths(c) + lines;
    const int room = ClientWidth() - others - lines;
    if (others < ClientWidth() - 15 && room > ColWidths(last)) SetColWidths(last, room);
}

bool TqzDBLookupList::IsDataRow(int ARow) const {
    return ARow >= TitleOffset() && ARow - TitleOffset() < DataLink()->RecordCount();
}

bool TqzDBLookupList::HighlightCell(int ACol, int ARow, TGridDrawState AState) {
    if (!LookupActive() || FKeyCount == 0) return inherited::HighlightCell(ACol, ARow, AState);
    if (!IsDataRow(ARow)) return false;
    if (FTracking) {
        if (ARow != Row()) return false;
        FRowPointer = ARow;
        return true;
    }
    if (FValues[0].empty()) return false;
    const int saved = DataLink()->ActiveRecord();
    DataLink()->SetActiveRecord(ARow - TitleOffset());
    bool same = true;
    for (int i = 0; i < FKeyCount && same; ++i) same = KeyTextOf(i) == FValues[static_cast<size_t>(i)];
    DataLink()->SetActiveRecord(saved);
    if (same) FRowPointer = ARow;
    return same;
}

void TqzDBLookupList::Scroll(int Distance) {
    if (FRowPointer >= 0) {
        FRowPointer -= Distance;
        if (!IsDataRow(FRowPointer)) FRowPointer = -1;
    }
    inherited::Scroll(Distance);
}

void TqzDBLookupList::Resize() {
    // A hidden list (a closed drop-down) is laid out when it shows.
    if (!Visible()) return;
    inherited::Resize();
    LayoutChanged();
}

void TqzDBLookupList::InvalidatePointerRow() {
    if (FRowPointer >= 0 && FRowPointer < RowCount()) InvalidateRow(FRowPointer);
}

void TqzDBLookupList::Paint() {
    inherited::Paint();
    if (Focused() && FRowPointer >= 0 && FRowPointer < RowCount() && ColCount() > 0) {
        TRect r = BoxRect(FixedCols(), FRowPointer, ColCount() - 1, FRowPointer);
        if (r.Right > ClientWidth()) r.Right = ClientWidth();
        Canvas()->DrawFocusRect(r);
    }
}

void TqzDBLookupList::DoEnter() {
    inherited::DoEnter();
    InvalidatePointerRow();
}

void TqzDBLookupList::DoExit() {
    FFieldLink->UpdateRecord();
    inherited::DoExit();
    InvalidatePointerRow();
}

// ---- Mouse --------------------------------------------------------------------------------

void TqzDBLookupList::StopTracking() {
    FTracking = false;
    FDragTimer->SetEnabled(false);
}

void TqzDBLookupList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button != mbLeft || Shift.Contains(ssDouble) || ComponentState().Contains(csDesigning)) {
        TakeFocus();
        TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    TakeFocus();
    const TGridCoord cell = MouseCoord(X, Y);
    if (!LookupActive() || !IsDataRow(cell.Y)) {
        TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (HasBinding() && FKeyCount > 0) {
        EditBound();
        FTracking = true;
        FMouseY = Y;
        FDragTimer->SetEnabled(false);
        FDragTimer->SetEnabled(true);
    }
    if (cell.Y != Row()) LookupTable()->MoveBy(cell.Y - Row());
    Invalidate();
    TControl::MouseDown(Button, Shift, X, Y);
}

void TqzDBLookupList::MouseMove(TShiftState Shift, int X, int Y) {
    if (!FTracking) {
        inherited::MouseMove(Shift, X, Y);
        return;
    }
    FMouseY = Y;
    TControl::MouseMove(Shift, X, Y);
    if (!LookupActive()) return;
    const TGridCoord cell = MouseCoord(std::clamp(X, 0, std::max(0, ClientWidth() - 1)), Y);
    if (Y >= 0 && Y < ClientHeight() && IsDataRow(cell.Y) && cell.Y != Row())
        LookupTable()->MoveBy(cell.Y - Row());
}

void TqzDBLookupList::DragTimerTick(TObject*) {
    if (!FTracking || !LookupActive()) {
        FDragTimer->SetEnabled(false);
        return;
    }
    const int top = TitleOffset() > 0 ? RowHeights(0) : 0;
    if (FMouseY < top)
        LookupTable()->Prior();
    else if (FMouseY >= ClientHeight())
        LookupTable()->Next();
}

void TqzDBLookupList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool wasTracking = FTracking && Button == mbLeft;
    if (Button == mbLeft) StopTracking();
    if (wasTracking && X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight() && LookupActive() &&
        IsDataRow(MouseCoord(X, Y).Y))
        SelectCurrent();
    Invalidate();
    inherited::MouseUp(Button, Shift, X, Y);
}

// ---- Keys ---------------------------------------------------------------------------------

void TqzDBLookupList::KeyDown(uint16_t& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);  // OnKeyDown
    if (Key == 0) return;
    if (Key == VK_INSERT) {
        Key = 0;
        return;
    }
    if (Key == VK_ESCAPE) {
        FFieldLink->Reset();
        Key = 0;
        return;
    }
    if (Key < VK_PRIOR || Key > VK_DOWN) {
        inherited::KeyDown(Key, Shift);
        return;
    }
    const uint16_t key = Key;
    Key = 0;
    if (!LookupActive()) return;
    EditBound();
    const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    // A read-only list moves without changing the value.
    if (arrow && !FReadOnly && !CanModifyValue()) return;
    TDataSet* table = LookupTable();
    const int page = std::max(1, VisibleDataRows());
    switch (key) {
    case VK_UP:
    case VK_LEFT: table->Prior(); break;
    case VK_DOWN:
    case VK_RIGHT: table->Next(); break;
    case VK_PRIOR: table->MoveBy(-page); break;
    case VK_NEXT: table->MoveBy(page); break;
    case VK_HOME: table->First(); break;
    default: table->Last(); break;
    }
    SelectCurrent();
}

void TqzDBLookupList::KeyPress(char32_t& Key) {
    TWinControl::KeyPress(Key);  // OnKeyPress
    // A character the bound field would not take is dropped.
    TField* f = FFieldLink->Field();
    if (Key >= 32 && Key < 128 && f && !f->IsValidChar(static_cast<char>(Key))) Key = 0;
}

void TqzDBLookupList::WMVScroll(TMessage& Message) {
    const int code = Message.WParamLo();
    if ((code == SB_LINEUP || code == SB_LINEDOWN) && LookupActive()) {
        Message.Result = 0;
        if (code == SB_LINEUP)
            LookupTable()->Prior();
        else
            LookupTable()->Next();
        UpdateScrollBar();
        return;
    }
    if (code == SB_THUMBPOSITION) FRowPointer = -1;
    inherited::WMVScroll(Message);
}

// ---- TqzPopupGrid -------------------------------------------------------------------------

TqzPopupGrid::TqzPopupGrid(TComponent* AOwner, TqzDBCustomLookupCombo* Combo)
    : TqzDBLookupList(AOwner), FCombo(Combo) {
    TControlStyle style = ControlStyle();
    style.Include(csNoDesignVisible);
    style.Include(csReplicatable);
    SetControlStyle(style);
    SetTabStop(false);
    // The combo keeps the focus.
    SetAllowFocus(false);
}

bool TqzPopupGrid::CanModifyValue() {
    if (!FCombo) return true;
    return !FCombo->DataSource() || !FCombo->Field() || FCombo->DataLink()->Editing();
}

void TqzPopupGrid::EditBound() {
    if (FCombo) FCombo->EditBound();
}

void TqzPopupGrid::ValueSelected() {
    if (FCombo) FCombo->GridPick();
}

bool TqzPopupGrid::PositionOnValue() {
    ResetRowPointer();
    return false;
}

bool TqzPopupGrid::HighlightCell(int ACol, int ARow, TGridDrawState AState) {
    if (!LookupActive() || KeyCount() == 0) return TqzCustomDBGrid::HighlightCell(ACol, ARow, AState);
    // The lookup table's current record is the combo's choice.
    if (!IsDataRow(ARow) || ARow != Row()) return false;
    return true;
}

void TqzPopupGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TqzDBLookupList::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FCombo) FCombo->CloseUp(true);
}
