// The tool button pictures drawn pixel by pixel from lines, shapes and boxes.
#include "app/main_form_glyphs.h"

#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/graphics.h"

namespace {

// Colours as $00BBGGRR.
constexpr TColor Background = 0xFF00FF;  // the bottom-left pixel: transparent
constexpr TColor Ink = 0x404040;
constexpr TColor Red = 0x1C1CC8;
constexpr TColor Green = 0x2E9B2E;
constexpr TColor Blue = 0xB5561F;
constexpr TColor LightBlue = 0xF0C88C;
constexpr TColor Paper = 0xFFFFFF;
constexpr TColor Grey = 0xA0A0A0;
constexpr TColor Brown = 0x2A62A0;
constexpr TColor Tan = 0x7FB8E0;

void Line(TCanvas* c, TColor Colour, int Width, std::vector<TPoint> Points) {
    c->Pen()->SetColor(Colour);
    c->Pen()->SetWidth(Width);
    c->Polyline(Points);
    c->Pen()->SetWidth(1);
}

void Shape(TCanvas* c, TColor Fill, TColor Outline, const std::vector<TPoint>& Points) {
    c->Brush()->SetColor(Fill);
    c->Pen()->SetColor(Outline);
    c->Polygon(Points);
}

void Box(TCanvas* c, TColor Fill, TColor Outline, int X1, int Y1, int X2, int Y2) {
    c->Brush()->SetColor(Fill);
    c->Pen()->SetColor(Outline);
    c->Rectangle(X1, Y1, X2, Y2);
}

void Funnel(TCanvas* c) { Shape(c, LightBlue, Blue, {{1, 2}, {14, 2}, {9, 8}, {9, 14}, {6, 12}, {6, 8}}); }

}  // namespace

void DrawToDoGlyph(TBitmap* Bitmap, TToDoGlyph Glyph) {
    Bitmap->SetSize(16, 16);
    TCanvas* c = Bitmap->Canvas();
    c->Brush()->SetColor(Background);
    c->FillRect(TRect{0, 0, 16, 16});
    switch (Glyph) {
    case tgUndo:  // an arrow turning back to the left
        Line(c, Blue, 2, {{4, 6}, {10, 6}, {13, 9}, {13, 11}, {10, 13}, {6, 13}});
        Shape(c, Blue, Blue, {{1, 6}, {5, 2}, {5, 10}});
        break;
    case tgAdd:
        Box(c, Green, Green, 7, 2, 10, 14);
        Box(c, Green, Green, 2, 7, 14, 10);
        break;
    case tgDelete:
        Line(c, Red, 3, {{3, 3}, {13, 13}});
        Line(c, Red, 3, {{13, 3}, {3, 13}});
        break;
    case tgPrint:
        Box(c, Paper, Ink, 4, 1, 12, 7);
        Box(c, Grey, Ink, 1, 6, 15, 12);
        Box(c, Paper, Ink, 4, 10, 12, 15);
        c->SetPixels(12, 8, Green);
        Line(c, Grey, 1, {{5, 12}, {11, 12}});
        break;
    case tgSave:  // a disk
        Box(c, Blue, Blue, 1, 1, 15, 15);
        Box(c, Paper, Paper, 4, 2, 12, 7);
        Box(c, Grey, Grey, 4, 10, 12, 15);
        Box(c, Blue, Blue, 9, 11, 11, 14);
        break;
    case tgMoveToBasket:  // an arrow down into a tray
        Line(c, Green, 2, {{8, 1}, {8, 7}});
        Shape(c, Green, Green, {{4, 6}, {12, 6}, {8, 10}});
        Shape(c, Tan, Brown, {{1, 10}, {15, 10}, {13, 14}, {3, 14}});
        break;
    case tgFilter: Funnel(c); break;
    case tgRemoveFilter:
        Funnel(c);
        Line(c, Red, 2, {{10, 10}, {14, 14}});
        Line(c, Red, 2, {{14, 10}, {10, 14}});
        break;
    case tgArchive:  // a box with a lid
        Box(c, Tan, Brown, 1, 2, 15, 6);
        Box(c, Tan, Brown, 2, 5, 14, 15);
        Box(c, Brown, Brown, 6, 7, 10, 9);
        break;
    case tgExit:  // a door and an arrow out
        Box(c, Tan, Brown, 2, 1, 9, 15);
        c->SetPixels(7, 8, Ink);
        Line(c, Red, 2, {{9, 8}, {13, 8}});
        Shape(c, Red, Red, {{12, 5}, {15, 8}, {12, 11}});
        break;
    case tgHelp:  // a question mark in a circle
        c->Brush()->SetColor(Blue);
        c->Pen()->SetColor(Blue);
        c->Ellipse(1, 1, 15, 15);
        c->Font()->SetName("DejaVu Sans");
        c->Font()->SetSize(8);
        c->Font()->SetStyle(TFontStyles{fsBold});
        c->Font()->SetColor(Paper);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(8 - c->TextWidth("?") / 2, 8 - c->TextHeight("?") / 2, "?");
        break;
    }
}

void SetToDoGlyph(TSpeedButton* Button, TToDoGlyph Glyph) {
    TBitmap bitmap;
    DrawToDoGlyph(&bitmap, Glyph);
    Button->SetGlyph(&bitmap);
}
