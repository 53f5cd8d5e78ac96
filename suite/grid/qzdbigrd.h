// TqzCustomDBGrid: the suite's data-aware grid base. It shows the records of
// a dataset as rows and its fields as columns, with an optional title row
// and an optional indicator column. Its column model comes from the
// dataset's fields (UseTFields, the default) or from the Selected lines:
//
//   field TAB width-in-characters TAB title TAB read-only ("T") TAB group
//
// (a "~" in the title starts a new title line). The grid follows its
// dataset through a TqzGridDataLink: it buffers as many records as rows are
// visible, keeps the current row on the active record, and sets its own
// vertical scroll bar from the record position. The horizontal bar is the
// generic grid's.
//
// Grid column c shows data column c - IndicatorOffset(); grid row r shows
// the buffered record r - TitleOffset().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/db/dbtypes.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/grids.h"
#include "suite/edit/qzdbedit.h"
#include "suite/grid/qzgridbutton.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgriddatalink.h"
#include "suite/grid/qzgridhint.h"
#include "suite/grid/qzgridtypes.h"
#include "suite/grid/qzpaintoptions.h"

class TDataSet;
class TDataSource;
class TImageList;
class TField;
class TqzCustomDBGrid;

class TqzInplaceEdit;
class TTimer;

class TqzCustomDBGrid : public TCustomGrid {
    TASKMOOR_CLASS(TqzCustomDBGrid, TCustomGrid)
public:
    explicit TqzCustomDBGrid(TComponent* AOwner);
    ~TqzCustomDBGrid() override;

    // ---- Binding
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TqzGridDataLink* DataLink() const;
    // The data link is active and its dataset open.
    bool DataSetActive() const;

    // ---- Properties
    TqzDBGridOptions Options() const;
    void SetOptions(TqzDBGridOptions Value);
    TqzDBGridKeyOptions KeyOptions() const;
    void SetKeyOptions(TqzDBGridKeyOptions Value);
    bool UseTFields() const;
    void SetUseTFields(bool Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    bool EditCalculated() const;
    void SetEditCalculated(bool Value);
    bool TitleButtons() const;
    void SetTitleButtons(bool Value);
    TAlignment TitleAlignment() const;
    void SetTitleAlignment(TAlignment Value);
    int TitleLines() const;
    void SetTitleLines(int Value);
    TFont* TitleFont() const;
    void SetTitleFont(TFont* Value);
    TColor TitleColor() const;
    void SetTitleColor(TColor Value);
    TColor FooterColor() const;
    void SetFooterColor(TColor Value);
    TColor FooterCellColor() const;
    void SetFooterCellColor(TColor Value);
    int FooterHeight() const;
    void SetFooterHeight(int Value);
    int RowHeightPercent() const;
    void SetRowHeightPercent(int Value);
    TIndicatorColorType IndicatorColor() const;
    void SetIndicatorColor(TIndicatorColorType Value);
    TColor IndicatorIconColor() const;
    void SetIndicatorIconColor(TColor Value);
    TqzGridLineStyle LineStyle() const;
    void SetLineStyle(TqzGridLineStyle Value);
    TqzGridLineColors* LineColors() const;
    TqzPadColumnStyle PadColumnStyle() const;
    void SetPadColumnStyle(TqzPadColumnStyle Value);
    TqzEditControlOptions EditControlOptions() const;
    void SetEditControlOptions(TqzEditControlOptions Value);
    bool ControlInfoInDataset() const;
    void SetControlInfoInDataset(bool Value);
    bool PictureMaskFromDataSet() const;
    void SetPictureMaskFromDataSet(bool Value);
    int DragVertOffset() const;
    void SetDragVertOffset(int Value);
    bool ShowVertScrollBar() const;
    void SetShowVertScrollBar(bool Value);
    bool ShowHorzScrollBar() const;
    void SetShowHorzScrollBar(bool Value);
    TqzMultiSelectOptions MultiSelectOptions() const;
    void SetMultiSelectOptions(TqzMultiSelectOptions Value);
    bool HideAllLines() const;
    void SetHideAllLines(bool Value);
    bool DisableThemesInTitle() const;
    void SetDisableThemesInTitle(bool Value);
    const std::string& GroupFieldName() const;
    void SetGroupFieldName(const std::string& Value);
    TqzIButton* IndicatorButton() const;
    void SetIndicatorButton(TqzIButton* Value);
    // The indicator column's width, told by the indicator button as it is sized.
    void SetIndicatorButtonWidth(int Value);

    TStrings* Selected() const;
    void SetSelected(TStrings* Value);
    TStrings* ControlType() const;
    void SetControlType(TStrings* Value);
    TStrings* PictureMasks() const;
    void SetPictureMasks(TStrings* Value);
    TStrings* RegexMasks() const;
    void SetRegexMasks(TStrings* Value);
    TqzGridPaintOptions* PaintOptions() const;
    void SetPaintOptions(TqzGridPaintOptions* Value);

    // ---- Columns
    int IndicatorOffset() const;
    int TitleOffset() const;
    // The field of a data column; nullptr for a negative index, an inactive
    // link or an index beyond the mapped fields.
    TField* GetColField(int DataCol) const;
    TField* SelectedField() const;
    int SelectedIndex() const;
    std::string GetFieldValue(int DataCol) const;
    TqzColumn* ColumnByName(const std::string& FieldName) const;
    TqzColumn* Columns(int Index) const;
    TqzColumn* ColumnObjects(int Index) const;
    void GetFieldListPart(TStrings* List, const std::string& FieldName, int Part, std::string& Text) const;
    void SetFieldListPart(TStrings* List, const std::string& FieldName, const std::string& Text,
                          int LineIndex, int Part) const;
    // Makes a data column current (scrolled into view).
    void SelectDataColumn(int Index);
    TWinControl* FindControlByName(const std::string& Name);
    // A ticked check box in a column of a field named "selected".
    bool IsSelectedCheckBox(int ACol);
    // Cells may show the custom controls of their ControlType lines.
    bool qzCanUseCustomControls();
    TColor ActiveRecordColor() const;
    // Rows the data link buffers (the grid's visible data rows).
    int VisibleDataRows() const;

    // ---- Cell drawing
    TImageList* ImageList() const;
    void SetImageList(TImageList* Value);

    // ---- Titles
    TImageList* TitleImageList() const;
    void SetTitleImageList(TImageList* Value);
    TqzCalcTitleAttributesEvent OnCalcTitleAttributes() const;
    void SetOnCalcTitleAttributes(TqzCalcTitleAttributesEvent Value);
    TqzDrawTitleCellEvent OnDrawTitleCell() const;
    void SetOnDrawTitleCell(TqzDrawTitleCellEvent Value);
    TqzCalcTitleImageEvent OnCalcTitleImage() const;
    void SetOnCalcTitleImage(TqzCalcTitleImageEvent Value);
    TqzDrawGroupHeaderCellEvent OnDrawGroupHeaderCell() const;
    void SetOnDrawGroupHeaderCell(TqzDrawGroupHeaderCellEvent Value);

    // ---- Keys
    TqzDittoAttributes* DittoAttributes() const;
    TqzDittoEvent OnDitto() const;
    void SetOnDitto(TqzDittoEvent Value);

    // ---- Mouse
    TqzCustomDrawCellEvent OnBeforeDrawCell() const;
    void SetOnBeforeDrawCell(TqzCustomDrawCellEvent Value);
    TqzCustomDrawCellEvent OnAfterDrawCell() const;
    void SetOnAfterDrawCell(TqzCustomDrawCellEvent Value);
    // The group state of the row being drawn (read in the draw-cell events).
    const TqzGroupState& GroupState() const;
    TqzURLOpenEvent OnURLOpen() const;
    void SetOnURLOpen(TqzURLOpenEvent Value);
    virtual void DoURLOpen(std::string& Link, TField* Field, bool& UseDefault);

    // ---- Cell hints
    TqzCreateHintWindowEvent OnCreateHintWindow() const;
    void SetOnCreateHintWindow(TqzCreateHintWindowEvent Value);

    // ---- Painting
    // Nested locks; the outermost end redraws when Repaint.
    void BeginPaintLock();
    void EndPaintLock(bool Repaint);
    int PaintLockCount() const;
    TNotifyEvent OnBeforePaint() const;
    void SetOnBeforePaint(TNotifyEvent Value);
    TqzDrawFooterCellEvent OnDrawFooterCell() const;
    void SetOnDrawFooterCell(TqzDrawFooterCellEvent Value);

    // ---- Events
    TqzCalcCellColorsEvent OnCalcCellColors() const;
    void SetOnCalcCellColors(TqzCalcCellColorsEvent Value);
    TqzColumnMovedEvent OnColumnMoved() const;
    void SetOnColumnMoved(TqzColumnMovedEvent Value);
    TqzColWidthChangedEvent OnColWidthChanged() const;
    void SetOnColWidthChanged(TqzColWidthChangedEvent Value);
    TNotifyEvent OnTopRowChanged() const;
    void SetOnTopRowChanged(TNotifyEvent Value);
    TNotifyEvent OnRowChanged() const;
    void SetOnRowChanged(TNotifyEvent Value);
    TNotifyEvent OnCellChanged() const;
    void SetOnCellChanged(TNotifyEvent Value);
    TNotifyEvent OnColEnter() const;
    void SetOnColEnter(TNotifyEvent Value);
    TNotifyEvent OnColExit() const;
    void SetOnColExit(TNotifyEvent Value);
    TNotifyEvent OnUpdateFooter() const;
    void SetOnUpdateFooter(TNotifyEvent Value);
    TqzLeftColChangedEvent OnLeftColChanged() const;
    void SetOnLeftColChanged(TqzLeftColChangedEvent Value);
    TqzFieldEvent OnFieldChanged() const;
    void SetOnFieldChanged(TqzFieldEvent Value);
    TqzCheckValueEvent OnCheckValue() const;
    void SetOnCheckValue(TqzCheckValueEvent Value);
    TqzTitleButtonClickEvent OnTitleButtonClick() const;
    void SetOnTitleButtonClick(TqzTitleButtonClickEvent Value);
    TqzDrawDataCellEvent OnDrawDataCell() const;
    void SetOnDrawDataCell(TqzDrawDataCellEvent Value);

    // ---- New operations
    virtual void LayoutChanged();
    virtual void Scroll(int Distance);
    virtual void DefineFieldMap();
    virtual void SetColumnAttributes();
    virtual void LinkActive(bool Value);
    virtual bool CanEditGrid() const;
    virtual void UnselectAll() {}
    virtual void DataChanged();
    virtual bool IsMemoCell(int ACol, int ARow) const;
    // The text a data cell shows for the field on the active record.
    virtual std::string CellText(TField* Field);
    virtual bool IsCustomControlCell(int ACol, int ARow) const;
    // Nothing in this class; the published grid selects the record.
    virtual void SelectRecordHook() {}
    // The header of a grouped column spanning its visible neighbours of the
    // same group (empty for an ungrouped column).
    virtual TRect GroupHeaderRect(int ACol) const;
    // The footer's rectangle (empty without dgShowFooter).
    virtual TRect FooterRect();

    void Dispatch(TMessage& Message) override;

    // What other suite controls read by name.
    static void Publish(TPublisher<TqzCustomDBGrid>& p);

protected:
    // ---- What the collaborators reach through the grid's adapter (qzgridhost.h):
    // drawing, titles, cells
    virtual TqzDBGridOptions GridOptions() const { return Options(); }
    // The control type of every data column, as LoadControlTypes cached it.
    virtual const std::vector<TqzCacheColInfoItem>& ColInfo() const;
    // The windowed control a ControlType line names for the cell.
    virtual bool GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control);
    // The cell is drawn in the highlight colours.
    virtual bool HighlightCell(int ACol, int ARow, TGridDrawState AState);
    virtual void WriteCellText(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, TAlignment Alignment,
                               int Flags, const std::string& Text);
    virtual void DrawCheckBox(const TRect& ARect, int ACol, int ARow, bool Checked);
    // The checked and unchecked values of the field's CheckBox line (four parts at least).
    virtual bool GetCheckBoxValues(const std::string& FieldName, std::string& Checked,
                                   std::string& Unchecked);
    // The record of the data link's active buffer is selected (multi-selection).
    virtual bool IsRecordSelected() { return false; }
    // The drawing canvas of the cell routines.
    virtual TCanvas* DrawCanvas() { return Canvas(); }
    // Fires OnCalcTitleAttributes; a brush colour it changes fills the title.
    virtual void DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                                       TAlignment& Alignment);
    virtual void DoDrawTitleCell(TCanvas* ACanvas, TField* Field, const TRect& ARect, bool& DefaultDrawing);
    virtual void DoCalcTitleImage(TField* Field, TqzTitleImageAttributes& Attributes);
    virtual void DoDrawGroupHeaderCell(TCanvas* ACanvas, const std::string& GroupHeaderName,
                                       const TRect& ARect, bool& DefaultDrawing);
    // Fires OnAfterDrawCell, then draws the group separator under the last
    // row of a group when a group field is set.
    virtual void DoAfterDrawCell(TqzCustomDrawGridCellInfo& Info);
    // Compares the group field of the data link's active record with the
    // rows above and below it; the answer is GroupState().
    virtual void CalcGroupState();
    virtual void GetControlInfo(const std::string& FieldName, std::string& AControlType,
                                std::string& Parameters);
    virtual void SplitURLText(const std::string& Text, std::string& DisplayText, std::string& Address) const;
    virtual void CalcCellColors(TField* Field, TGridDrawState State, bool Highlight, TFont* AFont,
                                TBrush* ABrush);
    virtual void FillDataCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow);
    virtual void FillFixedCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow);

    friend class TqzGridDataLink;
    friend class TqzColumn;
    friend class TqzInplaceEdit;

    // Takes the focus when allowed; answers whether the grid or its editor has it.
    bool TakeFocus();
    void SetAllowFocus(bool Value);

    // ---- The grid's own operations (descendants override them)
    // Fits the column to the widest text of the visible rows.
    void BestFitColumn(int ACol);
    bool DittoPriorText(const std::string& FieldName, std::string& Text);
    bool DittoNextText(const std::string& FieldName, std::string& Text);
    // No lines are drawn under rows only without dgRowLines and with dgRowLinesDisableFixed.
    bool RowLinesReserved() const;
    // Copies the field's text from the neighbouring record; True when done.
    bool DittoField(TField* Field);
    void HideCellHint();
    virtual void ResizeColumnsProportionally();
    virtual bool IsProportionalColResize() const;
    virtual bool ShowEditorIfAllowed();
    virtual void InvalidateVisibleColumns();
    virtual void DoTitleButtonClick(const std::string& FieldName);
    virtual TColor GetGridColor() const { return Color(); }
    virtual void FieldListHook() {}
    virtual void BeforeCellMove() {}
    virtual void DoTopRowChanged();
    virtual void DoRowChanged();
    virtual void DoCellChanged();
    virtual void CheckRowChanged();
    virtual void DoFieldChanged(TField* Field);
    virtual void DoUpdateFooter();
    virtual void UpdateFooterIfChanged();
    virtual void ReportInvalidValue(TField* Field);
    virtual void LoadControlTypes();
    virtual void UpdateDataLink();
    virtual void CalcCellRect(int ACol, int ARow, TRect& Rect) const;
    // Nothing in this class; the published grid unselects the record.
    virtual void UnselectRecordHook() {}

    // Reactions to the data link.
    virtual void EditingChanged();
    virtual void RecordChanged(TField* Field);
    // Writes the in-place editor's text into the field it was typed for.
    virtual void UpdateData();
    // A field of the record changed through the data link.
    virtual void FieldChangedNotice(TField* Field);
    // Published grids that follow field changes fire DoFieldChanged on write-back.
    virtual bool TracksFieldChanges() const { return false; }
    // The in-place editor's mask test of a field's text: True when there is
    // no mask or the text passes.
    virtual bool EditorTextPassesMask(TField* Field, const std::string& Text);
    // The field the pending editor text was typed for (while still shown),
    // else the current one.
    TField* EditField() const;
    // The field's column may be typed into: the field and its column are not
    // read-only, and a calculated field only with EditCalculated.
    bool FieldTakesTyping(TField* Field) const;
    // The editor may be left with a text that fails its mask.
    virtual bool EditorAllowInvalidExit() const { return false; }

    // After the data link wrote the record; nothing in this class.
    virtual void AfterUpdateHook() {}
    // The text the editor showed last.
    const std::string& LastEditText() const;
    void SetLastEditText(const std::string& Value);

    void UpdateRowCount();
    void UpdateActive();
    void UpdateScrollBar();
    void RecalcRowHeights();
    void ApplyPlatformOptions();
    bool InLayout() const;
    int LayoutLock() const;
    TCanvas* MeasureCanvas();
    int ZeroWidth();

    // The generic grid's operations.
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    // A check-box cell never opens the text editor.
    bool CanEditShow() override;
    bool CanEditAcceptKey(char32_t Key) override;
    bool CanEditModify() override;
    int GetEditLimit() override;
    std::string GetEditMask(int ACol, int ARow) override;
    std::string GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::string& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void ColWidthsChanged() override;
    void TopLeftChanged() override;
    void TimedScroll(TGridScrollDirection Direction) override;
    void ColEnter() override;
    void ColExit() override;
    void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) override;
    void WMVScroll(TMessage& Message) override;
    void CreateWnd() override;
    void Resize() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMFontChanged(TMessage& Message) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    void DoExit() override;
    TInplaceEdit* CreateEditor() override;
    // Tab and Shift+Tab: the next or previous tab-stop column, wrapping to
    // the next or previous record.
    void TabMove(bool Forward);
    void PriorRecord();
    void NextRecord();
    void Paint() override;
    void CalcDrawInfo(TGridDrawInfo& DrawInfo) const override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMParentFontChanged(TMessage& Message) override;
    void WMCancelMode(TMessage& Message) override;

private:
    TqzInplaceEdit* QzEditor() const;
    bool AlternatingPhase() const;
    // The data cell under the mouse shown as a hot link.
    void SetHotCell(int ACol, int ARow);
    // The height of the group headers over the titles.
    int GroupHeaderHeight() const;
    // A ditto short-cut was matched and done.
    bool HandleDittoKey(uint16_t Key, TShiftState Shift);
    // The grid holds the focus (set on entering, cleared on leaving).
    bool HasFocus() const;
    // The link a URL cell opens for its field text: the address part, with
    // "MailTo:" before a bare mail address; empty when there is none.
    std::string URLAddress(const std::string& Text) const;
    // The footer's height (0 without dgShowFooter).
    int FooterAreaHeight();
    void TitleFontChanged(TObject* Sender);
    void ClearColumns();
    std::string LineFieldName(int Index) const;
    // X, Y is on a column or row sizing line.
    bool OnSizingLine(int X, int Y);
    void InvalidateTitleRow();
    // The focus rectangle the generic grid draws over its cells (empty: none).
    TRect GenericFocusRect();

    class THosts;
    class TImpl;
    std::unique_ptr<TImpl> FImpl;
};
