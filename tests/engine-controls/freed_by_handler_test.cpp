// The engine's grid and drop-down edit freed by their own handlers: a key,
// a click or a button ends quietly and the form goes on taking input.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine-controls/ostra_dbgrid_inplace.h"
#include "platform/ui/stdctrls.h"
#include "support/engine-controls/dbgrid_fixture.h"
#include "support/ui/freeing_cases.h"

namespace {

class EngineGridFreedTest : public DBGridTest {
protected:
    void SetUp() override {
        DBGridTest::SetUp();
        Survivor = new TEdit(Form);
        Survivor->SetParent(Form);
        Survivor->SetBounds(8, 380, 100, 24);
        OpenTasks(3);
        UseTaskColumns();
        ShowGrid();
        delete Grid;  // each case makes its own
        Grid = nullptr;
    }
    // A fresh grid over the tasks, shown and focused.
    TOstraDBGrid* Fresh() {
        Grid = new TTestDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 600, 360);
        Grid->SetBorderStyle(bsNone);
        UseTaskColumns();
        Grid->SetDataSource(Source);
        Grid->SetFocus();
        ProcessEvents();
        return Grid;
    }
    void RunCases(const TFreeingCases& Cases) {
        RunFreeingCases(Form, Survivor, Cases, [this] {
            Grid = nullptr;
            if (Table->State() != dsBrowse) Table->Cancel();
        });
    }
    TOstraDBGridInplaceEdit* Editor(int DataCol) {
        ClickCell(DataCol, 0);
        SendKey(Grid, VK_F2);
        ProcessEvents();
        return dynamic_cast<TOstraDBGridInplaceEdit*>(Grid->InplaceEditor());
    }
    static TOstraDBGridClickEvent FreeGrid() {
        return TOstraDBGridClickEvent([](TObject* Sender, TOstraColumn*) { delete Sender; });
    }
    TEdit* Survivor = nullptr;
    TTestDialogs Dialogs;
};

TEST_F(EngineGridFreedTest, GridAndItsCellEditor) {
    RunCases({
        {"key down",
         [&] {
             Fresh()->SetOnKeyDown(TKeyEvent([](TObject* Sender, uint16_t&, TShiftState) { delete Sender; }));
             SendKey(Grid, VK_DOWN);
         }},
        {"key press",
         [&] {
             Fresh()->SetOnKeyPress(TKeyPressEvent([](TObject* Sender, char32_t&) { delete Sender; }));
             SendKey(Grid, VK_RETURN);
         }},
        {"mouse up",
         [&] {
             Fresh()->SetOnMouseUp(
                 TMouseEvent([](TObject* Sender, TMouseButton, TShiftState, int, int) { delete Sender; }));
             ClickCell(1, 1);
         }},
        {"cell click",
         [&] {
             Fresh()->SetOnCellClick(FreeGrid());
             ClickCell(1, 1);
         }},
        {"title click",
         [&] {
             Fresh()->SetOnTitleClick(FreeGrid());
             ClickCell(1, -1);
         }},
        {"double click",
         [&] {
             Fresh()->SetOnDblClick(FreeSender());
             const TPoint p = CellCenter(1, 1);
             SendDoubleClick(Grid, p.X, p.Y);
         }},
        {"column left",
         [&] {
             Fresh();
             ClickCell(1, 0);
             Grid->SetOnColExit(FreeSender());
             SendKey(Grid, VK_RIGHT);
         }},
        {"grid left",
         [&] {
             Fresh()->SetOnExit(FreeSender());
             Survivor->SetFocus();
         }},
        {"editor's ellipsis by Ctrl+Enter",
         [&] {
             Fresh()->Columns()->Items(1)->SetButtonStyle(cbsEllipsis);
             Grid->SetOnEditButtonClick(FreeGrid());
             TOstraDBGridInplaceEdit* e = Editor(1);
             ASSERT_NE(e, nullptr);
             SendKey(e, VK_RETURN, {ssCtrl});
         }},
        {"editor's ellipsis clicked",
         [&] {
             Fresh()->Columns()->Items(1)->SetButtonStyle(cbsEllipsis);
             Grid->SetOnEditButtonClick(FreeGrid());
             TOstraDBGridInplaceEdit* e = Editor(1);
             ASSERT_NE(e, nullptr);
             const TRect b = e->ButtonRect();
             SendClick(e, (b.Left + b.Right) / 2, b.Height() / 2);
         }},
        {"editor's key down",
         [&] {
             Fresh()->SetOnKeyDown(TKeyEvent([](TObject* Sender, uint16_t& Key, TShiftState) {
                 if (Key == VK_DOWN) delete Sender;
             }));
             TOstraDBGridInplaceEdit* e = Editor(1);
             ASSERT_NE(e, nullptr);
             SendKey(e, VK_DOWN);
         }},
    });
}

}  // namespace
