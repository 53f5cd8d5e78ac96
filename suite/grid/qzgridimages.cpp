// The images every grid shares: the indicator marks and the drop marks of
// a column move, drawn here as small black-on-white pictures (white is
// left out when they are drawn).
#include <memory>
#include <mutex>

#include "platform/ui/bitmaps.h"
#include "platform/ui/imagelist.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzgridimages.h"

namespace {

// The current record: a solid triangle.
const char* const kArrow[] = {
    "9 11 2 1",  ". c #FFFFFF", "# c #000000", ".........", "..#......", "..##.....", "..###....",
    "..####...", "..#####..",   "..####...",   "..###....", "..##.....", "..#......", ".........",
};
// Editing: a pencil stroke.
const char* const kEdit[] = {
    "9 11 2 1",  ". c #FFFFFF", "# c #000000", ".........", "......##.", ".....###.", "....###..",
    "...###...", "..###....",   ".###.....",   ".##......", ".#.......", ".........", ".........",
};
// Inserting: a plus.
const char* const kInsert[] = {
    "9 11 2 1",  ". c #FFFFFF", "# c #000000", ".........", ".........", "....#....", "....#....",
    "....#....", ".#######.",   "....#....",   "....#....", "....#....", ".........", ".........",
};
// A selected record: a square.
const char* const kMultiSelect[] = {
    "9 11 2 1",  ". c #FFFFFF", "# c #000000", ".........", ".........", ".........", "..#####..",
    "..#####..", "..#####..",   "..#####..",   "..#####..", ".........", ".........", ".........",
};
// The current record, selected: a square and a triangle.
const char* const kMultiArrow[] = {
    "9 11 2 1",  ". c #FFFFFF", "# c #000000", ".........", ".....#...", ".....##..", "##...###.",
    "##...####", "##...####",   "##...###.",   ".....##..", ".....#...", ".........", ".........",
};
// Drop marks: an arrow pointing right and one pointing left.
const char* const kRight[] = {
    "9 11 2 1",  ". c #FFFFFF", "# c #000000", ".........", "....#....", "....##...", "....###..",
    "#########", "#########",   "....###..",   "....##...", "....#....", ".........", ".........",
};
const char* const kLeft[] = {
    "9 11 2 1",  ". c #FFFFFF", "# c #000000", ".........", "....#....", "...##....", "..###....",
    "#########", "#########",   "..###....",   "...##....", "....#....", ".........", ".........",
};

const char* const kIndicatorNames[] = {"QZDBGARROW", "QZDBEDIT", "QZDBINSERT", "QZDBMULTISELECT",
                                       "QZDBMULTIARROW"};
const char* const kArrowNames[] = {"QZRIGHT", "QZLEFT"};

int gUsers = 0;
std::unique_ptr<TImageList> gIndicators, gTitleArrows;

void RegisterImages() {
    static std::once_flag once;
    std::call_once(once, [] {
        const char* const* const ind[] = {kArrow, kEdit, kInsert, kMultiSelect, kMultiArrow};
        for (int i = 0; i < 5; ++i) RegisterXpmResource(kIndicatorNames[i], ind[i]);
        RegisterXpmResource(kArrowNames[0], kRight);
        RegisterXpmResource(kArrowNames[1], kLeft);
    });
}

// A list of the named images, each masked by white; sized by the first.
std::unique_ptr<TImageList> BuildList(const char* const* Names, int Count) {
    auto list = std::make_unique<TImageList>(nullptr);
    for (int i = 0; i < Count; ++i) {
        TBitmap bmp;
        bmp.LoadFromResourceName(Names[i]);
        if (i == 0) list->SetSize(bmp.Width(), bmp.Height());
        list->AddMasked(&bmp, clWhite);
    }
    return list;
}

}  // namespace

void qzAcquireGridImages() {
    if (gUsers++ > 0) return;
    RegisterImages();
    gIndicators = BuildList(kIndicatorNames, 5);
    gTitleArrows = BuildList(kArrowNames, 2);
}

void qzReleaseGridImages() {
    if (gUsers <= 0 || --gUsers > 0) return;
    gIndicators.reset();
    gTitleArrows.reset();
}

TImageList* qzGridIndicatorImages() { return gIndicators.get(); }
TImageList* qzGridTitleArrowImages() { return gTitleArrows.get(); }
int qzGridImageUsers() { return gUsers; }
