// Finding the font attributes that changed and applying them to the text still in the
// old font.
#include "suite/richtext/qzrichdeffont.h"

#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichhost.h"

namespace {

unsigned DifferingAttributes(const TRtfCharFormat& A, const TRtfCharFormat& B) {
    unsigned m = 0;
    if (A.FontName != B.FontName || A.Charset != B.Charset || A.Pitch != B.Pitch) m |= cfmFace;
    if (A.Size != B.Size) m |= cfmSize;
    if (A.Bold != B.Bold) m |= cfmBold;
    if (A.Italic != B.Italic) m |= cfmItalic;
    if (A.Underline != B.Underline) m |= cfmUnderline;
    if (A.StrikeOut != B.StrikeOut) m |= cfmStrikeOut;
    if (A.Color != B.Color) m |= cfmColor;
    return m;
}

// Format with the attributes of Mask that still hold Old's value set to New's.
TRtfCharFormat FollowDefault(TRtfCharFormat Format, const TRtfCharFormat& Old, const TRtfCharFormat& New,
                             unsigned Mask, int PlainSize) {
    if ((Mask & cfmFace) && (Format.FontName == Old.FontName || Format.FontName.empty())) {
        Format.FontName = New.FontName;
        Format.Charset = New.Charset;
        Format.Pitch = New.Pitch;
    }
    if ((Mask & cfmSize) && (Format.Size == Old.Size || Format.Size == PlainSize)) Format.Size = New.Size;
    if ((Mask & cfmBold) && Format.Bold == Old.Bold) Format.Bold = New.Bold;
    if ((Mask & cfmItalic) && Format.Italic == Old.Italic) Format.Italic = New.Italic;
    if ((Mask & cfmUnderline) && Format.Underline == Old.Underline) Format.Underline = New.Underline;
    if ((Mask & cfmStrikeOut) && Format.StrikeOut == Old.StrikeOut) Format.StrikeOut = New.StrikeOut;
    if ((Mask & cfmColor) && (Format.Color == Old.Color || Format.Color == kRtfNoColor))
        Format.Color = New.Color;
    return Format;
}

}  // namespace

TqzRichDefaultFont::TqzRichDefaultFont(TqzCustomRichEdit* RichEdit, TqzRichEditHost* Host)
    : FRichEdit(RichEdit),
      FHost(Host),
      FDefAttributes(qzFontCharFormat(RichEdit->Font(), RichEdit->ScreenPixelsPerInch())) {}

void TqzRichDefaultFont::FontChanged() {
    const TRtfCharFormat now = qzFontCharFormat(FRichEdit->Font(), FRichEdit->ScreenPixelsPerInch());
    const unsigned mask = DifferingAttributes(FDefAttributes, now);
    if (mask == 0) return;
    const TRtfCharFormat old = FDefAttributes;
    FDefAttributes = now;
    if (!FRichEdit->HandleAllocated() || FRichEdit->ComponentState().Contains(csDestroying)) {
        FDefPending |= mask;
        return;
    }
    Apply(old, mask);
}

void TqzRichDefaultFont::WindowCreated() {
    TqzCustomRichEdit* r = FRichEdit;
    if (FPlainSize == 0 && r->Document().PlainText().empty()) FPlainSize = r->SelAttributes().Size;
    if (FDefPending != 0) {
        const unsigned mask = FDefPending;
        FDefPending = 0;
        // the Font before is not known here: only text without formats follows
        TRtfCharFormat old = FDefAttributes;
        old.FontName.clear();
        old.Color = kRtfNoColor;
        old.Size = FPlainSize;
        if (mask & cfmBold) old.Bold = !old.Bold;
        if (mask & cfmItalic) old.Italic = !old.Italic;
        if (mask & cfmUnderline) old.Underline = !old.Underline;
        if (mask & cfmStrikeOut) old.StrikeOut = !old.StrikeOut;
        Apply(old, mask);
    }
}

void TqzRichDefaultFont::Apply(const TRtfCharFormat& Old, unsigned Mask) {
    TqzCustomRichEdit* r = FRichEdit;
    const bool wasLoading = r->Loading(), modified = r->Modified();
    const int start = r->SelStart(), length = r->SelLength();
    FHost->SetLoading(true);
    try {
        TRtfDocument d = r->Document();
        if (d.PlainText().empty() && d.Paragraphs.size() <= 1) {
            // nothing written yet: what is typed takes the Font
            r->SetSelAttributes(FollowDefault(r->SelAttributes(), Old, FDefAttributes, Mask, FPlainSize),
                                Mask);
        } else {
            TRtfDocument out;
            out.Paragraphs = d.Paragraphs;
            for (TRtfParagraph& p : out.Paragraphs)
                for (TRtfRun& run : p.Runs)
                    run.Format = out.FormatIndex(
                        FollowDefault(d.FormatOf(run), Old, FDefAttributes, Mask, FPlainSize));
            r->SetDocument(out);
            r->SetSelStart(start);
            r->SetSelLength(length);
        }
        r->SetModified(modified);
    } catch (...) {
        FHost->SetLoading(wasLoading);
        throw;
    }
    FHost->SetLoading(wasLoading);
}
