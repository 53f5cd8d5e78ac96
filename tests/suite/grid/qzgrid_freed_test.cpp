// The suite grid freed by its own handlers (keys, clicks, title buttons,
// leaving, its editor's keys): each ends quietly and the form goes on taking
// input.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/stdctrls.h"
#include "support/suite/qzgrid_fixture.h"
#include "support/ui/freeing_cases.h"

namespace {

class QzGridFreed : public QzGridTest {
protected:
    void SetUp() override {
        QzGridTest::SetUp();
        Survivor = new TEdit(Form);
        Survivor->SetParent(Form);
        Survivor->SetBounds(8, 380, 100, 24);
        Open(4);
        delete Grid;  // each case makes its own
        Grid = nullptr;
        Form->Show();
        ActivateForm(Form);
    }
    TTestQzGrid* Fresh() {
        Grid = new TTestQzGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 600, 360);
        Grid->SetBorderStyle(bsNone);
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
    void ClickAt(int Col, int Row) {
        const TRect r = Grid->CellRect(Col, Row);
        SendClick(Grid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    TEdit* Survivor = nullptr;
};

TEST_F(QzGridFreed, AHandlerMayFreeTheGridThatCalledIt) {
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
             ClickAt(2, 2);
         }},
        {"double click",
         [&] {
             Fresh()->SetOnDblClick(FreeSender());
             const TRect r = Grid->CellRect(2, 2);
             SendDoubleClick(Grid, r.Left + 5, r.Top + 3);
         }},
        {"title button",
         [&] {
             Fresh()->SetTitleButtons(true);
             Grid->SetOptions(Grid->Options() - dgColumnResize);
             Grid->SetOnTitleButtonClick(
                 TqzTitleButtonClickEvent([](TObject* Sender, const std::string&) { delete Sender; }));
             ClickAt(2, 0);
         }},
        {"grid left",
         [&] {
             Fresh()->SetOnExit(FreeSender());
             Survivor->SetFocus();
         }},
        {"editor's key down",
         [&] {
             Fresh()->SetOptions(Grid->Options() + dgEditing);
             Grid->SetOnKeyDown(TKeyEvent([](TObject* Sender, uint16_t& Key, TShiftState) {
                 if (Key == VK_DOWN) delete Sender;
             }));
             ClickAt(2, 1);
             SendKey(Grid, VK_F2);
             if (TWinControl* e = Grid->InplaceEditor()) SendKey(e, VK_DOWN);
         }},
    });
}

}  // namespace
