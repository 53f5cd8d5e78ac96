// TWinControl's children and their layout: the child lists, messages to all
// children, alignment and anchors.
#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"

// ---- Children -----------------------------------------------------------------------

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount())
        throw EListError(Format("List index out of bounds (%d)", Index));
    return FControls[static_cast<std::size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
    if (!AControl || AControl->FParent == this) return;
    if (AControl == this ||
        (dynamic_cast<TWinControl*>(AControl) && static_cast<TWinControl*>(AControl)->ContainsControl(this)))
        throw EInvalidOperation("A control cannot have itself as its parent");
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    AControl->FParent = this;
    FControls.push_back(AControl);
    auto* win = dynamic_cast<TWinControl*>(AControl);
    if (win) FTabList.push_back(win);
    if (AControl->FParentFont) AControl->ParentFontChangedFrom(this);
    if (AControl->FParentColor && AControl->FColor != Color()) {
        AControl->FColor = Color();
        AControl->Perform(CM_COLORCHANGED, 0, 0);
    }
    if (AControl->FParentShowHint) AControl->FShowHint = ShowHint();
    // Before its window is made: the window starts with the parent's direction.
    if (AControl->FParentBiDiMode) AControl->ParentBiDiModeChangedFrom(this);
    if (win && win->FParentCtl3D) win->FCtl3D = FCtl3D;
    AControl->FAnchorKnown = false;
    if (win && HandleAllocated()) win->HandleNeeded();
    AControl->Invalidate();
    Realign();
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
    if (!AControl || AControl->FParent != this) return;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (TCustomForm* form = GetParentForm(this)) {
        if (auto* win = dynamic_cast<TWinControl*>(AControl)) form->DefocusControl(win, true);
    }
    if (FMouseControl == AControl) FMouseControl = nullptr;
    if (AControl->HostDockSite() == this) DockClientRemoved(AControl);
    AControl->Invalidate();
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        win->DestroyHandle();
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), win), FTabList.end());
    }
    FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
    AControl->FParent = nullptr;
    Realign();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
}

bool TWinControl::ContainsControl(const TControl* AControl) const {
    for (const TControl* c = AControl; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (!AllowWinControls && dynamic_cast<TWinControl*>(c)) continue;
        if (!c->Visible() || (!c->Enabled() && !AllowDisabled)) continue;
        if (PtInRect(c->BoundsRect(), Pos)) return c;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    const std::vector<TControl*> children = FControls;
    for (TControl* c : children) {
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        c->WndProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(unsigned Msg) {
    TMessage m;
    m.Msg = Msg;
    Broadcast(m);
}

// ---- Alignment -----------------------------------------------------------------------

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
    if (FAlignLevel > 0 && --FAlignLevel == 0) Realign();
}

void TWinControl::Realign() {
    if (FAlignLevel > 0 || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
        return;
    ++FAlignLevel;
    try {
        TRect r = ClientRect();
        AdjustClientRect(r);
        AlignControls(nullptr, r);
    } catch (...) {
        --FAlignLevel;
        throw;
    }
    --FAlignLevel;
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls(TControl*, TRect& Rect) {
    auto take = [&](TAlign align) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->Align() == align && c->Visible()) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
            switch (align) {
            case alTop: return a->Top() < b->Top();
            case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        });
        return list;
    };
    for (TControl* c : take(alTop)) {
        c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), c->Height());
        Rect.Top += c->Height();
    }
    for (TControl* c : take(alBottom)) {
        c->SetBounds(Rect.Left, Rect.Bottom - c->Height(), Rect.Width(), c->Height());
        Rect.Bottom -= c->Height();
    }
    for (TControl* c : take(alLeft)) {
        c->SetBounds(Rect.Left, Rect.Top, c->Width(), Rect.Height());
        Rect.Left += c->Width();
    }
    for (TControl* c : take(alRight)) {
        c->SetBounds(Rect.Right - c->Width(), Rect.Top, c->Width(), Rect.Height());
        Rect.Right -= c->Width();
    }
    for (TControl* c : take(alClient)) c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
    // Docked controls share what is left, one above the other.
    std::vector<TControl*> docked;
    for (TControl* c : FDockClients)
        if (c->Visible() && c->Parent() == this) docked.push_back(c);
    const int n = static_cast<int>(docked.size());
    int top = Rect.Top;
    for (int i = 0; i < n; ++i) {
        const int bottom = i == n - 1 ? Rect.Bottom : Rect.Top + Rect.Height() * (i + 1) / n;
        docked[static_cast<std::size_t>(i)]->SetBounds(Rect.Left, top, Rect.Width(),
                                                       std::max(0, bottom - top));
        top = bottom;
    }
}

void TWinControl::ApplyAnchors(const TSize& OldClient) {
    if (ComponentState().Contains(csLoading)) return;
    const TSize now{ClientWidth(), ClientHeight()};
    for (TControl* c : FControls) {
        if (c->Align() != alNone || c->ComponentState().Contains(csLoading)) continue;
        const TAnchors a = c->Anchors();
        if (a == TAnchors{akLeft, akTop}) continue;
        if (!c->FAnchorKnown) {
            c->FAnchorOrigin = c->BoundsRect();
            c->FAnchorParentSize = OldClient;
            c->FAnchorKnown = true;
        }
        const TRect o = c->FAnchorOrigin;
        const int dx = now.cx - c->FAnchorParentSize.cx;
        const int dy = now.cy - c->FAnchorParentSize.cy;
        int left = o.Left, width = o.Width(), top = o.Top, height = o.Height();
        if (a.Contains(akRight)) {
            if (a.Contains(akLeft))
                width += dx;
            else
                left += dx;
        } else if (!a.Contains(akLeft)) {
            left += dx / 2;
        }
        if (a.Contains(akBottom)) {
            if (a.Contains(akTop))
                height += dy;
            else
                top += dy;
        } else if (!a.Contains(akTop)) {
            top += dy / 2;
        }
        const TRect origin = c->FAnchorOrigin;
        const TSize parentSize = c->FAnchorParentSize;
        c->SetBounds(left, top, width, height);
        c->FAnchorOrigin = origin;
        c->FAnchorParentSize = parentSize;
        c->FAnchorKnown = true;
    }
}
