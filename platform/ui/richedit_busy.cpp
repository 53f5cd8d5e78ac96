// The rich edit while the toolkit lays its text out in steps: input that may
// ask for the layout of what is not laid out yet, and a step that reaches a
// long paragraph, show the busy cursor until the event loop answers again;
// a change made meanwhile (which ends the toolkit's steps where they were)
// starts the layout again; the view follows a caret moved further than the
// layout had reported; the caret put far into what is not laid out shows the
// busy cursor.
#include <QCoreApplication>
#include <QEvent>
#include <QTextLayout>

#include "platform/ui/richedit_qt.h"

namespace richedit_detail {

namespace {

bool Done(const QTextBlock& b) { return !b.isVisible() || (b.layout() && b.layout()->lineCount() > 0); }

// The most characters one step of the toolkit's layout takes on.
constexpr int kLayoutStepChars = 200000;
// Paragraphs looked at for a long one in a step (many short ones lay out fast).
constexpr int kStepParagraphs = 20000;
// Paragraphs from which the layout takes long to start again.
constexpr int kManyParagraphs = 100000;

}  // namespace

QTextBlock FirstNotLaidOut(QTextDocument* doc) {
    if (Done(doc->lastBlock())) return {};
    // the layout goes from the start: what it reached is laid out
    int low = 0, high = doc->blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (Done(doc->findBlockByNumber(mid)))
            low = mid + 1;
        else
            high = mid;
    }
    return doc->findBlockByNumber(low);
}

int CharsNotLaidOut(QTextDocument* doc) {
    const QTextBlock b = FirstNotLaidOut(doc);
    return b.isValid() ? doc->characterCount() - b.position() : 0;
}

void BusyUntilAnswered() {
    if (!Screen || Screen->Cursor() == crHourGlass) return;
    const TCursor saved = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
    QTimer::singleShot(0, QCoreApplication::instance(), [saved] {
        if (Screen && Screen->Cursor() == crHourGlass) Screen->SetCursor(saved);
    });
}

void BusyBeforeCaretAt(QTextDocument* doc, int Pos) {
    const QTextBlock b = FirstNotLaidOut(doc);
    if (b.isValid() && Pos - b.position() >= kBusyLayoutChars) BusyUntilAnswered();
}

namespace {

// The next step of the layout lays out a long paragraph (whole, in one go).
bool StepReachesLongParagraph(QTextDocument* doc) {
    QTextBlock b = FirstNotLaidOut(doc);
    if (!b.isValid()) return false;
    const int until = b.position() + kLayoutStepChars;
    for (int n = 0; b.isValid() && b.position() <= until && n < kStepParagraphs; b = b.next(), ++n)
        if (b.isVisible() && b.length() >= kBusyLayoutChars) return true;
    return false;
}

// Input that may move the view or the caret past what is laid out.
bool MayNeedLayout(QEvent::Type Type) {
    switch (Type) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::DragMove:
    case QEvent::Drop: return true;
    default: return false;
    }
}

}  // namespace

TLayoutWatch::TLayoutWatch(QTextEdit* Edit) : FEdit(Edit) {
    for (QObject* o :
         std::initializer_list<QObject*>{Edit, Edit->viewport(), Edit->verticalScrollBar(),
                                         Edit->horizontalScrollBar(), Edit->document()->documentLayout()})
        o->installEventFilter(this);
}

bool TLayoutWatch::eventFilter(QObject* Watched, QEvent* Event) {
    const bool timer = Event->type() == QEvent::Timer;
    if (!timer && !MayNeedLayout(Event->type())) return false;
    QTextEdit* edit = Edit();
    QTextDocument* doc = edit ? edit->document() : nullptr;
    if (!doc) return false;
    if (Watched == doc->documentLayout()) {
        if (timer && StepReachesLongParagraph(doc)) BusyUntilAnswered();
    } else if (!timer && CharsNotLaidOut(doc) >= kBusyLayoutChars) {
        BusyUntilAnswered();
    }
    return false;
}

void TLayoutWatch::Changed() {
    if (FRestarting || FRestartPending) return;
    FRestartPending = true;
    QTimer::singleShot(0, this, [this] {
        FRestartPending = false;
        Restart();
    });
}

// The toolkit scrolls to the caret only as far as its scroll bar reaches,
// which the layout's report of its height moves from the event loop: a caret
// moved below it (Ctrl+End, the caret put further down from code) had the
// view stop short. The layout reaches the caret now (the toolkit laid it out
// to find it): the bar is given room down to the caret's line.
void TLayoutWatch::CaretMoved() {
    QTextEdit* edit = Edit();
    if (!edit || FRestarting) return;
    // (a caret moved by a change before it may lie where nothing is laid out:
    // nothing asked to show it)
    if (!Done(edit->textCursor().block())) return;
    QScrollBar* bar = edit->verticalScrollBar();
    const QRect caret = edit->cursorRect();
    // where the view shows the caret's line at its bottom
    const int shows = bar->value() + caret.bottom() + 1 +
                      static_cast<int>(edit->document()->documentMargin()) - edit->viewport()->height();
    if (shows <= bar->maximum()) return;
    bar->setMaximum(shows);
    bar->setValue(shows);
}

// The toolkit lays out again from the start in steps; what the window shows
// is laid out at once, so that the view stays where it was.
void TLayoutWatch::Restart() {
    QTextEdit* edit = Edit();
    QTextDocument* doc = edit ? edit->document() : nullptr;
    if (!doc || doc->pageSize().isNull() || CharsNotLaidOut(doc) == 0) return;
    QScrollBar* bar = edit->verticalScrollBar();
    const int top = bar->value();
    // the position at the view's bottom, from the layout as it was
    const int shown =
        top > 0 ? doc->documentLayout()->hitTest(QPointF(0, top + edit->viewport()->height()), Qt::FuzzyHit)
                : -1;
    // (every paragraph gives its layout up first)
    if (shown >= kBusyLayoutChars || doc->blockCount() >= kManyParagraphs) BusyUntilAnswered();
    FRestarting = true;
    doc->setPageSize(doc->pageSize());
    FRestarting = false;
    if (shown > 0) {
        doc->documentLayout()->blockBoundingRect(doc->findBlock(shown));
        // the edit takes the height from the layout's report, which comes from
        // the event loop: the range is given the height laid out now (as the
        // report will), and else the view goes back when its range allows
        const int most =
            static_cast<int>(doc->documentLayout()->documentSize().height()) - edit->viewport()->height();
        if (bar->maximum() < top && most >= top) bar->setMaximum(most);
        bar->setValue(top);
        if (bar->value() == top) return;
        auto* keep = new QObject(this);
        QObject::connect(bar, &QScrollBar::rangeChanged, keep, [bar, top, keep](int, int Max) {
            if (Max < top) return;
            QObject::disconnect(bar, nullptr, keep, nullptr);
            bar->setValue(top);
            keep->deleteLater();
        });
        QTimer::singleShot(1000, keep, [keep] { keep->deleteLater(); });
    }
}

}  // namespace richedit_detail
