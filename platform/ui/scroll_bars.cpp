// Scroll bars of a control's window (see scroll_bars.h).
#include "platform/ui/scroll_bars.h"

#include <QPointer>
#include <QScrollBar>

#include <algorithm>

#include "platform/ui/drawing.h"
#include "platform/ui/qt_host.h"

struct TWindowScrollBars::TWidgets {
    QPointer<QScrollBar> Bars[2];
};

TWindowScrollBars::TWindowScrollBars(std::function<void(const TRect&)> Margins,
                                     std::function<void(unsigned, WPARAM)> Send)
    : FWidgets(std::make_unique<TWidgets>()), FMargins(std::move(Margins)), FSend(std::move(Send)) {}

TWindowScrollBars::~TWindowScrollBars() { Detach(); }

int TWindowScrollBars::Thickness() { return GetSystemMetrics(SM_CXVSCROLL); }

QScrollBar* TWindowScrollBars::Widget(int Index) const { return FWidgets->Bars[Index].data(); }

void TWindowScrollBars::Attach(QWidget* Parent) {
    Detach();
    if (!Parent) return;
    for (int i = 0; i < 2; ++i) {
        auto* bar = new QScrollBar(i == 0 ? Qt::Horizontal : Qt::Vertical, Parent);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(1);
        QObject::connect(bar, &QAbstractSlider::actionTriggered, [this, i](int a) { Action(i, a); });
        QObject::connect(bar, &QAbstractSlider::sliderReleased, [this, i] { Released(i); });
        FWidgets->Bars[i] = bar;
        Apply(i);
    }
    Relayout();
}

void TWindowScrollBars::Detach() {
    for (int i = 0; i < 2; ++i) {
        if (QScrollBar* bar = Widget(i)) {
            QObject::disconnect(bar, nullptr, nullptr, nullptr);
            bar->hide();
        }
        FWidgets->Bars[i] = nullptr;
    }
}

bool TWindowScrollBars::SetInfo(int Bar, const TScrollInfo& Info) {
    const int i = Bar == SB_VERT ? 1 : 0;
    TScrollBarState& s = FBars[i];
    const TScrollBarState before = s;
    if (Info.fMask & SIF_RANGE) {
        s.Min = Info.nMin;
        s.Max = std::max(Info.nMin, Info.nMax);
    }
    if (Info.fMask & SIF_PAGE) s.Page = static_cast<int>(std::min<unsigned>(Info.nPage, 0x7FFFFFFF));
    s.Page = std::clamp(s.Page, 0, s.Max - s.Min + 1);
    if (Info.fMask & SIF_POS) s.Pos = Info.nPos;
    const int top = s.Max - std::max(s.Page - 1, 0);
    s.Pos = std::clamp(s.Pos, s.Min, std::max(s.Min, top));
    // A bar that cannot scroll goes (or is disabled, when asked).
    const bool scrolls = s.Page > 0 ? s.Max - s.Min + 1 > s.Page : s.Max > s.Min;
    if (Info.fMask & (SIF_RANGE | SIF_PAGE)) {
        if (scrolls) {
            s.Visible = true;
            s.Enabled = true;
        } else if (Info.fMask & SIF_DISABLENOSCROLL) {
            s.Visible = true;
            s.Enabled = false;
        } else {
            s.Visible = false;
        }
    }
    Apply(i);
    if (s.Visible != before.Visible) Relayout();
    return s.Visible != before.Visible;
}

void TWindowScrollBars::GetInfo(int Bar, TScrollInfo& Info) const {
    const TScrollBarState& s = State(Bar);
    Info.nMin = s.Min;
    Info.nMax = s.Max;
    Info.nPage = static_cast<unsigned>(s.Page);
    Info.nPos = s.Pos;
    Info.nTrackPos = s.TrackPos;
}

void TWindowScrollBars::Show(int Bar, bool Value) {
    for (int i = 0; i < 2; ++i) {
        if (Bar != SB_BOTH && (Bar == SB_VERT) != (i == 1)) continue;
        if (FBars[i].Visible == Value) continue;
        FBars[i].Visible = Value;
        Apply(i);
        Relayout();
    }
}

void TWindowScrollBars::Enable(int Bar, bool Value) {
    for (int i = 0; i < 2; ++i) {
        if (Bar != SB_BOTH && (Bar == SB_VERT) != (i == 1)) continue;
        FBars[i].Enabled = Value;
        Apply(i);
    }
}

void TWindowScrollBars::Apply(int Index) {
    QScrollBar* bar = Widget(Index);
    if (!bar) return;
    const TScrollBarState& s = FBars[Index];
    const QSignalBlocker block(bar);
    bar->setRange(s.Min, std::max(s.Min, s.Max - std::max(s.Page - 1, 0)));
    bar->setPageStep(std::max(s.Page, 1));
    if (!bar->isSliderDown()) bar->setValue(s.Pos);
    bar->setEnabled(s.Enabled);
    bar->setVisible(s.Visible);
}

void TWindowScrollBars::Layout(int Width, int Height, const TRect& Border, bool LeftBar, bool MirroredHorz) {
    FWidth = Width;
    FHeight = Height;
    FBorder = Border;
    FLeftBar = LeftBar;
    FMirroredHorz = MirroredHorz;
    Relayout();
}

void TWindowScrollBars::Relayout() {
    const int t = Thickness();
    const int side = FBars[1].Visible ? t : 0;
    const int bottom = FBars[0].Visible ? t : 0;
    if (QScrollBar* h = Widget(0)) {
        h->setLayoutDirection(FMirroredHorz ? Qt::RightToLeft : Qt::LeftToRight);
        h->setGeometry(FBorder.Left + (FLeftBar ? side : 0), FHeight - FBorder.Bottom - t,
                       std::max(0, FWidth - FBorder.Left - FBorder.Right - side), t);
    }
    if (QScrollBar* v = Widget(1)) {
        v->setLayoutDirection(Qt::LeftToRight);
        v->setGeometry(FLeftBar ? FBorder.Left : FWidth - FBorder.Right - t, FBorder.Top, t,
                       std::max(0, FHeight - FBorder.Top - FBorder.Bottom - bottom));
    }
    if (FMargins) FMargins(FLeftBar ? Rect(side, 0, 0, bottom) : Rect(0, 0, side, bottom));
}

void TWindowScrollBars::Action(int Index, int QtAction) {
    QScrollBar* bar = Widget(Index);
    if (!bar || FInAction) return;
    int code = -1;
    switch (QtAction) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    default: return;
    }
    const unsigned msg = Index == 1 ? WM_VSCROLL : WM_HSCROLL;
    FInAction = true;
    if (code == SB_THUMBTRACK) {
        FBars[Index].TrackPos = bar->sliderPosition();
        GuardedCall(nullptr, [&] { FSend(msg, MakeWParam(code, FBars[Index].TrackPos)); });
    } else {
        // The bar moves only when the control sets the position.
        bar->setSliderPosition(FBars[Index].Pos);
        GuardedCall(nullptr, [&] { FSend(msg, MakeWParam(code, FBars[Index].Pos)); });
        if (QScrollBar* b = Widget(Index)) b->setSliderPosition(FBars[Index].Pos);
    }
    FInAction = false;
}

void TWindowScrollBars::Released(int Index) {
    QScrollBar* bar = Widget(Index);
    if (!bar) return;
    const unsigned msg = Index == 1 ? WM_VSCROLL : WM_HSCROLL;
    FBars[Index].TrackPos = bar->sliderPosition();
    GuardedCall(nullptr, [&] {
        FSend(msg, MakeWParam(SB_THUMBPOSITION, FBars[Index].TrackPos));
        FSend(msg, MakeWParam(SB_ENDSCROLL, 0));
    });
    Apply(Index);
}
