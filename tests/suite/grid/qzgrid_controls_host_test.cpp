// The controls open in cells against a stand-in host: a plain platform grid
// holding the controls, with the host naming the control of every cell.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/ui/application.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgridcontrols.h"
#include "suite/grid/qzgridhost.h"

namespace {

// Every cell names Control but OtherCell, which names Other; the cells,
// the window and its measures are the plain grid's.
class TStandInControlsHost final : public TqzGridControlsHost {
public:
    explicit TStandInControlsHost(TCustomGrid& Grid) : FGrid(Grid) {}

    bool GetCustomControlForCell(int ACol, int ARow, TWinControl*& AControl) override {
        AControl = ACol == OtherCell.X && ARow == OtherCell.Y ? Other : Control;
        return AControl != nullptr;
    }
    TqzEditControlOptions EditControlOptions() const override { return Options; }
    bool IsGridChild(const TWinControl* AControl) const override { return AControl->Parent() == &FGrid; }
    int Col() const override { return FGrid.Col(); }
    int Row() const override { return FGrid.Row(); }
    int LeftCol() const override { return FGrid.LeftCol(); }
    int ClientWidth() const override { return Width < 0 ? FGrid.ClientWidth() : Width; }
    void Update() override {
        ++Updates;
        FGrid.Update();
    }

    TWinControl* Control = nullptr;
    TWinControl* Other = nullptr;
    TGridCoord OtherCell{-1, -1};
    TqzEditControlOptions Options;
    // The client width the host answers (-1: the grid's).
    int Width = -1;
    int Updates = 0;

private:
    TCustomGrid& FGrid;
};

// A panel that notes the presses it hears, by its name.
class THearingPanel : public TPanel {
public:
    THearingPanel(TComponent* AOwner, std::vector<std::string>& Heard) : TPanel(AOwner), FHeard(Heard) {}

protected:
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override {
        FHeard.push_back(Name() + " down " + std::to_string(X) + "," + std::to_string(Y));
    }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override {
        FHeard.push_back(Name() + " up " + std::to_string(X) + "," + std::to_string(Y));
    }

private:
    std::vector<std::string>& FHeard;
};

class QzControlsHost : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 400, 240);
        Grid = new TDrawGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 360, 200);
        Grid->SetColCount(6);
        Grid->SetRowCount(6);
        Outer = Panel("Outer", Grid, Rect(20, 20, 160, 90));
        Inner = Panel("Inner", Outer, Rect(10, 10, 80, 50));
        Innermost = Panel("Innermost", Inner, Rect(5, 5, 30, 25));
        Host = std::make_unique<TStandInControlsHost>(*Grid);
        Host->Control = Outer;
        Controls = std::make_unique<TqzGridInCellControls>(*Host);
        Form->Show();
        ProcessEvents();
    }
    void TearDown() override {
        Controls.reset();
        Host.reset();
        delete Form;
        ProcessEvents();
    }
    THearingPanel* Panel(const std::string& Name, TWinControl* Parent, const TRect& R) {
        auto* p = new THearingPanel(Form, Heard);
        p->SetName(Name);
        p->SetParent(Parent);
        p->SetBounds(R.Left, R.Top, R.Width(), R.Height());
        return p;
    }
    // A click at grid point X, Y after a press with the grid scrolled to LeftCol.
    std::vector<std::string> Click(int X, int Y, TShiftState Shift = {}, int LeftCol = -1) {
        Heard.clear();
        Controls->ForwardClick(Shift, X, Y, LeftCol < 0 ? Grid->LeftCol() : LeftCol);
        return Heard;
    }

    TForm* Form = nullptr;
    TDrawGrid* Grid = nullptr;
    THearingPanel *Outer = nullptr, *Inner = nullptr, *Innermost = nullptr;
    std::vector<std::string> Heard;
    std::unique_ptr<TStandInControlsHost> Host;
    std::unique_ptr<TqzGridInCellControls> Controls;
};

using Calls = std::vector<std::string>;

TEST_F(QzControlsHost, OnlyAShownControlOfTheGridItselfIsOpen) {
    EXPECT_EQ(Controls->Active(), Outer);
    Outer->SetVisible(false);
    EXPECT_EQ(Controls->Active(), nullptr);
    Outer->SetVisible(true);
    // A control elsewhere on the form is not open in the grid.
    Host->Control = Inner;
    EXPECT_EQ(Controls->Active(), nullptr);
    Host->Control = nullptr;
    EXPECT_EQ(Controls->Active(), nullptr);
}

TEST_F(QzControlsHost, TheInnermostShownControlUnderTheClickTakesIt) {
    EXPECT_EQ(Click(20 + 10 + 5 + 2, 20 + 10 + 5 + 3), (Calls{"Innermost down 2,3", "Innermost up 2,3"}));
    EXPECT_EQ(Click(20 + 10 + 1, 20 + 10 + 1), (Calls{"Inner down 1,1", "Inner up 1,1"}));
    EXPECT_EQ(Click(20 + 100, 20 + 60), (Calls{"Outer down 100,60", "Outer up 100,60"}));
    // A hidden child is passed over for its parent.
    Innermost->SetVisible(false);
    EXPECT_EQ(Click(20 + 10 + 5 + 2, 20 + 10 + 5 + 3), (Calls{"Inner down 7,8", "Inner up 7,8"}));
    // Outside the open control nothing hears the click.
    EXPECT_TRUE(Click(19, 40).empty());
    EXPECT_TRUE(Click(20 + 140, 40).empty());
    EXPECT_TRUE(Click(40, 20 + 70).empty());
}

TEST_F(QzControlsHost, ClicksThatOnlyMoveAreNotHandedOn) {
    EXPECT_TRUE(Click(30, 30, {ssCtrl}).empty());
    // The grid scrolled sideways between the press and now.
    EXPECT_TRUE(Click(30, 30, {}, Grid->LeftCol() + 1).empty());
    Host->Options = {ecoDisableCustomControls};
    EXPECT_TRUE(Click(30, 30).empty());
    Host->Options = {};
    EXPECT_EQ(Click(30, 30).size(), 2u);
}

TEST_F(QzControlsHost, RecordMovesPutTheOpenControlOutOfSight) {
    Controls->MoveAway();
    EXPECT_EQ(Outer->Left(), Grid->ClientWidth() + 10);
    EXPECT_EQ(Outer->Top(), 20);
    EXPECT_EQ(Outer->Width(), 140);
    EXPECT_EQ(Outer->Height(), 70);
    // A control not open stays where it is.
    Outer->SetBounds(20, 20, 140, 70);
    Outer->SetVisible(false);
    Controls->MoveAway();
    EXPECT_EQ(Outer->Left(), 20);
}

TEST_F(QzControlsHost, EnterGoesBackOnlyToAnOpenControlThatTakesReturns) {
    auto* memo = new TMemo(Form);
    memo->SetParent(Grid);
    memo->SetBounds(20, 100, 100, 60);
    char32_t key = 0;
    // A panel takes no returns.
    Controls->EnterPressed(key);
    EXPECT_EQ(key, 0u);
    Host->Control = memo;
    memo->SetWantReturns(true);
    Controls->EnterPressed(key);
    EXPECT_EQ(key, 13u);
    key = 0;
    memo->SetWantReturns(false);
    Controls->EnterPressed(key);
    EXPECT_EQ(key, 0u);
    memo->SetWantReturns(true);
    memo->SetVisible(false);
    Controls->EnterPressed(key);
    EXPECT_EQ(key, 0u);
}

}  // namespace

namespace {

TEST_F(QzControlsHost, TheOpenControlIsTheOneOfTheHostsCurrentCell) {
    auto* other = Panel("Other", Grid, Rect(200, 100, 260, 140));
    Host->Other = other;
    Host->OtherCell = {3, 2};
    Grid->SetCol(3);
    Grid->SetRow(2);
    EXPECT_EQ(Controls->Active(), other);
    // The same cell with row and column swapped names the other control.
    Grid->SetCol(2);
    Grid->SetRow(3);
    EXPECT_EQ(Controls->Active(), Outer);
    // A click on the current cell's control goes to it, not to the other.
    Grid->SetCol(3);
    Grid->SetRow(2);
    EXPECT_EQ(Click(200 + 5, 100 + 6), (Calls{"Other down 5,6", "Other up 5,6"}));
    EXPECT_TRUE(Click(20 + 100, 20 + 60).empty());
}

TEST_F(QzControlsHost, MovingAwayUpdatesTheWindowAndGoesPastTheHostsClientWidth) {
    Host->Width = 500;
    Controls->MoveAway();
    EXPECT_EQ(Host->Updates, 1);
    EXPECT_EQ(Outer->Left(), 510);
    EXPECT_EQ(Outer->Top(), 20);
    // Nothing open: the window is still brought up to date.
    Outer->SetVisible(false);
    Controls->MoveAway();
    EXPECT_EQ(Host->Updates, 2);
    EXPECT_EQ(Outer->Left(), 510);
}

}  // namespace
