// Drawing the rich edit's content into a rectangle of a canvas (printing,
// previews and cell images), or measuring what fits.
#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextLayout>

#include "platform/ui/graphics.h"
#include "platform/ui/richedit.h"
#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

namespace {

// The content from From laid out at the rectangle's width: the paragraphs
// are copied one at a time, each as one change, until one reaches below the
// rectangle (what follows cannot show).
struct TRangeLayout {
    QTextDocument Doc;
    int QtFrom = 0, QtEnd = 0;
    qreal Left = 0, Top = 0, Width = 1, Height = 0;

    TRangeLayout(TRichEditAdapter* A, QPainter* Painter, int Ppi, int From, const TRect& TwipsRect) {
        QtFrom = std::clamp(QtPos(A, std::max(0, From)), 0, A->Doc()->characterCount() - 1);
        QtEnd = A->Doc()->characterCount() - 1;
        Doc.setDocumentMargin(0);
        Doc.setUndoRedoEnabled(false);
        Doc.setDefaultFont(A->Edit()->font());
        if (Painter && Painter->device()) Doc.documentLayout()->setPaintDevice(Painter->device());
        Left = Px(TwipsRect.Left, Ppi);
        Top = Px(TwipsRect.Top, Ppi);
        Width = std::max<qreal>(1, Px(TwipsRect.Right - TwipsRect.Left, Ppi));
        Height = std::max<qreal>(0, Px(TwipsRect.Bottom - TwipsRect.Top, Ppi));
        Doc.setTextWidth(Width);
        // On a printer or a PDF without ligatures: "fi" stays two letters a search finds.
        const bool printing =
            Painter && Painter->device() && Painter->device()->devType() == QInternal::Printer;
        QTextCharFormat unshaped;
        unshaped.setFontStyleStrategy(QFont::PreferNoShaping);
        QTextCursor c(&Doc);
        std::size_t index = 0;
        for (QTextBlock b = A->Doc()->findBlock(QtFrom); b.isValid() && b.position() <= QtEnd; b = b.next()) {
            const int start = std::max(b.position(), QtFrom);
            const int end = std::min(b.position() + b.length() - 1, QtEnd);
            TRtfDocument part = DocumentOf(A->Doc(), start, end, Ppi, A->DefaultHalfPoints());
            if (part.Paragraphs.empty()) part.Paragraphs.emplace_back();
            TCharFormatCache formats(part, Ppi);
            c.beginEditBlock();
            InsertParagraph(c, part.Paragraphs.front(), index++, true, Ppi, formats);
            if (printing) {
                QTextCursor block(c.block());
                block.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                block.mergeCharFormat(unshaped);
            }
            c.endEditBlock();
            if (Doc.documentLayout()->blockBoundingRect(c.block()).bottom() > Height + 0.01) break;
        }
    }

    // Draws the lines whose tops lie above Bottom, clipped to Clip (both
    // relative to the rectangle): a line left out is not in the output at
    // all, so a printed file holds no hidden copy of it either.
    void Draw(QPainter* Painter, qreal Bottom, qreal Clip) {
        Painter->save();
        Painter->translate(Left, Top);
        Painter->setClipRect(QRectF(0, 0, Width, Clip), Qt::IntersectClip);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(0, 0, Width, Bottom);
        ctx.palette.setColor(QPalette::Text, Qt::black);
        Doc.documentLayout()->draw(Painter, ctx);
        Painter->restore();
    }
};

}  // namespace

// ---- Drawing

int TCustomRichEdit::FormatRange(TCanvas* Canvas, int PixelsPerInch, int From, const TRect& TwipsRect,
                                 bool Render) {
    TRichEditAdapter* a = Rich();
    const int ppi = PixelsPerInch > 0 ? PixelsPerInch : 96;
    QPainter* painter = Canvas ? PrepareCanvas(Canvas) : nullptr;
    TRangeLayout range(a, painter, ppi, From, TwipsRect);
    // the lines that fit whole
    int next = -1;
    qreal fitted = 0;
    for (QTextBlock b = range.Doc.begin(); b.isValid() && next < 0; b = b.next()) {
        const QRectF br = range.Doc.documentLayout()->blockBoundingRect(b);
        const QTextLayout* layout = b.layout();
        for (int i = 0; layout && i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal bottom = br.top() + line.y() + line.height();
            if (bottom > range.Height + 0.01) {
                next = b.position() + line.textStart();
                break;
            }
            fitted = bottom;
        }
    }
    // The toolkit draws a line whose top touches the clip's bottom: the
    // first line that does not fit starts at or below fitted.
    if (Render && painter && fitted > 0) range.Draw(painter, fitted - 0.5, fitted);
    if (next < 0) return BytePos(a, range.QtEnd);
    // positions of the part map one to one onto the control's from QtFrom
    return BytePos(a, range.QtFrom + next);
}

void TCustomRichEdit::DrawRange(TCanvas* Canvas, int PixelsPerInch, int From, const TRect& TwipsRect) {
    QPainter* painter = Canvas ? PrepareCanvas(Canvas) : nullptr;
    if (!painter) return;
    TRangeLayout range(Rich(), painter, PixelsPerInch > 0 ? PixelsPerInch : 96, From, TwipsRect);
    range.Draw(painter, range.Height, range.Height);
}
