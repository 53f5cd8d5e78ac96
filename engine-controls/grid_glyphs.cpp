// The engine grid's glyphs, drawn as small pictures of one size (8 x 11):
// the indicator column's marks on white, which the grid leaves out, and the
// sort markers on silver, likewise left out.
#include <mutex>

#include "engine-controls/ostra_dbgrid.h"
#include "platform/ui/bitmaps.h"

namespace {

// The current row.
const char* const kArrow[] = {
    "8 11 2 1", ". c #FFFFFF", "# c #000000", "........", "........", "..#.....", "..##....",
    "..###...", "..####..",    "..###...",    "..##....", "..#.....", "........", "........",
};

// The current row being edited: a text cursor.
const char* const kEdit[] = {
    "8 11 2 1", ". c #FFFFFF", "# c #000000", "........", ".##.##..", "...#....", "...#....",
    "...#....", "...#....",    "...#....",    "...#....", "...#....", ".##.##..", "........",
};

// A record being inserted: an asterisk.
const char* const kInsert[] = {
    "8 11 2 1", ". c #FFFFFF", "# c #000000", "........", "........", "...#....", "#..#..#.",
    ".#.#.#..", "..###...",    ".#.#.#..",    "#..#..#.", "...#....", "........", "........",
};

// A selected row.
const char* const kMultiDot[] = {
    "8 11 2 1", ". c #FFFFFF", "# c #000000", "........", "........", "........", "........",
    "...##...", "..####..",    "..####..",    "...##...", "........", "........", "........",
};

// The current row, selected: a dot and the arrow.
const char* const kMultiArrow[] = {
    "8 11 2 1", ". c #FFFFFF", "# c #000000", "........", "........", "....#...", "....##..",
    "##..###.", "##..####",    "##..###.",    "....##..", "....#...", "........", "........",
};

// Sorted descending.
const char* const kSortDown[] = {
    "8 11 2 1", ". c #C0C0C0", "# c #000000", "........", "........", "........", "........",
    "#######.", ".#####..",    "..###...",    "...#....", "........", "........", "........",
};

// Sorted ascending.
const char* const kSortUp[] = {
    "8 11 2 1", ". c #C0C0C0", "# c #000000", "........", "........", "........", "...#....",
    "..###...", ".#####..",    "#######.",    "........", "........", "........", "........",
};

}  // namespace

void RegisterOstraGridGlyphs() {
    static std::once_flag once;
    std::call_once(once, [] {
        const char* const* const glyphs[] = {kArrow,      kEdit,     kInsert, kMultiDot,
                                             kMultiArrow, kSortDown, kSortUp};
        for (int i = 0; i < 7; ++i) RegisterXpmResource(OstraGridGlyphNames[i], glyphs[i]);
    });
}
