// Drawing the rich edit's content into a rectangle of a canvas (printing and
// previews), or measuring what fits.
#include "platform/ui/richedit.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextLayout>

#include "platform/ui/graphics.h"
#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

// ---- Drawing

int TCustomRichEdit::FormatRange(TCanvas* Canvas, int PixelsPerInch, int From, const TRect& TwipsRect,
                                 bool Render) {
    TRichEditAdapter* a = Rich();
    const int ppi = PixelsPerInch > 0 ? PixelsPerInch : 96;
    const int qtFrom = std::clamp(QtPos(a, std::max(0, From)), 0, a->Doc()->characterCount() - 1);
    const int qtEnd = a->Doc()->characterCount() - 1;
    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setUndoRedoEnabled(false);
    QFont font = a->Edit()->font();
    doc.setDefaultFont(font);
    QPainter* painter = Canvas ? PrepareCanvas(Canvas) : nullptr;
    if (painter && painter->device()) doc.documentLayout()->setPaintDevice(painter->device());
    // On a printer or a PDF without ligatures: "fi" stays two letters a search finds.
    const bool printing = painter && painter->device() && painter->device()->devType() == QInternal::Printer;
    QTextCharFormat unshaped;
    unshaped.setFontStyleStrategy(QFont::PreferNoShaping);
    const qreal left = Px(TwipsRect.Left, ppi), top = Px(TwipsRect.Top, ppi);
    const qreal width = std::max<qreal>(1, Px(TwipsRect.Right - TwipsRect.Left, ppi));
    const qreal height = std::max<qreal>(0, Px(TwipsRect.Bottom - TwipsRect.Top, ppi));
    doc.setTextWidth(width);
    // The paragraphs are copied one at a time, each as one change, until one
    // reaches below the rectangle: what follows cannot show.
    QTextCursor c(&doc);
    std::size_t index = 0;
    for (QTextBlock b = a->Doc()->findBlock(qtFrom); b.isValid() && b.position() <= qtEnd; b = b.next()) {
        const int start = std::max(b.position(), qtFrom);
        const int end = std::min(b.position() + b.length() - 1, qtEnd);
        TRtfDocument part = DocumentOf(a->Doc(), start, end, ppi, a->DefaultHalfPoints());
        if (part.Paragraphs.empty()) part.Paragraphs.emplace_back();
        TCharFormatCache formats(part);
        c.beginEditBlock();
        InsertParagraph(c, part.Paragraphs.front(), index++, true, ppi, formats);
        if (printing) {
            QTextCursor block(c.block());
            block.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            block.mergeCharFormat(unshaped);
        }
        c.endEditBlock();
        if (doc.documentLayout()->blockBoundingRect(c.block()).bottom() > height + 0.01) break;
    }
    // the lines that fit
    int next = -1;
    qreal fitted = 0;
    for (QTextBlock b = doc.begin(); b.isValid() && next < 0; b = b.next()) {
        const QRectF br = doc.documentLayout()->blockBoundingRect(b);
        const QTextLayout* layout = b.layout();
        for (int i = 0; layout && i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal bottom = br.top() + line.y() + line.height();
            if (bottom > height + 0.01) {
                next = b.position() + line.textStart();
                break;
            }
            fitted = bottom;
        }
    }
    if (Render && painter) {
        painter->save();
        painter->translate(left, top);
        painter->setClipRect(QRectF(0, 0, width, fitted), Qt::IntersectClip);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(0, 0, width, fitted);
        ctx.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(painter, ctx);
        painter->restore();
    }
    if (next < 0) return BytePos(a, qtEnd);
    // positions of the part map one to one onto the control's from qtFrom
    return BytePos(a, qtFrom + next);
}
