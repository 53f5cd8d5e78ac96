// TOstraCustomDBGrid: construction, properties, layout, the data link's
// notifications and the vertical scroll bar. Drawing is in
// ostra_dbgrid_paint.cpp, keys and the mouse in ostra_dbgrid_input.cpp.
#include "engine-controls/ostra_dbgrid.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/menus.h"

namespace {
// The posted message that redoes a layout asked for while the dataset's
// controls were disabled.
unsigned DeferLayoutMessage() {
    static const unsigned msg = RegisterWindowMessage("OstraDBGridDeferLayout");
    return msg;
}

// Glyphs 0 to 4 leave white out, the sort markers silver.
constexpr TColor GlyphMaskColor(int Index) { return Index < 5 ? clWhite : clSilver; }
}  // namespace

// ---- Construction ------------------------------------------------------------------------------------

TOstraCustomDBGrid::TOstraCustomDBGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
    AcquireDrawBitmap();
    RegisterOstraGridGlyphs();
    FIndicators = std::make_unique<TImageList>(nullptr);
    for (int i = 0; i < 7; ++i) {
        TBitmap glyph;
        glyph.LoadFromResourceName(OstraGridGlyphNames[i]);
        if (i == 0) FIndicators->SetSize(glyph.Width(), glyph.Height());
        FIndicators->AddMasked(&glyph, GlyphMaskColor(i));
    }
    FTitleFont = std::make_unique<TFont>();
    FTitleFont->Assign(Font());
    FTitleFont->SetOnChange(TNotifyEvent(this, &TOstraCustomDBGrid::TitleFontChanged));
    SetScrollBars(ssHorizontal);
    TCustomGrid::SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing,
                             goColMoving, goEditing, goTabs});
    FColumns = std::make_unique<TOstraDBGridColumns>(this);
    FDataLink = std::make_unique<TGridDataLink>(this);
    FBookmarks = std::make_unique<TBookmarkList>(this);
    FOptions = OstraDBGridDefaultOptions;
    SetDefaultDrawing(true);
    SetColCount(2);
    SetRowCount(2);
    HideEditor();
}

TOstraCustomDBGrid::~TOstraCustomDBGrid() {
    Destroying();
    FTitleFont->SetOnChange(nullptr);
    FColumns.reset();
    FDataLink.reset();
    FBookmarks.reset();
    FIndicators.reset();
    ReleaseDrawBitmap();
}

// ---- Data --------------------------------------------------------------------------------------------

TDataSource* TOstraCustomDBGrid::DataSource() const { return FDataLink->DataSource(); }

void TOstraCustomDBGrid::SetDataSource(TDataSource* Value) {
    if (Value == FDataLink->DataSource()) return;
    FBookmarks->Clear();
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    LinkActive(FDataLink->Active());
}

void TOstraCustomDBGrid::SetColumns(TOstraDBGridColumns* Value) {
    if (!Value || Value == FColumns.get()) return;
    BeginLayout();
    try {
        FColumns->Clear();
        for (int i = 0; i < Value->Count(); ++i) FColumns->Add()->Assign(Value->GetColumn(i));
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

int TOstraCustomDBGrid::SelectedIndex() const { return RawToDataColumn(Col()); }

void TOstraCustomDBGrid::SetSelectedIndex(int Value) { MoveCol(DataToRawColumn(Value), 0); }

TField* TOstraCustomDBGrid::SelectedField() const {
    const int index = SelectedIndex();
    if (index < 0 || index >= FColumns->Count()) return nullptr;
    return FColumns->GetColumn(index)->Field();
}

void TOstraCustomDBGrid::SetSelectedField(TField* Value) {
    if (!Value) return;
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->GetColumn(i)->Field() == Value) {
            MoveCol(DataToRawColumn(i), 0);
            return;
        }
}

TOstraColumn* TOstraCustomDBGrid::ColumnOf(int RawCol) const {
    const int index = RawToDataColumn(RawCol);
    if (index < 0 || index >= FColumns->Count()) return nullptr;
    return FColumns->GetColumn(index);
}

bool TOstraCustomDBGrid::ActiveRowSelected() const {
    if (!FOptions.Contains(dgMultiSelect) || !FDataLink->Active()) return false;
    TDataSet* ds = FDataLink->DataSet();
    if (!ds) return false;
    const TBookmark bookmark = ds->Bookmark();
    if (bookmark.empty()) return false;
    int index = 0;
    return FBookmarks->Find(bookmark, index);
}

// ---- Options and looks -------------------------------------------------------------------------------

void TOstraCustomDBGrid::SetOptions(TOstraDBGridOptions Value) {
    if (Value == FOptions) return;
    if (Value.Contains(dgDragOutRows)) Value += dgRowSelect;
    if (Value.Contains(dgRowSelect)) {
        Value -= dgAlwaysShowEditor;
        Value -= dgEditing;
        Value -= dgEnterToTab;
    }
    TGridOptions grid;
    if (Value.Contains(dgColLines)) grid += TGridOptions{goFixedVertLine, goVertLine};
    if (Value.Contains(dgRowLines)) grid += TGridOptions{goFixedHorzLine, goHorzLine};
    if (Value.Contains(dgColumnResize)) grid += TGridOptions{goColSizing, goColMoving};
    if (Value.Contains(dgTabs)) grid += goTabs;
    if (Value.Contains(dgRowSelect)) grid += goRowSelect;
    if (Value.Contains(dgEditing)) grid += goEditing;
    if (Value.Contains(dgAlwaysShowEditor)) grid += goAlwaysShowEditor;
    TCustomGrid::SetOptions(grid);
    if (FOptions.Contains(dgMultiSelect) && !Value.Contains(dgMultiSelect)) ClearSelection();
    const TOstraDBGridOptions changed = (FOptions - Value) + (Value - FOptions);
    FOptions = Value;
    if (!FOptions.Contains(dgEditing)) {
        FAllowInsert = false;
        FAllowDelete = false;
    }
    const TOstraDBGridOptions layoutOptions{dgEditing,   dgAlwaysShowEditor,   dgTitles,
                                            dgIndicator, dgColLines,           dgRowLines,
                                            dgRowSelect, dgAlwaysShowSelection};
    if (!(changed * layoutOptions).Empty()) LayoutChanged();
}

void TOstraCustomDBGrid::SetAllowInsert(bool Value) { FAllowInsert = Value && FOptions.Contains(dgEditing); }

void TOstraCustomDBGrid::SetAllowDelete(bool Value) { FAllowDelete = Value && FOptions.Contains(dgEditing); }

void TOstraCustomDBGrid::SetTitleFont(TFont* Value) {
    if (Value) FTitleFont->Assign(Value);
}

void TOstraCustomDBGrid::TitleFontChanged(TObject*) {
    if (!FSelfChangingTitleFont && !ComponentState().Contains(csLoading)) SetParentFont(false);
    if (FOptions.Contains(dgTitles)) LayoutChanged();
}

void TOstraCustomDBGrid::SetFixedCols(int Value) {
    // Never negative, at run time either.
    if (Value < 0) Value = 0;
    if (ComponentState().Contains(csDesigning) && FDataLink->DataSet() && FDataLink->DataSet()->Active() &&
        FIndicatorOffset + Value >= ColCount())
        Value = 0;
    FFixedDataCols = Value;
    LayoutChanged();
}

void TOstraCustomDBGrid::SetRowsHeight(int Value) {
    FRowsHeight = Value;
    LayoutChanged();
}

void TOstraCustomDBGrid::SetTitleHeight(int Value) {
    FTitleHeight = Value;
    if (FOptions.Contains(dgTitles)) LayoutChanged();
}

void TOstraCustomDBGrid::SetHighlightColor(TColor Value) {
    if (Value == FHighlightColor) return;
    FHighlightColor = Value;
    Invalidate();
}

void TOstraCustomDBGrid::SetHighlightTextColor(TColor Value) {
    if (Value == FHighlightTextColor) return;
    FHighlightTextColor = Value;
    Invalidate();
}

void TOstraCustomDBGrid::CMFontChanged(TMessage& Message) {
    TCustomGrid::CMFontChanged(Message);
    if (!FColumns) return;
    ColumnsFontChanged();
}

void TOstraCustomDBGrid::ColumnsFontChanged() {
    BeginLayout();
    try {
        for (int i = 0; i < FColumns->Count(); ++i) {
            FColumns->GetColumn(i)->RefreshDefaultFont();
            FColumns->GetColumn(i)->Title()->RefreshDefaultFont();
        }
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

void TOstraCustomDBGrid::CMParentFontChanged(TMessage& Message) {
    TCustomGrid::CMParentFontChanged(Message);
    if (!ParentFont() || !FTitleFont) return;
    FSelfChangingTitleFont = true;
    try {
        FTitleFont->Assign(Font());
    } catch (...) {
        FSelfChangingTitleFont = false;
        throw;
    }
    FSelfChangingTitleFont = false;
    LayoutChanged();
}

// ---- Layout ------------------------------------------------------------------------------------------

void TOstraCustomDBGrid::BeginLayout() {
    BeginUpdate();
    if (FLayoutLock == 0 && FColumns) FColumns->BeginUpdate();
    ++FLayoutLock;
}

void TOstraCustomDBGrid::EndLayout() {
    if (FLayoutLock == 0) return;
    try {
        if (FLayoutLock == 1) InternalLayout();
    } catch (...) {
        if (FLayoutLock == 1 && FColumns) FColumns->EndUpdate();
        --FLayoutLock;
        EndUpdate();
        throw;
    }
    if (FLayoutLock == 1 && FColumns) FColumns->EndUpdate();
    --FLayoutLock;
    EndUpdate();
}

bool TOstraCustomDBGrid::AcquireLayoutLock() {
    const bool free = FUpdateLock == 0 && FLayoutLock == 0;
    if (free) BeginLayout();
    return free;
}

void TOstraCustomDBGrid::LayoutChanged() {
    if (AcquireLayoutLock()) EndLayout();
}

void TOstraCustomDBGrid::DeferLayout() {
    if (!HandleAllocated() || FLayoutDeferred) return;
    FLayoutDeferred = PostMessage(this, DeferLayoutMessage(), 0, 0);
}

bool TOstraCustomDBGrid::FieldIsMapped(TField* Field) const {
    if (!Field) return false;
    for (int i = 0; i < FDataLink->FieldCount(); ++i)
        if (FDataLink->Fields(i) == Field) return true;
    return false;
}

void TOstraCustomDBGrid::DefineFieldMap() {
    if (FColumns->State() == ocsCustomized) {
        FDataLink->SetSparseMap(true);
        for (int i = 0; i < FColumns->Count(); ++i)
            FDataLink->AddMapping(FColumns->GetColumn(i)->FieldName());
        return;
    }
    FDataLink->SetSparseMap(false);
    TDataSet* ds = FDataLink->DataSet();
    if (!ds) return;
    for (int i = 0; i < ds->Fields()->Count(); ++i) {
        TField* f = ds->Fields()->Fields(i);
        if (f->Visible()) FDataLink->AddMapping(f->FieldName());
    }
}

void TOstraCustomDBGrid::InternalLayout() {
    const TComponentState state = ComponentState();
    if (state.Contains(csLoading) || state.Contains(csDestroying) || !FColumns) return;
    FLayoutDeferred = false;

    // Stored columns after default ones: the default ones go.
    bool seenDefault = false, mixed = false;
    for (int i = 0; i < FColumns->Count() && !mixed; ++i) {
        if (!FColumns->GetColumn(i)->Stored())
            seenDefault = true;
        else if (seenDefault)
            mixed = true;
    }
    if (mixed)
        for (int i = FColumns->Count() - 1; i >= 0; --i)
            if (!FColumns->GetColumn(i)->Stored()) delete FColumns->GetColumn(i);

    FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
    FDataLink->ClearMapping();
    if (FDataLink->Active()) DefineFieldMap();

    if (FColumns->State() == ocsDefault) {
        if (!FDataLink->Active() && FDataLink->DefaultFields()) {
            FColumns->Clear();
        } else {
            for (int j = FColumns->Count() - 1; j >= 0; --j) {
                TOstraColumn* column = FColumns->GetColumn(j);
                if (!column->Field() || !FieldIsMapped(column->Field())) delete column;
            }
        }
        int count = FDataLink->FieldCount();
        if (count == 0 && FColumns->Count() == 0) count = 1;
        for (int j = 0; j < count; ++j) {
            TField* field = FDataLink->Fields(j);
            TOstraColumn* column = nullptr;
            if (field) {
                int k = j;
                while (k < FColumns->Count() && FColumns->GetColumn(k)->Field() != field) ++k;
                if (k < FColumns->Count()) {
                    column = FColumns->GetColumn(k);
                } else {
                    column = FColumns->InternalAdd();
                    column->SetField(field);
                }
            } else {
                column = FColumns->InternalAdd();
            }
            column->SetIndex(j);
        }
    } else {
        // Stored columns look their fields up again (the dataset may differ).
        for (int i = 0; i < FColumns->Count(); ++i) FColumns->GetColumn(i)->FField = nullptr;
    }

    const int cols = std::max(FColumns->Count(), 1) + FIndicatorOffset;
    SetColCount(cols);
    TCustomGrid::SetFixedCols(FIndicatorOffset);
    FTitleOffset = FOptions.Contains(dgTitles) ? 1 : 0;
    if (RowCount() <= FTitleOffset) SetRowCount(FTitleOffset + 1);
    SetFixedRows(FTitleOffset);
    UpdateRowHeights();
    UpdateRowCount();
    SetColumnAttributes();
    UpdateActive();
    Invalidate();
}

int TOstraCustomDBGrid::TextHeightOf(TFont* AFont) {
    TCanvas* canvas = Canvas();
    TFont saved;
    saved.Assign(canvas->Font());
    canvas->SetFont(AFont);
    const int h = canvas->TextHeight("Wg");
    canvas->SetFont(&saved);
    return h;
}

int TOstraCustomDBGrid::TitleRowHeight() {
    int h = 0;
    for (int i = 0; i < FColumns->Count(); ++i) {
        TOstraColumn* column = FColumns->GetColumn(i);
        if (!column->Showing()) continue;
        h = std::max(h, TextHeightOf(column->Title()->Font()) + 4);
    }
    if (h == 0) h = TextHeightOf(FTitleFont.get()) + 4;
    if (FTitleHeight > 0 && FTitleHeight > h) h = FTitleHeight;
    return h;
}

void TOstraCustomDBGrid::UpdateRowHeights() {
    int k = TextHeightOf(Font()) + 3;
    if (FOptions.Contains(dgRowLines)) k += GridLineWidth();
    if (FRowsHeight >= 1 && FRowsHeight > k) k = FRowsHeight;
    SetDefaultRowHeight(k);
    if (FTitleOffset > 0) {
        const int h = TitleRowHeight();
        for (int i = 0; i < FTitleOffset && i < RowCount(); ++i) SetRowHeights(i, h);
    }
}

int TOstraCustomDBGrid::VisibleDataRows() const {
    const int line = TCustomGrid::Options().Contains(goHorzLine) ? GridLineWidth() : 0;
    int titles = 0;
    for (int i = 0; i < FTitleOffset && i < RowCount(); ++i) titles += std::max(0, RowHeights(i)) + line;
    const int pitch = std::max(1, DefaultRowHeight() + line);
    return std::max(1, (ClientHeight() - titles) / pitch);
}

void TOstraCustomDBGrid::UpdateRowCount() {
    const int old = RowCount();
    if (RowCount() <= FTitleOffset) SetRowCount(FTitleOffset + 1);
    SetFixedRows(FTitleOffset);
    if (!FDataLink->Active() || FDataLink->RecordCount() == 0 || !HandleAllocated()) {
        SetRowCount(1 + FTitleOffset);
    } else {
        FDataLink->SetBufferCount(VisibleDataRows());
        SetRowCount(std::max(1, FDataLink->RecordCount()) + FTitleOffset);
        if (FOptions.Contains(dgRowSelect)) SetTopRow(FixedRows());
        UpdateActive();
    }
    if (old != RowCount()) Invalidate();
}

void TOstraCustomDBGrid::SetColumnAttributes() {
    const int io = FIndicatorOffset;
    const bool frozenFit = FFixedDataCols >= 0 && io + FFixedDataCols < ColCount();
    if (frozenFit)
        TCustomGrid::SetFixedCols(io + FFixedDataCols);
    else
        TCustomGrid::SetFixedCols(io);
    for (int i = 0; i < FColumns->Count() && i + io < ColCount(); ++i) {
        TOstraColumn* column = FColumns->GetColumn(i);
        const bool frozen = frozenFit && i < FFixedDataCols;
        bool tabStop = false;
        if (!frozen && column->Showing() && !column->ReadOnly() && FDataLink->Active()) {
            if (TField* f = column->Field()) {
                bool writable = !f->ReadOnly();
                if (writable && f->Lookup() && f->DataSet()) {
                    // A lookup field is written through its key fields.
                    for (TField* key : f->DataSet()->GetFieldList(f->KeyFields()))
                        if (key->ReadOnly()) writable = false;
                }
                tabStop = writable;
            }
        }
        SetTabStops(i + io, tabStop);
        SetColWidths(i + io, column->Width());
    }
    if (io > 0) SetColWidths(0, IndicatorWidth);
}

void TOstraCustomDBGrid::UpdateActive() {
    if (!FDataLink->Active() || !HandleAllocated() || ComponentState().Contains(csLoading)) return;
    const int newRow = std::min(FDataLink->ActiveRecord() + FTitleOffset, RowCount() - 1);
    if (newRow < FixedRows() || Col() < TCustomGrid::FixedCols()) return;
    if (Row() != newRow) {
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        MoveColRow(Col(), newRow, false, false);
        InvalidateEditor();
    }
}

void TOstraCustomDBGrid::UpdateScrollBar() {
    if (!HandleAllocated()) return;
    TScrollInfo old;
    GetScrollInfo(SB_VERT, old);
    TScrollInfo si = old;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds) {
        si.nMin = 0;
        si.nMax = 0;
        si.nPage = 0;
        si.nPos = 0;
    } else if (ds->IsSequenced()) {
        si.nMin = 1;
        si.nPage = static_cast<unsigned>(std::max(1, VisibleRowCount()));
        si.nMax = std::max(0, ds->RecordCount()) + static_cast<int>(si.nPage) - 1;
        const TDataSetState state = ds->State();
        if (state == dsInactive || state == dsBrowse || state == dsEdit) si.nPos = ds->RecNo();
    } else {
        si.nMin = 0;
        si.nMax = 4;
        si.nPage = 0;
        si.nPos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
    }
    if (si.nMin != old.nMin || si.nMax != old.nMax || si.nPage != old.nPage || si.nPos != old.nPos)
        SetScrollInfo(SB_VERT, si);
}

void TOstraCustomDBGrid::InvalidateTitles() {
    if (HandleAllocated() && FTitleOffset > 0) Invalidate();
}

void TOstraCustomDBGrid::InvalidateIndicatorRow(int Row) {
    if (HandleAllocated() && FIndicatorOffset > 0 && Row >= 0 && Row < RowCount()) InvalidateCell(0, Row);
}

// ---- Data link notifications -------------------------------------------------------------------------

void TOstraCustomDBGrid::LinkActive(bool Value) {
    if (!Value) HideEditor();
    FBookmarks->LinkActive(Value);
    LayoutChanged();
    UpdateScrollBar();
    if (Value && FOptions.Contains(dgAlwaysShowEditor)) ShowEditor();
}

void TOstraCustomDBGrid::DataChanged() {
    FBookmarks->DropReloaded();
    if (!HandleAllocated()) return;
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    InvalidateEditor();
    Invalidate();
}

void TOstraCustomDBGrid::Scroll(int Distance) {
    if (!HandleAllocated()) return;
    if (FDataLink->ActiveRecord() >= RowCount() - FTitleOffset) UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    if (Distance != 0) {
        HideEditor();
        if (FOptions.Contains(dgAlwaysShowEditor)) ShowEditor();
    }
    Invalidate();
}

void TOstraCustomDBGrid::EditingChanged() {
    if (FOptions.Contains(dgIndicator)) InvalidateIndicatorRow(FSelRow);
}

void TOstraCustomDBGrid::RecordChanged(TField* Field) {
    if (!HandleAllocated()) return;
    if (!Field) {
        Invalidate();
    } else {
        for (int i = 0; i < FColumns->Count(); ++i)
            if (FColumns->GetColumn(i)->FField == Field && DataToRawColumn(i) < ColCount())
                InvalidateCol(DataToRawColumn(i));
    }
    TField* current = SelectedField();
    if ((!Field || current == Field) && current && FInplaceEdit && FInplaceEdit->Visible()) {
        TOstraColumn* column = ColumnOf(Col());
        if (column && column->EditText() != FInplaceEdit->Text()) {
            InvalidateEditor();
            if (FInplaceEdit) FInplaceEdit->Deselect();
        }
    }
}

void TOstraCustomDBGrid::UpdateData() {
    TOstraColumn* column = EditColumn();
    TField* field = column ? column->Field() : nullptr;
    if (!field) return;
    if (field->Calculated())
        FOnCalcFieldEdited(this, field, FEditText);
    else
        field->SetText(FEditText);
    // Written: the editor's text no longer waits to be handed over, so
    // hiding or moving the editor later does not mark it pending again.
    if (FInplaceEdit && ColumnOf(FInplaceCol) == column) FInplaceEdit->SetModified(false);
}

// ---- Component and window ------------------------------------------------------------------------------

void TOstraCustomDBGrid::Loaded() {
    TCustomGrid::Loaded();
    if (FColumns->Count() > 0) SetColCount(FColumns->Count() + FIndicatorOffset);
    LayoutChanged();
}

void TOstraCustomDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation != opRemove || !FColumns || !FDataLink) return;
    bool needLayout = false;
    bool fieldGone = false;
    for (int i = 0; i < FColumns->Count(); ++i) {
        TOstraColumn* column = FColumns->GetColumn(i);
        if (static_cast<TComponent*>(column->FPopupMenu) == AComponent) column->FPopupMenu = nullptr;
        if (static_cast<TComponent*>(column->FLookupDataSet) == AComponent) {
            column->FLookupDataSet = nullptr;
            needLayout = true;
        }
        if (static_cast<TComponent*>(column->FField) == AComponent) {
            // Only unbound here: the field is going away, the layout waits.
            column->FField = nullptr;
            fieldGone = true;
        }
    }
    if (AComponent == FDataLink->DataSource()) SetDataSource(nullptr);
    TDataSet* ds = FDataLink->DataSet();
    if (fieldGone && FDataLink->Active()) DeferLayout();
    if (needLayout && FDataLink->Active()) {
        if (ds && ds->ControlsDisabled())
            DeferLayout();
        else
            LayoutChanged();
    }
}

void TOstraCustomDBGrid::CreateWnd() {
    BeginUpdate();
    try {
        TCustomGrid::CreateWnd();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    if (!FColumns) return;
    LayoutChanged();
    UpdateRowCount();
    UpdateActive();
    UpdateScrollBar();
}

void TOstraCustomDBGrid::Resize() {
    TCustomGrid::Resize();
    if (!FColumns || ComponentState().Contains(csLoading)) return;
    UpdateRowCount();
    UpdateScrollBar();
    InvalidateTitles();
}

void TOstraCustomDBGrid::Dispatch(TMessage& Message) {
    if (Message.Msg == DeferLayoutMessage()) {
        if (!FLayoutDeferred) return;
        FLayoutDeferred = false;
        TDataSet* ds = FDataLink->DataSet();
        if (ds && ds->ControlsDisabled())
            DeferLayout();
        else
            LayoutChanged();
        return;
    }
    TCustomGrid::Dispatch(Message);
}

// ---- Published ------------------------------------------------------------------------------------------

void TOstraDBGrid::Publish(TPublisher<TOstraDBGrid>& p) {
    using G = TOstraCustomDBGrid;
    TControl::PublishDrag(p);
    TControl::PublishStartDrag(p);
    TControl::PublishDock(p);
    TWinControl::PublishIme(p);
    p.Property("AllowDelete", &G::AllowDelete, &G::SetAllowDelete);
    p.Property("AllowInsert", &G::AllowInsert, &G::SetAllowInsert);
    p.Property("BorderStyle", &G::BorderStyle, &G::SetBorderStyle);
    p.Property("Columns", &G::Columns, &G::SetColumns);
    p.Property("DataSource", &G::DataSource, &G::SetDataSource);
    p.Property("DefaultDrawing", &G::DefaultDrawing, &G::SetDefaultDrawing);
    p.Property("FixedColor", &G::FixedColor, &G::SetFixedColor);
    p.Property("FixedCols", &G::FixedCols, &G::SetFixedCols);
    p.Property("HighlightColor", &G::HighlightColor, &G::SetHighlightColor);
    p.Property("HighlightTextColor", &G::HighlightTextColor, &G::SetHighlightTextColor);
    p.Property("Options", &G::Options, &G::SetOptions);
    p.Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode);
    p.Property(
        "PopupMenu", [](TOstraDBGrid& g) { return g.PopupMenu(); },
        [](TOstraDBGrid& g, TPopupMenu* v) { g.SetPopupMenu(v); });
    p.Property("ReadOnly", &G::ReadOnly, &G::SetReadOnly);
    p.Property("RowsHeight", &G::RowsHeight, &G::SetRowsHeight);
    p.Property("TitleFont", &G::TitleFont, &G::SetTitleFont);
    p.Property("TitleHeight", &G::TitleHeight, &G::SetTitleHeight);
    p.Property("AfterCloseUp", &G::AfterCloseUp, &G::SetAfterCloseUp);
    p.Property("BeforeDropDown", &G::BeforeDropDown, &G::SetBeforeDropDown);
    p.Property("OnCalcFieldEdited", &G::OnCalcFieldEdited, &G::SetOnCalcFieldEdited);
    p.Property("OnCellClick", &G::OnCellClick, &G::SetOnCellClick);
    p.Property("OnColEnter", &G::OnColEnter, &G::SetOnColEnter);
    p.Property("OnColExit", &G::OnColExit, &G::SetOnColExit);
    p.Property("OnColumnMoved", &G::OnColumnMoved, &G::SetOnColumnMoved);
    p.Property("OnColumnResized", &G::OnColumnResized, &G::SetOnColumnResized);
    p.Property("OnDrawCellAttr", &G::OnDrawCellAttr, &G::SetOnDrawCellAttr);
    p.Property("OnDrawColumnCell", &G::OnDrawColumnCell, &G::SetOnDrawColumnCell);
    p.Property("OnDrawTitleAttr", &G::OnDrawTitleAttr, &G::SetOnDrawTitleAttr);
    p.Property("OnEditButtonClick", &G::OnEditButtonClick, &G::SetOnEditButtonClick);
    p.Property("OnMultiSelectChanged", &G::OnMultiSelectChanged, &G::SetOnMultiSelectChanged);
    p.Property("OnSpecialKeyDown", &G::OnSpecialKeyDown, &G::SetOnSpecialKeyDown);
    p.Property("OnTitleClick", &G::OnTitleClick, &G::SetOnTitleClick);
}
