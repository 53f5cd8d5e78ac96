// The bevelled edge of windowed controls and the room BorderWidth keeps
// inside the border: their room inside the bounds and their drawing, on the
// control's own paint or over a wrapped widget (whose contents go inside
// both).
#include <QWidget>
#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/qt_host.h"

void TWinControl::SetBevelKind(TBevelKind Value) {
    if (Value == FBevelKind) return;
    FBevelKind = Value;
    BevelChanged();
}

void TWinControl::SetBevelEdges(TBevelEdges Value) {
    if (Value == FBevelEdges) return;
    FBevelEdges = Value;
    BevelChanged();
}

void TWinControl::SetBevelInner(TBevelCut Value) {
    if (Value == FBevelInner) return;
    FBevelInner = Value;
    BevelChanged();
}

void TWinControl::SetBevelOuter(TBevelCut Value) {
    if (Value == FBevelOuter) return;
    FBevelOuter = Value;
    BevelChanged();
}

void TWinControl::SetBorderWidth(int Value) {
    if (Value < 0 || Value == FBorderWidth) return;
    FBorderWidth = Value;
    BevelChanged();
}

TRect TWinControl::BevelMargins() const {
    if (FBevelKind == bkNone) return {};
    int size = (FBevelInner != bvNone ? 1 : 0) + (FBevelOuter != bvNone ? 1 : 0);
    // A flat edge is one dark line.
    if (FBevelKind == bkFlat) size = std::min(size, 1);
    return {FBevelEdges.Contains(beLeft) ? size : 0, FBevelEdges.Contains(beTop) ? size : 0,
            FBevelEdges.Contains(beRight) ? size : 0, FBevelEdges.Contains(beBottom) ? size : 0};
}

void TWinControl::BevelChanged() {
    const TRect v = BevelMargins();
    const int r = FBorderWidth;
    const TRect b{v.Left + r, v.Top + r, v.Right + r, v.Bottom + r};
    if (QWidget* w = Widget(); w && !FWindow->SelfPainted && (b != TRect{} || FBevelOnWidget)) {
        // A wrapped widget keeps its contents inside the edge and the room
        // (a scroll area lays its frame out on its whole rectangle again:
        // its text rectangle keeps them, SetEditTextRect).
        w->setContentsMargins(b.Left, b.Top, b.Right, b.Bottom);
        FBevelOnWidget = b != TRect{};
    }
    LayoutScrollBars();
    UpdateNonClient();
    Invalidate();
}

namespace {

// One 1-pixel line on each chosen edge of R, R then shrinks by it.
void BevelLine(TCanvas* Canvas, TRect& R, TBevelEdges Edges, TColor TopLeft, TColor BottomRight) {
    auto fill = [&](TColor Color, const TRect& Line) {
        Canvas->Brush()->SetColor(Color);
        Canvas->FillRect(Line);
    };
    if (Edges.Contains(beLeft)) fill(TopLeft, Rect(R.Left, R.Top, R.Left + 1, R.Bottom));
    if (Edges.Contains(beTop)) fill(TopLeft, Rect(R.Left, R.Top, R.Right, R.Top + 1));
    if (Edges.Contains(beRight)) fill(BottomRight, Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
    if (Edges.Contains(beBottom)) fill(BottomRight, Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
    if (Edges.Contains(beLeft)) ++R.Left;
    if (Edges.Contains(beTop)) ++R.Top;
    if (Edges.Contains(beRight)) --R.Right;
    if (Edges.Contains(beBottom)) --R.Bottom;
}

}  // namespace

void TWinControl::PaintBevel(TCanvas* Canvas, TRect& R) {
    if (BevelMargins() == TRect{}) return;
    if (FBevelKind == bkFlat) {
        BevelLine(Canvas, R, FBevelEdges, clBtnShadow, clBtnShadow);
        return;
    }
    for (const TBevelCut cut : {FBevelOuter, FBevelInner}) {
        switch (cut) {
        case bvNone: break;
        case bvLowered: BevelLine(Canvas, R, FBevelEdges, clBtnShadow, clBtnHighlight); break;
        case bvRaised: BevelLine(Canvas, R, FBevelEdges, clBtnHighlight, clBtnShadow); break;
        case bvSpace: BevelLine(Canvas, R, FBevelEdges, Color(), Color()); break;
        }
    }
}

void TWinControl::PaintBorderRoom(TCanvas* Canvas, TRect& R) {
    const int w =
        std::min({FBorderWidth, std::max(0, (R.Right - R.Left) / 2), std::max(0, (R.Bottom - R.Top) / 2)});
    if (w <= 0) return;
    Canvas->Brush()->SetColor(Color());
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(Rect(R.Left, R.Top, R.Right, R.Top + w));
    Canvas->FillRect(Rect(R.Left, R.Bottom - w, R.Right, R.Bottom));
    Canvas->FillRect(Rect(R.Left, R.Top + w, R.Left + w, R.Bottom - w));
    Canvas->FillRect(Rect(R.Right - w, R.Top + w, R.Right, R.Bottom - w));
    R = Rect(R.Left + w, R.Top + w, R.Right - w, R.Bottom - w);
}
