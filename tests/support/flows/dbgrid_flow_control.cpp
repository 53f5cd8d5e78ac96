// The published suite grid in the user-flow suite: over the text fields
// with its in-place editor, and over the two date fields with its own
// date-time picker.
#include <cstdio>

#include "platform/db/dataset.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbgrid.h"
#include "support/flows/suite_grid_flow.h"
#include "support/flows/user_flow.h"

namespace {

// The grid with its protected cell-editor switch reachable.
class TFlowDBGrid : public TqzDBGrid {
public:
    explicit TFlowDBGrid(TComponent* AOwner) : TqzDBGrid(AOwner) {}
};

using TDBGridFlow = TSuiteGridFlowOf<TFlowDBGrid>;

// The date cells: typed digits and the drop-down go to the grid's picker.
class TDBGridDatesFlow : public TFlowControl {
public:
    TFlowCaps Caps() const override {
        TFlowCaps c;
        c.Grid = c.DropDown = c.DateParts = c.ReadOnly = c.Titles = c.ScrollBar = true;
        c.Turns = FBiDiMode == bdRightToLeft;
        return c;
    }
    std::vector<std::string> Fields() const override { return {"Start", "Due"}; }
    void SetBiDiMode(TBiDiMode Value, bool ByForm = false) {
        FBiDiMode = Value;
        FByForm = ByForm;
    }
    void Build(TForm* Form, TDataSource* Source) override {
        FGrid = new TqzDBGrid(Form);
        FGrid->SetParent(Form);
        FGrid->SetBounds(8, 8, 600, 320);
        SetGridDirection(FGrid, FByForm, FBiDiMode);
        FGrid->SetUseTFields(false);
        FGrid->Selected()->SetText("Start\t15\tStart\nDue\t15\tDue\n");
        FGrid->SetDataSource(Source);
    }
    void Focus(const std::string& Field) override {
        FGrid->SetFocus();
        FGrid->SelectDataColumn(Field == "Start" ? 0 : 1);
        ProcessEvents();
    }
    std::string Shown(const std::string& Field) override {
        TqzDBDateTimePicker* p = FGrid->DateTimePicker();
        if (p && p->Visible() && p->DataField() == Field) return p->Text();
        return FGrid->DataSource()->DataSet()->FieldByName(Field)->Text();
    }
    void Click(const std::string& Field, int Row) override {
        const TRect r = ShownAs(FBiDiMode, FGrid,
                                FGrid->CellRect((Field == "Start" ? 0 : 1) + FGrid->IndicatorOffset(),
                                                Row + FGrid->TitleOffset()));
        SendClick(FGrid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
    }
    void ClickTitle(const std::string& Field) override {
        const TRect r = ShownAs(FBiDiMode, FGrid,
                                FGrid->CellRect((Field == "Start" ? 0 : 1) + FGrid->IndicatorOffset(), 0));
        SendClick(FGrid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
    }
    void SetOnTitleClick(std::function<void(const std::string&)> Handler) override {
        FOnTitleClick = std::move(Handler);
        FGrid->SetTitleButtons(true);
        FGrid->SetOnTitleButtonClick([this](TObject*, const std::string& Field) { FOnTitleClick(Field); });
    }
    TWinControl* Control(const std::string&) override { return FGrid; }
    void ShowOneRow() override { ShowOneGridRow(FGrid); }
    void ClickScrollBar(bool Down) override { ClickGridScrollBar(FGrid, FBiDiMode, Down); }
    void SetReadOnly(bool On) override { FGrid->SetReadOnly(On); }
    void SetDirection(TBiDiMode Mode) override {
        FBiDiMode = Mode;
        SetGridDirection(FGrid, FByForm, Mode);
    }
    // The picker starts one pixel in from the current cell's leading edge
    // (it may reach past the other).
    bool EditorOverCell() override {
        TqzDBDateTimePicker* p = FGrid->DateTimePicker();
        if (!p || !p->Visible()) return false;
        const TRect cell = FGrid->GridToClientRect(FGrid->CellRect(FGrid->Col(), FGrid->Row()));
        const bool lead = FGrid->UseRightToLeftAlignment() ? p->Left() + p->Width() == cell.Right - 1
                                                           : p->Left() == cell.Left + 1;
        return lead && p->Top() == cell.Top + 1;
    }
    bool DroppedDown() override {
        return FGrid->DateTimePicker() && FGrid->DateTimePicker()->IsDroppedDown();
    }
    // A whole date for the flows' letters, typed as it is shown.
    std::string Typed(const std::string& Text) const override {
        if (Text == "!") return "2031";
        unsigned sum = 0;
        for (char ch : Text) sum = sum * 31 + static_cast<unsigned char>(ch);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02u/%02u/%04u", 1 + sum % 12, 1 + (sum / 12) % 28, 2022 + sum % 5);
        return buf;
    }
    std::string EndAndType(const std::string& Shown, const std::string& Text) const override {
        return Shown.substr(0, Shown.size() - 4) + Typed(Text);
    }

private:
    TqzDBGrid* FGrid = nullptr;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FByForm = false;
    std::function<void(const std::string&)> FOnTitleClick;
};

TFlowRegistration dbGrid("DBGrid", [] { return std::make_unique<TDBGridFlow>(); });
TFlowRegistration dbGridDates("DBGridDates", [] { return std::make_unique<TDBGridDatesFlow>(); });
TFlowRegistration dbGridRtl("DBGridRightToLeft", [] { return RightToLeftFlow<TDBGridFlow>(); });
TFlowRegistration dbGridDatesRtl("DBGridDatesRightToLeft", [] {
    auto flow = std::make_unique<TDBGridDatesFlow>();
    flow->SetBiDiMode(bdRightToLeft);
    return flow;
});
TFlowRegistration dbGridDatesFormRtl("DBGridDatesRightToLeftByForm", [] {
    auto flow = std::make_unique<TDBGridDatesFlow>();
    flow->SetBiDiMode(bdRightToLeft, true);
    return flow;
});

}  // namespace
