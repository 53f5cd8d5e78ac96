// The combo button's window and painting, and the drop-down edit's button placement,
// drop-down and close, keys and field link.
#include "suite/edit/qzdbcombo.h"

#include <algorithm>

#include "platform/db/datasource.h"
#include "platform/ui/drawing.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/messages.h"
#include "platform/ui/popup_window.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzproputils.h"

// ---- Button effects ------------------------------------------------------------------------

void TqzComboButtonEffects::Refresh() {
    if (FOnRefresh.Assigned()) FOnRefresh(this);
}

// ---- Button window -------------------------------------------------------------------------

TBtnWinControl::TBtnWinControl(TComponent* AOwner, TqzDBCustomEdit* Edit)
    : TWinControl(AOwner), FEdit(Edit) {}

void TBtnWinControl::PaintWindow(TCanvas* Canvas) {
    // The button covers the window; the edit's colour shows around it.
    Canvas->Brush()->SetColor(FEdit ? FEdit->Color() : clWindow);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(ClientRect());
}

void TBtnWinControl::Dispatch(TMessage& Message) {
    inherited::Dispatch(Message);
    if (Message.Msg == CM_MOUSELEAVE && FEdit) {
        TqzButtonEffects* effects = qzGetControlButtonEffects(FEdit);
        if (effects && effects->Flat() && !FEdit->Focused() && qzEditFrameIsActive(FEdit->Frame()))
            Invalidate();
    }
}

// ---- Button --------------------------------------------------------------------------------

TqzComboDlgButton::TqzComboDlgButton(TComponent* AOwner, TqzDBCustomCombo* Combo)
    : TqzComboButton(AOwner), FCombo(Combo) {}

bool TqzComboDlgButton::IsVistaComboStyle() { return FCombo->IsVistaComboStyle(); }

bool TqzComboDlgButton::UseRightDropDownPart() {
    TqzEditFrame* frame = FCombo->Frame();
    return qzUseThemes(this) && qzIsWinMajor6OrLater() && !IsVistaComboStyle() &&
           (!frame->Enabled() || !frame->Transparent());
}

bool TqzComboDlgButton::IsParentHot() { return FCombo->MouseOver(); }

bool TqzComboDlgButton::IsParentDroppedDown() { return FCombo->IsDroppedDown(); }

void TqzComboDlgButton::Paint() {
    if (FCombo->RepaintGuard()) return;
    if (!qzIsDesigning(this) && Transparent() && qzIsParentTransparent(FCombo)) return;
    FCombo->SetMouseOverButton(MouseInControl());
    const bool themes = qzUseThemes(this);
    const bool hasGlyph = !Glyph()->Empty();
    const bool inQzGrid = FCombo->Parent() && qzClassInheritsFrom(FCombo->Parent(), "TqzDBGrid");
    TqzComboButtonEffects* effects = FCombo->ButtonEffects();
    const bool skipFace = (hasGlyph && !MouseInControl() && !FCombo->Focused() && !inQzGrid) ||
                          (effects->Flat() && FCombo->ButtonStyle() == cbsDownArrow);
    const bool pressed = State() == bsDown || State() == bsExclusive;
    SetEllipsis(FCombo->ButtonStyle() == cbsEllipsis);
    if (!themes) {
        // The classic face is the edit's drawing; a glyph is painted over it.
        if (!skipFace) FCombo->DrawButton(Canvas(), ClientRect(), pressed, 0);
        if (hasGlyph || skipFace) TqzComboButton::Paint();
        if (!(Flat() && !pressed && !MouseInControl())) {
            TRect r = ClientRect();
            if (hasGlyph) DrawEdge(Canvas(), r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
        return;
    }
    TqzComboButton::Paint();
}

void TqzComboDlgButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button != mbLeft || !FCombo->Switch(2)) {
        TqzComboButton::MouseDown(Button, Shift, X, Y);
        Invalidate();
        return;
    }
    const bool before = FCombo->IsDroppedDown();
    if (!FCombo->Focused() && FCombo->CanFocus()) {
        FCombo->SetFocus();
        if (!FCombo->Focused()) return;
    }
    TqzComboButton::MouseDown(Button, Shift, X, Y);
    if (!qzIsParentTransparent(FCombo)) Update();
    if (!before && FCombo->IsDroppedDown()) return;  // the focus opened it
    FCombo->ButtonPress();
}

void TqzComboDlgButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TqzComboButton::MouseUp(Button, Shift, X, Y);
    TqzComboButtonEffects* effects = FCombo->ButtonEffects();
    if (effects->Transparent() || effects->Flat()) {
        Invalidate();
        if (Parent()) Parent()->Update();
    }
}

// ---- Drop-down edit ------------------------------------------------------------------------

TqzDBCustomCombo::TqzDBCustomCombo(TComponent* AOwner) : TqzDBCustomEdit(AOwner) {
    FBtnControl = new TBtnWinControl(this, this);
    FBtnControl->SetParent(this);
    FBtnControl->SetBounds(0, 0, std::max(GetSystemMetrics(SM_CXVSCROLL) + 4, 17), 17);
    FButton = new TqzComboDlgButton(this, this);
    FButton->SetBounds(0, 0, AutoButtonWidth(), FBtnControl->Height());
    FButton->SetParent(FBtnControl);
    FButton->SetOnClick(TNotifyEvent(this, &TqzDBCustomCombo::ButtonClick));
    FButtonEffects = std::make_unique<TqzComboButtonEffects>(this, FButton);
    FButtonEffects->SetOnRefresh(TNotifyEvent(this, &TqzDBCustomCombo::EffectsRefresh));
}

TqzComboButton* TqzDBCustomCombo::CreateButton() { return new TqzComboDlgButton(this, this); }

void TqzDBCustomCombo::RecreateButton() {
    TqzComboButton* made = CreateButton();
    made->SetBounds(FButton->Left(), FButton->Top(), FButton->Width(), FButton->Height());
    made->SetParent(FBtnControl);
    made->SetOnClick(TNotifyEvent(this, &TqzDBCustomCombo::ButtonClick));
    delete FButton;
    FButton = made;
    FButtonEffects->SetButton(made);
    ReloadGlyph();
}

TqzDBCustomCombo::~TqzDBCustomCombo() {
    StopWatchingDropDown();
    FButtonEffects.reset();
}

int TqzDBCustomCombo::AutoButtonWidth() const { return std::max(GetSystemMetrics(SM_CXVSCROLL), 15); }

void TqzDBCustomCombo::SetButtonStyle(TqzComboButtonStyle Value) {
    if (Value == FButtonStyle) return;
    FButtonStyle = Value;
    ReloadGlyph();
    FButton->Invalidate();
}

void TqzDBCustomCombo::SetButtonGlyph(TBitmap* Value) {
    FButton->SetGlyph(Value);
    Invalidate();
}

void TqzDBCustomCombo::SetButtonWidth(int Value) {
    if (Value == FButtonWidth) return;
    FButtonWidth = Value;
    FButton->SetWidth(Value == 0 ? AutoButtonWidth() : Value);
    SetButtonPosition();
}

void TqzDBCustomCombo::SetLimitEditRect(bool Value) {
    if (Value == FLimitEditRect) return;
    FLimitEditRect = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TqzDBCustomCombo::ReloadGlyph() {
    if (FButtonStyle == cbsCustom) return;
    if (!FButtonEffects || !(FButtonEffects->Transparent() || FButtonEffects->Flat())) return;
    if (FButtonStyle == cbsDownArrow) {
        TBitmap b;
        LoadComboButtonGlyph(&b, "QZDROPDOWN");
        FButton->SetGlyph(&b);
    }
}

void TqzDBCustomCombo::EffectsRefresh(TObject*) {
    ReloadGlyph();
    FButton->Invalidate();
}

bool TqzDBCustomCombo::GetShowButton() { return FBtnControl->Visible(); }

void TqzDBCustomCombo::SetShowButton(bool Value) {
    if (Value == FBtnControl->Visible()) return;
    FBtnControl->SetVisible(Value);
    if (!ComponentState().Contains(csLoading)) SetEditRect();
    Invalidate();
}

bool TqzDBCustomCombo::IsEditPainted() { return !FDropDownList || FDroppedDown; }

bool TqzDBCustomCombo::IsVistaComboStyle() {
    if (FButtonEffects && (FButtonEffects->Transparent() || FButtonEffects->Flat())) return false;
    return TqzDBCustomEdit::IsVistaComboStyle();
}

TRect TqzDBCustomCombo::GetEditRect() {
    TRect r = ClientRect();
    if (FBtnControl && FBtnControl->Visible()) r.Right = FBtnControl->Left();
    return r;
}

void TqzDBCustomCombo::SetEditRect() {
    const int right = (FBtnControl && FBtnControl->Visible() ? FBtnControl->Left() : ClientWidth()) - 2;
    int left = 2, top = 2;
    if (qzEditFrameIsActive(Frame())) {
        TqzFrameTextOffsets o;
        qzGetFrameTextOffsets(Frame(), o);
        left = o.Left;
        top = o.Top;
    } else if (BorderStyle() == bsNone && qzIsInInspector(this)) {
        left = top = 1;
    } else if (BorderStyle() == bsSingle) {
        left = top = 0;
    }
    TCustomMaskEdit::SetEditRect(Rect(left, top, std::max(left, right), ClientHeight() + 1));
}

void TqzDBCustomCombo::SetButtonPosition() {
    if (!FBtnControl) return;
    const int offset = qzEditFrameIsActive(Frame()) ? 2 : 0;
    const int bw = FButton->Width();
    if (BorderStyle() == bsSingle && Ctl3D())
        FBtnControl->SetBounds(ClientWidth() - bw, offset, bw, ClientHeight() - offset);
    else
        FBtnControl->SetBounds(ClientWidth() - bw - offset, offset, bw, ClientHeight() - 2 * offset);
    if (BorderStyle() == bsSingle)
        FButton->SetBounds(0, 0, bw, FBtnControl->Height());
    else
        FButton->SetBounds(0, -1, bw, FBtnControl->Height() + 1);
    SetEditRect();
}

void TqzDBCustomCombo::BoundsChanged() {
    inherited::BoundsChanged();
    SetButtonPosition();
}

void TqzDBCustomCombo::Loaded() {
    if (FButtonWidth == 0) FButton->SetWidth(AutoButtonWidth());
    if (Parent() || Owner()) SetButtonPosition();
    inherited::Loaded();
}

void TqzDBCustomCombo::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.Style &= ~(ES_AUTOVSCROLL | ES_WANTRETURN);
    Params.Style |= WS_CLIPCHILDREN;
    if (UseRightToLeftReading() || FLimitEditRect) Params.Style |= ES_MULTILINE;
}

void TqzDBCustomCombo::DrawButton(TCanvas* Canvas, const TRect& Rect, bool Pressed, unsigned) {
    switch (FButtonStyle) {
    case cbsCustom: break;
    case cbsEllipsis: {
        const bool flat = FButton->Flat() && !FButton->MouseInControl() && !Focused();
        qzDrawEllipsisButton(Canvas, Rect, FButton->Enabled(), Pressed, flat, FButton->MouseInControl(), 0);
        break;
    }
    case cbsDownArrow:
        qzDrawDropDownArrow(Canvas, Rect, Pressed ? bsDown : bsUp, ControlState(), FButton->Enabled());
        break;
    }
}

void TqzDBCustomCombo::DropDown() {
    if (!FOnDropDown.Assigned()) return;
    FDroppedDown = true;
    Invalidate();
    if (FEditOnDropDown && DataSource() && DataLink()->DataSet()) DataLink()->Edit();
    FOnDropDown(this);
    if (!IsEditPainted()) SetEditCaretHidden(this, true);
    Invalidate();
    FDroppedDown = false;
}

void TqzDBCustomCombo::CloseUp(bool Accept) {
    if (Accept) SetModified(true);
}

void TqzDBCustomCombo::ButtonPress() {
    if (IsDroppedDown())
        CloseUp(true);
    else
        DropDown();
}

void TqzDBCustomCombo::ButtonClick(TObject*) {
    // With switch 2 the press already did it.
    if (!Switch(2)) ButtonPress();
}

void TqzDBCustomCombo::WatchDropDown(const std::vector<TControl*>& Inside) {
    WatchOutsideClicks(this, Inside);
}

void TqzDBCustomCombo::StopWatchingDropDown() { StopOutsideClicks(this); }

void TqzDBCustomCombo::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (GetKeyState(VK_MENU) < 0) Shift += ssAlt;
    const bool alt = Shift.Contains(ssAlt);
    if ((Key == VK_F4 && !alt) || (alt && (Key == VK_UP || Key == VK_DOWN))) {
        Key = 0;
        ButtonPress();
        return;
    }
    if (IsDroppedDown() && (Key == VK_RETURN || Key == VK_ESCAPE)) {
        const bool accept = Key == VK_RETURN;
        Key = 0;
        // Its character is the list's too: the edit's own Escape would reset the field.
        TMessage pending;
        PeekMessage(pending, this, WM_CHAR, WM_CHAR, true);
        CloseUp(accept);
        return;
    }
    if (!RunWhileAlive(this, [&] { inherited::KeyDown(Key, Shift); })) return;
    if (!IsEditableStyle() && !IsEditPainted()) Key = 0;
}

void TqzDBCustomCombo::KeyPress(char32_t& Key) {
    if (Key == U'\t' && IsMasked()) {
        Key = 0;
        return;
    }
    inherited::KeyPress(Key);
}

void TqzDBCustomCombo::CNKeyDown(TMessage& Message) {
    const auto key = static_cast<uint16_t>(Message.WParam);
    if (IsDroppedDown() && (key == VK_RETURN || key == VK_ESCAPE)) {
        Message.Result = 0;  // the drop-down takes them
        return;
    }
    inherited::CNKeyDown(Message);
}

void TqzDBCustomCombo::WMGetDlgCode(TMessage& Message) {
    inherited::WMGetDlgCode(Message);
    if (IsDroppedDown()) Message.Result |= DLGC_WANTALLKEYS;
}

void TqzDBCustomCombo::DoEnter() {
    inherited::DoEnter();
    if (FButtonEffects->Flat()) {
        SetButtonPosition();
        FButton->Invalidate();
    }
}

void TqzDBCustomCombo::CMExit(TMessage& Message) {
    if (!RunWhileAlive(this, [&] { inherited::CMExit(Message); })) return;
    if (FButtonEffects->Flat()) FButton->Invalidate();
}

void TqzDBCustomCombo::ListClick(TMessage& Message) {
    if (!HostGrid() || !qzClassInheritsFrom(HostGrid(), "TqzCustomDBGrid")) {
        if (!IsVistaComboStyle()) {
            if (CanFocus() && !Focused()) SetFocus();
            if (!IsDroppedDown() && OnMouseDown().Assigned()) {
                const TPoint p = MousePos(Message);
                OnMouseDown()(this, mbLeft, KeyDataToShiftState(0), p.X, p.Y);
            }
        }
    }
    ButtonPress();
}

void TqzDBCustomCombo::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!IsEditableStyle()) {
            ListClick(Message);
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (GetCaptureControl() == this) SetCaptureControl(nullptr);
        break;
    case CM_CANCELMODE: {
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        if (IsDroppedDown() && sender != this && sender != FButton && sender != FBtnControl) CloseUp(true);
        return;
    }
    case CM_ENABLEDCHANGED:
        inherited::Dispatch(Message);
        FButton->SetEnabled(Enabled());
        return;
    case CM_FONTCHANGED:
        inherited::Dispatch(Message);
        if (FButtonEffects->Flat()) FButton->Invalidate();
        return;
    default: break;
    }
    inherited::Dispatch(Message);
}

void TqzDBCustomCombo::Publish(TPublisher<TqzDBCustomCombo>& p) {
    p.Property("ButtonEffects", &TqzDBCustomCombo::ButtonEffects, &TqzDBCustomCombo::SetButtonEffects);
    p.Property("ButtonStyle", &TqzDBCustomCombo::ButtonStyle, &TqzDBCustomCombo::SetButtonStyle);
    p.Property("ButtonWidth", &TqzDBCustomCombo::ButtonWidth, &TqzDBCustomCombo::SetButtonWidth);
    p.Property("ButtonGlyph", &TqzDBCustomCombo::ButtonGlyph, &TqzDBCustomCombo::SetButtonGlyph);
}
