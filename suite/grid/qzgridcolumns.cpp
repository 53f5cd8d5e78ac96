// Column objects, the indicator button, the control-type cache, the
// property setters and the small operations of the grid.
#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qzstr.h"
#include "suite/grid/qzdbigrd.h"

// ---- TqzColumn ------------------------------------------------------------------------

TField* TqzColumn::Field() const {
    TDataSet* dataSet = FGrid ? FGrid->DataLink()->DataSet() : nullptr;
    return dataSet && !FFieldName.empty() ? dataSet->FindField(FFieldName) : nullptr;
}

std::string TqzColumn::Part(int Index) const {
    std::string value;
    if (FGrid && !FFieldName.empty()) qzGetSelectedLinePart(FGrid->Selected(), FFieldName, Index, value);
    return value;
}

int TqzColumn::DisplayWidth() const {
    if (!FGrid || FFieldName.empty()) return 0;
    if (FGrid->UseTFields())
        if (TField* f = Field()) return f->DisplayWidth();
    return StrToInt(Part(1));
}

void TqzColumn::SetDisplayWidth(int Value) {
    if (!FGrid || FFieldName.empty()) return;
    ++FGrid->FLayoutLock;
    try {
        qzSetSelectedLinePart(FGrid->Selected(), FFieldName, std::to_string(Value), -1, 1);
        if (FGrid->UseTFields())
            FGrid->DataLink()->DataSet()->FieldByName(FFieldName)->SetDisplayWidth(Value);
    } catch (...) {
        --FGrid->FLayoutLock;
        throw;
    }
    --FGrid->FLayoutLock;
    FGrid->LayoutChanged();
}

std::string TqzColumn::DisplayLabel() const {
    if (!FGrid || FFieldName.empty()) return {};
    if (FGrid->UseTFields())
        if (TField* f = Field()) return f->DisplayLabel();
    return Part(2);
}

bool TqzColumn::ReadOnly() const { return !FFieldName.empty() && Part(3) == "T"; }

std::string TqzColumn::GroupName() const { return FFieldName.empty() ? std::string() : Part(4); }

void TqzColumn::SetFooterValue(const std::string& Value) {
    if (!FGrid || FFieldName.empty() || Value == FFooterValue) return;
    FFooterValue = Value;
    FGrid->Invalidate();
}

// ---- Column lookup ------------------------------------------------------------------------

TqzColumn* TqzCustomDBGrid::ColumnByName(const std::string& FieldName) const {
    for (const auto& c : FColumns)
        if (SameText(c->FieldName(), FieldName)) return c.get();
    return FDefaultColumn.get();
}

TqzColumn* TqzCustomDBGrid::Columns(int Index) const {
    if (Index < 0) return FDefaultColumn.get();
    if (FDataLink->FieldCount() == 0) {
        if (Index >= FSelected->Count()) return FDefaultColumn.get();
        return ColumnByName(LineFieldName(Index));
    }
    TField* f = FDataLink->Fields(Index);
    return f ? ColumnByName(f->FieldName()) : FDefaultColumn.get();
}

TqzColumn* TqzCustomDBGrid::ColumnObjects(int Index) const {
    const int limit = FDataLink->FieldCount() > 0 ? FDataLink->FieldCount() : FSelected->Count();
    if (Index < 0 || Index >= limit || Index >= static_cast<int>(FColumns.size()))
        return FDefaultColumn.get();
    return FColumns[static_cast<size_t>(Index)].get();
}

// ---- Control types ------------------------------------------------------------------------

void TqzCustomDBGrid::GetControlInfo(const std::string& FieldName, std::string& AControlType,
                                     std::string& Parameters) {
    TDataSet* dataSet = FDataLink->DataSet();
    TObject* source = this;
    if (FControlInfoInDataset && dataSet && qzGetControlType(dataSet)) source = dataSet;
    qzGetControlTypeEntry(source, FieldName, AControlType, Parameters);
}

void TqzCustomDBGrid::LoadControlTypes() {
    FColInfo.assign(static_cast<size_t>(std::max(0, ColCount())), TqzCacheColInfoItem{});
    for (int c = FIndicatorOffset; c < ColCount(); ++c) {
        TField* f = GetColField(c - FIndicatorOffset);
        if (!f) continue;
        TqzCacheColInfoItem& item = FColInfo[static_cast<size_t>(c)];
        GetControlInfo(f->FieldName(), item.ControlType, item.Parameters);
        if (!qzIsEditControlType(item.ControlType)) continue;
        int pos = 1;
        qzStrGetToken(item.Parameters, ";", pos);
        item.CheckBoxStyle = qzStrGetToken(item.Parameters, ";", pos) == "T";
        TWinControl* control = nullptr;
        if (!GetCustomControlForCell(c, FTitleOffset, control) || !control || control == InplaceEditor()) {
            item.CheckBoxStyle = false;
            item.ControlType.clear();
        } else {
            item.Control = control;
        }
    }
}

bool TqzCustomDBGrid::GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control) {
    Control = nullptr;
    if (FEditControlOptions.Contains(ecoDisableCustomControls) || !FDataLink->Active()) return false;
    if (ACol < FIndicatorOffset || ARow < FTitleOffset) return false;
    TField* field = GetColField(ACol - FIndicatorOffset);
    if (!field) return false;
    TDataSet* dataSet = FDataLink->DataSet();
    TObject* source = this;
    if (FControlInfoInDataset && dataSet && qzGetControlType(dataSet)) source = dataSet;
    TStrings* list = qzGetControlType(source);
    if (!list) return false;
    for (int i = 0; i < list->Count(); ++i) {
        const std::string& line = list->Strings(i);
        int pos = 1;
        const std::string name = qzStrGetToken(line, ";", pos);
        if (name != field->FieldName()) continue;
        const std::string type = qzStrGetToken(line, ";", pos);
        if (!qzIsEditControlType(type)) continue;
        const std::string controlName = qzStrGetToken(line, ";", pos);
        TWinControl* found = FindControlByName(controlName);
        if (!found) return false;
        TCustomForm* form = qzGetOwnerForm(found);
        if (form && qzClassInheritsFrom(form->ClassType(), "TqzRecordViewForm")) return false;
        Control = found;
        return true;
    }
    return false;
}

TWinControl* TqzCustomDBGrid::FindControlByName(const std::string& Name) {
    TComponent* root = nullptr;
    if (FEditControlOptions.Contains(ecoSearchOwnerForm))
        root = qzGetOwnerForm(this);
    else
        root = GetParentForm(this);
    if (!root || Name.empty()) return nullptr;
    TComponent* found = nullptr;
    const size_t dot = Name.find('.');
    if (dot == std::string::npos) {
        found = root->FindComponent(Name);
    } else {
        const std::string a = Name.substr(0, dot), b = Name.substr(dot + 1);
        if (b.empty()) return nullptr;
        TComponent* first = root->FindComponent(a);
        if (first && qzClassInheritsFrom(first->ClassType(), "TCustomFrame")) {
            found = first->FindComponent(b);
        } else if (TDataSet* dataSet = FDataLink->DataSet(); dataSet && dataSet->Owner()) {
            found = dataSet->Owner()->FindComponent(b);
        }
    }
    return dynamic_cast<TWinControl*>(found);
}

bool TqzCustomDBGrid::IsSelectedCheckBox(int ACol) {
    if (ACol < 0 || ACol >= static_cast<int>(FColInfo.size())) return false;
    if (!SameText(FColInfo[static_cast<size_t>(ACol)].ControlType, "CheckBox")) return false;
    TField* f = GetColField(ACol - FIndicatorOffset);
    return f && SameText(f->FieldName(), "selected") && !f->IsNull() && f->AsBoolean();
}

bool TqzCustomDBGrid::CanUseCustomControls() {
    if (FEditControlOptions.Contains(ecoDisableCustomControls)) return false;
    if (!CanEditGrid()) {
        const int c = Col();
        if (c < 0 || c >= static_cast<int>(FColInfo.size()) ||
            !FColInfo[static_cast<size_t>(c)].CheckBoxStyle)
            return false;
    }
    return !ComponentState().Contains(csDesigning) && !FOptions.Contains(dgRowSelect);
}

// ---- Small operations -------------------------------------------------------------------------

bool TqzCustomDBGrid::ShowEditorIfAllowed() {
    if (FEditControlOptions.Contains(ecoDisableEditorIfReadOnly) && Columns(SelectedIndex())->ReadOnly())
        return true;
    ShowEditor();
    return true;
}

void TqzCustomDBGrid::SplitURLText(const std::string& Text, std::string& DisplayText,
                                   std::string& Address) const {
    const size_t hash = Text.find('#');
    DisplayText = Text.substr(0, hash);
    Address = hash == std::string::npos ? std::string() : Text.substr(hash + 1);
    if (Address.empty()) Address = DisplayText;
}

void TqzCustomDBGrid::CalcCellRect(int ACol, int ARow, TRect& Rect) const {
    Rect = CellRect(ACol, ARow);
    if (IsRectEmpty(Rect)) return;
    Rect.Right = Rect.Left + ColWidths(ACol);
    if (ARow >= FTitleOffset) Rect.Bottom = Rect.Top + DefaultRowHeight();
}

bool TqzCustomDBGrid::IsMemoCell(int ACol, int ARow) const {
    (void)ARow;
    TField* f = GetColField(ACol - FIndicatorOffset);
    if (!f || !f->IsBlob()) return false;
    const int type = static_cast<int>(f->DataType());
    return type == 16 || type == 30 || type == 31 || qzIsRichTextField(f, false);
}

bool TqzCustomDBGrid::IsCustomControlCell(int, int) const { return false; }

void TqzCustomDBGrid::UpdateDataLink() { FDataLink->UpdateRecord(); }

void TqzCustomDBGrid::DoTitleButtonClick(const std::string& FieldName) {
    FOnTitleButtonClick(this, FieldName);
}

void TqzCustomDBGrid::DoUpdateFooter() { FOnUpdateFooter(this); }

void TqzCustomDBGrid::DoFieldChanged(TField* Field) { FOnFieldChanged(this, Field); }

void TqzCustomDBGrid::ReportInvalidValue(TField* Field) {
    if (qzIntl())
        qzIntl()->PictureValidationError(this, Field, std::string());
    else
        throw EInvalidOperation(qzDefaultValidationMessage);
}

TColor TqzCustomDBGrid::ActiveRecordColor() const {
    const TColor c = FPaintOptions->ActiveRecordColor();
    return c == clNone ? clHighlight : c;
}

void TqzCustomDBGrid::BestFitColumn(int ACol) {
    if (!DataSetActive() || ACol < FIndicatorOffset || ACol >= ColCount()) return;
    TField* f = GetColField(ACol - FIndicatorOffset);
    if (!f) return;
    TCanvas* c = MeasureCanvas();
    int widest = 0;
    const int saved = FDataLink->ActiveRecord();
    for (int r = 0; r < FDataLink->RecordCount(); ++r) {
        FDataLink->SetActiveRecord(r);
        widest = std::max(widest, c->TextWidth(f->DisplayText()));
    }
    FDataLink->SetActiveRecord(saved);
    const int w = 4 + widest;
    const int w0 = std::max(1, c->TextWidth("0"));
    const int current = ColWidths(ACol);
    TqzColumn* column = Columns(ACol - FIndicatorOffset);
    if (w <= current) {
        column->SetDisplayWidth(w / w0);
    } else {
        const int half = Width() / 2;
        if (current <= half && w <= half) column->SetDisplayWidth(w / w0);
    }
}

bool TqzCustomDBGrid::DittoPriorText(const std::string& FieldName, std::string& Text) {
    if (!DataSetActive()) return false;
    const int saved = FDataLink->ActiveRecord();
    if (saved <= 0) return false;
    FDataLink->SetActiveRecord(saved - 1);
    TField* f = FDataLink->DataSet()->FindField(FieldName);
    if (f) Text = f->Text();
    FDataLink->SetActiveRecord(saved);
    return f != nullptr;
}

bool TqzCustomDBGrid::DittoNextText(const std::string& FieldName, std::string& Text) {
    if (!DataSetActive()) return false;
    const int saved = FDataLink->ActiveRecord();
    if (saved >= FDataLink->RecordCount() - 1) return false;
    FDataLink->SetActiveRecord(saved + 1);
    TField* f = FDataLink->DataSet()->FindField(FieldName);
    if (f) Text = f->Text();
    FDataLink->SetActiveRecord(saved);
    return f != nullptr;
}

// ---- Setters -----------------------------------------------------------------------------------

void TqzCustomDBGrid::SetUseTFields(bool Value) {
    if (Value == FUseTFields) return;
    FUseTFields = Value;
    FPropWidths.clear();
    LayoutChanged();
}

void TqzCustomDBGrid::SetTitleButtons(bool Value) {
    if (Value == FTitleButtons) return;
    FTitleButtons = Value;
    Invalidate();
}

void TqzCustomDBGrid::SetGroupFieldName(const std::string& Value) {
    if (Value == FGroupFieldName) return;
    FGroupFieldName = Value;
    Invalidate();
}

void TqzCustomDBGrid::SetFooterColor(TColor Value) {
    if (Value == FFooterColor) return;
    FFooterColor = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetFooterCellColor(TColor Value) {
    if (Value == FFooterCellColor) return;
    FFooterCellColor = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetFooterHeight(int Value) {
    Value = std::max(0, Value);
    if (Value == FFooterHeight) return;
    FFooterHeight = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetIndicatorColor(TIndicatorColorType Value) {
    FIndicatorColor = Value;
    SetIndicatorIconColor(Value == icYellow ? clYellow : clBlack);
}

void TqzCustomDBGrid::SetIndicatorIconColor(TColor Value) {
    if (Value == FIndicatorIconColor) return;
    FIndicatorIconColor = Value;
    if (FIndicatorOffset > 0) InvalidateCol(0);
}

void TqzCustomDBGrid::SetTitleLines(int Value) {
    if (Value < 1 || Value == FTitleLines) return;
    FTitleLines = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetRowHeightPercent(int Value) {
    if (Value < 1) {
        FRowHeightPercent = 100;
        return;
    }
    if (Value == FRowHeightPercent) return;
    FRowHeightPercent = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetTitleAlignment(TAlignment Value) {
    if (Value == FTitleAlignment) return;
    FTitleAlignment = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetTitleFont(TFont* Value) { FTitleFont->Assign(Value); }

void TqzCustomDBGrid::SetTitleColor(TColor Value) {
    if (Value == FTitleColor) return;
    FTitleColor = Value;
    Invalidate();
}

void TqzCustomDBGrid::SetLineStyle(TqzGridLineStyle Value) {
    if (Value == FLineStyle) return;
    FLineStyle = Value;
    Invalidate();
}

void TqzCustomDBGrid::SetShowHorzScrollBar(bool Value) {
    FShowHorzScrollBar = Value;
    SetScrollBars(Value && !IsProportionalColResize() ? ssHorizontal : ssNone);
}

void TqzCustomDBGrid::SetShowVertScrollBar(bool Value) {
    if (Value == FShowVertScrollBar) return;
    FShowVertScrollBar = Value;
    FScrollSet = false;
    if (!Value && HandleAllocated()) ShowScrollBar(SB_VERT, false);
    UpdateScrollBar();
    if (FIndicatorButton)
        FIndicatorButton->SetBounds(0, 0, FIndicatorButton->Width(), FIndicatorButton->Height());
    Invalidate();
}

void TqzCustomDBGrid::SetIndicatorButton(TqzIButton* Value) {
    if (Value == FIndicatorButton) return;
    if (FIndicatorButton) FIndicatorButton->RemoveFreeNotification(this);
    FIndicatorButton = Value;
    if (Value) {
        Value->FreeNotification(this);
        FIndicatorButtonWidth = Value->Width() - 1;
    }
    LayoutChanged();
}

// ---- Indicator button ------------------------------------------------------------------------

void TqzIButton::Loaded() {
    TSpeedButton::Loaded();
    if (auto* grid = dynamic_cast<TqzCustomDBGrid*>(Parent())) {
        grid->SetIndicatorButton(this);
        grid->SetIndicatorButtonWidth(Width() - 1);
    }
}

void TqzIButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (ALeft > 0) ALeft = 0;
    if (ATop > 0) ATop = 0;
    auto* grid = dynamic_cast<TqzCustomDBGrid*>(Parent());
    if (grid && grid->BiDiMode() == bdRightToLeft) ALeft = grid->ClientWidth() - AWidth + 1;
    const bool resized = AWidth != Width() || AHeight != Height();
    TSpeedButton::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (Parent() && resized && !ComponentState().Contains(csLoading) && grid) {
        grid->SetIndicatorButtonWidth(Width() - 1);
        grid->LayoutChanged();
    }
}
