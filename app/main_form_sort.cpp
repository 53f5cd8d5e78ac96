// Sorting the main window's grids by a click on a column title, and the
// colours of their rows: alternate rows, urgent and completed tasks.
#include <string>
#include <vector>

#include "app/main_form.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/graphics.h"
#include "platform/ui/menus.h"
#include "platform/ui/messages.h"
#include "platform/ui/stddialogs.h"

namespace {

// Shared by all grids: the direction of the latest click turns over with
// every click, and the field of the latest click.
bool Desc = false;
std::string LastField;

constexpr TColor UrgentColour = 0x0000FF;
constexpr TColor CompletedColour = 0x808080;

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

TOstraDataset* GridTable(TOstraDBGrid* Grid) {
    TDataSource* source = Grid ? Grid->DataSource() : nullptr;
    return dynamic_cast<TOstraDataset*>(source ? source->DataSet() : nullptr);
}

}  // namespace

void TfrmToDo::ResetTitleSort() {
    Desc = false;
    LastField.clear();
}

void TfrmToDo::SortByTitle(TOstraDBGrid* Grid, TOstraColumn* Column) {
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
    FStatusBar1->SetSimpleText("Sort Order - " + table->IndexFieldNames());
    Column->SetSortMarker(Desc ? 1 : 2);
    LastField = field;
}

void TfrmToDo::ColourCell(TOstraDBGrid* Grid, bool Alternate, bool Priority, TFont* AFont, TColor& AColor) {
    TOstraDataset* table = GridTable(Grid);
    if (!table || !table->Active()) return;
    if (Alternate) {
        const int recNo = table->RecNo();
        if (recNo > 0 && recNo % 2 == 0) AColor = FAltRowColour;
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

#define TITLE_AND_CELL(N, Alternate, Priority)                                                         \
    void TfrmToDo::OstraDBGrid##N##TitleClick(TObject*, TOstraColumn* Column) {                        \
        SortByTitle(FOstraDBGrid##N, Column);                                                          \
    }                                                                                                  \
    void TfrmToDo::OstraDBGrid##N##DrawCellAttr(TObject*, TOstraColumn*, TFont* AFont, TColor& AColor, \
                                                TGridDrawState) {                                      \
        ColourCell(FOstraDBGrid##N, Alternate, Priority, AFont, AColor);                               \
    }

TITLE_AND_CELL(1, true, true)
TITLE_AND_CELL(2, true, true)
TITLE_AND_CELL(3, true, false)
TITLE_AND_CELL(4, true, false)
TITLE_AND_CELL(5, true, false)
TITLE_AND_CELL(6, false, true)
TITLE_AND_CELL(7, true, true)
TITLE_AND_CELL(8, true, true)

#undef TITLE_AND_CELL

void TfrmToDo::BindSortAndColour() {
    using TTitle = void (TfrmToDo::*)(TObject*, TOstraColumn*);
    using TCell = void (TfrmToDo::*)(TObject*, TOstraColumn*, TFont*, TColor&, TGridDrawState);
    const TTitle titles[] = {&TfrmToDo::OstraDBGrid1TitleClick, &TfrmToDo::OstraDBGrid2TitleClick,
                             &TfrmToDo::OstraDBGrid3TitleClick, &TfrmToDo::OstraDBGrid4TitleClick,
                             &TfrmToDo::OstraDBGrid5TitleClick, &TfrmToDo::OstraDBGrid6TitleClick,
                             &TfrmToDo::OstraDBGrid7TitleClick, &TfrmToDo::OstraDBGrid8TitleClick};
    const TCell cells[] = {&TfrmToDo::OstraDBGrid1DrawCellAttr, &TfrmToDo::OstraDBGrid2DrawCellAttr,
                           &TfrmToDo::OstraDBGrid3DrawCellAttr, &TfrmToDo::OstraDBGrid4DrawCellAttr,
                           &TfrmToDo::OstraDBGrid5DrawCellAttr, &TfrmToDo::OstraDBGrid6DrawCellAttr,
                           &TfrmToDo::OstraDBGrid7DrawCellAttr, &TfrmToDo::OstraDBGrid8DrawCellAttr};
    for (int n = 1; n <= 8; ++n) {
        Grid(n)->SetOnTitleClick(TOstraDBGridClickEvent(this, titles[n - 1]));
        Grid(n)->SetOnDrawCellAttr(TDrawCellAttrEvent(this, cells[n - 1]));
    }
    FOption1->SetOnClick(TNotifyEvent(this, &TfrmToDo::Option1Click));
}

void TfrmToDo::Option1Click(TObject*) {
    FColorDialog1->SetColor(FAltRowColour);
    if (!FColorDialog1->Execute()) return;
    FAltRowColour = FColorDialog1->Color();
    TTabSheet* page = FPageControl1->ActivePage();
    std::vector<TOstraDBGrid*> grids;
    if (page == FTabSheet7)
        grids = {FOstraDBGrid7, FOstraDBGrid8};
    else if (page == FTabSheet1)
        grids = {FOstraDBGrid1};
    else if (page == FTabSheet2)
        grids = {FOstraDBGrid2};
    else if (page == FTabSheet3)
        grids = {FOstraDBGrid5};
    else if (page == FTabSheet4)
        grids = {FOstraDBGrid3};
    else if (page == FTabSheet5)
        grids = {FOstraDBGrid4};
    else if (page == FTabSheet6)
        grids = {FOstraDBGrid6};
    for (TOstraDBGrid* g : grids) g->Repaint();
}
