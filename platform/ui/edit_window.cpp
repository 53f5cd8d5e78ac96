// Text rectangles, margins and a hidden caret of an edit's window.
#include "platform/ui/edit_window.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QTextEdit>

#include <algorithm>

#include "platform/ui/qt_host.h"
#include "platform/ui/richedit_qt.h"
#include "platform/ui/stdctrls_qt.h"

namespace {

// Draws no text cursor.
class TNoCaretStyle : public QProxyStyle {
public:
    TNoCaretStyle() : QProxyStyle(nullptr) {}
    int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override {
        if (Metric == PM_TextCursorWidth) return 0;
        return QProxyStyle::pixelMetric(Metric, Option, Widget);
    }
};

QWidget* EditWidget(TCustomEdit* Edit) {
    return Edit && Edit->Adapter() ? Edit->Adapter()->Widget() : nullptr;
}

using TPlainHost = TQtScrollHost<QPlainTextEdit>;
using TRichHost = TQtScrollHost<TRichTextEdit>;

void ApplyMargins(QWidget* W, const QMargins& M) {
    if (auto* line = qobject_cast<QLineEdit*>(W))
        line->setTextMargins(M);
    else if (auto* plain = dynamic_cast<TPlainHost*>(W))
        plain->SetViewportMargins(M);
    else if (auto* rich = dynamic_cast<TRichHost*>(W))
        rich->SetViewportMargins(M);
}

QMargins MarginsOf(QWidget* W) {
    if (auto* line = qobject_cast<QLineEdit*>(W)) return line->textMargins();
    if (auto* plain = dynamic_cast<TPlainHost*>(W)) return plain->ViewportMargins();
    if (auto* rich = dynamic_cast<TRichHost*>(W)) return rich->ViewportMargins();
    return QMargins();
}

}  // namespace

void SetEditTextRect(TCustomEdit* Edit, const TRect& Rect) {
    QWidget* w = EditWidget(Edit);
    if (!w) return;
    const TRect c = Edit->ClientRect();
    // A scroll area's contents start inside its frame, the client area also
    // inside the bevelled edge and the border's room.
    QMargins in;
    if (dynamic_cast<TPlainHost*>(w) || dynamic_cast<TRichHost*>(w)) {
        const TRect b = Edit->BevelMargins();
        const int r = Edit->BorderWidth();
        in = QMargins(b.Left + r, b.Top + r, b.Right + r, b.Bottom + r);
    }
    ApplyMargins(w, in + QMargins(std::max(0, Rect.Left), std::max(0, Rect.Top),
                                  std::max(0, c.Right - Rect.Right), std::max(0, c.Bottom - Rect.Bottom)));
}

void SetEditMargins(TCustomEdit* Edit, int Left, int Right) {
    QWidget* w = EditWidget(Edit);
    if (!w) return;
    QMargins m = MarginsOf(w);
    m.setLeft(std::max(0, Left));
    m.setRight(std::max(0, Right));
    ApplyMargins(w, m);
}

void SetEditOwnerPaint(TCustomEdit* Edit, bool OwnerPaints) {
    auto* plain = qobject_cast<QPlainTextEdit*>(EditWidget(Edit));
    if (!plain) return;
    QWidget* area = plain->viewport();
    if (area->isHidden() == OwnerPaints) return;
    area->setVisible(!OwnerPaints);
    plain->update();
}

void SetEditTransparent(TCustomEdit* Edit, bool Transparent) {
    auto* area = qobject_cast<QAbstractScrollArea*>(EditWidget(Edit));
    if (!area) return;
    area->viewport()->setAutoFillBackground(!Transparent);
    area->setAutoFillBackground(false);
    area->update();
    area->viewport()->update();
}

void SetEditWholeCopy(TCustomEdit* Edit, bool WholeCopy) {
    if (QWidget* w = EditWidget(Edit)) w->setProperty(kEditWholeCopyProperty, WholeCopy);
}

void SetEditCaretHidden(TCustomEdit* Edit, bool Hidden) {
    QWidget* w = EditWidget(Edit);
    if (!w) return;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setCursorWidth(Hidden ? 0 : 1);
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        if (line->echoMode() != QLineEdit::Normal) return;  // its style shows the password character
        auto* current = dynamic_cast<TNoCaretStyle*>(line->style());
        if (Hidden && !current) {
            auto* style = new TNoCaretStyle;
            style->setParent(line);
            line->setStyle(style);
        } else if (!Hidden && current) {
            line->setStyle(nullptr);
            current->deleteLater();
        }
        line->update();
    }
}
