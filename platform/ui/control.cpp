// TControl: place, visibility, appearance, mouse messages and events.
#include <QApplication>
#include <QWidget>

#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_host.h"

namespace {
TPopupMenuHook GPopupMenuHook = nullptr;
TControl* GCaptureControl = nullptr;
// The watches in force, innermost first.
TControlWatch* GWatches = nullptr;
}  // namespace

TControlWatch::TControlWatch(const TControl* Control) : FControl(Control), FNext(GWatches) {
    GWatches = this;
}

TControlWatch::~TControlWatch() {
    for (TControlWatch** w = &GWatches; *w; w = &(*w)->FNext)
        if (*w == this) {
            *w = FNext;
            break;
        }
}

void TControlWatch::ControlDestroyed(const TControl* Control) {
    for (TControlWatch* w = GWatches; w; w = w->FNext)
        if (w->FControl == Control) w->FControl = nullptr;
}

void SetPopupMenuHook(TPopupMenuHook Hook) { GPopupMenuHook = Hook; }

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner),
      FFont(std::make_unique<TFont>()),
      FConstraints(std::make_unique<TSizeConstraints>()) {
    FFont->SetOnChange(TNotifyEvent(this, &TControl::FontChanged));
    FConstraints->SetOnChange(TNotifyEvent(this, &TControl::ConstraintsChanged));
}

TControl::~TControl() {
    TControlWatch::ControlDestroyed(this);
    DragControlDestroyed(this);
    if (GCaptureControl == this) SetCaptureControl(nullptr);
    if (Application) Application->ControlDestroyed(this);
    if (FParent) FParent->RemoveControl(this);
    FFont->SetOnChange(nullptr);
    FConstraints->SetOnChange(nullptr);
}

// ---- Parent and place --------------------------------------------------------------

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(0, FConstraints->ConstrainWidth(AWidth));
    AHeight = std::max(0, FConstraints->ConstrainHeight(AHeight));
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    const bool sized = AWidth != FWidth || AHeight != FHeight;
    InvalidateControl(FVisible, false);
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    BoundsChanged();
    FAnchorKnown = false;
    RequestAlign();
    if (sized && !dynamic_cast<TWinControl*>(this) && !ComponentState().Contains(csLoading)) Resize();
}

void TControl::BoundsChanged() { InvalidateControl(FVisible, false); }

TRect TControl::ClientRect() const { return Rect(0, 0, FWidth, FHeight); }

void TControl::SetClientWidth(int Value) { SetWidth(Value + (FWidth - ClientWidth())); }
void TControl::SetClientHeight(int Value) { SetHeight(Value + (FHeight - ClientHeight())); }

TPoint TControl::ClientOrigin() const {
    if (!FParent) return {FLeft, FTop};
    const TPoint p = FParent->ClientOrigin();
    return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(const TPoint& P) const {
    const TPoint o = ClientOrigin();
    return {P.X + o.X, P.Y + o.Y};
}

TPoint TControl::ScreenToClient(const TPoint& P) const {
    const TPoint o = ClientOrigin();
    return {P.X - o.X, P.Y - o.Y};
}

void TControl::SetAlign(TAlign Value) {
    if (Value == FAlign) return;
    FAlign = Value;
    FAnchors = Value == alNone ? TAnchors{akLeft, akTop} : FAnchors;
    RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
    if (Value == FAnchors) return;
    FAnchors = Value;
    FAnchorKnown = false;
}

void TControl::RequestAlign() {
    if (FParent && !FParent->ComponentState().Contains(csDestroying)) FParent->Realign();
}

void TControl::BringToFront() {
    if (!FParent) return;
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->Widget()) w->Widget()->raise();
    InvalidateControl(FVisible, false);
    RequestAlign();
}

void TControl::SendToBack() {
    if (!FParent) return;
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.insert(list.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->Widget()) w->Widget()->lower();
    InvalidateControl(FVisible, false);
    RequestAlign();
}

// ---- Visibility and state --------------------------------------------------------------

void TControl::SetVisible(bool Value) {
    if (Value == FVisible) return;
    if (!Value) InvalidateControl(true, false);
    FVisible = Value;
    VisibleChanged();
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::VisibleChanged() { InvalidateControl(FVisible, false); }

void TControl::Show() {
    if (FParent) FParent->Show();
    SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

bool TControl::MouseCapture() const { return GCaptureControl == this; }

void TControl::SetMouseCapture(bool Value) {
    if (Value == MouseCapture()) return;
    SetCaptureControl(Value ? this : nullptr);
}

// ---- Appearance --------------------------------------------------------------------------

void TControl::FontChanged(TObject*) {
    if (!FUpdatingFont) FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    if (Value && FParent) ParentFontChangedFrom(FParent);
}

void TControl::ParentFontChangedFrom(TWinControl* P) {
    FUpdatingFont = true;
    try {
        FFont->Assign(P->Font());
    } catch (...) {
        FUpdatingFont = false;
        throw;
    }
    FUpdatingFont = false;
}

void TControl::SetColor(TColor Value) {
    if (Value == FColor && !FParentColor) return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    if (Value && FParent && FParent->Color() != FColor) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::SetCursor(TCursor Value) {
    if (Value == FCursor) return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value) {
    FParentBiDiMode = false;
    if (Value == FBiDiMode) return;
    FBiDiMode = Value;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool Value) {
    if (Value == FParentBiDiMode) return;
    FParentBiDiMode = Value;
    if (Value && FParent) ParentBiDiModeChangedFrom(FParent);
}

void TControl::ParentBiDiModeChangedFrom(const TWinControl* P) {
    if (P->BiDiMode() == FBiDiMode) return;
    FBiDiMode = P->BiDiMode();
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::BiDiModeChanged() { Invalidate(); }

void TControl::SetText(const std::string& Value) {
    if (Value == GetText()) return;
    SetTextValue(Value);
}

void TControl::SetTextValue(const std::string& Value) {
    FText = Value;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
    FParentShowHint = false;
    if (Value == FShowHint) return;
    FShowHint = Value;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
    if (Value == FParentShowHint) return;
    FParentShowHint = Value;
    if (Value && FParent) FShowHint = FParent->ShowHint();
}

void TControl::SetPopupMenuComponent(TPopupMenu* Menu, TComponent* AsComponent) {
    if (FPopupMenuComponent == AsComponent) return;
    if (FPopupMenuComponent) FPopupMenuComponent->RemoveFreeNotification(this);
    FPopupMenu = Menu;
    FPopupMenuComponent = AsComponent;
    if (AsComponent) AsComponent->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupMenuComponent) {
        FPopupMenu = nullptr;
        FPopupMenuComponent = nullptr;
    }
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (FParent) {
        if (FParentFont) ParentFontChangedFrom(FParent);
        if (FParentColor) FColor = FParent->Color();
        if (FParentShowHint) FShowHint = FParent->ShowHint();
    }
    if (!FConstraints->Empty()) SetBounds(FLeft, FTop, FWidth, FHeight);
    RequestAlign();
}

// ---- Painting --------------------------------------------------------------------------

QWidget* TControl::SurfaceWidget() const { return FParent ? FParent->Widget() : nullptr; }

TPoint TControl::SurfaceOrigin() const {
    if (!FParent) return {0, 0};
    const TPoint p = FParent->SurfaceOrigin();
    return {p.X + FLeft, p.Y + FTop};
}

void TControl::InvalidateControl(bool IsVisible, bool) {
    if (!IsVisible || !FParent) return;
    if (QWidget* w = SurfaceWidget()) {
        const TPoint o = SurfaceOrigin();
        w->update(QRect(o.X, o.Y, FWidth, FHeight));
    }
}

void TControl::Invalidate() { InvalidateControl(FVisible, false); }

void TControl::Repaint() {
    if (!FVisible || !FParent) return;
    if (QWidget* w = SurfaceWidget(); w && w->isVisible()) {
        const TPoint o = SurfaceOrigin();
        w->repaint(QRect(o.X, o.Y, FWidth, FHeight));
    }
}

void TControl::Update() {
    if (FParent) FParent->Update();
}

// ---- Messages --------------------------------------------------------------------------

LRESULT TControl::Perform(unsigned Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m;
    m.Msg = Msg;
    m.WParam = WParam;
    m.LParam = LParam;
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    // A control without double clicks sees a second press as a press.
    if (!FControlStyle.Contains(csDoubleClicks)) {
        switch (Message.Msg) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN; break;
        default: break;
        }
    }
    // An automatic drag starts with the left press, which goes no further.
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && FDragMode == dmAutomatic &&
        !ComponentState().Contains(csDesigning)) {
        BeginDrag(true);
        return;
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
    case WM_RBUTTONUP: WMRButtonUp(Message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
    case WM_MBUTTONUP: WMMButtonUp(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case WM_CANCELMODE: WMCancelMode(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_BIDIMODECHANGED: BiDiModeChanged(); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    default: DefaultHandler(Message); break;
    }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
    if (FControlStyle.Contains(csNoStdEvents)) return;
    const TPoint p = MousePos(Message);
    MouseDown(Button, KeysToShiftState(Message.WParam) + Shift, p.X, p.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
    if (FControlStyle.Contains(csNoStdEvents)) return;
    const TPoint p = MousePos(Message);
    MouseUp(Button, KeysToShiftState(Message.WParam), p.X, p.Y);
}

namespace {
// The form's active control is told that a click elsewhere cancels its modes.
void CancelModesFor(TControl* Sender) {
    if (TCustomForm* form = GetParentForm(Sender)) form->SendCancelMode(Sender);
}

// Cancels other modes, then runs the window's own handling; false once the
// control is freed by either.
template <class F>
bool CancelModesThen(TControl* Sender, F&& Default) {
    return RunWhileAlive(Sender, [Sender] { CancelModesFor(Sender); }) &&
           RunWhileAlive(Sender, std::forward<F>(Default));
}
}  // namespace

// The window's own handling runs first, then the control's events, as with
// a default window procedure.
void TControl::WMLButtonDown(TMessage& Message) {
    if (!CancelModesThen(this, [&] { DefaultHandler(Message); })) return;
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
    FControlState.Include(csLButtonDown);
    DoMouseDown(Message, mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& Message) {
    if (!CancelModesThen(this, [&] { DefaultHandler(Message); })) return;
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    FControlState.Include(csLButtonDown);
    if (FControlStyle.Contains(csClickEvents) && !RunWhileAlive(this, [this] { DblClick(); })) return;
    DoMouseDown(Message, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& Message) {
    if (!RunWhileAlive(this, [&] { DefaultHandler(Message); })) return;
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
    FControlState.Exclude(csLButtonDown);
    if (FControlState.Contains(csClicked)) {
        FControlState.Exclude(csClicked);
        if (PtInRect(ClientRect(), MousePos(Message)) && !RunWhileAlive(this, [this] { Click(); })) return;
    }
    DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& Message) {
    if (!CancelModesThen(this, [&] { DefaultHandler(Message); })) return;
    DoMouseDown(Message, mbRight, {});
}

void TControl::WMRButtonDblClk(TMessage& Message) {
    if (!CancelModesThen(this, [&] { DefaultHandler(Message); })) return;
    DoMouseDown(Message, mbRight, {ssDouble});
}

void TControl::WMRButtonUp(TMessage& Message) {
    if (!RunWhileAlive(this, [&] { DefaultHandler(Message); })) return;
    if (!RunWhileAlive(this, [&] { DoMouseUp(Message, mbRight); })) return;
    // The context menu follows the release, at the release point.
    const TPoint screen = ClientToScreen(MousePos(Message));
    TMessage menu;
    menu.Msg = WM_CONTEXTMENU;
    menu.LParam = MakeLParam(screen.X, screen.Y);
    menu.Native = Message.Native;
    WndProc(menu);
}

void TControl::WMMButtonDown(TMessage& Message) {
    if (!CancelModesThen(this, [&] { DefaultHandler(Message); })) return;
    DoMouseDown(Message, mbMiddle, {});
}

void TControl::WMMButtonDblClk(TMessage& Message) {
    if (!CancelModesThen(this, [&] { DefaultHandler(Message); })) return;
    DoMouseDown(Message, mbMiddle, {ssDouble});
}

void TControl::WMMButtonUp(TMessage& Message) {
    DefaultHandler(Message);
    DoMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TMessage& Message) {
    DefaultHandler(Message);
    if (Application) Application->NoteMouseControl(this);
    if (FControlStyle.Contains(csNoStdEvents)) return;
    const TPoint p = MousePos(Message);
    MouseMove(KeysToShiftState(Message.WParam), p.X, p.Y);
}

void TControl::WMMouseWheel(TMessage& Message) {
    const int delta = static_cast<int16_t>(Message.WParamHi());
    const TPoint screen = MousePos(Message);
    if (DoMouseWheel(KeysToShiftState(Message.WParamLo()), delta, screen)) {
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
    if (Message.Result == 0 && FParent) {
        TMessage up = Message;
        up.Native = nullptr;
        FParent->WndProc(up);
        Message.Result = up.Result;
    }
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    const TPoint screen = MousePos(Message);
    const TPoint client = ScreenToClient(screen);
    bool handled = false;
    DoContextPopup(client, handled);
    if (handled) {
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
    if (Message.Result == 0 && FParent) {
        TMessage up = Message;
        up.Native = nullptr;
        FParent->WndProc(up);
        Message.Result = up.Result;
    }
}

void TControl::WMCancelMode(TMessage&) { SetMouseCapture(false); }

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&) {}
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage&) {
    if (FParentFont && FParent) ParentFontChangedFrom(FParent);
}

void TControl::CMParentColorChanged(TMessage&) {
    if (FParentColor && FParent && FParent->Color() != FColor) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (FParentShowHint && FParent && FShowHint != FParent->ShowHint()) {
        FShowHint = FParent->ShowHint();
        Perform(CM_SHOWHINTCHANGED, 0, 0);
    }
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
    if (FParentBiDiMode && FParent) ParentBiDiModeChangedFrom(FParent);
}

void TControl::CMTextChanged(TMessage&) {}
void TControl::CMMouseEnter(TMessage&) { FOnMouseEnter(this); }
void TControl::CMMouseLeave(TMessage&) { FOnMouseLeave(this); }

// ---- Events -------------------------------------------------------------------------------

void TControl::Click() { FOnClick(this); }
void TControl::DblClick() { FOnDblClick(this); }
void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FOnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) { FOnMouseMove(this, Shift, X, Y); }
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FOnMouseUp(this, Button, Shift, X, Y);
}
void TControl::Resize() { FOnResize(this); }

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    FOnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (handled) return true;
    if (WheelDelta < 0) return DoMouseWheelDown(Shift, MousePos);
    if (WheelDelta > 0) return DoMouseWheelUp(Shift, MousePos);
    return false;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    FOnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    FOnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    FOnContextPopup(this, MousePos, Handled);
    if (Handled || !FPopupMenu || !GPopupMenuHook) return;
    CancelModesFor(nullptr);
    Handled = GPopupMenuHook(this, FPopupMenu, ClientToScreen(MousePos));
}

// ---- Published -------------------------------------------------------------------------------

void TControl::Publish(TPublisher<TControl>& p) {
    p.Property("Left", &TControl::Left, &TControl::SetLeft);
    p.Property("Top", &TControl::Top, &TControl::SetTop);
    p.Property("Width", &TControl::Width, &TControl::SetWidth);
    p.Property("Height", &TControl::Height, &TControl::SetHeight);
    p.Property("Align", &TControl::Align, &TControl::SetAlign);
    p.Property("Anchors", &TControl::Anchors, &TControl::SetAnchors);
    p.Property("Constraints", &TControl::Constraints, &TControl::SetConstraints);
    p.Property("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode);
    p.Property("Color", &TControl::Color, &TControl::SetColor).SetTypeName("TColor");
    p.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).SetTypeName("TCursor");
    p.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled);
    p.Property("Font", &TControl::Font, &TControl::SetFont);
    p.Property("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext);
    p.Property("Hint", &TControl::Hint, &TControl::SetHint);
    p.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
    p.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont);
    p.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint);
    p.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
    p.Property("Visible", &TControl::Visible, &TControl::SetVisible);
    p.Property("OnClick", &TControl::OnClick, &TControl::SetOnClick);
    p.Property("OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    p.Property("OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    p.Property("OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    p.Property("OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    p.Property("OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    p.Property("OnMouseWheel", &TControl::OnMouseWheel, &TControl::SetOnMouseWheel);
    p.Property("OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);
    p.Property("OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);
    p.Property("OnResize", &TControl::OnResize, &TControl::SetOnResize);
}

// ---- Free functions ---------------------------------------------------------------------------

TCustomForm* GetParentForm(const TControl* Control) {
    if (!Control) return nullptr;
    const TControl* c = Control;
    while (c->Parent()) c = c->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

TCustomForm* ValidParentForm(const TControl* Control) {
    TCustomForm* form = GetParentForm(Control);
    if (!form)
        throw EInvalidOperation(
            Format("Control '%s' has no parent window", Control ? Control->Name() : std::string()));
    return form;
}

TControl* GetCaptureControl() { return GCaptureControl; }

void SetCaptureControl(TControl* Control) {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    GCaptureControl = Control;
    if (!Control) return;
    // Everything the mouse does goes to the capturing control's window (a
    // press grabs its own window already; the off-screen platform has no
    // mouse to grab).
    QWidget* w = Control->SurfaceWidget();
    if (w && w->isVisible() && QApplication::mouseButtons() == Qt::NoButton &&
        QGuiApplication::platformName() != "offscreen")
        w->grabMouse();
}

TWinControl* FindVCLWindow(const TPoint& Pos) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return FindControlOfWidget(QApplication::widgetAt(Pos.X, Pos.Y));
}

std::string GetShortHint(const std::string& Hint) {
    const auto bar = Hint.find('|');
    return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
    const auto bar = Hint.find('|');
    return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}
