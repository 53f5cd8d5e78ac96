// The tabs' rows and rectangles, painting, the display area given to children, and
// choosing a tab by mouse, keys and accelerators.
#include "platform/ui/tabcontrol.h"

#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

TTabControl::TTabControl(TComponent* AOwner)
    : TCustomControl(AOwner), FTabs(std::make_unique<TStringList>()) {
    SetControlStyle(TControlStyle{csAcceptsControls, csClickEvents, csCaptureMouse, csDoubleClicks});
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 289, 193);
    FTabs->SetOnChange(TNotifyEvent(this, &TTabControl::TabsChanged));
}

TTabControl::~TTabControl() {
    FTabs->SetOnChange(TNotifyEvent());
    Destroying();
}

void TTabControl::TabsChanged(TObject*) {
    if (FTabIndex >= FTabs->Count()) FTabIndex = FTabs->Count() - 1;
    if (FTabIndex < 0 && FTabs->Count() > 0) FTabIndex = 0;
    Invalidate();
}

void TTabControl::SetTabIndex(int Value) {
    if (Value < -1 || Value >= FTabs->Count() || Value == FTabIndex) return;
    FTabIndex = Value;
    Invalidate();
}

void TTabControl::SetTabPosition(TTabPosition Value) {
    if (Value == FTabPosition) return;
    FTabPosition = Value;
    Realign();
    Invalidate();
}

int TTabControl::RowHeight() const {
    TCanvas* c = Canvas();
    c->SetFont(Font());
    return c->TextHeight("Wg") + 8;
}

TRect TTabControl::TabRect(int Index) const {
    if (Index < 0 || Index >= FTabs->Count()) return Rect(0, 0, 0, 0);
    TCanvas* c = Canvas();
    c->SetFont(Font());
    const int h = RowHeight();
    int x = 2;
    for (int i = 0; i < Index; ++i) x += c->TextWidth(StripHotkey(FTabs->Strings(i))) + 12;
    const int w = c->TextWidth(StripHotkey(FTabs->Strings(Index))) + 12;
    if (FTabPosition == tpTop) return Rect(x, 2, x + w, h);
    return Rect(x, Height() - h, x + w, Height() - 2);
}

int TTabControl::IndexOfTabAt(int X, int Y) const {
    for (int i = 0; i < FTabs->Count(); ++i) {
        const TRect r = TabRect(i);
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return i;
    }
    return -1;
}

TRect TTabControl::DisplayRect() const {
    const int h = RowHeight();
    if (FTabPosition == tpTop) return Rect(4, h + 4, std::max(4, Width() - 4), std::max(h + 4, Height() - 4));
    return Rect(4, 4, std::max(4, Width() - 4), std::max(4, Height() - h - 4));
}

void TTabControl::AdjustClientRect(TRect& Rect) { Rect = DisplayRect(); }

bool TTabControl::SelectTab(int Index) {
    if (Index < 0 || Index >= FTabs->Count() || Index == FTabIndex) return false;
    bool allow = true;
    if (FOnChanging) FOnChanging(this, allow);
    if (!allow) return false;
    FTabIndex = Index;
    Invalidate();
    if (FOnChange) FOnChange(this);
    return true;
}

void TTabControl::Paint() {
    TCanvas* c = Canvas();
    const int h = RowHeight();
    const bool top = FTabPosition == tpTop;
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    TRect frame = top ? Rect(0, h, Width(), Height()) : Rect(0, 0, Width(), Height() - h);
    DrawEdge(c, frame, EDGE_RAISED, BF_RECT);
    c->SetFont(Font());
    for (int i = 0; i < FTabs->Count(); ++i) {
        const bool active = i == FTabIndex;
        TRect r = TabRect(i);
        if (active)
            r = top ? Rect(r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 1)
                    : Rect(r.Left - 2, r.Top - 1, r.Right + 2, r.Bottom + 2);
        DrawTabFace(c, r, Color(), top, false);
        c->Brush()->SetStyle(bsClear);
        TRect t = Rect(r.Left + 6, r.Top, r.Right - 4, r.Bottom);
        DrawText(c, FTabs->Strings(i), t, DT_SINGLELINE | DT_VCENTER);
        c->Brush()->SetStyle(bsSolid);
        if (active && Focused()) c->DrawFocusRect(Rect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 2));
    }
}

void TTabControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        const int index = IndexOfTabAt(X, Y);
        if (index >= 0 && !RunWhileAlive(this, [&] { SelectTab(index); })) return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTabControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if ((Key == VK_LEFT || Key == VK_RIGHT) && FTabs->Count() > 0) {
        const int n = FTabs->Count();
        SelectTab(((FTabIndex + (Key == VK_RIGHT ? 1 : -1)) % n + n) % n);
        Key = 0;
    }
}

void TTabControl::CMDialogChar(TMessage& Message) {
    for (int i = 0; i < FTabs->Count(); ++i)
        if (IsAccel(static_cast<char32_t>(Message.WParam), FTabs->Strings(i)) && CanFocus() && Visible()) {
            SelectTab(i);
            Message.Result = 1;
            return;
        }
    TCustomControl::CMDialogChar(Message);
}

void TTabControl::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TTabControl::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TTabControl::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TTabControl::Publish(TPublisher<TTabControl>& p) {
    p.Property("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex);
    p.Property("TabPosition", &TTabControl::TabPosition, &TTabControl::SetTabPosition);
    p.Property("OnChange", &TTabControl::OnChange, &TTabControl::SetOnChange);
}
