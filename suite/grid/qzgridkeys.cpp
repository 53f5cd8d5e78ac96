// The grid's keys: record and column moves, Tab and Enter, insert and
// delete, Escape, F2, the ditto short-cuts, and the focus rules.
#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"
#include "suite/grid/qzgridhook.h"
#include "suite/grid/qzinplace.h"

namespace {
constexpr const char* kDeleteRecord = "Delete record?";
}  // namespace

TqzInplaceEdit* TqzCustomDBGrid::QzEditor() const { return dynamic_cast<TqzInplaceEdit*>(InplaceEditor()); }

TInplaceEdit* TqzCustomDBGrid::CreateEditor() { return new TqzInplaceEdit(this); }

void TqzCustomDBGrid::DoEnter() {
    TCustomGrid::DoEnter();
    qzInstallGridHook();
    FImpl->HasFocus = true;
    if (FImpl->PaintOptions->ActiveRecordColor() != clNone && !FImpl->Options.Contains(dgAlwaysShowSelection))
        InvalidateRow(Row());
}

void TqzCustomDBGrid::DoExit() {
    if (!RunWhileAlive(this, [this] { TCustomGrid::DoExit(); })) return;  // OnExit
    if (!dynamic_cast<TCustomGrid*>(Parent())) qzRemoveGridHook();
    if (DataSetActive()) {
        TDataSet* ds = FImpl->DataLink->DataSet();
        if (FImpl->Options.Contains(dgCancelOnExit) && ds->State() == dsInsert && !ds->Modified() &&
            !FImpl->DataLink->Modified())
            ds->Cancel();
        else
            FImpl->DataLink->UpdateRecord();
    }
    if (!FImpl->Options.Contains(dgAlwaysShowSelection)) InvalidateRow(Row());
    FImpl->HasFocus = false;
}

// ---- Records -------------------------------------------------------------------------------------

void TqzCustomDBGrid::PriorRecord() {
    TDataSet* ds = FImpl->DataLink->DataSet();
    if (ds->State() == dsInsert && !ds->Modified() && !FImpl->DataLink->Modified() && ds->Eof()) {
        ds->Cancel();
        return;
    }
    ds->Prior();
}

void TqzCustomDBGrid::NextRecord() {
    TDataSet* ds = FImpl->DataLink->DataSet();
    if (ds->State() == dsInsert && !ds->Modified() && !FImpl->DataLink->Modified()) {
        ds->Cancel();
        return;
    }
    ds->Next();
    // A read-only or non-editable grid never appends.
    if (ds->Eof() && ds->CanModify() && CanEditGrid() && FImpl->KeyOptions.Contains(dgAllowInsert)) {
        BeforeCellMove();
        ds->Append();
    }
}

void TqzCustomDBGrid::TabMove(bool Forward) {
    const int dataCols = ColCount() - FImpl->IndicatorOffset;
    if (dataCols <= 0) return;
    const int start = SelectedIndex();
    const int first =
        FImpl->Options.Contains(dgFixedEditable) ? 0 : std::max(0, FixedCols() - FImpl->IndicatorOffset);
    int col = start;
    bool wrapped = false;
    for (int guard = 0; guard <= 2 * dataCols + 2; ++guard) {
        col += Forward ? 1 : -1;
        if (col >= dataCols || col < first) {
            if (wrapped) return;
            wrapped = true;
            BeforeCellMove();
            if (FImpl->Options.Contains(dgTabExitsOnLastCol)) {
                if (TCustomForm* form = GetParentForm(this)) form->SelectNext(this, Forward, true);
                return;
            }
            if (Forward) {
                NextRecord();
                col = first;
            } else {
                PriorRecord();
                col = dataCols - 1;
            }
        }
        if (col == start && !wrapped) return;
        if (TabStops(col + FImpl->IndicatorOffset)) break;
        if (col == start) return;
    }
    SelectDataColumn(col);
}

// ---- Ditto ---------------------------------------------------------------------------------------

bool TqzCustomDBGrid::DittoField(TField* Field) {
    if (!Field || !DataSetActive()) return false;
    const TqzDittoOptions opts = FImpl->DittoAttributes->Options();
    TqzColumn* column = ColumnByName(Field->FieldName());
    if (opts.Contains(qzdoSkipReadOnlyFields) && (Field->ReadOnly() || (column && column->ReadOnly())))
        return false;
    if (opts.Contains(qzdoSkipBlobFields) && Field->IsBlob()) return false;
    std::string value;
    bool found = false;
    switch (FImpl->DittoAttributes->DittoDirection()) {
    case qzDittoPrior: found = DittoPriorText(Field->FieldName(), value); break;
    case qzDittoNext: found = DittoNextText(Field->FieldName(), value); break;
    case qzDittoPriorOrNext:
        found = DittoPriorText(Field->FieldName(), value) || DittoNextText(Field->FieldName(), value);
        break;
    }
    if (!found) return false;
    bool allow = true;
    FImpl->OnDitto(this, FImpl->DataLink->DataSet(), Field, value, allow);
    // The record goes into edit whichever column is current.
    if (!allow || !CanEditGrid()) return false;
    FImpl->DataLink->Edit();
    if (!FImpl->DataLink->Editing()) return false;
    Field->SetText(value);
    return true;
}

bool TqzCustomDBGrid::HandleDittoKey(uint16_t Key, TShiftState Shift) {
    const TShortCut pressed = ShortCut(Key, Shift * TShiftState{ssShift, ssCtrl, ssAlt});
    if (pressed == 0 || !DataSetActive()) return false;
    if (pressed == FImpl->DittoAttributes->ShortCutDittoRecord()) {
        TDataSet* ds = FImpl->DataLink->DataSet();
        if (FImpl->DittoAttributes->Options().Contains(qzdoSkipHiddenFields)) {
            for (int i = 0; i < FImpl->DataLink->FieldCount(); ++i) DittoField(FImpl->DataLink->Fields(i));
        } else {
            for (int i = 0; i < ds->Fields()->Count(); ++i) DittoField((*ds->Fields())[i]);
        }
        InvalidateEditor();
        return true;
    }
    if (pressed == FImpl->DittoAttributes->ShortCutDittoField()) {
        DittoField(SelectedField());
        InvalidateEditor();
        return true;
    }
    return false;
}

// ---- Keys ----------------------------------------------------------------------------------------

void TqzCustomDBGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    // OnKeyDown
    if (!RunWhileAlive(this, [&] { TWinControl::KeyDown(Key, Shift); }) || Key == 0 ||
        !FImpl->DataLink->Active() || !DataSetActive() || !CanGridAcceptKey(Key, Shift))
        return;
    TDataSet* ds = FImpl->DataLink->DataSet();
    if (HandleDittoKey(Key, Shift)) {
        Key = 0;
        return;
    }
    if (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) FImpl->InCellControls.MoveAway();
    if ((Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) && !CanFocus()) return;
    // Right to left, the next column lies to the left.
    if (UseRightToLeftAlignment() && !Shift.Contains(ssCtrl) && (Key == VK_LEFT || Key == VK_RIGHT))
        Key = Key == VK_LEFT ? VK_RIGHT : VK_LEFT;
    const bool singleOrRows = FImpl->DataLink->FieldCount() == 1 || FImpl->Options.Contains(dgRowSelect);
    const int lastCol = ColCount() - FImpl->IndicatorOffset - 1;
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_PRIOR:
        case VK_UP: ds->MoveBy(-FImpl->DataLink->ActiveRecord()); break;
        case VK_NEXT:
        case VK_DOWN: ds->MoveBy(FImpl->DataLink->RecordCount() - 1 - FImpl->DataLink->ActiveRecord()); break;
        case VK_HOME: ds->First(); break;
        case VK_END: ds->Last(); break;
        case VK_LEFT: SelectDataColumn(0); break;
        case VK_RIGHT: SelectDataColumn(lastCol); break;
        case VK_DELETE:
            if (FImpl->KeyOptions.Contains(dgAllowDelete) && !FImpl->ReadOnly && ds->CanModify() &&
                FImpl->Options.Contains(dgEditing) && !ds->IsEmpty() &&
                (!FImpl->Options.Contains(dgConfirmDelete) ||
                 MessageDlg(kDeleteRecord, mtConfirmation, {mbOK, mbCancel}, 0) == mrOk)) {
                ds->Delete();
                HideEditor();
            }
            break;
        default: return;
        }
        Key = 0;
        return;
    }
    switch (Key) {
    case VK_HOME:
        if (singleOrRows)
            ds->First();
        else
            SelectDataColumn(0);
        break;
    case VK_END:
        if (singleOrRows)
            ds->Last();
        else
            SelectDataColumn(lastCol);
        break;
    case VK_PRIOR: ds->MoveBy(-VisibleDataRows()); break;
    case VK_NEXT: ds->MoveBy(VisibleDataRows()); break;
    case VK_UP: PriorRecord(); break;
    case VK_DOWN: NextRecord(); break;
    case VK_LEFT:
        if (FImpl->Options.Contains(dgRowSelect))
            PriorRecord();
        else if (SelectedIndex() >
                 (FImpl->Options.Contains(dgFixedEditable) ? 0 : FixedCols() - FImpl->IndicatorOffset))
            SelectDataColumn(SelectedIndex() - 1);
        break;
    case VK_RIGHT:
        if (FImpl->Options.Contains(dgRowSelect))
            NextRecord();
        else if (SelectedIndex() < lastCol)
            SelectDataColumn(SelectedIndex() + 1);
        break;
    case VK_TAB:
        if (Shift.Contains(ssAlt)) return;
        TabMove(!Shift.Contains(ssShift));
        break;
    case VK_RETURN:
        if (!FImpl->KeyOptions.Contains(dgEnterToTab)) return;
        TabMove(true);
        break;
    case VK_ESCAPE:
        // The typed text is dropped: hiding the editor must not hand it back.
        if (InplaceEditor() && FImpl->DataLink->Modified()) InplaceEditor()->SetModified(false);
        FImpl->DataLink->Reset();
        if (!FImpl->Options.Contains(dgAlwaysShowEditor)) {
            HideEditor();
        } else if (FImpl->OnCheckValue && QzEditor()) {
            // The editor shows the field again and tests it.
            InvalidateEditor();
            QzEditor()->ValidateText(QzEditor()->Text());
        }
        break;
    case VK_INSERT:
        if (!FImpl->ReadOnly && FImpl->Options.Contains(dgEditing) &&
            FImpl->KeyOptions.Contains(dgAllowInsert))
            ds->Insert();
        break;
    case VK_F2:
        if (TField* f = SelectedField(); f && !f->IsBlob() && !IsCustomControlCell(Col(), Row()))
            ShowEditor();
        break;
    default: return;
    }
    Key = 0;
}

void TqzCustomDBGrid::KeyPress(char32_t& Key) {
    if (Key == 13 && FImpl->KeyOptions.Contains(dgEnterToTab)) Key = 9;
    const bool enter = Key == 13;
    if (enter && !FImpl->Options.Contains(dgAlwaysShowEditor)) FImpl->DataLink->UpdateRecord();
    if (!RunWhileAlive(this, [&] { TCustomGrid::KeyPress(Key); })) return;
    // Editor mode ends when the editor cannot show; else an open control
    // that takes returns gets the Enter back.
    if (!enter || FImpl->Options.Contains(dgAlwaysShowEditor)) return;
    if (CanEditShow()) {
        FImpl->InCellControls.EnterPressed(Key);
    } else if (EditorMode()) {
        SetEditorMode(false);
        Key = 13;
    }
}
