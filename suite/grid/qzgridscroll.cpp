// How the grid follows its dataset: row count, current row, the vertical
// scroll bar, scrolling, data-link reactions, writing the editor's text
// back, focus and the column moves.
#include <algorithm>
#include <cstdlib>

#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "suite/base/picture_validator.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzgridhook.h"

int TqzCustomDBGrid::VisibleDataRows() const { return FDataLink->BufferCount(); }

// ---- Row count and current row ---------------------------------------------------------

void TqzCustomDBGrid::UpdateRowCount() {
    if (FInRowCount) return;
    FInRowCount = true;
    try {
        if (RowCount() <= FTitleOffset) SetRowCount(FTitleOffset + 1);
        SetFixedRows(FTitleOffset);
        TDataSet* dataSet = FDataLink->DataSet();
        if (!FDataLink->Active() || !dataSet || !dataSet->Active() || dataSet->IsEmpty()) {
            SetRowCount(FTitleOffset + 1);
        } else {
            SetRowCount(FTitleOffset + 1000);
            const int visible = std::max(1, VisibleRowCount());
            if (visible < FDataLink->BufferCount() && Row() >= FTitleOffset + visible) {
                Invalidate();
                DoTopRowChanged();
            }
            FDataLink->SetBufferCount(visible);
            SetRowCount(FTitleOffset + std::max(1, FDataLink->RecordCount()));
            UpdateActive();
        }
        if (FOptions.Contains(dgRowSelect) ||
            (FOptions.Contains(dgFixedEditable) && LeftCol() <= FixedCols())) {
            const int left = LeftCol();
            SetRowCount(RowCount());
            if (left >= FixedCols() && left < ColCount()) SetLeftCol(left);
        }
    } catch (...) {
        FInRowCount = false;
        throw;
    }
    FInRowCount = false;
}

void TqzCustomDBGrid::UpdateActive() {
    if (!DataSetActive()) return;
    int row = FDataLink->ActiveRecord() + FTitleOffset;
    if (row == Row()) return;
    if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
    if (row >= RowCount()) {
        UpdateRowCount();
        row = std::min(row, RowCount() - 1);
    }
    if (row < FTitleOffset || row >= RowCount()) return;
    MoveColRow(Col(), row, true, false);
    if (!(Parent() && SameText(Parent()->ClassName(), "TqzDBCustomLookupcombo"))) {
        TField* f = SelectedField();
        if (f && f->Text() != FLastEditText) InvalidateEditor();
    }
}

// ---- Vertical scroll bar -----------------------------------------------------------------

void TqzCustomDBGrid::UpdateScrollBar() {
    if (!FShowVertScrollBar || !DataSetActive() || !HandleAllocated()) return;
    TDataSet* dataSet = FDataLink->DataSet();
    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    if (dataSet->IsSequenced()) {
        const int page = VisibleDataRows();
        si.nMin = 1;
        si.nPage = static_cast<unsigned>(page);
        si.nMax = dataSet->RecordCount() + page - 1;
        if (dataSet->State() == dsInsert && FScrollSet)
            si.nPos = FLastScroll.nPos;
        else
            si.nPos = dataSet->RecNo();
    } else {
        si.nMin = 0;
        si.nMax = 4;
        si.nPage = 0;
        si.nPos = dataSet->Bof() ? 0 : (dataSet->Eof() ? 4 : 2);
    }
    if (si.nMax - si.nMin < 2) {
        // No room to move.
        si.nMin = 1;
        si.nMax = 1001;
        si.nPage = 1000;
    }
    if (FScrollSet && si.nMin == FLastScroll.nMin && si.nMax == FLastScroll.nMax &&
        si.nPage == FLastScroll.nPage && si.nPos == FLastScroll.nPos)
        return;
    FLastScroll = si;
    FScrollSet = true;
    SetScrollInfo(SB_VERT, si);
}

void TqzCustomDBGrid::WMVScroll(TMessage& Message) {
    Message.Result = 0;
    if (!TakeFocus() || !DataSetActive()) return;
    TDataSet* dataSet = FDataLink->DataSet();
    const int code = Message.WParamLo();
    int pos = Message.WParamHi();
    if (code == SB_THUMBPOSITION) {
        TScrollInfo si;
        GetScrollInfo(SB_VERT, si);
        if ((si.nTrackPos & 0xFFFF) == pos) pos = si.nTrackPos;
    }
    switch (code) {
    case SB_LINEUP: dataSet->Prior(); break;
    case SB_LINEDOWN: dataSet->Next(); break;
    case SB_PAGEUP: dataSet->MoveBy(-VisibleDataRows()); break;
    case SB_PAGEDOWN: dataSet->MoveBy(VisibleDataRows()); break;
    case SB_THUMBPOSITION:
        if (dataSet->IsSequenced()) {
            const int before = dataSet->RecNo();
            if (pos <= 1)
                dataSet->First();
            else if (pos >= dataSet->RecordCount())
                dataSet->Last();
            else
                dataSet->SetRecNo(pos);
            if (dataSet->RecNo() != before) DoTopRowChanged();
        } else {
            switch (pos) {
            case 0: dataSet->First(); break;
            case 1: dataSet->MoveBy(-VisibleDataRows()); break;
            case 3: dataSet->MoveBy(VisibleDataRows()); break;
            case 4: dataSet->Last(); break;
            default: break;
            }
        }
        break;
    case SB_TOP: dataSet->First(); break;
    case SB_BOTTOM: dataSet->Last(); break;
    default: break;
    }
    UpdateScrollBar();
}

// ---- Data-link reactions ---------------------------------------------------------------------

void TqzCustomDBGrid::Scroll(int Distance) {
    if (!HandleAllocated()) {
        UpdateRowCount();
        return;
    }
    if (FIndicatorOffset > 0) InvalidateCol(0);
    UpdateRowCount();
    UpdateActive();
    UpdateScrollBar();
    if (std::abs(Distance) > VisibleDataRows()) {
        Invalidate();
        DoTopRowChanged();
        CheckRowChanged();
        if (FOptions.Contains(dgAlwaysShowEditor) && !IsCustomControlCell(Col(), Row()) &&
            !IsMemoCell(Col(), Row()))
            ShowEditor();
        return;
    }
    // The data rows move; the cells are redrawn from the buffers.
    if (FTitleOffset < RowCount()) Invalidate();
    if (Distance % 2 != 0) FAltPhase = !FAltPhase;
    if (Distance != 0) DoTopRowChanged();
    CheckRowChanged();
}

void TqzCustomDBGrid::LinkActive(bool Value) {
    if (FDestroying) return;
    if (!Value) HideEditor();
    FScrollSet = false;
    LayoutChanged();
    UpdateScrollBar();
    FLastBookmark.clear();
    FFooterBookmark.clear();
    if (Value) {
        if (HandleAllocated()) {
            if (Col() != FRememberedCol) {
                ColEnter();
                FRememberedCol = Col();
            }
        } else {
            FFirstPaint = true;
        }
        FFooterChanged = true;
    } else {
        FRememberedCol = -1;
    }
}

void TqzCustomDBGrid::DataChanged() {
    if (!HandleAllocated() || FInLayout || FDestroying) return;
    UpdateFooterIfChanged();
    TDataSet* dataSet = FDataLink->DataSet();
    if (dataSet && (dataSet->State() == dsBrowse ||
                    (dataSet->State() == dsInsert && !(dataSet->Bof() && dataSet->Eof()))))
        BeforeCellMove();
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    InvalidateEditor();
    Invalidate();
    CheckRowChanged();
}

void TqzCustomDBGrid::EditingChanged() {
    if (FIndicatorOffset > 0) InvalidateCol(0);
}

void TqzCustomDBGrid::RecordChanged(TField* Field) {
    if (!HandleAllocated()) return;
    const int row = Row();
    if (Field) {
        for (int i = 0; i < FDataLink->FieldCount(); ++i)
            if (FDataLink->Fields(i) == Field) InvalidateCell(i + FIndicatorOffset, row);
    } else {
        InvalidateRow(row);
    }
    TField* current = SelectedField();
    if (current && current->Text() != FLastEditText) InvalidateEditor();
}

void TqzCustomDBGrid::FieldChangedNotice(TField* Field) { DoFieldChanged(Field); }

bool TqzCustomDBGrid::EditorTextPassesMask(TField* field, const std::string& Text) {
    if (!field) return true;
    TObject* source = qzGetPictureMaskSource(this, FDataLink->DataSet());
    bool flag2 = false, autoFill = false;
    std::string mask;
    qzGetPictureMask(source, field->FieldName(), true, flag2, autoFill, mask);
    if (mask.empty()) return true;
    const bool passes = qzTextMatchesPictureMask(mask, Text);
    FOnCheckValue(this, passes);
    return passes;
}

TField* TqzCustomDBGrid::EditField() const {
    for (int i = 0; i < FDataLink->FieldCount(); ++i)
        if (TField* f = FDataLink->Fields(i); f && f->FieldName() == FEditFieldName) return f;
    return SelectedField();
}

void TqzCustomDBGrid::UpdateData() {
    if (!FDataLink->Modified() || !FDataLink->Editing()) return;
    // The text goes to the field it was typed for, wherever the grid has
    // moved since; a shown editor over that field has the latest text.
    TField* field = EditField();
    if (!field) return;
    const bool editorOnField = InplaceEditor() && InplaceEditor()->Visible() && FInplaceCol >= 0 &&
                               GetColField(FInplaceCol - FIndicatorOffset) == field;
    const std::string text = editorOnField ? InplaceEditor()->Text() : FEditText;
    if (!EditorTextPassesMask(field, text) && !EditorAllowInvalidExit()) {
        const TMethod method = qzGetOnInvalidValue(FDataLink->DataSet());
        const auto handler = method.As<TqzInvalidValueEvent>();
        if (method && handler) {
            // The handler has told the user; the edit stays and the post stops.
            handler(FDataLink->DataSet(), field);
            throw EAbort("Operation aborted");
        }
        ReportInvalidValue(field);
        throw EAbort("Operation aborted");
    }
    const TFieldType type = field->DataType();
    TDateTime when{};
    double number = 0;
    if ((type == ftDate || type == ftTime || type == ftDateTime || type == ftTimeStamp) &&
        TryStrToDateTime(text, when)) {
        field->SetAsDateTime(when);
    } else if (auto* numeric = dynamic_cast<TNumericField*>(field);
               numeric && !numeric->DisplayFormat().empty() && TryStrToFloat(text, number)) {
        field->SetAsFloat(number);
    } else {
        field->SetText(text);
    }
    // Written: hiding or moving the editor later does not mark it pending again.
    if (editorOnField) InplaceEditor()->SetModified(false);
    if (TracksFieldChanges()) DoFieldChanged(field);
}

void TqzCustomDBGrid::CheckRowChanged() {
    if (!DataSetActive()) return;
    if (!FOnRowChanged && !FOnCellChanged && !FOnUpdateFooter) return;
    TDataSet* dataSet = FDataLink->DataSet();
    const TBookmark current = dataSet->Bookmark();
    if (dataSet->State() == dsInsert || FLastBookmark.empty() ||
        qzDataSetCompareBookmarks(dataSet, current, FLastBookmark) != 0)
        DoRowChanged();
    FLastBookmark = current;
}

void TqzCustomDBGrid::DoTopRowChanged() {
    FOnTopRowChanged(this);
    if (!FGroupFieldName.empty()) Invalidate();
}

void TqzCustomDBGrid::DoRowChanged() {
    FOnRowChanged(this);
    DoCellChanged();
}

void TqzCustomDBGrid::DoCellChanged() { FOnCellChanged(this); }

void TqzCustomDBGrid::UpdateFooterIfChanged() {
    if (!FOnUpdateFooter || !DataSetActive() || FDataLink->DataSet()->State() != dsBrowse) return;
    const int count = FDataLink->DataSet()->RecordCount();
    if (FFooterChanged || count != FLastRecordCount) {
        FFooterChanged = false;
        FLastRecordCount = count;
        DoUpdateFooter();
    }
}

// ---- Editor text --------------------------------------------------------------------------------

bool TqzCustomDBGrid::CanEditShow() {
    const int c = Col();
    if (c >= 0 && c < static_cast<int>(FColInfo.size()) &&
        SameText(FColInfo[static_cast<size_t>(c)].ControlType, "CheckBox"))
        return false;
    return TCustomGrid::CanEditShow();
}

bool TqzCustomDBGrid::CanEditAcceptKey(char32_t Key) {
    TField* f = SelectedField();
    return f && Key < 256 && f->IsValidChar(static_cast<char>(Key));
}

bool TqzCustomDBGrid::CanEditModify() {
    if (!CanEditGrid() || !SelectedField()) return false;
    FDataLink->Edit();
    return FDataLink->Editing();
}

int TqzCustomDBGrid::GetEditLimit() {
    TField* f = SelectedField();
    return f && f->DataType() == ftString ? f->Size() : 0;
}

std::string TqzCustomDBGrid::GetEditMask(int ACol, int) {
    TField* f = GetColField(ACol - FIndicatorOffset);
    return f ? f->EditMask() : std::string();
}

std::string TqzCustomDBGrid::GetEditText(int ACol, int) {
    TField* f = GetColField(ACol - FIndicatorOffset);
    FLastEditText = f ? f->Text() : std::string();
    // A pending edit of another field stays as it is.
    const std::string name = f ? f->FieldName() : std::string();
    if (!FDataLink->Modified() || name == FEditFieldName) {
        FEditText = FLastEditText;
        FEditFieldName = name;
    }
    return FLastEditText;
}

void TqzCustomDBGrid::SetEditText(int ACol, int, const std::string& Value) {
    TField* f = GetColField(ACol - FIndicatorOffset);
    FEditFieldName = f ? f->FieldName() : std::string();
    FEditText = Value;
    FDataLink->SetModified();
}

// ---- Columns and focus --------------------------------------------------------------------------

void TqzCustomDBGrid::ColEnter() {
    FOnColEnter(this);
    DoCellChanged();
}

void TqzCustomDBGrid::ColExit() { FOnColExit(this); }

void TqzCustomDBGrid::TopLeftChanged() {
    HideCellHint();
    TCustomGrid::TopLeftChanged();
    if (LeftCol() != FLastLeftCol) {
        FLastLeftCol = LeftCol();
        FOnLeftColChanged(this, LeftCol());
    }
    InvalidateScrolledFrame();
}

void TqzCustomDBGrid::SelectDataColumn(int Index) {
    const int count = FDataLink->FieldCount();
    if (count <= 0) return;
    Index = std::clamp(Index, 0, count - 1);
    int col = Index + FIndicatorOffset;
    if (!FOptions.Contains(dgFixedEditable)) col = std::max(col, FixedCols());
    if (col == Col() || FInSelectColumn) return;
    FInSelectColumn = true;
    try {
        // The text typed into the cell being left is written first; a
        // refused text keeps the grid where it is.
        if (FDataLink->Modified()) FDataLink->UpdateRecord();
        if (FOptions.Contains(dgAlwaysShowEditor) && !FUserMoving && !IsCustomControlCell(col, Row()))
            BeforeCellMove();
        MoveColRow(col, Row(), true, true);
        if (FOptions.Contains(dgAlwaysShowEditor) && !FUserMoving && !IsCustomControlCell(col, Row()) &&
            !IsMemoCell(col, Row()))
            ShowEditorIfAllowed();
    } catch (...) {
        FInSelectColumn = false;
        throw;
    }
    FInSelectColumn = false;
}

bool TqzCustomDBGrid::TakeFocus() {
    if (!FAllowFocus || !CanFocus() || ComponentState().Contains(csDesigning)) return true;
    SetFocus();
    return Focused() || (InplaceEditor() && InplaceEditor()->Focused());
}

void TqzCustomDBGrid::TimedScroll(TGridScrollDirection Direction) {
    if (DataSetActive()) {
        if (Direction.Contains(sdUp)) FDataLink->MoveBy(-(FDataLink->ActiveRecord() + 1));
        if (Direction.Contains(sdDown))
            FDataLink->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
    }
    TGridScrollDirection horizontal;
    if (Direction.Contains(sdLeft)) horizontal += sdLeft;
    if (Direction.Contains(sdRight)) horizontal += sdRight;
    if (!horizontal.Empty()) TCustomGrid::TimedScroll(horizontal);
}

void TqzCustomDBGrid::Resize() {
    TCustomGrid::Resize();
    if (FDestroying) return;
    if (IsProportionalColResize() && FDataLink->FieldCount() > 0) ResizeColumnsProportionally();
    if (!FInLayout) {
        BeforeCellMove();
        HideEditor();
        UpdateRowCount();
        UpdateScrollBar();
        if (FDataLink->DataSet() && FDataLink->DataSet()->IsEmpty()) Invalidate();
    }
    FPaintOptions->SizeChanged();
    if (FIndicatorButton)
        FIndicatorButton->SetBounds(0, 0, FIndicatorButton->Width(), FIndicatorButton->Height());
}

void TqzCustomDBGrid::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_QZGRIDHOOKKEY) {
        // A key the shared hook took from a control inside the grid.
        TShiftState shift;
        if (Message.LParam & 1) shift += ssShift;
        if (Message.LParam & 2) shift += ssCtrl;
        if (Message.LParam & 4) shift += ssAlt;
        auto key = static_cast<uint16_t>(Message.WParam);
        if (!Focused()) TakeFocus();
        KeyDown(key, shift);
        return;
    }
    TCustomGrid::Dispatch(Message);
}
