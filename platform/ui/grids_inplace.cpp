// TInplaceEdit: the grid's cell editor.
#include <algorithm>

#include "platform/ui/dialogs.h"
#include "platform/ui/grids.h"

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    SetParentCtl3D(false);
    SetCtl3D(false);
    SetTabStop(false);
    SetAutoSize(false);
    SetBorderStyle(bsNone);
    SetVisible(false);
}

TInplaceEdit::~TInplaceEdit() = default;

void TInplaceEdit::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    if (UseRightToLeftAlignment()) Params.ExStyle |= WS_EX_RIGHT | WS_EX_RTLREADING;
}

void TInplaceEdit::SetParent(TWinControl* AParent) {
    inherited::SetParent(AParent);
    if (auto* g = dynamic_cast<TCustomGrid*>(AParent)) FGrid = g;
}

void TInplaceEdit::UpdateContents() {
    if (!FGrid) return;
    // The editor reads and aligns as its grid does; its window is made again
    // when the grid changed its direction.
    if (BiDiMode() != FGrid->BiDiMode()) {
        SetBiDiMode(FGrid->BiDiMode());
        if (HandleAllocated()) RecreateWnd();
    }
    FLoading = true;
    try {
        SetText("");
        SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
        SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
        SetMaxLength(FGrid->GetEditLimit());
    } catch (...) {
        FLoading = false;
        throw;
    }
    FLoading = false;
}

void TInplaceEdit::FollowGridDirection() {
    if (!FGrid) return;
    // The window is made again for the new direction; the text, the caret
    // and the modified flag stay with the control. The text area is laid out
    // again even when the direction came to the editor first.
    SetBiDiMode(FGrid->BiDiMode());
    BoundsChanged();
}

void TInplaceEdit::Move(const TRect& Loc) {
    const TRect r = BoundsOverCell(Loc);
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    if (!Visible()) SetVisible(true);
    if (FGrid && FGrid->Focused() && CanFocus()) inherited::SetFocus();
}

void TInplaceEdit::UpdateLoc(const TRect& Loc) {
    if (IsRectEmpty(Loc)) {
        Hide();
        return;
    }
    const TRect r = BoundsOverCell(Loc);
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

bool TInplaceEdit::PosEqual(const TRect& Loc) const { return BoundsRect() == BoundsOverCell(Loc); }

void TInplaceEdit::Hide() {
    if (!Visible()) return;
    if (Focused() && FGrid && FGrid->CanFocus()) FGrid->SetFocus();
    SetVisible(false);
}

void TInplaceEdit::SetFocus() {
    if (Visible() && CanFocus()) inherited::SetFocus();
}

void TInplaceEdit::Deselect() { SetSelStart(static_cast<int>(EditText().size())); }

void TInplaceEdit::BoundsChanged() {
    inherited::BoundsChanged();
    SetEditRect(Rect(2, 2, Width() - 2, Height()));
}

bool TInplaceEdit::EditCanModify() { return !FGrid || FGrid->CanEditModify(); }

void TInplaceEdit::Change() {
    inherited::Change();
    if (!FLoading && FGrid && Modified() && FGrid->FInplaceCol >= 0 && FGrid->FInplaceRow >= 0)
        FGrid->SetEditText(FGrid->FInplaceCol, FGrid->FInplaceRow, Text());
}

// The caret at the start, or all text selected.
bool TInplaceEdit::LeftSide() const {
    const int start = SelStart(), len = SelLength();
    const int textLen = static_cast<int>(EditText().size());
    return start == 0 && (len == 0 || len == textLen);
}

// The caret at the end, or all text selected.
bool TInplaceEdit::RightSide() const {
    const int start = SelStart(), len = SelLength();
    const int textLen = static_cast<int>(EditText().size());
    return (start == 0 || len == 0) && start + len == textLen;
}

void TInplaceEdit::SendToParent(uint16_t& Key, TShiftState Shift) {
    if (FGrid) FGrid->KeyDown(Key, Shift);
    Key = 0;
}

void TInplaceEdit::ParentEvent(uint16_t& Key, TShiftState Shift) {
    if (FGrid) FGrid->OnKeyDown()(FGrid, Key, Shift);
}

void TInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!FGrid) {
        inherited::KeyDown(Key, Shift);
        return;
    }
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool always = FGrid->Options().Contains(goAlwaysShowEditor);
    // The grid's handlers may free the grid and with it this editor.
    const TControlWatch watch(this);
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE: SendToParent(Key, Shift); break;
    case VK_INSERT:
        if (Shift.Empty()) SendToParent(Key, Shift);
        break;
    case VK_LEFT:
    case VK_HOME:
        if (always && (ctrl || LeftSide())) SendToParent(Key, Shift);
        break;
    case VK_RIGHT:
    case VK_END:
        if (always && (ctrl || RightSide())) SendToParent(Key, Shift);
        break;
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) SendToParent(Key, Shift);
        break;
    case VK_DELETE:
        if (ctrl)
            SendToParent(Key, Shift);
        else if (!EditCanModify())
            Key = 0;
        break;
    case VK_F2:
        ParentEvent(Key, Shift);
        if (watch.Gone()) return;
        if (Key == VK_F2) {
            Deselect();
            Key = 0;
        }
        return;
    default: break;
    }
    if (Key != 0) {
        ParentEvent(Key, Shift);
        if (!watch.Gone() && Key != 0) inherited::KeyDown(Key, Shift);
    }
}

void TInplaceEdit::KeyPress(char32_t& Key) {
    if (!FGrid) {
        inherited::KeyPress(Key);
        return;
    }
    if (!RunWhileAlive(this, [&] { FGrid->KeyPress(Key); })) return;
    if (Key >= 32 && !FGrid->CanEditAcceptKey(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    switch (Key) {
    case 9:
    case 27: Key = 0; break;
    case 13:
        if (SelStart() == 0 && SelLength() == static_cast<int>(EditText().size()))
            Deselect();
        else
            SelectAll();
        Key = 0;
        break;
    case 8:
    case 22:
    case 24:
        if (!EditCanModify()) Key = 0;
        break;
    default:
        if (Key >= 32 && !EditCanModify()) Key = 0;
        break;
    }
    if (Key != 0) inherited::KeyPress(Key);
}

void TInplaceEdit::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (FGrid) FGrid->KeyUp(Key, Shift);
    if (Key != 0) inherited::KeyUp(Key, Shift);
}

void TInplaceEdit::DblClick() {
    if (FGrid) FGrid->DblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (FGrid) return FGrid->DoMouseWheel(Shift, WheelDelta, MousePos);
    return inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TInplaceEdit::WMGetDlgCode(TMessage& Message) {
    inherited::WMGetDlgCode(Message);
    // Enter and Escape belong to the grid's editing, not to the dialog.
    Message.Result |= DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    if (FGrid && FGrid->Options().Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
}
