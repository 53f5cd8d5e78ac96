// The rich edit's editing commands: find and replace, character and
// paragraph formats, unit texts and the built-in popup menu.
#include <cmath>

#include "platform/core/sysutils.h"
#include "platform/ui/find_dialogs.h"
#include "platform/ui/print_dialogs.h"
#include "platform/ui/printers.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzintl.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichpopup.h"
#include "suite/richtext/qzrichsearch.h"

namespace {

unsigned PlatformFindOptions(TqzSearchTypes Options) {
    unsigned o = 0;
    if (Options.Contains(stMatchCase)) o |= frMatchCase;
    if (Options.Contains(stWholeWord)) o |= frWholeWord;
    return o;
}

}  // namespace

std::string qzStripHighlightRtf(const std::string& Rtf) {
    static const std::string word = "\\highlight";
    std::string out;
    out.reserve(Rtf.size());
    std::size_t i = 0;
    while (i < Rtf.size()) {
        const std::size_t hit = Rtf.find(word, i);
        if (hit == std::string::npos) break;
        // backslashes just before the match's own one
        std::size_t slashes = 0;
        while (hit >= slashes + 1 && Rtf[hit - slashes - 1] == '\\') ++slashes;
        out.append(Rtf, i, hit - i);
        if (slashes % 2 == 1) {
            // "\\highlight": an escaped backslash and the word as text
            out.append(word);
            i = hit + word.size();
            continue;
        }
        std::size_t end = hit + word.size();
        while (end < Rtf.size() && Rtf[end] >= '0' && Rtf[end] <= '9') ++end;
        if (end < Rtf.size() && Rtf[end] == ' ') ++end;
        i = end;
    }
    out.append(Rtf, std::min(i, Rtf.size()), std::string::npos);
    return out;
}

// ---- Dialogs and the popup menu ----------------------------------------------------------------

void TqzCustomRichEdit::CreateDialogs() {
    FSearch = std::make_unique<TqzRichSearch>(this);
    FFontDialog = new TFontDialog(this);
    FFontDialog->SetDevice(fdBoth);
    FFontDialog->SetOptions({fdEffects});
    BuildPopupMenu();
}

void TqzCustomRichEdit::BuildPopupMenu() { FPopup = std::make_unique<TqzRichPopupMenu>(this); }

// ---- Find and replace ----------------------------------------------------------------------------

void TqzCustomRichEdit::ShowFindDialog() { FSearch->ShowFind(); }
void TqzCustomRichEdit::ShowReplaceDialog() { FSearch->ShowReplace(); }
void TqzCustomRichEdit::FindNext() { FSearch->FindNext(); }
bool TqzCustomRichEdit::HasFindText() const { return !FSearch->LastFindText().empty(); }
void TqzCustomRichEdit::ReplaceNext() { FSearch->ReplaceNext(); }

int TqzCustomRichEdit::FindText(const std::string& SearchText, int StartPos, int Length,
                                TqzSearchTypes Options) {
    if (SearchText.empty()) return -1;
    return TCustomRichEdit::FindText(SearchText, std::max(0, StartPos), Length, PlatformFindOptions(Options));
}

int TqzCustomRichEdit::FindTextBackward(const std::string& SearchText, int StartPos, int Length,
                                        TqzSearchTypes Options) {
    if (SearchText.empty()) return -1;
    Settings(0) = Variant(true);
    int pos = -1;
    try {
        pos = TCustomRichEdit::FindText(SearchText, std::max(0, StartPos), Length,
                                        PlatformFindOptions(Options) | frBackward);
    } catch (...) {
        Settings(0) = Variant(false);
        throw;
    }
    Settings(0) = Variant(false);
    return pos;
}

bool TqzCustomRichEdit::ReplaceSelText(const std::string& S) {
    if (ReadOnly()) return false;
    SetSelText(S);
    return true;
}

bool TqzCustomRichEdit::FindAndReplace(const std::string& SearchText, const std::string& ReplaceText,
                                       TqzSearchTypes Options) {
    const int pos = FindText(SearchText, SelStart(), -1, Options);
    if (pos < 0) return false;
    SetSelStart(pos);
    SetSelLength(static_cast<int>(SearchText.size()));
    if (!ReplaceSelText(ReplaceText)) return false;
    SetSelStart(pos + static_cast<int>(ReplaceText.size()));
    SetSelLength(0);
    return true;
}

// ---- Character formats -------------------------------------------------------------------------

void TqzCustomRichEdit::ShowFontDialog() {
    unsigned mask = 0;
    const TRtfCharFormat f = SelAttributes(&mask);
    TFont* font = FFontDialog->Font();
    font->SetName(f.FontName.empty() ? Font()->Name() : f.FontName);
    font->SetSize(f.Size / 2);
    TFontStyles style;
    if (f.Bold) style.Include(fsBold);
    if (f.Italic) style.Include(fsItalic);
    if (f.Underline) style.Include(fsUnderline);
    if (f.StrikeOut) style.Include(fsStrikeOut);
    font->SetStyle(style);
    const TColor before = f.Color == kRtfNoColor ? ColorToRGB(Font()->Color()) : f.Color;
    font->SetColor(before);
    TFontDialogOptions options = FFontDialog->Options();
    if (FEditWidth == rewPrinterSize && Printer()->Printers()->Count() > 0)
        options.Include(fdWysiwyg);
    else
        options.Exclude(fdWysiwyg);
    FFontDialog->SetOptions(options);
    if (!FFontDialog->Execute()) return;
    BeginFieldEdit();
    const TColor color = ColorToRGB(font->Color()) == before ? clNone : font->Color();
    SetSelFont(font->Name(), font->Size(), color, font->Style());
}

void TqzCustomRichEdit::SetSelFont(const std::string& Name, int Size, TColor Color, TFontStyles Styles) {
    if (!HandleAllocated()) return;
    TRtfCharFormat f;
    unsigned mask = cfmFace | cfmSize | cfmBold | cfmItalic | cfmUnderline | cfmStrikeOut;
    f.FontName = Name.substr(0, 31);
    f.Size = Size * 2;
    f.Bold = Styles.Contains(fsBold);
    f.Italic = Styles.Contains(fsItalic);
    f.Underline = Styles.Contains(fsUnderline);
    f.StrikeOut = Styles.Contains(fsStrikeOut);
    if (Color != clNone) {
        mask |= cfmColor;
        f.Color = ColorToRGB(Color);
    }
    SetSelAttributes(f, mask);
}

void TqzCustomRichEdit::ToggleEffect(int Kind, bool On) {
    if (!HandleAllocated() || Kind < 0 || Kind > 3) return;
    BeginFieldEdit();
    TRtfCharFormat f = SelAttributes();
    const unsigned masks[4] = {cfmBold, cfmItalic, cfmUnderline, cfmStrikeOut};
    bool* bits[4] = {&f.Bold, &f.Italic, &f.Underline, &f.StrikeOut};
    *bits[Kind] = On;
    SetSelAttributes(f, masks[Kind]);
}

void TqzCustomRichEdit::SetHighlight(TColor Color) {
    if (!HandleAllocated()) return;
    int back = 0;
    if (Color == -1) {
        StripHighlight();
        back = ColorToRGB(this->Color());
    } else {
        back = ColorToRGB(Color);
    }
    if (RichEditVersion() >= 2) {
        TRtfCharFormat f;
        f.BackColor = back;
        SetSelAttributes(f, cfmBackColor);
        SetSelLength(0);
    }
}

TColor TqzCustomRichEdit::GetHighlight() {
    if (RichEditVersion() < 2 || !HandleAllocated()) return Color();
    const TRtfCharFormat f = SelAttributes();
    return f.BackColor == kRtfNoColor ? Color() : f.BackColor;
}

void TqzCustomRichEdit::StripHighlight() {
    TqzRichMemoryStream s;
    SaveSelectionRTF(&s);
    std::string data(static_cast<std::size_t>(s.Size()), '\0');
    s.SetPosition(0);
    if (!data.empty()) s.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    const std::string stripped = qzStripHighlightRtf(data);
    TqzRichMemoryStream out;
    if (!stripped.empty()) out.WriteBuffer(stripped.data(), static_cast<int64_t>(stripped.size()));
    LoadSelectionRTF(&out);
}

// ---- Paragraph formats ---------------------------------------------------------------------------

void TqzCustomRichEdit::GetParaIndents(int& Offset, int& RightIndent, int& StartIndent) {
    Offset = RightIndent = StartIndent = 0;
    if (!HandleAllocated()) return;
    const TRtfParaFormat p = Paragraph();
    // the control keeps the first line relative to the others; the
    // request's start indent is the first line's, its offset the others'
    StartIndent = p.LeftIndent + p.FirstIndent;
    Offset = -p.FirstIndent;
    RightIndent = p.RightIndent;
}

void TqzCustomRichEdit::SetParaFormat(TqzParaParts Parts, const std::string& Alignment, int LineSpacingRule,
                                      int LineSpacing, int SpaceAfter, int SpaceBefore, const int* Tabs,
                                      int TabCount, int StartIndent, int RightIndent, int Offset,
                                      bool Bullet) {
    if (!HandleAllocated()) return;
    TRtfParaFormat p = Paragraph();
    unsigned mask = 0;
    if (Parts.Contains(ppAlignment)) {
        mask |= pfmAlignment;
        static TqzRichEditParagraphDlg defaults;
        TqzRichEditParagraphDlg* t = qzIntl() ? qzIntl()->RichEdit()->ParagraphDialog() : &defaults;
        p.Alignment = Alignment == t->AlignLeft()      ? TRtfAlign::Left
                      : Alignment == t->AlignRight()   ? TRtfAlign::Right
                      : Alignment == t->AlignJustify() ? TRtfAlign::Justify
                                                       : TRtfAlign::Center;
    }
    if (Parts.Contains(ppNumbering)) {
        mask |= pfmBullet;
        p.Bullet = Bullet;
    }
    // start indent is the first line's; the offset moves the others
    if (Parts.Contains(ppStartIndent) || Parts.Contains(ppOffset)) {
        const int start = Parts.Contains(ppStartIndent) ? StartIndent : p.LeftIndent + p.FirstIndent;
        const int offset = Parts.Contains(ppOffset) ? Offset : -p.FirstIndent;
        p.LeftIndent = start + offset;
        p.FirstIndent = -offset;
        mask |= pfmLeftIndent | pfmFirstIndent;
    }
    if (Parts.Contains(ppRightIndent)) {
        mask |= pfmRightIndent;
        p.RightIndent = RightIndent;
    }
    if (Parts.Contains(ppTabStops)) {
        mask |= pfmTabs;
        p.Tabs.clear();
        for (int i = 0; Tabs && i < std::min(TabCount, 32); ++i) p.Tabs.push_back(TRtfTab{Tabs[i]});
    }
    if (Parts.Contains(ppSpaceBefore)) {
        mask |= pfmSpaceBefore;
        p.SpaceBefore = SpaceBefore;
    }
    if (Parts.Contains(ppSpaceAfter)) {
        mask |= pfmSpaceAfter;
        p.SpaceAfter = SpaceAfter;
    }
    if (Parts.Contains(ppLineSpacing)) {
        mask |= pfmLineSpacing;
        // rules: 0 single, 1 one and a half, 2 double, 3 at least, 4 exactly,
        // 5 multiple (twentieths of a line)
        p.LineSpacingMultiple = false;
        switch (LineSpacingRule) {
        case 1: p.LineSpacing = 360, p.LineSpacingMultiple = true; break;
        case 2: p.LineSpacing = 480, p.LineSpacingMultiple = true; break;
        case 3: p.LineSpacing = std::abs(LineSpacing); break;
        case 4: p.LineSpacing = -std::abs(LineSpacing); break;
        case 5: p.LineSpacing = LineSpacing * 12, p.LineSpacingMultiple = true; break;
        default: p.LineSpacing = 0; break;
        }
    }
    SetParagraph(p, mask);
}

void TqzCustomRichEdit::ToggleBullet(bool On) {
    if (!HandleAllocated()) return;
    BeginFieldEdit();
    TRtfParaFormat p = Paragraph();
    p.Bullet = On;
    if (On) {
        p.LeftIndent = std::max(p.LeftIndent, 720);
        p.FirstIndent = -720;
        SetParagraph(p, pfmBullet | pfmLeftIndent | pfmFirstIndent);
    } else {
        SetParagraph(p, pfmBullet);
    }
}

// ---- Measurement units ---------------------------------------------------------------------------

std::string TqzCustomRichEdit::UnitText(double Value) const {
    TFormatSettings fs = FormatSettings();
    std::string s = FloatToStr(Value, fs);
    return FMeasurementUnits == muInches ? s + "''" : s + " cm";
}

std::string TqzCustomRichEdit::SnappedUnitText(int Steps, double Value) const {
    if (Steps <= 0) Steps = FMeasurementUnits == muInches ? 8 : 20;
    const double nudge = 1.0 / (Steps * 1.5);
    const double v = Value < 0 ? Value - nudge : Value + nudge;
    const long long m = std::llround(v * 1000);
    const long long step = 1000 / Steps;
    return UnitText(static_cast<double>(m - (step > 0 ? m % step : 0)) / 1000.0);
}

int TqzCustomRichEdit::UnitTextToTwips(const std::string& Text) const {
    std::string t = Text;
    while (!t.empty() && std::string(" '\"cmCM").find(t.back()) != std::string::npos) t.pop_back();
    double v = 0;
    if (!TryStrToFloat(Trim(t), v)) return 0;
    double twips = v * 1440;
    if (FMeasurementUnits == muCentimeters) twips /= qzCentimetersPerInch;
    return static_cast<int>(std::lround(twips));
}

double TqzCustomRichEdit::TwipsToUnits(int Twips) const {
    double v = Twips / 1440.0;
    if (FMeasurementUnits == muCentimeters) v *= qzCentimetersPerInch;
    return std::round(v * 100) / 100;
}
