// Painting the group frame and the radio buttons, and a radio button's mouse, keys,
// accelerators and unchecking of its siblings.
#include "platform/ui/groupbox.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/drawing.h"
#include "platform/ui/stdctrls.h"

// ---- TGroupBox ----------------------------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 185, 105);
}

TGroupBox::~TGroupBox() { Destroying(); }

void DrawGroupFrame(TCanvas* Canvas, const TControl* Control, bool GrayCaption) {
    TCanvas* c = Canvas;
    c->SetFont(Control->Font());
    c->Brush()->SetColor(Control->Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Control->ClientRect());
    const int textHeight = c->TextHeight("Wg");
    TRect frame = Rect(0, textHeight / 2, Control->Width(), Control->Height());
    DrawEdge(c, frame, EDGE_ETCHED, BF_RECT);
    const std::string caption = Control->Caption();
    if (!caption.empty()) {
        TRect t = Rect(8, 0, 8 + c->TextWidth(StripHotkey(caption)) + 4, textHeight);
        c->FillRect(t);
        t.Left += 2;
        if (GrayCaption) c->Font()->SetColor(clGrayText);
        DrawText(c, caption, t, DT_SINGLELINE | DT_LEFT);
    }
}

TRect DrawRadioItem(TCanvas* Canvas, const TRect& R, const std::string& Caption, bool Checked, bool Enabled) {
    TCanvas* c = Canvas;
    const int box = 13;
    const int top = R.Top + (R.Height() - box) / 2;
    TRect b = Rect(R.Left, top, R.Left + box, top + box);
    DrawFrameControl(c, b, DFC_BUTTON,
                     DFCS_BUTTONRADIO | (Checked ? DFCS_CHECKED : 0u) | (Enabled ? 0u : DFCS_INACTIVE));
    c->Brush()->SetStyle(bsClear);
    TRect t = Rect(R.Left + box + 4, R.Top, R.Right, R.Bottom);
    DrawText(c, Caption, t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    c->Brush()->SetStyle(bsSolid);
    return t;
}

void TGroupBox::Paint() { DrawGroupFrame(Canvas(), this, !Enabled()); }

// The accelerator of the caption focuses the first child that takes the focus.
void TGroupBox::CMDialogChar(TMessage& Message) {
    if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && Visible() && Enabled()) {
        for (int i = 0; i < ControlCount(); ++i)
            if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w && w->CanFocus() && w->TabStop()) {
                w->SetFocus();
                Message.Result = 1;
                return;
            }
    }
    TCustomControl::CMDialogChar(Message);
}

// ---- TRadioButton -------------------------------------------------------------------------------

namespace {

std::vector<TRadioButton*> Siblings(TRadioButton* Button) {
    std::vector<TRadioButton*> out;
    TWinControl* parent = Button->Parent();
    if (!parent) return {Button};
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* r = dynamic_cast<TRadioButton*>(parent->Controls(i))) out.push_back(r);
    return out;
}

}  // namespace

TRadioButton::TRadioButton(TComponent* AOwner) : TCustomControl(AOwner) {
    // Clicks come from Choose, once a press.
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks, csSetCaption});
    SetTabStop(false);
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 113, 17);
}

TRadioButton::~TRadioButton() { Destroying(); }

void TRadioButton::SetChecked(bool Value) {
    if (Value == FChecked) return;
    FChecked = Value;
    SetTabStop(Value);
    if (Value)
        for (TRadioButton* r : Siblings(this))
            if (r != this) r->SetChecked(false);
    Invalidate();
}

void TRadioButton::Choose() {
    SetChecked(true);
    Click();
}

void TRadioButton::Paint() {
    TCanvas* c = Canvas();
    c->SetFont(Font());
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    const TRect t = DrawRadioItem(c, Rect(0, 0, Width(), Height()), Caption(), FChecked, Enabled());
    if (Focused()) {
        const int w = c->TextWidth(StripHotkey(Caption()));
        const int h = c->TextHeight("Wg");
        const int y = (Height() - h) / 2;
        c->DrawFocusRect(Rect(t.Left - 1, y, std::min(Width(), t.Left + w + 2), y + h));
    }
}

void TRadioButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Enabled()) {
        if (CanFocus() && !Focused()) SetFocus();
        Choose();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TRadioButton::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE) {
        Key = 0;
        if (!FChecked) Choose();
        return;
    }
    int step = 0;
    if (Key == VK_UP || Key == VK_LEFT) step = -1;
    if (Key == VK_DOWN || Key == VK_RIGHT) step = 1;
    if (step == 0) return;
    Key = 0;
    std::vector<TRadioButton*> all = Siblings(this);
    int at = 0;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i] == this) at = static_cast<int>(i);
    const int n = static_cast<int>(all.size());
    for (int k = 1; k < n; ++k) {
        TRadioButton* next = all[static_cast<size_t>((at + step * k + n * k) % n)];
        if (next->Enabled() && next->Visible()) {
            if (next->CanFocus()) next->SetFocus();
            next->Choose();
            return;
        }
    }
}

void TRadioButton::CMDialogChar(TMessage& Message) {
    if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && Enabled() && Visible()) {
        if (CanFocus()) SetFocus();
        Choose();
        Message.Result = 1;
        return;
    }
    TCustomControl::CMDialogChar(Message);
}

void TRadioButton::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TRadioButton::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TRadioButton::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TRadioButton::Publish(TPublisher<TRadioButton>& p) {
    p.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked);
}
