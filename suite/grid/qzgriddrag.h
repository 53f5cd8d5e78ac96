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
class TqzGridDragHost;

class TqzGridColumnDrag {
public:
    explicit TqzGridColumnDrag(TqzGridDragHost& Host);
    ~TqzGridColumnDrag();
    TqzGridColumnDrag(const TqzGridColumnDrag&) = delete;
    TqzGridColumnDrag& operator=(const TqzGridColumnDrag&) = delete;

    // A column the title drag may move (the grid checks the sizing edge).
    bool Movable(int ACol) const;
    // A left press on the title of a movable ACol, off its sizing edge.
    void Press(int ACol, int X, int Y);
    // A press is held (it may become a drag).
    bool Pressed() const { return FPressed; }
    // True while a press is held: the move belongs to the drag.
    bool MouseMove(int X, int Y);
    // Ends a press; True when a column was dropped.
    bool Release(int X);
    // Ends a drag without a drop.
    void Cancel();
    // The dragged title, the insertion line and the drop mark.
    void Paint(TCanvas* C);

private:
    // The first and last grid column of ACol's group (ACol alone when ungrouped).
    void GroupSpan(int ACol, int& First, int& Last) const;
    // Moves grid column From to To by the group rules.
    void DropColumn(int From, int To, bool WholeGroup);
    void Start();
    void Tick(TObject* Sender);
    int DropTarget(int X);

    TqzGridDragHost& H;
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
