// Panels, bevels, paint boxes, images and the scroll box.
#include <QScrollBar>
#include <QWidget>

#include <algorithm>

#include "platform/ui/drawing.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/qt_host.h"

// ---- TCustomPanel --------------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                  csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::FrameChanged() {
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
    if (Value == FBevelInner) return;
    FBevelInner = Value;
    FrameChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
    if (Value == FBevelOuter) return;
    FBevelOuter = Value;
    FrameChanged();
}

void TCustomPanel::SetBevelWidth(int Value) {
    if (Value < 1 || Value == FBevelWidth) return;
    FBevelWidth = Value;
    FrameChanged();
}

void TCustomPanel::SetBorderWidth(int Value) {
    if (Value < 0 || Value == FBorderWidth) return;
    FBorderWidth = Value;
    FrameChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

int TCustomPanel::FrameWidth() const {
    int w = FBorderWidth;
    if (FBevelOuter != bvNone) w += FBevelWidth;
    if (FBevelInner != bvNone) w += FBevelWidth;
    return w;
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    const int w = FrameWidth();
    InflateRect(Rect, -w, -w);
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
    TCustomControl::CMTextChanged(Message);
    Invalidate();
}

namespace {
void BevelColors(TBevelCut Cut, TColor& Top, TColor& Bottom) {
    Top = Cut == bvLowered ? clBtnShadow : clBtnHighlight;
    Bottom = Cut == bvLowered ? clBtnHighlight : clBtnShadow;
}
}  // namespace

void TCustomPanel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    TColor top, bottom;
    if (FBevelOuter != bvNone) {
        BevelColors(FBevelOuter, top, bottom);
        if (FBevelOuter == bvSpace) top = bottom = Color();
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    Frame3D(c, r, Color(), Color(), FBorderWidth);
    if (FBevelInner != bvNone) {
        BevelColors(FBevelInner, top, bottom);
        if (FBevelInner == bvSpace) top = bottom = Color();
        Frame3D(c, r, top, bottom, FBevelWidth);
    }
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    const std::string caption = Caption();
    if (!caption.empty()) {
        c->SetFont(Font());
        c->Brush()->SetStyle(bsClear);
        const unsigned align = FAlignment == taRightJustify ? DT_RIGHT
                               : FAlignment == taCenter     ? DT_CENTER
                                                            : DT_LEFT;
        TRect t = r;
        DrawText(c, caption, t, DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER | align);
    }
}

void TCustomPanel::Publish(TPublisher<TCustomPanel>& p) {
    p.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner);
    p.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter);
    p.Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth);
    p.Property("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth);
    p.Property("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle);
    p.Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment);
    p.Property("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked);
    p.Property("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint);
}

// ---- TBevel --------------------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
    if (Value == FShape) return;
    FShape = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* c = Canvas();
    TColor color1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width(), h = Height();
    auto line = [c](TColor color, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(color);
        c->Pen()->SetWidth(1);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox: {
        TRect r = ClientRect();
        Frame3D(c, r, color1, color2, 1);
        break;
    }
    case bsFrame: {
        TRect outer = Rect(0, 0, w - 1, h - 1);
        TRect inner = Rect(1, 1, w, h);
        if (FStyle == bsRaised) std::swap(outer, inner);
        Frame3D(c, inner, color2, color2, 1);
        Frame3D(c, outer, color1, color1, 1);
        break;
    }
    case bsTopLine:
        line(color1, 0, 0, w, 0);
        line(color2, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(color1, 0, h - 2, w, h - 2);
        line(color2, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(color1, 0, 0, 0, h);
        line(color2, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(color1, w - 2, 0, w - 2, h);
        line(color2, w - 1, 0, w - 1, h);
        break;
    case bsSpacer: break;
    }
}

void TBevel::Publish(TPublisher<TBevel>& p) {
    p.Property("Shape", &TBevel::Shape, &TBevel::SetShape);
    p.Property("Style", &TBevel::Style, &TBevel::SetStyle);
}

// ---- TPaintBox ------------------------------------------------------------------------------------

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint() {
    TCanvas* c = TGraphicControl::Canvas();
    c->SetFont(Font());
    c->Brush()->SetColor(Color());
    FOnPaint(this);
}

void TPaintBox::Publish(TPublisher<TPaintBox>& p) {
    p.Property("OnPaint", &TPaintBox::OnPaint, &TPaintBox::SetOnPaint);
}

// ---- TImage ----------------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
    SetControlStyle(ControlStyle() + csReplicatable);
    SetBounds(0, 0, 105, 105);
    FPicture->SetOnChange(TNotifyEvent(this, &TImage::PictureChanged));
}

TImage::~TImage() { FPicture->SetOnChange(nullptr); }

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TImage::PictureChanged(TObject*) {
    if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
        SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
    if (TGraphic* g = FPicture->Graphic()) g->SetTransparent(FTransparent);
    Invalidate();
}

TCanvas* TImage::Canvas() {
    if (!FPicture->Graphic()) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetSize(Width(), Height());
        FPicture->SetGraphic(bitmap.get());
    }
    auto* bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic());
    if (!bitmap) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    return bitmap->Canvas();
}

void TImage::SetStretch(bool Value) {
    if (Value == FStretch) return;
    FStretch = Value;
    Invalidate();
}

void TImage::SetCenter(bool Value) {
    if (Value == FCenter) return;
    FCenter = Value;
    Invalidate();
}

void TImage::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    if (TGraphic* g = FPicture->Graphic()) g->SetTransparent(Value);
    Invalidate();
}

void TImage::SetAutoSize(bool Value) {
    FAutoSize = Value;
    if (Value) PictureChanged(nullptr);
}

TRect TImage::DestRect() const {
    const int w = FPicture->Width(), h = FPicture->Height();
    if (FStretch) return ClientRect();
    if (FCenter) return Bounds((ClientWidth() - w) / 2, (ClientHeight() - h) / 2, w, h);
    return Rect(0, 0, w, h);
}

void TImage::Paint() {
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty()) return;
    TGraphicControl::Canvas()->StretchDraw(DestRect(), g);
}

void TImage::Publish(TPublisher<TImage>& p) {
    p.Property("Picture", &TImage::Picture, &TImage::SetPicture);
    p.Property("Stretch", &TImage::Stretch, &TImage::SetStretch);
    p.Property("Center", &TImage::Center, &TImage::SetCenter);
    p.Property("Transparent", &TImage::Transparent, &TImage::SetTransparent);
    p.Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize);
}

// ---- TControlScrollBar ------------------------------------------------------------------------------

TControlScrollBar::TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind)
    : FControl(Control), FKind(Kind) {}

int TControlScrollBar::ControlSize() const {
    return FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
}

int TControlScrollBar::MaxPosition() const { return std::max(0, FRange - ControlSize()); }

bool TControlScrollBar::IsScrollBarVisible() const { return FVisible && FRange > ControlSize(); }

void TControlScrollBar::SetPosition(int Value) {
    Value = std::clamp(Value, 0, MaxPosition());
    if (Value == FPosition) return;
    const int old = FPosition;
    FPosition = Value;
    FControl->ScrollBarChanged(this, old);
}

void TControlScrollBar::SetRange(int Value) {
    FCalcRange = false;
    FRange = std::max(0, Value);
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
        FVisible = s->FVisible;
        FRange = s->FRange;
        FIncrement = s->FIncrement;
        FTracking = s->FTracking;
        SetPosition(s->FPosition);
        return;
    }
    TPersistent::Assign(Source);
}

void TControlScrollBar::ScrollMessage(int Code, int Pos) {
    const int page = std::max(1, ControlSize() * 9 / 10);
    switch (Code) {
    case SB_LINEUP: SetPosition(FPosition - FIncrement); break;
    case SB_LINEDOWN: SetPosition(FPosition + FIncrement); break;
    case SB_PAGEUP: SetPosition(FPosition - page); break;
    case SB_PAGEDOWN: SetPosition(FPosition + page); break;
    case SB_THUMBPOSITION: SetPosition(Pos); break;
    case SB_THUMBTRACK:
        if (FTracking) SetPosition(Pos);
        break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(MaxPosition()); break;
    default: break;
    }
}

// ---- TScrollingWinControl -----------------------------------------------------------------------------

struct TScrollBarsImpl {
    QPointer<QScrollBar> Horz, Vert;
    bool Syncing = false;
};

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner),
      FHorz(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      FVert(std::make_unique<TControlScrollBar>(this, sbVertical)),
      FBars(std::make_unique<TScrollBarsImpl>()) {}

TScrollingWinControl::~TScrollingWinControl() {
    Destroying();
    DestroyHandle();
}

void TScrollingWinControl::SetAutoScroll(bool Value) {
    if (Value == FAutoScroll) return;
    FAutoScroll = Value;
    if (Value) FHorz->FCalcRange = FVert->FCalcRange = true;
    UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd() {
    TWinControl::CreateWnd();
    QWidget* w = Widget();
    auto make = [this, w](Qt::Orientation o, TControlScrollBar* bar) {
        auto* sb = new QScrollBar(o, w);
        sb->hide();
        QObject::connect(sb, &QScrollBar::valueChanged, [this, bar](int v) {
            if (FBars->Syncing) return;
            GuardedCall(this, [bar, v] { bar->SetPosition(v); });
        });
        return sb;
    };
    FBars->Horz = make(Qt::Horizontal, FHorz.get());
    FBars->Vert = make(Qt::Vertical, FVert.get());
    UpdateScrollBars();
}

void TScrollingWinControl::CreateHandle() {
    TWinControl::CreateHandle();
    if (FBars->Horz) FBars->Horz->raise();
    if (FBars->Vert) FBars->Vert->raise();
}

void TScrollingWinControl::DestroyWnd() {
    FBars->Horz = nullptr;
    FBars->Vert = nullptr;
    TWinControl::DestroyWnd();
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    TWinControl::AlignControls(AControl, Rect);
    UpdateScrollBars();
}

void TScrollingWinControl::WMSize(TMessage& Message) {
    TWinControl::WMSize(Message);
    UpdateScrollBars();
}

void TScrollingWinControl::CMFocusChanged(TMessage& Message) {
    auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
    if (FAutoScroll && focused && focused != this && ContainsControl(focused)) ScrollInView(focused);
    TWinControl::CMFocusChanged(Message);
}

void TScrollingWinControl::UpdateScrollBars() {
    if (FUpdatingBars || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
        return;
    FUpdatingBars = true;
    if (FAutoScroll) {
        int right = 0, bottom = 0;
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (!c->Visible() || c->Align() == alClient) continue;
            right = std::max(right, c->Left() + c->Width() + FHorz->FPosition);
            bottom = std::max(bottom, c->Top() + c->Height() + FVert->FPosition);
        }
        if (FHorz->FCalcRange) FHorz->FRange = right;
        if (FVert->FCalcRange) FVert->FRange = bottom;
    }
    const TRect b = BorderMargins();
    const int w0 = Width() - b.Left - b.Right, h0 = Height() - b.Top - b.Bottom;
    const int sbw = GetSystemMetrics(SM_CXVSCROLL), sbh = GetSystemMetrics(SM_CYHSCROLL);
    bool vVis = FVert->FVisible && FVert->FRange > h0;
    bool hVis = FHorz->FVisible && FHorz->FRange > w0 - (vVis ? sbw : 0);
    if (hVis && !vVis) vVis = FVert->FVisible && FVert->FRange > h0 - sbh;
    const bool left = UseRightToLeftScrollBar();
    SetNonClientMargins(Rect(vVis && left ? sbw : 0, 0, vVis && !left ? sbw : 0, hVis ? sbh : 0));
    // Positions beyond the new ends come back.
    for (TControlScrollBar* bar : {FHorz.get(), FVert.get()}) {
        const bool vis = bar == FHorz.get() ? hVis : vVis;
        const int target = vis ? std::min(bar->FPosition, bar->MaxPosition()) : 0;
        if (target != bar->FPosition) {
            const int old = bar->FPosition;
            bar->FPosition = target;
            ScrollBarChanged(bar, old);
        }
    }
    if (FBars->Horz && FBars->Vert) {
        FBars->Syncing = true;
        const TRect c = ClientRect();
        QScrollBar* hs = FBars->Horz;
        QScrollBar* vs = FBars->Vert;
        hs->setVisible(hVis);
        vs->setVisible(vVis);
        if (hVis) {
            hs->setGeometry(b.Left + (vVis && left ? sbw : 0), b.Top + c.Height(), c.Width(), sbh);
            hs->setRange(0, FHorz->MaxPosition());
            hs->setPageStep(std::max(1, c.Width()));
            hs->setSingleStep(FHorz->FIncrement);
            hs->setValue(FHorz->FPosition);
            hs->raise();
        }
        if (vVis) {
            vs->setGeometry(left ? b.Left : b.Left + c.Width(), b.Top, sbw, c.Height());
            vs->setRange(0, FVert->MaxPosition());
            vs->setPageStep(std::max(1, c.Height()));
            vs->setSingleStep(FVert->FIncrement);
            vs->setValue(FVert->FPosition);
            vs->raise();
        }
        FBars->Syncing = false;
    }
    FUpdatingBars = false;
}

void TScrollingWinControl::BiDiModeChanged() {
    UpdateScrollBars();
    TWinControl::BiDiModeChanged();
}

void TScrollingWinControl::ScrollBarChanged(TControlScrollBar* Bar, int OldPosition) {
    const int delta = OldPosition - Bar->FPosition;
    if (Bar->FKind == sbHorizontal)
        ScrollBy(delta, 0);
    else
        ScrollBy(0, delta);
    if (FBars->Horz && FBars->Vert && !FBars->Syncing) {
        FBars->Syncing = true;
        (Bar->FKind == sbHorizontal ? FBars->Horz : FBars->Vert)->setValue(Bar->FPosition);
        FBars->Syncing = false;
    }
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
    if (!AControl || !ContainsControl(AControl) || AControl == this) return;
    TPoint p{AControl->Left(), AControl->Top()};
    for (TWinControl* c = AControl->Parent(); c && c != this; c = c->Parent()) {
        p.X += c->Left();
        p.Y += c->Top();
    }
    const TRect client = ClientRect();
    if (p.X < 0)
        FHorz->SetPosition(FHorz->Position() + p.X);
    else if (p.X + AControl->Width() > client.Width())
        FHorz->SetPosition(FHorz->Position() + std::min(p.X, p.X + AControl->Width() - client.Width()));
    if (p.Y < 0)
        FVert->SetPosition(FVert->Position() + p.Y);
    else if (p.Y + AControl->Height() > client.Height())
        FVert->SetPosition(FVert->Position() + std::min(p.Y, p.Y + AControl->Height() - client.Height()));
}

bool TScrollingWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    TControlScrollBar* bar = Shift.Contains(ssShift) ? FHorz.get() : FVert.get();
    if (!bar->IsScrollBarVisible()) return false;
    bar->SetPosition(bar->Position() - WheelDelta / 120 * bar->Increment() * 3);
    return true;
}

void TScrollingWinControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_HSCROLL || Message.Msg == WM_VSCROLL) {
        TControlScrollBar* bar = Message.Msg == WM_HSCROLL ? FHorz.get() : FVert.get();
        bar->ScrollMessage(static_cast<int>(Message.WParamLo()), static_cast<int16_t>(Message.WParamHi()));
        Message.Result = 0;
        return;
    }
    TWinControl::Dispatch(Message);
}

// ---- TScrollBox ----------------------------------------------------------------------------------------

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    SetControlStyle(
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
    UpdateScrollBars();
}

void TScrollBox::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TScrollBox::Publish(TPublisher<TScrollBox>& p) {
    p.Property("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle);
    p.Property("AutoScroll", &TScrollBox::AutoScroll, &TScrollBox::SetAutoScroll);
}
