// The column drag against a stand-in host: a plain platform grid for the
// measures, the host's own list of columns and groups, and its column moves
// applied to that list.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzgriddrag.h"
#include "suite/grid/qzgridhost.h"

namespace {

// Grid column c (from 1) shows Names[c - 1] of group Groups[c - 1]; the
// group header is the top half of a grouped title.
class TStandInDragHost final : public TqzGridDragHost {
public:
    explicit TStandInDragHost(TCustomGrid& Grid) : FGrid(Grid) {}

    int IndicatorOffset() const override { return 1; }
    int TitleOffset() const override { return 1; }
    std::string ColumnGroupName(int DataCol) const override {
        return DataCol >= 0 && DataCol < static_cast<int>(Groups.size())
                   ? Groups[static_cast<size_t>(DataCol)]
                   : std::string();
    }
    TqzDBGridOptions GridOptions() const override { return Options; }
    TRect GroupHeaderRect(int ACol) const override {
        if (ColumnGroupName(ACol - 1).empty()) return {};
        const TRect r = FGrid.CellRect(ACol, 0);
        return Rect(r.Left, r.Top, r.Right, r.Top + r.Height() / 2);
    }
    void MoveColumn(int From, int To) override {
        Moves.emplace_back(From, To);
        for (auto* list : {&Names, &Groups}) {
            const std::string moved = (*list)[static_cast<size_t>(From - 1)];
            list->erase(list->begin() + (From - 1));
            list->insert(list->begin() + (To - 1), moved);
        }
    }

    int ColCount() const override { return FGrid.ColCount(); }
    int FixedCols() const override { return FGrid.FixedCols(); }
    int LeftCol() const override { return FGrid.LeftCol(); }
    void SetLeftCol(int Value) override { FGrid.SetLeftCol(Value); }
    int RowHeights(int Index) const override { return FGrid.RowHeights(Index); }
    TRect CellRect(int ACol, int ARow) const override { return FGrid.CellRect(ACol, ARow); }
    TGridCoord MouseCoord(int X, int Y) const override { return FGrid.MouseCoord(X, Y); }
    int GridX(int X) const override { return FGrid.GridX(X); }
    TRect GridToClientRect(const TRect& R) const override { return FGrid.GridToClientRect(R); }
    void CalcDrawInfo(TGridDrawInfo& DrawInfo) const override { FGrid.CalcDrawInfo(DrawInfo); }
    bool UseRightToLeftAlignment() const override { return FGrid.UseRightToLeftAlignment(); }
    int ClientWidth() const override { return FGrid.ClientWidth(); }
    int Width() const override { return FGrid.Width(); }
    void Invalidate() override { FGrid.Invalidate(); }
    void PaintTo(TCanvas* Canvas, int X, int Y) override { FGrid.PaintTo(Canvas, X, Y); }
    TComponent* TimerOwner() override { return &FGrid; }

    std::vector<std::string> Names{"A", "B", "C", "D", "E"};
    std::vector<std::string> Groups{"", "G", "G", "", ""};
    TqzDBGridOptions Options{dgTitles, dgColumnResize};
    std::vector<std::pair<int, int>> Moves;

private:
    TCustomGrid& FGrid;
};

using Names = std::vector<std::string>;
using Moves = std::vector<std::pair<int, int>>;

class QzDragHost : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 460, 200);
        Grid = new TDrawGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 440, 160);
        Grid->SetColCount(6);
        Grid->SetRowCount(4);
        for (int c = 0; c < 6; ++c) Grid->SetColWidths(c, 60);
        Host = std::make_unique<TStandInDragHost>(*Grid);
        Drag = std::make_unique<TqzGridColumnDrag>(*Host);
        Form->Show();
        ProcessEvents();
    }
    void TearDown() override {
        Drag.reset();
        Host.reset();
        delete Form;
        ProcessEvents();
    }
    // A press on grid column From's title (on the group header when Header),
    // dragged to the middle of column To and released there.
    bool DragTitle(int From, int To, bool Header = false) {
        const TRect from = Grid->CellRect(From, 0), to = Grid->CellRect(To, 0);
        const int y = Header ? from.Top + 2 : from.Bottom - 3;
        const int x = (from.Left + from.Right) / 2, target = (to.Left + to.Right) / 2;
        Drag->Press(From, x, y);
        Drag->MouseMove((x + target) / 2 + (target > x ? 3 : -3), y);
        Drag->MouseMove(target, y);
        return Drag->Release(target);
    }

    TForm* Form = nullptr;
    TDrawGrid* Grid = nullptr;
    std::unique_ptr<TStandInDragHost> Host;
    std::unique_ptr<TqzGridColumnDrag> Drag;
};

TEST_F(QzDragHost, AnUngroupedColumnGoesWhereItIsDropped) {
    EXPECT_TRUE(DragTitle(1, 4));
    EXPECT_EQ(Host->Moves, (Moves{{1, 4}}));
    EXPECT_EQ(Host->Names, (Names{"B", "C", "D", "A", "E"}));
    EXPECT_TRUE(DragTitle(4, 1));
    EXPECT_EQ(Host->Names, (Names{"A", "B", "C", "D", "E"}));
}

TEST_F(QzDragHost, AnUngroupedColumnLandsBesideAGroupNeverInsideIt) {
    // Onto the group's second column from the left: after the group.
    EXPECT_TRUE(DragTitle(1, 3));
    EXPECT_EQ(Host->Moves, (Moves{{1, 3}}));
    EXPECT_EQ(Host->Names, (Names{"B", "C", "A", "D", "E"}));
    // Onto the group (now columns 1 and 2) from the right: before it.
    Host->Moves.clear();
    EXPECT_TRUE(DragTitle(5, 2));
    EXPECT_EQ(Host->Moves, (Moves{{5, 1}}));
    EXPECT_EQ(Host->Names, (Names{"E", "B", "C", "A", "D"}));
}

TEST_F(QzDragHost, AGroupedColumnStaysWithinItsGroup) {
    EXPECT_TRUE(DragTitle(2, 3));
    EXPECT_EQ(Host->Names, (Names{"A", "C", "B", "D", "E"}));
    // Out of the group: dragged, but nothing moves.
    Host->Moves.clear();
    EXPECT_TRUE(DragTitle(3, 5));
    EXPECT_TRUE(Host->Moves.empty());
    EXPECT_EQ(Host->Names, (Names{"A", "C", "B", "D", "E"}));
}

TEST_F(QzDragHost, AGroupDraggedByItsHeaderMovesWholeInItsOrder) {
    EXPECT_TRUE(DragTitle(2, 5, true));
    EXPECT_EQ(Host->Moves, (Moves{{2, 5}, {2, 5}}));
    EXPECT_EQ(Host->Names, (Names{"A", "D", "E", "B", "C"}));
    Host->Moves.clear();
    EXPECT_TRUE(DragTitle(4, 1, true));
    EXPECT_EQ(Host->Moves, (Moves{{4, 1}, {5, 2}}));
    EXPECT_EQ(Host->Names, (Names{"B", "C", "A", "D", "E"}));
    // Dropped onto itself: nothing moves.
    Host->Moves.clear();
    EXPECT_TRUE(DragTitle(1, 2, true));
    EXPECT_TRUE(Host->Moves.empty());
}

TEST_F(QzDragHost, APressThatBarelyMovesIsNoDrag) {
    const TRect a = Grid->CellRect(1, 0);
    Drag->Press(1, a.Left + 10, a.Top + 10);
    EXPECT_TRUE(Drag->Pressed());
    EXPECT_TRUE(Drag->MouseMove(a.Left + 12, a.Top + 12));
    EXPECT_FALSE(Drag->Release(a.Left + 12));
    EXPECT_FALSE(Drag->Pressed());
    EXPECT_TRUE(Host->Moves.empty());
    // Without a press the mouse is not the drag's.
    EXPECT_FALSE(Drag->MouseMove(a.Left + 40, a.Top + 10));
}

TEST_F(QzDragHost, OnlyResizableDataColumnsMove) {
    EXPECT_TRUE(Drag->Movable(1));
    EXPECT_FALSE(Drag->Movable(0));
    Host->Options = {dgTitles};
    EXPECT_FALSE(Drag->Movable(1));
}

}  // namespace
