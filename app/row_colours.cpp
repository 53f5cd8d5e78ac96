// Choosing a grid row's colour from its position and the task's urgency.
#include "app/row_colours.h"

#include <string>

#include "app/grid_table.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "platform/db/fields.h"
#include "platform/ui/stddialogs.h"

namespace {

constexpr TColor UrgentColour = 0x0000FF;
constexpr TColor CompletedColour = 0x808080;

}  // namespace

void TRowColours::Colour(TOstraDBGrid* Grid, bool Alternate, bool Priority, TFont* AFont,
                         TColor& AColor) const {
    TOstraDataset* table = GridTable(Grid);
    if (!table || !table->Active()) return;
    if (Alternate) {
        const int recNo = table->RecNo();
        if (recNo > 0 && recNo % 2 == 0) AColor = FAltRow;
    }
    if (!Priority || !AFont) return;
    TField* field = table->FindField("Priority");
    if (!field) return;
    const std::string text = field->Text();
    if (text == "0")
        AFont->SetColor(UrgentColour);
    else if (text == "4")
        AFont->SetColor(CompletedColour);
}

bool TRowColours::Choose(TColorDialog* Dialog) {
    Dialog->SetColor(FAltRow);
    if (!Dialog->Execute()) return false;
    FAltRow = Dialog->Color();
    return true;
}
