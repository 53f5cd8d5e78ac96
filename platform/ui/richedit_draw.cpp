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

// The characters of a long paragraph copied at first, and at most at a time.
constexpr int kFirstPart = 4096;
constexpr int kLargestPart = 64 * 1024;

// The content from From laid out at the rectangle's width: the paragraphs
// are copied one at a time, each as one change, until one reaches below the
// rectangle (what follows cannot show). A long paragraph is copied in parts
// joined into one paragraph until a line of it lies below the rectangle, so
// the copy holds little more than what shows, wrapped as the whole would
// be; positions still map one to one onto the control's.
struct TRangeLayout {
    QTextDocument Doc;
    int QtFrom = 0, QtEnd = 0;
    qreal Left = 0, Top = 0, Width = 1, Height = 0;

    TRangeLayout(TRichEditAdapter* A, QPainter* Painter, int Ppi, int From, const TRect& TwipsRect) {
        QTextDocument* source = A->Doc();
        QtFrom = std::clamp(QtPos(A, std::max(0, From)), 0, source->characterCount() - 1);
        QtEnd = source->characterCount() - 1;
        Doc.setDocumentMargin(0);
        Doc.setUndoRedoEnabled(false);
        Doc.setDefaultFont(A->Edit()->font());
        Doc.setDefaultTextOption(source->defaultTextOption());
        if (Painter && Painter->device()) Doc.documentLayout()->setPaintDevice(Painter->device());
        Left = Px(TwipsRect.Left, Ppi);
        Top = Px(TwipsRect.Top, Ppi);
        Width = std::max<qreal>(1, Px(TwipsRect.Right - TwipsRect.Left, Ppi));
        Height = std::max<qreal>(0, Px(TwipsRect.Bottom - TwipsRect.Top, Ppi));
        Doc.setTextWidth(Width);
        const bool printing =
            Painter && Painter->device() && Painter->device()->devType() == QInternal::Printer;
        QTextCursor c(&Doc);
        std::size_t index = 0;
        for (QTextBlock b = source->findBlock(QtFrom); b.isValid() && b.position() <= QtEnd; b = b.next())
            if (CopyParagraph(A, c, b, index++, Ppi, printing)) break;
    }

    // Copies the paragraph's part from QtFrom on as the index-th paragraph,
    // a long one in parts until a line lies below the rectangle; true when
    // it reaches below the rectangle.
    bool CopyParagraph(TRichEditAdapter* A, QTextCursor& c, const QTextBlock& b, std::size_t index, int Ppi,
                       bool printing) {
        QTextDocument* source = A->Doc();
        const int end = std::min(b.position() + b.length() - 1, QtEnd);
        int start = std::max(b.position(), QtFrom);
        for (int part = kFirstPart;; part = std::min(2 * part, kLargestPart)) {
            int stop = end - start > part ? start + part : end;
            // a surrogate pair stays in one part
            if (stop < end && source->characterAt(stop).isLowSurrogate()) --stop;
            TRtfDocument piece = PartOf(source, b, start, stop, Ppi, A->DefaultHalfPoints());
            if (piece.Paragraphs.empty()) piece.Paragraphs.emplace_back();
            TCharFormatCache formats(piece, Ppi);
            const bool first = start == std::max(b.position(), QtFrom);
            c.beginEditBlock();
            InsertParagraph(c, piece.Paragraphs.front(), first ? index : 0, first, Ppi, formats);
            if (printing) {
                // without ligatures: "fi" stays two letters a search in the file finds
                QTextCharFormat unshaped;
                unshaped.setFontStyleStrategy(QFont::PreferNoShaping);
                QTextCursor block(c.block());
                block.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                block.mergeCharFormat(unshaped);
            }
            c.endEditBlock();
            start = stop;
            if (start >= end) return Below(c.block());
            if (LineBelow(c.block())) return true;
        }
    }

    // The paragraph reaches below the rectangle.
    bool Below(const QTextBlock& B) {
        return Doc.documentLayout()->blockBoundingRect(B).bottom() > Height + 0.01;
    }
    // A line of the paragraph reaches below the rectangle, and another
    // follows it (the last line of a part may end before its text does).
    bool LineBelow(const QTextBlock& B) {
        const qreal top = Doc.documentLayout()->blockBoundingRect(B).top();
        const QTextLayout* layout = B.layout();
        if (!layout || layout->lineCount() < 2) return false;
        const QTextLine line = layout->lineAt(layout->lineCount() - 2);
        return top + line.y() + line.height() > Height + 0.01;
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
