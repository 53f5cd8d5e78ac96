// TWinControl: its life cycle, the window and its widget, scroll bars,
// geometry and painting. Children and layout are in win_control_layout.cpp,
// messages, keys and focus in win_control_input.cpp.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QInputMethod>
#include <QWidget>

#include "platform/ui/controls.h"
#include "platform/ui/drawing.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/forms.h"
#include "platform/ui/popup_window.h"
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

// ---- Look ------------------------------------------------------------------------------

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
    if (UseRightToLeftScrollBar()) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
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
        FLeftScrollBar = (params.ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
        FBorderValid = true;
    }
    return FBorder;
}

TRect TWinControl::AllMargins() const {
    const TRect v = BevelMargins(), w = BorderMargins();
    const int r = FBorderWidth;
    const TRect b{v.Left + w.Left + r, v.Top + w.Top + r, v.Right + w.Right + r, v.Bottom + w.Bottom + r};
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
    const TRect v = BevelMargins(), w = BorderMargins();
    const int r = FBorderWidth;
    const TRect b{v.Left + w.Left + r, v.Top + w.Top + r, v.Right + w.Right + r, v.Bottom + w.Bottom + r};
    const TRect inside{b.Left + FExtraMargins.Left, b.Top + FExtraMargins.Top, b.Right + FExtraMargins.Right,
                       b.Bottom + FExtraMargins.Bottom};
    // A control that mirrors its contents starts its horizontal bar at the right too.
    FWindowScrollBars->Layout(Width(), Height(), inside, FLeftScrollBar,
                              FLeftScrollBar && UseRightToLeftAlignment());
}

void TWinControl::ScrollBarSidesChanged() {
    FBorderValid = false;  // read again from CreateParams with the frame edges
    LayoutScrollBars();
    UpdateNonClient();
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
    FLeftScrollBar = (params.ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
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
    if (FWindow->TopLevel && (params.ExStyle & WS_EX_NOACTIVATE)) {
        w->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
        KeepActivationOff(this);
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
    FBevelOnWidget = false;
    if (BevelMargins() != TRect{} || FBorderWidth > 0) BevelChanged();
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
    ApplyImeMode();
    FLastClientSize = {ClientWidth(), ClientHeight()};
}

// ---- Input method --------------------------------------------------------------------------

std::string ScreenDefaultIme() { return qEnvironmentVariable("QT_IM_MODULE").toStdString(); }

void TWinControl::SetImeMode(TImeMode Value) {
    if (Value == FImeMode) return;
    FImeMode = Value;
    ApplyImeMode();
}

void TWinControl::ApplyImeMode() {
    QWidget* w = Widget();
    if (!w) return;
    // The attribute answers for a widget that does not answer the toolkit's
    // question itself (an edit does: the router answers for it). A widget
    // may turn it back on by itself (an edit leaving read-only): the focus
    // applies it again.
    TWinControlWindow& win = *FWindow;
    if (FImeMode == imDisable || FImeMode == imClose) {
        if (!win.ImeForcedOff) win.ImeWasEnabled = w->testAttribute(Qt::WA_InputMethodEnabled);
        win.ImeForcedOff = true;
        w->setAttribute(Qt::WA_InputMethodEnabled, false);
    } else if (win.ImeForcedOff) {
        win.ImeForcedOff = false;
        w->setAttribute(Qt::WA_InputMethodEnabled, win.ImeWasEnabled);
    }
    if (w->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
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
    // A transparent window lets what lies under it be painted first.
    const bool opaque = !parent || !(Params.ExStyle & WS_EX_TRANSPARENT);
    w->setAttribute(Qt::WA_OpaquePaintEvent, opaque);
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

void TWinControl::SetWidgetRightToLeft(bool Value) {
    if (QWidget* w = Widget()) w->setLayoutDirection(Value ? Qt::RightToLeft : Qt::LeftToRight);
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
    if (ControlState().Contains(csPaintCopy) && w->property(kEditWholeCopyProperty).toBool()) {
        // The window alone, then the windows of the child controls.
        w->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        for (TControl* c : FControls) {
            auto* child = dynamic_cast<TWinControl*>(c);
            QWidget* cw = child && child->Visible() ? child->Widget() : nullptr;
            if (cw && w->isAncestorOf(cw))
                cw->render(&image, cw->mapTo(w, QPoint()), QRegion(), QWidget::DrawChildren);
        }
    } else {
        w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    }
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
    PaintBevel(Canvas, r);
    const TCreateParams& p = FWindow->Params;
    if (p.ExStyle & WS_EX_CLIENTEDGE) DrawEdge(Canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (p.ExStyle & WS_EX_STATICEDGE) DrawEdge(Canvas, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (p.Style & WS_BORDER) {
        Canvas->Brush()->SetColor(clWindowFrame);
        Canvas->FrameRect(r);
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    PaintBorderRoom(Canvas, r);
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
        if (BevelMargins() != TRect{} || FBorderWidth > 0) {
            TCanvas frame;
            const QRect all(0, 0, Width(), Height());
            BindCanvas(&frame, ctx->EnsurePainter(), QPoint(), &all, nullptr, ctx);
            TRect r = Rect(0, 0, Width(), Height());
            PaintBevel(&frame, r);
            // a scroll area draws its frame on its whole rectangle: the room
            // lies inside that frame
            if (qobject_cast<QAbstractScrollArea*>(w)) {
                const TRect b = BorderMargins();
                r = Rect(r.Left + b.Left, r.Top + b.Top, r.Right - b.Right, r.Bottom - b.Bottom);
            }
            PaintBorderRoom(&frame, r);
        }
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
