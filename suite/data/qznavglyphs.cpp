// The navigator's glyphs: 18 x 18 pictures drawn here as XPM images and
// registered as the resources "QZ_DBN_<STEM>_ENABLED" and "_DISABLED".
#include <cmath>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/imagelist.h"
#include "suite/data/qznavigator.h"

namespace {

constexpr int kSize = 18;

// '.' background (olive, the mask colour), 'k' dark ink, 'b' blue, 'g'
// green, 'r' red, 'y' yellow, 'w' white.
using TGlyphPicture = std::vector<std::string>;

TGlyphPicture Blank() { return TGlyphPicture(kSize, std::string(kSize, '.')); }

void Put(TGlyphPicture& P, int X, int Y, char C) {
    if (X >= 0 && Y >= 0 && X < kSize && Y < kSize) P[static_cast<size_t>(Y)][static_cast<size_t>(X)] = C;
}

void Box(TGlyphPicture& P, int L, int T, int R, int B, char C) {
    for (int y = T; y <= B; ++y)
        for (int x = L; x <= R; ++x) Put(P, x, y, C);
}

void Frame(TGlyphPicture& P, int L, int T, int R, int B, char C) {
    for (int x = L; x <= R; ++x) Put(P, x, T, C), Put(P, x, B, C);
    for (int y = T; y <= B; ++y) Put(P, L, y, C), Put(P, R, y, C);
}

// A solid triangle with its tip at TipX, pointing left (Dir -1) or right.
void Arrow(TGlyphPicture& P, int TipX, int Dir, int Half, char C) {
    for (int i = 0; i <= Half; ++i)
        for (int y = 8 - i; y <= 9 + i; ++y) Put(P, TipX - Dir * i, y, C);
}

void Line(TGlyphPicture& P, int X0, int Y0, int X1, int Y1, char C, int Thick = 1) {
    const int n = std::max(std::abs(X1 - X0), std::abs(Y1 - Y0));
    for (int i = 0; i <= n; ++i) {
        const int x = X0 + (X1 - X0) * i / std::max(1, n), y = Y0 + (Y1 - Y0) * i / std::max(1, n);
        for (int t = 0; t < Thick; ++t) Put(P, x + t, y, C);
    }
}

void Ring(TGlyphPicture& P, int CX, int CY, double R, char C) {
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const double d = std::hypot(x - CX, y - CY);
            if (d >= R - 1.0 && d < R + 0.5) Put(P, x, y, C);
        }
}

TGlyphPicture Draw(TqzNavButtonStyle Style) {
    TGlyphPicture p = Blank();
    switch (Style) {
    case nbsFirst:
        Box(p, 4, 4, 5, 13, 'b');
        Arrow(p, 7, -1, 5, 'b');
        break;
    case nbsPrior: Arrow(p, 5, -1, 5, 'b'); break;
    case nbsNext: Arrow(p, 12, 1, 5, 'b'); break;
    case nbsLast:
        Arrow(p, 10, 1, 5, 'b');
        Box(p, 12, 4, 13, 13, 'b');
        break;
    case nbsInsert:
        Box(p, 8, 3, 9, 14, 'g');
        Box(p, 3, 8, 14, 9, 'g');
        break;
    case nbsDelete: Box(p, 3, 8, 14, 9, 'r'); break;
    case nbsEdit:
        Line(p, 4, 13, 12, 5, 'y', 2);
        Line(p, 5, 14, 13, 6, 'k');
        Box(p, 12, 3, 14, 5, 'r');
        Put(p, 3, 14, 'k');
        break;
    case nbsPost:
        Line(p, 3, 9, 7, 13, 'g', 2);
        Line(p, 7, 13, 14, 4, 'g', 2);
        break;
    case nbsCancel:
        Line(p, 4, 4, 13, 13, 'r', 2);
        Line(p, 13, 4, 4, 13, 'r', 2);
        break;
    case nbsRefresh:
        Ring(p, 9, 9, 5.5, 'g');
        Box(p, 10, 2, 15, 6, '.');
        Arrow(p, 14, 1, 3, 'g');
        break;
    case nbsPriorPage:
        Arrow(p, 3, -1, 5, 'b');
        Arrow(p, 9, -1, 5, 'b');
        break;
    case nbsNextPage:
        Arrow(p, 8, 1, 5, 'b');
        Arrow(p, 14, 1, 5, 'b');
        break;
    case nbsSaveBookmark:
    case nbsRestoreBookmark:
        Box(p, 5, 2, 12, 15, 'r');
        for (int i = 0; i < 3; ++i) Box(p, 8 - i, 15 - i, 9 + i, 15 - i, '.');
        if (Style == nbsSaveBookmark) {
            Box(p, 8, 4, 9, 10, 'w');
            Box(p, 6, 6, 11, 7, 'w');
        } else {
            Arrow(p, 6, -1, 2, 'w');
            Box(p, 8, 8, 11, 9, 'w');
        }
        break;
    case nbsFilterDialog:
        for (int y = 3; y <= 8; ++y) Box(p, 2 + (y - 3), y, 15 - (y - 3), y, 'b');
        Box(p, 8, 9, 9, 15, 'b');
        break;
    case nbsRecordViewDialog:
        Frame(p, 2, 2, 15, 15, 'k');
        Box(p, 3, 3, 14, 4, 'b');
        for (int y = 7; y <= 13; y += 3) {
            Box(p, 4, y, 6, y, 'k');
            Box(p, 8, y - 1, 13, y + 1, 'w');
            Frame(p, 8, y - 1, 13, y + 1, 'k');
        }
        break;
    case nbsLocateDialog:
    case nbsSearchDialog:
        Ring(p, 7, 7, 4.5, 'k');
        for (int y = 4; y <= 10; ++y)
            for (int x = 4; x <= 10; ++x)
                if (std::hypot(x - 7, y - 7) < 3.5) Put(p, x, y, 'w');
        Line(p, 10, 10, 14, 14, 'k', 2);
        if (Style == nbsSearchDialog) {
            Box(p, 13, 2, 16, 2, 'b');
            Box(p, 13, 4, 16, 4, 'b');
            Box(p, 13, 6, 16, 6, 'b');
        }
        break;
    case nbsCustom: break;
    }
    return p;
}

std::vector<std::string> Xpm(const TGlyphPicture& P, bool Enabled) {
    std::vector<std::string> out;
    out.push_back("18 18 7 1");
    out.push_back(". c #808000");
    out.push_back(Enabled ? "k c #000000" : "k c #808080");
    out.push_back(Enabled ? "b c #000080" : "b c #808080");
    out.push_back(Enabled ? "g c #008000" : "g c #808080");
    out.push_back(Enabled ? "r c #C00000" : "r c #808080");
    out.push_back(Enabled ? "y c #E0C000" : "y c #C0C0C0");
    out.push_back(Enabled ? "w c #FFFFFF" : "w c #C0C0C0");
    for (const std::string& row : P) out.push_back(row);
    return out;
}

void RegisterGlyphs() {
    static bool done = false;
    if (done) return;
    done = true;
    // The texts live as long as the program: the resources point at them.
    static std::vector<std::vector<std::string>> texts;
    static std::vector<std::vector<const char*>> lines;
    texts.reserve(36);
    lines.reserve(36);
    for (int s = nbsFirst; s < nbsCustom; ++s) {
        const auto style = static_cast<TqzNavButtonStyle>(s);
        const TGlyphPicture p = Draw(style);
        for (int enabled = 1; enabled >= 0; --enabled) {
            texts.push_back(Xpm(p, enabled != 0));
            std::vector<const char*> l;
            for (const std::string& t : texts.back()) l.push_back(t.c_str());
            lines.push_back(std::move(l));
            RegisterXpmResource(
                "QZ_DBN_" + UpperCase(qzNavStyleStem(style)) + (enabled ? "_ENABLED" : "_DISABLED"),
                lines.back().data());
        }
    }
}

}  // namespace

TImageList* qzNavGlyphs() {
    static std::unique_ptr<TImageList> list;
    if (!list) {
        RegisterGlyphs();
        list = std::make_unique<TImageList>(nullptr);
        list->SetSize(18, 18);
        for (int s = nbsFirst; s < nbsCustom; ++s) {
            const std::string stem = "QZ_DBN_" + UpperCase(qzNavStyleStem(static_cast<TqzNavButtonStyle>(s)));
            for (const char* kind : {"_ENABLED", "_DISABLED"}) {
                TBitmap b;
                b.LoadFromResourceName(stem + kind);
                list->AddMasked(&b, b.Canvas()->Pixels(0, b.Height() - 1));
            }
        }
    }
    return list.get();
}
