// Masks built from a bitmap's pixels and painting through them for the grey image.
#include "platform/ui/bitmap_effects.h"

#include <vector>

namespace {
struct TRgb {
    uint8_t B, G, R;
};
TRgb RgbOf(TColor Color) {
    const int32_t c = ColorToRGB(Color);
    return {static_cast<uint8_t>(GetBValue(c)), static_cast<uint8_t>(GetGValue(c)),
            static_cast<uint8_t>(GetRValue(c))};
}
bool Same(const uint8_t* P, TRgb C) { return P[0] == C.B && P[1] == C.G && P[2] == C.R; }
void Put(uint8_t* P, TRgb C) {
    P[0] = C.B;
    P[1] = C.G;
    P[2] = C.R;
}
// Black where Test holds for a pixel of Source.
template <class F>
void MakeMask(TBitmap* Source, TBitmap* Mask, F Test) {
    const int w = Source->Width(), h = Source->Height();
    Mask->SetSize(w, h);
    std::vector<uint8_t> in(static_cast<size_t>(w) * 3), out(in.size());
    const TRgb black{0, 0, 0}, white{255, 255, 255};
    for (int y = 0; y < h; ++y) {
        Source->ReadRow24(y, in.data());
        for (int x = 0; x < w; ++x) Put(&out[x * 3], Test(&in[x * 3]) ? black : white);
        Mask->WriteRow24(y, out.data());
    }
}
}  // namespace

void BitmapColorMask(TBitmap* Source, TColor Color, TBitmap* Mask) {
    const TRgb c = RgbOf(Color);
    MakeMask(Source, Mask, [c](const uint8_t* p) { return Same(p, c); });
}

void PaintThroughMask(TBitmap* Dest, TBitmap* Mask, TColor Color, int X, int Y) {
    const int w = Dest->Width(), h = Dest->Height();
    const int mw = Mask->Width(), mh = Mask->Height();
    const TRgb c = RgbOf(Color), black{0, 0, 0};
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3), mrow(static_cast<size_t>(mw) * 3);
    for (int my = 0; my < mh; ++my) {
        const int y = my + Y;
        if (y < 0 || y >= h) continue;
        Mask->ReadRow24(my, mrow.data());
        Dest->ReadRow24(y, row.data());
        for (int mx = 0; mx < mw; ++mx) {
            const int x = mx + X;
            if (x >= 0 && x < w && Same(&mrow[mx * 3], black)) Put(&row[x * 3], c);
        }
        Dest->WriteRow24(y, row.data());
    }
}

void EmbossBitmap(TBitmap* Source, TColor Background, TBitmap* Dest, TColor Face, TColor Highlight,
                  TColor Shadow) {
    const TRgb bg = RgbOf(Background), white{255, 255, 255};
    TBitmap shape;
    MakeMask(Source, &shape, [bg, white](const uint8_t* p) { return !Same(p, bg) && !Same(p, white); });
    const int w = Source->Width(), h = Source->Height();
    Dest->SetSize(w, h);
    const TRgb face = RgbOf(Face);
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    for (int x = 0; x < w; ++x) Put(&row[x * 3], face);
    for (int y = 0; y < h; ++y) Dest->WriteRow24(y, row.data());
    PaintThroughMask(Dest, &shape, Highlight, 1, 1);
    PaintThroughMask(Dest, &shape, Shadow, 0, 0);
}
