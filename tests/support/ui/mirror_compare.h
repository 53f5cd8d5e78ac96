// Comparing a right-to-left picture of a grid with its left-to-right picture
// mirrored by hand. Glyphs read the same way in both, so a text run is
// compared by where its ink lies, and everything else pixel by pixel.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/controls.h"
#include "platform/ui/geometry.h"
#include "platform/ui/graphics.h"

// The pixel of Ltr that mirrors (X, Y) of a client area Width wide.
inline TColor MirroredPixel(TBitmap& Ltr, int Width, int X, int Y) {
    return Ltr.Canvas()->Pixels(Width - 1 - X, Y);
}

// A rectangle of a client area Width wide, mirrored.
inline TRect MirroredRect(const TRect& R, int Width) {
    return Rect(Width - R.Right, R.Top, Width - R.Left, R.Bottom);
}

// Pixels of the client area (Width x Height) of Rtl that differ from Ltr
// mirrored, outside the text areas given in Rtl's coordinates.
inline int MirrorDifferences(TBitmap& Ltr, TBitmap& Rtl, int Width, int Height,
                             const std::vector<TRect>& TextAreas) {
    int n = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const bool text = std::any_of(TextAreas.begin(), TextAreas.end(), [&](const TRect& R) {
                return x >= R.Left && x < R.Right && y >= R.Top && y < R.Bottom;
            });
            if (!text && Rtl.Canvas()->Pixels(x, y) != MirroredPixel(Ltr, Width, x, y)) ++n;
        }
    return n;
}

// The columns holding ink in R: pixels unlike R's top-left one. Left > Right
// when R holds none.
struct TInkSpan {
    int Left = 0;
    int Right = -1;
    bool Empty() const { return Left > Right; }
};

inline TInkSpan InkSpan(TBitmap& Shot, const TRect& R) {
    TInkSpan s{R.Right, R.Left - 1};
    const TColor back = Shot.Canvas()->Pixels(R.Left, R.Top);
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            if (Shot.Canvas()->Pixels(x, y) != back) {
                s.Left = std::min(s.Left, x);
                s.Right = std::max(s.Right, x);
            }
    return s;
}

// Rows holding ink in the first column of R that holds any: a text read
// right to left that ends in "." leads with the dot's few rows, the same
// text read left to right with its first letter's full height.
inline int LeadingInkRows(TBitmap& Shot, const TRect& R) {
    const TInkSpan s = InkSpan(Shot, R);
    if (s.Empty()) return 0;
    const TColor back = Shot.Canvas()->Pixels(R.Left, R.Top);
    int rows = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
        if (Shot.Canvas()->Pixels(s.Left, y) != back) ++rows;
    return rows;
}

// Pixels of A's block at From that differ from B's block of the same size at
// To: a part of a picture (a scroll bar) drawn elsewhere in another.
inline int BlockDifferences(TBitmap& A, const TRect& From, TBitmap& B, const TPoint& To) {
    int n = 0;
    for (int y = 0; y < From.Bottom - From.Top; ++y)
        for (int x = 0; x < From.Right - From.Left; ++x)
            if (A.Canvas()->Pixels(From.Left + x, From.Top + y) != B.Canvas()->Pixels(To.X + x, To.Y + y))
                ++n;
    return n;
}

// The client area of a picture of the whole control, its frame and scroll
// bars left out (a right-to-left window's bar stands at the left edge), so
// that its pixels sit at client coordinates.
inline std::unique_ptr<TBitmap> ClientPart(TBitmap& Whole, const TWinControl* Control) {
    auto part = std::make_unique<TBitmap>();
    const TRect m = Control->NonClientMargins();
    const int w = Control->ClientWidth(), h = Control->ClientHeight();
    part->SetSize(w, h);
    part->Canvas()->CopyRect(Rect(0, 0, w, h), Whole.Canvas(), Rect(m.Left, m.Top, m.Left + w, m.Top + h));
    return part;
}
