// The lookup combo's keys, messages and search as you type.
#include "suite/grid/qzlookupcombo.h"

#include <algorithm>

#include "platform/core/case_fold.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/messages.h"
#include "platform/ui/timer.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qztablesearch.h"

namespace {

// The sentinel last text after Backspace or Delete with the grid open: the
// next search step does not complete the text again.
const char* const kNoCompletion = "~~~~";

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
    if (!RunWhileAlive(this, [this] { inherited::Change(); })) return;  // OnChange
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
    if (IsDroppedDown() && !RunWhileAlive(this, [this] { CloseUp(true); })) return;
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
        if (const int room = f && f->DataType() == ftString ? TextRoomOf(f) : 0;
            room > 0 && static_cast<int>(text.size()) > room)
            text = Utf8Truncate(text, static_cast<size_t>(room));
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
    // the field's room is in bytes: cut at a whole letter (none where texts are kept whole)
    if (const int room = f->DataType() == ftString ? TextRoomOf(f) : 0;
        room > 0 && static_cast<int>(text.size()) > room)
        text = Utf8Truncate(text, static_cast<size_t>(room));
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

void TqzDBCustomLookupCombo::DoPerformCustomSearch(const std::string& FieldName,
                                                   const std::string& SearchText, bool PerformLookup,
                                                   bool& Found) {
    if (FOnPerformCustomSearch.Assigned())
        FOnPerformCustomSearch(this, FLookupTable, FieldName, SearchText, PerformLookup, Found);
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
