// Theme switch and the themed push button through the toolkit's style.
#include "platform/ui/themes.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionButton>

#include "platform/ui/graphics.h"
#include "platform/ui/qt_host.h"

namespace {
bool GThemes = false;
}

bool ThemeServicesEnabled() { return GThemes; }
void SetThemeServicesEnabled(bool Value) { GThemes = Value; }

void DrawThemedPushButton(TCanvas* Canvas, const TRect& Rect, TThemedButtonState State) {
    if (!Canvas || IsRectEmpty(Rect) || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QPainter* p = PrepareCanvas(Canvas);
    if (!p) return;
    QStyleOptionButton option;
    option.rect = ToQRect(Rect);
    option.palette = QApplication::palette();
    option.state = QStyle::State_Raised;
    if (State != tbsDisabled) option.state |= QStyle::State_Enabled;
    if (State == tbsHot) option.state |= QStyle::State_MouseOver;
    if (State == tbsPressed) option.state = (option.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    p->save();
    p->setClipRect(option.rect, Qt::IntersectClip);
    QApplication::style()->drawControl(QStyle::CE_PushButtonBevel, &option, p, nullptr);
    p->restore();
}
