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
#include "platform/ui/messages.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzstr.h"
#include "suite/grid/qzbitmap.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"
#include "suite/grid/qzgridimages.h"
#include "suite/grid/qzgridrichcell.h"

void TqzCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    FImpl->Cells.Draw(ACol, ARow, ARect, AState);
}

void TqzCustomDBGrid::DoAfterDrawCell(TqzCustomDrawGridCellInfo& Info) {
    FImpl->OnAfterDrawCell(this, Info);
    if (FImpl->GroupFieldName.empty() || Info.DataRow < 0 || !FImpl->Cells.GroupState().Last) return;
    // The separator: the bottom pixel row of every cell of a group's last row.
    TCanvas* C = DrawCanvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FImpl->LineColors->FixedColor());
    C->FillRect(Rect(Info.Rect.Left, Info.Rect.Bottom - 1, Info.Rect.Right, Info.Rect.Bottom));
}

void TqzCustomDBGrid::CalcGroupState() {
    TqzGroupState& state = FImpl->Cells.GroupState();
    state = {};
    if (FImpl->GroupFieldName.empty() || !DataSetActive()) return;
    TField* field = FImpl->DataLink->DataSet()->FindField(FImpl->GroupFieldName);
    if (!field) return;
    TqzGridDataLink* link = FImpl->DataLink.get();
    const int row = link->ActiveRecord(), count = link->RecordCount();
    if (row < 0 || row >= count) return;
    TqzActiveRecordKeeper keep(link);
    // A null value is a group of its own, apart from an empty text.
    auto value = [&](int Row) {
        link->SetActiveRecord(Row);
        return field->IsNull() ? std::string("\x01null") : "=" + field->AsString();
    };
    const std::string own = value(row);
    state.First = row == 0 || value(row - 1) != own;
    // Below the bottom row: the record after the rows shown, if any.
    if (row + 1 < count) {
        state.Last = value(row + 1) != own;
    } else {
        std::string next;
        const bool more = link->ReadRecordAfterWindow(
            [&] { next = field->IsNull() ? std::string("\x01null") : "=" + field->AsString(); });
        state.Last = !more || next != own;
    }
}

void TqzCustomDBGrid::SetImageList(TImageList* Value) {
    if (Value == FImpl->ImageList) return;
    if (FImpl->ImageList) FImpl->ImageList->RemoveFreeNotification(this);
    FImpl->ImageList = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TqzCustomDBGrid::SetHotCell(int ACol, int ARow) {
    const TGridCoord next{ACol, ARow}, old = FImpl->Cells.HotCell();
    if (next == old) return;
    if (old.X >= 0) InvalidateCell(old.X, old.Y);
    FImpl->Cells.SetHotCell(next);
    if (ACol >= 0) InvalidateCell(ACol, ARow);
}

// ---- Decisions ----------------------------------------------------------------------------

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
        TqzActiveRecordKeeper keep(FImpl->DataLink.get());
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
    if (!(Flags & TqzCellTextFlags::wctNoFill)) {
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(ARect);
    }
    unsigned fmt = DT_EXPANDTABS | DT_NOPREFIX;
    if (Alignment == taRightJustify) fmt |= DT_RIGHT;
    if (Alignment == taCenter) fmt |= DT_CENTER;
    if (Flags & TqzCellTextFlags::wctPrefix) fmt &= ~DT_NOPREFIX;
    std::string text = Text;
    TRect r = ARect;
    r.Left += DX;
    r.Top += DY;
    if (Alignment == taRightJustify) r.Right -= DX + 1;
    if (Flags & TqzCellTextFlags::wctTitle) {
        // "~" starts a new title line.
        std::replace(text.begin(), text.end(), '~', '\n');
    } else {
        if (Flags & TqzCellTextFlags::wctWordBreak) fmt |= DT_WORDBREAK;
        const bool single = qzIsSingleLineRect(C, ARect, fmt);
        if ((fmt & DT_WORDBREAK) && (single || (Flags & TqzCellTextFlags::wctEllipsis))) fmt &= ~DT_WORDBREAK;
        if (Flags & TqzCellTextFlags::wctEllipsis) fmt |= DT_END_ELLIPSIS;
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
    // The upper half of the title row, however many lines it has.
    return RowHeights(0) / 2;
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

// The footer, the redraw lock, painting as a whole and the wheel.
int TqzCustomDBGrid::FooterAreaHeight() {
    if (!FImpl->Options.Contains(dgShowFooter)) return 0;
    int h = FImpl->FooterHeight;
    if (h == 0) {
        TCanvas* c = MeasureCanvas();
        h = c->TextHeight("W") + 6;
    }
    if (FImpl->Options.Contains(dgFooter3DCells)) h += 2;
    FImpl->FooterPixels = h;
    return h;
}

void TqzCustomDBGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo) const {
    const TRect r = ClientRect();
    const int footer = FImpl->Options.Contains(dgShowFooter) ? FImpl->FooterPixels : 0;
    CalcDrawInfoXY(DrawInfo, r.Width(), std::max(0, r.Height() - footer));
}

TRect TqzCustomDBGrid::FooterRect() {
    const int h = FooterAreaHeight();
    const TRect c = ClientRect();
    return Rect(0, c.Bottom - h, c.Right, c.Bottom);
}

void TqzCustomDBGrid::BeginPaintLock() {
    if (FImpl->PaintLock++ == 0 && HandleAllocated() && Showing()) Perform(WM_SETREDRAW, 0, 0);
}

void TqzCustomDBGrid::EndPaintLock(bool Repaint) {
    if (FImpl->PaintLock == 0) return;
    if (--FImpl->PaintLock > 0) return;
    if (HandleAllocated() && Showing()) Perform(WM_SETREDRAW, 1, 0);
    if (Repaint) Invalidate();
}

TRect TqzCustomDBGrid::GenericFocusRect() {
    // The generic grid draws its focus rectangle under these conditions.
    const bool editorShows = InplaceEditor() && InplaceEditor()->Visible();
    if (!IsActiveControl() || !DefaultDrawing() || editorShows || ComponentState().Contains(csDesigning))
        return TRect{};
    return FImpl->Options.Contains(dgRowSelect) ? BoxRect(FixedCols(), Row(), ColCount() - 1, Row())
                                                : CellRect(Col(), Row());
}

void TqzCustomDBGrid::Paint() {
    TCanvas* C = Canvas();
    const int footerBefore = FImpl->FooterPixels;
    FooterAreaHeight();
    // A footer that changed height moves the data area: lay out again.
    if (FImpl->FooterPixels != footerBefore && FImpl->Options.Contains(dgShowFooter)) UpdateRowCount();
    FImpl->Painter.PaintBackground(C);
    FImpl->OnBeforePaint(this);
    const TMirroredPaint mirror(this);
    TCustomGrid::Paint();
    FImpl->Painter.PaintOverCells(C, GenericFocusRect());
    FImpl->Drag.Paint(C);
    FImpl->Painter.PaintFooter(C);
}

bool TqzCustomDBGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TControl::DoMouseWheelDown(Shift, MousePos)) return true;
    if (DataSetActive()) FImpl->DataLink->DataSet()->Next();
    return true;
}

bool TqzCustomDBGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TControl::DoMouseWheelUp(Shift, MousePos)) return true;
    if (DataSetActive()) FImpl->DataLink->DataSet()->Prior();
    return true;
}
