// Drag and drop of text in the rich edit. A drag of the selection carries
// its text, its rich text and a mark of the edit it came from; a drop within
// the same edit moves or copies the selection with its formats as one undo
// step, a drop from elsewhere inserts the rich text or else the text. The
// control's DragDropEffect decides between copy and move.
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

#include "platform/core/text.h"
#include "platform/ui/richedit.h"
#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

namespace {

const QString kRtfMime = QStringLiteral("text/rtf");
const QString kSourceMime = QStringLiteral("application/x-taskmoor-rich-drag-source");

QByteArray MarkOf(const TRichTextEdit* Edit) {
    return QByteArray::number(static_cast<qulonglong>(reinterpret_cast<quintptr>(Edit)));
}

unsigned EffectsOf(Qt::DropActions Actions) {
    unsigned e = deNone;
    if (Actions & Qt::CopyAction) e |= deCopy;
    if (Actions & Qt::MoveAction) e |= deMove;
    if (Actions & Qt::LinkAction) e |= deLink;
    return e;
}

Qt::DropAction ActionOf(unsigned Effect) {
    switch (Effect) {
    case deCopy: return Qt::CopyAction;
    case deMove: return Qt::MoveAction;
    case deLink: return Qt::LinkAction;
    default: return Qt::IgnoreAction;
    }
}

// The bytes a document takes in the control: one "\n" between paragraphs,
// and an object's character (three bytes) for each picture or object, as a
// paste counts them.
std::size_t ControlBytes(const TRtfDocument& Doc) {
    std::size_t n = Doc.Paragraphs.empty() ? 0 : Doc.Paragraphs.size() - 1;
    for (const auto& p : Doc.Paragraphs)
        for (const TRtfRun& r : p.Runs) n += r.IsRaw() ? 3 : r.Text.size();
    return n;
}

}  // namespace

void TCustomRichEdit::DragDropEffect(bool, TShiftState, unsigned&) {}

// ---- The text edit

QMimeData* TRichTextEdit::createMimeDataFromSelection() const {
    QMimeData* data = QTextEdit::createMimeDataFromSelection();
    if (!Adapter) return data;
    const QTextCursor c = textCursor();
    const TRtfDocument d =
        DocumentOf(document(), c.selectionStart(), c.selectionEnd(),
                   Adapter->Control()->ScreenPixelsPerInch(), Adapter->DefaultHalfPoints());
    const std::string rtf = RtfWrite(d);
    data->setData(kRtfMime, QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())));
    data->setData(kSourceMime, MarkOf(this));
    return data;
}

void TRichTextEdit::dragMoveEvent(QDragMoveEvent* Event) {
    QTextEdit::dragMoveEvent(Event);
    if (!Adapter || !Event->isAccepted()) return;
    const unsigned effect = Adapter->DropEffect(false, Event->modifiers(), Event->possibleActions());
    if (effect == deNone) {
        Event->ignore();
        return;
    }
    Event->setDropAction(ActionOf(effect));
    Event->accept();
}

void TRichTextEdit::dropEvent(QDropEvent* Event) {
    const Qt::DropAction action = Adapter ? Adapter->Drop(Event->mimeData(), Event->position().toPoint(),
                                                          Event->modifiers(), Event->possibleActions())
                                          : Qt::IgnoreAction;
    // The drop marker goes, as when the drag leaves.
    QDragLeaveEvent leave;
    QTextEdit::dragLeaveEvent(&leave);
    if (action == Qt::IgnoreAction) {
        Event->ignore();
        return;
    }
    Event->setDropAction(action);
    Event->accept();
}

// ---- The adapter

unsigned TRichEditAdapter::DropEffect(bool Drop, Qt::KeyboardModifiers Keys, Qt::DropActions Allowed) {
    // Text is copied or moved, never linked.
    unsigned effect = EffectsOf(Allowed) & (deCopy | deMove);
    if (effect == deNone) return deNone;
    const TShiftState shift = ShiftStateOf(Keys, Qt::NoButton);
    unsigned chosen = effect;
    GuardedCall(FRich, [&] { FRich->DragDropEffect(Drop, shift, chosen); });
    chosen &= effect;
    if (chosen == deNone) return deNone;
    if (chosen == deCopy || chosen == deMove) return chosen;
    // The control's proposal, the same on every toolkit platform: Ctrl
    // copies, else the text moves.
    const unsigned proposed = (Keys & Qt::ControlModifier) ? deCopy : deMove;
    if (chosen & proposed) return proposed;
    return (chosen & deMove) ? deMove : deCopy;
}

Qt::DropAction TRichEditAdapter::Drop(const QMimeData* Data, const QPoint& At, Qt::KeyboardModifiers Keys,
                                      Qt::DropActions Allowed) {
    if (!Data || FRich->ReadOnly() || FWidget->isReadOnly() || !Data->hasText()) return Qt::IgnoreAction;
    const bool own = FDragEdit && Data->data(kSourceMime) == MarkOf(FDragEdit);
    const unsigned effect = DropEffect(true, Keys, Allowed);
    if (effect == deNone) return Qt::IgnoreAction;
    const bool move = own && effect == deMove;
    const int dpi = FRich->ScreenPixelsPerInch();
    const int at = FWidget->cursorForPosition(At).position();
    const QTextCursor selection = FWidget->textCursor();

    TRtfDocument d;
    bool rich = false;
    if (own) {
        if (!selection.hasSelection()) return Qt::IgnoreAction;
        // Text dropped onto itself stays where it is.
        if (move && at >= selection.selectionStart() && at <= selection.selectionEnd())
            return Qt::IgnoreAction;
        d = DocumentOf(Doc(), selection.selectionStart(), selection.selectionEnd(), dpi, DefaultHalfPoints());
        rich = true;
    } else if (Data->hasFormat(kRtfMime)) {
        const QByteArray bytes = Data->data(kRtfMime);
        const std::string_view rtf(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        rich = RtfLooksLikeRtf(rtf) && RtfRead(rtf, d).Ok;
    }
    QString text = Data->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));

    // A copy must fit in MaxLength, as a paste does; a move keeps the length.
    if (FRich->MaxLength() > 0 && !move) {
        const std::size_t add = rich ? ControlBytes(d) : FromQString(text).size();
        if (Text().toUtf8().size() + add > static_cast<std::size_t>(FRich->MaxLength()))
            return Qt::IgnoreAction;
    }

    // Protected text at the drop point, or moved away, asks first.
    if (!FRich->MayChange(at, at, false) ||
        (move && !FRich->MayChange(selection.selectionStart(), selection.selectionEnd(), false)))
        return Qt::IgnoreAction;

    // One undo step: the edit block spans the removal and the insertion.
    QTextCursor cur(Doc());
    cur.setPosition(at);
    cur.beginEditBlock();
    if (move) {
        QTextCursor from = selection;
        from.removeSelectedText();
    }
    if (rich)
        InsertDocument(cur, d, false, dpi);
    else
        cur.insertText(text);
    cur.endEditBlock();
    // The caret ends after the dropped text, with no selection the drag's
    // source could still take away.
    FWidget->setTextCursor(cur);
    TypingEnd = -1;
    return move ? Qt::MoveAction : ActionOf(effect);
}
