// Building the category editors: tool bar, file menu, grid and navigator over the main
// window's category tables.
#include "app/category_editors.h"

#include <string>
#include <tuple>
#include <vector>

#include "app/main_form.h"
#include "app/main_form_glyphs.h"
#include "app/main_form_parts.h"
#include "app/report/form_layout.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/menus.h"

namespace {

TToolBar* MakeToolBar(TForm* Form) {
    auto* bar = MakeComponent<TToolBar>(Form, Form, "ToolBar1");
    bar->SetAlign(alTop);
    bar->SetHeight(29);
    bar->SetButtonHeight(25);
    bar->SetButtonWidth(25);
    bar->SetFlat(true);
    bar->SetEdgeBorders(TEdgeBorders{ebTop, ebBottom});
    return bar;
}

TMainMenu* MakeFileMenu(TForm* Form, bool WithHelp) {
    auto* menu = MakeComponent<TMainMenu>(Form, nullptr, "MainMenu1");
    auto* file = MakeComponent<TMenuItem>(Form, nullptr, "File1");
    file->SetCaption("File");
    menu->Items()->Add(file);
    const std::vector<std::pair<const char*, const char*>> items{
        {"Add1", "Add"}, {"Delete1", "Delete"}, {"Save1", "Save"}, {"Exit1", "Exit"}};
    for (const auto& [name, caption] : items) {
        auto* item = MakeComponent<TMenuItem>(Form, nullptr, name);
        item->SetCaption(caption);
        file->Add(item);
    }
    if (WithHelp) {
        auto* help = MakeComponent<TMenuItem>(Form, nullptr, "Help1");
        help->SetCaption("Help");
        menu->Items()->Add(help);
    }
    return menu;
}

TOstraDBGrid* MakeGrid(TForm* Form, TDataSource* Source) {
    auto* grid = MakeComponent<TOstraDBGrid>(Form, Form, "OstraDBGrid1");
    grid->SetAlign(alClient);
    grid->SetDataSource(Source);
    return grid;
}

// The main window's table, when there is a main window.
TOstraTable* MainTable(TOstraTable* (TfrmToDo::*Getter)() const) {
    return frmToDo ? (frmToDo->*Getter)() : nullptr;
}

}  // namespace

// ---- TfrmCateg1 ---------------------------------------------------------------------------------

TfrmCateg1::TfrmCateg1(TComponent* AOwner) : TForm(AOwner) {
    SetName(UniqueFormName(AOwner, "frmCateg1"));
    SetCaption("Category 1");
    SetPosition(poScreenCenter);
    SetClientWidth(360);
    SetClientHeight(300);

    FdsCateg = MakeComponent<TDataSource>(this, nullptr, "dsCateg");
    FdsCateg->SetDataSet(MainTable(&TfrmToDo::dCateg));
    FMainMenu1 = MakeFileMenu(this, false);
    FToolBar1 = MakeToolBar(this);
    FDBNavigator1 = MakeComponent<TDBNavigator>(this, FToolBar1, "DBNavigator1");
    FDBNavigator1->SetBounds(0, 0, 240, 25);
    FDBNavigator1->SetFlat(true);
    FDBNavigator1->SetDataSource(FdsCateg);
    FOstraDBGrid1 = MakeGrid(this, FdsCateg);
}

// ---- TfrmCateg2 ---------------------------------------------------------------------------------

TfrmCateg2::TfrmCateg2(TComponent* AOwner) : TForm(AOwner) {
    SetName(UniqueFormName(AOwner, "frmCateg2"));
    SetCaption("Category 2");
    SetPosition(poScreenCenter);
    SetClientWidth(360);
    SetClientHeight(300);

    Fdscatg2 = MakeComponent<TDataSource>(this, nullptr, "dscatg2");
    Fdscatg2->SetDataSet(MainTable(&TfrmToDo::dCateg2));
    FMainMenu1 = MakeFileMenu(this, true);
    FToolBar1 = MakeToolBar(this);
    const std::vector<std::tuple<TSpeedButton**, const char*, const char*, TToDoGlyph>> buttons{
        {&FSpeedButton1, "SpeedButton1", "Add", tgAdd},
        {&FSpeedButton2, "SpeedButton2", "Delete", tgDelete},
        {&FSpeedButton3, "SpeedButton3", "Save", tgSave}};
    FToolBar1->DisableAlign();
    int left = 0;
    for (const auto& [field, name, hint, glyph] : buttons) {
        auto* b = MakeComponent<TSpeedButton>(this, FToolBar1, name);
        b->SetBounds(left, 0, 25, 25);
        b->SetFlat(true);
        b->SetHint(hint);
        b->SetShowHint(true);
        SetToDoGlyph(b, glyph);
        *field = b;
        left += 25;
    }
    FDBNavigator1 = MakeComponent<TDBNavigator>(this, FToolBar1, "DBNavigator1");
    FDBNavigator1->SetBounds(left + 8, 0, 240, 25);
    FDBNavigator1->SetFlat(true);
    FDBNavigator1->SetDataSource(Fdscatg2);
    FToolBar1->EnableAlign();

    FOstraDBGrid1 = MakeGrid(this, Fdscatg2);
    const std::vector<std::pair<const char*, int>> columns{{"CKEY", -1}, {"CATEGORY", 167}, {"SELECTED", -1}};
    for (const auto& [field, width] : columns) {
        TOstraColumn* column = FOstraDBGrid1->Columns()->Add();
        column->SetFieldName(field);
        if (width > 0) column->SetWidth(width);
    }
    SetOnClose(TCloseEvent(this, &TfrmCateg2::FormClose));
}

void TfrmCateg2::FormClose(TObject*, TCloseAction&) {
    auto* table = dynamic_cast<TOstraDataset*>(Fdscatg2->DataSet());
    if (!frmToDo || !table) return;
    frmToDo->OstraDb()->SaveDatasets({table});
}
