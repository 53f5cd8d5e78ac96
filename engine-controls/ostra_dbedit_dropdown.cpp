// TOstraDBEdit: opening and closing the drop-down, keys and mouse.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine-controls/ostra_calculator.h"
#include "engine-controls/ostra_dbedit.h"
#include "engine-controls/ostra_dbedit_panels.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_link.h"
#include "platform/ui/forms.h"
#include "platform/ui/popup_window.h"

namespace {

// Posted to the edit after it lost the focus while dropped down.
unsigned FocusCheckMessage() {
    static const unsigned msg = RegisterWindowMessage("TOstraDBEdit.FocusCheck");
    return msg;
}

// The value as a date, without raising: dates and numbers as they are,
// texts through the short date format.
bool ValueAsDate(const Variant& V, TDateTime& Date) {
    switch (V.VarType()) {
    case varDate:
    case varDouble:
    case varCurrency:
    case varSmallint:
    case varInteger:
    case varInt64: Date = V.AsDouble(); return std::isfinite(Date);
    case varString: {
        const std::string s = Trim(V.AsString());
        return !s.empty() && (TryStrToDate(s, Date) || TryStrToDateTime(s, Date));
    }
    default: return false;
    }
}

// The value as a number, without raising.
bool ValueAsNumber(const Variant& V, double& Number) {
    switch (V.VarType()) {
    case varDate:
    case varDouble:
    case varCurrency:
    case varSmallint:
    case varInteger:
    case varInt64: Number = V.AsDouble(); return std::isfinite(Number);
    case varString: return TryStrToFloat(Trim(V.AsString()), Number) && std::isfinite(Number);
    default: return false;
    }
}

bool IsBlankValue(const Variant& V) {
    return VarIsEmpty(V) || VarIsNull(V) || (V.VarType() == varString && V.AsString().empty());
}

}  // namespace

// ---- Opening --------------------------------------------------------------------------------

void TOstraDBEdit::DropDown() {
    if (FDroppedDown) return;
    if (!FDropDownPrepared) PrepareDropDown();
    if (FActiveDropDown) {
        if (!RunWhileAlive(this, [this] { FOnDropDown(this); })) return;
        ShowDropDown();
    } else if (FOnCustomDlg.Assigned()) {
        RunCustomDlg();
    }
}

void TOstraDBEdit::RunCustomDlg() {
    FDroppedDown = true;
    Invalidate();
    const TControlWatch watch(this);
    try {
        if (FieldBound() && FDataLink->DataSet()->CanModify()) FDataLink->Edit();
        FOnCustomDlg(this);
    } catch (...) {
        if (watch.Gone()) throw;
        FDroppedDown = false;
        Invalidate();
        throw;
    }
    if (watch.Gone()) return;
    FDroppedDown = false;
    Invalidate();
}

void TOstraDBEdit::ShowDropDown() {
    TWinControl* popup = FActiveDropDown;
    const int width =
        FDropDownWidth > 0 ? static_cast<int>(std::min<unsigned>(FDropDownWidth, 32767)) : Width();
    const bool blank = IsBlankValue(FValue);
    const std::string valueText = VarIsEmpty(FValue) || VarIsNull(FValue) ? std::string() : FValue.AsString();
    try {
        if (popup == FLookupList) {
            FLookupList->SetBounds(FLookupList->Left(), FLookupList->Top(), width, FLookupList->Height());
            try {
                // Locates the value's record (again, wherever the dataset
                // went meanwhile); a value of the wrong kind chooses none.
                FLookupList->SetKeyValue(Null());
                FLookupList->SetKeyValue(FValue);
            } catch (const Exception&) {
                FLookupList->SetKeyValue(Null());
            }
            if (LookupProps()->KindSearch() == oksFilter) {
                const auto& fields = LookupProps()->ListFields();
                const std::string searchField =
                    fields.empty() ? std::string()
                                   : fields[static_cast<size_t>(LookupProps()->EffectiveViewFieldIndex())];
                FLookupList->StartFilterSearch(searchField);
            }
        } else if (popup == FTree) {
            FTree->FullExpand();
            FTree->SetSelected(blank ? nullptr : FTree->FindNodeByValue(valueText));
            FTree->SetBounds(FTree->Left(), FTree->Top(), width, 200);
        } else if (popup == FValueList) {
            FValueList->ClearSearch();
            TControlCanvas canvas;
            canvas.SetControl(FValueList);
            canvas.SetFont(FValueList->Font());
            FValueList->SetItemHeight(std::max(11, canvas.TextHeight("Wg") + 2));
            const int count = FValueList->Count();
            const int rows = std::min(count, static_cast<int>(std::min<unsigned>(FDropDownRows, 1000)));
            FValueList->SetBounds(FValueList->Left(), FValueList->Top(), width,
                                  rows * FValueList->ItemHeight() + 4);
            TOstraComboProperties* cp = ComboProps();
            int index = -1;
            if (!VarIsEmpty(FValue) && !VarIsNull(FValue))
                index = cp->ValueMapped() ? cp->ComboValues()->IndexOf(valueText)
                                          : cp->ComboItems()->IndexOf(valueText);
            FValueList->SetItemIndex(index);
            int widest = 0;
            for (int i = 0; i < count; ++i)
                widest = std::max(widest, canvas.TextWidth(FValueList->Items()->Strings(i)) + 8);
            if (count > rows) widest += 16;  // room for the scroll bar
            if (widest > FValueList->ClientWidth()) FValueList->SetClientWidth(widest);
        } else if (popup == FCalendar) {
            TDateTime date = 0;
            FCalendar->SetDate(!blank && ValueAsDate(FValue, date) ? date : Date());
        } else if (popup == FCalculator) {
            double number = 0;
            FCalculator->SetDisplay(!blank && ValueAsNumber(FValue, number) ? number : 0);
        }
        PlaceDropDown(popup);
    } catch (...) {
        popup->SetVisible(false);
        if (popup == FLookupList) FLookupList->StopFilterSearch();
        throw;
    }
    // Dropped down only now that the panel shows.
    FDroppedDown = true;
    WatchOutsideClicks(this, {popup});
    Invalidate();
}

void TOstraDBEdit::PlaceDropDown(TWinControl* Popup) {
    const TPoint origin = ClientOrigin();
    const TRect nc = NonClientMargins();
    const int editLeft = origin.X - nc.Left;
    const int editTop = origin.Y - nc.Top;
    const int w = Popup->Width();
    const int h = Popup->Height();
    const int screenWidth = Screen ? Screen->Width() : std::numeric_limits<int>::max();
    const int screenHeight = Screen ? Screen->Height() : std::numeric_limits<int>::max();
    int x = editLeft;
    int y = editTop + Height();
    if (x + w > screenWidth) x = screenWidth - w;
    if (y + h > screenHeight) y = editTop - h;
    Popup->SetBounds(x, y, w, h);
    Popup->SetVisible(true);
}

// ---- Closing ----------------------------------------------------------------------------------

bool TOstraDBEdit::TakeChoice(Variant& NewValue, std::string& NewText, bool& HasText) {
    HasText = false;
    if (!FActiveDropDown) return false;
    if (FActiveDropDown == FValueList) {
        TOstraComboProperties* cp = ComboProps();
        const int index = FValueList->ItemIndex();
        if (index >= 0 && index < cp->ItemCount()) {
            NewText = cp->ComboItems()->Strings(index);
            HasText = true;
            NewValue = cp->ValueMapped() ? Variant(cp->ComboValues()->Strings(index)) : Variant(NewText);
            return true;
        }
        // Nothing chosen: a list of set values keeps its value; a free
        // combo takes the typed text.
        if (ListedValuesOnly()) return false;
        const std::string text = Text();
        NewValue = text.empty() ? Variant(FClearValue) : Variant(text);
        return true;
    }
    if (FActiveDropDown == FLookupList) {
        if (!FLookupList->HasSelection()) return false;
        NewValue = FLookupList->KeyValue();
        NewText = FLookupList->SelectedItem();
        HasText = true;
        return true;
    }
    if (FActiveDropDown == FTree) {
        TTreeNode* node = FTree->Selected();
        if (!node) return false;
        NewValue = Variant(TOstraPopupTree::NodeValue(node));
        NewText = TOstraPopupTree::NodePath(node, TreeProps()->PathSeparator());
        HasText = true;
        return true;
    }
    if (FActiveDropDown == FCalendar) {
        NewValue = Variant::FromDateTime(FCalendar->Date());
        NewText = DateToStr(FCalendar->Date());
        HasText = true;
        return true;
    }
    if (FActiveDropDown == FCalculator) {
        double number = 0;
        if (!TryStrToFloat(Trim(FCalculator->DisplayText()), number) ||
            FCalculator->Status() == TOstraCalculator::stError)
            return false;
        NewValue = Variant(number);
        NewText = FCalculator->DisplayText();
        HasText = true;
        return true;
    }
    return false;
}

void TOstraDBEdit::CloseUp(bool Accept) {
    // The choice is read while the drop-down still shows it.
    Variant newValue;
    std::string newText;
    bool hasText = false;
    const bool chosen = Accept && FDroppedDown && TakeChoice(newValue, newText, hasText);
    if (Accept) SetModified(true);
    const bool wasDropped = FDroppedDown;
    if (FDroppedDown) {
        StopTracking();
        FForwardingMouse = false;
        if (FActiveDropDown) FActiveDropDown->SetVisible(false);
        if (FActiveDropDown == FLookupList) FLookupList->StopFilterSearch();
        FDroppedDown = false;
        StopOutsideClicks(this);
    }
    if (chosen && EditCanModify()) {
        FValue = newValue;
        if (hasText) SetShownText(newText);
        if (FieldBound()) FDataLink->Modified();
        UpdateData(nullptr);
    } else if (wasDropped && !Accept && FActiveDropDown == FCalculator) {
        // The calculator showed its work in the text: back to the value.
        ShowValue(FValue, VarIsEmpty(FValue) || VarIsNull(FValue) ? std::string() : FValue.AsString());
    }
    Invalidate();
    if (!RunWhileAlive(this, [&] { FOnCloseUp(this, Accept); })) return;
    // Closed because the focus went elsewhere: it stays there.
    if (!FClosingForFocusLoss && !ComponentState().Contains(csDestroying) && CanFocus() && !Focused()) {
        try {
            SetFocus();
        } catch (const Exception&) {}
    }
    SelectAll();
}

void TOstraDBEdit::CalendarSelectDate(TObject*) { CloseUp(true); }

void TOstraDBEdit::CalculatorExit(TObject*, bool Accept) { CloseUp(Accept); }

void TOstraDBEdit::PopupMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft || !FDroppedDown) return;
    if (Sender == FTree && FTree->GetHitTestInfoAt(X, Y).Contains(htOnButton)) return;
    auto* control = dynamic_cast<TControl*>(Sender);
    CloseUp(control && PtInRect(control->ClientRect(), TPoint{X, Y}));
}

// ---- Keys -------------------------------------------------------------------------------------

void TOstraDBEdit::RemovePendingChar() {
    TMessage pending;
    PeekMessage(pending, this, WM_CHAR, WM_CHAR, true);
}

bool TOstraDBEdit::HandleListKey(uint16_t& Key, TShiftState Shift) {
    const bool alt = Shift.Contains(ssAlt);
    if ((Key == VK_UP || Key == VK_DOWN) && alt) {
        Key = 0;
        if (FDroppedDown)
            CloseUp(true);
        else
            DropDown();
        return true;
    }
    // The calculator takes Enter and Escape itself (its OK and Cancel).
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && FDroppedDown && !alt && FActiveDropDown != FCalculator) {
        const bool accept = Key == VK_RETURN;
        Key = 0;
        RemovePendingChar();
        CloseUp(accept);
        return true;
    }
    return false;
}

void TOstraDBEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (Key == VK_RETURN && Shift.Contains(ssCtrl) && FDialogStyle == odsCustomDlg) {
        if (!RunWhileAlive(this, [this] { FOnCustomDlg(this); })) return;
        RemovePendingChar();
    }
    if (FDroppedDown && FActiveDropDown == FCalculator) {
        Key = 0;
        return;
    }
    if (HandleListKey(Key, Shift)) return;
    if ((Key == VK_UP || Key == VK_DOWN) && !FDroppedDown && !Shift.Contains(ssAlt)) {
        PostNextControl(Key == VK_DOWN);
        Key = 0;
        return;
    }
    if (Key == VK_DELETE || Key == VK_BACK || (Key == VK_INSERT && Shift.Contains(ssShift))) {
        if (ListedValuesOnly() && Key == VK_DELETE) {
            // Only the list chooses the value: nothing is deleted.
            Key = 0;
            return;
        }
        if (FieldBound() && FDataLink->DataSet()->CanModify() && !ListedValuesOnly()) FDataLink->Edit();
    }
    inherited::KeyDown(Key, Shift);
}

void TOstraDBEdit::KeyPress(char32_t& Key) {
    if (FDroppedDown && FActiveDropDown == FCalculator) {
        Key = 0;
        return;
    }
    const bool printable = Key >= 32 && Key != 127;
    if (printable && FStyle == ocsDropDown && FieldBound()) {
        const char probe = Key < 256 ? static_cast<char>(Key) : static_cast<char>(0xFF);
        if (!Field()->IsValidChar(probe)) {
            MessageBeep(0);
            Key = 0;
            return;
        }
    }
    if (Key == 27) {
        Reset();
        Key = 0;
        return;
    }
    if (Key == 13) {
        if (!FDroppedDown) {
            if (FEnterAsTab) {
                PostNextControl(true);
            } else if (TCustomForm* form = GetParentForm(this)) {
                form->Perform(CM_DIALOGKEY, VK_RETURN, 0);
            }
        }
        Key = 0;
        return;
    }
    if (Key == U' ' && FStyle == ocsDropDownList && !FDroppedDown && HasDropDownStyle()) {
        Key = 0;
        DropDown();
        return;
    }
    if (ListedValuesOnly() && (printable || Key == 8 || Key == 22 || Key == 24 || Key == 26)) {
        // Typing, Backspace, paste, cut and undo cannot change a value that
        // only the list may choose.
        if (printable || Key == 8) MessageBeep(0);
        Key = 0;
        return;
    }
    if (printable || Key == 8 || Key == 22 || Key == 24) {
        const TControlWatch watch(this);
        if (FieldBound() && FDataLink->DataSet()->CanModify() && !FDataLink->Editing()) FDataLink->Edit();
        if (!watch.Gone() && printable && SelLength() > 0) ClearSelection();  // OnChange
        if (watch.Gone()) return;
    }
    inherited::KeyPress(Key);
}

// ---- Mouse ----------------------------------------------------------------------------------

void TOstraDBEdit::TrackButton(int X, int Y) {
    const bool pressed = PtInRect(ButtonRect(), TPoint{X, Y});
    if (pressed == FPressed) return;
    FPressed = pressed;
    Invalidate();
}

void TOstraDBEdit::StopTracking() {
    if (!FTracking) return;
    FTracking = false;
    if (FPressed) {
        FPressed = false;
        Invalidate();
    }
    if (MouseCapture()) SetMouseCapture(false);
}

void TOstraDBEdit::ForwardMouse(unsigned Msg, int X, int Y) {
    TWinControl* popup = FActiveDropDown;
    if (!FDroppedDown || !popup || !popup->Visible()) return;
    const TPoint local = popup->ScreenToClient(ClientToScreen(TPoint{X, Y}));
    SendMessage(popup, Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MakeLParam(local.X, local.Y));
}

void TOstraDBEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    // The drop-down's handlers may free the edit.
    const TControlWatch watch(this);
    if (Button == mbLeft && FDialogStyle != odsEdit) {
        const bool onButton = PtInRect(ButtonRect(), TPoint{X, Y});
        if (onButton || FStyle != ocsDropDown) {
            if (FDroppedDown) {
                CloseUp(false);
            } else {
                SetMouseCapture(true);
                FTracking = true;
                TrackButton(X, Y);
                if (FDialogStyle != odsCustomDlg) DropDown();
            }
        }
    }
    if (watch.Gone()) return;
    inherited::MouseDown(Button, Shift, X, Y);
}

void TOstraDBEdit::UpdateCursor(int X, int Y) {
    const bool hand = FDialogStyle != odsEdit && !ComponentState().Contains(csDesigning) &&
                      (FStyle == ocsDropDownList || PtInRect(ButtonRect(), TPoint{X, Y}));
    if (hand == FHandCursor) return;
    // The hand shows over the button; the edit's own cursor elsewhere.
    if (hand) FSavedCursor = Cursor();
    FHandCursor = hand;
    SetCursor(hand ? crHandPoint : FSavedCursor);
}

void TOstraDBEdit::MouseMove(TShiftState Shift, int X, int Y) {
    UpdateCursor(X, Y);
    if (FTracking) {
        TrackButton(X, Y);
        TWinControl* popup = FActiveDropDown;
        if (FDroppedDown && popup && popup->Visible()) {
            const TPoint local = popup->ScreenToClient(ClientToScreen(TPoint{X, Y}));
            if (PtInRect(popup->ClientRect(), local)) {
                // Dragged into the list: it takes over the button press.
                StopTracking();
                FForwardingMouse = true;
                SendMessage(popup, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(local.X, local.Y));
            }
        }
    } else if (FForwardingMouse) {
        ForwardMouse(WM_MOUSEMOVE, X, Y);
    }
    inherited::MouseMove(Shift, X, Y);
}

void TOstraDBEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TControlWatch watch(this);
    if (FForwardingMouse && Button == mbLeft) {
        FForwardingMouse = false;
        ForwardMouse(WM_LBUTTONUP, X, Y);
    } else if (FTracking) {
        const bool wasPressed = FPressed;
        StopTracking();
        if (FDialogStyle == odsCustomDlg && wasPressed && Button == mbLeft) DropDown();
    }
    if (watch.Gone()) return;
    inherited::MouseUp(Button, Shift, X, Y);
}

// ---- Messages ---------------------------------------------------------------------------------

void TOstraDBEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
        if (!HasDropDownStyle()) break;
        if (Message.Msg != WM_CHAR) {
            auto key = static_cast<uint16_t>(Message.WParam);
            if (HandleListKey(key, KeyDataToShiftState(Message.LParam))) {
                Message.Result = 0;
                return;
            }
        } else if (!FDroppedDown && Message.WParam > 32 &&
                   (FDialogStyle == odsCombo || FDialogStyle == odsLookup) && FAutoDropDown) {
            if (!RunWhileAlive(this, [this] { DropDown(); })) return;
        }
        if (FDroppedDown && FActiveDropDown) {
            if (FActiveDropDown == FCalculator) {
                // The calculator takes every key; the characters they type are dropped.
                if (Message.Msg == WM_CHAR) return;
                RemovePendingChar();
            }
            SendMessage(FActiveDropDown, Message.Msg, Message.WParam, Message.LParam);
            Message.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONDBLCLK:
        // A double click on the button does nothing more than its clicks.
        if (FDialogStyle != odsEdit && PtInRect(ButtonRect(), MousePos(Message))) return;
        break;
    default: break;
    }
    inherited::WndProc(Message);
}

void TOstraDBEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
        if (ListedValuesOnly()) return;
        if ((Message.Msg == WM_CUT || Message.Msg == WM_PASTE) && !ReadOnly() && !EditCanModify()) return;
        break;
    case CM_CANCELMODE: CMCancelMode(Message); return;
    case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
    default:
        if (Message.Msg == FocusCheckMessage()) {
            FFocusCheckPosted = false;
            FocusCheck();
            return;
        }
        break;
    }
    inherited::Dispatch(Message);
}

void TOstraDBEdit::WMGetDlgCode(TMessage& Message) {
    inherited::WMGetDlgCode(Message);
    if (FDroppedDown) Message.Result |= DLGC_WANTALLKEYS;
}

void TOstraDBEdit::WMKillFocus(TMessage& Message) {
    inherited::WMKillFocus(Message);
    // Decided once the focus has settled: a click on the drop-down hands
    // the focus back to the edit.
    if (FDroppedDown && !FFocusCheckPosted) FFocusCheckPosted = PostMessage(this, FocusCheckMessage(), 0, 0);
}

void TOstraDBEdit::DropDownActivated() {
    FDropDownActivated = true;
    if (FDroppedDown && !FFocusCheckPosted) FFocusCheckPosted = PostMessage(this, FocusCheckMessage(), 0, 0);
}

void TOstraDBEdit::FocusCheck() {
    const bool byDropDown = FDropDownActivated;
    FDropDownActivated = false;
    if (!FDroppedDown || !FActiveDropDown || !FActiveDropDown->Visible() || Focused()) return;
    if (byDropDown || FActiveDropDown->Focused()) {
        // The drop-down's window took the keyboard: it goes back to the edit.
        if (CanFocus()) {
            try {
                SetFocus();
            } catch (const Exception&) {}
        }
        return;
    }
    CloseUpLeavingFocus(true);
}

void TOstraDBEdit::CloseUpLeavingFocus(bool LeaveFocus) {
    FClosingForFocusLoss = LeaveFocus;
    const TControlWatch watch(this);
    try {
        CloseUp(false);
    } catch (...) {
        if (!watch.Gone()) FClosingForFocusLoss = false;
        throw;
    }
    if (!watch.Gone()) FClosingForFocusLoss = false;
}

void TOstraDBEdit::WMCancelMode(TMessage& Message) {
    StopTracking();
    inherited::WMCancelMode(Message);
}

void TOstraDBEdit::CMCancelMode(TMessage& Message) {
    auto* sender = reinterpret_cast<TControl*>(Message.LParam);
    if (!FDroppedDown || sender == this) return;
    if (FActiveDropDown && (sender == FActiveDropDown || (sender && sender->Parent() == FActiveDropDown)))
        return;
    // From the watch (a click outside, the window moved or deactivated): the
    // focus is where the user left it.
    CloseUpLeavingFocus(sender == nullptr);
}
