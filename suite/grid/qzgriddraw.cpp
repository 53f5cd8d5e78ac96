// The grid's cell routines that descendants and collaborators share: the
// highlight, the cell colours and backgrounds, the text writing, check boxes,
// group header rectangles and the indicator image of a row.
#include <algorithm>
#include <cmath>

#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzstr.h"
#include "suite/grid/qzbitmap.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"
#include "suite/grid/qzgridimages.h"
#include "suite/grid/qzgridrichcell.h"

namespace {

// Keeps the data link's active record and puts it back.
struct ActiveRecordKeeper {
    explicit ActiveRecordKeeper(TqzGridDataLink* ALink) : Link(ALink), Saved(ALink->ActiveRecord()) {}
    ~ActiveRecordKeeper() { Link->SetActiveRecord(Saved); }
    TqzGridDataLink* Link;
    int Saved;
};

}  // namespace

void TqzCustomDBGrid::SetImageList(TImageList* Value) {
    if (Value == FImpl->ImageList) return;
    if (FImpl->ImageList) FImpl->ImageList->RemoveFreeNotification(this);
    FImpl->ImageList = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TqzCustomDBGrid::SetHotCell(int ACol, int ARow) {
    const TGridCoord next{ACol, ARow};
    if (next == FImpl->HotCell) return;
    if (FImpl->HotCell.X >= 0) InvalidateCell(FImpl->HotCell.X, FImpl->HotCell.Y);
    FImpl->HotCell = next;
    if (ACol >= 0) InvalidateCell(ACol, ARow);
}

// ---- Decisions ----------------------------------------------------------------------------

int TqzCustomDBGrid::IndicatorImageIndex(int DataRow) {
    TDataSet* ds = FImpl->DataLink->DataSet();
    if (!ds || !FImpl->DataLink->Active()) return -1;
    const bool current = DataRow == FImpl->DataLink->ActiveRecord();
    const bool multi = FImpl->Options.Contains(dgMultiSelect);
    bool selected = false;
    if (multi) {
        ActiveRecordKeeper keep(FImpl->DataLink.get());
        FImpl->DataLink->SetActiveRecord(DataRow);
        selected = IsRecordSelected();
    }
    if (current && ds->State() == dsEdit) return 1;
    if (current && ds->State() == dsInsert) return 2;
    if (current) return multi && selected ? 4 : 0;
    return multi && selected ? 3 : -1;
}

bool TqzCustomDBGrid::HighlightCell(int ACol, int ARow, TGridDrawState AState) {
    const bool currentRow = ARow == Row();
    bool candidate =
        AState.Contains(gdSelected) || (currentRow && FImpl->PaintOptions->ActiveRecordColor() != clNone);
    if (candidate && !FImpl->Options.Contains(dgAlwaysShowSelection)) {
        const bool focus = Focused() || (InplaceEditor() && InplaceEditor()->Focused()) || FImpl->HasFocus;
        candidate = focus;
    }
    if (FImpl->Options.Contains(dgMultiSelect) && !AState.Contains(gdFixed) &&
        ACol >= FImpl->IndicatorOffset && ARow >= FImpl->TitleOffset) {
        ActiveRecordKeeper keep(FImpl->DataLink.get());
        FImpl->DataLink->SetActiveRecord(ARow - FImpl->TitleOffset);
        return IsRecordSelected();
    }
    return candidate;
}

bool TqzCustomDBGrid::GetCheckBoxValues(const std::string& FieldName, std::string& Checked,
                                        std::string& Unchecked) {
    Checked.clear();
    Unchecked.clear();
    TDataSet* ds = FImpl->DataLink->DataSet();
    TObject* source = this;
    if (FImpl->ControlInfoInDataset && ds && qzGetControlType(ds)) source = ds;
    TStrings* lines = qzGetControlType(source);
    if (!lines) return false;
    for (int i = 0; i < lines->Count(); ++i) {
        const std::vector<std::string> parts = qzSemiParts(lines->Strings(i));
        if (parts.size() < 4 || parts[0] != FieldName || parts[1] != "CheckBox") continue;
        Checked = parts[2];
        Unchecked = parts[3];
        return true;
    }
    return false;
}

void TqzCustomDBGrid::CalcCellColors(TField* Field, TGridDrawState State, bool Highlight, TFont* AFont,
                                     TBrush* ABrush) {
    FImpl->OnCalcCellColors(this, Field, State, Highlight, AFont, ABrush);
}

// ---- Backgrounds ----------------------------------------------------------------------------

void TqzCustomDBGrid::FillDataCellBackground(TCanvas* C, const TRect& R, int ACol, int ARow) {
    const TqzAlternatingRowRegions regions = FImpl->PaintOptions->AlternatingRowRegions();
    const bool activeCol = ACol == Col();
    const bool altRegion =
        activeCol ? regions.Contains(arrActiveDataColumn) : regions.Contains(arrDataColumns);
    const bool alternate = ((ARow - FImpl->TitleOffset) % 2 == 1) != FImpl->AltPhase;
    const bool altRow = FImpl->PaintOptions->AlternatingRowColor() != clNone && altRegion && alternate;
    if (FImpl->PaintOptions->FillsDataCells()) {
        TqzBitmap* band = altRow ? FImpl->PaintOptions->AlternatingRowImage() : nullptr;
        if (band) {
            TRect src = Rect(R.Left, 0, R.Right, std::min(R.Height(), band->Height()));
            C->CopyRect(Rect(R.Left, R.Top, R.Right, R.Top + src.Height()), band->Canvas(), src);
        } else {
            C->CopyRect(R, FImpl->PaintOptions->BackgroundCanvas(), R);
        }
        return;
    }
    if (altRow) C->Brush()->SetColor(FImpl->PaintOptions->AlternatingRowColor());
    C->FillRect(R);
}

void TqzCustomDBGrid::FillFixedCellBackground(TCanvas* C, const TRect& R, int, int ARow) {
    const bool alternate =
        ARow >= FImpl->TitleOffset && ((ARow - FImpl->TitleOffset) % 2 == 1) != FImpl->AltPhase;
    if (FImpl->PaintOptions->FillsDataCells()) {
        C->CopyRect(R, FImpl->PaintOptions->BackgroundCanvas(), R);
        return;
    }
    if (alternate && FImpl->PaintOptions->AlternatingRowColor() != clNone &&
        FImpl->PaintOptions->AlternatingRowRegions().Contains(arrFixedColumns))
        C->Brush()->SetColor(FImpl->PaintOptions->AlternatingRowColor());
    C->FillRect(R);
}

// ---- Text -------------------------------------------------------------------------------------

void TqzCustomDBGrid::WriteCellText(TCanvas* C, const TRect& ARect, int DX, int DY, TAlignment Alignment,
                                    int Flags, const std::string& Text) {
    if (IsRectEmpty(ARect)) return;
    TCanvasClip clip(C, ARect);
    if (!(Flags & wctNoFill)) {
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(ARect);
    }
    unsigned fmt = DT_EXPANDTABS | DT_NOPREFIX;
    if (Alignment == taRightJustify) fmt |= DT_RIGHT;
    if (Alignment == taCenter) fmt |= DT_CENTER;
    if (Flags & wctPrefix) fmt &= ~DT_NOPREFIX;
    std::string text = Text;
    TRect r = ARect;
    r.Left += DX;
    r.Top += DY;
    if (Alignment == taRightJustify) r.Right -= DX + 1;
    if (Flags & wctTitle) {
        // "~" starts a new title line.
        std::replace(text.begin(), text.end(), '~', '\n');
    } else {
        if (Flags & wctWordBreak) fmt |= DT_WORDBREAK;
        const bool single = qzIsSingleLineRect(C, ARect, fmt);
        if ((fmt & DT_WORDBREAK) && (single || (Flags & wctEllipsis))) fmt &= ~DT_WORDBREAK;
        if (Flags & wctEllipsis) fmt |= DT_END_ELLIPSIS;
        if (!(fmt & DT_WORDBREAK)) fmt |= DT_SINGLELINE;
    }
    C->Brush()->SetStyle(bsClear);
    DrawText(C, text, r, fmt);
    C->Brush()->SetStyle(bsSolid);
}

void TqzCustomDBGrid::DrawCheckBox(const TRect& ARect, int ACol, int, bool Checked) {
    TCanvas* C = DrawCanvas();
    const TqzCheckBoxInGridStyle style = qzIntl() ? qzIntl()->CheckBoxInGridStyle() : cbStyleAuto;
    TqzColumn* column = Columns(ACol - FImpl->IndicatorOffset);
    const bool readOnly = column && column->ReadOnly();
    const bool themes = qzUseThemes(this);
    if (style == cbStyleCheckmark || style == cbStyleCheckmarkFlat || (style == cbStyleAuto && themes)) {
        TRect box = Rect(ARect.Left - 1, ARect.Top - 1, ARect.Right + 2, ARect.Bottom + 2);
        unsigned state = DFCS_BUTTONCHECK;
        if (Checked) state |= DFCS_CHECKED;
        if (readOnly) state |= DFCS_INACTIVE;
        if (style == cbStyleCheckmarkFlat) state |= DFCS_FLAT;
        DrawFrameControl(C, box, DFC_BUTTON, state);
        return;
    }
    TRect box = ARect;
    DrawFrameControl(C, box, DFC_BUTTON, DFCS_BUTTONCHECK | (readOnly ? DFCS_INACTIVE : 0));
    if (!Checked) return;
    // The X: two diagonal strokes two pixels wide, 2 pixels in from the frame.
    const int l = ARect.Left + 2, t = ARect.Top + 2, r = ARect.Right - 2, b = ARect.Bottom - 2;
    for (int i = 0; l + i < r && t + i < b; ++i)
        for (int w = 0; w < 2; ++w) {
            if (l + i + w < r) {
                C->SetPixels(l + i + w, t + i, clBlack);
                C->SetPixels(r - 1 - i - w, t + i, clBlack);
            }
        }
}

int TqzCustomDBGrid::GroupHeaderHeight() const {
    if (FImpl->TitleOffset == 0 || RowCount() == 0) return 0;
    return RowHeights(0) / std::max(2, FImpl->TitleLines);
}

TRect TqzCustomDBGrid::GroupHeaderRect(int ACol) const {
    TqzColumn* column = Columns(ACol - FImpl->IndicatorOffset);
    const std::string group = column ? column->GroupName() : std::string();
    if (group.empty() || FImpl->TitleOffset == 0) return {};
    auto sameGroup = [&](int c) {
        TqzColumn* other = c >= FImpl->IndicatorOffset ? Columns(c - FImpl->IndicatorOffset) : nullptr;
        return other && other->GroupName() == group && !IsRectEmpty(CellRect(c, 0));
    };
    int first = ACol, last = ACol;
    while (first - 1 >= FixedCols() && sameGroup(first - 1)) --first;
    while (last + 1 < ColCount() && sameGroup(last + 1)) ++last;
    const TRect a = CellRect(first, 0), b = CellRect(last, 0);
    return Rect(a.Left, a.Top, b.Right, a.Top + GroupHeaderHeight());
}
