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

// Every cell names Control; nothing else of the host is asked for.
class TStandInControlsHost final : public TqzGridHost {
public:
    explicit TStandInControlsHost(TCustomGrid& Grid) : FGrid(Grid) {}

    TCustomGrid& HostGrid() override { return FGrid; }
    bool GetCustomControlForCell(int, int, TWinControl*& AControl) override {
        AControl = Control;
        return Control != nullptr;
    }
    TqzEditControlOptions EditControlOptions() const override { return Options; }

    TWinControl* Control = nullptr;
    TqzEditControlOptions Options;

    int IndicatorOffset() const override { return 1; }
    int TitleOffset() const override { return 1; }
    TField* GetColField(int) const override { return nullptr; }
    TqzColumn* Columns(int) const override { return nullptr; }
    bool UseTFields() const override { return true; }
    TStrings* Selected() const override { return nullptr; }
    TFont* TitleFont() const override { return nullptr; }
    TColor TitleColor() const override { return clBtnFace; }
    TAlignment TitleAlignment() const override { return taLeftJustify; }
    TImageList* TitleImageList() const override { return nullptr; }
    TqzDrawTitleCellEvent OnDrawTitleCell() const override { return {}; }
    TqzGridLineColors* LineColors() const override { return nullptr; }
    bool DisableThemesInTitle() const override { return false; }
    TRect GroupHeaderRect(int) const override { return {}; }
    void WriteCellText(TCanvas*, const TRect&, int, int, TAlignment, int, const std::string&) override {}
    void FillFixedCellBackground(TCanvas*, const TRect&, int, int) override {}
    void DoCalcTitleAttributes(const std::string&, TFont*, TBrush*, TAlignment&) override {}
    void DoDrawTitleCell(TCanvas*, TField*, const TRect&, bool&) override {}
    void DoCalcTitleImage(TField*, TqzTitleImageAttributes&) override {}
    TqzDBGridOptions GridOptions() const override { return {}; }
    TqzGridDataLink* DataLink() const override { return nullptr; }
    bool DataSetActive() const override { return false; }
    TqzGridPaintOptions* PaintOptions() const override { return nullptr; }
    TImageList* ImageList() const override { return nullptr; }
    const std::vector<TqzCacheColInfoItem>& ColInfo() const override { return FColInfo; }
    TColor IndicatorIconColor() const override { return clBlack; }
    TColor FooterColor() const override { return clBtnFace; }
    TColor FooterCellColor() const override { return clBtnFace; }
    TqzGridLineStyle LineStyle() const override { return glsSingle; }
    bool HideAllLines() const override { return false; }
    const std::string& GroupFieldName() const override { return FGroupFieldName; }
    TCanvas* DrawCanvas() override { return FGrid.Canvas(); }
    std::string CellText(TField*) override { return {}; }
    bool HighlightCell(int, int, TGridDrawState) override { return false; }
    bool IsRecordSelected() override { return false; }
    void CalcCellColors(TField*, TGridDrawState, bool, TFont*, TBrush*) override {}
    void FillDataCellBackground(TCanvas*, const TRect&, int, int) override {}
    void DrawCheckBox(const TRect&, int, int, bool) override {}
    bool GetCheckBoxValues(const std::string&, std::string&, std::string&) override { return false; }
    void GetControlInfo(const std::string&, std::string&, std::string&) override {}
    void SplitURLText(const std::string&, std::string&, std::string&) const override {}
    void CalcGroupState() override {}
    void DoAfterDrawCell(TqzCustomDrawGridCellInfo&) override {}
    void DoDrawGroupHeaderCell(TCanvas*, const std::string&, const TRect&, bool&) override {}
    TRect FooterRect() override { return {}; }

private:
    TCustomGrid& FGrid;
    std::vector<TqzCacheColInfoItem> FColInfo;
    std::string FGroupFieldName;
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
