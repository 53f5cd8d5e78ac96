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
#include "suite/grid/qzdbigrd_impl.h"

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
    ++FGrid->FImpl->LayoutLock;
    try {
        qzSetSelectedLinePart(FGrid->Selected(), FFieldName, std::to_string(Value), -1, 1);
        if (FGrid->UseTFields())
            FGrid->DataLink()->DataSet()->FieldByName(FFieldName)->SetDisplayWidth(Value);
    } catch (...) {
        --FGrid->FImpl->LayoutLock;
        throw;
    }
    --FGrid->FImpl->LayoutLock;
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
    for (const auto& c : FImpl->Columns)
        if (SameText(c->FieldName(), FieldName)) return c.get();
    return FImpl->DefaultColumn.get();
}

TqzColumn* TqzCustomDBGrid::Columns(int Index) const {
    if (Index < 0) return FImpl->DefaultColumn.get();
    if (FImpl->DataLink->FieldCount() == 0) {
        if (Index >= FImpl->Selected->Count()) return FImpl->DefaultColumn.get();
        return ColumnByName(LineFieldName(Index));
    }
    TField* f = FImpl->DataLink->Fields(Index);
    return f ? ColumnByName(f->FieldName()) : FImpl->DefaultColumn.get();
}

TqzColumn* TqzCustomDBGrid::ColumnObjects(int Index) const {
    const int limit =
        FImpl->DataLink->FieldCount() > 0 ? FImpl->DataLink->FieldCount() : FImpl->Selected->Count();
    if (Index < 0 || Index >= limit || Index >= static_cast<int>(FImpl->Columns.size()))
        return FImpl->DefaultColumn.get();
    return FImpl->Columns[static_cast<size_t>(Index)].get();
}

// ---- Control types ------------------------------------------------------------------------

void TqzCustomDBGrid::GetControlInfo(const std::string& FieldName, std::string& AControlType,
                                     std::string& Parameters) {
    TDataSet* dataSet = FImpl->DataLink->DataSet();
    TObject* source = this;
    if (FImpl->ControlInfoInDataset && dataSet && qzGetControlType(dataSet)) source = dataSet;
    qzGetControlTypeEntry(source, FieldName, AControlType, Parameters);
}

void TqzCustomDBGrid::LoadControlTypes() {
    FImpl->ColInfo.assign(static_cast<size_t>(std::max(0, ColCount())), TqzCacheColInfoItem{});
    for (int c = FImpl->IndicatorOffset; c < ColCount(); ++c) {
        TField* f = GetColField(c - FImpl->IndicatorOffset);
        if (!f) continue;
        TqzCacheColInfoItem& item = FImpl->ColInfo[static_cast<size_t>(c)];
        GetControlInfo(f->FieldName(), item.ControlType, item.Parameters);
        if (!qzIsEditControlType(item.ControlType)) continue;
        int pos = 1;
        qzStrGetToken(item.Parameters, ";", pos);
        item.CheckBoxStyle = qzStrGetToken(item.Parameters, ";", pos) == "T";
        TWinControl* control = nullptr;
        if (!GetCustomControlForCell(c, FImpl->TitleOffset, control) || !control ||
            control == InplaceEditor()) {
            item.CheckBoxStyle = false;
            item.ControlType.clear();
        } else {
            item.Control = control;
        }
    }
}

bool TqzCustomDBGrid::GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control) {
    Control = nullptr;
    if (FImpl->EditControlOptions.Contains(ecoDisableCustomControls) || !FImpl->DataLink->Active())
        return false;
    if (ACol < FImpl->IndicatorOffset || ARow < FImpl->TitleOffset) return false;
    TField* field = GetColField(ACol - FImpl->IndicatorOffset);
    if (!field) return false;
    TDataSet* dataSet = FImpl->DataLink->DataSet();
    TObject* source = this;
    if (FImpl->ControlInfoInDataset && dataSet && qzGetControlType(dataSet)) source = dataSet;
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
    if (FImpl->EditControlOptions.Contains(ecoSearchOwnerForm))
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
        } else if (TDataSet* dataSet = FImpl->DataLink->DataSet(); dataSet && dataSet->Owner()) {
            found = dataSet->Owner()->FindComponent(b);
        }
    }
    return dynamic_cast<TWinControl*>(found);
}

bool TqzCustomDBGrid::IsSelectedCheckBox(int ACol) {
    if (ACol < 0 || ACol >= static_cast<int>(FImpl->ColInfo.size())) return false;
    if (!SameText(FImpl->ColInfo[static_cast<size_t>(ACol)].ControlType, "CheckBox")) return false;
    TField* f = GetColField(ACol - FImpl->IndicatorOffset);
    return f && SameText(f->FieldName(), "selected") && !f->IsNull() && f->AsBoolean();
}

bool TqzCustomDBGrid::qzCanUseCustomControls() {
    if (FImpl->EditControlOptions.Contains(ecoDisableCustomControls)) return false;
    if (!CanEditGrid()) {
        const int c = Col();
        if (c < 0 || c >= static_cast<int>(FImpl->ColInfo.size()) ||
            !FImpl->ColInfo[static_cast<size_t>(c)].CheckBoxStyle)
            return false;
    }
    return !ComponentState().Contains(csDesigning) && !FImpl->Options.Contains(dgRowSelect);
}

// ---- Small operations -------------------------------------------------------------------------

bool TqzCustomDBGrid::ShowEditorIfAllowed() {
    if (FImpl->EditControlOptions.Contains(ecoDisableEditorIfReadOnly) &&
        Columns(SelectedIndex())->ReadOnly())
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
    if (ARow >= FImpl->TitleOffset) Rect.Bottom = Rect.Top + DefaultRowHeight();
}

bool TqzCustomDBGrid::IsMemoCell(int ACol, int ARow) const {
    (void)ARow;
    TField* f = GetColField(ACol - FImpl->IndicatorOffset);
    if (!f || !f->IsBlob()) return false;
    const int type = static_cast<int>(f->DataType());
    return type == 16 || type == 30 || type == 31 || qzIsRichTextField(f, false);
}

bool TqzCustomDBGrid::IsCustomControlCell(int, int) const { return false; }

std::string TqzCustomDBGrid::CellText(TField* Field) { return Field ? Field->DisplayText() : std::string(); }

void TqzCustomDBGrid::UpdateDataLink() { FImpl->DataLink->UpdateRecord(); }

void TqzCustomDBGrid::DoTitleButtonClick(const std::string& FieldName) {
    FImpl->OnTitleButtonClick(this, FieldName);
}

void TqzCustomDBGrid::DoUpdateFooter() { FImpl->OnUpdateFooter(this); }

void TqzCustomDBGrid::DoFieldChanged(TField* Field) { FImpl->OnFieldChanged(this, Field); }

void TqzCustomDBGrid::ReportInvalidValue(TField* Field) {
    if (qzIntl())
        qzIntl()->PictureValidationError(this, Field, std::string());
    else
        throw EInvalidOperation(qzDefaultValidationMessage);
}

TColor TqzCustomDBGrid::ActiveRecordColor() const {
    const TColor c = FImpl->PaintOptions->ActiveRecordColor();
    return c == clNone ? clHighlight : c;
}

void TqzCustomDBGrid::BestFitColumn(int ACol) {
    if (!DataSetActive() || ACol < FImpl->IndicatorOffset || ACol >= ColCount()) return;
    TField* f = GetColField(ACol - FImpl->IndicatorOffset);
    if (!f) return;
    TCanvas* c = MeasureCanvas();
    int widest = 0;
    const int saved = FImpl->DataLink->ActiveRecord();
    for (int r = 0; r < FImpl->DataLink->RecordCount(); ++r) {
        FImpl->DataLink->SetActiveRecord(r);
        widest = std::max(widest, c->TextWidth(f->DisplayText()));
    }
    FImpl->DataLink->SetActiveRecord(saved);
    const int w = 4 + widest;
    const int w0 = std::max(1, c->TextWidth("0"));
    const int current = ColWidths(ACol);
    TqzColumn* column = Columns(ACol - FImpl->IndicatorOffset);
    if (w <= current) {
        column->SetDisplayWidth(w / w0);
    } else {
        const int half = Width() / 2;
        if (current <= half && w <= half) column->SetDisplayWidth(w / w0);
    }
}

bool TqzCustomDBGrid::DittoPriorText(const std::string& FieldName, std::string& Text) {
    if (!DataSetActive()) return false;
    const int saved = FImpl->DataLink->ActiveRecord();
    if (saved <= 0) return false;
    FImpl->DataLink->SetActiveRecord(saved - 1);
    TField* f = FImpl->DataLink->DataSet()->FindField(FieldName);
    if (f) Text = f->Text();
    FImpl->DataLink->SetActiveRecord(saved);
    return f != nullptr;
}

bool TqzCustomDBGrid::DittoNextText(const std::string& FieldName, std::string& Text) {
    if (!DataSetActive()) return false;
    const int saved = FImpl->DataLink->ActiveRecord();
    if (saved >= FImpl->DataLink->RecordCount() - 1) return false;
    FImpl->DataLink->SetActiveRecord(saved + 1);
    TField* f = FImpl->DataLink->DataSet()->FindField(FieldName);
    if (f) Text = f->Text();
    FImpl->DataLink->SetActiveRecord(saved);
    return f != nullptr;
}

// ---- Setters -----------------------------------------------------------------------------------

void TqzCustomDBGrid::SetUseTFields(bool Value) {
    if (Value == FImpl->UseTFields) return;
    FImpl->UseTFields = Value;
    FImpl->PropWidths.clear();
    LayoutChanged();
}

void TqzCustomDBGrid::SetTitleButtons(bool Value) {
    if (Value == FImpl->TitleButtons) return;
    FImpl->TitleButtons = Value;
    Invalidate();
}

void TqzCustomDBGrid::SetGroupFieldName(const std::string& Value) {
    if (Value == FImpl->GroupFieldName) return;
    FImpl->GroupFieldName = Value;
    Invalidate();
}

void TqzCustomDBGrid::SetFooterColor(TColor Value) {
    if (Value == FImpl->FooterColor) return;
    FImpl->FooterColor = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetFooterCellColor(TColor Value) {
    if (Value == FImpl->FooterCellColor) return;
    FImpl->FooterCellColor = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetFooterHeight(int Value) {
    Value = std::max(0, Value);
    if (Value == FImpl->FooterHeight) return;
    FImpl->FooterHeight = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetIndicatorColor(TIndicatorColorType Value) {
    FImpl->IndicatorColor = Value;
    SetIndicatorIconColor(Value == icYellow ? clYellow : clBlack);
}

void TqzCustomDBGrid::SetIndicatorIconColor(TColor Value) {
    if (Value == FImpl->IndicatorIconColor) return;
    FImpl->IndicatorIconColor = Value;
    if (FImpl->IndicatorOffset > 0) InvalidateCol(0);
}

void TqzCustomDBGrid::SetTitleLines(int Value) {
    if (Value < 1 || Value == FImpl->TitleLines) return;
    FImpl->TitleLines = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetRowHeightPercent(int Value) {
    if (Value < 1) {
        FImpl->RowHeightPercent = 100;
        return;
    }
    if (Value == FImpl->RowHeightPercent) return;
    FImpl->RowHeightPercent = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetTitleAlignment(TAlignment Value) {
    if (Value == FImpl->TitleAlignment) return;
    FImpl->TitleAlignment = Value;
    LayoutChanged();
}

void TqzCustomDBGrid::SetTitleFont(TFont* Value) { FImpl->TitleFont->Assign(Value); }

void TqzCustomDBGrid::SetTitleColor(TColor Value) {
    if (Value == FImpl->TitleColor) return;
    FImpl->TitleColor = Value;
    Invalidate();
}

void TqzCustomDBGrid::SetLineStyle(TqzGridLineStyle Value) {
    if (Value == FImpl->LineStyle) return;
    FImpl->LineStyle = Value;
    Invalidate();
}

void TqzCustomDBGrid::SetShowHorzScrollBar(bool Value) {
    FImpl->ShowHorzScrollBar = Value;
    SetScrollBars(Value && !IsProportionalColResize() ? ssHorizontal : ssNone);
}

void TqzCustomDBGrid::SetShowVertScrollBar(bool Value) {
    if (Value == FImpl->ShowVertScrollBar) return;
    FImpl->ShowVertScrollBar = Value;
    FImpl->ScrollSet = false;
    if (!Value && HandleAllocated()) ShowScrollBar(SB_VERT, false);
    UpdateScrollBar();
    if (FImpl->IndicatorButton)
        FImpl->IndicatorButton->SetBounds(0, 0, FImpl->IndicatorButton->Width(),
                                          FImpl->IndicatorButton->Height());
    Invalidate();
}

void TqzCustomDBGrid::SetIndicatorButton(TqzIButton* Value) {
    if (Value == FImpl->IndicatorButton) return;
    if (FImpl->IndicatorButton) FImpl->IndicatorButton->RemoveFreeNotification(this);
    FImpl->IndicatorButton = Value;
    if (Value) {
        Value->FreeNotification(this);
        FImpl->IndicatorButtonWidth = Value->Width() - 1;
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
