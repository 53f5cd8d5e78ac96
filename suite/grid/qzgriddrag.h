// Moving a column by dragging its title: a 2-pixel start threshold, the
// dragged title (or its whole group) following the mouse, the drop mark,
// automatic scrolling at the edges on a 100 ms timer, and the drop rules
// that keep a group together. The grid hands it its title presses, mouse
// moves and releases, and lets it paint over the cells.
#pragma once

#include <memory>

#include "platform/ui/geometry.h"

class TBitmap;
class TCanvas;
class TObject;
class TTimer;
class TqzCustomDBGrid;

class TqzGridColumnDrag {
public:
    explicit TqzGridColumnDrag(TqzCustomDBGrid& Grid);
    ~TqzGridColumnDrag();
    TqzGridColumnDrag(const TqzGridColumnDrag&) = delete;
    TqzGridColumnDrag& operator=(const TqzGridColumnDrag&) = delete;

    // A title is being dragged (past the start threshold).
    bool Dragging() const { return FDragging; }
    // The edge-scrolling timer (nil until the first drag).
    TTimer* Timer() const { return FTimer; }
    // A left press on the title of ACol: True when a drag may start there
    // (a movable column, not on its sizing edge).
    bool Press(int ACol, int X, int Y);
    // True while a press is held: the move belongs to the drag.
    bool MouseMove(int X, int Y);
    // Ends a press; True when a column was dropped.
    bool Release(int X);
    // Ends a drag without a drop.
    void Cancel();
    // The dragged title, the insertion line and the drop mark.
    void Paint(TCanvas* C);
    // The first and last grid column of ACol's group (ACol alone when ungrouped).
    void GroupSpan(int ACol, int& First, int& Last) const;
    // Moves grid column From to To by the group rules.
    void DropColumn(int From, int To, bool WholeGroup);

private:
    void Start();
    void Tick(TObject* Sender);
    int DropTarget(int X);

    TqzCustomDBGrid& G;
    bool FPressed = false;
    bool FDragging = false;
    bool FGroup = false;
    int FStartCol = -1;
    int FDropCol = -1;
    int FDirection = 0;
    TPoint FStart, FLast, FOffset;
    TTimer* FTimer = nullptr;
    std::unique_ptr<TBitmap> FImage;
};
