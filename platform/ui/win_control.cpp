// TWinControl: children, alignment, tab order and focus, the window's life
// cycle, keys and painting.
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/scroll_bars.h"

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    Destroying();
    // Leave the parent while this is still a windowed control (its tab
    // order keeps windowed controls only).
    if (FParent) FParent->RemoveControl(this);
    RemovePostedMessages(this);
    if (GPendingChar.Target == this) GPendingChar.Waiting = false;
    if (TCustomForm* form = GetParentForm(this); form && form != this)
        if (!form->ComponentState().Contains(csDestroying)) form->DefocusControl(this, true);
    while (!FControls.empty()) {
        TControl* child = FControls.back();
        RemoveControl(child);
        delete child;
    }
    DestroyHandle();
}

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
    if (win && win->FParentCtl3D) win->FCtl3D = FCtl3D;
    AControl->FAnchorKnown = false;
    if (win && HandleAllocated()) win->HandleNeeded();
    AControl->Invalidate();
    Realign();
}

void TWinControl::RemoveControl(TControl* AControl) {
    if (!AControl || AControl->FParent != this) return;
    if (TCustomForm* form = GetParentForm(this)) {
        if (auto* win = dynamic_cast<TWinControl*>(AControl)) form->DefocusControl(win, true);
    }
    if (FMouseControl == AControl) FMouseControl = nullptr;
    AControl->Invalidate();
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        win->DestroyHandle();
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), win), FTabList.end());
    }
    FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
    AControl->FParent = nullptr;
    Realign();
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

// ---- Tab order and focus ---------------------------------------------------------------

void TWinControl::SetTabStop(bool Value) {
    if (Value == FTabStop) return;
    FTabStop = Value;
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
    if (!FParent) return -1;
    const auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!FParent) return;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (Value < 0 || Value > static_cast<int>(list.size())) Value = static_cast<int>(list.size());
    list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* c : FTabList) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    const int count = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), CurControl);
    int start = it == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
    int i = start;
    do {
        if (GoForward) {
            if (++i == count) i = 0;
        } else {
            if (i == 0) i = count;
            --i;
        }
        TWinControl* c = list[static_cast<std::size_t>(i)];
        if (c != CurControl && c->CanFocus() && (!CheckTabStop || c->TabStop()) &&
            (!CheckParent || c->Parent() == this))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        next->SetFocus();
}

void TWinControl::SelectFirst() {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
}

bool TWinControl::CanFocus() const {
    TCustomForm* form = GetParentForm(this);
    if (form && (!form->Enabled() || !form->Visible())) return false;
    for (const TControl* c = this; c; c = c->Parent()) {
        if (!c->Visible() || !c->Enabled()) return false;
        if (c == form) break;
    }
    return true;
}

bool TWinControl::Focused() const {
    QWidget* w = Widget();
    return w && QApplication::focusWidget() == w;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm(this)) {
        form->FocusControl(this);
        return;
    }
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    HandleNeeded();
    if (QWidget* w = Widget()) w->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetCtl3D(bool Value) {
    FParentCtl3D = false;
    if (Value == FCtl3D) return;
    FCtl3D = Value;
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->FParentCtl3D) {
            w->SetCtl3D(Value);
            w->FParentCtl3D = true;
        }
    if (HandleAllocated()) RecreateWnd();
}

void TWinControl::SetParentCtl3D(bool Value) {
    if (Value == FParentCtl3D) return;
    FParentCtl3D = Value;
    if (Value && FParent && FParent->Ctl3D() != FCtl3D) {
        SetCtl3D(FParent->Ctl3D());
        FParentCtl3D = true;
    }
}

// ---- The window ----------------------------------------------------------------------

QWidget* TWinControl::Widget() const { return FWindow ? FWindow->Widget.data() : nullptr; }
QWidget* TWinControl::SurfaceWidget() const { return Widget(); }
TPoint TWinControl::SurfaceOrigin() const { return {FNonClient.Left, FNonClient.Top}; }

bool TWinControl::HandleAllocated() const { return Widget() != nullptr; }

void TWinControl::HandleNeeded() {
    if (HandleAllocated()) return;
    if (FParent) {
        FParent->HandleNeeded();
        if (HandleAllocated()) return;
    }
    CreateHandle();
}

uintptr_t TWinControl::Handle() {
    HandleNeeded();
    return reinterpret_cast<uintptr_t>(Widget());
}

void TWinControl::CreateHandle() {
    if (HandleAllocated()) return;
    EnsureToolkit();
    CreateWnd();
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->HandleAllocated()) w->CreateHandle();
}

void TWinControl::DestroyChildrenWindows() {
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
}

void TWinControl::DestroyHandle() {
    if (!FWindow) return;
    DestroyChildrenWindows();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    if (!FWindow) return;
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    QWidget* w = FWindow->Widget.data();
    if (FWindowScrollBars) FWindowScrollBars->Detach();
    if (FWindow->Host) FWindow->Host->DetachControl();
    FWindow.reset();
    if (w) DisposeWidget(w);
}

void TWinControl::RecreateWnd() {
    FBorderValid = false;
    if (!HandleAllocated()) {
        LayoutScrollBars();
        UpdateNonClient();
        return;
    }
    const bool hadFocus = Focused();
    DestroyHandle();
    HandleNeeded();
    if (hadFocus && CanFocus()) SetFocus();
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params.Caption = Text();
    Params.X = Left();
    Params.Y = Top();
    Params.Width = Width();
    Params.Height = Height();
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (!Enabled()) Params.Style |= WS_DISABLED;
    if (FTabStop) Params.Style |= WS_TABSTOP;
    if (ControlStyle().Contains(csDoubleClicks)) Params.WindowClassStyle |= CS_DBLCLKS;
    Params.WndParent = FParent;
}

TRect TWinControl::BorderFromParams(const TCreateParams& Params) const {
    int b = 0;
    if (Params.ExStyle & WS_EX_CLIENTEDGE) b += 2;
    if (Params.ExStyle & WS_EX_STATICEDGE) b += 1;
    if (Params.Style & WS_BORDER) b += 1;
    return {b, b, b, b};
}

TRect TWinControl::BorderMargins() const {
    if (!FBorderValid) {
        TCreateParams params;
        const_cast<TWinControl*>(this)->CreateParams(params);
        FBorder = BorderFromParams(params);
        FBorderValid = true;
    }
    return FBorder;
}

TRect TWinControl::AllMargins() const {
    const TRect b = BorderMargins();
    return {b.Left + FExtraMargins.Left + FScrollMargins.Left, b.Top + FExtraMargins.Top + FScrollMargins.Top,
            b.Right + FExtraMargins.Right + FScrollMargins.Right,
            b.Bottom + FExtraMargins.Bottom + FScrollMargins.Bottom};
}

void TWinControl::UpdateNonClient() {
    const TRect n = AllMargins();
    if (n == FNonClient) return;
    FNonClient = n;
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateWidgetGeometry();
    BoundsChanged();
    Invalidate();
}

void TWinControl::SetNonClientMargins(const TRect& Margins) {
    FExtraMargins = Margins;
    LayoutScrollBars();
    UpdateNonClient();
}

// ---- Scroll bars ------------------------------------------------------------------------

TWindowScrollBars& TWinControl::WindowScrollBars() {
    if (!FWindowScrollBars) {
        FWindowScrollBars = std::make_unique<TWindowScrollBars>(
            [this](const TRect& R) {
                if (R == FScrollMargins) return;
                FScrollMargins = R;
                UpdateNonClient();
            },
            [this](unsigned Msg, WPARAM W) { Perform(Msg, W, 0); });
        if (QWidget* w = Widget()) FWindowScrollBars->Attach(w);
        LayoutScrollBars();
    }
    return *FWindowScrollBars;
}

void TWinControl::LayoutScrollBars() {
    if (!FWindowScrollBars) return;
    const TRect b = BorderMargins();
    const TRect inside{b.Left + FExtraMargins.Left, b.Top + FExtraMargins.Top, b.Right + FExtraMargins.Right,
                       b.Bottom + FExtraMargins.Bottom};
    FWindowScrollBars->Layout(Width(), Height(), inside);
}

bool TWinControl::SetScrollInfo(int Bar, const TScrollInfo& Info, bool) {
    return WindowScrollBars().SetInfo(Bar, Info);
}

bool TWinControl::GetScrollInfo(int Bar, TScrollInfo& Info) const {
    if (FWindowScrollBars) {
        FWindowScrollBars->GetInfo(Bar, Info);
    } else {
        const TScrollInfo none;
        Info.nMin = none.nMin;
        Info.nMax = none.nMax;
        Info.nPage = none.nPage;
        Info.nPos = none.nPos;
        Info.nTrackPos = none.nTrackPos;
    }
    return true;
}

int TWinControl::GetScrollPos(int Bar) const {
    return FWindowScrollBars ? FWindowScrollBars->State(Bar).Pos : 0;
}

void TWinControl::ShowScrollBar(int Bar, bool Show) { WindowScrollBars().Show(Bar, Show); }

void TWinControl::EnableScrollBar(int Bar, bool Enable) { WindowScrollBars().Enable(Bar, Enable); }

bool TWinControl::ScrollBarVisible(int Bar) const {
    return FWindowScrollBars && FWindowScrollBars->State(Bar).Visible;
}

bool TWinControl::ScrollBarEnabled(int Bar) const {
    return !FWindowScrollBars || FWindowScrollBars->State(Bar).Enabled;
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    FBorder = BorderFromParams(params);
    FBorderValid = true;
    FWindow = std::make_unique<TWinControlWindow>();
    FWindow->Params = params;
    FWindow->TopLevel = (params.Style & WS_POPUP) || !params.WndParent;
    CreateWindowHandle(params);
    QWidget* w = Widget();
    if (!w) {
        FWindow.reset();
        throw EOutOfResources("Error creating window");
    }
    if (FWindow->TopLevel && (params.Style & WS_POPUP) && params.WndParent && !w->parentWidget()) {
        // A pop-up of a control floats above the control's window and, unlike
        // an ownerless window, stays usable while that window is modal.
        params.WndParent->HandleNeeded();
        if (QWidget* owner = params.WndParent->Widget()) w->setParent(owner->window(), w->windowFlags());
    }
    if (FWindowScrollBars) {
        FWindowScrollBars->Attach(w);
        LayoutScrollBars();
    }
    UpdateNonClient();
    w->setMouseTracking(true);
    w->setEnabled(Enabled());
    if (Cursor() != crDefault) w->setCursor(ToQtCursor(Cursor()));
    if (!FWindow->SelfPainted) {
        w->setFont(ToQFont(Font()));
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, ToQColor(Color()));
        pal.setColor(QPalette::Text, ToQColor(Font()->Color()));
        pal.setColor(QPalette::WindowText, ToQColor(Font()->Color()));
        w->setPalette(pal);
    }
    if (FWindow->TopLevel) w->setWindowTitle(ToQString(Text()));
    UpdateWidgetGeometry();
    UpdateWidgetVisibility();
    FLastClientSize = {ClientWidth(), ClientHeight()};
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    QWidget* parent = ParentWidgetFor(Params);
    auto* w = new TQtHost<QWidget>(this, parent);
    if (!parent) {
        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint;
        if (Params.ExStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
        w->setWindowFlags(flags);
        w->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    w->setAttribute(Qt::WA_OpaquePaintEvent);
    w->setAttribute(Qt::WA_NoSystemBackground);
    AttachWidget(w, true);
}

void TWinControl::AttachWidget(QWidget* Widget, bool SelfPainted) {
    if (!FWindow) FWindow = std::make_unique<TWinControlWindow>();
    auto* host = dynamic_cast<IWidgetHost*>(Widget);
    if (!host || host->HostControl() != this)
        throw EInvalidOperation("The window of " + ClassName() + " must route its events to it");
    FWindow->Widget = Widget;
    FWindow->Host = host;
    FWindow->SelfPainted = SelfPainted;
}

void TWinControl::UpdateWidgetGeometry() {
    QWidget* w = Widget();
    if (!w) return;
    if (FWindow->TopLevel) {
        w->setGeometry(Left(), Top(), std::max(1, Width()), std::max(1, Height()));
        return;
    }
    const TPoint o = FParent ? FParent->SurfaceOrigin() : TPoint{0, 0};
    w->setGeometry(o.X + Left(), o.Y + Top(), Width(), Height());
}

void TWinControl::UpdateWidgetVisibility() {
    if (QWidget* w = Widget()) w->setVisible(Visible());
}

void TWinControl::WindowGeometryChanged(int ALeft, int ATop, int AWidth, int AHeight) {
    SetBounds(ALeft, ATop, AWidth, AHeight);
}

bool TWinControl::Showing() const {
    if (QWidget* w = Widget()) return w->isVisible();
    return Visible() && FParent && FParent->Showing();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TWinControl::BoundsChanged() {
    LayoutScrollBars();
    UpdateWidgetGeometry();
    const TSize now{ClientWidth(), ClientHeight()};
    if (now == FLastClientSize) return;
    FSizeBeforeResize = FLastClientSize;
    FLastClientSize = now;
    Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(now.cx, now.cy));
}

TRect TWinControl::ClientRect() const {
    const TRect m = AllMargins();
    return Rect(0, 0, std::max(0, Width() - m.Left - m.Right), std::max(0, Height() - m.Top - m.Bottom));
}

TPoint TWinControl::ClientOrigin() const {
    const TRect m = AllMargins();
    const TPoint nc{m.Left, m.Top};
    if (QWidget* w = Widget()) {
        const QPoint g = w->mapToGlobal(QPoint(nc.X, nc.Y));
        return {g.x(), g.y()};
    }
    if (FParent) {
        const TPoint p = FParent->ClientOrigin();
        return {p.X + Left() + nc.X, p.Y + Top() + nc.Y};
    }
    return {Left() + nc.X, Top() + nc.Y};
}

void TWinControl::VisibleChanged() {
    if (!Visible())
        if (TCustomForm* form = GetParentForm(this); form && form != this) form->DefocusControl(this, false);
    UpdateWidgetVisibility();
}

void TWinControl::Loaded() {
    TControl::Loaded();
    // Children were placed while loading; align them now.
    Realign();
}

void TWinControl::SetTextValue(const std::string& Value) {
    TControl::SetTextValue(Value);
    if (QWidget* w = Widget(); w && w->isWindow()) w->setWindowTitle(ToQString(Value));
}

// ---- Painting --------------------------------------------------------------------------

void TWinControl::Invalidate() {
    if (QWidget* w = Widget()) w->update();
}

void TWinControl::Repaint() {
    if (QWidget* w = Widget(); w && w->isVisible()) w->repaint();
}

void TWinControl::Update() {
    if (QWidget* w = Widget(); w && w->window())
        QCoreApplication::sendPostedEvents(w->window(), QEvent::UpdateRequest);
}

void TWinControl::PaintTo(TCanvas* Canvas, int X, int Y) {
    if (!Canvas) return;
    HandleNeeded();
    QWidget* w = Widget();
    if (!w || Width() <= 0 || Height() <= 0) return;
    QImage image(Width(), Height(), QImage::Format_RGB32);
    image.fill(ToQColor(Color()));
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const TCopyMode mode = Canvas->CopyMode();
    Canvas->SetCopyMode(cmSrcCopy);
    DrawImage(Canvas, image, Bounds(X, Y, Width(), Height()), -1);
    Canvas->SetCopyMode(mode);
}

void TWinControl::ScrollBy(int DeltaX, int DeltaY) {
    if (QWidget* w = Widget()) {
        const TRect c = ClientRect();
        w->scroll(DeltaX, DeltaY, QRect(FNonClient.Left, FNonClient.Top, c.Width(), c.Height()));
    }
    // Moving the children is no reason to align them again.
    ++FAlignLevel;
    for (TControl* c : FControls)
        c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    --FAlignLevel;
}

void TWinControl::PaintWindow(TCanvas*) {}

void TWinControl::PaintOverWidget(TCanvas*) {}

void TWinControl::PaintNonClient(TCanvas* Canvas) {
    TRect r = Rect(0, 0, Width(), Height());
    if (FExtraMargins != TRect{} || FScrollMargins != TRect{}) {
        Canvas->Brush()->SetColor(clBtnFace);
        Canvas->FillRect(r);
    }
    const TCreateParams& p = FWindow->Params;
    if (p.ExStyle & WS_EX_CLIENTEDGE) DrawEdge(Canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (p.ExStyle & WS_EX_STATICEDGE) DrawEdge(Canvas, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (p.Style & WS_BORDER) {
        Canvas->Brush()->SetColor(clWindowFrame);
        Canvas->FrameRect(r);
    }
}

void TWinControl::PaintControls(TControl* First) {
    QWidget* w = Widget();
    TPaintContext* ctx = w ? ActivePaintContext(w) : nullptr;
    if (!ctx) return;
    bool started = First == nullptr;
    for (TControl* c : std::vector<TControl*>(FControls)) {
        if (c == First) started = true;
        if (!started || dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        const TPoint o = c->SurfaceOrigin();
        if (!ctx->Region.intersects(QRect(o.X, o.Y, c->Width(), c->Height()))) continue;
        TMessage m;
        m.Msg = WM_PAINT;
        m.WParam = reinterpret_cast<WPARAM>(ctx);
        c->WndProc(m);
    }
}

void TWinControl::WMPaint(TMessage& Message) {
    TNativeEvent* n = Message.Native;
    QWidget* w = Widget();
    if (!n || !n->Paint || !w) {
        // Sent by code: paint now.
        Repaint();
        return;
    }
    TPaintContext* ctx = n->Paint;
    if (FWindow->SelfPainted) {
        if (FNonClient != TRect{}) {
            TCanvas frame;
            const QRect all(0, 0, Width(), Height());
            BindCanvas(&frame, ctx->EnsurePainter(), QPoint(), &all, nullptr, ctx);
            PaintNonClient(&frame);
        }
        TMessage erase;
        erase.Msg = WM_ERASEBKGND;
        erase.WParam = reinterpret_cast<WPARAM>(ctx);
        WndProc(erase);
        TControlCanvas canvas;
        canvas.SetControl(this);
        PaintWindow(&canvas);
    } else {
        n->RunDefault();
        TControlCanvas canvas;
        canvas.SetControl(this);
        PaintOverWidget(&canvas);
    }
    PaintControls(nullptr);
    Message.Result = 0;
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    Message.Result = 1;
    if (ControlStyle().Contains(csOpaque)) return;
    auto* ctx = reinterpret_cast<TPaintContext*>(Message.WParam);
    if (!ctx) return;
    const TRect c = ClientRect();
    QPainter* p = ctx->EnsurePainter();
    p->setWorldTransform(QTransform());
    p->setClipping(false);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(QRect(FNonClient.Left, FNonClient.Top, c.Width(), c.Height()), ToQColor(Color()));
}

// ---- Messages --------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        if (IsControlMouseMsg(Message)) return;
        if (Message.Msg == WM_MOUSEMOVE) TrackMouseControl(nullptr);
        break;
    case CM_MOUSELEAVE: TrackMouseControl(nullptr); break;
    default: break;
    }
    TControl::WndProc(Message);
}

void TWinControl::TrackMouseControl(TControl* Target) {
    if (Target == FMouseControl) return;
    TControl* old = FMouseControl;
    FMouseControl = Target;
    if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
    if (Target) Target->Perform(CM_MOUSEENTER, 0, 0);
    if (QWidget* w = Widget()) {
        const TCursor cursor = Target ? Target->Cursor() : Cursor();
        if (cursor == crDefault)
            w->unsetCursor();
        else
            w->setCursor(ToQtCursor(cursor));
    }
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    const TPoint pos = MousePos(Message);
    TControl* target = nullptr;
    TControl* capture = GetCaptureControl();
    if (capture && capture != this) {
        // A capturing graphic child takes everything; another capture leaves
        // the message to this control.
        if (capture->Parent() != this || dynamic_cast<TWinControl*>(capture)) return false;
        target = capture;
    } else {
        target = ControlAtPos(pos, false);
    }
    if (!target) return false;
    if (Message.Msg == WM_MOUSEMOVE)
        TrackMouseControl(PtInRect(target->BoundsRect(), pos) ? target : nullptr);
    TMessage m = Message;
    m.LParam = MakeLParam(pos.X - target->Left(), pos.Y - target->Top());
    target->WndProc(m);
    Message.Result = m.Result;
    return true;
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN: WMKeyDown(Message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case WM_KEYUP: WMKeyUp(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_SYSCHAR: WMSysChar(Message); break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(Message); break;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case WM_HELP:
    case CM_INVOKEHELP: WMHelp(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_CHILDKEY: CMChildKey(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_ENABLEDCHANGED:
        if (QWidget* w = Widget()) w->setEnabled(Enabled());
        if (!Enabled())
            if (TCustomForm* form = GetParentForm(this); form && form != this)
                form->DefocusControl(this, false);
        TControl::Dispatch(Message);
        break;
    case CM_FONTCHANGED:
        if (QWidget* w = Widget(); w && !FWindow->SelfPainted) {
            w->setFont(ToQFont(Font()));
            // The font's colour is the wrapped widget's text colour.
            QPalette pal = w->palette();
            pal.setColor(QPalette::Text, ToQColor(Font()->Color()));
            pal.setColor(QPalette::WindowText, ToQColor(Font()->Color()));
            w->setPalette(pal);
        }
        TControl::Dispatch(Message);
        NotifyControls(CM_PARENTFONTCHANGED);
        break;
    case CM_COLORCHANGED:
        if (QWidget* w = Widget(); w && !FWindow->SelfPainted) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Base, ToQColor(Color()));
            w->setPalette(pal);
        }
        TControl::Dispatch(Message);
        NotifyControls(CM_PARENTCOLORCHANGED);
        break;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); break;
    case CM_CURSORCHANGED:
        if (QWidget* w = Widget()) {
            if (Cursor() == crDefault)
                w->unsetCursor();
            else
                w->setCursor(ToQtCursor(Cursor()));
        }
        break;
    default: TControl::Dispatch(Message); break;
    }
}

namespace {

void SendSyntheticKey(IWidgetHost* host, QEvent::Type type, int qtKey, const QString& text) {
    QKeyEvent ev(type, qtKey, ModifiersOf(GetShiftState()), text);
    host->BaseEvent(&ev);
}

int QtKeyOfChar(char32_t ch) {
    switch (ch) {
    case 8: return Qt::Key_Backspace;
    case 9: return Qt::Key_Tab;
    case 13: return Qt::Key_Return;
    case 27: return Qt::Key_Escape;
    case 32: return Qt::Key_Space;
    default: break;
    }
    if (ch >= 'a' && ch <= 'z') return Qt::Key_A + static_cast<int>(ch - 'a');
    if (ch >= 'A' && ch <= 'Z') return Qt::Key_A + static_cast<int>(ch - 'A');
    if (ch >= '0' && ch <= '9') return Qt::Key_0 + static_cast<int>(ch - '0');
    if (ch < 0x80) return static_cast<int>(ch);
    return Qt::Key_unknown;
}

QString TextOfChar(char32_t ch) {
    if (ch == 0) return {};
    return QString::fromUcs4(&ch, 1);
}

}  // namespace

void TWinControl::DefaultHandler(TMessage& Message) {
    TNativeEvent* n = Message.Native;
    IWidgetHost* host = FWindow ? FWindow->Host : nullptr;
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_F1) {
            Perform(WM_HELP, 0, 0);
            return;
        }
        if (!host || FWindow->SelfPainted) return;
        if (n && n->Event && n->Key == Message.WParam) {
            if (n->Char == 0) n->RunDefault();  // else the character brings the event to the widget
        } else {
            SendSyntheticKey(host, QEvent::KeyPress, QtKeyOf(static_cast<uint16_t>(Message.WParam)),
                             QString());
        }
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!host || FWindow->SelfPainted) return;
        if (n && n->Event && n->Key == Message.WParam)
            n->RunDefault();
        else
            SendSyntheticKey(host, QEvent::KeyRelease, QtKeyOf(static_cast<uint16_t>(Message.WParam)),
                             QString());
        return;
    case WM_CHAR:
    case WM_SYSCHAR: {
        if (!host || FWindow->SelfPainted) return;
        const auto ch = static_cast<char32_t>(Message.WParam);
        if (n && n->Event && n->Char == ch) {
            n->RunDefault();
        } else {
            // A changed character types the new one.
            const int key = n && n->Event && n->Char == 13 && ch == 13 ? Qt::Key_Return : QtKeyOfChar(ch);
            SendSyntheticKey(host, QEvent::KeyPress, key, ch >= 32 ? TextOfChar(ch) : QString());
        }
        return;
    }
    case WM_MOUSEWHEEL:
        if (host && !FWindow->SelfPainted && n && n->Event) {
            n->Event->setAccepted(false);
            n->RunDefault();
            Message.Result = n->Event->isAccepted() ? 1 : 0;
        }
        return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (n && n->Event && host && !n->DefaultDone && n->Event->type() == QEvent::MouseButtonDblClick) {
            // A control without double clicks has its second press handled as a
            // press by its window too.
            auto* e = static_cast<QMouseEvent*>(n->Event);
            QMouseEvent press(QEvent::MouseButtonPress, e->position(), e->globalPosition(), e->button(),
                              e->buttons(), e->modifiers());
            n->DefaultDone = true;
            host->BaseEvent(&press);
            return;
        }
        if (n && n->Event && host) n->RunDefault();
        return;
    case WM_CONTEXTMENU:
        if (host && !FWindow->SelfPainted) {
            const TPoint screen = MousePos(Message);
            const QPoint global(screen.X, screen.Y);
            QContextMenuEvent ev(QContextMenuEvent::Mouse, Widget()->mapFromGlobal(global), global);
            ev.setAccepted(false);
            host->BaseEvent(&ev);
            Message.Result = ev.isAccepted() ? 1 : 0;
        }
        return;
    default:
        if (n && n->Event && host) n->RunDefault();
        return;
    }
}

// ---- Keys -------------------------------------------------------------------------------

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) { FOnKeyDown(this, Key, Shift); }
void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) { FOnKeyUp(this, Key, Shift); }
void TWinControl::KeyPress(char32_t& Key) { FOnKeyPress(this, Key); }

bool TWinControl::DoKeyDown(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(Message))
        return true;
    if (ControlStyle().Contains(csNoStdEvents)) return false;
    auto key = static_cast<uint16_t>(Message.WParam);
    KeyDown(key, KeyDataToShiftState(Message.LParam));
    Message.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(Message))
        return true;
    if (ControlStyle().Contains(csNoStdEvents)) return false;
    auto key = static_cast<uint16_t>(Message.WParam);
    KeyUp(key, KeyDataToShiftState(Message.LParam));
    Message.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(Message))
        return true;
    if (ControlStyle().Contains(csNoStdEvents)) return false;
    auto ch = static_cast<char32_t>(Message.WParam);
    KeyPress(ch);
    Message.WParam = ch;
    return ch == 0;
}

void TWinControl::WMKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) {
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::CNKeyDown(TMessage& Message) {
    Message.Result = 1;
    TCustomForm* form = GetParentForm(this);
    if (form && form->IsShortCut(Message)) return;
    if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
    LRESULT mask = 0;
    switch (Message.WParam) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, 0) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 && form &&
        form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0)
        return;
    Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
    Message.Result = 1;
    TCustomForm* form = GetParentForm(this);
    if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && form &&
        form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
        return;
    Message.Result = 0;
}

void TWinControl::CMChildKey(TMessage& Message) {
    if (FParent) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::WMGetDlgCode(TMessage& Message) { Message.Result = 0; }

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMShowingChanged(TMessage&) {}

void TWinControl::WMHelp(TMessage& Message) {
    for (const TControl* c = this; c; c = c->Parent()) {
        if (c->HelpContext() != 0) {
            if (Application) Application->HelpContext(c->HelpContext());
            Message.Result = 1;
            return;
        }
    }
}

// ---- Focus messages --------------------------------------------------------------------

void TWinControl::WMSetFocus(TMessage& Message) {
    if (TCustomForm* form = GetParentForm(this); form && form != this)
        if (!form->SetFocusedControl(this)) return;
    DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }
void TWinControl::DoEnter() { FOnEnter(this); }
void TWinControl::DoExit() { FOnExit(this); }

void TWinControl::WMSize(TMessage& Message) {
    ApplyAnchors(FSizeBeforeResize);
    Realign();
    if (!ComponentState().Contains(csLoading)) Resize();
    Message.Result = 0;
}

void TWinControl::Publish(TPublisher<TWinControl>& p) {
    p.Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D);
    p.Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D);
    p.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
    p.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
    p.Property("OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    p.Property("OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    p.Property("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    p.Property("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    p.Property("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
}
