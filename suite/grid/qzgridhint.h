// Cell hints: the whole text of a cell that does not fit, shown over the
// cell while the mouse rests on it (checked every 250 ms); the hint's
// window and the event that may shape it.
#pragma once

#include "platform/ui/grids.h"
#include "platform/ui/hint_window.h"

class TField;
class TObject;
class TTimer;
class TqzGridHintHost;

// The window of a cell hint: the field's whole text, aligned as the field.
class TqzGridHintWindow : public THintWindow {
    TASKMOOR_CLASS(TqzGridHintWindow, THintWindow)
public:
    explicit TqzGridHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
    TField* Field = nullptr;
    bool WordWrap = true;
    TAlignment Alignment = taLeftJustify;

protected:
    void Paint() override;
};
// (Sender, HintWindow, Field, CellRect, WordWrap, MaxWidth, MaxHeight, DoDefault).
using TqzCreateHintWindowEvent =
    TEvent<TObject*, TqzGridHintWindow*, TField*, const TRect&, bool&, int&, int&, bool&>;

// The grid's cell hints: the grid tells it where the mouse is; it shows the
// window over a cell whose text does not fit and hides it when the mouse
// leaves the cell or the hide pause has passed.
class TqzGridCellHints {
public:
    explicit TqzGridCellHints(TqzGridHintHost& Host);
    ~TqzGridCellHints();
    TqzGridCellHints(const TqzGridCellHints&) = delete;
    TqzGridCellHints& operator=(const TqzGridCellHints&) = delete;

    TqzCreateHintWindowEvent OnCreate() const { return FOnCreate; }
    void SetOnCreate(TqzCreateHintWindowEvent Value) { FOnCreate = Value; }
    // The mouse is at X, Y over Cell (-1, -1 for X, Y: it left the grid).
    void MouseAt(int X, int Y) { FLastMouse = {X, Y}; }
    void Update(const TGridCoord& Cell);
    void Hide();
    // The window or the timer was freed by someone else (the window lives
    // on the form, which frees it when it closes).
    void Forget(TComponent* Component);

private:
    void Tick(TObject* Sender);

    TqzGridHintHost& H;
    TqzGridHintWindow* FWindow = nullptr;
    TTimer* FTimer = nullptr;
    int FTicks = 0;
    TGridCoord FCell{-1, -1};
    TPoint FLastMouse{-1, -1};
    TqzCreateHintWindowEvent FOnCreate;
};
