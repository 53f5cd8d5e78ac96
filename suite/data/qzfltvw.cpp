// Filling the summary rows from the criteria and drawing its cells.
#include "suite/data/qzfltvw.h"

#include "platform/ui/application.h"
#include "platform/ui/drawing.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/stringgrid.h"
#include "suite/base/qzdialog.h"
#include "suite/base/qzintl.h"

namespace {

// Cells can be selected and entered but not changed.
class TqzSummaryGrid : public TStringGrid {
    TASKMOOR_CLASS(TqzSummaryGrid, TStringGrid)
public:
    using TStringGrid::TStringGrid;

protected:
    bool CanEditModify() override { return false; }
};

std::string WithoutAmpersands(const std::string& Text) {
    std::string s;
    for (char c : Text)
        if (c != '&') s += c;
    return s;
}

bool HoldsWord(const std::string& Value, const TqzFieldOperators* Operators) {
    bool isOr = false, isAnd = false;
    std::string separator;
    qzFindListOperator(Value, Operators, isOr, separator, isAnd);
    return isOr || isAnd;
}

}  // namespace

TqzFilterDialogView::TqzFilterDialogView(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Show Search Summary");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    Font()->SetStyle(TFontStyles{fsBold});
    SetWidth(489);
    FStringGrid1 = new TqzSummaryGrid(this);
    FStringGrid1->SetParent(this);
    FStringGrid1->SetBounds(8, 8, 464, 150);
    FStringGrid1->SetColCount(3);
    FStringGrid1->SetFixedCols(0);
    FStringGrid1->SetFixedRows(1);
    FStringGrid1->SetDefaultRowHeight(18);
    FStringGrid1->SetScrollBars(ssVertical);
    FStringGrid1->SetOptions(FStringGrid1->Options() + goEditing);
    FStringGrid1->SetTabStop(false);
    FStringGrid1->SetColWidths(0, 120);
    FStringGrid1->SetColWidths(1, 140);
    FStringGrid1->SetColWidths(2, 197);
    FStringGrid1->SetOnDrawCell(TDrawCellEvent(this, &TqzFilterDialogView::DrawCell));
    // The Cancel button only answers Escape.
    FCancelButton = qzCreateDialogButton(this, qzbkCancel);
    FCancelButton->SetParent(this);
    FCancelButton->SetBounds(-200, -200, FCancelButton->Width(), FCancelButton->Height());
    FCancelButton->SetVisible(true);
    FOKButton = qzCreateDialogButton(this, qzbkOK);
    FOKButton->SetParent(this);
    FOKButton->SetTabOrder(0);
    FOKButton->SetDefault(true);
    FOKButton->SetBounds((ClientWidth() - FOKButton->Width()) / 2,
                         FStringGrid1->Top() + FStringGrid1->Height() + 9, FOKButton->Width(),
                         FOKButton->Height());
    FOKButton->SetVisible(true);
    SetClientHeight(FOKButton->Top() + FOKButton->Height() + 9);
}

void TqzFilterDialogView::Fill(const TqzFieldInfoList& Criteria, const TqzFieldOperators* Operators) {
    const TqzFilterDialogIntl* t = qzIntl()->FilterDialog();
    FStringGrid1->SetRowCount(static_cast<int>(Criteria.size()) + 1);
    FStringGrid1->SetCells(0, 0, t->SummaryFieldLabel());
    FStringGrid1->SetCells(1, 0, t->SummarySearchLabel());
    FStringGrid1->SetCells(2, 0, t->SummaryValueLabel());
    if (!t->SummaryCaption().empty()) SetCaption(t->SummaryCaption());
    for (size_t i = 0; i < Criteria.size(); ++i) {
        const TqzFieldInfo& c = Criteria[i];
        const int row = static_cast<int>(i) + 1;
        std::string match, value;
        switch (c.MatchType) {
        case fdMatchStart: match = WithoutAmpersands(t->MatchStartLabel()); break;
        case fdMatchAny: match = WithoutAmpersands(t->MatchAnyLabel()); break;
        case fdMatchExact: match = WithoutAmpersands(t->MatchExactLabel()); break;
        case fdMatchRange: match = WithoutAmpersands(t->ByRangeLabel()); break;
        default: continue;  // an end match leaves its row empty
        }
        if (c.MatchType == fdMatchRange) {
            if (!c.MinValue.empty()) value = ">=" + c.MinValue;
            if (!c.MinValue.empty() && !c.MaxValue.empty()) value += ", ";
            if (!c.MaxValue.empty()) value += "<=" + c.MaxValue;
        } else if (c.NonMatching) {
            value = HoldsWord(c.FilterValue, Operators) ? t->ViewSummaryNotText() + " (" + c.FilterValue + ")"
                                                        : t->ViewSummaryNotText() + " " + c.FilterValue;
        } else {
            value = c.FilterValue;
        }
        FStringGrid1->SetCells(0, row, c.DisplayLabel);
        FStringGrid1->SetCells(1, row, match);
        FStringGrid1->SetCells(2, row, value);
    }
}

void TqzFilterDialogView::DrawCell(TObject*, int ACol, int ARow, TRect Rect, TGridDrawState State) {
    if (ARow == 0 || State.Contains(gdFixed)) {
        TCanvas* c = FStringGrid1->Canvas();
        c->FillRect(Rect);
        TRect t = ::Rect(Rect.Left + 2, Rect.Top + 2, Rect.Right, Rect.Bottom);
        c->Brush()->SetStyle(bsClear);
        DrawText(c, FStringGrid1->Cells(ACol, ARow), t, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
        c->Brush()->SetStyle(bsSolid);
        return;
    }
    TCanvas* c = FStringGrid1->Canvas();
    c->Brush()->SetColor(clWhite);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Rect);
    c->Font()->SetColor(clBlack);
    TRect t = ::Rect(Rect.Left + 2, Rect.Top + 2, Rect.Right, Rect.Bottom);
    c->Brush()->SetStyle(bsClear);
    DrawText(c, FStringGrid1->Cells(ACol, ARow), t, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
    c->Brush()->SetStyle(bsSolid);
}

void TqzFilterDialogView::DoShow() {
    if (qzIntl()) Font()->SetStyle(qzIntl()->DialogFontStyle());
    TForm::DoShow();
}

void qzShowFilterDialogView(const TqzFieldInfoList& Criteria, const TqzFieldOperators* Operators) {
    std::unique_ptr<TqzFilterDialogView> view(new TqzFilterDialogView(Application));
    view->Fill(Criteria, Operators);
    view->ShowModal();
}
