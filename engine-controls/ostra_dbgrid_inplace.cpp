// The engine grid's cell editor and its drop-downs.
#include "engine-controls/ostra_dbgrid_inplace.h"

#include <algorithm>
#include <limits>

#include "engine-controls/ostra_dbedit_panels.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine-controls/ostra_dbgrid_columns.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/popup_window.h"

namespace {

// Posted to the editor after it lost the focus while dropped down.
unsigned InplaceFocusCheckMessage() {
    static const unsigned msg = RegisterWindowMessage("TOstraDBGridInplaceEdit.FocusCheck");
    return msg;
}

TOstraDBGridInplaceEdit* EditorOf(const TComponent* Popup) {
    return dynamic_cast<TOstraDBGridInplaceEdit*>(Popup->Owner());
}

bool HandBack(const TComponent* Popup) {
    TOstraDBGridInplaceEdit* editor = EditorOf(Popup);
    if (!editor) return false;
    editor->DropDownActivated();
    return true;
}

// The first item that begins with Text, letter case ignored; -1 for none.
int FindPrefix(TStrings* Items, const std::string& Text) {
    const std::string upper = AnsiUpperCase(Text);
    for (int i = 0; i < Items->Count(); ++i)
        if (AnsiUpperCase(Items->Strings(i)).compare(0, upper.size(), upper) == 0) return i;
    return -1;
}

}  // namespace

// ---- TPopupListbox ----------------------------------------------------------------------------------

TPopupListbox::TPopupListbox(TComponent* AOwner) : TCustomListBox(AOwner) {
    SetTabStop(false);
    SetVisible(false);
    SetIntegralHeight(true);
    SetItemHeight(11);
}

void TPopupListbox::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    OstraPopupParams(this, Params);
}

void TPopupListbox::KeyPress(char32_t& Key) {
    if (Key == 8 || Key == 27) {
        FSearchText.clear();
    } else if (Key >= 32 && Key <= 255) {
        const uint32_t now = GetTickCount();
        // Unsigned difference: right across the counter's wrap-around.
        if (now - FSearchTickCount > SearchResetMs) FSearchText.clear();
        FSearchTickCount = now;
        if (Utf8Length(FSearchText) < SearchMaxLength) FSearchText += Utf8Of(Key);
        const int found = FindPrefix(Items(), FSearchText);
        if (found >= 0) SetItemIndex(found);
        Key = 0;
    }
    inherited::KeyPress(Key);
}

void TPopupListbox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        const int index = ItemAtPos(TPoint{X, Y}, true);
        if (index >= 0) SetItemIndex(index);
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TPopupListbox::MouseMove(TShiftState Shift, int X, int Y) {
    // A press handed over from the editor's button follows the mouse.
    if (Shift.Contains(ssLeft)) {
        const int index = ItemAtPos(TPoint{X, Y}, true);
        if (index >= 0 && index != ItemIndex()) SetItemIndex(index);
    }
    inherited::MouseMove(Shift, X, Y);
}

void TPopupListbox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseUp(Button, Shift, X, Y);
    TOstraDBGridInplaceEdit* editor = EditorOf(this);
    if (!editor) return;
    const bool wasOpen = editor->ListVisible() && editor->ActiveList() == this;
    editor->ListMouseUp(this, Button, X, Y);
    if (editor->ListVisible() && editor->ActiveList() == this)
        editor->CloseUp(X >= 0 && X < Width() && Y >= 0 && Y < Height());
    if (wasOpen && !editor->ListVisible()) editor->TakeKeyboardBack();
}

void TPopupListbox::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_ACTIVATE) HandBack(this);
    inherited::Dispatch(Message);
}

void TPopupListbox::WMSetFocus(TMessage& Message) {
    if (!HandBack(this)) inherited::WMSetFocus(Message);
}

// ---- TOstraPopupCalendar ------------------------------------------------------------------------------

TOstraPopupCalendar::TOstraPopupCalendar(TComponent* AOwner) : TOstraCalendar(AOwner) {
    SetTabStop(false);
    SetVisible(false);
}

void TOstraPopupCalendar::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    OstraPopupParams(this, Params);
}

void TOstraPopupCalendar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseUp(Button, Shift, X, Y);
    TOstraDBGridInplaceEdit* editor = EditorOf(this);
    if (!editor) return;
    const bool wasOpen = editor->ListVisible() && editor->ActiveList() == this;
    editor->ListMouseUp(this, Button, X, Y);
    if (editor->ListVisible() && editor->ActiveList() == this) {
        if (X >= 2 && Y >= 41 && X < Width() - 2 && Y < Height() - 20)
            editor->CloseUp(true);
        else if (!(X >= 0 && Y >= 0 && X <= Width() && Y <= Height()))
            editor->CloseUp(false);
    }
    if (wasOpen && !editor->ListVisible()) editor->TakeKeyboardBack();
}

void TOstraPopupCalendar::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_ACTIVATE) HandBack(this);
    inherited::Dispatch(Message);
}

void TOstraPopupCalendar::WMSetFocus(TMessage& Message) {
    if (!HandBack(this)) inherited::WMSetFocus(Message);
}

// ---- TOstraGridPopupDataList --------------------------------------------------------------------------

TOstraGridPopupDataList::TOstraGridPopupDataList(TComponent* AOwner) : TPopupDataList(AOwner) {
    SetTabStop(false);
    SetVisible(false);
}

void TOstraGridPopupDataList::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    OstraPopupParams(this, Params);
}

void TOstraGridPopupDataList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseUp(Button, Shift, X, Y);
    if (TOstraDBGridInplaceEdit* editor = EditorOf(this)) {
        const bool wasOpen = editor->ListVisible() && editor->ActiveList() == this;
        editor->ListMouseUp(this, Button, X, Y);
        if (wasOpen && !editor->ListVisible()) editor->TakeKeyboardBack();
    }
}

void TOstraGridPopupDataList::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_ACTIVATE) HandBack(this);
    inherited::Dispatch(Message);
}

void TOstraGridPopupDataList::WMSetFocus(TMessage& Message) {
    if (!HandBack(this)) inherited::WMSetFocus(Message);
}

// ---- TOstraDBGridInplaceEdit -----------------------------------------------------------------------------

TOstraDBGridInplaceEdit::TOstraDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {
    FButtonWidth = GetSystemMetrics(SM_CXVSCROLL) - 4;
    FLookupSource = new TDataSource(this);
}

TOstraDBGridInplaceEdit::~TOstraDBGridInplaceEdit() = default;

TOstraCustomDBGrid* TOstraDBGridInplaceEdit::DBGrid() const {
    return dynamic_cast<TOstraCustomDBGrid*>(Grid());
}

TOstraColumn* TOstraDBGridInplaceEdit::CurrentColumn() const {
    TOstraCustomDBGrid* grid = DBGrid();
    if (!grid) return nullptr;
    const int index = grid->SelectedIndex();
    if (index < 0 || index >= grid->Columns()->Count()) return nullptr;
    return grid->Columns()->Items(index);
}

TRect TOstraDBGridInplaceEdit::ButtonRect() const {
    const int w = Width(), h = Height();
    TOstraCustomDBGrid* grid = DBGrid();
    if (grid && grid->UseRightToLeftAlignment()) return Rect(0, 0, FButtonWidth, h);
    return Rect(w - FButtonWidth, 0, w, h);
}

void TOstraDBGridInplaceEdit::UpdateContents() {
    TOstraCustomDBGrid* grid = DBGrid();
    TOstraColumn* column = CurrentColumn();
    TEditStyle style = esSimple;
    if (grid && column) {
        switch (column->ButtonStyle()) {
        case cbsCombo:
            if (column->HasPickList() && column->PickList()->Count() > 0 && !column->ReadOnly())
                style = esPickList;
            break;
        case cbsLookup: {
            TField* field = column->Field();
            if (field && column->LookupReady() && field->DataSet() &&
                field->DataSet()->FieldByName(column->LookupKeyField())->CanModify() && !column->ReadOnly() &&
                !grid->ReadOnly() && grid->DataLink()->Active() && !grid->DataLink()->ReadOnly())
                style = esDataList;
            break;
        }
        case cbsCalendar:
            if (!column->ReadOnly()) style = esCalendar;
            break;
        case cbsEllipsis: style = esEllipsis; break;
        default: break;
        }
    }
    SetEditStyle(style);
    inherited::UpdateContents();
    if (column) Font()->Assign(column->Font());
}

void TOstraDBGridInplaceEdit::SetEditStyle(TEditStyle Value) {
    if (Value == FEditStyle) return;
    if (FListVisible) CloseUp(false);
    FEditStyle = Value;
    switch (Value) {
    case esPickList:
        if (!FPickList) {
            FPickList = new TPopupListbox(this);
            FPickList->SetParent(this);
        }
        FActiveList = FPickList;
        break;
    case esDataList:
        if (!FDataList) {
            FDataList = new TOstraGridPopupDataList(this);
            FDataList->SetParent(this);
        }
        FActiveList = FDataList;
        break;
    case esCalendar:
        if (!FCalendar) {
            FCalendar = new TOstraPopupCalendar(this);
            FCalendar->SetParent(this);
            FCalendar->SetOnSelectDate(TNotifyEvent([this](TObject*) {
                CloseUp(true);
                TakeKeyboardBack();
            }));
        }
        FActiveList = FCalendar;
        break;
    default: FActiveList = nullptr; break;
    }
    if (TOstraColumn* column = CurrentColumn()) SetReadOnly(column->ReadOnly());
    BoundsChanged();
    Invalidate();
}

TRect TOstraDBGridInplaceEdit::BoundsOverCell(const TRect& Cell) const {
    TOstraCustomDBGrid* grid = DBGrid();
    if (FEditStyle != esCalendar || !grid || grid->UseRightToLeftAlignment()) return Cell;
    TBitmap measure;
    measure.Canvas()->Font()->Assign(Font());
    // a wide date in the short format, and the text shown
    const int text = std::max(measure.Canvas()->TextWidth(DateToStr(EncodeDate(2000, 12, 28))),
                              measure.Canvas()->TextWidth(Text()));
    // the text area's margins of two pixels, the caret, the button
    const int need = text + 5 + FButtonWidth;
    TRect r = Cell;
    r.Right = std::max(r.Right, std::min(r.Left + need, grid->ClientWidth()));
    return r;
}

void TOstraDBGridInplaceEdit::BoundsChanged() {
    inherited::BoundsChanged();
    if (FEditStyle == esSimple) return;
    TRect r = Rect(2, 2, Width() - 2, Height());
    TOstraCustomDBGrid* grid = DBGrid();
    if (grid && grid->UseRightToLeftAlignment())
        r.Left += FButtonWidth - 2;
    else
        r.Right -= FButtonWidth;
    r.Right = std::max(r.Left, r.Right);
    SetEditRect(r);
}

void TOstraDBGridInplaceEdit::FollowGridDirection() {
    CloseUp(false);
    inherited::FollowGridDirection();
}

// ---- Opening and closing ----------------------------------------------------------------------------

void TOstraDBGridInplaceEdit::DropDown() {
    if (FListVisible || !FActiveList) return;
    TOstraCustomDBGrid* grid = DBGrid();
    TOstraColumn* column = CurrentColumn();
    if (!grid || !column) return;
    grid->FBeforeDropDown(grid, column);
    if (!FActiveList) return;  // the handler may have changed the cell
    const int width = column->DropDownWidth() > 0
                          ? static_cast<int>(std::min<uint32_t>(column->DropDownWidth(), 32767))
                          : column->Width();
    const int rowsLimit = static_cast<int>(std::min<uint32_t>(column->DropDownRows(), 1000));
    TField* field = column->Field();
    if (FActiveList == FDataList) {
        FDataList->SetColor(column->Color());
        FDataList->Font()->Assign(column->Font());
        // As many rows as the lookup has records, up to DropDownRows.
        TDataSet* lookup = column->LookupDataSet();
        const int records = lookup && lookup->Active() ? lookup->RecordCount() : rowsLimit;
        FDataList->SetRowCount(std::max(1, std::min(records, rowsLimit)));
        FLookupSource->SetDataSet(column->LookupDataSet());
        FDataList->SetListField(column->LookupDropDownFields());
        FDataList->SetKeyField(column->LookupLinkField());
        FDataList->SetListSource(FLookupSource);
        FDataList->SetBounds(0, 0, width, FDataList->Height());
        if (column->LookupReady() && field && field->DataSet()) {
            const Variant key = field->DataSet()->FieldByName(column->LookupKeyField())->AsVariant();
            FDataList->SetKeyValue(key);
            column->LookupDataSet()->Locate(column->LookupLinkField(), key, {});
        }
    } else if (FActiveList == FPickList) {
        FPickList->SetColor(Color());
        FPickList->Font()->Assign(Font());
        FPickList->Items()->Assign(column->PickList());
        // Rows as tall as the font's lines.
        TControlCanvas canvas;
        canvas.SetControl(FPickList);
        canvas.SetFont(FPickList->Font());
        FPickList->SetItemHeight(std::max(11, canvas.TextHeight("Wg") + 2));
        const int rows = std::min(FPickList->Count(), rowsLimit);
        // The height below is already a whole number of rows; the integral
        // trimming would cut the 4 pixels of margin down to the border's 2.
        FPickList->SetIntegralHeight(false);
        FPickList->SetBounds(0, 0, width, FPickList->ItemHeight() * rows + 4);
        int index = -1;
        if (field && !field->IsNull()) {
            const bool mapped =
                column->HasPickValues() && column->PickValues()->Count() == column->PickList()->Count();
            index = (mapped ? column->PickValues() : column->PickList())->IndexOf(field->Text());
        }
        FPickList->SetItemIndex(index);
        int widest = 0;
        for (int i = 0; i < FPickList->Count(); ++i)
            widest = std::max(widest, FPickList->ItemClientWidth(FPickList->Items()->Strings(i)));
        if (FPickList->Count() > rows) widest += GetSystemMetrics(SM_CXVSCROLL);
        if (widest > FPickList->ClientWidth()) FPickList->SetClientWidth(widest);
    } else if (FActiveList == FCalendar) {
        FCalendar->SetDate(field && !field->IsNull() ? field->AsDateTime() : Date());
    }
    PlaceList(FActiveList);
    FListVisible = true;
    WatchOutsideClicks(this, {FActiveList});
    Invalidate();
}

void TOstraDBGridInplaceEdit::PlaceList(TWinControl* List) {
    const TPoint origin = ClientToScreen(TPoint{0, 0});
    const int w = List->Width();
    const int h = List->Height();
    const int screenWidth = Screen ? Screen->Width() : std::numeric_limits<int>::max();
    const int screenHeight = Screen ? Screen->Height() : std::numeric_limits<int>::max();
    int x = origin.X;
    int y = origin.Y + Height();
    if (x + w > screenWidth) x = std::max(0, screenWidth - w);
    if (y + h > screenHeight) y = origin.Y - h;
    List->SetBounds(x, y, w, h);
    List->SetVisible(true);
}

void TOstraDBGridInplaceEdit::CloseUp(bool Accept) {
    if (!FListVisible || !FActiveList) return;
    StopTracking();
    FForwardingMouse = false;
    if (MouseCapture()) SetMouseCapture(false);
    TOstraCustomDBGrid* grid = DBGrid();
    TOstraColumn* column = CurrentColumn();
    Variant listValue;
    std::string value;
    bool hasValue = false;
    if (FActiveList == FDataList) {
        listValue = FDataList->KeyValue();
    } else if (FActiveList == FPickList) {
        const int index = FPickList->ItemIndex();
        if (column && index >= 0 && index < column->PickList()->Count()) {
            const bool mapped =
                column->HasPickValues() && column->PickValues()->Count() == column->PickList()->Count();
            value = (mapped ? column->PickValues() : column->PickList())->Strings(index);
            hasValue = true;
        }
    } else if (FActiveList == FCalendar) {
        value = DateToStr(FCalendar->Date());
        hasValue = true;
    }
    FActiveList->SetVisible(false);
    FListVisible = false;
    StopOutsideClicks(this);
    if (FActiveList == FDataList) {
        FDataList->SetListSource(nullptr);
        FLookupSource->SetDataSet(nullptr);
    }
    Invalidate();
    if (Accept && column) {
        TField* field = column->Field();
        if (FActiveList == FDataList) {
            if (field && field->DataSet() && !VarIsEmpty(listValue) && !VarIsNull(listValue)) {
                TField* keyField = field->DataSet()->FieldByName(column->LookupKeyField());
                if (keyField->CanModify()) {
                    field->DataSet()->Edit();
                    keyField->SetAsVariant(listValue);
                }
            }
        } else if (hasValue && field && EditCanModify()) {
            field->SetText(value);
        }
    }
    if (grid && column) grid->FAfterCloseUp(grid, column, Accept);
}

void TOstraDBGridInplaceEdit::TakeKeyboardBack() {
    TOstraCustomDBGrid* grid = DBGrid();
    if (!grid || FListVisible || !grid->CanFocus()) return;
    TWinControl* focused = FocusedWinControl();
    const bool inList =
        focused && FActiveList && (focused == FActiveList || FActiveList->ContainsControl(focused));
    // Focus elsewhere in the program (not the list, not a hidden control) stays.
    if (focused && focused != this && !inList && focused->Visible()) return;
    if (focused == this && Visible()) return;
    try {
        if (TCustomForm* form = GetParentForm(grid); form && !form->Active() && form->CanFocus())
            form->SetFocus();
        if (Visible() && CanFocus())
            SetFocus();
        else
            grid->SetFocus();
    } catch (const Exception&) {}
}

void TOstraDBGridInplaceEdit::ListMouseUp(TWinControl* List, TMouseButton Button, int X, int Y) {
    if (Button != mbLeft || !FListVisible || List != FActiveList) return;
    CloseUp(PtInRect(List->ClientRect(), TPoint{X, Y}));
}

void TOstraDBGridInplaceEdit::DropDownActivated() {
    FDropDownActivated = true;
    if (FListVisible && !FFocusCheckPosted)
        FFocusCheckPosted = PostMessage(this, InplaceFocusCheckMessage(), 0, 0);
}

void TOstraDBGridInplaceEdit::FocusCheck() {
    const bool byDropDown = FDropDownActivated;
    FDropDownActivated = false;
    if (!FListVisible || !FActiveList || Focused()) return;
    if (byDropDown || FActiveList->Focused()) {
        // The drop-down took the keyboard: it goes back to the editor.
        if (CanFocus()) {
            try {
                SetFocus();
            } catch (const Exception&) {}
        }
        return;
    }
    CloseUp(false);
}

// ---- Keys ------------------------------------------------------------------------------------------------

bool TOstraDBGridInplaceEdit::DoDropDownKeys(uint16_t& Key, TShiftState Shift) {
    const bool alt = Shift.Contains(ssAlt);
    if ((Key == VK_UP || Key == VK_DOWN) && alt) {
        if (FEditStyle >= esPickList) {
            if (FListVisible)
                CloseUp(true);
            else
                DropDown();
        }
        Key = 0;
        return true;
    }
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && FListVisible && !alt) {
        const bool accept = Key == VK_RETURN;
        Key = 0;
        CloseUp(accept);
        return true;
    }
    if (Key == VK_UP || Key == VK_DOWN || Key == VK_RETURN || Key == VK_ESCAPE) return false;
    if (Key == VK_SPACE || (Key >= 48 && Key <= 90) || (Key >= 96 && Key <= 105)) return false;
    TOstraCustomDBGrid* grid = DBGrid();
    if (grid && grid->FOnSpecialKeyDown.Assigned()) {
        grid->FOnSpecialKeyDown(grid, CurrentColumn(), Key, Text());
        if (Key == 0) return true;
    }
    return false;
}

void TOstraDBGridInplaceEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        auto key = static_cast<uint16_t>(Message.WParam);
        if (DoDropDownKeys(key, KeyDataToShiftState(Message.LParam))) {
            PeekMessage(Message, this, WM_CHAR, WM_CHAR, true);
            Message.Result = 0;
            return;
        }
        Message.WParam = key;
        if (FListVisible && FActiveList) {
            SendMessage(FActiveList, Message.Msg, Message.WParam, Message.LParam);
            Message.Result = 0;
            return;
        }
        break;
    }
    case WM_CHAR:
        if (Message.WParam >= 32 && !FListVisible && (FEditStyle == esPickList || FEditStyle == esDataList)) {
            TOstraColumn* column = CurrentColumn();
            if (column && column->AutoDropDown()) DropDown();
        }
        if (FListVisible && FActiveList) {
            SendMessage(FActiveList, Message.Msg, Message.WParam, Message.LParam);
            Message.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONDBLCLK:
        if (FEditStyle != esSimple && PtInRect(ButtonRect(), MousePos(Message))) return;
        break;
    default: break;
    }
    inherited::WndProc(Message);
}

void TOstraDBGridInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    TOstraCustomDBGrid* grid = DBGrid();
    if (FEditStyle == esEllipsis && Key == VK_RETURN && Shift.Contains(ssCtrl)) {
        // The handler may free the grid and with it this editor.
        if (grid && !RunWhileAlive(this, [grid] { grid->EditButtonClick(); })) return;
        TMessage pending;
        PeekMessage(pending, this, WM_CHAR, WM_CHAR, true);
        return;
    }
    if (Key == VK_RETURN && grid && grid->Options().Contains(dgEnterToTab)) {
        grid->SetFocus();
        grid->KeyDown(Key, Shift);
        Key = 0;
        UpdateContents();
        return;
    }
    inherited::KeyDown(Key, Shift);
}

void TOstraDBGridInplaceEdit::KeyUp(uint16_t& Key, TShiftState Shift) {
    TOstraCustomDBGrid* grid = DBGrid();
    if (Key == VK_RETURN && grid && grid->Options().Contains(dgEnterToTab)) Key = VK_TAB;
    inherited::KeyUp(Key, Shift);
}

void TOstraDBGridInplaceEdit::KeyPress(char32_t& Key) {
    TOstraCustomDBGrid* grid = DBGrid();
    if (Key == U'\r' && grid && grid->Options().Contains(dgEnterToTab)) Key = U'\t';
    inherited::KeyPress(Key);
}

// ---- Mouse -------------------------------------------------------------------------------------------------

void TOstraDBGridInplaceEdit::TrackButton(int X, int Y) {
    const bool pressed = PtInRect(ButtonRect(), TPoint{X, Y});
    if (pressed == FPressed) return;
    FPressed = pressed;
    Invalidate();
}

void TOstraDBGridInplaceEdit::StopTracking() {
    if (!FTracking) return;
    TrackButton(-1, -1);
    FTracking = false;
    if (MouseCapture()) SetMouseCapture(false);
}

void TOstraDBGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && FEditStyle != esSimple && PtInRect(ButtonRect(), TPoint{X, Y})) {
        if (FListVisible) {
            CloseUp(false);
        } else {
            SetMouseCapture(true);
            FTracking = true;
            TrackButton(X, Y);
            if (FActiveList) DropDown();
        }
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TOstraDBGridInplaceEdit::MouseMove(TShiftState Shift, int X, int Y) {
    const bool hand = FEditStyle != esSimple && PtInRect(ButtonRect(), TPoint{X, Y});
    if (hand != FCursorHand) {
        FCursorHand = hand;
        SetCursor(hand ? crHandPoint : crDefault);
    }
    if (FTracking) {
        TrackButton(X, Y);
        if (FListVisible && FActiveList) {
            const TPoint local = FActiveList->ScreenToClient(ClientToScreen(TPoint{X, Y}));
            if (PtInRect(FActiveList->ClientRect(), local)) {
                // Dragged into the list: it takes over the press.
                StopTracking();
                FForwardingMouse = true;
                SendMessage(FActiveList, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(local.X, local.Y));
                return;
            }
        }
    } else if (FForwardingMouse) {
        ForwardMouse(WM_MOUSEMOVE, X, Y);
        return;
    }
    inherited::MouseMove(Shift, X, Y);
}

void TOstraDBGridInplaceEdit::ForwardMouse(unsigned Msg, int X, int Y) {
    if (!FListVisible || !FActiveList) return;
    const TPoint local = FActiveList->ScreenToClient(ClientToScreen(TPoint{X, Y}));
    SendMessage(FActiveList, Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MakeLParam(local.X, local.Y));
}

void TOstraDBGridInplaceEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FForwardingMouse && Button == mbLeft) {
        FForwardingMouse = false;
        ForwardMouse(WM_LBUTTONUP, X, Y);
        return;
    }
    // A click needs the release over the button too.
    if (FTracking) TrackButton(X, Y);
    const bool wasPressed = FPressed;
    StopTracking();
    TOstraCustomDBGrid* grid =
        Button == mbLeft && FEditStyle == esEllipsis && wasPressed ? DBGrid() : nullptr;
    if (grid && !RunWhileAlive(this, [grid] { grid->EditButtonClick(); })) return;
    inherited::MouseUp(Button, Shift, X, Y);
}

// ---- Messages ----------------------------------------------------------------------------------------------

void TOstraDBGridInplaceEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == InplaceFocusCheckMessage()) {
        FFocusCheckPosted = false;
        FocusCheck();
        return;
    }
    if (Message.Msg == CM_CANCELMODE) {
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        if (sender != this && sender != FActiveList &&
            !(sender && FActiveList && sender->Parent() == FActiveList))
            CloseUp(false);
    }
    inherited::Dispatch(Message);
}

void TOstraDBGridInplaceEdit::WMKillFocus(TMessage& Message) {
    inherited::WMKillFocus(Message);
    if (FListVisible && !FFocusCheckPosted)
        FFocusCheckPosted = PostMessage(this, InplaceFocusCheckMessage(), 0, 0);
}

void TOstraDBGridInplaceEdit::WMPaint(TMessage& Message) {
    inherited::WMPaint(Message);
    if (FEditStyle == esSimple) return;
    TControlCanvas canvas;
    canvas.SetControl(this);
    PaintButton(&canvas);
}

void TOstraDBGridInplaceEdit::PaintButton(TCanvas* Canvas) {
    const TRect r = ButtonRect();
    if (r.Width() <= 0 || r.Height() <= 0) return;
    if (FEditStyle == esEllipsis) {
        TRect inner = r;
        DrawEdge(Canvas, inner, EDGE_RAISED, BF_RECT | BF_MIDDLE | (FPressed ? BF_FLAT : 0u));
        const int side = std::max(1, FButtonWidth / 8);
        const int shift = FPressed ? 1 : 0;
        const int x = r.Left + (r.Width() - 5 * side) / 2 + shift;
        const int y = r.Top + (r.Height() - side) / 2 + shift;
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(clBlack);
        for (int i = 0; i < 3; ++i) Canvas->FillRect(Bounds(x + 2 * side * i, y, side, side));
        return;
    }
    unsigned state = DFCS_SCROLLCOMBOBOX;
    if (!FActiveList) state |= DFCS_INACTIVE;
    if (FPressed) state |= DFCS_PUSHED | DFCS_FLAT;
    TRect button = r;
    DrawFrameControl(Canvas, button, DFC_SCROLL, state);
}
