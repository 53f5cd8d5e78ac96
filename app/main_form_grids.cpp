// The main window's eight grids and their columns.
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/main_form_parts.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "platform/core/strings.h"
#include "platform/db/datasource.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"

namespace {

// Editing grids (the task lists and the archive).
const TOstraDBGridOptions EditingOptions{dgEditing,      dgTitles,     dgIndicator, dgColumnResize,
                                         dgColLines,     dgRowLines,   dgTabs,      dgConfirmDelete,
                                         dgCancelOnExit, dgMultiSelect};
// Browsing grids (quotes and projects): whole rows, no editing in cells.
const TOstraDBGridOptions BrowsingOptions{dgTitles, dgIndicator, dgColumnResize,  dgColLines,    dgRowLines,
                                          dgTabs,   dgRowSelect, dgConfirmDelete, dgCancelOnExit};

struct TColumnDef {
    const char* Field;
    int Width = -1;  // -1: the column's default
    TOstraColumnButtonStyle Style = cbsNone;
    const char* Title = nullptr;
    bool CanClick = true;
};

TOstraDBGrid* MakeGrid(TfrmToDo* Form, TWinControl* Parent, const char* Name, TDataSource* Source,
                       const TOstraDBGridOptions& Options) {
    auto* grid = MakeComponent<TOstraDBGrid>(Form, Parent, Name);
    grid->SetAlign(alClient);
    grid->SetOptions(Options);
    grid->SetDataSource(Source);
    grid->SetHighlightColor(cl3DLight);
    grid->SetHighlightTextColor(clDefault);
    grid->TitleFont()->SetName("MS Sans Serif");
    return grid;
}

void SetPriorityLists(TOstraColumn* Column) {
    TStringList names, codes;
    for (const std::string& n : PriorityNames()) names.Add(n);
    for (const std::string& c : PriorityCodes()) codes.Add(c);
    Column->SetPickList(&names);
    Column->SetPickValues(&codes);
}

TOstraColumn* AddColumn(TOstraDBGrid* Grid, const TColumnDef& Def) {
    TOstraColumn* column = Grid->Columns()->Add();
    column->SetFieldName(Def.Field);
    if (Def.Width > 0) column->SetWidth(Def.Width);
    if (Def.Title) column->Title()->SetCaption(Def.Title);
    column->SetButtonStyle(Def.Style);
    column->SetCanClick(Def.CanClick);
    if (Def.Style == cbsCheck) {
        column->SetValueChecked("True");
        column->SetValueUnChecked("False");
    }
    return column;
}

void SetLookup(TOstraColumn* Column, TDataSet* DataSet, const char* DropDown, const char* Key,
               const char* Link) {
    Column->SetLookupDropDownFields(DropDown);
    Column->SetLookupKeyField(Key);
    Column->SetLookupLinkField(Link);
    Column->SetLookupDataSet(DataSet);
}

// The columns every task grid shows: flag, status, priority, action, category, date.
void AddTaskColumns(TOstraDBGrid* Grid, TDataSet* Status, TDataSet* Categories) {
    AddColumn(Grid, {"Flag", 45, cbsCheck});
    SetLookup(AddColumn(Grid, {"Status", 68, cbsLookup}), Status, "Status", "Status", "Status");
    SetPriorityLists(AddColumn(Grid, {"Priority", 57, cbsCombo}));
    AddColumn(Grid, {"Action", 441});
    SetLookup(AddColumn(Grid, {"Category", 70, cbsLookup}), Categories, "CATEGORY", "Category", "CATEGORY");
    AddColumn(Grid, {"Date", 77, cbsCalendar});
}

}  // namespace

void TfrmToDo::BuildGrids() {
    // ---- Task grids
    FOstraDBGrid1 = MakeGrid(this, FTabSheet1, "OstraDBGrid1", FDataTask, EditingOptions);
    AddTaskColumns(FOstraDBGrid1, FdStatus1, FdCateg);
    FOstraDBGrid2 = MakeGrid(this, FTabSheet2, "OstraDBGrid2", FdsTask2, EditingOptions);
    AddTaskColumns(FOstraDBGrid2, FdStatus1, FdCateg2);
    FOstraDBGrid7 = MakeGrid(this, FPanel2, "OstraDBGrid7", Fdstday, EditingOptions);
    AddTaskColumns(FOstraDBGrid7, FdStatus1, FdCateg);
    FOstraDBGrid8 = MakeGrid(this, FPanel3, "OstraDBGrid8", FdsTday2, EditingOptions);
    // Group 2's tasks take Group 2's categories here too.
    AddTaskColumns(FOstraDBGrid8, FdStatus1, FdCateg2);
    for (TOstraDBGrid* g : {FOstraDBGrid1, FOstraDBGrid7, FOstraDBGrid8}) {
        g->SetColor(clWhite);
        g->SetOnEditButtonClick(TOstraDBGridClickEvent(this, &TfrmToDo::OstraDBGrid1EditButtonClick));
    }
    FOstraDBGrid8->SetOnEnter(TNotifyEvent(this, &TfrmToDo::OstraDBGrid8Enter));
    FOstraDBGrid8->SetOnExit(TNotifyEvent(this, &TfrmToDo::OstraDBGrid8Exit));

    // ---- Archived
    FOstraDBGrid5 = MakeGrid(this, FTabSheet3, "OstraDBGrid5", FdsArchive, EditingOptions);
    AddColumn(FOstraDBGrid5, {"Flag", 45, cbsCheck});
    AddColumn(FOstraDBGrid5, {"Status", 68});
    SetPriorityLists(AddColumn(FOstraDBGrid5, {"PRIORITY", 57, cbsCombo, "Priority"}));
    AddColumn(FOstraDBGrid5, {"ACTION", 441, cbsNone, "Action"});
    AddColumn(FOstraDBGrid5, {"CATEGORY", 70, cbsNone, "Category"});
    AddColumn(FOstraDBGrid5, {"DATE", 77, cbsNone, "Date"});

    // ---- Catch All (the grid's own default options)
    FOstraDBGrid3 = MakeGrid(this, FTabSheet4, "OstraDBGrid3", FdsList, OstraDBGridDefaultOptions);
    AddColumn(FOstraDBGrid3, {"Flag", 45, cbsCheck});
    AddColumn(FOstraDBGrid3, {"Status", 68, cbsNone, "Name/Status"});
    AddColumn(FOstraDBGrid3, {"Category", 78});
    AddColumn(FOstraDBGrid3, {"Action", 438, cbsNone, "Description"});
    AddColumn(FOstraDBGrid3, {"Date", 77});
    // The priority names on show and the codes stored, as on the task lists.
    SetPriorityLists(AddColumn(FOstraDBGrid3, {"Priority", 70, cbsCombo}));

    // ---- Quotes
    FOstraDBGrid4 = MakeGrid(this, FTabSheet5, "OstraDBGrid4", FdsQuotes, BrowsingOptions);
    FOstraDBGrid4->SetRowsHeight(28);
    AddColumn(FOstraDBGrid4, {"Flag", 45, cbsCheck, nullptr, false});
    AddColumn(FOstraDBGrid4, {"Quote", 493})->SetWrapText(true);
    AddColumn(FOstraDBGrid4, {"Author", 163});
    AddColumn(FOstraDBGrid4, {"Group", 58});
    AddColumn(FOstraDBGrid4, {"Key", 32});
    AddColumn(FOstraDBGrid4, {"Display", 46, cbsNone, nullptr, false});

    // ---- Projects
    FOstraDBGrid6 = MakeGrid(this, FTabSheet6, "OstraDBGrid6", FdsGoals, BrowsingOptions);
    FOstraDBGrid6->SetAlign(alTop);
    FOstraDBGrid6->SetHeight(250);
    AddColumn(FOstraDBGrid6, {"Flag", 36, cbsCheck});
    SetPriorityLists(AddColumn(FOstraDBGrid6, {"Priority", 50, cbsCombo}));
    AddColumn(FOstraDBGrid6, {"Date", 67, cbsCalendar});
    AddColumn(FOstraDBGrid6, {"Group", 78});
    AddColumn(FOstraDBGrid6, {"Target", 201, cbsNone, "Project"});
    AddColumn(FOstraDBGrid6, {"Importance", 216, cbsNone, nullptr, false})->SetWrapText(true);
    AddColumn(FOstraDBGrid6, {"TargetD", 84, cbsCalendar});
    AddColumn(FOstraDBGrid6, {"Completed", 62, cbsCheck, "Complete", false});

    for (TOstraDBGrid* g : {FOstraDBGrid2, FOstraDBGrid3, FOstraDBGrid4, FOstraDBGrid5, FOstraDBGrid6}) {
        g->SetAllowDelete(false);
        g->SetAllowInsert(false);
    }
    for (TOstraDBGrid* g :
         {FOstraDBGrid1, FOstraDBGrid2, FOstraDBGrid3, FOstraDBGrid5, FOstraDBGrid7, FOstraDBGrid8}) {
        g->SetOnMouseUp(TMouseEvent(this, &TfrmToDo::EditingGridMouseUp));
        g->SetOnDblClick(TNotifyEvent(this, &TfrmToDo::EditingGridDblClick));
    }
}

TOstraDBGrid* TfrmToDo::Grid(int Number) const {
    switch (Number) {
    case 1: return FOstraDBGrid1;
    case 2: return FOstraDBGrid2;
    case 3: return FOstraDBGrid3;
    case 4: return FOstraDBGrid4;
    case 5: return FOstraDBGrid5;
    case 6: return FOstraDBGrid6;
    case 7: return FOstraDBGrid7;
    case 8: return FOstraDBGrid8;
    default: return nullptr;
    }
}

void TfrmToDo::EditingGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int X, int Y) {
    FClickedGrid = Button == mbLeft ? dynamic_cast<TOstraDBGrid*>(Sender) : nullptr;
    FClickedCell = FClickedGrid ? FClickedGrid->MouseCoord(X, Y) : TGridCoord{-1, -1};
}

void TfrmToDo::EditingGridDblClick(TObject* Sender) {
    auto* grid = dynamic_cast<TOstraDBGrid*>(Sender);
    if (!grid || grid != FClickedGrid || FClickedCell.X != grid->Col() || FClickedCell.Y != grid->Row())
        return;
    if (grid->Options().Contains(dgEditing) && !grid->EditorMode()) grid->SetEditorMode(true);
}
