// The page control and its tab sheets.
#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

// ---- TTabSheet -----------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(
        TControlStyle{csAcceptsControls, csClickEvents, csSetCaption, csDoubleClicks, csNoDesignVisible});
    SetAlign(alClient);
    SetVisible(false);
    SetColor(clBtnFace);
    SetParentColor(true);
}

TTabSheet::~TTabSheet() {
    Destroying();
    if (FPageControl) FPageControl->RemovePage(this);
    DestroyHandle();
}

void TTabSheet::SetPageControl(TPageControl* Value) {
    if (Value == FPageControl) return;
    SetParent(Value);
}

void TTabSheet::SetParent(TWinControl* AParent) {
    auto* pc = dynamic_cast<TPageControl*>(AParent);
    if (FPageControl && FPageControl != pc) {
        TPageControl* old = FPageControl;
        old->RemovePage(this);
    }
    TCustomControl::SetParent(AParent);
    if (pc && FPageControl != pc) pc->InsertPage(this);
}

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    const auto& pages = FPageControl->FPages;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
    if (FPageControl) FPageControl->MovePage(this, Value);
}

int TTabSheet::TabIndex() const {
    if (!FPageControl || !FTabVisible) return -1;
    int index = 0;
    for (TTabSheet* p : FPageControl->FPages) {
        if (p == this) return index;
        if (p->FTabVisible) ++index;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
    if (Value == FTabVisible) return;
    FTabVisible = Value;
    if (!FPageControl) return;
    if (!Value && FPageControl->FActivePage == this)
        FPageControl->ChangeActivePage(FPageControl->FindNextPage(this, true, true));
    else if (Value && !FPageControl->FActivePage)
        FPageControl->ChangeActivePage(this);
    FPageControl->Invalidate();
}

void TTabSheet::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
}

void TTabSheet::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    if (FPageControl) FPageControl->Invalidate();
}

void TTabSheet::VisibleChanged() {
    TCustomControl::VisibleChanged();
    if (ComponentState().Contains(csDestroying)) return;
    if (Visible())
        FOnShow(this);
    else
        FOnHide(this);
}

void TTabSheet::Publish(TPublisher<TTabSheet>& p) {
    p.Property("PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl);
    p.Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex);
    p.Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible);
    p.Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex);
    p.Property("OnShow", &TTabSheet::OnShow, &TTabSheet::SetOnShow);
    p.Property("OnHide", &TTabSheet::OnHide, &TTabSheet::SetOnHide);
}

// ---- TPageControl ----------------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
    SetColor(clBtnFace);
    SetParentColor(true);
}

TPageControl::~TPageControl() {
    Destroying();
    for (TTabSheet* p : FPages) p->FPageControl = nullptr;
    FPages.clear();
    FActivePage = nullptr;
    DestroyHandle();
}

TTabSheet* TPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount()) throw EListError(Format("List index out of bounds (%d)", Index));
    return FPages[static_cast<std::size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
    if (std::find(FPages.begin(), FPages.end(), Page) != FPages.end()) return;
    FPages.push_back(Page);
    Page->FPageControl = this;
    Page->FreeNotification(this);
    if (!FActivePage && Page->TabVisible())
        ChangeActivePage(Page);
    else
        Page->SetVisible(Page == FActivePage);
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end()) return;
    if (Page == FActivePage) {
        TTabSheet* next = FindNextPage(Page, true, true);
        if (next == Page) next = nullptr;
        if (ComponentState().Contains(csDestroying)) next = nullptr;
        FActivePage = nullptr;
        if (next) ChangeActivePage(next);
    }
    FPages.erase(std::find(FPages.begin(), FPages.end(), Page));
    Page->FPageControl = nullptr;
    Invalidate();
}

void TPageControl::MovePage(TTabSheet* Page, int NewIndex) {
    auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end()) return;
    FPages.erase(it);
    NewIndex = std::clamp(NewIndex, 0, PageCount());
    FPages.insert(FPages.begin() + NewIndex, Page);
    Invalidate();
}

void TPageControl::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (auto* page = dynamic_cast<TTabSheet*>(AComponent)) RemovePage(page);
    if (AComponent == FImages) FImages = nullptr;
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->FPageControl != this)
        throw EInvalidOperation(Format("Tab sheet %s is not in this page control", Page->Name().c_str()));
    ChangeActivePage(Page);
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
    if (Value >= 0 && Value < PageCount())
        SetActivePage(FPages[static_cast<std::size_t>(Value)]);
    else
        SetActivePage(nullptr);
}

std::vector<TTabSheet*> TPageControl::VisibleTabs() const {
    std::vector<TTabSheet*> tabs;
    for (TTabSheet* p : FPages)
        if (p->TabVisible()) tabs.push_back(p);
    return tabs;
}

int TPageControl::TabIndex() const { return FActivePage ? FActivePage->TabIndex() : -1; }

void TPageControl::SetTabIndex(int Value) {
    const auto tabs = VisibleTabs();
    if (Value >= 0 && Value < static_cast<int>(tabs.size()))
        ChangeActivePage(tabs[static_cast<std::size_t>(Value)]);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* Current, bool GoForward, bool CheckTabVisible) const {
    const int count = PageCount();
    if (count == 0) return nullptr;
    auto it = std::find(FPages.begin(), FPages.end(), Current);
    int start = it == FPages.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - FPages.begin());
    int i = start;
    for (int n = 0; n < count; ++n) {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        TTabSheet* p = FPages[static_cast<std::size_t>(i)];
        if (!CheckTabVisible || p->TabVisible()) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward) {
    TTabSheet* next = FindNextPage(FActivePage, GoForward, true);
    if (next && next != FActivePage) UserSelect(next);
}

void TPageControl::UserSelect(TTabSheet* Page) {
    if (!Page || Page == FActivePage) return;
    if (!CanChange()) return;
    ChangeActivePage(Page);
    if (FActivePage == Page) Change();
}

bool TPageControl::CanChange() {
    bool allow = true;
    FOnChanging(this, allow);
    return allow;
}

void TPageControl::Change() { FOnChange(this); }

void TPageControl::ChangeActivePage(TTabSheet* Page) {
    if (Page == FActivePage) return;
    TCustomForm* form = GetParentForm(this);
    if (form && FActivePage && form->ActiveControl() && FActivePage->ContainsControl(form->ActiveControl())) {
        // The focus leaves the old page first; a handler that keeps it there stops the change.
        if (CanFocus())
            SetFocus();
        else
            form->DefocusControl(FActivePage, false);
        if (form->ActiveControl() && FActivePage->ContainsControl(form->ActiveControl())) return;
    }
    TTabSheet* old = FActivePage;
    FActivePage = Page;
    if (Page) {
        Page->BringToFront();
        Page->SetVisible(true);
    }
    if (old && old != Page) old->SetVisible(false);
    Realign();
    Invalidate();
}

void TPageControl::SetTabHeight(int Value) {
    FTabHeight = std::max(0, Value);
    Realign();
    Invalidate();
}

void TPageControl::SetTabWidth(int Value) {
    FTabWidth = std::max(0, Value);
    Invalidate();
}

void TPageControl::SetImages(TImageList* Value) {
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

int TPageControl::TabTextWidth(TTabSheet* Page) const {
    TCanvas* c = Canvas();
    c->SetFont(Font());
    TRect r{};
    DrawText(c, Page->Caption().empty() ? " " : Page->Caption(), r, DT_CALCRECT | DT_SINGLELINE);
    return r.Width();
}

void DrawTabFace(TCanvas* Canvas, const TRect& R, TColor Face, bool Top, bool InnerShadow) {
    TCanvas* c = Canvas;
    const TRect& r = R;
    c->Brush()->SetColor(Face);
    c->FillRect(r);
    if (Top) {
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(r.Left, r.Bottom - 1);
        c->LineTo(r.Left, r.Top + 2);
        c->LineTo(r.Left + 2, r.Top);
        c->LineTo(r.Right - 2, r.Top);
        c->Pen()->SetColor(cl3DDkShadow);
        c->MoveTo(r.Right - 2, r.Top + 1);
        c->LineTo(r.Right - 1, r.Top + 2);
        c->LineTo(r.Right - 1, r.Bottom);
        if (InnerShadow) {
            c->Pen()->SetColor(clBtnShadow);
            c->MoveTo(r.Right - 2, r.Top + 2);
            c->LineTo(r.Right - 2, r.Bottom);
        }
        return;
    }
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(r.Left, r.Top);
    c->LineTo(r.Left, r.Bottom - 3);
    c->Pen()->SetColor(cl3DDkShadow);
    c->MoveTo(r.Left + 1, r.Bottom - 2);
    c->LineTo(r.Left + 2, r.Bottom - 1);
    c->LineTo(r.Right - 2, r.Bottom - 1);
    c->LineTo(r.Right - 1, r.Bottom - 2);
    c->LineTo(r.Right - 1, r.Top - 1);
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(r.Left + 2, r.Bottom - 2);
    c->LineTo(r.Right - 2, r.Bottom - 2);
    c->LineTo(r.Right - 2, r.Top - 1);
}

namespace {
int TabRowHeight(const TPageControl* Control, int TabHeight) {
    if (TabHeight > 0) return TabHeight;
    TCanvas* c = Control->Canvas();
    c->SetFont(Control->Font());
    return c->TextHeight("Wg") + 8;
}
}  // namespace

TRect TPageControl::TabRect(int Index) const {
    const auto tabs = VisibleTabs();
    if (Index < 0 || Index >= static_cast<int>(tabs.size())) return {};
    const int h = TabRowHeight(this, FTabHeight);
    int x = 2;
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
        TTabSheet* p = tabs[static_cast<std::size_t>(i)];
        int w = FTabWidth > 0 ? FTabWidth : TabTextWidth(p) + 12;
        if (FImages && p->ImageIndex() >= 0) w += FImages->Width() + 3;
        if (i == Index) return Rect(x, 2, x + w, h);
        x += w;
    }
    return {};
}

int TPageControl::IndexOfTabAt(int X, int Y) const {
    const int count = static_cast<int>(VisibleTabs().size());
    for (int i = 0; i < count; ++i) {
        TRect r = TabRect(i);
        if (FActivePage && FActivePage->TabIndex() == i) InflateRect(r, 2, 2);
        if (PtInRect(r, {X, Y})) return i;
    }
    return -1;
}

TRect TPageControl::DisplayRect() const {
    const int h = TabRowHeight(this, FTabHeight);
    return Rect(4, h + 4, std::max(4, Width() - 4), std::max(h + 4, Height() - 4));
}

void TPageControl::AdjustClientRect(TRect& Rect) { Rect = DisplayRect(); }

void TPageControl::Paint() {
    TCanvas* c = Canvas();
    const int h = TabRowHeight(this, FTabHeight);
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    TRect frame = Rect(0, h, Width(), Height());
    DrawEdge(c, frame, EDGE_RAISED, BF_RECT);
    const auto tabs = VisibleTabs();
    c->SetFont(Font());
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
        TTabSheet* p = tabs[static_cast<std::size_t>(i)];
        const bool active = p == FActivePage;
        TRect r = TabRect(i);
        if (active) r = Rect(r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 1);
        DrawTabFace(c, r, Color(), true, true);
        int textLeft = r.Left + 6;
        if (FImages && p->ImageIndex() >= 0) {
            FImages->Draw(c, textLeft, r.Top + (r.Height() - FImages->Height()) / 2, p->ImageIndex());
            textLeft += FImages->Width() + 3;
        }
        TRect t = Rect(textLeft, r.Top, r.Right - 4, r.Bottom);
        c->Brush()->SetStyle(bsClear);
        DrawText(c, p->Caption(), t, DT_SINGLELINE | DT_VCENTER | (FTabWidth > 0 ? DT_CENTER : 0u));
        c->Brush()->SetStyle(bsSolid);
        if (active && Focused()) {
            TRect f = Rect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 2);
            c->DrawFocusRect(f);
        }
    }
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        const int index = IndexOfTabAt(X, Y);
        const auto tabs = VisibleTabs();
        if (index >= 0 && !RunWhileAlive(this, [&] { UserSelect(tabs[static_cast<std::size_t>(index)]); }))
            return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPageControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_LEFT || Key == VK_RIGHT) {
        SelectNextPage(Key == VK_RIGHT);
        Key = 0;
    }
}

void TPageControl::CMDialogKey(TMessage& Message) {
    const TShiftState shift = KeyDataToShiftState(Message.LParam);
    if (Message.WParam == VK_TAB && shift.Contains(ssCtrl)) {
        TCustomForm* form = GetParentForm(this);
        TWinControl* active = form ? form->ActiveControl() : nullptr;
        if (active && ContainsControl(active)) {
            SelectNextPage(!shift.Contains(ssShift));
            Message.Result = 1;
            return;
        }
    }
    TCustomControl::CMDialogKey(Message);
}

void TPageControl::CMDialogChar(TMessage& Message) {
    const auto tabs = VisibleTabs();
    for (TTabSheet* p : tabs)
        if (IsAccel(static_cast<char32_t>(Message.WParam), p->Caption()) && CanFocus()) {
            if (p != FActivePage) UserSelect(p);
            Message.Result = 1;
            return;
        }
    TCustomControl::CMDialogChar(Message);
}

void TPageControl::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS; }

void TPageControl::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TPageControl::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TPageControl::Publish(TPublisher<TPageControl>& p) {
    p.Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    p.Property("ActivePageIndex", &TPageControl::ActivePageIndex, &TPageControl::SetActivePageIndex);
    p.Property("TabHeight", &TPageControl::TabHeight, &TPageControl::SetTabHeight);
    p.Property("TabWidth", &TPageControl::TabWidth, &TPageControl::SetTabWidth);
    p.Property("Images", &TPageControl::Images, &TPageControl::SetImages);
    p.Property("OnChange", &TPageControl::OnChange, &TPageControl::SetOnChange);
    p.Property("OnChanging", &TPageControl::OnChanging, &TPageControl::SetOnChanging);
}
