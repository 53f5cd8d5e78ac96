// The grid's mouse: title buttons, clicks on data cells and URL cells,
// double-click column fitting and row sizing.
#include <algorithm>
#include <cmath>

#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/shell_open.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"

void TqzCustomDBGrid::DoURLOpen(std::string& Link, TField* Field, bool& UseDefault) {
    FImpl->OnURLOpen(this, Link, Field, UseDefault);
}

std::string TqzCustomDBGrid::URLAddress(const std::string& Text) const {
    std::string display, address;
    SplitURLText(Text, display, address);
    // Nothing after the "#" is no address at all.
    const size_t hash = Text.find('#');
    if (hash != std::string::npos && hash + 1 == Text.size()) return {};
    if (address.empty()) return {};
    // A bare mail address: an "@" after the first character and before the first ".".
    if (UpperCase(address).find("MAILTO:") == std::string::npos) {
        const size_t at = address.find('@'), dot = address.find('.');
        if (at != std::string::npos && at >= 1 && (dot == std::string::npos || at < dot))
            address = "MailTo:" + address;
    }
    return address;
}

void TqzCustomDBGrid::InvalidateTitleRow() {
    if (FImpl->TitleOffset > 0) InvalidateRow(0);
}

bool TqzCustomDBGrid::OnSizingLine(int X, int Y) {
    TGridDrawInfo di;
    TGridState state = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    CalcSizingState(X, Y, state, index, pos, ofs, di);
    return state != gsNormal;
}

void TqzCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    HideCellHint();
    const int leftColAtPress = LeftCol();
    const bool dbl = Shift.Contains(ssDouble);
    if (dbl && FImpl->Options.Contains(dgDblClickColSizing) && CanFocus()) {
        const TGridCoord c = MouseCoordBefore(X, Y, 5);
        if (c.Y >= 0 && c.Y < FImpl->TitleOffset && c.X >= 0) {
            const TRect r = CellRect(c.X, c.Y);
            if (const int gx = GridX(X); gx >= r.Right - 8 && gx <= r.Right + 5) {
                BestFitColumn(c.X);
                return;
            }
        }
    }
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.Y < 0 || cell.X < 0) {
        TakeFocus();
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (cell.Y < FImpl->TitleOffset) {
        TakeFocus();
        if (Button == mbLeft && FImpl->TitleButtons && cell.X >= FImpl->IndicatorOffset &&
            !ComponentState().Contains(csDesigning)) {
            // A press above the bottom of the group header presses the header.
            const TRect header = GroupHeaderRect(cell.X);
            FImpl->Titles.Press(cell.X, !IsRectEmpty(header) && Y < header.Bottom);
            InvalidateCell(cell.X, cell.Y);
        }
        // A press on a column's sizing edge sizes it instead.
        if (Button == mbLeft && !dbl && FImpl->Drag.Movable(cell.X) && !OnSizingLine(X, Y)) {
            HideEditor();
            FImpl->Drag.Press(cell.X, X, Y);
            TControl::MouseDown(Button, Shift, X, Y);
            return;
        }
        // Column sizing is the generic grid's.
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    // Row and column sizing lines.
    if (Button == mbLeft && !dbl) {
        TGridDrawInfo di;
        TGridState state = gsNormal;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(X, Y, state, index, pos, ofs, di);
        if (state != gsNormal) {
            if (state == gsRowSizing) FImpl->SizingRow = index;
            TCustomGrid::MouseDown(Button, Shift, X, Y);
            return;
        }
    }
    if (!DataSetActive() || cell.X < FImpl->IndicatorOffset) {
        TakeFocus();
        TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    const bool sameCell = cell.X == Col() && cell.Y == Row();
    if (sameCell && !dbl && !IsCustomControlCell(cell.X, cell.Y) && !IsMemoCell(cell.X, cell.Y))
        ShowEditorIfAllowed();
    if (!TakeFocus()) return;
    if (!FImpl->Options.Contains(dgRowSelect) && cell.X != Col() &&
        (cell.X >= FixedCols() || FImpl->Options.Contains(dgFixedEditable)))
        SelectDataColumn(cell.X - FImpl->IndicatorOffset);
    // The record shown at the press, though leaving an insert moves the rows.
    if (cell.Y != Row()) FImpl->DataLink->MoveToShownRecord(cell.Y - FImpl->TitleOffset);
    if (!sameCell) DoCellChanged();
    TField* field = GetColField(cell.X - FImpl->IndicatorOffset);
    if (Button == mbLeft && !dbl && field) {
        std::string type, params;
        GetControlInfo(field->FieldName(), type, params);
        if (type == "URL-Link") {
            // The handler hears the field's text; the default open takes the
            // address part, and only a web address.
            std::string link = field->Text();
            bool useDefault = true;
            DoURLOpen(link, field, useDefault);
            if (useDefault) {
                const std::string address = URLAddress(link);
                if (!address.empty()) ShellOpenLink(address);
            }
        }
    }
    if (FImpl->Options.Contains(dgMultiSelect) &&
        !(field && LowerCase(field->FieldName()) == "selected" && field->Calculated())) {
        const bool ctrlOrShift = Shift.Contains(ssCtrl) || Shift.Contains(ssShift);
        if (!ctrlOrShift && FImpl->MultiSelectOptions.Contains(msoAutoUnselect)) {
            UnselectAll();
            SelectRecordHook();
        } else if (ctrlOrShift) {
            if (IsRecordSelected())
                UnselectRecordHook();
            else
                SelectRecordHook();
        }
    }
    InvalidateCell(cell.X, cell.Y);
    if (!sameCell && Button == mbLeft) FImpl->InCellControls.ForwardClick(Shift, X, Y, leftColAtPress);
    TControl::MouseDown(Button, Shift, X, Y);
}

void TqzCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const int sizedRow = FImpl->SizingRow;
    if (Button == mbLeft && FImpl->Drag.Pressed()) {
        if (FImpl->Titles.ClearHot()) InvalidateTitleRow();
        FImpl->Drag.Release(X);
    }
    const TControlWatch watch(this);
    TCustomGrid::MouseUp(Button, Shift, X, Y);  // OnMouseUp
    if (watch.Gone()) return;
    if (sizedRow >= 0 && FImpl->Options.Contains(dgRowResize) && sizedRow < RowCount()) {
        // The new height as a percentage of the font's row, never below the set one.
        TCanvas* c = MeasureCanvas();
        const int base = c->TextHeight("W") + 2 + (FImpl->Options.Contains(dgRowLines) ? 1 : 0);
        const int limit = ClientHeight() - (FImpl->TitleOffset > 0 ? RowHeights(0) : 0) - 1;
        const int height = std::min(RowHeights(sizedRow), limit);
        const int percent = std::max(static_cast<int>(std::lround(height * 100.0 / std::max(1, base))),
                                     FImpl->RowHeightPercent);
        if (percent != FImpl->RowHeightPercent) {
            SetRowHeightPercent(percent);
        } else {
            SetDefaultRowHeight(base * FImpl->RowHeightPercent / 100);
        }
        LayoutChanged();
    }
    if (FImpl->Titles.PressedCol() >= 0) {
        const int pressed = FImpl->Titles.PressedCol();
        FImpl->Titles.ReleaseCol();
        InvalidateCell(pressed, 0);
        const TGridCoord cell = MouseCoord(X, Y);
        const bool inside = X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight();
        if (Button == mbLeft && inside && cell.X == pressed && cell.Y >= 0 && cell.Y < FImpl->TitleOffset)
            if (TField* f = GetColField(pressed - FImpl->IndicatorOffset)) {
                // The group header part names the group.
                const TRect header = GroupHeaderRect(pressed);
                TqzColumn* column = Columns(pressed - FImpl->IndicatorOffset);
                if (!IsRectEmpty(header) && Y < header.Bottom && column)
                    DoTitleButtonClick(column->GroupName());
                else
                    DoTitleButtonClick(f->FieldName());
                if (watch.Gone()) return;
            }
    }
    FImpl->SizingRow = -1;
    FImpl->Titles.ReleaseGroup();
    if (FImpl->Titles.ClearHot()) InvalidateTitleRow();
}

void TqzCustomDBGrid::WMCancelMode(TMessage& Message) {
    // A lost capture ends a drag without a drop.
    FImpl->Drag.Cancel();
    TCustomGrid::WMCancelMode(Message);
}

void TqzCustomDBGrid::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomGrid::MouseMove(Shift, X, Y);
    FImpl->Hints.MouseAt(X, Y);
    if (FImpl->Drag.MouseMove(X, Y)) return;
    const TGridCoord cell = MouseCoord(X, Y);
    if (FImpl->Titles.TrackHot(Shift, X, Y)) InvalidateTitleRow();
    FImpl->Hints.Update(cell);
    bool url = false;
    if (cell.X >= FImpl->IndicatorOffset && cell.Y >= FImpl->TitleOffset && FImpl->DataLink->Active())
        if (TField* f = GetColField(cell.X - FImpl->IndicatorOffset)) {
            std::string type, params;
            GetControlInfo(f->FieldName(), type, params);
            url = type == "URL-Link";
        }
    if (url) {
        if (Cursor() != crHandPoint) {
            FImpl->SavedCursor = Cursor();
            SetCursor(crHandPoint);
        }
        SetHotCell(cell.X, cell.Y);
    } else if (FImpl->Cells.HotCell().X >= 0) {
        SetCursor(FImpl->SavedCursor);
        SetHotCell(-1, -1);
    }
}

void TqzCustomDBGrid::CMMouseLeave(TMessage& Message) {
    TCustomGrid::CMMouseLeave(Message);
    FImpl->Hints.MouseAt(-1, -1);
    if (FImpl->Titles.ClearHot()) InvalidateTitleRow();
    if (FImpl->Cells.HotCell().X < 0) return;
    SetCursor(FImpl->SavedCursor);
    SetHotCell(-1, -1);
}
