// The rich edit while the toolkit lays its text out in steps: input that may
// ask for the layout of what is not laid out yet, and a step that reaches a
// long paragraph, show the busy cursor until the event loop answers again;
// a change made meanwhile (which ends the toolkit's steps where they were)
// has the layout go on from where it was, in steps of the watch's own; the
// view follows a caret moved further than the layout had reported; the caret
// put far into what is not laid out shows the busy cursor.
#include <QCoreApplication>
#include <QElapsedTimer>
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
// The pause between two steps of the watch's own (as the toolkit's), the
// time one is to take, and the most and least characters it lays out.
constexpr int kStepPauseMs = 10;
constexpr qint64 kStepMs = 200;
constexpr int kMostStepChars = 4 << 20, kLeastStepChars = 100000;
// Characters down to the view's bottom up to which a change during the
// layout has the toolkit start its layout again from the start.
constexpr int kRestartChars = kBusyLayoutChars;
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
    FNext.setSingleShot(true);
    QObject::connect(&FNext, &QTimer::timeout, this, [this] { Step(); });
    // (the carets a change moves move before the change's end)
    QObject::connect(Edit->document(), &QTextDocument::contentsChanged, this,
                     [this] { FCaretByChange = false; });
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
    FCaretByChange = true;
    if (FChangePending) return;
    FChangePending = true;
    QTimer::singleShot(0, this, [this] {
        FChangePending = false;
        FCaretByChange = false;
        QTextEdit* edit = Edit();
        const QTextBlock b = Rest();
        if (!edit || !b.isValid()) return;
        QTextDocument* doc = edit->document();
        QScrollBar* bar = edit->verticalScrollBar();
        const int top = bar->value();
        // the position at the view's bottom
        const int shown =
            doc->documentLayout()->hitTest(QPointF(0, top + edit->viewport()->height()), Qt::FuzzyHit);
        // A view near the start: the toolkit's own steps from the start, which
        // walk no paragraph after theirs, cost less than the watch's.
        if (shown < kRestartChars) {
            Restart(top, shown);
            return;
        }
        // what the view shows at once, the rest from the loop
        if (doc->documentLayout()->blockBoundingRect(b).top() < top + edit->viewport()->height())
            Step();
        else
            FNext.start(kStepPauseMs);
    });
}

// The toolkit lays out again from the start in steps; what the window shows
// (down to Shown, with the view's top at Top) is laid out at once, so that
// the view stays where it was.
void TLayoutWatch::Restart(int Top, int Shown) {
    QTextEdit* edit = Edit();
    QTextDocument* doc = edit->document();
    QScrollBar* bar = edit->verticalScrollBar();
    FNext.stop();
    // (every paragraph gives its layout up first)
    if (Shown >= kBusyLayoutChars || doc->blockCount() >= kManyParagraphs) BusyUntilAnswered();
    FRestarting = true;
    doc->setPageSize(doc->pageSize());
    FRestarting = false;
    if (Top <= 0) return;
    doc->documentLayout()->blockBoundingRect(doc->findBlock(Shown));
    // the edit takes the height from the layout's report, which comes from
    // the event loop: the range is given the height laid out now (as the
    // report will), and else the view goes back when its range allows
    const int most =
        static_cast<int>(doc->documentLayout()->documentSize().height()) - edit->viewport()->height();
    if (bar->maximum() < Top && most >= Top) bar->setMaximum(most);
    bar->setValue(Top);
    if (bar->value() == Top) return;
    auto* keep = new QObject(this);
    QObject::connect(bar, &QScrollBar::rangeChanged, keep, [bar, Top, keep](int, int Max) {
        if (Max < Top) return;
        QObject::disconnect(bar, nullptr, keep, nullptr);
        bar->setValue(Top);
        keep->deleteLater();
    });
    QTimer::singleShot(1000, keep, [keep] { keep->deleteLater(); });
}

// The first paragraph not laid out while the watch is to lay it out: none
// when all is, or the toolkit's own steps still go on (a load, a new width:
// they lay it out when asked for).
QTextBlock TLayoutWatch::Rest() {
    QTextEdit* edit = Edit();
    QTextDocument* doc = edit ? edit->document() : nullptr;
    QTextBlock b = doc && !doc->pageSize().isNull() ? FirstNotLaidOut(doc) : QTextBlock();
    if (b.isValid()) {
        // (a long paragraph is laid out whole, in one go)
        if (b.isVisible() && b.length() >= kBusyLayoutChars) BusyUntilAnswered();
        doc->documentLayout()->blockBoundingRect(b);
    }
    if (b.isValid() && !Done(b)) return b;
    FNext.stop();
    return {};
}

// The toolkit's layout of a change lays out the changed paragraphs and only
// moves the others: those it had not reached stay empty, and its steps end.
// The watch has it lay out the next piece after what is laid out, as one
// more change of that piece's paragraphs (above them nothing is laid out
// again), from the event loop until the end. Each step also walks all the
// paragraphs after its piece: the piece grows while the steps stay short.
void TLayoutWatch::Step() {
    FNext.stop();
    const QTextBlock b = Rest();
    if (!b.isValid()) return;
    QTextDocument* doc = Edit()->document();
    const int from = b.position();
    const QTextBlock last = doc->findBlock(std::min(from + FStepChars, doc->characterCount() - 1));
    const int to = last.position() + last.length();
    // (a long paragraph is laid out whole, in one go)
    for (QTextBlock p = b; p.isValid() && p.position() < to; p = p.next())
        if (p.isVisible() && p.length() >= kBusyLayoutChars) {
            BusyUntilAnswered();
            break;
        }
    QElapsedTimer took;
    took.start();
    doc->markContentsDirty(from, to - from);
    const qint64 ms = took.elapsed();
    if (ms < kStepMs)
        FStepChars = std::min(FStepChars + FStepChars / 2, kMostStepChars);
    else if (ms > 2 * kStepMs)
        FStepChars = std::max(FStepChars / 2, kLeastStepChars);
    if (Rest().isValid()) FNext.start(kStepPauseMs);
}

// The toolkit lays b, the first paragraph not laid out, out when asked only
// while its own steps go on; a change ends them (the watch's steps then
// pending or going on).
bool TLayoutWatch::LaidOutOnDemand(const QTextBlock& b) {
    // (a long paragraph is laid out whole, in one go)
    if (b.isVisible() && b.length() >= kBusyLayoutChars) BusyUntilAnswered();
    b.document()->documentLayout()->blockBoundingRect(b);
    return Done(b);
}

// Lays the paragraphs from b out to the one holding To, at once.
void TLayoutWatch::LayOut(const QTextBlock& b, int To) {
    QTextDocument* doc = Edit()->document();
    const QTextBlock last = doc->findBlock(std::clamp(To, b.position(), doc->characterCount() - 1));
    const int to = last.position() + last.length();
    if (to - b.position() >= kBusyLayoutChars) BusyUntilAnswered();
    doc->markContentsDirty(b.position(), to - b.position());
}

// Whatever the layout has reached, what is asked for is laid out: here at
// once when the toolkit would not lay it out itself.
void TLayoutWatch::LayOutTo(int Pos) {
    QTextEdit* edit = Edit();
    QTextDocument* doc = edit ? edit->document() : nullptr;
    if (!doc || doc->pageSize().isNull()) return;
    const QTextBlock b = FirstNotLaidOut(doc);
    if (b.isValid() && b.position() <= Pos && !LaidOutOnDemand(b)) LayOut(b, Pos);
}

void TLayoutWatch::LayOutDownTo(qreal Y) {
    QTextEdit* edit = Edit();
    QTextDocument* doc = edit ? edit->document() : nullptr;
    if (!doc || doc->pageSize().isNull()) return;
    // (each piece walks all the paragraphs after it: the pieces grow)
    int chars = std::max(FStepChars, kBusyLayoutChars);
    for (QTextBlock b = FirstNotLaidOut(doc); b.isValid(); b = FirstNotLaidOut(doc)) {
        // (what is laid out ends at the bottom of the paragraph above it)
        const QTextBlock above = b.previous();
        if (above.isValid() && doc->documentLayout()->blockBoundingRect(above).bottom() > Y) return;
        if (LaidOutOnDemand(b)) return;
        BusyUntilAnswered();
        LayOut(b, b.position() + std::min(chars, doc->characterCount()));
        chars = std::min(chars, 1 << 29) * 2;
    }
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
    // nothing asked to show it; a key's move after a change is asked to)
    if (!FCaretByChange) LayOutTo(edit->textCursor().position());
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

}  // namespace richedit_detail
