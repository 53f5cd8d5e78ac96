// RichEdit cells: a data-aware rich edit named by a ControlType line paints
// the field of the row being drawn as a cell image. Kept apart from the
// grid's header, which declares its own URL event under the rich edit's name.
#pragma once

#include "platform/ui/geometry.h"

class TCanvas;
class TWinControl;

// Paints Control's grid copy into Rect of Canvas when it is a data-aware rich
// edit: the field of the dataset's active record, laid out for the cell and
// drawn without the control's border. False for any other control.
bool qzPaintRichEditCell(TWinControl* Control, TCanvas* Canvas, const TRect& Rect);

// Stores the time of the grid click that opened Control over its cell, when
// it is a rich edit (a quick second click in it counts as a double click).
void qzNoteRichEditGridClick(TWinControl* Control);
