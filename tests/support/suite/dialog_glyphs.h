// Whether a bitmap button of a kind shows its glyph's whole first image: the
// button is rendered (and written to a PNG to look at), and every pixel of
// the image that is not its transparent colour must lie on the face at one
// place. A kind's glyph strip holds square images, so the first image is as
// wide as the strip is high.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/testing.h"
#include "support/environment.h"

// The ink of the glyph's first image found whole on the rendered button.
inline bool KindGlyphDrawnWhole(TBitBtn* Button, const std::string& PngName) {
    EXPECT_TRUE(RenderControlToPng(Button, TestRunPath(PngName + ".png")));
    TBitmap face;
    RenderControl(Button, &face);
    TBitmap* glyph = Button->Glyph();
    const int side = glyph->Height();
    if (side <= 0 || glyph->Width() < side) return false;
    const TColor transparent = glyph->Canvas()->Pixels(0, side - 1);
    struct TInk {
        int X, Y;
        TColor Color;
    };
    std::vector<TInk> ink;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (const TColor c = glyph->Canvas()->Pixels(x, y); c != transparent) ink.push_back({x, y, c});
    if (ink.empty()) return false;
    for (int oy = 0; oy + side <= face.Height(); ++oy)
        for (int ox = 0; ox + side <= face.Width(); ++ox) {
            bool all = true;
            for (const TInk& p : ink)
                if (face.Canvas()->Pixels(ox + p.X, oy + p.Y) != p.Color) {
                    all = false;
                    break;
                }
            if (all) return true;
        }
    return false;
}

// Every shown bitmap button of a kind the form owns (or a component of it
// owns) shows its whole glyph; answers how many were looked at.
inline int ExpectKindGlyphsWhole(TComponent* Form, const std::string& PngPrefix, int Seen = 0) {
    for (int i = 0; i < Form->ComponentCount(); ++i) {
        TComponent* c = Form->Components(i);
        if (c->ComponentCount() > 0) Seen = ExpectKindGlyphsWhole(c, PngPrefix, Seen);
        auto* b = dynamic_cast<TBitBtn*>(c);
        if (!b || b->Kind() == bkCustom || !b->Showing() || b->Glyph()->Empty()) continue;
        ++Seen;
        const std::string name = PngPrefix + "_" + std::to_string(Seen);
        EXPECT_TRUE(KindGlyphDrawnWhole(b, name)) << name << " (" << b->Caption() << ")";
    }
    return Seen;
}
