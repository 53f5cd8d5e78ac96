// The formats of the rich edit's selection: character attributes and paragraphs.
#include "platform/ui/richedit.h"

#include <QTextList>

#include "platform/ui/richedit_qt.h"

using namespace richedit_detail;

// ---- Formats

namespace {

unsigned SameCharMask(const TRtfCharFormat& a, const TRtfCharFormat& b) {
    unsigned m = 0;
    if (a.FontName == b.FontName && a.Charset == b.Charset && a.Pitch == b.Pitch) m |= cfmFace;
    if (a.Size == b.Size) m |= cfmSize;
    if (a.Bold == b.Bold) m |= cfmBold;
    if (a.Italic == b.Italic) m |= cfmItalic;
    if (a.Underline == b.Underline) m |= cfmUnderline;
    if (a.StrikeOut == b.StrikeOut) m |= cfmStrikeOut;
    if (a.Offset == b.Offset) m |= cfmOffset;
    if (a.Color == b.Color) m |= cfmColor;
    if (a.BackColor == b.BackColor) m |= cfmBackColor;
    if (a.Link == b.Link) m |= cfmLink;
    if (a.Protected == b.Protected) m |= cfmProtected;
    return m;
}

void MergeChar(TRtfCharFormat& into, const TRtfCharFormat& f, unsigned mask) {
    if (mask & cfmFace) {
        into.FontName = f.FontName;
        into.Charset = f.Charset;
        into.Pitch = f.Pitch;
    }
    if (mask & cfmSize) into.Size = f.Size;
    if (mask & cfmBold) into.Bold = f.Bold;
    if (mask & cfmItalic) into.Italic = f.Italic;
    if (mask & cfmUnderline) into.Underline = f.Underline;
    if (mask & cfmStrikeOut) into.StrikeOut = f.StrikeOut;
    if (mask & cfmOffset) into.Offset = f.Offset;
    if (mask & cfmColor) into.Color = f.Color;
    if (mask & cfmBackColor) into.BackColor = f.BackColor;
    if (mask & cfmLink) into.Link = f.Link;
    if (mask & cfmProtected) into.Protected = f.Protected;
}

unsigned SameParaMask(const TRtfParaFormat& a, const TRtfParaFormat& b) {
    unsigned m = 0;
    if (a.Alignment == b.Alignment) m |= pfmAlignment;
    if (a.FirstIndent == b.FirstIndent) m |= pfmFirstIndent;
    if (a.LeftIndent == b.LeftIndent) m |= pfmLeftIndent;
    if (a.RightIndent == b.RightIndent) m |= pfmRightIndent;
    if (a.SpaceBefore == b.SpaceBefore) m |= pfmSpaceBefore;
    if (a.SpaceAfter == b.SpaceAfter) m |= pfmSpaceAfter;
    if (a.LineSpacing == b.LineSpacing && a.LineSpacingMultiple == b.LineSpacingMultiple) m |= pfmLineSpacing;
    if (a.Tabs == b.Tabs) m |= pfmTabs;
    if (a.Bullet == b.Bullet) m |= pfmBullet;
    return m;
}

void MergePara(TRtfParaFormat& into, const TRtfParaFormat& f, unsigned mask) {
    if (mask & pfmAlignment) into.Alignment = f.Alignment;
    if (mask & pfmFirstIndent) into.FirstIndent = f.FirstIndent;
    if (mask & pfmLeftIndent) into.LeftIndent = f.LeftIndent;
    if (mask & pfmRightIndent) into.RightIndent = f.RightIndent;
    if (mask & pfmSpaceBefore) into.SpaceBefore = f.SpaceBefore;
    if (mask & pfmSpaceAfter) into.SpaceAfter = f.SpaceAfter;
    if (mask & pfmLineSpacing) {
        into.LineSpacing = f.LineSpacing;
        into.LineSpacingMultiple = f.LineSpacingMultiple;
    }
    if (mask & pfmTabs) into.Tabs = f.Tabs;
    if (mask & pfmBullet) into.Bullet = f.Bullet;
}

// The fragments (start, end, format) of [from, to).
template <class F>
void ForEachFragment(QTextDocument* doc, int from, int to, F&& f) {
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int start = std::max(frag.position(), from);
            const int end = std::min(frag.position() + frag.length(), to);
            if (start < end) f(start, end, frag.charFormat());
        }
}

}  // namespace

TRtfCharFormat TCustomRichEdit::SelAttributes(unsigned* Mask) {
    TRichEditAdapter* a = Rich();
    const QTextCursor c = a->Edit()->textCursor();
    const int halfPoints = a->DefaultHalfPoints();
    if (!c.hasSelection()) {
        if (Mask) *Mask = cfmAll;
        return CharOf(a->Edit()->currentCharFormat(), halfPoints);
    }
    bool first = true;
    TRtfCharFormat result;
    unsigned mask = cfmAll;
    ForEachFragment(a->Doc(), c.selectionStart(), c.selectionEnd(), [&](int, int, const QTextCharFormat& cf) {
        const TRtfCharFormat f = CharOf(cf, halfPoints);
        if (first) {
            result = f;
            first = false;
        } else {
            mask &= SameCharMask(result, f);
        }
    });
    if (Mask) *Mask = mask;
    return result;
}

void TCustomRichEdit::SetSelAttributes(const TRtfCharFormat& Format, unsigned Mask) {
    TRichEditAdapter* a = Rich();
    QTextCursor c = a->Edit()->textCursor();
    const int halfPoints = a->DefaultHalfPoints();
    if (!c.hasSelection()) {
        TRtfCharFormat f = CharOf(a->Edit()->currentCharFormat(), halfPoints);
        MergeChar(f, Format, Mask);
        a->Edit()->setCurrentCharFormat(CharFormatOf(f));
        return;
    }
    // (the protection alone may always change)
    if ((Mask & ~unsigned{cfmProtected}) != 0 && !MayChangeSelection(false)) return;
    struct TPiece {
        int Start, End;
        QTextCharFormat Format;
    };
    std::vector<TPiece> pieces;
    ForEachFragment(a->Doc(), c.selectionStart(), c.selectionEnd(),
                    [&](int s, int e, const QTextCharFormat& cf) {
                        pieces.push_back({s, e, cf});
                    });
    c.beginEditBlock();
    for (const TPiece& p : pieces) {
        TRtfCharFormat f = CharOf(p.Format, halfPoints);
        MergeChar(f, Format, Mask);
        QTextCharFormat q = CharFormatOf(f);
        if (p.Format.isImageFormat()) {
            QTextImageFormat img = p.Format.toImageFormat();
            img.merge(q);
            q = img;
        }
        QTextCursor r(a->Doc());
        r.setPosition(p.Start);
        r.setPosition(p.End, QTextCursor::KeepAnchor);
        r.setCharFormat(q);
    }
    c.endEditBlock();
}

TRtfParaFormat TCustomRichEdit::Paragraph(unsigned* Mask) {
    TRichEditAdapter* a = Rich();
    const QTextCursor c = a->Edit()->textCursor();
    TRtfParaFormat result;
    unsigned mask = pfmAll;
    bool first = true;
    const QTextBlock last = a->Doc()->findBlock(c.selectionEnd());
    for (QTextBlock b = a->Doc()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
        const TRtfParaFormat f = ParaOf(b, FPixelsPerInch);
        if (first) {
            result = f;
            first = false;
        } else {
            mask &= SameParaMask(result, f);
        }
        if (b == last) break;
    }
    if (Mask) *Mask = mask;
    return result;
}

void TCustomRichEdit::SetParagraph(const TRtfParaFormat& Format, unsigned Mask) {
    TRichEditAdapter* a = Rich();
    QTextCursor c = a->Edit()->textCursor();
    const QTextBlock last = a->Doc()->findBlock(c.selectionEnd());
    // the whole paragraphs change
    const QTextBlock first = a->Doc()->findBlock(c.selectionStart());
    if (first.isValid() && last.isValid() &&
        !MayChange(first.position(), std::max(first.position(), last.position() + last.length() - 1), false))
        return;
    c.beginEditBlock();
    for (QTextBlock b = a->Doc()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
        TRtfParaFormat f = ParaOf(b, FPixelsPerInch);
        MergePara(f, Format, Mask);
        QTextCursor r(b);
        r.setBlockFormat(BlockFormatOf(f, FPixelsPerInch));
        QTextList* list = b.textList();
        if (f.Bullet && !list) {
            const QTextBlock prev = b.previous();
            if (prev.isValid() && prev.textList()) {
                prev.textList()->add(b);
            } else {
                QTextListFormat lf;
                lf.setStyle(QTextListFormat::ListDisc);
                lf.setIndent(0);
                r.createList(lf);
            }
        } else if (!f.Bullet && list) {
            list->remove(b);
            r.setBlockFormat(BlockFormatOf(f, FPixelsPerInch));
        }
        if (b == last) break;
    }
    c.endEditBlock();
}
