// Sorting a grid's table by a click on a column title.
//
// A click without Shift sorts by the column alone, the direction turning
// over with every click; with Shift held a further column joins the sort
// ascending, and a second Shift-click on the last column either makes it
// descending or takes it out again. The direction and the last column are
// shared by all grids of the window for the whole run. The status bar
// shows "Sort Order - " and the sort fields; the column shows the marker
// of its direction (1 descending, 2 ascending).
#pragma once

class TOstraColumn;
class TOstraDBGrid;
class TStatusBar;

class TTitleSort {
public:
    static void Sort(TOstraDBGrid* Grid, TOstraColumn* Column, TStatusBar* Status);
    // The shared state as at the start of a run.
    static void Reset();
};
