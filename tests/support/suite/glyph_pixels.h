// What a combo button's glyph puts on its face: the button rendered with
// its glyph and with a blank one of the same size (olive, transparent), the
// pixels that differ sorted by colour.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/testing.h"
#include "suite/edit/qzcombobutton.h"

struct GlyphPixels {
    std::vector<TPoint> Black, Shadow, Highlight, Other;
    int OliveOnFace = 0;  // olive anywhere on the rendered button
    // The bounding box of the black pixels.
    TRect BlackBox() const {
        TRect r{1 << 20, 1 << 20, -1, -1};
        for (const TPoint& p : Black) {
            r.Left = std::min(r.Left, p.X);
            r.Top = std::min(r.Top, p.Y);
            r.Right = std::max(r.Right, p.X + 1);
            r.Bottom = std::max(r.Bottom, p.Y + 1);
        }
        return r;
    }
    // Black pixels in row Y.
    int BlackInRow(int Y) const {
        int n = 0;
        for (const TPoint& p : Black) n += p.Y == Y;
        return n;
    }
};

inline GlyphPixels ReadGlyphPixels(TqzComboButton* Button) {
    GlyphPixels out;
    TBitmap with, without, keep;
    RenderControl(Button, &with);
    keep.Assign(Button->Glyph());
    TBitmap blank;
    blank.SetSize(keep.Width(), keep.Height());
    blank.Canvas()->Brush()->SetColor(clOlive);
    blank.Canvas()->FillRect(Rect(0, 0, keep.Width(), keep.Height()));
    blank.SetTransparentColor(clOlive);
    Button->SetGlyph(&blank);
    RenderControl(Button, &without);
    Button->SetGlyph(&keep);
    const TColor shadow = ColorToRGB(clBtnShadow), highlight = ColorToRGB(clBtnHighlight);
    for (int y = 0; y < with.Height(); ++y)
        for (int x = 0; x < with.Width(); ++x) {
            const TColor c = with.Canvas()->Pixels(x, y);
            if (c == ColorToRGB(clOlive)) ++out.OliveOnFace;
            if (c == without.Canvas()->Pixels(x, y)) continue;
            if (c == clBlack)
                out.Black.push_back({x, y});
            else if (c == shadow)
                out.Shadow.push_back({x, y});
            else if (c == highlight)
                out.Highlight.push_back({x, y});
            else
                out.Other.push_back({x, y});
        }
    return out;
}

// The suite's arrow glyphs are 7 x 4 triangles of 16 pixels: Up has its tip
// at the top. Enabled: black, nothing else; disabled: engraved (shadow in
// the arrow's shape, highlight one pixel down and right).
inline void ExpectArrowGlyph(TqzComboButton* Button, bool Up, const std::string& Look) {
    const GlyphPixels g = ReadGlyphPixels(Button);
    EXPECT_EQ(g.OliveOnFace, 0) << Look;
    EXPECT_TRUE(g.Other.empty()) << Look << ": " << g.Other.size() << " pixels of other colours";
    if (Button->Enabled()) {
        ASSERT_EQ(g.Black.size(), 16u) << Look;
        EXPECT_TRUE(g.Shadow.empty() && g.Highlight.empty()) << Look;
        const TRect box = g.BlackBox();
        EXPECT_EQ(box.Width(), 7) << Look;
        ASSERT_EQ(box.Height(), 4) << Look;
        EXPECT_EQ(g.BlackInRow(box.Top), Up ? 1 : 7) << Look;
        EXPECT_EQ(g.BlackInRow(box.Bottom - 1), Up ? 7 : 1) << Look;
    } else {
        EXPECT_TRUE(g.Black.empty()) << Look;
        EXPECT_EQ(g.Shadow.size(), 16u) << Look;
        // highlight only one pixel down and right of the shape (it may fall
        // on a face of the same colour)
        for (const TPoint& h : g.Highlight) {
            bool below = false;
            for (const TPoint& s : g.Shadow) below = below || (s.X + 1 == h.X && s.Y + 1 == h.Y);
            EXPECT_TRUE(below) << Look << ": highlight at " << h.X << "," << h.Y;
        }
    }
}
