// Theme switch and the themed push button through the toolkit's style.
#include "platform/ui/themes.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionToolButton>

#include "platform/ui/graphics.h"
#include "platform/ui/qt_host.h"

namespace {
bool GThemes = false;
}

bool ThemeServicesEnabled() { return GThemes; }
void SetThemeServicesEnabled(bool Value) { GThemes = Value; }

namespace {

// The painter of the canvas and the option's rectangle, palette and state;
// nullptr when nothing can be drawn.
QPainter* PrepareButton(TCanvas* Canvas, const TRect& Rect, TThemedButtonState State, QStyleOption& Option) {
    if (!Canvas || IsRectEmpty(Rect) || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    QPainter* p = PrepareCanvas(Canvas);
    if (!p) return nullptr;
    Option.rect = ToQRect(Rect);
    Option.palette = QApplication::palette();
    Option.state = QStyle::State_Raised;
    if (State != tbsDisabled) Option.state |= QStyle::State_Enabled;
    if (State == tbsHot) Option.state |= QStyle::State_MouseOver;
    if (State == tbsPressed) Option.state = (Option.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    return p;
}

}  // namespace

void DrawThemedPushButton(TCanvas* Canvas, const TRect& Rect, TThemedButtonState State) {
    QStyleOptionButton option;
    QPainter* p = PrepareButton(Canvas, Rect, State, option);
    if (!p) return;
    p->save();
    p->setClipRect(option.rect, Qt::IntersectClip);
    QApplication::style()->drawControl(QStyle::CE_PushButtonBevel, &option, p, nullptr);
    p->restore();
}

void DrawThemedToolButton(TCanvas* Canvas, const TRect& Rect, TThemedButtonState State) {
    QStyleOptionToolButton option;
    QPainter* p = PrepareButton(Canvas, Rect, State, option);
    if (!p) return;
    option.state |= QStyle::State_AutoRaise;
    p->save();
    p->setClipRect(option.rect, Qt::IntersectClip);
    QApplication::style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, p, nullptr);
    p->restore();
}
