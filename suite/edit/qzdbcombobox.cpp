// The combo box's item list with its map values, the drop-down list box's keys and
// drawing, and the combo box's field link, typing, completion and history.
#include "suite/edit/qzdbcombobox.h"

#include <algorithm>

#include "platform/core/case_fold.h"
#include "platform/core/clock.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/messages.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qzstr.h"
#include "suite/edit/qzeditpublish.h"

namespace {

constexpr uint32_t TypeAheadResetMs = 1500;

bool StartsWithText(const std::string& S, const std::string& Prefix) {
    return S.size() >= Prefix.size() && SameFolded(std::string_view(S).substr(0, Prefix.size()), Prefix);
}

}  // namespace

void qzComboItemParts(const std::string& Line, std::string& Display, std::string& Value) {
    int pos = 1;
    Display = qzStrGetToken(Line, "\t", pos);
    Value = pos > 0 ? qzStrGetToken(Line, "\t", pos) : std::string();
}

// ---- Items ---------------------------------------------------------------------------------

void TqzComboStringList::Changed() {
    if (FCombo) FCombo->MarkForRebuild();
    TStringList::Changed();
}

void TqzComboStringList::Sort() {
    TStringList::Sort();
    if (ListExists()) FCombo->List()->SetSorted(true);
}

bool TqzComboStringList::ListExists() { return FCombo && FCombo->List(); }

// ---- The drop-down list --------------------------------------------------------------------

TqzPopupListbox::TqzPopupListbox(TComponent* AOwner, TqzDBCustomComboBox* Combo)
    : TCustomListBox(AOwner), FCombo(Combo) {
    SetIntegralHeight(true);
    SetItemHeight(11);
    SetParentShowHint(false);
    SetShowHint(false);
    SetTabStop(false);
    SetBorderStyle(bsNone);
}

void TqzPopupListbox::ListKeyPress(char32_t& Key) {
    if (Key == 27) {
        FSearchText.clear();
        return;
    }
    if (Key < 32 && Key != 8) return;
    const uint32_t now = GetTickCount();
    if (FCombo->IsDroppedDown()) {
        if (now - FLastKeyTick > TypeAheadResetMs) FSearchText.clear();
    } else {
        FSearchText = FCombo->Text();
    }
    FLastKeyTick = now;
    // The combo's caret and selection apply to the search text.
    const int len = static_cast<int>(FSearchText.size());
    const int selStart = std::clamp(FCombo->SelStart(), 0, len);
    const int selEnd = std::clamp(selStart + FCombo->SelLength(), selStart, len);
    std::string typed;
    if (Key == 8) {
        if (selEnd > selStart)
            typed = FSearchText.substr(0, static_cast<size_t>(selStart)) +
                    FSearchText.substr(static_cast<size_t>(selEnd));
        else if (selStart > 0) {
            // The whole character before the caret.
            int from = selStart - 1;
            while (from > 0 &&
                   (static_cast<unsigned char>(FSearchText[static_cast<size_t>(from)]) & 0xC0) == 0x80)
                --from;
            typed = FSearchText.substr(0, static_cast<size_t>(from)) +
                    FSearchText.substr(static_cast<size_t>(selStart));
        } else
            typed = FSearchText;
    } else {
        typed = FSearchText.substr(0, static_cast<size_t>(selStart)) + Utf8Of(Key) +
                FSearchText.substr(static_cast<size_t>(selEnd));
    }
    FSearchText = typed;
    Key = 0;
    const int mru = FCombo->HistoryList()->MRUCount();
    const int row = FSearchText.empty() ? -1 : FindString(FSearchText.substr(0, 255), mru - 1);
    const bool editable = FCombo->IsEditableStyle();
    if (!FCombo->CanModifyValue()) return;
    if (editable) {
        FCombo->SetTypedText(FSearchText);
        if (row >= 0 && SameFolded(Items()->Strings(row), FSearchText))
            SetItemIndex(row);
        else
            SetItemIndex(-1);
        return;
    }
    if (row < 0) return;
    SetItemIndex(row);
    const std::string text = Items()->Strings(row);
    FCombo->ShowChosenText(text);
    if (StartsWithText(text, FSearchText)) {
        FCombo->SetSelStart(static_cast<int>(FSearchText.size()));
        FCombo->SetSelLength(static_cast<int>(text.size() - FSearchText.size()));
    }
}

void TqzPopupListbox::ListKeyDown(uint16_t& Key, TShiftState) {
    const int count = Count();
    if (count == 0) return;
    const int page = std::max(1, Height() / std::max(1, ItemHeight()) - 1);
    int i = ItemIndex();
    switch (Key) {
    case VK_UP: i = i < 0 ? 0 : i - 1; break;
    case VK_DOWN: i = i < 0 ? 0 : i + 1; break;
    case VK_PRIOR: i = i < 0 ? 0 : i - page; break;
    case VK_NEXT: i = i < 0 ? 0 : i + page; break;
    case VK_HOME: i = 0; break;
    case VK_END: i = count - 1; break;
    default: return;
    }
    Key = 0;
    i = std::clamp(i, 0, count - 1);
    FCombo->SetListKeys(true);
    SetItemIndex(i);
    if (i < TopIndex())
        SetTopIndex(i);
    else if (i >= TopIndex() + page + 1)
        SetTopIndex(i - page);
    SelectionChangedByKeys();
    FCombo->SetListKeys(false);
}

void TqzPopupListbox::SelectionChangedByKeys() { FCombo->ListSelectionChanged(); }

void TqzPopupListbox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomListBox::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FCombo->IsDroppedDown()) FCombo->ListMouseUp();
}

void TqzPopupListbox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    TCanvas* c = Canvas();
    if (FCombo->OnDrawItem().Assigned() && FCombo->IsOwnerDrawStyle()) {
        if (!State.Contains(odSelected)) {
            c->Brush()->SetColor(FCombo->Color());
            c->Font()->SetColor(FCombo->Font()->Color());
            c->FillRect(Rect);
        }
        FCombo->DrawItemOn(c, Index, Rect, State);
    } else if (FCombo->TwoColumnDisplay()) {
        c->FillRect(Rect);
        if (State.Contains(odSelected)) c->Font()->SetColor(clHighlightText);
        const std::string row = Items()->Strings(Index);
        const int col = FCombo->Column1Width() != 0 ? FCombo->Column1Width() : (Rect.Right - Rect.Left) / 2;
        std::string second;
        if (FCombo->MapList())
            FCombo->ValueFromDisplay(row, second);
        else
            FCombo->DisplayFromValue(row, second);
        TRect first = Rect;
        first.Right = std::min(Rect.Right, Rect.Left + 1 + col);
        c->TextRect(first, Rect.Left + 1, Rect.Top, row);
        c->TextOut(Rect.Left + 1 + col, Rect.Top, second);
    } else {
        TCustomListBox::DrawItem(Index, Rect, State);
    }
    const int mru = FCombo->HistoryList()->MRUCount();
    if (mru >= 1 && (Index == mru - 1 || Index == mru)) {
        c->Pen()->SetColor(clBtnShadow);
        c->Pen()->SetStyle(psSolid);
        const int y = Index == mru - 1 ? Rect.Bottom - 1 : Rect.Top;
        c->MoveTo(Rect.Left, y);
        c->LineTo(Rect.Right, y);
    }
}

// ---- The combo box -------------------------------------------------------------------------

TqzDBCustomComboBox::TqzDBCustomComboBox(TComponent* AOwner)
    : TqzDBCustomCombo(AOwner),
      FItems(std::make_unique<TqzComboStringList>(this)),
      FHistoryList(std::make_unique<TqzHistoryList>(this)) {
    SetButtonStyle(cbsDownArrow);
    DataLink()->SetOnDataChange(TNotifyEvent(this, &TqzDBCustomComboBox::DataChange));
}

TqzDBCustomComboBox::~TqzDBCustomComboBox() {
    DataLink()->SetOnDataChange(nullptr);
    StopWatchingDropDown();
    FHistoryList.reset();
    delete FListWindow;  // with the list on it
    FListWindow = nullptr;
    FList = nullptr;
    FItems.reset();
}

void TqzDBCustomComboBox::SetMapList(bool Value) {
    FMapList = Value;
    FNeedsRebuild = true;
}

void TqzDBCustomComboBox::SetItems(TStrings* Value) {
    FItems->Assign(Value);
    DataChange(this);
}

void TqzDBCustomComboBox::SetSorted(bool Value) {
    FItems->SetSorted(Value);
    FNeedsRebuild = true;
}

void TqzDBCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (Value == FStyle) return;
    const bool wasSimple = FStyle == csSimple;
    FStyle = Value;
    if (Value == csSimple)
        SetShowButton(false);
    else if (wasSimple)
        SetShowButton(true);
    SetDropDownList(Value != csDropDown && Value != csSimple);
    Invalidate();
}

bool TqzDBCustomComboBox::IsEditableStyle() {
    if (IsOwnerDrawStyle()) return false;
    if (FStyle == csDropDownList) return FShowMatchText;
    return true;
}

void TqzDBCustomComboBox::DrawText(TCanvas* Canvas, const TRect& Rect, int X, int Y,
                                   const std::string& Text) {
    if (!IsOwnerDrawStyle() || !FOnDrawItem.Assigned()) {
        inherited::DrawText(Canvas, Rect, X, Y, Text);
        return;
    }
    Canvas->Brush()->SetStyle(bsSolid);
    if (IsDroppedDown()) {
        Canvas->Brush()->SetColor(Color());
        Canvas->Font()->SetColor(Font()->Color());
        Canvas->FillRect(Rect);
    }
    DrawItemOn(Canvas, ItemIndex(), Rect, TOwnerDrawState{odFocused});
}

void TqzDBCustomComboBox::DrawItemOn(TCanvas* Canvas, int Index, const TRect& Rect, TOwnerDrawState State) {
    FDrawCanvas = Canvas;
    try {
        FOnDrawItem(this, Index, Rect, State);
    } catch (...) {
        FDrawCanvas = nullptr;
        throw;
    }
    FDrawCanvas = nullptr;
}

int TqzDBCustomComboBox::ItemIndex() {
    if (IsDroppedDown() && FList) return FList->ItemIndex();
    return FItemIndex;
}

std::string TqzDBCustomComboBox::GetValue() {
    if (Text().empty() && FStyle == csDropDown) return {};
    std::string v;
    ValueFromDisplay(Text(), v);
    return v;
}

bool TqzDBCustomComboBox::IsListedDisplay(const std::string& Display) const {
    for (int i = 0; i < FItems->Count(); ++i) {
        std::string d, v;
        qzComboItemParts(FItems->Strings(i), d, v);
        if (SameFolded(d, Display)) return true;
    }
    return false;
}

void TqzDBCustomComboBox::ValueFromDisplay(const std::string& Display, std::string& Value) {
    Value = Display;
    if (!FMapList && !FTwoColumnDisplay) return;
    if (FMapList) Value.clear();
    for (int i = 0; i < FItems->Count(); ++i) {
        std::string d, v;
        qzComboItemParts(FItems->Strings(i), d, v);
        if (SameFolded(d, Display)) {
            Value = v;
            return;
        }
    }
}

void TqzDBCustomComboBox::DisplayFromValue(const std::string& Value, std::string& Display) {
    Display = Value;
    if (!FMapList && !FTwoColumnDisplay) return;
    Display.clear();
    for (int i = 0; i < FItems->Count(); ++i) {
        std::string d, v;
        qzComboItemParts(FItems->Strings(i), d, v);
        if (v == Value) {
            Display = d;
            return;
        }
    }
}

bool TqzDBCustomComboBox::DisplayTextFromValue(std::string& Text) {
    TField* f = Field();
    if (!FMapList || !f) return inherited::DisplayTextFromValue(Text);
    DisplayFromValue(f->AsString(), Text);
    return true;
}

TqzPopupListbox* TqzDBCustomComboBox::CreatePopupListbox() { return new TqzPopupListbox(FListWindow, this); }

void TqzDBCustomComboBox::EnsureList() {
    if (!FList) {
        FListWindow = new TPopupWindow(this);
        FListWindow->SetOwnerControl(this);
        FListWindow->SetBiDiMode(BiDiMode());
        FList = CreatePopupListbox();
        FList->SetParent(FListWindow);
        FList->SetAlign(alClient);
        FNeedsRebuild = true;
    }
    if (FNeedsRebuild) RebuildList();
}

void TqzDBCustomComboBox::RebuildList() {
    if (!FList) {
        EnsureList();
        return;
    }
    FNeedsRebuild = false;
    TStrings* rows = FList->Items();
    rows->BeginUpdate();
    rows->Clear();
    if (!Sorted()) FList->SetSorted(false);
    for (int i = 0; i < FItems->Count(); ++i) {
        std::string d, v;
        qzComboItemParts(FItems->Strings(i), d, v);
        rows->Add(FMapList ? d : (!v.empty() ? v : d));
    }
    if (FHistoryList->Enabled()) {
        FHistoryList->LoadInto(rows);
        if (FHistoryList->MRUEnabled()) {
            TStringList sorted;
            sorted.Assign(rows);
            if (Sorted()) sorted.Sort();
            FList->SetSorted(false);
            rows->Assign(&sorted);
            TStringList* entries = FHistoryList->Entries();
            const int first = entries->Count() <= FHistoryList->MRUMaxSize()
                                  ? 0
                                  : entries->Count() - std::max(0, FHistoryList->MRUMaxSize());
            for (int i = first; i < entries->Count(); ++i) rows->Insert(0, entries->Strings(i));
        }
    }
    rows->EndUpdate();
    FNeedsRebuild = false;
}

int TqzDBCustomComboBox::FindItemIndex(const std::string& Text, int StartIndex) {
    if (!FList || FList->Count() == 0) return -1;
    // Every row once, from StartIndex on, wrapping; 0 is the first row.
    const int n = FList->Count();
    const int start = ((StartIndex % n) + n) % n;
    for (int k = 0; k < n; ++k) {
        const int row = (start + k) % n;
        if (SameFolded(FList->Items()->Strings(row), Text)) return row;
    }
    return -1;
}

int TqzDBCustomComboBox::GetItemHeight() {
    EnsureList();
    FList->Canvas()->Font()->Assign(Font());
    return FList->Canvas()->TextHeight("A") + 2;
}

void TqzDBCustomComboBox::SetComboValue(const std::string& Value) {
    EnsureList();
    if (!FMapList) {
        FItemIndex = FindItemIndex(Value, 0);
        SetText(Value);
        return;
    }
    FItemIndex = -1;
    for (int i = 0; i < FItems->Count(); ++i) {
        std::string d, v;
        qzComboItemParts(FItems->Strings(i), d, v);
        if (v != Value) continue;
        const int row = FindItemIndex(d, 0);
        if (row >= 0) {
            FItemIndex = row;
            SetText(d);
            FList->SetItemIndex(row);
            return;
        }
        break;
    }
    SetText("");
}

void TqzDBCustomComboBox::SetItemIndex(int Index) {
    FItemIndex = Index;
    EnsureList();
    FList->SetItemIndex(Index);
    if (Index >= 0 && Index < FList->Count())
        SetText(FList->Items()->Strings(Index));
    else if (Index == -1)
        SetText("");
}

void TqzDBCustomComboBox::ShowValue(const std::string& V) {
    if (V == GetValue() && (!V.empty() || !FMapList)) return;
    int index = -1;
    if (FStyle == csDropDown && !FMapList) {
        SetText(V);
        FItemIndex = FindItemIndex(V, 0);
        return;
    }
    if (FMapList) {
        std::string d;
        DisplayFromValue(V, d);
        bool found = false;
        for (int i = 0; i < FItems->Count() && !found; ++i) {
            std::string dd, vv;
            qzComboItemParts(FItems->Strings(i), dd, vv);
            found = vv == V;
        }
        index = found ? FindItemIndex(d, 0) : -1;
        if (found && index < 0) SetText(d);
    } else {
        index = V.empty() ? -1 : FindItemIndex(V, 0);
    }
    if (FList)
        SetItemIndex(index);
    else
        FItemIndex = index;
    if (index < 0 && ItemIndex() < 0 && !(FMapList && IsListedDisplay(Text()) && !V.empty())) SetText("");
}

void TqzDBCustomComboBox::DataChange(TObject*) {
    if (ComponentState().Contains(csDestroying) || FClosingUp) return;
    if (FMapList || FHistoryList->Enabled()) EnsureList();
    TField* f = Field();
    FPictureSetText = true;
    try {
        if (FMapList) {
            ShowValue(f ? f->AsString() : (qzIsDesigning(this) ? Name() : std::string()));
        } else {
            ShowValue(f ? f->DisplayText() : std::string());
            if (IsOwnerDrawStyle() && f) FItemIndex = FindItemIndex(f->Text(), 0);
        }
    } catch (...) {
        FPictureSetText = false;
        throw;
    }
    FPictureSetText = false;
    SetModified(false);
    Invalidate();
}

void TqzDBCustomComboBox::UpdateData(TObject* Sender) {
    // A mapped text that names no item has no value to store: the field
    // keeps its own and the user sees why.
    if (FMapList && IsEditableStyle() && Field() && !Text().empty() && !IsListedDisplay(Text())) {
        SetValid(false);
        ShowValidationError("");
        throw EAbort("");
    }
    inherited::UpdateData(Sender);
}

bool TqzDBCustomComboBox::RowFits(const std::string& Text) {
    // A mapped row stores its value, not the text shown.
    const int limit = FMapList ? -1 : TextLimit();
    if (limit < 0 || static_cast<int>(Text.size()) <= limit) return true;
    qzMessageBeep();
    return false;
}

void TqzDBCustomComboBox::SetTypedText(const std::string& Text) {
    ReplaceTextAsUser(Text, static_cast<int>(Text.size()));
}

void TqzDBCustomComboBox::ShowChosenText(const std::string& Text) {
    if (!RowFits(Text)) return;
    SetText(Text);
    SetModifiedState(true);
}

// ---- Opening and closing -------------------------------------------------------------------

// The list reads as the combo does, open or not (its scroll bar at the left right to left).
void TqzDBCustomComboBox::BiDiModeChanged() {
    inherited::BiDiModeChanged();
    if (FListWindow) FListWindow->SetBiDiMode(BiDiMode());
}

void TqzDBCustomComboBox::DropDown() {
    if (IsDroppedDown() || FStyle == csSimple) return;
    Invalidate();
    EnsureList();
    RebuildList();
    FList->SetColor(Color());
    FList->Font()->Assign(Font());
    if (FOnDropDown.Assigned()) {
        FOnDropDown(this);
        RebuildList();
    }
    if (FDisableDropDownList) return;
    const bool mru = FHistoryList->Enabled() && FHistoryList->MRUEnabled();
    if (FStyle == csOwnerDrawFixed)
        FList->SetStyle(lbOwnerDrawFixed);
    else if (FStyle == csOwnerDrawVariable)
        FList->SetStyle(lbOwnerDrawVariable);
    else
        FList->SetStyle(mru || FTwoColumnDisplay || qzClassInheritsFrom(this, "TqzImageCombo")
                            ? lbOwnerDrawFixed
                            : lbStandard);
    FList->SetSorted(mru ? false : Sorted());
    FList->SetOnMeasureItem(FOnMeasureItem);

    const int rowHeight = FItemHeight != 0 ? FItemHeight : GetItemHeight();
    FList->SetItemHeight(rowHeight);
    const int height = std::min(FList->Count(), FDropDownCount) * rowHeight + 4;
    int width = FDropDownWidth;
    if (width == 0) width = FColumn1Width != 0 ? FColumn1Width * 3 / 2 : Width();

    int row = -1;
    if (IsOwnerDrawStyle() && Field())
        row = FindItemIndex(Text(), 0);
    else if (!Text().empty())
        row = FindItemIndex(Text(), 0);
    FList->SetItemIndex(row);
    if (row >= 0) FList->SetTopIndex(std::max(0, row - FDropDownCount + 1));

    const TPoint origin = Parent() ? Parent()->ClientToScreen({Left(), Top()}) : ClientToScreen({0, 0});
    int top = origin.Y + Height() - 1 + (BorderStyle() == bsNone ? 1 : 0);
    const TRect work = Screen->WorkAreaRect();
    const int bottom = work.Bottom > work.Top ? work.Bottom : Screen->Height();
    if (top + height > bottom) top = origin.Y - height;
    int left = origin.X;
    if (left + width > Screen->Width()) left = origin.X + Width() - width;
    FListWindow->ShowAt(left, top, width, height);

    SetDroppedDown(true);
    FDroppedDownSet = true;
    if (CanFocus() && !Focused()) SetFocus();
    if (IsEditableStyle() && !FOpeningByTyping) SelectAll();
    FSavedShowHint = ShowHint();
    SetShowHint(false);
    Invalidate();
    WatchDropDown({FListWindow, FList});
    FTextAtDropDown = Text();
}

void TqzDBCustomComboBox::CloseUp(bool Accept) {
    if (IsDroppedDown()) {
        if (GetCaptureControl()) SetCaptureControl(nullptr);
        std::string chosen;
        int row = FList ? FList->ItemIndex() : -1;
        const bool rowChosen = Accept && !ReadOnly() && row >= 0;
        if (rowChosen && !RowFits(FList->Items()->Strings(row))) {
            chosen = Text();  // refused: the shown text stays
            row = FindItemIndex(chosen, 0);
        } else if (rowChosen) {
            chosen = FList->Items()->Strings(row);
        } else if (FStyle == csDropDown || (FStyle == csDropDownList && row < 0)) {
            chosen = Text();
        }
        if (FListWindow) FListWindow->ClosePopup();
        StopWatchingDropDown();
        SetDroppedDown(false);
        FDroppedDownSet = false;
        if (Accept && (DataSource() || !ReadOnly()) && chosen != FTextAtDropDown) {
            FClosingUp = true;
            try {
                if (EditCanModify()) {
                    FItemIndex = row;
                    if (!(chosen.empty() && FStyle == csDropDown && !FMapList)) SetText(chosen);
                    SetModifiedState(true);
                    if (FHistoryList->Enabled() && Modified()) {
                        AddHistoryItem(Text(), true);
                        SaveHistory();
                    }
                }
            } catch (...) {
                FClosingUp = false;
                throw;
            }
            FClosingUp = false;
        }
        Invalidate();
        if (Focused()) SelectAll();
        if (auto* self = dynamic_cast<TqzDBComboBox*>(this); self && FOnCloseUp.Assigned())
            FOnCloseUp(self, Accept);
        SetShowHint(FSavedShowHint);
        return;
    }
    if (Accept && Text().empty() && !FMapList) SetItemIndex(-1);
}

void TqzDBCustomComboBox::ListMouseUp() { CloseUp(true); }

void TqzDBCustomComboBox::ListSelectionChanged() {
    if (!IsDroppedDown() || !FList) return;
    const int row = FList->ItemIndex();
    if (row < 0) return;
    if (DataSource()) {
        // Without its field (a closed dataset) a bound combo takes nothing.
        TDataSet* ds = DataLink()->DataSet();
        if (!Field() || !ds || (ds->State() != dsEdit && ds->State() != dsInsert)) {
            if (!EditCanModify()) return;
        }
    } else if (ReadOnly()) {
        return;
    }
    if (!RowFits(FList->Items()->Strings(row))) return;
    SetText(FList->Items()->Strings(row));
    SetModifiedState(true);
    if (IsEditableStyle()) SelectAll();
}

// ---- History -------------------------------------------------------------------------------

void TqzDBCustomComboBox::AddHistoryItem(const std::string& Value, bool MoveToTop) {
    const std::string v = Trim(Value);
    if (v.empty()) return;
    TStringList* entries = FHistoryList->Entries();
    int at = -1;
    for (int i = 0; i < entries->Count() && at < 0; ++i)
        if (entries->Strings(i) == v) at = i;
    if (at < 0 && FOnAddHistoryItem.Assigned()) {
        bool accept = true;
        FOnAddHistoryItem(this, v, accept);
        if (!accept) return;
    }
    if (at < 0)
        entries->Add(v);
    else if (MoveToTop) {
        entries->Delete(at);
        entries->Add(v);
    }
    if (FList && FList->Items()->IndexOf(v) < 0) FList->Items()->Add(v);
    FNeedsRebuild = true;
}

void TqzDBCustomComboBox::DeleteHistoryItem(const std::string& Value, bool FromHistory) {
    if (FromHistory) {
        TStringList* entries = FHistoryList->Entries();
        for (int i = entries->Count() - 1; i >= 0; --i)
            if (entries->Strings(i) == Value) entries->Delete(i);
    }
    for (int i = FItems->Count() - 1; i >= 0; --i)
        if (FItems->Strings(i) == Value) FItems->Delete(i);
    FNeedsRebuild = true;
}

void TqzDBCustomComboBox::ClearHistory() {
    FHistoryList->Entries()->Clear();
    FHistoryList->Save();
    FNeedsRebuild = true;
}

void TqzDBCustomComboBox::SaveHistory() { FHistoryList->Save(); }

// ---- Keys ----------------------------------------------------------------------------------

bool TqzDBCustomComboBox::SelectItem(int Index) {
    EnsureList();
    if (Index < 0 || Index >= FList->Count()) return true;
    if (DataSource() ? !EditCanModify() : ReadOnly()) return true;
    if (!RowFits(FList->Items()->Strings(Index))) return true;
    // SetItemIndex fires OnChange, which may free the box.
    if (!RunWhileAlive(this, [&] { SetItemIndex(Index); })) return false;
    if (!RunWhileAlive(this, [this] { SetModifiedState(true); })) return false;
    SelectAll();
    return true;
}

bool TqzDBCustomComboBox::ClearValue() {
    if (DataSource() && Field() && !Text().empty()) {
        if (!EditCanModify()) return true;
    } else if (ReadOnly()) {
        return true;
    }
    // SetItemIndex fires OnChange, which may free the box.
    if (!RunWhileAlive(this, [this] { SetItemIndex(-1); })) return false;
    return RunWhileAlive(this, [this] { SetModifiedState(true); });
}

int TqzDBCustomComboBox::MatchRow(const std::string& Prefix) const {
    if (!FList) return -1;
    for (int i = FHistoryList->MRUCount(); i < FList->Count(); ++i)
        if (StartsWithText(FList->Items()->Strings(i), Prefix)) return i;
    return -1;
}

void TqzDBCustomComboBox::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (GetKeyState(VK_MENU) < 0) Shift += ssAlt;
    const bool alt = Shift.Contains(ssAlt);
    const bool ctrl = Shift.Contains(ssCtrl);
    if (IsDroppedDown() && FList) {
        if (Key == VK_TAB) {
            CloseUp(true);
        } else if (!alt && (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT)) {
            FList->ListKeyDown(Key, Shift);
            Key = 0;
            return;
        }
    }
    if (Key == VK_RETURN && FHistoryList->Enabled()) AddHistoryItem(Text(), true);
    if (FAutoDropDown && !IsDroppedDown() && !alt &&
        (Key == VK_SPACE || (Key >= 48 && Key <= 111) || Key > 145) && Key != VK_BACK && Key != VK_DELETE) {
        FOpeningByTyping = true;
        DropDown();
        FOpeningByTyping = false;
    }
    const bool clearKey = Key == VK_DELETE || Key == VK_BACK || (ctrl && Key == 'X');
    if (FShowMatchText && FStyle == csDropDownList && clearKey) {
        Key = 0;
        if (FAllowClearKey) ClearValue();
        return;
    }
    if (!IsEditableStyle() && (Key == VK_DELETE || Key == VK_BACK) && !FAllowClearKey) {
        Key = 0;
        return;
    }
    if (!IsDroppedDown() && !alt && (Key == VK_UP || Key == VK_DOWN)) {
        if (Field() || !ReadOnly()) {
            EnsureList();
            const int now = ItemIndex();
            if (!SelectItem(Key == VK_UP ? std::max(0, now - 1) : (now < 0 ? 0 : now + 1))) return;
        }
        if (OnKeyDown().Assigned()) OnKeyDown()(this, Key, Shift);
        Key = 0;
        return;
    }
    inherited::KeyDown(Key, Shift);
}

void TqzDBCustomComboBox::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (FAllowClearKey && (Key == VK_DELETE || Key == VK_BACK)) {
        const TControlWatch watch(this);
        if (!IsDroppedDown() && FStyle == csDropDownList && !FShowMatchText) {
            ClearValue();
        } else if (IsDroppedDown() && Text().empty()) {
            SetItemIndex(-1);
        }
        if (watch.Gone()) return;
    }
    inherited::KeyUp(Key, Shift);
}

void TqzDBCustomComboBox::KeyPress(char32_t& Key) {
    if (Key == U'\r') {
        Key = 0;
        return;
    }
    if (IsDroppedDown() && FList) {
        if (Key == 27) {
            char32_t k = Key;
            FList->ListKeyPress(k);
            return;
        }
        if (Key >= 32 || Key == 8) {
            FList->ListKeyPress(Key);
            Key = 0;
            return;
        }
    }
    if (Key == 24 && IsDroppedDown()) {
        Key = 0;
        return;
    }
    if (FStyle == csDropDownList) EnsureList();
    const bool printable = Key >= 32;
    if (!FShowMatchText || !printable) {
        if (!IsEditableStyle() && printable) {
            EnsureList();
            const std::string ch = Utf8Of(Key);
            const int n = FList->Count();
            for (int k = 1; k <= n; ++k) {
                const int row = (std::max(ItemIndex(), -1) + k) % n;
                if (StartsWithText(FList->Items()->Strings(row), ch)) {
                    SelectItem(row);
                    break;
                }
            }
            Key = 0;
            return;
        }
        if (!IsEditableStyle()) {
            Key = 0;
            return;
        }
        const bool autoFill = AutoFillDate();
        if (FMapList) SetAutoFillDate(false);
        if (RunWhileAlive(this, [&] { inherited::KeyPress(Key); })) SetAutoFillDate(autoFill);
        return;
    }
    // Completion: typing at the end of the text finds the first row that
    // starts with what is typed and shows the rest of it selected.
    const std::string text = Text();
    if (SelStart() + SelLength() >= static_cast<int>(text.size())) {
        EnsureList();
        const std::string prospective =
            text.substr(0, static_cast<size_t>(std::max(0, SelStart()))) + Utf8Of(Key);
        const int row = MatchRow(prospective);
        if (row >= 0) {
            if (!SelectItem(row)) return;
            if (!DataSource() || (DataLink()->DataSet() && DataLink()->Editing())) {
                const std::string full = FList->Items()->Strings(row);
                SetSelStart(static_cast<int>(prospective.size()));
                SetSelLength(static_cast<int>(full.size() - prospective.size()));
            }
            Key = 0;
            return;
        }
        if (FStyle == csDropDownList) {
            Key = 0;
            return;
        }
    }
    if (!IsEditableStyle()) {
        Key = 0;
        return;
    }
    inherited::KeyPress(Key);
}

void TqzDBCustomComboBox::DoEnter() {
    if (FHistoryList->Enabled()) RebuildList();
    inherited::DoEnter();
}

void TqzDBCustomComboBox::CMExit(TMessage& Message) {
    if (IsDroppedDown()) CloseUp(true);
    if (FHistoryList->Enabled() && Modified()) {
        AddHistoryItem(Text(), true);
        SaveHistory();
    }
    inherited::CMExit(Message);
}

void TqzDBCustomComboBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PASTE:
        if (FStyle == csDropDownList) return;
        break;
    case WM_CUT:
    case WM_CLEAR:
        if (FStyle == csDropDownList && FShowMatchText && !FAllowClearKey) return;
        break;
    case CM_CANCELMODE: {
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        if (IsDroppedDown() && (sender == FList || sender == FListWindow)) return;
        break;
    }
    default: break;
    }
    inherited::Dispatch(Message);
}

void TqzDBCustomComboBox::Publish(TPublisher<TqzDBCustomComboBox>& p) {
    using Self = TqzDBCustomComboBox;
    p.Property("MapList", &Self::MapList, &Self::SetMapList);
    p.Property(
        "Items", [](Self& c) { return static_cast<TStrings*>(c.Items()); },
        [](Self& c, TStrings* v) { c.SetItems(v); });
    p.Property("DropDownCount", &Self::DropDownCount, &Self::SetDropDownCount);
    p.Property("ItemHeight", &Self::ItemHeight, &Self::SetItemHeight);
    p.Property("AllowClearKey", &Self::AllowClearKey, &Self::SetAllowClearKey);
    p.Property("Style", &Self::Style, &Self::SetStyle);
    p.Property("DropDownWidth", &Self::DropDownWidth, &Self::SetDropDownWidth);
    p.Property("AutoDropDown", &Self::AutoDropDown, &Self::SetAutoDropDown);
    p.Property("ShowMatchText", &Self::ShowMatchText, &Self::SetShowMatchText);
    p.Property("HistoryList", &Self::HistoryList, &Self::SetHistoryList);
    p.Property("DisableDropDownList", &Self::DisableDropDownList, &Self::SetDisableDropDownList);
    p.Property("Column1Width", &Self::Column1Width, &Self::SetColumn1Width);
    p.Property("TwoColumnDisplay", &Self::TwoColumnDisplay, &Self::SetTwoColumnDisplay);
    p.Property("Sorted", &Self::Sorted, &Self::SetSorted);
    p.Property("OnDropDown", &Self::OnDropDown, &Self::SetOnDropDown);
    p.Property("OnCloseUp", &Self::OnCloseUp, &Self::SetOnCloseUp).SetTypeName("TqzComboCloseUpEvent");
}

void TqzDBComboBox::Publish(TPublisher<TqzDBComboBox>& p) {
    TWinControl::PublishBevel(p);
    TControl::PublishDrag(p);
    TWinControl::PublishIme(p);
    p.Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode);
    using Self = TqzDBComboBox;
    p.Property(
        "Text", [](Self& c) { return c.Text(); }, [](Self& c, const std::string& v) { c.SetText(v); });
    p.Property(
        "ItemIndex", [](Self& c) { return c.ItemIndex(); }, [](Self& c, int v) { c.SetItemIndex(v); });
    qzPublishDataEdit(p);
    p.Property(
        "ShowButton", [](Self& c) { return c.GetShowButton(); }, [](Self& c, bool v) { c.SetShowButton(v); });
    p.Property("LimitEditRect", &Self::LimitEditRect, &Self::SetLimitEditRect);
    p.Property(
        "UnboundAlignment", [](Self& c) { return c.UnboundAlignment(); },
        [](Self& c, TAlignment v) { c.SetUnboundAlignment(v); });
    p.Property("OnAddHistoryItem", &Self::OnAddHistoryItem, &Self::SetOnAddHistoryItem)
        .SetTypeName("TqzAddHistoryItemEvent");
    p.Property("OnDrawItem", &Self::OnDrawItem, &Self::SetOnDrawItem).SetTypeName("TDrawItemEvent");
    p.Property("OnMeasureItem", &Self::OnMeasureItem, &Self::SetOnMeasureItem)
        .SetTypeName("TMeasureItemEvent");
}
