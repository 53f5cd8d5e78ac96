// What the engine's grid and the suite's grids do alike as flow controls:
// cells found by field and row, clicks on them, the cell editor's text.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/db/dataset.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "support/flows/user_flow.h"

// Where a window reading as Mode shows a rectangle of its grid coordinates:
// mirrored right to left, as the user sees the cells.
inline TRect ShownAs(TBiDiMode Mode, const TControl* Grid, const TRect& R) {
    if (Mode != bdRightToLeft) return R;
    const int w = Grid->ClientWidth();
    return Rect(w - R.Right, R.Top, w - R.Left, R.Bottom);
}

// Gives a flow's grid the direction Mode where it takes it from: itself, or
// (ByForm) the form it follows.
inline void SetGridDirection(TControl* Grid, bool ByForm, TBiDiMode Mode) {
    if (ByForm)
        Grid->Parent()->SetBiDiMode(Mode);
    else
        Grid->SetBiDiMode(Mode);
}

// A real click on the vertical scroll bar of a grid reading as Mode, where
// its window draws the bar (left of the client area unless left to right):
// on its down arrow at the bottom end (Down) or its up arrow at the top.
inline void ClickGridScrollBar(TWinControl* Grid, TBiDiMode Mode, bool Down) {
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    const int x = Mode == bdLeftToRight ? Grid->ClientWidth() + t / 2 : -t / 2;
    SendScreenClick(Grid->ClientToScreen({x, Down ? Grid->ClientHeight() - t / 2 : t / 2}));
    ProcessEvents();
}

// Makes a grid hold its title row and one row of records.
template <class TGrid>
void ShowOneGridRow(TGrid* Grid) {
    int h = 0;
    for (int r = 0; r <= Grid->TitleOffset(); ++r) h += Grid->RowHeights(r) + Grid->GridLineWidth();
    Grid->SetHeight(Grid->Height() - Grid->ClientHeight() + h + 1);
    ProcessEvents();
}

// TGrid: the grid class; its columns are the flows' fields in their order.
template <class TGrid>
class TGridFlowOf : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.Grid = c.EnterToTab = c.ArrowsLeave = c.EditorKeys = c.ReadOnly = c.Titles = true;
        c.Turns = FBiDiMode == bdRightToLeft;
        c.ScrollBar = true;
        return c;
    }
    std::string Shown(const std::string& Field) override {
        if (EditorOpen() && ColumnField() == Field) return FGrid->InplaceEditor()->Text();
        return FGrid->DataSource()->DataSet()->FieldByName(Field)->Text();
    }
    void Click(const std::string& Field, int Row) override {
        const TPoint p = Centre(Field, Row);
        SendClick(FGrid, p.X, p.Y);
        ProcessEvents();
    }
    void DoubleClick(const std::string& Field) override {
        const TPoint p = Centre(Field, FGrid->Row() - FGrid->TitleOffset());
        SendDoubleClick(FGrid, p.X, p.Y);
        ProcessEvents();
    }
    void ClickTitle(const std::string& Field) override {
        const TRect r =
            ShownAs(FBiDiMode, FGrid, FGrid->CellRect(Index(Field) + FGrid->IndicatorOffset(), 0));
        SendClick(FGrid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
    }
    void ShowOneRow() override { ShowOneGridRow(FGrid); }
    void ClickScrollBar(bool Down) override { ClickGridScrollBar(FGrid, FBiDiMode, Down); }
    TWinControl* Control(const std::string&) override { return FGrid; }
    bool EditorOpen() override { return FGrid->InplaceEditor() && FGrid->InplaceEditor()->Visible(); }
    void SetReadOnly(bool On) override { FGrid->SetReadOnly(On); }
    void SetDirection(TBiDiMode Mode) override {
        FBiDiMode = Mode;
        SetGridDirection(FGrid, FByForm, Mode);
    }
    // The editor's middle lies in the current cell, its top on the cell's.
    bool EditorOverCell() override {
        if (!EditorOpen()) return false;
        const TRect cell = FGrid->GridToClientRect(FGrid->CellRect(FGrid->Col(), FGrid->Row()));
        const TRect editor = FGrid->InplaceEditor()->BoundsRect();
        const int middle = (editor.Left + editor.Right) / 2;
        return middle >= cell.Left && middle < cell.Right && editor.Top == cell.Top;
    }
    // The grid's direction, set when it is made (on the form when ByForm:
    // the grid follows it).
    void SetBiDiMode(TBiDiMode Value, bool ByForm = false) {
        FBiDiMode = Value;
        FByForm = ByForm;
    }

protected:
    // Makes the grid on Form, without a border, where the flows look for it.
    void Place(TForm* Form) {
        FGrid = new TGrid(Form);
        FGrid->SetParent(Form);
        FGrid->SetBounds(8, 8, 600, 320);
        FGrid->SetBorderStyle(bsNone);
        SetGridDirection(FGrid, FByForm, FBiDiMode);
    }
    int Index(const std::string& Field) const {
        int col = 0;
        while (Fields()[col] != Field) ++col;
        return col;
    }
    // Where the window shows the cell as the grid should read.
    TPoint Centre(const std::string& Field, int Row) const {
        const TRect r =
            ShownAs(FBiDiMode, FGrid,
                    FGrid->CellRect(Index(Field) + FGrid->IndicatorOffset(), Row + FGrid->TitleOffset()));
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    std::string ColumnField() const { return Fields()[FGrid->SelectedIndex()]; }

    TGrid* FGrid = nullptr;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FByForm = false;
    std::function<void(const std::string&)> FOnTitleClick;
};

// A flow control of TFlow whose grid reads right to left, set on the grid
// or on its form.
template <class TFlow>
std::unique_ptr<TFlowControl> RightToLeftFlow(bool ByForm = false) {
    auto flow = std::make_unique<TFlow>();
    flow->SetBiDiMode(bdRightToLeft, ByForm);
    return flow;
}
