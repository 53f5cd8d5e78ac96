// Shared by the suite's drawing, frame and dialog tests: the windowing
// layer brought up once, white bitmaps to draw on and pixel questions.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/core/files.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/graphics.h"
#include "platform/ui/testing.h"

class SuiteUiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitializeApplication(0, nullptr); }
};

// A bitmap of the size, filled with white.
inline void WhiteBitmap(TBitmap& Bitmap, int Width, int Height) {
    Bitmap.SetSize(Width, Height);
    TCanvas* c = Bitmap.Canvas();
    c->Brush()->SetColor(clWhite);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Rect(0, 0, Width, Height));
}

inline TColor Px(TBitmap& Bitmap, int X, int Y) { return Bitmap.Canvas()->Pixels(X, Y); }

// Number of pixels outside R that are not white.
inline int MarksOutside(TBitmap& Bitmap, const TRect& R) {
    int n = 0;
    for (int y = 0; y < Bitmap.Height(); ++y)
        for (int x = 0; x < Bitmap.Width(); ++x)
            if (!PtInRect(R, Point(x, y)) && Px(Bitmap, x, y) != clWhite) ++n;
    return n;
}

// Pixels darker than mid grey inside R: the extent of text drawn in black.
struct TInk {
    int Count = 0;
    TRect Box{1 << 20, 1 << 20, -1, -1};  // Right and Bottom inclusive
};
inline TInk InkIn(TBitmap& Bitmap, const TRect& R) {
    TInk ink;
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x) {
            const TColor c = Px(Bitmap, x, y);
            if (c < 0) continue;
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 0x60) {
                ++ink.Count;
                ink.Box.Left = std::min(ink.Box.Left, x);
                ink.Box.Top = std::min(ink.Box.Top, y);
                ink.Box.Right = std::max(ink.Box.Right, x);
                ink.Box.Bottom = std::max(ink.Box.Bottom, y);
            }
        }
    return ink;
}

inline std::string PngPath(const std::string& Name) { return GetTempDir() + "taskmoor_" + Name + ".png"; }
