// TOstraDBEdit: drawing the button and the aligned text, and the button
// glyphs.
#include <algorithm>
#include <mutex>
#include <string>
#include <utility>

#include "engine-controls/ostra_dbedit.h"
#include "platform/core/text.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"

namespace {

// A small calendar page: two rings, a blue title, the days.
const char* const kCalendarGlyph[] = {
    "13 12 5 1",     ". c #808000",   "# c #000000",   "b c #000080",   "w c #FFFFFF",   "r c #C00000",
    "..#......#...", "bb#bbbbbb#bb.", "bbbbbbbbbbbb.", "#wwwwwwwwww#.", "#w#w#w#w#ww#.", "#wwwwwwwwww#.",
    "#w#w#w#w#wr#.", "#wwwwwwwwww#.", "#w#w#w#wrwr#.", "#wwwwwwwwww#.", "############.", ".............",
};

// A pocket calculator: a display above three rows of keys.
const char* const kCalculatorGlyph[] = {
    "11 13 4 1",   ". c #808000", "# c #000000", "g c #00C000", "w c #FFFFFF", "#########..",
    "#ggggggg#..", "#ggggggg#..", "#########..", "#w#w#w#w#..", "#########..", "#w#w#w#w#..",
    "#########..", "#w#w#w#w#..", "#########..", "#w#w#w#w#..", "#########..", "...........",
};

}  // namespace

// Registers "TOCALCULAT" and "TOCALENDAR" (once; the edit's constructor does it).
void RegisterOstraDBEditGlyphs() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterXpmResource("TOCALCULAT", kCalculatorGlyph);
        RegisterXpmResource("TOCALENDAR", kCalendarGlyph);
    });
}

void TOstraDBEdit::PaintOverWidget(TCanvas* Canvas) {
    // The line edit has painted; the button and the aligned text go over it.
    const bool paintCopy = ControlState().Contains(csPaintCopy);
    if (FAlignment != taLeftJustify &&
        (paintCopy || (!FFocused && (FDialogStyle == odsEdit || FDialogStyle == odsCalculator))))
        PaintText(Canvas);
    if (FDialogStyle != odsEdit) PaintButton(Canvas);
}

void TOstraDBEdit::PaintButton(TCanvas* Canvas) {
    TRect r = ButtonRect();
    if (r.Width() <= 0 || r.Height() <= 0) return;
    switch (FDialogStyle) {
    case odsCombo:
    case odsLookup:
    case odsTree: {
        unsigned state = DFCS_SCROLLCOMBOBOX;
        if (!FActiveDropDown) state |= DFCS_INACTIVE;
        if (FPressed) state |= DFCS_PUSHED | DFCS_FLAT;
        DrawFrameControl(Canvas, r, DFC_SCROLL, state);
        break;
    }
    case odsCustomDlg:
    case odsCalendar:
    case odsCalculator: {
        TRect inner = r;
        DrawEdge(Canvas, inner, FPressed ? BDR_SUNKENOUTER : EDGE_RAISED,
                 BF_RECT | BF_MIDDLE | (FPressed ? BF_FLAT : 0u));
        const int shift = FPressed ? 1 : 0;
        if (FDialogStyle == odsCustomDlg) {
            const int side = std::max(1, FButtonWidth / 8);
            const int x = r.Left + (r.Width() - 5 * side) / 2 + shift;
            const int y = r.Top + (r.Height() - side) / 2 + shift;
            Canvas->Brush()->SetStyle(bsSolid);
            Canvas->Brush()->SetColor(clBlack);
            for (int i = 0; i < 3; ++i) Canvas->FillRect(Bounds(x + 2 * side * i, y, side, side));
        } else {
            TBitmap* glyph = FDialogStyle == odsCalendar ? FCalendarGlyph.get() : FCalculatorGlyph.get();
            if (glyph && !glyph->Empty()) {
                const int x = r.Left + (r.Width() - glyph->Width()) / 2 + shift;
                const int y = r.Top + (r.Height() - glyph->Height()) / 2 + shift;
                Canvas->Draw(x, y, glyph);
            }
        }
        break;
    }
    default: break;
    }
}

void TOstraDBEdit::PaintText(TCanvas* Canvas) {
    TRect area = ClientRect();
    if (FDialogStyle != odsEdit) area.Right = std::max(area.Left, area.Right - FButtonWidth - 2);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color());
    Canvas->FillRect(area);
    Canvas->SetFont(Font());
    if (!Enabled()) Canvas->Font()->SetColor(clGrayText);
    std::string text = EditText();
    if (PasswordChar() != 0) {
        std::string hidden;
        for (std::size_t i = Utf8Length(text); i > 0; --i) AppendUtf8(hidden, PasswordChar());
        text = std::move(hidden);
    }
    const int inset = BorderStyle() == bsSingle ? (Ctl3D() ? 1 : 2) : 0;
    const int margin = inset;
    const TSize size = Canvas->TextExtent(text);
    // Right to left, left and right swap as they do in the edit's window.
    TAlignment drawn = FAlignment;
    if (UseRightToLeftAlignment() && FAlignment != taCenter)
        drawn = FAlignment == taLeftJustify ? taRightJustify : taLeftJustify;
    int x = margin;
    if (drawn == taRightJustify)
        x = area.Right - size.cx - margin - 1;
    else if (drawn == taCenter)
        x = (area.Right - size.cx) / 2;
    // Vertically where the line edit shows its text.
    const int y = std::max(inset, (area.Height() - size.cy) / 2);
    Canvas->Brush()->SetStyle(bsClear);
    if (UseRightToLeftReading()) {
        TRect r = Rect(x, y, x + size.cx, y + size.cy);
        DrawText(Canvas, text, r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_RTLREADING);
    } else {
        Canvas->TextOut(x, y, text);
    }
}
