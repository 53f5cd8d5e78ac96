// The indent markers' painting and drags, the ruler's unit scale, twips to pixels, and
// the markers' layout and limits.
#include "suite/richtext/qzruler.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/bitmaps.h"
#include "platform/ui/graphics.h"
#include "platform/ui/printers.h"
#include "suite/richtext/qzriched.h"

namespace {

// Markers drawn by us; the bottom-left pixel is the transparent colour.
const char* const kRulerUp[] = {"11 9 3 1",    "  c #FF00FF", ". c #000000", "X c #C0C0C0", "     .     ",
                                "    .X.    ", "   .XXX.   ", "  .XXXXX.  ", " .XXXXXXX. ", " .XXXXXXX. ",
                                " .XXXXXXX. ", " ......... ", "           "};
const char* const kRulerDown[] = {"11 9 3 1",    "  c #FF00FF", ". c #000000", "X c #C0C0C0", " ......... ",
                                  " .XXXXXXX. ", " .XXXXXXX. ", " .XXXXXXX. ", "  .XXXXX.  ", "   .XXX.   ",
                                  "    .X.    ", "     .     ", "           "};

void RegisterMarkers() {
    static const bool done = [] {
        if (!ResourceExists("qzRulerUp")) RegisterXpmResource("qzRulerUp", kRulerUp);
        if (!ResourceExists("qzRulerDown")) RegisterXpmResource("qzRulerDown", kRulerDown);
        return true;
    }();
    (void)done;
}

int RoundToInt(double V) { return static_cast<int>(std::lround(V)); }

}  // namespace

// ---- The marker ------------------------------------------------------------------------------

TqzTrackIcon::TqzTrackIcon(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    SetWidth(11);
    SetHeight(9);
}

TqzTrackIcon::~TqzTrackIcon() = default;

void TqzTrackIcon::SetBitmapName(const std::string& Value) {
    if (Value.empty() || Value == FBitmapName) return;
    RegisterMarkers();
    FBitmapName = Value;
    FGlyph->LoadFromResourceName(Value);
    FGlyph->SetTransparent(true);
    SetBounds(Left(), Top(), FGlyph->Width(), FGlyph->Height());
    Invalidate();
}

void TqzTrackIcon::Paint() {
    if (FGlyph->Empty()) return;
    Canvas()->Draw(0, 0, FGlyph.get());
}

void TqzTrackIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FDragging = true;
    FMoved = false;
    FPressX = X;
}

void TqzTrackIcon::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging || X == FPressX) return;
    int left = Left() + X - FPressX;
    if (FMinValue != 0 && left < FMinValue) left = FMinValue;
    if (FMaxValue != 0 && left > FMaxValue) left = FMaxValue;
    if (left != Left()) {
        SetLeft(left);
        FMoved = true;
        FOnDrag(this);
    }
}

void TqzTrackIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FDragging) return;
    FDragging = false;
    if (FMoved) FOnEndDragged(this);
    FMoved = false;
}

// ---- The ruler ---------------------------------------------------------------------------------

TqzRulerPanel::TqzRulerPanel(TComponent* AOwner) : TPanel(AOwner) {
    SetBevelOuter(bvNone);
    SetHeight(26);
    SetWidth(400);
    FScale = Rect(6, 4, Width() - 6, Height() - 4);
    auto marker = [this](const char* Name, int Top) {
        auto* m = new TqzTrackIcon(this);
        m->SetParent(this);
        m->SetBitmapName(Name);
        m->SetTop(Top);
        m->SetOnDrag(TNotifyEvent(this, &TqzRulerPanel::MarkerDrag));
        m->SetOnEndDrag(TNotifyEvent(this, &TqzRulerPanel::MarkerEndDrag));
        return m;
    };
    FLeft = marker("qzRulerUp", Height() - 9);
    FRight = marker("qzRulerUp", Height() - 9);
    FFirst = marker("qzRulerDown", 0);
    Arrange();
}

void TqzRulerPanel::Notification(TComponent* AComponent, TOperation Operation) {
    TPanel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FRichEdit) FRichEdit = nullptr;
}

double TqzRulerPanel::PixelsPerUnit() const {
    const double ppi = FRichEdit ? FRichEdit->ScreenPixelsPerInch() : 96;
    return FRichEdit && FRichEdit->MeasurementUnits() == muCentimeters ? ppi / qzCentimetersPerInch : ppi;
}

int TqzRulerPanel::PixelsToTwips(int X) const {
    return FRichEdit ? FRichEdit->ScreenPixelsToTwips(X) : X * 15;
}
int TqzRulerPanel::TwipsToPixels(int X) const {
    return FRichEdit ? FRichEdit->TwipsToScreenPixels(X) : X / 15;
}

int TqzRulerPanel::TextWidth() {
    if (!FRichEdit) return std::max(0, Width() - 12);
    if (FRichEdit->UsesPrinterWidth()) {
        TPrinter* p = Printer();
        const int dpi = std::max(1, p->XResolution());
        double inches = p->PhysicalPageSize().X / static_cast<double>(dpi);
        double margins = FRichEdit->PrintMargins()->Left() + FRichEdit->PrintMargins()->Right();
        if (FRichEdit->MeasurementUnits() == muCentimeters) margins /= qzCentimetersPerInch;
        inches -= margins;
        return std::max(0, RoundToInt(inches * FRichEdit->ScreenPixelsPerInch()));
    }
    return std::max(0, FRichEdit->Width() - FRichEdit->GutterWidth() - 4);
}

void TqzRulerPanel::Arrange() {
    if (FRichEdit) SetWidth(TextWidth() + 12);
    FScale = Rect(6, 4, Width() - 6, Height() - 4);
    for (TqzTrackIcon* m : {FLeft, FFirst, FRight}) {
        m->SetMinValue(FScale.Left - m->Width() / 2);
        m->SetMaxValue(FScale.Right - m->Width() / 2);
    }
    RefreshMarkers();
    Invalidate();
}

void TqzRulerPanel::RefreshMarkers() {
    int offset = 0, right = 0, start = 0;
    if (FRichEdit) FRichEdit->GetParaIndents(offset, right, start);
    const int base = FScale.Left;
    FLeft->SetLeft(base + TwipsToPixels(offset) + TwipsToPixels(start) - FLeft->Width() / 2);
    FFirst->SetLeft(base + TwipsToPixels(start) - FFirst->Width() / 2);
    FRight->SetLeft(Width() - TwipsToPixels(right) - FRight->Width());
}

void TqzRulerPanel::ApplyDragLimits() {
    const double ppu = PixelsPerUnit();
    const bool cm = FRichEdit && FRichEdit->MeasurementUnits() == muCentimeters;
    const long long step = cm ? 250 : 125;
    for (TqzTrackIcon* m : {FLeft, FFirst, FRight}) {
        const int centre = m->Left() + m->Width() / 2;
        long long v = std::llround((centre - FScale.Left) / ppu * 1000);
        v -= ((v % step) + step) % step;
        m->SetLeft(FScale.Left + RoundToInt(v / 1000.0 * ppu) - m->Width() / 2);
    }
    if (FRight->Dragging()) {
        const int least = std::max(FLeft->Left(), FFirst->Left()) + 48;
        if (FRight->Left() < least) FRight->SetLeft(least);
    } else {
        const int most = FRight->Left() - 48;
        if (FLeft->Left() > most) FLeft->SetLeft(most);
        if (FFirst->Left() > most) FFirst->SetLeft(most);
    }
}

void TqzRulerPanel::MarkerDrag(TObject*) { ApplyDragLimits(); }

void TqzRulerPanel::MarkerEndDrag(TObject* Sender) {
    ApplyDragLimits();
    if (!FRichEdit) return;
    FRichEdit->BeginFieldEdit();
    if (Sender == FRight) {
        const int centre = FRight->Left() + FRight->Width() / 2;
        const int right = PixelsToTwips(FScale.Left + TextWidth() - centre);
        FRichEdit->SetParaFormat({ppRightIndent}, std::string(), 0, 0, 0, 0, nullptr, 0, 0, right, 0, false);
    } else {
        const int l = PixelsToTwips(FLeft->Left() - FLeft->MinValue());
        const int f = PixelsToTwips(FFirst->Left() - FFirst->MinValue());
        FRichEdit->SetParaFormat({ppStartIndent, ppOffset}, std::string(), 0, 0, 0, 0, nullptr, 0, f, 0,
                                 std::min(-f, l) + l, false);
    }
    RefreshMarkers();
}

void TqzRulerPanel::Paint() {
    TPanel::Paint();
    TCanvas* c = Canvas();
    const TRect& r = FScale;
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    c->Brush()->SetColor(clWhite);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    auto line3 = [c](TColor Color, int X1, int Y1, int X2, int Y2, int X3, int Y3) {
        c->Pen()->SetColor(Color);
        c->MoveTo(X1, Y1);
        c->LineTo(X2, Y2);
        c->LineTo(X3, Y3);
    };
    line3(clBtnShadow, L - 1, B, L - 1, T, R + 1, T);
    line3(clBlack, L, B, L, T + 1, R + 1, T + 1);
    line3(clBtnFace, L - 1, B, R + 1, B, R + 1, T);
    line3(clBtnHighlight, L - 1, B + 1, R + 2, B + 1, R + 2, T - 1);
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    const double ppu = PixelsPerUnit();
    const bool cm = FRichEdit && FRichEdit->MeasurementUnits() == muCentimeters;
    double length = 0;
    if (FRichEdit && FRichEdit->UsesPrinterWidth())
        length = TextWidth() / static_cast<double>(FRichEdit->ScreenPixelsPerInch()) *
                 (cm ? qzCentimetersPerInch : 1);
    else
        length = (Width() - 12) / ppu;
    const int steps = cm ? 4 : 8;
    c->Font()->SetSize(7);
    for (int i = 0; i <= RoundToInt(length) + 1 && i < length; ++i) {
        if (i > 0) {
            const std::string n = std::to_string(i);
            c->TextOut(L + RoundToInt(i * ppu - c->TextWidth(n) / 2.0), T + 3, n);
        }
        for (int j = 1; j < steps && i + static_cast<double>(j) / steps < length; ++j) {
            const int x = L + RoundToInt((i + static_cast<double>(j) / steps) * ppu);
            if (j == steps / 2) {
                c->MoveTo(x, T + 7);
                c->LineTo(x, B - 5);
            } else {
                c->MoveTo(x, T + 8);
                c->LineTo(x, B - 7);
            }
        }
    }
}
