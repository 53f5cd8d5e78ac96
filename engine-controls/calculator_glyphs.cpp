// The calculator's glyphs, drawn as small pictures. The bottom-left pixel
// of each is the colour a speed button leaves transparent.
#include <mutex>

#include "engine-controls/ostra_calculator.h"
#include "platform/ui/bitmaps.h"

namespace {

// A green tick.
const char* const kOkGlyph[] = {
    "13 11 2 1",     ". c #808000",   "# c #008000",   ".............", "..........##.",
    ".........###.", "........###..", ".##....###...", ".###..###....", "..######.....",
    "...####......", "....##.......", ".............", ".............",
};

// A red cross.
const char* const kCancelGlyph[] = {
    "11 11 2 1",   ". c #808000", "# c #C00000", ".##.....##.", ".###...###.", "..###.###..", "...#####...",
    "....###....", "...#####...", "..###.###..", ".###...###.", ".##.....##.", "...........", "...........",
};

const char* const kUpGlyph[] = {
    "7 4 2 1", ". c #808000", "# c #000000", "...#...", "..###..", ".#####.", ".......",
};

const char* const kDownGlyph[] = {
    "7 4 2 1", ". c #808000", "# c #000000", ".#####.", "..###..", "...#...", ".......",
};

}  // namespace

void RegisterOstraCalculatorGlyphs() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterXpmResource("CALCOKBTN", kOkGlyph);
        RegisterXpmResource("CALCCANCELBTN", kCancelGlyph);
        RegisterXpmResource("CALCUPBTN", kUpGlyph);
        RegisterXpmResource("CALCDOWNBTN", kDownGlyph);
    });
}
