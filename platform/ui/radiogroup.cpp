// The radio group's item layout in columns, painting, and choosing an item by mouse,
// keys and accelerators.
#include "platform/ui/radiogroup.h"

#include <algorithm>

#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/groupbox.h"
#include "platform/ui/stdctrls.h"

TRadioGroup::TRadioGroup(TComponent* AOwner)
    : TCustomControl(AOwner), FItems(std::make_unique<TStringList>()) {
    SetControlStyle(TControlStyle{csClickEvents, csCaptureMouse, csDoubleClicks, csSetCaption});
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 185, 105);
    FItems->SetOnChange(TNotifyEvent(this, &TRadioGroup::ItemsChanged));
}

TRadioGroup::~TRadioGroup() {
    FItems->SetOnChange(TNotifyEvent());
    Destroying();
}

void TRadioGroup::ItemsChanged(TObject*) {
    if (FItemIndex >= FItems->Count()) FItemIndex = -1;
    Invalidate();
}

void TRadioGroup::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->Count()) Value = -1;
    if (Value == FItemIndex) return;
    FItemIndex = Value;
    Invalidate();
}

void TRadioGroup::SetColumns(int Value) {
    Value = std::clamp(Value, 1, 16);
    if (Value == FColumns) return;
    FColumns = Value;
    Invalidate();
}

TRect TRadioGroup::ItemRect(int Index) const {
    const int count = FItems->Count();
    if (Index < 0 || Index >= count) return Rect(0, 0, 0, 0);
    TCanvas* c = Canvas();
    c->SetFont(Font());
    const int textHeight = c->TextHeight("Wg");
    const int rows = (count + FColumns - 1) / FColumns;
    const int top = textHeight + 2, bottom = Height() - 4;
    const int rowHeight = std::max(textHeight + 2, (bottom - top) / std::max(1, rows));
    const int columnWidth = (Width() - 16) / FColumns;
    const int column = Index / rows, row = Index % rows;
    const int x = 8 + column * columnWidth;
    const int y = top + row * rowHeight + (rowHeight - (textHeight + 2)) / 2;
    return Rect(x, y, x + columnWidth - 2, y + textHeight + 2);
}

int TRadioGroup::IndexOfItemAt(int X, int Y) const {
    for (int i = 0; i < FItems->Count(); ++i) {
        const TRect r = ItemRect(i);
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return i;
    }
    return -1;
}

void TRadioGroup::Paint() {
    TCanvas* c = Canvas();
    // Right to left, the frame and items are laid out as usual and drawn mirrored.
    c->SetMirrorWidth(UseRightToLeftAlignment() ? Width() : 0);
    DrawGroupFrame(c, this, false);
    for (int i = 0; i < FItems->Count(); ++i) {
        const TRect t = DrawRadioItem(c, ItemRect(i), FItems->Strings(i), i == FItemIndex, Enabled());
        if (i == FItemIndex && Focused()) {
            const int w = c->TextWidth(StripHotkey(FItems->Strings(i)));
            c->DrawFocusRect(Rect(t.Left - 1, t.Top, std::min(t.Right, t.Left + w + 2), t.Bottom));
        }
    }
    c->SetMirrorWidth(0);
}

void TRadioGroup::Choose(int Index) {
    if (Index < 0 || Index >= FItems->Count()) return;
    SetItemIndex(Index);
    Click();
}

void TRadioGroup::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        const int index = IndexOfItemAt(UseRightToLeftAlignment() ? Width() - 1 - X : X, Y);
        if (index >= 0 && !RunWhileAlive(this, [&] { Choose(index); })) return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TRadioGroup::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    const int count = FItems->Count();
    if (count == 0) return;
    const int rows = (count + FColumns - 1) / FColumns;
    int next = -2;
    switch (Key) {
    case VK_UP: next = FItemIndex - 1; break;
    case VK_DOWN: next = FItemIndex + 1; break;
    case VK_LEFT: next = UseRightToLeftAlignment() ? FItemIndex + rows : FItemIndex - rows; break;
    case VK_RIGHT: next = UseRightToLeftAlignment() ? FItemIndex - rows : FItemIndex + rows; break;
    default: return;
    }
    Key = 0;
    if (next >= 0 && next < count) Choose(next);
}

void TRadioGroup::CMDialogChar(TMessage& Message) {
    for (int i = 0; i < FItems->Count(); ++i)
        if (IsAccel(static_cast<char32_t>(Message.WParam), FItems->Strings(i)) && CanFocus() && Visible()) {
            SetFocus();
            Choose(i);
            Message.Result = 1;
            return;
        }
    TCustomControl::CMDialogChar(Message);
}

void TRadioGroup::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TRadioGroup::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TRadioGroup::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TRadioGroup::Publish(TPublisher<TRadioGroup>& p) {
    p.Property("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex);
    p.Property("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns);
}
