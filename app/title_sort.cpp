// The sort order built from title clicks: a click sorts by the column, flipping the
// direction; a shift-click adds the field, or takes it out when clicked again.
#include "app/title_sort.h"

#include <string>
#include <vector>

#include "app/grid_table.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "platform/core/sysutils.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/messages.h"

namespace {

// Shared by all grids: the direction of the latest click turns over with
// every click, and the field of the latest click.
bool Desc = false;
std::string LastField;

bool ShiftHeld() {
    // The first answer may be stale: the second one counts.
    GetKeyState(VK_SHIFT);
    return GetKeyState(VK_SHIFT) < 0;
}

std::vector<std::string> SplitFieldNames(const std::string& Names) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= Names.size()) {
        const std::size_t semi = Names.find(';', start);
        const std::string name =
            Trim(Names.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
        if (!name.empty()) out.push_back(name);
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    return out;
}

// Names without the last one that equals Field (letter case ignored).
std::string WithoutField(const std::string& Names, const std::string& Field) {
    std::vector<std::string> names = SplitFieldNames(Names);
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        if (SameText(*it, Field)) {
            names.erase(std::next(it).base());
            break;
        }
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : "; ") + n;
    return out;
}

}  // namespace

void TTitleSort::Reset() {
    Desc = false;
    LastField.clear();
}

void TTitleSort::Sort(TOstraDBGrid* Grid, TOstraColumn* Column, TStatusBar* Status) {
    TOstraDataset* table = GridTable(Grid);
    if (!table || !Column) return;
    const std::string field = Column->FieldName();
    Desc = !Desc;
    if (!ShiftHeld()) {
        for (int i = 0; i < Grid->Columns()->Count(); ++i) Grid->Columns()->GetColumn(i)->SetSortMarker(0);
        table->SetIndexFieldNames(field);
        table->SetSortOptions(Desc ? TOstraSortOptions{osoDescendSort} : TOstraSortOptions{});
    } else if (!SameText(field, LastField)) {
        // A further sort field, ascending.
        table->SetSortOptions({});
        if (table->IndexFieldNames().empty()) {
            table->SetIndexFieldNames(field);
            if (Desc) table->SetSortOptions(TOstraSortOptions{osoDescendSort});
        } else {
            table->SetIndexFieldNames(table->IndexFieldNames() + "; " + field);
        }
    } else if (!Desc) {
        // The same column again: it leaves the sort list.
        table->SetIndexFieldNames(WithoutField(table->IndexFieldNames(), field));
        table->SetSortOptions({});
    } else {
        table->SetSortOptions(TOstraSortOptions{osoDescendSort});
    }
    if (Status) Status->SetSimpleText("Sort Order - " + table->IndexFieldNames());
    Column->SetSortMarker(Desc ? 1 : 2);
    LastField = field;
}
