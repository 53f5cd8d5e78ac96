// How the grid follows its dataset: row count, current row, the vertical
// scroll bar, scrolling, data-link reactions, writing the editor's text
// back, focus and the column moves.
#include <algorithm>
#include <cstdlib>

#include "platform/core/datetime.h"
#include "platform/core/scope_exit.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/field_chars.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "suite/base/picture_validator.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"
#include "suite/grid/qzgridhook.h"

int TqzCustomDBGrid::VisibleDataRows() const { return FImpl->DataLink->BufferCount(); }

// ---- Row count and current row ---------------------------------------------------------

void TqzCustomDBGrid::UpdateRowCount() {
    if (FImpl->InRowCount) return;
    FImpl->InRowCount = true;
    try {
        if (RowCount() <= FImpl->TitleOffset) SetRowCount(FImpl->TitleOffset + 1);
        SetFixedRows(FImpl->TitleOffset);
        TDataSet* dataSet = FImpl->DataLink->DataSet();
        if (!FImpl->DataLink->Active() || !dataSet || !dataSet->Active() || dataSet->IsEmpty()) {
            SetRowCount(FImpl->TitleOffset + 1);
        } else {
            SetRowCount(FImpl->TitleOffset + 1000);
            const int visible = std::max(1, VisibleRowCount());
            if (visible < FImpl->DataLink->BufferCount() && Row() >= FImpl->TitleOffset + visible) {
                Invalidate();
                DoTopRowChanged();
            }
            FImpl->DataLink->SetBufferCount(visible);
            SetRowCount(FImpl->TitleOffset + std::max(1, FImpl->DataLink->RecordCount()));
            UpdateActive();
        }
        if (FImpl->Options.Contains(dgRowSelect) ||
            (FImpl->Options.Contains(dgFixedEditable) && LeftCol() <= FixedCols())) {
            const int left = LeftCol();
            SetRowCount(RowCount());
            if (left >= FixedCols() && left < ColCount()) SetLeftCol(left);
        }
    } catch (...) {
        FImpl->InRowCount = false;
        throw;
    }
    FImpl->InRowCount = false;
}

void TqzCustomDBGrid::UpdateActive() {
    if (!DataSetActive()) return;
    int row = FImpl->DataLink->ActiveRecord() + FImpl->TitleOffset;
    if (row == Row()) return;
    // A cell control shown over the old row shows the record no more.
    BeforeCellMove();
    if (!FImpl->Options.Contains(dgAlwaysShowEditor)) HideEditor();
    if (row >= RowCount()) {
        UpdateRowCount();
        row = std::min(row, RowCount() - 1);
    }
    if (row < FImpl->TitleOffset || row >= RowCount()) return;
    MoveColRow(Col(), row, true, false);
    if (!(Parent() && SameText(Parent()->ClassName(), "TqzDBCustomLookupcombo"))) {
        TField* f = SelectedField();
        if (f && f->Text() != FImpl->LastEditText) InvalidateEditor();
    }
}

// ---- Vertical scroll bar -----------------------------------------------------------------

void TqzCustomDBGrid::UpdateScrollBar() {
    if (!FImpl->ShowVertScrollBar || !DataSetActive() || !HandleAllocated()) return;
    TDataSet* dataSet = FImpl->DataLink->DataSet();
    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    if (dataSet->IsSequenced()) {
        const int page = VisibleDataRows();
        si.nMin = 1;
        si.nPage = static_cast<unsigned>(page);
        si.nMax = dataSet->RecordCount() + page - 1;
        if (dataSet->State() == dsInsert && FImpl->ScrollSet)
            si.nPos = FImpl->LastScroll.nPos;
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
    if (FImpl->ScrollSet && si.nMin == FImpl->LastScroll.nMin && si.nMax == FImpl->LastScroll.nMax &&
        si.nPage == FImpl->LastScroll.nPage && si.nPos == FImpl->LastScroll.nPos)
        return;
    FImpl->LastScroll = si;
    FImpl->ScrollSet = true;
    SetScrollInfo(SB_VERT, si);
}

void TqzCustomDBGrid::WMVScroll(TMessage& Message) {
    Message.Result = 0;
    if (!TakeFocus() || !DataSetActive()) return;
    TDataSet* dataSet = FImpl->DataLink->DataSet();
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
    if (FImpl->IndicatorOffset > 0) InvalidateCol(0);
    UpdateRowCount();
    UpdateActive();
    UpdateScrollBar();
    if (std::abs(Distance) > VisibleDataRows()) {
        Invalidate();
        DoTopRowChanged();
        CheckRowChanged();
        if (FImpl->Options.Contains(dgAlwaysShowEditor) && !IsCustomControlCell(Col(), Row()) &&
            !IsMemoCell(Col(), Row()))
            ShowEditor();
        return;
    }
    // The data rows move; the cells are redrawn from the buffers.
    if (FImpl->TitleOffset < RowCount()) Invalidate();
    // The current row may hold another record now: a shown editor loads its text.
    if (Distance != 0) InvalidateEditor();
    if (Distance % 2 != 0) FImpl->AltPhase = !FImpl->AltPhase;
    if (Distance != 0) DoTopRowChanged();
    CheckRowChanged();
}

void TqzCustomDBGrid::LinkActive(bool Value) {
    if (FImpl->Destroying) return;
    if (!Value) HideEditor();
    FImpl->ScrollSet = false;
    LayoutChanged();
    UpdateScrollBar();
    FImpl->LastBookmark.clear();
    FImpl->FooterBookmark.clear();
    if (Value) {
        if (HandleAllocated()) {
            if (Col() != FImpl->RememberedCol) {
                ColEnter();
                FImpl->RememberedCol = Col();
            }
        } else {
            FImpl->FirstPaint = true;
        }
        FImpl->FooterChanged = true;
    } else {
        FImpl->RememberedCol = -1;
    }
}

void TqzCustomDBGrid::DataChanged() {
    if (!HandleAllocated() || FImpl->InLayout || FImpl->Destroying) return;
    // A posted edit changes the record set as much as a deleted record.
    if (!FImpl->InFooterUpdate) FImpl->FooterChanged = true;
    UpdateFooterIfChanged();
    TDataSet* dataSet = FImpl->DataLink->DataSet();
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
    if (FImpl->IndicatorOffset > 0) InvalidateCol(0);
}

void TqzCustomDBGrid::RecordChanged(TField* Field) {
    if (!HandleAllocated()) return;
    const int row = Row();
    if (Field) {
        for (int i = 0; i < FImpl->DataLink->FieldCount(); ++i)
            if (FImpl->DataLink->Fields(i) == Field) InvalidateCell(i + FImpl->IndicatorOffset, row);
    } else {
        InvalidateRow(row);
    }
    TField* current = SelectedField();
    if (current && current->Text() != FImpl->LastEditText) InvalidateEditor();
}

void TqzCustomDBGrid::FieldChangedNotice(TField* Field) { DoFieldChanged(Field); }

bool TqzCustomDBGrid::EditorTextPassesMask(TField* field, const std::string& Text) {
    if (!field) return true;
    TObject* source = qzGetPictureMaskSource(this, FImpl->DataLink->DataSet());
    bool flag2 = false, autoFill = false;
    std::string mask;
    qzGetPictureMask(source, field->FieldName(), true, flag2, autoFill, mask);
    if (mask.empty()) return true;
    const bool passes = qzTextMatchesPictureMask(mask, Text);
    FImpl->OnCheckValue(this, passes);
    return passes;
}

TField* TqzCustomDBGrid::EditField() const {
    for (int i = 0; i < FImpl->DataLink->FieldCount(); ++i)
        if (TField* f = FImpl->DataLink->Fields(i); f && f->FieldName() == FImpl->EditFieldName) return f;
    return SelectedField();
}

void TqzCustomDBGrid::UpdateData() {
    if (!FImpl->DataLink->Modified() || !FImpl->DataLink->Editing()) return;
    // The text goes to the field it was typed for, wherever the grid has
    // moved since; a shown editor over that field has the latest text.
    TField* field = EditField();
    if (!field) return;
    const bool editorOnField = InplaceEditor() && InplaceEditor()->Visible() && FInplaceCol >= 0 &&
                               GetColField(FInplaceCol - FImpl->IndicatorOffset) == field;
    const std::string text = editorOnField ? InplaceEditor()->Text() : FImpl->EditText;
    if (!EditorTextPassesMask(field, text) && !EditorAllowInvalidExit()) {
        const TMethod method = qzGetOnInvalidValue(FImpl->DataLink->DataSet());
        const auto handler = method.As<TqzInvalidValueEvent>();
        if (method && handler) {
            // The handler has told the user; the edit stays and the post stops.
            handler(FImpl->DataLink->DataSet(), field);
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
    if (!FImpl->OnRowChanged && !FImpl->OnCellChanged && !FImpl->OnUpdateFooter) return;
    TDataSet* dataSet = FImpl->DataLink->DataSet();
    const TBookmark current = dataSet->Bookmark();
    if (dataSet->State() == dsInsert || FImpl->LastBookmark.empty() ||
        qzDataSetCompareBookmarks(dataSet, current, FImpl->LastBookmark) != 0)
        DoRowChanged();
    FImpl->LastBookmark = current;
}

void TqzCustomDBGrid::DoTopRowChanged() {
    FImpl->OnTopRowChanged(this);
    if (!FImpl->GroupFieldName.empty()) Invalidate();
}

void TqzCustomDBGrid::DoRowChanged() {
    FImpl->OnRowChanged(this);
    DoCellChanged();
}

void TqzCustomDBGrid::DoCellChanged() { FImpl->OnCellChanged(this); }

void TqzCustomDBGrid::UpdateFooterIfChanged() {
    if (!FImpl->OnUpdateFooter || FImpl->InFooterUpdate || !DataSetActive() ||
        FImpl->DataLink->DataSet()->State() != dsBrowse)
        return;
    const int count = FImpl->DataLink->DataSet()->RecordCount();
    if (FImpl->FooterChanged || count != FImpl->LastRecordCount) {
        FImpl->FooterChanged = false;
        FImpl->LastRecordCount = count;
        FImpl->InFooterUpdate = true;
        const TScopeExit done([this] { FImpl->InFooterUpdate = false; });
        DoUpdateFooter();
    }
}

// ---- Editor text --------------------------------------------------------------------------------

bool TqzCustomDBGrid::CanEditShow() {
    const int c = Col();
    if (c >= 0 && c < static_cast<int>(FImpl->ColInfo.size()) &&
        SameText(FImpl->ColInfo[static_cast<size_t>(c)].ControlType, "CheckBox"))
        return false;
    return TCustomGrid::CanEditShow();
}

bool TqzCustomDBGrid::CanEditAcceptKey(char32_t Key) {
    TField* f = SelectedField();
    return f && FieldAcceptsChar(f, Key);
}

bool TqzCustomDBGrid::CanEditModify() {
    // A read-only column shows its text in the editor but takes no typing,
    // nor does a binary blob's placeholder.
    TField* f = SelectedField();
    if (!CanEditGrid() || !FieldTakesTyping(f) || IsBinaryBlob(f)) return false;
    FImpl->DataLink->Edit();
    return FImpl->DataLink->Editing();
}

int TqzCustomDBGrid::GetEditLimit() {
    TField* f = SelectedField();
    return f && f->DataType() == ftString ? TextRoomOf(f) : 0;
}

std::string TqzCustomDBGrid::GetEditMask(int ACol, int) {
    TField* f = GetColField(ACol - FImpl->IndicatorOffset);
    return f ? f->EditMask() : std::string();
}

std::string TqzCustomDBGrid::GetEditText(int ACol, int) {
    TField* f = GetColField(ACol - FImpl->IndicatorOffset);
    FImpl->LastEditText = f ? f->Text() : std::string();
    // A pending edit of another field stays as it is.
    const std::string name = f ? f->FieldName() : std::string();
    if (!FImpl->DataLink->Modified() || name == FImpl->EditFieldName) {
        FImpl->EditText = FImpl->LastEditText;
        FImpl->EditFieldName = name;
    }
    return FImpl->LastEditText;
}

void TqzCustomDBGrid::SetEditText(int ACol, int, const std::string& Value) {
    TField* f = GetColField(ACol - FImpl->IndicatorOffset);
    FImpl->EditFieldName = f ? f->FieldName() : std::string();
    FImpl->EditText = Value;
    FImpl->DataLink->SetModified();
}

// ---- Columns and focus --------------------------------------------------------------------------

void TqzCustomDBGrid::ColEnter() {
    FImpl->OnColEnter(this);
    DoCellChanged();
}

void TqzCustomDBGrid::ColExit() { FImpl->OnColExit(this); }

void TqzCustomDBGrid::TopLeftChanged() {
    HideCellHint();
    TCustomGrid::TopLeftChanged();
    if (LeftCol() != FImpl->LastLeftCol) {
        FImpl->LastLeftCol = LeftCol();
        FImpl->OnLeftColChanged(this, LeftCol());
    }
    if (!HandleAllocated()) return;
    if (FImpl->TitleOffset > 0) InvalidateRow(0);
    // The footer and the one-pixel strip at the data area's right edge lie
    // outside the cells: the window is invalidated for them.
    Invalidate();
}

void TqzCustomDBGrid::SelectDataColumn(int Index) {
    const int count = FImpl->DataLink->FieldCount();
    if (count <= 0) return;
    Index = std::clamp(Index, 0, count - 1);
    int col = Index + FImpl->IndicatorOffset;
    if (!FImpl->Options.Contains(dgFixedEditable)) col = std::max(col, FixedCols());
    if (col == Col() || FImpl->InSelectColumn) return;
    FImpl->InSelectColumn = true;
    try {
        // The text typed into the cell being left is written first; a
        // refused text keeps the grid where it is.
        if (FImpl->DataLink->Modified()) FImpl->DataLink->UpdateRecord();
        if (FImpl->Options.Contains(dgAlwaysShowEditor) && !FImpl->UserMoving &&
            !IsCustomControlCell(col, Row()))
            BeforeCellMove();
        MoveColRow(col, Row(), true, true);
        if (FImpl->Options.Contains(dgAlwaysShowEditor) && !FImpl->UserMoving &&
            !IsCustomControlCell(col, Row()) && !IsMemoCell(col, Row()))
            ShowEditorIfAllowed();
    } catch (...) {
        FImpl->InSelectColumn = false;
        throw;
    }
    FImpl->InSelectColumn = false;
}

bool TqzCustomDBGrid::TakeFocus() {
    if (!FImpl->AllowFocus || !CanFocus() || ComponentState().Contains(csDesigning)) return true;
    SetFocus();
    return Focused() || (InplaceEditor() && InplaceEditor()->Focused());
}

void TqzCustomDBGrid::TimedScroll(TGridScrollDirection Direction) {
    if (DataSetActive()) {
        if (Direction.Contains(sdUp)) FImpl->DataLink->MoveBy(-(FImpl->DataLink->ActiveRecord() + 1));
        if (Direction.Contains(sdDown))
            FImpl->DataLink->MoveBy(FImpl->DataLink->RecordCount() - FImpl->DataLink->ActiveRecord());
    }
    TGridScrollDirection horizontal;
    if (Direction.Contains(sdLeft)) horizontal += sdLeft;
    if (Direction.Contains(sdRight)) horizontal += sdRight;
    if (!horizontal.Empty()) TCustomGrid::TimedScroll(horizontal);
}

void TqzCustomDBGrid::Resize() {
    TCustomGrid::Resize();
    if (FImpl->Destroying) return;
    if (IsProportionalColResize() && FImpl->DataLink->FieldCount() > 0) ResizeColumnsProportionally();
    if (!FImpl->InLayout) {
        BeforeCellMove();
        HideEditor();
        UpdateRowCount();
        UpdateScrollBar();
        if (FImpl->DataLink->DataSet() && FImpl->DataLink->DataSet()->IsEmpty()) Invalidate();
    }
    FImpl->PaintOptions->SizeChanged();
    if (FImpl->IndicatorButton)
        FImpl->IndicatorButton->SetBounds(0, 0, FImpl->IndicatorButton->Width(),
                                          FImpl->IndicatorButton->Height());
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
