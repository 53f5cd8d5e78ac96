// Shared set-up of the engine grid's tests: a shown form with a grid bound
// through a data source to an engine table of tasks, and helpers to find
// cells, send input and read rendered pixels.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "support/engine/engine_test_support.h"
#include "support/environment.h"

using TTestDBGrid = TOstraDBGrid;

class DBGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 640, 420);
        Table = new TOstraTable(Form);
        AddTaskDefs(*Table);
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TTestDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 600, 360);
        // Rendered pixels then sit at client coordinates.
        Grid->SetBorderStyle(bsNone);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }

    // Opens the table with Count tasks "Task 1".. whose priority runs 0..4.
    void OpenTasks(int Count) {
        Table->Open();
        Table->DisableControls();
        for (int i = 1; i <= Count; ++i) {
            Table->Append();
            Table->FieldByName("Action")->SetAsString("Task " + std::to_string(i));
            Table->FieldByName("Priority")->SetAsString(std::to_string((i - 1) % 5));
            Table->FieldByName("Flag")->SetAsBoolean(i % 2 == 0);
            Table->FieldByName("Category")->SetAsString(i % 3 == 0 ? "Work" : "Home");
            Table->Post();
        }
        Table->First();
        Table->EnableControls();
    }

    // Count tasks in the task columns, shown.
    void ShowTasks(int Count) {
        OpenTasks(Count);
        UseTaskColumns();
        ShowGrid();
    }

    // Binds the grid and shows the form, the grid focused.
    void ShowGrid() {
        Grid->SetDataSource(Source);
        Form->Show();
        ActivateForm(Form);
        Grid->SetFocus();
        ProcessEvents();
    }

    // Columns for Flag (check box), Action, Priority (pick list) and Category.
    void UseTaskColumns() {
        TOstraColumn* flag = Grid->Columns()->Add();
        flag->SetFieldName("Flag");
        flag->SetButtonStyle(cbsCheck);
        flag->SetValueChecked("True");
        flag->SetValueUnChecked("False");
        flag->SetWidth(40);
        TOstraColumn* action = Grid->Columns()->Add();
        action->SetFieldName("Action");
        action->SetWidth(160);
        action->SetCanClick(true);
        TOstraColumn* priority = Grid->Columns()->Add();
        priority->SetFieldName("Priority");
        priority->SetButtonStyle(cbsCombo);
        SetLines(priority->PickList(), {"Urgent", "High", "Medium", "Low", "Completed"});
        SetLines(priority->PickValues(), {"0", "1", "2", "3", "4"});
        priority->SetWidth(90);
        priority->SetCanClick(true);
        TOstraColumn* category = Grid->Columns()->Add();
        category->SetFieldName("Category");
        category->SetWidth(90);
    }

    static void SetLines(TStrings* List, const std::vector<std::string>& Lines) {
        List->Clear();
        for (const std::string& s : Lines) List->Add(s);
    }

    // Centre of a cell in data coordinates (row -1 is the title row), where
    // the window shows it (mirrored in a right-to-left grid).
    TPoint CellCenter(int DataCol, int DataRow) const {
        const TRect r = ShownCellRect(DataCol, DataRow);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    TRect DataCellRect(int DataCol, int DataRow) const {
        return Grid->CellRect(DataCol + Grid->IndicatorOffset(), DataRow + Grid->TitleOffset());
    }
    TRect ShownCellRect(int DataCol, int DataRow) const {
        return Grid->GridToClientRect(DataCellRect(DataCol, DataRow));
    }
    void ClickCell(int DataCol, int DataRow, TShiftState Shift = {}) {
        const TPoint p = CellCenter(DataCol, DataRow);
        SendClick(Grid, p.X, p.Y, mbLeft, Shift);
    }

    std::string Action() const { return Table->FieldByName("Action")->AsString(); }

    // Renders the grid; also writes a PNG into the run's folder for looking at.
    std::unique_ptr<TBitmap> Render(const std::string& PngName = std::string()) {
        ProcessEvents();
        auto bmp = std::make_unique<TBitmap>();
        RenderControl(Grid, bmp.get());
        if (!PngName.empty()) bmp->SaveToFile(TestRunPath(PngName + ".png"));
        return bmp;
    }

    // The actions a full repaint of the grid draws, read in its cell
    // drawing event (each row's record is current while it is drawn).
    std::set<std::string> PaintedActions() {
        std::set<std::string> drawn;
        const TDrawColumnCellEvent saved = Grid->OnDrawColumnCell();
        Grid->SetOnDrawColumnCell(
            TDrawColumnCellEvent([&drawn](TObject*, const TRect&, int, TOstraColumn* Column, TGridDrawState) {
                TField* f = Column->Field();
                // An empty dataset still draws one blank row.
                if (Column->FieldName() == "Action" && f && !f->DataSet()->IsEmpty())
                    drawn.insert(f->AsString());
            }));
        Render();
        Grid->SetOnDrawColumnCell(saved);
        return drawn;
    }

    // The actions of the records the grid's source holds, in any order.
    std::set<std::string> SourceActions() {
        std::set<std::string> out;
        TDataSet* ds = Source->DataSet();
        const TBookmark here = ds->Bookmark();
        ds->DisableControls();
        for (ds->First(); !ds->Eof(); ds->Next()) out.insert(ds->FieldByName("Action")->AsString());
        if (!here.empty()) ds->GotoBookmark(here);
        ds->EnableControls();
        return out;
    }

    // How many pixels of a colour lie inside a rectangle.
    static int CountColor(TBitmap* Bmp, const TRect& R, TColor Color) {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (Bmp->Canvas()->Pixels(x, y) == ColorToRGB(Color)) ++n;
        return n;
    }

    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TTestDBGrid* Grid = nullptr;
};
