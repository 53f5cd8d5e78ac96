// Self-painted controls and the canvas that draws on a control while its
// window paints.
#include <QWidget>

#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/qt_host.h"

// ---- Paint contexts ----------------------------------------------------------------

namespace {
std::vector<TPaintContext*>& Contexts() {
    static std::vector<TPaintContext*> contexts;
    return contexts;
}
}  // namespace

TPaintContext::TPaintContext(QWidget* W, const QRect& R) : Widget(W), Region(R) {
    Contexts().push_back(this);
}

TPaintContext::~TPaintContext() {
    for (TCanvas* c : std::vector<TCanvas*>(Bound))
        if (c->Impl()->Context == this) c->Impl()->Unbind();
    Bound.clear();
    if (Painter && Painter->isActive()) Painter->end();
    auto& list = Contexts();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

QPainter* TPaintContext::EnsurePainter() {
    if (!Painter) {
        Painter = std::make_unique<QPainter>();
        Painter->begin(Widget);
    }
    return Painter.get();
}

TPaintContext* ActivePaintContext(const QWidget* Widget) {
    const auto& list = Contexts();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if ((*it)->Widget == Widget) return *it;
    return nullptr;
}

// ---- TControlCanvas -------------------------------------------------------------------

void TControlCanvas::SetControl(TControl* AControl) {
    if (AControl == FControl) return;
    UnbindCanvas(this);
    FControl = AControl;
}

void TControlCanvas::RequiredState() {
    if (HandleAllocated() || !FControl) return;
    QWidget* w = FControl->SurfaceWidget();
    TPaintContext* ctx = w ? ActivePaintContext(w) : nullptr;
    if (!ctx) return;  // not painting: the canvas only measures
    const TPoint o = FControl->SurfaceOrigin();
    const QRect client(0, 0, FControl->ClientWidth(), FControl->ClientHeight());
    QRect clip = client.intersected(ctx->Region.translated(-o.X, -o.Y));
    // A graphic control draws within its parent's client area, never over
    // the parent's scroll bars or frame.
    if (TWinControl* parent = FControl->Parent(); parent && !dynamic_cast<TWinControl*>(FControl)) {
        const TPoint po = parent->SurfaceOrigin();
        clip &= QRect(po.X - o.X, po.Y - o.Y, parent->ClientWidth(), parent->ClientHeight());
    }
    if (clip.isEmpty()) clip = QRect(0, 0, 1, 0);  // clips everything away
    BindCanvas(this, ctx->EnsurePainter(), QPoint(o.X, o.Y), &clip, nullptr, ctx);
}

// ---- TCustomControl -----------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
    FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() {
    Destroying();
    DestroyHandle();
}

TCanvas* TCustomControl::Canvas() const { return FCanvas.get(); }

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(TCanvas*) {
    FCanvas->Lock();
    FCanvas->SetFont(Font());
    FCanvas->Brush()->SetColor(Color());
    FCanvas->Pen()->SetColor(clBlack);
    FCanvas->Pen()->SetStyle(psSolid);
    FCanvas->Pen()->SetMode(pmCopy);
    FCanvas->SetCopyMode(cmSrcCopy);
    try {
        Paint();
    } catch (...) {
        FCanvas->Unlock();
        UnbindCanvas(FCanvas.get());
        throw;
    }
    FCanvas->Unlock();
    UnbindCanvas(FCanvas.get());
}

// ---- TGraphicControl -------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
    FCanvas->SetControl(this);
    SetControlStyle(ControlStyle() + csReplicatable);
}

TGraphicControl::~TGraphicControl() { UnbindCanvas(FCanvas.get()); }

TCanvas* TGraphicControl::Canvas() const { return FCanvas.get(); }

void TGraphicControl::Paint() {}

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg != WM_PAINT) {
        TControl::Dispatch(Message);
        return;
    }
    if (Message.WParam == 0) {
        // Sent by code: paint now.
        Repaint();
        return;
    }
    FCanvas->Lock();
    FCanvas->SetFont(Font());
    FCanvas->Brush()->SetColor(Color());
    FCanvas->Pen()->SetColor(clBlack);
    FCanvas->Pen()->SetStyle(psSolid);
    FCanvas->Pen()->SetMode(pmCopy);
    FCanvas->SetCopyMode(cmSrcCopy);
    try {
        Paint();
    } catch (...) {
        FCanvas->Unlock();
        UnbindCanvas(FCanvas.get());
        throw;
    }
    FCanvas->Unlock();
    UnbindCanvas(FCanvas.get());
}
