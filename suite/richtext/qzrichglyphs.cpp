// The editor window's glyphs: 16 x 16 pictures drawn here as XPM images and
// registered as the resources "QZ_RICH_<NAME>".
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/imagelist.h"
#include "suite/richtext/qzricheditform.h"

namespace {

// '.' background (olive, the mask colour), 'k' dark ink, 'g' gray, 's'
// silver, 'w' white, 'b' blue, 'r' red, 'y' yellow.
struct TGlyphArt {
    const char* Name;
    std::vector<const char*> Rows;
};

// In the order of TqzRichGlyph.
const TGlyphArt kGlyphs[] = {
    {"SPELL",
     {"................", "..k....kkk...kk.", ".k.k...k..k.k..k", ".kkk...kkk..k...", ".k.k...k..k.k..k",
      ".k.k...kkk...kk.", "................", "................", "..........bb....", ".........bb.....",
      "........bb......", "..bb...bb.......", "...bb.bb........", "....bbb.........", ".....b..........",
      "................"}},
    {"LOAD",
     {"................", "................", ".........kkk....", "........k...k.k.", ".............kk.",
      ".kkk........kkk.", "kyyykkkkkkk.....", "kywyyyyyyyk.....", "kwyyyyyyyyk.....", "kyyykkkkkkkkk...",
      "kyykgggggggggk..", "kykgggggggggk...", "kkgggggggggk....", "kkkkkkkkkkk.....", "................",
      "................"}},
    {"SAVEAS",
     {"................", ".kkkkkkkkkkkkkk.", ".kbkwwwwwwwwkbk.", ".kbkwwwwwwwwkbk.", ".kbkwwwwwwwwkbk.",
      ".kbkwwwwwwwwkbk.", ".kbbkkkkkkkkbbk.", ".kbbbbbbbbbbbbk.", ".kbbkkkkkkkkbbk.", ".kbbkssskkkkbbk.",
      ".kbbkssskkkkbbk.", ".kbbkssskkkkbbk.", "..kkkkkkkkkkkkk.", "................", "................",
      "................"}},
    {"PRINT",
     {"................", "....kkkkkkkk....", "....kwwwwwwk....", "....kwkkkkwk....", "....kwwwwwwk....",
      "..kkkkkkkkkkkk..", ".kssssssssssssk.", ".ksssssssssyysk.", ".kssssssssssssk.", ".kkkkkkkkkkkkkk.",
      ".kggkwwwwwwkggk.", "..kkkwkkkkwkkk..", "....kwwwwwwk....", "....kkkkkkkk....", "................",
      "................"}},
    {"UNDO",
     {"................", "................", "................", "....b...........", "...bb...........",
      "..bbbbbbbb......", ".bbbbbbbbbb.....", "..bbbbbbbbbb....", "...bb.....bbb...", "....b......bb...",
      "...........bb...", "...........bb...", "..........bb....", ".........bb.....", "................",
      "................"}},
    {"REDO",
     {"................", "................", "................", "...........b....", "...........bb...",
      "......bbbbbbbb..", ".....bbbbbbbbbb.", "....bbbbbbbbbb..", "...bbb.....bb...", "...bb......b....",
      "...bb...........", "...bb...........", "....bb..........", ".....bb.........", "................",
      "................"}},
    {"PASTE",
     {"................", ".....kkkk.......", ".kkkkkyykkkkk...", ".kyykkkkkkkyk...", ".kyyyyyyyyyyk...",
      ".kyyyyyykkkkkkk.", ".kyyyyyykwwwwwk.", ".kyyyyyykwkkkwk.", ".kyyyyyykwwwwwk.", ".kyyyyyykwkkkwk.",
      ".kyyyyyykwwwwwk.", ".kyyyyyykwkkwwk.", ".kkkkkkkkwwwwwk.", "........kkkkkkk.", "................",
      "................"}},
    {"CUT",
     {"................", "....k.....k.....", "....k.....k.....", "....k.....k.....", "....kk...kk.....",
      ".....k...k......", ".....kk.kk......", "......kkk.......", ".......k........", "......bkb.......",
      "....bbb.bbb.....", "...b..b.b..b....", "...b..b.b..b....", "...b..b.b..b....", "....bb...bb.....",
      "................"}},
    {"COPY",
     {"................", ".kkkkkk.........", ".kwwwwkk........", ".kwkkwkwk.......", ".kwwwwkkkkkkk...",
      ".kwkkkkwwwwkkk..", ".kwwwkwkkwwkwk..", ".kwkkkwwwwwkkkk.", ".kwwwkwkkkkkwwk.", ".kkkkkwwwwwwwwk.",
      ".....kwkkkkkkwk.", ".....kwwwwwwwwk.", ".....kwkkkkkkwk.", ".....kwwwwwwwwk.", ".....kkkkkkkkkk.",
      "................"}},
    {"FIND",
     {"................", "................", "...kkkk.........", "..kwwwwk........", ".kwwsswwk.......",
      ".kwswwwwk.......", ".kwswwwwk.......", ".kwwwwwwk.......", "..kwwwwk........", "...kkkkkk.......",
      "........kk......", ".........kk.....", "..........kk....", "...........kk...", "............k...",
      "................"}},
    {"BULLETS",
     {"................", "................", "..kk............", "..kk..kkkkkkkk..", "................",
      "................", "................", "..kk............", "..kk..kkkkkkkk..", "................",
      "................", "................", "..kk............", "..kk..kkkkkkkk..", "................",
      "................"}},
    {"FONT",
     {"................", "................", "....kkk.........", "...kk.kk........", "...kk.kk........",
      "..kk...kk.......", "..kkkkkkk.......", ".kk.....kk......", ".kk.....kk..bb..", "...........b..b.",
      "............bbb.", "...........b..b.", "...........b..b.", "............bb.b", "................",
      "................"}},
    {"PARAGRAPH",
     {"................", "................", "....kkkkkkkk....", "...kkkkkk.k.....", "..kkkkkkk.k.....",
      "..kkkkkkk.k.....", "..kkkkkkk.k.....", "...kkkkkk.k.....", "....kkkkk.k.....", "........k.k.....",
      "........k.k.....", "........k.k.....", "........k.k.....", "........k.k.....", "................",
      "................"}},
    {"PREVIEW",
     {"................", ".kkkkkkkkk......", ".kwwwwwwwkk.....", ".kwkkkkkwkwk....", ".kwwwwwwwkkkk...",
      ".kwkkkkkkkkwk...", ".kwwwwwkwwkkk...", ".kwkkkkwswwwk...", ".kwwwwkwwwwswk..", ".kwkkkkwwwwwwk..",
      ".kwwwwkwwwwwwk..", ".kwwwwwkwwwwk...", ".kkkkkkkkkkkkkk.", "............kkk.", ".............kk.",
      "................"}},
    {"NEW",
     {"................", "...kkkkkkk......", "...kwwwwwkk.....", "...kwwwwwkwk....", "...kwwwwwkkkk...",
      "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...",
      "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kwwwwwwwwk...", "...kkkkkkkkkk...", "................",
      "................"}},
    {"BOLD",
     {"................", "................", "...kkkkkkk......", "....kkk..kkk....", "....kkk..kkk....",
      "....kkk..kkk....", "....kkkkkkk.....", "....kkk...kkk...", "....kkk...kkk...", "....kkk...kkk...",
      "....kkk...kkk...", "...kkkkkkkkk....", "................", "................", "................",
      "................"}},
    {"ITALIC",
     {"................", "................", "......kkkkk.....", ".......kk.......", ".......kk.......",
      "......kk........", "......kk........", "......kk........", ".....kk.........", ".....kk.........",
      ".....kk.........", "...kkkkk........", "................", "................", "................",
      "................"}},
    {"UNDERLINE",
     {"................", "................", "...kkkk..kkkk...", "....kk....kk....", "....kk....kk....",
      "....kk....kk....", "....kk....kk....", "....kk....kk....", "....kk....kk....", ".....kk..kk.....",
      "......kkkk......", "................", "...kkkkkkkkkk...", "................", "................",
      "................"}},
    {"COLOR",
     {"................", "................", "......kkk.......", ".....kk.kk......", ".....kk.kk......",
      "....kk...kk.....", "....kkkkkkk.....", "...kk.....kk....", "...kk.....kk....", "..kkk.....kkk...",
      "................", "..rrrrrrrrrrrr..", "..rrrrrrrrrrrr..", "..rrrrrrrrrrrr..", "................",
      "................"}},
    {"HIGHLIGHT",
     {"................", "...........kk...", "..........kwwk..", ".........kwwk...", "........kwwk....",
      ".......kwwk.....", "......kssk......", ".....kssk.......", ".....kkk........", "....kk..........",
      "................", "..yyyyyyyyyyyy..", "..yyyyyyyyyyyy..", "..yyyyyyyyyyyy..", "................",
      "................"}},
    {"ALIGNLEFT",
     {"................", "................", ".kkkkkkkkkkkkk..", "................", ".kkkkkkkkk......",
      "................", ".kkkkkkkkkkkkk..", "................", ".kkkkkkkkk......", "................",
      ".kkkkkkkkkkkkk..", "................", ".kkkkkkkkk......", "................", "................",
      "................"}},
    {"ALIGNCENTER",
     {"................", "................", ".kkkkkkkkkkkkk..", "................", "...kkkkkkkkk....",
      "................", ".kkkkkkkkkkkkk..", "................", "...kkkkkkkkk....", "................",
      ".kkkkkkkkkkkkk..", "................", "...kkkkkkkkk....", "................", "................",
      "................"}},
    {"ALIGNRIGHT",
     {"................", "................", ".kkkkkkkkkkkkk..", "................", ".....kkkkkkkkk..",
      "................", ".kkkkkkkkkkkkk..", "................", ".....kkkkkkkkk..", "................",
      ".kkkkkkkkkkkkk..", "................", ".....kkkkkkkkk..", "................", "................",
      "................"}},
    {"JUSTIFY",
     {"................", "................", ".kkkkkkkkkkkkk..", "................", ".kkkkkkkkkkkkk..",
      "................", ".kkkkkkkkkkkkk..", "................", ".kkkkkkkkkkkkk..", "................",
      ".kkkkkkkkkkkkk..", "................", ".kkkkkkkkkkkkk..", "................", "................",
      "................"}},
};

std::vector<std::string> Xpm(const TGlyphArt& Art) {
    std::vector<std::string> out = {"16 16 8 1",   ". c #808000", "k c #000000", "g c #808080", "s c #C0C0C0",
                                    "w c #FFFFFF", "b c #000080", "r c #FF0000", "y c #FFFF00"};
    for (const char* row : Art.Rows) out.emplace_back(row);
    return out;
}

void RegisterGlyphs() {
    static bool done = false;
    if (done) return;
    done = true;
    // The texts live as long as the program: the resources point at them.
    static std::vector<std::vector<std::string>> texts;
    static std::vector<std::vector<const char*>> lines;
    texts.reserve(std::size(kGlyphs));
    lines.reserve(std::size(kGlyphs));
    for (const TGlyphArt& art : kGlyphs) {
        texts.push_back(Xpm(art));
        std::vector<const char*> l;
        for (const std::string& t : texts.back()) l.push_back(t.c_str());
        lines.push_back(std::move(l));
        RegisterXpmResource(std::string("QZ_RICH_") + art.Name, lines.back().data());
    }
}

}  // namespace

std::string qzRichGlyphResource(TqzRichGlyph Glyph) {
    RegisterGlyphs();
    return std::string("QZ_RICH_") + kGlyphs[static_cast<int>(Glyph)].Name;
}

void qzLoadRichGlyph(TqzRichGlyph Glyph, TBitmap* Target) {
    Target->LoadFromResourceName(qzRichGlyphResource(Glyph));
    Target->SetTransparent(true);
}

TImageList* qzRichGlyphs() {
    static std::unique_ptr<TImageList> list;
    if (!list) {
        list = std::make_unique<TImageList>(nullptr);
        list->SetSize(16, 16);
        for (int g = 0; g < static_cast<int>(std::size(kGlyphs)); ++g) {
            TBitmap b;
            qzLoadRichGlyph(static_cast<TqzRichGlyph>(g), &b);
            list->AddMasked(&b, b.Canvas()->Pixels(0, b.Height() - 1));
        }
    }
    return list.get();
}
