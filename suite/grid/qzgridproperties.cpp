// The grid's property getters and plain setters over its private side, and
// the firers of its title events.
#include "platform/ui/imagelist.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"

TqzGridDataLink* TqzCustomDBGrid::DataLink() const { return FImpl->DataLink.get(); }
TqzDBGridOptions TqzCustomDBGrid::Options() const { return FImpl->Options; }
TqzDBGridKeyOptions TqzCustomDBGrid::KeyOptions() const { return FImpl->KeyOptions; }
void TqzCustomDBGrid::SetKeyOptions(TqzDBGridKeyOptions Value) { FImpl->KeyOptions = Value; }
bool TqzCustomDBGrid::UseTFields() const { return FImpl->UseTFields; }
bool TqzCustomDBGrid::ReadOnly() const { return FImpl->ReadOnly; }
void TqzCustomDBGrid::SetReadOnly(bool Value) { FImpl->ReadOnly = Value; }
bool TqzCustomDBGrid::EditCalculated() const { return FImpl->EditCalculated; }
void TqzCustomDBGrid::SetEditCalculated(bool Value) { FImpl->EditCalculated = Value; }
bool TqzCustomDBGrid::TitleButtons() const { return FImpl->TitleButtons; }
TAlignment TqzCustomDBGrid::TitleAlignment() const { return FImpl->TitleAlignment; }
int TqzCustomDBGrid::TitleLines() const { return FImpl->TitleLines; }
TFont* TqzCustomDBGrid::TitleFont() const { return FImpl->TitleFont.get(); }
TColor TqzCustomDBGrid::TitleColor() const { return FImpl->TitleColor; }
TColor TqzCustomDBGrid::FooterColor() const { return FImpl->FooterColor; }
TColor TqzCustomDBGrid::FooterCellColor() const { return FImpl->FooterCellColor; }
int TqzCustomDBGrid::FooterHeight() const { return FImpl->FooterHeight; }
int TqzCustomDBGrid::RowHeightPercent() const { return FImpl->RowHeightPercent; }
TIndicatorColorType TqzCustomDBGrid::IndicatorColor() const { return FImpl->IndicatorColor; }
TColor TqzCustomDBGrid::IndicatorIconColor() const { return FImpl->IndicatorIconColor; }
TqzGridLineStyle TqzCustomDBGrid::LineStyle() const { return FImpl->LineStyle; }
TqzGridLineColors* TqzCustomDBGrid::LineColors() const { return FImpl->LineColors.get(); }
TqzPadColumnStyle TqzCustomDBGrid::PadColumnStyle() const { return FImpl->PadColumnStyle; }
void TqzCustomDBGrid::SetPadColumnStyle(TqzPadColumnStyle Value) { FImpl->PadColumnStyle = Value; }
TqzEditControlOptions TqzCustomDBGrid::EditControlOptions() const { return FImpl->EditControlOptions; }
void TqzCustomDBGrid::SetEditControlOptions(TqzEditControlOptions Value) {
    FImpl->EditControlOptions = Value;
}
bool TqzCustomDBGrid::ControlInfoInDataset() const { return FImpl->ControlInfoInDataset; }
void TqzCustomDBGrid::SetControlInfoInDataset(bool Value) { FImpl->ControlInfoInDataset = Value; }
bool TqzCustomDBGrid::PictureMaskFromDataSet() const { return FImpl->PictureMaskFromDataSet; }
void TqzCustomDBGrid::SetPictureMaskFromDataSet(bool Value) { FImpl->PictureMaskFromDataSet = Value; }
int TqzCustomDBGrid::DragVertOffset() const { return FImpl->DragVertOffset; }
void TqzCustomDBGrid::SetDragVertOffset(int Value) { FImpl->DragVertOffset = Value; }
bool TqzCustomDBGrid::ShowVertScrollBar() const { return FImpl->ShowVertScrollBar; }
bool TqzCustomDBGrid::ShowHorzScrollBar() const { return FImpl->ShowHorzScrollBar; }
TqzMultiSelectOptions TqzCustomDBGrid::MultiSelectOptions() const { return FImpl->MultiSelectOptions; }
void TqzCustomDBGrid::SetMultiSelectOptions(TqzMultiSelectOptions Value) {
    FImpl->MultiSelectOptions = Value;
}
bool TqzCustomDBGrid::HideAllLines() const { return FImpl->HideAllLines; }
void TqzCustomDBGrid::SetHideAllLines(bool Value) { FImpl->HideAllLines = Value; }
bool TqzCustomDBGrid::DisableThemesInTitle() const { return FImpl->DisableThemesInTitle; }
void TqzCustomDBGrid::SetDisableThemesInTitle(bool Value) { FImpl->DisableThemesInTitle = Value; }
const std::string& TqzCustomDBGrid::GroupFieldName() const { return FImpl->GroupFieldName; }
TqzIButton* TqzCustomDBGrid::IndicatorButton() const { return FImpl->IndicatorButton; }
void TqzCustomDBGrid::SetIndicatorButtonWidth(int Value) { FImpl->IndicatorButtonWidth = Value; }
TStrings* TqzCustomDBGrid::Selected() const { return FImpl->Selected.get(); }
void TqzCustomDBGrid::SetSelected(TStrings* Value) { FImpl->Selected->Assign(Value); }
TStrings* TqzCustomDBGrid::ControlType() const { return FImpl->ControlType.get(); }
void TqzCustomDBGrid::SetControlType(TStrings* Value) { FImpl->ControlType->Assign(Value); }
TStrings* TqzCustomDBGrid::PictureMasks() const { return FImpl->PictureMasks.get(); }
void TqzCustomDBGrid::SetPictureMasks(TStrings* Value) { FImpl->PictureMasks->Assign(Value); }
TStrings* TqzCustomDBGrid::RegexMasks() const { return FImpl->RegexMasks.get(); }
void TqzCustomDBGrid::SetRegexMasks(TStrings* Value) { FImpl->RegexMasks->Assign(Value); }
TqzGridPaintOptions* TqzCustomDBGrid::PaintOptions() const { return FImpl->PaintOptions.get(); }
void TqzCustomDBGrid::SetPaintOptions(TqzGridPaintOptions* Value) { FImpl->PaintOptions->Assign(Value); }
int TqzCustomDBGrid::IndicatorOffset() const { return FImpl->IndicatorOffset; }
int TqzCustomDBGrid::TitleOffset() const { return FImpl->TitleOffset; }
int TqzCustomDBGrid::SelectedIndex() const { return Col() - FImpl->IndicatorOffset; }
const std::vector<TqzCacheColInfoItem>& TqzCustomDBGrid::ColInfo() const { return FImpl->ColInfo; }
void TqzCustomDBGrid::SetAllowFocus(bool Value) { FImpl->AllowFocus = Value; }
bool TqzCustomDBGrid::AlternatingPhase() const { return FImpl->AltPhase; }
TImageList* TqzCustomDBGrid::ImageList() const { return FImpl->ImageList; }
TImageList* TqzCustomDBGrid::TitleImageList() const { return FImpl->TitleImageList; }
TqzCalcTitleAttributesEvent TqzCustomDBGrid::OnCalcTitleAttributes() const {
    return FImpl->OnCalcTitleAttributes;
}
void TqzCustomDBGrid::SetOnCalcTitleAttributes(TqzCalcTitleAttributesEvent Value) {
    FImpl->OnCalcTitleAttributes = Value;
}
TqzDrawTitleCellEvent TqzCustomDBGrid::OnDrawTitleCell() const { return FImpl->OnDrawTitleCell; }
void TqzCustomDBGrid::SetOnDrawTitleCell(TqzDrawTitleCellEvent Value) { FImpl->OnDrawTitleCell = Value; }
TqzCalcTitleImageEvent TqzCustomDBGrid::OnCalcTitleImage() const { return FImpl->OnCalcTitleImage; }
void TqzCustomDBGrid::SetOnCalcTitleImage(TqzCalcTitleImageEvent Value) { FImpl->OnCalcTitleImage = Value; }
TqzDittoAttributes* TqzCustomDBGrid::DittoAttributes() const { return FImpl->DittoAttributes.get(); }
TqzDittoEvent TqzCustomDBGrid::OnDitto() const { return FImpl->OnDitto; }
void TqzCustomDBGrid::SetOnDitto(TqzDittoEvent Value) { FImpl->OnDitto = Value; }
bool TqzCustomDBGrid::HasFocus() const { return FImpl->HasFocus; }
const std::string& TqzCustomDBGrid::LastEditText() const { return FImpl->LastEditText; }
void TqzCustomDBGrid::SetLastEditText(const std::string& Value) { FImpl->LastEditText = Value; }
TqzCustomDrawCellEvent TqzCustomDBGrid::OnBeforeDrawCell() const { return FImpl->Cells.OnBefore(); }
void TqzCustomDBGrid::SetOnBeforeDrawCell(TqzCustomDrawCellEvent Value) { FImpl->Cells.SetOnBefore(Value); }
TqzCustomDrawCellEvent TqzCustomDBGrid::OnAfterDrawCell() const { return FImpl->OnAfterDrawCell; }
void TqzCustomDBGrid::SetOnAfterDrawCell(TqzCustomDrawCellEvent Value) { FImpl->OnAfterDrawCell = Value; }
const TqzGroupState& TqzCustomDBGrid::GroupState() const { return FImpl->Cells.GroupState(); }
TqzDrawGroupHeaderCellEvent TqzCustomDBGrid::OnDrawGroupHeaderCell() const {
    return FImpl->OnDrawGroupHeaderCell;
}
void TqzCustomDBGrid::SetOnDrawGroupHeaderCell(TqzDrawGroupHeaderCellEvent Value) {
    FImpl->OnDrawGroupHeaderCell = Value;
}
TqzURLOpenEvent TqzCustomDBGrid::OnURLOpen() const { return FImpl->OnURLOpen; }
void TqzCustomDBGrid::SetOnURLOpen(TqzURLOpenEvent Value) { FImpl->OnURLOpen = Value; }
void TqzCustomDBGrid::HideCellHint() { FImpl->Hints.Hide(); }
TqzCreateHintWindowEvent TqzCustomDBGrid::OnCreateHintWindow() const { return FImpl->Hints.OnCreate(); }
void TqzCustomDBGrid::SetOnCreateHintWindow(TqzCreateHintWindowEvent Value) {
    FImpl->Hints.SetOnCreate(Value);
}
int TqzCustomDBGrid::PaintLockCount() const { return FImpl->PaintLock; }
TNotifyEvent TqzCustomDBGrid::OnBeforePaint() const { return FImpl->OnBeforePaint; }
void TqzCustomDBGrid::SetOnBeforePaint(TNotifyEvent Value) { FImpl->OnBeforePaint = Value; }
TqzDrawFooterCellEvent TqzCustomDBGrid::OnDrawFooterCell() const { return FImpl->Painter.OnDrawFooterCell(); }
void TqzCustomDBGrid::SetOnDrawFooterCell(TqzDrawFooterCellEvent Value) {
    FImpl->Painter.SetOnDrawFooterCell(Value);
}
TqzCalcCellColorsEvent TqzCustomDBGrid::OnCalcCellColors() const { return FImpl->OnCalcCellColors; }
void TqzCustomDBGrid::SetOnCalcCellColors(TqzCalcCellColorsEvent Value) { FImpl->OnCalcCellColors = Value; }
TqzColumnMovedEvent TqzCustomDBGrid::OnColumnMoved() const { return FImpl->OnColumnMoved; }
void TqzCustomDBGrid::SetOnColumnMoved(TqzColumnMovedEvent Value) { FImpl->OnColumnMoved = Value; }
TqzColWidthChangedEvent TqzCustomDBGrid::OnColWidthChanged() const { return FImpl->OnColWidthChanged; }
void TqzCustomDBGrid::SetOnColWidthChanged(TqzColWidthChangedEvent Value) {
    FImpl->OnColWidthChanged = Value;
}
TNotifyEvent TqzCustomDBGrid::OnTopRowChanged() const { return FImpl->OnTopRowChanged; }
void TqzCustomDBGrid::SetOnTopRowChanged(TNotifyEvent Value) { FImpl->OnTopRowChanged = Value; }
TNotifyEvent TqzCustomDBGrid::OnRowChanged() const { return FImpl->OnRowChanged; }
void TqzCustomDBGrid::SetOnRowChanged(TNotifyEvent Value) { FImpl->OnRowChanged = Value; }
TNotifyEvent TqzCustomDBGrid::OnCellChanged() const { return FImpl->OnCellChanged; }
void TqzCustomDBGrid::SetOnCellChanged(TNotifyEvent Value) { FImpl->OnCellChanged = Value; }
TNotifyEvent TqzCustomDBGrid::OnColEnter() const { return FImpl->OnColEnter; }
void TqzCustomDBGrid::SetOnColEnter(TNotifyEvent Value) { FImpl->OnColEnter = Value; }
TNotifyEvent TqzCustomDBGrid::OnColExit() const { return FImpl->OnColExit; }
void TqzCustomDBGrid::SetOnColExit(TNotifyEvent Value) { FImpl->OnColExit = Value; }
TNotifyEvent TqzCustomDBGrid::OnUpdateFooter() const { return FImpl->OnUpdateFooter; }
void TqzCustomDBGrid::SetOnUpdateFooter(TNotifyEvent Value) { FImpl->OnUpdateFooter = Value; }
TqzLeftColChangedEvent TqzCustomDBGrid::OnLeftColChanged() const { return FImpl->OnLeftColChanged; }
void TqzCustomDBGrid::SetOnLeftColChanged(TqzLeftColChangedEvent Value) { FImpl->OnLeftColChanged = Value; }
TqzFieldEvent TqzCustomDBGrid::OnFieldChanged() const { return FImpl->OnFieldChanged; }
void TqzCustomDBGrid::SetOnFieldChanged(TqzFieldEvent Value) { FImpl->OnFieldChanged = Value; }
TqzCheckValueEvent TqzCustomDBGrid::OnCheckValue() const { return FImpl->OnCheckValue; }
void TqzCustomDBGrid::SetOnCheckValue(TqzCheckValueEvent Value) { FImpl->OnCheckValue = Value; }
TqzTitleButtonClickEvent TqzCustomDBGrid::OnTitleButtonClick() const { return FImpl->OnTitleButtonClick; }
void TqzCustomDBGrid::SetOnTitleButtonClick(TqzTitleButtonClickEvent Value) {
    FImpl->OnTitleButtonClick = Value;
}
TqzDrawDataCellEvent TqzCustomDBGrid::OnDrawDataCell() const { return FImpl->OnDrawDataCell; }
void TqzCustomDBGrid::SetOnDrawDataCell(TqzDrawDataCellEvent Value) { FImpl->OnDrawDataCell = Value; }
bool TqzCustomDBGrid::InLayout() const { return FImpl->InLayout; }
int TqzCustomDBGrid::LayoutLock() const { return FImpl->LayoutLock; }

void TqzCustomDBGrid::SetTitleImageList(TImageList* Value) {
    if (Value == FImpl->TitleImageList) return;
    if (FImpl->TitleImageList) FImpl->TitleImageList->RemoveFreeNotification(this);
    FImpl->TitleImageList = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TqzCustomDBGrid::DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                                            TAlignment& Alignment) {
    FImpl->OnCalcTitleAttributes(this, FieldName, AFont, ABrush, Alignment);
}

void TqzCustomDBGrid::DoDrawTitleCell(TCanvas* ACanvas, TField* Field, const TRect& ARect,
                                      bool& DefaultDrawing) {
    FImpl->OnDrawTitleCell(this, ACanvas, Field, ARect, DefaultDrawing);
}

void TqzCustomDBGrid::DoDrawGroupHeaderCell(TCanvas* ACanvas, const std::string& GroupHeaderName,
                                            const TRect& ARect, bool& DefaultDrawing) {
    FImpl->OnDrawGroupHeaderCell(this, ACanvas, GroupHeaderName, ARect, DefaultDrawing);
}

void TqzCustomDBGrid::DoCalcTitleImage(TField* Field, TqzTitleImageAttributes& Attributes) {
    FImpl->OnCalcTitleImage(this, Field, Attributes);
}
