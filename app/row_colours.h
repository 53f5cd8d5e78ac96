// The colours of the main window's grid rows: every second row in the
// alternate colour (the user may choose it), urgent tasks in red and
// completed ones in grey.
#pragma once

#include "platform/ui/graphics.h"

class TColorDialog;
class TOstraDBGrid;

class TRowColours {
public:
    static constexpr TColor DefaultAltRow = 0xF8FFC6;

    TColor AltRow() const { return FAltRow; }
    void Reset() { FAltRow = DefaultAltRow; }
    // The cell attributes of the grid's current record: Alternate gives
    // even rows the alternate background, Priority colours the text of
    // urgent and completed tasks.
    void Colour(TOstraDBGrid* Grid, bool Alternate, bool Priority, TFont* AFont, TColor& AColor) const;
    // Lets the user choose the alternate colour; false when cancelled.
    bool Choose(TColorDialog* Dialog);

private:
    TColor FAltRow = DefaultAltRow;
};
