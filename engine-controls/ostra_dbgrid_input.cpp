// TOstraCustomDBGrid: keys, the mouse, title and cell clicks, check boxes,
// selecting rows, deleting and inserting, and how a cell edit reaches its
// field. The grid moves through the dataset only by its data link.
#include <algorithm>

#include "engine-controls/engine_controls_messages.h"
#include "engine-controls/ostra_dbgrid.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/menus.h"

namespace {
// Fields whose text the grid's editor cannot edit.
bool TextEditable(const TField* Field) {
    switch (Field->DataType()) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet: return false;
    default: return true;
    }
}

// Runs the grid's update lock around a step.
class TUpdateLocker {
public:
    explicit TUpdateLocker(TOstraCustomDBGrid* Grid) : FGrid(Grid), FWatch(Grid) { Grid->BeginUpdate(); }
    ~TUpdateLocker() {
        if (!FWatch.Gone()) FGrid->EndUpdate();
    }

private:
    TOstraCustomDBGrid* FGrid;
    const TControlWatch FWatch;  // a handler may free the grid meanwhile
};
}  // namespace

// ---- Clicks and columns --------------------------------------------------------------------------------

void TOstraCustomDBGrid::CellClick(TOstraColumn* Column) {
    if (Column && Column->LongTextAsHint() && !ComponentState().Contains(csDesigning))
        if (TField* f = Column->Field()) {
            if (Application) Application->CancelHint();
            SetHint(f->Text());
        }
    FOnCellClick(this, Column);
}

void TOstraCustomDBGrid::TitleClick(TOstraColumn* Column) {
    for (int i = 0; i < FColumns->Count(); ++i) FColumns->GetColumn(i)->FSortMarker = 0;
    InvalidateTitles();
    FOnTitleClick(this, Column);
}

void TOstraCustomDBGrid::EditButtonClick() {
    if (FOnEditButtonClick.Assigned()) FOnEditButtonClick(this, ColumnOf(Col()));
}

void TOstraCustomDBGrid::ColEnter() { FOnColEnter(this); }

void TOstraCustomDBGrid::ColExit() { FOnColExit(this); }

void TOstraCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
    const int from = RawToDataColumn(FromIndex), to = RawToDataColumn(ToIndex);
    if (from >= 0 && to >= 0 && from < FColumns->Count() && to < FColumns->Count() && from != to)
        FColumns->GetColumn(from)->SetIndex(to);
    FOnColumnMoved(this, from, to);
}

void TOstraCustomDBGrid::ColWidthsChanged() {
    TCustomGrid::ColWidthsChanged();
    if (!FColumns || !(FDataLink->Active() || FColumns->State() == ocsCustomized)) return;
    if (!AcquireLayoutLock()) return;
    try {
        for (int raw = FIndicatorOffset; raw < ColCount(); ++raw) {
            const int i = RawToDataColumn(raw);
            if (i < FColumns->Count()) FColumns->GetColumn(i)->SetWidth(ColWidths(raw));
        }
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

void TOstraCustomDBGrid::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    InvalidateTitles();
}

void TOstraCustomDBGrid::MoveCol(int RawCol, int Direction) {
    FDataLink->UpdateData();
    const int first = TCustomGrid::FixedCols();
    RawCol = std::clamp(RawCol, first, ColCount() - 1);
    if (Direction != 0) {
        while (RawCol < ColCount() && RawCol >= first && ColWidths(RawCol) <= 0) RawCol += Direction;
        if (RawCol >= ColCount() || RawCol < first) return;
    }
    const int oldCol = Col();
    if (RawCol == oldCol) return;
    if (!FInColExit) {
        const TControlWatch watch(this);
        FInColExit = true;
        try {
            ColExit();
        } catch (...) {
            if (!watch.Gone()) FInColExit = false;
            throw;
        }
        if (watch.Gone()) return;
        FInColExit = false;
        if (Col() != oldCol) return;
    }
    if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
    SetCol(RawCol);
    ColEnter();
}

// ---- Editing ---------------------------------------------------------------------------------------------

bool TOstraCustomDBGrid::CanEditShow() {
    if (FLayoutLock != 0 || !TCustomGrid::CanEditShow()) return false;
    // A check-box cell has no text to edit: a click toggles it.
    TOstraColumn* column = FColumns ? ColumnOf(Col()) : nullptr;
    return !column || column->ButtonStyle() != cbsCheck;
}

bool TOstraCustomDBGrid::CanEditAcceptKey(char32_t Key) {
    TField* f = FDataLink->Active() ? SelectedField() : nullptr;
    if (!f) return false;
    // Characters beyond ASCII count as text characters.
    return Key < 128 ? f->IsValidChar(static_cast<char>(Key)) : f->IsValidChar('\x80');
}

bool TOstraCustomDBGrid::CanEditModify() {
    if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly()) return false;
    TOstraColumn* column = ColumnOf(Col());
    if (!column || column->ReadOnly()) return false;
    TField* f = column->Field();
    TDataSet* ds = FDataLink->DataSet();
    if (!f || !ds) return false;
    if (!(f->CanModify() || (f->Calculated() && ds->CanModify()))) return false;
    if (!TextEditable(f) && !f->OnSetText().Assigned()) return false;
    FDataLink->Edit();
    const bool editing = FDataLink->Editing();
    if (editing) FDataLink->Modified();
    return editing;
}

// The editor's starting text; a pending edit of another cell stays as it is.
std::string TOstraCustomDBGrid::GetEditText(int ACol, int) {
    if (!FDataLink->Active()) return std::string();
    TOstraColumn* column = ColumnOf(ACol);
    return column ? column->EditText() : std::string();
}

void TOstraCustomDBGrid::SetEditText(int ACol, int, const std::string& Value) {
    TOstraColumn* column = ColumnOf(ACol);
    FEditText = column ? column->StoredText(Value) : Value;
    FEditColumn = column;
    if (FDataLink->Editing()) FDataLink->Modified();
}

TOstraColumn* TOstraCustomDBGrid::EditColumn() const {
    // Only while the column is still one of the grid's.
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->GetColumn(i) == FEditColumn) return FEditColumn;
    return nullptr;
}

std::string TOstraCustomDBGrid::GetEditMask(int ACol, int) {
    if (!FDataLink->Active()) return std::string();
    TOstraColumn* column = ColumnOf(ACol);
    TField* f = column ? column->Field() : nullptr;
    return f ? f->EditMask() : std::string();
}

int TOstraCustomDBGrid::GetEditLimit() {
    TField* f = SelectedField();
    if (!f || f->DataType() != ftString) return 0;
    // A pick-list line is typed and its value stored: the field's size
    // would cut "Medium" before it is looked up.
    const int index = SelectedIndex();
    const TOstraColumn* column =
        index >= 0 && index < FColumns->Count() ? FColumns->GetColumn(index) : nullptr;
    if (column && column->ButtonStyle() == cbsCombo && column->PickMapping()) return 0;
    // none where the dataset keeps texts of any length
    return TextRoomOf(f);
}

// ---- Selection ---------------------------------------------------------------------------------------------

void TOstraCustomDBGrid::ClearSelection() {
    if (!FOptions.Contains(dgMultiSelect)) return;
    FBookmarks->Clear();
    FSelecting = false;
}

void TOstraCustomDBGrid::DoSelection(bool Select, int Direction, TShiftState Shift) {
    TUpdateLocker lock(this);
    TDataSet* ds = FDataLink->DataSet();
    bool addAfter = false;
    if (FOptions.Contains(dgMultiSelect) && FDataLink->Active() && ds) {
        if (Select && Shift.Contains(ssShift)) {
            if (!FSelecting) {
                FSelectionAnchor = FBookmarks->CurrentRow();
                FSelectionAnchorRecNo = ds->RecNo();
                FBookmarks->SetCurrentRowSelected(true);
                FSelecting = true;
                addAfter = true;
            } else {
                // Where the current row stands against the anchor, in the
                // order the rows show (bookmarks need not follow it).
                int cmp;
                const int recNo = ds->RecNo();
                if (ds->IsSequenced() && recNo > 0 && FSelectionAnchorRecNo > 0)
                    cmp = (recNo > FSelectionAnchorRecNo) - (recNo < FSelectionAnchorRecNo);
                else
                    cmp = FBookmarks->Compare(FBookmarks->CurrentRow(), FSelectionAnchor);
                addAfter = cmp != -Direction;
                if (!addAfter) FBookmarks->SetCurrentRowSelected(false);
            }
        } else {
            ClearSelection();
        }
    }
    FDataLink->MoveBy(Direction);
    if (addAfter) FBookmarks->SetCurrentRowSelected(true);
}

bool TOstraCustomDBGrid::CanInsertHere() {
    TDataSet* ds = FDataLink->DataSet();
    return ds && ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing) && FAllowInsert;
}

void TOstraCustomDBGrid::NextRow(bool Select, TShiftState Shift) {
    TDataSet* ds = FDataLink->DataSet();
    if (!ds) return;
    if (ds->State() == dsInsert && !ds->Modified() && !FDataLink->IsModified()) {
        if (FDataLink->Eof()) return;
        ds->Cancel();
    } else {
        DoSelection(Select, 1, Shift);
    }
    if (FDataLink->Eof() && CanInsertHere()) ds->Append();
}

void TOstraCustomDBGrid::PriorRow(bool Select, TShiftState Shift) {
    TDataSet* ds = FDataLink->DataSet();
    if (!ds) return;
    if (ds->State() == dsInsert && !ds->Modified() && FDataLink->Eof() && !FDataLink->IsModified())
        ds->Cancel();
    else
        DoSelection(Select, -1, Shift);
}

void TOstraCustomDBGrid::Tab(bool GoForward) {
    TUpdateLocker lock(this);
    int col = Col();
    const int original = col;
    for (;;) {
        col += GoForward ? 1 : -1;
        if (col >= ColCount()) {
            NextRow(false, {});
            col = FIndicatorOffset;
        } else if (col < FIndicatorOffset) {
            PriorRow(false, {});
            col = ColCount() - 1;
        }
        if (col == original) return;
        if (TabStops(col)) {
            MoveCol(col, 0);
            return;
        }
    }
}

bool TOstraCustomDBGrid::DeletePrompt() {
    if (!FAllowDelete) return false;
    if (!FOptions.Contains(dgConfirmDelete)) return true;
    const char* text = FBookmarks->Count() > 1 ? SDeleteMultipleRecordsQuestion : SDeleteRecordQuestion;
    return MessageDlg(text, mtConfirmation, mbOKCancel, 0) != mrCancel;
}

// ---- Keys ----------------------------------------------------------------------------------------------------

void TOstraCustomDBGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { TWinControl::KeyDown(Key, Shift); })) return;  // OnKeyDown
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds || !CanGridAcceptKey(Key, Shift)) return;
    if (UseRightToLeftAlignment()) {
        if (Key == VK_LEFT)
            Key = VK_RIGHT;
        else if (Key == VK_RIGHT)
            Key = VK_LEFT;
    }
    const bool rowSelect = FOptions.Contains(dgRowSelect);
    if (Shift.Contains(ssCtrl)) return CtrlKeyDown(Key, ds);
    switch (Key) {
    case VK_UP: PriorRow(true, Shift); break;
    case VK_DOWN: NextRow(true, Shift); break;
    case VK_LEFT:
        if (rowSelect)
            PriorRow(false, Shift);
        else
            MoveCol(Col() - 1, -1);
        break;
    case VK_RIGHT:
        if (rowSelect)
            NextRow(false, Shift);
        else
            MoveCol(Col() + 1, 1);
        break;
    case VK_HOME:
        if (ColCount() == FIndicatorOffset + 1 || rowSelect) {
            ClearSelection();
            ds->First();
        } else {
            MoveCol(FIndicatorOffset, 1);
        }
        break;
    case VK_END:
        if (ColCount() == FIndicatorOffset + 1 || rowSelect) {
            ClearSelection();
            ds->Last();
        } else {
            MoveCol(ColCount() - 1, -1);
        }
        break;
    case VK_NEXT:
        ClearSelection();
        FDataLink->MoveBy(VisibleRowCount());
        break;
    case VK_PRIOR:
        ClearSelection();
        FDataLink->MoveBy(-VisibleRowCount());
        break;
    case VK_INSERT:
        if (ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing) && FAllowInsert) {
            ClearSelection();
            ds->Insert();
        }
        break;
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) Tab(!Shift.Contains(ssShift));
        break;
    case VK_RETURN:
        if (FOptions.Contains(dgEnterToTab) && !Shift.Contains(ssAlt)) Tab(!Shift.Contains(ssShift));
        break;
    case VK_ESCAPE:
        FDataLink->Reset();
        ClearSelection();
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        break;
    case VK_F2: SetEditorMode(true); break;
    default: break;
    }
}

void TOstraCustomDBGrid::CtrlKeyDown(uint16_t Key, TDataSet* DataSet) {
    switch (Key) {
    case VK_UP:
    case VK_PRIOR:
    case VK_DOWN:
    case VK_NEXT:
    case VK_HOME:
    case VK_END: ClearSelection(); break;
    default: break;
    }
    switch (Key) {
    case VK_UP:
    case VK_PRIOR: FDataLink->MoveBy(-FDataLink->ActiveRecord()); break;
    case VK_DOWN:
    case VK_NEXT: FDataLink->MoveBy(FDataLink->BufferCount() - FDataLink->ActiveRecord() - 1); break;
    case VK_LEFT: MoveCol(FIndicatorOffset, 1); break;
    case VK_RIGHT: MoveCol(ColCount() - 1, -1); break;
    case VK_HOME: DataSet->First(); break;
    case VK_END: DataSet->Last(); break;
    case VK_DELETE:
        if (!FReadOnly && !DataSet->IsEmpty() && DataSet->CanModify() && DeletePrompt()) {
            if (FBookmarks->Count() > 0)
                FBookmarks->Delete();
            else
                DataSet->Delete();
        }
        break;
    default: break;
    }
}

void TOstraCustomDBGrid::KeyPress(char32_t& Key) {
    if (FOptions.Contains(dgEnterToTab) && Key == 13) Key = 9;
    if (!FOptions.Contains(dgAlwaysShowEditor) && Key == 13) FDataLink->UpdateData();
    TCustomGrid::KeyPress(Key);
}

// ---- Mouse ---------------------------------------------------------------------------------------------------

void TOstraCustomDBGrid::ToggleCheckBox(TOstraColumn* Column) {
    if (Column->IsSelectionColumn() && FOptions.Contains(dgMultiSelect) && FDataLink->Active()) {
        FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
        return;
    }
    TField* f = Column->Field();
    TDataSet* ds = FDataLink->DataSet();
    if (!f || !ds || Column->ReadOnly() || !FOptions.Contains(dgEditing)) return;
    if (!f->CanModify()) return;
    TDataSource* source = DataSource();
    const bool editing = ds->State() == dsEdit || ds->State() == dsInsert;
    if (!editing && !(source && source->AutoEdit())) return;
    FDataLink->Edit();
    if (!FDataLink->Editing()) return;
    f->SetText(f->Text() == Column->ValueChecked() ? Column->ValueUnChecked() : Column->ValueChecked());
    const int raw = DataToRawColumn(Column->Index());
    if (raw < ColCount()) InvalidateCell(raw, Row());
    Update();
}

void TOstraCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!ComponentState().Contains(csDesigning) && CanFocus() && !IsActiveControl()) {
        SetFocus();
        if (!IsActiveControl()) {
            SetMouseCapture(false);
            return;
        }
    }
    // The window has fired the double-click event already.
    if (Button == mbLeft && Shift.Contains(ssDouble)) return;
    {
        TGridDrawInfo info;
        TGridState state = gsNormal;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(X, Y, state, index, pos, ofs, info);
        if (state != gsNormal) {
            FDataLink->UpdateData();
            TCustomGrid::MouseDown(Button, Shift, X, Y);
            return;
        }
    }
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0 && cell.Y < 0) {
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    // The top-left cell is the handle a dockable grid is dragged by.
    if (DragKind() == dkDock && cell.X < FIndicatorOffset && cell.Y < FTitleOffset &&
        !ComponentState().Contains(csDesigning)) {
        BeginDrag(false);
        return;
    }
    if (cell.Y >= 0 && cell.Y < FTitleOffset && cell.X >= FIndicatorOffset) {
        FDataLink->UpdateData();
        if (ComponentState().Contains(csDesigning)) {
            TCustomGrid::MouseDown(Button, Shift, X, Y);
            return;
        }
        TOstraColumn* column = ColumnOf(cell.X);
        if (column && column->CanClick()) {
            // A pressed title; no column move starts.
            column->SetTitlePressed(true);
            InvalidateCell(cell.X, cell.Y);
            TControl::MouseDown(Button, Shift, X, Y);
        } else {
            TCustomGrid::MouseDown(Button, Shift, X, Y);
        }
        return;
    }
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds) {
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    const TControlWatch watch(this);
    PressDataArea(Button, Shift, cell);
    // Rows are dragged out once the mouse has moved 5 pixels.
    if (!watch.Gone() && Button == mbLeft && cell.Y >= FTitleOffset && DragKind() == dkDrag &&
        FOptions.Contains(dgDragOutRows))
        BeginDrag(false, 5);
}

void TOstraCustomDBGrid::PressDataArea(TMouseButton Button, TShiftState Shift, const TGridCoord& cell) {
    const TControlWatch watch(this);
    TUpdateLocker lock(this);
    FDataLink->UpdateData();
    HideEditor();
    const int oldCol = Col(), oldRow = Row();
    // The record shown at the press, though leaving an insert moves the rows.
    if (cell.Y >= FTitleOffset && cell.Y != Row()) FDataLink->MoveToShownRecord(cell.Y - FTitleOffset);
    if (watch.Gone() || cell.X < FIndicatorOffset) return;
    MoveCol(cell.X, 0);
    if (watch.Gone()) return;
    TOstraColumn* column = ColumnOf(cell.X);
    if (!column) return;
    if (FOptions.Contains(dgMultiSelect) && !column->IsSelectionColumn()) {
        FSelecting = false;
        if (Shift.Contains(ssCtrl)) {
            FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
        } else {
            FBookmarks->Clear();
            FBookmarks->SetCurrentRowSelected(true);
        }
    }
    if (Button != mbLeft) return;
    if (column->ButtonStyle() == cbsCheck) {
        ToggleCheckBox(column);
        SetMouseCapture(false);
    } else if ((cell.X == oldCol && cell.Y == oldRow) || FOptions.Contains(dgAlwaysShowEditor)) {
        ShowEditor();
    } else {
        InvalidateEditor();
    }
}

void TOstraCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridState state = GridState();
    // OnMouseUp
    if (!RunWhileAlive(this, [&] { TCustomGrid::MouseUp(Button, Shift, X, Y); }) || state == gsColMoving)
        return;
    if (FInplaceEdit && FInplaceEdit->Visible() && PtInRect(FInplaceEdit->BoundsRect(), Point(X, Y))) return;
    if (state == gsColSizing && FOnColumnResized.Assigned()) {
        const TGridCoord sized = MouseCoordBefore(X, Y, 5);
        FOnColumnResized(this, ColumnOf(sized.X));
        return;
    }
    TOstraColumn* pressed = nullptr;
    bool anyPressed = false;
    for (int i = 0; i < FColumns->Count(); ++i) {
        TOstraColumn* column = FColumns->GetColumn(i);
        if (!column->TitlePressed()) continue;
        pressed = column;
        anyPressed = true;
        column->SetTitlePressed(false);
    }
    if (anyPressed) InvalidateTitles();
    if (Button != mbLeft) return;
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < FIndicatorOffset || cell.Y < 0) return;
    TOstraColumn* column = ColumnOf(cell.X);
    if (!column) return;
    if (cell.Y >= FTitleOffset)
        CellClick(column);
    else if (column->CanClick() && column == pressed)
        TitleClick(column);
}

bool TOstraCustomDBGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (!FDataLink->Active()) {
        TCustomGrid::DoMouseWheelDown(Shift, MousePos);
        return true;
    }
    if (!TControl::DoMouseWheelDown(Shift, MousePos)) FDataLink->MoveBy(1);
    return true;
}

bool TOstraCustomDBGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (!FDataLink->Active()) {
        TCustomGrid::DoMouseWheelUp(Shift, MousePos);
        return true;
    }
    if (!TControl::DoMouseWheelUp(Shift, MousePos)) FDataLink->MoveBy(-1);
    return true;
}

void TOstraCustomDBGrid::TimedScroll(TGridScrollDirection Direction) {
    if (!FDataLink->Active()) {
        TCustomGrid::TimedScroll(Direction);
        return;
    }
    if (Direction.Contains(sdUp)) {
        FDataLink->MoveBy(-FDataLink->ActiveRecord() - 1);
        Direction -= sdUp;
    }
    if (Direction.Contains(sdDown)) {
        FDataLink->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
        Direction -= sdDown;
    }
    if (!Direction.Empty()) TCustomGrid::TimedScroll(Direction);
}

void TOstraCustomDBGrid::DoContextPopup(TPoint MousePos, bool& Handled) {
    const TGridCoord cell = MouseCoord(MousePos.X, MousePos.Y);
    TOstraColumn* column = cell.X >= FIndicatorOffset ? ColumnOf(cell.X) : nullptr;
    TPopupMenu* menu = column ? column->PopupMenu() : nullptr;
    if (menu && menu->AutoPopup()) {
        const TPoint screen = ClientToScreen(MousePos);
        menu->SetPopupComponent(this);
        menu->Popup(screen.X, screen.Y);
        Handled = true;
        return;
    }
    TCustomGrid::DoContextPopup(MousePos, Handled);
}

void TOstraCustomDBGrid::WMVScroll(TMessage& Message) {
    Message.Result = 0;
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds) return;
    if (!ComponentState().Contains(csDesigning) && CanFocus() && !IsActiveControl()) SetFocus();
    const int code = Message.WParamLo();
    int pos = Message.WParamHi();
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
        // The message carries 16 bits; the bar keeps the whole position.
        TScrollInfo si;
        GetScrollInfo(SB_VERT, si);
        if ((si.nTrackPos & 0xFFFF) == pos) pos = si.nTrackPos;
    }
    const int page = std::max(1, VisibleRowCount());
    switch (code) {
    case SB_LINEUP: FDataLink->MoveBy(-1); break;
    case SB_LINEDOWN: FDataLink->MoveBy(1); break;
    case SB_PAGEUP: FDataLink->MoveBy(-page); break;
    case SB_PAGEDOWN: FDataLink->MoveBy(page); break;
    case SB_THUMBPOSITION:
        if (ds->IsSequenced()) {
            ds->SetRecNo(pos);
        } else {
            switch (pos) {
            case 0: ds->First(); break;
            case 1: FDataLink->MoveBy(-page); break;
            case 3: FDataLink->MoveBy(page); break;
            case 4: ds->Last(); break;
            default: break;
            }
        }
        break;
    case SB_BOTTOM: ds->Last(); break;
    case SB_TOP: ds->First(); break;
    default: break;
    }
}

void TOstraCustomDBGrid::DoExit() {
    try {
        TDataSet* ds = FDataLink->DataSet();
        if (FDataLink->Active() && ds) {
            if (FOptions.Contains(dgEditing) && FOptions.Contains(dgCancelOnExit) &&
                ds->State() == dsInsert && !ds->Modified() && !FDataLink->IsModified())
                ds->Cancel();
            else
                FDataLink->UpdateData();
        }
    } catch (...) {
        if (CanFocus()) SetFocus();
        throw;
    }
    TCustomGrid::DoExit();
}
